// The purchases rules (prices, limits, refusals past a treasury's range),
// the panels' background bands, the statistics pages' sort keys and counter
// columns, the log's report lines, and the battle dialogs' icon placement,
// result words and release, over the rules' small hand-built world.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Combat.h"
#include "DC_Dlg_Combat.h"
#include "DC_Dlg_Log.h"
#include "DC_Dlg_Statistics.h"
#include "DC_Main_Purchases_Items.h"
#include "Empire.h"
#include "Gui_Test_Support.h"
#include "EventLog.h"
#include "GameSettings.h"
#include "rules/Turns_Fixture.h"

namespace {

class Panels : public Turns_Test {
protected:
  void SetUp() override {
    Turns_Test::SetUp();
    Add_Region(1, REGION_LAND, 2, 2, 0, 1, 5);
    Add_Region(2, REGION_LAND, 2, 2, 64, 2, 7);
    Add_Region(3, REGION_OCEAN, 2, 2, 128, 0);
    Connect(1, 2);
    Connect(1, 3);
    Players({false, false});
    empires.m_Get_Empire(1)->m_Set_Nation_Name("Avalon");
    empires.m_Get_Empire(2)->m_Set_Nation_Name("Borea");
    Game_Settings.f_turn_empire = 1;
    Game_Settings.f_local_empire = 1;
  }
  TEmpire& Empire(std::uint8_t n) { return *empires.m_Get_Empire(n); }
};

TEST(Panel_Bands, Whole_Picture_Up_To_Its_Height_Then_The_Middle_Repeats) {
  EXPECT_EQ(Panel_Background_Bands(482, 482, 26, 450), (std::vector<TPanel_Band>{{0, 482, 0}}));
  // The list panel on a 1280 x 1024 screen: 738 high.
  EXPECT_EQ(Purchases_Panel_Height(1024), 738);
  EXPECT_EQ(Purchases_Panel_Height(768), 482);
  EXPECT_EQ(Panel_Background_Bands(738, 482, 26, 450),
            (std::vector<TPanel_Band>{{0, 26, 0}, {26, 424, 26}, {26, 424, 282}, {450, 32, 706}}));
  // The items panel: 44 top rows, 380 repeating, 58 at the bottom.
  EXPECT_EQ(Panel_Background_Bands(738, 482, 44, 424),
            (std::vector<TPanel_Band>{{0, 44, 0}, {44, 380, 44}, {44, 380, 300}, {424, 58, 680}}));
  // One row taller than the picture: the middle band is drawn twice, the
  // second time moved up by all but one row.
  EXPECT_EQ(Panel_Background_Bands(483, 482, 26, 450),
            (std::vector<TPanel_Band>{{0, 26, 0}, {26, 424, 26}, {26, 424, 27}, {450, 32, 451}}));
}

TEST(Purchase_Amount, Arrows_And_Typing_Stay_Within_One_And_60000) {
  struct Case {
    std::int32_t amount;
    bool up, shift, ctrl;
    std::int32_t expected;
  };
  for (const Case& c : {Case{1, false, false, false, 1}, Case{1, true, false, false, 2}, Case{5, true, true, false, 15},
                        Case{59950, true, false, true, 60000}, Case{50, false, false, true, 1},
                        Case{60000, true, true, true, 60000}})
    EXPECT_EQ(Purchase_Step_Amount(c.amount, c.up, c.shift, c.ctrl), c.expected) << c.amount;
  EXPECT_EQ(Purchase_Amount_Of_Text(""), 0);
  EXPECT_EQ(Purchase_Amount_Of_Text("250"), 250);
  EXPECT_EQ(Purchase_Amount_Of_Text("99999999999999999999"), 60000);
}

TEST(Purchase_Money, Amounts_Past_A_Treasury_Are_Shown_In_Trillions) {
  EXPECT_EQ(Purchase_Money_Text(750), "$750M");
  EXPECT_EQ(Purchase_Money_Text(2500), "$2.50B");
  EXPECT_EQ(Purchase_Money_Text(2147483647), "$2147.48T");
  EXPECT_EQ(Purchase_Money_Text(std::int64_t(60000) * 2000000000), "$120000000.00T");
}

TEST_F(Panels, Price_And_Limit_Table) {
  Type(UT_SOLDIER).f_cost = 1000;
  Type(UT_FORT).f_maximum_per_region = 3;
  Type(UT_JET).f_cost = 2000000000;
  Type(UT_CAR).f_cost = 60000;
  Place(1, UT_FORT, 1);
  auto area = std::make_unique<TTech_Area>();
  area->f_display_name = "Rockets";
  area->f_maximum_level = 2;
  area->m_Add_Cost(500, 40);
  area->m_Add_Cost(900, 80);
  tech_areas.m_Add(std::move(area));
  Empire(1).m_Init_Tech_Levels(0);
  // Two forts queued for region 1 in one entry, one standing there.
  Empire(1).m_Add_Purchase({PURCHASE_UNIT, UT_FORT, 2, 1, 20});

  struct Case {
    const char* what;
    TPurchase_Choice choice;
    TPurchase_Refusal refusal;
    std::int32_t cost;
  };
  const Case cases[] = {
      {"three soldiers", {PURCHASE_UNIT, UT_SOLDIER, 3, 1, 0}, TPurchase_Refusal::none, 3000},
      {"no region chosen", {PURCHASE_UNIT, UT_SOLDIER, 3, 0, 0}, TPurchase_Refusal::no_region, 0},
      {"no amount", {PURCHASE_UNIT, UT_SOLDIER, 0, 1, 0}, TPurchase_Refusal::invalid, 0},
      {"fourth fort", {PURCHASE_UNIT, UT_FORT, 1, 1, 0}, TPurchase_Refusal::over_limit, 0},
      {"fort elsewhere", {PURCHASE_UNIT, UT_FORT, 3, 2, 0}, TPurchase_Refusal::none, 30},
      {"two dear jets", {PURCHASE_UNIT, UT_JET, 2, 1, 0}, TPurchase_Refusal::over_money, 0},
      {"one dear jet", {PURCHASE_UNIT, UT_JET, 1, 1, 0}, TPurchase_Refusal::none, 2000000000},
      {"60000 cars", {PURCHASE_UNIT, UT_CAR, 60000, 1, 0}, TPurchase_Refusal::over_money, 0},
      {"35000 cars", {PURCHASE_UNIT, UT_CAR, 35000, 1, 0}, TPurchase_Refusal::none, 2100000000},
      {"research step", {PURCHASE_RESEARCH, 1, 1, 0, 2}, TPurchase_Refusal::none, 900},
      {"missing cost entry", {PURCHASE_RESEARCH, 1, 1, 0, 3}, TPurchase_Refusal::invalid, 0},
  };
  for (const Case& c : cases) {
    TEmpire_Purchase entry;
    EXPECT_EQ(Purchase_Check(Empire(1), c.choice, entry), c.refusal) << c.what;
    if (c.refusal == TPurchase_Refusal::none) {
      EXPECT_EQ(entry.cost, c.cost) << c.what;
    }
  }
  // A queue near a treasury's range refuses what would pass it.
  Empire(1).m_Add_Purchase({PURCHASE_UNIT, UT_JET, 1, 1, 2000000000});
  TEmpire_Purchase entry;
  EXPECT_EQ(Purchase_Check(Empire(1), {PURCHASE_UNIT, UT_CAR, 3000, 1, 0}, entry), TPurchase_Refusal::over_money);
  EXPECT_EQ(Purchase_Check(Empire(1), {PURCHASE_UNIT, UT_CAR, 2000, 1, 0}, entry), TPurchase_Refusal::none);
  EXPECT_EQ(Purchase_Check(Empire(1), {PURCHASE_RESEARCH, 1, 1, 0, 1}, entry), TPurchase_Refusal::none);
  EXPECT_EQ(Purchase_Queue_Total(Empire(1)), 2000000020);
  EXPECT_EQ(Purchase_Refusal_Text(TPurchase_Refusal::over_money),
            "This purchase would cost more than a treasury can hold.");
}

TEST_F(Panels, A_Cost_Modifier_Of_25_Makes_1000_Cost_750) {
  Type(UT_SOLDIER).f_cost = 1000;
  Type(UT_FORT).f_special_abilities.push_back({UNIT_ABILITY_UNIT_COST_MODIFIER, "", 25});
  Place(1, UT_FORT, 1);
  TEmpire_Purchase entry;
  ASSERT_EQ(Purchase_Check(Empire(1), {PURCHASE_UNIT, UT_SOLDIER, 1, 1, 0}, entry), TPurchase_Refusal::none);
  EXPECT_EQ(entry.cost, 750);
  // At sea the best modifier of the player's land next to it counts.
  Type(UT_BOAT).f_cost = 1000;
  ASSERT_EQ(Purchase_Check(Empire(1), {PURCHASE_UNIT, UT_BOAT, 2, 3, 0}, entry), TPurchase_Refusal::none);
  EXPECT_EQ(entry.cost, 1500);
  EXPECT_EQ(Purchase_Unit_Price(2000000000, 60000, 25), std::int64_t(90000000000000));
}

TEST_F(Panels, Statistics_Sort_Keys_Of_Each_Page) {
  TStatistics_Page p;
  auto keys = [&p]() {
    std::vector<std::pair<std::int32_t, bool>> k;
    // The first key of each column decides; repeats behind it do not.
    for (const TList_Window_Sort_Key& key : p.keys)
      if (key.f_column != 0 &&
          std::none_of(k.begin(), k.end(), [&key](const auto& e) { return e.first == key.f_column; }))
        k.emplace_back(key.f_column, key.f_ascending);
    return k;
  };
  Statistics_Build_Page(p, 1, 1);
  EXPECT_EQ(keys(), (std::vector<std::pair<std::int32_t, bool>>{{1, true}, {2, true}, {6, true}}));
  Statistics_Build_Page(p, 2, 1);
  EXPECT_EQ(keys(), (std::vector<std::pair<std::int32_t, bool>>{{1, true}, {2, true}}));
  // A click on "Dead" (descending), then the same page again: the page's
  // keys go in front of the chosen one.
  List_Window_Push_Sort_Key(p.keys, 6, false);
  Statistics_Sort(p);
  Statistics_Build_Page(p, 2, 1);
  EXPECT_EQ(keys(), (std::vector<std::pair<std::int32_t, bool>>{{1, true}, {2, true}, {6, false}}));
  Statistics_Build_Page(p, 3, 1);
  EXPECT_EQ(keys(), (std::vector<std::pair<std::int32_t, bool>>{{2, true}}));
  Statistics_Build_Page(p, 4, 1);
  EXPECT_EQ(keys(), (std::vector<std::pair<std::int32_t, bool>>{{1, true}}));
}

TEST_F(Panels, Statistics_Headers_Keep_Clear_Of_Each_Other) {
  // Each header's measured text (7 pixels a character, about the width of
  // the list font) ends before the next header begins.
  TJournal journal;
  TFake_Text_Link text(journal);
  Set_Gui_Text_Link(&text);
  for (std::int32_t page = 1; page <= 4; ++page) {
    TStatistics_Page p;
    Statistics_Build_Page(p, page, 1);
    for (std::int32_t i = 1; i < p.header_count; ++i) {
      const TList_Window_Header& h = p.headers[std::size_t(i)];
      const TList_Window_Header& next = p.headers[std::size_t(i + 1)];
      ASSERT_GT(h.f_text_width, 0) << h.f_text;
      EXPECT_LE(h.f_x_offset + h.f_text_width + 6, next.f_x_offset) << page << ": " << h.f_text << " / " << next.f_text;
    }
  }
  Set_Gui_Text_Link(nullptr);
}

TEST_F(Panels, Statistics_Counter_Columns_Show_The_Counters_They_Name) {
  Empire(1).m_Count_Unit_Bought(UT_SOLDIER, 11);
  Empire(1).m_Count_Unit_Captured(UT_SOLDIER, 2);
  Empire(1).m_Count_Unit_Destroyed(UT_SOLDIER, 4);
  Empire(1).m_Count_Unit_Lost(UT_SOLDIER, 5);
  TEmpire_Unit_Type_Counters c;
  Empire(1).m_Get_Unit_Type_Counters(UT_SOLDIER, c);
  TStatistics_Page p;
  Statistics_Build_Page(p, 2, 1);
  std::int32_t row = 0;
  for (std::int32_t r = 1; r <= p.row_count; ++r)
    if (List_Window_Get_Cell(p.grid, r, 2)->f_text == "Soldier") row = r;
  ASSERT_NE(row, 0);
  const std::vector<std::string> headers = {"Built", "Captured", "In Service", "Dead", "Lost"};
  const std::vector<std::int32_t> expected = {c.bought, c.captured, c.current, c.destroyed, c.lost};
  for (std::size_t i = 0; i < headers.size(); ++i) {
    EXPECT_EQ(p.headers[i + 3].f_text, headers[i]);
    EXPECT_EQ(List_Window_Get_Cell(p.grid, row, std::int32_t(i) + 3)->f_text, std::to_string(expected[i]))
        << headers[i];
  }
  EXPECT_EQ(c.bought, 11);
  EXPECT_EQ(c.captured, 2);
}

TEST_F(Panels, Statistics_Unknown_Region_And_Stacks) {
  Place(1, UT_SOLDIER, 1);
  Place(1, UT_CANNON, 1);
  Empire(1).m_Set_Region_Known(2, false);
  TStatistics_Page p;
  Statistics_Build_Page(p, 1, 1);
  std::vector<std::string> region_2;
  std::int32_t rows_1 = 0;
  for (std::int32_t r = 1; r <= p.row_count; ++r) {
    const std::string name = List_Window_Get_Cell(p.grid, r, 2)->f_text;
    if (name == "Region 2")
      region_2 = {List_Window_Get_Cell(p.grid, r, 3)->f_text, List_Window_Get_Cell(p.grid, r, 5)->f_text,
                  List_Window_Get_Cell(p.grid, r, 6)->f_text};
    if (name == "Region 1") ++rows_1;
  }
  EXPECT_EQ(region_2, (std::vector<std::string>{"Unknown", "Unknown", ""}));
  EXPECT_EQ(rows_1, 2);
}

TEST_F(Panels, Log_Report_Lines_Of_A_Battle) {
  const std::vector<TEvent_Log_Combat_Row> rows = {
      {UT_SOLDIER, 1, 5, 2}, {UT_CANNON, 2, 3, 3}, {UT_JET, 1, 1, 0}, {999, 2, 1, 1}};
  Place(2, UT_FORT, 2);
  G_Event_Log->m_Add_Combat(20150, 1, rows, true, 2, 2, 1, 2);
  const TEvent_Log_Item& item = *G_Event_Log->m_Get_Item(1);
  EXPECT_EQ(Log_Combat_Report_Lines(item),
            (std::vector<std::string>{"Starting Forces", "    Avalon - 5 x Soldier", "    Avalon - 1 x Jet",
                                      "    Borea - 3 x Cannon", "", "Destroyed Forces",
                                      "    Avalon - 2 x Soldier destroyed.", "    Avalon - 0 x Jet destroyed.",
                                      "    Borea - 3 x Cannon destroyed.", "", "Captured Forces",
                                      "    1 x Fort captured.", "Avalon is victorious."}));
}

TEST_F(Panels, Log_Grid_Keeps_Each_Report_Under_Its_Battle) {
  Game_Settings.f_game_date = 20151;
  G_Event_Log->m_Add_Bombardment(20150, 2, 3, BOMBARD_KILLED, 1, "Soldier", 1);
  G_Event_Log->m_Add_Combat(20150, 1, {{UT_SOLDIER, 1, 4, 1}, {UT_CANNON, 2, 2, 2}}, false, 2, 2, 1, 2);
  G_Event_Log->m_Add_Collect_Resources(20150, 1, 40);
  G_Event_Log->m_Add_Combat(20149, 1, {{UT_SOLDIER, 1, 1, 1}}, false, 2, 2, 2, 2);
  TLog_Grid g;
  Log_Build_Grid(*G_Event_Log, 1, g);
  std::vector<std::string> lines;
  for (std::size_t n = 1; n < g.order.size(); ++n) {
    const auto t = Log_Row_Texts(g, std::int32_t(n));
    lines.push_back(t[0] + "|" + t[2] + "|" + t[3] + "|" + t[4]);
  }
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "2015.0|Avalon|Collect Resources|$40M collected by Avalon.",
                       "||Combat 1|Avalon attacks Borea in Region 2.",
                       "|||Starting Forces",
                       "|||    Avalon - 4 x Soldier",
                       "|||    Borea - 2 x Cannon",
                       "|||Destroyed Forces",
                       "|||    Avalon - 1 x Soldier destroyed.",
                       "|||    Borea - 2 x Cannon destroyed.",
                       "|||Avalon is victorious.",
                       "|Borea|Bombardment|3 x Soldier killed.",
                       "2014.9|Avalon|Combat 2|Avalon attacks Borea in Region 2.",
                       "|||Starting Forces",
                       "|||    Avalon - 1 x Soldier",
                       "|||Destroyed Forces",
                       "|||    Avalon - 1 x Soldier destroyed.",
                       "|||Borea is victorious.",
                   }));
  // The bombardment row marks its region on the overview map.
  for (std::size_t n = 1; n < g.order.size(); ++n)
    if (List_Window_Get_Cell(g.grid, g.order[n], 4)->f_value == EVENT_BOMBARDMENT) {
      EXPECT_EQ(List_Window_Get_Cell(g.grid, g.order[n], 1)->f_value, 1);
    }
  // The summary of the date before: one battle won, 40 collected; the
  // bombardment is no battle.
  const TLog_Summary s = Log_Summary(*G_Event_Log, 20151, 1);
  EXPECT_EQ(s[0], (std::array<std::int64_t, 5>{1, 0, 0, 40, 0}));
  EXPECT_EQ(s[1], (std::array<std::int64_t, 5>{0, 0, 0, 0, 0}));
}

TEST(Combat_Icons, First_Fit_Rows_And_Footprints) {
  TCombat_Icon_Grid grid;
  std::int32_t c = 0, r = 0;
  for (int i = 1; i <= 22; ++i) ASSERT_TRUE(Combat_Icon_First_Fit(grid, 1, 1, c, r));
  EXPECT_EQ(std::make_pair(c, r), std::make_pair(22, 1));
  ASSERT_TRUE(Combat_Icon_First_Fit(grid, 1, 1, c, r));
  EXPECT_EQ(std::make_pair(c, r), std::make_pair(1, 2));

  TCombat_Icon_Grid second;
  ASSERT_TRUE(Combat_Icon_First_Fit(second, 1, 1, c, r));
  ASSERT_TRUE(Combat_Icon_First_Fit(second, 2, 2, c, r));
  EXPECT_EQ(std::make_pair(c, r), std::make_pair(2, 1));
  EXPECT_TRUE(second.used[1][0] && second.used[2][0] && second.used[1][1] && second.used[2][1]);
  EXPECT_FALSE(second.used[3][0]);
  ASSERT_TRUE(Combat_Icon_First_Fit(second, 1, 1, c, r));
  EXPECT_EQ(std::make_pair(c, r), std::make_pair(4, 1));

  // Nothing fits a footprint taller than the grid; a full grid takes nothing.
  EXPECT_FALSE(Combat_Icon_First_Fit(second, 1, 5, c, r));
  TCombat_Icon_Grid full;
  for (int i = 0; i < 22; ++i) ASSERT_TRUE(Combat_Icon_First_Fit(full, 1, 4, c, r));
  EXPECT_FALSE(Combat_Icon_First_Fit(full, 1, 1, c, r));
}

TEST(Combat_Words, Result_Words_And_Counts) {
  const TCombat_Result_Words won = Combat_Result_Words(3, 3);
  EXPECT_EQ(won.title, "Attacker Victory");
  EXPECT_EQ(won.attacker, "Victory");
  EXPECT_EQ(won.defender, "Defeat");
  EXPECT_TRUE(won.victory);
  const TCombat_Result_Words lost = Combat_Result_Words(4, 3);
  EXPECT_EQ(lost.title, "Attacker Defeat");
  EXPECT_EQ(lost.attacker, "Defeat");
  EXPECT_EQ(lost.defender, "Victory");
  EXPECT_FALSE(lost.victory);
  EXPECT_EQ(Combat_Icon_Count_Text(false, 5, 2), "5");
  EXPECT_EQ(Combat_Icon_Count_Text(true, 5, 2), "3/5");
}

TEST_F(Panels, A_Waiting_Battle_Dialog_Is_Released_When_The_Other_Player_Leaves) {
  Game_Settings.f_game_kind = 3;
  G_Combat.attacker = 1;
  G_Combat.defender = 2;
  TDC_Dlg_CombatBegin begin;
  begin.m_On_Timer(0.1f);
  EXPECT_FALSE(begin.m_Killed());
  // This player has closed and waits for the other one.
  begin.m_Close_Button().m_Set_Enabled(false);
  begin.m_On_Timer(0.1f);
  EXPECT_FALSE(begin.m_Blink());
  begin.m_On_Timer(0.8f);
  EXPECT_TRUE(begin.m_Blink());
  EXPECT_FALSE(begin.m_Killed());
  // The relayed close of the other player releases it.
  begin.m_Set_Close();
  begin.m_On_Timer(0.1f);
  EXPECT_TRUE(begin.m_Killed());

  TDC_Dlg_CombatEnd end;
  end.m_Close_Button().m_Set_Enabled(false);
  end.m_On_Timer(0.1f);
  EXPECT_FALSE(end.m_Killed());
  // The other player disconnects: a computer plays his empire now.
  Empire(2).m_Set_Computer_Controlled(true);
  end.m_On_Timer(0.1f);
  EXPECT_TRUE(end.m_Killed());
  G_Combat = TCombat_State();
  Game_Settings.f_game_kind = 1;
}

}  // namespace
