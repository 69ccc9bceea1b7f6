#include "EventLog.h"

#include "AI_Main.h"
#include "Shell_Services.h"
#include "Test_Support.h"
#include "World_Fixture.h"

namespace {

using Flags = std::array<bool, Event_Log_Players>;

// Three empires (Avalon, Borea, Cathay); Region 1 (Avalon's), Region 2
// (Borea's) and the ocean Region 3; technology area 1 "Air".
class Event_Log : public World_Test {
 protected:
  void SetUp() override {
    World_Test::SetUp();
    Game_Settings.f_fog_of_war = false;
    Game_Settings.f_game_date = 20200;
    empires.m_Create_Empires(3);
    const char* names[] = {"Avalon", "Borea", "Cathay"};
    for (int i = 1; i <= 3; ++i) empires.m_Get_Empire(i)->m_Set_Nation_Name(names[i - 1]);
    Add_Region(1, REGION_LAND, 2, 2, 0, 0, 1);
    Add_Region(2, REGION_LAND, 2, 2, 64, 0, 2);
    Add_Region(3, REGION_OCEAN, 2, 2, 0, 64);
    Connect(1, 2);
    Connect(1, 3);
    Connect(2, 3);
    Set_Tech_Areas({{"Air", "Air Units", 0, 10}});
    // Strengths: infantry 20, tank 40, plane 20, ship 10; trucks do not fight.
    auto set = [this](std::uint16_t t, std::int32_t hp, std::int32_t ini, std::int32_t lo, std::int32_t hi) {
      TUnit_Type& u = Type(t);
      u.f_hit_points = hp;
      u.f_initiative = ini;
      u.f_combat_damage_min = lo;
      u.f_combat_damage_max = hi;
    };
    set(UT_INFANTRY, 10, 2, 3, 5);
    set(UT_TANK, 30, 1, 4, 5);
    set(UT_PLANE, 5, 5, 5, 5);
    set(UT_SHIP, 4, 2, 2, 2);
    set(UT_TRUCK, 9, 9, 9, 9);
  }

  static Flags Visible(std::initializer_list<int> players) {
    Flags f{};
    for (int p : players) f[std::size_t(p - 1)] = true;
    return f;
  }

  TEvent_Log log;
};

std::string Saved(const TEvent_Log& log) {
  TIo_Writer w;
  EXPECT_TRUE(log.m_Save(w));
  return w.m_Bytes();
}

}  // namespace

TEST(Event_Log_Names, KindNames) {
  const std::pair<int, const char*> cases[] = {{1, "Movement"},         {2, "Combat"},     {3, "Collect Resources"},
                                               {4, "Purchase"},         {5, "Purchase"},   {6, "Bombardment"},
                                               {7, "Unit Crashed"},     {8, "Pay Supply"}, {9, "Unit Decommissioned"},
                                               {10, "Region Captured"}, {0, ""},           {11, ""}};
  for (const auto& [kind, name] : cases) EXPECT_EQ(Event_Log_Type_Name(kind), name) << kind;
}

TEST_F(Event_Log, EveryKindWritesItsText) {
  const std::vector<TEvent_Log_Combat_Row> rows{{UT_INFANTRY, 1, 4, 1}};
  struct Case {
    std::function<std::int32_t()> add;
    std::uint8_t kind, player;
    std::array<std::int32_t, 5> values;
    const char* text;
  };
  const Case cases[] = {
      {[&] { return log.m_Add_Movement(20200, 1, 3, UT_INFANTRY, 1, 2); },
       EVENT_MOVEMENT,
       1,
       {1, 2, UT_INFANTRY, 3, 0},
       "3 x Infantry moved from Region 1 to Region 2."},
      {[&] { return log.m_Add_Combat(20200, 1, rows, true, 2, 2, 1, 2); },
       EVENT_COMBAT,
       1,
       {2, 1, 2, 2, 0},
       "Avalon attacks Borea in Region 2."},
      {[&] { return log.m_Add_Collect_Resources(20200, 1, 250); },
       EVENT_COLLECT_RESOURCES,
       1,
       {250, 0, 0, 0, 0},
       "$250M collected by Avalon."},
      {[&] { return log.m_Add_Collect_Resources(20200, 2, 1500); },
       EVENT_COLLECT_RESOURCES,
       2,
       {1500, 0, 0, 0, 0},
       "$1.50B collected by Borea."},
      {[&] { return log.m_Add_Purchase(20200, 1, 2, UT_TANK, 1); },
       EVENT_PURCHASE,
       1,
       {2, UT_TANK, 1, 0, 0},
       "2 x Tank purchased in Region 1."},
      {[&] { return log.m_Add_Research(20200, 1, 1, 2, true); },
       EVENT_RESEARCH,
       1,
       {1, 2, 1, 0, 0},
       "Tech level 3 in Air has been developed."},
      {[&] { return log.m_Add_Research(20200, 1, 1, 2, false); },
       EVENT_RESEARCH,
       1,
       {1, 2, 0, 0, 0},
       "Attempt to attain tech level 3 in Air has failed."},
      {[&] { return log.m_Add_Research(20200, 1, 9, 2, true); },
       EVENT_RESEARCH,
       1,
       {9, 2, 1, 0, 0},
       "Research has failed."},
      {[&] { return log.m_Add_Bombardment(20200, 1, 4, 1, 2, "Infantry", 2); },
       EVENT_BOMBARDMENT,
       1,
       {2, 1, 4, 2, 0},
       "4 x Infantry killed."},
      {[&] { return log.m_Add_Bombardment(20200, 1, 4, 2, 2, "Infantry", 2); },
       EVENT_BOMBARDMENT,
       1,
       {2, 2, 4, 2, 0},
       "4 x Infantry damaged."},
      {[&] { return log.m_Add_Bombardment(20200, 1, 7, 3, 2, "", 2); },
       EVENT_BOMBARDMENT,
       1,
       {2, 3, 7, 2, 0},
       "7 region damage."},
      {[&] { return log.m_Add_Unit_Crashed(20200, 1, UT_PLANE, 3); },
       EVENT_UNIT_CRASHED,
       1,
       {3, UT_PLANE, 0, 0, 0},
       "1 x Plane crashed over Region 3."},
      {[&] { return log.m_Add_Pay_Supply(20200, 1, 40); },
       EVENT_PAY_SUPPLY,
       1,
       {40, 0, 0, 0, 0},
       "$40M paid by Avalon for supplies."},
      {[&] { return log.m_Add_Unit_Decommissioned(20200, 1, 1, UT_TRUCK); },
       EVENT_UNIT_DECOMMISSIONED,
       1,
       {1, UT_TRUCK, 0, 0, 0},
       "1 x Truck decommissioned in Region 1."},
      {[&] {
         log.m_Add_Region_Captured(20200, 2, 1, 2);
         return log.m_Get_Count();
       },
       EVENT_REGION_CAPTURED,
       1,
       {2, 2, 1, 0, 0},
       "Region 2 captured from Borea by Avalon."},
  };
  std::int32_t n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(c.add(), ++n);
    const TEvent_Log_Item& item = *log.m_Get_Item(n);
    EXPECT_EQ(item.f_number, n);
    EXPECT_EQ(item.f_date, 20200);
    EXPECT_EQ(item.f_kind, c.kind);
    EXPECT_EQ(item.f_player, c.player);
    EXPECT_EQ(item.f_values, c.values);
    EXPECT_EQ(item.f_text, c.text);
  }
  EXPECT_EQ(log.m_Get_Item(0), nullptr);
  EXPECT_EQ(log.m_Get_Item(n + 1), nullptr);
}

TEST_F(Event_Log, MissingNamesLeaveTheTextEmpty) {
  const std::vector<std::function<void()>> adds = {
      [&] { log.m_Add_Movement(20200, 1, 3, 99, 1, 2); },           // unit type
      [&] { log.m_Add_Movement(20200, 1, 3, UT_INFANTRY, 1, 0); },  // region
      [&] { log.m_Add_Combat(20200, 1, {}, false, 2, 2, 1, 7); },   // defender
      [&] { log.m_Add_Purchase(20200, 1, 2, UT_TANK, 99); },
      [&] { log.m_Add_Bombardment(20200, 1, 4, 1, 2, "Infantry", 99); },
      [&] { log.m_Add_Bombardment(20200, 1, 4, 4, 2, "Infantry", 2); },  // no such result
      [&] { log.m_Add_Unit_Crashed(20200, 1, 0, 3); },
      [&] { log.m_Add_Unit_Decommissioned(20200, 1, 0, UT_TRUCK); },
      [&] { log.m_Add_Region_Captured(20200, 8, 1, 2); },
  };
  for (std::size_t i = 0; i < adds.size(); ++i) {
    adds[i]();
    ASSERT_EQ(log.m_Get_Count(), std::int32_t(i + 1));
    EXPECT_EQ(log.m_Get_Item(std::int64_t(i + 1))->f_text, "") << i;
  }
}

TEST_F(Event_Log, VisibilityFollowsKnowledgeOfTheRegions) {
  Game_Settings.f_fog_of_war = true;
  for (int i = 1; i <= 3; ++i) empires.m_Get_Empire(i)->m_Resize_Known_Regions(3);
  empires.m_Get_Empire(3)->m_Set_Region_Known(2, true);
  empires.m_Get_Empire(2)->m_Set_Region_Known(3, true);
  struct Case {
    const char* what;
    std::function<void()> add;
    Flags visible;
  };
  const Case cases[] = {
      {"movement", [&] { log.m_Add_Movement(20200, 1, 1, UT_INFANTRY, 1, 2); }, Visible({1, 3})},
      {"movement by sea", [&] { log.m_Add_Movement(20200, 1, 1, UT_SHIP, 3, 3); }, Visible({1, 2})},
      {"combat", [&] { log.m_Add_Combat(20200, 1, {}, false, 1, 1, 2, 2); }, Visible({1, 2})},
      {"income: those who know a region of the player", [&] { log.m_Add_Collect_Resources(20200, 2, 5); },
       Visible({2, 3})},
      {"supply", [&] { log.m_Add_Pay_Supply(20200, 1, 5); }, Visible({1})},
      {"purchase", [&] { log.m_Add_Purchase(20200, 2, 1, UT_INFANTRY, 2); }, Visible({2, 3})},
      {"research", [&] { log.m_Add_Research(20200, 2, 1, 0, true); }, Visible({2})},
      {"bombardment", [&] { log.m_Add_Bombardment(20200, 1, 1, 1, 2, "x", 3); }, Visible({1, 2})},
      {"crash", [&] { log.m_Add_Unit_Crashed(20200, 1, UT_PLANE, 2); }, Visible({1, 3})},
      {"decommission", [&] { log.m_Add_Unit_Decommissioned(20200, 1, 1, UT_TRUCK); }, Visible({1})},
      {"capture", [&] { log.m_Add_Region_Captured(20200, 2, 1, 1); }, Visible({1, 2})},
      {"regions 0 and below are skipped", [&] { log.m_Add_Movement(20200, 1, 1, UT_INFANTRY, 0, -1); }, Visible({1})},
  };
  for (const Case& c : cases) {
    c.add();
    EXPECT_EQ(log.m_Get_Item(log.m_Get_Count())->f_visible, c.visible) << c.what;
  }
  // Without fog of war every empire there is knows every region.
  Game_Settings.f_fog_of_war = false;
  log.m_Add_Movement(20200, 1, 1, UT_INFANTRY, 1, 2);
  const TEvent_Log_Item& item = *log.m_Get_Item(log.m_Get_Count());
  EXPECT_EQ(item.f_visible, Visible({1, 2, 3}));
  for (std::int64_t p : {0, 4, 9, 10, -1}) EXPECT_FALSE(item.m_Get_Player_Flag(p)) << p;
  EXPECT_TRUE(item.m_Get_Player_Flag(3));
}

TEST_F(Event_Log, WonLandAttacksDestroyTheDefendersNonCombatUnits) {
  Place(2, UT_TRUCK, 2);
  Place(2, UT_CITY, 2);
  Place(2, UT_INFANTRY, 2);
  Place(2, UT_INFANTRY, 1);
  Place(2, UT_TRUCK, 2);
  const std::vector<TEvent_Log_Combat_Row> rows{{UT_INFANTRY, 1, 4, 0}, {UT_INFANTRY, 2, 1, 1}};
  log.m_Add_Combat(20200, 1, rows, true, 2, 2, 1, 2);
  const TEvent_Log_Item& won = *log.m_Get_Item(1);
  EXPECT_EQ(won.f_combat_rows, rows);
  ASSERT_EQ(won.m_Get_Destroyed_Unit_Count(), 2);
  TEvent_Log_Destroyed_Row row;
  won.m_Get_Destroyed_Unit(1, row);
  EXPECT_EQ(row, (TEvent_Log_Destroyed_Row{UT_TRUCK, 2}));
  won.m_Get_Destroyed_Unit(2, row);
  EXPECT_EQ(row, (TEvent_Log_Destroyed_Row{UT_CITY, 1}));
  won.m_Get_Destroyed_Unit(3, row);
  EXPECT_EQ(row, (TEvent_Log_Destroyed_Row{UT_CITY, 1})) << "outside the rows the output stays";
  TEvent_Log_Combat_Row combat;
  won.m_Get_Combat_Unit(2, combat);
  EXPECT_EQ(combat, rows[1]);
  // Without a land piece, or lost: nothing is destroyed besides the battle.
  log.m_Add_Combat(20200, 1, rows, false, 2, 2, 1, 2);
  EXPECT_EQ(log.m_Get_Item(2)->m_Get_Destroyed_Unit_Count(), 0);
  log.m_Add_Combat(20200, 1, rows, true, 2, 2, 2, 2);
  EXPECT_EQ(log.m_Get_Item(3)->m_Get_Destroyed_Unit_Count(), 0);
  EXPECT_THROW(log.m_Add_Combat(20200, 1, std::vector<TEvent_Log_Combat_Row>(141), true, 2, 2, 1, 2), ERangeError);
  EXPECT_EQ(log.m_Get_Count(), 3);
}

TEST_F(Event_Log, PruningKeepsTheLast20Dates) {
  struct Case {
    std::vector<std::int32_t> dates, kept;
  };
  const Case cases[] = {
      {{20150, 20180, 20185, 20190}, {20180, 20185, 20190}},
      {{20150, 20160, 20179}, {20150, 20160, 20179}},  // none recent: nothing goes
      {{20190, 20100, 20200}, {20190, 20100, 20200}},  // the first is recent
      {{}, {}},
  };
  for (const Case& c : cases) {
    log.m_Clear();
    for (std::int32_t d : c.dates) log.m_Add_Collect_Resources(d, 1, 1);
    log.m_Prune_Old_Events();
    std::vector<std::int32_t> kept;
    for (std::int32_t i = 1; i <= log.m_Get_Count(); ++i) kept.push_back(log.m_Get_Item(i)->f_date);
    EXPECT_EQ(kept, c.kept);
  }
  // Items keep their numbers; the capacity grows by 200 and stays.
  log.m_Clear();
  EXPECT_EQ(log.m_Get_Capacity(), 0);
  for (int i = 0; i < 201; ++i) log.m_Add_Collect_Resources(i < 100 ? 20100 : 20200, 1, 1);
  EXPECT_EQ(log.m_Get_Capacity(), 400);
  log.m_Prune_Old_Events();
  EXPECT_EQ(log.m_Get_Count(), 101);
  EXPECT_EQ(log.m_Get_Item(1)->f_number, 101);
  EXPECT_EQ(log.m_Get_Capacity(), 400);
  EXPECT_EQ(log.m_Add_Pay_Supply(20200, 1, 1), 102);
  EXPECT_EQ(log.m_Get_Item(102)->f_number, 102);
}

TEST_F(Event_Log, RecentDefeatsOfTheLastTwoDates) {
  // Attacker 3 in every battle: date, region, former owner, winner, defender.
  log.m_Add_Combat(20198, 3, {}, false, 2, 2, 3, 2);
  log.m_Add_Combat(20197, 3, {}, false, 1, 1, 3, 1);
  log.m_Add_Combat(20200, 3, {}, false, 3, 1, 1, 1);
  log.m_Add_Combat(20200, 3, {}, false, 3, 2, 3, 1);
  EXPECT_TRUE(log.m_Has_Recent_Events(2, 2)) << "date >= current - 2";
  EXPECT_FALSE(log.m_Has_Recent_Events(1, 1)) << "three dates ago";
  EXPECT_FALSE(log.m_Has_Recent_Events(1, 3)) << "the player won";
  EXPECT_FALSE(log.m_Has_Recent_Events(2, 3)) << "not the defender";
  EXPECT_FALSE(log.m_Has_Recent_Events(3, 2));
  log.m_Add_Movement(20200, 3, 1, UT_INFANTRY, 2, 2);
  EXPECT_FALSE(log.m_Has_Recent_Events(3, 2)) << "only battles count";
}

TEST_F(Event_Log, PlayerTotalsOfRecentBattles) {
  // Won by player 1 as attacker against player 2's region.
  log.m_Add_Combat(20200, 1, {{UT_INFANTRY, 1, 4, 1}, {UT_TANK, 2, 2, 2}, {UT_PLANE, 2, 3, 0}}, true, 2, 2, 1, 2);
  // Lost by player 1 defending its own region.
  log.m_Add_Combat(20199, 3, {{UT_INFANTRY, 1, 5, 5}, {UT_INFANTRY, 3, 2, 0}}, true, 1, 1, 3, 1);
  // Too old, and not player 1's.
  log.m_Add_Combat(20197, 1, {{UT_TANK, 1, 9, 9}}, true, 2, 2, 1, 2);
  log.m_Add_Combat(20200, 2, {{UT_TANK, 2, 9, 9}}, true, 1, 1, 2, 3);
  TEvent_Log_Totals totals;
  totals.values[5] = 77;
  log.m_Get_Player_Totals(1, totals);
  TEvent_Log_Totals want;
  want.values = {1, 0, 80, 0, 140, 0, 20, 0, 80, 0, 1, 1, 100, 100, 40, 40, 100, 100, 0, 0};
  want.movement_counts = {3, 4, 0, 0, 0};
  EXPECT_EQ(totals, want);
}

TEST_F(Event_Log, UnitStrength) {
  EXPECT_EQ(AI_Unit_Strength(UT_INFANTRY, 0, false), 20);
  EXPECT_EQ(AI_Unit_Strength(UT_TRUCK, 0, false), 0) << "takes no part in combat";
  EXPECT_EQ(AI_Unit_Strength(0, 0, false), 0);
  EXPECT_EQ(AI_Unit_Strength(99, 0, false), 0);
  const std::int32_t ship = Place(3, UT_SHIP, 1);
  for (std::uint16_t t : {UT_INFANTRY, UT_INFANTRY, UT_TRUCK}) {
    const std::int32_t u = Place(1, t, 1);
    ASSERT_TRUE(map.m_Add_Unit_To_Cargo(ship, u, false, true));
  }
  TMap_Unit_Record s;
  map.m_Get_Unit(ship, s);
  ASSERT_NE(s.cargo_list, 0);
  EXPECT_EQ(AI_Unit_Strength(UT_SHIP, s.cargo_list, false), 10) << "its cargo does not fight";
  Type(UT_SHIP).f_transported_units_participate_in_combat = true;
  EXPECT_EQ(AI_Unit_Strength(UT_SHIP, s.cargo_list, false), 50);
  EXPECT_EQ(AI_Unit_Strength(UT_SHIP, s.cargo_list, true), 10);
}

TEST_F(Event_Log, ResearchNoticesOfTheCurrentDate) {
  log.m_Add_Research(20200, 1, 1, 0, true);
  log.m_Add_Research(20200, 2, 1, 0, true);
  log.m_Add_Research(20199, 1, 1, 1, false);
  log.m_Add_Movement(20200, 1, 1, UT_INFANTRY, 1, 2);
  log.m_Add_Research(20200, 1, 1, 4, false);
  log.m_Notify_Research_Results(1);
  EXPECT_EQ(links.notices, (std::vector<std::string>{"Tech level 1 in Air has been developed.",
                                                     "Attempt to attain tech level 5 in Air has failed."}));
  Set_World_Main_Screen_Link(nullptr);
  log.m_Notify_Research_Results(1);  // no main screen: nothing to tell
  EXPECT_EQ(links.notices.size(), 2u);
}

// At the start of Borea's turn (player 2, date 20200) the notices sum up
// what it may see of the round since its last turn: Cathay's turn at the
// date before and Avalon's at this date; battles first, then a line per
// nation.
TEST_F(Event_Log, SummaryOfTheOtherNationsTurns) {
  log.m_Add_Movement(20199, 1, 1, UT_INFANTRY, 1, 2);  // Avalon's turn of the round before
  log.m_Add_Movement(20199, 3, 2, UT_SHIP, 3, 3);      // Cathay
  log.m_Add_Bombardment(20199, 3, 1, 1, 2, "x", 2);
  log.m_Add_Movement(20199, 2, 1, UT_INFANTRY, 2, 1);  // Borea's own
  log.m_Add_Movement(20200, 1, 1, UT_INFANTRY, 1, 2);  // Avalon
  log.m_Add_Movement(20200, 1, 1, UT_TANK, 1, 2);
  log.m_Add_Combat(20200, 1, {}, true, 2, 2, 1, 2);
  log.m_Add_Region_Captured(20200, 2, 1, 2);
  log.m_Add_Movement(20200, 3, 1, UT_SHIP, 3, 3);  // Cathay's next turn has not come yet
  log.m_Add_Movement(20200, 1, 1, UT_TRUCK, 1, 2);
  log.m_Get_Item(log.m_Get_Count())->f_visible.fill(false);  // out of Borea's sight
  const std::vector<std::string> expected{"Battle in " + G_Map->m_Get_Region(2)->m_Get_Name() +
                                              ": Avalon attacked Borea, Avalon won.",
                                          "Avalon: 2 moves, 1 region taken.", "Cathay: 1 move, 1 bombardment."};
  EXPECT_EQ(log.m_Summarise_Other_Turns(2), expected);
  log.m_Notify_Other_Turns(2);
  EXPECT_EQ(links.notices, expected);
  // Player 1 sees the turns of the date before of everybody else.
  EXPECT_EQ(log.m_Summarise_Other_Turns(1),
            (std::vector<std::string>{"Borea: 1 move.", "Cathay: 1 move, 1 bombardment."}));
  // Many battles: the first four, then how many more.
  for (int i = 0; i < 6; ++i) log.m_Add_Combat(20200, 1, {}, false, 2, 2, 0, 2);
  const std::vector<std::string> many = log.m_Summarise_Other_Turns(2);
  ASSERT_EQ(many.size(), 4u + 1u + 2u);
  EXPECT_EQ(many[1], "Battle in " + G_Map->m_Get_Region(2)->m_Get_Name() + ": Avalon attacked Borea.");
  EXPECT_EQ(many[4], "3 more battles.");
  for (std::uint8_t p : {0, 10, 255}) EXPECT_TRUE(log.m_Summarise_Other_Turns(p).empty()) << int(p);
}

TEST_F(Event_Log, CapturesOfTheWorldModelAreLogged) {
  Event_Log_Create();
  ASSERT_NE(G_Event_Log, nullptr);
  EXPECT_EQ(&World_Event_Log_Link(), G_Event_Log);
  Game_Settings.f_game_date = 20210;
  const std::int32_t ship = Place(3, UT_SHIP, 1);
  const std::int32_t inf = Place(1, UT_INFANTRY, 1);
  ASSERT_TRUE(map.m_Add_Unit_To_Cargo(ship, inf, false, true));
  ASSERT_TRUE(map.m_Remove_Unit_From_Cargo(ship, inf, false, true, 2, true));
  ASSERT_EQ(G_Event_Log->m_Get_Count(), 1);
  const TEvent_Log_Item& item = *G_Event_Log->m_Get_Item(1);
  EXPECT_EQ(item.f_kind, EVENT_REGION_CAPTURED);
  EXPECT_EQ(item.f_date, 20210);
  EXPECT_EQ(item.f_player, 1);
  EXPECT_EQ(item.f_values, (std::array<std::int32_t, 5>{2, 2, 1, 0, 0}));
  EXPECT_EQ(item.f_text, "Region 2 captured from Borea by Avalon.");
  Event_Log_Free();
  EXPECT_EQ(G_Event_Log, nullptr);
  EXPECT_NE(&World_Event_Log_Link(), static_cast<TWorld_Event_Log_Link*>(&links));
}

namespace {
std::string Str(const std::string& s) { return std::string("\x06", 1) + char(s.size()) + s; }
}  // namespace

TEST_F(Event_Log, FileBytesOfASmallLog) {
  log.m_Add_Pay_Supply(20150, 1, 40);
  log.m_Add_Combat(20150, 1, {{UT_TANK, 2, 3, 1}}, true, 2, 2, 1, 2);
  log.m_Get_Item(2)->f_destroyed_rows.push_back({UT_TRUCK, 300});
  const std::string bytes =
      std::string("\x02\x02", 2) +
      // Item 1: number, date, player, kind, text, five values, nine flags.
      std::string("\x02\x01\x03\xB6\x4E\x02\x01\x02\x08", 9) + Str("$40M paid by Avalon for supplies.") +
      std::string("\x02\x28\x02\x00\x02\x00\x02\x00\x02\x00", 10) +
      std::string("\x09\x09\x09\x08\x08\x08\x08\x08\x08", 9) +
      // Item 2, a battle: then its rows.
      std::string("\x02\x02\x03\xB6\x4E\x02\x01\x02\x02", 9) + Str("Avalon attacks Borea in Region 2.") +
      std::string("\x02\x02\x02\x01\x02\x02\x02\x02\x02\x00", 10) +
      std::string("\x09\x09\x09\x08\x08\x08\x08\x08\x08", 9) +
      std::string(
          "\x02\x01"
          "\x02\x05\x02\x02\x02\x03\x02\x01",
          10) +  // one starting row
      std::string(
          "\x02\x01"
          "\x02\x02\x03\x2C\x01",
          7);  // one destroyed row
  EXPECT_EQ(Saved(log), bytes);
  TEvent_Log back;
  TIo_Reader r = TIo_Reader::From_Bytes(bytes);
  EXPECT_TRUE(back.m_Load(r));
  EXPECT_EQ(r.m_Bytes_Left(), 0u);
  ASSERT_EQ(back.m_Get_Count(), 2);
  EXPECT_EQ(back.m_Get_Capacity(), 2);
  EXPECT_EQ(*back.m_Get_Item(1), *log.m_Get_Item(1));
  EXPECT_EQ(*back.m_Get_Item(2), *log.m_Get_Item(2));
  // An empty log is the single value 0.
  EXPECT_EQ(Saved(TEvent_Log()), std::string("\x02\x00", 2));
}

TEST_F(Event_Log, FileRoundTripAndBrokenFiles) {
  TTemp_Dir dir;
  const std::string name = dir.design() + "EventLog.dat";
  log.m_Add_Movement(20150, 1, 3, UT_INFANTRY, 1, 2);
  log.m_Add_Combat(20151, 1, std::vector<TEvent_Log_Combat_Row>(140, {UT_TANK, 2, 70000, -1}), true, 2, 2, 1, 2);
  log.m_Add_Research(20152, 2, 1, 3, false);
  log.m_Get_Item(3)->f_text = "Caf\xC3\xA9";
  ASSERT_TRUE(log.m_Save_To_File(name));
  TEvent_Log back;
  ASSERT_TRUE(back.m_Load_From_File(name));
  ASSERT_EQ(back.m_Get_Count(), 3);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(*back.m_Get_Item(i), *log.m_Get_Item(i)) << i;

  const std::string good = Read_File(dir.path() / "EventLog.dat");
  const std::string cases[] = {
      good.substr(0, good.size() / 2),
      good.substr(0, good.size() - 1),
      std::string("\x04\xFF\xFF\xFF\x7F", 5),
      std::string("\x04\xFF\xFF\xFF\xFF", 5),
  };
  for (const std::string& bytes : cases) {
    Write_File(dir.path() / "EventLog.dat", bytes);
    TShell_Recorder catcher;
    EXPECT_FALSE(back.m_Load_From_File(name));
    ASSERT_EQ(catcher.messages.size(), 1u);
    EXPECT_EQ(catcher.m_Joined()[0], "Error|Load file error: " + name);
    EXPECT_EQ(back.m_Get_Count(), 3) << "the log stays as it was";
  }
  // A battle of 141 rows is refused.
  log.m_Get_Item(2)->f_combat_rows.push_back({UT_TANK, 2, 1, 1});
  Write_File(dir.path() / "EventLog.dat", Saved(log));
  TShell_Recorder catcher;
  EXPECT_FALSE(back.m_Load_From_File(name));
  EXPECT_EQ(catcher.messages.size(), 1u);
  EXPECT_FALSE(back.m_Load_From_File(""));
  EXPECT_FALSE(back.m_Save_To_File(""));
  EXPECT_EQ(catcher.messages.size(), 1u);
}
