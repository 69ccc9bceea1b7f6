// Battles fought turn by turn: initiative, move and attack maps, the
// computer's choices, the end of a battle and whole battles to their end.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "Combat.h"
#include "Datafile_BaseGameSettings.h"
#include "Empire.h"
#include "EventLog.h"
#include "GameSettings.h"
#include "Global.h"
#include "MapClass.h"
#include "MasterActionTimer.h"
#include "MasterActionTimer_Combat.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Texture.h"
#include "Image_Files.h"
#include "Test_Support.h"
#include "Render_Device_Headless.h"
#include "World_Links.h"
#include "World_Unit_Facts.h"

namespace {

struct TType_Spec {
  const char* name;
  std::uint8_t movement;         // movement type, also its combat movement type
  std::uint8_t size;             // square size (half cells) both ways
  std::int32_t initiative;
  std::int32_t amount;           // combat movement
  std::int32_t range;            // combat attack range
  std::int32_t hit_points;
  std::int32_t damage_min, damage_max;
  std::array<std::int32_t, 6> percent;  // against air, land, sea surface, undersea, space at 1..5
};

// Unit types of the battle tests, by index.
enum : std::uint16_t {
  UT_SOLDIER = 1,  // land, one cell, hurts land and (half) sea surface
  UT_TANK,         // land, 2 x 2 cells
  UT_PLANE,        // air, one cell, hurts air and land only
  UT_BOMBER,       // air, 2 x 2 cells
  UT_SUB,          // undersea, hurts sea surface only
  UT_SHIP,         // sea surface, carries soldiers that fight
  UT_WALL,         // land, cannot move or attack
  UT_SCOUT,        // land, does no damage at all
  UT_FERRY,        // sea surface, carries soldiers that do not fight
};

const TType_Spec Type_Specs[] = {
    {"Soldier", UNIT_MOVEMENT_LAND, 1, 10, 2, 1, 10, 4, 6, {0, 0, 100, 50, 0, 0}},
    {"Tank", UNIT_MOVEMENT_LAND, 3, 8, 2, 2, 30, 8, 12, {0, 0, 100, 100, 0, 0}},
    {"Plane", UNIT_MOVEMENT_AIR, 1, 12, 4, 1, 8, 5, 7, {0, 100, 100, 0, 0, 0}},
    {"Bomber", UNIT_MOVEMENT_AIR, 3, 6, 3, 1, 20, 10, 15, {0, 0, 100, 100, 0, 0}},
    {"Sub", UNIT_MOVEMENT_UNDERSEA, 1, 9, 2, 1, 12, 6, 8, {0, 0, 0, 100, 0, 0}},
    {"Ship", UNIT_MOVEMENT_SEA_SURFACE, 3, 7, 2, 2, 40, 6, 9, {0, 50, 50, 100, 50, 0}},
    {"Wall", UNIT_MOVEMENT_LAND, 1, 5, 0, 0, 50, 0, 0, {0, 0, 0, 0, 0, 0}},
    {"Scout", UNIT_MOVEMENT_LAND, 1, 10, 2, 1, 10, 0, 0, {0, 100, 100, 100, 100, 100}},
    {"Ferry", UNIT_MOVEMENT_SEA_SURFACE, 3, 7, 2, 2, 40, 6, 9, {0, 50, 50, 100, 50, 0}},
};

std::unique_ptr<TUnit_Type> New_Type(const TType_Spec& s) {
  auto t = std::make_unique<TUnit_Type>();
  t->f_display_name = s.name;
  t->f_internal_name = s.name;
  t->f_movement_type = s.movement;
  t->f_combat_movement_type = s.movement;
  t->f_square_size_width = s.size;
  t->f_square_size_height = s.size;
  t->f_initiative = s.initiative;
  t->f_combat_movement_amount = std::uint8_t(s.amount);
  t->f_combat_attack_range = s.range;
  t->f_hit_points = s.hit_points;
  t->f_combat_damage_min = s.damage_min;
  t->f_combat_damage_max = s.damage_max;
  t->f_combat_damage_percent = s.percent;
  t->f_attack_rating = 10;
  t->f_defense_rating = 10;
  return t;
}

class Battle_Test : public ::testing::Test {
protected:
  void SetUp() override {
    for (const TType_Spec& s : Type_Specs) types.m_Add(New_Type(s));
    types.m_Get_Item(UT_SHIP)->f_transported_units_participate_in_combat = true;
    saved_types = Unit_Type_List;
    Unit_Type_List = &types;
    for (int n = 1; n <= 3; ++n) {
      auto e = std::make_unique<TEmpire>();
      e->m_Set_Color(Make_Color(std::uint8_t(n * 40), 0, 0));
      e->m_Set_Computer_Controlled(true);
      empires.m_Add(std::move(e));
    }
    saved_map = G_Map;
    saved_empires = G_Empire_List;
    saved_timer = Master_Action_Timer;
    G_Map = &map;
    G_Empire_List = &empires;
    Master_Action_Timer = &timer;
    actions.m_Install(timer);
    Event_Log_Create();
    Game_Settings.m_Reset();
    Game_Settings.f_game_kind = 1;
    Game_Settings.f_local_empire = 1;
    Game_Settings.f_turn_empire = 1;
    Base_Game_Settings.m_Reset();
    Set_Combat_Links(nullptr);
    Random_Set_Seed(1234);
    G_Combat = TCombat_State{};
  }
  void TearDown() override {
    Event_Log_Free();
    G_Map = saved_map;
    G_Empire_List = saved_empires;
    Master_Action_Timer = saved_timer;
    Unit_Type_List = saved_types;
    Game_Settings.m_Reset();
    Base_Game_Settings.m_Reset();
    G_Combat = TCombat_State{};
  }

  TMap_Region& Region(std::int32_t id, std::uint8_t kind, std::uint8_t owner) {
    if (id > map.m_Get_Region_Count()) map.m_Set_Region_Count(id);
    TMap_Region& r = map.m_New_Region(id);
    r.m_Set_Type(kind);
    r.m_Set_Name("Region " + std::to_string(id));
    if (owner != 0) r.m_Set_Owner(owner);
    return r;
  }
  std::int32_t Unit(std::int32_t region, std::uint16_t type, std::uint8_t owner, std::uint16_t cargo = 0) {
    std::int32_t id = map.m_Add_Unit(region, type, owner, 1, cargo);
    if (region != 0) map.m_Get_Region(region)->m_Insert_Unit_Id(id);
    return id;
  }
  // Units of the owner and type on the map (standing or carried).
  std::int32_t Count_Units(std::uint8_t owner, std::uint16_t type) {
    std::int32_t n = 0;
    for (std::int32_t id = 1; id <= map.m_Get_Unit_Count(); ++id) {
      TMap_Unit_Record u;
      map.m_Get_Unit(id, u);
      if (u.id != 0 && u.owner == owner && u.unit_type == type) ++n;
    }
    return n;
  }
  // A battle between players 1 (attacker) and 2 (defender) in region 1,
  // without placing anything.
  void Battle(bool auto_resolve = true) {
    G_Combat.region = 1;
    G_Combat.attacker = 1;
    G_Combat.defender = 2;
    G_Combat.auto_resolve = auto_resolve ? 1 : 0;
  }
  // Puts a piece of the type with its anchor at the cell.
  static std::int32_t Put(int column, int row, std::uint16_t type, std::uint8_t owner, int count = 1,
                          float initiative = 0) {
    static std::int32_t next_id = 1000;
    const TUnit_Type* t = World_Unit_Type(type);
    TCombat_Cell cell;
    cell.piece_id = ++next_id;
    cell.unit_type = type;
    cell.unit_id = next_id;
    cell.owner = owner;
    cell.count = count;
    cell.hit_points = t->f_hit_points;
    cell.width = std::uint8_t((t->f_square_size_width + 1) / 2);
    cell.height = std::uint8_t((t->f_square_size_height + 1) / 2);
    cell.picture_width = t->f_square_size_width * 50.0f;
    cell.picture_height = t->f_square_size_height * 50.0f;
    cell.initiative = initiative;
    cell.can_attack = t->f_combat_attack_range > 0;
    cell.can_move = t->f_combat_movement_amount != 0;
    Combat_Place_Piece(column, row, cell);
    return cell.piece_id;
  }
  // The map as ten lines of 14 characters: 'x' marked, '.' not.
  static std::vector<std::string> Marks(
      const std::array<std::array<std::uint8_t, Combat_Rows>, Combat_Columns>& map) {
    std::vector<std::string> out;
    for (int r = 1; r <= Combat_Rows; ++r) {
      std::string line;
      for (int c = 1; c <= Combat_Columns; ++c) line += map[std::size_t(c - 1)][std::size_t(r - 1)] ? 'x' : '.';
      out.push_back(line);
    }
    return out;
  }
  // Every piece has one anchor, and every cell of its footprint carries its
  // id with the right offsets; no cell belongs to no anchor.
  static ::testing::AssertionResult Grid_Invariants() {
    std::map<std::int32_t, int> anchors;
    std::set<std::pair<int, int>> covered;
    for (int c = 1; c <= Combat_Columns; ++c)
      for (int r = 1; r <= Combat_Rows; ++r) {
        TCombat_Cell a = Combat_Get_Cell(c, r);
        if (a.anchor != 1) continue;
        if (a.unit_type == 0 || a.piece_id == 0 || a.count < 1)
          return ::testing::AssertionFailure() << "bad anchor at " << c << "," << r;
        if (++anchors[a.piece_id] > 1) return ::testing::AssertionFailure() << "piece " << a.piece_id << " twice";
        if (a.column != c || a.row != r) return ::testing::AssertionFailure() << "anchor position " << c << "," << r;
        for (int x = c; x < c + a.width; ++x)
          for (int y = r; y < r + a.height; ++y) {
            if (x > Combat_Columns || y > Combat_Rows)
              return ::testing::AssertionFailure() << "piece " << a.piece_id << " leaves the grid";
            TCombat_Cell o = Combat_Get_Cell(x, y);
            if (o.piece_id != a.piece_id || o.offset_x != x - c || o.offset_y != y - r)
              return ::testing::AssertionFailure() << "cell " << x << "," << y << " of piece " << a.piece_id;
            covered.insert({x, y});
          }
      }
    for (int c = 1; c <= Combat_Columns; ++c)
      for (int r = 1; r <= Combat_Rows; ++r)
        if (Combat_Get_Cell(c, r).piece_id != 0 && !covered.count({c, r}))
          return ::testing::AssertionFailure() << "stray cell " << c << "," << r;
    return ::testing::AssertionSuccess();
  }
  // Runs the game's action timer until the battle is over, checking the
  // grid after every frame; the number of frames.
  int Run_To_End(int frame_limit = 200000) {
    int frames = 0;
    while (Combat_Is_Active() && timer.m_Record_Count() > 0 && frames < frame_limit) {
      timer.m_Update_Timer(0.05f);
      ++frames;
      EXPECT_TRUE(Grid_Invariants()) << "frame " << frames;
      if (HasFailure()) break;
    }
    return frames;
  }
  const TEvent_Log_Item* Last_Combat_Entry() {
    for (std::int32_t i = G_Event_Log->m_Get_Count(); i >= 1; --i)
      if (G_Event_Log->m_Get_Item(i)->m_Get_Combat_Unit_Count() > 0) return G_Event_Log->m_Get_Item(i);
    return nullptr;
  }

  TMap map;
  TEmpire_List empires;
  TUnit_Type_List types;
  TMaster_Action_Timer timer;
  TCombat_Actions actions;
  TUnit_Type_List* saved_types = nullptr;
  TMap* saved_map = nullptr;
  TEmpire_List* saved_empires = nullptr;
  TMaster_Action_Timer* saved_timer = nullptr;
};

TEST_F(Battle_Test, InitiativeChoosesTheLargestAccumulatorThenColumnThenRow) {
  struct Piece { int column, row; float initiative; std::uint16_t type; };
  struct Case {
    const char* name;
    std::vector<Piece> pieces;
    int column, row;
    const char* time_text;
  } cases[] = {
      // Initiative 10 adds 0.1 per pass: from 0.05 it acts after ten passes.
      {"ten passes", {{3, 3, 0.05f, UT_SOLDIER}, {12, 3, 0.0f, UT_SOLDIER}}, 3, 3, "1.0"},
      {"equal at column", {{5, 7, 1.3f, UT_SOLDIER}, {5, 2, 1.3f, UT_SOLDIER}, {9, 1, 1.3f, UT_SOLDIER}}, 5, 2,
       "0.0"},
      {"largest wins", {{2, 2, 1.2f, UT_SOLDIER}, {8, 8, 1.6f, UT_SOLDIER}}, 8, 8, "0.0"},
      // A piece that can neither move nor attack never acts.
      {"wall never acts", {{1, 1, 5.0f, UT_WALL}, {14, 1, 1.1f, UT_SOLDIER}}, 14, 1, "0.0"},
  };
  for (const Case& k : cases) {
    G_Combat = TCombat_State{};
    Battle(false);
    Empire_Get(1)->m_Set_Computer_Controlled(false);
    Empire_Get(2)->m_Set_Computer_Controlled(false);
    std::uint8_t owner = 1;
    for (const Piece& p : k.pieces) {
      Put(p.column, p.row, p.type, owner, 1, p.initiative);
      owner = owner == 1 ? 2 : 1;
    }
    Combat_Next_Piece();
    EXPECT_EQ(G_Combat.current_column, k.column) << k.name;
    EXPECT_EQ(G_Combat.current_row, k.row) << k.name;
    EXPECT_EQ(G_Combat.combat_time_text, k.time_text) << k.name;
    EXPECT_EQ(G_Combat.winner, 0) << k.name;
  }
}

// The turn-order strip runs from x 570 to the screen's right edge and holds
// whole entries only: the order stops before the first entry that would
// pass the edge.
TEST_F(Battle_Test, TheTurnOrderHoldsOnlyEntriesThatFitOnTheScreen) {
  struct TWidth_Links : TCombat_Links {
    std::int32_t width = 1024;
    std::int32_t m_Screen_Width() override { return width; }
  } links;
  struct Case {
    const char* name;
    std::int32_t screen_width;
    std::vector<std::uint16_t> types;  // one piece each, in columns 1, 3, 5, ...
    std::int32_t entries;              // -1: as many as fit, checked below
    float last_right;                  // right edge of the last entry (0: not checked)
  } cases[] = {
      // 454 pixels hold fourteen entries of 32 (to 1018), not fifteen.
      {"soldiers at 1024", 1024, {UT_SOLDIER, UT_SOLDIER}, 14, 1018.0f},
      {"soldiers at 800", 800, {UT_SOLDIER, UT_SOLDIER}, 7, 794.0f},
      {"exactly to the edge", 602, {UT_SOLDIER}, 1, 602.0f},
      {"tanks and soldiers at 1024", 1024, {UT_TANK, UT_SOLDIER, UT_SOLDIER}, -1, 0.0f},
      // Not even one tank (96 pixels) fits in 60.
      {"too narrow", 630, {UT_TANK}, 0, 0.0f},
  };
  Set_Combat_Links(&links);
  for (const Case& k : cases) {
    G_Combat = TCombat_State{};
    Battle(false);
    links.width = k.screen_width;
    int column = 1;
    std::uint8_t owner = 1;
    for (std::uint16_t type : k.types) {
      Put(column, 1, type, owner, 1, 0.5f);
      column += 3;
      owner = owner == 1 ? 2 : 1;
    }
    Combat_Build_Turn_Order();
    const std::int32_t n = G_Combat.turn_order_count;
    if (k.entries >= 0) {
      EXPECT_EQ(n, k.entries) << k.name;
    } else {
      EXPECT_GT(n, 3) << k.name;
    }
    float x = Combat_Turn_Strip_Left;
    for (std::int32_t i = 0; i < n; ++i) {
      const TCombat_Turn_Entry& e = G_Combat.turn_order[std::size_t(i)];
      EXPECT_EQ(e.x, x) << k.name << " " << i;
      EXPECT_GT(e.width, 0.0f) << k.name << " " << i;
      EXPECT_LE(e.x + e.width, float(k.screen_width)) << k.name << " " << i;
      x += e.width;
    }
    if (k.last_right > 0.0f) EXPECT_EQ(x, k.last_right) << k.name;
    // What is left of the strip is too narrow for the widest entry.
    if (k.entries < 0) EXPECT_LT(float(k.screen_width) - x, 96.0f) << k.name;
  }
  Set_Combat_Links(nullptr);
}

TEST_F(Battle_Test, MoveMapsFollowMovementTypeAndFootprint) {
  struct Case {
    const char* name;
    std::uint16_t type;
    int column, row;
    std::vector<std::tuple<int, int, std::uint16_t>> others;  // enemy blockers
    std::vector<std::string> expected;
  } cases[] = {
      {"land piece walks around a blocker",
       UT_SOLDIER, 3, 3, {{4, 3, UT_WALL}, {4, 2, UT_WALL}, {4, 4, UT_WALL}},
       {"xxxx..........", "xxx...........", "xx............", "xxx...........", "xxxx..........",
        "..............", "..............", "..............", "..............", ".............."}},
      {"air piece flies over blockers",
       UT_PLANE, 3, 3, {{4, 3, UT_WALL}, {5, 3, UT_WALL}, {6, 3, UT_WALL}},
       {"xxxxxxx.......", "xxxxxxx.......", "xx....x.......", "xxxxxxx.......", "xxxxxxx.......",
        "xxxxxxx.......", "xxxxxxx.......", "..............", "..............", ".............."}},
      // A 2 x 2 land piece cannot pass a gap one cell wide.
      {"wide land piece and a narrow gap",
       UT_TANK, 1, 1, {{3, 1, UT_WALL}, {3, 3, UT_WALL}, {3, 4, UT_WALL}},
       {"..............", "..............", "xx............", "xx............", "..............",
        "..............", "..............", "..............", "..............", ".............."}},
      // A 2 x 2 air piece lands only where its whole footprint fits.
      {"wide air piece needs room to land",
       UT_BOMBER, 5, 5, {{8, 5, UT_WALL}},
       {"..............", ".xxxxxxxx.....", ".xxxxxxxx.....", ".xxxxx..x.....", ".xxx....x.....",
        ".xxx..xxx.....", ".xxxxxxxx.....", ".xxxxxxxx.....", ".xxxxxxxx.....", ".............."}},
      {"undersea piece is blocked like a land piece",
       UT_SUB, 1, 1, {{2, 1, UT_WALL}, {2, 2, UT_WALL}},
       {"..............", "x.............", "xx............", "..............", "..............",
        "..............", "..............", "..............", "..............", ".............."}},
  };
  for (const Case& k : cases) {
    G_Combat = TCombat_State{};
    Battle();
    std::int32_t id = Put(k.column, k.row, k.type, 1);
    for (auto [c, r, t] : k.others) Put(c, r, t, 2);
    const TUnit_Type* t = World_Unit_Type(k.type);
    TCombat_Cell anchor = Combat_Get_Cell(k.column, k.row);
    Combat_Compute_Move_Map(id, k.column, k.row, t->f_combat_movement_type, t->f_combat_movement_amount,
                            anchor.height, anchor.width);
    EXPECT_EQ(Marks(G_Combat.move_map), k.expected) << k.name;
  }
}

TEST_F(Battle_Test, AttackMapsMarkEmptyCellsAndWholeTargetsThatCanBeHurt) {
  Battle();
  G_Combat.current_owner = 1;
  std::int32_t id = Put(5, 5, UT_SOLDIER, 1);
  Put(6, 5, UT_SOLDIER, 1);  // own piece: never marked
  Put(4, 6, UT_TANK, 2);     // 2 x 2 enemy: every cell marked
  Put(4, 4, UT_SUB, 2);      // undersea: the soldier's percent against it is 0
  Combat_Compute_Attack_Map(id, 5, 5, UT_SOLDIER, 1, 1, 1);
  EXPECT_EQ(Marks(G_Combat.attack_map),
            (std::vector<std::string>{"..............", "..............", "..............", "....xx........",
                                      "...x..........", "...xxx........", "...xx.........", "..............",
                                      "..............", ".............."}));
}

TEST_F(Battle_Test, AttackabilityUsesTheMovementTypeThatDamageUses) {
  // A target whose combat movement type differs from its movement type:
  // the attack map and the damage agree on the movement type.
  types.m_Get_Item(UT_SUB)->f_combat_movement_type = UNIT_MOVEMENT_LAND;
  Battle();
  G_Combat.current_owner = 1;
  std::int32_t id = Put(5, 5, UT_SOLDIER, 1);
  Put(6, 5, UT_SUB, 2);
  Combat_Compute_Attack_Map(id, 5, 5, UT_SOLDIER, 1, 1, 1);
  EXPECT_EQ(G_Combat.attack_map[5][4], 0);
  EXPECT_EQ(TCombat_Actions::m_Calc_Combat_Damage(5, 5, 6, 5), 0);
  // And the other way round: a surface unit counted as undersea in battle
  // is still hit by the soldier (50 % against sea surface).
  TUnit_Type* sub = types.m_Get_Item(UT_SUB);
  sub->f_movement_type = UNIT_MOVEMENT_SEA_SURFACE;
  sub->f_combat_movement_type = UNIT_MOVEMENT_UNDERSEA;
  G_Combat.attack_map = {};
  Combat_Compute_Attack_Map(id, 5, 5, UT_SOLDIER, 1, 1, 1);
  EXPECT_EQ(G_Combat.attack_map[5][4], 1);
  EXPECT_GT(TCombat_Actions::m_Calc_Combat_Damage(5, 5, 6, 5), 0);
}

TEST_F(Battle_Test, ComputerAttacksTheMostValuableTargetLowerColumnOnTies) {
  struct Case {
    const char* name;
    std::vector<std::tuple<int, int, std::uint16_t, int>> enemies;  // column, row, type, count
    int column, row;
  } cases[] = {
      // Values: a soldier 10 hit points, a tank 30 (both at 100 %), a ship
      // 40 at 50 % = 20.
      {"tank worth more", {{4, 5, UT_SOLDIER, 1}, {6, 4, UT_TANK, 1}}, 6, 4},
      {"four soldiers worth more", {{4, 5, UT_SOLDIER, 4}, {6, 4, UT_TANK, 1}}, 4, 5},
      {"percent weighs the hit points", {{4, 5, UT_SOLDIER, 3}, {6, 4, UT_SHIP, 1}}, 4, 5},
      {"equal values: lower column", {{6, 5, UT_SOLDIER, 1}, {4, 6, UT_SOLDIER, 1}}, 4, 6},
      {"equal values: lower row", {{4, 6, UT_SOLDIER, 1}, {4, 4, UT_SOLDIER, 1}}, 4, 4},
  };
  for (const Case& k : cases) {
    G_Combat = TCombat_State{};
    timer.m_Clear();
    Battle();
    std::int32_t id = Put(5, 5, UT_SOLDIER, 1, 1, 1.5f);
    for (auto [c, r, t, n] : k.enemies) Put(c, r, t, 2, n);
    G_Combat.current_piece = id;
    G_Combat.current_column = 5;
    G_Combat.current_row = 5;
    G_Combat.current_owner = 1;
    types.m_Get_Item(UT_SOLDIER)->f_combat_attack_range = 1;
    Combat_Compute_Attack_Map(id, 5, 5, UT_SOLDIER, 2, 1, 1);
    Combat_Execute_AI_Move();
    ASSERT_EQ(timer.m_Record_Count(), 2) << k.name;
    const TAction_Record& attack = timer.m_Get_Record(1);
    EXPECT_EQ(attack.kind, ACTION_COMBAT_ATTACK) << k.name;
    EXPECT_EQ(attack.combat_attack.defender_column, k.column) << k.name;
    EXPECT_EQ(attack.combat_attack.defender_row, k.row) << k.name;
    EXPECT_EQ(timer.m_Get_Record(2).kind, ACTION_COMBAT_NEXT_PIECE) << k.name;
    EXPECT_FLOAT_EQ(Combat_Get_Cell(5, 5).initiative, 0.5f) << k.name;
  }
}

TEST_F(Battle_Test, ComputerScoresThreatApproachAndOpportunity) {
  Battle();
  // Threat: an enemy tank (count 2, max 12, 100 % against land, range 2)
  // takes trunc(2 * 12 * 100 / 100 / 10) = 2 from every cell within two
  // cells of its anchor; soldiers (3 x 6 x 100 / 100 / 10) take 1 within
  // one cell, on top.
  std::vector<TCombat_Cell> pieces;
  Put(10, 5, UT_TANK, 2, 2);
  Put(13, 5, UT_SOLDIER, 2, 3);
  for (int c = 1; c <= 14; ++c)
    for (int r = 1; r <= 10; ++r)
      if (Combat_Get_Cell(c, r).anchor == 1) pieces.push_back(Combat_Get_Cell(c, r));
  std::array<std::array<std::int32_t, Combat_Rows>, Combat_Columns> scores{};
  Combat_AI_Score_Cells(1, UNIT_MOVEMENT_LAND, pieces, scores);
  struct Expect { int column, row, score; } expected[] = {
      {8, 3, -2}, {8, 5, -2}, {10, 5, -2}, {12, 6, -3}, {13, 7, 0}, {14, 4, -1}, {7, 5, 0}, {12, 8, 0}};
  for (const Expect& e : expected)
    EXPECT_EQ(scores[std::size_t(e.column - 1)][std::size_t(e.row - 1)], e.score) << e.column << "," << e.row;

  // Opportunity: from a cell the soldier (max 6, range 1) could hit the
  // tank's anchor (count 2: 12) and the soldiers (count 3: 18); the tank's
  // other cells add nothing.
  EXPECT_EQ(Combat_AI_Threat_Sum(9, 5, UT_SOLDIER, 1, 1), 12);
  EXPECT_EQ(Combat_AI_Threat_Sum(12, 5, UT_SOLDIER, 1, 1), 18);
  EXPECT_EQ(Combat_AI_Threat_Sum(12, 4, UT_SOLDIER, 1, 1), 18);
  EXPECT_EQ(Combat_AI_Threat_Sum(10, 7, UT_SOLDIER, 1, 1), 0);
  EXPECT_EQ(Combat_AI_Threat_Sum(3, 3, UT_SOLDIER, 1, 1), 0);
}

TEST_F(Battle_Test, ComputerMovesTowardsWhatItCanHurtAndWaitsWhenItCannotMove) {
  Battle();
  std::int32_t id = Put(2, 5, UT_SOLDIER, 1, 1, 1.5f);
  Put(12, 5, UT_SOLDIER, 2);
  G_Combat.current_piece = id;
  G_Combat.current_column = 2;
  G_Combat.current_row = 5;
  G_Combat.current_owner = 1;
  Combat_Compute_Move_Map(id, 2, 5, UNIT_MOVEMENT_LAND, 2, 1, 1);
  Combat_Execute_AI_Move();
  // Approach: column 4 is two steps closer; rows 3..7 are as close and the
  // seeded draw picks among them.
  ASSERT_GE(timer.m_Record_Count(), 2);
  const TAction_Record& last_move = timer.m_Get_Record(timer.m_Record_Count() - 1);
  EXPECT_EQ(last_move.kind, ACTION_COMBAT_MOVE);
  EXPECT_EQ(last_move.combat_move.to_column, 4);
  EXPECT_GE(last_move.combat_move.to_row, 3);
  EXPECT_LE(last_move.combat_move.to_row, 7);
  EXPECT_EQ(G_Combat.current_piece, 0);

  // Boxed in and nothing in reach: it waits (accumulator - 0.5) and the
  // next turn begins; it goes to the human defender once that one's
  // accumulator leads.
  G_Combat = TCombat_State{};
  timer.m_Clear();
  Battle(false);
  Empire_Get(2)->m_Set_Computer_Controlled(false);
  id = Put(1, 1, UT_SOLDIER, 1, 1, 1.2f);
  Put(2, 1, UT_WALL, 1);
  Put(1, 2, UT_WALL, 1);
  Put(2, 2, UT_WALL, 1);
  Put(14, 10, UT_SOLDIER, 2, 1, 0.0f);
  G_Combat.current_piece = id;
  G_Combat.current_column = 1;
  G_Combat.current_row = 1;
  G_Combat.current_owner = 1;
  Combat_Compute_Move_Map(id, 1, 1, UNIT_MOVEMENT_LAND, 2, 1, 1);
  Combat_Execute_AI_Move();
  EXPECT_EQ(G_Combat.current_column, 14);
  EXPECT_EQ(G_Combat.current_row, 10);
  EXPECT_EQ(G_Combat.winner, 0);
}

TEST_F(Battle_Test, AMoveToACellThePathCannotReachEndsTheMove) {
  Battle();
  std::int32_t id = Put(1, 1, UT_SOLDIER, 1, 1, 1.5f);
  // A wall of enemies between the piece and the cell.
  for (int r = 1; r <= 10; ++r) Put(3, r, UT_WALL, 2);
  G_Combat.current_piece = id;
  G_Combat.current_column = 1;
  G_Combat.current_row = 1;
  G_Combat.current_owner = 1;
  m_Combat_Move(5, 5);
  ASSERT_EQ(timer.m_Record_Count(), 1);
  EXPECT_EQ(timer.m_Get_Record(1).kind, ACTION_COMBAT_NEXT_PIECE);
  EXPECT_TRUE(timer.m_Get_Record(1).active);
  EXPECT_EQ(G_Combat.current_piece, 0);
  EXPECT_FLOAT_EQ(Combat_Get_Cell(1, 1).initiative, 0.5f);
}

TEST_F(Battle_Test, AWideFlyingPieceNeverLandsOnAnotherPiece) {
  Battle();
  std::int32_t id = Put(5, 5, UT_BOMBER, 1, 1, 1.5f);
  std::int32_t blocker = Put(8, 6, UT_WALL, 2);
  G_Combat.current_piece = id;
  G_Combat.current_column = 5;
  G_Combat.current_row = 5;
  G_Combat.current_owner = 1;
  // (7, 5) is free but the 2 x 2 footprint would cover (8, 6); (14, 10)
  // would leave the grid: the move ends where the piece stands.
  for (auto [c, r] : {std::pair{7, 5}, std::pair{14, 10}}) {
    timer.m_Clear();
    G_Combat.current_piece = id;
    G_Combat.current_column = 5;
    G_Combat.current_row = 5;
    G_Combat.current_owner = 1;
    m_Combat_Move(c, r);
    ASSERT_EQ(timer.m_Record_Count(), 1);
    EXPECT_EQ(timer.m_Get_Record(1).kind, ACTION_COMBAT_NEXT_PIECE);
  }
  // A move action aimed at such a place puts the piece back where it was.
  timer.m_Clear();
  timer.m_Add_Action_Combat_Move(5, 5, 7, 5, true, true, 0);
  for (int frame = 0; frame < 5; ++frame) {
    timer.m_Update_Timer(0.05f);
    EXPECT_TRUE(Grid_Invariants()) << frame;
  }
  EXPECT_EQ(timer.m_Record_Count(), 0);
  EXPECT_EQ(Combat_Get_Cell(8, 6).piece_id, blocker);
  EXPECT_EQ(Combat_Get_Cell(5, 5).piece_id, id);
  EXPECT_EQ(Combat_Get_Cell(6, 6).piece_id, id);
  EXPECT_TRUE(Grid_Invariants());
}

TEST_F(Battle_Test, ABattleNobodyCanWinEndsAsAHoldForTheDefender) {
  struct Case {
    const char* name;
    std::uint8_t kind;
    std::uint16_t attacker_type, defender_type;
  } cases[] = {
      // The plane cannot hurt what is under water, nor the sub what flies.
      {"air against submarine", REGION_OCEAN, UT_PLANE, UT_SUB},
      {"scouts that do no damage", REGION_LAND, UT_SCOUT, UT_SCOUT},
  };
  for (const Case& k : cases) {
    G_Combat = TCombat_State{};
    map.m_Clear();
    Region(1, k.kind, 2);
    Unit(1, k.attacker_type, 1);
    Unit(1, k.defender_type, 2);
    map.m_Add_Combat_Region(1);
    EXPECT_TRUE(Combat_Resolve(1)) << k.name;
    EXPECT_FALSE(Combat_Is_Active()) << k.name;
    const TEvent_Log_Item* entry = Last_Combat_Entry();
    ASSERT_NE(entry, nullptr) << k.name;
    // Ocean regions have no owner.
    EXPECT_EQ(map.m_Get_Region(1)->m_Get_Owner(), k.kind == REGION_LAND ? 2 : 0) << k.name;
    EXPECT_EQ(map.m_Get_Combat_Region_Count(), 0) << k.name;
    EXPECT_EQ(Count_Units(1, k.attacker_type), 1) << k.name;
    EXPECT_EQ(Count_Units(2, k.defender_type), 1) << k.name;
  }
}

TEST_F(Battle_Test, ABattleBeyondTheTimeLimitEndsAsAHoldForTheDefender) {
  // Each side is boxed in by its own walls far from the other: every turn
  // is a wait, handed on in a loop rather than ever deeper calls, until
  // the combat time runs out.
  Region(1, REGION_LAND, 2);
  map.m_Add_Combat_Region(1);
  Battle();
  G_Combat.region = 1;
  Put(1, 1, UT_SOLDIER, 1);
  Put(2, 1, UT_WALL, 1);
  Put(1, 2, UT_WALL, 1);
  Put(2, 2, UT_WALL, 1);
  Put(14, 10, UT_SOLDIER, 2);
  Put(13, 10, UT_WALL, 2);
  Put(14, 9, UT_WALL, 2);
  Put(13, 9, UT_WALL, 2);
  G_Combat.complete_here = 1;
  Combat_Next_Piece();
  EXPECT_FALSE(Combat_Is_Active());
  const TEvent_Log_Item* entry = G_Event_Log->m_Get_Count() ? G_Event_Log->m_Get_Item(G_Event_Log->m_Get_Count())
                                                            : nullptr;
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(map.m_Get_Region(1)->m_Get_Owner(), 2);
  EXPECT_EQ(map.m_Get_Combat_Region_Count(), 0);
}

TEST_F(Battle_Test, WholeBattlesEndWithATallyEqualToTheUnitsLost) {
  struct Side { std::uint16_t type; int count; };
  struct Case {
    const char* name;
    std::uint8_t kind;
    std::vector<Side> attacker, defender;
    bool ship_with_soldiers;  // the attacker's ship carries two soldiers that fight
  } cases[] = {
      {"land against land", REGION_LAND, {{UT_SOLDIER, 6}, {UT_TANK, 2}}, {{UT_SOLDIER, 5}, {UT_TANK, 2}}, false},
      {"mixed sizes and fliers", REGION_LAND, {{UT_TANK, 3}, {UT_PLANE, 4}, {UT_BOMBER, 2}},
       {{UT_SOLDIER, 8}, {UT_TANK, 1}, {UT_PLANE, 2}}, false},
      {"transport with fighting cargo", REGION_OCEAN, {{UT_SUB, 1}}, {{UT_SHIP, 2}, {UT_SUB, 2}}, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    G_Combat = TCombat_State{};
    timer.m_Clear();
    map.m_Clear();
    Region(1, k.kind, 2);
    for (const Side& s : k.attacker)
      for (int i = 0; i < s.count; ++i) Unit(1, s.type, 1);
    for (const Side& s : k.defender)
      for (int i = 0; i < s.count; ++i) Unit(1, s.type, 2);
    if (k.ship_with_soldiers) {
      map.m_Set_Cargo_List_Count(1);
      std::int32_t a = Unit(0, UT_SOLDIER, 1), b = Unit(0, UT_SOLDIER, 1);
      map.m_Put_Cargo_List(1, {a, b});
      Unit(1, UT_SHIP, 1, 1);
    }
    map.m_Add_Combat_Region(1);
    std::map<std::pair<int, int>, int> before;
    for (std::uint8_t owner : {1, 2})
      for (std::uint16_t t = 1; t <= types.m_Count(); ++t) before[{owner, t}] = Count_Units(owner, t);

    Combat_Begin(1, true, false);
    EXPECT_TRUE(Grid_Invariants());
    Run_To_End();
    ASSERT_FALSE(Combat_Is_Active());
    const TEvent_Log_Item* entry = Last_Combat_Entry();
    ASSERT_NE(entry, nullptr);
    int tallied = 0, lost = 0;
    for (std::int32_t i = 1; i <= entry->m_Get_Combat_Unit_Count(); ++i) {
      TEvent_Log_Combat_Row row;
      entry->m_Get_Combat_Unit(i, row);
      tallied += row.destroyed;
      EXPECT_EQ(Count_Units(row.owner, row.unit_type), (before[{row.owner, row.unit_type}] - row.destroyed))
          << "type " << row.unit_type << " of player " << int(row.owner);
    }
    for (auto& [key, n] : before) lost += n - Count_Units(std::uint8_t(key.first), std::uint16_t(key.second));
    EXPECT_EQ(tallied, lost);
    EXPECT_GT(lost, 0);
    EXPECT_EQ(map.m_Get_Combat_Region_Count(), 0);
  }
}

TEST_F(Battle_Test, EqualSeedsGiveEqualBattles) {
  auto fight = [&](std::uint32_t seed) {
    G_Combat = TCombat_State{};
    map.m_Clear();
    Region(1, REGION_LAND, 2);
    for (int i = 0; i < 5; ++i) Unit(1, UT_SOLDIER, 1);
    for (int i = 0; i < 2; ++i) Unit(1, UT_PLANE, 1);
    for (int i = 0; i < 6; ++i) Unit(1, UT_SOLDIER, 2);
    Unit(1, UT_TANK, 2);
    Random_Set_Seed(seed);
    Combat_Resolve(1);
    const TEvent_Log_Item* entry = Last_Combat_Entry();
    std::vector<TEvent_Log_Combat_Row> rows = entry ? entry->f_combat_rows : std::vector<TEvent_Log_Combat_Row>{};
    return std::make_tuple(rows, map.m_Get_Region(1)->m_Get_Owner(), Random_Range(1, 1000000));
  };
  EXPECT_EQ(fight(77), fight(77));
}

TEST_F(Battle_Test, ResultsRemoveCargoFirstAndChangeOwnerOnlyByLand) {
  struct Case {
    const char* name;
    std::uint8_t kind;
    std::uint8_t winner;
    bool land_piece;
    std::uint8_t owner_after;
  } cases[] = {
      {"attacker wins with land", REGION_LAND, 1, true, 1},
      {"attacker wins without land", REGION_LAND, 1, false, 2},
      {"defender holds", REGION_LAND, 2, true, 2},
      {"ocean never changes hands", REGION_OCEAN, 1, true, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    map.m_Clear();
    Region(1, k.kind, k.kind == REGION_LAND ? 2 : 0);
    // Two soldiers of player 1 stand in the region and two ride in a ship
    // whose cargo fights; two of them were destroyed.
    std::int32_t standing_a = Unit(1, UT_SOLDIER, 1), standing_b = Unit(1, UT_SOLDIER, 1);
    map.m_Set_Cargo_List_Count(1);
    std::int32_t carried_a = Unit(0, UT_SOLDIER, 1), carried_b = Unit(0, UT_SOLDIER, 1);
    map.m_Put_Cargo_List(1, {carried_a, carried_b});
    std::int32_t ship = Unit(1, UT_SHIP, 1, 1);
    std::int32_t tank = Unit(1, UT_TANK, 2);
    map.m_Add_Combat_Region(1);
    G_Combat = TCombat_State{};
    Battle(true);
    G_Combat.complete_here = 1;
    G_Combat.winner = k.winner;
    G_Combat.attacker_has_land_piece = k.land_piece;
    G_Combat.prior_owner = 2;
    G_Combat.starting_count = 3;
    G_Combat.starting[0] = {UT_SOLDIER, 1, 4, 2};
    G_Combat.starting[1] = {UT_SHIP, 1, 1, 0};
    G_Combat.starting[2] = {UT_TANK, 2, 1, 1};
    Combat_Completed();
    TMap_Unit_Record u;
    // The carried soldiers go first (the last in the list first).
    for (std::int32_t id : {carried_a, carried_b}) {
      map.m_Get_Unit(id, u);
      EXPECT_EQ(u.id, 0) << id;
    }
    for (std::int32_t id : {standing_a, standing_b, ship}) {
      map.m_Get_Unit(id, u);
      EXPECT_EQ(u.id, id);
    }
    EXPECT_EQ(map.m_Get_Cargo_Count(1), 0);
    map.m_Get_Unit(tank, u);
    EXPECT_EQ(u.id, 0);
    EXPECT_EQ(map.m_Get_Region(1)->m_Get_Owner(), k.owner_after);
    EXPECT_EQ(map.m_Get_Combat_Region_Count(), 0);
    EXPECT_FALSE(Combat_Is_Active());
    ASSERT_NE(Last_Combat_Entry(), nullptr);
    EXPECT_EQ(Last_Combat_Entry()->f_combat_rows.size(), 3u);
  }
}

TEST_F(Battle_Test, AnEmptyListOfBattleMapsGivesAPlainBackground) {
  for (std::uint8_t kind : {REGION_LAND, REGION_OCEAN}) {
    map.m_Clear();
    Region(1, kind, 0);
    Unit(1, kind == REGION_LAND ? UT_SOLDIER : UT_SUB, 1);
    Unit(1, kind == REGION_LAND ? UT_SOLDIER : UT_SUB, 2);
    Base_Game_Settings.f_battle_map_land.clear();
    Base_Game_Settings.f_battle_map_ocean.clear();
    Random_Set_Seed(5);
    G_Combat = TCombat_State{};
    Combat_Set_Action_Timer(&timer);
    Combat_Begin(1, true, false);
    EXPECT_TRUE(G_Combat.background_path.empty());
    EXPECT_EQ(G_Combat.background_texture, 0);
    Combat_Set_Action_Timer(nullptr);
    timer.m_Clear();
  }
}

TEST_F(Battle_Test, ClicksAndButtonsOfTheLocalPlayer) {
  struct TClick_Links : TCombat_Links {
    std::vector<std::string> sent;
    bool m_Screen_To_Battle_Plane(std::int32_t x, std::int32_t y, float& px, float& py) override {
      px = float(x);
      py = float(y);
      return true;
    }
    void m_Send_Move(std::int32_t c, std::int32_t r) override {
      sent.push_back("move " + std::to_string(c) + "," + std::to_string(r));
    }
    void m_Send_Attack(std::int32_t c, std::int32_t r, std::int32_t) override {
      sent.push_back("attack " + std::to_string(c) + "," + std::to_string(r));
    }
    void m_Send_Wait_Piece_Turn(bool) override { sent.push_back("wait"); }
    void m_Next_Piece() override { sent.push_back("next"); }
  } links;
  Set_Combat_Links(&links);
  Game_Settings.f_game_kind = 3;
  Empire_Get(1)->m_Set_Computer_Controlled(false);
  struct Case {
    const char* name;
    int x, y;  // battle-plane point clicked
    std::uint8_t local;
    std::vector<std::string> sent;
    std::uint8_t kind;  // first queued action, 0 none
  } cases[] = {
      {"enemy in range", 250, 50, 1, {"attack 3,1"}, ACTION_COMBAT_ATTACK},
      {"second cell of the enemy tank", 350, 250, 1, {"attack 3,2"}, ACTION_COMBAT_ATTACK},
      {"empty cell to move to", 150, 250, 1, {"move 2,3"}, ACTION_COMBAT_MOVE},
      {"empty cell beyond reach", 950, 850, 1, {}, 0},
      {"own piece", 150, 150, 1, {}, 0},
      {"another machine's piece", 250, 50, 2, {}, 0},
  };
  for (const Case& k : cases) {
    G_Combat = TCombat_State{};
    timer.m_Clear();
    links.sent.clear();
    Battle(false);
    Game_Settings.f_local_empire = k.local;
    std::int32_t id = Put(2, 2, UT_SOLDIER, 1, 1, 1.5f);
    Put(2, 1, UT_SOLDIER, 1);
    Put(3, 1, UT_SOLDIER, 2);
    Put(3, 2, UT_TANK, 2);
    G_Combat.current_piece = id;
    G_Combat.current_column = 2;
    G_Combat.current_row = 2;
    G_Combat.current_owner = 1;
    Combat_Compute_Move_Map(id, 2, 2, UNIT_MOVEMENT_LAND, 2, 1, 1);
    Combat_Compute_Attack_Map(id, 2, 2, UT_SOLDIER, 1, 1, 1);
    Combat_Mouse_Click(k.x, k.y);
    EXPECT_EQ(links.sent, k.sent) << k.name;
    if (k.kind == 0) {
      EXPECT_EQ(timer.m_Record_Count(), 0) << k.name;
      EXPECT_EQ(G_Combat.current_piece, id) << k.name;
    } else {
      ASSERT_GE(timer.m_Record_Count(), 2) << k.name;
      EXPECT_EQ(timer.m_Get_Record(1).kind, k.kind) << k.name;
      EXPECT_EQ(G_Combat.current_piece, 0) << k.name;
    }
  }
  // The wait button lowers the accumulator by 0.5 and hands the turn on;
  // between turns it does nothing.
  links.sent.clear();
  G_Combat.current_piece = Combat_Get_Cell(2, 2).piece_id;
  G_Combat.current_column = 2;
  G_Combat.current_row = 2;
  G_Combat.current_owner = 1;
  float before = Combat_Get_Cell(2, 2).initiative;
  Combat_Button_Click("combat main button 2");
  // 1.5 - 0.5 is no longer above 1.0: one pass (+0.1) gives it the turn
  // again.
  EXPECT_FLOAT_EQ(Combat_Get_Cell(2, 2).initiative, before - 0.5f + 0.1f);
  EXPECT_EQ(G_Combat.combat_time_text, "0.1");
  EXPECT_EQ(G_Combat.current_piece, Combat_Get_Cell(2, 2).piece_id);
  EXPECT_EQ(links.sent, (std::vector<std::string>{"wait"}));
  links.sent.clear();
  G_Combat.current_piece = 0;
  Combat_Button_Click("Combat Main Button 2");
  EXPECT_TRUE(links.sent.empty());
  Set_Combat_Links(nullptr);
}

TEST_F(Battle_Test, KillPreviewUsesTheDamageRulesOwnKillTest) {
  struct Case {
    const char* name;
    int attackers, target_count, target_hp, type_hp;
    std::int32_t damage_min, damage_max;
    const char* text;
  } cases[] = {
      // The highest roll cannot get through the front unit's hit points.
      {"out of reach", 1, 3, 10, 10, 4, 6, "0 Killed"},
      // Damage equal to the front unit's hit points leaves it at 0, alive.
      {"equal survives", 1, 3, 6, 10, 6, 6, "0 Killed"},
      {"one over kills", 1, 3, 6, 10, 6, 7, "0 - 1 Killed"},
      // 2 x 8..12 = 16..24 against 10 + 10 + 10: kills 1 (16 > 10, 6 left
      // on the next) to 2 (24 = 10 + 10 + 4).
      {"two attackers", 2, 3, 10, 10, 8, 12, "1 - 2 Killed"},
      {"never more than the count", 5, 2, 10, 10, 20, 30, "2 - 2 Killed"},
      // A type without hit points: each point of damage kills one unit.
      {"no hit points", 1, 5, 0, 0, 2, 3, "2 - 3 Killed"},
  };
  for (const Case& k : cases) {
    G_Combat = TCombat_State{};
    Battle(false);
    TUnit_Type* soldier = types.m_Get_Item(UT_SOLDIER);
    soldier->f_combat_damage_min = k.damage_min;
    soldier->f_combat_damage_max = k.damage_max;
    TUnit_Type* target = types.m_Get_Item(UT_TANK);
    target->f_hit_points = k.type_hp;
    std::int32_t id = Put(5, 5, UT_SOLDIER, 1, k.attackers);
    Put(6, 4, UT_TANK, 2, k.target_count);
    TCombat_Cell t = Combat_Get_Cell(6, 4);
    t.hit_points = k.target_hp;
    Combat_Set_Cell(6, 4, t);
    G_Combat.current_piece = id;
    G_Combat.current_column = 5;
    G_Combat.current_row = 5;
    G_Combat.current_owner = 1;
    Combat_Compute_Attack_Map(id, 5, 5, UT_SOLDIER, 1, 1, 1);
    Combat_Kill_Preview(6, 4);
    EXPECT_TRUE(G_Combat.hover.preview_shown) << k.name;
    EXPECT_EQ(G_Combat.hover.preview_text, k.text) << k.name;
  }
  // Own pieces are never marked for attack: no preview.
  G_Combat.hover = TCombat_Hover{};
  Put(4, 4, UT_SOLDIER, 1);
  G_Combat.attack_map = {};
  Combat_Compute_Attack_Map(G_Combat.current_piece, 5, 5, UT_SOLDIER, 1, 1, 1);
  Combat_Kill_Preview(4, 4);
  EXPECT_FALSE(G_Combat.hover.preview_shown);
}

TEST_F(Battle_Test, BattleScreenDrawsCellsGridAndPanelOnTheHeadlessDevice) {
  TDevice_Params params;
  params.Width = 1024;
  params.Height = 768;
  TRender_Device_Headless device(params);
  Render_Device_Set_Current(&device);
  G_Init_GraphicsEngine();
  TSurface_Desc desc;
  device.Get_BackBuffer_Desc(desc);
  G_Set_BackBuffer_Desc(desc);

  Battle(false);
  std::int32_t id = Put(2, 2, UT_SOLDIER, 1, 1, 1.5f);
  Put(3, 2, UT_SOLDIER, 2);
  Put(6, 6, UT_TANK, 2);
  G_Combat.current_piece = id;
  G_Combat.current_column = 2;
  G_Combat.current_row = 2;
  G_Combat.current_owner = 1;
  Combat_Compute_Move_Map(id, 2, 2, UNIT_MOVEMENT_LAND, 1, 1, 1);
  Combat_Compute_Attack_Map(id, 2, 2, UT_SOLDIER, 1, 1, 1);

  device.Set_Recording(true);
  device.Clear_Draw_Records();
  Combat_Draw();
  // Cell squares by their top-left corner on the battle plane.
  std::map<std::pair<int, int>, std::vector<TColor>> squares;
  std::vector<TColor> line_colours, panel_colours;
  for (const TDraw_Record& rec : device.Draw_Records()) {
    if (rec.fvf == FVF_LVERTEX && rec.primitive == D3DPT_TRIANGLELIST && rec.m_Vertex_Count() == 4 &&
        rec.texture == 0) {
      TDevice_LVertex v = rec.m_LVertex(0);
      if (rec.m_LVertex(1).x - v.x == 100) squares[{int(v.x), int(v.y)}].push_back(v.diffuse);
    } else if (rec.primitive == D3DPT_LINELIST) {
      EXPECT_LE(rec.m_Vertex_Count(), 300u);
      for (std::uint32_t i = 0; i < rec.m_Vertex_Count(); ++i) line_colours.push_back(rec.m_LVertex(i).diffuse);
    } else if (rec.fvf != FVF_LVERTEX && rec.m_Vertex_Count() >= 4) {
      panel_colours.push_back(rec.m_Screen_Vertex(0).diffuse);
    }
  }
  auto Square = [](std::map<std::pair<int, int>, std::vector<TColor>>& m, int x, int y) { return m[{x, y}]; };
  const TColor grey = G_Make_Color_RGBA(100, 100, 100, 99), current = G_Make_Color_RGBA(150, 150, 50, 90),
               red = G_Make_Color_RGBA(150, 50, 50, 90), blue = G_Make_Color_RGBA(100, 100, 150, 90);
  EXPECT_EQ(Square(squares, 100, 100), (std::vector<TColor>{grey, current}));
  EXPECT_EQ(Square(squares, 200, 100), (std::vector<TColor>{grey, red}));
  EXPECT_EQ(Square(squares, 100, 200), (std::vector<TColor>{blue}));
  EXPECT_EQ(Square(squares, 0, 0), (std::vector<TColor>{blue}));
  EXPECT_EQ(Square(squares, 600, 600), (std::vector<TColor>{grey}));  // the tank is out of reach
  EXPECT_EQ(Square(squares, 500, 500), (std::vector<TColor>{grey}));
  EXPECT_EQ(squares.count({900, 900}), 0u);
  // Grid lines: 15 x 10 vertical and 11 x 14 horizontal, the two inside the
  // tank in the darker colour.
  EXPECT_EQ(line_colours.size(), 2u * (15 * 10 + 11 * 14));
  EXPECT_EQ(std::count(line_colours.begin(), line_colours.end(), G_Make_Color(50, 50, 50)), 2 * 4);
  // The panel, the box behind the buttons and the turn-order strip.
  const TColor panel = G_Make_Color_RGBA(100, 100, 100, 50);
  EXPECT_EQ(std::count(panel_colours.begin(), panel_colours.end(), panel), 3);

  // An auto-resolved battle draws nothing.
  G_Combat.auto_resolve = 1;
  device.Clear_Draw_Records();
  Combat_Draw();
  EXPECT_TRUE(device.Draw_Records().empty());

  G_Shutdown_GraphicsEngine();
  Render_Device_Set_Current(nullptr);
}

TEST_F(Battle_Test, BackgroundPictureCoversTheWholeBattlePlane) {
  TDevice_Params params;
  params.Width = 1024;
  params.Height = 768;
  TRender_Device_Headless device(params);
  Render_Device_Set_Current(&device);
  G_Init_GraphicsEngine();
  TSurface_Desc desc;
  device.Get_BackBuffer_Desc(desc);
  G_Set_BackBuffer_Desc(desc);
  // A 100 x 60 picture lies in a 128 x 64 texture: only its share is mapped,
  // and it is stretched over the whole 1400 x 1000 plane.
  TTemp_Dir dir;
  TImage image;
  image.Set_Size(100, 60, 0xFF336699u);
  const std::string file = dir.design() + "Battle.bmp";
  ASSERT_TRUE(Image_Write_BMP_24(file, image));
  Battle(false);
  G_Combat.background_texture = g_tg_texture_list->m_Load_Texture(file, 1, 0);
  ASSERT_NE(g_tg_texture_list->m_Get_Texture(G_Combat.background_texture), nullptr);

  device.Set_Recording(true);
  device.Clear_Draw_Records();
  Combat_Draw();
  ASSERT_FALSE(device.Draw_Records().empty());
  const TDraw_Record& bg = device.Draw_Records().front();
  ASSERT_NE(bg.texture, 0u);
  ASSERT_EQ(bg.m_Vertex_Count(), 4u);
  float min_x = 1e9f, max_x = -1e9f, min_y = 1e9f, max_y = -1e9f, max_u = 0, max_v = 0;
  for (std::uint32_t i = 0; i < 4; ++i) {
    const TDevice_LVertex v = bg.m_LVertex(i);
    min_x = std::min(min_x, v.x);
    max_x = std::max(max_x, v.x);
    min_y = std::min(min_y, v.y);
    max_y = std::max(max_y, v.y);
    max_u = std::max(max_u, v.tu);
    max_v = std::max(max_v, v.tv);
  }
  EXPECT_EQ(min_x, 0.0f);
  EXPECT_EQ(max_x, 1400.0f);
  EXPECT_EQ(min_y, 0.0f);
  EXPECT_EQ(max_y, 1000.0f);
  EXPECT_FLOAT_EQ(max_u, 100.0f / 128.0f);
  EXPECT_FLOAT_EQ(max_v, 60.0f / 64.0f);

  g_tg_texture_list->m_Unload_Texture(G_Combat.background_texture);
  G_Combat.background_texture = 0;
  G_Shutdown_GraphicsEngine();
  Render_Device_Set_Current(nullptr);
}

}  // namespace
