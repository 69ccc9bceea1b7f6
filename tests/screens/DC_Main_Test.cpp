// The main screen on a headless device: camera limits, edge panning, the
// wheel and the arrow keys, the map drawing (value symbols, fog of war),
// the overview map's clicks, the help pop-up, the dialogs by name with the
// message queue, and the screen modes.
#include "DC_Main.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "DC_Base_ComboBox.h"
#include "DC_Main_OverviewMap.h"
#include "Display.h"
#include "Display_HelpText.h"
#include "Empire.h"
#include "GameSettings.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "GraphicsEngine_Texture.h"
#include "Gui_Test_Support.h"
#include "Headless_Engine.h"
#include "MapClass.h"
#include "MapClass_Draw.h"
#include "Render_Device_Headless.h"
#include "Vector_Math.h"

namespace {

constexpr std::int32_t Map_W = 6144, Map_H = 3072;

class Main_Screen : public ::testing::Test {
 protected:
  void SetUp() override {
    f_device = Headless_Engine_Start(1024, 768);
    TMatrix projection;
    G_Matrix_Perspective_Fov_LH(0.7853982f, 1024.0f / 768.0f, 1.0f, 20000.0f, projection);
    G_SetTransform(D3DTS_PROJECTION, projection);
    Game_Settings.m_Reset();
    Game_Settings.f_camera_up = {0, 1, 0};
    G_Set_Camera({3072, 1536, -4250}, {3072, 1536, 0}, {0, 1, 0});
    f_map.m_Set_Pixel_Size(Map_W, Map_H);
    G_Map = &f_map;
    f_empires.m_Create_Empires(2);
    G_Empire_List = &f_empires;
    Game_Settings.f_local_empire = 1;
    Game_Settings.f_turn_empire = 1;
    Set_Mouse_Position(512, 384);
    Help_Text_Reset();
    f_screen = std::make_unique<TDC_Main>();
    f_screen->m_Set_Position("Main Window", 0, 0, false);
    f_screen->m_Set_Visible(true);
  }
  void TearDown() override {
    f_screen.reset();
    for (const char* name : {"Dlg Start Menu", "Dlg Game Setup", "Dlg Game Menu", "Dlg Game Options"})
      DC_Main_Register_Dialog(name, {});
    G_Map = nullptr;
    G_Empire_List = nullptr;
    Display_Map_Values_Texture = 0;
    G_Shutdown_GraphicsEngine();
    Render_Device_Set_Current(nullptr);
    f_device.reset();
    G_Culling_Reset();
    Game_Settings.m_Reset();
    Set_Mouse_Position(0, 0);
  }

  // A land region of one 32-pixel square per cell, its value symbol in the
  // first square; its texture an empty picture of its size.
  TMap_Region& Add_Region(std::int32_t id, std::int32_t left, std::int32_t top, std::uint8_t owner,
                          std::int32_t value) {
    if (f_map.m_Get_Region_Count() < id) f_map.m_Set_Region_Count(id);
    TMap_Region& r = f_map.m_New_Region(id);
    r.m_Init(id, Make_Color(1, 2, 3));
    r.m_Set_Type(REGION_LAND);
    r.m_Set_Value(value);
    for (std::int32_t y = 0; y < 4; ++y)
      for (std::int32_t x = 0; x < 4; ++x)
        r.m_Add_Rect(left + x * 32, top + y * 32, left + x * 32 + 32, top + y * 32 + 32);
    r.m_Set_Bounds(left, top, left + 128, top + 128);
    r.m_Build_Square_Grid();
    std::int32_t label_x = 0, label_y = 0;
    r.m_Reserve_Label_Squares(40, 12, label_x, label_y, Map_W, Map_H);
    EXPECT_TRUE(r.m_Pick_Lower_Marker_Square());
    EXPECT_TRUE(r.m_Pick_Upper_Marker_Square());
    r.m_Set_Owner(owner);
    // Region textures are listed from region 1 at index 0.
    f_textures.resize(std::size_t(id), 0);
    f_textures[std::size_t(id) - 1] = g_tg_texture_list->m_Create_Flexible_Texture(128, 128, 4, 3);
    f_map.m_Set_Region_Textures(f_textures);
    return r;
  }

  const TVector& Eye() const { return Game_Settings.f_camera_eye; }

  std::unique_ptr<TRender_Device_Headless> f_device;
  TMap f_map;
  TEmpire_List f_empires;
  std::vector<std::int32_t> f_textures;
  std::unique_ptr<TDC_Main> f_screen;
};

TEST_F(Main_Screen, TheCameraIsClampedToTheMapOrTheBattleAndLooksStraightDown) {
  struct TCase {
    TScreen_Mode mode;
    TVector eye, want;
  } cases[] = {
      {TScreen_Mode::Map, {100, 200, -20}, {100, 200, -50}},
      {TScreen_Mode::Map, {100, 200, -9000}, {100, 200, -8000}},
      {TScreen_Mode::Map, {-5, 99999, -3000}, {0, float(Map_H), -3000}},
      {TScreen_Mode::Map, {7000, -1, -3000}, {float(Map_W), 0, -3000}},
      {TScreen_Mode::Battle, {100, 200, -9000}, {100, 200, -2000}},
      {TScreen_Mode::Battle, {5000, 3000, -1000}, {1400, 1000, -1000}},
  };
  for (const TCase& c : cases) {
    f_screen->m_Set_Screen_Mode(c.mode);
    f_screen->m_Set_Camera(c.eye, {1, 2, 3}, true, {0, 1, 0});
    EXPECT_FLOAT_EQ(Eye().x, c.want.x);
    EXPECT_FLOAT_EQ(Eye().y, c.want.y);
    EXPECT_FLOAT_EQ(Eye().z, c.want.z);
    EXPECT_FLOAT_EQ(Game_Settings.f_camera_look_at.x, c.want.x);
    EXPECT_FLOAT_EQ(Game_Settings.f_camera_look_at.y, c.want.y);
    EXPECT_FLOAT_EQ(Game_Settings.f_camera_look_at.z, 0.0f);
  }
}

TEST_F(Main_Screen, TheMouseAtAnEdgePansUnlessItRestsOnAPanel) {
  struct TCase {
    TScreen_Mode mode;
    std::int32_t x, y;
    float dx, dy;
  } cases[] = {
      {TScreen_Mode::Map, 0, 0, -100, 100},     // top-left corner: both at once
      {TScreen_Mode::Map, 1023, 400, 100, 0},   // right edge
      {TScreen_Mode::Map, 500, 767, 0, -100},   // bottom edge
      {TScreen_Mode::Map, 500, 400, 0, 0},      // middle
      {TScreen_Mode::Map, 1000, 5, 0, 0},       // on the overview map at the top right
      {TScreen_Mode::Map, 300, 10, 0, 0},       // on the main-button strip
      {TScreen_Mode::Map, 10, 400, -100, 0},    // left edge below the status bar
      {TScreen_Mode::Battle, 10, 400, -50, 0},  // half speed in a battle
      {TScreen_Mode::Battle, 1000, 30, 0, 0},   // the battle's top band
      {TScreen_Mode::Menu, 0, 0, 0, 0},         // nothing pans behind a menu
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    f_screen->m_Set_Screen_Mode(c.mode);
    f_screen->m_Set_Camera({700, 600, -1500}, {}, true, {0, 1, 0});
    Set_Mouse_Position(c.x, c.y);
    f_screen->m_On_Timer(0.1f);
    EXPECT_NEAR(Eye().x, 700 + c.dx, 0.01);
    EXPECT_NEAR(Eye().y, 600 + c.dy, 0.01);
  }
}

TEST_F(Main_Screen, TheFirstTimerPassAppliesTheStoredCameraOnce) {
  // A stored camera within the limits (as a saved game brings it) is put
  // onto the view: the screen's centre then looks at its point.
  Game_Settings.f_camera_eye = {500, 400, -1000};
  Game_Settings.f_camera_look_at = {500, 400, 0};
  f_screen->m_On_Timer(0.0f);
  float x = 0, y = 0;
  ASSERT_TRUE(G_Screen_To_Map_Point(512, 384, x, y));
  EXPECT_NEAR(x, 500, 0.5);
  EXPECT_NEAR(y, 400, 0.5);
  // One outside them is clamped on the way.
  f_screen.reset();
  f_screen = std::make_unique<TDC_Main>();
  Game_Settings.f_camera_eye = {-400, 99999, -20};
  f_screen->m_On_Timer(0.0f);
  EXPECT_FLOAT_EQ(Eye().x, 0);
  EXPECT_FLOAT_EQ(Eye().y, float(Map_H));
  EXPECT_FLOAT_EQ(Eye().z, -50);
  Game_Settings.f_camera_eye = {-400, 99999, -20};
  f_screen->m_On_Timer(0.0f);
  EXPECT_FLOAT_EQ(Eye().x, -400);  // no second time without movement
}

TEST_F(Main_Screen, NoticesKeepTheFirstTenLinesAndFadeOverTwentySeconds) {
  for (int i = 1; i <= 10; ++i) f_screen->m_Add_Notice("line " + std::to_string(i));
  f_screen->m_On_Timer(3.0f);
  // The 11th and 12th are not shown, but the time starts again.
  for (int i = 11; i <= 12; ++i) f_screen->m_Add_Notice("line " + std::to_string(i));
  EXPECT_EQ(f_screen->m_Notices().front(), "line 1");
  EXPECT_EQ(f_screen->m_Notices().back(), "line 10");
  EXPECT_FLOAT_EQ(f_screen->m_Notice_Time(), 20.0f);
  f_screen->m_On_Timer(5.0f);
  EXPECT_FLOAT_EQ(f_screen->m_Notice_Time(), 15.0f);
  f_screen->m_Set_Screen_Mode(TScreen_Mode::Menu);  // behind a menu the time stands still
  f_screen->m_On_Timer(5.0f);
  EXPECT_FLOAT_EQ(f_screen->m_Notice_Time(), 15.0f);
  f_screen->m_Clear_Notices();
  EXPECT_EQ(f_screen->m_Notices().back(), "");
  EXPECT_FLOAT_EQ(f_screen->m_Notice_Time(), 0.0f);
}

TEST_F(Main_Screen, WheelAndKeysMoveTheCameraByTheStepOfTheModeAndShiftState) {
  struct TCase {
    TScreen_Mode mode;
    TShift_State shift;
    float step;
  } cases[] = {{TScreen_Mode::Map, 0, 200},          {TScreen_Mode::Map, SS_CTRL, 5},
               {TScreen_Mode::Map, SS_SHIFT, 0.01f}, {TScreen_Mode::Map, SS_CTRL | SS_SHIFT, 5},
               {TScreen_Mode::Battle, 0, 200},       {TScreen_Mode::Menu, 0, 0},
               {TScreen_Mode::Handover, SS_CTRL, 0}};
  for (const TCase& c : cases) {
    f_screen->m_Set_Screen_Mode(c.mode);
    EXPECT_FLOAT_EQ(f_screen->m_Camera_Step(c.shift), c.step);
    f_screen->m_Set_Camera({700, 600, -1500}, {}, true, {0, 1, 0});
    // The wheel over the screen's centre: the height changes by the step
    // per notch and the eye moves a third of the way to the point.
    EXPECT_TRUE(f_screen->m_Mouse_Wheel(c.shift, -2, 512, 384));
    EXPECT_NEAR(Eye().z, -1500 - 2 * c.step, 0.01);
    EXPECT_NEAR(Eye().x, 700, 0.5);
    std::uint16_t key = 39;
    f_screen->m_Set_Camera({700, 600, -3000}, {}, true, {0, 1, 0});
    EXPECT_EQ(f_screen->m_Key_Down(key, c.shift), c.step != 0);
    EXPECT_NEAR(Eye().x, 700 + c.step, 0.001);
    key = 38;
    f_screen->m_Key_Down(key, c.shift);
    EXPECT_NEAR(Eye().y, 600 + c.step, 0.001);
  }
  // The wheel over a point away from the eye moves a third of the way.
  f_screen->m_Set_Screen_Mode(TScreen_Mode::Map);
  f_screen->m_Set_Camera({700, 600, -3000}, {}, true, {0, 1, 0});
  float px, py;
  ASSERT_TRUE(G_Screen_To_Map_Point(1000, 384, px, py));
  f_screen->m_Mouse_Wheel(0, 1, 1000, 384);
  EXPECT_NEAR(Eye().x, 700 + (px - 700) / 3, 0.5);
  EXPECT_NEAR(Eye().z, -2800, 0.01);
}

TEST_F(Main_Screen, ValueSymbolsShowTheirAtlasCellAndUnknownRegionsAreDarkenedWithoutSymbols) {
  Display_Map_Values_Texture = g_tg_texture_list->m_Create_Flexible_Texture(128, 128, 2, 3);
  Game_Settings.f_fog_of_war = true;
  f_empires.m_Get_Empire(1)->m_Set_Color(Make_Color(200, 0, 0));
  f_empires.m_Get_Empire(1)->m_Set_Second_Color(Make_Color(0, 0, 200));
  Add_Region(1, 0, 0, 1, 6);
  Add_Region(2, 256, 0, 0, 15);
  Add_Region(3, 512, 0, 2, 0);
  f_empires.m_Get_Empire(1)->m_Resize_Known_Regions(3);
  f_empires.m_Get_Empire(1)->m_Set_Region_Known(1, true);
  f_empires.m_Get_Empire(1)->m_Set_Region_Known(2, true);
  f_screen->m_Set_Camera({300, float(Map_H) - 100, -1500}, {}, true, {0, 1, 0});
  TMap_View view;
  view.m_Update_Visibility(f_map);
  for (std::int32_t id = 1; id <= 3; ++id) ASSERT_TRUE(f_map.m_Get_Region(id)->m_Get_Visible());
  f_device->Set_Recording(true);
  f_device->Clear_Draw_Records();
  view.m_Draw(f_map, 1, true, 0, false);
  const TDevice_Texture values = g_tg_texture_list->m_Get_Texture(Display_Map_Values_Texture)->m_Texture();
  std::vector<std::pair<float, float>> cells;  // top-left texture coordinates of each symbol
  std::vector<TColor> ambients;
  std::vector<TDevice_Texture> region_draws;
  for (const TDraw_Record& rec : f_device->Draw_Records()) {
    if (rec.texture == values) {
      for (std::uint32_t q = 0; q < rec.m_Vertex_Count() / 4; ++q) {
        const TDevice_LVertex top_left = rec.m_LVertex(q * 4 + 3);
        cells.emplace_back(top_left.tu, top_left.tv);
        ambients.push_back(rec.state.render[D3DRS_AMBIENT]);
      }
    }
    for (std::int32_t id = 1; id <= 3; ++id)
      if (rec.texture == g_tg_texture_list->m_Get_Texture(f_textures[std::size_t(id) - 1])->m_Texture()) {
        region_draws.push_back(TDevice_Texture(id));
        if (id == 1) {  // the owner's tint
          EXPECT_EQ(rec.state.render[D3DRS_SRCBLEND], D3DBLEND_SRCCOLOR);
          EXPECT_EQ(rec.state.render[D3DRS_AMBIENT] & 0xFFFFFFu, Make_Color(200, 0, 0) & 0xFFFFFFu);
        } else {  // the unknown region's darkening
          EXPECT_EQ(id, 3);
          // Nothing of the colour added; the screen kept at (255 - 200) / 255.
          EXPECT_EQ(rec.state.render[D3DRS_SRCBLEND], D3DBLEND_ZERO);
          EXPECT_EQ(rec.state.render[D3DRS_DESTBLEND], D3DBLEND_INVSRCALPHA);
          EXPECT_EQ(rec.m_LVertex(0).diffuse, Make_Color(50, 50, 50, 200));
        }
      }
  }
  // Region 2 has no owner: no tint; region 3 is unknown: darkened, no symbol.
  EXPECT_EQ(region_draws, (std::vector<TDevice_Texture>{1, 3}));
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_FLOAT_EQ(cells[0].first, 0.5f);  // value 6: column 2, row 1
  EXPECT_FLOAT_EQ(cells[0].second, 0.25f);
  EXPECT_FLOAT_EQ(cells[1].first, 0.75f);  // value 15: column 3, row 3
  EXPECT_FLOAT_EQ(cells[1].second, 0.75f);
  EXPECT_EQ(ambients[0], Make_Color(0, 0, 200));      // the owner's second colour
  EXPECT_EQ(ambients[1], Make_Color(150, 150, 150));  // no owner: grey
}

TEST_F(Main_Screen, AStackPictureTurnsAboutItsCentreAndTakesItsOwnersTint) {
  const std::int32_t picture = g_tg_texture_list->m_Create_Flexible_Texture(64, 64, 5, 3);
  f_map.m_Set_Unit_Type_Textures({{picture, 0}});
  f_device->Set_Recording(true);
  struct TCase {
    float heading;
    // Corners as drawn: bottom left, bottom right, top right, top left of the picture.
    float corners[4][2];
  } cases[] = {{0.0f, {{100, 200}, {140, 200}, {140, 220}, {100, 220}}},
               {float(M_PI), {{140, 220}, {100, 220}, {100, 200}, {140, 200}}},
               {float(M_PI) / 2, {{110, 230}, {110, 190}, {130, 190}, {130, 230}}}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.heading);
    f_device->Clear_Draw_Records();
    Map_Draw_Unit_Icon(f_map, 1, 3, c.heading, Make_Color(10, 200, 30), 20, 40, 200, 100);
    ASSERT_EQ(f_device->Draw_Records().size(), 1u);
    const TDraw_Record& rec = f_device->Draw_Records()[0];
    EXPECT_EQ(rec.indices, (std::vector<std::uint16_t>{3, 1, 0, 3, 2, 1}));
    EXPECT_EQ(rec.state.render[D3DRS_LIGHTING], 1u);
    EXPECT_EQ(rec.state.render[D3DRS_AMBIENT], Make_Color(10, 200, 30));
    for (std::uint32_t i = 0; i < 4; ++i) {
      EXPECT_NEAR(rec.m_LVertex(i).x, c.corners[i][0], 0.01) << i;
      EXPECT_NEAR(rec.m_LVertex(i).y, c.corners[i][1], 0.01) << i;
    }
  }
}

TEST_F(Main_Screen, RegionsOutOfViewAreNeitherVisibleNorDrawn) {
  Add_Region(1, 0, 0, 1, 1);
  Add_Region(2, 6000, 2900, 1, 1);
  f_empires.m_Get_Empire(1)->m_Set_Color(Make_Color(200, 0, 0));
  f_screen->m_Set_Camera({64, float(Map_H) - 64, -300}, {}, true, {0, 1, 0});
  TMap_View view;
  view.m_Update_Visibility(f_map);
  EXPECT_TRUE(f_map.m_Get_Region(1)->m_Get_Visible());
  EXPECT_FALSE(f_map.m_Get_Region(2)->m_Get_Visible());
  f_device->Set_Recording(true);
  f_device->Clear_Draw_Records();
  view.m_Draw(f_map, 1, true, 0, false);
  const TDevice_Texture far = g_tg_texture_list->m_Get_Texture(f_textures[1])->m_Texture();
  for (const TDraw_Record& rec : f_device->Draw_Records()) EXPECT_NE(rec.texture, far);
}

TEST_F(Main_Screen, APressOnTheOverviewMovesTheCameraThere) {
  TDC_Main_Overview_Map& overview = f_screen->m_Overview_Map();
  const std::int32_t x0 = overview.m_X(), y0 = overview.m_Y();
  EXPECT_EQ(x0, 1024 - 258);
  EXPECT_EQ(y0, 0);
  struct TCase {
    std::int32_t x, y;
    bool moves;
    float map_x, map_y;
  } cases[] = {
      {x0 + 1, y0 + 1, true, 0, float(Map_H)},  // the image's top-left pixel
      {x0 + 129, y0 + 65, true, float(Map_W) / 2, float(Map_H) / 2},
      {x0 + 257, y0 + 129, true, float(Map_W), 0},  // right and bottom border count
      {x0, y0 + 50, false, 0, 0},                   // the left border does not
      {x0 + 50, y0, false, 0, 0},                   // nor the top border
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    f_screen->m_Set_Camera({1234, 567, -2500}, {}, true, {0, 1, 0});
    f_screen->m_Mouse_Down(MB_LEFT, 0, c.x, c.y);
    EXPECT_FLOAT_EQ(Eye().x, c.moves ? c.map_x : 1234);
    EXPECT_FLOAT_EQ(Eye().y, c.moves ? c.map_y : 567);
    EXPECT_FLOAT_EQ(Eye().z, -2500);
  }
  // The frame follows the camera and sticks to the image's border.
  f_screen->m_Set_Camera({0, 0, -2500}, {}, true, {0, 1, 0});
  EXPECT_EQ(overview.m_View_Rect().Left, 0);
  EXPECT_EQ(overview.m_View_Rect().Bottom, 128);
  EXPECT_GT(overview.m_View_Rect().Right, 0);
  EXPECT_LT(overview.m_View_Rect().Top, 128);
}

TEST_F(Main_Screen, TheHelpBoxStaysOnTheScreenBesideItsArea) {
  struct TCase {
    std::int32_t left, top, right, bottom, w, h;
    std::int32_t x, y;
  } cases[] = {
      {500, 400, 540, 440, 300, 60, 390, 330},  // above, centred on the right edge
      {500, 10, 540, 50, 300, 60, 390, 60},     // near the top: below it
      {900, 400, 940, 440, 300, 60, 723, 330},  // near the right edge: pulled in
      {0, 300, 30, 340, 300, 60, 0, 230},       // near the left edge
      {10, 0, 1014, 700, 300, 60, 723, 707},    // below a wide area, pulled onto the screen
      {100, 0, 400, 767, 300, 60, 410, 707},    // beside an area as high as the screen
  };
  for (const TCase& c : cases) {
    std::int32_t x, y;
    Help_Text_Place_Box(c.left, c.top, c.right, c.bottom, c.w, c.h, 1024, 768, x, y);
    EXPECT_EQ(x, c.x) << c.left << "," << c.top;
    EXPECT_EQ(y, c.y) << c.left << "," << c.top;
  }
}

TEST_F(Main_Screen, TheHelpBoxWaitsForItsDelayAndComesBackAfterTheMouseLeft) {
  auto frame = [](float elapsed, bool over_button) {
    if (over_button) Help_Text_Set_Hover("b", "p", 1, 9, 5, "", 0, 262, 2, 40, 40);
    Help_Text_Update_Timer(elapsed);
    Help_Text_Draw();
    return Help_Text_Current().shown;
  };
  EXPECT_FALSE(frame(0.0f, true));
  EXPECT_FALSE(frame(0.4f, true));
  EXPECT_TRUE(frame(0.2f, true));
  EXPECT_TRUE(frame(0.1f, true));
  EXPECT_EQ(Help_Text_Current().box_width, 300);
  EXPECT_FALSE(frame(0.1f, false));  // the mouse left
  EXPECT_FALSE(frame(0.0f, true));   // back on the same button: the delay starts again
  EXPECT_TRUE(frame(0.6f, true));
  // A report with kind 2 or entry 0 shows nothing.
  Help_Text_Reset();
  Help_Text_Set_Hover("b", "p", 2, 9, 5, "", 0, 0, 0, 1, 1);
  Help_Text_Set_Hover("b", "p", 1, 9, 0, "", 0, 0, 0, 1, 1);
  EXPECT_EQ(Help_Text_Current().kind, 0);
}

// A stand-in dialog that reports the result it was given.
class TFake_Dialog : public TDisplay_Class {
 public:
  explicit TFake_Dialog(std::int32_t a, std::int32_t b) : TDisplay_Class(DC_KIND_WINDOW), f_a(a), f_b(b) {}
  std::int32_t m_Get_Width() override { return 200; }
  std::int32_t m_Get_Height() override { return 100; }
  std::int32_t f_a, f_b, f_result = 0;
};

void Register_Fake(const std::string& name) {
  DC_Main_Register_Dialog(
      name, {[](std::int32_t a, std::int32_t b) { return std::make_unique<TFake_Dialog>(a, b); },
             [](TDisplay_Class& d) { return TDC_Main_Dialog_Outcome{static_cast<TFake_Dialog&>(d).f_result}; }});
}

TFake_Dialog* Fake(TDC_Main& screen, const std::string& name) {
  return static_cast<TFake_Dialog*>(screen.m_Get_Dialog(name));
}

// Marks a dialog killed and runs the screen's kill pass.
void Close(TDC_Main& screen, TDisplay_Class* dialog) {
  ASSERT_NE(dialog, nullptr);
  dialog->Set_Kill_Object(true);
  screen.m_Kill_Any_Dead_Controls();
}

TEST_F(Main_Screen, DialogsOpenByNameAndTheirResultsLeadToTheNextOne) {
  for (const char* name : {"Dlg Start Menu", "Dlg Game Setup", "Dlg Game Menu", "Dlg Game Options"})
    Register_Fake(name);
  bool closed = false;
  f_screen->f_on_close_program = [&] { closed = true; };
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Start Menu", 0, 0));
  EXPECT_EQ(f_screen->m_Get_Screen_Mode(), TScreen_Mode::Menu);
  EXPECT_FALSE(f_screen->m_Open_Dialog("Dlg Start Menu", 0, 0));  // its slot is taken
  EXPECT_FALSE(f_screen->m_Open_Dialog("Dlg Statistics", 0, 0));  // nobody makes it
  struct TCase {
    std::int32_t result;
    const char* next;
    std::int32_t a, b;
  } cases[] = {{4, nullptr, 0, 0},
               {1, "Dlg Game Setup", 0, 1},
               {7, "Dlg Game Setup", 0, 2},
               {8, "Dlg Game Setup", 0, 3},
               {9, "Dlg Game Setup", 0, 4}};
  for (const TCase& c : cases) {
    f_screen->m_Close_Child_Dialogs();
    ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Start Menu", 0, 0));
    Fake(*f_screen, "Dlg Start Menu")->f_result = c.result;
    Close(*f_screen, f_screen->m_Get_Dialog("Dlg Start Menu"));
    EXPECT_EQ(f_screen->m_Get_Dialog("Dlg Start Menu"), nullptr);
    if (!c.next) continue;
    TFake_Dialog* next = Fake(*f_screen, c.next);
    ASSERT_NE(next, nullptr) << c.result;
    EXPECT_EQ(next->f_a, c.a);
    EXPECT_EQ(next->f_b, c.b);
    EXPECT_TRUE(next->m_Visible());
    EXPECT_EQ(next->m_X(), (1024 - 200) / 2);
  }
  // A cancelled setup goes back to the start menu; its result 6 ends the program.
  Fake(*f_screen, "Dlg Game Setup")->f_result = 2;
  Close(*f_screen, f_screen->m_Get_Dialog("Dlg Game Setup"));
  ASSERT_NE(f_screen->m_Get_Dialog("Dlg Start Menu"), nullptr);
  Fake(*f_screen, "Dlg Start Menu")->f_result = 6;
  Close(*f_screen, f_screen->m_Get_Dialog("Dlg Start Menu"));
  EXPECT_TRUE(closed);
  // The game menu's result 4 opens the game options.
  f_screen->m_Set_Screen_Mode(TScreen_Mode::Map);
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Game Menu", 0, 0));
  EXPECT_EQ(f_screen->m_Get_Screen_Mode(), TScreen_Mode::Map);
  Fake(*f_screen, "Dlg Game Menu")->f_result = 4;
  Close(*f_screen, f_screen->m_Get_Dialog("Dlg Game Menu"));
  EXPECT_NE(f_screen->m_Get_Dialog("Dlg Game Options"), nullptr);
}

TEST_F(Main_Screen, MessagesWaitInTheirOrderAndADialogFreesTheOneShown) {
  Register_Fake("Dlg Game Menu");
  f_screen->m_Show_Message("One", "first", TMessage_Kind::Plain);
  f_screen->m_Show_Message("Two", "second", TMessage_Kind::Plain);
  f_screen->m_Show_Message("Three", "third", TMessage_Kind::Plain);
  f_screen->m_Show_Confirmation("Sure?", "dropped", TMessage_Kind::End_Turn_Question);  // a message is open: dropped
  ASSERT_NE(f_screen->m_Message_Dialog(), nullptr);
  EXPECT_EQ(f_screen->m_Queued_Messages(), 2u);
  auto close_message = [&] {
    TDC_Dlg_Message* m = f_screen->m_Message_Dialog();
    ASSERT_NE(m, nullptr);
    std::uint16_t escape = 27;
    m->m_Key_Down(escape, 0);
    f_screen->m_Kill_Any_Dead_Controls();
  };
  close_message();  // "One" closes, "Two" comes up
  ASSERT_NE(f_screen->m_Message_Dialog(), nullptr);
  EXPECT_EQ(f_screen->m_Queued_Messages(), 1u);
  // The game menu frees "Two" without its follow-up; "Three" keeps waiting
  // until the next message shown has been closed.
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Game Menu", 0, 0));
  EXPECT_EQ(f_screen->m_Message_Dialog(), nullptr);
  EXPECT_EQ(f_screen->m_Queued_Messages(), 1u);
  f_screen->m_Close_Child_Dialogs();
  f_screen->m_Show_Message("Zero", "now", TMessage_Kind::Plain);
  EXPECT_EQ(f_screen->m_Queued_Messages(), 1u);
  close_message();  // "Zero" closes, "Three" comes up
  ASSERT_NE(f_screen->m_Message_Dialog(), nullptr);
  EXPECT_EQ(f_screen->m_Queued_Messages(), 0u);
  close_message();
  EXPECT_EQ(f_screen->m_Queued_Messages(), 0u);
  EXPECT_EQ(f_screen->m_Message_Dialog(), nullptr);
}

TEST_F(Main_Screen, ClosingAMessageActsOnItsKind) {
  Register_Fake("Dlg Start Menu");
  int turns_ended = 0;
  f_screen->f_on_end_turn = [&] { ++turns_ended; };
  struct TCase {
    TMessage_Kind kind;
    bool confirm, press_ok;
    TScreen_Mode mode_after;
    bool start_menu;
    int turns;
  } cases[] = {{TMessage_Kind::Plain, false, false, TScreen_Mode::Handover, false, 0},
               {TMessage_Kind::Next_Player, false, false, TScreen_Mode::Map, false, 0},
               {TMessage_Kind::Game_Over_Here, false, false, TScreen_Mode::Menu, true, 0},
               {TMessage_Kind::End_Turn_Question, true, true, TScreen_Mode::Handover, false, 1},
               {TMessage_Kind::End_Turn_Question, true, false, TScreen_Mode::Handover, false, 0}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::int32_t(c.kind));
    f_screen->m_Close_Child_Dialogs();
    f_screen->m_Set_Screen_Mode(TScreen_Mode::Handover);
    turns_ended = 0;
    if (c.confirm)
      f_screen->m_Show_Confirmation("Question", "text", c.kind);
    else
      f_screen->m_Show_Message("Message", "text", c.kind);
    std::uint16_t key = c.press_ok ? 13 : 27;
    f_screen->m_Message_Dialog()->m_Key_Down(key, 0);
    f_screen->m_Kill_Any_Dead_Controls();
    EXPECT_EQ(f_screen->m_Message_Dialog(), nullptr);
    EXPECT_EQ(f_screen->m_Get_Screen_Mode(), c.mode_after);
    EXPECT_EQ(f_screen->m_Get_Dialog("Dlg Start Menu") != nullptr, c.start_menu);
    EXPECT_EQ(turns_ended, c.turns);
  }
}

TEST_F(Main_Screen, ScreenModesShowTheirControls) {
  struct TCase {
    TScreen_Mode mode;
    bool map_controls, combat_buttons;
  } cases[] = {{TScreen_Mode::Map, true, false},
               {TScreen_Mode::Handover, false, false},
               {TScreen_Mode::Battle, false, true},
               {TScreen_Mode::Menu, false, false},
               {TScreen_Mode::Map_Only, false, false}};
  f_screen->m_Set_Status_Text("Waiting", true);
  f_screen->m_Set_Highlighted_Regions({1, 2});
  for (const TCase& c : cases) {
    f_screen->m_Set_Screen_Mode(c.mode);
    EXPECT_EQ(f_screen->m_Get_Screen_Mode(), c.mode);
    EXPECT_EQ(f_screen->m_Overview_Map().m_Visible(), c.map_controls);
    for (const char* name :
         {"DC_MAIN_MAIN_BUTTON_1", "DC_MAIN_MAIN_BUTTON_6", "DC_MAIN_ORDER_BUTTON_1", "DC_MAIN_ORDER_BUTTON_2"}) {
      EXPECT_EQ(f_screen->m_Button(name)->m_Visible(), c.map_controls) << name;
      EXPECT_EQ(f_screen->m_Button(name)->m_Enabled(), c.map_controls) << name;
    }
    EXPECT_FALSE(f_screen->m_Button("DC_MAIN_ORDER_BUTTON_3")->m_Visible());
    for (int i = 1; i <= 3; ++i)
      EXPECT_EQ(f_screen->m_Button("Combat Main Button " + std::to_string(i))->m_Visible(), c.combat_buttons);
    EXPECT_TRUE(f_screen->m_Status_Text().empty());
    EXPECT_TRUE(f_screen->m_Highlighted_Regions().empty());
  }
}

TEST_F(Main_Screen, FramesAreSafeWithoutAGameWithAnEmptyMapAndWithOneRegion) {
  for (int world = 0; world < 3; ++world) {
    SCOPED_TRACE(world);
    if (world == 0) {
      G_Map = nullptr;
      G_Empire_List = nullptr;
    } else {
      G_Map = &f_map;
      G_Empire_List = &f_empires;
    }
    if (world == 2) Add_Region(1, 0, 0, 1, 3);
    f_screen->m_Set_Screen_Mode(TScreen_Mode::Map);
    for (std::int32_t x : {0, 512, 1023}) {
      Set_Mouse_Position(x, 0);
      f_screen->TimerFired(0.05f);
      f_device->BeginScene();
      f_screen->m_Render(0.05);
      Help_Text_Draw();
      f_device->EndScene();
    }
    f_screen->m_Mouse_Down(MB_LEFT, 0, 900, 60);
    f_screen->m_Mouse_Wheel(0, 3, 512, 384);
  }
}


// The nation's name ends before the date's icon at x 185, shortened at a
// whole character with "..." when it is longer (7 pixels a byte here).
TEST_F(Main_Screen, ALongNationNameInTheStatusBarEndsBeforeTheDate) {
  TJournal journal;
  TFake_Text_Link text(journal);
  Set_Gui_Text_Link(&text);
  f_screen->m_Set_Screen_Mode(TScreen_Mode::Map);
  const std::int32_t name_x = Game_Settings.f_flag_width + 5;
  const std::string prefix = "text " + std::to_string(name_x) + ",3 ";
  const struct {
    std::string name;
    bool shortened;
  } cases[] = {{"Norvik", false},
               {"Grand Federation of the Northern Isles", true},
               {"F\xC3\xA9" "d\xC3\xA9" "ration \xC3\x89\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    f_empires.m_Get_Empire(1)->m_Set_Nation_Name(c.name);
    journal.clear();
    f_screen->m_Draw(0.0);
    std::string shown;
    for (const std::string& e : journal)
      if (e.rfind(prefix, 0) == 0) shown = e.substr(e.find(' ', prefix.size() - 1) + 1).substr(9);
    ASSERT_FALSE(shown.empty());
    EXPECT_LE(name_x + std::int32_t(shown.size()) * 7, 182);
    if (!c.shortened) {
      EXPECT_EQ(shown, c.name);
      continue;
    }
    ASSERT_GE(shown.size(), 4u);
    EXPECT_EQ(shown.substr(shown.size() - 3), "...");
    const std::string kept = shown.substr(0, shown.size() - 3);
    EXPECT_EQ(c.name.rfind(kept, 0), 0u);
    // Cut at a character's boundary: the next byte of the name starts a character.
    EXPECT_NE(static_cast<unsigned char>(c.name[kept.size()]) & 0xC0u, 0x80u);
    EXPECT_GT(kept.size(), 10u);
  }
  Set_Gui_Text_Link(nullptr);
}

}  // namespace

// In a network game Enter opens the chat panel with its line ready for
// typing; while it shows, letters and arrows belong to the line (no order
// starts, the view stays), the pointer resting on the panel at the screen's
// edge pans nothing, and Enter sends the line.
TEST_F(Main_Screen, TheChatPanelIsFoundByNameAndTakesTheKeysWhileItShows) {
  TDC_Main_Chat* chat = dynamic_cast<TDC_Main_Chat*>(f_screen->m_Get_Dialog("DC Main Chat"));
  ASSERT_EQ(chat, &f_screen->m_Chat());
  EXPECT_FALSE(chat->m_Visible());
  // Outside network games Enter does nothing.
  std::uint16_t key = VK_RETURN;
  f_screen->m_Key_Down(key, 0);
  EXPECT_FALSE(chat->m_Visible());
  Game_Settings.f_game_kind = 3;
  key = VK_RETURN;
  EXPECT_TRUE(f_screen->m_Key_Down(key, 0));
  EXPECT_TRUE(chat->m_Visible());
  EXPECT_TRUE(chat->m_Edit().m_Focused());
  f_screen->m_Set_Camera({3000, 1500, -1500}, {}, true, {0, 1, 0});
  for (std::uint16_t k : {std::uint16_t('M'), std::uint16_t('A'), std::uint16_t(37), std::uint16_t(38)}) {
    key = k;
    f_screen->m_Key_Down(key, 0);
  }
  EXPECT_EQ(chat->m_Edit().m_Text(), "ma");
  EXPECT_EQ(f_screen->m_Order_Mode(), TOrder_Mode::None);
  EXPECT_FLOAT_EQ(Eye().x, 3000);
  EXPECT_FLOAT_EQ(Eye().y, 1500);
  // The pointer on the panel at the right edge.
  Set_Mouse_Position(1023, chat->m_Y() + 10);
  f_screen->m_On_Timer(0.1f);
  EXPECT_FLOAT_EQ(Eye().x, 3000);
  // Enter sends the line (here: to nobody) and empties it; the panel stays.
  key = VK_RETURN;
  f_screen->m_Key_Down(key, 0);
  EXPECT_EQ(chat->m_Edit().m_Text(), "");
  EXPECT_TRUE(chat->m_Visible());
  // An arriving line shows in the panel.
  f_screen->m_Chat_Add_Line("Bob: hello");
  ASSERT_GT(chat->m_List().m_Get_Row_Count(), 0);
  EXPECT_EQ(chat->m_List().m_Get_Row_Text(chat->m_List().m_Get_Row_Count()), "Bob: hello");
  // Enter on the empty line hides the panel; a line arriving then shows
  // among the notices over the map.
  key = VK_RETURN;
  f_screen->m_Key_Down(key, 0);
  EXPECT_FALSE(chat->m_Visible());
  f_screen->m_Chat_Add_Line("Bob: are you there?");
  EXPECT_EQ(f_screen->m_Notices().front(), "Bob: are you there?");
  // A line without a sender (the network joins it as ": text") shows its
  // text alone, in the panel and among the notices.
  f_screen->m_Chat_Add_Line(": Player Bob disconnected.");
  EXPECT_EQ(chat->m_List().m_Get_Row_Text(chat->m_List().m_Get_Row_Count()), "Player Bob disconnected.");
  EXPECT_EQ(f_screen->m_Notices()[1], "Player Bob disconnected.");
}

// A game's opening view stays where it was put while the pointer rests at
// the edge (as on the setup dialog's OK button); once the pointer has been
// away from the edges, the edge pans again.
TEST_F(Main_Screen, TheEdgePansOnlyOnceThePointerHasBeenAwayAfterTheViewOpened) {
  f_screen->m_Set_Screen_Mode(TScreen_Mode::Map);
  Game_Settings.f_camera_eye = {3000, 1500, -1500};
  Game_Settings.f_camera_look_at = {3000, 1500, 0};
  Set_Mouse_Position(883, 755);
  f_screen->m_Reset_View();
  for (int frame = 0; frame < 20; ++frame) f_screen->m_On_Timer(0.1f);
  EXPECT_FLOAT_EQ(Eye().y, 1500);
  Set_Mouse_Position(512, 384);
  f_screen->m_On_Timer(0.1f);
  Set_Mouse_Position(500, 767);
  f_screen->m_On_Timer(0.1f);
  EXPECT_NEAR(Eye().y, 1400, 0.01);
}

// What the screen draws itself has its help: the status bar's four parts in
// the map mode, the battle's header in the battle mode.
TEST_F(Main_Screen, TheStatusBarAndTheBattleHeaderHaveHelpAreas) {
  struct TCase {
    TScreen_Mode mode;
    std::int32_t x, y, group, entry;
  } cases[] = {{TScreen_Mode::Map, 90, 10, 9, 1},     {TScreen_Mode::Map, 220, 10, 9, 2},
               {TScreen_Mode::Map, 90, 32, 9, 3},     {TScreen_Mode::Map, 220, 32, 9, 4},
               {TScreen_Mode::Battle, 100, 10, 19, 1}, {TScreen_Mode::Battle, 300, 30, 19, 4},
               {TScreen_Mode::Battle, 800, 30, 19, 8}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    f_screen->m_Set_Screen_Mode(c.mode);
    Help_Text_Reset();
    Set_Mouse_Position(c.x, c.y);
    f_device->BeginScene();
    f_screen->m_Render(0.0);
    f_device->EndScene();
    EXPECT_EQ(Help_Text_Current().dialog, c.group);
    EXPECT_EQ(Help_Text_Current().entry, c.entry);
  }
}

// Esc with a drop-down list open on a panel of the screen closes the list
// and nothing else (the pending order stays).
TEST_F(Main_Screen, EscapeWithAPanelsListOpenClosesOnlyTheList) {
  TDC_Combobox combo;
  combo.m_Set_Name_And_Bounds("Combobox Test", 600, 300, 171, 22);
  combo.m_Add_Item("One", "1");
  combo.m_Add_Item("Two", "2");
  combo.m_Set_Visible(true);
  f_screen->Add_Child_Control(&combo);
  combo.m_Drop_Button().OnClick(combo.m_Drop_Button().m_Name(), MB_LEFT, 0);
  ASSERT_TRUE(combo.m_List_Open());
  std::uint16_t key = 27;
  EXPECT_TRUE(f_screen->m_Key_Down(key, 0));
  EXPECT_FALSE(combo.m_List_Open());
  f_screen->Remove_Child_Control(&combo);
}
