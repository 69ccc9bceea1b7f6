// One group of the main screen's unit selection: the picked unit, its stack
// and the ids of the selected units. Never saved.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "Lists_LongIntList.h"

class TSelected_Unit {
public:
  TSelected_Unit() { m_Clear(); }
  TSelected_Unit(const TSelected_Unit& other) { m_Assign(other); }
  TSelected_Unit& operator=(const TSelected_Unit& other) {
    m_Assign(other);
    return *this;
  }

  void m_Clear();
  void m_Assign(const TSelected_Unit& other);

  std::int32_t f_unit_id = 0;
  std::uint16_t f_unit_type = 0;
  std::uint8_t f_owner = 0;
  // How many of the selected units an order applies to (at most f_unit_count).
  std::int32_t f_order_count = 0;
  std::int32_t f_unit_count = 0;
  TLongintList f_unit_ids;
  std::uint8_t f_moves = 0;
  std::int32_t f_transport_capacity = 0;
  std::int32_t f_cargo_load = 0;
  // Kept for the main screen.
  std::array<std::string, 3> f_texts;
  std::array<std::int32_t, 10> f_values{};
};
