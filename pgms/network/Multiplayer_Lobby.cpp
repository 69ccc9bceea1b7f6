#include "Multiplayer_Lobby.h"

#include <algorithm>
#include <exception>

#include "Datafile_DebugSettings.h"
#include "Debug_Log.h"
#include "Errors.h"
#include "GameSettings.h"
#include "Io.h"
#include "Io_Compress.h"
#include "Lobby_Game_Link.h"
#include "Multiplayer_Client.h"
#include "Multiplayer_Server.h"
#include "NetSocket.h"
#include "NetSocketServer.h"
#include "Path.h"
#include "SteppedTask.h"
#include "Text_Encoding.h"

std::string g_login_player_name;
std::string g_login_nation_name;
std::string g_login_password;
std::uint16_t g_client_player = 0;
TGameSetup_Lobby* G_GameSetup_Lobby = nullptr;

namespace {

constexpr std::int32_t Description_Row = 99;
constexpr std::int32_t Row_Count = 8;
// Smallest text one (player, nation) pair of the login info takes: two
// empty strings.
constexpr std::size_t Smallest_Name_Pair = 8;

bool Same_Text(const std::string& a, const std::string& b) { return Text_Lower_Case(a) == Text_Lower_Case(b); }

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TLobby_Network Base_Network;
TLobby_Network* Default_Network = &Base_Network;

// The game settings file as the joined machines receive it: without the
// players' passwords. Only the host checks them, and a player who read
// another's password could take that player's nation when the game is
// resumed.
bool Strip_Passwords(const std::string& file_name) {
  TGame_Settings settings;
  if (!settings.m_Load_From_File(file_name)) return false;
  for (TGame_Settings_Player_Slot& slot : settings.f_players) slot.f_password.clear();
  return settings.m_Save_To_File(file_name);
}

// Whether the network game's save name can name a save folder (the rule of
// the game folder's saves); the reason in `message` when it cannot.
bool Network_Save_Name_Valid(const std::string& name, std::string& message) {
  message = Path_Name_Problem(name, "save");
  return message.empty();
}

// The running stepped job's call into the lobby that started it.
bool Load_Step_Callback(void* object, bool is_first, bool is_last, std::int32_t step, TDisplay_Class*, float,
                        std::int32_t, std::int32_t& state) {
  return static_cast<TGameSetup_Lobby*>(object)->m_Load_Step(is_first, is_last, state, step);
}

// Whether the running stepped job is the load of this lobby.
TGameSetup_Lobby* Loading_Lobby = nullptr;

}  // namespace

// --- Rows and messages ---------------------------------------------------------

std::string Lobby_Name_Refusal(const std::string& name, const std::string& what) {
  bool control = !Is_Valid_Utf8(name);
  std::int32_t characters = 0;
  for (std::size_t i = 0; i < name.size() && !control; ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    // C0 controls and DEL are single bytes, C1 controls U+0080..U+009F the
    // pairs C2 80 .. C2 9F.
    control =
        c < 0x20 || c == 0x7F || (c == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) < 0xA0);
    if ((c & 0xC0) != 0x80) ++characters;
  }
  if (control)
    return "The Host reports that the " + what + " holds a character that cannot be shown. Please login again.";
  if (characters > MP_Name_Max_Length)
    return "The Host reports that the " + what + " is longer than " + Int_To_Text(MP_Name_Max_Length) +
           " characters. Please login again.";
  return "";
}

void TLobby_Row::m_Enable_All(bool on) {
  use_enabled = colour_enabled = flag_enabled = nation_enabled = player_enabled = computer_enabled = on;
}

void TLobby_Row::m_Clear() {
  nation_name.clear();
  player_name.clear();
  used = computer = false;
  colour = flag = 0;
  m_Enable_All(false);
}

std::string Lobby_Msg_Code(std::uint8_t code) { return MP_Encode_Byte(code); }

std::string Lobby_Msg_Chat(std::uint8_t code, const std::string& sender, const std::string& text) {
  return MP_Encode_Byte(code) + MP_Encode_String(sender) + MP_Encode_String(text);
}

std::string Lobby_Msg_Login(const std::string& nation, const std::string& player, const std::string& password) {
  return MP_Encode_Byte(LAN_MSG_TO_SERVER_LOGIN) + MP_Encode_String(nation) + MP_Encode_String(player) +
         MP_Encode_String(password);
}

std::string Lobby_Msg_Login_Accepted(std::int32_t client_id, std::int32_t player) {
  return MP_Encode_Byte(LAN_MSG_TO_CLIENT_LOGIN_ACCEPTED) + MP_Encode_Word(client_id) + MP_Encode_Word(player);
}

std::string Lobby_Msg_Description(const TLobby_Description& d) {
  std::string s = MP_Encode_Byte(LAN_MSG_TO_CLIENT_GAME_INFO) + MP_Encode_Word(Description_Row) +
                  MP_Encode_String(d.game_name) + MP_Encode_String(d.game_type_name) +
                  MP_Encode_String(d.stored_map_name) + MP_Encode_String(d.map_type_name);
  for (bool on : d.options) s += MP_Encode_Boolean(on);
  return s;
}

std::string Lobby_Msg_Row(std::int32_t row, const TLobby_Row& r) {
  return MP_Encode_Byte(LAN_MSG_TO_CLIENT_GAME_INFO) + MP_Encode_Word(row) + MP_Encode_Boolean(r.used) +
         MP_Encode_Word(r.colour) + MP_Encode_Word(r.flag) + MP_Encode_String(r.nation_name) +
         MP_Encode_String(r.player_name) + MP_Encode_Boolean(r.computer);
}

std::string Lobby_Msg_Status(const std::string& text) {
  return MP_Encode_Byte(LAN_MSG_TO_CLIENT_STATUS_TEXT) + MP_Encode_String(text);
}

std::string Lobby_Msg_Ready(std::int32_t player) {
  return MP_Encode_Byte(LAN_MSG_TO_SERVER_PLAYER_READY) + MP_Encode_Word(player);
}

std::string Lobby_Msg_Login_Info(bool resumed, const std::vector<std::string>& players,
                                 const std::vector<std::string>& nations) {
  std::string s = MP_Encode_Byte(LAN_MSG_TO_CLIENT_LOGIN_INFO) + MP_Encode_Word(resumed ? 1 : 0);
  if (resumed) {
    const std::size_t n = std::min(players.size(), nations.size());
    s += MP_Encode_Word(std::int32_t(n));
    for (std::size_t i = 0; i < n; ++i) s += MP_Encode_String(players[i]) + MP_Encode_String(nations[i]);
  }
  return s;
}

// --- Network objects ---------------------------------------------------------

TMultiplayer_Server* TLobby_Network::m_Server() { return nullptr; }
TMultiplayer_Client* TLobby_Network::m_Client() { return nullptr; }
void TLobby_Network::m_Start_Server() {}
void TLobby_Network::m_Start_Client() {}
void TLobby_Network::m_Free() {}
void TLobby_Network::m_Game_Event(MP_Event_Code, std::int32_t, const std::string&) {}

TLobby_Network& Lobby_Default_Network() { return *Default_Network; }

void Set_Lobby_Default_Network(TLobby_Network* network) { Default_Network = network ? network : &Base_Network; }

// --- Lobby -------------------------------------------------------------------

TGameSetup_Lobby::TGameSetup_Lobby(std::uint8_t mode, bool loaded, TLobby_Network* network)
    : f_network(network ? network : Default_Network) {
  g_login_player_name.clear();
  g_login_nation_name.clear();
  g_login_password.clear();
  g_client_player = 0;
  f_draw_name = [](std::int32_t pool) { return pool == 1 ? std::string("Nation") : std::string("Player"); };
  // The user's own maps and those shipped with the game, as the copy finds them.
  f_has_stored_map = [](const std::string& name) { return Lobby_Game_Link().m_Has_Stored_Map(name); };
  f_run_local_load = [this] {
    Loading_Lobby = this;
    Stepped_Task_Begin(nullptr, 1, 100, 1, Load_Step_Callback, this);
  };
  m_Set_Mode(mode, loaded);
}

TGameSetup_Lobby::~TGameSetup_Lobby() {
  if (Loading_Lobby == this) {
    if (Stepped_Task_Running) Stepped_Task_End();
    Loading_Lobby = nullptr;
  }
  if (G_GameSetup_Lobby == this) G_GameSetup_Lobby = nullptr;
  // Events from now on go to the running game.
  auto game = [net = f_network](MP_Event_Code c, std::int32_t id, const std::string& t) { net->m_Game_Event(c, id, t); };
  if (TMultiplayer_Server* s = f_network->m_Server()) s->f_event_handler = game;
  if (TMultiplayer_Client* c = f_network->m_Client()) c->f_event_handler = game;
}

TLobby_Row& TGameSetup_Lobby::m_Row(std::int32_t n) {
  if (n < 1 || n > Row_Count) throw ERangeError("Lobby row " + Int_To_Text(n) + " out of range");
  return f_rows[std::size_t(n - 1)];
}

const TLobby_Row& TGameSetup_Lobby::m_Row(std::int32_t n) const {
  if (n < 1 || n > Row_Count) throw ERangeError("Lobby row " + Int_To_Text(n) + " out of range");
  return f_rows[std::size_t(n - 1)];
}

void TGameSetup_Lobby::m_Log(const std::string& text) {
  if (Debug_Sections[DEBUG_MULTIPLAYER]) Debug_Log_Write(text);
}

void TGameSetup_Lobby::m_Set_Status(const std::string& text) {
  f_status = text;
  m_Changed();
}

void TGameSetup_Lobby::m_Add_Chat_Line(const std::string& line) {
  // The oldest lines go: a member's chat cannot grow the lobby without end.
  if (f_chat_lines.size() >= Max_Chat_Lines)
    f_chat_lines.erase(f_chat_lines.begin(),
                       f_chat_lines.begin() + std::ptrdiff_t(f_chat_lines.size() - Max_Chat_Lines + 1));
  f_chat_lines.push_back(line);
  ++f_chat_added;
  m_Changed();
}

bool TGameSetup_Lobby::m_Connecting() {
  if (f_mode != 4) return false;
  const TMultiplayer_Client* c = m_Net().m_Client();
  return c && c->m_Is_Connecting();
}

void TGameSetup_Lobby::m_Set_Mode(std::uint8_t mode, bool loaded) {
  f_mode = mode;
  f_loaded_game = loaded;
  // The host's slots start empty; a joining machine takes the host's slots
  // with the game's files.
  if (mode == 3 && !loaded) Game_Settings.m_Clear_Players();
  f_address_enabled = true;
  f_game_name_enabled = mode == 3;
  f_chat_enabled = false;
  f_ip_address.clear();
  f_port = "28599";
  if (mode == 3 && !loaded) {
    f_ok_caption = "Create";
    f_title = "Host A Game";
    f_status = "Please wait...";
    for (std::int32_t n = 1; n <= Row_Count; ++n) {
      TLobby_Row& r = m_Row(n);
      r.m_Clear();
      r.colour = r.flag = n;
    }
    TLobby_Row& host = m_Row(1);
    host.used = true;
    host.nation_enabled = host.player_enabled = true;
    // A network game is always played on a stored map.
    f_description.options[0] = true;
    f_description.options[1] = false;
    f_combos_enabled = true;
    f_options_enabled = true;
  } else if (mode == 4) {
    f_ok_caption = "Connect";
    f_title = "Join A Game";
    f_status.clear();
    f_description = TLobby_Description{};
    f_combos_enabled = false;
    f_options_enabled = false;
    for (TLobby_Row& r : f_rows) r.m_Clear();
  } else if (mode == 3) {
    // Resuming the loaded game as its host.
    f_game_name_enabled = false;
    f_ok_caption = "Connect";
    f_title = "Host A Game";
    f_status = "Please wait...";
    const TGame_Settings& g = Game_Settings;
    f_description.game_name = g.f_network_save_name;
    f_description.game_type_name = g.f_setup_game_type_name;
    f_description.stored_map_name = g.f_setup_map_text;
    f_description.map_type_name = g.f_setup_map_type_text;
    auto& o = f_description.options;
    o.fill(false);
    o[0] = true;
    o[2] = g.f_setup_option_1;
    o[3] = g.f_setup_option_2;
    o[4] = g.f_neutral_empire;
    o[5] = g.f_fog_of_war;
    auto radio = [&o](std::size_t first, std::uint8_t level) { o[first + std::size_t(std::clamp<int>(level, 1, 3) - 1)] = true; };
    radio(6, g.m_Technology_Level());
    radio(9, g.f_nation_size_level);
    radio(12, g.f_starting_forces_level);
    radio(15, g.f_starting_money_level);
    f_combos_enabled = false;
    f_options_enabled = false;
    for (std::int32_t n = 1; n <= Row_Count; ++n) {
      TLobby_Row& r = m_Row(n);
      r.m_Clear();
      r.colour = r.flag = n;
    }
    const TLobby_Game_Link& game = Lobby_Game_Link();
    const std::int32_t empires = std::min(game.m_Empire_Count(), Row_Count);
    const std::int32_t players = std::min<std::int32_t>(g.f_player_count, Row_Count);
    for (std::int32_t n = 1; n <= empires; ++n) {
      TLobby_Row& r = m_Row(n);
      if (n <= players) {
        TGame_Settings_Player_Slot& slot = Game_Settings.m_Player(n);
        r.nation_name = slot.f_nation_name;
        r.player_name = slot.f_player_name;
        r.computer = false;
        r.used = n == 1;
        slot.f_connected = 0;
        // Ready words saved with the game would start it before anyone
        // has loaded it again.
        slot.f_ready = 0;
        slot.f_client_id = 0;
      } else if (TLobby_Empire_Row e; game.m_Empire(n, e) && !e.neutral) {
        r.used = true;
        r.nation_name = e.nation_name;
        r.player_name = e.player_name;
        r.computer = e.computer;
      }
    }
  }
  m_Changed();
}

void TGameSetup_Lobby::m_Take_WAN_Address() {
  if (!f_wan_pending) return;
  TMultiplayer_Server* s = m_Net().m_Server();
  std::string address;
  if (s && !s->m_Poll_WAN_Address(address)) return;
  f_wan_pending = false;
  // An address the host typed meanwhile stands.
  if (address.empty() || !Text_Trim(f_ip_address).empty()) return;
  f_ip_address = address;
  m_Changed();
}

void TGameSetup_Lobby::m_On_Timer(float elapsed) {
  if (f_network_started) {
    m_Take_WAN_Address();
    return;
  }
  f_elapsed += elapsed;
  if (f_elapsed <= 0.2f) return;
  f_network_started = true;
  auto handler = [this](MP_Event_Code c, std::int32_t id, const std::string& t) { Callback_MultiplayerEvent(c, id, t); };
  if (f_mode == 3) {
    if (!m_Net().m_Server()) m_Net().m_Start_Server();
    if (TMultiplayer_Server* s = m_Net().m_Server()) {
      s->f_event_handler = handler;
      // Rows, chat, the game's files and its lines go to logged-in
      // machines only.
      s->f_members_only = true;
      s->f_codes_before_admission = {LAN_MSG_TO_SERVER_HELLO, LAN_MSG_TO_SERVER_LOGIN};
      m_Set_Status("Ready");
      f_port = "28599";
      if (f_wan_address) {
        f_ip_address = f_wan_address();
      } else {
        // The address-echo service may take long or never answer: it is
        // asked beside the frame loop and its answer shown when it comes.
        f_ip_address.clear();
        s->m_Start_WAN_Lookup();
        f_wan_pending = true;
      }
    } else {
      m_Set_Status("Unable to detect service.");
    }
  } else {
    if (!m_Net().m_Server() && !m_Net().m_Client()) m_Net().m_Start_Client();
    if (TMultiplayer_Client* c = m_Net().m_Client()) {
      c->f_event_handler = handler;
      m_Set_Status("Ready");
    } else {
      m_Set_Status("Unable to detect service.");
    }
  }
  m_Changed();
}

void TGameSetup_Lobby::m_OK() {
  if (f_started || f_files_sent) return;
  if (f_mode == 4) {
    m_Join_Game();
  } else if (!f_listening) {
    m_Host_Game();
  } else if (f_adding_ai) {
    m_Host_Start_Creating();
  } else {
    m_Begin_Hosting();
  }
}

void TGameSetup_Lobby::m_Cancel() {
  if (m_Connecting()) {
    // The host's name may be looked up or the host may not answer: the
    // attempt stops and the address can be changed.
    if (TMultiplayer_Client* c = m_Net().m_Client()) c->m_Disconnect();
    f_connected = false;
    m_Set_Status("Connection cancelled.");
    return;
  }
  m_Net().m_Free();
  Game_Settings.m_Clear_Players();
  f_result = TLobby_Result::Cancelled;
  m_Changed();
  if (f_on_close) f_on_close();
}

// --- Host ----------------------------------------------------------------------

void TGameSetup_Lobby::m_Host_Game() {
  TMultiplayer_Server* server = m_Net().m_Server();
  if (!server) {
    m_Set_Status("Unable to detect service.");
    return;
  }
  auto address_given = [this] {
    if (Text_Trim(f_ip_address).empty()) {
      m_Set_Status("You must specify an IP Address.");
      return false;
    }
    if (Text_Trim(f_port).empty()) {
      m_Set_Status("You must specify a port number.");
      return false;
    }
    return true;
  };
  if (f_loaded_game) {
    // The loaded game's name is the folder of the host's saves each turn.
    std::string reason;
    if (!Network_Save_Name_Valid(Game_Settings.f_network_save_name, reason)) {
      m_Set_Status(reason);
      return;
    }
    if (!address_given()) return;
    f_combos_enabled = f_options_enabled = false;
    TGame_Settings_Player_Slot& host = Game_Settings.m_Player(1);
    host.f_connected = 2;
    host.f_ready = 0;
    m_Set_Status("Connecting Game...");
  } else {
    const std::string name = f_description.game_name;
    std::string reason;
    if (Text_Trim(name).empty()) {
      m_Set_Status("You must specify a Game Name.");
      return;
    }
    // The name becomes the folder of the game's saves.
    if (!Network_Save_Name_Valid(name, reason)) {
      m_Set_Status(reason);
      return;
    }
    if (Path_Settings && Directory_Exists(Path_Settings->m_Get_Savegames_Dir() + name)) {
      m_Set_Status("The Game Name you specified is already in use. Please enter a new Game Name.");
      return;
    }
    if (!address_given()) return;
    const TLobby_Row& row = m_Row(1);
    if (Text_Trim(row.nation_name).empty()) {
      m_Set_Status("You must specify your Nation Name as Player 1.");
      return;
    }
    if (Text_Trim(row.player_name).empty()) {
      m_Set_Status("You must specify your Player Name as Player 1.");
      return;
    }
    if (Text_Trim(f_description.stored_map_name).empty()) {
      m_Set_Status("You must specify an existing map for this game.");
      return;
    }
    f_combos_enabled = f_options_enabled = false;
    f_game_name_enabled = false;
    Game_Settings.m_Clear_Players();
    Game_Settings.f_player_count = 1;
    TGame_Settings_Player_Slot& host = Game_Settings.m_Player(1);
    host.f_client_id = 0;
    host.f_slot_number = 1;
    host.f_player_name = row.player_name;
    host.f_nation_name = row.nation_name;
    host.f_connected = 2;
    host.f_ready = 0;
    // The host's slot holds its names from now on: its row no longer takes
    // input, or the row and the slot (chat, the saved game) would differ.
    m_Row(1).m_Enable_All(false);
    Game_Settings.f_network_save_name = name;
    m_Set_Status("Setting Up Game...");
  }
  try {
    server->m_Listen(f_ip_address, f_port);
  } catch (const std::exception& e) {
    m_Set_Status(std::string("Error: ") + e.what());
  }
}

void TGameSetup_Lobby::m_Begin_Hosting() {
  if (f_loaded_game) {
    m_Set_Status("Host Resuming Game...");
    m_Send_To_All(Lobby_Msg_Status(f_status));
    m_Send_Game_Files();
    return;
  }
  m_Row(1).m_Enable_All(false);
  for (std::int32_t n = 2; n <= Row_Count; ++n)
    if (!m_Row(n).used) m_Open_Computer_Row(n);
  f_adding_ai = true;
  m_Set_Status("Add AI Players to the game. When done, press the Start button.");
  f_ok_caption = "Start";
  m_Send_Description();
}

void TGameSetup_Lobby::m_Open_Computer_Row(std::int32_t n) {
  TLobby_Row& r = m_Row(n);
  r.use_enabled = r.nation_enabled = r.player_enabled = true;
  r.colour_enabled = r.flag_enabled = false;
  r.computer = true;
  r.computer_enabled = false;
  r.colour = r.flag = n;
  if (r.nation_name.empty() && f_draw_name) r.nation_name = f_draw_name(1);
  if (r.player_name.empty() && f_draw_name) r.player_name = f_draw_name(2);
}

void TGameSetup_Lobby::m_Host_Start_Creating() {
  if (!f_loaded_game) m_Close_Row_Gaps();
  f_creating_game = true;
  m_Set_Status("Host Creating Game...");
  m_Send_To_All(Lobby_Msg_Status(f_status));
  if (f_on_create_game) f_on_create_game();
}

void TGameSetup_Lobby::m_Close_Row_Gaps() {
  // The game makes empire k of the k-th row in use. A row left empty ahead
  // of a joined player's row would give that player another number than
  // the one its machine and the host's slot hold, so the rows close up
  // first: the rows in use in their order, then the unused ones.
  std::vector<std::int32_t> order;
  for (std::int32_t n = 1; n <= Row_Count; ++n)
    if (m_Row(n).used) order.push_back(n);
  for (std::int32_t n = 1; n <= Row_Count; ++n)
    if (!m_Row(n).used) order.push_back(n);
  const std::int32_t count = std::min<std::int32_t>(Game_Settings.f_player_count, Row_Count);
  const std::array<TLobby_Row, Row_Count> rows = f_rows;
  std::array<TGame_Settings_Player_Slot, Row_Count> slots{};
  for (std::int32_t n = 1; n <= count; ++n) slots[std::size_t(n - 1)] = Game_Settings.m_Player(n);
  std::vector<std::int32_t> moved;
  std::int32_t last_joined = 1;
  for (std::int32_t k = 1; k <= Row_Count; ++k) {
    const std::int32_t from = order[std::size_t(k - 1)];
    m_Row(k) = rows[std::size_t(from - 1)];
    TGame_Settings_Player_Slot& s = Game_Settings.m_Player(k);
    s = slots[std::size_t(from - 1)];
    // Only joined players (and the host) hold slots; computer rows get
    // theirs from the game's creation.
    if (s.f_connected == 0) {
      s = TGame_Settings_Player_Slot{};
      continue;
    }
    s.f_slot_number = std::uint16_t(k);
    last_joined = k;
    if (k != from && k > 1) moved.push_back(k);
  }
  Game_Settings.f_player_count = std::uint16_t(last_joined);
  for (std::int32_t k : moved) {
    const TGame_Settings_Player_Slot& s = Game_Settings.m_Player(k);
    m_Send_To(s.f_client_id, Lobby_Msg_Login_Accepted(s.f_client_id, k));
  }
  if (!moved.empty()) m_Send_Description();
  m_Changed();
}

void TGameSetup_Lobby::m_Send_Game_Files() {
  TMultiplayer_Server* server = m_Net().m_Server();
  TLobby_Game_Link& game = Lobby_Game_Link();
  if (!Path_Settings || !game.m_Has_Map() || !server) {
    m_Set_Status("Error: the game's files could not be written.");
    return;
  }
  const std::string current = Path_Settings->m_Get_Currentmap_Dir();
  const std::string temp = Path_Settings->m_Get_Temp_Dir();
  // A loaded game's other files already lie in the folder as they were loaded.
  bool ok = game.m_Write_Game_Files(current, f_loaded_game);
  const std::vector<std::string> game_files = game.m_Game_Folder_Files();
  // The files go out from copies in the temp folder, so the transfer sends
  // the game as it stood here whatever happens to the game folder meanwhile.
  if (ok) ok = Directory_Create_All(temp);
  for (const std::string& name : game_files)
    if (ok) ok = File_Copy(current + name, temp + name, false);
  if (ok) ok = Strip_Passwords(temp + "GameSettings.dat");
  if (ok) ok = File_Compress(temp + "CurrentMap.map");
  if (!ok) {
    // Sending half a game would leave the joined machines waiting.
    m_Set_Status("Error: the game's files could not be written.");
    return;
  }
  f_files_sent = true;
  if (!server->Socket() || server->m_Recipient_Count() == 0) {
    m_Send_Start();
    return;
  }
  try {
    std::vector<std::string> files;
    for (const std::string& name : game_files) files.push_back(temp + name);
    server->m_Send_Files(files);
  } catch (const std::exception& e) {
    m_Set_Status(std::string("Error: ") + e.what());
    return;
  }
  m_Check_All_Ready();
}

void TGameSetup_Lobby::m_Send_Description() {
  m_Send_To_All(Lobby_Msg_Description(f_description));
  for (std::int32_t n = 1; n <= Row_Count; ++n) m_Send_To_All(Lobby_Msg_Row(n, m_Row(n)));
}

void TGameSetup_Lobby::m_Send_Start() {
  if (f_started) return;
  m_Send_To_All(Lobby_Msg_Code(LAN_MSG_TO_CLIENT_START_GAME));
  f_started = true;
  f_result = TLobby_Result::Start_Game;
  m_Changed();
  // The game now hears of the players it lost before it started.
  const std::vector<std::int32_t> left = std::move(f_left_after_start);
  f_left_after_start.clear();
  for (std::int32_t id : left) m_Net().m_Game_Event(MP_SERVER_CLIENT_DISCONNECTED, id, "");
  if (f_on_close) f_on_close();
}

bool TGameSetup_Lobby::m_Left_After_Start(std::int32_t id) const {
  return std::find(f_left_after_start.begin(), f_left_after_start.end(), id) != f_left_after_start.end();
}

void TGameSetup_Lobby::m_Check_All_Ready() {
  if (f_started || !f_files_sent) return;
  const std::int32_t count = std::min<std::int32_t>(Game_Settings.f_player_count, Game_Settings_Player_Slots);
  for (std::int32_t n = 2; n <= count; ++n) {
    const TGame_Settings_Player_Slot& s = Game_Settings.m_Player(n);
    // A new game does not wait on a slot its player left; a resumed game
    // waits for every saved player.
    if (!f_loaded_game && (s.f_connected == 0 || m_Left_After_Start(s.f_client_id))) continue;
    if (s.f_ready == 0) return;
  }
  m_Send_Start();
}

void TGameSetup_Lobby::m_Send_To_All(const std::string& text) {
  if (TMultiplayer_Server* s = m_Net().m_Server()) s->Send_To_All(text);
}

void TGameSetup_Lobby::m_Send_To(std::int32_t id, const std::string& text) {
  if (TMultiplayer_Server* s = m_Net().m_Server()) s->Send_To_Specific(id, text);
}

void TGameSetup_Lobby::m_Send_To_Host(const std::string& text) {
  if (TMultiplayer_Client* c = m_Net().m_Client()) c->m_Send(text);
}

void TGameSetup_Lobby::m_Host_Login(std::int32_t id, std::string& text) {
  const std::string nation = MP_Decode_String(text);
  const std::string player = MP_Decode_String(text);
  const std::string password = MP_Decode_String(text);
  if (Game_Settings.m_Find_Player(std::uint16_t(id)) > 0) {
    m_Log("Lobby: second login of client " + Int_To_Text(id) + " dropped");
    return;
  }
  const std::int32_t count = std::min<std::int32_t>(Game_Settings.f_player_count, Row_Count);
  std::int32_t b = 0;
  if (f_loaded_game) {
    // Only a free slot of a saved player, never the host's.
    bool taken = false;
    for (std::int32_t n = 2; n <= count; ++n) {
      const TGame_Settings_Player_Slot& s = Game_Settings.m_Player(n);
      if (!Same_Text(s.f_player_name, player) || !Same_Text(s.f_nation_name, nation) ||
          !Same_Text(s.f_password, password))
        continue;
      if (s.f_connected == 0)
        b = n;
      else
        taken = true;
    }
    if (b == 0) {
      m_Send_To(id, Lobby_Msg_Code(taken ? LAN_MSG_TO_CLIENT_LOGIN_NO_SLOTS : LAN_MSG_TO_CLIENT_LOGIN_BAD_PASSWORD));
      return;
    }
    Lobby_Game_Link().m_Set_Computer_Controlled(b, false);
  } else {
    // A slot a player left is free again: the highest-numbered free one is
    // taken, a new one only when none is free. Slot 1 is the host's
    // whatever the count says.
    for (std::int32_t n = 2; n <= count; ++n)
      if (Game_Settings.m_Player(n).f_connected == 0) b = n;
    if (f_adding_ai || (b == 0 && count >= Row_Count)) {
      m_Send_To(id, Lobby_Msg_Code(LAN_MSG_TO_CLIENT_LOGIN_NO_SLOTS));
      return;
    }
    // The game cannot start with an unnamed nation or two of one name, a
    // name goes to every machine and into the game's files, and a joined
    // player's row takes no input at the host: such a login is refused and
    // the login box opens again with the reason.
    std::string refusal;
    if (Text_Trim(player).empty() || Text_Trim(nation).empty())
      refusal = "The Host reports that you must enter a player name and a nation name. Please login again.";
    if (refusal.empty()) refusal = Lobby_Name_Refusal(player, "player name");
    if (refusal.empty()) refusal = Lobby_Name_Refusal(nation, "nation name");
    for (std::int32_t n = 1; n <= Row_Count && refusal.empty(); ++n) {
      const TLobby_Row& r = m_Row(n);
      if (!r.used) continue;
      if (Same_Text(Text_Trim(r.nation_name), Text_Trim(nation)))
        refusal = "The Host reports that the nation name " + Text_Trim(nation) + " is taken. Please login again.";
      else if (Same_Text(Text_Trim(r.player_name), Text_Trim(player)))
        refusal = "The Host reports that the player name " + Text_Trim(player) + " is taken. Please login again.";
    }
    if (!refusal.empty()) {
      m_Send_To(id, Lobby_Msg_Login_Info(false, {}, {}));
      m_Send_To(id, Lobby_Msg_Status(refusal));
      return;
    }
    if (b == 0) {
      Game_Settings.f_player_count = std::uint16_t(std::max<std::int32_t>(count, 1) + 1);
      b = Game_Settings.f_player_count;
    }
  }
  TGame_Settings_Player_Slot& s = Game_Settings.m_Player(b);
  s.f_client_id = std::uint16_t(id);
  s.f_slot_number = std::uint16_t(b);
  s.f_player_name = f_loaded_game ? s.f_player_name : player;
  s.f_nation_name = f_loaded_game ? s.f_nation_name : nation;
  s.f_password = f_loaded_game ? s.f_password : password;
  s.f_connected = 1;
  s.f_ready = 0;
  TLobby_Row& r = m_Row(b);
  r.nation_name = s.f_nation_name;
  r.player_name = s.f_player_name;
  r.used = true;
  r.computer = false;
  r.m_Enable_All(false);
  m_Set_Status("Player " + s.f_player_name + " connected...");
  if (TMultiplayer_Server* server = m_Net().m_Server()) server->m_Admit(id);
  m_Send_To(id, Lobby_Msg_Login_Accepted(id, b));
  m_Send_Description();
}

void TGameSetup_Lobby::m_Host_Ready(std::int32_t id) {
  // The ready report counts for the sender's own slot, whatever number it
  // carries, and only once the game's files are on their way.
  const std::int32_t p = Game_Settings.m_Find_Player(std::uint16_t(id));
  if (p < 2 || !f_files_sent) {
    m_Log("Lobby: ready report of client " + Int_To_Text(id) + " dropped");
    return;
  }
  Game_Settings.m_Player(p).f_ready = 1;
  m_Check_All_Ready();
}

void TGameSetup_Lobby::m_Host_Client_Left(std::int32_t id) {
  const std::int32_t n = Game_Settings.m_Find_Player(std::uint16_t(id));
  if (n < 2) return;
  const std::string name = Game_Settings.m_Player(n).f_player_name;
  m_Set_Status("Player " + name + " disconnected.");
  if (!f_loaded_game && f_creating_game) {
    // Its nation is (being) made and goes to every machine: the slot stays
    // for the game, which gives the nation to the computer as it starts.
    if (!m_Left_After_Start(id)) f_left_after_start.push_back(id);
    m_Check_All_Ready();
    return;
  }
  if (n <= Row_Count) {
    TLobby_Row& r = m_Row(n);
    if (f_loaded_game) {
      r.used = r.computer = false;
    } else {
      r.m_Clear();
      r.colour = r.flag = n;
      // While computer players are added the freed row may take one.
      if (f_adding_ai) m_Open_Computer_Row(n);
    }
  }
  if (f_loaded_game) {
    TGame_Settings_Player_Slot& s = Game_Settings.m_Player(n);
    s.f_connected = 0;
    s.f_client_id = 0;
    Lobby_Game_Link().m_Set_Computer_Controlled(n, true);
  } else {
    Game_Settings.m_Remove_Player(std::uint16_t(id));
    // Free slots at the end are no slots: the next player takes the first
    // row after the players still here.
    while (Game_Settings.f_player_count > 1 && Game_Settings.m_Player(Game_Settings.f_player_count).f_connected == 0)
      --Game_Settings.f_player_count;
  }
  m_Send_Description();
  m_Check_All_Ready();
}

void TGameSetup_Lobby::m_Host_Message(std::int32_t id, std::uint8_t code, std::string& text) {
  switch (code) {
    case LAN_MSG_TO_SERVER_CHAT: {
      MP_Decode_String(text);
      const std::string line = MP_Decode_String(text);
      // Chat goes out under the sender's own player name.
      const std::int32_t p = Game_Settings.m_Find_Player(std::uint16_t(id));
      if (p < 2) {
        m_Log("Lobby: chat of client " + Int_To_Text(id) + " without a slot dropped");
        return;
      }
      const std::string sender = Game_Settings.m_Player(p).f_player_name;
      m_Add_Chat_Line(sender + ": " + line);
      m_Send_To_All(Lobby_Msg_Chat(LAN_MSG_TO_CLIENT_CHAT, sender, line));
      return;
    }
    case LAN_MSG_TO_SERVER_LOGIN:
      m_Host_Login(id, text);
      return;
    case LAN_MSG_TO_SERVER_PLAYER_READY:
      MP_Decode_Word(text);
      m_Host_Ready(id);
      return;
    case LAN_MSG_TO_SERVER_HELLO: {
      std::vector<std::string> players, nations;
      const std::int32_t count = std::min<std::int32_t>(Game_Settings.f_player_count, Row_Count);
      for (std::int32_t n = 2; n <= count; ++n) {
        players.push_back(Game_Settings.m_Player(n).f_player_name);
        nations.push_back(Game_Settings.m_Player(n).f_nation_name);
      }
      m_Send_To(id, Lobby_Msg_Login_Info(f_loaded_game, players, nations));
      return;
    }
    default:
      m_Log("Lobby: code " + Int_To_Text(code) + " from client " + Int_To_Text(id) + " dropped");
      return;
  }
}

// --- Joining machine -------------------------------------------------------------

void TGameSetup_Lobby::m_Join_Game() {
  if (Text_Trim(f_ip_address).empty()) {
    m_Set_Status("You must specify an IP Address.");
    return;
  }
  if (Text_Trim(f_port).empty()) {
    m_Set_Status("You must specify a port number.");
    return;
  }
  TMultiplayer_Client* client = m_Net().m_Client();
  // A connection under way is not started twice.
  if (client && client->m_Is_Connecting()) return;
  m_Set_Status("Connecting To Host...");
  if (!client) {
    m_Set_Status("Unable to detect service.");
    return;
  }
  if (client->m_Is_Connected()) {
    // Logged in already: asking again would open a login the host drops.
    if (f_player != 0) {
      m_Set_Status("Connected To Host.");
      return;
    }
    m_On_Connected();
    return;
  }
  try {
    client->m_Connect(f_ip_address, f_port);
  } catch (const std::exception& e) {
    m_Set_Status(std::string("Error: ") + e.what());
  }
}

void TGameSetup_Lobby::m_On_Connected() {
  m_Set_Status("Connection Established");
  m_Send_To_Host(Lobby_Msg_Code(LAN_MSG_TO_SERVER_HELLO));
}

void TGameSetup_Lobby::m_Open_Login(bool resumed) {
  m_Set_Status("Prepare to Login...");
  if (f_on_open_login) f_on_open_login(resumed);
}

void TGameSetup_Lobby::m_Login_Closed(bool ok, const std::string& player, const std::string& nation,
                                      const std::string& password) {
  if (!ok) {
    m_Set_Status("");
    return;
  }
  g_login_player_name = player;
  g_login_nation_name = nation;
  g_login_password = password;
  // The game's chat panel sends under the name given here.
  MP_Login_Player_Name = player;
  MP_Login_Nation_Name = nation;
  MP_Login_Password = password;
  m_Send_To_Host(Lobby_Msg_Login(nation, player, password));
}

void TGameSetup_Lobby::m_Send_Chat(const std::string& text) {
  if (f_mode == 3) {
    const std::string sender = Game_Settings.m_Player(1).f_player_name;
    m_Add_Chat_Line(sender + ": " + text);
    m_Send_To_All(Lobby_Msg_Chat(LAN_MSG_TO_CLIENT_CHAT, sender, text));
  } else {
    m_Send_To_Host(Lobby_Msg_Chat(LAN_MSG_TO_SERVER_CHAT, g_login_player_name, text));
  }
}

void TGameSetup_Lobby::m_Start_Received() {
  f_started = true;
  f_result = TLobby_Result::Start_Game;
  m_Changed();
  if (f_on_close) f_on_close();
}

void TGameSetup_Lobby::m_Client_Message(std::uint8_t code, std::string& text) {
  switch (code) {
    case LAN_MSG_TO_CLIENT_CHAT: {
      const std::string sender = MP_Decode_String(text);
      const std::string line = MP_Decode_String(text);
      m_Add_Chat_Line(sender + ": " + line);
      return;
    }
    case LAN_MSG_TO_CLIENT_LOGIN_ACCEPTED:
      MP_Decode_Word(text);
      f_player = MP_Decode_Word(text);
      g_client_player = f_player;
      f_chat_enabled = true;
      m_Set_Status("Connected To Host.");
      return;
    case LAN_MSG_TO_CLIENT_GAME_INFO: {
      const std::int32_t r = MP_Decode_Word(text);
      if (r == Description_Row) {
        TLobby_Description d;
        d.game_name = MP_Decode_String(text);
        d.game_type_name = MP_Decode_String(text);
        d.stored_map_name = MP_Decode_String(text);
        d.map_type_name = MP_Decode_String(text);
        for (bool& on : d.options) on = MP_Decode_Boolean(text);
        f_description = d;
        m_Changed();
        if (f_has_stored_map && !f_has_stored_map(d.stored_map_name)) {
          f_connected = false;
          m_Set_Mode(4, f_loaded_game);
          m_Set_Status("Disconnected.");
          if (TMultiplayer_Client* c = m_Net().m_Client()) c->m_Disconnect();
          if (f_on_error)
            f_on_error("This game requires the map \"" + d.stored_map_name +
                       "\", but you do not have it in your maps directory. Please download the map before joining "
                       "the game.");
        }
        return;
      }
      if (r < 1 || r > Row_Count) throw ERangeError("Lobby row " + Int_To_Text(r) + " out of range");
      TLobby_Row row;
      row.used = MP_Decode_Boolean(text);
      row.colour = MP_Decode_Word(text);
      row.flag = MP_Decode_Word(text);
      row.nation_name = MP_Decode_String(text);
      row.player_name = MP_Decode_String(text);
      row.computer = MP_Decode_Boolean(text);
      m_Row(r) = row;
      m_Changed();
      return;
    }
    case LAN_MSG_TO_CLIENT_STATUS_TEXT:
      m_Set_Status(MP_Decode_String(text));
      return;
    case LAN_MSG_TO_CLIENT_START_GAME:
      m_Start_Received();
      return;
    case LAN_MSG_TO_CLIENT_LOGIN_INFO: {
      f_login_player_names.clear();
      f_login_nation_names.clear();
      const bool resumed = MP_Decode_Word(text) == 1;
      if (resumed) {
        const std::int32_t n = MP_Decode_Word(text);
        // The count is checked against what the message holds before
        // anything is kept.
        if (n > Row_Count || std::size_t(n) * Smallest_Name_Pair > text.size())
          throw ERangeError("Login info count " + Int_To_Text(n) + " beyond the message");
        for (std::int32_t i = 0; i < n; ++i) {
          std::string player = MP_Decode_String(text);
          std::string nation = MP_Decode_String(text);
          f_login_player_names.push_back(std::move(player));
          f_login_nation_names.push_back(std::move(nation));
        }
      }
      m_Open_Login(resumed);
      return;
    }
    case LAN_MSG_TO_CLIENT_LOGIN_BAD_PASSWORD:
      m_Set_Status("The Host reports that you have entered an invalid password. Please login again.");
      return;
    case LAN_MSG_TO_CLIENT_LOGIN_NO_SLOTS:
      m_Set_Status("The Host reports that there are no player slots remaining.");
      return;
    default:
      m_Log("Lobby: code " + Int_To_Text(code) + " from the host ignored");
      return;
  }
}

std::string TGameSetup_Lobby::m_Receive_Folder() {
  TMultiplayer_Client* c = m_Net().m_Client();
  return c ? c->f_base_folder : std::string();
}

void TGameSetup_Lobby::m_File_Received(const std::string& file_name) {
  const std::string lower = Text_Lower_Case(file_name);
  const std::string path = m_Receive_Folder() + file_name;
  if (Contains(lower, "currentmap.map")) {
    if (!File_Decompress(path)) m_Set_Status("Error loading game file.");
    return;
  }
  if (!Contains(lower, "masteractiontimer.dat")) return;
  m_Set_Status("Loading Local Game...0%");
  if (!Path_Settings) {
    m_Set_Status("Error loading game file.");
    return;
  }
  const std::string current = Path_Settings->m_Get_Currentmap_Dir();
  const std::string temp = m_Receive_Folder() + "temp\\";
  TLobby_Game_Link& game = Lobby_Game_Link();
  bool ok = game.m_Replace_With_Stored_Map(current, f_description.stored_map_name);
  // The host's map (as it stands now) replaces the stored one, so the load
  // reads the game the host plays.
  for (const std::string& name : game.m_Game_Folder_Files())
    if (ok) ok = File_Copy(temp + name, current + name, false);
  if (!ok) {
    m_Set_Status("Error loading game file.");
    return;
  }
  if (f_run_local_load) f_run_local_load();
}

bool TGameSetup_Lobby::m_Load_Step(bool first, bool last, std::int32_t& error_value, std::int32_t step) {
  // What the load found is known right after its step 96, which sets the
  // error value for the steps after it.
  TLoad_Result result_code = TLoad_Result::Game;
  const std::string current = Path_Settings ? Path_Settings->m_Get_Currentmap_Dir() : std::string();
  m_Set_Status("Loading Local Game..." + Int_To_Text(step) + "%");
  if (first) {
    error_value = 0;
    return Lobby_Game_Link().m_Load_Step(current, true, false, result_code, step);
  }
  if (!last) {
    if (!Lobby_Game_Link().m_Load_Step(current, false, false, result_code, step)) {
      error_value = 1;
      f_load_failed_step = step;
      m_Log("Lobby: the local load failed at step " + Int_To_Text(step));
      return false;
    }
    if (result_code == TLoad_Result::End_Turn_Resumes) error_value = 2;
    if (result_code == TLoad_Result::Hosted_Game) error_value = 3;
    return true;
  }
  Lobby_Game_Link().m_Load_Step(current, false, true, result_code, step);
  if (Loading_Lobby == this) Loading_Lobby = nullptr;
  if (error_value == 1) {
    m_Set_Status("Error loading game file.");
    return false;
  }
  Lobby_Game_Link().m_Clear_Action_Timer();
  m_Local_Load_Done();
  return false;
}

void TGameSetup_Lobby::m_Local_Load_Done() {
  m_Set_Status("Waiting for Host...");
  Game_Settings.f_game_kind = static_cast<std::uint8_t>(TGame_Kind::Joined);
  Game_Settings.m_Set_Local_Empire(std::uint8_t(f_player));
  m_Send_To_Host(Lobby_Msg_Ready(f_player));
}

// --- Events ------------------------------------------------------------------

void TGameSetup_Lobby::m_Process_Lobby_Message(std::int32_t side, std::int32_t id, const std::string& text) {
  std::string rest = text;
  try {
    const std::uint8_t code = MP_Decode_Byte(rest);
    if (code < 1 || code > 12) {
      m_Log("Lobby: code " + Int_To_Text(code) + " ignored");
      return;
    }
    if (side == 1)
      m_Host_Message(id, code, rest);
    else
      m_Client_Message(code, rest);
  } catch (const EGlobarch_Error& e) {
    // A line that does not read is dropped; the lobby goes on.
    m_Log(std::string("Lobby: unreadable line dropped: ") + e.what());
  }
}

void TGameSetup_Lobby::Callback_MultiplayerEvent(MP_Event_Code code, std::int32_t id, const std::string& text) {
  if (f_started) {
    // Lines that arrive with the start (or after it, before the dialog is
    // gone) belong to the game.
    m_Net().m_Game_Event(code, id, text);
    return;
  }
  if (Debug_Sections[DEBUG_MULTIPLAYER])
    Debug_Log_Write("TDC_Dlg_GameSetup.Callback_MultiplayerEvent - " + MP_Socket_Event_Name(code) + " - " + text);
  switch (code) {
    case MP_CLIENT_MESSAGE:
      m_Process_Lobby_Message(2, id, text);
      return;
    case MP_CLIENT_CONNECTED:
      f_connected = true;
      m_On_Connected();
      return;
    case MP_CLIENT_DISCONNECTED:
      f_connected = false;
      m_Set_Status("Disconnected.");
      return;
    case MP_CLIENT_FILE_IN_PROGRESS:
      m_Set_Status(text);
      return;
    case MP_CLIENT_FILE_COMPLETE:
      m_Set_Status("File Received: " + text);
      m_File_Received(text);
      return;
    case MP_SERVER_MESSAGE:
      m_Process_Lobby_Message(1, id, text);
      return;
    case MP_SERVER_DISCONNECTED:
      f_listening = false;
      m_Set_Status("Disconnected");
      return;
    case MP_SERVER_ERROR:
      m_Set_Status("Error: " + text);
      return;
    case MP_SERVER_CLIENT_DISCONNECTED:
      m_Host_Client_Left(id);
      return;
    case MP_SERVER_LISTENING:
      f_listening = true;
      f_chat_enabled = true;
      f_ok_caption = "Begin";
      m_Set_Status("Waiting For Players...");
      return;
    default:
      return;
  }
}

