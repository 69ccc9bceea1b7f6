// The game folder through the headless session: a new generated game with
// its pictures, save and load of the six files, refused save names, broken
// saves, an interrupted save, the same game from the same seed, and the
// stored maps of the user and those shipped with the game.
#include <gtest/gtest.h>

#include <png.h>

#include <filesystem>
#include <map>

#include "Datafile_BaseGameSettings.h"
#include "Datafile_MapTypes.h"
#include "Native_Path.h"
#include "Path.h"
#include "Datafile_TerrainTiles.h"
#include "Empire.h"
#include "GameFolder.h"
#include "GameInit.h"
#include "GameSettings.h"
#include "Game_Session.h"
#include "Global.h"
#include "Image_Files.h"
#include "Lobby_Game_Link.h"
#include "Io_Tagged.h"
#include "MapClass.h"
#include "MachineOptions.h"
#include "MasterActionTimer.h"
#include "Png_Bytes.h"
#include "Test_Support.h"

namespace {
namespace fs = std::filesystem;

class Game_Folder : public ::testing::Test {
protected:
  void SetUp() override {
    f_saved_program = Program_Folder;
    f_saved_user = User_Folder;
    fs::copy(Source_Dir() / "data", program.path() / "data", fs::copy_options::recursive);
    Write_Tiles();
    Program_Folder = program.design();
    User_Folder = user.design();
    for (const char* sub : {"currentmap", "savegames", "maps", "temp", "userdata"})
      fs::create_directories(user.path() / sub);
    Start();
  }
  void TearDown() override {
    Stop();
    Program_Folder = f_saved_program;
    User_Folder = f_saved_user;
  }
  // The program's start and end, as far as a game without a window needs.
  void Start() {
    Game_Init_Create_Globals();
    Game_Init_Load_Map_Data();
    Game_Init_Load_Rule_Files();
  }
  void Stop() {
    delete G_Map;
    G_Map = nullptr;
    Game_Init_Free_Globals();
  }
  // Plain tile pictures of 32 pixels for every terrain tile.
  void Write_Tiles() {
    TTerrain_Tile_List* saved = Terrain_Tile_List;
    Terrain_Tile_List = nullptr;
    ASSERT_TRUE(Datafile_TerrainTiles_Load(Design_Path((program.path() / "data" / "Terrain_Tiles.txt").string()), nullptr));
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
      const std::string& name = t.f_tile_basic_bitmap;
      TImage b;
      b.Set_Size(32, 32, Make_Color(5, 167, 24));
      if (name.find("Ocean") != std::string::npos) b.Set_Size(32, 32, Make_Color(10, 42, 77));
      if (name.find("Coast") != std::string::npos || name.find("Shore") != std::string::npos)
        for (std::int32_t y = 0; y < 32; ++y)
          for (std::int32_t x = 16; x < 32; ++x) b.Set_Pixel(x, y, Make_Color(10, 42, 77));
      Write_File(basic / name, BMP_Encode_24(b));
    }
    Datafile_TerrainTiles_Free();
    Terrain_Tile_List = saved;
  }
  TGame_Session_Setup Setup(std::uint32_t seed) {
    TGame_Session_Setup s;
    s.seed = seed;
    s.map_type = "Tiny";
    s.computer = {false, false, false};
    return s;
  }
  fs::path Current(const std::string& name) const { return user.path() / "currentmap" / name; }
  fs::path Save(const std::string& save, const std::string& name) const {
    return user.path() / "savegames" / save / name;
  }
  std::vector<std::string> Six(const std::string& save) const {
    std::vector<std::string> bytes;
    for (const char* f : Game_Folder_Files) bytes.push_back(Read_File(Save(save, f)));
    return bytes;
  }

  TTemp_Dir program, user;
  TShell_Recorder shell;

private:
  std::string f_saved_program, f_saved_user;
};
}  // namespace

TEST_F(Game_Folder, ANewGameIsSavedLoadedIntoAFreshStartAndSavedAgainUnchanged) {
  ASSERT_TRUE(Game_Session_New_Game(Setup(11)));
  for (const char* f : {"CurrentMap.map", "LandWaterTypes.bmp", "OverviewMap.bmp", "MapSection001.jpg",
                        "RegionSection001.bmp"})
    EXPECT_TRUE(fs::exists(Current(f))) << f;
  EXPECT_GT(G_Map->m_Get_Region_Count(), 10);
  for (std::uint8_t p = 1; p <= 3; ++p) EXPECT_TRUE(G_Map->m_Player_Present(p)) << int(p);
  ASSERT_TRUE(Game_Session_Save("First"));
  for (const char* f : Game_Folder_Files) EXPECT_TRUE(fs::exists(Save("First", f))) << f;
  EXPECT_TRUE(fs::exists(Save("First", "MapSection001.jpg")));
  const std::vector<std::string> first = Six("First");

  Stop();
  Start();
  TLoad_Result result = TLoad_Result::Hosted_Game;
  ASSERT_TRUE(Game_Session_Load("First", result));
  EXPECT_EQ(result, TLoad_Result::Game);
  ASSERT_TRUE(Game_Session_Save("Second"));
  EXPECT_EQ(Six("Second"), first);
  EXPECT_TRUE(shell.messages.empty()) << shell.m_Joined().front();
}

// The network lobby sees the running game only through the link the game
// folder installs: the empires' rows, the computer flag, the game's files
// written for the joined machines, and the stepped load a joined machine runs.
TEST_F(Game_Folder, TheLobbyReachesTheRunningGameThroughTheGameFoldersLink) {
  TLobby_Game_Link& link = Lobby_Game_Link();
  EXPECT_EQ(link.m_Game_Folder_Files(), std::vector<std::string>(std::begin(Game_Folder_Files), std::end(Game_Folder_Files)));
  ASSERT_TRUE(Game_Session_New_Game(Setup(11)));
  ASSERT_TRUE(link.m_Has_Map());
  ASSERT_EQ(link.m_Empire_Count(), G_Empire_List->m_Get_Count());
  ASSERT_GE(link.m_Empire_Count(), 3);
  for (std::int32_t n = 1; n <= link.m_Empire_Count(); ++n) {
    TLobby_Empire_Row row;
    ASSERT_TRUE(link.m_Empire(n, row)) << n;
    const TEmpire& e = *G_Empire_List->m_Get_Empire(n);
    EXPECT_EQ(row.nation_name, e.m_Get_Nation_Name()) << n;
    EXPECT_EQ(row.player_name, e.m_Get_Player_Name()) << n;
    EXPECT_EQ(row.neutral, e.m_Get_Neutral()) << n;
  }
  TLobby_Empire_Row none;
  EXPECT_FALSE(link.m_Empire(link.m_Empire_Count() + 1, none));
  link.m_Set_Computer_Controlled(2, true);
  EXPECT_TRUE(G_Empire_List->m_Get_Empire(2)->m_Get_Computer_Controlled());
  link.m_Set_Computer_Controlled(2, false);
  EXPECT_FALSE(G_Empire_List->m_Get_Empire(2)->m_Get_Computer_Controlled());
  link.m_Set_Computer_Controlled(99, true);  // no such empire: nothing happens

  // Written for the joined machines: the map alone for a loaded game, all six
  // files otherwise, the five game files with the bytes a save writes.
  ASSERT_TRUE(Game_Session_Save("Sent"));
  const fs::path map_only = user.path() / "map_only", all = user.path() / "all";
  fs::create_directories(map_only);
  fs::create_directories(all);
  ASSERT_TRUE(link.m_Write_Game_Files(Design_Path(map_only.string()) + "\\", true));
  EXPECT_TRUE(fs::exists(map_only / "CurrentMap.map"));
  EXPECT_EQ(std::distance(fs::directory_iterator(map_only), fs::directory_iterator()), 1);
  ASSERT_TRUE(link.m_Write_Game_Files(Design_Path(all.string()) + "\\", false));
  for (const char* f : Game_Folder_Files) EXPECT_TRUE(fs::exists(all / f)) << f;
  for (const char* f : {"Empires.dat", "EventLog.dat", "MessageLog.dat", "MasterActionTimer.dat"})
    EXPECT_EQ(Read_File(all / f), Read_File(Save("Sent", f))) << f;

  // A joined machine's load: the files lie in the current-game folder.
  Stop();
  Start();
  fs::remove_all(user.path() / "currentmap");
  fs::copy(user.path() / "savegames" / "Sent", user.path() / "currentmap", fs::copy_options::recursive);
  const std::string current = Path_Settings->m_Get_Currentmap_Dir();
  G_Map = new TMap();  // the joined machine's map, which the load fills (Stop frees it)
  TLoad_Result result = TLoad_Result::Hosted_Game;
  ASSERT_TRUE(link.m_Load_Step(current, true, false, result, 1));
  for (std::int32_t step = 1; step <= 100; ++step)
    ASSERT_TRUE(link.m_Load_Step(current, false, false, result, step)) << step;
  link.m_Load_Step(current, false, true, result, 100);
  EXPECT_EQ(result, TLoad_Result::Game);
  ASSERT_NE(G_Map, nullptr);
  EXPECT_EQ(link.m_Empire_Count(), G_Empire_List->m_Get_Count());
  link.m_Clear_Action_Timer();
  EXPECT_TRUE(shell.messages.empty()) << shell.m_Joined().front();
}

// Without the game folder's link the lobby hears that there is no game: no
// empires, no files written, no stored map, a load that fails.
TEST(Lobby_Game_Link, WithoutTheGameFolderNothingIsDoneAndEveryAnswerSaysSo) {
  TLobby_Game_Link& installed = Lobby_Game_Link();
  Set_Lobby_Game_Link(nullptr);
  TLobby_Game_Link& none = Lobby_Game_Link();
  TLobby_Empire_Row row;
  TLoad_Result result = TLoad_Result::Hosted_Game;
  const bool has_map = none.m_Has_Map(), empire = none.m_Empire(1, row),
             written = none.m_Write_Game_Files("C:\\nowhere\\", false), stored = none.m_Has_Stored_Map("Lone Continent"),
             replaced = none.m_Replace_With_Stored_Map("C:\\nowhere\\", "Lone Continent"),
             loaded = none.m_Load_Step("C:\\nowhere\\", false, false, result, 50);
  const std::int32_t count = none.m_Empire_Count();
  const bool files = none.m_Game_Folder_Files().empty();
  Set_Lobby_Game_Link(&installed);
  EXPECT_NE(&installed, &none);
  EXPECT_EQ(count, 0);
  EXPECT_FALSE(has_map);
  EXPECT_FALSE(empire);
  EXPECT_FALSE(written);
  EXPECT_FALSE(stored);
  EXPECT_FALSE(replaced);
  EXPECT_FALSE(loaded);
  EXPECT_EQ(result, TLoad_Result::Game);
  EXPECT_TRUE(files);
  EXPECT_EQ(&Lobby_Game_Link(), &installed);
}

// The load reads each file once: the map and the empires that the check of
// the folder read are the ones the game takes, whatever happens to their
// files between the check and the steps that take them.
TEST_F(Game_Folder, TheLoadTakesTheMapAndEmpiresItCheckedWithoutReadingThemAgain) {
  ASSERT_TRUE(Game_Session_New_Game(Setup(12)));
  ASSERT_TRUE(Game_Session_Save("Once"));
  const std::vector<std::string> saved = Six("Once");
  Stop();
  Start();
  G_Map = new TMap();
  Game_Install_Rules();
  const std::string dir = Save_Game_Directory("Once");
  TLoad_Result result = TLoad_Result::Game;
  bool ok = Main_Load_Game_Stepped(dir, true, false, result, 0, 1);
  for (std::int32_t step = 1; ok && step <= 71; ++step) ok = Main_Load_Game_Stepped(dir, false, false, result, 0, step);
  ASSERT_TRUE(ok);
  // Both files are spoiled once the check read them.
  Write_File(Current("CurrentMap.map"), "spoiled");
  Write_File(Current("Empires.dat"), "spoiled");
  for (std::int32_t step = 72; ok && step <= 100; ++step) ok = Main_Load_Game_Stepped(dir, false, false, result, 0, step);
  Main_Load_Game_Stepped(dir, false, true, result, 0, 100);
  ASSERT_TRUE(ok);
  EXPECT_TRUE(shell.messages.empty()) << shell.m_Joined().front();
  TIo_Writer map, empires;
  G_Map->Save(map, false, Game_Settings.f_version);
  G_Empire_List->m_Write(empires);
  EXPECT_TRUE(map.m_Bytes() == saved[1]);
  EXPECT_TRUE(empires.m_Bytes() == saved[2]);
}

// A save and a load may share the pictures with the folder they come from;
// whatever the running game writes afterwards, a saved game keeps its own
// bytes, and so does a loaded game's folder when the save is written again.
TEST_F(Game_Folder, ASavedGameKeepsItsPicturesWhateverTheRunningGameWritesLater) {
  const char* const pictures[] = {"LandWaterTypes.bmp", "OverviewMap.bmp", "MapSection001.jpg", "RegionSection001.bmp"};
  ASSERT_TRUE(Game_Session_New_Game(Setup(11)));
  ASSERT_TRUE(Game_Session_Save("First"));
  // The pictures are shared, the six game files copied.
  EXPECT_GE(fs::hard_link_count(Save("First", "MapSection001.jpg")), 2u);
  for (const char* f : Game_Folder_Files) EXPECT_EQ(fs::hard_link_count(Save("First", f)), 1u) << f;
  std::vector<std::string> saved;
  for (const char* f : pictures) saved.push_back(Read_File(Save("First", f)));
  const std::vector<std::string> six = Six("First");

  // A picture written again in the running game's folder, then a new game.
  TImage grey;
  grey.Set_Size(8, 8, Make_Color(128, 128, 128));
  ASSERT_TRUE(Image_Write_BMP_24(Design_Path(Current("OverviewMap.bmp").string()), grey));
  ASSERT_TRUE(Game_Session_New_Game(Setup(12)));
  ASSERT_TRUE(Game_Session_Save("Other"));
  for (std::size_t i = 0; i < std::size(pictures); ++i)
    EXPECT_TRUE(Read_File(Save("First", pictures[i])) == saved[i]) << pictures[i];
  EXPECT_FALSE(Read_File(Current("MapSection001.jpg")) == saved[2]);

  // Loaded, played on with a save over the loaded one, and a new game.
  TLoad_Result result = TLoad_Result::Hosted_Game;
  ASSERT_TRUE(Game_Session_Load("First", result));
  for (std::size_t i = 0; i < std::size(pictures); ++i)
    EXPECT_TRUE(Read_File(Current(pictures[i])) == saved[i]) << pictures[i];
  Game_Settings.f_game_date += 1;
  ASSERT_TRUE(Game_Session_Save("First"));
  EXPECT_NE(Six("First"), six);
  ASSERT_TRUE(Game_Session_New_Game(Setup(13)));
  for (std::size_t i = 0; i < std::size(pictures); ++i)
    EXPECT_TRUE(Read_File(Save("First", pictures[i])) == saved[i]) << pictures[i];
  ASSERT_TRUE(Game_Session_Load("Other", result));
  ASSERT_TRUE(Game_Session_Load("First", result));
  EXPECT_EQ(Game_Settings.f_game_date, Base_Game_Settings.f_starting_game_date + 1);
  EXPECT_TRUE(shell.messages.empty()) << shell.m_Joined().front();
}

TEST_F(Game_Folder, ABrokenSaveIsRefusedAndTheRunningGameStaysAsItWas) {
  ASSERT_TRUE(Game_Session_New_Game(Setup(12)));
  ASSERT_TRUE(Game_Session_Save("Good"));
  struct TCase {
    const char* file;
    bool truncate;  // else a byte in the middle is changed
  };
  for (const TCase& c : {TCase{"Empires.dat", true}, TCase{"CurrentMap.map", true},
                         TCase{"MasterActionTimer.dat", true}, TCase{"GameSettings.dat", false}}) {
    SCOPED_TRACE(c.file);
    fs::remove_all(user.path() / "savegames" / "Bad");
    fs::copy(user.path() / "savegames" / "Good", user.path() / "savegames" / "Bad");
    std::string bytes = Read_File(Save("Bad", c.file));
    if (c.truncate) bytes.resize(bytes.size() / 2);
    else bytes[bytes.size() / 2] = char(0xEE);
    Write_File(Save("Bad", c.file), bytes);
    // The running game moves on first, so that a change would show.
    Game_Settings.f_game_date += 7;
    const std::int32_t date = Game_Settings.f_game_date;
    const std::int32_t regions = G_Map->m_Get_Region_Count();
    const std::string map_file = Read_File(Current("CurrentMap.map"));
    shell.messages.clear();
    TLoad_Result result = TLoad_Result::Game;
    if (Game_Session_Load("Bad", result)) {
      // A changed byte that still reads as a valid file is no failure.
      ASSERT_FALSE(c.truncate);
      continue;
    }
    ASSERT_FALSE(shell.messages.empty());
    EXPECT_EQ(shell.messages.front().text.rfind("Load file error: ", 0), 0u) << shell.messages.front().text;
    EXPECT_EQ(Game_Settings.f_game_date, date);
    EXPECT_EQ(G_Map->m_Get_Region_Count(), regions);
    EXPECT_EQ(Read_File(Current("CurrentMap.map")), map_file);
  }
}

TEST_F(Game_Folder, ASaveStoppedHalfWayLeavesThePreviousSaveLoadable) {
  ASSERT_TRUE(Game_Session_New_Game(Setup(13)));
  ASSERT_TRUE(Game_Session_Save("Slot"));
  const std::vector<std::string> before = Six("Slot");
  Game_Settings.f_game_date += 3;
  const std::string dir = Save_Game_Directory("Slot");
  std::int32_t result = 0;
  ASSERT_TRUE(Main_Save_Game_Stepped(dir, true, false, result, 1));
  for (std::int32_t step = 1; step <= 70; ++step) ASSERT_TRUE(Main_Save_Game_Stepped(dir, false, false, result, step));
  // The job ends here, as when the program is stopped.
  Main_Save_Game_Stepped(dir, false, true, result, 70);
  EXPECT_EQ(Six("Slot"), before);
  TLoad_Result loaded = TLoad_Result::Game;
  ASSERT_TRUE(Game_Session_Load("Slot", loaded));
  EXPECT_EQ(Game_Settings.f_game_date, Base_Game_Settings.f_starting_game_date);
}

// An autosave is made by the end of turn that advanced the date, while it
// runs. Loaded, that end of turn goes on from the first player's updates:
// the date stays the one saved, in a hot-seat game as in a single-player one.
TEST_F(Game_Folder, AnAutosaveResumesItsEndOfTurnWithoutAdvancingTheDateAgain) {
  // Two human players (no computer player: its battles would wait for the
  // human's hand on a screen there is none of here).
  struct TCase {
    TGame_Kind kind;
    std::vector<bool> computer;
  } cases[] = {{TGame_Kind::Single_Player, {false, false}}, {TGame_Kind::Hot_Seat, {false, false}}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(int(c.kind));
    fs::remove_all(user.path() / "savegames" / "Autosave1");
    TGame_Session_Setup setup = Setup(21);
    setup.game_kind = c.kind;
    setup.computer = c.computer;
    ASSERT_TRUE(Game_Session_New_Game(setup));
    Machine_Options->f_autosave_turns = 1;
    Game_Settings.f_autosave_slot = 0;
    const std::int32_t start = Game_Settings.f_game_date;
    // Every player ends a turn: the order wraps, the date advances and the
    // end of turn saves into the first slot.
    for (std::size_t p = 0; p < c.computer.size() && Game_Settings.f_game_date == start; ++p) {
      if (Game_Session_End_Turn() == 0) break;
      Game_Session_Run_Until_Idle();
    }
    ASSERT_EQ(Game_Settings.f_game_date, start + 1);
    ASSERT_TRUE(fs::exists(Save("Autosave1", "GameSettings.dat")));
    const std::uint8_t turn = Game_Settings.f_turn_empire;
    Stop();
    Start();
    TLoad_Result result = TLoad_Result::Game;
    ASSERT_TRUE(Game_Session_Load("Autosave1", result));
    EXPECT_EQ(result, TLoad_Result::End_Turn_Resumes);
    Game_Session_Run_Until_Idle();
    EXPECT_EQ(Game_Settings.f_game_date, start + 1);
    EXPECT_EQ(Game_Settings.f_turn_empire, turn);
    EXPECT_FALSE(Game_Settings.f_autosave_pending);
    Stop();
    Start();
  }
}

TEST_F(Game_Folder, SaveNamesAreChecked) {
  const std::pair<const char*, bool> names[] = {
      {"Campaign 1", true}, {"", false},     {"   ", false},   {"..", false},       {"a..b", false},
      {"a\\b", false},      {"a/b", false},  {"c:x", false},   {"tab\there", false}, {"Ünïcode", true}};
  for (auto [name, ok] : names) {
    std::string message;
    EXPECT_EQ(Save_Name_Valid(name, message), ok) << name;
    EXPECT_EQ(message.empty(), ok) << name;
  }
  shell.messages.clear();
  EXPECT_FALSE(Game_Session_Save("../outside"));
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].caption, "Error");
  EXPECT_FALSE(fs::exists(user.path() / "outside"));
}

TEST_F(Game_Folder, TheSameSeedAndTheSameTurnsGiveTheSameFiles) {
  std::vector<std::string> runs[2];
  for (int run = 0; run < 2; ++run) {
    ASSERT_TRUE(Game_Session_New_Game(Setup(21)));
    for (int turn = 0; turn < 20; ++turn) {
      Game_Session_End_Turn();
      Game_Session_Run_Until_Idle();
    }
    ASSERT_TRUE(Game_Session_Save("Run" + std::to_string(run)));
    runs[run] = Six("Run" + std::to_string(run));
  }
  EXPECT_EQ(runs[0], runs[1]);
  EXPECT_GT(Game_Settings.f_game_date, Base_Game_Settings.f_starting_game_date + 5);
}

namespace {
// A stored map folder holding one file that tells where it lies.
void Write_Map(const fs::path& maps, const std::string& name, const std::string& mark) {
  Write_File(maps / name / "Where.txt", mark);
}
}  // namespace

TEST_F(Game_Folder, StoredMapsAreListedFromTheUserAndTheGameTheUsersWinning) {
  struct TCase {
    const char* what;
    std::vector<std::string> user, shipped;
    std::vector<std::string> listed;
    // A name asked for, and the mark of the folder it is found in ("" none).
    std::string asked, found;
  };
  const std::vector<TCase> cases = {
      {"no maps anywhere", {}, {}, {}, "Small", ""},
      {"only shipped", {}, {"Small", "Atoll"}, {"Atoll", "Small"}, "Small", "shipped Small"},
      {"only the user's", {"Mine"}, {}, {"Mine"}, "Mine", "user Mine"},
      {"both, merged in name order", {"Mine", "zeta"}, {"Atoll", "Small"}, {"Atoll", "Mine", "Small", "zeta"},
       "atoll", "shipped Atoll"},
      {"same name: the user's wins", {"Small"}, {"Small"}, {"Small"}, "Small", "user Small"},
      {"name differing in case: the user's wins", {"small"}, {"Small"}, {"small"}, "SMALL", "user small"},
      {"unknown name", {"Mine"}, {"Small"}, {"Mine", "Small"}, "Large", ""},
      {"bad name", {"Mine"}, {"Small"}, {"Mine", "Small"}, "../maps/Small", ""},
  };
  const fs::path user_maps = user.path() / "maps", shipped = program.path() / "maps";
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(user_maps);
    fs::remove_all(shipped);
    fs::create_directories(user_maps);
    for (const std::string& n : c.user) Write_Map(user_maps, n, "user " + n);
    for (const std::string& n : c.shipped) Write_Map(shipped, n, "shipped " + n);
    // A plain file among the maps is no map.
    Write_File(shipped / "Readme.txt", "not a map");
    std::vector<std::string> names, folders;
    ASSERT_TRUE(List_Stored_Maps(names, folders));
    EXPECT_EQ(names, c.listed);
    EXPECT_EQ(folders, c.listed);
    const std::string dir = Stored_Map_Directory(c.asked);
    EXPECT_EQ(dir.empty() ? std::string() : Read_File(Native_Path(dir + "Where.txt")), c.found);
  }
}

TEST_F(Game_Folder, AStoredMapIsCopiedToTheCurrentGameFromWhereItLies) {
  Write_Map(user.path() / "maps", "Mine", "user Mine");
  Write_Map(user.path() / "maps", "Both", "user Both");
  Write_Map(program.path() / "maps", "Both", "shipped Both");
  Write_Map(program.path() / "maps", "Stock", "shipped Stock");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Mine", "user Mine"}, {"Stock", "shipped Stock"}, {"stock", "shipped Stock"}, {"Both", "user Both"}};
  for (const auto& [name, mark] : cases) {
    Write_File(Current("Old.txt"), "old game");
    ASSERT_TRUE(Copy_Stored_Map_To_Current(name)) << name;
    EXPECT_EQ(Read_File(Current("Where.txt")), mark) << name;
    EXPECT_FALSE(fs::exists(Current("Old.txt"))) << name;
  }
  EXPECT_TRUE(shell.messages.empty());
  // A map that is nowhere leaves the current game as it was, with the reason.
  Write_File(Current("Old.txt"), "old game");
  EXPECT_FALSE(Copy_Stored_Map_To_Current("Nowhere"));
  EXPECT_EQ(Read_File(Current("Old.txt")), "old game");
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.m_Joined().front(), "Error|The map \"Nowhere\" was not found.");
  // The shipped maps stay where they are: nothing was copied to the user.
  EXPECT_FALSE(fs::exists(user.path() / "maps" / "Stock"));
}

TEST_F(Game_Folder, ANewGameIsPlayedOnAStoredMapShippedWithTheGame) {
  // A world stored as "Save Map" stores it, then moved among the game's maps.
  ASSERT_TRUE(Game_Session_New_Game(Setup(5)));
  const std::int32_t regions = G_Map->m_Get_Region_Count();
  const std::string section = Read_File(Current("MapSection001.jpg"));
  std::string caption, text;
  ASSERT_TRUE(Save_Map("Shipped World", caption, text)) << text;
  fs::create_directories(program.path() / "maps");
  fs::rename(user.path() / "maps" / "Shipped World", program.path() / "maps" / "Shipped World");
  EXPECT_FALSE(fs::exists(program.path() / "maps" / "Shipped World" / "Empires.dat"));

  Stop();
  fs::remove_all(user.path() / "currentmap");
  fs::create_directories(user.path() / "currentmap");
  Start();
  TGame_Session_Setup setup = Setup(9);
  setup.map_type.clear();
  setup.stored_map = "Shipped World";
  ASSERT_TRUE(Game_Session_New_Game(setup));
  EXPECT_FALSE(G_Map->m_Get_Generated());
  EXPECT_EQ(G_Map->m_Get_Region_Count(), regions);
  EXPECT_EQ(Read_File(Current("MapSection001.jpg")), section);
  for (std::uint8_t p = 1; p <= 3; ++p) EXPECT_TRUE(G_Map->m_Player_Present(p)) << int(p);
  // The game plays on: it is saved like any other.
  ASSERT_TRUE(Game_Session_Save("On Stock"));
  for (const char* f : Game_Folder_Files) EXPECT_TRUE(fs::exists(Save("On Stock", f))) << f;
  EXPECT_TRUE(shell.messages.empty()) << shell.m_Joined().front();
  EXPECT_FALSE(fs::exists(user.path() / "maps" / "Shipped World"));
}

namespace {
// Every folder and file below a folder, with the bytes of each file.
std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> tree;
  for (const auto& e : fs::recursive_directory_iterator(root))
    tree[fs::relative(e.path(), root).string()] = e.is_directory() ? std::string("<folder>") : Read_File(e.path());
  return tree;
}

const char* const Reserved_Reason =
    "A save name cannot end in \".saving\", \".old\" or \".loading\": the game keeps those names for itself.";

// Names for the folder of a hosted game's saves that a crafted save could
// carry: beside savegames\, above it, savegames\ itself, a path of its own,
// and the names of the safe save's own folders.
const std::pair<std::string, std::string> Hostile_Network_Names[] = {
    {"..\\sentinel", "A save name cannot be \".\" or contain \"..\"."},
    {"..\\..\\..\\sentinel", "A save name cannot be \".\" or contain \"..\"."},
    {"..", "A save name cannot be \".\" or contain \"..\"."},
    {"", "A save needs a name."},
    {"\\tmp\\sentinel", "A save name cannot contain \\, / or :."},
    {"Net.old", Reserved_Reason},
    {"Net.saving", Reserved_Reason},
    {"net.LOADING", Reserved_Reason},
};
}  // namespace

// A save whose GameSettings.dat names the folder of its host's per-turn
// saves outside savegames\ (or as one of the safe save's own folders) is
// refused when it is loaded, with the reason; the running game and every
// file under the user's folder stay as they were, a folder beside the saves
// included.
TEST_F(Game_Folder, ASaveNamingItsHostsSaveFolderOutsideTheSavesIsRefusedAndTouchesNothing) {
  ASSERT_TRUE(Game_Session_New_Game(Setup(14)));
  ASSERT_TRUE(Game_Session_Save("Good"));
  Write_File(user.path() / "sentinel" / "keep.txt", "keep");
  Write_File(user.path() / "savegames" / "Net" / "keep.txt", "a save");
  Write_File(user.path() / "savegames" / "Net.old" / "keep.txt", "an old save");
  for (const auto& [name, reason] : Hostile_Network_Names) {
    SCOPED_TRACE(name);
    fs::remove_all(user.path() / "savegames" / "Crafted");
    fs::copy(user.path() / "savegames" / "Good", user.path() / "savegames" / "Crafted");
    // The crafted game settings: a hosted game with its players.
    const std::string settings_file = Design_Path(Save("Crafted", "GameSettings.dat").string());
    TGame_Settings crafted;
    ASSERT_TRUE(crafted.m_Load_From_File(settings_file));
    crafted.f_game_kind = 3;
    crafted.f_network_save_name = name;
    crafted.f_player_count = 3;
    for (std::int32_t slot = 1; slot <= 3; ++slot) crafted.m_Player(slot).f_connected = slot == 1 ? 2 : 1;
    ASSERT_TRUE(crafted.m_Save_To_File(settings_file));

    Game_Settings.f_game_date += 7;
    const std::int32_t date = Game_Settings.f_game_date;
    const std::map<std::string, std::string> before = Tree(user.path());
    shell.messages.clear();
    TLoad_Result result = TLoad_Result::Game;
    EXPECT_FALSE(Game_Session_Load("Crafted", result));
    ASSERT_EQ(shell.messages.size(), 1u) << shell.m_Joined().back();
    EXPECT_EQ(shell.messages[0].caption, "Error");
    EXPECT_NE(shell.messages[0].text.find("Load file error: "), std::string::npos) << shell.messages[0].text;
    EXPECT_NE(shell.messages[0].text.find("The save name of its network game, \"" + name + "\", cannot be used: " +
                                          reason),
              std::string::npos)
        << shell.messages[0].text;
    EXPECT_EQ(Game_Settings.f_game_date, date);
    EXPECT_EQ(Game_Settings.f_game_kind, 1);
    EXPECT_TRUE(Tree(user.path()) == before);
  }
  EXPECT_EQ(Read_File(user.path() / "sentinel" / "keep.txt"), "keep");
}

// Had such a name reached a hosted game some other way, the host's save at
// the start of each round refuses it (shown under "Error"), writes nothing
// anywhere and the round goes on with player 1.
TEST_F(Game_Folder, TheHostsSaveRefusesAFolderOutsideTheSavesAndTheRoundGoesOn) {
  ASSERT_TRUE(Game_Session_New_Game(Setup(15)));
  Write_File(user.path() / "sentinel" / "keep.txt", "keep");
  Write_File(user.path() / "savegames" / "Net.old" / "keep.txt", "an old save");
  Game_Settings.f_game_kind = 3;
  Game_Settings.f_player_count = 3;
  for (std::int32_t slot = 1; slot <= 3; ++slot) Game_Settings.m_Player(slot).f_connected = slot == 1 ? 2 : 1;
  for (const auto& [name, reason] : Hostile_Network_Names) {
    SCOPED_TRACE(name);
    Game_Settings.f_network_save_name = name;
    Game_Settings.f_turn_empire = 3;
    const std::map<std::string, std::string> before = Tree(user.path());
    shell.messages.clear();
    Game_Session_End_Turn();
    Game_Session_Run_Until_Idle();
    EXPECT_EQ(Game_Settings.f_turn_empire, 1);
    EXPECT_EQ(shell.m_Joined(), std::vector<std::string>{"Error|" + reason});
    EXPECT_TRUE(Tree(user.path()) == before);
  }
  // A good name is saved where it belongs.
  Game_Settings.f_network_save_name = "Net";
  Game_Settings.f_turn_empire = 3;
  shell.messages.clear();
  Game_Session_End_Turn();
  Game_Session_Run_Until_Idle();
  EXPECT_TRUE(shell.messages.empty()) << shell.m_Joined().front();
  for (const char* f : Game_Folder_Files) EXPECT_TRUE(fs::exists(Save("Net", f))) << f;
  EXPECT_EQ(Read_File(user.path() / "sentinel" / "keep.txt"), "keep");
}

// A save cannot take a name the safe save keeps for its own folders; a
// folder of such a name (left by an older version) is no save to offer or
// load, and a save of the same name without the suffix goes on as ever.
TEST_F(Game_Folder, TheSafeSavesOwnFolderNamesCannotBeChosen) {
  ASSERT_TRUE(Game_Session_New_Game(Setup(16)));
  ASSERT_TRUE(Game_Session_Save("Game"));
  const std::map<std::string, std::string> before = Tree(user.path());
  for (const char* name : {"Game.old", "Game.saving", "Game.loading", "GAME.Old", "X.saving"}) {
    SCOPED_TRACE(name);
    shell.messages.clear();
    EXPECT_FALSE(Game_Session_Save(name));
    EXPECT_EQ(shell.m_Joined(), std::vector<std::string>{std::string("Error|") + Reserved_Reason});
    TLoad_Result result = TLoad_Result::Game;
    shell.messages.clear();
    EXPECT_FALSE(Game_Session_Load(name, result));
    EXPECT_EQ(shell.m_Joined(), std::vector<std::string>{std::string("Error|") + Reserved_Reason});
  }
  EXPECT_TRUE(Tree(user.path()) == before);
  // The assembly and aside folders are gone once a save of "Game" is done.
  Game_Settings.f_game_date += 1;
  ASSERT_TRUE(Game_Session_Save("Game"));
  EXPECT_FALSE(fs::exists(user.path() / "savegames" / "Game.saving"));
  EXPECT_FALSE(fs::exists(user.path() / "savegames" / "Game.old"));
  TLoad_Result result = TLoad_Result::Game;
  ASSERT_TRUE(Game_Session_Load("Game", result));
  EXPECT_EQ(Game_Settings.f_game_date, Base_Game_Settings.f_starting_game_date + 1);
}
