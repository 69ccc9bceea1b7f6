// The order desk: turns one order on a list of units into action records of
// the action timer (moves and attacks as chains of legs, bombardments with
// their rolled damage) or into cargo changes followed by their Load Unit and
// Unload Unit actions. The computer player gives every order here, and the
// main screen's human orders use the same rules: the reachable regions of a
// move come from the unit type's movement type, a path stops at the first
// region where foreign units stand or a battle is pending, and a load puts
// the unit into the transport it names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "BombardDamageList.h"

// Order kinds, shared with the main screen.
enum : std::uint8_t {
  ORDER_MOVE = 1,
  ORDER_ATTACK = 2,
  ORDER_BOMBARD = 3,
  ORDER_LOAD = 5,
  ORDER_UNLOAD = 6,
  ORDER_DECOMMISSION = 7,
  ORDER_SKIP = 8,
  ORDER_LAND = 9,
};

// Action_Type_Name (Global.h) names them.

// The damage a bombardment deals, rolled when the order is given; the
// default rolls it as the map actions do.
class TOrder_Desk_Links {
public:
  virtual ~TOrder_Desk_Links() = default;
  virtual void m_Calc_Bombard_Damage(const std::vector<std::int32_t>& unit_ids, std::int32_t target_region,
                                     std::int32_t& region_damage, std::vector<TBombard_Damage_Record>& records);
};
// nullptr restores the default.
void Set_Order_Desk_Links(TOrder_Desk_Links* links);

// Adds one Move Unit action per leg of the path for the units (all of one
// type and owner), each leg waiting for the one before it and the first for
// `awaited_id`. Returns the id of the last leg (awaited_id when the path is
// empty).
std::int32_t Order_Desk_Add_Move_Chain(std::int32_t source, const std::vector<std::int32_t>& path,
                                       std::uint16_t unit_type, std::uint8_t owner,
                                       const std::vector<std::int32_t>& unit_ids, std::int32_t awaited_id, bool seen);

// The regions a move or attack (kind 1 or 2) of the unit may reach from
// `source` for the player: the move-range search of the unit type's movement
// type with the unit's moves left.
std::vector<std::int32_t> Order_Desk_Reachable_Regions(std::int32_t unit_id, std::int32_t source, std::uint8_t kind,
                                                       std::uint8_t player);

// The damage of a bombardment by the listed units on the target region,
// rolled as the order is given.
void Order_Desk_Calc_Bombard_Damage(const std::vector<std::int32_t>& unit_ids, std::int32_t target_region,
                                    std::int32_t& region_damage, std::vector<TBombard_Damage_Record>& records);
// Loads one unit into a transport for the player: both must be the player's
// and the load must pass the cargo test; then the Load Unit action is added
// and the unit goes aboard. False when nothing was loaded.
bool Order_Desk_Load_Unit(std::uint8_t player, std::int32_t transport, std::int32_t unit);
// Unloads one carried unit into `region` (a landing leaves it without
// moves): cargo test, Unload Unit action, unload. False when it stays aboard.
bool Order_Desk_Unload_Unit(std::int32_t transport, std::int32_t unit, std::int32_t region, bool landing);

// Executes one order of a computer player on the listed units and returns
// the id of the last action it added (0 when none). Kinds: 1 move, 2 attack
// (chained legs along the trimmed path; with `towards` set a target out of
// reach is replaced by the reachable region nearest to it), 3 bombard, 5 load
// (the first unit is the transport), 6 unload the whole cargo in place,
// 8 skip (moves set to 0), 9 land the cargo into the target region.
std::int32_t AI_Execute_Order(std::uint8_t player, std::uint8_t kind, bool towards,
                              const std::vector<std::int32_t>& unit_ids, std::int32_t target_region,
                              std::int32_t source_region);
