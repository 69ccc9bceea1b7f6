#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../world/World_Fixture.h"
#include "Debug_Log.h"
#include "GameSettings.h"
#include "Global.h"
#include "Game_Command_Post.h"
#include "Game_Commands.h"
#include "MasterActionTimer.h"
#include "Multiplayer_ActionQueue.h"
#include "Multiplayer_GameActions.h"
#include "Native_Path.h"

namespace {

// What the relay sends.
struct TRelay_Links : TMP_Game_Links {
  TMultiplayer_Action_Queue queue;
  std::vector<std::string> to_all, to_host;
  TMultiplayer_Action_Queue* m_Action_Queue() override { return &queue; }
  void m_Send_To_All(const std::string& text) override { to_all.push_back(text); }
  void m_Send_To_Host(const std::string& text) override { to_host.push_back(text); }
};

std::string File_Bytes(const std::string& native) {
  std::ifstream f(native, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// A host with four players: slot 1 plays here, slots 2 to 4 are joined
// machines (client ids 12 to 14). It is player 2's turn. Regions 1, 2 and
// 3 lie in a row (1-2, 2-3); region 3 holds a battle between players 2 and
// 3.
class Game_Commands_Host : public World_Test {
protected:
  void SetUp() override {
    World_Test::SetUp();
    Master_Action_Timer = &timer;
    Set_MP_Game_Links(&relay);
    Game_Command_Install_Check();
    empires.m_Create_Empires(4);
    for (std::int32_t n = 1; n <= 4; ++n) empires.m_Get_Empire(n)->m_Set_Treasury(500);
    Game_Settings.f_game_kind = 3;
    Game_Settings.f_local_empire = 1;
    Game_Settings.f_turn_empire = 2;
    Game_Settings.f_player_count = 4;
    for (std::int32_t slot = 1; slot <= 4; ++slot) {
      Game_Settings.m_Player(slot).f_client_id = std::uint16_t(slot == 1 ? 0 : 10 + slot);
      Game_Settings.m_Player(slot).f_connected = slot == 1 ? 2 : 1;
    }
    Add_Region(1, 1, 2, 2, 0, 0, 2);
    Add_Region(2, 1, 2, 2, 64, 0, 2);
    Add_Region(3, 1, 2, 2, 128, 0, 3);
    Connect(1, 2);
    Connect(2, 3);
    Type(UT_INFANTRY).f_cost = 10;
    own = Place(1, UT_INFANTRY, 2, 1);
    runner = Place(1, UT_INFANTRY, 2, 2);
    foreign = Place(3, UT_INFANTRY, 3);
    attacker_in_battle = Place(3, UT_INFANTRY, 2);
    map.m_Add_Combat_Region(3);
    folder = testing::TempDir() + "game_commands_host/";
    std::filesystem::create_directories(folder);
    // The refusals are logged with their reasons, in a log of this test's
    // own.
    saved_user_folder = User_Folder;
    std::filesystem::create_directories(folder + "user/Backup");
    User_Folder = Design_Path(folder + "user/");
    Debug_Enabled = true;
    Debug_Sections[DEBUG_MULTIPLAYER] = true;
    log_file = Native_Path(Debug_Log_File_Name());
    std::filesystem::remove(log_file);
  }
  void TearDown() override {
    Debug_Sections[DEBUG_MULTIPLAYER] = false;
    Debug_Enabled = false;
    User_Folder = saved_user_folder;
    Set_MP_Command_Check(nullptr);
    Set_MP_Game_Links(nullptr);
    Master_Action_Timer = nullptr;
    World_Test::TearDown();
  }

  // The game's two files as this machine would write them.
  std::string Files() {
    const std::string dir = Design_Path(folder);
    EXPECT_TRUE(map.m_Save_To_File(dir + "CurrentMap.map", false, Map_File_Version));
    EXPECT_TRUE(empires.m_Save_To_File(dir + "Empires.dat"));
    return File_Bytes(folder + "CurrentMap.map") + "|" + File_Bytes(folder + "Empires.dat");
  }
  bool From(std::int32_t slot, const TMP_Message& m) {
    return Multiplayer_Process_Message(MP_SOURCE_CLIENT, 10 + slot, MP_Encode_Message(m), false);
  }
  bool From(std::int32_t slot, const TGame_Command& c) {
    bool all = true;
    for (const TMP_Message& m : Game_Command_Messages(c)) all = From(slot, m) && all;
    return all;
  }
  static TMP_Message Step(std::uint8_t code, std::vector<std::int64_t> numbers) {
    TMP_Message m;
    m.code = code;
    const std::vector<TMP_Field_Kind> kinds = [&] {
      switch (code) {
        case 108: return std::vector<TMP_Field_Kind>{TMP_Field_Kind::Byte, TMP_Field_Kind::Integer,
                                                     TMP_Field_Kind::Integer, TMP_Field_Kind::Integer};
        case 114: return std::vector<TMP_Field_Kind>{TMP_Field_Kind::Byte, TMP_Field_Kind::Integer,
                                                     TMP_Field_Kind::Integer};
        case 116: return std::vector<TMP_Field_Kind>{TMP_Field_Kind::Byte, TMP_Field_Kind::Byte,
                                                     TMP_Field_Kind::Integer, TMP_Field_Kind::Byte,
                                                     TMP_Field_Kind::Byte};
        default: return std::vector<TMP_Field_Kind>{};
      }
    }();
    for (std::size_t i = 0; i < numbers.size(); ++i) {
      TMP_Value v;
      v.kind = kinds.at(i);
      v.number = numbers[i];
      m.values.push_back(v);
    }
    return m;
  }
  static TMP_Message Begin(std::uint8_t execute, std::int32_t region, std::uint8_t attacker, std::uint8_t defender) {
    return MP_Decode_Message("100" + MP_Encode_Byte(execute) + MP_Encode_Integer(region) + "F" +
                             MP_Encode_String("Land") + MP_Encode_Byte(attacker) + MP_Encode_Byte(defender) +
                             MP_Encode_Byte(defender));
  }
  static TCommand_Purchases Buy(std::uint8_t player, std::int32_t cost, std::uint16_t amount = 3,
                                std::size_t entries = 1) {
    TCommand_Purchases p{player, {}};
    for (std::size_t i = 0; i < entries; ++i) p.entries.push_back({PURCHASE_UNIT, UT_INFANTRY, amount, 1, cost});
    return p;
  }
  std::string Log_Text() { return File_Bytes(log_file); }

  TMaster_Action_Timer timer;
  TRelay_Links relay;
  std::int32_t own = 0, runner = 0, foreign = 0, attacker_in_battle = 0;
  std::string folder, log_file, saved_user_folder;
};

TEST_F(Game_Commands_Host, EachRefusalIsDroppedWithItsReasonAndLeavesTheGameAsItWas) {
  std::vector<std::int32_t> unknown;
  for (std::int32_t i = 0; i < 3000; ++i) unknown.push_back(100000 + i);
  struct TCase {
    const char* name;
    std::int32_t slot;
    std::variant<TGame_Command, TMP_Message> what;
    const char* reason;
  } cases[] = {
      {"another player's unit", 2, TCommand_Move{1, {2}, UT_INFANTRY, 2, {own, foreign}}, "belongs to player 3"},
      {"a unit that does not exist", 2, TCommand_Move{1, {2}, UT_INFANTRY, 2, {own, 777}}, "unit 777 does not exist"},
      {"a move naming 3,000 unknown units", 2, TCommand_Move{1, {2}, UT_INFANTRY, 2, unknown},
       "3000 units in one command"},
      {"out of turn", 3, TCommand_Set_Movement{{foreign}}, "player 3 acted outside its turn"},
      {"a leg that skips a region", 2, TCommand_Move{1, {3}, UT_INFANTRY, 2, {own}}, "is not next to region 1"},
      {"units not where the move starts", 2, TCommand_Move{2, {3}, UT_INFANTRY, 2, {own}}, "stands in region 1"},
      {"decommission of a unit of another player", 2, TCommand_Decommission{3, 2, {foreign}}, "belongs to player 3"},
      {"a load that leaves the unit in its region", 2, TCommand_Load{1, 2, own, own, false},
       "boards and stays listed in its region"},
      {"an unload that puts the unit in no region", 2, TCommand_Unload{2, 2, own, own, false, false},
       "leaves its transport for no region"},
      {"a purchase at cost 0", 2, Buy(2, 0), "priced 0 instead of 30"},
      {"a purchase at cost -1,000,000", 2, Buy(2, -1000000), "priced -1000000 instead of 30"},
      {"a purchase at cost -2,147,483,648", 2, Buy(2, INT_MIN), "priced -2147483648 instead of 30"},
      {"20 purchases of 65,535 units", 2, Buy(2, 655350, 65535, 20), "cannot be made"},
      {"purchases for another player", 2, Buy(3, 30), "purchases for player 3"},
      {"end of another player's turn", 2, TCommand_End_Turn{3}, "end of turn for player 3"},
      {"a battle step with no battle under way", 3, Step(108, {2, 1, 1, 5}), "no battle is under way"},
      {"a battle begun where no battle is", 2, Begin(3, 1, 2, 3), "region 1 holds no battle"},
      {"a battle begun between other players", 2, Begin(4, 3, 2, 4), "is not between players 2 and 4"},
      {"a forged deletion of a unit in no battle", 2, Step(114, {2, own, 0}), "is in no battle"},
      {"a forged result in another player's name", 2, Step(116, {3, 2, 3, 2, 3}), "in the name of player 3"},
      {"a forged result giving the region away", 4, Step(116, {4, 4, 3, 2, 3}), "takes no part in the battle"},
  };
  const std::string before = Files();
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const bool taken = std::holds_alternative<TMP_Message>(c.what) ? From(c.slot, std::get<TMP_Message>(c.what))
                                                                     : From(c.slot, std::get<TGame_Command>(c.what));
    EXPECT_FALSE(taken);
    EXPECT_NE(Log_Text().find(c.reason), std::string::npos);
    EXPECT_TRUE(relay.to_all.empty());
    EXPECT_EQ(relay.queue.m_Count(), 0);
    EXPECT_EQ(timer.m_Record_Count(), 0);
    EXPECT_EQ(Files(), before);
  }
}

TEST_F(Game_Commands_Host, LegalCommandsAreRelayedAndQueuedOnce) {
  const std::int64_t price = *Game_Command_Purchase_Price(2, {PURCHASE_UNIT, UT_INFANTRY, 3, 1, 0});
  EXPECT_EQ(price, 30);
  const TGame_Command legal[] = {
      TCommand_Move{1, {2}, UT_INFANTRY, 2, {own}},
      TCommand_Move{1, {2, 3}, UT_INFANTRY, 2, {runner}},
      TCommand_Set_Movement{{own}},
      TCommand_Decommission{1, 2, {own}},
      Buy(2, 30),
  };
  std::size_t messages = 0;
  for (const TGame_Command& c : legal) {
    SCOPED_TRACE(Game_Command_Name(c));
    EXPECT_TRUE(From(2, c));
    messages += Game_Command_Messages(c).size();
    EXPECT_EQ(relay.to_all.size(), messages);
    EXPECT_EQ(relay.queue.m_Count(), std::int32_t(messages));
  }
  // Every relayed line reads back as the command that was sent.
  bool more = false;
  const auto back = Game_Command_Of_Message(MP_Decode_Message(relay.to_all.back()), &more);
  ASSERT_TRUE(back.has_value());
  const auto& purchases = std::get<TCommand_Purchases>(*back);
  ASSERT_EQ(purchases.entries.size(), 1u);
  EXPECT_EQ(purchases.entries[0].cost, 30);
  EXPECT_EQ(purchases.entries[0].amount, 3);
  // A chain of legs longer than the units' moves: its first leg is taken,
  // the leg past the moves is not.
  const std::int32_t slow = Place(1, UT_INFANTRY, 2, 1);
  const std::vector<TMP_Message> legs = Game_Command_Messages(TCommand_Move{1, {2, 3}, UT_INFANTRY, 2, {slow}});
  EXPECT_TRUE(From(2, legs[0]));
  EXPECT_FALSE(From(2, legs[1]));
  EXPECT_NE(Log_Text().find("has 1 moves left for leg 2"), std::string::npos);
  // While a move's legs come, a leg that does not continue it is not taken.
  const std::int32_t fast = Place(1, UT_INFANTRY, 2, 2);
  EXPECT_TRUE(From(2, Game_Command_Messages(TCommand_Move{1, {2, 3}, UT_INFANTRY, 2, {fast}})[0]));
  EXPECT_FALSE(From(2, Game_Command_Messages(TCommand_Move{1, {2}, UT_INFANTRY, 2, {own}})[0]));
  EXPECT_NE(Log_Text().find("does not continue the player's move"), std::string::npos);
  // The end of the player's own turn is taken (the host runs it itself).
  EXPECT_TRUE(From(2, TCommand_End_Turn{2}));
  EXPECT_TRUE(timer.m_Has_Action_Type(ACTION_END_TURN));
}

TEST_F(Game_Commands_Host, BattleStepsOnlyInsideTheBattleFromItsPlayersForTheOtherMachine) {
  EXPECT_TRUE(From(2, Begin(3, 3, 2, 3)));
  EXPECT_FALSE(From(2, Step(108, {2, 1, 1, 5})));  // a step for its own machine
  EXPECT_FALSE(From(4, Step(108, {2, 1, 1, 5})));  // not a player of the battle
  EXPECT_NE(Log_Text().find("player 4 takes no part in the battle"), std::string::npos);
  EXPECT_TRUE(From(3, Step(108, {2, 1, 1, 5})));
  // Deletions only of the battle's units.
  EXPECT_FALSE(From(3, Step(114, {3, own, 0})));
  EXPECT_NE(Log_Text().find("stands outside the battle"), std::string::npos);
  EXPECT_TRUE(From(3, Step(114, {3, attacker_in_battle, 0})));
  EXPECT_TRUE(From(3, Step(116, {3, 3, 3, 2, 3})));
  // The results end the battle: no more steps.
  EXPECT_FALSE(From(2, Step(108, {3, 1, 1, 5})));
  EXPECT_EQ(relay.to_all.size(), 4u);
}

// Inside the battle the host began between players 2 and 3 (region 3), each
// forged step or result is refused with its reason; the battle goes on.
TEST_F(Game_Commands_Host, InsideABattleEachForgedStepIsRefusedWithItsReason) {
  ASSERT_TRUE(From(2, Begin(3, 3, 2, 3)));
  auto piece = [](std::uint8_t execute, std::int32_t unit, std::uint8_t owner) {
    return TCommand_Battle_Add_Unit{execute, 3, 1, 1, 1, unit, owner, UT_INFANTRY, 1, 0, 0, 0.1f, 0, 0};
  };
  struct TCase {
    const char* name;
    std::int32_t slot;
    TGame_Command step;
    const char* reason;
  } cases[] = {
      {"a step for the sender's own machine", 2, TCommand_Battle_Attack{2, 1, 1, 5}, "battle step for player 2 from player 2"},
      {"a step from a player outside the battle", 4, TCommand_Battle_Attack{2, 1, 1, 5}, "player 4 takes no part in the battle"},
      {"a step for a machine outside the battle", 3, TCommand_Battle_Move{4, 1, 1}, "battle step for player 4 from player 3"},
      {"a dialog closed for the sender's own machine", 3, TCommand_Battle_Begin_Closed{3}, "battle step for player 3 from player 3"},
      {"a second begin from a player outside the battle", 4, TCommand_Battle_Begin{3, 3, false, "Land", 2, 3, 3},
       "player 4 takes no part in the battle"},
      {"a piece of a player outside the battle", 3, piece(2, foreign, 4), "a battle piece of player 4"},
      {"a piece of a unit that does not exist", 3, piece(2, 9999, 2), "unit 9999 does not exist"},
      {"a piece of a unit outside the battle", 3, piece(2, own, 2), "stands outside the battle in region 3"},
      {"a piece of the other player's unit", 3, piece(2, attacker_in_battle, 3), "formed of unit"},
      {"a deletion of a unit outside the battle", 3, TCommand_Battle_Delete_Unit{3, own, 0}, "stands outside the battle"},
      {"a deletion in another player's name", 3, TCommand_Battle_Delete_Unit{2, attacker_in_battle, 0},
       "in the name of player 2"},
      {"results giving the region to a player outside", 3, TCommand_Battle_Results{3, 4, 3, 2, 3},
       "given to player 4, who took no part in the battle"},
      {"results from a player outside the battle", 4, TCommand_Battle_Results{4, 4, 3, 2, 3},
       "player 4 takes no part in the battle"},
      {"a log entry in another player's name", 2, TCommand_Battle_Log{3, 1, 2, 3, 3, 3, 3, true, {}},
       "in the name of player 3"},
  };
  const std::string before = Files();
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(From(c.slot, c.step));
    EXPECT_NE(Log_Text().find(c.reason), std::string::npos);
    EXPECT_EQ(relay.to_all.size(), 1u);  // the begin alone
    EXPECT_EQ(relay.queue.m_Count(), 1);
    EXPECT_EQ(timer.m_Record_Count(), 0);
    EXPECT_EQ(Files(), before);
  }
  // The battle is still open to its players' own steps.
  EXPECT_TRUE(From(3, TCommand_Battle_Attack{2, 1, 1, 5}));
  EXPECT_TRUE(From(3, piece(2, foreign, 3)));
  EXPECT_EQ(relay.to_all.size(), 3u);
}

TEST_F(Game_Commands_Host, APlayerSendsAtMostTheBoundOfCommandsInATurn) {
  for (std::int32_t i = 0; i < Game_Command_Limit; ++i) ASSERT_TRUE(From(2, TCommand_Set_Movement{{own}})) << i;
  const std::string before = Files();
  EXPECT_FALSE(From(2, TCommand_Set_Movement{{own}}));
  EXPECT_NE(Log_Text().find("more than 1000 commands this turn"), std::string::npos);
  EXPECT_EQ(Files(), before);
  // The next turn counts afresh.
  Game_Settings.f_turn_empire = 3;
  Game_Settings.f_turn_empire = 2;
  Game_Settings.f_game_date += 1;
  EXPECT_TRUE(From(2, TCommand_Set_Movement{{own}}));
}

// The computer player's orders on a host: executed here at once, relayed with
// no copy queued here, so that the joined machines replay them.
TEST_F(Game_Commands_Host, AComputerPlayersCommandIsExecutedHereAndRelayedWithoutAQueuedCopy) {
  Game_Settings.f_turn_empire = 1;
  const std::int32_t mine = Place(2, UT_INFANTRY, 1, 1);
  map.m_Get_Region(2)->m_Set_Owner(1);
  const TPost_Result r =
      Game_Command_Post(TCommand_Move{2, {1}, UT_INFANTRY, 1, {mine}}, TCommand_Origin::Computer);
  EXPECT_TRUE(r.accepted);
  EXPECT_NE(r.last_action, 0);
  EXPECT_EQ(timer.m_Record_Count(), 1);
  ASSERT_EQ(relay.to_all.size(), 1u);
  EXPECT_EQ(relay.to_all[0].substr(0, 3), MP_Encode_Byte(51));
  EXPECT_EQ(relay.queue.m_Count(), 0);
  // A human's command on the host goes through the queue like everyone's.
  const TPost_Result h = Game_Command_Post(TCommand_Set_Movement{{mine}});
  EXPECT_TRUE(h.accepted);
  EXPECT_EQ(relay.queue.m_Count(), 1);
}

TEST(Game_Commands, EveryCommandWritesWhatItReadsBack) {
  const TGame_Command commands[] = {
      TCommand_Bombard{4, 5, 3, 2, {7, 8}, 12, {{3, 7, 20}, {4, 8, 21}}},
      TCommand_Load{4, 2, 9, 10},
      TCommand_Unload{5, 2, 9, 10, true},
      // The region flags travel as the message holds them.
      TCommand_Load{4, 2, 9, 10, false},
      TCommand_Unload{5, 2, 9, 10, false, false},
      TCommand_Set_Movement{{1, 2, 3}},
      TCommand_Decommission{6, 3, {11}},
      TCommand_Purchases{2, {{1, 3, 4, 5, 40}, {2, 1, 1, 2, 300}}},
      TCommand_End_Turn{5},
      TCommand_Battle_Begin{3, 12, true, "Battle Ocean 1", 2, 3, 3},
      TCommand_Battle_Add_Unit{2, 3, 13, 9, 77, 88, 2, 4, 5, 1, 0, 0.05f, 6, 2},
      TCommand_Battle_Wait{2, true},
      TCommand_Battle_Next_Piece{3},
      TCommand_Battle_Attack{2, 4, 5, INT_MIN},
      TCommand_Battle_Move{2, -1, 7},
      TCommand_Battle_End_Piece_Turn{3, false},
      TCommand_Battle_End_Closed{2},
      TCommand_Battle_Begin_Dialog{3},
      TCommand_Battle_Begin_Closed{2},
      TCommand_Battle_Log{2, 31, 2, 3, 2, 3, 12, true, {{4, 2, 5, 1}, {65535, 3, 2, 2}}},
      TCommand_Battle_Delete_Unit{3, 5, 9},
      TCommand_Battle_Results{3, 3, 2, 2, 3},
      TCommand_Game_Date{INT_MAX},
      TCommand_Current_Player{4},
      TCommand_Start_Player_Turn{4},
      TCommand_Turn_Status{2},
      TCommand_Crash{77},
      TCommand_Computer_Takes_Over{3},
      TCommand_Battle_Given{2, 2},
  };
  for (const TGame_Command& c : commands) {
    SCOPED_TRACE(Game_Command_Name(c));
    const std::vector<TMP_Message> m = Game_Command_Messages(c);
    ASSERT_EQ(m.size(), 1u);
    const std::string line = MP_Encode_Message(m[0]);
    const auto back = Game_Command_Of_Message(MP_Decode_Message(line));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(MP_Encode_Message(Game_Command_Messages(*back)[0]), line);
    EXPECT_EQ(back->index(), c.index());
    // A relayed step reads back as the same command.
    if (const std::uint8_t partner = MP_Relay_Code(m[0].code)) {
      const auto relayed = Game_Command_Of_Message(MP_Decode_Message(MP_Encode_As(partner, m[0])));
      ASSERT_TRUE(relayed.has_value());
      EXPECT_EQ(MP_Encode_Message(Game_Command_Messages(*relayed)[0]), line);
    }
  }
  // The battle steps and the host's messages keep the relay's codes and
  // bytes.
  EXPECT_EQ(MP_Encode_Message(Game_Command_Messages(TCommand_Battle_Attack{2, 4, 5, 9})[0]),
            "108  2" + MP_Encode_Integer(4) + MP_Encode_Integer(5) + MP_Encode_Integer(9));
  EXPECT_EQ(MP_Encode_Message(Game_Command_Messages(TCommand_Battle_Results{3, 3, 2, 2, 3})[0]),
            "116  3  3" + MP_Encode_Integer(2) + "  2  3");
  EXPECT_EQ(MP_Encode_Message(Game_Command_Messages(TCommand_Battle_Given{2, 2})[0]), "126  2" + MP_Encode_Integer(2));
  EXPECT_EQ(MP_Encode_Message(Game_Command_Messages(TCommand_Computer_Takes_Over{3})[0]),
            MP_Encode_Byte(68) + MP_Encode_Byte(3));
  EXPECT_EQ(Game_Command_Route(TCommand_Move{}), TCommand_Route::Order);
  EXPECT_EQ(Game_Command_Route(TCommand_Battle_Begin{}), TCommand_Route::Battle_Step);
  EXPECT_EQ(Game_Command_Route(TCommand_Battle_Results{}), TCommand_Route::Battle_Result);
  EXPECT_EQ(Game_Command_Route(TCommand_Game_Date{}), TCommand_Route::Host_Message);
  // A move is one line per leg; every leg but the last says more follow,
  // every leg but the first waits for the one before.
  const std::vector<TMP_Message> legs = Game_Command_Messages(TCommand_Move{1, {2, 3, 4}, 1, 2, {5, 6}});
  ASSERT_EQ(legs.size(), 3u);
  for (std::size_t i = 0; i < legs.size(); ++i) {
    bool more = false;
    const auto leg = Game_Command_Of_Message(MP_Decode_Message(MP_Encode_Message(legs[i])), &more);
    ASSERT_TRUE(leg.has_value());
    EXPECT_EQ(more, i + 1 < legs.size());
    EXPECT_EQ(std::get<TCommand_Move>(*leg).source, std::int32_t(i + 1));
    EXPECT_EQ(legs[i].m_Int(4), i > 0 ? 1 : 0);
  }
  // A leg read back keeps whether it waits for the leg before: written again
  // it gives the same line.
  for (const TMP_Message& m : legs) {
    const std::string line = MP_Encode_Message(m);
    const auto leg = Game_Command_Of_Message(MP_Decode_Message(line));
    ASSERT_TRUE(leg.has_value());
    EXPECT_EQ(std::get<TCommand_Move>(*leg).follows, m.m_Int(4) != 0);
    TMP_Message again = Game_Command_Messages(*leg)[0];
    again.values[5] = m.values[5];  // the "more legs" flag belongs to the chain, not to one leg
    EXPECT_EQ(MP_Encode_Message(again), line);
  }
  // The same bytes the relay's own senders write.
  TLongintList ids;
  ids.m_Add(5);
  ids.m_Add(6);
  struct TCapture : TMP_Game_Links {
    std::vector<std::string> to_host;
    void m_Send_To_Host(const std::string& text) override { to_host.push_back(text); }
  } capture;
  Set_MP_Game_Links(&capture);
  const std::uint8_t kind = Game_Settings.f_game_kind;
  Game_Settings.f_game_kind = 4;
  Send_Action_Move_Unit(1, 2, 1, 2, 0, true, ids, 2, false);
  Game_Settings.f_game_kind = kind;
  Set_MP_Game_Links(nullptr);
  ASSERT_EQ(capture.to_host.size(), 1u);
  EXPECT_EQ(capture.to_host[0], MP_Encode_Message(legs[0]));
}

TEST(Game_Commands, TheLongestCommandAtTheBoundFitsAJoinedMachinesLine) {
  TCommand_Bombard b{1, 2, 3, 4, {}, 5, {}};
  for (std::int32_t i = 0; i < Game_Command_Limit; ++i) {
    b.units.push_back(INT_MIN);
    b.damage.push_back({INT_MIN, INT_MIN, INT_MIN});
  }
  const std::string line = MP_Encode_Message(Game_Command_Messages(b)[0]);
  EXPECT_LT(line.size(), std::size_t(65536));
}

}  // namespace
