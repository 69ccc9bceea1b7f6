#include "Game_Command_Executor.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "BombardDamageList.h"
#include "Combat.h"
#include "Empire.h"
#include "Errors.h"
#include "EventLog.h"
#include "GameSettings.h"
#include "Game_Commands.h"
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

// The step is carried out by this machine's player.
bool Executes_Here(std::uint8_t execute) { return execute == Game_Settings.f_local_empire; }
// The result was made by another machine (this one has made its change).
bool Sent_From_Elsewhere(std::uint8_t sender) { return sender != Game_Settings.f_local_empire; }

// The command a relayed message carries, read once through the record's
// field list; a message whose fields do not make that record throws (the
// queue drops it before anything changed).
template <class T> T Record(const TMP_Message& m, bool* more_legs = nullptr) {
  std::optional<TGame_Command> command = Game_Command_Of_Message(m, more_legs);
  if (!command || !std::holds_alternative<T>(*command))
    throw ERangeError("Message " + std::to_string(m.code) + " does not hold its command");
  return std::get<T>(std::move(*command));
}

// The player whose machine carries out the battle step the message holds;
// nothing for a message that holds no step (it is dropped when executed).
std::optional<std::uint8_t> Step_Executor(const TMP_Message& m) {
  try {
    if (const std::optional<TGame_Command> command = Game_Command_Of_Message(m))
      return std::visit(
          [](const auto& c) -> std::optional<std::uint8_t> {
            if constexpr (requires { c.execute; }) return c.execute;
            else return std::nullopt;
          },
          *command);
  } catch (const std::exception&) {
  }
  return std::nullopt;
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
      // One leg: it waits for the leg before when the sender chained it, and
      // says whether more legs follow in the same batch.
      bool more = false;
      const TCommand_Move c = Record<TCommand_Move>(m, &more);
      const std::int32_t dest = c.path.at(0);
      const std::int32_t wait = c.follows ? previous : 0;
      if (timer != nullptr)
        awaited = timer->m_Add_Action_Move_Unit(c.source, c.unit_type, c.owner, std::int32_t(c.units.size()),
                                                Longint_List_Of(c.units), dest, wait, more,
                                                Known_Here(c.source) || Known_Here(dest));
      continue_batch = more;
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_BOMBARD_UNIT: {
      const TCommand_Bombard c = Record<TCommand_Bombard>(m);
      if (timer != nullptr)
        awaited = timer->m_Add_Action_Bombard_Unit(c.source, c.unit_type, c.owner, std::int32_t(c.units.size()),
                                                   Longint_List_Of(c.units), c.target, 0,
                                                   Known_Here(c.source) || Known_Here(c.target), c.region_damage,
                                                   c.damage);
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_ADD_UNIT_TO_UNIT_CARGO: {
      const TCommand_Load c = Record<TCommand_Load>(m);
      if (G_Map == nullptr) break;
      TMap_Region* region = G_Map->m_Get_Region(c.region);
      if (region == nullptr) break;
      const std::uint8_t noted_owner = region->m_Get_Owner();
      if (G_Map->m_Add_Unit_To_Cargo(c.transport, c.unit, true, c.remove_from_region) && timer != nullptr)
        awaited = timer->m_Add_Action_Load_Unit(c.transport, c.unit);
      G_Map->m_Add_Unit_To_Cargo(c.transport, c.unit, false, c.remove_from_region);
      bool changed = false;
      if (!region->m_Has_Opposing_Combat_Units() && G_Map->m_Is_Combat_Region(c.region)) {
        G_Map->m_Remove_Combat_Region(c.region);
        changed = true;
      }
      std::uint8_t first = 0, second = 0;
      region->m_Get_Unit_Owners(first, second);
      if (first != c.owner && second != c.owner) {
        region->m_Set_Owner(noted_owner);
        changed = true;
      }
      if (changed) links.m_Map_Ownership_Changed();
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_REMOVE_UNIT_FROM_UNIT_CARGO: {
      const TCommand_Unload c = Record<TCommand_Unload>(m);
      if (G_Map == nullptr) break;
      const bool was_combat = G_Map->m_Is_Combat_Region(c.region);
      if (G_Map->m_Remove_Unit_From_Cargo(c.transport, c.unit, true, c.landing, c.region, c.add_to_region) &&
          timer != nullptr)
        awaited = timer->m_Add_Action_Unload_Unit(c.transport, c.unit, c.region);
      G_Map->m_Remove_Unit_From_Cargo(c.transport, c.unit, false, c.landing, c.region, c.add_to_region);
      TMap_Region* region = G_Map->m_Get_Region(c.region);
      if (region == nullptr) break;
      if (region->m_Has_Opposing_Combat_Units()) {
        G_Map->m_Add_Combat_Region(c.region);
        if (!was_combat) links.m_Map_Ownership_Changed();
      } else {
        region->m_Set_Owner(c.owner);
        links.m_Map_Ownership_Changed();
      }
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_SET_UNIT_MOVEMENT: {
      const TCommand_Set_Movement c = Record<TCommand_Set_Movement>(m);
      if (G_Map != nullptr)
        for (std::int32_t id : c.units) G_Map->m_Set_Unit_Moves(id, 0);
      links.m_Refresh_Selection();
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_UPDATE_PURCHASES: {
      const TCommand_Purchases c = Record<TCommand_Purchases>(m);
      TEmpire* empire = Empire_Get(c.player);
      if (empire == nullptr) break;
      empire->m_Clear_Purchases();
      for (const TEmpire_Purchase& p : c.entries) empire->m_Add_Purchase(p);
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_PLANE_CRASH:
      // The crash reports a status, not an action: nothing after it waits.
      links.m_Crash_Unit(Record<TCommand_Crash>(m).unit);
      break;
    case LAN_MSG_TO_CLIENT_ACTION_NEW_GAME_DATE:
      Game_Settings.m_Set_Current_Turn(Record<TCommand_Game_Date>(m).date);
      if (G_Event_Log != nullptr) G_Event_Log->m_Prune_Old_Events();
      break;
    case LAN_MSG_TO_CLIENT_ACTION_NEW_CURRENT_PLAYER:
      Game_Settings.m_Set_Turn_Empire(Record<TCommand_Current_Player>(m).player);
      links.m_Show_Turn_Status();
      links.m_Map_Ownership_Changed();
      break;
    case LAN_MSG_TO_CLIENT_ACTION_START_PLAYER_TURN:
      links.m_Start_Player_Turn(Record<TCommand_Start_Player_Turn>(m).player);
      break;
    case LAN_MSG_TO_CLIENT_ACTION_END_TURN_STATUS: {
      const std::uint8_t player = Record<TCommand_Turn_Status>(m).player;
      for (std::int32_t i = 1; i <= 10; ++i) links.m_Execute_Player_Update(player, i);
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_PLAYER_AI_CONTROLLED: {
      const std::uint8_t player = Record<TCommand_Computer_Takes_Over>(m).player;
      if (TEmpire* empire = Empire_Get(player)) empire->m_Set_Computer_Controlled(true);
      queue.m_Drop_Unfinished_Moves(player);
      MP_Lost_Player_Links().m_Battle_Player_Lost(player);
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_DECOMMISSION_UNITS: {
      const TCommand_Decommission c = Record<TCommand_Decommission>(m);
      if (timer != nullptr)
        awaited = timer->m_Add_Action_Decommission_Units(c.region, c.owner, std::int32_t(c.units.size()),
                                                         Longint_List_Of(c.units), Known_Here(c.region));
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_BEGIN: {
      // Every machine learns the battle's two players, so a machine that
      // mirrors the battle as the defender sends its own steps correctly.
      const TCommand_Battle_Begin c = Record<TCommand_Battle_Begin>(m);
      MP_Combat_Attacker_Plr = c.attacker;
      MP_Combat_Defender_Plr = c.defender;
      if (Executes_Here(c.execute))
        links.m_Combat_Begin_Remote(c.region, c.auto_resolve, c.map_name, c.attacker, c.defender, c.prior_owner);
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_ADD_STARTING_UNIT:
      // The link is given the message itself; the executor below reads it
      // through the same record.
      if (Executes_Here(Record<TCommand_Battle_Add_Unit>(m).execute)) links.m_Combat_Add_Unit_Remote(m);
      break;
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_WAIT_PIECE_TURN: {
      const TCommand_Battle_Wait c = Record<TCommand_Battle_Wait>(m);
      if (Executes_Here(c.execute)) links.m_Combat_Wait_Piece_Remote(c.next_piece);
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_NEXT_PIECE:
      if (Executes_Here(Record<TCommand_Battle_Next_Piece>(m).execute)) links.m_Combat_Next_Piece_Remote();
      break;
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_ATTACK: {
      const TCommand_Battle_Attack c = Record<TCommand_Battle_Attack>(m);
      if (Executes_Here(c.execute)) links.m_Combat_Attack_Remote(c.x, c.y, c.damage);
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_MOVE: {
      const TCommand_Battle_Move c = Record<TCommand_Battle_Move>(m);
      if (Executes_Here(c.execute)) links.m_Combat_Move_Remote(c.x, c.y);
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_END_COMBAT_ADD_LOG: {
      const TCommand_Battle_Log c = Record<TCommand_Battle_Log>(m);
      if (!Sent_From_Elsewhere(c.sender) || G_Event_Log == nullptr) break;
      if (c.groups.size() > 140) throw ERangeError("More than 140 starting-unit groups");
      std::vector<TEvent_Log_Combat_Row> rows;
      for (const TBattle_Log_Group& g : c.groups)
        rows.push_back({static_cast<std::uint16_t>(g.unit_type), g.owner, g.starting, g.destroyed});
      G_Event_Log->m_Add_Combat(c.date, c.attacker, rows, c.attacker_has_land, c.region, c.prior_owner, c.winner,
                                c.defender);
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_END_DELETE_UNIT: {
      const TCommand_Battle_Delete_Unit c = Record<TCommand_Battle_Delete_Unit>(m);
      if (!Sent_From_Elsewhere(c.sender) || G_Map == nullptr) break;
      G_Map->m_Delete_Unit(c.unit);
      if (c.carrier > 0) {
        TMap_Unit_Record parent;
        G_Map->m_Get_Unit(c.carrier, parent);
        bool empty = false;
        if (parent.id != 0 && parent.cargo_list != 0) G_Map->m_Remove_From_Cargo_List(parent.cargo_list, c.unit, empty);
      }
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_END_RESULTS: {
      const TCommand_Battle_Results c = Record<TCommand_Battle_Results>(m);
      if (Sent_From_Elsewhere(c.sender))
        links.m_Combat_Results_Remote(c.new_owner, c.region, c.attacker, c.defender);
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_END_PIECE_TURN: {
      const TCommand_Battle_End_Piece_Turn c = Record<TCommand_Battle_End_Piece_Turn>(m);
      if (Executes_Here(c.execute)) links.m_Combat_End_Piece_Turn_Remote(c.next_piece);
      break;
    }
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_END_CLOSED:
      if (Executes_Here(Record<TCommand_Battle_End_Closed>(m).execute)) links.m_Release_Combat_End();
      break;
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_BEGIN_DIALOG:
      if (Executes_Here(Record<TCommand_Battle_Begin_Dialog>(m).execute)) links.m_Open_Dialog("Dlg Combat Begin");
      break;
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_BEGIN_CLOSED:
      if (Executes_Here(Record<TCommand_Battle_Begin_Closed>(m).execute)) links.m_Release_Combat_Begin();
      break;
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_PLR_START: {
      const TCommand_Battle_Given c = Record<TCommand_Battle_Given>(m);
      if (Executes_Here(c.execute)) links.m_Combat_Begin(c.region, false, true);
      break;
    }
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
    const std::optional<std::uint8_t> execute = Step_Executor(m);
    return execute.has_value() && Executes_Here(*execute);
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
    const TCommand_Battle_Add_Unit c = Record<TCommand_Battle_Add_Unit>(m);
    TCombat_Cell cell;
    cell.piece_id = c.piece_id;
    cell.unit_id = c.unit_id;
    cell.owner = c.owner;
    cell.unit_type = c.unit_type;
    cell.count = c.count;
    cell.offset_x = c.picture_x;
    cell.offset_y = c.picture_y;
    cell.initiative = c.turn_time;
    cell.carrier_cargo_list = static_cast<std::uint16_t>(c.cargo_list);
    cell.facing = c.facing;
    Combat_Add_Unit_Remote(c.mode, c.x, c.y, cell);
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
