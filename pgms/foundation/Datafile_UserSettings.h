// The player's own switches and interface colours, from
// userdata\UserSettings.txt.
#pragma once

#include <string>

#include "DataFile_Base_Loader.h"
#include "Vector_Types.h"

class TUser_Settings {
public:
  TColor m_Get_Button_Background_Color() const { return f_button_background_color; }
  TColor m_Get_Mouse_Over_Highlight_Color() const { return f_mouse_over_highlight_color; }
  TColor m_Get_List_Background_Color() const { return f_list_background_color; }
  TColor m_Get_Normal_Text_Color() const { return f_normal_text_color; }
  TColor m_Get_Selected_Text_Color() const { return f_selected_text_color; }
  TColor m_Get_Disabled_Text_Color() const { return f_disabled_text_color; }
  TColor m_Get_Label_Text_Color() const { return f_label_text_color; }

  bool f_allow_music = true;
  bool f_allow_sound = true;
  bool f_support_multithreading = false;
  bool f_directx10_fix_1 = true;
  TColor f_button_background_color = Make_Color(71, 71, 71);
  TColor f_mouse_over_highlight_color = Make_Color(80, 82, 122);
  TColor f_list_background_color = Make_Color(43, 44, 63);
  TColor f_normal_text_color = Make_Color(255, 255, 255);
  TColor f_selected_text_color = Make_Color(64, 255, 64);
  TColor f_disabled_text_color = Make_Color(100, 100, 100);
  TColor f_label_text_color = Make_Color(192, 192, 192);
};

class TUser_Settings_Data_File_Loader : public TData_File_Loader {
public:
  TUser_Settings_Data_File_Loader(const std::string& file_name, TUser_Settings& settings)
      : TData_File_Loader(file_name), f_settings(settings) {}

protected:
  void m_Load_Record(std::int32_t record_number) override;

private:
  TUser_Settings& f_settings;
};

// The one user settings object of the program.
extern TUser_Settings User_Settings;

// Loads the file into the settings; with errors, reports them under "User
// Settings Data File" and returns false.
bool Load_User_Settings_File(const std::string& file_name, TUser_Settings& settings, TList_Dialog_Owner* owner);
// Loads userdata\UserSettings.txt (Path_Settings) into User_Settings;
// false when there were errors (they are reported).
bool Load_User_Settings(TList_Dialog_Owner* owner);
