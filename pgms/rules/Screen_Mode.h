// The main screen's modes. The mode decides which panels and buttons the
// screen shows, which music plays, what its timer advances and what it
// draws; the turns and the battle switch it through their links, so the
// values live beneath the screens.
#pragma once

#include <cstdint>

enum class TScreen_Mode : std::uint8_t {
  Map = 1,       // the map in play
  Handover = 2,  // the hot-seat hand-over between two players' turns
  Battle = 4,    // a battle in progress
  Menu = 5,      // a menu or a full-screen dialog over the game
  Map_Only = 6,  // the map without panels or buttons
};

// Whether a number is one of the modes above (links that carry the mode as a
// number ignore any other).
constexpr bool Is_Screen_Mode(std::int32_t number) {
  return number == 1 || number == 2 || number == 4 || number == 5 || number == 6;
}
