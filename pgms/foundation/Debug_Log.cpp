#include "Debug_Log.h"

#include <charconv>
#include <cstdio>
#include <mutex>

#include "Datafile_DebugSettings.h"
#include "Global.h"
#include "Native_Path.h"
#include "Platform_Log.h"
#include "Shell_Services.h"

bool Debug_Sections[16] = {};
bool Debug_Enabled = false;

namespace {
// The platform bindings' notes (a missing font face) are ordinary log lines,
// written when the log is on. Every program that can write the log links
// this module, so its start-up installs the writer.
void Write_Platform_Note(const std::string& text) {
  if (Debug_Enabled) Debug_Log_Write(text);
}
[[maybe_unused]] const bool Platform_Notes_Installed = (Set_Platform_Log_Writer(Write_Platform_Note), true);
}  // namespace

namespace {
std::mutex log_lock;
std::FILE* log_file = nullptr;

std::tm Now() {
  std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return t;
}

// "yy.mm.dd hh.mm.ss": the points are literal whatever the locale.
std::string Time_Stamp(const std::tm& t) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%02d %02d.%02d.%02d", (t.tm_year % 100 + 100) % 100, t.tm_mon + 1,
                t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

// Opens the log for appending, or creates it anew; null when neither works.
void Open_Log() {
  std::string path = Native_Path(Debug_Log_File_Name());
  log_file = std::fopen(path.c_str(), "ab");
  if (!log_file) log_file = std::fopen(path.c_str(), "wb");
}

void Close_Log() {
  if (log_file) std::fclose(log_file);
  log_file = nullptr;
}

void Put_Line(const std::string& line) {
  if (!log_file) return;
  std::fwrite(line.data(), 1, line.size(), log_file);
  std::fputc('\n', log_file);
}
}  // namespace

std::string Debug_Log_File_Name() { return User_Folder + "Backup\\Globarch_Log.txt"; }

std::string Debug_Log_Direct_Line(const std::tm& date_time, std::uint32_t tick_count, const std::string& text) {
  return Time_Stamp(date_time) + " " + std::to_string(tick_count) + " " + text;
}

std::string Debug_Log_Fast_Line(const std::tm& date_time, double time_value, const std::string& text) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, time_value, std::chars_format::fixed, 4);
  std::string value = ec == std::errc() ? std::string(buf, end) : std::string("0.0000");
  return Time_Stamp(date_time) + " " + value + " " + text;
}

void Debug_Log_Write(const std::string& text) {
  try {
    std::uint32_t tick = Tick_Count();
    if (Debug_Settings && Debug_Settings->f_use_fast_debug_log) {
      double time_value = tick;
      const TShell_Services& shell = Shell_Services();
      if (shell.m_Main_Screen_Exists()) {
        double frame = shell.m_Latest_Frame_Time();
        time_value = frame > 0 ? frame : 0.0;
      }
      Debug_Settings->m_Add_Fast_Log_Line(time_value, text, Now());
      return;
    }
    std::string line = Debug_Log_Direct_Line(Now(), tick, text);
    std::lock_guard<std::mutex> guard(log_lock);
    Open_Log();
    Put_Line(line);
    Close_Log();
  } catch (...) {
    // The log never fails its caller.
  }
}

void Debug_Log_Begin() {
  log_lock.lock();
  try {
    Open_Log();
  } catch (...) {
    log_file = nullptr;  // the block is dropped
  }
}

void Debug_Log_Write_Raw(const std::string& text) { Put_Line(text); }

void Debug_Log_End() {
  Close_Log();
  log_lock.unlock();
}

void Debug_Log_Write_Banner(const std::string& program_file) {
  Debug_Log_Write("***************** " + program_file + " - New Execution *****************");
  Debug_Log_Write("***************** Game Version: 1.09 *****************");
}
