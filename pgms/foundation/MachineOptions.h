// The per-machine options, kept in the registry file under
// Software\Kestrune\Globarch.
//
// One global instance (Machine_Options) is created at start-up by
// Game_Init_Create_Globals and loaded before the main window exists; the
// launcher, the display settings and the options dialogs change its fields
// and save them.
#pragma once

#include <cstdint>
#include <string>

class TGameString_Registry;

class TMachine_Options {
public:
  // All fields at their defaults.
  TMachine_Options();

  // Reads every option. A value that is missing, of the wrong type or out of
  // range takes its own default; the others keep what was stored. Without
  // the key, or without "Vsync" in it, every field but the install
  // directory takes its failed-load default. Always returns true.
  bool m_Load();
  // Writes every option. Failures are logged, never thrown.
  void m_Save();
  // Writes only "Last Savegame Dir". Failures are logged, never thrown.
  void m_Save_Last_Savegame_Dir();
  void m_Reset_Documents_Dir();

  std::uint8_t f_sound_volume = 100;                // "Sound Volume Level"
  std::uint8_t f_music_volume = 70;                 // "Music Volume Level"
  std::string f_install_directory;                  // "Install Directory"
  std::string f_adapter_text;                       // "Adapter Text"
  std::uint32_t f_adapter_ordinal = 0;              // "Adapter Ordinal"
  bool f_windowed = true;                           // "Windowed"
  std::string f_video_mode_text;                    // "Video Mode Text"
  std::int32_t f_resolution_width = 0;              // "Resolution Width" (1024 after a failed load)
  std::int32_t f_resolution_height = 0;             // "Resolution Height" (768 after a failed load)
  bool f_vsync = false;                             // "Vsync"
  bool f_antialiasing = false;                      // "Antialiasing"
  bool f_display_settings_use_game_cursor = false;  // "Display Settings Use Game Cursor"
  bool f_video_memory_usage = false;                // "Video Memory Usage"
  std::uint8_t f_graphic_detail_level = 2;          // "Graphic Detail Level"
  double f_brightness_increase = 0;                 // "Brightness Increase"
  bool f_show_fps = false;                          // "Show FPS"
  std::int32_t f_main_display_panning_speed = 2;    // "Main Display Panning Speed"
  std::uint8_t f_my_documents_tested = 0;           // "My Documents Tested"
  std::string f_use_my_documents_dir;               // "Use My Documents Dir"
  bool f_show_info_bar = true;                      // "Show Info Bar"
  bool f_show_combat_grid = true;                   // "Show Combat Grid"
  std::uint8_t f_combat_movement_speed = 2;         // "Combat Movement Speed"
  std::uint8_t f_unit_movement_speed = 2;           // "Unit Movement Speed"
  bool f_show_help_text = true;                     // "Show Help Text"
  std::uint8_t f_autosave_turns = 0;                // "Autosave Turns"
  std::string f_last_savegame_dir;                  // "Last Savegame Dir"
  bool f_play_sounds = true;                        // "Play Sounds"
  bool f_play_music = true;                         // "Play Music"
  float f_frame_time_threshold = 0.5f;              // not stored

private:
  void m_Set_Failed_Load_Defaults();
  bool m_Open_Options_Key(TGameString_Registry& registry, bool may_create);
};

// The global machine options; null until Game_Init_Create_Globals.
extern TMachine_Options* Machine_Options;
