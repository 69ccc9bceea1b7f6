#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../world/World_Fixture.h"
#include "AI_Main.h"
#include "Combat.h"
#include "BombardDamageList.h"
#include "Errors.h"
#include "EventLog.h"
#include "GameSettings.h"
#include "Game_Command_Executor.h"
#include "Game_Command_Post.h"
#include "Lost_Player.h"
#include "MasterActionTimer.h"
#include "Multiplayer_ActionQueue.h"
#include "Multiplayer_GameActions.h"

namespace {

// Records what the relay sends and asks of the rest of the game.
struct TFake_Links : TMP_Game_Links {
  TMultiplayer_Action_Queue queue;
  std::vector<std::string> to_all, to_host, chat, messages, calls;
  TMultiplayer_Action_Queue* m_Action_Queue() override { return &queue; }
  void m_Send_To_All(const std::string& text) override { to_all.push_back(text); }
  void m_Send_To_Host(const std::string& text) override { to_host.push_back(text); }
  void m_Show_Chat_Line(const std::string& text) override { chat.push_back(text); }
  void m_Show_Message(const std::string& text) override { messages.push_back(text); }
  void m_Show_Chat() override { calls.push_back("show chat"); }
  void m_Lock_Panels(bool locked) override { calls.push_back(locked ? "lock" : "unlock"); }
  void m_Combat_Begin_Remote(std::int32_t region, bool, const std::string& map_name, std::uint8_t attacker,
                             std::uint8_t defender, std::uint8_t) override {
    calls.push_back("begin " + std::to_string(region) + " " + map_name + " " + std::to_string(attacker) + "/" +
                    std::to_string(defender));
  }
  void m_Combat_Attack_Remote(std::int32_t x, std::int32_t y, std::int32_t damage) override {
    calls.push_back("attack " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(damage));
  }
  void m_Combat_Results_Remote(std::uint8_t owner, std::int32_t region, std::uint8_t, std::uint8_t) override {
    calls.push_back("results " + std::to_string(owner) + " " + std::to_string(region));
  }
  void m_Start_Player_Turn(std::uint8_t player) override { calls.push_back("start " + std::to_string(player)); }
};

class Game_Actions_Test : public World_Test {
protected:
  void SetUp() override {
    World_Test::SetUp();
    Game_Command_Executor_Install();
    Master_Action_Timer = &timer;
    Set_MP_Game_Links(&links);
    empires.m_Create_Empires(3);
    Game_Settings.f_game_kind = 3;  // this machine hosts
    Game_Settings.f_local_empire = 1;
    Game_Settings.f_turn_empire = 1;
    Game_Settings.f_player_count = 3;
    for (std::int32_t slot = 1; slot <= 3; ++slot) {
      Game_Settings.m_Player(slot).f_client_id = static_cast<std::uint16_t>(slot == 1 ? 0 : 10 + slot);
      Game_Settings.m_Player(slot).f_connected = slot == 1 ? 2 : 1;
      Game_Settings.m_Player(slot).f_player_name = "Player" + std::to_string(slot);
    }
    MP_Combat_Attacker_Plr = MP_Combat_Defender_Plr = 0;
    Add_Region(1, 1, 2, 2, 0, 0, 1);
    Add_Region(2, 1, 2, 2, 64, 0, 2);
    Connect(1, 2);
  }
  void TearDown() override {
    Set_MP_Game_Links(nullptr);
    Master_Action_Timer = nullptr;
    World_Test::TearDown();
  }
  // A client's line as the host's server reports it.
  bool From_Client(std::int32_t slot, const std::string& text) {
    return Multiplayer_Process_Message(MP_SOURCE_CLIENT, 10 + slot, text, false);
  }
  static TLongintList Ids(std::initializer_list<std::int32_t> ids) {
    TLongintList l;
    for (std::int32_t id : ids) l.m_Add(id);
    return l;
  }
  std::string Move(std::uint8_t owner, std::vector<std::int32_t> ids, bool more = false, std::uint8_t code = 50) {
    TMP_Message m;
    m.code = code;
    auto num = [](TMP_Field_Kind k, std::int64_t n) {
      TMP_Value v;
      v.kind = k;
      v.number = n;
      return v;
    };
    m.values = {num(TMP_Field_Kind::Integer, 1), num(TMP_Field_Kind::Integer, 2), num(TMP_Field_Kind::Word, UT_INFANTRY),
                num(TMP_Field_Kind::Byte, owner), num(TMP_Field_Kind::Byte, 1), num(TMP_Field_Kind::Boolean, more),
                num(TMP_Field_Kind::Count, static_cast<std::int64_t>(ids.size()))};
    for (std::int32_t id : ids) m.values.push_back(num(TMP_Field_Kind::Integer, id));
    return MP_Encode_Message(m);
  }

  TMaster_Action_Timer timer;
  TFake_Links links;
};

std::uint8_t Code_Of(const std::string& line) {
  std::string rest = line;
  return MP_Decode_Byte(rest);
}

}  // namespace

TEST(Multiplayer_Messages, EverySenderWritesWhatTheLayoutReadsBack) {
  // Each message the senders can build comes back field for field, and the
  // relay's partner code carries the same fields.
  Game_Settings.m_Reset();
  Game_Settings.f_game_kind = 4;  // joined: the senders hand their lines to the client
  TFake_Links links;
  Set_MP_Game_Links(&links);
  TLongintList units;
  units.m_Add(7);
  units.m_Add(-9);
  Send_Action_Move_Unit(3, 4, 65535, 255, 1, true, units, 2, false);
  Send_Action_Bombard_Unit(3, 4, 2, 1, 0, units, 2, 55, {{5, 7, 8}, {-1, 2147483647, -2147483647 - 1}}, false);
  Send_Action_Add_Unit_To_Unit_Cargo(9, 2, 100, 101, true, false);
  Send_Action_Remove_Unit_From_Unit_Cargo(9, 2, 100, 101, false, true, false);
  Send_Action_Set_Unit_Movement(0, units, 2, false);
  Send_Action_End_Turn(2);
  Send_Action_Decommission_Units(5, 2, units, 1, false);
  // The battle's steps and results are the rules' commands, sent the same way.
  TCombat_Links combat;
  combat.m_Send_Combat_Begin(12, true, "Battle Ocean 1", 3, 3, 2);
  TCombat_Cell cell;
  cell.piece_id = 77;
  cell.unit_id = 88;
  cell.owner = 2;
  cell.unit_type = 4;
  cell.count = 5;
  cell.offset_x = 1;
  cell.initiative = 0.05f;
  cell.facing = 2;
  combat.m_Send_Add_Starting_Unit(3, 13, 9, cell);
  combat.m_Send_Attack(4, 5, 17);
  Game_Command_Post_Battle_Result(TCommand_Battle_Log{0, 31, 2, 3, 2, 3, 12, true, {{4, 2, 5, 1}, {65535, 3, 2, 2}}});
  Set_MP_Game_Links(nullptr);

  const std::vector<std::uint8_t> codes = {50, 52, 54, 56, 58, 62, 127, 100, 102, 108, 112};
  ASSERT_EQ(links.to_host.size(), codes.size());
  for (std::size_t i = 0; i < codes.size(); ++i) {
    SCOPED_TRACE(MP_Message_Name(codes[i]));
    TMP_Message m = MP_Decode_Message(links.to_host[i]);
    EXPECT_EQ(m.code, codes[i]);
    EXPECT_EQ(MP_Encode_Message(m), links.to_host[i]);
    if (std::uint8_t partner = MP_Relay_Code(codes[i])) {
      std::string relayed = MP_Encode_As(partner, m);
      EXPECT_EQ(relayed.substr(3), links.to_host[i].substr(3));
      EXPECT_EQ(MP_Decode_Message(relayed).values.size(), m.values.size());
    }
  }
  TMP_Message bombard = MP_Decode_Message(links.to_host[1]);
  EXPECT_EQ(bombard.m_Int(8), 55);           // the bombard value
  EXPECT_EQ(bombard.m_Int(9), 2);            // two damage records
  EXPECT_EQ(bombard.m_Int(14), 2147483647);  // passed on unchanged
  TMP_Message unit = MP_Decode_Message(links.to_host[8]);
  EXPECT_FLOAT_EQ(unit.m_Single(11), 0.05f);
  EXPECT_EQ(MP_Message_Name(51), "LAN_MSG_TO_CLIENT_ACTION_MOVE_UNIT");
  EXPECT_EQ(MP_Message_Name(127), "LAN_MSG_TO_SERVER_ACTION_DECOMMISSION_UNITS");
  EXPECT_EQ(MP_Message_Name(69), "LAN_MSG_TO_CLIENT_ACTION_DECOMMISSION_UNITS");
  EXPECT_EQ(MP_Message_Name(62), "LAN_MSG_TO_SERVER_ACTION_END_TURN");
  Game_Settings.m_Reset();
}

TEST(Multiplayer_Messages, RelayPartners) {
  struct TCase {
    std::uint8_t code, partner;
  } cases[] = {{50, 51}, {52, 53}, {58, 59}, {60, 61}, {100, 101}, {124, 125}, {127, 69},
               {62, 0},  {51, 0},  {1, 0},   {64, 0},   {126, 0},   {128, 0}};
  for (const TCase& c : cases) EXPECT_EQ(MP_Relay_Code(c.code), c.partner) << int(c.code);
}

TEST(Multiplayer_Messages, CountsAreBoundedByWhatTheMessageHolds) {
  // A forged count is refused before anything is reserved for it.
  struct TCase {
    const char* name;
    std::string text;
  } cases[] = {
      {"huge unit count", "058  0" + MP_Encode_Integer(2000000000)},
      {"count beyond the text", "058  0" + MP_Encode_Integer(3) + MP_Encode_Integer(1)},
      {"negative count", "058  0" + MP_Encode_Integer(-1)},
      {"more than 140 battle groups", "112  1" + MP_Encode_Integer(1) + "  1  2  1  1" + MP_Encode_Integer(1) + "T" +
                                          MP_Encode_Integer(141) + std::string(141 * 29, '0')},
      {"text left over", "062  1x"},
      {"cut field", "062  "},
      {"boolean missing", "054" + MP_Encode_Integer(1) + "  1" + MP_Encode_Integer(1) + MP_Encode_Integer(2)},
      {"no layout", "030"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW(MP_Decode_Message(c.text), EGlobarch_Error);
  }
  EXPECT_EQ(MP_Decode_Message("058  0" + MP_Encode_Integer(1) + MP_Encode_Integer(4)).m_Int(2), 4);
}

TEST_F(Game_Actions_Test, HostRelaysItsOwnOrderAndQueuesOneCopyUnlessNoLocal) {
  Send_Action_Move_Unit(1, 2, UT_INFANTRY, 1, 0, false, Ids({5}), 1, false);
  ASSERT_EQ(links.to_all.size(), 1u);
  EXPECT_EQ(Code_Of(links.to_all[0]), 51);
  ASSERT_EQ(links.queue.m_Count(), 1);
  EXPECT_EQ(links.queue.m_Get(1).code, 51);
  EXPECT_EQ(links.queue.m_Get(1).payload, links.to_all[0].substr(3));

  // A computer player's order: executed here already, only relayed.
  Send_Action_Move_Unit(1, 2, UT_INFANTRY, 1, 0, false, Ids({5}), 1, true);
  EXPECT_EQ(links.to_all.size(), 2u);
  EXPECT_EQ(links.queue.m_Count(), 1);
}

TEST_F(Game_Actions_Test, TwoEndTurnsAddOneEndTurnAction) {
  Game_Settings.f_turn_empire = 2;
  EXPECT_TRUE(From_Client(2, "062  2"));
  EXPECT_TRUE(From_Client(2, "062  2"));
  std::int32_t end_turns = 0;
  for (std::int32_t i = 1; i <= timer.m_Record_Count(); ++i)
    end_turns += timer.m_Get_Record(i).kind == ACTION_END_TURN;
  EXPECT_EQ(end_turns, 1);
  EXPECT_TRUE(links.to_all.empty());  // the end of turn sends its own codes
}

TEST_F(Game_Actions_Test, NextPlayersEndTurnDuringTheChangeOfTurnWaitsForIt) {
  auto End_Turns = [&] {
    std::int32_t n = 0;
    for (std::int32_t i = 1; i <= timer.m_Record_Count(); ++i) n += timer.m_Get_Record(i).kind == ACTION_END_TURN;
    return n;
  };
  Game_Settings.f_turn_empire = 2;
  EXPECT_TRUE(From_Client(2, "062  2"));
  // The change of turn has made player 3 current but is still running when
  // player 3, quick to play, ends its turn.
  Game_Settings.f_turn_empire = 3;
  EXPECT_TRUE(From_Client(3, "062  3"));
  EXPECT_FALSE(From_Client(3, "062  2"));  // not the turn being played
  EXPECT_EQ(End_Turns(), 1);
  MP_Host_Deferred_End_Turn();
  EXPECT_EQ(End_Turns(), 1);
  timer.m_Clear();
  MP_Host_Deferred_End_Turn();
  EXPECT_EQ(End_Turns(), 1);  // player 3's turn ends now
  MP_Host_Deferred_End_Turn();
  EXPECT_EQ(End_Turns(), 1);
}

TEST_F(Game_Actions_Test, ClientChatGoesToEveryoneUnderTheSendersOwnName) {
  std::string chat = "001" + MP_Encode_String("Player1") + MP_Encode_String("hello");
  EXPECT_TRUE(From_Client(3, chat));
  ASSERT_EQ(links.chat.size(), 1u);
  EXPECT_EQ(links.chat[0], "Player3: hello");
  ASSERT_EQ(links.to_all.size(), 1u);
  EXPECT_EQ(links.to_all[0], MP_Encode_Byte(2) + MP_Encode_String("Player3") + MP_Encode_String("hello"));
  EXPECT_EQ(links.queue.m_Count(), 0);
}

TEST_F(Game_Actions_Test, HostTakesFromAClientOnlyWhatItsPlayerMayDo) {
  Game_Settings.f_turn_empire = 2;
  std::int32_t own = Place(2, UT_INFANTRY, 2);
  std::int32_t foreign = Place(1, UT_INFANTRY, 1);
  struct TCase {
    const char* name;
    std::int32_t slot;
    std::string text;
    bool taken;
  } cases[] = {
      {"own units in its turn", 2, Move(2, {own}), true},
      {"outside its turn", 3, Move(3, {}), false},
      {"in another player's name", 2, Move(1, {foreign}), false},
      {"another player's unit under its own name", 2, Move(2, {foreign}), false},
      {"host-to-client code", 2, Move(2, {own}, false, 51), false},
      {"computer control", 2, "068  1", false},
      {"new game date", 2, "064" + MP_Encode_Integer(5), false},
      {"end of another player's turn", 2, "062  1", false},
      {"purchases of another player", 2, "060  1" + MP_Encode_Integer(0), false},
      {"unknown client", 7, "062  2", false},
      {"battle step of a player outside the battle", 3, "110  2" + MP_Encode_Integer(1) + MP_Encode_Integer(1), false},
      {"garbage", 2, "zz garbage", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::size_t sent = links.to_all.size();
    EXPECT_EQ(From_Client(c.slot, c.text), c.taken);
    EXPECT_EQ(links.to_all.size(), sent + (c.taken ? 1 : 0));
  }
  EXPECT_EQ(links.queue.m_Count(), 1);
}

TEST_F(Game_Actions_Test, BattleStepsComeOnlyFromTheBattlesPlayersForTheOtherMachine) {
  Game_Settings.f_turn_empire = 2;
  // Player 2 attacks player 3: its machine announces the battle for player 3's.
  std::string begin = "100  3" + MP_Encode_Integer(2) + "T" + MP_Encode_String("Land") + "  2  3  3";
  EXPECT_FALSE(From_Client(2, "100  2" + begin.substr(6)));  // a step for its own machine
  EXPECT_TRUE(From_Client(2, begin));
  EXPECT_EQ(MP_Combat_Attacker_Plr, 2);
  EXPECT_EQ(MP_Combat_Defender_Plr, 3);
  // Player 3 answers with steps for player 2's machine, outside its turn.
  EXPECT_TRUE(From_Client(3, "108  2" + MP_Encode_Integer(4) + MP_Encode_Integer(5) + MP_Encode_Integer(9)));
  EXPECT_FALSE(From_Client(3, "108  3" + MP_Encode_Integer(4) + MP_Encode_Integer(5) + MP_Encode_Integer(9)));
  // Results only in the sender's own name.
  EXPECT_TRUE(From_Client(3, "116  3  3" + MP_Encode_Integer(2) + "  2  3"));
  EXPECT_FALSE(From_Client(3, "116  2  3" + MP_Encode_Integer(2) + "  2  3"));
}

TEST_F(Game_Actions_Test, QueueAppliesBattleStepsOnlyOnTheExecutingMachineAndResultsOnlyElsewhere) {
  Game_Settings.f_game_kind = 4;
  Game_Settings.f_local_empire = 3;
  auto client_gets = [&](const std::string& line) { Multiplayer_Process_Message(MP_SOURCE_HOST, 0, line, false); };
  client_gets("101  3" + MP_Encode_Integer(2) + "F" + MP_Encode_String("Land") + "  2  3  3");
  client_gets("109  2" + MP_Encode_Integer(4) + MP_Encode_Integer(5) + MP_Encode_Integer(9));  // for player 2
  client_gets("109  3" + MP_Encode_Integer(6) + MP_Encode_Integer(7) + MP_Encode_Integer(1));
  client_gets("117  3  2" + MP_Encode_Integer(2) + "  2  3");  // sent by this machine
  client_gets("117  2  2" + MP_Encode_Integer(2) + "  2  3");
  ASSERT_EQ(links.queue.m_Count(), 5);
  for (int frame = 0; frame < 5; ++frame) links.queue.m_Process_Queue(0.01f);
  EXPECT_EQ(links.calls, (std::vector<std::string>{"begin 2 Land 2/3", "attack 6,7 1", "results 2 2"}));
  // The mirroring defender knows both players of the battle.
  EXPECT_EQ(MP_Combat_Attacker_Plr, 2);
  EXPECT_EQ(MP_Combat_Defender_Plr, 3);
  EXPECT_EQ(Combat_Get_Execute_Plr(), 2);
}

TEST_F(Game_Actions_Test, BattleAgainstAComputerSendsNoStepsButItsResults) {
  empires.m_Get_Empire(2)->m_Set_Computer_Controlled(true);
  TCombat_Links combat;
  combat.m_Send_Combat_Begin(2, false, "Land", 2, 2, 1);
  combat.m_Send_Attack(1, 1, 5);
  combat.m_Send_Move(1, 2);
  EXPECT_FALSE(Game_Command_Post_Battle_Step(TCommand_Battle_Begin_Dialog{}));
  EXPECT_TRUE(links.to_all.empty());
  combat.m_Send_End_Results(1, 2, 1, 2);
  combat.m_Send_End_Delete_Unit(5, 0);
  ASSERT_EQ(links.to_all.size(), 2u);
  EXPECT_EQ(Code_Of(links.to_all[0]), 117);
  EXPECT_EQ(links.queue.m_Count(), 0);  // the host made the change itself
}

TEST_F(Game_Actions_Test, LostClientBecomesAComputerPlayerOnce) {
  Multiplayer_Event(MP_SERVER_CLIENT_DISCONNECTED, 13, "");
  Multiplayer_Event(MP_SERVER_CLIENT_DISCONNECTED, 13, "");
  EXPECT_TRUE(empires.m_Get_Empire(3)->m_Get_Computer_Controlled());
  EXPECT_EQ(Game_Settings.m_Player(3).f_connected, 0);
  ASSERT_EQ(links.to_all.size(), 2u);
  EXPECT_EQ(links.to_all[0], MP_Encode_Byte(68) + MP_Encode_Byte(3));
  EXPECT_EQ(links.to_all[1], MP_Encode_Byte(2) + MP_Encode_String("") + MP_Encode_String("Player Player3 disconnected."));
  EXPECT_EQ(links.chat, std::vector<std::string>{": Player Player3 disconnected."});
  // The host takes the change in its queue's turn too.
  ASSERT_EQ(links.queue.m_Count(), 1);
  EXPECT_EQ(links.queue.m_Get(1).code, 68);
  EXPECT_EQ(links.queue.m_Get(1).payload, MP_Encode_Byte(3));
  links.queue.m_Process_Queue(0);
  EXPECT_EQ(links.queue.m_Count(), 0);

  // On a joined machine the same reaches the queue as code 68.
  Game_Settings.f_game_kind = 4;
  Multiplayer_Process_Message(MP_SOURCE_HOST, 0, "068  2", false);
  links.queue.m_Process_Queue(0);
  EXPECT_TRUE(empires.m_Get_Empire(2)->m_Get_Computer_Controlled());
  Multiplayer_Event(MP_CLIENT_DISCONNECTED, 0, "");
  EXPECT_EQ(links.chat.back(), "You have disconnected from the game.");
  EXPECT_EQ(links.calls, (std::vector<std::string>{"show chat", "lock"}));
}

// The computer nation whose turn it is gives its battle against a joined
// human to that human's machine, which sends only the results of a battle
// against the computer. The host takes them from that player, whatever
// battle it heard of before, and knows the battle is over.
TEST_F(Game_Actions_Test, ResultsOfABattleGivenToAPlayersMachineAreTakenFromThatPlayer) {
  empires.m_Get_Empire(3)->m_Set_Computer_Controlled(true);
  Game_Settings.m_Player(3).f_connected = 0;
  Game_Settings.f_turn_empire = 3;
  MP_Combat_Attacker_Plr = 1;  // an earlier battle between players 1 and 3
  MP_Combat_Defender_Plr = 3;
  AI_Get_Links().m_Send_Combat_Plr_Start(2, 2);
  ASSERT_EQ(links.to_all.size(), 1u);
  EXPECT_EQ(links.to_all[0], "126  2" + MP_Encode_Integer(2));
  EXPECT_EQ(MP_Battle_Elsewhere.region, 2);
  EXPECT_TRUE(From_Client(2, "114  2" + MP_Encode_Integer(5) + MP_Encode_Integer(0)));
  EXPECT_EQ(MP_Battle_Elsewhere.region, 2);
  EXPECT_TRUE(From_Client(2, "116  2  3" + MP_Encode_Integer(2) + "  3  2"));
  EXPECT_EQ(MP_Battle_Elsewhere.region, 0);
  ASSERT_EQ(links.to_all.size(), 3u);
  EXPECT_EQ(Code_Of(links.to_all[2]), 117);
}

// A player is lost in his own turn: once the host has carried out what he
// sent before (its own copy of the change comes after it in the queue) and
// nothing else runs, the computer plays the rest of his turn, through the
// change of turn a computer player's turn takes; once only.
TEST_F(Game_Actions_Test, TheTurnOfAPlayerLostInItIsPlayedToItsEndByTheComputerOnce) {
  Lost_Player_Install();
  auto Records = [&] {
    std::string r;
    for (std::int32_t i = 1; i <= timer.m_Record_Count(); ++i)
      r += (r.empty() ? "" : " ") + std::to_string(timer.m_Get_Record(i).kind) + "/" +
           std::to_string(timer.m_Get_Record(i).step);
    return r;
  };
  const std::string end_turn_at_play = std::to_string(ACTION_END_TURN) + "/9";
  Game_Settings.f_turn_empire = 3;
  std::int32_t unit = Place(1, UT_INFANTRY, 3);
  EXPECT_TRUE(From_Client(3, Move(3, {unit})));  // his order, relayed before he goes
  Multiplayer_Event(MP_SERVER_CLIENT_DISCONNECTED, 13, "");
  ASSERT_EQ(links.queue.m_Count(), 2);
  EXPECT_EQ(links.queue.m_Get(2).code, 68);
  links.queue.m_Process_Queue(0);  // his move starts
  EXPECT_EQ(timer.m_Record_Count(), 1);
  timer.m_Clear();
  links.queue.m_Process_Queue(0);  // the change to the computer
  EXPECT_EQ(Records(), "");
  links.queue.m_Process_Queue(0);
  EXPECT_EQ(Records(), end_turn_at_play);
  links.queue.m_Process_Queue(0);
  EXPECT_EQ(Records(), end_turn_at_play);
  timer.m_Clear();

  // Not while a battle between players is fought on other machines; once
  // nobody of it is left, the host fights what is left of it itself.
  MP_Battle_Elsewhere = TMP_Battle_Elsewhere{2, 3, 2};
  links.queue.m_Process_Queue(0);
  EXPECT_EQ(Records(), "");
  Multiplayer_Event(MP_SERVER_CLIENT_DISCONNECTED, 12, "");
  links.queue.m_Process_Queue(0);
  links.queue.m_Process_Queue(0);
  EXPECT_EQ(MP_Battle_Elsewhere.region, 0);
  links.queue.m_Process_Queue(0);
  EXPECT_EQ(Records(), end_turn_at_play);
  timer.m_Clear();

  // Not in the turn of a player still at his machine.
  Game_Settings.f_turn_empire = 1;
  links.queue.m_Process_Queue(0);
  EXPECT_EQ(Records(), "");
  Set_MP_Lost_Player_Links(nullptr);
}

TEST_F(Game_Actions_Test, ThreeLegMoveStartsTogetherOnceItsLastLegArrives) {
  Game_Settings.f_game_kind = 4;
  Game_Settings.f_local_empire = 2;
  std::int32_t unit = Place(1, UT_INFANTRY, 1);
  auto leg = [&](bool more) { return Move(1, {unit}, more, 51); };
  Multiplayer_Process_Message(MP_SOURCE_HOST, 0, leg(true), false);
  Multiplayer_Process_Message(MP_SOURCE_HOST, 0, leg(true), false);
  links.queue.m_Process_Queue(0);
  EXPECT_EQ(timer.m_Record_Count(), 0);
  Multiplayer_Process_Message(MP_SOURCE_HOST, 0, leg(false), false);
  links.queue.m_Process_Queue(0);
  ASSERT_EQ(timer.m_Record_Count(), 3);
  EXPECT_EQ(links.queue.m_Count(), 0);
  // Each leg waits in the timer for the leg before it.
  EXPECT_EQ(timer.m_Get_Record(2).awaited_id, timer.m_Get_Record(1).id);
  EXPECT_EQ(timer.m_Get_Record(3).awaited_id, timer.m_Get_Record(2).id);
}

TEST_F(Game_Actions_Test, ARelayedLegWaitsForTheActionBeforeOnlyWhenItsMessageSaysSo) {
  Game_Settings.f_game_kind = 4;
  Game_Settings.f_local_empire = 2;
  const std::int32_t unit = Place(1, UT_INFANTRY, 1);
  // Two legs relayed in one batch: the second's wait flag decides whether
  // its timer action waits for the first's.
  for (const bool follows : {false, true}) {
    SCOPED_TRACE(follows ? "the second leg waits" : "the second leg does not wait");
    timer.m_Clear();
    TMP_Message first = Game_Command_Messages(TCommand_Move{1, {2}, UT_INFANTRY, 1, {unit}})[0];
    first.values[5].number = 1;  // more legs follow
    const TMP_Message second = Game_Command_Messages(TCommand_Move{2, {1}, UT_INFANTRY, 1, {unit}, follows})[0];
    EXPECT_EQ(second.m_Int(4), follows ? 1 : 0);
    Multiplayer_Process_Message(MP_SOURCE_HOST, 0, MP_Encode_As(LAN_MSG_TO_CLIENT_ACTION_MOVE_UNIT, first), false);
    Multiplayer_Process_Message(MP_SOURCE_HOST, 0, MP_Encode_As(LAN_MSG_TO_CLIENT_ACTION_MOVE_UNIT, second), false);
    links.queue.m_Process_Queue(0);
    ASSERT_EQ(timer.m_Record_Count(), 2);
    EXPECT_EQ(links.queue.m_Count(), 0);
    EXPECT_EQ(timer.m_Get_Record(1).awaited_id, 0);
    EXPECT_EQ(timer.m_Get_Record(2).awaited_id, follows ? timer.m_Get_Record(1).id : 0);
  }
}

TEST_F(Game_Actions_Test, ARelayedLoadTakesTheUnitFromItsRegionOnlyWhenItsMessageSaysSo) {
  Game_Settings.f_game_kind = 4;
  Game_Settings.f_local_empire = 2;
  Add_Region(3, REGION_OCEAN, 2, 2, 128, 0);
  Connect(1, 3);
  for (const bool remove : {true, false}) {
    SCOPED_TRACE(remove ? "taken from the region" : "left in the region's list");
    timer.m_Clear();
    const std::int32_t ship = Place(3, UT_SHIP, 1);
    const std::int32_t unit = Place(1, UT_INFANTRY, 1);
    const TMP_Message load = Game_Command_Messages(TCommand_Load{1, 1, ship, unit, remove})[0];
    EXPECT_EQ(load.m_Bool(4), remove);
    Multiplayer_Process_Message(MP_SOURCE_HOST, 0, MP_Encode_As(LAN_MSG_TO_CLIENT_ACTION_ADD_UNIT_TO_UNIT_CARGO, load), false);
    links.queue.m_Process_Queue(0);
    EXPECT_EQ(links.queue.m_Count(), 0);
    TMap_Unit_Record s;
    map.m_Get_Unit(ship, s);
    ASSERT_NE(s.cargo_list, 0);
    EXPECT_EQ(map.m_Get_Cargo_Unit(s.cargo_list, 1), unit);
    EXPECT_EQ(map.m_Get_Region(1)->m_Has_Unit_Id(unit), !remove);
  }
}

TEST_F(Game_Actions_Test, QueueStartsOneActionPerFrameAndWaitsForItsTimerAction) {
  TMultiplayer_Action_Queue& q = links.queue;
  std::int32_t unit = Place(1, UT_INFANTRY, 1);
  // A finished order, then the first leg of an order still arriving: the
  // first order starts, the second waits for its last leg.
  q.m_Add_Action(51, Move(1, {unit}, false, 51).substr(3));
  q.m_Add_Action(51, Move(1, {unit}, true, 51).substr(3));
  q.m_Add_Action(64, MP_Encode_Integer(7));
  q.m_Process_Queue(0);
  EXPECT_EQ(timer.m_Record_Count(), 1);
  EXPECT_EQ(q.m_Count(), 2);
  // Nothing more starts while the move runs.
  q.m_Process_Queue(0);
  EXPECT_EQ(q.m_Count(), 2);
  timer.m_Get_Record(1).done = true;
  timer.m_Remove_Done_Actions();
  // The pending leg is followed by another action: the leg starts alone.
  q.m_Process_Queue(0);
  EXPECT_EQ(q.m_Count(), 1);
  EXPECT_NE(Game_Settings.f_game_date, 7);
}

TEST_F(Game_Actions_Test, UndecodableActionIsDroppedAndTheQueueMovesOn) {
  TMultiplayer_Action_Queue& q = links.queue;
  q.m_Add_Action(64, "garbage");
  q.m_Add_Action(64, MP_Encode_Integer(42));
  q.m_Process_Queue(0);
  EXPECT_EQ(q.m_Count(), 1);
  q.m_Process_Queue(0);
  EXPECT_EQ(q.m_Count(), 0);
  EXPECT_EQ(Game_Settings.f_game_date, 42);
}

TEST_F(Game_Actions_Test, UnfinishedMoveOfALeavingPlayerIsDropped) {
  TMultiplayer_Action_Queue& q = links.queue;
  q.m_Add_Action(51, Move(3, {1}, true, 51).substr(3));
  q.m_Add_Action(51, Move(2, {2}, true, 51).substr(3));
  q.m_Add_Action(51, Move(2, {2}, false, 51).substr(3));
  q.m_Add_Action(51, Move(3, {1}, true, 51).substr(3));
  // Both of player 3's open legs go; player 2's finished order stays.
  q.m_Drop_Unfinished_Moves(3);
  ASSERT_EQ(q.m_Count(), 2);
  EXPECT_TRUE(q.m_Is_Move_Batch_Pending(1));
  EXPECT_FALSE(q.m_Is_Move_Batch_Pending(2));
}

TEST(Multiplayer_Action_Queue, CapacityGrowsInStepsOfOneHundred) {
  TMultiplayer_Action_Queue q;
  for (int i = 0; i < 101; ++i) q.m_Add_Action(64, MP_Encode_Integer(i));
  EXPECT_EQ(q.m_Count(), 101);
  EXPECT_EQ(q.m_Capacity(), 200);
  q.m_Delete(1);
  EXPECT_EQ(q.m_Get(1).payload, MP_Encode_Integer(1));
  EXPECT_THROW(q.m_Delete(101), ERangeError);
  q.m_Clear();
  EXPECT_EQ(q.m_Capacity(), 0);
}

TEST_F(Game_Actions_Test, ReceivedPurchasesReplaceTheQueueAndCargoLoadsOnEveryMachine) {
  Game_Settings.f_game_kind = 4;
  Multiplayer_Process_Message(MP_SOURCE_HOST, 0,
                              "061  2" + MP_Encode_Integer(1) + "  1" + MP_Encode_Integer(3) + MP_Encode_Word(2) +
                                  MP_Encode_Integer(2) + MP_Encode_Integer(20),
                              false);
  links.queue.m_Process_Queue(0);
  TEmpire_Purchase p;
  ASSERT_EQ(empires.m_Get_Empire(2)->m_Get_Purchase_Count(), 1);
  empires.m_Get_Empire(2)->m_Get_Purchase(1, p);
  EXPECT_EQ(p, (TEmpire_Purchase{1, 3, 2, 2, 20}));
}

// --- Over loopback sockets ------------------------------------------------------

#include "Multiplayer_Server.h"
#include "Net_Test_Support.h"

namespace {

struct TSocket_Links : TFake_Links {
  TMultiplayer_Server* server = nullptr;
  TMultiplayer_Server* m_Server() override { return server; }
  void m_Send_To_All(const std::string& text) override { TMP_Game_Links::m_Send_To_All(text); }
};

class Relay_Socket_Test : public Game_Actions_Test {
protected:
  void SetUp() override {
    Game_Actions_Test::SetUp();
    sockets.server = &server;
    Set_MP_Game_Links(&sockets);
    server.f_event_handler = [this](MP_Event_Code c, std::int32_t id, const std::string& t) {
      if (c == MP_SERVER_CLIENT_CONNECTED) joined.push_back(id);
      Multiplayer_Event(c, id, t);
    };
    server.m_Listen("127.0.0.1", "0");
    port = std::stoi(server.Socket()->GetLocalPort());
  }
  void TearDown() override {
    Set_MP_Game_Links(&links);
    Game_Actions_Test::TearDown();
  }
  // Joins and takes the player slot.
  TRaw_Peer Join(std::int32_t slot) {
    TRaw_Peer p = TRaw_Peer::Connect(port);
    EXPECT_TRUE(Pump_Until([&] { return joined.size() == static_cast<std::size_t>(slot - 1); }));
    Game_Settings.m_Player(slot).f_client_id = static_cast<std::uint16_t>(joined.back());
    return p;
  }

  TSocket_Links sockets;
  TMultiplayer_Server server;
  std::vector<std::int32_t> joined;
  int port = 0;
};

}  // namespace

TEST_F(Relay_Socket_Test, ClientsOrderReachesEveryClientAsItsPartnerAndTheHostsQueueOnce) {
  Game_Settings.f_turn_empire = 2;
  std::int32_t unit = Place(2, UT_INFANTRY, 2);
  TRaw_Peer two = Join(2);
  TRaw_Peer three = Join(3);
  std::string order = Move(2, {unit});
  two.Write("QX" + order + "\r\n");
  std::string relayed = "QX" + MP_Encode_Byte(51) + order.substr(3) + "\r\n";
  EXPECT_TRUE(two.Wait_For(relayed));
  EXPECT_TRUE(three.Wait_For(relayed));
  ASSERT_EQ(sockets.queue.m_Count(), 1);
  EXPECT_EQ(sockets.queue.m_Get(1).code, 51);
}

TEST_F(Relay_Socket_Test, HostileClientNeitherStopsTheHostNorChangesItsGame) {
  Game_Settings.f_turn_empire = 2;
  std::int32_t unit = Place(2, UT_INFANTRY, 2);
  TRaw_Peer two = Join(2);
  TRaw_Peer three = Join(3);
  // Player 3, outside its turn: garbage, forged counts, codes only the host
  // sends, orders in other players' names; 10,000 lines in all.
  const std::string lines[] = {
      "QXgarbage\r\n",
      "QX" + MP_Encode_Byte(58) + "  0" + MP_Encode_Integer(2000000000) + "\r\n",
      "QX" + MP_Encode_Byte(64) + MP_Encode_Integer(999) + "\r\n",
      "QX" + MP_Encode_Byte(68) + MP_Encode_Byte(1) + "\r\n",
      "QX" + Move(2, {unit}) + "\r\n",
      "QX" + MP_Encode_Byte(62) + MP_Encode_Byte(2) + "\r\n",
      "QX" + MP_Encode_Byte(51) + Move(3, {unit}).substr(3) + "\r\n",
      "\x01\x02\xff\r\n",
  };
  std::string flood;
  for (int i = 0; i < 10000; ++i) flood += lines[i % 8];
  three.Write(flood);
  three.Write("QX" + MP_Encode_Byte(1) + MP_Encode_String("x") + MP_Encode_String("done") + "\r\n");
  ASSERT_TRUE(Pump_Until([&] { return !sockets.chat.empty(); }, 20000));
  EXPECT_EQ(sockets.chat.back(), "Player3: done");
  EXPECT_EQ(sockets.queue.m_Count(), 0);
  EXPECT_EQ(timer.m_Record_Count(), 0);
  EXPECT_EQ(Game_Settings.f_game_date, 0);
  EXPECT_FALSE(empires.m_Get_Empire(1)->m_Get_Computer_Controlled());
  // The honest player still plays.
  two.Write("QX" + Move(2, {unit}) + "\r\n");
  EXPECT_TRUE(Pump_Until([&] { return sockets.queue.m_Count() == 1; }));
}

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "Game_Command_Post.h"
#include "Native_Path.h"

// A joined machine that attacks the host in its own turn with lines the
// game's check refuses: forged battles, purchases below the host's price or
// past the bound, a move naming thousands of units that do not exist.
TEST_F(Relay_Socket_Test, HostileClientsForgedBattlesPricesAndUnitsChangeNothingAndOthersStayConnected) {
  Game_Command_Install_Check();
  struct TUninstall {
    ~TUninstall() { Set_MP_Command_Check(nullptr); }
  } uninstall;
  Game_Settings.f_turn_empire = 2;
  Type(UT_INFANTRY).f_cost = 10;
  const std::int32_t mine = Place(2, UT_INFANTRY, 2);
  const std::int32_t theirs = Place(1, UT_INFANTRY, 3);
  empires.m_Get_Empire(2)->m_Set_Treasury(100);
  TRaw_Peer two = Join(2);
  TRaw_Peer three = Join(3);
  const std::string folder = testing::TempDir() + "hostile_client/";
  std::filesystem::create_directories(folder);
  auto files = [&] {
    EXPECT_TRUE(map.m_Save_To_File(Design_Path(folder) + "CurrentMap.map", false, Map_File_Version));
    EXPECT_TRUE(empires.m_Save_To_File(Design_Path(folder) + "Empires.dat"));
    std::string bytes;
    for (const char* name : {"CurrentMap.map", "Empires.dat"}) {
      std::ifstream f(folder + name, std::ios::binary);
      bytes += std::string(std::istreambuf_iterator<char>(f), {}) + "|";
    }
    return bytes;
  };
  const std::string before = files();
  auto purchases = [](std::int32_t cost, std::uint16_t amount, std::size_t entries) {
    TCommand_Purchases p{2, {}};
    for (std::size_t i = 0; i < entries; ++i) p.entries.push_back({PURCHASE_UNIT, UT_INFANTRY, amount, 2, cost});
    return MP_Encode_Message(Game_Command_Messages(p)[0]);
  };
  std::vector<std::int32_t> unknown;
  for (std::int32_t i = 0; i < 3000; ++i) unknown.push_back(50000 + i);
  const std::string lines[] = {
      // A battle begun where none is, units of the other player deleted,
      // the other player's home region taken.
      "100  3" + MP_Encode_Integer(1) + "F" + MP_Encode_String("Land") + "  2  3  3",
      "114  2" + MP_Encode_Integer(theirs) + MP_Encode_Integer(0),
      "112  2" + MP_Encode_Integer(0) + "  2  3  2  3" + MP_Encode_Integer(1) + "T" + MP_Encode_Integer(0),
      "116  2  2" + MP_Encode_Integer(1) + "  2  3",
      purchases(0, 3, 1),
      purchases(-1000000, 3, 1),
      purchases(INT_MIN, 3, 1),
      purchases(655350, 65535, 20),
      MP_Encode_Message(Game_Command_Messages(TCommand_Move{2, {1}, UT_INFANTRY, 2, unknown})[0]),
  };
  for (const std::string& line : lines) two.Write("QX" + line + "\r\n");
  two.Write("QX" + MP_Encode_Byte(1) + MP_Encode_String("x") + MP_Encode_String("done") + "\r\n");
  // Both joined machines hear the attacker's last chat: the host is up and
  // neither was dropped.
  const std::string done = "QX" + MP_Encode_Byte(2) + MP_Encode_String("Player2") + MP_Encode_String("done") + "\r\n";
  EXPECT_TRUE(two.Wait_For(done));
  EXPECT_TRUE(three.Wait_For(done));
  EXPECT_EQ(sockets.queue.m_Count(), 0);
  EXPECT_EQ(timer.m_Record_Count(), 0);
  EXPECT_EQ(files(), before);
  // The same game without the attacker's lines goes on: a fair order of
  // the same player is taken and reaches every machine.
  const std::string order = MP_Encode_Message(Game_Command_Messages(TCommand_Move{2, {1}, UT_INFANTRY, 2, {mine}})[0]);
  two.Write("QX" + order + "\r\n");
  const std::string relayed = "QX" + MP_Encode_Byte(51) + order.substr(3) + "\r\n";
  EXPECT_TRUE(three.Wait_For(relayed));
  EXPECT_EQ(sockets.queue.m_Count(), 1);
}
