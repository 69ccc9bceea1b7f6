// The one entry every change to the game is posted to: the main screen's
// orders and end of turn, the purchases panel, the computer player, the
// game session (tests and self-play) and the tools alike.
//
// What a post does depends on the kind of game (Game_Kind) and on the
// command's route (Game_Command_Route): battle steps and results go from
// the machine of a battle to the host, which relays them; the host's turn
// messages go from the host to every joined machine. For a player's order:
// - single player and hot seat: the command is executed here at once;
// - host: a human player's command is checked by the relay, executed from
//   the action queue and relayed to every joined machine; a computer
//   player's command is executed here at once and relayed without a queued
//   copy, so that every machine replays it;
// - joined: the command is sent to the host, which checks it and relays it
//   back to every machine, this one included.
//
// The host's check of what joined machines send is Game_Command_Refusal
// (Game_Commands.h), installed into the relay by Game_Command_Install_Check.
#pragma once

#include <cstdint>

#include "Game_Commands.h"

enum class TCommand_Origin : std::uint8_t { Player, Computer };

struct TPost_Result {
  // The command was executed here or handed to the network.
  bool accepted = false;
  // The last timer action it added here (0 when none: refused, or executed
  // later from the action queue).
  std::int32_t last_action = 0;
};

// In a network game a command naming more units than one command may is
// posted as several, each within the bound.
TPost_Result Game_Command_Post(const TGame_Command& command, TCommand_Origin origin = TCommand_Origin::Player,
                               const TCommand_Execution& how = {});

// A step of the battle under way here (begin, pieces, piece turns, dialogs):
// its executing player is filled in as this machine's battle partner, and it
// is posted only when that partner is human. True when posted.
bool Game_Command_Post_Battle_Step(TGame_Command step);
// A result of the battle fought here (its log entry, a deleted unit, the
// region's new owner), sent in the name of this machine's player.
void Game_Command_Post_Battle_Result(TGame_Command result);

// Installs the host's check into the relay (start-up and every new game).
void Game_Command_Install_Check();
