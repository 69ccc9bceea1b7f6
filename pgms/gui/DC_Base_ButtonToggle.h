// A button that flips between an on image and an off image on every click
// (a press and a release on it), with one click sound.
#pragma once

#include <cstdint>

#include "DC_Base_Button.h"

class TDC_Button_Toggle : public TDC_Button {
public:
  bool m_Reload_Images() override { return TDC_Button::m_Reload_Images(); }
  void m_On_Mouse_Up(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y,
                     bool released_elsewhere) override;

  // Stores both images and shows the off image.
  void m_Set_Frames(std::int32_t on_image, std::int32_t off_image);
  bool m_Is_On() const { return f_image == f_on_image; }
  void m_Set_On(bool on) { f_image = on ? f_on_image : f_off_image; }

protected:
  std::int32_t f_on_image = 0, f_off_image = 0;
};
