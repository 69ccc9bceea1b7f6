#include "Platform_Input.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "Image_Files.h"

namespace {

std::int32_t mouse_x = 0, mouse_y = 0;
std::uint32_t last_window = 0;
bool pointer_from_script_only = false;

struct TKey_Pair {
  SDL_Keycode sdl;
  std::uint16_t vk;
};

// Keys whose number is not their character.
constexpr TKey_Pair KEY_TABLE[] = {
    {SDLK_BACKSPACE, 8},   {SDLK_TAB, 9},         {SDLK_RETURN, 13},      {SDLK_KP_ENTER, 13},
    {SDLK_LSHIFT, 16},     {SDLK_RSHIFT, 16},     {SDLK_LCTRL, 17},       {SDLK_RCTRL, 17},
    {SDLK_LALT, 18},       {SDLK_RALT, 18},       {SDLK_PAUSE, 19},       {SDLK_CAPSLOCK, 20},
    {SDLK_ESCAPE, 27},     {SDLK_SPACE, 32},      {SDLK_PAGEUP, 33},      {SDLK_PAGEDOWN, 34},
    {SDLK_END, 35},        {SDLK_HOME, 36},       {SDLK_LEFT, 37},        {SDLK_UP, 38},
    {SDLK_RIGHT, 39},      {SDLK_DOWN, 40},       {SDLK_INSERT, 45},      {SDLK_DELETE, 46},
    {SDLK_KP_PLUS, 107},   {SDLK_KP_MINUS, 109},  {SDLK_KP_PERIOD, 190},  {SDLK_KP_DIVIDE, 191},
    {SDLK_SEMICOLON, 186}, {SDLK_EQUALS, 187},    {SDLK_COMMA, 188},      {SDLK_MINUS, 189},
    {SDLK_PERIOD, 190},    {SDLK_SLASH, 191},     {SDLK_BACKQUOTE, 192},  {SDLK_LEFTBRACKET, 219},
    {SDLK_BACKSLASH, 220}, {SDLK_RIGHTBRACKET, 221}, {SDLK_QUOTE, 222},
};

void Push_Key(SDL_Keycode key, Uint16 mod) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.state = SDL_PRESSED;
  e.key.keysym.sym = key;
  e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  e.key.keysym.mod = mod;
  SDL_PushEvent(&e);
  e.type = SDL_KEYUP;
  e.key.state = SDL_RELEASED;
  SDL_PushEvent(&e);
}

// The unshifted key and whether Shift is needed for a character on a US
// layout; key 0 when no key types it.
void Key_Of_Char(char c, SDL_Keycode& key, bool& shift) {
  static const char shifted[] = "~!@#$%^&*()_+{}|:\"<>?";
  static const char plain[] = "`1234567890-=[]\\;',./";
  shift = false;
  key = 0;
  if (c >= 'A' && c <= 'Z') {
    shift = true;
    key = SDL_Keycode(c - 'A' + 'a');
  } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ') {
    key = SDL_Keycode(c);
  } else if (const char* p = std::strchr(shifted, c); p && c) {
    shift = true;
    key = SDL_Keycode(plain[p - shifted]);
  } else if (const char* q = std::strchr(plain, c); q && c) {
    key = SDL_Keycode(c);
  }
}

}  // namespace

std::uint16_t Platform_Virtual_Key(std::int32_t sdl_key) {
  for (const TKey_Pair& p : KEY_TABLE)
    if (p.sdl == sdl_key) return p.vk;
  if (sdl_key >= SDLK_a && sdl_key <= SDLK_z) return std::uint16_t('A' + (sdl_key - SDLK_a));
  if (sdl_key >= SDLK_0 && sdl_key <= SDLK_9) return std::uint16_t(sdl_key);
  if (sdl_key >= SDLK_KP_1 && sdl_key <= SDLK_KP_9) return std::uint16_t('1' + (sdl_key - SDLK_KP_1));
  if (sdl_key == SDLK_KP_0) return '0';
  if (sdl_key >= SDLK_F1 && sdl_key <= SDLK_F12) return std::uint16_t(112 + (sdl_key - SDLK_F1));
  return 0;
}

std::uint8_t Platform_Shift_Bits(std::uint32_t sdl_mod) {
  std::uint8_t bits = 0;
  if (sdl_mod & KMOD_SHIFT) bits |= INPUT_SHIFT;
  if (sdl_mod & KMOD_ALT) bits |= INPUT_ALT;
  if (sdl_mod & KMOD_CTRL) bits |= INPUT_CTRL;
  return bits;
}

bool Platform_Poll_Event(TInput_Event& event) {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    event = TInput_Event{};
    last_window = 0;
    switch (e.type) {
      case SDL_QUIT:
        event.kind = TInput_Kind::Close;
        return true;
      case SDL_WINDOWEVENT:
        last_window = e.window.windowID;
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) event.kind = TInput_Kind::Close;
        else if (e.window.event == SDL_WINDOWEVENT_MINIMIZED) event.kind = TInput_Kind::Minimized;
        else if (e.window.event == SDL_WINDOWEVENT_RESTORED) event.kind = TInput_Kind::Restored;
        else continue;
        return true;
      case SDL_KEYDOWN:
        last_window = e.key.windowID;
        event.kind = TInput_Kind::Key_Down;
        event.key = Platform_Virtual_Key(e.key.keysym.sym);
        event.shift = Platform_Shift_Bits(e.key.keysym.mod);
        if (event.key == 0) continue;
        return true;
      case SDL_MOUSEMOTION:
        // Events the program pushes carry no window.
        if (pointer_from_script_only && e.motion.windowID != 0) continue;
        last_window = e.motion.windowID;
        mouse_x = e.motion.x;
        mouse_y = e.motion.y;
        event.kind = TInput_Kind::Mouse_Move;
        event.x = mouse_x;
        event.y = mouse_y;
        return true;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        if (pointer_from_script_only && e.button.windowID != 0) continue;
        last_window = e.button.windowID;
        if (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT &&
            e.button.button != SDL_BUTTON_MIDDLE)
          continue;
        mouse_x = e.button.x;
        mouse_y = e.button.y;
        event.kind = e.type == SDL_MOUSEBUTTONDOWN ? TInput_Kind::Mouse_Down : TInput_Kind::Mouse_Up;
        event.button = e.button.button == SDL_BUTTON_LEFT ? 0 : e.button.button == SDL_BUTTON_RIGHT ? 1 : 2;
        event.shift = Platform_Shift_Bits(SDL_GetModState());
        event.x = mouse_x;
        event.y = mouse_y;
        return true;
      }
      case SDL_MOUSEWHEEL: {
        if (pointer_from_script_only && e.wheel.windowID != 0) continue;
        last_window = e.wheel.windowID;
        std::int32_t y = e.wheel.y;
        if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) y = -y;
        if (y == 0) continue;
        event.kind = TInput_Kind::Wheel;
        event.wheel_delta = y * 120;
        event.shift = Platform_Shift_Bits(SDL_GetModState());
        event.x = mouse_x;
        event.y = mouse_y;
        return true;
      }
      default:
        continue;
    }
  }
  return false;
}

void Platform_Mouse_Position(std::int32_t& x, std::int32_t& y) {
  x = mouse_x;
  y = mouse_y;
}

std::uint32_t Platform_Last_Event_Window() { return last_window; }

bool Platform_Inject_Key(const std::string& key_name, std::uint8_t shift) {
  const SDL_Keycode key = SDL_GetKeyFromName(key_name.c_str());
  if (key == SDLK_UNKNOWN) return false;
  Uint16 mod = 0;
  if (shift & INPUT_SHIFT) mod |= KMOD_LSHIFT;
  if (shift & INPUT_ALT) mod |= KMOD_LALT;
  if (shift & INPUT_CTRL) mod |= KMOD_LCTRL;
  Push_Key(key, mod);
  return true;
}

void Platform_Inject_Text(const std::string& text) {
  for (char c : text) {
    SDL_Keycode key = 0;
    bool shift = false;
    Key_Of_Char(c, key, shift);
    if (key) Push_Key(key, shift ? KMOD_LSHIFT : 0);
  }
}

void Platform_Set_Pointer_From_Script_Only(bool on) { pointer_from_script_only = on; }

void Platform_Inject_Mouse_Move(std::int32_t x, std::int32_t y) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = x;
  e.motion.y = y;
  SDL_PushEvent(&e);
}

void Platform_Inject_Mouse_Button(bool down, std::uint8_t button, std::int32_t x, std::int32_t y) {
  SDL_Event e{};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.button = button == 1 ? SDL_BUTTON_RIGHT : button == 2 ? SDL_BUTTON_MIDDLE : SDL_BUTTON_LEFT;
  e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.button.clicks = 1;
  e.button.x = x;
  e.button.y = y;
  SDL_PushEvent(&e);
}

void Platform_Inject_Wheel(std::int32_t notches, std::int32_t x, std::int32_t y) {
  Platform_Inject_Mouse_Move(x, y);
  SDL_Event e{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.y = notches;
  e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
  SDL_PushEvent(&e);
}

void Platform_Inject_Close() {
  SDL_Event e{};
  e.type = SDL_QUIT;
  SDL_PushEvent(&e);
}

double Platform_Seconds() {
  static const Uint64 frequency = SDL_GetPerformanceFrequency();
  static const Uint64 start = SDL_GetPerformanceCounter();
  return double(SDL_GetPerformanceCounter() - start) / double(frequency);
}

void Platform_Sleep_Ms(std::uint32_t ms) { SDL_Delay(ms); }

bool Platform_Desktop_Size(std::int32_t& width, std::int32_t& height) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  SDL_DisplayMode mode{};
  const bool ok = SDL_GetDesktopDisplayMode(0, &mode) == 0;
  if (ok) {
    width = mode.w;
    height = mode.h;
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return ok;
}

void Platform_Show_Cursor(bool show) {
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void Platform_Message_Box(const std::string& caption, const std::string& text) {
  std::fprintf(stderr, "globarch: %s: %s\n", caption.c_str(), text.c_str());
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr);
}

bool Platform_Open_Document(const std::string& native_path_or_url) {
  return SDL_OpenURL(native_path_or_url.c_str()) == 0;
}

TPicture_Window::TPicture_Window(const std::string& title, std::int32_t width, std::int32_t height) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return;
  SDL_Window* w = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                   SDL_WINDOW_BORDERLESS);
  if (!w) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return;
  }
  f_window = w;
  f_id = SDL_GetWindowID(w);
}

TPicture_Window::~TPicture_Window() {
  if (!f_window) return;
  SDL_DestroyWindow(static_cast<SDL_Window*>(f_window));
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void TPicture_Window::m_Raise() {
  if (f_window) SDL_RaiseWindow(static_cast<SDL_Window*>(f_window));
}

void TPicture_Window::m_Show(const TImage& picture) {
  SDL_Window* w = static_cast<SDL_Window*>(f_window);
  if (!w || picture.width <= 0 || picture.height <= 0) return;
  SDL_Surface* target = SDL_GetWindowSurface(w);
  if (!target) return;
  // The picture's pixels are 0xAARRGGBB words.
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<std::uint32_t*>(picture.pixels.data()), picture.width, picture.height, 32, picture.width * 4,
      SDL_PIXELFORMAT_ARGB8888);
  if (source) {
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    SDL_BlitSurface(source, nullptr, target, nullptr);
    SDL_FreeSurface(source);
  }
  SDL_UpdateWindowSurface(w);
}
