// Map queries and the map file on a world of 500 regions and 5,000 units:
// step distances, paths, move ranges, reach and nearest transports between
// random regions; saving and loading CurrentMap.map in full and partial
// form (in memory and through a file).
//
//   Map_Bench [queries]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "Empire.h"
#include "GameSettings.h"
#include "Global.h"
#include "Io_Tagged.h"
#include "MapClass.h"
#include "Native_Path.h"
#include "World_Unit_Facts.h"

namespace {
using Clock = std::chrono::steady_clock;

double Micros_Since(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

enum : std::uint16_t { INFANTRY = 1, TRUCK, SHIP, PLANE };

std::unique_ptr<TUnit_Type> New_Type(const char* name, std::uint8_t movement, bool combat) {
  auto t = std::make_unique<TUnit_Type>();
  t->f_display_name = t->f_internal_name = t->f_unit_family = name;
  t->f_unit_family_id = 1;
  t->f_movement_type = movement;
  t->f_movement_amount = 2;
  t->f_square_size_width = t->f_square_size_height = 1;
  t->f_takes_part_in_combat = combat;
  return t;
}

// 250 land regions in a 25 x 10 block and 250 ocean regions in a second
// block; each land region touches its grid neighbours and its own ocean
// region, which touches its ocean neighbours.
void Build_World(TMap& map) {
  constexpr int cols = 25, rows = 10, land = cols * rows;
  map.m_Set_Region_Count(2 * land);
  map.m_Set_Pixel_Size(cols * 2 * 160, rows * 160);
  map.m_Set_Section_Size(1024, 1024);
  for (int i = 0; i < 2 * land; ++i) {
    const int id = i + 1;
    const bool is_land = i < land;
    const int cell = is_land ? i : i - land;
    const int left = (cell % cols) * 320 + (is_land ? 0 : 160), top = (cell / cols) * 160;
    TMap_Region& r = map.m_New_Region(id);
    r.m_Init(id, Make_Color(std::uint8_t(id), 100, 200));
    r.m_Set_Type(is_land ? REGION_LAND : REGION_OCEAN);
    r.m_Set_Name("Region " + std::to_string(id));
    r.m_Set_Value(3);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 5; ++x) r.m_Add_Rect(left + 32 * x, top + 32 * y, left + 32 * x + 32, top + 32 * y + 32);
    r.m_Set_Bounds(left, top, left + 160, top + 160);
    for (int row = 1; row <= 160; ++row) r.m_Add_Click_Zone_Span(row, 0, 159);
    r.m_Build_Square_Grid();
  }
  auto connect = [&map](int a, int b) {
    map.m_Get_Region(a)->m_Add_Connection(b);
    map.m_Get_Region(b)->m_Add_Connection(a);
  };
  for (int i = 0; i < land; ++i) {
    connect(i + 1, land + i + 1);
    if (i % cols + 1 < cols) connect(i + 1, i + 2), connect(land + i + 1, land + i + 2);
    if (i + cols < land) connect(i + 1, i + cols + 1), connect(land + i + 1, land + i + cols + 1);
  }
}

template <class F>
void Time(const char* what, int n, F f) {
  const Clock::time_point t0 = Clock::now();
  long sum = 0;
  for (int i = 0; i < n; ++i) sum += f(i);
  const double us = Micros_Since(t0);
  std::printf("%-44s %6d calls %10.1f us/call  (check %ld)\n", what, n, us / n, sum);
}
}  // namespace

int main(int argc, char** argv) {
  const int queries = argc > 1 ? std::atoi(argv[1]) : 2000;
  TUnit_Type_List types;
  types.m_Add(New_Type("Infantry", UNIT_MOVEMENT_LAND, true));
  types.m_Add(New_Type("Truck", UNIT_MOVEMENT_LAND, false));
  auto ship = New_Type("Ship", UNIT_MOVEMENT_SEA_SURFACE, true);
  ship->f_transporting_capacity = 8;
  ship->f_transporting_types = {{"Infantry", 1}, {"Truck", 2}};
  types.m_Add(std::move(ship));
  types.m_Add(New_Type("Plane", UNIT_MOVEMENT_AIR, true));
  Unit_Type_List = &types;

  TMap map;
  TEmpire_List empires;
  G_Map = &map;
  G_Empire_List = &empires;
  Game_Settings.m_Reset();
  Game_Settings.f_fog_of_war = false;
  empires.m_Create_Empires(4);
  Build_World(map);
  const int regions = map.m_Get_Region_Count(), land = regions / 2;
  for (int i = 1; i <= land; ++i) map.m_Get_Region(i)->m_Set_Owner(std::uint8_t(1 + (i / 50) % 4));

  // 4,000 land units, 500 ships each carrying one unit, 500 planes.
  std::vector<std::int32_t> walkers;
  for (int k = 0; k < 4000; ++k) {
    const std::int32_t region = 1 + k % land;
    const std::uint8_t owner = map.m_Get_Region(region)->m_Get_Owner();
    const std::int32_t id = map.m_Add_Unit(region, k % 10 == 0 ? TRUCK : INFANTRY, owner, 2, 0);
    map.m_Get_Region(region)->m_Add_Unit(id);
    walkers.push_back(id);
  }
  for (int k = 0; k < 250; ++k) {
    const std::int32_t region = land + 1 + k;
    const std::uint8_t owner = map.m_Get_Region(region - land)->m_Get_Owner();
    for (int s = 0; s < 2; ++s) {
      const std::int32_t id = map.m_Add_Unit(region, SHIP, owner, 2, 0);
      map.m_Get_Region(region)->m_Add_Unit(id);
      const std::int32_t cargo = map.m_Add_Unit(region - land, INFANTRY, owner, 2, 0);
      map.m_Get_Region(region - land)->m_Add_Unit(cargo);
      map.m_Add_Unit_To_Cargo(id, cargo, false, true);
    }
  }
  for (int k = 0; map.m_Get_Unit_Count() < 5000; ++k) {
    const std::int32_t region = 1 + k % land;
    const std::int32_t id = map.m_Add_Unit(region, PLANE, map.m_Get_Region(region)->m_Get_Owner(), 2, 0);
    map.m_Get_Region(region)->m_Add_Unit(id);
  }
  std::printf("world: %d regions, %d units, %d cargo lists\n", regions, map.m_Get_Unit_Count(),
              map.m_Get_Cargo_List_Count());

  Random_Set_Seed(12345);
  std::vector<std::pair<std::int32_t, std::int32_t>> pairs;
  for (int i = 0; i < queries; ++i) pairs.emplace_back(Random_Range(1, regions), Random_Range(1, regions));
  std::vector<std::int32_t> all;
  for (int i = 1; i <= regions; ++i) all.push_back(i);
  std::vector<std::int32_t> out, steps;

  Time("distance, any kind", queries,
       [&](int i) { return map.m_Get_Region_Distance(pairs[i].first, pairs[i].second, 1, false, 0) % 1000; });
  Time("distance, owner rule", queries,
       [&](int i) { return map.m_Get_Region_Distance(pairs[i].first, pairs[i].second, 1, true, 0) % 1000; });
  Time("path through all 500 regions (mode 2)", queries, [&](int i) {
    map.m_Find_Path(pairs[i].first, pairs[i].second, out, 1, 2, all, regions);
    return long(out.size());
  });
  Time("move range, land unit, 5 steps", queries, [&](int i) {
    map.m_Get_Move_Range(1 + pairs[i].first % land, UNIT_MOVEMENT_LAND, steps, out, 1, 1, 5);
    return long(out.size());
  });
  Time("move range, air unit, 100 steps", queries, [&](int i) {
    map.m_Get_Move_Range(pairs[i].first, UNIT_MOVEMENT_AIR, steps, out, 2, 1, 100);
    return long(out.size());
  });
  Time("reach by terrain, both kinds, 10 levels", queries, [&](int i) {
    map.m_Get_Reach_By_Terrain(pairs[i].first, 1, out, 10);
    return long(out.size());
  });
  Time("nearest owned region", queries, [&](int i) {
    std::int32_t region;
    return long(map.m_Find_Nearest_Owned_Region(pairs[i].first, 2, region, 0));
  });
  Time("nearest transport", std::min(queries, 500), [&](int i) {
    std::int32_t transport, region;
    return long(map.m_Find_Transport(walkers[std::size_t(i * 7) % walkers.size()], transport, region) % 1000);
  });

  std::string full, partial;
  Time("save, full form, in memory", 20, [&](int) {
    TIo_Writer w;
    map.Save(w, false, Map_File_Version);
    full = w.m_Bytes();
    return long(full.size());
  });
  Time("save, partial form, in memory", 20, [&](int) {
    TIo_Writer w;
    map.Save(w, true, Map_File_Version);
    partial = w.m_Bytes();
    return long(partial.size());
  });
  TMap back;
  G_Map = &back;
  Time("load, full form, from memory", 20, [&](int) {
    TIo_Reader r = TIo_Reader::From_Bytes(full);
    back.m_Load(r, false, Map_File_Version);
    return long(back.m_Get_Unit_Count());
  });
  Time("load, partial form, from memory", 20, [&](int) {
    TIo_Reader r = TIo_Reader::From_Bytes(partial);
    back.m_Load(r, true, Map_File_Version);
    return long(back.m_Get_Unit_Count());
  });
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "globarch_map_bench";
  std::filesystem::create_directories(dir);
  const std::string file = Design_Path(dir.string()) + "\\CurrentMap.map";
  Time("save and load CurrentMap.map through a file", 10, [&](int) {
    map.m_Save_To_File(file, false, Map_File_Version);
    return long(back.m_Load_From_File(file, false, Map_File_Version));
  });
  std::filesystem::remove_all(dir);
  std::printf("file sizes: full %zu bytes, partial %zu bytes\n", full.size(), partial.size());
  G_Map = nullptr;
  G_Empire_List = nullptr;
  Unit_Type_List = nullptr;
  return 0;
}
