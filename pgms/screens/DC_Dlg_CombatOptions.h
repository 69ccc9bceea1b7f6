// The combat options: the battle view's grid and its movement speed (Low,
// Medium, High), shown by toggles and written to the registry when the
// dialog is closed by Close or Escape.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "DC_Base_ButtonToggle.h"
#include "DC_Base_DisplayClass.h"
#include "DC_Base_TextButton.h"

class TMachine_Options;

// Toggle 1 "Show Combat Grid", toggles 2..4 the speeds 1..3.
using TCombat_Option_Toggles = std::array<bool, 4>;
TCombat_Option_Toggles Combat_Options_Toggles(const TMachine_Options& options);
// The grid from toggle 1; the speed after the first of toggles 2..4 that is
// on (unchanged when none is).
void Combat_Options_Store(const TCombat_Option_Toggles& toggles, TMachine_Options& options);

class TDC_Dlg_Combat_Options : public TDisplay_Class {
 public:
  TDC_Dlg_Combat_Options();
  ~TDC_Dlg_Combat_Options() override;

  std::int32_t m_Get_Width() override { return 600; }
  std::int32_t m_Get_Height() override { return 600; }
  bool m_Reload_Images() override;
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override;

  void m_Close();
  TDC_Button_Toggle& m_Toggle(std::int32_t j) { return f_toggles.at(std::size_t(j - 1)); }
  TDC_Text_Button& m_Close_Button() { return f_close_button; }
  TCombat_Option_Toggles m_Toggles() const;

 private:
  void m_On_Toggle(std::int32_t j);

  std::int32_t f_background = 0;
  TDC_Text_Button f_close_button;
  std::array<TDC_Button_Toggle, 4> f_toggles;
};
