#include "DC_Base_TextButton.h"

#include "Datafile_UserSettings.h"
#include "Errors.h"

TDC_Text_Button::TDC_Text_Button() { m_Layout_Caption(); }

bool TDC_Text_Button::m_Reload_Images() {
  const bool result = TDC_Button::m_Reload_Images();
  m_Layout_Caption();
  return result;
}

void TDC_Text_Button::m_Set_Text(const std::string& text) {
  if (text == f_caption) return;
  f_caption = text;
  m_Layout_Caption();
}

void TDC_Text_Button::m_Layout_Caption() {
  TGui_Text_Link& text = Gui_Text_Link();
  text.m_Set_Font(f_font);
  std::int32_t w = 0, h = 0;
  text.m_Get_Text_Extents(f_caption, w, h);
  const bool centred = !f_align_left && !f_align_right;
  if (f_align_left)
    f_caption_x = Checked_Add(f_x, f_x_offset);
  else if (f_align_right)
    f_caption_x = Checked_Sub(Checked_Sub(Checked_Add(f_x, f_width), f_x_offset), w);
  else
    f_caption_x = Checked_Add(Checked_Sub(Checked_Add(Checked_Add(f_x, f_width / 2), f_x_offset), w / 2), 1);
  f_caption_y = Checked_Sub(Checked_Add(Checked_Add(f_y, f_height / 2), f_y_offset), h / 2);
  if (centred) f_caption_y = Checked_Sub(f_caption_y, 1);
}

void TDC_Text_Button::m_Draw(double elapsed) {
  TDC_Button::m_Draw(elapsed);
  if (!f_visible) return;
  TGui_Text_Link& text = Gui_Text_Link();
  text.m_Set_Font(f_font);
  std::int32_t x = f_caption_x, y = f_caption_y;
  if (f_pressed && f_shift_when_pressed) {
    x = Checked_Add(x, 2);
    y = Checked_Add(y, 2);
  }
  if (f_shadow) {
    text.m_Set_Color(Make_Color(0, 0, 0));
    text.m_Draw_Text(Checked_Add(x, 1), Checked_Add(y, 1), f_caption);
    text.m_Set_Color(Make_Color(255, 255, 255));
  }
  if (!f_enabled && !f_no_disabled_look) text.m_Set_Color(User_Settings.m_Get_Disabled_Text_Color());
  text.m_Draw_Text(x, y, f_caption);
}
