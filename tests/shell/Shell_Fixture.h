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

  struct TEnv {
    std::string name, value;
    bool set;
  };
  std::vector<TEnv> f_saved_env;
  std::string f_saved_program, f_saved_user;
  TTemp_Dir f_user, f_config;
};
