// Game commands: every change a player (human or computer) makes to the
// game between two turns of the action timer is one command record.
//
// Each record has one field list, used both to write its network message
// and to read it back (the message codes and wire format are those of the
// relay), one check against this machine's own game, and one execution that
// adds its actions to the action timer. Game_Command_Post (its own module)
// is the single entry every caller posts to.
//
// A move carries its legs: the path after the source region. On the wire it
// is one message per leg, every leg but the last marked as followed by more.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "BombardDamageList.h"
#include "Empire.h"
#include "Multiplayer_GameActions.h"

// The bound a host keeps: the commands one player may send in one turn and
// the units (and damage records and purchases) one command may name. A
// command at the bound still fits a line a joined machine accepts.
constexpr std::int32_t Game_Command_Limit = 1000;

struct TCommand_Move {
  std::int32_t source = 0;
  std::vector<std::int32_t> path;  // the regions after the source, the last the destination
  std::uint16_t unit_type = 0;
  std::uint8_t owner = 0;
  std::vector<std::int32_t> units;
  // The first leg waits for the action before it: the move goes on from a
  // leg already sent (a message read back keeps its flag this way).
  bool follows = false;
};

struct TCommand_Bombard {
  std::int32_t source = 0, target = 0;
  std::uint16_t unit_type = 0;
  std::uint8_t owner = 0;
  std::vector<std::int32_t> units;
  std::int32_t region_damage = 0;
  std::vector<TBombard_Damage_Record> damage;
};

struct TCommand_Load {
  std::int32_t region = 0;  // where the cargo unit stands
  std::uint8_t owner = 0;
  std::int32_t transport = 0, unit = 0;
  bool remove_from_region = true;  // the unit leaves the region's list as it boards
};

struct TCommand_Unload {
  std::int32_t region = 0;  // where the unit goes ashore
  std::uint8_t owner = 0;
  std::int32_t transport = 0, unit = 0;
  bool landing = false;  // a landing leaves the unit without moves
  bool add_to_region = true;  // the unit joins the region's list as it goes ashore
};

// Ends the moves of the units (the skip order).
struct TCommand_Set_Movement {
  std::vector<std::int32_t> units;
};

struct TCommand_Decommission {
  std::int32_t region = 0;
  std::uint8_t owner = 0;
  std::vector<std::int32_t> units;
};

// The whole purchase list of a player (units and research), replacing the
// one before.
struct TCommand_Purchases {
  std::uint8_t player = 0;
  std::vector<TEmpire_Purchase> entries;
};

struct TCommand_End_Turn {
  std::uint8_t player = 0;
};

// --- Battle steps ------------------------------------------------------------------
//
// A battle between two humans is fought on one machine and mirrored on the
// other: each step names the player whose machine carries it out (the
// other player of the battle). The results (event log entry, deleted units,
// the region's new owner) name the player who sends them.

struct TCommand_Battle_Begin {
  std::uint8_t execute = 0;
  std::int32_t region = 0;
  bool auto_resolve = false;
  std::string map_name;
  std::uint8_t attacker = 0, defender = 0, prior_owner = 0;
};

// A piece placed on the battle field at the start.
struct TCommand_Battle_Add_Unit {
  std::uint8_t execute = 0;
  std::uint8_t mode = 0;
  std::int32_t x = 0, y = 0;
  std::int32_t piece_id = 0, unit_id = 0;
  std::uint8_t owner = 0;
  std::uint16_t unit_type = 0;
  std::int32_t count = 0;
  std::uint8_t picture_x = 0, picture_y = 0;
  float turn_time = 0;
  std::int32_t cargo_list = 0;
  std::uint8_t facing = 0;
};

struct TCommand_Battle_Wait {
  std::uint8_t execute = 0;
  bool next_piece = false;
};

struct TCommand_Battle_Next_Piece {
  std::uint8_t execute = 0;
};

struct TCommand_Battle_Attack {
  std::uint8_t execute = 0;
  std::int32_t x = 0, y = 0, damage = 0;
};

struct TCommand_Battle_Move {
  std::uint8_t execute = 0;
  std::int32_t x = 0, y = 0;
};

struct TCommand_Battle_End_Piece_Turn {
  std::uint8_t execute = 0;
  bool next_piece = false;
};

// The closing of the battle's end dialog, the opening and the closing of its
// begin dialog.
struct TCommand_Battle_End_Closed {
  std::uint8_t execute = 0;
};
struct TCommand_Battle_Begin_Dialog {
  std::uint8_t execute = 0;
};
struct TCommand_Battle_Begin_Closed {
  std::uint8_t execute = 0;
};

// One group of the battle's event log entry.
struct TBattle_Log_Group {
  std::int32_t unit_type = 0;
  std::uint8_t owner = 0;
  std::int32_t starting = 0, destroyed = 0;
};

struct TCommand_Battle_Log {
  std::uint8_t sender = 0;
  std::int32_t date = 0;
  std::uint8_t attacker = 0, defender = 0, winner = 0, prior_owner = 0;
  std::int32_t region = 0;
  bool attacker_has_land = false;
  std::vector<TBattle_Log_Group> groups;  // at most 140
};

struct TCommand_Battle_Delete_Unit {
  std::uint8_t sender = 0;
  std::int32_t unit = 0, carrier = 0;
};

struct TCommand_Battle_Results {
  std::uint8_t sender = 0, new_owner = 0;
  std::int32_t region = 0;
  std::uint8_t attacker = 0, defender = 0;
};

// --- The host's turn messages --------------------------------------------------------
//
// Sent by the host alone to every joined machine while a turn changes.

struct TCommand_Game_Date {
  std::int32_t date = 0;
};
struct TCommand_Current_Player {
  std::uint8_t player = 0;
};
struct TCommand_Start_Player_Turn {
  std::uint8_t player = 0;
};
struct TCommand_Turn_Status {
  std::uint8_t player = 0;
};
struct TCommand_Crash {
  std::int32_t unit = 0;
};
// A lost player's nation goes to the computer.
struct TCommand_Computer_Takes_Over {
  std::uint8_t player = 0;
};
// The computer player whose turn it is gives the battle of the region to the
// machine of the human player it attacks.
struct TCommand_Battle_Given {
  std::uint8_t execute = 0;
  std::int32_t region = 0;
};

using TGame_Command =
    std::variant<TCommand_Move, TCommand_Bombard, TCommand_Load, TCommand_Unload, TCommand_Set_Movement,
                 TCommand_Decommission, TCommand_Purchases, TCommand_End_Turn, TCommand_Battle_Begin,
                 TCommand_Battle_Add_Unit, TCommand_Battle_Wait, TCommand_Battle_Next_Piece, TCommand_Battle_Attack,
                 TCommand_Battle_Move, TCommand_Battle_End_Piece_Turn, TCommand_Battle_End_Closed,
                 TCommand_Battle_Begin_Dialog, TCommand_Battle_Begin_Closed, TCommand_Battle_Log,
                 TCommand_Battle_Delete_Unit, TCommand_Battle_Results, TCommand_Game_Date, TCommand_Current_Player,
                 TCommand_Start_Player_Turn, TCommand_Turn_Status, TCommand_Crash, TCommand_Computer_Takes_Over,
                 TCommand_Battle_Given>;

// How a command travels: a player's order (checked by the host, relayed and
// queued everywhere), a battle step (sent by a battle's machine, relayed and
// queued everywhere), a battle result (relayed, not queued again where it was
// made) or a host's turn message (from the host to the joined machines only).
enum class TCommand_Route : std::uint8_t { Order, Battle_Step, Battle_Result, Host_Message };
TCommand_Route Game_Command_Route(const TGame_Command& command);

// The name of the command's kind ("move", "purchases", ...).
std::string Game_Command_Name(const TGame_Command& command);

// The messages of a command under its to-host codes, one per leg of a move
// (a host's turn message under its only code).
std::vector<TMP_Message> Game_Command_Messages(const TGame_Command& command);
// The command one to-host or relayed message carries (a move with one leg,
// whose "more legs" flag is given back), or nothing for a message that is
// no command (chat, or a code without one).
std::optional<TGame_Command> Game_Command_Of_Message(const TMP_Message& message, bool* more_legs = nullptr);

// The host's price of one purchase from its own data (unit type cost and the
// region's cost modifier, or the research cost entry); nothing for a
// purchase that cannot be made.
std::optional<std::int64_t> Game_Command_Purchase_Price(std::uint8_t player, const TEmpire_Purchase& purchase);

// --- The host's check ------------------------------------------------------------

// Why this machine would refuse the message from the player; empty when it
// is allowed. Only this machine's own game is asked: whose turn it is, who
// owns each unit named (a unit that does not exist is refused), that a
// move's legs follow the map's connections within the units' moves, the
// purchase prices and bounds, and that a battle step belongs to the battle
// this machine knows of and comes from the player that sends that step. An
// accepted message is counted against the player's commands of the turn.
std::string Game_Command_Refusal(std::uint8_t player, const TMP_Message& message);
// Notes a message this machine relays itself (its own player's or the
// computer's): battle begins and results open and close the battle it knows.
void Game_Command_Note_Relayed(const TMP_Message& message);
// Forgets the legs, battle and counts (a new or loaded game).
void Game_Command_Reset_Host_State();

// --- Execution -------------------------------------------------------------------

// How an execution at this machine is shown and chained: the action the
// first timer action waits for, and whether this machine's player sees it.
struct TCommand_Execution {
  std::int32_t awaited_id = 0;
  bool seen = true;
};

// Executes the command here at once: adds its actions to the action timer
// (a move's legs as one chain), changes cargo and purchases. Returns the id
// of the last timer action added, 0 when none.
std::int32_t Game_Command_Execute(const TGame_Command& command, const TCommand_Execution& how = {});
