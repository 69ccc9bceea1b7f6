// Questions about the region graph of the world map: step distances, the
// nearest owned region, the nearest transport with room, move ranges, reach
// over terrain and paths.
//
// Every search walks level by level: the regions of one level are taken in
// id order and their connections in stored order, so that the first of
// equal answers is always the same. A connection counts only when its id is
// a region of the map. The searches share the map's scratch arrays (one
// mark and one flag per region, sized to the current region count), so
// they never nest.
#include <algorithm>

#include "Empire.h"
#include "Errors.h"
#include "MapClass.h"
#include "World_Unit_Facts.h"

namespace {
// Whether a unit of the movement type may enter a region of the kind:
// land admits air, land and space units, ocean air, sea-surface, undersea
// and space units; other kinds admit none.
bool Kind_Admits(std::uint8_t region_kind, std::uint8_t movement_type) {
  switch (region_kind) {
    case REGION_LAND: return movement_type == 1 || movement_type == 2 || movement_type == 5;
    case REGION_OCEAN: return movement_type == 1 || movement_type == 3 || movement_type == 4 || movement_type == 5;
    default: return false;
  }
}

bool Is_Foreign(std::uint8_t owner, std::uint8_t player) { return owner != 0 && owner != player; }

// The next level's regions in id order.
void Next_Level(std::vector<std::int32_t>& level, std::vector<std::int32_t>& next) {
  std::sort(next.begin(), next.end());
  level.swap(next);
  next.clear();
}
}  // namespace

void TMap::m_Mark_Distances(std::int32_t from, std::int32_t to, std::uint8_t player, bool owner_rule,
                            std::uint8_t region_kind) {
  m_Ensure_Search_Arrays();
  std::fill(f_search_marks.begin(), f_search_marks.end(), 0);
  f_search_marks[std::size_t(from)] = 1;
  std::vector<std::int32_t> level{from}, next;
  for (std::int32_t p = 1; !level.empty(); ++p) {
    for (std::int32_t id : level) {
      const TMap_Region* r = m_Get_Region(id);
      if (!r) continue;
      if (owner_rule && r->m_Get_Owner() != player) {
        if (r->m_Get_Owner() != 0) continue;
        std::uint8_t o1, o2;
        r->m_Get_Unit_Owners(o1, o2);
        if (Is_Foreign(o1, player) || Is_Foreign(o2, player)) continue;
      }
      for (std::int32_t c : r->f_connections) {
        const TMap_Region* n = m_Get_Region(c);
        if (!n || f_search_marks[std::size_t(c)] != 0) continue;
        if (region_kind != 0 && n->m_Get_Type() != region_kind) continue;
        f_search_marks[std::size_t(c)] = Checked_Add(p, 1);
        next.push_back(c);
      }
    }
    if (to != 0 && f_search_marks[std::size_t(to)] != 0) return;
    Next_Level(level, next);
  }
}

std::int32_t TMap::m_Get_Region_Distance(std::int32_t from, std::int32_t to, std::uint8_t player, bool owner_rule,
                                         std::uint8_t region_kind) {
  // Region 0 (where a carried unit "stands") and ids beyond the map are
  // nowhere: never "distance 0".
  if (from < 1 || from > f_region_count || to < 1 || to > f_region_count) return Region_Distance_Unreachable;
  if (from == to) return 0;
  m_Mark_Distances(from, to, player, owner_rule, region_kind);
  const std::int32_t mark = f_search_marks[std::size_t(to)];
  return mark == 0 ? Region_Distance_Unreachable : mark - 1;
}

std::int32_t TMap::m_Find_Nearest_Owned_Region(std::int32_t from, std::uint8_t player, std::int32_t& region,
                                               std::uint8_t movement_type) {
  region = 0;
  const TMap_Region* start = m_Get_Region(from);
  if (!start) return Search_Unreachable;
  if (start->m_Get_Owner() == player) {
    region = from;
    return 0;
  }
  m_Ensure_Search_Arrays();
  std::fill(f_search_marks.begin(), f_search_marks.end(), -1);
  f_search_marks[std::size_t(from)] = 0;
  std::int32_t result = Search_Unreachable;
  std::vector<std::int32_t> level{from}, next;
  for (std::int32_t j = 0; !level.empty(); ++j) {
    bool found = false;
    for (std::int32_t id : level) {
      const TMap_Region* k = m_Get_Region(id);
      if (!k) continue;
      for (std::int32_t c : k->f_connections) {
        const TMap_Region* n = m_Get_Region(c);
        if (!n || f_search_marks[std::size_t(c)] != -1) continue;
        const std::uint8_t kind = n->m_Get_Type();
        if (movement_type != 0 && (kind == REGION_LAND || kind == REGION_OCEAN) && !Kind_Admits(kind, movement_type))
          continue;
        f_search_marks[std::size_t(c)] = j + 1;
        next.push_back(c);
        // A later owned region of the same level replaces an earlier one.
        if (n->m_Get_Owner() == player) {
          region = c;
          result = j + 1;
          found = true;
        }
      }
    }
    if (found) break;
    Next_Level(level, next);
  }
  return result;
}

std::int32_t TMap::m_Find_Transport(std::int32_t unit, std::int32_t& transport, std::int32_t& region) {
  transport = 0;
  region = 0;
  if (!m_Valid_Unit_Id(unit) || m_Unit_Ref(unit).id == 0) return Search_Unreachable;
  const TMap_Unit_Record u = m_Unit_Ref(unit);
  // A carried unit stands nowhere: it has no distance to any transport.
  if (u.region < 1 || u.region > f_region_count) return Search_Unreachable;
  bool marked = false;
  std::int32_t best = Search_Unreachable;
  for (std::int32_t i : f_owner_units[u.owner]) {
    if (i == unit) continue;
    const TMap_Unit_Record& t = f_units[std::size_t(i)];
    const TUnit_Type* type = World_Unit_Type(t.unit_type);
    if (!type || type->f_transporting_capacity <= 0) continue;
    // A transport carried inside another has no region to be reached in.
    if (t.region < 1 || t.region > f_region_count) continue;
    if (std::int64_t(m_Get_Cargo_Load(i)) + m_Get_Unit_Cargo_Size(unit, i) > type->f_transporting_capacity) continue;
    std::int32_t d;
    if (t.region == u.region) {
      d = 0;
    } else {
      // One walk from the unit's region answers every candidate.
      if (!marked) {
        m_Mark_Distances(u.region, 0, u.owner, true, 0);
        marked = true;
      }
      const std::int32_t mark = f_search_marks[std::size_t(t.region)];
      d = mark == 0 ? Region_Distance_Unreachable : mark - 1;
    }
    if (d < best) {
      best = d;
      transport = i;
      region = t.region;
    }
  }
  return best;
}

void TMap::m_Get_Move_Range(std::int32_t from, std::uint8_t movement_type, std::vector<std::int32_t>& steps,
                            std::vector<std::int32_t>& regions, std::int32_t mode, std::uint8_t player,
                            std::int32_t maximum_steps) {
  steps.clear();
  regions.clear();
  const TEmpire* empire = Empire_Get(player);
  if (!empire || from < 1 || from > f_region_count || maximum_steps <= 0) return;
  m_Ensure_Search_Arrays();
  constexpr std::int32_t unmarked = Search_Unreachable;
  std::fill(f_search_marks.begin(), f_search_marks.end(), unmarked);
  // The flag says whether the walk may go on from the region.
  std::fill(f_search_flags.begin(), f_search_flags.end(), 1);
  f_search_marks[std::size_t(from)] = 0;
  const bool may_end_among_foreigners = mode == 2 || mode == 9;
  std::vector<std::int32_t> level{from}, next;
  for (std::int32_t L = 0;; ++L) {
    bool productive = false;
    for (std::int32_t id : level) {
      const TMap_Region* r = m_Get_Region(id);
      if (!r || !f_search_flags[std::size_t(id)]) continue;
      for (std::int32_t c : r->f_connections) {
        const TMap_Region* n = m_Get_Region(c);
        if (!n || f_search_marks[std::size_t(c)] != unmarked) continue;
        bool enterable = Kind_Admits(n->m_Get_Type(), movement_type);
        // Regions the empire does not know are entered without a look at
        // their units.
        if (enterable && empire->m_Is_Region_Known(c)) {
          std::uint8_t o1, o2;
          n->m_Get_Unit_Owners(o1, o2);
          if (m_Is_Combat_Region(c)) {
            enterable = may_end_among_foreigners && (o1 == player || o2 == player);
            f_search_flags[std::size_t(c)] = 0;
          }
          if (enterable && (Is_Foreign(o1, player) || Is_Foreign(o2, player))) {
            if (mode == 1) {
              // Foreign units that take no part in combat do not block.
              enterable = !n->m_Has_Combat_Units();
            } else if (may_end_among_foreigners) {
              f_search_flags[std::size_t(c)] = 0;
            } else {
              enterable = false;
            }
          }
        }
        if (!enterable) continue;
        f_search_marks[std::size_t(c)] = L + 1;
        next.push_back(c);
        if (regions.size() < Search_Output_Limit) {
          regions.push_back(c);
          steps.push_back(L + 1);
          productive = true;
        }
      }
    }
    if (!productive || L + 1 >= maximum_steps) break;
    Next_Level(level, next);
  }
}

void TMap::m_Get_Reach_By_Terrain(std::int32_t from, std::int32_t terrain_mode, std::vector<std::int32_t>& regions,
                                  std::int32_t maximum_steps) {
  regions.clear();
  if (from < 1 || from > f_region_count || maximum_steps <= 0) return;
  m_Ensure_Search_Arrays();
  std::fill(f_search_marks.begin(), f_search_marks.end(), 0);
  f_search_marks[std::size_t(from)] = 1;
  const bool land = terrain_mode == 1 || terrain_mode == 2 || terrain_mode == 4;
  const bool ocean = terrain_mode == 1 || terrain_mode == 3 || terrain_mode == 4;
  std::vector<std::int32_t> level{from}, next;
  for (std::int32_t j = 0; j < maximum_steps; ++j) {
    bool productive = false;
    for (std::int32_t id : level) {
      const TMap_Region* r = m_Get_Region(id);
      if (!r) continue;
      for (std::int32_t c : r->f_connections) {
        const TMap_Region* n = m_Get_Region(c);
        if (!n || f_search_marks[std::size_t(c)] != 0) continue;
        const std::uint8_t kind = n->m_Get_Type();
        if (!((kind == REGION_LAND && land) || (kind == REGION_OCEAN && ocean))) continue;
        f_search_marks[std::size_t(c)] = j + 2;
        next.push_back(c);
        if (regions.size() < Search_Output_Limit) {
          regions.push_back(c);
          productive = true;
        }
      }
    }
    if (!productive) break;
    Next_Level(level, next);
  }
}

void TMap::m_Find_Path(std::int32_t from, std::int32_t to, std::vector<std::int32_t>& path, std::uint8_t player,
                       std::int32_t mode, const std::vector<std::int32_t>& allowed, std::int32_t allowed_count) {
  path.clear();
  if (allowed_count > std::int32_t(Search_Output_Limit) ||
      (allowed_count > 0 && std::size_t(allowed_count) > allowed.size()))
    throw ERangeError();
  const TEmpire* empire = Empire_Get(player);
  if (!empire || from < 1 || from > f_region_count || to < 1 || to > f_region_count || from == to ||
      allowed_count <= 0)
    return;
  m_Ensure_Search_Arrays();
  std::fill(f_search_marks.begin(), f_search_marks.end(), 0);
  // The flag marks the allowed regions.
  std::fill(f_search_flags.begin(), f_search_flags.end(), 0);
  for (std::int32_t i = 0; i < allowed_count; ++i) {
    const std::int32_t a = allowed[std::size_t(i)];
    if (a >= 1 && a <= f_region_count) f_search_flags[std::size_t(a)] = 1;
  }
  f_search_marks[std::size_t(from)] = 1;
  const bool may_end_among_foreigners = mode == 2 || mode == 9;
  constexpr std::int32_t max_passes = 101;
  bool reached = false;
  std::vector<std::int32_t> level{from}, next;
  for (std::int32_t p = 1; p <= max_passes && !reached && !level.empty(); ++p) {
    for (std::size_t k = 0; k < level.size() && !reached; ++k) {
      const TMap_Region* r = m_Get_Region(level[k]);
      if (!r) continue;
      for (std::int32_t c : r->f_connections) {
        const TMap_Region* n = m_Get_Region(c);
        if (!n || f_search_marks[std::size_t(c)] != 0 || !f_search_flags[std::size_t(c)]) continue;
        if (empire->m_Is_Region_Known(c)) {
          std::uint8_t o1, o2;
          n->m_Get_Unit_Owners(o1, o2);
          const bool target_open = may_end_among_foreigners && c == to;
          if (m_Is_Combat_Region(c) && !(target_open && (o1 == player || o2 == player))) continue;
          if ((Is_Foreign(o1, player) || Is_Foreign(o2, player)) && !target_open) continue;
        }
        f_search_marks[std::size_t(c)] = p + 1;
        next.push_back(c);
        if (c == to) {
          reached = true;
          break;
        }
      }
    }
    Next_Level(level, next);
  }
  if (!reached) return;

  // Back from the target along the smallest marks; the start is left out.
  std::int32_t current = to;
  while (current != from) {
    if (path.size() < Search_Output_Limit) path.push_back(current);
    const TMap_Region* r = m_Get_Region(current);
    std::int32_t best = 0, best_mark = 0;
    for (std::int32_t c : r->f_connections) {
      if (c < 1 || c > f_region_count) continue;
      const std::int32_t mark = f_search_marks[std::size_t(c)];
      if (mark > 0 && (best == 0 || mark < best_mark)) {
        best = c;
        best_mark = mark;
      }
    }
    if (best == 0) break;
    current = best;
  }
  std::reverse(path.begin(), path.end());
}

void TMap::m_Trim_Path(std::vector<std::int32_t>& path, std::uint8_t player) const {
  for (std::size_t i = 0; i < path.size(); ++i) {
    const TMap_Region* r = m_Get_Region(path[i]);
    if (!r) {
      path.resize(i);
      return;
    }
    std::uint8_t o1, o2;
    r->m_Get_Unit_Owners(o1, o2);
    if (Is_Foreign(o1, player) || Is_Foreign(o2, player) || m_Is_Combat_Region(path[i])) {
      path.resize(i + 1);
      return;
    }
  }
}
