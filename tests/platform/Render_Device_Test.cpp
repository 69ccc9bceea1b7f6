// The drawing device's contract, on the headless device.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "Render_Device_Headless.h"

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

// The game's usual 2D states: no lighting, no Z writes.
void Set_2D_States(TRender_Device& d) {
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
