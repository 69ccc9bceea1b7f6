#include "MasterActionTimer_MapActions.h"

#include <cmath>
#include <limits>

#include "Debug_Log.h"
#include "Empire.h"
#include "Errors.h"
#include "EventLog.h"
#include "GameSettings.h"
#include "Global.h"
#include "Io.h"
#include "MachineOptions.h"
#include "MapClass.h"
#include "MasterActionTimer_EndTurn.h"
#include "Turn_Links.h"
#include "World_Links.h"
#include "World_Unit_Facts.h"

TMap_Actions Map_Actions;
TMap_Timer_World Map_Timer_World;

namespace {
// Map units a square travels per second at speed factor 1.
constexpr float Map_Move_Speed = 300.0f;
// A moving square has arrived once it is this close to its target.
constexpr float Map_Move_Arrival = 1.0f;
constexpr float Effect_Height = -5.0f;
constexpr float Two_Pi = 6.28318530717958647692f;
constexpr float Pi = 3.14159265358979323846f;

std::int32_t Date() { return Game_Settings.f_game_date; }

TMap_Region* Region(std::int32_t id) { return G_Map ? G_Map->m_Get_Region(id) : nullptr; }

bool In_View(const TMap_Region* r) { return r && r->m_Get_Visible_2(); }

TVector Region_Centre(const TMap_Region& r) {
  const TRegion_Label_Values& l = r.m_Get_Label_Values();
  return TVector{float(l.centre_x), float(l.centre_y), Effect_Height};
}

void Refresh_Known_Regions_Of(std::uint8_t owner) {
  if (TEmpire* e = Empire_Get(owner)) e->m_Update_Known_Regions();
}

// Deletes a unit; its owner's known regions are recomputed.
void Delete_Unit(std::int32_t id) {
  TMap_Unit_Record u;
  G_Map->m_Get_Unit(id, u);
  if (u.id == 0) return;
  G_Map->m_Delete_Unit(id);
  Refresh_Known_Regions_Of(u.owner);
}

// The moves of other players (the computer's, a network player's) are
// watched, not made: they travel this many times faster than the local
// player's own moves, and their picture faces its way, and up again at the
// end, at once instead of turning: a leg takes the frames of its travel
// only, whatever the frame rate.
constexpr float Watched_Move_Pace = 6.0f;

float Pace_Of(std::uint8_t owner) {
  const std::uint8_t local = Game_Settings.f_local_empire;
  return local != 0 && owner != local ? Watched_Move_Pace : 1.0f;
}

// Velocity towards the target and the distance left; a start on the target
// (distance under 1) has no velocity and arrives at once.
void Aim(float x, float y, float tx, float ty, float& vx, float& vy, float& remaining, float pace = 1.0f) {
  const float d = Distance_Single(x, y, tx, ty);
  const float speed = Map_Move_Speed * Unit_Movement_Speed_Factor() * pace;
  vx = d < Map_Move_Arrival ? 0.0f : (tx - x) / d * speed;
  vy = d < Map_Move_Arrival ? 0.0f : (ty - y) / d * speed;
  remaining = d;
}

// One frame of travel; true once the target is reached or passed.
bool Travel(TAction_Rect& rect, float tx, float ty, float vx, float vy, float& remaining, float dt) {
  rect.left += vx * dt;
  rect.top += vy * dt;
  const float d = Distance_Single(rect.left, rect.top, tx, ty);
  const bool arrived = d < Map_Move_Arrival || d > remaining;
  remaining = d;
  return arrived;
}

std::int32_t Ranged_Percent(const TUnit_Type& type, std::int64_t movement_type) {
  if (movement_type < 1 || movement_type > UNIT_MOVEMENT_TYPE_COUNT) return 0;
  return type.m_Get_Ranged_Damage_Modifier(movement_type);
}

std::int32_t To_32(std::int64_t v) {
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
    throw EIntOverflow();
  return std::int32_t(v);
}
}  // namespace

float Unit_Movement_Speed_Factor() {
  switch (Machine_Options ? Machine_Options->f_unit_movement_speed : 2) {
    case 1: return 0.5f;
    case 3: return 2.0f;
    case 4: return 3.0f;
    default: return 1.0f;
  }
}

void TMap_Actions::m_Install(TMaster_Action_Timer& timer) {
  for (std::uint8_t kind : {ACTION_MOVE_UNIT, ACTION_BOMBARD_UNIT, ACTION_LOAD_UNIT, ACTION_UNLOAD_UNIT,
                            ACTION_DECOMMISSION_UNITS})
    timer.m_Set_Executor(kind, this);
}

void TMap_Actions::m_Execute(TMaster_Action_Timer& timer, std::int32_t index, float dt) {
  switch (timer.m_Get_Record(index).kind) {
    case ACTION_MOVE_UNIT: m_Execute_Move_Unit(timer, index, dt); break;
    case ACTION_BOMBARD_UNIT: m_Execute_Bombard_Unit(timer, index, dt); break;
    case ACTION_LOAD_UNIT: m_Execute_Load_Unit(timer, index, dt); break;
    case ACTION_UNLOAD_UNIT: m_Execute_Unload_Unit(timer, index, dt); break;
    case ACTION_DECOMMISSION_UNITS: m_Execute_Decommission_Units(timer, index, dt); break;
    default: break;
  }
}

void TMap_Actions::m_Time_Limit_Reached(TMaster_Action_Timer& timer, std::int32_t index) {
  TAction_Record& r = timer.m_Get_Record(index);
  if (r.kind == ACTION_BOMBARD_UNIT) m_Apply_Bombard(timer, r);
}

void TMap_Actions::m_Turn(float& heading, float target, float dt, bool& turning) const {
  const float f = Unit_Movement_Speed_Factor();
  const float tolerance = f * 0.02f;
  const float diff = Angle_Difference(heading, target);
  turning = std::fabs(diff) > tolerance;
  if (!turning) {
    heading = target;
    return;
  }
  const float turn = dt * Pi * f;
  if (turn >= std::fabs(diff)) {
    heading = target;
  } else {
    heading += diff > 0 ? turn : -turn;
  }
  if (heading < 0) heading += Two_Pi;
  if (heading > Two_Pi) heading -= Two_Pi;
}

// ---------------------------------------------------------------------------
// Move Unit

void TMap_Actions::m_Execute_Move_Unit(TMaster_Action_Timer& timer, std::int32_t index, float dt) {
  TAction_Record& r = timer.m_Get_Record(index);
  TAction_Move_Unit& m = r.move;
  switch (r.step) {
    case 0: {
      TMap_Region* from = Region(m.source_region);
      TMap_Region* to = Region(m.destination_region);
      if (from && to) {
        TColor colour = 0;
        std::int32_t h = 0, w = 0, y = 0, x = 0;
        const bool square = from->m_Get_Stack_Draw_Rect(m.unit_type, m.owner, colour, h, w, y, x);
        if (square) {
          m.rect = TAction_Rect{float(x), float(y), float(w), float(h)};
          m.colour = colour;
          if (m.seen && (!In_View(from) || !In_View(to))) Turn_Links().m_Centre_Camera(m.rect.left, m.rect.top);
        }
        // The units leave the source region's list whether or not their
        // stack had a square, so that the list always matches the units'
        // regions.
        TLongintList* units = timer.m_Get_Unit_List(m.unit_list);
        TLongintList* sounds = timer.m_Get_Unit_List(m.sound_list);
        std::uint16_t previous_type = 0;
        for (std::int32_t k = 1; units && k <= units->m_Count(); ++k) {
          const std::int32_t id = units->m_Get(k);
          from->m_Remove_Unit(id);
          if (sounds && k <= sounds->m_Count()) sounds->m_Put(k, 0);
          TMap_Unit_Record u;
          G_Map->m_Get_Unit(id, u);
          if (!square || u.id == 0) continue;
          if (k == 1 || u.unit_type != previous_type) {
            const TUnit_Type* t = World_Unit_Type(u.unit_type);
            if (t && m.seen && sounds && k <= sounds->m_Count())
              sounds->m_Put(k, Turn_Links().m_Start_Sound_3D(t->f_movement_sound_effect,
                                                             TVector{m.rect.left, m.rect.top, 0}));
          }
          previous_type = u.unit_type;
        }
        std::int32_t th = 0, tw = 0, ty = 0, tx = 0;
        if (to->m_Get_Stack_Position(m.unit_type, m.owner, th, tw, ty, tx)) {
          m.target_left = float(tx);
          m.target_top = float(ty);
        } else {
          m.target_left = m.rect.left;
          m.target_top = m.rect.top;
        }
        Aim(m.rect.left, m.rect.top, m.target_left, m.target_top, m.velocity_x, m.velocity_y, m.remaining_distance,
            Pace_Of(m.owner));
        m.target_heading = 0;
        const TUnit_Type* t = World_Unit_Type(m.unit_type);
        if (t && t->f_image_type == UNIT_IMAGE_TOP_DOWN && m.remaining_distance >= Map_Move_Arrival)
          m.target_heading = Vector_Angle(m.rect.left, m.rect.top, m.target_left, m.target_top);
      }
      r.step = m.seen ? 1 : 10;
      break;
    }
    case 1: {
      r.step = 5;
      bool turning = false;
      if (m.seen && Pace_Of(m.owner) <= 1.0f)
        m_Turn(m.heading, m.target_heading, dt, turning);
      else
        m.heading = m.target_heading;
      if (turning) r.step = 1;
      break;
    }
    case 5: {
      if (Travel(m.rect, m.target_left, m.target_top, m.velocity_x, m.velocity_y, m.remaining_distance, dt))
        r.step = 9;
      const TLongintList* sounds = timer.m_Get_Unit_List(m.sound_list);
      for (std::int32_t k = 1; sounds && k <= sounds->m_Count(); ++k)
        if (sounds->m_Get(k) != 0) Turn_Links().m_Move_Sound_3D(sounds->m_Get(k), TVector{m.rect.left, m.rect.top, 0});
      break;
    }
    case 9: {
      r.step = 10;
      if (m.seen && !m.more_legs_follow) {
        bool turning = false;
        if (Pace_Of(m.owner) > 1.0f)
          m.heading = 0;
        else
          m_Turn(m.heading, 0, dt, turning);
        if (turning) r.step = 9;
      }
      break;
    }
    default: {
      TMap_Region* to = Region(m.destination_region);
      if (to) {
        const TLongintList* units = timer.m_Get_Unit_List(m.unit_list);
        for (std::int32_t k = 1; units && k <= units->m_Count(); ++k) {
          const std::int32_t id = units->m_Get(k);
          TMap_Unit_Record u;
          G_Map->m_Get_Unit(id, u);
          if (u.id == 0) continue;
          G_Map->m_Set_Unit_Region(id, m.destination_region);
          G_Map->m_Dec_Unit_Moves(id);
          // Listed even when its stack finds no square: battles and
          // captures work from the region's list.
          to->m_Admit_Unit(id);
        }
        const TUnit_Type* t = World_Unit_Type(m.unit_type);
        if (to->m_Has_Opposing_Combat_Units()) {
          if (!G_Map->m_Is_Combat_Region(m.destination_region)) G_Map->m_Add_Combat_Region(m.destination_region);
        } else if (t && t->f_movement_type == UNIT_MOVEMENT_LAND && to->m_Get_Type() == REGION_LAND) {
          const std::uint8_t former = to->m_Get_Owner();
          if (former != m.owner) {
            if (former != 0 && G_Event_Log)
              G_Event_Log->m_Add_Region_Captured(Date(), former, m.owner, m.destination_region);
            to->m_Set_Owner(m.owner);
            if (Debug_Sections[DEBUG_MASTER_ACTION_TIMER])
              Debug_Log_Write("Region " + Int_To_Text(m.destination_region) + " set to owner " + Int_To_Text(m.owner));
          }
        }
        if (Game_Kind_Is_Network()) {
          // The mover's view. A move may end after the turn has passed on
          // (a joined machine replays it from its queue, the host's computer
          // player's last moves may still run as its turn ends), and when
          // it ends differs between machines: the turn's player at that
          // moment would make their games differ.
          Refresh_Known_Regions_Of(m.owner);
          World_Main_Screen_Link().Map_Ownership_Changed();
        } else {
          End_Turn_Actions.m_Refresh_Known_Regions();
        }
        const TLongintList* sounds = timer.m_Get_Unit_List(m.sound_list);
        for (std::int32_t k = 1; sounds && k <= sounds->m_Count(); ++k)
          if (sounds->m_Get(k) != 0) Turn_Links().m_Stop_Sound(sounds->m_Get(k));
        if (G_Event_Log)
          G_Event_Log->m_Add_Movement(Date(), m.owner, m.unit_count, m.unit_type, m.source_region,
                                      m.destination_region);
      }
      TAction_Record& again = timer.m_Get_Record(index);
      timer.m_Free_Unit_List(again.move.unit_list);
      timer.m_Free_Unit_List(again.move.sound_list);
      again.move.unit_list = 0;
      again.move.sound_list = 0;
      again.done = true;
      break;
    }
  }
}

// ---------------------------------------------------------------------------
// Load Unit and Unload Unit

void TMap_Actions::m_Execute_Load_Unit(TMaster_Action_Timer& timer, std::int32_t index, float dt) {
  TAction_Record& r = timer.m_Get_Record(index);
  TAction_Load_Unit& l = r.load;
  switch (r.step) {
    case 0: {
      const TMap_Region* from = Region(l.source_region);
      const TMap_Region* to = Region(l.destination_region);
      if (from && to) {
        if (l.seen && (!In_View(from) || !In_View(to))) Turn_Links().m_Centre_Camera(l.rect.left, l.rect.top);
        Aim(l.rect.left, l.rect.top, l.target_left, l.target_top, l.velocity_x, l.velocity_y, l.remaining_distance);
      }
      r.step = l.seen ? 5 : 10;
      break;
    }
    case 5:
      if (Travel(l.rect, l.target_left, l.target_top, l.velocity_x, l.velocity_y, l.remaining_distance, dt))
        r.step = 10;
      break;
    default: r.done = true; break;
  }
}

void TMap_Actions::m_Execute_Unload_Unit(TMaster_Action_Timer& timer, std::int32_t index, float dt) {
  m_Execute_Load_Unit(timer, index, dt);
}

// ---------------------------------------------------------------------------
// Decommission Units

void TMap_Actions::m_Execute_Decommission_Units(TMaster_Action_Timer& timer, std::int32_t index, float) {
  TAction_Record& r = timer.m_Get_Record(index);
  TAction_Decommission_Units& d = r.decommission;
  switch (r.step) {
    case 0:
      if (d.seen) {
        if (const TMap_Region* region = Region(d.region)) {
          const TVector centre = Region_Centre(*region);
          if (!In_View(region)) Turn_Links().m_Centre_Camera(centre.x, centre.y);
          d.sound_handle = Turn_Links().m_Start_Sound_3D("Decommissioned", centre);
        }
      }
      // The marker stays a second where the player sees it; out of sight
      // there is nothing to wait for.
      r.step = d.seen ? 1 : 2;
      break;
    case 1:
      if (timer.m_Master_Time() > r.start_time + 1.0f) r.step = 2;
      break;
    default: {
      const TLongintList* units = timer.m_Get_Unit_List(d.unit_list);
      for (std::int32_t k = 1; G_Map && units && k <= units->m_Count(); ++k) {
        TMap_Unit_Record u;
        G_Map->m_Get_Unit(units->m_Get(k), u);
        if (u.id == 0) continue;
        if (G_Event_Log) G_Event_Log->m_Add_Unit_Decommissioned(Date(), u.owner, d.region, u.unit_type);
        Delete_Unit(u.id);
      }
      timer.m_Free_Unit_List(d.unit_list);
      d.unit_list = 0;
      r.done = true;
      break;
    }
  }
}

// ---------------------------------------------------------------------------
// Bombard Unit

void TMap_Actions::m_Execute_Bombard_Unit(TMaster_Action_Timer& timer, std::int32_t index, float) {
  TAction_Record& r = timer.m_Get_Record(index);
  TAction_Bombard_Unit& b = r.bombard;
  switch (r.step) {
    case 0: {
      const TMap_Region* from = Region(b.source_region);
      const TMap_Region* to = Region(b.target_region);
      if (b.seen && from && to && (!In_View(from) || !In_View(to)))
        Turn_Links().m_Centre_Camera(b.effect_target.x, b.effect_target.y);
      const TLongintList* units = timer.m_Get_Unit_List(b.unit_list);
      for (std::int32_t k = 1; G_Map && units && k <= units->m_Count(); ++k) {
        TMap_Unit_Record u;
        G_Map->m_Get_Unit(units->m_Get(k), u);
        if (u.id == 0) continue;
        if (u.moves > 0) G_Map->m_Dec_Unit_Moves(u.id);
        const TUnit_Type* t = World_Unit_Type(u.unit_type);
        if (t && t->m_Has_Special_Ability(UNIT_ABILITY_UNIT_DESTROYED_ON_BOMBARD)) Delete_Unit(u.id);
      }
      // Without an effect to wait for, the damage follows at once.
      if (b.seen && Turn_Links().m_Start_Effect(b.effect_number, b.effect_source, b.effect_target, r.id))
        r.step = 1;
      else
        r.step = 2;
      break;
    }
    case 1: break;
    default: m_Apply_Bombard(timer, r); break;
  }
}

void TMap_Actions::m_Apply_Bombard(TMaster_Action_Timer& timer, TAction_Record& r) {
  TAction_Bombard_Unit& b = r.bombard;
  TMap_Region* target = Region(b.target_region);
  const TEmpire* local = Empire_Get(Game_Settings.f_local_empire);
  const bool shown = local && local->m_Is_Region_Known(b.target_region);
  TVector text = target ? Region_Centre(*target) : TVector{0, 0, Effect_Height};

  // Results by owner and unit type of the units hit.
  struct TTally {
    std::uint16_t unit_type = 0;
    std::uint8_t owner = 0;
    std::string name;
    std::int32_t killed = 0, damaged = 0;
  };
  std::vector<TTally> tally;
  auto count = [&](const TMap_Unit_Record& u, const TUnit_Type& t, bool killed) {
    TTally* entry = nullptr;
    for (TTally& e : tally)
      if (e.unit_type == u.unit_type && e.owner == u.owner) entry = &e;
    if (!entry) {
      tally.push_back(TTally{u.unit_type, u.owner, t.f_display_name, 0, 0});
      entry = &tally.back();
    }
    (killed ? entry->killed : entry->damaged) += 1;
  };

  TBombard_Damage_List_Storage& storage = timer.m_Bombard_Damage();
  const std::int32_t n = b.damage_record_count;
  for (std::int32_t j = 1; G_Map && j <= n; ++j) {
    const TBombard_Damage_Record d = storage.m_Get_Record(b.damage_list, j);
    TMap_Unit_Record u;
    G_Map->m_Get_Unit(d.target_unit_id, u);
    const TUnit_Type* t = u.id != 0 ? World_Unit_Type(u.unit_type) : nullptr;
    if (d.damage == 0 || !t) continue;
    const std::int32_t damage = Checked_Add(u.damage, d.damage);
    if (damage < t->f_hit_points) {
      G_Map->m_Set_Unit_Damage(u.id, damage);
      bool named_later = false;
      for (std::int32_t k = j + 1; k <= n && !named_later; ++k)
        named_later = storage.m_Get_Record_Value(b.damage_list, k) == u.id;
      if (!named_later) count(u, *t, false);
    } else {
      Delete_Unit(u.id);
      count(u, *t, true);
    }
  }
  const TVector4 yellow{1, 1, 0, 1};
  for (const TTally& e : tally) {
    for (bool killed : {true, false}) {
      const std::int32_t number = killed ? e.killed : e.damaged;
      if (number <= 0) continue;
      if (G_Event_Log)
        G_Event_Log->m_Add_Bombardment(Date(), b.owner, number, killed ? BOMBARD_KILLED : BOMBARD_DAMAGED, e.owner,
                                       e.name, b.target_region);
      if (shown) {
        Turn_Links().m_Add_Floating_Text(Int_To_Text(number) + " x " + e.name + (killed ? " killed" : " damaged"),
                                         text, yellow, TVector{0, 0.01f, 0}, 20000);
        text.y += 12;
      }
    }
  }
  if (b.region_damage > 0 && target && target->m_Get_Type() == REGION_LAND) {
    const std::int32_t cut = std::min(b.region_damage, target->m_Get_Value());
    target->m_Set_Value(target->m_Get_Value() - cut);
    if (G_Event_Log)
      G_Event_Log->m_Add_Bombardment(Date(), b.owner, cut, BOMBARD_REGION_DAMAGE, target->m_Get_Owner(), "",
                                     b.target_region);
    if (shown)
      Turn_Links().m_Add_Floating_Text(Int_To_Text(cut) + " region damage", text, TVector4{1, 0, 0, 1},
                                       TVector{0, 0.01f, 0}, 20000);
  }
  storage.m_Release(b.damage_list);
  timer.m_Free_Unit_List(b.unit_list);
  b.damage_list = 0;
  b.unit_list = 0;
  r.done = true;
}

TBombard_Damage_Result TMap_Actions::m_Calc_Bombard_Damage(const TLongintList& unit_ids, std::int32_t unit_count,
                                                           std::int32_t target_region) {
  TBombard_Damage_Result result;
  if (!G_Map) return result;
  struct TAttacker {
    std::int32_t id = 0;
    const TUnit_Type* type = nullptr;
    std::int32_t family = 0;  // the only family it may hit; 0 any
  };
  std::vector<TAttacker> attackers;
  for (std::int32_t k = 1; k <= unit_count; ++k) {
    TMap_Unit_Record u;
    G_Map->m_Get_Unit(unit_ids.m_Get(k), u);
    const TUnit_Type* t = u.id != 0 ? World_Unit_Type(u.unit_type) : nullptr;
    if (!t) continue;
    TAttacker a{u.id, t, 0};
    if (t->m_Has_Special_Ability(UNIT_ABILITY_BOMBARD_ONLY_UNIT_FAMILY))
      a.family = t->m_Get_Special_Ability_Total(UNIT_ABILITY_BOMBARD_ONLY_UNIT_FAMILY);
    attackers.push_back(a);
    result.region_damage = Checked_Add(
        result.region_damage,
        Random_Range(t->f_ranged_fire_region_value_damage_min, t->f_ranged_fire_region_value_damage_max));
  }
  struct TTarget {
    TMap_Unit_Record unit;
    bool destroyed = false;
  };
  std::vector<TTarget> targets;
  if (const TMap_Region* region = G_Map->m_Get_Region(target_region))
    for (std::int32_t i = 1; i <= region->m_Get_Unit_Count(); ++i) {
      TTarget t;
      G_Map->m_Get_Unit(region->m_Get_Unit_Id(i), t.unit);
      if (t.unit.id != 0) targets.push_back(t);
    }
  const std::int32_t count = std::int32_t(targets.size());
  for (const TAttacker& a : attackers) {
    std::int32_t roll = Random_Range(a.type->f_ranged_fire_damage_min, a.type->f_ranged_fire_damage_max);
    if (count >= 2)
      for (std::int32_t s = 0; s < count; ++s) {
        const std::int32_t i = Random_Range(1, count), j = Random_Range(1, count);
        std::swap(targets[std::size_t(i - 1)], targets[std::size_t(j - 1)]);
      }
    for (TTarget& target : targets) {
      if (roll <= 0) break;
      if (target.destroyed) continue;
      const TUnit_Type* tt = World_Unit_Type(target.unit.unit_type);
      if (!tt) continue;
      std::int32_t pct = Ranged_Percent(*a.type, tt->f_movement_type);
      if (a.family != 0 && tt->f_unit_family_id != a.family) pct = 0;
      // Whole-number arithmetic throughout, so that every machine rolls the
      // same damage.
      std::int32_t damage = To_32(std::int64_t(roll) * pct / 100);
      if (damage <= 0) continue;
      if (std::int64_t(target.unit.damage) + damage >= tt->f_hit_points) {
        damage = std::max(0, tt->f_hit_points - target.unit.damage);
        target.destroyed = true;
      }
      result.records.push_back(TBombard_Damage_Record{damage, a.id, target.unit.id});
      if (pct > 0) roll = To_32(std::int64_t(roll) - std::int64_t(100) * damage / pct);
    }
  }
  return result;
}

// ---------------------------------------------------------------------------
// The timer's view of the world

bool TMap_Timer_World::m_Get_Unit(std::int32_t unit_id, TAction_Unit_Info& unit) const {
  if (!G_Map) return false;
  TMap_Unit_Record u;
  G_Map->m_Get_Unit(unit_id, u);
  if (u.id == 0) return false;
  unit = TAction_Unit_Info{u.region, u.unit_type, u.owner};
  return true;
}

bool TMap_Timer_World::m_Get_Stack_Square(std::int32_t region, std::uint16_t unit_type, std::uint8_t owner,
                                          TAction_Rect& square, TColor& colour) const {
  const TMap_Region* r = Region(region);
  std::int32_t h = 0, w = 0, y = 0, x = 0;
  if (!r || !r->m_Get_Stack_Draw_Rect(unit_type, owner, colour, h, w, y, x)) return false;
  square = TAction_Rect{float(x), float(y), float(w), float(h)};
  return true;
}

bool TMap_Timer_World::m_Get_Stack_Position(std::int32_t region, std::uint16_t unit_type, std::uint8_t owner,
                                            TAction_Rect& square) const {
  const TMap_Region* r = Region(region);
  std::int32_t h = 0, w = 0, y = 0, x = 0;
  if (!r || !r->m_Get_Stack_Position(unit_type, owner, h, w, y, x)) return false;
  square = TAction_Rect{float(x), float(y), float(w), float(h)};
  return true;
}

bool TMap_Timer_World::m_Get_Region_Centre(std::int32_t region, float& x, float& y) const {
  const TMap_Region* r = Region(region);
  if (!r) return false;
  const TVector c = Region_Centre(*r);
  x = c.x;
  y = c.y;
  return true;
}

bool TMap_Timer_World::m_Local_Empire_Knows_Region(std::int32_t region) const {
  const TEmpire* e = Empire_Get(Game_Settings.f_local_empire);
  return e && e->m_Is_Region_Known(region);
}

TColor TMap_Timer_World::m_Get_Empire_Colour(std::uint8_t owner) const {
  const TEmpire* e = Empire_Get(owner);
  return e ? e->m_Get_Color() : 0;
}

std::int32_t TMap_Timer_World::m_Get_Ranged_Fire_Effect(std::uint16_t unit_type) const {
  const TUnit_Type* t = World_Unit_Type(unit_type);
  return t && !t->f_ranged_fire_effect.empty() ? Turn_Links().m_Find_Effect(t->f_ranged_fire_effect) : 0;
}

void TMap_Timer_World::m_End_Turn_Resumed() {
  Game_Settings.f_autosave_pending = false;
  Game_Settings.f_turn_empire = 1;
}

bool TMap_Timer_World::m_Hand_Over_Runs_Ahead() const {
  // The machines of a network game follow the host step by step.
  return !Game_Kind_Is_Network();
}
