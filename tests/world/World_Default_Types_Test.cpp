// The world model with the unit types and technology areas of the default
// game type: every type can be bought, placed, moved and carried the way
// its data says.
#include <set>

#include "Native_Path.h"
#include "Test_Support.h"
#include "World_Fixture.h"

namespace {
std::string Data_File(const std::string& name) { return Design_Path((Source_Dir() / "data" / name).string()); }

class World_Default_Types : public World_Test {
protected:
  void SetUp() override {
    World_Test::SetUp();
    // The loaders free the current lists: the fixture's own stay out of it.
    Unit_Type_List = nullptr;
    Tech_Area_List = nullptr;
    ASSERT_TRUE(Datafile_Units_Load(Data_File("Units.txt"), nullptr));
    ASSERT_TRUE(Datafile_Tech_Load(Data_File("Technology.txt"), nullptr));
    empires.m_Create_Empires(2);
    // A land region of player 1 beside an ocean region, both 6 x 6 squares.
    Add_Region(1, REGION_LAND, 6, 6, 0, 0, 1);
    Add_Region(2, REGION_OCEAN, 6, 6, 192, 0);
    Connect(1, 2);
  }
  void TearDown() override {
    Datafile_Units_Free();
    Datafile_Tech_Free();
    World_Test::TearDown();
  }
  // The region a unit of the type stands in.
  std::int32_t Home_Of(const TUnit_Type& t) const { return t.m_Can_Move_In_Region_Kind(REGION_LAND) ? 1 : 2; }
};
}  // namespace

TEST_F(World_Default_Types, EveryTypeIsPlacedOnItsStackAndGetsItsMoves) {
  const std::int32_t count = World_Unit_Type_Count();
  ASSERT_GE(count, 20);
  std::set<std::uint8_t> movement_types;
  for (std::int32_t i = 1; i <= count; ++i) {
    const TUnit_Type& t = *World_Unit_Type(i);
    SCOPED_TRACE(t.f_internal_name);
    movement_types.insert(t.f_movement_type);
    ASSERT_GE(t.f_movement_type, UNIT_MOVEMENT_AIR);
    ASSERT_LE(t.f_movement_type, UNIT_MOVEMENT_SPACE);
    const std::int32_t region = Home_Of(t);
    const std::int32_t id = map.m_Add_Unit(region, std::uint16_t(i), 1, 0, 0);
    EXPECT_TRUE(map.m_Get_Region(region)->m_Add_Unit(id));
  }
  EXPECT_EQ(movement_types, (std::set<std::uint8_t>{1, 2, 3, 4, 5}));
  // Every movement amount fits the moves of a unit record.
  map.m_Reset_Player_Moves(1);
  for (std::int32_t id = 1; id <= count; ++id) {
    TMap_Unit_Record u;
    map.m_Get_Unit(id, u);
    EXPECT_EQ(u.moves, World_Unit_Type(u.unit_type)->f_movement_amount) << u.unit_type;
  }
  TEmpire& e = *empires.m_Get_Empire(1);
  EXPECT_EQ(e.m_Get_Upkeep(), std::int32_t(map.m_Sum_Unit_Type_Value(1) + 0.9));
  EXPECT_GT(e.m_Get_Upkeep(), 0);
}

TEST_F(World_Default_Types, EveryTransportCarriesSomeTypeAndUnloadsIt) {
  std::int32_t transports = 0;
  for (std::int32_t ti = 1; ti <= World_Unit_Type_Count(); ++ti) {
    const TUnit_Type& transport_type = *World_Unit_Type(ti);
    if (transport_type.f_transporting_capacity <= 0) continue;
    SCOPED_TRACE(transport_type.f_internal_name);
    ++transports;
    std::int32_t carried_types = 0;
    for (std::int32_t ci = 1; ci <= World_Unit_Type_Count(); ++ci) {
      const TUnit_Type& cargo_type = *World_Unit_Type(ci);
      if (transport_type.m_Get_Transport_Space(cargo_type.f_unit_family) == 0) continue;
      map.m_Reset_Game_State();
      const std::int32_t transport = Place(Home_Of(transport_type), std::uint16_t(ti), 1);
      const std::int32_t unit = map.m_Add_Unit(0, std::uint16_t(ci), 1, 0, 0);
      if (!map.m_Add_Unit_To_Cargo(transport, unit, false, false)) continue;  // larger than the whole hold
      ++carried_types;
      EXPECT_EQ(map.m_Get_Carrier(unit), transport) << cargo_type.f_internal_name;
      EXPECT_TRUE(map.m_Remove_Unit_From_Cargo(transport, unit, false, false, Home_Of(cargo_type), true))
          << cargo_type.f_internal_name;
    }
    EXPECT_GT(carried_types, 0);
  }
  EXPECT_GE(transports, 2);
}

TEST_F(World_Default_Types, TechnologyStartsInThreeModesAndUnlocksUnitTypes) {
  ASSERT_GE(World_Tech_Area_Count(), 8);
  TEmpire& e = *empires.m_Get_Empire(1);
  for (std::int32_t mode = 3; mode >= 1; --mode) e.m_Init_Tech_Levels(mode);
  std::int32_t unlocked = 0;
  for (std::int32_t a = 1; a <= World_Tech_Area_Count(); ++a) {
    const TTech_Area& area = *World_Tech_Area(a);
    EXPECT_EQ(e.m_Get_Tech_Level(a), area.f_start_level) << area.f_internal_name;
    EXPECT_EQ(e.m_Get_Tech_Level_By_Area_Name(2, area.f_internal_name), area.f_start_level);
    std::vector<std::string> names;
    e.m_Get_Unlocked_Unit_Types(names, a);
    unlocked += std::int32_t(names.size());
    EXPECT_EQ(e.m_Get_Tech_Level(a), area.f_start_level);
  }
  // One level more somewhere opens some unit type.
  EXPECT_GT(unlocked, 0);
}
