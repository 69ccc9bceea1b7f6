#include "MasterActionTimer_Combat.h"

#include <algorithm>
#include <cmath>

#include "Debug_Log.h"
#include "Errors.h"
#include "Global.h"
#include "Io.h"
#include "MachineOptions.h"
#include "World_Unit_Facts.h"

namespace {

bool Timer_Debug() { return Debug_Sections[DEBUG_MASTER_ACTION_TIMER]; }

void Log(const std::string& text) {
  if (Timer_Debug()) Debug_Log_Write(text);
}

// Battle-plane units a piece moves per second at speed factor 1.
constexpr float Combat_Move_Speed = 200.0f;
// A moving piece has arrived once it is this close to its target.
constexpr float Combat_Move_Arrival = 5.0f;
// Seconds a Combat Next Piece waits before the next piece acts.
constexpr float Combat_Next_Piece_Wait = 0.5f;
// Height of attack effects and damage texts above the battle plane.
constexpr float Combat_Effect_Height = -5.0f;

// The "Combat Movement Speed" option as a factor; a value outside 1..3
// moves at 1 so that the piece still arrives.
float Speed_Factor() {
  std::int32_t g = Machine_Options ? Machine_Options->f_combat_movement_speed : 1;
  return g >= 1 && g <= 3 ? float(g) : 1.0f;
}

// The percent of the type's combat damage against a movement type; 0 for a
// movement type outside 1..5.
std::int32_t Damage_Percent(const TUnit_Type& type, std::int64_t movement_type) {
  if (movement_type < 1 || movement_type > UNIT_MOVEMENT_TYPE_COUNT) return 0;
  return type.m_Get_Combat_Damage_Modifier(movement_type);
}

// A truncated real as a 32-bit number; EIntOverflow when it does not fit.
std::int32_t Trunc_32(double v) {
  v = std::trunc(v);
  if (!(v >= -2147483648.0 && v <= 2147483647.0)) throw EIntOverflow();
  return std::int32_t(v);
}

// The footprint of a piece in cells, from its picture size.
std::int32_t Cells_Of(float picture_size) { return std::int32_t(picture_size / 100.0f + 0.9f); }

// Whether the piece's footprint anchored at the cell lies inside the grid
// and holds no other piece.
bool Footprint_Free(std::int32_t column, std::int32_t row, const TCombat_Cell& piece) {
  for (std::int32_t c = column; c < column + std::max<std::int32_t>(1, piece.width); ++c)
    for (std::int32_t r = row; r < row + std::max<std::int32_t>(1, piece.height); ++r) {
      if (c < 1 || c > Combat_Columns || r < 1 || r > Combat_Rows) return false;
      std::int32_t id = Combat_Get_Cell(c, r).piece_id;
      if (id != 0 && id != piece.piece_id) return false;
    }
  return true;
}

}  // namespace

TCombat_Actions Combat_Actions;

void TCombat_Actions::m_Install(TMaster_Action_Timer& timer) {
  timer.m_Set_Executor(ACTION_COMBAT_MOVE, this);
  timer.m_Set_Executor(ACTION_COMBAT_ATTACK, this);
  timer.m_Set_Executor(ACTION_COMBAT_NEXT_PIECE, this);
}

void TCombat_Actions::m_Execute(TMaster_Action_Timer& timer, std::int32_t index, float dt) {
  switch (timer.m_Get_Record(index).kind) {
    case ACTION_COMBAT_MOVE: m_Execute_Combat_Move(timer, index, dt); break;
    case ACTION_COMBAT_ATTACK: m_Execute_Combat_Attack(timer, index, dt); break;
    case ACTION_COMBAT_NEXT_PIECE: m_Execute_Combat_Next_Piece(timer, index, dt); break;
    default: break;
  }
}

std::int32_t TCombat_Actions::m_Calc_Combat_Damage(std::int32_t attacker_column, std::int32_t attacker_row,
                                                   std::int32_t defender_column, std::int32_t defender_row) {
  TCombat_Cell a = Combat_Get_Cell(attacker_column, attacker_row);
  TCombat_Cell d = Combat_Get_Cell(defender_column, defender_row);
  const TUnit_Type* ta = World_Unit_Type(a.unit_type);
  const TUnit_Type* td = World_Unit_Type(d.unit_type);
  std::int32_t damage = 0;
  if (ta && td) {
    std::int32_t pct = Damage_Percent(*ta, td->f_movement_type);
    std::int64_t sum = 0;
    for (std::int32_t i = 0; i < a.count; ++i)
      sum = Checked_Add(sum, std::int64_t(Random_Range(ta->f_combat_damage_min, ta->f_combat_damage_max)));
    damage = Trunc_32(double(sum) * (double(pct) / 100.0));
  }
  if (damage <= 0 || !td) return damage;
  std::int64_t attack = std::int64_t(ta->f_attack_rating) + Combat_Ability4_Total(a.owner);
  std::int64_t defence = std::int64_t(td->f_defense_rating) + Combat_Ability3_Total(d.owner);
  if (defence > attack) return Trunc_32(double(damage) / (double(defence - attack) * 0.05 + 1.0));
  return Trunc_32((double(attack - defence) * 0.05 + 1.0) * double(damage));
}

std::int32_t TCombat_Actions::m_Apply_Damage(std::int32_t damage, std::int32_t full_hit_points, std::int32_t& count,
                                             std::int32_t& hit_points) {
  // A type without hit points loses one unit per point of damage.
  if (full_hit_points < 1) full_hit_points = 1;
  std::int32_t killed = 0;
  std::int32_t g = damage;
  while (g > 0 && count > 0) {
    if (hit_points < g) {
      g -= hit_points;
      ++killed;
      --count;
      hit_points = full_hit_points;
    } else {
      hit_points -= g;
      g = 0;
    }
  }
  return killed;
}

void TCombat_Actions::m_Execute_Combat_Move(TMaster_Action_Timer& timer, std::int32_t index, float dt) {
  TAction_Record& r = timer.m_Get_Record(index);
  TAction_Combat_Move& m = r.combat_move;
  Log("TMaster_Action_Timer.m_Execute_Combat_Move - Start - Step: " + Int_To_Text(r.step));
  switch (r.step) {
    case 0: {
      TCombat_Cell cell = Combat_Get_Cell(m.from_column, m.from_row);
      f_moving[r.id] = cell;
      m.unit_type = cell.unit_type;
      m.owner = cell.owner;
      m.unit_count = cell.count;
      m.picture_x = cell.picture_x;
      m.picture_y = cell.picture_y;
      m.picture_width = cell.picture_width;
      m.picture_height = cell.picture_height;
      m.facing = cell.facing;
      m.colour = cell.colour;
      Combat_Get_Piece_Screen_Pos(m.to_column, m.to_row, cell.width, cell.height, cell.picture_width,
                                  cell.picture_height, m.target_x, m.target_y);
      float dx = m.target_x - m.picture_x, dy = m.target_y - m.picture_y;
      float d = std::sqrt(dx * dx + dy * dy);
      float speed = Combat_Move_Speed * Speed_Factor();
      // A piece that stays where it is has no direction to move in.
      m.velocity_x = d > 0 ? dx / d * speed : 0.0f;
      m.velocity_y = d > 0 ? dy / d * speed : 0.0f;
      m.remaining_distance = d;
      const TUnit_Type* type = World_Unit_Type(m.unit_type);
      if (!m.auto_resolve && type && m.first_step)
        m.sound_handle = Combat_Links().m_Start_Sound_3D(type->f_movement_sound_effect,
                                                         TVector{m.picture_x, m.picture_y, 0});
      r.step = 1;
      break;
    }
    case 1: {
      auto it = f_moving.find(r.id);
      TCombat_Cell origin;
      if (it != f_moving.end()) {
        origin = it->second;
      } else {
        origin.width = std::uint8_t(Cells_Of(m.picture_width));
        origin.height = std::uint8_t(Cells_Of(m.picture_height));
      }
      Combat_Fill_Cells(m.from_column, m.from_row, origin);
      if (m.auto_resolve) {
        m.picture_x = m.target_x;
        m.picture_y = m.target_y;
      } else {
        m.picture_x += m.velocity_x * dt;
        m.picture_y += m.velocity_y * dt;
        if (m.sound_handle != 0) Combat_Links().m_Move_Sound_3D(m.sound_handle, TVector{m.picture_x, m.picture_y, 0});
      }
      float dx = m.target_x - m.picture_x, dy = m.target_y - m.picture_y;
      float d = std::sqrt(dx * dx + dy * dy);
      if (d < Combat_Move_Arrival || d > m.remaining_distance) r.step = 2;
      m.remaining_distance = d;
      break;
    }
    case 2: {
      TCombat_Cell cell;
      auto it = f_moving.find(r.id);
      if (it != f_moving.end()) {
        cell = it->second;
        f_moving.erase(it);
      } else {
        // The piece as the record knows it (the cell copy is kept only
        // while the program runs).
        const TUnit_Type* type = World_Unit_Type(m.unit_type);
        cell.unit_type = m.unit_type;
        cell.owner = m.owner;
        cell.count = m.unit_count;
        cell.hit_points = type ? type->f_hit_points : 0;
        cell.picture_width = m.picture_width;
        cell.picture_height = m.picture_height;
        cell.width = std::uint8_t(std::max(1, Cells_Of(m.picture_width)));
        cell.height = std::uint8_t(std::max(1, Cells_Of(m.picture_height)));
        cell.facing = m.facing;
        cell.colour = m.colour;
      }
      cell.picture_x = m.target_x;
      cell.picture_y = m.target_y;
      // A piece never lands on another piece or off the grid: it goes
      // back where it came from.
      if (cell.unit_type != 0 && !Footprint_Free(m.to_column, m.to_row, cell)) {
        Combat_Get_Piece_Screen_Pos(m.from_column, m.from_row, cell.width, cell.height, cell.picture_width,
                                    cell.picture_height, cell.picture_x, cell.picture_y);
        if (Footprint_Free(m.from_column, m.from_row, cell)) Combat_Place_Piece(m.from_column, m.from_row, cell);
      } else if (cell.unit_type != 0) {
        Combat_Place_Piece(m.to_column, m.to_row, cell);
      }
      r.done = true;
      break;
    }
    default: r.done = true; break;
  }
  Log("TMaster_Action_Timer.m_Execute_Combat_Move - End");
}

void TCombat_Actions::m_Execute_Combat_Attack(TMaster_Action_Timer& timer, std::int32_t index, float) {
  TAction_Record& r = timer.m_Get_Record(index);
  TAction_Combat_Attack& a = r.combat_attack;
  Log("TMaster_Action_Timer.m_Execute_Combat_Attack - Start - Step: " + Int_To_Text(r.step));
  switch (r.step) {
    case 0: {
      TCombat_Cell attacker = Combat_Get_Cell(a.attacker_column, a.attacker_row);
      if (a.auto_resolve) {
        r.step = 3;
        break;
      }
      TCombat_Cell defender = Combat_Get_Cell(a.defender_column, a.defender_row);
      const TUnit_Type* ta = World_Unit_Type(attacker.unit_type);
      const TUnit_Type* td = World_Unit_Type(defender.unit_type);
      if (ta && td) {
        std::string name = ta->m_Get_Combat_Effect(UNIT_COMBAT_EFFECT_ATTACK, td->f_movement_type,
                                                   Combat_Is_Attacker(attacker.owner));
        a.effect_number = name.empty() ? 0 : Combat_Links().m_Find_Effect(name);
        float x = 0, y = 0;
        Combat_Get_Cell_Centre(a.attacker_column, a.attacker_row, attacker.width, attacker.height, x, y);
        a.effect_source = TVector{x, y, Combat_Effect_Height};
        Combat_Get_Cell_Centre(a.defender_column, a.defender_row, defender.width, defender.height, x, y);
        a.effect_target = TVector{x, y, Combat_Effect_Height};
      }
      r.step = 1;
      break;
    }
    case 1:
      // Without an effect to wait for, the damage follows at once rather
      // than when the time limit ends the record (which would drop it).
      r.step = 2;
      if (!Combat_Links().m_Start_Effect(a.effect_number, a.effect_source, a.effect_target, r.id)) r.step = 3;
      break;
    case 2: break;
    case 3: {
      TCombat_Cell d = Combat_Get_Cell(a.defender_column, a.defender_row);
      const TUnit_Type* td = World_Unit_Type(d.unit_type);
      if (td && a.damage > 0) {
        std::int32_t count = d.count, hit_points = d.hit_points;
        std::int32_t killed = m_Apply_Damage(a.damage, td->f_hit_points, count, hit_points);
        if (count > 0) {
          d.count = count;
          d.hit_points = hit_points;
          Combat_Set_Cell(a.defender_column, a.defender_row, d);
        } else {
          Combat_Fill_Cells(a.defender_column, a.defender_row, d);
        }
        if (killed > 0) Combat_Add_Starting_Unit_Record(d.owner, d.unit_type, killed);
        if (!a.auto_resolve)
          Combat_Links().m_Add_Floating_Text(
              Int_To_Text(a.damage) + " dmg, " + Int_To_Text(killed) + " killed",
              TVector{a.effect_target.x, a.effect_target.y + 50, Combat_Effect_Height}, TVector4{1, 1, 0, 1},
              TVector{0, 0.02f, 0}, 8000);
      }
      r.done = true;
      break;
    }
    default: r.done = true; break;
  }
  Log("TMaster_Action_Timer.m_Execute_Combat_Attack - End");
}

void TCombat_Actions::m_Execute_Combat_Next_Piece(TMaster_Action_Timer& timer, std::int32_t index, float) {
  TAction_Record& r = timer.m_Get_Record(index);
  Log("TMaster_Action_Timer.m_Execute_Combat_Next_Piece - Start - Step: " + Int_To_Text(r.step));
  switch (r.step) {
    case 0:
      if (timer.m_Master_Time() > r.start_time + Combat_Next_Piece_Wait || r.next_piece.auto_resolve) r.step = 1;
      Log("  Master Timer = " + std::to_string(timer.m_Master_Time()));
      Log("  Time Started = " + std::to_string(r.start_time));
      break;
    default:
      Log("  Combat_Next_Piece");
      r.done = true;
      Combat_Links().m_Next_Piece();
      break;
  }
  Log("TMaster_Action_Timer.m_Execute_Combat_Next_Piece - End");
}
