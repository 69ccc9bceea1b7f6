// The computer player's picture of the world: unit-type facts, the region
// table as the player sees it, statistics, objects and assets.
#include <algorithm>

#include "AI_Log.h"
#include "AI_Main.h"
#include "Empire.h"
#include "Errors.h"
#include "EventLog.h"
#include "MapClass.h"
#include "World_Unit_Facts.h"

namespace {
const TAI_Region_Info Empty_Region_Info;

const TAI_Unit_Type_Info* Type_Info(std::int64_t unit_type) {
  if (unit_type < 1 || unit_type > std::int64_t(AI.unit_types.size())) return nullptr;
  return &AI.unit_types[std::size_t(unit_type - 1)];
}

bool Type_Enables_Purchases(std::int64_t unit_type) {
  const TAI_Unit_Type_Info* i = Type_Info(unit_type);
  return i && i->enables_purchases;
}

std::int32_t& Family_Slot(std::vector<std::int32_t>& table, std::uint16_t family) {
  if (table.size() <= family) table.resize(std::size_t(family) + 1, 0);
  return table[family];
}

// Step distance of every region to the nearest region the player owns (0
// for its own, Search_Unreachable when none), one walk from all of them.
void Fill_Distances(std::uint8_t player) {
  const std::int32_t n = G_Map->m_Get_Region_Count();
  std::vector<std::int32_t> level, next;
  for (std::int32_t i = 1; i <= n; ++i) {
    AI.regions[std::size_t(i - 1)].distance = Search_Unreachable;
    if (const TMap_Region* r = G_Map->m_Get_Region(i); r && r->m_Get_Owner() == player) {
      AI.regions[std::size_t(i - 1)].distance = 0;
      level.push_back(i);
    }
  }
  for (std::int32_t d = 1; !level.empty(); ++d) {
    for (std::int32_t id : level) {
      const TMap_Region* r = G_Map->m_Get_Region(id);
      for (std::int32_t k = 1; r && k <= r->m_Get_Connection_Count(); ++k) {
        const std::int32_t c = r->m_Get_Connection(k);
        if (c < 1 || c > n || !G_Map->m_Get_Region(c)) continue;
        TAI_Region_Info& info = AI.regions[std::size_t(c - 1)];
        if (info.distance != Search_Unreachable) continue;
        info.distance = d;
        next.push_back(c);
      }
    }
    level.swap(next);
    next.clear();
  }
}
}  // namespace

const TAI_Region_Info& AI_Region(std::int32_t region) {
  if (region < 1 || region > std::int32_t(AI.regions.size())) return Empty_Region_Info;
  return AI.regions[std::size_t(region - 1)];
}

float AI_Unit_Strength(std::int64_t unit_type, std::int32_t cargo_list, bool without_cargo) {
  const TUnit_Type* t = World_Unit_Type(unit_type);
  if (!t) return 0;
  float strength = World_Unit_Type_Strength(unit_type);
  if (cargo_list != 0 && !without_cargo && t->f_transported_units_participate_in_combat && G_Map) {
    const std::int32_t n = G_Map->m_Get_Cargo_Count(cargo_list);
    for (std::int32_t i = 1; i <= n; ++i) {
      TMap_Unit_Record u;
      G_Map->m_Get_Unit(G_Map->m_Get_Cargo_Unit(cargo_list, i), u);
      if (u.id != 0) strength += AI_Unit_Strength(u.unit_type, u.cargo_list, true);
    }
  }
  return strength;
}

float AI_Unit_Strength_Against(std::int64_t unit_type, std::int32_t cargo_list, std::int32_t region,
                               std::uint8_t attacker) {
  const TUnit_Type* t = World_Unit_Type(unit_type);
  if (!t) return 0;
  std::int32_t best = 0;
  // The attacker's own units standing there are not what it fights: judged
  // against them, a unit that cannot hurt the defenders looked able to.
  if (const TMap_Region* r = G_Map->m_Get_Region(region))
    for (std::int32_t i = 1; i <= r->m_Get_Unit_Count(); ++i) {
      TMap_Unit_Record u;
      G_Map->m_Get_Unit(r->m_Get_Unit_Id(i), u);
      if (attacker != 0 && u.owner == attacker) continue;
      const TUnit_Type* ut = World_Unit_Type(u.unit_type);
      if (ut) best = std::max(best, t->m_Get_Combat_Damage_Modifier(ut->f_combat_movement_type));
    }
  float strength = AI_Unit_Strength(unit_type, 0, true) * float(best) / 100.0f;
  if (cargo_list != 0)
    for (std::int32_t i = 1; i <= G_Map->m_Get_Cargo_Count(cargo_list); ++i) {
      TMap_Unit_Record u;
      G_Map->m_Get_Unit(G_Map->m_Get_Cargo_Unit(cargo_list, i), u);
      if (u.id != 0) strength += AI_Unit_Strength_Against(u.unit_type, 0, region, attacker);
    }
  return strength;
}

float AI_Region_Unit_Strength(std::int32_t region) {
  float s = 0;
  if (const TMap_Region* r = G_Map->m_Get_Region(region))
    for (std::int32_t i = 1; i <= r->m_Get_Unit_Count(); ++i) {
      TMap_Unit_Record u;
      G_Map->m_Get_Unit(r->m_Get_Unit_Id(i), u);
      if (u.id != 0) s += AI_Unit_Strength(u.unit_type, u.cargo_list, false);
    }
  return s;
}

float AI_Region_Enemy_Strength(std::int32_t region, std::uint8_t player) {
  float s = 0;
  if (const TMap_Region* r = G_Map->m_Get_Region(region))
    for (std::int32_t i = 1; i <= r->m_Get_Unit_Count(); ++i) {
      TMap_Unit_Record u;
      G_Map->m_Get_Unit(r->m_Get_Unit_Id(i), u);
      if (u.id != 0 && u.owner != player) s += AI_Unit_Strength(u.unit_type, u.cargo_list, false);
    }
  return s;
}

float AI_Region_Base_Value(std::int32_t region) {
  const TMap_Region* r = G_Map->m_Get_Region(region);
  if (!r) return 0;
  float v = float(r->m_Get_Value()) * 200.0f;
  for (std::int32_t i = 1; i <= r->m_Get_Unit_Count(); ++i) {
    TMap_Unit_Record u;
    G_Map->m_Get_Unit(r->m_Get_Unit_Id(i), u);
    if (Type_Enables_Purchases(u.unit_type)) v += 1000;
    if (const TAI_Unit_Type_Info* info = Type_Info(u.unit_type); info && info->ability1) v += 1000;
  }
  return v;
}

bool AI_Region_Has_Base(std::int32_t region) {
  const TMap_Region* r = G_Map->m_Get_Region(region);
  if (!r) return false;
  for (std::int32_t i = 1; i <= r->m_Get_Unit_Count(); ++i) {
    TMap_Unit_Record u;
    G_Map->m_Get_Unit(r->m_Get_Unit_Id(i), u);
    if (Type_Enables_Purchases(u.unit_type)) return true;
  }
  return false;
}

bool AI_Region_Near_Base(std::uint8_t player, std::int32_t region, std::uint16_t family) {
  std::vector<std::int32_t> own;
  for (std::int32_t id : AI_Regions_In_Range(region, 100, REGION_LAND, own))
    if (const TMap_Region* r = G_Map->m_Get_Region(id); r && r->m_Has_Unit_Family(player, family, false)) return true;
  return false;
}

bool AI_Cargo_Has_Land_Unit(std::int32_t cargo_list) {
  if (cargo_list == 0) return false;
  for (std::int32_t i = 1; i <= G_Map->m_Get_Cargo_Count(cargo_list); ++i) {
    TMap_Unit_Record u;
    G_Map->m_Get_Unit(G_Map->m_Get_Cargo_Unit(cargo_list, i), u);
    const TUnit_Type* t = World_Unit_Type(u.unit_type);
    if (u.id != 0 && t && t->f_movement_type == UNIT_MOVEMENT_LAND) return true;
  }
  return false;
}

std::uint8_t AI_Cargo_Air_Moves(std::int32_t cargo_list) {
  std::uint8_t best = 0;
  if (cargo_list == 0) return 0;
  for (std::int32_t i = 1; i <= G_Map->m_Get_Cargo_Count(cargo_list); ++i) {
    TMap_Unit_Record u;
    G_Map->m_Get_Unit(G_Map->m_Get_Cargo_Unit(cargo_list, i), u);
    const TUnit_Type* t = World_Unit_Type(u.unit_type);
    if (u.id != 0 && t && t->f_movement_type == UNIT_MOVEMENT_AIR) best = std::max(best, u.moves);
  }
  return best;
}

void AI_Generate_Unit_Type_Stats(std::uint8_t) {
  AI_Log("--- Generate Unit Type Stats ---");
  const std::int32_t n = World_Unit_Type_Count();
  AI.unit_types.assign(std::size_t(n), TAI_Unit_Type_Info());
  std::vector<bool> purchase_family;
  auto mark = [&](std::uint16_t f) {
    if (f == 0) return;
    if (purchase_family.size() <= f) purchase_family.resize(std::size_t(f) + 1, false);
    purchase_family[f] = true;
  };
  for (std::int32_t i = 1; i <= n; ++i)
    if (const TUnit_Type* t = World_Unit_Type(i)) {
      mark(t->f_purchase_with_family_id);
      mark(t->f_purchase_near_family_id);
    }
  AI.base_family = 0;
  for (std::int32_t i = 1; i <= n; ++i) {
    const TUnit_Type* t = World_Unit_Type(i);
    if (!t) continue;
    TAI_Unit_Type_Info& info = AI.unit_types[std::size_t(i - 1)];
    info.movement_type = t->f_movement_type;
    info.moves = t->f_movement_amount > 0;
    info.ranged = t->f_ranged_fire_range > 0;
    info.far_sight = t->f_sight_range > 2;
    info.enables_purchases = t->f_unit_family_id != 0 && t->f_unit_family_id < purchase_family.size() &&
                             purchase_family[t->f_unit_family_id];
    info.transport = t->f_transporting_capacity > 0;
    info.cargo_fights = t->f_transported_units_participate_in_combat;
    info.ability1 = t->m_Has_Special_Ability(UNIT_ABILITY_TERRITORY_MONEY_MODIFIER);
    info.ability3 = t->m_Has_Special_Ability(UNIT_ABILITY_COMBAT_DEFENSE_MODIFIER);
    info.ability5 = t->m_Has_Special_Ability(UNIT_ABILITY_UNIT_DESTROYED_ON_BOMBARD);
    if (info.enables_purchases && !info.moves) AI.base_family = t->f_unit_family_id;
  }
}

void AI_Player_Start(std::uint8_t player) {
  AI_Log("===== AI Plr " + std::to_string(player) + " ===================================================");
  AI.objects.clear();
  AI.assets.clear();
  AI.tasks.clear();
  AI.sorted_tasks.clear();
  AI.assignments.clear();
  AI.sorted_assignments.clear();
  AI.last_order_id = 0;
  AI.air_cursor = 0;
  AI.air_last_order = 0;
  AI.secure = true;
  AI.own_regions = 0;
  AI.unsupplied_regions = 0;
  AI.tech_purchases.assign(std::size_t(World_Tech_Area_Count()) + 1, 0);
  // The table follows the map's region count, whatever its size.
  const std::int32_t n = G_Map->m_Get_Region_Count();
  AI.regions.assign(std::size_t(n), TAI_Region_Info());
  const TEmpire* empire = Empire_Get(player);
  for (std::int32_t i = 1; i <= n; ++i) {
    const TMap_Region* r = G_Map->m_Get_Region(i);
    if (!r) continue;
    TAI_Region_Info& info = AI.regions[std::size_t(i - 1)];
    info.region_type = r->m_Get_Type();
    info.owner = r->m_Get_Owner();
    if (r->m_Get_Unit_Count() > 0) {
      TMap_Unit_Record u;
      G_Map->m_Get_Unit(r->m_Get_Unit_Id(1), u);
      info.first_unit_owner = u.owner;
    }
    // Both sums in one walk, in list order (the same sums as
    // AI_Region_Unit_Strength and AI_Region_Enemy_Strength).
    for (std::int32_t k = 1; k <= r->m_Get_Unit_Count(); ++k) {
      TMap_Unit_Record u;
      G_Map->m_Get_Unit(r->m_Get_Unit_Id(k), u);
      if (u.id == 0) continue;
      const float s = AI_Unit_Strength(u.unit_type, u.cargo_list, false);
      info.asset_strength += s;
      if (u.owner != player) info.enemy_strength += s;
    }
    info.total_value = AI_Region_Base_Value(i);
    info.value = float(r->m_Get_Value());
    info.known = empire && empire->m_Is_Region_Known(i);
    info.has_base = AI_Region_Has_Base(i);
  }
  Fill_Distances(player);
  for (std::int32_t i = 1; i <= n; ++i) {
    TAI_Region_Info& info = AI.regions[std::size_t(i - 1)];
    if (info.owner != player || !G_Map->m_Get_Region(i)) continue;
    AI.own_regions = Checked_Add(AI.own_regions, 1);
    info.supplied = info.has_base || AI_Region_Near_Base(player, i, AI.base_family);
    if (!info.supplied) AI.unsupplied_regions = Checked_Add(AI.unsupplied_regions, 1);
  }
  for (std::int32_t i = 1; i <= n && AI.secure; ++i) {
    const TAI_Region_Info& info = AI.regions[std::size_t(i - 1)];
    if (info.owner != player || info.region_type != REGION_LAND) continue;
    const TMap_Region* r = G_Map->m_Get_Region(i);
    for (std::int32_t k = 1; r && k <= r->m_Get_Connection_Count(); ++k) {
      const TAI_Region_Info& c = AI_Region(r->m_Get_Connection(k));
      if (c.region_type == REGION_LAND && c.owner != player) AI.secure = false;
    }
  }
}

void AI_Compute_Stats(std::uint8_t player) {
  AI_Log("--- Compute Stats ---");
  for (TAI_Unit_Type_Info& t : AI.unit_types) t.own_count = t.seen_enemy_count = 0;
  AI.seen_enemy_by_movement.fill(0);
  AI.near_enemy_by_movement.fill(0);
  AI.own_by_family.assign(1, 0);
  AI.bought_by_family.assign(1, 0);
  AI.sea_strength = 0;
  AI.sea_transports = 0;
  for (std::uint8_t owner = 1; owner != 0; ++owner) {
    for (std::int32_t id : G_Map->m_Get_Unit_Ids_Of(owner)) {
      const TMap_Unit_Record& u = G_Map->m_Unit_Ref(id);
      const TUnit_Type* t = World_Unit_Type(u.unit_type);
      if (!t || u.unit_type > AI.unit_types.size()) continue;
      TAI_Unit_Type_Info& info = AI.unit_types[std::size_t(u.unit_type - 1)];
      if (owner == player) {
        info.own_count = Checked_Add(info.own_count, 1);
        if (t->f_movement_type == UNIT_MOVEMENT_SEA_SURFACE || t->f_movement_type == UNIT_MOVEMENT_UNDERSEA) {
          if (t->f_transporting_capacity > 0)
            AI.sea_transports = Checked_Add(AI.sea_transports, 1);
          else
            AI.sea_strength += AI_Unit_Strength(u.unit_type, u.cargo_list, false);
        }
        continue;
      }
      if (u.region < 1) continue;
      const TAI_Region_Info& r = AI_Region(u.region);
      if (!r.known) continue;
      info.seen_enemy_count = Checked_Add(info.seen_enemy_count, 1);
      if (r.distance <= 2 && t->f_movement_type >= 1 && t->f_movement_type <= 5)
        ++AI.near_enemy_by_movement[t->f_movement_type];
    }
  }
  for (std::size_t i = 0; i < AI.unit_types.size(); ++i) {
    const TUnit_Type* t = World_Unit_Type(std::int64_t(i + 1));
    if (!t) continue;
    const TAI_Unit_Type_Info& info = AI.unit_types[i];
    std::int32_t& slot = Family_Slot(AI.own_by_family, t->f_unit_family_id);
    slot = Checked_Add(slot, info.own_count);
    Family_Slot(AI.bought_by_family, t->f_unit_family_id);
    if (info.movement_type >= 1 && info.movement_type <= 5)
      AI.seen_enemy_by_movement[info.movement_type] += info.seen_enemy_count;
  }
  AI.battle_totals.fill(0);
  if (G_Event_Log) {
    TEvent_Log_Totals totals;
    G_Event_Log->m_Get_Player_Totals(player, totals);
    AI.battle_totals = totals.values;
  }
}

std::int32_t AI_Add_Object(std::uint8_t kind, std::int32_t subject, std::uint8_t owner, std::int32_t region,
                           std::int32_t free_space, const std::array<std::int32_t, 6>& counts) {
  TAI_Object o;
  o.kind = kind;
  o.subject = subject;
  o.owner = owner;
  o.region = region;
  o.free_space = free_space;
  o.counts = counts;
  for (std::uint8_t m = 1; m <= 5; ++m)
    if (counts[m] > 0 && (o.largest == 0 || counts[m] > counts[o.largest])) o.largest = m;
  AI.objects.push_back(o);
  return std::int32_t(AI.objects.size());
}

std::int32_t AI_Add_Asset(std::int32_t unit, std::uint8_t owner, std::int32_t region, std::uint16_t unit_type,
                          std::uint16_t cargo_list, std::uint8_t moves, float strength) {
  TAI_Asset a;
  a.unit = unit;
  a.owner = owner;
  a.region = region;
  a.unit_type = unit_type;
  a.cargo_list = cargo_list;
  a.moves = moves;
  a.strength = strength;
  AI.assets.push_back(a);
  return std::int32_t(AI.assets.size());
}

void AI_Create_Objects(std::uint8_t player) {
  AI_Log("--- Create Objects ---");
  if (G_Empire_List && G_Empire_List->m_Is_Neutral(player)) return;
  for (std::int32_t i = 1; i <= G_Map->m_Get_Region_Count(); ++i) {
    const TMap_Region* r = G_Map->m_Get_Region(i);
    if (!r) continue;
    const TAI_Region_Info& info = AI_Region(i);
    std::array<std::int32_t, 6> counts{};
    std::int32_t raw[6] = {};
    r->m_Count_Units_By_Movement_Type(raw);
    std::copy(std::begin(raw), std::end(raw), counts.begin());
    if (info.owner == player) {
      AI_Add_Object(AI_OBJECT_OWN_REGION, i, player, i, 0, counts);
      // Enemy combat units that stayed on the player's land after their
      // attack are a target like enemy units anywhere else.
      // Its counts are of those units alone: they say who can hurt them.
      if (r->m_Has_Foreign_Combat_Units(player)) {
        std::array<std::int32_t, 6> foreign{};
        for (std::int32_t k = 1; k <= r->m_Get_Unit_Count(); ++k) {
          TMap_Unit_Record u;
          G_Map->m_Get_Unit(r->m_Get_Unit_Id(k), u);
          const TUnit_Type* t = World_Unit_Type(u.unit_type);
          if (u.id == 0 || u.owner == 0 || u.owner == player || !t) continue;
          if (t->f_movement_type >= 1 && t->f_movement_type <= 5) ++foreign[t->f_movement_type];
        }
        AI_Add_Object(AI_OBJECT_FOREIGN_UNITS, 0, 0, i, 0, foreign);
      }
    } else if (!info.known) {
      continue;
    } else if (info.owner != 0) {
      // Only combat units of other owners defend it: the player's own,
      // left there after a battle that did not take the region (units that
      // cannot take land), leave it to be taken like an empty one.
      if (r->m_Has_Foreign_Combat_Units(player))
        AI_Add_Object(AI_OBJECT_ENEMY_REGION, i, info.owner, i, 0, counts);
      else
        AI_Add_Object(AI_OBJECT_EMPTY_REGION, 0, 0, i, 0, counts);
    } else {
      std::uint8_t first = 0, second = 0;
      r->m_Get_Unit_Owners(first, second);
      if ((first != 0 && first != player) || (second != 0 && second != player))
        AI_Add_Object(AI_OBJECT_FOREIGN_UNITS, 0, 0, i, 0, counts);
      else if (r->m_Get_Unit_Count() == 0 && r->m_Get_Value() > 0)
        AI_Add_Object(AI_OBJECT_EMPTY_REGION, 0, 0, i, 0, counts);
    }
  }
}

void AI_Create_Assets(std::uint8_t player) {
  AI_Log("--- Create Assets ---");
  const std::array<std::int32_t, 6> none{};
  for (std::int32_t id : G_Map->m_Get_Unit_Ids_Of(player)) {
    const TMap_Unit_Record u = G_Map->m_Unit_Ref(id);
    if (u.region < 1 || !G_Map->m_Get_Region(u.region) || G_Map->m_Is_Combat_Region(u.region)) continue;
    const TUnit_Type* t = World_Unit_Type(u.unit_type);
    if (!t) continue;
    if (t->f_transporting_capacity > 0) {
      if (u.cargo_list == 0) {
        AI_Add_Object(AI_OBJECT_TRANSPORT, id, player, u.region, t->f_transporting_capacity, none);
        continue;
      }
      const std::int32_t free_space = t->f_transporting_capacity - G_Map->m_Get_Cargo_Load(id);
      if (t->m_Has_Transport_Space(free_space)) {
        AI_Add_Object(AI_OBJECT_TRANSPORT, id, player, u.region, free_space, none);
        continue;
      }
    }
    AI_Add_Asset(id, player, u.region, u.unit_type, u.cargo_list, u.moves,
                 AI_Unit_Strength(u.unit_type, u.cargo_list, false));
    if (t->f_transporting_capacity > 0 &&
        (t->f_movement_type == UNIT_MOVEMENT_SEA_SURFACE || t->f_movement_type == UNIT_MOVEMENT_UNDERSEA))
      AI_Add_Object(AI_OBJECT_FULL_SEA_TRANSPORT, id, player, u.region, 0, none);
  }
}
