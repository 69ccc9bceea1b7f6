#include "MasterActionTimer.h"

#include <functional>
#include <limits>

#include "Debug_Log.h"
#include "Errors.h"
#include "GraphicsEngine_EmitterEvents.h"
#include "Io_Tagged.h"

TMaster_Action_Timer* Master_Action_Timer = nullptr;

namespace {
// The effects report their end to the timer in force (every program that
// has a timer links this module, whose start-up installs the listener).
void Report_Effect_End(std::int32_t action_id) {
  if (Master_Action_Timer) Master_Action_Timer->m_Effect_Finished(action_id);
}
[[maybe_unused]] const bool Effect_End_Listener_Installed = (Set_Effect_End_Listener(Report_Effect_End), true);

// Height at which effects and markers float over the map.
constexpr float Effect_Height = -5.0f;

TAction_Timer_World default_world;
TAction_Timer_Screen default_screen;

bool Timer_Debug() { return Debug_Sections[DEBUG_MASTER_ACTION_TIMER]; }

TVector Square_Centre(const TAction_Rect& square) {
  return TVector{square.left + square.width / 2, square.top + square.height / 2, Effect_Height};
}
}  // namespace

std::string Action_Kind_Name(std::uint8_t kind) {
  switch (kind) {
    case ACTION_MOVE_UNIT: return "Move Unit";
    case ACTION_BOMBARD_UNIT: return "Bombard Unit";
    case ACTION_LOAD_UNIT: return "Load Unit";
    case ACTION_UNLOAD_UNIT: return "Unload Unit";
    case ACTION_END_TURN: return "End Turn";
    case ACTION_COMBAT_MOVE: return "Combat Move";
    case ACTION_COMBAT_ATTACK: return "Combat Attack";
    case ACTION_COMBAT_NEXT_PIECE: return "Combat Next Piece";
    case ACTION_DECOMMISSION_UNITS: return "Decommission Units";
    default: return "";
  }
}

// ---------------------------------------------------------------------------
// Default services: nothing found, nothing drawn.

bool TAction_Timer_World::m_Get_Unit(std::int32_t, TAction_Unit_Info&) const { return false; }
bool TAction_Timer_World::m_Get_Stack_Square(std::int32_t, std::uint16_t, std::uint8_t, TAction_Rect&,
                                             TColor&) const {
  return false;
}
bool TAction_Timer_World::m_Get_Stack_Position(std::int32_t, std::uint16_t, std::uint8_t, TAction_Rect&) const {
  return false;
}
bool TAction_Timer_World::m_Get_Region_Centre(std::int32_t, float&, float&) const { return false; }
bool TAction_Timer_World::m_Local_Empire_Knows_Region(std::int32_t) const { return false; }
TColor TAction_Timer_World::m_Get_Empire_Colour(std::uint8_t) const { return 0; }
std::int32_t TAction_Timer_World::m_Get_Ranged_Fire_Effect(std::uint16_t) const { return 0; }
void TAction_Timer_World::m_End_Turn_Resumed() {}
bool TAction_Timer_World::m_Hand_Over_Runs_Ahead() const { return false; }

void TAction_Timer_Screen::m_Draw_Unit_Icon(std::uint16_t, std::int32_t, float, TColor, const TAction_Rect&) {}
void TAction_Timer_Screen::m_Draw_Marker(const TAction_Rect&) {}
void TAction_Timer_Screen::m_Draw_Combat_Piece(const TAction_Record&) {}
void TAction_Timer_Screen::m_Show_Turn_Status() {}

// ---------------------------------------------------------------------------
// Lifetime and table

TMaster_Action_Timer::TMaster_Action_Timer() : f_world(&default_world), f_screen(&default_screen) { m_Clear(); }

TMaster_Action_Timer::~TMaster_Action_Timer() { m_Clear(); }

void TMaster_Action_Timer::m_Clear() {
  ++f_clear_count;
  f_master_time = 0;
  f_last_id = 0;
  std::vector<TAction_Record>().swap(f_records);
  f_autosave_state = 0;
  f_save_directory.clear();
  std::vector<TUnit_List_Slot>().swap(f_unit_lists);
  f_bombard_damage.m_Clear();
}

std::int32_t TMaster_Action_Timer::m_New_Action() {
  std::int32_t id = Checked_Add<std::int32_t>(f_last_id, 1);
  if (f_records.size() >= std::size_t(std::numeric_limits<std::int32_t>::max())) throw EIntOverflow();
  // The table grows twenty records at a time.
  if (f_records.size() == f_records.capacity()) f_records.reserve(f_records.size() + 1 + 20);
  // A new record starts from zero: nothing of an earlier record carries over.
  TAction_Record record{};
  record.id = id;
  record.active = true;
  record.start_time = f_master_time;
  record.time_limit = 30;
  f_records.push_back(record);
  f_last_id = id;
  return id;
}

bool TMaster_Action_Timer::m_Is_Action_Done(std::int32_t id) const {
  for (const TAction_Record& r : f_records)
    if (r.id == id && !r.done) return false;
  return true;
}

bool TMaster_Action_Timer::m_Action_Exists(std::int32_t id) const {
  for (const TAction_Record& r : f_records)
    if (r.id == id) return true;
  return false;
}

bool TMaster_Action_Timer::m_Has_Action_Type(std::uint8_t kind) const {
  for (const TAction_Record& r : f_records)
    if (r.kind == kind) return true;
  return false;
}

TAction_Record& TMaster_Action_Timer::m_Get_Record(std::int64_t index) {
  if (index < 1 || index > std::int64_t(f_records.size())) throw ERangeError();
  return f_records[index - 1];
}

const TAction_Record& TMaster_Action_Timer::m_Get_Record(std::int64_t index) const {
  if (index < 1 || index > std::int64_t(f_records.size())) throw ERangeError();
  return f_records[index - 1];
}

std::int32_t TMaster_Action_Timer::m_Find_Action(std::int32_t id) const {
  for (std::size_t i = f_records.size(); i > 0; --i)
    if (f_records[i - 1].id == id) return static_cast<std::int32_t>(i);
  return 0;
}

// ---------------------------------------------------------------------------
// Adders

std::uint16_t TMaster_Action_Timer::m_Fill_Unit_List(const TLongintList& unit_ids, std::int32_t unit_count) {
  std::uint16_t slot = m_New_Unit_List();
  try {
    TLongintList& list = *m_Get_Unit_List(slot);
    for (std::int32_t k = 1; k <= unit_count; ++k) list.m_Add(unit_ids.m_Get(k));
  } catch (...) {
    m_Free_Unit_List(slot);
    throw;
  }
  return slot;
}

namespace {
// The adders take positions 1..count of the given list.
void Check_Unit_Count(const TLongintList& unit_ids, std::int32_t unit_count) {
  if (unit_count < 0 || unit_count > unit_ids.m_Count()) throw EListError("Invalid Index");
}
}  // namespace

std::int32_t TMaster_Action_Timer::m_New_Action_Of(std::uint8_t kind,
                                                   const std::function<void(TAction_Record&)>& fill) {
  std::int32_t id = m_New_Action();
  TAction_Record& r = f_records.back();
  r.kind = kind;
  try {
    fill(r);
  } catch (...) {
    // A record that could not get its lists is not left half made.
    m_Release_Record_Lists(f_records.back());
    f_records.pop_back();
    f_last_id = id - 1;
    throw;
  }
  return id;
}

std::int32_t TMaster_Action_Timer::m_Add_Action_Move_Unit(std::int32_t source_region, std::uint16_t unit_type,
                                                          std::uint8_t owner, std::int32_t unit_count,
                                                          const TLongintList& unit_ids,
                                                          std::int32_t destination_region, std::int32_t awaited_id,
                                                          bool more_legs_follow, bool seen) {
  Check_Unit_Count(unit_ids, unit_count);
  return m_New_Action_Of(ACTION_MOVE_UNIT, [&](TAction_Record& r) {
    r.active = awaited_id == 0;
    r.awaited_id = awaited_id;
    r.time_limit = 0;
    TAction_Move_Unit& m = r.move;
    m.source_region = source_region;
    m.unit_type = unit_type;
    m.owner = owner;
    m.seen = seen;
    m.unit_count = unit_count;
    m.destination_region = destination_region;
    m.more_legs_follow = more_legs_follow;
    m.chained = awaited_id != 0;
    m.unit_list = m_Fill_Unit_List(unit_ids, unit_count);
    m.sound_list = m_New_Unit_List();
    TLongintList& sounds = *m_Get_Unit_List(m.sound_list);
    for (std::int32_t k = 1; k <= unit_count; ++k) sounds.m_Add(0);
  });
}

std::int32_t TMaster_Action_Timer::m_Add_Action_Bombard_Unit(
    std::int32_t source_region, std::uint16_t unit_type, std::uint8_t owner, std::int32_t unit_count,
    const TLongintList& unit_ids, std::int32_t target_region, std::int32_t awaited_id, bool seen,
    std::int32_t region_damage, const std::vector<TBombard_Damage_Record>& damage_records) {
  Check_Unit_Count(unit_ids, unit_count);
  if (damage_records.size() > std::numeric_limits<std::uint16_t>::max()) throw ERangeError();
  TVector source, target;
  TAction_Rect square;
  TColor colour = 0;
  if (f_world->m_Get_Stack_Square(source_region, unit_type, owner, square, colour)) source = Square_Centre(square);
  float x = 0, y = 0;
  if (f_world->m_Get_Region_Centre(target_region, x, y)) target = TVector{x, y, Effect_Height};
  std::int32_t effect = f_world->m_Get_Ranged_Fire_Effect(unit_type);
  return m_New_Action_Of(ACTION_BOMBARD_UNIT, [&](TAction_Record& r) {
    r.active = awaited_id == 0;
    r.awaited_id = awaited_id;
    r.time_limit = 120;
    TAction_Bombard_Unit& b = r.bombard;
    b.source_region = source_region;
    b.unit_type = unit_type;
    b.owner = owner;
    b.seen = seen;
    b.unit_count = unit_count;
    b.target_region = target_region;
    b.effect_source = source;
    b.effect_target = target;
    b.effect_number = effect;
    b.region_damage = region_damage;
    b.damage_record_count = static_cast<std::int32_t>(damage_records.size());
    b.unit_list = m_Fill_Unit_List(unit_ids, unit_count);
    b.damage_list = f_bombard_damage.m_Allocate();
    for (const TBombard_Damage_Record& d : damage_records) f_bombard_damage.m_Add_Record(b.damage_list, d);
  });
}

std::int32_t TMaster_Action_Timer::m_Add_Action_Load_Unit(std::int32_t transport_unit_id,
                                                          std::int32_t loading_unit_id) {
  TAction_Load_Unit l;
  TAction_Unit_Info transport, unit;
  bool have_transport = f_world->m_Get_Unit(transport_unit_id, transport);
  if (f_world->m_Get_Unit(loading_unit_id, unit)) {
    l.source_region = unit.region;
    l.unit_type = unit.unit_type;
    f_world->m_Get_Stack_Square(unit.region, unit.unit_type, unit.owner, l.rect, l.colour);
  }
  if (have_transport) {
    l.destination_region = transport.region;
    TAction_Rect square;
    TColor colour = 0;
    if (f_world->m_Get_Stack_Square(transport.region, transport.unit_type, transport.owner, square, colour)) {
      l.target_left = square.left + square.width / 2 - l.rect.width / 2;
      l.target_top = square.top + square.height / 2 - l.rect.height / 2;
    }
  }
  l.seen = f_world->m_Local_Empire_Knows_Region(l.source_region) ||
           f_world->m_Local_Empire_Knows_Region(l.destination_region);
  std::int32_t id = m_New_Action();
  TAction_Record& r = f_records.back();
  r.kind = ACTION_LOAD_UNIT;
  r.time_limit = 120;
  r.load = l;
  return id;
}

std::int32_t TMaster_Action_Timer::m_Add_Action_Unload_Unit(std::int32_t transport_unit_id,
                                                            std::int32_t cargo_unit_id,
                                                            std::int32_t target_region) {
  TAction_Load_Unit l;
  l.destination_region = target_region;
  TAction_Unit_Info transport, cargo;
  if (f_world->m_Get_Unit(cargo_unit_id, cargo)) {
    l.unit_type = cargo.unit_type;
    l.colour = f_world->m_Get_Empire_Colour(cargo.owner);
    TAction_Rect target;
    if (f_world->m_Get_Stack_Position(target_region, cargo.unit_type, cargo.owner, target)) {
      l.target_left = target.left;
      l.target_top = target.top;
      l.rect.width = target.width;
      l.rect.height = target.height;
    }
  }
  if (f_world->m_Get_Unit(transport_unit_id, transport)) {
    l.source_region = transport.region;
    TAction_Rect square;
    TColor colour = 0;
    if (f_world->m_Get_Stack_Square(transport.region, transport.unit_type, transport.owner, square, colour)) {
      l.rect.left = square.left + square.width / 2 - l.rect.width / 2;
      l.rect.top = square.top + square.height / 2 - l.rect.height / 2;
    }
  }
  l.seen = f_world->m_Local_Empire_Knows_Region(l.source_region) ||
           f_world->m_Local_Empire_Knows_Region(l.destination_region);
  std::int32_t id = m_New_Action();
  TAction_Record& r = f_records.back();
  r.kind = ACTION_UNLOAD_UNIT;
  r.time_limit = 120;
  r.load = l;
  return id;
}

std::int32_t TMaster_Action_Timer::m_Add_Action_End_Turn() {
  std::int32_t id = m_New_Action();
  TAction_Record& r = f_records.back();
  r.kind = ACTION_END_TURN;
  r.time_limit = 0;
  r.end_turn.crash_unit_id = 0;
  return id;
}

std::int32_t TMaster_Action_Timer::m_Add_Action_Decommission_Units(std::int32_t region, std::uint8_t owner,
                                                                   std::int32_t unit_count,
                                                                   const TLongintList& unit_ids, bool seen) {
  Check_Unit_Count(unit_ids, unit_count);
  TVector marker;
  float x = 0, y = 0;
  if (f_world->m_Get_Region_Centre(region, x, y)) marker = TVector{x, y, Effect_Height};
  return m_New_Action_Of(ACTION_DECOMMISSION_UNITS, [&](TAction_Record& r) {
    r.time_limit = 120;
    TAction_Decommission_Units& d = r.decommission;
    d.region = region;
    d.owner = owner;
    d.seen = seen;
    d.unit_count = unit_count;
    d.marker_point = marker;
    d.unit_list = m_Fill_Unit_List(unit_ids, unit_count);
  });
}

std::int32_t TMaster_Action_Timer::m_Add_Action_Combat_Move(std::int32_t from_column, std::int32_t from_row,
                                                            std::int32_t to_column, std::int32_t to_row,
                                                            bool auto_resolve, bool first_step,
                                                            std::int32_t awaited_id) {
  std::int32_t id = m_New_Action();
  TAction_Record& r = f_records.back();
  r.kind = ACTION_COMBAT_MOVE;
  r.active = awaited_id == 0;
  r.awaited_id = awaited_id;
  r.combat_move.from_column = from_column;
  r.combat_move.from_row = from_row;
  r.combat_move.to_column = to_column;
  r.combat_move.to_row = to_row;
  r.combat_move.auto_resolve = auto_resolve;
  r.combat_move.first_step = first_step;
  return id;
}

std::int32_t TMaster_Action_Timer::m_Add_Action_Combat_Attack(std::int32_t attacker_column,
                                                              std::int32_t attacker_row,
                                                              std::int32_t defender_column,
                                                              std::int32_t defender_row, std::int32_t damage,
                                                              bool auto_resolve, std::int32_t awaited_id) {
  std::int32_t id = m_New_Action();
  TAction_Record& r = f_records.back();
  r.kind = ACTION_COMBAT_ATTACK;
  r.active = awaited_id == 0;
  r.awaited_id = awaited_id;
  r.time_limit = 120;
  r.combat_attack.attacker_column = attacker_column;
  r.combat_attack.attacker_row = attacker_row;
  r.combat_attack.defender_column = defender_column;
  r.combat_attack.defender_row = defender_row;
  r.combat_attack.damage = damage;
  r.combat_attack.auto_resolve = auto_resolve;
  return id;
}

std::int32_t TMaster_Action_Timer::m_Add_Action_Combat_Next_Piece(std::int32_t awaited_id, bool auto_resolve) {
  std::int32_t id = m_New_Action();
  TAction_Record& r = f_records.back();
  r.kind = ACTION_COMBAT_NEXT_PIECE;
  r.active = awaited_id == 0;
  r.awaited_id = awaited_id;
  r.time_limit = 0;
  r.next_piece.auto_resolve = auto_resolve;
  return id;
}

// ---------------------------------------------------------------------------
// Per frame

namespace {
// What a pass may change of a record: a pass that changes none of it for
// any record made no progress.
struct TRecord_State {
  std::int32_t id;
  std::uint16_t step, sub_step;
  bool active, done;
  bool operator==(const TRecord_State&) const = default;
};
}  // namespace

void TMaster_Action_Timer::m_Update_Timer(float dt) {
  f_last_quick_passes = 0;
  if (f_records.empty()) {
    f_master_time = 0;
    return;
  }
  f_master_time += dt;
  if (!m_Run_Pass(dt)) return;

  std::vector<TRecord_State> before, after;
  auto state = [this](std::vector<TRecord_State>& out) {
    out.clear();
    for (const TAction_Record& r : f_records) out.push_back({r.id, r.step, r.sub_step, r.active, r.done});
  };
  state(before);
  while (f_last_quick_passes < Max_Quick_Passes && m_Quick_Pass_Allowed()) {
    ++f_last_quick_passes;
    const std::uint64_t progress = f_progress;
    if (!m_Run_Pass(0.0f)) return;
    state(after);
    if (after == before && progress == f_progress) break;
    before.swap(after);
  }
}

bool TMaster_Action_Timer::m_Quick_Pass_Allowed() const {
  if (!f_world->m_Hand_Over_Runs_Ahead()) return false;
  for (const TAction_Record& r : f_records)
    if (!r.done && r.kind == ACTION_END_TURN && r.active && !(r.delay > 0)) return true;
  return false;
}

bool TMaster_Action_Timer::m_Run_Pass(float dt) {
  // Records added during the pass lie beyond n and first run next pass. An
  // executor that clears the table (a reset, a load) ends the pass: nothing
  // of the old table is left to run, remove or release.
  const std::uint64_t clears = f_clear_count;
  const std::size_t n = f_records.size();
  for (std::size_t i = 1; i <= n; ++i) {
    TAction_Record& r = f_records[i - 1];
    if (r.active && !(r.delay > 0)) {
      m_Execute_Action(static_cast<std::int32_t>(i), dt);
      if (clears != f_clear_count) return false;
    } else if (r.delay > 0) {
      r.delay -= dt;
      if (r.delay < 0) r.delay = 0;
    }
  }

  m_Remove_Done_Actions();

  // Waiters of actions that no longer exist at all run from the next pass.
  for (TAction_Record& r : f_records)
    if (!r.active && r.awaited_id >= 1 && !m_Action_Exists(r.awaited_id)) r.active = true;
  return true;
}

void TMaster_Action_Timer::m_Execute_Action(std::int32_t index, float dt) {
  const std::uint8_t kind = m_Get_Record(index).kind;
  const bool debug = Timer_Debug();
  if (debug) Debug_Log_Write("TMaster_Action_Timer.m_Execute_Action - Start - " + Action_Kind_Name(kind));

  const std::uint64_t clears = f_clear_count;
  if (kind < f_executors.size() && f_executors[kind]) f_executors[kind]->m_Execute(*this, index, dt);

  if (clears == f_clear_count && index <= m_Record_Count()) {
    TAction_Record& r = f_records[index - 1];
    if (r.time_limit > 0 && r.start_time + r.time_limit < f_master_time && !r.done) {
      // Its step machine never finished it: the kind finishes what must not
      // be lost, then what it holds goes back here.
      if (kind < f_executors.size() && f_executors[kind]) f_executors[kind]->m_Time_Limit_Reached(*this, index);
      if (clears == f_clear_count && index <= m_Record_Count()) {
        TAction_Record& again = f_records[index - 1];
        again.done = true;
        m_Release_Record_Lists(again);
      }
    }
  }

  if (debug) Debug_Log_Write("TMaster_Action_Timer.m_Execute_Action - End");
}

void TMaster_Action_Timer::m_Release_Record_Lists(TAction_Record& r) {
  switch (r.kind) {
    case ACTION_MOVE_UNIT:
      m_Free_Unit_List(r.move.unit_list);
      m_Free_Unit_List(r.move.sound_list);
      r.move.unit_list = 0;
      r.move.sound_list = 0;
      break;
    case ACTION_BOMBARD_UNIT:
      m_Free_Unit_List(r.bombard.unit_list);
      f_bombard_damage.m_Release(r.bombard.damage_list);
      r.bombard.unit_list = 0;
      r.bombard.damage_list = 0;
      break;
    case ACTION_DECOMMISSION_UNITS:
      m_Free_Unit_List(r.decommission.unit_list);
      r.decommission.unit_list = 0;
      break;
    default:
      break;
  }
}

void TMaster_Action_Timer::m_Release_Waiting_Action(TAction_Record& waiting, const TAction_Record& done) {
  waiting.active = true;
  // The next leg of a move continues from the direction in which the
  // previous leg ended.
  if (waiting.kind == ACTION_MOVE_UNIT && waiting.move.chained && done.kind == ACTION_MOVE_UNIT)
    waiting.move.heading = done.move.heading;
}

void TMaster_Action_Timer::m_Remove_Done_Actions() {
  std::size_t i = 0;
  while (i < f_records.size()) {
    if (!f_records[i].done) {
      ++i;
      continue;
    }
    const TAction_Record& done = f_records[i];
    for (TAction_Record& w : f_records)
      if (&w != &done && !w.active && w.awaited_id == done.id) m_Release_Waiting_Action(w, done);
    f_records[i].kind = ACTION_NONE;
    f_records.erase(f_records.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

void TMaster_Action_Timer::m_Draw_Actions(float dt) {
  for (std::int32_t i = 1; i <= m_Record_Count(); ++i)
    if (f_records[i - 1].active) m_Draw_Action(i, dt);
}

void TMaster_Action_Timer::m_Draw_Action(std::int32_t index, float) {
  const TAction_Record& r = m_Get_Record(index);
  switch (r.kind) {
    case ACTION_MOVE_UNIT:
      if (r.move.seen && (r.step == 1 || r.step == 5 || r.step == 9))
        f_screen->m_Draw_Unit_Icon(r.move.unit_type, r.move.unit_count, r.move.heading, r.move.colour, r.move.rect);
      break;
    case ACTION_LOAD_UNIT:
    case ACTION_UNLOAD_UNIT:
      if (r.load.seen && r.step == 5) f_screen->m_Draw_Unit_Icon(r.load.unit_type, 1, 0, r.load.colour, r.load.rect);
      break;
    case ACTION_COMBAT_MOVE:
      if (r.step == 1 && !r.combat_move.auto_resolve) f_screen->m_Draw_Combat_Piece(r);
      break;
    case ACTION_DECOMMISSION_UNITS:
      if (r.decommission.seen) {
        const TLongintList* units = m_Get_Unit_List(r.decommission.unit_list);
        if (!units) break;
        for (std::int32_t k = 1; k <= units->m_Count(); ++k) {
          TAction_Unit_Info unit;
          TAction_Rect square;
          TColor colour = 0;
          if (f_world->m_Get_Unit(units->m_Get(k), unit) &&
              f_world->m_Get_Stack_Square(unit.region, unit.unit_type, unit.owner, square, colour))
            f_screen->m_Draw_Marker(square);
        }
      }
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------
// Hooks

void TMaster_Action_Timer::m_Effect_Finished(std::int32_t id) {
  std::int32_t index = m_Find_Action(id);
  if (index == 0) return;
  TAction_Record& r = f_records[index - 1];
  if (r.done) return;
  // Only the step that waits for the effect moves on; a late or repeated
  // report finds the record elsewhere and changes nothing.
  switch (r.kind) {
    case ACTION_BOMBARD_UNIT:
      if (r.step == 1) r.step = 2;
      break;
    case ACTION_COMBAT_ATTACK:
      if (r.step == 2) r.step = 3;
      break;
    case ACTION_END_TURN:
      if (r.step == 3 && r.sub_step == 2) r.sub_step = 3;
      break;
    default:
      break;
  }
}

void TMaster_Action_Timer::m_Resume_End_Turn_After_Load() {
  for (std::size_t i = 0; i < f_records.size(); ++i) {
    if (f_records[i].kind != ACTION_END_TURN) continue;
    f_records[i].step = 6;
    f_world->m_End_Turn_Resumed();
    f_screen->m_Show_Turn_Status();
    f_autosave_state = 0;
  }
}

// ---------------------------------------------------------------------------
// Unit lists

std::uint16_t TMaster_Action_Timer::m_New_Unit_List() {
  std::size_t i = 0;
  while (i < f_unit_lists.size() && f_unit_lists[i].used) ++i;
  if (i == f_unit_lists.size()) {
    if (f_unit_lists.size() >= std::numeric_limits<std::uint16_t>::max()) throw EIntOverflow();
    if (f_unit_lists.size() == f_unit_lists.capacity()) f_unit_lists.reserve(f_unit_lists.size() + 20);
    f_unit_lists.push_back({false, std::make_unique<TLongintList>()});
  }
  f_unit_lists[i].used = true;
  f_unit_lists[i].list->m_Clear();
  return static_cast<std::uint16_t>(i + 1);
}

bool TMaster_Action_Timer::m_Free_Unit_List(std::int64_t slot) {
  if (slot < 1 || slot > std::int64_t(f_unit_lists.size())) return false;
  f_unit_lists[slot - 1].used = false;
  f_unit_lists[slot - 1].list->m_Clear();
  return true;
}

TLongintList* TMaster_Action_Timer::m_Get_Unit_List(std::int64_t slot) {
  if (slot < 1 || slot > std::int64_t(f_unit_lists.size())) return nullptr;
  return f_unit_lists[slot - 1].list.get();
}

const TLongintList* TMaster_Action_Timer::m_Get_Unit_List(std::int64_t slot) const {
  if (slot < 1 || slot > std::int64_t(f_unit_lists.size())) return nullptr;
  return f_unit_lists[slot - 1].list.get();
}

bool TMaster_Action_Timer::m_Unit_List_Used(std::int64_t slot) const {
  if (slot < 1 || slot > std::int64_t(f_unit_lists.size())) return false;
  return f_unit_lists[slot - 1].used;
}

// ---------------------------------------------------------------------------
// Files

namespace {
void Write_Rect(TIo_Writer& w, const TAction_Rect& rect) {
  Io_Write_Single(w, rect.left);
  Io_Write_Single(w, rect.top);
  Io_Write_Single(w, rect.width);
  Io_Write_Single(w, rect.height);
}

void Read_Rect(TIo_Reader& r, TAction_Rect& rect) {
  rect.left = Io_Read_Single(r);
  rect.top = Io_Read_Single(r);
  rect.width = Io_Read_Single(r);
  rect.height = Io_Read_Single(r);
}

// Unit types are 16-bit fields stored as 32-bit values.
std::uint16_t Read_Unit_Type(TIo_Reader& r) { return Checked_Cast<std::uint16_t>(Io_Read_Longint(r)); }

void Write_Record(TIo_Writer& w, const TAction_Record& a) {
  Io_Write_Longint(w, a.id);
  Io_Write_Boolean(w, a.active);
  Io_Write_Single(w, a.start_time);
  Io_Write_Boolean(w, a.done);
  Io_Write_Word(w, a.step);
  Io_Write_Word(w, a.sub_step);
  Io_Write_Single(w, a.time_limit);
  Io_Write_Single(w, a.delay);
  Io_Write_Longint(w, a.awaited_id);
  Io_Write_Byte(w, a.kind);
  switch (a.kind) {
    case ACTION_MOVE_UNIT: {
      const TAction_Move_Unit& m = a.move;
      Io_Write_Longint(w, m.source_region);
      Io_Write_Longint(w, m.unit_type);
      Io_Write_Byte(w, m.owner);
      Io_Write_Boolean(w, m.seen);
      Io_Write_Word(w, m.unit_list);
      Io_Write_Word(w, m.sound_list);
      Io_Write_Longint(w, m.unit_count);
      Io_Write_Longint(w, m.destination_region);
      Write_Rect(w, m.rect);
      Io_Write_Color_RGBA(w, m.colour);
      Io_Write_Single(w, m.target_left);
      Io_Write_Single(w, m.target_top);
      Io_Write_Single(w, m.velocity_x);
      Io_Write_Single(w, m.velocity_y);
      Io_Write_Single(w, m.remaining_distance);
      Io_Write_Single(w, m.heading);
      Io_Write_Single(w, m.target_heading);
      Io_Write_Boolean(w, m.more_legs_follow);
      Io_Write_Boolean(w, m.chained);
      break;
    }
    case ACTION_BOMBARD_UNIT: {
      const TAction_Bombard_Unit& b = a.bombard;
      Io_Write_Longint(w, b.source_region);
      Io_Write_Longint(w, b.unit_type);
      Io_Write_Byte(w, b.owner);
      Io_Write_Boolean(w, b.seen);
      Io_Write_Longint(w, b.unit_count);
      Io_Write_Word(w, b.unit_list);
      Io_Write_Longint(w, b.target_region);
      Io_Write_Vector(w, b.effect_source);
      Io_Write_Vector(w, b.effect_target);
      Io_Write_Longint(w, b.effect_number);
      Io_Write_Longint(w, b.region_damage);
      Io_Write_Longint(w, b.damage_record_count);
      Io_Write_Word(w, b.damage_list);
      break;
    }
    case ACTION_LOAD_UNIT:
    case ACTION_UNLOAD_UNIT: {
      const TAction_Load_Unit& l = a.load;
      Io_Write_Longint(w, l.source_region);
      Io_Write_Longint(w, l.destination_region);
      Io_Write_Boolean(w, l.seen);
      Io_Write_Longint(w, l.unit_type);
      Write_Rect(w, l.rect);
      Io_Write_Color_RGBA(w, l.colour);
      Io_Write_Single(w, l.target_left);
      Io_Write_Single(w, l.target_top);
      Io_Write_Single(w, l.velocity_x);
      Io_Write_Single(w, l.velocity_y);
      Io_Write_Single(w, l.remaining_distance);
      break;
    }
    case ACTION_END_TURN:
      Io_Write_Longint(w, a.end_turn.crash_unit_id);
      break;
    case ACTION_COMBAT_MOVE: {
      const TAction_Combat_Move& c = a.combat_move;
      Io_Write_Longint(w, c.from_column);
      Io_Write_Longint(w, c.from_row);
      Io_Write_Longint(w, c.to_column);
      Io_Write_Longint(w, c.to_row);
      Io_Write_Longint(w, c.unit_type);
      Io_Write_Byte(w, c.owner);
      Io_Write_Longint(w, c.unit_count);
      Io_Write_Single(w, c.picture_x);
      Io_Write_Single(w, c.picture_y);
      Io_Write_Single(w, c.picture_width);
      Io_Write_Single(w, c.picture_height);
      Io_Write_Byte(w, c.facing);
      Io_Write_Color_RGBA(w, c.colour);
      Io_Write_Single(w, c.target_x);
      Io_Write_Single(w, c.target_y);
      Io_Write_Single(w, c.velocity_x);
      Io_Write_Single(w, c.velocity_y);
      Io_Write_Single(w, c.remaining_distance);
      Io_Write_Longint(w, c.sound_handle);
      Io_Write_Boolean(w, c.auto_resolve);
      Io_Write_Boolean(w, c.first_step);
      break;
    }
    case ACTION_COMBAT_ATTACK: {
      const TAction_Combat_Attack& c = a.combat_attack;
      Io_Write_Longint(w, c.attacker_column);
      Io_Write_Longint(w, c.attacker_row);
      Io_Write_Longint(w, c.defender_column);
      Io_Write_Longint(w, c.defender_row);
      Io_Write_Longint(w, c.damage);
      Io_Write_Vector(w, c.effect_source);
      Io_Write_Vector(w, c.effect_target);
      Io_Write_Longint(w, c.effect_number);
      Io_Write_Boolean(w, c.auto_resolve);
      break;
    }
    case ACTION_COMBAT_NEXT_PIECE:
      Io_Write_Boolean(w, a.next_piece.auto_resolve);
      break;
    case ACTION_DECOMMISSION_UNITS: {
      const TAction_Decommission_Units& d = a.decommission;
      Io_Write_Longint(w, d.region);
      Io_Write_Byte(w, d.owner);
      Io_Write_Boolean(w, d.seen);
      Io_Write_Longint(w, d.unit_count);
      Io_Write_Word(w, d.unit_list);
      Io_Write_Vector(w, d.marker_point);
      Io_Write_Longint(w, d.sound_handle);
      break;
    }
    default:  // no kind data
      break;
  }
}

void Read_Record(TIo_Reader& r, TAction_Record& a) {
  a.id = Io_Read_Longint(r);
  a.active = Io_Read_Boolean(r);
  a.start_time = Io_Read_Single(r);
  a.done = Io_Read_Boolean(r);
  a.step = Io_Read_Word(r);
  a.sub_step = Io_Read_Word(r);
  a.time_limit = Io_Read_Single(r);
  a.delay = Io_Read_Single(r);
  a.awaited_id = Io_Read_Longint(r);
  a.kind = Io_Read_Byte(r);
  switch (a.kind) {
    case ACTION_MOVE_UNIT: {
      TAction_Move_Unit& m = a.move;
      m.source_region = Io_Read_Longint(r);
      m.unit_type = Read_Unit_Type(r);
      m.owner = Io_Read_Byte(r);
      m.seen = Io_Read_Boolean(r);
      m.unit_list = Io_Read_Word(r);
      m.sound_list = Io_Read_Word(r);
      m.unit_count = Io_Read_Longint(r);
      m.destination_region = Io_Read_Longint(r);
      Read_Rect(r, m.rect);
      m.colour = Io_Read_Color_RGBA(r);
      m.target_left = Io_Read_Single(r);
      m.target_top = Io_Read_Single(r);
      m.velocity_x = Io_Read_Single(r);
      m.velocity_y = Io_Read_Single(r);
      m.remaining_distance = Io_Read_Single(r);
      m.heading = Io_Read_Single(r);
      m.target_heading = Io_Read_Single(r);
      m.more_legs_follow = Io_Read_Boolean(r);
      m.chained = Io_Read_Boolean(r);
      break;
    }
    case ACTION_BOMBARD_UNIT: {
      TAction_Bombard_Unit& b = a.bombard;
      b.source_region = Io_Read_Longint(r);
      b.unit_type = Read_Unit_Type(r);
      b.owner = Io_Read_Byte(r);
      b.seen = Io_Read_Boolean(r);
      b.unit_count = Io_Read_Longint(r);
      b.unit_list = Io_Read_Word(r);
      b.target_region = Io_Read_Longint(r);
      Io_Read_Vector(r, b.effect_source);
      Io_Read_Vector(r, b.effect_target);
      b.effect_number = Io_Read_Longint(r);
      b.region_damage = Io_Read_Longint(r);
      b.damage_record_count = Io_Read_Longint(r);
      b.damage_list = Io_Read_Word(r);
      break;
    }
    case ACTION_LOAD_UNIT:
    case ACTION_UNLOAD_UNIT: {
      TAction_Load_Unit& l = a.load;
      l.source_region = Io_Read_Longint(r);
      l.destination_region = Io_Read_Longint(r);
      l.seen = Io_Read_Boolean(r);
      l.unit_type = Read_Unit_Type(r);
      Read_Rect(r, l.rect);
      l.colour = Io_Read_Color_RGBA(r);
      l.target_left = Io_Read_Single(r);
      l.target_top = Io_Read_Single(r);
      l.velocity_x = Io_Read_Single(r);
      l.velocity_y = Io_Read_Single(r);
      l.remaining_distance = Io_Read_Single(r);
      break;
    }
    case ACTION_END_TURN:
      a.end_turn.crash_unit_id = Io_Read_Longint(r);
      break;
    case ACTION_COMBAT_MOVE: {
      TAction_Combat_Move& c = a.combat_move;
      c.from_column = Io_Read_Longint(r);
      c.from_row = Io_Read_Longint(r);
      c.to_column = Io_Read_Longint(r);
      c.to_row = Io_Read_Longint(r);
      c.unit_type = Read_Unit_Type(r);
      c.owner = Io_Read_Byte(r);
      c.unit_count = Io_Read_Longint(r);
      c.picture_x = Io_Read_Single(r);
      c.picture_y = Io_Read_Single(r);
      c.picture_width = Io_Read_Single(r);
      c.picture_height = Io_Read_Single(r);
      c.facing = Io_Read_Byte(r);
      c.colour = Io_Read_Color_RGBA(r);
      c.target_x = Io_Read_Single(r);
      c.target_y = Io_Read_Single(r);
      c.velocity_x = Io_Read_Single(r);
      c.velocity_y = Io_Read_Single(r);
      c.remaining_distance = Io_Read_Single(r);
      c.sound_handle = Io_Read_Longint(r);
      c.auto_resolve = Io_Read_Boolean(r);
      c.first_step = Io_Read_Boolean(r);
      break;
    }
    case ACTION_COMBAT_ATTACK: {
      TAction_Combat_Attack& c = a.combat_attack;
      c.attacker_column = Io_Read_Longint(r);
      c.attacker_row = Io_Read_Longint(r);
      c.defender_column = Io_Read_Longint(r);
      c.defender_row = Io_Read_Longint(r);
      c.damage = Io_Read_Longint(r);
      Io_Read_Vector(r, c.effect_source);
      Io_Read_Vector(r, c.effect_target);
      c.effect_number = Io_Read_Longint(r);
      c.auto_resolve = Io_Read_Boolean(r);
      break;
    }
    case ACTION_COMBAT_NEXT_PIECE:
      a.next_piece.auto_resolve = Io_Read_Boolean(r);
      break;
    case ACTION_DECOMMISSION_UNITS: {
      TAction_Decommission_Units& d = a.decommission;
      d.region = Io_Read_Longint(r);
      d.owner = Io_Read_Byte(r);
      d.seen = Io_Read_Boolean(r);
      d.unit_count = Io_Read_Longint(r);
      d.unit_list = Io_Read_Word(r);
      Io_Read_Vector(r, d.marker_point);
      d.sound_handle = Io_Read_Longint(r);
      break;
    }
    default:  // no kind data
      break;
  }
}
}  // namespace

void TMaster_Action_Timer::m_Save(TIo_Writer& w) const {
  Io_Write_Single(w, f_master_time);
  Io_Write_Longint(w, f_last_id);
  Io_Write_Longint(w, m_Record_Count());
  for (const TAction_Record& a : f_records) Write_Record(w, a);
  Io_Write_Word(w, m_Unit_List_Count());
  for (const TUnit_List_Slot& slot : f_unit_lists) {
    Io_Write_Boolean(w, slot.used);
    Io_Write_Longint_List(w, *slot.list);
  }
  f_bombard_damage.m_Save(w);
}

void TMaster_Action_Timer::m_Load(TIo_Reader& r) {
  m_Clear();
  f_master_time = Io_Read_Single(r);
  f_last_id = Io_Read_Longint(r);
  std::int32_t n = Io_Read_Longint(r);
  if (n < 0) throw ERangeError();
  // Sounds started by an earlier run of the program are not ours to stop or
  // move: every handle of the file becomes none, also when the read fails.
  try {
    // Records are taken one by one as they are read: a count that the file
    // does not hold fails at its end instead of reserving room for it.
    for (std::int32_t i = 0; i < n; ++i) {
      TAction_Record a{};
      Read_Record(r, a);
      f_records.push_back(a);
    }
    std::uint16_t m = Io_Read_Word(r);
    for (std::uint16_t i = 0; i < m; ++i) {
      TUnit_List_Slot slot{false, std::make_unique<TLongintList>()};
      slot.used = Io_Read_Boolean(r);
      Io_Read_Longint_List(r, *slot.list);
      f_unit_lists.push_back(std::move(slot));
    }
  } catch (...) {
    m_Forget_Sound_Handles();
    throw;
  }
  m_Forget_Sound_Handles();
  f_bombard_damage.m_Load(r);
}

void TMaster_Action_Timer::m_Forget_Sound_Handles() {
  for (TAction_Record& a : f_records) {
    switch (a.kind) {
      case ACTION_MOVE_UNIT:
        // (A damaged file may name the unit list as the sound list too.)
        if (a.move.sound_list != a.move.unit_list)
          if (TLongintList* sounds = m_Get_Unit_List(a.move.sound_list))
            for (std::int32_t k = 1; k <= sounds->m_Count(); ++k) sounds->m_Put(k, 0);
        break;
      case ACTION_COMBAT_MOVE:
        a.combat_move.sound_handle = 0;
        break;
      case ACTION_DECOMMISSION_UNITS:
        a.decommission.sound_handle = 0;
        break;
      default:
        break;
    }
  }
}

bool TMaster_Action_Timer::m_Save_To_File(const std::string& file_name) const {
  return Io_Save_To_File(file_name, [this](TIo_Writer& w) { m_Save(w); });
}

bool TMaster_Action_Timer::m_Load_From_File(const std::string& file_name) {
  return Io_Load_From_File(file_name, [this](TIo_Reader& r) { m_Load(r); });
}

// ---------------------------------------------------------------------------
// Plug-ins

void TMaster_Action_Timer::m_Set_Executor(std::uint8_t kind, TAction_Executor* executor) {
  if (kind < 1 || kind >= f_executors.size()) throw ERangeError();
  f_executors[kind] = executor;
}

void TMaster_Action_Timer::m_Set_World(TAction_Timer_World* world) { f_world = world ? world : &default_world; }

void TMaster_Action_Timer::m_Set_Screen(TAction_Timer_Screen* screen) {
  f_screen = screen ? screen : &default_screen;
}
