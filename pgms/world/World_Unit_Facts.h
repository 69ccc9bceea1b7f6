// The facts of a unit type that the world model reads, looked up by the
// unit type's 1-based index (0 or an index beyond the list: none).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct TWorld_Unit_Type {
  std::string display_name, internal_name, group, unit_family;
  std::uint16_t unit_family_id = 0;
  std::uint8_t square_size_width = 0, square_size_height = 0;
  std::int32_t cost = 0;
  std::uint16_t purchase_with_family_id = 0, purchase_near_family_id = 0;
  float supply_cost = 0;
  std::int32_t maximum_per_region = 0;
  std::uint8_t movement_type = 0;
  std::int32_t movement_amount = 0;
  std::int32_t sight_range = 0;
  bool takes_part_in_combat = true;
  // Combat values per unit.
  std::int32_t hit_points = 0, initiative = 0, combat_damage_min = 0, combat_damage_max = 0;
  bool transported_units_participate_in_combat = false;
  std::int32_t transporting_capacity = 0;
  // Transporting entries: carried unit family, space.
  std::vector<std::pair<std::string, std::int32_t>> transporting;
  // Special abilities: kind, amount.
  std::vector<std::pair<std::uint16_t, std::int32_t>> abilities;
  // The requirements, checked for an empire number and a level (none: met).
  std::function<bool(std::uint8_t empire, std::int32_t level)> requirements;

  std::int32_t m_Get_Transport_Space(const std::string& name) const;
  bool m_Can_Move_In_Region_Kind(std::uint8_t region_kind) const;
  std::int32_t m_Get_Special_Ability_Total(std::uint16_t kind) const;
};

extern std::vector<TWorld_Unit_Type> World_Unit_Types;
const TWorld_Unit_Type* World_Unit_Type(std::int64_t index);

struct TWorld_Tech_Area {
  std::string display_name, internal_name;
  std::int32_t start_level = 0, maximum_level = 0;
  // kind 1 the display name, 2 the internal name, otherwise empty.
  std::string m_Get_Name(std::int32_t kind) const;
};

extern std::vector<TWorld_Tech_Area> World_Tech_Areas;
const TWorld_Tech_Area* World_Tech_Area(std::int64_t index);
