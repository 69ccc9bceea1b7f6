// What the main screen's info box describes. The panels beside the map set
// the box for the item under the pointer, so the kinds stand apart from the
// main screen.
#pragma once

#include <cstdint>

// The box's subject is a unit (Unit, Group, Stack), a technology area, a unit
// type or a region.
enum class TInfo_Box_Kind : std::uint8_t {
  None = 0,
  Unit = 1,        // one unit, from a panel's list
  Group = 2,       // a group of the selection
  Stack = 3,       // the stack under the pointer (or a battle piece)
  Technology = 4,  // a technology area of the purchases
  Unit_Type = 5,   // a unit type of the purchases
  Region = 6,
};
