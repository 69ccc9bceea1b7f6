// The default game type as shipped in the repository: every data file loads
// without a single error line, and the files agree with one another (the
// names one file uses exist in the other), so that broken content fails
// here rather than in a game.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "DataFile_Base_Loader.h"
#include "Datafile_BaseGameSettings.h"
#include "Datafile_EffectEmitters.h"
#include "Datafile_Formula_Functions.h"
#include "Datafile_Formula_List.h"
#include "Datafile_HelpText.h"
#include "Datafile_MapTypes.h"
#include "Datafile_Tech.h"
#include "Datafile_TerrainTiles.h"
#include "Datafile_Units.h"
#include "Io.h"
#include "Native_Path.h"
#include "Shell_Services.h"
#include "Test_Support.h"

namespace {
std::string Data_File(const std::string& name) { return Design_Path((Source_Dir() / "data" / name).string()); }

// Collects what a loader reports, whichever way it shows it.
class TCollector : public TList_Dialog_Owner, public TShell_Services {
public:
  TCollector() { Set_Shell_Services(this); }
  ~TCollector() override { Set_Shell_Services(nullptr); }
  void m_Show_List(const std::vector<std::string>& rows, const std::string& title,
                   const std::string& subtitle) override {
    for (const std::string& row : rows) lines.push_back(title + " " + subtitle + ": " + row);
  }
  std::vector<std::string> lines;
};

// A file whose loader belongs to another part of the game: every record
// must hold the keys that loader asks for.
class TKeys_Loader : public TData_File_Loader {
public:
  TKeys_Loader(const std::string& file_name, std::vector<std::string> keys)
      : TData_File_Loader(file_name), f_keys(std::move(keys)) {}
  std::vector<std::map<std::string, std::string>> records;

protected:
  void m_Load_Record(std::int32_t) override {
    std::map<std::string, std::string> record;
    std::string v;
    for (const std::string& key : f_keys) {
      if (m_Get_Field(key, v, true)) record[key] = v;
    }
    records.push_back(record);
  }

private:
  std::vector<std::string> f_keys;
};

std::vector<std::string> Plain_Lines(const std::string& name) {
  std::string text = Read_File(Source_Dir() / "data" / name);
  std::vector<std::string> lines;
  std::stringstream ss(text);
  std::string line;
  while (std::getline(ss, line)) {
    line = Text_Trim(line);
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// An empire at the levels given, which remembers every area it was asked
// about.
class TEmpire_Stand_In : public TFormula_Empire {
public:
  std::int32_t m_Get_Tech_Level_By_Area_Name(std::uint8_t kind, const std::string& text) const override {
    asked.insert(text);
    if (kind != 2 || !Tech_Area_List) return 0;
    std::int32_t i = Tech_Area_List->m_Find_By_Name(2, text);
    return i > 0 ? levels[std::size_t(i - 1)] : 0;
  }
  std::vector<std::int32_t> levels;
  mutable std::set<std::string> asked;
};

class Default_Game_Type : public ::testing::Test {
protected:
  void SetUp() override {
    f_had_formulas = Formula_List != nullptr;
    TCollector collector;
    EXPECT_TRUE(Datafile_Units_Load(Data_File("Units.txt"), &collector));
    EXPECT_TRUE(Datafile_Tech_Load(Data_File("Technology.txt"), &collector));
    EXPECT_TRUE(Datafile_MapTypes_Load(Data_File("MapTypes.txt"), &collector));
    EXPECT_TRUE(Datafile_TerrainTiles_Load(Data_File("Terrain_Tiles.txt"), &collector));
    EXPECT_TRUE(Effects_Load_Data_File(Data_File("Effects.txt"), &collector));
    EXPECT_EQ(collector.lines, std::vector<std::string>{});
  }
  void TearDown() override {
    Datafile_Units_Free();
    Datafile_Tech_Free();
    Datafile_MapTypes_Free();
    Datafile_TerrainTiles_Free();
    Effects_Free();
    if (!f_had_formulas) Formula_List_Free();
  }

private:
  bool f_had_formulas = false;
};
}  // namespace

TEST_F(Default_Game_Type, EveryFileLoadsWithoutErrors) {
  TCollector collector;
  EXPECT_TRUE(Load_Help_Text_File(Data_File("HelpText.txt")));
  TBase_Game_Settings settings;
  EXPECT_TRUE(Load_Base_Game_Settings_File(Data_File("GameSettings.txt"), settings, true, &collector));
  // The game type's own copy lists it, and is the same file.
  std::filesystem::path own = Source_Dir() / "gametypes" / "standard" / "data" / "GameSettings.txt";
  EXPECT_EQ(Read_File(own), Read_File(Source_Dir() / "data" / "GameSettings.txt"));
  EXPECT_EQ(collector.lines, std::vector<std::string>{});
  Help_Text_Free();

  ASSERT_NE(Unit_Type_List, nullptr);
  EXPECT_GE(Unit_Type_List->m_Count(), 20);
  EXPECT_GE(Tech_Area_List->m_Count(), 8);
  EXPECT_GE(Map_Type_List->m_Count(), 3);
  EXPECT_GE(Terrain_Tile_List->m_Count(), 10);
}

TEST_F(Default_Game_Type, FilesOfOtherLoadersHoldTheirKeys) {
  struct Row {
    std::string file;
    std::vector<std::string> keys;
    std::size_t min_records;
  } rows[] = {
      {"MainFonts.txt",
       {"Font File Name", "Font Internal Name", "Font Height", "Font Style Bold", "Font Style Italic", "Font Color"},
       12},
      {"SoundEffects.txt",
       {"Sound Effect Name", "Sound Effect Filename", "Sound Min Distance", "Sound Max Distance", "Effect Instances",
        "Is 3D Sound Effect"},
       7},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    TKeys_Loader loader(Data_File(row.file), row.keys);
    loader.m_Load();
    EXPECT_EQ(loader.m_Get_Errors(), std::vector<std::string>{});
    EXPECT_GE(loader.records.size(), row.min_records);
  }

  TKeys_Loader fonts(Data_File("MainFonts.txt"), {"Font File Name", "Font Internal Name", "Font Height"});
  fonts.m_Load();
  for (auto& r : fonts.records) {
    EXPECT_EQ(r["Font Internal Name"].rfind("DejaVu", 0), 0u) << r["Font File Name"];
    EXPECT_EQ(r["Font File Name"].rfind("DejaVu", 0), 0u);
    EXPECT_GT(Datafile_Value_To_Integer(r["Font Height"]), 0);
  }

  TKeys_Loader debug(Design_Path((Source_Dir() / "userdata" / "DebugSettings.txt").string()),
                     {"Generate Game Debug Log", "Generate Engine Debug Log", "Use Fast Debug Log",
                      "Debug Section Engine Startup", "Debug Section Sound Base", "Debug Section Display Class",
                      "Debug Section Formula Evaluation", "Debug Section Map Creation", "Debug Section AI",
                      "Debug Section Combat", "Debug Section Main Drawing Loop", "Debug Section Politics",
                      "Debug Section Windows", "Debug Section Save Load", "Debug Section Master Action Timer",
                      "Debug Section Multiplayer"});
  debug.m_Load();
  EXPECT_EQ(debug.m_Get_Errors(), std::vector<std::string>{});
  EXPECT_EQ(debug.records.size(), 1u);
}

TEST_F(Default_Game_Type, SoundEffects) {
  TKeys_Loader loader(Data_File("SoundEffects.txt"),
                      {"Sound Effect Name", "Sound Effect Filename", "Sound Min Distance", "Sound Max Distance",
                       "Effect Instances"});
  loader.m_Load();
  std::set<std::string> names;
  for (auto& r : loader.records) {
    SCOPED_TRACE(r["Sound Effect Name"]);
    EXPECT_TRUE(names.insert(Text_Lower_Case(r["Sound Effect Name"])).second) << "named twice";
    EXPECT_GT(Datafile_Value_To_Word(r["Effect Instances"]), 0);
    EXPECT_LE(Datafile_Value_To_Word(r["Sound Min Distance"]), Datafile_Value_To_Word(r["Sound Max Distance"]));
    EXPECT_NE(r["Sound Effect Filename"].find(".wav"), std::string::npos);
  }
  // The sounds the game plays by name.
  for (const char* name : {"General Error", "Button Click", "End Turn", "Select Item", "Window Opened",
                           "Window Closed", "Decommissioned"}) {
    EXPECT_TRUE(names.count(Text_Lower_Case(name))) << name;
  }
  // Every sound a unit type names.
  for (std::int32_t i = 1; i <= Unit_Type_List->m_Count(); ++i) {
    const TUnit_Type& t = *Unit_Type_List->m_Get_Item(i);
    for (const std::string& s : {t.f_movement_sound_effect, t.f_combat_movement_sound_effect}) {
      if (!s.empty()) { EXPECT_TRUE(names.count(Text_Lower_Case(s))) << t.f_internal_name << ": " << s; }
    }
  }
}

TEST_F(Default_Game_Type, TechnologyAreas) {
  for (const char* name : {"Air Units", "Antiaircraft Units", "Ballistic Missiles", "Ground Stations", "Ground Units",
                           "Helicopters", "Sea Units", "Stealth Aircraft"}) {
    std::int32_t i = Tech_Area_List->m_Find_By_Name(2, name);
    ASSERT_GT(i, 0) << name;
    EXPECT_EQ(Tech_Area_List->m_Get_Item(i)->f_internal_name, name);  // exactly, case included
  }
  for (std::int32_t i = 1; i <= Tech_Area_List->m_Count(); ++i) {
    const TTech_Area& a = *Tech_Area_List->m_Get_Item(i);
    SCOPED_TRACE(a.f_internal_name);
    EXPECT_LE(a.f_start_level, a.f_maximum_level);
    EXPECT_GE(a.m_Get_Cost_Count(), 1);
    for (std::int32_t c = 1; c <= a.m_Get_Cost_Count(); ++c) {
      EXPECT_GT(a.m_Get_Chance(c), 0);
      EXPECT_LE(a.m_Get_Chance(c), 100);
    }
  }
}

TEST_F(Default_Game_Type, RequirementsNameRealAreasAndLevels) {
  TEmpire_Stand_In start, top;
  for (std::int32_t i = 1; i <= Tech_Area_List->m_Count(); ++i) {
    start.levels.push_back(Tech_Area_List->m_Get_Item(i)->f_start_level);
    top.levels.push_back(Tech_Area_List->m_Get_Item(i)->f_maximum_level);
  }
  std::set<std::uint8_t> buyable_at_start;
  for (std::int32_t i = 1; i <= Unit_Type_List->m_Count(); ++i) {
    const TUnit_Type& t = *Unit_Type_List->m_Get_Item(i);
    // At the maximum levels every unit type can be bought.
    EXPECT_TRUE(t.f_requirements.m_Check(&top, 0)) << t.f_internal_name;
    for (std::int32_t r = 1; r <= t.f_requirements.m_Get_Count(); ++r) {
      EXPECT_GT(t.f_requirements.m_Get_Formula_Index(r), 0) << t.f_internal_name;
      EXPECT_FALSE(t.f_requirements.m_Get_Description(r).empty()) << t.f_internal_name;
    }
    if (t.f_requirements.m_Check(&start, 0) && t.f_movement_amount > 0) buyable_at_start.insert(t.f_movement_type);
  }
  for (std::int32_t i = 1; i <= Tech_Area_List->m_Count(); ++i) {
    const TTech_Area& a = *Tech_Area_List->m_Get_Item(i);
    EXPECT_TRUE(a.f_requirements.m_Check(&top, a.f_maximum_level)) << a.f_internal_name;
  }
  // Every area a formula asks about exists.
  for (const std::string& name : top.asked) EXPECT_GT(Tech_Area_List->m_Find_By_Name(2, name), 0) << name;
  // A nation can field land, air and naval forces from the first turn.
  EXPECT_EQ(buyable_at_start,
            (std::set<std::uint8_t>{UNIT_MOVEMENT_AIR, UNIT_MOVEMENT_LAND, UNIT_MOVEMENT_SEA_SURFACE}));
}

TEST_F(Default_Game_Type, UnitTypes) {
  std::set<std::uint8_t> movement_types;
  std::map<std::string, std::uint16_t> families;
  for (std::int32_t i = 1; i <= Unit_Type_List->m_Count(); ++i) {
    const TUnit_Type& t = *Unit_Type_List->m_Get_Item(i);
    SCOPED_TRACE(t.f_internal_name);
    EXPECT_EQ(Unit_Type_List->m_Find_By_Internal_Name(t.f_internal_name), i) << "internal name used twice";
    movement_types.insert(t.f_movement_type);
    EXPECT_EQ(t.f_combat_movement_type, t.f_movement_type);
    EXPECT_NE(t.f_unit_family_id, 0);
    auto [it, added] = families.emplace(Text_Lower_Case(t.f_unit_family), t.f_unit_family_id);
    if (!added) { EXPECT_EQ(it->second, t.f_unit_family_id) << "one family, one id"; }
    EXPECT_GT(t.f_cost, 0);
    EXPECT_GT(t.f_hit_points, 0);
    EXPECT_NE(t.f_image_type, 0);
    EXPECT_FALSE(t.f_portrait_filename.empty());
    EXPECT_FALSE(t.f_image_filename.empty());
    EXPECT_GT(t.f_square_size_width, 0);
    EXPECT_GT(t.f_square_size_height, 0);
    EXPECT_LE(t.f_combat_damage_min, t.f_combat_damage_max);
    EXPECT_LE(t.f_ranged_fire_damage_min, t.f_ranged_fire_damage_max);
    if (t.f_takes_part_in_combat && t.f_combat_damage_max > 0) {
      bool any = false;
      for (int m = 1; m <= 5; ++m) any = any || t.m_Can_Attack_Target_Type(m);
      EXPECT_TRUE(any) << "deals damage but attacks nothing";
    }
    if (t.f_ranged_fire_range > 0) { EXPECT_NE(t.f_ranged_fire_region_type, 0); }
    // Transporting entries name unit families.
    if (t.f_transporting_capacity > 0) { EXPECT_GT(t.m_Get_Transport_Type_Count(), 0); }
    for (std::int32_t e = 1; e <= t.m_Get_Transport_Type_Count(); ++e) {
      EXPECT_GT(Unit_Type_List->m_Get_Family_Id_By_Name(t.m_Get_Transport_Type_Name(e)), 0)
          << t.m_Get_Transport_Type_Name(e);
      EXPECT_GT(t.m_Get_Transport_Space(t.m_Get_Transport_Type_Name(e)), 0);
    }
    // The purchase families exist.
    for (std::uint16_t id : {t.f_purchase_with_family_id, t.f_purchase_near_family_id}) {
      if (id == 0) continue;
      bool found = false;
      for (auto& [name, family_id] : families) found = found || family_id == id;
      for (std::int32_t j = 1; j <= Unit_Type_List->m_Count(); ++j) found = found || Unit_Type_List->m_Get_Family_Id(j) == id;
      EXPECT_TRUE(found) << id;
    }
  }
  EXPECT_EQ(movement_types, (std::set<std::uint8_t>{UNIT_MOVEMENT_AIR, UNIT_MOVEMENT_LAND, UNIT_MOVEMENT_SEA_SURFACE,
                                                    UNIT_MOVEMENT_UNDERSEA, UNIT_MOVEMENT_SPACE}));
  // Some type can carry cargo by air, over land and by sea, and some bombards.
  bool air = false, land = false, sea = false, ranged = false;
  for (std::int32_t i = 1; i <= Unit_Type_List->m_Count(); ++i) {
    const TUnit_Type& t = *Unit_Type_List->m_Get_Item(i);
    bool carries = t.f_transporting_capacity > 0;
    air = air || (carries && t.f_movement_type == UNIT_MOVEMENT_AIR);
    land = land || (carries && t.f_movement_type == UNIT_MOVEMENT_LAND);
    sea = sea || (carries && t.f_movement_type == UNIT_MOVEMENT_SEA_SURFACE);
    ranged = ranged || t.f_ranged_fire_range > 0;
  }
  EXPECT_TRUE(air && land && sea && ranged);
}

TEST_F(Default_Game_Type, MapTypesTilesAndNames) {
  std::int32_t largest_land = 0;
  for (std::uint16_t i = 1; i <= Map_Type_List->m_Count(); ++i) {
    const TMap_Type& m = *Map_Type_List->m_Get_Item(i);
    SCOPED_TRACE(m.f_name);
    EXPECT_GT(m.f_map_width, 0);
    EXPECT_GT(m.f_map_height, 0);
    EXPECT_GT(m.f_base_land_region_amount, 0);
    EXPECT_GT(m.f_base_ocean_region_amount, 0);
    // At most one seed more than asked of each kind: region ids stay below 500.
    EXPECT_LT(m.f_base_land_region_amount + m.f_base_ocean_region_amount + 2, 500);
    largest_land = std::max(largest_land, m.f_base_land_region_amount);
  }
  std::vector<std::string> regions = Plain_Lines("RegionNames.txt");
  EXPECT_GE(std::int64_t(regions.size()), 3 * std::int64_t(largest_land));
  EXPECT_EQ(std::set<std::string>(regions.begin(), regions.end()).size(), regions.size()) << "a region name twice";
  EXPECT_GE(Plain_Lines("NationNames.txt").size(), 8u);
  EXPECT_GE(Plain_Lines("PlayerNames.txt").size(), 8u);

  std::set<std::uint16_t> tile_types;
  for (std::uint16_t i = 1; i <= Terrain_Tile_List->m_Count(); ++i) {
    const TTerrain_Tile& t = *Terrain_Tile_List->m_Get_Item(i);
    tile_types.insert(t.f_terrain_type);
    EXPECT_NE(t.f_terrain_type, 0) << t.f_tile_bitmap;
    EXPECT_GT(t.f_weight, 0) << t.f_tile_bitmap;
  }
  EXPECT_TRUE(tile_types.count(TERRAIN_TILE_BASE_LAND) && tile_types.count(TERRAIN_TILE_BASE_OCEAN));

  // The game settings name a map type and unit types that exist, and
  // enough colours, flags, songs and battle backgrounds.
  TBase_Game_Settings s;
  ASSERT_TRUE(Load_Base_Game_Settings_File(Data_File("GameSettings.txt"), s, false, nullptr));
  bool map_found = false;
  for (std::uint16_t i = 1; i <= Map_Type_List->m_Count(); ++i) {
    map_found = map_found || Text_Compare(Map_Type_List->m_Get_Item(i)->f_name, s.f_default_map_type) == 0;
  }
  EXPECT_TRUE(map_found) << s.f_default_map_type;
  for (const auto& level : s.f_starting_forces) {
    EXPECT_FALSE(level.empty());
    for (const Starting_Force& f : level) EXPECT_GT(Unit_Type_List->m_Find_By_Internal_Name(f.f_unit_name), 0) << f.f_unit_name;
  }
  for (const Neutral_Starting_Force& f : s.f_neutral_starting_forces) {
    EXPECT_GT(Unit_Type_List->m_Find_By_Internal_Name(f.f_unit_name), 0) << f.f_unit_name;
  }
  EXPECT_GE(s.m_Player_Color_Count(), 8);
  EXPECT_GE(s.f_player_flags_per_color, 8);
  for (const auto& songs : s.f_songs) EXPECT_FALSE(songs.empty());
  EXPECT_FALSE(s.f_battle_map_land.empty());
  EXPECT_FALSE(s.f_battle_map_ocean.empty());
}

TEST_F(Default_Game_Type, VisualEffects) {
  ASSERT_NE(Effect_List, nullptr);
  // Every effect the unit types name exists, and so does the explosion of a
  // crashing aircraft.
  std::set<std::string> named{"Explosion"};
  for (std::int32_t i = 1; i <= Unit_Type_List->m_Count(); ++i) {
    const TUnit_Type& t = *Unit_Type_List->m_Get_Item(i);
    if (!t.f_ranged_fire_effect.empty()) named.insert(t.f_ranged_fire_effect);
    for (const Unit_Combat_Effect& e : t.f_combat_effects) named.insert(e.effect_name);
  }
  EXPECT_GE(named.size(), 10u);
  std::set<std::string> sounds;
  for (const std::string& line : Plain_Lines("SoundEffects.txt")) {
    if (line.rfind("Sound Effect Name :=", 0) == 0) sounds.insert(Text_Trim(line.substr(20)));
  }
  for (const std::string& name : named) {
    SCOPED_TRACE(name);
    const std::int32_t n = Effect_List->m_Find_By_Name(name);
    ASSERT_GT(n, 0);
    // Game actions wait for the end of these effects: one emitter reports it.
    const TEffect& effect = *Effect_List->m_Get_Effect(n);
    bool reports = false;
    for (std::int32_t j = 1; j <= effect.m_Emitter_Count(); ++j) {
      reports = reports || effect.m_Get_Emitter(j)->trigger_effect_end >= 0;
    }
    EXPECT_TRUE(reports);
  }
  // Names are unique; every emitter emits, shows a picture and plays only
  // sounds that exist.
  std::set<std::string> names;
  for (std::int32_t i = 1; i <= Effect_List->m_Count(); ++i) {
    const TEffect& effect = *Effect_List->m_Get_Effect(i);
    SCOPED_TRACE(effect.name);
    EXPECT_TRUE(names.insert(Text_Lower_Case(effect.name)).second) << "named twice";
    EXPECT_GT(effect.m_Emitter_Count(), 0);
    for (std::int32_t j = 1; j <= effect.m_Emitter_Count(); ++j) {
      const TEmitter& e = *effect.m_Get_Emitter(j);
      EXPECT_GT(e.num_particles, 0);
      EXPECT_GT(e.emit_rate, 0);
      EXPECT_GT(e.lifetime, 0);
      EXPECT_GT(e.texture_coords, 0);
      EXPECT_NE(e.texture.find(".bmp"), std::string::npos);
      for (const std::string* sound : {&e.sound_one_time, &e.sound_per_particle}) {
        if (!sound->empty()) { EXPECT_EQ(sounds.count(*sound), 1u) << *sound; }
      }
    }
  }
}
