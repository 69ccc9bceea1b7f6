#include "Render_Device.h"

#include <cstdio>

#include "Render_Device_Headless.h"
#include "Render_Device_OpenGL.h"

namespace {

struct TError_Text {
  HRESULT code;
  const char* name;
  const char* description;
};

constexpr TError_Text ERROR_TEXTS[] = {
    {S_OK, "S_OK", "The call succeeded."},
    {S_FALSE, "S_FALSE", "The call succeeded with nothing to do."},
    {E_FAIL, "E_FAIL", "The call failed."},
    {E_NOTIMPL, "E_NOTIMPL", "The call is not implemented."},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY", "Not enough memory to complete the call."},
    {E_INVALIDARG, "E_INVALIDARG", "An invalid argument was passed."},
    {D3DERR_WRONGTEXTUREFORMAT, "D3DERR_WRONGTEXTUREFORMAT", "The texture format cannot be used."},
    {D3DERR_DRIVERINTERNALERROR, "D3DERR_DRIVERINTERNALERROR", "The graphics driver failed internally."},
    {D3DERR_NOTFOUND, "D3DERR_NOTFOUND", "The requested item was not found."},
    {D3DERR_DEVICELOST, "D3DERR_DEVICELOST", "The device is lost and cannot be reset yet."},
    {D3DERR_DEVICENOTRESET, "D3DERR_DEVICENOTRESET", "The device is lost and can be reset."},
    {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE", "The requested format or feature is not available."},
    {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL", "Invalid call: a parameter or the device state is not valid."},
    {D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY", "Not enough display memory to complete the call."},
    {D3DXERR_INVALIDDATA, "D3DXERR_INVALIDDATA", "The data is invalid."},
    {DXUTERR_NODIRECT3D, "DXUTERR_NODIRECT3D", "No drawing system could be initialised."},
};

const TError_Text* Find_Error(HRESULT result) {
  for (const TError_Text& t : ERROR_TEXTS)
    if (t.code == result) return &t;
  return nullptr;
}

TRender_System* g_current_system = nullptr;
TRender_Device* g_current_device = nullptr;

}  // namespace

std::string Device_Error_String(HRESULT result) {
  if (const TError_Text* t = Find_Error(result)) return t->name;
  char text[40];
  std::snprintf(text, sizeof text, "Unknown error 0x%08X", unsigned(result));
  return text;
}

std::string Device_Error_Description(HRESULT result) {
  if (const TError_Text* t = Find_Error(result)) return t->description;
  return "Unknown error.";
}

std::unique_ptr<TRender_System> Create_Render_System(TRender_System_Kind kind) {
  if (kind == TRender_System_Kind::OpenGL) return Create_OpenGL_Render_System();
  return std::make_unique<TRender_System_Headless>();
}

void Render_System_Set_Current(TRender_System* system) { g_current_system = system; }
TRender_System* Render_System_Current() { return g_current_system; }
void Render_Device_Set_Current(TRender_Device* device) { g_current_device = device; }
TRender_Device* Render_Device_Current() { return g_current_device; }
