// Whole computer turns on small hand-built worlds: the computer player
// plans, its orders go through the order desk onto the action timer, the
// end of turn hands the turn on, and its battles are fought out at once.
#include <algorithm>

#include "AI_Main.h"
#include "Combat.h"
#include "Global.h"
#include "Turns_Fixture.h"

namespace {
// Battles fought to their end as soon as the computer player starts them.
struct TResolve_At_Once : TAI_Links {
  std::vector<std::int32_t> fought;
  bool m_Combat_Running() override { return false; }
  void m_Combat_Begin(std::int32_t region, bool, bool) override {
    fought.push_back(region);
    Combat_Resolve(region);
  }
};

class AI_Turns : public Turns_Test {
protected:
  void SetUp() override {
    Turns_Test::SetUp();
    Master_Action_Timer = &timer;
    AI_Initialize();
    AI_Install_Turn_Hook();
    Set_AI_Links(&battles);
  }
  void TearDown() override {
    Set_AI_Links(nullptr);
    AI_Finalize();
    Master_Action_Timer = nullptr;
    Turns_Test::TearDown();
  }
  // Soldiers fight land units; the cannon stands in for an orbital strike
  // platform: a space unit that fires at range and in battle hurts only
  // air and space units, which nothing else can hurt.
  void Types() {
    TUnit_Type& soldier = Type(UT_SOLDIER);
    soldier.f_movement_amount = 1;
    soldier.f_combat_movement_type = UNIT_MOVEMENT_LAND;
    soldier.f_combat_movement_amount = 2;
    soldier.f_combat_attack_range = 2;
    soldier.f_initiative = 5;
    soldier.f_combat_damage_min = 4;
    soldier.f_combat_damage_max = 6;
    soldier.f_combat_damage_percent = {0, 0, 100, 50, 0, 0};
    TUnit_Type& platform = Type(UT_CANNON);
    platform.f_movement_type = UNIT_MOVEMENT_SPACE;
    platform.f_movement_amount = 3;
    platform.f_combat_movement_type = UNIT_MOVEMENT_SPACE;
    platform.f_combat_movement_amount = 1;
    platform.f_combat_attack_range = 10;
    platform.f_hit_points = 40;
    platform.f_initiative = 4;
    platform.f_combat_damage_min = 5;
    platform.f_combat_damage_max = 10;
    platform.f_combat_damage_percent = {0, 20, 0, 0, 0, 100};
    platform.f_ranged_fire_range = 8;
    platform.f_ranged_fire_damage_min = 60;
    platform.f_ranged_fire_damage_max = 120;
    platform.f_ranged_fire_damage_percent = {0, 0, 100, 100, 50, 0};
    platform.f_cost = 600;
    for (std::uint16_t t = 1; t <= unit_types.m_Count(); ++t) {
      TUnit_Type& u = Type(t);
      if (u.f_combat_movement_type == 0) u.f_combat_movement_type = u.f_movement_type;
      u.f_attack_rating = u.f_defense_rating = 10;
    }
  }
  TResolve_At_Once battles;
};
}  // namespace

TEST_F(AI_Turns, ANationOnOneRegionHeldByAnOrbitalPlatformFallsToAStrongerNeighbour) {
  Types();
  Add_Region(1, REGION_LAND, 3, 3, 0, 1);
  Add_Region(2, REGION_LAND, 3, 3, 96, 2);
  Connect(1, 2);
  Players({true, true});
  for (int i = 0; i < 3; ++i) Place(1, UT_CANNON, 1, 3);
  for (int i = 0; i < 4; ++i) Place(1, UT_SOLDIER, 1, 1);
  Place(2, UT_CANNON, 2, 3);
  Game_Settings.f_game_date = 20150;
  Game_Settings.f_turn_empire = 2;
  for (int p = 1; p <= 2; ++p) empires.m_Get_Empire(p)->m_Set_Treasury(0);
  Random_Set_Seed(5);

  std::int32_t turns = 0;
  for (; turns < 8 && map.m_Get_Region(2)->m_Get_Owner() != 1; ++turns) {
    timer.m_Add_Action_End_Turn();
    Run(0.05f, 200000);
  }
  EXPECT_EQ(map.m_Get_Region(2)->m_Get_Owner(), 1) << "after " << turns << " turns";
  EXPECT_EQ(map.m_Get_Region(2)->m_Count_Units_Of_Type(2, UT_CANNON), 0);
  EXPECT_FALSE(battles.fought.empty());
  EXPECT_LE(turns, 6);
}
