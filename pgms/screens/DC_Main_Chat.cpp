#include "DC_Main_Chat.h"

#include "Errors.h"
#include "GameSettings.h"
#include "GraphicsEngine.h"
#include "Multiplayer_GameActions.h"
#include "Multiplayer_Types.h"

TDC_Main_Chat::TDC_Main_Chat() : TDisplay_Class(DC_KIND_WINDOW) {
  f_list.m_Set_Help_Ref(1, 4, 2, "", 0);
  f_list.m_Set_Shadow_Color(0, 0, 0);
  f_list.f_word_wrap = true;
  f_list.f_hover_highlight = false;
  f_list.f_no_background = true;
  f_list.m_Set_Auto_Scrollbar(true);
  f_list.m_Set_Visible(true);
  f_edit.m_Set_Shadow_Color(0, 0, 0);
  f_edit.m_Set_Help_Ref(1, 4, 3, "", 0);
  f_edit.m_Set_Visible(true);
  Add_Child_Control(&f_list);
  Add_Child_Control(&f_edit);
  m_On_Reposition();
}

void TDC_Main_Chat::m_On_Reposition() {
  const std::int32_t list_height = f_height > 22 ? f_height - 22 : 0;
  f_list.m_Set_Name_And_Bounds("Control List Chat", f_x, f_y, f_width, list_height);
  f_edit.m_Set_Position("Control Edit Text", f_x, Checked_Add(f_y, list_height), f_width, 22);
}

void TDC_Main_Chat::m_Trim() {
  while (f_list.m_Get_Row_Count() > Max_Lines) f_list.m_Delete_Row(1);
  f_list.m_Scroll_To_End();
}

void TDC_Main_Chat::m_Add_Line(const std::string& text) {
  f_list.m_Add_Row(text, "", 0);
  m_Trim();
}

void TDC_Main_Chat::m_Set_Lines(const std::vector<std::string>& lines) {
  f_list.m_Clear();
  for (const std::string& line : lines) f_list.m_Add_Row(line, "", 0);
  m_Trim();
}

void TDC_Main_Chat::m_Focus_Edit() {
  if (f_edit.m_Can_Focus()) f_edit.m_Set_Focus();
}

void TDC_Main_Chat::m_Send_Line() {
  const std::string text = f_edit.m_Text();
  switch (Game_Kind()) {
    case TGame_Kind::Host: Send_Chat_To_All(Game_Settings.m_Player(1).f_player_name, text); break;
    case TGame_Kind::Joined:
      MP_Game_Links().m_Send_To_Host(MP_Encode_Byte(LAN_MSG_TO_SERVER_CHAT) + MP_Encode_String(MP_Login_Player_Name) +
                                     MP_Encode_String(text));
      break;
    default: break;
  }
  f_edit.m_Set_Text("");
}

bool TDC_Main_Chat::m_On_Key_Down(std::uint16_t& key, TShift_State) {
  if (key != VK_RETURN || !f_visible) return false;
  if (f_edit.m_Text().empty())
    m_Set_Visible(false);
  else
    m_Send_Line();
  return false;
}

void TDC_Main_Chat::m_Draw(double) {
  G_Draw_2D_Color_Part(G_Make_Color_RGBA(14, 27, 34, 50), TRect{f_x, f_y, f_x + f_width, f_y + f_height}, false, true);
  const TColor edge = G_Make_Color_RGBA(89, 89, 89, 0);
  auto line = [&](std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
    G_Draw_2D_Color_Part(edge, TRect{x, y, x + w, y + h}, false, false);
  };
  line(f_x, f_y, f_width, 1);
  line(f_x, f_y, 1, f_height);
  line(f_x + f_width, f_y, 1, f_height);
  line(f_x, f_y + f_height, f_width, 1);
  line(f_x, f_y + f_height - 21, f_width, 1);
}
