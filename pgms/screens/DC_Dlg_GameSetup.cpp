#include "DC_Dlg_GameSetup.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include "DC_Dlg_List.h"
#include "DC_Main.h"
#include "Datafile_BaseGameSettings.h"
#include "Datafile_MapTypes.h"
#include "Empire.h"
#include "Errors.h"
#include "GameFolder.h"
#include "GameInit.h"
#include "GameSettings.h"
#include "Game_Session.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "GraphicsEngine_Texture.h"
#include "Io.h"
#include "MapClass.h"
#include "Native_Path.h"
#include "Datafile_MainFonts.h"
#include "Path.h"
#include "SteppedTask.h"

namespace {

constexpr const char* OK_Name = "GAMESETUP_CONTROL_BUTTON_OK";
constexpr const char* Cancel_Name = "GAMESETUP_CONTROL_BUTTON_CANCEL";

// Frames of the option buttons.
constexpr std::int32_t Checked = 6, Unchecked = 7, Selected = 8, Unselected = 9;

TGame_Setup_Lobby_Maker& Lobby_Maker() {
  static TGame_Setup_Lobby_Maker maker;
  return maker;
}

bool Is_Check_Box(std::int32_t n) { return n >= 3 && n <= 6; }

std::string Row_Text(const char* prefix, std::int32_t n) { return prefix + Int_To_Text(n); }

// The first option button of the radio group a button belongs to (7, 10, 13, 16).
std::int32_t Group_First(std::int32_t n) { return 7 + 3 * ((n - 7) / 3); }

}  // namespace

// --- rules of the player table --------------------------------------------------

std::string Game_Setup_Validate(const std::vector<TGame_Setup_Row>& rows) {
  // A game of no or one nation cannot be played.
  if (Game_Setup_Used_Rows(rows).size() < 2) return "At least two players must take part in the game.";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const TGame_Setup_Row& r = rows[i];
    if (!r.used) continue;
    const std::string n = Int_To_Text(std::int64_t(i) + 1);
    const std::string nation = Text_Trim(r.nation), player = Text_Trim(r.player);
    if (nation.empty()) return "Player " + n + " must have a nation name.";
    if (player.empty()) return "Player " + n + " must have a player name.";
    if (r.flag < 1) return "Player " + n + " must have a flag.";
    if (r.colour < 1) return "Player " + n + " must have a color.";
    for (std::size_t k = 0; k < i; ++k) {
      const TGame_Setup_Row& o = rows[k];
      if (!o.used) continue;
      if (Text_Compare(nation, Text_Trim(o.nation)) == 0) return "Two players cannot have the same nation name.";
      if (Text_Compare(player, Text_Trim(o.player)) == 0) return "Two players cannot have the same player name.";
      if (r.flag == o.flag) return "Two players cannot have the same flag.";
      if (r.colour == o.colour) return "Two players cannot have the same color.";
    }
  }
  return std::string();
}

std::vector<std::int32_t> Game_Setup_Used_Rows(const std::vector<TGame_Setup_Row>& rows) {
  std::vector<std::int32_t> used;
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].used) used.push_back(std::int32_t(i) + 1);
  return used;
}

std::string Game_Setup_Description(const std::vector<TGame_Setup_Row>& rows) {
  std::int32_t humans = 0, computers = 0;
  for (const TGame_Setup_Row& r : rows)
    if (r.used) ++(r.computer ? computers : humans);
  return Int_To_Text(humans) + " Human, " + Int_To_Text(computers) + " Computer";
}

void TGame_Setup_Name_Pool::m_Load(const std::string& file_name) {
  f_names.clear();
  std::ifstream in(Native_Path(file_name), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    line = Text_Trim(line);
    if (!line.empty()) f_names.push_back(line);
  }
}

std::string TGame_Setup_Name_Pool::m_Draw(std::int32_t row) {
  if (f_names.empty()) return f_prefix + Int_To_Text(row);
  const std::int32_t i = Random_Range(1, std::int32_t(f_names.size()));
  const std::string name = f_names.at(std::size_t(i - 1));
  f_names.erase(f_names.begin() + (i - 1));
  return name;
}

// --- the dialog --------------------------------------------------------------------

TDC_Dlg_GameSetup::TDC_Dlg_GameSetup() {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_OPENED, UI_SOUND_VOLUME);
  if (Path_Settings) {
    const std::string temp = Path_Settings->m_Get_Temp_Dir();
    if (Directory_Exists(temp)) Delete_Directory_Files(temp);
    f_background = Gui_Load_Background(Path_Settings->m_Get_Dlg_GameSetup_Bmp());
  }
  Game_Settings.m_Set_Flag_Size(Base_Game_Settings.f_player_flag_width, Base_Game_Settings.f_player_flag_height);

  const char* captions[2] = {"OK", "Cancel"};
  for (int i = 0; i < 2; ++i) {
    TDC_Text_Button& b = f_buttons[std::size_t(i)];
    b.m_Set_Style(2, 90, 22, 0, i + 1);
    b.m_Set_Font(2);
    b.m_Set_Shadow();
    b.m_Set_Text(captions[i]);
    b.m_Set_Position(i == 0 ? OK_Name : Cancel_Name, 0, 0);
    b.OnClick = [this](const std::string& name, TMouse_Button, TShift_State) { m_Button_Click(name); };
    b.m_Set_Visible(true);
    Add_Child_Control(&b);
  }
  for (std::int32_t n = 1; n <= 18; ++n) {
    TDC_Button& b = f_option_buttons[std::size_t(n - 1)];
    b.m_Set_Style(1, 22, 22, Is_Check_Box(n) ? Unchecked : Unselected, n);
    b.m_Set_Position(Row_Text("Option button ", n), 0, 0);
    b.OnClick = [this](const std::string& name, TMouse_Button, TShift_State) { m_Option_Click(name); };
    b.m_Set_Visible(true);
    Add_Child_Control(&b);
  }
  for (std::int32_t n = 1; n <= 3; ++n) {
    TDC_Combobox& c = f_comboboxes[std::size_t(n - 1)];
    c.m_Set_Name_And_Bounds(Row_Text("Combobox ", n), 0, 0, 251, 22);
    c.m_Set_Shadow_Color(0, 0, 0);
    c.OnChange = [this](const std::string& name) { m_Combobox_Changed(name); };
    c.m_Set_Visible(true);
  }
  const std::int32_t flag_height = std::max<std::int32_t>(14, Base_Game_Settings.f_player_flag_height);
  for (std::int32_t n = 1; n <= GAME_SETUP_ROWS; ++n) {
    const std::size_t i = std::size_t(n - 1);
    f_use_player[i].m_Set_Style(1, 22, 22, Checked, n);
    f_use_player[i].m_Set_Frames(Checked, Unchecked);
    f_use_player[i].m_Set_Position(Row_Text("Use Player ", n), 0, 0);
    f_use_player[i].OnClick = [this](const std::string&, TMouse_Button, TShift_State) { m_Update_Rows(); };
    f_comp_control[i].m_Set_Style(1, 22, 22, Checked, n);
    f_comp_control[i].m_Set_Frames(Checked, Unchecked);
    f_comp_control[i].m_Set_Position(Row_Text("Comp Control ", n), 0, 0);
    for (TDC_Combobox* c : {&f_color_combo[i], &f_flag_combo[i]}) {
      c->m_Set_Row_Height(flag_height + 4);
      c->m_Hide_Edit();
      c->f_list_height = 4 * (flag_height + 4) + 4;
    }
    f_color_combo[i].m_Set_Name_And_Bounds(Row_Text("Combobox Color ", n), 0, 0, 62, 22);
    f_flag_combo[i].m_Set_Name_And_Bounds(Row_Text("Combobox Flag ", n), 0, 0, 62, 22);
    f_color_combo[i].OnDrawBox = [this](const std::string&, std::int32_t x, std::int32_t y, std::int32_t w,
                                        std::int32_t h, std::int32_t selected) {
      m_Draw_Color_Item(x, y, w, h, selected, false);
    };
    f_color_combo[i].m_Set_Draw_Callback([this](const std::string&, std::int32_t row, std::int32_t x, std::int32_t top,
                                                std::int32_t w, std::int32_t h, bool, bool highlighted,
                                                const std::string&, const std::string&) {
      m_Draw_Color_Item(x, top, w, h, row, highlighted);
    });
    f_flag_combo[i].OnDrawBox = [this, i](const std::string&, std::int32_t x, std::int32_t y, std::int32_t w,
                                          std::int32_t h, std::int32_t selected) {
      m_Draw_Flag_Item(x, y, w, h, f_color_combo[i].m_Get_Selected_Index(), selected);
    };
    f_flag_combo[i].m_Set_Draw_Callback([this, i](const std::string&, std::int32_t row, std::int32_t x,
                                                  std::int32_t top, std::int32_t w, std::int32_t h, bool, bool,
                                                  const std::string&, const std::string&) {
      m_Draw_Flag_Item(x, top, w, h, f_color_combo[i].m_Get_Selected_Index(), row);
    });
    f_nation_edit[i].m_Set_Position(Row_Text("Edit Nation Name ", n), 0, 0, 184, 22);
    f_player_edit[i].m_Set_Position(Row_Text("Edit Player Name ", n), 0, 0, 175, 22);
    for (TDC_EditText* e : {&f_nation_edit[i], &f_player_edit[i]}) {
      e->m_Set_Shadow_Color(0, 0, 0);
      e->f_maximum_length = 40;
    }
    for (TDisplay_Class* c : std::initializer_list<TDisplay_Class*>{
             &f_use_player[i], &f_color_combo[i], &f_flag_combo[i], &f_nation_edit[i], &f_player_edit[i],
             &f_comp_control[i]}) {
      c->m_Set_Visible(true);
      Add_Child_Control(c);
    }
  }
  // The combo boxes are added after the rows so that an open list lies over them.
  for (TDC_Combobox& c : f_comboboxes) Add_Child_Control(&c);

  // The network controls (used by the lobby), hidden.
  f_ip_edit.m_Set_Position("Edit IP Address", 0, 0, 164, 22);
  f_port_edit.m_Set_Position("Edit Port Num", 0, 0, 164, 22);
  f_port_edit.m_Set_Text("28599");
  f_port_edit.f_digits_only = true;
  f_game_name_edit.m_Set_Position("Edit Game Name", 0, 0, 175, 22);
  // The game's name becomes the folder of its saves.
  f_game_name_edit.f_maximum_length = Path_Name_Max_Length;
  f_chat_edit.m_Set_Position("Edit Chat Text", 0, 0, 201, 22);
  f_chat_send_button.m_Set_Style(2, 90, 22, 0, 3);
  f_chat_send_button.m_Set_Font(2);
  f_chat_send_button.m_Set_Shadow();
  f_chat_send_button.m_Set_Text("Send");
  f_chat_send_button.m_Set_Position("Chat Send Button", 0, 0);
  f_chat_send_button.OnClick = [this](const std::string& name, TMouse_Button, TShift_State) { m_Button_Click(name); };
  f_chat_list.m_Set_Name_And_Bounds("GAMESETUP_CONTROL_LIST_CHAT", 0, 0, 291, 653);
  f_chat_list.m_Set_Auto_Scrollbar(true);
  for (TDisplay_Class* c : std::initializer_list<TDisplay_Class*>{&f_ip_edit, &f_port_edit, &f_game_name_edit,
                                                                   &f_chat_edit, &f_chat_send_button, &f_chat_list}) {
    c->m_Set_Visible(false);
    Add_Child_Control(c);
  }
  for (TDC_EditText* e : {&f_ip_edit, &f_port_edit, &f_game_name_edit, &f_chat_edit}) e->m_Set_Shadow_Color(0, 0, 0);

  // A new generated world, every check box on, technology at its start,
  // medium nations, low forces and money.
  m_Option_Click("Option button 2");
  for (std::int32_t n = 3; n <= 6; ++n) m_Set_Option(n, true);
  for (std::int32_t n : {7, 11, 13, 16}) m_Option_Click(Row_Text("Option button ", n));

  List_Game_Types(f_game_type_names, f_game_type_folders, this);
  TDC_Combobox& types = f_comboboxes[0];
  std::int32_t standard = 0;
  for (std::size_t i = 0; i < f_game_type_names.size(); ++i) {
    types.m_Add_Item(f_game_type_names[i], i < f_game_type_folders.size() ? f_game_type_folders[i] : "");
    if (Text_Compare(f_game_type_names[i], "Standard") == 0 && standard == 0) standard = std::int32_t(i) + 1;
  }
  if (standard) types.m_Select_Item(standard);
  m_Fill_Map_Lists();

  if (Path_Settings) {
    f_nation_names.m_Load(Path_Settings->m_Get_NationNames_File());
    f_player_names.m_Load(Path_Settings->m_Get_PlayerNames_File());
  }
  for (std::int32_t n = 1; n <= GAME_SETUP_ROWS; ++n) {
    const std::size_t i = std::size_t(n - 1);
    f_use_player[i].m_Set_On(true);
    f_comp_control[i].m_Set_On(n > 1);
    if (n <= f_color_combo[i].m_Get_Item_Count()) f_color_combo[i].m_Select_Item(n);
    if (n <= f_flag_combo[i].m_Get_Item_Count()) f_flag_combo[i].m_Select_Item(n);
    f_nation_edit[i].m_Set_Text(f_nation_names.m_Draw(n));
    f_player_edit[i].m_Set_Text(f_player_names.m_Draw(n));
  }
  m_Update_Rows();
}

TDC_Dlg_GameSetup::~TDC_Dlg_GameSetup() {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_CLOSED, UI_SOUND_VOLUME);
  // A job of this dialog must not call it once it is gone.
  if (f_creating) Stepped_Task_End();
  Gui_Release_Background(f_background);
  // What was said in the lobby goes on in the game's chat panel.
  if (G_DC_Main && f_chat_list.m_Get_Row_Count() > 0) {
    std::vector<std::string> lines;
    for (std::int32_t r = 1; r <= f_chat_list.m_Get_Row_Count(); ++r) lines.push_back(f_chat_list.m_Get_Row_Text(r));
    G_DC_Main->m_Chat_Add_Lines(lines);
  }
  if (Shell_Links().attach_multiplayer_events) Shell_Links().attach_multiplayer_events();
  // Only the child dialogs of the base remain listed after this.
  for (TDisplay_Class* c : std::initializer_list<TDisplay_Class*>{&f_ip_edit, &f_port_edit, &f_game_name_edit,
                                                                   &f_chat_edit, &f_chat_send_button, &f_chat_list})
    Remove_Child_Control(c);
  for (TDC_Combobox& c : f_comboboxes) Remove_Child_Control(&c);
  for (std::size_t i = 0; i < std::size_t(GAME_SETUP_ROWS); ++i)
    for (TDisplay_Class* c : std::initializer_list<TDisplay_Class*>{
             &f_use_player[i], &f_color_combo[i], &f_flag_combo[i], &f_nation_edit[i], &f_player_edit[i],
             &f_comp_control[i]})
      Remove_Child_Control(c);
  for (TDC_Button& b : f_option_buttons) Remove_Child_Control(&b);
  for (TDC_Text_Button& b : f_buttons) Remove_Child_Control(&b);
}

bool TDC_Dlg_GameSetup::m_Reload_Images() {
  Gui_Release_Background(f_background);
  if (Path_Settings) f_background = Gui_Load_Background(Path_Settings->m_Get_Dlg_GameSetup_Bmp());
  return TDisplay_Class::m_Reload_Images();
}

bool TDC_Dlg_GameSetup::m_Option(std::int32_t n) const {
  const std::int32_t frame = f_option_buttons.at(std::size_t(n - 1)).m_Image();
  return frame == Checked || frame == Selected;
}

void TDC_Dlg_GameSetup::m_Set_Option(std::int32_t n, bool on) {
  f_option_buttons.at(std::size_t(n - 1)).m_Set_Image(Is_Check_Box(n) ? (on ? Checked : Unchecked)
                                                                        : (on ? Selected : Unselected));
}

std::vector<TGame_Setup_Row> TDC_Dlg_GameSetup::m_Rows() const {
  std::vector<TGame_Setup_Row> rows(static_cast<std::size_t>(GAME_SETUP_ROWS));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i].used = f_use_player[i].m_Is_On();
    rows[i].nation = f_nation_edit[i].m_Text();
    rows[i].player = f_player_edit[i].m_Text();
    rows[i].flag = f_flag_combo[i].m_Get_Selected_Index();
    rows[i].colour = f_color_combo[i].m_Get_Selected_Index();
    rows[i].computer = f_comp_control[i].m_Is_On();
  }
  return rows;
}

void TDC_Dlg_GameSetup::m_Set_Status(const std::string& text) {
  f_status_lines.clear();
  if (text.empty()) return;
  std::vector<std::string> lines;
  G_Font_Set_Font(2);
  G_Font_Split_Text_Lines(0, 0, 366, 1000, text, 12, lines);
  f_status_lines = lines;
  if (f_status_lines.empty()) f_status_lines.push_back(text);
}

void TDC_Dlg_GameSetup::m_On_Reposition() {
  const std::int32_t x = f_x, y = f_y;
  auto at = [](std::int32_t base, std::int32_t offset) { return Checked_Add(base, offset); };
  f_buttons[0].m_Set_Position(OK_Name, at(x, 838), at(y, 744));
  f_buttons[1].m_Set_Position(Cancel_Name, at(x, 929), at(y, 744));
  const std::int32_t combo_y[3] = {53, 104, 140};
  for (std::int32_t n = 1; n <= 3; ++n)
    f_comboboxes[std::size_t(n - 1)].m_Set_Name_And_Bounds(Row_Text("Combobox ", n), at(x, 139),
                                                          at(y, combo_y[n - 1]), 251, 22);
  f_option_buttons[0].m_Set_Position("Option button 1", at(x, 18), at(y, 104));
  f_option_buttons[1].m_Set_Position("Option button 2", at(x, 18), at(y, 140));
  const std::int32_t rows[4] = {488, 524, 560, 596};
  const std::int32_t columns[3] = {452, 544, 636};
  for (std::int32_t n = 3; n <= 6; ++n)
    f_option_buttons[std::size_t(n - 1)].m_Set_Position(Row_Text("Option button ", n), at(x, 18),
                                                        at(y, rows[n - 3]));
  for (std::int32_t n = 7; n <= 18; ++n)
    f_option_buttons[std::size_t(n - 1)].m_Set_Position(Row_Text("Option button ", n),
                                                        at(x, columns[(n - 7) % 3]), at(y, rows[(n - 7) / 3]));
  for (std::int32_t n = 1; n <= GAME_SETUP_ROWS; ++n) {
    const std::size_t i = std::size_t(n - 1);
    const std::int32_t ry = at(y, 208 + 32 * (n - 1));
    f_use_player[i].m_Set_Position(Row_Text("Use Player ", n), at(x, 46), ry);
    f_color_combo[i].m_Set_Name_And_Bounds(Row_Text("Combobox Color ", n), at(x, 88), ry, 62, 22);
    f_flag_combo[i].m_Set_Name_And_Bounds(Row_Text("Combobox Flag ", n), at(x, 163), ry, 62, 22);
    f_nation_edit[i].m_Set_Position(Row_Text("Edit Nation Name ", n), at(x, 237), ry, 184, 22);
    f_player_edit[i].m_Set_Position(Row_Text("Edit Player Name ", n), at(x, 433), ry, 175, 22);
    f_comp_control[i].m_Set_Position(Row_Text("Comp Control ", n), at(x, 636), ry);
  }
  f_ip_edit.m_Set_Position("Edit IP Address", at(x, 139), at(y, 653), 164, 22);
  f_port_edit.m_Set_Position("Edit Port Num", at(x, 139), at(y, 685), 164, 22);
  f_game_name_edit.m_Set_Position("Edit Game Name", at(x, 540), at(y, 53), 175, 22);
  f_chat_list.m_Set_Name_And_Bounds("GAMESETUP_CONTROL_LIST_CHAT", at(x, 725), at(y, 45), 291, 653);
  f_chat_edit.m_Set_Position("Edit Chat Text", at(x, 724), at(y, 701), 201, 22);
  f_chat_send_button.m_Set_Position("Chat Send Button", at(x, 927), at(y, 701));
}

void TDC_Dlg_GameSetup::m_Set_Help_Refs(std::int32_t group) {
  for (std::int32_t n = 1; n <= 3; ++n) f_comboboxes[std::size_t(n - 1)].m_Set_Help_Ref(1, group, 2 * n - 1, "", 0);
  f_option_buttons[0].m_Set_Help_Ref(1, group, 2, "", 0);
  f_option_buttons[1].m_Set_Help_Ref(1, group, 4, "", 0);
  for (std::int32_t n = 3; n <= 6; ++n) f_option_buttons[std::size_t(n - 1)].m_Set_Help_Ref(1, group, n + 9, "", 0);
  for (std::int32_t n = 7; n <= 18; ++n)
    f_option_buttons[std::size_t(n - 1)].m_Set_Help_Ref(1, group, 16 + (n - 7) / 3, "", 0);
  for (std::size_t i = 0; i < std::size_t(GAME_SETUP_ROWS); ++i) {
    f_use_player[i].m_Set_Help_Ref(1, group, 6, "", 0);
    f_color_combo[i].m_Set_Help_Ref(1, group, 7, "", 0);
    f_flag_combo[i].m_Set_Help_Ref(1, group, 8, "", 0);
    f_nation_edit[i].m_Set_Help_Ref(1, group, 9, "", 0);
    f_player_edit[i].m_Set_Help_Ref(1, group, 10, "", 0);
    f_comp_control[i].m_Set_Help_Ref(1, group, 11, "", 0);
  }
  f_buttons[0].m_Set_Help_Ref(1, group, 20, "", 0);
  f_buttons[1].m_Set_Help_Ref(1, group, 21, "", 0);
  f_chat_list.m_Set_Help_Ref(1, group, 22, "", 0);
  f_chat_edit.m_Set_Help_Ref(1, group, 23, "", 0);
  f_chat_send_button.m_Set_Help_Ref(1, group, 24, "", 0);
  f_ip_edit.m_Set_Help_Ref(1, group, 25, "", 0);
  f_port_edit.m_Set_Help_Ref(1, group, 26, "", 0);
  f_game_name_edit.m_Set_Help_Ref(1, group, 28, "", 0);
  // The labels of the background carry the items of the controls beside them.
  m_Clear_Help_Areas();
  m_Add_Help_Area(1, group, 1, "", 0, 10, 53, 125, 22);
  m_Add_Help_Area(1, group, 3, "", 0, 40, 104, 95, 22);
  m_Add_Help_Area(1, group, 5, "", 0, 40, 140, 95, 22);
  const std::int32_t columns[6] = {36, 88, 163, 237, 433, 622};
  const std::int32_t widths[6] = {40, 62, 62, 184, 175, 60};
  for (int c = 0; c < 6; ++c) m_Add_Help_Area(1, group, 6 + c, "", 0, columns[c], 192, widths[c], 14);
  const std::int32_t rows[4] = {488, 524, 560, 596};
  for (int r = 0; r < 4; ++r) {
    m_Add_Help_Area(1, group, 12 + r, "", 0, 44, rows[r], 250, 22);
    m_Add_Help_Area(1, group, 16 + r, "", 0, 298, rows[r], 150, 22);
  }
  if (group != 6) {
    m_Add_Help_Area(1, group, 25, "", 0, 10, 653, 125, 22);
    m_Add_Help_Area(1, group, 26, "", 0, 10, 685, 125, 22);
    m_Add_Help_Area(1, group, 27, "", 0, 346, 640, 370, 90);
    m_Add_Help_Area(1, group, 28, "", 0, 435, 53, 100, 22);
    m_Add_Help_Area(1, group, 22, "", 0, 725, 28, 291, 16);
  }
}

void TDC_Dlg_GameSetup::m_Clear_Row(std::int32_t n) {
  const std::size_t i = std::size_t(n - 1);
  f_use_player[i].m_Set_On(false);
  f_comp_control[i].m_Set_On(false);
  f_nation_edit[i].m_Set_Text("");
  f_player_edit[i].m_Set_Text("");
  m_Enable_Row(n, false);
  f_use_player[i].m_Set_Enabled(false);
}

void TDC_Dlg_GameSetup::m_Enable_Row(std::int32_t n, bool on) {
  const std::size_t i = std::size_t(n - 1);
  f_color_combo[i].m_Set_Enabled(on);
  f_flag_combo[i].m_Set_Enabled(on);
  f_nation_edit[i].m_Set_Enabled(on);
  f_player_edit[i].m_Set_Enabled(on);
  f_comp_control[i].m_Set_Enabled(on);
}

void TDC_Dlg_GameSetup::m_Set_Mode(std::uint8_t mode, bool loaded) {
  f_mode = mode;
  f_loaded_game = loaded;
  // The dialog's modes are numbered as the kinds of game are (TGame_Kind).
  Game_Settings.f_game_kind = mode;
  if (!loaded) Game_Settings.m_Clear_Players();
  const bool network = mode == GAME_SETUP_HOST || mode == GAME_SETUP_JOIN;
  for (TDisplay_Class* c : std::initializer_list<TDisplay_Class*>{&f_ip_edit, &f_port_edit, &f_game_name_edit,
                                                                   &f_chat_edit, &f_chat_send_button, &f_chat_list}) {
    c->m_Set_Visible(network);
    c->m_Set_Enabled(false);
  }
  if (network) {
    f_ip_edit.m_Set_Enabled(true);
    f_port_edit.m_Set_Enabled(true);
    f_game_name_edit.m_Set_Enabled(mode == GAME_SETUP_HOST);
    f_chat_list.m_Set_Enabled(true);
  }
  m_Set_Help_Refs(mode == GAME_SETUP_HOST ? 7 : mode == GAME_SETUP_JOIN ? 8 : 6);
  f_title = "Game Setup";
  switch (mode) {
    case GAME_SETUP_SINGLE_PLAYER:
      f_comp_control[0].m_Set_On(false);
      f_use_player[0].m_Set_On(true);
      f_use_player[1].m_Set_On(true);
      for (std::size_t i = 1; i < std::size_t(GAME_SETUP_ROWS); ++i) f_comp_control[i].m_Set_On(true);
      break;
    case GAME_SETUP_HOST:
      f_buttons[0].m_Set_Text("Create");
      f_title = "Host A Game";
      m_Set_Status("Please wait...");
      f_ip_edit.m_Set_Text("");
      f_port_edit.m_Set_Text("28599");
      for (std::int32_t n = 1; n <= GAME_SETUP_ROWS; ++n) m_Clear_Row(n);
      f_use_player[0].m_Set_On(true);
      f_nation_edit[0].m_Set_Enabled(true);
      f_player_edit[0].m_Set_Enabled(true);
      m_Set_Option(1, true);
      m_Set_Option(2, false);
      f_option_buttons[0].m_Set_Enabled(false);
      f_option_buttons[1].m_Set_Enabled(false);
      f_comboboxes[1].m_Set_Enabled(true);
      f_comboboxes[2].m_Set_Enabled(false);
      break;
    case GAME_SETUP_JOIN:
      f_buttons[0].m_Set_Text("Connect");
      f_title = "Join A Game";
      m_Set_Status("");
      f_ip_edit.m_Set_Text("");
      f_port_edit.m_Set_Text("28599");
      for (TDC_Combobox& c : f_comboboxes) {
        c.m_Clear();
        c.m_Select_Item(0);
        c.m_Set_Enabled(false);
      }
      for (std::int32_t n = 1; n <= 18; ++n) {
        m_Set_Option(n, false);
        f_option_buttons[std::size_t(n - 1)].m_Set_Enabled(false);
      }
      for (std::int32_t n = 1; n <= GAME_SETUP_ROWS; ++n) {
        m_Clear_Row(n);
        f_color_combo[std::size_t(n - 1)].m_Select_Item(0);
        f_flag_combo[std::size_t(n - 1)].m_Select_Item(0);
      }
      break;
    default:
      break;
  }
  m_Update_Rows();
  if (loaded) m_Show_Loaded_Game();
}

void TDC_Dlg_GameSetup::m_Show_Loaded_Game() {
  // A saved game resumed as a hosted network game: its settings are shown
  // and cannot be changed; its human players log in to their slots.
  for (TDisplay_Class* c : std::initializer_list<TDisplay_Class*>{&f_ip_edit, &f_port_edit, &f_game_name_edit,
                                                                   &f_chat_edit, &f_chat_send_button, &f_chat_list})
    c->m_Set_Visible(true);
  f_ip_edit.m_Set_Enabled(true);
  f_port_edit.m_Set_Enabled(true);
  f_game_name_edit.m_Set_Enabled(false);
  f_chat_edit.m_Set_Enabled(false);
  f_chat_send_button.m_Set_Enabled(false);
  f_chat_list.m_Set_Enabled(true);
  f_buttons[0].m_Set_Text("Connect");
  f_title = "Host A Game";
  m_Set_Status("Please wait...");
  f_ip_edit.m_Set_Text("");
  f_port_edit.m_Set_Text("28599");
  f_comboboxes[0].m_Set_Text(Game_Settings.f_setup_game_type_name);
  f_comboboxes[1].m_Set_Text(Game_Settings.f_setup_map_text);
  m_Set_Option(3, Game_Settings.f_setup_option_1);
  m_Set_Option(4, Game_Settings.f_setup_option_2);
  m_Set_Option(5, Game_Settings.f_neutral_empire);
  m_Set_Option(6, Game_Settings.f_fog_of_war);
  const std::int32_t technology = Game_Settings.m_Technology_Level();
  const std::int32_t chosen[4] = {technology, Game_Settings.f_nation_size_level, Game_Settings.f_starting_forces_level,
                                  Game_Settings.f_starting_money_level};
  for (std::int32_t g = 0; g < 4; ++g)
    for (std::int32_t k = 0; k < 3; ++k) m_Set_Option(7 + 3 * g + k, chosen[g] == k + 1);
  m_Set_Option(1, true);
  m_Set_Option(2, false);
  for (TDC_Combobox& c : f_comboboxes) c.m_Set_Enabled(false);
  for (TDC_Button& b : f_option_buttons) b.m_Set_Enabled(false);
  for (std::int32_t n = 1; n <= GAME_SETUP_ROWS; ++n) m_Clear_Row(n);
  const std::int32_t empires = G_Empire_List ? std::min(G_Empire_List->m_Get_Count(), GAME_SETUP_ROWS) : 0;
  for (std::int32_t n = 1; n <= empires; ++n) {
    const std::size_t i = std::size_t(n - 1);
    if (n <= Game_Settings.f_player_count) {
      TGame_Settings_Player_Slot& slot = Game_Settings.m_Player(n);
      f_nation_edit[i].m_Set_Text(slot.f_nation_name);
      f_player_edit[i].m_Set_Text(slot.f_player_name);
      f_comp_control[i].m_Set_On(false);
      slot.f_connected = 0;
      f_use_player[i].m_Set_On(n == 1);
    } else {
      const TEmpire& e = *G_Empire_List->m_Get_Empire(n);
      if (e.m_Get_Neutral()) continue;
      f_use_player[i].m_Set_On(true);
      f_nation_edit[i].m_Set_Text(e.m_Get_Nation_Name());
      f_player_edit[i].m_Set_Text(e.m_Get_Player_Name());
      f_comp_control[i].m_Set_On(e.m_Get_Computer_Controlled());
    }
  }
}

void TDC_Dlg_GameSetup::m_Update_Rows() {
  if (f_mode != GAME_SETUP_SINGLE_PLAYER && f_mode != GAME_SETUP_HOTSEAT) return;
  for (std::int32_t n = 1; n <= GAME_SETUP_ROWS; ++n) {
    f_use_player[std::size_t(n - 1)].m_Set_Enabled(true);
    m_Enable_Row(n, f_use_player[std::size_t(n - 1)].m_Is_On());
  }
  if (f_mode == GAME_SETUP_SINGLE_PLAYER) {
    // Player 1 is the human, player 2 is always there, every other row in
    // use is played by the computer.
    f_use_player[0].m_Set_Enabled(false);
    f_use_player[1].m_Set_Enabled(false);
    for (TDC_Button_Toggle& c : f_comp_control) c.m_Set_Enabled(false);
  }
}

void TDC_Dlg_GameSetup::m_Fill_Map_Lists() {
  TDC_Combobox& stored = f_comboboxes[1];
  TDC_Combobox& types = f_comboboxes[2];
  stored.m_Clear();
  types.m_Clear();
  std::vector<std::string> names, folders;
  List_Stored_Maps(names, folders);
  for (std::size_t i = 0; i < names.size(); ++i) stored.m_Add_Item(names[i], i < folders.size() ? folders[i] : "");
  stored.m_Select_Item(names.empty() ? 0 : 1);
  if (!Map_Type_List && Path_Settings) Datafile_MapTypes_Load(Path_Settings->m_Get_MapTypes_File(), this);
  std::int32_t chosen = 0;
  if (Map_Type_List)
    for (std::uint16_t i = 1; i <= Map_Type_List->m_Count(); ++i) {
      const std::string& name = Map_Type_List->m_Get_Item(i)->f_name;
      types.m_Add_Item(name, name);
      if (chosen == 0 && Text_Compare(name, Base_Game_Settings.f_default_map_type) == 0) chosen = i;
    }
  types.m_Select_Item(types.m_Get_Item_Count() == 0 ? 0 : chosen ? chosen : 1);
  // The base settings hold at least as many colours and flags as there are
  // rows (the settings file is refused otherwise).
  for (std::size_t i = 0; i < std::size_t(GAME_SETUP_ROWS); ++i) {
    const std::int32_t colour = f_color_combo[i].m_Get_Selected_Index(), flag = f_flag_combo[i].m_Get_Selected_Index();
    f_color_combo[i].m_Clear();
    f_flag_combo[i].m_Clear();
    for (std::uint16_t c = 1; c <= Base_Game_Settings.m_Player_Color_Count(); ++c) f_color_combo[i].m_Add_Item("", "");
    for (std::uint16_t f = 1; f <= Base_Game_Settings.f_player_flags_per_color; ++f)
      f_flag_combo[i].m_Add_Item("", "");
    f_color_combo[i].m_Select_Item(colour <= f_color_combo[i].m_Get_Item_Count() ? colour : 0);
    f_flag_combo[i].m_Select_Item(flag <= f_flag_combo[i].m_Get_Item_Count() ? flag : 0);
  }
}

void TDC_Dlg_GameSetup::m_Combobox_Changed(const std::string& name) {
  if (Text_Compare(name, "Combobox 1") != 0) return;
  const std::int32_t i = f_comboboxes[0].m_Get_Selected_Index();
  if (i < 1 || i > std::int32_t(f_game_type_names.size()) || i > std::int32_t(f_game_type_folders.size())) return;
  if (Path_Settings)
    Path_Settings->m_Set_Game_Type(f_game_type_folders[std::size_t(i - 1)], f_game_type_names[std::size_t(i - 1)]);
  Game_Init_Reload_Data();
  Game_Init_Load_Rule_Files();
  // The map types of the new game type are read again.
  Datafile_MapTypes_Free();
  m_Fill_Map_Lists();
  Game_Settings.m_Set_Flag_Size(Base_Game_Settings.f_player_flag_width, Base_Game_Settings.f_player_flag_height);
}

void TDC_Dlg_GameSetup::m_Option_Click(const std::string& name) {
  std::int32_t n = 0;
  for (std::int32_t i = 1; i <= 18; ++i)
    if (Text_Compare(name, Row_Text("Option button ", i)) == 0) n = i;
  if (n == 0) return;
  if (n == 1 || n == 2) {
    m_Set_Option(1, n == 1);
    m_Set_Option(2, n == 2);
    f_comboboxes[1].m_Set_Enabled(n == 1);
    f_comboboxes[2].m_Set_Enabled(n == 2);
  } else if (Is_Check_Box(n)) {
    m_Set_Option(n, !m_Option(n));
  } else {
    const std::int32_t first = Group_First(n);
    for (std::int32_t k = first; k < first + 3; ++k) m_Set_Option(k, k == n);
  }
}

bool TDC_Dlg_GameSetup::m_Validate_Players() {
  const std::string error = Game_Setup_Validate(m_Rows());
  if (error.empty()) return true;
  m_Show_Info_Message("Error", error, 0);
  return false;
}

void TDC_Dlg_GameSetup::m_Button_Click(const std::string& name) {
  if (f_creating) return;
  if (Text_Compare(name, OK_Name) == 0) {
    if (f_mode == GAME_SETUP_SINGLE_PLAYER || f_mode == GAME_SETUP_HOTSEAT) {
      if (m_Validate_Players()) {
        f_result = TGame_Setup_Result::Game_Made;
        m_Create_New_Game();
      }
    }
  } else if (Text_Compare(name, Cancel_Name) == 0) {
    if (Shell_Links().free_multiplayer) Shell_Links().free_multiplayer();
    Game_Settings.m_Clear_Players();
    f_result = TGame_Setup_Result::Cancelled;
    Set_Kill_Object(true);
  }
}

bool TDC_Dlg_GameSetup::m_On_Key_Down(std::uint16_t& key, TShift_State) {
  if (key != VK_ESCAPE) return false;
  if (Combobox_Close_Open_List(*this)) return true;
  if (!f_creating) m_Button_Click(Cancel_Name);
  return true;
}

void TDC_Dlg_GameSetup::m_Create_New_Game() {
  m_Open_Progress();
  if (m_Progress_Dialog()) m_Progress_Dialog()->m_Set_Caption("Creating Game...");
  if (G_Map) G_Map->m_Clear();
  if (g_tg_texture_list) {
    g_tg_texture_list->m_Unload_Group(3);
    g_tg_texture_list->m_Unload_Group(4);
  }
  const std::int32_t money = m_Option(18) ? 3 : m_Option(17) ? 2 : 1;
  const TDC_Combobox& type = f_comboboxes[0];
  Game_Settings.f_setup_game_type_name =
      type.m_Get_Selected_Index() >= 1 && type.m_Get_Selected_Index() <= std::int32_t(f_game_type_names.size())
          ? f_game_type_names[std::size_t(type.m_Get_Selected_Index() - 1)]
          : std::string();
  Game_Settings.f_setup_map_type_text = f_comboboxes[2].m_Get_Text();
  Game_Settings.f_setup_map_text = f_comboboxes[1].m_Get_Text();
  Game_Settings.f_starting_money_level = std::uint8_t(money);
  const std::int32_t tech = m_Option(9) ? 3 : m_Option(8) ? 2 : 1;
  const bool generate = m_Option(2);
  if (G_Map) {
    G_Map->m_Set_Generated(generate);
    if (generate)
      G_Map->m_Set_Map_Type_Name(f_comboboxes[2].m_Get_Text());
    else
      G_Map->m_Set_Stored_Map_Name(f_comboboxes[1].m_Get_Text());
  }
  const TBase_Game_Settings& base = Base_Game_Settings;
  const std::int32_t treasury = money == 3   ? base.f_starting_money_high
                                : money == 2 ? base.f_starting_money_medium
                                             : base.f_starting_money_low;

  // The rows in use, in their order, become empires 1, 2, 3, ...
  const std::vector<TGame_Setup_Row> rows = m_Rows();
  const std::vector<std::int32_t> used = Game_Setup_Used_Rows(rows);
  const std::int32_t count = std::int32_t(used.size());
  const bool neutral = m_Option(5);
  if (G_Empire_List) {
    G_Empire_List->m_Clear();
    G_Empire_List->m_Create_Empires(count + (neutral ? 1 : 0));
    for (std::int32_t k = 1; k <= count; ++k) {
      const TGame_Setup_Row& r = rows[std::size_t(used[std::size_t(k - 1)] - 1)];
      TEmpire& e = *G_Empire_List->m_Get_Empire(k);
      e.m_Set_Number(std::uint8_t(k));
      e.m_Set_Nation_Name(Text_Trim(r.nation));
      e.m_Set_Player_Name(Text_Trim(r.player));
      e.m_Set_Computer_Controlled(r.computer);
      e.m_Set_Neutral(false);
      const Player_Color_Pair& pair = base.m_Get_Player_Color(r.colour);
      e.m_Set_Color(pair.f_standard);
      e.m_Set_Second_Color(pair.f_bright);
      e.m_Set_Flag_Index(std::uint8_t(r.flag));
      e.m_Set_Color_Index(std::uint8_t(r.colour));
      e.m_Set_Treasury(treasury);
      e.m_Init_Tech_Levels(tech);
    }
  }
  Game_Settings.m_Set_Description(Game_Setup_Description(rows));
  Game_Settings.f_player_count = std::uint16_t(count);
  Game_Settings.m_Set_Player_Matrix_Size(std::uint8_t(count + (neutral ? 1 : 0)));
  Game_Settings.f_setup_option_1 = m_Option(3);
  Game_Settings.f_setup_option_2 = m_Option(4);
  Game_Settings.m_Set_Technology_Level(std::uint8_t(tech));
  Game_Settings.f_neutral_empire = neutral;
  Game_Settings.f_fog_of_war = m_Option(6);
  const std::uint8_t neutral_money = m_Option(18) ? 3 : m_Option(17) ? 2 : 1;
  Game_Settings.f_neutral_money_level = neutral_money;
  if (neutral && G_Empire_List) {
    TEmpire& e = *G_Empire_List->m_Get_Empire(count + 1);
    e.m_Set_Number(std::uint8_t(count + 1));
    e.m_Set_Nation_Name("Neutral Empire");
    e.m_Set_Player_Name("General Neutral");
    e.m_Set_Computer_Controlled(true);
    e.m_Set_Neutral(true);
    e.m_Set_Color(base.f_neutral_empire_standard_color);
    e.m_Set_Second_Color(base.f_neutral_empire_bright_color);
    e.m_Set_Flag_Index(std::uint8_t(base.f_neutral_empire_flag_index));
    e.m_Set_Color_Index(std::uint8_t(base.f_neutral_empire_color_index));
    e.m_Set_Treasury(neutral_money == 3   ? base.f_neutral_starting_money_high
                     : neutral_money == 2 ? base.f_neutral_starting_money_medium
                                          : base.f_neutral_starting_money_low);
    e.m_Init_Tech_Levels(1);
  }
  Game_Settings.f_nation_size_level = m_Option(12) ? 3 : m_Option(11) ? 2 : 1;
  Game_Settings.f_starting_forces_level = m_Option(15) ? 3 : m_Option(14) ? 2 : 1;
  Game_Settings.f_autosave_slot = 0;
  Game_Settings.f_autosave_pending = false;
  f_creating = true;
  f_create_failed = false;
  Stepped_Task_Begin(m_Progress_Dialog(), 1, 100, 0, &TDC_Dlg_GameSetup::m_Create_Step, this);
}

bool TDC_Dlg_GameSetup::m_Create_Step(void* object, bool is_first, bool is_last, std::int32_t step,
                                      TDisplay_Class*, float, std::int32_t, std::int32_t&) {
  auto* self = static_cast<TDC_Dlg_GameSetup*>(object);
  if (is_first) return true;
  if (is_last) {
    self->m_Close_Progress();
    self->f_creating = false;
    if (self->f_create_failed) {
      self->f_result = TGame_Setup_Result::Open;
      return false;
    }
    Game_Session_Prepare_New_World();
    self->f_result = TGame_Setup_Result::Game_Made;
    self->m_Game_Created();
    return false;
  }
  if (TDC_Dlg_Progress* p = self->m_Progress_Dialog()) {
    // The bar closes itself at 100: it stays at 99 until the job ends.
    p->m_Set_Percent(std::min(step, 99));
    p->m_Set_Caption("Creating Game..." + Int_To_Text(step) + "%");
  }
  try {
    if (!Main_New_Game_Stepped(step, self)) self->f_create_failed = true;
  } catch (const std::exception& e) {
    self->f_create_failed = true;
    self->m_Show_Info_Message("Error", std::string("The new game could not be created: ") + e.what(), 0);
  }
  return !self->f_create_failed;
}

void TDC_Dlg_GameSetup::m_Game_Created() { Set_Kill_Object(true); }

void TDC_Dlg_GameSetup::m_Draw_Color_Item(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                                          std::int32_t colour, bool highlighted) {
  G_Draw_2D_Color_Part(Make_Color(16, 20, 28), TRect{x, y, x + width, y + height}, false, false);
  if (colour >= 1 && colour <= Base_Game_Settings.m_Player_Color_Count()) {
    const Player_Color_Pair& pair = Base_Game_Settings.m_Get_Player_Color(colour);
    G_Draw_2D_Color_Part(highlighted ? pair.f_bright : pair.f_standard,
                         TRect{x + 2, y + 2, x + width - 2, y + height - 2}, false, false);
  }
}

void TDC_Dlg_GameSetup::m_Draw_Flag_Item(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                                         std::int32_t colour, std::int32_t flag) {
  G_Draw_2D_Color_Part(Make_Color(16, 20, 28), TRect{x, y, x + width, y + height}, false, false);
  if (flag < 1) return;
  // The flags atlas has one row per colour and one column per flag.
  const std::int32_t fw = Game_Settings.f_flag_width, fh = Game_Settings.f_flag_height;
  Gui_Display_Link().m_Draw_Grid_Icon(x + (width - fw) / 2, y + (height - fh) / 2, colour >= 1 ? colour : 1, flag);
}

const std::vector<TGame_Setup_Label_Cover>& Game_Setup_Network_Label_Covers() {
  static const std::vector<TGame_Setup_Label_Cover> covers = {
      {720, 28, 762, 46, -46},   // Chat
      {436, 55, 518, 76, -260},  // Game Name
      {344, 636, 392, 656, 428}, // Status
      {14, 655, 84, 675, 74},    // IP Address
      {14, 687, 48, 707, 43},    // Port
  };
  return covers;
}

void TDC_Dlg_GameSetup::m_Draw(double) {
  Gui_Draw_Background(f_background, f_x, f_y, 1024, 768);
  Gui_Draw_Dialog_Title(f_x, f_y, f_title);
  if ((f_mode == GAME_SETUP_SINGLE_PLAYER || f_mode == GAME_SETUP_HOTSEAT) && g_tg_texture_list) {
    // At one machine the network area stays empty: each label of it printed
    // on the background is covered by a plain stretch of the same picture
    // taken elsewhere on the same rows (the stretch whose edges match the
    // surroundings best), so the streaks run on unbroken.
    for (const TGame_Setup_Label_Cover& c : Game_Setup_Network_Label_Covers()) {
      const TRect dest{f_x + c.left, f_y + c.top, f_x + c.right, f_y + c.bottom};
      const TRect source{c.left + c.shift, c.top, c.right + c.shift, c.bottom};
      g_tg_texture_list->m_Draw_Part(dest, f_background, source, false);
    }
  }
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  if (f_mode == GAME_SETUP_HOST) font.m_Draw_Text(f_x + 12, f_y + 208 + 4, "Host");
  std::int32_t y = f_y + 656;
  for (const std::string& line : f_status_lines) {
    font.m_Draw_Text(f_x + 350, y, line);
    y += 12;
  }
  // A disabled colour or flag choice is greyed.
  for (std::size_t i = 0; i < std::size_t(GAME_SETUP_ROWS); ++i)
    for (TDC_Combobox* c : {&f_color_combo[i], &f_flag_combo[i]})
      if (!c->m_Enabled() && c->m_Visible())
        G_Draw_2D_Color_Part(Make_Color(100, 100, 100, 75),
                             TRect{c->m_X(), c->m_Y(), c->m_X() + c->m_Width(), c->m_Y() + c->m_Height()}, false,
                             true);
}

// --- the main screen's maker ----------------------------------------------------

void Game_Setup_Set_Lobby_Maker(TGame_Setup_Lobby_Maker maker) { Lobby_Maker() = std::move(maker); }

void Game_Setup_Install() {
  DC_Main_Register_Dialog(
      "Dlg Game Setup",
      {[](std::int32_t a, std::int32_t b) -> std::unique_ptr<TDisplay_Class> {
         const std::uint8_t mode = std::uint8_t(std::clamp(b, 1, 4));
         if ((mode == GAME_SETUP_HOST || mode == GAME_SETUP_JOIN) && Lobby_Maker()) return Lobby_Maker()(a == 1, mode);
         auto dialog = std::make_unique<TDC_Dlg_GameSetup>();
         dialog->m_Set_Mode(mode, a == 1);
         return dialog;
       },
       [](TDisplay_Class& dialog) {
         TDC_Main_Dialog_Outcome outcome;
         if (auto* setup = dynamic_cast<TDC_Dlg_GameSetup*>(&dialog)) outcome.result = std::int32_t(setup->m_Result());
         return outcome;
       }});
}
