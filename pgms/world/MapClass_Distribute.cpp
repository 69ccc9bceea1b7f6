// The starting distribution of a new game: every land region gets a value,
// each nation a start region spaced from the others by distance over land
// and further regions beside it or anywhere, a total starting value spread
// over its regions and its starting forces; the neutral empire occupies a
// share of the free land with its own forces.
#include <algorithm>
#include <vector>

#include "Datafile_BaseGameSettings.h"
#include "Empire.h"
#include "Errors.h"
#include "GameSettings.h"
#include "Global.h"
#include "MapClass.h"
#include "World_Unit_Facts.h"

namespace {
// A region a nation or the neutral empire can be given: an existing land
// region that can be shown (it has squares). The squares, not the picture
// rectangles they are made from, are kept in the map's file, so a world read
// from a stored map is distributed as a freshly generated one.
bool Eligible(const TMap_Region* r) { return r && r->m_Get_Type() == REGION_LAND && r->m_Get_Square_Count() > 0; }

bool Is_Nation(const TEmpire* e) { return e && !e->m_Get_Neutral(); }

// The value of a setting by level 1, 2 or 3; 0 for another level.
std::int32_t By_Level(std::uint8_t level, std::int32_t small, std::int32_t medium, std::int32_t large) {
  switch (level) {
    case 1: return small;
    case 2: return medium;
    case 3: return large;
    default: return 0;
  }
}

std::uint8_t Movement_Moves(const TUnit_Type& t) {
  return std::uint8_t(std::clamp<std::int32_t>(t.f_movement_amount, 0, 255));
}
}  // namespace

bool TMap::m_Distribute_Start() {
  const TBase_Game_Settings& base = Base_Game_Settings;
  const std::int32_t empire_count = G_Empire_List ? G_Empire_List->m_Get_Count() : 0;
  const std::int32_t player_count = std::min<std::int32_t>(Game_Settings.f_player_count, empire_count);
  auto empire = [&](std::int32_t n) { return G_Empire_List ? G_Empire_List->m_Get_Empire(n) : nullptr; };
  // A unit stands in the region asked for when its stack has room there,
  // else in the owner's first other region with room; a unit that fits
  // nowhere is not created (it could never be seen, moved or disbanded).
  auto add_units = [&](std::int32_t region, std::uint16_t type, std::uint8_t owner, std::uint8_t moves,
                       std::int32_t amount) {
    for (std::int32_t k = 0; k < amount; ++k) {
      const std::int32_t id = m_Add_Unit(region, type, owner, moves, 0);
      if (m_Get_Region(region)->m_Add_Unit(id)) continue;
      std::int32_t placed = 0;
      for (std::int32_t other = 1; other <= f_region_count && placed == 0; ++other) {
        TMap_Region* r = m_Get_Region(other);
        if (other == region || !r || r->m_Get_Owner() != owner) continue;
        if (r->m_Add_Unit(id)) placed = other;
      }
      if (placed != 0) {
        m_Set_Unit_Region(id, placed);
        continue;
      }
      // Never created: the record goes, and so does its count as bought.
      if (TEmpire* e = owner != 0 ? Empire_Get(owner) : nullptr) e->m_Count_Unit_Bought(type, -1);
      m_Free_Slot(id);
      m_Update_Upkeep_Of(owner);
    }
  };

  // 1. Reset and region values.
  for (std::int32_t i = 1; i <= f_region_count; ++i) {
    TMap_Region* r = m_Get_Region(i);
    if (!r) continue;
    r->m_Clear_Units();
    r->m_Set_Owner(0);
    r->m_Set_Value(0);
    if (r->m_Get_Type() == REGION_LAND) r->m_Set_Value(Random_Range(base.f_region_value_low, base.f_region_value_high));
  }

  // 2. Start regions.
  std::vector<std::int32_t> candidates;
  for (std::int32_t i = 1; i <= f_region_count; ++i) {
    const TMap_Region* r = m_Get_Region(i);
    if (!Eligible(r)) continue;
    for (std::int32_t c = 1; c <= r->m_Get_Connection_Count(); ++c) {
      const TMap_Region* other = m_Get_Region(r->m_Get_Connection(c));
      if (other && other->m_Get_Type() == REGION_LAND) {
        candidates.push_back(i);
        break;
      }
    }
  }
  std::vector<std::int32_t> start(std::size_t(empire_count) + 1, 0);
  // Land distances from the start region of each earlier nation, computed
  // on demand (-1 while not yet known).
  std::vector<std::vector<std::int32_t>> distance(std::size_t(empire_count) + 1);
  auto land_distance = [&](std::int32_t nation, std::int32_t region) {
    std::vector<std::int32_t>& cache = distance[std::size_t(nation)];
    if (cache.empty()) cache.assign(std::size_t(f_region_count) + 1, -1);
    std::int32_t& d = cache[std::size_t(region)];
    if (d < 0) d = m_Get_Region_Distance(start[std::size_t(nation)], region, 0, false, REGION_LAND);
    return d;
  };
  bool first_nation = true;
  for (std::int32_t e = 1; e <= empire_count; ++e) {
    if (!Is_Nation(empire(e))) continue;
    std::int32_t chosen = 0;
    if (first_nation) {
      if (!candidates.empty()) chosen = candidates[std::size_t(Random_Range(1, std::int32_t(candidates.size())) - 1)];
      first_nation = false;
    } else {
      std::vector<std::int32_t> spaced;
      // A land distance is below the region count or unreachable: every
      // threshold from the region count up to the unreachable distance
      // leaves the same candidates, so the search starts at most there.
      const std::int32_t from = std::min(base.f_nation_minimum_starting_distance, f_region_count);
      for (std::int32_t t = from; t >= 0 && chosen == 0; --t) {
        spaced.clear();
        for (std::int32_t c : candidates) {
          if (m_Get_Region(c)->m_Get_Owner() != 0) continue;
          bool far = true;
          for (std::int32_t earlier = 1; earlier < e && far; ++earlier)
            if (start[std::size_t(earlier)] != 0) far = land_distance(earlier, c) > t;
          if (far) spaced.push_back(c);
        }
        if (!spaced.empty()) chosen = spaced[std::size_t(Random_Range(1, std::int32_t(spaced.size())) - 1)];
      }
    }
    if (chosen == 0) continue;
    start[std::size_t(e)] = chosen;
    m_Get_Region(chosen)->m_Set_Owner(std::uint8_t(e));
  }

  // 3. Further starting regions.
  const std::uint8_t size = Game_Settings.f_nation_size_level;
  const std::int32_t extra =
      (size == 2 || size == 3)
          ? Checked_Sub(By_Level(size, 0, base.f_starting_nation_size_medium, base.f_starting_nation_size_large), 1)
          : 0;
  auto free_eligible = [&](std::int32_t id) {
    const TMap_Region* r = m_Get_Region(id);
    return Eligible(r) && r->m_Get_Owner() == 0;
  };
  if (extra >= 1) {
    if (Game_Settings.f_setup_option_1) {
      for (std::int32_t e = 1; e <= empire_count; ++e) {
        if (!Is_Nation(empire(e))) continue;
        std::int32_t budget = extra;
        bool gave = true;
        while (budget > 0 && gave) {
          gave = false;
          for (std::int32_t i = 1; i <= f_region_count && budget > 0; ++i) {
            const TMap_Region* r = m_Get_Region(i);
            if (!r || r->m_Get_Owner() != e) continue;
            for (std::int32_t c = 1; c <= r->m_Get_Connection_Count() && budget > 0; ++c) {
              const std::int32_t id = r->m_Get_Connection(c);
              if (!free_eligible(id)) continue;
              m_Get_Region(id)->m_Set_Owner(std::uint8_t(e));
              --budget;
              gave = true;
            }
          }
        }
      }
    } else {
      for (std::int32_t e = 1; e <= player_count; ++e) {
        if (!Is_Nation(empire(e))) continue;
        std::int32_t budget = extra;
        for (std::int32_t draw = 1; draw <= 5001 && budget > 0; ++draw) {
          const std::int32_t id = Random_Range(1, f_region_count);
          if (!free_eligible(id)) continue;
          m_Get_Region(id)->m_Set_Owner(std::uint8_t(e));
          --budget;
        }
      }
    }
  }

  auto regions_of = [&](std::int32_t owner) {
    std::vector<std::int32_t> ids;
    for (std::int32_t i = 1; i <= f_region_count; ++i)
      if (const TMap_Region* r = m_Get_Region(i); r && r->m_Get_Owner() == owner) ids.push_back(i);
    return ids;
  };

  // 4. Starting values: at most 15 per region.
  for (std::int32_t e = 1; e <= player_count; ++e) {
    if (!Is_Nation(empire(e))) continue;
    std::int32_t total = By_Level(size, base.f_nation_total_starting_value_size_small,
                                  base.f_nation_total_starting_value_size_medium,
                                  base.f_nation_total_starting_value_size_large);
    const std::vector<std::int32_t> own = regions_of(e);
    for (std::int32_t id : own) m_Get_Region(id)->m_Set_Value(0);
    if (own.empty()) continue;
    for (std::int32_t pass = 1; pass <= 10001 && total >= 1; ++pass)
      for (std::int32_t id : own) {
        TMap_Region* r = m_Get_Region(id);
        const std::int32_t v = std::min({Random_Range(1, 3), total, 15 - r->m_Get_Value()});
        if (v <= 0) continue;
        r->m_Set_Value(r->m_Get_Value() + v);
        total -= v;
      }
  }

  // 5. The neutral empire's share of the free land.
  std::vector<std::int32_t> free_land;
  for (std::int32_t i = 1; i <= f_region_count; ++i)
    if (free_eligible(i)) free_land.push_back(i);
  const std::int64_t n = std::int64_t(free_land.size());
  const std::int64_t low = n * std::int64_t(base.f_neutral_territories_to_occupy_percent_min) / 100;
  const std::int64_t high = n * std::int64_t(base.f_neutral_territories_to_occupy_percent_max) / 100;
  if (low < INT32_MIN || low > INT32_MAX || high < INT32_MIN || high > INT32_MAX) throw EIntOverflow();
  const std::int32_t occupy = Random_Range(std::int32_t(low), std::int32_t(high));
  std::int32_t neutral = 0;
  for (std::int32_t e = 1; e <= empire_count; ++e)
    if (empire(e) && empire(e)->m_Get_Neutral()) neutral = e;
  if (occupy > 0 && neutral != 0) {
    for (std::int32_t k = 1; k <= occupy; ++k) {
      const std::int32_t id = free_land[std::size_t(Random_Range(1, std::int32_t(n)) - 1)];
      m_Get_Region(id)->m_Set_Owner(std::uint8_t(neutral));
      for (const Neutral_Starting_Force& force : base.f_neutral_starting_forces) {
        if (force.f_chance < Random_Range(1, 100)) continue;
        const std::int32_t m = Random_Range(force.f_min_amount, force.f_max_amount);
        const std::int32_t type = Unit_Type_List ? Unit_Type_List->m_Find_By_Internal_Name(force.f_unit_name) : 0;
        if (type > 0 && m > 0) add_units(id, std::uint16_t(type), std::uint8_t(neutral), 0, m);
      }
    }
  }

  // 6. The nations' starting forces.
  const std::uint8_t forces_level = Game_Settings.f_starting_forces_level;
  for (std::int32_t e = 1; e <= player_count; ++e) {
    if (!Is_Nation(empire(e)) || forces_level < 1 || forces_level > 3) continue;
    const std::vector<Starting_Force>& forces = base.f_starting_forces[forces_level - 1];
    const std::vector<std::int32_t> own = regions_of(e);
    if (forces.empty() || own.empty()) continue;
    for (const Starting_Force& force : forces) {
      const std::int32_t type = Unit_Type_List ? Unit_Type_List->m_Find_By_Internal_Name(force.f_unit_name) : 0;
      if (type <= 0 || force.f_amount <= 0) continue;
      const std::uint8_t moves = Movement_Moves(*World_Unit_Type(type));
      const std::uint16_t t = std::uint16_t(type);
      if (force.f_placement == PLACEMENT_SPREAD_EVENLY) {
        for (std::int32_t k = 1; k <= force.f_amount; ++k) {
          std::vector<std::int32_t> fewest;
          std::int32_t least = INT32_MAX;
          for (std::int32_t id : own) {
            const std::int32_t c = m_Get_Region(id)->m_Count_Units_Of_Type(std::uint8_t(e), t);
            if (c < least) {
              least = c;
              fewest.clear();
            }
            if (c == least) fewest.push_back(id);
          }
          add_units(fewest[std::size_t(Random_Range(1, std::int32_t(fewest.size())) - 1)], t, std::uint8_t(e), moves,
                    1);
        }
      } else if (force.f_placement == PLACEMENT_ALL_REGIONS) {
        for (std::int32_t k = 1; k <= force.f_amount; ++k)
          for (std::int32_t id : own) add_units(id, t, std::uint8_t(e), moves, 1);
      }
    }
  }

  // 7. Known regions, income and upkeep of every empire.
  for (std::int32_t e = 1; e <= empire_count; ++e)
    if (TEmpire* em = empire(e)) {
      em->m_Update_Known_Regions();
      em->m_Update_Income();
      em->m_Update_Upkeep();
    }
  return true;
}
