// Draws 10,000 textured quads per frame through the drawing layer and the
// texture list (each quad a 2D rectangle of a 32 x 32 picture, 16 x 16
// pixels on a 1024 x 768 back buffer) and reports the CPU time per frame.
//
//   Drawing_Bench [frames] [headless|opengl|both]
//
// "clipped" is the headless device with every quad off the screen.
//
// The OpenGL device needs a display (under Xvfb: DISPLAY and
// LIBGL_ALWAYS_SOFTWARE=1); without one its run is skipped.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "GraphicsEngine.h"
#include "GraphicsEngine_Texture.h"
#include "Image_Files.h"
#include "Native_Path.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int QUADS = 10000;
constexpr std::int32_t WIDTH = 1024, HEIGHT = 768, QUAD = 16;

double Cpu_Seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// A 32 x 32 picture of four coloured quarters.
std::string Write_Picture(const std::filesystem::path& dir) {
  TImage image;
  image.Set_Size(32, 32);
  for (std::int32_t y = 0; y < 32; ++y)
    for (std::int32_t x = 0; x < 32; ++x)
      image.Set_Pixel(x, y, x < 16 ? (y < 16 ? 0xFFFF0000u : 0xFF00FF00u) : (y < 16 ? 0xFF0000FFu : 0xFFFFFFFFu));
  const std::string path = Design_Path((dir / "bench.bmp").string());
  if (!Image_Write_BMP_24(path, image)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
  return path;
}

// With off_screen the quads lie left of the back buffer: the device clips
// them away, so the figure is the cost of the drawing layer and of the
// device's vertex work without filling pixels.
bool Run(TRender_System_Kind kind, const char* name, int frames, const std::string& picture, bool off_screen = false) {
  std::unique_ptr<TRender_System> system = Create_Render_System(kind);
  if (!system) {
    std::printf("%-8s  not available (no display)\n", name);
    return false;
  }
  TDevice_Params params;
  params.Width = WIDTH;
  params.Height = HEIGHT;
  params.Title = "Globarch drawing benchmark";
  std::unique_ptr<TRender_Device> device;
  if (system->Create_Device(params, device) != S_OK || !device) {
    std::printf("%-8s  no device could be made\n", name);
    return false;
  }
  Render_System_Set_Current(system.get());
  Render_Device_Set_Current(device.get());
  G_Init_GraphicsEngine();
  TSurface_Desc desc;
  device->Get_BackBuffer_Desc(desc);
  G_Set_BackBuffer_Desc(desc);
  const std::int32_t handle = g_tg_texture_list->m_Load_Texture(picture, 2, 0);
  if (!g_tg_texture_list->m_Get_Texture(handle) || !g_tg_texture_list->m_Get_Texture(handle)->m_Has_Texture()) {
    std::printf("%-8s  the picture could not be loaded\n", name);
    return false;
  }

  // Quad positions on a grid that covers the screen several times over.
  constexpr std::int32_t per_row = (WIDTH - QUAD) / 10;
  double cpu_total = 0, wall_total = 0, cpu_best = 1e30;
  for (int f = 0; f <= frames; ++f) {
    const double cpu0 = Cpu_Seconds();
    const Clock::time_point wall0 = Clock::now();
    device->BeginScene();
    G_Main_Clear(0xFF000000u);
    for (int q = 0; q < QUADS; ++q) {
      const std::int32_t x = (q % per_row) * 10 + (f % 7) - (off_screen ? 2 * WIDTH : 0);
      const std::int32_t y = ((q / per_row) * 7 + f) % (HEIGHT - QUAD);
      g_tg_texture_list->m_Draw_All({x, y, x + QUAD, y + QUAD}, handle, (q & 1) != 0);
    }
    device->EndScene();
    device->Present();
    const double cpu = Cpu_Seconds() - cpu0;
    const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
    if (f == 0) continue;  // the first frame warms up
    cpu_total += cpu;
    wall_total += wall;
    if (cpu < cpu_best) cpu_best = cpu;
  }
  std::printf("%-8s  %d frames of %d quads: CPU %.2f ms/frame (best %.2f), wall %.2f ms/frame, %.0f quads/s\n", name,
              frames, QUADS, cpu_total * 1e3 / frames, cpu_best * 1e3, wall_total * 1e3 / frames,
              double(QUADS) * frames / cpu_total);

  G_DeleteDeviceObjects();
  G_Shutdown_GraphicsEngine();
  Render_Device_Set_Current(nullptr);
  Render_System_Set_Current(nullptr);
  device.reset();
  system.reset();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  const std::string which = argc > 2 ? argv[2] : "both";
  char pattern[] = "/tmp/globarch_bench_XXXXXX";
  const char* dir = mkdtemp(pattern);
  if (!dir) {
    std::fprintf(stderr, "no temporary folder\n");
    return 1;
  }
  const std::string picture = Write_Picture(dir);
  if (which == "headless" || which == "both") {
    Run(TRender_System_Kind::Headless, "headless", frames, picture);
    Run(TRender_System_Kind::Headless, "clipped", frames, picture, true);
  }
  if (which == "opengl" || which == "both") Run(TRender_System_Kind::OpenGL, "opengl", frames, picture);
  std::filesystem::remove_all(dir);
  return 0;
}
