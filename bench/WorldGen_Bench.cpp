// World generation on the largest map type of the default game type, the
// way the new-game job runs it: every terrain step, the land/water
// classification, the region building, the region objects, each of the
// sixteen picture steps (with stand-in tile pictures of the real size
// written into a temporary program folder) and the starting distribution.
// Every step's wall time is printed, for the first world of the process
// (which pays every one-off initialisation) and averaged over the later
// ones, with the process's CPU time for a whole world, and the resident
// memory after each picture step of the first world.
//
//   WorldGen_Bench [runs]   (run from the source tree or with GLOBARCH_HOME)
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "Bench_Support.h"
#include "Datafile_MapTypes.h"
#include "Datafile_TerrainTiles.h"
#include "Empire.h"
#include "GameSettings.h"
#include "Global.h"
#include "Image_Files.h"
#include "Io.h"
#include "Large_Memory.h"
#include "MapClass.h"
#include "Native_Path.h"
#include "Path.h"

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Millis_Since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Cpu_Millis() { return 1000.0 * double(std::clock()) / double(CLOCKS_PER_SEC); }

constexpr std::uint32_t Land_Marker = Make_Color(5, 167, 24);
constexpr std::uint32_t Water_Marker = Make_Color(10, 42, 77);
constexpr std::uint32_t Detail_Marker = Make_Color(20, 24, 28);

void Write_Bytes(const fs::path& p, const std::string& bytes) {
  std::FILE* f = std::fopen(p.c_str(), "wb");
  if (!f) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::string Png_Bytes(const TImage& image) {
  std::vector<std::uint8_t> rgba;
  for (std::uint32_t p : image.pixels)
    for (int shift : {16, 8, 0, 24}) rgba.push_back(std::uint8_t(p >> shift));
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = png_uint_32(image.width);
  png.height = png_uint_32(image.height);
  png.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&png, nullptr, &size, 0, rgba.data(), 0, nullptr);
  std::string bytes(size, '\0');
  png_image_write_to_memory(&png, bytes.data(), &size, 0, rgba.data(), 0, nullptr);
  return bytes;
}

// Stand-in tile pictures of 32 pixels: textured land with a detail marker
// patch, ocean and half-and-half coasts in the marker colours.
void Write_Tiles(const fs::path& program) {
  const fs::path tiles = program / "images" / "tiles", basic = program / "images" / "basictiles";
  fs::create_directories(tiles);
  fs::create_directories(basic);
  TImage ocean;
  ocean.Set_Size(32, 32, Make_Color(0, 40, 160));
  Write_Bytes(tiles / "BaseOceanTile.bmp", BMP_Encode_24(ocean));
  for (std::uint16_t i = 1; i <= Terrain_Tile_List->m_Count(); ++i) {
    const TTerrain_Tile& t = *Terrain_Tile_List->m_Get_Item(i);
    TImage png;
    png.Set_Size(32, 32, Make_Color(90, 140, 60));
    for (std::int32_t y = 0; y < 32; ++y)
      for (std::int32_t x = 0; x < 32; ++x)
        if ((x * 7 + y * 3 + i) % 11 == 0) png.Set_Pixel(x, y, Make_Color(70, 120, 50));
    for (std::int32_t y = 3; y < 9; ++y)
      for (std::int32_t x = 3; x < 9; ++x) png.Set_Pixel(x, y, Detail_Marker);
    Write_Bytes(tiles / t.f_tile_bitmap, Png_Bytes(png));
    TImage b;
    const bool ocean_tile = t.f_tile_basic_bitmap.find("Ocean") != std::string::npos;
    b.Set_Size(32, 32, ocean_tile ? Water_Marker : Land_Marker);
    if (t.f_tile_basic_bitmap.find("Shore") != std::string::npos ||
        t.f_tile_basic_bitmap.find("Coast") != std::string::npos)
      for (std::int32_t y = 0; y < 12; ++y)
        for (std::int32_t x = 0; x < 32; ++x) b.Set_Pixel(x, y, Water_Marker);
    Write_Bytes(basic / t.f_tile_basic_bitmap, BMP_Encode_24(b));
  }
}

using Picture_Step = bool (TMap::*)();
struct TStep {
  const char* name;
  Picture_Step step;
};
const TStep Picture_Steps[] = {
    {"base ocean and tiles", &TMap::m_Create_Base_Ocean},
    {"work pictures", &TMap::m_Create_Work_Bitmaps},
    {"land/water picture", &TMap::m_Create_Land_Water},
    {"pixel arrays", &TMap::m_Create_Pixel_Arrays},
    {"largest pieces", &TMap::m_Create_Step_5},
    {"paint cells", &TMap::m_Paint_Cells},
    {"section arrays", &TMap::m_Create_Section_Arrays},
    {"flooding", &TMap::m_Create_Step_8},
    {"connections", &TMap::m_Create_Region_Connections},
    {"squares", &TMap::m_Create_Region_Squares},
    {"detail picture", &TMap::m_Create_Overlay},
    {"paint sections", &TMap::m_Paint_Sections},
    {"overview and labels", &TMap::m_Create_Region_Labels},
    {"section JPEGs", nullptr},
    {"region masks", &TMap::m_Create_Region_Sections},
    {"free work pictures", &TMap::m_Free_Work_Bitmaps},
};

constexpr int Terrain_Steps = 12;
constexpr int Picture_Step_Count = 16;
// Figures of one world: terrain steps 1..12, then classification, regions,
// region objects, picture steps 1..16, distribution.
constexpr int Figure_Count = Terrain_Steps + 3 + Picture_Step_Count + 1;

std::string Figure_Name(int i) {
  if (i < Terrain_Steps) return "terrain step " + std::to_string(i + 1);
  i -= Terrain_Steps;
  if (i == 0) return "land/water classes";
  if (i == 1) return "regions";
  if (i == 2) return "region objects";
  i -= 3;
  if (i < Picture_Step_Count) return "pic " + std::to_string(i + 1) + " " + Picture_Steps[i].name;
  return "distribution";
}

// FNV-1a over the names and bytes of every file the world wrote, so that a
// change meant to be faster can show it writes the very same pictures.
std::uint64_t Output_Hash(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& f : fs::directory_iterator(folder)) files.push_back(f.path());
  std::sort(files.begin(), files.end());
  std::uint64_t h = 1469598103934665603ull;
  auto add = [&](const char* data, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) h = (h ^ std::uint8_t(data[i])) * 1099511628211ull;
  };
  std::vector<char> buffer(1 << 20);
  for (const fs::path& p : files) {
    const std::string name = p.filename().string();
    add(name.data(), name.size());
    std::FILE* f = std::fopen(p.c_str(), "rb");
    if (!f) continue;
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0;) add(buffer.data(), n);
    std::fclose(f);
  }
  return h;
}

std::string Current_Map_File() { return User_Folder + "currentmap\\World.map"; }

// The process's resident memory now, and the most it had so far, in MB.
void Resident_MB(double& now, double& peak) {
  now = peak = 0;
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return;
  char line[256];
  while (std::fgets(line, sizeof line, f)) {
    long kb = 0;
    if (std::sscanf(line, "VmRSS: %ld", &kb) == 1) now = double(kb) / 1024.0;
    if (std::sscanf(line, "VmHWM: %ld", &kb) == 1) peak = double(kb) / 1024.0;
  }
  std::fclose(f);
}
// Resident memory after each step of the first world, and the peak then.
double step_resident[Figure_Count] = {}, step_peak[Figure_Count] = {};
bool first_world = true;

// One world; the figures go into `ms`.
void Generate(const std::string& type_name, std::uint32_t seed, double (&ms)[Figure_Count], std::int32_t& regions) {
  Random_Set_Seed(seed);
  TMap map;
  TMap* saved_map = G_Map;
  G_Map = &map;
  map.m_Set_Map_Type_Name(type_name);
  map.m_Select_Map_Type();
  int f = 0;
  for (int step = 1; step <= Terrain_Steps; ++step, ++f) {
    const Clock::time_point t = Clock::now();
    map.m_Generate_Terrain(step);
    ms[f] = Millis_Since(t);
  }
  for (int kind = 1; kind <= 3; ++kind, ++f) {
    const Clock::time_point t = Clock::now();
    map.m_Generate_Regions(kind);
    ms[f] = Millis_Since(t);
  }
  for (const TStep& s : Picture_Steps) {
    const Clock::time_point t = Clock::now();
    if (s.step)
      (map.*s.step)();
    else
      map.m_Create_Terrain_Map(false);
    ms[f] = Millis_Since(t);
    if (first_world) Resident_MB(step_resident[f], step_peak[f]);
    ++f;
  }
  first_world = false;
  const Clock::time_point t = Clock::now();
  map.m_Distribute_Start();
  ms[f++] = Millis_Since(t);
  // The world's own file goes beside its pictures, so that the output hash
  // also covers the regions' bounds, connections, squares and click zones.
  map.m_Save_To_File(Current_Map_File(), false, Map_File_Version);
  regions = map.m_Get_Region_Count();
  map.m_Clear_Generation_Data();
  G_Map = saved_map;
}
}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 4;
  // As in the game: large blocks give their memory back when freed.
  Large_Memory_Own_Pages_From(std::size_t(1) << 20);
  const double cpu_start = Cpu_Millis();
  const Clock::time_point process_start = Clock::now();
  Global_Init();
  TPath_Settings paths;
  Path_Settings = &paths;
  if (!Datafile_MapTypes_Load(paths.m_Get_MapTypes_File(), nullptr) ||
      !Datafile_TerrainTiles_Load(paths.m_Get_Terrain_Tiles_File(), nullptr)) {
    std::fprintf(stderr, "The map types or terrain tiles did not load\n");
    return 1;
  }
  // The largest map type by cell count.
  const TMap_Type* largest = bench_support::Largest_Map_Type();
  if (!largest) return 1;
  const std::string type_name = largest->f_name;

  // Pictures come from and go to a temporary folder.
  const fs::path work = fs::temp_directory_path() / ("globarch_worldgen_bench_" + std::to_string(::getpid()));
  fs::create_directories(work / "program");
  fs::create_directories(work / "user" / "currentmap");
  Write_Tiles(work / "program");
  Program_Folder = Design_Path((work / "program").string()) + "\\";
  User_Folder = Design_Path((work / "user").string()) + "\\";
  // Two nations and a neutral empire.
  TEmpire_List empires;
  empires.m_Create_Empires(3);
  empires.m_Get_Empire(3)->m_Set_Neutral(true);
  G_Empire_List = &empires;
  Game_Settings.f_player_count = 2;

  std::printf("map type %s, %d x %d cells, %d runs (the first one apart)\n", type_name.c_str(), largest->f_map_width,
              largest->f_map_height, runs);
  double first[Figure_Count] = {}, later[Figure_Count] = {};
  double first_wall = 0, first_cpu = 0, later_wall = 0, later_cpu = 0;
  std::int64_t region_total = 0;
  for (int run = 0; run < runs; ++run) {
    double ms[Figure_Count] = {};
    std::int32_t regions = 0;
    const double cpu = Cpu_Millis();
    const Clock::time_point wall = Clock::now();
    Generate(type_name, std::uint32_t(1000 + run), ms, regions);
    const double wall_ms = Millis_Since(wall), cpu_ms = Cpu_Millis() - cpu;
    region_total += regions;
    std::printf("world %d (seed %d): %d regions, output hash %016llx\n", run + 1, 1000 + run, regions,
                (unsigned long long)Output_Hash(work / "user" / "currentmap"));
    if (run == 0) {
      std::copy(ms, ms + Figure_Count, first);
      first_wall = wall_ms;
      first_cpu = cpu_ms;
    } else {
      for (int i = 0; i < Figure_Count; ++i) later[i] += ms[i];
      later_wall += wall_ms;
      later_cpu += cpu_ms;
    }
  }
  const int rest = std::max(1, runs - 1);
  // The memory columns: resident MB after the step of the first world, and
  // the process's peak so far (picture steps only).
  std::printf("%-28s %10s %10s %9s %9s\n", "step", "first ms", "later ms", "after MB", "peak MB");
  for (int i = 0; i < Figure_Count; ++i)
    std::printf("%-28s %10.2f %10.2f %9.0f %9.0f\n", Figure_Name(i).c_str(), first[i],
                runs > 1 ? later[i] / rest : 0.0, step_resident[i], step_peak[i]);
  std::printf("%-28s %10.2f %10.2f\n", "whole world (wall)", first_wall, runs > 1 ? later_wall / rest : 0.0);
  std::printf("%-28s %10.2f %10.2f\n", "whole world (CPU)", first_cpu, runs > 1 ? later_cpu / rest : 0.0);
  std::printf("%.1f regions on average; process from start to first world done: %.0f ms wall, %.0f ms CPU\n",
              double(region_total) / runs, Millis_Since(process_start) - (runs > 1 ? later_wall : 0.0),
              Cpu_Millis() - cpu_start - (runs > 1 ? later_cpu : 0.0));
  G_Empire_List = nullptr;
  Datafile_MapTypes_Free();
  Datafile_TerrainTiles_Free();
  Path_Settings = nullptr;
  std::error_code ec;
  fs::remove_all(work, ec);
  return 0;
}
