#include "Render_Device_OpenGL.h"

std::unique_ptr<TRender_System> Create_OpenGL_Render_System() { return nullptr; }
