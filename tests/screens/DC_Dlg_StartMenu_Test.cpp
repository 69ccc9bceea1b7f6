// The start menu: the intro's fade curve, skipping it, the pages and their
// results, the resume choice, the credits, the title music, and the main
// screen's follow-up of a choice.
#include "DC_Dlg_StartMenu.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "DC_Base_EditText.h"
#include "DC_Dlg_GameSetup.h"
#include "Datafile_BaseGameSettings.h"
#include "Native_Path.h"
#include "DC_Main.h"
#include "MachineOptions.h"
#include "Setup_Screens_Fixture.h"
#include "SoundEngine_Music_Base.h"

namespace {

class Start_Menu_Test : public Setup_Screens_Fixture {
protected:
  void SetUp() override {
    Setup_Screens_Fixture::SetUp();
    Start_Menu_Intro_Shown = false;
  }
  void TearDown() override {
    Start_Menu_Intro_Shown = false;
    Setup_Screens_Fixture::TearDown();
  }
  std::unique_ptr<TDC_Dlg_StartMenu> Open() {
    auto menu = std::make_unique<TDC_Dlg_StartMenu>();
    menu->m_Set_Position_Centered("Dlg Start Menu", false);
    menu->m_Set_Visible(true);
    return menu;
  }
  static std::vector<std::string> Captions(TDC_Dlg_StartMenu& m) {
    std::vector<std::string> c;
    for (int n = 1; n <= 6; ++n) c.push_back(m.m_Button(n).m_Caption() + (m.m_Button(n).m_Enabled() ? "" : " -"));
    return c;
  }
};

}  // namespace

TEST(Start_Menu_Intro, TheLogosFadeInAndOutAndTheMenuFadesInOverThreeSeconds) {
  struct TCase {
    float at;  // seconds since the start, in steps of 0.25
    TStart_Menu_Phase phase;
    float first, second, fade;
  } cases[] = {
      {0.25f, TStart_Menu_Phase::First_Logo, 0.0f, 0.0f, 0.0f},
      {0.5f, TStart_Menu_Phase::First_Logo, 0.0f, 0.0f, 0.0f},
      {1.75f, TStart_Menu_Phase::First_Logo, 0.5f, 0.0f, 0.0f},
      {3.0f, TStart_Menu_Phase::First_Logo, 1.0f, 0.0f, 0.0f},
      {3.5f, TStart_Menu_Phase::First_Logo, 0.5f, 0.0f, 0.0f},
      {4.0f, TStart_Menu_Phase::First_Logo, 0.0f, 0.0f, 0.0f},
      {4.25f, TStart_Menu_Phase::Second_Logo, 0.0f, 0.0f, 0.0f},
      {5.75f, TStart_Menu_Phase::Second_Logo, 0.0f, 0.5f, 0.0f},
      {7.25f, TStart_Menu_Phase::Second_Logo, 0.0f, 1.0f, 0.0f},
      {7.75f, TStart_Menu_Phase::Second_Logo, 0.0f, 0.5f, 0.0f},
      {8.5f, TStart_Menu_Phase::Menu, 0.0f, 0.0f, 0.0f},
      {10.0f, TStart_Menu_Phase::Menu, 0.0f, 0.0f, 0.5f},
      {11.5f, TStart_Menu_Phase::Menu, 0.0f, 0.0f, 1.0f},
      {20.0f, TStart_Menu_Phase::Menu, 0.0f, 0.0f, 1.0f},
  };
  TStart_Menu_Intro intro;
  float now = 0.0f;
  bool entered = false;
  std::int32_t menu_entries = 0;
  for (const TCase& c : cases) {
    while (now + 0.125f < c.at) {
      now += 0.25f;
      entered = Start_Menu_Advance(intro, 0.25f);
      menu_entries += entered;
    }
    SCOPED_TRACE(c.at);
    EXPECT_EQ(intro.phase, c.phase);
    if (c.phase == TStart_Menu_Phase::First_Logo) {
      EXPECT_NEAR(intro.first_logo, c.first, 1e-4);
    } else if (c.phase == TStart_Menu_Phase::Second_Logo) {
      EXPECT_NEAR(intro.second_logo, c.second, 1e-4);
    } else if (intro.time > 0.0f) {
      EXPECT_NEAR(intro.fade, c.fade, 1e-4);
    }
  }
  // The menu is entered once; after the fade the time is held at 5.
  EXPECT_EQ(menu_entries, 1);
  EXPECT_EQ(intro.time, 5.0f);
}

TEST(Start_Menu_Intro, TheFadeEndsAtFullBrightnessWhateverTheFrameLength) {
  // Frames that do not land on the fade's end step over it; the fade still
  // ends at 1 (at full brightness), never held just short of it.
  for (const float frame : {0.05f, 0.02f, 1.0f / 60.0f, 0.07f, 0.4f}) {
    SCOPED_TRACE(frame);
    TStart_Menu_Intro intro;
    for (int n = 0; n < int(20.0f / frame); ++n) Start_Menu_Advance(intro, frame);
    EXPECT_EQ(intro.phase, TStart_Menu_Phase::Menu);
    EXPECT_EQ(intro.fade, 1.0f);
    EXPECT_EQ(intro.time, 5.0f);
  }
}

TEST_F(Start_Menu_Test, AKeyDuringTheFirstLogoShowsTheMenuAtOnceAndTheNextMenuSkipsTheIntro) {
  auto menu = Open();
  EXPECT_EQ(menu->m_Intro().phase, TStart_Menu_Phase::First_Logo);
  for (int n = 1; n <= 6; ++n) EXPECT_FALSE(menu->m_Button(n).m_Visible());
  menu->TimerFired(1.0f);
  std::uint16_t key = 'A';
  EXPECT_TRUE(menu->m_On_Key_Down(key, 0));
  EXPECT_EQ(menu->m_Intro().phase, TStart_Menu_Phase::Menu);
  EXPECT_EQ(menu->m_Intro().fade, 1.0f);
  for (int n = 1; n <= 6; ++n) EXPECT_TRUE(menu->m_Button(n).m_Visible());
  EXPECT_TRUE(Start_Menu_Intro_Shown);
  // Over the standing menu keys are left to what lies above it.
  key = VK_ESCAPE;
  EXPECT_FALSE(menu->m_On_Key_Down(key, 0));
  menu.reset();
  auto again = Open();
  EXPECT_EQ(again->m_Intro().phase, TStart_Menu_Phase::Menu);
  EXPECT_EQ(again->m_Intro().fade, 1.0f);
  EXPECT_TRUE(again->m_Button(1).m_Visible());
}

TEST_F(Start_Menu_Test, APressSkipsTheIntroAndTheButtonsLieInARowAtTheBottom) {
  auto menu = Open();
  menu->m_On_Mouse_Down(MB_LEFT, 0, 10, 10);
  EXPECT_EQ(menu->m_Intro().phase, TStart_Menu_Phase::Menu);
  for (int n = 1; n <= 6; ++n) {
    EXPECT_EQ(menu->m_Button(n).m_X(), 512 - 507 + 169 * (n - 1));
    EXPECT_EQ(menu->m_Button(n).m_Y(), 768 - 82);
    EXPECT_EQ(menu->m_Button(n).m_Width(), 168);
    EXPECT_EQ(menu->m_Button(n).m_Height(), 40);
  }
}

TEST_F(Start_Menu_Test, ThePagesLeadToTheirResults) {
  struct TCase {
    std::vector<int> presses;
    TStart_Menu_Result result;
    TStart_Menu_Page page;
  } cases[] = {
      {{6}, TStart_Menu_Result::Quit, TStart_Menu_Page::Main},
      {{1, 1}, TStart_Menu_Result::New_Game, TStart_Menu_Page::Single_Player},
      {{1, 2}, TStart_Menu_Result::Load_Game, TStart_Menu_Page::Single_Player},
      {{1, 6, 2, 1}, TStart_Menu_Result::Hot_Seat, TStart_Menu_Page::Multiplayer},
      {{2, 2}, TStart_Menu_Result::Host, TStart_Menu_Page::Multiplayer},
      {{2, 3}, TStart_Menu_Result::Join, TStart_Menu_Page::Multiplayer},
      {{2, 4}, TStart_Menu_Result::Network_Load, TStart_Menu_Page::Multiplayer},
      {{2, 6}, TStart_Menu_Result::None, TStart_Menu_Page::Main},
      {{1, 4, 5}, TStart_Menu_Result::None, TStart_Menu_Page::Single_Player},  // buttons without a choice do nothing
  };
  for (const TCase& c : cases) {
    auto menu = Open();
    menu->m_Skip_Intro();
    for (int n : c.presses) menu->m_Button_Click("STARTMENU_CONTROL_BUTTON_" + std::to_string(n));
    EXPECT_EQ(menu->m_Result(), c.result) << c.presses.size();
    EXPECT_EQ(menu->m_Page(), c.page);
    EXPECT_EQ(menu->m_Killed(), c.result != TStart_Menu_Result::None);
  }
  auto menu = Open();
  EXPECT_EQ(Captions(*menu), (std::vector<std::string>{"Single Player Game", "Multiplayer Game", " -", " -",
                                                       "Credits", "Quit"}));
  menu->m_Button_Click("startmenu_control_button_2");
  EXPECT_EQ(Captions(*menu), (std::vector<std::string>{"Hotseat", "Host A Game", "Join A Game", "Load Game", " -",
                                                       "Back"}));
}

TEST_F(Start_Menu_Test, ResumeIsOfferedOnlyWithALastSaveGameThatExists) {
  ASSERT_NE(Machine_Options, nullptr);
  std::filesystem::create_directories(f_user.path() / "savegames" / "Here");
  struct TCase {
    std::string dir;
    bool enabled;
  } cases[] = {
      {"", false},
      {Design_Path((f_user.path() / "savegames" / "gone").string() + "/"), false},
      {Design_Path((f_user.path() / "savegames" / "Here").string() + "/"), true},
      // Only a save's folder inside savegames\ is resumed from, whatever
      // the registry names.
      {Design_Path(f_user.path().string() + "/"), false},
      {Design_Path((f_user.path() / "savegames").string() + "/"), false},
      {Design_Path((f_user.path() / "savegames" / "Here" / "..").string() + "/"), false},
  };
  for (const TCase& c : cases) {
    Machine_Options->f_last_savegame_dir = c.dir;
    auto menu = Open();
    menu->m_Button_Click("STARTMENU_CONTROL_BUTTON_1");
    EXPECT_EQ(menu->m_Button(3).m_Caption(), "Resume Game");
    EXPECT_EQ(menu->m_Button(3).m_Enabled(), c.enabled) << c.dir;
  }
}

TEST_F(Start_Menu_Test, TheCreditsRestartFromTheBottomWhenToggledTwiceAndScrollUp) {
  auto menu = Open();
  menu->m_Skip_Intro();
  menu->m_Button_Click("STARTMENU_CONTROL_BUTTON_5");
  ASSERT_TRUE(menu->m_Credits_On());
  EXPECT_FLOAT_EQ(menu->m_Credits_Position(), 0.86f * 768);
  menu->m_Render(0.5);
  EXPECT_FLOAT_EQ(menu->m_Credits_Position(), 0.86f * 768 - 10.0f);
  menu->m_Button_Click("STARTMENU_CONTROL_BUTTON_5");
  EXPECT_FALSE(menu->m_Credits_On());
  menu->m_Button_Click("STARTMENU_CONTROL_BUTTON_5");
  EXPECT_FLOAT_EQ(menu->m_Credits_Position(), 0.86f * 768);
}

TEST_F(Start_Menu_Test, TheMenuPlaysTheTitleMusic) {
  setenv("ALSOFT_DRIVERS", "null", 1);
  Sound_Music_Init();
  if (!Sound_Music_Channel()) GTEST_SKIP() << "no music output";
  auto menu = Open();
  EXPECT_EQ(Sound_Music_Category(), TMusic_Category::Title);
  // The title song list of the shipped settings names the track.
  ASSERT_FALSE(Base_Game_Settings.f_songs[0].empty());
  EXPECT_NE(std::find(Base_Game_Settings.f_songs[0].begin(), Base_Game_Settings.f_songs[0].end(),
                      Sound_Music_Last_Track()),
            Base_Game_Settings.f_songs[0].end());
  menu.reset();
  // The game's map plays the main songs, a battle the combat songs, and the
  // start menu the title songs again.
  Start_Menu_Install();
  {
    TDC_Main screen;
    EXPECT_EQ(Sound_Music_Category(), TMusic_Category::Title);
    screen.m_Close_Child_Dialogs();
    screen.m_Set_Screen_Mode(TScreen_Mode::Map);
    EXPECT_EQ(Sound_Music_Category(), TMusic_Category::Main);
    screen.m_Set_Screen_Mode(TScreen_Mode::Battle);
    EXPECT_EQ(Sound_Music_Category(), TMusic_Category::Combat);
    screen.m_Set_Screen_Mode(TScreen_Mode::Handover);
    EXPECT_EQ(Sound_Music_Category(), TMusic_Category::Combat);
    ASSERT_TRUE(screen.m_Open_Dialog("Dlg Start Menu", 0, 0));
    EXPECT_EQ(Sound_Music_Category(), TMusic_Category::Title);
  }
  DC_Main_Register_Dialog("Dlg Start Menu", {});
  Sound_Music_Free();
}

TEST_F(Start_Menu_Test, TheMainScreenOpensTheMenuFirstAndTheChoiceOpensTheGameSetup) {
  Start_Menu_Install();
  Game_Setup_Install();
  {
    TDC_Main screen;
    screen.m_Set_Position("Main Window", 0, 0, false);
    screen.m_Set_Visible(true);
    auto* menu = dynamic_cast<TDC_Dlg_StartMenu*>(screen.m_Get_Dialog("Dlg Start Menu"));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(screen.m_Get_Screen_Mode(), TScreen_Mode::Menu);
    menu->m_Skip_Intro();
    // Real presses through the tree: "Single Player Game", then "New Game".
    for (int i = 0; i < 2; ++i) {
      const TDC_Text_Button& b = menu->m_Button(1);
      screen.m_Mouse_Down(MB_LEFT, 0, b.m_X() + 5, b.m_Y() + 5);
      screen.MouseUp(MB_LEFT, 0, b.m_X() + 5, b.m_Y() + 5, false);
    }
    screen.TimerFired(0.01f);
    EXPECT_EQ(screen.m_Get_Dialog("Dlg Start Menu"), nullptr);
    auto* setup = dynamic_cast<TDC_Dlg_GameSetup*>(screen.m_Get_Dialog("Dlg Game Setup"));
    ASSERT_NE(setup, nullptr);
    EXPECT_EQ(setup->m_Mode(), GAME_SETUP_SINGLE_PLAYER);
    EXPECT_EQ(Game_Settings.f_game_kind, GAME_SETUP_SINGLE_PLAYER);
    // Cancel goes back to the menu.
    setup->m_Button_Click("GAMESETUP_CONTROL_BUTTON_CANCEL");
    screen.TimerFired(0.01f);
    EXPECT_NE(dynamic_cast<TDC_Dlg_StartMenu*>(screen.m_Get_Dialog("Dlg Start Menu")), nullptr);
  }
  DC_Main_Register_Dialog("Dlg Start Menu", {});
  DC_Main_Register_Dialog("Dlg Game Setup", {});
}
