// The End Turn action: the step machine that hands the turn from the
// current player to the next one. Over a number of frames it crashes the
// ending player's air units that stand outside its own territory, finds the
// next living player, advances the date when the order wraps to player 1
// (with an autosave every N dates), runs the new player's upkeep, purchases
// and research, income and supply, moves and statistics, plays a computer
// player's turn one step per frame and starts a human player's turn.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "MasterActionTimer.h"

class TDisplay_Class;

// One step of a computer player's turn (player, sub-step, frame time); true
// while the turn goes on. The step may change the sub-step. The computer
// player installs it; without one a computer turn ends at once.
using TAI_Turn_Step = std::function<bool(std::uint8_t player, std::uint16_t& sub_step, float dt)>;
void Set_AI_Turn_Step(TAI_Turn_Step step);

// The hot-seat hand-over's words to the player whose turn begins: their
// name ("Player N" when the empire has none).
std::string Next_Player_Text(std::int32_t player);

// Seconds an air unit's explosion may take before the end of turn goes on
// without its report.
constexpr float Crash_Effect_Time_Limit = 30.0f;

class TEnd_Turn_Actions : public TAction_Executor {
public:
  void m_Install(TMaster_Action_Timer& timer);
  void m_Execute(TMaster_Action_Timer& timer, std::int32_t index, float dt) override;

  void m_Execute_End_Turn(TMaster_Action_Timer& timer, std::int32_t index, float dt);
  void m_Begin_Player_Handover(std::uint8_t player);
  // True while crashing goes on; the sub-step is its state.
  bool m_Execute_Air_Crashes(TMaster_Action_Timer& timer, std::uint8_t player, std::int32_t index);
  // What became of the unit. A record index below 1 starts the explosion
  // for no action.
  enum class TCrash_Result : std::int32_t {
    No_Unit = 0,    // there is no such unit
    Crashed = 1,    // it crashed (nothing to watch here)
    Exploding = 2,  // it crashed and its explosion is running: the end of turn waits for it
  };
  TCrash_Result m_Crash_Unit(TMaster_Action_Timer& timer, std::int32_t unit_id, std::int32_t index);
  bool m_Execute_Player_Updates(std::uint8_t player, std::int32_t n);
  void m_Execute_Player_Update(std::uint8_t player, std::int32_t n);
  bool m_Execute_AI_Turn(std::uint8_t player, std::uint16_t& sub_step, float dt);
  void m_Start_Player_Turn(TMaster_Action_Timer& timer, std::uint8_t player);
  void m_Refresh_Known_Regions();

  // Starts the stepped save of the timer's save directory (an autosave, or
  // the host's save of a network game).
  void m_Start_Save(TMaster_Action_Timer& timer, bool network_save);
  // The step routine of that save.
  static bool m_Save_Game_Step(void* object, bool is_first, bool is_last, std::int32_t step, TDisplay_Class*,
                               float elapsed, std::int32_t extra, std::int32_t& state);

  // Set when the end of turn found nobody left who can take a turn.
  bool m_Game_Over() const { return f_game_over; }
  void m_Reset() {
    f_game_over = false;
    f_crash_started.clear();
  }

private:
  // Whether some player can still take a turn: an empire that is not
  // eliminated and holds a region or a unit.
  bool m_Any_Player_Can_Play() const;

  bool f_game_over = false;
  bool f_network_save = false;
  TMaster_Action_Timer* f_save_timer = nullptr;
  // Master time at which a crash explosion started, by action id.
  std::map<std::int32_t, float> f_crash_started;
};

// The end of turn of the game's action timer.
extern TEnd_Turn_Actions End_Turn_Actions;
