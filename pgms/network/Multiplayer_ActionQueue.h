// The queue of received game actions of a network game.
//
// Every machine (the host with its own relayed copies) hands the actions to
// the game's executor (Multiplayer_Game_Executor.h) one after another in
// arrival order. An action is started only when the timer action of the one
// before it is done, so every machine plays the same actions in the same
// order. The
// legs of a move over several regions start together, in one frame, once
// the order's last leg has arrived.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TMultiplayer_Action_Queue_Item {
  std::uint8_t code = 0;
  std::string payload;  // the message after its code field
};

class TMultiplayer_Action_Queue {
public:
  TMultiplayer_Action_Queue();
  ~TMultiplayer_Action_Queue();
  TMultiplayer_Action_Queue(const TMultiplayer_Action_Queue&) = delete;
  TMultiplayer_Action_Queue& operator=(const TMultiplayer_Action_Queue&) = delete;

  void m_Clear();
  void m_Add_Action(std::uint8_t code, const std::string& payload);
  // Item i, 1-based (ERangeError outside 1..count).
  void m_Delete(std::int64_t i);
  const TMultiplayer_Action_Queue_Item& m_Get(std::int64_t i) const;
  // Item i is a move leg with more legs of its order after it.
  bool m_Is_Move_Batch_Pending(std::int64_t i) const;
  // The per-frame pump.
  void m_Process_Queue(float elapsed);
  // Decodes one item and hands it to the game's executor; continue_batch is
  // set for a move leg that has more legs after it. A payload that does not
  // decode raises.
  void Execute_Action(std::uint8_t code, const std::string& payload, bool& continue_batch);
  // Removes the legs of moves of the player whose last leg never came (the
  // player has left the game).
  void m_Drop_Unfinished_Moves(std::uint8_t player);

  std::int32_t m_Count() const { return static_cast<std::int32_t>(f_items.size()); }
  std::int32_t m_Capacity() const { return f_capacity; }
  std::int32_t m_Awaited_Id() const { return f_awaited_id; }

private:
  // Number of leading items that make up the first batch, 0 while that
  // batch still waits for legs.
  std::int32_t m_Ready_Batch_Length() const;

  std::vector<TMultiplayer_Action_Queue_Item> f_items;
  std::int32_t f_capacity = 0;
  std::int32_t f_awaited_id = 0;
};

// The queue of the running network game; null outside network games.
extern TMultiplayer_Action_Queue* MP_Action_Queue;
