#include "DC_Dlg_Login.h"

#include "DC_Dlg_List.h"
#include "Errors.h"
#include "GraphicsEngine.h"
#include "Gui_Links.h"
#include "Path.h"

namespace {
constexpr const char* Close_Name = "TDC_Dlg_Login.Close_Button";
constexpr const char* OK_Name = "TDC_Dlg_Login.OK_Button";

void Setup_Button(TDC_Text_Button& b, const std::string& caption, std::int32_t tag) {
  b.m_Set_Style(2, 90, 22, 0, tag);
  b.m_Set_Font(2);
  b.m_Set_Shadow();
  b.m_Set_Text(caption);
}

std::string Background_File() {
  return Path_Settings ? Path_Settings->m_Get_Dlg_Login_Bmp() : std::string();
}
}  // namespace

TDC_Dlg_Login::TDC_Dlg_Login() : TDisplay_Class(DC_KIND_WINDOW) {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_OPENED, UI_SOUND_VOLUME);
  f_background = Gui_Load_Background(Background_File());
  Setup_Button(f_buttons[0], "Close", 1);
  Setup_Button(f_buttons[1], "OK", 2);
  for (TDC_Text_Button& b : f_buttons) {
    b.OnClick = [this](const std::string& name, TMouse_Button, TShift_State) { m_On_Button(name); };
    Add_Child_Control(&b);
  }
  for (TDC_EditText& e : f_edits) {
    e.m_Set_Shadow_Color(0, 0, 0);
    e.m_Set_Visible(true);
    Add_Child_Control(&e);
  }
  // The password shows one "*" per character.
  f_edits[2].f_password = true;
  f_choices.m_Set_Shadow_Color(0, 0, 0);
  f_choices.OnChange = [this](const std::string&) {
    f_edits[1].m_Set_Text(f_choices.m_Get_Selected_Key());
  };
  Add_Child_Control(&f_choices);
  m_On_Reposition();
  f_buttons[0].m_Set_Visible(true);
  f_buttons[1].m_Set_Visible(false);
  f_choices.m_Set_Visible(false);
  f_choices.m_Set_Enabled(false);
  f_edits[0].m_Set_Focus();
}

TDC_Dlg_Login::~TDC_Dlg_Login() {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_CLOSED, UI_SOUND_VOLUME);
  Gui_Release_Background(f_background);
}

bool TDC_Dlg_Login::m_Reload_Images() {
  Gui_Release_Background(f_background);
  f_background = Gui_Load_Background(Background_File());
  return TDisplay_Class::m_Reload_Images();
}

void TDC_Dlg_Login::m_Setup(const std::string& title, const std::string& prompt, const std::string& value_1,
                            const std::string& value_2, const std::string& value_3, const std::string& label_1,
                            const std::string& label_2, const std::string& label_3) {
  f_title = title;
  f_prompt = prompt;
  f_labels[0] = label_1;
  f_labels[1] = label_2;
  f_labels[2] = label_3;
  f_edits[0].m_Set_Text(value_1);
  f_edits[1].m_Set_Text(value_2);
  f_edits[2].m_Set_Text(value_3);
  f_buttons[0].m_Set_Text("Cancel");
  f_buttons[1].m_Set_Text("OK");
  f_buttons[0].m_Set_Visible(true);
  f_buttons[1].m_Set_Visible(true);
}

void TDC_Dlg_Login::m_Set_Choices(const std::vector<std::string>& names, const std::vector<std::string>& values) {
  f_use_choices = true;
  f_choice_names = names;
  f_choice_values = values;
  f_choices.m_Clear();
  for (std::size_t i = 0; i < names.size(); ++i) f_choices.m_Add_Item(names[i], i < values.size() ? values[i] : "");
  f_choices.m_Set_Visible(true);
  f_choices.m_Set_Enabled(true);
  f_edits[0].m_Set_Visible(false);
  f_edits[0].m_Set_Enabled(false);
  f_edits[1].m_Set_Enabled(false);
}

std::vector<std::string> TDC_Dlg_Login::m_Get_Values() const {
  std::vector<std::string> values{f_edits[0].m_Text(), f_edits[1].m_Text(), f_edits[2].m_Text()};
  if (f_use_choices) values[0] = f_choices.m_Get_Text();
  return values;
}

void TDC_Dlg_Login::m_On_Button(const std::string& name) {
  if (name == Close_Name)
    f_result = TLogin_Result::Cancelled;
  else if (name == OK_Name)
    f_result = TLogin_Result::Ok;
  else
    return;
  Set_Kill_Object(true);
}

bool TDC_Dlg_Login::m_On_Key_Down(std::uint16_t& key, TShift_State) {
  if (key == VK_RETURN) {
    m_On_Button(OK_Name);
    return true;
  }
  if (key == VK_ESCAPE) {
    if (!Combobox_Close_Open_List(*this)) m_On_Button(Close_Name);
    return true;
  }
  return false;
}

void TDC_Dlg_Login::m_On_Reposition() {
  f_buttons[0].m_Set_Position(Close_Name, Checked_Add(f_x, 395 - 91), Checked_Add(f_y, 176));
  f_buttons[1].m_Set_Position(OK_Name, Checked_Add(f_x, 395 - 182), Checked_Add(f_y, 176));
  for (int j = 1; j <= 3; ++j)
    f_edits[j - 1].m_Set_Position("Edit " + std::to_string(j), Checked_Add(f_x, 134), Checked_Add(f_y, 47 + 32 * j),
                                  251, 20);
  f_choices.m_Set_Name_And_Bounds("Combobox", Checked_Add(f_x, 133), Checked_Add(f_y, 78), 253, 22);
}

void TDC_Dlg_Login::m_Draw(double) {
  Gui_Draw_Background(f_background, f_x, f_y, 400, 200);
  // The title white on its black shadow; the prompt and labels white too,
  // whatever colour the text drawn before left behind.
  Gui_Draw_Dialog_Title(f_x, f_y, f_title);
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  font.m_Set_Color(G_Make_Color(255, 255, 255));
  font.m_Draw_Text_Wrapped(Checked_Add(f_x, 7), Checked_Add(f_y, 29), 386, 14, f_prompt, 50);
  for (int j = 1; j <= 3; ++j)
    font.m_Draw_Text(Checked_Add(f_x, 26), Checked_Add(f_y, 47 + 32 * j + 3), f_labels[j - 1]);
}
