// The game menu in the program as a player uses it, through an input
// script under a display: the menu button opens the game menu, "Save Game"
// saves under a typed name, "Load Game" loads the save picked in the list,
// "Options" opens and closes, and the map comes back each time. A virtual
// display is started when none is set.
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "GameFolder.h"
#include "GameInit.h"
#include "Image_Files.h"
#include "Native_Path.h"
#include "Walk_Support.h"

namespace {
namespace fs = std::filesystem;

class Game_Menus_Walk : public Walk_Fixture {
 protected:
  int Run(const std::string& script) {
    setenv("GLOBARCH_SKIP_LAUNCHER", "1", 1);
    return Walk_Fixture::Run(
        script, {"-windowed", "-width:1024", "-height:768", "-constantframetime:0.02", "-quitafterframe:760"});
  }
};

// The program opens on the start menu: a key skips its intro, "Single Player
// Game" and "New Game" open the game setup, the map type "Tiny" is chosen
// and OK builds the game (one step a frame). The lines of `script` follow,
// their frames moved past the building of the game.
std::string After_New_Game(const std::string& script) {
  constexpr int Offset = 160;
  std::string out =
      "3 key space\n8 click 89 706\n11 click 89 706\n16 click 379 151\n18 click 250 169\n"
      "20 click 883 755\n21 move 512 400\n";
  std::size_t at = 0;
  while (at < script.size()) {
    std::size_t end = script.find('\n', at);
    if (end == std::string::npos) end = script.size();
    const std::string line = script.substr(at, end - at);
    const std::size_t space = line.find(' ');
    if (!line.empty() && space != std::string::npos)
      out += std::to_string(std::stoi(line.substr(0, space)) + Offset) + line.substr(space) + "\n";
    at = end + 1;
  }
  return out;
}

}  // namespace

TEST_F(Game_Menus_Walk, SaveLoadAndOptionsFromTheGameMenu) {
  TWalk_Display display;
  if (!display.m_Ok()) GTEST_SKIP() << "no display and no Xvfb";
  // The menu button is the first main button (262, 2); the menu is centred
  // (423, 234) with its buttons at y 41 n - 14; the load and save dialog is
  // centred (212, 84) with OK at (414, 576) and its list at (13, 42).
  const std::string script =
      "10 click 282 22\n"
      "15 screenshot " +
      Shot("menu.bmp") +
      "\n"
      "20 click 500 360\n"  // Save Game
      "25 text Walk\n"
      "30 screenshot " +
      Shot("save.bmp") +
      "\n"
      "35 click 670 670\n"  // Save
      "170 screenshot " +
      Shot("saved.bmp") +
      "\n"
      "180 click 282 22\n"
      "185 click 500 320\n"  // Load Game
      "195 click 300 136\n"  // the first save
      "200 screenshot " +
      Shot("load.bmp") +
      "\n"
      "205 click 670 670\n"  // Load
      "340 screenshot " +
      Shot("loaded.bmp") +
      "\n"
      "350 click 282 22\n"
      "355 click 500 401\n"  // Options
      "360 screenshot " +
      Shot("options.bmp") +
      "\n"
      "365 key Escape\n"
      "370 click 282 22\n"
      "375 key Escape\n"  // the menu's Close
      "380 screenshot " +
      Shot("closed.bmp") +
      "\n"
      "390 quit\n";
  ASSERT_EQ(Run(After_New_Game(script)), 0);
  // The save holds the six files of the game.
  for (const char* f : Game_Folder_Files) EXPECT_TRUE(fs::exists(f_user.path() / "savegames" / "Walk" / f)) << f;
  const TImage menu = Read("menu.bmp"), save = Read("save.bmp"), saved = Read("saved.bmp"), load = Read("load.bmp"),
               loaded = Read("loaded.bmp"), options = Read("options.bmp"), closed = Read("closed.bmp");
  // The menu's six buttons are drawn in the middle of the screen.
  EXPECT_GT(Lit(menu, 423, 234, 601, 534), 178 * 300 * 9 / 10);
  // The save dialog is shown alone (screen mode 5); the typed name in its
  // field.
  EXPECT_GT(Lit(save, 212, 84, 812, 684), 600 * 600 * 9 / 10);
  EXPECT_EQ(Lit(save, 0, 0, 200, 80), 0);
  EXPECT_GT(Lit(save, 225, 521, 260, 536), 20);
  // After the save the dialog is gone and the main buttons are back.
  EXPECT_EQ(Lit(saved, 212, 200, 812, 600), Lit(closed, 212, 200, 812, 600));
  EXPECT_GT(Lit(saved, 262, 2, 302, 42), 800);
  // The load dialog lists the save, picked.
  EXPECT_GT(Lit(load, 225, 130, 500, 145), 30);
  EXPECT_GT(Lit(loaded, 262, 2, 302, 42), 800);
  EXPECT_GT(Lit(options, 212, 84, 812, 684), 600 * 600 * 9 / 10);
  EXPECT_GT(Lit(closed, 262, 2, 302, 42), 800);
  const std::string log = Log();
  EXPECT_EQ(log.find("Exception"), std::string::npos);
}
