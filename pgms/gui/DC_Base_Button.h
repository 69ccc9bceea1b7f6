// The image button: one cell of a shared button atlas with normal, hovered,
// pressed and disabled looks, an optional owner-draw callback, a click event
// and optional auto-repeat while held.
//
// A click is a press and a release on the same button: the press arms it,
// the release over it (not released elsewhere) clicks with the "Button
// Click" interface sound. An auto-repeat button clicks once per repeat
// interval while held, the first repeat one interval after the press.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "DC_Base_DisplayClass.h"

// Click event: (sender name, button, shift state).
using TButton_Click_Event = std::function<void(const std::string& name, TMouse_Button button, TShift_State shift)>;
// Owner-draw callback: (name, tag, x, y, width, height, hovered, pressed, disabled).
using TButton_Custom_Draw =
    std::function<void(const std::string& name, std::int32_t tag, std::int32_t x, std::int32_t y, std::int32_t width,
                       std::int32_t height, bool hovered, bool pressed, bool disabled)>;

// The button-click sound's volume (hundredths of a decibel).
constexpr std::int32_t BUTTON_CLICK_VOLUME = -2000;

class TDC_Button : public TDisplay_Class {
public:
  TDC_Button();

  std::int32_t m_Get_Width() override { return f_button_width; }
  std::int32_t m_Get_Height() override { return f_button_height; }
  bool m_Reload_Images() override { return TDisplay_Class::m_Reload_Images(); }
  void m_On_Child_Killed(const std::string&) override {}
  void m_On_Mouse_Down(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y) override;
  void m_On_Mouse_Up(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y,
                     bool released_elsewhere) override;
  bool m_On_Key_Down(std::uint16_t&, TShift_State) override { return false; }
  void m_Draw(double elapsed) override;
  void m_On_Timer(float elapsed) override;

  void m_Set_Style(std::int32_t style, std::int32_t width, std::int32_t height, std::int32_t image,
                   std::int32_t tag);
  using TDisplay_Class::m_Set_Position;
  void m_Set_Position(const std::string& name, std::int32_t x, std::int32_t y);
  void m_Set_Image(std::int32_t image) { f_image = image; }

  std::int32_t m_Style() const { return f_style; }
  std::int32_t m_Image() const { return f_image; }
  std::int32_t m_Tag() const { return f_tag; }
  bool m_Armed() const { return f_armed; }

  // Set directly by the owner.
  bool f_no_frame = false;
  bool f_custom_draw_first = false;
  bool f_auto_repeat = false;
  TButton_Click_Event OnClick;
  TButton_Custom_Draw f_custom_draw;
  float f_repeat_interval = 0.3f;
  bool f_no_disabled_look = false;
  bool f_no_pressed_look = false;

protected:
  // Whether a release completes a click (pressed here, released over the
  // button, enabled and visible); the button is disarmed either way.
  bool m_Release_Clicks(std::int32_t x, std::int32_t y, bool released_elsewhere);
  // Calls OnClick when one is assigned.
  void m_Click(TMouse_Button button, TShift_State shift);

  std::int32_t f_style = 0;
  std::int32_t f_image = 0;
  std::int32_t f_button_width = 0, f_button_height = 0;
  std::int32_t f_tag = 0;
  float f_repeat_time = 0.0f;
  bool f_armed = false;
};
