// The load of a saved game's map and empires, as the game's load runs it:
// a new game of the largest map type of the default game type, filled with
// units up to each asked count (spread over the owned regions of every
// nation, some of them carried), saved, then the load steps that read the
// folder's files and take the map and the empires timed, five rounds a
// count, and the median reported.
//
//   Game_Load_Bench [units ...]   (default 20000 50000; run from the source
//                                  tree or with GLOBARCH_HOME)
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Bench_Support.h"
#include "Datafile_MapTypes.h"
#include "Datafile_TerrainTiles.h"
#include "Datafile_Units.h"
#include "GameFolder.h"
#include "GameInit.h"
#include "Game_Session.h"
#include "Global.h"
#include "Image_Files.h"
#include "MapClass.h"
#include "MapRegion.h"
#include "Native_Path.h"
#include "Path.h"
#include "../tests/Png_Bytes.h"

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Millis_Since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The CPU time of this thread in ms: what the load costs even when the
// machine is shared.
double Cpu_Millis() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void Write(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

// Plain tile pictures in a scratch asset tree, so that the bench runs on
// any checkout.
void Write_Tiles(const fs::path& program) {
  const fs::path tiles = program / "images" / "tiles", basic = program / "images" / "basictiles";
  fs::create_directories(tiles);
  fs::create_directories(basic);
  TImage tile;
  tile.Set_Size(32, 32, Make_Color(90, 120, 60));
  const std::string bmp = BMP_Encode_24(tile), png = Png_Bytes(tile);
  Write(tiles / "BaseOceanTile.bmp", bmp);
  for (std::uint16_t i = 1; i <= Terrain_Tile_List->m_Count(); ++i) {
    const TTerrain_Tile& t = *Terrain_Tile_List->m_Get_Item(i);
    Write(tiles / t.f_tile_bitmap, png);
    Write(basic / t.f_tile_basic_bitmap, bmp);
  }
}

// Adds units of every type to the owned regions, round robin, until the
// map holds `units`.
void Fill_Units(TMap& map, std::int32_t units) {
  std::vector<std::int32_t> owned;
  for (std::int32_t i = 1; i <= map.m_Get_Region_Count(); ++i)
    if (const TMap_Region* r = map.m_Get_Region(i))
      if (r->m_Get_Owner() != 0) owned.push_back(i);
  if (owned.empty()) return;
  const std::uint16_t types = Unit_Type_List->m_Count();
  for (std::int64_t k = 0; map.m_Get_Unit_Count() < units; ++k) {
    const std::int32_t region = owned[std::size_t(k) % owned.size()];
    const std::uint8_t owner = map.m_Get_Region(region)->m_Get_Owner();
    map.m_Add_Unit(region, std::uint16_t(1 + k % types), owner, std::uint8_t(k % 3), 0);
  }
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<std::int32_t> counts;
  for (int i = 1; i < argc; ++i) counts.push_back(std::max(1, std::atoi(argv[i])));
  if (counts.empty()) counts = {20000, 50000};
  Global_Init();
  const bench_support::TScratch_Folders folders = bench_support::Make_Scratch_Folders("globarch_load_bench_");
  const fs::path &scratch = folders.scratch, &program = folders.program;
  Game_Init_Create_Globals();
  Game_Init_Load_Map_Data();
  Game_Init_Load_Rule_Files();
  Write_Tiles(program);
  const TMap_Type* largest = bench_support::Largest_Map_Type();
  if (!largest) return 1;
  TGame_Session_Setup setup;
  setup.seed = 100;
  setup.map_type = largest->f_name;
  setup.computer = {false, true, true, true, true, true, true, true};
  if (!Game_Session_New_Game(setup)) return 1;
  std::printf("map type %s, %d regions; load of map and empires, median of 5 rounds\n", largest->f_name.c_str(),
              G_Map->m_Get_Region_Count());
  for (std::int32_t units : counts) {
    Fill_Units(*G_Map, units);
    if (!Game_Session_Save("Bench")) return 1;
    // The saved folder is where the running game's files are: the load
    // steps read them there (the load of a save copies them there first).
    const std::string folder = Save_Game_Directory("Bench");
    // Per round: the whole, and each of the three steps; the CPU time.
    std::vector<double> ms[4], cpu;
    for (int round = 0; round < 5; ++round) {
      TLoad_Result result = TLoad_Result::Game;
      Main_Load_Game_Stepped(folder, true, false, result, 1, 0);
      bool ok = true;
      double total = 0;
      const double cpu_start = Cpu_Millis();
      int k = 1;
      for (std::int32_t step : {70, 72, 74}) {
        const Clock::time_point t = Clock::now();
        ok = ok && Main_Load_Game_Stepped(folder, false, false, result, 1, step);
        const double one = Millis_Since(t);
        ms[k++].push_back(one);
        total += one;
      }
      ms[0].push_back(total);
      cpu.push_back(Cpu_Millis() - cpu_start);
      Main_Load_Game_Stepped(folder, false, true, result, 1, 0);
      if (!ok || G_Map->m_Get_Unit_Count() != units) {
        std::fprintf(stderr, "the load failed\n");
        return 1;
      }
    }
    std::printf("%6d units: %8.2f ms, CPU %.2f ms (files read and checked %.2f, map taken %.2f, empires taken %.2f)\n",
                units, Median(ms[0]), Median(cpu), Median(ms[1]), Median(ms[2]), Median(ms[3]));
  }
  delete G_Map;
  G_Map = nullptr;
  Game_Init_Free_Globals();
  std::error_code ec;
  fs::remove_all(scratch, ec);
  return 0;
}
