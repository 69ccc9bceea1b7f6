#include "World_Fixture.h"

namespace {

// A small world:
//
//   1 land (player 1) -- 2 land -- 3 land ==strait== 6 land (player 2)
//        \               |                            |
//         `---------- 4 ocean ---------- 5 ocean -----'
//
//   7 land: an island without connections.
class Map_Queries : public World_Test {
protected:
  void SetUp() override {
    World_Test::SetUp();
    Game_Settings.f_fog_of_war = false;
    empires.m_Create_Empires(3);
    // 2 x 2 squares each: room for a few stacks.
    Add_Region(1, REGION_LAND, 2, 2, 0, 0, 1);
    Add_Region(2, REGION_LAND, 2, 2, 64, 0);
    Add_Region(3, REGION_LAND, 2, 2, 128, 0);
    Add_Region(4, REGION_OCEAN, 2, 2, 0, 64);
    Add_Region(5, REGION_OCEAN, 2, 2, 64, 64);
    Add_Region(6, REGION_LAND, 2, 2, 192, 0, 2);
    Add_Region(7, REGION_LAND, 2, 2, 256, 0);
    Connect(1, 2);
    Connect(2, 3);
    Connect(3, 6);
    Connect(1, 4);
    Connect(2, 4);
    Connect(4, 5);
    Connect(5, 6);
  }

  std::vector<std::int32_t> All_Regions() const {
    std::vector<std::int32_t> all;
    for (std::int32_t i = 1; i <= map.m_Get_Region_Count(); ++i) all.push_back(i);
    return all;
  }

  // A chain of n land regions 1 - 2 - ... - n.
  void Build_Chain(std::int32_t n) {
    map.m_Clear();
    for (std::int32_t i = 1; i <= n; ++i) {
      Add_Region(i, REGION_LAND, 1, 1);
      if (i > 1) Connect(i - 1, i);
    }
  }

  // Region 1 in the middle of `leaves` land regions 2..leaves + 1, each of
  // which leads on to one more land region.
  void Build_Star(std::int32_t leaves) {
    map.m_Clear();
    map.m_Set_Region_Count(1 + 2 * leaves);
    Add_Region(1, REGION_LAND, 1, 1);
    for (std::int32_t i = 0; i < leaves; ++i) {
      Add_Region(2 + i, REGION_LAND, 1, 1);
      Add_Region(2 + leaves + i, REGION_LAND, 1, 1);
      Connect(1, 2 + i);
      Connect(2 + i, 2 + leaves + i);
    }
  }
};

using Regions = std::vector<std::int32_t>;

}  // namespace

TEST_F(Map_Queries, Distances) {
  struct Case {
    std::int32_t from, to;
    std::uint8_t player;
    bool owner_rule;
    std::uint8_t kind;
    std::int32_t steps;
  };
  const Case cases[] = {
      {1, 1, 1, false, 0, 0},
      {1, 2, 1, false, 0, 1},
      {1, 3, 1, false, 0, 2},
      {1, 6, 1, false, 0, 3},
      {1, 6, 1, false, REGION_LAND, 3},   // over the strait
      {1, 5, 1, false, REGION_OCEAN, 2},  // over water only
      {1, 3, 1, false, REGION_OCEAN, Region_Distance_Unreachable},
      {1, 7, 1, false, 0, Region_Distance_Unreachable},  // the island
      {7, 1, 1, false, 0, Region_Distance_Unreachable},
      {1, 3, 1, true, 0, 2},  // through an unowned region free of foreign units
      {6, 3, 1, true, 0, Region_Distance_Unreachable},  // leaving a foreign region
      {6, 3, 2, true, 0, 1},
      // Region 0 (a carried unit) and ids beyond the map are nowhere.
      {0, 1, 1, false, 0, Region_Distance_Unreachable},
      {1, 0, 1, false, 0, Region_Distance_Unreachable},
      {0, 0, 1, false, 0, Region_Distance_Unreachable},
      {1, 99, 1, false, 0, Region_Distance_Unreachable},
  };
  for (const Case& c : cases)
    EXPECT_EQ(map.m_Get_Region_Distance(c.from, c.to, c.player, c.owner_rule, c.kind), c.steps)
        << c.from << " -> " << c.to << " player " << int(c.player) << " rule " << c.owner_rule;
}

TEST_F(Map_Queries, OwnerRuleStopsAtForeignUnitsInUnownedRegions) {
  Place(2, UT_INFANTRY, 2);
  // 1 -> 2 is fine (the target may hold anybody) but 2 cannot be left, and
  // the way round over the water ends in player 2's region 6.
  EXPECT_EQ(map.m_Get_Region_Distance(1, 2, 1, true, 0), 1);
  EXPECT_EQ(map.m_Get_Region_Distance(1, 3, 1, true, 0), Region_Distance_Unreachable);
  EXPECT_EQ(map.m_Get_Region_Distance(1, 6, 1, true, 0), 3);
  EXPECT_EQ(map.m_Get_Region_Distance(1, 3, 1, false, 0), 2);
  // The player's own units never block.
  EXPECT_EQ(map.m_Get_Region_Distance(1, 3, 2, true, 0), Region_Distance_Unreachable);  // 1 is player 1's
  EXPECT_EQ(map.m_Get_Region_Distance(2, 3, 2, true, 0), 1);
}

TEST_F(Map_Queries, NearestOwnedRegion) {
  map.m_Get_Region(3)->m_Set_Owner(3);
  struct Case {
    std::int32_t from;
    std::uint8_t player, movement;
    std::int32_t steps, region;
  };
  const Case cases[] = {
      {1, 1, 0, 0, 1},  // an owned start is its own answer
      {2, 1, 0, 1, 1},
      {5, 1, 0, 2, 1},  // 5 -> 4 -> 1
      {5, 2, 0, 1, 6},
      {5, 1, 3, Search_Unreachable, 0},  // a ship never reaches land
      {2, 3, 2, 1, 3},
      {4, 3, 2, 2, 3},  // a land unit: 4 -> 2 -> 3
      {7, 1, 0, Search_Unreachable, 0},
      {0, 1, 0, Search_Unreachable, 0},
      {99, 1, 0, Search_Unreachable, 0},
  };
  for (const Case& c : cases) {
    std::int32_t region = -5;
    EXPECT_EQ(map.m_Find_Nearest_Owned_Region(c.from, c.player, region, c.movement), c.steps) << c.from;
    EXPECT_EQ(region, c.region) << c.from;
  }
  // Of two owned regions of the same level the later one found wins: from
  // 2, region 1 comes before region 3 among 2's connections.
  map.m_Get_Region(1)->m_Set_Owner(3);
  std::int32_t region = 0;
  EXPECT_EQ(map.m_Find_Nearest_Owned_Region(2, 3, region, 0), 1);
  EXPECT_EQ(region, 3);
}

TEST_F(Map_Queries, MoveRangesPerMovementType) {
  struct Case {
    std::int32_t from;
    std::uint8_t movement;
    std::int32_t maximum;
    Regions regions, steps;
  };
  const Case cases[] = {
      {1, 2, 1, {2}, {1}},  // the ocean is never listed for a land unit
      {1, 2, 3, {2, 3, 6}, {1, 2, 3}},  // over the strait
      {1, 3, 5, {4, 5}, {1, 2}},  // a ship in a harbour puts out to sea
      {4, 3, 5, {5}, {1}},
      {4, 4, 5, {5}, {1}},
      {1, 1, 2, {2, 4, 3, 5}, {1, 1, 2, 2}},
      {1, 5, 9, {2, 4, 3, 5, 6}, {1, 1, 2, 2, 3}},
      {1, 2, 0, {}, {}},
      {7, 1, 5, {}, {}},
      {0, 1, 5, {}, {}},
  };
  for (const Case& c : cases) {
    Regions regions{42}, steps{42};
    map.m_Get_Move_Range(c.from, c.movement, steps, regions, 1, 1, c.maximum);
    EXPECT_EQ(regions, c.regions) << int(c.movement) << " from " << c.from << " max " << c.maximum;
    EXPECT_EQ(steps, c.steps) << int(c.movement) << " from " << c.from;
  }
  // A player without an empire gets nothing.
  Regions regions, steps;
  map.m_Get_Move_Range(1, 2, steps, regions, 1, 5, 3);
  EXPECT_TRUE(regions.empty());
}

TEST_F(Map_Queries, MoveRangeModesAndForeignUnits) {
  struct Case {
    const char* what;
    std::uint16_t unit_type;
    bool combat_region;
    std::int32_t mode;
    Regions regions;
  };
  // Land unit of player 1 from region 1, at most 3 steps; region 2 holds
  // a unit of player 2.
  const Case cases[] = {
      {"non-combat unit, mode 1: passed", UT_TRUCK, false, 1, {2, 3, 6}},
      {"non-combat unit, mode 2: listed, not passed", UT_TRUCK, false, 2, {2}},
      {"combat unit, mode 1: blocked", UT_INFANTRY, false, 1, {}},
      {"combat unit, mode 2: listed, not passed", UT_INFANTRY, false, 2, {2}},
      {"combat unit, mode 9: listed, not passed", UT_INFANTRY, false, 9, {2}},
      {"combat region without the player, mode 2", UT_INFANTRY, true, 2, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    map.m_Get_Region(2)->m_Clear_Units();
    Place(2, c.unit_type, 2);
    if (c.combat_region)
      map.m_Add_Combat_Region(2);
    else
      map.m_Remove_Combat_Region(2);
    Regions regions, steps;
    map.m_Get_Move_Range(1, 2, steps, regions, c.mode, 1, 3);
    EXPECT_EQ(regions, c.regions);
  }
  // A combat region where the player fights: entered in mode 2, never passed.
  map.m_Get_Region(2)->m_Clear_Units();
  Place(2, UT_INFANTRY, 2);
  Place(2, UT_INFANTRY, 1);
  map.m_Add_Combat_Region(2);
  Regions regions, steps;
  map.m_Get_Move_Range(1, 2, steps, regions, 2, 1, 3);
  EXPECT_EQ(regions, Regions{2});
  map.m_Get_Move_Range(1, 2, steps, regions, 1, 1, 3);
  EXPECT_EQ(regions, Regions{});
}

TEST_F(Map_Queries, MoveRangeEntersUnknownRegionsBlindly) {
  Game_Settings.f_fog_of_war = true;
  TEmpire& e = *empires.m_Get_Empire(1);
  e.m_Resize_Known_Regions(map.m_Get_Region_Count());
  Place(2, UT_INFANTRY, 2);
  map.m_Add_Combat_Region(3);
  Regions regions, steps;
  map.m_Get_Move_Range(1, 2, steps, regions, 1, 1, 3);
  EXPECT_EQ(regions, (Regions{2, 3, 6}));
  e.m_Set_Region_Known(2, true);
  map.m_Get_Move_Range(1, 2, steps, regions, 1, 1, 3);
  EXPECT_EQ(regions, Regions{});
}

TEST_F(Map_Queries, MoveRangeListsAtMost500) {
  Build_Star(600);
  Regions regions, steps;
  map.m_Get_Move_Range(1, 2, steps, regions, 1, 1, 5);
  ASSERT_EQ(regions.size(), Search_Output_Limit);
  // The first level had no room left for 100 of its regions, and the next
  // level found none: the search stopped.
  EXPECT_EQ(regions.front(), 2);
  EXPECT_EQ(regions.back(), 501);
  EXPECT_TRUE(std::all_of(steps.begin(), steps.end(), [](std::int32_t s) { return s == 1; }));
  map.m_Get_Reach_By_Terrain(1, 1, regions, 5);
  EXPECT_EQ(regions.size(), Search_Output_Limit);
  map.m_Get_Regions_In_Range(1, 5, regions, 0);
  EXPECT_EQ(regions.size(), Search_Output_Limit);
}

TEST_F(Map_Queries, ReachByTerrain) {
  struct Case {
    std::int32_t from, mode, maximum;
    Regions regions;
  };
  const Case cases[] = {
      {1, 2, 5, {2, 3, 6}},       // land
      {1, 3, 5, {4, 5}},          // ocean
      {1, 1, 1, {2, 4}},          // both, one level
      {1, 4, 5, {2, 4, 3, 5, 6}},
      {1, 5, 5, {}},              // no such mode
      {1, 1, 0, {}},
      {7, 1, 5, {}},
      {0, 1, 5, {}},
  };
  for (const Case& c : cases) {
    Regions regions{42};
    map.m_Get_Reach_By_Terrain(c.from, c.mode, regions, c.maximum);
    EXPECT_EQ(regions, c.regions) << "mode " << c.mode << " from " << c.from;
  }
}

TEST_F(Map_Queries, PathsAndAllowedRegions) {
  const Regions all = All_Regions();
  struct Case {
    const char* what;
    std::int32_t from, to;
    Regions allowed;
    Regions path;
  };
  const Case cases[] = {
      {"shortest, first of equals", 1, 6, all, {2, 3, 6}},
      {"through the allowed regions only", 1, 6, {4, 5, 6}, {4, 5, 6}},
      {"target not allowed", 1, 6, {2, 3}, {}},
      {"the island", 1, 7, all, {}},
      {"start equals target", 1, 1, all, {}},
      {"no allowed regions", 1, 6, {}, {}},
      {"region 0", 0, 6, all, {}},
  };
  for (const Case& c : cases) {
    Regions path{42};
    map.m_Find_Path(c.from, c.to, path, 1, 1, c.allowed, std::int32_t(c.allowed.size()));
    EXPECT_EQ(path, c.path) << c.what;
  }
  Regions path;
  map.m_Find_Path(1, 6, path, 7, 1, all, std::int32_t(all.size()));
  EXPECT_TRUE(path.empty()) << "a player without an empire";
  const Regions many(501, 1);
  EXPECT_THROW(map.m_Find_Path(1, 6, path, 1, 1, many, 501), ERangeError);
  EXPECT_THROW(map.m_Find_Path(1, 6, path, 1, 1, all, 8), ERangeError);
  // Only the first "allowed count" entries count.
  map.m_Find_Path(1, 6, path, 1, 1, {4, 5, 6, 2, 3}, 3);
  EXPECT_EQ(path, (Regions{4, 5, 6}));
}

TEST_F(Map_Queries, PathTargetsWithForeignUnits) {
  const Regions all = All_Regions();
  Place(6, UT_INFANTRY, 2);
  Place(2, UT_INFANTRY, 3);
  Regions path;
  map.m_Find_Path(1, 6, path, 1, 1, all, 7);
  EXPECT_TRUE(path.empty()) << "mode 1 refuses a foreign target";
  map.m_Find_Path(1, 6, path, 1, 2, all, 7);
  EXPECT_EQ(path, (Regions{4, 5, 6})) << "mode 2 ends among foreigners, never passes them";
  map.m_Find_Path(1, 6, path, 1, 9, all, 7);
  EXPECT_EQ(path, (Regions{4, 5, 6}));
  // A battle in the target: only where the player already fights.
  map.m_Add_Combat_Region(6);
  map.m_Find_Path(1, 6, path, 1, 2, all, 7);
  EXPECT_TRUE(path.empty());
  Place(6, UT_INFANTRY, 1);
  map.m_Find_Path(1, 6, path, 1, 2, all, 7);
  EXPECT_EQ(path, (Regions{4, 5, 6}));
  // Unknown regions are passed without a look at their units.
  Game_Settings.f_fog_of_war = true;
  empires.m_Get_Empire(1)->m_Resize_Known_Regions(7);
  map.m_Find_Path(1, 3, path, 1, 1, all, 7);
  EXPECT_EQ(path, (Regions{2, 3}));
}

TEST_F(Map_Queries, PathsEndAfter101Steps) {
  Build_Chain(103);
  Regions allowed(500, 0);
  for (std::int32_t i = 0; i < 103; ++i) allowed[std::size_t(i)] = i + 1;
  Regions path;
  map.m_Find_Path(1, 102, path, 1, 1, allowed, 500);
  ASSERT_EQ(path.size(), 101u);
  EXPECT_EQ(path.front(), 2);
  EXPECT_EQ(path.back(), 102);
  map.m_Find_Path(1, 103, path, 1, 1, allowed, 500);
  EXPECT_TRUE(path.empty()) << "102 steps away";
}

TEST_F(Map_Queries, TrimmingAPath) {
  Place(3, UT_TRUCK, 2);
  map.m_Add_Combat_Region(5);
  struct Case {
    Regions path, trimmed;
  };
  const Case cases[] = {
      {{2, 3, 6}, {2, 3}},  // foreign units stop the path
      {{4, 5, 6}, {4, 5}},  // so does a pending battle
      {{2, 99, 3}, {2}},    // a leg that is no region ends it before
      {{2, 1}, {2, 1}},
      {{}, {}},
  };
  for (const Case& c : cases) {
    Regions path = c.path;
    map.m_Trim_Path(path, 1);
    EXPECT_EQ(path, c.trimmed);
  }
  Regions path{2, 3, 6};
  map.m_Trim_Path(path, 2);
  EXPECT_EQ(path, (Regions{2, 3, 6})) << "the player's own units do not stop it";
}

TEST_F(Map_Queries, NearestTransport) {
  // Ships of player 1 in the ocean regions; an infantry unit in region 1.
  const std::int32_t inf = Place(1, UT_INFANTRY, 1);
  const std::int32_t far_ship = Place(5, UT_SHIP, 1);
  const std::int32_t near_ship = Place(4, UT_SHIP, 1);
  Place(5, UT_SHIP, 2);  // another player's
  std::int32_t transport = -1, region = -1;
  EXPECT_EQ(map.m_Find_Transport(inf, transport, region), 1);
  EXPECT_EQ(transport, near_ship);
  EXPECT_EQ(region, 4);
  // A full ship does not qualify (capacity 6, trucks take 2).
  for (int i = 0; i < 3; ++i) {
    std::int32_t truck = Place(4, UT_TRUCK, 1);
    ASSERT_TRUE(map.m_Add_Unit_To_Cargo(near_ship, truck, false, true));
  }
  EXPECT_EQ(map.m_Find_Transport(inf, transport, region), 2);
  EXPECT_EQ(transport, far_ship);
  // A carried unit stands nowhere: no distance, no transport.
  ASSERT_TRUE(map.m_Add_Unit_To_Cargo(far_ship, inf, false, true));
  EXPECT_EQ(map.m_Find_Transport(inf, transport, region), Search_Unreachable);
  EXPECT_EQ(transport, 0);
  EXPECT_EQ(region, 0);
  EXPECT_EQ(map.m_Find_Transport(0, transport, region), Search_Unreachable);
  EXPECT_EQ(map.m_Find_Transport(999, transport, region), Search_Unreachable);
}

TEST_F(Map_Queries, NearestTransportSkipsCarriedAndUnreachableTransports) {
  const std::int32_t inf = Place(2, UT_INFANTRY, 1);
  // A ship carried by another ship: it stands nowhere and is not a
  // candidate at distance 0.
  Type(UT_SHIP).f_transporting_types.push_back({"Ship", 3});
  const std::int32_t carrier = Place(5, UT_SHIP, 1);
  const std::int32_t carried = Place(5, UT_SHIP, 1);
  ASSERT_TRUE(map.m_Add_Unit_To_Cargo(carrier, carried, false, true));
  std::int32_t transport = 0, region = 0;
  EXPECT_EQ(map.m_Find_Transport(inf, transport, region), 2);
  EXPECT_EQ(transport, carrier);
  // A transport on the island is never reached.
  map.m_Delete_Unit(carrier);
  Place(7, UT_SHIP, 1);
  EXPECT_EQ(map.m_Find_Transport(inf, transport, region), Search_Unreachable);
  EXPECT_EQ(transport, 0);
}

TEST_F(Map_Queries, ScratchArraysFollowTheRegionCount) {
  Regions regions, steps;
  map.m_Get_Move_Range(1, 1, steps, regions, 1, 1, 9);
  EXPECT_EQ(regions.size(), 5u);
  // The map grows after the first search: the new regions are searched too.
  Add_Region(8, REGION_LAND, 1, 1);
  Add_Region(9, REGION_LAND, 1, 1);
  Connect(7, 8);
  Connect(8, 9);
  EXPECT_EQ(map.m_Get_Region_Distance(7, 9, 1, false, 0), 2);
  map.m_Get_Move_Range(7, 2, steps, regions, 1, 1, 9);
  EXPECT_EQ(regions, (Regions{8, 9}));
  // And shrinks.
  map.m_Set_Region_Count(3);
  EXPECT_EQ(map.m_Get_Region_Distance(1, 3, 1, false, 0), 2);
  map.m_Get_Move_Range(1, 2, steps, regions, 1, 1, 9);
  EXPECT_EQ(regions, (Regions{2, 3}));
}
