// Whole games between computer players, as globarch-selfplay plays them:
// the players buy, move, fight and take regions; the same seed gives the
// same saved game byte for byte.
#include "Selfplay.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Combat.h"
#include "EventLog.h"
#include "GameSettings.h"
#include "Game_Session.h"
#include "GameInit.h"
#include "Global.h"
#include "MachineOptions.h"
#include "MapClass.h"
#include "MasterActionTimer.h"
#include "Native_Path.h"
#include "Test_Support.h"

namespace {
namespace fs = std::filesystem;

// The program's globals and data files, from the source tree, with a
// scratch user folder; each run starts from a fresh start-up.
class Selfplay : public ::testing::Test {
 protected:
  void SetUp() override {
    f_saved_program = Program_Folder;
    f_saved_user = User_Folder;
    Program_Folder = Design_Path(Source_Dir().string()) + "\\";
    User_Folder = user.design();
    for (const char* sub : {"currentmap", "savegames", "maps", "temp", "userdata"})
      fs::create_directories(user.path() / sub);
  }
  void TearDown() override {
    Program_Folder = f_saved_program;
    User_Folder = f_saved_user;
  }
  TSelfplay_Result Play(TSelfplay_Options options, std::vector<std::string>& lines) {
    Game_Init_Create_Globals();
    Game_Init_Load_Map_Data();
    Game_Init_Load_Rule_Files();
    TSelfplay_Result result = Selfplay_Run(options, [&](const std::string& l) { lines.push_back(l); });
    delete G_Map;
    G_Map = nullptr;
    Game_Init_Free_Globals();
    return result;
  }

  TTemp_Dir user, out;
  TShell_Recorder shell;

 private:
  std::string f_saved_program, f_saved_user;
};
}  // namespace

TEST_F(Selfplay, play) {
  TSelfplay_Options options;
  options.seed = 7;
  options.players = 4;
  options.map_type = "Small";
  options.dates = 20;
  options.out_dir = (out.path() / "game").string();
  std::vector<std::string> lines;
  const TSelfplay_Result result = Play(options, lines);
  ASSERT_EQ(result.code, SELFPLAY_DONE) << result.reason;
  // To the date limit or to a winner, one line per date.
  EXPECT_TRUE(result.dates_played == 20 || result.winner != 0);
  EXPECT_GE(result.dates_played, 5);
  ASSERT_GE(lines.size(), std::size_t(result.dates_played + 3));
  EXPECT_EQ(lines[0].rfind("Map: ", 0), 0u);
  EXPECT_EQ(lines[1].rfind("Date 2015.0  P1 regions=", 0), 0u) << lines[1];
  EXPECT_NE(lines[1].find("  P4 regions="), std::string::npos);
  EXPECT_EQ(lines.back().rfind("Events: ", 0), 0u);
  // A game that ended before the date limit names its winner.
  if (result.dates_played < 20) {
    ASSERT_NE(result.winner, 0);
    EXPECT_EQ(lines[lines.size() - 2].rfind("Winner: player " + std::to_string(result.winner), 0), 0u);
  }
  // The computer players play: they buy, move, fight and take regions.
  EXPECT_GT(result.events[EVENT_PURCHASE], 0);
  EXPECT_GT(result.events[EVENT_MOVEMENT], 0);
  EXPECT_GT(result.events[EVENT_COMBAT], 0);
  EXPECT_GT(result.events[EVENT_REGION_CAPTURED], 0);
  // The game is left in the output folder.
  for (const char* f : {"EventLog.dat", "Empires.dat", "GameSettings.dat", "CurrentMap.map"})
    EXPECT_FALSE(Read_File(out.path() / "game" / f).empty()) << f;
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(Selfplay, same_seed) {
  std::string logs[2], empires[2];
  for (int run = 0; run < 2; ++run) {
    TSelfplay_Options options;
    options.seed = 31;
    options.players = 3;
    options.map_type = "Tiny";
    options.dates = 6;
    options.neutral = true;
    options.out_dir = (out.path() / ("run" + std::to_string(run))).string();
    std::vector<std::string> lines;
    const TSelfplay_Result result = Play(options, lines);
    ASSERT_EQ(result.code, SELFPLAY_DONE) << result.reason;
    logs[run] = Read_File(out.path() / ("run" + std::to_string(run)) / "EventLog.dat");
    empires[run] = Read_File(out.path() / ("run" + std::to_string(run)) / "Empires.dat");
  }
  ASSERT_FALSE(logs[0].empty());
  ASSERT_FALSE(empires[0].empty());
  EXPECT_TRUE(logs[0] == logs[1]);
  EXPECT_TRUE(empires[0] == empires[1]);
}

TEST_F(Selfplay, BadOptionsAreRefusedBeforeAnyGameIsMade) {
  for (const auto& [players, dates] : std::vector<std::pair<int, int>>{{1, 10}, {9, 10}, {4, 0}}) {
    TSelfplay_Options options;
    options.players = players;
    options.dates = dates;
    std::vector<std::string> lines;
    EXPECT_EQ(Play(options, lines).code, SELFPLAY_BAD_OPTIONS);
    EXPECT_TRUE(lines.empty());
  }
}

TEST_F(Selfplay, ANewGameWithoutAMapTypeIsMadeOnTheFirstMapType) {
  TSelfplay_Options options;
  options.seed = 3;
  options.players = 2;
  options.dates = 1;
  std::vector<std::string> lines;
  const TSelfplay_Result result = Play(options, lines);
  ASSERT_EQ(result.code, SELFPLAY_DONE) << result.reason;
  ASSERT_GE(lines.size(), 2u);
  // The first map type (Tiny) has land, and the nations start with units.
  EXPECT_EQ(lines[1].find(" units=0 "), std::string::npos) << lines[1];
  EXPECT_EQ(lines[1].find(" regions=0 "), std::string::npos) << lines[1];
  EXPECT_EQ(lines[0].find(", 0 units"), std::string::npos) << lines[0];
}

// A single player on Small against three computer players: from the
// human's end of turn to the human's next turn, at 60 frames a second. What
// the human cannot see takes no frames, so at the fastest unit speed a
// round takes under 3 seconds; the slowest speed takes visibly longer.
TEST_F(Selfplay, computer_round_pace) {
  Game_Init_Create_Globals();
  Game_Init_Load_Map_Data();
  Game_Init_Load_Rule_Files();
  std::int64_t frames_at[5] = {};
  for (std::uint8_t speed : {4, 1}) {
    Machine_Options->f_unit_movement_speed = speed;
    TGame_Session_Setup setup;
    setup.seed = 3;
    setup.map_type = "Small";
    setup.computer = {false, true, true, true};
    ASSERT_TRUE(Game_Session_New_Game(setup)) << (shell.messages.empty() ? std::string() : shell.m_Joined().back());
    const std::int32_t date = Game_Settings.f_game_date;
    for (int round = 0; round < 2; ++round) {
      ASSERT_NE(Game_Session_End_Turn(), 0);
      std::int64_t frames = 0;
      std::uint32_t seen_players = 0;
      while (frames < 100000) {
        Game_Session_Frame(1.0f / 60.0f);
        ++frames;
        seen_players |= 1u << Game_Settings.f_turn_empire;
        if (Game_Settings.f_turn_empire == 1 && !Master_Action_Timer->m_Has_Action_Type(ACTION_END_TURN) &&
            !Combat_Is_Active())
          break;
      }
      EXPECT_EQ(seen_players & 0x1Cu, 0x1Cu) << "players 2, 3 and 4 took their turns";
      EXPECT_EQ(Game_Settings.f_game_date, date + round + 1);
      frames_at[speed] = std::max(frames_at[speed], frames);
      if (speed == 1) break;
    }
  }
  EXPECT_LT(frames_at[4], 180);
  EXPECT_GT(frames_at[1], frames_at[4] + 60);
  delete G_Map;
  G_Map = nullptr;
  Game_Init_Free_Globals();
}
