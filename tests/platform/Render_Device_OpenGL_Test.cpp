// The OpenGL device against the headless device: the same scene drawn on
// both must read back the same pixels within a small tolerance. Needs a
// display (tools/globarch.sh test starts a virtual one); without one the
// tests are skipped.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "Render_Device_Headless.h"
#include "Render_Device_OpenGL.h"

namespace {

constexpr std::uint32_t WIDTH = 96, HEIGHT = 64;

bool Display_Available() {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wayland && *wayland);
}

// An OpenGL device of WIDTH x HEIGHT, or a failure message. With a display
// present the device must open.
struct TGL_Fixture {
  std::unique_ptr<TRender_System> system;
  std::unique_ptr<TRender_Device> device;
  std::string failure;

  TGL_Fixture() {
    system = Create_OpenGL_Render_System();
    if (!system) {
      failure = "no OpenGL render system: " + OpenGL_Last_Error();
      return;
    }
    TDevice_Params p;
    p.Width = WIDTH;
    p.Height = HEIGHT;
    p.Title = "Globarch device test";
    const HRESULT r = system->Create_Device(p, device);
    if (FAILED(r)) failure = "no OpenGL device: " + Device_Error_String(r) + " " + OpenGL_Last_Error();
  }
  ~TGL_Fixture() {
    device.reset();
    system.reset();
  }
};

#define REQUIRE_GL_DEVICE(fixture)                                            \
  if (!Display_Available()) GTEST_SKIP() << "no display: OpenGL device not tested"; \
  TGL_Fixture fixture;                                                          \
  ASSERT_TRUE(fixture.device) << fixture.failure

struct TQuad {
  TDevice_Screen_Vertex v[4];
  // A screen rectangle covering pixels left..right-1, top..bottom-1, as the
  // game's 2D routines build it; colours per corner (top-left clockwise).
  TQuad(float left, float top, float right, float bottom, TColor c0, TColor c1, TColor c2, TColor c3, float u1 = 1,
        float v1 = 1) {
    const float x0 = left - 0.5f, y0 = top - 0.5f, x1 = right - 0.5f, y1 = bottom - 0.5f;
    v[0] = {x0, y0, 0.5f, 1.0f, c0, 0, 0};
    v[1] = {x1, y0, 0.5f, 1.0f, c1, u1, 0};
    v[2] = {x1, y1, 0.5f, 1.0f, c2, u1, v1};
    v[3] = {x0, y1, 0.5f, 1.0f, c3, 0, v1};
  }
};

void Check(HRESULT r, const char* what) { ASSERT_EQ(r, S_OK) << what << ": " << Device_Error_String(r); }

void Draw_Quad(TRender_Device& d, const TQuad& q) {
  Check(d.SetFVF(FVF_SCREEN_VERTEX), "SetFVF");
  Check(d.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q.v, sizeof(TDevice_Screen_Vertex)), "DrawPrimitiveUP");
}

// What the scene leaves for comparison.
struct TScene_Result {
  std::vector<TColor> back, target;
  std::uint32_t target_w = 0, target_h = 0;
};

// A 3 x 3 picture (padded to 4 x 4) with transparent, half-transparent and
// colour-keyed texels.
std::vector<TColor> Picture() {
  return {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu,  //
          0x80FFFFFFu, 0xFF00FFFFu, 0x00FF00FFu,  //
          0xFF123456u, 0xC0808000u, 0xFFFFFF00u};
}

// The scene: a cleared back buffer; a textured, tinted, blended quad
// (point-sampled, colour key, padding, alpha test without a function); a
// render-target pass (clear, Gouraud quad blended by destination alpha,
// which a render target reads as 1) drawn back into the back buffer tinted
// and blended; a lit world quad with a depth-tested one behind it.
void Draw_Scene(TRender_Device& d, TScene_Result& out) {
  Check(d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF203040u, 1.0f, 0), "Clear");
  Check(d.BeginScene(), "BeginScene");
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d.SetRenderState(D3DRS_ZWRITEENABLE, 0);
  d.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);

  // Textured, tinted, blended quad: each texel 8 x 8 pixels.
  const std::vector<TColor> pic = Picture();
  TDevice_Texture tex = 0;
  Check(d.Create_Texture_From_Pixels(3, 3, pic.data(), 0xFFFFFF00u, 0, D3DPOOL_MANAGED, tex), "texture");
  Check(d.SetTexture(0, tex), "SetTexture");
  d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_BOTHSRCALPHA);  // sets both factors
  d.SetRenderState(D3DRS_DESTBLEND, 0);                     // ignored
  d.SetRenderState(D3DRS_ALPHATESTENABLE, 1);               // function ALWAYS: no effect
  Draw_Quad(d, TQuad(4, 4, 36, 36, 0xFFFF8080u, 0xFFFF8080u, 0xE0FFFFFFu, 0xE0FFFFFFu));
  d.SetRenderState(D3DRS_ALPHATESTENABLE, 0);

  // Render-target pass.
  TDevice_Texture rt = 0;
  Check(d.CreateTexture(32, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, rt), "render target");
  TDevice_Surface rt_surface = 0, back = 0;
  Check(d.GetSurfaceLevel(rt, 0, rt_surface), "GetSurfaceLevel");
  Check(d.GetRenderTarget(0, back), "GetRenderTarget");
  Check(d.SetRenderTarget(0, rt_surface), "SetRenderTarget");
  Check(d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00406080u, 1.0f, 0), "Clear target");
  Check(d.SetTexture(0, 0), "SetTexture none");
  d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTALPHA);
  d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVDESTALPHA);
  Draw_Quad(d, TQuad(4, 2, 28, 14, 0x10FF0000u, 0x1000FF00u, 0x100000FFu, 0x10FFFFFFu));
  Check(d.SetRenderTarget(0, back), "SetRenderTarget back");
  Check(d.SetTexture(0, rt), "SetTexture target");
  d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  Draw_Quad(d, TQuad(44, 4, 76, 20, 0xC0FFFFFFu, 0xC0FFFFFFu, 0xC0FFFFFFu, 0xC0FFFFFFu));

  // Lit world quads (identity transforms: world = clip space). The CPU
  // lighting gives ambient x material ambient + emissive, alpha from the
  // vertex; the second quad lies behind the first and fails the depth test.
  Check(d.SetTexture(0, 0), "SetTexture none");
  d.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  d.SetRenderState(D3DRS_LIGHTING, 1);
  d.SetRenderState(D3DRS_ZWRITEENABLE, 1);
  d.SetRenderState(D3DRS_AMBIENT, Make_Color(100, 100, 100, 0));
  TMaterial m;
  m.Ambient = {1.0f, 0.5f, 0.25f, 1.0f};
  m.Emissive = {0.0f, 0.1f, 0.0f, 0.0f};
  d.SetMaterial(m);
  Check(d.SetFVF(FVF_LVERTEX), "SetFVF world");
  auto world_quad = [&](float x0, float y0, float x1, float y1, float z, TColor c) {
    const TDevice_LVertex v[4] = {{x0, y0, z, c, 0, 0, 0},
                                  {x1, y0, z, c, 0, 1, 0},
                                  {x1, y1, z, c, 0, 1, 1},
                                  {x0, y1, z, c, 0, 0, 1}};
    Check(d.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(TDevice_LVertex)), "DrawPrimitiveUP world");
  };
  world_quad(-0.25f, -0.75f, 0.5f, -0.125f, 0.25f, 0xFF00FF00u);
  d.SetRenderState(D3DRS_LIGHTING, 0);
  world_quad(0.0f, -1.0f, 1.0f, -0.5f, 0.75f, 0xFFFF00FFu);  // behind: only its uncovered part shows
  Check(d.EndScene(), "EndScene");

  std::uint32_t w = 0, h = 0;
  Check(d.Read_Surface(d.Get_BackBuffer_Surface(), w, h, out.back), "Read_Surface back");
  EXPECT_EQ(w, WIDTH);
  EXPECT_EQ(h, HEIGHT);
  Check(d.Read_Surface(rt_surface, out.target_w, out.target_h, out.target), "Read_Surface target");
  Check(d.Release_Texture(rt), "Release_Texture");
  Check(d.Release_Texture(tex), "Release_Texture");
}

int Channel_Difference(TColor a, TColor b) {
  int most = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int d = std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
    most = std::max(most, d);
  }
  return most;
}

// Every pixel within the tolerance; the first few differences reported.
void Expect_Same_Pixels(const std::vector<TColor>& gl, const std::vector<TColor>& headless, std::uint32_t width,
                        const char* what, int tolerance = 3) {
  ASSERT_EQ(gl.size(), headless.size()) << what;
  int reported = 0, differing = 0;
  for (std::size_t i = 0; i < gl.size(); ++i) {
    if (Channel_Difference(gl[i], headless[i]) <= tolerance) continue;
    ++differing;
    if (reported++ < 8)
      ADD_FAILURE() << what << " pixel (" << i % width << ", " << i / width << "): OpenGL " << std::hex << gl[i]
                    << ", headless " << headless[i];
  }
  EXPECT_EQ(differing, 0) << what;
}

// A table of states, one small cell each: every pair of blend factors
// 1..15 over the back buffer; the blend operations; the depth functions;
// texture stage 0 operations and arguments; the address modes with linear
// filtering; and blending into a render target that keeps alpha.
void Draw_State_Table(TRender_Device& d, TScene_Result& out) {
  Check(d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF4080C0u, 1.0f, 0), "Clear");
  Check(d.BeginScene(), "BeginScene");
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  d.SetRenderState(D3DRS_BLENDFACTOR, 0x80C04020u);
  const TColor src = 0x9060A0E0u;
  // 15 x 15 cells of 4 x 3 pixels: source factor across, destination down.
  for (std::uint32_t s = 1; s <= 15; ++s)
    for (std::uint32_t t = 1; t <= 15; ++t) {
      if (s == D3DBLEND_BOTHSRCALPHA || s == D3DBLEND_BOTHINVSRCALPHA || t == D3DBLEND_BOTHSRCALPHA ||
          t == D3DBLEND_BOTHINVSRCALPHA)
        continue;  // these set both factors; drawn below
      d.SetRenderState(D3DRS_SRCBLEND, s);
      d.SetRenderState(D3DRS_DESTBLEND, t);
      const float x = float((s - 1) * 4), y = float((t - 1) * 3);
      Draw_Quad(d, TQuad(x, y, x + 4, y + 3, src, src, src, src));
    }
  for (std::uint32_t both = D3DBLEND_BOTHSRCALPHA; both <= D3DBLEND_BOTHINVSRCALPHA; ++both) {
    d.SetRenderState(D3DRS_DESTBLEND, both);
    const float x = float((both - 1) * 4);
    Draw_Quad(d, TQuad(x, 0, x + 4, 45, src, src, src, src));
  }
  // Blend operations 1..5 in a row at the bottom, with SRCALPHA / ONE.
  d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  for (std::uint32_t op = 1; op <= 5; ++op) {
    d.SetRenderState(D3DRS_BLENDOP, op);
    const float x = float((op - 1) * 4);
    Draw_Quad(d, TQuad(x, 46, x + 4, 50, src, src, src, src));
  }
  d.SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
  d.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);

  // Depth functions 1..8: a quad at 0.5 writes the depth, then quads at
  // 0.25, 0.5 and 0.75 test against it.
  d.SetRenderState(D3DRS_ZWRITEENABLE, 1);
  for (std::uint32_t func = 1; func <= 8; ++func) {
    const float x = 20 + float((func - 1) * 4);
    d.SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    TQuad base(x, 46, x + 4, 52, 0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF000000u);
    Draw_Quad(d, base);
    d.SetRenderState(D3DRS_ZFUNC, func);
    d.SetRenderState(D3DRS_ZWRITEENABLE, 0);
    const float depths[3] = {0.25f, 0.5f, 0.75f};
    const TColor colors[3] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
    for (int k = 0; k < 3; ++k) {
      TQuad q(x, 46 + float(k) * 2, x + 4, 48 + float(k) * 2, colors[k], colors[k], colors[k], colors[k]);
      for (auto& v : q.v) v.z = depths[k];
      Draw_Quad(d, q);
    }
    d.SetRenderState(D3DRS_ZWRITEENABLE, 1);
  }
  d.SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  d.SetRenderState(D3DRS_ZWRITEENABLE, 0);

  // Stage 0 operations over a 2 x 2 texture, with the texture factor.
  const TColor texels[4] = {0xFF204080u, 0x80FF8000u, 0x40008040u, 0xFFFFFFFFu};
  TDevice_Texture tex = 0;
  Check(d.Create_Texture_From_Pixels(2, 2, texels, 0, 0, D3DPOOL_MANAGED, tex), "texture");
  Check(d.SetTexture(0, tex), "SetTexture");
  d.SetRenderState(D3DRS_TEXTUREFACTOR, 0xC0306090u);
  struct {
    std::uint32_t op, arg1, arg2;
  } stages[] = {{D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE},   {D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_DIFFUSE},
                {D3DTOP_MODULATE4X, D3DTA_TEXTURE, D3DTA_DIFFUSE}, {D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE},
                {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE}, {D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE},
                {D3DTOP_MODULATE, D3DTA_TFACTOR, D3DTA_TEXTURE},   {D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_DIFFUSE}};
  const TColor tint = 0xA0C08040u;
  for (std::size_t i = 0; i < std::size(stages); ++i) {
    d.SetTextureStageState(0, D3DTSS_COLOROP, stages[i].op);
    d.SetTextureStageState(0, D3DTSS_COLORARG1, stages[i].arg1);
    d.SetTextureStageState(0, D3DTSS_COLORARG2, stages[i].arg2);
    d.SetTextureStageState(0, D3DTSS_ALPHAOP, stages[i].op == D3DTOP_DISABLE ? D3DTOP_MODULATE : stages[i].op);
    d.SetTextureStageState(0, D3DTSS_ALPHAARG1, stages[i].arg1);
    d.SetTextureStageState(0, D3DTSS_ALPHAARG2, stages[i].arg2);
    const float x = 60 + float(i % 4) * 8, y = 46 + float(i / 4) * 8;
    Draw_Quad(d, TQuad(x, y, x + 8, y + 8, tint, tint, tint, tint));
  }
  d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  d.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
  d.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  d.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  d.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);

  // Address modes 1..5 with point sampling over u, v from -1 to 2.
  d.SetSamplerState(0, D3DSAMP_BORDERCOLOR, 0xFF10E010u);
  for (std::uint32_t mode = 1; mode <= 5; ++mode) {
    d.SetSamplerState(0, D3DSAMP_ADDRESSU, mode);
    d.SetSamplerState(0, D3DSAMP_ADDRESSV, mode);
    const float x = 62 + float(mode - 1) * 6;
    TQuad q(x, 0, x + 6, 6, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu);
    for (auto& v : q.v) {
      v.tu = v.tu == 0 ? -1.0f : 2.0f;
      v.tv = v.tv == 0 ? -1.0f : 2.0f;
    }
    Draw_Quad(d, q);
  }
  d.SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  d.SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  // Linear filtering, magnified 8 times.
  d.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  d.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  Draw_Quad(d, TQuad(62, 8, 78, 24, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu));
  d.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  d.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);

  // Blending by destination alpha into a render target that keeps alpha.
  TDevice_Texture rt = 0;
  Check(d.CreateTexture(16, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, rt), "render target");
  TDevice_Surface rt_surface = 0;
  Check(d.GetSurfaceLevel(rt, 0, rt_surface), "GetSurfaceLevel");
  Check(d.SetRenderTarget(0, rt_surface), "SetRenderTarget");
  Check(d.Clear(D3DCLEAR_TARGET, 0x40806040u, 1.0f, 0), "Clear target");
  Check(d.SetTexture(0, 0), "SetTexture none");
  d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  const std::uint32_t pairs[4][2] = {{D3DBLEND_DESTALPHA, D3DBLEND_INVDESTALPHA},
                                     {D3DBLEND_INVDESTALPHA, D3DBLEND_DESTALPHA},
                                     {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                                     {D3DBLEND_ONE, D3DBLEND_ONE}};
  for (int i = 0; i < 4; ++i) {
    d.SetRenderState(D3DRS_SRCBLEND, pairs[i][0]);
    d.SetRenderState(D3DRS_DESTBLEND, pairs[i][1]);
    Draw_Quad(d, TQuad(float(i * 4), 0, float(i * 4 + 4), 8, src, src, src, src));
  }
  Check(d.SetRenderTarget(0, d.Get_BackBuffer_Surface()), "SetRenderTarget back");
  Check(d.EndScene(), "EndScene");

  std::uint32_t w = 0, h = 0;
  Check(d.Read_Surface(d.Get_BackBuffer_Surface(), w, h, out.back), "Read_Surface back");
  Check(d.Read_Surface(rt_surface, out.target_w, out.target_h, out.target), "Read_Surface target");
}

// Line lists and strips of screen and world vertices (the game draws its
// map lines and frames with them), and points.
void Draw_Lines(TRender_Device& d, TScene_Result& out) {
  Check(d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0), "Clear");
  Check(d.BeginScene(), "BeginScene");
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  auto sv = [](float x, float y, TColor c) { return TDevice_Screen_Vertex{x, y, 0.5f, 1.0f, c, 0, 0}; };
  // A frame of whole pixel coordinates (as the game's 2D lines), a
  // diagonal, a shallow and a steep slope, and a strip.
  const TDevice_Screen_Vertex list[] = {
      sv(2, 2, 0xFFFF0000u),   sv(40, 2, 0xFFFF0000u),  sv(40, 2, 0xFF00FF00u),  sv(40, 30, 0xFF00FF00u),
      sv(40, 30, 0xFF0000FFu), sv(2, 30, 0xFF0000FFu),  sv(2, 30, 0xFFFFFF00u),  sv(2, 2, 0xFFFFFF00u),
      sv(5, 5, 0xFFFFFFFFu),   sv(25, 25, 0xFFFFFFFFu), sv(45, 5, 0xFF00FFFFu),  sv(90, 17, 0xFF00FFFFu),
      sv(60, 20, 0xFFFF00FFu), sv(66, 60, 0xFFFF00FFu)};
  Check(d.SetFVF(FVF_SCREEN_VERTEX), "SetFVF");
  Check(d.DrawPrimitiveUP(D3DPT_LINELIST, 7, list, sizeof(TDevice_Screen_Vertex)), "line list");
  const TDevice_Screen_Vertex strip[] = {sv(70.5f, 40.5f, 0xFFFF8000u), sv(90.5f, 40.5f, 0xFFFF8000u),
                                         sv(90.5f, 60.5f, 0xFF80FF00u), sv(70.5f, 50.5f, 0xFF0080FFu)};
  Check(d.DrawPrimitiveUP(D3DPT_LINESTRIP, 3, strip, sizeof(TDevice_Screen_Vertex)), "line strip");
  const TDevice_LVertex world[] = {{-0.9f, -0.2f, 0.5f, 0xFFFFFFFFu, 0, 0, 0}, {0.1f, -0.9f, 0.5f, 0xFFFFFFFFu, 0, 0, 0}};
  Check(d.SetFVF(FVF_LVERTEX), "SetFVF world");
  Check(d.DrawPrimitiveUP(D3DPT_LINELIST, 1, world, sizeof(TDevice_LVertex)), "world line");
  // Points on pixel centres and off them.
  const TDevice_Screen_Vertex points[] = {sv(50, 40, 0xFFFF0000u), sv(52.3f, 40.7f, 0xFF00FF00u),
                                          sv(54.6f, 41.2f, 0xFF0000FFu), sv(0, 63, 0xFFFFFFFFu)};
  Check(d.SetFVF(FVF_SCREEN_VERTEX), "SetFVF points");
  Check(d.DrawPrimitiveUP(D3DPT_POINTLIST, 4, points, sizeof(TDevice_Screen_Vertex)), "points");
  Check(d.EndScene(), "EndScene");
  std::uint32_t w = 0, h = 0;
  Check(d.Read_Surface(d.Get_BackBuffer_Surface(), w, h, out.back), "Read_Surface back");
}

}  // namespace

TEST(Render_Device_OpenGL, SystemListsAdaptersAndFormats) {
  if (!Display_Available()) GTEST_SKIP() << "no display: OpenGL device not tested";
  std::unique_ptr<TRender_System> system = Create_Render_System(TRender_System_Kind::OpenGL);
  ASSERT_TRUE(system) << OpenGL_Last_Error();
  ASSERT_GE(system->Get_Adapter_Count(), 1u);
  std::string name;
  EXPECT_EQ(system->Get_Adapter_Description(0, name), S_OK);
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(system->Get_Adapter_Description(system->Get_Adapter_Count(), name), D3DERR_INVALIDCALL);
  ASSERT_GE(system->Get_Adapter_Mode_Count(0, D3DFMT_X8R8G8B8), 1u);
  EXPECT_EQ(system->Get_Adapter_Mode_Count(0, D3DFMT_R5G6B5), 0u);
  TDisplay_Mode mode;
  ASSERT_EQ(system->Enum_Adapter_Modes(0, D3DFMT_X8R8G8B8, 0, mode), S_OK);
  EXPECT_GT(mode.Width, 0u);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(system->Check_Device_Format(0, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8), S_OK);
  EXPECT_EQ(system->Check_Device_Format(0, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_R5G6B5), D3DERR_NOTAVAILABLE);
  std::unique_ptr<TRender_Device> device;
  TDevice_Params bad;
  bad.Width = 0;
  EXPECT_EQ(system->Create_Device(bad, device), D3DERR_INVALIDCALL);
  EXPECT_FALSE(device);
}

// The same drawing on a headless device of the test window's size.
TScene_Result Headless_Result(void (*draw)(TRender_Device&, TScene_Result&)) {
  TDevice_Params p;
  p.Width = WIDTH;
  p.Height = HEIGHT;
  TRender_Device_Headless headless(p);
  TScene_Result result;
  draw(headless, result);
  return result;
}

TEST(Render_Device_OpenGL, SceneMatchesHeadlessDevice) {
  REQUIRE_GL_DEVICE(gl);
  TScene_Result gl_result;
  Draw_Scene(*gl.device, gl_result);
  ASSERT_FALSE(HasFailure());

  const TScene_Result headless_result = Headless_Result(Draw_Scene);

  Expect_Same_Pixels(gl_result.back, headless_result.back, WIDTH, "back buffer");
  EXPECT_EQ(gl_result.target_w, 32u);
  EXPECT_EQ(gl_result.target_h, 16u);
  Expect_Same_Pixels(gl_result.target, headless_result.target, 32, "render target");

  // A few pixels by value, whatever the two devices share.
  auto at = [&](std::uint32_t x, std::uint32_t y) { return gl_result.back[y * WIDTH + x]; };
  EXPECT_EQ(at(0, 0), 0xFF203040u);                         // clear colour outside everything
  EXPECT_LE(Channel_Difference(at(8, 4), 0xFFFF0000u), 1);  // red texel x opaque pink tint (red stays)
  EXPECT_EQ(at(36, 8), 0xFF203040u);                        // the padding column is not drawn: quad ends at 35
  EXPECT_LE(Channel_Difference(at(28, 28), 0xFF203040u), 1);  // colour-keyed texel: transparent
  // Render target: destination alpha reads 1, so the Gouraud quad replaces
  // the clear colour; outside it the clear colour with alpha 1.
  EXPECT_EQ(gl_result.target[0], 0xFF406080u);
  EXPECT_LE(Channel_Difference(gl_result.target[2 * 32 + 4], 0xFFFF0000u), 12);
  // The lit quad: ambient (100/255) x material ambient + emissive.
  const TColor lit = at(48, 48);
  EXPECT_LE(Channel_Difference(lit, Make_Color(100, 76, 25)), 2) << std::hex << lit;
}

TEST(Render_Device_OpenGL, PresentResetAndTextureErrors) {
  REQUIRE_GL_DEVICE(gl);
  TRender_Device& d = *gl.device;
  EXPECT_NE(d.Get_Native_Window(), nullptr);
  EXPECT_GE(d.Get_Max_Texture_Size(), 1024u);
  TDevice_Texture tex = 0;
  const TColor pixel = 0xFF112233u;
  EXPECT_EQ(d.Create_Texture_From_Pixels(0, 1, &pixel, 0, 0, D3DPOOL_MANAGED, tex), D3DERR_INVALIDCALL);
  ASSERT_EQ(d.Create_Texture_From_Pixels(1, 1, &pixel, 0, 0, D3DPOOL_MANAGED, tex), S_OK);
  std::uint32_t w = 0, h = 0;
  std::vector<TColor> pixels;
  ASSERT_EQ(d.Read_Surface(tex, w, h, pixels), S_OK);
  ASSERT_EQ(pixels.size(), 1u);
  EXPECT_EQ(pixels[0], pixel);
  EXPECT_EQ(d.Release_Texture(tex), S_OK);
  EXPECT_EQ(d.Release_Texture(tex), D3DERR_INVALIDCALL);
  EXPECT_EQ(d.Clear(D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0), S_OK);
  EXPECT_EQ(d.Present(), S_OK);
  TDevice_Params p;
  p.Width = 128;
  p.Height = 96;
  ASSERT_EQ(d.Reset(p), S_OK);
  TSurface_Desc desc;
  ASSERT_EQ(d.Get_BackBuffer_Desc(desc), S_OK);
  EXPECT_EQ(desc.Width, 128u);
  EXPECT_EQ(d.Clear(D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0), S_OK);
  ASSERT_EQ(d.Read_Surface(d.Get_BackBuffer_Surface(), w, h, pixels), S_OK);
  EXPECT_EQ(w, 128u);
  EXPECT_EQ(pixels[95 * 128 + 127], 0xFF0000FFu);
}

TEST(Render_Device_OpenGL, StateTableMatchesHeadlessDevice) {
  REQUIRE_GL_DEVICE(gl);
  TScene_Result gl_result;
  Draw_State_Table(*gl.device, gl_result);
  ASSERT_FALSE(HasFailure());
  const TScene_Result headless_result = Headless_Result(Draw_State_Table);
  Expect_Same_Pixels(gl_result.back, headless_result.back, WIDTH, "back buffer");
  Expect_Same_Pixels(gl_result.target, headless_result.target, 16, "render target");
  // The render target keeps the alpha of its clear where nothing changed it
  // (the ONE / ONE cell adds to it).
  EXPECT_EQ(Color_Alpha(gl_result.target[0]), Color_Alpha(headless_result.target[0]));
}

// The comparison above relies on this: a second pass at the same constant
// depth passes an EQUAL depth test on every pixel, whatever the shapes of
// the triangles of the two passes.
TEST(Render_Device_OpenGL, HeadlessEqualDepthPassesOnCoplanarQuadsOfOtherShapes) {
  TDevice_Params p;
  p.Width = WIDTH;
  p.Height = HEIGHT;
  TRender_Device_Headless d(p);
  ASSERT_EQ(d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0), S_OK);
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  const float depths[] = {0.5f, 0.3f, 0.123f, 0.9f};
  for (std::size_t i = 0; i < std::size(depths); ++i) {
    const float x = float(i) * 24;
    d.SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    TQuad base(x, 0, x + 24, 64, 0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF000000u);
    for (auto& v : base.v) v.z = depths[i];
    Draw_Quad(d, base);
    d.SetRenderState(D3DRS_ZFUNC, D3DCMP_EQUAL);
    for (int row = 0; row < 64; row += 3) {
      TQuad strip(x, float(row), x + 24, float(std::min(row + 3, 64)), 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu,
                  0xFFFFFFFFu);
      for (auto& v : strip.v) v.z = depths[i];
      Draw_Quad(d, strip);
    }
  }
  for (std::uint32_t y = 0; y < HEIGHT; ++y)
    for (std::uint32_t x = 0; x < WIDTH; ++x) ASSERT_EQ(d.Pixel(d.Get_BackBuffer_Surface(), x, y), 0xFFFFFFFFu) << x << ", " << y;
}

TEST(Render_Device_OpenGL, LinesMatchHeadlessDevice) {
  REQUIRE_GL_DEVICE(gl);
  TScene_Result gl_result;
  Draw_Lines(*gl.device, gl_result);
  ASSERT_FALSE(HasFailure());
  const TScene_Result headless_result = Headless_Result(Draw_Lines);
  Expect_Same_Pixels(gl_result.back, headless_result.back, WIDTH, "back buffer");
}

// Lines draw their first pixel and not their last, in whichever direction
// they run, also when their ends lie exactly on pixel centres.
TEST(Render_Device_OpenGL, HeadlessLinesDrawTheFirstPixelInEitherDirection) {
  TDevice_Params p;
  p.Width = 16;
  p.Height = 16;
  TRender_Device_Headless d(p);
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SetFVF(FVF_SCREEN_VERTEX);
  const TDevice_Screen_Vertex lines[] = {{2, 2, 0.5f, 1, 0xFFFF0000u, 0, 0},  {10, 2, 0.5f, 1, 0xFFFF0000u, 0, 0},
                                         {10, 5, 0.5f, 1, 0xFF00FF00u, 0, 0}, {2, 5, 0.5f, 1, 0xFF00FF00u, 0, 0},
                                         {7, 14, 0.5f, 1, 0xFF0000FFu, 0, 0}, {7, 8, 0.5f, 1, 0xFF0000FFu, 0, 0}};
  ASSERT_EQ(d.DrawPrimitiveUP(D3DPT_LINELIST, 3, lines, sizeof(TDevice_Screen_Vertex)), S_OK);
  const TDevice_Surface back = d.Get_BackBuffer_Surface();
  struct {
    std::uint32_t x, y;
    TColor color;
  } rows[] = {{2, 2, 0xFFFF0000u}, {9, 2, 0xFFFF0000u}, {10, 2, 0xFF000000u},   // left to right
              {10, 5, 0xFF00FF00u}, {3, 5, 0xFF00FF00u}, {2, 5, 0xFF000000u},   // right to left
              {7, 14, 0xFF0000FFu}, {7, 9, 0xFF0000FFu}, {7, 8, 0xFF000000u}};  // bottom to top
  for (const auto& r : rows) EXPECT_EQ(d.Pixel(back, r.x, r.y), r.color) << r.x << ", " << r.y;
}

namespace {
// A 5 x 3 mask (255 white, 0 black) drawn twice, enlarged and smoothed and
// tinted the way a region is: from a one-byte mask texture padded to 8 x 4,
// and from the 32-bit picture of black and white with black keyed away.
// `out.back` holds the first drawing, `out.target` the second, both read
// back in the quad's rectangle; the mask texture reads as (v, v, v, v).
void Draw_Masks(TRender_Device& d, TScene_Result& out) {
  const std::uint8_t mask[3][5] = {{0, 255, 255, 0, 255}, {255, 255, 0, 0, 255}, {0, 255, 255, 255, 0}};
  std::vector<std::uint8_t> padded(8 * 4, 0);
  std::vector<TColor> picture;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      padded[std::size_t(y * 8 + x)] = mask[y][x];
      picture.push_back(mask[y][x] ? 0xFFFFFFFFu : 0xFF000000u);
    }
  TDevice_Texture bytes = 0, argb = 0;
  Check(d.Create_Mask_Texture(8, 4, padded.data(), D3DPOOL_MANAGED, bytes), "mask texture");
  Check(d.Create_Texture_From_Pixels(5, 3, picture.data(), 0xFF000000u, 0, D3DPOOL_MANAGED, argb), "picture");
  TDevice_Texture none = 0;
  EXPECT_EQ(d.Create_Mask_Texture(0, 4, padded.data(), D3DPOOL_MANAGED, none), D3DERR_INVALIDCALL);
  EXPECT_EQ(d.Create_Mask_Texture(8, 4, nullptr, D3DPOOL_MANAGED, none), D3DERR_INVALIDCALL);
  EXPECT_EQ(d.Create_Mask_Texture(8, 4, padded.data(), D3DPOOL_SYSTEMMEM, none), D3DERR_INVALIDCALL);
  EXPECT_EQ(none, 0u);
  std::uint32_t w = 0, h = 0;
  std::vector<TColor> read;
  Check(d.Read_Surface(bytes, w, h, read), "Read_Surface");
  EXPECT_EQ(w, 8u);
  EXPECT_EQ(h, 4u);
  if (read.size() == 32) {
    EXPECT_EQ(read[1], 0xFFFFFFFFu);
    EXPECT_EQ(read[0], 0u);
    EXPECT_EQ(read[7], 0u);
  }
  for (int pass = 0; pass < 2; ++pass) {
    Check(d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF406020u, 1.0f, 0), "Clear");
    Check(d.BeginScene(), "BeginScene");
    d.SetRenderState(D3DRS_LIGHTING, 0);
    d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCCOLOR);
    d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCCOLOR);
    d.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    d.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    d.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    Check(d.SetTexture(0, pass == 0 ? bytes : argb), "SetTexture");
    // Five texels across 50 pixels: u runs to 5 / 8, v to 3 / 4.
    Draw_Quad(d, TQuad(4, 4, 54, 34, 0xFFC02020u, 0xFFC02020u, 0xFFC02020u, 0xFFC02020u, 5.0f / 8, 3.0f / 4));
    Check(d.EndScene(), "EndScene");
    std::vector<TColor> back;
    Check(d.Read_Surface(d.Get_BackBuffer_Surface(), w, h, back), "Read_Surface back");
    std::vector<TColor>& kept = pass == 0 ? out.back : out.target;
    for (std::uint32_t y = 0; y < 40 && y < h; ++y)
      for (std::uint32_t x = 0; x < 60 && x < w; ++x) kept.push_back(back[y * w + x]);
  }
  d.Release_Texture(bytes);
  d.Release_Texture(argb);
}
}  // namespace

TEST(Render_Device_OpenGL, MaskTexturesDrawAsTheirPaddedPicturesWithBlackKeyedAway) {
  const TScene_Result headless = Headless_Result(Draw_Masks);
  ASSERT_FALSE(HasFailure());
  EXPECT_EQ(headless.back, headless.target);
  REQUIRE_GL_DEVICE(gl);
  TScene_Result gl_result;
  Draw_Masks(*gl.device, gl_result);
  ASSERT_FALSE(HasFailure());
  EXPECT_EQ(gl_result.back, gl_result.target);
  Expect_Same_Pixels(gl_result.back, headless.back, 60, "mask");
  // The mask decides: tinted texels and the ground beside them.
  std::set<TColor> colours(gl_result.back.begin(), gl_result.back.end());
  EXPECT_GT(colours.size(), 2u);
}
