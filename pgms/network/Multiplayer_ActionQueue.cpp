#include "Multiplayer_ActionQueue.h"

#include "Debug_Log.h"
#include "Errors.h"
#include "Multiplayer_GameActions.h"
#include "Multiplayer_Game_Executor.h"

TMultiplayer_Action_Queue* MP_Action_Queue = nullptr;

namespace {

// The queue grows by this many places at a time.
constexpr std::int32_t Capacity_Step = 100;

bool Log_On() { return Debug_Sections[DEBUG_MULTIPLAYER]; }


bool Is_Pending_Leg(const TMultiplayer_Action_Queue_Item& item) {
  if (item.code != LAN_MSG_TO_CLIENT_ACTION_MOVE_UNIT) return false;
  // src, dest (11 each), unit type (5), owner and wait (3 each), then the
  // flag.
  constexpr std::size_t flag_at = 11 + 11 + 5 + 3 + 3;
  return item.payload.size() > flag_at && item.payload[flag_at] == 'T';
}

std::int32_t Leg_Owner(const TMultiplayer_Action_Queue_Item& item) {
  try {
    return MP_Decode_Payload(item.code, item.payload).m_Int(3);
  } catch (const std::exception&) {
    return -1;
  }
}

// The executor may hold an action back (a battle step whose piece this
// machine has not chosen yet); one that does not decode never waits, it is
// dropped when it is executed.
bool Must_Wait(const TMultiplayer_Action_Queue_Item& item) {
  try {
    return MP_Game_Executor().m_Must_Wait(MP_Decode_Payload(item.code, item.payload));
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

// A new game's queue: no battle of it is fought elsewhere yet.
TMultiplayer_Action_Queue::TMultiplayer_Action_Queue() { MP_Battle_Elsewhere = TMP_Battle_Elsewhere{}; }
TMultiplayer_Action_Queue::~TMultiplayer_Action_Queue() { m_Clear(); }

void TMultiplayer_Action_Queue::m_Clear() {
  f_items.clear();
  f_items.shrink_to_fit();
  f_capacity = 0;
  f_awaited_id = 0;
}

void TMultiplayer_Action_Queue::m_Add_Action(std::uint8_t code, const std::string& payload) {
  if (static_cast<std::int32_t>(f_items.size()) + 1 > f_capacity) {
    f_capacity += Capacity_Step;
    f_items.reserve(static_cast<std::size_t>(f_capacity) + 1);
  }
  f_items.push_back({code, payload});
}

void TMultiplayer_Action_Queue::m_Delete(std::int64_t i) {
  if (i < 1 || i > m_Count()) throw ERangeError("Action queue item " + std::to_string(i) + " does not exist");
  f_items.erase(f_items.begin() + (i - 1));
}

const TMultiplayer_Action_Queue_Item& TMultiplayer_Action_Queue::m_Get(std::int64_t i) const {
  if (i < 1 || i > m_Count()) throw ERangeError("Action queue item " + std::to_string(i) + " does not exist");
  return f_items[static_cast<std::size_t>(i - 1)];
}

bool TMultiplayer_Action_Queue::m_Is_Move_Batch_Pending(std::int64_t i) const { return Is_Pending_Leg(m_Get(i)); }

std::int32_t TMultiplayer_Action_Queue::m_Ready_Batch_Length() const {
  std::int32_t n = m_Count();
  if (n == 0) return 0;
  // The first batch is item 1 alone, unless item 1 is a leg with more legs
  // after it: then the run of such legs and the leg that closes it.
  std::int32_t run = 0;
  while (run < n && Is_Pending_Leg(f_items[static_cast<std::size_t>(run)])) ++run;
  if (run == 0) return 1;
  if (run == n) return 0;  // the order's last leg has not arrived yet
  return f_items[static_cast<std::size_t>(run)].code == LAN_MSG_TO_CLIENT_ACTION_MOVE_UNIT ? run + 1 : run;
}

void TMultiplayer_Action_Queue::m_Process_Queue(float) {
  MP_Host_Deferred_End_Turn();
  if (f_items.empty()) {
    MP_Host_Take_Over_Lost_Players();
    return;
  }
  if (!MP_Game_Executor().m_Action_Done(f_awaited_id)) return;
  if (Must_Wait(f_items.front())) return;
  std::int32_t batch = m_Ready_Batch_Length();
  for (std::int32_t k = 0; k < batch && !f_items.empty(); ++k) {
    TMultiplayer_Action_Queue_Item item = f_items.front();
    m_Delete(1);
    bool continue_batch = false;
    try {
      Execute_Action(item.code, item.payload, continue_batch);
    } catch (const std::exception& e) {
      // An action that does not decode is dropped, never left to block the
      // queue.
      if (Log_On())
        Debug_Log_Write("TMultiplayer_Action_Queue.Execute_Action - dropped " + MP_Message_Name(item.code) + ": " +
                        e.what());
      f_awaited_id = 0;
      return;
    }
    if (!continue_batch) return;
  }
}

void TMultiplayer_Action_Queue::m_Drop_Unfinished_Moves(std::uint8_t player) {
  std::size_t i = 0;
  while (i < f_items.size()) {
    if (!Is_Pending_Leg(f_items[i]) || Leg_Owner(f_items[i]) != player) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < f_items.size() && Is_Pending_Leg(f_items[end]) && Leg_Owner(f_items[end]) == player) ++end;
    bool closed = end < f_items.size() && f_items[end].code == LAN_MSG_TO_CLIENT_ACTION_MOVE_UNIT &&
                  Leg_Owner(f_items[end]) == player;
    if (closed) {
      i = end + 1;
      continue;
    }
    f_items.erase(f_items.begin() + static_cast<std::ptrdiff_t>(i), f_items.begin() + static_cast<std::ptrdiff_t>(end));
  }
}

void TMultiplayer_Action_Queue::Execute_Action(std::uint8_t code, const std::string& payload, bool& continue_batch) {
  const std::int32_t previous = f_awaited_id;
  f_awaited_id = 0;
  continue_batch = false;
  const TMP_Message m = MP_Decode_Payload(code, payload);
  if (Log_On()) {
    Debug_Log_Write("TMultiplayer_Action_Queue.Execute_Action - " + MP_Message_Name(code));
    for (const std::string& line : MP_Message_Log_Lines(m)) Debug_Log_Write(line);
  }
  f_awaited_id = MP_Game_Executor().m_Execute(*this, m, previous, continue_batch);
}
