// The debug log: Backup\Globarch_Log.txt under the user folder.
//
// Debug_Log_Write never fails to its caller: the Backup\ folder is created
// at start-up and a line that cannot be written is dropped. Callers test
// their section switch (Debug_Sections[n]) or Debug_Enabled before they
// write.
//
// A direct line reads "yy.mm.dd hh.mm.ss <tick count> <text>". With "Use
// Fast Debug Log" on, lines collect in the debug settings' buffer of 100
// and read "yy.mm.dd hh.mm.ss <seconds with four decimals> <text>": the
// application time of the latest frame once the main window exists, the
// tick count before that.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

// Section numbers of Debug_Sections.
enum TDebug_Section : int {
  DEBUG_ENGINE_STARTUP = 0,
  DEBUG_SOUND_BASE = 1,
  DEBUG_DISPLAY_CLASS = 2,
  DEBUG_FORMULA_EVALUATION = 3,
  DEBUG_MAP_CREATION = 4,
  DEBUG_AI = 5,
  DEBUG_COMBAT = 6,
  DEBUG_MAIN_DRAWING_LOOP = 7,
  DEBUG_POLITICS = 8,
  DEBUG_WINDOWS = 9,
  DEBUG_SAVE_LOAD = 10,
  DEBUG_MASTER_ACTION_TIMER = 11,
  DEBUG_MULTIPLAYER = 12,
};

extern bool Debug_Sections[16];
extern bool Debug_Enabled;

// Appends one time-stamped line to the log (or to the fast-log buffer).
void Debug_Log_Write(const std::string& text);

// A block of lines written as they are, under one open of the file.
void Debug_Log_Begin();
void Debug_Log_Write_Raw(const std::string& text);
void Debug_Log_End();

// Full game path of the log file (Backup\Globarch_Log.txt in the user folder).
std::string Debug_Log_File_Name();

// The two line forms, for a given local date and time.
std::string Debug_Log_Direct_Line(const std::tm& date_time, std::uint32_t tick_count, const std::string& text);
std::string Debug_Log_Fast_Line(const std::tm& date_time, double time_value, const std::string& text);

// The two lines written at start-up when "Generate Game Debug Log" is on.
void Debug_Log_Write_Banner(const std::string& program_file);
