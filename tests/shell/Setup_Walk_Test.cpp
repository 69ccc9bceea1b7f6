// A game as a player walks through it, driving the real program under a
// display with the input script: the start menu, the game setup of a
// three-nation game on a chosen map type, the game itself. A virtual display
// is started when none is set.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "Empire.h"
#include "GameInit.h"
#include "GameSettings.h"
#include "Game_Session.h"
#include "Image_Files.h"
#include "MapClass.h"
#include "Native_Path.h"
#include "Walk_Support.h"

namespace {

class Setup_Walk_Test : public Walk_Fixture {
protected:
  int Run(const std::string& script) {
    setenv("GLOBARCH_SKIP_LAUNCHER", "1", 1);
    return Walk_Fixture::Run(script, {"-windowed", "-width:1024", "-height:768", "-constantframetime:0.02"});
  }
  // Screenshots go to $GLOBARCH_SCREENSHOT_DIR when set (to look at them).
  std::string Shot(const std::string& name) const override {
    const char* dir = std::getenv("GLOBARCH_SCREENSHOT_DIR");
    return ((dir && *dir ? std::filesystem::path(dir) : f_work.path()) / name).string();
  }
};

// The script of the setup: the intro skipped, "Single Player Game", "New
// Game", rows 4 to 8 left out, no neutral empire, the map type "Tiny", OK.
std::string Setup_Script(const std::string& menu_shot, const std::string& setup_shot) {
  std::string s;
  s += "3 key space\n";
  s += "8 move 89 706\n";
  s += "10 screenshot " + menu_shot + "\n";
  s += "12 click 89 706\n";   // Single Player Game
  s += "15 click 89 706\n";   // New Game
  std::int32_t frame = 20;
  for (int row = 4; row <= 8; ++row)
    s += std::to_string(frame++) + " click 57 " + std::to_string(208 + 32 * (row - 1) + 11) + "\n";
  s += std::to_string(frame++) + " click 29 571\n";  // no neutral empire
  s += std::to_string(frame++) + " click 379 151\n";  // the map types open
  s += std::to_string(frame++) + " click 250 169\n";  // the first: "Tiny"
  s += std::to_string(frame + 2) + " screenshot " + setup_shot + "\n";
  s += std::to_string(frame + 4) + " click 883 755\n";  // OK
  s += std::to_string(frame + 5) + " move 512 400\n";   // away from the edges (they pan the map)
  return s;
}

// What the walk compares of a saved game: its date, the owners of the
// regions and every unit.
struct TGame_Facts {
  std::int32_t date = 0;
  std::uint8_t turn = 0;
  std::vector<std::string> empires, owners, units;
};

TGame_Facts Facts_Of(const std::filesystem::path& save) {
  TGame_Facts f;
  TLoad_Result result = TLoad_Result::Game;
  EXPECT_TRUE(Game_Session_Load_From(Design_Path(save.string() + "/"), result)) << save;
  f.date = Game_Settings.f_game_date;
  f.turn = Game_Settings.f_turn_empire;
  for (std::int32_t n = 1; G_Empire_List && n <= G_Empire_List->m_Get_Count(); ++n) {
    const TEmpire& e = *G_Empire_List->m_Get_Empire(n);
    f.empires.push_back(e.m_Get_Nation_Name() + "|" + e.m_Get_Player_Name() + "|" +
                        std::to_string(e.m_Get_Computer_Controlled()) + "|" + std::to_string(e.m_Get_Treasury()));
  }
  for (std::int32_t r = 1; G_Map && r <= G_Map->m_Get_Region_Count(); ++r)
    if (const TMap_Region* region = G_Map->m_Get_Region(r)) f.owners.push_back(std::to_string(region->m_Get_Owner()));
  for (std::int32_t id = 1; G_Map && id <= G_Map->m_Get_Unit_Capacity(); ++id) {
    TMap_Unit_Record u;
    G_Map->m_Get_Unit(id, u);
    if (u.id != 0)
      f.units.push_back(std::to_string(u.id) + ":" + std::to_string(u.unit_type) + ":" + std::to_string(u.owner) +
                        ":" + std::to_string(u.region));
  }
  return f;
}

}  // namespace

TEST_F(Setup_Walk_Test, ANewGameIsSavedLeftLoadedFromTheStartMenuAndResumedAsItWas) {
  TWalk_Display display;
  if (!display.m_Ok()) GTEST_SKIP() << "no display and no Xvfb";
  std::string script = Setup_Script(Shot("walk_start_menu.bmp"), Shot("walk_setup.bmp"));
  // The game as it starts (the game menu, the first main button, saves it
  // as "Walk"); no turn is ended, so no computer player's attack can open a
  // battle in the middle of the walk.
  script += "161 move 512 400\n";
  script += "700 screenshot " + Shot("walk_game.bmp") + "\n";
  script += "705 click 282 22\n";   // the game menu
  script += "710 click 500 360\n";  // Save Game
  script += "715 text Walk\n";
  script += "720 click 670 670\n";  // Save
  script += "721 move 512 400\n";
  script += "860 screenshot " + Shot("walk_saved.bmp") + "\n";
  // Back to the start menu ("New Game" of the game menu), then "Single
  // Player Game", "Load Game", the newest save, "Load".
  script += "870 click 282 22\n";
  script += "875 click 500 280\n";
  script += "879 key Return\n";  // yes, leave the game
  script += "885 screenshot " + Shot("walk_menu_again.bmp") + "\n";
  script += "890 click 89 706\n";
  script += "895 click 258 706\n";
  script += "905 click 300 136\n";
  script += "910 screenshot " + Shot("walk_load.bmp") + "\n";
  script += "915 click 670 670\n";  // Load
  script += "916 move 512 400\n";
  script += "1060 screenshot " + Shot("walk_loaded.bmp") + "\n";
  // The resumed game saved again as "Again" for the comparison.
  script += "1070 click 282 22\n";
  script += "1075 click 500 360\n";
  script += "1080 text Again\n";
  script += "1085 click 670 670\n";
  script += "1220 quit\n";
  ASSERT_EQ(Run(script), 0);

  const TImage menu = Read("walk_start_menu.bmp"), setup = Read("walk_setup.bmp"), game = Read("walk_game.bmp"),
               saved = Read("walk_saved.bmp"), again = Read("walk_menu_again.bmp"), loaded = Read("walk_loaded.bmp");
  ASSERT_EQ(menu.width, 1024);
  // The menu picture fills the screen, the six buttons lie at the bottom.
  EXPECT_GT(Lit(menu, 0, 0, 1024, 600), 400000);
  EXPECT_GT(Lit(menu, 5, 686, 1018, 726), 30000);
  // The setup background with its rows; the unused network area shows the
  // plain background picture (no flat block), its "Chat" label covered.
  EXPECT_GT(Lit(setup, 0, 0, 1024, 768), 700000);
  TImage picture;
  ASSERT_TRUE(Image_Read_File((Source_Dir() / "images/ui/Dlg_GameSetup.bmp").string(), picture));
  auto near = [](TColor a, TColor b) {
    for (int s : {0, 8, 16})
      if (std::abs(std::int32_t((a >> s) & 255) - std::int32_t((b >> s) & 255)) > 3) return false;
    return true;
  };
  for (const auto& [x, y] : {std::pair{900, 300}, std::pair{1000, 700}, std::pair{600, 60}, std::pair{500, 690}})
    EXPECT_TRUE(near(setup.Pixel(x, y), picture.Pixel(x, y))) << x << "," << y;
  std::int32_t letters = 0;
  for (std::int32_t y = 30; y < 44; ++y)
    for (std::int32_t x = 722; x < 760; ++x) {
      const TColor c = setup.Pixel(x, y);
      letters += ((c >> 16) & 255) + ((c >> 8) & 255) + (c & 255) > 330;
    }
  EXPECT_EQ(letters, 0);
  // The game: the map is drawn over the screen.
  EXPECT_GT(Lit(game, 0, 0, 1024, 768), 400000);
  // The start menu again, at once without its intro.
  EXPECT_GT(Lit(again, 5, 686, 1018, 726), 30000);
  // The loaded game shows what the saved one showed: the status bar with the
  // nation, the date and the money, and the same view of the map.
  std::int32_t differing = 0;
  for (std::int32_t y = 0; y < 44; ++y)
    for (std::int32_t x = 0; x < 258; ++x) differing += (saved.Pixel(x, y) & 0xFFFFFFu) != (loaded.Pixel(x, y) & 0xFFFFFFu);
  EXPECT_EQ(differing, 0);
  EXPECT_GT(Lit(loaded, 0, 0, 1024, 768), 400000);

  // The two saves hold the same game: date, empires, owners and units.
  const std::filesystem::path saves = f_user.path() / "savegames";
  ASSERT_TRUE(std::filesystem::exists(saves / "Walk"));
  ASSERT_TRUE(std::filesystem::exists(saves / "Again"));
  Game_Init_Start();
  TMap map;
  G_Map = &map;
  const TGame_Facts first = Facts_Of(saves / "Walk"), second = Facts_Of(saves / "Again");
  G_Map = nullptr;
  EXPECT_EQ(first.empires.size(), 3u);  // one human, two computer players, no neutral empire
  EXPECT_EQ(first.date, second.date);
  EXPECT_EQ(first.turn, second.turn);
  EXPECT_EQ(first.empires, second.empires);
  EXPECT_EQ(first.owners, second.owners);
  EXPECT_FALSE(first.units.empty());
  EXPECT_EQ(first.units, second.units);
}

TEST_F(Setup_Walk_Test, TheStartMenusHostChoiceOpensTheLobby) {
  TWalk_Display display;
  if (!display.m_Ok()) GTEST_SKIP() << "no display and no Xvfb";
  std::string s;
  s += "3 key space\n";
  s += "8 move 258 706\n";
  s += "10 click 258 706\n";  // Multiplayer Game
  s += "14 click 258 706\n";  // Host A Game
  s += "20 move 600 740\n";   // away from the controls' help
  s += "40 screenshot " + Shot("walk_lobby_host.bmp") + "\n";
  s += "44 click 974 755\n";  // Cancel
  s += "50 screenshot " + Shot("walk_lobby_cancelled.bmp") + "\n";
  s += "54 quit\n";
  EXPECT_EQ(Run(s), 0);
  const TImage lobby = Read("walk_lobby_host.bmp");
  ASSERT_EQ(lobby.width, 1024);
  ASSERT_EQ(lobby.height, 768);
  // The lobby's chat list and the player rows are drawn over its background.
  EXPECT_GT(Lit(lobby, 725, 45, 1016, 645), 291 * 600 * 9 / 10);
  EXPECT_GT(Lit(lobby, 10, 200, 710, 450), 700 * 250 * 9 / 10);
  // Cancel leaves the lobby for the start menu: the chat list is gone.
  const TImage menu = Read("walk_lobby_cancelled.bmp");
  std::int32_t same = 0;
  for (std::int32_t y = 45; y < 645; y += 4)
    for (std::int32_t x = 725; x < 1016; x += 4) same += lobby.Pixel(x, y) == menu.Pixel(x, y);
  EXPECT_LT(same, 150 * 73 / 2);
}
