// The load and save game dialog over a real generated game: refused save
// names touch nothing, a save and a load through the stepped job, the load
// outcomes (success, missing, truncated, corrupted) with the running game
// left as it was after a failure, the list of saves newest first without a
// limit, delete after a question, the resume of the last save, and the
// stored map of the game options.
#include "DC_Dlg_LoadSaveGame.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "DC_Dlg_GameMenu.h"
#include "DC_Dlg_GameOver.h"
#include "DC_Main.h"
#include "Datafile_TerrainTiles.h"
#include "Empire.h"
#include "GameFolder.h"
#include "GameInit.h"
#include "GameSettings.h"
#include "Game_Session.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "Gui_Test_Support.h"
#include "Image_Files.h"
#include "Io.h"
#include "MachineOptions.h"
#include "MapClass.h"
#include "MapRegion.h"
#include "Native_Path.h"
#include "Render_Device_Headless.h"
#include "SoundEngine_Music_Base.h"
#include "SteppedTask.h"
#include "Png_Bytes.h"
#include "Test_Support.h"

namespace {
namespace fs = std::filesystem;

class Load_Save : public TGui_Fixture {
 protected:
  void SetUp() override {
    TGui_Fixture::SetUp();
    f_saved_program = Program_Folder;
    f_saved_user = User_Folder;
    fs::copy(Source_Dir() / "data", program.path() / "data", fs::copy_options::recursive);
    Write_Tiles();
    Program_Folder = program.design();
    User_Folder = user.design();
    for (const char* sub : {"currentmap", "savegames", "maps", "temp", "userdata"})
      fs::create_directories(user.path() / sub);
    Game_Init_Create_Globals();
    Game_Init_Load_Map_Data();
    Game_Init_Load_Rule_Files();
    f_root.Place("Root", 0, 0, 1024, 768);
  }
  void TearDown() override {
    while (f_root.m_Child_Count() > 0) f_root.Remove_Child_Control(f_root.m_Child(f_root.m_Child_Count()));
    f_dialog.reset();
    Stepped_Task_End();
    delete G_Map;
    G_Map = nullptr;
    Game_Init_Free_Globals();
    Program_Folder = f_saved_program;
    User_Folder = f_saved_user;
    TGui_Fixture::TearDown();
  }
  void Write_Tiles() {
    TTerrain_Tile_List* saved = Terrain_Tile_List;
    Terrain_Tile_List = nullptr;
    ASSERT_TRUE(
        Datafile_TerrainTiles_Load(Design_Path((program.path() / "data" / "Terrain_Tiles.txt").string()), nullptr));
    const fs::path tiles = program.path() / "images" / "tiles", basic = program.path() / "images" / "basictiles";
    fs::create_directories(tiles);
    fs::create_directories(basic);
    TImage ocean;
    ocean.Set_Size(32, 32, Make_Color(0, 40, 160));
    Write_File(tiles / "BaseOceanTile.bmp", BMP_Encode_24(ocean));
    for (std::uint16_t i = 1; i <= Terrain_Tile_List->m_Count(); ++i) {
      const TTerrain_Tile& t = *Terrain_Tile_List->m_Get_Item(i);
      TImage png;
      png.Set_Size(32, 32, Make_Color(90, std::uint8_t(100 + i), 60));
      Write_File(tiles / t.f_tile_bitmap, Png_Bytes(png));
      TImage b;
      b.Set_Size(32, 32, Make_Color(5, 167, 24));
      Write_File(basic / t.f_tile_basic_bitmap, BMP_Encode_24(b));
    }
    Datafile_TerrainTiles_Free();
    Terrain_Tile_List = saved;
  }
  void New_Game(std::uint32_t seed = 7) {
    TGame_Session_Setup s;
    s.seed = seed;
    s.map_type = "Tiny";
    s.computer = {false, true, true};
    ASSERT_TRUE(Game_Session_New_Game(s));
  }
  // The dialog as the main screen opens it, in the middle of the screen.
  TDC_Dlg_LoadSaveGame& Open(bool save) {
    f_dialog = std::make_unique<TDC_Dlg_LoadSaveGame>();
    if (save)
      f_dialog->m_Set_Save_Mode();
    else
      f_dialog->m_Set_Load_Mode();
    f_dialog->m_Set_Position_Centered(save ? "Dlg Save Game" : "Dlg Load Game", true);
    f_dialog->m_Set_Visible(true);
    f_root.Add_Child_Control(f_dialog.get());
    return *f_dialog;
  }
  // Frames until the stepped job has finished.
  void Run_Job() {
    for (int i = 0; i < 1000 && Stepped_Task_Running; ++i) Stepped_Task_Step(0.02f);
    ASSERT_FALSE(Stepped_Task_Running);
    f_dialog->m_Kill_Any_Dead_Controls();
  }
  void Save_As(const std::string& name) {
    Open(true);
    f_dialog->m_File_Name_Edit().m_Set_Text(name);
    f_dialog->m_Ok();
    Run_Job();
  }
  // The text of the dialog's message box, drawn ("" when none is open).
  std::string Message_Text() {
    TDC_Dlg_Message* m = f_dialog->m_Message_Dialog();
    if (!m) return "";
    f_journal.clear();
    m->m_Draw(0);
    std::string all;
    for (const std::string& line : f_journal) all += line + "\n";
    return all;
  }
  std::vector<std::string> Save_Folders() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(user.path() / "savegames"))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // The owner of every region (-1 for an unused number).
  static std::vector<int> Owners() {
    std::vector<int> owners;
    for (std::int32_t r = 1; r <= G_Map->m_Get_Region_Count(); ++r)
      owners.push_back(G_Map->m_Get_Region(r) ? G_Map->m_Get_Region(r)->m_Get_Owner() : -1);
    return owners;
  }
  // Selects the row of a save by a click on it.
  void Select(const std::string& name) {
    TDC_List& list = f_dialog->m_File_List();
    for (std::int32_t r = 1; r <= list.m_Get_Row_Count(); ++r)
      if (list.m_Get_Row_Text(r) == name) {
        list.m_Scroll_To_Row(r);
        std::int32_t top = 0, line = 0, bottom = 0;
        ASSERT_TRUE(list.m_Get_Row_Rect(r, top, line, bottom));
        f_root.m_Mouse_Down(MB_LEFT, 0, list.m_X() + 20, top + 2);
        f_root.MouseUp(MB_LEFT, 0, list.m_X() + 20, top + 2, false);
        return;
      }
    FAIL() << "no row " << name;
  }

  TTemp_Dir program, user;
  TShell_Recorder shell;
  TProbe f_root{f_journal, DC_KIND_WINDOW};
  std::unique_ptr<TDC_Dlg_LoadSaveGame> f_dialog;

 private:
  std::string f_saved_program, f_saved_user;
};

}  // namespace

namespace {
const char* const Reserved_Reason =
    "A save name cannot end in \".saving\", \".old\" or \".loading\": the game keeps those names for itself.";
}  // namespace

TEST_F(Load_Save, RefusedSaveNamesGetTheReasonAndTouchNothing) {
  New_Game();
  Save_As("Kept");
  ASSERT_EQ(f_dialog->f_result, TLoad_Save_Result::Done);
  const std::vector<std::string> before = Save_Folders();
  struct TCase {
    const char* name;
    const char* reason;
  } cases[] = {{"", "A save needs a name."},
               {"  ", "A save needs a name."},
               {".", "A save name cannot be \".\" or contain \"..\"."},
               {"..", "A save name cannot be \".\" or contain \"..\"."},
               {"../Kept", "A save name cannot be \".\" or contain \"..\"."},
               {"a/b", "A save name cannot contain \\, / or :."},
               {"a\\b", "A save name cannot contain \\, / or :."},
               {"c:x", "A save name cannot contain \\, / or :."},
               {"new\nline", "A save name cannot contain control characters."},
               {"Kept.old", Reserved_Reason},
               {"Kept.saving", Reserved_Reason},
               {"Kept.LOADING", Reserved_Reason},
               {"0123456789012345678901234567890123456789012345678901234567890",
                "A save name can have at most 60 characters."}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    // Save.
    Open(true);
    f_dialog->m_File_Name_Edit().m_Set_Text(c.name);
    f_dialog->m_Ok();
    EXPECT_FALSE(Stepped_Task_Running);
    EXPECT_FALSE(f_dialog->m_Killed());
    EXPECT_NE(Message_Text().find(c.reason), std::string::npos) << Message_Text();
    // Delete: a blank name asks nothing; a bad one gets the reason.
    Open(true);
    f_dialog->m_File_Name_Edit().m_Set_Text(c.name);
    f_dialog->m_Delete();
    if (Text_Trim(c.name).empty())
      EXPECT_EQ(f_dialog->m_Message_Dialog(), nullptr);
    else
      EXPECT_NE(Message_Text().find(c.reason), std::string::npos);
    EXPECT_EQ(Save_Folders(), before);
  }
  for (const char* good : {"Game 1", "a.b", "Ünïcode"}) {
    std::string reason;
    EXPECT_TRUE(Save_Name_Valid(good, reason)) << good << ": " << reason;
  }
}

// Folders in savegames\ whose names no save can have (the safe save's own
// folders, left by an older version or by hand) are not offered.
TEST_F(Load_Save, FoldersNamedAsNoSaveCanBeAreNotOffered) {
  New_Game();
  Save_As("Kept");
  for (const char* name : {"Kept.old", "Kept.saving", "Other.Loading", "tab\tname"})
    fs::copy(user.path() / "savegames" / "Kept", user.path() / "savegames" / name);
  Open(false);
  ASSERT_EQ(f_dialog->m_File_List().m_Get_Row_Count(), 1);
  EXPECT_EQ(f_dialog->m_File_List().m_Get_Row_Text(1), "Kept");
  // The name field takes no more than a save's name may have.
  Open(true);
  EXPECT_EQ(f_dialog->m_File_Name_Edit().f_maximum_length, 60);
}

TEST_F(Load_Save, SaveThenLoadBringsTheGameBack) {
  New_Game();
  const std::int32_t date = Game_Settings.f_game_date;
  const std::int32_t regions = G_Map->m_Get_Region_Count();
  const std::vector<int> owners = Owners();
  Save_As("Campaign");
  EXPECT_EQ(f_dialog->f_result, TLoad_Save_Result::Done);
  EXPECT_TRUE(f_dialog->m_Killed());
  EXPECT_EQ(f_dialog->m_Progress_Dialog(), nullptr);
  for (const char* f : Game_Folder_Files) EXPECT_TRUE(fs::exists(user.path() / "savegames" / "Campaign" / f)) << f;
  // The machine remembers the last save for the start menu's resume.
  EXPECT_TRUE(Load_Save_Last_Save_Exists());

  Game_Settings.f_game_date = date + 30;
  Open(false);
  EXPECT_EQ(f_dialog->m_Title(), "Load Game");
  EXPECT_EQ(f_dialog->m_Button(1).m_Caption(), "Load");
  EXPECT_FALSE(f_dialog->m_File_Name_Edit().f_editable);
  Select("Campaign");
  EXPECT_EQ(f_dialog->m_File_Name_Edit().m_Text(), "Campaign");
  // The details of the selected save.
  EXPECT_TRUE(f_dialog->m_Has_Preview());
  EXPECT_EQ(f_dialog->m_Details()[0], Tenths_To_Text(date));
  f_dialog->m_Ok();
  EXPECT_TRUE(Stepped_Task_Running);
  ASSERT_NE(f_dialog->m_Progress_Dialog(), nullptr);
  Run_Job();
  EXPECT_EQ(f_dialog->f_result, TLoad_Save_Result::Done);
  EXPECT_FALSE(f_dialog->f_keep_screen_mode);
  EXPECT_TRUE(f_dialog->m_Killed());
  EXPECT_EQ(Game_Settings.f_game_date, date);
  EXPECT_EQ(G_Map->m_Get_Region_Count(), regions);
  EXPECT_EQ(Owners(), owners);
}

TEST_F(Load_Save, AFailedLoadKeepsTheDialogOpenWithTheReasonAndTheGameAsItWas) {
  New_Game();
  Save_As("Good");
  ASSERT_EQ(f_dialog->f_result, TLoad_Save_Result::Done);
  const fs::path saves = user.path() / "savegames";
  fs::copy(saves / "Good", saves / "Truncated");
  fs::copy(saves / "Good", saves / "Corrupted");
  {
    const std::string bytes = Read_File(saves / "Truncated" / "Empires.dat");
    Write_File(saves / "Truncated" / "Empires.dat", bytes.substr(0, bytes.size() / 2));
    std::string map = Read_File(saves / "Corrupted" / "CurrentMap.map");
    for (std::size_t i = 0; i < map.size(); i += 7) map[i] = char(0xEE);
    Write_File(saves / "Corrupted" / "CurrentMap.map", map);
  }
  const std::int32_t changed_date = Game_Settings.f_game_date + 50;
  const std::string current_map = Read_File(user.path() / "currentmap" / "CurrentMap.map");
  struct TCase {
    const char* name;
    bool remove_first;  // the save vanishes after it was listed
    const char* words;  // a part of the message
  } cases[] = {{"Missing", false, "Could not find savegame directory"},
               {"Good", true, "Could not find savegame directory"},
               {"Truncated", false, "Empires.dat"},
               {"Corrupted", false, "CurrentMap.map"}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    Game_Settings.f_game_date = changed_date;
    Open(false);
    f_dialog->m_File_Name_Edit().m_Set_Text(c.name);
    if (c.remove_first) fs::rename(saves / c.name, saves / "Elsewhere");
    f_dialog->m_Ok();
    Run_Job();
    EXPECT_FALSE(f_dialog->m_Killed());
    EXPECT_EQ(f_dialog->f_result, TLoad_Save_Result::Cancelled);
    EXPECT_NE(Message_Text().find(c.words), std::string::npos) << Message_Text();
    // Nothing of the running game changed.
    EXPECT_EQ(Game_Settings.f_game_date, changed_date);
    EXPECT_EQ(Read_File(user.path() / "currentmap" / "CurrentMap.map"), current_map);
    if (c.remove_first) fs::rename(saves / "Elsewhere", saves / c.name);
    // Cancel closes it as cancelled.
    std::uint16_t esc = VK_ESCAPE;
    f_dialog->m_Message_Dialog()->m_On_Key_Down(esc, 0);
    f_dialog->m_Kill_Any_Dead_Controls();
    f_dialog->m_Cancel();
    EXPECT_TRUE(f_dialog->m_Killed());
  }
  // The messages stayed in the dialog: none reached the main screen.
  EXPECT_TRUE(shell.messages.empty()) << shell.m_Joined().front();
}

TEST_F(Load_Save, TheListHoldsEverySaveNewestFirst) {
  const fs::path saves = user.path() / "savegames";
  const auto now = fs::file_time_type::clock::now();
  // More than a thousand saves: none is left out.
  for (int i = 0; i < 1003; ++i) {
    const fs::path dir = saves / ("Save " + std::to_string(i));
    fs::create_directories(dir);
    Write_File(dir / "CurrentMap.map", "x");
    fs::last_write_time(dir / "CurrentMap.map", now - std::chrono::hours(2000 - i));
  }
  // A save without its map file is dated by its directory.
  fs::create_directories(saves / "Bare");
  fs::last_write_time(saves / "Bare", now - std::chrono::hours(1));
  // Not a save: a plain file and the folder a save is assembled in.
  Write_File(saves / "note.txt", "n");
  fs::create_directories(saves / "Other.saving");
  const std::vector<TSave_Game_Entry> list = Load_Save_List_Saves(user.design() + "savegames\\");
  ASSERT_EQ(list.size(), 1004u);
  EXPECT_EQ(list[0].name, "Bare");
  EXPECT_EQ(list[1].name, "Save 1002");
  EXPECT_EQ(list[2].name, "Save 1001");
  EXPECT_EQ(list.back().name, "Save 0");
  for (std::size_t i = 1; i < list.size(); ++i) EXPECT_GE(list[i - 1].time, list[i].time);
  EXPECT_EQ(list[0].date_text.size(), 19u);

  Open(false);
  ASSERT_EQ(f_dialog->m_File_List().m_Get_Row_Count(), 1004);
  EXPECT_EQ(f_dialog->m_File_List().m_Get_Row_Text(1), "Bare");
  EXPECT_EQ(f_dialog->m_File_List().m_Get_Selected_Index(), 0);
  // A save without OverviewMap.bmp shows no details.
  Select("Bare");
  EXPECT_FALSE(f_dialog->m_Has_Preview());
}

TEST_F(Load_Save, DeleteAsksFirstAndRemovesOnlyThatSave) {
  const fs::path saves = user.path() / "savegames";
  for (const char* name : {"One", "Two"}) {
    fs::create_directories(saves / name);
    Write_File(saves / name / "GameSettings.dat", "x");
  }
  Open(false);
  Select("One");
  f_dialog->m_Delete();
  ASSERT_NE(f_dialog->m_Message_Dialog(), nullptr);
  EXPECT_NE(Message_Text().find("Are you sure you want to delete savegame \"One\"?"), std::string::npos);
  // Cancel: nothing happens.
  std::uint16_t esc = VK_ESCAPE;
  f_dialog->m_Message_Dialog()->m_On_Key_Down(esc, 0);
  f_dialog->m_Kill_Any_Dead_Controls();
  EXPECT_TRUE(fs::exists(saves / "One"));
  // OK: gone, the list and the name follow.
  f_dialog->m_Delete();
  std::uint16_t enter = VK_RETURN;
  f_dialog->m_Message_Dialog()->m_On_Key_Down(enter, 0);
  f_dialog->m_Kill_Any_Dead_Controls();
  EXPECT_FALSE(fs::exists(saves / "One"));
  EXPECT_TRUE(fs::exists(saves / "Two"));
  EXPECT_EQ(f_dialog->m_File_List().m_Get_Row_Count(), 1);
  EXPECT_EQ(f_dialog->m_File_Name_Edit().m_Text(), "");
  EXPECT_FALSE(f_dialog->m_Killed());
}

TEST_F(Load_Save, ResumeWithoutALastSaveClosesWithTheReasonForTheMainScreen) {
  for (const std::string& last : {std::string(), user.design() + "savegames\\Gone\\"}) {
    Machine_Options->f_last_savegame_dir = last;
    EXPECT_FALSE(Load_Save_Last_Save_Exists());
    f_dialog = std::make_unique<TDC_Dlg_LoadSaveGame>();
    f_dialog->m_Set_Opener(TLoad_Opener::Start_Menu);
    f_dialog->m_Load_Direct();
    EXPECT_FALSE(Stepped_Task_Running);
    EXPECT_TRUE(f_dialog->m_Killed());
    EXPECT_EQ(f_dialog->f_result, TLoad_Save_Result::Cancelled);
    EXPECT_EQ(f_dialog->f_error_caption, "File Load Error");
    EXPECT_EQ(f_dialog->f_error_text, "Could not find savegame directory " + last);
    EXPECT_EQ(f_dialog->m_Message_Dialog(), nullptr);
  }
}

TEST_F(Load_Save, ResumeLoadsTheLastSave) {
  New_Game();
  const std::int32_t date = Game_Settings.f_game_date;
  Save_As("Last");
  ASSERT_TRUE(Load_Save_Last_Save_Exists());
  Game_Settings.f_game_date = date + 10;
  f_dialog = std::make_unique<TDC_Dlg_LoadSaveGame>();
  f_dialog->m_Set_Opener(TLoad_Opener::Start_Menu);
  f_dialog->m_Load_Direct();
  EXPECT_FALSE(f_dialog->m_Button(1).m_Visible());
  EXPECT_FALSE(f_dialog->m_File_List().m_Visible());
  Run_Job();
  EXPECT_EQ(f_dialog->f_result, TLoad_Save_Result::Done);
  EXPECT_EQ(f_dialog->f_opener, TLoad_Opener::Start_Menu);
  EXPECT_EQ(Game_Settings.f_game_date, date);
  // A last save that no longer reads: closed with the reason, the game as
  // it was.
  const fs::path empires = user.path() / "savegames" / "Last" / "Empires.dat";
  Write_File(empires, Read_File(empires).substr(0, 40));
  Game_Settings.f_game_date = date + 20;
  f_dialog = std::make_unique<TDC_Dlg_LoadSaveGame>();
  f_dialog->m_Set_Opener(TLoad_Opener::Start_Menu);
  f_dialog->m_Load_Direct();
  Run_Job();
  EXPECT_TRUE(f_dialog->m_Killed());
  EXPECT_EQ(f_dialog->f_result, TLoad_Save_Result::Cancelled);
  EXPECT_NE(f_dialog->f_error_text.find("Empires.dat"), std::string::npos) << f_dialog->f_error_text;
  EXPECT_EQ(Game_Settings.f_game_date, date + 20);
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(Load_Save, SaveMapStoresTheMapWithoutOwnersUnitsOrGameFiles) {
  New_Game();
  std::string caption, text;
  ASSERT_TRUE(Save_Map("Islands", caption, text));
  EXPECT_EQ(caption, "Map Saved");
  EXPECT_EQ(text, "Map saved successfully.");
  const fs::path dir = user.path() / "maps" / "Islands";
  for (const char* f : {"Empires.dat", "EventLog.dat", "GameSettings.dat", "MasterActionTimer.dat", "MessageLog.dat"})
    EXPECT_FALSE(fs::exists(dir / f)) << f;
  EXPECT_TRUE(fs::exists(dir / "OverviewMap.bmp"));
  TMap stored;
  ASSERT_TRUE(stored.m_Load_From_File(Design_Path((dir / "CurrentMap.map").string()), false, "1.09"));
  EXPECT_EQ(stored.m_Get_Region_Count(), G_Map->m_Get_Region_Count());
  std::int32_t regions = 0;
  for (std::int32_t r = 1; r <= stored.m_Get_Region_Count(); ++r) {
    // The generator may leave a region number unused.
    EXPECT_EQ(stored.m_Get_Region(r) == nullptr, G_Map->m_Get_Region(r) == nullptr) << r;
    if (const TMap_Region* region = stored.m_Get_Region(r)) {
      EXPECT_EQ(region->m_Get_Owner(), 0) << r;
      ++regions;
    }
  }
  EXPECT_GT(regions, 10);
  for (std::uint8_t p = 1; p <= 3; ++p) EXPECT_EQ(stored.m_Count_Player_Units(p), 0);
  // The running game keeps its owners.
  EXPECT_TRUE(G_Map->m_Player_Present(1));
  // The same name again is refused and changes nothing.
  const std::string bytes = Read_File(dir / "CurrentMap.map");
  EXPECT_FALSE(Save_Map("Islands", caption, text));
  EXPECT_EQ(caption, "Error");
  EXPECT_EQ(text, "Map name already in use.");
  EXPECT_EQ(Read_File(dir / "CurrentMap.map"), bytes);
}

TEST_F(Load_Save, TheEndOfTurnThatFindsAWinnerOpensTheGameOver) {
  New_Game();
  // Nation 1 holds the world: every region and the only units.
  for (std::int32_t r = 1; r <= G_Map->m_Get_Region_Count(); ++r)
    if (TMap_Region* region = G_Map->m_Get_Region(r)) region->m_Set_Owner(1);
  for (std::int32_t id = 1; id <= G_Map->m_Get_Unit_Count(); ++id) {
    TMap_Unit_Record u;
    G_Map->m_Get_Unit(id, u);
    if (u.id != 0 && u.owner != 1) G_Map->m_Delete_Unit(id);
  }
  ASSERT_EQ(G_Empire_List->m_Get_Winner(), 1);
  // The main screen on a headless device, with the dialogs of the game.
  TDevice_Params params;
  params.Width = 1024;
  params.Height = 768;
  auto device = std::make_unique<TRender_Device_Headless>(params);
  Render_Device_Set_Current(device.get());
  G_Init_GraphicsEngine();
  Game_Over_Start_Music = [](TMusic_Category) {};
  Game_Menu_Dialogs_Install();
  auto screen = std::make_unique<TDC_Main>();
  screen->m_Set_Position("Main Window", 0, 0, false);
  screen->m_Set_Visible(true);
  screen->m_Set_Screen_Mode(TScreen_Mode::Map);
  EXPECT_NE(Game_Session_End_Turn(), 0);
  Game_Session_Run_Until_Idle();
  auto* over = dynamic_cast<TDC_Dlg_GameOver*>(screen->m_Get_Dialog("Dlg Game Over"));
  ASSERT_NE(over, nullptr);
  EXPECT_EQ(over->m_Text(), "The " + G_Empire_List->m_Get_Empire(1)->m_Get_Nation_Name() +
                                " has conquered the world. You are victorious!");
  screen.reset();
  for (const char* name :
       {"Dlg Game Menu", "Dlg Load Game", "Dlg Save Game", "Dlg Game Options", "Dlg Game Over", "Dlg Combat Options"})
    DC_Main_Register_Dialog(name, {});
  Game_Over_Start_Music = Sound_Music_Start_Music;
  G_Shutdown_GraphicsEngine();
  Render_Device_Set_Current(nullptr);
  G_Culling_Reset();
}

TEST_F(Load_Save, AStoredMapThatCannotBeCompletedLeavesNothingBehind) {
  New_Game();
  // A file of the running game that cannot be read: the copy fails.
  fs::create_symlink(user.path() / "nowhere", user.path() / "currentmap" / "Broken.bmp");
  std::string caption, text;
  EXPECT_FALSE(Save_Map("Half", caption, text));
  EXPECT_FALSE(fs::exists(user.path() / "maps" / "Half"));
  // The copy's own message reports the file.
  ASSERT_FALSE(shell.messages.empty());
  EXPECT_EQ(shell.messages.back().caption, "Error");
  // Once the game's files read, the same name works.
  fs::remove(user.path() / "currentmap" / "Broken.bmp");
  EXPECT_TRUE(Save_Map("Half", caption, text));
  EXPECT_TRUE(fs::exists(user.path() / "maps" / "Half" / "CurrentMap.map"));
}
