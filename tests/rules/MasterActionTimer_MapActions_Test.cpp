// The map actions on small hand-built worlds: moves and their landing,
// headings of a chain of legs, loading, bombardment and decommissioning.
#include <cmath>

#include "Combat.h"
#include "Global.h"
#include "MasterActionTimer_MapActions.h"
#include "Turns_Fixture.h"

namespace {
constexpr float Pi = 3.14159265358979f;

class Map_Action : public Turns_Test {
protected:
  // Land regions 1..4 in a row (2 x 2 squares each), an ocean region 5;
  // players 1 and 2, human, who know everything.
  void World() {
    for (std::int32_t i = 1; i <= 4; ++i) Add_Region(i, REGION_LAND, 2, 2, (i - 1) * 64, 0, 3);
    Add_Region(5, REGION_OCEAN, 2, 2, 256, 0);
    for (std::int32_t i = 1; i < 5; ++i) Connect(i, i + 1);
    Players({false, false});
    Game_Settings.f_local_empire = 1;
    Game_Settings.f_game_date = 20150;
  }
  std::int32_t Move(const std::vector<std::int32_t>& ids, std::int32_t from, const std::vector<std::int32_t>& path,
                    bool seen) {
    TLongintList list;
    for (std::int32_t id : ids) list.m_Add(id);
    TMap_Unit_Record u;
    map.m_Get_Unit(ids.front(), u);
    std::int32_t awaited = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
      awaited = timer.m_Add_Action_Move_Unit(from, u.unit_type, u.owner, list.m_Count(), list, path[i], awaited,
                                             i + 1 < path.size(), seen);
      from = path[i];
    }
    return awaited;
  }
  std::int32_t Region_Of(std::int32_t id) {
    TMap_Unit_Record u;
    map.m_Get_Unit(id, u);
    return u.region;
  }
};
}  // namespace

TEST_F(Map_Action, TheSpeedOptionSetsTheFactorAndAnythingElseMovesAtTheDefault) {
  const std::pair<int, float> table[] = {{1, 0.5f}, {2, 1.0f}, {3, 2.0f}, {4, 3.0f}, {0, 1.0f}, {5, 1.0f}, {200, 1.0f}};
  for (auto [option, factor] : table) {
    options.f_unit_movement_speed = std::uint8_t(option);
    EXPECT_EQ(Unit_Movement_Speed_Factor(), factor) << option;
  }
}

TEST_F(Map_Action, AnUnseenMoveLandsInTheNextFrame) {
  World();
  const std::int32_t a = Place(1, UT_SOLDIER, 1);
  Move({a}, 1, {2}, false);
  timer.m_Update_Timer(0.05f);
  EXPECT_EQ(timer.m_Get_Record(1).step, 10);
  EXPECT_EQ(map.m_Get_Region(1)->m_Get_Unit_Count(), 0);
  timer.m_Update_Timer(0.05f);
  EXPECT_EQ(timer.m_Record_Count(), 0);
  EXPECT_EQ(Region_Of(a), 2);
  EXPECT_TRUE(map.m_Get_Region(2)->m_Has_Unit_Id(a));
  EXPECT_EQ(map.m_Get_Region(2)->m_Get_Owner(), 1);
}

TEST_F(Map_Action, AMoveWhoseStartIsItsTargetArrivesAtOnce) {
  World();
  const std::int32_t a = Place(1, UT_SOLDIER, 1);
  Move({a}, 1, {1}, true);
  EXPECT_LT(Run(0.05f, 1000), 10);
  EXPECT_EQ(Region_Of(a), 1);
  EXPECT_EQ(map.m_Get_Region(1)->m_Count_Units_Of_Type(1, UT_SOLDIER), 1);
}

TEST_F(Map_Action, LandingDecidesCombatAndOwnership) {
  struct TCase {
    const char* name;
    std::uint16_t mover;
    std::uint8_t owner_before;
    bool defender;           // a combat unit of player 2 stands there
    std::uint8_t owner_after;
    bool combat, captured;
  };
  const TCase cases[] = {
      {"enemy forces", UT_SOLDIER, 2, true, 2, true, false},
      {"empty enemy region", UT_SOLDIER, 2, false, 1, false, true},
      {"unowned region", UT_SOLDIER, 0, false, 1, false, false},
      {"air units over an empty enemy region", UT_JET, 2, false, 2, false, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    map.m_Clear();
    timer.m_Clear();
    G_Event_Log->m_Clear();
    World();
    map.m_Get_Region(2)->m_Set_Owner(c.owner_before);
    if (c.defender) Place(2, UT_SOLDIER, 2);
    const std::int32_t a = Place(1, c.mover, 1);
    Move({a}, 1, {2}, true);
    Run();
    EXPECT_EQ(Region_Of(a), 2);
    EXPECT_EQ(map.m_Get_Region(2)->m_Get_Owner(), c.owner_after);
    EXPECT_EQ(map.m_Is_Combat_Region(2), c.combat);
    const std::vector<std::uint8_t> kinds = Event_Kinds();
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), EVENT_REGION_CAPTURED), c.captured ? 1 : 0);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), EVENT_MOVEMENT), 1);
    EXPECT_EQ(timer.m_Unit_List_Used(1), false);
  }
}

TEST_F(Map_Action, AThreeLegMoveFromAboveTurnsOnceKeepsItsHeadingAndTurnsBackAtTheEnd) {
  World();
  const std::int32_t jet = Place(1, UT_JET, 1);
  Move({jet}, 1, {2, 3, 4}, true);
  // Heading of each leg at its travel step, and whether any leg turned
  // back to 0 before the last.
  std::vector<float> travel_headings;
  std::vector<std::int32_t> ids_seen;
  float last_heading = -1;
  while (timer.m_Record_Count() > 0) {
    timer.m_Update_Timer(0.02f);
    for (std::int32_t i = 1; i <= timer.m_Record_Count(); ++i) {
      const TAction_Record& r = timer.m_Get_Record(i);
      if (!r.active) continue;
      if (r.step == 5 && (ids_seen.empty() || ids_seen.back() != r.id)) {
        ids_seen.push_back(r.id);
        travel_headings.push_back(r.move.heading);
      }
      last_heading = r.move.heading;
    }
  }
  ASSERT_EQ(travel_headings.size(), 3u);
  // Eastwards along the row: a quarter turn, kept over all three legs.
  for (float h : travel_headings) EXPECT_NEAR(h, Pi / 2, 0.05f);
  EXPECT_NEAR(last_heading, 0.0f, 0.05f);
  EXPECT_EQ(Region_Of(jet), 4);
  const std::vector<std::uint8_t> kinds = Event_Kinds();
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), EVENT_MOVEMENT), 3);
}

TEST_F(Map_Action, DecommissionedUnitsGoAfterOneSecond) {
  World();
  const std::int32_t a = Place(1, UT_SOLDIER, 1), b = Place(1, UT_CAR, 1);
  TLongintList ids;
  ids.m_Add(a);
  ids.m_Add(b);
  timer.m_Add_Action_Decommission_Units(1, 1, 2, ids, true);
  for (int f = 0; f < 9; ++f) timer.m_Update_Timer(0.1f);
  EXPECT_EQ(map.m_Get_Region(1)->m_Get_Unit_Count(), 2);
  Run(0.1f);
  EXPECT_EQ(map.m_Get_Region(1)->m_Get_Unit_Count(), 0);
  TMap_Unit_Record u;
  map.m_Get_Unit(a, u);
  EXPECT_EQ(u.id, 0);
  const std::vector<std::uint8_t> kinds = Event_Kinds();
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), EVENT_UNIT_DECOMMISSIONED), 2);
}

TEST_F(Map_Action, BombardDamageIsRolledInWholeNumbersAndCappedAtTheHitPointsLeft) {
  World();
  Type(UT_CANNON).f_ranged_fire_damage_min = Type(UT_CANNON).f_ranged_fire_damage_max = 50;
  Type(UT_CANNON).f_ranged_fire_region_value_damage_min = 2;
  Type(UT_CANNON).f_ranged_fire_region_value_damage_max = 2;
  Type(UT_CANNON).f_ranged_fire_damage_percent = {0, 100, 100, 100, 100, 100};
  const std::int32_t gun = Place(1, UT_CANNON, 1);
  const std::int32_t fort = Place(2, UT_FORT, 2);  // 30 hit points
  TLongintList ids;
  ids.m_Add(gun);
  TBombard_Damage_Result r = TMap_Actions::m_Calc_Bombard_Damage(ids, 1, 2);
  EXPECT_EQ(r.region_damage, 2);
  ASSERT_EQ(r.records.size(), 1u);
  EXPECT_EQ(r.records[0], (TBombard_Damage_Record{30, gun, fort}));
  // A second target takes the roll that is left: 50 - 30.
  const std::int32_t car = Place(2, UT_CAR, 2);
  map.m_Set_Unit_Damage(fort, 0);
  Type(UT_CAR).f_hit_points = 20;
  Random_Set_Seed(5);
  r = TMap_Actions::m_Calc_Bombard_Damage(ids, 1, 2);
  ASSERT_EQ(r.records.size(), 2u);
  std::int32_t to_car = 0, to_fort = 0;
  for (const TBombard_Damage_Record& d : r.records) (d.target_unit_id == car ? to_car : to_fort) += d.damage;
  // In either order both are destroyed: 20 and 30 of the roll of 50.
  EXPECT_EQ(to_car, 20);
  EXPECT_EQ(to_fort, 30);
  // A modifier of 33 %: 50 * 33 div 100 = 16 dealt; 100 * 16 div 33 = 48 of
  // the roll used, 2 left, which deals nothing more.
  Type(UT_CANNON).f_ranged_fire_damage_percent = {0, 33, 33, 33, 33, 33};
  map.m_Delete_Unit(car);
  r = TMap_Actions::m_Calc_Bombard_Damage(ids, 1, 2);
  ASSERT_EQ(r.records.size(), 1u);
  EXPECT_EQ(r.records[0].damage, 16);
}

TEST_F(Map_Action, BombardmentTalliesHitsPerOwnerAndUnitType) {
  World();
  map.m_Get_Region(2)->m_Set_Owner(2);
  const std::int32_t gun = Place(1, UT_CANNON, 1);
  const std::int32_t mine = Place(2, UT_SOLDIER, 2);
  // A unit of another owner of the same type in the same region.
  const std::int32_t theirs = map.m_Add_Unit(2, UT_SOLDIER, 1, 1, 0);
  map.m_Get_Region(2)->m_Add_Unit(theirs);
  const std::int32_t doomed = Place(2, UT_FORT, 2);
  TLongintList ids;
  ids.m_Add(gun);
  // Two records on one unit that together do not kill it count it once.
  const std::vector<TBombard_Damage_Record> records = {
      {3, gun, mine}, {4, gun, mine}, {5, gun, theirs}, {30, gun, doomed}};
  timer.m_Add_Action_Bombard_Unit(1, UT_CANNON, 1, 1, ids, 2, 0, true, 5, records);
  Run();
  EXPECT_EQ(map.m_Get_Unit_Damage(mine), 7);
  EXPECT_EQ(map.m_Get_Unit_Damage(theirs), 5);
  TMap_Unit_Record u;
  map.m_Get_Unit(doomed, u);
  EXPECT_EQ(u.id, 0);
  // Region of value 3 bombarded for 5: loses 3.
  EXPECT_EQ(map.m_Get_Region(2)->m_Get_Value(), 0);
  std::vector<std::tuple<std::int32_t, std::int32_t, std::int32_t>> entries;  // amount, result, target owner
  for (std::int32_t i = 1; i <= G_Event_Log->m_Get_Count(); ++i) {
    const TEvent_Log_Item& item = *G_Event_Log->m_Get_Item(i);
    if (item.f_kind == EVENT_BOMBARDMENT) entries.emplace_back(item.m_Value(3), item.m_Value(2), item.m_Value(4));
  }
  EXPECT_EQ(entries.size(), 4u);
  EXPECT_NE(std::find(entries.begin(), entries.end(), std::make_tuple(1, BOMBARD_DAMAGED, 2)), entries.end());
  EXPECT_NE(std::find(entries.begin(), entries.end(), std::make_tuple(1, BOMBARD_DAMAGED, 1)), entries.end());
  EXPECT_NE(std::find(entries.begin(), entries.end(), std::make_tuple(1, BOMBARD_KILLED, 2)), entries.end());
  EXPECT_NE(std::find(entries.begin(), entries.end(), std::make_tuple(3, BOMBARD_REGION_DAMAGE, 2)), entries.end());
  EXPECT_EQ(timer.m_Bombard_Damage().m_Get_Record(1, 1), TBombard_Damage_Record{});
}

TEST_F(Map_Action, ABombardmentWhoseEffectNeverReportsStillDealsItsDamage) {
  World();
  links.effects_start = true;
  const std::int32_t gun = Place(1, UT_CANNON, 1);
  const std::int32_t target = Place(2, UT_SOLDIER, 2);
  TLongintList ids;
  ids.m_Add(gun);
  timer.m_Add_Action_Bombard_Unit(1, UT_CANNON, 1, 1, ids, 2, 0, true, 0, {{4, gun, target}});
  const std::int32_t frames = Run(1.0f);
  EXPECT_GT(frames, 120);
  EXPECT_EQ(map.m_Get_Unit_Damage(target), 4);
  // Without an effect the damage follows at once.
  links.effects_start = false;
  timer.m_Add_Action_Bombard_Unit(1, UT_CANNON, 1, 1, ids, 2, 0, true, 0, {{4, gun, target}});
  EXPECT_LE(Run(1.0f), 3);
  EXPECT_EQ(map.m_Get_Unit_Damage(target), 8);
}

TEST_F(Map_Action, AUnitMovingIntoARegionWithoutRoomForItsStackIsListedThereAndFought) {
  World();
  // Soldiers that can hurt each other in battle.
  TUnit_Type& soldier = Type(UT_SOLDIER);
  soldier.f_combat_movement_type = UNIT_MOVEMENT_LAND;
  soldier.f_combat_movement_amount = 2;
  soldier.f_combat_attack_range = 3;
  soldier.f_initiative = 5;
  soldier.f_combat_damage_min = soldier.f_combat_damage_max = 10;
  soldier.f_combat_damage_percent = {0, 0, 100, 0, 0, 0};
  soldier.f_attack_rating = soldier.f_defense_rating = 10;
  Place(2, UT_SOLDIER, 2);
  Fill_Squares(2);
  const std::int32_t a = Place(1, UT_SOLDIER, 1);
  Move({a}, 1, {2}, true);
  Run();
  TMap_Region& to = *map.m_Get_Region(2);
  EXPECT_EQ(Region_Of(a), 2);
  EXPECT_TRUE(to.m_Has_Unit_Id(a));
  EXPECT_TRUE(to.m_Has_Unplaced_Units());
  EXPECT_TRUE(map.m_Is_Combat_Region(2));

  // The battle there counts the newcomer among the attackers.
  Master_Action_Timer = &timer;
  Combat_Resolve(2);
  Master_Action_Timer = nullptr;
  const TEvent_Log_Item* battle = nullptr;
  for (std::int32_t i = G_Event_Log->m_Get_Count(); i >= 1 && !battle; --i)
    if (G_Event_Log->m_Get_Item(i)->m_Get_Combat_Unit_Count() > 0) battle = G_Event_Log->m_Get_Item(i);
  ASSERT_NE(battle, nullptr);
  bool attacker_fought = false;
  for (std::int32_t i = 1; i <= battle->m_Get_Combat_Unit_Count(); ++i) {
    TEvent_Log_Combat_Row row;
    battle->m_Get_Combat_Unit(i, row);
    if (row.owner == 1 && row.unit_type == UT_SOLDIER && row.starting == 1) attacker_fought = true;
  }
  EXPECT_TRUE(attacker_fought);
  EXPECT_FALSE(map.m_Is_Combat_Region(2));
  // One side is gone, and the list holds exactly the units left there.
  std::int32_t listed = 0;
  for (std::int32_t id = 1; id <= map.m_Get_Unit_Count(); ++id) {
    TMap_Unit_Record u;
    map.m_Get_Unit(id, u);
    if (u.id != 0 && u.region == 2) {
      EXPECT_TRUE(to.m_Has_Unit_Id(id)) << id;
      ++listed;
    }
  }
  EXPECT_EQ(listed, to.m_Get_Unit_Count());
  EXPECT_EQ(listed, 1);
}
