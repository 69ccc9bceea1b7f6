// The in-frame message box: 400 x 200, a title, a text (or lines), one or
// two buttons and, in the edit mode, an edit box. Modal, centred, draggable
// by its title bar; Enter acts as button 2 and Escape as button 1. The
// pressed button becomes a result value chosen by the opener.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DC_Base_DisplayClass.h"
#include "DC_Base_EditText.h"
#include "DC_Base_TextButton.h"

// The box's buttons (button 1 / button 2).
enum class TMessage_Box_Mode : std::uint8_t {
  Close = 0,          // "Close" alone
  Ok_Cancel = 1,      // "Cancel" / "OK"
  Yes_No = 2,         // "No" / "Yes"
  Continue_Quit = 3,  // "Quit" / "Continue"
  Edit = 4,           // "Cancel" / "OK" with an edit box
};

class TDC_Dlg_Message : public TDisplay_Class {
public:
  TDC_Dlg_Message();
  ~TDC_Dlg_Message() override;

  std::int32_t m_Get_Width() override { return 400; }
  std::int32_t m_Get_Height() override { return 200; }
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override;

  void m_Setup(const std::string& title, const std::string& text, const std::string& edit_label,
               const std::string& edit_text, TMessage_Box_Mode mode, std::uint8_t ok_value, std::uint8_t cancel_value,
               std::int32_t tag, bool password, std::int32_t caller_value_1, std::int32_t caller_value_2,
               std::int32_t caller_value_3);

  TMessage_Box_Mode m_Get_Mode() const { return f_mode; }
  std::int32_t m_Get_Tag() const { return f_tag; }
  const std::string& m_Get_Title() const { return f_title; }
  const std::string& m_Get_Text() const { return f_text; }
  // The OK value when button 2 was pressed, else the Cancel value.
  std::uint8_t m_Get_Result() const { return f_pressed == 2 ? f_ok_value : f_cancel_value; }
  std::string m_Get_Edit_Text() const { return f_edit_box ? f_edit_box->m_Text() : std::string(); }
  std::int32_t m_Pressed() const { return f_pressed; }
  std::int32_t m_Caller_Value(int n) const { return n == 1 ? f_caller_1 : n == 2 ? f_caller_2 : f_caller_3; }
  TDC_Text_Button& m_Button_1() { return f_close_button; }
  TDC_Text_Button& m_Button_2() { return f_ok_button; }
  TDC_EditText* m_Edit_Box() { return f_edit_box.get(); }

  // When not empty, drawn line by line instead of the text.
  std::vector<std::string> f_lines;

protected:
  void m_On_Button(const std::string& name);

  std::int32_t f_background = 0;
  TDC_Text_Button f_close_button, f_ok_button;
  std::unique_ptr<TDC_EditText> f_edit_box;
  std::string f_title;
  std::string f_text;
  std::string f_edit_label;
  TMessage_Box_Mode f_mode = TMessage_Box_Mode::Close;
  std::uint8_t f_ok_value = 0, f_cancel_value = 0;
  std::int32_t f_tag = 0;
  std::int32_t f_caller_1 = 0, f_caller_2 = 0, f_caller_3 = 0;
  std::int32_t f_pressed = 1;
};
