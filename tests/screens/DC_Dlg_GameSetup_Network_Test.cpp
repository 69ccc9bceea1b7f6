// The game setup dialog as a network lobby on loopback: a hosting dialog
// and a joining dialog in one process, each with its own server or client
// talking through real sockets. What the lobbies hold must reach the
// controls, and the controls' input must reach the lobbies.
#include "DC_Dlg_GameSetup_Network.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <vector>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "DC_Main.h"
#include "Global.h"
#include "Multiplayer_Client.h"
#include "Multiplayer_Server.h"
#include "NetSocket.h"
#include "NetSocketServer.h"
#include "NetWndControl.h"
#include "Datafile_MainFonts.h"
#include "Display.h"
#include "GameInit.h"
#include "GameSettings.h"
#include "GraphicsEngine.h"
#include "Image_Files.h"
#include "Io.h"
#include "Path.h"
#include "MapClass.h"
#include "Render_Device_Headless.h"
#include "Render_Device_OpenGL.h"
#include "SteppedTask.h"
#include "Screen_Window.h"
#include "Test_Support.h"

namespace {

constexpr const char* OK_Name = "GAMESETUP_CONTROL_BUTTON_OK";
constexpr const char* Cancel_Name = "GAMESETUP_CONTROL_BUTTON_CANCEL";

bool Pump_Until(const std::function<bool()>& done, int max_ms = 5000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(max_ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Net_Process_Messages(5);
  }
  return true;
}

// A machine's own server or client.
struct TTest_Net : TLobby_Network {
  std::unique_ptr<TMultiplayer_Server> server;
  std::unique_ptr<TMultiplayer_Client> client;
  std::string base_folder;
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
  void m_Game_Event(MP_Event_Code, std::int32_t, const std::string&) override {}
};

// The program's globals started on the shipped data with a fresh user
// folder, on a headless device or (for the pictures) a real window of
// 1024 x 768, an empty world map, and a hosting and a joining dialog.
class Lobby_Dialog_Test : public ::testing::Test {
protected:
  virtual bool Windowed() const { return false; }

  void SetUp() override {
    setenv("GLOBARCH_HOME", Source_Dir().c_str(), 1);
    setenv("GLOBARCH_USER_DIR", f_user.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", f_config.path().c_str(), 1);
    TDevice_Params params;
    params.Width = 1024;
    params.Height = 768;
    params.Title = "Globarch lobby test";
    if (Windowed()) {
      const char* display = std::getenv("DISPLAY");
      if (!display || !*display) GTEST_SKIP() << "no display: the lobby's window is not tested";
      f_system = Create_OpenGL_Render_System();
      ASSERT_TRUE(f_system);
      ASSERT_EQ(f_system->Create_Device(params, f_device), S_OK) << OpenGL_Last_Error();
    } else {
      f_device = std::make_unique<TRender_Device_Headless>(params);
    }
    Render_Device_Set_Current(f_device.get());
    G_Init_GraphicsEngine();
    if (Windowed()) G_RestoreDeviceObjects();
    TSurface_Desc desc;
    f_device->Get_BackBuffer_Desc(desc);
    G_Set_BackBuffer_Desc(desc);
    Game_Init_Start();
    if (Windowed()) {
      // The pictures of the interface and the fonts, as the game loads them.
      ASSERT_TRUE(Init_Global_Display());
      ASSERT_TRUE(G_Init_Fonts());
      G_Font_RestoreDeviceObjects();
    }
    Random_Set_Seed(7);
    f_map = std::make_unique<TMap>();
    G_Map = f_map.get();
    f_started = true;
    // A stored map for the host to choose (both machines have it).
    ASSERT_TRUE(Path_Settings);
    ASSERT_TRUE(Directory_Create_All(Path_Settings->m_Get_Maps_Dir() + "Islands\\"));

    join_net.base_folder = join_folder.design();
    // Both dialogs exist before the host listens: opening a dialog clears
    // the players of the game settings the two share in this process.
    join = std::make_unique<TDC_Dlg_GameSetup_Network>(GAME_SETUP_JOIN, false, &join_net);
    host = std::make_unique<TDC_Dlg_GameSetup_Network>(GAME_SETUP_HOST, false, &host_net);
    for (TDC_Dlg_GameSetup_Network* d : {join.get(), host.get()}) {
      d->m_Set_Position("Dlg Game Setup", 0, 0, true);
      d->m_Set_Visible(true);
    }
    host->m_Lobby().f_wan_address = [] { return std::string("127.0.0.1"); };
    host->m_On_Timer(0.3f);
    join->m_On_Timer(0.3f);
  }
  void TearDown() override {
    join.reset();
    host.reset();
    if (f_started) {
      Stepped_Task_End();
      G_Map = nullptr;
      f_map.reset();
      Game_Init_Free_Globals();
      G_Shutdown_GraphicsEngine();
    }
    Render_Device_Set_Current(nullptr);
    f_device.reset();
    f_system.reset();
  }

  TEnvironment_Guard f_environment{"GLOBARCH_HOME", "GLOBARCH_USER_DIR", "XDG_CONFIG_HOME"};
  TTemp_Dir f_user, f_config;
  std::unique_ptr<TRender_System> f_system;
  std::unique_ptr<TRender_Device> f_device;
  std::unique_ptr<TMap> f_map;
  bool f_started = false;

  // The host fills in its game and presses OK ("Create"), then listens.
  void Host_Listens() {
    ASSERT_EQ(host->m_IP_Edit().m_Text(), "127.0.0.1");
    host->m_Port_Edit().m_Set_Text("0");
    host->m_Game_Name_Edit().m_Set_Text("Evening Game");
    host->m_Nation_Edit(1).m_Set_Text("Hostland");
    host->m_Player_Edit(1).m_Set_Text("Hal");
    ASSERT_GT(host->m_Combobox(2).m_Get_Item_Count(), 0);
    host->m_Combobox(2).m_Select_Item(1);
    map_name = host->m_Combobox(2).m_Get_Text();
    ASSERT_FALSE(map_name.empty());
    host->m_Button_Click(OK_Name);
    ASSERT_TRUE(Pump_Until([&] { return host->m_Lobby().f_listening; })) << host->m_Lobby().f_status;
    host->m_On_Timer(0.01f);
    port = host_net.server->Socket()->GetLocalPort();
  }

  // The joining machine connects and logs in through the login box.
  void Join_As(const std::string& player, const std::string& nation) {
    join->m_IP_Edit().m_Set_Text("127.0.0.1");
    join->m_Port_Edit().m_Set_Text(port);
    join->m_Button_Click(OK_Name);
    ASSERT_TRUE(Pump_Until([&] { return join->m_Login_Dialog() != nullptr; })) << join->m_Lobby().f_status;
    TDC_Dlg_Login& login = *join->m_Login_Dialog();
    EXPECT_TRUE(login.m_Visible());
    login.m_Edit(1).m_Set_Text(player);
    login.m_Edit(2).m_Set_Text(nation);
    login.m_Edit(3).m_Set_Text("pw");
    std::uint16_t enter = VK_RETURN;
    EXPECT_TRUE(login.m_On_Key_Down(enter, 0));
    join->m_Kill_Any_Dead_Controls();
    EXPECT_EQ(join->m_Login_Dialog(), nullptr);
    ASSERT_TRUE(Pump_Until([&] { return join->m_Lobby().f_status == "Connected To Host."; }))
        << join->m_Lobby().f_status;
  }

  // Lets both dialogs take their events into their controls.
  void Tick() {
    host->m_On_Timer(0.01f);
    join->m_On_Timer(0.01f);
  }

  TTemp_Dir join_folder;
  TTest_Net host_net, join_net;
  std::unique_ptr<TDC_Dlg_GameSetup_Network> host, join;
  std::string port, map_name;
};

std::vector<std::string> Chat_Rows(TDC_Dlg_GameSetup& d) {
  std::vector<std::string> rows;
  for (std::int32_t r = 1; r <= d.m_Chat_List().m_Get_Row_Count(); ++r) rows.push_back(d.m_Chat_List().m_Get_Row_Text(r));
  return rows;
}

}  // namespace

TEST_F(Lobby_Dialog_Test, TheHostOpensWithItsAddressAndCreateAndOnlyItsOwnRowOpen) {
  EXPECT_EQ(host->m_Title(), "Host A Game");
  EXPECT_EQ(host->m_OK().m_Caption(), "Create");
  EXPECT_EQ(host->m_Port_Edit().m_Text(), "28599");
  EXPECT_TRUE(host->m_Game_Name_Edit().m_Enabled());
  EXPECT_TRUE(host->m_Use_Player(1).m_Is_On());
  EXPECT_TRUE(host->m_Nation_Edit(1).m_Enabled());
  EXPECT_FALSE(host->m_Nation_Edit(2).m_Enabled());
  EXPECT_FALSE(host->m_Use_Player(2).m_Is_On());
  EXPECT_FALSE(host->m_Chat_Edit().m_Enabled());
  EXPECT_TRUE(host->m_Option(1));
  // The dialog's default options stand: checks on, one choice per group.
  EXPECT_TRUE(host->m_Option(3));
  EXPECT_TRUE(host->m_Option(7));
  EXPECT_TRUE(host->m_Option_Button(7).m_Enabled());
  EXPECT_TRUE(host->m_Lobby().f_description.options[6]);
  EXPECT_FALSE(host->m_Option_Button(1).m_Enabled());
  EXPECT_EQ(join->m_Title(), "Join A Game");
  EXPECT_EQ(join->m_OK().m_Caption(), "Connect");
  EXPECT_FALSE(join->m_Game_Name_Edit().m_Enabled());
  EXPECT_FALSE(join->m_Combobox(2).m_Enabled());
  EXPECT_EQ(G_GameSetup_Lobby, &host->m_Lobby());
}

TEST_F(Lobby_Dialog_Test, AJoinedPlayerHisChatAndTheHostsStartReachTheControls) {
  // A check of the host's input shows its reason and leaves the dialog as it was.
  host->m_Game_Name_Edit().m_Set_Text("");
  host->m_Button_Click(OK_Name);
  EXPECT_EQ(host->m_Lobby().f_status, "You must specify a Game Name.");
  EXPECT_EQ(host->m_OK().m_Caption(), "Create");

  Host_Listens();
  EXPECT_EQ(host->m_OK().m_Caption(), "Begin");
  EXPECT_EQ(host->m_Lobby().f_status, "Waiting For Players...");
  EXPECT_TRUE(host->m_Chat_Edit().m_Enabled());
  EXPECT_FALSE(host->m_Game_Name_Edit().m_Enabled());
  EXPECT_FALSE(host->m_Combobox(2).m_Enabled());
  EXPECT_EQ(host->m_Lobby().f_description.stored_map_name, map_name);
  EXPECT_EQ(Game_Settings.m_Player(1).f_player_name, "Hal");

  Join_As("Ann", "Avalon");
  ASSERT_TRUE(Pump_Until([&] { return join->m_Lobby().m_Row(2).player_name == "Ann"; }));
  Tick();
  // The host's row 2 shows the joined player.
  EXPECT_TRUE(host->m_Use_Player(2).m_Is_On());
  EXPECT_EQ(host->m_Player_Edit(2).m_Text(), "Ann");
  EXPECT_EQ(host->m_Nation_Edit(2).m_Text(), "Avalon");
  EXPECT_FALSE(host->m_Player_Edit(2).m_Enabled());
  EXPECT_FALSE(host->m_Comp_Control(2).m_Is_On());
  EXPECT_EQ(host->m_Lobby().f_status, "Player Ann connected...");
  // The joined machine shows the host's game and both rows.
  EXPECT_EQ(join->m_Game_Name_Edit().m_Text(), "Evening Game");
  EXPECT_EQ(join->m_Combobox(2).m_Get_Text(), map_name);
  EXPECT_EQ(join->m_Player_Edit(1).m_Text(), "Hal");
  EXPECT_EQ(join->m_Player_Edit(2).m_Text(), "Ann");
  EXPECT_TRUE(join->m_Use_Player(2).m_Is_On());
  EXPECT_TRUE(join->m_Chat_Edit().m_Enabled());

  // Chat typed into the edit box goes out with Send and shows on both lists.
  join->m_Chat_Edit().m_Set_Text("hello");
  join->m_Button_Click("Chat Send Button");
  EXPECT_EQ(join->m_Chat_Edit().m_Text(), "");
  ASSERT_TRUE(Pump_Until([&] { return join->m_Lobby().f_chat_lines.size() == 1; }));
  host->m_Chat_Edit().m_Set_Text("welcome");
  host->m_Button_Click("Chat Send Button");
  ASSERT_TRUE(Pump_Until([&] { return join->m_Lobby().f_chat_lines.size() == 2; }));
  Tick();
  EXPECT_EQ(Chat_Rows(*host), (std::vector<std::string>{"Ann: hello", "Hal: welcome"}));
  EXPECT_EQ(Chat_Rows(*join), (std::vector<std::string>{"Ann: hello", "Hal: welcome"}));

  // "Begin" opens the free rows for computer players; "Start" creates the game.
  host->m_Button_Click(OK_Name);
  EXPECT_EQ(host->m_OK().m_Caption(), "Start");
  EXPECT_TRUE(host->m_Use_Player(3).m_Enabled());
  EXPECT_TRUE(host->m_Comp_Control(3).m_Is_On());
  EXPECT_FALSE(host->m_Nation_Edit(3).m_Text().empty());
  EXPECT_FALSE(host->m_Nation_Edit(2).m_Enabled());
  // A computer player named at the host goes into the game under that name.
  host->m_Use_Player(3).m_Set_On(true);
  host->m_Nation_Edit(3).m_Set_Text("Cogland");
  int created = 0;
  host->m_Lobby().f_on_create_game = [&] { ++created; };
  // Two nations of one name are refused before anything is created.
  host->m_Nation_Edit(3).m_Set_Text("avalon");
  host->m_Button_Click(OK_Name);
  EXPECT_EQ(created, 0);
  ASSERT_NE(host->m_Message_Dialog(), nullptr);
  EXPECT_EQ(host->m_Message_Dialog()->m_Get_Text(), "Two players cannot have the same nation name.");
  EXPECT_EQ(host->m_Lobby().f_status, "Add AI Players to the game. When done, press the Start button.");
  EXPECT_EQ(host->m_OK().m_Caption(), "Start");
  host->m_Nation_Edit(3).m_Set_Text("Cogland");
  host->m_Button_Click(OK_Name);
  EXPECT_EQ(created, 1);
  EXPECT_EQ(host->m_Lobby().f_status, "Host Creating Game...");
  EXPECT_TRUE(host->m_Lobby().m_Row(3).used);
  EXPECT_EQ(host->m_Lobby().m_Row(3).nation_name, "Cogland");
  ASSERT_TRUE(Pump_Until([&] { return join->m_Lobby().f_status == "Host Creating Game..."; }));
}

// The chat list shows the lines the lobby keeps (the newest, each whole,
// however many rows it wraps over), the newest last; the login box's names
// hold what the host takes.
TEST_F(Lobby_Dialog_Test, TheChatListShowsTheLobbysNewestLinesAndTheLoginBoxHoldsAName) {
  Host_Listens();
  TGameSetup_Lobby& lobby = host->m_Lobby();
  for (int i = 1; i <= 620; ++i) lobby.m_Send_Chat("line " + std::to_string(i));
  Tick();
  std::vector<std::string> rows = Chat_Rows(*host);
  ASSERT_EQ(rows.size(), TGameSetup_Lobby::Max_Chat_Lines);
  EXPECT_EQ(rows.front(), "Hal: line 121");
  EXPECT_EQ(rows.back(), "Hal: line 620");
  // A long line (several rows where the font wraps it): the oldest line
  // goes, and only it.
  lobby.m_Send_Chat(std::string(400, 'w'));
  Tick();
  rows = Chat_Rows(*host);
  ASSERT_GE(rows.size(), TGameSetup_Lobby::Max_Chat_Lines);
  EXPECT_EQ(rows.front(), "Hal: line 122");
  EXPECT_EQ(rows[498], "Hal: line 620");
  EXPECT_EQ(rows[499].rfind("Hal:", 0), 0u);
  // Many lines between two frames: the list takes only those still kept.
  for (int i = 1; i <= 1200; ++i) lobby.m_Send_Chat("burst " + std::to_string(i));
  Tick();
  rows = Chat_Rows(*host);
  ASSERT_EQ(rows.size(), TGameSetup_Lobby::Max_Chat_Lines);
  EXPECT_EQ(rows.front(), "Hal: burst 701");
  EXPECT_EQ(rows.back(), "Hal: burst 1200");

  join->m_IP_Edit().m_Set_Text("127.0.0.1");
  join->m_Port_Edit().m_Set_Text(port);
  join->m_Button_Click(OK_Name);
  ASSERT_TRUE(Pump_Until([&] { return join->m_Login_Dialog() != nullptr; })) << join->m_Lobby().f_status;
  EXPECT_EQ(join->m_Login_Dialog()->m_Edit(1).f_maximum_length, MP_Name_Max_Length);
  EXPECT_EQ(join->m_Login_Dialog()->m_Edit(2).f_maximum_length, MP_Name_Max_Length);
  EXPECT_EQ(host->m_Nation_Edit(2).f_maximum_length, MP_Name_Max_Length);
}

TEST_F(Lobby_Dialog_Test, CancelFreesTheNetworkAndClosesWithResultTwo) {
  Host_Listens();
  host->m_Button_Click(Cancel_Name);
  EXPECT_EQ(host->m_Result(), TGame_Setup_Result::Cancelled);
  EXPECT_EQ(host_net.server, nullptr);
  std::uint16_t esc = VK_ESCAPE;
  EXPECT_TRUE(join->m_On_Key_Down(esc, 0));
  EXPECT_EQ(join->m_Result(), TGame_Setup_Result::Cancelled);
  EXPECT_EQ(join_net.client, nullptr);
}

// The host's lobby with one joined player and a line of chat, drawn in a
// real window: the background, the labels, the rows and the chat list.
class Lobby_Window_Test : public Lobby_Dialog_Test {
protected:
  bool Windowed() const override { return true; }
};

TEST_F(Lobby_Window_Test, TheHostsLobbyWithOneJoinedPlayer) {
  Host_Listens();
  Join_As("Ann", "Avalon");
  join->m_Chat_Edit().m_Set_Text("hello from Avalon");
  join->m_Button_Click("Chat Send Button");
  ASSERT_TRUE(Pump_Until([&] { return host->m_Lobby().f_chat_lines.size() == 1; }));
  Tick();
  f_device->BeginScene();
  G_Main_Clear(0xFF000000u);
  host->m_Render(0.0);
  f_device->EndScene();
  const TWindow_Frame frame = Screen_Window_Read_Frame(f_device.get(), "Lobby_Host");
  ASSERT_EQ(frame.width, 1024u);
  ASSERT_EQ(frame.height, 768u);
  // The dialog covers the window: hardly a pixel is left black.
  EXPECT_LT(std::int64_t(1024) * 768 - frame.Lit(0, 0, 1024, 768), std::int64_t(1024) * 768 / 20);
}

// The joining lobby while the host's name is looked up: the status says it
// is connecting and the window keeps being drawn; Cancel stops the attempt.
TEST_F(Lobby_Window_Test, TheJoiningLobbyWhileTheHostsNameIsLookedUp) {
  struct TGate {
    std::mutex lock;
    std::condition_variable opened;
    bool open = false;
  };
  auto gate = std::make_shared<TGate>();
  WSocket_Name_Resolver = [gate](const std::string&, std::uint32_t&) {
    std::unique_lock<std::mutex> g(gate->lock);
    gate->opened.wait(g, [&] { return gate->open; });
    return false;
  };
  struct TRelease {
    std::shared_ptr<TGate> gate;
    ~TRelease() {
      {
        std::lock_guard<std::mutex> g(gate->lock);
        gate->open = true;
      }
      gate->opened.notify_all();
      WSocket_Name_Resolver = nullptr;
    }
  } release{gate};
  join->m_IP_Edit().m_Set_Text("game-host.example");
  join->m_Port_Edit().m_Set_Text("28599");
  join->m_Button_Click(OK_Name);
  for (int frame = 0; frame < 5; ++frame) {
    Net_Process_Messages(5);
    Tick();
  }
  EXPECT_TRUE(join->m_Lobby().m_Connecting());
  EXPECT_EQ(join->m_Lobby().f_status, "Connecting To Host...");
  f_device->BeginScene();
  G_Main_Clear(0xFF000000u);
  join->m_Render(0.0);
  f_device->EndScene();
  const TWindow_Frame frame = Screen_Window_Read_Frame(f_device.get(), "Lobby_Join_Connecting");
  ASSERT_EQ(frame.width, 1024u);
  join->m_Button_Click(Cancel_Name);
  EXPECT_FALSE(join->m_Lobby().m_Connecting());
  EXPECT_EQ(join->m_Lobby().f_status, "Connection cancelled.");
  EXPECT_EQ(join->m_Result(), TGame_Setup_Result::Open);
}
