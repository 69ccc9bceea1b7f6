// The game's window: the OpenGL drawing device in an SDL2 window (windowed,
// 1024 x 768), registered as the device framework's current system and
// device and handed to the drawing layer. Every frame is cleared and shows
// the test picture; the run ends when the window's close button is pressed.
//
// For tests and CI two settings of the environment exist:
//   GLOBARCH_EXIT_AFTER_FRAMES=N  the run ends by itself after N frames;
//   GLOBARCH_SCREENSHOT=<file>     the last frame is written to that file as a
//                                  24-bit bitmap before the run ends.
#pragma once

#include <cstdint>
#include <functional>

struct TGame_Window_Options {
  std::uint32_t Width = 1024;
  std::uint32_t Height = 768;
  // 0: run until the window is closed.
  std::uint32_t Exit_After_Frames = 0;
  // Native path of the screenshot of the last frame; empty: none.
  const char* Screenshot = nullptr;
  // Called after each frame is shown with the number of frames so far (for
  // tests).
  std::function<void(std::uint32_t frames)> Frame_Shown;
};

// The options from the environment (see above).
TGame_Window_Options Game_Window_Options_From_Environment();

// Opens the window and runs the frame loop. Returns the program's exit
// code: 0 after a clean close, 1 when no window could be opened (the reason
// on standard error) or the screenshot could not be written.
int Game_Window_Run(const TGame_Window_Options& options);
