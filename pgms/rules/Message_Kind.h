// The kinds of the main screen's messages. The kind decides what the screen
// does when the message closes; the turns show the hot-seat hand-over through
// their link, so the values live beneath the screens.
#pragma once

#include <cstdint>

enum class TMessage_Kind : std::int32_t {
  Plain = 0,                  // nothing follows
  End_Turn_Question = 1,      // answered OK: the turn ends (air units crash)
  Next_Player = 2,            // the hot-seat hand-over: closing it shows the map
  Decommission_Question = 3,  // answered OK: the selected units are decommissioned
  Game_Over_Here = 4,         // the game is over for this machine: back to the start menu
  Leave_Game_Question = 5,    // answered OK: the running game is left for the start menu
};
