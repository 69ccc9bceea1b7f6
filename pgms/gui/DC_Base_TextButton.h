// A button with a caption in one of the main fonts: centred, or aligned
// left or right with offsets, shifted 2 pixels while pressed, optionally
// with a black shadow (the caption then white).
#pragma once

#include <cstdint>
#include <string>

#include "DC_Base_Button.h"

class TDC_Text_Button : public TDC_Button {
public:
  TDC_Text_Button();

  bool m_Reload_Images() override;
  bool m_On_Key_Down(std::uint16_t&, TShift_State) override { return false; }
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override { m_Layout_Caption(); }

  // Stores the caption; lays it out again only when it changed.
  void m_Set_Text(const std::string& text);
  void m_Set_Font(std::int32_t font) { f_font = font; }
  void m_Set_Shadow() { f_shadow = true; }

  const std::string& m_Caption() const { return f_caption; }
  std::int32_t m_Caption_X() const { return f_caption_x; }
  std::int32_t m_Caption_Y() const { return f_caption_y; }

  // Set directly by the owner.
  std::int32_t f_y_offset = 0, f_x_offset = 0;
  bool f_align_left = false, f_align_right = false;
  bool f_shift_when_pressed = true;

protected:
  void m_Layout_Caption();

  std::string f_caption;
  std::int32_t f_caption_x = 0, f_caption_y = 0;
  std::int32_t f_font = 2;
  bool f_shadow = false;
};
