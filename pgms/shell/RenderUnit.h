// The callbacks of the main window's device framework: which devices are
// acceptable, the settings of a new device, the device created, reset, lost
// and destroyed, and the frame's move and render.
//
// The reset sets the game's fixed drawing state: the perspective
// projection, the camera (the default one on the first reset, the one kept
// at the loss afterwards), one white directional light, a white material,
// an ambient colour of 100, 100, 100 (vertices without normals are lit by
// the ambient terms only), no culling, texture stage 0 modulating texture
// and vertex colour, linear clamped sampling; then it starts the engine.
// Log lines are written with the engine start-up section on.
#pragma once

#include <cstdint>

#include "Render_Device.h"
#include "Vector_Types.h"

// The default camera of a new game window.
constexpr TVector RENDER_DEFAULT_EYE{3072.0f, 1536.0f, -4250.0f};
constexpr TVector RENDER_DEFAULT_LOOK_AT{3072.0f, 1536.0f, 0.0f};
constexpr TVector RENDER_DEFAULT_UP{0.0f, 1.0f, 0.0f};

bool IsDeviceAcceptable(TRender_System* system, std::uint32_t adapter, std::uint32_t adapter_format,
                        std::uint32_t back_buffer_format, bool windowed);
// Vsync from the machine options, a 16-bit depth buffer; true.
bool ModifyDeviceSettings(TDevice_Params& params);
HRESULT OnCreateDevice(TRender_Device& device);
HRESULT OnResetDevice(TRender_Device& device, const TSurface_Desc& back_buffer);
void OnLostDevice();
void OnDestroyDevice();
void OnFrameMove(double time, float elapsed);
void OnFrameRender(TRender_Device& device, double time, float elapsed);
void CreateCustomDXUTobjects();
void DestroyCustomDXUTobjects();

// The projection of a back buffer of that size (pi/4 vertical field of
// view, near 1, far 20000, left-handed).
TMatrix Render_Projection(std::uint32_t width, std::uint32_t height);
// Forgets the camera kept at a device loss (a new window starts with the
// default camera).
void Render_Forget_Camera();
