// The chat panel of a network game: the received chat lines and network
// notices (the newest 500) above a one-line edit box. Enter sends the typed
// line to every player; Enter on an empty line hides the panel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DC_Base_DisplayClass.h"
#include "DC_Base_EditText.h"
#include "DC_Base_List.h"

class TDC_Main_Chat : public TDisplay_Class {
public:
  // Most lines the panel keeps.
  static constexpr std::int32_t Max_Lines = 500;

  TDC_Main_Chat();

  void m_On_Child_Killed(const std::string&) override {}
  bool m_On_Mouse_Wheel(TShift_State, std::int16_t, std::int32_t, std::int32_t) override { return false; }
  void m_On_Mouse_Down(TMouse_Button, TShift_State, std::int32_t, std::int32_t) override {}
  void m_On_Mouse_Up(TMouse_Button, TShift_State, std::int32_t, std::int32_t, bool) override {}
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override;
  void m_On_Timer(float) override {}

  void m_Add_Line(const std::string& text);
  void m_Set_Lines(const std::vector<std::string>& lines);
  void m_Focus_Edit();
  // Sends the edit box's text to the other players and empties it.
  void m_Send_Line();

  TDC_List& m_List() { return f_list; }
  TDC_EditText& m_Edit() { return f_edit; }

private:
  void m_Trim();

  TDC_List f_list;
  TDC_EditText f_edit;
};
