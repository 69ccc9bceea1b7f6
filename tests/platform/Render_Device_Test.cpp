// The drawing device's contract, on the headless device.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "Render_Device_Headless.h"
#include "Vector_Math.h"

namespace {

constexpr TDevice_Surface BACK = TRender_Device_Base::BACK_BUFFER_SURFACE;

TDevice_Params Small_Params(std::uint32_t w = 64, std::uint32_t h = 32) {
  TDevice_Params p;
  p.Width = w;
  p.Height = h;
  return p;
}

// The four corners of a screen rectangle as the 2D routines of the game
// build them (half a pixel up and left), drawn as a fan.
struct TQuad {
  TDevice_Screen_Vertex v[4];
  TQuad(float left, float top, float right, float bottom, TColor color, float u1 = 1, float v1 = 1) {
    const float x0 = left - 0.5f, y0 = top - 0.5f, x1 = right - 0.5f, y1 = bottom - 0.5f;
    v[0] = {x0, y0, 0.5f, 1.0f, color, 0, 0};
    v[1] = {x1, y0, 0.5f, 1.0f, color, u1, 0};
    v[2] = {x1, y1, 0.5f, 1.0f, color, u1, v1};
    v[3] = {x0, y1, 0.5f, 1.0f, color, 0, v1};
  }
};

HRESULT Draw_Quad(TRender_Device& d, const TQuad& q) {
  d.SetFVF(FVF_SCREEN_VERTEX);
  return d.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q.v, sizeof(TDevice_Screen_Vertex));
}

// The game's usual 2D states: no lighting, no Z writes, stage 0
// modulating colour and alpha (as the game sets it at every reset).
void Set_2D_States(TRender_Device& d) {
  d.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SetRenderState(D3DRS_ZWRITEENABLE, 0);
  d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
}

}  // namespace

TEST(Render_Device, DefaultStateIsDirect3DDefault) {
  TRender_Device_Headless d(Small_Params());
  struct {
    std::uint32_t state, value;
  } rows[] = {
      {D3DRS_ZENABLE, 1},           {D3DRS_ZWRITEENABLE, 1},          {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
      {D3DRS_ALPHATESTENABLE, 0},   {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS}, {D3DRS_ALPHAREF, 0},
      {D3DRS_ALPHABLENDENABLE, 0},  {D3DRS_SRCBLEND, D3DBLEND_ONE},   {D3DRS_DESTBLEND, D3DBLEND_ZERO},
      {D3DRS_CULLMODE, D3DCULL_CCW}, {D3DRS_SHADEMODE, D3DSHADE_GOURAUD}, {D3DRS_LIGHTING, 1},
      {D3DRS_AMBIENT, 0},           {D3DRS_COLORVERTEX, 1},           {D3DRS_BLENDOP, D3DBLENDOP_ADD},
      {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1}, {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
  };
  for (const auto& r : rows) {
    std::uint32_t v = 12345;
    ASSERT_EQ(d.GetRenderState(r.state, v), S_OK);
    EXPECT_EQ(v, r.value) << "render state " << r.state;
  }
  std::uint32_t v = 0;
  d.GetSamplerState(0, D3DSAMP_MINFILTER, v);
  EXPECT_EQ(v, D3DTEXF_POINT);
  d.GetSamplerState(0, D3DSAMP_ADDRESSU, v);
  EXPECT_EQ(v, D3DTADDRESS_WRAP);
  d.GetTextureStageState(0, D3DTSS_COLOROP, v);
  EXPECT_EQ(v, D3DTOP_MODULATE);
  d.GetTextureStageState(0, D3DTSS_ALPHAOP, v);
  EXPECT_EQ(v, D3DTOP_SELECTARG1);
  d.GetTextureStageState(1, D3DTSS_COLOROP, v);
  EXPECT_EQ(v, D3DTOP_DISABLE);
  TViewport vp;
  ASSERT_EQ(d.GetViewport(vp), S_OK);
  EXPECT_EQ(vp.Width, 64u);
  EXPECT_EQ(vp.Height, 32u);
  TSurface_Desc desc;
  ASSERT_EQ(d.Get_BackBuffer_Desc(desc), S_OK);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(desc.Width, 64u);
  EXPECT_EQ(desc.Height, 32u);
  TDevice_Surface target = 0;
  ASSERT_EQ(d.GetRenderTarget(0, target), S_OK);
  EXPECT_EQ(target, d.Get_BackBuffer_Surface());
}

TEST(Render_Device, BlendValues) {
  // Value given to SRCBLEND, then the source and destination factors read back.
  struct {
    std::uint32_t state, value, src, dest;
  } rows[] = {
      {D3DRS_SRCBLEND, D3DBLEND_SRCCOLOR, D3DBLEND_SRCCOLOR, D3DBLEND_ZERO},
      {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA, D3DBLEND_ONE, D3DBLEND_INVSRCALPHA},
      {D3DRS_SRCBLEND, D3DBLEND_BOTHSRCALPHA, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
      {D3DRS_SRCBLEND, D3DBLEND_BOTHINVSRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA},
      {D3DRS_DESTBLEND, D3DBLEND_BOTHSRCALPHA, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
      {D3DRS_SRCBLEND, 0, D3DBLEND_ONE, D3DBLEND_ZERO},
      {D3DRS_DESTBLEND, 0, D3DBLEND_ONE, D3DBLEND_ZERO},
      {D3DRS_SRCBLEND, 16, D3DBLEND_ONE, D3DBLEND_ZERO},
  };
  for (const auto& r : rows) {
    TRender_Device_Headless d(Small_Params());
    ASSERT_EQ(d.SetRenderState(r.state, r.value), S_OK);
    std::uint32_t src = 0, dest = 0;
    d.GetRenderState(D3DRS_SRCBLEND, src);
    d.GetRenderState(D3DRS_DESTBLEND, dest);
    EXPECT_EQ(src, r.src) << "state " << r.state << " value " << r.value;
    EXPECT_EQ(dest, r.dest) << "state " << r.state << " value " << r.value;
  }
}

TEST(Render_Device, TexturePaddedToPowerOfTwoWithColourKey) {
  TRender_Device_Headless d(Small_Params());
  // A 3 x 2 picture: the black pixels are keyed out.
  const TColor pic[] = {0xFF000000u, 0xFF112233u, 0xFF445566u, 0x80FFFFFFu, 0xFF000000u, 0xFF010101u};
  TDevice_Texture t = 0;
  ASSERT_EQ(d.Create_Texture_From_Pixels(3, 2, pic, 0xFF000000u, 0, D3DPOOL_MANAGED, t), S_OK);
  EXPECT_EQ(t, 1u);
  TSurface_Desc desc;
  ASSERT_EQ(d.Get_Level_Desc(t, 0, desc), S_OK);
  EXPECT_EQ(desc.Width, 4u);
  EXPECT_EQ(desc.Height, 2u);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  std::uint32_t w = 0, h = 0;
  std::vector<TColor> px;
  ASSERT_EQ(d.Read_Surface(t, w, h, px), S_OK);
  const std::vector<TColor> expected = {0, 0xFF112233u, 0xFF445566u, 0, 0x80FFFFFFu, 0, 0xFF010101u, 0};
  EXPECT_EQ(px, expected);
  // 100 x 60 becomes 128 x 64; ids count up.
  std::vector<TColor> big(100 * 60, 0xFFFFFFFFu);
  TDevice_Texture t2 = 0;
  ASSERT_EQ(d.Create_Texture_From_Pixels(100, 60, big.data(), 0, 0, D3DPOOL_MANAGED, t2), S_OK);
  EXPECT_EQ(t2, 2u);
  d.Get_Level_Desc(t2, 0, desc);
  EXPECT_EQ(desc.Width, 128u);
  EXPECT_EQ(desc.Height, 64u);
  // Without a key nothing is keyed; a released id stays dead and is not reused.
  TDevice_Texture t3 = 0;
  ASSERT_EQ(d.Create_Texture_From_Pixels(3, 2, pic, 0, 0, D3DPOOL_MANAGED, t3), S_OK);
  EXPECT_EQ(d.Pixel(t3, 0, 0), 0xFF000000u);
  ASSERT_EQ(d.Release_Texture(t2), S_OK);
  EXPECT_EQ(d.Get_Level_Desc(t2, 0, desc), D3DERR_INVALIDCALL);
  EXPECT_EQ(d.SetTexture(0, t2), D3DERR_INVALIDCALL);
  TDevice_Texture t4 = 0;
  ASSERT_EQ(d.Create_Texture_From_Pixels(3, 2, pic, 0, 0, D3DPOOL_MANAGED, t4), S_OK);
  EXPECT_EQ(t4, 4u);
  // Bad sizes.
  EXPECT_EQ(d.Create_Texture_From_Pixels(0, 2, pic, 0, 0, D3DPOOL_MANAGED, t4), D3DERR_INVALIDCALL);
  EXPECT_EQ(d.Create_Texture_From_Pixels(9000, 1, big.data(), 0, 0, D3DPOOL_MANAGED, t4), D3DERR_INVALIDCALL);
}

TEST(Render_Device, ScreenQuadCoversExactPixels) {
  TRender_Device_Headless d(Small_Params());
  Set_2D_States(d);
  ASSERT_EQ(d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0), S_OK);
  ASSERT_EQ(Draw_Quad(d, TQuad(10, 5, 20, 12, 0xFF00FF00u)), S_OK);
  for (std::uint32_t y = 0; y < 32; ++y)
    for (std::uint32_t x = 0; x < 64; ++x) {
      const bool inside = x >= 10 && x < 20 && y >= 5 && y < 12;
      ASSERT_EQ(d.Pixel(BACK, x, y), inside ? 0xFF00FF00u : 0xFF000000u) << x << "," << y;
    }
}

namespace {

// A full-target quad of lit vertices with identity transforms: clip
// coordinates are the positions themselves.
void Draw_World_Quad(TRender_Device& d, TColor diffuse, float z = 0.5f) {
  const TDevice_LVertex v[4] = {{-1, 1, z, diffuse, 0xFFFFFFFFu, 0, 0},
                                {1, 1, z, diffuse, 0xFFFFFFFFu, 1, 0},
                                {1, -1, z, diffuse, 0xFFFFFFFFu, 1, 1},
                                {-1, -1, z, diffuse, 0xFFFFFFFFu, 0, 1}};
  d.SetFVF(FVF_LVERTEX);
  ASSERT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, DEVICE_VERTEX_STRIDE), S_OK);
}

// A render target that keeps alpha, made current, so that whole ARGB
// results can be read back.
TDevice_Surface Alpha_Target(TRender_Device& d, std::uint32_t w = 8, std::uint32_t h = 8) {
  TDevice_Texture t = 0;
  EXPECT_EQ(d.CreateTexture(w, h, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, t), S_OK);
  TDevice_Surface s = 0;
  EXPECT_EQ(d.GetSurfaceLevel(t, 0, s), S_OK);
  EXPECT_EQ(d.SetRenderTarget(0, s), S_OK);
  return s;
}

TColor_Value Value(float r, float g, float b, float a = 1) { return {r, g, b, a}; }

}  // namespace

TEST(Render_Device, LightingRule) {
  struct TRow {
    const char* name;
    bool lighting;
    TColor ambient;
    TColor_Value material_ambient, emissive, light_ambient;
    std::uint32_t ambient_source;
    bool screen;
    TColor expected;
  } rows[] = {
      {"lighting off", false, 0xFF646464u, Value(1, 1, 1), Value(0, 0, 0), Value(0, 0, 0), D3DMCS_MATERIAL, false, 0x80FF2040u},
      {"ambient only", true, 0x00646464u, Value(1, 1, 1), Value(0, 0, 0), Value(0, 0, 0), D3DMCS_MATERIAL, false, 0x80646464u},
      {"material ambient scales", true, 0x00646464u, Value(0.5f, 1, 0), Value(0, 0, 0), Value(0, 0, 0), D3DMCS_MATERIAL, false, 0x80326400u},
      {"emissive adds", true, 0, Value(1, 1, 1), Value(0.2f, 0.4f, 0.6f), Value(0, 0, 0), D3DMCS_MATERIAL, false, 0x80336699u},
      {"clamped", true, 0x00C8C8C8u, Value(1, 1, 1), Value(0.5f, 0.5f, 0.5f), Value(0, 0, 0), D3DMCS_MATERIAL, false, 0x80FFFFFFu},
      {"light ambient", true, 0, Value(1, 1, 1), Value(0, 0, 0), Value(0.2f, 0.2f, 0.2f), D3DMCS_MATERIAL, false, 0x80333333u},
      {"ambient from vertex", true, 0xFFFFFFFFu, Value(0, 0, 0), Value(0, 0, 0), Value(0, 0, 0), D3DMCS_COLOR1, false, 0x80FF2040u},
      {"screen vertices unlit", true, 0x00646464u, Value(1, 1, 1), Value(0, 0, 0), Value(0, 0, 0), D3DMCS_MATERIAL, true, 0x80FF2040u},
  };
  for (const TRow& r : rows) {
    SCOPED_TRACE(r.name);
    TRender_Device_Headless d(Small_Params(8, 8));
    const TDevice_Surface target = Alpha_Target(d);
    d.Clear(D3DCLEAR_TARGET, 0, 1.0f, 0);
    d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d.SetRenderState(D3DRS_LIGHTING, r.lighting);
    d.SetRenderState(D3DRS_AMBIENT, r.ambient);
    d.SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, r.ambient_source);
    TMaterial m;
    m.Diffuse = Value(1, 1, 1);
    m.Ambient = r.material_ambient;
    m.Emissive = r.emissive;
    d.SetMaterial(m);
    TLight light;  // directional: without normals only its ambient part counts
    light.Diffuse = Value(1, 1, 1, 0);
    light.Ambient = r.light_ambient;
    light.Direction = {-1, 1, 1};
    d.SetLight(0, light);
    d.LightEnable(0, true);
    if (r.screen) Draw_Quad(d, TQuad(0, 0, 8, 8, 0x80FF2040u));
    else Draw_World_Quad(d, 0x80FF2040u);
    EXPECT_EQ(d.Pixel(target, 3, 3), r.expected);
  }
}

TEST(Render_Device, TextureStageModulate) {
  struct TRow {
    const char* name;
    bool texture;
    std::uint32_t color_op, alpha_op;
    TColor expected;
  } rows[] = {
      {"device default", true, D3DTOP_MODULATE, D3DTOP_SELECTARG1, 0x80802008u},
      {"modulate both", true, D3DTOP_MODULATE, D3DTOP_MODULATE, 0x40802008u},
      {"no texture, modulate both", false, D3DTOP_MODULATE, D3DTOP_MODULATE, 0x80804020u},
      {"no texture, default", false, D3DTOP_MODULATE, D3DTOP_SELECTARG1, 0xFF804020u},
      {"texture colour only", true, D3DTOP_SELECTARG1, D3DTOP_SELECTARG2, 0x80FF8040u},
      {"stage off", true, D3DTOP_DISABLE, D3DTOP_MODULATE, 0x80804020u},
      {"modulate 2x", true, D3DTOP_MODULATE2X, D3DTOP_MODULATE, 0x40FF4010u},
      {"add", true, D3DTOP_ADD, D3DTOP_MODULATE, 0x40FFC060u},
  };
  for (const TRow& r : rows) {
    SCOPED_TRACE(r.name);
    TRender_Device_Headless d(Small_Params(8, 8));
    const TColor texel = 0x80FF8040u;
    TDevice_Texture t = 0;
    ASSERT_EQ(d.Create_Texture_From_Pixels(1, 1, &texel, 0, 0, D3DPOOL_MANAGED, t), S_OK);
    const TDevice_Surface target = Alpha_Target(d);
    d.Clear(D3DCLEAR_TARGET, 0, 1.0f, 0);
    Set_2D_States(d);
    d.SetTextureStageState(0, D3DTSS_COLOROP, r.color_op);
    d.SetTextureStageState(0, D3DTSS_ALPHAOP, r.alpha_op);
    d.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    d.SetTexture(0, r.texture ? t : 0);
    Draw_Quad(d, TQuad(0, 0, 8, 8, 0x80804020u));
    EXPECT_EQ(d.Pixel(target, 4, 4), r.expected);
  }
}

TEST(Render_Device, BlendPairs) {
  // Source colour (100, 150, 200) with alpha 64 over the back buffer's
  // (200, 100, 50); the back buffer has no alpha, so its alpha reads as 1.
  struct TRow {
    std::uint32_t src, dest;
    TColor expected;
  } rows[] = {
      {D3DBLEND_ONE, D3DBLEND_ZERO, 0xFF6496C8u},
      {D3DBLEND_ZERO, D3DBLEND_ONE, 0xFFC86432u},
      {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0xFFAF7158u},
      {D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA, 0xFF7D89A2u},
      {D3DBLEND_SRCCOLOR, D3DBLEND_INVSRCCOLOR, 0xFFA181A8u},
      {D3DBLEND_ONE, D3DBLEND_ONE, 0xFFFFFAFAu},
      {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, 0xFF4E3B27u},
      {D3DBLEND_INVDESTCOLOR, D3DBLEND_ONE, 0xFFDEBFD3u},
      {D3DBLEND_DESTALPHA, D3DBLEND_ZERO, 0xFF6496C8u},
      {D3DBLEND_INVDESTALPHA, D3DBLEND_ONE, 0xFFC86432u},
      {D3DBLEND_SRCALPHASAT, D3DBLEND_ONE, 0xFFC86432u},
      {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, 0xFF4E3B27u},
      {D3DBLEND_ONE, D3DBLEND_INVSRCALPHA, 0xFFFAE1EDu},
      {D3DBLEND_SRCCOLOR, D3DBLEND_SRCALPHA, 0xFF5971A9u},
      {D3DBLEND_SRCALPHA, D3DBLEND_ONE, 0xFFE18A64u},
      {D3DBLEND_INVSRCCOLOR, D3DBLEND_DESTCOLOR, 0xFFDA6535u},
      // The "both" values set both factors from SRCBLEND alone.
      {D3DBLEND_BOTHSRCALPHA, 0, 0xFFAF7158u},
      {D3DBLEND_BOTHINVSRCALPHA, 0, 0xFF7D89A2u},
  };
  for (const TRow& r : rows) {
    SCOPED_TRACE(testing::Message() << "src " << r.src << " dest " << r.dest);
    TRender_Device_Headless d(Small_Params(8, 8));
    Set_2D_States(d);
    d.Clear(D3DCLEAR_TARGET, 0xFFC86432u, 1.0f, 0);
    d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);  // overwritten by the "both" values
    d.SetRenderState(D3DRS_SRCBLEND, r.src);
    d.SetRenderState(D3DRS_DESTBLEND, r.dest);  // 0 is ignored
    Draw_Quad(d, TQuad(0, 0, 8, 8, 0x406496C8u));
    EXPECT_EQ(d.Pixel(BACK, 2, 2), r.expected);
  }
}

TEST(Render_Device, AlphaTest) {
  struct TRow {
    bool set_func;
    std::uint32_t func, ref;
    TColor color;
    bool drawn;
  } rows[] = {
      {false, 0, 0x80, 0x00FF0000u, true},  // on without a function: ALWAYS
      {true, D3DCMP_GREATER, 0x80, 0x40FF0000u, false},
      {true, D3DCMP_GREATER, 0x80, 0x81FF0000u, true},
      {true, D3DCMP_GREATEREQUAL, 0x80, 0x80FF0000u, true},
      {true, D3DCMP_LESS, 0x80, 0x80FF0000u, false},
      {true, D3DCMP_NEVER, 0, 0xFFFF0000u, false},
  };
  for (const TRow& r : rows) {
    SCOPED_TRACE(testing::Message() << "func " << r.func << " colour " << std::hex << r.color);
    TRender_Device_Headless d(Small_Params(8, 8));
    Set_2D_States(d);
    d.Clear(D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    d.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    d.SetRenderState(D3DRS_ALPHAREF, r.ref);
    if (r.set_func) d.SetRenderState(D3DRS_ALPHAFUNC, r.func);
    Draw_Quad(d, TQuad(0, 0, 8, 8, r.color));
    EXPECT_EQ(d.Pixel(BACK, 1, 1), r.drawn ? 0xFFFF0000u : 0xFF000000u);
  }
}

TEST(Render_Device, DepthTestOnBackBufferOnly) {
  struct TRow {
    float first_z, second_z;
    std::uint32_t zfunc;
    bool zwrite;
    TColor expected;
  } rows[] = {
      {0.2f, 0.8f, D3DCMP_LESSEQUAL, true, 0xFFFF0000u},  // farther: hidden
      {0.8f, 0.2f, D3DCMP_LESSEQUAL, true, 0xFF00FF00u},
      {0.5f, 0.5f, D3DCMP_LESSEQUAL, true, 0xFF00FF00u},  // equal passes
      {0.5f, 0.5f, D3DCMP_LESS, true, 0xFFFF0000u},
      {0.2f, 0.8f, D3DCMP_LESSEQUAL, false, 0xFF00FF00u},  // first wrote no depth
  };
  for (const TRow& r : rows) {
    SCOPED_TRACE(testing::Message() << r.first_z << " then " << r.second_z);
    TRender_Device_Headless d(Small_Params(8, 8));
    d.SetRenderState(D3DRS_LIGHTING, 0);
    d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d.SetRenderState(D3DRS_ZFUNC, r.zfunc);
    d.SetRenderState(D3DRS_ZWRITEENABLE, r.zwrite);
    d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    Draw_World_Quad(d, 0xFFFF0000u, r.first_z);
    Draw_World_Quad(d, 0xFF00FF00u, r.second_z);
    EXPECT_EQ(d.Pixel(BACK, 4, 4), r.expected);
  }
  // A render target is never depth-tested.
  TRender_Device_Headless d(Small_Params(8, 8));
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
  const TDevice_Surface target = Alpha_Target(d);
  ASSERT_EQ(d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), S_OK);
  Draw_World_Quad(d, 0xFFFF0000u, 0.2f);
  Draw_World_Quad(d, 0xFF00FF00u, 0.8f);
  EXPECT_EQ(d.Pixel(target, 4, 4), 0xFF00FF00u);
  EXPECT_EQ(d.Depth(4, 4), 1.0f);
}

TEST(Render_Device, RenderTargetAlphaReadsOne) {
  TRender_Device_Headless d(Small_Params(16, 16));
  Set_2D_States(d);
  TDevice_Texture rt = 0;
  ASSERT_EQ(d.CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, rt), S_OK);
  TDevice_Surface kept = 0, surface = 0;
  ASSERT_EQ(d.GetRenderTarget(0, kept), S_OK);
  ASSERT_EQ(d.GetSurfaceLevel(rt, 0, surface), S_OK);
  ASSERT_EQ(d.SetRenderTarget(0, surface), S_OK);
  TViewport vp;
  d.GetViewport(vp);
  EXPECT_EQ(vp.Width, 8u);
  ASSERT_EQ(d.Clear(D3DCLEAR_TARGET, 0x00000000u, 1.0f, 0), S_OK);
  EXPECT_EQ(d.Pixel(rt, 0, 0), 0xFF000000u);
  // Half-transparent red drawn without blending is stored opaque.
  Draw_Quad(d, TQuad(0, 0, 4, 8, 0x40FF0000u));
  EXPECT_EQ(d.Pixel(rt, 1, 1), 0xFFFF0000u);
  // Destination alpha is 1 while blending into it.
  d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_INVDESTALPHA);
  d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_DESTALPHA);
  Draw_Quad(d, TQuad(0, 0, 8, 8, 0xFF00FF00u));
  EXPECT_EQ(d.Pixel(rt, 1, 1), 0xFFFF0000u);
  EXPECT_EQ(d.Pixel(rt, 6, 1), 0xFF000000u);
  ASSERT_EQ(d.SetRenderTarget(0, kept), S_OK);
  d.GetViewport(vp);
  EXPECT_EQ(vp.Width, 16u);
  // Sampled as a texture, the target is opaque: blending by its alpha
  // covers the back buffer completely.
  d.Clear(D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
  d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  d.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  d.SetTexture(0, rt);
  Draw_Quad(d, TQuad(0, 0, 8, 8, 0xFFFFFFFFu));
  EXPECT_EQ(d.Pixel(BACK, 1, 1), 0xFFFF0000u);
  EXPECT_EQ(d.Pixel(BACK, 6, 6), 0xFF000000u);
  EXPECT_EQ(d.Pixel(BACK, 12, 12), 0xFF0000FFu);
  // A render target must be in the default pool; a picture texture cannot
  // be a target.
  TDevice_Texture bad = 0;
  EXPECT_EQ(d.CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, bad), D3DERR_INVALIDCALL);
  const TColor white = 0xFFFFFFFFu;
  TDevice_Texture pic = 0;
  ASSERT_EQ(d.Create_Texture_From_Pixels(1, 1, &white, 0, 0, D3DPOOL_MANAGED, pic), S_OK);
  EXPECT_EQ(d.SetRenderTarget(0, pic), D3DERR_INVALIDCALL);
  // Releasing the current target brings back the back buffer.
  d.SetRenderTarget(0, surface);
  ASSERT_EQ(d.Release_Texture(rt), S_OK);
  TDevice_Surface now = 0;
  d.GetRenderTarget(0, now);
  EXPECT_EQ(now, BACK);
  TDevice_Texture bound = 1;
  d.GetTexture(0, bound);
  EXPECT_EQ(bound, 0u);
}

TEST(Render_Device, TexelsFallOnPixelCentres) {
  // A 4 x 2 picture drawn 1:1 at (3, 2) shows every texel exactly, with
  // point and with linear filtering; drawn over the padded part of an 8 x 2
  // texture it shows the transparent padding.
  const TColor pic[] = {0xFF102030u, 0xFF405060u, 0xFF708090u, 0xFFA0B0C0u,
                        0xFF0A0B0Cu, 0xFF1A1B1Cu, 0xFF2A2B2Cu, 0xFF3A3B3Cu};
  for (std::uint32_t filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
    SCOPED_TRACE(filter);
    TRender_Device_Headless d(Small_Params(16, 8));
    Set_2D_States(d);
    d.SetSamplerState(0, D3DSAMP_MINFILTER, filter);
    d.SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
    d.SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    d.SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    TDevice_Texture t = 0;
    ASSERT_EQ(d.Create_Texture_From_Pixels(4, 2, pic, 0, 0, D3DPOOL_MANAGED, t), S_OK);
    d.SetTexture(0, t);
    d.Clear(D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    Draw_Quad(d, TQuad(3, 2, 7, 4, 0xFFFFFFFFu));
    for (std::uint32_t y = 0; y < 2; ++y)
      for (std::uint32_t x = 0; x < 4; ++x) EXPECT_EQ(d.Pixel(BACK, 3 + x, 2 + y), pic[y * 4 + x]) << x << "," << y;
    EXPECT_EQ(d.Pixel(BACK, 2, 2), 0xFF000000u);
    EXPECT_EQ(d.Pixel(BACK, 7, 3), 0xFF000000u);
  }
  TRender_Device_Headless d(Small_Params(16, 8));
  Set_2D_States(d);
  const TColor wide[] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
  TDevice_Texture t = 0;
  ASSERT_EQ(d.Create_Texture_From_Pixels(5, 1, wide, 0, 0, D3DPOOL_MANAGED, t), S_OK);
  d.SetTexture(0, t);
  d.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  d.Clear(D3DCLEAR_TARGET, 0xFF000080u, 1.0f, 0);
  Draw_Quad(d, TQuad(0, 0, 8, 1, 0xFFFFFFFFu));
  for (std::uint32_t x = 0; x < 8; ++x) EXPECT_EQ(d.Pixel(BACK, x, 0), x < 5 ? 0xFFFFFFFFu : 0xFF000080u) << x;
}

TEST(Render_Device, CullingAndStrips) {
  // Clockwise on the screen is the front; CCW culling (the default) drops
  // counter-clockwise triangles, CW the others, NONE none.
  struct TRow {
    std::uint32_t cull;
    bool reversed;
    bool drawn;
  } rows[] = {{D3DCULL_CCW, false, true},  {D3DCULL_CCW, true, false}, {D3DCULL_CW, false, false},
              {D3DCULL_CW, true, true},    {D3DCULL_NONE, true, true}};
  for (const TRow& r : rows) {
    TRender_Device_Headless d(Small_Params(8, 8));
    d.SetRenderState(D3DRS_LIGHTING, 0);
    d.SetRenderState(D3DRS_CULLMODE, r.cull);
    d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    TQuad q(0, 0, 8, 8, 0xFFFFFFFFu);
    if (r.reversed) std::swap(q.v[1], q.v[3]);
    Draw_Quad(d, q);
    EXPECT_EQ(d.Pixel(BACK, 2, 5), r.drawn ? 0xFFFFFFFFu : 0xFF000000u) << r.cull << " " << r.reversed;
  }
  // A strip keeps the first triangle's winding: all four triangles drawn.
  TRender_Device_Headless d(Small_Params(8, 2));
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
  TDevice_Screen_Vertex strip[6];
  for (int i = 0; i < 6; ++i) strip[i] = {float(i / 2) * 4.0f - 0.5f, (1 - i % 2) * 2.0f - 0.5f, 0.5f, 1, 0xFF00FF00u, 0, 0};
  strip[4].x = strip[5].x = 7.5f;
  d.SetFVF(FVF_SCREEN_VERTEX);
  ASSERT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 4, strip, DEVICE_VERTEX_STRIDE), S_OK);
  for (std::uint32_t x = 0; x < 8; ++x)
    for (std::uint32_t y = 0; y < 2; ++y) EXPECT_EQ(d.Pixel(BACK, x, y), 0xFF00FF00u) << x << "," << y;
}

TEST(Render_Device, WorldQuadThroughCameraAndClipping) {
  // The game's camera: eye straight above the point looked at, perspective
  // pi/4; a 200 x 200 quad around the point fills the middle of the screen.
  TRender_Device_Headless d(Small_Params(64, 64));
  TMatrix view, projection;
  G_Matrix_Look_At_LH({0, 0, -500}, {0, 0, 0}, {0, 1, 0}, view);
  G_Matrix_Perspective_Fov_LH(0.7853982f, 1.0f, 1.0f, 20000.0f, projection);
  d.SetTransform(D3DTS_VIEW, view);
  d.SetTransform(D3DTS_PROJECTION, projection);
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
  const TDevice_LVertex quad[4] = {{-100, -100, 0, 0xFFFF0000u, 0, 0, 1}, {100, -100, 0, 0xFFFF0000u, 0, 1, 1},
                                   {100, 100, 0, 0xFFFF0000u, 0, 1, 0},   {-100, 100, 0, 0xFFFF0000u, 0, 0, 0}};
  const std::uint16_t indices[6] = {3, 1, 0, 3, 2, 1};
  d.SetFVF(FVF_LVERTEX);
  ASSERT_EQ(d.DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16, quad, DEVICE_VERTEX_STRIDE),
            S_OK);
  // Half-width on screen: 100 / (500 * tan(pi/8)) * 32 = 15.45 pixels
  // around the centre 32.5 (Direct3D's pixel centres).
  EXPECT_EQ(d.Pixel(BACK, 32, 32), 0xFFFF0000u);
  EXPECT_EQ(d.Pixel(BACK, 32, 17), 0xFFFF0000u);
  EXPECT_EQ(d.Pixel(BACK, 47, 32), 0xFFFF0000u);
  EXPECT_EQ(d.Pixel(BACK, 32, 16), 0xFF000000u);
  EXPECT_EQ(d.Pixel(BACK, 48, 32), 0xFF000000u);
  // A triangle reaching behind the eye is clipped, not wrapped around.
  d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
  const TDevice_LVertex through[3] = {{-100, -100, 0, 0xFF00FF00u, 0, 0, 0},
                                      {100, -100, 0, 0xFF00FF00u, 0, 0, 0},
                                      {0, 0, -1000, 0xFF00FF00u, 0, 0, 0}};
  ASSERT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, through, DEVICE_VERTEX_STRIDE), S_OK);
  EXPECT_EQ(d.Pixel(BACK, 32, 50), 0xFF00FF00u);
  EXPECT_EQ(d.Pixel(BACK, 32, 10), 0xFF000000u);
}

TEST(Render_Device, LinesAndPoints) {
  TRender_Device_Headless d(Small_Params(16, 8));
  Set_2D_States(d);
  d.Clear(D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  const TDevice_Screen_Vertex line[2] = {{1.0f, 3.0f, 0.5f, 1, 0xFFFFFF00u, 0, 0}, {11.0f, 3.0f, 0.5f, 1, 0xFFFFFF00u, 0, 0}};
  d.SetFVF(FVF_SCREEN_VERTEX);
  ASSERT_EQ(d.DrawPrimitiveUP(D3DPT_LINELIST, 1, line, DEVICE_VERTEX_STRIDE), S_OK);
  for (std::uint32_t x = 0; x < 16; ++x) EXPECT_EQ(d.Pixel(BACK, x, 3), x >= 1 && x < 11 ? 0xFFFFFF00u : 0xFF000000u) << x;
  EXPECT_EQ(d.Pixel(BACK, 5, 2), 0xFF000000u);
  const TDevice_Screen_Vertex point = {14.0f, 6.0f, 0.5f, 1, 0xFF00FFFFu, 0, 0};
  ASSERT_EQ(d.DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, DEVICE_VERTEX_STRIDE), S_OK);
  EXPECT_EQ(d.Pixel(BACK, 14, 6), 0xFF00FFFFu);
}

TEST(Render_Device, ViewportLimitsDrawingAndClearing) {
  TRender_Device_Headless d(Small_Params(16, 16));
  Set_2D_States(d);
  d.Clear(D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  const TViewport vp{4, 4, 8, 8, 0.0f, 1.0f};
  ASSERT_EQ(d.SetViewport(vp), S_OK);
  ASSERT_EQ(d.Clear(D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0), S_OK);
  EXPECT_EQ(d.Pixel(BACK, 4, 4), 0xFF0000FFu);
  EXPECT_EQ(d.Pixel(BACK, 3, 4), 0xFF000000u);
  Draw_Quad(d, TQuad(0, 0, 16, 16, 0xFFFFFFFFu));
  EXPECT_EQ(d.Pixel(BACK, 11, 11), 0xFFFFFFFFu);
  EXPECT_EQ(d.Pixel(BACK, 12, 11), 0xFF000000u);
  const TViewport outside{10, 10, 8, 8, 0.0f, 1.0f};
  EXPECT_EQ(d.SetViewport(outside), D3DERR_INVALIDCALL);
}

TEST(Render_Device, BuffersDrawLikeMemory) {
  TRender_Device_Headless d(Small_Params(16, 16));
  Set_2D_States(d);
  d.Clear(D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  TDevice_Buffer vb = 0, ib = 0;
  ASSERT_EQ(d.CreateVertexBuffer(400 * 28, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, FVF_SCREEN_VERTEX, D3DPOOL_DEFAULT, vb), S_OK);
  ASSERT_EQ(d.CreateIndexBuffer(600 * 2, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_DEFAULT, ib), S_OK);
  void* data = nullptr;
  ASSERT_EQ(d.Lock_Buffer(vb, 0, 0, data, D3DLOCK_DISCARD), S_OK);
  EXPECT_EQ(d.Lock_Buffer(vb, 0, 0, data, D3DLOCK_DISCARD), D3DERR_INVALIDCALL);
  const TQuad q(2, 2, 6, 6, 0xFFFF00FFu);
  std::memcpy(data, q.v, sizeof q.v);
  ASSERT_EQ(d.Unlock_Buffer(vb), S_OK);
  ASSERT_EQ(d.Lock_Buffer(ib, 0, 0, data, D3DLOCK_DISCARD), S_OK);
  const std::uint16_t idx[6] = {0, 1, 2, 0, 2, 3};
  std::memcpy(data, idx, sizeof idx);
  ASSERT_EQ(d.Unlock_Buffer(ib), S_OK);
  d.SetFVF(FVF_SCREEN_VERTEX);
  ASSERT_EQ(d.SetStreamSource(0, vb, 0, 28), S_OK);
  ASSERT_EQ(d.SetIndices(ib), S_OK);
  ASSERT_EQ(d.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), S_OK);
  EXPECT_EQ(d.Pixel(BACK, 2, 2), 0xFFFF00FFu);
  EXPECT_EQ(d.Pixel(BACK, 5, 5), 0xFFFF00FFu);
  EXPECT_EQ(d.Pixel(BACK, 6, 5), 0xFF000000u);
  // An index beyond the vertices given, or more indices than the buffer
  // holds, draws nothing.
  EXPECT_EQ(d.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 2, 0, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(d.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 598, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(d.DrawPrimitive(D3DPT_TRIANGLELIST, 399, 1), D3DERR_INVALIDCALL);
  const std::uint16_t wild[3] = {0, 1, 9};
  EXPECT_EQ(d.DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, wild, D3DFMT_INDEX16, q.v, 28), D3DERR_INVALIDCALL);
  // Drawing from memory unsets the stream source and the indices.
  ASSERT_EQ(d.DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, idx, D3DFMT_INDEX16, q.v, 28), S_OK);
  EXPECT_EQ(d.State().stream_source, 0u);
  EXPECT_EQ(d.State().indices, 0u);
  EXPECT_EQ(d.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(d.Release_Buffer(vb), S_OK);
  EXPECT_EQ(d.Release_Buffer(vb), D3DERR_INVALIDCALL);
}

TEST(Render_Device, DrawRecordsKeepEverything) {
  TRender_Device_Headless d(Small_Params(16, 16));
  d.Set_Recording(true);
  const TColor white = 0xFFFFFFFFu;
  TDevice_Texture t = 0;
  d.Create_Texture_From_Pixels(1, 1, &white, 0, 0, D3DPOOL_MANAGED, t);
  d.SetTexture(0, t);
  d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  d.BeginScene();
  TQuad q(1, 2, 3, 4, 0xFF123456u);
  ASSERT_EQ(Draw_Quad(d, q), S_OK);
  q.v[0].x = 99;  // the record holds a copy
  d.EndScene();
  ASSERT_EQ(d.Draw_Records().size(), 1u);
  const TDraw_Record& r = d.Draw_Records()[0];
  EXPECT_EQ(r.primitive, D3DPT_TRIANGLEFAN);
  EXPECT_EQ(r.primitive_count, 2u);
  EXPECT_EQ(r.fvf, FVF_SCREEN_VERTEX);
  EXPECT_TRUE(r.in_scene);
  EXPECT_EQ(r.m_Vertex_Count(), 4u);
  EXPECT_EQ(r.m_Screen_Vertex(0).x, 0.5f);
  EXPECT_EQ(r.m_Screen_Vertex(2).y, 3.5f);
  EXPECT_EQ(r.m_Screen_Vertex(3).diffuse, 0xFF123456u);
  EXPECT_EQ(r.texture, t);
  EXPECT_EQ(r.render_target, BACK);
  EXPECT_EQ(r.state.render[D3DRS_ALPHABLENDENABLE], 1u);
  d.Set_Recording(false);
  Draw_Quad(d, q);
  EXPECT_EQ(d.Draw_Records().size(), 1u);
}

TEST(Render_Device, FailNextCall) {
  TRender_Device_Headless d(Small_Params(8, 8));
  d.Set_Call_Log(true);
  d.Fail_Next_Call(D3DERR_OUTOFVIDEOMEMORY);
  const TColor white = 0xFFFFFFFFu;
  TDevice_Texture t = 77;
  EXPECT_EQ(d.Create_Texture_From_Pixels(1, 1, &white, 0, 0, D3DPOOL_MANAGED, t), D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(t, 77u);
  EXPECT_EQ(d.Texture_Count(), 0u);
  EXPECT_EQ(d.Create_Texture_From_Pixels(1, 1, &white, 0, 0, D3DPOOL_MANAGED, t), S_OK);
  EXPECT_EQ(t, 1u);
  d.Fail_Next_Call(E_FAIL, 2);
  EXPECT_EQ(d.SetRenderState(D3DRS_LIGHTING, 0), E_FAIL);
  EXPECT_EQ(d.Clear(D3DCLEAR_TARGET, 0, 1.0f, 0), E_FAIL);
  std::uint32_t v = 0;
  EXPECT_EQ(d.GetRenderState(D3DRS_LIGHTING, v), S_OK);
  EXPECT_EQ(v, 1u);
  const std::vector<std::string> calls = {"Create_Texture_From_Pixels", "Create_Texture_From_Pixels", "SetRenderState",
                                          "Clear", "GetRenderState"};
  EXPECT_EQ(d.Call_Log(), calls);
}

TEST(Render_Device, BadInputIsRefused) {
  TRender_Device_Headless d(Small_Params(8, 8));
  d.SetFVF(FVF_SCREEN_VERTEX);
  const TQuad q(0, 0, 8, 8, 0xFFFFFFFFu);
  EXPECT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, nullptr, 28), D3DERR_INVALIDCALL);
  EXPECT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q.v, 32), D3DERR_INVALIDCALL);
  EXPECT_EQ(d.DrawPrimitiveUP(0, 2, q.v, 28), D3DERR_INVALIDCALL);
  EXPECT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 0, q.v, 28), D3DERR_INVALIDCALL);
  d.SetFVF(0x112);
  EXPECT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q.v, 28), D3DERR_INVALIDCALL);
  EXPECT_EQ(d.SetRenderState(D3DRS_COUNT, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(d.SetSamplerState(8, D3DSAMP_MINFILTER, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(d.SetTransform(5, Identity_Matrix()), D3DERR_INVALIDCALL);
  EXPECT_EQ(d.SetPixelShader(1), D3DERR_INVALIDCALL);
  EXPECT_EQ(d.EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(d.BeginScene(), S_OK);
  EXPECT_EQ(d.BeginScene(), D3DERR_INVALIDCALL);
  // Vertices that are not numbers or lie far away draw nothing and harm nothing.
  d.SetFVF(FVF_SCREEN_VERTEX);
  d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
  TQuad wild(0, 0, 8, 8, 0xFFFFFFFFu);
  wild.v[1].x = std::nanf("");
  wild.v[2].x = 3e38f;
  wild.v[3].y = -3e38f;
  EXPECT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, wild.v, 28), S_OK);
  d.SetFVF(FVF_LVERTEX);
  const TDevice_LVertex huge[3] = {{1e30f, 1e30f, 0.5f, 0xFFFFFFFFu, 0, 0, 0},
                                   {-1e30f, 1e30f, 0.5f, 0xFFFFFFFFu, 0, 0, 0},
                                   {0, -1e30f, 0.5f, 0xFFFFFFFFu, 0, 0, 0}};
  EXPECT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, huge, 28), S_OK);
}

TEST(Render_Device, ErrorTexts) {
  struct {
    HRESULT code;
    const char* name;
  } rows[] = {{S_OK, "S_OK"},
              {E_FAIL, "E_FAIL"},
              {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL"},
              {D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY"},
              {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
              {HRESULT(0x80001234u), "Unknown error 0x80001234"}};
  for (const auto& r : rows) {
    EXPECT_EQ(Device_Error_String(r.code), r.name);
    EXPECT_FALSE(Device_Error_Description(r.code).empty());
  }
  EXPECT_EQ(Device_Error_Description(HRESULT(0x80001234u)), "Unknown error.");
  EXPECT_EQ(E_FAIL, HRESULT(0x80004005u));
  EXPECT_TRUE(FAILED(E_FAIL));
}

TEST(Render_Device, RenderSystemAdaptersAndModes) {
  TRender_System_Headless system;
  ASSERT_EQ(system.Get_Adapter_Count(), 1u);
  std::string name;
  ASSERT_EQ(system.Get_Adapter_Description(0, name), S_OK);
  EXPECT_EQ(name, "Globarch Headless Adapter");
  const std::uint32_t n = system.Get_Adapter_Mode_Count(0, D3DFMT_X8R8G8B8);
  EXPECT_EQ(n, 8u);
  EXPECT_EQ(system.Get_Adapter_Mode_Count(0, D3DFMT_R5G6B5), 0u);
  TDisplay_Mode m;
  ASSERT_EQ(system.Enum_Adapter_Modes(0, D3DFMT_X8R8G8B8, 3, m), S_OK);
  EXPECT_EQ(m.Width, 1024u);
  EXPECT_EQ(m.RefreshRate, 75u);
  EXPECT_EQ(system.Enum_Adapter_Modes(0, D3DFMT_X8R8G8B8, n, m), D3DERR_INVALIDCALL);
  EXPECT_EQ(system.Check_Device_Format(0, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8), S_OK);
  EXPECT_EQ(system.Check_Device_Format(0, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_R5G6B5), D3DERR_NOTAVAILABLE);
  std::unique_ptr<TRender_Device> device;
  TDevice_Params p = Small_Params(32, 16);
  ASSERT_EQ(system.Create_Device(p, device), S_OK);
  TSurface_Desc desc;
  device->Get_BackBuffer_Desc(desc);
  EXPECT_EQ(desc.Width, 32u);
  p.Width = 40;
  ASSERT_EQ(device->Reset(p), S_OK);
  device->Get_BackBuffer_Desc(desc);
  EXPECT_EQ(desc.Width, 40u);
  TRender_System_Headless none(std::vector<TRender_System_Headless::TAdapter>{});
  EXPECT_EQ(none.Get_Adapter_Count(), 0u);
  EXPECT_EQ(none.Create_Device(p, device), D3DERR_INVALIDCALL);
  auto made = Create_Render_System(TRender_System_Kind::Headless);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->Get_Adapter_Count(), 1u);
  Render_Device_Set_Current(device.get());
  EXPECT_EQ(Render_Device_Current(), device.get());
  Render_Device_Set_Current(nullptr);
}
