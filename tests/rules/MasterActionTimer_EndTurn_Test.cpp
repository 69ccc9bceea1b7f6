// The end of turn on small hand-built worlds: the hand-over between
// players, the new date, the player updates, air crashes, autosaves and the
// end of the game.
#include <filesystem>

#include "Datafile_BaseGameSettings.h"
#include "GameFolder.h"
#include "Global.h"
#include "MessageLog.h"
#include "MasterActionTimer_EndTurn.h"
#include "Path.h"
#include "SteppedTask.h"
#include "Test_Support.h"
#include "Turns_Fixture.h"

namespace {
class End_Turn : public Turns_Test {
protected:
  // Land regions 1..n side by side, region i owned by player owners[i-1],
  // each player with one soldier at home.
  void World(const std::vector<std::uint8_t>& owners, const std::vector<bool>& computer) {
    for (std::size_t i = 0; i < owners.size(); ++i)
      Add_Region(std::int32_t(i + 1), REGION_LAND, 2, 2, std::int32_t(i) * 64, 0, 2);
    for (std::size_t i = 1; i < owners.size(); ++i) Connect(std::int32_t(i), std::int32_t(i + 1));
    Players(computer);
    for (std::size_t i = 0; i < owners.size(); ++i)
      if (owners[i] != 0) {
        map.m_Get_Region(std::int32_t(i + 1))->m_Set_Owner(owners[i]);
        Place(std::int32_t(i + 1), UT_SOLDIER, owners[i]);
      }
    Game_Settings.f_game_date = 20150;
    Game_Settings.f_turn_empire = 1;
  }
  void End() {
    timer.m_Add_Action_End_Turn();
    Run();
  }
};
}  // namespace

TEST_F(End_Turn, AnEliminatedPlayerIsSkippedAndTheWrapAdvancesTheDate) {
  World({1, 2, 3}, {false, false, false});
  empires.m_Get_Empire(2)->m_Set_Eliminated(true);
  // An event older than the last 20 dates goes when the date advances.
  G_Event_Log->m_Add_Collect_Resources(20100, 1, 5);
  End();
  EXPECT_EQ(Game_Settings.f_turn_empire, 3);
  EXPECT_EQ(Game_Settings.f_game_date, 20150);
  EXPECT_EQ(G_Event_Log->m_Get_Item(1)->f_date, 20100);
  End();
  EXPECT_EQ(Game_Settings.f_turn_empire, 1);
  EXPECT_EQ(Game_Settings.f_game_date, 20151);
  for (std::int32_t i = 1; i <= G_Event_Log->m_Get_Count(); ++i) EXPECT_GE(G_Event_Log->m_Get_Item(i)->f_date, 20131);
  // Player 2 was never touched: no updates logged for it.
  for (std::int32_t i = 1; i <= G_Event_Log->m_Get_Count(); ++i) EXPECT_NE(G_Event_Log->m_Get_Item(i)->f_player, 2);
}

TEST_F(End_Turn, PurchasesAreCarriedOutInQueueOrderWhileTheMoneyLasts) {
  World({1, 2}, {false, false});
  TEmpire& e = *empires.m_Get_Empire(2);
  e.m_Set_Treasury(100);
  for (std::int32_t cost : {60, 50, 30}) e.m_Add_Purchase(TEmpire_Purchase{PURCHASE_UNIT, UT_SOLDIER, 1, 2, cost});
  End();
  EXPECT_EQ(Game_Settings.f_turn_empire, 2);
  ASSERT_EQ(e.m_Get_Purchase_Count(), 1);
  TEmpire_Purchase left;
  e.m_Get_Purchase(1, left);
  EXPECT_EQ(left.cost, 50);
  EXPECT_EQ(map.m_Get_Region(2)->m_Count_Units_Of_Type(2, UT_SOLDIER), 3);
  // 100 - 60 - 30, then the income of a region of value 2 (no supply due).
  EXPECT_EQ(e.m_Get_Treasury(), 10 + e.m_Get_Income());
}

TEST_F(End_Turn, ResearchCostsItsPriceWhetherOrNotItSucceeds) {
  World({1, 2}, {false, false});
  struct TCase {
    std::int32_t chance, level, maximum;
    std::int32_t level_after;
  };
  for (const TCase& c : {TCase{100, 0, 3, 1}, TCase{0, 0, 3, 0}, TCase{100, 2, 3, 3}}) {
    SCOPED_TRACE(c.chance);
    tech_areas = TTech_Area_List();
    auto area = std::make_unique<TTech_Area>();
    area->f_display_name = area->f_internal_name = "Optics";
    area->f_maximum_level = c.maximum;
    for (std::int32_t l = 1; l <= 3; ++l) area->m_Add_Cost(40, c.chance);
    tech_areas.m_Add(std::move(area));
    TEmpire& e = *empires.m_Get_Empire(2);
    e.m_Init_Tech_Levels(1);
    e.m_Set_Tech_Level(1, c.level);
    e.m_Set_Treasury(100);
    e.m_Add_Purchase(TEmpire_Purchase{PURCHASE_RESEARCH, 1, 1, c.level + 1, 40});
    Game_Settings.f_turn_empire = 1;
    G_Event_Log->m_Clear();
    End();
    EXPECT_EQ(e.m_Get_Tech_Level(1), c.level_after);
    EXPECT_EQ(e.m_Get_Purchase_Count(), 0);
    EXPECT_EQ(e.m_Get_Treasury(), 60 + e.m_Get_Income());
    const std::vector<std::uint8_t> kinds = Event_Kinds();
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), EVENT_RESEARCH), kinds.end());
  }
}

// In a network game every machine carries out the player's research itself
// (a joined machine when the host reports the player's updates), whatever
// its own random numbers have done: the outcome is the same everywhere, and
// still a matter of the area's chance.
TEST_F(End_Turn, ResearchOfANetworkGameComesOutAlikeOnEveryMachine) {
  World({1, 2}, {false, false});
  auto area = std::make_unique<TTech_Area>();
  area->f_display_name = area->f_internal_name = "Optics";
  area->f_maximum_level = 1;
  area->m_Add_Cost(40, 50);
  tech_areas.m_Add(std::move(area));
  TEmpire& e = *empires.m_Get_Empire(2);
  auto Research = [&](std::int32_t date, std::uint32_t seed) {
    Game_Settings.f_game_date = date;
    e.m_Init_Tech_Levels(1);
    e.m_Set_Treasury(100);
    e.m_Add_Purchase(TEmpire_Purchase{PURCHASE_RESEARCH, 1, 1, 1, 40});
    Random_Set_Seed(seed);
    End_Turn_Actions.m_Execute_Player_Update(2, 2);
    EXPECT_EQ(e.m_Get_Purchase_Count(), 0);
    return e.m_Get_Tech_Level(1);
  };
  std::int32_t successes = 0;
  for (std::uint8_t kind : {3, 4}) {
    Game_Settings.f_game_kind = kind;
    for (std::int32_t date = 20150; date < 20190; ++date) {
      const std::int32_t level = Research(date, 1);
      for (std::uint32_t seed : {2u, 77u, 123456u}) EXPECT_EQ(Research(date, seed), level) << "date " << date;
      successes += level;
    }
  }
  EXPECT_GT(successes, 10);
  EXPECT_LT(successes, 70);
}

TEST_F(End_Turn, SupplyIsPaidFromTheIncomeButNeverBelowZero) {
  World({1, 2}, {false, false});
  Type(UT_SOLDIER).f_supply_cost = 150;
  Base_Game_Settings.f_money_per_territory_value = 0;
  TEmpire& e = *empires.m_Get_Empire(2);
  e.m_Set_Treasury(100);
  End();
  EXPECT_EQ(e.m_Get_Upkeep(), 150);
  EXPECT_EQ(e.m_Get_Treasury(), 0);
  const TEvent_Log_Item* last = G_Event_Log->m_Get_Item(G_Event_Log->m_Get_Count());
  ASSERT_NE(last, nullptr);
  // The last entries: collected income, then the supply paid (100 of 150).
  bool paid = false;
  for (std::int32_t i = 1; i <= G_Event_Log->m_Get_Count(); ++i)
    if (G_Event_Log->m_Get_Item(i)->f_kind == EVENT_PAY_SUPPLY) paid = G_Event_Log->m_Get_Item(i)->m_Value(1) == 100;
  EXPECT_TRUE(paid);
}

TEST_F(End_Turn, AirUnitsOverForeignRegionsCrashWithOrWithoutTheirExplosion) {
  for (const bool explosion : {false, true}) {
    SCOPED_TRACE(explosion);
    timer.m_Clear();
    map.m_Clear();
    World({1, 2}, {false, false});
    Game_Settings.f_local_empire = 1;
    const std::int32_t home = Place(1, UT_JET, 1);
    const std::int32_t away1 = Place(2, UT_JET, 1);
    const std::int32_t away2 = Place(2, UT_JET, 1);
    links.explosion = explosion ? 4 : 0;
    links.effects_start = explosion;
    links.effect_ids.clear();
    const std::int32_t id = timer.m_Add_Action_End_Turn();
    if (explosion) {
      // The explosion holds the turn until it reports its end; a report in
      // another step changes nothing.
      for (int f = 0; f < 20; ++f) timer.m_Update_Timer(0.05f);
      TMap_Unit_Record u;
      map.m_Get_Unit(away1, u);
      EXPECT_EQ(u.id, 0);
      ASSERT_EQ(links.effect_ids.size(), 1u);
      EXPECT_EQ(links.effect_ids[0], id);
      EXPECT_EQ(Game_Settings.f_turn_empire, 1);
      timer.m_Effect_Finished(id);
      timer.m_Effect_Finished(id);
    }
    Run();
    TMap_Unit_Record u;
    map.m_Get_Unit(home, u);
    EXPECT_EQ(u.id, home);
    map.m_Get_Unit(away2, u);
    EXPECT_EQ(u.id, 0);
    EXPECT_EQ(Game_Settings.f_turn_empire, 2);
    std::int32_t crashes = 0;
    for (std::uint8_t k : Event_Kinds()) crashes += k == EVENT_UNIT_CRASHED;
    EXPECT_EQ(crashes, 2);
    G_Event_Log->m_Clear();
  }
}

// A crash says what became of the unit: none there, crashed, or crashed with
// an explosion the end of turn waits for.
TEST_F(End_Turn, ACrashSaysWhetherItsExplosionRuns) {
  using R = TEnd_Turn_Actions::TCrash_Result;
  struct TCase {
    bool unit, explosion;
    R expected;
  };
  for (const TCase& c : {TCase{false, true, R::No_Unit}, TCase{true, false, R::Crashed}, TCase{true, true, R::Exploding}}) {
    SCOPED_TRACE(int(c.expected));
    timer.m_Clear();
    map.m_Clear();
    World({1, 2}, {false, false});
    Game_Settings.f_local_empire = 1;
    const std::int32_t jet = c.unit ? Place(2, UT_JET, 1) : 999;
    links.explosion = c.explosion ? 4 : 0;
    links.effects_start = c.explosion;
    EXPECT_EQ(End_Turn_Actions.m_Crash_Unit(timer, jet, 0), c.expected);
    TMap_Unit_Record u;
    map.m_Get_Unit(jet, u);
    EXPECT_EQ(u.id, 0);
  }
}

TEST_F(End_Turn, AnExplosionThatNeverReportsHoldsTheTurnOnlyUntilItsTimeLimit) {
  World({1, 2}, {false, false});
  Game_Settings.f_local_empire = 1;
  Place(2, UT_JET, 1);
  links.explosion = 4;
  links.effects_start = true;
  timer.m_Add_Action_End_Turn();
  const std::int32_t frames = Run(1.0f);
  EXPECT_EQ(Game_Settings.f_turn_empire, 2);
  EXPECT_GT(frames, std::int32_t(Crash_Effect_Time_Limit));
  EXPECT_LT(frames, std::int32_t(Crash_Effect_Time_Limit) + 40);
}

namespace {
// A user folder of its own with the current-game and save folders, the path
// settings, a message log and the timer in force while it lives.
struct TAutosave_Folders {
  TTemp_Dir user;
  std::string saved_user = User_Folder;
  TPath_Settings paths;
  TPath_Settings* saved_paths = Path_Settings;
  TMessage_Log messages;
  explicit TAutosave_Folders(TMaster_Action_Timer& timer) {
    User_Folder = user.design();
    Path_Settings = &paths;
    std::filesystem::create_directories(user.path() / "currentmap");
    std::filesystem::create_directories(user.path() / "savegames");
    G_Message_Log = &messages;
    Master_Action_Timer = &timer;
  }
  ~TAutosave_Folders() {
    G_Message_Log = nullptr;
    Master_Action_Timer = nullptr;
    Path_Settings = saved_paths;
    User_Folder = saved_user;
  }
  std::filesystem::path Save(const char* name) const { return user.path() / "savegames" / name; }
};
}  // namespace

TEST_F(End_Turn, AutosavesGoToSlotsOneToTenEveryNDates) {
  TAutosave_Folders folders(timer);
  World({1}, {false});
  options.f_autosave_turns = 2;
  Game_Settings.f_autosave_slot = 9;
  std::vector<std::uint8_t> slots;
  for (int turn = 0; turn < 6; ++turn) {
    End();
    slots.push_back(Game_Settings.f_autosave_slot);
    EXPECT_EQ(Game_Settings.f_turn_empire, 1);
    EXPECT_FALSE(Game_Settings.f_autosave_pending);
  }
  // Dates 20151..20156: saves at the even dates.
  EXPECT_EQ(slots, (std::vector<std::uint8_t>{9, 10, 10, 1, 1, 2}));
  for (const char* dir : {"Autosave10", "Autosave1", "Autosave2"})
    EXPECT_TRUE(std::filesystem::exists(folders.Save(dir) / "Empires.dat")) << dir;
  EXPECT_FALSE(std::filesystem::exists(folders.Save("Autosave3")));
  // Switched off: no save.
  options.f_autosave_turns = 0;
  End();
  End();
  EXPECT_EQ(Game_Settings.f_autosave_slot, 2);
}

TEST_F(End_Turn, AnAutosaveThatFailsKeepsTheSlotsEarlierSave) {
  TAutosave_Folders folders(timer);
  World({1}, {false});
  options.f_autosave_turns = 1;
  Game_Settings.f_autosave_slot = 0;
  // The slot's earlier save, and a file where the new save would be put
  // together, so that the new save cannot be written.
  std::filesystem::create_directories(folders.Save("Autosave1"));
  Write_File(folders.Save("Autosave1") / "Empires.dat", "earlier");
  Write_File(folders.Save("Autosave1.saving"), "in the way");
  End();
  EXPECT_EQ(Game_Settings.f_autosave_slot, 1);
  EXPECT_FALSE(Game_Settings.f_autosave_pending);
  EXPECT_EQ(Game_Settings.f_turn_empire, 1);
  EXPECT_EQ(Read_File(folders.Save("Autosave1") / "Empires.dat"), "earlier");
}

TEST_F(End_Turn, AHotSeatGameSkipsTheUpdatesOfTheFirstCycle) {
  World({1, 2}, {false, false});
  Game_Settings.f_game_kind = 2;
  Game_Settings.f_game_date = Base_Game_Settings.f_starting_game_date;
  TEmpire& e = *empires.m_Get_Empire(2);
  e.m_Set_Treasury(100);
  map.m_Set_Unit_Moves(2, 0);
  End();
  EXPECT_EQ(Game_Settings.f_turn_empire, 2);
  EXPECT_EQ(Game_Settings.f_local_empire, 2);
  EXPECT_EQ(e.m_Get_Treasury(), 100);
  TMap_Unit_Record u;
  map.m_Get_Unit(2, u);
  EXPECT_EQ(u.moves, 0);
  EXPECT_NE(std::find(links.calls.begin(), links.calls.end(), "Next Player: Player 2, start your turn..."),
            links.calls.end());
  // After the wrap the date has moved on and player 1 is updated.
  End();
  End();
  EXPECT_EQ(Game_Settings.f_turn_empire, 2);
  map.m_Get_Unit(2, u);
  EXPECT_EQ(u.moves, 2);
  EXPECT_GT(e.m_Get_Treasury(), 100);
}

TEST_F(End_Turn, TheHotSeatHandOverNamesThePlayer) {
  World({1, 2}, {false, false});
  Game_Settings.f_game_kind = 2;
  empires.m_Get_Empire(2)->m_Set_Player_Name("Beatrix");
  End();
  EXPECT_NE(std::find(links.calls.begin(), links.calls.end(), "Next Player: Beatrix, start your turn..."),
            links.calls.end());
  // A player without a name is called by number; one of blanks as well.
  empires.m_Get_Empire(2)->m_Set_Player_Name("  ");
  EXPECT_EQ(Next_Player_Text(2), "Player 2, start your turn...");
  EXPECT_EQ(Next_Player_Text(7), "Player 7, start your turn...");
}

TEST_F(End_Turn, TheComputerPlayerPlaysStepByStepThenTheTurnPassesOn) {
  World({1, 2}, {false, true});
  std::vector<std::uint16_t> steps;
  Set_AI_Turn_Step([&](std::uint8_t player, std::uint16_t& sub_step, float) {
    EXPECT_EQ(player, 2);
    steps.push_back(sub_step);
    return sub_step < 3;
  });
  End();
  EXPECT_EQ(steps, (std::vector<std::uint16_t>{1, 2, 3}));
  EXPECT_EQ(Game_Settings.f_turn_empire, 1);
  EXPECT_EQ(Game_Settings.f_game_date, 20151);
}

TEST_F(End_Turn, WithNobodyLeftToPlayTheGameEndsInsteadOfTheDateRunningOn) {
  World({0, 0}, {true, true});
  empires.m_Get_Empire(1)->m_Set_Eliminated(true);
  empires.m_Get_Empire(2)->m_Set_Eliminated(true);
  timer.m_Add_Action_End_Turn();
  const std::int32_t frames = Run(0.05f, 10000);
  EXPECT_LT(frames, 100);
  EXPECT_TRUE(End_Turn_Actions.m_Game_Over());
  EXPECT_EQ(Game_Settings.f_game_date, 20150);
  EXPECT_NE(std::find(links.calls.begin(), links.calls.end(), "game over 0"), links.calls.end());
}

TEST_F(End_Turn, AGameOfComputerPlayersEndsWhenOneEmpireIsLeft) {
  // Player 2 holds nothing; player 1 is the only one left.
  World({1, 0, 1}, {true, true, true});
  Set_AI_Turn_Step([](std::uint8_t, std::uint16_t&, float) { return false; });
  timer.m_Add_Action_End_Turn();
  const std::int32_t frames = Run(0.05f, 10000);
  EXPECT_LT(frames, 100);
  EXPECT_TRUE(End_Turn_Actions.m_Game_Over());
  EXPECT_EQ(Game_Settings.f_game_date, 20150);
  // With a human player still in the game the turns go on to its turn.
  End_Turn_Actions.m_Reset();
  empires.m_Get_Empire(1)->m_Set_Computer_Controlled(false);
  Game_Settings.f_turn_empire = 1;
  End();
  EXPECT_FALSE(End_Turn_Actions.m_Game_Over());
}

TEST_F(End_Turn, AComputerPlayerThatLostEverythingIsEliminatedAndSkipped) {
  World({1, 0, 3}, {false, true, false});
  End();
  EXPECT_TRUE(empires.m_Get_Empire(2)->m_Get_Eliminated());
  EXPECT_EQ(Game_Settings.f_turn_empire, 3);
}

TEST_F(End_Turn, AFailedHostSaveDoesNotSkipTheNextPlayer) {
  TTemp_Dir user;
  const std::string saved_user = User_Folder;
  User_Folder = user.design();
  TPath_Settings paths;
  TPath_Settings* saved_paths = Path_Settings;
  Path_Settings = &paths;
  World({1, 2, 3}, {false, false, false});
  Game_Settings.f_game_kind = 3;
  for (std::int32_t slot = 1; slot <= 3; ++slot) Game_Settings.m_Player(slot).f_connected = 1;
  Game_Settings.f_network_save_name = "Hosted";
  Game_Settings.f_turn_empire = 3;
  // The wrap to player 1 starts the host's save, which fails: the game's
  // files cannot be written without the message log and the timer.
  End();
  EXPECT_EQ(Game_Settings.f_turn_empire, 1);
  ASSERT_TRUE(Stepped_Task_Running);
  while (Stepped_Task_Running) Stepped_Task_Step(0.05f);
  EXPECT_EQ(timer.f_autosave_state, 0);
  End();
  EXPECT_EQ(Game_Settings.f_turn_empire, 2);
  Path_Settings = saved_paths;
  User_Folder = saved_user;
}

TEST_F(End_Turn, AUnitBoughtForARegionWithoutRoomForItsStackIsListedThere) {
  World({1, 2}, {false, false});
  Fill_Squares(2);
  TEmpire& e = *empires.m_Get_Empire(2);
  e.m_Set_Treasury(100);
  e.m_Add_Purchase(TEmpire_Purchase{PURCHASE_UNIT, UT_CANNON, 1, 2, 10});
  End();
  ASSERT_EQ(e.m_Get_Purchase_Count(), 0);
  const TMap_Region& r = *map.m_Get_Region(2);
  EXPECT_EQ(r.m_Count_Units_Of_Type(2, UT_CANNON), 1);
  EXPECT_EQ(r.m_Get_Unit_Count(), 2);
  EXPECT_EQ(map.m_Count_Player_Units(2), 2);
  for (std::int32_t i = 1; i <= r.m_Get_Unit_Count(); ++i) {
    TMap_Unit_Record u;
    map.m_Get_Unit(r.m_Get_Unit_Id(i), u);
    EXPECT_EQ(u.region, 2);
  }
}
