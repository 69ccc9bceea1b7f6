// The debug switches from userdata\DebugSettings.txt and the fast-log
// buffer of the debug log.
//
// Only "Generate Game Debug Log" has an effect of its own: while it is on,
// the thirteen section switches are copied into Debug_Sections at load. The
// engine-log switch and the "Disable ..." switches are read and kept.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "DataFile_Base_Loader.h"

class TDebug_Settings {
 public:
  TDebug_Settings() = default;
  // Writes out the lines still buffered.
  ~TDebug_Settings();
  TDebug_Settings(const TDebug_Settings&) = delete;
  TDebug_Settings& operator=(const TDebug_Settings&) = delete;

  // Stores one fast-log line (date and time, the time value, the text);
  // the 100th line writes all 100 in order and empties the buffer.
  void m_Add_Fast_Log_Line(double time_value, const std::string& text, const std::tm& date_time);
  // Writes the buffered lines as one block and empties the buffer.
  void m_Flush_Fast_Log();
  std::int32_t m_Get_Fast_Log_Count() const { return f_fast_log_count; }

  static constexpr std::int32_t FAST_LOG_LINES = 100;

  bool f_use_fast_debug_log = false;
  bool f_generate_game_debug_log = false;
  bool f_generate_engine_debug_log = false;
  // Engine Startup, Sound Base, Display Class, Formula Evaluation, Map
  // Creation, AI, Combat, Main Drawing Loop, Politics, Windows, Save Load,
  // Master Action Timer, Multiplayer.
  bool f_sections[13] = {};
  bool f_disable_gamma_control = false;
  bool f_disable_second_scene = false;
  bool f_disable_mouse_pointer = false;
  bool f_disable_help_text = false;
  bool f_disable_dc_main_drawpage = false;
  bool f_disable_dc_main_draw_objects = false;
  bool f_disable_dc_main_draw_ui_3d_elements = false;

 private:
  std::int32_t f_fast_log_count = 0;
  std::string f_fast_log[FAST_LOG_LINES];
};

class TDebug_Settings_File_Loader : public TData_File_Loader {
 public:
  TDebug_Settings_File_Loader(const std::string& file_name, TDebug_Settings& settings)
      : TData_File_Loader(file_name), f_settings(settings) {}

 protected:
  void m_Load_Record(std::int32_t record_number) override;

 private:
  TDebug_Settings& f_settings;
};

// The global debug settings; null before Load_Debug_Settings and after
// Free_Debug_Settings.
extern TDebug_Settings* Debug_Settings;

// Frees the debug settings (writing out their buffer) and creates new ones
// with every switch off, then loads DebugSettings.txt of the user data
// folder when it exists. False when the file had errors (they are not
// shown; the keys that were present still apply). When "Generate Game Debug
// Log" is on, the section switches become Debug_Sections 0..12 and
// Debug_Enabled tells whether any is on; otherwise both keep their values.
bool Load_Debug_Settings();
// The same with a given file; the errors are added to the list when given.
bool Load_Debug_Settings_File(const std::string& file_name, std::vector<std::string>* errors);
// Frees the global debug settings, writing out the buffered lines.
void Free_Debug_Settings();
