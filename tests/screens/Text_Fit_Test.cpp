// Every text of the screens' fixed layouts that can be long (nation,
// region and unit type names, money, research costs) drawn with the longest
// names of the game's data files at 1024 x 768: each text the fonts put down
// is measured, and the test fails when one leaves the screen or runs into
// another text of the same line.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../screens/Screen_World.h"
#include "Combat.h"
#include "DC_Dlg_GameMenu.h"
#include "DC_Dlg_LoadSaveGame.h"
#include "DC_Main.h"
#include "DC_Main_Purchases_Items.h"
#include "Datafile_MainFonts.h"
#include "Datafile_Tech.h"
#include "Image_Files.h"
#include "EventLog.h"
#include "Gui_Links.h"
#include "GraphicsEngine_Culling.h"
#include "Render_Device_Headless.h"
#include "Test_Support.h"
#include "Native_Path.h"
#include "Vector_Math.h"
#include "World_Unit_Facts.h"

namespace {

constexpr std::int32_t W = 1024, H = 768;

struct TBox {
  std::int32_t left, top, right, bottom;
  std::string text;
};

std::int32_t Width_In_Font(std::int32_t font, const std::string& text) {
  G_Font_Set_Font(font);
  std::int32_t w = 0, h = 0;
  G_Font_Get_TextExtents(text, w, h);
  return w;
}

// The line of a names file that is widest in font 2.
std::string Widest_Line(const std::string& path) {
  std::ifstream in(path);
  std::string line, widest;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty()) continue;
    if (Width_In_Font(2, line) > Width_In_Font(2, widest)) widest = line;
  }
  return widest;
}

// Texts overlap when they share columns and more than half the height of
// the lower one: rows of a table may touch, texts of one line may not.
bool Overlap(const TBox& a, const TBox& b) {
  const std::int32_t x = std::min(a.right, b.right) - std::max(a.left, b.left);
  const std::int32_t y = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  const std::int32_t h = std::min(a.bottom - a.top, b.bottom - b.top);
  return x > 0 && y * 2 > h;
}

class Text_Fit : public ::testing::Test {
 protected:
  void SetUp() override {
    f_world = std::make_unique<TScreen_World>(Source_Dir());
    ASSERT_TRUE(f_world->Generate("Small", 20150, 100));
    ASSERT_TRUE(Datafile_Tech_Load(Path_Settings->m_Get_Technology_File(), nullptr));
    TDevice_Params params;
    params.Width = W;
    params.Height = H;
    f_device = std::make_unique<TRender_Device_Headless>(params);
    Render_Device_Set_Current(f_device.get());
    G_Init_GraphicsEngine();
    G_RestoreDeviceObjects();
    TSurface_Desc desc;
    f_device->Get_BackBuffer_Desc(desc);
    G_Set_BackBuffer_Desc(desc);
    TMatrix projection;
    G_Matrix_Perspective_Fov_LH(0.7853982f, float(W) / float(H), 1.0f, 20000.0f, projection);
    G_SetTransform(D3DTS_PROJECTION, projection);
    f_world->Load_Textures();
    Event_Log_Create();
    Panels_Register_Dialogs();
    Game_Menu_Dialogs_Install();
    // The longest names of the data files, on every nation and region.
    f_nation = Widest_Line(Native_Path(Path_Settings->m_Get_NationNames_File()));
    f_region = Widest_Line(Native_Path(Path_Settings->m_Get_RegionNames_File()));
    ASSERT_FALSE(f_nation.empty());
    ASSERT_FALSE(f_region.empty());
    for (std::int32_t p = 1; p <= f_world->empires.m_Get_Count(); ++p)
      f_world->empires.m_Get_Empire(p)->m_Set_Nation_Name(f_nation);
    for (std::int32_t r = 1; r <= f_world->map.m_Get_Region_Count(); ++r)
      if (TMap_Region* region = f_world->map.m_Get_Region(r)) region->m_Set_Name(f_region);
    if (TEmpire* e = f_world->empires.m_Get_Empire(1)) e->m_Set_Treasury(1999999999);
    Game_Settings.f_local_empire = 1;
    Game_Settings.f_turn_empire = 1;
    f_screen = std::make_unique<TDC_Main>();
    f_screen->m_Set_Position("Main Window", 0, 0, false);
    f_screen->m_Set_Visible(true);
    // The camera far off the map: no region labels among the texts.
    f_screen->m_Set_Camera({-50000, -50000, -2000}, {-50000, -50000, 0}, true, {0, 1, 0});
    Set_Mouse_Position(W / 2, H / 2);
  }
  void TearDown() override {
    G_Font_Set_Draw_Observer(nullptr);
    f_screen.reset();
    G_Combat = TCombat_State();
    Event_Log_Free();
    Datafile_Tech_Free();
    G_Shutdown_GraphicsEngine();
    Render_Device_Set_Current(nullptr);
    f_device.reset();
    f_world.reset();
    G_Culling_Reset();
    Game_Settings.m_Reset();
    Set_Mouse_Position(0, 0);
  }

  // The texts of one frame of the screen (the dark copies under shadowed
  // texts left out); with `timer` the screen's timer pass runs first (the
  // hover of the info box is left alone without it).
  std::vector<TBox> Frame(bool timer = false) {
    std::vector<TBox> boxes;
    G_Font_Set_Draw_Observer([&boxes](const TFont_Draw_Record& r) {
      if (r.shadow) return;
      const std::int32_t x = std::int32_t(r.x), y = std::int32_t(r.y);
      boxes.push_back({x, y, x + r.width, y + r.height, r.text});
    });
    if (timer) f_screen->TimerFired(0.016f);
    f_device->BeginScene();
    G_Main_Clear(0xFF000000u);
    f_screen->m_Render(0.016);
    f_device->EndScene();
    G_Font_Set_Draw_Observer(nullptr);
    return boxes;
  }

  // The texts one dialog or panel draws (with its children), on its own:
  // the screen's texts under it are covered by it.
  std::vector<TBox> Frame_Of(TDisplay_Class& control) {
    std::vector<TBox> boxes;
    G_Font_Set_Draw_Observer([&boxes](const TFont_Draw_Record& r) {
      if (r.shadow) return;
      const std::int32_t x = std::int32_t(r.x), y = std::int32_t(r.y);
      boxes.push_back({x, y, x + r.width, y + r.height, r.text});
    });
    f_device->BeginScene();
    control.m_Render(0.016);
    f_device->EndScene();
    G_Font_Set_Draw_Observer(nullptr);
    return boxes;
  }

  // Fails for a text off the screen (or off the given box, a dialog's own)
  // or over another one, naming both.
  ::testing::AssertionResult Fits(const std::vector<TBox>& boxes, const std::string& what,
                                  const TBox& within = {0, 0, W, H, "the screen"}) {
    std::ostringstream faults;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const TBox& a = boxes[i];
      if (a.left < within.left || a.top < within.top || a.right > within.right || a.bottom > within.bottom)
        faults << "\n  \"" << a.text << "\" leaves " << within.text << " at " << a.left << "," << a.top << "-"
               << a.right << "," << a.bottom;
      for (std::size_t j = i + 1; j < boxes.size(); ++j)
        if (Overlap(a, boxes[j]))
          faults << "\n  \"" << a.text << "\" (" << a.left << ".." << a.right << ", " << a.top << ") runs into \""
                 << boxes[j].text << "\" (" << boxes[j].left << ".." << boxes[j].right << ", " << boxes[j].top << ")";
    }
    if (faults.str().empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << what << ":" << faults.str();
  }

  static bool Shows(const std::vector<TBox>& boxes, const std::string& prefix) {
    for (const TBox& b : boxes)
      if (b.text.rfind(prefix, 0) == 0) return true;
    return false;
  }

  // The box of a dialog or panel, to keep its texts in.
  static TBox Box_Of(const TDisplay_Class& control) {
    return {control.m_X(), control.m_Y(), control.m_X() + control.m_Width(), control.m_Y() + control.m_Height(),
            "its dialog"};
  }

  // The texts of a dialog opened by name, each in the dialog's box.
  ::testing::AssertionResult Dialog_Fits(const std::string& name) {
    if (!f_screen->m_Open_Dialog(name, 0, 0)) return ::testing::AssertionFailure() << name << " did not open";
    TDisplay_Class* dialog = f_screen->m_Get_Dialog(name);
    if (!dialog) return ::testing::AssertionFailure() << name << " is not found by its name";
    const std::vector<TBox> boxes = Frame_Of(*dialog);
    if (boxes.empty()) return ::testing::AssertionFailure() << name << " draws no text";
    return Fits(boxes, name, Box_Of(*dialog));
  }

  // The unit type whose name is widest in font 2.
  static std::uint16_t Widest_Unit_Type() {
    std::uint16_t widest = 1;
    for (std::int32_t t = 1; t <= World_Unit_Type_Count(); ++t)
      if (Width_In_Font(2, World_Unit_Type(t)->f_display_name) >
          Width_In_Font(2, World_Unit_Type(widest)->f_display_name))
        widest = std::uint16_t(t);
    return widest;
  }

  // A battle of the first nation against the second in the first region,
  // with pieces of the widest unit type on both sides and large counts.
  void Battle(std::uint8_t winner) {
    const std::uint16_t type = Widest_Unit_Type();
    G_Combat = TCombat_State();
    G_Combat.region = 1;
    G_Combat.attacker = 1;
    G_Combat.defender = 2;
    G_Combat.winner = winner;
    G_Combat.combat_time_text = "Turn 9999 of 9999";
    for (std::uint8_t owner : {std::uint8_t(1), std::uint8_t(2)})
      G_Combat.starting[std::size_t(G_Combat.starting_count++)] = {type, owner, 99999, 99998};
  }

  std::unique_ptr<TScreen_World> f_world;
  std::unique_ptr<TRender_Device_Headless> f_device;
  std::unique_ptr<TDC_Main> f_screen;
  std::string f_nation, f_region;
};

}  // namespace

// The status bar, the info box of every unit type, of every technology and
// of a region, and the notices of the other nations' turns.
TEST_F(Text_Fit, MainScreenInfoBoxAndNotices) {
  std::vector<TBox> status = Frame();
  EXPECT_TRUE(Fits(status, "status bar"));
  EXPECT_TRUE(Shows(status, f_nation.substr(0, 4)));
  for (std::int32_t t = 1; t <= World_Unit_Type_Count(); ++t) {
    f_screen->m_Set_Info_Box(true, false, TInfo_Box_Kind::Unit_Type, t, 0);
    const std::vector<TBox> boxes = Frame();
    const TUnit_Type* type = World_Unit_Type(t);
    ASSERT_NE(type, nullptr);
    EXPECT_TRUE(Shows(boxes, "Maximum Per Region")) << type->f_display_name;
    EXPECT_TRUE(Fits(boxes, "unit type " + type->f_display_name));
  }
  for (std::int32_t a = 1; a <= World_Tech_Area_Count(); ++a) {
    f_screen->m_Set_Info_Box(true, false, TInfo_Box_Kind::Technology, a, 0);
    EXPECT_TRUE(Fits(Frame(), "technology " + std::to_string(a)));
  }
  f_screen->m_Set_Info_Box(true, false, TInfo_Box_Kind::Region, 1, 0);
  EXPECT_TRUE(Fits(Frame(), "region"));
  f_screen->m_Set_Info_Box(false, false, TInfo_Box_Kind::None, 0, 0);
  for (int i = 0; i < 10; ++i)
    f_screen->m_Add_Notice("Battle in " + f_region + ": " + f_nation + " attacked " + f_nation + ", " + f_nation +
                           " won.");
  const std::vector<TBox> notices = Frame();
  EXPECT_TRUE(Shows(notices, "Battle in "));
  EXPECT_TRUE(Fits(notices, "notices"));
}

// The log's nation summary and events, and the purchase lists of units and
// research.
TEST_F(Text_Fit, LogAndPurchaseLists) {
  const std::int32_t date = Game_Settings.f_game_date;
  for (int i = 0; i < 3; ++i) {
    G_Event_Log->m_Add_Collect_Resources(date - 1, 1, 1999999);
    G_Event_Log->m_Add_Movement(date - 1, 1, 99, 3, 1, 2);
    G_Event_Log->m_Add_Region_Captured(date - 1, 2, 1, 2);
  }
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Log", 0, 0));
  TDisplay_Class* log = f_screen->m_Get_Dialog("Dlg Log");
  ASSERT_NE(log, nullptr);
  const std::vector<TBox> boxes = Frame_Of(*log);
  EXPECT_TRUE(Shows(boxes, f_nation.substr(0, 4)));
  EXPECT_TRUE(Fits(boxes, "log"));
  f_screen->m_Close_Child_Dialogs();
  Frame(true);  // the kill pass frees the log
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Purchases", 0, 0));
  auto* items = dynamic_cast<TDC_Main_Purchases_Items*>(f_screen->m_Get_Dialog("DC Main Purchases Items"));
  ASSERT_NE(items, nullptr);
  for (std::int32_t type : {1, 5}) {
    items->m_Choose_Type(type);
    const std::vector<TBox> list = Frame_Of(*items);
    EXPECT_FALSE(list.empty());
    // A research row shows its chance and, under it, its whole price.
    if (type == 5) {
      EXPECT_TRUE(Shows(list, "for $"));
      for (const TBox& b : list)
        if (b.text.rfind("for $", 0) == 0) {
          EXPECT_EQ(b.text.find("\xE2\x80\xA6"), std::string::npos) << b.text;
        }
    }
    EXPECT_TRUE(Fits(list, type == 5 ? "purchases: research" : "purchases: units"));
  }
  if (TDisplay_Class* orders = f_screen->m_Get_Dialog("DC Main Purchases List")) {
    EXPECT_TRUE(Fits(Frame_Of(*orders), "purchases: orders"));
  }
}

// The battle screen's header with the longest nation and region names, the
// info box of a piece of the widest unit type with its count and hit
// points, and the battle's begin and end dialogs.
TEST_F(Text_Fit, BattleScreenAndItsDialogs) {
  Battle(1);
  f_screen->m_Set_Screen_Mode(TScreen_Mode::Battle);
  const std::vector<TBox> header = Frame();
  EXPECT_TRUE(Shows(header, f_nation.substr(0, 4)));
  EXPECT_TRUE(Shows(header, f_region.substr(0, 4)));
  EXPECT_TRUE(Fits(header, "battle header"));
  // A unit record of the widest type for the piece the info box describes.
  const std::int32_t piece = f_world->map.m_Add_Unit(1, Widest_Unit_Type(), 1, 0, 0);
  ASSERT_GT(piece, 0);
  f_screen->m_Set_Info_Box(true, false, TInfo_Box_Kind::Stack, piece, 0, true, 99999, true, 99999);
  const std::vector<TBox> info = Frame();
  EXPECT_TRUE(Shows(info, World_Unit_Type(Widest_Unit_Type())->f_display_name.substr(0, 4)));
  EXPECT_TRUE(Fits(info, "battle info box"));
  f_screen->m_Set_Info_Box(false, false, TInfo_Box_Kind::None, 0, 0);
  f_screen->m_Set_Screen_Mode(TScreen_Mode::Map);
  EXPECT_TRUE(Dialog_Fits("Dlg Combat Begin"));
  f_screen->m_Close_Child_Dialogs();
  Frame(true);
  for (std::uint8_t winner : {std::uint8_t(1), std::uint8_t(2)}) {
    SCOPED_TRACE(int(winner));
    Battle(winner);
    EXPECT_TRUE(Dialog_Fits("Dlg Combat End"));
    f_screen->m_Close_Child_Dialogs();
    Frame(true);
  }
}

// The game menu, the options of the game and of battles, and the game over
// picture naming the winner by the longest nation name.
TEST_F(Text_Fit, MenuOptionsAndGameOver) {
  for (const char* name : {"Dlg Game Menu", "Dlg Game Options", "Dlg Combat Options"}) {
    EXPECT_TRUE(Dialog_Fits(name));
    f_screen->m_Close_Child_Dialogs();
    Frame(true);
  }
  // The first nation holds every region and the only units left.
  TMap& map = f_world->map;
  for (std::int32_t r = 1; r <= map.m_Get_Region_Count(); ++r)
    if (TMap_Region* region = map.m_Get_Region(r)) region->m_Set_Owner(1);
  for (std::int32_t id = 1; id <= map.m_Get_Unit_Count(); ++id) {
    TMap_Unit_Record u;
    map.m_Get_Unit(id, u);
    if (u.owner != 1) map.m_Delete_Unit(id);
  }
  ASSERT_EQ(f_world->empires.m_Get_Winner(), 1);
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Game Over", 0, 0));
  TDisplay_Class* over = f_screen->m_Get_Dialog("Dlg Game Over");
  ASSERT_NE(over, nullptr);
  const std::vector<TBox> boxes = Frame_Of(*over);
  EXPECT_TRUE(Shows(boxes, "The " + f_nation.substr(0, 4)) || Shows(boxes, f_nation.substr(0, 4)));
  EXPECT_TRUE(Fits(boxes, "game over", Box_Of(*over)));
}

// The load dialog listing a save whose name has the most letters a save
// name may have, with the details of a game named with the longest names.
TEST_F(Text_Fit, LoadDialogWithTheLongestNames) {
  const std::string name(std::size_t(Path_Name_Max_Length), 'W');
  const std::string dir = Path_Settings->m_Get_Savegames_Dir() + name + "\\";
  std::filesystem::create_directories(Native_Path(dir));
  TImage overview;
  overview.Set_Size(512, 256, Make_Color(20, 60, 120));
  Write_File(Native_Path(dir + "OverviewMap.bmp"), BMP_Encode_24(overview));
  TGame_Settings settings;
  // A game type's name is its folder's: as long as a name may be.
  settings.m_Set_Names(std::string(std::size_t(Path_Name_Max_Length), 'M'), "standard", "12/31/99", "1.09");
  settings.m_Set_Description(f_nation + ", " + f_nation + ", " + f_nation);
  settings.f_game_date = 99999;
  ASSERT_TRUE(settings.m_Save_To_File(dir + "GameSettings.dat"));
  ASSERT_TRUE(f_screen->m_Open_Dialog("Dlg Load Game", 0, 0));
  auto* dialog = dynamic_cast<TDC_Dlg_LoadSaveGame*>(f_screen->m_Get_Dialog("Dlg Load Game"));
  ASSERT_NE(dialog, nullptr);
  ASSERT_EQ(dialog->m_File_List().m_Get_Row_Count(), 1);
  dialog->m_File_Name_Edit().m_Set_Text(name);
  dialog->m_Refresh_Details();
  ASSERT_TRUE(dialog->m_Has_Preview());
  const std::vector<TBox> boxes = Frame_Of(*dialog);
  EXPECT_TRUE(Shows(boxes, "WWWW"));
  EXPECT_TRUE(Shows(boxes, f_nation.substr(0, 4)));
  EXPECT_TRUE(Fits(boxes, "load dialog", Box_Of(*dialog)));
}
