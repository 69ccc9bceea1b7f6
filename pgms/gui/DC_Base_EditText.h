// A one-line text entry drawn in the game frame: a caret that blinks every
// 500 ms, editing by virtual-key codes, an optional maximum length, a
// digits-only mode, a password mode showing one "*" per character, centred
// or left-aligned text, the tail of the text shown when it is wider than the
// box, and Tab to hand the focus to the next sibling.
//
// Lengths and the caret count characters (UTF-8 code points), not bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "DC_Base_DisplayClass.h"

// Key codes the edit box acts on.
constexpr std::uint16_t VK_BACK = 8;
constexpr std::uint16_t VK_TAB = 9;
constexpr std::uint16_t VK_RETURN = 13;
constexpr std::uint16_t VK_ESCAPE = 27;
constexpr std::uint16_t VK_SPACE = 32;
constexpr std::uint16_t VK_END = 35;
constexpr std::uint16_t VK_HOME = 36;
constexpr std::uint16_t VK_LEFT = 37;
constexpr std::uint16_t VK_RIGHT = 39;
constexpr std::uint16_t VK_DELETE = 46;

// The caret blinks with this period (ms).
constexpr std::uint32_t EDIT_CARET_BLINK_MS = 500;

using TEdit_Event = std::function<void(const std::string& name)>;

class TDC_EditText : public TDisplay_Class {
public:
  TDC_EditText();

  bool m_Reload_Images() override;
  void m_On_Child_Killed(const std::string&) override {}
  void m_On_Mouse_Down(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y) override;
  void m_On_Mouse_Up(TMouse_Button, TShift_State, std::int32_t, std::int32_t, bool) override {}
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override {}
  void m_Set_Focus() override;
  void m_Lose_Focus() override { f_focused = false; }
  bool m_Can_Focus() override { return f_enabled && f_visible && !f_not_focusable; }

  // Stores the text, puts the caret at its end and lays it out.
  void m_Set_Text(const std::string& text);
  using TDisplay_Class::m_Set_Position;
  void m_Set_Position(const std::string& name, std::int32_t x, std::int32_t y, std::int32_t width,
                      std::int32_t height);
  void m_Set_Shadow_Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

  const std::string& m_Text() const { return f_text; }
  const std::string& m_Display_Text() const { return f_display_text; }
  const std::string& m_Masked_Text() const { return f_masked_text; }
  std::int32_t m_Caret_Position() const { return f_caret_position; }
  std::int32_t m_Caret_Offset() const { return f_caret_offset; }
  std::int32_t m_Text_X() const { return f_text_x; }
  std::int32_t m_Text_Y() const { return f_text_y; }
  bool m_Focused() const { return f_focused; }
  bool m_Caret_Shown() const { return f_caret_shown; }

  // Set directly by the owner.
  TColor f_text_color;
  bool f_editable = true;
  TEdit_Event OnMouseDown;
  TEdit_Event OnChange;
  bool f_changed = false;  // set by every edit, cleared by the owner
  bool f_digits_only = false;
  bool f_centred = false;
  std::int32_t f_maximum_length = 0;  // 0 = unlimited
  bool f_not_focusable = false;
  bool f_password = false;

protected:
  void m_Layout();
  std::int32_t m_Length() const;

  std::string f_text;
  bool f_caret_shown = false;
  std::uint32_t f_blink_tick = 0;
  std::int32_t f_caret_position = 0;
  std::string f_display_text;
  bool f_focused = false;
  std::string f_masked_text;
  std::int32_t f_text_width = 0, f_text_height = 0;
  std::int32_t f_caret_offset = 0;
  std::int32_t f_text_x = 0, f_text_y = 0;
  bool f_has_shadow_color = false;
  TColor f_shadow_color = 0;
};

// UTF-8 helpers: the number of characters of a text, and the byte offset of
// character n (the text's size when n is at or beyond its end).
std::int32_t Utf8_Length(const std::string& text);
std::size_t Utf8_Offset(const std::string& text, std::int32_t n);
