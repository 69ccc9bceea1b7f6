// A start of the program's globals on the shipped data with fresh user and
// config folders, for the tests of the main window and the launcher.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Test_Support.h"

class Shell_Fixture : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  // The debug log after the globals were freed (the fast log written out).
  std::string Log() const;

  TEnvironment_Guard f_environment{"GLOBARCH_HOME",          "GLOBARCH_USER_DIR",
                                   "XDG_CONFIG_HOME",        "GLOBARCH_SEED",
                                   "GLOBARCH_INPUT_SCRIPT",  "GLOBARCH_SKIP_LAUNCHER",
                                   "GLOBARCH_EXIT_AFTER_FRAMES", "GLOBARCH_SCREENSHOT"};
  TTemp_Dir f_user, f_config;
};
