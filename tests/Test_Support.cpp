#include "Test_Support.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "Global.h"
#include "Native_Path.h"

TTemp_Dir::TTemp_Dir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "globarch_test_XXXXXX").string();
  char* made = ::mkdtemp(tmpl.data());
  if (!made) throw std::runtime_error("cannot create a temporary folder");
  f_path = made;
}

TTemp_Dir::~TTemp_Dir() {
  std::error_code ec;
  std::filesystem::remove_all(f_path, ec);
}

std::string TTemp_Dir::design() const { return Design_Path(f_path.string()) + "\\"; }

TEnvironment_Guard::TEnvironment_Guard(std::initializer_list<const char*> names)
    : f_program(Program_Folder), f_user(User_Folder) {
  for (const char* name : names) {
    const char* v = std::getenv(name);
    f_saved.push_back({name, v ? v : "", v != nullptr});
  }
}

TEnvironment_Guard::~TEnvironment_Guard() {
  for (const TSaved& e : f_saved) {
    if (e.set)
      setenv(e.name.c_str(), e.value.c_str(), 1);
    else
      unsetenv(e.name.c_str());
  }
  Program_Folder = f_program;
  User_Folder = f_user;
}

std::filesystem::path Source_Dir() {
  const char* s = std::getenv("GLOBARCH_SOURCE_DIR");
  return s ? std::filesystem::path(s) : std::filesystem::current_path();
}

std::string Read_File(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void Write_File(const std::filesystem::path& p, const std::string& bytes) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out << bytes;
}

TShell_Recorder::TShell_Recorder() { Set_Shell_Services(this); }
TShell_Recorder::~TShell_Recorder() { Set_Shell_Services(nullptr); }

void TShell_Recorder::m_Show_Message(const std::string& caption, const std::string& text, int) {
  messages.push_back({caption, text});
}

void TShell_Recorder::m_Show_List(const std::vector<std::string>& rows, const std::string& caption,
                                  const std::string& text) {
  shown.push_back({true, caption, text, rows});
}

std::vector<std::string> TShell_Recorder::m_Joined() const {
  std::vector<std::string> out;
  for (const TMessage& m : messages) out.push_back(m.caption + "|" + m.text);
  return out;
}
