#include <gtest/gtest.h>

#include "Global.h"
#include "MachineOptions.h"
#include "Path.h"
#include "Test_Support.h"

namespace {
// Program and user folders in temporary trees for one test.
class Path_Test : public ::testing::Test {
protected:
  void SetUp() override {
    f_saved_program = Program_Folder;
    f_saved_user = User_Folder;
    Program_Folder = f_program.design();
    User_Folder = f_user.design();
  }
  void TearDown() override {
    Program_Folder = f_saved_program;
    User_Folder = f_saved_user;
  }
  std::string P() const { return f_program.design(); }
  std::string U() const { return f_user.design(); }

  TTemp_Dir f_program, f_user;
  std::string f_saved_program, f_saved_user;
  TPath_Settings f_paths;
};

using Getter = std::string (TPath_Settings::*)() const;
}  // namespace

TEST_F(Path_Test, FixedFilesBeforeAnyGameType) {
  struct Row {
    Getter getter;
    const char* relative;
  } rows[] = {
      {&TPath_Settings::m_Get_MainFonts_File, "data\\MainFonts.txt"},
      {&TPath_Settings::m_Get_GameSettings_File, "data\\GameSettings.txt"},
      {&TPath_Settings::m_Get_Terrain_Tiles_File, "data\\Terrain_Tiles.txt"},
      {&TPath_Settings::m_Get_RegionNames_File, "data\\RegionNames.txt"},
      {&TPath_Settings::m_Get_Units_File, "data\\Units.txt"},
      {&TPath_Settings::m_Get_Technology_File, "data\\Technology.txt"},
      {&TPath_Settings::m_Get_MapTypes_File, "data\\MapTypes.txt"},
      {&TPath_Settings::m_Get_NationNames_File, "data\\NationNames.txt"},
      {&TPath_Settings::m_Get_PlayerNames_File, "data\\PlayerNames.txt"},
      {&TPath_Settings::m_Get_SoundEffects_File, "data\\SoundEffects.txt"},
      {&TPath_Settings::m_Get_Effects_File, "data\\Effects.txt"},
      {&TPath_Settings::m_Get_HelpText_File, "data\\HelpText.txt"},
      {&TPath_Settings::m_Get_Buttons_Bmp, "images\\ui\\Buttons.bmp"},
      {&TPath_Settings::m_Get_Buttons_4_Bmp, "images\\ui\\Buttons_4.bmp"},
      {&TPath_Settings::m_Get_Flags_Bmp, "images\\flags\\Flags.bmp"},
      {&TPath_Settings::m_Get_Bmp_Kestrune_Bmp, "images\\ui\\Bmp_Kestrune.bmp"},
      {&TPath_Settings::m_Get_Dlg_GraphicsSetup_Bmp, "images\\ui\\Dlg_GraphicsSetup.bmp"},
      {&TPath_Settings::m_Get_Dlg_Purchases_Items_Bmp, "images\\ui\\Dlg_Purchases_Items.bmp"},
      {&TPath_Settings::m_Get_Dlg_List_Bmp, "images\\ui\\Dlg_List.bmp"},
      {&TPath_Settings::m_Get_Gametypes_Dir, "gametypes\\"},
  };
  EXPECT_FALSE(f_paths.m_Game_Type_Set());
  for (const Row& r : rows) EXPECT_EQ((f_paths.*r.getter)(), P() + r.relative) << r.relative;
}

TEST_F(Path_Test, UserFilesAndFoldersLieInTheUserFolder) {
  struct Row {
    Getter getter;
    const char* relative;
  } rows[] = {
      {&TPath_Settings::m_Get_UserSettings_File, "userdata\\UserSettings.txt"},
      {&TPath_Settings::m_Get_DebugSettings_File, "userdata\\DebugSettings.txt"},
      {&TPath_Settings::m_Get_Maps_Dir, "maps\\"},
      {&TPath_Settings::m_Get_Savegames_Dir, "savegames\\"},
      {&TPath_Settings::m_Get_Currentmap_Dir, "currentmap\\"},
      {&TPath_Settings::m_Get_Temp_Dir, "temp\\"},
      {&TPath_Settings::m_Get_OverviewMap_Bmp, "currentmap\\OverviewMap.bmp"},
  };
  f_paths.m_Set_Game_Type("standard", "Standard");
  Write_File(f_program.path() / "gametypes" / "standard" / "userdata" / "UserSettings.txt", "x");
  for (const Row& r : rows) EXPECT_EQ((f_paths.*r.getter)(), U() + r.relative) << r.relative;
  EXPECT_EQ(f_paths.m_Get_Map_Section_File(0), U() + "currentmap\\MapSection000.jpg");
  EXPECT_EQ(f_paths.m_Get_Map_Section_File(7), U() + "currentmap\\MapSection007.jpg");
  EXPECT_EQ(f_paths.m_Get_Map_Section_File(1234), U() + "currentmap\\MapSection1234.jpg");
  EXPECT_EQ(f_paths.m_Get_Region_Section_File(42), U() + "currentmap\\RegionSection042.bmp");

  // A documents folder named in the machine options takes the user folders.
  TMachine_Options options;
  options.f_use_my_documents_dir = "D:\\Docs\\";
  Machine_Options = &options;
  EXPECT_EQ(f_paths.m_Get_Savegames_Dir(), "D:\\Docs\\savegames\\");
  EXPECT_EQ(f_paths.m_Get_Gametypes_Dir(), "D:\\Docs\\gametypes\\");
  Machine_Options = nullptr;
}

TEST_F(Path_Test, GameTypeOverridesExistingFiles) {
  Write_File(f_program.path() / "gametypes" / "standard" / "data" / "Units.txt", "override");
  Write_File(f_program.path() / "gametypes" / "standard" / "images" / "units" / "Tank.bmp", "override");
  EXPECT_EQ(f_paths.m_Get_Units_File(), P() + "data\\Units.txt");  // no game type yet

  f_paths.m_Set_Game_Type("standard", "Standard");
  EXPECT_TRUE(f_paths.m_Game_Type_Set());
  EXPECT_EQ(f_paths.m_Get_Game_Type_Folder(), "standard");
  EXPECT_EQ(f_paths.m_Get_Game_Type_Name(), "Standard");
  EXPECT_EQ(f_paths.m_Get_Game_Type_Dir(), P() + "gametypes\\standard\\");
  EXPECT_EQ(f_paths.m_Get_Units_File(), P() + "gametypes\\standard\\data\\Units.txt");
  EXPECT_EQ(f_paths.m_Get_Unit_Image_File("Tank.bmp"), P() + "gametypes\\standard\\images\\units\\Tank.bmp");
  // Neither copy exists: the program folder's path.
  EXPECT_EQ(f_paths.m_Get_Technology_File(), P() + "data\\Technology.txt");
  EXPECT_EQ(f_paths.m_Get_Sound_File("Boom.wav"), P() + "sounds\\Boom.wav");
  EXPECT_EQ(f_paths.m_Resolve_Dir("data\\"), P() + "gametypes\\standard\\data\\");
  EXPECT_EQ(f_paths.m_Resolve_Dir("music\\"), P() + "music\\");

  // Looked up anew on every call.
  Write_File(f_program.path() / "gametypes" / "standard" / "data" / "Technology.txt", "new");
  EXPECT_EQ(f_paths.m_Get_Technology_File(), P() + "gametypes\\standard\\data\\Technology.txt");

  // An empty folder name turns the override off.
  f_paths.m_Set_Game_Type("", "None");
  EXPECT_EQ(f_paths.m_Get_Units_File(), P() + "data\\Units.txt");
}

TEST_F(Path_Test, NamedFilesInFolders) {
  struct Row {
    std::string (TPath_Settings::*getter)(const std::string&) const;
    const char* folder;
  } rows[] = {{&TPath_Settings::m_Get_Images_File, "images\\"},
              {&TPath_Settings::m_Get_Map_Image_File, "images\\map\\"},
              {&TPath_Settings::m_Get_Tile_Image_File, "images\\tiles\\"},
              {&TPath_Settings::m_Get_Basic_Tile_Image_File, "images\\basictiles\\"},
              {&TPath_Settings::m_Get_Unit_Image_File, "images\\units\\"},
              {&TPath_Settings::m_Get_Effect_Image_File, "images\\effects\\"},
              {&TPath_Settings::m_Get_Sound_File, "sounds\\"},
              {&TPath_Settings::m_Get_Music_File, "music\\"}};
  for (const Row& r : rows) EXPECT_EQ((f_paths.*r.getter)("a.bmp"), P() + r.folder + "a.bmp");
}

TEST_F(Path_Test, FreeTempFile) {
  std::filesystem::path temp = f_user.path() / "temp";
  std::filesystem::create_directories(temp);
  EXPECT_EQ(f_paths.m_Get_Free_Temp_File(), U() + "temp\\temp_1.dat");
  Write_File(temp / "temp_1.dat", "");
  Write_File(temp / "temp_2.dat", "");
  EXPECT_EQ(f_paths.m_Get_Free_Temp_File(), U() + "temp\\temp_3.dat");
  EXPECT_FALSE(std::filesystem::exists(temp / "temp_3.dat"));
  std::filesystem::remove(temp / "temp_1.dat");
  EXPECT_EQ(f_paths.m_Get_Free_Temp_File(), U() + "temp\\temp_1.dat");
  EXPECT_EQ(f_paths.m_Get_Dir_Separator(), "\\");
  EXPECT_EQ(f_paths.m_Get_All_Files_Mask(), "*.*");
  EXPECT_EQ(f_paths.m_Get_Current_Dir_Entry(), ".");
  EXPECT_EQ(f_paths.m_Get_Parent_Dir_Entry(), "..");
}

// Every name that becomes one folder of its own (a save, a network game's
// save folder, a stored map) is checked by one rule, with the reason for
// the player.
TEST(Path_Names, NamesThatBecomeFoldersAreCheckedWithTheReason) {
  const std::string sixty(60, 'x'), sixty_wide = [] {
    std::string s;
    for (int i = 0; i < 60; ++i) s += "\xF0\x9F\x8C\x8D";  // four bytes each
    return s;
  }();
  const char* const reserved =
      "A save name cannot end in \".saving\", \".old\" or \".loading\": the game keeps those names for itself.";
  struct TCase {
    std::string name;
    const char* problem;  // "" when the name is accepted
  } cases[] = {
      {"Campaign 1", ""},
      {"\xC3\x9Cn\xC3\xAF" "code", ""},
      {"a.b", ""},
      {"Autosave10", ""},
      {"Game.olden", ""},
      {sixty, ""},
      {sixty_wide, ""},
      {"", "A save needs a name."},
      {"   ", "A save needs a name."},
      {"bad\xFF", "A save name must be UTF-8 text."},
      {"tab\there", "A save name cannot contain control characters."},
      {"C1\xC2\x85", "A save name cannot contain control characters."},
      {"..\\sentinel", "A save name cannot be \".\" or contain \"..\"."},
      {"\\sentinel", "A save name cannot contain \\, / or :."},
      {"sub/dir", "A save name cannot contain \\, / or :."},
      {"c:x", "A save name cannot contain \\, / or :."},
      {".", "A save name cannot be \".\" or contain \"..\"."},
      {"..", "A save name cannot be \".\" or contain \"..\"."},
      {"a..b", "A save name cannot be \".\" or contain \"..\"."},
      {"Game.saving", reserved},
      {"Game.old", reserved},
      {"Game.OLD", reserved},
      {"currentmap.Loading", reserved},
      {sixty + "y", "A save name can have at most 60 characters."},
  };
  for (const TCase& c : cases) EXPECT_EQ(Path_Name_Problem(c.name, "save"), c.problem) << c.name;
  EXPECT_EQ(Path_Name_Problem("x.old", "map"),
            "A map name cannot end in \".saving\", \".old\" or \".loading\": the game keeps those names for itself.");
  // Within the bound, a name and the longest suffix stay a valid Linux name.
  EXPECT_LE(sixty_wide.size() + std::string(".loading").size(), 255u);
}

// The second guard where folders are formed: a join gives a folder inside
// its parent or nothing, and only plain paths are worked on.
TEST(Path_Names, FoldersAreJoinedOnlyInsideTheirParent) {
  const std::string parent = "\\home\\u\\savegames\\";
  const std::pair<std::string, std::string> joins[] = {
      {"Game", parent + "Game\\"}, {"a b.c", parent + "a b.c\\"}, {"", ""},           {".", ""},
      {"..", ""},                   {"..\\x", ""},                  {"../x", ""},        {"x\\", ""},
      {std::string("a\0b", 3), ""},
  };
  for (const auto& [name, folder] : joins) EXPECT_EQ(Path_Join_Folder(parent, name), folder) << name;
  const std::pair<const char*, bool> paths[] = {
      {"\\home\\u\\savegames\\Game\\", true}, {"savegames\\Game", true},   {"\\", true},
      {"", false},                             {"\\home\\u\\savegames\\..\\sentinel\\", false},
      {"\\home\\u\\savegames\\\\", false},     {"a\\.\\b", false},          {"a/../b", false},
      {"..", false},                           {"\\home\\u\\savegames\\..\\", false},
  };
  for (auto [path, plain] : paths) EXPECT_EQ(Path_Is_Plain(path), plain) << path;
}
