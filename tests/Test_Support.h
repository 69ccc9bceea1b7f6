// Helpers shared by the test programs.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "Shell_Services.h"

// A temporary folder that is removed with everything in it at the end of
// the test.
class TTemp_Dir {
 public:
  TTemp_Dir();
  ~TTemp_Dir();
  const std::filesystem::path& path() const { return f_path; }
  // The folder in the game's path form, with a trailing "\".
  std::string design() const;

 private:
  std::filesystem::path f_path;
};

// Keeps the named environment variables and the program's folders
// (Program_Folder, User_Folder) as they were when it was made, and puts them
// back when it goes, so that a test can point the game at folders of its own
// without leaving them to the next test.
class TEnvironment_Guard {
 public:
  explicit TEnvironment_Guard(std::initializer_list<const char*> names);
  ~TEnvironment_Guard();
  TEnvironment_Guard(const TEnvironment_Guard&) = delete;
  TEnvironment_Guard& operator=(const TEnvironment_Guard&) = delete;

 private:
  struct TSaved {
    std::string name, value;
    bool set;
  };
  std::vector<TSaved> f_saved;
  std::string f_program, f_user;
};

// The source tree (for the shipped data files).
std::filesystem::path Source_Dir();

// Whole contents of a file, or empty when it cannot be read.
std::string Read_File(const std::filesystem::path& p);
void Write_File(const std::filesystem::path& p, const std::string& bytes);

// Installs itself as the shell services while it lives and notes every
// message and list the program shows.
class TShell_Recorder : public TShell_Services {
 public:
  struct TMessage {
    std::string caption, text;
  };
  TShell_Recorder();
  ~TShell_Recorder() override;
  void m_Show_Message(const std::string& caption, const std::string& text, int flags) override;
  void m_Show_List(const std::vector<std::string>& rows, const std::string& caption, const std::string& text) override;
  // The messages as "caption|text".
  std::vector<std::string> m_Joined() const;

  std::vector<TMessage> messages;
  std::vector<THeld_Report> shown;  // the lists
};
