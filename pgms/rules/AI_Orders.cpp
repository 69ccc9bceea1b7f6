// The computer player's assignments and orders: pairs of an asset and a task
// it can serve, assets handed out in pair order, and one order at a time.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <utility>

#include "AI_Log.h"
#include "AI_Main.h"
#include "Empire.h"
#include "GameSettings.h"
#include "MapClass.h"
#include "Order_Desk.h"
#include "World_Unit_Facts.h"

namespace {
TAI_Order_Function Order_Function = &AI_Execute_Order;

constexpr std::int32_t Unreached = 999999;

bool Admits(std::uint8_t region_type, std::uint8_t movement_type) {
  switch (region_type) {
    case REGION_LAND:
      return movement_type == 1 || movement_type == 2 || movement_type == 5;
    case REGION_OCEAN:
      return movement_type == 1 || movement_type == 3 || movement_type == 4 || movement_type == 5;
    default:
      return false;
  }
}

bool Is_Sea(std::uint8_t movement_type) {
  return movement_type == UNIT_MOVEMENT_SEA_SURFACE || movement_type == UNIT_MOVEMENT_UNDERSEA;
}

// Whether a region connected to `region` admits the movement type; the last
// such region is given back.
bool Neighbour_Suits(std::int32_t region, std::uint8_t movement_type, std::int32_t* last = nullptr) {
  const TMap_Region* r = G_Map->m_Get_Region(region);
  bool any = false;
  for (std::int32_t k = 1; r && k <= r->m_Get_Connection_Count(); ++k) {
    const TMap_Region* n = G_Map->m_Get_Region(r->m_Get_Connection(k));
    if (n && Admits(n->m_Get_Type(), movement_type)) {
      any = true;
      if (last) *last = n->m_Get_Id();
    }
  }
  return any;
}

// Whether the unit stands on land bordering land of another, non-neutral
// empire.
bool On_Front_Line(std::int32_t region, std::uint8_t player) {
  const TMap_Region* r = G_Map->m_Get_Region(region);
  if (!r || r->m_Get_Type() != REGION_LAND) return false;
  for (std::int32_t k = 1; k <= r->m_Get_Connection_Count(); ++k) {
    const TMap_Region* n = G_Map->m_Get_Region(r->m_Get_Connection(k));
    if (n && n->m_Get_Type() == REGION_LAND && n->m_Get_Owner() != 0 && n->m_Get_Owner() != player &&
        !(G_Empire_List && G_Empire_List->m_Is_Neutral(n->m_Get_Owner())))
      return true;
  }
  return false;
}

// What one planning pass looks up again and again while the map stands
// still: cost tables by (start region, movement type), shared by the assets
// standing together, and the strength of a unit type without cargo against
// a region's units.
struct TPair_Cache {
  std::map<std::pair<std::int32_t, std::uint8_t>, std::vector<std::int32_t>> cost;
  std::map<std::pair<std::int64_t, std::int32_t>, float> strength;

  // Step distances over the connections from a region to every region,
  // whoever owns them (G_Map->m_Get_Region_Distance without the owner
  // rule), one walk per start region.
  std::map<std::int32_t, std::vector<std::int32_t>> distance;

  // The transport record of each transport task (index = task number),
  // read once: no unit moves while the pairs are made.
  std::vector<TMap_Unit_Record> transports;
  std::vector<bool> transport_read;

  std::uint8_t player = 0;

  // What the move walks ask of each region, read once: while the pairs are
  // made no unit moves and nothing becomes known. The connections of every
  // region to existing regions, in their order (region id i: entries
  // link_start[i] to link_start[i + 1]), and for each movement type how a
  // walk may enter each region (index = region id).
  enum : std::uint8_t { Entry_Closed = 0, Entry_Go_On = 1, Entry_Stop = 2 };
  std::vector<std::int32_t> link_start, links;
  std::array<std::vector<std::uint8_t>, 256> entry;
  std::vector<std::uint8_t> open;
  std::vector<std::int32_t> level, next;

  void m_Read_Links(std::int32_t n) {
    link_start.assign(std::size_t(n) + 2, 0);
    links.clear();
    for (std::int32_t i = 1; i <= n; ++i) {
      link_start[std::size_t(i)] = std::int32_t(links.size());
      const TMap_Region* r = G_Map->m_Get_Region(i);
      for (std::int32_t k = 1; r && k <= r->m_Get_Connection_Count(); ++k) {
        const std::int32_t c = r->m_Get_Connection(k);
        if (c >= 1 && c <= n && G_Map->m_Get_Region(c)) links.push_back(c);
      }
    }
    link_start[std::size_t(n) + 1] = std::int32_t(links.size());
  }

  // A region the walk enters: one the movement type admits; among the
  // regions the empire knows, a battle only when the player fights in it.
  // The walk stops in a battle and among foreign units. Regions the empire
  // does not know are entered without a look at their units.
  void m_Read_Entry(const TEmpire& empire, std::int32_t n, std::uint8_t movement_type) {
    std::vector<std::uint8_t>& e = entry[movement_type];
    e.assign(std::size_t(n) + 1, Entry_Closed);
    auto foreign = [&](std::uint8_t owner) { return owner != 0 && owner != player; };
    for (std::int32_t i = 1; i <= n; ++i) {
      const TMap_Region* r = G_Map->m_Get_Region(i);
      if (!r || !Admits(r->m_Get_Type(), movement_type)) continue;
      std::uint8_t state = Entry_Go_On;
      if (empire.m_Is_Region_Known(i)) {
        std::uint8_t first = 0, second = 0;
        r->m_Get_Unit_Owners(first, second);
        if (G_Map->m_Is_Combat_Region(i)) {
          if (first != player && second != player) continue;
          state = Entry_Stop;
        }
        if (foreign(first) || foreign(second)) state = Entry_Stop;
      }
      e[std::size_t(i)] = state;
    }
  }

  // The movement cost from the region to every region (index = region id):
  // the step counts G_Map->m_Get_Move_Range gives in mode 2 (the move may
  // end among foreign units or in a battle of the player's) within 100
  // steps, the same walk made over the facts read once.
  std::vector<std::int32_t> m_Cost_Table(std::int32_t from, std::uint8_t movement_type) {
    const std::int32_t n = G_Map->m_Get_Region_Count();
    std::vector<std::int32_t> cost(std::size_t(n) + 1, Unreached);
    const TEmpire* empire = Empire_Get(player);
    if (from >= 1 && from <= n) cost[std::size_t(from)] = 0;
    if (!empire || from < 1 || from > n) return cost;
    if (link_start.empty()) m_Read_Links(n);
    if (entry[movement_type].empty()) m_Read_Entry(*empire, n, movement_type);
    const std::vector<std::uint8_t>& e = entry[movement_type];
    constexpr std::int32_t Maximum_Steps = 100;
    // open: the regions the walk may still enter (those entered are closed);
    // the walk goes on from the start region whatever stands there. A
    // region joins one level at most, so each level fits in n places.
    open.assign(e.begin(), e.end());
    level.resize(std::size_t(n) + 1);
    next.resize(std::size_t(n) + 1);
    std::uint8_t* const opens = open.data();
    std::int32_t* const costs = cost.data();
    const std::uint8_t* const entries = e.data();
    const std::int32_t* const starts = link_start.data();
    const std::int32_t* const targets = links.data();
    std::int32_t* here = level.data();
    std::int32_t* after = next.data();
    opens[from] = Entry_Closed;
    here[0] = from;
    // With no more regions than the walk lists, every region reached gets
    // its step count whatever the order within a level, so the levels need
    // no sorting.
    const bool sort_levels = std::size_t(n) > Search_Output_Limit;
    std::size_t here_count = 1, listed = 0;
    for (std::int32_t L = 0;; ++L) {
      bool productive = false;
      std::size_t after_count = 0;
      for (std::size_t i = 0; i < here_count; ++i) {
        const std::int32_t id = here[i];
        if (L > 0 && entries[id] != Entry_Go_On) continue;
        for (std::int32_t k = starts[id], last = starts[id + 1]; k < last; ++k) {
          const std::int32_t c = targets[k];
          if (opens[c] == Entry_Closed) continue;
          opens[c] = Entry_Closed;
          after[after_count++] = c;
          if (listed < Search_Output_Limit) {
            ++listed;
            costs[c] = L + 1;
            productive = true;
          }
        }
      }
      if (!productive || L + 1 >= Maximum_Steps) break;
      if (sort_levels) std::sort(after, after + after_count);
      std::swap(here, after);
      here_count = after_count;
    }
    return cost;
  }

  const TMap_Unit_Record& m_Transport(std::int32_t task, std::int32_t unit) {
    if (transports.size() <= std::size_t(task)) {
      transports.resize(std::size_t(task) + 1);
      transport_read.resize(std::size_t(task) + 1, false);
    }
    if (!transport_read[std::size_t(task)]) {
      transport_read[std::size_t(task)] = true;
      G_Map->m_Get_Unit(unit, transports[std::size_t(task)]);
    }
    return transports[std::size_t(task)];
  }

  std::int32_t m_Distance(std::int32_t from, std::int32_t to) {
    const std::int32_t n = G_Map->m_Get_Region_Count();
    if (from < 1 || from > n || to < 1 || to > n) return Region_Distance_Unreachable;
    if (from == to) return 0;
    auto [it, made] = distance.try_emplace(from);
    std::vector<std::int32_t>& d = it->second;
    if (made) {
      d.assign(std::size_t(n) + 1, Region_Distance_Unreachable);
      d[std::size_t(from)] = 0;
      std::vector<std::int32_t> level{from}, next;
      for (std::int32_t steps = 1; !level.empty(); ++steps) {
        for (std::int32_t id : level) {
          const TMap_Region* r = G_Map->m_Get_Region(id);
          for (std::int32_t k = 1; r && k <= r->m_Get_Connection_Count(); ++k) {
            const std::int32_t c = r->m_Get_Connection(k);
            if (!G_Map->m_Get_Region(c) || d[std::size_t(c)] != Region_Distance_Unreachable) continue;
            d[std::size_t(c)] = steps;
            next.push_back(c);
          }
        }
        level.swap(next);
        next.clear();
      }
    }
    return d[std::size_t(to)];
  }

  // Against the units of other owners only.
  float m_Strength_Against(std::int64_t unit_type, std::int32_t cargo_list, std::int32_t region) {
    if (cargo_list != 0) return AI_Unit_Strength_Against(unit_type, cargo_list, region, player);
    auto [it, made] = strength.try_emplace({unit_type, region}, 0.0f);
    if (made) it->second = AI_Unit_Strength_Against(unit_type, 0, region, player);
    return it->second;
  }
};

void Make_Pairs(std::uint8_t player, std::int32_t asset_index, TPair_Cache& cache) {
  const TAI_Asset a = AI.assets[std::size_t(asset_index - 1)];
  const TUnit_Type* t = World_Unit_Type(a.unit_type);
  if (!t || !G_Map->m_Get_Region(a.region)) return;
  const std::uint8_t mt = t->f_movement_type;
  auto [table, made] = cache.cost.try_emplace({a.region, mt});
  if (made) table->second = cache.m_Cost_Table(a.region, mt);
  const std::vector<std::int32_t>& cost = table->second;
  auto cost_at = [&](std::int32_t r) {
    return r >= 1 && std::size_t(r) < cost.size() ? cost[std::size_t(r)] : Unreached;
  };
  auto reaches = [&](std::int32_t r) { return r == a.region || cost_at(r) <= a.moves; };
  const bool fighting_cargo =
      t->f_transported_units_participate_in_combat && a.cargo_list != 0 && G_Map->m_Get_Cargo_Count(a.cargo_list) > 0;
  const std::uint8_t air_cargo_moves = AI_Cargo_Air_Moves(a.cargo_list);
  const bool transport =
      t->f_transporting_capacity > 0 && !t->f_transported_units_participate_in_combat && a.cargo_list != 0;
  const bool attacks = t->f_combat_attack_range != 0 || fighting_cargo;
  const bool is_air = mt == UNIT_MOVEMENT_AIR, is_land = mt == UNIT_MOVEMENT_LAND;
  // Whether the asset stands on a front line, asked once (-1: not yet).
  int front_line = -1;

  for (std::int32_t ti = 1; ti <= std::int32_t(AI.tasks.size()); ++ti) {
    const TAI_Task& task = AI.tasks[std::size_t(ti - 1)];
    const TMap_Region* target = G_Map->m_Get_Region(task.region);
    if (!target) continue;
    const bool in_place = a.region == task.region;
    const bool suits = Admits(target->m_Get_Type(), mt);
    const std::int32_t c = cost_at(task.region);
    float bonus = 0;
    bool eligible = false;
    std::int32_t cargo_size = Cargo_Size_Never_Fits;
    std::int32_t via = 0, landing = 0;
    const TAI_Object& object = AI.objects[std::size_t(task.object - 1)];
    // What the asset can do at all, then whether it can get there.
    switch (task.kind) {
      case AI_TASK_PROTECT_REGION:
        eligible = t->f_combat_attack_range != 0 || fighting_cargo;
        if (transport && (suits || Neighbour_Suits(task.region, mt)) && AI_Cargo_Has_Land_Unit(a.cargo_list)) {
          bonus = 100;
          eligible = true;
        }
        if (eligible && !in_place)
          eligible = suits && t->f_movement_amount > 0 && c <= 999 && (!is_air || reaches(task.region));
        break;
      case AI_TASK_CONQUER_REGION:
        // A type that also fires at range joins a conquest where it can
        // hurt the defenders in battle: against a space unit it may be the
        // only one that can.
        eligible = t->f_combat_attack_range != 0 || t->f_ranged_fire_range != 0 || fighting_cargo;
        if (eligible && t->f_ranged_fire_range != 0)
          eligible = t->f_combat_attack_range != 0 && cache.m_Strength_Against(a.unit_type, 0, task.region) > 0;
        if (transport && !suits && Neighbour_Suits(task.region, mt)) {
          bonus = cache.m_Strength_Against(a.unit_type, a.cargo_list, task.region);
          eligible = bonus > 0;
        }
        [[fallthrough]];
      case AI_TASK_DESTROY_ENEMY:
        if (task.kind == AI_TASK_DESTROY_ENEMY) {
          eligible = attacks && !(t->f_transporting_capacity > 0 && !t->f_transported_units_participate_in_combat);
          bool hits = false;
          for (std::uint8_t k = 1; k <= 5 && eligible; ++k)
            if (object.counts[k] > 0 && t->m_Get_Combat_Damage_Modifier(k) > 50) hits = true;
          eligible = eligible && hits;
        }
        if (eligible && !in_place) eligible = reaches(task.region);
        // Enemy units on the player's own land are fought when units come
        // in; those standing there already start no battle.
        if (eligible && in_place && task.kind == AI_TASK_DESTROY_ENEMY && AI_Region(task.region).owner == player)
          eligible = false;
        if (bonus > 0) eligible = true;
        if (eligible && is_air && AI_Region(task.region).owner != player &&
            c + AI_Region(task.region).distance > a.moves)
          eligible = false;
        if (!eligible && air_cargo_moves > 0 &&
            a.moves + air_cargo_moves / 2 >= cache.m_Distance(a.region, task.region))
          eligible = true;
        break;
      case AI_TASK_DAMAGE_REGION:
        eligible = t->f_ranged_fire_range != 0 &&
                   (a.moves > 0 || t->m_Has_Special_Ability(UNIT_ABILITY_CAN_BOMBARD_WITH_NO_MOVEMENT));
        if (eligible) {
          const std::int32_t d = cache.m_Distance(a.region, task.region);
          eligible = d <= 999 && d <= t->f_ranged_fire_range;
        }
        break;
      case AI_TASK_TAKE_EMPTY_REGION:
        eligible = (t->f_combat_attack_range != 0 || fighting_cargo) && is_land && t->f_ranged_fire_range == 0;
        if (transport && (suits || Neighbour_Suits(task.region, mt, &landing)) &&
            AI_Cargo_Has_Land_Unit(a.cargo_list)) {
          bonus = 100;
          eligible = true;
        }
        if (eligible && !in_place) eligible = t->f_movement_amount > 0 && c <= 999;
        if (eligible && bonus > 0) {
          if (is_air)
            eligible = reaches(task.region);
          else if (is_land)
            eligible = suits;
        }
        if (bonus > 0 && Is_Sea(mt)) eligible = cost_at(landing) <= 3 * t->f_movement_amount;
        break;
      case AI_TASK_VIEW_FROM_REGION:
        eligible = t->f_sight_range > 2;
        break;
      case AI_TASK_FILL_TRANSPORT: {
        const TMap_Unit_Record& tr = cache.m_Transport(ti, object.subject);
        const TUnit_Type* tt = World_Unit_Type(tr.unit_type);
        if (tr.id == 0 || !tt || tr.id == a.unit) break;
        cargo_size = G_Map->m_Get_Unit_Cargo_Size(a.unit, tr.id);
        if (cargo_size == Cargo_Size_Never_Fits) break;
        if (is_air && !tt->f_transported_units_participate_in_combat) break;
        if (front_line < 0) front_line = On_Front_Line(a.region, player) ? 1 : 0;
        if (front_line == 1) break;
        const TMap_Region* at = G_Map->m_Get_Region(tr.region);
        if (!at) break;
        if (at->m_Get_Type() == REGION_LAND) {
          eligible = reaches(tr.region);
        } else if (is_air || Is_Sea(mt)) {
          eligible = reaches(tr.region);
        } else {
          for (std::int32_t k = 1; k <= at->m_Get_Connection_Count(); ++k) {
            const std::int32_t n = at->m_Get_Connection(k);
            const TAI_Region_Info& info = AI_Region(n);
            if (info.region_type == REGION_LAND && info.owner == player && reaches(n)) {
              via = n;
              eligible = true;
            }
          }
        }
        break;
      }
      case AI_TASK_MOVE_TRANSPORT:
        eligible = object.subject == a.unit;
        break;
      case AI_TASK_PROTECT_SEA_UNITS:
        eligible = Is_Sea(mt) && t->f_transporting_capacity == 0 && t->f_combat_attack_range != 0;
        break;
      default:
        break;
    }
    if (!eligible) continue;

    float strength = a.strength;
    float score = task.score + 50.0f - float(std::min(c, Unreached));
    switch (task.kind) {
      case AI_TASK_PROTECT_REGION:
        score += a.strength + bonus + (in_place ? 2000.0f : 0.0f) + (is_land ? 500.0f : 0.0f);
        break;
      case AI_TASK_CONQUER_REGION:
        strength = bonus > 0 ? bonus : cache.m_Strength_Against(a.unit_type, a.cargo_list, task.region);
        if (is_air) strength *= 0.1f;
        score += strength;
        break;
      case AI_TASK_DAMAGE_REGION:
        score = task.score + float(t->f_ranged_fire_damage_min) + float(t->f_ranged_fire_damage_max) +
                float(t->f_ranged_fire_region_value_damage_min) + float(t->f_ranged_fire_region_value_damage_max);
        break;
      case AI_TASK_DESTROY_ENEMY:
        strength = cache.m_Strength_Against(a.unit_type, a.cargo_list, task.region);
        score += strength;
        break;
      case AI_TASK_TAKE_EMPTY_REGION:
        score += bonus;
        break;
      case AI_TASK_FILL_TRANSPORT: {
        const TMap_Unit_Record& tr = cache.m_Transport(ti, object.subject);
        strength = float(cargo_size);
        const TMap_Region* at = G_Map->m_Get_Region(tr.region);
        score = task.score;
        if (at && (at->m_Get_Type() == REGION_LAND || is_air || Is_Sea(mt)))
          score += 1000.0f - float(cost_at(tr.region));
        break;
      }
      case AI_TASK_MOVE_TRANSPORT:
        strength = 1;
        score += 1000.0f - float(std::min(c, Unreached));
        break;
      default:
        break;
    }
    if (strength > 0) AI_Add_Assignment(ti, asset_index, 0, via, strength, score);
  }
}

// A pair in the sorted list with its score (a score that is not a number
// sorts last, so that the order stays a strict one).
struct TPair_Key {
  float score;
  std::int32_t pair;
};

float Sort_Score(float score) { return std::isnan(score) ? -std::numeric_limits<float>::infinity() : score; }

// Highest score first; equal scores in pair order, so that the order is the
// same in every run.
bool Before(const TPair_Key& x, const TPair_Key& y) {
  return x.score > y.score || (!(y.score > x.score) && x.pair < y.pair);
}

// All pairs, highest score first; equal scores in pair order.
void Sort_Pairs() {
  const std::size_t n = AI.assignments.size();
  AI.sorted_assignments.resize(n);
  if (n < 4096) {
    std::vector<TPair_Key> keys(n);
    for (std::size_t i = 0; i < n; ++i) keys[i] = {Sort_Score(AI.assignments[i].score), std::int32_t(i + 1)};
    std::sort(keys.begin(), keys.end(), Before);
    for (std::size_t i = 0; i < n; ++i) AI.sorted_assignments[i] = keys[i].pair;
    return;
  }
  // Many pairs (a player with hundreds of units): a stable radix sort of
  // the pairs in pair order by a 32-bit key that orders like the scores,
  // highest first.
  std::vector<std::uint32_t> key(n);
  for (std::size_t i = 0; i < n; ++i) {
    float f = Sort_Score(AI.assignments[i].score);
    if (f == 0) f = 0;  // -0 and +0 are equal scores
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    u = (u & 0x80000000u) ? ~u : (u | 0x80000000u);  // ascending like the floats
    key[i] = ~u;                                     // descending
  }
  // Three passes of 11 bits; the three digit counts fit the first-level
  // cache and are made in one walk.
  constexpr int Digit_Bits = 11;
  constexpr std::uint32_t Digits = 1u << Digit_Bits, Mask = Digits - 1;
  std::vector<std::uint32_t> start(3 * Digits, 0);
  for (std::size_t i = 0; i < n; ++i)
    for (int d = 0; d < 3; ++d) ++start[d * Digits + ((key[i] >> (d * Digit_Bits)) & Mask)];
  for (int d = 0; d < 3; ++d) {
    std::uint32_t sum = 0;
    for (std::uint32_t k = 0; k < Digits; ++k) {
      const std::uint32_t c = start[d * Digits + k];
      start[d * Digits + k] = sum;
      sum += c;
    }
  }
  std::vector<std::int32_t> from(n), to(n);
  for (std::size_t i = 0; i < n; ++i) from[i] = std::int32_t(i);
  for (int d = 0; d < 3; ++d) {
    std::uint32_t* next = &start[std::size_t(d) * Digits];
    for (const std::int32_t i : from) to[next[(key[std::size_t(i)] >> (d * Digit_Bits)) & Mask]++] = i;
    from.swap(to);
  }
  for (std::size_t i = 0; i < n; ++i) AI.sorted_assignments[i] = from[i] + 1;
}

// The sorted pairs again after the pairs marked in `changed` got a new
// score: the order Sort_Pairs would give. The unchanged pairs stay in
// order, so only the changed ones are sorted and both runs merge in one
// pass.
void Resort_Changed_Pairs(const std::vector<bool>& changed, std::vector<std::int32_t>& order) {
  std::vector<TPair_Key> kept, moved;
  kept.reserve(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    const std::int32_t p = order[i];
    const TPair_Key key{Sort_Score(AI.assignments[std::size_t(p - 1)].score), p};
    (changed[std::size_t(p - 1)] ? moved : kept).push_back(key);
  }
  if (moved.empty()) return;
  std::sort(moved.begin(), moved.end(), Before);
  std::size_t out = 0;
  auto k = kept.begin(), m = moved.begin();
  while (k != kept.end() || m != moved.end()) {
    const bool take_moved = k == kept.end() || (m != moved.end() && Before(*m, *k));
    order[out++] = (take_moved ? m++ : k++)->pair;
  }
}

TAI_Task& Task(std::int32_t i) { return AI.tasks[std::size_t(i - 1)]; }
TAI_Asset& Asset(std::int32_t i) { return AI.assets[std::size_t(i - 1)]; }
}  // namespace

void Set_AI_Order_Function(TAI_Order_Function function) { Order_Function = function ? function : &AI_Execute_Order; }

std::int32_t AI_Add_Assignment(std::int32_t task, std::int32_t asset, std::int32_t spare, std::int32_t via_region,
                               float strength, float score) {
  TAI_Assignment p;
  p.task = task;
  p.asset = asset;
  p.spare = spare;
  p.via_region = via_region;
  p.strength = strength;
  p.score = score;
  AI.assignments.push_back(p);
  return std::int32_t(AI.assignments.size());
}

void AI_Create_Assignments(std::uint8_t player) {
  AI_Log("--- Create Assignments ---");
  AI.assignments.clear();
  AI.sorted_assignments.clear();
  if (AI.tasks.empty() || AI.assets.empty()) return;
  TPair_Cache cache;
  cache.player = player;
  for (std::int32_t a = 1; a <= std::int32_t(AI.assets.size()); ++a) Make_Pairs(player, a, cache);
}

void AI_Sort_Assignments(std::uint8_t) {
  AI_Log("--- Sort Assignments ---");
  Sort_Pairs();
}

namespace {
// Hands out the assets in the order of the pairs in `order` (up to four
// sweeps; the assets of tasks that fell short go back after each).
void Assign_Sweeps(std::vector<std::int32_t>& order) {
  for (int sweep = 0; sweep < 4; ++sweep) {
    bool assigned = false;
    // Once every asset has its task the rest of the sweep has nothing to
    // hand out.
    std::int64_t free_assets = 0;
    for (const TAI_Asset& a : AI.assets) free_assets += a.task == 0;
    for (std::int32_t p : order) {
      if (free_assets == 0) break;
      TAI_Assignment& pair = AI.assignments[std::size_t(p - 1)];
      TAI_Asset& asset = Asset(pair.asset);
      TAI_Task& task = Task(pair.task);
      if (asset.task != 0) continue;
      if (task.done && task.assigned_strength >= task.wanted_max_strength) continue;
      --free_assets;
      task.asset_count += 1;
      asset.assignment = p;
      asset.task = pair.task;
      asset.place = task.asset_count;
      task.assigned_strength += pair.strength;
      if (task.assigned_strength >= task.required_strength) task.done = true;
      assigned = true;
      if (AI_Log_On()) {
        AI_Log(AI_Task_Kind_Name(task.kind) + " (" + G_Map->m_Get_Region_Name(task.region) + ") - " +
               AI_Float_Text(pair.score));
        AI_Log("  Task ID:            " + std::to_string(pair.task));
        AI_Log("  Asset ID:           " + std::to_string(pair.asset));
        AI_Log("  Required Strength:  " + AI_Float_Text(task.required_strength));
        AI_Log("  Wanted Max Str:     " + AI_Float_Text(task.wanted_max_strength));
        AI_Log("  Asset Strength:     " + AI_Float_Text(asset.strength));
        AI_Log("  Assigned Strength:  " + AI_Float_Text(task.assigned_strength));
        AI_Log("  Asset Str For Task: " + AI_Float_Text(pair.strength));
        if (task.done) AI_Log("  TASK ASSIGNED");
      }
    }
    // Assets of tasks that fell short go back.
    std::vector<bool> changed;
    for (std::int32_t a = 1; a <= std::int32_t(AI.assets.size()); ++a) {
      TAI_Asset& asset = Asset(a);
      if (asset.task == 0 || Task(asset.task).done) continue;
      if (changed.empty()) changed.assign(AI.assignments.size(), false);
      AI_Log("  Task Assets Cleared - Task: " + std::to_string(asset.task) + "   Asset: " + std::to_string(a));
      TAI_Assignment& pair = AI.assignments[std::size_t(asset.assignment - 1)];
      Task(asset.task).assigned_strength -= pair.strength;
      Task(asset.task).asset_count -= 1;
      pair.score = -20000;
      changed[std::size_t(asset.assignment - 1)] = true;
      asset.assignment = asset.task = asset.place = 0;
    }
    AI_Log("--- Sort Assignments ---");
    // Without a pair that changed its score the order stands as it is.
    if (!changed.empty()) Resort_Changed_Pairs(changed, order);
    if (!assigned) break;
  }
}

bool Is_Asset(std::int32_t unit) {
  return std::any_of(AI.assets.begin(), AI.assets.end(), [&](const TAI_Asset& a) { return a.unit == unit; });
}

// Transports the pass left waiting take part as assets of their own: a
// transport whose move task has no other asset to serve it, and a
// transport with cargo that no unit is coming to fill this pass (waiting
// longer gains nothing: the units it carries should go to work). Their
// pairs are handed out after all others.
void Sail_Waiting_Transports(std::uint8_t player, TPair_Cache& cache) {
  const std::size_t first_pair = AI.assignments.size();
  for (std::int32_t ti = 1; ti <= std::int32_t(AI.tasks.size()); ++ti) {
    const TAI_Task& task = AI.tasks[std::size_t(ti - 1)];
    if (task.kind != AI_TASK_MOVE_TRANSPORT && task.kind != AI_TASK_FILL_TRANSPORT) continue;
    if (task.object < 1 || task.object > std::int32_t(AI.objects.size())) continue;
    const std::int32_t transport = AI.objects[std::size_t(task.object - 1)].subject;
    TMap_Unit_Record u;
    G_Map->m_Get_Unit(transport, u);
    if (u.id == 0 || u.owner != player || u.region < 1 || G_Map->m_Is_Combat_Region(u.region)) continue;
    if (task.kind == AI_TASK_FILL_TRANSPORT && (task.asset_count > 0 || u.cargo_list == 0)) continue;
    if (Is_Asset(transport)) continue;
    const std::int32_t a = AI_Add_Asset(transport, player, u.region, u.unit_type, u.cargo_list, u.moves,
                                        AI_Unit_Strength(u.unit_type, u.cargo_list, false));
    Make_Pairs(player, a, cache);
  }
  if (AI.assignments.size() == first_pair) return;
  std::vector<TPair_Key> keys;
  for (std::size_t i = first_pair; i < AI.assignments.size(); ++i)
    keys.push_back({Sort_Score(AI.assignments[i].score), std::int32_t(i + 1)});
  std::sort(keys.begin(), keys.end(), Before);
  std::vector<std::int32_t> order;
  for (const TPair_Key& k : keys) order.push_back(k.pair);
  Assign_Sweeps(order);
  // The whole list stays sorted for whoever reads it after.
  Sort_Pairs();
}
}  // namespace

void AI_Assign_Tasks(std::uint8_t player) {
  Assign_Sweeps(AI.sorted_assignments);
  if (G_Map && !(G_Empire_List && G_Empire_List->m_Is_Neutral(player))) {
    TPair_Cache cache;
    cache.player = player;
    Sail_Waiting_Transports(player, cache);
  }
  AI.task_cursor = 0;
}

void AI_Add_Cargo_Assets(std::int32_t cargo_list, std::int32_t task, std::int32_t pair, std::int32_t region) {
  std::int32_t added = 0;
  const std::size_t first_new = AI.assets.size();
  for (std::int32_t i = 1; i <= G_Map->m_Get_Cargo_Count(cargo_list); ++i) {
    TMap_Unit_Record u;
    G_Map->m_Get_Unit(G_Map->m_Get_Cargo_Unit(cargo_list, i), u);
    if (u.id == 0 || u.owner == 0) continue;
    const std::int32_t a = AI_Add_Asset(u.id, u.owner, region, u.unit_type, 0, u.moves, 1000);
    Asset(a).assignment = pair;
    Asset(a).task = task;
    Asset(a).place = ++added;
  }
  // Every asset of the task, the new ones too, moves back by the number added.
  for (std::size_t i = 0; i < AI.assets.size(); ++i)
    if (AI.assets[i].task == task) AI.assets[i].place += added;
  (void)first_new;
}

bool AI_Execute_Next_Order(std::uint8_t player) {
  AI.task_cursor += 1;
  const std::int32_t count = std::int32_t(AI.sorted_tasks.size());
  std::vector<std::int32_t> pending;
  std::int32_t task_index = 0;
  for (; AI.task_cursor >= 1 && AI.task_cursor <= count; ++AI.task_cursor) {
    task_index = AI.sorted_tasks[std::size_t(AI.task_cursor - 1)];
    if (!Task(task_index).done) continue;
    for (std::int32_t a = 1; a <= std::int32_t(AI.assets.size()); ++a)
      if (Asset(a).task == task_index && !Asset(a).ordered) pending.push_back(a);
    if (!pending.empty()) break;
  }
  if (pending.empty()) return false;
  TAI_Task& task = Task(task_index);
  // In order of place; assets with a place beyond the task's count (cargo
  // units that joined later) follow in table order instead of dropping out.
  std::stable_sort(pending.begin(), pending.end(),
                   [](std::int32_t x, std::int32_t y) { return Asset(x).place < Asset(y).place; });

  const std::int32_t ai = pending.front();
  pending.erase(pending.begin());
  Asset(ai).ordered = true;
  // A copy: the cargo of an unloading transport joins the asset table below,
  // which may move the table's entries.
  const TAI_Asset a = Asset(ai);
  TMap_Unit_Record unit;
  G_Map->m_Get_Unit(a.unit, unit);
  const TUnit_Type* t = World_Unit_Type(a.unit_type);
  std::int32_t source = a.region;
  std::int32_t target = task.region;
  std::vector<std::int32_t> units{a.unit};
  std::uint8_t kind = ORDER_MOVE;
  bool towards = false, gather = false;
  // Cargo that joins the task as assets of its own is ordered next.
  bool cargo_joined = false;
  const bool has_cargo = unit.cargo_list != 0;
  const bool cargo_fights = t && t->f_transported_units_participate_in_combat;
  const bool connected = [&] {
    const TMap_Region* r = G_Map->m_Get_Region(source);
    return r && r->m_Is_Connected_To(target);
  }();
  auto put_back_once = [&](std::int32_t index) {
    if (Asset(index).moved != 0) return;
    Asset(index).moved = 1;
    Asset(index).ordered = false;
    pending.insert(pending.begin(), index);
  };
  switch (task.kind) {
    case AI_TASK_PROTECT_REGION:
      kind = ORDER_MOVE;
      towards = true;
      gather = true;
      if (has_cargo && !cargo_fights) {
        gather = false;
        if (source == target)
          kind = ORDER_UNLOAD;
        else if (connected && unit.moves > 0)
          kind = ORDER_LAND;
      }
      break;
    case AI_TASK_CONQUER_REGION:
    case AI_TASK_DESTROY_ENEMY: {
      kind = ORDER_ATTACK;
      gather = true;
      const std::uint8_t m = AI_Cargo_Air_Moves(unit.cargo_list);
      if (has_cargo && (task.kind == AI_TASK_CONQUER_REGION || m > 0)) {
        gather = false;
        if (cargo_fights || task.kind == AI_TASK_DESTROY_ENEMY) {
          if (m > 0 && m / 2 < G_Map->m_Get_Region_Distance(source, target, player, false, 0)) {
            kind = ORDER_MOVE;
            towards = true;
          } else if (m > 0 || cargo_fights) {
            kind = ORDER_UNLOAD;
            const std::size_t before = AI.assets.size();
            AI_Add_Cargo_Assets(unit.cargo_list, task_index, a.assignment, a.region);
            cargo_joined = AI.assets.size() > before;
          }
        } else if (connected && unit.moves > 0) {
          kind = ORDER_LAND;
        } else {
          kind = ORDER_MOVE;
          towards = true;
        }
      }
      break;
    }
    case AI_TASK_DAMAGE_REGION:
      kind = ORDER_BOMBARD;
      break;
    case AI_TASK_TAKE_EMPTY_REGION:
      kind = ORDER_ATTACK;
      towards = true;
      gather = true;
      if (has_cargo && !cargo_fights) {
        gather = false;
        source = unit.region;
        const TMap_Region* r = G_Map->m_Get_Region(source);
        const bool next_to = r && r->m_Is_Connected_To(target);
        if (source == target)
          kind = ORDER_UNLOAD;
        else if (t && Is_Sea(t->f_movement_type) && next_to && unit.moves > 0)
          kind = ORDER_LAND;
        else
          kind = ORDER_MOVE;
        put_back_once(ai);
      }
      break;
    case AI_TASK_VIEW_FROM_REGION:
      kind = ORDER_MOVE;
      gather = true;
      break;
    case AI_TASK_FILL_TRANSPORT: {
      const TAI_Object& o = AI.objects[std::size_t(task.object - 1)];
      TMap_Unit_Record tr;
      G_Map->m_Get_Unit(o.subject, tr);
      source = unit.region;
      const TMap_Region* tr_region = G_Map->m_Get_Region(tr.region);
      const bool at_sea_next = tr_region && tr_region->m_Get_Type() == REGION_OCEAN &&
                               tr_region->m_Is_Connected_To(source) && AI_Region(source).region_type == REGION_LAND;
      if ((tr.region == source || at_sea_next) && tr.owner == unit.owner && tr.id != 0) {
        kind = ORDER_LOAD;
        units = {tr.id, a.unit};
      } else {
        kind = ORDER_MOVE;
        towards = true;
        const std::int32_t via = AI.assignments[std::size_t(a.assignment - 1)].via_region;
        target = via != 0 ? via : tr.region;
        put_back_once(ai);
      }
      break;
    }
    case AI_TASK_MOVE_TRANSPORT:
      kind = ORDER_MOVE;
      towards = true;
      gather = true;
      break;
    case AI_TASK_PROTECT_SEA_UNITS: {
      kind = ORDER_MOVE;
      towards = true;
      gather = true;
      const TAI_Object& o = AI.objects[std::size_t(task.object - 1)];
      TMap_Unit_Record sea;
      G_Map->m_Get_Unit(o.subject, sea);
      if (sea.id != 0 && sea.region != 0) target = sea.region;
      break;
    }
    default:
      break;
  }
  if (gather) {
    for (auto it = pending.begin(); it != pending.end();) {
      TAI_Asset& other = Asset(*it);
      TMap_Unit_Record ou;
      G_Map->m_Get_Unit(other.unit, ou);
      if (ou.id != 0 && ou.region == source && ou.unit_type == a.unit_type) {
        units.push_back(other.unit);
        other.ordered = true;
        it = pending.erase(it);
      } else {
        ++it;
      }
    }
  }
  G_Map->m_Get_Unit(a.unit, unit);
  const bool useless_move = kind == ORDER_MOVE && target == unit.region;
  if (unit.owner == player && !useless_move && Game_Settings.f_turn_empire == player) {
    AI.order_issued = true;
    AI.last_order_id = Order_Function(player, kind, towards, units, target, source);
  }
  if (!pending.empty() || cargo_joined) AI.task_cursor -= 1;
  return true;
}
