// A drawing layer started on a headless device, with the debug log of the
// engine start-up section going into a temporary user folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Debug_Log.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Texture.h"
#include "Headless_Engine.h"
#include "Image_Files.h"
#include "Render_Device_Headless.h"
#include "Test_Support.h"

class TEngine_Fixture : public ::testing::Test {
protected:
  void SetUp() override {
    std::filesystem::create_directories(f_dir.path() / "Backup");
    f_saved_user = User_Folder;
    User_Folder = f_dir.design();
    Debug_Sections[DEBUG_ENGINE_STARTUP] = true;
    f_device = Headless_Engine_Start(64, 48);
    f_device->Set_Recording(true);
  }

  void TearDown() override {
    G_Shutdown_GraphicsEngine();
    G_Engine_Hooks = TG_Engine_Hooks();
    Render_Device_Set_Current(nullptr);
    f_device.reset();
    Debug_Sections[DEBUG_ENGINE_STARTUP] = false;
    User_Folder = f_saved_user;
  }

  // The texts of the debug log's lines (after the time stamp and the tick
  // count), and an empty log afterwards.
  std::vector<std::string> Log_Lines() {
    const std::filesystem::path file = f_dir.path() / "Backup" / "Globarch_Log.txt";
    const std::string log = Read_File(file);
    std::filesystem::remove(file);
    std::vector<std::string> texts;
    std::size_t pos = 0;
    while (pos < log.size()) {
      std::size_t end = log.find('\n', pos);
      if (end == std::string::npos) end = log.size();
      const std::string line = log.substr(pos, end - pos);
      texts.push_back(line.substr(line.find(' ', 18) + 1));
      pos = end + 1;
    }
    return texts;
  }

  // A picture file in the temporary folder; returns its name in the game's
  // path form.
  std::string Write_Bitmap(const std::string& name, std::int32_t w, std::int32_t h, std::uint32_t fill) {
    TImage image;
    image.Set_Size(w, h, fill);
    return Write_Bitmap(name, image);
  }
  std::string Write_Bitmap(const std::string& name, const TImage& image) {
    const std::string path = f_dir.design() + name;
    EXPECT_TRUE(Image_Write_BMP_24(path, image));
    return path;
  }

  TTemp_Dir f_dir;
  std::string f_saved_user;
  std::unique_ptr<TRender_Device_Headless> f_device;
};
