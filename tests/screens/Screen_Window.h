// A real OpenGL window with the test world generated in it and the graphics
// engine started on it, for the tests of the screens drawn in a window.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "GameSettings.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "Image_Files.h"
#include "Render_Device_OpenGL.h"
#include "Screen_World.h"
#include "Test_Support.h"
#include "Vector_Math.h"

// Opens a `w` x `h` window titled `title`, generates the "Tiny" world of the
// window tests, runs `after_world` (when given) and starts the engine with a
// perspective projection and the world's textures; false when a step fails.
inline bool Screen_Window_Open(const char* title, std::uint32_t w, std::uint32_t h,
                               std::unique_ptr<TRender_System>& system, std::unique_ptr<TRender_Device>& device,
                               TScreen_World*& world, const std::function<bool()>& after_world = {}) {
  system = Create_OpenGL_Render_System();
  if (!system) return false;
  TDevice_Params params;
  params.Width = w;
  params.Height = h;
  params.Title = title;
  if (system->Create_Device(params, device) != S_OK) return false;
  world = new TScreen_World(Source_Dir());
  if (!world->Generate("Tiny", 4242, 120)) return false;
  if (after_world && !after_world()) return false;
  Render_Device_Set_Current(device.get());
  G_Init_GraphicsEngine();
  G_RestoreDeviceObjects();
  TSurface_Desc desc;
  device->Get_BackBuffer_Desc(desc);
  G_Set_BackBuffer_Desc(desc);
  TMatrix projection;
  G_Matrix_Perspective_Fov_LH(0.7853982f, float(w) / float(h), 1.0f, 20000.0f, projection);
  G_SetTransform(D3DTS_PROJECTION, projection);
  world->Load_Textures();
  return true;
}

// Stops the engine and frees the world, the window and the game settings.
inline void Screen_Window_Close(std::unique_ptr<TRender_System>& system, std::unique_ptr<TRender_Device>& device,
                                TScreen_World*& world) {
  if (device) G_Shutdown_GraphicsEngine();
  Render_Device_Set_Current(nullptr);
  delete world;
  world = nullptr;
  device.reset();
  system.reset();
  G_Culling_Reset();
  Game_Settings.m_Reset();
}

// Whether there is an X display to open the window on.
inline bool Screen_Window_Display_Available() {
  const char* x = std::getenv("DISPLAY");
  return x && *x;
}

// One frame as the window showed it.
struct TWindow_Frame {
  std::uint32_t width = 0, height = 0;
  std::vector<TColor> pixels;
  // The colour at (x, y), without its alpha.
  TColor At(std::int32_t x, std::int32_t y) const {
    return pixels.at(std::size_t(y) * width + std::size_t(x)) & 0xFFFFFFu;
  }
  // How many pixels of the rectangle are not the colour c (alpha aside).
  std::int64_t Different(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                         TColor c) const {
    std::int64_t n = 0;
    for (std::int32_t y = top; y < bottom; ++y)
      for (std::int32_t x = left; x < right; ++x) n += At(x, y) != (c & 0xFFFFFFu);
    return n;
  }
  // How many pixels of the rectangle are not black.
  std::int64_t Lit(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) const {
    return Different(left, top, right, bottom, 0);
  }
};

// Reads back the frame just drawn (between BeginScene and EndScene) and
// presents it. With GLOBARCH_SCREENSHOT_DIR set the frame is also written
// there as <name>.bmp, to be looked at.
inline TWindow_Frame Screen_Window_Read_Frame(TRender_Device* device, const std::string& name) {
  TWindow_Frame frame;
  EXPECT_EQ(device->Read_Surface(device->Get_BackBuffer_Surface(), frame.width, frame.height, frame.pixels), S_OK);
  device->Present();
  if (const char* dir = std::getenv("GLOBARCH_SCREENSHOT_DIR")) {
    TImage image;
    image.Set_Size(std::int32_t(frame.width), std::int32_t(frame.height), 0);
    image.pixels = frame.pixels;
    Write_File(std::filesystem::path(dir) / (name + ".bmp"), BMP_Encode_24(image));
  }
  return frame;
}
