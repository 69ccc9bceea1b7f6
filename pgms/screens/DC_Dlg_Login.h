// The login box of a joining machine: a title, a prompt, three labelled
// edit boxes (player name, nation name, password) and Cancel / OK. For a
// resumed game a list of the player names the host offers replaces the
// first edit box; choosing a name fills in its nation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DC_Base_ComboBox.h"
#include "DC_Base_DisplayClass.h"
#include "DC_Base_EditText.h"
#include "DC_Base_TextButton.h"

// How the login box closed (the box itself never sets None).
enum class TLogin_Result : std::int32_t { None = 0, Cancelled = 1, Ok = 2 };

class TDC_Dlg_Login : public TDisplay_Class {
public:
  TDC_Dlg_Login();
  ~TDC_Dlg_Login() override;

  std::int32_t m_Get_Width() override { return 400; }
  std::int32_t m_Get_Height() override { return 200; }
  bool m_Reload_Images() override;
  void m_On_Child_Killed(const std::string& child_name) override { TDisplay_Class::m_On_Child_Killed(child_name); }
  void m_On_Mouse_Down(TMouse_Button, TShift_State, std::int32_t, std::int32_t) override {}
  void m_On_Mouse_Up(TMouse_Button, TShift_State, std::int32_t, std::int32_t, bool) override {}
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override;

  void m_Setup(const std::string& title, const std::string& prompt, const std::string& value_1,
               const std::string& value_2, const std::string& value_3, const std::string& label_1,
               const std::string& label_2, const std::string& label_3);
  // Names with their values as keys: the list replaces edit box 1.
  void m_Set_Choices(const std::vector<std::string>& names, const std::vector<std::string>& values);
  // The three texts; with choices the chosen name is the first.
  std::vector<std::string> m_Get_Values() const;

  // How the box closed (closing it any other way than OK cancels it).
  TLogin_Result f_result = TLogin_Result::Cancelled;

  TDC_Text_Button& m_Button(int i) { return f_buttons[i == 1 ? 0 : 1]; }
  TDC_EditText& m_Edit(int j) { return f_edits[j - 1]; }
  TDC_Combobox& m_Choices() { return f_choices; }
  bool m_Uses_Choices() const { return f_use_choices; }

private:
  void m_On_Button(const std::string& name);

  std::int32_t f_background = 0;
  TDC_Text_Button f_buttons[2];
  TDC_EditText f_edits[3];
  std::string f_labels[3];
  TDC_Combobox f_choices;
  std::string f_title, f_prompt;
  bool f_use_choices = false;
  std::vector<std::string> f_choice_names, f_choice_values;
};
