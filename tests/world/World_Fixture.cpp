#include "World_Fixture.h"

namespace {
std::unique_ptr<TUnit_Type> New_Type(const char* name, const char* family, std::uint16_t family_id,
                                 std::uint8_t movement, bool combat, std::uint8_t w, std::uint8_t h) {
  auto t = std::make_unique<TUnit_Type>();
  t->f_display_name = name;
  t->f_internal_name = name;
  t->f_unit_family = family;
  t->f_unit_family_id = family_id;
  t->f_movement_type = movement;
  t->f_movement_amount = 2;
  t->f_takes_part_in_combat = combat;
  t->f_square_size_width = w;
  t->f_square_size_height = h;
  t->f_cost = 10;
  return t;
}
}  // namespace

void World_Test::SetUp() {
  unit_types.m_Add(New_Type("Infantry", "Infantry", 1, 2, true, 1, 1));
  unit_types.m_Add(New_Type("Truck", "Vehicle", 2, 2, false, 1, 1));
  unit_types.m_Add(New_Type("Ship", "Ship", 4, 3, true, 1, 1));
  Type(UT_SHIP).f_transporting_capacity = 6;
  Type(UT_SHIP).f_transporting_types = {{"Infantry", 1}, {"Vehicle", 2}};
  unit_types.m_Add(New_Type("Plane", "Plane", 5, 1, true, 1, 1));
  unit_types.m_Add(New_Type("Tank", "Vehicle", 2, 2, true, 2, 2));
  unit_types.m_Add(New_Type("City", "City", 3, 2, false, 0, 0));
  unit_types.m_Add(New_Type("Sub", "Sub", 6, 4, true, 1, 1));
  unit_types.m_Add(New_Type("Flat", "Flat", 7, 2, true, 3, 1));
  f_saved_unit_types = Unit_Type_List;
  f_saved_tech_areas = Tech_Area_List;
  Unit_Type_List = &unit_types;
  Tech_Area_List = &tech_areas;
  f_had_formula_list = Formula_List != nullptr;
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
  Unit_Type_List = f_saved_unit_types;
  Tech_Area_List = f_saved_tech_areas;
  if (!f_had_formula_list) Formula_List_Free();
  Game_Settings.m_Reset();
  Base_Game_Settings.m_Reset();
}

void World_Test::Set_Tech_Areas(const std::vector<TTech_Values>& areas) {
  tech_areas = TTech_Area_List();
  for (const TTech_Values& values : areas) {
    auto a = std::make_unique<TTech_Area>();
    a->f_display_name = values.display_name;
    a->f_internal_name = values.internal_name;
    a->f_start_level = values.start_level;
    a->f_maximum_level = values.maximum_level;
    tech_areas.m_Add(std::move(a));
  }
}

void World_Test::Require(std::uint16_t unit_type, const std::string& formula) {
  if (!Formula_List) Formula_List_Create();
  std::int32_t index = 0;
  std::string error;
  ASSERT_TRUE(Formula_List->m_Add("", formula, index, error)) << error;
  Type(unit_type).f_requirements.m_Add("Requirement", index);
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
