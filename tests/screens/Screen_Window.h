// A real OpenGL window with the test world generated in it and the graphics
// engine started on it, for the tests of the screens drawn in a window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "GameSettings.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
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
