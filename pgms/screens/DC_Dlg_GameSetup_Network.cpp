#include "DC_Dlg_GameSetup_Network.h"

#include "DC_Main.h"
#include "Errors.h"
#include "Global.h"
#include "Io.h"

namespace {

constexpr const char* OK_Name = "GAMESETUP_CONTROL_BUTTON_OK";
constexpr const char* Cancel_Name = "GAMESETUP_CONTROL_BUTTON_CANCEL";
constexpr const char* Send_Name = "Chat Send Button";
constexpr const char* Login_Name = "Dlg Login";
constexpr std::int32_t Chat_Line_Height = 14;

void Set_Text_If(TDC_EditText& edit, const std::string& text) {
  if (edit.m_Text() != text) edit.m_Set_Text(text);
}

void Select_If(TDC_Combobox& combo, std::int32_t item) {
  if (item < 0 || item > combo.m_Get_Item_Count()) item = 0;
  if (combo.m_Get_Selected_Index() != item) combo.m_Select_Item(item);
}

}  // namespace

TDC_Dlg_GameSetup_Network::TDC_Dlg_GameSetup_Network(std::uint8_t mode, bool loaded, TLobby_Network* network) {
  TDC_Dlg_GameSetup::m_Set_Mode(mode, loaded);
  f_lobby = std::make_unique<TGameSetup_Lobby>(mode, loaded, network);
  G_GameSetup_Lobby = f_lobby.get();
  TGameSetup_Lobby& lobby = *f_lobby;
  lobby.f_on_error = [this](const std::string& text) { m_Show_Info_Message("Error", text, 0); };
  lobby.f_on_open_login = [this](bool resumed) { m_Open_Login(resumed); };
  lobby.f_on_close = [this] {
    f_result = f_lobby->f_result == TLobby_Result::Start_Game  ? TGame_Setup_Result::Game_Made
               : f_lobby->f_result == TLobby_Result::Cancelled ? TGame_Setup_Result::Cancelled
                                                                : TGame_Setup_Result::Open;
    Set_Kill_Object(true);
  };
  lobby.f_on_create_game = [this] {
    // The new game is built from the rows as the lobby holds them.
    m_Show_Lobby(true);
    m_Create_New_Game();
  };
  lobby.f_draw_name = [this](std::int32_t pool) {
    std::int32_t& drawn = f_drawn_names[pool == 1 ? 0 : 1];
    ++drawn;
    return pool == 1 ? f_nation_names.m_Draw(drawn) : f_player_names.m_Draw(drawn);
  };
  // The host starts from the dialog's own choices of game type, map and options.
  m_Take_Input();
  m_Show_Lobby(true);
}

TDC_Dlg_GameSetup_Network::~TDC_Dlg_GameSetup_Network() {
  if (f_login_dialog) Remove_Child_Control(f_login_dialog.get());
  f_login_dialog.reset();
  // The lobby hands the network events to the running game as it goes.
  f_lobby.reset();
}

void TDC_Dlg_GameSetup_Network::m_Set_Mode(std::uint8_t mode, bool loaded) {
  TDC_Dlg_GameSetup::m_Set_Mode(mode, loaded);
  if (!f_lobby) return;
  f_lobby->m_Set_Mode(mode, loaded);
  m_Take_Input();
  m_Show_Lobby(true);
}

void TDC_Dlg_GameSetup_Network::m_Take_Input() {
  TGameSetup_Lobby& lobby = *f_lobby;
  for (std::int32_t n = 1; n <= GAME_SETUP_ROWS; ++n) {
    TLobby_Row& r = lobby.m_Row(n);
    if (r.use_enabled) r.used = m_Use_Player(n).m_Is_On();
    if (r.colour_enabled) r.colour = m_Color_Combo(n).m_Get_Selected_Index();
    if (r.flag_enabled) r.flag = m_Flag_Combo(n).m_Get_Selected_Index();
    if (r.nation_enabled) r.nation_name = m_Nation_Edit(n).m_Text();
    if (r.player_enabled) r.player_name = m_Player_Edit(n).m_Text();
    if (r.computer_enabled) r.computer = m_Comp_Control(n).m_Is_On();
  }
  TLobby_Description& d = lobby.f_description;
  if (lobby.f_game_name_enabled) d.game_name = m_Game_Name_Edit().m_Text();
  if (lobby.f_combos_enabled) {
    d.game_type_name = m_Combobox(1).m_Get_Text();
    d.stored_map_name = m_Combobox(2).m_Get_Text();
    d.map_type_name = m_Combobox(3).m_Get_Text();
  }
  // The first two options (stored map or new world) are fixed in a network game.
  if (lobby.f_options_enabled)
    for (std::int32_t n = 3; n <= 18; ++n) d.options[std::size_t(n - 1)] = m_Option(n);
  if (lobby.f_address_enabled) {
    lobby.f_ip_address = m_IP_Edit().m_Text();
    lobby.f_port = m_Port_Edit().m_Text();
  }
}

void TDC_Dlg_GameSetup_Network::m_Show_Lobby(bool always) {
  TGameSetup_Lobby& lobby = *f_lobby;
  if (!always && f_shown_once && lobby.f_changes == f_shown_changes) return;
  f_shown_once = true;
  f_shown_changes = lobby.f_changes;
  f_title = lobby.f_title;
  m_OK().m_Set_Text(lobby.f_ok_caption);
  m_Set_Status(lobby.f_status);
  for (std::int32_t n = 1; n <= GAME_SETUP_ROWS; ++n) {
    const TLobby_Row& r = lobby.m_Row(n);
    m_Use_Player(n).m_Set_On(r.used);
    m_Use_Player(n).m_Set_Enabled(r.use_enabled);
    Select_If(m_Color_Combo(n), r.colour);
    m_Color_Combo(n).m_Set_Enabled(r.colour_enabled);
    Select_If(m_Flag_Combo(n), r.flag);
    m_Flag_Combo(n).m_Set_Enabled(r.flag_enabled);
    Set_Text_If(m_Nation_Edit(n), r.nation_name);
    m_Nation_Edit(n).m_Set_Enabled(r.nation_enabled);
    Set_Text_If(m_Player_Edit(n), r.player_name);
    m_Player_Edit(n).m_Set_Enabled(r.player_enabled);
    m_Comp_Control(n).m_Set_On(r.computer);
    m_Comp_Control(n).m_Set_Enabled(r.computer_enabled);
  }
  const TLobby_Description& d = lobby.f_description;
  Set_Text_If(m_Game_Name_Edit(), d.game_name);
  m_Game_Name_Edit().m_Set_Enabled(lobby.f_game_name_enabled);
  const std::string* names[3] = {&d.game_type_name, &d.stored_map_name, &d.map_type_name};
  for (std::int32_t n = 1; n <= 3; ++n) {
    TDC_Combobox& c = m_Combobox(n);
    if (c.m_Get_Text() != *names[n - 1]) c.m_Set_Text(*names[n - 1]);
    // A network game is always played on a stored map: no map type.
    c.m_Set_Enabled(lobby.f_combos_enabled && n != 3);
  }
  for (std::int32_t n = 1; n <= 18; ++n) {
    m_Set_Option(n, d.options[std::size_t(n - 1)]);
    m_Option_Button(n).m_Set_Enabled(lobby.f_options_enabled && n > 2);
  }
  Set_Text_If(m_IP_Edit(), lobby.f_ip_address);
  Set_Text_If(m_Port_Edit(), lobby.f_port);
  m_IP_Edit().m_Set_Enabled(lobby.f_address_enabled);
  m_Port_Edit().m_Set_Enabled(lobby.f_address_enabled);
  m_Chat_Edit().m_Set_Enabled(lobby.f_chat_enabled);
  m_Chat_Send_Button().m_Set_Enabled(lobby.f_chat_enabled);
  // Chat lines are only ever added; a fresh lobby (a return to the empty
  // join state) starts the list again. The list shows the lines the lobby
  // keeps, no more: each line's rows go with it.
  TDC_List& chat = m_Chat_List();
  if (lobby.f_chat_added < f_chat_shown) {
    chat.m_Clear();
    f_chat_rows.clear();
    f_chat_shown = 0;
  }
  if (f_chat_shown < lobby.f_chat_added) {
    const std::uint64_t fresh = lobby.f_chat_added - f_chat_shown;
    const std::size_t kept = lobby.f_chat_lines.size();
    const std::size_t first = fresh < kept ? kept - std::size_t(fresh) : 0;
    for (std::size_t i = first; i < kept; ++i) {
      const std::int32_t before = chat.m_Get_Row_Count();
      chat.m_Add_Row_Wrapped(lobby.f_chat_lines[i], "", chat.m_Get_Client_Width() - 4, Chat_Line_Height);
      f_chat_rows.push_back(chat.m_Get_Row_Count() - before);
    }
    f_chat_shown = lobby.f_chat_added;
    while (f_chat_rows.size() > TGameSetup_Lobby::Max_Chat_Lines) {
      for (std::int32_t r = 0; r < f_chat_rows.front() && chat.m_Get_Row_Count() > 0; ++r) chat.m_Delete_Row(1);
      f_chat_rows.pop_front();
    }
    chat.m_Scroll_To_End();
  }
}

void TDC_Dlg_GameSetup_Network::m_Button_Click(const std::string& name) {
  if (f_creating) return;
  if (Text_Compare(name, OK_Name) == 0) {
    m_Take_Input();
    TGameSetup_Lobby& lobby = *f_lobby;
    // "Start" builds the game from the rows: they must pass the same checks
    // as a game at one machine (names, flags and colours all different),
    // or the players would wait on a game that has two nations of one name.
    if (lobby.f_mode == GAME_SETUP_HOST && lobby.f_listening && lobby.f_adding_ai && !lobby.f_started) {
      m_Show_Lobby(true);
      if (!m_Validate_Players()) return;
    }
    lobby.m_OK();
  } else if (Text_Compare(name, Cancel_Name) == 0) {
    f_lobby->m_Cancel();
  } else if (Text_Compare(name, Send_Name) == 0) {
    if (!f_lobby->f_chat_enabled) return;
    const std::string text = m_Chat_Edit().m_Text();
    m_Chat_Edit().m_Set_Text("");
    f_lobby->m_Send_Chat(text);
  } else {
    return;
  }
  if (f_lobby) m_Show_Lobby();
}

void TDC_Dlg_GameSetup_Network::m_On_Timer(float elapsed) {
  TDC_Dlg_GameSetup::m_On_Timer(elapsed);
  if (!f_creating) m_Take_Input();
  f_lobby->m_On_Timer(elapsed);
  m_Show_Lobby();
}

void TDC_Dlg_GameSetup_Network::m_Draw(double elapsed) {
  // Network events arrive between frames: show their changes before drawing.
  m_Show_Lobby();
  TDC_Dlg_GameSetup::m_Draw(elapsed);
}

void TDC_Dlg_GameSetup_Network::m_Open_Login(bool resumed) {
  if (f_login_dialog) {
    Remove_Child_Control(f_login_dialog.get());
    f_login_dialog.reset();
  }
  f_login_dialog = std::make_unique<TDC_Dlg_Login>();
  f_login_dialog->m_Setup("Login",
                          resumed ? "Please select your player name and then enter your password for this game."
                                  : "Please enter the player name, nation name, and password you would like to use "
                                    "for this game.",
                          "", "", "", "Player Name", "Nation Name", "Password");
  // The names hold what the host takes (and the rows show).
  f_login_dialog->m_Edit(1).f_maximum_length = MP_Name_Max_Length;
  f_login_dialog->m_Edit(2).f_maximum_length = MP_Name_Max_Length;
  if (resumed) f_login_dialog->m_Set_Choices(f_lobby->f_login_player_names, f_lobby->f_login_nation_names);
  m_Open_Child(*f_login_dialog, Login_Name);
  m_Show_Lobby();
}

void TDC_Dlg_GameSetup_Network::m_On_Child_Killed(const std::string& child_name) {
  TDC_Dlg_GameSetup::m_On_Child_Killed(child_name);
  if (child_name != Login_Name || !f_login_dialog) return;
  f_login_dialog->m_Set_Visible(false);
  const bool ok = f_login_dialog->f_result == TLogin_Result::Ok;
  const std::vector<std::string> values = f_login_dialog->m_Get_Values();
  Remove_Child_Control(f_login_dialog.get());
  f_login_dialog.reset();
  f_lobby->m_Login_Closed(ok, values[0], values[1], values[2]);
  m_Show_Lobby();
}

void TDC_Dlg_GameSetup_Network::m_Game_Created() {
  if (f_mode == GAME_SETUP_HOST) {
    // The game stands: its files go to the joined players (or it starts at
    // once when nobody joined).
    f_lobby->m_Send_Game_Files();
    m_Show_Lobby();
    return;
  }
  TDC_Dlg_GameSetup::m_Game_Created();
}

void Game_Setup_Network_Install() {
  Game_Setup_Set_Lobby_Maker([](bool loaded, std::uint8_t mode) -> std::unique_ptr<TDC_Dlg_GameSetup> {
    return std::make_unique<TDC_Dlg_GameSetup_Network>(mode, loaded);
  });
}
