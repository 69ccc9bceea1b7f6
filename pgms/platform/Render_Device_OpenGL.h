// The OpenGL drawing device: OpenGL 2.1 fixed function in an SDL2 window,
// honouring every rule of Render_Device.h.
#pragma once

#include <memory>

#include "Render_Device.h"

// The render system of OpenGL devices (adapters are SDL's displays). None
// when SDL's video part cannot be initialised (no display).
std::unique_ptr<TRender_System> Create_OpenGL_Render_System();
