// Moves, loads and unloads units on a world of 500 regions and 5,000 units.
//
//   World_Bench [rounds]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "Empire.h"
#include "GameSettings.h"
#include "MapClass.h"
#include "World_Unit_Facts.h"

namespace {
using Clock = std::chrono::steady_clock;

double Seconds_Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

enum : std::uint16_t { INFANTRY = 1, TRUCK, SHIP };

std::unique_ptr<TUnit_Type> New_Type(const char* name, std::uint8_t movement, bool combat) {
  auto t = std::make_unique<TUnit_Type>();
  t->f_display_name = t->f_internal_name = t->f_unit_family = name;
  t->f_unit_family_id = 1;
  t->f_movement_type = movement;
  t->f_movement_amount = 2;
  t->f_square_size_width = t->f_square_size_height = 1;
  t->f_supply_cost = 0.25f;
  t->f_sight_range = 1;
  t->f_takes_part_in_combat = combat;
  return t;
}

void Set_Up_Types(TUnit_Type_List& types) {
  types.m_Add(New_Type("Infantry", UNIT_MOVEMENT_LAND, true));
  types.m_Add(New_Type("Truck", UNIT_MOVEMENT_LAND, false));
  auto ship = New_Type("Ship", UNIT_MOVEMENT_SEA_SURFACE, true);
  ship->f_transporting_capacity = 8;
  ship->f_transporting_types = {{"Infantry", 1}, {"Truck", 2}};
  types.m_Add(std::move(ship));
  Unit_Type_List = &types;
}

// 250 land regions in a 25 x 10 block, each beside its own ocean region;
// land regions connect to their grid neighbours.
void Build_World(TMap& map) {
  constexpr int cols = 25, rows = 10, land = cols * rows;
  map.m_Set_Region_Count(2 * land);
  map.m_Set_Pixel_Size(cols * 2 * 160, rows * 160);
  for (int i = 0; i < 2 * land; ++i) {
    const int id = i + 1;
    const bool is_land = i < land;
    const int cell = is_land ? i : i - land;
    const int left = (cell % cols) * 320 + (is_land ? 0 : 160), top = (cell / cols) * 160;
    TMap_Region& r = map.m_New_Region(id);
    r.m_Set_Type(is_land ? REGION_LAND : REGION_OCEAN);
    r.m_Set_Value(3);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 5; ++x) r.m_Add_Rect(left + 32 * x, top + 32 * y, left + 32 * x + 32, top + 32 * y + 32);
    r.m_Set_Bounds(left, top, left + 160, top + 160);
    r.m_Build_Square_Grid();
  }
  for (int i = 0; i < land; ++i) {
    TMap_Region& r = *map.m_Get_Region(i + 1);
    r.m_Add_Connection(land + i + 1);
    map.m_Get_Region(land + i + 1)->m_Add_Connection(i + 1);
    if (i % cols + 1 < cols) r.m_Add_Connection(i + 2), map.m_Get_Region(i + 2)->m_Add_Connection(i + 1);
    if (i + cols < land) r.m_Add_Connection(i + cols + 1), map.m_Get_Region(i + cols + 1)->m_Add_Connection(i + 1);
  }
}

struct TWorld_Run {
  double setup = 0, move = 0, load = 0, unload = 0, remove_add = 0;
  long moves = 0, loads = 0, unloads = 0, re_adds = 0;
};

TWorld_Run Run(int rounds, bool fog) {
  TWorld_Run out;
  TMap map;
  TEmpire_List empires;
  G_Map = &map;
  G_Empire_List = &empires;
  Game_Settings.m_Reset();
  Game_Settings.f_fog_of_war = fog;
  Game_Settings.f_turn_empire = 1;
  empires.m_Create_Empires(4);
  Build_World(map);
  const int land = map.m_Get_Region_Count() / 2;
  for (int i = 1; i <= land; ++i) map.m_Get_Region(i)->m_Set_Owner(std::uint8_t(1 + i % 4));
  for (int n = 1; n <= 4; ++n) {
    empires.m_Get_Empire(n)->m_Resize_Known_Regions(map.m_Get_Region_Count());
  }

  // 4,500 land units (a tenth of them trucks) and 500 ships, two per ocean region.
  Clock::time_point t0 = Clock::now();
  std::vector<std::int32_t> walkers, ships;
  for (int k = 0; k < 4500; ++k) {
    const std::int32_t region = 1 + k % land;
    const std::uint8_t owner = map.m_Get_Region(region)->m_Get_Owner();
    const std::uint16_t type = k % 10 == 0 ? TRUCK : INFANTRY;
    const std::int32_t id = map.m_Add_Unit(region, type, owner, 2, 0);
    map.m_Get_Region(region)->m_Add_Unit(id);
    walkers.push_back(id);
  }
  for (int k = 0; k < 500; ++k) {
    const std::int32_t region = land + 1 + k % land;
    const std::uint8_t owner = map.m_Get_Region(region - land)->m_Get_Owner();
    const std::int32_t id = map.m_Add_Unit(region, SHIP, owner, 2, 0);
    map.m_Get_Region(region)->m_Add_Unit(id);
    ships.push_back(id);
  }
  out.setup = Seconds_Since(t0);

  for (int round = 0; round < rounds; ++round) {
    // Move every land unit to the next region of its owner's and back.
    t0 = Clock::now();
    for (std::int32_t id : walkers) {
      TMap_Unit_Record u;
      map.m_Get_Unit(id, u);
      const std::int32_t to = u.region + 4 <= land ? u.region + 4 : u.region + 4 - land;
      map.m_Get_Region(u.region)->m_Remove_Unit(id);
      if (map.m_Get_Region(to)->m_Add_Unit(id)) map.m_Set_Unit_Region(id, to);
      ++out.moves;
    }
    out.move += Seconds_Since(t0);

    // Each ship loads the land units of its owner from the region beside it...
    t0 = Clock::now();
    std::vector<std::pair<std::int32_t, std::int32_t>> loaded;
    for (std::int32_t ship : ships) {
      TMap_Unit_Record s;
      map.m_Get_Unit(ship, s);
      const TMap_Region& shore = *map.m_Get_Region(s.region - land);
      for (std::int32_t i = shore.m_Get_Unit_Count(); i >= 1; --i) {
        const std::int32_t id = shore.m_Get_Unit_Id(i);
        if (map.m_Add_Unit_To_Cargo(ship, id, false, true)) {
          loaded.emplace_back(ship, id);
          ++out.loads;
        }
      }
    }
    out.load += Seconds_Since(t0);

    // ...and unloads them there again.
    t0 = Clock::now();
    for (auto [ship, id] : loaded) {
      TMap_Unit_Record s;
      map.m_Get_Unit(ship, s);
      if (map.m_Remove_Unit_From_Cargo(ship, id, false, false, s.region - land, true)) ++out.unloads;
    }
    out.unload += Seconds_Since(t0);

    // Units die and new ones take their slots.
    t0 = Clock::now();
    for (std::size_t k = round % 7; k < walkers.size(); k += 7) {
      TMap_Unit_Record u;
      map.m_Get_Unit(walkers[k], u);
      map.m_Delete_Unit(walkers[k]);
      walkers[k] = map.m_Add_Unit(u.region, u.unit_type, u.owner, 2, 0);
      map.m_Get_Region(u.region)->m_Add_Unit(walkers[k]);
      ++out.re_adds;
    }
    out.remove_add += Seconds_Since(t0);
  }
  G_Map = nullptr;
  G_Empire_List = nullptr;
  return out;
}

void Report(const char* title, const TWorld_Run& r) {
  std::printf("%s\n", title);
  std::printf("  set-up (5,000 units added and placed)  %8.2f ms\n", r.setup * 1e3);
  std::printf("  move                    %9ld ops  %8.3f us/op\n", r.moves, r.move * 1e6 / double(r.moves));
  std::printf("  load                    %9ld ops  %8.3f us/op\n", r.loads, r.load * 1e6 / double(r.loads));
  std::printf("  unload                  %9ld ops  %8.3f us/op\n", r.unloads, r.unload * 1e6 / double(r.unloads));
  std::printf("  delete + add            %9ld ops  %8.3f us/op\n", r.re_adds,
              r.remove_add * 1e6 / double(r.re_adds));
}
}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
  TUnit_Type_List types;
  Set_Up_Types(types);
  std::printf("World of 500 regions, 5,000 units, %d rounds\n", rounds);
  Report("Fog of war off", Run(rounds, false));
  Report("Fog of war on (an unloaded land unit recomputes the turn empire's known regions)", Run(rounds, true));
  Unit_Type_List = nullptr;
  return 0;
}
