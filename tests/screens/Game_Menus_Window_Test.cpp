// The dialogs of the running game in a real window (OpenGL, 1024 x 768)
// over a generated world, opened by name through the main screen: the game
// menu, the save and load dialog with saves listed and one selected, the
// game options, the combat options and the game over. Needs a display;
// without one the tests are skipped. With GLOBARCH_SCREENSHOT_DIR set,
// every frame is also written there as a bitmap.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "DC_Dlg_GameMenu.h"
#include "DC_Dlg_GameOver.h"
#include "DC_Dlg_LoadSaveGame.h"
#include "DC_Main.h"
#include "Display_HelpText.h"
#include "Empire.h"
#include "GameFolder.h"
#include "GraphicsEngine_Culling.h"
#include "MachineOptions.h"
#include "MapClass.h"
#include "MapRegion.h"
#include "Native_Path.h"
#include "Render_Device_OpenGL.h"
#include "Screen_Window.h"
#include "Screen_World.h"
#include "Test_Support.h"
#include "Vector_Math.h"

namespace {
namespace fs = std::filesystem;

constexpr std::uint32_t W = 1024, H = 768;

using TFrame = TWindow_Frame;

class Game_Menus_Window : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!Screen_Window_Display_Available()) return;
    if (!Screen_Window_Open("Globarch game menus test", W, H, s_system, s_device, s_world)) return;
    s_ready = true;
  }
  static void TearDownTestSuite() {
    Screen_Window_Close(s_system, s_device, s_world);
    s_ready = false;
  }

  void SetUp() override {
    if (!Screen_Window_Display_Available()) GTEST_SKIP() << "no display: the dialogs' window is not tested";
    ASSERT_TRUE(s_ready) << "no window or world: " << OpenGL_Last_Error();
    f_device = s_device.get();
    f_saved_options = Machine_Options;
    Machine_Options = &f_options;
    Help_Text_Reset();
    Set_Mouse_Position(5, 5);
    Game_Menu_Dialogs_Install();
    f_screen = std::make_unique<TDC_Main>();
    f_screen->m_Set_Position("Main Window", 0, 0, false);
    f_screen->m_Set_Visible(true);
    f_screen->m_Set_Screen_Mode(TScreen_Mode::Map);
    Game_Settings.f_camera_eye = {700, 700, -1500};
    Game_Settings.f_camera_look_at = {700, 700, 0};
    Game_Settings.f_camera_up = {0, 1, 0};
    f_screen->m_Reset_View();
  }
  void TearDown() override {
    f_screen.reset();
    for (const char* name :
         {"Dlg Game Menu", "Dlg Load Game", "Dlg Save Game", "Dlg Game Options", "Dlg Game Over", "Dlg Combat Options"})
      DC_Main_Register_Dialog(name, {});
    Machine_Options = f_saved_options;
    Set_Mouse_Position(0, 0);
  }

  TFrame Frame(const std::string& name) {
    f_screen->TimerFired(0.0f);
    f_device->BeginScene();
    G_Main_Clear(0xFF000000u);
    f_screen->m_Render(0.0);
    f_device->EndScene();
    return Screen_Window_Read_Frame(f_device, name);
  }

  // A dialog's frame shows its picture and its texts: many colours, no
  // large plain area at its centre row.
  void Expect_Drawn(const TFrame& f, const TDisplay_Class& d) {
    const std::int32_t x0 = d.m_X(), y0 = d.m_Y(), x1 = x0 + d.m_Width(), y1 = y0 + d.m_Height();
    ASSERT_GE(x0, 0);
    ASSERT_GE(y0, 0);
    ASSERT_LE(x1, std::int32_t(W));
    ASSERT_LE(y1, std::int32_t(H));
    EXPECT_GT(f.Different(x0, y0, x1, y1, 0), std::int64_t(d.m_Width()) * d.m_Height() * 9 / 10);
  }

  static inline std::unique_ptr<TRender_System> s_system;
  static inline std::unique_ptr<TRender_Device> s_device;
  static inline TScreen_World* s_world = nullptr;
  static inline bool s_ready = false;
  TRender_Device* f_device = nullptr;
  TMachine_Options f_options;
  TMachine_Options* f_saved_options = nullptr;
  std::unique_ptr<TDC_Main> f_screen;
};

}  // namespace

TEST_F(Game_Menus_Window, TheGameMenuOverTheMap) {
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Game Menu", 0, 0));
  TDisplay_Class* menu = f_screen->m_Get_Dialog("Dlg Game Menu");
  ASSERT_NE(menu, nullptr);
  const TFrame f = Frame("game_menu");
  Expect_Drawn(f, *menu);
  // The map is still drawn around the menu.
  EXPECT_GT(f.Different(0, 200, 300, 600, 0), 300 * 400 / 2);
}

TEST_F(Game_Menus_Window, TheSaveAndLoadDialogWithSavesListed) {
  // Three saves of this world, the middle one with a picture and settings.
  const std::string saves = Path_Settings->m_Get_Savegames_Dir();
  const fs::path current = Native_Path(Path_Settings->m_Get_Currentmap_Dir());
  for (const char* name : {"Before the storm", "Northern campaign", "Autosave 3"}) {
    const fs::path dir = Native_Path(saves + name);
    fs::create_directories(dir);
    Game_Settings.f_game_type_name = "Standard";
    Game_Settings.f_version = "1.09";
    Game_Settings.f_description = "1 Human, 3 Computer";
    Game_Settings.f_creation_date = "12/10/26";
    ASSERT_TRUE(Game_Settings.m_Save_To_File(Design_Path((dir / "GameSettings.dat").string())));
    if (std::string(name) == "Northern campaign")
      fs::copy_file(current / "OverviewMap.bmp", dir / "OverviewMap.bmp", fs::copy_options::overwrite_existing);
  }
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Save Game", 0, 0));
  auto* dialog = dynamic_cast<TDC_Dlg_LoadSaveGame*>(f_screen->m_Get_Dialog("Dlg Save Game"));
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(f_screen->m_Get_Screen_Mode(), TScreen_Mode::Menu);
  ASSERT_EQ(dialog->m_File_List().m_Get_Row_Count(), 3);
  TDC_List& list = dialog->m_File_List();
  std::int32_t top = 0, line = 0, bottom = 0;
  for (std::int32_t r = 1; r <= 3; ++r)
    if (list.m_Get_Row_Text(r) == "Northern campaign") {
      ASSERT_TRUE(list.m_Get_Row_Rect(r, top, line, bottom));
      f_screen->m_Mouse_Down(MB_LEFT, 0, list.m_X() + 30, top + 3);
      f_screen->MouseUp(MB_LEFT, 0, list.m_X() + 30, top + 3, false);
    }
  ASSERT_EQ(dialog->m_File_Name_Edit().m_Text(), "Northern campaign");
  EXPECT_TRUE(dialog->m_Has_Preview());
  const TFrame f = Frame("save_game");
  Expect_Drawn(f, *dialog);
  // The preview at (331, 437) shows the world's overview picture.
  EXPECT_GT(f.Different(dialog->m_X() + 331, dialog->m_Y() + 437, dialog->m_X() + 587, dialog->m_Y() + 565, 0),
            256 * 128 * 9 / 10);
  f_screen->m_Close_Child_Dialogs();
  ASSERT_TRUE(f_screen->m_Open_Load_Dialog(TLoad_Opener::Game_Menu, TLoad_Way::From_List));
  Frame("load_game");
}

TEST_F(Game_Menus_Window, TheGameOptionsAndTheCombatOptions) {
  f_options.f_autosave_turns = 2;
  f_options.f_unit_movement_speed = 3;
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Game Options", 0, 0));
  Expect_Drawn(Frame("game_options"), *f_screen->m_Get_Dialog("Dlg Game Options"));
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Combat Options", 0, 0));
  EXPECT_EQ(f_screen->m_Get_Dialog("Dlg Game Options"), nullptr);
  Expect_Drawn(Frame("combat_options"), *f_screen->m_Get_Dialog("Dlg Combat Options"));
}

TEST_F(Game_Menus_Window, TheGameOver) {
  Game_Settings.f_local_empire = 1;
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Game Over", 0, 0));
  TDisplay_Class* over = f_screen->m_Get_Dialog("Dlg Game Over");
  ASSERT_NE(over, nullptr);
  const TFrame f = Frame("game_over");
  Expect_Drawn(f, *over);
}

TEST_F(Game_Menus_Window, TheGameOverOfTheWinner) {
  // Nation 1 holds every region and the only units left.
  TMap& map = *G_Map;
  for (std::int32_t r = 1; r <= map.m_Get_Region_Count(); ++r)
    if (TMap_Region* region = map.m_Get_Region(r)) region->m_Set_Owner(1);
  for (std::int32_t id = 1; id <= map.m_Get_Unit_Count(); ++id) {
    TMap_Unit_Record u;
    map.m_Get_Unit(id, u);
    if (u.id != 0 && u.owner != 1) map.m_Delete_Unit(id);
  }
  ASSERT_EQ(G_Empire_List->m_Get_Winner(), 1);
  // The picture alone, for the columns at the picture's edges.
  G_Empire_List->m_Get_Empire(1)->m_Set_Nation_Name("N");
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Game Over", 0, 0));
  const TFrame plain = Frame("game_over_short");
  for (const std::string& nation : {std::string("Nation 1"), std::string("United Federation of the Northern Isles")}) {
    G_Empire_List->m_Get_Empire(1)->m_Set_Nation_Name(nation);
    Game_Settings.f_local_empire = 1;
    f_screen->m_Close_Child_Dialogs();
    ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Game Over", 0, 0));
    auto* over = dynamic_cast<TDC_Dlg_GameOver*>(f_screen->m_Get_Dialog("Dlg Game Over"));
    ASSERT_NE(over, nullptr);
    EXPECT_EQ(over->m_Text(), "The " + nation + " has conquered the world. You are victorious!");
    const TFrame f = Frame(nation.size() > 10 ? "game_over_winner_long" : "game_over_winner");
    Expect_Drawn(f, *over);
    // The sentence stays inside the picture: the columns at its edges are
    // those of the picture alone.
    for (std::int32_t y = over->m_Y() + 27; y < over->m_Y() + 573; ++y)
      for (std::int32_t x : {over->m_X() + 7, over->m_X() + 792})
        EXPECT_EQ(f.At(x, y), plain.At(x, y)) << x << "," << y;
  }
}
