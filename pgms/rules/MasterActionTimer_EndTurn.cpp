#include "MasterActionTimer_EndTurn.h"

#include <algorithm>

#include "Datafile_BaseGameSettings.h"
#include "Debug_Log.h"
#include "Empire.h"
#include "Errors.h"
#include "EventLog.h"
#include "GameFolder.h"
#include "GameSettings.h"
#include "Global.h"
#include "Io.h"
#include "MachineOptions.h"
#include "MapClass.h"
#include "MasterActionTimer_MapActions.h"
#include "Path.h"
#include "SteppedTask.h"
#include "Turn_Links.h"
#include "World_Links.h"
#include "World_Unit_Facts.h"

TEnd_Turn_Actions End_Turn_Actions;

namespace {
TAI_Turn_Step g_ai_step;

// Seconds before a computer or skipped player hands the turn on, at the
// default unit speed; faster units shorten the pause.
constexpr float Skip_Delay = 0.3f;
float Hand_Over_Pause() { return Skip_Delay / Unit_Movement_Speed_Factor(); }
constexpr float Effect_Height = -5.0f;

bool Timer_Debug() { return Debug_Sections[DEBUG_MASTER_ACTION_TIMER]; }
bool Network_Game() { return Game_Kind_Is_Network(); }
bool Hosted() { return Game_Kind() == TGame_Kind::Host; }
}  // namespace

void Set_AI_Turn_Step(TAI_Turn_Step step) { g_ai_step = std::move(step); }

void TEnd_Turn_Actions::m_Install(TMaster_Action_Timer& timer) { timer.m_Set_Executor(ACTION_END_TURN, this); }

void TEnd_Turn_Actions::m_Execute(TMaster_Action_Timer& timer, std::int32_t index, float dt) {
  if (timer.m_Get_Record(index).kind == ACTION_END_TURN) m_Execute_End_Turn(timer, index, dt);
}

bool TEnd_Turn_Actions::m_Any_Player_Can_Play() const {
  if (!G_Empire_List) return false;
  for (std::int32_t p = 1; p <= G_Empire_List->m_Get_Count(); ++p) {
    const TEmpire* e = G_Empire_List->m_Get_Empire(p);
    if (!e || e->m_Get_Eliminated()) continue;
    if (!G_Map || G_Map->m_Player_Present(std::uint8_t(p))) return true;
  }
  return false;
}

void TEnd_Turn_Actions::m_Execute_End_Turn(TMaster_Action_Timer& timer, std::int32_t index, float dt) {
  TAction_Record& r = timer.m_Get_Record(index);
  const std::uint8_t player = Game_Settings.f_turn_empire;
  switch (r.step) {
    case 0:
      r.step = 2;
      if (!Network_Game()) {
        Turn_Links().m_Play_Interface_Sound(11, -2000);
        m_Begin_Player_Handover(player);
      }
      break;
    case 2:
      r.step = 3;
      r.sub_step = 0;
      break;
    case 3: {
      r.step = 4;
      const TEmpire* e = Empire_Get(player);
      if (!e || e->m_Get_Eliminated()) break;
      if (m_Execute_Air_Crashes(timer, player, index)) timer.m_Get_Record(index).step = 3;
      break;
    }
    case 4:
      r.step = 5;
      break;
    case 5: {
      r.step = 6;
      if (timer.f_autosave_state == 1) {
        r.step = 5;
        break;
      }
      if (timer.f_autosave_state == 2) {
        Game_Settings.f_autosave_pending = false;
        Game_Settings.f_turn_empire = 1;
        if (Hosted()) Turn_Links().m_Send_Current_Player(1);
        Turn_Links().m_Show_Turn_Status();
        timer.f_autosave_state = 0;
        break;
      }
      // Nobody left who can take a turn: the game is over instead of the
      // date advancing for ever over eliminated players. A game of computer
      // players only ends as well once one empire is left: no human turn
      // would ever start to announce the winner.
      if (!m_Any_Player_Can_Play() ||
          (G_Empire_List && G_Empire_List->m_All_Computer_Controlled() && G_Empire_List->m_Get_Winner() != 0)) {
        f_game_over = true;
        r.done = true;
        Turn_Links().m_Show_Game_Over(0);
        break;
      }
      const std::int32_t count = G_Empire_List ? G_Empire_List->m_Get_Count() : 0;
      std::int32_t q = player + 1;
      while (q <= count) {
        const TEmpire* e = Empire_Get(q);
        if (!e || !e->m_Get_Eliminated()) break;
        ++q;
      }
      std::uint8_t next = std::uint8_t(q);
      if (q > count) {
        Game_Settings.f_game_date = Checked_Add(Game_Settings.f_game_date, 1);
        if (G_Event_Log) G_Event_Log->m_Prune_Old_Events();
        if (Hosted()) {
          Turn_Links().m_Send_Game_Date(Game_Settings.f_game_date);
        } else if (!Network_Game()) {
          const std::int32_t n = Machine_Options ? Machine_Options->f_autosave_turns : 0;
          if (n > 0 && Game_Settings.f_game_date % n == 0 && Path_Settings) {
            Game_Settings.f_autosave_slot = std::uint8_t(Game_Settings.f_autosave_slot + 1);
            if (Game_Settings.f_autosave_slot > 10) Game_Settings.f_autosave_slot = 1;
            // The save is put together beside the slot and replaces it only
            // once it is whole: a save that fails leaves the slot's earlier
            // save as it was.
            timer.f_save_directory = Save_Game_Directory("Autosave" + Int_To_Text(Game_Settings.f_autosave_slot));
            Turn_Links().m_Show_Status("Saving Game...");
            Game_Settings.f_autosave_pending = true;
            timer.f_autosave_state = 1;
            m_Start_Save(timer, false);
            timer.m_Get_Record(index).step = 5;
          }
        }
        next = 1;
      }
      if (timer.f_autosave_state != 0) break;
      Game_Settings.f_turn_empire = next;
      if (Hosted()) Turn_Links().m_Send_Current_Player(next);
      Turn_Links().m_Show_Turn_Status();
      break;
    }
    case 6:
      r.step = 7;
      r.sub_step = 0;
      break;
    case 7:
      r.step = 8;
      r.sub_step = std::uint16_t(r.sub_step + 1);
      if (m_Execute_Player_Updates(player, r.sub_step)) r.step = 7;
      break;
    case 8:
      r.step = 9;
      break;
    case 9:
      r.step = 10;
      r.sub_step = 0;
      break;
    case 10: {
      r.step = 11;
      TEmpire* e = Empire_Get(player);
      if (e && e->m_Get_Eliminated()) {
        r.step = 2;
        r.delay = Hand_Over_Pause();
        break;
      }
      if (!G_Map || !G_Map->m_Player_Present(player)) {
        if (e) e->m_Set_Eliminated(true);
        if (!e || e->m_Get_Computer_Controlled()) {
          r.step = 2;
          r.delay = Hand_Over_Pause();
          break;
        }
      }
      bool computer = e && e->m_Get_Computer_Controlled();
      if (Hosted() && player >= 1 && player <= Game_Settings_Player_Slots &&
          Game_Settings.m_Player(player).f_connected == 0)
        computer = true;
      if (!computer) break;
      r.sub_step = std::uint16_t(r.sub_step + 1);
      std::uint16_t sub = r.sub_step;
      const bool more = m_Execute_AI_Turn(player, sub, dt);
      // The computer player may have added actions: the record is looked up
      // again.
      TAction_Record& again = timer.m_Get_Record(index);
      again.sub_step = sub;
      if (more) {
        again.step = 10;
      } else {
        again.step = 2;
        again.delay = Hand_Over_Pause();
      }
      break;
    }
    case 11:
      r.step = 12;
      m_Start_Player_Turn(timer, player);
      break;
    default:
      r.done = true;
      break;
  }
}

void TEnd_Turn_Actions::m_Begin_Player_Handover(std::uint8_t player) {
  if (TEmpire* e = Empire_Get(player)) e->m_Reset_Camera();
  if (Game_Kind() == TGame_Kind::Hot_Seat) Turn_Links().m_Set_Screen_Mode(TScreen_Mode::Handover);
}

bool TEnd_Turn_Actions::m_Execute_Air_Crashes(TMaster_Action_Timer& timer, std::uint8_t player, std::int32_t index) {
  TAction_Record& r = timer.m_Get_Record(index);
  switch (r.sub_step) {
    case 0:
    case 3:
      r.sub_step = 1;
      f_crash_started.erase(r.id);
      return true;
    case 1: {
      r.sub_step = 10;
      TMap_Unit_Record u;
      if (G_Map) G_Map->m_Find_Next_Air_Unit_Over_Foreign_Region(player, 0, u);
      if (u.id != 0) {
        r.end_turn.crash_unit_id = u.id;
        if (Hosted()) Turn_Links().m_Send_Crash(u.id);
        const bool exploding = m_Crash_Unit(timer, u.id, index) == TCrash_Result::Exploding;
        TAction_Record& again = timer.m_Get_Record(index);
        again.sub_step = exploding ? 2 : 3;
        if (exploding) f_crash_started[again.id] = timer.m_Master_Time();
      }
      return true;
    }
    case 2: {
      // The explosion reports its end through m_Effect_Finished; one that
      // never does holds the turn no longer than its time limit.
      auto it = f_crash_started.find(r.id);
      if (it == f_crash_started.end() || timer.m_Master_Time() - it->second > Crash_Effect_Time_Limit) {
        r.sub_step = 3;
        f_crash_started.erase(r.id);
      }
      return true;
    }
    default:
      return false;
  }
}

TEnd_Turn_Actions::TCrash_Result TEnd_Turn_Actions::m_Crash_Unit(TMaster_Action_Timer& timer, std::int32_t unit_id, std::int32_t index) {
  if (!G_Map) return TCrash_Result::No_Unit;
  TMap_Unit_Record u;
  G_Map->m_Get_Unit(unit_id, u);
  if (u.id == 0) return TCrash_Result::No_Unit;
  TCrash_Result result = TCrash_Result::Crashed;
  const TEmpire* local = Empire_Get(Game_Settings.f_local_empire);
  TMap_Region* region = G_Map->m_Get_Region(u.region);
  if (local && local->m_Is_Region_Known(u.region) && region) {
    const TRegion_Label_Values& l = region->m_Get_Label_Values();
    Turn_Links().m_Centre_Camera(float(l.centre_x), float(l.centre_y));
    TColor colour = 0;
    std::int32_t h = 0, w = 0, y = 0, x = 0;
    const std::int32_t effect = Turn_Links().m_Find_Effect("Explosion");
    if (effect != 0 && region->m_Get_Stack_Draw_Rect(u.unit_type, u.owner, colour, h, w, y, x)) {
      const std::int32_t id = index >= 1 ? timer.m_Get_Record(index).id : 0;
      const TVector centre{float(x) + float(w) / 2, float(y) + float(h) / 2, Effect_Height};
      // An explosion that cannot start does not hold the turn.
      if (Turn_Links().m_Start_Effect(effect, centre, centre, id)) result = TCrash_Result::Exploding;
    }
  } else if (Hosted() && index >= 1) {
    timer.m_Get_Record(index).delay = 1.0f;
  }
  if (G_Event_Log) G_Event_Log->m_Add_Unit_Crashed(Game_Settings.f_game_date, u.owner, u.unit_type, u.region);
  G_Map->m_Delete_Unit(unit_id);
  return result;
}

bool TEnd_Turn_Actions::m_Execute_Player_Updates(std::uint8_t player, std::int32_t n) {
  if (Game_Kind() == TGame_Kind::Hot_Seat &&
      Game_Settings.f_game_date == Base_Game_Settings.f_starting_game_date && n >= 1 && n <= 5)
    return true;
  m_Execute_Player_Update(player, n);
  if (n >= 10) {
    if (Hosted()) Turn_Links().m_Send_End_Turn_Status(player);
    return false;
  }
  return true;
}

namespace {
// The roll of one research purchase, 1..100. Every machine of a network game
// plays the purchases of each player's turn itself, and their random
// generators do not run alike (the host alone rolls the computer's battles
// and bombardments): there the roll is a fixed mix of what every machine
// knows alike (date, player, area, level, place in the list), so that all
// find the same outcome. A game at one machine draws from its generator as
// it always has.
std::int32_t Research_Roll(std::int32_t date, std::uint8_t player, std::int32_t area, std::int32_t level,
                           std::int32_t place) {
  if (!Game_Kind_Is_Network()) return Random_Range(1, 100);
  std::uint64_t x = (std::uint64_t(std::uint32_t(date)) << 32) ^ (std::uint64_t(player) << 24) ^
                    (std::uint64_t(std::uint32_t(area)) << 12) ^ (std::uint64_t(std::uint32_t(level)) << 6) ^
                    std::uint64_t(std::uint32_t(place));
  // splitmix64 finaliser
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  x ^= x >> 31;
  return std::int32_t(x % 100) + 1;
}

void Purchases_And_Research(TEmpire& e, std::uint8_t player) {
  std::int32_t money = e.m_Get_Treasury();
  bool placed = false;
  const std::int32_t date = Game_Settings.f_game_date;
  std::int32_t i = 1;
  while (i <= e.m_Get_Purchase_Count()) {
    TEmpire_Purchase p;
    e.m_Get_Purchase(i, p);
    // A negative cost (a purchase list from elsewhere) never fills the
    // treasury.
    if (p.cost < 0 || money < p.cost || !e.m_Is_Purchase_Valid(p)) {
      ++i;
      continue;
    }
    if (p.kind == PURCHASE_UNIT) {
      TMap_Region* region = G_Map ? G_Map->m_Get_Region(p.region) : nullptr;
      const TUnit_Type* type = World_Unit_Type(p.id);
      if (region && type) {
        for (std::int32_t k = 0; k < p.amount; ++k) {
          const std::int32_t id = G_Map->m_Add_Unit(p.region, std::uint16_t(p.id), player,
                                                    Checked_Cast<std::uint8_t>(type->f_movement_amount), 0);
          // Listed even when its stack finds no square (see m_Admit_Unit).
          region->m_Admit_Unit(id);
        }
        e.m_Count_Unit_Bought(p.id, p.amount);
        if (G_Event_Log) G_Event_Log->m_Add_Purchase(date, player, p.amount, std::uint16_t(p.id), p.region);
        placed = true;
      }
    } else if (p.kind == PURCHASE_RESEARCH) {
      if (const TTech_Area* area = World_Tech_Area(p.id)) {
        const std::int32_t level = e.m_Get_Tech_Level(p.id);
        const std::int32_t roll = Research_Roll(date, player, p.id, level, i);
        const bool success = area->m_Get_Chance(p.region) >= roll && level < area->f_maximum_level;
        if (success) e.m_Set_Tech_Level(p.id, level + 1);
        if (G_Event_Log) G_Event_Log->m_Add_Research(date, player, p.id, level, success);
      }
    }
    // Paid whether the research succeeded or not.
    money = Checked_Sub(money, p.cost);
    e.m_Delete_Purchase(i);
  }
  e.m_Set_Treasury(money);
  if (placed) e.m_Update_Known_Regions();
  e.m_Remove_Invalid_Purchases();
}

void Income_And_Supply(TEmpire& e, std::uint8_t player) {
  const std::int32_t date = Game_Settings.f_game_date;
  e.m_Update_Income();
  e.m_Update_Upkeep();
  if (G_Event_Log) G_Event_Log->m_Add_Collect_Resources(date, player, e.m_Get_Income());
  e.m_Set_Treasury(Checked_Add(e.m_Get_Treasury(), e.m_Get_Income()));
  // Supply never takes the treasury below 0.
  const std::int32_t payment = std::max(0, std::min(e.m_Get_Upkeep(), e.m_Get_Treasury()));
  e.m_Set_Treasury(e.m_Get_Treasury() - payment);
  if (G_Event_Log) G_Event_Log->m_Add_Pay_Supply(date, player, payment);
}
}  // namespace

void TEnd_Turn_Actions::m_Execute_Player_Update(std::uint8_t player, std::int32_t n) {
  TEmpire* e = Empire_Get(player);
  if (!e) return;
  switch (n) {
    case 1:
      e->m_Update_Upkeep();
      e->m_Store_Previous_Upkeep();
      break;
    case 2: Purchases_And_Research(*e, player); break;
    case 3: Income_And_Supply(*e, player); break;
    case 4:
      if (G_Map) G_Map->m_Reset_Player_Moves(player);
      break;
    case 5: Empire_Update_Statistics(player); break;
    case 10:
      // The host finds a player with nothing left on the map eliminated when
      // its turn begins, right after these updates; a joined machine, which
      // plays the updates from the host's report, finds the same on the same
      // map, so that every machine holds the same empires.
      if (Game_Kind() == TGame_Kind::Joined && G_Map && !G_Map->m_Player_Present(player)) e->m_Set_Eliminated(true);
      break;
    default: break;
  }
}

bool TEnd_Turn_Actions::m_Execute_AI_Turn(std::uint8_t player, std::uint16_t& sub_step, float dt) {
  const bool debug = Timer_Debug();
  if (debug) {
    Debug_Log_Write("TMaster_Action_Timer.m_Execute_AI_Turn - Start");
    Debug_Log_Write("  Plr " + Int_To_Text(player) + " - Step " + Int_To_Text(sub_step));
  }
  const bool more = g_ai_step ? g_ai_step(player, sub_step, dt) : false;
  if (debug) Debug_Log_Write("TMaster_Action_Timer.m_Execute_AI_Turn - End");
  return more;
}

void TEnd_Turn_Actions::m_Start_Player_Turn(TMaster_Action_Timer& timer, std::uint8_t player) {
  if (Hosted() && player == 1 && Path_Settings) {
    // The game's name becomes its save folder; a name that is no save's
    // name (shown under "Error") leaves the directory empty, and the save
    // job then ends at once without writing anything.
    timer.f_save_directory = Save_Game_Directory(Game_Settings.f_network_save_name);
    Turn_Links().m_Show_Status("Saving Multiplayer Game \"" + Game_Settings.f_network_save_name + "\"...");
    m_Start_Save(timer, true);
  }
  TEmpire* e = Empire_Get(player);
  if (Game_Kind() == TGame_Kind::Hot_Seat) {
    Turn_Links().m_Set_Screen_Mode(TScreen_Mode::Handover);
    Turn_Links().m_Show_Message("Next Player", Next_Player_Text(player), TMessage_Kind::Next_Player);
    Game_Settings.f_local_empire = player;
    World_Main_Screen_Link().Map_Ownership_Changed();
    if (e) e->m_Apply_Camera();
  } else {
    if (e) e->m_Apply_Camera();
    m_Refresh_Known_Regions();
    if ((G_Empire_List && G_Empire_List->m_Get_Winner() != 0) || (e && e->m_Get_Eliminated()))
      Turn_Links().m_Show_Game_Over(player);
  }
  Turn_Links().m_Clear_Notices();
  // What the others did since this player's last turn, as far as the
  // player could see it, then the player's own research results.
  if (G_Event_Log) G_Event_Log->m_Notify_Other_Turns(player);
  if (G_Event_Log) G_Event_Log->m_Notify_Research_Results(player);
}

void TEnd_Turn_Actions::m_Refresh_Known_Regions() {
  if (TEmpire* e = Empire_Get(Game_Settings.f_turn_empire)) e->m_Update_Known_Regions();
  World_Main_Screen_Link().Map_Ownership_Changed();
}

void TEnd_Turn_Actions::m_Start_Save(TMaster_Action_Timer& timer, bool network_save) {
  f_network_save = network_save;
  f_save_timer = &timer;
  Stepped_Task_Begin(nullptr, 1, 100, 0, &TEnd_Turn_Actions::m_Save_Game_Step, this);
}

bool TEnd_Turn_Actions::m_Save_Game_Step(void* object, bool is_first, bool is_last, std::int32_t step,
                                         TDisplay_Class*, float, std::int32_t, std::int32_t&) {
  auto* self = static_cast<TEnd_Turn_Actions*>(object);
  TMaster_Action_Timer* timer = self->f_save_timer;
  if (!timer) return false;
  std::int32_t result = 0;
  bool ok = true;
  try {
    ok = Main_Save_Game_Stepped(timer->f_save_directory, is_first, is_last, result, step);
  } catch (const std::exception& e) {
    Debug_Log_Write("m_Save_Game_Step - " + std::string(e.what()));
    ok = false;
  }
  if (is_last) {
    // The closing call comes after the last step and after a step that
    // failed: a failed save ends like one that finished, so that the end of
    // turn goes on. The host's save belongs to no end of turn: it is over
    // either way, and the next End Turn must not take it for an autosave.
    timer->f_autosave_state = 2;
    if (self->f_network_save) {
      Turn_Links().m_Send_Start_Player_Turn(Game_Settings.f_turn_empire);
      timer->f_autosave_state = 0;
    }
    Turn_Links().m_Show_Status("");
  }
  return ok;
}

std::string Next_Player_Text(std::int32_t player) {
  const TEmpire* e = Empire_Get(player);
  const std::string name = e ? Text_Trim(e->m_Get_Player_Name()) : std::string();
  return (name.empty() ? "Player " + Int_To_Text(player) : name) + ", start your turn...";
}
