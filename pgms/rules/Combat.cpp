#include "Combat.h"
#include "Combat_Internal.h"

#include "Datafile_BaseGameSettings.h"
#include "Datafile_EffectEmitters.h"
#include "Debug_Log.h"
#include "Empire.h"
#include "Errors.h"
#include "GameSettings.h"
#include "Game_Command_Post.h"
#include "GraphicsEngine_ParticleList.h"
#include "GraphicsEngine_Texture.h"
#include "Global.h"
#include "Io.h"
#include "MapClass.h"
#include "Multiplayer_GameActions.h"
#include "Multiplayer_Types.h"
#include "Path.h"
#include "World_Links.h"
#include "World_Unit_Facts.h"

TCombat_State G_Combat;

std::int32_t TCombat_Links::m_Load_Texture(const std::string& path, std::uint8_t group) {
  return g_tg_texture_list ? g_tg_texture_list->m_Load_Texture(path, group, TEXTURE_COLOR_KEY_NONE) : 0;
}
void TCombat_Links::m_Set_Screen_Mode(TScreen_Mode) {}
void TCombat_Links::m_Open_Begin_Dialog() {}
void TCombat_Links::m_Send_Combat_Begin(std::int32_t region, bool auto_resolve, const std::string& background,
                                        std::uint8_t prior_owner, std::uint8_t defender, std::uint8_t attacker) {
  // Every machine of the battle learns its two players first: the step names
  // the machine that carries it out.
  MP_Combat_Attacker_Plr = attacker;
  MP_Combat_Defender_Plr = defender;
  Game_Command_Post_Battle_Step(
      TCommand_Battle_Begin{0, region, auto_resolve, background, attacker, defender, prior_owner});
}
void TCombat_Links::m_Send_Combat_Begin_Dialog() { Game_Command_Post_Battle_Step(TCommand_Battle_Begin_Dialog{}); }
void TCombat_Links::m_Send_Combat_Next_Piece() { Game_Command_Post_Battle_Step(TCommand_Battle_Next_Piece{}); }
void TCombat_Links::m_Send_Add_Starting_Unit(std::int32_t kind, std::int32_t column, std::int32_t row,
                                             const TCombat_Cell& cell) {
  Game_Command_Post_Battle_Step(TCommand_Battle_Add_Unit{0, std::uint8_t(kind), column, row, cell.piece_id,
                                                         cell.unit_id, cell.owner, cell.unit_type, cell.count,
                                                         cell.offset_x, cell.offset_y, cell.initiative,
                                                         cell.carrier_cargo_list, cell.facing});
}
void TCombat_Links::m_Next_Piece() { Combat_Next_Piece(); }
void TCombat_Links::m_Completed() { Combat_Completed(); }
void TCombat_Links::m_Open_End_Dialog() {}
void TCombat_Links::m_Open_Options_Dialog() {}
void TCombat_Links::m_Enable_Combat_Buttons(bool) {}
void TCombat_Links::m_Set_Info_Box_Unit(std::int32_t, std::int32_t, std::int32_t) {}
void TCombat_Links::m_Clear_Info_Box() {}
void TCombat_Links::m_Show_Turn_Status() {}
std::int32_t TCombat_Links::m_Screen_Width() { return 1024; }
bool TCombat_Links::m_Screen_Active() { return false; }
void TCombat_Links::m_Mouse_Position(std::int32_t& x, std::int32_t& y) {
  x = -1;
  y = -1;
}
bool TCombat_Links::m_Screen_To_Battle_Plane(std::int32_t, std::int32_t, float&, float&) { return false; }
void TCombat_Links::m_Send_Wait_Piece_Turn(bool continue_turns) {
  Game_Command_Post_Battle_Step(TCommand_Battle_Wait{0, continue_turns});
}
void TCombat_Links::m_Send_End_Piece_Turn(bool continue_turns) {
  Game_Command_Post_Battle_Step(TCommand_Battle_End_Piece_Turn{0, continue_turns});
}
void TCombat_Links::m_Send_Move(std::int32_t column, std::int32_t row) {
  Game_Command_Post_Battle_Step(TCommand_Battle_Move{0, column, row});
}
void TCombat_Links::m_Send_Attack(std::int32_t column, std::int32_t row, std::int32_t damage) {
  Game_Command_Post_Battle_Step(TCommand_Battle_Attack{0, column, row, damage});
}
void TCombat_Links::m_Send_End_Add_Log(std::int32_t date, std::uint8_t attacker,
                                       const std::vector<TCombat_Starting_Unit>& records, bool attacker_has_land_piece,
                                       std::int32_t region, std::uint8_t prior_owner, std::uint8_t winner,
                                       std::uint8_t defender) {
  TCommand_Battle_Log log{0, date, attacker, defender, winner, prior_owner, region, attacker_has_land_piece, {}};
  // The entry holds at most 140 groups, as the log keeps.
  for (const TCombat_Starting_Unit& r : records) {
    if (log.groups.size() == 140) break;
    log.groups.push_back({r.unit_type, r.owner, r.starting_count, r.destroyed_count});
  }
  Game_Command_Post_Battle_Result(log);
}
void TCombat_Links::m_Send_End_Delete_Unit(std::int32_t unit_id, std::int32_t carrier_id) {
  Game_Command_Post_Battle_Result(TCommand_Battle_Delete_Unit{0, unit_id, carrier_id});
}
void TCombat_Links::m_Send_End_Results(std::uint8_t new_owner, std::int32_t region, std::uint8_t attacker,
                                       std::uint8_t defender) {
  Game_Command_Post_Battle_Result(TCommand_Battle_Results{0, new_owner, region, attacker, defender});
}
std::int32_t TCombat_Links::m_Start_Sound_3D(const std::string&, const TVector&) { return 0; }
void TCombat_Links::m_Move_Sound_3D(std::int32_t, const TVector&) {}
std::int32_t TCombat_Links::m_Find_Effect(const std::string& name) {
  return Effect_List ? Effect_List->m_Find_By_Name(name) : 0;
}
bool TCombat_Links::m_Start_Effect(std::int32_t, const TVector&, const TVector&, std::int32_t) {
  return false;
}
void TCombat_Links::m_Add_Floating_Text(const std::string& text, const TVector& position, const TVector4& colour,
                                        const TVector& velocity, std::int32_t lifetime_ms) {
  if (g_tg_particle_list) g_tg_particle_list->m_Add_Floating_Text_2(position, velocity, float(lifetime_ms), colour, text);
}

using namespace combat_detail;

namespace {

TCombat_Links g_idle_links;
TCombat_Links* g_links = &g_idle_links;

// Every field back to "no battle" (auto-resolve as passed, complete-here
// set), the main view's camera saved.
void Reset_State(bool auto_resolve) {
  G_Combat.piece_id_counter = 0;
  G_Combat.region = 0;
  G_Combat.combat_time = 0;
  G_Combat.combat_time_text.clear();
  G_Combat.attacker = 0;
  G_Combat.attacker_has_land_piece = 0;
  G_Combat.defender = 0;
  G_Combat.winner = 0;
  G_Combat.prior_owner = 0;
  G_Combat.auto_resolve = auto_resolve ? 1 : 0;
  G_Combat.background_path.clear();
  G_Combat.background_texture = 0;
  G_Combat.complete_here = 1;
  G_Combat.early_close_begin = 0;
  G_Combat.early_close_end = 0;
  G_Combat.starting = {};
  G_Combat.starting_count = 0;
  G_Combat.turn_order = {};
  G_Combat.turn_order_count = 0;
  G_Combat.hover = TCombat_Hover{};
  G_Combat.saved_eye = Game_Settings.f_camera_eye;
  G_Combat.saved_look_at = Game_Settings.f_camera_look_at;
  G_Combat.saved_up = Game_Settings.f_camera_up;
}

void Clear_Current_Piece() {
  G_Combat.current_piece = 0;
  G_Combat.current_column = 0;
  G_Combat.current_row = 0;
  G_Combat.current_owner = 0;
}

void Clear_Grid() {
  G_Combat.grid = {};
  G_Combat.move_map = {};
  G_Combat.attack_map = {};
}

void Set_Battle_View() {
  World_Main_Screen_Link().m_Set_Camera(TVector{700, 500, -1400}, TVector{700, 500, 0}, true, G_Combat.saved_up);
}

void Load_Background(const std::string& name) {
  if (name.empty()) return;
  G_Combat.background_path =
      Path_Settings ? Path_Settings->m_Get_Map_Image_File(name) : std::string("images\\map\\") + name;
  G_Combat.background_texture = g_links->m_Load_Texture(G_Combat.background_path, Combat_Background_Texture_Group);
}

// The battle picture for a name another machine sent: one of the game's own
// battle backgrounds (the lists a battle picks from), by the list's own
// text. Any other name, which could point outside images\map\, is
// refused and logged; the battle then shows the first background of its
// region's kind (land for a region the map does not know), or none.
std::string Known_Background(const std::string& name, std::int32_t region_id) {
  const std::vector<std::string>& land = Base_Game_Settings.f_battle_map_land;
  const std::vector<std::string>& ocean = Base_Game_Settings.f_battle_map_ocean;
  if (name.empty()) return name;
  for (const std::vector<std::string>* list : {&land, &ocean})
    for (const std::string& known : *list)
      if (Text_Compare(known, name) == 0) return known;
  Debug_Log_Write("Combat_Begin_Remote - unknown battle background refused: \"" + name + "\"");
  const TMap_Region* region = G_Map ? G_Map->m_Get_Region(region_id) : nullptr;
  const std::vector<std::string>& kind = region && region->m_Get_Type() == REGION_OCEAN ? ocean : land;
  return kind.empty() ? std::string() : kind.front();
}

// The record of the pair: the last that matches both, or a new one with
// zero counts; null when the table is full.
TCombat_Starting_Unit* Starting_Record(std::uint8_t owner, std::uint16_t unit_type) {
  for (std::int32_t i = G_Combat.starting_count; i >= 1; --i) {
    TCombat_Starting_Unit& r = G_Combat.starting[std::size_t(i - 1)];
    if (r.owner == owner && r.unit_type == unit_type) return &r;
  }
  if (G_Combat.starting_count >= Max_Combat_Starting_Units) return nullptr;
  TCombat_Starting_Unit& r = G_Combat.starting[std::size_t(G_Combat.starting_count)];
  ++G_Combat.starting_count;
  r = TCombat_Starting_Unit{unit_type, owner, 0, 0};
  return &r;
}

// A unit type's square size in cells: two half cells make one cell.
std::int32_t Footprint(std::uint8_t square_size) { return std::int32_t(float(square_size) / 2.0f + 0.9f); }

// What a new piece's anchor takes from its unit type, its owner's empire
// and its place on the grid: its footprint, full hit points, picture size
// and position, colour and whether it can attack and move. The machine
// that mirrors a battle receives only the piece's identity, count,
// initiative, cargo and facing, and works the rest out here as the
// battle's own machine did.
void Set_Piece_Facts(TCombat_Cell& cell, const TUnit_Type& type, std::int32_t column, std::int32_t row) {
  const std::int32_t w = Footprint(type.f_square_size_width);
  const std::int32_t h = Footprint(type.f_square_size_height);
  cell.hit_points = type.f_hit_points;
  cell.width = std::uint8_t(w);
  cell.height = std::uint8_t(h);
  cell.picture_width = float(type.f_square_size_width) * Combat_Square_Size;
  cell.picture_height = float(type.f_square_size_height) * Combat_Square_Size;
  Combat_Get_Piece_Screen_Pos(column, row, w, h, cell.picture_width, cell.picture_height, cell.picture_x,
                              cell.picture_y);
  TEmpire* empire = Empire_Get(cell.owner);
  cell.colour = empire ? empire->m_Get_Color() : 0;
  cell.can_attack = type.f_combat_attack_range > 0 ? 1 : 0;
  cell.can_move = type.f_combat_movement_amount != 0 ? 1 : 0;
  cell.column = column;
  cell.row = row;
}

// The initiative as the placement message carries it, so that the battle's
// machine and its mirror count turns from the same numbers.
float Announced_Initiative(float initiative) {
  std::string text = MP_Encode_Single(initiative);
  return MP_Decode_Single(text);
}

std::uint8_t Facing(const TUnit_Type& type, std::uint8_t owner) {
  bool attacker = owner == G_Combat.attacker;
  switch (type.f_image_type) {
    case UNIT_IMAGE_TOP_DOWN: return attacker ? 2 : 1;
    case UNIT_IMAGE_SIDE: return attacker ? 3 : 0;
    default: return 0;
  }
}

}  // namespace

TCombat_Links& Combat_Links() { return *g_links; }
void Set_Combat_Links(TCombat_Links* links) { g_links = links ? links : &g_idle_links; }

void Combat_Begin(std::int32_t region_id, bool auto_resolve, bool show_begin_dialog) {
  Log("Combat_Begin - Start");
  Reset_State(auto_resolve);
  TMap_Region* region = G_Map ? G_Map->m_Get_Region(region_id) : nullptr;
  if (!region) {
    Log("Combat_Begin - End");
    return;
  }
  Log("Combat_Begin");
  Log("  Region: " + region->m_Get_Name());

  const std::vector<std::string>& maps =
      region->m_Get_Type() == REGION_LAND ? Base_Game_Settings.f_battle_map_land : Base_Game_Settings.f_battle_map_ocean;
  std::string background_name;
  if (!maps.empty()) {
    std::int32_t pick = Random_Range(1, std::int32_t(maps.size()));
    background_name = maps[std::size_t(pick - 1)];
    Load_Background(background_name);
  }

  G_Combat.region = region_id;
  if (region->m_Get_Owner() != 0) {
    G_Combat.prior_owner = region->m_Get_Owner();
    G_Combat.defender = region->m_Get_Owner();
    G_Combat.attacker = region->m_Get_Foreign_Unit_Owner();
  } else {
    G_Combat.prior_owner = 0;
    std::uint8_t first = 0, second = 0;
    region->m_Get_Unit_Owners(first, second);
    if (first == Game_Settings.f_turn_empire) {
      G_Combat.attacker = first;
      G_Combat.defender = second;
    } else {
      G_Combat.attacker = second;
      G_Combat.defender = first;
    }
  }
  Log("  Attacker Plr: " + std::to_string(G_Combat.attacker));
  Log("  Defender Plr: " + std::to_string(G_Combat.defender));

  if (Announce())
    g_links->m_Send_Combat_Begin(region_id, false, background_name, G_Combat.prior_owner, G_Combat.defender,
                                 G_Combat.attacker);

  if (G_Combat.attacker == 0 || G_Combat.defender == 0 || G_Combat.attacker == G_Combat.defender) {
    g_links->m_Completed();
    return;
  }

  Clear_Current_Piece();
  if (!auto_resolve) Set_Battle_View();
  Clear_Grid();

  // The units in random order: each takes a random slot, or the next free
  // one after it.
  std::int32_t n = region->m_Get_Unit_Count();
  std::vector<std::int32_t> slots(std::size_t(n) + 1, 0);
  for (std::int32_t m = 1; m <= n; ++m) {
    std::int32_t slot = Random_Range(1, n);
    for (std::int32_t tries = 0; tries < n; ++tries) {
      if (slots[std::size_t(slot)] == 0) {
        slots[std::size_t(slot)] = region->m_Get_Unit_Id(m);
        break;
      }
      slot = slot == n ? 1 : slot + 1;
    }
  }
  for (std::int32_t s = 1; s <= n; ++s) {
    std::int32_t id = slots[std::size_t(s)];
    if (id == 0) continue;
    Combat_Add_Unit(id, 0);
    TMap_Unit_Record unit;
    G_Map->m_Get_Unit(id, unit);
    const TUnit_Type* type = World_Unit_Type(unit.unit_type);
    if (unit.owner == 0 || unit.cargo_list == 0 || !type || !type->f_transported_units_participate_in_combat) continue;
    std::int32_t cargo = G_Map->m_Get_Cargo_Count(unit.cargo_list);
    for (std::int32_t i = 1; i <= cargo; ++i) Combat_Add_Unit(G_Map->m_Get_Cargo_Unit(unit.cargo_list, i), unit.cargo_list);
  }

  if (!auto_resolve) g_links->m_Set_Screen_Mode(Combat_Screen_Mode);

  bool dialog = false;
  if (auto_resolve) {
    dialog = false;
  } else if (Network_Game()) {
    TEmpire* a = Empire_Get(G_Combat.attacker);
    TEmpire* d = Empire_Get(G_Combat.defender);
    dialog = !(a && d && (a->m_Get_Computer_Controlled() || d->m_Get_Computer_Controlled()));
  } else {
    dialog = show_begin_dialog;
  }
  if (dialog) {
    if (Network_Game()) g_links->m_Send_Combat_Begin_Dialog();
    g_links->m_Open_Begin_Dialog();
  } else {
    g_links->m_Next_Piece();
    if (Announce()) g_links->m_Send_Combat_Next_Piece();
  }
  Log("Combat_Begin - End");
}

void Combat_Begin_Remote(std::int32_t region_id, bool auto_resolve, const std::string& background_name,
                         std::uint8_t prior_owner, std::uint8_t defender, std::uint8_t attacker) {
  Reset_State(auto_resolve);
  G_Combat.complete_here = 0;
  Load_Background(Known_Background(background_name, region_id));
  G_Combat.region = region_id;
  G_Combat.prior_owner = prior_owner;
  G_Combat.defender = defender;
  G_Combat.attacker = attacker;
  Clear_Current_Piece();
  if (!auto_resolve) {
    Set_Battle_View();
    g_links->m_Set_Screen_Mode(Combat_Screen_Mode);
  }
  Clear_Grid();
}

bool Combat_Find_Starting_Cell(std::uint16_t unit_type, std::uint8_t owner, std::int32_t width, std::int32_t height,
                               std::int32_t& column, std::int32_t& row) {
  column = 7;
  row = 5;
  bool found = false;
  for (std::int32_t c = 1; c <= Combat_Columns; ++c)
    for (std::int32_t r = 1; r <= Combat_Rows; ++r) {
      const TCombat_Cell& cell = Cell(c, r);
      if (cell.anchor == 1 && cell.unit_type == unit_type && cell.owner == owner) {
        column = c;
        row = r;
        found = true;
      }
    }
  if (found) return true;

  static constexpr std::int32_t row_order[Combat_Rows] = {6, 8, 4, 9, 3, 5, 7, 2, 10, 1};
  bool defender = owner == G_Combat.defender;
  for (std::int32_t k = 0; k < Combat_Columns; ++k) {
    std::int32_t c = defender ? Combat_Columns - k : 1 + k;
    for (std::int32_t r : row_order) {
      if (c + width - 1 > Combat_Columns || r + height - 1 > Combat_Rows) continue;
      bool fits = true;
      for (std::int32_t x = c; x < c + width && fits; ++x)
        for (std::int32_t y = r; y < r + height && fits; ++y)
          if (Cell(x, y).unit_type != 0) fits = false;
      if (fits) {
        column = c;
        row = r;
        return true;
      }
    }
  }
  return false;
}

void Combat_Add_Unit(std::int32_t unit_id, std::uint16_t carrier_cargo_list) {
  if (!G_Map) return;
  TMap_Unit_Record unit;
  G_Map->m_Get_Unit(unit_id, unit);
  const TUnit_Type* type = World_Unit_Type(unit.unit_type);
  if (unit.owner == 0 || !type || !type->f_takes_part_in_combat) return;
  Log("  Add Unit");
  Log("    Owner     = " + std::to_string(unit.owner));
  Log("    Unit Type = " + type->f_internal_name);

  std::int32_t w = Footprint(type->f_square_size_width);
  std::int32_t h = Footprint(type->f_square_size_height);
  if (w == 0 || h == 0) return;
  std::int32_t c0 = 0, r0 = 0;
  // With no free place the unit stays off the grid rather than landing on
  // another side's piece.
  if (!Combat_Find_Starting_Cell(unit.unit_type, unit.owner, w, h, c0, r0)) return;

  std::int32_t piece_id = 0;
  std::int32_t piece_unit_id = unit_id;
  for (std::int32_t c = c0; c < c0 + w; ++c)
    for (std::int32_t r = r0; r < r0 + h; ++r) {
      if (!In_Grid(c, r)) continue;
      TCombat_Cell& cell = Cell(c, r);
      if (c == c0 && r == r0) {
        if (cell.unit_type != 0) {
          cell.count = Checked_Add(cell.count, std::int32_t(1));
          Combat_Count_Starting_Unit(unit.owner, unit.unit_type);
          piece_id = cell.piece_id;
          piece_unit_id = cell.unit_id;
          if (Announce()) g_links->m_Send_Add_Starting_Unit(1, c, r, cell);
        } else {
          G_Combat.piece_id_counter = Checked_Add(G_Combat.piece_id_counter, std::int32_t(1));
          piece_id = G_Combat.piece_id_counter;
          cell = TCombat_Cell{};
          cell.piece_id = piece_id;
          cell.unit_type = unit.unit_type;
          cell.unit_id = unit_id;
          cell.owner = unit.owner;
          cell.anchor = 1;
          cell.count = 1;
          Set_Piece_Facts(cell, *type, c0, r0);
          cell.initiative = Random_Single(0.0f, 0.25f);
          if (Announce()) cell.initiative = Announced_Initiative(cell.initiative);
          cell.carrier_cargo_list = carrier_cargo_list;
          cell.facing = Facing(*type, unit.owner);
          if (Announce()) g_links->m_Send_Add_Starting_Unit(3, c, r, cell);
          Combat_Count_Starting_Unit(unit.owner, unit.unit_type);
        }
      } else {
        // The piece's other cells name the unit that first formed it.
        cell = TCombat_Cell{};
        cell.piece_id = piece_id;
        cell.unit_type = unit.unit_type;
        cell.unit_id = piece_unit_id;
        cell.owner = unit.owner;
        cell.anchor = 0;
        cell.offset_x = std::uint8_t(c - c0);
        cell.offset_y = std::uint8_t(r - r0);
        if (Announce()) g_links->m_Send_Add_Starting_Unit(2, c, r, cell);
      }
    }
}

void Combat_Add_Unit_Remote(std::int32_t kind, std::int32_t column, std::int32_t row, const TCombat_Cell& cell) {
  if (!In_Grid(column, row)) return;
  TCombat_Cell& target = Cell(column, row);
  switch (kind) {
    case 1:
      if (target.unit_type == 0) return;
      target.count = cell.count;
      Combat_Count_Starting_Unit(target.owner, target.unit_type);
      break;
    case 2:
      target = TCombat_Cell{};
      target.piece_id = cell.piece_id;
      target.unit_type = cell.unit_type;
      target.unit_id = cell.unit_id;
      target.owner = cell.owner;
      target.anchor = 0;
      target.offset_x = cell.offset_x;
      target.offset_y = cell.offset_y;
      break;
    case 3:
      target = cell;
      target.anchor = 1;
      target.column = column;
      target.row = row;
      if (const TUnit_Type* type = World_Unit_Type(cell.unit_type)) Set_Piece_Facts(target, *type, column, row);
      if (cell.piece_id > G_Combat.piece_id_counter) G_Combat.piece_id_counter = cell.piece_id;
      Combat_Count_Starting_Unit(cell.owner, cell.unit_type);
      break;
    default: break;
  }
}

TCombat_Cell Combat_Get_Cell(std::int32_t column, std::int32_t row) {
  if (!In_Grid(column, row)) return TCombat_Cell{};
  return Cell(column, row);
}

void Combat_Set_Cell(std::int32_t column, std::int32_t row, const TCombat_Cell& cell) {
  if (!In_Grid(column, row)) return;
  TCombat_Cell& target = Cell(column, row);
  target = cell;
  target.column = column;
  target.row = row;
}

void Combat_Clear_Cell(std::int32_t column, std::int32_t row) {
  if (In_Grid(column, row)) Cell(column, row) = TCombat_Cell{};
}

void Combat_Fill_Cells(std::int32_t column, std::int32_t row, const TCombat_Cell& cell) {
  for (std::int32_t c = column; c < column + std::int32_t(cell.width); ++c)
    for (std::int32_t r = row; r < row + std::int32_t(cell.height); ++r) Combat_Clear_Cell(c, r);
}

void Combat_Place_Piece(std::int32_t column, std::int32_t row, const TCombat_Cell& cell) {
  std::int32_t w = cell.width, h = cell.height;
  for (std::int32_t c = column; c < column + w; ++c)
    for (std::int32_t r = row; r < row + h; ++r) Combat_Clear_Cell(c, r);
  for (std::int32_t c = column; c < column + w; ++c)
    for (std::int32_t r = row; r < row + h; ++r) {
      if (!In_Grid(c, r)) continue;
      TCombat_Cell& target = Cell(c, r);
      if (c == column && r == row) {
        target = cell;
        target.anchor = 1;
        target.offset_x = 0;
        target.offset_y = 0;
        target.column = column;
        target.row = row;
      } else {
        target.piece_id = cell.piece_id;
        target.unit_type = cell.unit_type;
        target.unit_id = cell.unit_id;
        target.owner = cell.owner;
        target.anchor = 0;
        target.offset_x = std::uint8_t(c - column);
        target.offset_y = std::uint8_t(r - row);
      }
    }
}

void Combat_Get_Piece_Screen_Pos(std::int32_t column, std::int32_t row, std::int32_t width, std::int32_t height,
                                 float picture_width, float picture_height, float& x, float& y) {
  x = float(column - 1) * Combat_Cell_Size + (float(width) * Combat_Cell_Size - picture_width) / 2.0f;
  y = float(row - 1) * Combat_Cell_Size + (float(height) * Combat_Cell_Size - picture_height) / 2.0f;
}

void Combat_Get_Cell_Centre(std::int32_t column, std::int32_t row, std::int32_t width, std::int32_t height, float& x,
                            float& y) {
  x = float(column - 1) * Combat_Cell_Size + float(width) * Combat_Cell_Size / 2.0f;
  y = float(row - 1) * Combat_Cell_Size + float(height) * Combat_Cell_Size / 2.0f;
}

void Combat_Add_Starting_Unit_Record(std::uint8_t owner, std::uint16_t unit_type, std::int32_t destroyed_count) {
  TCombat_Starting_Unit* r = Starting_Record(owner, unit_type);
  if (r) r->destroyed_count = Checked_Add(r->destroyed_count, destroyed_count);
}

void Combat_Count_Starting_Unit(std::uint8_t owner, std::uint16_t unit_type) {
  TCombat_Starting_Unit* r = Starting_Record(owner, unit_type);
  if (r) r->starting_count = Checked_Add(r->starting_count, std::int32_t(1));
}

std::int32_t Combat_Get_Starting_Unit_Count() { return G_Combat.starting_count; }

bool Combat_Get_Starting_Unit(std::int64_t n, TCombat_Starting_Unit& record) {
  if (n < 1 || n > G_Combat.starting_count) return false;
  record = G_Combat.starting[std::size_t(n - 1)];
  return true;
}

void Combat_Keep_Early_Close(bool end_dialog) {
  if (!Combat_Is_Active()) return;
  (end_dialog ? G_Combat.early_close_end : G_Combat.early_close_begin) = 1;
}

bool Combat_Take_Early_Close(bool end_dialog) {
  std::uint8_t& kept = end_dialog ? G_Combat.early_close_end : G_Combat.early_close_begin;
  const bool taken = kept != 0;
  kept = 0;
  return taken;
}

bool Combat_Is_Active() { return G_Combat.region > 0; }
std::int32_t Combat_Get_Region() { return G_Combat.region; }
std::uint8_t Combat_Get_Attacker() { return G_Combat.attacker; }
std::uint8_t Combat_Get_Defender() { return G_Combat.defender; }
std::uint8_t Combat_Get_Winner() { return G_Combat.winner; }
bool Combat_Is_Attacker(std::uint8_t player) { return player == G_Combat.attacker; }
void Combat_Set_Region(std::int32_t region_id) { G_Combat.region = region_id; }

void Combat_Reload_Background() {
  if (G_Combat.background_texture != 0)
    G_Combat.background_texture = g_links->m_Load_Texture(G_Combat.background_path, Combat_Background_Texture_Group);
}

std::int32_t Combat_Ability_Total(std::uint8_t player, std::uint16_t ability_type) {
  std::int32_t total = 0;
  for (const auto& column : G_Combat.grid)
    for (const TCombat_Cell& cell : column) {
      if (cell.anchor != 1 || cell.unit_type == 0 || cell.owner != player) continue;
      const TUnit_Type* type = World_Unit_Type(cell.unit_type);
      if (!type || type->f_movement_type != UNIT_MOVEMENT_LAND || type->m_Get_Special_Ability_Count() == 0) continue;
      total = Checked_Add(total, Checked_Mul(type->m_Get_Special_Ability_Total(ability_type), cell.count));
    }
  return total;
}

std::int32_t Combat_Ability4_Total(std::uint8_t player) {
  return Combat_Ability_Total(player, UNIT_ABILITY_COMBAT_ATTACK_MODIFIER);
}

std::int32_t Combat_Ability3_Total(std::uint8_t player) {
  return Combat_Ability_Total(player, UNIT_ABILITY_COMBAT_DEFENSE_MODIFIER);
}
