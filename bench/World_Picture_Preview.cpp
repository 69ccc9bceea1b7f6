// Paints a new world with the game's terrain tiles and writes what a player
// would see as PNG files, to look at the tiles in place.
//
//   World_Picture_Preview <game folder> <output folder> [map type] [seed]
//
// Writes <output>/overview.png (the 512 x 256 overview picture),
// <output>/section.png (the first 1024 x 1024 map section below the top row
// when there is one), <output>/closeup.png (a piece of it enlarged) and
// <output>/terrain.png (the whole painted map).
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "Datafile_MapTypes.h"
#include "Datafile_TerrainTiles.h"
#include "Empire.h"
#include "GameSettings.h"
#include "Global.h"
#include "Image_Files.h"
#include "MapClass.h"
#include "Native_Path.h"
#include "Path.h"
#include "World_Links.h"

namespace fs = std::filesystem;

namespace {
bool Write_PNG(const fs::path& path, const TImage& image) {
  std::vector<std::uint8_t> rgb;
  rgb.reserve(image.pixels.size() * 3);
  for (std::uint32_t p : image.pixels) {
    rgb.push_back(std::uint8_t(p >> 16));
    rgb.push_back(std::uint8_t(p >> 8));
    rgb.push_back(std::uint8_t(p));
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = png_uint_32(image.width);
  png.height = png_uint_32(image.height);
  png.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&png, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

bool Convert(const fs::path& from, const fs::path& to) {
  TImage image;
  std::string error;
  if (!Image_Read_File(Design_Path(from.string()), image, &error)) {
    std::fprintf(stderr, "%s: %s\n", from.c_str(), error.c_str());
    return false;
  }
  return Write_PNG(to, image);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "Usage: World_Picture_Preview <game folder> <output folder> [map type] [seed]\n");
    return 2;
  }
  const fs::path game = fs::absolute(argv[1]), output = fs::absolute(argv[2]);
  const std::string map_type = argc > 3 ? argv[3] : "Standard";
  const std::uint32_t seed = argc > 4 ? std::uint32_t(std::strtoul(argv[4], nullptr, 10)) : 1;
  const fs::path user = output / "user";
  fs::create_directories(user / "currentmap");
  Program_Folder = Design_Path((game / "").string());
  User_Folder = Design_Path((user / "").string());
  TPath_Settings paths;
  Path_Settings = &paths;
  if (!Datafile_MapTypes_Load(Design_Path((game / "data" / "MapTypes.txt").string()), nullptr) ||
      !Datafile_TerrainTiles_Load(Design_Path((game / "data" / "Terrain_Tiles.txt").string()), nullptr)) {
    std::fprintf(stderr, "Cannot load the map types or terrain tiles\n");
    return 1;
  }
  TMap map;
  TEmpire_List empires;
  G_Map = &map;
  G_Empire_List = &empires;
  Random_Set_Seed(seed);
  map.m_Set_Map_Type_Name(map_type);
  map.m_Select_Map_Type();
  for (std::int32_t step = 1; step <= 12; ++step) map.m_Generate_Terrain(step);
  for (std::int32_t kind = 1; kind <= 3; ++kind) map.m_Generate_Regions(kind);
  using Step = bool (TMap::*)();
  static const Step steps[] = {&TMap::m_Create_Base_Ocean,     &TMap::m_Create_Work_Bitmaps,
                               &TMap::m_Create_Land_Water,     &TMap::m_Create_Pixel_Arrays,
                               &TMap::m_Create_Step_5,         &TMap::m_Paint_Cells,
                               &TMap::m_Create_Section_Arrays, &TMap::m_Create_Step_8,
                               &TMap::m_Create_Region_Connections, &TMap::m_Create_Region_Squares,
                               &TMap::m_Create_Overlay,        &TMap::m_Paint_Sections,
                               &TMap::m_Create_Region_Labels};
  for (Step s : steps) (map.*s)();
  map.m_Create_Terrain_Map(true);
  const fs::path current = user / "currentmap";
  bool ok = Convert(current / "OverviewMap.bmp", output / "overview.png");
  ok = Convert(current / "TerrainMap.bmp", output / "terrain.png") && ok;
  const fs::path section = fs::exists(current / "MapSection002.jpg") ? current / "MapSection002.jpg"
                                                                      : current / "MapSection001.jpg";
  if (fs::exists(section)) {
    ok = Convert(section, output / "section.png") && ok;
    // A close look: 256 x 256 pixels of the section, three times enlarged.
    TImage whole, close;
    if (Image_Read_File(Design_Path(section.string()), whole) && whole.width >= 448 && whole.height >= 512) {
      close.Set_Size(768, 768);
      for (std::int32_t y = 0; y < 768; ++y)
        for (std::int32_t x = 0; x < 768; ++x) close.Set_Pixel(x, y, whole.Pixel(192 + x / 3, 256 + y / 3));
      ok = Write_PNG(output / "closeup.png", close) && ok;
    }
  }
  std::printf("World_Picture_Preview: %s, %d x %d pixels, %d regions\n", map_type.c_str(), map.m_Get_Pixel_Width(),
              map.m_Get_Pixel_Height(), map.m_Get_Region_Count());
  G_Map = nullptr;
  G_Empire_List = nullptr;
  Path_Settings = nullptr;
  Datafile_MapTypes_Free();
  Datafile_TerrainTiles_Free();
  return ok ? 0 : 1;
}
