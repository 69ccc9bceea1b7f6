#include "Walk_Support.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "Datafile_Units.h"
#include "GameInit.h"
#include "Game_Run.h"
#include "GameSettings.h"
#include "Global.h"
#include "MapClass.h"
#include "Native_Path.h"

TWalk_Display::TWalk_Display() {
  const char* d = std::getenv("DISPLAY");
  if (d && *d) {
    f_ok = true;
    return;
  }
  int fds[2];
  if (pipe(fds) != 0) return;
  f_pid = fork();
  if (f_pid == 0) {
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    std::freopen("/dev/null", "w", stderr);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  char number[16] = {};
  const ssize_t n = f_pid > 0 ? read(fds[0], number, sizeof number - 1) : -1;
  close(fds[0]);
  if (n <= 0) return;
  std::string display = ":" + std::string(number, std::size_t(n));
  while (!display.empty() && (display.back() == '\n' || display.back() == ' ')) display.pop_back();
  setenv("DISPLAY", display.c_str(), 1);
  f_set = true;
  f_ok = true;
}

TWalk_Display::~TWalk_Display() {
  if (f_set) unsetenv("DISPLAY");
  if (f_pid > 0) {
    kill(f_pid, SIGTERM);
    waitpid(f_pid, nullptr, 0);
  }
}

int Walk_Fixture::Run(const std::string& script, std::vector<const char*> switches) {
  const std::string path = (f_work.path() / "script.txt").string();
  Write_File(path, script);
  setenv("GLOBARCH_INPUT_SCRIPT", path.c_str(), 1);
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  setenv("ALSOFT_DRIVERS", "null", 1);
  switches.insert(switches.begin(), "globarch");
  return Game_Init_Run(int(switches.size()), const_cast<char**>(switches.data()));
}

std::string Walk_Fixture::Shot(const std::string& name) const { return (f_work.path() / name).string(); }

bool Walk_Fixture::Open_Walk_Game(const TGame_Session_Setup& setup) {
  Global_Init();
  Game_Init_Create_Globals();
  Game_Init_Load_Map_Data();
  Game_Init_Load_Rule_Files();
  G_Map = new TMap();
  return Game_Session_New_Game(setup);
}

bool Walk_Fixture::Close_Walk_Game(bool ok, const std::string& save) {
  // The view the game opens with: near enough to see stacks and labels.
  Game_Settings.f_camera_eye = {700, 700, -1300};
  Game_Settings.f_camera_look_at = {700, 700, 0};
  Game_Settings.f_camera_up = {0, 1, 0};
  ok = ok && Game_Session_Save(save);
  delete G_Map;
  G_Map = nullptr;
  Game_Init_Free_Globals();
  return ok;
}

TImage Walk_Fixture::Read(const std::string& name) const {
  TImage image;
  EXPECT_TRUE(Image_Read_File(Design_Path(Shot(name)), image)) << name;
  return image;
}

std::int32_t Walk_Fixture::Lit(const TImage& image, std::int32_t left, std::int32_t top, std::int32_t right,
                               std::int32_t bottom) {
  std::int32_t n = 0;
  for (std::int32_t y = top; y < bottom && y < image.height; ++y)
    for (std::int32_t x = left; x < right && x < image.width; ++x) n += (image.Pixel(x, y) & 0xFFFFFFu) != 0;
  return n;
}

std::uint16_t Type_Named(const std::string& name) {
  for (std::uint16_t t = 1; t <= Unit_Type_List->m_Count(); ++t)
    if (Unit_Type_List->m_Get_Item(t)->f_display_name == name) return t;
  return 0;
}

std::vector<std::int32_t> Units_Of(std::int32_t region, std::uint8_t owner, std::uint16_t type) {
  std::vector<std::int32_t> out;
  for (std::int32_t id = 1; id <= G_Map->m_Get_Unit_Count(); ++id) {
    TMap_Unit_Record u;
    G_Map->m_Get_Unit(id, u);
    if (u.id != 0 && u.region == region && u.owner == owner && (type == 0 || u.unit_type == type)) out.push_back(id);
  }
  return out;
}
