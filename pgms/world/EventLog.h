// The log of game events: movements, battles, collected income, purchases,
// research results, bombardments, crashed and decommissioned units, paid
// supply and captured regions. Each item carries its date, the acting
// player, the line shown in the log screen, up to five numbers and, per
// player, whether that player may see it. Saved with the game as
// EventLog.dat; only the last 20 dates are kept.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "World_Links.h"

class TIo_Reader;
class TIo_Writer;

// Entry kinds.
enum : std::uint8_t {
  EVENT_MOVEMENT = 1,
  EVENT_COMBAT = 2,
  EVENT_COLLECT_RESOURCES = 3,
  EVENT_PURCHASE = 4,
  EVENT_RESEARCH = 5,
  EVENT_BOMBARDMENT = 6,
  EVENT_UNIT_CRASHED = 7,
  EVENT_PAY_SUPPLY = 8,
  EVENT_UNIT_DECOMMISSIONED = 9,
  EVENT_REGION_CAPTURED = 10,
};

// Results of a bombardment.
enum : std::int32_t { BOMBARD_KILLED = 1, BOMBARD_DAMAGED = 2, BOMBARD_REGION_DAMAGE = 3 };

// One (unit type, owner) of a battle: how many started and how many were
// destroyed.
struct TEvent_Log_Combat_Row {
  std::uint16_t unit_type = 0;
  std::uint8_t owner = 0;
  std::int32_t starting = 0;
  std::int32_t destroyed = 0;
  bool operator==(const TEvent_Log_Combat_Row&) const = default;
};

// Units destroyed after a battle without fighting in it, by unit type.
struct TEvent_Log_Destroyed_Row {
  std::uint16_t unit_type = 0;
  std::int32_t count = 0;
  bool operator==(const TEvent_Log_Destroyed_Row&) const = default;
};

// A battle has at most this many (unit type, owner) rows.
constexpr std::int32_t Max_Combat_Rows = 140;

// Players 1..9 (eight players and the neutral empire).
constexpr int Event_Log_Players = 9;

class TEvent_Log_Item {
public:
  std::int32_t f_number = 0;  // the log's count when the item was added
  std::int32_t f_date = 0;    // tenths of a year
  std::uint8_t f_player = 0;  // the acting player
  std::uint8_t f_kind = 0;
  std::string f_text;
  std::array<std::int32_t, 5> f_values{};  // value 1..5 at 0..4
  std::array<bool, Event_Log_Players> f_visible{};  // player p at p - 1
  std::vector<TEvent_Log_Combat_Row> f_combat_rows;        // battles only
  std::vector<TEvent_Log_Destroyed_Row> f_destroyed_rows;  // battles only

  std::int32_t m_Value(int n) const { return f_values[std::size_t(n - 1)]; }
  // Whether player 1..9 may see the item; false for any other number.
  bool m_Get_Player_Flag(std::int64_t player) const;
  std::int32_t m_Get_Combat_Unit_Count() const { return std::int32_t(f_combat_rows.size()); }
  std::int32_t m_Get_Destroyed_Unit_Count() const { return std::int32_t(f_destroyed_rows.size()); }
  // Row i (1..count); the output is left alone outside.
  void m_Get_Combat_Unit(std::int64_t i, TEvent_Log_Combat_Row& row) const;
  void m_Get_Destroyed_Unit(std::int64_t i, TEvent_Log_Destroyed_Row& row) const;

  void m_Save(TIo_Writer& w) const;
  void m_Load(TIo_Reader& r);
  bool operator==(const TEvent_Log_Item&) const = default;
};

// The computer player's totals of its recent battles: values 0..9 over
// the battles it won, 10..19 over the others (see m_Get_Player_Totals), and
// the enemy units it met by movement type 1..5.
struct TEvent_Log_Totals {
  std::array<float, 20> values{};
  std::array<std::int32_t, 5> movement_counts{};  // movement type m at m - 1
  bool operator==(const TEvent_Log_Totals&) const = default;
};

class TEvent_Log : public TWorld_Event_Log_Link {
public:
  TEvent_Log() = default;
  TEvent_Log(const TEvent_Log&) = delete;
  TEvent_Log& operator=(const TEvent_Log&) = delete;

  void m_Clear();
  std::int32_t m_Get_Count() const { return std::int32_t(f_items.size()); }
  std::int32_t m_Get_Capacity() const { return f_capacity; }
  // Item i (1..count); none otherwise.
  TEvent_Log_Item* m_Get_Item(std::int64_t i) const;

  // Adders: each appends one item and returns the new count. Names come
  // from the unit types, the world map's regions and the empires; when one
  // that the text needs is missing the item is added with an empty text.
  std::int32_t m_Add_Movement(std::int32_t date, std::uint8_t player, std::int32_t count, std::uint16_t unit_type,
                              std::int32_t from_region, std::int32_t to_region);
  // `rows` are the battle's (unit type, owner) tallies, at most 140.
  std::int32_t m_Add_Combat(std::int32_t date, std::uint8_t attacker, const std::vector<TEvent_Log_Combat_Row>& rows,
                            bool attacker_has_land_piece, std::int32_t region, std::uint8_t former_owner,
                            std::uint8_t winner, std::uint8_t defender);
  std::int32_t m_Add_Collect_Resources(std::int32_t date, std::uint8_t player, std::int32_t amount);
  std::int32_t m_Add_Pay_Supply(std::int32_t date, std::uint8_t player, std::int32_t amount);
  std::int32_t m_Add_Purchase(std::int32_t date, std::uint8_t player, std::int32_t amount, std::uint16_t unit_type,
                              std::int32_t region);
  // `level` is the level before the attempt.
  std::int32_t m_Add_Research(std::int32_t date, std::uint8_t player, std::int32_t tech_area, std::int32_t level,
                              bool success);
  std::int32_t m_Add_Bombardment(std::int32_t date, std::uint8_t player, std::int32_t amount, std::int32_t result,
                                 std::uint8_t target_owner, const std::string& unit_name, std::int32_t region);
  std::int32_t m_Add_Unit_Crashed(std::int32_t date, std::uint8_t player, std::uint16_t unit_type,
                                  std::int32_t region);
  std::int32_t m_Add_Unit_Decommissioned(std::int32_t date, std::uint8_t player, std::int32_t region,
                                         std::uint16_t unit_type);
  // Also the world model's event-log link (the new count is m_Get_Count).
  void m_Add_Region_Captured(std::int32_t date, std::uint8_t former_owner, std::uint8_t new_owner,
                             std::int32_t region) override;

  // Drops the items before the first one of the last 20 dates (date >=
  // game date - 20), unless none is that recent.
  void m_Prune_Old_Events();
  // Passes the text of every research item of the current game date whose
  // player is the given one, in log order, to the main screen's notices.
  void m_Notify_Research_Results(std::uint8_t player) const;
  // What the other nations did that the player may see, since the player's
  // last turn (the other players' turns of the last round): one line per
  // battle (at most Turn_Summary_Battles, then a line with how many more),
  // then one line per nation with its moves, captured regions and
  // bombardments. Empty when the player saw nothing.
  std::vector<std::string> m_Summarise_Other_Turns(std::uint8_t player) const;
  static constexpr std::size_t Turn_Summary_Battles = 4;
  // The summary as notices of the main screen.
  void m_Notify_Other_Turns(std::uint8_t player) const;
  // Whether a battle of the last two dates (date >= game date - 2) in the
  // region had the player as former owner and defender and another winner.
  bool m_Has_Recent_Events(std::uint8_t player, std::int32_t region) const;
  // The player's totals over the battles of the last two dates.
  void m_Get_Player_Totals(std::uint8_t player, TEvent_Log_Totals& totals) const;

  // EventLog.dat.
  bool m_Save(TIo_Writer& w) const;
  // Reads a whole log; the items are replaced only when every record was
  // read, so a broken file leaves the log as it was.
  bool m_Load(TIo_Reader& r);
  bool m_Save_To_File(const std::string& file_name) const;
  bool m_Load_From_File(const std::string& file_name);

private:
  TEvent_Log_Item& m_Append(std::int32_t date, std::uint8_t player, std::uint8_t kind,
                            std::array<std::int32_t, 5> values);

  std::vector<std::unique_ptr<TEvent_Log_Item>> f_items;
  std::int32_t f_capacity = 0;
};

// "Movement", "Combat", "Collect Resources", "Purchase" (kinds 4 and 5),
// "Bombardment", "Unit Crashed", "Pay Supply", "Unit Decommissioned",
// "Region Captured" for kinds 1..10; empty otherwise.
std::string Event_Log_Type_Name(std::int32_t kind);

// The event log of the program.
extern TEvent_Log* G_Event_Log;
// Creates the event log of the program and installs it as the world
// model's event-log link; Event_Log_Free undoes both.
void Event_Log_Create();
void Event_Log_Free();
