#include "SelectedUnit.h"

void TSelected_Unit::m_Clear() {
  f_unit_id = 0;
  f_unit_type = 0;
  f_owner = 0;
  f_order_count = 0;
  f_unit_count = 0;
  f_unit_ids.m_Clear();
  f_moves = 0;
  f_transport_capacity = 0;
  f_cargo_load = 0;
  for (std::string& t : f_texts) t.clear();
  f_values.fill(0);
}

void TSelected_Unit::m_Assign(const TSelected_Unit& other) {
  if (&other == this) return;
  f_unit_id = other.f_unit_id;
  f_unit_type = other.f_unit_type;
  f_owner = other.f_owner;
  f_order_count = other.f_order_count;
  f_unit_count = other.f_unit_count;
  f_unit_ids.m_Clear();
  for (std::int32_t i = 1; i <= other.f_unit_ids.m_Count(); ++i) f_unit_ids.m_Add(other.f_unit_ids.m_Get(i));
  f_moves = other.f_moves;
  f_transport_capacity = other.f_transport_capacity;
  f_cargo_load = other.f_cargo_load;
  f_texts = other.f_texts;
  f_values = other.f_values;
}
