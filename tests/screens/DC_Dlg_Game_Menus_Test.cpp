// The small dialogs of the running game: the game menu's choices, the
// combat options and game options with their toggles and what they store in
// the machine options (written and read back), and the words of the game
// over for the winner, the loser and a game without a winner.
#include <gtest/gtest.h>

#include <memory>

#include "DC_Base_EditText.h"
#include "DC_Dlg_CombatOptions.h"
#include "DC_Dlg_GameMenu.h"
#include "DC_Dlg_GameOptions.h"
#include "DC_Dlg_GameOver.h"
#include "Datafile_UserSettings.h"
#include "GameFolder.h"
#include "GameSettings.h"
#include "Global.h"
#include "Gui_Test_Support.h"
#include "MachineOptions.h"
#include "SoundEngine_Music_Base.h"
#include "Test_Support.h"

namespace {

std::vector<std::string> music_calls;
void Record_Start(TMusic_Category category) {
  music_calls.push_back("start " + std::to_string(std::int32_t(category)));
}
void Record_Fade(bool) { music_calls.push_back("fade"); }

class Game_Menus : public TGui_Fixture {
 protected:
  void SetUp() override {
    TGui_Fixture::SetUp();
    f_saved_user = User_Folder;
    User_Folder = f_user.design();
    f_saved_options = Machine_Options;
    f_options = std::make_unique<TMachine_Options>();
    Machine_Options = f_options.get();
    f_root.Place("Root", 0, 0, 1024, 768);
    music_calls.clear();
    Game_Options_Start_Music = Record_Start;
    Game_Options_Fade_Music = Record_Fade;
    Game_Over_Start_Music = Record_Start;
    Game_Settings.m_Reset();
  }
  void TearDown() override {
    while (f_root.m_Child_Count() > 0) f_root.Remove_Child_Control(f_root.m_Child(f_root.m_Child_Count()));
    Machine_Options = f_saved_options;
    User_Folder = f_saved_user;
    Game_Options_Start_Music = Sound_Music_Start_Music;
    Game_Options_Fade_Music = Sound_Music_Fade_Music;
    Game_Over_Start_Music = Sound_Music_Start_Music;
    Game_Settings.m_Reset();
    TGui_Fixture::TearDown();
  }

  template <typename T>
  T& Open(std::unique_ptr<T>& dialog, const std::string& name, std::int32_t x, std::int32_t y) {
    dialog = std::make_unique<T>();
    dialog->m_Set_Position(name, x, y, true);
    dialog->m_Set_Visible(true);
    f_root.Add_Child_Control(dialog.get());
    return *dialog;
  }
  void Click(const TDisplay_Class& c) {
    const std::int32_t x = c.m_X() + 3, y = c.m_Y() + 3;
    f_root.m_Mouse_Down(MB_LEFT, 0, x, y);
    f_root.MouseUp(MB_LEFT, 0, x, y, false);
  }
  void Key(std::uint16_t key) { f_root.m_Key_Down(key, 0); }
  // The options as the registry holds them now.
  TMachine_Options Read_Back() {
    TMachine_Options o;
    o.m_Load();
    return o;
  }

  TTemp_Dir f_user;
  TProbe f_root{f_journal, DC_KIND_WINDOW};
  std::unique_ptr<TMachine_Options> f_options;
  TMachine_Options* f_saved_options = nullptr;
  std::string f_saved_user;
};

}  // namespace

// --- game menu ----------------------------------------------------------------------

TEST_F(Game_Menus, EachMenuButtonGivesItsChoiceAndEscapeCloses) {
  for (std::int32_t n = 1; n <= 6; ++n) {
    std::unique_ptr<TDC_Dlg_GameMenu> menu;
    Open(menu, "Dlg Game Menu", 423, 234);
    EXPECT_EQ(menu->m_Button(n).m_Caption(),
              (std::vector<std::string>{"New Game", "Load Game", "Save Game", "Options", "Quit Game", "Close"}[n - 1]));
    EXPECT_EQ(menu->m_Button(n).m_X(), 428);
    EXPECT_EQ(menu->m_Button(n).m_Y(), 234 + 41 * n - 14);
    Click(menu->m_Button(n));
    EXPECT_EQ(menu->m_Get_Choice(), TGame_Menu_Choice(n));
    EXPECT_TRUE(menu->m_Killed());
    f_root.Remove_Child_Control(menu.get());
  }
  std::unique_ptr<TDC_Dlg_GameMenu> menu;
  Open(menu, "Dlg Game Menu", 423, 234);
  Key(VK_RETURN);
  EXPECT_FALSE(menu->m_Killed());
  Key(VK_ESCAPE);
  EXPECT_EQ(menu->m_Get_Choice(), TGame_Menu_Choice::Close);
  EXPECT_TRUE(menu->m_Killed());
}

// --- combat options -----------------------------------------------------------------

TEST_F(Game_Menus, CombatOptionsShowStoreAndWriteTheGridAndSpeed) {
  f_options->f_show_combat_grid = false;
  f_options->f_combat_movement_speed = 2;
  f_options->m_Save();
  std::unique_ptr<TDC_Dlg_Combat_Options> dialog;
  Open(dialog, "Dlg Combat Options", 212, 84);
  EXPECT_EQ(dialog->m_Toggles(), (TCombat_Option_Toggles{false, false, true, false}));
  Click(dialog->m_Toggle(4));  // "High"
  EXPECT_EQ(dialog->m_Toggles(), (TCombat_Option_Toggles{false, false, false, true}));
  Click(dialog->m_Toggle(4));  // an already chosen speed stays chosen
  EXPECT_TRUE(dialog->m_Toggle(4).m_Is_On());
  Click(dialog->m_Toggle(1));
  // Nothing is written before the dialog closes.
  EXPECT_FALSE(Read_Back().f_show_combat_grid);
  Key(VK_ESCAPE);
  EXPECT_TRUE(dialog->m_Killed());
  const TMachine_Options stored = Read_Back();
  EXPECT_TRUE(stored.f_show_combat_grid);
  EXPECT_EQ(stored.f_combat_movement_speed, 3);
}

TEST_F(Game_Menus, CombatOptionsMapping) {
  struct TCase {
    bool grid;
    std::uint8_t speed;
    TCombat_Option_Toggles toggles;
  } cases[] = {{true, 1, {true, true, false, false}},
               {false, 2, {false, false, true, false}},
               {true, 3, {true, false, false, true}},
               {false, 7, {false, false, false, false}}};
  for (const TCase& c : cases) {
    TMachine_Options o;
    o.f_show_combat_grid = c.grid;
    o.f_combat_movement_speed = c.speed;
    EXPECT_EQ(Combat_Options_Toggles(o), c.toggles) << int(c.speed);
    TMachine_Options back;
    back.f_combat_movement_speed = 9;
    Combat_Options_Store(c.toggles, back);
    EXPECT_EQ(back.f_show_combat_grid, c.grid);
    // No speed chosen leaves the speed as it was.
    EXPECT_EQ(back.f_combat_movement_speed, c.speed <= 3 ? c.speed : 9);
  }
}

// --- game options -------------------------------------------------------------------

TEST_F(Game_Menus, GameOptionsMappingFromOptionsToTogglesAndBack) {
  struct TCase {
    bool fps, info, help, music, sound;
    std::uint8_t autosave, speed;
    std::int32_t autosave_toggle, speed_toggle;  // 0: none on
    std::uint8_t stored_autosave, stored_speed;
  } cases[] = {
      {true, false, true, false, true, 0, 1, 6, 10, 0, 1},
      {false, true, false, true, false, 1, 2, 7, 11, 1, 2},
      {true, true, true, true, true, 2, 3, 8, 12, 2, 3},
      {false, false, false, false, false, 5, 4, 9, 13, 5, 4},
      // Values no toggle shows: none on, and closing stores 0 and 2.
      {false, false, false, false, false, 3, 9, 0, 0, 0, 2},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(int(c.autosave));
    TMachine_Options o;
    o.f_show_fps = c.fps;
    o.f_show_info_bar = c.info;
    o.f_show_help_text = c.help;
    o.f_play_music = c.music;
    o.f_play_sounds = c.sound;
    o.f_autosave_turns = c.autosave;
    o.f_unit_movement_speed = c.speed;
    const TGame_Option_Toggles t = Game_Options_Toggles(o);
    EXPECT_EQ((std::array<bool, 5>{t[0], t[1], t[2], t[3], t[4]}),
              (std::array<bool, 5>{c.fps, c.info, c.help, c.music, c.sound}));
    for (std::int32_t j = 6; j <= 13; ++j)
      EXPECT_EQ(t[std::size_t(j - 1)], j == c.autosave_toggle || j == c.speed_toggle) << j;
    TMachine_Options back;
    back.f_show_fps = !c.fps;
    back.f_play_music = !c.music;
    back.f_autosave_turns = 77;
    back.f_unit_movement_speed = 77;
    Game_Options_Store(t, back);
    EXPECT_EQ(back.f_show_fps, c.fps);
    EXPECT_EQ(back.f_show_info_bar, c.info);
    EXPECT_EQ(back.f_show_help_text, c.help);
    EXPECT_EQ(back.f_play_music, c.music);
    EXPECT_EQ(back.f_play_sounds, c.sound);
    EXPECT_EQ(back.f_autosave_turns, c.stored_autosave);
    EXPECT_EQ(back.f_unit_movement_speed, c.stored_speed);
  }
}

TEST_F(Game_Menus, GameOptionsTogglesActAsSwitchesAndChoicesAndCloseWritesTheRegistry) {
  f_options->f_show_fps = false;
  f_options->f_play_music = true;
  f_options->f_autosave_turns = 3;
  f_options->f_unit_movement_speed = 2;
  std::unique_ptr<TDC_Dlg_Game_Options> dialog;
  Open(dialog, "Dlg Game Options", 212, 84);
  for (std::int32_t j = 6; j <= 9; ++j) EXPECT_FALSE(dialog->m_Toggle(j).m_Is_On()) << j;
  EXPECT_TRUE(dialog->m_Toggle(11).m_Is_On());
  // Toggle j at y 35 + 30 (j - 1), 44 more after 5 and after 9.
  EXPECT_EQ(dialog->m_Toggle(1).m_Y(), 84 + 35);
  EXPECT_EQ(dialog->m_Toggle(6).m_Y(), 84 + 35 + 150 + 44);
  EXPECT_EQ(dialog->m_Toggle(10).m_Y(), 84 + 35 + 270 + 88);
  Click(dialog->m_Toggle(1));
  Click(dialog->m_Toggle(8));
  Click(dialog->m_Toggle(9));
  Click(dialog->m_Toggle(13));
  Click(dialog->m_Toggle(13));
  const TGame_Option_Toggles t = dialog->m_Toggles();
  EXPECT_TRUE(t[0]);
  EXPECT_EQ((std::array<bool, 8>{t[5], t[6], t[7], t[8], t[9], t[10], t[11], t[12]}),
            (std::array<bool, 8>{false, false, false, true, false, false, false, true}));
  Click(dialog->m_Button(1));  // Close
  EXPECT_TRUE(dialog->m_Killed());
  const TMachine_Options stored = Read_Back();
  EXPECT_TRUE(stored.f_show_fps);
  EXPECT_EQ(stored.f_autosave_turns, 5);
  EXPECT_EQ(stored.f_unit_movement_speed, 4);
  // The music did not change: neither started nor faded.
  EXPECT_TRUE(music_calls.empty());
}

TEST_F(Game_Menus, GameOptionsSwitchTheMusicOnlyWhenItChanged) {
  f_options->f_play_music = true;
  std::unique_ptr<TDC_Dlg_Game_Options> dialog;
  Open(dialog, "Dlg Game Options", 212, 84);
  Click(dialog->m_Toggle(4));
  Key(VK_ESCAPE);
  EXPECT_EQ(music_calls, (std::vector<std::string>{"fade"}));
  f_root.Remove_Child_Control(dialog.get());
  Open(dialog, "Dlg Game Options", 212, 84);
  Click(dialog->m_Toggle(4));
  Key(VK_ESCAPE);
  EXPECT_EQ(music_calls, (std::vector<std::string>{"fade", "start 2"}));
}

TEST_F(Game_Menus, GameOptionsAutosaveCannotBeChangedInANetworkGame) {
  for (std::uint8_t kind : {1, 2, 3, 4}) {
    Game_Settings.f_game_kind = kind;
    std::unique_ptr<TDC_Dlg_Game_Options> dialog;
    Open(dialog, "Dlg Game Options", 212, 84);
    for (std::int32_t j = 6; j <= 9; ++j) EXPECT_EQ(dialog->m_Toggle(j).m_Enabled(), kind <= 2) << int(kind);
    f_root.Remove_Child_Control(dialog.get());
  }
}

TEST_F(Game_Menus, GameOptionsHeadingsUseTheLabelColour) {
  std::unique_ptr<TDC_Dlg_Game_Options> dialog;
  Open(dialog, "Dlg Game Options", 212, 84);
  f_journal.clear();
  dialog->m_Draw(0);
  char label[16];
  std::snprintf(label, sizeof label, "%08X", User_Settings.m_Get_Label_Text_Color());
  const std::string heading_1 = "text 225,285 " + std::string(label) + " Autosave Frequency";
  const std::string heading_2 = "text 225,449 " + std::string(label) + " Unit Movement Speed";
  EXPECT_NE(std::find(f_journal.begin(), f_journal.end(), heading_1), f_journal.end());
  EXPECT_NE(std::find(f_journal.begin(), f_journal.end(), heading_2), f_journal.end());
}

TEST_F(Game_Menus, SaveMapAsksForANameAndRefusesBadNamesWithoutWriting) {
  TTemp_Dir maps;
  std::unique_ptr<TDC_Dlg_Game_Options> dialog;
  Open(dialog, "Dlg Game Options", 212, 84);
  Click(dialog->m_Button(2));
  ASSERT_NE(dialog->m_Message(), nullptr);
  EXPECT_EQ(dialog->m_Message()->m_Get_Mode(), TMessage_Box_Mode::Edit);
  EXPECT_EQ(dialog->m_Message()->m_Get_Tag(), 99);
  struct TCase {
    const char* name;
    const char* reason;
  } cases[] = {{"", "A map needs a name."},
               {"   ", "A map needs a name."},
               {".", "A map name cannot be \".\" or contain \"..\"."},
               {"..", "A map name cannot be \".\" or contain \"..\"."},
               {"a/b", "A map name cannot contain \\, / or :."},
               {"a\\b", "A map name cannot contain \\, / or :."},
               {"tab\there", "A map name cannot contain control characters."}};
  for (const TCase& c : cases) {
    std::string caption, text;
    EXPECT_FALSE(Save_Map(c.name, caption, text)) << c.name;
    EXPECT_EQ(caption, "Error");
    EXPECT_EQ(text, c.reason);
  }
  // Through the dialog: the answer with a bad name shows the reason.
  dialog->m_Message()->m_Edit_Box()->m_Set_Text("../up");
  Key(VK_RETURN);
  dialog->m_Kill_Any_Dead_Controls();
  ASSERT_NE(dialog->m_Message(), nullptr);
  f_journal.clear();
  dialog->m_Message()->m_Draw(0);
  bool shown = false;
  for (const std::string& line : f_journal)
    shown |= line.find("cannot be \".\" or contain \"..\"") != std::string::npos;
  EXPECT_TRUE(shown);
}

// --- game over ----------------------------------------------------------------------

TEST_F(Game_Menus, GameOverWordsForWinnerLoserAndNoWinner) {
  struct TCase {
    std::uint8_t winner, local;
    const char* text;
  } cases[] = {
      {2, 2, "The Avalon has conquered the world. You are victorious!"},
      {2, 1, "The Avalon has conquered the world. You have been defeated."},
      {2, 3, "The Avalon has conquered the world. You have been defeated."},
      {0, 1, "You have been defeated."},
  };
  for (const TCase& c : cases) EXPECT_EQ(Game_Over_Text(c.winner, "Avalon", c.local), c.text);
}

TEST_F(Game_Menus, GameOverDialogPlaysTheFinaleAndClosesByButtonOrEscape) {
  std::unique_ptr<TDC_Dlg_GameOver> dialog;
  Open(dialog, "Dlg Game Over", 112, 84);
  EXPECT_EQ(music_calls, (std::vector<std::string>{"start 4"}));
  // No empires at all: nobody has won.
  EXPECT_EQ(dialog->m_Text(), "You have been defeated.");
  f_journal.clear();
  dialog->m_Draw(0);
  const std::int32_t x = 112 + 400 - std::int32_t(dialog->m_Text().size()) * 7 / 2;
  const std::string drawn =
      "text " + std::to_string(x) + "," + std::to_string(84 + 512) + " FFFFFFFF " + dialog->m_Text();
  EXPECT_NE(std::find(f_journal.begin(), f_journal.end(), drawn), f_journal.end());
  EXPECT_EQ(dialog->m_Close_Button().m_X(), 112 + 705);
  Click(dialog->m_Close_Button());
  EXPECT_TRUE(dialog->m_Killed());
  f_root.Remove_Child_Control(dialog.get());
  Open(dialog, "Dlg Game Over", 112, 84);
  Key(VK_ESCAPE);
  EXPECT_TRUE(dialog->m_Killed());
}

TEST_F(Game_Menus, AGameOverSentenceTooWideForOneLineIsSplitBetweenWords) {
  // The test font: 7 pixels a character.
  EXPECT_EQ(Game_Over_Lines("The Avalon has conquered the world.", 1000),
            (std::vector<std::string>{"The Avalon has conquered the world."}));
  EXPECT_EQ(Game_Over_Lines("The Avalon has conquered the world. You are victorious!", 200),
            (std::vector<std::string>{"The Avalon has conquered the", "world. You are victorious!"}));
  EXPECT_EQ(Game_Over_Lines("Averyveryverylongname x", 70), (std::vector<std::string>{"Averyveryverylongname", "x"}));
  EXPECT_TRUE(Game_Over_Lines("", 100).empty());
}
