// Helpers shared by the parts of the battle module (not for other modules).
#pragma once

#include <cstdint>
#include <string>

#include "Combat.h"
#include "Debug_Log.h"
#include "GameSettings.h"

namespace combat_detail {

inline void Log(const std::string& text) {
  if (Debug_Sections[DEBUG_COMBAT]) Debug_Log_Write(text);
}

inline bool In_Grid(std::int32_t column, std::int32_t row) {
  return column >= 1 && column <= Combat_Columns && row >= 1 && row <= Combat_Rows;
}

inline TCombat_Cell& Cell(std::int32_t column, std::int32_t row) {
  return G_Combat.grid[std::size_t(column - 1)][std::size_t(row - 1)];
}

inline std::uint8_t& Move_Mark(std::int32_t column, std::int32_t row) {
  return G_Combat.move_map[std::size_t(column - 1)][std::size_t(row - 1)];
}

inline std::uint8_t& Attack_Mark(std::int32_t column, std::int32_t row) {
  return G_Combat.attack_map[std::size_t(column - 1)][std::size_t(row - 1)];
}

inline bool Network_Game() { return Game_Kind_Is_Network(); }

// Network announcements are made by the battle's machine for a battle that
// is shown.
inline bool Announce() { return Network_Game() && !G_Combat.auto_resolve; }

// Whether the footprint of width x height cells anchored at the column and
// row lies inside the grid and holds no piece but the given one.
inline bool Footprint_Free(std::int32_t column, std::int32_t row, std::int32_t width, std::int32_t height,
                           std::int32_t piece_id) {
  for (std::int32_t c = column; c < column + width; ++c)
    for (std::int32_t r = row; r < row + height; ++r) {
      if (!In_Grid(c, r)) return false;
      std::int32_t id = Cell(c, r).piece_id;
      if (id != 0 && id != piece_id) return false;
    }
  return true;
}

}  // namespace combat_detail
