// The pictures of a generated world on the smallest map type: files written
// with the right sizes, the regions' rectangles, squares, connections and
// click zones, the detail picture, and the starting distribution afterwards.
#include <png.h>

#include <filesystem>
#include <map>
#include <set>

#include "Datafile_MapTypes.h"
#include "Datafile_TerrainTiles.h"
#include "Display.h"
#include "Empire.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Texture.h"
#include "Headless_Engine.h"
#include "Render_Device_Headless.h"
#include "Image_Files.h"
#include "Io.h"
#include "MapClass_Draw.h"
#include "Native_Path.h"
#include "Path.h"
#include "Png_Bytes.h"
#include "Test_Support.h"
#include "World_Fixture.h"

namespace {
namespace fs = std::filesystem;

constexpr std::uint32_t Land_Marker = Make_Color(5, 167, 24);
constexpr std::uint32_t Water_Marker = Make_Color(10, 42, 77);
constexpr std::uint32_t Detail_Marker = Make_Color(20, 24, 28);

std::string Data_File(const std::string& name) { return Design_Path((Source_Dir() / "data" / name).string()); }

TImage Picture(std::int32_t w, std::int32_t h, std::uint32_t color) {
  TImage image;
  image.Set_Size(w, h, color);
  return image;
}

TImage Read_Picture(const fs::path& p) {
  TImage image;
  const std::string bytes = Read_File(p);
  EXPECT_TRUE(Image_Decode(bytes.data(), bytes.size(), image)) << p;
  return image;
}

class Map_Pictures : public World_Test {
protected:
  void SetUp() override {
    World_Test::SetUp();
    f_saved_types = Map_Type_List;
    f_saved_tiles = Terrain_Tile_List;
    f_saved_paths = Path_Settings;
    f_saved_program = Program_Folder;
    f_saved_user = User_Folder;
    Map_Type_List = nullptr;
    Terrain_Tile_List = nullptr;
    ASSERT_TRUE(Datafile_MapTypes_Load(Data_File("MapTypes.txt"), nullptr));
    ASSERT_TRUE(Datafile_TerrainTiles_Load(Data_File("Terrain_Tiles.txt"), nullptr));
    Program_Folder = program.design();
    User_Folder = user.design();
    Path_Settings = &f_paths;
    fs::create_directories(user.path() / "currentmap");
    Write_Tiles();
  }
  void TearDown() override {
    Datafile_MapTypes_Free();
    Datafile_TerrainTiles_Free();
    Map_Type_List = f_saved_types;
    Terrain_Tile_List = f_saved_tiles;
    Path_Settings = f_saved_paths;
    Program_Folder = f_saved_program;
    User_Folder = f_saved_user;
    World_Test::TearDown();
  }

  // Tile pictures of 32 pixels: land tiles in the land marker with a detail
  // marker pixel, ocean tiles in the water marker, coast and shore tiles half
  // and half.
  void Write_Tiles() {
    const fs::path tiles = program.path() / "images" / "tiles", basic = program.path() / "images" / "basictiles";
    fs::create_directories(tiles);
    fs::create_directories(basic);
    Write_File(tiles / "BaseOceanTile.bmp", BMP_Encode_24(Picture(32, 32, Make_Color(0, 40, 160))));
    for (std::uint16_t i = 1; i <= Terrain_Tile_List->m_Count(); ++i) {
      const TTerrain_Tile& t = *Terrain_Tile_List->m_Get_Item(i);
      TImage png = Picture(32, 32, Make_Color(90, 140, 60));
      for (std::int32_t y = 3; y < 9; ++y)
        for (std::int32_t x = 3; x < 9; ++x) png.Set_Pixel(x, y, Detail_Marker);
      Write_File(tiles / t.f_tile_bitmap, Png_Bytes(png));
      const std::string& name = t.f_tile_basic_bitmap;
      TImage b = Picture(32, 32, Land_Marker);
      if (name.find("Ocean") != std::string::npos) b = Picture(32, 32, Water_Marker);
      if (name.find("Coast") != std::string::npos || name.find("Shore") != std::string::npos)
        for (std::int32_t y = 0; y < 32; ++y)
          for (std::int32_t x = 16; x < 32; ++x) b.Set_Pixel(x, y, Water_Marker);
      Write_File(basic / name, BMP_Encode_24(b));
    }
  }

  void Generate(std::uint32_t seed) {
    Random_Set_Seed(seed);
    map.m_Set_Map_Type_Name("Tiny");
    map.m_Select_Map_Type();
    for (std::int32_t step = 1; step <= 12; ++step) map.m_Generate_Terrain(step);
    for (std::int32_t kind = 1; kind <= 3; ++kind) map.m_Generate_Regions(kind);
  }
  // Picture steps 1..last.
  void Pictures(std::int32_t last) {
    using Step = bool (TMap::*)();
    static const Step steps[] = {
        &TMap::m_Create_Base_Ocean,       &TMap::m_Create_Work_Bitmaps,      &TMap::m_Create_Land_Water,
        &TMap::m_Create_Pixel_Arrays,     &TMap::m_Create_Step_5,            &TMap::m_Paint_Cells,
        &TMap::m_Create_Section_Arrays,   &TMap::m_Create_Step_8,            &TMap::m_Create_Region_Connections,
        &TMap::m_Create_Region_Squares,   &TMap::m_Create_Overlay,           &TMap::m_Paint_Sections,
        &TMap::m_Create_Region_Labels,    nullptr,                           &TMap::m_Create_Region_Sections,
        &TMap::m_Free_Work_Bitmaps};
    for (std::int32_t s = 1; s <= last; ++s) {
      SCOPED_TRACE(s);
      if (s == 14)
        ASSERT_TRUE(map.m_Create_Terrain_Map(false));
      else
        ASSERT_TRUE((map.*steps[s - 1])());
    }
  }
  fs::path Current(const std::string& name) const { return user.path() / "currentmap" / name; }
  // The painted map as it stands, through the writer of the whole picture.
  TImage Painted_Map() {
    EXPECT_TRUE(map.m_Create_Terrain_Map(true));
    return Read_Picture(Current("TerrainMap.bmp"));
  }
  // Every file of the current-game folder by name, with its bytes.
  std::map<std::string, std::string> Current_Files() const {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& f : fs::directory_iterator(user.path() / "currentmap"))
      files[f.path().filename().string()] = Read_File(f.path());
    return files;
  }

  TTemp_Dir program, user;

private:
  TMap_Type_List* f_saved_types = nullptr;
  TTerrain_Tile_List* f_saved_tiles = nullptr;
  TPath_Settings* f_saved_paths = nullptr;
  TPath_Settings f_paths;
  std::string f_saved_program, f_saved_user;
};

TEST_F(Map_Pictures, AGeneratedWorldGetsItsPicturesRegionsAndStartingDistribution) {
  Generate(7);
  Pictures(15);
  // Every region keeps one 8-connected piece of cells.
  for (std::int32_t id = 1; id <= map.m_Get_Region_Count(); ++id) {
    std::vector<std::pair<int, int>> cells;
    for (int x = 0; x < map.m_Get_Grid_Width(); ++x)
      for (int y = 0; y < map.m_Get_Grid_Height(); ++y)
        if (map.m_Get_Picture_Cell_Region(x, y) == id) cells.push_back({x, y});
    if (cells.empty()) continue;
    std::set<std::pair<int, int>> left(cells.begin(), cells.end()), seen;
    std::vector<std::pair<int, int>> stack{cells.front()};
    seen.insert(cells.front());
    while (!stack.empty()) {
      auto [x, y] = stack.back();
      stack.pop_back();
      for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
          if (left.count({x + dx, y + dy}) && seen.insert({x + dx, y + dy}).second) stack.push_back({x + dx, y + dy});
    }
    EXPECT_EQ(seen.size(), left.size()) << "region " << id;
  }
  ASSERT_TRUE(map.m_Free_Work_Bitmaps());
  EXPECT_EQ(map.m_Get_Picture_Cell_Region(0, 0), 0);

  // 64 x 40 cells of 32 pixels.
  EXPECT_EQ(map.m_Get_Pixel_Width(), 2048);
  EXPECT_EQ(map.m_Get_Pixel_Height(), 1280);
  EXPECT_EQ(map.m_Get_Section_Width(), 1024);
  EXPECT_EQ(map.m_Get_Section_Height(), 1024);
  struct TFile {
    const char* name;
    std::int32_t width, height;
  };
  for (const TFile& f : {TFile{"LandWaterTypes.bmp", 2048, 1280}, TFile{"OverviewMap.bmp", 512, 256},
                         TFile{"MapSection001.jpg", 1024, 1024}, TFile{"MapSection002.jpg", 1024, 1024},
                         TFile{"MapSection003.jpg", 1024, 1024}, TFile{"MapSection004.jpg", 1024, 1024}}) {
    SCOPED_TRACE(f.name);
    const TImage image = Read_Picture(Current(f.name));
    EXPECT_EQ(image.width, f.width);
    EXPECT_EQ(image.height, f.height);
  }
  // Two columns of two sections cover the 1280 rows; none beyond.
  EXPECT_FALSE(fs::exists(Current("MapSection005.jpg")));
  EXPECT_FALSE(fs::exists(Current("TerrainMap.bmp")));
  // Land and water cells in their two colours.
  const TImage land_water = Read_Picture(Current("LandWaterTypes.bmp"));
  for (int x = 0; x < 64; ++x)
    for (int y = 0; y < 40; ++y) {
      const bool land = map.m_Get_Terrain_Cell(x, y).cell_class == TERRAIN_CLASS_LAND;
      ASSERT_EQ(land_water.Pixel(x * 32 + 16, y * 32 + 16), land ? Make_Color(0, 128, 0) : Make_Color(0, 0, 255));
    }

  std::int32_t regions = 0;
  for (std::int32_t id = 1; id <= map.m_Get_Region_Count(); ++id) {
    const TMap_Region* r = map.m_Get_Region(id);
    if (!r) continue;
    SCOPED_TRACE(id);
    ++regions;
    EXPECT_GT(r->m_Get_Rect_Count(), 0);
    EXPECT_GT(r->m_Get_Square_Count(), 0);
    EXPECT_GT(r->m_Get_Connection_Count(), 0);
    for (std::int32_t i = 1; i <= r->m_Get_Connection_Count(); ++i) {
      const std::int32_t other = r->m_Get_Connection(i);
      ASSERT_NE(map.m_Get_Region(other), nullptr);
      EXPECT_NE(other, id);
      EXPECT_TRUE(map.m_Get_Region(other)->m_Is_Connected_To(id)) << other;
    }
    std::int32_t x1, y1, x2, y2;
    r->m_Get_Bounds(x1, y1, x2, y2);
    ASSERT_LT(x1, x2);
    ASSERT_LT(y1, y2);
    const TImage mask = Read_Picture(Current("RegionSection" + Int_To_Text_Padded(id, 3, 3) + ".bmp"));
    EXPECT_EQ(mask.width, x2 - x1);
    EXPECT_EQ(mask.height, y2 - y1);
    // The click zones are the white runs of the mask.
    EXPECT_EQ(r->m_Get_Click_Zone_Row_Count() > 0, true);
    std::int64_t white = 0, spanned = 0;
    for (std::uint32_t p : mask.pixels) white += (p & 0xFFFFFFu) == 0xFFFFFFu;
    for (std::int32_t row = 1; row <= r->m_Get_Click_Zone_Row_Count(); ++row)
      for (const TClick_Zone_Span& s : r->m_Get_Click_Zone_Row(row)) spanned += s.x2 - s.x1 + 1;
    EXPECT_EQ(spanned, white);
  }
  EXPECT_GT(regions, 10);

  // The starting distribution runs on the generated world.
  empires.m_Create_Empires(3);
  empires.m_Get_Empire(3)->m_Set_Neutral(true);
  Game_Settings.f_player_count = 2;
  ASSERT_TRUE(map.m_Distribute_Start());
  std::set<std::uint8_t> owners;
  for (std::int32_t id = 1; id <= map.m_Get_Region_Count(); ++id)
    if (const TMap_Region* r = map.m_Get_Region(id)) owners.insert(r->m_Get_Owner());
  EXPECT_TRUE(owners.count(1));
  EXPECT_TRUE(owners.count(2));
}

TEST_F(Map_Pictures, TheDetailPictureReplacesTheDetailMarkerOnlyWhenTheMapTypeAsksForIt) {
  for (bool use : {false, true}) {
    SCOPED_TRACE(use);
    TMap_Type* tiny = nullptr;
    for (std::uint16_t i = 1; i <= Map_Type_List->m_Count(); ++i)
      if (Map_Type_List->m_Get_Item(i)->f_name == "Tiny") tiny = Map_Type_List->m_Get_Item(i);
    ASSERT_NE(tiny, nullptr);
    tiny->f_use_base_detail_map = use;
    tiny->f_base_map_details = {"Detail.bmp"};
    fs::create_directories(program.path() / "images" / "map");
    Write_File(program.path() / "images" / "map" / "Detail.bmp", BMP_Encode_24(Picture(8, 8, Make_Color(200, 10, 10))));
    Generate(11);
    Pictures(14);
    // A land cell away from every border: its detail marker pixel at (5, 5).
    const TImage section = Read_Picture(Current("MapSection001.jpg"));
    std::int32_t tested = 0;
    for (int x = 1; x < 31 && tested == 0; ++x)
      for (int y = 1; y < 31 && tested == 0; ++y) {
        bool inner = true;
        for (int dx = -1; dx <= 1; ++dx)
          for (int dy = -1; dy <= 1; ++dy) {
            const TTerrain_Cell c = map.m_Get_Terrain_Cell(x + dx, y + dy);
            inner = inner && c.cell_class == TERRAIN_CLASS_LAND &&
                    map.m_Get_Work_Region(x + dx, y + dy) == map.m_Get_Work_Region(x, y);
          }
        if (!inner) continue;
        const std::uint32_t p = section.Pixel(x * 32 + 5, y * 32 + 5);
        if (use) {
          EXPECT_GT(Color_Red(p), 150);
        } else {
          EXPECT_LT(Color_Red(p), 60);
          EXPECT_LT(Color_Green(p), 60);
        }
        ++tested;
      }
    EXPECT_EQ(tested, 1);
    map.m_Free_Work_Bitmaps();
    map.m_Clear();
  }
}

TEST_F(Map_Pictures, SectionsAreNumberedColumnByColumnAndTheWholeMapIsWrittenWhenAsked) {
  for (std::uint16_t i = 1; i <= Map_Type_List->m_Count(); ++i)
    if (Map_Type_List->m_Get_Item(i)->f_name == "Tiny") Map_Type_List->m_Get_Item(i)->f_map_height = 64;
  Generate(9);
  Pictures(13);
  ASSERT_TRUE(map.m_Create_Terrain_Map(true));
  const TImage whole = Read_Picture(Current("TerrainMap.bmp"));
  ASSERT_EQ(whole.width, 2048);
  ASSERT_EQ(whole.height, 2048);
  // Section n shows the block of column (n - 1) / 2 and row (n - 1) % 2.
  for (std::int32_t n = 1; n <= 4; ++n) {
    SCOPED_TRACE(n);
    const TImage section = Read_Picture(Current("MapSection" + Int_To_Text_Padded(n, 3, 3) + ".jpg"));
    ASSERT_EQ(section.width, 1024);
    const std::int32_t left = (n - 1) / 2 * 1024, top = (n - 1) % 2 * 1024;
    std::int64_t difference = 0;
    for (std::int32_t y = 0; y < 1024; y += 7)
      for (std::int32_t x = 0; x < 1024; x += 7)
        for (int shift = 0; shift <= 16; shift += 8)
          difference += std::abs(std::int32_t((section.Pixel(x, y) >> shift) & 0xFF) -
                                 std::int32_t((whole.Pixel(left + x, top + y) >> shift) & 0xFF));
    EXPECT_LT(difference / (147 * 147 * 3), 4);
  }
  EXPECT_FALSE(fs::exists(Current("MapSection005.jpg")));
  map.m_Free_Work_Bitmaps();
}

// Coast tiles whose picture shows which edge the water is on: the painted
// map shows each turned tile turned like its basic bitmap.
TEST_F(Map_Pictures, TurnedTilesArePaintedTurnedLikeTheirBasicBitmaps) {
  const fs::path tiles = program.path() / "images" / "tiles";
  constexpr std::uint32_t Strip = Make_Color(220, 20, 20), Body = Make_Color(20, 160, 40);
  for (std::uint16_t i = 1; i <= Terrain_Tile_List->m_Count(); ++i) {
    const TTerrain_Tile& t = *Terrain_Tile_List->m_Get_Item(i);
    if (t.f_terrain_type != TERRAIN_TILE_SHORE_BORDER && t.f_terrain_type != TERRAIN_TILE_OCEAN_BORDER) continue;
    // A strip along the top edge of the unturned picture.
    TImage png = Picture(32, 32, Body);
    for (std::int32_t y = 0; y < 6; ++y)
      for (std::int32_t x = 0; x < 32; ++x) png.Set_Pixel(x, y, Strip);
    Write_File(tiles / t.f_tile_bitmap, Png_Bytes(png));
  }
  // Where the strip lies after a turn clockwise by 0, 90, 180, 270 degrees,
  // and the point across the tile from it.
  struct TPlace {
    std::int32_t rotation, strip_x, strip_y, across_x, across_y;
  };
  const TPlace places[] = {{0, 16, 2, 16, 29}, {90, 29, 16, 2, 16}, {180, 16, 29, 16, 2}, {270, 2, 16, 29, 16}};
  std::set<std::int32_t> seen;
  for (std::uint32_t seed : {21u, 22u, 23u}) {
    map.m_Clear();
    Generate(seed);
    Pictures(3);
    const TImage painted = Painted_Map();
    for (std::int32_t x = 0; x < map.m_Get_Grid_Width(); ++x)
      for (std::int32_t y = 0; y < map.m_Get_Grid_Height(); ++y) {
        const std::int32_t tile = map.m_Get_Terrain_Cell(x, y).tile;
        if (tile < 1) continue;
        const TTerrain_Tile& t = *Terrain_Tile_List->m_Get_Item(std::uint16_t(tile));
        if (t.f_terrain_type != TERRAIN_TILE_SHORE_BORDER && t.f_terrain_type != TERRAIN_TILE_OCEAN_BORDER) continue;
        for (const TPlace& p : places) {
          if (p.rotation != t.f_rotate) continue;
          SCOPED_TRACE(testing::Message() << "cell " << x << "," << y << " turned " << p.rotation);
          EXPECT_EQ(painted.Pixel(x * 32 + p.strip_x, y * 32 + p.strip_y), Strip);
          EXPECT_EQ(painted.Pixel(x * 32 + p.across_x, y * 32 + p.across_y), Body);
          seen.insert(p.rotation);
        }
      }
    map.m_Free_Work_Bitmaps();
  }
  seen.erase(0);
  EXPECT_GE(seen.size(), 2u) << "turned tiles checked";
}

TEST_F(Map_Pictures, TheLastSectionsArePaddedWithTheMapsEdge) {
  Generate(5);
  Pictures(13);
  const TImage painted = Painted_Map();
  // Section 4 is column 2, row 2: rows 1024..1279 of the map, then the
  // map's last row repeated.
  const TImage section = Read_Picture(Current("MapSection004.jpg"));
  ASSERT_EQ(section.height, 1024);
  std::int64_t difference = 0, compared = 0;
  for (std::int32_t y = 0; y < 1024; y += 5)
    for (std::int32_t x = 0; x < 1024; x += 5) {
      const std::uint32_t want = painted.Pixel(1024 + x, std::min(1024 + y, 1279));
      for (int shift = 0; shift <= 16; shift += 8)
        difference +=
            std::abs(std::int32_t((section.Pixel(x, y) >> shift) & 0xFF) - std::int32_t((want >> shift) & 0xFF));
      ++compared;
    }
  EXPECT_LT(difference / (compared * 3), 4);
  map.m_Free_Work_Bitmaps();
}

// The section textures cover every pixel of a map of each default type.
TEST_F(Map_Pictures, SectionsCoverTheWholeMapOfEveryDefaultType) {
  ASSERT_GE(Map_Type_List->m_Count(), 5);
  for (std::uint16_t i = 1; i <= Map_Type_List->m_Count(); ++i) {
    const TMap_Type& type = *Map_Type_List->m_Get_Item(i);
    SCOPED_TRACE(type.f_name);
    const std::int32_t width = type.f_map_width * 32, height = type.f_map_height * 32;
    map.m_Set_Pixel_Size(width, height);
    map.m_Set_Section_Size(1024, 1024);
    map.m_Load_Section_Textures();
    const std::int32_t columns = (width + 1023) / 1024, rows = (height + 1023) / 1024;
    EXPECT_EQ(map.m_Get_Section_Count(), columns * rows);
    EXPECT_GE(std::int64_t(columns) * 1024, width);
    EXPECT_GE(std::int64_t(rows) * 1024, height);
    // Every type but the smallest is cut into whole sections.
    if (type.f_name != "Tiny") {
      EXPECT_EQ(width % 1024, 0);
      EXPECT_EQ(height % 1024, 0);
    }
  }
}

TEST_F(Map_Pictures, RegionLabelsPutPixelsOnThePaintedMap) {
  Generate(7);
  Pictures(12);
  const TImage before = Painted_Map();
  ASSERT_TRUE(map.m_Create_Region_Labels());
  const TImage after = Painted_Map();
  ASSERT_EQ(before.pixels.size(), after.pixels.size());
  std::int64_t changed = 0, white = 0, darker = 0;
  std::int32_t tallest = 0;
  for (std::int32_t x = 0; x < after.width; ++x) {
    std::int32_t run = 0;
    for (std::int32_t y = 0; y < after.height; ++y) {
      const std::uint32_t a = after.Pixel(x, y), b = before.Pixel(x, y);
      run = a == b ? 0 : run + 1;
      tallest = std::max(tallest, run);
      if (a == b) continue;
      ++changed;
      white += Color_Red(a) > 240 && Color_Green(a) > 240 && Color_Blue(a) > 240;
      darker += Color_Red(a) <= Color_Red(b) && Color_Green(a) <= Color_Green(b) && Color_Blue(a) <= Color_Blue(b);
    }
  }
  // Names in bold white over a dark rim, tall enough to read at the
  // opening view where the map shows at about half its size: a column of
  // a letter with its rim covers more than a dozen pixels.
  EXPECT_GT(white, 1000);
  EXPECT_GT(darker, 1000);
  EXPECT_GE(tallest, 13) << "the tallest column of a label is " << tallest << " pixels";
  EXPECT_LT(tallest, 40);
  map.m_Free_Work_Bitmaps();
}

TEST_F(Map_Pictures, TheSameSeedWritesTheSameFiles) {
  std::map<std::string, std::string> first;
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    map.m_Clear();
    fs::remove_all(user.path() / "currentmap");
    fs::create_directories(user.path() / "currentmap");
    Generate(13);
    Pictures(16);
    const std::map<std::string, std::string> files = Current_Files();
    if (run == 0) {
      first = files;
      ASSERT_GT(first.size(), 10u);
    } else {
      ASSERT_EQ(files.size(), first.size());
      for (const auto& [name, bytes] : first) EXPECT_TRUE(files.at(name) == bytes) << name;
    }
  }
}

// FNV-1a over the bytes, the same on every machine.
std::uint64_t Fnv_Hash(const std::string& bytes) {
  std::uint64_t h = 1469598103934665603ull;
  for (char c : bytes) h = (h ^ std::uint8_t(c)) * 1099511628211ull;
  return h;
}

// A world of a given seed always writes the very same bytes: its pictures
// and its map file (bounds, connections, rectangles, squares and click
// zones) hash to values fixed when the picture steps were last changed on
// purpose. A faster way of painting, flooding or cutting the regions must
// keep every one of them.
TEST_F(Map_Pictures, AWorldOfAGivenSeedWritesFixedBytes) {
  struct TCase {
    std::uint32_t seed;
    std::uint64_t sections, region_masks, overview, land_water, map_file;
  };
  const TCase cases[] = {
      {13, 0xd965bb9cd495e78f, 0x64a6ac06a7c22c0a, 0x1b7dfc5b341f86e, 0xaec79304eb5c41c8, 0x97f0573bf6bf5a25},
      {29, 0x837da47e5a24e894, 0xac69075568e38ccc, 0x6e9df15f299f2c9f, 0xb541f73db21935c8, 0x646e06aefa25e91e},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.seed);
    map.m_Clear();
    fs::remove_all(user.path() / "currentmap");
    fs::create_directories(user.path() / "currentmap");
    Generate(c.seed);
    Pictures(16);
    ASSERT_TRUE(map.m_Save_To_File(Design_Path((user.path() / "currentmap" / "World.map").string()), false,
                                   Map_File_Version));
    // The files of a kind hash together, in name order.
    std::map<std::string, std::string> kinds;
    for (const auto& [name, bytes] : Current_Files()) {
      std::string kind = name;
      if (name.rfind("MapSection", 0) == 0) kind = "sections";
      if (name.rfind("RegionSection", 0) == 0) kind = "region masks";
      kinds[kind] += name + bytes;
    }
    const std::pair<const char*, std::uint64_t> expected[] = {{"sections", c.sections},
                                                              {"region masks", c.region_masks},
                                                              {"OverviewMap.bmp", c.overview},
                                                              {"LandWaterTypes.bmp", c.land_water},
                                                              {"World.map", c.map_file}};
    EXPECT_EQ(kinds.size(), std::size(expected));
    for (const auto& [kind, hash] : expected) {
      ASSERT_TRUE(kinds.count(kind)) << kind;
      EXPECT_EQ(Fnv_Hash(kinds[kind]), hash) << kind << std::hex << " hashes to 0x" << Fnv_Hash(kinds[kind]);
    }
  }
}

// Units of the starting distribution that their region has no room for
// stand elsewhere in their nation's land or are not created: every record
// stands in a region that lists it.
TEST_F(Map_Pictures, EveryStartingUnitStandsInARegionThatListsIt) {
  Base_Game_Settings.f_nation_total_starting_value_size_medium = 10;
  // The neutral empire takes most of the free land, small regions included.
  Base_Game_Settings.f_neutral_territories_to_occupy_percent_min = 300;
  Base_Game_Settings.f_neutral_territories_to_occupy_percent_max = 300;
  for (const char* name : {"Infantry", "Truck", "Plane", "Tank", "Flat", "Sub"}) {
    Base_Game_Settings.f_neutral_starting_forces.push_back({name, 4, 4, 100});
    Base_Game_Settings.f_starting_forces[1].push_back({name, 12, PLACEMENT_SPREAD_EVENLY});
  }
  Game_Settings.f_nation_size_level = 2;
  Game_Settings.f_starting_forces_level = 2;
  Game_Settings.f_player_count = 2;
  for (std::uint32_t seed : {3u, 8u, 17u}) {
    SCOPED_TRACE(seed);
    map.m_Clear();
    Generate(seed);
    Pictures(16);
    empires.m_Create_Empires(3);
    empires.m_Get_Empire(3)->m_Set_Neutral(true);
    ASSERT_TRUE(map.m_Distribute_Start());
    std::int64_t listed = 0, records = 0;
    for (std::int32_t id = 1; id <= map.m_Get_Region_Count(); ++id)
      if (const TMap_Region* r = map.m_Get_Region(id)) listed += r->m_Get_Unit_Count();
    for (std::int32_t id = 1; id <= map.m_Get_Unit_Count(); ++id) {
      TMap_Unit_Record u;
      map.m_Get_Unit(id, u);
      if (u.id == 0) continue;
      ++records;
      const TMap_Region* r = map.m_Get_Region(u.region);
      ASSERT_NE(r, nullptr) << id;
      EXPECT_TRUE(r->m_Has_Unit_Id(id)) << id;
      EXPECT_EQ(r->m_Get_Owner(), u.owner) << id;
    }
    EXPECT_GT(records, 50);
    EXPECT_EQ(listed, records);
  }
}

TEST_F(Map_Pictures, AMissingTilePictureIsAFileError) {
  fs::remove(program.path() / "images" / "tiles" / "BaseOceanTile.bmp");
  Generate(3);
  EXPECT_THROW(map.m_Create_Base_Ocean(), EInOutError);
  Write_Tiles();
  fs::remove(program.path() / "images" / "basictiles" / "Basic_Land.bmp");
  EXPECT_THROW(map.m_Create_Base_Ocean(), EInOutError);
}

TEST_F(Map_Pictures, TexturesLoadFromTheWrittenPicturesAndAgainAfterADeviceReset) {
  TDevice_Params params;
  params.Width = 64;
  params.Height = 48;
  auto device = std::make_unique<TRender_Device_Headless>(params);
  Render_Device_Set_Current(device.get());
  G_Init_GraphicsEngine();
  Generate(5);
  Pictures(16);
  // Unit pictures: the type's image and small portrait.
  const fs::path units = program.path() / "images" / "units", ui = program.path() / "images" / "ui";
  fs::create_directories(units);
  fs::create_directories(ui);
  Type(UT_INFANTRY).f_image_filename = "Infantry.bmp";
  Type(UT_INFANTRY).f_portrait_small_filename = "InfantryIcon.bmp";
  Write_File(units / "Infantry.bmp", BMP_Encode_24(Picture(16, 16, Make_Color(1, 2, 3))));
  Write_File(units / "InfantryIcon.bmp", BMP_Encode_24(Picture(8, 8, Make_Color(1, 2, 3))));
  Write_File(ui / "SelectionBox.bmp", BMP_Encode_24(Picture(8, 8, Make_Color(1, 2, 3))));
  // One region's mask is missing: its handle is what the list gives for a
  // missing file.
  std::int32_t missing = 0;
  for (std::int32_t id = map.m_Get_Region_Count(); id >= 1 && missing == 0; --id)
    if (map.m_Get_Region(id)) missing = id;
  fs::remove(Current("RegionSection" + Int_To_Text_Padded(missing, 3, 3) + ".bmp"));

  for (int load = 0; load < 2; ++load) {
    SCOPED_TRACE(load);
    if (load == 0) {
      map.m_Load_Section_Textures();
      map.m_Load_Region_Textures();
      map.m_Load_Unit_Textures();
    } else {
      g_tg_texture_list->m_Unload_Group(3);
      g_tg_texture_list->m_Unload_Group(4);
      g_tg_texture_list->m_Unload_Group(5);
      map.m_Load_Textures();
    }
    ASSERT_EQ(map.m_Get_Section_Count(), 4);
    for (std::int32_t i = 1; i <= 4; ++i) {
      const TGTexture* t = g_tg_texture_list->m_Get_Texture(map.m_Get_Section_Texture(i));
      ASSERT_NE(t, nullptr);
      EXPECT_EQ(t->m_Group(), 3);
      EXPECT_EQ(t->m_Image_Width(), 1024);
      EXPECT_FALSE(t->m_Color_Key_On());
      EXPECT_FALSE(map.m_Get_Section_Loaded(i));
    }
    EXPECT_EQ(map.m_Get_Section_Texture(5), 0);
    for (std::int32_t id = 1; id <= map.m_Get_Region_Count(); ++id) {
      if (!map.m_Get_Region(id)) continue;
      const TGTexture* t = g_tg_texture_list->m_Get_Texture(map.m_Get_Region_Texture(id));
      if (id == missing) {
        EXPECT_EQ(map.m_Get_Region_Texture(id), 0);
        continue;
      }
      ASSERT_NE(t, nullptr) << id;
      EXPECT_EQ(t->m_Group(), 4);
      EXPECT_TRUE(t->m_Color_Key_On());
    }
    const TGTexture* picture = g_tg_texture_list->m_Get_Texture(map.m_Get_Unit_Type_Texture(UT_INFANTRY));
    const TGTexture* icon = g_tg_texture_list->m_Get_Texture(map.m_Get_Unit_Type_Icon(UT_INFANTRY));
    ASSERT_NE(picture, nullptr);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(picture->m_Image_Width(), 16);
    EXPECT_EQ(icon->m_Image_Width(), 8);
    EXPECT_EQ(picture->m_Group(), 5);
    EXPECT_EQ(map.m_Get_Unit_Type_Texture(UT_TRUCK), 0);
    ASSERT_NE(g_tg_texture_list->m_Get_Texture(map.m_Get_Selection_Box_Texture()), nullptr);
  }
  G_Shutdown_GraphicsEngine();
  Render_Device_Set_Current(nullptr);
}

// The masks of a world just made become one-byte textures (a quarter of
// the padded 32-bit ones), made when first drawn, and every way a region
// is drawn over the map (owner
// tint, haze, highlight) gives the same pixels as from the padded 32-bit
// textures read from the mask files: under both address modes, smoothed
// and not, the region shrunk onto the screen and a corner of it enlarged.
TEST_F(Map_Pictures, MasksDrawnFromTheirOwnSmallTexturesGiveThePixelsOfThePaddedPictures) {
  TDevice_Params params;
  params.Width = 160;
  params.Height = 120;
  auto device = std::make_unique<TRender_Device_Headless>(params);
  Render_Device_Set_Current(device.get());
  G_Init_GraphicsEngine();
  Generate(5);
  Pictures(16);
  map.m_Load_Region_Textures();
  std::vector<std::int32_t> fresh(std::size_t(map.m_Get_Region_Count()), 0), padded = fresh;
  std::uint64_t fresh_bytes = 0, padded_bytes = 0;
  for (std::int32_t id = 1; id <= map.m_Get_Region_Count(); ++id) {
    if (!map.m_Get_Region(id)) continue;
    fresh[std::size_t(id - 1)] = map.m_Get_Region_Texture(id);
    const TGTexture* t = g_tg_texture_list->m_Get_Texture(fresh[std::size_t(id - 1)]);
    ASSERT_NE(t, nullptr) << id;
    ASSERT_NE(t->m_Mask(), nullptr) << id;
    EXPECT_FALSE(t->m_Mask_Uploaded()) << id;
    // The same file read the way every picture is: 32 bits a texel, padded
    // to powers of two, black keyed away (under another name, or the list
    // would hand out the mask again).
    const std::string name = "Padded" + Int_To_Text_Padded(id, 3, 3) + ".bmp";
    fs::copy_file(Current("RegionSection" + Int_To_Text_Padded(id, 3, 3) + ".bmp"), Current(name));
    padded[std::size_t(id - 1)] =
        g_tg_texture_list->m_Load_Texture(Design_Path(Current(name).string()), 4, TEXTURE_COLOR_KEY_BLACK);
    const TGTexture* old = g_tg_texture_list->m_Get_Texture(padded[std::size_t(id - 1)]);
    ASSERT_NE(old, nullptr) << id;
    EXPECT_EQ(old->m_Image_Width(), t->m_Image_Width()) << id;
    EXPECT_EQ(old->m_Image_Height(), t->m_Image_Height()) << id;
    padded_bytes += 4ull * std::uint64_t(old->m_Texture_Width()) * std::uint64_t(old->m_Texture_Height());
  }

  const TColor ground = Make_Color(70, 120, 40);
  const TColor tint = Make_Color(200, 30, 30);
  std::int64_t covered = 0, uncovered = 0;
  for (std::int32_t id = 1; id <= map.m_Get_Region_Count(); ++id) {
    const TMap_Region* r = map.m_Get_Region(id);
    if (!r) continue;
    std::int32_t left, top, right, bottom;
    r->m_Get_Bounds(left, top, right, bottom);
    const float ph = float(map.m_Get_Pixel_Height());
    // Views of the map plane (y upwards): the whole region, and its top
    // left corner 32 x 24 map pixels large.
    const struct {
      float x0, y0, x1, y1;
    } views[] = {{float(left) - 4, ph - float(bottom) - 4, float(right) + 4, ph - float(top) + 4},
                 {float(left) - 2, ph - float(top) - 22, float(left) + 30, ph - float(top) + 2}};
    for (const auto& view : views)
      for (std::uint32_t address : {D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP})
        for (std::uint32_t filter : {D3DTEXF_LINEAR, D3DTEXF_POINT}) {
          SCOPED_TRACE(testing::Message() << "region " << id << " address " << address << " filter " << filter);
          std::vector<TColor> shown[2];
          for (int k = 0; k < 2; ++k) {
            map.m_Set_Region_Textures(k == 0 ? fresh : padded);
            TMatrix projection;
            projection.m[0][0] = 2.0f / (view.x1 - view.x0);
            projection.m[1][1] = 2.0f / (view.y1 - view.y0);
            projection.m[2][2] = 1.0f;
            projection.m[3][0] = -(view.x1 + view.x0) / (view.x1 - view.x0);
            projection.m[3][1] = -(view.y1 + view.y0) / (view.y1 - view.y0);
            projection.m[3][2] = 0.5f;
            projection.m[3][3] = 1.0f;
            G_SetTransform(D3DTS_PROJECTION, projection);
            G_SetSamplerState_AddressU(address);
            G_SetSamplerState_AddressV(address);
            G_SetSamplerState_MinFilter(filter);
            G_SetSamplerState_MagFilter(filter);
            ASSERT_EQ(device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, ground, 1.0f, 0), S_OK);
            Map_Draw_Region_Tint(map, id, tint);
            Map_Draw_Hidden_Region(map, id);
            Map_Draw_Highlighted_Region(map, id, true);
            std::uint32_t w = 0, h = 0;
            ASSERT_EQ(device->Read_Surface(device->Get_BackBuffer_Surface(), w, h, shown[k]), S_OK);
          }
          ASSERT_EQ(shown[0].size(), shown[1].size());
          std::int64_t differ = 0;
          for (std::size_t i = 0; i < shown[0].size(); ++i) {
            differ += shown[0][i] != shown[1][i] ? 1 : 0;
            if (shown[1][i] == (ground | 0xFF000000u)) ++uncovered;
            else ++covered;
          }
          EXPECT_EQ(differ, 0);
        }
    const TGTexture* t = g_tg_texture_list->m_Get_Texture(fresh[std::size_t(id - 1)]);
    EXPECT_TRUE(t->m_Mask_Uploaded());
    TSurface_Desc desc;
    ASSERT_EQ(device->Get_Level_Desc(t->m_Texture(), 0, desc), S_OK);
    EXPECT_EQ(desc.Format, DEVICE_FMT_I8);
    EXPECT_EQ(std::int32_t(desc.Width), Mask_Texture_Side(t->m_Image_Width()));
    EXPECT_EQ(std::int32_t(desc.Height), Mask_Texture_Side(t->m_Image_Height()));
    fresh_bytes += std::uint64_t(desc.Width) * desc.Height;
  }
  // The masks decided what was drawn, and took a fraction of the memory.
  EXPECT_GT(covered, 0);
  EXPECT_GT(uncovered, 0);
  EXPECT_EQ(fresh_bytes * 4, padded_bytes);
  G_Shutdown_GraphicsEngine();
  Render_Device_Set_Current(nullptr);
}

// The overview of owners and unexplored land draws each region from a small
// shape taken once from its mask, of the overview's pixels under it: the
// same pixels as drawn from the padded 32-bit pictures read from the mask
// files, whoever looks, under both address modes and when drawn again, and
// the full masks are not left on the device for it.
TEST_F(Map_Pictures, TheOverviewDrawnFromSmallShapesOfTheMasksGivesThePixelsOfTheFullPictures) {
  auto device = Headless_Engine_Start(64, 48);
  // The game's frame setup takes alpha from the texture and the vertex colour.
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  Generate(5);
  Pictures(16);
  map.m_Load_Region_Textures();
  const std::int32_t count = map.m_Get_Region_Count();
  std::vector<std::int32_t> fresh(std::size_t(count), 0), padded = fresh;
  for (std::int32_t id = 1; id <= count; ++id) {
    if (!map.m_Get_Region(id)) continue;
    fresh[std::size_t(id - 1)] = map.m_Get_Region_Texture(id);
    ASSERT_NE(g_tg_texture_list->m_Get_Texture(fresh[std::size_t(id - 1)])->m_Mask(), nullptr) << id;
    const std::string name = "Padded" + Int_To_Text_Padded(id, 3, 3) + ".bmp";
    fs::copy_file(Current("RegionSection" + Int_To_Text_Padded(id, 3, 3) + ".bmp"), Current(name));
    padded[std::size_t(id - 1)] =
        g_tg_texture_list->m_Load_Texture(Design_Path(Current(name).string()), 4, TEXTURE_COLOR_KEY_BLACK);
    ASSERT_NE(g_tg_texture_list->m_Get_Texture(padded[std::size_t(id - 1)]), nullptr) << id;
  }
  // Two nations and a neutral empire; land owned in turn, and each nation
  // knows a part of the regions.
  empires.m_Create_Empires(3);
  empires.m_Get_Empire(1)->m_Set_Color(Make_Color(200, 0, 0));
  empires.m_Get_Empire(2)->m_Set_Color(Make_Color(0, 0, 200));
  empires.m_Get_Empire(3)->m_Set_Neutral(true);
  for (std::int32_t e = 1; e <= 3; ++e) empires.m_Get_Empire(e)->m_Resize_Known_Regions(count);
  for (std::int32_t id = 1; id <= count; ++id) {
    TMap_Region* r = map.m_Get_Region(id);
    if (!r) continue;
    if (r->m_Get_Type() == REGION_LAND) r->m_Set_Owner(std::uint8_t(id % 4));
    empires.m_Get_Empire(1)->m_Set_Region_Known(id, id % 2 == 1);
    empires.m_Get_Empire(2)->m_Set_Region_Known(id, id % 3 != 0);
  }
  Display_Load_Overview_Map_Textures();
  const TGTexture* target = g_tg_texture_list->m_Get_Texture(Display_Overview_Ownership_Texture);
  ASSERT_NE(target, nullptr);
  const std::pair<std::int32_t, std::int32_t> viewers[] = {{1, 0}, {2, 0}, {1, 2}, {0, 2}, {1, 0}};
  for (const auto& [first, second] : viewers)
    for (std::uint32_t address : {D3DTADDRESS_CLAMP, D3DTADDRESS_WRAP}) {
      SCOPED_TRACE(testing::Message() << "viewers " << first << ", " << second << " address " << address);
      std::vector<TColor> shown[2];
      for (int k = 0; k < 2; ++k) {
        map.m_Set_Region_Textures(k == 0 ? fresh : padded);
        G_SetSamplerState_AddressU(address);
        G_SetSamplerState_AddressV(address);
        Display_Update_Overview_Map_Ownership(first, second);
        TDevice_Surface surface = 0;
        ASSERT_EQ(G_GetSurfaceLevel(0, target, surface), S_OK);
        std::uint32_t w = 0, h = 0;
        ASSERT_EQ(device->Read_Surface(surface, w, h, shown[k]), S_OK);
        G_Release_Surface(surface);
      }
      ASSERT_EQ(shown[0].size(), shown[1].size());
      std::int64_t differ = 0, changed = 0;
      const TColor background = shown[1][0];
      for (std::size_t i = 0; i < shown[0].size(); ++i) {
        differ += shown[0][i] != shown[1][i] ? 1 : 0;
        changed += shown[1][i] != background ? 1 : 0;
      }
      EXPECT_EQ(differ, 0);
      EXPECT_GT(changed, 0);
      for (std::int32_t id = 1; id <= count; ++id) {
        if (!map.m_Get_Region(id)) continue;
        EXPECT_FALSE(g_tg_texture_list->m_Get_Texture(fresh[std::size_t(id - 1)])->m_Mask_Uploaded()) << id;
      }
    }
  Clear_Global_Display();
  G_Shutdown_GraphicsEngine();
  Render_Device_Set_Current(nullptr);
}

// The Tiny map is not cut into whole sections: its last row of sections is
// drawn only as far as the map reaches, every section in its
// place from the map's top, so the sections cover the map exactly, and the
// sea is drawn past all four edges.
TEST_F(Map_Pictures, SectionsCoverTheMapExactlyWhenDrawnAndTheSeaLiesBeyondItsEdges) {
  TDevice_Params params;
  params.Width = 64;
  params.Height = 48;
  auto device = std::make_unique<TRender_Device_Headless>(params);
  Render_Device_Set_Current(device.get());
  G_Init_GraphicsEngine();
  Generate(5);
  Pictures(16);
  map.m_Load_Section_Textures();
  const std::int32_t w = map.m_Get_Pixel_Width(), h = map.m_Get_Pixel_Height();
  ASSERT_EQ(w, 2048);
  ASSERT_GT(h, 1024);
  ASSERT_LT(h, 2048);
  ASSERT_EQ(map.m_Get_Section_Count(), 4);
  device->Set_Recording(true);
  device->Clear_Draw_Records();
  TMap_View().m_Draw(map, 0, true, 0, true);
  struct TQuad {
    float left, bottom, right, top, u, v;
  };
  std::map<std::int32_t, TQuad> sections;  // by section number
  std::vector<TQuad> sea;
  for (const TDraw_Record& rec : device->Draw_Records()) {
    std::int32_t section = 0;
    for (std::int32_t i = 1; i <= 4; ++i)
      if (rec.texture != 0 && rec.texture == g_tg_texture_list->m_Get_Texture(map.m_Get_Section_Texture(i))->m_Texture())
        section = i;
    for (std::uint32_t q = 0; q < rec.m_Vertex_Count() / 4; ++q) {
      TQuad quad{1e9f, 1e9f, -1e9f, -1e9f, 0, 0};
      for (std::uint32_t k = 0; k < 4; ++k) {
        const TDevice_LVertex c = rec.m_LVertex(q * 4 + k);
        quad.left = std::min(quad.left, c.x);
        quad.right = std::max(quad.right, c.x);
        quad.bottom = std::min(quad.bottom, c.y);
        quad.top = std::max(quad.top, c.y);
        quad.u = std::max(quad.u, c.tu);
        quad.v = std::max(quad.v, c.tv);
        if (section == 0 && rec.texture == 0) EXPECT_EQ(c.diffuse & 0xFFFFFFu, 0x0C1E34u);
      }
      if (section != 0) sections[section] = quad;
      else if (rec.texture == 0) sea.push_back(quad);
    }
  }
  // Sections are numbered column by column from the map's top left.
  ASSERT_EQ(sections.size(), 4u);
  const float fw = float(w), fh = float(h);
  const struct {
    std::int32_t n;
    TQuad want;
  } table[] = {{1, {0, fh - 1024, 1024, fh, 1, 1}},
               {2, {0, 0, 1024, fh - 1024, 1, (fh - 1024) / 1024}},
               {3, {1024, fh - 1024, fw, fh, (fw - 1024) / 1024, 1}},
               {4, {1024, 0, fw, fh - 1024, (fw - 1024) / 1024, (fh - 1024) / 1024}}};
  for (const auto& row : table) {
    SCOPED_TRACE(row.n);
    const TQuad& got = sections[row.n];
    EXPECT_FLOAT_EQ(got.left, row.want.left);
    EXPECT_FLOAT_EQ(got.bottom, row.want.bottom);
    EXPECT_FLOAT_EQ(got.right, row.want.right);
    EXPECT_FLOAT_EQ(got.top, row.want.top);
    EXPECT_NEAR(got.u, row.want.u, 1e-5);
    EXPECT_NEAR(got.v, row.want.v, 1e-5);
  }
  // The sea: four quads that meet the map's edges and reach far past them.
  ASSERT_EQ(sea.size(), 4u);
  double sea_inside = 0;
  for (const TQuad& q : sea) {
    const float l = std::max(q.left, 0.0f), r = std::min(q.right, fw);
    const float b = std::max(q.bottom, 0.0f), t = std::min(q.top, fh);
    if (l < r && b < t) sea_inside += double(r - l) * double(t - b);
  }
  EXPECT_EQ(sea_inside, 0.0);
  EXPECT_LE(sea[0].left, -10000.0f);
  EXPECT_GE(sea[0].right, fw + 10000.0f);
  EXPECT_FLOAT_EQ(sea[0].bottom, fh);
  EXPECT_FLOAT_EQ(sea[1].top, 0.0f);
  EXPECT_FLOAT_EQ(sea[2].right, 0.0f);
  EXPECT_FLOAT_EQ(sea[3].left, fw);
  device->Set_Recording(false);
  G_Shutdown_GraphicsEngine();
  Render_Device_Set_Current(nullptr);
}

}  // namespace
