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

// The fighting strength of one unit of a type on its own (without what it
// carries): hit points, initiative and both combat damages added; 0 for a
// type that takes no part in combat and for no type. The event log weighs
// battles with it and the computer players weigh armies with it.
inline float World_Unit_Type_Strength(std::int64_t index) {
  const TUnit_Type* t = World_Unit_Type(index);
  if (!t || !t->f_takes_part_in_combat) return 0;
  return float(t->f_hit_points) + float(t->f_initiative) + float(t->f_combat_damage_min) +
         float(t->f_combat_damage_max);
}
