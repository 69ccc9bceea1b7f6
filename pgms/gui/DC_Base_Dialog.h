// The base of dialogs that open message boxes, list dialogs and progress
// dialogs as their own modal children and want the answers back. It owns at
// most one child of each kind, frees them when they close, turns a closed
// message box into m_On_Question_Answer (Ok_Cancel) or m_On_Edit_Answer
// (Edit), and queues messages shown while another is open.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DC_Base_DisplayClass.h"
#include "DataFile_Base_Loader.h"
#include "DC_Dlg_List.h"
#include "DC_Dlg_Message.h"
#include "DC_Dlg_Progress.h"

// It is also the owner a data-file loader reports its errors to: the game
// setup hands itself to the map-type loader, and the errors open as its
// list dialog.
class TDC_Dlg_BaseDialog : public TDisplay_Class, public TList_Dialog_Owner {
public:
  TDC_Dlg_BaseDialog();
  ~TDC_Dlg_BaseDialog() override;

  void m_On_Child_Killed(const std::string& child_name) override;
  virtual void m_On_Edit_Answer(std::int32_t tag, std::uint8_t result, const std::string& edit_text);
  virtual void m_On_Question_Answer(std::int32_t tag, std::uint8_t result);

  void m_Show_Question(const std::string& title, const std::string& text, std::int32_t tag, std::uint8_t ok_value);
  void m_Show_Info_Message(const std::string& title, const std::string& text, std::int32_t tag);
  void m_Show_Message(const std::string& title, const std::string& text, TMessage_Box_Mode mode,
                      std::uint8_t ok_value, std::uint8_t cancel_value);
  // An edit-mode box asking for a text (the edit label above the box).
  void m_Show_Edit_Question(const std::string& title, const std::string& text, const std::string& edit_label,
                            const std::string& edit_text, std::int32_t tag, std::uint8_t ok_value,
                            std::uint8_t cancel_value, bool password);
  void m_Open_Progress();
  void m_Close_Progress();
  void m_Show_List(const std::vector<std::string>& rows, const std::string& title,
                   const std::string& subtitle) override;

  TDC_Dlg_Message* m_Message_Dialog() { return f_message_dialog.get(); }
  TDC_Dlg_List* m_List_Dialog() { return f_list_dialog.get(); }
  TDC_Dlg_Progress* m_Progress_Dialog() { return f_progress_dialog.get(); }
  std::size_t m_Queued_Messages() const { return f_queue_titles.size(); }

protected:
  void m_Open_Message(const std::string& title, const std::string& text, const std::string& edit_label,
                      const std::string& edit_text, TMessage_Box_Mode mode, std::uint8_t ok_value,
                      std::uint8_t cancel_value, std::int32_t tag, bool password);
  // Centred, modal, on layer 1, shown and added.
  void m_Open_Child(TDisplay_Class& child, const std::string& name);

  std::unique_ptr<TDC_Dlg_Message> f_message_dialog;
  std::unique_ptr<TDC_Dlg_List> f_list_dialog;
  std::unique_ptr<TDC_Dlg_Progress> f_progress_dialog;
  std::vector<std::string> f_queue_titles, f_queue_texts;
  std::vector<TMessage_Box_Mode> f_queue_modes;
  std::vector<std::uint8_t> f_queue_ok_values, f_queue_cancel_values;
};
