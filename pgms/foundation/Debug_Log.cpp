#include "Debug_Log.h"

#include <cstdio>
#include <ctime>
#include <mutex>

#include "Global.h"
#include "Native_Path.h"

bool Debug_Sections[16] = {};
bool Debug_Enabled = false;

namespace {
std::mutex log_lock;
std::FILE* log_file = nullptr;

std::string Time_Stamp() {
  std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%02d %02d.%02d.%02d", t.tm_year % 100, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

void Open_Log() {
  std::string path = Native_Path(Debug_Log_File_Name());
  log_file = std::fopen(path.c_str(), "ab");
  if (!log_file) log_file = std::fopen(path.c_str(), "wb");
}

void Close_Log() {
  if (log_file) std::fclose(log_file);
  log_file = nullptr;
}
}  // namespace

std::string Debug_Log_File_Name() { return User_Folder + "Backup\\Globarch_Log.txt"; }

void Debug_Log_Write(const std::string& text) {
  std::lock_guard<std::mutex> guard(log_lock);
  Open_Log();
  if (!log_file) return;
  std::fprintf(log_file, "%s %u %s\n", Time_Stamp().c_str(), Tick_Count(), text.c_str());
  Close_Log();
}

void Debug_Log_Begin() {
  log_lock.lock();
  Open_Log();
}

void Debug_Log_Write_Raw(const std::string& text) {
  if (log_file) std::fprintf(log_file, "%s\n", text.c_str());
}

void Debug_Log_End() {
  Close_Log();
  log_lock.unlock();
}
