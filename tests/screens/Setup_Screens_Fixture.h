// The program's globals started on the shipped data (as the game starts
// them) with a fresh user folder, a headless device of 1024 x 768 for the
// pictures, and an empty world map: the start menu and the game setup are
// built on it as the main screen builds them.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "GameInit.h"
#include "GameSettings.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "Headless_Engine.h"
#include "MapClass.h"
#include "Render_Device_Headless.h"
#include "SteppedTask.h"
#include "Test_Support.h"

class Setup_Screens_Fixture : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("GLOBARCH_HOME", Source_Dir().c_str(), 1);
    setenv("GLOBARCH_USER_DIR", f_user.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", f_config.path().c_str(), 1);
    f_device = Headless_Engine_Start(1024, 768);
    Game_Init_Start();
    Random_Set_Seed(7);
    f_map = std::make_unique<TMap>();
    G_Map = f_map.get();
  }
  void TearDown() override {
    Stepped_Task_End();
    G_Map = nullptr;
    f_map.reset();
    Game_Init_Free_Globals();
    G_Shutdown_GraphicsEngine();
    Render_Device_Set_Current(nullptr);
    f_device.reset();
  }

  TEnvironment_Guard f_environment{"GLOBARCH_HOME", "GLOBARCH_USER_DIR", "XDG_CONFIG_HOME"};
  TTemp_Dir f_user, f_config;
  std::unique_ptr<TRender_Device_Headless> f_device;
  std::unique_ptr<TMap> f_map;
};
