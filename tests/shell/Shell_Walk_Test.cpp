// The program as a player starts it, under a display: the launcher, "Play"
// through an input script, the game window with a dialog opened and closed,
// and the exit. A virtual display is started when none is set.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "DlgStartup.h"
#include "GameInit.h"
#include "Image_Files.h"
#include "Native_Path.h"
#include "Walk_Support.h"

namespace {

class Shell_Walk_Test : public Walk_Fixture {};

}  // namespace

TEST_F(Shell_Walk_Test, TheLauncherShowsAndPlayOpensTheGameWindow) {
  TWalk_Display display;
  if (!display.m_Ok()) GTEST_SKIP() << "no display and no Xvfb";
  const std::string play = std::to_string(STARTUP_PANEL_X + 84) + " " + std::to_string(STARTUP_PANEL_Y + 20);
  const std::string script = "2 move " + play + "\n3 screenshot " + Shot("launcher.bmp") + "\n4 click " + play +
                             "\n3 screenshot " + Shot("game.bmp") + "\n6 quit\n";
  ASSERT_EQ(Run(script, {"-windowed", "-width:800", "-height:600"}), 0);
  TImage launcher, game;
  ASSERT_TRUE(Image_Read_File(Design_Path(Shot("launcher.bmp")), launcher));
  EXPECT_GE(launcher.width, STARTUP_PANEL_X + STARTUP_PANEL_WIDTH);
  EXPECT_GE(launcher.height, STARTUP_PANEL_Y + STARTUP_PANEL_HEIGHT);
  // The hovered "Play" face, white caption pixels on it, and the version text in silver.
  std::int32_t white = 0, silver = 0;
  for (std::int32_t y = STARTUP_PANEL_Y; y < STARTUP_PANEL_Y + 40; ++y)
    for (std::int32_t x = STARTUP_PANEL_X; x < STARTUP_PANEL_X + 168; ++x)
      white += (launcher.Pixel(x, y) & 0xFFFFFFu) == 0xFFFFFFu;
  for (std::int32_t y = 230; y < launcher.height && y < 260; ++y)
    for (std::int32_t x = 0; x < 120; ++x) silver += (launcher.Pixel(x, y) & 0xFFFFFFu) == 0xC0C0C0u;
  EXPECT_GT(white, 20);
  EXPECT_GT(silver, 10);
  EXPECT_NE(launcher.Pixel(STARTUP_PANEL_X + 3, STARTUP_PANEL_Y + 3) & 0xFFFFFFu, 0u);
  ASSERT_TRUE(Image_Read_File(Design_Path(Shot("game.bmp")), game));
  EXPECT_EQ(game.width, 800);
  EXPECT_EQ(game.height, 600);
}

TEST_F(Shell_Walk_Test, ADialogOpenedAndClosedAndOneLeftOpenEndCleanly) {
  TWalk_Display display;
  if (!display.m_Ok()) GTEST_SKIP() << "no display and no Xvfb";
  setenv("GLOBARCH_SKIP_LAUNCHER", "1", 1);
  // The start menu comes first: a key shows it at once, without its intro;
  // the screen behind the message is then the menu, as it was before.
  const std::string script = "5 key space\n15 screenshot " + Shot("before.bmp") +
                             "\n20 message Note|opened by the script\n25 screenshot " + Shot("dialog.bmp") +
                             "\n40 key Escape\n45 screenshot " + Shot("closed.bmp") +
                             "\n200 message Note|left open at the end\n";
  ASSERT_EQ(Run(script, {"-windowed", "-width:800", "-height:600", "-constantframetime:0.02", "-quitafterframe:300"}),
            0);
  TImage before, open, closed;
  ASSERT_TRUE(Image_Read_File(Design_Path(Shot("before.bmp")), before));
  ASSERT_TRUE(Image_Read_File(Design_Path(Shot("dialog.bmp")), open));
  ASSERT_TRUE(Image_Read_File(Design_Path(Shot("closed.bmp")), closed));
  // The message box's "Close" button is drawn centred near the bottom; it is gone after Escape.
  std::int32_t changed_open = 0, changed_closed = 0;
  for (std::int32_t y = 150; y < 450; ++y)
    for (std::int32_t x = 200; x < 600; ++x) {
      changed_open += (open.Pixel(x, y) & 0xFFFFFFu) != (before.Pixel(x, y) & 0xFFFFFFu);
      changed_closed += (closed.Pixel(x, y) & 0xFFFFFFu) != (before.Pixel(x, y) & 0xFFFFFFu);
    }
  EXPECT_GT(changed_open, 500);
  EXPECT_EQ(changed_closed, 0);
  const std::string log = Log();
  EXPECT_NE(log.find("TFrm_Main.Engine_Started - Start"), std::string::npos);
  EXPECT_NE(log.find("TFrm_Main.Engine_Started - Load_Game_Data_Files"), std::string::npos);
  EXPECT_NE(log.find("TFrm_Main.Engine_Shutdown - End"), std::string::npos);
}
