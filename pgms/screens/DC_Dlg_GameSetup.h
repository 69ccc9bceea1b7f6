// The game setup: the full-screen dialog in which a game is set up before
// play. In a game at one machine (single player, hot seat) the player picks
// the game type, a stored map or a map type for a new world, the starting
// options and up to eight nations (each row: in use, colour, flag, nation
// name, player name, computer player), then OK checks the rows and builds the
// new game as a stepped job under a progress dialog.
//
// The rows in use become the empires in their order: empire k is the k-th
// row in use, so leaving a row out between others still numbers the empires
// 1, 2, 3, ... The network lobby (hosting and joining) builds on this dialog
// and its controls.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DC_Base_ButtonToggle.h"
#include "DC_Base_ComboBox.h"
#include "DC_Base_Dialog.h"
#include "DC_Base_EditText.h"
#include "DC_Base_List.h"
#include "DC_Base_TextButton.h"
#include "Vector_Types.h"

constexpr std::int32_t GAME_SETUP_ROWS = 8;

// Setup modes (the game type byte of the game settings).
constexpr std::uint8_t GAME_SETUP_SINGLE_PLAYER = 1, GAME_SETUP_HOTSEAT = 2, GAME_SETUP_HOST = 3,
                       GAME_SETUP_JOIN = 4;

// How the setup ends: still open, a game was made, or it was cancelled (back
// to the start menu).
enum class TGame_Setup_Result : std::int32_t { Open = 0, Game_Made = 1, Cancelled = 2 };

// One row of the player table as the checks see it (indices 0 = none).
struct TGame_Setup_Row {
  bool used = false;
  std::string nation, player;
  std::int32_t flag = 0, colour = 0;
  bool computer = false;
};

// The first failure of the rows in use, in the words shown to the player;
// empty when the rows may start a game. Names are trimmed and compared
// without regard to case; rows not in use take no part.
std::string Game_Setup_Validate(const std::vector<TGame_Setup_Row>& rows);

// The numbers (1-based) of the rows in use, in order: empire k is built from
// entry k.
std::vector<std::int32_t> Game_Setup_Used_Rows(const std::vector<TGame_Setup_Row>& rows);

// "h Human, c Computer" for the rows in use.
std::string Game_Setup_Description(const std::vector<TGame_Setup_Row>& rows);

// A label of the network area printed on the setup background, in pixels of
// the 1024 x 768 picture (right and bottom excluded), and how far to the
// right (negative: left) on the same rows a plain stretch of the picture
// lies that can cover it.
struct TGame_Setup_Label_Cover {
  std::int32_t left, top, right, bottom, shift;
};

// The network labels ("Chat", "Game Name", "Status", "IP Address", "Port")
// that a game at one machine covers.
const std::vector<TGame_Setup_Label_Cover>& Game_Setup_Network_Label_Covers();

// A pool of names read from a data file (one name a line, blank lines
// skipped). Drawing takes a random name out of the pool; once the pool is
// empty it makes one from its prefix and the row number ("Nation 9").
class TGame_Setup_Name_Pool {
public:
  explicit TGame_Setup_Name_Pool(std::string prefix) : f_prefix(std::move(prefix)) {}
  // Replaces the pool with the names of the file; a missing file leaves it empty.
  void m_Load(const std::string& file_name);
  void m_Set(std::vector<std::string> names) { f_names = std::move(names); }
  std::string m_Draw(std::int32_t row);
  std::size_t m_Count() const { return f_names.size(); }

private:
  std::string f_prefix;
  std::vector<std::string> f_names;
};

class TDC_Dlg_GameSetup : public TDC_Dlg_BaseDialog {
public:
  TDC_Dlg_GameSetup();
  ~TDC_Dlg_GameSetup() override;

  std::int32_t m_Get_Width() override { return 1024; }
  std::int32_t m_Get_Height() override { return 768; }
  bool m_Reload_Images() override;
  void m_On_Mouse_Down(TMouse_Button, TShift_State, std::int32_t, std::int32_t) override {}
  void m_On_Mouse_Up(TMouse_Button, TShift_State, std::int32_t, std::int32_t, bool) override {}
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override;

  // Sets the game type byte and adapts the controls to the mode.
  virtual void m_Set_Mode(std::uint8_t mode, bool loaded);
  virtual void m_Button_Click(const std::string& name);
  void m_Option_Click(const std::string& name);
  void m_Combobox_Changed(const std::string& name);
  void m_Update_Rows();
  void m_Fill_Map_Lists();
  // Checks the rows in use; a failure is shown under "Error" and gives false.
  bool m_Validate_Players();
  // Builds the empires and the settings and starts the stepped job.
  void m_Create_New_Game();

  // The rows as the checks see them.
  std::vector<TGame_Setup_Row> m_Rows() const;

  TGame_Setup_Result m_Result() const { return f_result; }
  std::uint8_t m_Mode() const { return f_mode; }
  const std::string& m_Title() const { return f_title; }
  bool m_Option(std::int32_t n) const;  // selected / checked
  bool m_Creating() const { return f_creating; }

  // The controls, for the lobby and for tests.
  TDC_Text_Button& m_OK() { return f_buttons[0]; }
  TDC_Text_Button& m_Cancel() { return f_buttons[1]; }
  TDC_Combobox& m_Combobox(std::int32_t n) { return f_comboboxes[std::size_t(n - 1)]; }
  TDC_Button& m_Option_Button(std::int32_t n) { return f_option_buttons[std::size_t(n - 1)]; }
  TDC_Button_Toggle& m_Use_Player(std::int32_t n) { return f_use_player[std::size_t(n - 1)]; }
  TDC_Combobox& m_Color_Combo(std::int32_t n) { return f_color_combo[std::size_t(n - 1)]; }
  TDC_Combobox& m_Flag_Combo(std::int32_t n) { return f_flag_combo[std::size_t(n - 1)]; }
  TDC_EditText& m_Nation_Edit(std::int32_t n) { return f_nation_edit[std::size_t(n - 1)]; }
  TDC_EditText& m_Player_Edit(std::int32_t n) { return f_player_edit[std::size_t(n - 1)]; }
  TDC_Button_Toggle& m_Comp_Control(std::int32_t n) { return f_comp_control[std::size_t(n - 1)]; }
  TDC_EditText& m_IP_Edit() { return f_ip_edit; }
  TDC_EditText& m_Port_Edit() { return f_port_edit; }
  TDC_EditText& m_Game_Name_Edit() { return f_game_name_edit; }
  TDC_EditText& m_Chat_Edit() { return f_chat_edit; }
  TDC_Text_Button& m_Chat_Send_Button() { return f_chat_send_button; }
  TDC_List& m_Chat_List() { return f_chat_list; }

  // The step routine of the new-game job.
  static bool m_Create_Step(void* object, bool is_first, bool is_last, std::int32_t step,
                            TDisplay_Class* progress, float elapsed, std::int32_t extra, std::int32_t& state);

protected:
  void m_Set_Status(const std::string& text);
  // Shows the settings and nations of a loaded game (resumed as a hosted game).
  void m_Show_Loaded_Game();
  void m_Set_Option(std::int32_t n, bool on);
  void m_Clear_Row(std::int32_t n);
  void m_Enable_Row(std::int32_t n, bool on);
  void m_Set_Help_Refs(std::int32_t group);
  void m_Draw_Color_Item(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                         std::int32_t colour, bool highlighted);
  void m_Draw_Flag_Item(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                        std::int32_t colour, std::int32_t flag);
  // Called by the last step of the new-game job when the game stands; the
  // lobby sends the files from here.
  virtual void m_Game_Created();

  std::int32_t f_background = 0;
  std::array<TDC_Text_Button, 2> f_buttons;
  std::array<TDC_Combobox, 3> f_comboboxes;
  std::array<TDC_Button, 18> f_option_buttons;
  std::array<TDC_Button_Toggle, GAME_SETUP_ROWS> f_use_player;
  std::array<TDC_Combobox, GAME_SETUP_ROWS> f_color_combo;
  std::array<TDC_Combobox, GAME_SETUP_ROWS> f_flag_combo;
  std::array<TDC_EditText, GAME_SETUP_ROWS> f_nation_edit;
  std::array<TDC_EditText, GAME_SETUP_ROWS> f_player_edit;
  std::array<TDC_Button_Toggle, GAME_SETUP_ROWS> f_comp_control;
  TGame_Setup_Result f_result = TGame_Setup_Result::Open;
  std::uint8_t f_mode = GAME_SETUP_SINGLE_PLAYER;
  std::string f_title = "Game Setup";
  std::vector<std::string> f_status_lines;
  std::vector<std::string> f_game_type_names, f_game_type_folders;
  TGame_Setup_Name_Pool f_nation_names{"Nation "}, f_player_names{"Player "};
  TDC_EditText f_ip_edit, f_port_edit, f_game_name_edit, f_chat_edit;
  TDC_Text_Button f_chat_send_button;
  TDC_List f_chat_list;
  bool f_loaded_game = false;
  bool f_creating = false;
  bool f_create_failed = false;
};

// Makes the game setup known to the main screen as "Dlg Game Setup". The
// lobby installs a maker of its own for the network modes (3 and 4): it is
// called with "loaded game" and the mode and returns the dialog, its mode set.
using TGame_Setup_Lobby_Maker = std::function<std::unique_ptr<TDC_Dlg_GameSetup>(bool loaded, std::uint8_t mode)>;
void Game_Setup_Set_Lobby_Maker(TGame_Setup_Lobby_Maker maker);
void Game_Setup_Install();
