#include "DC_Dlg_Message.h"

#include "DC_Dlg_List.h"
#include "Errors.h"
#include "GraphicsEngine.h"
#include "Path.h"

namespace {
struct TMode_Buttons {
  const char* caption_1;
  std::int32_t help_1;
  const char* caption_2;  // nullptr: button 2 hidden
  std::int32_t help_2;
};
// By mode, in the order of TMessage_Box_Mode.
constexpr TMode_Buttons MODE_BUTTONS[5] = {
    {"Close", 1, nullptr, 0}, {"Cancel", 3, "OK", 2}, {"No", 5, "Yes", 4}, {"Quit", 7, "Continue", 6},
    {"Cancel", 3, "OK", 2}};

void Setup_Button(TDC_Text_Button& b, const std::string& caption, std::int32_t tag) {
  b.m_Set_Style(2, 90, 22, 0, tag);
  b.m_Set_Font(2);
  b.m_Set_Shadow();
  b.m_Set_Text(caption);
}
}  // namespace

TDC_Dlg_Message::TDC_Dlg_Message() : TDisplay_Class(DC_KIND_WINDOW) {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_OPENED, UI_SOUND_VOLUME);
  f_pressed = 1;
  m_Set_Drag_Area(45, 0, 182, 26);
  Setup_Button(f_close_button, "Close", 1);
  Setup_Button(f_ok_button, "OK", 2);
  f_close_button.OnClick = [this](const std::string& name, TMouse_Button, TShift_State) { m_On_Button(name); };
  f_ok_button.OnClick = [this](const std::string& name, TMouse_Button, TShift_State) { m_On_Button(name); };
  m_On_Reposition();
  f_close_button.m_Set_Visible(true);
  Add_Child_Control(&f_close_button);
  Add_Child_Control(&f_ok_button);
  f_ok_button.m_Set_Visible(false);
}

TDC_Dlg_Message::~TDC_Dlg_Message() {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_CLOSED, UI_SOUND_VOLUME);
  f_edit_box.reset();
  Gui_Release_Background(f_background);
}

void TDC_Dlg_Message::m_Setup(const std::string& title, const std::string& text, const std::string& edit_label,
                              const std::string& edit_text, TMessage_Box_Mode mode, std::uint8_t ok_value,
                              std::uint8_t cancel_value, std::int32_t tag, bool password, std::int32_t caller_value_1,
                              std::int32_t caller_value_2, std::int32_t caller_value_3) {
  f_title = title;
  f_text = text;
  f_edit_label = edit_label;
  f_mode = mode;
  f_ok_value = ok_value;
  f_cancel_value = cancel_value;
  f_tag = tag;
  f_caller_1 = caller_value_1;
  f_caller_2 = caller_value_2;
  f_caller_3 = caller_value_3;
  if (std::size_t(mode) < std::size(MODE_BUTTONS)) {
    const TMode_Buttons& m = MODE_BUTTONS[std::size_t(mode)];
    f_close_button.m_Set_Text(m.caption_1);
    f_close_button.m_Set_Help_Ref(1, 23, m.help_1, "", 0);
    if (m.caption_2) {
      f_ok_button.m_Set_Text(m.caption_2);
      f_ok_button.m_Set_Help_Ref(1, 23, m.help_2, "", 0);
    }
    f_ok_button.m_Set_Visible(m.caption_2 != nullptr);
  }
  if (f_background == 0)
    f_background = Gui_Load_Background(Path_Settings ? Path_Settings->m_Get_Dlg_Message_Bmp() : std::string());
  if (mode == TMessage_Box_Mode::Edit && !f_edit_box) {
    f_edit_box = std::make_unique<TDC_EditText>();
    f_edit_box->m_Set_Position("TDC_Dlg_Message.f_edit_box", Checked_Add(f_x, 26), Checked_Add(f_y, 69), 348, 20);
    f_edit_box->m_Set_Shadow_Color(0, 0, 0);
    f_edit_box->m_Set_Help_Ref(1, 23, 8, "", 0);
    f_edit_box->f_password = password;
    f_edit_box->m_Set_Text(edit_text);
    f_edit_box->m_Set_Visible(true);
    Add_Child_Control(f_edit_box.get());
    f_edit_box->m_Set_Focus();
  }
}

void TDC_Dlg_Message::m_On_Button(const std::string& name) {
  if (name == "TDC_Dlg_Message.Close_Button") {
    f_pressed = 1;
  } else if (name == "TDC_Dlg_Message.OK_Button") {
    f_pressed = 2;
  } else {
    return;
  }
  Set_Kill_Object(true);
}

bool TDC_Dlg_Message::m_On_Key_Down(std::uint16_t& key, TShift_State) {
  if (key == VK_RETURN) {
    m_On_Button("TDC_Dlg_Message.OK_Button");
    return true;
  }
  if (key == VK_ESCAPE) {
    m_On_Button("TDC_Dlg_Message.Close_Button");
    return true;
  }
  return false;
}

void TDC_Dlg_Message::m_On_Reposition() {
  f_close_button.m_Set_Position("TDC_Dlg_Message.Close_Button", Checked_Add(f_x, 304), Checked_Add(f_y, 176));
  f_ok_button.m_Set_Position("TDC_Dlg_Message.OK_Button", Checked_Add(f_x, 213), Checked_Add(f_y, 176));
  if (f_edit_box)
    f_edit_box->m_Set_Position(f_edit_box->m_Name(), Checked_Add(f_x, 26), Checked_Add(f_y, 69), 348, 20);
}

void TDC_Dlg_Message::m_Draw(double) {
  Gui_Draw_Background(f_background, f_x, f_y, 400, 200);
  if (f_mode != TMessage_Box_Mode::Edit) {
    const std::int32_t left = Checked_Add(f_x, 25), top = Checked_Add(f_y, 68);
    G_Draw_2D_Color_Part(G_Make_Color(34, 34, 34), TRect{left, top, left + 350, top + 22}, false, false);
  }
  Gui_Draw_Dialog_Title(f_x, f_y, f_title);
  TGui_Text_Link& font = Gui_Text_Link();
  const TColor white = font.m_Get_Color();
  font.m_Set_Font(2);
  font.m_Set_Color(white);
  const std::int32_t text_x = Checked_Add(f_x, 7);
  if (!f_lines.empty()) {
    std::int32_t y = Checked_Add(f_y, 29);
    for (const std::string& line : f_lines) {
      font.m_Draw_Text(text_x, y, line);
      y = Checked_Add(y, 14);
    }
  } else {
    font.m_Draw_Text_Wrapped(text_x, Checked_Add(f_y, 29), 386, 14, f_text, 142);
  }
  if (!f_edit_label.empty()) font.m_Draw_Text(Checked_Add(f_x, 25), Checked_Add(f_y, 50), f_edit_label);
}
