#include "Render_Device_Base.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

constexpr std::uint32_t MAX_BUFFER_BYTES = 64u * 1024u * 1024u;

bool Is_Blend_State(std::uint32_t state) { return state == D3DRS_SRCBLEND || state == D3DRS_DESTBLEND; }

// Vertices needed for a number of primitives; 0 for an unknown type.
std::uint64_t Vertices_For(std::uint32_t primitive, std::uint32_t count) {
  const std::uint64_t c = count;
  switch (primitive) {
    case D3DPT_POINTLIST: return c;
    case D3DPT_LINELIST: return c * 2;
    case D3DPT_LINESTRIP: return c + 1;
    case D3DPT_TRIANGLELIST: return c * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return c + 2;
    default: return 0;
  }
}

TMatrix Multiply(const TMatrix& a, const TMatrix& b) {
  TMatrix r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      float s = 0;
      for (int k = 0; k < 4; ++k) s += a.m[i][k] * b.m[k][j];
      r.m[i][j] = s;
    }
  return r;
}

bool Finite(const TClip_Vertex& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.w) &&
         std::isfinite(v.u) && std::isfinite(v.v);
}

TRGBA Value_To_RGBA(const TColor_Value& c) { return {c.r, c.g, c.b, c.a}; }

float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

}  // namespace

TMatrix Identity_Matrix() {
  TMatrix m;
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1;
  return m;
}

TDevice_State Default_Device_State(std::uint32_t width, std::uint32_t height) {
  TDevice_State s;
  auto& r = s.render;
  r[D3DRS_ZENABLE] = D3DZB_TRUE;
  r[D3DRS_FILLMODE] = D3DFILL_SOLID;
  r[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  r[D3DRS_ZWRITEENABLE] = 1;
  r[D3DRS_LASTPIXEL] = 1;
  r[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  r[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  r[D3DRS_CULLMODE] = D3DCULL_CCW;
  r[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  r[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  r[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
  r[D3DRS_CLIPPING] = 1;
  r[D3DRS_LIGHTING] = 1;
  r[D3DRS_COLORVERTEX] = 1;
  r[D3DRS_LOCALVIEWER] = 1;
  r[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
  r[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
  r[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
  r[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
  r[D3DRS_POINTSIZE] = std::bit_cast<std::uint32_t>(1.0f);
  r[D3DRS_COLORWRITEENABLE] = 0xF;
  r[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  r[D3DRS_BLENDFACTOR] = 0xFFFFFFFFu;
  for (auto& sampler : s.sampler) {
    sampler[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
    sampler[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
    sampler[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    sampler[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
    sampler[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    sampler[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    sampler[D3DSAMP_MAXANISOTROPY] = 1;
  }
  for (std::uint32_t i = 0; i < DEVICE_STAGE_COUNT; ++i) {
    auto& st = s.stage[i];
    st[D3DTSS_COLOROP] = i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    st[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    st[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    st[D3DTSS_ALPHAOP] = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    st[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    st[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    st[D3DTSS_TEXCOORDINDEX] = i;
    st[28] = D3DTA_CURRENT;  // result argument
  }
  s.world = s.view = s.projection = Identity_Matrix();
  for (auto& m : s.texture_transform) m = Identity_Matrix();
  s.viewport = TViewport{0, 0, width, height, 0.0f, 1.0f};
  return s;
}

// --- colour helpers ----------------------------------------------------------

TRGBA Color_To_RGBA(TColor c) {
  return {Color_Red(c) / 255.0f, Color_Green(c) / 255.0f, Color_Blue(c) / 255.0f, Color_Alpha(c) / 255.0f};
}

TColor RGBA_To_Color(const TRGBA& c) {
  auto byte = [](float v) { return std::uint8_t(Clamp01(v) * 255.0f + 0.5f); };
  return Make_Color(byte(c.r), byte(c.g), byte(c.b), byte(c.a));
}

TColor Device_Light_Vertex(const TDevice_State& s, TColor diffuse, TColor specular) {
  const bool vertex_colors = s.render[D3DRS_COLORVERTEX] != 0;
  auto source = [&](std::uint32_t which, const TColor_Value& material) {
    if (vertex_colors && which == D3DMCS_COLOR1) return Color_To_RGBA(diffuse);
    if (vertex_colors && which == D3DMCS_COLOR2) return Color_To_RGBA(specular);
    return Value_To_RGBA(material);
  };
  const TRGBA ambient_material = source(s.render[D3DRS_AMBIENTMATERIALSOURCE], s.material.Ambient);
  const TRGBA emissive = source(s.render[D3DRS_EMISSIVEMATERIALSOURCE], s.material.Emissive);
  const TRGBA diffuse_material = source(s.render[D3DRS_DIFFUSEMATERIALSOURCE], s.material.Diffuse);
  TRGBA ambient = Color_To_RGBA(s.render[D3DRS_AMBIENT]);
  for (std::uint32_t i = 0; i < DEVICE_LIGHT_COUNT; ++i) {
    if (!s.light_enabled[i]) continue;
    ambient.r += s.lights[i].Ambient.r;
    ambient.g += s.lights[i].Ambient.g;
    ambient.b += s.lights[i].Ambient.b;
  }
  TRGBA out;
  out.r = emissive.r + ambient_material.r * ambient.r;
  out.g = emissive.g + ambient_material.g * ambient.g;
  out.b = emissive.b + ambient_material.b * ambient.b;
  out.a = diffuse_material.a;
  return RGBA_To_Color(out);
}

TRGBA Device_Stage0(const TDevice_State& s, const TRGBA& diffuse, const TRGBA& texel) {
  const auto& st = s.stage[0];
  const TRGBA factor = Color_To_RGBA(s.render[D3DRS_TEXTUREFACTOR]);
  auto arg = [&](std::uint32_t a) {
    switch (a & 0xF) {
      case D3DTA_TEXTURE: return texel;
      case D3DTA_TFACTOR: return factor;
      default: return diffuse;  // diffuse; at stage 0 also the current colour
    }
  };
  auto op = [](std::uint32_t o, float a1, float a2) {
    switch (o) {
      case D3DTOP_SELECTARG1: return a1;
      case D3DTOP_SELECTARG2: return a2;
      case D3DTOP_MODULATE2X: return a1 * a2 * 2;
      case D3DTOP_MODULATE4X: return a1 * a2 * 4;
      case D3DTOP_ADD: return a1 + a2;
      default: return a1 * a2;
    }
  };
  if (st[D3DTSS_COLOROP] == D3DTOP_DISABLE) return diffuse;
  TRGBA out;
  const TRGBA c1 = arg(st[D3DTSS_COLORARG1]), c2 = arg(st[D3DTSS_COLORARG2]);
  out.r = Clamp01(op(st[D3DTSS_COLOROP], c1.r, c2.r));
  out.g = Clamp01(op(st[D3DTSS_COLOROP], c1.g, c2.g));
  out.b = Clamp01(op(st[D3DTSS_COLOROP], c1.b, c2.b));
  if (st[D3DTSS_ALPHAOP] == D3DTOP_DISABLE) {
    out.a = diffuse.a;
  } else {
    out.a = Clamp01(op(st[D3DTSS_ALPHAOP], arg(st[D3DTSS_ALPHAARG1]).a, arg(st[D3DTSS_ALPHAARG2]).a));
  }
  return out;
}

TRGBA Device_Blend_Factor(std::uint32_t factor, const TRGBA& src, const TRGBA& dst, TColor blend_factor) {
  switch (factor) {
    case D3DBLEND_ZERO: return {0, 0, 0, 0};
    case D3DBLEND_ONE: return {1, 1, 1, 1};
    case D3DBLEND_SRCCOLOR: return src;
    case D3DBLEND_INVSRCCOLOR: return {1 - src.r, 1 - src.g, 1 - src.b, 1 - src.a};
    case D3DBLEND_SRCALPHA: return {src.a, src.a, src.a, src.a};
    case D3DBLEND_INVSRCALPHA: return {1 - src.a, 1 - src.a, 1 - src.a, 1 - src.a};
    case D3DBLEND_DESTALPHA: return {dst.a, dst.a, dst.a, dst.a};
    case D3DBLEND_INVDESTALPHA: return {1 - dst.a, 1 - dst.a, 1 - dst.a, 1 - dst.a};
    case D3DBLEND_DESTCOLOR: return dst;
    case D3DBLEND_INVDESTCOLOR: return {1 - dst.r, 1 - dst.g, 1 - dst.b, 1 - dst.a};
    case D3DBLEND_SRCALPHASAT: {
      const float f = std::min(src.a, 1 - dst.a);
      return {f, f, f, 1};
    }
    case D3DBLEND_BLENDFACTOR: return Color_To_RGBA(blend_factor);
    case D3DBLEND_INVBLENDFACTOR: {
      const TRGBA b = Color_To_RGBA(blend_factor);
      return {1 - b.r, 1 - b.g, 1 - b.b, 1 - b.a};
    }
    default: return {1, 1, 1, 1};
  }
}

bool Device_Compare(std::uint32_t func, float value, float reference) {
  switch (func) {
    case D3DCMP_NEVER: return false;
    case D3DCMP_LESS: return value < reference;
    case D3DCMP_EQUAL: return value == reference;
    case D3DCMP_LESSEQUAL: return value <= reference;
    case D3DCMP_GREATER: return value > reference;
    case D3DCMP_NOTEQUAL: return value != reference;
    case D3DCMP_GREATEREQUAL: return value >= reference;
    default: return true;
  }
}

// --- draw records -------------------------------------------------------------

TDevice_LVertex TDraw_Record::m_LVertex(std::uint32_t i) const {
  TDevice_LVertex v{};
  if (std::size_t(i + 1) * DEVICE_VERTEX_STRIDE <= vertices.size())
    std::memcpy(&v, vertices.data() + std::size_t(i) * DEVICE_VERTEX_STRIDE, sizeof v);
  return v;
}

TDevice_Screen_Vertex TDraw_Record::m_Screen_Vertex(std::uint32_t i) const {
  TDevice_Screen_Vertex v{};
  if (std::size_t(i + 1) * DEVICE_VERTEX_STRIDE <= vertices.size())
    std::memcpy(&v, vertices.data() + std::size_t(i) * DEVICE_VERTEX_STRIDE, sizeof v);
  return v;
}

// --- device --------------------------------------------------------------------

TRender_Device_Base::TRender_Device_Base(const TDevice_Params& params)
    : f_params(params), f_state(Default_Device_State(params.Width, params.Height)) {
  f_state.render_target = BACK_BUFFER_SURFACE;
}

TRender_Device_Base::~TRender_Device_Base() = default;

void TRender_Device_Base::Fail_Next_Call(HRESULT result, std::uint32_t count) {
  f_fail_result = result;
  f_fail_count = count;
}

HRESULT TRender_Device_Base::Enter(const char* name) {
  if (f_call_logging) f_call_log.emplace_back(name);
  if (f_fail_count > 0) {
    --f_fail_count;
    return f_fail_result;
  }
  return S_OK;
}

std::size_t TRender_Device_Base::Texture_Count() const {
  return std::size_t(std::count_if(f_textures.begin(), f_textures.end(), [](const auto& t) { return t != nullptr; }));
}

std::size_t TRender_Device_Base::Buffer_Count() const {
  return std::size_t(std::count_if(f_buffers.begin(), f_buffers.end(), [](const auto& b) { return b != nullptr; }));
}

TRender_Device_Base::TTexture_Object* TRender_Device_Base::Find_Texture(TDevice_Texture id) {
  if (id == 0 || id > f_textures.size()) return nullptr;
  return f_textures[id - 1].get();
}

TRender_Device_Base::TBuffer_Object* TRender_Device_Base::Find_Buffer(TDevice_Buffer id) {
  if (id == 0 || id > f_buffers.size()) return nullptr;
  return f_buffers[id - 1].get();
}

TRender_Device_Base::TTexture_Object* TRender_Device_Base::Target_Texture() {
  if (f_state.render_target == BACK_BUFFER_SURFACE) return nullptr;
  return Find_Texture(f_state.render_target);
}

std::uint32_t TRender_Device_Base::Target_Width() {
  const TTexture_Object* t = Target_Texture();
  return t ? t->width : f_params.Width;
}

std::uint32_t TRender_Device_Base::Target_Height() {
  const TTexture_Object* t = Target_Texture();
  return t ? t->height : f_params.Height;
}

// --- frame -----------------------------------------------------------------------

HRESULT TRender_Device_Base::BeginScene() {
  if (HRESULT r = Enter("BeginScene")) return r;
  if (f_in_scene) return D3DERR_INVALIDCALL;
  f_in_scene = true;
  return S_OK;
}

HRESULT TRender_Device_Base::EndScene() {
  if (HRESULT r = Enter("EndScene")) return r;
  if (!f_in_scene) return D3DERR_INVALIDCALL;
  f_in_scene = false;
  return S_OK;
}

HRESULT TRender_Device_Base::Present() {
  if (HRESULT r = Enter("Present")) return r;
  HRESULT r = Backend_Present();
  if (SUCCEEDED(r)) ++f_frames;
  return r;
}

HRESULT TRender_Device_Base::Clear(std::uint32_t flags, TColor color, float z, std::uint32_t) {
  if (HRESULT r = Enter("Clear")) return r;
  if (flags == 0 || (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0)
    return D3DERR_INVALIDCALL;
  if (!std::isfinite(z) || z < 0 || z > 1) return D3DERR_INVALIDCALL;
  const bool zbuffer = (flags & D3DCLEAR_ZBUFFER) != 0 && Target_Texture() == nullptr;
  const bool target = (flags & D3DCLEAR_TARGET) != 0;
  if (!target && !zbuffer) return S_OK;
  return Backend_Clear(target, zbuffer, color, z);
}

HRESULT TRender_Device_Base::Get_BackBuffer_Desc(TSurface_Desc& desc) {
  if (HRESULT r = Enter("Get_BackBuffer_Desc")) return r;
  desc = TSurface_Desc{D3DFMT_X8R8G8B8, D3DRTYPE_SURFACE, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, 0, 0,
                       f_params.Width, f_params.Height};
  return S_OK;
}

HRESULT TRender_Device_Base::SetViewport(const TViewport& v) {
  if (HRESULT r = Enter("SetViewport")) return r;
  const std::uint64_t right = std::uint64_t(v.X) + v.Width, bottom = std::uint64_t(v.Y) + v.Height;
  if (v.Width == 0 || v.Height == 0 || right > Target_Width() || bottom > Target_Height()) return D3DERR_INVALIDCALL;
  if (!std::isfinite(v.MinZ) || !std::isfinite(v.MaxZ) || v.MinZ < 0 || v.MaxZ > 1 || v.MinZ > v.MaxZ)
    return D3DERR_INVALIDCALL;
  f_state.viewport = v;
  return S_OK;
}

HRESULT TRender_Device_Base::GetViewport(TViewport& v) {
  if (HRESULT r = Enter("GetViewport")) return r;
  v = f_state.viewport;
  return S_OK;
}

HRESULT TRender_Device_Base::Reset(const TDevice_Params& params) {
  if (HRESULT r = Enter("Reset")) return r;
  if (params.Width == 0 || params.Height == 0 || params.Width > 16384 || params.Height > 16384 || f_in_scene)
    return D3DERR_INVALIDCALL;
  if (HRESULT r = Backend_Reset(params)) return r;
  f_params = params;
  if (Target_Texture() == nullptr) f_state.viewport = TViewport{0, 0, params.Width, params.Height, 0.0f, 1.0f};
  return S_OK;
}

HRESULT TRender_Device_Base::TestCooperativeLevel() { return Enter("TestCooperativeLevel"); }

// --- state -------------------------------------------------------------------------

HRESULT TRender_Device_Base::SetRenderState(std::uint32_t state, std::uint32_t value) {
  if (HRESULT r = Enter("SetRenderState")) return r;
  if (state >= D3DRS_COUNT) return D3DERR_INVALIDCALL;
  if (Is_Blend_State(state)) {
    // The two "both" values set source and destination at once; values that
    // are no blend factor leave the factor as it was.
    if (value == D3DBLEND_BOTHSRCALPHA) {
      f_state.render[D3DRS_SRCBLEND] = D3DBLEND_SRCALPHA;
      f_state.render[D3DRS_DESTBLEND] = D3DBLEND_INVSRCALPHA;
    } else if (value == D3DBLEND_BOTHINVSRCALPHA) {
      f_state.render[D3DRS_SRCBLEND] = D3DBLEND_INVSRCALPHA;
      f_state.render[D3DRS_DESTBLEND] = D3DBLEND_SRCALPHA;
    } else if (value >= D3DBLEND_ZERO && value <= D3DBLEND_INVBLENDFACTOR) {
      f_state.render[state] = value;
    }
    return S_OK;
  }
  f_state.render[state] = value;
  return S_OK;
}

HRESULT TRender_Device_Base::GetRenderState(std::uint32_t state, std::uint32_t& value) {
  if (HRESULT r = Enter("GetRenderState")) return r;
  if (state >= D3DRS_COUNT) return D3DERR_INVALIDCALL;
  value = f_state.render[state];
  return S_OK;
}

HRESULT TRender_Device_Base::SetSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t value) {
  if (HRESULT r = Enter("SetSamplerState")) return r;
  if (sampler >= DEVICE_STAGE_COUNT || type >= D3DSAMP_COUNT) return D3DERR_INVALIDCALL;
  f_state.sampler[sampler][type] = value;
  return S_OK;
}

HRESULT TRender_Device_Base::GetSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t& value) {
  if (HRESULT r = Enter("GetSamplerState")) return r;
  if (sampler >= DEVICE_STAGE_COUNT || type >= D3DSAMP_COUNT) return D3DERR_INVALIDCALL;
  value = f_state.sampler[sampler][type];
  return S_OK;
}

HRESULT TRender_Device_Base::SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value) {
  if (HRESULT r = Enter("SetTextureStageState")) return r;
  if (stage >= DEVICE_STAGE_COUNT || type >= D3DTSS_COUNT) return D3DERR_INVALIDCALL;
  f_state.stage[stage][type] = value;
  return S_OK;
}

HRESULT TRender_Device_Base::GetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t& value) {
  if (HRESULT r = Enter("GetTextureStageState")) return r;
  if (stage >= DEVICE_STAGE_COUNT || type >= D3DTSS_COUNT) return D3DERR_INVALIDCALL;
  value = f_state.stage[stage][type];
  return S_OK;
}

namespace {
TMatrix* Transform_Slot(TDevice_State& s, std::uint32_t state) {
  if (state == D3DTS_WORLD) return &s.world;
  if (state == D3DTS_VIEW) return &s.view;
  if (state == D3DTS_PROJECTION) return &s.projection;
  if (state >= D3DTS_TEXTURE0 && state < D3DTS_TEXTURE0 + DEVICE_STAGE_COUNT)
    return &s.texture_transform[state - D3DTS_TEXTURE0];
  return nullptr;
}
}  // namespace

HRESULT TRender_Device_Base::SetTransform(std::uint32_t state, const TMatrix& matrix) {
  if (HRESULT r = Enter("SetTransform")) return r;
  TMatrix* slot = Transform_Slot(f_state, state);
  if (!slot) return D3DERR_INVALIDCALL;
  *slot = matrix;
  return S_OK;
}

HRESULT TRender_Device_Base::GetTransform(std::uint32_t state, TMatrix& matrix) {
  if (HRESULT r = Enter("GetTransform")) return r;
  TMatrix* slot = Transform_Slot(f_state, state);
  if (!slot) return D3DERR_INVALIDCALL;
  matrix = *slot;
  return S_OK;
}

HRESULT TRender_Device_Base::SetMaterial(const TMaterial& material) {
  if (HRESULT r = Enter("SetMaterial")) return r;
  f_state.material = material;
  return S_OK;
}

HRESULT TRender_Device_Base::GetMaterial(TMaterial& material) {
  if (HRESULT r = Enter("GetMaterial")) return r;
  material = f_state.material;
  return S_OK;
}

HRESULT TRender_Device_Base::SetLight(std::uint32_t index, const TLight& light) {
  if (HRESULT r = Enter("SetLight")) return r;
  if (index >= DEVICE_LIGHT_COUNT || light.Type < D3DLIGHT_POINT || light.Type > D3DLIGHT_DIRECTIONAL)
    return D3DERR_INVALIDCALL;
  f_state.lights[index] = light;
  return S_OK;
}

HRESULT TRender_Device_Base::GetLight(std::uint32_t index, TLight& light) {
  if (HRESULT r = Enter("GetLight")) return r;
  if (index >= DEVICE_LIGHT_COUNT) return D3DERR_INVALIDCALL;
  light = f_state.lights[index];
  return S_OK;
}

HRESULT TRender_Device_Base::LightEnable(std::uint32_t index, bool enable) {
  if (HRESULT r = Enter("LightEnable")) return r;
  if (index >= DEVICE_LIGHT_COUNT) return D3DERR_INVALIDCALL;
  f_state.light_enabled[index] = enable;
  return S_OK;
}

HRESULT TRender_Device_Base::GetLightEnable(std::uint32_t index, bool& enable) {
  if (HRESULT r = Enter("GetLightEnable")) return r;
  if (index >= DEVICE_LIGHT_COUNT) return D3DERR_INVALIDCALL;
  enable = f_state.light_enabled[index];
  return S_OK;
}

HRESULT TRender_Device_Base::SetFVF(std::uint32_t fvf) {
  if (HRESULT r = Enter("SetFVF")) return r;
  f_state.fvf = fvf;
  return S_OK;
}

HRESULT TRender_Device_Base::GetFVF(std::uint32_t& fvf) {
  if (HRESULT r = Enter("GetFVF")) return r;
  fvf = f_state.fvf;
  return S_OK;
}

HRESULT TRender_Device_Base::SetPixelShader(std::uint32_t shader) {
  if (HRESULT r = Enter("SetPixelShader")) return r;
  if (shader != 0) return D3DERR_INVALIDCALL;
  f_state.pixel_shader = 0;
  return S_OK;
}

// --- textures ------------------------------------------------------------------------

HRESULT TRender_Device_Base::New_Texture(TTexture_Object texture, const TColor* pixels, TDevice_Texture& id) {
  if (f_textures.size() >= BACK_BUFFER_SURFACE - 1) return E_OUTOFMEMORY;
  if (HRESULT r = Backend_Create_Texture(texture, pixels)) return r;
  f_textures.push_back(std::make_unique<TTexture_Object>(texture));
  id = TDevice_Texture(f_textures.size());
  return S_OK;
}

HRESULT TRender_Device_Base::New_Mask(TTexture_Object texture, const std::uint8_t* values, TDevice_Texture& id) {
  if (f_textures.size() >= BACK_BUFFER_SURFACE - 1) return E_OUTOFMEMORY;
  if (HRESULT r = Backend_Create_Mask(texture, values)) return r;
  f_textures.push_back(std::make_unique<TTexture_Object>(texture));
  id = TDevice_Texture(f_textures.size());
  return S_OK;
}

HRESULT TRender_Device_Base::Create_Mask_Texture(std::uint32_t width, std::uint32_t height,
                                                 const std::uint8_t* values, std::uint32_t pool,
                                                 TDevice_Texture& texture) {
  if (HRESULT r = Enter("Create_Mask_Texture")) return r;
  const std::uint32_t max = Get_Max_Texture_Size();
  if (values == nullptr || width == 0 || height == 0 || width > max || height > max) return D3DERR_INVALIDCALL;
  if (pool > D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  TTexture_Object t;
  t.width = width;
  t.height = height;
  t.format = DEVICE_FMT_I8;
  t.usage = 0;
  t.pool = pool;
  return New_Mask(t, values, texture);
}

HRESULT TRender_Device_Base::Create_Texture_From_Pixels(std::uint32_t width, std::uint32_t height,
                                                        const TColor* argb, TColor color_key, std::uint32_t usage,
                                                        std::uint32_t pool, TDevice_Texture& texture) {
  if (HRESULT r = Enter("Create_Texture_From_Pixels")) return r;
  const std::uint32_t max = Get_Max_Texture_Size();
  if (argb == nullptr || width == 0 || height == 0 || width > max || height > max) return D3DERR_INVALIDCALL;
  if ((usage & ~D3DUSAGE_DYNAMIC) != 0 || pool > D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
  TTexture_Object t;
  t.width = std::bit_ceil(width);
  t.height = std::bit_ceil(height);
  t.format = D3DFMT_A8R8G8B8;
  t.usage = usage;
  t.pool = pool;
  // A picture that fills its texture and has no colour key is handed over
  // as it is.
  if (t.width == width && t.height == height && color_key == 0) return New_Texture(t, argb, texture);
  // The picture at the top left of a power-of-two texture; the padding and
  // the colour-keyed pixels are transparent black.
  std::vector<TColor> padded;
  try {
    padded.assign(std::size_t(t.width) * t.height, 0u);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  for (std::uint32_t y = 0; y < height; ++y) {
    const TColor* src = argb + std::size_t(y) * width;
    TColor* dst = padded.data() + std::size_t(y) * t.width;
    for (std::uint32_t x = 0; x < width; ++x) dst[x] = (color_key != 0 && src[x] == color_key) ? 0u : src[x];
  }
  return New_Texture(t, padded.data(), texture);
}

HRESULT TRender_Device_Base::CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                           std::uint32_t usage, std::uint32_t format, std::uint32_t pool,
                                           TDevice_Texture& texture) {
  if (HRESULT r = Enter("CreateTexture")) return r;
  const std::uint32_t max = Get_Max_Texture_Size();
  if (width == 0 || height == 0 || width > max || height > max || levels > 1) return D3DERR_INVALIDCALL;
  if (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8) return D3DERR_INVALIDCALL;
  if ((usage & ~(D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC)) != 0 || pool > D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
  if ((usage & D3DUSAGE_RENDERTARGET) != 0 && pool != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
  TTexture_Object t;
  t.width = width;
  t.height = height;
  t.format = format;
  t.usage = usage;
  t.pool = pool;
  return New_Texture(t, nullptr, texture);
}

HRESULT TRender_Device_Base::Release_Texture(TDevice_Texture texture) {
  if (HRESULT r = Enter("Release_Texture")) return r;
  TTexture_Object* t = Find_Texture(texture);
  if (!t) return D3DERR_INVALIDCALL;
  for (auto& bound : f_state.textures)
    if (bound == texture) bound = 0;
  const bool was_target = f_state.render_target == texture;
  if (was_target) {
    f_state.render_target = BACK_BUFFER_SURFACE;
    f_state.viewport = TViewport{0, 0, f_params.Width, f_params.Height, 0.0f, 1.0f};
  }
  Backend_Release_Texture(*t);
  f_textures[texture - 1].reset();
  if (was_target) Backend_Target_Changed();
  return S_OK;
}

HRESULT TRender_Device_Base::Get_Level_Desc(TDevice_Texture texture, std::uint32_t level, TSurface_Desc& desc) {
  if (HRESULT r = Enter("Get_Level_Desc")) return r;
  const TTexture_Object* t = Find_Texture(texture);
  if (!t || level != 0) return D3DERR_INVALIDCALL;
  desc = TSurface_Desc{t->format, D3DRTYPE_SURFACE, t->usage, t->pool, 0, 0, t->width, t->height};
  return S_OK;
}

HRESULT TRender_Device_Base::SetTexture(std::uint32_t stage, TDevice_Texture texture) {
  if (HRESULT r = Enter("SetTexture")) return r;
  if (stage >= DEVICE_STAGE_COUNT || (texture != 0 && !Find_Texture(texture))) return D3DERR_INVALIDCALL;
  f_state.textures[stage] = texture;
  return S_OK;
}

HRESULT TRender_Device_Base::GetTexture(std::uint32_t stage, TDevice_Texture& texture) {
  if (HRESULT r = Enter("GetTexture")) return r;
  if (stage >= DEVICE_STAGE_COUNT) return D3DERR_INVALIDCALL;
  texture = f_state.textures[stage];
  return S_OK;
}

HRESULT TRender_Device_Base::GetSurfaceLevel(TDevice_Texture texture, std::uint32_t level, TDevice_Surface& surface) {
  if (HRESULT r = Enter("GetSurfaceLevel")) return r;
  if (!Find_Texture(texture) || level != 0) return D3DERR_INVALIDCALL;
  surface = texture;
  return S_OK;
}

HRESULT TRender_Device_Base::GetRenderTarget(std::uint32_t index, TDevice_Surface& surface) {
  if (HRESULT r = Enter("GetRenderTarget")) return r;
  if (index != 0) return D3DERR_INVALIDCALL;
  surface = f_state.render_target;
  return S_OK;
}

HRESULT TRender_Device_Base::SetRenderTarget(std::uint32_t index, TDevice_Surface surface) {
  if (HRESULT r = Enter("SetRenderTarget")) return r;
  if (index != 0) return D3DERR_INVALIDCALL;
  std::uint32_t width = f_params.Width, height = f_params.Height;
  if (surface != BACK_BUFFER_SURFACE) {
    const TTexture_Object* t = Find_Texture(surface);
    if (!t || !t->render_target()) return D3DERR_INVALIDCALL;
    width = t->width;
    height = t->height;
  }
  f_state.render_target = surface;
  f_state.viewport = TViewport{0, 0, width, height, 0.0f, 1.0f};
  Backend_Target_Changed();
  return S_OK;
}

HRESULT TRender_Device_Base::Read_Surface(TDevice_Surface surface, std::uint32_t& width, std::uint32_t& height,
                                          std::vector<TColor>& pixels) {
  if (HRESULT r = Enter("Read_Surface")) return r;
  const TTexture_Object* t = nullptr;
  if (surface != BACK_BUFFER_SURFACE) {
    t = Find_Texture(surface);
    if (!t) return D3DERR_INVALIDCALL;
  }
  std::vector<TColor> read;
  if (HRESULT r = Backend_Read(t, read)) return r;
  width = t ? t->width : f_params.Width;
  height = t ? t->height : f_params.Height;
  pixels = std::move(read);
  return S_OK;
}

// --- buffers -----------------------------------------------------------------------------

HRESULT TRender_Device_Base::CreateVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t fvf,
                                                std::uint32_t pool, TDevice_Buffer& buffer) {
  if (HRESULT r = Enter("CreateVertexBuffer")) return r;
  if (length == 0 || length > MAX_BUFFER_BYTES || pool > D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
  auto b = std::make_unique<TBuffer_Object>();
  b->usage = usage;
  b->pool = pool;
  b->fvf = fvf;
  b->bytes.assign(length, 0);
  f_buffers.push_back(std::move(b));
  buffer = TDevice_Buffer(f_buffers.size());
  return S_OK;
}

HRESULT TRender_Device_Base::CreateIndexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t format,
                                               std::uint32_t pool, TDevice_Buffer& buffer) {
  if (HRESULT r = Enter("CreateIndexBuffer")) return r;
  if (length == 0 || length > MAX_BUFFER_BYTES || pool > D3DPOOL_SYSTEMMEM || format != D3DFMT_INDEX16)
    return D3DERR_INVALIDCALL;
  auto b = std::make_unique<TBuffer_Object>();
  b->index = true;
  b->usage = usage;
  b->pool = pool;
  b->format = format;
  b->bytes.assign(length, 0);
  f_buffers.push_back(std::move(b));
  buffer = TDevice_Buffer(f_buffers.size());
  return S_OK;
}

HRESULT TRender_Device_Base::Lock_Buffer(TDevice_Buffer buffer, std::uint32_t offset, std::uint32_t size,
                                         void*& data, std::uint32_t) {
  if (HRESULT r = Enter("Lock_Buffer")) return r;
  TBuffer_Object* b = Find_Buffer(buffer);
  if (!b || b->locked) return D3DERR_INVALIDCALL;
  const std::uint64_t length = b->bytes.size();
  if (offset == 0 && size == 0) size = std::uint32_t(length);
  if (size == 0) size = std::uint32_t(length - std::min<std::uint64_t>(offset, length));
  if (std::uint64_t(offset) + size > length || size == 0) return D3DERR_INVALIDCALL;
  b->locked = true;
  data = b->bytes.data() + offset;
  return S_OK;
}

HRESULT TRender_Device_Base::Unlock_Buffer(TDevice_Buffer buffer) {
  if (HRESULT r = Enter("Unlock_Buffer")) return r;
  TBuffer_Object* b = Find_Buffer(buffer);
  if (!b || !b->locked) return D3DERR_INVALIDCALL;
  b->locked = false;
  return S_OK;
}

HRESULT TRender_Device_Base::Release_Buffer(TDevice_Buffer buffer) {
  if (HRESULT r = Enter("Release_Buffer")) return r;
  if (!Find_Buffer(buffer)) return D3DERR_INVALIDCALL;
  if (f_state.stream_source == buffer) f_state.stream_source = 0;
  if (f_state.indices == buffer) f_state.indices = 0;
  f_buffers[buffer - 1].reset();
  return S_OK;
}

HRESULT TRender_Device_Base::SetStreamSource(std::uint32_t stream, TDevice_Buffer buffer, std::uint32_t offset,
                                             std::uint32_t stride) {
  if (HRESULT r = Enter("SetStreamSource")) return r;
  if (stream != 0) return D3DERR_INVALIDCALL;
  if (buffer != 0) {
    const TBuffer_Object* b = Find_Buffer(buffer);
    if (!b || b->index) return D3DERR_INVALIDCALL;
  }
  f_state.stream_source = buffer;
  f_state.stream_offset = offset;
  f_state.stream_stride = stride;
  return S_OK;
}

HRESULT TRender_Device_Base::SetIndices(TDevice_Buffer buffer) {
  if (HRESULT r = Enter("SetIndices")) return r;
  if (buffer != 0) {
    const TBuffer_Object* b = Find_Buffer(buffer);
    if (!b || !b->index) return D3DERR_INVALIDCALL;
  }
  f_state.indices = buffer;
  return S_OK;
}

// --- drawing -------------------------------------------------------------------------------

HRESULT TRender_Device_Base::DrawPrimitive(std::uint32_t primitive, std::uint32_t start_vertex,
                                           std::uint32_t primitive_count) {
  if (HRESULT r = Enter("DrawPrimitive")) return r;
  const TBuffer_Object* b = Find_Buffer(f_state.stream_source);
  if (!b || b->locked || f_state.stream_stride != DEVICE_VERTEX_STRIDE) return D3DERR_INVALIDCALL;
  if (primitive_count == 0 || primitive_count > DEVICE_MAX_PRIMITIVES) return D3DERR_INVALIDCALL;
  const std::uint64_t n = Vertices_For(primitive, primitive_count);
  if (n == 0) return D3DERR_INVALIDCALL;
  const std::uint64_t first = f_state.stream_offset + std::uint64_t(start_vertex) * DEVICE_VERTEX_STRIDE;
  if (first + n * DEVICE_VERTEX_STRIDE > b->bytes.size()) return D3DERR_INVALIDCALL;
  return Draw_Common(primitive, primitive_count, b->bytes.data() + first, std::uint32_t(n), nullptr, 0, false);
}

HRESULT TRender_Device_Base::DrawIndexedPrimitive(std::uint32_t primitive, std::int32_t base_vertex,
                                                  std::uint32_t min_index, std::uint32_t vertex_count,
                                                  std::uint32_t start_index, std::uint32_t primitive_count) {
  if (HRESULT r = Enter("DrawIndexedPrimitive")) return r;
  const TBuffer_Object* vb = Find_Buffer(f_state.stream_source);
  const TBuffer_Object* ib = Find_Buffer(f_state.indices);
  if (!vb || vb->locked || !ib || ib->locked || f_state.stream_stride != DEVICE_VERTEX_STRIDE)
    return D3DERR_INVALIDCALL;
  if (primitive_count == 0 || primitive_count > DEVICE_MAX_PRIMITIVES || vertex_count == 0) return D3DERR_INVALIDCALL;
  const std::uint64_t n = Vertices_For(primitive, primitive_count);
  if (n == 0) return D3DERR_INVALIDCALL;
  if ((std::uint64_t(start_index) + n) * 2 > ib->bytes.size()) return D3DERR_INVALIDCALL;
  const std::int64_t first_vertex = std::int64_t(base_vertex) + min_index;
  if (first_vertex < 0) return D3DERR_INVALIDCALL;
  const std::uint64_t first = f_state.stream_offset + std::uint64_t(first_vertex) * DEVICE_VERTEX_STRIDE;
  if (first + std::uint64_t(vertex_count) * DEVICE_VERTEX_STRIDE > vb->bytes.size()) return D3DERR_INVALIDCALL;
  std::vector<std::uint16_t> indices(n);
  std::memcpy(indices.data(), ib->bytes.data() + std::size_t(start_index) * 2, n * 2);
  return Draw_Common(primitive, primitive_count, vb->bytes.data() + first, vertex_count, indices.data(),
                     -std::int32_t(min_index), true);
}

HRESULT TRender_Device_Base::DrawPrimitiveUP(std::uint32_t primitive, std::uint32_t primitive_count,
                                             const void* vertices, std::uint32_t stride) {
  if (HRESULT r = Enter("DrawPrimitiveUP")) return r;
  if (!vertices || stride != DEVICE_VERTEX_STRIDE) return D3DERR_INVALIDCALL;
  if (primitive_count == 0 || primitive_count > DEVICE_MAX_PRIMITIVES) return D3DERR_INVALIDCALL;
  const std::uint64_t n = Vertices_For(primitive, primitive_count);
  if (n == 0) return D3DERR_INVALIDCALL;
  // Drawing from memory leaves no stream source set.
  f_state.stream_source = 0;
  f_state.stream_offset = f_state.stream_stride = 0;
  return Draw_Common(primitive, primitive_count, static_cast<const std::uint8_t*>(vertices), std::uint32_t(n),
                     nullptr, 0, false);
}

HRESULT TRender_Device_Base::DrawIndexedPrimitiveUP(std::uint32_t primitive, std::uint32_t min_index,
                                                    std::uint32_t vertex_count, std::uint32_t primitive_count,
                                                    const void* indices, std::uint32_t index_format,
                                                    const void* vertices, std::uint32_t stride) {
  if (HRESULT r = Enter("DrawIndexedPrimitiveUP")) return r;
  if (!vertices || !indices || stride != DEVICE_VERTEX_STRIDE || index_format != D3DFMT_INDEX16)
    return D3DERR_INVALIDCALL;
  if (primitive_count == 0 || primitive_count > DEVICE_MAX_PRIMITIVES || vertex_count == 0 ||
      std::uint64_t(min_index) + vertex_count > 65536)
    return D3DERR_INVALIDCALL;
  const std::uint64_t n = Vertices_For(primitive, primitive_count);
  if (n == 0) return D3DERR_INVALIDCALL;
  f_state.stream_source = 0;
  f_state.stream_offset = f_state.stream_stride = 0;
  f_state.indices = 0;
  return Draw_Common(primitive, primitive_count,
                     static_cast<const std::uint8_t*>(vertices) + std::size_t(min_index) * DEVICE_VERTEX_STRIDE,
                     vertex_count, static_cast<const std::uint16_t*>(indices), -std::int32_t(min_index), true);
}

HRESULT TRender_Device_Base::Draw_Common(std::uint32_t primitive, std::uint32_t primitive_count,
                                         const std::uint8_t* vertices, std::uint32_t vertex_count,
                                         const std::uint16_t* indices, std::int32_t index_bias, bool indexed) {
  const bool screen = f_state.fvf == FVF_SCREEN_VERTEX;
  if (!screen && f_state.fvf != FVF_LVERTEX) return D3DERR_INVALIDCALL;
  const std::uint32_t refs = std::uint32_t(Vertices_For(primitive, primitive_count));
  // Every index must name one of the given vertices.
  if (indexed) {
    for (std::uint32_t k = 0; k < refs; ++k) {
      const std::int64_t i = std::int64_t(indices[k]) + index_bias;
      if (i < 0 || i >= vertex_count) return D3DERR_INVALIDCALL;
    }
  }

  if (f_recording) {
    TDraw_Record rec;
    rec.primitive = primitive;
    rec.primitive_count = primitive_count;
    rec.fvf = f_state.fvf;
    rec.indexed = indexed;
    rec.in_scene = f_in_scene;
    rec.vertices.assign(vertices, vertices + std::size_t(vertex_count) * DEVICE_VERTEX_STRIDE);
    if (indexed) rec.indices.assign(indices, indices + refs);
    rec.texture = f_state.textures[0];
    rec.render_target = f_state.render_target;
    rec.state = f_state;
    f_draws.push_back(std::move(rec));
  }

  // Vertex processing: every given vertex once.
  f_processed.resize(vertex_count);
  const float target_w = float(Target_Width()), target_h = float(Target_Height());
  if (screen) {
    for (std::uint32_t i = 0; i < vertex_count; ++i) {
      TDevice_Screen_Vertex s;
      std::memcpy(&s, vertices + std::size_t(i) * DEVICE_VERTEX_STRIDE, sizeof s);
      const float w = (std::isfinite(s.rhw) && s.rhw > 0) ? 1.0f / s.rhw : 1.0f;
      TClip_Vertex& c = f_processed[i];
      c.x = (s.x * 2.0f / target_w - 1.0f) * w;
      c.y = (1.0f - s.y * 2.0f / target_h) * w;
      c.z = s.z * w;
      c.w = w;
      c.color = s.diffuse;
      c.u = s.tu;
      c.v = s.tv;
    }
  } else {
    const TMatrix m = Multiply(Multiply(f_state.world, f_state.view), f_state.projection);
    const bool lighting = f_state.render[D3DRS_LIGHTING] != 0;
    for (std::uint32_t i = 0; i < vertex_count; ++i) {
      TDevice_LVertex l;
      std::memcpy(&l, vertices + std::size_t(i) * DEVICE_VERTEX_STRIDE, sizeof l);
      TClip_Vertex& c = f_processed[i];
      c.x = l.x * m.m[0][0] + l.y * m.m[1][0] + l.z * m.m[2][0] + m.m[3][0];
      c.y = l.x * m.m[0][1] + l.y * m.m[1][1] + l.z * m.m[2][1] + m.m[3][1];
      c.z = l.x * m.m[0][2] + l.y * m.m[1][2] + l.z * m.m[2][2] + m.m[3][2];
      c.w = l.x * m.m[0][3] + l.y * m.m[1][3] + l.z * m.m[2][3] + m.m[3][3];
      c.color = lighting ? Device_Light_Vertex(f_state, l.diffuse, l.specular) : l.diffuse;
      c.u = l.tu;
      c.v = l.tv;
    }
  }

  // Primitive assembly: lists of 1, 2 or 3 vertices.
  auto ref = [&](std::uint32_t k) -> const TClip_Vertex& {
    const std::uint32_t i = indexed ? std::uint32_t(std::int64_t(indices[k]) + index_bias) : k;
    return f_processed[i];
  };
  const bool flat = f_state.render[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
  const std::uint32_t cull = f_state.render[D3DRS_CULLMODE];
  f_assembled.clear();
  TRaster_Kind kind = TRaster_Kind::Triangles;
  auto add_triangle = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    TClip_Vertex v0 = ref(a), v1 = ref(b), v2 = ref(c);
    if (!Finite(v0) || !Finite(v1) || !Finite(v2)) return;
    // Facing from the homogeneous determinant: positive is counter-clockwise
    // on the screen, also when the triangle crosses the eye plane.
    const double det = double(v0.x) * (double(v1.y) * v2.w - double(v2.y) * v1.w) -
                       double(v0.y) * (double(v1.x) * v2.w - double(v2.x) * v1.w) +
                       double(v0.w) * (double(v1.x) * v2.y - double(v2.x) * v1.y);
    if (cull == D3DCULL_CCW && det > 0) return;
    if (cull == D3DCULL_CW && det < 0) return;
    if (flat) v1.color = v2.color = v0.color;
    f_assembled.push_back(v0);
    f_assembled.push_back(v1);
    f_assembled.push_back(v2);
  };
  auto add_line = [&](std::uint32_t a, std::uint32_t b) {
    TClip_Vertex v0 = ref(a), v1 = ref(b);
    if (!Finite(v0) || !Finite(v1)) return;
    if (flat) v1.color = v0.color;
    f_assembled.push_back(v0);
    f_assembled.push_back(v1);
  };
  switch (primitive) {
    case D3DPT_POINTLIST:
      kind = TRaster_Kind::Points;
      for (std::uint32_t k = 0; k < refs; ++k)
        if (Finite(ref(k))) f_assembled.push_back(ref(k));
      break;
    case D3DPT_LINELIST:
      kind = TRaster_Kind::Lines;
      for (std::uint32_t k = 0; k + 1 < refs; k += 2) add_line(k, k + 1);
      break;
    case D3DPT_LINESTRIP:
      kind = TRaster_Kind::Lines;
      for (std::uint32_t k = 0; k + 1 < refs; ++k) add_line(k, k + 1);
      break;
    case D3DPT_TRIANGLELIST:
      for (std::uint32_t k = 0; k + 2 < refs; k += 3) add_triangle(k, k + 1, k + 2);
      break;
    case D3DPT_TRIANGLESTRIP:
      // Every second triangle of a strip is turned so that all keep the
      // winding of the first.
      for (std::uint32_t k = 0; k + 2 < refs; ++k) {
        if (k % 2 == 0) add_triangle(k, k + 1, k + 2);
        else add_triangle(k + 1, k, k + 2);
      }
      break;
    case D3DPT_TRIANGLEFAN:
      for (std::uint32_t k = 1; k + 1 < refs; ++k) add_triangle(0, k, k + 1);
      break;
  }
  if (f_assembled.empty()) return S_OK;

  TRaster_Job job;
  job.kind = kind;
  job.vertices = f_assembled.data();
  job.count = f_assembled.size();
  job.pretransformed = screen;
  job.viewport = screen ? TViewport{0, 0, Target_Width(), Target_Height(), 0.0f, 1.0f} : f_state.viewport;
  job.scissor = f_state.viewport;
  return Backend_Draw(job);
}
