// The game's window under a display (tools/globarch.sh test starts a
// virtual one); without a display the tests are skipped.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "Game_Window.h"
#include "Image_Files.h"
#include "Native_Path.h"
#include "Render_Device.h"
#include "Test_Support.h"

namespace {

bool Display_Available() {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wayland && *wayland);
}

}  // namespace

TEST(Game_Window, RunsTheFramesAskedForAndWritesTheLastAsScreenshot) {
  if (!Display_Available()) GTEST_SKIP() << "no display: the game window is not tested";
  TTemp_Dir dir;
  const std::string shot = (dir.path() / "shot.bmp").string();
  TGame_Window_Options options;
  options.Exit_After_Frames = 3;
  options.Screenshot = shot.c_str();
  std::uint32_t shown = 0;
  options.Frame_Shown = [&](std::uint32_t frames) { shown = frames; };
  ASSERT_EQ(Game_Window_Run(options), 0);
  EXPECT_EQ(shown, 3u);
  EXPECT_EQ(Render_Device_Current(), nullptr);

  TImage image;
  ASSERT_TRUE(Image_Read_File(Design_Path(shot), image));
  ASSERT_EQ(image.width, 1024);
  ASSERT_EQ(image.height, 768);
  struct {
    std::int32_t x, y;
    std::uint32_t color;
  } rows[] = {
      {0, 0, 0xFF183050u},      // upper half's colour
      {10, 700, 0xFF000000u},   // the cleared lower half
      {66, 66, 0xFFFFFFFFu},    // the picture's white frame (drawn twice as large)
      {100, 100, 0xFFE04040u},  // its first band, through the render target
      {500, 520, 0xFF808080u},  // its last band
  };
  for (const auto& r : rows)
    EXPECT_EQ(image.Pixel(r.x, r.y), r.color) << "pixel " << r.x << ", " << r.y;
  // The half-transparent dark square over the picture halves the band.
  EXPECT_NEAR(int(Color_Red(image.Pixel(200, 200))), 0x70, 2);
}

TEST(Game_Window, TheCloseButtonEndsTheRunCleanly) {
  if (!Display_Available()) GTEST_SKIP() << "no display: the game window is not tested";
  TGame_Window_Options options;
  options.Exit_After_Frames = 500;  // in case the close were lost
  std::uint32_t shown = 0;
  options.Frame_Shown = [&](std::uint32_t frames) {
    shown = frames;
    if (frames != 2) return;
    // What the window's close button sends.
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    e.window.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(Render_Device_Current()->Get_Native_Window()));
    SDL_PushEvent(&e);
  };
  ASSERT_EQ(Game_Window_Run(options), 0);
  EXPECT_EQ(shown, 2u);
  EXPECT_EQ(Render_Device_Current(), nullptr);
  EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}
