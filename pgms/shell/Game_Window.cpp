#include "Game_Window.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "Datafile_MainFonts.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Texture.h"
#include "GraphicsEngine_View_Link.h"
#include "Image_Files.h"
#include "Native_Path.h"
#include "Render_Device.h"
#include "Render_Device_OpenGL.h"

namespace {

// The test picture's texture: a render target of 256 x 256 drawn once.
constexpr std::int32_t PICTURE_SIZE = 256;
constexpr std::uint8_t PICTURE_GROUP = 2;

// Draws the picture into its render target: eight coloured bands with a
// white frame and a half-transparent dark square in the middle.
void Draw_Picture_Into(std::int32_t handle) {
  const TGTexture* picture = g_tg_texture_list->m_Get_Texture(handle);
  if (!picture || !picture->m_Has_Texture()) return;
  TDevice_Surface back = 0, surface = 0;
  if (G_GetRenderTarget(0, back) != S_OK) return;
  if (G_GetSurfaceLevel(0, picture, surface) != S_OK || G_SetRenderTarget(0, surface) != S_OK) return;
  G_Device()->Clear(D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0);
  static const TColor bands[8] = {0xFFE04040u, 0xFFE0A040u, 0xFFE0E040u, 0xFF40C040u,
                                  0xFF40C0C0u, 0xFF4060E0u, 0xFFA040E0u, 0xFF808080u};
  const std::int32_t band = (PICTURE_SIZE - 16) / 8;
  for (std::int32_t i = 0; i < 8; ++i)
    G_Draw_2D_Color_Part(bands[i], TRect{8 + i * band, 8, 8 + (i + 1) * band, PICTURE_SIZE - 8}, false, false);
  G_Draw_2D_Color_Part(0x80000000u, TRect{64, 64, PICTURE_SIZE - 64, PICTURE_SIZE - 64}, false, true);
  G_SetRenderTarget(0, back);
}

// One frame of the test picture; the moving bar shows that frames go on.
void Draw_Frame(std::int32_t handle, std::uint32_t frame) {
  const std::int32_t w = G_Screen_Width, h = G_Screen_Height;
  G_Draw_2D_Color_Part(0xFF183050u, TRect{0, 0, w, h / 2}, false, false);
  // A render target has no picture size: it is drawn by its part.
  const TRect whole{0, 0, PICTURE_SIZE, PICTURE_SIZE};
  g_tg_texture_list->m_Draw_Part(TRect{64, 64, 64 + 2 * PICTURE_SIZE, 64 + 2 * PICTURE_SIZE}, handle, whole, false);
  g_tg_texture_list->m_Draw_Part(TRect{w - 64 - PICTURE_SIZE, 64, w - 64, 64 + PICTURE_SIZE}, handle, whole, true);
  G_Draw_2D_Color_Part(0x80000000u, TRect{w - 64 - PICTURE_SIZE / 2, 64 + PICTURE_SIZE / 2, w - 32, 96 + PICTURE_SIZE},
                       false, true);
  const std::int32_t x = std::int32_t(frame * 4 % std::uint32_t(w > 64 ? w - 64 : 1));
  G_Draw_2D_Color_Part(0xFFF0F0F0u, TRect{x, h - 48, x + 64, h - 16}, false, false);
  // The title in the first main font (when the fonts are loaded).
  if (G_Font_Count() > 0) {
    G_Font_Set_Font(1);
    G_Font_Set_Color(0xFFF0F0F0u);
    G_Font_Draw_Text_Shadowed(64.0f, float(h - 140), "Globarch");
  }
}

bool Write_Screenshot(TRender_Device& device, const char* path) {
  std::uint32_t w = 0, h = 0;
  TImage image;
  if (device.Read_Surface(device.Get_BackBuffer_Surface(), w, h, image.pixels) != S_OK) return false;
  image.width = std::int32_t(w);
  image.height = std::int32_t(h);
  return Image_Write_BMP_24(Design_Path(path), image);
}

// Whether the player asked to close the window.
bool Close_Requested() {
  SDL_Event e;
  bool close = false;
  while (SDL_PollEvent(&e)) {
    if (e.type == SDL_QUIT) close = true;
    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) close = true;
  }
  return close;
}

}  // namespace

TGame_Window_Options Game_Window_Options_From_Environment() {
  TGame_Window_Options o;
  if (const char* n = std::getenv("GLOBARCH_EXIT_AFTER_FRAMES"); n && *n) {
    char* end = nullptr;
    const unsigned long v = std::strtoul(n, &end, 10);
    if (end && *end == '\0' && v > 0 && v <= 0xFFFFFFFFul) o.Exit_After_Frames = std::uint32_t(v);
  }
  if (const char* s = std::getenv("GLOBARCH_SCREENSHOT"); s && *s) o.Screenshot = s;
  return o;
}

int Game_Window_Run(const TGame_Window_Options& options) {
  std::unique_ptr<TRender_System> system = Create_Render_System(TRender_System_Kind::OpenGL);
  if (!system) {
    std::fprintf(stderr, "globarch: no window can be opened (%s)\n", OpenGL_Last_Error().c_str());
    return 1;
  }
  TDevice_Params params;
  params.Width = options.Width;
  params.Height = options.Height;
  params.Windowed = true;
  params.Vsync = true;
  params.Title = "Globarch";
  std::unique_ptr<TRender_Device> device;
  if (HRESULT r = system->Create_Device(params, device); FAILED(r)) {
    std::fprintf(stderr, "globarch: no drawing device: %s - %s (%s)\n", Device_Error_String(r).c_str(),
                 Device_Error_Description(r).c_str(), OpenGL_Last_Error().c_str());
    return 1;
  }
  Render_System_Set_Current(system.get());
  Render_Device_Set_Current(device.get());
  G_Init_GraphicsEngine();
  TSurface_Desc desc;
  device->Get_BackBuffer_Desc(desc);
  G_Set_BackBuffer_Desc(desc);
  G_Set_Windowed_Flag(true);
  G_RestoreDeviceObjects();
  Set_Particle_View_Link(&G_Engine_Particle_View_Link());
  // The game's fixed device state for 2D drawing: stage 0 modulates colour
  // and alpha with the vertex colour, nothing is culled.
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  const std::int32_t picture =
      g_tg_texture_list->m_Create_Flexible_Texture(PICTURE_SIZE, PICTURE_SIZE, PICTURE_GROUP, 0);
  Draw_Picture_Into(picture);

  int result = 0;
  std::uint32_t frame = 0;
  for (;;) {
    if (Close_Requested()) break;
    const Uint64 start = SDL_GetTicks64();
    G_Main_Clear(0xFF000000u);
    if (device->BeginScene() == S_OK) {
      Draw_Frame(picture, frame);
      device->EndScene();
    }
    ++frame;
    const bool last = options.Exit_After_Frames != 0 && frame >= options.Exit_After_Frames;
    // The back buffer is read before it is shown (afterwards it is undefined).
    if (last && options.Screenshot && !Write_Screenshot(*device, options.Screenshot)) {
      std::fprintf(stderr, "globarch: the screenshot %s could not be written\n", options.Screenshot);
      result = 1;
    }
    device->Present();
    if (options.Frame_Shown) options.Frame_Shown(frame);
    if (last) break;
    // About 60 frames a second when the driver does not wait for the retrace.
    const Uint64 spent = SDL_GetTicks64() - start;
    if (spent < 16) SDL_Delay(Uint32(16 - spent));
  }

  Set_Particle_View_Link(nullptr);
  G_InvalidateDeviceObjects();
  G_DeleteDeviceObjects();
  G_Shutdown_GraphicsEngine();
  Render_Device_Set_Current(nullptr);
  Render_System_Set_Current(nullptr);
  device.reset();
  system.reset();
  return result;
}
