#include "DC_Base_Button.h"

#include "Datafile_UserSettings.h"
#include "Errors.h"
#include "GraphicsEngine.h"

TDC_Button::TDC_Button() : TDisplay_Class(DC_KIND_CONTROL) {}

void TDC_Button::m_Set_Style(std::int32_t style, std::int32_t width, std::int32_t height, std::int32_t image,
                             std::int32_t tag) {
  f_style = style;
  f_button_width = width;
  f_button_height = height;
  f_image = image;
  f_tag = tag;
}

void TDC_Button::m_Set_Position(const std::string& name, std::int32_t x, std::int32_t y) {
  m_Set_Bounds(name, x, y, f_button_width, f_button_height, false);
}

void TDC_Button::m_On_Mouse_Down(TMouse_Button, TShift_State, std::int32_t x, std::int32_t y) {
  f_armed = false;
  if (m_Hit_Test(x, y) && f_enabled && f_visible) {
    f_armed = true;
    f_repeat_time = 0.0f;
  }
}

bool TDC_Button::m_Release_Clicks(std::int32_t x, std::int32_t y, bool released_elsewhere) {
  const bool click = !released_elsewhere && m_Hit_Test(x, y) && f_armed && f_enabled && f_visible;
  f_armed = false;
  return click;
}

void TDC_Button::m_Click(TMouse_Button button, TShift_State shift) {
  if (!OnClick) return;
  const TButton_Click_Event event = OnClick;
  event(f_name, button, shift);
}

void TDC_Button::m_On_Mouse_Up(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y,
                               bool released_elsewhere) {
  if (m_Release_Clicks(x, y, released_elsewhere) && OnClick) {
    Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_BUTTON_CLICK, UI_SOUND_VOLUME);
    m_Click(button, shift);
  }
}

void TDC_Button::m_On_Timer(float elapsed) {
  if (!(f_visible && f_enabled && f_auto_repeat && f_armed)) return;
  f_repeat_time += elapsed;
  if (f_repeat_time > f_repeat_interval) {
    f_repeat_time = 0.0f;
    m_Click(MB_LEFT, 0);
  }
}

void TDC_Button::m_Draw(double) {
  if (!f_visible) return;
  const bool disabled = !f_enabled;
  if (f_custom_draw_first && f_custom_draw) {
    const TColor fill = f_enabled && (f_pressed || f_hovered) ? User_Settings.m_Get_Mouse_Over_Highlight_Color()
                                                              : User_Settings.m_Get_Button_Background_Color();
    const std::int32_t left = Checked_Add(f_x, 2);
    const std::int32_t top = Checked_Add(f_y, 2);
    const TRect rect{left, top, Checked_Add(left, Checked_Sub(f_width, 3)), Checked_Add(top, Checked_Sub(f_height, 3))};
    G_Draw_2D_Color_Part(fill, rect, false, false);
    f_custom_draw(f_name, f_tag, f_x, f_y, f_width, f_height, f_hovered, f_pressed, disabled);
  }
  if (!f_no_frame) {
    bool show_disabled = disabled, show_pressed = f_pressed && !f_no_pressed_look, show_hovered = f_hovered;
    if (disabled && f_no_disabled_look) show_disabled = show_pressed = show_hovered = false;
    Gui_Display_Link().m_Draw_Button_Frame(f_x, f_y, f_image, f_style, show_hovered, show_pressed, show_disabled);
  }
  if (!f_custom_draw_first && f_custom_draw)
    f_custom_draw(f_name, f_tag, f_x, f_y, f_width, f_height, f_hovered, f_pressed, disabled);
}
