// The main screen's links to the turns and the battle on a headless device:
// what the action timer and the end of turn ask of the screen reaches it
// while it exists, and a battle returns to the map when it ends, through
// "Dlg Combat End" when that dialog is made, at once when it is not.
#include "DC_Main_Links.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Combat.h"
#include "DC_Dlg_Combat.h"
#include "DC_Main.h"
#include "Display_HelpText.h"
#include "Empire.h"
#include "GameSettings.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "Headless_Engine.h"
#include "MapClass.h"
#include "Render_Device_Headless.h"
#include "Turn_Links.h"

namespace {

class Main_Screen_Links : public ::testing::Test {
 protected:
  void SetUp() override {
    f_device = Headless_Engine_Start(1024, 768);
    Game_Settings.m_Reset();
    Game_Settings.f_camera_up = {0, 1, 0};
    G_Set_Camera({1000, 500, -1500}, {1000, 500, 0}, {0, 1, 0});
    f_map.m_Set_Pixel_Size(2048, 1024);
    G_Map = &f_map;
    f_empires.m_Create_Empires(2);
    G_Empire_List = &f_empires;
    Game_Settings.f_game_kind = 1;
    Game_Settings.f_local_empire = 1;
    Game_Settings.f_turn_empire = 1;
    Help_Text_Reset();
    f_screen = std::make_unique<TDC_Main>();
    f_screen->m_Set_Position("Main Window", 0, 0, false);
    f_screen->m_Set_Visible(true);
  }
  void TearDown() override {
    f_screen.reset();
    DC_Main_Register_Dialog("Dlg Combat End", {});
    DC_Main_Register_Dialog("Dlg Combat Begin", {});
    G_Combat = TCombat_State();
    G_Map = nullptr;
    G_Empire_List = nullptr;
    G_Shutdown_GraphicsEngine();
    Render_Device_Set_Current(nullptr);
    f_device.reset();
    G_Culling_Reset();
    Game_Settings.m_Reset();
  }

  std::unique_ptr<TRender_Device_Headless> f_device;
  TMap f_map;
  TEmpire_List f_empires;
  std::unique_ptr<TDC_Main> f_screen;
};

class TEnd_Dialog : public TDisplay_Class {
 public:
  TEnd_Dialog() : TDisplay_Class(DC_KIND_WINDOW) {}
  std::int32_t m_Get_Width() override { return 200; }
  std::int32_t m_Get_Height() override { return 100; }
};

}  // namespace

TEST_F(Main_Screen_Links, TheTurnsReachTheScreenWhileItExists) {
  TTurn_Links& links = Turn_Links();
  links.m_Set_Screen_Mode(TScreen_Mode::Handover);
  EXPECT_EQ(f_screen->m_Get_Screen_Mode(), TScreen_Mode::Handover);
  links.m_Show_Message("Next Player", "Player 2, start your turn...", TMessage_Kind::Next_Player);
  ASSERT_NE(f_screen->m_Message_Dialog(), nullptr);
  links.m_Set_Screen_Mode(TScreen_Mode::Map);
  // A status of the turn machinery shows until it is cleared; then the turn
  // status takes the line back.
  links.m_Show_Status("Saving Game...");
  EXPECT_EQ(f_screen->m_Status_Text(), "Saving Game...");
  Game_Settings.f_turn_empire = 2;
  links.m_Show_Status("");
  EXPECT_EQ(f_screen->m_Status_Text(), "Player 2 taking turn...");
  links.m_Centre_Camera(600, 400);
  EXPECT_FLOAT_EQ(Game_Settings.f_camera_eye.x, 600.0f);
  EXPECT_FLOAT_EQ(Game_Settings.f_camera_eye.y, 400.0f);
  f_screen->m_Add_Notice("A line of the event log");
  links.m_Clear_Notices();
  EXPECT_TRUE(f_screen->m_Notices()[0].empty());
  // An out-of-range mode is not a screen mode.
  links.m_Set_Screen_Mode(TScreen_Mode(9));
  EXPECT_EQ(f_screen->m_Get_Screen_Mode(), TScreen_Mode::Map);
  // Without the screen the turns run on the links that do nothing.
  f_screen.reset();
  EXPECT_NE(&Turn_Links(), &links);
  Turn_Links().m_Set_Screen_Mode(TScreen_Mode::Handover);
  Turn_Links().m_Show_Status("Saving Game...");
}

TEST_F(Main_Screen_Links, ABattleEndsOnTheMapAtOnceWithoutTheEndDialog) {
  Combat_Links().m_Set_Screen_Mode(TScreen_Mode::Battle);
  EXPECT_EQ(f_screen->m_Get_Screen_Mode(), TScreen_Mode::Battle);
  EXPECT_TRUE(Combat_Links().m_Screen_Active());
  EXPECT_EQ(Combat_Links().m_Screen_Width(), 1024);
  Combat_Links().m_Open_End_Dialog();
  EXPECT_EQ(f_screen->m_Get_Screen_Mode(), TScreen_Mode::Map);
  EXPECT_FALSE(Combat_Links().m_Screen_Active());
}

TEST_F(Main_Screen_Links, ABattleEndsOnTheMapWhenTheEndDialogCloses) {
  DC_Main_Register_Dialog("Dlg Combat End",
                          {[](std::int32_t, std::int32_t) { return std::make_unique<TEnd_Dialog>(); }, nullptr});
  Combat_Links().m_Set_Screen_Mode(TScreen_Mode::Battle);
  Combat_Links().m_Open_End_Dialog();
  TDisplay_Class* dialog = f_screen->m_Get_Dialog("Dlg Combat End");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(f_screen->m_Get_Screen_Mode(), TScreen_Mode::Battle);
  dialog->Set_Kill_Object(true);
  f_screen->m_Kill_Any_Dead_Controls();
  EXPECT_EQ(f_screen->m_Get_Dialog("Dlg Combat End"), nullptr);
  EXPECT_EQ(f_screen->m_Get_Screen_Mode(), TScreen_Mode::Map);
}

TEST_F(Main_Screen_Links, TheOtherPlayersCloseThatComesBeforeTheDialogOpensIsKeptForIt) {
  DC_Main_Register_Dialog("Dlg Combat Begin",
                          {[](std::int32_t, std::int32_t) { return std::make_unique<TDC_Dlg_CombatBegin>(); }, nullptr});
  DC_Main_Register_Dialog("Dlg Combat End",
                          {[](std::int32_t, std::int32_t) { return std::make_unique<TDC_Dlg_CombatEnd>(); }, nullptr});
  // This machine is player 2's, defending against player 1 on the host.
  Game_Settings.f_game_kind = 4;
  Game_Settings.f_local_empire = 2;
  struct TCase {
    const char* dialog;
    bool end;
    bool new_battle_between;  // a new battle begins after the close came
    bool released;
  };
  for (const TCase& c : {TCase{"Dlg Combat Begin", false, false, true}, TCase{"Dlg Combat End", true, false, true},
                         TCase{"Dlg Combat Begin", false, true, false}, TCase{"Dlg Combat End", true, true, false}}) {
    SCOPED_TRACE(std::string(c.dialog) + (c.new_battle_between ? " in the next battle" : ""));
    Combat_Begin_Remote(1, false, "", 2, 2, 1);
    if (c.end) G_Combat.winner = 2;
    // The other player's close is relayed before this dialog has opened.
    if (c.end)
      f_screen->m_Release_Combat_End();
    else
      f_screen->m_Release_Combat_Begin();
    if (c.new_battle_between) Combat_Begin_Remote(1, false, "", 2, 2, 1);
    if (c.end) G_Combat.winner = 2;
    if (c.end)
      Combat_Links().m_Open_End_Dialog();
    else
      Combat_Links().m_Open_Begin_Dialog();
    auto* dialog = dynamic_cast<TDC_Dlg_Combat*>(f_screen->m_Get_Dialog(c.dialog));
    ASSERT_NE(dialog, nullptr);
    dialog->m_On_Timer(0.1f);
    EXPECT_FALSE(dialog->m_Killed()) << "this player has not closed it yet";
    // This player closes it: with the other close kept, it goes at once.
    dialog->m_Button_Click("COMBAT_CONTROL_BUTTON_CLOSE");
    dialog->m_On_Timer(0.1f);
    EXPECT_EQ(dialog->m_Killed(), c.released);
    f_screen->m_Close_Child_Dialogs();
    G_Combat = TCombat_State();
  }
}

TEST_F(Main_Screen_Links, TheBattleGoesBackToTheProgramsLinksWhenTheScreenIsFreed) {
  TCombat_Links* screen_links = &Combat_Links();
  f_screen.reset();
  EXPECT_NE(&Combat_Links(), screen_links);
  // The battle's sounds and effects stay the program's.
  EXPECT_NE(dynamic_cast<TCombat_Program_Links*>(&Combat_Links()), nullptr);
  Combat_Program_Links_Remove();
}

// The battle asks the info box for a piece: the stack of its unit's type
// and owner in its region, as many of them as the piece holds.
TEST_F(Main_Screen_Links, TheBattleAsksTheInfoBoxForAPiecesStack) {
  f_map.m_Set_Region_Count(1);
  f_map.m_New_Region(1).m_Init(1, Make_Color(1, 2, 3));
  const std::int32_t first = f_map.m_Add_Unit(1, 1, 1, 1, 0);
  Combat_Links().m_Set_Info_Box_Unit(first, 3, 7);
  EXPECT_TRUE(f_screen->m_Info_Box_Shown());
  EXPECT_EQ(f_screen->m_Info_Box().kind, TInfo_Box_Kind::Stack);
  EXPECT_EQ(f_screen->m_Info_Box().subject, first);
  Combat_Links().m_Clear_Info_Box();
  EXPECT_FALSE(f_screen->m_Info_Box_Shown());
}
