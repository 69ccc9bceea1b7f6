#include "Game_Command_Post.h"

#include <algorithm>

#include "Empire.h"
#include "GameSettings.h"
#include "Game_Command_Executor.h"
#include "MapClass.h"
#include "MasterActionTimer.h"
#include "Multiplayer_ActionQueue.h"
#include "Multiplayer_GameActions.h"

namespace {

struct TRules_Command_Check : TMP_Command_Check {
  std::string m_Refusal(std::uint8_t player, const TMP_Message& message) override {
    return Game_Command_Refusal(player, message);
  }
  void m_Relayed(const TMP_Message& message) override { Game_Command_Note_Relayed(message); }
};
TRules_Command_Check Rules_Check;

// The pieces of a unit list within the bound.
std::vector<std::vector<std::int32_t>> Pieces(const std::vector<std::int32_t>& units) {
  std::vector<std::vector<std::int32_t>> out;
  for (std::size_t at = 0; at < units.size(); at += std::size_t(Game_Command_Limit))
    out.emplace_back(units.begin() + std::ptrdiff_t(at),
                     units.begin() + std::ptrdiff_t(std::min(units.size(), at + std::size_t(Game_Command_Limit))));
  if (out.empty()) out.emplace_back();
  return out;
}

// The command as commands within the bound (a bombardment keeps the damage
// records of its attacking units with them).
std::vector<TGame_Command> Within_Bound(const TGame_Command& command) {
  std::vector<TGame_Command> out;
  auto split = [&](auto c) {
    for (auto& piece : Pieces(c.units)) {
      auto part = c;
      part.units = piece;
      out.push_back(part);
    }
  };
  if (const auto* c = std::get_if<TCommand_Move>(&command); c && c->units.size() > std::size_t(Game_Command_Limit))
    split(*c);
  else if (const auto* c = std::get_if<TCommand_Set_Movement>(&command);
           c && c->units.size() > std::size_t(Game_Command_Limit))
    split(*c);
  else if (const auto* c = std::get_if<TCommand_Decommission>(&command);
           c && c->units.size() > std::size_t(Game_Command_Limit))
    split(*c);
  else
    out.push_back(command);
  return out;
}

// A battle step, a battle result or a host's turn message: nothing to do at
// a machine of its own; on a network it goes as its route says.
TPost_Result Post_Network_Message(const TGame_Command& command) {
  TPost_Result result;
  const TCommand_Route route = Game_Command_Route(command);
  const TGame_Kind kind = Game_Kind();
  if (route == TCommand_Route::Host_Message) {
    // Only a host changes turns; the joined machines replay its messages.
    if (kind != TGame_Kind::Host) return result;
    for (const TMP_Message& m : Game_Command_Messages(command)) MP_Game_Links().m_Send_To_All(MP_Encode_Message(m));
    result.accepted = true;
    return result;
  }
  if (kind != TGame_Kind::Host && kind != TGame_Kind::Joined) return result;
  // A result was applied where the battle was fought: the host relays it
  // without a copy for its own queue.
  const bool no_local = route == TCommand_Route::Battle_Result;
  for (const TMP_Message& m : Game_Command_Messages(command)) MP_Post_Message(m, no_local);
  result.accepted = true;
  return result;
}

TPost_Result Post_One(const TGame_Command& command, TCommand_Origin origin, const TCommand_Execution& how) {
  TPost_Result result;
  if (Game_Command_Route(command) != TCommand_Route::Order) return Post_Network_Message(command);
  switch (Game_Kind()) {
    case TGame_Kind::Single_Player:
    case TGame_Kind::Hot_Seat:
      result.last_action = Game_Command_Execute(command, how);
      // A load or unload that the cargo rules refuse changes nothing.
      result.accepted = result.last_action != 0 || (!std::holds_alternative<TCommand_Load>(command) &&
                                                    !std::holds_alternative<TCommand_Unload>(command));
      return result;
    case TGame_Kind::Host:
      if (origin == TCommand_Origin::Computer) {
        // Relayed to every joined machine, and executed here at once by the
        // same code that plays the relayed message from their queues (the
        // cargo and ownership changes of a load or unload included), so
        // that every machine makes the same change.
        TMultiplayer_Action_Queue* queue = MP_Game_Links().m_Action_Queue();
        for (const TMP_Message& m : Game_Command_Messages(command)) {
          MP_Post_Message(m, true);
          if (queue == nullptr) continue;
          const std::uint8_t relayed = MP_Relay_Code(m.code);
          bool more = false;
          queue->Execute_Action(relayed, MP_Encode_As(relayed, m).substr(3), more);
          if (queue->m_Awaited_Id() != 0) result.last_action = queue->m_Awaited_Id();
        }
        if (queue == nullptr) result.last_action = Game_Command_Execute(command, how);
        result.accepted = true;
        return result;
      }
      for (const TMP_Message& m : Game_Command_Messages(command)) MP_Post_Message(m, false);
      result.accepted = true;
      return result;
    case TGame_Kind::Joined:
      for (const TMP_Message& m : Game_Command_Messages(command)) MP_Post_Message(m, false);
      result.accepted = true;
      return result;
  }
  return result;
}

}  // namespace

TPost_Result Game_Command_Post(const TGame_Command& command, TCommand_Origin origin, const TCommand_Execution& how) {
  if (!Game_Kind_Is_Network() || Game_Command_Route(command) != TCommand_Route::Order)
    return Post_One(command, origin, how);
  TPost_Result result;
  TCommand_Execution next = how;
  for (const TGame_Command& part : Within_Bound(command)) {
    const TPost_Result one = Post_One(part, origin, next);
    result.accepted = result.accepted || one.accepted;
    if (one.last_action != 0) result.last_action = one.last_action;
  }
  return result;
}

bool Game_Command_Post_Battle_Step(TGame_Command step) {
  // The step names the machine that carries it out: the battle partner of
  // this machine's player. A computer partner's pieces are played here, so
  // nothing is sent for them.
  std::visit(
      [](auto& c) {
        if constexpr (requires { c.execute; }) c.execute = Combat_Get_Execute_Plr();
      },
      step);
  const TEmpire* partner = Empire_Get(Combat_Get_Execute_Plr());
  if (partner != nullptr && partner->m_Get_Computer_Controlled()) return false;
  Game_Command_Post(step);
  return true;
}

void Game_Command_Post_Battle_Result(TGame_Command result) {
  std::visit(
      [](auto& c) {
        if constexpr (requires { c.sender; }) c.sender = Game_Settings.f_local_empire;
      },
      result);
  Game_Command_Post(result);
}

void Game_Command_Install_Check() {
  Set_MP_Command_Check(&Rules_Check);
  Game_Command_Executor_Install();
  Game_Command_Reset_Host_State();
}
