#include "DC_Dlg_List.h"

#include "Errors.h"
#include "GraphicsEngine_Texture.h"
#include "Path.h"

namespace {
constexpr std::uint8_t INTERFACE_TEXTURE_GROUP = 2;
}

std::int32_t Gui_Load_Background(const std::string& file_name) {
  if (!g_tg_texture_list || file_name.empty()) return 0;
  return g_tg_texture_list->m_Load_Texture(file_name, INTERFACE_TEXTURE_GROUP, TEXTURE_COLOR_KEY_NONE);
}

void Gui_Release_Background(std::int32_t& handle) {
  if (g_tg_texture_list && handle != 0) g_tg_texture_list->m_Unload_Texture(handle);
  handle = 0;
}

void Gui_Draw_Background(std::int32_t handle, std::int32_t x, std::int32_t y, std::int32_t width,
                         std::int32_t height) {
  if (!g_tg_texture_list) return;
  g_tg_texture_list->m_Draw_All(TRect{x, y, Checked_Add(x, width), Checked_Add(y, height)}, handle, false);
}

void Gui_Draw_Dialog_Title(std::int32_t x, std::int32_t y, const std::string& title) {
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(4);
  font.m_Set_Color(Make_Color(0, 0, 0));
  font.m_Draw_Text(Checked_Add(x, 9), Checked_Add(y, 5), title);
  font.m_Set_Color(Make_Color(255, 255, 255));
  font.m_Draw_Text(Checked_Add(x, 8), Checked_Add(y, 4), title);
}

TDC_Dlg_List::TDC_Dlg_List() : TDisplay_Class(DC_KIND_WINDOW) {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_OPENED, UI_SOUND_VOLUME);
  f_background = Gui_Load_Background(Path_Settings ? Path_Settings->m_Get_Dlg_List_Bmp() : std::string());
  f_close_button.m_Set_Style(2, 90, 22, 0, 1);
  f_close_button.m_Set_Font(2);
  f_close_button.m_Set_Shadow();
  f_close_button.m_Set_Text("Close");
  f_close_button.m_Set_Help_Ref(1, 4, 1, "", 0);
  f_close_button.OnClick = [this](const std::string& name, TMouse_Button, TShift_State) { m_On_Button(name); };
  f_list.m_Set_Help_Ref(1, 4, 2, "", 0);
  f_list.m_Set_Shadow_Color(0, 0, 0);
  f_list.f_measure_offset = 0;
  f_list.f_hover_highlight = false;
  f_list.f_word_wrap = true;
  f_list.f_no_background = true;
  m_On_Reposition();
  f_close_button.m_Set_Visible(true);
  f_list.m_Set_Visible(true);
  Add_Child_Control(&f_close_button);
  Add_Child_Control(&f_list);
}

TDC_Dlg_List::~TDC_Dlg_List() {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_CLOSED, UI_SOUND_VOLUME);
  Gui_Release_Background(f_background);
}

void TDC_Dlg_List::m_Setup(const std::string& title, const std::string& subtitle,
                           const std::vector<std::string>& rows) {
  f_title = title;
  f_subtitle = subtitle;
  for (const std::string& row : rows) f_list.m_Add_Row(row, "", 0);
}

void TDC_Dlg_List::m_On_Button(const std::string& name) {
  if (name == "TDC_Dlg_List.Close_Button") Set_Kill_Object(true);
}

bool TDC_Dlg_List::m_On_Key_Down(std::uint16_t& key, TShift_State) {
  if (key != 27) return false;
  Set_Kill_Object(true);
  return true;
}

void TDC_Dlg_List::m_On_Reposition() {
  f_close_button.m_Set_Position("TDC_Dlg_List.Close_Button", Checked_Add(f_x, 304), Checked_Add(f_y, 576));
  f_list.m_Set_Name_And_Bounds("TDC_Dlg_List.List", Checked_Add(f_x, 10), Checked_Add(f_y, 75), 380, 493);
}

void TDC_Dlg_List::m_Draw(double) {
  Gui_Draw_Background(f_background, f_x, f_y, 400, 600);
  Gui_Draw_Dialog_Title(f_x, f_y, f_title);
  if (!f_subtitle.empty()) {
    TGui_Text_Link& font = Gui_Text_Link();
    std::int32_t w = 0, line_height = 0;
    font.m_Get_Text_Extents(f_subtitle, w, line_height);
    font.m_Draw_Text_Wrapped(Checked_Add(f_x, 9), Checked_Add(f_y, 30), 382, line_height, f_subtitle, 41);
  }
}
