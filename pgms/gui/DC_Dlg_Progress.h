// The stock progress dialog: a caption and a blue bar that grows with a
// percentage; at 100 it marks itself killed. While one exists
// G_Progress_Dialog_Shown is set.
#pragma once

#include <cstdint>
#include <string>

#include "DC_Base_DisplayClass.h"

class TDC_Dlg_Progress : public TDisplay_Class {
public:
  TDC_Dlg_Progress();
  ~TDC_Dlg_Progress() override;

  std::int32_t m_Get_Width() override { return 400; }
  std::int32_t m_Get_Height() override { return 94; }
  void m_Draw(double elapsed) override;

  void m_Set_Caption(const std::string& text) { f_caption = text; }
  void m_Set_Percent(std::int32_t percent);
  std::int32_t m_Percent() const { return f_percent; }
  // The bar's width in pixels (0..392).
  std::int32_t m_Bar_Width() const;

protected:
  std::int32_t f_background = 0;
  std::string f_caption;
  std::int32_t f_percent = 0;
};
