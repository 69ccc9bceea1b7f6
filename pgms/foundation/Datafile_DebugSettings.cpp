#include "Datafile_DebugSettings.h"

#include "Debug_Log.h"
#include "Io.h"
#include "Path.h"

TDebug_Settings* Debug_Settings = nullptr;

namespace {
const char* const SECTION_KEYS[13] = {"Debug Section Engine Startup", "Debug Section Sound Base",
                                      "Debug Section Display Class",  "Debug Section Formula Evaluation",
                                      "Debug Section Map Creation",   "Debug Section AI",
                                      "Debug Section Combat",         "Debug Section Main Drawing Loop",
                                      "Debug Section Politics",       "Debug Section Windows",
                                      "Debug Section Save Load",      "Debug Section Master Action Timer",
                                      "Debug Section Multiplayer"};
}  // namespace

TDebug_Settings::~TDebug_Settings() { m_Flush_Fast_Log(); }

void TDebug_Settings::m_Add_Fast_Log_Line(double time_value, const std::string& text, const std::tm& date_time) {
  f_fast_log[f_fast_log_count] = Debug_Log_Fast_Line(date_time, time_value, text);
  ++f_fast_log_count;
  if (f_fast_log_count >= FAST_LOG_LINES) m_Flush_Fast_Log();
}

void TDebug_Settings::m_Flush_Fast_Log() {
  if (f_fast_log_count <= 0) return;
  Debug_Log_Begin();
  for (std::int32_t i = 0; i < f_fast_log_count; ++i) Debug_Log_Write_Raw(f_fast_log[i]);
  Debug_Log_End();
  for (std::int32_t i = 0; i < f_fast_log_count; ++i) f_fast_log[i].clear();
  f_fast_log_count = 0;
}

void TDebug_Settings_File_Loader::m_Load_Record(std::int32_t) {
  m_Set_Record_Name("Debug Settings");
  TDebug_Settings& s = f_settings;
  std::string v;
  auto boolean = [&](const char* key, bool required, bool& field) {
    if (m_Get_Field(key, v, required)) field = Datafile_Value_To_Boolean(v);
  };
  boolean("Generate Game Debug Log", true, s.f_generate_game_debug_log);
  boolean("Generate Engine Debug Log", true, s.f_generate_engine_debug_log);
  boolean("Use Fast Debug Log", true, s.f_use_fast_debug_log);
  for (int i = 0; i < 13; ++i) boolean(SECTION_KEYS[i], true, s.f_sections[i]);
  boolean("Disable Gamma Control", false, s.f_disable_gamma_control);
  boolean("Disable Second Scene", false, s.f_disable_second_scene);
  boolean("Disable Mouse Pointer", false, s.f_disable_mouse_pointer);
  boolean("Disable Help Text", false, s.f_disable_help_text);
  boolean("Disable DC Main Drawpage", false, s.f_disable_dc_main_drawpage);
  boolean("Disable DC Main Draw Objects", false, s.f_disable_dc_main_draw_objects);
  boolean("Disable DC Main Draw UI 3D Elements", false, s.f_disable_dc_main_draw_ui_3d_elements);
}

bool Load_Debug_Settings_File(const std::string& file_name, std::vector<std::string>* errors) {
  Free_Debug_Settings();
  Debug_Settings = new TDebug_Settings();
  bool ok = true;
  if (File_Exists(file_name)) {
    TDebug_Settings_File_Loader loader(file_name, *Debug_Settings);
    loader.m_Load();
    ok = loader.m_Get_Errors().empty();
    if (errors) errors->insert(errors->end(), loader.m_Get_Errors().begin(), loader.m_Get_Errors().end());
  }
  if (Debug_Settings->f_generate_game_debug_log) {
    bool any = false;
    for (int i = 0; i < 16; ++i) {
      Debug_Sections[i] = i < 13 && Debug_Settings->f_sections[i];
      any = any || Debug_Sections[i];
    }
    Debug_Enabled = any;
  }
  return ok;
}

bool Load_Debug_Settings() {
  std::string file =
      Path_Settings ? Path_Settings->m_Get_DebugSettings_File() : TPath_Settings().m_Get_DebugSettings_File();
  return Load_Debug_Settings_File(file, nullptr);
}

void Free_Debug_Settings() {
  TDebug_Settings* s = Debug_Settings;
  // The log writes directly while the buffer is written out.
  Debug_Settings = nullptr;
  delete s;
}
