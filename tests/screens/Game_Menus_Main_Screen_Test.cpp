// The dialogs of the running game as the main screen opens them by name
// (headless device): a resume that finds no last save returns to the start
// menu and shows why over it; the game menu's choices lead to the load,
// save and options dialogs; a hot-seat hand-over tells a beaten player
// that the game is over.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "DC_Dlg_GameMenu.h"
#include "DC_Dlg_GameOver.h"
#include "DC_Dlg_LoadSaveGame.h"
#include "DC_Main.h"
#include "Display_HelpText.h"
#include "Empire.h"
#include "GameSettings.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "Headless_Engine.h"
#include "MachineOptions.h"
#include "MapClass.h"
#include "Render_Device_Headless.h"
#include "SoundEngine_Music_Base.h"
#include "Test_Support.h"
#include "Vector_Math.h"

namespace {

class TStart_Menu_Stand_In : public TDisplay_Class {
 public:
  TStart_Menu_Stand_In() : TDisplay_Class(DC_KIND_WINDOW) {}
  std::int32_t m_Get_Width() override { return 300; }
  std::int32_t m_Get_Height() override { return 300; }
};

void No_Music(TMusic_Category) {}

class Game_Menus_Screen : public ::testing::Test {
 protected:
  void SetUp() override {
    f_device = Headless_Engine_Start(1024, 768);
    Game_Settings.m_Reset();
    Game_Settings.f_camera_up = {0, 1, 0};
    f_map.m_Set_Pixel_Size(2048, 1024);
    G_Map = &f_map;
    f_empires.m_Create_Empires(2);
    G_Empire_List = &f_empires;
    Game_Settings.f_local_empire = 1;
    Game_Settings.f_turn_empire = 1;
    f_saved_user = User_Folder;
    User_Folder = f_user.design();
    f_saved_options = Machine_Options;
    Machine_Options = &f_options;
    Game_Over_Start_Music = No_Music;
    Help_Text_Reset();
    Game_Menu_Dialogs_Install();
    DC_Main_Register_Dialog("Dlg Start Menu",
                            {[](std::int32_t, std::int32_t) -> std::unique_ptr<TDisplay_Class> {
                               return std::make_unique<TStart_Menu_Stand_In>();
                             },
                             [](TDisplay_Class&) { return TDC_Main_Dialog_Outcome(); }});
    f_screen = std::make_unique<TDC_Main>();
    f_screen->m_Set_Position("Main Window", 0, 0, false);
    f_screen->m_Set_Visible(true);
  }
  void TearDown() override {
    f_screen.reset();
    for (const char* name : {"Dlg Start Menu", "Dlg Game Menu", "Dlg Load Game", "Dlg Save Game", "Dlg Game Options",
                             "Dlg Game Over", "Dlg Combat Options"})
      DC_Main_Register_Dialog(name, {});
    Game_Over_Start_Music = Sound_Music_Start_Music;
    Machine_Options = f_saved_options;
    User_Folder = f_saved_user;
    G_Map = nullptr;
    G_Empire_List = nullptr;
    G_Shutdown_GraphicsEngine();
    Render_Device_Set_Current(nullptr);
    f_device.reset();
    G_Culling_Reset();
    Game_Settings.m_Reset();
  }

  TTemp_Dir f_user;
  std::unique_ptr<TRender_Device_Headless> f_device;
  TMap f_map;
  TEmpire_List f_empires;
  TMachine_Options f_options;
  TMachine_Options* f_saved_options = nullptr;
  std::string f_saved_user;
  std::unique_ptr<TDC_Main> f_screen;
};

}  // namespace

TEST_F(Game_Menus_Screen, AResumeWithoutALastSaveShowsWhyOverTheStartMenu) {
  f_options.f_last_savegame_dir = f_user.design() + "savegames\\Gone\\";
  ASSERT_TRUE(f_screen->m_Open_Load_Dialog(TLoad_Opener::Start_Menu, TLoad_Way::Last_Save));
  // The dialog could not load and closed at once; the next kill pass
  // brings back the start menu with the message over it.
  f_screen->m_Kill_Any_Dead_Controls();
  EXPECT_EQ(f_screen->m_Get_Dialog("Dlg Load Game"), nullptr);
  EXPECT_NE(f_screen->m_Get_Dialog("Dlg Start Menu"), nullptr);
  ASSERT_NE(f_screen->m_Message_Dialog(), nullptr);
  EXPECT_TRUE(f_screen->m_Message_Dialog()->m_Visible());
  // It stays until it is closed: further passes keep it.
  f_screen->TimerFired(0.1f);
  f_screen->m_Kill_Any_Dead_Controls();
  EXPECT_NE(f_screen->m_Message_Dialog(), nullptr);
}

TEST_F(Game_Menus_Screen, TheGameMenuLeadsToLoadSaveAndOptions) {
  struct TCase {
    TGame_Menu_Choice button;
    const char* next;
    const char* title;
  } cases[] = {{TGame_Menu_Choice::Load_Game, "Dlg Load Game", "Load Game"},
               {TGame_Menu_Choice::Save_Game, "Dlg Save Game", "Save Game"},
               {TGame_Menu_Choice::Options, "Dlg Game Options", nullptr},
               {TGame_Menu_Choice::Close, nullptr, nullptr}};
  for (const TCase& c : cases) {
    f_screen->m_Close_Child_Dialogs();
    f_screen->m_Set_Screen_Mode(TScreen_Mode::Map);
    ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Game Menu", 0, 0));
    auto* menu = dynamic_cast<TDC_Dlg_GameMenu*>(f_screen->m_Get_Dialog("Dlg Game Menu"));
    ASSERT_NE(menu, nullptr);
    TDC_Text_Button& b = menu->m_Button(c.button);
    f_screen->m_Mouse_Down(MB_LEFT, 0, b.m_X() + 5, b.m_Y() + 5);
    f_screen->MouseUp(MB_LEFT, 0, b.m_X() + 5, b.m_Y() + 5, false);
    f_screen->m_Kill_Any_Dead_Controls();
    EXPECT_EQ(f_screen->m_Get_Dialog("Dlg Game Menu"), nullptr);
    if (!c.next) {
      EXPECT_EQ(f_screen->m_Get_Screen_Mode(), TScreen_Mode::Map);
      continue;
    }
    TDisplay_Class* next = f_screen->m_Get_Dialog(c.next);
    ASSERT_NE(next, nullptr) << c.next;
    if (c.title) {
      auto* load_save = dynamic_cast<TDC_Dlg_LoadSaveGame*>(next);
      ASSERT_NE(load_save, nullptr);
      EXPECT_EQ(load_save->m_Title(), c.title);
      EXPECT_EQ(f_screen->m_Get_Screen_Mode(), TScreen_Mode::Menu);
      // Cancel returns to the running game.
      load_save->m_Cancel();
      f_screen->m_Kill_Any_Dead_Controls();
      EXPECT_EQ(f_screen->m_Get_Dialog(c.next), nullptr);
      EXPECT_EQ(f_screen->m_Get_Dialog("Dlg Start Menu"), nullptr);
      EXPECT_EQ(f_screen->m_Get_Screen_Mode(), TScreen_Mode::Map);
    }
  }
}

TEST_F(Game_Menus_Screen, NewGameAsksBeforeLeavingTheRunningGame) {
  for (const bool leave : {false, true}) {
    SCOPED_TRACE(leave);
    f_screen->m_Close_Child_Dialogs();
    f_screen->m_Set_Screen_Mode(TScreen_Mode::Map);
    ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Game Menu", 0, 0));
    auto* menu = dynamic_cast<TDC_Dlg_GameMenu*>(f_screen->m_Get_Dialog("Dlg Game Menu"));
    ASSERT_NE(menu, nullptr);
    TDC_Text_Button& b = menu->m_Button(TGame_Menu_Choice::New_Game);
    f_screen->m_Mouse_Down(MB_LEFT, 0, b.m_X() + 5, b.m_Y() + 5);
    f_screen->MouseUp(MB_LEFT, 0, b.m_X() + 5, b.m_Y() + 5, false);
    f_screen->m_Kill_Any_Dead_Controls();
    // The question first; the game is still there behind it.
    EXPECT_EQ(f_screen->m_Get_Dialog("Dlg Start Menu"), nullptr);
    TDC_Dlg_Message* question = f_screen->m_Message_Dialog();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->m_Get_Title(), "New Game");
    TDC_Text_Button& answer = leave ? question->m_Button_2() : question->m_Button_1();
    f_screen->m_Mouse_Down(MB_LEFT, 0, answer.m_X() + 5, answer.m_Y() + 5);
    f_screen->MouseUp(MB_LEFT, 0, answer.m_X() + 5, answer.m_Y() + 5, false);
    f_screen->m_Kill_Any_Dead_Controls();
    EXPECT_EQ(f_screen->m_Message_Dialog(), nullptr);
    EXPECT_EQ(f_screen->m_Get_Dialog("Dlg Start Menu") != nullptr, leave);
    if (!leave) {
      EXPECT_EQ(f_screen->m_Get_Screen_Mode(), TScreen_Mode::Map);
    }
  }
}

TEST_F(Game_Menus_Screen, AHotSeatHandOverToABeatenPlayerEndsTheGameForThem) {
  Game_Settings.f_game_kind = 2;
  // Player 2 is still in the game: the hand-over only returns to the map.
  Game_Settings.f_local_empire = 2;
  f_screen->m_Show_Message("Next Player", "Player 2, start your turn...", TMessage_Kind::Next_Player);
  f_screen->m_Message_Dialog()->Set_Kill_Object(true);
  f_screen->m_Kill_Any_Dead_Controls();
  EXPECT_EQ(f_screen->m_Get_Dialog("Dlg Game Over"), nullptr);
  EXPECT_EQ(f_screen->m_Get_Screen_Mode(), TScreen_Mode::Map);
  // Player 1 has lost everything: the game over names their defeat.
  f_empires.m_Get_Empire(1)->m_Set_Eliminated(true);
  Game_Settings.f_local_empire = 1;
  f_screen->m_Show_Message("Next Player", "Player 1, start your turn...", TMessage_Kind::Next_Player);
  f_screen->m_Message_Dialog()->Set_Kill_Object(true);
  f_screen->m_Kill_Any_Dead_Controls();
  auto* over = dynamic_cast<TDC_Dlg_GameOver*>(f_screen->m_Get_Dialog("Dlg Game Over"));
  ASSERT_NE(over, nullptr);
  EXPECT_EQ(over->m_Text(), "You have been defeated.");
}
