// The drawing device: the one interface through which the game draws.
//
// Everything the graphics engine draws goes through a TRender_Device. The
// interface keeps Direct3D 9's shape and numbering (render states, blend
// factors, sampler and texture-stage states, transform states, vertex formats,
// primitive types, formats, pools, usages and result codes), so that the
// values the drawing layer passes go through unchanged. Two implementations
// exist:
//   - the headless device (Render_Device_Headless.h): keeps all state in
//     memory, records every draw and rasterises into memory; used by tests,
//     benchmarks and whenever no window can be opened;
//   - the OpenGL device (Render_Device_OpenGL.h): OpenGL 2.1 fixed function
//     in an SDL2 window.
//
// Contract both implementations honour (the game's look depends on it):
//   - The initial state is Direct3D 9's device default (Z test on with
//     LESSEQUAL, Z writes on, lighting on, ambient 0, cull CCW, Gouraud,
//     blending off with ONE / ZERO, alpha test off with function ALWAYS,
//     sampler 0 POINT filters and WRAP addressing, stage 0 colour MODULATE
//     texture x current and alpha SELECTARG1 texture, every other stage
//     DISABLE, identity transforms, a zero material, no lights).
//   - Lighting on: the vertex format 0x1C2 has no normals, so only the
//     ambient terms light it: its RGB becomes
//       emissive + ambient material x (AMBIENT render state + ambient of the
//       enabled lights),
//     clamped to 0..1; its alpha is the diffuse alpha. With the default
//     material sources the ambient and emissive colours come from the
//     material and the alpha from the vertex. This is done on the CPU.
//     Pre-transformed vertices (0x144) are never lit.
//   - Texture stage 0 is evaluated with the operations DISABLE, SELECTARG1,
//     SELECTARG2, MODULATE, MODULATE2X, MODULATE4X and ADD over the arguments
//     DIFFUSE, CURRENT and TEXTURE. Without a bound texture the texture
//     argument reads opaque white, so with MODULATE only the vertex colour
//     shows. Stages 1 and above are kept but not evaluated.
//   - Pre-transformed vertices use Direct3D's pixel centres: a rectangle
//     whose corners lie at (left - 0.5, top - 0.5) .. (right - 0.5,
//     bottom - 0.5) covers exactly the pixels left..right-1, top..bottom-1,
//     and a texel centre u = (i + 0.5) / width falls on a pixel centre.
//     Their x and y are pixels of the whole render target; like everything
//     else they are drawn only inside the current viewport's rectangle.
//   - The back buffer has a depth buffer and tests with the Z states
//     (ZFUNC LESSEQUAL by default). A render-target texture has no depth
//     buffer: while it is the target nothing is depth-tested or written. A
//     render target (format X8R8G8B8) stores no alpha: it reads as 1, as
//     destination alpha in blending and when sampled as a texture.
//   - ALPHATESTENABLE without ALPHAFUNC set passes everything (the default
//     function is ALWAYS).
//   - The blend values BOTHSRCALPHA (12) and BOTHINVSRCALPHA (13) set both
//     factors (SRCALPHA / INVSRCALPHA and INVSRCALPHA / SRCALPHA) whichever
//     of SRCBLEND and DESTBLEND they are given to; a blend value of 0 (or
//     any value outside 1..15) is ignored and the factor stays as it was.
//   - Textures made from pixels are padded to a power of two in width and
//     height (the picture at the top left, the padding transparent black
//     0x00000000); the colour key (when not 0) turns every pixel equal to it
//     into 0x00000000; a texture has one level.
//   - Texture, surface and buffer ids are given out in increasing order from
//     1 and never reused by the same device, so a stale id never names
//     another object; an unknown or released id is a D3DERR_INVALIDCALL.
//   - Triangles are culled by their winding on the screen (clockwise is the
//     front; CULLMODE CCW, the default, drops counter-clockwise ones); every
//     second triangle of a strip is turned. FLAT shading takes the first
//     vertex's colour. Only solid filling is drawn.
//   - Specular colours, fog, stencil and pixel shaders are not drawn (the
//     game uses none); their states are kept and answered.
//
// Every call returns a result code (S_OK = 0 on success, a negative value
// on failure); values go out through reference parameters. No call throws.
//
// The render system (the Direct3D object's part) lists adapters and display
// modes and creates devices. The device framework of the shell registers the
// system and the device it created with Render_System_Set_Current and
// Render_Device_Set_Current; the drawing layer takes them from there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Vector_Types.h"

using HRESULT = std::int32_t;

// Result codes.
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
constexpr HRESULT E_NOTIMPL = HRESULT(0x80004001u);
constexpr HRESULT E_OUTOFMEMORY = HRESULT(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = HRESULT(0x80070057u);
constexpr HRESULT D3DERR_WRONGTEXTUREFORMAT = HRESULT(0x88760818u);
constexpr HRESULT D3DERR_DRIVERINTERNALERROR = HRESULT(0x88760827u);
constexpr HRESULT D3DERR_NOTFOUND = HRESULT(0x88760866u);
constexpr HRESULT D3DERR_DEVICELOST = HRESULT(0x88760868u);
constexpr HRESULT D3DERR_DEVICENOTRESET = HRESULT(0x88760869u);
constexpr HRESULT D3DERR_NOTAVAILABLE = HRESULT(0x8876086Au);
constexpr HRESULT D3DERR_INVALIDCALL = HRESULT(0x8876086Cu);
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = HRESULT(0x8876017Cu);
constexpr HRESULT D3DXERR_INVALIDDATA = HRESULT(0x88760B59u);
// No render system could be had (the framework's "no Direct3D" result).
constexpr HRESULT DXUTERR_NODIRECT3D = HRESULT(0x80040901u);

constexpr bool SUCCEEDED(HRESULT r) { return r >= 0; }
constexpr bool FAILED(HRESULT r) { return r < 0; }

// Texts of a result code for the log, in place of the DirectX error library:
// the code's name ("D3DERR_INVALIDCALL") and a one-line description
// ("Invalid call"). Unknown codes give "Unknown error 0x........" and
// "Unknown error.".
std::string Device_Error_String(HRESULT result);
std::string Device_Error_Description(HRESULT result);

// Render states (the state number, then its Direct3D 9 default).
constexpr std::uint32_t D3DRS_ZENABLE = 7;             // 1 (with a depth buffer)
constexpr std::uint32_t D3DRS_FILLMODE = 8;            // D3DFILL_SOLID
constexpr std::uint32_t D3DRS_SHADEMODE = 9;           // D3DSHADE_GOURAUD
constexpr std::uint32_t D3DRS_ZWRITEENABLE = 14;       // 1
constexpr std::uint32_t D3DRS_ALPHATESTENABLE = 15;    // 0
constexpr std::uint32_t D3DRS_LASTPIXEL = 16;          // 1
constexpr std::uint32_t D3DRS_SRCBLEND = 19;           // D3DBLEND_ONE
constexpr std::uint32_t D3DRS_DESTBLEND = 20;          // D3DBLEND_ZERO
constexpr std::uint32_t D3DRS_CULLMODE = 22;           // D3DCULL_CCW
constexpr std::uint32_t D3DRS_ZFUNC = 23;              // D3DCMP_LESSEQUAL
constexpr std::uint32_t D3DRS_ALPHAREF = 24;           // 0
constexpr std::uint32_t D3DRS_ALPHAFUNC = 25;          // D3DCMP_ALWAYS
constexpr std::uint32_t D3DRS_DITHERENABLE = 26;       // 0
constexpr std::uint32_t D3DRS_ALPHABLENDENABLE = 27;   // 0
constexpr std::uint32_t D3DRS_FOGENABLE = 28;          // 0
constexpr std::uint32_t D3DRS_SPECULARENABLE = 29;     // 0
constexpr std::uint32_t D3DRS_STENCILENABLE = 52;      // 0
constexpr std::uint32_t D3DRS_TEXTUREFACTOR = 60;      // 0xFFFFFFFF
constexpr std::uint32_t D3DRS_CLIPPING = 136;          // 1
constexpr std::uint32_t D3DRS_LIGHTING = 137;          // 1
constexpr std::uint32_t D3DRS_AMBIENT = 139;           // 0
constexpr std::uint32_t D3DRS_COLORVERTEX = 141;       // 1
constexpr std::uint32_t D3DRS_LOCALVIEWER = 142;       // 1
constexpr std::uint32_t D3DRS_NORMALIZENORMALS = 143;  // 0
constexpr std::uint32_t D3DRS_DIFFUSEMATERIALSOURCE = 145;   // D3DMCS_COLOR1
constexpr std::uint32_t D3DRS_SPECULARMATERIALSOURCE = 146;  // D3DMCS_COLOR2
constexpr std::uint32_t D3DRS_AMBIENTMATERIALSOURCE = 147;   // D3DMCS_MATERIAL
constexpr std::uint32_t D3DRS_EMISSIVEMATERIALSOURCE = 148;  // D3DMCS_MATERIAL
constexpr std::uint32_t D3DRS_POINTSIZE = 154;         // 1.0f as bits
constexpr std::uint32_t D3DRS_COLORWRITEENABLE = 168;  // 0xF
constexpr std::uint32_t D3DRS_BLENDOP = 171;           // D3DBLENDOP_ADD
constexpr std::uint32_t D3DRS_SCISSORTESTENABLE = 174; // 0
constexpr std::uint32_t D3DRS_BLENDFACTOR = 193;       // 0xFFFFFFFF
// Render state numbers run 0..D3DRS_COUNT-1; any of them may be set and read.
constexpr std::uint32_t D3DRS_COUNT = 256;

// Values of render states.
constexpr std::uint32_t D3DFILL_POINT = 1, D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3;
constexpr std::uint32_t D3DSHADE_FLAT = 1, D3DSHADE_GOURAUD = 2, D3DSHADE_PHONG = 3;  // Phong draws as Gouraud
constexpr std::uint32_t D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3;
constexpr std::uint32_t D3DCMP_NEVER = 1, D3DCMP_LESS = 2, D3DCMP_EQUAL = 3, D3DCMP_LESSEQUAL = 4,
                        D3DCMP_GREATER = 5, D3DCMP_NOTEQUAL = 6, D3DCMP_GREATEREQUAL = 7,
                        D3DCMP_ALWAYS = 8;
constexpr std::uint32_t D3DBLEND_ZERO = 1, D3DBLEND_ONE = 2, D3DBLEND_SRCCOLOR = 3,
                        D3DBLEND_INVSRCCOLOR = 4, D3DBLEND_SRCALPHA = 5, D3DBLEND_INVSRCALPHA = 6,
                        D3DBLEND_DESTALPHA = 7, D3DBLEND_INVDESTALPHA = 8, D3DBLEND_DESTCOLOR = 9,
                        D3DBLEND_INVDESTCOLOR = 10, D3DBLEND_SRCALPHASAT = 11,
                        D3DBLEND_BOTHSRCALPHA = 12, D3DBLEND_BOTHINVSRCALPHA = 13,
                        D3DBLEND_BLENDFACTOR = 14, D3DBLEND_INVBLENDFACTOR = 15;
constexpr std::uint32_t D3DBLENDOP_ADD = 1, D3DBLENDOP_SUBTRACT = 2, D3DBLENDOP_REVSUBTRACT = 3,
                        D3DBLENDOP_MIN = 4, D3DBLENDOP_MAX = 5;
constexpr std::uint32_t D3DMCS_MATERIAL = 0, D3DMCS_COLOR1 = 1, D3DMCS_COLOR2 = 2;
constexpr std::uint32_t D3DZB_FALSE = 0, D3DZB_TRUE = 1;

// Sampler states (sampler 0..7) and their values.
constexpr std::uint32_t D3DSAMP_ADDRESSU = 1;       // D3DTADDRESS_WRAP
constexpr std::uint32_t D3DSAMP_ADDRESSV = 2;       // D3DTADDRESS_WRAP
constexpr std::uint32_t D3DSAMP_ADDRESSW = 3;       // D3DTADDRESS_WRAP
constexpr std::uint32_t D3DSAMP_BORDERCOLOR = 4;    // 0
constexpr std::uint32_t D3DSAMP_MAGFILTER = 5;      // D3DTEXF_POINT
constexpr std::uint32_t D3DSAMP_MINFILTER = 6;      // D3DTEXF_POINT
constexpr std::uint32_t D3DSAMP_MIPFILTER = 7;      // D3DTEXF_NONE
constexpr std::uint32_t D3DSAMP_MIPMAPLODBIAS = 8;  // 0
constexpr std::uint32_t D3DSAMP_MAXMIPLEVEL = 9;    // 0
constexpr std::uint32_t D3DSAMP_MAXANISOTROPY = 10; // 1
constexpr std::uint32_t D3DSAMP_COUNT = 14;         // states 0..13 may be set and read
constexpr std::uint32_t D3DTEXF_NONE = 0, D3DTEXF_POINT = 1, D3DTEXF_LINEAR = 2,
                        D3DTEXF_ANISOTROPIC = 3;  // anisotropic samples as linear
constexpr std::uint32_t D3DTADDRESS_WRAP = 1, D3DTADDRESS_MIRROR = 2, D3DTADDRESS_CLAMP = 3,
                        D3DTADDRESS_BORDER = 4, D3DTADDRESS_MIRRORONCE = 5;

// Texture stage states (stage 0..7) and their values.
constexpr std::uint32_t D3DTSS_COLOROP = 1;    // stage 0 MODULATE, others DISABLE
constexpr std::uint32_t D3DTSS_COLORARG1 = 2;  // D3DTA_TEXTURE
constexpr std::uint32_t D3DTSS_COLORARG2 = 3;  // D3DTA_CURRENT
constexpr std::uint32_t D3DTSS_ALPHAOP = 4;    // stage 0 SELECTARG1, others DISABLE
constexpr std::uint32_t D3DTSS_ALPHAARG1 = 5;  // D3DTA_TEXTURE
constexpr std::uint32_t D3DTSS_ALPHAARG2 = 6;  // D3DTA_CURRENT
constexpr std::uint32_t D3DTSS_TEXCOORDINDEX = 11;  // the stage number
constexpr std::uint32_t D3DTSS_COUNT = 33;     // states 0..32 may be set and read
constexpr std::uint32_t D3DTOP_DISABLE = 1, D3DTOP_SELECTARG1 = 2, D3DTOP_SELECTARG2 = 3,
                        D3DTOP_MODULATE = 4, D3DTOP_MODULATE2X = 5, D3DTOP_MODULATE4X = 6,
                        D3DTOP_ADD = 7;
constexpr std::uint32_t D3DTA_DIFFUSE = 0, D3DTA_CURRENT = 1, D3DTA_TEXTURE = 2,
                        D3DTA_TFACTOR = 3, D3DTA_SPECULAR = 4;
constexpr std::uint32_t DEVICE_STAGE_COUNT = 8;

// Transform states.
constexpr std::uint32_t D3DTS_VIEW = 2;
constexpr std::uint32_t D3DTS_PROJECTION = 3;
constexpr std::uint32_t D3DTS_TEXTURE0 = 16;  // .. D3DTS_TEXTURE0 + 7
constexpr std::uint32_t D3DTS_WORLD = 256;

// Vertex formats: the two the game draws, both 28 bytes a vertex.
constexpr std::uint32_t D3DFVF_XYZ = 0x002, D3DFVF_XYZRHW = 0x004, D3DFVF_NORMAL = 0x010,
                        D3DFVF_DIFFUSE = 0x040, D3DFVF_SPECULAR = 0x080, D3DFVF_TEX1 = 0x100;
// Lit world vertex: x, y, z, diffuse, specular, tu, tv.
constexpr std::uint32_t FVF_LVERTEX = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;  // 0x1C2
// Pre-transformed screen vertex: x, y, z, rhw, diffuse, tu, tv.
constexpr std::uint32_t FVF_SCREEN_VERTEX = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x144
constexpr std::uint32_t DEVICE_VERTEX_STRIDE = 28;

// The vertex records of the two formats, as the device reads them.
struct TDevice_LVertex {
  float x, y, z;
  TColor diffuse;
  TColor specular;
  float tu, tv;
};
struct TDevice_Screen_Vertex {
  float x, y, z, rhw;
  TColor diffuse;
  float tu, tv;
};
static_assert(sizeof(TDevice_LVertex) == 28 && sizeof(TDevice_Screen_Vertex) == 28);

// Primitive types. Primitive counts: points n, lines n/2, line strip n-1,
// triangles n/3, strip and fan n-2 (n vertices or indices).
constexpr std::uint32_t D3DPT_POINTLIST = 1, D3DPT_LINELIST = 2, D3DPT_LINESTRIP = 3,
                        D3DPT_TRIANGLELIST = 4, D3DPT_TRIANGLESTRIP = 5, D3DPT_TRIANGLEFAN = 6;
// At most this many primitives in one draw call (more is D3DERR_INVALIDCALL).
constexpr std::uint32_t DEVICE_MAX_PRIMITIVES = 1000000;

// Formats.
constexpr std::uint32_t D3DFMT_UNKNOWN = 0, D3DFMT_R8G8B8 = 20, D3DFMT_A8R8G8B8 = 21,
                        D3DFMT_X8R8G8B8 = 22, D3DFMT_R5G6B5 = 23, D3DFMT_D24S8 = 75,
                        D3DFMT_D24X8 = 77, D3DFMT_D16 = 80, D3DFMT_INDEX16 = 101,
                        D3DFMT_INDEX32 = 102;
// Our own format (Direct3D 9 has none like it): one byte a texel that reads
// as that value in all four channels, so 255 is opaque white and 0
// transparent black. Masks are kept in it at a quarter of A8R8G8B8.
constexpr std::uint32_t DEVICE_FMT_I8 = 0x10001;
// Resource types, usages, pools, lock flags, clear flags.
constexpr std::uint32_t D3DRTYPE_SURFACE = 1, D3DRTYPE_TEXTURE = 3, D3DRTYPE_VERTEXBUFFER = 6,
                        D3DRTYPE_INDEXBUFFER = 7;
constexpr std::uint32_t D3DUSAGE_RENDERTARGET = 0x1, D3DUSAGE_DEPTHSTENCIL = 0x2,
                        D3DUSAGE_WRITEONLY = 0x8, D3DUSAGE_DYNAMIC = 0x200;
constexpr std::uint32_t D3DPOOL_DEFAULT = 0, D3DPOOL_MANAGED = 1, D3DPOOL_SYSTEMMEM = 2,
                        D3DPOOL_SCRATCH = 3;
constexpr std::uint32_t D3DLOCK_READONLY = 0x10, D3DLOCK_NOOVERWRITE = 0x1000,
                        D3DLOCK_DISCARD = 0x2000;
constexpr std::uint32_t D3DCLEAR_TARGET = 1, D3DCLEAR_ZBUFFER = 2, D3DCLEAR_STENCIL = 4;

// Lights.
constexpr std::uint32_t D3DLIGHT_POINT = 1, D3DLIGHT_SPOT = 2, D3DLIGHT_DIRECTIONAL = 3;
constexpr std::uint32_t DEVICE_LIGHT_COUNT = 8;

// Ids of device objects; 0 is none.
using TDevice_Texture = std::uint32_t;
using TDevice_Surface = std::uint32_t;
using TDevice_Buffer = std::uint32_t;

// Description of a surface or texture level: 8 values of 32 bits, in this
// order (32 bytes, as the game stores and logs them).
struct TSurface_Desc {
  std::uint32_t Format = D3DFMT_UNKNOWN;
  std::uint32_t Type = D3DRTYPE_SURFACE;
  std::uint32_t Usage = 0;
  std::uint32_t Pool = D3DPOOL_DEFAULT;
  std::uint32_t MultiSampleType = 0;
  std::uint32_t MultiSampleQuality = 0;
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
};
static_assert(sizeof(TSurface_Desc) == 32);

struct TViewport {
  std::uint32_t X = 0, Y = 0, Width = 0, Height = 0;
  float MinZ = 0.0f, MaxZ = 1.0f;
};

struct TColor_Value {
  float r = 0, g = 0, b = 0, a = 0;
};

struct TMaterial {
  TColor_Value Diffuse, Ambient, Specular, Emissive;
  float Power = 0;
};

struct TLight {
  std::uint32_t Type = D3DLIGHT_DIRECTIONAL;
  TColor_Value Diffuse, Specular, Ambient;
  TVector Position, Direction;
  float Range = 0, Falloff = 0, Attenuation0 = 0, Attenuation1 = 0, Attenuation2 = 0;
  float Theta = 0, Phi = 0;
};

struct TDisplay_Mode {
  std::uint32_t Width = 0, Height = 0, RefreshRate = 0, Format = D3DFMT_UNKNOWN;
};

// How a device is made (and reset).
struct TDevice_Params {
  std::uint32_t Width = 1024;   // back buffer
  std::uint32_t Height = 768;
  bool Windowed = true;         // the OpenGL device: a window or the whole screen
  bool Vsync = false;           // wait for the vertical retrace in Present
  std::uint32_t Depth_Format = D3DFMT_D16;  // D16 or D24X8 / D24S8
  std::uint32_t Adapter = 0;
  std::string Title = "Globarch";
};

// A drawing device. See the top of this file for what every implementation
// guarantees. All calls return S_OK or a failure code; out parameters are
// written only on success.
class TRender_Device {
public:
  virtual ~TRender_Device() = default;

  // --- frame ---------------------------------------------------------------
  virtual HRESULT BeginScene() = 0;  // D3DERR_INVALIDCALL inside a scene
  virtual HRESULT EndScene() = 0;    // D3DERR_INVALIDCALL outside a scene
  // Shows the back buffer (the OpenGL device swaps its window).
  virtual HRESULT Present() = 0;
  // Clears the whole current render target (D3DCLEAR_TARGET) and/or the
  // depth buffer (D3DCLEAR_ZBUFFER; ignored while a texture is the target).
  // Stencil is ignored.
  virtual HRESULT Clear(std::uint32_t flags, TColor color, float z, std::uint32_t stencil) = 0;
  // The back buffer: format D3DFMT_X8R8G8B8, type surface, usage render
  // target, default pool, no multisampling, the size of the device.
  virtual HRESULT Get_BackBuffer_Desc(TSurface_Desc& desc) = 0;
  // The viewport of the current render target; setting a render target
  // resets it to the whole target. A viewport outside the target is
  // D3DERR_INVALIDCALL.
  virtual HRESULT SetViewport(const TViewport& viewport) = 0;
  virtual HRESULT GetViewport(TViewport& viewport) = 0;
  // Changes the size or mode of the back buffer. Every object and state is
  // kept; the viewport becomes the whole new back buffer.
  virtual HRESULT Reset(const TDevice_Params& params) = 0;
  // S_OK while the device can draw.
  virtual HRESULT TestCooperativeLevel() = 0;

  // --- state ---------------------------------------------------------------
  virtual HRESULT SetRenderState(std::uint32_t state, std::uint32_t value) = 0;
  virtual HRESULT GetRenderState(std::uint32_t state, std::uint32_t& value) = 0;
  virtual HRESULT SetSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t value) = 0;
  virtual HRESULT GetSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t& value) = 0;
  virtual HRESULT SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value) = 0;
  virtual HRESULT GetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t& value) = 0;
  // World (D3DTS_WORLD), view (D3DTS_VIEW), projection (D3DTS_PROJECTION)
  // and the texture transforms; matrices are row-major with row vectors,
  // Direct3D's left-handed clip space (z from 0 to w).
  virtual HRESULT SetTransform(std::uint32_t state, const TMatrix& matrix) = 0;
  virtual HRESULT GetTransform(std::uint32_t state, TMatrix& matrix) = 0;
  virtual HRESULT SetMaterial(const TMaterial& material) = 0;
  virtual HRESULT GetMaterial(TMaterial& material) = 0;
  // Lights 0..7.
  virtual HRESULT SetLight(std::uint32_t index, const TLight& light) = 0;
  virtual HRESULT GetLight(std::uint32_t index, TLight& light) = 0;
  virtual HRESULT LightEnable(std::uint32_t index, bool enable) = 0;
  virtual HRESULT GetLightEnable(std::uint32_t index, bool& enable) = 0;
  // The vertex format of the following draws (FVF_LVERTEX or
  // FVF_SCREEN_VERTEX; another value is kept, but drawing with it is
  // D3DERR_INVALIDCALL).
  virtual HRESULT SetFVF(std::uint32_t fvf) = 0;
  virtual HRESULT GetFVF(std::uint32_t& fvf) = 0;
  // Only "no pixel shader" (0) exists.
  virtual HRESULT SetPixelShader(std::uint32_t shader) = 0;

  // --- textures and render targets -----------------------------------------
  // A texture made from a picture of width x height ARGB pixels, top row
  // first: padded to a power of two, colour-keyed (0 = no key), one level,
  // format A8R8G8B8. usage 0 or D3DUSAGE_DYNAMIC; pool managed or default.
  // A size of 0 or beyond Get_Max_Texture_Size is D3DERR_INVALIDCALL.
  virtual HRESULT Create_Texture_From_Pixels(std::uint32_t width, std::uint32_t height,
                                             const TColor* argb, TColor color_key,
                                             std::uint32_t usage, std::uint32_t pool,
                                             TDevice_Texture& texture) = 0;
  // A texture of exactly width x height (no padding) in DEVICE_FMT_I8 from
  // width x height bytes, top row first; one level, pool managed or
  // default. A size of 0 or beyond Get_Max_Texture_Size is
  // D3DERR_INVALIDCALL. Sampled like an A8R8G8B8 texture of the pixels
  // (v, v, v, v).
  virtual HRESULT Create_Mask_Texture(std::uint32_t width, std::uint32_t height, const std::uint8_t* values,
                                      std::uint32_t pool, TDevice_Texture& texture) = 0;
  // An empty texture of exactly width x height (no padding): with usage
  // D3DUSAGE_RENDERTARGET a render target (format X8R8G8B8 or A8R8G8B8,
  // pool default), else a texture cleared to transparent black. levels must
  // be 0 or 1 (one level is made either way).
  virtual HRESULT CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                std::uint32_t usage, std::uint32_t format, std::uint32_t pool,
                                TDevice_Texture& texture) = 0;
  // Frees the texture. Stages that hold it hold none afterwards; when its
  // surface is the render target the back buffer becomes the target.
  virtual HRESULT Release_Texture(TDevice_Texture texture) = 0;
  // Level 0's description (the padded size for pictures).
  virtual HRESULT Get_Level_Desc(TDevice_Texture texture, std::uint32_t level, TSurface_Desc& desc) = 0;
  // Stage 0..7; texture 0 unbinds.
  virtual HRESULT SetTexture(std::uint32_t stage, TDevice_Texture texture) = 0;
  virtual HRESULT GetTexture(std::uint32_t stage, TDevice_Texture& texture) = 0;
  // The surface of level 0 of a texture. Surfaces need no release.
  virtual HRESULT GetSurfaceLevel(TDevice_Texture texture, std::uint32_t level,
                                  TDevice_Surface& surface) = 0;
  // The back buffer's surface.
  virtual TDevice_Surface Get_BackBuffer_Surface() = 0;
  // Render target 0 only: the back buffer's surface or a render-target
  // texture's surface (another texture's surface is D3DERR_INVALIDCALL).
  virtual HRESULT GetRenderTarget(std::uint32_t index, TDevice_Surface& surface) = 0;
  virtual HRESULT SetRenderTarget(std::uint32_t index, TDevice_Surface surface) = 0;
  // Reads the pixels of a surface (ARGB, top row first); X8R8G8B8 surfaces
  // read with alpha 255. For tests and screenshots.
  virtual HRESULT Read_Surface(TDevice_Surface surface, std::uint32_t& width, std::uint32_t& height,
                               std::vector<TColor>& pixels) = 0;
  // The largest texture width and height the device makes.
  virtual std::uint32_t Get_Max_Texture_Size() = 0;

  // --- buffers ---------------------------------------------------------------
  // Vertex and index buffers in memory of the device; a locked buffer gives
  // a pointer to its bytes until Unlock_Buffer.
  virtual HRESULT CreateVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t fvf,
                                     std::uint32_t pool, TDevice_Buffer& buffer) = 0;
  // format D3DFMT_INDEX16 (the only one).
  virtual HRESULT CreateIndexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t format,
                                    std::uint32_t pool, TDevice_Buffer& buffer) = 0;
  // offset and size 0 and 0 lock the whole buffer. Locking a locked buffer
  // is D3DERR_INVALIDCALL.
  virtual HRESULT Lock_Buffer(TDevice_Buffer buffer, std::uint32_t offset, std::uint32_t size,
                              void*& data, std::uint32_t flags) = 0;
  virtual HRESULT Unlock_Buffer(TDevice_Buffer buffer) = 0;
  virtual HRESULT Release_Buffer(TDevice_Buffer buffer) = 0;
  // Stream 0 only.
  virtual HRESULT SetStreamSource(std::uint32_t stream, TDevice_Buffer buffer, std::uint32_t offset,
                                  std::uint32_t stride) = 0;
  virtual HRESULT SetIndices(TDevice_Buffer buffer) = 0;

  // --- drawing ----------------------------------------------------------------
  // Draws from the stream source (a locked buffer cannot be drawn from).
  virtual HRESULT DrawPrimitive(std::uint32_t primitive, std::uint32_t start_vertex,
                                std::uint32_t primitive_count) = 0;
  virtual HRESULT DrawIndexedPrimitive(std::uint32_t primitive, std::int32_t base_vertex,
                                       std::uint32_t min_index, std::uint32_t vertex_count,
                                       std::uint32_t start_index, std::uint32_t primitive_count) = 0;
  // Draws from memory: primitive_count primitives of the current vertex
  // format, stride 28.
  virtual HRESULT DrawPrimitiveUP(std::uint32_t primitive, std::uint32_t primitive_count,
                                  const void* vertices, std::uint32_t stride) = 0;
  // Indexed from memory: indices of 16 bits (D3DFMT_INDEX16) into
  // vertex_count vertices starting at min_index; an index outside them is
  // D3DERR_INVALIDCALL and draws nothing.
  virtual HRESULT DrawIndexedPrimitiveUP(std::uint32_t primitive, std::uint32_t min_index,
                                         std::uint32_t vertex_count, std::uint32_t primitive_count,
                                         const void* indices, std::uint32_t index_format,
                                         const void* vertices, std::uint32_t stride) = 0;

  // The SDL window of a windowed device (SDL_Window*), none for headless.
  virtual void* Get_Native_Window() { return nullptr; }
};

// The Direct3D object's part: adapters, display modes, device creation.
class TRender_System {
public:
  virtual ~TRender_System() = default;
  // Adapters 0..count-1 (the count may be 0).
  virtual std::uint32_t Get_Adapter_Count() = 0;
  virtual HRESULT Get_Adapter_Description(std::uint32_t adapter, std::string& description) = 0;
  // The display modes of an adapter in one format (only D3DFMT_X8R8G8B8
  // has any).
  virtual std::uint32_t Get_Adapter_Mode_Count(std::uint32_t adapter, std::uint32_t format) = 0;
  virtual HRESULT Enum_Adapter_Modes(std::uint32_t adapter, std::uint32_t format, std::uint32_t index,
                                     TDisplay_Mode& mode) = 0;
  // S_OK when a resource of that format can be made (A8R8G8B8 and X8R8G8B8
  // textures, X8R8G8B8 render targets), D3DERR_NOTAVAILABLE otherwise.
  virtual HRESULT Check_Device_Format(std::uint32_t adapter, std::uint32_t adapter_format,
                                      std::uint32_t usage, std::uint32_t resource_type,
                                      std::uint32_t format) = 0;
  virtual HRESULT Create_Device(const TDevice_Params& params, std::unique_ptr<TRender_Device>& device) = 0;
};

enum class TRender_System_Kind {
  Headless,  // in memory, no window
  OpenGL,    // OpenGL 2.1 in an SDL2 window
};

// A new render system of that kind. The OpenGL system initialises SDL's
// video part; when that fails it gives none (use the headless one).
std::unique_ptr<TRender_System> Create_Render_System(TRender_System_Kind kind);

// The framework's current system and device (none by default). The caller
// keeps ownership; set none before destroying them.
void Render_System_Set_Current(TRender_System* system);
TRender_System* Render_System_Current();
void Render_Device_Set_Current(TRender_Device* device);
TRender_Device* Render_Device_Current();
