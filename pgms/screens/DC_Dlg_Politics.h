// The politics dialog ("Dlg Politics") and its message composer ("Dlg Send
// Message"). The politics dialog lists the diplomatic messages the current
// player sent or received, shows the relations between the nations and lets
// the player compose a message, answer a proposal or withdraw a message of
// his own. Nothing in the running game opens it; sending a composed message
// does nothing yet, so the diplomacy it prepares has no effect.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "DC_Base_ComboBox.h"
#include "DC_Base_DisplayClass.h"
#include "DC_Base_EditText.h"
#include "DC_Base_List.h"
#include "DC_Base_TextButton.h"
#include "ListWindowFuncs.h"

class TEmpire;

// Which answer buttons a message allows the current player: Accept and
// Decline for a proposal of alliance (type 2) from another player, Cancel for
// his own message, both only while the message is of the current date or the
// one before.
struct TPolitics_Buttons {
  bool accept = false, decline = false, cancel = false;
};
TPolitics_Buttons Politics_Buttons_For(std::int32_t message_date, std::uint8_t from, std::int32_t message_type,
                                       std::int32_t game_date, std::uint8_t player);

class TDC_Dlg_SendMessage : public TDisplay_Class {
public:
  TDC_Dlg_SendMessage();
  ~TDC_Dlg_SendMessage() override;

  std::int32_t m_Get_Width() override { return 400; }
  std::int32_t m_Get_Height() override { return 214; }
  void m_On_Child_Killed(const std::string& name) override { TDisplay_Class::m_On_Child_Killed(name); }
  void m_On_Mouse_Down(TMouse_Button, TShift_State, std::int32_t, std::int32_t) override {}
  void m_On_Mouse_Up(TMouse_Button, TShift_State, std::int32_t, std::int32_t, bool) override {}
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override;

  void m_Set_Accept_Reply(std::uint8_t player) { m_Set_Reply(player, "Accept Proposal", "4"); }
  void m_Set_Decline_Reply(std::uint8_t player) { m_Set_Reply(player, "Decline Proposal", "5"); }
  // Sending a message is not part of the game yet.
  void m_Send() {}
  void m_Button_Click(const std::string& name);
  TDC_Combobox& m_Send_To() { return f_send_to; }
  TDC_Combobox& m_Type() { return f_type; }

private:
  void m_Set_Reply(std::uint8_t player, const std::string& text, const std::string& key);
  void m_Draw_Nation(std::uint8_t player, std::int32_t x, std::int32_t y, std::int32_t name_x);

  std::int32_t f_background = 0;
  TDC_Text_Button f_ok, f_cancel;
  TDC_Combobox f_send_to, f_type;
  TDC_EditText f_edit;
};

class TDC_Dlg_Politics : public TDisplay_Class {
public:
  TDC_Dlg_Politics();
  ~TDC_Dlg_Politics() override;

  std::int32_t m_Get_Width() override { return 1024; }
  std::int32_t m_Get_Height() override { return 768; }
  void m_On_Child_Killed(const std::string& name) override;
  void m_On_Mouse_Down(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y) override;
  void m_On_Mouse_Up(TMouse_Button, TShift_State, std::int32_t, std::int32_t, bool) override {}
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override;

  void m_Button_Click(const std::string& name);
  void m_Build_Grid();
  void m_Update_Buttons();
  std::int32_t m_Row_Count() const { return f_row_count; }
  TDC_List& m_List() { return f_list; }
  TDC_Text_Button& m_Button(std::int32_t i) { return f_buttons[std::size_t(i - 1)]; }
  TDC_Dlg_SendMessage* m_Composer() const { return f_composer.get(); }

private:
  void m_Open_Composer(std::int32_t reply_type);
  std::int32_t m_Selected_Grid_Row() const;
  void m_Draw_Row(std::int32_t row, std::int32_t x, std::int32_t top);

  std::int32_t f_background = 0;
  std::array<TDC_Text_Button, 5> f_buttons;
  TDC_List f_list;
  TList_Window_Grid f_grid;
  std::int32_t f_row_count = 0;
  TList_Window_Headers f_headers;
  TList_Window_Row_Order f_order;
  TList_Window_Sort_Keys f_keys{};
  std::int32_t f_hovered_header = 0;
  std::array<std::array<std::uint8_t, 9>, 9> f_relations{};
  TEmpire* f_empire = nullptr;
  std::unique_ptr<TDC_Dlg_SendMessage> f_composer;
};
