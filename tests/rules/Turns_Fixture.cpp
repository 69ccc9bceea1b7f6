#include "Turns_Fixture.h"

#include "Datafile_BaseGameSettings.h"
#include "Global.h"
#include "MasterActionTimer_EndTurn.h"
#include "MasterActionTimer_MapActions.h"
#include "SteppedTask.h"

namespace {
std::unique_ptr<TUnit_Type> New_Type(const char* name, std::uint8_t movement, bool combat, std::int32_t hp) {
  auto t = std::make_unique<TUnit_Type>();
  t->f_display_name = name;
  t->f_internal_name = name;
  t->f_unit_family = name;
  t->f_movement_type = movement;
  t->f_movement_amount = 2;
  t->f_takes_part_in_combat = combat;
  t->f_square_size_width = 1;
  t->f_square_size_height = 1;
  t->f_hit_points = hp;
  t->f_cost = 10;
  return t;
}
}  // namespace

void Turns_Test::SetUp() {
  unit_types.m_Add(New_Type("Soldier", UNIT_MOVEMENT_LAND, true, 10));
  unit_types.m_Add(New_Type("Jet", UNIT_MOVEMENT_AIR, true, 10));
  unit_types.m_Add(New_Type("Cannon", UNIT_MOVEMENT_LAND, true, 10));
  unit_types.m_Add(New_Type("Fort", UNIT_MOVEMENT_LAND, false, 30));
  unit_types.m_Add(New_Type("Boat", UNIT_MOVEMENT_SEA_SURFACE, true, 20));
  unit_types.m_Add(New_Type("Car", UNIT_MOVEMENT_LAND, false, 10));
  Type(UT_JET).f_image_type = UNIT_IMAGE_TOP_DOWN;
  f_saved_types = Unit_Type_List;
  f_saved_areas = Tech_Area_List;
  f_saved_options = Machine_Options;
  Unit_Type_List = &unit_types;
  Tech_Area_List = &tech_areas;
  Machine_Options = &options;
  Game_Settings.m_Reset();
  Base_Game_Settings.m_Reset();
  Game_Settings.f_game_kind = 1;
  G_Map = &map;
  G_Empire_List = &empires;
  Event_Log_Create();
  Set_Turn_Links(&links);
  Map_Actions.m_Install(timer);
  End_Turn_Actions.m_Install(timer);
  End_Turn_Actions.m_Reset();
  timer.m_Set_World(&Map_Timer_World);
  Set_AI_Turn_Step(nullptr);
  Random_Set_Seed(77);
}

void Turns_Test::TearDown() {
  Set_AI_Turn_Step(nullptr);
  Set_Turn_Links(nullptr);
  Event_Log_Free();
  G_Map = nullptr;
  G_Empire_List = nullptr;
  Unit_Type_List = f_saved_types;
  Tech_Area_List = f_saved_areas;
  Machine_Options = f_saved_options;
  Game_Settings.m_Reset();
  Base_Game_Settings.m_Reset();
}

TMap_Region& Turns_Test::Add_Region(std::int32_t id, std::uint8_t kind, std::int32_t cols, std::int32_t rows,
                                    std::int32_t left, std::uint8_t owner, std::int32_t value) {
  if (id > map.m_Get_Region_Count()) map.m_Set_Region_Count(id);
  TMap_Region& r = map.m_New_Region(id);
  r.m_Set_Type(kind);
  r.m_Set_Name("Region " + std::to_string(id));
  r.m_Set_Value(value);
  for (std::int32_t y = 0; y < rows; ++y)
    for (std::int32_t x = 0; x < cols; ++x) r.m_Add_Rect(left + x * 32, y * 32, left + x * 32 + 32, y * 32 + 32);
  r.m_Set_Bounds(left, 0, left + cols * 32, rows * 32);
  r.m_Build_Square_Grid();
  if (owner != 0) r.m_Set_Owner(owner);
  return r;
}

void Turns_Test::Connect(std::int32_t a, std::int32_t b) {
  map.m_Get_Region(a)->m_Add_Connection(b);
  map.m_Get_Region(b)->m_Add_Connection(a);
}

std::int32_t Turns_Test::Place(std::int32_t region, std::uint16_t unit_type, std::uint8_t owner, std::uint8_t moves) {
  const std::int32_t id = map.m_Add_Unit(region, unit_type, owner, moves, 0);
  EXPECT_TRUE(map.m_Get_Region(region)->m_Add_Unit(id));
  return id;
}

void Turns_Test::Fill_Squares(std::int32_t region) {
  TMap_Region& r = *map.m_Get_Region(region);
  while (r.m_Subdivide_Squares()) {
  }
  for (std::int32_t i = 1; i <= r.m_Get_Square_Count(); ++i) {
    TMap_Region_Square s;
    r.m_Get_Square(i, s);
    if (s.state == SQUARE_FREE) r.m_Occupy_Block(i, 1, 1, 9, 99, 1);
  }
}

void Turns_Test::Players(const std::vector<bool>& computer) {
  empires.m_Create_Empires(std::int32_t(computer.size()));
  for (std::size_t i = 0; i < computer.size(); ++i) {
    TEmpire& e = *empires.m_Get_Empire(std::int64_t(i + 1));
    e.m_Set_Computer_Controlled(computer[i]);
    e.m_Resize_Known_Regions(map.m_Get_Region_Count());
    e.m_Set_All_Regions_Known(true);
  }
  Game_Settings.f_player_count = std::uint16_t(computer.size());
}

std::int32_t Turns_Test::Run(float dt, std::int32_t limit) {
  std::int32_t frames = 0;
  while (timer.m_Record_Count() > 0 && frames < limit) {
    timer.m_Update_Timer(dt);
    Stepped_Task_Step(dt);
    ++frames;
  }
  return frames;
}

std::vector<std::uint8_t> Turns_Test::Event_Kinds() const {
  std::vector<std::uint8_t> kinds;
  for (std::int32_t i = 1; i <= G_Event_Log->m_Get_Count(); ++i) kinds.push_back(G_Event_Log->m_Get_Item(i)->f_kind);
  return kinds;
}
