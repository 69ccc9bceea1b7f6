#include <gtest/gtest.h>

#include "Datafile_TerrainTiles.h"
#include "Image_Files.h"
#include "Test_Support.h"

namespace {
const std::string Head = "Tiles\n*BEGIN*\ntitle\nnote\n";

std::string Tile(const std::string& bitmap, const std::string& type, const std::string& base = "0",
                 const std::string& specific = "0", const std::string& weight = "1") {
  return "Tile Bitmap := " + bitmap + "\nTile Basic Bitmap := b_" + bitmap + "\nType := " + type +
         "\nTile Rotate := 90\nBase Connections := " + base + "\nSpecific Connections := " + specific +
         "\nWeight := " + weight + "\n\n";
}

// Loads a file into a fresh list and returns the loader's error lines.
std::vector<std::string> Load(const std::string& body, TTerrain_Tile_List& list) {
  TTemp_Dir dir;
  Write_File(dir.path() / "t.txt", Head + body);
  TTerrain_Tile_Data_File_Loader loader(dir.design() + "t.txt", list);
  loader.m_Load();
  return loader.m_Get_Errors();
}

const std::string Base_Tiles = Tile("land.png", "Base Land") + Tile("sea.png", "Base Ocean");
}  // namespace

TEST(Datafile_TerrainTiles, TypeNames) {
  struct Row {
    const char* name;
    std::uint16_t type;
  } rows[] = {{"Base Land", 1}, {"Land", 2},      {"Shore Border", 3}, {"Base Ocean", 4}, {"Ocean", 5},
              {"Ocean Border", 6}, {"Mountains", 7}, {"mountains", 7},   {"BASE OCEAN", 4}, {"Hills", 0},
              {"", 0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Terrain_Tile_Type_From_Name(r.name), r.type);
    TTerrain_Tile_List list;
    EXPECT_EQ(Load(Base_Tiles + Tile("x.png", r.name), list), std::vector<std::string>{});
    EXPECT_EQ(list.m_Get_Item(3)->f_terrain_type, r.type);
  }
  EXPECT_EQ(Terrain_Tile_Type_Name(3), "Shore Border");
  EXPECT_EQ(Terrain_Tile_Type_Name(0), "");
  EXPECT_EQ(Terrain_Tile_Type_Name(8), "");
}

TEST(Datafile_TerrainTiles, Connections) {
  struct Row {
    const char* text;
    std::array<std::uint16_t, 8> entries;
    std::vector<std::string> errors;
  } rows[] = {
      {"1 2 3", {1, 2, 3, 3, 3, 3, 3, 3}, {}},
      {"1,000 5", {1000, 5, 5, 5, 5, 5, 5, 5}, {}},
      {"1 2 3 4 5 6 7 8 9", {1, 2, 3, 4, 5, 6, 7, 8}, {}},
      {"  4    5 ", {4, 5, 5, 5, 5, 5, 5, 5}, {}},
      {"65535", {65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535}, {}},
      // Numbers the entries cannot hold are stored as 0, reported once, and the file still loads.
      {"1 65536 2", {1, 0, 2, 2, 2, 2, 2, 2},
       {"Value \"65536\" for Base Connections in record \"x.png\" is outside 0..65535; 0 is used."}},
      {"-1", {0, 0, 0, 0, 0, 0, 0, 0},
       {"Value \"-1\" for Base Connections in record \"x.png\" is outside 0..65535; 0 is used."}},
      {"2 x", {2, 0, 0, 0, 0, 0, 0, 0}, {"Unknown value \"x\" for Base Connections in record \"x.png\"."}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    TTerrain_Tile_List list;
    EXPECT_EQ(Load(Base_Tiles + Tile("x.png", "Land", r.text, r.text), list).size(), r.errors.size() * 2);
    TTerrain_Tile_List list2;
    EXPECT_EQ(Load(Base_Tiles + Tile("x.png", "Land", r.text), list2), r.errors);
    TTerrain_Tile* t = list.m_Get_Item(3);
    ASSERT_NE(t, nullptr);
    for (int i = 1; i <= 8; ++i) {
      EXPECT_EQ(t->m_Get_Base_Connection(i), r.entries[i - 1]) << i;
      EXPECT_EQ(t->m_Get_Specific_Connection(i), r.entries[i - 1]) << i;
    }
    EXPECT_EQ(t->m_Get_Base_Connection(0), 0);
    EXPECT_EQ(t->m_Get_Base_Connection(9), 0);
  }
}

TEST(Datafile_TerrainTiles, FieldsWeightsAndIndices) {
  TTerrain_Tile_List list;
  EXPECT_EQ(Load(Base_Tiles + Tile("x.png", "Ocean", "2 0 2 0 2 0 2 0", "0", "70000") +
                     "Tile Bitmap := y.png\nType := Land\nWeight := 5\n",
                 list),
            (std::vector<std::string>{
                "Value \"70000\" for Weight in record \"x.png\" is outside 0..65535; 65535 is used.",
                "Could not find field \"Tile Basic Bitmap\" in record \"y.png\".",
                "Could not find field \"Tile Rotate\" in record \"y.png\".",
                "Could not find field \"Base Connections\" in record \"y.png\".",
                "Could not find field \"Specific Connections\" in record \"y.png\".",
            }));
  ASSERT_EQ(list.m_Count(), 4);
  TTerrain_Tile* t = list.m_Get_Item(3);
  EXPECT_EQ(t->f_index, 3);
  EXPECT_EQ(t->f_tile_bitmap, "x.png");
  EXPECT_EQ(t->f_tile_basic_bitmap, "b_x.png");
  EXPECT_EQ(t->f_terrain_type, TERRAIN_TILE_OCEAN);
  EXPECT_EQ(t->f_rotate, 90);
  EXPECT_EQ(t->f_weight, 65535);
  EXPECT_EQ(list.m_Get_Item(4)->f_weight, 5);
  EXPECT_EQ(list.m_Get_Total_Weight(), 1 + 1 + 65535 + 5);
  EXPECT_EQ(list.m_Get_Item(0), nullptr);
  EXPECT_EQ(list.m_Get_Item(5), nullptr);
}

TEST(Datafile_TerrainTiles, WorldNeedsBaseTiles) {
  struct Row {
    const char* what;
    std::string body;
    std::vector<std::string> errors;
  } rows[] = {
      {"both", Base_Tiles, {}},
      {"no base ocean", Tile("land.png", "Base Land") + Tile("o.png", "Ocean"),
       {"No terrain tile of type \"Base Ocean\": new worlds cannot be generated."}},
      {"no base land", Tile("sea.png", "Base Ocean"),
       {"No terrain tile of type \"Base Land\": new worlds cannot be generated."}},
      {"empty", "",
       {"No terrain tile of type \"Base Land\": new worlds cannot be generated.",
        "No terrain tile of type \"Base Ocean\": new worlds cannot be generated."}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    TTerrain_Tile_List list;
    EXPECT_EQ(Load(r.body, list), r.errors);
  }
}

TEST(Datafile_TerrainTiles, LoadReplacesTheGlobalList) {
  TTemp_Dir dir;
  Write_File(dir.path() / "t.txt", Head + Base_Tiles);
  EXPECT_TRUE(Datafile_TerrainTiles_Load(dir.design() + "t.txt", nullptr));
  ASSERT_NE(Terrain_Tile_List, nullptr);
  EXPECT_EQ(Terrain_Tile_List->m_Count(), 2);
  Write_File(dir.path() / "t.txt", Head + Tile("a.png", "Land"));
  EXPECT_FALSE(Datafile_TerrainTiles_Load(dir.design() + "t.txt", nullptr));
  EXPECT_EQ(Terrain_Tile_List->m_Count(), 1);
  EXPECT_TRUE(Datafile_TerrainTiles_Free());
  EXPECT_EQ(Terrain_Tile_List, nullptr);
}

TEST(Datafile_TerrainTiles, BasicTilePicturesAre32Pixels) {
  TTemp_Dir dir;
  auto picture = [&](const std::string& name, std::int32_t w, std::int32_t h) {
    TImage image;
    image.Set_Size(w, h);
    Write_File(dir.path() / name, BMP_Encode_24(image));
  };
  picture("b_land.png", 32, 32);
  picture("b_sea.png", 32, 16);
  Write_File(dir.path() / "b_broken.png", "BM not a picture");
  TTerrain_Tile_List list;
  // b_land.png twice is checked once; b_gone.png is not there.
  ASSERT_EQ(Load(Base_Tiles + Tile("land.png", "Land") + Tile("sea.png", "Ocean") + Tile("broken.png", "Land") +
                     Tile("gone.png", "Land"),
                 list),
            std::vector<std::string>{});
  std::vector<std::string> errors = Terrain_Tiles_Check_Basic_Bitmaps(
      list, [&](const std::string& name) { return dir.design() + name; });
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0], "Basic tile picture \"b_sea.png\" is 32 x 16 pixels; basic tiles are 32 x 32.");
  EXPECT_EQ(errors[1].rfind("Basic tile picture \"b_broken.png\" cannot be read: ", 0), 0u) << errors[1];
}
