// The OpenGL drawing device: OpenGL 2.1 fixed function in an SDL2 window,
// honouring every rule of Render_Device.h.
//
// The shared base (Render_Device_Base.h) does the vertex work on the CPU
// (transform, lighting, assembly, culling, flat shading); this device only
// turns the assembled primitives into GL draws:
//   - clip coordinates go to GL unchanged except for Direct3D's pixel centres
//     (half a pixel right and down), the depth range (Direct3D's 0..w becomes
//     GL's -w..w) and, for render-target textures, a vertical flip so that a
//     texture's first row is its top row whether it was uploaded or drawn;
//   - texture stage 0 becomes GL_COMBINE; with no texture bound a white
//     texel is sampled, so that the texture argument reads opaque white;
//   - render targets are framebuffer objects without a depth buffer; the
//     ones without alpha (X8R8G8B8) are GL_RGB8, so their alpha reads as 1;
//   - the back buffer is the window's double-buffered framebuffer with a 16
//     or 24-bit depth buffer and no alpha (destination alpha reads as 1).
#pragma once

#include <memory>
#include <string>

#include "Render_Device.h"

// The render system of OpenGL devices (adapters are SDL's displays). None
// when SDL's video part cannot be initialised (no display).
std::unique_ptr<TRender_System> Create_OpenGL_Render_System();

// SDL's or GL's text for the last failure of the OpenGL system or device
// (for the log), empty when there was none.
std::string OpenGL_Last_Error();
