// A battle between two computer players with 40 pieces each (40 unit types
// of mixed sizes and movement per side), fought without drawing from its
// start to the result applied to the map. Reports the time per battle and
// its number of turns over several seeds.
//
//   Combat_Bench [battles]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "Combat.h"
#include "Empire.h"
#include "EventLog.h"
#include "GameSettings.h"
#include "Global.h"
#include "MapClass.h"
#include "MasterActionTimer.h"
#include "World_Unit_Facts.h"

namespace {
using Clock = std::chrono::steady_clock;

constexpr int Pieces_Per_Side = 40;

// 40 types: mostly one-cell land pieces, every fifth a flier, every
// seventh a 2 x 1 land piece.
std::unique_ptr<TUnit_Type> New_Type(int n) {
  auto t = std::make_unique<TUnit_Type>();
  t->f_display_name = t->f_internal_name = "Type " + std::to_string(n);
  bool flier = n % 5 == 0;
  bool wide = !flier && n % 7 == 0;
  t->f_movement_type = flier ? UNIT_MOVEMENT_AIR : UNIT_MOVEMENT_LAND;
  t->f_combat_movement_type = t->f_movement_type;
  t->f_square_size_width = wide ? 3 : 1;
  t->f_square_size_height = 1;
  t->f_initiative = 6 + n % 7;
  t->f_combat_movement_amount = std::uint8_t(flier ? 4 : 2);
  t->f_combat_attack_range = 1 + n % 2;
  t->f_hit_points = 10 + n % 13;
  t->f_combat_damage_min = 3 + n % 4;
  t->f_combat_damage_max = 8 + n % 5;
  t->f_combat_damage_percent = {0, 80, 100, 50, 0, 0};
  t->f_attack_rating = 10 + n % 3;
  t->f_defense_rating = 10 + n % 4;
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  const int battles = argc > 1 ? std::atoi(argv[1]) : 50;
  TUnit_Type_List types;
  for (int n = 1; n <= Pieces_Per_Side; ++n) types.m_Add(New_Type(n));
  Unit_Type_List = &types;
  TEmpire_List empires;
  for (int n = 1; n <= 2; ++n) {
    auto e = std::make_unique<TEmpire>();
    e->m_Set_Computer_Controlled(true);
    empires.m_Add(std::move(e));
  }
  G_Empire_List = &empires;
  Game_Settings.m_Reset();
  Game_Settings.f_game_kind = 1;
  Game_Settings.f_turn_empire = 1;

  double total_ms = 0, worst_ms = 0;
  long long destroyed = 0;
  int attacker_wins = 0;
  for (int b = 0; b < battles; ++b) {
    TMap map;
    G_Map = &map;
    map.m_Set_Region_Count(1);
    TMap_Region& region = map.m_New_Region(1);
    region.m_Set_Type(REGION_LAND);
    region.m_Set_Name("Field");
    region.m_Set_Owner(2);
    for (std::uint8_t owner = 1; owner <= 2; ++owner)
      for (int n = 1; n <= Pieces_Per_Side; ++n) {
        std::int32_t id = map.m_Add_Unit(1, std::uint16_t(n), owner, 1, 0);
        region.m_Insert_Unit_Id(id);
      }
    map.m_Add_Combat_Region(1);
    Event_Log_Create();
    Random_Set_Seed(std::uint32_t(1000 + b));

    Clock::time_point start = Clock::now();
    Combat_Resolve(1);
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    total_ms += ms;
    if (ms > worst_ms) worst_ms = ms;
    if (const TEvent_Log_Item* item = G_Event_Log->m_Get_Item(G_Event_Log->m_Get_Count())) {
      if (item->m_Value(2) == 1) ++attacker_wins;
      for (const TEvent_Log_Combat_Row& row : item->f_combat_rows) destroyed += row.destroyed;
    }
    Event_Log_Free();
    G_Map = nullptr;
  }
  std::printf("Combat_Bench: %d battles of %d vs %d pieces without drawing\n", battles, Pieces_Per_Side,
              Pieces_Per_Side);
  std::printf("  mean %.3f ms per battle, worst %.3f ms; %.1f units destroyed per battle; attacker won %d\n",
              total_ms / battles, worst_ms, double(destroyed) / battles, attacker_wins);
  Unit_Type_List = nullptr;
  G_Empire_List = nullptr;
  return 0;
}
