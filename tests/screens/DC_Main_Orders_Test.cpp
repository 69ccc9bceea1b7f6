// The main screen's selection and orders on a headless device over a small
// hand-built world with the game's action timer: group captions, the order
// buttons each selection enables, the highlighted regions of mixed groups,
// chained moves, trimmed paths, the end-of-turn checks, the transport
// panel's lists and clicks, and the keyboard shortcuts.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DC_Main.h"
#include "DC_Main_Transport_Units.h"
#include "Display_HelpText.h"
#include "GameSettings.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "Headless_Engine.h"
#include "MasterActionTimer.h"
#include "Render_Device_Headless.h"
#include "Test_Support.h"
#include "Vector_Math.h"
#include "rules/Turns_Fixture.h"

namespace {

class Main_Orders : public Turns_Test {
protected:
  void SetUp() override {
    Turns_Test::SetUp();
    f_device = Headless_Engine_Start(1024, 768);
    Master_Action_Timer = &timer;
    // A line of land regions 1-2-3-4, a sea region 5 beside 4, land 6 and 7
    // beside the sea.
    for (std::int32_t id = 1; id <= 4; ++id) Add_Region(id, REGION_LAND, 2, 2, 64 * (id - 1), 1);
    Add_Region(5, REGION_OCEAN, 2, 2, 256, 0);
    Add_Region(6, REGION_LAND, 2, 2, 320, 1);
    Add_Region(7, REGION_LAND, 2, 2, 384, 1);
    for (auto [a, b] : {std::pair{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {5, 7}}) Connect(a, b);
    map.m_Set_Pixel_Size(448, 64);
    Players({false, true});
    Game_Settings.f_local_empire = 1;
    Game_Settings.f_turn_empire = 1;
    Type(UT_BOAT).f_transporting_capacity = 4;
    Type(UT_BOAT).f_transporting_types.push_back({"Soldier", 1});
    Type(UT_CANNON).f_ranged_fire_range = 2;
    Help_Text_Reset();
    f_screen = std::make_unique<TDC_Main>();
    f_screen->m_Set_Position("Main Window", 0, 0, false);
    f_screen->m_Set_Visible(true);
    f_screen->m_Set_Screen_Mode(TScreen_Mode::Map);
  }
  void TearDown() override {
    f_screen.reset();
    Set_Mouse_Position(0, 0);
    for (const char* name : {"Dlg Game Menu", "Dlg Statistics", "Dlg Log"}) DC_Main_Register_Dialog(name, {});
    Master_Action_Timer = nullptr;
    G_Shutdown_GraphicsEngine();
    Render_Device_Set_Current(nullptr);
    f_device.reset();
    G_Culling_Reset();
    Turns_Test::TearDown();
  }

  bool Enabled(std::int32_t button) {
    return f_screen->m_Button("DC_MAIN_ORDER_BUTTON_" + std::to_string(button))->m_Enabled();
  }
  std::string Enabled_Buttons() {
    std::string s;
    for (std::int32_t b = 3; b <= 11; ++b) s += Enabled(b) ? '1' : '0';
    return s;
  }
  // Presses a key the way the main window hands it over.
  bool Key(std::uint16_t key) { return f_screen->m_Key_Down(key, 0); }

  std::unique_ptr<TRender_Device_Headless> f_device;
  std::unique_ptr<TDC_Main> f_screen;
};

TEST(Main_Group_Captions, ShortMiddleAndStackedForms) {
  struct TCase {
    std::int32_t chosen, available;
    std::vector<std::string> lines;
  } cases[] = {{0, 1, {"0 of 1"}},           {3, 999, {"3 of 999"}},       {1500, 1500, {"1500/1500"}},
               {7, 9999, {"7/9999"}},        {12000, 12000, {"12000", "of", "12000"}}};
  for (const TCase& c : cases) EXPECT_EQ(Main_Group_Caption(c.chosen, c.available), c.lines) << c.available;
}

TEST_F(Main_Orders, EachSelectionEnablesItsOrderButtons) {
  const std::int32_t soldier = Place(1, UT_SOLDIER, 1, 2);
  const std::int32_t tired = Place(2, UT_SOLDIER, 1, 0);
  const std::int32_t cannon = Place(3, UT_CANNON, 1, 2);
  const std::int32_t boat = Place(5, UT_BOAT, 1, 2);
  struct TCase {
    std::int32_t unit;
    const char* buttons;  // 3 move .. 11 clear
  } cases[] = {
      {soldier, "110001101"},  // move, attack, decommission, skip, clear
      {tired, "000000001"},    // nothing chosen: only clear
      {cannon, "111001101"},   // bombard too
      {boat, "110111101"},     // transport panel and land at sea
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.unit);
    f_screen->m_Clear_Order();
    f_screen->m_Toggle_Unit(c.unit);
    EXPECT_EQ(Enabled_Buttons(), c.buttons);
  }
  // While an order mode is active only cancel and clear remain.
  f_screen->m_Clear_Order();
  f_screen->m_Toggle_Unit(soldier);
  f_screen->m_Order_Button_Click("DC_MAIN_ORDER_BUTTON_3");
  EXPECT_EQ(Enabled_Buttons(), "000000011");
  // While the transport panel is open nothing is.
  f_screen->m_Clear_Order();
  f_screen->m_Toggle_Unit(boat);
  f_screen->m_Order_Button_Click("DC_MAIN_ORDER_BUTTON_6");
  ASSERT_NE(f_screen->m_Transport_Panel(), nullptr);
  EXPECT_EQ(Enabled_Buttons(), "000000000");
}

TEST_F(Main_Orders, GroupsSplitByMovesAndCargoAndLeaveOneByOne) {
  const std::int32_t a = Place(1, UT_SOLDIER, 1, 2), b = Place(1, UT_SOLDIER, 1, 2), c = Place(1, UT_SOLDIER, 1, 1);
  const std::int32_t elsewhere = Place(2, UT_SOLDIER, 1, 2);
  for (std::int32_t id : {a, b, c}) f_screen->m_Toggle_Unit(id);
  ASSERT_EQ(f_screen->m_Group_Count(), 2);
  EXPECT_EQ(f_screen->m_Get_Selected_Group(1)->f_unit_count, 2);
  EXPECT_EQ(f_screen->m_Get_Selected_Group(1)->f_texts[0], "2 of 2");
  f_screen->m_Toggle_Unit(elsewhere);  // another region: nothing changes
  EXPECT_EQ(f_screen->m_Group_Count(), 2);
  EXPECT_EQ(f_screen->m_Selected_Region(), 1);
  for (std::int32_t id : {c, a, b}) f_screen->m_Toggle_Unit(id);
  EXPECT_EQ(f_screen->m_Group_Count(), 0);
  EXPECT_EQ(f_screen->m_Selected_Region(), 0);
}

TEST_F(Main_Orders, MixedGroupsHighlightOnlyWhatBothReach) {
  const std::int32_t far = Place(1, UT_SOLDIER, 1, 2), near = Place(1, UT_SOLDIER, 1, 1);
  f_screen->m_Toggle_Unit(far);
  f_screen->m_Order_Button_Click("DC_MAIN_ORDER_BUTTON_3");
  std::vector<std::int32_t> alone = f_screen->m_Highlighted_Regions();
  std::sort(alone.begin(), alone.end());
  EXPECT_EQ(alone, (std::vector<std::int32_t>{2, 3}));
  f_screen->m_Clear_Order();
  f_screen->m_Toggle_Unit(far);
  f_screen->m_Toggle_Unit(near);
  f_screen->m_Order_Button_Click("DC_MAIN_ORDER_BUTTON_3");
  EXPECT_EQ(f_screen->m_Highlighted_Regions(), (std::vector<std::int32_t>{2}));
}

TEST_F(Main_Orders, TwoGroupsAlongThreeLegsMakeSixChainedMoves) {
  Type(UT_SOLDIER).f_movement_amount = 3;
  std::vector<std::int32_t> first, second;
  for (int i = 0; i < 5; ++i) first.push_back(Place(1, UT_SOLDIER, 1, 3));
  second.push_back(Place(1, UT_SOLDIER, 1, 2));
  for (std::int32_t id : first) f_screen->m_Toggle_Unit(id);
  f_screen->m_Toggle_Unit(second[0]);
  ASSERT_EQ(f_screen->m_Group_Count(), 2);
  // Two of the five go: three presses on the group's minus arrow.
  std::array<std::int32_t, 4> minus, plus;
  f_screen->m_Get_Group_Arrow_Rects(1, minus, plus);
  Set_Mouse_Position(minus[0] + 1, minus[1] + 1);
  f_screen->m_Render(0.0);  // the screen learns that the pointer is over it
  for (int i = 0; i < 3; ++i) {
    f_screen->m_Mouse_Down(MB_LEFT, 0, minus[0] + 1, minus[1] + 1);
    f_screen->MouseUp(MB_LEFT, 0, minus[0] + 1, minus[1] + 1, false);
  }
  ASSERT_EQ(f_screen->m_Get_Selected_Group(1)->f_order_count, 2);
  f_screen->m_Order_Button_Click("DC_MAIN_ORDER_BUTTON_3");
  f_screen->m_Set_Path({2, 3, 4});
  ASSERT_TRUE(f_screen->m_Execute_Order(1, 4, 0, 0));
  ASSERT_EQ(timer.m_Record_Count(), 6);
  std::vector<std::int32_t> ids;
  for (std::int32_t i = 1; i <= 6; ++i) {
    const TAction_Record& r = timer.m_Get_Record(i);
    EXPECT_EQ(r.kind, ACTION_MOVE_UNIT);
    EXPECT_EQ(r.awaited_id, i == 1 ? 0 : ids.back()) << i;
    ids.push_back(r.id);
  }
  EXPECT_EQ(timer.m_Get_Record(1).move.unit_count, 2);
  EXPECT_EQ(timer.m_Get_Record(4).move.unit_count, 1);
  EXPECT_EQ(f_screen->m_Group_Count(), 0);  // the order ends the selection
  Run();
  EXPECT_EQ(map.m_Get_Region(4)->m_Get_Unit_Count(), 3);
  EXPECT_EQ(map.m_Get_Region(1)->m_Get_Unit_Count(), 3);
}

TEST_F(Main_Orders, PathsStopAtForeignUnitsAndBattles) {
  Place(3, UT_SOLDIER, 2, 1);
  map.m_Add_Combat_Region(6);
  struct TCase {
    std::vector<std::int32_t> path, trimmed;
  } cases[] = {{{2, 3, 4}, {2, 3}}, {{5, 6, 7}, {5, 6}}, {{2, 99, 4}, {2}}, {{2, 1}, {2, 1}}};
  for (const TCase& c : cases) {
    f_screen->m_Set_Path(c.path);
    f_screen->m_Trim_Path(1);
    EXPECT_EQ(f_screen->m_Path(), c.trimmed);
  }
}

TEST_F(Main_Orders, EndingTheTurnChecksBattlesAndAirUnits) {
  struct TCase {
    bool battle, air;
    std::int32_t shown;  // the kind of message that comes up (-1 none)
    bool confirm;
    bool ended;
  } cases[] = {{false, false, -1, false, true},
               {true, false, 0, false, false},   // "Cannot End Turn"
               {false, true, 1, true, false},    // "Crashing Air Units"
               {true, true, 0, false, false}};   // the question is dropped
  map.m_Get_Region(6)->m_Set_Owner(2);
  const std::int32_t jet = Place(6, UT_JET, 1, 1);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.shown);
    f_screen->m_Set_Screen_Mode(TScreen_Mode::Map);
    f_screen->m_Close_Child_Dialogs();
    timer.m_Clear();
    map.m_Set_Unit_Moves(jet, c.air ? 1 : 0);
    if (c.battle) {
      Place(2, UT_SOLDIER, 2, 1);
      Place(2, UT_SOLDIER, 1, 1);
      map.m_Add_Combat_Region(2);
    } else {
      map.m_Remove_Combat_Region(2);
    }
    f_screen->m_Main_Button_Click("DC_MAIN_MAIN_BUTTON_6");
    TDC_Dlg_Message* m = f_screen->m_Message_Dialog();
    EXPECT_EQ(m ? m->m_Get_Tag() : -1, c.shown);
    EXPECT_EQ(f_screen->m_Queued_Messages(), 0u);
    EXPECT_EQ(timer.m_Has_Action_Type(ACTION_END_TURN), c.ended);
    if (c.confirm) {
      std::uint16_t enter = 13;
      m->m_Key_Down(enter, 0);
      f_screen->m_Kill_Any_Dead_Controls();
      EXPECT_TRUE(timer.m_Has_Action_Type(ACTION_END_TURN));
    }
  }
}

TEST_F(Main_Orders, TheTransportPanelListsTransportsCargoAndTheNeighboursUnits) {
  const std::int32_t boat1 = Place(5, UT_BOAT, 1, 2), boat2 = Place(5, UT_BOAT, 1, 2);
  const std::int32_t aboard = Place(5, UT_SOLDIER, 1, 1);
  ASSERT_TRUE(map.m_Add_Unit_To_Cargo(boat1, aboard, false, true));
  map.m_Set_Unit_Moves(boat1, 2);
  Place(5, UT_SOLDIER, 2, 1);  // another player's unit is never offered
  const std::int32_t s6 = Place(6, UT_SOLDIER, 1, 1), car6 = Place(6, UT_CAR, 1, 1), s6b = Place(6, UT_SOLDIER, 1, 1);
  const std::int32_t s7 = Place(7, UT_SOLDIER, 1, 1);
  for (std::int32_t id : {boat1, boat2}) f_screen->m_Toggle_Unit(id);
  ASSERT_EQ(f_screen->m_Group_Count(), 2);  // the one with cargo stays apart
  f_screen->m_Order_Button_Click("DC_MAIN_ORDER_BUTTON_6");
  TDC_Main_Transport_Units* panel = f_screen->m_Transport_Panel();
  ASSERT_NE(panel, nullptr);
  // Left: boat 1 on row 1, its soldier on row 2 at x 20, boat 2 on row 3.
  const auto& t = panel->m_Transports();
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ((std::vector<std::int32_t>{t[0].unit_id, t[0].row, t[0].parent}),
            (std::vector<std::int32_t>{boat1, 1, 0}));
  EXPECT_EQ((std::vector<std::int32_t>{t[1].unit_id, t[1].row, t[1].parent, t[1].x}),
            (std::vector<std::int32_t>{aboard, 2, boat1, 20}));
  EXPECT_EQ((std::vector<std::int32_t>{t[2].unit_id, t[2].row}), (std::vector<std::int32_t>{boat2, 3}));
  EXPECT_EQ(panel->m_Selected_Transport(), 1);
  // Right: the sea region's header and none of the other player's units,
  // then region 6 with its soldiers on one row and its car on the next,
  // then region 7.
  std::vector<std::string> rows;
  for (std::int32_t r = 1; r <= panel->m_Cargo_List().m_Get_Row_Count(); ++r)
    rows.push_back(panel->m_Cargo_List().m_Get_Row_Text(r));
  EXPECT_EQ(rows, (std::vector<std::string>{"Region 5", "Region 6", "", "", "Region 7", ""}));
  // Each icon's place as row * 100 + x, by unit.
  std::map<std::int32_t, std::int32_t> placed;
  for (const Cargo_Panel_Entry& c : panel->m_Cargo()) placed[c.unit_id] = c.row * 100 + c.x;
  ASSERT_EQ(placed.size(), 4u);
  EXPECT_EQ(placed[car6], 400);
  EXPECT_EQ(placed[s7], 600);
  EXPECT_EQ(std::min(placed[s6], placed[s6b]), 300);
  EXPECT_EQ(std::max(placed[s6], placed[s6b]), 332);
  // Icons are half-open: the pixel after one icon belongs to the next.
  const std::int32_t first = panel->m_Cargo_At(3, 0), second = panel->m_Cargo_At(3, 32);
  EXPECT_NE(first, 0);
  EXPECT_NE(second, 0);
  EXPECT_EQ(panel->m_Cargo_At(3, 31), first);
  EXPECT_NE(first, second);
  EXPECT_EQ(panel->m_Cargo_At(3, 64), 0);
  // Choosing boat 2 and clicking a soldier loads it into boat 2, not into
  // the last transport of the list.
  panel->m_Click_Transports(3, 5);
  EXPECT_EQ(panel->m_Selected_Transport(), 3);
  const std::int32_t soldier = panel->m_Get_Cargo_Unit(second);
  panel->m_Click_Cargo(3, 40);
  TMap_Unit_Record loaded;
  map.m_Get_Unit(soldier, loaded);
  EXPECT_EQ(loaded.region, 0);
  EXPECT_EQ(map.m_Get_Carrier(soldier), boat2);
  EXPECT_TRUE(timer.m_Has_Action_Type(ACTION_LOAD_UNIT));
  ASSERT_EQ(panel->m_Transports().size(), 4u);
  EXPECT_EQ(panel->m_Get_Transport_Unit(panel->m_Selected_Transport()), boat2);  // kept after the refresh
  // A cargo icon unloads in place: a soldier cannot stand at sea.
  panel->m_Click_Transports(2, 25);
  EXPECT_EQ(map.m_Get_Carrier(aboard), boat1);
}

TEST_F(Main_Orders, ShortcutsPressTheirButtonsOnlyWithoutADialogAndOnTheirTurn) {
  for (const char* name : {"Dlg Game Menu", "Dlg Statistics", "Dlg Log"})
    DC_Main_Register_Dialog(name, {[](std::int32_t, std::int32_t) {
                                     auto d = std::make_unique<TDisplay_Class>(1);
                                     d->m_Set_Bounds("x", 0, 0, 10, 10, false);
                                     return d;
                                   },
                                   {}});
  const std::int32_t boat = Place(5, UT_BOAT, 1, 2);
  const std::int32_t cannon = Place(4, UT_CANNON, 1, 2);
  struct TCase {
    std::uint16_t key;
    std::int32_t select;  // unit to select first (0 none)
    const char* check;
  } cases[] = {
      {112, 0, "dialog Dlg Game Menu"}, {114, 0, "dialog Dlg Statistics"}, {115, 0, "dialog Dlg Log"},
      {123, 0, "end turn"},             {77, cannon, "mode 1"},            {65, cannon, "mode 2"},
      {66, cannon, "mode 3"},           {76, boat, "mode 9"},              {84, boat, "transport"},
      {68, cannon, "confirm"},          {32, cannon, "skip"},              {27, cannon, "cleared"},
      {34, 0, "cycled"},
  };
  for (bool dialog_open : {false, true}) {
    for (const TCase& c : cases) {
      SCOPED_TRACE(std::to_string(c.key) + (dialog_open ? " with a message" : ""));
      f_screen->m_Close_Child_Dialogs();
      f_screen->m_Clear_Order();
      timer.m_Clear();
      map.m_Set_Unit_Moves(cannon, 2);
      if (c.select) f_screen->m_Toggle_Unit(c.select);
      if (dialog_open) f_screen->m_Show_Message("Note", "text", TMessage_Kind::Plain);
      const TOrder_Mode mode_before = f_screen->m_Order_Mode();
      Key(c.key);
      const std::string check = c.check;
      bool happened = false;
      if (check.rfind("dialog ", 0) == 0) happened = f_screen->m_Get_Dialog(check.substr(7)) != nullptr;
      else if (check == "end turn") happened = timer.m_Has_Action_Type(ACTION_END_TURN);
      else if (check.rfind("mode ", 0) == 0)
        happened = std::int32_t(f_screen->m_Order_Mode()) == std::stoi(check.substr(5)) &&
                   f_screen->m_Order_Mode() != mode_before;
      else if (check == "transport") happened = f_screen->m_Transport_Panel() != nullptr;
      else if (check == "confirm")
        happened = f_screen->m_Message_Dialog() && TMessage_Kind(f_screen->m_Message_Dialog()->m_Get_Tag()) ==
                                                          TMessage_Kind::Decommission_Question;
      else if (check == "skip") {
        TMap_Unit_Record u;
        map.m_Get_Unit(cannon, u);
        happened = u.moves == 0;
      } else if (check == "cleared") happened = f_screen->m_Group_Count() == 0;
      else if (check == "cycled") happened = f_screen->m_Group_Count() > 0;
      EXPECT_EQ(happened, !dialog_open);
    }
  }
  // On another player's turn no shortcut works, but the arrow keys still pan.
  f_screen->m_Close_Child_Dialogs();
  f_screen->m_Clear_Order();
  Game_Settings.f_turn_empire = 2;
  EXPECT_FALSE(Key(34));
  EXPECT_EQ(f_screen->m_Group_Count(), 0);
  EXPECT_TRUE(Key(37));
}

}  // namespace
