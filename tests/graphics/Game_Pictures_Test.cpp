// The shipped pictures: every picture that the data files and the code name
// exists, opens and has the size it is drawn at; colour keys hold; terrain
// tiles join without seams and agree with their basic tiles.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "Datafile_BaseGameSettings.h"
#include "Datafile_EffectEmitters.h"
#include "Datafile_TerrainTiles.h"
#include "Datafile_Units.h"
#include "Effects_Fixture.h"
#include "Global.h"
#include "Image_Files.h"
#include "Native_Path.h"
#include "Path.h"
#include "Test_Support.h"

namespace {

constexpr std::uint32_t Land_Marker = 0x05A718, Water_Marker = 0x0A2A4D;

std::uint32_t Rgb_Of(std::uint32_t p) { return p & 0xFFFFFFu; }
std::uint32_t Alpha_Of(std::uint32_t p) { return p >> 24; }

// The game's folders resolved against the source tree, as the game resolves
// them against its program folder.
class Game_Pictures : public ::testing::Test {
protected:
  void SetUp() override {
    f_saved_program = Program_Folder;
    f_saved_paths = Path_Settings;
    Program_Folder = Design_Path((Source_Dir() / "").string());
    Path_Settings = &f_paths;
  }
  void TearDown() override {
    Program_Folder = f_saved_program;
    Path_Settings = f_saved_paths;
  }
  static TImage Open(const std::string& design_path) {
    TImage image;
    std::string error;
    EXPECT_TRUE(Image_Read_File(design_path, image, &error)) << design_path << ": " << error;
    return image;
  }
  static std::string Data(const std::string& name) { return Design_Path((Source_Dir() / "data" / name).string()); }

  TPath_Settings f_paths;

private:
  std::string f_saved_program;
  TPath_Settings* f_saved_paths = nullptr;
};

enum TKey { KEY_NONE, KEY_BLACK, KEY_WHITE };

// Pure black only where a black-keyed picture is clear (in a PNG: where
// its alpha is 0; a 24-bit BMP has no other clear colour); no pure white in a
// white-keyed picture.
void Expect_Key_Kept(const TImage& image, TKey key, const std::string& name) {
  const bool png = name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0;
  std::size_t wrong = 0, black = 0;
  for (std::uint32_t p : image.pixels) {
    black += Rgb_Of(p) == 0;
    if (key == KEY_BLACK && png && (Rgb_Of(p) == 0) != (Alpha_Of(p) == 0)) ++wrong;
    if (key == KEY_WHITE && Rgb_Of(p) == 0xFFFFFF) ++wrong;
  }
  EXPECT_EQ(wrong, 0u) << name;
  if (key == KEY_BLACK && !png) {
    EXPECT_GT(black, 0u) << name << ": the clear background";
    EXPECT_LT(black, image.pixels.size()) << name << ": the drawing";
  }
}

TEST_F(Game_Pictures, EveryInterfacePictureHasTheSizeItIsDrawnAt) {
  struct TCase {
    std::string (TPath_Settings::*file)() const;
    std::int32_t width, height;
    TKey key;
  };
  const TCase cases[] = {
      {&TPath_Settings::m_Get_Dlg_Message_Bmp, 400, 200, KEY_NONE},
      {&TPath_Settings::m_Get_Dlg_List_Bmp, 400, 600, KEY_NONE},
      {&TPath_Settings::m_Get_Dlg_Progress_Bmp, 400, 94, KEY_NONE},
      {&TPath_Settings::m_Get_Dlg_GameMenu_Bmp, 178, 300, KEY_NONE},
      {&TPath_Settings::m_Get_Dlg_CombatOptions_Bmp, 600, 600, KEY_NONE},
      {&TPath_Settings::m_Get_Dlg_Login_Bmp, 400, 200, KEY_NONE},
      {&TPath_Settings::m_Get_Dlg_LoadSaveGame_Bmp, 600, 600, KEY_NONE},
      {&TPath_Settings::m_Get_Dlg_GameOptions_Bmp, 600, 600, KEY_NONE},
      {&TPath_Settings::m_Get_Dlg_GameSetup_Bmp, 1024, 768, KEY_NONE},
      {&TPath_Settings::m_Get_Dlg_EndGame_Bmp, 800, 600, KEY_NONE},
      {&TPath_Settings::m_Get_Dlg_Statistics_Bmp, 1024, 768, KEY_WHITE},
      {&TPath_Settings::m_Get_Dlg_Log_Bmp, 1024, 768, KEY_WHITE},
      {&TPath_Settings::m_Get_Dlg_CombatBegin_Bmp, 800, 600, KEY_WHITE},
      {&TPath_Settings::m_Get_Dlg_CombatEnd_Bmp, 800, 600, KEY_WHITE},
      {&TPath_Settings::m_Get_Dlg_Purchases_List_Bmp, 280, 482, KEY_NONE},
      {&TPath_Settings::m_Get_Dlg_Purchases_Items_Bmp, 280, 482, KEY_NONE},
      {&TPath_Settings::m_Get_Combat_Begin_Bmp, 273, 162, KEY_NONE},
      {&TPath_Settings::m_Get_Combat_Victory_Bmp, 273, 162, KEY_NONE},
      {&TPath_Settings::m_Get_Combat_Defeat_Bmp, 273, 162, KEY_NONE},
      {&TPath_Settings::m_Get_Dlg_Intro_Bmp, 1024, 768, KEY_NONE},
      {&TPath_Settings::m_Get_Bmp_Kestrune_Bmp, 512, 256, KEY_NONE},
      {&TPath_Settings::m_Get_Bmp_Publisher_Bmp, 512, 256, KEY_NONE},
      {&TPath_Settings::m_Get_Dlg_Start_Bmp, 580, 262, KEY_NONE},
      {&TPath_Settings::m_Get_Dlg_GraphicsSetup_Bmp, 400, 306, KEY_NONE},
      {&TPath_Settings::m_Get_SelectionBox_Bmp, 64, 64, KEY_BLACK},
  };
  for (const TCase& c : cases) {
    const std::string file = (f_paths.*c.file)();
    SCOPED_TRACE(file);
    const TImage image = Open(file);
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, c.height);
    Expect_Key_Kept(image, c.key, file);
  }
}

TEST_F(Game_Pictures, TheLauncherBackgroundHasNoMagentaToLose) {
  for (const std::string& file : {f_paths.m_Get_Dlg_Start_Bmp(), f_paths.m_Get_Dlg_GraphicsSetup_Bmp()}) {
    const TImage image = Open(file);
    for (std::uint32_t p : image.pixels) ASSERT_NE(Rgb_Of(p), 0xFF00FFu) << file;
  }
}

TEST_F(Game_Pictures, EveryUnitTypeHasItsPictureAndPortraits) {
  TUnit_Type_List* saved = Unit_Type_List;
  Unit_Type_List = nullptr;
  ASSERT_TRUE(Datafile_Units_Load(Data("Units.txt"), nullptr));
  ASSERT_GT(Unit_Type_List->m_Count(), 0);
  for (std::uint16_t i = 1; i <= Unit_Type_List->m_Count(); ++i) {
    const TUnit_Type& t = *Unit_Type_List->m_Get_Item(i);
    SCOPED_TRACE(t.f_internal_name);
    const TImage image = Open(f_paths.m_Get_Unit_Image_File(t.f_image_filename));
    // 64 pixels for each map square of the unit's size.
    EXPECT_EQ(image.width, 64 * std::max<std::int32_t>(1, t.f_square_size_width));
    EXPECT_EQ(image.height, 64 * std::max<std::int32_t>(1, t.f_square_size_height));
    Expect_Key_Kept(image, KEY_BLACK, t.f_image_filename);
    std::size_t drawn = 0;
    for (std::uint32_t p : image.pixels) drawn += Alpha_Of(p) > 128;
    EXPECT_GT(drawn, image.pixels.size() / 10) << "a recognisable shape, not a speck";
    EXPECT_LT(drawn, image.pixels.size()) << "the background stays clear";
    const TImage portrait = Open(f_paths.m_Get_Unit_Image_File(t.f_portrait_filename));
    EXPECT_EQ(portrait.width, 128);
    EXPECT_EQ(portrait.height, 128);
    const TImage small = Open(f_paths.m_Get_Unit_Image_File(t.f_portrait_small_filename));
    EXPECT_EQ(small.width, 64);
    EXPECT_EQ(small.height, 64);
    Expect_Key_Kept(small, KEY_BLACK, t.f_portrait_small_filename);
  }
  Datafile_Units_Free();
  Unit_Type_List = saved;
}

using Game_Effect_Pictures = TEffects_Fixture;

TEST_F(Game_Effect_Pictures, EveryEffectTextureIsAShapeOnAClearBlackGround) {
  const std::string saved_program = Program_Folder;
  TPath_Settings paths;
  TPath_Settings* saved_paths = Path_Settings;
  Program_Folder = Design_Path((Source_Dir() / "").string());
  Path_Settings = &paths;
  Effects_Load_Data_File(Design_Path((Source_Dir() / "data" / "Effects.txt").string()), nullptr);
  ASSERT_NE(Effect_List, nullptr);
  std::set<std::string> seen;
  for (std::int32_t n = 1; n <= Effect_List->m_Count(); ++n)
    for (std::int64_t e = 1; e <= Effect_List->m_Get_Effect(n)->m_Emitter_Count(); ++e) {
      const std::string& texture = Effect_List->m_Get_Effect(n)->m_Get_Emitter(e)->texture;
      if (texture.empty() || !seen.insert(texture).second) continue;
      SCOPED_TRACE(texture);
      TImage image;
      ASSERT_TRUE(Image_Read_File(paths.m_Get_Effect_Image_File(texture), image));
      EXPECT_GE(image.width, 32);
      EXPECT_GE(image.height, 32);
      std::size_t clear = 0, solid = 0;
      for (std::uint32_t p : image.pixels) {
        clear += Alpha_Of(p) == 0;
        solid += Alpha_Of(p) > 160;
        if (Alpha_Of(p) == 0) EXPECT_EQ(Rgb_Of(p), 0u);
      }
      EXPECT_GT(clear, 0u) << "the shape does not fill its square";
      EXPECT_GT(solid, 0u) << "the shape shows";
    }
  EXPECT_GE(seen.size(), 5u);
  Path_Settings = saved_paths;
  Program_Folder = saved_program;
}

TEST_F(Game_Pictures, EveryBattleBackgroundCoversTheBattlePlane) {
  TBase_Game_Settings settings;
  ASSERT_TRUE(Load_Base_Game_Settings_File(Data("GameSettings.txt"), settings, false, nullptr));
  std::vector<std::string> names = settings.f_battle_map_land;
  names.insert(names.end(), settings.f_battle_map_ocean.begin(), settings.f_battle_map_ocean.end());
  ASSERT_GE(names.size(), 2u);
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const TImage image = Open(f_paths.m_Get_Map_Image_File(name));
    // The 14 x 10 grid of 100-unit cells lies over the whole picture.
    EXPECT_EQ(image.width, 1400);
    EXPECT_EQ(image.height, 1000);
  }
}

// Terrain tiles, turned as the game turns the basic tiles: clockwise by
// quarters.
TImage Turned(const TImage& source, std::int32_t degrees) {
  TImage out = source;
  for (std::int32_t q = 0; q < ((degrees / 90) % 4 + 4) % 4; ++q) {
    TImage next;
    next.Set_Size(out.height, out.width);
    for (std::int32_t y = 0; y < next.height; ++y)
      for (std::int32_t x = 0; x < next.width; ++x) next.Set_Pixel(x, y, out.Pixel(y, out.width - 1 - x));
    out = next;
  }
  return out;
}

class Game_Terrain_Pictures : public Game_Pictures {
protected:
  void SetUp() override {
    Game_Pictures::SetUp();
    f_saved_tiles = Terrain_Tile_List;
    Terrain_Tile_List = nullptr;
    ASSERT_TRUE(Datafile_TerrainTiles_Load(Data("Terrain_Tiles.txt"), nullptr));
  }
  void TearDown() override {
    Datafile_TerrainTiles_Free();
    Terrain_Tile_List = f_saved_tiles;
    Game_Pictures::TearDown();
  }
  TImage Tile(const TTerrain_Tile& t) { return Open(f_paths.m_Resolve_File("images\\tiles\\", t.f_tile_bitmap)); }
  TImage Basic(const TTerrain_Tile& t) {
    return Turned(Open(f_paths.m_Resolve_File("images\\basictiles\\", t.f_tile_basic_bitmap)), t.f_rotate);
  }

private:
  TTerrain_Tile_List* f_saved_tiles = nullptr;
};

TEST_F(Game_Terrain_Pictures, EveryTileAndBasicTileIs32Square) {
  for (std::uint16_t i = 1; i <= Terrain_Tile_List->m_Count(); ++i) {
    const TTerrain_Tile& t = *Terrain_Tile_List->m_Get_Item(i);
    SCOPED_TRACE(t.f_tile_bitmap);
    for (const TImage& image : {Tile(t), Basic(t)}) {
      EXPECT_EQ(image.width, 32);
      EXPECT_EQ(image.height, 32);
    }
  }
  const TImage ocean = Open(f_paths.m_Resolve_File("images\\tiles\\", "BaseOceanTile.bmp"));
  // Laid side by side from the map's corner, it must end on tile borders.
  EXPECT_EQ(ocean.width % 32, 0);
  EXPECT_EQ(ocean.height % 32, 0);
}

// Along an edge that land reaches, every tile shows the same pixels as the
// base land tile, and along an edge that water reaches it is clear, so that
// any two fitted neighbours join without a seam. Coast lines end at the
// corners, so the four pixels next to each corner are left out.
TEST_F(Game_Terrain_Pictures, LandAndWaterEdgesJoinWithoutSeams) {
  const TTerrain_Tile* base_land = nullptr;
  for (std::uint16_t i = 1; i <= Terrain_Tile_List->m_Count() && !base_land; ++i)
    if (Terrain_Tile_List->m_Get_Item(i)->f_terrain_type == TERRAIN_TILE_BASE_LAND) base_land = Terrain_Tile_List->m_Get_Item(i);
  ASSERT_NE(base_land, nullptr);
  const TImage land = Tile(*base_land);
  // Edge p (1 top, 3 right, 5 bottom, 7 left): pixel k along it.
  auto at = [](std::int32_t edge, std::int32_t k) -> std::pair<std::int32_t, std::int32_t> {
    switch (edge) {
      case 1: return {k, 0};
      case 3: return {31, k};
      case 5: return {k, 31};
      default: return {0, k};
    }
  };
  auto close = [](std::uint32_t a, std::uint32_t b) {
    for (int shift = 0; shift <= 24; shift += 8)
      if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 2) return false;
    return true;
  };
  std::size_t land_edges = 0, water_edges = 0;
  for (std::uint16_t i = 1; i <= Terrain_Tile_List->m_Count(); ++i) {
    const TTerrain_Tile& t = *Terrain_Tile_List->m_Get_Item(i);
    SCOPED_TRACE(t.f_tile_bitmap);
    const TImage tile = Tile(t);
    for (std::int32_t edge : {1, 3, 5, 7}) {
      const std::uint16_t code = t.f_base_connections[std::size_t(edge - 1)];
      land_edges += code == 1;
      water_edges += code == 2;
      for (std::int32_t k = 4; k < 28; ++k) {
        const auto [x, y] = at(edge, k);
        if (code == 1) {
          EXPECT_TRUE(close(tile.Pixel(x, y), land.Pixel(x, y))) << "edge " << edge << " pixel " << k;
        } else if (code == 2) {
          EXPECT_LE(Alpha_Of(tile.Pixel(x, y)), 8u) << "edge " << edge << " pixel " << k;
        }
      }
    }
  }
  EXPECT_GT(land_edges, 0u);
  EXPECT_GT(water_edges, 0u);
}

// The region builder reads the basic tiles: their land and water must lie
// where the tile pictures show land and water, after the game's turn.
TEST_F(Game_Terrain_Pictures, BasicTilesMarkTheLandAndWaterOfTheirTiles) {
  for (std::uint16_t i = 1; i <= Terrain_Tile_List->m_Count(); ++i) {
    const TTerrain_Tile& t = *Terrain_Tile_List->m_Get_Item(i);
    SCOPED_TRACE(t.f_tile_bitmap);
    const TImage tile = Tile(t), basic = Basic(t);
    const bool sea = t.f_terrain_type == TERRAIN_TILE_BASE_OCEAN || t.f_terrain_type == TERRAIN_TILE_OCEAN;
    std::size_t differ = 0;
    for (std::int32_t y = 0; y < 32; ++y)
      for (std::int32_t x = 0; x < 32; ++x) {
        const std::uint32_t marker = Rgb_Of(basic.Pixel(x, y));
        ASSERT_TRUE(marker == Land_Marker || marker == Water_Marker);
        // Land is opaque; water is clear or tinted shallow, and open sea
        // tiles let the base ocean show.
        const bool shows_land = !sea && Alpha_Of(tile.Pixel(x, y)) >= 200;
        differ += shows_land != (marker == Land_Marker);
      }
    EXPECT_LE(differ, 32u * 32u / 25u) << "only along the coast line";
  }
}

}  // namespace
