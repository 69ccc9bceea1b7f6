#include "MachineOptions.h"

#include <exception>

#include "Debug_Log.h"
#include "Errors.h"
#include "GameStringRegistry.h"
#include "Global.h"
#include "Io.h"

TMachine_Options* Machine_Options = nullptr;

namespace {
// Reads one value into its field; a value that cannot be read leaves the
// field at the default given.
template <typename T, typename Read>
void Read_Or_Default(T& field, T fallback, Read read) {
  try {
    field = read();
  } catch (const EGlobarch_Error&) {
    field = fallback;
  }
}

std::uint8_t Byte_Of(std::int32_t v) { return Checked_Cast<std::uint8_t>(v); }

void Log_Failure(const std::string& routine, const std::string& detail) {
  Debug_Log_Write("TMachine_Options." + routine + " - " + detail);
}
}  // namespace

TMachine_Options::TMachine_Options() = default;

void TMachine_Options::m_Reset_Documents_Dir() {
  f_my_documents_tested = 0;
  f_use_my_documents_dir.clear();
}

void TMachine_Options::m_Set_Failed_Load_Defaults() {
  std::string install = f_install_directory;
  *this = TMachine_Options();
  f_install_directory = install;
  f_resolution_width = 1024;
  f_resolution_height = 768;
}

bool TMachine_Options::m_Open_Options_Key(TGameString_Registry& registry, bool may_create) {
  return registry.m_Open_Key("Software", may_create) && registry.m_Open_Key("Kestrune", may_create) &&
         registry.m_Open_Key("Globarch", may_create);
}

bool TMachine_Options::m_Load() {
  TGameString_Registry registry;
  if (!m_Open_Options_Key(registry, false)) {
    m_Set_Failed_Load_Defaults();
    m_Reset_Documents_Dir();
    return true;
  }
  // Every value that is stored is read, whatever else is missing: the
  // options are written piecemeal (a save game writes only its folder, the
  // display settings write the rest), and one value never written must not
  // throw the others away. A missing value takes its own default below.
  const TMachine_Options d;  // each field's own default
  auto& r = registry;
  auto byte = [&](const char* name) { return [&r, name] { return Byte_Of(r.m_Read_Integer(name)); }; };
  auto integer = [&](const char* name) { return [&r, name] { return r.m_Read_Integer(name); }; };
  auto boolean = [&](const char* name) { return [&r, name] { return r.m_Read_Bool(name); }; };
  auto text = [&](const char* name) { return [&r, name] { return r.m_Read_String(name); }; };

  Read_Or_Default(f_sound_volume, d.f_sound_volume, byte("Sound Volume Level"));
  Read_Or_Default(f_music_volume, d.f_music_volume, byte("Music Volume Level"));
  if (f_sound_volume == 10) f_sound_volume = 100;
  if (f_music_volume == 6) f_music_volume = 70;
  // The install directory keeps what it held when the value cannot be read.
  Read_Or_Default(f_install_directory, f_install_directory, text("Install Directory"));
  Read_Or_Default(f_adapter_text, d.f_adapter_text, text("Adapter Text"));
  f_adapter_ordinal = static_cast<std::uint32_t>(registry.m_Read_Raw_Integer("Adapter Ordinal"));
  Read_Or_Default(f_windowed, d.f_windowed, boolean("Windowed"));
  Read_Or_Default(f_video_mode_text, d.f_video_mode_text, text("Video Mode Text"));
  Read_Or_Default(f_resolution_width, std::int32_t(1024), integer("Resolution Width"));
  Read_Or_Default(f_resolution_height, std::int32_t(768), integer("Resolution Height"));
  Read_Or_Default(f_vsync, d.f_vsync, boolean("Vsync"));
  Read_Or_Default(f_antialiasing, d.f_antialiasing, boolean("Antialiasing"));
  Read_Or_Default(f_display_settings_use_game_cursor, d.f_display_settings_use_game_cursor,
                  boolean("Display Settings Use Game Cursor"));
  Read_Or_Default(f_video_memory_usage, d.f_video_memory_usage, boolean("Video Memory Usage"));
  Read_Or_Default(f_graphic_detail_level, d.f_graphic_detail_level, byte("Graphic Detail Level"));
  Read_Or_Default(f_play_sounds, d.f_play_sounds, boolean("Play Sounds"));
  Read_Or_Default(f_play_music, d.f_play_music, boolean("Play Music"));
  Read_Or_Default(f_brightness_increase, d.f_brightness_increase,
                  [&r] { return r.m_Read_Float("Brightness Increase"); });
  Read_Or_Default(f_show_fps, d.f_show_fps, boolean("Show FPS"));
  Read_Or_Default(f_show_info_bar, d.f_show_info_bar, boolean("Show Info Bar"));
  Read_Or_Default(f_show_combat_grid, d.f_show_combat_grid, boolean("Show Combat Grid"));
  Read_Or_Default(f_combat_movement_speed, d.f_combat_movement_speed, byte("Combat Movement Speed"));
  Read_Or_Default(f_unit_movement_speed, d.f_unit_movement_speed, byte("Unit Movement Speed"));
  Read_Or_Default(f_show_help_text, d.f_show_help_text, boolean("Show Help Text"));
  Read_Or_Default(f_autosave_turns, d.f_autosave_turns, byte("Autosave Turns"));
  Read_Or_Default(f_main_display_panning_speed, d.f_main_display_panning_speed, integer("Main Display Panning Speed"));
  Read_Or_Default(f_my_documents_tested, d.f_my_documents_tested, byte("My Documents Tested"));
  Read_Or_Default(f_use_my_documents_dir, d.f_use_my_documents_dir, text("Use My Documents Dir"));
  Read_Or_Default(f_last_savegame_dir, d.f_last_savegame_dir, text("Last Savegame Dir"));
  try {
    registry.m_Close_Key();
  } catch (const std::exception& e) {
    Log_Failure("m_Load", e.what());
  }
  m_Reset_Documents_Dir();
  return true;
}

void TMachine_Options::m_Save() {
  try {
    TGameString_Registry registry;
    if (!m_Open_Options_Key(registry, true)) {
      Log_Failure("m_Save", "cannot open the registry key in " + registry.m_Get_File());
      return;
    }
    auto& r = registry;
    r.m_Write_Integer("Sound Volume Level", f_sound_volume);
    r.m_Write_Integer("Music Volume Level", f_music_volume);
    r.m_Write_String("Install Directory", Text_Lower_Case(Program_Folder));
    r.m_Write_String("Adapter Text", f_adapter_text);
    r.m_Write_Unsigned("Adapter Ordinal", f_adapter_ordinal);
    r.m_Write_Bool("Windowed", f_windowed);
    r.m_Write_String("Video Mode Text", f_video_mode_text);
    r.m_Write_Integer("Resolution Width", f_resolution_width);
    r.m_Write_Integer("Resolution Height", f_resolution_height);
    r.m_Write_Bool("Vsync", f_vsync);
    r.m_Write_Bool("Antialiasing", f_antialiasing);
    r.m_Write_Bool("Display Settings Use Game Cursor", f_display_settings_use_game_cursor);
    r.m_Write_Bool("Video Memory Usage", f_video_memory_usage);
    r.m_Write_Integer("Graphic Detail Level", f_graphic_detail_level);
    r.m_Write_Bool("Play Sounds", f_play_sounds);
    r.m_Write_Bool("Play Music", f_play_music);
    r.m_Write_Float("Brightness Increase", f_brightness_increase);
    r.m_Write_Bool("Show FPS", f_show_fps);
    r.m_Write_Bool("Show Info Bar", f_show_info_bar);
    r.m_Write_Bool("Show Combat Grid", f_show_combat_grid);
    r.m_Write_Integer("Combat Movement Speed", f_combat_movement_speed);
    r.m_Write_Integer("Unit Movement Speed", f_unit_movement_speed);
    r.m_Write_Bool("Show Help Text", f_show_help_text);
    r.m_Write_Integer("Autosave Turns", f_autosave_turns);
    r.m_Write_Integer("Main Display Panning Speed", f_main_display_panning_speed);
    r.m_Write_Integer("My Documents Tested", f_my_documents_tested);
    r.m_Write_String("Use My Documents Dir", f_use_my_documents_dir);
    r.m_Write_String("Last Savegame Dir", f_last_savegame_dir);
    r.m_Close_Key();
  } catch (const std::exception& e) {
    Log_Failure("m_Save", e.what());
  }
}

void TMachine_Options::m_Save_Last_Savegame_Dir() {
  try {
    TGameString_Registry registry;
    if (!m_Open_Options_Key(registry, true)) {
      Log_Failure("m_Save_Last_Savegame_Dir", "cannot open the registry key in " + registry.m_Get_File());
      return;
    }
    registry.m_Write_String("Last Savegame Dir", f_last_savegame_dir);
    registry.m_Close_Key();
  } catch (const std::exception& e) {
    Log_Failure("m_Save_Last_Savegame_Dir", e.what());
  }
}
