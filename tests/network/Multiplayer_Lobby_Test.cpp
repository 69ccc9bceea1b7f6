// The network lobby on loopback: a host and joining machines in one
// process, each lobby with its own server or client, talking through real
// sockets.
#include "Multiplayer_Lobby.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define GLOBARCH_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GLOBARCH_ASAN 1
#endif
#endif
#if GLOBARCH_ASAN
// The address sanitizer's count of the bytes allocated and not freed.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DC_Dlg_GameSetup.h"
#include "Empire.h"
#include "GameFolder.h"
#include "Global.h"
#include "Io.h"
#include "Io_Compress.h"
#include "MessageLog.h"
#include "Multiplayer_Client.h"
#include "Multiplayer_Server.h"
#include "NetSocketServer.h"
#include "NetWndControl.h"
#include "Net_Test_Support.h"
#include "Native_Path.h"
#include "Path.h"
#include "Test_Support.h"
#include "rules/Turns_Fixture.h"

namespace {

// A plain loopback socket that speaks to the host without the client code:
// what it writes and everything the host sends it.
struct TRaw_Socket {
  int fd = -1;
  std::string received;
  explicit TRaw_Socket(const std::string& port) {
    fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(std::uint16_t(std::stoi(port)));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
      ::close(fd);
      fd = -1;
      return;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL, 0) | O_NONBLOCK);
  }
  ~TRaw_Socket() {
    if (fd >= 0) ::close(fd);
  }
  TRaw_Socket(const TRaw_Socket&) = delete;
  TRaw_Socket& operator=(const TRaw_Socket&) = delete;
  void Send_Line(const std::string& line) {
    const std::string bytes = line + "\r\n";
    EXPECT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
  }
  // Takes in what has arrived so far.
  void Read() {
    char buf[4096];
    for (;;) {
      const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
      if (n <= 0) return;
      received.append(buf, std::size_t(n));
    }
  }
};

// A machine's own server or client; events of the running game recorded.
struct TTest_Net : TLobby_Network {
  std::unique_ptr<TMultiplayer_Server> server;
  std::unique_ptr<TMultiplayer_Client> client;
  std::string base_folder;
  std::vector<std::string> game_lines;
  std::vector<std::int32_t> lost;  // clients the game heard were lost
  TMultiplayer_Server* m_Server() override { return server.get(); }
  TMultiplayer_Client* m_Client() override { return client.get(); }
  void m_Start_Server() override { server = std::make_unique<TMultiplayer_Server>(); }
  void m_Start_Client() override {
    client = std::make_unique<TMultiplayer_Client>();
    client->f_base_folder = base_folder;
  }
  void m_Free() override {
    server.reset();
    client.reset();
  }
  void m_Game_Event(MP_Event_Code code, std::int32_t id, const std::string& text) override {
    m_Game_Event_Id(code, id);
    if (code == MP_CLIENT_MESSAGE || code == MP_SERVER_MESSAGE) game_lines.push_back(text);
  }
  void m_Game_Event_Id(MP_Event_Code code, std::int32_t id) {
    if (code == MP_SERVER_CLIENT_DISCONNECTED) lost.push_back(id);
  }
};

// One machine: its network objects, its lobby and what the dialog was asked.
struct TMachine {
  TTemp_Dir folder;
  TTest_Net net;
  std::unique_ptr<TGameSetup_Lobby> lobby;
  std::vector<std::string> errors;
  std::vector<bool> logins;  // one entry per login box opened: resumed
  bool closed = false;
  bool loaded = false;

  TMachine(std::uint8_t mode, bool resumed) {
    net.base_folder = folder.design();
    lobby = std::make_unique<TGameSetup_Lobby>(mode, resumed, &net);
    lobby->f_wan_address = [] { return std::string("127.0.0.1"); };
    lobby->f_on_error = [this](const std::string& t) { errors.push_back(t); };
    lobby->f_on_open_login = [this](bool r) { logins.push_back(r); };
    lobby->f_on_close = [this] { closed = true; };
    lobby->f_has_stored_map = [](const std::string& name) { return name == "Islands"; };
    lobby->f_run_local_load = [this] {
      loaded = true;
      lobby->m_Local_Load_Done();
    };
    lobby->m_On_Timer(0.1f);
    lobby->m_On_Timer(0.15f);
  }
  TGameSetup_Lobby& operator*() { return *lobby; }
  TGameSetup_Lobby* operator->() { return lobby.get(); }
};

class Lobby_Test : public Turns_Test {
protected:
  void SetUp() override {
    Turns_Test::SetUp();
    saved_user = User_Folder;
    User_Folder = user.design();
    Path_Settings = &paths;
    Master_Action_Timer = &timer;
    G_Message_Log = &messages;
    Directory_Create_All(paths.m_Get_Currentmap_Dir());
    Directory_Create_All(paths.m_Get_Maps_Dir() + "Islands\\");
    Write_File(Native_Path(paths.m_Get_Maps_Dir() + "Islands\\Pictures.dat"), "stored map");
    Add_Region(1, 1, 2, 2, 0, 1);
    Add_Region(2, 1, 2, 2, 64, 2);
    Add_Region(3, 1, 2, 2, 128, 3);
    Connect(1, 2);
    Connect(2, 3);
    Players({false, false, false});
  }
  void TearDown() override {
    machines.clear();
    Master_Action_Timer = nullptr;
    G_Message_Log = nullptr;
    Path_Settings = nullptr;
    User_Folder = saved_user;
    Turns_Test::TearDown();
  }

  TMachine& Host(bool resumed = false) {
    machines.push_back(std::make_unique<TMachine>(3, resumed));
    TMachine& h = *machines.back();
    EXPECT_EQ(h->f_status, "Ready");
    h->f_port = "0";
    // A resumed game has the name it was hosted under, as its loaded
    // settings give it.
    if (resumed && Game_Settings.f_network_save_name.empty()) Game_Settings.f_network_save_name = "Evening Game";
    if (!resumed) {
      h->f_description.game_name = "Evening Game";
      h->f_description.stored_map_name = "Islands";
      h->m_Row(1).nation_name = "Hostland";
      h->m_Row(1).player_name = "Hal";
    }
    h->m_OK();
    EXPECT_TRUE(Pump_Until([&] { return h->f_listening; }));
    EXPECT_EQ(h->f_ok_caption, "Begin");
    port = h.net.server->Socket()->GetLocalPort();
    return h;
  }
  // A joining machine connected to the host, its login box open.
  TMachine& Joiner() {
    machines.push_back(std::make_unique<TMachine>(4, false));
    TMachine& j = *machines.back();
    j->f_ip_address = "127.0.0.1";
    j->f_port = port;
    j->m_OK();
    EXPECT_TRUE(Pump_Until([&] { return !j.logins.empty(); }));
    return j;
  }
  void Login(TMachine& j, const std::string& player, const std::string& nation, const std::string& password,
             const std::string& want_status = "Connected To Host.") {
    j->m_Login_Closed(true, player, nation, password);
    EXPECT_TRUE(Pump_Until([&] { return j->f_status == want_status; })) << j->f_status;
  }

  TTemp_Dir user;
  TPath_Settings paths;
  std::string saved_user;
  TMessage_Log messages;
  std::vector<std::unique_ptr<TMachine>> machines;
  std::string port;
};

std::string Saved(const TTemp_Dir& d, const std::string& name) { return Read_File(d.path() / "temp" / name); }

}  // namespace

TEST_F(Lobby_Test, MessagesReadBackFieldByField) {
  EXPECT_EQ(Lobby_Msg_Code(LAN_MSG_TO_SERVER_HELLO), "  9");
  EXPECT_EQ(Lobby_Msg_Ready(3), "  7    3");
  EXPECT_EQ(Lobby_Msg_Chat(1, "Ann", "hi"), "  1   3Ann   2hi");
  EXPECT_EQ(Lobby_Msg_Login_Info(true, {"Ann"}, {"Avalon"}), " 10    1    1   3Ann   6Avalon");
  EXPECT_EQ(Lobby_Msg_Login_Info(false, {"Ann"}, {"Avalon"}), " 10    0");
}

TEST_F(Lobby_Test, PlayersJoinChatReceiveTheGameAndStartTogether) {
  TMachine& host = Host();
  TMachine& ann = Joiner();
  EXPECT_EQ(ann.logins, std::vector<bool>{false});
  Login(ann, "Ann", "Avalon", "pw");
  TMachine& bob = Joiner();
  Login(bob, "Bob", "Borduria", "pw");
  EXPECT_EQ(ann->f_player, 2);
  EXPECT_EQ(bob->f_player, 3);
  EXPECT_EQ(Game_Settings.f_player_count, 3);
  EXPECT_EQ(Game_Settings.m_Player(3).f_player_name, "Bob");
  EXPECT_EQ(Game_Settings.m_Player(3).f_connected, 1);
  // Every joined machine follows the description and the rows.
  ASSERT_TRUE(Pump_Until([&] { return ann->m_Row(3).player_name == "Bob"; }));
  EXPECT_EQ(ann->f_description.game_name, "Evening Game");
  EXPECT_EQ(ann->f_description.stored_map_name, "Islands");
  EXPECT_TRUE(ann->f_description.options[0]);
  EXPECT_EQ(ann->m_Row(1).player_name, "Hal");
  EXPECT_TRUE(ann->m_Row(2).used);
  EXPECT_FALSE(ann->m_Row(4).used);

  // Chat goes out under the sender's own name, whatever name it claims.
  ann->m_Send_Chat("hello");
  g_login_player_name = "Hal";
  bob->m_Send_Chat("forged");
  ASSERT_TRUE(Pump_Until([&] { return ann->f_chat_lines.size() == 2; }));
  EXPECT_EQ(ann->f_chat_lines, (std::vector<std::string>{"Ann: hello", "Bob: forged"}));
  host->m_Send_Chat("welcome");
  ASSERT_TRUE(Pump_Until([&] { return bob->f_chat_lines.size() == 3; }));
  EXPECT_EQ(bob->f_chat_lines.back(), "Hal: welcome");

  // A ready report before the game exists counts for nothing.
  ann.net.client->m_Send(Lobby_Msg_Ready(2));
  // Begin: free rows become computer rows; later logins are refused.
  host->m_OK();
  EXPECT_TRUE(host->f_adding_ai);
  EXPECT_EQ(host->f_ok_caption, "Start");
  EXPECT_TRUE(host->m_Row(4).computer);
  EXPECT_TRUE(host->m_Row(4).use_enabled);
  EXPECT_FALSE(host->m_Row(4).colour_enabled);
  EXPECT_EQ(host->m_Row(4).player_name, "Player");
  TMachine& late = Joiner();
  Login(late, "Cy", "Cyrenia", "pw", "The Host reports that there are no player slots remaining.");
  EXPECT_EQ(Game_Settings.m_Player(2).f_ready, 0);

  // Start: the host writes the game and sends its six files.
  late.net.m_Free();
  host->f_on_create_game = [&] { host->m_Send_Game_Files(); };
  host->m_OK();
  ASSERT_TRUE(Pump_Until([&] { return ann.loaded && bob.loaded; }, 10000));
  const std::string current = paths.m_Get_Currentmap_Dir();
  for (const char* name : {"Empires.dat", "EventLog.dat", "MessageLog.dat", "MasterActionTimer.dat", "CurrentMap.map"}) {
    SCOPED_TRACE(name);
    const std::string want = Read_File(Native_Path(current + name));
    EXPECT_FALSE(want.empty());
    EXPECT_EQ(Saved(ann.folder, name), want);
    EXPECT_EQ(Saved(bob.folder, name), want);
  }
  // The game settings arrive with every player but without any player's
  // password: only the host checks passwords, and it keeps them.
  EXPECT_EQ(Game_Settings.m_Player(2).f_password, "pw");
  for (const TTemp_Dir* folder : {&ann.folder, &bob.folder}) {
    TGame_Settings sent;
    ASSERT_TRUE(sent.m_Load_From_File(folder->design() + "temp\\GameSettings.dat"));
    EXPECT_EQ(sent.f_player_count, 3);
    EXPECT_EQ(sent.m_Player(2).f_player_name, "Ann");
    EXPECT_EQ(sent.m_Player(3).f_nation_name, "Borduria");
    for (const TGame_Settings_Player_Slot& slot : sent.f_players) EXPECT_EQ(slot.f_password, "");
  }
  // Ready and start: the last ready report starts every machine.
  ASSERT_TRUE(Pump_Until([&] { return host.closed && ann.closed && bob.closed; }));
  EXPECT_EQ(host->f_result, TLobby_Result::Start_Game);
  EXPECT_EQ(ann->f_result, TLobby_Result::Start_Game);
  EXPECT_EQ(Game_Settings.f_game_kind, 4);  // the last joined machine's load
}

// Once the host listens its own row is fixed (its slot holds its names);
// a joined machine's Connect asks for no second login.
TEST_F(Lobby_Test, TheHostsRowIsFixedOnceListeningAndAJoinedMachineConnectsOnce) {
  TMachine& host = Host();
  const TLobby_Row& own = host->m_Row(1);
  EXPECT_FALSE(own.nation_enabled);
  EXPECT_FALSE(own.player_enabled);
  EXPECT_FALSE(own.use_enabled);
  TMachine& ann = Joiner();
  Login(ann, "Ann", "Avalon", "pw");
  ASSERT_EQ(ann.logins.size(), 1u);
  ann->m_OK();
  ann->m_Send_Chat("after");
  ASSERT_TRUE(Pump_Until([&] { return ann->f_chat_lines.size() == 1; }));
  EXPECT_EQ(ann.logins.size(), 1u);
  EXPECT_EQ(ann->f_status, "Connected To Host.");
  EXPECT_EQ(ann->f_player, 2);
}

// A login whose names the game could not start with is refused and the
// login box opens again with the reason: names are compared as the setup
// checks them (trimmed, without regard to case).
TEST_F(Lobby_Test, ALoginWithATakenOrMissingNameIsAskedAgain) {
  TMachine& host = Host();
  TMachine& ann = Joiner();
  Login(ann, "Ann", "Avalon", "pw");
  TMachine& bob = Joiner();
  const struct {
    const char* player;
    const char* nation;
    const char* status;
  } cases[] = {
      {"Bob", " hostland ", "The Host reports that the nation name hostland is taken. Please login again."},
      {"Bob", "", "The Host reports that you must enter a player name and a nation name. Please login again."},
      {"ANN", "Borduria", "The Host reports that the player name ANN is taken. Please login again."},
      {" ", "Borduria", "The Host reports that you must enter a player name and a nation name. Please login again."},
  };
  std::size_t boxes = bob.logins.size();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    Login(bob, c.player, c.nation, "pw", c.status);
    EXPECT_EQ(bob.logins.size(), ++boxes);
    EXPECT_EQ(bob->f_player, 0);
    EXPECT_EQ(Game_Settings.f_player_count, 2);
  }
  Login(bob, "Bob", "Borduria", "pw");
  EXPECT_EQ(bob->f_player, 3);
  EXPECT_EQ(host->m_Row(3).nation_name, "Borduria");
}

// A player who leaves while the host adds computer players frees a row
// that can take a computer player like every other free row.
TEST_F(Lobby_Test, ARowFreedWhileAddingComputerPlayersCanTakeOne) {
  TMachine& host = Host();
  TMachine& ann = Joiner();
  Login(ann, "Ann", "Avalon", "pw");
  host->m_OK();  // Begin
  ASSERT_TRUE(host->f_adding_ai);
  ann.net.m_Free();
  ASSERT_TRUE(Pump_Until([&] { return host->f_status == "Player Ann disconnected."; }));
  const TLobby_Row& freed = host->m_Row(2);
  const TLobby_Row& other = host->m_Row(3);
  EXPECT_FALSE(freed.used);
  EXPECT_EQ(freed.use_enabled, other.use_enabled);
  EXPECT_EQ(freed.nation_enabled, other.nation_enabled);
  EXPECT_EQ(freed.computer, other.computer);
  EXPECT_TRUE(freed.use_enabled);
  EXPECT_TRUE(freed.computer);
  EXPECT_EQ(freed.colour, 2);
}

TEST_F(Lobby_Test, ReadyCountsForTheSendersOwnSlotOnly) {
  TMachine& host = Host();
  TMachine& ann = Joiner();
  Login(ann, "Ann", "Avalon", "pw");
  TMachine& bob = Joiner();
  Login(bob, "Bob", "Borduria", "pw");
  ann->f_run_local_load = [] {};  // Ann is still loading
  bob->f_run_local_load = [&] { bob.net.client->m_Send(Lobby_Msg_Ready(2)); };
  host->m_OK();
  host->f_on_create_game = [&] { host->m_Send_Game_Files(); };
  host->m_OK();
  ASSERT_TRUE(Pump_Until([&] { return Game_Settings.m_Player(3).f_ready == 1; }, 10000));
  EXPECT_EQ(Game_Settings.m_Player(2).f_ready, 0);
  EXPECT_FALSE(host.closed);
  ann->m_Local_Load_Done();
  ASSERT_TRUE(Pump_Until([&] { return host.closed; }));
}

// An unused row ahead of a joined player's row: every machine must give
// that player the nation of its own row. The host's creation turns the rows
// in use into empires 1, 2, 3, ... in their order, as the setup dialog does.
TEST_F(Lobby_Test, AJoinedPlayerPlaysTheNationOfItsRowWhenAnEarlierRowIsEmpty) {
  TMachine& host = Host();
  TMachine& ann = Joiner();
  Login(ann, "Ann", "Avalon", "pw");
  TMachine& bob = Joiner();
  Login(bob, "Bob", "Borduria", "pw");
  ASSERT_EQ(bob->f_player, 3);
  const std::uint16_t bob_id = Game_Settings.m_Player(3).f_client_id;
  // Ann leaves: row 2 stays empty ahead of Bob's row.
  ann.net.m_Free();
  ASSERT_TRUE(Pump_Until([&] { return !host->m_Row(2).used; }));
  host->m_OK();  // Begin: the free rows may take computer players
  TLobby_Row& cog = host->m_Row(4);
  cog.used = true;
  cog.nation_name = "Cogland";
  cog.player_name = "Cog";
  host->f_on_create_game = [&] {
    std::vector<TGame_Setup_Row> rows;
    for (std::int32_t n = 1; n <= 8; ++n) {
      const TLobby_Row& r = host->m_Row(n);
      rows.push_back({r.used, r.nation_name, r.player_name, r.flag, r.colour, r.computer});
    }
    const std::vector<std::int32_t> used = Game_Setup_Used_Rows(rows);
    empires.m_Clear();
    empires.m_Create_Empires(std::int32_t(used.size()));
    for (std::size_t k = 0; k < used.size(); ++k) {
      TEmpire& e = *empires.m_Get_Empire(std::int32_t(k) + 1);
      e.m_Set_Nation_Name(rows[std::size_t(used[k] - 1)].nation);
      e.m_Set_Player_Name(rows[std::size_t(used[k] - 1)].player);
      e.m_Set_Computer_Controlled(rows[std::size_t(used[k] - 1)].computer);
    }
    Game_Settings.f_player_count = std::uint16_t(used.size());
    host->m_Send_Game_Files();
  };
  host->m_OK();  // Start
  ASSERT_TRUE(Pump_Until([&] { return bob.loaded && host.closed && bob.closed; }, 10000));
  ASSERT_EQ(empires.m_Get_Count(), 3);
  // The joining machine plays Borduria, the host relays for it as Borduria,
  // and both show Bob on the row of that number.
  const std::int32_t on_bob = bob->f_player;
  ASSERT_GE(on_bob, 1);
  ASSERT_LE(on_bob, 3);
  EXPECT_EQ(empires.m_Get_Empire(on_bob)->m_Get_Nation_Name(), "Borduria");
  EXPECT_EQ(g_client_player, on_bob);
  const std::int32_t on_host = Game_Settings.m_Find_Player(bob_id);
  EXPECT_EQ(on_host, on_bob);
  EXPECT_EQ(Game_Settings.m_Player(on_bob).f_player_name, "Bob");
  EXPECT_EQ(host->m_Row(on_bob).nation_name, "Borduria");
  EXPECT_EQ(bob->m_Row(on_bob).nation_name, "Borduria");
  EXPECT_EQ(empires.m_Get_Empire(3)->m_Get_Nation_Name(), "Cogland");
}

// A player who leaves while the game's files go out keeps its slot; the
// game hears of the loss as it starts (and gives the nation to the
// computer), instead of holding a nation nobody plays.
TEST_F(Lobby_Test, APlayerWhoLeavesAfterStartIsALostPlayerOfTheGame) {
  TMachine& host = Host();
  TMachine& ann = Joiner();
  Login(ann, "Ann", "Avalon", "pw");
  TMachine& bob = Joiner();
  Login(bob, "Bob", "Borduria", "pw");
  const std::uint16_t bob_id = Game_Settings.m_Player(3).f_client_id;
  bool bob_has_files = false;
  bob->f_run_local_load = [&] { bob_has_files = true; };  // Bob never reports ready
  host->m_OK();
  host->f_on_create_game = [&] { host->m_Send_Game_Files(); };
  host->m_OK();
  ASSERT_TRUE(Pump_Until([&] { return bob_has_files && ann.loaded; }, 10000));
  EXPECT_FALSE(host.closed);
  bob.net.m_Free();
  ASSERT_TRUE(Pump_Until([&] { return host.closed; })) << host->f_status;
  EXPECT_EQ(host.net.lost, std::vector<std::int32_t>{bob_id});
  EXPECT_EQ(Game_Settings.m_Find_Player(bob_id), 3);
  EXPECT_TRUE(ann.closed || Pump_Until([&] { return ann.closed; }));
}

TEST_F(Lobby_Test, LinesThatFollowTheStartAreKeptForTheGame) {
  TMachine& host = Host();
  TMachine& ann = Joiner();
  Login(ann, "Ann", "Avalon", "pw");
  host->m_OK();
  // The host's game sends its first action in the same breath as the start.
  const std::string first_action = MP_Encode_Byte(LAN_MSG_TO_CLIENT_ACTION_NEW_CURRENT_PLAYER) + MP_Encode_Byte(1);
  host->f_on_close = [&] {
    host.closed = true;
    host.net.server->Send_To_All(first_action);
  };
  host->f_on_create_game = [&] { host->m_Send_Game_Files(); };
  host->m_OK();
  ASSERT_TRUE(Pump_Until([&] { return ann.closed && !ann.net.game_lines.empty(); }, 10000));
  EXPECT_EQ(ann.net.game_lines, std::vector<std::string>{first_action});
  // A client line after the host's start reaches the host's game as well.
  ann.net.client->m_Send(MP_Encode_Byte(LAN_MSG_TO_SERVER_ACTION_END_TURN) + MP_Encode_Byte(2));
  ASSERT_TRUE(Pump_Until([&] { return !host.net.game_lines.empty(); }));
}

TEST_F(Lobby_Test, ResumedLoginTakesOnlyAFreeSavedSlotOtherThanTheHosts) {
  Game_Settings.f_player_count = 3;
  const char* names[3][3] = {{"Hal", "Hostland", "pw1"}, {"Ann", "Avalon", "Secret"}, {"Bob", "Borduria", "x"}};
  for (int n = 1; n <= 3; ++n) {
    TGame_Settings_Player_Slot& s = Game_Settings.m_Player(n);
    s.f_player_name = names[n - 1][0];
    s.f_nation_name = names[n - 1][1];
    s.f_password = names[n - 1][2];
    s.f_connected = n == 1 ? 2 : 1;
    s.f_ready = 1;  // as saved
  }
  empires.m_Get_Empire(2)->m_Set_Computer_Controlled(true);
  Game_Settings.f_setup_map_text = "Islands";
  TMachine& host = Host(true);
  // The saved ready words are cleared when the lobby opens.
  for (int n = 1; n <= 3; ++n) EXPECT_EQ(Game_Settings.m_Player(n).f_ready, 0) << n;
  EXPECT_TRUE(host->m_Row(1).used);
  EXPECT_FALSE(host->m_Row(2).used);
  EXPECT_EQ(host->m_Row(2).player_name, "Ann");
  EXPECT_EQ(host->f_ok_caption, "Begin");

  TMachine& one = Joiner();
  EXPECT_EQ(one.logins, std::vector<bool>{true});
  EXPECT_EQ(one->f_login_player_names, (std::vector<std::string>{"Ann", "Bob"}));
  EXPECT_EQ(one->f_login_nation_names, (std::vector<std::string>{"Avalon", "Borduria"}));
  // The host's own names never give its slot away.
  Login(one, "Hal", "Hostland", "pw1",
        "The Host reports that you have entered an invalid password. Please login again.");
  Login(one, "Ann", "Avalon", "wrong",
        "The Host reports that you have entered an invalid password. Please login again.");
  // Names and password are compared without regard to case.
  Login(one, "ann", "AVALON", "secret");
  EXPECT_EQ(one->f_player, 2);
  EXPECT_EQ(Game_Settings.m_Player(2).f_connected, 1);
  EXPECT_FALSE(empires.m_Get_Empire(2)->m_Get_Computer_Controlled());
  EXPECT_TRUE(host->m_Row(2).used);
  // A slot already taken is not taken twice.
  TMachine& two = Joiner();
  Login(two, "Ann", "Avalon", "Secret", "The Host reports that there are no player slots remaining.");
  Login(two, "Bob", "Borduria", "x");
  EXPECT_EQ(two->f_player, 3);

  // A player who leaves frees the slot and the computer plays the empire.
  one.net.m_Free();
  ASSERT_TRUE(Pump_Until([&] { return Game_Settings.m_Player(2).f_connected == 0; }));
  EXPECT_EQ(host->f_status, "Player Ann disconnected.");
  EXPECT_TRUE(empires.m_Get_Empire(2)->m_Get_Computer_Controlled());
  EXPECT_FALSE(host->m_Row(2).used);
}

TEST_F(Lobby_Test, JoiningMachineWithoutTheMapLeavesAndSaysWhy) {
  Host();
  TMachine& ann = Joiner();
  ann->f_has_stored_map = [](const std::string&) { return false; };
  ann->m_Login_Closed(true, "Ann", "Avalon", "pw");
  ASSERT_TRUE(Pump_Until([&] { return !ann.errors.empty(); }));
  EXPECT_EQ(ann.errors[0],
            "This game requires the map \"Islands\", but you do not have it in your maps directory. Please download "
            "the map before joining the game.");
  EXPECT_EQ(ann->f_status, "Disconnected.");
  EXPECT_EQ(ann->f_ok_caption, "Connect");
  EXPECT_FALSE(ann->m_Row(1).used);
  ASSERT_TRUE(Pump_Until([&] { return Game_Settings.m_Player(2).f_connected == 0; }));
}

TEST_F(Lobby_Test, HostChecksItsInputBeforeListening) {
  struct TCase {
    const char* game_name;
    const char* ip;
    const char* player;
    const char* map;
    const char* status;
  } cases[] = {
      {"", "127.0.0.1", "Hal", "Islands", "You must specify a Game Name."},
      {"a\\b", "127.0.0.1", "Hal", "Islands", "A save name cannot contain \\, / or :."},
      {"Evening.saving", "127.0.0.1", "Hal", "Islands",
       "A save name cannot end in \".saving\", \".old\" or \".loading\": the game keeps those names for itself."},
      {"Old", "127.0.0.1", "Hal", "Islands",
       "The Game Name you specified is already in use. Please enter a new Game Name."},
      {"New", "", "Hal", "Islands", "You must specify an IP Address."},
      {"New", "127.0.0.1", "", "Islands", "You must specify your Player Name as Player 1."},
      {"New", "127.0.0.1", "Hal", "", "You must specify an existing map for this game."},
  };
  Directory_Create_All(paths.m_Get_Savegames_Dir() + "Old\\");
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.status);
    TMachine h(3, false);
    h->f_description.game_name = c.game_name;
    h->f_ip_address = c.ip;
    h->f_port = "0";
    h->m_Row(1).nation_name = "Hostland";
    h->m_Row(1).player_name = c.player;
    h->f_description.stored_map_name = c.map;
    h->m_OK();
    EXPECT_EQ(h->f_status, c.status);
    EXPECT_TRUE(h->f_combos_enabled);
    Pump_Until([] { return false; }, 30);
    EXPECT_FALSE(h->f_listening);
  }
}

// A resumed game's name is the folder of the host's saves: the lobby
// checks it again before it listens.
TEST_F(Lobby_Test, AResumedGameWhoseNameIsNoSaveNameIsNotHosted) {
  for (const char* name : {"..\\sentinel", "", "Evening.old"}) {
    SCOPED_TRACE(name);
    Game_Settings.f_network_save_name = name;
    TMachine h(3, true);
    h->f_ip_address = "127.0.0.1";
    h->f_port = "0";
    h->m_OK();
    std::string reason;
    EXPECT_FALSE(Save_Name_Valid(name, reason));
    EXPECT_EQ(h->f_status, reason);
    Pump_Until([] { return false; }, 30);
    EXPECT_FALSE(h->f_listening);
    EXPECT_EQ(Game_Settings.m_Player(1).f_connected, 0);
  }
}

TEST_F(Lobby_Test, HostileLinesLeaveTheLobbyAsItWas) {
  TMachine& host = Host();
  TMachine& ann = Joiner();
  Login(ann, "Ann", "Avalon", "pw");
  const std::string lines[] = {
      "garbage",
      "",
      Lobby_Msg_Code(LAN_MSG_TO_CLIENT_START_GAME),
      Lobby_Msg_Row(1, TLobby_Row{}),
      Lobby_Msg_Status("forged"),
      MP_Encode_Byte(LAN_MSG_TO_SERVER_LOGIN) + "9999abc",
      MP_Encode_Byte(LAN_MSG_TO_SERVER_CHAT) + "  -1",
      Lobby_Msg_Login("Avalon", "Ann", "pw"),  // a second login of the same machine
      Lobby_Msg_Ready(1),
  };
  for (const std::string& l : lines) ann.net.client->m_Send(l);
  ann->m_Send_Chat("still here");
  ASSERT_TRUE(Pump_Until([&] { return ann->f_chat_lines.size() == 1; }));
  EXPECT_EQ(Game_Settings.f_player_count, 2);
  EXPECT_EQ(Game_Settings.m_Player(1).f_player_name, "Hal");
  EXPECT_EQ(host->m_Row(1).player_name, "Hal");
  EXPECT_FALSE(host.closed);
  EXPECT_EQ(Game_Settings.m_Player(2).f_ready, 0);

  // A joining machine reads the host's counts against the line.
  ann->m_Process_Lobby_Message(2, 0, MP_Encode_Byte(LAN_MSG_TO_CLIENT_LOGIN_INFO) + MP_Encode_Word(1) +
                                         MP_Encode_Word(65535));
  EXPECT_TRUE(ann->f_login_player_names.empty());
  ann->m_Process_Lobby_Message(2, 0, MP_Encode_Byte(LAN_MSG_TO_CLIENT_GAME_INFO) + MP_Encode_Word(9));
  ann->m_Process_Lobby_Message(2, 0, MP_Encode_Byte(LAN_MSG_TO_SERVER_CHAT) + Lobby_Msg_Chat(1, "x", "y").substr(3));
  EXPECT_EQ(ann->f_chat_lines.size(), 1u);
  EXPECT_FALSE(ann.closed);
}

namespace {

// A machine that connects with a plain socket and never logs in (or, for a
// resumed game, logs in with a wrong password), then sends the lines a
// joined machine sends while the game is set up: ready reports, file
// receipts and chat. The host must send it nothing of the game: no rows, no
// chat, no files, no start.
class Lobby_Intruder_Test : public Lobby_Test {
protected:
  void Intrude(bool resumed) {
    if (resumed) {
      Game_Settings.f_player_count = 2;
      const char* names[2][3] = {{"Hal", "Hostland", "pw1"}, {"Ann", "Avalon", "Secret"}};
      for (int n = 1; n <= 2; ++n) {
        TGame_Settings_Player_Slot& s = Game_Settings.m_Player(n);
        s.f_player_name = names[n - 1][0];
        s.f_nation_name = names[n - 1][1];
        s.f_password = names[n - 1][2];
      }
      Game_Settings.f_setup_map_text = "Islands";
    }
    TMachine& host = Host(resumed);
    TMachine& ann = Joiner();
    Login(ann, "Ann", "Avalon", resumed ? "Secret" : "pw");

    TRaw_Socket intruder(port);
    ASSERT_GE(intruder.fd, 0);
    intruder.Send_Line(MP_Message_Prefix + Lobby_Msg_Code(LAN_MSG_TO_SERVER_HELLO));
    // What anyone may see: the greeting and the login info.
    const std::string info = MP_Message_Prefix + Lobby_Msg_Login_Info(resumed, {"Ann"}, {"Avalon"}) + "\r\n";
    ASSERT_TRUE(Pump_Until([&] {
      intruder.Read();
      return intruder.received.find(info) != std::string::npos;
    }));
    if (resumed) {
      intruder.Send_Line(MP_Message_Prefix + Lobby_Msg_Login("Avalon", "Ann", "guess"));
      ASSERT_TRUE(Pump_Until([&] {
        intruder.Read();
        return intruder.received.find(Lobby_Msg_Code(LAN_MSG_TO_CLIENT_LOGIN_BAD_PASSWORD)) != std::string::npos;
      }));
    }
    const std::string before = intruder.received;
    for (const std::string& line : {MP_Message_Prefix + Lobby_Msg_Ready(2), std::string(MP_File_Received),
                                    MP_Message_Prefix + Lobby_Msg_Chat(LAN_MSG_TO_SERVER_CHAT, "Ann", "let me in")})
      intruder.Send_Line(line);
    host->m_Send_Chat("welcome, Ann");

    if (resumed) {
      // The loaded game's own files, as a load leaves them.
      const std::string current = paths.m_Get_Currentmap_Dir();
      ASSERT_TRUE(Game_Settings.m_Save_To_File(current + "GameSettings.dat"));
      ASSERT_TRUE(empires.m_Save_To_File(current + "Empires.dat"));
      ASSERT_TRUE(G_Event_Log->m_Save_To_File(current + "EventLog.dat"));
      ASSERT_TRUE(messages.m_Save_To_File(current + "MessageLog.dat"));
      ASSERT_TRUE(timer.m_Save_To_File(current + "MasterActionTimer.dat"));
      host->m_OK();  // the resumed game's files go out at once
    } else {
      host->m_OK();  // Begin
      host->f_on_create_game = [&] { host->m_Send_Game_Files(); };
      host->m_OK();  // Start
    }
    ASSERT_TRUE(Pump_Until([&] { return ann.loaded && host.closed && ann.closed; }, 10000)) << host->f_status;
    EXPECT_EQ(ann->f_player, 2);
    EXPECT_EQ(ann->f_chat_lines, std::vector<std::string>{"Hal: welcome, Ann"});
    // A receipt now would fetch the next file if the intruder had a place
    // in the transfer.
    intruder.Send_Line(MP_File_Received);
    Pump_Until([] { return false; }, 200);
    intruder.Read();
    EXPECT_EQ(intruder.received, before);
    EXPECT_EQ(std::count(host->f_chat_lines.begin(), host->f_chat_lines.end(), "Ann: let me in"), 0);
    // Nor do its lines reach the running game: only Ann's does.
    const std::string end_turn = MP_Encode_Byte(LAN_MSG_TO_SERVER_ACTION_END_TURN) + MP_Encode_Byte(2);
    intruder.Send_Line(MP_Message_Prefix + end_turn);
    Pump_Until([] { return false; }, 100);
    ann.net.client->m_Send(end_turn);
    ASSERT_TRUE(Pump_Until([&] { return !host.net.game_lines.empty(); }));
    Pump_Until([] { return false; }, 100);
    EXPECT_EQ(host.net.game_lines, std::vector<std::string>{end_turn});
  }
};

}  // namespace

TEST_F(Lobby_Intruder_Test, AMachineThatNeverLoggedInGetsNothingOfTheGame) { Intrude(false); }

TEST_F(Lobby_Intruder_Test, AMachineWithAWrongPasswordGetsNothingOfTheResumedGame) { Intrude(true); }

namespace {

// A listening socket on loopback standing for the address-echo service; it
// answers only when the test says so.
struct TSlow_Service {
  int fd = -1;
  int port = 0;
  int conn = -1;
  TSlow_Service() {
    fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(fd, 4);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
  }
  ~TSlow_Service() {
    if (conn >= 0) ::close(conn);
    if (fd >= 0) ::close(fd);
  }
  TSlow_Service(const TSlow_Service&) = delete;
  TSlow_Service& operator=(const TSlow_Service&) = delete;
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port) + "/ip"; }
  // The request of the one connection, read to its closing zero byte.
  std::string Take_Request() {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 5000) != 1) return "";
    conn = ::accept(fd, nullptr, nullptr);
    std::string request;
    char buf[512];
    while (request.find('\0') == std::string::npos) {
      pollfd q{conn, POLLIN, 0};
      if (::poll(&q, 1, 5000) != 1) break;
      const ssize_t n = ::recv(conn, buf, sizeof buf, 0);
      if (n <= 0) break;
      request.append(buf, std::size_t(n));
    }
    return request;
  }
  void Answer(const std::string& reply) {
    ::send(conn, reply.data(), reply.size(), MSG_NOSIGNAL);
    ::close(conn);
    conn = -1;
  }
};

// Runs the lobby's timer as the frame loop does until done() holds.
bool Frames_Until(TGameSetup_Lobby& lobby, const std::function<bool()>& done) {
  return Pump_Until([&] {
    lobby.m_On_Timer(0.005f);
    return done();
  });
}

}  // namespace

// The service holds the host's request unanswered: the lobby opens all the
// same (the frame loop goes on) and shows the address once the answer comes.
TEST_F(Lobby_Test, TheHostsLobbyOpensWhileTheAddressServiceIsSilentAndShowsItsAnswer) {
  TSlow_Service service;
  TTest_Net net;
  net.m_Start_Server();
  net.server->f_wan_address_url = service.Url();
  net.server->f_http_timeout_ms = 10000;
  TGameSetup_Lobby lobby(3, false, &net);
  lobby.m_On_Timer(0.3f);
  EXPECT_EQ(lobby.f_status, "Ready");
  EXPECT_EQ(lobby.f_ip_address, "");
  // The look-up's request is now waiting at the service.
  const std::string request = service.Take_Request();
  EXPECT_EQ(request.rfind("GET /ip HTTP/1.0 \r\n", 0), 0u) << request;
  lobby.m_On_Timer(0.01f);
  EXPECT_EQ(lobby.f_ip_address, "");
  const std::uint64_t changes = lobby.f_changes;
  service.Answer("HTTP/1.0 200 OK\r\n\r\n203.0.113.7\r\n");
  ASSERT_TRUE(Frames_Until(lobby, [&] { return lobby.f_ip_address == "203.0.113.7"; })) << lobby.f_status;
  EXPECT_GT(lobby.f_changes, changes);
  EXPECT_EQ(lobby.f_status, "Ready");
}

// A service that cannot be reached is reported; an address the host typed
// meanwhile is kept.
TEST_F(Lobby_Test, AnUnreachableAddressServiceIsReportedAndATypedAddressStands) {
  std::string url;
  {
    TSlow_Service gone;
    url = gone.Url();
  }
  TTest_Net net;
  net.m_Start_Server();
  net.server->f_wan_address_url = url;
  TGameSetup_Lobby lobby(3, false, &net);
  lobby.m_On_Timer(0.3f);
  lobby.f_ip_address = "192.0.2.4";
  ASSERT_TRUE(Frames_Until(lobby, [&] { return !lobby.f_wan_pending; }));
  EXPECT_EQ(lobby.f_status, "Error: Could not get WAN IP.");
  EXPECT_EQ(lobby.f_ip_address, "192.0.2.4");
}

// Seven players join (the lobby holds eight with the host, and refuses one
// more), then they leave one after another: their slots are free again,
// for the one refused before and for a ninth.
TEST_F(Lobby_Test, EightPlayersJoinAndLeaveInTurnAndANinthThenLogsIn) {
  TMachine& host = Host();
  std::vector<TMachine*> joined;
  for (int i = 0; i < 7; ++i) {
    TMachine& j = Joiner();
    Login(j, "Player " + std::to_string(i + 2), "Nation " + std::to_string(i + 2), "pw");
    EXPECT_EQ(j->f_player, i + 2);
    joined.push_back(&j);
  }
  EXPECT_EQ(Game_Settings.f_player_count, 8);
  TMachine& eighth = Joiner();
  Login(eighth, "Eve", "Eden", "pw", "The Host reports that there are no player slots remaining.");
  for (TMachine* j : joined) {
    const std::int32_t slot = (*j)->f_player;
    j->net.m_Free();
    ASSERT_TRUE(Pump_Until([&] { return Game_Settings.m_Player(slot).f_connected == 0; }));
    EXPECT_EQ(host->f_status, "Player Player " + std::to_string(slot) + " disconnected.");
  }
  EXPECT_EQ(Game_Settings.f_player_count, 1);
  // "Connect" again repeats the refused login; then a ninth machine comes.
  eighth->m_OK();
  ASSERT_TRUE(Pump_Until([&] { return eighth.logins.size() == 2; }));
  Login(eighth, "Eve", "Eden", "pw");
  EXPECT_EQ(eighth->f_player, 2);
  TMachine& ninth = Joiner();
  Login(ninth, "Nia", "Nineveh", "pw");
  EXPECT_EQ(ninth->f_player, 3);
  EXPECT_EQ(Game_Settings.f_player_count, 3);
  ASSERT_TRUE(Pump_Until([&] { return ninth->m_Row(2).player_name == "Eve"; }));
  EXPECT_EQ(ninth->m_Row(3).player_name, "Nia");
  for (std::int32_t n = 4; n <= 8; ++n) EXPECT_FALSE(host->m_Row(n).used) << n;
}

// A name holds at most what the name fields show, and only characters that
// can be shown: any other is refused with the reason, the login box opens
// again, and nobody hears of the name.
TEST_F(Lobby_Test, LongAndControlCharacterNamesAreRefusedWithTheReason) {
  TMachine& host = Host();
  TMachine& ann = Joiner();
  Login(ann, "Ann", "Avalon", "pw");
  TMachine& bob = Joiner();
  const std::string too_long = "The Host reports that the player name is longer than 40 characters. Please login again.";
  const std::string nation_too_long =
      "The Host reports that the nation name is longer than 40 characters. Please login again.";
  const std::string unshown =
      "The Host reports that the player name holds a character that cannot be shown. Please login again.";
  const std::string nation_unshown =
      "The Host reports that the nation name holds a character that cannot be shown. Please login again.";
  const struct {
    std::string player, nation, status;
  } cases[] = {
      {std::string(41, 'b'), "Borduria", too_long},
      {std::string(9999, 'b'), "Borduria", too_long},
      {"Bob", std::string(41, 'n'), nation_too_long},
      {std::string("Bo\0b", 4), "Borduria", unshown},
      {"Bo\tb", "Borduria", unshown},
      {"Bob\b\b\bHal", "Borduria", unshown},
      {"Bob\r", "Borduria", unshown},
      {"Bob\x7f", "Borduria", unshown},
      {"Bob", "Bor\x1b[2Jduria", nation_unshown},
      {"Bob", "Bor\xc2\x85" "duria", nation_unshown},  // U+0085, a control character
      {"Bob", "Bor\xff" "duria", nation_unshown},      // no UTF-8
  };
  std::size_t boxes = bob.logins.size();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status + " " + std::to_string(c.player.size()));
    bob->m_Set_Status("");  // the same reason comes again
    Login(bob, c.player, c.nation, "pw", c.status);
    EXPECT_EQ(bob.logins.size(), ++boxes);
    EXPECT_EQ(bob->f_player, 0);
    EXPECT_EQ(Game_Settings.f_player_count, 2);
  }
  EXPECT_FALSE(host->m_Row(3).used);
  EXPECT_FALSE(ann->m_Row(3).used);
  // Forty characters are taken, also when each is two bytes long.
  std::string wide;
  for (int i = 0; i < 40; ++i) wide += "\xc3\x84";  // Ä
  const std::string forty(40, 'b');
  Login(bob, forty, wide, "pw");
  EXPECT_EQ(bob->f_player, 3);
  EXPECT_EQ(host->m_Row(3).player_name, forty);
  ASSERT_TRUE(Pump_Until([&] { return ann->m_Row(3).nation_name == wide; }));
  EXPECT_EQ(Lobby_Name_Refusal(wide + "\xc3\x84", "nation name"), nation_too_long);
  EXPECT_EQ(Lobby_Name_Refusal("Caf\xc3\xa9 \xe2\x82\xac", "nation name"), "");
}

// Chat carries its bytes as they were typed: a tab and a backspace arrive
// unchanged at every machine.
TEST_F(Lobby_Test, ChatArrivesAsSent) {
  TMachine& host = Host();
  TMachine& ann = Joiner();
  Login(ann, "Ann", "Avalon", "pw");
  TMachine& bob = Joiner();
  Login(bob, "Bob", "Borduria", "pw");
  // The game's chat panel sends under the name of the last login here.
  EXPECT_EQ(MP_Login_Player_Name, "Bob");
  EXPECT_EQ(MP_Login_Nation_Name, "Borduria");
  const std::string text = "x\ty\bz";
  ann->m_Send_Chat(text);
  ASSERT_TRUE(Pump_Until([&] { return bob->f_chat_lines.size() == 1 && ann->f_chat_lines.size() == 1; }));
  EXPECT_EQ(bob->f_chat_lines, std::vector<std::string>{"Ann: " + text});
  EXPECT_EQ(host->f_chat_lines, std::vector<std::string>{"Ann: " + text});
}

namespace {
// Bytes the program holds on its heap now (freed memory that the address
// sanitizer keeps in quarantine not counted).
std::size_t Live_Heap_Bytes() {
#if GLOBARCH_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
#endif
}
}  // namespace

// A member chats 100 MB in lines of the longest text a field carries. The
// lobbies keep the newest lines only: once their histories are full, the
// memory the host (and the member's own machine, in the same program here)
// holds stays within a few MB of where it was.
TEST_F(Lobby_Test, AHundredMegabytesOfChatLeaveTheMemoryWhereItWas) {
  TMachine& host = Host();
  TMachine& ann = Joiner();
  Login(ann, "Ann", "Avalon", "pw");
  const std::string text(MP_Max_String_Length, 'c');
  const std::string line = Lobby_Msg_Chat(LAN_MSG_TO_SERVER_CHAT, "Ann", text);
  const std::size_t batch = 50;  // lines per round, about half a MB
  const std::size_t full = TGameSetup_Lobby::Max_Chat_Lines / batch;
  const std::size_t rounds = 200;  // 100 MB
  auto Chat_Round = [&] {
    const std::uint64_t want = host->f_chat_added + batch;
    for (std::size_t i = 0; i < batch; ++i) ann.net.client->m_Send(line);
    return Pump_Until([&] { return host->f_chat_added == want && ann->f_chat_added == want; }, 20000);
  };
  // The histories fill up (5 MB each) and the sockets' buffers take their
  // working size.
  for (std::size_t r = 0; r < full; ++r) ASSERT_TRUE(Chat_Round()) << "round " << r;
  const std::size_t began = Live_Heap_Bytes();
  for (std::size_t r = 0; r < rounds; ++r) ASSERT_TRUE(Chat_Round()) << "round " << r;
  const std::size_t ended = Live_Heap_Bytes();
  EXPECT_EQ(host->f_chat_added, batch * (full + rounds));
  EXPECT_GE(batch * rounds * line.size(), std::size_t(100) * 1000 * 1000);
  EXPECT_EQ(host->f_chat_lines.size(), TGameSetup_Lobby::Max_Chat_Lines);
  EXPECT_EQ(ann->f_chat_lines.size(), TGameSetup_Lobby::Max_Chat_Lines);
  EXPECT_EQ(host->f_chat_lines.back(), "Ann: " + text);
  EXPECT_LT(ended, began + std::size_t(2) * 1024 * 1024) << "began " << began << " ended " << ended;
}

// A member who floods the chat and never reads what the host sends it: the
// host holds no more for it than its chat history and its send queue's
// bound, then drops it; the lobby goes on for the next player.
TEST_F(Lobby_Test, AMemberWhoChatsAndNeverReadsIsDroppedAtTheQueueBound) {
  TMachine& host = Host();
  TRaw_Peer flood = TRaw_Peer::Connect(std::stoi(port));
  ASSERT_GE(flood.fd(), 0);
  flood.Write(MP_Message_Prefix + Lobby_Msg_Code(LAN_MSG_TO_SERVER_HELLO) + "\r\n");
  flood.Write(MP_Message_Prefix + Lobby_Msg_Login("Floodland", "Flo", "pw") + "\r\n");
  ASSERT_TRUE(Pump_Until([&] { return host->m_Row(2).player_name == "Flo"; }));
  const std::string text(MP_Max_String_Length, 'f');
  const std::string line = MP_Message_Prefix + Lobby_Msg_Chat(LAN_MSG_TO_SERVER_CHAT, "Flo", text) + "\r\n";
  std::string batch;
  for (int i = 0; i < 50; ++i) batch += line;
  const std::size_t history = TGameSetup_Lobby::Max_Chat_Lines * ("Flo: " + text).size();
  const std::size_t began = Live_Heap_Bytes();
  std::size_t most = began;
  const auto dropped = [&] { return host->f_status == "Player Flo disconnected."; };
  // Writes while the host takes the lines in; false once it has let go.
  const auto write = [&](const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
      const ssize_t n = ::send(flood.fd(), bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n > 0) {
        done += std::size_t(n);
      } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        Net_Process_Messages(5);
        most = std::max(most, Live_Heap_Bytes());
      } else {
        return false;
      }
    }
    return true;
  };
  for (int round = 0; round < 200 && !dropped(); ++round) {
    if (!write(batch)) break;
    Pump_For(5);
    most = std::max(most, Live_Heap_Bytes());
  }
  ASSERT_TRUE(Pump_Until(dropped)) << host->f_status;
  EXPECT_LT(most, began + history + std::size_t(MP_Send_Queue_Limit) + std::size_t(4) * 1024 * 1024)
      << "began " << began << " most " << most;
  EXPECT_FALSE(host->m_Row(2).used);
  TMachine& ann = Joiner();
  Login(ann, "Ann", "Avalon", "pw");
  ann->m_Send_Chat("still here");
  ASSERT_TRUE(Pump_Until([&] { return host->f_chat_lines.back() == "Ann: still here"; }));
}

// Joining by a host's name: the lobby shows that it is connecting while
// the name is looked up (the frame loop going on), an OK meanwhile starts
// nothing twice, and Cancel stops the attempt and leaves the lobby open; the
// late answer connects nothing. Once connecting stopped, Cancel leaves.
TEST_F(Lobby_Test, JoiningByNameShowsConnectingAndCanBeCancelled) {
  TMachine& host = Host();
  TGated_Resolver resolver;
  machines.push_back(std::make_unique<TMachine>(4, false));
  TMachine& j = *machines.back();
  j->f_ip_address = "game-host.test";
  j->f_port = port;
  j->m_OK();
  EXPECT_EQ(j->f_status, "Connecting To Host...");
  EXPECT_TRUE(j->m_Connecting());
  ASSERT_TRUE(Pump_Until([&] { return resolver.gate->Asked() == 1; }));
  j->m_OK();
  Pump_For(50);
  EXPECT_EQ(resolver.gate->Asked(), 1u);
  EXPECT_TRUE(j->m_Connecting());
  j->m_Cancel();
  EXPECT_EQ(j->f_status, "Connection cancelled.");
  EXPECT_FALSE(j->m_Connecting());
  EXPECT_FALSE(j.closed);
  EXPECT_EQ(j->f_result, TLobby_Result::Open);
  ASSERT_NE(j.net.client, nullptr);
  resolver.gate->Open();
  Pump_For(200);
  EXPECT_EQ(host.net.server->Socket()->ClientCount(), 0);
  EXPECT_TRUE(j.logins.empty());
  EXPECT_EQ(j->f_status, "Connection cancelled.");
  // Connect again: the name server answers at once now.
  j->m_OK();
  ASSERT_TRUE(Pump_Until([&] { return !j.logins.empty(); })) << j->f_status;
  EXPECT_FALSE(j->m_Connecting());
  j->m_Cancel();
  EXPECT_TRUE(j.closed);
  EXPECT_EQ(j->f_result, TLobby_Result::Cancelled);
}
