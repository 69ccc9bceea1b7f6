#include "Shell_Fixture.h"

#include <algorithm>
#include <cstdlib>

#include "Debug_Log.h"
#include "GameInit.h"
#include "Global.h"
#include "Shell_Services.h"

void Shell_Fixture::SetUp() {
  // The guard keeps these; each test starts without them.
  for (const char* name : {"GLOBARCH_INPUT_SCRIPT", "GLOBARCH_SKIP_LAUNCHER", "GLOBARCH_EXIT_AFTER_FRAMES",
                           "GLOBARCH_SCREENSHOT"})
    unsetenv(name);
  setenv("GLOBARCH_HOME", Source_Dir().c_str(), 1);
  setenv("GLOBARCH_USER_DIR", f_user.path().c_str(), 1);
  setenv("XDG_CONFIG_HOME", f_config.path().c_str(), 1);
  setenv("GLOBARCH_SEED", "1", 1);
  Take_Held_Reports();
}

void Shell_Fixture::TearDown() {
  Game_Init_Free_Globals();
  Take_Held_Reports();
  std::fill(std::begin(Debug_Sections), std::end(Debug_Sections), false);
  Debug_Enabled = false;
}

std::string Shell_Fixture::Log() const { return Read_File(f_user.path() / "Backup" / "Globarch_Log.txt"); }
