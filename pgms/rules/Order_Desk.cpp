#include "Order_Desk.h"

#include <algorithm>

#include "AI_Log.h"
#include "Debug_Log.h"
#include "Empire.h"
#include "GameSettings.h"
#include "Game_Command_Post.h"
#include "Global.h"
#include "Lists_LongIntList.h"
#include "MapClass.h"
#include "MasterActionTimer.h"
#include "MasterActionTimer_MapActions.h"
#include "World_Links.h"
#include "World_Unit_Facts.h"

namespace {
TOrder_Desk_Links Default_Links;
TOrder_Desk_Links* Links = &Default_Links;

// Passes over one transport's cargo when unloading; a list that never
// empties cannot hold the desk for ever.
constexpr int Max_Unload_Passes = 1001;

// Whether a computer order is shown: never in hot-seat games, else when this
// machine's player knows either end.
bool Order_Seen(std::int32_t source, std::int32_t target) {
  if (Game_Kind() == TGame_Kind::Hot_Seat) return false;
  const TEmpire* local = Empire_Get(Game_Settings.f_local_empire);
  return local && (local->m_Is_Region_Known(source) || local->m_Is_Region_Known(target));
}

void Log_Order(std::uint8_t player, std::uint8_t kind, bool towards, const std::vector<std::int32_t>& ids,
               std::int32_t target, std::int32_t source) {
  if (!AI_Log_On()) return;
  AI_Log("AI_Execute_Order");
  AI_Log("  Plr:               " + std::to_string(player));
  AI_Log("  Order:             " + Action_Type_Name(kind));
  AI_Log("  Source Region:     " + std::to_string(source) + " (" + G_Map->m_Get_Region_Name(source) + ")");
  AI_Log("  Target Region:     " + std::to_string(target) + " (" + G_Map->m_Get_Region_Name(target) + ")");
  AI_Log(std::string("  Move Towards Dest: ") + (towards ? "TRUE" : "FALSE"));
  AI_Log("  Num Units:         " + std::to_string(ids.size()));
  std::string units = "  Units:             ";
  for (std::int32_t id : ids) units += std::to_string(id) + ", ";
  AI_Log(units);
  for (std::size_t i = 0; i < ids.size(); ++i) {
    if (ids[i] < 1) continue;
    TMap_Unit_Record u;
    G_Map->m_Get_Unit(ids[i], u);
    const TUnit_Type* t = World_Unit_Type(u.unit_type);
    AI_Log("    Unit:     " + std::to_string(i + 1));
    AI_Log("    Unit ID:  " + std::to_string(ids[i]));
    AI_Log("    Region:   " + std::to_string(u.region) + " (" + G_Map->m_Get_Region_Name(u.region) + ")");
    AI_Log("    Type:     " + (t ? t->f_display_name : std::to_string(u.unit_type)));
    AI_Log("    Owner:    " + std::to_string(u.owner));
    AI_Log("    Movement: " + std::to_string(u.moves));
    AI_Log("    Cargo ID: " + std::to_string(u.cargo_list));
    AI_Log("    Damage:   " + std::to_string(u.damage));
  }
}

// Step distances over the connections from every region to `target`, whoever
// owns the regions on the way (index = region id; what
// G_Map->m_Get_Region_Distance(region, target, player, false, 0) gives),
// one walk back from the target over the connections turned round.
std::vector<std::int32_t> Distances_To(std::int32_t target) {
  const std::int32_t n = G_Map->m_Get_Region_Count();
  std::vector<std::int32_t> distance(std::size_t(std::max(n, 0)) + 1, Region_Distance_Unreachable);
  if (target < 1 || target > n || !G_Map->m_Get_Region(target)) return distance;
  // The regions each region is entered from: entries start[c] to
  // start[c + 1] of `from`.
  std::vector<std::int32_t> start(std::size_t(n) + 2, 0);
  auto each_connection = [&](auto&& use) {
    for (std::int32_t x = 1; x <= n; ++x) {
      const TMap_Region* r = G_Map->m_Get_Region(x);
      for (std::int32_t k = 1; r && k <= r->m_Get_Connection_Count(); ++k) {
        const std::int32_t c = r->m_Get_Connection(k);
        if (c >= 1 && c <= n && G_Map->m_Get_Region(c)) use(x, c);
      }
    }
  };
  each_connection([&](std::int32_t, std::int32_t c) { ++start[std::size_t(c) + 1]; });
  for (std::size_t c = 1; c < start.size(); ++c) start[c] += start[c - 1];
  std::vector<std::int32_t> from(std::size_t(start.back())), fill(start);
  each_connection([&](std::int32_t x, std::int32_t c) { from[std::size_t(fill[std::size_t(c)]++)] = x; });
  distance[std::size_t(target)] = 0;
  std::vector<std::int32_t> level{target}, next;
  for (std::int32_t steps = 1; !level.empty(); ++steps) {
    for (std::int32_t c : level)
      for (std::int32_t k = start[std::size_t(c)]; k < start[std::size_t(c) + 1]; ++k) {
        const std::int32_t x = from[std::size_t(k)];
        if (distance[std::size_t(x)] != Region_Distance_Unreachable) continue;
        distance[std::size_t(x)] = steps;
        next.push_back(x);
      }
    level.swap(next);
    next.clear();
  }
  return distance;
}

std::int32_t Move_Or_Attack(std::uint8_t player, std::uint8_t kind, bool towards,
                            const std::vector<std::int32_t>& ids, std::int32_t target, std::int32_t source) {
  if (ids.empty()) return 0;
  TMap_Unit_Record first;
  G_Map->m_Get_Unit(ids[0], first);
  if (!World_Unit_Type(first.unit_type)) return 0;
  std::vector<std::int32_t> reachable = Order_Desk_Reachable_Regions(ids[0], source, kind, player);
  if (towards && std::find(reachable.begin(), reachable.end(), target) == reachable.end()) {
    std::int32_t best = 0, best_distance = 99999;
    // Few candidates: a walk from each stops at the target; many: one walk
    // back from the target answers them all.
    std::vector<std::int32_t> back;
    if (reachable.size() > 2) back = Distances_To(target);
    for (std::int32_t r : reachable) {
      const std::int32_t d =
          back.empty() ? G_Map->m_Get_Region_Distance(r, target, player, false, 0)
          : r >= 1 && std::size_t(r) < back.size() ? back[std::size_t(r)]
                                                   : Region_Distance_Unreachable;
      if (d < best_distance) {
        best_distance = d;
        best = r;
      }
    }
    if (best != 0) target = best;
  }
  if (!G_Map->m_Get_Region(target)) return 0;
  std::vector<std::int32_t> path;
  G_Map->m_Find_Path(source, target, path, player, kind, reachable,
                     std::int32_t(std::min<std::size_t>(reachable.size(), Search_Output_Limit)));
  G_Map->m_Trim_Path(path, player);
  if (path.empty()) return 0;
  return Game_Command_Post(TCommand_Move{source, path, first.unit_type, first.owner, ids}, TCommand_Origin::Computer,
                           {0, Order_Seen(source, target)})
      .last_action;
}

std::int32_t Bombard(const std::vector<std::int32_t>& ids, std::int32_t target, std::int32_t source) {
  if (ids.empty() || !G_Map->m_Get_Region(target)) return 0;
  TMap_Unit_Record first;
  G_Map->m_Get_Unit(ids[0], first);
  const TUnit_Type* t = World_Unit_Type(first.unit_type);
  if (!t) return 0;
  // Ability 6: "Unit Can Bombard With No Movement".
  if (first.moves == 0 && !t->m_Has_Special_Ability(6)) return 0;
  std::int32_t region_damage = 0;
  std::vector<TBombard_Damage_Record> records;
  Links->m_Calc_Bombard_Damage(ids, target, region_damage, records);
  return Game_Command_Post(TCommand_Bombard{source, target, first.unit_type, first.owner, ids, region_damage, records},
                           TCommand_Origin::Computer, {0, Order_Seen(source, target)})
      .last_action;
}

std::int32_t Load(std::uint8_t player, const std::vector<std::int32_t>& ids) {
  if (ids.size() < 2) return 0;
  const std::int32_t transport = ids[0];
  std::int32_t last = 0;
  for (std::size_t i = 1; i < ids.size(); ++i) {
    TMap_Unit_Record tr, u;
    G_Map->m_Get_Unit(transport, tr);
    G_Map->m_Get_Unit(ids[i], u);
    if (tr.id == 0 || u.id == 0) continue;
    const TMap_Region* tr_region = G_Map->m_Get_Region(tr.region);
    const TMap_Region* u_region = G_Map->m_Get_Region(u.region);
    if (!tr_region || !u_region) continue;
    const bool from_shore = tr_region->m_Get_Type() == REGION_OCEAN && u_region->m_Get_Type() == REGION_LAND &&
                            u_region->m_Get_Owner() == player && u_region->m_Is_Connected_To(tr.region);
    if (!from_shore && tr.region != u.region) continue;
    if (const std::int32_t id =
            Game_Command_Post(TCommand_Load{u.region, u.owner, transport, ids[i]}, TCommand_Origin::Computer)
                .last_action)
      last = id;
  }
  return last;
}

// Unloads the whole cargo of one transport into `target` (its own region
// when 0); a landing leaves the landed units without moves.
std::int32_t Unload_All(std::int32_t transport, std::int32_t target, bool landing) {
  std::int32_t last = 0;
  for (int pass = 0; pass < Max_Unload_Passes; ++pass) {
    TMap_Unit_Record tr;
    G_Map->m_Get_Unit(transport, tr);
    if (tr.id == 0 || tr.cargo_list == 0) break;
    const std::int32_t unit = G_Map->m_Get_Cargo_Unit(tr.cargo_list, 1);
    if (unit == 0) break;
    const std::int32_t region = target != 0 ? target : tr.region;
    const std::int32_t id =
        Game_Command_Post(TCommand_Unload{region, tr.owner, transport, unit, landing}, TCommand_Origin::Computer)
            .last_action;
    if (id == 0) break;
    last = id;
  }
  return last;
}

std::int32_t Land(std::uint8_t player, const std::vector<std::int32_t>& ids, std::int32_t target) {
  TMap_Region* target_region = G_Map->m_Get_Region(target);
  if (!target_region) return 0;
  const bool was_combat = G_Map->m_Is_Combat_Region(target);
  std::int32_t last = 0;
  for (std::int32_t transport : ids) {
    TMap_Unit_Record tr;
    G_Map->m_Get_Unit(transport, tr);
    if (tr.id == 0 || tr.cargo_list == 0 || tr.moves == 0) continue;
    const TMap_Region* at = G_Map->m_Get_Region(tr.region);
    if (!at || at->m_Get_Type() != REGION_OCEAN || !at->m_Is_Connected_To(target) ||
        target_region->m_Get_Type() != REGION_LAND)
      continue;
    if (const std::int32_t id = Unload_All(transport, target, true)) last = id;
  }
  if (target_region->m_Has_Opposing_Combat_Units()) {
    G_Map->m_Add_Combat_Region(target);
    if (!was_combat && World_Main_Screen_Link().m_Exists()) World_Main_Screen_Link().Map_Ownership_Changed();
  } else if (last != 0) {
    // Only a landing that put units ashore takes the region.
    target_region->m_Set_Owner(player);
    if (World_Main_Screen_Link().m_Exists()) World_Main_Screen_Link().Map_Ownership_Changed();
  }
  return last;
}
}  // namespace

void TOrder_Desk_Links::m_Calc_Bombard_Damage(const std::vector<std::int32_t>& unit_ids, std::int32_t target_region,
                                              std::int32_t& region_damage,
                                              std::vector<TBombard_Damage_Record>& records) {
  TBombard_Damage_Result result =
      TMap_Actions::m_Calc_Bombard_Damage(Longint_List_Of(unit_ids), std::int32_t(unit_ids.size()), target_region);
  region_damage = result.region_damage;
  records = std::move(result.records);
}

void Order_Desk_Calc_Bombard_Damage(const std::vector<std::int32_t>& unit_ids, std::int32_t target_region,
                                    std::int32_t& region_damage, std::vector<TBombard_Damage_Record>& records) {
  Links->m_Calc_Bombard_Damage(unit_ids, target_region, region_damage, records);
}

bool Order_Desk_Load_Unit(std::uint8_t player, std::int32_t transport, std::int32_t unit) {
  if (!G_Map || !Master_Action_Timer) return false;
  TMap_Unit_Record tr, u;
  G_Map->m_Get_Unit(transport, tr);
  G_Map->m_Get_Unit(unit, u);
  if (tr.id == 0 || u.id == 0 || tr.owner != player || u.owner != player) return false;
  return Game_Command_Post(TCommand_Load{u.region, player, transport, unit}).accepted;
}

bool Order_Desk_Unload_Unit(std::int32_t transport, std::int32_t unit, std::int32_t region, bool landing) {
  if (!G_Map || !Master_Action_Timer) return false;
  TMap_Unit_Record tr;
  G_Map->m_Get_Unit(transport, tr);
  return Game_Command_Post(TCommand_Unload{region, tr.owner, transport, unit, landing}).accepted;
}

void Set_Order_Desk_Links(TOrder_Desk_Links* links) { Links = links ? links : &Default_Links; }

std::int32_t Order_Desk_Add_Move_Chain(std::int32_t source, const std::vector<std::int32_t>& path,
                                       std::uint16_t unit_type, std::uint8_t owner,
                                       const std::vector<std::int32_t>& unit_ids, std::int32_t awaited_id, bool seen) {
  if (path.empty()) return awaited_id;
  return Game_Command_Execute(TCommand_Move{source, path, unit_type, owner, unit_ids}, {awaited_id, seen});
}

std::vector<std::int32_t> Order_Desk_Reachable_Regions(std::int32_t unit_id, std::int32_t source, std::uint8_t kind,
                                                       std::uint8_t player) {
  std::vector<std::int32_t> steps, regions;
  TMap_Unit_Record u;
  G_Map->m_Get_Unit(unit_id, u);
  const TUnit_Type* t = World_Unit_Type(u.unit_type);
  if (!t) return regions;
  G_Map->m_Get_Move_Range(source, t->f_movement_type, steps, regions, kind, player, u.moves);
  return regions;
}

std::int32_t AI_Execute_Order(std::uint8_t player, std::uint8_t kind, bool towards,
                              const std::vector<std::int32_t>& unit_ids, std::int32_t target_region,
                              std::int32_t source_region) {
  if (!G_Map || !Master_Action_Timer) return 0;
  Log_Order(player, kind, towards, unit_ids, target_region, source_region);
  switch (kind) {
    case ORDER_MOVE:
    case ORDER_ATTACK: return Move_Or_Attack(player, kind, towards, unit_ids, target_region, source_region);
    case ORDER_BOMBARD: return Bombard(unit_ids, target_region, source_region);
    case ORDER_LOAD: return Load(player, unit_ids);
    case ORDER_UNLOAD: {
      std::int32_t last = 0;
      for (std::int32_t transport : unit_ids)
        if (const std::int32_t id = Unload_All(transport, 0, false)) last = id;
      return last;
    }
    case ORDER_SKIP: {
      TCommand_Set_Movement skip;
      for (std::int32_t id : unit_ids)
        if (G_Map->m_Valid_Unit_Id(id)) skip.units.push_back(id);
      if (!skip.units.empty()) Game_Command_Post(skip, TCommand_Origin::Computer);
      return 0;
    }
    case ORDER_LAND: return Land(player, unit_ids, target_region);
    default: return 0;
  }
}
