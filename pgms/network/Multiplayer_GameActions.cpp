#include "Multiplayer_GameActions.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "Debug_Log.h"
#include "Errors.h"
#include "GameSettings.h"
#include "Multiplayer_ActionQueue.h"
#include "Multiplayer_Client.h"
#include "Multiplayer_Game_Executor.h"
#include "Multiplayer_Server.h"

std::uint8_t MP_Combat_Attacker_Plr = 0;
std::uint8_t MP_Combat_Defender_Plr = 0;
TMP_Battle_Elsewhere MP_Battle_Elsewhere;

// --- Layouts -------------------------------------------------------------------

namespace {

using K = TMP_Field_Kind;

struct TField {
  K kind;
  const char* name;
  // For a count: the fields of its group and the most groups allowed.
  std::vector<TField> group = {};
  std::int32_t max_count = 0;
};

struct TLayout {
  const char* name;  // the name after LAN_MSG_TO_SERVER_ / LAN_MSG_TO_CLIENT_
  std::vector<TField> fields;
};

// The largest count any message may carry: a unit list never holds more
// than the unit table, and the line limit bounds the rest.
constexpr std::int32_t Max_Group_Count = 1000000;

const std::map<std::uint8_t, TLayout>& Layouts() {
  static const std::map<std::uint8_t, TLayout> layouts = [] {
    std::map<std::uint8_t, TLayout> m;
    auto pair = [&m](std::uint8_t even, std::uint8_t odd, const char* name, std::vector<TField> fields) {
      m[even] = TLayout{name, fields};
      if (odd != 0) m[odd] = TLayout{name, fields};
    };
    const TField unit_ids{K::Count, "num_units", {{K::Integer, "unit_id"}}, Max_Group_Count};
    pair(1, 2, "CHAT", {{K::String, "chat_sender"}, {K::String, "chat_msg"}});
    pair(50, 51, "ACTION_MOVE_UNIT",
         {{K::Integer, "src_region_id"},
          {K::Integer, "dest_region_id"},
          {K::Word, "unit_type"},
          {K::Byte, "plr_owner"},
          {K::Byte, "wait_for_action"},
          {K::Boolean, "more_moves_after_this_one"},
          unit_ids});
    pair(52, 53, "ACTION_BOMBARD_UNIT",
         {{K::Integer, "src_region_id"},
          {K::Integer, "dest_region_id"},
          {K::Word, "unit_type"},
          {K::Byte, "plr_owner"},
          {K::Byte, "wait_for_action"},
          unit_ids,
          {K::Integer, "bombard_value"},
          {K::Count,
           "num_damage",
           {{K::Integer, "damage"}, {K::Integer, "attacking_unit_id"}, {K::Integer, "target_unit_id"}},
           Max_Group_Count}});
    pair(54, 55, "ACTION_ADD_UNIT_TO_UNIT_CARGO",
         {{K::Integer, "region_id"},
          {K::Byte, "unit_owner"},
          {K::Integer, "transport_unit_id"},
          {K::Integer, "cargo_unit_id"},
          {K::Boolean, "remove_from_region"}});
    pair(56, 57, "ACTION_REMOVE_UNIT_FROM_UNIT_CARGO",
         {{K::Integer, "dest_region_id"},
          {K::Byte, "unit_owner"},
          {K::Integer, "transport_unit_id"},
          {K::Integer, "cargo_unit_id"},
          {K::Boolean, "add_to_region"},
          {K::Boolean, "clear_cargo_movement"}});
    pair(58, 59, "ACTION_SET_UNIT_MOVEMENT", {{K::Byte, "new_move_amt"}, unit_ids});
    pair(60, 61, "ACTION_UPDATE_PURCHASES",
         {{K::Byte, "plr"},
          {K::Count,
           "num_purchases",
           {{K::Byte, "Type"}, {K::Integer, "ID"}, {K::Word, "Amt"}, {K::Integer, "RegionID"}, {K::Integer, "Cost"}},
           Max_Group_Count}});
    pair(62, 0, "ACTION_END_TURN", {{K::Byte, "plr"}});
    pair(63, 0, "ACTION_PLANE_CRASH", {{K::Integer, "unit_id"}});
    pair(64, 0, "ACTION_NEW_GAME_DATE", {{K::Integer, "game_date"}});
    pair(65, 0, "ACTION_NEW_CURRENT_PLAYER", {{K::Byte, "plr"}});
    pair(66, 0, "ACTION_START_PLAYER_TURN", {{K::Byte, "plr"}});
    pair(67, 0, "ACTION_END_TURN_STATUS", {{K::Byte, "plr"}});
    pair(68, 0, "ACTION_PLAYER_AI_CONTROLLED", {{K::Byte, "plr"}});
    pair(127, 69, "ACTION_DECOMMISSION_UNITS", {{K::Integer, "src_region_id"}, {K::Byte, "plr_owner"}, unit_ids});
    pair(100, 101, "ACTION_COMBAT_BEGIN",
         {{K::Byte, "execute_plr"},
          {K::Integer, "region_id"},
          {K::Boolean, "auto_resolve_combat"},
          {K::String, "map_name"},
          {K::Byte, "attacker_plr"},
          {K::Byte, "defender_plr"},
          {K::Byte, "orig_region_owner"}});
    pair(102, 103, "ACTION_COMBAT_ADD_STARTING_UNIT",
         {{K::Byte, "execute_plr"},
          {K::Byte, "mode"},
          {K::Integer, "pos_x"},
          {K::Integer, "pos_y"},
          {K::Integer, "unique_id"},
          {K::Integer, "unit_id"},
          {K::Byte, "unit_owner"},
          {K::Word, "unit_type"},
          {K::Integer, "num_units"},
          {K::Byte, "pic_grid_x"},
          {K::Byte, "pic_grid_y"},
          {K::Single, "turn_time"},
          {K::Integer, "cargo_id"},
          {K::Byte, "orientation"}});
    pair(104, 105, "ACTION_COMBAT_WAIT_PIECE_TURN", {{K::Byte, "execute_plr"}, {K::Boolean, "next_piece"}});
    pair(106, 107, "ACTION_COMBAT_NEXT_PIECE", {{K::Byte, "execute_plr"}});
    pair(108, 109, "ACTION_COMBAT_ATTACK",
         {{K::Byte, "execute_plr"}, {K::Integer, "tx"}, {K::Integer, "ty"}, {K::Integer, "dmg_amt"}});
    pair(110, 111, "ACTION_COMBAT_MOVE", {{K::Byte, "execute_plr"}, {K::Integer, "tx"}, {K::Integer, "ty"}});
    pair(112, 113, "ACTION_COMBAT_END_COMBAT_ADD_LOG",
         {{K::Byte, "src_plr"},
          {K::Integer, "game_date"},
          {K::Byte, "attacker_plr"},
          {K::Byte, "defender_plr"},
          {K::Byte, "winning_plr"},
          {K::Byte, "orig_region_owner"},
          {K::Integer, "region_id"},
          {K::Boolean, "combat_attacker_has_land_movement"},
          {K::Count,
           "num_starting_units",
           {{K::Integer, "Unit Type"}, {K::Byte, "Owner"}, {K::Integer, "Starting Units"},
            {K::Integer, "Destr. Units"}},
           140}});
    pair(114, 115, "ACTION_COMBAT_END_DELETE_UNIT",
         {{K::Byte, "src_plr"}, {K::Integer, "unit_id"}, {K::Integer, "parent_unit_id"}});
    pair(116, 117, "ACTION_COMBAT_END_RESULTS",
         {{K::Byte, "src_plr"},
          {K::Byte, "new_region_owner"},
          {K::Integer, "region_id"},
          {K::Byte, "attacker_plr"},
          {K::Byte, "defender_plr"}});
    pair(118, 119, "ACTION_COMBAT_END_PIECE_TURN", {{K::Byte, "execute_plr"}, {K::Boolean, "next_piece"}});
    pair(120, 121, "ACTION_COMBAT_END_CLOSED", {{K::Byte, "execute_plr"}});
    pair(122, 123, "ACTION_COMBAT_BEGIN_DIALOG", {{K::Byte, "execute_plr"}});
    pair(124, 125, "ACTION_COMBAT_BEGIN_CLOSED", {{K::Byte, "execute_plr"}});
    pair(126, 0, "ACTION_COMBAT_PLR_START", {{K::Byte, "execute_plr"}, {K::Integer, "region_id"}});
    return m;
  }();
  return layouts;
}

const TLayout* Find_Layout(std::uint8_t code) {
  auto it = Layouts().find(code);
  return it == Layouts().end() ? nullptr : &it->second;
}

// Fewest characters one field takes on the wire.
std::size_t Min_Width(const TField& f) {
  switch (f.kind) {
    case K::Byte: return 3;
    case K::Word: return 5;
    case K::Integer: return 11;
    case K::Single: return 15;
    case K::Boolean: return 1;
    case K::String: return 4;
    case K::Count: return 11;
  }
  return 1;
}

void Decode_Fields(const std::vector<TField>& fields, std::string& rest, std::vector<TMP_Value>& out) {
  for (const TField& f : fields) {
    TMP_Value v;
    v.kind = f.kind;
    switch (f.kind) {
      case K::Byte: v.number = MP_Decode_Byte(rest); break;
      case K::Word: v.number = MP_Decode_Word(rest); break;
      case K::Integer: v.number = MP_Decode_Integer(rest); break;
      case K::Single: v.single = MP_Decode_Single(rest); break;
      case K::Boolean: {
        if (rest.empty()) throw EConvertError("Message ends before a boolean field");
        v.number = MP_Decode_Boolean(rest) ? 1 : 0;
        break;
      }
      case K::String: v.text = MP_Decode_String(rest); break;
      case K::Count: {
        std::int32_t n = MP_Decode_Integer(rest);
        std::size_t group_width = 0;
        for (const TField& g : f.group) group_width += Min_Width(g);
        // The count is checked against what the rest of the message can
        // hold before anything is reserved for it.
        if (n < 0 || n > f.max_count || static_cast<std::size_t>(n) * group_width > rest.size())
          throw ERangeError("Count " + std::to_string(n) + " of " + f.name + " exceeds the message");
        v.number = n;
        out.push_back(v);
        for (std::int32_t i = 0; i < n; ++i) Decode_Fields(f.group, rest, out);
        continue;
      }
    }
    out.push_back(std::move(v));
  }
}

void Encode_Fields(const std::vector<TField>& fields, const std::vector<TMP_Value>& values, std::size_t& at,
                   std::string& out) {
  for (const TField& f : fields) {
    if (at >= values.size()) throw ERangeError("Message has fewer values than its layout");
    const TMP_Value& v = values[at++];
    switch (f.kind) {
      case K::Byte: out += MP_Encode_Byte(static_cast<std::int32_t>(v.number)); break;
      case K::Word: out += MP_Encode_Word(static_cast<std::int32_t>(v.number)); break;
      case K::Integer: out += MP_Encode_Integer(static_cast<std::int32_t>(v.number)); break;
      case K::Single: out += MP_Encode_Single(v.single); break;
      case K::Boolean: out += MP_Encode_Boolean(v.number != 0); break;
      case K::String: out += MP_Encode_String(v.text); break;
      case K::Count: {
        if (v.number < 0 || v.number > f.max_count) throw ERangeError("Count of " + std::string(f.name) + " out of range");
        out += MP_Encode_Integer(static_cast<std::int32_t>(v.number));
        for (std::int64_t i = 0; i < v.number; ++i) Encode_Fields(f.group, values, at, out);
        break;
      }
    }
  }
}

std::string Value_Text(const TMP_Value& v) {
  switch (v.kind) {
    case K::Boolean: return v.number != 0 ? "TRUE" : "FALSE";
    case K::String: return v.text;
    case K::Single: {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.4f", static_cast<double>(v.single));
      return buf;
    }
    default: return std::to_string(v.number);
  }
}

void Log_Fields(const std::vector<TField>& fields, const std::vector<TMP_Value>& values, std::size_t& at,
                std::vector<std::string>& lines) {
  auto pad = [](std::string s, std::size_t w) {
    if (s.size() < w) s.append(w - s.size(), ' ');
    return s;
  };
  for (const TField& f : fields) {
    if (at >= values.size()) return;
    const TMP_Value& v = values[at++];
    if (f.kind != K::Count) {
      lines.push_back("  " + pad(f.name, 26) + " - " + Value_Text(v));
      continue;
    }
    lines.push_back("  " + pad(f.name, 26) + " - " + Value_Text(v));
    const bool simple = f.group.size() == 1;
    std::string joined;
    for (std::int64_t i = 1; i <= v.number; ++i) {
      if (simple) {
        if (at >= values.size()) return;
        if (!joined.empty()) joined += ", ";
        joined += Value_Text(values[at++]);
        continue;
      }
      std::string line = "  " + pad("Group " + std::to_string(i), 15) + " - ";
      for (const TField& g : f.group) {
        if (at >= values.size()) return;
        line += "  " + std::string(g.name) + ": " + Value_Text(values[at++]);
      }
      lines.push_back(line);
    }
    if (simple) lines.push_back("  " + pad(f.group[0].name, 26) + " - " + joined);
  }
}

}  // namespace

std::int32_t TMP_Message::m_Int(std::size_t i) const {
  if (i >= values.size()) throw ERangeError("Message field " + std::to_string(i) + " missing");
  return static_cast<std::int32_t>(values[i].number);
}

bool TMP_Message::m_Bool(std::size_t i) const { return m_Int(i) != 0; }

float TMP_Message::m_Single(std::size_t i) const {
  if (i >= values.size()) throw ERangeError("Message field " + std::to_string(i) + " missing");
  return values[i].single;
}

const std::string& TMP_Message::m_Text(std::size_t i) const {
  if (i >= values.size()) throw ERangeError("Message field " + std::to_string(i) + " missing");
  return values[i].text;
}

bool MP_Has_Layout(std::uint8_t code) { return Find_Layout(code) != nullptr; }

TMP_Message MP_Decode_Payload(std::uint8_t code, const std::string& payload) {
  const TLayout* layout = Find_Layout(code);
  if (layout == nullptr) throw EConvertError("Message code " + std::to_string(code) + " has no layout");
  TMP_Message m;
  m.code = code;
  std::string rest = payload;
  Decode_Fields(layout->fields, rest, m.values);
  if (!rest.empty()) throw EConvertError("Message of code " + std::to_string(code) + " has text left over");
  return m;
}

TMP_Message MP_Decode_Message(const std::string& text) {
  std::string rest = text;
  std::uint8_t code = MP_Decode_Byte(rest);
  return MP_Decode_Payload(code, rest);
}

std::string MP_Encode_As(std::uint8_t code, const TMP_Message& message) {
  const TLayout* layout = Find_Layout(code);
  if (layout == nullptr) throw EConvertError("Message code " + std::to_string(code) + " has no layout");
  std::string out = MP_Encode_Byte(code);
  std::size_t at = 0;
  Encode_Fields(layout->fields, message.values, at, out);
  if (at != message.values.size()) throw ERangeError("Message has more values than its layout");
  return out;
}

std::string MP_Encode_Message(const TMP_Message& message) { return MP_Encode_As(message.code, message); }

std::uint8_t MP_Relay_Code(std::uint8_t code) {
  switch (code) {
    case 50: case 52: case 54: case 56: case 58: case 60: case 100: case 102: case 104: case 106: case 108:
    case 110: case 112: case 114: case 116: case 118: case 120: case 122: case 124:
      return static_cast<std::uint8_t>(code + 1);
    case 127: return 69;
    default: return 0;
  }
}

std::string MP_Message_Name(std::uint8_t code) {
  static const std::map<std::uint8_t, const char*> lobby = {
      {3, "LAN_MSG_TO_SERVER_LOGIN"},           {4, "LAN_MSG_TO_CLIENT_LOGIN_ACCEPTED"},
      {5, "LAN_MSG_TO_CLIENT_GAME_INFO"},       {6, "LAN_MSG_TO_CLIENT_STATUS_TEXT"},
      {7, "LAN_MSG_TO_SERVER_PLAYER_READY"},    {8, "LAN_MSG_TO_CLIENT_START_GAME"},
      {9, "LAN_MSG_TO_SERVER_HELLO"},           {10, "LAN_MSG_TO_CLIENT_LOGIN_INFO"},
      {11, "LAN_MSG_TO_CLIENT_LOGIN_BAD_PASSWORD"}, {12, "LAN_MSG_TO_CLIENT_LOGIN_NO_SLOTS"}};
  if (auto it = lobby.find(code); it != lobby.end()) return it->second;
  const TLayout* layout = Find_Layout(code);
  if (layout == nullptr) return "";
  // Codes 62 to 68 and 126 go only one way; of the other pairs the even
  // code (and 127) goes to the host.
  bool to_server;
  if (code >= 62 && code <= 68)
    to_server = code == 62;
  else if (code == 126)
    to_server = false;
  else
    to_server = code == 127 || code % 2 == 0;
  if (code == 1) to_server = true;
  if (code == 2 || code == 69) to_server = false;
  return std::string(to_server ? "LAN_MSG_TO_SERVER_" : "LAN_MSG_TO_CLIENT_") + layout->name;
}

std::vector<std::string> MP_Message_Log_Lines(const TMP_Message& message) {
  std::vector<std::string> lines;
  const TLayout* layout = Find_Layout(message.code);
  if (layout == nullptr) return lines;
  std::size_t at = 0;
  Log_Fields(layout->fields, message.values, at, lines);
  return lines;
}

// --- Links ---------------------------------------------------------------------

TMultiplayer_Server* TMP_Game_Links::m_Server() { return nullptr; }
TMultiplayer_Client* TMP_Game_Links::m_Client() { return nullptr; }
TMultiplayer_Action_Queue* TMP_Game_Links::m_Action_Queue() { return MP_Action_Queue; }
void TMP_Game_Links::m_Send_To_All(const std::string& text) {
  if (TMultiplayer_Server* server = m_Server()) server->Send_To_All(text);
}
void TMP_Game_Links::m_Send_To_Host(const std::string& text) {
  if (TMultiplayer_Client* client = m_Client()) client->m_Send(text);
}
void TMP_Game_Links::m_Show_Chat_Line(const std::string&) {}
void TMP_Game_Links::m_Show_Chat() {}
void TMP_Game_Links::m_Lock_Panels(bool) {}
void TMP_Game_Links::m_Show_Message(const std::string&) {}
void TMP_Game_Links::m_Map_Ownership_Changed() {}
void TMP_Game_Links::m_Show_Turn_Status() {}
void TMP_Game_Links::m_Refresh_Selection() {}
void TMP_Game_Links::m_Release_Combat_End() {}
void TMP_Game_Links::m_Release_Combat_Begin() {}
void TMP_Game_Links::m_Open_Dialog(const std::string&) {}
// The turn sequence and the battle are the game's: by default the links
// hand them to the executor the rules install.
std::int32_t TMP_Game_Links::m_Crash_Unit(std::int32_t unit_id) { return MP_Game_Executor().m_Crash_Unit(unit_id); }
void TMP_Game_Links::m_Start_Player_Turn(std::uint8_t player) { MP_Game_Executor().m_Start_Player_Turn(player); }
void TMP_Game_Links::m_Execute_Player_Update(std::uint8_t player, std::int32_t step) {
  MP_Game_Executor().m_Execute_Player_Update(player, step);
}
void TMP_Game_Links::m_Combat_Begin(std::int32_t region, bool auto_resolve, bool show_begin_dialog) {
  MP_Game_Executor().m_Combat_Begin(region, auto_resolve, show_begin_dialog);
}
void TMP_Game_Links::m_Combat_Begin_Remote(std::int32_t region, bool auto_resolve, const std::string& map_name,
                                           std::uint8_t attacker, std::uint8_t defender, std::uint8_t prior_owner) {
  MP_Game_Executor().m_Combat_Begin_Remote(region, auto_resolve, map_name, attacker, defender, prior_owner);
}
void TMP_Game_Links::m_Combat_Add_Unit_Remote(const TMP_Message& m) { MP_Game_Executor().m_Combat_Add_Unit_Remote(m); }
void TMP_Game_Links::m_Combat_Wait_Piece_Remote(bool next_piece) {
  MP_Game_Executor().m_Combat_Wait_Piece_Remote(next_piece);
}
void TMP_Game_Links::m_Combat_End_Piece_Turn_Remote(bool next_piece) {
  MP_Game_Executor().m_Combat_End_Piece_Turn_Remote(next_piece);
}
void TMP_Game_Links::m_Combat_Next_Piece_Remote() { MP_Game_Executor().m_Combat_Next_Piece_Remote(); }
void TMP_Game_Links::m_Combat_Attack_Remote(std::int32_t x, std::int32_t y, std::int32_t damage) {
  MP_Game_Executor().m_Combat_Attack_Remote(x, y, damage);
}
void TMP_Game_Links::m_Combat_Move_Remote(std::int32_t x, std::int32_t y) { MP_Game_Executor().m_Combat_Move_Remote(x, y); }
void TMP_Game_Links::m_Combat_Results_Remote(std::uint8_t new_owner, std::int32_t region, std::uint8_t attacker,
                                             std::uint8_t defender) {
  MP_Game_Executor().m_Combat_Results_Remote(new_owner, region, attacker, defender);
}

namespace {
TMP_Game_Links Default_Links;
// The host's end of turn in progress (player and date it ended), and the
// end of the next turn that arrived before that one had finished.
std::uint8_t End_Turn_Player = 0;
std::int32_t End_Turn_Date = -1;
std::uint8_t Deferred_End_Turn_Player = 0;
TMP_Game_Links* Links = &Default_Links;
TMP_Command_Check* Command_Check = nullptr;

bool Log_On() { return Debug_Sections[DEBUG_MULTIPLAYER]; }

void Log(const std::string& text) {
  if (Log_On()) Debug_Log_Write(text);
}


}  // namespace

TMP_Game_Links& MP_Game_Links() { return *Links; }
void Set_MP_Game_Links(TMP_Game_Links* links) { Links = links != nullptr ? links : &Default_Links; }
void Set_MP_Command_Check(TMP_Command_Check* check) { Command_Check = check; }
TMP_Command_Check* MP_Command_Check() { return Command_Check; }

bool TMP_Lost_Player_Links::m_Play_Lost_Turn(std::uint8_t) { return false; }
bool TMP_Lost_Player_Links::m_Fight_Battle_Here(std::int32_t) { return false; }
void TMP_Lost_Player_Links::m_Battle_Player_Lost(std::uint8_t) {}

namespace {
TMP_Lost_Player_Links Default_Lost_Player_Links;
TMP_Lost_Player_Links* Lost_Player_Links = &Default_Lost_Player_Links;
}  // namespace

TMP_Lost_Player_Links& MP_Lost_Player_Links() { return *Lost_Player_Links; }
void Set_MP_Lost_Player_Links(TMP_Lost_Player_Links* links) {
  Lost_Player_Links = links != nullptr ? links : &Default_Lost_Player_Links;
}

// --- Dispatch ------------------------------------------------------------------

namespace {

void Send_To_All_Clients(const std::string& text) { Links->m_Send_To_All(text); }

// Hosted games handle the message here as if it came in; joined games send
// it to the host; other games send nothing.
void Dispatch_By_Game_Type(const std::string& text, bool no_local) {
  switch (Game_Kind()) {
    case TGame_Kind::Host: Multiplayer_Process_Message(MP_SOURCE_LOCAL, 0, text, no_local); break;
    case TGame_Kind::Joined: Links->m_Send_To_Host(text); break;
    default: break;
  }
}

void Host_To_All(const std::string& text) {
  if (Game_Kind() == TGame_Kind::Host) Send_To_All_Clients(text);
}

TMP_Value Num(K kind, std::int64_t n) {
  TMP_Value v;
  v.kind = kind;
  v.number = n;
  return v;
}
TMP_Value Byte(std::int64_t n) { return Num(K::Byte, n); }
TMP_Value Word(std::int64_t n) { return Num(K::Word, n); }
TMP_Value Int(std::int64_t n) { return Num(K::Integer, n); }
TMP_Value Bool(bool b) { return Num(K::Boolean, b ? 1 : 0); }
TMP_Value Count(std::int64_t n) { return Num(K::Count, n); }
TMP_Value Text(const std::string& s) {
  TMP_Value v;
  v.kind = K::String;
  v.text = s;
  return v;
}

std::string Build(std::uint8_t code, std::vector<TMP_Value> values) {
  TMP_Message m;
  m.code = code;
  m.values = std::move(values);
  return MP_Encode_Message(m);
}

void Append_Units(std::vector<TMP_Value>& values, const TLongintList& units, std::int32_t count) {
  std::int32_t n = std::clamp<std::int32_t>(count, 0, units.m_Count());
  values.push_back(Count(n));
  for (std::int32_t i = 1; i <= n; ++i) values.push_back(Int(units.m_Get(i)));
}

std::uint8_t Local_Player() { return Game_Settings.f_local_empire; }

}  // namespace

std::uint8_t Combat_Get_Execute_Plr() {
  if (MP_Combat_Attacker_Plr == Local_Player()) return MP_Combat_Defender_Plr;
  return MP_Combat_Attacker_Plr;
}

void MP_Post_Message(const TMP_Message& message, bool no_local) {
  Dispatch_By_Game_Type(MP_Encode_Message(message), no_local);
}

void Show_Chat_Line(const std::string& text) { Links->m_Show_Chat_Line(text); }

void Send_Chat_To_All(const std::string& sender, const std::string& text) {
  Send_To_All_Clients(Build(LAN_MSG_TO_CLIENT_CHAT, {Text(sender), Text(text)}));
  Show_Chat_Line(sender + ": " + text);
}

// --- Senders -------------------------------------------------------------------

bool Send_Action_Move_Unit(std::int32_t src_region, std::int32_t dest_region, std::uint16_t unit_type,
                           std::uint8_t owner, std::uint8_t wait_for_action, bool more_moves, const TLongintList& units,
                           std::int32_t unit_count, bool no_local) {
  std::vector<TMP_Value> v{Int(src_region), Int(dest_region), Word(unit_type), Byte(owner), Byte(wait_for_action),
                           Bool(more_moves)};
  Append_Units(v, units, unit_count);
  Dispatch_By_Game_Type(Build(LAN_MSG_TO_SERVER_ACTION_MOVE_UNIT, std::move(v)), no_local);
  return true;
}

bool Send_Action_Bombard_Unit(std::int32_t src_region, std::int32_t dest_region, std::uint16_t unit_type,
                              std::uint8_t owner, std::uint8_t wait_for_action, const TLongintList& units,
                              std::int32_t unit_count, std::int32_t bombard_value,
                              const std::vector<TMP_Bombard_Damage>& damage, bool no_local) {
  std::vector<TMP_Value> v{Int(src_region), Int(dest_region), Word(unit_type), Byte(owner), Byte(wait_for_action)};
  Append_Units(v, units, unit_count);
  v.push_back(Int(bombard_value));
  v.push_back(Count(static_cast<std::int64_t>(damage.size())));
  for (const TMP_Bombard_Damage& r : damage) {
    v.push_back(Int(r.damage));
    v.push_back(Int(r.attacking_unit_id));
    v.push_back(Int(r.target_unit_id));
  }
  Dispatch_By_Game_Type(Build(LAN_MSG_TO_SERVER_ACTION_BOMBARD_UNIT, std::move(v)), no_local);
  return true;
}

bool Send_Action_Add_Unit_To_Unit_Cargo(std::int32_t region, std::uint8_t owner, std::int32_t transport,
                                        std::int32_t cargo, bool remove_from_region, bool no_local) {
  Dispatch_By_Game_Type(Build(LAN_MSG_TO_SERVER_ACTION_ADD_UNIT_TO_UNIT_CARGO,
                              {Int(region), Byte(owner), Int(transport), Int(cargo), Bool(remove_from_region)}),
                        no_local);
  return true;
}

bool Send_Action_Remove_Unit_From_Unit_Cargo(std::int32_t dest_region, std::uint8_t owner, std::int32_t transport,
                                             std::int32_t cargo, bool add_to_region, bool clear_cargo_movement,
                                             bool no_local) {
  Dispatch_By_Game_Type(Build(LAN_MSG_TO_SERVER_ACTION_REMOVE_UNIT_FROM_UNIT_CARGO,
                              {Int(dest_region), Byte(owner), Int(transport), Int(cargo), Bool(add_to_region),
                               Bool(clear_cargo_movement)}),
                        no_local);
  return true;
}

void Send_Action_Set_Unit_Movement(std::uint8_t new_moves, const TLongintList& units, std::int32_t unit_count,
                                   bool no_local) {
  std::vector<TMP_Value> v{Byte(new_moves)};
  Append_Units(v, units, unit_count);
  Dispatch_By_Game_Type(Build(LAN_MSG_TO_SERVER_ACTION_SET_UNIT_MOVEMENT, std::move(v)), no_local);
}

void Send_Action_End_Turn(std::uint8_t player) {
  Dispatch_By_Game_Type(Build(LAN_MSG_TO_SERVER_ACTION_END_TURN, {Byte(player)}), false);
}

bool Send_Action_Decommission_Units(std::int32_t src_region, std::uint8_t owner, const TLongintList& units,
                                   std::int32_t unit_count, bool no_local) {
  std::vector<TMP_Value> v{Int(src_region), Byte(owner)};
  Append_Units(v, units, unit_count);
  Dispatch_By_Game_Type(Build(LAN_MSG_TO_SERVER_ACTION_DECOMMISSION_UNITS, std::move(v)), no_local);
  return true;
}

// --- Host checks -----------------------------------------------------------------

namespace {

bool Is_Battle_Step(std::uint8_t code) {
  switch (code) {
    case 100: case 102: case 104: case 106: case 108: case 110: case 118: case 120: case 122: case 124:
      return true;
    default: return false;
  }
}

bool Unit_Owned_By(std::int32_t id, std::uint8_t player, std::string& why) {
  const std::int32_t owner = MP_Game_Executor().m_Unit_Owner(id);
  if (owner != 0 && owner != player) {
    why = "unit " + std::to_string(id) + " belongs to player " + std::to_string(owner);
    return false;
  }
  return true;
}

// Whether every listed unit that exists belongs to the player.
bool Units_Owned_By(const TMP_Message& m, std::size_t count_at, std::uint8_t player, std::string& why) {
  std::int32_t n = m.m_Int(count_at);
  for (std::int32_t i = 1; i <= n; ++i)
    if (!Unit_Owned_By(m.m_Int(count_at + static_cast<std::size_t>(i)), player, why)) return false;
  return true;
}

}  // namespace

bool MP_Player_Present(std::uint8_t player) {
  if (player < 1 || player > Game_Settings_Player_Slots) return false;
  if (Game_Settings.m_Player(player).f_connected == 0) return false;
  return !MP_Game_Executor().m_Computer_Controlled(player);
}

void MP_Host_Take_Over_Lost_Players() {
  if (Game_Kind() != TGame_Kind::Host) return;
  TMP_Battle_Elsewhere& battle = MP_Battle_Elsewhere;
  if (battle.region != 0) {
    // A player still at the battle finishes it and sends its results.
    if (MP_Player_Present(battle.attacker) || MP_Player_Present(battle.defender)) return;
    const std::int32_t region = battle.region;
    if (Lost_Player_Links->m_Fight_Battle_Here(region)) {
      Log("MP_Host_Take_Over_Lost_Players - the battle of region " + std::to_string(region) + " is fought here");
      battle = TMP_Battle_Elsewhere{};
    }
    return;
  }
  const std::uint8_t turn = Game_Settings.f_turn_empire;
  if (turn < 1 || turn > Game_Settings_Player_Slots || Game_Settings.m_Player(turn).f_connected != 0) return;
  // An end of turn that arrived before the player was lost ends it.
  if (Deferred_End_Turn_Player == turn) return;
  if (Lost_Player_Links->m_Play_Lost_Turn(turn))
    Log("MP_Host_Take_Over_Lost_Players - the computer plays the turn of player " + std::to_string(turn));
}

void MP_Host_Deferred_End_Turn() {
  TMP_Game_Executor& game = MP_Game_Executor();
  if (Deferred_End_Turn_Player == 0 || !game.m_Can_End_Turn()) return;
  if (Game_Kind() != TGame_Kind::Host || Game_Settings.f_turn_empire != Deferred_End_Turn_Player) {
    if (!game.m_End_Turn_Running()) Deferred_End_Turn_Player = 0;
    return;
  }
  if (game.m_End_Turn_Running()) return;
  End_Turn_Player = Deferred_End_Turn_Player;
  End_Turn_Date = Game_Settings.f_game_date;
  Deferred_End_Turn_Player = 0;
  game.m_Start_End_Turn();
}

std::string MP_Refusal_Reason(std::int32_t client_id, const TMP_Message& m) {
  if (MP_Relay_Code(m.code) == 0 && m.code != LAN_MSG_TO_SERVER_CHAT && m.code != LAN_MSG_TO_SERVER_ACTION_END_TURN)
    return "code " + std::to_string(m.code) + " may not come from a client";
  std::int32_t slot = client_id > 0 ? Game_Settings.m_Find_Player(static_cast<std::uint16_t>(client_id)) : 0;
  if (slot <= 0) return "client " + std::to_string(client_id) + " holds no player slot";
  const std::uint8_t player = static_cast<std::uint8_t>(slot);
  std::string why;
  if (m.code == LAN_MSG_TO_SERVER_CHAT) return "";
  if (Command_Check != nullptr) return Command_Check->m_Refusal(player, m);
  if (Is_Battle_Step(m.code)) {
    const std::uint8_t execute = static_cast<std::uint8_t>(m.m_Int(0));
    std::uint8_t attacker = MP_Combat_Attacker_Plr, defender = MP_Combat_Defender_Plr;
    if (m.code == LAN_MSG_TO_SERVER_ACTION_COMBAT_BEGIN) {
      attacker = static_cast<std::uint8_t>(m.m_Int(4));
      defender = static_cast<std::uint8_t>(m.m_Int(5));
    }
    if (player != attacker && player != defender)
      return "player " + std::to_string(player) + " takes no part in the battle";
    if (execute == player || (execute != attacker && execute != defender))
      return "battle step for player " + std::to_string(execute) + " from player " + std::to_string(player);
    return "";
  }
  switch (m.code) {
    case 112: case 114: case 116:
      if (m.m_Int(0) != player) return "battle result sent in the name of player " + std::to_string(m.m_Int(0));
      if (player != MP_Combat_Attacker_Plr && player != MP_Combat_Defender_Plr)
        return "player " + std::to_string(player) + " takes no part in the battle";
      return "";
    default: break;
  }
  if (Game_Settings.f_turn_empire != player)
    return "player " + std::to_string(player) + " acted outside its turn";
  switch (m.code) {
    case 50: case 52:
      if (m.m_Int(3) != player) return "order for the units of player " + std::to_string(m.m_Int(3));
      if (!Units_Owned_By(m, 6 - (m.code == 52 ? 1 : 0), player, why)) return why;
      return "";
    case 54: case 56:
      if (m.m_Int(1) != player) return "order for the units of player " + std::to_string(m.m_Int(1));
      if (!Unit_Owned_By(m.m_Int(2), player, why) || !Unit_Owned_By(m.m_Int(3), player, why)) return why;
      return "";
    case 58:
      if (!Units_Owned_By(m, 1, player, why)) return why;
      return "";
    case 60: case 62:
      if (m.m_Int(0) != player) return "purchases or end of turn for player " + std::to_string(m.m_Int(0));
      return "";
    case 127:
      if (m.m_Int(1) != player) return "order for the units of player " + std::to_string(m.m_Int(1));
      if (!Units_Owned_By(m, 2, player, why)) return why;
      return "";
    default: return "";
  }
}

// --- Message handling -------------------------------------------------------------

namespace {
bool Handle_Message(std::int32_t source, std::int32_t id, const TMP_Message& m, const std::string& text,
                    bool no_local);
}  // namespace

bool Multiplayer_Process_Message(std::int32_t source, std::int32_t id, const std::string& text, bool no_local) {
  TMP_Message m;
  try {
    std::string rest = text;
    std::uint8_t code = MP_Decode_Byte(rest);
    if (code >= 128 || !MP_Has_Layout(code)) {
      Log("Multiplayer_Process_Message - ignored code " + std::to_string(code));
      return false;
    }
    m = MP_Decode_Payload(code, rest);
  } catch (const std::exception& e) {
    Log("Multiplayer_Process_Message - dropped a message that does not decode: " + std::string(e.what()));
    return false;
  }

  // A fault while one message is handled (a number out of range, a bad
  // index) drops that message; the game goes on with the next.
  try {
    return Handle_Message(source, id, m, text, no_local);
  } catch (const std::exception& e) {
    Log("Multiplayer_Process_Message - dropped " + MP_Message_Name(m.code) + " after a fault: " + e.what());
    return false;
  }
}

namespace {

bool Handle_Message(std::int32_t source, std::int32_t id, const TMP_Message& m, const std::string& text,
                    bool no_local) {
  // A client may send only what its own player may do; a host sends only
  // what a host sends.
  const bool hosting = Game_Kind() == TGame_Kind::Host;
  if (source == MP_SOURCE_CLIENT) {
    std::string why = hosting ? MP_Refusal_Reason(id, m) : "messages from clients reach only a host";
    if (!why.empty()) {
      Log("Multiplayer_Process_Message - dropped " + MP_Message_Name(m.code) + " from client " + std::to_string(id) +
          ": " + why);
      return false;
    }
  } else if (source == MP_SOURCE_HOST) {
    if (m.code == LAN_MSG_TO_SERVER_CHAT || MP_Relay_Code(m.code) != 0 || m.code == LAN_MSG_TO_SERVER_ACTION_END_TURN) {
      Log("Multiplayer_Process_Message - dropped " + MP_Message_Name(m.code) + " from the host");
      return false;
    }
  }

  if (Log_On()) {
    Debug_Log_Write("Multiplayer_Process_Message - " + MP_Message_Name(m.code));
    for (const std::string& line : MP_Message_Log_Lines(m)) Debug_Log_Write(line);
  }

  if (m.code == LAN_MSG_TO_SERVER_CHAT) {
    if (!hosting) return false;
    std::string sender = m.m_Text(0);
    // A client speaks under the name of its own slot.
    if (source == MP_SOURCE_CLIENT) {
      std::int32_t slot = Game_Settings.m_Find_Player(static_cast<std::uint16_t>(id));
      sender = Game_Settings.m_Player(slot).f_player_name;
    }
    Show_Chat_Line(sender + ": " + m.m_Text(1));
    Send_To_All_Clients(Build(LAN_MSG_TO_CLIENT_CHAT, {Text(sender), Text(m.m_Text(1))}));
    return true;
  }
  if (m.code == LAN_MSG_TO_CLIENT_CHAT) {
    Show_Chat_Line(m.m_Text(0) + ": " + m.m_Text(1));
    return true;
  }
  if (std::uint8_t partner = MP_Relay_Code(m.code); partner != 0) {
    if (!hosting) return false;
    if (m.code == LAN_MSG_TO_SERVER_ACTION_COMBAT_BEGIN) {
      MP_Combat_Attacker_Plr = static_cast<std::uint8_t>(m.m_Int(4));
      MP_Combat_Defender_Plr = static_cast<std::uint8_t>(m.m_Int(5));
      MP_Battle_Elsewhere = TMP_Battle_Elsewhere{m.m_Int(1), MP_Combat_Attacker_Plr, MP_Combat_Defender_Plr};
    }
    if (m.code == LAN_MSG_TO_SERVER_ACTION_COMBAT_END_RESULTS && m.m_Int(2) == MP_Battle_Elsewhere.region)
      MP_Battle_Elsewhere = TMP_Battle_Elsewhere{};
    std::string relayed = MP_Encode_As(partner, m);
    if (Command_Check != nullptr) Command_Check->m_Relayed(m);
    Send_To_All_Clients(relayed);
    if (!no_local) Multiplayer_Process_Message(MP_SOURCE_LOCAL, 0, relayed, false);
    return true;
  }
  if (m.code == LAN_MSG_TO_SERVER_ACTION_END_TURN) {
    TMP_Game_Executor& game = MP_Game_Executor();
    if (!hosting || !game.m_Can_End_Turn()) return false;
    const std::int32_t player = m.m_Int(0);
    // Only the end of the turn now being played counts.
    if (player != Game_Settings.f_turn_empire) return false;
    if (game.m_End_Turn_Running()) {
      // The same end of turn again changes nothing; the end of the next
      // player's turn, sent while the last change of turn still finishes,
      // waits for it instead of being lost.
      if (player != End_Turn_Player || Game_Settings.f_game_date != End_Turn_Date)
        Deferred_End_Turn_Player = static_cast<std::uint8_t>(player);
      return true;
    }
    game.m_Start_End_Turn();
    End_Turn_Player = static_cast<std::uint8_t>(player);
    End_Turn_Date = Game_Settings.f_game_date;
    return true;
  }
  // Everything else is an action for the queue.
  if (TMultiplayer_Action_Queue* queue = Links->m_Action_Queue()) {
    std::string payload = text.substr(3);
    queue->m_Add_Action(m.code, payload);
    return true;
  }
  return false;
}

}  // namespace

// --- Connection events ------------------------------------------------------------

void Multiplayer_Event(MP_Event_Code code, std::int32_t id, const std::string& text) {
  Log("ME - " + MP_Socket_Event_Name(code) + " - " + text);
  switch (code) {
    case MP_CLIENT_MESSAGE: Multiplayer_Process_Message(MP_SOURCE_HOST, id, text, false); break;
    case MP_SERVER_MESSAGE: Multiplayer_Process_Message(MP_SOURCE_CLIENT, id, text, false); break;
    case MP_CLIENT_DISCONNECTED:
      Show_Chat_Line("You have disconnected from the game.");
      Links->m_Show_Chat();
      Links->m_Lock_Panels(true);
      break;
    case MP_SERVER_DISCONNECTED:
      Links->m_Show_Message("You have disconnected from all of the players. Reload the savegame " +
                            Game_Settings.f_network_save_name + " to restart the game.");
      break;
    case MP_SERVER_CLIENT_DISCONNECTED: {
      std::int32_t slot = id > 0 ? Game_Settings.m_Find_Player(static_cast<std::uint16_t>(id)) : 0;
      if (slot < 1 || slot > Game_Settings_Player_Slots) break;
      TGame_Settings_Player_Slot& s = Game_Settings.m_Player(slot);
      if (s.f_connected == 0) break;  // reported once
      s.f_connected = 0;
      MP_Game_Executor().m_Set_Computer_Controlled(static_cast<std::uint8_t>(slot));
      // Legs of a move that the leaving player never finished sending.
      if (TMultiplayer_Action_Queue* queue = Links->m_Action_Queue()) {
        queue->m_Drop_Unfinished_Moves(static_cast<std::uint8_t>(slot));
        // The host takes the change in its turn as well: a battle of the
        // lost player's here goes on once the steps he sent before are done.
        queue->m_Add_Action(LAN_MSG_TO_CLIENT_ACTION_PLAYER_AI_CONTROLLED, MP_Encode_Byte(static_cast<std::uint8_t>(slot)));
      }
      Host_To_All(Build(LAN_MSG_TO_CLIENT_ACTION_PLAYER_AI_CONTROLLED, {Byte(static_cast<std::uint8_t>(slot))}));
      Send_Chat_To_All("", "Player " + s.f_player_name + " disconnected.");
      break;
    }
    default: break;
  }
}
