#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Combat.h"
#include "Global.h"
#include "MachineOptions.h"
#include "MasterActionTimer_Combat.h"
#include "World_Unit_Facts.h"

namespace {

enum : std::uint16_t { UT_GUN = 1, UT_WALL, UT_BOAT, UT_BIG };

struct TAction_Links : TCombat_Links {
  std::vector<std::string> calls;
  std::vector<std::string> texts;
  TVector text_at, source, target;
  int next_pieces = 0;
  std::int32_t m_Start_Sound_3D(const std::string& name, const TVector&) override {
    calls.push_back("sound " + name);
    return 5;
  }
  void m_Move_Sound_3D(std::int32_t handle, const TVector&) override {
    calls.push_back("move sound " + std::to_string(handle));
  }
  std::int32_t m_Find_Effect(const std::string& name) override {
    calls.push_back("find " + name);
    return 9;
  }
  bool m_Start_Effect(std::int32_t effect, const TVector& s, const TVector& t, std::int32_t) override {
    calls.push_back("effect " + std::to_string(effect));
    source = s;
    target = t;
    return effect != 0;
  }
  void m_Add_Floating_Text(const std::string& text, const TVector& at, const TVector4&, const TVector&,
                           std::int32_t lifetime) override {
    texts.push_back(text + " /" + std::to_string(lifetime));
    text_at = at;
  }
  void m_Next_Piece() override { ++next_pieces; }
};

std::unique_ptr<TUnit_Type> New_Type(const char* name, std::uint8_t movement, std::uint8_t size) {
  auto t = std::make_unique<TUnit_Type>();
  t->f_internal_name = name;
  t->f_movement_type = movement;
  t->f_square_size_width = size;
  t->f_square_size_height = size;
  t->f_hit_points = 10;
  t->f_combat_damage_min = 100;
  t->f_combat_damage_max = 100;
  t->f_combat_damage_percent = {0, 100, 100, 100, 100, 100};
  t->f_movement_sound_effect = "Steps.wav";
  return t;
}

class Combat_Actions_Test : public ::testing::Test {
protected:
  void SetUp() override {
    types.m_Add(New_Type("Gun", UNIT_MOVEMENT_LAND, 1));
    types.m_Add(New_Type("Wall", UNIT_MOVEMENT_LAND, 1));
    types.m_Add(New_Type("Boat", UNIT_MOVEMENT_SEA_SURFACE, 1));
    types.m_Add(New_Type("Big", UNIT_MOVEMENT_LAND, 3));
    saved_types = Unit_Type_List;
    Unit_Type_List = &types;
    G_Combat = TCombat_State{};
    G_Combat.attacker = 1;
    G_Combat.defender = 2;
    Set_Combat_Links(&links);
    actions.m_Install(timer);
    Random_Set_Seed(99);
  }
  void TearDown() override {
    Set_Combat_Links(nullptr);
    Unit_Type_List = saved_types;
    G_Combat = TCombat_State{};
  }
  static TUnit_Type& Type(std::uint16_t t) { return *Unit_Type_List->m_Get_Item(t); }
  // A piece of the type placed with its anchor at the cell.
  static void Piece(int column, int row, std::uint16_t type, std::uint8_t owner, int count, int hit_points) {
    TCombat_Cell cell;
    cell.piece_id = column * 100 + row;
    cell.unit_type = type;
    cell.owner = owner;
    cell.count = count;
    cell.hit_points = hit_points;
    cell.width = cell.height = type == UT_BIG ? 2 : 1;
    cell.picture_width = cell.picture_height = Type(type).f_square_size_width * 50.0f;
    Combat_Get_Piece_Screen_Pos(column, row, cell.width, cell.height, cell.picture_width, cell.picture_height,
                                cell.picture_x, cell.picture_y);
    Combat_Place_Piece(column, row, cell);
  }
  // Runs the record of the id once; true while it is not done.
  bool Run(std::int32_t id, float dt = 0.1f) {
    std::int32_t index = timer.m_Find_Action(id);
    EXPECT_NE(index, 0);
    timer.m_Execute_Action(index, dt);
    return !timer.m_Get_Record(index).done;
  }
  TAction_Record& Record(std::int32_t id) { return timer.m_Get_Record(timer.m_Find_Action(id)); }

  TUnit_Type_List types;
  TUnit_Type_List* saved_types = nullptr;
  TAction_Links links;
  TMaster_Action_Timer timer;
  TCombat_Actions actions;
};

TEST_F(Combat_Actions_Test, DamageFollowsTheRatingsAndSupport) {
  struct Row {
    std::int32_t attack, defence, percent, count, attack_support, defence_support, expected;
  } rows[] = {
      {10, 14, 100, 1, 0, 0, 83},   // 100 / 1.2
      {14, 10, 100, 1, 0, 0, 120},  // 100 x 1.2
      {10, 10, 100, 1, 0, 0, 100},
      {10, 10, 50, 3, 0, 0, 150},
      {10, 10, 0, 2, 0, 0, 0},
      {10, 14, 100, 1, 4, 0, 100},  // the attacker's support makes up the difference
      {10, 10, 100, 1, 0, 10, 66},  // 100 / 1.5
  };
  for (const Row& r : rows) {
    G_Combat.grid = {};
    Type(UT_GUN).f_attack_rating = r.attack;
    Type(UT_WALL).f_defense_rating = r.defence;
    Type(UT_GUN).f_combat_damage_percent[UNIT_MOVEMENT_LAND] = r.percent;
    Type(UT_GUN).f_special_abilities = {{UNIT_ABILITY_COMBAT_ATTACK_MODIFIER, "", r.attack_support}};
    Type(UT_WALL).f_special_abilities = {{UNIT_ABILITY_COMBAT_DEFENSE_MODIFIER, "", r.defence_support}};
    Piece(1, 1, UT_GUN, 1, r.count, 10);
    Piece(14, 1, UT_WALL, 2, 1, 10);
    EXPECT_EQ(TCombat_Actions::m_Calc_Combat_Damage(1, 1, 14, 1), r.expected)
        << r.attack << " " << r.defence << " " << r.percent << " " << r.count;
  }
  // No piece on either side: no damage.
  EXPECT_EQ(TCombat_Actions::m_Calc_Combat_Damage(5, 5, 14, 1), 0);
  EXPECT_EQ(TCombat_Actions::m_Calc_Combat_Damage(1, 1, 5, 5), 0);
}

TEST_F(Combat_Actions_Test, DamageRollsOncePerUnitWithinTheBounds) {
  Type(UT_GUN).f_combat_damage_min = 1;
  Type(UT_GUN).f_combat_damage_max = 3;
  Piece(1, 1, UT_GUN, 1, 5, 10);
  Piece(14, 1, UT_WALL, 2, 1, 10);
  for (int k = 0; k < 50; ++k) {
    std::int32_t d = TCombat_Actions::m_Calc_Combat_Damage(1, 1, 14, 1);
    EXPECT_GE(d, 5);
    EXPECT_LE(d, 15);
  }
}

TEST_F(Combat_Actions_Test, DamageKillsFrontUnitsInTurn) {
  struct Row { std::int32_t damage, count, hit_points, killed, count_left, hit_points_left; } rows[] = {
      {25, 3, 10, 2, 1, 5}, {10, 3, 10, 0, 3, 0}, {11, 3, 10, 1, 2, 9},
      {35, 3, 10, 3, 0, 10}, {5, 2, 3, 1, 1, 8}, {0, 2, 3, 0, 2, 3},
  };
  for (const Row& r : rows) {
    std::int32_t count = r.count, hit_points = r.hit_points;
    EXPECT_EQ(TCombat_Actions::m_Apply_Damage(r.damage, 10, count, hit_points), r.killed) << r.damage;
    EXPECT_EQ(count, r.count_left) << r.damage;
    EXPECT_EQ(hit_points, r.hit_points_left) << r.damage;
  }
}

TEST_F(Combat_Actions_Test, AutoResolvedMoveJumpsToItsTarget) {
  Piece(4, 4, UT_BIG, 1, 2, 7);
  std::int32_t id = timer.m_Add_Action_Combat_Move(4, 4, 6, 3, true, true, 0);
  EXPECT_TRUE(Run(id));
  EXPECT_EQ(Record(id).step, 1);
  EXPECT_TRUE(Run(id));
  EXPECT_EQ(Record(id).step, 2);
  EXPECT_FLOAT_EQ(Record(id).combat_move.picture_x, 525);
  EXPECT_EQ(Combat_Get_Cell(4, 4).piece_id, 0);
  EXPECT_FALSE(Run(id));
  TCombat_Cell anchor = Combat_Get_Cell(6, 3);
  EXPECT_EQ(anchor.anchor, 1);
  EXPECT_EQ(anchor.count, 2);
  EXPECT_EQ(anchor.hit_points, 7);
  EXPECT_FLOAT_EQ(anchor.picture_x, 525);
  EXPECT_FLOAT_EQ(anchor.picture_y, 225);
  EXPECT_EQ(Combat_Get_Cell(7, 4).piece_id, anchor.piece_id);
  EXPECT_EQ(Combat_Get_Cell(4, 5).piece_id, 0);
  EXPECT_TRUE(links.calls.empty());
}

TEST_F(Combat_Actions_Test, ShownMoveTravelsAtTheChosenSpeed) {
  TMachine_Options* saved = Machine_Options;
  TMachine_Options options;
  Machine_Options = &options;
  struct Row { std::uint8_t speed; float per_second; } rows[] = {{1, 200}, {2, 400}, {3, 600}, {0, 200}, {9, 200}};
  for (const Row& r : rows) {
    G_Combat.grid = {};
    links.calls.clear();
    options.f_combat_movement_speed = r.speed;
    Piece(1, 1, UT_GUN, 1, 1, 10);
    std::int32_t id = timer.m_Add_Action_Combat_Move(1, 1, 5, 1, false, true, 0);
    Run(id);
    EXPECT_FLOAT_EQ(Record(id).combat_move.velocity_x, r.per_second) << int(r.speed);
    EXPECT_FLOAT_EQ(Record(id).combat_move.remaining_distance, 400);
    int frames = 0;
    while (Run(id, 0.1f) && frames < 100) ++frames;
    EXPECT_LT(frames, 100) << int(r.speed);
    EXPECT_EQ(Combat_Get_Cell(5, 1).unit_type, UT_GUN);
    EXPECT_EQ(Combat_Get_Cell(1, 1).unit_type, 0);
    EXPECT_EQ(links.calls.front(), "sound Steps.wav");
    EXPECT_EQ(links.calls.back(), "move sound 5");
  }
  Machine_Options = saved;
  // A later step of the path plays no sound; a step onto its own cell ends.
  links.calls.clear();
  std::int32_t id = timer.m_Add_Action_Combat_Move(5, 1, 5, 1, false, false, 0);
  int frames = 0;
  while (Run(id) && frames < 10) ++frames;
  EXPECT_EQ(frames, 2);
  EXPECT_TRUE(links.calls.empty());
  EXPECT_EQ(Combat_Get_Cell(5, 1).unit_type, UT_GUN);
}

TEST_F(Combat_Actions_Test, ShownAttackPlaysItsEffectThenTakesHitPoints) {
  Type(UT_GUN).f_combat_effects = {{UNIT_COMBAT_EFFECT_ATTACK, "Land", UNIT_EFFECT_FACING_RIGHT, "Flash"}};
  Piece(2, 3, UT_GUN, 1, 1, 10);
  Piece(13, 3, UT_WALL, 2, 3, 10);
  std::int32_t id = timer.m_Add_Action_Combat_Attack(2, 3, 13, 3, 25, false, 0);
  EXPECT_TRUE(Run(id));
  EXPECT_EQ(Record(id).combat_attack.effect_number, 9);
  EXPECT_TRUE(Run(id));
  EXPECT_TRUE(Run(id));
  EXPECT_TRUE(Run(id));  // waits for the effect
  EXPECT_EQ(Record(id).step, 2);
  EXPECT_EQ(links.calls, (std::vector<std::string>{"find Flash", "effect 9"}));
  EXPECT_FLOAT_EQ(links.source.x, 150);
  EXPECT_FLOAT_EQ(links.source.y, 250);
  EXPECT_FLOAT_EQ(links.source.z, -5);
  EXPECT_FLOAT_EQ(links.target.x, 1250);
  timer.m_Effect_Finished(id);
  EXPECT_FALSE(Run(id));
  TCombat_Cell wall = Combat_Get_Cell(13, 3);
  EXPECT_EQ(wall.count, 1);
  EXPECT_EQ(wall.hit_points, 5);
  EXPECT_EQ(links.texts, std::vector<std::string>{"25 dmg, 2 killed /8000"});
  EXPECT_FLOAT_EQ(links.text_at.y, 300);
  TCombat_Starting_Unit record;
  ASSERT_TRUE(Combat_Get_Starting_Unit(1, record));
  EXPECT_EQ(record, (TCombat_Starting_Unit{UT_WALL, 2, 0, 2}));
}

TEST_F(Combat_Actions_Test, ShownAttackWithoutAnEffectDealsItsDamageAtOnce) {
  Piece(2, 3, UT_GUN, 1, 1, 10);
  Piece(13, 3, UT_WALL, 2, 3, 10);
  std::int32_t id = timer.m_Add_Action_Combat_Attack(2, 3, 13, 3, 10, false, 0);
  EXPECT_TRUE(Run(id));
  EXPECT_EQ(Record(id).combat_attack.effect_number, 0);
  EXPECT_TRUE(Run(id));
  EXPECT_EQ(Record(id).step, 3);
  EXPECT_FALSE(Run(id));
  EXPECT_EQ(links.calls, std::vector<std::string>{"effect 0"});
  EXPECT_EQ(Combat_Get_Cell(13, 3).hit_points, 0);
  EXPECT_EQ(links.texts, std::vector<std::string>{"10 dmg, 0 killed /8000"});
}

TEST_F(Combat_Actions_Test, AutoResolvedAttackAppliesItsDamageInTheSecondStep) {
  Piece(2, 3, UT_GUN, 1, 1, 10);
  Piece(13, 3, UT_BIG, 2, 2, 4);
  std::int32_t id = timer.m_Add_Action_Combat_Attack(2, 3, 13, 3, 30, true, 0);
  EXPECT_TRUE(Run(id));
  EXPECT_FALSE(Run(id));
  // Both units fall: the piece leaves every cell it covered.
  for (auto [c, r] : {std::pair{13, 3}, {14, 3}, {13, 4}, {14, 4}}) EXPECT_EQ(Combat_Get_Cell(c, r).piece_id, 0);
  EXPECT_TRUE(links.calls.empty());
  EXPECT_TRUE(links.texts.empty());
  TCombat_Starting_Unit record;
  ASSERT_TRUE(Combat_Get_Starting_Unit(1, record));
  EXPECT_EQ(record.destroyed_count, 2);
}

TEST_F(Combat_Actions_Test, NextPieceWaitsHalfASecondUnlessAutoResolved) {
  std::int32_t id = timer.m_Add_Action_Combat_Next_Piece(0, true);
  EXPECT_TRUE(Run(id));
  EXPECT_FALSE(Run(id));
  EXPECT_EQ(links.next_pieces, 1);

  id = timer.m_Add_Action_Combat_Next_Piece(0, false);
  EXPECT_TRUE(Run(id));
  EXPECT_EQ(Record(id).step, 0);
  timer.m_Remove_Done_Actions();
  for (int k = 0; k < 8; ++k) timer.m_Update_Timer(0.1f);
  EXPECT_EQ(links.next_pieces, 2);
}

}  // namespace
