// A new game of the largest map type of the default game type, pictures
// included, then a save and a load of that game, each timed. Plain tile
// pictures are written into a scratch asset tree first, so that the bench
// runs on any checkout.
//
//   GameFolder_Bench [runs]   (run from the source tree or with GLOBARCH_HOME)
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "Bench_Support.h"
#include "Datafile_MapTypes.h"
#include "Datafile_TerrainTiles.h"
#include "GameInit.h"
#include "Game_Session.h"
#include "Global.h"
#include "Image_Files.h"
#include "MapClass.h"
#include "Native_Path.h"

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Millis_Since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Write(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string Png(const TImage& image) {
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

void Write_Tiles(const fs::path& program) {
  const fs::path tiles = program / "images" / "tiles", basic = program / "images" / "basictiles";
  fs::create_directories(tiles);
  fs::create_directories(basic);
  TImage ocean;
  ocean.Set_Size(32, 32, Make_Color(0, 40, 160));
  Write(tiles / "BaseOceanTile.bmp", BMP_Encode_24(ocean));
  for (std::uint16_t i = 1; i <= Terrain_Tile_List->m_Count(); ++i) {
    const TTerrain_Tile& t = *Terrain_Tile_List->m_Get_Item(i);
    TImage tile;
    tile.Set_Size(32, 32, Make_Color(90, std::uint8_t(100 + i), 60));
    Write(tiles / t.f_tile_bitmap, Png(tile));
    TImage b;
    const bool water = t.f_tile_basic_bitmap.find("Ocean") != std::string::npos;
    b.Set_Size(32, 32, water ? Make_Color(10, 42, 77) : Make_Color(5, 167, 24));
    Write(basic / t.f_tile_basic_bitmap, BMP_Encode_24(b));
  }
}
}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  Global_Init();
  const bench_support::TScratch_Folders folders = bench_support::Make_Scratch_Folders("globarch_bench_");
  const fs::path &scratch = folders.scratch, &program = folders.program, &user = folders.user;
  Game_Init_Create_Globals();
  Game_Init_Load_Map_Data();
  Game_Init_Load_Rule_Files();
  Write_Tiles(program);
  const TMap_Type* largest = bench_support::Largest_Map_Type();
  if (!largest) return 1;
  const std::string name = largest->f_name;
  std::printf("map type %s, %d x %d cells, %d runs\n", name.c_str(), largest->f_map_width, largest->f_map_height, runs);
  double new_ms = 0, save_ms = 0, load_ms = 0;
  for (int run = 0; run < runs; ++run) {
    TGame_Session_Setup setup;
    setup.seed = std::uint32_t(100 + run);
    setup.map_type = name;
    setup.computer = {false, true, true, true};
    Clock::time_point t = Clock::now();
    if (!Game_Session_New_Game(setup)) return 1;
    new_ms += Millis_Since(t);
    t = Clock::now();
    if (!Game_Session_Save("Bench")) return 1;
    save_ms += Millis_Since(t);
    t = Clock::now();
    TLoad_Result result = TLoad_Result::Game;
    if (!Game_Session_Load("Bench", result)) return 1;
    load_ms += Millis_Since(t);
  }
  std::uintmax_t bytes = 0;
  for (const auto& e : fs::directory_iterator(user / "currentmap")) bytes += e.file_size();
  std::printf("new game:  %9.2f ms (%d regions)\n", new_ms / runs, G_Map ? G_Map->m_Get_Region_Count() : 0);
  std::printf("save:      %9.2f ms (%.1f MB in the folder)\n", save_ms / runs, double(bytes) / 1e6);
  std::printf("load:      %9.2f ms\n", load_ms / runs);
  delete G_Map;
  G_Map = nullptr;
  Game_Init_Free_Globals();
  std::error_code ec;
  fs::remove_all(scratch, ec);
  return 0;
}
