#include <gtest/gtest.h>

#include <algorithm>

#include "Datafile_BaseGameSettings.h"
#include "Datafile_UserSettings.h"
#include "Global.h"
#include "Io.h"
#include "Native_Path.h"
#include "Path.h"
#include "Shell_Services.h"
#include "Test_Support.h"

namespace {
const std::string Head = "Globarch game settings\r\n*BEGIN*\r\n-------------\r\n\r\n";

const std::string Full_Game_Settings = Head + R"(Starting Game Date := 20,150
Game Type Name := Standard
Default Map Type := Small Continents
Number of Battle Map Land := 2
Battle Map Land 1 := Grass
Battle Map Land 2 := Desert
Number of Battle Map Ocean := 1
Battle Map Ocean 1 := Deep Water
Player Flag Width := 64
Player Flag Height := 48
Player Flags Per Color := 12
Number Of Player Colors := 8
Player Color 1 Standard RGB := 200,0,0
Player Color 1 Bright RGB := 255,64,64
Player Color 2 Standard RGB := 0,0,200
Player Color 2 Bright RGB := 64,64,255
Player Color 3 Standard RGB := 30,60,90
Player Color 3 Bright RGB := 35,65,95
Player Color 4 Standard RGB := 40,80,120
Player Color 4 Bright RGB := 45,85,125
Player Color 5 Standard RGB := 50,100,150
Player Color 5 Bright RGB := 55,105,155
Player Color 6 Standard RGB := 60,120,180
Player Color 6 Bright RGB := 65,125,185
Player Color 7 Standard RGB := 70,140,210
Player Color 7 Bright RGB := 75,145,215
Player Color 8 Standard RGB := 80,160,240
Player Color 8 Bright RGB := 85,165,245
Neutral Empire Flag Index := 3
Neutral Empire Color Index := 9
Neutral Empire Standard Color := 128,128,128
Neutral Empire Bright Color := 192,192,192
Neutral Territories To Occupy Percent Min := 10
Neutral Territories To Occupy Percent Max := 20
Number Of Neutral Starting Forces := 1
Neutral Starting Forces 1 Unit Name := Militia
Neutral Starting Forces 1 Min Amount := 1
Neutral Starting Forces 1 Max Amount := 4
Neutral Starting Forces 1 Chance := 50
Neutral Starting Money Low := 100
Neutral Starting Money Medium := 200
Neutral Starting Money High := 300
Region Value Low := 1
Region Value High := 9
Nation Minimum Starting Distance := 400
Starting Nation Size Small Num Regions := 3
Starting Nation Size Medium Num Regions := 5
Starting Nation Size Large Num Regions := 8
Nation Total Starting Value Size Small := 10
Nation Total Starting Value Size Medium := 20
Nation Total Starting Value Size Large := 30
Starting Money Low := 1,000
Starting Money Medium := 2,000
Starting Money High := 4,000
Money Per Territory Value := 5
Neutral Empire Money Modifier := 0.75
Number Of Starting Forces Low := 1
Starting Forces Low 1 Unit Name := Infantry
Starting Forces Low 1 Amount := 3
Starting Forces Low 1 Placement := All Regions
Number Of Starting Forces Medium := 0
Number Of Starting Forces High := 1
Starting Forces High 1 Unit Name := Tank
Starting Forces High 1 Amount := 2
Starting Forces High 1 Placement := spread evenly
Number of Title Songs := 1
Title Song 1 Filename := title.ogg
Number of Main Songs := 2
Main Song 1 Filename := main1.ogg
Main Song 2 Filename := main2.ogg
Number of Combat Songs := 0
Number of Finale Songs := 1
Finale Song 1 Filename := finale.ogg
*END*
)";

// The full file with some lines replaced (a key mapped to "" is removed).
std::string Edited(const std::vector<std::pair<std::string, std::string>>& edits) {
  std::string text = Full_Game_Settings;
  for (const auto& [key, line] : edits) {
    std::size_t at = text.find("\n" + key + " := ");
    EXPECT_NE(at, std::string::npos) << key;
    std::size_t end = text.find('\n', at + 1);
    text.replace(at + 1, end - at, line.empty() ? "" : line + "\n");
  }
  return text;
}

struct TLoaded {
  TBase_Game_Settings settings;
  std::vector<std::string> errors;
};

TLoaded Load_Game_Settings(const std::string& text) {
  TTemp_Dir dir;
  Write_File(dir.path() / "GameSettings.txt", text);
  TLoaded out;
  TBase_Game_Settings_Data_File_Loader loader(dir.design() + "GameSettings.txt", out.settings);
  loader.m_Load();
  out.errors = loader.m_Get_Errors();
  return out;
}

std::string Missing(const std::string& key, const std::string& record = "Game Settings") {
  return "Could not find field \"" + key + "\" in record \"" + record + "\".";
}

// The game setup has eight player rows: fewer colours or flags refuse the file.
const std::string Too_Few_Colours =
    "\"Number Of Player Colors\" must be at least 8 (one color for each player of the game setup) in record "
    "\"Game Settings\".";
const std::string Too_Few_Flags =
    "\"Player Flags Per Color\" must be at least 8 (one flag for each player of the game setup) in record "
    "\"Game Settings\".";
}  // namespace

TEST(BaseGameSettings, Defaults) {
  TBase_Game_Settings s;
  EXPECT_EQ(s.f_starting_game_date, 20150);
  EXPECT_EQ(s.f_neutral_territories_to_occupy_percent_min, 5);
  EXPECT_EQ(s.f_neutral_territories_to_occupy_percent_max, 15);
  EXPECT_EQ(s.f_money_per_territory_value, 1);
  EXPECT_EQ(s.f_neutral_empire_money_modifier, 1.0f);
  EXPECT_EQ(s.m_Player_Color_Count(), 0);
}

TEST(BaseGameSettings, FullFileLoads) {
  TLoaded l = Load_Game_Settings(Full_Game_Settings);
  EXPECT_TRUE(l.errors.empty()) << l.errors[0];
  const TBase_Game_Settings& s = l.settings;
  EXPECT_EQ(s.f_starting_game_date, 20150);
  EXPECT_EQ(s.f_game_type_name, "Standard");
  EXPECT_EQ(s.f_default_map_type, "Small Continents");
  EXPECT_EQ(s.f_battle_map_land, (std::vector<std::string>{"Grass", "Desert"}));
  EXPECT_EQ(s.f_battle_map_ocean, (std::vector<std::string>{"Deep Water"}));
  EXPECT_EQ(s.f_player_flag_width, 64);
  EXPECT_EQ(s.f_player_flag_height, 48);
  EXPECT_EQ(s.f_player_flags_per_color, 12);
  ASSERT_EQ(s.m_Player_Color_Count(), 8);
  EXPECT_EQ(s.m_Get_Player_Color(1).f_standard, Make_Color(200, 0, 0));
  EXPECT_EQ(s.m_Get_Player_Color(2).f_bright, Make_Color(64, 64, 255));
  EXPECT_EQ(s.f_neutral_empire_flag_index, 3);
  EXPECT_EQ(s.f_neutral_empire_color_index, 9);
  EXPECT_EQ(s.f_neutral_empire_standard_color, Make_Color(128, 128, 128));
  EXPECT_EQ(s.f_neutral_empire_bright_color, Make_Color(192, 192, 192));
  EXPECT_EQ(s.f_neutral_territories_to_occupy_percent_min, 10);
  EXPECT_EQ(s.f_neutral_territories_to_occupy_percent_max, 20);
  ASSERT_EQ(s.f_neutral_starting_forces.size(), 1u);
  EXPECT_EQ(s.f_neutral_starting_forces[0].f_unit_name, "Militia");
  EXPECT_EQ(s.f_neutral_starting_forces[0].f_min_amount, 1);
  EXPECT_EQ(s.f_neutral_starting_forces[0].f_max_amount, 4);
  EXPECT_EQ(s.f_neutral_starting_forces[0].f_chance, 50);
  EXPECT_EQ(s.f_neutral_starting_money_high, 300);
  EXPECT_EQ(s.f_region_value_high, 9);
  EXPECT_EQ(s.f_nation_minimum_starting_distance, 400);
  EXPECT_EQ(s.f_starting_nation_size_large, 8);
  EXPECT_EQ(s.f_nation_total_starting_value_size_medium, 20);
  EXPECT_EQ(s.f_starting_money_low, 1000);
  EXPECT_EQ(s.f_starting_money_high, 4000);
  EXPECT_EQ(s.f_money_per_territory_value, 5);
  EXPECT_EQ(s.f_neutral_empire_money_modifier, 0.75f);
  ASSERT_EQ(s.f_starting_forces[0].size(), 1u);
  EXPECT_EQ(s.f_starting_forces[0][0].f_unit_name, "Infantry");
  EXPECT_EQ(s.f_starting_forces[0][0].f_amount, 3);
  EXPECT_EQ(s.f_starting_forces[0][0].f_placement, PLACEMENT_ALL_REGIONS);
  EXPECT_TRUE(s.f_starting_forces[1].empty());
  ASSERT_EQ(s.f_starting_forces[2].size(), 1u);
  EXPECT_EQ(s.f_starting_forces[2][0].f_placement, PLACEMENT_SPREAD_EVENLY);
  EXPECT_EQ(s.f_songs[0], (std::vector<std::string>{"title.ogg"}));
  EXPECT_EQ(s.f_songs[1], (std::vector<std::string>{"main1.ogg", "main2.ogg"}));
  EXPECT_TRUE(s.f_songs[2].empty());
  EXPECT_EQ(s.f_songs[3], (std::vector<std::string>{"finale.ogg"}));
}

TEST(BaseGameSettings, MissingAndBadKeys) {
  struct Row {
    const char* what;
    std::string text;
    std::vector<std::string> errors;
  } rows[] = {
      {"a plain key", Edited({{"Region Value Low", ""}}), {Missing("Region Value Low")}},
      {"colour 2 missing",
       Edited({{"Number Of Player Colors", "Number Of Player Colors := 3"},
               {"Player Color 2 Standard RGB", ""},
               {"Player Color 2 Bright RGB", ""},
               {"Player Color 3 Standard RGB", ""},
               {"Player Color 3 Bright RGB", ""}}),
       {Missing("Player Color 2 Standard RGB"), Missing("Player Color 2 Bright RGB"),
        Missing("Player Color 3 Standard RGB"), Missing("Player Color 3 Bright RGB"), Too_Few_Colours}},
      {"a count missing: no item keys asked",
       Edited({{"Number of Battle Map Land", ""}}),
       {Missing("Number of Battle Map Land")}},
      {"no neutral forces",
       Edited({{"Number Of Neutral Starting Forces", "Number Of Neutral Starting Forces := 0"}}),
       {}},
      {"negative neutral forces",
       Edited({{"Number Of Neutral Starting Forces", "Number Of Neutral Starting Forces := -3"}}),
       {}},
      {"absurd neutral forces",
       Edited({{"Number Of Neutral Starting Forces", "Number Of Neutral Starting Forces := 2000000000"}}),
       {"Unknown value \"2000000000\" for Number Of Neutral Starting Forces in record \"Game Settings\"."}},
      {"a missing song", Edited({{"Main Song 2 Filename", ""}}), {Missing("Main Song 2 Filename")}},
      {"a missing placement",
       Edited({{"Starting Forces Low 1 Placement", ""}}),
       {Missing("Starting Forces Low 1 Placement")}},
      {"unreadable values are 0 without a line",
       Edited({{"Starting Game Date", "Starting Game Date := soon"},
               {"Neutral Empire Money Modifier", "Neutral Empire Money Modifier := half"}}),
       {}},
      {"an unreadable count asks for no item",
       Edited({{"Number Of Player Colors", "Number Of Player Colors := many"}, {"Player Color 1 Standard RGB", ""}}),
       {Too_Few_Colours}},
      {"fewer flags per colour than setup rows",
       Edited({{"Player Flags Per Color", "Player Flags Per Color := 7"}}),
       {Too_Few_Flags}},
      {"exactly as many colours and flags as setup rows",
       Edited({{"Player Flags Per Color", "Player Flags Per Color := 8"}}),
       {}},
      {"a misspelled key",
       Edited({{"Player Flag Height", "Player Flag Hieght := 48"}}),
       {Missing("Player Flag Height")}},
  };
  for (const Row& r : rows) {
    TLoaded l = Load_Game_Settings(r.text);
    EXPECT_EQ(l.errors, r.errors) << r.what;
  }

  TLoaded colours = Load_Game_Settings(rows[1].text);
  ASSERT_EQ(colours.settings.m_Player_Color_Count(), 3);
  EXPECT_EQ(colours.settings.m_Get_Player_Color(2).f_standard, colours.settings.m_Get_Player_Color(1).f_standard);
  EXPECT_EQ(colours.settings.m_Get_Player_Color(2).f_bright, colours.settings.m_Get_Player_Color(1).f_bright);
  EXPECT_TRUE(Load_Game_Settings(rows[3].text).settings.f_neutral_starting_forces.empty());
  EXPECT_TRUE(Load_Game_Settings(rows[4].text).settings.f_neutral_starting_forces.empty());
  TLoaded unreadable = Load_Game_Settings(rows[8].text);
  EXPECT_EQ(unreadable.settings.f_starting_game_date, 0);
  EXPECT_EQ(unreadable.settings.f_neutral_empire_money_modifier, 0.0f);
  EXPECT_EQ(Load_Game_Settings(rows[9].text).settings.m_Player_Color_Count(), 0);
  TLoaded placement = Load_Game_Settings(rows[7].text);
  ASSERT_EQ(placement.settings.f_starting_forces[0].size(), 1u);
  EXPECT_EQ(placement.settings.f_starting_forces[0][0].f_placement, PLACEMENT_NONE);
}

TEST(BaseGameSettings, EmptyFileReportsEveryTopLevelKey) {
  TLoaded l = Load_Game_Settings(Head + "Starting Game Date := 20000\n");
  EXPECT_EQ(l.settings.f_starting_game_date, 20000);
  ASSERT_FALSE(l.errors.empty());
  EXPECT_EQ(l.errors.front(), Missing("Game Type Name"));
  EXPECT_EQ(l.errors.back(), Missing("Number of Finale Songs"));
  // Defaults stay for what is missing.
  EXPECT_EQ(l.settings.f_money_per_territory_value, 1);
  EXPECT_EQ(l.settings.f_neutral_territories_to_occupy_percent_max, 15);
}

TEST(BaseGameSettings, StartingForcesAndNeutralForcesWithGaps) {
  TLoaded l = Load_Game_Settings(Edited({
      {"Number Of Starting Forces Low", "Number Of Starting Forces Low := 2"},
      {"Starting Forces Low 1 Amount",
       "Starting Forces Low 1 Amount := 0\n"
       "Starting Forces Low 2 Unit Name := Artillery\n"
       "Starting Forces Low 2 Amount := 1\n"
       "Starting Forces Low 2 Placement := nowhere"},
      {"Number Of Neutral Starting Forces", "Number Of Neutral Starting Forces := 2"},
  }));
  ASSERT_EQ(l.settings.f_starting_forces[0].size(), 1u);  // force 1 has amount 0
  EXPECT_EQ(l.settings.f_starting_forces[0][0].f_unit_name, "Artillery");
  EXPECT_EQ(l.settings.f_starting_forces[0][0].f_placement, PLACEMENT_NONE);
  ASSERT_EQ(l.settings.f_neutral_starting_forces.size(), 2u);  // force 2 exists with empty fields
  EXPECT_EQ(l.settings.f_neutral_starting_forces[1].f_unit_name, "");
  EXPECT_EQ(l.settings.f_neutral_starting_forces[1].f_chance, 0);
  EXPECT_EQ(l.errors,
            (std::vector<std::string>{
                Missing("Neutral Starting Forces 2 Unit Name"), Missing("Neutral Starting Forces 2 Min Amount"),
                Missing("Neutral Starting Forces 2 Max Amount"), Missing("Neutral Starting Forces 2 Chance")}));
}

TEST(BaseGameSettings, RandomSongs) {
  TBase_Game_Settings s;
  EXPECT_EQ(s.m_Get_Random_Song(2), "");  // an empty list
  EXPECT_EQ(s.m_Get_Random_Song(0), "");
  EXPECT_EQ(s.m_Get_Random_Song(5), "");
  s.m_Add_Song(2, "a.ogg");
  s.m_Add_Song(2, "b.ogg");
  s.m_Add_Song(5, "ignored.ogg");
  s.m_Add_Starting_Force(4, "ignored", 1, 0);
  bool seen_a = false, seen_b = false;
  for (int i = 0; i < 50; ++i) {
    std::string song = s.m_Get_Random_Song(2);
    seen_a |= song == "a.ogg";
    seen_b |= song == "b.ogg";
    ASSERT_TRUE(song == "a.ogg" || song == "b.ogg");
  }
  EXPECT_TRUE(seen_a && seen_b);
  EXPECT_EQ(s.m_Get_Random_Song(5), "");
  // Drawing songs leaves the game's own sequence where it was.
  Random_Set_Seed(77);
  const std::int32_t first = Random_Range(1, 1000000);
  Random_Set_Seed(77);
  for (int i = 0; i < 20; ++i) s.m_Get_Random_Song(2);
  EXPECT_EQ(Random_Range(1, 1000000), first);
}

TEST(BaseGameSettings, LoadFileReportsUnderItsTitle) {
  TTemp_Dir dir;
  TShell_Recorder sink;
  Write_File(dir.path() / "GameSettings.txt", Edited({{"Region Value High", ""}}));
  TBase_Game_Settings s;
  s.m_Add_Song(1, "stale.ogg");
  std::string name = dir.design() + "GameSettings.txt";
  EXPECT_FALSE(Load_Base_Game_Settings_File(name, s, false, nullptr));
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(s.f_songs[0], (std::vector<std::string>{"title.ogg"}));  // reset before loading
  EXPECT_FALSE(Load_Base_Game_Settings_File(name, s, true, nullptr));
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].caption, "Game Settings Data File");
  EXPECT_EQ(sink.shown[0].text, Text_Lower_Case(name));
  EXPECT_EQ(sink.shown[0].rows, (std::vector<std::string>{Missing("Region Value High")}));
  Write_File(dir.path() / "GameSettings.txt", Full_Game_Settings);
  EXPECT_TRUE(Load_Base_Game_Settings_File(name, s, true, nullptr));
  EXPECT_EQ(sink.shown.size(), 1u);
}

TEST(UserSettings, LoadsWithDefaultsAndReportsMissingKeys) {
  struct Row {
    const char* what;
    std::string body;
    std::vector<std::string> errors;
  } rows[] = {
      {"only the required keys", "Allow Music := FALSE\nAllow Sound := yes\n", {}},
      {"no sound key", "Allow Music := true\n", {Missing("Allow Sound", "User Settings")}},
      {"nothing", "// no keys at all\n", {}},
      {"no *BEGIN*", "", {"Cannot find *BEGIN*"}},
      {"misspelled keys",
       "Allow Musik := no\nAllow  Sound := no\nButton Background Colour := 1,2,3\n",
       {Missing("Allow Music", "User Settings"), Missing("Allow Sound", "User Settings")}},
  };
  for (const Row& r : rows) {
    TTemp_Dir dir;
    TShell_Recorder sink;
    Write_File(dir.path() / "UserSettings.txt", std::string(r.what) == "no *BEGIN*" ? "x\n" : Head + r.body);
    TUser_Settings s;
    bool ok = Load_User_Settings_File(dir.design() + "UserSettings.txt", s, nullptr);
    EXPECT_EQ(ok, r.errors.empty()) << r.what;
    if (r.errors.empty()) {
      EXPECT_TRUE(sink.shown.empty()) << r.what;
    } else {
      ASSERT_EQ(sink.shown.size(), 1u) << r.what;
      EXPECT_EQ(sink.shown[0].caption, "User Settings Data File");
      EXPECT_EQ(sink.shown[0].rows, r.errors) << r.what;
    }
    EXPECT_EQ(s.m_Get_Button_Background_Color(), Make_Color(71, 71, 71));
    EXPECT_EQ(s.m_Get_Mouse_Over_Highlight_Color(), Make_Color(80, 82, 122));
    EXPECT_EQ(s.m_Get_List_Background_Color(), Make_Color(43, 44, 63));
    EXPECT_EQ(s.m_Get_Normal_Text_Color(), Make_Color(255, 255, 255));
    EXPECT_EQ(s.m_Get_Selected_Text_Color(), Make_Color(64, 255, 64));
    EXPECT_EQ(s.m_Get_Disabled_Text_Color(), Make_Color(100, 100, 100));
    EXPECT_EQ(s.m_Get_Label_Text_Color(), Make_Color(192, 192, 192));
  }
}

TEST(UserSettings, UnreadableValuesBecomeZeroWithoutALine) {
  TTemp_Dir dir;
  Write_File(dir.path() / "UserSettings.txt", Head +
                                                  "Allow Music := maybe\nAllow Sound := 1\nDirectX10 Fix 1 := \n"
                                                  "Button Background Color := red\nLabel Text Color := 1,x,3\n");
  TUser_Settings s;
  ASSERT_TRUE(Load_User_Settings_File(dir.design() + "UserSettings.txt", s, nullptr));
  EXPECT_FALSE(s.f_allow_music);
  EXPECT_FALSE(s.f_allow_sound);
  EXPECT_FALSE(s.f_directx10_fix_1);
  EXPECT_EQ(s.m_Get_Button_Background_Color(), Make_Color(0, 0, 0));
  EXPECT_EQ(s.m_Get_Label_Text_Color(), Make_Color(1, 0, 3));
}

TEST(UserSettings, EveryKey) {
  TTemp_Dir dir;
  Write_File(dir.path() / "UserSettings.txt", Head + R"(Allow Music := FALSE
Allow Sound := false
Support Multithreading := TRUE
DirectX10 Fix 1 := no
Button Background Color := 1,2,3
Mouse Over Highlight Color := 4,5,6
List Background Color := 7,8,9
Normal Text Color := 10,11,12
Selected Text Color := 13,14,15
Disabled Text Color := 16,17,18
Label Text Color := 19,20,21
)");
  TUser_Settings s;
  ASSERT_TRUE(Load_User_Settings_File(dir.design() + "UserSettings.txt", s, nullptr));
  EXPECT_FALSE(s.f_allow_music);
  EXPECT_FALSE(s.f_allow_sound);
  EXPECT_TRUE(s.f_support_multithreading);
  EXPECT_FALSE(s.f_directx10_fix_1);
  EXPECT_EQ(s.m_Get_Button_Background_Color(), Make_Color(1, 2, 3));
  EXPECT_EQ(s.m_Get_Mouse_Over_Highlight_Color(), Make_Color(4, 5, 6));
  EXPECT_EQ(s.m_Get_List_Background_Color(), Make_Color(7, 8, 9));
  EXPECT_EQ(s.m_Get_Normal_Text_Color(), Make_Color(10, 11, 12));
  EXPECT_EQ(s.m_Get_Selected_Text_Color(), Make_Color(13, 14, 15));
  EXPECT_EQ(s.m_Get_Disabled_Text_Color(), Make_Color(16, 17, 18));
  EXPECT_EQ(s.m_Get_Label_Text_Color(), Make_Color(19, 20, 21));
}

TEST(Settings_Shipped, TheStandardFilesLoadWithoutErrors) {
  TShell_Recorder sink;
  TBase_Game_Settings base;
  EXPECT_TRUE(Load_Base_Game_Settings_File(Design_Path((Source_Dir() / "data" / "GameSettings.txt").string()), base,
                                           true, nullptr));
  EXPECT_GT(base.m_Player_Color_Count(), 0);
  EXPECT_FALSE(base.m_Get_Random_Song(2).empty());
  TUser_Settings user;
  EXPECT_TRUE(
      Load_User_Settings_File(Design_Path((Source_Dir() / "userdata" / "UserSettings.txt").string()), user, nullptr));
  for (const THeld_Report& r : sink.shown)
    for (const std::string& row : r.rows) ADD_FAILURE() << r.caption << ": " << row;
}

namespace {
// Program and user folders in temporary trees, with the global path
// settings pointing at them.
class Startup_Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    f_saved_program = Program_Folder;
    f_saved_user = User_Folder;
    f_saved_paths = Path_Settings;
    Program_Folder = f_program.design();
    User_Folder = f_user.design();
    std::filesystem::create_directories(f_program.path() / "data");
    std::filesystem::create_directories(f_user.path() / "userdata");
    std::filesystem::create_directories(f_user.path() / "Backup");
    f_paths.m_Set_Game_Type("standard", "Standard");
    Path_Settings = &f_paths;
    Take_Held_Reports();
  }
  void TearDown() override {
    Take_Held_Reports();
    Path_Settings = f_saved_paths;
    Program_Folder = f_saved_program;
    User_Folder = f_saved_user;
    User_Settings = TUser_Settings();
    Base_Game_Settings.m_Reset();
  }

  TTemp_Dir f_program, f_user;
  TPath_Settings f_paths;
  std::string f_saved_program, f_saved_user;
  TPath_Settings* f_saved_paths = nullptr;
};
}  // namespace

TEST_F(Startup_Settings, ErrorsBeforeTheMainScreenArePrintedLoggedAndHeld) {
  Write_File(f_user.path() / "userdata" / "UserSettings.txt",
             Head + "Allow Music := no\nButton Background Color := 9,8,7\n");
  Write_File(f_program.path() / "data" / "GameSettings.txt", Edited({{"Money Per Territory Value", ""}}));
  // The game type's own copy overrides the common file.
  std::filesystem::create_directories(f_program.path() / "gametypes" / "standard" / "data");
  Write_File(f_program.path() / "gametypes" / "standard" / "data" / "GameSettings.txt",
             Edited({{"Region Value Low", ""}}));

  testing::internal::CaptureStderr();
  EXPECT_FALSE(Load_User_Settings(nullptr));
  EXPECT_FALSE(Load_Base_Game_Settings(nullptr));
  std::string err = testing::internal::GetCapturedStderr();

  // What did load still took effect.
  EXPECT_FALSE(User_Settings.f_allow_music);
  EXPECT_EQ(User_Settings.m_Get_Button_Background_Color(), Make_Color(9, 8, 7));
  EXPECT_EQ(Base_Game_Settings.f_money_per_territory_value, 5);
  EXPECT_EQ(Base_Game_Settings.f_region_value_low, 0);

  std::string user_file = Text_Lower_Case(f_user.design() + "userdata\\UserSettings.txt");
  std::string game_file = Text_Lower_Case(f_program.design() + "gametypes\\standard\\data\\GameSettings.txt");
  std::vector<THeld_Report> held = Take_Held_Reports();
  ASSERT_EQ(held.size(), 2u);
  EXPECT_TRUE(held[0].is_list);
  EXPECT_EQ(held[0].caption, "User Settings Data File");
  EXPECT_EQ(held[0].text, user_file);
  EXPECT_EQ(held[0].rows, (std::vector<std::string>{Missing("Allow Sound", "User Settings")}));
  EXPECT_EQ(held[1].caption, "Game Settings Data File");
  EXPECT_EQ(held[1].text, game_file);
  EXPECT_EQ(held[1].rows, (std::vector<std::string>{Missing("Region Value Low")}));

  EXPECT_EQ(err, "User Settings Data File: " + user_file + "\n  " + Missing("Allow Sound", "User Settings") +
                     "\nGame Settings Data File: " + game_file + "\n  " + Missing("Region Value Low") + "\n");
  std::string log = Read_File(f_user.path() / "Backup" / "Globarch_Log.txt");
  EXPECT_NE(log.find(" User Settings Data File: " + user_file + "\n"), std::string::npos) << log;
  EXPECT_NE(log.find("   " + Missing("Region Value Low") + "\n"), std::string::npos) << log;
}

TEST_F(Startup_Settings, GoodFilesLoadQuietly) {
  Write_File(f_user.path() / "userdata" / "UserSettings.txt", Head + "Allow Music := yes\nAllow Sound := no\n");
  Write_File(f_program.path() / "data" / "GameSettings.txt", Full_Game_Settings);
  testing::internal::CaptureStderr();
  EXPECT_TRUE(Load_User_Settings(nullptr));
  EXPECT_TRUE(Load_Base_Game_Settings(nullptr));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(Take_Held_Reports().empty());
  EXPECT_FALSE(User_Settings.f_allow_sound);
  EXPECT_EQ(Base_Game_Settings.f_nation_minimum_starting_distance, 400);
}

TEST_F(Startup_Settings, AMissingUserSettingsFileIsOneLine) {
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Load_User_Settings(nullptr));
  testing::internal::GetCapturedStderr();
  std::vector<THeld_Report> held = Take_Held_Reports();
  ASSERT_EQ(held.size(), 1u);
  EXPECT_EQ(held[0].rows,
            (std::vector<std::string>{"Unable to load data file: \"" +
                                      Text_Lower_Case(f_user.design() + "userdata\\UserSettings.txt") + "\"."}));
  // The defaults stay.
  EXPECT_TRUE(User_Settings.f_allow_music);
  EXPECT_EQ(User_Settings.m_Get_Label_Text_Color(), Make_Color(192, 192, 192));
}
