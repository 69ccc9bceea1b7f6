#include "World_Fixture.h"

namespace {
TMap_Unit_Record Unit(const TMap& map, std::int32_t id) {
  TMap_Unit_Record u;
  map.m_Get_Unit(id, u);
  return u;
}

TEmpire_Unit_Type_Counters Counters(TEmpire& e, std::uint16_t type) {
  TEmpire_Unit_Type_Counters c;
  e.m_Get_Unit_Type_Counters(type, c);
  return c;
}
}  // namespace

using Map_Units = World_Test;
using Map_Cargo = World_Test;
using Map_Capture = World_Test;
using Map_Combat_Regions = World_Test;
using Map_Player = World_Test;

// ---------------------------------------------------------------------------
// Unit slots

TEST_F(Map_Units, FreeSlotsAreReusedHighestFirstAndTheCountGrowsOtherwise) {
  Add_Region(1, REGION_LAND, 4, 4);
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(map.m_Add_Unit(1, UT_INFANTRY, 0, 0, 0), i);
  EXPECT_EQ(map.m_Get_Unit_Capacity(), 101);
  ASSERT_TRUE(map.m_Delete_Unit(3));
  ASSERT_TRUE(map.m_Delete_Unit(7));
  EXPECT_EQ(Unit(map, 7), TMap_Unit_Record{});
  struct Row {
    std::int32_t expected_id, expected_count;
  } rows[] = {{7, 8}, {3, 8}, {9, 9}};
  for (const Row& r : rows) {
    EXPECT_EQ(map.m_Add_Unit(1, UT_TRUCK, 0, 0, 0), r.expected_id);
    EXPECT_EQ(map.m_Get_Unit_Count(), r.expected_count);
  }
  TMap_Unit_Record u = Unit(map, 7);
  EXPECT_EQ(u.id, 7);
  EXPECT_EQ(u.unit_type, UT_TRUCK);
  EXPECT_EQ(u.damage, 0);
}

// Each owner's ids stay in id order whatever takes or frees a slot.
TEST_F(Map_Units, EachOwnersUnitIdsStayInIdOrder) {
  Add_Region(1, REGION_LAND, 4, 4);
  for (int i = 1; i <= 8; ++i) map.m_Add_Unit(1, UT_INFANTRY, std::uint8_t(2 - i % 2), 0, 0);
  using Ids = std::vector<std::int32_t>;
  struct Row {
    const char* step;
    Ids first, second;
  };
  auto check = [&](const TMap& m, const Row& r) {
    EXPECT_EQ(m.m_Get_Unit_Ids_Of(1), r.first) << r.step;
    EXPECT_EQ(m.m_Get_Unit_Ids_Of(2), r.second) << r.step;
  };
  check(map, {"added", {1, 3, 5, 7}, {2, 4, 6, 8}});
  ASSERT_TRUE(map.m_Delete_Unit(3));
  ASSERT_TRUE(map.m_Delete_Unit(6));
  check(map, {"deleted", {1, 5, 7}, {2, 4, 8}});
  EXPECT_EQ(map.m_Add_Unit(1, UT_TRUCK, 2, 0, 0), 6);
  check(map, {"a freed slot taken", {1, 5, 7}, {2, 4, 6, 8}});
  map.m_Set_Unit_Owner(1, 2);
  check(map, {"changed sides", {5, 7}, {1, 2, 4, 6, 8}});
  map.m_Put_Unit(3, TMap_Unit_Record{3, 1, UT_INFANTRY, 1, 0, 0, 0});
  check(map, {"record put into a free slot", {3, 5, 7}, {1, 2, 4, 6, 8}});
  EXPECT_EQ(map.m_Add_Unit(1, UT_TRUCK, 1, 0, 0), 9);
  check(map, {"no free slot left", {3, 5, 7, 9}, {1, 2, 4, 6, 8}});
  map.m_Put_Unit(5, TMap_Unit_Record{});
  check(map, {"record freed by a put", {3, 7, 9}, {1, 2, 4, 6, 8}});
  EXPECT_EQ(map.m_Add_Unit(1, UT_TRUCK, 1, 0, 0), 5);
  TMap copy;
  copy.m_Assign(map);
  check(copy, {"copied", {3, 5, 7, 9}, {1, 2, 4, 6, 8}});
}

TEST_F(Map_Units, CapacityGrowsByAHundredOnlyWhenTheCountPassesIt) {
  struct Row {
    int adds, capacity;
  } rows[] = {{1, 101}, {101, 101}, {102, 202}, {202, 202}, {203, 303}};
  int done = 0;
  for (const Row& r : rows) {
    while (done < r.adds) {
      map.m_Add_Unit(0, UT_INFANTRY, 0, 0, 0);
      ++done;
    }
    EXPECT_EQ(map.m_Get_Unit_Capacity(), r.capacity) << r.adds;
  }
}

TEST_F(Map_Units, GetUnitOutsideTheTableLeavesTheOutputAsItWas) {
  map.m_Add_Unit(0, UT_INFANTRY, 0, 5, 0);
  for (std::int64_t id : {0, -1, 2, 1000}) {
    TMap_Unit_Record u;
    u.id = 77;
    u.moves = 9;
    map.m_Get_Unit(id, u);
    EXPECT_EQ(u.id, 77) << id;
    EXPECT_EQ(u.moves, 9) << id;
  }
  EXPECT_FALSE(map.m_Delete_Unit(0));
  EXPECT_FALSE(map.m_Delete_Unit(2));
}

TEST_F(Map_Units, AddingAnOwnedUnitCountsItBoughtAndRecomputesUpkeep) {
  empires.m_Create_Empires(2);
  Type(UT_INFANTRY).f_supply_cost = 1.5f;
  map.m_Add_Unit(0, UT_INFANTRY, 2, 0, 0);
  map.m_Add_Unit(0, UT_INFANTRY, 2, 0, 0);
  TEmpire& e = *empires.m_Get_Empire(2);
  EXPECT_EQ(Counters(e, UT_INFANTRY).bought, 2);
  EXPECT_EQ(Counters(e, UT_INFANTRY).current, 2);
  EXPECT_EQ(e.m_Get_Upkeep(), 3);
  map.m_Delete_Unit(1);
  EXPECT_EQ(e.m_Get_Upkeep(), 2);
  EXPECT_EQ(Counters(e, UT_INFANTRY).destroyed, 1);
  EXPECT_EQ(Counters(e, UT_INFANTRY).current, 1);
}

TEST_F(Map_Units, UpkeepFollowsUnitsThatChangeSidesAndRecordsReadFromAFile) {
  empires.m_Create_Empires(2);
  Type(UT_INFANTRY).f_supply_cost = 0.5f;
  Type(UT_TRUCK).f_supply_cost = 0.25f;
  const std::int32_t a = map.m_Add_Unit(0, UT_INFANTRY, 1, 0, 0);
  const std::int32_t b = map.m_Add_Unit(0, UT_TRUCK, 1, 0, 0);
  map.m_Add_Unit(0, UT_TRUCK, 2, 0, 0);
  map.m_Add_Unit(0, 99, 2, 0, 0);  // a missing unit type costs nothing
  TEmpire &p1 = *empires.m_Get_Empire(1), &p2 = *empires.m_Get_Empire(2);
  struct Row {
    const char* step;
    double sum1, sum2;
  };
  auto check = [&](const Row& r) {
    EXPECT_DOUBLE_EQ(map.m_Sum_Unit_Type_Value(1), r.sum1) << r.step;
    EXPECT_DOUBLE_EQ(map.m_Sum_Unit_Type_Value(2), r.sum2) << r.step;
    p1.m_Update_Upkeep();
    p2.m_Update_Upkeep();
    EXPECT_EQ(p1.m_Get_Upkeep(), std::int32_t(r.sum1 + 0.9)) << r.step;
    EXPECT_EQ(p2.m_Get_Upkeep(), std::int32_t(r.sum2 + 0.9)) << r.step;
  };
  check({"added", 0.75, 0.25});
  map.m_Set_Unit_Owner(a, 2);
  check({"infantry changed sides", 0.25, 0.75});
  EXPECT_EQ(p2.m_Get_Upkeep(), 1);
  map.m_Put_Unit(b, TMap_Unit_Record{b, 0, UT_INFANTRY, 2, 0, 0, 0});
  check({"record replaced from a file", 0, 1.25});
  Type(UT_INFANTRY).f_supply_cost = 2;
  check({"unit types read again", 0, 4.25});
  TMap copy;
  copy.m_Assign(map);
  EXPECT_DOUBLE_EQ(copy.m_Sum_Unit_Type_Value(2), 4.25);
  map.m_Reset_Game_State();
  check({"game state reset", 0, 0});
}

TEST_F(Map_Units, DeletingATransportDeletesItsCargoAndTheirCargo) {
  empires.m_Create_Empires(1);
  Add_Region(1, REGION_OCEAN, 3, 3);
  Type(UT_TRUCK).f_transporting_capacity = 2;
  Type(UT_TRUCK).f_transporting_types = {{"Infantry", 1}};
  std::int32_t ship = Place(1, UT_SHIP, 1);
  std::int32_t truck = map.m_Add_Unit(0, UT_TRUCK, 1, 0, 0);
  std::int32_t rider = map.m_Add_Unit(0, UT_INFANTRY, 1, 0, 0);
  std::int32_t inf = map.m_Add_Unit(0, UT_INFANTRY, 1, 0, 0);
  std::int32_t inner = map.m_Add_To_Cargo_List(0, rider);
  map.m_Delete_Unit(map.m_Add_Unit(0, UT_PLANE, 0, 0, 0));  // a free slot to keep
  // The truck carries the rider; the ship carries the truck and the infantry.
  std::int32_t outer = map.m_Add_To_Cargo_List(0, truck);
  map.m_Add_To_Cargo_List(outer, inf);
  TMap_Unit_Record t = Unit(map, truck);
  t.cargo_list = std::uint16_t(inner);
  map.m_Put_Unit(truck, t);
  TMap_Unit_Record s = Unit(map, ship);
  s.cargo_list = std::uint16_t(outer);
  map.m_Put_Unit(ship, s);
  const std::int32_t count = map.m_Get_Unit_Count();

  ASSERT_TRUE(map.m_Delete_Unit(ship));
  for (std::int32_t id : {ship, truck, rider, inf}) EXPECT_EQ(Unit(map, id).id, 0) << id;
  EXPECT_EQ(map.m_Get_Cargo_Count(inner), 0);
  EXPECT_EQ(map.m_Get_Cargo_Count(outer), 0);
  EXPECT_EQ(map.m_Get_Unit_Count(), count);
  EXPECT_EQ(map.m_Get_Region(1)->m_Get_Unit_Count(), 0);
  TEmpire& e = *empires.m_Get_Empire(1);
  std::int32_t destroyed = 0;
  for (std::uint16_t type = 1; type <= UT_COUNT; ++type) destroyed += Counters(e, type).destroyed;
  EXPECT_EQ(destroyed, 4);
}

TEST_F(Map_Units, DeletingACarriedUnitTakesItOutOfItsTransport) {
  Add_Region(1, REGION_OCEAN, 3, 3);
  std::int32_t ship = Place(1, UT_SHIP, 1);
  std::int32_t a = map.m_Add_Unit(1, UT_INFANTRY, 1, 0, 0);
  std::int32_t b = map.m_Add_Unit(1, UT_INFANTRY, 1, 0, 0);
  map.m_Set_Unit_Region(a, 0);
  map.m_Set_Unit_Region(b, 0);
  ASSERT_TRUE(map.m_Add_Unit_To_Cargo(ship, a, false, false));
  ASSERT_TRUE(map.m_Add_Unit_To_Cargo(ship, b, false, false));
  EXPECT_EQ(map.m_Get_Carrier(a), ship);
  EXPECT_EQ(map.m_Get_Cargo_Load(ship), 2);

  map.m_Delete_Unit(a);
  const std::int32_t list = Unit(map, ship).cargo_list;
  EXPECT_EQ(map.m_Get_Cargo_Count(list), 1);
  EXPECT_EQ(map.m_Get_Cargo_Unit(list, 1), b);
  // The reused slot is not cargo of anything.
  std::int32_t fresh = map.m_Add_Unit(1, UT_TRUCK, 2, 0, 0);
  EXPECT_EQ(fresh, a);
  EXPECT_EQ(map.m_Get_Carrier(fresh), 0);
  EXPECT_EQ(map.m_Get_Cargo_Load(ship), 1);

  map.m_Delete_Unit(b);
  EXPECT_EQ(Unit(map, ship).cargo_list, 0);
  EXPECT_EQ(map.m_Get_Cargo_Count(list), 0);
}

TEST_F(Map_Units, ResetPlayerMovesSetsTheMovementAmountAndClearsDamage) {
  std::int32_t a = map.m_Add_Unit(0, UT_INFANTRY, 1, 0, 0);
  std::int32_t b = map.m_Add_Unit(0, UT_PLANE, 1, 0, 0);
  std::int32_t other = map.m_Add_Unit(0, UT_INFANTRY, 2, 0, 0);
  std::int32_t missing = map.m_Add_Unit(0, 99, 1, 3, 0);
  for (std::int32_t id : {a, b, other, missing}) map.m_Set_Unit_Damage(id, 5);
  Type(UT_PLANE).f_movement_amount = 9;
  map.m_Reset_Player_Moves(1);
  EXPECT_EQ(Unit(map, a).moves, 2);
  EXPECT_EQ(Unit(map, b).moves, 9);
  EXPECT_EQ(Unit(map, a).damage, 0);
  EXPECT_EQ(Unit(map, other).damage, 5);
  EXPECT_EQ(Unit(map, missing).moves, 3);
  EXPECT_EQ(Unit(map, missing).damage, 5);
  Type(UT_PLANE).f_movement_amount = 256;
  EXPECT_THROW(map.m_Reset_Player_Moves(1), ERangeError);
}

TEST_F(Map_Units, SmallSettersIgnoreIdsOutsideTheTable) {
  std::int32_t a = map.m_Add_Unit(0, UT_INFANTRY, 1, 1, 0);
  map.m_Dec_Unit_Moves(a);
  map.m_Dec_Unit_Moves(a);
  EXPECT_EQ(Unit(map, a).moves, 0);
  for (std::int64_t id : {0, 2}) {
    map.m_Set_Unit_Moves(id, 4);
    map.m_Set_Unit_Damage(id, 4);
    map.m_Set_Unit_Region(id, 4);
    map.m_Set_Unit_Owner(id, 4);
    EXPECT_EQ(map.m_Get_Unit_Damage(id), 0);
  }
  EXPECT_EQ(map.m_Get_Unit_Count(), 1);
}

// ---------------------------------------------------------------------------
// Cargo

TEST_F(Map_Cargo, AFullListTakesNoMoreAndFreeListsAreReusedLowestFirst) {
  std::int32_t list = 0;
  for (int i = 1; i <= Max_Cargo_Units; ++i) list = map.m_Add_To_Cargo_List(list, 100 + i);
  EXPECT_EQ(list, 1);
  EXPECT_EQ(map.m_Add_To_Cargo_List(1, 500), 0);
  EXPECT_EQ(map.m_Get_Cargo_Count(1), 30);
  EXPECT_EQ(map.m_Get_Cargo_Unit(1, 30), 130);
  EXPECT_EQ(map.m_Add_To_Cargo_List(0, 1), 2);
  EXPECT_EQ(map.m_Add_To_Cargo_List(99, 1), 3);
  EXPECT_TRUE(map.m_Free_Cargo_List(2));
  EXPECT_TRUE(map.m_Free_Cargo_List(1));
  EXPECT_FALSE(map.m_Free_Cargo_List(4));
  EXPECT_EQ(map.m_Add_To_Cargo_List(0, 7), 1);
  EXPECT_EQ(map.m_Add_To_Cargo_List(0, 8), 2);

  bool empty = false;
  EXPECT_TRUE(map.m_Remove_From_Cargo_List(3, 1, empty));
  EXPECT_TRUE(empty);
  EXPECT_FALSE(map.m_Remove_From_Cargo_List(3, 1, empty));
  EXPECT_TRUE(empty);
  EXPECT_FALSE(map.m_Remove_From_Cargo_List(0, 1, empty));
  EXPECT_TRUE(empty);
  EXPECT_EQ(map.m_Get_Cargo_Unit(2, 2), 0);
}

TEST_F(Map_Cargo, LoadingIsRefusedUnlessEveryConditionHolds) {
  Add_Region(1, REGION_OCEAN, 3, 3);
  Add_Region(2, REGION_LAND, 3, 3);
  Connect(1, 2);
  std::int32_t ship = Place(1, UT_SHIP, 1);
  std::int32_t inf = Place(2, UT_INFANTRY, 1);
  std::int32_t plane = Place(2, UT_PLANE, 1);
  std::int32_t lost = map.m_Add_Unit(2, 99, 1, 0, 0);
  std::int32_t floating = map.m_Add_Unit(0, UT_INFANTRY, 1, 0, 0);
  std::int32_t carried_ship = map.m_Add_Unit(0, UT_SHIP, 1, 0, 0);
  std::int32_t laden_truck = Place(2, UT_TRUCK, 1);
  map.m_Set_Unit_Owner(laden_truck, 1);
  {
    TMap_Unit_Record t = Unit(map, laden_truck);
    t.cargo_list = std::uint16_t(map.m_Add_To_Cargo_List(0, floating));
    map.m_Put_Unit(laden_truck, t);
  }
  struct Row {
    const char* what;
    std::int64_t transport, unit;
    bool take;
  } refused[] = {
      {"no transport", 0, inf, true},
      {"no unit", ship, 999, true},
      {"unit is the transport", ship, ship, false},
      {"transport carried", carried_ship, inf, true},
      {"unit in no region", ship, floating, true},
      {"unit carried by another transport", ship, floating, false},
      {"unit type missing", ship, lost, true},
      {"no space for its family", ship, plane, true},
      {"unit carries cargo", ship, laden_truck, true},
  };
  for (const Row& r : refused) {
    EXPECT_FALSE(map.m_Add_Unit_To_Cargo(r.transport, r.unit, true, r.take)) << r.what;
    EXPECT_FALSE(map.m_Add_Unit_To_Cargo(r.transport, r.unit, false, r.take)) << r.what;
  }
  EXPECT_EQ(map.m_Get_Unit_Cargo_Size(plane, ship), Cargo_Size_Never_Fits);
  EXPECT_EQ(map.m_Get_Unit_Cargo_Size(laden_truck, ship), Cargo_Size_Never_Fits);
  EXPECT_EQ(map.m_Get_Unit_Cargo_Size(inf, ship), 1);

  // A check changes nothing.
  map.m_Set_Unit_Moves(ship, 3);
  EXPECT_TRUE(map.m_Add_Unit_To_Cargo(ship, inf, true, true));
  EXPECT_EQ(Unit(map, inf).region, 2);
  EXPECT_EQ(Unit(map, ship).moves, 3);
  ASSERT_TRUE(map.m_Add_Unit_To_Cargo(ship, inf, false, true));
  EXPECT_EQ(Unit(map, inf).region, 0);
  EXPECT_FALSE(map.m_Get_Region(2)->m_Has_Unit_Id(inf));
  EXPECT_EQ(Unit(map, ship).moves, 0);
  EXPECT_EQ(map.m_Get_Cargo_Unit(Unit(map, ship).cargo_list, 1), inf);

  // Capacity 6: one infantry (1) and two trucks (2 each) fill 5; a third truck would make 7.
  std::int32_t t1 = Place(2, UT_TRUCK, 1), t2 = Place(2, UT_TRUCK, 1), t3 = Place(2, UT_TRUCK, 1);
  EXPECT_TRUE(map.m_Add_Unit_To_Cargo(ship, t1, false, true));
  EXPECT_TRUE(map.m_Add_Unit_To_Cargo(ship, t2, false, true));
  EXPECT_EQ(map.m_Get_Cargo_Load(ship), 5);
  EXPECT_FALSE(map.m_Add_Unit_To_Cargo(ship, t3, true, true));
  EXPECT_EQ(Unit(map, t3).region, 2);
}

TEST_F(Map_Cargo, ATransportWithThirtyUnitsLoadsNoMore) {
  Add_Region(1, REGION_OCEAN, 3, 3);
  Type(UT_SHIP).f_transporting_capacity = 100;
  std::int32_t ship = Place(1, UT_SHIP, 1);
  for (int i = 0; i < Max_Cargo_Units; ++i) {
    std::int32_t u = map.m_Add_Unit(0, UT_INFANTRY, 1, 0, 0);
    ASSERT_TRUE(map.m_Add_Unit_To_Cargo(ship, u, false, false)) << i;
  }
  std::int32_t extra = map.m_Add_Unit(0, UT_INFANTRY, 1, 0, 0);
  EXPECT_FALSE(map.m_Add_Unit_To_Cargo(ship, extra, false, false));
  EXPECT_EQ(map.m_Get_Cargo_Count(Unit(map, ship).cargo_list), 30);
}

TEST_F(Map_Cargo, UnloadingIsRefusedUnlessEveryConditionHolds) {
  Add_Region(1, REGION_OCEAN, 3, 3);
  Add_Region(2, REGION_LAND, 3, 3);
  Connect(1, 2);
  std::int32_t ship = Place(1, UT_SHIP, 1);
  std::int32_t empty_ship = Place(1, UT_SHIP, 1);
  std::int32_t inf = map.m_Add_Unit(0, UT_INFANTRY, 1, 0, 0);
  std::int32_t walker = Place(2, UT_INFANTRY, 1);
  ASSERT_TRUE(map.m_Add_Unit_To_Cargo(ship, inf, false, false));
  struct Row {
    const char* what;
    std::int64_t transport, unit;
    std::int32_t target;
    bool place;
  } refused[] = {
      {"no transport", 0, inf, 2, true},
      {"transport has no cargo", empty_ship, inf, 2, true},
      {"unit stands in a region", ship, walker, 2, true},
      {"no such target", ship, inf, 9, true},
      {"land unit onto the ocean", ship, inf, 0, true},
  };
  for (const Row& r : refused) {
    EXPECT_FALSE(map.m_Remove_Unit_From_Cargo(r.transport, r.unit, true, false, r.target, r.place)) << r.what;
    EXPECT_FALSE(map.m_Remove_Unit_From_Cargo(r.transport, r.unit, false, false, r.target, r.place)) << r.what;
  }
  EXPECT_EQ(map.m_Get_Cargo_Count(Unit(map, ship).cargo_list), 1);

  map.m_Set_Unit_Moves(inf, 2);
  EXPECT_TRUE(map.m_Remove_Unit_From_Cargo(ship, inf, true, true, 2, true));
  EXPECT_EQ(Unit(map, inf).region, 0);
  const std::int32_t list = Unit(map, ship).cargo_list;
  ASSERT_TRUE(map.m_Remove_Unit_From_Cargo(ship, inf, false, true, 2, true));
  EXPECT_EQ(Unit(map, inf).region, 2);
  EXPECT_TRUE(map.m_Get_Region(2)->m_Has_Unit_Id(inf));
  EXPECT_EQ(Unit(map, inf).moves, 0);
  EXPECT_EQ(Unit(map, ship).cargo_list, 0);
  EXPECT_EQ(map.m_Get_Cargo_Count(list), 0);
}

TEST_F(Map_Cargo, AUnitThatFindsNoRoomForItsStackAshoreStillLandsAndIsListedThere) {
  Add_Region(1, REGION_OCEAN, 3, 3);
  map.m_Set_Region_Count(2);
  TMap_Region& bare = map.m_New_Region(2);  // a land region without squares
  bare.m_Set_Type(REGION_LAND);
  std::int32_t ship = Place(1, UT_SHIP, 1);
  std::int32_t inf = map.m_Add_Unit(0, UT_INFANTRY, 1, 0, 0);
  ASSERT_TRUE(map.m_Add_Unit_To_Cargo(ship, inf, false, false));
  // Staying aboard would leave it ordered ashore again and again.
  EXPECT_TRUE(map.m_Remove_Unit_From_Cargo(ship, inf, false, false, 2, true));
  EXPECT_EQ(map.m_Get_Carrier(inf), 0);
  EXPECT_EQ(Unit(map, inf).region, 2);
  EXPECT_TRUE(bare.m_Has_Unit_Id(inf));
  EXPECT_TRUE(bare.m_Has_Unplaced_Units());
  EXPECT_EQ(Unit(map, ship).cargo_list, 0);
  EXPECT_EQ(bare.m_Get_Owner(), 1);
}

// ---------------------------------------------------------------------------
// Capture on unloading

TEST_F(Map_Capture, UnloadingALandUnitFollowsTheCaptureRules) {
  struct Row {
    const char* what;
    std::uint8_t region_owner;
    std::uint16_t defender_type;  // 0 none
    std::uint8_t defender_owner;
    std::uint16_t landed_type;
    std::uint8_t owner_after;
    bool combat_region;
    bool logged;
  } rows[] = {
      {"empty foreign region", 2, 0, 0, UT_INFANTRY, 1, false, true},
      {"foreign non-combat defenders", 2, UT_TRUCK, 2, UT_INFANTRY, 1, false, true},
      {"enemy combat units", 2, UT_INFANTRY, 2, UT_INFANTRY, 2, true, false},
      {"non-combat unit against enemy combat units", 2, UT_INFANTRY, 2, UT_TRUCK, 2, false, false},
      {"non-combat unit into an empty foreign region", 2, 0, 0, UT_TRUCK, 1, false, true},
      {"unowned region", 0, 0, 0, UT_INFANTRY, 1, false, false},
      {"own region", 1, 0, 0, UT_INFANTRY, 1, false, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    map.m_Clear();
    empires.m_Create_Empires(2);
    links.captures.clear();
    links.ownership_changes = 0;
    Game_Settings.f_game_date = 20163;
    Game_Settings.f_turn_empire = 1;
    Add_Region(1, REGION_OCEAN, 3, 3);
    Add_Region(2, REGION_LAND, 3, 3, 96, 0, r.region_owner);
    Connect(1, 2);
    std::int32_t ship = Place(1, UT_SHIP, 1);
    std::int32_t defender = r.defender_type ? Place(2, r.defender_type, r.defender_owner) : 0;
    std::int32_t landed = map.m_Add_Unit(0, r.landed_type, 1, 0, 0);
    ASSERT_TRUE(map.m_Add_Unit_To_Cargo(ship, landed, false, false));
    ASSERT_TRUE(map.m_Remove_Unit_From_Cargo(ship, landed, false, false, 2, true));
    EXPECT_EQ(map.m_Get_Region(2)->m_Get_Owner(), r.owner_after);
    EXPECT_EQ(map.m_Is_Combat_Region(2), r.combat_region);
    if (defender) {
      EXPECT_EQ(Unit(map, defender).owner, r.owner_after == 1 ? 1 : r.defender_owner);
    }
    ASSERT_EQ(links.captures.size(), r.logged ? 1u : 0u);
    if (r.logged) {
      EXPECT_EQ(links.captures[0], std::make_tuple(20163, std::uint8_t(2), std::uint8_t(1), 2));
    }
    EXPECT_EQ(links.ownership_changes, 1);
  }
}

TEST_F(Map_Capture, UnloadingAnAirUnitTakesNothing) {
  empires.m_Create_Empires(2);
  Add_Region(1, REGION_OCEAN, 3, 3);
  Add_Region(2, REGION_LAND, 3, 3, 96, 0, 2);
  std::int32_t ship = Place(1, UT_SHIP, 1);
  Type(UT_SHIP).f_transporting_types.push_back({"Plane", 1});
  std::int32_t plane = map.m_Add_Unit(0, UT_PLANE, 1, 0, 0);
  ASSERT_TRUE(map.m_Add_Unit_To_Cargo(ship, plane, false, false));
  ASSERT_TRUE(map.m_Remove_Unit_From_Cargo(ship, plane, false, false, 2, true));
  EXPECT_EQ(map.m_Get_Region(2)->m_Get_Owner(), 2);
  EXPECT_EQ(links.ownership_changes, 0);
}

TEST_F(Map_Capture, TheTurnEmpireLearnsTheRegionsItsUnloadedUnitSees) {
  empires.m_Create_Empires(2);
  Game_Settings.f_turn_empire = 1;
  Type(UT_INFANTRY).f_sight_range = 1;
  Add_Region(1, REGION_OCEAN, 3, 3);
  Add_Region(2, REGION_LAND, 3, 3, 96, 0, 2);
  Add_Region(3, REGION_LAND, 3, 3, 192, 0, 2);
  Add_Region(4, REGION_LAND, 3, 3, 288, 0, 2);
  Connect(1, 2);
  Connect(2, 3);
  Connect(3, 4);
  std::int32_t ship = Place(1, UT_SHIP, 1);
  std::int32_t inf = map.m_Add_Unit(0, UT_INFANTRY, 1, 0, 0);
  ASSERT_TRUE(map.m_Add_Unit_To_Cargo(ship, inf, false, false));
  ASSERT_TRUE(map.m_Remove_Unit_From_Cargo(ship, inf, false, false, 2, true));
  TEmpire& e = *empires.m_Get_Empire(1);
  EXPECT_EQ(e.m_Get_Known_Region_Count(), 4);
  bool expected[] = {true, true, true, false};
  for (int r = 1; r <= 4; ++r) EXPECT_EQ(e.m_Is_Region_Known(r), expected[r - 1]) << r;
}

TEST_F(Map_Capture, AnUnloadAddsWhatTheLandedUnitSeesAndKeepsWhatTheEmpireKnewBefore) {
  empires.m_Create_Empires(2);
  Game_Settings.f_turn_empire = 1;
  Type(UT_INFANTRY).f_sight_range = 1;
  Add_Region(1, REGION_OCEAN, 3, 3);
  for (std::int32_t id = 2; id <= 5; ++id) Add_Region(id, REGION_LAND, 3, 3, 96 * (id - 1), 0, 2);
  for (std::int32_t id = 1; id <= 4; ++id) Connect(id, id + 1);
  std::int32_t ship = Place(1, UT_SHIP, 1);
  TEmpire& e = *empires.m_Get_Empire(1);
  e.m_Update_Known_Regions();
  // Seen earlier in the turn by a unit that has moved on.
  e.m_Set_Region_Known(5, true);
  std::int32_t inf = map.m_Add_Unit(0, UT_INFANTRY, 1, 0, 0);
  ASSERT_TRUE(map.m_Add_Unit_To_Cargo(ship, inf, false, false));
  ASSERT_TRUE(map.m_Remove_Unit_From_Cargo(ship, inf, false, false, 2, true));
  const bool expected[] = {true, true, true, false, true};
  for (int r = 1; r <= 5; ++r) EXPECT_EQ(e.m_Is_Region_Known(r), expected[r - 1]) << r;
}

// ---------------------------------------------------------------------------
// Region owner changes

TEST_F(Map_Capture, ACapturedRegionTakesEveryUnitStandingInIt) {
  empires.m_Create_Empires(3);
  TMap_Region& r = Add_Region(1, REGION_LAND, 4, 4, 0, 0, 2);
  std::int32_t a = Place(1, UT_INFANTRY, 2);
  std::int32_t b = Place(1, UT_TRUCK, 3);
  std::int32_t c = Place(1, UT_TRUCK, 2);
  std::int32_t own = Place(1, UT_TRUCK, 1);
  r.m_Set_Owner(1);
  for (std::int32_t id : {a, b, c, own}) EXPECT_EQ(Unit(map, id).owner, 1) << id;
  TEmpire &p1 = *empires.m_Get_Empire(1), &p2 = *empires.m_Get_Empire(2), &p3 = *empires.m_Get_Empire(3);
  EXPECT_EQ(Counters(p1, UT_INFANTRY).captured, 1);
  EXPECT_EQ(Counters(p1, UT_TRUCK).captured, 2);
  EXPECT_EQ(Counters(p1, UT_TRUCK).current, 3);
  EXPECT_EQ(Counters(p2, UT_INFANTRY).lost, 1);
  EXPECT_EQ(Counters(p2, UT_TRUCK).lost, 1);
  EXPECT_EQ(Counters(p3, UT_TRUCK).lost, 1);
  EXPECT_EQ(Counters(p2, UT_TRUCK).current, 0);
  // The two truck stacks became one stack of three.
  std::int32_t shown = 0, count = 0;
  for (std::int32_t i = 1; i <= r.m_Get_Square_Count(); ++i) {
    TMap_Region_Square s;
    r.m_Get_Square(i, s);
    if (s.shown && s.unit_type == UT_TRUCK) {
      ++shown;
      count = s.stack_count;
      EXPECT_EQ(s.owner, 1);
    }
  }
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(count, 3);
}

TEST_F(Map_Capture, AnOceanRegionTakesOnlyOwnerNone) {
  TMap_Region& r = Add_Region(1, REGION_OCEAN, 2, 2);
  r.m_Set_Owner(3);
  EXPECT_EQ(r.m_Get_Owner(), 0);
  TMap_Region& land = Add_Region(2, REGION_LAND, 2, 2, 64, 0, 3);
  EXPECT_EQ(land.m_Get_Owner(), 3);
  land.m_Set_Owner(0);
  EXPECT_EQ(land.m_Get_Owner(), 0);
}

// ---------------------------------------------------------------------------
// Combat regions

TEST_F(Map_Combat_Regions, EntriesAreAddedOnceReusingTheLastFreeEntry) {
  map.m_Add_Combat_Region(5);
  map.m_Add_Combat_Region(5);
  map.m_Add_Combat_Region(8);
  EXPECT_EQ(map.m_Get_Combat_Region_Count(), 2);
  map.m_Set_Combat_Regions({4, 0, 6, 0, 9});
  map.m_Add_Combat_Region(7);
  EXPECT_EQ(map.m_Get_Combat_Region(4), 7);
  EXPECT_EQ(map.m_Get_Combat_Region(2), 0);
  map.m_Remove_Combat_Region(6);
  struct Row {
    std::int64_t i;
    std::int32_t region;
  } rows[] = {{1, 4}, {2, 0}, {3, 7}, {4, 9}, {5, 0}, {0, 0}};
  for (const Row& r : rows) EXPECT_EQ(map.m_Get_Combat_Region(r.i), r.region) << r.i;
  EXPECT_EQ(map.m_Get_Combat_Region_Count(), 4);
  EXPECT_TRUE(map.m_Is_Combat_Region(9));
  EXPECT_FALSE(map.m_Is_Combat_Region(6));
}

TEST_F(Map_Combat_Regions, APlayerTakesPartWhenAmongTheFirstTwoOwners) {
  Add_Region(1, REGION_LAND, 3, 3);
  Add_Region(2, REGION_LAND, 3, 3, 96);
  Place(1, UT_INFANTRY, 1);
  Place(1, UT_INFANTRY, 2);
  Place(1, UT_INFANTRY, 3);
  Place(2, UT_INFANTRY, 2);
  map.m_Set_Combat_Regions({1, 2, 0, 40});
  EXPECT_EQ(map.m_Count_Combat_Regions_Of(1), 1);
  EXPECT_EQ(map.m_Count_Combat_Regions_Of(2), 2);
  EXPECT_EQ(map.m_Count_Combat_Regions_Of(3), 0);
}

// ---------------------------------------------------------------------------
// Per-player questions

TEST_F(Map_Player, SummariesLookAtThePlayersUnits) {
  empires.m_Create_Empires(2);
  Add_Region(1, REGION_LAND, 3, 3, 0, 0, 1);
  Add_Region(2, REGION_LAND, 3, 3, 96, 0, 2);
  Add_Region(3, REGION_OCEAN, 3, 3, 192);
  std::int32_t home = Place(1, UT_PLANE, 1, 0);
  std::int32_t away = Place(2, UT_PLANE, 1, 2);
  std::int32_t sea = Place(3, UT_PLANE, 1, 0);
  map.m_Add_Unit(0, UT_INFANTRY, 1, 4, 0);  // carried
  EXPECT_EQ(map.m_Count_Player_Units(1), 3);
  EXPECT_TRUE(map.m_Any_Unit_With_Moves(1));
  EXPECT_TRUE(map.m_Has_Air_Units_Over_Foreign_Regions(1));
  map.m_Set_Unit_Moves(away, 0);
  EXPECT_FALSE(map.m_Any_Unit_With_Moves(1));
  EXPECT_FALSE(map.m_Has_Air_Units_Over_Foreign_Regions(1));
  TMap_Unit_Record u;
  map.m_Find_Next_Air_Unit_Over_Foreign_Region(1, 0, u);
  EXPECT_EQ(u.id, away);
  map.m_Find_Next_Air_Unit_Over_Foreign_Region(1, away, u);
  EXPECT_EQ(u.id, sea);
  map.m_Find_Next_Air_Unit_Over_Foreign_Region(1, sea, u);
  EXPECT_EQ(u.id, 0);
  std::vector<std::int32_t> regions;
  std::vector<std::uint16_t> types;
  map.m_Set_Unit_Moves(sea, 1);
  map.m_Get_Player_Units(1, true, regions, types);
  EXPECT_EQ(regions, (std::vector<std::int32_t>{3}));
  map.m_Get_Player_Units(1, false, regions, types);
  EXPECT_EQ(regions, (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(types, (std::vector<std::uint16_t>{UT_PLANE, UT_PLANE, UT_PLANE}));
  EXPECT_TRUE(map.m_Player_Present(2));
  EXPECT_FALSE(map.m_Player_Present(3));
  (void)home;
}

TEST_F(Map_Player, RegionsInRangeAreListedLevelByLevel) {
  for (int i = 1; i <= 6; ++i) Add_Region(i, i == 4 ? REGION_OCEAN : REGION_LAND, 1, 1, i * 32);
  Connect(1, 2);
  Connect(1, 4);
  Connect(2, 3);
  Connect(4, 5);
  Connect(5, 6);
  std::vector<std::int32_t> out;
  struct Row {
    std::int32_t from, steps;
    std::uint8_t kind;
    std::vector<std::int32_t> regions;
  } rows[] = {
      {1, 1, 0, {1, 2, 4}},   {1, 2, 0, {1, 2, 4, 3, 5}}, {1, 2, REGION_LAND, {1, 2, 3}},
      {1, 0, 0, {}},          {7, 3, 0, {}},              {6, 9, 0, {6, 5, 4, 1, 2, 3}},
  };
  for (const Row& r : rows) {
    map.m_Get_Regions_In_Range(r.from, r.steps, out, r.kind);
    EXPECT_EQ(out, r.regions) << r.from << " " << r.steps;
  }
  Place(3, UT_INFANTRY, 1);
  Place(5, UT_INFANTRY, 1);
  Place(6, UT_INFANTRY, 1);
  EXPECT_EQ(map.m_Count_Family_Units_In_Range(1, 1, 1, 2), 2);
}

TEST_F(Map_Player, AssignCopiesTheWorldAndResetClearsTheGame) {
  empires.m_Create_Empires(1);
  Add_Region(1, REGION_LAND, 3, 3, 0, 0, 1);
  Add_Region(3, REGION_OCEAN, 3, 3, 96);
  Connect(1, 3);
  map.m_Set_Pixel_Size(300, 200);
  map.m_Set_Version("1.09");
  std::int32_t ship = Place(3, UT_SHIP, 1);
  std::int32_t inf = Place(1, UT_INFANTRY, 1);
  ASSERT_TRUE(map.m_Add_Unit_To_Cargo(ship, inf, false, true));
  map.m_Add_Combat_Region(3);

  TMap copy;
  ASSERT_TRUE(copy.m_Assign(map));
  EXPECT_EQ(copy.m_Get_Region_Count(), 3);
  EXPECT_EQ(copy.m_Get_Region(2), nullptr);
  EXPECT_EQ(copy.m_Get_Region(1)->m_Get_Owner(), 1);
  EXPECT_EQ(&copy.m_Get_Region(1)->m_Map(), &copy);
  EXPECT_EQ(copy.m_Get_Pixel_Height(), 200);
  EXPECT_EQ(copy.m_Get_Version(), "1.09");
  EXPECT_EQ(copy.m_Get_Unit_Capacity(), copy.m_Get_Unit_Count());
  EXPECT_EQ(copy.m_Get_Carrier(inf), ship);
  EXPECT_TRUE(copy.m_Is_Combat_Region(3));
  EXPECT_EQ(copy.m_Get_Region(3)->m_Get_Unit_Count(), 1);

  ASSERT_TRUE(copy.m_Reset_Game_State());
  EXPECT_EQ(copy.m_Get_Unit_Count(), 0);
  EXPECT_EQ(copy.m_Get_Cargo_List_Count(), 0);
  EXPECT_EQ(copy.m_Get_Combat_Region_Count(), 0);
  EXPECT_EQ(copy.m_Get_Region(1)->m_Get_Owner(), 0);
  EXPECT_EQ(copy.m_Get_Region(3)->m_Get_Unit_Count(), 0);
  EXPECT_EQ(copy.m_Get_Region(1)->m_Get_Connection(1), 3);
  // The running map is untouched.
  EXPECT_EQ(map.m_Get_Unit_Count(), 2);
  EXPECT_EQ(map.m_Get_Region(1)->m_Get_Owner(), 1);
}
