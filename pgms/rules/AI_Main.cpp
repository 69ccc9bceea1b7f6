#include "AI_Main.h"
#include "Multiplayer_GameActions.h"

#include <algorithm>

#include "AI_Log.h"
#include "Combat.h"
#include "Empire.h"
#include "Errors.h"
#include "GameSettings.h"
#include "Game_Command_Post.h"
#include "MapClass.h"
#include "MasterActionTimer.h"
#include "MasterActionTimer_EndTurn.h"

TAI_State AI;

namespace {
TAI_Links Default_Links;
TAI_Links* Links = &Default_Links;

bool Is_Computer(std::uint8_t player) {
  const TEmpire* e = Empire_Get(player);
  return e && e->m_Get_Computer_Controlled();
}

// The first combat region not yet started this turn; 0 when none.
std::int32_t Next_Combat_Region() {
  for (std::int32_t i = 1; i <= G_Map->m_Get_Combat_Region_Count(); ++i) {
    const std::int32_t r = G_Map->m_Get_Combat_Region(i);
    if (r == 0) continue;
    if (std::find(AI.tried_combat_regions.begin(), AI.tried_combat_regions.end(), r) ==
        AI.tried_combat_regions.end())
      return r;
  }
  return 0;
}

// Starts the battle of the next combat region (step 70). False when there
// is none left to start.
bool Start_Next_Battle() {
  const std::int32_t region = Next_Combat_Region();
  if (region == 0) return false;
  AI.tried_combat_regions.push_back(region);
  bool auto_resolve = true;
  std::uint8_t first = 0, second = 0;
  if (const TMap_Region* r = G_Map->m_Get_Region(region)) r->m_Get_Unit_Owners(first, second);
  for (std::uint8_t owner : {first, second})
    if (owner != 0 && Empire_Get(owner) && !Is_Computer(owner)) auto_resolve = false;
  const bool show_dialog = !auto_resolve;
  if (show_dialog && Game_Kind() == TGame_Kind::Host && first != 1 && second != 1) {
    // The battle belongs to a player on another machine.
    const std::uint8_t human = Is_Computer(first) ? second : first;
    Links->m_Send_Combat_Plr_Start(human, region);
    Links->m_Combat_Set_Region(region);
  } else {
    Links->m_Combat_Begin(region, auto_resolve, show_dialog);
  }
  return true;
}

// Steps that plan or buy: they move no unit and leave the region table as
// it is (step 10 makes it again).
bool Map_Stands_Still(std::uint16_t step) {
  switch (step) {
    case 15: case 20: case 25: case 30: case 35: case 40: case 45: case 85: return true;
    default: return false;
  }
}

bool Run_Step(std::uint8_t player, std::uint16_t& step) {
  const TAI_Step_Memo memo(Map_Stands_Still(step));
  const bool neutral = G_Empire_List && G_Empire_List->m_Is_Neutral(player);
  switch (step) {
    case 8:
      AI.loop_count = 0;
      AI.tried_combat_regions.clear();
      return true;
    case 9:
      AI.order_issued = false;
      AI.loop_count = Checked_Add(AI.loop_count, 1);
      AI_Log("Main Loop - " + std::to_string(AI.loop_count));
      AI_Generate_Unit_Type_Stats(player);
      return true;
    case 10: AI_Player_Start(player); return true;
    case 15: AI_Compute_Stats(player); return true;
    case 20:
      if (!neutral) AI_Create_Objects(player);
      return true;
    case 25:
      if (!neutral) AI_Create_Assets(player);
      return true;
    case 30:
      if (!neutral) AI_Create_Tasks(player);
      return true;
    case 35:
      if (!neutral) AI_Create_Assignments(player);
      return true;
    case 40:
      if (!neutral) AI_Sort_Assignments(player);
      return true;
    case 45:
      if (!neutral) AI_Assign_Tasks(player);
      return true;
    case 50:
      if (neutral) {
        step = 54;
        return true;
      }
      step = 49;
      if (!Master_Action_Timer->m_Is_Action_Done(AI.last_order_id)) return true;
      if (AI_Execute_Next_Order(player)) {
        Master_Action_Timer->m_Note_Progress();
        return true;
      }
      step = 54;
      AI.last_order_id = 0;
      return true;
    case 70:
      if (Links->m_Combat_Running()) {
        step = 69;
        return true;
      }
      if (Start_Next_Battle()) step = 69;
      return true;
    case 80:
      if (G_Map->m_Any_Unit_With_Moves(player) && AI.order_issued && AI.loop_count < 3) step = 8;
      return true;
    case 85:
      AI_Purchases(player);
      if (Game_Kind_Is_Network()) Links->m_Send_Update_Purchases(player);
      return true;
    case 90:
      step = 89;
      if (AI_Save_Air_Units(player)) {
        Master_Action_Timer->m_Note_Progress();
        return true;
      }
      step = 95;
      AI.air_cursor = 0;
      AI.air_last_order = 0;
      return true;
    case 100: return false;
    default: return true;
  }
}
}  // namespace

bool TAI_Links::m_Combat_Running() { return Combat_Is_Active(); }
void TAI_Links::m_Combat_Begin(std::int32_t region, bool auto_resolve, bool show_dialog) {
  Combat_Begin(region, auto_resolve, show_dialog);
}
void TAI_Links::m_Combat_Set_Region(std::int32_t region) { Combat_Set_Region(region); }
void TAI_Links::m_Send_Update_Purchases(std::uint8_t player) {
  const TEmpire* empire = Empire_Get(player);
  if (empire == nullptr) return;
  TCommand_Purchases purchases{player, {}};
  for (std::int32_t i = 1; i <= empire->m_Get_Purchase_Count(); ++i) {
    TEmpire_Purchase p;
    empire->m_Get_Purchase(i, p);
    purchases.entries.push_back(p);
  }
  Game_Command_Post(purchases, TCommand_Origin::Computer);
}
void TAI_Links::m_Send_Combat_Plr_Start(std::uint8_t player, std::int32_t region) {
  // The computer player whose turn it is gives the battle to the human's
  // machine. That machine announces nothing of a battle against the
  // computer but its results, which the host takes only from a player of
  // the battle it knows: without this pair it kept the previous battle's,
  // refused the results and waited for them for ever.
  if (Game_Kind() == TGame_Kind::Host) {
    MP_Combat_Attacker_Plr = Game_Settings.f_turn_empire;
    MP_Combat_Defender_Plr = player;
    MP_Battle_Elsewhere = TMP_Battle_Elsewhere{region, Game_Settings.f_turn_empire, player};
  }
  Game_Command_Post(TCommand_Battle_Given{player, region});
}

void Set_AI_Links(TAI_Links* links) { Links = links ? links : &Default_Links; }
TAI_Links& AI_Get_Links() { return *Links; }

bool Execute_AI_Main(std::uint8_t player, std::uint16_t& step) {
  try {
    if (!G_Map || !Master_Action_Timer) return false;
    return Run_Step(player, step);
  } catch (const EGlobarch_Error& e) {
    AI_Log(std::string("Error: Execute_AI_Main - ") + e.what());
    return false;
  }
}

bool AI_Initialize() {
  AI = TAI_State();
  return true;
}

bool AI_Finalize() {
  AI = TAI_State();
  return true;
}

void AI_Install_Turn_Hook() {
  Set_AI_Turn_Step([](std::uint8_t player, std::uint16_t& sub_step, float) { return Execute_AI_Main(player, sub_step); });
}
