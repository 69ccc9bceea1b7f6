// The graphics engine started on a headless device of a given size, for the
// tests that draw without a window.
#pragma once

#include <cstdint>
#include <memory>

#include "GraphicsEngine.h"
#include "Render_Device_Headless.h"

// A `width` x `height` headless device, made current, with the engine
// started on it and told its back buffer.
inline std::unique_ptr<TRender_Device_Headless> Headless_Engine_Start(std::uint32_t width, std::uint32_t height) {
  TDevice_Params params;
  params.Width = width;
  params.Height = height;
  auto device = std::make_unique<TRender_Device_Headless>(params);
  Render_Device_Set_Current(device.get());
  G_Init_GraphicsEngine();
  TSurface_Desc desc;
  device->Get_BackBuffer_Desc(desc);
  G_Set_BackBuffer_Desc(desc);
  return device;
}
