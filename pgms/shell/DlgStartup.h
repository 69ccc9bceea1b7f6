// The launcher: a borderless window drawn from its background picture with
// the version text and a panel of six buttons ("Play", "Graphics Setup",
// "Manual", "History", "Website", "Quit"), shown by the program start until
// the player chooses to play or to quit.
//
// TDlg_Startup holds the launcher's state and paints it into a picture; the
// window and its event loop are Game_Init_Show_Launcher's. Positions are
// pixels of the window.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "Image_Files.h"
#include "Window_Canvas.h"

struct TShell_Options;
class TInput_Script;

// The frames shown by the launcher and its display settings, and the timed
// test input they play.
struct TLauncher_Frames {
  TInput_Script* script = nullptr;
  std::uint32_t frame = 0;
  bool quit = false;  // the script closed the window
};

constexpr std::int32_t STARTUP_BUTTON_WIDTH = 168;
constexpr std::int32_t STARTUP_BUTTON_HEIGHT = 40;
constexpr std::int32_t STARTUP_PANEL_X = 405;
constexpr std::int32_t STARTUP_PANEL_Y = 7;
constexpr std::int32_t STARTUP_PANEL_WIDTH = 168;
constexpr std::int32_t STARTUP_PANEL_HEIGHT = 248;

// The launcher's six buttons, top to bottom; None before one was chosen.
// "Play" and "Quit" close the launcher, the others keep it open.
enum class TLauncher_Button : std::int32_t {
  None = 0,
  Play = 1,
  Display_Settings = 2,
  Manual = 3,
  History = 4,
  Maker_Pages = 5,
  Quit = 6,
};

class TDlg_Startup {
public:
  // Loads the pictures and prepares the background (magenta becomes black,
  // the version written on it).
  TDlg_Startup();

  TLauncher_Button m_Result() const { return f_result; }
  std::int32_t m_Button_State(std::int32_t button) const { return f_state[button]; }
  bool m_Closed() const { return f_closed; }
  std::int32_t m_Width() const { return f_background.width; }
  std::int32_t m_Height() const { return f_background.height; }

  // The button (1..6) under a panel point, 0 when none (edges inclusive).
  std::int32_t m_Button_At(std::int32_t panel_x, std::int32_t panel_y) const;
  // Mouse events in window pixels; true when the picture changed.
  bool m_Mouse_Move(std::int32_t x, std::int32_t y);
  bool m_Mouse_Down(std::int32_t x, std::int32_t y);
  bool m_Mouse_Up(std::int32_t x, std::int32_t y);
  // The button's action (1..6; the result becomes that button).
  void m_Activate(std::int32_t button);
  // Closed without a button ("Play" and "Quit" close with theirs).
  void m_Close() { f_closed = true; }

  // The whole window's picture.
  const TImage& m_Paint();

  // Opens a document or web page (by default with the desktop's viewer).
  std::function<void(const std::string&)> f_open_document;
  // Shows the display settings modally (by default in their own window).
  std::function<void()> f_show_display_settings;

private:
  bool m_In_Panel(std::int32_t x, std::int32_t y) const;

  TImage f_background, f_buttons, f_screen;
  TWindow_Canvas f_canvas;
  TLauncher_Button f_result = TLauncher_Button::None;
  std::int32_t f_state[7] = {};
  bool f_closed = false;
};

// Shows the launcher once in its own window until it closes; returns its
// result (Play, Quit, else show it again). The frames count on in `frames`
// and play its script.
TLauncher_Button Game_Init_Show_Launcher(const TShell_Options& options, TLauncher_Frames& frames);

// Every magenta (255, 0, 255) pixel becomes black.
void Picture_Magenta_To_Black(TImage& image);
// Copies a w x h piece of the source at (sx, sy) to (x, y), magenta left out.
void Picture_Copy_Keyed(TImage& target, std::int32_t x, std::int32_t y, const TImage& source, std::int32_t sx,
                        std::int32_t sy, std::int32_t w, std::int32_t h);

// Plays the script steps due at the next frame of a window shown before the
// game window: input goes to the event queue; a screenshot writes the
// picture given; "quit" asks the window to close. Shared by the launcher
// and the display settings.
void Launcher_Frame(TLauncher_Frames& frames, const TImage& picture);
