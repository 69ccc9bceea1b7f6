#include "DC_Dlg_CombatOptions.h"

#include "DC_Base_EditText.h"
#include "DC_Dlg_List.h"
#include "Datafile_UserSettings.h"
#include "Errors.h"
#include "MachineOptions.h"
#include "Path.h"

namespace {
constexpr const char* Close_Name = "LOADSAVEGAME_CONTROL_BUTTON_CLOSE";
constexpr std::int32_t Toggle_Offsets[4] = {35, 95, 125, 155};

std::string Background_File() { return Path_Settings ? Path_Settings->m_Get_Dlg_CombatOptions_Bmp() : std::string(); }
}  // namespace

TCombat_Option_Toggles Combat_Options_Toggles(const TMachine_Options& o) {
  TCombat_Option_Toggles t{};
  t[0] = o.f_show_combat_grid;
  for (std::int32_t k = 1; k <= 3; ++k) t[std::size_t(k)] = o.f_combat_movement_speed == k;
  return t;
}

void Combat_Options_Store(const TCombat_Option_Toggles& t, TMachine_Options& o) {
  o.f_show_combat_grid = t[0];
  for (std::int32_t k = 1; k <= 3; ++k)
    if (t[std::size_t(k)]) {
      o.f_combat_movement_speed = std::uint8_t(k);
      break;
    }
}

TDC_Dlg_Combat_Options::TDC_Dlg_Combat_Options() : TDisplay_Class(DC_KIND_WINDOW) {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_OPENED, UI_SOUND_VOLUME);
  f_background = Gui_Load_Background(Background_File());
  f_close_button.m_Set_Style(2, 90, 22, 0, 1);
  f_close_button.m_Set_Font(2);
  f_close_button.m_Set_Shadow();
  f_close_button.m_Set_Text("Close");
  f_close_button.m_Set_Help_Ref(1, 20, 5, "", 0);
  f_close_button.OnClick = [this](const std::string&, TMouse_Button, TShift_State) { m_Close(); };
  f_close_button.m_Set_Visible(true);
  Add_Child_Control(&f_close_button);
  for (std::int32_t j = 1; j <= 4; ++j) {
    TDC_Button_Toggle& t = m_Toggle(j);
    t.m_Set_Style(1, 22, 22, 0, j);
    if (j == 1)
      t.m_Set_Frames(6, 7);
    else
      t.m_Set_Frames(8, 9);
    t.m_Set_Help_Ref(1, 20, j, "", 0);
    t.OnClick = [this, j](const std::string&, TMouse_Button, TShift_State) { m_On_Toggle(j); };
    t.m_Set_Visible(true);
    Add_Child_Control(&t);
  }
  m_On_Reposition();
  if (Machine_Options) {
    const TCombat_Option_Toggles t = Combat_Options_Toggles(*Machine_Options);
    for (std::int32_t j = 1; j <= 4; ++j) m_Toggle(j).m_Set_On(t[std::size_t(j - 1)]);
  }
}

TDC_Dlg_Combat_Options::~TDC_Dlg_Combat_Options() {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_CLOSED, UI_SOUND_VOLUME);
  Gui_Release_Background(f_background);
  while (m_Child_Count() > 0) Remove_Child_Control(m_Child(m_Child_Count()));
}

bool TDC_Dlg_Combat_Options::m_Reload_Images() {
  Gui_Release_Background(f_background);
  f_background = Gui_Load_Background(Background_File());
  return TDisplay_Class::m_Reload_Images();
}

void TDC_Dlg_Combat_Options::m_On_Reposition() {
  f_close_button.m_Set_Position(Close_Name, Checked_Add(f_x, 505), Checked_Add(f_y, 576));
  for (std::int32_t j = 1; j <= 4; ++j)
    m_Toggle(j).m_Set_Position("Option Button " + std::to_string(j), Checked_Add(f_x, 13),
                               Checked_Add(f_y, Toggle_Offsets[j - 1]));
}

TCombat_Option_Toggles TDC_Dlg_Combat_Options::m_Toggles() const {
  TCombat_Option_Toggles t{};
  for (std::size_t i = 0; i < t.size(); ++i) t[i] = f_toggles[i].m_Is_On();
  return t;
}

void TDC_Dlg_Combat_Options::m_On_Toggle(std::int32_t j) {
  if (j == 1) return;
  for (std::int32_t k = 2; k <= 4; ++k) m_Toggle(k).m_Set_On(k == j);
}

void TDC_Dlg_Combat_Options::m_Close() {
  if (Machine_Options) {
    Combat_Options_Store(m_Toggles(), *Machine_Options);
    Machine_Options->m_Save();
  }
  Set_Kill_Object(true);
}

bool TDC_Dlg_Combat_Options::m_On_Key_Down(std::uint16_t& key, TShift_State) {
  if (key != VK_ESCAPE) return false;
  m_Close();
  return true;
}

void TDC_Dlg_Combat_Options::m_Draw(double) {
  Gui_Draw_Background(f_background, f_x, f_y, 600, 600);
  Gui_Draw_Dialog_Title(f_x, f_y, "Combat Options");
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  font.m_Set_Color(User_Settings.m_Get_Normal_Text_Color());
  font.m_Draw_Text_Shadowed(Checked_Add(f_x, 50), Checked_Add(f_y, 38), "Show Grid");
  font.m_Draw_Text_Shadowed(Checked_Add(f_x, 50), Checked_Add(f_y, 98), "Low");
  font.m_Draw_Text_Shadowed(Checked_Add(f_x, 50), Checked_Add(f_y, 128), "Medium");
  font.m_Draw_Text_Shadowed(Checked_Add(f_x, 50), Checked_Add(f_y, 158), "High");
  font.m_Set_Color(User_Settings.m_Get_Label_Text_Color());
  font.m_Draw_Text_Shadowed(Checked_Add(f_x, 13), Checked_Add(f_y, 68), "Movement Speed");
}
