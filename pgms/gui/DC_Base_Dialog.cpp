#include "DC_Base_Dialog.h"

TDC_Dlg_BaseDialog::TDC_Dlg_BaseDialog() : TDisplay_Class(DC_KIND_WINDOW) {}

TDC_Dlg_BaseDialog::~TDC_Dlg_BaseDialog() {
  if (f_message_dialog) f_message_dialog->m_Set_Visible(false);
  if (f_list_dialog) f_list_dialog->m_Set_Visible(false);
  if (f_progress_dialog) f_progress_dialog->m_Set_Visible(false);
  f_message_dialog.reset();
  f_list_dialog.reset();
  f_progress_dialog.reset();
}

void TDC_Dlg_BaseDialog::m_On_Edit_Answer(std::int32_t, std::uint8_t, const std::string&) {}
void TDC_Dlg_BaseDialog::m_On_Question_Answer(std::int32_t, std::uint8_t) {}

void TDC_Dlg_BaseDialog::m_Open_Child(TDisplay_Class& child, const std::string& name) {
  child.m_Set_Position_Centered(name, true);
  child.m_Set_Layer(1);
  child.m_Set_Visible(true);
  Add_Child_Control(&child);
}

void TDC_Dlg_BaseDialog::m_Open_Message(const std::string& title, const std::string& text,
                                        const std::string& edit_label, const std::string& edit_text,
                                        TMessage_Box_Mode mode, std::uint8_t ok_value, std::uint8_t cancel_value,
                                        std::int32_t tag, bool password) {
  f_message_dialog = std::make_unique<TDC_Dlg_Message>();
  f_message_dialog->m_Set_Position_Centered("Dlg Message", true);
  f_message_dialog->m_Setup(title, text, edit_label, edit_text, mode, ok_value, cancel_value, tag, password, 0, 0,
                            0);
  m_Open_Child(*f_message_dialog, "Dlg Message");
}

void TDC_Dlg_BaseDialog::m_Show_Question(const std::string& title, const std::string& text, std::int32_t tag,
                                         std::uint8_t ok_value) {
  if (!f_message_dialog) m_Open_Message(title, text, "", "", TMessage_Box_Mode::Ok_Cancel, ok_value, 0, tag, false);
}

void TDC_Dlg_BaseDialog::m_Show_Info_Message(const std::string& title, const std::string& text, std::int32_t tag) {
  if (!f_message_dialog) m_Open_Message(title, text, "", "", TMessage_Box_Mode::Close, 0, 0, tag, false);
}

void TDC_Dlg_BaseDialog::m_Show_Message(const std::string& title, const std::string& text, TMessage_Box_Mode mode,
                                        std::uint8_t ok_value, std::uint8_t cancel_value) {
  if (f_message_dialog) {
    f_queue_titles.push_back(title);
    f_queue_texts.push_back(text);
    f_queue_modes.push_back(mode);
    f_queue_ok_values.push_back(ok_value);
    f_queue_cancel_values.push_back(cancel_value);
    return;
  }
  m_Open_Message(title, text, "", "", mode, ok_value, cancel_value, 0, false);
}

void TDC_Dlg_BaseDialog::m_Show_Edit_Question(const std::string& title, const std::string& text,
                                              const std::string& edit_label, const std::string& edit_text,
                                              std::int32_t tag, std::uint8_t ok_value, std::uint8_t cancel_value,
                                              bool password) {
  if (!f_message_dialog)
    m_Open_Message(title, text, edit_label, edit_text, TMessage_Box_Mode::Edit, ok_value, cancel_value, tag, password);
}

void TDC_Dlg_BaseDialog::m_Open_Progress() {
  if (f_progress_dialog) return;
  f_progress_dialog = std::make_unique<TDC_Dlg_Progress>();
  m_Open_Child(*f_progress_dialog, "Dlg Progress");
}

void TDC_Dlg_BaseDialog::m_Close_Progress() {
  if (!f_progress_dialog) return;
  f_progress_dialog->m_Set_Visible(false);
  f_progress_dialog.reset();
}

void TDC_Dlg_BaseDialog::m_Show_List(const std::vector<std::string>& rows, const std::string& title,
                                     const std::string& subtitle) {
  if (f_list_dialog) return;
  f_list_dialog = std::make_unique<TDC_Dlg_List>();
  m_Open_Child(*f_list_dialog, "Dlg List");
  f_list_dialog->m_Setup(title, subtitle, rows);
}

void TDC_Dlg_BaseDialog::m_On_Child_Killed(const std::string& child_name) {
  TDisplay_Class::m_On_Child_Killed(child_name);
  if (child_name == "Dlg Message" && f_message_dialog) {
    f_message_dialog->m_Set_Visible(false);
    const TMessage_Box_Mode mode = f_message_dialog->m_Get_Mode();
    const std::int32_t tag = f_message_dialog->m_Get_Tag();
    const std::uint8_t result = f_message_dialog->m_Get_Result();
    const std::string edit_text = f_message_dialog->m_Get_Edit_Text();
    f_message_dialog.reset();
    if (mode == TMessage_Box_Mode::Edit) m_On_Edit_Answer(tag, result, edit_text);
    if (mode == TMessage_Box_Mode::Ok_Cancel) m_On_Question_Answer(tag, result);
    if (!f_queue_titles.empty() && !f_message_dialog) {
      const std::string title = f_queue_titles.front(), text = f_queue_texts.front();
      const TMessage_Box_Mode queued_mode = f_queue_modes.front();
      const std::uint8_t ok = f_queue_ok_values.front(), cancel = f_queue_cancel_values.front();
      f_queue_titles.erase(f_queue_titles.begin());
      f_queue_texts.erase(f_queue_texts.begin());
      f_queue_modes.erase(f_queue_modes.begin());
      f_queue_ok_values.erase(f_queue_ok_values.begin());
      f_queue_cancel_values.erase(f_queue_cancel_values.begin());
      m_Show_Message(title, text, queued_mode, ok, cancel);
    }
  } else if (child_name == "Dlg List" && f_list_dialog) {
    f_list_dialog->m_Set_Visible(false);
    f_list_dialog.reset();
  } else if (child_name == "Dlg Progress" && f_progress_dialog) {
    f_progress_dialog->m_Set_Visible(false);
    f_progress_dialog.reset();
  }
}
