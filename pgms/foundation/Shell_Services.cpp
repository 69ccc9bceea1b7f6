#include "Shell_Services.h"

#include <cstdio>

#include "Debug_Log.h"

namespace {
std::vector<THeld_Report> held_reports;
TShell_Services startup_services;
TShell_Services* current_services = &startup_services;
}  // namespace

bool TShell_Services::m_Main_Screen_Exists() const { return false; }

void TShell_Services::m_Show_Message(const std::string& caption, const std::string& text, int) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  Debug_Log_Write(caption + ": " + text);
  held_reports.push_back({false, caption, text, {}});
}

void TShell_Services::m_Show_List(const std::vector<std::string>& rows, const std::string& caption,
                                  const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  Debug_Log_Write(caption + ": " + text);
  for (const std::string& row : rows) {
    std::fprintf(stderr, "  %s\n", row.c_str());
    Debug_Log_Write("  " + row);
  }
  held_reports.push_back({true, caption, text, rows});
}

double TShell_Services::m_Latest_Frame_Time() const { return -1.0; }

TShell_Services& Shell_Services() { return *current_services; }

void Set_Shell_Services(TShell_Services* services) {
  current_services = services ? services : &startup_services;
}

std::vector<THeld_Report> Take_Held_Reports() {
  std::vector<THeld_Report> out;
  out.swap(held_reports);
  return out;
}
