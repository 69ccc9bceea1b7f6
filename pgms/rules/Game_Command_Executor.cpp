#include "Game_Command_Executor.h"

#include <vector>

#include "BombardDamageList.h"
#include "Combat.h"
#include "Empire.h"
#include "Errors.h"
#include "EventLog.h"
#include "GameSettings.h"
#include "Lists_LongIntList.h"
#include "MapClass.h"
#include "MapRegion.h"
#include "MasterActionTimer.h"
#include "MasterActionTimer_EndTurn.h"
#include "Multiplayer_ActionQueue.h"
#include "Multiplayer_GameActions.h"
#include "Multiplayer_Game_Executor.h"

namespace {

// This machine's player knows the region.
bool Known_Here(std::int32_t region) {
  TEmpire* local = Empire_Get(Game_Settings.f_local_empire);
  return local != nullptr && local->m_Is_Region_Known(region);
}

bool Executes_Here(const TMP_Message& m) { return m.m_Int(0) == Game_Settings.f_local_empire; }
bool Sent_From_Elsewhere(const TMP_Message& m) { return m.m_Int(0) != Game_Settings.f_local_empire; }

TLongintList Unit_List(const TMP_Message& m, std::size_t count_at) {
  TLongintList units;
  std::int32_t n = m.m_Int(count_at);
  for (std::int32_t i = 1; i <= n; ++i) units.m_Add(m.m_Int(count_at + static_cast<std::size_t>(i)));
  return units;
}

// Executes one relayed message; returns the timer action the next one waits
// for.
std::int32_t Execute_Message(TMultiplayer_Action_Queue& queue, const TMP_Message& m, std::int32_t previous,
                             bool& continue_batch) {
  std::int32_t awaited = 0;
  continue_batch = false;
  const std::uint8_t code = m.code;
  TMP_Game_Links& links = MP_Game_Links();
  TMaster_Action_Timer* timer = Master_Action_Timer;

  switch (code) {
    case LAN_MSG_TO_CLIENT_ACTION_MOVE_UNIT: {
      std::int32_t src = m.m_Int(0), dest = m.m_Int(1);
      std::int32_t wait = m.m_Int(4) != 0 ? previous : 0;
      bool more = m.m_Bool(5);
      TLongintList units = Unit_List(m, 6);
      if (timer != nullptr)
        awaited = timer->m_Add_Action_Move_Unit(src, static_cast<std::uint16_t>(m.m_Int(2)),
                                                     static_cast<std::uint8_t>(m.m_Int(3)), units.m_Count(), units,
                                                     dest, wait, more, Known_Here(src) || Known_Here(dest));
      continue_batch = more;
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_BOMBARD_UNIT: {
      std::int32_t src = m.m_Int(0), dest = m.m_Int(1);
      TLongintList units = Unit_List(m, 5);
      std::size_t at = 6 + static_cast<std::size_t>(units.m_Count());
      std::int32_t value = m.m_Int(at);
      std::int32_t n = m.m_Int(at + 1);
      std::vector<TBombard_Damage_Record> damage;
      for (std::int32_t i = 0; i < n; ++i) {
        std::size_t f = at + 2 + static_cast<std::size_t>(i) * 3;
        damage.push_back({m.m_Int(f), m.m_Int(f + 1), m.m_Int(f + 2)});
      }
      if (timer != nullptr)
        awaited = timer->m_Add_Action_Bombard_Unit(src, static_cast<std::uint16_t>(m.m_Int(2)),
                                                        static_cast<std::uint8_t>(m.m_Int(3)), units.m_Count(), units,
                                                        dest, 0, Known_Here(src) || Known_Here(dest), value, damage);
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_ADD_UNIT_TO_UNIT_CARGO: {
      if (G_Map == nullptr) break;
      TMap_Region* region = G_Map->m_Get_Region(m.m_Int(0));
      if (region == nullptr) break;
      const std::uint8_t owner = static_cast<std::uint8_t>(m.m_Int(1));
      const std::int32_t transport = m.m_Int(2), cargo = m.m_Int(3);
      const bool remove = m.m_Bool(4);
      const std::uint8_t noted_owner = region->m_Get_Owner();
      if (G_Map->m_Add_Unit_To_Cargo(transport, cargo, true, remove) && timer != nullptr)
        awaited = timer->m_Add_Action_Load_Unit(transport, cargo);
      G_Map->m_Add_Unit_To_Cargo(transport, cargo, false, remove);
      bool changed = false;
      if (!region->m_Has_Opposing_Combat_Units() && G_Map->m_Is_Combat_Region(m.m_Int(0))) {
        G_Map->m_Remove_Combat_Region(m.m_Int(0));
        changed = true;
      }
      std::uint8_t first = 0, second = 0;
      region->m_Get_Unit_Owners(first, second);
      if (first != owner && second != owner) {
        region->m_Set_Owner(noted_owner);
        changed = true;
      }
      if (changed) links.m_Map_Ownership_Changed();
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_REMOVE_UNIT_FROM_UNIT_CARGO: {
      if (G_Map == nullptr) break;
      const std::int32_t dest = m.m_Int(0);
      const std::uint8_t owner = static_cast<std::uint8_t>(m.m_Int(1));
      const std::int32_t transport = m.m_Int(2), cargo = m.m_Int(3);
      const bool add = m.m_Bool(4), clear = m.m_Bool(5);
      const bool was_combat = G_Map->m_Is_Combat_Region(dest);
      if (G_Map->m_Remove_Unit_From_Cargo(transport, cargo, true, clear, dest, add) && timer != nullptr)
        awaited = timer->m_Add_Action_Unload_Unit(transport, cargo, dest);
      G_Map->m_Remove_Unit_From_Cargo(transport, cargo, false, clear, dest, add);
      TMap_Region* region = G_Map->m_Get_Region(dest);
      if (region == nullptr) break;
      if (region->m_Has_Opposing_Combat_Units()) {
        G_Map->m_Add_Combat_Region(dest);
        if (!was_combat) links.m_Map_Ownership_Changed();
      } else {
        region->m_Set_Owner(owner);
        links.m_Map_Ownership_Changed();
      }
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_SET_UNIT_MOVEMENT: {
      TLongintList units = Unit_List(m, 1);
      if (G_Map != nullptr)
        for (std::int32_t i = 1; i <= units.m_Count(); ++i) G_Map->m_Set_Unit_Moves(units.m_Get(i), 0);
      links.m_Refresh_Selection();
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_UPDATE_PURCHASES: {
      TEmpire* empire = Empire_Get(m.m_Int(0));
      if (empire == nullptr) break;
      empire->m_Clear_Purchases();
      std::int32_t n = m.m_Int(1);
      for (std::int32_t i = 0; i < n; ++i) {
        std::size_t f = 2 + static_cast<std::size_t>(i) * 5;
        TEmpire_Purchase p;
        p.kind = static_cast<std::uint8_t>(m.m_Int(f));
        p.id = m.m_Int(f + 1);
        p.amount = static_cast<std::uint16_t>(m.m_Int(f + 2));
        p.region = m.m_Int(f + 3);
        p.cost = m.m_Int(f + 4);
        empire->m_Add_Purchase(p);
      }
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_PLANE_CRASH:
      // The crash reports a status, not an action: nothing after it waits.
      links.m_Crash_Unit(m.m_Int(0));
      break;
    case LAN_MSG_TO_CLIENT_ACTION_NEW_GAME_DATE:
      Game_Settings.m_Set_Current_Turn(m.m_Int(0));
      if (G_Event_Log != nullptr) G_Event_Log->m_Prune_Old_Events();
      break;
    case LAN_MSG_TO_CLIENT_ACTION_NEW_CURRENT_PLAYER:
      Game_Settings.m_Set_Turn_Empire(static_cast<std::uint8_t>(m.m_Int(0)));
      links.m_Show_Turn_Status();
      links.m_Map_Ownership_Changed();
      break;
    case LAN_MSG_TO_CLIENT_ACTION_START_PLAYER_TURN:
      links.m_Start_Player_Turn(static_cast<std::uint8_t>(m.m_Int(0)));
      break;
    case LAN_MSG_TO_CLIENT_ACTION_END_TURN_STATUS:
      for (std::int32_t i = 1; i <= 10; ++i) links.m_Execute_Player_Update(static_cast<std::uint8_t>(m.m_Int(0)), i);
      break;
    case LAN_MSG_TO_CLIENT_ACTION_PLAYER_AI_CONTROLLED:
      if (TEmpire* empire = Empire_Get(m.m_Int(0))) empire->m_Set_Computer_Controlled(true);
      queue.m_Drop_Unfinished_Moves(static_cast<std::uint8_t>(m.m_Int(0)));
      MP_Lost_Player_Links().m_Battle_Player_Lost(static_cast<std::uint8_t>(m.m_Int(0)));
      break;
    case LAN_MSG_TO_CLIENT_ACTION_DECOMMISSION_UNITS: {
      TLongintList units = Unit_List(m, 2);
      if (timer != nullptr)
        awaited = timer->m_Add_Action_Decommission_Units(m.m_Int(0), static_cast<std::uint8_t>(m.m_Int(1)),
                                                              units.m_Count(), units, Known_Here(m.m_Int(0)));
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_BEGIN:
      // Every machine learns the battle's two players, so a machine that
      // mirrors the battle as the defender sends its own steps correctly.
      MP_Combat_Attacker_Plr = static_cast<std::uint8_t>(m.m_Int(4));
      MP_Combat_Defender_Plr = static_cast<std::uint8_t>(m.m_Int(5));
      if (Executes_Here(m))
        links.m_Combat_Begin_Remote(m.m_Int(1), m.m_Bool(2), m.m_Text(3), static_cast<std::uint8_t>(m.m_Int(4)),
                                    static_cast<std::uint8_t>(m.m_Int(5)), static_cast<std::uint8_t>(m.m_Int(6)));
      break;
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_ADD_STARTING_UNIT:
      if (Executes_Here(m)) links.m_Combat_Add_Unit_Remote(m);
      break;
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_WAIT_PIECE_TURN:
      if (Executes_Here(m)) links.m_Combat_Wait_Piece_Remote(m.m_Bool(1));
      break;
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_NEXT_PIECE:
      if (Executes_Here(m)) links.m_Combat_Next_Piece_Remote();
      break;
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_ATTACK:
      if (Executes_Here(m)) links.m_Combat_Attack_Remote(m.m_Int(1), m.m_Int(2), m.m_Int(3));
      break;
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_MOVE:
      if (Executes_Here(m)) links.m_Combat_Move_Remote(m.m_Int(1), m.m_Int(2));
      break;
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_END_COMBAT_ADD_LOG: {
      if (!Sent_From_Elsewhere(m) || G_Event_Log == nullptr) break;
      std::vector<TEvent_Log_Combat_Row> rows;
      std::int32_t n = m.m_Int(8);
      if (n > 140) throw ERangeError("More than 140 starting-unit groups");
      for (std::int32_t i = 0; i < n; ++i) {
        std::size_t f = 9 + static_cast<std::size_t>(i) * 4;
        rows.push_back({static_cast<std::uint16_t>(m.m_Int(f)), static_cast<std::uint8_t>(m.m_Int(f + 1)),
                        m.m_Int(f + 2), m.m_Int(f + 3)});
      }
      G_Event_Log->m_Add_Combat(m.m_Int(1), static_cast<std::uint8_t>(m.m_Int(2)), rows, m.m_Bool(7), m.m_Int(6),
                                static_cast<std::uint8_t>(m.m_Int(5)), static_cast<std::uint8_t>(m.m_Int(4)),
                                static_cast<std::uint8_t>(m.m_Int(3)));
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_END_DELETE_UNIT: {
      if (!Sent_From_Elsewhere(m) || G_Map == nullptr) break;
      G_Map->m_Delete_Unit(m.m_Int(1));
      if (m.m_Int(2) > 0) {
        TMap_Unit_Record parent;
        G_Map->m_Get_Unit(m.m_Int(2), parent);
        bool empty = false;
        if (parent.id != 0 && parent.cargo_list != 0) G_Map->m_Remove_From_Cargo_List(parent.cargo_list, m.m_Int(1), empty);
      }
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_END_RESULTS:
      if (Sent_From_Elsewhere(m))
        links.m_Combat_Results_Remote(static_cast<std::uint8_t>(m.m_Int(1)), m.m_Int(2),
                                      static_cast<std::uint8_t>(m.m_Int(3)), static_cast<std::uint8_t>(m.m_Int(4)));
      break;
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_END_PIECE_TURN:
      if (Executes_Here(m)) links.m_Combat_End_Piece_Turn_Remote(m.m_Bool(1));
      break;
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_END_CLOSED:
      if (Executes_Here(m)) links.m_Release_Combat_End();
      break;
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_BEGIN_DIALOG:
      if (Executes_Here(m)) links.m_Open_Dialog("Dlg Combat Begin");
      break;
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_BEGIN_CLOSED:
      if (Executes_Here(m)) links.m_Release_Combat_Begin();
      break;
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_PLR_START:
      if (Executes_Here(m)) links.m_Combat_Begin(m.m_Int(1), false, true);
      break;
    default: break;
  }
  return awaited;
}

class TRules_Game_Executor : public TMP_Game_Executor {
public:
  std::int32_t m_Execute(TMultiplayer_Action_Queue& queue, const TMP_Message& message, std::int32_t previous,
                         bool& continue_batch) override {
    return Execute_Message(queue, message, previous, continue_batch);
  }
  bool m_Action_Done(std::int32_t id) override {
    return Master_Action_Timer == nullptr || Master_Action_Timer->m_Is_Action_Done(id);
  }
  // A battle step that acts on the piece whose turn it is (its move, attack,
  // wait or end of turn) waits while this machine's copy of the battle has
  // no such piece: it is still playing the step before, or the begin dialog
  // has not let it choose the first piece yet. The machine that sent the
  // step can be that far ahead, and a step applied with no current piece
  // would be lost, leaving the two machines waiting for each other.
  bool m_Must_Wait(const TMP_Message& m) override {
    switch (m.code) {
      case LAN_MSG_TO_CLIENT_ACTION_COMBAT_WAIT_PIECE_TURN:
      case LAN_MSG_TO_CLIENT_ACTION_COMBAT_ATTACK:
      case LAN_MSG_TO_CLIENT_ACTION_COMBAT_MOVE:
      case LAN_MSG_TO_CLIENT_ACTION_COMBAT_END_PIECE_TURN: break;
      default: return false;
    }
    if (!Combat_Is_Active() || Combat_Get_Winner() != 0 || G_Combat.current_piece != 0) return false;
    return Executes_Here(m);
  }
  bool m_Can_End_Turn() override { return Master_Action_Timer != nullptr; }
  bool m_End_Turn_Running() override {
    return Master_Action_Timer != nullptr && Master_Action_Timer->m_Has_Action_Type(ACTION_END_TURN);
  }
  void m_Start_End_Turn() override {
    if (Master_Action_Timer != nullptr) Master_Action_Timer->m_Add_Action_End_Turn();
  }
  bool m_Computer_Controlled(std::uint8_t player) override {
    const TEmpire* empire = Empire_Get(player);
    return empire != nullptr && empire->m_Get_Computer_Controlled();
  }
  void m_Set_Computer_Controlled(std::uint8_t player) override {
    if (TEmpire* empire = Empire_Get(player)) empire->m_Set_Computer_Controlled(true);
  }
  std::int32_t m_Unit_Owner(std::int32_t unit_id) override {
    if (G_Map == nullptr) return 0;
    TMap_Unit_Record unit;
    G_Map->m_Get_Unit(unit_id, unit);
    return unit.id != 0 ? unit.owner : 0;
  }

  // The crash result's numbers are the ones the links document.
  std::int32_t m_Crash_Unit(std::int32_t unit_id) override {
    return Master_Action_Timer ? std::int32_t(End_Turn_Actions.m_Crash_Unit(*Master_Action_Timer, unit_id, 0)) : 0;
  }
  void m_Start_Player_Turn(std::uint8_t player) override {
    if (Master_Action_Timer) End_Turn_Actions.m_Start_Player_Turn(*Master_Action_Timer, player);
  }
  void m_Execute_Player_Update(std::uint8_t player, std::int32_t step) override {
    End_Turn_Actions.m_Execute_Player_Update(player, step);
  }
  void m_Combat_Begin(std::int32_t region, bool auto_resolve, bool show_begin_dialog) override {
    Combat_Begin(region, auto_resolve, show_begin_dialog);
  }
  void m_Combat_Begin_Remote(std::int32_t region, bool auto_resolve, const std::string& map_name, std::uint8_t attacker,
                             std::uint8_t defender, std::uint8_t prior_owner) override {
    Combat_Begin_Remote(region, auto_resolve, map_name, prior_owner, defender, attacker);
  }
  void m_Combat_Add_Unit_Remote(const TMP_Message& m) override {
    TCombat_Cell cell;
    cell.piece_id = m.m_Int(4);
    cell.unit_id = m.m_Int(5);
    cell.owner = static_cast<std::uint8_t>(m.m_Int(6));
    cell.unit_type = static_cast<std::uint16_t>(m.m_Int(7));
    cell.count = m.m_Int(8);
    cell.offset_x = static_cast<std::uint8_t>(m.m_Int(9));
    cell.offset_y = static_cast<std::uint8_t>(m.m_Int(10));
    cell.initiative = m.m_Single(11);
    cell.carrier_cargo_list = static_cast<std::uint16_t>(m.m_Int(12));
    cell.facing = static_cast<std::uint8_t>(m.m_Int(13));
    Combat_Add_Unit_Remote(m.m_Int(1), m.m_Int(2), m.m_Int(3), cell);
  }
  void m_Combat_Wait_Piece_Remote(bool next_piece) override { Combat_Wait_Piece_Remote(next_piece); }
  void m_Combat_End_Piece_Turn_Remote(bool next_piece) override { Combat_End_Piece_Turn_Remote(next_piece); }
  void m_Combat_Next_Piece_Remote() override { Combat_Next_Piece_Remote(); }
  void m_Combat_Attack_Remote(std::int32_t x, std::int32_t y, std::int32_t damage) override {
    Combat_Attack_Remote(x, y, damage);
  }
  void m_Combat_Move_Remote(std::int32_t x, std::int32_t y) override { Combat_Move_Remote(x, y); }
  void m_Combat_Results_Remote(std::uint8_t new_owner, std::int32_t region, std::uint8_t attacker,
                               std::uint8_t defender) override {
    Combat_Results_Remote(new_owner, region, attacker, defender);
  }
};

TRules_Game_Executor Rules_Executor;

}  // namespace

void Game_Command_Executor_Install() { Set_MP_Game_Executor(&Rules_Executor); }
