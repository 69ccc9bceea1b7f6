#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <map>

#include "AI_Log.h"
#include "AI_Main.h"
#include "Global.h"
#include "MasterActionTimer.h"
#include "Order_Desk.h"
#include "world/World_Fixture.h"

namespace {

struct TRecorded_Order {
  std::uint8_t player, kind;
  bool towards;
  std::vector<std::int32_t> units;
  std::int32_t target, source;
};
std::vector<TRecorded_Order> Recorded;
std::int32_t Record_Order(std::uint8_t player, std::uint8_t kind, bool towards, const std::vector<std::int32_t>& units,
                          std::int32_t target, std::int32_t source) {
  Recorded.push_back({player, kind, towards, units, target, source});
  return 0;
}

// Battles that never start: the region stays a combat region.
struct TStuck_Battles : TAI_Links {
  std::vector<std::int32_t> begun;
  int running_calls = 0;
  bool m_Combat_Running() override { return running_calls > 0 && running_calls-- > 0; }
  void m_Combat_Begin(std::int32_t region, bool, bool) override { begun.push_back(region); }
};

class AI_Test : public World_Test {
 protected:
  void SetUp() override {
    World_Test::SetUp();
    Master_Action_Timer = &timer;
    empires.m_Create_Empires(3);
    for (int p = 1; p <= 3; ++p) Empire_Get(p)->m_Set_Computer_Controlled(true);
    Game_Settings.f_game_kind = 1;
    Game_Settings.f_turn_empire = 1;
    Type(UT_INFANTRY).f_combat_attack_range = 1;
    Type(UT_INFANTRY).f_hit_points = 10;
    Type(UT_INFANTRY).f_combat_damage_percent = {0, 100, 100, 100, 100, 100};
    AI_Initialize();
    Recorded.clear();
  }
  void TearDown() override {
    Set_AI_Order_Function(nullptr);
    Set_AI_Links(nullptr);
    Master_Action_Timer = nullptr;
    AI_Finalize();
    World_Test::TearDown();
  }
  // Every type fights in battle by its own movement type.
  void Combat_Types() {
    for (std::uint16_t t = 1; t <= UT_COUNT; ++t) Type(t).f_combat_movement_type = Type(t).f_movement_type;
  }
  // A chain of land regions 1..n (each connected to the next), all known.
  void Chain(std::int32_t n, std::uint8_t kind = REGION_LAND) {
    for (std::int32_t i = 1; i <= n; ++i) Add_Region(i, kind, 3, 3, i * 100, 0);
    for (std::int32_t i = 1; i < n; ++i) Connect(i, i + 1);
    Know_All();
  }
  void Know_All() {
    for (int p = 1; p <= empires.m_Get_Count(); ++p) {
      Empire_Get(p)->m_Resize_Known_Regions(map.m_Get_Region_Count());
      Empire_Get(p)->m_Set_All_Regions_Known(true);
    }
  }
  // Runs a whole computer turn as the End Turn action does; returns the
  // step numbers that were called.
  std::vector<int> Play_Turn(std::uint8_t player) {
    std::vector<int> steps;
    std::uint16_t step = 0;
    for (int guard = 0; guard < 5000; ++guard) {
      step = std::uint16_t(step + 1);
      steps.push_back(step);
      if (!Execute_AI_Main(player, step)) break;
    }
    return steps;
  }
  TMaster_Action_Timer timer;
};

// --- Order desk -------------------------------------------------------------

TEST_F(AI_Test, MoveOrdersBecomeChainedLegsAlongTheTrimmedPath) {
  struct TCase {
    const char* name;
    std::uint8_t kind;
    bool towards;
    std::int32_t target;
    std::int32_t enemy_region;  // 0 none
    std::vector<std::int32_t> legs;
  };
  const std::vector<TCase> cases = {
      {"two legs", ORDER_MOVE, false, 3, 0, {2, 3}},
      {"towards a target out of reach", ORDER_MOVE, true, 5, 0, {2, 3}},
      {"out of reach without towards", ORDER_MOVE, false, 5, 0, {}},
      {"attack stops at the first enemy", ORDER_ATTACK, true, 3, 2, {2}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    map.m_Clear();
    timer.m_Clear();
    Chain(5);
    map.m_Get_Region(1)->m_Set_Owner(1);
    Type(UT_INFANTRY).f_movement_amount = 2;
    const std::int32_t a = Place(1, UT_INFANTRY, 1, 2), b = Place(1, UT_INFANTRY, 1, 2);
    if (c.enemy_region) Place(c.enemy_region, UT_INFANTRY, 2, 2);
    const std::int32_t last = AI_Execute_Order(1, c.kind, c.towards, {a, b}, c.target, 1);
    ASSERT_EQ(timer.m_Record_Count(), std::int32_t(c.legs.size()));
    std::int32_t previous = 0;
    for (std::size_t j = 0; j < c.legs.size(); ++j) {
      const TAction_Record& r = timer.m_Get_Record(std::int64_t(j + 1));
      EXPECT_EQ(r.kind, ACTION_MOVE_UNIT);
      EXPECT_EQ(r.move.destination_region, c.legs[j]);
      EXPECT_EQ(r.move.unit_count, 2);
      EXPECT_EQ(r.awaited_id, previous);
      EXPECT_EQ(r.move.more_legs_follow, j + 1 < c.legs.size());
      previous = r.id;
    }
    EXPECT_EQ(last, previous);
  }
}

TEST_F(AI_Test, LoadPutsTheUnitIntoTheTransportItNames) {
  Add_Region(1, REGION_LAND, 3, 3, 0, 0, 1);
  Add_Region(2, REGION_OCEAN, 3, 3, 100, 0);
  Connect(1, 2);
  Know_All();
  const std::int32_t first_ship = Place(2, UT_SHIP, 1);
  const std::int32_t second_ship = Place(2, UT_SHIP, 1);
  const std::int32_t inf = Place(1, UT_INFANTRY, 1);
  const std::int32_t id = AI_Execute_Order(1, ORDER_LOAD, false, {second_ship, inf}, 2, 1);
  EXPECT_GE(id, 1);
  TMap_Unit_Record s1, s2, u;
  map.m_Get_Unit(first_ship, s1);
  map.m_Get_Unit(second_ship, s2);
  map.m_Get_Unit(inf, u);
  EXPECT_EQ(s1.cargo_list, 0);
  ASSERT_NE(s2.cargo_list, 0);
  EXPECT_EQ(map.m_Get_Cargo_Unit(s2.cargo_list, 1), inf);
  EXPECT_EQ(u.region, 0);
  EXPECT_EQ(timer.m_Get_Record(1).kind, ACTION_LOAD_UNIT);

  // A landing puts the cargo ashore in the empty land region and takes it.
  Add_Region(3, REGION_LAND, 3, 3, 200, 0);
  Connect(2, 3);
  Know_All();
  map.m_Set_Unit_Moves(second_ship, 1);
  EXPECT_GE(AI_Execute_Order(1, ORDER_LAND, false, {second_ship}, 3, 2), 1);
  map.m_Get_Unit(inf, u);
  EXPECT_EQ(u.region, 3);
  EXPECT_EQ(u.moves, 0);
  EXPECT_EQ(map.m_Get_Region(3)->m_Get_Owner(), 1);
}

TEST_F(AI_Test, ALandingThatPutsNobodyAshoreTakesNoRegion) {
  Add_Region(1, REGION_OCEAN, 3, 3);
  Add_Region(2, REGION_LAND, 3, 3, 100, 0);
  Connect(1, 2);
  Know_All();
  const std::int32_t ship = Place(1, UT_SHIP, 1, 1);
  EXPECT_EQ(AI_Execute_Order(1, ORDER_LAND, false, {ship}, 2, 1), 0);
  EXPECT_EQ(map.m_Get_Region(2)->m_Get_Owner(), 0);
}

// --- Turn phases ------------------------------------------------------------

TEST_F(AI_Test, TurnRunsAtMostThreePassesAndTheNeutralEmpirePlansNothing) {
  struct TCase {
    const char* name;
    bool neutral;
    bool with_enemy;
    std::int32_t passes;
    bool orders;
  };
  const std::vector<TCase> cases = {
      {"orders that change nothing: three passes", false, true, 3, true},
      {"neutral: one pass, no orders", true, true, 1, false},
      {"no unit with moves left after the pass: one pass", false, false, 1, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    map.m_Clear();
    Recorded.clear();
    AI_Initialize();
    Set_AI_Order_Function(&Record_Order);
    Chain(3);
    map.m_Get_Region(1)->m_Set_Owner(1);
    Empire_Get(1)->m_Set_Neutral(c.neutral);
    Empire_Get(1)->m_Set_Treasury(0);
    Place(1, UT_INFANTRY, 1, c.with_enemy ? 1 : 0);
    if (c.with_enemy) map.m_Get_Region(2)->m_Set_Owner(2), Place(2, UT_TRUCK, 2);
    const std::vector<int> steps = Play_Turn(1);
    EXPECT_EQ(AI.loop_count, c.passes);
    EXPECT_EQ(!Recorded.empty(), c.orders);
    EXPECT_EQ(steps.back(), 100);
    EXPECT_EQ(std::count(steps.begin(), steps.end(), 9), c.passes);
    Empire_Get(1)->m_Set_Neutral(false);
  }
}

TEST_F(AI_Test, BattlesStartOneAtATimeAndAStuckRegionIsTriedOnce) {
  TStuck_Battles links;
  links.running_calls = 2;
  Set_AI_Links(&links);
  Set_AI_Order_Function(&Record_Order);
  Chain(3);
  map.m_Add_Combat_Region(3);
  map.m_Add_Combat_Region(2);
  const std::vector<int> steps = Play_Turn(1);
  EXPECT_EQ(links.begun, (std::vector<std::int32_t>{3, 2}));
  EXPECT_EQ(steps.back(), 100);
  // Two waits while a battle ran, one call per battle, one to go on.
  EXPECT_EQ(std::count(steps.begin(), steps.end(), 70), 5);
}

TEST_F(AI_Test, AnErrorInAStepEndsTheTurn) {
  std::uint16_t step = 10;
  G_Map = nullptr;
  EXPECT_FALSE(Execute_AI_Main(1, step));
  G_Map = &map;
}

// --- Tables, tasks and scores ------------------------------------------------

TEST_F(AI_Test, RegionTableFollowsTheMapsRegionCount) {
  Chain(600);
  map.m_Get_Region(1)->m_Set_Owner(1);
  AI_Generate_Unit_Type_Stats(1);
  AI_Player_Start(1);
  ASSERT_EQ(AI.regions.size(), 600u);
  EXPECT_EQ(AI_Region(600).distance, 599);
  EXPECT_EQ(AI_Region(1).distance, 0);
  EXPECT_EQ(AI.own_regions, 1);
}

TEST_F(AI_Test, TaskScoresFollowTheirFormulas) {
  // 1 (own) - 2 (enemy, weak) - 3 (empty, value 4) - 4 (unknown)
  Chain(4);
  map.m_Get_Region(1)->m_Set_Owner(1);
  map.m_Get_Region(2)->m_Set_Owner(2);
  map.m_Get_Region(3)->m_Set_Value(4);
  Empire_Get(1)->m_Set_Region_Known(4, false);
  Place(1, UT_INFANTRY, 1);
  Place(1, UT_INFANTRY, 1);
  const std::int32_t enemy = Place(2, UT_INFANTRY, 2);
  (void)enemy;
  AI_Generate_Unit_Type_Stats(1);
  AI_Player_Start(1);
  AI_Compute_Stats(1);
  AI_Create_Objects(1);
  AI_Create_Assets(1);
  AI_Create_Tasks(1);
  const float unit = 10;  // hit points only
  std::multimap<std::uint8_t, TAI_Task> by_kind;
  for (const TAI_Task& t : AI.tasks) by_kind.emplace(t.kind, t);
  // Own region 1 with an enemy next door: two protect tasks.
  ASSERT_EQ(by_kind.count(AI_TASK_PROTECT_REGION), 2u);
  auto protect = by_kind.equal_range(AI_TASK_PROTECT_REGION);
  const TAI_Task first = protect.first->second, second = std::next(protect.first)->second;
  const float total_value = 200;  // value 1 x 200
  const float n1 = unit, n2 = unit;
  EXPECT_FLOAT_EQ(first.score, 20000 + 0.2f * total_value + 1.0f * n1 + 0.2f * n2);
  EXPECT_FLOAT_EQ(second.score, first.score - 2000);
  const float v = unit + 50 * 1;  // largest + 50 x foreign regions next door
  EXPECT_FLOAT_EQ(first.required_strength, v / 10);
  EXPECT_FLOAT_EQ(second.wanted_max_strength, v);
  // Enemy region 2: weaker than the player's forces in range: conquer.
  auto conquer = by_kind.find(AI_TASK_CONQUER_REGION);
  ASSERT_NE(conquer, by_kind.end());
  EXPECT_FLOAT_EQ(conquer->second.score, 70000 + 0.5f * 200 - unit - 400 * 1 - 3000);
  EXPECT_FLOAT_EQ(conquer->second.required_strength, unit);
  // Empty region 3 at distance 2; region 4 is unknown: no task.
  auto take = by_kind.find(AI_TASK_TAKE_EMPTY_REGION);
  ASSERT_NE(take, by_kind.end());
  EXPECT_EQ(take->second.region, 3);
  EXPECT_FLOAT_EQ(take->second.score, 80000 + 100 * 4 - 400 * 2);
  for (const TAI_Task& t : AI.tasks) EXPECT_NE(t.region, 4);
  // View from region 1: three regions within 3 steps are not unknown... one is.
  auto view = by_kind.find(AI_TASK_VIEW_FROM_REGION);
  ASSERT_NE(view, by_kind.end());
  EXPECT_FLOAT_EQ(view->second.score, 30000 + 50 * 1 + 0.2f * n2);
  // Sorted highest first.
  for (std::size_t i = 1; i < AI.sorted_tasks.size(); ++i)
    EXPECT_GE(AI.tasks[std::size_t(AI.sorted_tasks[i - 1] - 1)].score,
              AI.tasks[std::size_t(AI.sorted_tasks[i] - 1)].score);
}

TEST_F(AI_Test, QuietRegionGetsOneProtectTaskTenThousandLower) {
  Chain(2);
  map.m_Get_Region(1)->m_Set_Owner(1);
  map.m_Get_Region(2)->m_Set_Owner(1);
  AI_Generate_Unit_Type_Stats(1);
  AI_Player_Start(1);
  AI_Compute_Stats(1);
  AI_Create_Objects(1);
  AI_Create_Tasks(1);
  ASSERT_EQ(AI.tasks.size(), 4u);  // protect + view per region
  EXPECT_EQ(AI.tasks[0].kind, AI_TASK_PROTECT_REGION);
  EXPECT_FLOAT_EQ(AI.tasks[0].score, 20000 - 10000 + 0.2f * 200);
  EXPECT_FLOAT_EQ(AI.tasks[0].required_strength, 1);
  EXPECT_FLOAT_EQ(AI.tasks[0].wanted_max_strength, 1);
}

TEST_F(AI_Test, AssetsOfATaskThatFallsShortAreWithdrawn) {
  Chain(2);
  map.m_Get_Region(1)->m_Set_Owner(1);
  const std::int32_t unit = Place(1, UT_INFANTRY, 1);
  AI_Add_Asset(unit, 1, 1, UT_INFANTRY, 0, 1, 10);
  AI.objects.push_back(TAI_Object{});
  AI_Add_Task(AI_TASK_PROTECT_REGION, 1, 2, 5000, 100, 0);  // needs 100
  AI_Add_Assignment(1, 1, 0, 0, 10, 5000);
  AI_Sort_Assignments(1);
  AI_Assign_Tasks(1);
  EXPECT_EQ(AI.assets[0].task, 0);
  EXPECT_FLOAT_EQ(AI.assignments[0].score, -20000);
  EXPECT_FLOAT_EQ(AI.tasks[0].assigned_strength, 0);
  EXPECT_FALSE(AI_Execute_Next_Order(1));
}

TEST_F(AI_Test, PairsSortByScoreHighestFirstAndEqualScoresInPairOrder) {
  // A few pairs take the plain sort, many the radix sort; both must give
  // the same order: equal scores (also -0 and +0) in pair order, a score
  // that is not a number last.
  for (const std::int32_t count : {40, 9000}) {
    AI.assignments.clear();
    const float scores[] = {5.5f, -20000, 0.0f, -0.0f, 1e9f, -1e-9f, 5.5f, std::nanf(""), 123.25f, -3};
    for (std::int32_t i = 0; i < count; ++i) AI_Add_Assignment(1, 1, 0, 0, 1, scores[(i * 7) % 10]);
    AI_Sort_Assignments(1);
    ASSERT_EQ(AI.sorted_assignments.size(), std::size_t(count));
    auto rank = [](float f) { return std::isnan(f) ? -std::numeric_limits<float>::infinity() : f; };
    for (std::size_t i = 1; i < AI.sorted_assignments.size(); ++i) {
      const std::int32_t x = AI.sorted_assignments[i - 1], y = AI.sorted_assignments[i];
      const float fx = rank(AI.assignments[std::size_t(x - 1)].score),
                  fy = rank(AI.assignments[std::size_t(y - 1)].score);
      ASSERT_TRUE(fx > fy || (fx == fy && x < y)) << count << " pairs, place " << i;
    }
    // Withdrawn pairs fall behind every pair with a higher score, still in
    // pair order among the equal ones.
    AI.assets.clear();
    AI.tasks.clear();
    AI_Add_Asset(1, 1, 1, UT_INFANTRY, 0, 1, 10);
    AI.objects.assign(1, TAI_Object{});
    AI_Add_Task(AI_TASK_PROTECT_REGION, 1, 1, 5000, 100, 0);  // never reached
    AI_Assign_Tasks(1);
    std::vector<std::int32_t> expected(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) expected[std::size_t(i)] = i + 1;
    std::stable_sort(expected.begin(), expected.end(), [&](std::int32_t x, std::int32_t y) {
      return rank(AI.assignments[std::size_t(x - 1)].score) > rank(AI.assignments[std::size_t(y - 1)].score);
    });
    EXPECT_EQ(AI.sorted_assignments, expected) << count << " pairs";
  }
}

TEST_F(AI_Test, CargoAssetsOfATaskStayPendingUntilOrdered) {
  Chain(3);
  map.m_Get_Region(1)->m_Set_Owner(1);
  Set_AI_Order_Function(&Record_Order);
  const std::int32_t a = Place(1, UT_INFANTRY, 1), b = Place(2, UT_INFANTRY, 1);
  AI.objects.push_back(TAI_Object{});
  AI_Add_Task(AI_TASK_VIEW_FROM_REGION, 1, 3, 100, 1, 0);
  AI.tasks[0].done = true;
  AI.sorted_tasks = {1};
  AI_Add_Asset(a, 1, 1, UT_INFANTRY, 0, 1, 10);
  AI_Add_Asset(b, 1, 2, UT_INFANTRY, 0, 1, 10);
  AI.assets[0].task = AI.assets[1].task = 1;
  AI.assets[0].place = 1;
  AI.assets[1].place = 7;  // a place beyond the task's count
  AI.tasks[0].asset_count = 1;
  EXPECT_TRUE(AI_Execute_Next_Order(1));
  EXPECT_TRUE(AI_Execute_Next_Order(1));
  EXPECT_FALSE(AI_Execute_Next_Order(1));
  ASSERT_EQ(Recorded.size(), 2u);
  EXPECT_EQ(Recorded[0].units, std::vector<std::int32_t>{a});
  EXPECT_EQ(Recorded[1].units, std::vector<std::int32_t>{b});
}

TEST_F(AI_Test, OceanRegionsInRangeLeaveOutTheStartRegion) {
  Add_Region(1, REGION_LAND, 3, 3);
  Add_Region(2, REGION_OCEAN, 3, 3, 100, 0);
  Add_Region(3, REGION_OCEAN, 3, 3, 200, 0);
  Add_Region(4, REGION_OCEAN, 3, 3, 300, 0);
  Connect(1, 2);
  Connect(1, 3);
  Connect(3, 4);
  EXPECT_EQ(AI_Count_Regions_In_Range(1, 1), 2);
  EXPECT_EQ(AI_Count_Regions_In_Range(4, 1), 1);
  EXPECT_EQ(AI_Count_Regions_In_Range(2, 1), 0);
}

// --- Purchases and air units --------------------------------------------------

TEST_F(AI_Test, UnitCategoriesFollowTheFirstMatchingRow) {
  Type(UT_CITY).f_movement_amount = 0;
  Type(UT_INFANTRY).f_purchase_with_family_id = 3;  // cities enable purchases
  Chain(1);
  AI_Generate_Unit_Type_Stats(1);
  AI_Player_Start(1);
  AI_Compute_Stats(1);
  const std::vector<std::pair<std::uint16_t, std::string>> cases = {
      {UT_INFANTRY, "Infantry, Tank, Rocket Artillery"},
      {UT_SHIP, "Sea Transport"},
      {UT_PLANE, "Helicopter, Fighter, Stealth Fighter"},
      {UT_SUB, "Submarine"},
      {UT_CITY, "Fabrication Complex"},
  };
  for (const auto& [type, name] : cases) {
    TAI_Purchase_Candidate c;
    c.kind = 1;
    c.item = type;
    std::string category;
    AI_Unit_Purchase_Score(1, c, category);
    EXPECT_EQ(category, name) << Type(type).f_display_name;
  }
}

TEST_F(AI_Test, AFactoryOnAnIslandScoresLowerThanOnTheCoast) {
  // 1 is an island (two ocean neighbours); 4 is on the coast (one ocean,
  // one land neighbour). The player's two cities stand far away in 6.
  Type(UT_CITY).f_movement_amount = 0;
  Type(UT_INFANTRY).f_purchase_with_family_id = 3;  // cities enable purchases
  Add_Region(1, REGION_LAND, 3, 3, 0, 0, 1);
  Add_Region(2, REGION_OCEAN, 3, 3, 100, 0);
  Add_Region(3, REGION_OCEAN, 3, 3, 200, 0);
  Add_Region(4, REGION_LAND, 3, 3, 300, 0, 1);
  Add_Region(5, REGION_LAND, 3, 3, 400, 0, 1);
  Add_Region(6, REGION_LAND, 3, 3, 500, 0, 1);
  Add_Region(7, REGION_LAND, 3, 3, 600, 0, 1);
  Connect(1, 2);
  Connect(1, 3);
  Connect(2, 4);
  Connect(4, 5);
  Connect(5, 7);
  Connect(7, 6);
  Know_All();
  Place(6, UT_CITY, 1);
  Place(6, UT_CITY, 1);
  AI_Generate_Unit_Type_Stats(1);
  AI_Player_Start(1);
  AI_Compute_Stats(1);
  TAI_Purchase_Candidate c;
  c.kind = PURCHASE_UNIT;
  c.item = UT_CITY;
  Random_Set_Seed(3);
  const float island = AI_Location_Score(1, c, 1);
  Random_Set_Seed(3);
  const float coast = AI_Location_Score(1, c, 4);
  // Only the island penalty and the bonus of an unsupplied place differ.
  const float unsupplied = 3000.0f * float(!AI_Region(1).supplied) - 3000.0f * float(!AI_Region(4).supplied);
  EXPECT_FLOAT_EQ(coast - island + unsupplied, 5000);
}

TEST_F(AI_Test, PurchasesSpendAtMostTheTreasuryInOwnRegions) {
  Chain(3);
  map.m_Get_Region(1)->m_Set_Owner(1);
  map.m_Get_Region(2)->m_Set_Owner(1);
  Empire_Get(1)->m_Set_Treasury(35);
  Random_Set_Seed(7);
  AI_Generate_Unit_Type_Stats(1);
  AI_Player_Start(1);
  AI_Compute_Stats(1);
  AI_Purchases(1);
  const TEmpire* e = Empire_Get(1);
  ASSERT_GE(e->m_Get_Purchase_Count(), 1);
  std::int32_t spent = 0;
  for (std::int32_t i = 1; i <= e->m_Get_Purchase_Count(); ++i) {
    TEmpire_Purchase p;
    e->m_Get_Purchase(i, p);
    EXPECT_EQ(p.kind, PURCHASE_UNIT);
    EXPECT_EQ(p.amount, 1);
    EXPECT_TRUE(e->m_Can_Place_Unit_At(p.region, p.id, 1));
    spent += p.cost;
  }
  EXPECT_LE(spent, 35);
}

TEST_F(AI_Test, AirUnitsAreBroughtHomeOrOntoACarrier) {
  Type(UT_SHIP).f_transported_units_participate_in_combat = true;
  Type(UT_SHIP).f_transporting_types.push_back({"Plane", 1});
  Type(UT_PLANE).f_movement_amount = 3;
  // 1 own land - 2 foreign land; 3 ocean next to 2.
  Add_Region(1, REGION_LAND, 3, 3, 0, 0, 1);
  Add_Region(2, REGION_LAND, 3, 3, 100, 0, 2);
  Add_Region(3, REGION_OCEAN, 3, 3, 200, 0);
  Connect(1, 2);
  Connect(2, 3);
  Know_All();
  const std::int32_t flying = Place(2, UT_PLANE, 1, 1);
  const std::int32_t landed = Place(3, UT_PLANE, 1, 0);  // arrived with no moves left
  const std::int32_t carrier = Place(3, UT_SHIP, 1, 0);
  EXPECT_TRUE(AI_Save_Air_Units(1));
  ASSERT_EQ(timer.m_Record_Count(), 1);
  EXPECT_EQ(timer.m_Get_Record(1).kind, ACTION_MOVE_UNIT);
  EXPECT_EQ(timer.m_Get_Record(1).move.destination_region, 1);
  timer.m_Get_Record(1).done = true;
  EXPECT_TRUE(AI_Save_Air_Units(1));
  TMap_Unit_Record c, p;
  map.m_Get_Unit(carrier, c);
  map.m_Get_Unit(landed, p);
  EXPECT_EQ(p.region, 0);
  ASSERT_NE(c.cargo_list, 0);
  EXPECT_EQ(map.m_Get_Cargo_Unit(c.cargo_list, 1), landed);
  (void)flying;
}

// --- Faults that kept games from ending ---------------------------------------

TEST_F(AI_Test, ALandingIntoARegionWithoutRoomForItsStackPutsTheCargoAshore) {
  Add_Region(1, REGION_LAND, 3, 3, 0, 0, 1);
  Add_Region(2, REGION_OCEAN, 3, 3, 100, 0);
  TMap_Region& shore = Add_Region(3, REGION_LAND, 1, 1, 200, 0);
  Connect(1, 2);
  Connect(2, 3);
  Know_All();
  while (shore.m_Subdivide_Squares()) {
  }
  for (std::int32_t i = 1; i <= shore.m_Get_Square_Count(); ++i) {
    TMap_Region_Square sq;
    shore.m_Get_Square(i, sq);
    if (sq.state == SQUARE_FREE) shore.m_Occupy_Block(i, 1, 1, 9, 99, 1);
  }
  const std::int32_t ship = Place(2, UT_SHIP, 1, 1);
  const std::int32_t inf = Place(1, UT_INFANTRY, 1);
  ASSERT_GE(AI_Execute_Order(1, ORDER_LOAD, false, {ship, inf}, 2, 1), 1);
  map.m_Set_Unit_Moves(ship, 1);  // a turn later
  EXPECT_GE(AI_Execute_Order(1, ORDER_LAND, false, {ship}, 3, 2), 1);
  TMap_Unit_Record u, s;
  map.m_Get_Unit(inf, u);
  map.m_Get_Unit(ship, s);
  EXPECT_EQ(u.region, 3);
  EXPECT_TRUE(shore.m_Has_Unit_Id(inf));
  EXPECT_EQ(s.cargo_list, 0);
  EXPECT_EQ(shore.m_Get_Owner(), 1);
}

TEST_F(AI_Test, AnUnloadThatAddsCargoAssetsOrdersTheTransportAndThenItsCargo) {
  // A ship whose infantry fights from it, ordered to conquer region 2; its
  // cargo joins the asset table while the ship's order is being made.
  Combat_Types();
  Type(UT_SHIP).f_transported_units_participate_in_combat = true;
  Add_Region(1, REGION_OCEAN, 3, 3, 0, 0);
  Add_Region(2, REGION_LAND, 3, 3, 100, 0, 2);
  Connect(1, 2);
  Know_All();
  Set_AI_Order_Function(&Record_Order);
  const std::int32_t ship = Place(1, UT_SHIP, 1, 1);
  const std::int32_t a = Place(1, UT_INFANTRY, 1), b = Place(1, UT_INFANTRY, 1);
  ASSERT_TRUE(map.m_Add_Unit_To_Cargo(ship, a, false, true));
  ASSERT_TRUE(map.m_Add_Unit_To_Cargo(ship, b, false, true));
  TMap_Unit_Record s;
  map.m_Get_Unit(ship, s);
  AI.objects.push_back(TAI_Object{});
  AI_Add_Task(AI_TASK_CONQUER_REGION, 1, 2, 70000, 1, 0);
  AI.tasks[0].done = true;
  AI.sorted_tasks = {1};
  AI_Add_Asset(ship, 1, 1, UT_SHIP, s.cargo_list, 1, 10);
  AI_Add_Assignment(1, 1, 0, 0, 10, 70000);
  AI.assets[0].task = 1;
  AI.assets[0].assignment = 1;
  AI.assets[0].place = 1;
  AI.tasks[0].asset_count = 1;
  AI.assets.shrink_to_fit();  // the next asset moves the table
  EXPECT_TRUE(AI_Execute_Next_Order(1));
  ASSERT_EQ(AI.assets.size(), 3u);
  EXPECT_EQ(AI.assets[1].unit, a);
  EXPECT_EQ(AI.assets[2].unit, b);
  ASSERT_EQ(Recorded.size(), 1u);
  EXPECT_EQ(Recorded[0].kind, ORDER_UNLOAD);
  EXPECT_EQ(Recorded[0].units, std::vector<std::int32_t>{ship});
  EXPECT_EQ(Recorded[0].source, 1);
  // Then each unit of the cargo attacks (the recorded unload put nobody
  // ashore, so they are not gathered into one order).
  EXPECT_TRUE(AI_Execute_Next_Order(1));
  EXPECT_TRUE(AI_Execute_Next_Order(1));
  EXPECT_FALSE(AI_Execute_Next_Order(1));
  ASSERT_EQ(Recorded.size(), 3u);
  for (std::size_t i : {1u, 2u}) {
    EXPECT_EQ(Recorded[i].kind, ORDER_ATTACK);
    EXPECT_EQ(Recorded[i].target, 2);
  }
  EXPECT_EQ(Recorded[1].units, std::vector<std::int32_t>{a});
  EXPECT_EQ(Recorded[2].units, std::vector<std::int32_t>{b});
}

TEST_F(AI_Test, ATargetsStrengthCountsOnlyTheUnitsOfOtherOwners) {
  // Region 2 holds player 2's plane and player 1's infantry left there
  // after an attack. Infantry cannot hurt planes.
  Combat_Types();
  Type(UT_INFANTRY).f_combat_damage_percent = {0, 0, 100, 100, 100, 100};
  Type(UT_PLANE).f_hit_points = 20;
  Chain(2);
  map.m_Get_Region(1)->m_Set_Owner(1);
  map.m_Get_Region(2)->m_Set_Owner(2);
  Place(2, UT_PLANE, 2);
  Place(2, UT_INFANTRY, 1);
  for (int i = 0; i < 3; ++i) Place(1, UT_INFANTRY, 1);
  EXPECT_FLOAT_EQ(AI_Unit_Strength_Against(UT_INFANTRY, 0, 2, 1), 0);
  // Counted against every unit the infantry looked able to fight there.
  EXPECT_FLOAT_EQ(AI_Unit_Strength_Against(UT_INFANTRY, 0, 2), 10);
  AI_Generate_Unit_Type_Stats(1);
  AI_Player_Start(1);
  EXPECT_FLOAT_EQ(AI_Region(2).asset_strength, 30);
  EXPECT_FLOAT_EQ(AI_Region(2).enemy_strength, 20);
  AI_Compute_Stats(1);
  AI_Create_Objects(1);
  AI_Create_Tasks(1);
  const auto conquer = std::find_if(AI.tasks.begin(), AI.tasks.end(),
                                    [](const TAI_Task& t) { return t.kind == AI_TASK_CONQUER_REGION; });
  ASSERT_NE(conquer, AI.tasks.end());
  EXPECT_FLOAT_EQ(conquer->required_strength, 20);
}

TEST_F(AI_Test, ARangedTypeJoinsAConquestOnlyWhereItCanHurtTheDefenders) {
  // Subs stand in for a land type that fires at range and fights in battle
  // as a space unit, hurting only space units.
  Combat_Types();
  TUnit_Type& ranged = Type(UT_SUB);
  ranged.f_movement_type = UNIT_MOVEMENT_LAND;
  ranged.f_combat_movement_type = UNIT_MOVEMENT_SPACE;
  ranged.f_ranged_fire_range = 3;
  ranged.f_combat_attack_range = 2;
  ranged.f_hit_points = 10;
  ranged.f_combat_damage_percent = {0, 0, 0, 0, 0, 100};
  Type(UT_TRUCK).f_takes_part_in_combat = true;
  struct TCase {
    const char* name;
    std::uint16_t defender;
    bool joins;
  };
  const TCase cases[] = {{"defenders it can hurt", UT_SUB, true}, {"defenders it cannot hurt", UT_TRUCK, false}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    map.m_Clear();
    AI_Initialize();
    Chain(2);
    map.m_Get_Region(1)->m_Set_Owner(1);
    map.m_Get_Region(2)->m_Set_Owner(2);
    Place(2, c.defender, 2);
    Place(1, UT_SUB, 1, 2);
    Place(1, UT_SUB, 1, 2);
    AI_Generate_Unit_Type_Stats(1);
    AI_Player_Start(1);
    AI_Compute_Stats(1);
    AI_Create_Objects(1);
    AI_Create_Assets(1);
    AI_Create_Tasks(1);
    ASSERT_TRUE(std::any_of(AI.tasks.begin(), AI.tasks.end(),
                            [](const TAI_Task& t) { return t.kind == AI_TASK_CONQUER_REGION; }));
    AI_Create_Assignments(1);
    bool paired = false;
    for (const TAI_Assignment& p : AI.assignments)
      if (AI.tasks[std::size_t(p.task - 1)].kind == AI_TASK_CONQUER_REGION) paired = true;
    EXPECT_EQ(paired, c.joins);
  }
}

TEST_F(AI_Test, EnemyUnitsStandingOnOwnLandAreAttackedFromNextDoor) {
  // 1 and 2 are player 1's; player 2's infantry stands in 2 beside player
  // 1's own, left from a battle that took nothing.
  Combat_Types();
  Chain(2);
  map.m_Get_Region(1)->m_Set_Owner(1);
  map.m_Get_Region(2)->m_Set_Owner(1);
  Place(2, UT_INFANTRY, 2, 0);
  Place(2, UT_INFANTRY, 1, 0);
  const std::int32_t a = Place(1, UT_INFANTRY, 1, 1);
  Empire_Get(1)->m_Set_Treasury(0);
  AI_Generate_Unit_Type_Stats(1);
  AI_Player_Start(1);
  AI_Compute_Stats(1);
  AI_Create_Objects(1);
  const auto object = std::find_if(AI.objects.begin(), AI.objects.end(), [](const TAI_Object& o) {
    return o.kind == AI_OBJECT_FOREIGN_UNITS && o.region == 2;
  });
  ASSERT_NE(object, AI.objects.end());
  EXPECT_EQ(object->counts[UNIT_MOVEMENT_LAND], 1);  // the enemy's unit alone
  Set_AI_Order_Function(&Record_Order);
  AI_Initialize();
  Play_Turn(1);
  const auto attack = std::find_if(Recorded.begin(), Recorded.end(), [](const TRecorded_Order& o) {
    return o.kind == ORDER_ATTACK && o.target == 2;
  });
  ASSERT_NE(attack, Recorded.end());
  EXPECT_EQ(attack->source, 1);
  EXPECT_EQ(attack->units, std::vector<std::int32_t>{a});
}

TEST_F(AI_Test, QueuedPurchasesCountTowardARegionsMaximum) {
  // Two regions; a type of at most one per region that the player wants
  // above all, and money for four.
  Chain(2);
  map.m_Get_Region(1)->m_Set_Owner(1);
  map.m_Get_Region(2)->m_Set_Owner(1);
  Type(UT_TANK).f_maximum_per_region = 1;
  for (std::uint16_t t = 1; t <= UT_COUNT; ++t)
    if (t != UT_TANK) Require(t, "1 > 2");
  Empire_Get(1)->m_Set_Treasury(40);
  for (std::uint32_t seed : {1u, 2u, 3u, 4u}) {
    SCOPED_TRACE(seed);
    Empire_Get(1)->m_Clear_Purchases();
    Random_Set_Seed(seed);
    AI_Generate_Unit_Type_Stats(1);
    AI_Player_Start(1);
    AI_Compute_Stats(1);
    AI_Purchases(1);
    const TEmpire* e = Empire_Get(1);
    std::map<std::int32_t, std::int32_t> per_region;
    for (std::int32_t i = 1; i <= e->m_Get_Purchase_Count(); ++i) {
      TEmpire_Purchase p;
      e->m_Get_Purchase(i, p);
      ASSERT_EQ(p.id, UT_TANK);
      per_region[p.region] += p.amount;
    }
    for (const auto& [region, n] : per_region) EXPECT_LE(n, 1) << "region " << region;
    // Every queued entry is still good when the purchases are settled.
    for (std::int32_t i = 1; i <= e->m_Get_Purchase_Count(); ++i) {
      TEmpire_Purchase p;
      e->m_Get_Purchase(i, p);
      EXPECT_TRUE(e->m_Is_Purchase_Valid(p));
    }
  }
}

TEST_F(AI_Test, ATransportWithCargoThatNobodyComesToFillSailsToLand) {
  // A ship with one infantry aboard (room for five more) off the coast of
  // an empty region; no other unit can reach it.
  Add_Region(1, REGION_LAND, 3, 3, 0, 0, 1);
  Add_Region(2, REGION_OCEAN, 3, 3, 100, 0);
  Add_Region(3, REGION_LAND, 3, 3, 200, 0, 0, 5);
  Connect(1, 2);
  Connect(2, 3);
  Know_All();
  Combat_Types();
  Type(UT_INFANTRY).f_movement_amount = 1;
  Type(UT_SHIP).f_hit_points = 20;
  const std::int32_t ship = Place(2, UT_SHIP, 1, 2);
  const std::int32_t inf = Place(2, UT_INFANTRY, 1, 1);
  map.m_Get_Region(2)->m_Remove_Unit(inf);
  map.m_Set_Unit_Region(inf, 2);
  ASSERT_TRUE(map.m_Add_Unit_To_Cargo(ship, inf, false, false));
  map.m_Set_Unit_Moves(ship, 2);  // loaded a turn ago
  Empire_Get(1)->m_Set_Treasury(0);
  Set_AI_Order_Function(&Record_Order);
  Play_Turn(1);
  const auto landing = std::find_if(Recorded.begin(), Recorded.end(), [&](const TRecorded_Order& o) {
    return o.units == std::vector<std::int32_t>{ship} && o.kind == ORDER_LAND;
  });
  ASSERT_NE(landing, Recorded.end());
  EXPECT_EQ(landing->target, 3);
}

TEST(AI_Log_Test, ScoresPrintInTheShortestFormThatReadsBack) {
  const std::vector<std::pair<float, std::string>> cases = {
      {0.1f, "0.1"}, {20000.0f, "20000"}, {-3.5f, "-3.5"}, {39999600.0f, "39999600"}, {1.0f / 3.0f, "0.33333334"}};
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(AI_Float_Text(value), text);
    float back = 0;
    std::from_chars(text.data(), text.data() + text.size(), back);
    EXPECT_EQ(back, value);
  }
}

}  // namespace
