// Textures and the texture list on the headless device.
#include <gtest/gtest.h>

#include "Engine_Fixture.h"

namespace {

constexpr TDevice_Surface BACK = TRender_Device_Base::BACK_BUFFER_SURFACE;
constexpr std::int32_t GENERATION = 0x10000;  // one more filling of a slot

}  // namespace

class G_Textures : public TEngine_Fixture {
protected:
  TGTexture_List& list() { return *g_tg_texture_list; }
  std::vector<TColor> Texture_Pixels(std::int32_t handle) {
    const TGTexture* t = list().m_Get_Texture(handle);
    EXPECT_NE(t, nullptr);
    TDevice_Surface surface = 0;
    EXPECT_EQ(G_GetSurfaceLevel(0, t, surface), S_OK);
    std::uint32_t w = 0, h = 0;
    std::vector<TColor> pixels;
    EXPECT_EQ(f_device->Read_Surface(surface, w, h, pixels), S_OK);
    return pixels;
  }
};

TEST_F(G_Textures, SameFileGivesTheSameHandleAndCountsItsHolders) {
  std::filesystem::create_directories(f_dir.path() / "images" / "ui");
  const std::string a = Write_Bitmap("images\\ui\\a.bmp", 100, 60, 0xFF112233u);
  const std::int32_t h = list().m_Load_Texture(a, 2, 0);
  EXPECT_EQ(h, 1);
  EXPECT_EQ(list().m_Load_Texture(a, 3, 1), h);  // group and key of the first load
  EXPECT_EQ(list().m_Count(), 1);
  EXPECT_EQ(list().m_Holders(h), 2);
  EXPECT_EQ(list().m_Get_Texture(h)->m_Group(), 2);
  EXPECT_EQ(f_device->Texture_Count(), 1u);

  // The comparison of names is exact: another spelling of the same file is a
  // second texture.
  const std::string upper = f_dir.design() + "images\\UI\\a.bmp";
  const std::int32_t h2 = list().m_Load_Texture(upper, 2, 0);
  EXPECT_EQ(h2, 2);
  EXPECT_EQ(list().m_Get_Image_Width(h2), 100);

  // Each unload drops one holder; the last one frees the texture.
  list().m_Unload_Texture(h);
  ASSERT_NE(list().m_Get_Texture(h), nullptr);
  EXPECT_EQ(list().m_Holders(h), 1);
  list().m_Unload_Texture(h);
  EXPECT_EQ(list().m_Get_Texture(h), nullptr);
  EXPECT_EQ(list().m_Holders(h), 0);
  EXPECT_EQ(f_device->Texture_Count(), 1u);
  list().m_Unload_Texture(h);  // harmless: the handle is gone
  EXPECT_NE(list().m_Get_Texture(h2), nullptr);
}

TEST_F(G_Textures, SizesOfAPictureRoundedUpToAPowerOfTwo) {
  const std::string file = Write_Bitmap("p.bmp", 100, 60, 0xFF808080u);
  const std::int32_t h = list().m_Load_Texture(file, 1, 0);
  const TGTexture* t = list().m_Get_Texture(h);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->m_Image_Width(), 100);
  EXPECT_EQ(t->m_Image_Height(), 60);
  EXPECT_EQ(t->m_Texture_Width(), 128);
  EXPECT_EQ(t->m_Texture_Height(), 64);
  EXPECT_EQ(t->m_Kind(), TTexture_Kind::File);
  EXPECT_EQ(t->m_File_Name(), file);
  EXPECT_EQ(list().m_Get_Image_Width(h), 100);
  EXPECT_EQ(list().m_Get_Image_Height(h), 60);

  // Drawn whole, only the picture's part of the texture is shown.
  f_device->Clear_Draw_Records();
  EXPECT_EQ(list().m_Draw_All({0, 0, 32, 16}, h, false), 0);
  ASSERT_EQ(f_device->Draw_Records().size(), 1u);
  const TDraw_Record& rec = f_device->Draw_Records()[0];
  EXPECT_EQ(rec.texture, t->m_Texture());
  EXPECT_EQ(rec.m_Screen_Vertex(2).tu, 0.78125f);
  EXPECT_EQ(rec.m_Screen_Vertex(2).tv, 0.9375f);
  EXPECT_EQ(rec.m_Screen_Vertex(0).tu, 0.0f);
  EXPECT_EQ(rec.m_Screen_Vertex(1).diffuse, 0xFFFFFFFFu);
  EXPECT_EQ(rec.state.render[D3DRS_ALPHABLENDENABLE], 0u);
}

TEST_F(G_Textures, SlotsAreReusedHighestFirstAndStaleHandlesNameNothing) {
  const std::string a = Write_Bitmap("a.bmp", 2, 2, 0xFF0000FFu);
  const std::string b = Write_Bitmap("b.bmp", 2, 2, 0xFF00FF00u);
  const std::string c = Write_Bitmap("c.bmp", 2, 2, 0xFFFF0000u);
  const std::string d = Write_Bitmap("d.bmp", 2, 2, 0xFFFFFFFFu);
  EXPECT_EQ(list().m_Load_Texture(a, 1, 0), 1);
  EXPECT_EQ(list().m_Load_Texture(b, 1, 0), 2);
  EXPECT_EQ(list().m_Load_Texture(c, 1, 0), 3);
  list().m_Unload_Texture(1);
  list().m_Unload_Texture(3);
  // With slots 1 and 3 empty the next texture takes slot 3, with a handle
  // of its own.
  const std::int32_t h = list().m_Load_Texture(d, 1, 0);
  EXPECT_EQ(TGTexture_List::m_Handle_Slot(h), 3);
  EXPECT_EQ(h, 3 + GENERATION);
  EXPECT_EQ(list().m_Get_Texture(3), nullptr);  // the stale handle shows nothing
  EXPECT_EQ(list().m_Get_Image_Width(3), 0);
  f_device->Clear_Draw_Records();
  list().m_Draw_All({0, 0, 2, 2}, 3, false);
  EXPECT_TRUE(f_device->Draw_Records().empty());
  list().m_Unload_Texture(3);  // does not free d
  ASSERT_NE(list().m_Get_Texture(h), nullptr);
  EXPECT_EQ(list().m_Get_Texture(h)->m_File_Name(), d);
  // Then slot 1, then a new slot 4.
  EXPECT_EQ(list().m_Load_Texture(a, 1, 0), 1 + GENERATION);
  EXPECT_EQ(list().m_Load_Texture(c, 1, 0), 4);
  EXPECT_EQ(list().m_Count(), 4);

  // Bad handles are harmless everywhere.
  for (std::int32_t bad : {0, -1, 5, 99, 1 << 30, 2 + GENERATION}) {
    EXPECT_EQ(list().m_Get_Texture(bad), nullptr) << bad;
    EXPECT_EQ(list().m_Get_Image_Height(bad), 0);
    EXPECT_EQ(list().m_Draw_Part({0, 0, 1, 1}, bad, {0, 0, 1, 1}, false), 0);
    list().m_Unload_Texture(bad);
  }
  EXPECT_EQ(list().m_Count(), 4);
  EXPECT_NE(list().m_Get_Texture(2), nullptr);
}

TEST_F(G_Textures, GroupUnloadFreesItsGroupWhateverTheHolders) {
  const std::string a = Write_Bitmap("a.bmp", 2, 2, 0xFF0000FFu);
  const std::string b = Write_Bitmap("b.bmp", 2, 2, 0xFF00FF00u);
  const std::string c = Write_Bitmap("c.bmp", 2, 2, 0xFFFF0000u);
  const std::int32_t ha = list().m_Load_Texture(a, 3, 0);
  const std::int32_t hb = list().m_Load_Texture(b, 2, 0);
  const std::int32_t hc = list().m_Load_Texture(c, 3, 0);
  const std::int32_t rt = list().m_Create_Flexible_Texture(16, 16, 3, 0);
  list().m_Load_Texture(a, 3, 0);  // a second holder
  list().m_Unload_Group(3);
  EXPECT_EQ(list().m_Get_Texture(ha), nullptr);
  EXPECT_EQ(list().m_Get_Texture(hc), nullptr);
  EXPECT_EQ(list().m_Get_Texture(rt), nullptr);
  ASSERT_NE(list().m_Get_Texture(hb), nullptr);
  EXPECT_EQ(hb, 2);
  EXPECT_EQ(f_device->Texture_Count(), 1u);
  list().m_Unload_Group(7);  // no such group
  EXPECT_NE(list().m_Get_Texture(hb), nullptr);
}

TEST_F(G_Textures, MissingAndCorruptFiles) {
  // A missing file: handle 0, no slot, no log line.
  EXPECT_EQ(list().m_Load_Texture(f_dir.design() + "missing.bmp", 1, 0), 0);
  EXPECT_EQ(list().m_Count(), 0);
  EXPECT_TRUE(Log_Lines().empty());

  // A corrupt file (a bitmap cut short) keeps a slot whose object has no
  // pixels: it is logged, its sizes are 0 and it draws nothing.
  const std::string good = Write_Bitmap("cut.bmp", 8, 8, 0xFF445566u);
  std::string bytes = Read_File(f_dir.path() / "cut.bmp");
  Write_File(f_dir.path() / "cut.bmp", bytes.substr(0, 60));
  const std::int32_t h = list().m_Load_Texture(good, 1, 0);
  EXPECT_EQ(h, 1);
  const TGTexture* t = list().m_Get_Texture(h);
  ASSERT_NE(t, nullptr);
  EXPECT_FALSE(t->m_Has_Texture());
  EXPECT_EQ(t->m_Image_Width(), 0);
  EXPECT_EQ(t->m_Texture_Width(), 0);
  EXPECT_EQ(Log_Lines(),
            (std::vector<std::string>{
                "TGTexture.InitDeviceObjects - D3DXCreateTextureFromFileEx(" + good + ")",
                "TGTexture.InitDeviceObjects - D3DXCreateTextureFromFileEx 1 (" + good +
                    "): -2005529767 - D3DXERR_INVALIDDATA - The data is invalid."}));
  f_device->Clear_Draw_Records();
  list().m_Draw_All({0, 0, 8, 8}, h, false);
  list().m_Draw_All_Blend({0, 0, 8, 8}, h, false, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0xFFFFFFFFu);
  list().m_Draw_Part({0, 0, 8, 8}, h, {0, 0, 4, 4}, false);
  list().m_Draw_Part_Masked({0, 0, 8, 8}, h, {0, 0, 4, 4}, false);
  G_Draw_2D_Surface_All(nullptr, {0, 0, 8, 8}, false);
  EXPECT_TRUE(f_device->Draw_Records().empty());
  EXPECT_EQ(f_device->Pixel(BACK, 1, 1), 0xFF000000u);

  // Not a picture at all, and an empty file.
  Write_File(f_dir.path() / "text.bmp", "this is not a picture");
  Write_File(f_dir.path() / "empty.png", "");
  EXPECT_EQ(list().m_Load_Texture(f_dir.design() + "text.bmp", 1, 0), 2);
  EXPECT_EQ(list().m_Load_Texture(f_dir.design() + "empty.png", 1, 0), 3);
  EXPECT_FALSE(list().m_Get_Texture(3)->m_Has_Texture());

  // Once the file is mended, loading it again takes a new slot.
  Write_File(f_dir.path() / "cut.bmp", bytes);
  const std::int32_t again = list().m_Load_Texture(good, 1, 0);
  EXPECT_EQ(again, 4);
  EXPECT_TRUE(list().m_Get_Texture(again)->m_Has_Texture());
  EXPECT_EQ(list().m_Load_Texture(good, 1, 0), again);
}

TEST_F(G_Textures, OutOfVideoMemoryIsRetriedOnce) {
  const std::string file = Write_Bitmap("r.bmp", 4, 4, 0xFF102030u);
  f_device->Fail_Next_Call(D3DERR_OUTOFVIDEOMEMORY);
  const std::int32_t h = list().m_Load_Texture(file, 1, 0);
  ASSERT_TRUE(list().m_Get_Texture(h)->m_Has_Texture());
  TSurface_Desc desc;
  ASSERT_EQ(f_device->Get_Level_Desc(list().m_Get_Texture(h)->m_Texture(), 0, desc), S_OK);
  EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
  EXPECT_EQ(desc.Usage, D3DUSAGE_DYNAMIC);
  const std::string oom = ": -2005532292 - D3DERR_OUTOFVIDEOMEMORY - Not enough display memory to complete the call.";
  EXPECT_EQ(Log_Lines(), (std::vector<std::string>{
                             "TGTexture.InitDeviceObjects - D3DXCreateTextureFromFileEx(" + file + ")",
                             "TGTexture.InitDeviceObjects - D3DXCreateTextureFromFileEx 1 (" + file + ")" + oom,
                             "TGTexture.InitDeviceObjects - D3DXCreateTextureFromFileEx 2 Success"}));

  // Twice out of memory: no texture, both failures logged.
  const std::string other = Write_Bitmap("s.bmp", 4, 4, 0xFF102030u);
  f_device->Fail_Next_Call(D3DERR_OUTOFVIDEOMEMORY, 2);
  EXPECT_FALSE(list().m_Get_Texture(list().m_Load_Texture(other, 1, 0))->m_Has_Texture());
  EXPECT_EQ(Log_Lines().size(), 3u);

  // Another failure is not retried.
  f_device->Fail_Next_Call(D3DERR_DRIVERINTERNALERROR);
  EXPECT_FALSE(list().m_Get_Texture(list().m_Load_Texture(other, 1, 0))->m_Has_Texture());
  EXPECT_EQ(Log_Lines().size(), 2u);

  // Render targets: the second try asks for system memory, where the device
  // makes no render target; the slot keeps an object without texture.
  f_device->Fail_Next_Call(D3DERR_OUTOFVIDEOMEMORY);
  const std::int32_t rt = list().m_Create_Flexible_Texture(32, 16, 2, 0);
  ASSERT_NE(rt, 0);
  EXPECT_FALSE(list().m_Get_Texture(rt)->m_Has_Texture());
  EXPECT_EQ(Log_Lines(), (std::vector<std::string>{
                             "TGTexture.InitDeviceObjects - CreateTexture(RenderTarget) 32x16",
                             "TGTexture.InitDeviceObjects - CreateTexture 1" + oom,
                             "TGTexture.InitDeviceObjects - CreateTexture 1b: -2005530516 - D3DERR_INVALIDCALL - "
                             "Invalid call: a parameter or the device state is not valid."}));
}

TEST_F(G_Textures, RenderTargetsAreDrawnIntoAndThenDrawn) {
  EXPECT_EQ(list().m_Create_Flexible_Texture(0, 16, 5, 0), 0);
  EXPECT_EQ(list().m_Create_Flexible_Texture(16, -1, 5, 0), 0);
  EXPECT_EQ(list().m_Count(), 0);

  const std::int32_t rt = list().m_Create_Flexible_Texture(16, 8, 5, 1);
  ASSERT_EQ(rt, 1);
  const TGTexture* t = list().m_Get_Texture(rt);
  ASSERT_TRUE(t->m_Has_Texture());
  EXPECT_EQ(t->m_Kind(), TTexture_Kind::Render_Target);
  EXPECT_FALSE(t->m_Color_Key_On());
  EXPECT_EQ(t->m_Width(), 16u);
  EXPECT_EQ(t->m_Texture_Width(), 16);
  EXPECT_EQ(t->m_Texture_Height(), 8);
  EXPECT_EQ(t->m_Image_Width(), 0);
  EXPECT_EQ(Log_Lines(), (std::vector<std::string>{"TGTexture.InitDeviceObjects - CreateTexture(RenderTarget) 16x8",
                                                   "TGTexture.InitDeviceObjects - CreateTexture 1 Success"}));
  // Render into it: the left half red, the right half green.
  TDevice_Surface saved = 0, surface = 0;
  EXPECT_EQ(G_GetRenderTarget(0, saved), S_OK);
  EXPECT_EQ(G_GetSurfaceLevel(0, t, surface), S_OK);
  EXPECT_EQ(G_SetRenderTarget(0, surface), S_OK);
  G_Draw_2D_Color_Part(0xFFFF0000u, {0, 0, 8, 8}, false, false);
  G_Draw_2D_Color_Part(0xFF00FF00u, {8, 0, 16, 8}, false, false);
  EXPECT_EQ(G_SetRenderTarget(0, saved), S_OK);
  G_Release_Surface(surface);
  EXPECT_EQ(surface, 0u);
  // Then draw a part of it on the back buffer, one texel per pixel.
  list().m_Draw_Part({20, 10, 28, 14}, rt, {4, 2, 12, 6}, false);
  EXPECT_EQ(f_device->Pixel(BACK, 20, 10), 0xFFFF0000u);
  EXPECT_EQ(f_device->Pixel(BACK, 23, 13), 0xFFFF0000u);
  EXPECT_EQ(f_device->Pixel(BACK, 24, 10), 0xFF00FF00u);
  EXPECT_EQ(f_device->Pixel(BACK, 27, 13), 0xFF00FF00u);
  EXPECT_EQ(f_device->Pixel(BACK, 28, 10), 0xFF000000u);
  const TDraw_Record& rec = f_device->Draw_Records().back();
  EXPECT_EQ(rec.m_Screen_Vertex(0).tu, 0.25f);
  EXPECT_EQ(rec.m_Screen_Vertex(0).tv, 0.25f);
  EXPECT_EQ(rec.m_Screen_Vertex(2).tu, 0.75f);
  EXPECT_EQ(rec.m_Screen_Vertex(2).tv, 0.75f);

  // Without a device no render target is made.
  G_DeleteDeviceObjects();
  Log_Lines();
  const std::int32_t none = list().m_Create_Flexible_Texture(16, 8, 5, 0);
  EXPECT_NE(none, 0);
  EXPECT_FALSE(list().m_Get_Texture(none)->m_Has_Texture());
}

TEST_F(G_Textures, ColourKeysAndPixelsDrawn) {
  // A 2 x 2 picture: black, white / blue, red.
  TImage image;
  image.Set_Size(2, 2);
  image.pixels = {0xFF000000u, 0xFFFFFFFFu, 0xFF0000FFu, 0xFFFF0000u};
  const std::string file = Write_Bitmap("k.bmp", image);
  struct {
    std::uint8_t key_type;
    std::vector<TColor> first_row;
  } rows[] = {
      {TEXTURE_COLOR_KEY_NONE, {0xFF000000u, 0xFFFFFFFFu}},
      {TEXTURE_COLOR_KEY_BLACK, {0x00000000u, 0xFFFFFFFFu}},
      {TEXTURE_COLOR_KEY_WHITE, {0xFF000000u, 0x00000000u}},
      {9, {0xFF000000u, 0xFFFFFFFFu}},
  };
  for (const auto& row : rows) {
    const std::int32_t h = list().m_Load_Texture(file, 1, row.key_type);
    const std::vector<TColor> pixels = Texture_Pixels(h);
    ASSERT_EQ(pixels.size(), 4u);
    EXPECT_EQ(pixels[0], row.first_row[0]) << int(row.key_type);
    EXPECT_EQ(pixels[1], row.first_row[1]) << int(row.key_type);
    EXPECT_EQ(pixels[2], 0xFF0000FFu);
    list().m_Unload_Texture(h);
  }

  // Drawn whole, scaled up twice with point sampling.
  const std::int32_t h = list().m_Load_Texture(file, 1, TEXTURE_COLOR_KEY_BLACK);
  G_Main_Clear(0xFF808080u);
  list().m_Draw_All({4, 4, 8, 8}, h, false);
  EXPECT_EQ(f_device->Pixel(BACK, 4, 4), 0xFF000000u);  // keyed black without blending: black
  EXPECT_EQ(f_device->Pixel(BACK, 6, 5), 0xFFFFFFFFu);
  EXPECT_EQ(f_device->Pixel(BACK, 5, 6), 0xFF0000FFu);
  EXPECT_EQ(f_device->Pixel(BACK, 7, 7), 0xFFFF0000u);
  EXPECT_EQ(f_device->Pixel(BACK, 8, 8), 0xFF808080u);
  // Masked: the keyed texel lets the background through.
  list().m_Draw_Part_Masked({10, 4, 14, 8}, h, {0, 0, 2, 2}, false);
  EXPECT_EQ(f_device->Pixel(BACK, 10, 4), 0xFF808080u);
  EXPECT_EQ(f_device->Pixel(BACK, 12, 4), 0xFFFFFFFFu);
  const TDraw_Record& masked = f_device->Draw_Records().back();
  EXPECT_EQ(masked.state.render[D3DRS_SRCBLEND], D3DBLEND_ONE);
  EXPECT_EQ(masked.state.render[D3DRS_DESTBLEND], D3DBLEND_INVSRCALPHA);
  // Blended and tinted: half-transparent white over grey.
  f_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  list().m_Draw_All_Blend({20, 4, 24, 8}, h, false, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0x80FFFFFFu);
  const TColor c = f_device->Pixel(BACK, 22, 4);
  EXPECT_NEAR(G_Color_Red(c), 0xC0, 1);
  const TDraw_Record& blend = f_device->Draw_Records().back();
  EXPECT_EQ(blend.m_Screen_Vertex(0).diffuse, 0x80FFFFFFu);
  EXPECT_EQ(blend.state.render[D3DRS_SRCBLEND], D3DBLEND_SRCALPHA);
  EXPECT_EQ(blend.state.render[D3DRS_DESTBLEND], D3DBLEND_INVSRCALPHA);
}

TEST_F(G_Textures, DeletingDeviceObjectsEmptiesTheListForGood) {
  const std::string a = Write_Bitmap("a.bmp", 2, 2, 0xFF0000FFu);
  const std::int32_t h = list().m_Load_Texture(a, 2, 0);
  const std::int32_t rt = list().m_Create_Flexible_Texture(8, 8, 2, 0);
  EXPECT_EQ(f_device->Texture_Count(), 2u);
  Log_Lines();
  G_DeleteDeviceObjects();
  EXPECT_EQ(f_device->Texture_Count(), 0u);
  EXPECT_EQ(list().m_Count(), 0);
  EXPECT_EQ(list().m_Get_Texture(h), nullptr);
  EXPECT_EQ(list().m_Get_Texture(rt), nullptr);
  const std::vector<std::string> lines = Log_Lines();
  ASSERT_EQ(lines.size(), 2u);
  const std::string head = "TGTexture.DeleteDeviceObjects - DeleteTexture(";
  EXPECT_EQ(lines[0].substr(0, head.size()), head);
  EXPECT_EQ(lines[0].substr(lines[0].size() - a.size() - 3), " - " + a);
  EXPECT_EQ(lines[1].substr(lines[1].size() - 3), " - ");
  // A new device: the owners load again and get new handles; the old ones
  // stay dead.
  G_Init_GraphicsEngine();
  const std::int32_t again = list().m_Load_Texture(a, 2, 0);
  EXPECT_EQ(TGTexture_List::m_Handle_Slot(again), 1);
  EXPECT_NE(again, h);
  EXPECT_EQ(list().m_Get_Texture(h), nullptr);
  f_device->Clear_Draw_Records();
  list().m_Draw_All({0, 0, 2, 2}, h, false);
  EXPECT_TRUE(f_device->Draw_Records().empty());
  list().m_Draw_All({0, 0, 2, 2}, again, false);
  EXPECT_EQ(f_device->Draw_Records().size(), 1u);
}

TEST_F(G_Textures, ASlotWhoseGenerationsAreUsedUpIsRetired) {
  Debug_Sections[DEBUG_ENGINE_STARTUP] = false;
  std::int32_t h = 0;
  for (int i = 0; i < 0x8000; ++i) {
    h = list().m_Create_Flexible_Texture(1, 1, 1, 0);
    ASSERT_EQ(TGTexture_List::m_Handle_Slot(h), 1);
    list().m_Unload_Texture(h);
  }
  EXPECT_EQ(h, 0x7FFF0001);  // the last handle slot 1 can give
  // Slot 1 is never filled again, so no handle it gave can come back.
  const std::int32_t next = list().m_Create_Flexible_Texture(1, 1, 1, 0);
  EXPECT_EQ(next, 2);
  EXPECT_EQ(list().m_Count(), 2);
  // Also not after the list was cleared.
  list().m_Clear();
  EXPECT_EQ(list().m_Create_Flexible_Texture(1, 1, 1, 0), 2 + GENERATION);
  EXPECT_EQ(list().m_Count(), 2);
  EXPECT_EQ(list().m_Get_Texture(1), nullptr);
}
