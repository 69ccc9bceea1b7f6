// What the headless and the OpenGL device share: the whole device state with
// its defaults and checks, the device objects (textures, buffers), the
// failure switch, the record of draws, and the vertex work done on the CPU
// (transform, lighting, primitive assembly, culling, flat shading).
//
// A device implementation only clears, draws the assembled primitives into
// the current target and keeps its own copy of the textures' pixels.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Render_Device.h"

// The complete state of a device, as every getter answers it and as every
// recorded draw keeps it.
struct TDevice_State {
  std::array<std::uint32_t, D3DRS_COUNT> render{};
  std::array<std::array<std::uint32_t, D3DSAMP_COUNT>, DEVICE_STAGE_COUNT> sampler{};
  std::array<std::array<std::uint32_t, D3DTSS_COUNT>, DEVICE_STAGE_COUNT> stage{};
  TMatrix world, view, projection;
  std::array<TMatrix, DEVICE_STAGE_COUNT> texture_transform;
  TMaterial material;
  std::array<TLight, DEVICE_LIGHT_COUNT> lights{};
  std::array<bool, DEVICE_LIGHT_COUNT> light_enabled{};
  std::uint32_t fvf = 0;
  std::uint32_t pixel_shader = 0;
  std::array<TDevice_Texture, DEVICE_STAGE_COUNT> textures{};
  TDevice_Surface render_target = 0;
  TViewport viewport;
  TDevice_Buffer stream_source = 0;
  std::uint32_t stream_offset = 0, stream_stride = 0;
  TDevice_Buffer indices = 0;
};

// Direct3D 9's device default for a back buffer of that size (with a depth
// buffer). The render target is set by the device.
TDevice_State Default_Device_State(std::uint32_t width, std::uint32_t height);

TMatrix Identity_Matrix();

// One draw as the device received it.
struct TDraw_Record {
  std::uint32_t primitive = 0;
  std::uint32_t primitive_count = 0;
  std::uint32_t fvf = 0;
  bool indexed = false;
  bool in_scene = false;
  // The vertices the draw may reach (for indexed draws the vertex_count
  // vertices from min_index), 28 bytes each, copied.
  std::vector<std::uint8_t> vertices;
  std::vector<std::uint16_t> indices;  // indexed draws only, as given
  TDevice_Texture texture = 0;         // stage 0
  TDevice_Surface render_target = 0;
  TDevice_State state;

  std::uint32_t m_Vertex_Count() const { return std::uint32_t(vertices.size() / DEVICE_VERTEX_STRIDE); }
  TDevice_LVertex m_LVertex(std::uint32_t i) const;
  TDevice_Screen_Vertex m_Screen_Vertex(std::uint32_t i) const;
};

// A processed vertex: clip coordinates in Direct3D's clip space (z from 0
// to w), its final colour and texture coordinates.
struct TClip_Vertex {
  float x = 0, y = 0, z = 0, w = 1;
  TColor color = 0;
  float u = 0, v = 0;
};

enum class TRaster_Kind { Points, Lines, Triangles };

// Assembled primitives for the implementation: 1, 2 or 3 vertices each,
// already culled and flat-shaded; the viewport to map them with (the whole
// target for pre-transformed vertices). Pixels outside the current
// viewport's rectangle (scissor) are never written.
struct TRaster_Job {
  TRaster_Kind kind = TRaster_Kind::Triangles;
  const TClip_Vertex* vertices = nullptr;
  std::size_t count = 0;
  TViewport viewport;
  TViewport scissor;
  bool pretransformed = false;
};

// The colour a vertex of format 0x1C2 gets with lighting on (see
// Render_Device.h for the rule).
TColor Device_Light_Vertex(const TDevice_State& state, TColor diffuse, TColor specular);

struct TRGBA {
  float r = 0, g = 0, b = 0, a = 0;
};
TRGBA Color_To_RGBA(TColor c);
// Each component clamped to 0..1 and rounded to a byte.
TColor RGBA_To_Color(const TRGBA& c);

// Texture stage 0 over the vertex colour and the texture's sample (opaque
// white without a texture), clamped to 0..1.
TRGBA Device_Stage0(const TDevice_State& state, const TRGBA& diffuse, const TRGBA& texel);

// The blend factor for a source and destination colour.
TRGBA Device_Blend_Factor(std::uint32_t factor, const TRGBA& src, const TRGBA& dst, TColor blend_factor);

// Whether a value passes a comparison of the Z and alpha tests.
bool Device_Compare(std::uint32_t func, float value, float reference);

class TRender_Device_Base : public TRender_Device {
public:
  ~TRender_Device_Base() override;

  // The next count calls of the device interface fail with that result and
  // do nothing (for the retry and log paths of the callers).
  void Fail_Next_Call(HRESULT result = E_FAIL, std::uint32_t count = 1);
  // Every draw is kept in Draw_Records while recording is on.
  void Set_Recording(bool on) { f_recording = on; }
  bool Recording() const { return f_recording; }
  const std::vector<TDraw_Record>& Draw_Records() const { return f_draws; }
  void Clear_Draw_Records() { f_draws.clear(); }
  // The names of the interface calls made, while call logging is on.
  void Set_Call_Log(bool on) { f_call_logging = on; }
  const std::vector<std::string>& Call_Log() const { return f_call_log; }
  void Clear_Call_Log() { f_call_log.clear(); }
  // The whole current state.
  const TDevice_State& State() const { return f_state; }
  bool In_Scene() const { return f_in_scene; }
  std::uint32_t Frames_Presented() const { return f_frames; }
  // Number of live textures and buffers.
  std::size_t Texture_Count() const;
  std::size_t Buffer_Count() const;

  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Present() override;
  HRESULT Clear(std::uint32_t flags, TColor color, float z, std::uint32_t stencil) override;
  HRESULT Get_BackBuffer_Desc(TSurface_Desc& desc) override;
  HRESULT SetViewport(const TViewport& viewport) override;
  HRESULT GetViewport(TViewport& viewport) override;
  HRESULT Reset(const TDevice_Params& params) override;
  HRESULT TestCooperativeLevel() override;

  HRESULT SetRenderState(std::uint32_t state, std::uint32_t value) override;
  HRESULT GetRenderState(std::uint32_t state, std::uint32_t& value) override;
  HRESULT SetSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t value) override;
  HRESULT GetSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t& value) override;
  HRESULT SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value) override;
  HRESULT GetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t& value) override;
  HRESULT SetTransform(std::uint32_t state, const TMatrix& matrix) override;
  HRESULT GetTransform(std::uint32_t state, TMatrix& matrix) override;
  HRESULT SetMaterial(const TMaterial& material) override;
  HRESULT GetMaterial(TMaterial& material) override;
  HRESULT SetLight(std::uint32_t index, const TLight& light) override;
  HRESULT GetLight(std::uint32_t index, TLight& light) override;
  HRESULT LightEnable(std::uint32_t index, bool enable) override;
  HRESULT GetLightEnable(std::uint32_t index, bool& enable) override;
  HRESULT SetFVF(std::uint32_t fvf) override;
  HRESULT GetFVF(std::uint32_t& fvf) override;
  HRESULT SetPixelShader(std::uint32_t shader) override;

  HRESULT Create_Texture_From_Pixels(std::uint32_t width, std::uint32_t height, const TColor* argb,
                                     TColor color_key, std::uint32_t usage, std::uint32_t pool,
                                     TDevice_Texture& texture) override;
  HRESULT Create_Mask_Texture(std::uint32_t width, std::uint32_t height, const std::uint8_t* values,
                              std::uint32_t pool, TDevice_Texture& texture) override;
  HRESULT CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels, std::uint32_t usage,
                        std::uint32_t format, std::uint32_t pool, TDevice_Texture& texture) override;
  HRESULT Release_Texture(TDevice_Texture texture) override;
  HRESULT Get_Level_Desc(TDevice_Texture texture, std::uint32_t level, TSurface_Desc& desc) override;
  HRESULT SetTexture(std::uint32_t stage, TDevice_Texture texture) override;
  HRESULT GetTexture(std::uint32_t stage, TDevice_Texture& texture) override;
  HRESULT GetSurfaceLevel(TDevice_Texture texture, std::uint32_t level, TDevice_Surface& surface) override;
  TDevice_Surface Get_BackBuffer_Surface() override { return BACK_BUFFER_SURFACE; }
  HRESULT GetRenderTarget(std::uint32_t index, TDevice_Surface& surface) override;
  HRESULT SetRenderTarget(std::uint32_t index, TDevice_Surface surface) override;
  HRESULT Read_Surface(TDevice_Surface surface, std::uint32_t& width, std::uint32_t& height,
                       std::vector<TColor>& pixels) override;

  HRESULT CreateVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t fvf, std::uint32_t pool,
                             TDevice_Buffer& buffer) override;
  HRESULT CreateIndexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t format, std::uint32_t pool,
                            TDevice_Buffer& buffer) override;
  HRESULT Lock_Buffer(TDevice_Buffer buffer, std::uint32_t offset, std::uint32_t size, void*& data,
                      std::uint32_t flags) override;
  HRESULT Unlock_Buffer(TDevice_Buffer buffer) override;
  HRESULT Release_Buffer(TDevice_Buffer buffer) override;
  HRESULT SetStreamSource(std::uint32_t stream, TDevice_Buffer buffer, std::uint32_t offset,
                          std::uint32_t stride) override;
  HRESULT SetIndices(TDevice_Buffer buffer) override;

  HRESULT DrawPrimitive(std::uint32_t primitive, std::uint32_t start_vertex,
                        std::uint32_t primitive_count) override;
  HRESULT DrawIndexedPrimitive(std::uint32_t primitive, std::int32_t base_vertex, std::uint32_t min_index,
                               std::uint32_t vertex_count, std::uint32_t start_index,
                               std::uint32_t primitive_count) override;
  HRESULT DrawPrimitiveUP(std::uint32_t primitive, std::uint32_t primitive_count, const void* vertices,
                          std::uint32_t stride) override;
  HRESULT DrawIndexedPrimitiveUP(std::uint32_t primitive, std::uint32_t min_index, std::uint32_t vertex_count,
                                 std::uint32_t primitive_count, const void* indices,
                                 std::uint32_t index_format, const void* vertices,
                                 std::uint32_t stride) override;

  // The back buffer's surface id (texture surfaces share their texture's id).
  static constexpr TDevice_Surface BACK_BUFFER_SURFACE = 0x80000000u;

protected:
  struct TTexture_Object {
    std::uint32_t width = 0, height = 0;  // level 0
    std::uint32_t format = D3DFMT_A8R8G8B8;
    std::uint32_t usage = 0, pool = D3DPOOL_MANAGED;
    bool render_target() const { return (usage & D3DUSAGE_RENDERTARGET) != 0; }
    bool keeps_alpha() const { return format != D3DFMT_X8R8G8B8; }
    std::uint32_t backend = 0;  // the implementation's own name for it
  };

  explicit TRender_Device_Base(const TDevice_Params& params);

  // --- what an implementation provides ---
  // Makes its copy of a new texture: pixels (width x height, ARGB, top row
  // first; none = transparent black). Returns S_OK or a failure (then the
  // texture is not made).
  virtual HRESULT Backend_Create_Texture(TTexture_Object& texture, const TColor* pixels) = 0;
  // The same for a DEVICE_FMT_I8 texture: width x height bytes.
  virtual HRESULT Backend_Create_Mask(TTexture_Object& texture, const std::uint8_t* values) = 0;
  virtual void Backend_Release_Texture(TTexture_Object& texture) = 0;
  // Clears the viewport rectangle of the current target.
  virtual HRESULT Backend_Clear(bool target, bool zbuffer, TColor color, float z) = 0;
  virtual HRESULT Backend_Draw(const TRaster_Job& job) = 0;
  virtual HRESULT Backend_Present() = 0;
  virtual HRESULT Backend_Reset(const TDevice_Params& params) = 0;
  // Pixels of the back buffer (nullptr) or of a texture.
  virtual HRESULT Backend_Read(const TTexture_Object* texture, std::vector<TColor>& pixels) = 0;
  // The current render target changed (state already updated).
  virtual void Backend_Target_Changed() {}

  // Every public call starts here: a pending failure is returned at once.
  HRESULT Enter(const char* name);
  TTexture_Object* Find_Texture(TDevice_Texture id);
  // The texture whose surface is the current target, or none for the back buffer.
  TTexture_Object* Target_Texture();
  std::uint32_t Target_Width();
  std::uint32_t Target_Height();

  TDevice_Params f_params;
  TDevice_State f_state;

private:
  struct TBuffer_Object {
    bool index = false;
    std::uint32_t usage = 0, pool = 0, fvf = 0, format = 0;
    std::vector<std::uint8_t> bytes;
    bool locked = false;
  };

  HRESULT Draw_Common(std::uint32_t primitive, std::uint32_t primitive_count, const std::uint8_t* vertices,
                      std::uint32_t vertex_count, const std::uint16_t* indices, std::int32_t index_bias,
                      bool indexed);
  HRESULT New_Texture(TTexture_Object texture, const TColor* pixels, TDevice_Texture& id);
  HRESULT New_Mask(TTexture_Object texture, const std::uint8_t* values, TDevice_Texture& id);
  TBuffer_Object* Find_Buffer(TDevice_Buffer id);

  std::vector<std::unique_ptr<TTexture_Object>> f_textures;  // index = id - 1
  std::vector<std::unique_ptr<TBuffer_Object>> f_buffers;    // index = id - 1
  bool f_in_scene = false;
  std::uint32_t f_frames = 0;
  HRESULT f_fail_result = E_FAIL;
  std::uint32_t f_fail_count = 0;
  bool f_recording = false;
  std::vector<TDraw_Record> f_draws;
  bool f_call_logging = false;
  std::vector<std::string> f_call_log;
  // Work arrays reused by every draw.
  std::vector<TClip_Vertex> f_processed;
  std::vector<TClip_Vertex> f_assembled;
};
