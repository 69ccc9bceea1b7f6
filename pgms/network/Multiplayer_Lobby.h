// The lobby of a network game: the conversation of the game setup dialog
// while it is open to host a game (mode 3) or to join one (mode 4).
//
// The host runs the server; joining machines connect, say hello, log in
// with a player name, nation name and password (or, for a resumed game,
// pick one of the saved players), follow the game's description and player
// rows as the host fills them, chat, receive the game as six files, load it
// and report ready; the host then starts the game everywhere.
//
// The lobby keeps what the dialog shows as plain data: the eight player
// rows, the game description, the status text, the chat lines, the OK
// caption and which controls take input. The dialog (or a tool without
// windows) draws its controls from that data after every change (f_changes
// counts them) and hands the user's input to the lobby. What only the
// dialog can do (messages, the login box, creating a new game, closing)
// goes through the callbacks; the program's server and client are reached
// through the lobby's network links, which the program installs.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Multiplayer_Types.h"

class TMultiplayer_Server;
class TMultiplayer_Client;

// One player row of the setup dialog.
struct TLobby_Row {
  bool used = false;
  std::int32_t colour = 0;  // selected colour item, 0 none
  std::int32_t flag = 0;    // selected flag item, 0 none
  std::string nation_name;
  std::string player_name;
  bool computer = false;
  // Which of the row's six controls take input.
  bool use_enabled = false;
  bool colour_enabled = false;
  bool flag_enabled = false;
  bool nation_enabled = false;
  bool player_enabled = false;
  bool computer_enabled = false;

  void m_Enable_All(bool on);
  // Names emptied, both toggles off, colour and flag unselected, all six
  // controls disabled.
  void m_Clear();
};

// The game's description as the lobby sends it: game name, the texts of the
// game type, stored map and map type boxes and the 18 option buttons
// (selected or checked).
struct TLobby_Description {
  std::string game_name;
  std::string game_type_name;
  std::string stored_map_name;
  std::string map_type_name;
  std::array<bool, 18> options{};
};

// The program's network objects as the lobby uses them. This base has none
// (every call does nothing); the program installs the main window's as the
// default, and tests and tools without windows give their own.
class TLobby_Network {
public:
  virtual ~TLobby_Network() = default;
  virtual TMultiplayer_Server* m_Server();
  virtual TMultiplayer_Client* m_Client();
  virtual void m_Start_Server();
  virtual void m_Start_Client();
  // Frees the server, the client and the action queue.
  virtual void m_Free();
  // The running game's handler of network events (the relay).
  virtual void m_Game_Event(MP_Event_Code code, std::int32_t id, const std::string& text);
};

// The network links a lobby takes when it is given none (never null).
TLobby_Network& Lobby_Default_Network();
// Installs them (nullptr restores the base, which does nothing).
void Set_Lobby_Default_Network(TLobby_Network* network);

// Longest player or nation name, in characters: what the name fields of the
// setup and login dialogs hold.
constexpr std::int32_t MP_Name_Max_Length = 40;
// Why a player or nation name (`what`: "player name", "nation name") cannot
// be taken: longer than MP_Name_Max_Length, or holding a character that
// cannot be shown (a control character, or bytes that are no UTF-8 text).
// Empty when it can.
std::string Lobby_Name_Refusal(const std::string& name, const std::string& what);

// Lobby message lines (the message after the "QX" prefix).
std::string Lobby_Msg_Chat(std::uint8_t code, const std::string& sender, const std::string& text);
std::string Lobby_Msg_Login(const std::string& nation, const std::string& player, const std::string& password);
std::string Lobby_Msg_Login_Accepted(std::int32_t client_id, std::int32_t player);
std::string Lobby_Msg_Description(const TLobby_Description& d);
std::string Lobby_Msg_Row(std::int32_t row, const TLobby_Row& r);
std::string Lobby_Msg_Status(const std::string& text);
std::string Lobby_Msg_Ready(std::int32_t player);
std::string Lobby_Msg_Code(std::uint8_t code);
// Login info: resumed flag and, for a resumed game, (player, nation) pairs.
std::string Lobby_Msg_Login_Info(bool resumed, const std::vector<std::string>& players,
                                 const std::vector<std::string>& nations);

// Process-wide login values of a joining machine, cleared when a lobby opens.
extern std::string g_login_player_name;
extern std::string g_login_nation_name;
extern std::string g_login_password;
extern std::uint16_t g_client_player;

// How the lobby ends: still open, the game starts, or it was cancelled.
enum class TLobby_Result : std::int32_t { Open = 0, Start_Game = 1, Cancelled = 2 };

class TGameSetup_Lobby {
public:
  // mode 3 host, 4 join; loaded: the host resumes the loaded game.
  TGameSetup_Lobby(std::uint8_t mode, bool loaded, TLobby_Network* network = nullptr);
  virtual ~TGameSetup_Lobby();
  TGameSetup_Lobby(const TGameSetup_Lobby&) = delete;
  TGameSetup_Lobby& operator=(const TGameSetup_Lobby&) = delete;

  // Row n, 1..8 (ERangeError otherwise).
  TLobby_Row& m_Row(std::int32_t n);
  const TLobby_Row& m_Row(std::int32_t n) const;

  // The network parts of the dialog's mode: rows, captions and controls of
  // the host (3), the joining machine (4) or a resumed game (host, loaded).
  void m_Set_Mode(std::uint8_t mode, bool loaded);
  // The dialog's timer: the server or client starts 0.2 s after opening;
  // later the host takes the address look-up's answer when it has come.
  void m_On_Timer(float elapsed);
  // The OK button: create / begin / start on the host, connect on a
  // joining machine.
  void m_OK();
  void m_Host_Game();
  void m_Begin_Hosting();
  void m_Host_Start_Creating();
  void m_Join_Game();
  void m_Send_Chat(const std::string& text);
  // The Cancel button: frees the network objects and closes with result 2;
  // while a joining machine is connecting, it stops the connecting and the
  // lobby stays open.
  void m_Cancel();
  // The login box closed: OK with its three values, or cancelled.
  void m_Login_Closed(bool ok, const std::string& player, const std::string& nation, const std::string& password);
  // Host: the game exists (a new game after its creation, or the loaded
  // game): writes and sends its six files, or starts when nobody joined.
  void m_Send_Game_Files();

  // The handler of the server's or client's events while the lobby is open.
  void Callback_MultiplayerEvent(MP_Event_Code code, std::int32_t id, const std::string& text);
  // One lobby message; side 1 host (id the sending client), 2 client.
  void m_Process_Lobby_Message(std::int32_t side, std::int32_t id, const std::string& text);
  void m_Set_Status(const std::string& text);
  // Joining machine: the connection to the host is being made (its name
  // looked up or the connection under way); Cancel then stops it.
  bool m_Connecting();

  // Joining machine: a received file (its name as "temp\" + name). The last
  // one starts the local load.
  void m_File_Received(const std::string& file_name);
  // One step of the local load (stepped job); see Main_Load_Game_Stepped.
  bool m_Load_Step(bool first, bool last, std::int32_t& error_value, std::int32_t step);
  // The local load succeeded: this machine plays its slot's empire and
  // tells the host it is ready.
  void m_Local_Load_Done();

  // --- What the dialog shows ---------------------------------------------
  std::uint8_t f_mode = 3;
  bool f_loaded_game = false;
  std::array<TLobby_Row, 8> f_rows{};
  TLobby_Description f_description;
  bool f_combos_enabled = true;
  bool f_options_enabled = true;
  bool f_game_name_enabled = false;
  bool f_address_enabled = false;  // IP address and port
  bool f_chat_enabled = false;     // chat edit and send button
  std::string f_ip_address;
  std::string f_port = "28599";
  // The newest chat lines, at most Max_Chat_Lines (as the game's chat panel
  // keeps); f_chat_added counts every line ever added, so that a display
  // knows which lines are new.
  static constexpr std::size_t Max_Chat_Lines = 500;
  std::vector<std::string> f_chat_lines;
  std::uint64_t f_chat_added = 0;
  std::string f_status;
  std::string f_title;
  std::string f_ok_caption = "OK";
  TLobby_Result f_result = TLobby_Result::Open;
  // Counts every change of what the dialog shows.
  std::uint64_t f_changes = 0;

  // --- State -------------------------------------------------------------
  bool f_network_started = false;
  float f_elapsed = 0;
  bool f_listening = false;
  // Host: the address-echo service has been asked and not yet answered.
  bool f_wan_pending = false;
  bool f_adding_ai = false;
  bool f_connected = false;
  // The game has started (sent or received): later events belong to it.
  bool f_started = false;
  // Joining machine: the player number the host gave this machine.
  std::uint16_t f_player = 0;
  // Joining machine: the step at which the local load failed, 0 when none.
  std::int32_t f_load_failed_step = 0;
  std::vector<std::string> f_login_player_names;
  std::vector<std::string> f_login_nation_names;

  // --- What only the dialog does -------------------------------------------
  // An error in the dialog's message box under "Error".
  std::function<void(const std::string&)> f_on_error;
  // Opens the login box (resumed: choose among f_login_player_names).
  std::function<void(bool resumed)> f_on_open_login;
  // Closes the dialog (f_result holds Start_Game or Cancelled).
  std::function<void()> f_on_close;
  // Host: creates the new game from the rows and options; its last step
  // calls m_Send_Game_Files.
  std::function<void()> f_on_create_game;
  // A name drawn from the nation (1) or player (2) pool.
  std::function<std::string(std::int32_t pool)> f_draw_name;
  // Whether this machine has the stored map.
  std::function<bool(const std::string&)> f_has_stored_map;
  // A given internet address of this machine (peers on one machine,
  // tests). When empty, the server asks the address-echo service in the
  // background and the timer shows its answer when it comes.
  std::function<std::string()> f_wan_address;
  // Joining machine: runs the load of the received game. By default a
  // stepped job over steps 1..100 calling m_Load_Step.
  std::function<void()> f_run_local_load;

protected:
  TLobby_Network& m_Net() { return *f_network; }
  void m_Changed() { ++f_changes; }
  void m_Add_Chat_Line(const std::string& line);
  void m_Host_Message(std::int32_t id, std::uint8_t code, std::string& text);
  void m_Client_Message(std::uint8_t code, std::string& text);
  void m_Host_Login(std::int32_t id, std::string& text);
  void m_Host_Ready(std::int32_t id);
  void m_Host_Client_Left(std::int32_t id);
  void m_Send_Description();
  // Host, new game: moves the rows in use up over the unused ones (and the
  // joined players' slots with them), so that row k is the empire k the
  // game makes of it; a joined player whose row moved hears its new number.
  void m_Close_Row_Gaps();
  // Host: row n (not in use) opened for a computer player: in use and names
  // editable, computer on, a drawn nation and player name when empty.
  void m_Open_Computer_Row(std::int32_t n);
  void m_Send_Start();
  void m_Start_Received();
  void m_On_Connected();
  void m_Open_Login(bool resumed);
  void m_Check_All_Ready();
  bool m_Left_After_Start(std::int32_t id) const;
  // Host: takes the address-echo service's answer once it has come.
  void m_Take_WAN_Address();
  void m_Send_To_All(const std::string& text);
  void m_Send_To(std::int32_t id, const std::string& text);
  void m_Send_To_Host(const std::string& text);
  void m_Log(const std::string& text);
  // Folder of the joining machine's received files (ends with "\").
  std::string m_Receive_Folder();

  TLobby_Network* f_network;
  bool f_own_network = false;
  // Host: the game files went out (ready reports count from now on).
  bool f_files_sent = false;
  // Host, new game: Start was pressed; the empires are made from the rows.
  bool f_creating_game = false;
  // Host, new game: clients that left after Start. Their nations are in the
  // game every machine loads; the game hands them to the computer when it
  // starts, as it does with any lost player.
  std::vector<std::int32_t> f_left_after_start;
};

// The lobby of the open setup dialog, if any (set by the dialog).
extern TGameSetup_Lobby* G_GameSetup_Lobby;
