#include "Lost_Player.h"

#include "Combat.h"
#include "Debug_Log.h"
#include "GameSettings.h"
#include "MapClass.h"
#include "MasterActionTimer.h"
#include "Multiplayer_GameActions.h"

namespace {

class TLost_Player_Links : public TMP_Lost_Player_Links {
public:
  bool m_Play_Lost_Turn(std::uint8_t player) override { return Lost_Player_Play_Turn(player); }
  bool m_Fight_Battle_Here(std::int32_t region) override { return Lost_Player_Fight_Battle(region); }
  void m_Battle_Player_Lost(std::uint8_t player) override { Combat_Player_Lost(player); }
};

TLost_Player_Links Links;

// The End Turn step at which the computer begins its play of the turn.
constexpr std::uint8_t Computer_Play_Step = 9;

}  // namespace

bool Lost_Player_Play_Turn(std::uint8_t player) {
  TMaster_Action_Timer* timer = Master_Action_Timer;
  if (!timer || timer->m_Record_Count() != 0 || Combat_Is_Active()) return false;
  if (Game_Settings.f_turn_empire != player) return false;
  const std::int32_t index = timer->m_Find_Action(timer->m_Add_Action_End_Turn());
  if (index < 1) return false;
  timer->m_Get_Record(index).step = Computer_Play_Step;
  if (Debug_Sections[DEBUG_MULTIPLAYER])
    Debug_Log_Write("Lost_Player_Play_Turn - the computer plays the turn of player " + std::to_string(player));
  return true;
}

bool Lost_Player_Fight_Battle(std::int32_t region) {
  if (Combat_Is_Active()) {
    // The host waits for a battle it gave away with only its region set.
    if (Combat_Get_Region() != region || Combat_Get_Attacker() != 0) return false;
    Combat_Set_Region(0);
  }
  if (!G_Map || !G_Map->m_Is_Combat_Region(region)) return true;
  // Nobody of the battle plays at a machine any more: nobody watches it.
  Combat_Begin(region, true, false);
  return true;
}

void Lost_Player_Install() { Set_MP_Lost_Player_Links(&Links); }
