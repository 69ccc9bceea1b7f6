#include "Fuzz_Support.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Native_Path.h"
#include "Shell_Services.h"

namespace {

// Shell services that show nothing: a hostile file's error windows are the
// expected outcome, not something to look at.
class TQuiet_Shell : public TShell_Services {
public:
  bool m_Main_Screen_Exists() const override { return true; }
  void m_Show_Message(const std::string&, const std::string&, int) override {}
  void m_Show_List(const std::vector<std::string>&, const std::string&, const std::string&) override {}
};

std::filesystem::path& Scratch() {
  static std::filesystem::path dir;
  if (dir.empty()) {
    dir = std::filesystem::temp_directory_path() / ("globarch-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
  }
  return dir;
}

}  // namespace

std::string Fuzz_Write_Scratch_File(const std::string& name, const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path file = Scratch() / name;
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  }
  return Design_Path(file.string());
}

void Fuzz_Setup_Once() {
  static bool done = false;
  if (done) return;
  done = true;
  static TQuiet_Shell shell;
  Set_Shell_Services(&shell);
  ::setenv("GLOBARCH_USER_DIR", (Scratch() / "user").string().c_str(), 1);
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(Scratch(), ignored);
  });
}
