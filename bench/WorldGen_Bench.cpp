// World generation on the largest map type of the default game type: the
// time of every terrain step, of the land/water classification, of the
// region building and of the region objects, averaged over several seeds.
//
//   WorldGen_Bench [runs]   (run from the source tree or with GLOBARCH_HOME)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Datafile_MapTypes.h"
#include "Datafile_TerrainTiles.h"
#include "Global.h"
#include "MapClass.h"
#include "Path.h"

namespace {
using Clock = std::chrono::steady_clock;

double Millis_Since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}
}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  Global_Init();
  TPath_Settings paths;
  Path_Settings = &paths;
  if (!Datafile_MapTypes_Load(paths.m_Get_MapTypes_File(), nullptr) ||
      !Datafile_TerrainTiles_Load(paths.m_Get_Terrain_Tiles_File(), nullptr)) {
    std::fprintf(stderr, "The map types or terrain tiles did not load\n");
    return 1;
  }
  // The largest map type by cell count.
  const TMap_Type* largest = nullptr;
  for (std::uint16_t i = 1; i <= Map_Type_List->m_Count(); ++i) {
    const TMap_Type* t = Map_Type_List->m_Get_Item(i);
    if (!largest || std::int64_t(t->f_map_width) * t->f_map_height >
                        std::int64_t(largest->f_map_width) * largest->f_map_height)
      largest = t;
  }
  if (!largest) return 1;
  std::printf("map type %s, %d x %d cells, %d runs\n", largest->f_name.c_str(), largest->f_map_width,
              largest->f_map_height, runs);
  double step_ms[13] = {}, classify_ms = 0, regions_ms = 0, objects_ms = 0, total_ms = 0;
  std::int64_t region_count = 0;
  std::int32_t most_regions = 0;
  for (int run = 0; run < runs; ++run) {
    Random_Set_Seed(std::uint32_t(1000 + run));
    TMap map;
    map.m_Set_Map_Type_Name(largest->f_name);
    const Clock::time_point all = Clock::now();
    map.m_Select_Map_Type();
    for (int step = 1; step <= 12; ++step) {
      const Clock::time_point t = Clock::now();
      map.m_Generate_Terrain(step);
      step_ms[step] += Millis_Since(t);
    }
    Clock::time_point t = Clock::now();
    map.m_Generate_Regions(1);
    classify_ms += Millis_Since(t);
    t = Clock::now();
    map.m_Generate_Regions(2);
    regions_ms += Millis_Since(t);
    t = Clock::now();
    map.m_Generate_Regions(3);
    objects_ms += Millis_Since(t);
    total_ms += Millis_Since(all);
    region_count += map.m_Get_Region_Count();
    most_regions = std::max(most_regions, map.m_Get_Region_Count());
  }
  for (int step = 1; step <= 12; ++step)
    if (step_ms[step] > 0.05 * runs) std::printf("terrain step %2d: %9.2f ms\n", step, step_ms[step] / runs);
  std::printf("land/water:      %9.2f ms\n", classify_ms / runs);
  std::printf("regions:         %9.2f ms\n", regions_ms / runs);
  std::printf("region objects:  %9.2f ms\n", objects_ms / runs);
  std::printf("whole world:     %9.2f ms (%.1f regions on average, at most %d)\n", total_ms / runs,
              double(region_count) / runs, most_regions);
  Datafile_MapTypes_Free();
  Datafile_TerrainTiles_Free();
  Path_Settings = nullptr;
  return 0;
}
