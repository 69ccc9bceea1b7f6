#include "DC_Dlg_GameOptions.h"

#include <memory>

#include "DC_Base_EditText.h"
#include "DC_Dlg_List.h"
#include "Datafile_UserSettings.h"
#include "Errors.h"
#include "GameFolder.h"
#include "GameSettings.h"
#include "Io.h"
#include "MachineOptions.h"
#include "MapClass.h"
#include "Path.h"
#include "SoundEngine_Music_Base.h"

void (*Game_Options_Start_Music)(TMusic_Category) = Sound_Music_Start_Music;
void (*Game_Options_Fade_Music)(bool) = Sound_Music_Fade_Music;

namespace {
constexpr const char* Close_Name = "OPTIONS_CONTROL_BUTTON_CLOSE";
constexpr const char* Save_Map_Name = "OPTIONS_CONTROL_BUTTON_SACE_MAP";
constexpr std::int32_t Map_Name_Tag = 99;
constexpr std::uint8_t Autosave_Turns[4] = {0, 1, 2, 5};
const char* const Labels[GAME_OPTIONS_TOGGLES] = {"Show FPS",
                                                  "Show Info Bar",
                                                  "Show Help Text",
                                                  "Music",
                                                  "Sound",
                                                  "No Autosave",
                                                  "Autosave Every Turn",
                                                  "Autosave Every 2 Turns",
                                                  "Autosave Every 5 Turns",
                                                  "Low",
                                                  "Normal",
                                                  "High",
                                                  "Very High"};
constexpr std::int32_t Label_Widths[GAME_OPTIONS_TOGGLES] = {48, 71, 82, 29, 33, 66, 110, 126, 126, 19, 38, 23, 51};

std::string Background_File() { return Path_Settings ? Path_Settings->m_Get_Dlg_GameOptions_Bmp() : std::string(); }

// The offset of toggle j from the dialog's top.
std::int32_t Toggle_Y(std::int32_t j) { return 35 + 30 * (j - 1) + (j > 5 ? 44 : 0) + (j > 9 ? 44 : 0); }
}  // namespace

TGame_Option_Toggles Game_Options_Toggles(const TMachine_Options& o) {
  TGame_Option_Toggles t{};
  t[0] = o.f_show_fps;
  t[1] = o.f_show_info_bar;
  t[2] = o.f_show_help_text;
  t[3] = o.f_play_music;
  t[4] = o.f_play_sounds;
  for (std::int32_t k = 0; k < 4; ++k) t[std::size_t(5 + k)] = o.f_autosave_turns == Autosave_Turns[k];
  for (std::int32_t k = 0; k < 4; ++k) t[std::size_t(9 + k)] = o.f_unit_movement_speed == k + 1;
  return t;
}

void Game_Options_Store(const TGame_Option_Toggles& t, TMachine_Options& o) {
  o.f_show_fps = t[0];
  o.f_show_info_bar = t[1];
  o.f_show_help_text = t[2];
  o.f_play_music = t[3];
  o.f_play_sounds = t[4];
  o.f_autosave_turns = 0;
  for (std::int32_t k = 0; k < 4; ++k)
    if (t[std::size_t(5 + k)]) o.f_autosave_turns = Autosave_Turns[k];
  o.f_unit_movement_speed = 2;
  for (std::int32_t k = 0; k < 4; ++k)
    if (t[std::size_t(9 + k)]) o.f_unit_movement_speed = std::uint8_t(k + 1);
}

TDC_Dlg_Game_Options::TDC_Dlg_Game_Options() : TDisplay_Class(DC_KIND_WINDOW) {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_OPENED, UI_SOUND_VOLUME);
  f_background = Gui_Load_Background(Background_File());
  const char* captions[2] = {"Close", "Save Map"};
  for (std::int32_t i = 0; i < 2; ++i) {
    TDC_Text_Button& b = f_buttons[std::size_t(i)];
    b.m_Set_Style(2, 90, 22, 0, i + 1);
    b.m_Set_Font(2);
    b.m_Set_Shadow();
    b.m_Set_Text(captions[i]);
    b.m_Set_Help_Ref(1, 13, i == 0 ? 15 : 14, "", 0);
    b.OnClick = [this](const std::string& name, TMouse_Button, TShift_State) { m_On_Button(name); };
    b.m_Set_Visible(true);
    Add_Child_Control(&b);
  }
  for (std::int32_t j = 1; j <= GAME_OPTIONS_TOGGLES; ++j) {
    TDC_Button_Toggle& t = f_option_toggles[std::size_t(j - 1)];
    t.m_Set_Style(1, 22, 22, 0, j);
    if (j <= 5)
      t.m_Set_Frames(6, 7);
    else
      t.m_Set_Frames(8, 9);
    t.m_Set_Help_Ref(1, 13, j, "", 0);
    t.OnClick = [this, j](const std::string&, TMouse_Button, TShift_State) { m_On_Toggle(j); };
    t.m_Set_Visible(true);
    Add_Child_Control(&t);
  }
  m_On_Reposition();
  m_Show_Options();
}

TDC_Dlg_Game_Options::~TDC_Dlg_Game_Options() {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_CLOSED, UI_SOUND_VOLUME);
  Gui_Release_Background(f_background);
  if (f_message) {
    f_message->m_Set_Visible(false);
    Remove_Child_Control(f_message.get());
    f_message.reset();
  }
  while (m_Child_Count() > 0) Remove_Child_Control(m_Child(m_Child_Count()));
}

bool TDC_Dlg_Game_Options::m_Reload_Images() {
  Gui_Release_Background(f_background);
  f_background = Gui_Load_Background(Background_File());
  return TDisplay_Class::m_Reload_Images();
}

void TDC_Dlg_Game_Options::m_On_Reposition() {
  f_buttons[0].m_Set_Position(Close_Name, Checked_Add(f_x, 505), Checked_Add(f_y, 576));
  f_buttons[1].m_Set_Position(Save_Map_Name, Checked_Add(f_x, 5), Checked_Add(f_y, 576));
  for (std::int32_t j = 1; j <= GAME_OPTIONS_TOGGLES; ++j)
    f_option_toggles[std::size_t(j - 1)].m_Set_Position("Option Button " + std::to_string(j), Checked_Add(f_x, 13),
                                                        Checked_Add(f_y, Toggle_Y(j)));
  m_Clear_Help_Areas();
  for (std::int32_t j = 1; j <= GAME_OPTIONS_TOGGLES; ++j)
    m_Add_Help_Area(1, 13, j, "", 0, 52, Toggle_Y(j) + 3, Label_Widths[j - 1], 12);
}

void TDC_Dlg_Game_Options::m_Show_Options() {
  if (!Machine_Options) return;
  const TGame_Option_Toggles t = Game_Options_Toggles(*Machine_Options);
  for (std::int32_t j = 1; j <= GAME_OPTIONS_TOGGLES; ++j) m_Toggle(j).m_Set_On(t[std::size_t(j - 1)]);
  f_music_was_on = Machine_Options->f_play_music;
  // The autosave belongs to the host in a network game.
  const bool network = Game_Kind_Is_Network();
  for (std::int32_t j = 6; j <= 9; ++j) m_Toggle(j).m_Set_Enabled(!network);
}

TGame_Option_Toggles TDC_Dlg_Game_Options::m_Toggles() const {
  TGame_Option_Toggles t{};
  for (std::size_t i = 0; i < t.size(); ++i) t[i] = f_option_toggles[i].m_Is_On();
  return t;
}

void TDC_Dlg_Game_Options::m_On_Toggle(std::int32_t j) {
  // 1..5 switch by themselves; 6..9 and 10..13 are choices of one.
  if (j <= 5) return;
  const std::int32_t first = j <= 9 ? 6 : 10;
  for (std::int32_t k = first; k < first + 4; ++k) m_Toggle(k).m_Set_On(k == j);
}

void TDC_Dlg_Game_Options::m_Close() {
  if (Machine_Options) {
    Game_Options_Store(m_Toggles(), *Machine_Options);
    Machine_Options->m_Save();
    if (Machine_Options->f_play_music != f_music_was_on) {
      if (Machine_Options->f_play_music)
        Game_Options_Start_Music(TMusic_Category::Main);
      else
        Game_Options_Fade_Music(false);
    }
  }
  Set_Kill_Object(true);
}

void TDC_Dlg_Game_Options::m_On_Button(const std::string& name) {
  if (Text_Compare(name, Close_Name) == 0)
    m_Close();
  else if (Text_Compare(name, Save_Map_Name) == 0)
    m_Ask_Map_Name();
}

bool TDC_Dlg_Game_Options::m_On_Key_Down(std::uint16_t& key, TShift_State) {
  if (key != VK_ESCAPE) return false;
  m_Close();
  return true;
}

void TDC_Dlg_Game_Options::m_Ask_Map_Name() {
  if (f_message) return;
  f_message = std::make_unique<TDC_Dlg_Message>();
  f_message->m_Set_Position_Centered("Dlg Message", true);
  f_message->m_Setup("Save Map", "", "Map Name", "", TMessage_Box_Mode::Edit, 1, 0, Map_Name_Tag, false, 0, 0, 0);
  f_message->m_Set_Layer(1);
  f_message->m_Set_Visible(true);
  Add_Child_Control(f_message.get());
  if (TDC_EditText* e = f_message->m_Edit_Box()) e->m_Set_Focus();
}

void TDC_Dlg_Game_Options::m_Message_Box(const std::string& caption, const std::string& text) {
  if (f_message || caption.empty()) return;
  f_message = std::make_unique<TDC_Dlg_Message>();
  f_message->m_Set_Position_Centered("Dlg Message", true);
  f_message->m_Setup(caption, text, "", "", TMessage_Box_Mode::Close, 0, 0, 0, false, 0, 0, 0);
  f_message->m_Set_Layer(1);
  f_message->m_Set_Visible(true);
  Add_Child_Control(f_message.get());
}

void TDC_Dlg_Game_Options::m_On_Child_Killed(const std::string& child_name) {
  TDisplay_Class::m_On_Child_Killed(child_name);
  if (child_name != "Dlg Message" || !f_message) return;
  f_message->m_Set_Visible(false);
  const std::uint8_t button = f_message->m_Get_Result();
  const std::int32_t tag = f_message->m_Get_Tag();
  const std::string name = f_message->m_Get_Edit_Text();
  f_message.reset();
  if (tag == Map_Name_Tag && button == 1) {
    std::string caption, text;
    Save_Map(name, caption, text);
    m_Message_Box(caption, text);
  }
}

void TDC_Dlg_Game_Options::m_Draw(double) {
  Gui_Draw_Background(f_background, f_x, f_y, 600, 600);
  Gui_Draw_Dialog_Title(f_x, f_y, "Game Options");
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  for (std::int32_t j = 1; j <= GAME_OPTIONS_TOGGLES; ++j) {
    const bool enabled = m_Toggle(j).m_Enabled();
    font.m_Set_Color(enabled ? User_Settings.m_Get_Normal_Text_Color() : User_Settings.m_Get_Disabled_Text_Color());
    font.m_Draw_Text_Shadowed(Checked_Add(f_x, 50), Checked_Add(f_y, Toggle_Y(j) + 3), Labels[j - 1]);
  }
  font.m_Set_Color(User_Settings.m_Get_Label_Text_Color());
  font.m_Draw_Text_Shadowed(Checked_Add(f_x, 13), Checked_Add(f_y, 201), "Autosave Frequency");
  font.m_Draw_Text_Shadowed(Checked_Add(f_x, 13), Checked_Add(f_y, 365), "Unit Movement Speed");
}
