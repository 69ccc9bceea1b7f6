// A network game goes on without a player who is lost: his nation goes to
// the computer, which on the host plays the rest of his turn and fights a
// battle given to his machine, and on the machine of his battle partner
// finishes their battle.
#pragma once

#include <cstdint>

// The host's part: the computer plays the rest of the turn of the player
// whose turn it is, once nothing else runs (no action of the timer, no
// battle). The change of turn is started at the computer's play, so the
// turn ends and passes on as a computer player's does. True when started.
bool Lost_Player_Play_Turn(std::uint8_t player);
// The host's part: the battle of the region, given to a machine that is
// gone, is fought here by the computer; a battle of the region that this
// machine only waits for is given up first. True when it started (or the
// region holds no battle any more).
bool Lost_Player_Fight_Battle(std::int32_t region);
// Installs the above for the network relay.
void Lost_Player_Install();
