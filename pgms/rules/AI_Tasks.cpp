// The computer player's tasks: what it could do at each object, scored so
// that the task kind sets the band and weighted terms order the tasks
// within and across the bands.
#include <algorithm>

#include "AI_Log.h"
#include "AI_Main.h"
#include "Empire.h"
#include "EventLog.h"
#include "MapClass.h"
#include "World_Unit_Facts.h"

namespace {
bool Is_Neutral(std::uint8_t player) { return G_Empire_List && G_Empire_List->m_Is_Neutral(player); }

// The walk of the step's memo (a copy only when no memo lives).
struct TWalk {
  std::vector<std::int32_t> own;
  const std::vector<std::int32_t>& list;
  TWalk(std::int32_t region, std::int32_t range, std::uint8_t kind = 0)
      : list(AI_Regions_In_Range(region, range, kind, own)) {}
  auto begin() const { return list.begin(); }
  auto end() const { return list.end(); }
};

TWalk Regions_In_Range(std::int32_t region, std::int32_t range, std::uint8_t kind = 0) {
  return TWalk(region, range, kind);
}

std::string Join_Terms(const std::array<float, 6>& t) {
  std::string s;
  for (std::size_t i = 0; i < t.size(); ++i) s += (i ? " + " : "") + AI_Float_Text(t[i]);
  return s;
}

void Log_Task(std::int32_t index, float near, float very_near) {
  if (!AI_Log_On()) return;
  const TAI_Task& t = AI.tasks[std::size_t(index - 1)];
  const TAI_Region_Info& r = AI_Region(t.region);
  AI_Log(AI_Float_Text(t.score) + " - " + AI_Task_Kind_Name(t.kind) + "  [TID" + std::to_string(index) + "] (" +
         G_Map->m_Get_Region_Name(t.region) + ")");
  AI_Log("   Region Total Value    = " + AI_Float_Text(r.total_value));
  AI_Log("   Nearby Enemy Strength = " + AI_Float_Text(near));
  AI_Log("   Very Near E Strength  = " + AI_Float_Text(very_near));
  AI_Log("   Region Asset Strength = " + AI_Float_Text(r.asset_strength));
  AI_Log("   Region Value          = " + AI_Float_Text(r.value));
  AI_Log("   Region Distance       = " + std::to_string(r.distance));
  AI_Log("   Required Strength     = " + AI_Float_Text(t.required_strength));
  AI_Log("   Wanted Max Strength   = " + AI_Float_Text(t.wanted_max_strength));
  AI_Log("   Formula               = " + Join_Terms(t.terms));
}

// Adds a task whose score is the sum of its terms.
std::int32_t Add_Scored(std::uint8_t kind, std::int32_t object, std::int32_t region, const std::array<float, 6>& t,
                        float required, float wanted_max, float near = 0, float very_near = 0) {
  float score = 0;
  for (float v : t) score += v;
  const std::int32_t index = AI_Add_Task(kind, object, region, score, required, wanted_max);
  AI.tasks[std::size_t(index - 1)].terms = t;
  Log_Task(index, near, very_near);
  return index;
}

void Own_Region_Tasks(std::uint8_t player, std::int32_t object, std::int32_t region) {
  bool found2 = false, found1 = false;
  float largest2 = 0, largest = 0;
  const float n2 = AI_Enemy_Strength_Near(player, region, 2, false, true, found2, largest2);
  const float n1 = AI_Enemy_Strength_Near(player, region, 1, false, true, found1, largest);
  const TAI_Region_Info& info = AI_Region(region);
  std::array<float, 6> t{};
  t[0] = 20000;
  t[1] = 0.2f * info.total_value;
  t[2] = found1 ? 1.0f * n1 + 0.2f * n2 : 0.2f * n1 + 0.1f * n2;
  const float v = largest + 50.0f * float(AI_Count_Foreign_Regions_In_Range(player, region, 1, true));
  if (n1 == 0) {
    std::array<float, 6> quiet = t;
    quiet[0] -= 10000;
    Add_Scored(AI_TASK_PROTECT_REGION, object, region, quiet, 1, 1, n2, n1);
  } else {
    Add_Scored(AI_TASK_PROTECT_REGION, object, region, t, v / 10, v / 3, n2, n1);
    std::array<float, 6> second = t;
    second[0] -= 2000;
    Add_Scored(AI_TASK_PROTECT_REGION, object, region, second, v / 5, v, n2, n1);
  }
  std::array<float, 6> view{};
  view[0] = 30000;
  view[1] = 50.0f * float(AI_Count_Unknown_Regions_In_Range(player, region, 3));
  view[2] = 0.2f * n2;
  Add_Scored(AI_TASK_VIEW_FROM_REGION, object, region, view, 1, 0, n2, n1);
}

void Enemy_Region_Tasks(std::uint8_t player, std::int32_t object, std::int32_t region) {
  const TAI_Region_Info& info = AI_Region(region);
  // What the attack has to overcome: the units of other owners only (the
  // player's own units left there after an attack are no defenders).
  const float defenders = info.enemy_strength;
  const bool too_strong = defenders != 0 && defenders >= AI_Sum_Player_Strength_In_Range(player, region, 2);
  bool found = false;
  float largest = 0;
  std::array<float, 6> t{};
  t[3] = -400.0f * float(info.distance);
  if (too_strong) {
    if (Is_Neutral(info.owner)) {
      AI_Enemy_Strength_Near(player, region, 1, true, true, found, largest);
      if (found) return;
    }
    t[0] = 60000;
    t[1] = defenders;
    t[2] = -0.5f * info.total_value;
    Add_Scored(AI_TASK_DAMAGE_REGION, object, region, t, 1, 0);
    return;
  }
  const float e = AI_Enemy_Strength_Near(player, region, 1, true, true, found, largest);
  t[0] = 70000;
  t[1] = 0.5f * info.total_value;
  t[2] = -defenders;
  t[4] = G_Event_Log && G_Event_Log->m_Has_Recent_Events(player, region) ? 5000.0f : 0.0f;
  t[5] = Is_Neutral(info.owner) ? -1000.0f : (found ? -3000.0f : 0.0f);
  Add_Scored(AI_TASK_CONQUER_REGION, object, region, t, defenders, e, e, 0);
}

void Transport_Tasks(std::uint8_t player, std::int32_t object, const TAI_Object& o) {
  TMap_Unit_Record u;
  G_Map->m_Get_Unit(o.subject, u);
  const TUnit_Type* type = World_Unit_Type(u.unit_type);
  if (o.subject == 0 || u.id == 0 || !type) return;
  const TAI_Region_Info& info = AI_Region(o.region);
  bool misplaced = false;
  switch (type->f_movement_type) {
    case UNIT_MOVEMENT_AIR: misplaced = info.region_type != REGION_LAND || !info.has_base; break;
    case UNIT_MOVEMENT_LAND: misplaced = info.owner != player || !info.has_base; break;
    case UNIT_MOVEMENT_SEA_SURFACE:
    case UNIT_MOVEMENT_UNDERSEA: misplaced = !G_Map->m_Owns_Region_Or_Neighbour(o.region, player); break;
    default: break;
  }
  std::array<float, 6> t{};
  t[0] = 100000;
  if (!misplaced) {
    Add_Scored(AI_TASK_FILL_TRANSPORT, object, o.region, t, float(o.free_space), 0);
    return;
  }
  std::int32_t destination = 0;
  AI_Find_Transport_Destination(o.region, player, type->f_movement_type,
                                std::min<std::int32_t>(type->f_movement_amount, 255), true, true,
                                type->f_movement_type == UNIT_MOVEMENT_AIR, destination);
  // The transport alone serves its move (its pair brings a strength of 1):
  // asking for its free space as strength left the task never done.
  if (destination != 0) Add_Scored(AI_TASK_MOVE_TRANSPORT, object, destination, t, 1, 0);
}
}  // namespace

std::string AI_Task_Kind_Name(std::uint8_t kind) {
  switch (kind) {
    case AI_TASK_PROTECT_REGION: return "Protect Region";
    case AI_TASK_CONQUER_REGION: return "Conquer Region";
    case AI_TASK_DAMAGE_REGION: return "Damage Region";
    case AI_TASK_DESTROY_ENEMY: return "Destroy Enemy";
    case AI_TASK_TAKE_EMPTY_REGION: return "Take Empty Region";
    case AI_TASK_VIEW_FROM_REGION: return "View From Region";
    case AI_TASK_FILL_TRANSPORT: return "Fill Transport Unit";
    case AI_TASK_MOVE_TRANSPORT: return "Move Transport Unit";
    case AI_TASK_PROTECT_SEA_UNITS: return "Protect Sea Units";
    default: return "";
  }
}

std::int32_t AI_Add_Task(std::uint8_t kind, std::int32_t object, std::int32_t region, float score, float required,
                         float wanted_max) {
  TAI_Task t;
  t.kind = kind;
  t.object = object;
  t.region = region;
  t.score = score;
  t.required_strength = required;
  t.wanted_max_strength = wanted_max;
  AI.tasks.push_back(t);
  return std::int32_t(AI.tasks.size());
}

float AI_Enemy_Strength_Near(std::uint8_t player, std::int32_t region, std::int32_t range, bool ignore_neutral,
                             bool land_only, bool& enemy_found, float& largest) {
  bool made = false;
  TAI_Memo_Answer* kept =
      range >= 0 && range <= 0x1FFF
          ? AI_Memo_Answer(1, region, std::int64_t(range) << 11 | player << 2 | ignore_neutral << 1 | land_only, made)
          : nullptr;
  if (kept && !made) {
    enemy_found = kept->found;
    largest = kept->largest;
    return kept->sum;
  }
  enemy_found = false;
  largest = 0;
  float sum = 0;
  for (std::int32_t id : Regions_In_Range(region, range)) {
    const TAI_Region_Info& r = AI_Region(id);
    if (land_only && r.region_type != REGION_LAND) continue;
    if (r.owner == 0 && r.first_unit_owner == 0) continue;
    if (r.owner == player || r.first_unit_owner == player) continue;
    const std::uint8_t party = r.owner != 0 ? r.owner : r.first_unit_owner;
    const bool neutral = Is_Neutral(party);
    if (!neutral) enemy_found = true;
    if (neutral && ignore_neutral) continue;
    sum += r.asset_strength;
    largest = std::max(largest, r.asset_strength);
  }
  if (kept) *kept = {sum, largest, 0, enemy_found};
  return sum;
}

std::int32_t AI_Count_Foreign_Regions_In_Range(std::uint8_t player, std::int32_t region, std::int32_t range,
                                               bool ignore_neutral) {
  bool made = false;
  TAI_Memo_Answer* kept = range >= 0 && range <= 0x3FFF
                              ? AI_Memo_Answer(2, region, std::int64_t(range) << 10 | player << 1 | ignore_neutral, made)
                              : nullptr;
  if (kept && !made) return kept->count;
  std::int32_t n = 0;
  for (std::int32_t id : Regions_In_Range(region, range)) {
    if (id == region) continue;
    const TAI_Region_Info& r = AI_Region(id);
    if (r.owner == 0 || r.owner == player || r.first_unit_owner == player) continue;
    if (ignore_neutral && Is_Neutral(r.owner)) continue;
    ++n;
  }
  if (kept) kept->count = n;
  return n;
}

float AI_Sum_Player_Strength_In_Range(std::uint8_t player, std::int32_t region, std::int32_t range) {
  float sum = 0;
  for (std::int32_t id : Regions_In_Range(region, range)) {
    const TAI_Region_Info& r = AI_Region(id);
    if (r.owner == player || r.first_unit_owner == player) sum += r.asset_strength;
  }
  return sum;
}

std::int32_t AI_Count_Unknown_Regions_In_Range(std::uint8_t player, std::int32_t region, std::int32_t range) {
  const TEmpire* e = Empire_Get(player);
  std::int32_t n = 0;
  for (std::int32_t id : Regions_In_Range(region, range))
    if (!e || !e->m_Is_Region_Known(id)) ++n;
  return n;
}

std::int32_t AI_Count_Regions_In_Range(std::int32_t region, std::int32_t range) {
  // "Other regions": the start region is not one of them, whatever its kind.
  std::int32_t n = 0;
  for (std::int32_t id : Regions_In_Range(region, range, REGION_OCEAN))
    if (id != region) ++n;
  return n;
}

std::int32_t AI_Find_Transport_Destination(std::int32_t region, std::uint8_t player, std::uint8_t movement_type,
                                           std::int32_t move_points, bool need_base, bool prefer_strongest, bool air,
                                           std::int32_t& destination) {
  destination = 0;
  std::int32_t best_cost = 99999;
  std::vector<std::int32_t> steps, reached;
  G_Map->m_Get_Move_Range(region, movement_type, steps, reached, 1, player, air ? move_points : move_points * 5);
  struct TCandidate {
    std::int32_t region, cost;
  };
  std::vector<TCandidate> candidates;
  const bool sea = movement_type == UNIT_MOVEMENT_SEA_SURFACE || movement_type == UNIT_MOVEMENT_UNDERSEA;
  for (std::size_t i = 0; i < reached.size(); ++i) {
    if (sea) {
      const TMap_Region* r = G_Map->m_Get_Region(reached[i]);
      for (std::int32_t k = 1; r && k <= r->m_Get_Connection_Count(); ++k) {
        const std::int32_t c = r->m_Get_Connection(k);
        const TAI_Region_Info& info = AI_Region(c);
        if (info.region_type == REGION_LAND && info.owner == player && (!need_base || info.has_base))
          candidates.push_back({c, steps[i] + 1});
      }
    } else {
      const TAI_Region_Info& info = AI_Region(reached[i]);
      if (info.owner == player && (!need_base || info.has_base)) candidates.push_back({reached[i], steps[i]});
    }
  }
  if (prefer_strongest) {
    float best_strength = 0;
    for (const TCandidate& c : candidates)
      if (AI_Region(c.region).asset_strength > best_strength) {
        best_strength = AI_Region(c.region).asset_strength;
        destination = c.region;
        best_cost = c.cost;
      }
  }
  if (destination == 0)
    for (const TCandidate& c : candidates)
      if (c.cost < best_cost) {
        best_cost = c.cost;
        destination = c.region;
      }
  return best_cost;
}

void AI_Create_Tasks(std::uint8_t player) {
  AI_Log("--- Tasks ---");
  AI.tasks.clear();
  for (std::int32_t i = 1; i <= std::int32_t(AI.objects.size()); ++i) {
    const TAI_Object o = AI.objects[std::size_t(i - 1)];
    if (!G_Map->m_Get_Region(o.region)) continue;
    const TAI_Region_Info& info = AI_Region(o.region);
    switch (o.kind) {
      case AI_OBJECT_OWN_REGION: Own_Region_Tasks(player, i, o.region); break;
      case AI_OBJECT_ENEMY_REGION: Enemy_Region_Tasks(player, i, o.region); break;
      case AI_OBJECT_FOREIGN_UNITS: {
        std::array<float, 6> t{};
        t[0] = 40000;
        t[1] = info.enemy_strength;
        t[2] = -400.0f * float(info.distance);
        Add_Scored(AI_TASK_DESTROY_ENEMY, i, o.region, t, info.enemy_strength, 0);
        break;
      }
      case AI_OBJECT_EMPTY_REGION: {
        bool found = false;
        float largest = 0;
        AI_Enemy_Strength_Near(player, o.region, 1, true, true, found, largest);
        std::array<float, 6> t{};
        t[0] = 80000;
        t[1] = 100.0f * info.value;
        t[2] = -400.0f * float(info.distance);
        Add_Scored(AI_TASK_TAKE_EMPTY_REGION, i, o.region, t, 1, largest / 10);
        break;
      }
      case AI_OBJECT_TRANSPORT: Transport_Tasks(player, i, o); break;
      case AI_OBJECT_FULL_SEA_TRANSPORT: {
        TMap_Unit_Record u;
        G_Map->m_Get_Unit(o.subject, u);
        std::array<float, 6> t{};
        t[0] = 10000;
        t[1] = u.cargo_list != 0 ? 200.0f : 0.0f;
        const float wanted = AI.sea_transports > 0 ? AI.sea_strength / float(AI.sea_transports) : 0.0f;
        Add_Scored(AI_TASK_PROTECT_SEA_UNITS, i, o.region, t, 1, wanted);
        break;
      }
      default: break;
    }
  }
  // Insertion before the first strictly lower score keeps equal scores in
  // creation order.
  AI.sorted_tasks.clear();
  for (std::int32_t i = 1; i <= std::int32_t(AI.tasks.size()); ++i) {
    const float s = AI.tasks[std::size_t(i - 1)].score;
    auto it = std::find_if(AI.sorted_tasks.begin(), AI.sorted_tasks.end(),
                           [&](std::int32_t k) { return AI.tasks[std::size_t(k - 1)].score < s; });
    AI.sorted_tasks.insert(it, i);
  }
  if (AI_Log_On()) {
    AI_Log("--- Sorted Tasks ---");
    for (std::int32_t k : AI.sorted_tasks) {
      const TAI_Task& t = AI.tasks[std::size_t(k - 1)];
      std::string line = "[TID" + std::to_string(k) + "] " + AI_Float_Text(t.score) + " - " +
                         AI_Task_Kind_Name(t.kind) + " (" + G_Map->m_Get_Region_Name(t.region) + ")";
      if (t.kind == AI_TASK_FILL_TRANSPORT || t.kind == AI_TASK_MOVE_TRANSPORT)
        line += " (Transport: " + std::to_string(t.object) + ")";
      else if (t.kind == AI_TASK_PROTECT_SEA_UNITS)
        line += " (Sea Unit: " + std::to_string(t.object) + ")";
      AI_Log(line);
    }
  }
}
