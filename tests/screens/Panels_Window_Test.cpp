// The purchase panels, the statistics, log and politics dialogs and the
// battle dialogs in a real window (OpenGL, 1024 x 768) over a world
// generated from a fixed seed, each opened through the main screen by its
// display name: what they draw and how they answer clicks. Needs a display;
// without one the tests are skipped. With GLOBARCH_SCREENSHOT_DIR set, each
// frame read back is also written there as a bitmap.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Combat.h"
#include "DC_Dlg_Combat.h"
#include "DC_Dlg_Log.h"
#include "DC_Dlg_Politics.h"
#include "DC_Dlg_Statistics.h"
#include "DC_Main.h"
#include "DC_Main_Purchases_Items.h"
#include "DC_Main_Purchases_List.h"
#include "Datafile_Tech.h"
#include "Datafile_UserSettings.h"
#include "Display_HelpText.h"
#include "EventLog.h"
#include "GraphicsEngine_Culling.h"
#include "Gui_Links.h"
#include "MessageLog.h"
#include "Render_Device_OpenGL.h"
#include "Screen_Window.h"
#include "Screen_World.h"
#include "Test_Support.h"
#include "Vector_Math.h"
#include "World_Unit_Facts.h"

namespace {

constexpr std::uint32_t W = 1024, H = 768;

// Notes the battle's steps that the dialogs' closing starts.
class TBattle_Steps : public TCombat_Links {
public:
  void m_Next_Piece() override { steps.push_back("next piece"); }
  void m_Completed() override { steps.push_back("completed"); }
  std::vector<std::string> steps;
};

using TFrame = TWindow_Frame;

// The title bar (the top 24 rows of a dialog or panel) shows `title` in
// white letters from x + 8, and no white beyond the title's width.
::testing::AssertionResult Title_Shown(const TFrame& f, const TDisplay_Class& d, const char* title) {
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(4);
  std::int32_t tw = 0, th = 0;
  font.m_Get_Text_Extents(title, tw, th);
  if (tw < 20) return ::testing::AssertionFailure() << "no width for \"" << title << "\"";
  std::int32_t inside = 0, outside = 0;
  for (std::int32_t y = d.m_Y(); y < d.m_Y() + 24; ++y)
    for (std::int32_t x = d.m_X(); x < d.m_X() + d.m_Width(); ++x) {
      const TColor c = f.At(x, y);
      if (((c >> 16) & 255) < 230 || ((c >> 8) & 255) < 230 || (c & 255) < 230) continue;
      (x >= d.m_X() + 8 && x < d.m_X() + 9 + tw ? inside : outside) += 1;
    }
  if (inside > 40 && outside == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\"" << title << "\": " << inside << " white pixels in the title, "
                                       << outside << " beyond it";
}

class Panels_Window : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    const char* x = std::getenv("DISPLAY");
    if (!x || !*x) return;
    if (!Screen_Window_Open("Globarch panels test", W, H, s_system, s_device, s_world,
                            [] { return Datafile_Tech_Load(Path_Settings->m_Get_Technology_File(), nullptr); }))
      return;
    Panels_Register_Dialogs();
    s_ready = true;
  }
  static void TearDownTestSuite() {
    Datafile_Tech_Free();
    Screen_Window_Close(s_system, s_device, s_world);
    s_ready = false;
  }

  void SetUp() override {
    const char* x = std::getenv("DISPLAY");
    if (!x || !*x) GTEST_SKIP() << "no display: the panels' window is not tested";
    ASSERT_TRUE(s_ready) << "no window or world: " << OpenGL_Last_Error();
    f_device = s_device.get();
    f_world = s_world;
    Help_Text_Reset();
    Set_Mouse_Position(512, 384);
    Event_Log_Create();
    G_Message_Log = &f_messages;
    Game_Settings.f_local_empire = 1;
    Game_Settings.f_turn_empire = 1;
    Game_Settings.f_game_kind = 2;
    Game_Settings.f_game_date = 20152;
    for (std::uint8_t n = 1; n <= 5; ++n) {
      TEmpire& e = *f_world->empires.m_Get_Empire(n);
      e.m_Resize_Known_Regions(f_world->map.m_Get_Region_Count());
      e.m_Set_All_Regions_Known(true);
      e.m_Init_Tech_Levels(0);
      e.m_Set_Treasury(5000);
    }
    f_screen = std::make_unique<TDC_Main>();
    f_screen->m_Set_Position("Main Window", 0, 0, false);
    f_screen->m_Set_Visible(true);
    f_screen->m_Close_Child_Dialogs();
    f_screen->m_Set_Screen_Mode(TScreen_Mode::Map);
    Game_Settings.f_camera_eye = {700, 700, -1500};
    Game_Settings.f_camera_look_at = {700, 700, 0};
    Game_Settings.f_camera_up = {0, 1, 0};
    f_screen->m_Reset_View();
  }
  void TearDown() override {
    f_screen.reset();
    G_Message_Log = nullptr;
    Event_Log_Free();
    G_Combat = TCombat_State();
    Set_Mouse_Position(0, 0);
  }

  TFrame Frame(const std::string& name, float elapsed = 0.0f) {
    f_screen->TimerFired(elapsed);
    f_screen->m_Kill_Any_Dead_Controls();
    f_device->BeginScene();
    G_Main_Clear(0xFF000000u);
    f_screen->m_Render(elapsed);
    f_device->EndScene();
    return Screen_Window_Read_Frame(f_device, "panels_" + name);
  }

  // A region the first nation owns, and one of another nation.
  std::int32_t Owned_Region(std::uint8_t owner) const {
    for (std::int32_t i = 1; i <= f_world->map.m_Get_Region_Count(); ++i) {
      const TMap_Region* r = f_world->map.m_Get_Region(i);
      if (r && r->m_Get_Owner() == owner && r->m_Get_Type() == REGION_LAND) return i;
    }
    return 0;
  }
  // The first unit type of a movement type.
  std::uint16_t Unit_Type_Of(std::uint8_t movement) const {
    for (std::int32_t t = 1; t <= World_Unit_Type_Count(); ++t)
      if (World_Unit_Type(t)->f_movement_type == movement) return std::uint16_t(t);
    return 0;
  }
  void Click(TDisplay_Class& control) {
    const std::int32_t x = control.m_X() + control.m_Width() / 2, y = control.m_Y() + control.m_Height() / 2;
    Set_Mouse_Position(x, y);
    f_screen->m_Mouse_Down(MB_LEFT, 0, x, y);
    f_screen->MouseUp(MB_LEFT, 0, x, y, false);
  }

  // A finished battle: the first nation's land units attacked the second's.
  void Battle(std::uint8_t winner) {
    const std::uint16_t land = Unit_Type_Of(UNIT_MOVEMENT_LAND), air = Unit_Type_Of(UNIT_MOVEMENT_AIR);
    G_Combat = TCombat_State();
    G_Combat.region = Owned_Region(2);
    G_Combat.attacker = 1;
    G_Combat.defender = 2;
    G_Combat.winner = winner;
    const TCombat_Starting_Unit units[] = {{land, 1, 12, 3}, {air, 1, 4, 1}, {land, 2, 9, 9}, {air, 2, 2, 0}};
    for (const TCombat_Starting_Unit& u : units) G_Combat.starting[std::size_t(G_Combat.starting_count++)] = u;
  }

  static inline std::unique_ptr<TRender_System> s_system;
  static inline std::unique_ptr<TRender_Device> s_device;
  static inline TScreen_World* s_world = nullptr;
  static inline bool s_ready = false;
  TRender_Device* f_device = nullptr;
  TScreen_World* f_world = nullptr;
  std::unique_ptr<TDC_Main> f_screen;
  TMessage_Log f_messages;
};

TEST_F(Panels_Window, PurchasesListUnitsAndResearchAndAddsToTheQueue) {
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Purchases", 0, 0));
  auto* list = dynamic_cast<TDC_Main_Purchases_List*>(f_screen->m_Get_Dialog("DC Main Purchases List"));
  auto* items = dynamic_cast<TDC_Main_Purchases_Items*>(f_screen->m_Get_Dialog("DC Main Purchases Items"));
  ASSERT_TRUE(list && items);
  EXPECT_TRUE(f_screen->m_Panels_Locked());
  EXPECT_EQ(list->m_Y(), 134);
  EXPECT_EQ(items->m_X(), 1024 - 280);
  ASSERT_GT(items->m_Row_Count(), 0);
  // The regions where the chosen unit may be placed are highlighted.
  EXPECT_FALSE(f_screen->m_Highlighted_Regions().empty());
  // Without a target region: the message, nothing queued.
  items->m_Click_Add();
  ASSERT_NE(f_screen->m_Message_Dialog(), nullptr);
  EXPECT_EQ(f_world->empires.m_Get_Empire(1)->m_Get_Purchase_Count(), 0);
  f_screen->m_Close_Child_Dialogs();
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Purchases", 0, 0));
  items = dynamic_cast<TDC_Main_Purchases_Items*>(f_screen->m_Get_Dialog("DC Main Purchases Items"));
  list = dynamic_cast<TDC_Main_Purchases_List*>(f_screen->m_Get_Dialog("DC Main Purchases List"));
  // A unit type without a limit per region.
  for (std::int32_t row = 1; row <= items->m_Row_Count(); ++row)
    if (World_Unit_Type(items->m_Row_Item(row))->f_maximum_per_region == 0) {
      items->m_List().m_Select_Row(row);
      items->m_List().OnSelect("", row, "", "");
      break;
    }
  ASSERT_FALSE(f_screen->m_Highlighted_Regions().empty());
  f_screen->m_Set_Purchase_Target(f_screen->m_Highlighted_Regions().front());
  items->m_Set_Amount_Text("3");
  items->m_Click_Add();
  TEmpire& e = *f_world->empires.m_Get_Empire(1);
  ASSERT_EQ(e.m_Get_Purchase_Count(), 1);
  TEmpire_Purchase p;
  e.m_Get_Purchase(1, p);
  EXPECT_EQ(p.amount, 3);
  EXPECT_EQ(p.cost, std::int64_t(World_Unit_Type(p.id)->f_cost) * 3);
  // A research step from the technology page.
  items->m_Choose_Type(5);
  EXPECT_EQ(items->m_Mode(), TPurchase_Items_Mode::Technology);
  EXPECT_FALSE(items->m_Amount_Box().m_Enabled());
  ASSERT_GT(items->m_Row_Count(), 0);
  items->m_Click_Add();
  ASSERT_EQ(e.m_Get_Purchase_Count(), 2);
  const TFrame techs = Frame("purchases_technology");
  EXPECT_EQ(list->m_List().m_Get_Row_Count(), 2);
  EXPECT_EQ(list->m_Total_Cost(), Purchase_Queue_Total(e));
  EXPECT_GT(list->m_Total_Cost(), p.cost);
  // Both panels draw their backgrounds.
  EXPECT_GT(techs.Lit(2, 140, 278, 610), 100000);
  EXPECT_GT(techs.Lit(746, 140, 1022, 610), 100000);
  // The list's title bar carries the panel's title.
  EXPECT_TRUE(Title_Shown(techs, *list, Purchases_List_Title));
  // Both totals are named on their lines, in the rows' label colour, between
  // the Delete Item button and the value.
  {
    const TColor label = User_Settings.m_Get_Label_Text_Color();
    const std::int32_t h = list->m_Get_Height();
    const std::int32_t left = list->m_X() + 96, right = list->m_X() + Purchases_List_Total_X;
    for (std::int32_t i = 0; i < 2; ++i) {
      std::int32_t named = 0;
      for (std::int32_t y = list->m_Y() + h - 29 + 13 * i; y < list->m_Y() + h - 16 + 13 * i; ++y)
        for (std::int32_t x = left; x < right; ++x) {
          const TColor c = techs.At(x, y);
          auto near = [&](int shift) { return std::abs(int((c >> shift) & 255) - int((label >> shift) & 255)) < 24; };
          named += near(16) && near(8) && near(0);
        }
      EXPECT_GT(named, 20) << "\"" << Purchases_List_Total_Labels[i] << "\" is not shown";
    }
  }
  items->m_Choose_Type(1);
  Frame("purchases_units");
  // Closing one panel closes both and unlocks the screen.
  Click(items->m_Add_Button());
  items->m_Button_Click("PURCHASES_CONTROL_BUTTON_CLOSE", 0);
  Frame("purchases_closed");
  EXPECT_EQ(f_screen->m_Get_Dialog("DC Main Purchases List"), nullptr);
  EXPECT_EQ(f_screen->m_Get_Dialog("DC Main Purchases Items"), nullptr);
  EXPECT_FALSE(f_screen->m_Panels_Locked());
  e.m_Clear_Purchases();
}

TEST_F(Panels_Window, StatisticsShowEachPage) {
  Empire_Update_All_Statistics();
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Statistics", 0, 0));
  auto* dialog = dynamic_cast<TDC_Dlg_Statistics*>(f_screen->m_Get_Dialog("Dlg Statistics"));
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->m_X(), 0);
  EXPECT_GT(dialog->m_Page().row_count, 0);
  const TFrame regions = Frame("statistics_regions");
  EXPECT_GT(regions.Lit(0, 0, 1024, 768), 700000);
  EXPECT_TRUE(Title_Shown(regions, *dialog, Statistics_Dialog_Title));
  // The three value columns are each headed, in the pale gold of the row
  // names, on the line between the nation's name and the first value.
  for (std::size_t r = 0; r < 3; ++r) {
    TGui_Text_Link& font = Gui_Text_Link();
    font.m_Set_Font(2);
    std::int32_t tw = 0, th = 0;
    font.m_Get_Text_Extents(Statistics_Record_Headings[r], tw, th);
    const std::int32_t left = dialog->m_X() + Statistics_Record_Column_X[r];
    const std::int32_t top = dialog->m_Y() + Statistics_Record_Heading_Y;
    std::int32_t gold = 0;
    for (std::int32_t y = top; y < top + 14; ++y)
      for (std::int32_t x = left; x < left + tw; ++x) {
        const TColor c = regions.At(x, y);
        const std::int32_t red = (c >> 16) & 255, green = (c >> 8) & 255, blue = c & 255;
        gold += red > 190 && green > 180 && red - blue > 35;
      }
    EXPECT_GT(gold, 15) << "no heading \"" << Statistics_Record_Headings[r] << "\" over column " << r + 1;
    EXPECT_LT(left + tw, r < 2 ? dialog->m_X() + Statistics_Record_Column_X[r + 1] : dialog->m_X() + 490);
  }
  for (std::int32_t page = 2; page <= 4; ++page) {
    dialog->m_Build_Page(page);
    Frame("statistics_page_" + std::to_string(page));
    EXPECT_EQ(dialog->m_Page().page, page);
  }
  std::uint16_t esc = 27;
  EXPECT_TRUE(f_screen->m_Key_Down(esc, 0));
  Frame("statistics_closed");
  EXPECT_EQ(f_screen->m_Get_Dialog("Dlg Statistics"), nullptr);
}

TEST_F(Panels_Window, TheLogShowsABattleReportAndABombardment) {
  Battle(1);
  std::vector<TEvent_Log_Combat_Row> rows;
  for (std::int32_t i = 0; i < G_Combat.starting_count; ++i) {
    const TCombat_Starting_Unit& u = G_Combat.starting[std::size_t(i)];
    rows.push_back({u.unit_type, u.owner, u.starting_count, u.destroyed_count});
  }
  G_Event_Log->m_Add_Combat(20151, 1, rows, true, G_Combat.region, 2, 1, 2);
  G_Event_Log->m_Add_Bombardment(20151, 2, 2, BOMBARD_KILLED, 1, "Infantry", Owned_Region(1));
  G_Event_Log->m_Add_Collect_Resources(20151, 1, 1250);
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Log", 0, 0));
  auto* dialog = dynamic_cast<TDC_Dlg_Log*>(f_screen->m_Get_Dialog("Dlg Log"));
  ASSERT_NE(dialog, nullptr);
  EXPECT_GT(dialog->m_List().m_Get_Row_Count(), 10);
  EXPECT_EQ(dialog->m_Summary()[0][0], 1);
  EXPECT_EQ(dialog->m_Summary()[0][3], 1250);
  dialog->m_List().m_Select_Row(2);
  const TFrame shown = Frame("log");
  EXPECT_GT(shown.Lit(0, 0, 1024, 768), 700000);
  EXPECT_TRUE(Title_Shown(shown, *dialog, Log_Dialog_Title));
  std::uint16_t esc = 27;
  EXPECT_TRUE(f_screen->m_Key_Down(esc, 0));
  Frame("log_closed");
  EXPECT_EQ(f_screen->m_Get_Dialog("Dlg Log"), nullptr);
}

TEST_F(Panels_Window, PoliticsAndTheComposerOpenOnlyByName) {
  auto add = [this](std::int32_t id, std::int32_t date, std::uint8_t from, std::uint8_t to, std::uint8_t type,
                    const std::string& text) {
    auto m = std::make_unique<TMessage_Log_Item>();
    m->f_id = id;
    m->f_date = date;
    m->f_from = from;
    m->f_to = to;
    m->f_message_type = type;
    m->f_text = text;
    f_messages.m_Add_Item(std::move(m));
  };
  add(1, 20152, 2, 1, 2, "Together against the north?");
  add(2, 20152, 1, 3, 1, "Our borders stay open.");
  add(3, 20148, 3, 1, 2, "An old offer.");
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Politics", 0, 0));
  auto* dialog = dynamic_cast<TDC_Dlg_Politics*>(f_screen->m_Get_Dialog("Dlg Politics"));
  ASSERT_NE(dialog, nullptr);
  ASSERT_EQ(dialog->m_Row_Count(), 3);
  // Newest first: the proposal received today may be answered.
  for (std::int32_t row = 1; row <= 3; ++row) {
    dialog->m_List().m_Select_Row(row);
    dialog->m_Update_Buttons();
    if (dialog->m_Button(3).m_Enabled()) break;
  }
  EXPECT_TRUE(dialog->m_Button(3).m_Enabled());
  EXPECT_TRUE(dialog->m_Button(4).m_Enabled());
  Frame("politics");
  dialog->m_Button_Click("POLITICS_CONTROL_BUTTON_ACCEPT");
  ASSERT_NE(dialog->m_Composer(), nullptr);
  EXPECT_EQ(dialog->m_Composer()->m_Type().m_Get_Selected_Key(), "4");
  EXPECT_EQ(dialog->m_Composer()->m_Send_To().m_Get_Selected_Key(), "2");
  Frame("politics_send_message");
  dialog->m_Button_Click("POLITICS_CONTROL_BUTTON_SEND");  // one composer at a time
  dialog->m_Composer()->m_Button_Click("SENDMESSAGE_CONTROL_BUTTON_OK");
  Frame("politics_after_send");
  EXPECT_EQ(dialog->m_Composer(), nullptr);
  EXPECT_EQ(f_messages.m_Get_Count(), 3);
  Click(dialog->m_Button(1));
  Frame("politics_closed");
  EXPECT_EQ(f_screen->m_Get_Dialog("Dlg Politics"), nullptr);
}

TEST_F(Panels_Window, BattleBeginAndEndDialogs) {
  Battle(1);
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Combat Begin", 0, 0));
  auto* begin = dynamic_cast<TDC_Dlg_Combat*>(f_screen->m_Get_Dialog("Dlg Combat Begin"));
  ASSERT_NE(begin, nullptr);
  EXPECT_EQ(begin->m_X(), 112);
  EXPECT_EQ(begin->m_Y(), 84);
  ASSERT_EQ(begin->m_Icons().size(), 4u);
  EXPECT_EQ(begin->m_Icons()[0].count_text, "12");
  EXPECT_EQ(begin->m_Icons()[2].y, 438);
  const TFrame shown = Frame("combat_begin");
  EXPECT_GT(shown.Lit(112, 84, 912, 684), 400000);
  TBattle_Steps steps;
  Set_Combat_Links(&steps);
  Click(begin->m_Close_Button());
  Frame("combat_begin_closed");
  EXPECT_EQ(f_screen->m_Get_Dialog("Dlg Combat Begin"), nullptr);
  EXPECT_EQ(steps.steps, std::vector<std::string>{"next piece"});

  Battle(2);
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Combat End", 0, 0));
  auto* end = dynamic_cast<TDC_Dlg_Combat*>(f_screen->m_Get_Dialog("Dlg Combat End"));
  ASSERT_NE(end, nullptr);
  EXPECT_EQ(end->m_Words().title, "Attacker Defeat");
  EXPECT_EQ(end->m_Icons()[0].count_text, "9/12");
  EXPECT_EQ(end->m_Icons()[2].count_text, "0/9");
  Frame("combat_end_defeat");
  std::uint16_t esc = 27;
  EXPECT_TRUE(f_screen->m_Key_Down(esc, 0));
  Frame("combat_end_closed");
  EXPECT_EQ(f_screen->m_Get_Dialog("Dlg Combat End"), nullptr);
  EXPECT_EQ(steps.steps, (std::vector<std::string>{"next piece", "completed"}));
  Set_Combat_Links(nullptr);
  Battle(1);
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Combat End", 0, 0));
  Frame("combat_end_victory");
}

}  // namespace
