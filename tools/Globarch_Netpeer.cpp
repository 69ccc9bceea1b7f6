// globarch-netpeer: a network game between processes on loopback, without
// windows. One process per machine plays through the game setup lobby and
// then plays its own nation: orders through the relay, battles on the
// machine that runs them, end of turn. A driver starts a host and two
// joining machines, carries every line between them through a proxy that
// cuts the byte stream at random places, and checks that the machines hold
// the same game.
//
//   globarch-netpeer e2e [--case C] [--dates D] [--seed S]   one check (exit 0 when it passes)
//   globarch-netpeer host --out DIR --dates D --seed S [--battle] [--battle-with P] [--lost P]
//   globarch-netpeer join --out DIR --port P --player NAME --nation NAME [--leave]
//                         [--attack-computer] [--hold-after-moves N]
//
// A peer writes CurrentMap.map and Empires.dat into its out folder when the
// game reaches its first date plus D at player 1's turn, then says so in the
// chat. The host waits for the word of every joined machine still playing.
// In the case "leave" the machine with --leave then goes and the host plays
// on until the computer has played the lost nation's turn. In the other
// cases (see Cases) one joined player is lost at a chosen moment: killed in
// his turn, cut at his end of turn, during the file transfer or in a battle;
// the game must reach its last date on the machines still playing, with
// the same files. Peers print "PEER <what>" lines the driver reads. With
// --battle the host's player attacks a joined player until one battle
// between them has been fought; the driver passes it and requires that
// battle to end alike on the two players' machines.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "Combat.h"
#include "Combat_Program_Links.h"
#include "Multiplayer_Lobby.h"
#include "Datafile_Units.h"
#include "Debug_Log.h"
#include "Empire.h"
#include "GameInit.h"
#include "GameSettings.h"
#include "Game_Command_Post.h"
#include "Game_Session.h"
#include "Global.h"
#include "Io.h"
#include "MapClass.h"
#include "MasterActionTimer.h"
#include "Multiplayer_ActionQueue.h"
#include "Multiplayer_Client.h"
#include "Multiplayer_GameActions.h"
#include "Multiplayer_Server.h"
#include "NetSocketServer.h"
#include "NetWndControl.h"
#include "Native_Path.h"
#include "Path.h"
#include "SteppedTask.h"
#include "World_Unit_Facts.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void Say(const std::string& text) {
  std::printf("PEER %s\n", text.c_str());
  std::fflush(stdout);
}

[[noreturn]] void Fail(const std::string& text) {
  Say("FAIL " + text);
  std::_Exit(3);
}

// --- One machine -------------------------------------------------------------

struct TPeer_Net : TLobby_Network {
  std::unique_ptr<TMultiplayer_Server> server;
  std::unique_ptr<TMultiplayer_Client> client;
  TMultiplayer_Server* m_Server() override { return server.get(); }
  TMultiplayer_Client* m_Client() override { return client.get(); }
  void m_Start_Server() override { server = std::make_unique<TMultiplayer_Server>(); }
  void m_Start_Client() override { client = std::make_unique<TMultiplayer_Client>(); }
  void m_Free() override {
    server.reset();
    client.reset();
  }
  void m_Game_Event(MP_Event_Code code, std::int32_t id, const std::string& text) override {
    Multiplayer_Event(code, id, text);
  }
};

TPeer_Net Net;
std::vector<std::string> Chat_Lines;
bool Host_Gone = false;
// Player whose turn start this machine has been told of (joined machines).
std::int32_t Turn_Started_Player = 0, Turn_Started_Date = -1;
// The last start of player 1's turn the host announced (after its save).
std::int32_t Announced_Start_Date = -1;

// The battle's begin and end dialogs have no window here. The peer closes
// each as a player would at once: in a battle between two players it sends
// its close and waits for the other player's before the battle goes on.
struct TBattle_Dialog {
  bool open = false, closed_here = false, released = false;
};
TBattle_Dialog Begin_Dialog, End_Dialog;

// A dialog opens released when the other player's close came first.
void Open(TBattle_Dialog& d, bool end) {
  d = TBattle_Dialog{true};
  d.released = Combat_Take_Early_Close(end);
}

void Release(TBattle_Dialog& d, bool end) {
  if (d.open)
    d.released = true;
  else
    Combat_Keep_Early_Close(end);
}

bool Human(std::uint8_t player) {
  const TEmpire* e = G_Empire_List ? G_Empire_List->m_Get_Empire(player) : nullptr;
  return e && !e->m_Get_Computer_Controlled();
}

struct TPeer_Combat_Links : TCombat_Program_Links {
  // Nothing draws here, so no attack waits for an effect to be shown.
  bool m_Start_Effect(std::int32_t, const TVector&, const TVector&, std::int32_t) override { return false; }
  void m_Open_Begin_Dialog() override { Open(Begin_Dialog, false); }
  // The end of a battle shown on this machine, the one that runs it or the
  // one that mirrors it; "BATTLE OVER" names both sides, whether both are
  // human players, and the winner.
  void m_Open_End_Dialog() override {
    Open(End_Dialog, true);
    Say(std::string("BATTLE OVER region ") + std::to_string(G_Combat.region) + " attacker " +
        std::to_string(G_Combat.attacker) + " defender " + std::to_string(G_Combat.defender) + " winner " +
        std::to_string(G_Combat.winner) + (G_Combat.complete_here ? " here" : " mirrored") +
        (Human(G_Combat.attacker) && Human(G_Combat.defender) ? " humans" : " computer"));
  }
};
TPeer_Combat_Links Combat_Peer_Links;

bool Other_Battle_Player_Gone() {
  const std::uint8_t local = Game_Settings.f_local_empire;
  const std::uint8_t other = local == G_Combat.attacker ? G_Combat.defender : G_Combat.attacker;
  const TEmpire* e = G_Empire_List ? G_Empire_List->m_Get_Empire(other) : nullptr;
  return !e || e->m_Get_Computer_Controlled();
}

// Closes an open battle dialog; true while one is open.
bool Close_Battle_Dialogs() {
  for (bool end : {false, true}) {
    TBattle_Dialog& d = end ? End_Dialog : Begin_Dialog;
    if (!d.open) continue;
    if (!d.closed_here) {
      d.closed_here = true;
      const bool sent = end ? Game_Command_Post_Battle_Step(TCommand_Battle_End_Closed{})
                             : Game_Command_Post_Battle_Step(TCommand_Battle_Begin_Closed{});
      if (sent && !Other_Battle_Player_Gone()) return true;
      d.released = true;
    }
    if (!d.released && !Other_Battle_Player_Gone()) return true;
    d = TBattle_Dialog{};
    if (end)
      Combat_Links().m_Completed();
    else
      Combat_Links().m_Next_Piece();
    return true;
  }
  return false;
}

struct TPeer_Links : TMP_Game_Links {
  // The other player's begin dialog of a mirrored battle, and the other
  // player's close of either dialog.
  void m_Open_Dialog(const std::string& name) override {
    if (name == "Dlg Combat Begin") Open(Begin_Dialog, false);
  }
  void m_Release_Combat_Begin() override { Release(Begin_Dialog, false); }
  void m_Release_Combat_End() override { Release(End_Dialog, true); }
  TMultiplayer_Server* m_Server() override { return Net.server.get(); }
  TMultiplayer_Client* m_Client() override { return Net.client.get(); }
  void m_Show_Chat_Line(const std::string& text) override {
    Chat_Lines.push_back(text);
    if (text.find("disconnected") != std::string::npos) Say("CHAT " + text);
  }
  void m_Show_Message(const std::string& text) override {
    Say("MESSAGE " + text);
    if (text.find("isconnect") != std::string::npos || text.find("lost") != std::string::npos) Host_Gone = true;
  }
  // The host's report of a player's updates ends the change of turn: the
  // player's turn has begun.
  void m_Execute_Player_Update(std::uint8_t player, std::int32_t step) override {
    TMP_Game_Links::m_Execute_Player_Update(player, step);
    if (step == 10) {
      Turn_Started_Player = player;
      Turn_Started_Date = Game_Settings.f_game_date;
    }
  }
  void m_Start_Player_Turn(std::uint8_t player) override {
    TMP_Game_Links::m_Start_Player_Turn(player);
    if (player == 1) Announced_Start_Date = Game_Settings.f_game_date;
    Turn_Started_Player = player;
    Turn_Started_Date = Game_Settings.f_game_date;
  }
};
TPeer_Links Links;

void Frame() {
  Net_Process_Messages(2);
  if (MP_Action_Queue) MP_Action_Queue->m_Process_Queue(0.05f);
  Game_Session_Frame(0.05f);
}

bool Idle() {
  return Master_Action_Timer && Master_Action_Timer->m_Record_Count() == 0 && MP_Action_Queue &&
         MP_Action_Queue->m_Count() == 0 && !Combat_Is_Active() && !Stepped_Task_Running;
}

template <class F>
void Frames_Until(F done, int seconds, const std::string& what) {
  const auto end = Clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (Clock::now() > end) Fail("timed out waiting for " + what);
    Frame();
  }
}

// The machine's local nation moves: one land stack of its own into a
// neighbouring land region it owns, or (with --battle, from the second date
// on until one has been fought) an attack on a neighbouring land region of
// another human player. Orders go through the relay as the main screen
// sends them.
struct TMove_Choice {
  std::int32_t from = 0, to = 0;
  std::uint16_t type = 0;
  std::vector<std::int32_t> ids;
};

bool Land_Mover(std::uint16_t type) {
  const TUnit_Type* t = World_Unit_Type(type);
  return t && t->f_movement_type == UNIT_MOVEMENT_LAND && t->f_movement_amount > 0;
}

// An attack goes only into a region whose owner `target` accepts.
TMove_Choice Choose_Move(std::uint8_t me, bool attack, const std::function<bool(std::uint8_t)>& accept = {}) {
  TMove_Choice best;
  for (std::int32_t r = 1; r <= G_Map->m_Get_Region_Count(); ++r) {
    TMap_Region* from = G_Map->m_Get_Region(r);
    if (!from || from->m_Get_Owner() != me || from->m_Get_Type() != REGION_LAND || G_Map->m_Is_Combat_Region(r))
      continue;
    std::map<std::uint16_t, std::vector<std::int32_t>> stacks;
    for (std::int32_t i = 1; i <= from->m_Get_Unit_Count(); ++i) {
      TMap_Unit_Record u;
      G_Map->m_Get_Unit(from->m_Get_Unit_Id(i), u);
      if (u.id != 0 && u.owner == me && u.moves > 0 && Land_Mover(u.unit_type)) stacks[u.unit_type].push_back(u.id);
    }
    if (stacks.empty()) continue;
    for (std::int32_t c = 1; c <= from->m_Get_Connection_Count(); ++c) {
      const std::int32_t to = from->m_Get_Connection(c);
      TMap_Region* target = G_Map->m_Get_Region(to);
      if (!target || target->m_Get_Type() != REGION_LAND || G_Map->m_Is_Combat_Region(to)) continue;
      const bool enemy = target->m_Get_Owner() != me && target->m_Get_Owner() != 0;
      if (enemy != attack || (attack && !(accept ? accept(target->m_Get_Owner()) : Human(target->m_Get_Owner()))))
        continue;
      // The largest stack goes.
      for (auto& [type, ids] : stacks)
        if (best.ids.empty() || ids.size() > best.ids.size()) best = TMove_Choice{r, to, type, ids};
    }
  }
  return best;
}

// Whether the move's units stand in its target region here.
bool Move_Carried_Out(const TMove_Choice& m) {
  if (m.ids.empty()) return true;
  TMap_Unit_Record u;
  G_Map->m_Get_Unit(m.ids.front(), u);
  return u.id == 0 || u.region == m.to;
}

void Send_Move(std::uint8_t me, const TMove_Choice& m) {
  Game_Command_Post(TCommand_Move{m.from, {m.to}, m.type, me, m.ids});
}

void Save_Game_Files(const std::string& out) {
  fs::create_directories(out);
  const std::string dir = Design_Path(out + "/");
  if (!G_Map->m_Save_To_File(dir + "CurrentMap.map", false, Map_File_Version) ||
      !G_Empire_List->m_Save_To_File(dir + "Empires.dat"))
    Fail("the game could not be written to " + out);
  // The regions and units as text, to find where two machines differ.
  std::ofstream text(fs::path(out) / "Summary.txt");
  for (std::int32_t r = 1; r <= G_Map->m_Get_Region_Count(); ++r) {
    const TMap_Region* region = G_Map->m_Get_Region(r);
    if (!region) continue;
    text << "region " << r << " owner " << int(region->m_Get_Owner()) << (G_Map->m_Is_Combat_Region(r) ? " combat" : "")
         << " units";
    for (std::int32_t i = 1; i <= region->m_Get_Unit_Count(); ++i) text << ' ' << region->m_Get_Unit_Id(i);
    text << '\n';
  }
  for (std::int32_t n = 1; n <= G_Empire_List->m_Get_Count(); ++n) {
    const TEmpire* e = G_Empire_List->m_Get_Empire(n);
    if (!e) continue;
    text << "empire " << n << " treasury " << e->m_Get_Treasury() << " knows";
    for (std::int32_t r = 1; r <= G_Map->m_Get_Region_Count(); ++r)
      if (e->m_Is_Region_Known(r)) text << ' ' << r;
    text << '\n';
  }
  for (std::int32_t id = 1; id <= G_Map->m_Get_Unit_Count(); ++id) {
    TMap_Unit_Record u;
    G_Map->m_Get_Unit(id, u);
    if (u.id == 0) continue;
    text << "unit " << u.id << " region " << u.region << " type " << u.unit_type << " owner " << int(u.owner)
         << " moves " << int(u.moves) << " cargo " << u.cargo_list << " damage " << u.damage << '\n';
  }
}

// Plays this machine's turns until `until` holds.
struct TPlayer {
  std::uint8_t me = 1;
  bool host = false;
  std::int32_t first_date = 0;
  std::int32_t acted_date = -1, acted_player = 0;
  std::int32_t moves = 0, attacks = 0, battles = 0, turns = 0, human_battles = 0;
  std::int32_t battle_region = 0;
  // While it holds, this machine gives no orders (the caller checks first).
  std::function<bool()> hold;
  // Whether this machine attacks another human player (battle_with when
  // set) until one battle between the two has been fought.
  bool battle = false;
  std::uint8_t battle_with = 0;
  // Whether this machine attacks a computer player's region once, from the
  // second date on.
  bool attack_computer = false;
  // After this many moves (0: never) this machine gives no more orders once
  // its last move has come back through the host and been carried out here,
  // and says "HOLDING": a player who stopped in the middle of his turn.
  std::int32_t hold_after_moves = 0;
  bool holding = false;
  TMove_Choice last_move;
  bool in_battle = false;
  std::int32_t pieces = 0;

  bool My_Turn_Started() const {
    if (Game_Settings.f_turn_empire != me) return false;
    if (host) return true;
    return Turn_Started_Player == me && Turn_Started_Date == Game_Settings.f_game_date;
  }

  std::int32_t seen_date = -1, seen_turn = -1;
  Clock::time_point next_report{}, next_state = Clock::now() + std::chrono::seconds(5);

  // One frame of play.
  void Step() {
    Frame();
    if (Game_Settings.f_game_date != seen_date || Game_Settings.f_turn_empire != seen_turn) {
      seen_date = Game_Settings.f_game_date;
      seen_turn = Game_Settings.f_turn_empire;
      Say("NOW date " + std::to_string(seen_date) + " turn " + std::to_string(seen_turn));
    }
    if (Clock::now() > next_state) {
      next_state = Clock::now() + std::chrono::seconds(5);
      std::string kinds;
      for (std::int32_t i = 1; i <= Master_Action_Timer->m_Record_Count(); ++i)
        kinds += " " + std::to_string(Master_Action_Timer->m_Get_Record(i).kind) + "/" +
                 std::to_string(Master_Action_Timer->m_Get_Record(i).step);
      std::string queued;
      for (std::int32_t i = 1; i <= MP_Action_Queue->m_Count(); ++i)
        queued += " " + std::to_string(MP_Action_Queue->m_Get(i).code);
      std::string players;
      for (std::int32_t n = 1; n <= (G_Empire_List ? G_Empire_List->m_Get_Count() : 0); ++n) {
        const TEmpire* e = G_Empire_List->m_Get_Empire(n);
        players += " " + std::to_string(n) + ":" +
                   (n <= Game_Settings_Player_Slots ? std::to_string(Game_Settings.m_Player(n).f_connected) : "-") +
                   (e && e->m_Get_Computer_Controlled() ? "c" : "h");
      }
      Say("STATE players" + players + " date " + std::to_string(Game_Settings.f_game_date) + " turn " +
          std::to_string(Game_Settings.f_turn_empire) + " records" + kinds + " queue" + queued + " awaited " +
          std::to_string(MP_Action_Queue->m_Awaited_Id()) + " started " + std::to_string(Turn_Started_Player) +
          " task " + std::to_string(Stepped_Task_Running));
    }
    if (Combat_Is_Active() && Clock::now() > next_report) {
      next_report = Clock::now() + std::chrono::seconds(2);
      Say("COMBAT region " + std::to_string(G_Combat.region) + " winner " + std::to_string(G_Combat.winner) +
          " dialogs " + std::to_string(Begin_Dialog.open) + std::to_string(Begin_Dialog.released) +
          std::to_string(End_Dialog.open) + std::to_string(End_Dialog.released) + " owner " +
          std::to_string(G_Combat.current_owner) +
          " piece " + std::to_string(G_Combat.current_piece) + " records " +
          std::to_string(Master_Action_Timer->m_Record_Count()) + " queue " + std::to_string(MP_Action_Queue->m_Count()));
    }
    // A battle with pieces here (run or mirrored) has begun.
    const bool fighting = Combat_Is_Active() && G_Combat.attacker != 0;
    if (fighting && !in_battle) Say("IN BATTLE region " + std::to_string(G_Combat.region));
    in_battle = fighting;
    if (Close_Battle_Dialogs()) return;
    // The local human's battle pieces: played as the computer would.
    if (Combat_Is_Active() && G_Combat.current_owner == me && G_Combat.current_piece != 0 &&
        !Master_Action_Timer->m_Has_Action_Type(ACTION_COMBAT_MOVE) &&
        !Master_Action_Timer->m_Has_Action_Type(ACTION_COMBAT_ATTACK) &&
        !Master_Action_Timer->m_Has_Action_Type(ACTION_COMBAT_NEXT_PIECE) && !G_Combat.auto_resolve) {
      Say("PIECE " + std::to_string(++pieces) + " in region " + std::to_string(G_Combat.region));
      Combat_Execute_AI_Move();
      return;
    }
    if (hold_after_moves > 0 && moves >= hold_after_moves) {
      if (!holding && Idle() && Move_Carried_Out(last_move)) {
        holding = true;
        Say("HOLDING after " + std::to_string(moves) + " moves at date " + std::to_string(Game_Settings.f_game_date));
      }
      return;
    }
    if (!Idle() || !My_Turn_Started() || (hold && hold())) return;
    if (acted_date == Game_Settings.f_game_date && acted_player == me) return;
    // A battle this machine has to start.
    if (battle_region != 0) {
      if (G_Map->m_Is_Combat_Region(battle_region)) {
        ++battles;
        const TMap_Region* at = G_Map->m_Get_Region(battle_region);
        const bool humans = at && Human(at->m_Get_Owner());
        if (humans) ++human_battles;
        Say("BATTLE region " + std::to_string(battle_region) + (humans ? " against a player" : ""));
        const std::int32_t region = battle_region;
        battle_region = 0;
        Combat_Begin(region, false, false);
        return;
      }
      battle_region = 0;
    }
    if (moves == turns) {
      ++moves;
      const bool attack = Game_Settings.f_game_date > first_date &&
                          ((battle && human_battles == 0) || (attack_computer && battles == 0));
      TMove_Choice m = Choose_Move(me, attack, [&](std::uint8_t owner) {
        if (attack_computer) return owner != 0 && !Human(owner);
        return Human(owner) && (battle_with == 0 || owner == battle_with);
      });
      if (attack && !m.ids.empty()) {
        ++attacks;
        battle_region = m.to;
        Say("ATTACK " + std::to_string(m.from) + " -> " + std::to_string(m.to));
      }
      if (m.ids.empty() && attack) m = Choose_Move(me, false);
      if (!m.ids.empty()) {
        Say("MOVE " + std::to_string(m.ids.size()) + " units " + std::to_string(m.from) + " -> " +
            std::to_string(m.to));
        Send_Move(me, m);
        last_move = m;
        return;
      }
    }
    ++turns;
    Say("END TURN " + std::to_string(me) + " at date " + std::to_string(Game_Settings.f_game_date));
    acted_date = Game_Settings.f_game_date;
    acted_player = me;
    Game_Command_Post(TCommand_End_Turn{me});
  }
};

std::string Arg(int argc, char** argv, const std::string& name, const std::string& fallback = "") {
  for (int i = 1; i + 1 < argc; ++i)
    if (argv[i] == name) return argv[i + 1];
  return fallback;
}

bool Flag(int argc, char** argv, const std::string& name) {
  for (int i = 1; i < argc; ++i)
    if (argv[i] == name) return true;
  return false;
}

void Debug_From_Environment() {
  if (std::getenv("GLOBARCH_NETPEER_LOG")) {
    Debug_Enabled = true;
    Debug_Sections[DEBUG_MULTIPLAYER] = true;
  }
}

void Start_Globals() {
  Game_Init_Start();
  if (std::getenv("GLOBARCH_NETPEER_LOG")) {
    Debug_Enabled = true;
    Debug_Sections[DEBUG_MULTIPLAYER] = true;
  }
  // The main window makes the world map; here it is made at once.
  if (!G_Map) G_Map = new TMap();
  Set_MP_Game_Links(&Links);
  Set_Combat_Links(&Combat_Peer_Links);
  MP_Action_Queue = new TMultiplayer_Action_Queue();
}

int Run_Host(int argc, char** argv) {
  const std::string out = Arg(argc, argv, "--out");
  const std::int32_t dates = std::atoi(Arg(argc, argv, "--dates", "5").c_str());
  const std::uint32_t seed = std::uint32_t(std::strtoul(Arg(argc, argv, "--seed", "7").c_str(), nullptr, 10));
  Start_Globals();
  TGameSetup_Lobby lobby(3, false, &Net);
  lobby.f_wan_address = [] { return std::string("127.0.0.1"); };
  bool closed = false;
  lobby.f_on_close = [&] { closed = true; };
  lobby.f_on_create_game = [&] {
    const auto slots = Game_Settings.f_players;
    const auto count = Game_Settings.f_player_count;
    TGame_Session_Setup setup;
    setup.seed = seed;
    setup.map_type = "Tiny";
    // One nation per row in use; the computer rows are computer players.
    setup.computer.clear();
    for (std::int32_t n = 1; n <= 8; ++n)
      if (lobby.m_Row(n).used) setup.computer.push_back(lobby.m_Row(n).computer);
    setup.neutral_empire = true;
    setup.game_kind = TGame_Kind::Host;
    setup.fog_of_war = false;
    if (!Game_Session_New_Game(setup)) Fail("the new game could not be made");
    Game_Settings.f_players = slots;
    Game_Settings.f_player_count = count;
    Game_Settings.f_game_kind = 3;
    Game_Settings.m_Set_Local_Empire(1);
    Say("CREATED regions " + std::to_string(G_Map->m_Get_Region_Count()));
    lobby.m_Send_Game_Files();
  };
  lobby.m_On_Timer(0.3f);
  lobby.f_port = "0";
  lobby.f_description.game_name = "Loopback Game";
  lobby.f_description.stored_map_name = "Loopback";
  lobby.m_Row(1).nation_name = "Hostland";
  lobby.m_Row(1).player_name = "Hal";
  lobby.m_OK();
  Frames_Until([&] { return lobby.f_listening; }, 10, "listening");
  Say("PORT " + Net.server->Socket()->GetLocalPort());
  Frames_Until([&] { return Game_Settings.f_player_count == 3; }, 60, "two players");
  Say("JOINED " + Game_Settings.m_Player(2).f_player_name + " " + Game_Settings.m_Player(3).f_player_name);
  lobby.m_OK();  // Begin: the free rows open for computer players
  // A computer player from the lobby plays the fourth nation.
  lobby.m_Row(4).used = true;
  if (!lobby.m_Row(4).computer) Fail("the lobby's fourth row is no computer row");
  lobby.m_OK();  // Start: creates the game and sends it
  Frames_Until([&] { return closed; }, 120, "every machine ready");
  Say("STARTED");

  TPlayer play;
  play.me = 1;
  play.host = true;
  play.battle = Flag(argc, argv, "--battle");
  play.battle_with = std::uint8_t(std::atoi(Arg(argc, argv, "--battle-with", "0").c_str()));
  // A joined player lost while the game is played: the game goes on to its
  // last date without him.
  const std::int32_t lost = std::atoi(Arg(argc, argv, "--lost", "0").c_str());
  play.first_date = Game_Settings.f_game_date;
  const std::int32_t target = play.first_date + dates;
  const auto end = Clock::now() + std::chrono::seconds(240);
  auto reached = [&] { return Game_Settings.f_game_date >= target && Game_Settings.f_turn_empire == 1 && Idle(); };
  play.hold = reached;
  bool lost_seen = false;
  auto watch_lost = [&] {
    if (lost != 0 && !lost_seen && Game_Settings.m_Player(lost).f_connected == 0) {
      lost_seen = true;
      const TEmpire* e = G_Empire_List->m_Get_Empire(lost);
      Say("LOST " + std::to_string(lost) + " at date " + std::to_string(Game_Settings.f_game_date) + " turn " +
          std::to_string(Game_Settings.f_turn_empire) + (e && e->m_Get_Computer_Controlled() ? " computer" : " human"));
    }
  };
  watch_lost();
  while (!reached()) {
    if (Clock::now() > end) Fail("the game did not reach its last date");
    play.Step();
    watch_lost();
  }
  Save_Game_Files(out);
  Say("SAVED date " + std::to_string(Game_Settings.f_game_date) + " moves " + std::to_string(play.moves) +
      " battles " + std::to_string(play.battles));
  // Every joined machine still in the game writes its files too.
  auto present = [] {
    int n = 0;
    for (std::int32_t p = 2; p <= Game_Settings.f_player_count; ++p) n += Game_Settings.m_Player(p).f_connected != 0;
    return n;
  };
  Frames_Until(
      [&] {
        return std::count_if(Chat_Lines.begin(), Chat_Lines.end(),
                             [](const std::string& l) { return l.find("saved") != std::string::npos; }) >= present();
      },
      60, "the joined machines' files");
  if (lost != 0) {
    if (!lost_seen) Fail("player " + std::to_string(lost) + " was not lost");
    const auto linger = Clock::now() + std::chrono::milliseconds(500);
    while (Clock::now() < linger) Frame();
    Net.m_Free();
    return 0;
  }
  // One joined machine leaves; the computer takes its nation over.
  Frames_Until([&] { return Game_Settings.m_Player(3).f_connected == 0; }, 30, "the leaving machine");
  if (!G_Empire_List->m_Get_Empire(3)->m_Get_Computer_Controlled()) Fail("the lost nation is not played by the computer");
  Say("LOST 3");
  play.hold = nullptr;
  // The game goes on: the players play their turns and the computer takes
  // the lost nation's turn.
  // The lost nation's turn is played to its end, battles included.
  bool computer_turn = false;
  std::int32_t computer_battles = 0, seen_region = 0;
  while (!computer_turn || Game_Settings.f_turn_empire == 3) {
    if (Clock::now() > end + std::chrono::seconds(120)) Fail("the game did not go on after the loss");
    play.Step();
    if (Game_Settings.f_turn_empire == 3) computer_turn = true;
    if (computer_turn && Combat_Is_Active() && G_Combat.region != seen_region) {
      seen_region = G_Combat.region;
      ++computer_battles;
    }
    if (!Combat_Is_Active()) seen_region = 0;
  }
  Say("WENT ON date " + std::to_string(Game_Settings.f_game_date) + " computer battles " +
      std::to_string(computer_battles));
  // At the start of the next turn of a human player still in the game (the
  // host's own, which it holds, or else Ann's, which her machine holds until
  // it has written its files) every remaining machine holds the same game:
  // the computer's orders, purchases and battles of the lost nation and of
  // the lobby's computer nation were replayed there. (The computer nation
  // can take the last region of either player.)
  const std::int32_t went_on_date = Game_Settings.f_game_date;
  Send_Chat_To_All("", "final files");
  play.hold = [&] { return Game_Settings.f_game_date > went_on_date && Game_Settings.f_turn_empire == 1; };
  // The turn of the host's own player comes round even when the computer
  // took its last region (Ann's machine then writes its files there too), so
  // it is that point whether the player is still alive or not; an ended
  // player whose turn is passed over leaves the point to Ann's turn.
  while (!(Game_Settings.f_game_date > went_on_date && Idle() &&
           (Game_Settings.f_turn_empire == 1 || Game_Settings.f_turn_empire == 2))) {
    if (Clock::now() > end + std::chrono::seconds(180)) Fail("no human player's turn came");
    play.Step();
  }
  Save_Game_Files(out + "/final");
  Say("FINAL date " + std::to_string(Game_Settings.f_game_date));
  Frames_Until(
      [&] {
        return std::any_of(Chat_Lines.begin(), Chat_Lines.end(),
                           [](const std::string& l) { return l.find("final saved") != std::string::npos; });
      },
      60, "the remaining machine's final files");
  // Give the remaining machine the last lines, then close.
  const auto linger = Clock::now() + std::chrono::milliseconds(500);
  while (Clock::now() < linger) Frame();
  Net.m_Free();
  return 0;
}

int Run_Join(int argc, char** argv) {
  const std::string out = Arg(argc, argv, "--out");
  const std::string port = Arg(argc, argv, "--port");
  const std::string player = Arg(argc, argv, "--player");
  const std::string nation = Arg(argc, argv, "--nation");
  const std::int32_t dates = std::atoi(Arg(argc, argv, "--dates", "5").c_str());
  const bool leave = Flag(argc, argv, "--leave");
  Start_Globals();
  // The stored map the game is played on (its pictures are not needed here).
  Directory_Create_All(Path_Settings->m_Get_Maps_Dir() + "Loopback\\");
  std::ofstream(Native_Path(Path_Settings->m_Get_Maps_Dir() + "Loopback\\Map.txt")) << "loopback\n";
  TGameSetup_Lobby lobby(4, false, &Net);
  bool closed = false;
  lobby.f_on_close = [&] { closed = true; };
  lobby.f_on_error = [](const std::string& t) { Fail(t); };
  lobby.f_on_open_login = [&](bool) { lobby.m_Login_Closed(true, player, nation, "pw"); };
  lobby.m_On_Timer(0.3f);
  lobby.f_ip_address = "127.0.0.1";
  lobby.f_port = port;
  lobby.m_OK();
  Frames_Until([&] { return lobby.f_player != 0; }, 30, "the login");
  Say("PLAYER " + std::to_string(lobby.f_player));
  std::string shown;
  Frames_Until(
      [&] {
        if (lobby.f_status != shown && lobby.f_status.find("bytes of") == std::string::npos &&
            lobby.f_status.find("Loading Local Game...") == std::string::npos) {
          shown = lobby.f_status;
          Say("STATUS " + shown +
              (lobby.f_load_failed_step ? " (step " + std::to_string(lobby.f_load_failed_step) + ")" : ""));
        }
        return closed;
      },
      120, "the start");
  Say("STARTED " + lobby.f_status);
  Debug_From_Environment();

  TPlayer play;
  play.me = std::uint8_t(lobby.f_player);
  play.attack_computer = Flag(argc, argv, "--attack-computer");
  play.hold_after_moves = std::atoi(Arg(argc, argv, "--hold-after-moves", "0").c_str());
  play.first_date = Game_Settings.f_game_date;
  const std::int32_t target = play.first_date + dates;
  auto end = Clock::now() + std::chrono::seconds(240);
  auto reached = [&] {
    return Game_Settings.f_game_date >= target && Game_Settings.f_turn_empire == 1 && Idle() &&
           Announced_Start_Date == Game_Settings.f_game_date;
  };
  play.hold = reached;
  while (!reached()) {
    if (Clock::now() > end) Fail("the game did not reach its last date");
    if (Host_Gone) Fail("the host was lost");
    play.Step();
  }
  Save_Game_Files(out);
  Say("SAVED date " + std::to_string(Game_Settings.f_game_date) + " moves " + std::to_string(play.moves) +
      " battles " + std::to_string(play.battles));
  Net.client->m_Send(MP_Encode_Byte(LAN_MSG_TO_SERVER_CHAT) + MP_Encode_String(player) +
                     MP_Encode_String("saved"));
  if (leave) {
    const auto linger = Clock::now() + std::chrono::milliseconds(300);
    while (Clock::now() < linger) Frame();
    Say("LEAVING");
    Net.m_Free();
    return 0;
  }
  // Plays on until the host closes the game; when the host has written its
  // final files, this machine writes its own at the same point of the game.
  bool final_saved = false;
  auto asked = [] {
    return std::any_of(Chat_Lines.begin(), Chat_Lines.end(),
                       [](const std::string& l) { return l.find("final files") != std::string::npos; });
  };
  // Once asked, this machine's next turn waits until its files are written.
  play.hold = [&] { return asked() && !final_saved; };
  end = Clock::now() + std::chrono::seconds(420);
  while (Net.client && Net.client->m_Is_Connected()) {
    if (Clock::now() > end) Fail("the host did not close");
    play.Step();
    const bool host_turn_start = Game_Settings.f_turn_empire == 1 && Announced_Start_Date == Game_Settings.f_game_date;
    if (!final_saved && asked() && (play.My_Turn_Started() || host_turn_start) && Idle()) {
      final_saved = true;
      Save_Game_Files(out + "/final");
      Say("FINAL date " + std::to_string(Game_Settings.f_game_date));
      Net.client->m_Send(MP_Encode_Byte(LAN_MSG_TO_SERVER_CHAT) + MP_Encode_String(player) +
                         MP_Encode_String("final saved"));
    }
  }
  const TEmpire* lost = G_Empire_List->m_Get_Empire(3);
  Say(std::string("END date ") + std::to_string(Game_Settings.f_game_date) + " nation 3 " +
      (lost && lost->m_Get_Computer_Controlled() ? "computer" : "human"));
  Net.m_Free();
  return 0;
}

// --- Driver ------------------------------------------------------------------

struct TChild {
  std::string name;
  pid_t pid = -1;
  int out = -1;  // its stdout
  std::string buffer;
  std::vector<std::string> lines;
  int status = -1;
};

TChild Spawn(const std::string& name, const std::vector<std::string>& args, const std::string& user_dir) {
  int fds[2];
  if (pipe(fds) != 0) Fail("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  std::vector<std::string> env_text;
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "GLOBARCH_USER_DIR=", 18) != 0) env_text.emplace_back(*e);
  env_text.push_back("GLOBARCH_USER_DIR=" + user_dir);
  std::vector<char*> env;
  for (auto& s : env_text) env.push_back(s.data());
  env.push_back(nullptr);
  std::vector<std::string> all{"/proc/self/exe"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& s : all) argv.push_back(s.data());
  argv.push_back(nullptr);
  TChild c;
  c.name = name;
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  if (posix_spawn(&c.pid, self.c_str(), &actions, nullptr, argv.data(), env.data()) != 0) Fail("spawn " + name);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  c.out = fds[0];
  fcntl(c.out, F_SETFL, O_NONBLOCK);
  return c;
}

// Reads what the child printed; false at its end.
void Read_Child(TChild& c) {
  char buf[4096];
  while (c.out >= 0) {
    const ssize_t n = read(c.out, buf, sizeof buf);
    if (n > 0) {
      c.buffer.append(buf, std::size_t(n));
      std::size_t p;
      while ((p = c.buffer.find('\n')) != std::string::npos) {
        std::string line = c.buffer.substr(0, p);
        c.buffer.erase(0, p + 1);
        std::printf("[%s] %s\n", c.name.c_str(), line.c_str());
        std::fflush(stdout);
        if (line.rfind("PEER ", 0) == 0) c.lines.push_back(line.substr(5));
      }
      continue;
    }
    if (n == 0) {
      close(c.out);
      c.out = -1;
    }
    return;
  }
}

bool Has_Line(const TChild& c, const std::string& prefix, std::string* rest = nullptr) {
  for (const std::string& l : c.lines)
    if (l.rfind(prefix, 0) == 0) {
      if (rest) *rest = l.substr(prefix.size());
      return true;
    }
  return false;
}

// A proxy between the joining machines and the host: every byte in either
// direction is passed on in pieces of random length, each written alone.
struct TProxy {
  int listener = -1;
  int port = 0;
  int host_port = 0;
  std::mt19937 random{12345};
  struct TPipe {
    int a = -1, b = -1;  // a: the joining machine, b: the host
    std::string to_a, to_b;
    bool open = true;
  };
  std::vector<TPipe> pipes;
  std::int64_t pieces = 0, bytes = 0;

  void Start() {
    listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(listener, 16) != 0) Fail("proxy");
    socklen_t len = sizeof a;
    getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    fcntl(listener, F_SETFL, O_NONBLOCK);
  }
  static int Connect(int to_port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(std::uint16_t(to_port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) Fail("proxy connect");
    return fd;
  }
  static void Setup(int fd) {
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    fcntl(fd, F_SETFL, O_NONBLOCK);
  }
  // Reads from `from` into `into`; false when the side closed.
  static bool Pull(int from, std::string& into) {
    char buf[65536];
    while (true) {
      const ssize_t n = recv(from, buf, sizeof buf, 0);
      if (n > 0) {
        into.append(buf, std::size_t(n));
        continue;
      }
      if (n == 0) return false;
      return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }
  }
  void Push(int to, std::string& what) {
    if (what.empty()) return;
    const std::size_t piece = std::min<std::size_t>(what.size(), std::uniform_int_distribution<std::size_t>(1, 700)(random));
    const ssize_t n = send(to, what.data(), piece, MSG_NOSIGNAL);
    if (n > 0) {
      what.erase(0, std::size_t(n));
      ++pieces;
      bytes += n;
    }
  }
  // The link of the i-th machine that came (0 first) is cut at once: what
  // the proxy still holds for either side is lost.
  void Cut(std::size_t i) {
    TPipe& p = pipes.at(i);
    if (!p.open) return;
    close(p.a);
    close(p.b);
    p.to_a.clear();
    p.to_b.clear();
    p.open = false;
  }
  void Pump() {
    while (true) {
      const int fd = accept(listener, nullptr, nullptr);
      if (fd < 0) break;
      TPipe p;
      p.a = fd;
      p.b = Connect(host_port);
      Setup(p.a);
      Setup(p.b);
      pipes.push_back(p);
    }
    for (TPipe& p : pipes) {
      if (!p.open) continue;
      const bool a_open = Pull(p.a, p.to_b);
      const bool b_open = Pull(p.b, p.to_a);
      Push(p.b, p.to_b);
      Push(p.a, p.to_a);
      if ((!a_open && p.to_b.empty()) || (!b_open && p.to_a.empty())) {
        close(p.a);
        close(p.b);
        p.open = false;
      }
    }
  }
};

std::string File_Text(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// One way the game is played. In the cases that lose a player, Bob
// (player 3) goes at the moment the case names: his program is killed, or
// the proxy cuts his link (what he sent and the proxy still held is lost)
// and his program is then killed. The host and Ann play on to the last
// date without him.
struct TCase {
  std::string name;
  std::vector<std::string> host, bob;  // extra arguments
  // The machine ("host" or "bob") and the start of its line at which Bob
  // goes; empty: nobody is lost (Bob leaves after the last date).
  std::string cut_child, cut_line;
  bool kill_only = false;  // his program is killed, his link left to close
};

const std::vector<TCase>& Cases() {
  static const std::vector<TCase> cases = {
      {"leave", {"--battle"}, {"--leave"}, "", "", false},
      // Killed in his second turn after his move has gone through the host.
      {"killed-in-turn", {"--lost", "3"}, {"--hold-after-moves", "2"}, "bob", "HOLDING", true},
      // Cut as his second end of turn leaves his machine.
      {"cut-at-end-of-turn", {"--lost", "3"}, {}, "bob", "END TURN 3 at date ", false},
      // Cut while the game's files go out.
      {"cut-in-transfer", {"--lost", "3"}, {}, "host", "CREATED", false},
      // Cut while he plays a piece of his battle against a computer nation.
      {"cut-in-battle-with-computer", {"--lost", "3"}, {"--attack-computer"}, "bob", "PIECE", false},
      // Cut while he plays a piece of his battle against the host's player.
      {"cut-in-battle-with-human", {"--lost", "3", "--battle", "--battle-with", "3"}, {}, "bob", "PIECE", false},
  };
  return cases;
}

int Run_Driver(int argc, char** argv) {
  const std::string dates = Arg(argc, argv, "--dates", "5");
  const std::string seed = Arg(argc, argv, "--seed", "7");
  const std::string case_name = Arg(argc, argv, "--case", "leave");
  const TCase* chosen = nullptr;
  for (const TCase& c : Cases())
    if (c.name == case_name) chosen = &c;
  if (!chosen) Fail("no case " + case_name);
  const TCase& play_case = *chosen;
  const bool losing = !play_case.cut_line.empty();
  std::string pattern = (fs::temp_directory_path() / "globarch_netpeer_XXXXXX").string();
  if (!mkdtemp(pattern.data())) Fail("temp folder");
  const fs::path root = pattern;
  for (const char* d : {"host", "ann", "bob"}) fs::create_directories(root / d / "user");
  std::vector<TChild> children;
  std::vector<std::string> host_args{"host", "--out", (root / "host" / "out").string(), "--dates", dates, "--seed", seed};
  host_args.insert(host_args.end(), play_case.host.begin(), play_case.host.end());
  children.push_back(Spawn("host", host_args, (root / "host" / "user").string()));
  TProxy proxy;
  proxy.Start();
  const auto end = Clock::now() + std::chrono::seconds(420);
  std::string host_port;
  bool joined = false, cut = false;
  int failures = 0;
  auto all_done = [&] {
    for (TChild& c : children)
      if (c.status == -1) return false;
    return true;
  };
  auto count_lines = [](const TChild& c, const std::string& prefix) {
    return std::count_if(c.lines.begin(), c.lines.end(),
                         [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  };
  while (!(joined && children.size() == 3 && all_done())) {
    if (Clock::now() > end) {
      std::printf("netpeer: timed out\n");
      for (TChild& c : children)
        if (c.status == -1) kill(c.pid, SIGKILL);
      failures++;
      break;
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
      TChild& c = children[i];
      Read_Child(c);
      if (c.status == -1) {
        int st = 0;
        if (waitpid(c.pid, &st, WNOHANG) == c.pid) {
          Read_Child(c);
          c.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
          // The lost player's program ends as it may.
          if (c.status != 0 && !(cut && i == 2)) {
            std::printf("netpeer: %s ended with %d\n", c.name.c_str(), c.status);
            ++failures;
          }
        }
      }
    }
    if (failures) {
      for (TChild& c : children)
        if (c.status == -1) kill(c.pid, SIGKILL);
      for (TChild& c : children)
        if (c.status == -1) waitpid(c.pid, nullptr, 0);
      break;
    }
    if (!joined && Has_Line(children[0], "PORT ", &host_port)) {
      proxy.host_port = std::atoi(host_port.c_str());
      const std::string port = std::to_string(proxy.port);
      children.push_back(Spawn("ann",
                               {"join", "--out", (root / "ann" / "out").string(), "--port", port, "--player", "Ann",
                                "--nation", "Avalon", "--dates", dates},
                               (root / "ann" / "user").string()));
      joined = true;
    }
    if (joined && children.size() == 2 && Has_Line(children[1], "PLAYER ")) {
      const std::string port = std::to_string(proxy.port);
      std::vector<std::string> bob_args{"join", "--out", (root / "bob" / "out").string(), "--port", port, "--player",
                                        "Bob", "--nation", "Borduria", "--dates", dates};
      bob_args.insert(bob_args.end(), play_case.bob.begin(), play_case.bob.end());
      children.push_back(Spawn("bob", bob_args, (root / "bob" / "user").string()));
    }
    if (losing && !cut && children.size() == 3) {
      const TChild& watched = play_case.cut_child == "host" ? children[0] : children[2];
      // Bob's end of turn counts from his second.
      const long wanted = play_case.cut_line.rfind("END TURN", 0) == 0 ? 2 : 1;
      if (count_lines(watched, play_case.cut_line) >= wanted) {
        cut = true;
        std::printf("netpeer: Bob goes (%s)\n", play_case.kill_only ? "killed" : "link cut");
        if (!play_case.kill_only && proxy.pipes.size() >= 2) proxy.Cut(1);
        kill(children[2].pid, SIGKILL);
      }
    }
    proxy.Pump();
    usleep(500);
  }
  std::printf("netpeer: proxy passed %lld bytes in %lld pieces\n", static_cast<long long>(proxy.bytes),
              static_cast<long long>(proxy.pieces));
  if (failures == 0 && losing && !cut) {
    std::printf("netpeer: Bob was never lost: no line \"%s\" of %s\n", play_case.cut_line.c_str(),
                play_case.cut_child.c_str());
    ++failures;
  }
  if (failures == 0) {
    std::vector<const char*> peers{"ann"};
    if (!losing) peers.push_back("bob");
    for (const char* name : {"CurrentMap.map", "Empires.dat"}) {
      const std::string h = File_Text(root / "host" / "out" / name);
      for (const char* peer : peers) {
        const std::string p = File_Text(root / peer / "out" / name);
        if (h.empty() || p != h) {
          std::printf("netpeer: %s of %s differs from the host's (%zu and %zu bytes)\n", name, peer, p.size(), h.size());
          ++failures;
        }
      }
    }
    std::string rest;
    if (!losing) {
      // After the computer played the lost nation (and the lobby's computer
      // nation) the remaining machine holds the host's game.
      for (const char* name : {"CurrentMap.map", "Empires.dat"}) {
        const std::string h = File_Text(root / "host" / "out" / "final" / name);
        const std::string p = File_Text(root / "ann" / "out" / "final" / name);
        if (h.empty() || p != h) {
          std::printf("netpeer: final %s of ann differs from the host's (%zu and %zu bytes)\n", name, p.size(), h.size());
          ++failures;
        }
      }
      // The host's player fought a battle against a joined player, and the
      // defender's machine saw the same battle end the same way.
      std::vector<std::string> fought;
      for (const std::string& l : children[0].lines)
        if (l.rfind("BATTLE OVER ", 0) == 0 && l.size() > 12 && l.compare(l.size() - 12, 12, " here humans") == 0)
          fought.push_back(l.substr(0, l.size() - 12) + " mirrored humans");
      bool mirrored = false;
      for (const std::string& expected : fought)
        for (std::size_t c = 1; c < children.size(); ++c)
          if (std::find(children[c].lines.begin(), children[c].lines.end(), expected) != children[c].lines.end())
            mirrored = true;
      if (!mirrored) {
        std::printf("netpeer: no battle between two human players ended alike on both of their machines\n");
        ++failures;
      }
      if (!Has_Line(children[0], "LOST 3") || !Has_Line(children[0], "WENT ON")) ++failures;
    } else {
      if (!Has_Line(children[0], "LOST 3", &rest) || rest.find("computer") == std::string::npos) {
        std::printf("netpeer: the host did not give the lost nation to the computer\n");
        ++failures;
      }
      if (!Has_Line(children[0], "SAVED ") || !Has_Line(children[1], "SAVED ")) {
        std::printf("netpeer: the game did not reach its last date on every machine still playing\n");
        ++failures;
      }
      // The loss is told once, on every machine still playing.
      for (int c : {0, 1})
        if (count_lines(children[c], "CHAT : Player Bob disconnected.") != 1) {
          std::printf("netpeer: %s was told of the loss %ld times\n", children[c].name.c_str(),
                      static_cast<long>(count_lines(children[c], "CHAT : Player Bob disconnected.")));
          ++failures;
        }
    }
    if (!Has_Line(children[1], "END date ", &rest) || rest.find("nation 3 computer") == std::string::npos) {
      std::printf("netpeer: the remaining machine did not see the computer take nation 3 over\n");
      ++failures;
    }
  }
  std::error_code ec;
  if (failures == 0) fs::remove_all(root, ec);
  else std::printf("netpeer: the machines' folders are kept in %s\n", root.string().c_str());
  std::printf("netpeer: %s %s\n", case_name.c_str(), failures == 0 ? "passed" : "FAILED");
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "e2e") return Run_Driver(argc, argv);
  if (mode == "host") return Run_Host(argc, argv);
  if (mode == "join") return Run_Join(argc, argv);
  std::fprintf(stderr,
               "usage: globarch-netpeer e2e [--case C] [--dates D] [--seed S]\n"
               "       globarch-netpeer host --out DIR [--dates D] [--seed S] [--battle] [--battle-with P] [--lost P]\n"
               "       globarch-netpeer join --out DIR --port P --player NAME --nation NAME [--dates D] [--leave]\n"
               "                             [--attack-computer] [--hold-after-moves N]\n");
  return 1;
}
