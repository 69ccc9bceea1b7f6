// What the interface toolkit asks of the font layer, of the shared button
// atlases and of the interface sounds.
//
// The controls reach these services through the links below so that tests
// can watch them. The links in force until others are installed draw and
// measure with the main fonts (G_Font_ routines), type by G_Key_Code_To_Text,
// draw button frames and flags from the shared atlases (Display_Draw_Button_Frame,
// Display_Draw_Grid_Icon), and play the interface sounds of the
// sound front (Sound_Play_UI_Sound).
#pragma once

#include <cstdint>
#include <string>

#include "Vector_Types.h"

// Shift state of an input event: a set of these bits.
using TShift_State = std::uint8_t;
constexpr TShift_State SS_SHIFT = 1;
constexpr TShift_State SS_ALT = 2;
constexpr TShift_State SS_CTRL = 4;
constexpr TShift_State SS_LEFT = 8;
constexpr TShift_State SS_RIGHT = 16;
constexpr TShift_State SS_MIDDLE = 32;
constexpr TShift_State SS_DOUBLE = 64;

// Mouse buttons of an input event.
enum TMouse_Button : std::uint8_t { MB_LEFT = 0, MB_RIGHT = 1, MB_MIDDLE = 2 };

class TGui_Text_Link {
public:
  virtual ~TGui_Text_Link() = default;
  // Makes a main font current and takes its colour as the current colour.
  virtual void m_Set_Font(std::int32_t font);
  virtual void m_Set_Color(TColor color);
  virtual TColor m_Get_Color();
  // Draws a text at a screen point in the current font and colour.
  virtual void m_Draw_Text(std::int32_t x, std::int32_t y, const std::string& text);
  // The size of a text in the current font.
  virtual void m_Get_Text_Extents(const std::string& text, std::int32_t& width, std::int32_t& height);
  // The height of a text word-wrapped within a width in lines of a given
  // height (a line-break marker starts a new line), at most the maximum
  // height; and the same text drawn from (x, y).
  virtual std::int32_t m_Get_Wrapped_Text_Height(std::int32_t x, std::int32_t y, std::int32_t width,
                                                 std::int32_t line_height, const std::string& text,
                                                 std::int32_t maximum_height);
  virtual void m_Draw_Text_Wrapped(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t line_height,
                                   const std::string& text, std::int32_t maximum_height);
  // A black copy one pixel right and down, then the text in the current colour.
  virtual void m_Draw_Text_Shadowed(std::int32_t x, std::int32_t y, const std::string& text);
  // The text cut with "…" to fit the width in the current font (measured
  // with m_Get_Text_Extents); the whole text when it fits.
  std::string m_Fit(const std::string& text, std::int32_t width);
  // The character a virtual key types on a US layout (empty when none).
  virtual std::string m_Key_Code_To_Text(std::uint16_t key, TShift_State shift);

protected:
  std::int32_t f_font = 0;
  TColor f_color = Make_Color(255, 255, 255);
};

class TGui_Display_Link {
public:
  virtual ~TGui_Display_Link() = default;
  // One button frame cell of the shared atlases (style 1..6; others nothing).
  virtual void m_Draw_Button_Frame(std::int32_t x, std::int32_t y, std::int32_t image, std::int32_t style,
                                   bool hovered, bool pressed, bool disabled);
  // One cell (row, column, both from 1) of the flags atlas at x, y in flag size.
  virtual void m_Draw_Grid_Icon(std::int32_t x, std::int32_t y, std::int32_t row, std::int32_t column);
};

class TGui_Sound_Link {
public:
  virtual ~TGui_Sound_Link() = default;
  // Plays an interface sound by id at a volume offset (hundredths of a decibel).
  virtual void m_Play_UI_Sound(std::int32_t id, std::int32_t volume);
};

// The links in force (never null).
TGui_Text_Link& Gui_Text_Link();
TGui_Display_Link& Gui_Display_Link();
TGui_Sound_Link& Gui_Sound_Link();
// Installs a link (nullptr restores the default one).
void Set_Gui_Text_Link(TGui_Text_Link* link);
void Set_Gui_Display_Link(TGui_Display_Link* link);
void Set_Gui_Sound_Link(TGui_Sound_Link* link);

// The system tick count in milliseconds (Tick_Count) unless a test installs
// its own clock (nullptr restores the system's).
std::uint32_t Gui_Tick_Count();
void Set_Gui_Tick_Source(std::uint32_t (*source)());

// Lines scrolled by one turn of the mouse wheel (the system's setting).
extern std::int32_t Gui_Wheel_Scroll_Lines;

// Interface sound ids.
constexpr std::int32_t UI_SOUND_BUTTON_CLICK = 10;
constexpr std::int32_t UI_SOUND_SELECT_ITEM = 14;
constexpr std::int32_t UI_SOUND_WINDOW_OPENED = 15;
constexpr std::int32_t UI_SOUND_WINDOW_CLOSED = 16;
// The volume of the interface sounds of the controls (hundredths of a decibel).
constexpr std::int32_t UI_SOUND_VOLUME = -2000;
