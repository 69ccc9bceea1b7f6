// The drawing layer on the headless device.
#include <gtest/gtest.h>

#include <cmath>

#include "Engine_Fixture.h"
#include "Errors.h"

namespace {

constexpr TDevice_Surface BACK = TRender_Device_Base::BACK_BUFFER_SURFACE;

struct TCorner {
  float x, y, u, v;
  TColor color;
};

std::vector<TCorner> Screen_Corners(const TDraw_Record& rec) {
  std::vector<TCorner> out;
  for (std::uint32_t i = 0; i < rec.m_Vertex_Count(); ++i) {
    const TDevice_Screen_Vertex v = rec.m_Screen_Vertex(i);
    EXPECT_EQ(v.z, 0.5f);
    EXPECT_EQ(v.rhw, 1.0f);
    out.push_back({v.x, v.y, v.tu, v.tv, v.diffuse});
  }
  return out;
}

void Expect_Corners(const std::vector<TCorner>& got, const std::vector<TCorner>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].x, want[i].x) << i;
    EXPECT_EQ(got[i].y, want[i].y) << i;
    EXPECT_FLOAT_EQ(got[i].u, want[i].u) << i;
    EXPECT_FLOAT_EQ(got[i].v, want[i].v) << i;
    EXPECT_EQ(got[i].color, want[i].color) << i;
  }
}

int Hook_Calls = 0;
std::vector<std::string> Hook_Order;

}  // namespace

using G_Engine = TEngine_Fixture;

TEST(G_Colors, PackingAndUnpacking) {
  EXPECT_EQ(G_Make_Color(1, 2, 3), 0xFF010203u);
  EXPECT_EQ(G_Make_Color_RGBA(0x12, 0x34, 0x56, 0x78), 0x78123456u);
  // Arguments are not masked: a red of 0x1FF spills into alpha.
  EXPECT_EQ(G_Make_Color_RGBA(0x1FF, 0, 0, 0), 0x01FF0000u);
  EXPECT_EQ(G_Make_Color_From_Floats(1, 0.5f, 0, 1), 0xFFFF8000u);
  EXPECT_EQ(G_Make_Color_From_Floats(0, 0, 0, 0), 0u);
  EXPECT_EQ(G_Make_Color_From_Floats(0.2f, 0.4f, 0.6f, 0.8f), 0xCC336699u);
  EXPECT_THROW(G_Make_Color_From_Floats(1e30f, 0, 0, 0), ERangeError);
  EXPECT_THROW(G_Make_Color_From_Floats(std::nanf(""), 0, 0, 0), ERangeError);

  const TColor c = 0x80FF4020u;
  EXPECT_EQ(G_Color_Alpha(c), 0x80);
  EXPECT_EQ(G_Color_Red(c), 0xFF);
  EXPECT_EQ(G_Color_Green(c), 0x40);
  EXPECT_EQ(G_Color_Blue(c), 0x20);
  // Every colour, also those with the top bit set, becomes opaque.
  struct {
    TColor in, out;
  } opaque[] = {{0x00000000u, 0xFF000000u}, {0x7F123456u, 0xFF123456u}, {0x80123456u, 0xFF123456u},
                {0xFFFFFFFFu, 0xFFFFFFFFu}, {0x00FFFFFFu, 0xFFFFFFFFu}};
  for (const auto& row : opaque) EXPECT_EQ(G_Color_Opaque(row.in), row.out) << std::hex << row.in;
}

TEST(G_Colors, VertexMakersFillFieldByField) {
  LVertex l;
  G_Make_LVertex(l, 1, 2, 3, 0x11223344u, 0x55667788u, 0.25f, 0.75f);
  EXPECT_EQ(l.x, 1);
  EXPECT_EQ(l.y, 2);
  EXPECT_EQ(l.z, 3);
  EXPECT_EQ(l.diffuse, 0x11223344u);
  EXPECT_EQ(l.specular, 0x55667788u);
  EXPECT_EQ(l.tu, 0.25f);
  EXPECT_EQ(l.tv, 0.75f);
  TScreen_Vertex s;
  G_Make_Screen_Vertex(s, 4, 5, 0.5f, 1, 0xFF00FF00u, 1, 0);
  EXPECT_EQ(s.x, 4);
  EXPECT_EQ(s.rhw, 1);
  EXPECT_EQ(s.diffuse, 0xFF00FF00u);
  TVector4 f;
  G_Make_Float4(f, 1, 2, 3, 4);
  EXPECT_EQ(f.x + f.y * 10 + f.z * 100 + f.w * 1000, 4321);
}

TEST(G_No_Device, WrappersFailAndDrawingDoesNothing) {
  ASSERT_EQ(G_Device(), nullptr);
  TMatrix m;
  TViewport vp;
  TDevice_Surface s = 5;
  LVertex v[4] = {};
  std::uint16_t idx[6] = {};
  EXPECT_EQ(G_Main_Clear(0), E_FAIL);
  EXPECT_EQ(G_SetTexture(0, 1), E_FAIL);
  EXPECT_EQ(G_SetTexture_Obj(0, nullptr), E_FAIL);
  EXPECT_EQ(G_GetTransform(D3DTS_WORLD, m), E_FAIL);
  EXPECT_EQ(G_SetRenderState(D3DRS_LIGHTING, 0), E_FAIL);
  EXPECT_EQ(G_Set_Lighting(false), E_FAIL);
  EXPECT_EQ(G_SetSamplerState_MinFilter(D3DTEXF_LINEAR), E_FAIL);
  EXPECT_EQ(G_GetViewport(vp), E_FAIL);
  EXPECT_EQ(G_DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, 28), E_FAIL);
  EXPECT_EQ(G_GetRenderTarget(0, s), E_FAIL);
  EXPECT_EQ(s, 0u);
  EXPECT_EQ(G_SetRenderTarget(0, 1), E_FAIL);
  EXPECT_EQ(G_SetFVF(FVF_LVERTEX), E_FAIL);
  EXPECT_EQ(G_DrawIndexedPrimitive_LVertex(D3DPT_TRIANGLELIST, v, 4, idx, 6), E_FAIL);
  EXPECT_EQ(G_DrawPrimitive_LVertex(D3DPT_LINELIST, v, 4), E_FAIL);
  G_Draw_2D_Color_Part(0xFFFFFFFFu, {0, 0, 10, 10}, false, false);
  G_Draw_Textured_Quad(0xFFFFFFFFu, false, false, 0, 0, 1, 1, 0);

  // Setting the view transform rebuilds the frustum even without a device.
  Hook_Calls = 0;
  G_Engine_Hooks.View_Changed = [] { ++Hook_Calls; };
  EXPECT_EQ(G_SetTransform(D3DTS_VIEW, m), E_FAIL);
  EXPECT_EQ(Hook_Calls, 1);
  EXPECT_EQ(G_SetTransform(D3DTS_WORLD, m), E_FAIL);
  EXPECT_EQ(Hook_Calls, 1);
  G_Engine_Hooks = TG_Engine_Hooks();
}

TEST_F(G_Engine, CheckResultLogsOnlyFailuresAndOnlyWithTheSectionOn) {
  EXPECT_EQ(G_Check_Result(S_OK, "Somewhere - Call"), 0);
  EXPECT_EQ(G_Check_Result(D3DERR_INVALIDCALL, "Somewhere - Call"), 1);
  Debug_Sections[DEBUG_ENGINE_STARTUP] = false;
  EXPECT_EQ(G_Check_Result(E_FAIL, "Silent - Call"), 1);
  EXPECT_EQ(Log_Lines(), (std::vector<std::string>{
                             "Somewhere - Call: -2005530516 - D3DERR_INVALIDCALL - Invalid call: a parameter or the "
                             "device state is not valid."}));
  EXPECT_EQ(G_DX_Error_String(E_OUTOFMEMORY), "E_OUTOFMEMORY");
  EXPECT_EQ(G_DX_Error_Description(0x12345678), "Unknown error.");
}

TEST_F(G_Engine, FailedCallsAreReturnedAndLoggedWithTheirTexts) {
  TMatrix m;
  TViewport vp;
  TDevice_Surface s = 0;
  TScreen_Vertex v[4] = {};
  struct {
    HRESULT (*call)();
    const char* text;
  } rows[] = {
      {[] { return G_Main_Clear(0); }, "G_Main_Clear - Clear"},
      {[] { return G_SetTexture(0, 0); }, "G_SetTexture - SetTexture"},
      {[] { return G_SetTexture_Obj(0, nullptr); }, "G_SetTexture_Obj - SetTexture 1"},
      {[] { return G_SetRenderState(D3DRS_ZWRITEENABLE, 0); }, "G_SetRenderState - SetRenderState"},
      {[] { return G_Set_Ambient(0); }, "G_SetRenderState - SetRenderState"},
      {[] { return G_SetFVF(FVF_SCREEN_VERTEX); }, "G_SetFVF - SetFVF"},
      {[] { return G_SetRenderTarget(0, BACK); }, "G_SetRenderTarget - SetRenderTarget"},
      {[] { return G_SetSamplerState_MinFilter(1); }, "G_SetSamplerState_MinFilter - SetSamplerState"},
      {[] { return G_SetSamplerState_MagFilter(1); }, "G_SetSamplerState_MagFilter - SetSamplerState"},
      {[] { return G_SetSamplerState_AddressU(3); }, "G_SetSamplerState_AddressU - SetSamplerState"},
      {[] { return G_SetSamplerState_AddressV(3); }, "G_SetSamplerState_AddressV - SetSamplerState"},
  };
  for (const auto& row : rows) {
    f_device->Fail_Next_Call(D3DERR_DEVICELOST);
    EXPECT_EQ(row.call(), D3DERR_DEVICELOST) << row.text;
    EXPECT_EQ(Log_Lines(), (std::vector<std::string>{std::string(row.text) +
                                                     ": -2005530520 - D3DERR_DEVICELOST - The device is lost and "
                                                     "cannot be reset yet."}));
  }
  // Setting the view also rebuilds the frustum, whose two reads fail too.
  f_device->Fail_Next_Call(E_FAIL, 6);
  EXPECT_EQ(G_GetTransform(D3DTS_VIEW, m), E_FAIL);
  EXPECT_EQ(G_SetTransform(D3DTS_VIEW, m), E_FAIL);
  EXPECT_EQ(G_GetViewport(vp), E_FAIL);
  EXPECT_EQ(G_GetRenderTarget(0, s), E_FAIL);
  f_device->SetFVF(FVF_SCREEN_VERTEX);
  f_device->Fail_Next_Call(E_FAIL);
  EXPECT_EQ(G_DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, 28), E_FAIL);
  const std::string tail = ": -2147467259 - E_FAIL - The call failed.";
  EXPECT_EQ(Log_Lines(), (std::vector<std::string>{
                             "G_GetTransform - GetTransform" + tail, "G_SetTransform - SetTransform" + tail,
                             "G_Culling_Set_View_Frustrum - GetTransform 1" + tail,
                             "G_Culling_Set_View_Frustrum - GetTransform 2" + tail,
                             "G_GetViewport - GetViewPort" + tail, "G_GetRenderTarget - GetRenderTarget" + tail,
                             "G_DrawPrimitiveUP - DrawPrimitiveUp" + tail}));
  // Calls that succeed write nothing.
  EXPECT_EQ(G_Main_Clear(0xFF000000u), S_OK);
  EXPECT_EQ(G_GetRenderTarget(0, s), S_OK);
  EXPECT_EQ(s, BACK);
  EXPECT_TRUE(Log_Lines().empty());
}

TEST_F(G_Engine, StateSettersSetTheirStates) {
  EXPECT_EQ(G_Set_ZWriteEnable(false), S_OK);
  EXPECT_EQ(G_Set_AlphaTestEnable(true), S_OK);
  EXPECT_EQ(G_Set_AlphaBlendEnable(true), S_OK);
  EXPECT_EQ(G_Set_Lighting(false), S_OK);
  EXPECT_EQ(G_Set_SrcBlend(D3DBLEND_SRCALPHA), S_OK);
  EXPECT_EQ(G_Set_DestBlend(D3DBLEND_INVSRCALPHA), S_OK);
  EXPECT_EQ(G_Set_Ambient(0x00646464u), S_OK);
  EXPECT_EQ(G_SetSamplerState_MinFilter(D3DTEXF_LINEAR), S_OK);
  EXPECT_EQ(G_SetSamplerState_MagFilter(D3DTEXF_ANISOTROPIC), S_OK);
  EXPECT_EQ(G_SetSamplerState_AddressU(D3DTADDRESS_CLAMP), S_OK);
  EXPECT_EQ(G_SetSamplerState_AddressV(D3DTADDRESS_MIRROR), S_OK);
  G_Set_Empty_State(true);
  const TDevice_State& s = f_device->State();
  EXPECT_EQ(s.render[D3DRS_ZWRITEENABLE], 0u);
  EXPECT_EQ(s.render[D3DRS_ALPHATESTENABLE], 1u);
  EXPECT_EQ(s.render[D3DRS_ALPHABLENDENABLE], 1u);
  EXPECT_EQ(s.render[D3DRS_LIGHTING], 0u);
  EXPECT_EQ(s.render[D3DRS_SRCBLEND], D3DBLEND_SRCALPHA);
  EXPECT_EQ(s.render[D3DRS_DESTBLEND], D3DBLEND_INVSRCALPHA);
  EXPECT_EQ(s.render[D3DRS_AMBIENT], 0x00646464u);
  EXPECT_EQ(s.sampler[0][D3DSAMP_MINFILTER], D3DTEXF_LINEAR);
  EXPECT_EQ(s.sampler[0][D3DSAMP_MAGFILTER], D3DTEXF_ANISOTROPIC);
  EXPECT_EQ(s.sampler[0][D3DSAMP_ADDRESSU], D3DTADDRESS_CLAMP);
  EXPECT_EQ(s.sampler[0][D3DSAMP_ADDRESSV], D3DTADDRESS_MIRROR);
  EXPECT_TRUE(Log_Lines().empty());
}

TEST_F(G_Engine, ScreenStateAndFlags) {
  EXPECT_TRUE(G_Screen_Size_Known);
  EXPECT_EQ(G_Screen_Width, 64);
  EXPECT_EQ(G_Screen_Height, 48);
  TSurface_Desc desc;
  desc.Format = D3DFMT_X8R8G8B8;
  desc.Width = 1024;
  desc.Height = 768;
  G_Set_BackBuffer_Desc(desc);
  TSurface_Desc back;
  G_Get_BackBuffer_Desc(back);
  EXPECT_EQ(back.Width, 1024u);
  EXPECT_EQ(back.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(G_Screen_Width, 1024);
  EXPECT_EQ(G_Screen_Height, 768);
  Set_Mouse_Position(-3, 700);
  EXPECT_EQ(G_Mouse_X, -3);
  EXPECT_EQ(G_Mouse_Y, 700);
  G_Set_Windowed_Flag(false);
  EXPECT_FALSE(G_Windowed);
  G_Set_Windowed_Flag(true);
  EXPECT_EQ(G_Mouse_Pointer_Kind, TMouse_Pointer::Normal);
  EXPECT_FALSE(G_Progress_Dialog_Shown);
}

TEST_F(G_Engine, ColorRectangleCornersStatesAndPixels) {
  G_Set_AlphaBlendEnable(true);
  G_Set_Lighting(true);
  G_Set_ZWriteEnable(true);
  f_device->Clear_Draw_Records();
  G_Draw_2D_Color_Part(0xFF20A040u, {10, 20, 30, 40}, false, false);
  ASSERT_EQ(f_device->Draw_Records().size(), 1u);
  const TDraw_Record& rec = f_device->Draw_Records()[0];
  EXPECT_EQ(rec.primitive, D3DPT_TRIANGLEFAN);
  EXPECT_EQ(rec.primitive_count, 2u);
  EXPECT_EQ(rec.fvf, FVF_SCREEN_VERTEX);
  EXPECT_EQ(rec.texture, 0u);
  Expect_Corners(Screen_Corners(rec), {{9.5f, 19.5f, 0, 0, 0xFF20A040u},
                                       {29.5f, 19.5f, 1, 0, 0xFF20A040u},
                                       {29.5f, 39.5f, 1, 1, 0xFF20A040u},
                                       {9.5f, 39.5f, 0, 1, 0xFF20A040u}});
  EXPECT_EQ(rec.state.render[D3DRS_LIGHTING], 0u);
  EXPECT_EQ(rec.state.render[D3DRS_ZWRITEENABLE], 0u);
  EXPECT_EQ(rec.state.render[D3DRS_ALPHATESTENABLE], 0u);
  EXPECT_EQ(rec.state.render[D3DRS_AMBIENT], 0u);
  EXPECT_EQ(rec.state.render[D3DRS_ALPHABLENDENABLE], 0u);
  EXPECT_EQ(rec.state.sampler[0][D3DSAMP_MINFILTER], D3DTEXF_POINT);
  EXPECT_EQ(rec.state.sampler[0][D3DSAMP_MAGFILTER], D3DTEXF_POINT);
  // Exactly the pixels 10..29 x 20..39 are filled.
  EXPECT_EQ(f_device->Pixel(BACK, 10, 20), 0xFF20A040u);
  EXPECT_EQ(f_device->Pixel(BACK, 29, 39), 0xFF20A040u);
  EXPECT_EQ(f_device->Pixel(BACK, 9, 20), 0xFF000000u);
  EXPECT_EQ(f_device->Pixel(BACK, 30, 39), 0xFF000000u);
  EXPECT_EQ(f_device->Pixel(BACK, 29, 40), 0xFF000000u);

  // A sample rectangle, blended and smooth.
  f_device->Clear_Draw_Records();
  G_Draw_2D_Color_Part(0x80FFFFFFu, {10, 20, 110, 70}, true, true);
  ASSERT_EQ(f_device->Draw_Records().size(), 1u);
  const TDraw_Record& blended = f_device->Draw_Records()[0];
  Expect_Corners(Screen_Corners(blended), {{9.5f, 19.5f, 0, 0, 0x80FFFFFFu},
                                           {109.5f, 19.5f, 1, 0, 0x80FFFFFFu},
                                           {109.5f, 69.5f, 1, 1, 0x80FFFFFFu},
                                           {9.5f, 69.5f, 0, 1, 0x80FFFFFFu}});
  EXPECT_EQ(blended.state.render[D3DRS_ALPHABLENDENABLE], 1u);
  EXPECT_EQ(blended.state.render[D3DRS_SRCBLEND], D3DBLEND_SRCCOLOR);
  EXPECT_EQ(blended.state.render[D3DRS_DESTBLEND], D3DBLEND_SRCALPHA);
  EXPECT_EQ(blended.state.sampler[0][D3DSAMP_MINFILTER], D3DTEXF_LINEAR);
  EXPECT_TRUE(Log_Lines().empty());
}

TEST_F(G_Engine, TwoDFailuresAreLoggedUnderTheRoutinesName) {
  f_device->Set_Call_Log(true);
  G_Draw_2D_Color_Part(0xFFFFFFFFu, {0, 0, 4, 4}, false, false);
  const std::size_t calls = f_device->Call_Log().size();
  f_device->Set_Call_Log(false);
  ASSERT_EQ(calls, 10u);  // texture, 5 render states, 2 filters, vertex format, draw
  f_device->Clear_Draw_Records();
  // Every call fails: each is logged and the routine goes on to the end.
  f_device->Fail_Next_Call(E_FAIL, std::uint32_t(calls));
  G_Draw_2D_Color_Part(0xFFFFFFFFu, {0, 0, 4, 4}, false, false);
  const std::vector<std::string> lines = Log_Lines();
  ASSERT_EQ(lines.size(), calls);
  const std::string tail = ": -2147467259 - E_FAIL - The call failed.";
  EXPECT_EQ(lines[0], "G_SetTexture_Obj - SetTexture 1" + tail);
  EXPECT_EQ(lines[1], "G_SetRenderState - SetRenderState" + tail);
  EXPECT_EQ(lines[6], "G_SetSamplerState_MinFilter - SetSamplerState" + tail);
  EXPECT_EQ(lines[8], "G_Draw_2D_Color_Part - SetFVF" + tail);
  EXPECT_EQ(lines[9], "G_Draw_2D_Color_Part - DrawPrimitiveUP" + tail);
  EXPECT_TRUE(f_device->Draw_Records().empty());
}

TEST_F(G_Engine, BatchesOfLitVertices) {
  G_Set_Lighting(false);
  std::vector<LVertex> v(1000);
  for (std::size_t i = 0; i < v.size(); ++i)
    G_Make_LVertex(v[i], float(i), float(i % 7), 0.5f, 0xFFFFFFFFu, 0xFFFFFFFFu, 0, 0);
  struct {
    std::uint32_t primitive;
    std::vector<std::uint32_t> counts;  // primitives of each draw
    std::vector<std::uint32_t> firsts;  // first vertex of each draw
  } rows[] = {
      {D3DPT_LINELIST, {200, 200, 100}, {0, 400, 800}},
      {D3DPT_TRIANGLELIST, {133, 133, 67}, {0, 399, 798}},
      {D3DPT_TRIANGLEFAN, {396, 396, 202}, {0, 398, 796}},
      {D3DPT_LINESTRIP, {399, 399, 199}, {0, 400, 800}},
  };
  for (const auto& row : rows) {
    f_device->Clear_Draw_Records();
    EXPECT_EQ(G_DrawPrimitive_LVertex(row.primitive, v.data(), 1000), S_OK);
    const auto& recs = f_device->Draw_Records();
    ASSERT_EQ(recs.size(), row.counts.size()) << row.primitive;
    for (std::size_t k = 0; k < recs.size(); ++k) {
      EXPECT_EQ(recs[k].primitive, row.primitive);
      EXPECT_EQ(recs[k].primitive_count, row.counts[k]) << row.primitive << " draw " << k;
      EXPECT_EQ(recs[k].fvf, FVF_LVERTEX);
      EXPECT_EQ(recs[k].m_LVertex(0).x, float(row.firsts[k])) << row.primitive << " draw " << k;
    }
  }
  EXPECT_TRUE(Log_Lines().empty());

  // A failed lock skips that batch only (the first four calls fail: vertex
  // format, pixel shader, stream source and the first lock).
  f_device->Clear_Draw_Records();
  f_device->Fail_Next_Call(E_FAIL, 4);
  EXPECT_EQ(G_DrawPrimitive_LVertex(D3DPT_LINELIST, v.data(), 1000), S_OK);
  ASSERT_EQ(f_device->Draw_Records().size(), 2u);
  EXPECT_EQ(f_device->Draw_Records()[0].m_LVertex(0).x, 400.0f);
  EXPECT_EQ(f_device->Draw_Records()[1].primitive_count, 100u);
  const std::string tail = ": -2147467259 - E_FAIL - The call failed.";
  EXPECT_EQ(Log_Lines(), (std::vector<std::string>{"G_DrawPrimitive_LVertex - SetFVF" + tail,
                                                   "G_DrawPrimitive_LVertex - SetPixelShader" + tail,
                                                   "G_DrawPrimitive_LVertex - SetStreamSource" + tail,
                                                   "G_DrawPrimitive_LVertex - f_LVertexVB.Lock" + tail}));
}

TEST_F(G_Engine, IndexedLitVerticesKeepToTheBufferCapacity) {
  G_Set_Lighting(false);
  std::vector<LVertex> v(401);
  for (std::size_t i = 0; i < v.size(); ++i)
    G_Make_LVertex(v[i], float(i % 20), float(i / 20), 0.5f, 0xFFFFFFFFu, 0xFFFFFFFFu, 0, 0);
  std::vector<std::uint16_t> idx(601);
  for (std::size_t i = 0; i < idx.size(); ++i) idx[i] = std::uint16_t(i % 400);

  // Full buffers are fine.
  EXPECT_EQ(G_DrawIndexedPrimitive_LVertex(D3DPT_TRIANGLELIST, v.data(), 400, idx.data(), 600), S_OK);
  ASSERT_EQ(f_device->Draw_Records().size(), 1u);
  EXPECT_EQ(f_device->Draw_Records()[0].primitive_count, 200u);
  EXPECT_TRUE(f_device->Draw_Records()[0].indexed);
  EXPECT_EQ(f_device->Draw_Records()[0].m_Vertex_Count(), 400u);

  // One more vertex or index is refused and logged; nothing is drawn.
  f_device->Clear_Draw_Records();
  EXPECT_EQ(G_DrawIndexedPrimitive_LVertex(D3DPT_TRIANGLELIST, v.data(), 401, idx.data(), 600), E_FAIL);
  EXPECT_EQ(G_DrawIndexedPrimitive_LVertex(D3DPT_TRIANGLELIST, v.data(), 400, idx.data(), 601), E_FAIL);
  EXPECT_EQ(G_DrawIndexedPrimitive_LVertex(D3DPT_TRIANGLELIST, v.data(), -1, idx.data(), 3), E_FAIL);
  EXPECT_TRUE(f_device->Draw_Records().empty());
  const std::string tail = ": -2147467259 - E_FAIL - The call failed.";
  EXPECT_EQ(Log_Lines(),
            (std::vector<std::string>{
                "G_DrawIndexedPrimitive_LVertex - Batch too large (401 vertices, 600 indices)" + tail,
                "G_DrawIndexedPrimitive_LVertex - Batch too large (400 vertices, 601 indices)" + tail,
                "G_DrawIndexedPrimitive_LVertex - Batch too large (-1 vertices, 3 indices)" + tail}));

  // An index beyond the given vertices is the device's invalid call.
  idx[0] = 7;
  EXPECT_EQ(G_DrawIndexedPrimitive_LVertex(D3DPT_TRIANGLELIST, v.data(), 4, idx.data(), 3), D3DERR_INVALIDCALL);
  ASSERT_EQ(Log_Lines().size(), 1u);
}

TEST_F(G_Engine, TexturedQuadIsTwoIndexedTrianglesOfLitVertices) {
  G_Set_Lighting(true);
  f_device->Clear_Draw_Records();
  G_Draw_Textured_Quad(0x80402010u, true, true, 100, 200, 50, 25, 3);
  ASSERT_EQ(f_device->Draw_Records().size(), 1u);
  const TDraw_Record& rec = f_device->Draw_Records()[0];
  EXPECT_EQ(rec.primitive, D3DPT_TRIANGLELIST);
  EXPECT_EQ(rec.primitive_count, 2u);
  EXPECT_EQ(rec.fvf, FVF_LVERTEX);
  EXPECT_EQ(rec.indices, (std::vector<std::uint16_t>{3, 1, 0, 3, 2, 1}));
  EXPECT_EQ(rec.texture, 0u);
  const float want[4][5] = {{100, 200, 0, 1}, {150, 200, 1, 1}, {150, 225, 1, 0}, {100, 225, 0, 0}};
  ASSERT_EQ(rec.m_Vertex_Count(), 4u);
  for (std::uint32_t i = 0; i < 4; ++i) {
    const TDevice_LVertex v = rec.m_LVertex(i);
    EXPECT_EQ(v.x, want[i][0]);
    EXPECT_EQ(v.y, want[i][1]);
    EXPECT_EQ(v.z, 3.0f);
    EXPECT_EQ(v.tu, want[i][2]);
    EXPECT_EQ(v.tv, want[i][3]);
    EXPECT_EQ(v.diffuse, 0x80402010u);
    EXPECT_EQ(v.specular, 0xFFFFFFFFu);
  }
  EXPECT_EQ(rec.state.render[D3DRS_LIGHTING], 0u);
  EXPECT_EQ(rec.state.render[D3DRS_SRCBLEND], D3DBLEND_SRCCOLOR);
  EXPECT_EQ(rec.state.render[D3DRS_DESTBLEND], D3DBLEND_SRCALPHA);
  EXPECT_EQ(rec.state.sampler[0][D3DSAMP_MAGFILTER], D3DTEXF_LINEAR);
}

TEST_F(G_Engine, BufferFailuresAtStartAreLoggedAndTheStartGoesOn) {
  G_DeleteDeviceObjects();
  Log_Lines();
  f_device->Fail_Next_Call(D3DERR_OUTOFVIDEOMEMORY, 2);
  EXPECT_TRUE(G_Init_GraphicsEngine());
  const std::string tail = ": -2005532292 - D3DERR_OUTOFVIDEOMEMORY - Not enough display memory to complete the call.";
  EXPECT_EQ(Log_Lines(), (std::vector<std::string>{"G_Init_GraphicsEngine - CreateVertexBuffer 3" + tail,
                                                   "G_Init_GraphicsEngine - CreateVertexBuffer 5" + tail}));
  EXPECT_EQ(G_Device(), f_device.get());
  LVertex v[3] = {};
  std::uint16_t idx[3] = {0, 1, 2};
  EXPECT_EQ(G_DrawIndexedPrimitive_LVertex(D3DPT_TRIANGLELIST, v, 3, idx, 3), E_FAIL);
  EXPECT_EQ(G_DrawPrimitive_LVertex(D3DPT_TRIANGLELIST, v, 3), E_FAIL);
  // Other wrappers still work.
  EXPECT_EQ(G_Main_Clear(0xFF000000u), S_OK);
  EXPECT_NE(g_tg_texture_list, nullptr);
}

TEST_F(G_Engine, LifetimeReachesFontsAndKeepsBuffersFromLeaking) {
  const std::size_t buffers = f_device->Buffer_Count();
  EXPECT_EQ(buffers, 2u);
  // A reset: the engine starts again on the same device without leaking.
  G_Init_GraphicsEngine();
  EXPECT_EQ(f_device->Buffer_Count(), 2u);

  Hook_Order.clear();
  G_Engine_Hooks.Create_Device_Fonts = [] { Hook_Order.push_back("create"); };
  G_Engine_Hooks.Restore_Device_Fonts = [] { Hook_Order.push_back("restore"); };
  G_Engine_Hooks.Invalidate_Device_Fonts = [] { Hook_Order.push_back("invalidate"); };
  G_Engine_Hooks.Delete_Device_Fonts = []() -> HRESULT {
    Hook_Order.push_back("delete");
    return S_FALSE;
  };
  G_Engine_Hooks.Free_Fonts = [] { Hook_Order.push_back("free"); };
  G_Init_GraphicsEngine();
  G_RestoreDeviceObjects();
  G_InvalidateDeviceObjects();
  EXPECT_EQ(G_DeleteDeviceObjects(), S_FALSE);
  EXPECT_EQ(G_Device(), nullptr);
  EXPECT_EQ(f_device->Buffer_Count(), 0u);
  EXPECT_NE(g_tg_texture_list, nullptr);  // the list stays
  EXPECT_TRUE(G_Shutdown_GraphicsEngine());
  EXPECT_EQ(g_tg_texture_list, nullptr);
  EXPECT_EQ(Hook_Order, (std::vector<std::string>{"create", "restore", "invalidate", "delete", "free"}));
}

TEST(G_Display_Modes, AdaptersAndModesOfTheHeadlessSystem) {
  TRender_System_Headless system;
  std::vector<std::string> names;
  std::vector<std::uint32_t> ordinals;
  std::vector<std::int32_t> widths, heights;
  EXPECT_EQ(G_Enumerate_Display_Modes(&system, nullptr, 1024, 768), S_OK);
  EXPECT_TRUE(G_Get_Adapter_List(names, ordinals));
  EXPECT_EQ(names, (std::vector<std::string>{"Globarch Headless Adapter"}));
  EXPECT_EQ(ordinals, (std::vector<std::uint32_t>{0}));
  EXPECT_TRUE(G_Get_Display_Mode_List(0, names, widths, heights));
  // 640 x 480 and 800 x 600 are too small; two refresh rates give one entry.
  EXPECT_EQ(names, (std::vector<std::string>{"1024 x 768", "1280 x 1024", "1600 x 1200", "1920 x 1080"}));
  EXPECT_EQ(widths, (std::vector<std::int32_t>{1024, 1280, 1600, 1920}));
  EXPECT_EQ(heights, (std::vector<std::int32_t>{768, 1024, 1200, 1080}));
  EXPECT_TRUE(G_Get_Display_Mode_List(1, names, widths, heights));
  EXPECT_TRUE(names.empty());
  G_Shutdown_GraphicsEngine();
  EXPECT_FALSE(G_Get_Adapter_List(names, ordinals));
}

TEST(G_Display_Modes, SortingNamesAcceptanceAndEmptyLists) {
  TRender_System_Headless::TAdapter first{std::string(120, 'x') + "\xC3\xA9",
                                          {{1280, 1024, 75, D3DFMT_X8R8G8B8},
                                           {1280, 960, 60, D3DFMT_X8R8G8B8},
                                           {1280, 1024, 60, D3DFMT_X8R8G8B8},
                                           {1024, 768, 85, D3DFMT_X8R8G8B8},
                                           {800, 600, 60, D3DFMT_X8R8G8B8}}};
  TRender_System_Headless::TAdapter second{"Second \xC3\xA9" + std::string(98, 'y'), {{1600, 1200, 60, D3DFMT_X8R8G8B8}}};
  TRender_System_Headless system({first, second});
  EXPECT_EQ(G_Enumerate_Display_Modes(&system, nullptr, 1024, 768), S_OK);
  std::vector<std::string> names;
  std::vector<std::uint32_t> ordinals;
  std::vector<std::int32_t> widths, heights;
  EXPECT_TRUE(G_Get_Adapter_List(names, ordinals));
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], std::string(100, 'x'));  // at most 100 characters
  EXPECT_EQ(names[1], "Second \xC3\xA9" + std::string(92, 'y'));
  EXPECT_EQ(ordinals, (std::vector<std::uint32_t>{0, 1}));
  G_Get_Display_Mode_List(0, names, widths, heights);
  EXPECT_EQ(names, (std::vector<std::string>{"1024 x 768", "1280 x 960", "1280 x 1024"}));
  G_Get_Display_Mode_List(1, names, widths, heights);
  EXPECT_EQ(names, (std::vector<std::string>{"1600 x 1200"}));

  // The acceptance test can refuse an adapter's modes (the adapter stays).
  EXPECT_EQ(G_Enumerate_Display_Modes(
                &system, [](TRender_System*, std::uint32_t adapter, std::uint32_t, std::uint32_t, bool) {
                  return adapter != 0;
                },
                1024, 768),
            S_OK);
  G_Get_Display_Mode_List(0, names, widths, heights);
  EXPECT_TRUE(names.empty());
  G_Get_Display_Mode_List(1, names, widths, heights);
  EXPECT_EQ(names.size(), 1u);

  // No adapters: an empty list and false.
  TRender_System_Headless none(std::vector<TRender_System_Headless::TAdapter>{});
  EXPECT_EQ(G_Enumerate_Display_Modes(&none, nullptr, 1024, 768), S_OK);
  EXPECT_FALSE(G_Get_Adapter_List(names, ordinals));
  EXPECT_TRUE(names.empty());

  // No system at all, and none from the framework.
  Render_System_Set_Current(nullptr);
  EXPECT_EQ(G_Enumerate_Display_Modes(nullptr, nullptr, 1024, 768), DXUTERR_NODIRECT3D);
  Render_System_Set_Current(&system);
  EXPECT_EQ(G_Enumerate_Display_Modes(nullptr, nullptr, 1024, 768), S_OK);
  Render_System_Set_Current(nullptr);
  EXPECT_TRUE(G_Get_Adapter_List(names, ordinals));
  G_Shutdown_GraphicsEngine();
}
