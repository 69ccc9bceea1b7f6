#include "World_Unit_Facts.h"

#include "Io.h"

std::vector<TWorld_Unit_Type> World_Unit_Types;

const TWorld_Unit_Type* World_Unit_Type(std::int64_t index) {
  if (index < 1 || index > std::int64_t(World_Unit_Types.size())) return nullptr;
  return &World_Unit_Types[std::size_t(index - 1)];
}

std::int32_t TWorld_Unit_Type::m_Get_Transport_Space(const std::string& name) const {
  for (const auto& [n, space] : transporting)
    if (space != 0 && Text_Compare(n, name) == 0) return space;
  return 0;
}

bool TWorld_Unit_Type::m_Can_Move_In_Region_Kind(std::uint8_t region_kind) const {
  if (region_kind == 1) return movement_type == 1 || movement_type == 2 || movement_type == 5;
  if (region_kind == 2) return movement_type == 1 || movement_type == 3 || movement_type == 4 || movement_type == 5;
  return false;
}

std::int32_t TWorld_Unit_Type::m_Get_Special_Ability_Total(std::uint16_t kind) const {
  std::int32_t total = 0;
  for (const auto& [k, amount] : abilities)
    if (k == kind) total += amount;
  return total;
}

std::vector<TWorld_Tech_Area> World_Tech_Areas;

const TWorld_Tech_Area* World_Tech_Area(std::int64_t index) {
  if (index < 1 || index > std::int64_t(World_Tech_Areas.size())) return nullptr;
  return &World_Tech_Areas[std::size_t(index - 1)];
}

std::string TWorld_Tech_Area::m_Get_Name(std::int32_t kind) const {
  return kind == 1 ? display_name : kind == 2 ? internal_name : std::string();
}
