// A battle between two human players of a network game: the attacker's
// machine runs it and announces it; the defender's machine builds its copy
// from the relayed messages alone. Both machines live in this process one
// after the other: each keeps its own battle state, action timer and action
// queue, and what one sends reaches the other as the host relays it.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "Combat.h"
#include "Datafile_BaseGameSettings.h"
#include "Empire.h"
#include "GameSettings.h"
#include "Game_Command_Executor.h"
#include "Global.h"
#include "Lost_Player.h"
#include "MapClass.h"
#include "MasterActionTimer.h"
#include "MasterActionTimer_Combat.h"
#include "Multiplayer_ActionQueue.h"
#include "Multiplayer_GameActions.h"
#include "Multiplayer_Types.h"
#include "World_Links.h"
#include "World_Unit_Facts.h"

namespace {

enum : std::uint16_t { UT_SOLDIER = 1, UT_TANK };

std::unique_ptr<TUnit_Type> Battle_Type(const char* name, std::uint8_t size, std::int32_t initiative,
                                        std::int32_t hit_points, std::int32_t damage) {
  auto t = std::make_unique<TUnit_Type>();
  t->f_display_name = name;
  t->f_internal_name = name;
  t->f_movement_type = UNIT_MOVEMENT_LAND;
  t->f_combat_movement_type = UNIT_MOVEMENT_LAND;
  t->f_takes_part_in_combat = true;
  t->f_square_size_width = size;
  t->f_square_size_height = size;
  t->f_initiative = initiative;
  t->f_combat_movement_amount = 2;
  t->f_combat_attack_range = 1;
  t->f_hit_points = hit_points;
  t->f_combat_damage_min = damage;
  t->f_combat_damage_max = damage + 2;
  t->f_combat_damage_percent = {0, 0, 100, 0, 0, 0};
  t->f_attack_rating = 10;
  t->f_defense_rating = 10;
  return t;
}

// One machine of the game: its player, its battle and its queue.
struct TMachine {
  std::uint8_t local = 0;
  std::uint8_t kind = 0;  // 3 hosts, 4 joined
  TCombat_State combat;
  std::uint8_t mp_attacker = 0, mp_defender = 0;
  TMaster_Action_Timer timer;
  TCombat_Actions actions;
  TMultiplayer_Action_Queue queue;
  std::vector<std::string> sent;  // host: to every client; joined: to the host
};

struct TTwo_Machine_Links : TMP_Game_Links {
  TMachine* current = nullptr;
  TMultiplayer_Action_Queue* m_Action_Queue() override { return &current->queue; }
  void m_Send_To_All(const std::string& text) override { current->sent.push_back(text); }
  void m_Send_To_Host(const std::string& text) override { current->sent.push_back(text); }
};

class Network_Battle : public ::testing::Test {
protected:
  void SetUp() override {
    types.m_Add(Battle_Type("Soldier", 1, 10, 10, 4));
    types.m_Add(Battle_Type("Tank", 3, 8, 30, 8));
    saved_types = Unit_Type_List;
    Unit_Type_List = &types;
    for (int n = 1; n <= 3; ++n) {
      auto e = std::make_unique<TEmpire>();
      e->m_Set_Color(Make_Color(std::uint8_t(n * 40), 10, 20));
      empires.m_Add(std::move(e));
    }
    G_Map = &map;
    G_Empire_List = &empires;
    Game_Settings.m_Reset();
    Game_Settings.f_turn_empire = 1;
    // The joined player holds slot 2 as client 12.
    Game_Settings.f_player_count = 2;
    Game_Settings.m_Player(1).f_connected = 2;
    Game_Settings.m_Player(2).f_client_id = 12;
    Game_Settings.m_Player(2).f_connected = 1;
    Base_Game_Settings.m_Reset();
    Set_Combat_Links(nullptr);
    Set_MP_Game_Links(&links);
    Game_Command_Executor_Install();
    Random_Set_Seed(2024);
    G_Combat = TCombat_State{};
    host.local = 1;
    host.kind = 3;
    client.local = 2;
    client.kind = 4;
    for (TMachine* m : {&host, &client}) m->actions.m_Install(m->timer);
    // Region 1: player 1's soldiers and tank have marched into player 2's
    // region; region 2: player 2's into player 1's.
    map.m_Set_Region_Count(2);
    for (std::uint8_t id : {1, 2}) {
      const std::uint8_t owner = id == 1 ? 2 : 1, other = id == 1 ? 1 : 2;
      TMap_Region& r = map.m_New_Region(id);
      r.m_Set_Type(REGION_LAND);
      r.m_Set_Name(id == 1 ? "Marches" : "Fens");
      r.m_Set_Owner(owner);
      for (auto [type, player] : {std::pair{UT_SOLDIER, owner}, {UT_SOLDIER, owner}, {UT_TANK, owner},
                                  {UT_SOLDIER, other}, {UT_TANK, other}, {UT_SOLDIER, other}, {UT_SOLDIER, other}})
        r.m_Insert_Unit_Id(map.m_Add_Unit(id, type, player, 1, 0));
    }
  }
  void TearDown() override {
    if (links.current) Leave();
    Set_MP_Game_Links(nullptr);
    Master_Action_Timer = nullptr;
    G_Map = nullptr;
    G_Empire_List = nullptr;
    Unit_Type_List = saved_types;
    Game_Settings.m_Reset();
    Base_Game_Settings.m_Reset();
    G_Combat = TCombat_State{};
    MP_Combat_Attacker_Plr = MP_Combat_Defender_Plr = 0;
  }

  // Makes the machine the one whose code runs.
  void Enter(TMachine& m) {
    if (links.current) Leave();
    links.current = &m;
    G_Combat = m.combat;
    MP_Combat_Attacker_Plr = m.mp_attacker;
    MP_Combat_Defender_Plr = m.mp_defender;
    Master_Action_Timer = &m.timer;
    Game_Settings.f_local_empire = m.local;
    Game_Settings.f_game_kind = m.kind;
  }
  void Leave() {
    TMachine& m = *links.current;
    m.combat = G_Combat;
    m.mp_attacker = MP_Combat_Attacker_Plr;
    m.mp_defender = MP_Combat_Defender_Plr;
    links.current = nullptr;
  }
  // The lines the host sent its clients reach the joined machine.
  void Deliver_To_Client() {
    std::vector<std::string> lines;
    lines.swap(host.sent);
    Enter(client);
    for (const std::string& line : lines) Multiplayer_Process_Message(MP_SOURCE_HOST, 0, line, false);
  }
  // What each machine sent reaches the other: the host's lines the joined
  // machine, the joined machine's lines the host as coming from client 12.
  void Deliver() {
    std::vector<std::string> lines;
    lines.swap(host.sent);
    Enter(client);
    for (const std::string& line : lines) Multiplayer_Process_Message(MP_SOURCE_HOST, 0, line, false);
    lines.clear();
    lines.swap(client.sent);
    Enter(host);
    for (const std::string& line : lines) EXPECT_TRUE(Multiplayer_Process_Message(MP_SOURCE_CLIENT, 12, line, false));
    Leave();
  }
  // One frame of a machine: its queue, its action timer, and its player's
  // piece when the battle waits for it, played as the computer would.
  void Frame(TMachine& m) {
    Enter(m);
    m.queue.m_Process_Queue(0.05f);
    m.timer.m_Update_Timer(0.05f);
    if (Combat_Is_Active() && G_Combat.winner == 0 && G_Combat.current_piece != 0 &&
        G_Combat.current_owner == m.local && m.timer.m_Record_Count() == 0)
      Combat_Execute_AI_Move();
    Leave();
  }
  // The battle begun by the attacker's machine (the host's player attacks
  // in region 1, the joined player in region 2), mirrored on the other
  // machine, and both begin dialogs closed.
  void Begin_Battle(bool host_attacks) {
    Enter(host_attacks ? host : client);
    Combat_Begin(host_attacks ? 1 : 2, false, true);
    for (int pass = 0; pass < 2; ++pass) {
      Deliver();
      for (TMachine* m : {&host, &client}) {
        Enter(*m);
        Drain_Queue();
      }
    }
    for (TMachine* m : {&host, &client}) {
      Enter(*m);
      Combat_Next_Piece();
    }
    Leave();
  }
  // The joined machine's queue, one pass per frame, until it is empty.
  void Drain_Queue() {
    for (int frame = 0; frame < 1000 && links.current->queue.m_Count() > 0; ++frame)
      links.current->queue.m_Process_Queue(0.05f);
    EXPECT_EQ(links.current->queue.m_Count(), 0);
  }
  static std::vector<TCombat_Starting_Unit> Records(const TCombat_State& s) {
    return {s.starting.begin(), s.starting.begin() + s.starting_count};
  }

  TMap map;
  TEmpire_List empires;
  TUnit_Type_List types;
  TUnit_Type_List* saved_types = nullptr;
  TTwo_Machine_Links links;
  TMachine host, client;
};

TEST_F(Network_Battle, TheDefendersMachineBuildsTheSameBattleFromTheMessagesAndPlaysItsFirstTurn) {
  Enter(host);
  Combat_Begin(1, false, true);
  ASSERT_TRUE(Combat_Is_Active());
  ASSERT_FALSE(host.sent.empty());
  Deliver_To_Client();
  Drain_Queue();
  Leave();

  // Every cell of the grid as the attacker's machine made it: sizes, hit
  // points, whether the piece can move and attack, where it is drawn, its
  // colour and its initiative.
  for (int c = 0; c < Combat_Columns; ++c)
    for (int r = 0; r < Combat_Rows; ++r) {
      const TCombat_Cell& a = host.combat.grid[std::size_t(c)][std::size_t(r)];
      const TCombat_Cell& d = client.combat.grid[std::size_t(c)][std::size_t(r)];
      EXPECT_EQ(d.piece_id, a.piece_id) << c + 1 << "," << r + 1;
      EXPECT_EQ(d.hit_points, a.hit_points) << c + 1 << "," << r + 1;
      EXPECT_EQ(d.width, a.width) << c + 1 << "," << r + 1;
      EXPECT_EQ(d.can_attack, a.can_attack) << c + 1 << "," << r + 1;
      EXPECT_EQ(d.picture_x, a.picture_x) << c + 1 << "," << r + 1;
      EXPECT_EQ(d.colour, a.colour) << c + 1 << "," << r + 1;
      EXPECT_EQ(d.initiative, a.initiative) << c + 1 << "," << r + 1;
      EXPECT_EQ(d, a) << c + 1 << "," << r + 1;
    }
  EXPECT_EQ(Records(client.combat), Records(host.combat));
  EXPECT_EQ(client.combat.region, 1);
  EXPECT_EQ(client.combat.attacker, 1);
  EXPECT_EQ(client.combat.defender, 2);
  EXPECT_EQ(client.combat.complete_here, 0);

  // Both players have closed the begin dialog: each machine picks the first
  // piece, the same one, and the battle goes on.
  for (TMachine* m : {&host, &client}) {
    Enter(*m);
    Combat_Next_Piece();
    Leave();
  }
  EXPECT_EQ(client.combat.winner, 0);
  EXPECT_EQ(host.combat.winner, 0);
  EXPECT_NE(host.combat.current_piece, 0);
  EXPECT_EQ(client.combat.current_piece, host.combat.current_piece);
  EXPECT_EQ(client.combat.current_column, host.combat.current_column);
  EXPECT_EQ(client.combat.current_row, host.combat.current_row);
  EXPECT_EQ(client.combat.current_owner, host.combat.current_owner);
}

// A battle begin whose background is a path, from a joined machine through
// the host's relay and from the host itself: the machine that mirrors the
// battle opens none of it and shows one of the game's own backgrounds.
TEST_F(Network_Battle, ABackgroundNamedAsAPathIsRefusedWhereverTheBattleBeginComesFrom) {
  Base_Game_Settings.f_battle_map_land = {"Field.jpg"};
  Base_Game_Settings.f_battle_map_ocean = {"Sea.jpg"};
  const std::string path = "..\\..\\..\\..\\..\\..\\..\\..\\dev\\zero";
  // Player 2 attacks region 2, player 1's; `execute` mirrors the battle.
  auto begin = [&](std::int32_t code, std::uint8_t execute) {
    return MP_Encode_Byte(code) + MP_Encode_Byte(execute) + MP_Encode_Integer(2) + MP_Encode_Boolean(false) +
           MP_Encode_String(path) + MP_Encode_Byte(2) + MP_Encode_Byte(1) + MP_Encode_Byte(1);
  };
  // From the joined machine: the host relays the line and mirrors the battle.
  Enter(host);
  EXPECT_TRUE(
      Multiplayer_Process_Message(MP_SOURCE_CLIENT, 12, begin(LAN_MSG_TO_SERVER_ACTION_COMBAT_BEGIN, 1), false));
  ASSERT_EQ(host.sent.size(), 1u);
  Drain_Queue();
  Leave();
  EXPECT_EQ(host.combat.region, 2);
  EXPECT_EQ(host.combat.complete_here, 0);
  EXPECT_EQ(host.combat.background_path, "images\\map\\Field.jpg");
  // From the host: the joined machine mirrors it.
  host.sent.clear();
  Enter(client);
  Multiplayer_Process_Message(MP_SOURCE_HOST, 0, begin(LAN_MSG_TO_CLIENT_ACTION_COMBAT_BEGIN, 2), false);
  Drain_Queue();
  Leave();
  EXPECT_EQ(client.combat.region, 2);
  EXPECT_EQ(client.combat.background_path, "images\\map\\Field.jpg");
}

TEST_F(Network_Battle, BothPlayersPlayTheirPiecesToTheSameEndWhicheverMachineIsAhead) {
  // Frames of the host and of the joined machine between two deliveries:
  // the machine that runs more frames finishes each move sooner and sends
  // its next step while the other still shows the last one.
  struct TSpeed {
    int host_frames, client_frames;
    bool host_attacks;
  };
  for (TSpeed speed : {TSpeed{1, 1, true}, TSpeed{1, 5, true}, TSpeed{5, 1, true}, TSpeed{1, 5, false},
                       TSpeed{5, 1, false}}) {
    SCOPED_TRACE(std::to_string(speed.host_frames) + ":" + std::to_string(speed.client_frames) +
                 (speed.host_attacks ? " host attacks" : " joined player attacks"));
    host.combat = client.combat = TCombat_State{};
    host.sent.clear();
    client.sent.clear();
    for (TMachine* m : {&host, &client}) {
      m->timer.m_Clear();
      m->queue.m_Clear();
    }
    Random_Set_Seed(77);
    Begin_Battle(speed.host_attacks);
    ASSERT_NE(host.combat.region, 0);
    ASSERT_EQ(client.combat.region, host.combat.region);
    EXPECT_EQ(host.combat.complete_here, speed.host_attacks ? 1 : 0);
    int steps = 0;
    for (int round = 0; round < 20000 && (host.combat.winner == 0 || client.combat.winner == 0); ++round) {
      for (int f = 0; f < speed.host_frames; ++f) Frame(host);
      for (int f = 0; f < speed.client_frames; ++f) Frame(client);
      steps += int((speed.host_attacks ? client : host).sent.size());
      Deliver();
    }
    EXPECT_GT(steps, 0) << "the defender played no piece";
    EXPECT_NE(host.combat.winner, 0);
    EXPECT_EQ(client.combat.winner, host.combat.winner);
    EXPECT_EQ(Records(client.combat), Records(host.combat));
    EXPECT_EQ(host.queue.m_Count(), 0);
    EXPECT_EQ(client.queue.m_Count(), 0);
  }
}

// The joined player is lost in the middle of the battle, whichever machine
// runs it: his steps that had not reached the host are lost with him. The
// host finishes the battle alone, his pieces played by the computer, and
// applies its end for every machine.
struct TLost_In_Battle {
  bool host_attacks;
  int rounds_before;  // rounds both machines played before the loss
};

class Network_Battle_Lost : public Network_Battle, public ::testing::WithParamInterface<TLost_In_Battle> {};

TEST_P(Network_Battle_Lost, TheMachineLeftFinishesTheBattleAndSendsItsEnd) {
  const TLost_In_Battle c = GetParam();
  Lost_Player_Install();
  Random_Set_Seed(77);
  map.m_Add_Combat_Region(c.host_attacks ? 1 : 2);
  Begin_Battle(c.host_attacks);
  const std::int32_t region = host.combat.region;
  ASSERT_NE(region, 0);
  for (int round = 0; round < c.rounds_before; ++round) {
    Frame(host);
    Frame(client);
    Deliver();
  }
  ASSERT_EQ(host.combat.winner, 0) << "the battle ended before the loss";
  // The joined machine goes; what it sent since is lost.
  client.sent.clear();
  Enter(host);
  Multiplayer_Event(MP_SERVER_CLIENT_DISCONNECTED, 12, "");
  Leave();
  EXPECT_TRUE(empires.m_Get_Empire(2)->m_Get_Computer_Controlled());
  for (int frame = 0; frame < 20000 && host.combat.winner == 0; ++frame) {
    Frame(host);
    host.sent.clear();
  }
  ASSERT_NE(host.combat.winner, 0) << "the battle stopped at the lost player's piece " << host.combat.current_piece;
  EXPECT_EQ(host.combat.complete_here, 1);
  // Closing its end dialog applies the battle here and sends its end.
  Enter(host);
  Combat_Completed();
  Leave();
  EXPECT_FALSE(map.m_Is_Combat_Region(region));
  bool results = false;
  for (const std::string& line : host.sent) {
    std::string rest = line;
    results = results || MP_Decode_Byte(rest) == LAN_MSG_TO_CLIENT_ACTION_COMBAT_END_RESULTS;
  }
  EXPECT_TRUE(results);
  Set_MP_Lost_Player_Links(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, Network_Battle_Lost,
                         ::testing::Values(TLost_In_Battle{true, 0}, TLost_In_Battle{true, 3},
                                           TLost_In_Battle{false, 0}, TLost_In_Battle{false, 3},
                                           TLost_In_Battle{false, 8}),
                         [](const ::testing::TestParamInfo<TLost_In_Battle>& info) {
                           return std::string(info.param.host_attacks ? "HostAttacks" : "JoinedPlayerAttacks") +
                                  "LostAfter" + std::to_string(info.param.rounds_before) + "Rounds";
                         });

}  // namespace
