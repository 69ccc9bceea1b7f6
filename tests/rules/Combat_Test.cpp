#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "Combat.h"
#include "Datafile_EffectEmitters.h"
#include "Datafile_BaseGameSettings.h"
#include "Empire.h"
#include "Errors.h"
#include "GameSettings.h"
#include "Global.h"
#include "MapClass.h"
#include "World_Links.h"
#include "World_Unit_Facts.h"

namespace {

// Unit types of the battle tests, by index.
enum : std::uint16_t {
  UT_INFANTRY = 1,  // land, 1 x 1 square size: one cell
  UT_TANK,          // land, 2 x 2: one cell, drawn 100 x 100
  UT_BIG,           // land, 3 x 3: 2 x 2 cells
  UT_WIDE,          // land, 3 x 1: two columns, one row
  UT_CITY,          // land, 0 x 0: never on the grid
  UT_SHIP,          // sea surface, carries units that fight
  UT_TRUCK,         // takes no part in combat
  UT_ROW,           // land, 0 x 2: never on the grid
};

std::unique_ptr<TUnit_Type> New_Type(const char* name, std::uint8_t movement, bool combat, std::uint8_t w,
                                     std::uint8_t h) {
  auto t = std::make_unique<TUnit_Type>();
  t->f_display_name = name;
  t->f_internal_name = name;
  t->f_movement_type = movement;
  t->f_takes_part_in_combat = combat;
  t->f_square_size_width = w;
  t->f_square_size_height = h;
  t->f_hit_points = 10;
  t->f_combat_attack_range = 1;
  t->f_combat_movement_amount = 2;
  return t;
}

struct TRecording_Combat_Links : TCombat_Links, TWorld_Main_Screen_Link {
  std::vector<std::string> calls;
  std::vector<std::tuple<std::int32_t, std::int32_t, std::int32_t>> placements;
  std::vector<std::string> textures;
  std::string begin_message;
  TVector eye, look_at, up;
  std::int32_t m_Load_Texture(const std::string& path, std::uint8_t group) override {
    textures.push_back(path + "/" + std::to_string(group));
    return 77;
  }
  void m_Set_Screen_Mode(TScreen_Mode mode) override { calls.push_back("mode " + std::to_string(int(mode))); }
  void m_Open_Begin_Dialog() override { calls.push_back("dialog"); }
  void m_Send_Combat_Begin(std::int32_t region, bool auto_resolve, const std::string& background,
                           std::uint8_t prior_owner, std::uint8_t defender, std::uint8_t attacker) override {
    calls.push_back("send begin");
    begin_message = std::to_string(region) + " " + std::to_string(auto_resolve) + " " + background + " " +
                    std::to_string(prior_owner) + " " + std::to_string(defender) + " " + std::to_string(attacker);
  }
  void m_Send_Combat_Begin_Dialog() override { calls.push_back("send dialog"); }
  void m_Send_Combat_Next_Piece() override { calls.push_back("send next piece"); }
  void m_Send_Add_Starting_Unit(std::int32_t kind, std::int32_t column, std::int32_t row,
                                const TCombat_Cell&) override {
    placements.emplace_back(kind, column, row);
  }
  void m_Next_Piece() override { calls.push_back("next piece"); }
  void m_Completed() override { calls.push_back("completed"); }
  void m_Set_Camera(const TVector& e, const TVector& l, bool force, const TVector& u) override {
    calls.push_back(force ? "camera forced" : "camera");
    eye = e;
    look_at = l;
    up = u;
  }
};

class Combat_Test : public ::testing::Test {
protected:
  void SetUp() override {
    types.m_Add(New_Type("Infantry", UNIT_MOVEMENT_LAND, true, 1, 1));
    types.m_Add(New_Type("Tank", UNIT_MOVEMENT_LAND, true, 2, 2));
    types.m_Add(New_Type("Big", UNIT_MOVEMENT_LAND, true, 3, 3));
    types.m_Add(New_Type("Wide", UNIT_MOVEMENT_LAND, true, 3, 1));
    types.m_Add(New_Type("City", UNIT_MOVEMENT_LAND, true, 0, 0));
    types.m_Add(New_Type("Ship", UNIT_MOVEMENT_SEA_SURFACE, true, 2, 2));
    types.m_Add(New_Type("Truck", UNIT_MOVEMENT_LAND, false, 1, 1));
    types.m_Add(New_Type("Row", UNIT_MOVEMENT_LAND, true, 0, 2));
    saved_types = Unit_Type_List;
    Unit_Type_List = &types;
    for (int n = 1; n <= 3; ++n) {
      auto e = std::make_unique<TEmpire>();
      e->m_Set_Color(Make_Color(std::uint8_t(n * 10), 0, 0));
      empires.m_Add(std::move(e));
    }
    G_Map = &map;
    G_Empire_List = &empires;
    Game_Settings.m_Reset();
    Game_Settings.f_game_kind = 1;
    Game_Settings.f_camera_up = TVector{0, 1, 0};
    Base_Game_Settings.m_Reset();
    Base_Game_Settings.f_battle_map_land = {"Field.jpg"};
    Base_Game_Settings.f_battle_map_ocean = {"Sea.jpg"};
    Set_Combat_Links(&links);
    Set_World_Main_Screen_Link(&links);
    Random_Set_Seed(4242);
    G_Combat = TCombat_State{};
  }
  void TearDown() override {
    Set_Combat_Links(nullptr);
    Set_World_Main_Screen_Link(nullptr);
    G_Map = nullptr;
    G_Empire_List = nullptr;
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
  // Anchor cells of the grid as (column, row, unit type, owner, count).
  static std::vector<std::tuple<int, int, int, int, int>> Pieces() {
    std::vector<std::tuple<int, int, int, int, int>> out;
    for (int c = 1; c <= Combat_Columns; ++c)
      for (int r = 1; r <= Combat_Rows; ++r) {
        TCombat_Cell cell = Combat_Get_Cell(c, r);
        if (cell.anchor == 1 && cell.unit_type != 0) out.emplace_back(c, r, cell.unit_type, cell.owner, cell.count);
      }
    return out;
  }
  static std::vector<TCombat_Starting_Unit> Records() {
    std::vector<TCombat_Starting_Unit> out;
    for (int n = 1; n <= Combat_Get_Starting_Unit_Count(); ++n) {
      TCombat_Starting_Unit r;
      EXPECT_TRUE(Combat_Get_Starting_Unit(n, r));
      out.push_back(r);
    }
    return out;
  }
  // Puts a one-cell anchor of the type and owner on the grid.
  static void Put(int column, int row, std::uint16_t type, std::uint8_t owner) {
    TCombat_Cell cell;
    cell.piece_id = column * 100 + row;
    cell.unit_type = type;
    cell.owner = owner;
    cell.anchor = 1;
    cell.count = 1;
    cell.width = 1;
    cell.height = 1;
    Combat_Set_Cell(column, row, cell);
  }

  TMap map;
  TEmpire_List empires;
  TUnit_Type_List types;
  TRecording_Combat_Links links;
  TUnit_Type_List* saved_types = nullptr;
  TUnit_Type_List* Types() { return &types; }
};

TEST_F(Combat_Test, CellsOutsideTheGridReadEmptyAndIgnoreWrites) {
  TCombat_Cell cell;
  cell.piece_id = 9;
  cell.unit_type = UT_INFANTRY;
  cell.count = 3;
  Combat_Set_Cell(3, 4, cell);
  TCombat_Cell read = Combat_Get_Cell(3, 4);
  EXPECT_EQ(read.piece_id, 9);
  EXPECT_EQ(read.count, 3);
  EXPECT_EQ(read.column, 3);
  EXPECT_EQ(read.row, 4);
  struct Where { int column, row; } outside[] = {{0, 1}, {15, 1}, {1, 0}, {1, 11}, {-3, 5}, {14, 11}};
  for (Where w : outside) {
    Combat_Set_Cell(w.column, w.row, cell);
    Combat_Clear_Cell(w.column, w.row);
    EXPECT_EQ(Combat_Get_Cell(w.column, w.row), TCombat_Cell{}) << w.column << "," << w.row;
  }
  Combat_Clear_Cell(3, 4);
  EXPECT_EQ(Combat_Get_Cell(3, 4), TCombat_Cell{});
}

TEST_F(Combat_Test, PlacePieceCoversItsFootprintAndFillCellsEmptiesIt) {
  TCombat_Cell piece;
  piece.piece_id = 5;
  piece.unit_type = UT_BIG;
  piece.unit_id = 40;
  piece.owner = 2;
  piece.count = 4;
  piece.width = 2;
  piece.height = 2;
  piece.offset_x = 1;  // stale values are replaced
  Put(5, 5, UT_INFANTRY, 1);
  Combat_Place_Piece(4, 4, piece);
  TCombat_Cell anchor = Combat_Get_Cell(4, 4);
  EXPECT_EQ(anchor.anchor, 1);
  EXPECT_EQ(anchor.count, 4);
  EXPECT_EQ(anchor.offset_x, 0);
  EXPECT_EQ(anchor.column, 4);
  EXPECT_EQ(anchor.row, 4);
  struct Expect { int column, row, offset_x, offset_y; } others[] = {{5, 4, 1, 0}, {4, 5, 0, 1}, {5, 5, 1, 1}};
  for (Expect e : others) {
    TCombat_Cell c = Combat_Get_Cell(e.column, e.row);
    EXPECT_EQ(c.piece_id, 5);
    EXPECT_EQ(c.unit_type, UT_BIG);
    EXPECT_EQ(c.unit_id, 40);
    EXPECT_EQ(c.owner, 2);
    EXPECT_EQ(c.anchor, 0);
    EXPECT_EQ(c.count, 0);
    EXPECT_EQ(c.offset_x, e.offset_x);
    EXPECT_EQ(c.offset_y, e.offset_y);
  }
  Combat_Fill_Cells(4, 4, piece);
  EXPECT_TRUE(Pieces().empty());
  for (int c = 1; c <= 14; ++c)
    for (int r = 1; r <= 10; ++r) EXPECT_EQ(Combat_Get_Cell(c, r).piece_id, 0);

  // At the grid's corner the cells outside are skipped.
  Combat_Place_Piece(14, 10, piece);
  EXPECT_EQ(Combat_Get_Cell(14, 10).piece_id, 5);
  Combat_Fill_Cells(14, 10, piece);
  EXPECT_EQ(Combat_Get_Cell(14, 10).piece_id, 0);
}

TEST_F(Combat_Test, ScreenPositionsOnTheBattlePlane) {
  struct Row { int column, row, w, h; float pw, ph, x, y, cx, cy; } rows[] = {
      {1, 1, 1, 1, 50, 50, 25, 25, 50, 50},
      {1, 1, 1, 1, 100, 100, 0, 0, 50, 50},
      {3, 2, 2, 1, 150, 50, 225, 125, 300, 150},
      {14, 10, 1, 1, 50, 50, 1325, 925, 1350, 950},
      {13, 9, 2, 2, 150, 150, 1225, 825, 1300, 900},
  };
  for (const Row& r : rows) {
    float x = 0, y = 0;
    Combat_Get_Piece_Screen_Pos(r.column, r.row, r.w, r.h, r.pw, r.ph, x, y);
    EXPECT_FLOAT_EQ(x, r.x);
    EXPECT_FLOAT_EQ(y, r.y);
    Combat_Get_Cell_Centre(r.column, r.row, r.w, r.h, x, y);
    EXPECT_FLOAT_EQ(x, r.cx);
    EXPECT_FLOAT_EQ(y, r.cy);
  }
}

TEST_F(Combat_Test, StartingRecordsCountPerTypeAndOwner) {
  Combat_Count_Starting_Unit(1, UT_INFANTRY);
  Combat_Count_Starting_Unit(2, UT_INFANTRY);
  Combat_Count_Starting_Unit(1, UT_INFANTRY);
  Combat_Add_Starting_Unit_Record(1, UT_INFANTRY, 2);
  Combat_Add_Starting_Unit_Record(2, UT_TANK, 1);
  std::vector<TCombat_Starting_Unit> expected = {
      {UT_INFANTRY, 1, 2, 2}, {UT_INFANTRY, 2, 1, 0}, {UT_TANK, 2, 0, 1}};
  EXPECT_EQ(Records(), expected);
  TCombat_Starting_Unit r{7, 7, 7, 7};
  for (std::int64_t n : {0, 4, -1}) {
    EXPECT_FALSE(Combat_Get_Starting_Unit(n, r));
    EXPECT_EQ(r, (TCombat_Starting_Unit{7, 7, 7, 7}));
  }
}

TEST_F(Combat_Test, StartingRecordsBeyondTheTableAreLeftOut) {
  for (int t = 1; t <= 141; ++t) Combat_Count_Starting_Unit(std::uint8_t(t % 2 + 1), std::uint16_t(t));
  EXPECT_EQ(Combat_Get_Starting_Unit_Count(), 140);
  Combat_Add_Starting_Unit_Record(1, 500, 3);
  EXPECT_EQ(Combat_Get_Starting_Unit_Count(), 140);
  // Pairs already in the table still count.
  Combat_Count_Starting_Unit(2, 1);
  TCombat_Starting_Unit r;
  ASSERT_TRUE(Combat_Get_Starting_Unit(1, r));
  EXPECT_EQ(r, (TCombat_Starting_Unit{1, 2, 2, 0}));
}

TEST_F(Combat_Test, StartingCellsFillFromEachSidesEdge) {
  G_Combat.attacker = 1;
  G_Combat.defender = 2;
  struct Row { std::uint8_t owner; int column, row; } rows[] = {
      {1, 1, 6}, {1, 1, 8}, {1, 1, 4}, {1, 1, 9}, {1, 1, 3}, {1, 1, 5}, {1, 1, 7}, {1, 1, 2}, {1, 1, 10},
      {1, 1, 1}, {1, 2, 6}, {1, 2, 8}, {2, 14, 6}, {2, 14, 8}, {2, 14, 4}, {2, 14, 9}, {2, 14, 3},
      {2, 14, 5}, {2, 14, 7}, {2, 14, 2}, {2, 14, 10}, {2, 14, 1}, {2, 13, 6}, {3, 2, 4},
  };
  std::uint16_t type = 100;
  for (const Row& r : rows) {
    int column = 0, row = 0;
    EXPECT_TRUE(Combat_Find_Starting_Cell(type, r.owner, 1, 1, column, row));
    EXPECT_EQ(column, r.column) << "piece of type " << type;
    EXPECT_EQ(row, r.row) << "piece of type " << type;
    Put(column, row, type++, r.owner);
  }
  // A type and owner already on the grid answer their last anchor.
  Put(9, 9, 100, 1);
  int column = 0, row = 0;
  EXPECT_TRUE(Combat_Find_Starting_Cell(100, 1, 1, 1, column, row));
  EXPECT_EQ(column, 9);
  EXPECT_EQ(row, 9);
}

TEST_F(Combat_Test, LargeFootprintsStayInsideTheGrid) {
  G_Combat.attacker = 1;
  G_Combat.defender = 2;
  struct Row { std::uint8_t owner; int w, h, column, row; } rows[] = {
      {2, 2, 2, 13, 6}, {2, 1, 2, 14, 6}, {1, 2, 1, 1, 6}, {1, 1, 6, 1, 4}, {2, 2, 5, 13, 6}, {1, 14, 10, 1, 1},
  };
  for (const Row& r : rows) {
    int column = 0, row = 0;
    EXPECT_TRUE(Combat_Find_Starting_Cell(UT_BIG, r.owner, r.w, r.h, column, row));
    EXPECT_EQ(column, r.column) << int(r.owner) << " " << r.w << "x" << r.h;
    EXPECT_EQ(row, r.row) << int(r.owner) << " " << r.w << "x" << r.h;
  }
  // A 2 x 2 defender piece finds row 6 of column 13 taken and tries row 8.
  Put(13, 6, 90, 2);
  int column = 0, row = 0;
  EXPECT_TRUE(Combat_Find_Starting_Cell(UT_BIG, 2, 2, 2, column, row));
  EXPECT_EQ(column, 13);
  EXPECT_EQ(row, 8);
  // With the grid full nothing fits: column 7, row 5 and no place.
  for (int c = 1; c <= 14; ++c)
    for (int r = 1; r <= 10; ++r) Put(c, r, 200, 3);
  EXPECT_FALSE(Combat_Find_Starting_Cell(UT_INFANTRY, 1, 1, 1, column, row));
  EXPECT_EQ(column, 7);
  EXPECT_EQ(row, 5);
}

TEST_F(Combat_Test, BeginPlacesTheRegionsUnitsAsPieces) {
  Region(1, REGION_LAND, 2);
  Unit(1, UT_INFANTRY, 1);
  Unit(1, UT_INFANTRY, 1);
  Unit(1, UT_TANK, 1);
  Unit(1, UT_WIDE, 1);
  Unit(1, UT_CITY, 1);
  Unit(1, UT_ROW, 1);
  Unit(1, UT_TRUCK, 1);
  Unit(1, UT_BIG, 2);
  Unit(1, UT_INFANTRY, 2);
  Types()->m_Get_Item(UT_INFANTRY)->f_image_type = UNIT_IMAGE_SIDE;
  Types()->m_Get_Item(UT_BIG)->f_image_type = UNIT_IMAGE_TOP_DOWN;
  Types()->m_Get_Item(UT_TANK)->f_image_type = UNIT_IMAGE_TOP_DOWN;
  Types()->m_Get_Item(UT_TANK)->f_combat_movement_amount = 0;

  Combat_Begin(1, false, false);

  EXPECT_TRUE(Combat_Is_Active());
  EXPECT_EQ(Combat_Get_Region(), 1);
  EXPECT_EQ(Combat_Get_Attacker(), 1);
  EXPECT_EQ(Combat_Get_Defender(), 2);
  EXPECT_TRUE(Combat_Is_Attacker(1));
  EXPECT_FALSE(Combat_Is_Attacker(2));
  EXPECT_EQ(G_Combat.prior_owner, 2);
  EXPECT_EQ(G_Combat.complete_here, 1);
  EXPECT_EQ(G_Combat.background_path.substr(G_Combat.background_path.size() - 9), "Field.jpg");
  EXPECT_EQ(G_Combat.background_texture, 77);
  ASSERT_EQ(links.textures.size(), 1u);
  EXPECT_EQ(links.textures[0].substr(links.textures[0].size() - 2), "/2");

  auto pieces = Pieces();
  ASSERT_EQ(pieces.size(), 5u);
  std::vector<TCombat_Starting_Unit> records = Records();
  ASSERT_EQ(records.size(), 5u);
  auto count_of = [&](std::uint16_t type, std::uint8_t owner) {
    for (const TCombat_Starting_Unit& r : records)
      if (r.unit_type == type && r.owner == owner) return r.starting_count;
    return 0;
  };
  EXPECT_EQ(count_of(UT_INFANTRY, 1), 2);
  EXPECT_EQ(count_of(UT_TANK, 1), 1);
  EXPECT_EQ(count_of(UT_WIDE, 1), 1);
  EXPECT_EQ(count_of(UT_BIG, 2), 1);
  EXPECT_EQ(count_of(UT_INFANTRY, 2), 1);
  EXPECT_EQ(count_of(UT_CITY, 1), 0);
  EXPECT_EQ(count_of(UT_ROW, 1), 0);

  int ids = 0;
  for (auto [c, r, type, owner, count] : pieces) {
    TCombat_Cell cell = Combat_Get_Cell(c, r);
    ++ids;
    EXPECT_GE(cell.initiative, 0.0f);
    EXPECT_LT(cell.initiative, 0.25f);
    EXPECT_EQ(cell.hit_points, 10);
    EXPECT_EQ(cell.colour, Make_Color(std::uint8_t(owner * 10), 0, 0));
    EXPECT_EQ(cell.column, c);
    EXPECT_EQ(cell.row, r);
    EXPECT_EQ(cell.can_attack, 1);
    EXPECT_GE(cell.piece_id, 1);
    EXPECT_LE(cell.piece_id, 5);
    // The defender stands at the right edge, the attacker at the left.
    if (owner == 2) EXPECT_GE(c, 13);
    else EXPECT_LE(c, 2);
    switch (type) {
      case UT_INFANTRY:
        EXPECT_EQ(count, owner == 1 ? 2 : 1);
        EXPECT_EQ(cell.facing, owner == 1 ? 3 : 0);
        break;
      case UT_TANK:
        EXPECT_EQ(cell.width, 1);
        EXPECT_FLOAT_EQ(cell.picture_width, 100);
        EXPECT_FLOAT_EQ(cell.picture_height, 100);
        EXPECT_EQ(cell.facing, 2);
        EXPECT_EQ(cell.can_move, 0);
        break;
      case UT_WIDE: {
        EXPECT_EQ(cell.width, 2);
        EXPECT_EQ(cell.height, 1);
        EXPECT_FLOAT_EQ(cell.picture_width, 150);
        EXPECT_FLOAT_EQ(cell.picture_height, 50);
        EXPECT_FLOAT_EQ(cell.picture_x, float(c - 1) * 100 + 25);
        TCombat_Cell right = Combat_Get_Cell(c + 1, r);
        EXPECT_EQ(right.piece_id, cell.piece_id);
        EXPECT_EQ(right.anchor, 0);
        EXPECT_EQ(right.offset_x, 1);
        break;
      }
      case UT_BIG:
        // 2 x 2 cells cannot start in column 14.
        EXPECT_EQ(c, 13);
        EXPECT_EQ(cell.width, 2);
        EXPECT_EQ(cell.height, 2);
        EXPECT_EQ(cell.facing, 1);
        EXPECT_EQ(Combat_Get_Cell(14, r + 1).piece_id, cell.piece_id);
        EXPECT_EQ(Combat_Get_Cell(14, r + 1).offset_y, 1);
        break;
      default: ADD_FAILURE() << "unexpected piece of type " << type;
    }
  }
  EXPECT_EQ(ids, 5);
  EXPECT_EQ(links.calls, (std::vector<std::string>{"camera forced", "mode 4", "next piece"}));
  EXPECT_FLOAT_EQ(links.eye.x, 700);
  EXPECT_FLOAT_EQ(links.eye.y, 500);
  EXPECT_FLOAT_EQ(links.eye.z, -1400);
  EXPECT_FLOAT_EQ(links.look_at.z, 0);
  EXPECT_FLOAT_EQ(links.up.y, 1);
  EXPECT_TRUE(links.placements.empty());
}

TEST_F(Combat_Test, BeginDecidesTheDialogAndLeavesAnAutoResolvedBattleUnshown) {
  struct Row {
    std::uint8_t game_kind;
    bool auto_resolve, show, computer;
    std::vector<std::string> calls;
  } rows[] = {
      {1, false, true, false, {"camera forced", "mode 4", "dialog"}},
      {1, false, false, false, {"camera forced", "mode 4", "next piece"}},
      {1, true, true, false, {"next piece"}},
      {3, false, false, false, {"send begin", "camera forced", "mode 4", "send dialog", "dialog"}},
      {4, false, true, true, {"send begin", "camera forced", "mode 4", "next piece", "send next piece"}},
      {3, true, true, false, {"next piece"}},
  };
  // An ocean region has no owner: with no current player the second owner
  // attacks.
  for (const Row& row : rows) {
    Region(1, REGION_OCEAN, 2);
    Unit(1, UT_SHIP, 1);
    Unit(1, UT_SHIP, 2);
    Game_Settings.f_game_kind = row.game_kind;
    empires.m_Get_Empire(2)->m_Set_Computer_Controlled(row.computer);
    links.calls.clear();
    links.placements.clear();
    Combat_Begin(1, row.auto_resolve, row.show);
    EXPECT_EQ(links.calls, row.calls) << int(row.game_kind) << row.auto_resolve << row.show << row.computer;
    EXPECT_EQ(G_Combat.auto_resolve, row.auto_resolve ? 1 : 0);
    EXPECT_EQ(Pieces().size(), 2u);
    // Placements go to the peers only for a shown network battle.
    bool network = row.game_kind >= 3 && !row.auto_resolve;
    EXPECT_EQ(links.placements.size(), network ? 2u : 0u);
    if (network) {
      EXPECT_EQ(std::get<0>(links.placements[0]), 3);
      EXPECT_EQ(links.begin_message, "1 0 Sea.jpg 0 1 2");
    }
  }
}

TEST_F(Combat_Test, BeginChoosesSidesInAnUnownedRegion) {
  struct Row { std::uint8_t current, attacker, defender; } rows[] = {{1, 1, 2}, {2, 2, 1}, {3, 2, 1}};
  for (const Row& row : rows) {
    Region(1, REGION_LAND, 0);
    Unit(1, UT_INFANTRY, 1);
    Unit(1, UT_INFANTRY, 2);
    Game_Settings.f_turn_empire = row.current;
    Combat_Begin(1, true, false);
    EXPECT_EQ(Combat_Get_Attacker(), row.attacker) << int(row.current);
    EXPECT_EQ(Combat_Get_Defender(), row.defender) << int(row.current);
    EXPECT_EQ(G_Combat.prior_owner, 0);
  }
}

TEST_F(Combat_Test, BeginWithoutTwoSidesCompletesAtOnce) {
  Region(1, REGION_LAND, 1);
  Unit(1, UT_INFANTRY, 1);
  Unit(1, UT_TANK, 1);
  Combat_Begin(1, false, true);
  EXPECT_EQ(links.calls, std::vector<std::string>{"completed"});
  EXPECT_TRUE(Pieces().empty());
  EXPECT_EQ(Combat_Get_Starting_Unit_Count(), 0);

  // A region id that names no region starts nothing.
  links.calls.clear();
  Combat_Begin(9, false, true);
  EXPECT_FALSE(Combat_Is_Active());
  EXPECT_TRUE(links.calls.empty());
  // Only the first begin loaded a picture.
  EXPECT_EQ(links.textures.size(), 1u);
}

TEST_F(Combat_Test, TransportedUnitsThatFightArePlacedFromTheCargoList) {
  Region(1, REGION_OCEAN, 2);
  Unit(1, UT_SHIP, 2);
  map.m_Set_Cargo_List_Count(1);
  std::int32_t a = Unit(0, UT_INFANTRY, 1);
  std::int32_t b = Unit(0, UT_INFANTRY, 1);
  map.m_Put_Cargo_List(1, {a, b});
  Unit(1, UT_SHIP, 1, 1);
  for (bool fight : {false, true}) {
    Types()->m_Get_Item(UT_SHIP)->f_transported_units_participate_in_combat = fight;
    Combat_Begin(1, true, false);
    auto pieces = Pieces();
    ASSERT_EQ(pieces.size(), fight ? 3u : 2u);
    if (!fight) continue;
    for (auto [c, r, type, owner, count] : pieces)
      if (type == UT_INFANTRY) {
        EXPECT_EQ(count, 2);
        EXPECT_EQ(Combat_Get_Cell(c, r).carrier_cargo_list, 1);
      } else {
        EXPECT_EQ(Combat_Get_Cell(c, r).carrier_cargo_list, 0);
      }
  }
}

TEST_F(Combat_Test, AUnitWithNoRoomStaysOffTheGrid) {
  G_Combat.attacker = 1;
  G_Combat.defender = 2;
  for (int c = 1; c <= 14; ++c)
    for (int r = 1; r <= 10; ++r) Put(c, r, UT_TANK, 2);
  Region(1, REGION_LAND, 2);
  std::int32_t id = Unit(1, UT_INFANTRY, 1);
  Combat_Add_Unit(id, 0);
  TCombat_Cell centre = Combat_Get_Cell(7, 5);
  EXPECT_EQ(centre.owner, 2);
  EXPECT_EQ(centre.count, 1);
  EXPECT_EQ(Combat_Get_Starting_Unit_Count(), 0);
}

TEST_F(Combat_Test, RemoteBattleMirrorsPlacements) {
  Combat_Begin_Remote(4, false, "Sea.jpg", 2, 2, 1);
  EXPECT_EQ(G_Combat.complete_here, 0);
  EXPECT_EQ(Combat_Get_Region(), 4);
  EXPECT_EQ(Combat_Get_Attacker(), 1);
  EXPECT_EQ(Combat_Get_Defender(), 2);
  EXPECT_EQ(links.calls, (std::vector<std::string>{"camera forced", "mode 4"}));
  EXPECT_EQ(G_Combat.background_texture, 77);

  TCombat_Cell cell;
  cell.piece_id = 3;
  cell.unit_type = UT_BIG;
  cell.unit_id = 12;
  cell.owner = 2;
  cell.count = 1;
  cell.width = 2;
  cell.height = 2;
  Combat_Add_Unit_Remote(3, 13, 6, cell);
  TCombat_Cell other = cell;
  other.offset_x = 1;
  Combat_Add_Unit_Remote(2, 14, 6, other);
  TCombat_Cell more;
  more.count = 2;
  Combat_Add_Unit_Remote(1, 13, 6, more);
  Combat_Add_Unit_Remote(1, 1, 1, more);   // no piece there
  Combat_Add_Unit_Remote(3, 15, 1, cell);  // outside
  Combat_Add_Unit_Remote(7, 2, 2, cell);   // unknown kind

  EXPECT_EQ(Pieces(), (std::vector<std::tuple<int, int, int, int, int>>{{13, 6, UT_BIG, 2, 2}}));
  EXPECT_EQ(Combat_Get_Cell(14, 6).anchor, 0);
  EXPECT_EQ(Combat_Get_Cell(14, 6).offset_x, 1);
  EXPECT_EQ(Records(), (std::vector<TCombat_Starting_Unit>{{UT_BIG, 2, 2, 0}}));
  EXPECT_EQ(G_Combat.piece_id_counter, 3);

  links.textures.clear();
  Combat_Reload_Background();
  EXPECT_EQ(links.textures.size(), 1u);
  G_Combat.background_texture = 0;
  Combat_Reload_Background();
  EXPECT_EQ(links.textures.size(), 1u);
}

// A battle picture named by another machine must be one of the game's own
// battle backgrounds; any other name (a path out of images\map\, a device,
// a picture the game does not list) is refused and the battle shows the
// first background of its region's kind.
TEST_F(Combat_Test, ARemoteBattleShowsOnlyBackgroundsTheGameLists) {
  Base_Game_Settings.f_battle_map_land = {"Field.jpg", "Hills.jpg"};
  Region(3, REGION_LAND, 2);
  Region(4, REGION_OCEAN, 2);
  struct TCase {
    std::int32_t region;
    std::string name;
    std::string shown;  // "" when no picture is loaded
  } cases[] = {
      {3, "Hills.jpg", "images\\map\\Hills.jpg"},
      {3, "hills.JPG", "images\\map\\Hills.jpg"},
      {4, "Field.jpg", "images\\map\\Field.jpg"},
      {3, "", ""},
      {3, "..\\..\\..\\..\\..\\..\\..\\..\\dev\\zero", "images\\map\\Field.jpg"},
      {4, "../../../../etc/passwd", "images\\map\\Sea.jpg"},
      {3, "\\dev\\zero", "images\\map\\Field.jpg"},
      {4, "Other.jpg", "images\\map\\Sea.jpg"},
      {9, "..\\Buttons.bmp", "images\\map\\Field.jpg"},  // a region the map does not know
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    links.textures.clear();
    Combat_Begin_Remote(c.region, false, c.name, 2, 2, 1);
    EXPECT_EQ(G_Combat.background_path, c.shown);
    if (c.shown.empty()) {
      EXPECT_TRUE(links.textures.empty());
      EXPECT_EQ(G_Combat.background_texture, 0);
    } else {
      const std::string loaded = c.shown + "/" + std::to_string(Combat_Background_Texture_Group);
      EXPECT_EQ(links.textures, std::vector<std::string>{loaded});
    }
  }
  // Without any background listed, a refused name shows none.
  Base_Game_Settings.f_battle_map_land.clear();
  links.textures.clear();
  Combat_Begin_Remote(3, false, "..\\x.jpg", 2, 2, 1);
  EXPECT_EQ(G_Combat.background_path, "");
  EXPECT_TRUE(links.textures.empty());
}

TEST_F(Combat_Test, AbilityTotalsSumLandPiecesTimesTheirCount) {
  Types()->m_Get_Item(UT_INFANTRY)->f_special_abilities = {{UNIT_ABILITY_COMBAT_ATTACK_MODIFIER, "", 3},
                                                            {UNIT_ABILITY_COMBAT_DEFENSE_MODIFIER, "", 2}};
  Types()->m_Get_Item(UT_SHIP)->f_special_abilities = {{UNIT_ABILITY_COMBAT_ATTACK_MODIFIER, "", 50}};
  Types()->m_Get_Item(UT_TANK)->f_special_abilities = {{UNIT_ABILITY_COMBAT_ATTACK_MODIFIER, "", 5}};
  Put(1, 1, UT_INFANTRY, 1);
  TCombat_Cell cell = Combat_Get_Cell(1, 1);
  cell.count = 4;
  Combat_Set_Cell(1, 1, cell);
  Put(1, 2, UT_SHIP, 1);
  Put(1, 3, UT_TANK, 1);
  Put(14, 1, UT_TANK, 2);
  // Non-anchor cells do not count.
  cell.anchor = 0;
  Combat_Set_Cell(2, 2, cell);
  EXPECT_EQ(Combat_Ability4_Total(1), 4 * 3 + 5);
  EXPECT_EQ(Combat_Ability3_Total(1), 4 * 2);
  EXPECT_EQ(Combat_Ability4_Total(2), 5);
  EXPECT_EQ(Combat_Ability3_Total(2), 0);
  EXPECT_EQ(Combat_Ability_Total(3, UNIT_ABILITY_COMBAT_ATTACK_MODIFIER), 0);
}

}  // namespace

namespace {

TEST(Combat_Links_Default, GraphicsCallsFindNothingWithoutTheGraphicsLists) {
  TCombat_Links idle;
  TEffect_List* saved = Effect_List;
  Effect_List = nullptr;
  EXPECT_EQ(idle.m_Find_Effect("Flash"), 0);
  EXPECT_EQ(idle.m_Load_Texture("images\\map\\Field.jpg", 2), 0);
  EXPECT_FALSE(idle.m_Start_Effect(1, TVector{}, TVector{}, 3));
  idle.m_Add_Floating_Text("1 dmg, 0 killed", TVector{}, TVector4{1, 1, 0, 1}, TVector{0, 0.02f, 0}, 8000);
  TEffect_List effects;
  for (const char* name : {"Smoke", "Flash"}) {
    auto e = std::make_unique<TEffect>();
    e->name = name;
    effects.m_Add(std::move(e));
  }
  Effect_List = &effects;
  EXPECT_EQ(idle.m_Find_Effect("flash"), 2);
  EXPECT_EQ(idle.m_Find_Effect("Fire"), 0);
  Effect_List = saved;
}

}  // namespace
