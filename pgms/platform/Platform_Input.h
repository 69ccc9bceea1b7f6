// Input, time and ordinary windows of the platform, for the application
// shell.
//
// The shell never sees SDL: events arrive here as TInput_Event records whose
// keys are the game's virtual-key numbers (the numbering the controls test
// against: 8 Backspace, 13 Enter, 27 Escape, 37..40 arrows, '0'..'9',
// 'A'..'Z', 112.. F1.., 186.. punctuation) and whose positions are pixels
// of the window's client area. Timed test input (the input script) is
// pushed into the same queue as SDL's own events and goes the same way.
// Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct TImage;

// Virtual-key numbers the shell and the tests name.
constexpr std::uint16_t VKEY_BACK = 8;
constexpr std::uint16_t VKEY_TAB = 9;
constexpr std::uint16_t VKEY_RETURN = 13;
constexpr std::uint16_t VKEY_SHIFT = 16;
constexpr std::uint16_t VKEY_CONTROL = 17;
constexpr std::uint16_t VKEY_MENU = 18;  // Alt
constexpr std::uint16_t VKEY_ESCAPE = 27;
constexpr std::uint16_t VKEY_SPACE = 32;
constexpr std::uint16_t VKEY_PRIOR = 33;
constexpr std::uint16_t VKEY_NEXT = 34;
constexpr std::uint16_t VKEY_LEFT = 37;
constexpr std::uint16_t VKEY_UP = 38;
constexpr std::uint16_t VKEY_RIGHT = 39;
constexpr std::uint16_t VKEY_DOWN = 40;
constexpr std::uint16_t VKEY_DELETE = 46;
constexpr std::uint16_t VKEY_ADD = 107;       // numpad +
constexpr std::uint16_t VKEY_SUBTRACT = 109;  // numpad -
constexpr std::uint16_t VKEY_F1 = 112;
constexpr std::uint16_t VKEY_F10 = 121;

// Shift bits of an event (the same bits as the controls' shift state).
constexpr std::uint8_t INPUT_SHIFT = 1;
constexpr std::uint8_t INPUT_ALT = 2;
constexpr std::uint8_t INPUT_CTRL = 4;

enum class TInput_Kind : std::uint8_t {
  None,
  Key_Down,     // key, shift (repeats of a held key come again)
  Mouse_Down,   // button (0 left, 1 right, 2 middle), shift, x, y
  Mouse_Up,     // the same
  Mouse_Move,   // x, y
  Wheel,        // wheel_delta in 120ths of a notch (positive away from the user), shift, x, y
  Close,        // the window's close button or the system's quit
  Minimized,
  Restored,
};

struct TInput_Event {
  TInput_Kind kind = TInput_Kind::None;
  std::uint16_t key = 0;
  std::uint8_t shift = 0;
  std::uint8_t button = 0;
  std::int32_t x = 0, y = 0;
  std::int32_t wheel_delta = 0;
};

// The virtual key of an SDL key code (SDL_Keycode); 0 for keys the game has
// no number for. Of the numpad only + and - give numpad numbers; its digits,
// point, slash and Enter give the numbers of the main keys.
std::uint16_t Platform_Virtual_Key(std::int32_t sdl_key);
// The shift bits of SDL modifier flags (SDL_Keymod).
std::uint8_t Platform_Shift_Bits(std::uint32_t sdl_mod);

// Takes the next pending event of any window; false when none is pending.
// Events the game has no use for are skipped.
bool Platform_Poll_Event(TInput_Event& event);
// The last mouse position seen in events (client pixels of the window the
// mouse was over).
void Platform_Mouse_Position(std::int32_t& x, std::int32_t& y);

// Pushes input into the event queue as if it came from the devices.
// Key names are SDL's ("F1", "Escape", "Return", "A", "Keypad +", ...);
// false for a name SDL does not know.
bool Platform_Inject_Key(const std::string& key_name, std::uint8_t shift);
// Each character as a key press (capitals and shifted signs with Shift), as
// typed on a US layout; characters without a key are left out.
void Platform_Inject_Text(const std::string& text);
void Platform_Inject_Mouse_Move(std::int32_t x, std::int32_t y);
void Platform_Inject_Mouse_Button(bool down, std::uint8_t button, std::int32_t x, std::int32_t y);
void Platform_Inject_Wheel(std::int32_t notches, std::int32_t x, std::int32_t y);
void Platform_Inject_Close();
// While on, only the pointer events pushed by the program itself (an input
// script's) move and press the pointer: the system's own pointer events are
// dropped, such as the ones another window opening under the shared pointer
// of a virtual display sends. Off by default.
void Platform_Set_Pointer_From_Script_Only(bool on);

// Seconds since an arbitrary start, from the high-resolution counter.
double Platform_Seconds();
void Platform_Sleep_Ms(std::uint32_t ms);
// The size of the first display's desktop; false without a display.
bool Platform_Desktop_Size(std::int32_t& width, std::int32_t& height);
// Shows or hides the system's mouse pointer over the game's windows.
void Platform_Show_Cursor(bool show);
// A modal system message box with one OK button (errors before any game
// window exists); written to standard error as well.
void Platform_Message_Box(const std::string& caption, const std::string& text);
// Opens a document or web address with the desktop's viewer; false when
// none could be started.
bool Platform_Open_Document(const std::string& native_path_or_url);

// An ordinary window without a border, centred on the screen, showing a
// picture that the program paints (the launcher and the display settings).
class TPicture_Window {
public:
  TPicture_Window(const std::string& title, std::int32_t width, std::int32_t height);
  ~TPicture_Window();
  TPicture_Window(const TPicture_Window&) = delete;
  TPicture_Window& operator=(const TPicture_Window&) = delete;

  bool m_Open() const { return f_window != nullptr; }
  // Copies the picture (at the window's size) onto the window.
  void m_Show(const TImage& picture);
  // Whether events now come to this window (it holds the focus or the
  // mouse, or is the only window).
  std::uint32_t m_Window_Id() const { return f_id; }
  void m_Raise();

private:
  void* f_window = nullptr;
  std::uint32_t f_id = 0;
};

// The id of the window the last polled event was meant for (0: none or
// every window).
std::uint32_t Platform_Last_Event_Window();
