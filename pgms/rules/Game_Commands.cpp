#include "Game_Commands.h"

#include <algorithm>
#include <limits>
#include <iterator>
#include <set>
#include <type_traits>

#include "Datafile_Tech.h"
#include "Datafile_Units.h"
#include "Errors.h"
#include "GameSettings.h"
#include "Lists_LongIntList.h"
#include "MapClass.h"
#include "MapRegion.h"
#include "MasterActionTimer.h"
#include "Multiplayer_Server.h"
#include "World_Unit_Facts.h"

// The longest line a command at the bound makes: a bombardment naming that
// many units and damage records (code, five fields, two counts, the value,
// an integer per unit and three per record).
static_assert(3 + 11 + 11 + 5 + 3 + 3 + 11 + 11 + 11 + 44 * std::int64_t(Game_Command_Limit) < MP_Line_Limit,
              "a command at the bound must fit the line a joined machine accepts");

namespace {

using K = TMP_Field_Kind;

// One leg of a move as its message carries it.
struct TMove_Leg {
  std::int32_t source = 0, dest = 0;
  std::uint16_t unit_type = 0;
  std::uint8_t owner = 0;
  std::uint8_t wait = 0;
  bool more = false;
  std::vector<std::int32_t> units;
};

// --- The field lists -------------------------------------------------------------
//
// Each record's fields are listed once, in message order, as calls on a
// field visitor; the writer turns them into message values, the reader
// fills the record from a decoded message.

class TField_Writer {
public:
  std::vector<TMP_Value> values;
  template <class T> void Byte(T& x) { Put(K::Byte, std::int64_t(x)); }
  template <class T> void Word(T& x) { Put(K::Word, std::int64_t(x)); }
  template <class T> void Int(T& x) { Put(K::Integer, std::int64_t(x)); }
  void Bool(bool& x) { Put(K::Boolean, x ? 1 : 0); }
  void Text(std::string& x) {
    TMP_Value v;
    v.kind = K::String;
    v.text = x;
    values.push_back(std::move(v));
  }
  void Single(float& x) {
    TMP_Value v;
    v.kind = K::Single;
    v.single = x;
    values.push_back(v);
  }
  template <class T> void Fixed_Byte(T x) { Put(K::Byte, std::int64_t(x)); }
  void Ids(std::vector<std::int32_t>& ids) {
    Put(K::Count, std::int64_t(ids.size()));
    for (std::int32_t& id : ids) Int(id);
  }
  template <class T, class F> void Groups(std::vector<T>& items, F each) {
    Put(K::Count, std::int64_t(items.size()));
    for (T& item : items) each(*this, item);
  }

private:
  void Put(K kind, std::int64_t n) {
    TMP_Value v;
    v.kind = kind;
    v.number = n;
    values.push_back(v);
  }
};

class TField_Reader {
public:
  explicit TField_Reader(const TMP_Message& m) : f_m(m) {}
  template <class T> void Byte(T& x) { x = Narrow<T>(Next()); }
  template <class T> void Word(T& x) { x = Narrow<T>(Next()); }
  template <class T> void Int(T& x) { x = Narrow<T>(Next()); }
  void Bool(bool& x) { x = Next() != 0; }
  void Text(std::string& x) { x = Value().text; }
  void Single(float& x) { x = Value().single; }
  template <class T> void Fixed_Byte(T) { Next(); }
  void Ids(std::vector<std::int32_t>& ids) {
    const std::int64_t n = Count();
    ids.assign(std::size_t(n), 0);
    for (std::int32_t& id : ids) Int(id);
  }
  template <class T, class F> void Groups(std::vector<T>& items, F each) {
    const std::int64_t n = Count();
    items.assign(std::size_t(n), T{});
    for (T& item : items) each(*this, item);
  }
  bool At_End() const { return f_at == f_m.values.size(); }

private:
  const TMP_Value& Value() {
    if (f_at >= f_m.values.size()) throw ERangeError("Message has fewer fields than its command");
    return f_m.values[f_at++];
  }
  std::int64_t Next() { return Value().number; }
  std::int64_t Count() {
    const std::int64_t n = Next();
    // Each group takes at least one value; the decoder has bounded it by the
    // message's length already.
    if (n < 0 || std::uint64_t(n) > f_m.values.size() - f_at) throw ERangeError("Count beyond the message");
    return n;
  }
  template <class T> static T Narrow(std::int64_t n) {
    if (n < std::int64_t(std::numeric_limits<T>::min()) || n > std::int64_t(std::numeric_limits<T>::max()))
      throw ERangeError("Message field out of range");
    return T(n);
  }
  const TMP_Message& f_m;
  std::size_t f_at = 0;
};

template <class F> void Fields(F& f, TMove_Leg& c) {
  f.Int(c.source);
  f.Int(c.dest);
  f.Word(c.unit_type);
  f.Byte(c.owner);
  f.Byte(c.wait);
  f.Bool(c.more);
  f.Ids(c.units);
}

template <class F> void Fields(F& f, TCommand_Bombard& c) {
  f.Int(c.source);
  f.Int(c.target);
  f.Word(c.unit_type);
  f.Byte(c.owner);
  f.Fixed_Byte(0);  // wait_for_action: a bombardment waits for nothing
  f.Ids(c.units);
  f.Int(c.region_damage);
  f.Groups(c.damage, [](auto& g, TBombard_Damage_Record& r) {
    g.Int(r.damage);
    g.Int(r.attacking_unit_id);
    g.Int(r.target_unit_id);
  });
}

template <class F> void Fields(F& f, TCommand_Load& c) {
  f.Int(c.region);
  f.Byte(c.owner);
  f.Int(c.transport);
  f.Int(c.unit);
  f.Bool(c.remove_from_region);
}

template <class F> void Fields(F& f, TCommand_Unload& c) {
  f.Int(c.region);
  f.Byte(c.owner);
  f.Int(c.transport);
  f.Int(c.unit);
  f.Bool(c.add_to_region);
  f.Bool(c.landing);  // clear_cargo_movement
}

template <class F> void Fields(F& f, TCommand_Set_Movement& c) {
  f.Fixed_Byte(0);  // new_move_amt: the moves end
  f.Ids(c.units);
}

template <class F> void Fields(F& f, TCommand_Decommission& c) {
  f.Int(c.region);
  f.Byte(c.owner);
  f.Ids(c.units);
}

template <class F> void Fields(F& f, TCommand_Purchases& c) {
  f.Byte(c.player);
  f.Groups(c.entries, [](auto& g, TEmpire_Purchase& p) {
    g.Byte(p.kind);
    g.Int(p.id);
    g.Word(p.amount);
    g.Int(p.region);
    g.Int(p.cost);
  });
}

template <class F> void Fields(F& f, TCommand_End_Turn& c) { f.Byte(c.player); }

template <class F> void Fields(F& f, TCommand_Battle_Begin& c) {
  f.Byte(c.execute);
  f.Int(c.region);
  f.Bool(c.auto_resolve);
  f.Text(c.map_name);
  f.Byte(c.attacker);
  f.Byte(c.defender);
  f.Byte(c.prior_owner);
}

template <class F> void Fields(F& f, TCommand_Battle_Add_Unit& c) {
  f.Byte(c.execute);
  f.Byte(c.mode);
  f.Int(c.x);
  f.Int(c.y);
  f.Int(c.piece_id);
  f.Int(c.unit_id);
  f.Byte(c.owner);
  f.Word(c.unit_type);
  f.Int(c.count);
  f.Byte(c.picture_x);
  f.Byte(c.picture_y);
  f.Single(c.turn_time);
  f.Int(c.cargo_list);
  f.Byte(c.facing);
}

template <class F> void Fields(F& f, TCommand_Battle_Wait& c) {
  f.Byte(c.execute);
  f.Bool(c.next_piece);
}
template <class F> void Fields(F& f, TCommand_Battle_Next_Piece& c) { f.Byte(c.execute); }
template <class F> void Fields(F& f, TCommand_Battle_Attack& c) {
  f.Byte(c.execute);
  f.Int(c.x);
  f.Int(c.y);
  f.Int(c.damage);
}
template <class F> void Fields(F& f, TCommand_Battle_Move& c) {
  f.Byte(c.execute);
  f.Int(c.x);
  f.Int(c.y);
}
template <class F> void Fields(F& f, TCommand_Battle_End_Piece_Turn& c) {
  f.Byte(c.execute);
  f.Bool(c.next_piece);
}
template <class F> void Fields(F& f, TCommand_Battle_End_Closed& c) { f.Byte(c.execute); }
template <class F> void Fields(F& f, TCommand_Battle_Begin_Dialog& c) { f.Byte(c.execute); }
template <class F> void Fields(F& f, TCommand_Battle_Begin_Closed& c) { f.Byte(c.execute); }

template <class F> void Fields(F& f, TCommand_Battle_Log& c) {
  f.Byte(c.sender);
  f.Int(c.date);
  f.Byte(c.attacker);
  f.Byte(c.defender);
  f.Byte(c.winner);
  f.Byte(c.prior_owner);
  f.Int(c.region);
  f.Bool(c.attacker_has_land);
  f.Groups(c.groups, [](auto& g, TBattle_Log_Group& r) {
    g.Int(r.unit_type);
    g.Byte(r.owner);
    g.Int(r.starting);
    g.Int(r.destroyed);
  });
}

template <class F> void Fields(F& f, TCommand_Battle_Delete_Unit& c) {
  f.Byte(c.sender);
  f.Int(c.unit);
  f.Int(c.carrier);
}

template <class F> void Fields(F& f, TCommand_Battle_Results& c) {
  f.Byte(c.sender);
  f.Byte(c.new_owner);
  f.Int(c.region);
  f.Byte(c.attacker);
  f.Byte(c.defender);
}

template <class F> void Fields(F& f, TCommand_Game_Date& c) { f.Int(c.date); }
template <class F> void Fields(F& f, TCommand_Current_Player& c) { f.Byte(c.player); }
template <class F> void Fields(F& f, TCommand_Start_Player_Turn& c) { f.Byte(c.player); }
template <class F> void Fields(F& f, TCommand_Turn_Status& c) { f.Byte(c.player); }
template <class F> void Fields(F& f, TCommand_Crash& c) { f.Int(c.unit); }
template <class F> void Fields(F& f, TCommand_Computer_Takes_Over& c) { f.Byte(c.player); }
template <class F> void Fields(F& f, TCommand_Battle_Given& c) {
  f.Byte(c.execute);
  f.Int(c.region);
}

// The code each record is sent under: the to-host code of a player's order
// or battle step, the only code of a host's turn message.
template <class T> constexpr std::uint8_t Code_Of() {
  if constexpr (std::is_same_v<T, TCommand_Bombard>) return LAN_MSG_TO_SERVER_ACTION_BOMBARD_UNIT;
  else if constexpr (std::is_same_v<T, TCommand_Load>) return LAN_MSG_TO_SERVER_ACTION_ADD_UNIT_TO_UNIT_CARGO;
  else if constexpr (std::is_same_v<T, TCommand_Unload>) return LAN_MSG_TO_SERVER_ACTION_REMOVE_UNIT_FROM_UNIT_CARGO;
  else if constexpr (std::is_same_v<T, TCommand_Set_Movement>) return LAN_MSG_TO_SERVER_ACTION_SET_UNIT_MOVEMENT;
  else if constexpr (std::is_same_v<T, TCommand_Decommission>) return LAN_MSG_TO_SERVER_ACTION_DECOMMISSION_UNITS;
  else if constexpr (std::is_same_v<T, TCommand_Purchases>) return LAN_MSG_TO_SERVER_ACTION_UPDATE_PURCHASES;
  else if constexpr (std::is_same_v<T, TCommand_End_Turn>) return LAN_MSG_TO_SERVER_ACTION_END_TURN;
  else if constexpr (std::is_same_v<T, TCommand_Battle_Begin>) return LAN_MSG_TO_SERVER_ACTION_COMBAT_BEGIN;
  else if constexpr (std::is_same_v<T, TCommand_Battle_Add_Unit>)
    return LAN_MSG_TO_SERVER_ACTION_COMBAT_ADD_STARTING_UNIT;
  else if constexpr (std::is_same_v<T, TCommand_Battle_Wait>) return LAN_MSG_TO_SERVER_ACTION_COMBAT_WAIT_PIECE_TURN;
  else if constexpr (std::is_same_v<T, TCommand_Battle_Next_Piece>) return LAN_MSG_TO_SERVER_ACTION_COMBAT_NEXT_PIECE;
  else if constexpr (std::is_same_v<T, TCommand_Battle_Attack>) return LAN_MSG_TO_SERVER_ACTION_COMBAT_ATTACK;
  else if constexpr (std::is_same_v<T, TCommand_Battle_Move>) return LAN_MSG_TO_SERVER_ACTION_COMBAT_MOVE;
  else if constexpr (std::is_same_v<T, TCommand_Battle_End_Piece_Turn>)
    return LAN_MSG_TO_SERVER_ACTION_COMBAT_END_PIECE_TURN;
  else if constexpr (std::is_same_v<T, TCommand_Battle_End_Closed>) return LAN_MSG_TO_SERVER_ACTION_COMBAT_END_CLOSED;
  else if constexpr (std::is_same_v<T, TCommand_Battle_Begin_Dialog>)
    return LAN_MSG_TO_SERVER_ACTION_COMBAT_BEGIN_DIALOG;
  else if constexpr (std::is_same_v<T, TCommand_Battle_Begin_Closed>)
    return LAN_MSG_TO_SERVER_ACTION_COMBAT_BEGIN_CLOSED;
  else if constexpr (std::is_same_v<T, TCommand_Battle_Log>) return LAN_MSG_TO_SERVER_ACTION_COMBAT_END_COMBAT_ADD_LOG;
  else if constexpr (std::is_same_v<T, TCommand_Battle_Delete_Unit>)
    return LAN_MSG_TO_SERVER_ACTION_COMBAT_END_DELETE_UNIT;
  else if constexpr (std::is_same_v<T, TCommand_Battle_Results>) return LAN_MSG_TO_SERVER_ACTION_COMBAT_END_RESULTS;
  else if constexpr (std::is_same_v<T, TCommand_Game_Date>) return LAN_MSG_TO_CLIENT_ACTION_NEW_GAME_DATE;
  else if constexpr (std::is_same_v<T, TCommand_Current_Player>) return LAN_MSG_TO_CLIENT_ACTION_NEW_CURRENT_PLAYER;
  else if constexpr (std::is_same_v<T, TCommand_Start_Player_Turn>) return LAN_MSG_TO_CLIENT_ACTION_START_PLAYER_TURN;
  else if constexpr (std::is_same_v<T, TCommand_Turn_Status>) return LAN_MSG_TO_CLIENT_ACTION_END_TURN_STATUS;
  else if constexpr (std::is_same_v<T, TCommand_Crash>) return LAN_MSG_TO_CLIENT_ACTION_PLANE_CRASH;
  else if constexpr (std::is_same_v<T, TCommand_Computer_Takes_Over>)
    return LAN_MSG_TO_CLIENT_ACTION_PLAYER_AI_CONTROLLED;
  else if constexpr (std::is_same_v<T, TCommand_Battle_Given>) return LAN_MSG_TO_CLIENT_ACTION_COMBAT_PLR_START;
  else
    static_assert(sizeof(T) == 0, "a command without a code");
}

template <class T> TMP_Message Write(std::uint8_t code, T record) {
  TField_Writer w;
  Fields(w, record);
  TMP_Message m;
  m.code = code;
  m.values = std::move(w.values);
  return m;
}

template <class T> T Read(const TMP_Message& m) {
  T record;
  TField_Reader r(m);
  Fields(r, record);
  if (!r.At_End()) throw ERangeError("Message has more fields than its command");
  return record;
}

// The to-host code of a relayed code (its partner), or the code itself.
std::uint8_t To_Host_Code(std::uint8_t code) {
  if (code == LAN_MSG_TO_CLIENT_ACTION_DECOMMISSION_UNITS) return LAN_MSG_TO_SERVER_ACTION_DECOMMISSION_UNITS;
  if (((code >= 50 && code <= 61) || (code >= 100 && code <= 125)) && code % 2 == 1) return std::uint8_t(code - 1);
  return code;
}

// --- The host's state ------------------------------------------------------------

// The legs of a move still to come, per player: the region the next leg
// starts from, its number, and the units.
struct TPending_Move {
  std::int32_t from = 0;
  std::int32_t leg = 0;
  std::vector<std::int32_t> units;
};

// The battle this machine knows of: begun by a checked begin message or by
// the first result of a battle fought on a joined machine.
struct TKnown_Battle {
  std::int32_t region = 0;
  std::uint8_t attacker = 0, defender = 0;
};

struct THost_State {
  TPending_Move moves[256];
  TKnown_Battle battle;
  // Commands counted per player in the turn of (date, turn player).
  std::int32_t count_date = -1;
  std::uint8_t count_turn = 0;
  std::int32_t counts[256] = {};
};
THost_State Host;

std::string Text(std::int64_t n) { return std::to_string(n); }

// The unit if it exists.
bool Find_Unit(std::int32_t id, TMap_Unit_Record& u) {
  u = TMap_Unit_Record{};
  if (G_Map == nullptr || !G_Map->m_Valid_Unit_Id(id)) return false;
  G_Map->m_Get_Unit(id, u);
  return u.id != 0;
}

// Each unit exists, belongs to the player, is named once; with `region`
// set, each stands there.
std::string Units_Refusal(const std::vector<std::int32_t>& ids, std::uint8_t player, std::int32_t region = 0) {
  if (ids.empty()) return "the command names no unit";
  if (std::int64_t(ids.size()) > Game_Command_Limit)
    return Text(std::int64_t(ids.size())) + " units in one command (at most " + Text(Game_Command_Limit) + ")";
  std::set<std::int32_t> seen;
  for (std::int32_t id : ids) {
    TMap_Unit_Record u;
    if (!Find_Unit(id, u)) return "unit " + Text(id) + " does not exist";
    if (u.owner != player) return "unit " + Text(id) + " belongs to player " + Text(u.owner);
    if (!seen.insert(id).second) return "unit " + Text(id) + " is named twice";
    if (region != 0 && u.region != region)
      return "unit " + Text(id) + " stands in region " + Text(u.region) + ", not in region " + Text(region);
  }
  return "";
}

bool Region_Exists(std::int32_t id) { return G_Map != nullptr && id >= 1 && G_Map->m_Get_Region(id) != nullptr; }

bool Connected(std::int32_t a, std::int32_t b) {
  const TMap_Region* r = Region_Exists(a) ? G_Map->m_Get_Region(a) : nullptr;
  return r != nullptr && Region_Exists(b) && r->m_Is_Connected_To(b);
}

std::string Move_Refusal(std::uint8_t player, const TMove_Leg& leg) {
  if (leg.owner != player) return "order for the units of player " + Text(leg.owner);
  if (!Region_Exists(leg.source) || !Region_Exists(leg.dest)) return "a leg names a region that does not exist";
  TPending_Move& pending = Host.moves[player];
  const bool continues = pending.leg > 0;
  if (continues && (leg.source != pending.from || leg.units != pending.units))
    return "a leg that does not continue the player's move from region " + Text(pending.from);
  // The units still stand where the move began: the legs before this one are
  // only queued.
  const std::int32_t start = continues ? 0 : leg.source;
  if (std::string why = Units_Refusal(leg.units, player, start); !why.empty()) return why;
  if (!Connected(leg.source, leg.dest))
    return "region " + Text(leg.dest) + " is not next to region " + Text(leg.source);
  const std::int32_t number = pending.leg + 1;
  for (std::int32_t id : leg.units) {
    TMap_Unit_Record u;
    Find_Unit(id, u);
    if (u.unit_type != leg.unit_type) return "unit " + Text(id) + " is not of type " + Text(leg.unit_type);
    if (std::int32_t(u.moves) < number)
      return "unit " + Text(id) + " has " + Text(u.moves) + " moves left for leg " + Text(number);
  }
  return "";
}

std::string Purchases_Refusal(std::uint8_t player, const TCommand_Purchases& c) {
  if (c.player != player) return "purchases for player " + Text(c.player);
  if (std::int64_t(c.entries.size()) > Game_Command_Limit)
    return Text(std::int64_t(c.entries.size())) + " purchases (at most " + Text(Game_Command_Limit) + ")";
  std::int64_t total = 0;
  for (const TEmpire_Purchase& p : c.entries) {
    const std::optional<std::int64_t> price = Game_Command_Purchase_Price(player, p);
    if (!price) return "a purchase of kind " + Text(p.kind) + ", item " + Text(p.id) + " and amount " +
                       Text(p.amount) + " cannot be made";
    if (*price != p.cost) return "a purchase priced " + Text(p.cost) + " instead of " + Text(*price);
    total += *price;
    if (total > std::numeric_limits<std::int32_t>::max()) return "purchases cost more than a treasury holds";
  }
  return "";
}

// The players of the battle in a region: its two unit owners.
bool Battle_Players(std::int32_t region, std::uint8_t& first, std::uint8_t& second) {
  first = second = 0;
  if (!Region_Exists(region) || !G_Map->m_Is_Combat_Region(region)) return false;
  G_Map->m_Get_Region(region)->m_Get_Unit_Owners(first, second);
  return first != 0 && second != 0;
}

bool Same_Pair(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  return (a == c && b == d) || (a == d && b == c);
}

// Opens the known battle in the region for its two players; the sender must
// be one of them.
std::string Open_Battle(std::uint8_t player, std::int32_t region, std::uint8_t attacker, std::uint8_t defender) {
  std::uint8_t first = 0, second = 0;
  if (!Battle_Players(region, first, second)) return "region " + Text(region) + " holds no battle";
  if (!Same_Pair(first, second, attacker, defender))
    return "the battle in region " + Text(region) + " is not between players " + Text(attacker) + " and " +
           Text(defender);
  if (player != attacker && player != defender) return "player " + Text(player) + " takes no part in the battle";
  return "";
}

bool In_Battle(std::uint8_t player) {
  return Host.battle.region != 0 && (player == Host.battle.attacker || player == Host.battle.defender);
}

// A unit of the known battle: it stands in its region (or is carried by a
// unit that does) and belongs to one of its players.
std::string Battle_Unit_Refusal(std::int32_t id, std::int32_t parent) {
  TMap_Unit_Record u;
  if (!Find_Unit(id, u)) return "unit " + Text(id) + " does not exist";
  if (u.owner != Host.battle.attacker && u.owner != Host.battle.defender)
    return "unit " + Text(id) + " belongs to player " + Text(u.owner) + ", who takes no part in the battle";
  std::int32_t region = u.region;
  if (region == 0 && parent != 0) {
    TMap_Unit_Record p;
    if (Find_Unit(parent, p)) region = p.region;
  }
  if (region != 0 && region != Host.battle.region)
    return "unit " + Text(id) + " stands outside the battle in region " + Text(Host.battle.region);
  return "";
}

// The executing player a battle step names (0 for a result).
std::uint8_t Step_Execute(const TGame_Command& c) {
  return std::visit(
      [](const auto& step) -> std::uint8_t {
        if constexpr (requires { step.execute; })
          return step.execute;
        else
          return 0;
      },
      c);
}

// A result of a battle: the battle it belongs to.
std::string Result_Refusal(std::uint8_t player, const TGame_Command& c) {
  std::uint8_t sender = 0;
  std::int32_t region = 0;
  std::uint8_t attacker = 0, defender = 0;
  if (const auto* log = std::get_if<TCommand_Battle_Log>(&c)) {
    sender = log->sender;
    region = log->region;
    attacker = log->attacker;
    defender = log->defender;
  } else if (const auto* results = std::get_if<TCommand_Battle_Results>(&c)) {
    sender = results->sender;
    region = results->region;
    attacker = results->attacker;
    defender = results->defender;
  } else {
    const auto& deletion = std::get<TCommand_Battle_Delete_Unit>(c);
    sender = deletion.sender;
    if (sender != player) return "battle result sent in the name of player " + Text(sender);
    TMap_Unit_Record u;
    if (!Find_Unit(deletion.unit, u)) return "unit " + Text(deletion.unit) + " does not exist";
    region = u.region;
    if (region == 0 || !Battle_Players(region, attacker, defender)) {
      if (Host.battle.region == 0) return "unit " + Text(deletion.unit) + " is in no battle";
      region = Host.battle.region;
      attacker = Host.battle.attacker;
      defender = Host.battle.defender;
    }
  }
  if (sender != player) return "battle result sent in the name of player " + Text(sender);
  // The results of a battle fought on the sender's machine open the battle
  // here when no begin came (a battle against a computer player).
  const bool known =
      Host.battle.region == region && Same_Pair(attacker, defender, Host.battle.attacker, Host.battle.defender);
  if (!known) {
    if (std::string why = Open_Battle(player, region, attacker, defender); !why.empty()) return why;
  } else if (!In_Battle(player)) {
    return "player " + Text(player) + " takes no part in the battle";
  }
  if (const auto* results = std::get_if<TCommand_Battle_Results>(&c)) {
    if (results->new_owner != 0 && results->new_owner != attacker && results->new_owner != defender)
      return "region " + Text(region) + " given to player " + Text(results->new_owner) +
             ", who took no part in the battle";
  }
  if (const auto* deletion = std::get_if<TCommand_Battle_Delete_Unit>(&c)) {
    const TKnown_Battle saved = Host.battle;
    Host.battle = TKnown_Battle{region, attacker, defender};
    std::string why = Battle_Unit_Refusal(deletion->unit, deletion->carrier);
    Host.battle = saved;
    if (!why.empty()) return why;
  }
  return "";
}

std::string Battle_Refusal(std::uint8_t player, const TGame_Command& c) {
  if (const auto* begin = std::get_if<TCommand_Battle_Begin>(&c)) {
    if (std::string why = Open_Battle(player, begin->region, begin->attacker, begin->defender); !why.empty())
      return why;
    if (begin->execute == player || (begin->execute != begin->attacker && begin->execute != begin->defender))
      return "battle step for player " + Text(begin->execute) + " from player " + Text(player);
    return "";
  }
  if (std::holds_alternative<TCommand_Battle_Log>(c) || std::holds_alternative<TCommand_Battle_Results>(c) ||
      std::holds_alternative<TCommand_Battle_Delete_Unit>(c))
    return Result_Refusal(player, c);
  // The steps of a battle under way: only inside the battle this machine
  // knows of, from one of its players, for the other player's machine.
  if (Host.battle.region == 0) return "no battle is under way";
  if (!In_Battle(player)) return "player " + Text(player) + " takes no part in the battle";
  const std::uint8_t execute = Step_Execute(c);
  if (execute == player || (execute != Host.battle.attacker && execute != Host.battle.defender))
    return "battle step for player " + Text(execute) + " from player " + Text(player);
  if (const auto* piece = std::get_if<TCommand_Battle_Add_Unit>(&c)) {
    if (piece->owner != Host.battle.attacker && piece->owner != Host.battle.defender)
      return "a battle piece of player " + Text(piece->owner) + ", who takes no part in the battle";
    // A piece is formed of a unit of the battle, of the piece's owner.
    if (std::string why = Battle_Unit_Refusal(piece->unit_id, 0); !why.empty()) return why;
    TMap_Unit_Record u;
    Find_Unit(piece->unit_id, u);
    if (u.owner != piece->owner)
      return "a battle piece of player " + Text(piece->owner) + " formed of unit " + Text(piece->unit_id) +
             " of player " + Text(u.owner);
  }
  return "";
}

// Battle steps and results: the to-host codes 100 to 124.
bool Is_Battle_Code(std::uint8_t code) { return code >= 100 && code <= 125 && code % 2 == 0; }

// Counts the player's command in the turn; false past the bound.
// A new turn forgets the counts and moves of the turn before.
void Follow_The_Turn() {
  if (Host.count_date != Game_Settings.f_game_date || Host.count_turn != Game_Settings.f_turn_empire) {
    Host.count_date = Game_Settings.f_game_date;
    Host.count_turn = Game_Settings.f_turn_empire;
    std::fill(std::begin(Host.counts), std::end(Host.counts), 0);
    for (TPending_Move& pending : Host.moves) pending = TPending_Move{};
  }
}

bool Count_Command(std::uint8_t player) {
  if (Host.counts[player] >= Game_Command_Limit) return false;
  ++Host.counts[player];
  return true;
}

std::string Player_Command_Refusal(std::uint8_t player, const TMP_Message& m) {
  if (Game_Settings.f_turn_empire != player) return "player " + Text(player) + " acted outside its turn";
  switch (m.code) {
    case LAN_MSG_TO_SERVER_ACTION_MOVE_UNIT: {
      std::string why = Move_Refusal(player, Read<TMove_Leg>(m));
      // A refused leg ends the player's move: the legs before it are played
      // as they stand, and the next order starts afresh.
      if (!why.empty()) Host.moves[player] = TPending_Move{};
      return why;
    }
    case LAN_MSG_TO_SERVER_ACTION_BOMBARD_UNIT: {
      const TCommand_Bombard c = Read<TCommand_Bombard>(m);
      if (c.owner != player) return "order for the units of player " + Text(c.owner);
      if (!Region_Exists(c.target)) return "region " + Text(c.target) + " does not exist";
      if (std::string why = Units_Refusal(c.units, player, c.source); !why.empty()) return why;
      if (std::int64_t(c.damage.size()) > Game_Command_Limit) return "too many damage records";
      for (const TBombard_Damage_Record& r : c.damage)
        if (r.attacking_unit_id != 0 &&
            std::find(c.units.begin(), c.units.end(), r.attacking_unit_id) == c.units.end())
          return "damage dealt by unit " + Text(r.attacking_unit_id) + ", which does not bombard";
      return "";
    }
    case LAN_MSG_TO_SERVER_ACTION_ADD_UNIT_TO_UNIT_CARGO: {
      const TCommand_Load c = Read<TCommand_Load>(m);
      if (c.owner != player) return "order for the units of player " + Text(c.owner);
      // A unit left listed in its region while it is aboard would stand in
      // two places.
      if (!c.remove_from_region) return "unit " + Text(c.unit) + " boards and stays listed in its region";
      return Units_Refusal({c.transport, c.unit}, player);
    }
    case LAN_MSG_TO_SERVER_ACTION_REMOVE_UNIT_FROM_UNIT_CARGO: {
      const TCommand_Unload c = Read<TCommand_Unload>(m);
      if (c.owner != player) return "order for the units of player " + Text(c.owner);
      // A unit taken from the cargo and put in no region would be lost.
      if (!c.add_to_region) return "unit " + Text(c.unit) + " leaves its transport for no region";
      if (!Region_Exists(c.region)) return "region " + Text(c.region) + " does not exist";
      return Units_Refusal({c.transport, c.unit}, player);
    }
    case LAN_MSG_TO_SERVER_ACTION_SET_UNIT_MOVEMENT:
      if (m.m_Int(0) != 0) return "moves set to " + Text(m.m_Int(0));
      return Units_Refusal(Read<TCommand_Set_Movement>(m).units, player);
    case LAN_MSG_TO_SERVER_ACTION_DECOMMISSION_UNITS: {
      const TCommand_Decommission c = Read<TCommand_Decommission>(m);
      if (c.owner != player) return "order for the units of player " + Text(c.owner);
      return Units_Refusal(c.units, player, c.region);
    }
    case LAN_MSG_TO_SERVER_ACTION_UPDATE_PURCHASES: return Purchases_Refusal(player, Read<TCommand_Purchases>(m));
    case LAN_MSG_TO_SERVER_ACTION_END_TURN:
      if (m.m_Int(0) != player) return "end of turn for player " + Text(m.m_Int(0));
      return "";
    default: return "code " + Text(m.code) + " is no command of a player";
  }
}

// A relayed move leg moves the player's pending move on.
void Note_Leg(const TMove_Leg& leg) {
  TPending_Move& pending = Host.moves[leg.owner];
  if (!leg.more) {
    pending = TPending_Move{};
    return;
  }
  pending.from = leg.dest;
  pending.leg += 1;
  pending.units = leg.units;
}

}  // namespace

// --- Records and messages ----------------------------------------------------------

std::string Game_Command_Name(const TGame_Command& command) {
  static const char* const names[] = {"move",
                                      "bombard",
                                      "load",
                                      "unload",
                                      "set movement",
                                      "decommission",
                                      "purchases",
                                      "end of turn",
                                      "battle begin",
                                      "battle piece",
                                      "battle wait",
                                      "battle next piece",
                                      "battle attack",
                                      "battle move",
                                      "battle end of piece turn",
                                      "battle end dialog closed",
                                      "battle begin dialog",
                                      "battle begin dialog closed",
                                      "battle log",
                                      "battle unit deleted",
                                      "battle results",
                                      "game date",
                                      "current player",
                                      "start of player turn",
                                      "player updates",
                                      "crash",
                                      "computer takes over",
                                      "battle given"};
  static_assert(std::size(names) == std::variant_size_v<TGame_Command>);
  return names[command.index()];
}

std::vector<TMP_Message> Game_Command_Messages(const TGame_Command& command) {
  std::vector<TMP_Message> out;
  if (const auto* c = std::get_if<TCommand_Move>(&command)) {
    std::int32_t from = c->source;
    for (std::size_t j = 0; j < c->path.size(); ++j) {
      const std::uint8_t wait = j > 0 || c->follows ? 1 : 0;
      TMove_Leg leg{from, c->path[j], c->unit_type, c->owner, wait, j + 1 < c->path.size(), c->units};
      out.push_back(Write(LAN_MSG_TO_SERVER_ACTION_MOVE_UNIT, leg));
      from = c->path[j];
    }
    return out;
  }
  std::visit(
      [&out](const auto& c) {
        using T = std::decay_t<decltype(c)>;
        if constexpr (!std::is_same_v<T, TCommand_Move>) out.push_back(Write(Code_Of<T>(), c));
      },
      command);
  return out;
}

std::optional<TGame_Command> Game_Command_Of_Message(const TMP_Message& message, bool* more_legs) {
  if (more_legs) *more_legs = false;
  switch (To_Host_Code(message.code)) {
    case LAN_MSG_TO_SERVER_ACTION_MOVE_UNIT: {
      const TMove_Leg leg = Read<TMove_Leg>(message);
      if (more_legs) *more_legs = leg.more;
      return TCommand_Move{leg.source, {leg.dest}, leg.unit_type, leg.owner, leg.units, leg.wait != 0};
    }
    case LAN_MSG_TO_SERVER_ACTION_BOMBARD_UNIT: return Read<TCommand_Bombard>(message);
    case LAN_MSG_TO_SERVER_ACTION_ADD_UNIT_TO_UNIT_CARGO: return Read<TCommand_Load>(message);
    case LAN_MSG_TO_SERVER_ACTION_REMOVE_UNIT_FROM_UNIT_CARGO: return Read<TCommand_Unload>(message);
    case LAN_MSG_TO_SERVER_ACTION_SET_UNIT_MOVEMENT: return Read<TCommand_Set_Movement>(message);
    case LAN_MSG_TO_SERVER_ACTION_DECOMMISSION_UNITS: return Read<TCommand_Decommission>(message);
    case LAN_MSG_TO_SERVER_ACTION_UPDATE_PURCHASES: return Read<TCommand_Purchases>(message);
    case LAN_MSG_TO_SERVER_ACTION_END_TURN: return Read<TCommand_End_Turn>(message);
    case LAN_MSG_TO_SERVER_ACTION_COMBAT_BEGIN: return Read<TCommand_Battle_Begin>(message);
    case LAN_MSG_TO_SERVER_ACTION_COMBAT_ADD_STARTING_UNIT: return Read<TCommand_Battle_Add_Unit>(message);
    case LAN_MSG_TO_SERVER_ACTION_COMBAT_WAIT_PIECE_TURN: return Read<TCommand_Battle_Wait>(message);
    case LAN_MSG_TO_SERVER_ACTION_COMBAT_NEXT_PIECE: return Read<TCommand_Battle_Next_Piece>(message);
    case LAN_MSG_TO_SERVER_ACTION_COMBAT_ATTACK: return Read<TCommand_Battle_Attack>(message);
    case LAN_MSG_TO_SERVER_ACTION_COMBAT_MOVE: return Read<TCommand_Battle_Move>(message);
    case LAN_MSG_TO_SERVER_ACTION_COMBAT_END_PIECE_TURN: return Read<TCommand_Battle_End_Piece_Turn>(message);
    case LAN_MSG_TO_SERVER_ACTION_COMBAT_END_CLOSED: return Read<TCommand_Battle_End_Closed>(message);
    case LAN_MSG_TO_SERVER_ACTION_COMBAT_BEGIN_DIALOG: return Read<TCommand_Battle_Begin_Dialog>(message);
    case LAN_MSG_TO_SERVER_ACTION_COMBAT_BEGIN_CLOSED: return Read<TCommand_Battle_Begin_Closed>(message);
    case LAN_MSG_TO_SERVER_ACTION_COMBAT_END_COMBAT_ADD_LOG: return Read<TCommand_Battle_Log>(message);
    case LAN_MSG_TO_SERVER_ACTION_COMBAT_END_DELETE_UNIT: return Read<TCommand_Battle_Delete_Unit>(message);
    case LAN_MSG_TO_SERVER_ACTION_COMBAT_END_RESULTS: return Read<TCommand_Battle_Results>(message);
    case LAN_MSG_TO_CLIENT_ACTION_NEW_GAME_DATE: return Read<TCommand_Game_Date>(message);
    case LAN_MSG_TO_CLIENT_ACTION_NEW_CURRENT_PLAYER: return Read<TCommand_Current_Player>(message);
    case LAN_MSG_TO_CLIENT_ACTION_START_PLAYER_TURN: return Read<TCommand_Start_Player_Turn>(message);
    case LAN_MSG_TO_CLIENT_ACTION_END_TURN_STATUS: return Read<TCommand_Turn_Status>(message);
    case LAN_MSG_TO_CLIENT_ACTION_PLANE_CRASH: return Read<TCommand_Crash>(message);
    case LAN_MSG_TO_CLIENT_ACTION_PLAYER_AI_CONTROLLED: return Read<TCommand_Computer_Takes_Over>(message);
    case LAN_MSG_TO_CLIENT_ACTION_COMBAT_PLR_START: return Read<TCommand_Battle_Given>(message);
    default: return std::nullopt;
  }
}

TCommand_Route Game_Command_Route(const TGame_Command& command) {
  switch (command.index()) {
    case 0: case 1: case 2: case 3: case 4: case 5: case 6: case 7: return TCommand_Route::Order;
    default: break;
  }
  if (std::holds_alternative<TCommand_Battle_Log>(command) ||
      std::holds_alternative<TCommand_Battle_Delete_Unit>(command) ||
      std::holds_alternative<TCommand_Battle_Results>(command))
    return TCommand_Route::Battle_Result;
  return MP_Relay_Code(Game_Command_Messages(command).front().code) != 0 ? TCommand_Route::Battle_Step
                                                                          : TCommand_Route::Host_Message;
}

std::optional<std::int64_t> Game_Command_Purchase_Price(std::uint8_t player, const TEmpire_Purchase& p) {
  if (p.kind == PURCHASE_UNIT) {
    const TUnit_Type* type = World_Unit_Type(p.id);
    // The most units one purchase may hold, as the purchase panel allows.
    constexpr std::int64_t Most_Units = 60000;
    if (type == nullptr || p.amount < 1 || p.amount > Most_Units || !Region_Exists(p.region)) return std::nullopt;
    const TMap_Region* region = G_Map->m_Get_Region(p.region);
    const std::int32_t modifier = region->m_Get_Type() == REGION_OCEAN ? region->m_Get_Near_Unit_Cost_Modifier(player)
                                                                        : region->m_Get_Unit_Cost_Modifier(player);
    const std::int64_t cost = std::int64_t(type->f_cost) * p.amount;
    return modifier == 0 ? cost : cost * (100 - std::int64_t(modifier)) / 100;
  }
  if (p.kind == PURCHASE_RESEARCH) {
    const TTech_Area* area = World_Tech_Area(p.id);
    if (area == nullptr || p.amount != 1 || p.region < 1 || p.region > area->m_Get_Cost_Count()) return std::nullopt;
    return std::int64_t(area->m_Get_Cost(p.region));
  }
  return std::nullopt;
}

// --- The host's check --------------------------------------------------------------

std::string Game_Command_Refusal(std::uint8_t player, const TMP_Message& message) {
  std::string why;
  Follow_The_Turn();
  const bool battle = Is_Battle_Code(message.code);
  try {
    why = battle ? Battle_Refusal(player, *Game_Command_Of_Message(message)) : Player_Command_Refusal(player, message);
  } catch (const std::exception& e) {
    why = std::string("the message does not hold a command: ") + e.what();
  }
  // The steps of a battle are bounded by the battle itself (a long battle
  // takes many); the bound counts the orders, purchases and ends of turn.
  if (why.empty() && !battle && !Count_Command(player))
    why = "player " + Text(player) + " sent more than " + Text(Game_Command_Limit) + " commands this turn";
  return why;
}

void Game_Command_Note_Relayed(const TMP_Message& m) {
  try {
    switch (To_Host_Code(m.code)) {
      case LAN_MSG_TO_SERVER_ACTION_MOVE_UNIT: Note_Leg(Read<TMove_Leg>(m)); break;
      case LAN_MSG_TO_SERVER_ACTION_COMBAT_BEGIN:
        Host.battle = TKnown_Battle{m.m_Int(1), std::uint8_t(m.m_Int(4)), std::uint8_t(m.m_Int(5))};
        break;
      case LAN_MSG_TO_SERVER_ACTION_COMBAT_END_COMBAT_ADD_LOG:
        Host.battle = TKnown_Battle{m.m_Int(6), std::uint8_t(m.m_Int(2)), std::uint8_t(m.m_Int(3))};
        break;
      case LAN_MSG_TO_SERVER_ACTION_COMBAT_END_DELETE_UNIT: {
        TMap_Unit_Record u;
        std::uint8_t first = 0, second = 0;
        if (Find_Unit(m.m_Int(1), u) && u.region != 0 && u.region != Host.battle.region &&
            Battle_Players(u.region, first, second))
          Host.battle = TKnown_Battle{u.region, first, second};
        break;
      }
      case LAN_MSG_TO_SERVER_ACTION_COMBAT_END_RESULTS: Host.battle = TKnown_Battle{}; break;
      default: break;
    }
  } catch (const std::exception&) {
    // A message that was checked decodes; nothing to note otherwise.
  }
}

void Game_Command_Reset_Host_State() { Host = THost_State{}; }

// --- Execution ---------------------------------------------------------------------

namespace {

std::int32_t Execute(const TCommand_Move& c, const TCommand_Execution& how) {
  std::int32_t previous = how.awaited_id;
  std::int32_t from = c.source;
  const TLongintList list = Longint_List_Of(c.units);
  for (std::size_t j = 0; j < c.path.size(); ++j) {
    previous = Master_Action_Timer->m_Add_Action_Move_Unit(from, c.unit_type, c.owner, std::int32_t(c.units.size()),
                                                           list, c.path[j], previous, j + 1 < c.path.size(), how.seen);
    from = c.path[j];
  }
  return c.path.empty() ? 0 : previous;
}

std::int32_t Execute(const TCommand_Bombard& c, const TCommand_Execution& how) {
  return Master_Action_Timer->m_Add_Action_Bombard_Unit(c.source, c.unit_type, c.owner, std::int32_t(c.units.size()),
                                                        Longint_List_Of(c.units), c.target, how.awaited_id, how.seen,
                                                        c.region_damage, c.damage);
}

std::int32_t Execute(const TCommand_Load& c, const TCommand_Execution&) {
  if (!G_Map->m_Add_Unit_To_Cargo(c.transport, c.unit, true, c.remove_from_region)) return 0;
  // The action takes its squares from where the unit still stands.
  const std::int32_t id = Master_Action_Timer->m_Add_Action_Load_Unit(c.transport, c.unit);
  return G_Map->m_Add_Unit_To_Cargo(c.transport, c.unit, false, c.remove_from_region) ? id : 0;
}

std::int32_t Execute(const TCommand_Unload& c, const TCommand_Execution&) {
  if (!G_Map->m_Remove_Unit_From_Cargo(c.transport, c.unit, true, c.landing, c.region, c.add_to_region)) return 0;
  const std::int32_t id = Master_Action_Timer->m_Add_Action_Unload_Unit(c.transport, c.unit, c.region);
  return G_Map->m_Remove_Unit_From_Cargo(c.transport, c.unit, false, c.landing, c.region, c.add_to_region) ? id : 0;
}

std::int32_t Execute(const TCommand_Set_Movement& c, const TCommand_Execution&) {
  for (std::int32_t id : c.units)
    if (G_Map->m_Valid_Unit_Id(id)) G_Map->m_Set_Unit_Moves(id, 0);
  return 0;
}

std::int32_t Execute(const TCommand_Decommission& c, const TCommand_Execution& how) {
  return Master_Action_Timer->m_Add_Action_Decommission_Units(c.region, c.owner, std::int32_t(c.units.size()),
                                                              Longint_List_Of(c.units), how.seen);
}

std::int32_t Execute(const TCommand_Purchases& c, const TCommand_Execution&) {
  TEmpire* empire = Empire_Get(c.player);
  if (empire == nullptr) return 0;
  empire->m_Clear_Purchases();
  for (const TEmpire_Purchase& p : c.entries) empire->m_Add_Purchase(p);
  return 0;
}

std::int32_t Execute(const TCommand_End_Turn&, const TCommand_Execution&) {
  if (Master_Action_Timer->m_Has_Action_Type(ACTION_END_TURN)) return 0;
  return Master_Action_Timer->m_Add_Action_End_Turn();
}

// Battle steps and the host's turn messages act only where they arrive from
// the network (the action queue); the machine that made them has made the
// change already.
template <class T> std::int32_t Execute(const T&, const TCommand_Execution&) { return 0; }

}  // namespace

std::int32_t Game_Command_Execute(const TGame_Command& command, const TCommand_Execution& how) {
  if (G_Map == nullptr || Master_Action_Timer == nullptr) return 0;
  return std::visit([&](const auto& c) { return Execute(c, how); }, command);
}
