// The platform's key table and shift bits, and the pointer of a scripted run.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "Platform_Input.h"

TEST(Platform_Input, KeysBecomeTheGamesVirtualKeyNumbers) {
  struct {
    SDL_Keycode sdl;
    std::uint16_t vk;
  } rows[] = {
      {SDLK_a, 'A'},          {SDLK_z, 'Z'},           {SDLK_0, '0'},          {SDLK_9, '9'},
      {SDLK_F1, 112},         {SDLK_F10, 121},         {SDLK_F12, 123},        {SDLK_RETURN, 13},
      {SDLK_ESCAPE, 27},      {SDLK_BACKSPACE, 8},     {SDLK_TAB, 9},          {SDLK_SPACE, 32},
      {SDLK_LEFT, 37},        {SDLK_UP, 38},           {SDLK_RIGHT, 39},       {SDLK_DOWN, 40},
      {SDLK_PAGEUP, 33},      {SDLK_PAGEDOWN, 34},     {SDLK_HOME, 36},        {SDLK_END, 35},
      {SDLK_DELETE, 46},      {SDLK_INSERT, 45},       {SDLK_LSHIFT, 16},      {SDLK_RCTRL, 17},
      {SDLK_LALT, 18},        {SDLK_MINUS, 189},       {SDLK_EQUALS, 187},     {SDLK_COMMA, 188},
      {SDLK_PERIOD, 190},     {SDLK_SLASH, 191},       {SDLK_SEMICOLON, 186},  {SDLK_QUOTE, 222},
      {SDLK_LEFTBRACKET, 219}, {SDLK_BACKSLASH, 220},  {SDLK_BACKQUOTE, 192},
      // Only the numpad's + and - keep numpad numbers; the rest act as the main keys.
      {SDLK_KP_PLUS, 107},    {SDLK_KP_MINUS, 109},    {SDLK_KP_0, '0'},       {SDLK_KP_7, '7'},
      {SDLK_KP_ENTER, 13},    {SDLK_KP_PERIOD, 190},   {SDLK_KP_DIVIDE, 191},  {SDLK_KP_MULTIPLY, 0},
      // Keys the game has no number for.
      {SDLK_F13, 0},          {SDLK_MENU, 0},          {SDLK_UNKNOWN, 0},
  };
  for (const auto& r : rows)
    EXPECT_EQ(Platform_Virtual_Key(r.sdl), r.vk) << SDL_GetKeyName(r.sdl);
}

TEST(Platform_Input, ShiftBitsFromModifiers) {
  struct {
    std::uint32_t mod;
    std::uint8_t bits;
  } rows[] = {
      {KMOD_NONE, 0},   {KMOD_LSHIFT, 1}, {KMOD_RSHIFT, 1}, {KMOD_LALT, 2},
      {KMOD_RALT, 2},   {KMOD_LCTRL, 4},  {KMOD_RCTRL, 4},  {KMOD_LSHIFT | KMOD_LALT | KMOD_RCTRL, 7},
      {KMOD_NUM | KMOD_CAPS, 0},
  };
  for (const auto& r : rows) EXPECT_EQ(Platform_Shift_Bits(r.mod), r.bits) << r.mod;
}

// A scripted run takes the pointer from the events it pushes itself; the
// system's own pointer events (they name a window) are dropped then.
TEST(Platform_Input, AScriptedPointerIgnoresTheSystemsPointerEvents) {
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  const std::string kept = driver ? driver : "";
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  TInput_Event event;
  while (Platform_Poll_Event(event)) {
  }
  auto system_motion = [](std::int32_t x, std::int32_t y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = 7;
    e.motion.x = x;
    e.motion.y = y;
    SDL_PushEvent(&e);
  };
  for (const bool scripted : {true, false}) {
    SCOPED_TRACE(scripted);
    Platform_Set_Pointer_From_Script_Only(scripted);
    system_motion(1, 2);
    Platform_Inject_Mouse_Move(30, 40);
    std::vector<std::pair<std::int32_t, std::int32_t>> seen;
    while (Platform_Poll_Event(event))
      if (event.kind == TInput_Kind::Mouse_Move) seen.emplace_back(event.x, event.y);
    const std::vector<std::pair<std::int32_t, std::int32_t>> want =
        scripted ? std::vector<std::pair<std::int32_t, std::int32_t>>{{30, 40}}
                 : std::vector<std::pair<std::int32_t, std::int32_t>>{{1, 2}, {30, 40}};
    EXPECT_EQ(seen, want);
    std::int32_t x = 0, y = 0;
    Platform_Mouse_Position(x, y);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
  }
  Platform_Set_Pointer_From_Script_Only(false);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  if (driver) setenv("SDL_VIDEODRIVER", kept.c_str(), 1);
  else unsetenv("SDL_VIDEODRIVER");
}
