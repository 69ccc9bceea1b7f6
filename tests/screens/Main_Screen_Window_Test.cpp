// The main screen in a real window (OpenGL, 1024 x 768) on a world generated
// from a fixed seed: what it shows, and how the arrow keys, the mouse at
// the screen's edge, the wheel and the overview map move the view. Needs a
// display; without one the tests are skipped. With GLOBARCH_SCREENSHOT_DIR
// set, every frame read back is also written there as a bitmap.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "DC_Main.h"
#include "DC_Main_OverviewMap.h"
#include "DC_Main_Transport_Units.h"
#include "Display_HelpText.h"
#include "GraphicsEngine_Culling.h"
#include "Render_Device_OpenGL.h"
#include "Screen_Window.h"
#include "Screen_World.h"
#include "Test_Support.h"
#include "Vector_Math.h"

namespace {

constexpr std::uint32_t W = 1024, H = 768;

using TFrame = TWindow_Frame;

// Mean difference of the colour channels over a rectangle, the second
// frame's pixels taken `shift` pixels to the left.
double Mean_Difference(const TFrame& a, const TFrame& b, std::int32_t left, std::int32_t top, std::int32_t right,
                       std::int32_t bottom, std::int32_t shift = 0) {
  double sum = 0;
  std::int64_t n = 0;
  for (std::int32_t y = top; y < bottom; ++y)
    for (std::int32_t x = left; x < right; ++x) {
      const TColor p = a.At(x, y), q = b.At(x - shift, y);
      for (int s : {0, 8, 16}) sum += std::abs(int((p >> s) & 255) - int((q >> s) & 255));
      ++n;
    }
  return n ? sum / double(n) / 3.0 : 0.0;
}

class Main_Screen_Window : public ::testing::Test {
 protected:
  // One window and one generated world serve every test of the suite.
  static void SetUpTestSuite() {
    if (!Screen_Window_Display_Available()) return;
    if (!Screen_Window_Open("Globarch main screen test", W, H, s_system, s_device, s_world)) return;
    for (std::uint8_t n = 1; n <= 5; ++n) s_colours.push_back(s_world->empires.m_Get_Empire(n)->m_Get_Color());
    s_ready = true;
  }
  static void TearDownTestSuite() {
    Screen_Window_Close(s_system, s_device, s_world);
    s_colours.clear();
    s_ready = false;
  }

  void SetUp() override {
    if (!Screen_Window_Display_Available()) GTEST_SKIP() << "no display: the main screen's window is not tested";
    ASSERT_TRUE(s_ready) << "no window or world: " << OpenGL_Last_Error();
    f_device = s_device.get();
    f_world = s_world;
    for (std::uint8_t n = 1; n <= 5; ++n) f_world->empires.m_Get_Empire(n)->m_Set_Color(s_colours[n - 1u]);
    Help_Text_Reset();
    Set_Mouse_Position(512, 384);
    f_screen = std::make_unique<TDC_Main>();
    f_screen->m_Set_Position("Main Window", 0, 0, false);
    f_screen->m_Set_Visible(true);
    Game_Settings.f_camera_eye = {700, 700, -1500};
    Game_Settings.f_camera_look_at = {700, 700, 0};
    Game_Settings.f_camera_up = {0, 1, 0};
    f_screen->m_Reset_View();
  }
  void TearDown() override {
    f_screen.reset();
    Set_Mouse_Position(0, 0);
  }

  // One frame: the timer pass, the drawing, the pixels read back.
  TFrame Frame(const std::string& name, float elapsed = 0.0f) {
    f_screen->TimerFired(elapsed);
    f_device->BeginScene();
    G_Main_Clear(0xFF000000u);
    f_screen->m_Render(elapsed);
    Help_Text_Draw();
    f_device->EndScene();
    TFrame frame = Screen_Window_Read_Frame(f_device, name);
    EXPECT_EQ(frame.width, W);
    EXPECT_EQ(frame.height, H);
    return frame;
  }

  const TVector& Eye() const { return Game_Settings.f_camera_eye; }

  static inline std::unique_ptr<TRender_System> s_system;
  static inline std::unique_ptr<TRender_Device> s_device;
  static inline TScreen_World* s_world = nullptr;
  static inline std::vector<TColor> s_colours;
  static inline bool s_ready = false;
  TRender_Device* f_device = nullptr;
  TScreen_World* f_world = nullptr;
  std::unique_ptr<TDC_Main> f_screen;
};

TEST_F(Main_Screen_Window, AGeneratedWorldShowsSectionsOwnerTintsAndUnitStacks) {
  const TFrame shown = Frame("world");
  // The map fills the screen around the panels: hardly a black pixel.
  std::int64_t black = 0;
  for (std::int32_t y = 200; y < 700; ++y)
    for (std::int32_t x = 100; x < 900; ++x) black += (shown.At(x, y) & 0xFFFFFFu) == 0;
  EXPECT_LT(black, 400 * 80);
  // The overview map shows the world in the top right corner.
  EXPECT_NE(shown.At(1024 - 129, 65) & 0xFFFFFFu, 0u);
  // Owner tints: another colour for every nation changes the owned land.
  for (std::uint8_t n = 1; n <= 4; ++n) f_world->empires.m_Get_Empire(n)->m_Set_Color(Make_Color(0, 255, 255));
  const TFrame recoloured = Frame("recoloured");
  EXPECT_GT(Mean_Difference(shown, recoloured, 0, 150, 1024, 600), 1.0);
  // Unit stacks: without them the frame changes where they stood.
  for (std::uint8_t n = 1; n <= 4; ++n) f_world->empires.m_Get_Empire(n)->m_Set_Color(shown.pixels.at(0));
  const TFrame before = Frame("stacks");
  for (std::int32_t id = 1; id <= f_world->map.m_Get_Unit_Count(); ++id) f_world->map.m_Delete_Unit(id);
  const TFrame without = Frame("no_stacks");
  EXPECT_GT(Mean_Difference(before, without, 0, 150, 1024, 600), 0.2);
  // A white unit count needs the camera near; far off none is drawn.
  EXPECT_GT(Eye().z, -2000.0f);
}

TEST_F(Main_Screen_Window, ArrowKeysTheScreenEdgeTheWheelAndTheOverviewMoveTheView) {
  const TFrame start = Frame("start");
  const TVector eye = Eye();
  // Right arrow: 200 map units to the right; the map moves left on the
  // screen by the same amount in pixels at this height.
  std::uint16_t key = 39;
  EXPECT_TRUE(f_screen->m_Key_Down(key, 0));
  EXPECT_FLOAT_EQ(Eye().x, eye.x + 200);
  const TFrame right = Frame("arrow_right");
  const float pixels = 200.0f * (float(H) / 2.0f) / (-eye.z * std::tan(0.7853982f / 2.0f));
  const std::int32_t shift = std::int32_t(std::lround(pixels));
  const double same_place = Mean_Difference(right, start, 300, 200, 700, 600);
  const double shifted = Mean_Difference(right, start, 300, 200, 700, 600, -shift);
  EXPECT_GT(same_place, 4 * shifted) << same_place << " vs " << shifted << " at " << shift;
  // The mouse at the bottom edge pans down at 1000 units a second.
  Set_Mouse_Position(512, int(H) - 5);
  const TFrame panned = Frame("edge_bottom", 0.1f);
  EXPECT_NEAR(Eye().y, eye.y - 100, 0.01);
  EXPECT_GT(Mean_Difference(panned, right, 0, 150, 1024, 600), 1.0);
  Set_Mouse_Position(512, 384);
  // The wheel brings the camera nearer.
  EXPECT_TRUE(f_screen->m_Mouse_Wheel(0, 2, 512, 384));
  EXPECT_NEAR(Eye().z, eye.z + 400, 0.01);
  const TFrame zoomed = Frame("wheel");
  EXPECT_GT(Mean_Difference(zoomed, panned, 0, 150, 1024, 600), 1.0);
  // A press on the overview map centres the view on that point.
  TDC_Main_Overview_Map& overview = f_screen->m_Overview_Map();
  f_screen->m_Mouse_Down(MB_LEFT, 0, overview.m_X() + 200, overview.m_Y() + 100);
  EXPECT_NEAR(Eye().x, 199.0f / 256.0f * float(f_world->map.m_Get_Pixel_Width()), 0.5);
  EXPECT_NEAR(Eye().y, float(f_world->map.m_Get_Pixel_Height()) * (1.0f - 99.0f / 128.0f), 0.5);
  const TFrame centred = Frame("overview_click");
  EXPECT_GT(Mean_Difference(centred, zoomed, 0, 150, 1024, 600), 1.0);
  // The overview's frame follows around the pressed point.
  EXPECT_LT(overview.m_View_Rect().Left, 199);
  EXPECT_GT(overview.m_View_Rect().Right, 199);
  EXPECT_GT(overview.m_View_Rect().Left, 100);
}

}  // namespace

namespace {

// A land region of the player with units, the sea beside it and a transport
// type that carries the region's first unit.
struct TShore {
  std::int32_t land = 0, sea = 0, unit = 0;
  std::uint16_t transport_type = 0;
};
TShore Find_Shore(TMap& map, std::uint8_t player) {
  TShore s;
  for (std::int32_t t = 1; t <= Unit_Type_List->m_Count() && !s.transport_type; ++t)
    if (Unit_Type_List->m_Get_Item(t)->f_transporting_capacity > 0 &&
        Unit_Type_List->m_Get_Item(t)->f_movement_type == 3)
      s.transport_type = std::uint16_t(t);
  for (std::int32_t id = 1; id <= map.m_Get_Region_Count() && !s.sea; ++id) {
    const TMap_Region* r = map.m_Get_Region(id);
    if (!r || r->m_Get_Type() != REGION_LAND || r->m_Get_Owner() != player || r->m_Get_Unit_Count() == 0) continue;
    for (std::int32_t c = 1; c <= r->m_Get_Connection_Count(); ++c) {
      const TMap_Region* n = map.m_Get_Region(r->m_Get_Connection(c));
      if (n && n->m_Get_Type() == REGION_OCEAN) {
        s.land = id;
        s.sea = r->m_Get_Connection(c);
        s.unit = r->m_Get_Unit_Id(1);
        break;
      }
    }
  }
  return s;
}

}  // namespace

TEST_F(Main_Screen_Window, TheInfoBoxDescribesRegionsStacksAndUnitsAndThePanelShowsCargo) {
  TMap& map = f_world->map;
  const TShore shore = Find_Shore(map, 1);
  ASSERT_NE(shore.sea, 0);
  ASSERT_NE(shore.transport_type, 0);
  const TMap_Region* land = map.m_Get_Region(shore.land);
  const TRegion_Label_Values& label = land->m_Get_Label_Values();
  f_screen->m_Center_Camera_On({float(label.centre_x), float(map.m_Get_Pixel_Height() - label.centre_y), -1200.0f});
  const TFrame plain = Frame("info_none");
  const std::int32_t B = std::int32_t(H);
  f_screen->m_Set_Info_Box(true, false, TInfo_Box_Kind::Region, shore.land, 0);
  const TFrame region = Frame("info_region");
  EXPECT_EQ(f_screen->m_Info_Box().title, land->m_Get_Name());
  EXPECT_GT(Mean_Difference(plain, region, 0, B - 152, 600, B), 2.0);
  f_screen->m_Set_Info_Box(true, false, TInfo_Box_Kind::Stack, shore.unit, 0);
  const TFrame stack = Frame("info_stack");
  EXPECT_GT(Mean_Difference(region, stack, 190, B - 152, 900, B), 2.0);
  f_screen->m_Set_Info_Box(true, false, TInfo_Box_Kind::Unit, shore.unit, 0);
  EXPECT_EQ(f_screen->m_Info_Box().rows.size(), 1u);
  Frame("info_unit");

  // A transport at sea with the region's unit aboard and another waiting.
  const std::int32_t ship = map.m_Add_Unit(shore.sea, shore.transport_type, 1, 2, 0);
  ASSERT_TRUE(map.m_Get_Region(shore.sea)->m_Add_Unit(ship));
  // The first unit of the region that fits goes aboard.
  bool loaded = false;
  for (std::int32_t i = 1; i <= land->m_Get_Unit_Count() && !loaded; ++i)
    loaded = map.m_Add_Unit_To_Cargo(ship, land->m_Get_Unit_Id(i), false, true);
  EXPECT_TRUE(loaded);
  f_screen->m_Set_Info_Box(false, false, TInfo_Box_Kind::None, 0, 0);
  f_screen->m_Toggle_Unit(ship);
  ASSERT_EQ(f_screen->m_Group_Count(), 1);
  const TFrame selected = Frame("selection");
  const auto panel = f_screen->m_Group_Panel_Rect();
  EXPECT_GT(Mean_Difference(plain, selected, panel[0], panel[1], panel[0] + panel[2], panel[1] + panel[3]), 2.0);
  f_screen->m_Order_Button_Click("DC_MAIN_ORDER_BUTTON_6");
  ASSERT_NE(f_screen->m_Transport_Panel(), nullptr);
  EXPECT_EQ(f_screen->m_Transport_Panel()->m_Transports().size(), loaded ? 2u : 1u);
  const TFrame transport = Frame("transport_panel");
  const TDisplay_Class& p = *f_screen->m_Transport_Panel();
  const TColor inside = transport.At(p.m_X() + p.m_Width() - 30, p.m_Y() + p.m_Height() - 20);
  EXPECT_EQ(inside & 0xFFFFFFu, Make_Color(34, 34, 34) & 0xFFFFFFu);
  // The pointer on the transport's icon shows it in the info box over the panel.
  const TDC_List& list = const_cast<TDC_Main_Transport_Units&>(*f_screen->m_Transport_Panel()).m_Transport_List();
  Set_Mouse_Position(list.m_X() + 10, list.m_Y() + 10);
  Frame("transport_panel_hover");
  EXPECT_EQ(f_screen->m_Info_Box().subject, ship);
}
