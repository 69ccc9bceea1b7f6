#include "GraphicsEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "Debug_Log.h"
#include "Errors.h"
#include "GraphicsEngine_Texture.h"

std::int32_t G_Screen_Width = 0;
std::int32_t G_Screen_Height = 0;
bool G_Screen_Size_Known = false;
std::int32_t G_Mouse_X = 0;
std::int32_t G_Mouse_Y = 0;
TMouse_Pointer G_Mouse_Pointer_Kind = TMouse_Pointer::Normal;
bool G_Windowed = true;
bool G_Progress_Dialog_Shown = false;
TG_Engine_Hooks G_Engine_Hooks;

namespace {

// The device and the two shared buffers (ids on that device, 0 = none).
TRender_Device* f_device = nullptr;
TDevice_Buffer f_LVertexVB = 0;
TDevice_Buffer f_Indices = 0;
TSurface_Desc f_backbuffer_desc;

// The adapter and mode lists of the last enumeration.
std::vector<std::string> f_adapter_names;
std::vector<std::uint32_t> f_adapter_ordinals;
std::vector<std::uint32_t> f_mode_adapters;
std::vector<std::string> f_mode_names;
std::vector<std::int32_t> f_mode_widths;
std::vector<std::int32_t> f_mode_heights;

constexpr std::uint32_t LVERTEX_BUFFER_BYTES = G_LVERTEX_BUFFER_VERTICES * DEVICE_VERTEX_STRIDE;  // 11200
constexpr std::uint32_t INDEX_BUFFER_BYTES = G_INDEX_BUFFER_INDICES * 2;                         // 1200

// Releases the shared buffers. They are released on the device that made
// them only while it is still the framework's device; a device that went
// away took its buffers with it.
void Release_Buffers() {
  if (f_device && f_device == Render_Device_Current()) {
    if (f_LVertexVB) f_device->Release_Buffer(f_LVertexVB);
    if (f_Indices) f_device->Release_Buffer(f_Indices);
  }
  f_LVertexVB = 0;
  f_Indices = 0;
}

void Check(HRESULT result, const char* where) {
  if (result != S_OK) G_Check_Result(result, where);
}

// The states every 2D rectangle sets (stage 0 texture aside), so that no
// state is assumed from an earlier draw.
void Set_2D_States(bool smooth, bool blend, std::uint32_t src_blend, std::uint32_t dest_blend) {
  G_Set_Lighting(false);
  G_Set_ZWriteEnable(false);
  G_Set_AlphaTestEnable(false);
  G_Set_Ambient(0);
  if (blend) {
    G_Set_AlphaBlendEnable(true);
    G_Set_SrcBlend(src_blend);
    G_Set_DestBlend(dest_blend);
  } else {
    G_Set_AlphaBlendEnable(false);
  }
  const std::uint32_t filter = smooth ? D3DTEXF_LINEAR : D3DTEXF_POINT;
  G_SetSamplerState_MinFilter(filter);
  G_SetSamplerState_MagFilter(filter);
}

// Four screen vertices (left, top), (right, top), (right, bottom), (left,
// bottom), half a pixel up and left so that texels fall on pixel centres,
// drawn as a fan of two triangles.
void Draw_2D_Fan(const char* routine, const TRect& rect, TColor color, float u0, float v0, float u1, float v1) {
  const float left = float(rect.Left) - 0.5f, top = float(rect.Top) - 0.5f;
  const float right = float(rect.Right) - 0.5f, bottom = float(rect.Bottom) - 0.5f;
  TScreen_Vertex v[4];
  G_Make_Screen_Vertex(v[0], left, top, 0.5f, 1.0f, color, u0, v0);
  G_Make_Screen_Vertex(v[1], right, top, 0.5f, 1.0f, color, u1, v0);
  G_Make_Screen_Vertex(v[2], right, bottom, 0.5f, 1.0f, color, u1, v1);
  G_Make_Screen_Vertex(v[3], left, bottom, 0.5f, 1.0f, color, u0, v1);
  const std::string name = routine;
  HRESULT r = f_device->SetFVF(FVF_SCREEN_VERTEX);
  if (r != S_OK) G_Check_Result(r, name + " - SetFVF");
  r = f_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, DEVICE_VERTEX_STRIDE);
  if (r != S_OK) G_Check_Result(r, name + " - DrawPrimitiveUP");
}

// A texture object that can be drawn: it exists and has a texture of a
// known size (one made when first drawn is made here).
bool Drawable(const TGTexture* texture) {
  return texture && texture->m_Texture() != 0 && texture->m_Texture_Width() > 0 && texture->m_Texture_Height() > 0;
}

void Draw_Surface_All(const char* routine, const TGTexture* texture, const TRect& dest, bool smooth, bool blend,
                      std::uint32_t src_blend, std::uint32_t dest_blend, TColor color) {
  if (!f_device || !Drawable(texture)) return;
  G_SetTexture_Obj(0, texture);
  Set_2D_States(smooth, blend, src_blend, dest_blend);
  const float u = float(texture->m_Image_Width()) / float(texture->m_Texture_Width());
  const float v = float(texture->m_Image_Height()) / float(texture->m_Texture_Height());
  Draw_2D_Fan(routine, dest, color, 0, 0, u, v);
}

void Draw_Surface_Part(const char* routine, const TGTexture* texture, const TRect& dest, const TRect& source,
                       bool smooth, bool blend, std::uint32_t src_blend, std::uint32_t dest_blend) {
  if (!f_device || !Drawable(texture)) return;
  G_SetTexture_Obj(0, texture);
  Set_2D_States(smooth, blend, src_blend, dest_blend);
  const float tw = float(texture->m_Texture_Width()), th = float(texture->m_Texture_Height());
  Draw_2D_Fan(routine, dest, 0xFFFFFFFFu, float(source.Left) / tw, float(source.Top) / th, float(source.Right) / tw,
              float(source.Bottom) / th);
}

// A component of G_Make_Color_From_Floats: times 255, rounded half to even.
std::uint32_t Float_Component(float value) {
  const float scaled = value * 255.0f;
  if (!std::isfinite(scaled) || scaled < -2147483648.0f || scaled >= 2147483648.0f) throw ERangeError();
  return std::uint32_t(std::int32_t(std::nearbyint(scaled)));
}

}  // namespace

// --- device lifetime -------------------------------------------------------

bool G_Init_GraphicsEngine() {
  Release_Buffers();
  f_device = nullptr;
  if (G_Engine_Hooks.Create_Device_Fonts) G_Engine_Hooks.Create_Device_Fonts();
  f_device = Render_Device_Current();
  if (f_device) {
    HRESULT r = f_device->CreateVertexBuffer(LVERTEX_BUFFER_BYTES, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                             FVF_LVERTEX, D3DPOOL_DEFAULT, f_LVertexVB);
    if (r != S_OK) {
      f_LVertexVB = 0;
      G_Check_Result(r, "G_Init_GraphicsEngine - CreateVertexBuffer 3");
    }
    r = f_device->CreateIndexBuffer(INDEX_BUFFER_BYTES, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                    D3DPOOL_DEFAULT, f_Indices);
    if (r != S_OK) {
      f_Indices = 0;
      G_Check_Result(r, "G_Init_GraphicsEngine - CreateVertexBuffer 5");
    }
    // Lit vertices carry no normals, so only the ambient term lights them.
    // With a material that reflects all ambient light, "lighting on with an
    // ambient colour" tints the texture in that colour (the owner tints of
    // the map, the highlights, the unit pictures): every screen relies on it.
    TMaterial material;
    material.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};
    material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    Check(f_device->SetMaterial(material), "G_Init_GraphicsEngine - SetMaterial");
  }
  if (!g_tg_texture_list) g_tg_texture_list = std::make_unique<TGTexture_List>();
  return true;
}

void G_RestoreDeviceObjects() {
  if (G_Engine_Hooks.Restore_Device_Fonts) G_Engine_Hooks.Restore_Device_Fonts();
}

void G_InvalidateDeviceObjects() {
  if (G_Engine_Hooks.Invalidate_Device_Fonts) G_Engine_Hooks.Invalidate_Device_Fonts();
}

HRESULT G_DeleteDeviceObjects() {
  HRESULT result = S_OK;
  if (G_Engine_Hooks.Delete_Device_Fonts) result = G_Engine_Hooks.Delete_Device_Fonts();
  if (g_tg_texture_list) g_tg_texture_list->m_Clear();
  Release_Buffers();
  f_device = nullptr;
  return result;
}

bool G_Shutdown_GraphicsEngine() {
  g_tg_texture_list.reset();
  Release_Buffers();
  f_device = nullptr;
  if (G_Engine_Hooks.Free_Fonts) G_Engine_Hooks.Free_Fonts();
  f_adapter_names.clear();
  f_adapter_ordinals.clear();
  f_mode_adapters.clear();
  f_mode_names.clear();
  f_mode_widths.clear();
  f_mode_heights.clear();
  return true;
}

TRender_Device* G_Device() { return f_device; }

void G_Set_BackBuffer_Desc(const TSurface_Desc& desc) {
  f_backbuffer_desc = desc;
  G_Screen_Width = Checked_Cast<std::int32_t>(desc.Width);
  G_Screen_Height = Checked_Cast<std::int32_t>(desc.Height);
  G_Screen_Size_Known = true;
}

void G_Get_BackBuffer_Desc(TSurface_Desc& desc) { desc = f_backbuffer_desc; }

void G_Set_Windowed_Flag(bool windowed) { G_Windowed = windowed; }

void Set_Mouse_Position(std::int32_t x, std::int32_t y) {
  G_Mouse_X = x;
  G_Mouse_Y = y;
}

// --- device-call wrappers ---------------------------------------------------

HRESULT G_Main_Clear(TColor color) {
  if (!f_device) return E_FAIL;
  HRESULT r = f_device->Clear(D3DCLEAR_TARGET, color, 1.0f, 0);
  Check(r, "G_Main_Clear - Clear");
  return r;
}

HRESULT G_SetTexture(std::uint32_t stage, TDevice_Texture texture) {
  if (!f_device) return E_FAIL;
  HRESULT r = f_device->SetTexture(stage, texture);
  Check(r, "G_SetTexture - SetTexture");
  return r;
}

HRESULT G_SetTexture_Obj(std::uint32_t stage, const TGTexture* texture) {
  if (!f_device) return E_FAIL;
  HRESULT r;
  if (!texture) {
    r = f_device->SetTexture(stage, 0);
    Check(r, "G_SetTexture_Obj - SetTexture 1");
  } else {
    r = f_device->SetTexture(stage, texture->m_Texture());
    Check(r, "G_SetTexture_Obj - SetTexture 2");
  }
  return r;
}

HRESULT G_GetTransform(std::uint32_t state, TMatrix& matrix) {
  if (!f_device) return E_FAIL;
  HRESULT r = f_device->GetTransform(state, matrix);
  Check(r, "G_GetTransform - GetTransform");
  return r;
}

HRESULT G_SetTransform(std::uint32_t state, const TMatrix& matrix) {
  HRESULT r = E_FAIL;
  if (f_device) {
    r = f_device->SetTransform(state, matrix);
    Check(r, "G_SetTransform - SetTransform");
  }
  if (state == D3DTS_VIEW && G_Engine_Hooks.View_Changed) G_Engine_Hooks.View_Changed();
  return r;
}

HRESULT G_SetRenderState(std::uint32_t state, std::uint32_t value) {
  if (!f_device) return E_FAIL;
  HRESULT r = f_device->SetRenderState(state, value);
  Check(r, "G_SetRenderState - SetRenderState");
  return r;
}

HRESULT G_GetViewport(TViewport& viewport) {
  if (!f_device) return E_FAIL;
  HRESULT r = f_device->GetViewport(viewport);
  Check(r, "G_GetViewport - GetViewPort");
  return r;
}

HRESULT G_DrawPrimitiveUP(std::uint32_t primitive, std::uint32_t primitive_count, const void* vertices,
                          std::uint32_t stride) {
  if (!f_device) return E_FAIL;
  HRESULT r = f_device->DrawPrimitiveUP(primitive, primitive_count, vertices, stride);
  Check(r, "G_DrawPrimitiveUP - DrawPrimitiveUp");
  return r;
}

HRESULT G_GetRenderTarget(std::uint32_t index, TDevice_Surface& surface) {
  G_Release_Surface(surface);
  if (!f_device) return E_FAIL;
  HRESULT r = f_device->GetRenderTarget(index, surface);
  Check(r, "G_GetRenderTarget - GetRenderTarget");
  return r;
}

HRESULT G_SetRenderTarget(std::uint32_t index, TDevice_Surface surface) {
  if (!f_device) return E_FAIL;
  HRESULT r = f_device->SetRenderTarget(index, surface);
  Check(r, "G_SetRenderTarget - SetRenderTarget");
  return r;
}

HRESULT G_GetSurfaceLevel(std::uint32_t level, const TGTexture* texture, TDevice_Surface& surface) {
  G_Release_Surface(surface);
  // A missing device or texture is a failed call like any other.
  HRESULT r = (f_device && texture && texture->m_Has_Texture())
                  ? f_device->GetSurfaceLevel(texture->m_Texture(), level, surface)
                  : E_FAIL;
  Check(r, "G_GetSurfaceLevel - GetSurfaceLevel");
  return r;
}

HRESULT G_SetFVF(std::uint32_t fvf) {
  if (!f_device) return E_FAIL;
  HRESULT r = f_device->SetFVF(fvf);
  Check(r, "G_SetFVF - SetFVF");
  return r;
}

void G_Release_Surface(TDevice_Surface& surface) { surface = 0; }

// --- state setters -------------------------------------------------------------

HRESULT G_Set_ZWriteEnable(bool on) { return G_SetRenderState(D3DRS_ZWRITEENABLE, on ? 1 : 0); }
HRESULT G_Set_AlphaTestEnable(bool on) { return G_SetRenderState(D3DRS_ALPHATESTENABLE, on ? 1 : 0); }
HRESULT G_Set_AlphaBlendEnable(bool on) { return G_SetRenderState(D3DRS_ALPHABLENDENABLE, on ? 1 : 0); }
HRESULT G_Set_Lighting(bool on) { return G_SetRenderState(D3DRS_LIGHTING, on ? 1 : 0); }
HRESULT G_Set_SrcBlend(std::uint32_t factor) { return G_SetRenderState(D3DRS_SRCBLEND, factor); }
HRESULT G_Set_DestBlend(std::uint32_t factor) { return G_SetRenderState(D3DRS_DESTBLEND, factor); }
HRESULT G_Set_Ambient(TColor color) { return G_SetRenderState(D3DRS_AMBIENT, color); }

namespace {
HRESULT Set_Sampler_0(std::uint32_t type, std::uint32_t value, const char* where) {
  if (!f_device) return E_FAIL;
  HRESULT r = f_device->SetSamplerState(0, type, value);
  Check(r, where);
  return r;
}
}  // namespace

HRESULT G_SetSamplerState_MinFilter(std::uint32_t filter) {
  return Set_Sampler_0(D3DSAMP_MINFILTER, filter, "G_SetSamplerState_MinFilter - SetSamplerState");
}
HRESULT G_SetSamplerState_MagFilter(std::uint32_t filter) {
  return Set_Sampler_0(D3DSAMP_MAGFILTER, filter, "G_SetSamplerState_MagFilter - SetSamplerState");
}
HRESULT G_SetSamplerState_AddressU(std::uint32_t mode) {
  return Set_Sampler_0(D3DSAMP_ADDRESSU, mode, "G_SetSamplerState_AddressU - SetSamplerState");
}
HRESULT G_SetSamplerState_AddressV(std::uint32_t mode) {
  return Set_Sampler_0(D3DSAMP_ADDRESSV, mode, "G_SetSamplerState_AddressV - SetSamplerState");
}

void G_Set_Empty_State(bool) {}

// --- drawing ------------------------------------------------------------------

std::uint32_t G_Primitive_Count(std::uint32_t primitive, std::uint32_t n) {
  switch (primitive) {
    case D3DPT_POINTLIST: return n;
    case D3DPT_LINELIST: return n / 2;
    case D3DPT_LINESTRIP: return n >= 1 ? n - 1 : 0;
    case D3DPT_TRIANGLELIST: return n / 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return n >= 2 ? n - 2 : 0;
    default: return 0;
  }
}

HRESULT G_DrawIndexedPrimitive_LVertex(std::uint32_t primitive, const LVertex* vertices, std::int32_t vertex_count,
                                       const std::uint16_t* indices, std::int32_t index_count) {
  if (!f_device || !f_LVertexVB || !f_Indices) return E_FAIL;
  // The shared buffers hold 400 vertices and 600 indices: a larger call is
  // refused instead of writing past them.
  if (vertex_count < 0 || index_count < 0 || std::uint32_t(vertex_count) > G_LVERTEX_BUFFER_VERTICES ||
      std::uint32_t(index_count) > G_INDEX_BUFFER_INDICES || (vertex_count > 0 && !vertices) ||
      (index_count > 0 && !indices)) {
    G_Check_Result(E_FAIL, "G_DrawIndexedPrimitive_LVertex - Batch too large (" + std::to_string(vertex_count) +
                               " vertices, " + std::to_string(index_count) + " indices)");
    return E_FAIL;
  }
  Check(f_device->SetFVF(FVF_LVERTEX), "G_DrawIndexedPrimitive_LVertex - SetFVF");
  Check(f_device->SetPixelShader(0), "G_DrawIndexedPrimitive_LVertex - SetPixelShader");
  const std::uint32_t primitive_count = G_Primitive_Count(primitive, std::uint32_t(index_count));
  Check(f_device->SetStreamSource(0, f_LVertexVB, 0, DEVICE_VERTEX_STRIDE),
        "G_DrawIndexedPrimitive_LVertex - SetStreamSource");

  void* vertex_data = nullptr;
  void* index_data = nullptr;
  if (f_device->Lock_Buffer(f_LVertexVB, 0, 0, vertex_data, D3DLOCK_DISCARD) != S_OK) return E_FAIL;
  if (f_device->Lock_Buffer(f_Indices, 0, 0, index_data, D3DLOCK_DISCARD) != S_OK) {
    f_device->Unlock_Buffer(f_LVertexVB);
    return E_FAIL;
  }
  if (vertex_count > 0) std::memcpy(vertex_data, vertices, std::size_t(vertex_count) * DEVICE_VERTEX_STRIDE);
  Check(f_device->Unlock_Buffer(f_LVertexVB), "G_DrawIndexedPrimitive_LVertex - f_LVertexVB.Unlock");
  if (index_count > 0) std::memcpy(index_data, indices, std::size_t(index_count) * 2);
  Check(f_device->Unlock_Buffer(f_Indices), "G_DrawIndexedPrimitive_LVertex - f_Indices.Unlock");
  Check(f_device->SetIndices(f_Indices), "G_DrawIndexedPrimitive_LVertex - SetIndices");

  HRESULT r = f_device->DrawIndexedPrimitive(primitive, 0, 0, std::uint32_t(vertex_count), 0, primitive_count);
  Check(r, "G_DrawIndexedPrimitive_LVertex - DrawIndexedPrimitive");
  return r;
}

HRESULT G_DrawPrimitive_LVertex(std::uint32_t primitive, const LVertex* vertices, std::int32_t vertex_count) {
  if (!f_device || !f_LVertexVB) return E_FAIL;
  Check(f_device->SetFVF(FVF_LVERTEX), "G_DrawPrimitive_LVertex - SetFVF");
  Check(f_device->SetPixelShader(0), "G_DrawPrimitive_LVertex - SetPixelShader");
  if (vertex_count <= 0 || !vertices) return S_OK;
  // Batch sizes that end on whole primitives of a list.
  std::uint32_t full_batch = G_LVERTEX_BUFFER_VERTICES;
  if (primitive == D3DPT_TRIANGLELIST) full_batch = 399;
  if (primitive == D3DPT_TRIANGLEFAN) full_batch = 398;

  HRESULT result = S_OK;
  std::uint32_t done = 0;
  const std::uint32_t total = std::uint32_t(vertex_count);
  while (done < total) {
    const std::uint32_t remaining = total - done;
    const std::uint32_t batch = remaining <= G_LVERTEX_BUFFER_VERTICES ? remaining : full_batch;
    const std::uint32_t primitive_count = G_Primitive_Count(primitive, batch);
    result = f_device->SetStreamSource(0, f_LVertexVB, 0, DEVICE_VERTEX_STRIDE);
    Check(result, "G_DrawPrimitive_LVertex - SetStreamSource");
    void* data = nullptr;
    result = f_device->Lock_Buffer(f_LVertexVB, 0, 0, data, D3DLOCK_DISCARD);
    if (result == S_OK) {
      std::memcpy(data, vertices + done, std::size_t(batch) * DEVICE_VERTEX_STRIDE);
      result = f_device->Unlock_Buffer(f_LVertexVB);
      Check(result, "G_DrawPrimitive_LVertex - f_LVertexVB.Unlock");
      result = f_device->DrawPrimitive(primitive, 0, primitive_count);
      Check(result, "G_DrawPrimitive_LVertex - DrawPrimitive");
    } else {
      G_Check_Result(result, "G_DrawPrimitive_LVertex - f_LVertexVB.Lock");
    }
    done += batch;
  }
  return result;
}

void G_Draw_2D_Surface_All(const TGTexture* texture, const TRect& dest, bool smooth) {
  Draw_Surface_All("G_Draw_2D_Surface_All", texture, dest, smooth, false, 0, 0, 0xFFFFFFFFu);
}

void G_Draw_2D_Surface_All_Blend(const TGTexture* texture, const TRect& dest, bool smooth, std::uint32_t src_blend,
                                 std::uint32_t dest_blend, TColor color) {
  Draw_Surface_All("G_Draw_2D_Surface_All_Blend", texture, dest, smooth, true, src_blend, dest_blend, color);
}

void G_Draw_2D_Surface_Part(const TGTexture* texture, const TRect& dest, const TRect& source, bool smooth) {
  Draw_Surface_Part("G_Draw_2D_Surface_Part", texture, dest, source, smooth, false, 0, 0);
}

void G_Draw_2D_Surface_Part_Masked(const TGTexture* texture, const TRect& dest, const TRect& source, bool smooth) {
  Draw_Surface_Part("G_Draw_2D_Surface_Part_Masked", texture, dest, source, smooth, true, D3DBLEND_ONE,
                    D3DBLEND_INVSRCALPHA);
}

void G_Draw_2D_Color_Part(TColor color, const TRect& rect, bool smooth, bool blend) {
  if (!f_device) return;
  G_SetTexture_Obj(0, nullptr);
  Set_2D_States(smooth, blend, D3DBLEND_SRCCOLOR, D3DBLEND_SRCALPHA);
  Draw_2D_Fan("G_Draw_2D_Color_Part", rect, color, 0, 0, 1, 1);
}

void G_Draw_Textured_Quad(TColor color, bool smooth, bool blend, float x, float y, float width, float height,
                          float z) {
  if (!f_device) return;
  G_SetTexture_Obj(0, nullptr);
  Set_2D_States(smooth, blend, D3DBLEND_SRCCOLOR, D3DBLEND_SRCALPHA);
  LVertex v[4];
  G_Make_LVertex(v[0], x, y, z, color, 0xFFFFFFFFu, 0, 1);
  G_Make_LVertex(v[1], x + width, y, z, color, 0xFFFFFFFFu, 1, 1);
  G_Make_LVertex(v[2], x + width, y + height, z, color, 0xFFFFFFFFu, 1, 0);
  G_Make_LVertex(v[3], x, y + height, z, color, 0xFFFFFFFFu, 0, 0);
  static const std::uint16_t indices[6] = {3, 1, 0, 3, 2, 1};
  G_DrawIndexedPrimitive_LVertex(D3DPT_TRIANGLELIST, v, 4, indices, 6);
}

void G_Make_LVertex(LVertex& v, float x, float y, float z, TColor diffuse, TColor specular, float tu, float tv) {
  v.x = x;
  v.y = y;
  v.z = z;
  v.diffuse = diffuse;
  v.specular = specular;
  v.tu = tu;
  v.tv = tv;
}

void G_Make_Screen_Vertex(TScreen_Vertex& v, float x, float y, float z, float rhw, TColor diffuse, float tu,
                          float tv) {
  v.x = x;
  v.y = y;
  v.z = z;
  v.rhw = rhw;
  v.diffuse = diffuse;
  v.tu = tu;
  v.tv = tv;
}

void G_Make_Float4(TVector4& v, float a, float b, float c, float d) {
  v.x = a;
  v.y = b;
  v.z = c;
  v.w = d;
}

// --- colours ------------------------------------------------------------------

TColor G_Make_Color(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return G_Make_Color_RGBA(r, g, b, 255); }

TColor G_Make_Color_RGBA(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

TColor G_Make_Color_From_Floats(float r, float g, float b, float a) {
  return G_Make_Color_RGBA(Float_Component(r), Float_Component(g), Float_Component(b), Float_Component(a));
}

std::uint8_t G_Color_Red(TColor c) { return std::uint8_t(c >> 16); }
std::uint8_t G_Color_Green(TColor c) { return std::uint8_t(c >> 8); }
std::uint8_t G_Color_Blue(TColor c) { return std::uint8_t(c); }
std::uint8_t G_Color_Alpha(TColor c) { return std::uint8_t(c >> 24); }
TColor G_Color_Opaque(TColor c) { return c | 0xFF000000u; }

// --- error texts ----------------------------------------------------------------

int G_Check_Result(HRESULT result, const std::string& where) {
  if (result == 0) return 0;
  if (Debug_Sections[DEBUG_ENGINE_STARTUP]) {
    const std::string text =
        std::to_string(result) + " - " + G_DX_Error_String(result) + " - " + G_DX_Error_Description(result);
    Debug_Log_Write(where + ": " + text);
  }
  return 1;
}

std::string G_DX_Error_String(HRESULT result) { return Device_Error_String(result); }
std::string G_DX_Error_Description(HRESULT result) { return Device_Error_Description(result); }

// --- adapters and display modes -------------------------------------------------

namespace {

// At most 100 characters (not bytes) of a UTF-8 text.
std::string Adapter_Name(const std::string& description) {
  std::size_t chars = 0, i = 0;
  while (i < description.size()) {
    if ((std::uint8_t(description[i]) & 0xC0) != 0x80) {
      if (chars == 100) break;
      ++chars;
    }
    ++i;
  }
  return description.substr(0, i);
}

void Enumerate(TRender_System& system, TG_Device_Acceptable acceptable, std::int32_t min_width,
               std::int32_t min_height) {
  std::vector<std::string> adapter_names;
  std::vector<std::uint32_t> adapter_ordinals, mode_adapters;
  std::vector<std::string> mode_names;
  std::vector<std::int32_t> mode_widths, mode_heights;

  const std::uint32_t count = system.Get_Adapter_Count();
  for (std::uint32_t adapter = 0; adapter < count; ++adapter) {
    std::string description;
    if (system.Get_Adapter_Description(adapter, description) != S_OK) description.clear();
    std::vector<TDisplay_Mode> modes;
    const std::uint32_t mode_count = system.Get_Adapter_Mode_Count(adapter, D3DFMT_X8R8G8B8);
    for (std::uint32_t i = 0; i < mode_count; ++i) {
      TDisplay_Mode mode;
      if (system.Enum_Adapter_Modes(adapter, D3DFMT_X8R8G8B8, i, mode) != S_OK) continue;
      if (std::int64_t(mode.Width) < min_width || std::int64_t(mode.Height) < min_height) continue;
      if (acceptable && !acceptable(&system, adapter, D3DFMT_X8R8G8B8, mode.Format, false)) continue;
      modes.push_back(mode);
    }
    std::sort(modes.begin(), modes.end(), [](const TDisplay_Mode& a, const TDisplay_Mode& b) {
      if (a.Width != b.Width) return a.Width < b.Width;
      if (a.Height != b.Height) return a.Height < b.Height;
      if (a.Format != b.Format) return a.Format < b.Format;
      return a.RefreshRate < b.RefreshRate;
    });
    adapter_names.push_back(Adapter_Name(description));
    adapter_ordinals.push_back(adapter);
    std::vector<std::string> listed;
    for (const TDisplay_Mode& mode : modes) {
      if (mode.Format != D3DFMT_X8R8G8B8) continue;
      std::string name = std::to_string(mode.Width) + " x " + std::to_string(mode.Height);
      if (std::find(listed.begin(), listed.end(), name) != listed.end()) continue;
      listed.push_back(name);
      mode_adapters.push_back(adapter);
      mode_names.push_back(name);
      mode_widths.push_back(Checked_Cast<std::int32_t>(mode.Width));
      mode_heights.push_back(Checked_Cast<std::int32_t>(mode.Height));
    }
  }
  f_adapter_names = std::move(adapter_names);
  f_adapter_ordinals = std::move(adapter_ordinals);
  f_mode_adapters = std::move(mode_adapters);
  f_mode_names = std::move(mode_names);
  f_mode_widths = std::move(mode_widths);
  f_mode_heights = std::move(mode_heights);
}

}  // namespace

HRESULT G_Enumerate_Display_Modes(TRender_System* system, TG_Device_Acceptable acceptable, std::int32_t min_width,
                                  std::int32_t min_height) {
  if (!system) system = Render_System_Current();
  if (!system) return DXUTERR_NODIRECT3D;
  try {
    Enumerate(*system, acceptable, min_width, min_height);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

bool G_Get_Adapter_List(std::vector<std::string>& names, std::vector<std::uint32_t>& ordinals) {
  names = f_adapter_names;
  ordinals = f_adapter_ordinals;
  return !names.empty();
}

bool G_Get_Display_Mode_List(std::uint32_t adapter, std::vector<std::string>& names,
                             std::vector<std::int32_t>& widths, std::vector<std::int32_t>& heights) {
  names.clear();
  widths.clear();
  heights.clear();
  for (std::size_t i = 0; i < f_mode_names.size(); ++i) {
    if (f_mode_adapters[i] != adapter) continue;
    names.push_back(f_mode_names[i]);
    widths.push_back(f_mode_widths[i]);
    heights.push_back(f_mode_heights[i]);
  }
  return true;
}
