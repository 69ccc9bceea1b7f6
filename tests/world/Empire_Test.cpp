#include "World_Fixture.h"

#include "Global.h"
#include "Shell_Services.h"
#include "Test_Support.h"

namespace {
std::string Hex(const std::string& text) {
  std::string bytes;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    bytes.push_back(char(std::stoi(text.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  return bytes;
}

std::string To_Hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  for (unsigned char c : bytes) {
    if (!s.empty()) s += ' ';
    s += digits[c >> 4];
    s += digits[c & 15];
  }
  return s;
}

TEmpire_Unit_Type_Counters Counters(TEmpire& e, std::uint16_t type) {
  TEmpire_Unit_Type_Counters c;
  e.m_Get_Unit_Type_Counters(type, c);
  return c;
}
}  // namespace

using Empire_Money = World_Test;
using Empire_Rules = World_Test;
using Empire_List = World_Test;

class Empire_File : public World_Test {
protected:
  void SetUp() override {
    World_Test::SetUp();
    saved_user_folder = User_Folder;
    User_Folder = dir.design();
    Take_Held_Reports();
  }
  void TearDown() override {
    User_Folder = saved_user_folder;
    Take_Held_Reports();
    World_Test::TearDown();
  }
  TTemp_Dir dir;
  std::string saved_user_folder;
};

// ---------------------------------------------------------------------------
// Money

TEST_F(Empire_Money, UpkeepTakesTheSupplyCostUpFromATenth) {
  struct Row {
    float supply;
    int units;
    std::int32_t upkeep;
  } rows[] = {{0, 0, 0}, {0.05f, 1, 0}, {0.2f, 1, 1}, {2.5f, 1, 3}, {0.5f, 4, 2}, {1.1f, 1, 2}};
  for (const Row& r : rows) {
    map.m_Clear();
    empires.m_Create_Empires(1);
    Type(UT_INFANTRY).f_supply_cost = r.supply;
    for (int i = 0; i < r.units; ++i) map.m_Add_Unit(0, UT_INFANTRY, 1, 0, 0);
    TEmpire& e = *empires.m_Get_Empire(1);
    e.m_Update_Upkeep();
    EXPECT_EQ(e.m_Get_Upkeep(), r.upkeep) << r.supply << " x " << r.units;
  }
}

TEST_F(Empire_Money, IncomeComesFromTheValueOfOwnedRegions) {
  empires.m_Create_Empires(2);
  Base_Game_Settings.f_money_per_territory_value = 10;
  Base_Game_Settings.f_neutral_empire_money_modifier = 0.5f;
  Add_Region(1, REGION_LAND, 2, 2, 0, 0, 2, 2);
  Add_Region(2, REGION_LAND, 2, 2, 64, 0, 2, 3);
  Add_Region(3, REGION_LAND, 2, 2, 128, 0, 1, 7);
  TEmpire& neutral = *empires.m_Get_Empire(2);
  neutral.m_Set_Neutral(true);
  neutral.m_Update_Income();
  EXPECT_EQ(neutral.m_Get_Income(), 25);
  TEmpire& player = *empires.m_Get_Empire(1);
  player.m_Update_Income();
  EXPECT_EQ(player.m_Get_Income(), 70);
  // A unit with a territory money modifier of 50 % in region 3.
  Type(UT_CITY).f_special_abilities = {{1, "", 50}};
  Place(3, UT_CITY, 1);
  player.m_Update_Income();
  EXPECT_EQ(player.m_Get_Income(), 105);
  // A change of owner recomputes both incomes.
  map.m_Get_Region(1)->m_Set_Owner(1);
  EXPECT_EQ(player.m_Get_Income(), 125);
  EXPECT_EQ(neutral.m_Get_Income(), 15);
  Base_Game_Settings.f_money_per_territory_value = 2147483647;
  EXPECT_THROW(player.m_Update_Income(), EIntOverflow);
}

// ---------------------------------------------------------------------------
// Counters, purchases, technology, placement, fog of war

TEST_F(Empire_Rules, CountersGrowTenBeyondTheTypeAndTheNeutralEmpireCountsNothing) {
  TEmpire e;
  struct Row {
    std::uint16_t type;
    std::int32_t count;
  } rows[] = {{12, 22}, {3, 22}, {22, 22}, {23, 33}};
  for (const Row& r : rows) {
    e.m_Count_Unit_Bought(r.type, 1);
    EXPECT_EQ(e.m_Get_Counter_Count(), r.count) << r.type;
  }
  e.m_Count_Unit_Bought(12, 1);
  e.m_Count_Unit_Lost(12, 1);
  e.m_Count_Unit_Captured(12, 3);
  e.m_Count_Unit_Destroyed(12, 1);
  EXPECT_EQ(Counters(e, 12), (TEmpire_Unit_Type_Counters{2, 3, 1, 3, 1}));
  EXPECT_THROW(e.m_Count_Unit_Bought(65526, 1), ERangeError);
  TEmpire neutral;
  neutral.m_Set_Neutral(true);
  neutral.m_Count_Unit_Bought(5, 1);
  EXPECT_EQ(neutral.m_Get_Counter_Count(), 0);
  neutral.m_Set_Eliminated(true);
  EXPECT_FALSE(neutral.m_Get_Eliminated());
}

TEST_F(Empire_Rules, PurchasesAreQueuedDeletedAndCleanedOfInvalidEntries) {
  empires.m_Create_Empires(1);
  Add_Region(1, REGION_LAND, 2, 2, 0, 0, 1);
  Set_Tech_Areas({{"Rockets", "Rockets", 0, 2}});
  TEmpire& e = *empires.m_Get_Empire(1);
  e.m_Init_Tech_Levels(1);
  const TEmpire_Purchase queue[] = {
      {PURCHASE_UNIT, UT_INFANTRY, 2, 1, 100},  // valid
      {PURCHASE_UNIT, UT_INFANTRY, 0, 1, 100},  // no amount
      {PURCHASE_UNIT, UT_SHIP, 1, 1, 100},      // a ship on land
      {PURCHASE_RESEARCH, 1, 1, 0, 50},         // level 0 of 2
      {PURCHASE_RESEARCH, 2, 1, 0, 50},         // no such area
      {7, 0, 1, 0, 0},                          // other kinds need an amount only
      {PURCHASE_UNIT, 70000, 1, 1, 0},          // not a unit type
  };
  for (const TEmpire_Purchase& p : queue) e.m_Add_Purchase(p);
  EXPECT_EQ(e.m_Count_Queued_Of_Type_At(1, UT_INFANTRY), 2);
  EXPECT_EQ(e.m_Count_Queued_Of_Family_At(1, 1), 2);
  e.m_Remove_Invalid_Purchases();
  ASSERT_EQ(e.m_Get_Purchase_Count(), 3);
  TEmpire_Purchase p;
  e.m_Get_Purchase(2, p);
  EXPECT_EQ(p, queue[3]);
  e.m_Get_Purchase(4, p);
  EXPECT_EQ(p, TEmpire_Purchase{});
  e.m_Set_Tech_Level(1, 2);
  EXPECT_FALSE(e.m_Is_Purchase_Valid(queue[3]));
  EXPECT_FALSE(e.m_Delete_Purchase(0));
  EXPECT_TRUE(e.m_Delete_Purchase(1));
  e.m_Get_Purchase(1, p);
  EXPECT_EQ(p, queue[3]);
}

TEST_F(Empire_Rules, TechnologyLevelsStartInThreeModes) {
  Set_Tech_Areas({{"Armour", "ARMOUR", 1, 6}, {"Radar", "RADAR", 2, 2}, {"Space", "SPACE", 0, 7}});
  struct Row {
    std::int32_t mode;
    std::vector<std::int32_t> levels;
  } rows[] = {{1, {1, 2, 0}}, {2, {3, 2, 3}}, {3, {6, 2, 7}}, {4, {0, 0, 0}}};
  for (const Row& r : rows) {
    TEmpire e;
    e.m_Init_Tech_Levels(r.mode);
    ASSERT_EQ(e.m_Get_Tech_Level_Count(), 3);
    for (int a = 1; a <= 3; ++a) EXPECT_EQ(e.m_Get_Tech_Level(a), r.levels[a - 1]) << "mode " << r.mode;
  }
  TEmpire e;
  e.m_Init_Tech_Levels(3);
  e.m_Set_Tech_Level(9, 5);
  EXPECT_EQ(e.m_Get_Tech_Level(9), 0);
  EXPECT_EQ(e.m_Get_Tech_Level_By_Area_Name(1, "rADAR"), 2);
  EXPECT_EQ(e.m_Get_Tech_Level_By_Area_Name(2, "space"), 7);
  EXPECT_EQ(e.m_Get_Tech_Level_By_Area_Name(3, "Armour"), 0);
}

TEST_F(Empire_Rules, UnlockedUnitTypesAreThoseOneMoreLevelAllows) {
  empires.m_Create_Empires(1);
  Set_Tech_Areas({{"Armour", "ARMOUR", 1, 6}});
  TEmpire& e = *empires.m_Get_Empire(1);
  e.m_Init_Tech_Levels(1);
  // The formula language reads the empire's level by the area's internal name.
  Require(UT_TANK, "Get_Nation_Tech_Level(\"armour\") >= 2");
  Require(UT_FLAT, "Get_Nation_Tech_Level(\"ARMOUR\") >= 3");
  std::vector<std::string> names{"old"};
  e.m_Get_Unlocked_Unit_Types(names, 1);
  EXPECT_EQ(names, (std::vector<std::string>{"Tank"}));
  EXPECT_EQ(e.m_Get_Tech_Level(1), 1);
}

TEST_F(Empire_Rules, PlacementFollowsTheMovementType) {
  empires.m_Create_Empires(3);
  empires.m_Get_Empire(3)->m_Set_Neutral(true);
  Add_Region(1, REGION_LAND, 3, 3, 0, 0, 1);    // own land
  Add_Region(2, REGION_LAND, 3, 3, 96, 0, 2);   // foreign land
  Add_Region(3, REGION_OCEAN, 3, 3, 192);       // empty ocean
  Add_Region(4, REGION_OCEAN, 3, 3, 288);       // ocean with a foreign ship
  Add_Region(5, REGION_LAND, 3, 3, 384, 0, 3);  // neutral land
  Add_Region(6, REGION_OCEAN, 3, 3, 480);       // ocean with an own ship
  Place(4, UT_SHIP, 2);
  Place(6, UT_SHIP, 1);
  struct Row {
    std::uint8_t empire;
    std::int32_t region;
    std::uint16_t type;
    bool allowed;
  } rows[] = {
      {1, 1, UT_INFANTRY, true}, {1, 1, UT_PLANE, true},  {1, 2, UT_INFANTRY, false}, {1, 3, UT_INFANTRY, false},
      {1, 1, UT_SHIP, false},    {1, 3, UT_SHIP, true},   {1, 3, UT_SUB, true},        {1, 4, UT_SHIP, false},
      {1, 6, UT_SHIP, true},     {2, 4, UT_SHIP, true},   {3, 3, UT_SHIP, false},      {3, 5, UT_INFANTRY, true},
      {1, 9, UT_INFANTRY, false}, {1, 1, 99, false},
  };
  for (const Row& r : rows)
    EXPECT_EQ(empires.m_Get_Empire(r.empire)->m_Can_Place_Unit_At(r.region, r.type, 1), r.allowed)
        << "empire " << int(r.empire) << " region " << r.region << " type " << r.type;
  EXPECT_TRUE(empires.m_Get_Empire(1)->m_Can_Place_Unit_Anywhere(UT_SHIP));
  EXPECT_FALSE(empires.m_Get_Empire(3)->m_Can_Place_Unit_Anywhere(UT_SUB));
}

TEST_F(Empire_Rules, PlacementNeedsTheFamilyAndRespectsTheMaximum) {
  empires.m_Create_Empires(1);
  Add_Region(1, REGION_LAND, 3, 3, 0, 0, 1);
  Add_Region(2, REGION_LAND, 3, 3, 96, 0, 1);
  Connect(1, 2);
  TEmpire& e = *empires.m_Get_Empire(1);
  TUnit_Type& tank = Type(UT_TANK);
  tank.f_purchase_near_family_id = 3;  // near a city
  EXPECT_FALSE(e.m_Can_Place_Unit_At(1, UT_TANK, 1));
  Place(2, UT_CITY, 1);
  EXPECT_TRUE(e.m_Can_Place_Unit_At(1, UT_TANK, 1));
  tank.f_purchase_with_family_id = 3;  // in a city region: takes precedence
  EXPECT_FALSE(e.m_Can_Place_Unit_At(1, UT_TANK, 1));
  EXPECT_TRUE(e.m_Can_Place_Unit_At(2, UT_TANK, 1));
  tank.f_maximum_per_region = 2;
  EXPECT_TRUE(e.m_Can_Place_Unit_At(2, UT_TANK, 2));
  Place(2, UT_TANK, 1);
  EXPECT_TRUE(e.m_Can_Place_Unit_At(2, UT_TANK, 1));
  EXPECT_FALSE(e.m_Can_Place_Unit_At(2, UT_TANK, 2));
}

TEST_F(Empire_Rules, FogOfWarKeepsKnownRegionsOnlyWhenOn) {
  for (bool fog : {true, false}) {
    SCOPED_TRACE(fog ? "fog on" : "fog off");
    Game_Settings.f_fog_of_war = fog;
    map.m_Clear();
    empires.m_Create_Empires(2);
    Add_Region(1, REGION_LAND, 2, 2, 0, 0, 1);
    Add_Region(2, REGION_LAND, 2, 2, 64, 0, 2);
    Add_Region(3, REGION_LAND, 2, 2, 128, 0, 2);
    Connect(1, 2);
    Connect(2, 3);
    TEmpire& e = *empires.m_Get_Empire(1);
    e.m_Update_Known_Regions();
    EXPECT_EQ(e.m_Get_Known_Region_Count(), fog ? 3 : 0);
    EXPECT_TRUE(e.m_Is_Region_Known(1));
    EXPECT_EQ(e.m_Is_Region_Known(2), !fog);
    EXPECT_EQ(e.m_Knows_Region_Of(2), !fog);
    e.m_Set_Region_Known(3, true);
    EXPECT_TRUE(e.m_Is_Region_Known(3));
    EXPECT_EQ(e.m_Knows_Region_Of(2), true);
    EXPECT_EQ(e.m_Is_Region_Known(4), !fog);
    e.m_Set_All_Regions_Known(false);
    EXPECT_EQ(e.m_Is_Region_Known(1), !fog);
    if (fog) {
      EXPECT_THROW(e.m_Resize_Known_Regions(65536), ERangeError);
    }
  }
}

// After each move the known regions are those a whole marking gives: what
// only the old place saw is forgotten, what the new one sees is known, and
// a new connection is walked at once.
TEST_F(Empire_Rules, KnownRegionsFollowEachMoveAndNewConnection) {
  Game_Settings.f_fog_of_war = true;
  map.m_Clear();
  empires.m_Create_Empires(2);
  for (std::int32_t id = 1; id <= 8; ++id) Add_Region(id, REGION_LAND, 1, 1, 64 * id, 0, id == 1 ? 1 : 0);
  for (std::int32_t id = 1; id < 8; ++id) Connect(id, id + 1);  // a chain 1-2-...-8
  Type(UT_INFANTRY).f_sight_range = 1;
  Type(UT_PLANE).f_sight_range = 2;
  const std::int32_t infantry = Place(1, UT_INFANTRY, 1);
  const std::int32_t plane = Place(5, UT_PLANE, 1);
  Place(8, UT_INFANTRY, 2);  // another empire's unit shows nothing to empire 1
  TEmpire& e = *empires.m_Get_Empire(1);
  auto known = [&] {
    std::vector<std::int32_t> ids;
    for (std::int32_t id = 1; id <= 8; ++id)
      if (e.m_Is_Region_Known(id)) ids.push_back(id);
    return ids;
  };
  struct TStep {
    std::int32_t unit, to, connect_a, connect_b;
    std::vector<std::int32_t> expected;
  };
  const std::vector<TStep> steps = {
      {0, 0, 0, 0, {1, 2, 3, 4, 5, 6, 7}},
      {plane, 8, 0, 0, {1, 2, 6, 7, 8}},
      {infantry, 3, 0, 0, {1, 2, 3, 4, 6, 7, 8}},
      {plane, 3, 0, 0, {1, 2, 3, 4, 5}},
      {0, 0, 3, 8, {1, 2, 3, 4, 5, 7, 8}},
      {infantry, 0, 0, 0, {1, 2, 3, 4, 5, 7, 8}},
      {plane, 1, 0, 0, {1, 2, 3}},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE("step " + std::to_string(i));
    const TStep& s = steps[i];
    if (s.unit != 0) map.m_Set_Unit_Region(s.unit, s.to);
    if (s.connect_a != 0) Connect(s.connect_a, s.connect_b);
    e.m_Update_Known_Regions();
    EXPECT_EQ(known(), s.expected);
  }
}

TEST_F(Empire_Rules, CameraStartsAtTheDefaultAndGoesToTheMainScreen) {
  TEmpire e;
  EXPECT_EQ(e.m_Get_Camera_Eye().x, -4250);
  EXPECT_EQ(e.m_Get_Camera_Look_At().y, 1536);
  EXPECT_EQ(e.m_Get_Camera_Up().y, 1);
  Game_Settings.f_camera_eye = {5, 6, 7};
  Game_Settings.f_camera_up = {0, 0, 1};
  e.m_Reset_Camera();
  EXPECT_EQ(e.m_Get_Camera_Up().z, 1);
  EXPECT_EQ(e.m_Get_Camera_Eye().z, 7);
  e.m_Apply_Camera();
  EXPECT_EQ(links.cameras, 1);
  EXPECT_EQ(links.last_eye.y, 6);
}

// ---------------------------------------------------------------------------
// The list: numbers, winner, statistics

TEST_F(Empire_List, AtMostNineEmpiresExist) {
  for (int i = 1; i <= 9; ++i) EXPECT_EQ(empires.m_Add(std::make_unique<TEmpire>()), i);
  EXPECT_EQ(empires.m_Get_Empire(9)->m_Get_Number(), 9);
  EXPECT_THROW(empires.m_Add(std::make_unique<TEmpire>()), ERangeError);
  EXPECT_EQ(empires.m_Get_Count(), 9);
  EXPECT_THROW(empires.m_Create_Empires(10), ERangeError);
  empires.m_Create_Empires(0);
  EXPECT_EQ(empires.m_Get_Count(), 0);
  empires.m_Create_Empires(3);
  EXPECT_EQ(empires.m_Get_Empire(3)->m_Get_Number(), 3);
  EXPECT_EQ(empires.m_Get_Empire(0), nullptr);
  EXPECT_EQ(empires.m_Get_Empire(4), nullptr);
  EXPECT_FALSE(empires.m_Is_Neutral(0));
  empires.m_Get_Empire(2)->m_Set_Neutral(true);
  EXPECT_TRUE(empires.m_Is_Neutral(2));
}

TEST_F(Empire_List, EveryoneLeftIsAComputer) {
  EXPECT_TRUE(empires.m_All_Computer_Controlled());
  empires.m_Create_Empires(2);
  empires.m_Get_Empire(1)->m_Set_Computer_Controlled(true);
  EXPECT_FALSE(empires.m_All_Computer_Controlled());
  empires.m_Get_Empire(2)->m_Set_Eliminated(true);
  EXPECT_TRUE(empires.m_All_Computer_Controlled());
}

TEST_F(Empire_List, TheWinnerIsTheOnlyEmpireWithRegionsOrUnits) {
  struct Row {
    const char* what;
    std::uint8_t owner_1, owner_2;          // owners of regions 1 and 2
    std::uint8_t unit_owner;                // a unit standing in region 2 (0 none)
    std::uint8_t carried_owner;             // a carried unit (0 none)
    std::uint8_t winner;
  } rows[] = {
      {"nobody", 0, 0, 0, 0, 0},
      {"one owns all", 1, 1, 0, 0, 1},
      {"two own regions", 1, 2, 0, 0, 0},
      {"one owns, another has a unit", 1, 0, 3, 0, 0},
      {"only units", 0, 0, 3, 0, 3},
      {"a carried unit keeps nobody alive", 2, 2, 0, 1, 2},
      {"the neutral empire counts", 4, 1, 0, 0, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    map.m_Clear();
    empires.m_Create_Empires(4);
    empires.m_Get_Empire(4)->m_Set_Neutral(true);
    Add_Region(1, REGION_LAND, 2, 2, 0, 0, r.owner_1);
    Add_Region(2, REGION_LAND, 2, 2, 64, 0, r.owner_2);
    if (r.unit_owner) Place(2, UT_TRUCK, r.unit_owner);
    if (r.carried_owner) map.m_Add_Unit(0, UT_INFANTRY, r.carried_owner, 0, 0);
    EXPECT_EQ(empires.m_Get_Winner(), r.winner);
  }
}

TEST_F(Empire_List, StatisticsAndTheSummaryTable) {
  empires.m_Create_Empires(3);
  empires.m_Get_Empire(3)->m_Set_Neutral(true);
  Type(UT_INFANTRY).f_group = "land units";
  Type(UT_PLANE).f_group = "Air Units";
  Type(UT_SHIP).f_group = "Ocean Units";
  Type(UT_CITY).f_group = "Non-Moving Land Units";
  Type(UT_CITY).f_cost = 100;
  Add_Region(1, REGION_LAND, 2, 2, 0, 0, 1, 5);
  Add_Region(2, REGION_LAND, 2, 2, 64, 0, 2, 10);
  Add_Region(3, REGION_LAND, 2, 2, 128, 0, 0, 15);
  Add_Region(4, REGION_OCEAN, 2, 2, 192, 0, 0, 40);
  Place(1, UT_INFANTRY, 1);
  Place(1, UT_CITY, 1);
  Place(4, UT_SHIP, 1);
  Place(1, UT_PLANE, 1);
  map.m_Add_Unit(0, UT_INFANTRY, 1, 0, 0);
  Place(2, UT_INFANTRY, 2);
  TEmpire_Statistics s;
  Empire_Compute_Statistics(1, s);
  EXPECT_EQ(s.values, (std::array<std::int32_t, 9>{33, 1, 5, 16, 140, 120, 10, 10, 1}));

  Empire_Update_All_Statistics();
  EXPECT_EQ(empires.m_Get_Empire(1)->m_Get_Highest_Statistics(), s);
  EXPECT_EQ(empires.m_Get_Empire(3)->m_Get_Highest_Statistics().values[0], -1);
  map.m_Get_Region(3)->m_Set_Owner(1);
  map.m_Delete_Unit(1);
  Empire_Update_Statistics(1);
  TEmpire_Statistics current, lowest, highest;
  Empire_Get_Statistics(1, current, lowest, highest);
  EXPECT_EQ(current.values[1], 2);
  EXPECT_EQ(highest.values[1], 2);
  EXPECT_EQ(lowest.values[1], 1);
  EXPECT_EQ(highest.values[4], 140);
  EXPECT_EQ(lowest.values[4], 130);

  Set_Tech_Areas({{"A", "A", 2, 4}, {"B", "B", 1, 4}});
  empires.m_Get_Empire(1)->m_Init_Tech_Levels(1);
  empires.m_Get_Empire(1)->m_Set_Treasury(900);
  Place(3, UT_TRUCK, 3);
  TEmpire_Summary_Table table;
  Empire_Get_Summary_Table(table);
  EXPECT_EQ(table.count, 2);
  EXPECT_EQ(table.rows[0], (TEmpire_Summary_Row{2, 20, 900, 4, 130, 3}));
  EXPECT_EQ(table.rows[1], (TEmpire_Summary_Row{1, 10, 0, 1, 10, 0}));
  EXPECT_EQ(table.rows[2], (TEmpire_Summary_Row{0, 0, 0, 1, 10, 0}));
}

// ---------------------------------------------------------------------------
// Empires.dat

TEST_F(Empire_File, TheFileHoldsTheValuesInTheirOrder) {
  auto first = std::make_unique<TEmpire>();
  first->m_Set_Nation_Name("Ax");
  first->m_Set_Player_Name("Bo");
  first->m_Set_Color(0xFF102030);
  first->m_Set_Second_Color(0x80000001);
  first->m_Set_Computer_Controlled(true);
  first->m_Set_Color_Index(2);
  first->m_Set_Flag_Index(3);
  first->m_Set_Treasury(1000);
  first->m_Set_Income(50);
  first->m_Add_Purchase({PURCHASE_UNIT, 4, 2, 7, 300});
  first->m_Count_Unit_Bought(1, 1);
  Set_Tech_Areas({{"A", "A", 3, 3}, {"B", "B", -2, 0}});
  first->m_Init_Tech_Levels(1);
  map.m_Set_Region_Count(3);
  first->m_Resize_Known_Regions(3);
  first->m_Set_Region_Known(1, true);
  first->m_Set_Region_Known(3, true);
  first->m_Set_Camera({1, 0, 0}, {0, 0, 0}, {0, 1, 0});
  auto second = std::make_unique<TEmpire>();
  second->m_Set_Eliminated(true);
  second->m_Set_Treasury(-5);
  second->m_Count_Unit_Bought(2, 1);
  empires.m_Add(std::move(first));
  empires.m_Add(std::move(second));
  const std::string one = "05 00 00 00 00 00 00 00 80 FF 3F ";
  const std::string zero = "05 00 00 00 00 00 00 00 00 00 00 ";
  const std::string unset = "02 FF 02 00 02 00 02 00 02 00 02 00 02 00 02 00 02 00 ";
  std::string counters = "02 0B 02 01 02 01 02 00 02 00 02 00 ";
  for (int i = 2; i <= 11; ++i) counters += "02 00 02 00 02 00 02 00 02 00 ";
  const std::string expected = Hex(
      "02 02 "
      // empire 1
      "02 01 06 02 41 78 06 02 42 6F "
      "02 10 02 20 02 30 03 FF 00 "
      "02 00 02 00 02 01 03 80 00 "
      "09 02 02 02 03 08 08 03 E8 03 02 32 "
      "02 01 02 01 02 04 02 02 02 07 03 2C 01 " +
      unset + unset + counters +
      "02 02 02 03 02 FE "
      "02 03 09 08 09 " +
      one + zero + zero + zero + zero + zero + zero + one + zero +
      "08 02 00 "
      // empire 2, eliminated: twelve values
      "02 02 06 00 06 00 02 00 02 00 02 00 02 00 02 00 02 00 02 00 02 00 "
      "08 02 00 02 00 08 09 02 FB 02 00");
  const std::string file = dir.design() + "Empires.dat";
  ASSERT_TRUE(empires.m_Save_To_File(file));
  EXPECT_EQ(To_Hex(Read_File(dir.path() / "Empires.dat")), To_Hex(expected));
}

TEST_F(Empire_File, APopulatedListComesBackEqual) {
  Set_Tech_Areas({{"A", "A", 1, 5}, {"B", "B", 2, 9}});
  empires.m_Create_Empires(3);
  map.m_Set_Region_Count(40);
  for (int n = 1; n <= 3; ++n) {
    TEmpire& e = *empires.m_Get_Empire(n);
    e.m_Set_Nation_Name("Nation é " + std::to_string(n));
    e.m_Set_Player_Name(std::string(300, char('a' + n)));
    e.m_Set_Color(0xFF000000u | std::uint32_t(n * 0x10203));
    e.m_Set_Second_Color(0x7F0000FFu);
    e.m_Set_Computer_Controlled(n == 2);
    e.m_Set_Color_Index(std::uint8_t(n));
    e.m_Set_Flag_Index(std::uint8_t(200 + n));
    e.m_Set_Neutral(n == 3);
    e.m_Set_Treasury(-70000 * n);
    e.m_Set_Income(40000 + n);
    for (int p = 1; p <= n; ++p) e.m_Add_Purchase({std::uint8_t(p), p * 70000, std::uint16_t(60000 + p), p, -p});
    for (int t = 1; t <= 20; t += 3) e.m_Count_Unit_Bought(t, t);
    e.m_Init_Tech_Levels(n);
    e.m_Resize_Known_Regions(40);
    for (int r = n; r <= 40; r += 3) e.m_Set_Region_Known(r, true);
    e.m_Set_Camera({1.5f, -2.25f, 1e6f}, {0.1f, 0.2f, 0.3f}, {0, 0, -1});
    e.m_Set_Statistics(TEmpire_Statistics{{1, 2, 3, 4, 5, 6, 7, 8, 9}},
                       TEmpire_Statistics{{-9, 80000, 0, 0, 0, 0, 0, 0, 1}});
  }
  const std::string file = dir.design() + "Empires.dat";
  ASSERT_TRUE(empires.m_Save_To_File(file));
  TEmpire_List loaded;
  ASSERT_TRUE(loaded.m_Load_From_File(file));
  ASSERT_EQ(loaded.m_Get_Count(), 3);
  TIo_Writer a, b;
  empires.m_Write(a);
  loaded.m_Write(b);
  EXPECT_EQ(To_Hex(a.m_Bytes()), To_Hex(b.m_Bytes()));
  const TEmpire& e = *loaded.m_Get_Empire(2);
  EXPECT_EQ(e.m_Get_Nation_Name(), "Nation é 2");
  EXPECT_EQ(e.m_Get_Player_Name(), std::string(300, 'c'));
  EXPECT_EQ(e.m_Get_Second_Color(), 0x7F0000FFu);
  EXPECT_EQ(e.m_Get_Camera_Eye().y, -2.25f);
  EXPECT_EQ(e.m_Get_Camera_Look_At().x, 0.1f);
  EXPECT_EQ(e.m_Get_Purchase_Count(), 2);
  EXPECT_EQ(e.m_Get_Tech_Level(2), 5);
  EXPECT_TRUE(e.m_Is_Region_Known(38));
  EXPECT_FALSE(e.m_Is_Region_Known(39));
}

TEST_F(Empire_File, AnEliminatedEmpireComesBackWithItsIdentityAndMoneyOnly) {
  Set_Tech_Areas({{"A", "A", 1, 5}});
  empires.m_Create_Empires(1);
  TEmpire& e = *empires.m_Get_Empire(1);
  e.m_Set_Nation_Name("Gone");
  e.m_Set_Treasury(12);
  e.m_Set_Income(34);
  e.m_Add_Purchase({PURCHASE_UNIT, 1, 1, 1, 1});
  e.m_Count_Unit_Bought(4, 1);
  e.m_Init_Tech_Levels(1);
  map.m_Set_Region_Count(5);
  e.m_Resize_Known_Regions(5);
  e.m_Set_Statistics(TEmpire_Statistics{{1}}, TEmpire_Statistics{{2}});
  e.m_Set_Camera({1, 2, 3}, {4, 5, 6}, {7, 8, 9});
  e.m_Set_Eliminated(true);
  const std::string file = dir.design() + "Empires.dat";
  ASSERT_TRUE(empires.m_Save_To_File(file));
  TEmpire_List loaded;
  ASSERT_TRUE(loaded.m_Load_From_File(file));
  const TEmpire& l = *loaded.m_Get_Empire(1);
  EXPECT_EQ(l.m_Get_Number(), 1);
  EXPECT_EQ(l.m_Get_Nation_Name(), "Gone");
  EXPECT_TRUE(l.m_Get_Eliminated());
  EXPECT_EQ(l.m_Get_Treasury(), 12);
  EXPECT_EQ(l.m_Get_Income(), 34);
  EXPECT_EQ(l.m_Get_Purchase_Count(), 0);
  EXPECT_EQ(l.m_Get_Counter_Count(), 0);
  EXPECT_EQ(l.m_Get_Tech_Level_Count(), 0);
  EXPECT_EQ(l.m_Get_Known_Region_Count(), 0);
  EXPECT_EQ(l.m_Get_Lowest_Statistics().values[0], -1);
  EXPECT_EQ(l.m_Get_Highest_Statistics().values[0], -1);
  EXPECT_EQ(l.m_Get_Camera_Eye().x, -4250);
  EXPECT_EQ(l.m_Get_Camera_Up().y, 1);
}

TEST_F(Empire_File, AFailedLoadLeavesTheEmpiresOfTheGame) {
  empires.m_Create_Empires(2);
  empires.m_Get_Empire(1)->m_Set_Nation_Name("Kept");
  const std::string file = dir.design() + "Empires.dat";
  ASSERT_TRUE(empires.m_Save_To_File(file));
  const std::string whole = Read_File(dir.path() / "Empires.dat");
  TEmpire_List running;
  running.m_Create_Empires(3);
  running.m_Get_Empire(3)->m_Set_Nation_Name("Running");
  // Cut anywhere, including inside the second empire's record.
  for (std::size_t cut : {std::size_t(0), std::size_t(1), std::size_t(5), whole.size() / 2, whole.size() - 1}) {
    Write_File(dir.path() / "Empires.dat", whole.substr(0, cut));
    EXPECT_FALSE(running.m_Load_From_File(file)) << cut;
    ASSERT_EQ(running.m_Get_Count(), 3) << cut;
    EXPECT_EQ(running.m_Get_Empire(3)->m_Get_Nation_Name(), "Running");
  }
  std::vector<THeld_Report> reports = Take_Held_Reports();
  ASSERT_EQ(reports.size(), 5u);
  EXPECT_EQ(reports[0].caption, "Error");
  EXPECT_EQ(reports[0].text, "Load file error: " + file);

  // Ten empires in a file are refused too; a missing file and an empty name as well.
  Write_File(dir.path() / "Empires.dat", Hex("02 0A"));
  EXPECT_FALSE(running.m_Load_From_File(file));
  EXPECT_FALSE(running.m_Load_From_File(dir.design() + "Missing.dat"));
  EXPECT_FALSE(running.m_Load_From_File(""));
  EXPECT_EQ(running.m_Get_Count(), 3);

  Write_File(dir.path() / "Empires.dat", whole);
  ASSERT_TRUE(running.m_Load_From_File(file));
  EXPECT_EQ(running.m_Get_Count(), 2);
  EXPECT_EQ(running.m_Get_Empire(1)->m_Get_Nation_Name(), "Kept");
}
