// A generated world for the main-screen checks and benchmarks: the game
// folder's data and interface pictures copied into a temporary program
// folder, with terrain tiles, unit pictures and the selection box drawn
// here, a world generated from a fixed seed with its map pictures, four
// nations and a neutral empire distributed over it, and extra stacks. The
// device-side part (textures, fonts) is loaded once a device exists.
#pragma once

#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Datafile_BaseGameSettings.h"
#include "Datafile_MainFonts.h"
#include "Datafile_MapTypes.h"
#include "Datafile_TerrainTiles.h"
#include "Datafile_Units.h"
#include "Display.h"
#include "Empire.h"
#include "GameSettings.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "Image_Files.h"
#include "Io.h"
#include "MapClass.h"
#include "Path.h"
#include "../Png_Bytes.h"

class TScreen_World {
 public:
  // source: the game folder holding data\ and images\.
  explicit TScreen_World(const std::filesystem::path& source) {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "globarch_screen_XXXXXX").string();
    f_root = mkdtemp(pattern.data());
    fs::create_directories(f_root / "program");
    fs::create_directories(f_root / "user" / "currentmap");
    for (const char* dir : {"data", "images"})
      fs::copy(source / dir, f_root / "program" / dir, fs::copy_options::recursive);
    f_saved_program = Program_Folder;
    f_saved_user = User_Folder;
    Program_Folder = Design_Path((f_root / "program").string() + "/");
    User_Folder = Design_Path((f_root / "user").string() + "/");
    Path_Settings = &f_paths;
  }
  ~TScreen_World() {
    G_Map = nullptr;
    G_Empire_List = nullptr;
    Datafile_MapTypes_Free();
    Datafile_TerrainTiles_Free();
    Datafile_Units_Free();
    Main_Fonts_Free();
    Path_Settings = nullptr;
    Program_Folder = f_saved_program;
    User_Folder = f_saved_user;
    std::error_code ec;
    std::filesystem::remove_all(f_root, ec);
  }

  static std::string Design_Path(const std::string& native) {
    std::string s = native;
    for (char& c : s)
      if (c == '/') c = '\\';
    return s;
  }

  // Loads the data, draws the pictures the game folder lacks, generates the
  // world of the map type and hands it out to four nations and a neutral
  // empire, then adds stacks until the map holds `units` units.
  bool Generate(const std::string& map_type, std::uint32_t seed, std::int32_t units) {
    if (!Datafile_MapTypes_Load(f_paths.m_Get_MapTypes_File(), nullptr) ||
        !Datafile_TerrainTiles_Load(f_paths.m_Get_Terrain_Tiles_File(), nullptr) ||
        !Datafile_Units_Load(f_paths.m_Get_Units_File(), nullptr))
      return false;
    Load_Base_Game_Settings(nullptr);
    Main_Fonts_Create();
    Load_Main_Fonts();
    Write_Pictures();
    Random_Set_Seed(seed);
    Game_Settings.m_Reset();
    Game_Settings.f_flag_width = Base_Game_Settings.f_player_flag_width;
    Game_Settings.f_flag_height = Base_Game_Settings.f_player_flag_height;
    map.m_Set_Map_Type_Name(map_type);
    map.m_Select_Map_Type();
    for (std::int32_t step = 1; step <= 12; ++step) map.m_Generate_Terrain(step);
    for (std::int32_t kind = 1; kind <= 3; ++kind) map.m_Generate_Regions(kind);
    using Step = bool (TMap::*)();
    for (Step s :
         {&TMap::m_Create_Base_Ocean, &TMap::m_Create_Work_Bitmaps, &TMap::m_Create_Land_Water,
          &TMap::m_Create_Pixel_Arrays, &TMap::m_Create_Step_5, &TMap::m_Paint_Cells, &TMap::m_Create_Section_Arrays,
          &TMap::m_Create_Step_8, &TMap::m_Create_Region_Connections, &TMap::m_Create_Region_Squares,
          &TMap::m_Create_Overlay, &TMap::m_Paint_Sections, &TMap::m_Create_Region_Labels})
      if (!(map.*s)()) return false;
    if (!map.m_Create_Terrain_Map(false) || !map.m_Create_Region_Sections() || !map.m_Free_Work_Bitmaps()) return false;
    G_Map = &map;
    empires.m_Create_Empires(5);
    G_Empire_List = &empires;
    const TColor colours[5][2] = {{Make_Color(200, 40, 40), Make_Color(255, 200, 200)},
                                  {Make_Color(40, 80, 220), Make_Color(200, 210, 255)},
                                  {Make_Color(230, 200, 40), Make_Color(255, 250, 190)},
                                  {Make_Color(150, 40, 190), Make_Color(235, 200, 255)},
                                  {Make_Color(128, 128, 128), Make_Color(200, 200, 200)}};
    for (std::uint8_t n = 1; n <= 5; ++n) {
      TEmpire& e = *empires.m_Get_Empire(n);
      e.m_Set_Color(colours[n - 1][0]);
      e.m_Set_Second_Color(colours[n - 1][1]);
      e.m_Set_Flag_Index(n);
      e.m_Set_Color_Index(n);
      e.m_Set_Nation_Name("Nation " + Int_To_Text(n));
    }
    empires.m_Get_Empire(5)->m_Set_Neutral(true);
    Game_Settings.f_player_count = 4;
    Game_Settings.f_local_empire = 1;
    Game_Settings.f_turn_empire = 1;
    Game_Settings.f_game_kind = 1;
    Game_Settings.f_game_date = 20150;
    Game_Settings.f_fog_of_war = false;
    if (!map.m_Distribute_Start()) return false;
    Add_Units(units);
    return true;
  }

  // The device-side part: the shared atlases, the map's textures, the
  // overview textures and the fonts.
  void Load_Textures() {
    Init_Global_Display();
    map.m_Load_Section_Textures();
    map.m_Load_Region_Textures();
    map.m_Load_Unit_Textures();
    Display_Load_Overview_Map_Textures();
    G_Init_Fonts();
    G_Font_RestoreDeviceObjects();
  }

  std::int32_t Unit_Count() const {
    std::int32_t n = 0;
    for (std::int32_t id = 1; id <= map.m_Get_Unit_Count(); ++id) {
      TMap_Unit_Record r;
      map.m_Get_Unit(id, r);
      n += r.id != 0;
    }
    return n;
  }

  TMap map;
  TEmpire_List empires;

 private:
  // Stacks of the region owners' land units (or the ocean units of their
  // neighbours) on land regions, round after round, until the count is
  // reached or no region takes more.
  void Add_Units(std::int32_t wanted) {
    std::vector<std::uint16_t> land;
    for (std::int32_t t = 1; t <= Unit_Type_List->m_Count(); ++t) {
      const TUnit_Type* type = Unit_Type_List->m_Get_Item(t);
      if (type->f_movement_type == 2 && type->f_square_size_width <= 1 && type->f_square_size_height <= 1)
        land.push_back(std::uint16_t(t));
    }
    if (land.empty()) return;
    for (int round = 0; round < 200 && Unit_Count() < wanted; ++round) {
      bool placed = false;
      for (std::int32_t id = 1; id <= map.m_Get_Region_Count() && Unit_Count() < wanted; ++id) {
        TMap_Region* r = map.m_Get_Region(id);
        if (!r || r->m_Get_Type() != REGION_LAND || r->m_Get_Owner() == 0) continue;
        const std::uint16_t type = land[std::size_t(id + round) % land.size()];
        const std::int32_t unit = map.m_Add_Unit(id, type, r->m_Get_Owner(), 1, 0);
        if (r->m_Add_Unit(unit))
          placed = true;
        else
          map.m_Delete_Unit(unit);
      }
      if (!placed) break;
    }
  }

  static std::string Png(const TImage& image) { return Png_Bytes(image); }
  static void Write(const std::filesystem::path& p, const std::string& bytes) {
    std::filesystem::create_directories(p.parent_path());
    Write_File_Bytes(p, bytes);
  }
  static void Write_File_Bytes(const std::filesystem::path& p, const std::string& bytes) {
    FILE* f = std::fopen(p.string().c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }

  // Terrain tiles (textured greens and browns, a blue ocean), their
  // land/water markers, unit pictures and the selection box.
  void Write_Pictures() {
    const std::filesystem::path images = f_root / "program" / "images";
    const TColor land_marker = Make_Color(5, 167, 24), water_marker = Make_Color(10, 42, 77);
    TImage ocean;
    ocean.Set_Size(32, 32, Make_Color(20, 60, 150));
    for (std::int32_t y = 0; y < 32; ++y)
      for (std::int32_t x = 0; x < 32; ++x)
        if ((x * 7 + y * 13) % 23 == 0) ocean.Set_Pixel(x, y, Make_Color(40, 90, 180));
    Write(images / "tiles" / "BaseOceanTile.bmp", BMP_Encode_24(ocean));
    for (std::uint16_t i = 1; i <= Terrain_Tile_List->m_Count(); ++i) {
      const TTerrain_Tile& t = *Terrain_Tile_List->m_Get_Item(i);
      TImage tile;
      tile.Set_Size(32, 32, Make_Color(std::uint8_t(70 + (i * 37) % 60), std::uint8_t(120 + (i * 23) % 50), 50));
      for (std::int32_t y = 0; y < 32; ++y)
        for (std::int32_t x = 0; x < 32; ++x)
          if ((x * 3 + y * 5 + i) % 11 == 0) tile.Set_Pixel(x, y, Make_Color(60, 100, 40));
      Write(images / "tiles" / t.f_tile_bitmap, Png(tile));
      const std::string& name = t.f_tile_basic_bitmap;
      TImage basic;
      basic.Set_Size(32, 32, name.find("Ocean") != std::string::npos ? water_marker : land_marker);
      if (name.find("Coast") != std::string::npos || name.find("Shore") != std::string::npos)
        for (std::int32_t y = 0; y < 32; ++y)
          for (std::int32_t x = 16; x < 32; ++x) basic.Set_Pixel(x, y, water_marker);
      Write(images / "basictiles" / name, BMP_Encode_24(basic));
    }
    for (std::int32_t t = 1; t <= Unit_Type_List->m_Count(); ++t) {
      TUnit_Type* type = Unit_Type_List->m_Get_Item(t);
      TImage unit;
      unit.Set_Size(64, 64, 0);
      for (std::int32_t y = 4; y < 60; ++y)
        for (std::int32_t x = 4; x < 60; ++x)
          unit.Set_Pixel(x, y,
                         (x < 8 || x >= 56 || y < 8 || y >= 56) ? Make_Color(40, 40, 40) : Make_Color(230, 230, 230));
      for (const std::string& name : {type->f_image_filename, type->f_portrait_small_filename})
        if (!name.empty()) Write(images / "units" / name, Png(unit));
    }
    TImage box;
    box.Set_Size(64, 64, 0);
    for (std::int32_t i = 0; i < 64; ++i)
      for (std::int32_t k : {0, 1, 62, 63}) {
        box.Set_Pixel(i, k, Make_Color(255, 255, 0));
        box.Set_Pixel(k, i, Make_Color(255, 255, 0));
      }
    Write(images / "ui" / "SelectionBox.bmp", BMP_Encode_24(box));
  }

  std::filesystem::path f_root;
  TPath_Settings f_paths;
  std::string f_saved_program, f_saved_user;
};
