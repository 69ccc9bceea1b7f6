#include "AI_Main.h"

#include "MapClass.h"
#include "World_Unit_Facts.h"

float AI_Unit_Strength(std::int64_t unit_type, std::int32_t cargo_list, bool without_cargo) {
  const TUnit_Type* t = World_Unit_Type(unit_type);
  if (!t) return 0;
  float strength = 0;
  if (t->f_takes_part_in_combat)
    strength = float(t->f_hit_points) + float(t->f_initiative) + float(t->f_combat_damage_min) +
               float(t->f_combat_damage_max);
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
