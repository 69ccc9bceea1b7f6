// The rules' side of a network game: every message the action queue hands
// on, once checked and in its turn, is executed here (moves, bombardments,
// cargo, purchases, the host's turn messages and the steps of a battle
// mirrored from another machine), and the relay's questions about the game
// are answered from this machine's own state.
#pragma once

// Installs the executor into the network relay (start-up and every new
// game; installing again changes nothing).
void Game_Command_Executor_Install();
