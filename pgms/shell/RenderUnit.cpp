#include "RenderUnit.h"

#include "Datafile_MainFonts.h"
#include "Debug_Log.h"
#include "FrmMain.h"
#include "GameSettings.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "MachineOptions.h"
#include "Vector_Math.h"

namespace {

// The camera kept at a device loss for the next reset.
bool camera_kept = false;
TVector kept_eye = RENDER_DEFAULT_EYE, kept_look_at = RENDER_DEFAULT_LOOK_AT, kept_up = RENDER_DEFAULT_UP;

// Frame statistics of the last second.
double stats_start = -1;
std::uint32_t stats_frames = 0;
std::string stats_text = "0.00 fps";

void Engine_Log(const std::string& text) {
  if (Debug_Sections[DEBUG_ENGINE_STARTUP]) Debug_Log_Write(text);
}

void Check(HRESULT r, const char* where) {
  if (FAILED(r)) G_Check_Result(r, where);
}

}  // namespace

bool IsDeviceAcceptable(TRender_System* system, std::uint32_t adapter, std::uint32_t adapter_format,
                        std::uint32_t back_buffer_format, bool) {
  return system && SUCCEEDED(system->Check_Device_Format(adapter, adapter_format, 0, D3DRTYPE_TEXTURE,
                                                         back_buffer_format));
}

bool ModifyDeviceSettings(TDevice_Params& params) {
  params.Vsync = Machine_Options && Machine_Options->f_vsync;
  params.Depth_Format = D3DFMT_D16;
  return true;
}

HRESULT OnCreateDevice(TRender_Device&) {
  Engine_Log("RenderUnit.OnCreateDevice - Start");
  Engine_Log("RenderUnit.OnCreateDevice - End");
  return S_OK;
}

TMatrix Render_Projection(std::uint32_t width, std::uint32_t height) {
  TMatrix m;
  const float aspect = height ? float(width) / float(height) : 1.0f;
  G_Matrix_Perspective_Fov_LH(0.7853982f, aspect, 1.0f, 20000.0f, m);
  return m;
}

HRESULT OnResetDevice(TRender_Device& device, const TSurface_Desc& desc) {
  Engine_Log("RenderUnit.OnResetDevice - Start");
  const bool started_before = Frm_Main && Frm_Main->m_Engine_Started();
  G_Init_GraphicsEngine();
  G_Set_BackBuffer_Desc(desc);
  G_Set_Windowed_Flag(!Frm_Main || Frm_Main->m_Options().windowed || !Machine_Options ||
                      Machine_Options->f_windowed);
  if (Frm_Main) Frm_Main->Engine_Started();

  Check(device.SetTransform(D3DTS_PROJECTION, Render_Projection(desc.Width, desc.Height)),
        "OnResetDevice - SetTransform(D3DTS_PROJECTION)");
  if (started_before && camera_kept) G_Set_Camera(kept_eye, kept_look_at, kept_up);
  else G_Set_Camera(RENDER_DEFAULT_EYE, RENDER_DEFAULT_LOOK_AT, RENDER_DEFAULT_UP);

  TLight light;
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = TColor_Value{1, 1, 1, 0};
  light.Direction = TVector{-1, 1, 1};
  Check(device.SetLight(0, light), "OnResetDevice - SetLight");
  Check(device.LightEnable(0, true), "OnResetDevice - LightEnable");
  TMaterial material;
  material.Diffuse = TColor_Value{1, 1, 1, 1};
  material.Ambient = TColor_Value{1, 1, 1, 1};
  Check(device.SetMaterial(material), "OnResetDevice - SetMaterial");

  Check(device.SetRenderState(D3DRS_AMBIENT, Make_Color(100, 100, 100, 0)),
        "OnResetDevice - SetRenderState(D3DRS_AMBIENT)");
  Check(device.SetRenderState(D3DRS_LIGHTING, 1), "OnResetDevice - SetRenderState(D3DRS_LIGHTING)");
  Check(device.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), "OnResetDevice - SetRenderState(D3DRS_CULLMODE)");
  Check(device.SetRenderState(D3DRS_SHADEMODE, D3DSHADE_PHONG), "OnResetDevice - SetRenderState(D3DRS_SHADEMODE)");

  Check(device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE),
        "OnResetDevice - SetTextureStageState(D3DTSS_COLOROP)");
  Check(device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE),
        "OnResetDevice - SetTextureStageState(D3DTSS_ALPHAOP)");
  Check(device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE),
        "OnResetDevice - SetTextureStageState(D3DTSS_COLORARG1)");
  Check(device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE),
        "OnResetDevice - SetTextureStageState(D3DTSS_COLORARG2)");
  Check(device.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE),
        "OnResetDevice - SetTextureStageState(D3DTSS_COLOROP)");
  Check(device.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE),
        "OnResetDevice - SetTextureStageState(D3DTSS_ALPHAOP)");

  Check(device.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR), "OnResetDevice - SetSamplerState(D3DSAMP_MINFILTER)");
  Check(device.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR), "OnResetDevice - SetSamplerState(D3DSAMP_MAGFILTER)");
  Check(device.SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP), "OnResetDevice - SetSamplerState(D3DSAMP_ADDRESSU)");
  Check(device.SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP), "OnResetDevice - SetSamplerState(D3DSAMP_ADDRESSV)");

  G_RestoreDeviceObjects();
  if (Debug_Sections[DEBUG_ENGINE_STARTUP]) {
    Debug_Log_Write("RenderUnit.OnResetDevice");
    const auto line = [](const char* name, std::uint32_t v) { Debug_Log_Write(std::string(name) + std::to_string(v)); };
    line("  AdapterFormat      = ", desc.Format);
    line("  Type               = ", desc.Type);
    line("  Usage              = ", desc.Usage);
    line("  Pool               = ", desc.Pool);
    line("  MultiSampleType    = ", desc.MultiSampleType);
    line("  MultiSampleQuality = ", desc.MultiSampleQuality);
    line("  Width              = ", desc.Width);
    line("  Height             = ", desc.Height);
  }
  Engine_Log("RenderUnit.OnResetDevice - End");
  return S_OK;
}

void OnLostDevice() {
  Engine_Log("RenderUnit.OnLostDevice - Start");
  kept_eye = Game_Settings.f_camera_eye;
  kept_look_at = Game_Settings.f_camera_look_at;
  kept_up = Game_Settings.f_camera_up;
  camera_kept = true;
  G_InvalidateDeviceObjects();
  G_DeleteDeviceObjects();
  Engine_Log("RenderUnit.OnLostDevice - End");
}

void OnDestroyDevice() {
  Engine_Log("RenderUnit.OnDestroyDevice - Start");
  Engine_Log("RenderUnit.OnDestroyDevice - End");
}

void OnFrameMove(double time, float elapsed) {
  if (Frm_Main) Frm_Main->m_Frame_Move(elapsed, time);
}

void OnFrameRender(TRender_Device& device, double time, float elapsed) {
  Check(device.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Make_Color(0, 0, 0, 255), 1.0f, 0), "OnFrameRender - Clear");
  if (FAILED(device.BeginScene())) return;
  if (Frm_Main) Frm_Main->m_Frame_Render(elapsed);
  ++stats_frames;
  if (stats_start < 0) stats_start = time;
  if (time - stats_start >= 1.0) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f fps", double(stats_frames) / (time - stats_start));
    stats_text = text;
    stats_start = time;
    stats_frames = 0;
  }
  if (Machine_Options && Machine_Options->f_show_fps) {
    TSurface_Desc desc;
    device.Get_BackBuffer_Desc(desc);
    G_Font_Set_Font(2);
    G_Font_Set_Color(Make_Color(255, 255, 0));
    G_Font_Draw_Text(2, 50, stats_text + " (" + std::to_string(desc.Width) + "x" + std::to_string(desc.Height) + ")");
    G_Font_Draw_Text(2, 62, "OpenGL 2.1, 16-bit depth");
  }
  Check(device.EndScene(), "OnFrameRender - EndScene");
}

void CreateCustomDXUTobjects() {
  Engine_Log("RenderUnit.CreateCustomDXUTobjects - Start");
  Engine_Log("RenderUnit.CreateCustomDXUTobjects - End");
}

void DestroyCustomDXUTobjects() {
  Engine_Log("RenderUnit.DestroyCustomDXUTobjects - Start");
  Engine_Log("RenderUnit.DestroyCustomDXUTobjects - End");
}

void Render_Forget_Camera() {
  camera_kept = false;
  kept_eye = RENDER_DEFAULT_EYE;
  kept_look_at = RENDER_DEFAULT_LOOK_AT;
  kept_up = RENDER_DEFAULT_UP;
}
