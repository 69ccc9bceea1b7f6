// The first minute of the game as a player meets it, driving the real
// program under a display with the input script: the start menu left alone
// through its intro, a new game from the setup dialog with the pointer left
// on its OK button, "Resume Game" after the program was started again, a
// quick pick from a drop-down over the purchase list, a broken save named on
// the command line, and the hover help of the status bar. A virtual display
// is started when none is set.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "DC_Dlg_StartMenu.h"
#include "Empire.h"
#include "GameInit.h"
#include "Game_Run.h"
#include "GameSettings.h"
#include "Game_Session.h"
#include "GraphicsEngine_Culling.h"
#include "Image_Files.h"
#include "MapClass.h"
#include "Native_Path.h"
#include "Walk_Support.h"

namespace {

class Screens_Walk_Test : public Walk_Fixture {
protected:
  void SetUp() override {
    Walk_Fixture::SetUp();
    setenv("GLOBARCH_SKIP_LAUNCHER", "1", 1);
    Start_Menu_Intro_Shown = false;
  }
  int Run(const std::string& script, std::vector<const char*> more = {}) {
    std::vector<const char*> switches{"-windowed", "-width:1024", "-height:768", "-constantframetime:0.05"};
    switches.insert(switches.end(), more.begin(), more.end());
    return Walk_Fixture::Run(script, switches);
  }
  // Screenshots go to $GLOBARCH_SCREENSHOT_DIR when set (to look at them).
  std::string Shot(const std::string& name) const override {
    const char* dir = std::getenv("GLOBARCH_SCREENSHOT_DIR");
    return ((dir && *dir ? std::filesystem::path(dir) : f_work.path()) / name).string();
  }
  // The mean brightness (0 to 765) of the rectangle's pixels.
  static double Brightness(const TImage& image, std::int32_t left, std::int32_t top, std::int32_t right,
                           std::int32_t bottom) {
    double sum = 0;
    std::int64_t n = 0;
    for (std::int32_t y = top; y < bottom && y < image.height; ++y)
      for (std::int32_t x = left; x < right && x < image.width; ++x) {
        const TColor c = image.Pixel(x, y);
        sum += double((c >> 16) & 255) + double((c >> 8) & 255) + double(c & 255);
        ++n;
      }
    return n ? sum / double(n) : 0.0;
  }
  // The saved game `name` of the user folder read into fresh globals; the
  // caller looks at them, Close_Save frees them again.
  bool Open_Save(const std::string& name) {
    Game_Init_Start();
    f_map = std::make_unique<TMap>();
    G_Map = f_map.get();
    TLoad_Result result = TLoad_Result::Game;
    return Game_Session_Load_From(Design_Path((f_user.path() / "savegames" / name).string() + "/"), result);
  }
  void Close_Save() {
    G_Map = nullptr;
    f_map.reset();
  }
  void TearDown() override {
    Close_Save();
    Walk_Fixture::TearDown();
  }
  std::unique_ptr<TMap> f_map;
};

// Clicks of the start menu's bottom row (1024 x 768).
constexpr std::int32_t Menu_Y = 706;
std::int32_t Menu_X(std::int32_t button) { return 89 + 169 * (button - 1); }
std::string Click_Menu(std::int32_t frame, std::int32_t button) {
  return std::to_string(frame) + " click " + std::to_string(Menu_X(button)) + " " + std::to_string(Menu_Y) + "\n";
}

}  // namespace

// Nobody touches anything: the logos come and go, the menu fades in and
// stays at full brightness (it used to fade to black and stay black).
TEST_F(Screens_Walk_Test, TheStartMenuLeftAloneStaysBright) {
  TWalk_Display display;
  if (!display.m_Ok()) GTEST_SKIP() << "no display and no Xvfb";
  std::string s;
  s += "200 screenshot " + Shot("intro_fading.bmp") + "\n";  // 10 s: the menu two thirds faded in
  s += "600 screenshot " + Shot("intro_waited.bmp") + "\n";  // 30 s
  s += "601 key space\n";                                    // nothing left to skip
  s += "604 screenshot " + Shot("intro_key.bmp") + "\n";
  s += "606 quit\n";
  ASSERT_EQ(Run(s), 0);
  const TImage fading = Read("intro_fading.bmp"), waited = Read("intro_waited.bmp"), key = Read("intro_key.bmp");
  ASSERT_EQ(waited.width, 1024);
  // The menu picture fills the screen and the buttons stand at the bottom.
  EXPECT_GT(Lit(waited, 0, 0, 1024, 600), 400000);
  EXPECT_GT(Lit(waited, 5, 686, 1018, 726), 30000);
  const double full = Brightness(waited, 0, 0, 1024, 768);
  EXPECT_GT(full, 60.0);
  // Mid-fade it is darker than at the end, but no longer black.
  const double mid = Brightness(fading, 0, 0, 1024, 768);
  EXPECT_GT(mid, full * 0.4);
  EXPECT_LT(mid, full * 0.9);
  // A key after the intro changes nothing: the menu was already all there.
  EXPECT_NEAR(Brightness(key, 0, 0, 1024, 768), full, 1.0);
}

// A new game from the setup dialog on "Small", the pointer left resting on
// the dialog's OK button at the bottom edge while the game opens: the view
// opens over the player's nation, the map fills the screen, and it stays
// there (the edge only pans once the pointer has been away from it).
TEST_F(Screens_Walk_Test, ANewGameFromTheSetupDialogOpensOverThePlayersNation) {
  TWalk_Display display;
  if (!display.m_Ok()) GTEST_SKIP() << "no display and no Xvfb";
  std::string s;
  s += "3 key space\n";
  s += Click_Menu(8, 1);   // Single Player Game
  s += Click_Menu(12, 1);  // New Game
  // Rows 4 to 8 left out: three nations.
  std::int32_t frame = 16;
  for (int row = 4; row <= 8; ++row)
    s += std::to_string(frame++) + " click 57 " + std::to_string(208 + 32 * (row - 1) + 11) + "\n";
  s += std::to_string(frame++) + " click 379 151\n";  // the map types open
  s += std::to_string(frame++) + " click 250 183\n";  // the second: "Small"
  s += std::to_string(frame + 2) + " screenshot " + Shot("setup_small.bmp") + "\n";
  s += std::to_string(frame + 4) + " click 883 755\n";  // OK, and the pointer stays there
  s += "400 screenshot " + Shot("setup_opened.bmp") + "\n";
  s += "402 move 512 400\n";
  s += "404 key F1\n";  // the game menu: Save Game as "Opened"
  s += "408 click 500 360\n";
  s += "412 text Opened\n";
  s += "416 click 670 670\n";
  s += "417 move 512 400\n";
  s += "520 quit\n";
  ASSERT_EQ(Run(s), 0);
  const TImage opened = Read("setup_opened.bmp");
  ASSERT_EQ(opened.width, 1024);
  // No empty half: the map is drawn over the top and the bottom half alike.
  EXPECT_GT(Lit(opened, 0, 60, 1024, 384), 1024 * 324 * 9 / 10);
  EXPECT_GT(Lit(opened, 0, 384, 1024, 768), 1024 * 384 * 9 / 10);
  // The saved view is the player's opening view over the nation's regions.
  ASSERT_TRUE(Open_Save("Opened"));
  const TEmpire& player = *G_Empire_List->m_Get_Empire(1);
  EXPECT_FALSE(player.m_Get_Computer_Controlled());
  // The map is wider and higher than the view.
  EXPECT_GT(G_Map->m_Get_Pixel_Height(), 1600);
  EXPECT_EQ(Game_Settings.f_camera_eye.x, player.m_Get_Camera_Eye().x);
  EXPECT_EQ(Game_Settings.f_camera_eye.y, player.m_Get_Camera_Eye().y);
  // The view's middle lies among the nation's regions: the nearest of them
  // is less than a sixth of the map away.
  double nearest = 1e18;
  const float map_h = float(G_Map->m_Get_Pixel_Height());
  for (std::int32_t r = 1; r <= G_Map->m_Get_Region_Count(); ++r) {
    const TMap_Region* region = G_Map->m_Get_Region(r);
    if (!region || region->m_Get_Owner() != 1) continue;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    region->m_Get_Bounds(left, top, right, bottom);
    const double dx = (left + right) / 2.0 - Game_Settings.f_camera_eye.x;
    const double dy = map_h - (top + bottom) / 2.0 - Game_Settings.f_camera_eye.y;
    nearest = std::min(nearest, std::sqrt(dx * dx + dy * dy));
  }
  EXPECT_LT(nearest, G_Map->m_Get_Pixel_Width() / 6.0);
  // And the view keeps off the map's edges.
  const float half_h = -Game_Settings.f_camera_eye.z * std::tan(G_PICK_FIELD_OF_VIEW / 2.0f);
  EXPECT_GE(Game_Settings.f_camera_eye.y, half_h - 1.0f);
  EXPECT_LE(Game_Settings.f_camera_eye.y, map_h - half_h + 1.0f);
  Close_Save();
}

// A game is saved, the program ends; started again, the start menu offers
// "Resume Game", and it brings the saved game back.
TEST_F(Screens_Walk_Test, ResumeGameAfterTheProgramWasStartedAgain) {
  TWalk_Display display;
  if (!display.m_Ok()) GTEST_SKIP() << "no display and no Xvfb";
  {
    std::string s;
    s += "10 move 512 400\n";
    s += "20 key F1\n";  // the game menu: Save Game as "Evening"
    s += "24 click 500 360\n";
    s += "28 text Evening\n";
    s += "32 click 670 670\n";
    s += "33 move 512 400\n";
    s += "260 screenshot " + Shot("resume_saved.bmp") + "\n";
    s += "262 quit\n";
    ASSERT_EQ(Run(s, {"-newgame:Tiny:hc:5"}), 0);
  }
  Game_Init_Free_Globals();
  Start_Menu_Intro_Shown = false;
  std::string s;
  s += "3 key space\n";
  s += Click_Menu(8, 1);  // Single Player Game
  s += "12 move 600 600\n";
  s += "14 screenshot " + Shot("resume_menu.bmp") + "\n";
  s += Click_Menu(16, 3);  // Resume Game
  s += "17 move 512 400\n";
  s += "140 screenshot " + Shot("resume_resumed.bmp") + "\n";
  s += "142 quit\n";
  ASSERT_EQ(Run(s), 0);
  const TImage saved = Read("resume_saved.bmp"), menu = Read("resume_menu.bmp"), resumed = Read("resume_resumed.bmp");
  ASSERT_EQ(resumed.width, 1024);
  // "Resume Game" is drawn as lit as "New Game" beside it (a disabled
  // button is greyed).
  const double new_game = Brightness(menu, Menu_X(1) - 80, 688, Menu_X(1) + 80, 724);
  const double resume = Brightness(menu, Menu_X(3) - 80, 688, Menu_X(3) + 80, 724);
  EXPECT_GT(resume, new_game * 0.9) << new_game << " " << resume;
  // The game is back as it was saved: the status bar with nation, date and money.
  std::int32_t differing = 0;
  for (std::int32_t y = 0; y < 44; ++y)
    for (std::int32_t x = 0; x < 258; ++x)
      differing += (saved.Pixel(x, y) & 0xFFFFFFu) != (resumed.Pixel(x, y) & 0xFFFFFFu);
  EXPECT_EQ(differing, 0);
  EXPECT_GT(Lit(resumed, 0, 0, 1024, 768), 400000);
}

// The purchase panel's kind drop-down lies over its list. Opened and picked
// from at once (within the double-click time), the pick only changes the
// kind: the list underneath takes no double click, nothing is bought.
TEST_F(Screens_Walk_Test, AQuickPickFromADropDownBuysNothing) {
  TWalk_Display display;
  if (!display.m_Ok()) GTEST_SKIP() << "no display and no Xvfb";
  std::string s;
  s += "10 move 512 400\n";
  s += "20 key F2\n";  // the purchase panels
  s += "30 click 1010 148\n";  // the kind drop-down opens
  s += "31 screenshot " + Shot("pick_open.bmp") + "\n";
  s += "32 click 900 222\n";  // "Technology", 0.1 s later, over the list
  s += "34 move 512 400\n";
  s += "40 screenshot " + Shot("pick_done.bmp") + "\n";
  s += "42 click 976 601\n";  // the panels' Close
  s += "43 move 512 400\n";
  s += "46 key F1\n";  // Save Game as "Picked"
  s += "50 click 500 360\n";
  s += "54 text Picked\n";
  s += "58 click 670 670\n";
  s += "59 move 512 400\n";
  s += "300 quit\n";
  ASSERT_EQ(Run(s, {"-newgame:Tiny:hc:5"}), 0);
  ASSERT_TRUE(Open_Save("Picked"));
  const TEmpire& player = *G_Empire_List->m_Get_Empire(1);
  EXPECT_EQ(player.m_Get_Purchase_Count(), 0);
  Close_Save();
}

// A save named on the command line that cannot be read: the reason shows
// over the start menu, which then takes input as always.
TEST_F(Screens_Walk_Test, ABrokenSaveOnTheCommandLineLeavesTheStartMenu) {
  TWalk_Display display;
  if (!display.m_Ok()) GTEST_SKIP() << "no display and no Xvfb";
  const std::filesystem::path broken = f_user.path() / "savegames" / "Broken";
  std::filesystem::create_directories(broken);
  for (const char* f : {"GameSettings.dat", "Empires.dat", "CurrentMap.map"}) Write_File(broken / f, "not a save");
  std::string s;
  s += "20 screenshot " + Shot("broken_message.bmp") + "\n";
  s += "22 key Return\n";  // the message closes
  s += "30 move 600 600\n";
  s += "34 screenshot " + Shot("broken_menu.bmp") + "\n";
  s += Click_Menu(36, 1);  // Single Player Game: the menu answers
  s += "38 move 600 600\n";
  s += "42 screenshot " + Shot("broken_page.bmp") + "\n";
  s += "44 quit\n";
  ASSERT_EQ(Run(s, {"-loadgame:Broken"}), 0);
  const TImage message = Read("broken_message.bmp"), menu = Read("broken_menu.bmp"), page = Read("broken_page.bmp");
  ASSERT_EQ(menu.width, 1024);
  // The start menu with its buttons, not a black screen.
  EXPECT_GT(Lit(menu, 0, 0, 1024, 600), 400000);
  EXPECT_GT(Lit(menu, 5, 686, 1018, 726), 30000);
  // The message box lit in the middle of the screen at first.
  EXPECT_GT(Lit(message, 312, 284, 712, 484), 200 * 400 * 8 / 10);
  // The click turned the page: the captions changed.
  std::int32_t changed = 0;
  for (std::int32_t y = 688; y < 724; ++y)
    for (std::int32_t x = 5; x < 1018; ++x) changed += menu.Pixel(x, y) != page.Pixel(x, y);
  EXPECT_GT(changed, 500);
}

// The pointer resting on the status bar's money brings up its help.
TEST_F(Screens_Walk_Test, TheStatusBarHasHoverHelp) {
  TWalk_Display display;
  if (!display.m_Ok()) GTEST_SKIP() << "no display and no Xvfb";
  std::string s;
  s += "10 move 512 400\n";
  s += "40 screenshot " + Shot("help_none.bmp") + "\n";
  s += "42 move 90 32\n";  // the treasury
  s += "80 screenshot " + Shot("help_treasury.bmp") + "\n";
  s += "82 quit\n";
  ASSERT_EQ(Run(s, {"-newgame:Tiny:hc:5"}), 0);
  const TImage none = Read("help_none.bmp"), help = Read("help_treasury.bmp");
  ASSERT_EQ(help.width, 1024);
  // A box of text below the status bar that was not there before.
  std::int32_t changed = 0;
  for (std::int32_t y = 44; y < 200; ++y)
    for (std::int32_t x = 0; x < 420; ++x) changed += (none.Pixel(x, y) & 0xFFFFFFu) != (help.Pixel(x, y) & 0xFFFFFFu);
  EXPECT_GT(changed, 300 * 30);
}

// A hosted network game with a machine that joined it, both real programs
// on this machine (the host in a process of its own): the host's player
// opens the chat with Enter and sends a line; the joined player sees it in
// the chat panel and answers; the host sees the answer. The two scripts
// wait for each other's screenshots.
TEST_F(Screens_Walk_Test, ChatLinesGoBetweenTheHostAndTheJoinedMachine) {
  TWalk_Display display;
  if (!display.m_Ok()) GTEST_SKIP() << "no display and no Xvfb";
  const std::string port = std::to_string(30000 + getpid() % 20000);
  auto signal = [this](const std::string& name) { return Shot(name); };
  for (const char* name : {"host_listening.bmp", "join_logged_in.bmp", "host_game.bmp", "join_game.bmp",
                           "host_chat.bmp", "join_chat.bmp", "host_answer.bmp"})
    std::filesystem::remove(signal(name));
  auto set_port = [&port](std::int32_t frame) {
    std::string s;
    s += std::to_string(frame) + " click 290 696\n";  // the port
    s += std::to_string(frame + 1) + " key End\n";
    for (int i = 0; i < 5; ++i) s += std::to_string(frame + 2 + i) + " key Backspace\n";
    s += std::to_string(frame + 8) + " text " + port + "\n";
    return s;
  };
  // The host: "Multiplayer Game", "Host A Game", the game's name, address
  // and port, its own row's names, the first stored map; Create, then Begin
  // and Start once the other player has logged in.
  std::string host;
  host += "3 key space\n";
  host += Click_Menu(8, 2);
  host += Click_Menu(12, 2);
  host += "20 click 620 64\n";
  host += "21 text Chat Walk\n";
  host += "30 click 220 664\n";
  host += "31 text 127.0.0.1\n";
  host += set_port(40);
  host += "60 click 320 219\n";  // row 1: nation and player
  host += "61 text Hostland\n";
  host += "64 click 520 219\n";
  host += "65 text Ann\n";
  host += "70 click 379 115\n";  // the stored maps open
  host += "72 click 250 133\n";  // the first
  host += "80 click 883 755\n";  // Create
  host += "120 screenshot " + signal("host_listening.bmp") + "\n";
  host += "121 waitfile " + signal("join_logged_in.bmp") + "\n";
  host += "160 click 883 755\n";  // Begin: the computer rows
  host += "170 click 883 755\n";  // Start
  host += "171 move 512 400\n";
  host += "600 screenshot " + signal("host_game.bmp") + "\n";
  host += "601 waitfile " + signal("join_game.bmp") + "\n";
  host += "610 key Return\n";  // the chat opens
  host += "614 text Hello from the host\n";
  host += "640 key Return\n";  // sent
  host += "650 screenshot " + signal("host_chat.bmp") + "\n";
  host += "651 waitfile " + signal("join_chat.bmp") + "\n";
  host += "700 screenshot " + signal("host_answer.bmp") + "\n";
  host += "702 quit\n";
  // The joined machine: "Multiplayer Game", "Join A Game", the host's
  // address and port once it listens, Connect, its names in the login box.
  std::string join;
  join += "3 key space\n";
  join += Click_Menu(8, 2);
  join += Click_Menu(12, 3);
  join += "20 waitfile " + signal("host_listening.bmp") + "\n";
  join += "30 click 220 664\n";
  join += "31 text 127.0.0.1\n";
  join += set_port(40);
  join += "60 click 883 755\n";  // Connect
  join += "120 text Bob\n";      // the login box: player name, nation
  join += "124 key Tab\n";
  join += "126 text Bobland\n";
  join += "140 key Return\n";
  join += "170 screenshot " + signal("join_logged_in.bmp") + "\n";
  join += "171 waitfile " + signal("host_game.bmp") + "\n";
  join += "172 move 512 400\n";
  join += "400 key Return\n";  // the chat opens before the host's line comes
  join += "404 screenshot " + signal("join_game.bmp") + "\n";
  join += "405 waitfile " + signal("host_chat.bmp") + "\n";
  join += "440 screenshot " + signal("join_heard.bmp") + "\n";
  join += "444 text Hello back\n";
  join += "470 key Return\n";
  join += "500 screenshot " + signal("join_chat.bmp") + "\n";
  join += "502 quit\n";

  // Each machine its own user and config folders.
  TTemp_Dir host_user, host_config;
  const std::string host_script = (f_work.path() / "host_script.txt").string();
  Write_File(host_script, host);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    setenv("GLOBARCH_USER_DIR", host_user.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", host_config.path().c_str(), 1);
    setenv("GLOBARCH_INPUT_SCRIPT", host_script.c_str(), 1);
    const char* argv[] = {"globarch", "-windowed", "-width:1024", "-height:768", "-constantframetime:0.05",
                          "-quitafterframe:20000"};
    _exit(Game_Init_Run(6, const_cast<char**>(argv)));
  }
  const int joined = Run(join, {"-quitafterframe:20000"});
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_EQ(joined, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  // The joined machine's chat panel: empty when opened, then the host's
  // line, then the answer too; the host's panel gets the answer.
  const TImage opened = Read("join_game.bmp"), heard = Read("join_heard.bmp"), answered = Read("join_chat.bmp"),
               sent = Read("host_chat.bmp"), answer = Read("host_answer.bmp");
  ASSERT_EQ(heard.width, 1024);
  auto letters = [](const TImage& image) {
    // Bright text pixels in the chat list (the column below the overview map).
    std::int32_t n = 0;
    for (std::int32_t y = 150; y < 560; ++y)
      for (std::int32_t x = 766; x < 1024; ++x) {
        const TColor c = image.Pixel(x, y);
        n += ((c >> 16) & 255) > 200 && ((c >> 8) & 255) > 200 && (c & 255) > 200;
      }
    return n;
  };
  EXPECT_GT(letters(heard), letters(opened) + 50);
  EXPECT_GT(letters(answered), letters(heard) + 30);
  EXPECT_GT(letters(answer), letters(sent) + 30);
}
