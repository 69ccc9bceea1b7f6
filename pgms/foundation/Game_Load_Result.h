// What a game load found in the folder it read. The game folder's load
// decides it; the network lobby, which runs that load on a joined machine,
// reads it without seeing the game folder.
#pragma once

#include <cstdint>

// What a load found, known after its step 96.
enum class TLoad_Result : std::int32_t {
  Game = 0,              // a game to play on
  End_Turn_Resumes = 1,  // an autosave made during an end of turn: the end of turn resumes
  Hosted_Game = 2,       // a hosted network game (the host's lobby opens it again)
};
