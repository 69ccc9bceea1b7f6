#include "World_Fixture.h"

namespace {
TWorld_Unit_Type Type(const char* name, const char* family, std::uint16_t family_id, std::uint8_t movement,
                      bool combat, std::uint8_t w, std::uint8_t h) {
  TWorld_Unit_Type t;
  t.display_name = name;
  t.internal_name = name;
  t.unit_family = family;
  t.unit_family_id = family_id;
  t.movement_type = movement;
  t.movement_amount = 2;
  t.takes_part_in_combat = combat;
  t.square_size_width = w;
  t.square_size_height = h;
  t.cost = 10;
  return t;
}
}  // namespace

void World_Test::SetUp() {
  World_Unit_Types.clear();
  World_Unit_Types.push_back(Type("Infantry", "Infantry", 1, 2, true, 1, 1));
  World_Unit_Types.push_back(Type("Truck", "Vehicle", 2, 2, false, 1, 1));
  World_Unit_Types.push_back(Type("Ship", "Ship", 4, 3, true, 1, 1));
  World_Unit_Types.back().transporting_capacity = 6;
  World_Unit_Types.back().transporting = {{"Infantry", 1}, {"Vehicle", 2}};
  World_Unit_Types.push_back(Type("Plane", "Plane", 5, 1, true, 1, 1));
  World_Unit_Types.push_back(Type("Tank", "Vehicle", 2, 2, true, 2, 2));
  World_Unit_Types.push_back(Type("City", "City", 3, 2, false, 0, 0));
  World_Unit_Types.push_back(Type("Sub", "Sub", 6, 4, true, 1, 1));
  World_Unit_Types.push_back(Type("Flat", "Flat", 7, 2, true, 3, 1));
  World_Tech_Areas.clear();
  Game_Settings.m_Reset();
  Base_Game_Settings.m_Reset();
  G_Map = &map;
  G_Empire_List = &empires;
  Set_World_Event_Log_Link(&links);
  Set_World_Main_Screen_Link(&links);
}

void World_Test::TearDown() {
  Set_World_Event_Log_Link(nullptr);
  Set_World_Main_Screen_Link(nullptr);
  G_Map = nullptr;
  G_Empire_List = nullptr;
  World_Unit_Types.clear();
  World_Tech_Areas.clear();
  Game_Settings.m_Reset();
  Base_Game_Settings.m_Reset();
}

TMap_Region& World_Test::Add_Region(std::int32_t id, std::uint8_t kind, std::int32_t cols, std::int32_t rows,
                                    std::int32_t left, std::int32_t top, std::uint8_t owner, std::int32_t value) {
  if (id > map.m_Get_Region_Count()) map.m_Set_Region_Count(id);
  TMap_Region& r = map.m_New_Region(id);
  r.m_Set_Type(kind);
  r.m_Set_Name("Region " + std::to_string(id));
  r.m_Set_Value(value);
  for (std::int32_t y = 0; y < rows; ++y)
    for (std::int32_t x = 0; x < cols; ++x)
      r.m_Add_Rect(left + x * 32, top + y * 32, left + x * 32 + 32, top + y * 32 + 32);
  r.m_Set_Bounds(left, top, left + cols * 32, top + rows * 32);
  r.m_Build_Square_Grid();
  // Owners are set directly: no units stand here yet.
  if (owner != 0) r.m_Set_Owner(owner);
  return r;
}

void World_Test::Connect(std::int32_t a, std::int32_t b) {
  map.m_Get_Region(a)->m_Add_Connection(b);
  map.m_Get_Region(b)->m_Add_Connection(a);
}

std::int32_t World_Test::Place(std::int32_t region, std::uint16_t unit_type, std::uint8_t owner,
                               std::uint8_t moves) {
  std::int32_t id = map.m_Add_Unit(region, unit_type, owner, moves, 0);
  EXPECT_TRUE(map.m_Get_Region(region)->m_Add_Unit(id)) << "unit " << id << " not placed";
  return id;
}
