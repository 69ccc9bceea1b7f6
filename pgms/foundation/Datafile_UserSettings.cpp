#include "Datafile_UserSettings.h"

#include "Io.h"
#include "Path.h"

TUser_Settings User_Settings;

void TUser_Settings_Data_File_Loader::m_Load_Record(std::int32_t) {
  m_Set_Record_Name("User Settings");
  TUser_Settings& s = f_settings;
  std::string v;
  auto boolean = [&](const char* key, bool required, bool& field) {
    if (m_Get_Field(key, v, required)) field = Datafile_Value_To_Boolean(v);
  };
  auto color = [&](const char* key, TColor& field) {
    if (m_Get_Field(key, v, false)) field = Datafile_Value_To_Color(v);
  };
  boolean("Allow Music", true, s.f_allow_music);
  boolean("Allow Sound", true, s.f_allow_sound);
  boolean("Support Multithreading", false, s.f_support_multithreading);
  boolean("DirectX10 Fix 1", false, s.f_directx10_fix_1);
  color("Button Background Color", s.f_button_background_color);
  color("Mouse Over Highlight Color", s.f_mouse_over_highlight_color);
  color("List Background Color", s.f_list_background_color);
  color("Normal Text Color", s.f_normal_text_color);
  color("Selected Text Color", s.f_selected_text_color);
  color("Disabled Text Color", s.f_disabled_text_color);
  color("Label Text Color", s.f_label_text_color);
}

bool Load_User_Settings_File(const std::string& file_name, TUser_Settings& settings, TList_Dialog_Owner* owner) {
  std::string name = Text_Lower_Case(file_name);
  TUser_Settings_Data_File_Loader loader(name, settings);
  loader.m_Load();
  if (loader.m_Get_Errors().empty()) return true;
  Report_Datafile_Error(loader.m_Get_Errors(), "User Settings Data File", name, owner);
  return false;
}

bool Load_User_Settings(TList_Dialog_Owner* owner) {
  TPath_Settings defaults;
  const TPath_Settings& paths = Path_Settings ? *Path_Settings : defaults;
  return Load_User_Settings_File(paths.m_Get_UserSettings_File(), User_Settings, owner);
}
