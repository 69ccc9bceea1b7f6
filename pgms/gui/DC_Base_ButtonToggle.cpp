#include "DC_Base_ButtonToggle.h"

void TDC_Button_Toggle::m_Set_Frames(std::int32_t on_image, std::int32_t off_image) {
  f_on_image = on_image;
  f_off_image = off_image;
  f_image = off_image;
}

// The toggle flips only on a click (press and release on it), so a release
// that started elsewhere, such as choosing from a list opened over it,
// leaves it alone; the click sounds once whether or not OnClick is set.
void TDC_Button_Toggle::m_On_Mouse_Up(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y,
                                      bool released_elsewhere) {
  if (!m_Release_Clicks(x, y, released_elsewhere)) return;
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_BUTTON_CLICK, UI_SOUND_VOLUME);
  m_Set_On(!m_Is_On());
  m_Click(button, shift);
}
