// The game data the world model reads: the unit type or technology area at
// a 1-based index of the current lists; none for 0, for an index beyond the
// list and before the lists are loaded.
#pragma once

#include <cstdint>

#include "Datafile_Tech.h"
#include "Datafile_Units.h"

inline const TUnit_Type* World_Unit_Type(std::int64_t index) {
  return Unit_Type_List ? Unit_Type_List->m_Get_Item(index) : nullptr;
}
inline std::int32_t World_Unit_Type_Count() { return Unit_Type_List ? Unit_Type_List->m_Count() : 0; }

inline const TTech_Area* World_Tech_Area(std::int64_t index) {
  return Tech_Area_List ? Tech_Area_List->m_Get_Item(index) : nullptr;
}
inline std::int32_t World_Tech_Area_Count() { return Tech_Area_List ? Tech_Area_List->m_Count() : 0; }
