#include "DC_Dlg_Politics.h"

#include "DC_Dlg_List.h"
#include "Display.h"
#include "Empire.h"
#include "GameSettings.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Texture.h"
#include "Io.h"
#include "MapClass.h"
#include "MessageLog.h"
#include "Path.h"

namespace {
const char* const Politics_Button_Names[5] = {"POLITICS_CONTROL_BUTTON_CLOSE", "POLITICS_CONTROL_BUTTON_SEND",
                                              "POLITICS_CONTROL_BUTTON_ACCEPT", "POLITICS_CONTROL_BUTTON_DECLINE",
                                              "POLITICS_CONTROL_BUTTON_CANCEL"};
const char* const Politics_Captions[5] = {"Close", "Send Message", "Accept", "Decline", "Cancel Msg"};
constexpr std::int32_t Politics_Button_X[5] = {929, 5, 97, 189, 281};

void Make_Button(TDC_Text_Button& b, const std::string& caption, std::int32_t tag) {
  b.m_Set_Style(2, 90, 22, 0, tag);
  b.m_Set_Font(2);
  b.m_Set_Shadow();
  b.m_Set_Text(caption);
  b.m_Set_Help_Ref(1, 4, tag, "", 0);
}

// The panels behind the two dialogs.
std::int32_t Plain_Background(bool large) {
  if (!Path_Settings) return 0;
  return Gui_Load_Background(
      Path_Settings->m_Resolve_File("images\\ui\\", large ? "Dlg_Politics.bmp" : "Dlg_SendMessage.bmp"));
}

void Draw_Flag(std::int32_t x, std::int32_t y, std::int64_t player) {
  if (const TEmpire* e = Empire_Get(player))
    Gui_Display_Link().m_Draw_Grid_Icon(x, y, e->m_Get_Color_Index(), e->m_Get_Flag_Index());
}

// Relation icons: none, friendly, hostile.
void Draw_Relation(std::int32_t x, std::int32_t y, std::int32_t relation) {
  const TColor colours[3] = {Make_Color(90, 96, 110, 255), Make_Color(70, 160, 80, 255), Make_Color(190, 60, 50, 255)};
  G_Draw_2D_Color_Part(colours[std::clamp(relation, 0, 2)], {x + 8, y + 2, x + 24, y + 14}, false, false);
}
}  // namespace

TPolitics_Buttons Politics_Buttons_For(std::int32_t message_date, std::uint8_t from, std::int32_t message_type,
                                       std::int32_t game_date, std::uint8_t player) {
  TPolitics_Buttons b;
  if (message_date < game_date - 1) return b;
  if (message_type == 2 && from != player) b.accept = b.decline = true;
  if (from == player) b.cancel = true;
  return b;
}

// --- the composer ---------------------------------------------------------------------

TDC_Dlg_SendMessage::TDC_Dlg_SendMessage() : TDisplay_Class(DC_KIND_WINDOW) {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_OPENED, UI_SOUND_VOLUME);
  f_background = Plain_Background(false);
  Make_Button(f_ok, "OK", 1);
  Make_Button(f_cancel, "Cancel", 2);
  f_ok.m_Set_Position("SENDMESSAGE_CONTROL_BUTTON_OK", 0, 0);
  f_cancel.m_Set_Position("SENDMESSAGE_CONTROL_BUTTON_CANCEL", 0, 0);
  for (TDC_Text_Button* b : {&f_ok, &f_cancel})
    b->OnClick = [this](const std::string& name, TMouse_Button, TShift_State) { m_Button_Click(name); };
  f_send_to.m_Set_Name_And_Bounds("Combobox Send To", 0, 0, 372, 22);
  f_send_to.m_Set_Row_Height(std::max<std::int32_t>(16, Game_Settings.f_flag_height));
  f_send_to.m_Hide_Edit();
  f_send_to.m_Set_Draw_Callback([this](const std::string&, std::int32_t, std::int32_t x, std::int32_t top, std::int32_t,
                                       std::int32_t, bool, bool, const std::string&, const std::string& key) {
    m_Draw_Nation(std::uint8_t(Text_To_Int(key.empty() ? "0" : key)), x, top, Game_Settings.f_flag_width + 2);
  });
  f_send_to.OnDrawBox = [this](const std::string&, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t,
                               std::int32_t selected) {
    const std::string key = f_send_to.m_Get_Item_Key(selected);
    if (!key.empty()) m_Draw_Nation(std::uint8_t(Text_To_Int(key)), x + 3, y + 3, Game_Settings.f_flag_width + 2);
  };
  f_type.m_Set_Name_And_Bounds("Combobox Type", 0, 0, 372, 22);
  f_edit.m_Set_Help_Ref(1, 4, 1, "", 0);
  f_edit.m_Set_Position("Edit Box", 0, 0, 370, 22);
  const std::uint8_t player = Game_Settings.f_turn_empire;
  const std::int32_t count = G_Empire_List ? G_Empire_List->m_Get_Count() : 0;
  for (std::int32_t i = 1; i <= count; ++i) {
    const TEmpire* e = Empire_Get(i);
    if (e && !e->m_Get_Neutral() && i != player) f_send_to.m_Add_Item(e->m_Get_Nation_Name(), Int_To_Text(i));
  }
  for (TDisplay_Class* c : {static_cast<TDisplay_Class*>(&f_ok), static_cast<TDisplay_Class*>(&f_cancel),
                            static_cast<TDisplay_Class*>(&f_send_to), static_cast<TDisplay_Class*>(&f_type),
                            static_cast<TDisplay_Class*>(&f_edit)}) {
    c->m_Set_Visible(true);
    Add_Child_Control(c);
  }
  f_edit.m_Set_Focus();
}

TDC_Dlg_SendMessage::~TDC_Dlg_SendMessage() {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_CLOSED, UI_SOUND_VOLUME);
  while (m_Child_Count() > 0) Remove_Child_Control(m_Child(m_Child_Count()));
  Gui_Release_Background(f_background);
}

void TDC_Dlg_SendMessage::m_Set_Reply(std::uint8_t player, const std::string& text, const std::string& key) {
  for (std::int32_t i = 1; i <= f_send_to.m_Get_Item_Count(); ++i)
    if (f_send_to.m_Get_Item_Key(i) == Int_To_Text(player)) f_send_to.m_Select_Item(i);
  f_type.m_Clear();
  f_type.m_Add_Item(text, key);
  f_type.m_Select_Item(1);
}

void TDC_Dlg_SendMessage::m_Button_Click(const std::string& name) {
  if (name == "SENDMESSAGE_CONTROL_BUTTON_OK") {
    m_Send();
    Set_Kill_Object(true);
  } else if (name == "SENDMESSAGE_CONTROL_BUTTON_CANCEL") {
    Set_Kill_Object(true);
  }
}

bool TDC_Dlg_SendMessage::m_On_Key_Down(std::uint16_t& key, TShift_State) {
  if (key != 27) return false;
  m_Button_Click("SENDMESSAGE_CONTROL_BUTTON_CANCEL");
  return true;
}

void TDC_Dlg_SendMessage::m_On_Reposition() {
  f_ok.m_Set_Position("SENDMESSAGE_CONTROL_BUTTON_OK", f_x + 214, f_y + 190);
  f_cancel.m_Set_Position("SENDMESSAGE_CONTROL_BUTTON_CANCEL", f_x + 305, f_y + 190);
  f_send_to.m_Set_Name_And_Bounds("Combobox Send To", f_x + 14, f_y + 48, 372, 22);
  f_type.m_Set_Name_And_Bounds("Combobox Type", f_x + 14, f_y + 96, 372, 22);
  f_edit.m_Set_Position("Edit Box", f_x + 15, f_y + 145, 370, 22);
}

void TDC_Dlg_SendMessage::m_Draw_Nation(std::uint8_t player, std::int32_t x, std::int32_t y, std::int32_t name_x) {
  const TEmpire* e = Empire_Get(player);
  if (!e) return;
  Draw_Flag(x, y, player);
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  font.m_Set_Color(Make_Color(255, 255, 255));
  font.m_Draw_Text_Shadowed(x + name_x, y, e->m_Get_Nation_Name());
}

void TDC_Dlg_SendMessage::m_Draw(double) {
  Gui_Draw_Background(f_background, f_x, f_y, 400, 214);
}

// --- the politics dialog ------------------------------------------------------------------

TDC_Dlg_Politics::TDC_Dlg_Politics() : TDisplay_Class(DC_KIND_WINDOW) {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_OPENED, UI_SOUND_VOLUME);
  f_background = Plain_Background(true);
  f_empire = Empire_Get(Game_Settings.f_turn_empire);
  for (int i = 0; i < 5; ++i) {
    Make_Button(f_buttons[std::size_t(i)], Politics_Captions[i], i + 1);
    f_buttons[std::size_t(i)].m_Set_Position(Politics_Button_Names[i], 0, 0);
    f_buttons[std::size_t(i)].OnClick = [this](const std::string& name, TMouse_Button, TShift_State) {
      m_Button_Click(name);
    };
    f_buttons[std::size_t(i)].m_Set_Enabled(i < 2);
    f_buttons[std::size_t(i)].m_Set_Visible(true);
    Add_Child_Control(&f_buttons[std::size_t(i)]);
  }
  f_list.m_Set_Help_Ref(1, 4, 2, "", 0);
  f_list.f_text_color = Make_Color(0, 0, 0);
  f_list.f_no_background = true;
  f_list.m_Set_Name_And_Bounds("POLITICS_CONTROL_LIST", 0, 0, 10, 10);
  f_list.OnSelect = [this](const std::string&, std::int32_t, const std::string&, const std::string&) {
    m_Update_Buttons();
  };
  f_list.OnOwnerDraw = [this](const std::string&, std::int32_t row, std::int32_t x, std::int32_t top, std::int32_t,
                              std::int32_t, bool, bool, const std::string&, const std::string&) {
    m_Draw_Row(row, x, top);
  };
  f_list.m_Set_Visible(true);
  Add_Child_Control(&f_list);
  m_Build_Grid();
}

TDC_Dlg_Politics::~TDC_Dlg_Politics() {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_CLOSED, UI_SOUND_VOLUME);
  while (m_Child_Count() > 0) Remove_Child_Control(m_Child(m_Child_Count()));
  f_composer.reset();
  Gui_Release_Background(f_background);
}

void TDC_Dlg_Politics::m_Build_Grid() {
  f_grid.clear();
  f_headers.clear();
  f_list.m_Clear();
  f_row_count = 0;
  List_Window_Set_Header(f_headers, 1, "Year", 2, true, 1, true);
  List_Window_Set_Header(f_headers, 2, "From", 100, true, 3, true);
  List_Window_Set_Header(f_headers, 3, "To", 244, true, 5, true);
  List_Window_Set_Header(f_headers, 4, "Type", 388, true, 6, true);
  List_Window_Set_Header(f_headers, 5, "Message", 504, true, 7, true);
  const std::uint8_t player = Game_Settings.f_turn_empire;
  const std::int32_t fw = Game_Settings.f_flag_width;
  for (std::int32_t i = 1; G_Message_Log && i <= G_Message_Log->m_Get_Count(); ++i) {
    const TMessage_Log_Item* m = G_Message_Log->m_Get_Item(i);
    if (!m || (m->f_from != player && m->f_to != player)) continue;
    const std::int32_t row = ++f_row_count;
    const TEmpire* from = Empire_Get(m->f_from);
    const TEmpire* to = Empire_Get(m->f_to);
    if (!from || !to) {
      List_Window_Set_Cell(f_grid, row, 7, "", 504, 0, TList_Cell_Kind::Text, 0);
      continue;
    }
    List_Window_Set_Cell(f_grid, row, 1, Tenths_To_Text(m->f_date), 2, 0, TList_Cell_Kind::Text, m->f_date);
    List_Window_Set_Cell_Sort_Value(f_grid, row, 1, float(m->f_date));
    List_Window_Set_Cell(f_grid, row, 2, "", 100 - fw - 2, m->f_from, TList_Cell_Kind::Empire_Flag, 0);
    List_Window_Set_Cell(f_grid, row, 3, from->m_Get_Nation_Name(), 100, 0, TList_Cell_Kind::Text, m->f_from);
    List_Window_Set_Cell(f_grid, row, 4, "", 244 - fw - 2, m->f_to, TList_Cell_Kind::Empire_Flag, 0);
    List_Window_Set_Cell(f_grid, row, 5, to->m_Get_Nation_Name(), 244, 0, TList_Cell_Kind::Text, m->f_to);
    List_Window_Set_Cell(f_grid, row, 6, Message_Log_Type_Name(m->f_message_type), 388, 0, TList_Cell_Kind::Text,
                         m->f_message_type);
    List_Window_Set_Cell(f_grid, row, 7, m->f_text, 504, 0, TList_Cell_Kind::Text, m->f_id);
  }
  List_Window_Reset_Sort_Keys();
  List_Window_Push_Sort_Key(f_keys, 6, true);
  List_Window_Push_Sort_Key(f_keys, 3, true);
  List_Window_Push_Sort_Key(f_keys, 1, false);
  f_order.assign(std::size_t(f_row_count) + 1, 0);
  for (std::int32_t i = 1; i <= f_row_count; ++i) f_order[std::size_t(i)] = i;
  List_Window_Sort_Rows(f_grid, f_order, f_row_count, f_keys);
  for (std::int32_t i = 1; i <= f_row_count; ++i) f_list.m_Add_Row("", "", 16);
}

std::int32_t TDC_Dlg_Politics::m_Selected_Grid_Row() const {
  const std::int32_t row = f_list.m_Get_Selected_Index();
  return row >= 1 && row <= f_row_count ? f_order[std::size_t(row)] : 0;
}

void TDC_Dlg_Politics::m_Update_Buttons() {
  const std::int32_t g = m_Selected_Grid_Row();
  if (g == 0) return;
  f_buttons[1].m_Set_Enabled(true);
  for (int i = 2; i < 5; ++i) f_buttons[std::size_t(i)].m_Set_Enabled(false);
  const TList_Window_Cell* date = List_Window_Get_Cell(f_grid, g, 1);
  const TList_Window_Cell* from = List_Window_Get_Cell(f_grid, g, 3);
  const TList_Window_Cell* type = List_Window_Get_Cell(f_grid, g, 6);
  if (!date || !from || !type) return;
  const TPolitics_Buttons b = Politics_Buttons_For(date->f_value, std::uint8_t(from->f_value), type->f_value,
                                                   Game_Settings.f_game_date, Game_Settings.f_turn_empire);
  f_buttons[2].m_Set_Enabled(b.accept);
  f_buttons[3].m_Set_Enabled(b.decline);
  f_buttons[4].m_Set_Enabled(b.cancel);
}

void TDC_Dlg_Politics::m_Open_Composer(std::int32_t reply_type) {
  if (f_composer) return;
  f_composer = std::make_unique<TDC_Dlg_SendMessage>();
  f_composer->m_Set_Position("Dlg Send Message", f_x + (1024 - 400) / 2, f_y + (768 - 214) / 2, true);
  if (reply_type != 0) {
    const std::int32_t g = m_Selected_Grid_Row();
    const TList_Window_Cell* from = g ? List_Window_Get_Cell(f_grid, g, 3) : nullptr;
    const std::uint8_t sender = from ? std::uint8_t(from->f_value) : 0;
    if (reply_type == 4) f_composer->m_Set_Accept_Reply(sender);
    else f_composer->m_Set_Decline_Reply(sender);
  }
  f_composer->m_Set_Layer(1);
  f_composer->m_Set_Visible(true);
  Add_Child_Control(f_composer.get());
}

void TDC_Dlg_Politics::m_Button_Click(const std::string& name) {
  if (name == "POLITICS_CONTROL_BUTTON_CLOSE") {
    Set_Kill_Object(true);
  } else if (name == "POLITICS_CONTROL_BUTTON_SEND") {
    m_Open_Composer(0);
  } else if (name == "POLITICS_CONTROL_BUTTON_ACCEPT") {
    m_Open_Composer(4);
  } else if (name == "POLITICS_CONTROL_BUTTON_DECLINE") {
    m_Open_Composer(5);
  } else if (name == "POLITICS_CONTROL_BUTTON_CANCEL") {
    const std::int32_t g = m_Selected_Grid_Row();
    const TList_Window_Cell* id = g ? List_Window_Get_Cell(f_grid, g, 7) : nullptr;
    if (id && G_Message_Log) G_Message_Log->m_Delete_Message(id->f_value);
    m_Build_Grid();
    m_Update_Buttons();
  }
}

void TDC_Dlg_Politics::m_On_Child_Killed(const std::string& name) {
  if (name == "Dlg Send Message" && f_composer) {
    f_composer->m_Set_Visible(false);
    f_composer.reset();
    m_Build_Grid();
    return;
  }
  TDisplay_Class::m_On_Child_Killed(name);
}

void TDC_Dlg_Politics::m_On_Mouse_Down(TMouse_Button, TShift_State, std::int32_t x, std::int32_t y) {
  for (std::int32_t i = 1; i <= 5; ++i)
    if (List_Window_Header_Click(f_headers, f_x + 11, f_y + 295, i, f_keys, x, y)) {
      for (std::int32_t r = 1; r <= f_row_count; ++r) f_order[std::size_t(r)] = r;
      List_Window_Sort_Rows(f_grid, f_order, f_row_count, f_keys);
      return;
    }
}

bool TDC_Dlg_Politics::m_On_Key_Down(std::uint16_t& key, TShift_State) {
  if (key != 27) return false;
  m_Button_Click("POLITICS_CONTROL_BUTTON_CLOSE");
  return true;
}

void TDC_Dlg_Politics::m_On_Reposition() {
  for (int i = 0; i < 5; ++i)
    f_buttons[std::size_t(i)].m_Set_Position(Politics_Button_Names[i], f_x + Politics_Button_X[i], f_y + 744);
  f_list.m_Set_Name_And_Bounds("POLITICS_CONTROL_LIST", f_x + 13, f_y + 312, 998, 421);
  if (f_composer)
    f_composer->m_Set_Position("Dlg Send Message", f_x + (1024 - 400) / 2, f_y + (768 - 214) / 2, true);
}

void TDC_Dlg_Politics::m_Draw(double) {
  Gui_Draw_Background(f_background, f_x, f_y, 1024, 768);
  if (G_Map)
    Display_Draw_Overview_Map(f_x + 499, f_y + 34, 512, 256, false, TRect{0, 0, 0, 0}, 0, 0, 0,
                              Game_Settings.f_local_empire);
  Draw_Relation(f_x + 349, f_y + 54, 1);
  Draw_Relation(f_x + 349, f_y + 36, 2);
  const std::int32_t count = G_Empire_List ? std::min(G_Empire_List->m_Get_Count(), 9) : 0;
  for (std::int32_t i = 1; i <= count; ++i) {
    const TEmpire* e = Empire_Get(i);
    if (!e || e->m_Get_Neutral()) continue;
    Draw_Flag(f_x + 46 + (i - 1) * 33, f_y + 35, i);
    Draw_Flag(f_x + 12, f_y + 53 + (i - 1) * 17, i);
  }
  for (std::int32_t i = 1; i <= count; ++i)
    for (std::int32_t j = 1; j <= count; ++j) {
      const TEmpire* a = Empire_Get(i);
      const TEmpire* b = Empire_Get(j);
      if (i == j || !a || !b || a->m_Get_Neutral() || b->m_Get_Neutral()) continue;
      Draw_Relation(f_x + 13 + i * 33, f_y + 53 + (j - 1) * 17, f_relations[std::size_t(i - 1)][std::size_t(j - 1)]);
    }
  List_Window_Draw_Headers(f_headers, 5, f_x + 11, f_y + 295, true, f_hovered_header, true, G_Mouse_X, G_Mouse_Y);
}

void TDC_Dlg_Politics::m_Draw_Row(std::int32_t row, std::int32_t x, std::int32_t top) {
  if (row < 1 || row > f_row_count) return;
  const std::int32_t g = f_order[std::size_t(row)];
  std::int32_t skip_from = 0, skip_to = 0;
  if (row > 1) {
    const std::int32_t prev = f_order[std::size_t(row - 1)];
    auto same = [&](std::int32_t column) {
      const TList_Window_Cell* a = List_Window_Get_Cell(f_grid, g, column);
      const TList_Window_Cell* b = List_Window_Get_Cell(f_grid, prev, column);
      return a && b && a->f_text == b->f_text && a->f_value == b->f_value;
    };
    if (same(1) && same(3)) skip_from = 1, skip_to = 3;
    else if (same(1)) skip_from = 1, skip_to = 1;
  }
  const TList_Window_Cell* date = List_Window_Get_Cell(f_grid, g, 1);
  const bool old = date && date->f_value < Game_Settings.f_game_date - 1;
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  font.m_Set_Color(Make_Color(255, 255, 255));
  List_Window_Draw_Row(f_grid, 7, f_row_count, skip_from, skip_to, old, row == f_list.m_Get_Selected_Index(), x, top,
                       g);
}
