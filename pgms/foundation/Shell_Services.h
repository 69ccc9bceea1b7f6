// What the foundation and the world model need of the application shell.
//
// Until the shell installs its own services (once the main window exists),
// the start-up services apply: messages and lists go to standard error and
// to the debug log, and are held so that the shell can show them once its
// main screen exists.
#pragma once

#include <string>
#include <vector>

class TShell_Services {
public:
  virtual ~TShell_Services() = default;
  // Whether the main window (and its main screen) exist.
  virtual bool m_Main_Screen_Exists() const;
  // A message box: caption, text and flags (0 from the foundation).
  virtual void m_Show_Message(const std::string& caption, const std::string& text, int flags);
  // The list dialog "Dlg List" with a caption, a second text and the rows.
  virtual void m_Show_List(const std::vector<std::string>& rows, const std::string& caption,
                           const std::string& text);
  // Application time of the latest frame in seconds; negative before the
  // first frame.
  virtual double m_Latest_Frame_Time() const;
};

// A message or list shown before the main screen existed.
struct THeld_Report {
  bool is_list = false;
  std::string caption;
  std::string text;
  std::vector<std::string> rows;
};

// The services in force (never null).
TShell_Services& Shell_Services();
// Installs the shell's services (nullptr restores the start-up services).
void Set_Shell_Services(TShell_Services* services);
// Takes the reports held since start-up, oldest first, and empties the store.
std::vector<THeld_Report> Take_Held_Reports();
