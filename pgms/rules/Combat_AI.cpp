// Battle pieces played by the computer: attack the most valuable enemy in
// reach, else move to the best-scoring cell, else wait.
//
// Values and scores are worked out in single precision, in the order
// written here, so that equal seeds give equal battles on every machine.
#include <algorithm>
#include <cstdlib>

#include "Combat.h"
#include "Combat_Internal.h"
#include "Errors.h"
#include "Global.h"
#include "MasterActionTimer_Combat.h"
#include "World_Unit_Facts.h"

using namespace combat_detail;

namespace {

using TScore_Table = std::array<std::array<std::int32_t, Combat_Rows>, Combat_Columns>;

constexpr std::int32_t No_Score = -9999999;

std::int32_t Percent(const TUnit_Type& type, std::uint8_t movement_type) {
  if (movement_type < 1 || movement_type > UNIT_MOVEMENT_TYPE_COUNT) return 0;
  return type.m_Get_Combat_Damage_Modifier(movement_type);
}

// A truncated single as a 32-bit number; EIntOverflow when it does not fit.
std::int32_t Trunc_Single(float v) {
  if (!(v > -2147483648.0f && v < 2147483648.0f)) throw EIntOverflow();
  return std::int32_t(v);
}

std::int32_t& Score(TScore_Table& t, std::int32_t column, std::int32_t row) {
  return t[std::size_t(column - 1)][std::size_t(row - 1)];
}

}  // namespace

std::int32_t Combat_AI_Threat_Sum(std::int32_t column, std::int32_t row, std::uint16_t unit_type,
                                  std::uint8_t owner, std::int32_t range) {
  const TUnit_Type* u = World_Unit_Type(unit_type);
  if (!u) return 0;
  std::int32_t sum = 0;
  for (std::int32_t c = column - range; c <= column + range; ++c)
    for (std::int32_t r = row - range; r <= row + range; ++r) {
      if (!In_Grid(c, r)) continue;
      const TCombat_Cell& cell = Cell(c, r);
      if (cell.unit_type == 0 || cell.owner == owner) continue;
      const TUnit_Type* t = World_Unit_Type(cell.unit_type);
      std::int32_t pct = t ? Percent(*u, t->f_movement_type) : 0;
      if (pct <= 0) continue;
      sum = Checked_Add(sum, Trunc_Single(float(cell.count) * float(u->f_combat_damage_max) * float(pct) / 100.0f));
    }
  return sum;
}

void Combat_AI_Score_Cells(std::uint8_t owner, std::uint8_t movement_type, const std::vector<TCombat_Cell>& pieces,
                           TScore_Table& scores) {
  for (const TCombat_Cell& piece : pieces) {
    if (piece.owner == owner) continue;
    const TUnit_Type* e = World_Unit_Type(piece.unit_type);
    if (!e) continue;
    std::int32_t p = Percent(*e, movement_type);
    if (p < 1) continue;
    std::int32_t threat =
        Trunc_Single(float(piece.count) * float(e->f_combat_damage_max) * float(p) / 100.0f / 10.0f);
    std::int32_t range = e->f_combat_attack_range;
    for (std::int32_t c = piece.column - range; c <= piece.column + range; ++c)
      for (std::int32_t r = piece.row - range; r <= piece.row + range; ++r)
        if (In_Grid(c, r)) Score(scores, c, r) = Checked_Sub(Score(scores, c, r), threat);
  }
}

void Combat_Execute_AI_Move() {
  Log("Combat_Execute_AI_Move - Start");
  std::vector<TCombat_Cell> pieces;
  for (std::int32_t c = 1; c <= Combat_Columns; ++c)
    for (std::int32_t r = 1; r <= Combat_Rows; ++r) {
      const TCombat_Cell& cell = Cell(c, r);
      if (cell.anchor == 1 && cell.unit_type != 0) pieces.push_back(cell);
    }
  TScore_Table scores{};
  const std::int32_t column = G_Combat.current_column, row = G_Combat.current_row;
  const TCombat_Cell current = Combat_Get_Cell(column, row);
  const TUnit_Type* u = World_Unit_Type(current.unit_type);
  if (!u || G_Combat.current_piece == 0) {
    Log("Combat_Execute_AI_Move - End");
    return;
  }
  const std::uint8_t owner = current.owner;
  const bool announce = Announce();

  // The most valuable enemy in reach: the hit points the attack could
  // take, weighed by the damage percent against it.
  std::int32_t best = No_Score;
  const TCombat_Cell* target = nullptr;
  for (const TCombat_Cell& piece : pieces) {
    if (Attack_Mark(piece.column, piece.row) != 1) continue;
    const TUnit_Type* t = World_Unit_Type(piece.unit_type);
    if (!t) continue;
    float hit_points = float(Checked_Add(Checked_Mul(piece.count - 1, t->f_hit_points), piece.hit_points));
    std::int32_t value = Trunc_Single(hit_points * float(Percent(*u, t->f_movement_type)) / 100.0f);
    if (value > best) {
      best = value;
      target = &piece;
    }
  }
  if (target) {
    std::int32_t tc = target->column, tr = target->row;
    std::int32_t damage = TCombat_Actions::m_Calc_Combat_Damage(column, row, tc, tr);
    m_Combat_Attack(tc, tr, damage);
    if (announce) Combat_Links().m_Send_Attack(tc, tr, damage);
    Log("Combat_Execute_AI_Move - End");
    return;
  }

  // Threat of the enemies that can hurt it.
  Combat_AI_Score_Cells(owner, u->f_movement_type, pieces, scores);
  // Approach: closer to every enemy it can hurt is better. Only the cells
  // it may move to are ever chosen, so only theirs are scored.
  std::vector<std::pair<std::int32_t, std::int32_t>> move_cells;
  for (std::int32_t c = 1; c <= Combat_Columns; ++c)
    for (std::int32_t r = 1; r <= Combat_Rows; ++r)
      if (Move_Mark(c, r) == 1) move_cells.emplace_back(c, r);
  for (const TCombat_Cell& piece : pieces) {
    if (piece.owner == owner || !Combat_Can_Damage_Type(current.unit_type, piece.unit_type)) continue;
    for (auto [c, r] : move_cells) {
      std::int32_t steps = std::max(std::abs(c - piece.column), std::abs(r - piece.row));
      Score(scores, c, r) = Checked_Sub(Score(scores, c, r), 10 * steps);
    }
  }
  // Opportunity: what it could hit from there.
  for (auto [c, r] : move_cells)
    Score(scores, c, r) = Checked_Add(
        Score(scores, c, r),
        Checked_Mul(std::int32_t(100), Combat_AI_Threat_Sum(c, r, current.unit_type, owner,
                                                            u->f_combat_attack_range)));

  std::int32_t best_score = No_Score, bc = 0, br = 0;
  for (std::int32_t c = 1; c <= Combat_Columns; ++c)
    for (std::int32_t r = 1; r <= Combat_Rows; ++r) {
      if (Move_Mark(c, r) != 1) continue;
      std::int32_t s = Score(scores, c, r);
      if (s > best_score || (s == best_score && Random_Range(1, 3) == 1)) {
        best_score = s;
        bc = c;
        br = r;
      }
    }
  if (bc == 0) {
    Combat_Wait_Piece(true);
    if (announce) Combat_Links().m_Send_Wait_Piece_Turn(true);
  } else {
    m_Combat_Move(bc, br);
    if (announce) Combat_Links().m_Send_Move(bc, br);
  }
  Log("Combat_Execute_AI_Move - End");
}
