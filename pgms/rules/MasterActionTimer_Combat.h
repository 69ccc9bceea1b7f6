// The three action kinds through which a battle changes its grid over
// frames (Combat Move, Combat Attack, Combat Next Piece), and the damage of
// an attack. One executor runs all three; m_Install plugs it into a timer.
#pragma once

#include <cstdint>
#include <map>

#include "Combat.h"
#include "MasterActionTimer.h"

class TCombat_Actions : public TAction_Executor {
public:
  // Plugs this executor in for the three combat kinds of the timer.
  void m_Install(TMaster_Action_Timer& timer);

  void m_Execute(TMaster_Action_Timer& timer, std::int32_t index, float dt) override;
  void m_Execute_Combat_Move(TMaster_Action_Timer& timer, std::int32_t index, float dt);
  void m_Execute_Combat_Attack(TMaster_Action_Timer& timer, std::int32_t index, float dt);
  void m_Execute_Combat_Next_Piece(TMaster_Action_Timer& timer, std::int32_t index, float dt);

  // The damage of an attack of the piece at the attacker's anchor on the
  // piece at the defender's anchor, before hit points are taken.
  static std::int32_t m_Calc_Combat_Damage(std::int32_t attacker_column, std::int32_t attacker_row,
                                           std::int32_t defender_column, std::int32_t defender_row);

  // Units a damage kills of a piece of `count` units whose front unit has
  // `hit_points` left and whose units have `full_hit_points`; count and
  // hit points are updated, the number killed is returned.
  static std::int32_t m_Apply_Damage(std::int32_t damage, std::int32_t full_hit_points, std::int32_t& count,
                                     std::int32_t& hit_points);

private:
  // The moving piece's anchor cell, by action id, from step 0 to step 2.
  std::map<std::int32_t, TCombat_Cell> f_moving;
};

// The combat actions of the game's action timer (installed when the timer
// is created at start-up).
extern TCombat_Actions Combat_Actions;
