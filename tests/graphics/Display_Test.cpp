// The shared interface atlases, button frames, flags and markers on the
// headless device.
#include <gtest/gtest.h>

#include <cmath>

#include "Display.h"
#include "Engine_Fixture.h"
#include "GameSettings.h"
#include "Empire.h"
#include "Gui_Links.h"
#include "MapClass.h"
#include "MapClass_Draw.h"
#include "MapRegion.h"
#include "Path.h"

namespace {

constexpr TDevice_Surface BACK = TRender_Device_Base::BACK_BUFFER_SURFACE;

std::int32_t* const ATLAS_HANDLES[] = {
    &Display_Buttons_Texture, &Display_Buttons_2_Texture, &Display_Buttons_3_Texture, &Display_Buttons_4_Texture,
    &Display_Cursors_Texture, &Display_Flags_Texture,     &Display_Misc_Texture,      &Display_Map_Values_Texture,
    &Display_Move_Arrow_Texture, &Display_Combat_Flag_Texture};

}  // namespace

class G_Display : public TEngine_Fixture {
protected:
  void SetUp() override {
    TEngine_Fixture::SetUp();
    f_saved_program = Program_Folder;
    f_saved_paths = Path_Settings;
    f_saved_flag_width = Game_Settings.f_flag_width;
    f_saved_flag_height = Game_Settings.f_flag_height;
    Path_Settings = &f_paths;
    Program_Folder = f_dir.design();
    std::filesystem::create_directories(f_dir.path() / "images" / "ui");
    std::filesystem::create_directories(f_dir.path() / "images" / "flags");
    std::filesystem::create_directories(f_dir.path() / "currentmap");
  }
  void TearDown() override {
    Clear_Global_Display();
    Game_Settings.f_flag_width = f_saved_flag_width;
    Game_Settings.f_flag_height = f_saved_flag_height;
    Path_Settings = f_saved_paths;
    Program_Folder = f_saved_program;
    TEngine_Fixture::TearDown();
  }

  // An atlas whose every cell of the given size has its own colour:
  // red = 10 x column + 5, green = 10 x row + 5, blue 200.
  void Write_Cells(const std::string& name, std::int32_t cell_w, std::int32_t cell_h, std::int32_t columns,
                   std::int32_t rows) {
    TImage image;
    image.Set_Size(cell_w * columns, cell_h * rows);
    for (std::int32_t y = 0; y < image.height; ++y)
      for (std::int32_t x = 0; x < image.width; ++x)
        image.Set_Pixel(x, y,
                        G_Make_Color(std::uint32_t(10 * (x / cell_w) + 5), std::uint32_t(10 * (y / cell_h) + 5), 200));
    Write_Bitmap(name, image);
  }

  // The source rectangle (in texels) of the last 2D draw.
  TRect Last_Source(std::int32_t handle) {
    const TDraw_Record& rec = f_device->Draw_Records().back();
    const TGTexture* t = g_tg_texture_list->m_Get_Texture(handle);
    const float tw = float(t->m_Texture_Width()), th = float(t->m_Texture_Height());
    return TRect{std::int32_t(std::lround(rec.m_Screen_Vertex(0).tu * tw)),
                 std::int32_t(std::lround(rec.m_Screen_Vertex(0).tv * th)),
                 std::int32_t(std::lround(rec.m_Screen_Vertex(2).tu * tw)),
                 std::int32_t(std::lround(rec.m_Screen_Vertex(2).tv * th))};
  }

  TPath_Settings f_paths;
  TPath_Settings* f_saved_paths = nullptr;
  std::string f_saved_program;
  std::uint16_t f_saved_flag_width = 0, f_saved_flag_height = 0;
};

TEST_F(G_Display, ShippedAtlasesLoadIntoTheInterfaceGroupAndReloadKeepsTheirHandles) {
  Program_Folder = (Source_Dir() / "").string();
  ASSERT_TRUE(Init_Global_Display());
  std::vector<std::int32_t> handles;
  for (std::int32_t* h : ATLAS_HANDLES) {
    ASSERT_GT(*h, 0);
    const TGTexture* t = g_tg_texture_list->m_Get_Texture(*h);
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->m_Has_Texture());
    EXPECT_EQ(t->m_Group(), 2);
    handles.push_back(*h);
  }
  EXPECT_EQ(g_tg_texture_list->m_Count(), 10);
  // Keyed at start-up: all but the flags and the value symbols.
  EXPECT_TRUE(g_tg_texture_list->m_Get_Texture(Display_Buttons_Texture)->m_Color_Key_On());
  EXPECT_TRUE(g_tg_texture_list->m_Get_Texture(Display_Cursors_Texture)->m_Color_Key_On());
  EXPECT_FALSE(g_tg_texture_list->m_Get_Texture(Display_Flags_Texture)->m_Color_Key_On());
  EXPECT_FALSE(g_tg_texture_list->m_Get_Texture(Display_Map_Values_Texture)->m_Color_Key_On());
  // The flags atlas holds eight flags in each of the eight player colours and
  // the neutral empire's ninth row, in the shipped flag size.
  EXPECT_EQ(g_tg_texture_list->m_Get_Image_Width(Display_Flags_Texture), 8 * 32);
  EXPECT_EQ(g_tg_texture_list->m_Get_Image_Height(Display_Flags_Texture), 9 * 20);

  ASSERT_TRUE(Reload_Global_Display());
  for (std::size_t i = 0; i < handles.size(); ++i) EXPECT_EQ(*ATLAS_HANDLES[i], handles[i]);
  EXPECT_EQ(g_tg_texture_list->m_Count(), 10);

  ASSERT_TRUE(Clear_Global_Display());
  for (std::int32_t* h : ATLAS_HANDLES) EXPECT_EQ(*h, 0);
  EXPECT_NE(g_tg_texture_list->m_Get_Texture(handles[0]), nullptr);  // nothing unloaded
}

TEST_F(G_Display, MissingAtlasesAreLoggedAndDrawNothing) {
  Log_Lines();
  ASSERT_TRUE(Init_Global_Display());
  for (std::int32_t* h : ATLAS_HANDLES) EXPECT_EQ(*h, 0);
  const std::vector<std::string> lines = Log_Lines();
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "Init_Global_Display - picture not loaded: " + f_dir.design() + "images\\ui\\Buttons.bmp");
  EXPECT_EQ(lines[5], "Init_Global_Display - picture not loaded: " + f_dir.design() + "images\\flags\\Flags.bmp");

  Game_Settings.f_flag_width = 32;
  Game_Settings.f_flag_height = 20;
  f_device->Clear_Draw_Records();
  for (std::int32_t style = 1; style <= 6; ++style) Display_Draw_Button_Frame(0, 0, 1, style, true, false, false);
  Display_Draw_Fixed_Icon(0, 0);
  Display_Draw_Grid_Icon(0, 0, 1, 1);
  Display_Draw_Move_Arrow(0, 0, 100, 100);
  Display_Draw_Combat_Flag(0, 0, 0);
  Display_Draw_Misc_Marker(0, 0, 0);
  EXPECT_TRUE(f_device->Draw_Records().empty());

  // Without a texture list at all nothing is drawn either.
  G_Shutdown_GraphicsEngine();
  EXPECT_TRUE(Reload_Global_Display());
  Display_Draw_Button_Frame(0, 0, 1, 1, false, false, false);
  Display_Draw_Combat_Flag(0, 0, 0);
  EXPECT_TRUE(f_device->Draw_Records().empty());
}

TEST_F(G_Display, ButtonFrameCellsByStyleAndState) {
  Write_Cells("images\\ui\\Buttons.bmp", 2, 22, 200, 4);
  Write_Cells("images\\ui\\Buttons_2.bmp", 168, 40, 3, 4);
  Write_Cells("images\\ui\\Buttons_3.bmp", 20, 40, 12, 4);
  Write_Cells("images\\ui\\Buttons_4.bmp", 40, 40, 6, 4);
  ASSERT_TRUE(Init_Global_Display());
  struct TCase {
    std::int32_t style, column;
    bool first, second, third;
    std::int32_t* atlas;
    TRect source;
  };
  const TCase cases[] = {
      {1, 0, false, false, false, &Display_Buttons_Texture, {0, 0, 22, 22}},
      {1, 3, true, false, false, &Display_Buttons_Texture, {66, 22, 88, 44}},
      {2, 7, false, true, false, &Display_Buttons_Texture, {264, 44, 354, 66}},  // the column is ignored
      {2, 0, false, false, false, &Display_Buttons_Texture, {264, 0, 354, 22}},
      {3, 2, false, false, true, &Display_Buttons_2_Texture, {336, 120, 504, 160}},
      {4, 1, true, true, false, &Display_Buttons_3_Texture, {40, 80, 80, 120}},
      {5, 0, false, false, false, &Display_Buttons_3_Texture, {40, 0, 60, 40}},
      {5, 2, true, false, true, &Display_Buttons_3_Texture, {80, 120, 100, 160}},  // first and third: row 3
      {6, 5, false, false, false, &Display_Buttons_4_Texture, {200, 0, 240, 40}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE("style " + std::to_string(c.style) + " column " + std::to_string(c.column));
    f_device->Clear_Draw_Records();
    Display_Draw_Button_Frame(3, 4, c.column, c.style, c.first, c.second, c.third);
    ASSERT_EQ(f_device->Draw_Records().size(), 1u);
    const TDraw_Record& rec = f_device->Draw_Records()[0];
    EXPECT_EQ(rec.texture, g_tg_texture_list->m_Get_Texture(*c.atlas)->m_Texture());
    const TRect s = Last_Source(*c.atlas);
    EXPECT_EQ(s.Left, c.source.Left);
    EXPECT_EQ(s.Top, c.source.Top);
    EXPECT_EQ(s.Right, c.source.Right);
    EXPECT_EQ(s.Bottom, c.source.Bottom);
    // Drawn in the cell's own size, masked and smoothed.
    EXPECT_EQ(rec.m_Screen_Vertex(0).x, 2.5f);
    EXPECT_EQ(rec.m_Screen_Vertex(0).y, 3.5f);
    EXPECT_EQ(rec.m_Screen_Vertex(2).x, 2.5f + float(c.source.Right - c.source.Left));
    EXPECT_EQ(rec.m_Screen_Vertex(2).y, 3.5f + float(c.source.Bottom - c.source.Top));
    EXPECT_EQ(rec.state.render[D3DRS_ALPHABLENDENABLE], 1u);
    EXPECT_EQ(rec.state.sampler[0][D3DSAMP_MAGFILTER], D3DTEXF_LINEAR);
  }
  f_device->Clear_Draw_Records();
  Display_Draw_Button_Frame(0, 0, 0, 0, false, false, false);
  Display_Draw_Button_Frame(0, 0, 0, 7, false, false, false);
  EXPECT_TRUE(f_device->Draw_Records().empty());
}

TEST_F(G_Display, FlagCellsDrawTheirPixelsThroughTheToolkitLink) {
  Write_Cells("images\\flags\\Flags.bmp", 16, 10, 4, 3);
  Game_Settings.f_flag_width = 16;
  Game_Settings.f_flag_height = 10;
  ASSERT_TRUE(Init_Global_Display());
  f_device->Clear(D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  Gui_Display_Link().m_Draw_Grid_Icon(5, 7, 2, 3);  // row 2, column 3
  ASSERT_EQ(f_device->Draw_Records().size(), 1u);
  EXPECT_EQ(f_device->Draw_Records()[0].state.render[D3DRS_ALPHABLENDENABLE], 0u);
  // Every pixel of the 16 x 10 destination shows cell (3, 2); nothing beside it.
  const TColor cell = G_Make_Color(25, 15, 200);
  for (std::uint32_t y = 7; y < 17; ++y)
    for (std::uint32_t x = 5; x < 21; ++x) ASSERT_EQ(f_device->Pixel(BACK, x, y), cell) << x << "," << y;
  EXPECT_EQ(f_device->Pixel(BACK, 21, 7), 0xFF000000u);
  EXPECT_EQ(f_device->Pixel(BACK, 5, 17), 0xFF000000u);
  EXPECT_EQ(f_device->Pixel(BACK, 4, 7), 0xFF000000u);

  // Rows and columns count from 1: nothing before the first cell.
  f_device->Clear_Draw_Records();
  Display_Draw_Grid_Icon(0, 0, 0, 1);
  Display_Draw_Grid_Icon(0, 0, 1, 0);
  EXPECT_TRUE(f_device->Draw_Records().empty());
}

TEST_F(G_Display, ButtonsThroughTheToolkitLinkAndTheGamePointer) {
  Write_Cells("images\\ui\\Buttons.bmp", 22, 22, 12, 4);
  Write_Cells("images\\ui\\Cursors.bmp", 40, 40, 5, 1);
  ASSERT_TRUE(Init_Global_Display());
  Gui_Display_Link().m_Draw_Button_Frame(1, 2, 4, 1, true, true, false);
  ASSERT_EQ(f_device->Draw_Records().size(), 1u);
  TRect s = Last_Source(Display_Buttons_Texture);
  EXPECT_EQ(s.Left, 88);
  EXPECT_EQ(s.Top, 44);
  // The pointer: cell (160, 0, 40, 40) of the Cursors atlas, drawn blended.
  f_device->Clear(D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  Display_Draw_Fixed_Icon(10, 5);
  ASSERT_EQ(f_device->Draw_Records().size(), 2u);
  s = Last_Source(Display_Cursors_Texture);
  EXPECT_EQ(s.Left, 160);
  EXPECT_EQ(s.Top, 0);
  EXPECT_EQ(s.Right, 200);
  EXPECT_EQ(s.Bottom, 40);
  EXPECT_EQ(f_device->Pixel(BACK, 30, 25), G_Make_Color(45, 5, 200));
}

TEST_F(G_Display, WorldMarkersAndTheMoveArrow) {
  Write_Bitmap("images\\ui\\CombatFlag.bmp", 64, 64, 0xFFC0C0C0u);
  Write_Bitmap("images\\ui\\Misc.bmp", 256, 256, 0xFFC0C0C0u);
  Write_Bitmap("images\\ui\\MoveArrow.bmp", 32, 64, 0xFF40FF40u);
  ASSERT_TRUE(Init_Global_Display());

  Display_Draw_Combat_Flag(10, 20, 5);
  Display_Draw_Misc_Marker(0, 0, 7);
  ASSERT_EQ(f_device->Draw_Records().size(), 2u);
  const TDraw_Record& flag = f_device->Draw_Records()[0];
  EXPECT_TRUE(flag.indexed);
  EXPECT_EQ(flag.primitive, D3DPT_TRIANGLELIST);
  EXPECT_EQ(flag.indices, (std::vector<std::uint16_t>{3, 1, 0, 3, 2, 1}));
  EXPECT_EQ(flag.state.render[D3DRS_SRCBLEND], D3DBLEND_ONE);
  EXPECT_EQ(flag.state.render[D3DRS_DESTBLEND], D3DBLEND_INVSRCALPHA);
  EXPECT_EQ(flag.state.render[D3DRS_LIGHTING], 0u);
  struct TCorner {
    float x, y, u, v;
  };
  const TCorner flag_corners[] = {{-40, -30, 0, 1}, {-40, 70, 0, 0}, {60, 70, 1, 0}, {60, -30, 1, 1}};
  for (std::uint32_t i = 0; i < 4; ++i) {
    const TDevice_LVertex v = flag.m_LVertex(i);
    EXPECT_EQ(v.x, flag_corners[i].x);
    EXPECT_EQ(v.y, flag_corners[i].y);
    EXPECT_EQ(v.z, 5.0f);
    EXPECT_EQ(v.tu, flag_corners[i].u);
    EXPECT_EQ(v.tv, flag_corners[i].v);
    EXPECT_EQ(v.diffuse, G_Make_Color_RGBA(255, 255, 255, 150));
  }
  const TDraw_Record& marker = f_device->Draw_Records()[1];
  EXPECT_EQ(marker.m_LVertex(0).x, -53.5f);
  EXPECT_EQ(marker.m_LVertex(0).y, -8.25f);
  EXPECT_EQ(marker.m_LVertex(0).tu, 1.0f / 256.0f);
  EXPECT_EQ(marker.m_LVertex(0).tv, 140.0f / 256.0f);
  EXPECT_EQ(marker.m_LVertex(2).tu, 213.0f / 256.0f);
  EXPECT_EQ(marker.m_LVertex(2).tv, 109.0f / 256.0f);

  // A move along +x: a band 200 wide, the image's top at the end point.
  f_device->Clear_Draw_Records();
  Display_Draw_Move_Arrow(0, 0, 300, 0);
  ASSERT_EQ(f_device->Draw_Records().size(), 1u);
  const TDraw_Record& arrow = f_device->Draw_Records()[0];
  EXPECT_EQ(arrow.state.render[D3DRS_SRCBLEND], D3DBLEND_SRCCOLOR);
  EXPECT_EQ(arrow.state.render[D3DRS_DESTBLEND], D3DBLEND_INVSRCCOLOR);
  EXPECT_EQ(arrow.state.render[D3DRS_LIGHTING], 1u);
  EXPECT_EQ(arrow.state.render[D3DRS_AMBIENT], G_Make_Color(0, 255, 0));
  const TCorner arrow_corners[] = {{0, 100, 0, 1}, {0, -100, 1, 1}, {300, -100, 1, 0}, {300, 100, 0, 0}};
  for (std::uint32_t i = 0; i < 4; ++i) {
    const TDevice_LVertex v = arrow.m_LVertex(i);
    EXPECT_EQ(v.x, arrow_corners[i].x);
    EXPECT_EQ(v.y, arrow_corners[i].y);
    EXPECT_EQ(v.tu, arrow_corners[i].u);
    EXPECT_EQ(v.tv, arrow_corners[i].v);
  }
  // A move of no length stays finite (a band of no width).
  f_device->Clear_Draw_Records();
  Display_Draw_Move_Arrow(5, 5, 5, 5);
  ASSERT_EQ(f_device->Draw_Records().size(), 1u);
  for (std::uint32_t i = 0; i < 4; ++i) EXPECT_EQ(f_device->Draw_Records()[0].m_LVertex(i).x, 5.0f);
}

TEST_F(G_Display, OverviewTexturesLoadAndReload) {
  Write_Bitmap("currentmap\\OverviewMap.bmp", 512, 256, 0xFF204060u);
  Display_Load_Overview_Map_Textures();
  ASSERT_GT(Display_Overview_Background_Texture, 0);
  ASSERT_GT(Display_Overview_Ownership_Texture, 0);
  const TGTexture* target = g_tg_texture_list->m_Get_Texture(Display_Overview_Ownership_Texture);
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(target->m_Kind(), TTexture_Kind::Render_Target);
  EXPECT_EQ(target->m_Texture_Width(), 512);
  EXPECT_EQ(target->m_Texture_Height(), 256);
  EXPECT_EQ(target->m_Group(), 2);
  const std::int32_t old_background = Display_Overview_Background_Texture;
  const std::int32_t old_target = Display_Overview_Ownership_Texture;

  // Loading again frees the old pair first.
  Display_Load_Overview_Map_Textures();
  EXPECT_EQ(g_tg_texture_list->m_Get_Texture(old_target), nullptr);
  EXPECT_EQ(g_tg_texture_list->m_Holders(Display_Overview_Background_Texture), 1);
  EXPECT_NE(Display_Overview_Ownership_Texture, old_target);
  (void)old_background;

  // After a device reset the background has one holder, and the next game's
  // overview is its own picture, not the previous map's.
  Reload_Overview_Map_Textures();
  ASSERT_GT(Display_Overview_Background_Texture, 0);
  EXPECT_EQ(g_tg_texture_list->m_Holders(Display_Overview_Background_Texture), 1);
  const std::int32_t reset_background = Display_Overview_Background_Texture;
  Write_Bitmap("currentmap\\OverviewMap.bmp", 512, 256, 0xFF60A020u);
  Display_Load_Overview_Map_Textures();
  EXPECT_EQ(g_tg_texture_list->m_Holders(Display_Overview_Background_Texture), 1);
  EXPECT_EQ(g_tg_texture_list->m_Get_Texture(reset_background), nullptr);
  f_device->Clear(D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  g_tg_texture_list->m_Draw_All(TRect{0, 0, 16, 16}, Display_Overview_Background_Texture, false);
  EXPECT_EQ(f_device->Pixel(BACK, 8, 8), 0xFF60A020u);

  // After a new device without the map's picture: no background, a new target.
  std::filesystem::remove(f_dir.path() / "currentmap" / "OverviewMap.bmp");
  const std::int32_t kept_target = Display_Overview_Ownership_Texture;
  Reload_Overview_Map_Textures();
  EXPECT_EQ(Display_Overview_Background_Texture, 0);
  EXPECT_GT(Display_Overview_Ownership_Texture, 0);
  EXPECT_EQ(g_tg_texture_list->m_Get_Texture(kept_target), nullptr);
}

// A world map of 1024 x 512 pixels with four land regions side by side, each
// with a white 64 x 64 picture, and three empires (the third neutral).
class G_Display_Overview : public G_Display {
protected:
  void SetUp() override {
    G_Display::SetUp();
    f_saved_map = G_Map;
    f_saved_empires = G_Empire_List;
    f_saved_fog = Game_Settings.f_fog_of_war;
    Game_Settings.f_fog_of_war = true;
    G_Map = &f_map;
    G_Empire_List = &f_empires;
    f_empires.m_Create_Empires(3);
    f_empires.m_Get_Empire(1)->m_Set_Color(G_Make_Color(200, 0, 0));
    f_empires.m_Get_Empire(2)->m_Set_Color(G_Make_Color(0, 0, 200));
    f_empires.m_Get_Empire(3)->m_Set_Color(G_Make_Color(0, 200, 0));
    f_empires.m_Get_Empire(3)->m_Set_Neutral(true);
    f_map.m_Set_Pixel_Size(1024, 512);
    f_map.m_Set_Region_Count(4);
    const std::string picture = Write_Bitmap("region.bmp", 64, 64, 0xFFFFFFFFu);
    std::vector<std::int32_t> textures;
    const std::uint8_t owners[4] = {1, 3, 0, 2};
    for (std::int32_t r = 1; r <= 4; ++r) {
      TMap_Region& region = f_map.m_New_Region(r);
      region.m_Set_Type(REGION_LAND);
      region.m_Set_Bounds((r - 1) * 200, 0, (r - 1) * 200 + 64, 64);
      region.m_Set_Owner(owners[r - 1]);
      textures.push_back(g_tg_texture_list->m_Load_Texture(picture, 3, 0));
    }
    f_map.m_Set_Region_Textures(textures);
    for (std::int32_t e = 1; e <= 3; ++e) f_empires.m_Get_Empire(e)->m_Resize_Known_Regions(4);
    for (std::int32_t r = 1; r <= 3; ++r) f_empires.m_Get_Empire(1)->m_Set_Region_Known(r, true);
    Write_Bitmap("currentmap\\OverviewMap.bmp", 512, 256, 0xFF646464u);
    Display_Load_Overview_Map_Textures();
    // The game's device takes its alpha from the texture and the vertex colour
    // together, as the frame setup of the game window sets it.
    f_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  }
  void TearDown() override {
    G_Map = f_saved_map;
    G_Empire_List = f_saved_empires;
    Game_Settings.f_fog_of_war = f_saved_fog;
    G_Display::TearDown();
  }
  TColor Ownership_Pixel(std::uint32_t x, std::uint32_t y) {
    TDevice_Surface surface = 0;
    EXPECT_EQ(G_GetSurfaceLevel(0, g_tg_texture_list->m_Get_Texture(Display_Overview_Ownership_Texture), surface),
              S_OK);
    return f_device->Pixel(surface, x, y);
  }

  // The pixel shows the haze of unexplored regions, as the world map blends
  // it, over the colour `under` (one step of rounding allowed).
  static ::testing::AssertionResult Hazed(TColor pixel, TColor under) {
    const TColor haze = Map_Hidden_Region_Color;
    const std::int32_t a = std::int32_t(haze >> 24);
    for (int shift : {0, 8, 16}) {
      const std::int32_t h = std::int32_t((haze >> shift) & 255), u = std::int32_t((under >> shift) & 255);
      const std::int32_t want = (h * a + u * (255 - a)) / 255, got = std::int32_t((pixel >> shift) & 255);
      if (std::abs(got - want) > 1)
        return ::testing::AssertionFailure() << std::hex << "pixel " << pixel << " over " << under << ": channel "
                                             << std::dec << shift << " is " << got << ", the haze gives " << want;
    }
    return ::testing::AssertionSuccess();
  }

  TMap f_map;
  TEmpire_List f_empires;
  TMap* f_saved_map = nullptr;
  TEmpire_List* f_saved_empires = nullptr;
  bool f_saved_fog = false;
};

TEST_F(G_Display_Overview, OwnedKnownLandIsTintedAndUnknownLandDarkened) {
  TDevice_Surface before = 0;
  ASSERT_EQ(G_GetRenderTarget(0, before), S_OK);
  Log_Lines();
  Display_Update_Overview_Map_Ownership(1, 0);
  const std::vector<std::string> lines = Log_Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Display_Update_Overview_Map_Ownership - Start");
  EXPECT_EQ(lines[1], "Display_Update_Overview_Map_Ownership - End");
  TDevice_Surface after = 0;
  ASSERT_EQ(G_GetRenderTarget(0, after), S_OK);
  EXPECT_EQ(after, before);  // the render target is given back

  const TColor background = 0xFF646464u;
  // Region 1 (empire 1's own, known): red-tinted; its picture covers 32 x 32
  // overview pixels from (1, 1).
  const TColor tinted = Ownership_Pixel(10, 10);
  EXPECT_GT(G_Color_Red(tinted), 0x64);
  EXPECT_EQ(G_Color_Green(tinted), 0x64);
  EXPECT_EQ(G_Color_Blue(tinted), 0x64);
  // Region 2 (neutral) and region 3 (no owner): untinted.
  EXPECT_EQ(Ownership_Pixel(110, 10) | 0xFF000000u, background);
  EXPECT_EQ(Ownership_Pixel(210, 10) | 0xFF000000u, background);
  // Region 4 (unknown to empire 1): under the world map's haze, not tinted.
  EXPECT_TRUE(Hazed(Ownership_Pixel(310, 10), background));
  // Outside every region: the background.
  EXPECT_EQ(Ownership_Pixel(10, 200) | 0xFF000000u, background);
}

// The overview lays the world map's haze over an unexplored region once, in
// the same colour and blending, and only over the region's own picture.
TEST_F(G_Display_Overview, UnexploredRegionsTakeTheWorldMapsHazeOnce) {
  f_device->Set_Recording(true);
  f_device->Clear_Draw_Records();
  Display_Update_Overview_Map_Ownership(1, 0);
  // Every region has the same picture: the haze is told by its colour.
  const TDevice_Texture picture = g_tg_texture_list->m_Get_Texture(f_map.m_Get_Region_Texture(4))->m_Texture();
  std::vector<float> hazes;  // the left edges of the hazed quads
  for (const TDraw_Record& rec : f_device->Draw_Records()) {
    if (rec.texture != picture || rec.m_Screen_Vertex(0).diffuse != Map_Hidden_Region_Color) continue;
    hazes.push_back(rec.m_Screen_Vertex(0).x);
    EXPECT_EQ(rec.state.render[D3DRS_SRCBLEND], D3DBLEND_SRCALPHA);
    EXPECT_EQ(rec.state.render[D3DRS_DESTBLEND], D3DBLEND_INVSRCALPHA);
  }
  EXPECT_EQ(hazes, std::vector<float>{300.5f});
  // Region 4 covers overview pixels 301 to 332 (600 and 64 map pixels at half scale, from 1).
  EXPECT_TRUE(Hazed(Ownership_Pixel(301, 1), 0xFF646464u));
  EXPECT_TRUE(Hazed(Ownership_Pixel(332, 32), 0xFF646464u));
  EXPECT_EQ(Ownership_Pixel(299, 10) | 0xFF000000u, 0xFF646464u);
  EXPECT_EQ(Ownership_Pixel(334, 10) | 0xFF000000u, 0xFF646464u);
  EXPECT_EQ(Ownership_Pixel(310, 34) | 0xFF000000u, 0xFF646464u);
}

TEST_F(G_Display_Overview, WithoutTheFirstEmpireEveryRegionIsDarkened) {
  f_empires.m_Get_Empire(2)->m_Set_All_Regions_Known(true);
  // What the second empire alone sees of each region (tinted or plain), then
  // the same under the haze when the first viewer is missing.
  const std::uint32_t xs[4] = {10u, 110u, 210u, 310u};
  std::vector<TColor> seen;
  Display_Update_Overview_Map_Ownership(2, 0);
  for (std::uint32_t x : xs) seen.push_back(Ownership_Pixel(x, 10));
  Display_Update_Overview_Map_Ownership(0, 2);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_TRUE(Hazed(Ownership_Pixel(xs[i], 10), seen[i])) << xs[i];
  // Known to A but not to B: darkened too.
  Display_Update_Overview_Map_Ownership(1, 2);
  f_empires.m_Get_Empire(2)->m_Set_Region_Known(1, false);
  Display_Update_Overview_Map_Ownership(1, 2);
  EXPECT_LT(G_Color_Green(Ownership_Pixel(10, 10)), 0x64);
  // Neither viewer: the background alone.
  Display_Update_Overview_Map_Ownership(0, 0);
  EXPECT_EQ(Ownership_Pixel(310, 10) | 0xFF000000u, 0xFF646464u);
}

TEST_F(G_Display_Overview, OverviewMapWithHighlightsCombatFlagsAndFrame) {
  Write_Bitmap("images\\ui\\CombatFlag.bmp", 64, 64, 0xFFC0C0C0u);
  Write_Bitmap("images\\ui\\MoveArrow.bmp", 32, 64, 0xFF40FF40u);
  ASSERT_TRUE(Init_Global_Display());
  f_map.m_Add_Combat_Region(1);  // known to empire 1
  f_map.m_Add_Combat_Region(4);  // unknown
  f_device->Clear(D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  f_device->Clear_Draw_Records();
  Display_Draw_Overview_Map(0, 0, 64, 32, true, TRect{2, 3, 40, 20}, 1, 2, 3, 1);
  const std::vector<TDraw_Record>& records = f_device->Draw_Records();
  // The image, three highlights, one combat flag, the arrow, four frame sides.
  ASSERT_EQ(records.size(), 10u);
  EXPECT_EQ(records[0].texture, g_tg_texture_list->m_Get_Texture(Display_Overview_Ownership_Texture)->m_Texture());
  EXPECT_EQ(records[1].state.render[D3DRS_SRCBLEND], D3DBLEND_ONE);
  EXPECT_EQ(records[1].state.render[D3DRS_DESTBLEND], D3DBLEND_ONE);
  EXPECT_EQ(records[1].m_Screen_Vertex(0).diffuse, G_Make_Color(100, 100, 100));
  EXPECT_EQ(records[3].m_Screen_Vertex(0).diffuse, G_Make_Color(100, 100, 50));
  EXPECT_EQ(records[4].texture, g_tg_texture_list->m_Get_Texture(Display_Combat_Flag_Texture)->m_Texture());
  EXPECT_EQ(records[5].texture, g_tg_texture_list->m_Get_Texture(Display_Move_Arrow_Texture)->m_Texture());
  // The frame: white one-pixel sides along (2, 3)-(40, 20).
  EXPECT_EQ(f_device->Pixel(BACK, 2, 3), 0xFFFFFFFFu);
  EXPECT_EQ(f_device->Pixel(BACK, 39, 19), 0xFFFFFFFFu);
  EXPECT_EQ(f_device->Pixel(BACK, 2, 19), 0xFFFFFFFFu);
  EXPECT_NE(f_device->Pixel(BACK, 20, 10), 0xFFFFFFFFu);

  // A player without empire sees no combat flags; without the background
  // nothing is drawn at all.
  f_device->Clear_Draw_Records();
  Display_Draw_Overview_Map(0, 0, 64, 32, false, TRect{}, 0, 0, 0, 0);
  EXPECT_EQ(f_device->Draw_Records().size(), 1u);
  Clear_Global_Display();
  f_device->Clear_Draw_Records();
  Display_Draw_Overview_Map(0, 0, 64, 32, true, TRect{2, 3, 40, 20}, 1, 2, 3, 1);
  EXPECT_TRUE(f_device->Draw_Records().empty());
}

TEST_F(G_Display_Overview, AMapOfNoSizeAndCellsOutsideTheAtlasesDrawNothingOfTheirOwn) {
  f_map.m_Set_Pixel_Size(0, 0);
  f_device->Clear_Draw_Records();
  Display_Update_Overview_Map_Ownership(1, 2);  // the background alone
  ASSERT_EQ(f_device->Draw_Records().size(), 1u);
  EXPECT_EQ(f_device->Draw_Records()[0].texture,
            g_tg_texture_list->m_Get_Texture(Display_Overview_Background_Texture)->m_Texture());
  f_device->Clear_Draw_Records();
  Display_Draw_Overview_Map(0, 0, 64, 32, false, TRect{}, 1, 2, 3, 1);  // the image alone
  EXPECT_EQ(f_device->Draw_Records().size(), 1u);

  Write_Cells("images\\ui\\Buttons_2.bmp", 168, 40, 3, 4);
  ASSERT_TRUE(Init_Global_Display());
  f_device->Clear_Draw_Records();
  Display_Draw_Button_Frame(0, 0, -1, 3, false, false, false);
  Display_Draw_Button_Frame(0, 0, 0x7FFFFFFF, 3, false, false, false);
  EXPECT_TRUE(f_device->Draw_Records().empty());
}
