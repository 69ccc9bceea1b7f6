// Battle turns: which piece acts next, where it may move and what it may
// attack, its moves and attacks as timed actions, the player's clicks and
// buttons, waiting and ending a turn, and the entries the network mirror
// calls.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Combat.h"
#include "Combat_Internal.h"
#include "Empire.h"
#include "Errors.h"
#include "Global.h"
#include "Io.h"
#include "MasterActionTimer.h"
#include "MasterActionTimer_Combat.h"
#include "World_Unit_Facts.h"

using namespace combat_detail;

namespace {

TMaster_Action_Timer* g_timer_override = nullptr;

// Combat_Next_Piece in progress, and a further call asked for meanwhile.
bool g_next_running = false;
bool g_next_again = false;

using TDistance_Table = std::array<std::array<std::int32_t, Combat_Rows>, Combat_Columns>;

TDistance_Table Empty_Distances() {
  TDistance_Table t;
  for (auto& column : t) column.fill(-1);
  return t;
}

std::int32_t& Distance(TDistance_Table& t, std::int32_t column, std::int32_t row) {
  return t[std::size_t(column - 1)][std::size_t(row - 1)];
}

// One grid step of a piece's pass: what the initiative adds per pass.
float Initiative_Step(const TUnit_Type& type) { return float(type.f_initiative) / 10.0f * 0.1f; }

bool Is_Piece(const TCombat_Cell& cell) { return cell.anchor == 1 && cell.unit_type != 0; }

// Whether the current piece's owner sits at this machine.
bool Local_Piece() {
  if (Game_Kind() == TGame_Kind::Hot_Seat) {
    TEmpire* e = Empire_Get(G_Combat.current_owner);
    return !e || !e->m_Get_Computer_Controlled();
  }
  return G_Combat.current_owner == Game_Settings.f_local_empire;
}

// The support totals of a side, worked out when first needed.
struct TSide_Support {
  std::uint8_t owner = 0;
  bool known = false;
  std::int64_t attack = 0, defence = 0;
  void m_Need() {
    if (known) return;
    attack = Combat_Ability4_Total(owner);
    defence = Combat_Ability3_Total(owner);
    known = true;
  }
};

// The largest damage the attacking piece could deal the target piece in
// one attack (the highest roll of every unit, with both sides' ratings).
std::int64_t Highest_Damage(const TCombat_Cell& attacker, const TCombat_Cell& target, TSide_Support& a_side,
                            TSide_Support& t_side) {
  const TUnit_Type* ta = World_Unit_Type(attacker.unit_type);
  const TUnit_Type* tt = World_Unit_Type(target.unit_type);
  if (!ta || !tt || attacker.can_attack == 0) return 0;
  if (!Combat_Can_Damage_Type(attacker.unit_type, target.unit_type)) return 0;
  double pct = ta->m_Get_Combat_Damage_Modifier(tt->f_movement_type);
  double damage = std::trunc(double(attacker.count) * double(ta->f_combat_damage_max) * pct / 100.0);
  if (damage <= 0) return 0;
  a_side.m_Need();
  t_side.m_Need();
  std::int64_t attack = std::int64_t(ta->f_attack_rating) + a_side.attack;
  std::int64_t defence = std::int64_t(tt->f_defense_rating) + t_side.defence;
  if (defence > attack) return std::int64_t(std::trunc(damage / (double(defence - attack) * 0.05 + 1.0)));
  return std::int64_t(std::trunc((double(attack - defence) * 0.05 + 1.0) * damage));
}

// Whether some piece of one side can still hurt some piece of the other.
bool Any_Damage_Possible() {
  std::vector<const TCombat_Cell*> attackers, defenders;
  for (std::int32_t c = 1; c <= Combat_Columns; ++c)
    for (std::int32_t r = 1; r <= Combat_Rows; ++r) {
      const TCombat_Cell& cell = Cell(c, r);
      if (!Is_Piece(cell)) continue;
      if (cell.owner == G_Combat.attacker) attackers.push_back(&cell);
      if (cell.owner == G_Combat.defender) defenders.push_back(&cell);
    }
  TSide_Support a{G_Combat.attacker}, d{G_Combat.defender};
  for (const TCombat_Cell* x : attackers)
    for (const TCombat_Cell* y : defenders)
      if (Highest_Damage(*x, *y, a, d) > 0 || Highest_Damage(*y, *x, d, a) > 0) return true;
  return false;
}

void End_Battle(std::uint8_t winner) {
  G_Combat.winner = winner;
  Combat_Results();
}

void Next_Piece_Once() {
  // No battle, or one already decided (its end dialog may be open).
  if (!Combat_Is_Active() || G_Combat.winner != 0) return;
  Log("Combat_Next_Piece - Start");

  bool attacker_present = false, defender_present = false;
  for (std::int32_t c = 1; c <= Combat_Columns; ++c)
    for (std::int32_t r = 1; r <= Combat_Rows; ++r) {
      const TCombat_Cell& cell = Cell(c, r);
      if (cell.anchor != 1) continue;
      if (cell.owner == G_Combat.attacker) {
        attacker_present = true;
        const TUnit_Type* type = World_Unit_Type(cell.unit_type);
        if (type && type->f_movement_type == UNIT_MOVEMENT_LAND) G_Combat.attacker_has_land_piece = 1;
      }
      if (cell.owner == G_Combat.defender) defender_present = true;
    }
  if (!attacker_present || !defender_present) {
    Log("Combat_Next_Piece - End");
    End_Battle(attacker_present ? G_Combat.attacker : G_Combat.defender);
    return;
  }
  // Sides that cannot hurt each other would pass turns for ever: the
  // defender holds the region.
  if (!Any_Damage_Possible()) {
    Log("Combat_Next_Piece - End");
    End_Battle(G_Combat.defender);
    return;
  }

  std::int32_t found_column = 0, found_row = 0;
  bool out_of_time = false;
  for (std::int32_t pass = 0; pass < Combat_Max_Initiative_Passes && found_column == 0; ++pass) {
    float best = 1.0f;
    for (std::int32_t c = 1; c <= Combat_Columns; ++c)
      for (std::int32_t r = 1; r <= Combat_Rows; ++r) {
        const TCombat_Cell& cell = Cell(c, r);
        if (!Is_Piece(cell) || (cell.can_attack == 0 && cell.can_move == 0)) continue;
        if (cell.initiative > best) {
          best = cell.initiative;
          found_column = c;
          found_row = r;
        }
      }
    if (found_column != 0) break;
    for (std::int32_t c = 1; c <= Combat_Columns; ++c)
      for (std::int32_t r = 1; r <= Combat_Rows; ++r) {
        TCombat_Cell& cell = Cell(c, r);
        if (!Is_Piece(cell)) continue;
        if (const TUnit_Type* type = World_Unit_Type(cell.unit_type)) cell.initiative += Initiative_Step(*type);
      }
    G_Combat.combat_time += 0.1f;
    if (G_Combat.combat_time > Combat_Time_Limit) {
      out_of_time = true;
      break;
    }
  }

  // Nothing draws the strip of a battle that is not shown.
  if (!G_Combat.auto_resolve) Combat_Build_Turn_Order();
  G_Combat.combat_time_text = Text_Trim(Float_To_Text_Format(G_Combat.combat_time, 0, 1, 0));
  G_Combat.move_map = {};
  G_Combat.attack_map = {};

  if (out_of_time) {
    Log("Combat_Next_Piece - End");
    End_Battle(G_Combat.defender);
    return;
  }
  if (found_column == 0) {
    Log("Combat_Next_Piece - End");
    End_Battle(G_Combat.attacker);
    return;
  }

  const TCombat_Cell& piece = Cell(found_column, found_row);
  G_Combat.current_piece = piece.piece_id;
  G_Combat.current_column = found_column;
  G_Combat.current_row = found_row;
  G_Combat.current_owner = piece.owner;

  TEmpire* empire = Empire_Get(piece.owner);
  if (Game_Kind() == TGame_Kind::Hot_Seat) {
    if (empire) Combat_Links().m_Enable_Combat_Buttons(!empire->m_Get_Computer_Controlled());
  } else {
    Combat_Links().m_Enable_Combat_Buttons(piece.owner == Game_Settings.f_local_empire);
  }

  if (const TUnit_Type* type = World_Unit_Type(piece.unit_type)) {
    if (type->f_combat_movement_amount != 0)
      Combat_Compute_Move_Map(piece.piece_id, found_column, found_row, type->f_combat_movement_type,
                              type->f_combat_movement_amount, piece.height, piece.width);
    if (type->f_combat_attack_range > 0)
      Combat_Compute_Attack_Map(piece.piece_id, found_column, found_row, piece.unit_type,
                                type->f_combat_attack_range, piece.height, piece.width);
  }

  // Nobody watches an auto-resolved battle, so the computer plays every
  // piece of it.
  if ((empire && empire->m_Get_Computer_Controlled()) || G_Combat.auto_resolve) Combat_Execute_AI_Move();
  Log("Combat_Next_Piece - End");
}

TCombat_Cell* Current_Anchor() {
  if (G_Combat.current_piece == 0 || !In_Grid(G_Combat.current_column, G_Combat.current_row)) return nullptr;
  TCombat_Cell& cell = Cell(G_Combat.current_column, G_Combat.current_row);
  return cell.piece_id == G_Combat.current_piece && cell.anchor == 1 ? &cell : nullptr;
}

void Clear_Current_Piece() {
  G_Combat.current_piece = 0;
  G_Combat.current_column = 0;
  G_Combat.current_row = 0;
  G_Combat.current_owner = 0;
}

bool Covers(std::int32_t column, std::int32_t row, std::int32_t width, std::int32_t height, std::int32_t c,
            std::int32_t r) {
  return c >= column && c < column + width && r >= row && r < row + height;
}

// Queues the steps of a piece's move; the id of the last queued action, 0
// when none was queued.
std::int32_t Queue_Path(TMaster_Action_Timer& timer, const TCombat_Cell& piece, std::int32_t amount,
                        std::int32_t target_column, std::int32_t target_row) {
  const bool auto_resolve = G_Combat.auto_resolve != 0;
  const std::int32_t w = std::max<std::int32_t>(1, piece.width), h = std::max<std::int32_t>(1, piece.height);
  std::int32_t c = G_Combat.current_column, r = G_Combat.current_row;

  // Distances back from the target over cells free of other pieces.
  TDistance_Table dist = Empty_Distances();
  Distance(dist, target_column, target_row) = 0;
  bool reachable = Covers(target_column, target_row, 1, 1, c, r);
  std::array<std::pair<std::int32_t, std::int32_t>, Combat_Cell_Count> queue;
  std::size_t head = 0, tail = 0;
  queue[tail++] = {target_column, target_row};
  while (head < tail) {
    auto [x, y] = queue[head++];
    const std::int32_t d = Distance(dist, x, y);
    for (std::int32_t nx = x - 1; nx <= x + 1; ++nx)
      for (std::int32_t ny = y - 1; ny <= y + 1; ++ny) {
        if (!In_Grid(nx, ny) || Distance(dist, nx, ny) != -1) continue;
        std::int32_t id = Cell(nx, ny).piece_id;
        if (id != 0 && id != piece.piece_id) continue;
        Distance(dist, nx, ny) = d + 1;
        queue[tail++] = {nx, ny};
      }
  }
  for (std::int32_t x = 1; x <= Combat_Columns && !reachable; ++x)
    for (std::int32_t y = 1; y <= Combat_Rows && !reachable; ++y)
      if (Distance(dist, x, y) >= 0 && Covers(x, y, w, h, c, r)) reachable = true;
  if (!reachable) return 0;

  std::int32_t last = 0, moves = 0;
  for (std::int32_t attempt = 0; attempt < 1000; ++attempt) {
    if (Covers(c, r, w, h, target_column, target_row) || moves >= amount) break;
    std::int32_t best = 999, bc = 0, br = 0;
    for (std::int32_t n = c - 1; n <= c + 1; ++n)
      for (std::int32_t m = r - 1; m <= r + 1; ++m) {
        if ((n == c && m == r) || !In_Grid(n, m) || Distance(dist, n, m) < 0) continue;
        // A step never lands the piece on another piece or off the grid.
        if (!Footprint_Free(n, m, w, h, piece.piece_id)) continue;
        std::int32_t cost = 0;
        for (std::int32_t x = n; x < n + w; ++x)
          for (std::int32_t y = m; y < m + h; ++y) {
            std::int32_t d = Distance(dist, x, y);
            cost += d + (d == -1 ? 99 : 0);
          }
        if (cost < best || (cost == best && bc != 0 && (n == c || m == r))) {
          best = cost;
          bc = n;
          br = m;
        }
      }
    if (bc == 0) break;
    last = timer.m_Add_Action_Combat_Move(c, r, bc, br, auto_resolve, last == 0, last);
    Log("  Action_Combat_Move = " + Int_To_Text(last));
    c = bc;
    r = br;
    ++moves;
  }
  return last;
}

}  // namespace

TMaster_Action_Timer* Combat_Action_Timer() { return g_timer_override ? g_timer_override : Master_Action_Timer; }
void Combat_Set_Action_Timer(TMaster_Action_Timer* timer) { g_timer_override = timer; }

bool Combat_Can_Damage_Type(std::uint16_t attacker_type, std::uint16_t target_type) {
  const TUnit_Type* a = World_Unit_Type(attacker_type);
  const TUnit_Type* t = World_Unit_Type(target_type);
  return a && t && a->m_Can_Attack_Target_Type(t->f_movement_type);
}

void Combat_Next_Piece() {
  if (g_next_running) {
    g_next_again = true;
    return;
  }
  g_next_running = true;
  try {
    do {
      g_next_again = false;
      Next_Piece_Once();
    } while (g_next_again);
  } catch (...) {
    g_next_running = false;
    g_next_again = false;
    throw;
  }
  g_next_running = false;
}

void Combat_End_Piece_Turn(bool continue_turns) {
  if (TCombat_Cell* cell = Current_Anchor()) cell->initiative -= 1.0f;
  if (continue_turns) Combat_Next_Piece();
}

void Combat_Wait_Piece(bool continue_turns) {
  if (TCombat_Cell* cell = Current_Anchor()) cell->initiative -= 0.5f;
  if (continue_turns) Combat_Next_Piece();
}

void Combat_Compute_Move_Map(std::int32_t piece_id, std::int32_t column, std::int32_t row,
                             std::uint8_t movement_type, std::int32_t amount, std::int32_t height,
                             std::int32_t width) {
  const std::int32_t w = std::max<std::int32_t>(1, width), h = std::max<std::int32_t>(1, height);
  const bool flying = movement_type == UNIT_MOVEMENT_AIR || movement_type == UNIT_MOVEMENT_SPACE;
  const bool surface = movement_type == UNIT_MOVEMENT_LAND || movement_type == UNIT_MOVEMENT_SEA_SURFACE ||
                       movement_type == UNIT_MOVEMENT_UNDERSEA;
  TDistance_Table dist = Empty_Distances();
  for (std::int32_t c = column; c < column + w; ++c)
    for (std::int32_t r = row; r < row + h; ++r)
      if (In_Grid(c, r)) Distance(dist, c, r) = 0;

  for (std::int32_t d = 0; d < amount; ++d) {
    bool changed = false;
    for (std::int32_t c = 1; c <= Combat_Columns; ++c)
      for (std::int32_t r = 1; r <= Combat_Rows; ++r) {
        if (Distance(dist, c, r) != d) continue;
        for (std::int32_t nc = c - 1; nc <= c + 1; ++nc)
          for (std::int32_t nr = r - 1; nr <= r + 1; ++nr) {
            if (!In_Grid(nc, nr) || Distance(dist, nc, nr) != -1) continue;
            bool passable = flying;
            if (surface) {
              std::int32_t left = nc > column ? nc - w + 1 : nc;
              std::int32_t top = nr > row ? nr - h + 1 : nr;
              passable = Footprint_Free(left, top, w, h, piece_id);
            }
            if (!passable) continue;
            Distance(dist, nc, nr) = d + 1;
            changed = true;
          }
      }
    if (!changed) break;
  }
  for (std::int32_t c = 1; c <= Combat_Columns; ++c)
    for (std::int32_t r = 1; r <= Combat_Rows; ++r) {
      std::int32_t d = Distance(dist, c, r);
      if (d < 1 || d > amount || Cell(c, r).piece_id != 0) continue;
      // A flying piece lands with its anchor on the cell: its whole
      // footprint must fit there.
      if (flying && !Footprint_Free(c, r, w, h, piece_id)) continue;
      Move_Mark(c, r) = 1;
    }
}

void Combat_Compute_Attack_Map(std::int32_t piece_id, std::int32_t column, std::int32_t row,
                               std::uint16_t unit_type, std::int32_t range, std::int32_t height,
                               std::int32_t width) {
  const std::int32_t w = std::max<std::int32_t>(1, width), h = std::max<std::int32_t>(1, height);
  const std::uint8_t owner = In_Grid(column, row) ? Cell(column, row).owner : G_Combat.current_owner;
  // King-move distance from the footprint.
  auto distance = [&](std::int32_t c, std::int32_t r) {
    std::int32_t dx = c < column ? column - c : (c >= column + w ? c - (column + w - 1) : 0);
    std::int32_t dy = r < row ? row - r : (r >= row + h ? r - (row + h - 1) : 0);
    return std::max(dx, dy);
  };
  for (std::int32_t c = 1; c <= Combat_Columns; ++c)
    for (std::int32_t r = 1; r <= Combat_Rows; ++r) {
      std::int32_t d = distance(c, r);
      if (d < 1 || d > range) continue;
      const TCombat_Cell& cell = Cell(c, r);
      if (cell.unit_type == 0) {
        Attack_Mark(c, r) = 1;
        continue;
      }
      if (cell.owner == owner || cell.piece_id == piece_id ||
          !Combat_Can_Damage_Type(unit_type, cell.unit_type)) continue;
      Attack_Mark(c, r) = 1;
      // The whole target piece is marked.
      std::int32_t ac = c - cell.offset_x, ar = r - cell.offset_y;
      const TCombat_Cell& anchor = In_Grid(ac, ar) ? Cell(ac, ar) : cell;
      std::int32_t tw = std::max<std::int32_t>(1, anchor.width), th = std::max<std::int32_t>(1, anchor.height);
      for (std::int32_t x = ac; x < ac + tw; ++x)
        for (std::int32_t y = ar; y < ar + th; ++y)
          if (In_Grid(x, y)) Attack_Mark(x, y) = 1;
    }
}

void Combat_Build_Turn_Order() {
  G_Combat.turn_order = {};
  G_Combat.turn_order_count = 0;
  std::vector<TCombat_Cell> copies;
  for (std::int32_t c = 1; c <= Combat_Columns && copies.size() < std::size_t(Max_Combat_Turn_Order); ++c)
    for (std::int32_t r = 1; r <= Combat_Rows && copies.size() < std::size_t(Max_Combat_Turn_Order); ++r) {
      const TCombat_Cell& cell = Cell(c, r);
      if (Is_Piece(cell) && (cell.can_attack != 0 || cell.can_move != 0)) copies.push_back(cell);
    }
  if (copies.empty()) return;
  const float screen_width = float(Combat_Links().m_Screen_Width());
  float x = Combat_Turn_Strip_Left;
  for (std::int32_t pass = 0; pass <= 10000; ++pass) {
    for (;;) {
      TCombat_Cell* best = nullptr;
      for (TCombat_Cell& copy : copies)
        if (copy.initiative > 1.0f && (!best || copy.initiative > best->initiative)) best = &copy;
      if (!best) break;
      const TUnit_Type* type = World_Unit_Type(best->unit_type);
      const float entry_width = type ? float(type->f_square_size_width) * Combat_Turn_Entry_Scale : 0.0f;
      // The strip shows whole entries only: the order ends with the last
      // one that fits before the screen's right edge.
      if (x + entry_width > screen_width) return;
      TCombat_Turn_Entry& e = G_Combat.turn_order[std::size_t(G_Combat.turn_order_count)];
      e.owner = best->owner;
      e.unit_type = best->unit_type;
      e.unit_id = best->unit_id;
      e.count_text = Int_To_Text(best->count);
      e.x = x;
      e.y = 0;
      e.width = entry_width;
      e.height = type ? float(type->f_square_size_height) * Combat_Turn_Entry_Scale : 0.0f;
      e.colour = best->colour;
      ++G_Combat.turn_order_count;
      best->initiative -= 1.0f;
      x += e.width;
      if (G_Combat.turn_order_count >= Max_Combat_Turn_Order || x >= screen_width) return;
    }
    for (TCombat_Cell& copy : copies)
      if (const TUnit_Type* type = World_Unit_Type(copy.unit_type)) copy.initiative += Initiative_Step(*type);
  }
}

void m_Combat_Move(std::int32_t target_column, std::int32_t target_row) {
  Log("m_Combat_Move - Start");
  TCombat_Cell* anchor = Current_Anchor();
  TMaster_Action_Timer* timer = Combat_Action_Timer();
  const TUnit_Type* type = anchor ? World_Unit_Type(anchor->unit_type) : nullptr;
  if (!anchor || !timer || !type || !In_Grid(target_column, target_row)) {
    Log("m_Combat_Move - End");
    return;
  }
  const TCombat_Cell piece = *anchor;
  const bool auto_resolve = G_Combat.auto_resolve != 0;
  std::int32_t last = 0;
  const std::uint8_t t = type->f_combat_movement_type;
  if (t == UNIT_MOVEMENT_AIR || t == UNIT_MOVEMENT_SPACE) {
    // A flying piece goes straight to the cell, where its whole footprint
    // must fit.
    if (Footprint_Free(target_column, target_row, std::max<std::int32_t>(1, piece.width),
                       std::max<std::int32_t>(1, piece.height), piece.piece_id)) {
      last = timer->m_Add_Action_Combat_Move(G_Combat.current_column, G_Combat.current_row, target_column,
                                             target_row, auto_resolve, true, 0);
      Log("  Action_Combat_Move = " + Int_To_Text(last));
    }
  } else {
    last = Queue_Path(*timer, piece, type->f_combat_movement_amount, target_column, target_row);
  }
  // Without a path the piece's move ends where it stands and the battle
  // goes on.
  std::int32_t next = timer->m_Add_Action_Combat_Next_Piece(last, auto_resolve);
  Log("  Action_Combat_Next_Piece = " + Int_To_Text(next));
  Combat_End_Piece_Turn(false);
  Clear_Current_Piece();
  Log("m_Combat_Move - End");
}

void m_Combat_Attack(std::int32_t target_column, std::int32_t target_row, std::int32_t damage) {
  Log("m_Combat_Attack - Start");
  TMaster_Action_Timer* timer = Combat_Action_Timer();
  if (!Current_Anchor() || !timer) {
    Log("m_Combat_Attack - End");
    return;
  }
  const bool auto_resolve = G_Combat.auto_resolve != 0;
  std::int32_t id = timer->m_Add_Action_Combat_Attack(G_Combat.current_column, G_Combat.current_row, target_column,
                                                      target_row, damage, auto_resolve, 0);
  timer->m_Add_Action_Combat_Next_Piece(id, auto_resolve);
  Combat_End_Piece_Turn(false);
  Clear_Current_Piece();
  Log("m_Combat_Attack - End");
}

void Combat_Mouse_Click(std::int32_t x, std::int32_t y) {
  if (G_Combat.current_piece == 0 || !Local_Piece()) return;
  float px = 0, py = 0;
  if (!Combat_Links().m_Screen_To_Battle_Plane(x, y, px, py)) return;
  if (px < 0 || py < 0) return;
  std::int32_t column = std::int32_t(px / Combat_Cell_Size) + 1, row = std::int32_t(py / Combat_Cell_Size) + 1;
  if (!In_Grid(column, row)) return;
  const TCombat_Cell& cell = Cell(column, row);
  if (cell.unit_type != 0 && Attack_Mark(column, row) == 1) {
    std::int32_t tc = column - cell.offset_x, tr = row - cell.offset_y;
    std::int32_t damage =
        TCombat_Actions::m_Calc_Combat_Damage(G_Combat.current_column, G_Combat.current_row, tc, tr);
    const bool announce = Announce();
    m_Combat_Attack(tc, tr, damage);
    if (announce) Combat_Links().m_Send_Attack(tc, tr, damage);
  } else if (cell.unit_type == 0 && Move_Mark(column, row) == 1) {
    const bool announce = Announce();
    m_Combat_Move(column, row);
    if (announce) Combat_Links().m_Send_Move(column, row);
  }
}

void Combat_Button_Click(const std::string& name) {
  if (Text_Compare(name, "Combat Main Button 1") == 0) {
    Combat_Links().m_Open_Options_Dialog();
    return;
  }
  // Waiting and ending belong to a piece whose turn it is; between turns
  // (while a move or an attack plays) the buttons do nothing.
  if (G_Combat.current_piece == 0) return;
  const bool announce = Announce();
  if (Text_Compare(name, "Combat Main Button 2") == 0) {
    Combat_Wait_Piece(true);
    if (announce) Combat_Links().m_Send_Wait_Piece_Turn(true);
  } else if (Text_Compare(name, "Combat Main Button 3") == 0) {
    Combat_End_Piece_Turn(true);
    if (announce) Combat_Links().m_Send_End_Piece_Turn(true);
  }
}

void Combat_Player_Lost(std::uint8_t player) {
  // A battle only waited for (its region set while another machine runs
  // it) has no pieces here.
  if (!Combat_Is_Active() || G_Combat.attacker == 0 || player == 0) return;
  if (player != G_Combat.attacker && player != G_Combat.defender) return;
  Log("Combat_Player_Lost - player " + Int_To_Text(player));
  G_Combat.complete_here = 1;
  // A move or an attack clears the current piece: one still set waits for
  // its owner's step.
  if (G_Combat.winner == 0 && G_Combat.current_piece != 0 && G_Combat.current_owner == player)
    Combat_Execute_AI_Move();
}

void Combat_Next_Piece_Remote() { Combat_Next_Piece(); }
void Combat_Wait_Piece_Remote(bool continue_turns) { Combat_Wait_Piece(continue_turns); }
void Combat_End_Piece_Turn_Remote(bool continue_turns) { Combat_End_Piece_Turn(continue_turns); }
void Combat_Move_Remote(std::int32_t column, std::int32_t row) { m_Combat_Move(column, row); }
void Combat_Attack_Remote(std::int32_t column, std::int32_t row, std::int32_t damage) {
  m_Combat_Attack(column, row, damage);
}
