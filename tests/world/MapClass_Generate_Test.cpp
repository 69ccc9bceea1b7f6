// World generation: the terrain grid, land and water, and the regions with
// their colours and names, on the map types and terrain tiles of the
// default game type.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "Datafile_MapTypes.h"
#include "Datafile_TerrainTiles.h"
#include "Errors.h"
#include "Global.h"
#include "MapClass.h"
#include "Native_Path.h"
#include "Test_Support.h"

namespace {
std::string Data_File(const std::string& name) { return Design_Path((Source_Dir() / "data" / name).string()); }

std::vector<std::string> Region_Names() {
  std::vector<std::string> names;
  std::string text = Read_File(Source_Dir() / "data" / "RegionNames.txt"), line;
  for (char c : text) {
    if (c == '\n') {
      names.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  if (!line.empty()) names.push_back(line);
  return names;
}

class Map_Generate : public ::testing::Test {
protected:
  void SetUp() override {
    f_saved_types = Map_Type_List;
    f_saved_tiles = Terrain_Tile_List;
    Map_Type_List = nullptr;
    Terrain_Tile_List = nullptr;
    ASSERT_TRUE(Datafile_MapTypes_Load(Data_File("MapTypes.txt"), nullptr));
    ASSERT_TRUE(Datafile_TerrainTiles_Load(Data_File("Terrain_Tiles.txt"), nullptr));
  }
  void TearDown() override {
    Datafile_MapTypes_Free();
    Datafile_TerrainTiles_Free();
    Map_Type_List = f_saved_types;
    Terrain_Tile_List = f_saved_tiles;
  }

  // Runs the terrain steps and the region kinds 1 and 2 on a map.
  static void Generate(TMap& map, const std::string& map_type, std::uint32_t seed) {
    Random_Set_Seed(seed);
    map.m_Set_Map_Type_Name(map_type);
    map.m_Select_Map_Type();
    for (std::int32_t step = 1; step <= 12; ++step) map.m_Generate_Terrain(step);
    map.m_Generate_Regions(1);
    map.m_Generate_Regions(2);
  }

  static std::vector<TTerrain_Cell> Cells(const TMap& map) {
    std::vector<TTerrain_Cell> cells;
    for (std::int32_t x = 0; x <= map.m_Get_Grid_Width(); ++x)
      for (std::int32_t y = 0; y <= map.m_Get_Grid_Height(); ++y) cells.push_back(map.m_Get_Terrain_Cell(x, y));
    return cells;
  }
  static std::vector<std::uint16_t> Work_Regions(const TMap& map) {
    std::vector<std::uint16_t> regions;
    for (std::int32_t x = 0; x <= map.m_Get_Grid_Width(); ++x)
      for (std::int32_t y = 0; y <= map.m_Get_Grid_Height(); ++y) regions.push_back(map.m_Get_Work_Region(x, y));
    return regions;
  }

  // A map type of the given size and growth, added to the current list.
  static TMap_Type& Add_Type(const std::string& name, std::int32_t w, std::int32_t h, std::int32_t seeds) {
    auto t = std::make_unique<TMap_Type>();
    t->f_name = name;
    t->f_map_width = w;
    t->f_map_height = h;
    t->f_starting_land = seeds;
    t->f_expand_radius = 3;
    t->f_land_chance_horizontal = 92;
    t->f_land_chance_vertical = 88;
    t->f_glob_land_radius = 1;
    t->f_base_land_region_amount = 10;
    t->f_base_ocean_region_amount = 5;
    TMap_Type& ref = *t;
    Map_Type_List->m_Add(std::move(t));
    return ref;
  }

private:
  TMap_Type_List* f_saved_types = nullptr;
  TTerrain_Tile_List* f_saved_tiles = nullptr;
};

// Checks the regions of the work grid: every cell has one, each region is
// one piece (4-connected), and the kind table agrees with the cells.
void Expect_Valid_Regions(const TMap& map) {
  const std::int32_t W = map.m_Get_Grid_Width(), H = map.m_Get_Grid_Height();
  const std::int32_t count = map.m_Get_Region_Counter();
  ASSERT_GT(count, 0);
  std::vector<std::int32_t> cells(std::size_t(count) + 1, 0), seen(std::size_t(count) + 1, 0);
  for (std::int32_t x = 0; x <= W; ++x)
    for (std::int32_t y = 0; y <= H; ++y) {
      const std::int32_t r = map.m_Get_Work_Region(x, y);
      ASSERT_GE(r, 1) << x << "," << y;
      ASSERT_LE(r, count);
      ++cells[std::size_t(r)];
      const std::uint16_t kind = map.m_Get_Work_Kind(x, y);
      if (kind != 0) {
        EXPECT_EQ(map.m_Get_Region_Kind_Entry(r), kind) << r;
      }
    }
  for (std::int32_t r = 1; r <= count; ++r) EXPECT_GT(cells[std::size_t(r)], 0) << "region " << r << " is empty";
  // Flood each region from its first cell.
  for (std::int32_t x = 0; x <= W; ++x)
    for (std::int32_t y = 0; y <= H; ++y) {
      const std::int32_t r = map.m_Get_Work_Region(x, y);
      if (seen[std::size_t(r)]) continue;
      std::set<std::pair<std::int32_t, std::int32_t>> reached{{x, y}};
      std::vector<std::pair<std::int32_t, std::int32_t>> stack{{x, y}};
      while (!stack.empty()) {
        auto [cx, cy] = stack.back();
        stack.pop_back();
        const std::pair<std::int32_t, std::int32_t> next[4] = {{cx - 1, cy}, {cx + 1, cy}, {cx, cy - 1}, {cx, cy + 1}};
        for (auto n : next)
          if (map.m_Get_Work_Region(n.first, n.second) == r && reached.insert(n).second) stack.push_back(n);
      }
      seen[std::size_t(r)] = std::int32_t(reached.size());
      EXPECT_EQ(std::int32_t(reached.size()), cells[std::size_t(r)]) << "region " << r << " is in pieces";
    }
}
}  // namespace

TEST_F(Map_Generate, WithoutMapTypeTheGridIs193By97) {
  Datafile_MapTypes_Free();
  TMap map;
  map.m_Select_Map_Type();
  EXPECT_EQ(map.m_Get_Map_Type(), nullptr);
  EXPECT_EQ(map.m_Get_Grid_Width(), 192);
  EXPECT_EQ(map.m_Get_Grid_Height(), 96);
  for (std::int32_t step = 1; step <= 3; ++step) map.m_Generate_Terrain(step);
  // No land was seeded; the border is water, the inside undecided.
  EXPECT_EQ(map.m_Get_Terrain_Cell(192, 96).cell_class, TERRAIN_CLASS_WATER);
  EXPECT_EQ(map.m_Get_Terrain_Cell(192, 96).tile, map.m_Get_Base_Ocean_Tile());
  EXPECT_EQ(map.m_Get_Terrain_Cell(96, 48).cell_class, TERRAIN_CLASS_UNDECIDED);
  EXPECT_EQ(map.m_Get_Terrain_Cell(193, 0), TTerrain_Cell{});
  EXPECT_EQ(map.m_Get_Terrain_Cell(0, -1), TTerrain_Cell{});
  // Smoothing and strait cleaning leave undecided cells alone.
  map.m_Generate_Terrain(4);
  map.m_Generate_Terrain(8);
  EXPECT_EQ(map.m_Get_Terrain_Cell(96, 48).cell_class, TERRAIN_CLASS_UNDECIDED);
  map.m_Clear_Generation_Data();
  EXPECT_EQ(map.m_Get_Grid_Width(), 0);
  EXPECT_EQ(map.m_Get_Terrain_Cell(0, 0), TTerrain_Cell{});
}

TEST_F(Map_Generate, TheLastMapTypeOfTheNameIsTakenAndAnUnknownOrEmptyNameTakesTheFirst) {
  Add_Type("twin", 40, 30, 2);
  Add_Type("TWIN", 50, 36, 2);
  TMap map;
  map.m_Set_Map_Type_Name("Twin");
  map.m_Select_Map_Type();
  EXPECT_EQ(map.m_Get_Grid_Width(), 50);
  EXPECT_EQ(map.m_Get_Grid_Height(), 36);
  map.m_Set_Map_Type_Name("No Such Type");
  map.m_Select_Map_Type();
  ASSERT_NE(map.m_Get_Map_Type(), nullptr);
  EXPECT_EQ(map.m_Get_Map_Type()->f_name, Map_Type_List->m_Get_Item(1)->f_name);
  // An empty name (a new game with default settings) takes the first too.
  map.m_Set_Map_Type_Name("");
  map.m_Select_Map_Type();
  ASSERT_NE(map.m_Get_Map_Type(), nullptr);
  EXPECT_EQ(map.m_Get_Map_Type()->f_name, Map_Type_List->m_Get_Item(1)->f_name);
  EXPECT_EQ(map.m_Get_Grid_Width(), 64);
  // The base tiles are the first of their types.
  EXPECT_EQ(Terrain_Tile_List->m_Get_Item(std::uint16_t(map.m_Get_Base_Land_Tile()))->f_terrain_type,
            TERRAIN_TILE_BASE_LAND);
  EXPECT_EQ(Terrain_Tile_List->m_Get_Item(std::uint16_t(map.m_Get_Base_Ocean_Tile()))->f_terrain_type,
            TERRAIN_TILE_BASE_OCEAN);
  // The map keeps its own copy when the list goes.
  Datafile_MapTypes_Free();
  EXPECT_EQ(map.m_Get_Map_Type()->f_map_width, 64);
}

TEST_F(Map_Generate, TheSameSeedGivesTheSameWorld) {
  TMap a, b;
  Generate(a, "Small", 4711);
  Generate(b, "Small", 4711);
  EXPECT_EQ(Cells(a), Cells(b));
  EXPECT_EQ(Work_Regions(a), Work_Regions(b));
  TMap c;
  Generate(c, "Small", 4712);
  EXPECT_NE(Cells(a), Cells(c));
}

TEST_F(Map_Generate, EveryDefaultMapTypeGivesAValidWorld) {
  const std::vector<std::string> names = Region_Names();
  for (std::uint16_t t = 1; t <= Map_Type_List->m_Count(); ++t) {
    const TMap_Type& type = *Map_Type_List->m_Get_Item(t);
    SCOPED_TRACE(type.f_name);
    TMap map;
    Random_Set_Seed(1000 + t);
    map.m_Set_Map_Type_Name(type.f_name);
    map.m_Select_Map_Type();
    const std::int32_t W = type.f_map_width, H = type.f_map_height;
    for (std::int32_t step = 1; step <= 3; ++step) map.m_Generate_Terrain(step);
    // Growth and thickening keep land five cells away from every edge.
    std::int32_t land = 0;
    for (std::int32_t x = 0; x <= W; ++x)
      for (std::int32_t y = 0; y <= H; ++y) {
        const TTerrain_Cell c = map.m_Get_Terrain_Cell(x, y);
        if (c.cell_class != TERRAIN_CLASS_LAND) continue;
        ++land;
        EXPECT_TRUE(x >= 5 && x <= W - 5 && y >= 5 && y <= H - 5) << x << "," << y;
      }
    EXPECT_GT(land, 0);
    for (std::int32_t step = 4; step <= 12; ++step) map.m_Generate_Terrain(step);
    // Every cell holds a tile of its class.
    std::int32_t mountains = 0;
    for (std::int32_t x = 0; x <= W; ++x)
      for (std::int32_t y = 0; y <= H; ++y) {
        const TTerrain_Cell c = map.m_Get_Terrain_Cell(x, y);
        ASSERT_GE(c.tile, 1);
        const std::uint16_t kind = Terrain_Tile_List->m_Get_Item(std::uint16_t(c.tile))->f_terrain_type;
        if (kind == TERRAIN_TILE_MOUNTAINS) ++mountains;
        if (c.cell_class == TERRAIN_CLASS_WATER) {
          EXPECT_TRUE(kind == TERRAIN_TILE_BASE_OCEAN || kind == TERRAIN_TILE_OCEAN || kind == TERRAIN_TILE_OCEAN_BORDER);
        } else {
          EXPECT_EQ(c.cell_class, TERRAIN_CLASS_LAND);
          EXPECT_NE(kind, TERRAIN_TILE_OCEAN_BORDER);
        }
      }
    EXPECT_GT(mountains, 0);
    map.m_Generate_Regions(1);
    map.m_Generate_Regions(2);
    Expect_Valid_Regions(map);
    const std::int32_t count = map.m_Get_Region_Counter();
    EXPECT_LT(count, 500);
    map.m_Create_Region_Objects(names);
    ASSERT_EQ(map.m_Get_Region_Count(), count);
    std::set<std::string> land_names;
    std::set<TColor> colors;
    std::int32_t lands = 0, oceans = 0;
    for (std::int32_t r = 1; r <= count; ++r) {
      const TMap_Region* region = map.m_Get_Region(r);
      const std::uint8_t kind = map.m_Get_Region_Kind_Entry(r);
      if (kind == 0) {
        EXPECT_EQ(region, nullptr) << r;
        continue;
      }
      ASSERT_NE(region, nullptr) << r;
      EXPECT_EQ(region->m_Get_Id(), r);
      EXPECT_EQ(region->m_Get_Type(), kind);
      EXPECT_TRUE(colors.insert(region->m_Get_Color()).second);
      const TColor c = region->m_Get_Color();
      for (std::uint8_t part : {Color_Red(c), Color_Green(c), Color_Blue(c)}) {
        EXPECT_GE(part, 70);
        EXPECT_LE(part, 250);
      }
      if (kind == REGION_LAND) {
        ++lands;
        EXPECT_TRUE(land_names.insert(region->m_Get_Name()).second) << region->m_Get_Name();
        EXPECT_NE(std::find(names.begin(), names.end(), region->m_Get_Name()), names.end());
        EXPECT_EQ(region->m_Label_Text(), region->m_Get_Name());
      } else {
        ++oceans;
        char expected[32];
        std::snprintf(expected, sizeof expected, "Ocean %03d", oceans);
        EXPECT_EQ(region->m_Get_Name(), expected);
        EXPECT_EQ(region->m_Label_Text(), std::string(expected).substr(6));
      }
    }
    EXPECT_GT(lands, 1);
    EXPECT_GT(oceans, 1);
    // Small regions that have a neighbour of their kind were merged.
    std::map<std::int32_t, std::int32_t> sizes;
    for (std::int32_t x = 0; x <= W; ++x)
      for (std::int32_t y = 0; y <= H; ++y) ++sizes[map.m_Get_Work_Region(x, y)];
    for (std::int32_t x = 0; x <= W; ++x)
      for (std::int32_t y = 0; y <= H; ++y) {
        const std::int32_t r = map.m_Get_Work_Region(x, y);
        const std::uint16_t kind = map.m_Get_Work_Kind(x, y);
        if (sizes[r] > (kind == REGION_OCEAN ? 12 : 8)) continue;
        for (auto [nx, ny] : {std::pair{x + 1, y}, std::pair{x, y + 1}}) {
          const std::int32_t other = map.m_Get_Work_Region(nx, ny);
          if (other != 0 && other != r) {
            EXPECT_NE(map.m_Get_Work_Kind(nx, ny), kind) << r << " beside " << other;
          }
        }
      }
  }
}

TEST_F(Map_Generate, SmallGridsGenerateWithoutFault) {
  // Grids too small for the seeding margin, the edge rules or the strait
  // and smoothing windows.
  for (auto [w, h] : {std::pair{0, 0}, std::pair{1, 1}, std::pair{5, 3}, std::pair{12, 12}, std::pair{20, 14}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    Add_Type("Little", w, h, 3);
    TMap map;
    Generate(map, "Little", 7);
    EXPECT_EQ(map.m_Get_Grid_Width(), w);
    EXPECT_EQ(map.m_Get_Terrain_Cell(w, h).cell_class, TERRAIN_CLASS_WATER);
    Expect_Valid_Regions(map);
    map.m_Create_Region_Objects({});
    EXPECT_EQ(map.m_Get_Region_Count(), map.m_Get_Region_Counter());
  }
}

TEST_F(Map_Generate, AMapSizeOutsideTheGridLimitsIsRefused) {
  for (auto [w, h] : {std::pair{-1, 10}, std::pair{10, -3}, std::pair{10000, 10}}) {
    Add_Type("Bad", w, h, 1);
    TMap map;
    map.m_Set_Map_Type_Name("Bad");
    map.m_Select_Map_Type();
    EXPECT_THROW(map.m_Generate_Terrain(1), ERangeError);
  }
}

TEST_F(Map_Generate, WithoutMountainTilesNoMountainsRise) {
  // The same tiles without the mountains: step 10 leaves the grid as it is.
  Datafile_TerrainTiles_Free();
  ASSERT_TRUE(Datafile_TerrainTiles_Load(Data_File("Terrain_Tiles.txt"), nullptr));
  auto without = std::make_unique<TTerrain_Tile_List>();
  for (std::uint16_t i = 1; i <= Terrain_Tile_List->m_Count(); ++i) {
    const TTerrain_Tile& t = *Terrain_Tile_List->m_Get_Item(i);
    if (t.f_terrain_type != TERRAIN_TILE_MOUNTAINS) without->m_Add(std::make_unique<TTerrain_Tile>(t));
  }
  Datafile_TerrainTiles_Free();
  Terrain_Tile_List = without.release();
  TMap map;
  Random_Set_Seed(99);
  map.m_Set_Map_Type_Name("Small");
  map.m_Select_Map_Type();
  for (std::int32_t step = 1; step <= 9; ++step) map.m_Generate_Terrain(step);
  const std::vector<TTerrain_Cell> before = Cells(map);
  const std::uint32_t seed = Random_Get_Seed();
  map.m_Generate_Terrain(10);
  EXPECT_EQ(Cells(map), before);
  EXPECT_EQ(Random_Get_Seed(), seed);
}

TEST_F(Map_Generate, LandNamesSkipBlankAndRepeatedLinesAndRunOutIntoNumbers) {
  TMap map;
  Generate(map, "Tiny", 31);
  std::int32_t lands = 0;
  for (std::int32_t r = 1; r <= map.m_Get_Region_Counter(); ++r) lands += map.m_Get_Region_Kind_Entry(r) == REGION_LAND;
  ASSERT_GE(lands, 4);
  map.m_Create_Region_Objects({"Alpha", "", "  ", "alpha", "Beta ", "Beta"});
  std::multiset<std::string> got;
  for (std::int32_t r = 1; r <= map.m_Get_Region_Count(); ++r)
    if (const TMap_Region* region = map.m_Get_Region(r); region && region->m_Get_Type() == REGION_LAND)
      got.insert(region->m_Get_Name());
  std::multiset<std::string> expected{"Alpha", "Beta"};
  for (std::int32_t n = 1; n <= lands - 2; ++n) {
    char text[24];
    std::snprintf(text, sizeof text, "Land %03d", n);
    expected.insert(text);
  }
  EXPECT_EQ(got, expected);
}

TEST_F(Map_Generate, GrowingWithoutWorkGridsDoesNothing) {
  TMap map;
  EXPECT_FALSE(map.m_Grow_Regions_Once());
  map.m_Generate_Regions(2);
  EXPECT_EQ(map.m_Get_Region_Counter(), 0);
  map.m_Generate_Regions(3);
  EXPECT_EQ(map.m_Get_Region_Count(), 0);
}

TEST_F(Map_Generate, ThickeningWidensLandOnlyWithAGlobRadiusButAlwaysDrownsTheBorder) {
  for (std::int32_t radius : {0, 2}) {
    SCOPED_TRACE(radius);
    TMap_Type& type = Add_Type("Globs", 60, 40, 3);
    type.f_glob_land_radius = radius;
    TMap map;
    Random_Set_Seed(5);
    map.m_Set_Map_Type_Name("Globs");
    map.m_Select_Map_Type();
    map.m_Generate_Terrain(1);
    map.m_Generate_Terrain(2);
    std::int32_t before = 0, after = 0;
    for (const TTerrain_Cell& c : Cells(map)) before += c.cell_class == TERRAIN_CLASS_LAND;
    map.m_Generate_Terrain(3);
    for (const TTerrain_Cell& c : Cells(map)) after += c.cell_class == TERRAIN_CLASS_LAND;
    if (radius == 0) {
      EXPECT_EQ(after, before);
    } else {
      EXPECT_GT(after, before);
    }
    for (std::int32_t x = 0; x <= 60; ++x)
      for (std::int32_t y : {0, 40}) EXPECT_EQ(map.m_Get_Terrain_Cell(x, y).cell_class, TERRAIN_CLASS_WATER);
    for (std::int32_t y = 0; y <= 40; ++y)
      for (std::int32_t x : {0, 60}) EXPECT_EQ(map.m_Get_Terrain_Cell(x, y).cell_class, TERRAIN_CLASS_WATER);
    for (std::int32_t x = 0; x <= 60; ++x)
      for (std::int32_t y = 0; y <= 40; ++y)
        if (map.m_Get_Terrain_Cell(x, y).cell_class == TERRAIN_CLASS_LAND) {
          EXPECT_TRUE(x >= 5 && x <= 54 && y >= 5 && y <= 34) << x << "," << y;
        }
  }
}
