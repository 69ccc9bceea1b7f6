#include "MachineOptions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "Datafile_DebugSettings.h"
#include "Global.h"
#include "Registry_File.h"
#include "Test_Support.h"

namespace {
const char* const KEY = "Software\\Kestrune\\Globarch";

// The registry file and the debug log in temporary folders.
class Machine_Options_Test : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    f_had_xdg = xdg != nullptr;
    if (xdg) f_saved_xdg = xdg;
    setenv("XDG_CONFIG_HOME", f_config.path().c_str(), 1);
    f_saved_program = Program_Folder;
    f_saved_user = User_Folder;
    Program_Folder = "\\Games\\GlobArch\\";
    User_Folder = f_user.design();
    std::filesystem::create_directories(f_user.path() / "Backup");
    // Log lines go straight to the file.
    Free_Debug_Settings();
  }
  void TearDown() override {
    if (f_had_xdg)
      setenv("XDG_CONFIG_HOME", f_saved_xdg.c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
    Program_Folder = f_saved_program;
    User_Folder = f_saved_user;
  }
  std::filesystem::path File() const { return f_config.path() / "globarch" / "registry.ini"; }
  std::string Log() const { return Read_File(f_user.path() / "Backup" / "Globarch_Log.txt"); }

  // Rewrites the stored options: drops a value and/or sets another.
  void Edit(const std::string& drop, const TRegistry_Value* set) {
    TRegistry_File in, out;
    in.m_Load(File().string());
    for (const TRegistry_Value& v : in.m_Values(KEY))
      if (v.name != drop) out.m_Set(KEY, v);
    if (set) out.m_Set(KEY, *set);
    out.m_Save(File().string());
  }

  // Options with no field at its default, saved.
  static TMachine_Options Stored() {
    TMachine_Options o;
    o.f_sound_volume = 55;
    o.f_music_volume = 44;
    o.f_adapter_text = "Adapter \"One\"";
    o.f_adapter_ordinal = 3;
    o.f_windowed = false;
    o.f_video_mode_text = "1280 x 1024";
    o.f_resolution_width = 1280;
    o.f_resolution_height = 1024;
    o.f_vsync = true;
    o.f_antialiasing = true;
    o.f_display_settings_use_game_cursor = true;
    o.f_video_memory_usage = true;
    o.f_graphic_detail_level = 3;
    o.f_brightness_increase = 0.25;
    o.f_show_fps = true;
    o.f_main_display_panning_speed = 4;
    o.f_show_info_bar = false;
    o.f_show_combat_grid = false;
    o.f_combat_movement_speed = 3;
    o.f_unit_movement_speed = 4;
    o.f_show_help_text = false;
    o.f_autosave_turns = 5;
    o.f_last_savegame_dir = "\\saves\\mine\\";
    o.f_play_sounds = false;
    o.f_play_music = false;
    return o;
  }

  TTemp_Dir f_config, f_user;
  bool f_had_xdg = false;
  std::string f_saved_xdg, f_saved_program, f_saved_user;
};

TRegistry_Value Int_Value(const std::string& name, std::uint32_t v) {
  TRegistry_Value r;
  r.name = name;
  r.integer = v;
  return r;
}

TRegistry_Value Text_Value(const std::string& name, const std::string& v) {
  TRegistry_Value r;
  r.name = name;
  r.type = TRegistry_Type::Text;
  r.bytes = v;
  return r;
}
}  // namespace

TEST_F(Machine_Options_Test, SaveAndLoadRoundTrip) {
  TMachine_Options saved = Stored();
  saved.m_Save();
  TMachine_Options o;
  EXPECT_TRUE(o.m_Load());
  EXPECT_EQ(o.f_sound_volume, 55);
  EXPECT_EQ(o.f_music_volume, 44);
  EXPECT_EQ(o.f_install_directory, "\\games\\globarch\\");
  EXPECT_EQ(o.f_adapter_text, "Adapter \"One\"");
  EXPECT_EQ(o.f_adapter_ordinal, 3u);
  EXPECT_FALSE(o.f_windowed);
  EXPECT_EQ(o.f_video_mode_text, "1280 x 1024");
  EXPECT_EQ(o.f_resolution_width, 1280);
  EXPECT_EQ(o.f_resolution_height, 1024);
  EXPECT_TRUE(o.f_vsync);
  EXPECT_TRUE(o.f_antialiasing);
  EXPECT_TRUE(o.f_display_settings_use_game_cursor);
  EXPECT_TRUE(o.f_video_memory_usage);
  EXPECT_EQ(o.f_graphic_detail_level, 3);
  EXPECT_EQ(o.f_brightness_increase, 0.25);
  EXPECT_TRUE(o.f_show_fps);
  EXPECT_EQ(o.f_main_display_panning_speed, 4);
  EXPECT_FALSE(o.f_show_info_bar);
  EXPECT_FALSE(o.f_show_combat_grid);
  EXPECT_EQ(o.f_combat_movement_speed, 3);
  EXPECT_EQ(o.f_unit_movement_speed, 4);
  EXPECT_FALSE(o.f_show_help_text);
  EXPECT_EQ(o.f_autosave_turns, 5);
  EXPECT_EQ(o.f_last_savegame_dir, "\\saves\\mine\\");
  EXPECT_FALSE(o.f_play_sounds);
  EXPECT_FALSE(o.f_play_music);
  // The values are stored in the order of loading, with their types.
  TRegistry_File f;
  f.m_Load(File().string());
  auto values = f.m_Values(KEY);
  ASSERT_EQ(values.size(), 28u);
  EXPECT_EQ(values[0].name, "Sound Volume Level");
  EXPECT_EQ(values[16].name, "Brightness Increase");
  EXPECT_EQ(values[16].type, TRegistry_Type::Binary);
  EXPECT_EQ(values[27].name, "Last Savegame Dir");
  EXPECT_EQ(values[27].type, TRegistry_Type::Text);
}

TEST_F(Machine_Options_Test, OneUnreadableValueTakesItsOwnDefault) {
  const TRegistry_Value as_text_1280 = Text_Value("Resolution Width", "1280");
  const TRegistry_Value sound_300 = Int_Value("Sound Volume Level", 300);
  const TRegistry_Value sound_10 = Int_Value("Sound Volume Level", 10);
  const TRegistry_Value sound_11 = Int_Value("Sound Volume Level", 11);
  const TRegistry_Value music_6 = Int_Value("Music Volume Level", 6);
  const TRegistry_Value windowed_5 = Int_Value("Windowed", 5);
  const TRegistry_Value brightness_int = Int_Value("Brightness Increase", 1);
  const TRegistry_Value detail_minus = Int_Value("Graphic Detail Level", 0xFFFFFFFFu);
  const TRegistry_Value ordinal_text = Text_Value("Adapter Ordinal", "7");
  using Check = std::function<void(const TMachine_Options&)>;
  struct Row {
    const char* what;
    const char* drop;
    const TRegistry_Value* set;
    Check check;
  } rows[] = {
      {"sound volume missing", "Sound Volume Level", nullptr,
       [](const TMachine_Options& o) { EXPECT_EQ(o.f_sound_volume, 100); }},
      {"sound volume 300", "", &sound_300, [](const TMachine_Options& o) { EXPECT_EQ(o.f_sound_volume, 100); }},
      {"sound volume 10", "", &sound_10, [](const TMachine_Options& o) { EXPECT_EQ(o.f_sound_volume, 100); }},
      {"sound volume 11", "", &sound_11, [](const TMachine_Options& o) { EXPECT_EQ(o.f_sound_volume, 11); }},
      {"music volume 6", "", &music_6, [](const TMachine_Options& o) { EXPECT_EQ(o.f_music_volume, 70); }},
      {"windowed 5", "", &windowed_5, [](const TMachine_Options& o) { EXPECT_TRUE(o.f_windowed); }},
      {"width as text", "", &as_text_1280,
       [](const TMachine_Options& o) {
         EXPECT_EQ(o.f_resolution_width, 1024);
         EXPECT_EQ(o.f_resolution_height, 1024);
       }},
      {"height missing", "Resolution Height", nullptr,
       [](const TMachine_Options& o) { EXPECT_EQ(o.f_resolution_height, 768); }},
      {"brightness as integer", "", &brightness_int,
       [](const TMachine_Options& o) { EXPECT_EQ(o.f_brightness_increase, 0.0); }},
      {"detail level negative", "", &detail_minus,
       [](const TMachine_Options& o) { EXPECT_EQ(o.f_graphic_detail_level, 2); }},
      {"adapter ordinal missing", "Adapter Ordinal", nullptr,
       [](const TMachine_Options& o) { EXPECT_EQ(o.f_adapter_ordinal, 0u); }},
      {"adapter ordinal as text", "", &ordinal_text,
       [](const TMachine_Options& o) { EXPECT_EQ(o.f_adapter_ordinal, 0u); }},
      {"play music missing", "Play Music", nullptr, [](const TMachine_Options& o) { EXPECT_TRUE(o.f_play_music); }},
      {"last dir missing", "Last Savegame Dir", nullptr,
       [](const TMachine_Options& o) { EXPECT_EQ(o.f_last_savegame_dir, ""); }},
      {"install directory missing", "Install Directory", nullptr,
       [](const TMachine_Options& o) { EXPECT_EQ(o.f_install_directory, "kept"); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::filesystem::remove(File());
    Stored().m_Save();
    Edit(row.drop, row.set);
    TMachine_Options o;
    o.f_install_directory = "kept";
    EXPECT_TRUE(o.m_Load());
    row.check(o);
    // The values that could be read keep what was stored.
    if (std::string(row.what).rfind("sound", 0) != 0) {
      EXPECT_EQ(o.f_sound_volume, 55);
    }
    if (std::string(row.what).rfind("music", 0) != 0) {
      EXPECT_EQ(o.f_music_volume, 44);
    }
    EXPECT_EQ(o.f_autosave_turns, 5);
    EXPECT_FALSE(o.f_show_help_text);
    EXPECT_EQ(o.f_video_mode_text, "1280 x 1024");
  }
}

TEST_F(Machine_Options_Test, WithoutKeyEveryOptionTakesItsFailedLoadDefault) {
  {
    std::filesystem::remove(File());
    TMachine_Options o = Stored();
    o.f_install_directory = "kept";
    EXPECT_TRUE(o.m_Load());
    EXPECT_EQ(o.f_resolution_width, 1024);
    EXPECT_EQ(o.f_resolution_height, 768);
    EXPECT_TRUE(o.f_windowed);
    EXPECT_EQ(o.f_sound_volume, 100);
    EXPECT_EQ(o.f_music_volume, 70);
    EXPECT_EQ(o.f_autosave_turns, 0);
    EXPECT_EQ(o.f_last_savegame_dir, "");
    EXPECT_TRUE(o.f_play_music);
    EXPECT_EQ(o.f_install_directory, "kept");
  }
  // A file of junk is the same as no file.
  const char junk[] = "\x00\x01\x02 not a registry \xff";
  Write_File(File(), std::string(junk, sizeof junk - 1));
  TMachine_Options o = Stored();
  EXPECT_TRUE(o.m_Load());
  EXPECT_EQ(o.f_resolution_width, 1024);
  EXPECT_EQ(o.f_sound_volume, 100);
}

// The options are written piecemeal: a save game writes only its folder
// (before the display settings were ever saved, there is no "Vsync"). What
// is stored is read; what is missing takes its own default.
TEST_F(Machine_Options_Test, OnlyTheLastSaveFolderStoredIsReadBack) {
  TMachine_Options saved;
  saved.f_last_savegame_dir = "\\saves\\Walk\\";
  saved.m_Save_Last_Savegame_Dir();
  TMachine_Options o = Stored();
  EXPECT_TRUE(o.m_Load());
  EXPECT_EQ(o.f_last_savegame_dir, "\\saves\\Walk\\");
  EXPECT_EQ(o.f_resolution_width, 1024);
  EXPECT_EQ(o.f_sound_volume, TMachine_Options().f_sound_volume);
  EXPECT_EQ(o.f_vsync, TMachine_Options().f_vsync);
}

TEST_F(Machine_Options_Test, AMissingVsyncKeepsEveryOtherStoredOption) {
  Stored().m_Save();
  Edit("Vsync", nullptr);
  TMachine_Options o;
  EXPECT_TRUE(o.m_Load());
  const TMachine_Options want = Stored();
  EXPECT_EQ(o.f_vsync, TMachine_Options().f_vsync);
  EXPECT_EQ(o.f_sound_volume, want.f_sound_volume);
  EXPECT_EQ(o.f_resolution_width, want.f_resolution_width);
  EXPECT_EQ(o.f_windowed, want.f_windowed);
  EXPECT_EQ(o.f_autosave_turns, want.f_autosave_turns);
  EXPECT_EQ(o.f_last_savegame_dir, want.f_last_savegame_dir);
  EXPECT_EQ(o.f_play_music, want.f_play_music);
}

TEST_F(Machine_Options_Test, DocumentsDirIsResetByLoadAndStoredEmpty) {
  TMachine_Options stored = Stored();
  stored.f_my_documents_tested = 1;
  stored.f_use_my_documents_dir = "\\docs\\";
  stored.m_Save();
  TMachine_Options o;
  o.m_Load();
  EXPECT_EQ(o.f_my_documents_tested, 0);
  EXPECT_EQ(o.f_use_my_documents_dir, "");
  o.m_Save();
  TRegistry_File f;
  f.m_Load(File().string());
  EXPECT_EQ(f.m_Find(KEY, "Use My Documents Dir")->bytes, "");
  EXPECT_EQ(f.m_Find(KEY, "My Documents Tested")->integer, 0u);
  // The install directory is the program folder of this run, lower-cased.
  Edit("", nullptr);
  TRegistry_Value other = Text_Value("Install Directory", "\\elsewhere\\");
  Edit("", &other);
  TMachine_Options again;
  again.m_Load();
  EXPECT_EQ(again.f_install_directory, "\\elsewhere\\");
  again.m_Save();
  f.m_Load(File().string());
  EXPECT_EQ(f.m_Find(KEY, "Install Directory")->bytes, "\\games\\globarch\\");
}

TEST_F(Machine_Options_Test, LastSavegameDirAloneIsWritten) {
  TMachine_Options o;
  o.f_last_savegame_dir = "\\saves\\x\\";
  o.m_Save_Last_Savegame_Dir();
  TRegistry_File f;
  f.m_Load(File().string());
  auto values = f.m_Values(KEY);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].name, "Last Savegame Dir");
  EXPECT_EQ(values[0].bytes, "\\saves\\x\\");
}

TEST_F(Machine_Options_Test, SaveFailuresAreLoggedNotThrown) {
  // A plain file where the folder of the registry file should be.
  Write_File(f_config.path() / "globarch", "in the way");
  TMachine_Options o;
  EXPECT_NO_THROW(o.m_Save());
  EXPECT_NO_THROW(o.m_Save_Last_Savegame_Dir());
  std::string log = Log();
  EXPECT_NE(log.find(" TMachine_Options.m_Save - Cannot write the registry file "), std::string::npos) << log;
  EXPECT_NE(log.find(" TMachine_Options.m_Save_Last_Savegame_Dir - Cannot write the registry file "), std::string::npos)
      << log;
  // Loading from there gives the defaults quietly.
  o.f_sound_volume = 1;
  EXPECT_TRUE(o.m_Load());
  EXPECT_EQ(o.f_sound_volume, 100);
}
