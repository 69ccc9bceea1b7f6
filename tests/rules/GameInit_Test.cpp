#include "GameInit.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "Datafile_DebugSettings.h"
#include "Datafile_EffectEmitters.h"
#include "Datafile_HelpText.h"
#include "Datafile_MainFonts.h"
#include "Datafile_MapTypes.h"
#include "Datafile_Tech.h"
#include "Datafile_TerrainTiles.h"
#include "Datafile_Units.h"
#include "Debug_Log.h"
#include "EventLog.h"
#include "Global.h"
#include "GraphicsEngine_ParticleList.h"
#include "MachineOptions.h"
#include "MasterActionTimer.h"
#include "Path.h"
#include "Shell_Services.h"
#include "Test_Support.h"

namespace {
// Runs a start with the asset tree given and fresh user and config folders.
class Game_Init_Test : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("GLOBARCH_USER_DIR", f_user.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", f_config.path().c_str(), 1);
    setenv("GLOBARCH_SEED", "1", 1);
    Take_Held_Reports();
  }
  void TearDown() override {
    Game_Init_Free_Globals();
    Take_Held_Reports();
    std::fill(std::begin(Debug_Sections), std::end(Debug_Sections), false);
    Debug_Enabled = false;
  }
  std::string Log() const { return Read_File(f_user.path() / "Backup" / "Globarch_Log.txt"); }

  TEnvironment_Guard f_environment{"GLOBARCH_HOME", "GLOBARCH_USER_DIR", "XDG_CONFIG_HOME", "GLOBARCH_SEED"};
  TTemp_Dir f_user, f_config;
};
}  // namespace

TEST_F(Game_Init_Test, StartsOnTheShippedData) {
  setenv("GLOBARCH_HOME", Source_Dir().c_str(), 1);
  std::string report = Game_Init_Start();
  ASSERT_NE(Map_Type_List, nullptr);
  ASSERT_NE(Terrain_Tile_List, nullptr);
  EXPECT_GT(Map_Type_List->m_Count(), 0);
  EXPECT_GT(Terrain_Tile_List->m_Count(), 0);
  ASSERT_NE(Unit_Type_List, nullptr);
  ASSERT_NE(Tech_Area_List, nullptr);
  ASSERT_NE(Effect_List, nullptr);
  EXPECT_GT(Unit_Type_List->m_Count(), 0);
  EXPECT_GT(Tech_Area_List->m_Count(), 0);
  ASSERT_NE(Main_Fonts, nullptr);
  EXPECT_GE(Main_Fonts->m_Count(), 12);
  // The particle systems exist from the start.
  EXPECT_NE(g_tg_particle_list, nullptr);
  EXPECT_EQ(report, "Globarch 1.09: game type Standard; loaded " + std::to_string(Main_Fonts->m_Count()) +
                        " main fonts, user settings, game settings, machine options, debug settings, help texts, " +
                        std::to_string(Map_Type_List->m_Count()) + " map types, " +
                        std::to_string(Terrain_Tile_List->m_Count()) + " terrain tiles, " +
                        std::to_string(Unit_Type_List->m_Count()) + " unit types, " +
                        std::to_string(Tech_Area_List->m_Count()) + " technology areas, " +
                        std::to_string(Effect_List->m_Count()) + " effects; debug log " +
                        (f_user.path() / "Backup" / "Globarch_Log.txt").string());
  EXPECT_TRUE(Take_Held_Reports().empty());
  ASSERT_NE(Path_Settings, nullptr);
  EXPECT_EQ(Path_Settings->m_Get_Game_Type_Folder(), "standard");
  ASSERT_NE(Machine_Options, nullptr);
  EXPECT_EQ(Machine_Options->f_resolution_width, 1024);
  ASSERT_NE(Help_Text, nullptr);
  ASSERT_NE(Map_Type_List, nullptr);
  // The event log takes the world model's events from the start.
  ASSERT_NE(G_Event_Log, nullptr);
  EXPECT_EQ(&World_Event_Log_Link(), G_Event_Log);
  // The default user files were copied into the user folder.
  EXPECT_TRUE(std::filesystem::exists(f_user.path() / "userdata" / "DebugSettings.txt"));
  EXPECT_TRUE(std::filesystem::exists(f_user.path() / "userdata" / "UserSettings.txt"));
  // The shipped debug settings turn the game log on: the banner is written
  // (at the latest when the fast-log buffer is written out at the end).
  ASSERT_NE(Debug_Settings, nullptr);
  ASSERT_TRUE(Debug_Settings->f_generate_game_debug_log);
  // The action timer runs the battle's actions from the start.
  ASSERT_NE(Master_Action_Timer, nullptr);
  std::int32_t next_piece = Master_Action_Timer->m_Add_Action_Combat_Next_Piece(0, true);
  std::int32_t index = Master_Action_Timer->m_Find_Action(next_piece);
  Master_Action_Timer->m_Execute_Action(index, 0.1f);
  EXPECT_EQ(Master_Action_Timer->m_Get_Record(index).step, 1);
  Game_Init_Free_Globals();
  EXPECT_EQ(Debug_Settings, nullptr);
  EXPECT_EQ(Path_Settings, nullptr);
  EXPECT_EQ(Unit_Type_List, nullptr);
  EXPECT_EQ(Tech_Area_List, nullptr);
  EXPECT_EQ(Effect_List, nullptr);
  EXPECT_EQ(G_Event_Log, nullptr);
  EXPECT_EQ(Main_Fonts, nullptr);
  EXPECT_EQ(g_tg_particle_list, nullptr);
  std::string log = Log();
  std::string exe = Game_Init_Program_File();
  EXPECT_NE(log.find(" ***************** " + exe + " - New Execution *****************\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" ***************** Game Version: 1.09 *****************\n"), std::string::npos) << log;
}

TEST_F(Game_Init_Test, BrokenFilesAreReportedAndTheStartGoesOn) {
  // A copy of the asset tree with a broken help text file, no map types and
  // no effects.
  TTemp_Dir home;
  std::filesystem::copy(Source_Dir() / "data", home.path() / "data", std::filesystem::copy_options::recursive);
  std::filesystem::copy(Source_Dir() / "gametypes", home.path() / "gametypes",
                        std::filesystem::copy_options::recursive);
  std::filesystem::copy(Source_Dir() / "userdata", home.path() / "userdata", std::filesystem::copy_options::recursive);
  for (const char* name : {"HelpText.txt", "MapTypes.txt", "Effects.txt"})
    for (const auto& dir : {home.path() / "data", home.path() / "gametypes" / "standard" / "data"})
      std::filesystem::remove(dir / name);
  Write_File(home.path() / "data" / "HelpText.txt", "Help\n*BEGIN*\nHelp Text\nBroken.\nDlg Main 1 Name := x\n*END*\n");
  // Debug settings without the game log: no banner.
  Write_File(home.path() / "userdata" / "DebugSettings.txt",
             "Debug\n*BEGIN*\nDebug Settings\nNone.\nGenerate Game Debug Log := No\n*END*\n");
  setenv("GLOBARCH_HOME", home.path().c_str(), 1);

  std::string report = Game_Init_Start();
  ASSERT_NE(Terrain_Tile_List, nullptr);
  ASSERT_NE(Unit_Type_List, nullptr);
  EXPECT_NE(report.find("; loaded " + std::to_string(Main_Fonts->m_Count()) +
                        " main fonts, user settings, game settings, machine options, " +
                        std::to_string(Terrain_Tile_List->m_Count()) + " terrain tiles, " +
                        std::to_string(Unit_Type_List->m_Count()) + " unit types, " +
                        std::to_string(Tech_Area_List->m_Count()) +
                        " technology areas; with errors: debug settings, help texts, 0 map types, effects; "),
            std::string::npos)
      << report;
  // The errors of the help texts and the map types were shown (and held for
  // the main screen); those of the debug settings are not shown.
  auto held = Take_Held_Reports();
  ASSERT_EQ(held.size(), 2u);
  EXPECT_EQ(held[0].caption, "Data File Error");
  ASSERT_FALSE(held[0].rows.empty());
  EXPECT_EQ(held[0].rows[0], "Help Text Data File");
  EXPECT_EQ(held[1].caption, "Map Types Datafile");
  Game_Init_Free_Globals();
  EXPECT_EQ(Log().find("New Execution"), std::string::npos);
}
