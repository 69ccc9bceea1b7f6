// What the network game asks of the game it carries.
//
// The network layer reads, checks the sender of, relays and queues the
// messages of a network game; it changes nothing in the game itself. Each
// queued message, once its turn in the queue comes, is handed to the
// executor the game's rules install, and so are the few questions the relay
// asks of the game (is a timer action done, is a player played by the
// computer, may an end of turn start). Without one installed every message
// is taken and changes nothing, every timer action is done and every player
// is human.
#pragma once

#include <cstdint>
#include <string>

struct TMP_Message;
class TMultiplayer_Action_Queue;

class TMP_Game_Executor {
public:
  virtual ~TMP_Game_Executor() = default;

  // --- The action queue ----------------------------------------------------
  // Executes one queued action of the queue (its relayed code). `previous`
  // is the timer action the action before it waits for; continue_batch is
  // set for a move leg with more legs after it. Returns the timer action the
  // next queued action waits for (0: none). May raise for a message whose
  // fields the game cannot take; the queue then drops it.
  virtual std::int32_t m_Execute(TMultiplayer_Action_Queue& queue, const TMP_Message& message,
                                 std::int32_t previous, bool& continue_batch);
  // Whether the timer action is done (an id of 0 is always done).
  virtual bool m_Action_Done(std::int32_t id);
  // Whether the queued action must wait before it is executed (a battle step
  // for a piece that this machine's copy of the battle has not chosen yet).
  virtual bool m_Must_Wait(const TMP_Message& message);

  // --- Turns and players (the host's relay) --------------------------------
  // Whether a game runs here that can take an end of turn.
  virtual bool m_Can_End_Turn();
  // Whether an end of turn is being played here now.
  virtual bool m_End_Turn_Running();
  // Starts the end of the current turn here.
  virtual void m_Start_End_Turn();
  // Whether the player's nation is played by the computer (false for a
  // player without a nation).
  virtual bool m_Computer_Controlled(std::uint8_t player);
  // The player's nation goes to the computer.
  virtual void m_Set_Computer_Controlled(std::uint8_t player);
  // The owner of a unit, 0 when no such unit exists.
  virtual std::int32_t m_Unit_Owner(std::int32_t unit_id);

  // --- Turn sequence and battle entries (defaults of TMP_Game_Links) --------
  virtual std::int32_t m_Crash_Unit(std::int32_t unit_id);
  virtual void m_Start_Player_Turn(std::uint8_t player);
  virtual void m_Execute_Player_Update(std::uint8_t player, std::int32_t step);
  virtual void m_Combat_Begin(std::int32_t region, bool auto_resolve, bool show_begin_dialog);
  virtual void m_Combat_Begin_Remote(std::int32_t region, bool auto_resolve, const std::string& map_name,
                                     std::uint8_t attacker, std::uint8_t defender, std::uint8_t prior_owner);
  virtual void m_Combat_Add_Unit_Remote(const TMP_Message& message);
  virtual void m_Combat_Wait_Piece_Remote(bool next_piece);
  virtual void m_Combat_End_Piece_Turn_Remote(bool next_piece);
  virtual void m_Combat_Next_Piece_Remote();
  virtual void m_Combat_Attack_Remote(std::int32_t x, std::int32_t y, std::int32_t damage);
  virtual void m_Combat_Move_Remote(std::int32_t x, std::int32_t y);
  virtual void m_Combat_Results_Remote(std::uint8_t new_owner, std::int32_t region, std::uint8_t attacker,
                                       std::uint8_t defender);
};

// The executor in force (never null); nullptr restores the one that changes
// nothing.
TMP_Game_Executor& MP_Game_Executor();
void Set_MP_Game_Executor(TMP_Game_Executor* executor);
