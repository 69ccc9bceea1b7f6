// Game actions of a network game and their relay through the host.
//
// The host is the hub. Every order, purchase, end of turn and battle step
// made on any machine goes to the host as an even-coded message; the host
// checks that the sending machine may make it, re-encodes it under the odd
// partner code, sends it to every joined machine and queues its own copy in
// its action queue, so that every machine changes its game from its queue
// in the same order. Computer players run only on the host: their orders
// are executed there at once and sent with no_local set, which relays them
// without queuing a copy on the host.
//
// Messages are read and written through layouts: one list of typed fields
// per code, with counted groups of repeating fields.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Lists_LongIntList.h"
#include "Multiplayer_Types.h"

class TMultiplayer_Server;
class TMultiplayer_Client;
class TMultiplayer_Action_Queue;

// --- Message layouts ---------------------------------------------------------

// Kind of one field: byte, word, integer, single, boolean, string, or a
// count (an integer) whose group of fields follows it that many times.
enum class TMP_Field_Kind : std::uint8_t { Byte, Word, Integer, Single, Boolean, String, Count };

// One decoded field. Numbers of every integral kind sit in `number`.
struct TMP_Value {
  TMP_Field_Kind kind = TMP_Field_Kind::Integer;
  std::int64_t number = 0;
  float single = 0;
  std::string text;
};

// A decoded message: its code and the values of its fields in their order,
// a count followed by the values of its groups.
struct TMP_Message {
  std::uint8_t code = 0;
  std::vector<TMP_Value> values;

  std::int32_t m_Int(std::size_t i) const;
  bool m_Bool(std::size_t i) const;
  float m_Single(std::size_t i) const;
  const std::string& m_Text(std::size_t i) const;
};

// True when the code has a layout (chat and game actions).
bool MP_Has_Layout(std::uint8_t code);
// Reads a message text (code field first). A field that does not decode, a
// count beyond what the rest of the text can hold or beyond its group's
// limit, text left over, or a code without a layout raises EConvertError
// or ERangeError; nothing is allocated for a count before it is checked.
TMP_Message MP_Decode_Message(const std::string& text);
// Reads the fields of a code from the text after the code field.
TMP_Message MP_Decode_Payload(std::uint8_t code, const std::string& payload);
// Writes the message with its code; the values must follow the layout.
std::string MP_Encode_Message(const TMP_Message& message);
// The same values under another code (the relay's partner code).
std::string MP_Encode_As(std::uint8_t code, const TMP_Message& message);
// The partner code a host relays a client's code under (code + 1, 69 for
// 127), 0 when the code is not relayed.
std::uint8_t MP_Relay_Code(std::uint8_t code);
// The code's name ("LAN_MSG_TO_CLIENT_ACTION_MOVE_UNIT"), empty when unknown.
std::string MP_Message_Name(std::uint8_t code);
// The debug-log lines of a decoded message: one per field, the field name
// padded to a common column, " - " and the value.
std::vector<std::string> MP_Message_Log_Lines(const TMP_Message& message);

// --- What the relay needs of the rest of the game ----------------------------

// The links to the main window's network objects, the main screen, the turn
// sequence and the battle entries of a mirrored battle. The screen defaults
// find nothing and do nothing, so the relay works headless; the turn
// sequence and battle defaults hand the call to the game's executor
// (Multiplayer_Game_Executor.h).
class TMP_Game_Links {
public:
  virtual ~TMP_Game_Links() = default;
  virtual TMultiplayer_Server* m_Server();
  virtual TMultiplayer_Client* m_Client();
  virtual TMultiplayer_Action_Queue* m_Action_Queue();
  // A line to every joined machine (through the server) and to the host
  // (through the client).
  virtual void m_Send_To_All(const std::string& text);
  virtual void m_Send_To_Host(const std::string& text);

  // Main screen.
  virtual void m_Show_Chat_Line(const std::string& text);
  virtual void m_Show_Chat();
  virtual void m_Lock_Panels(bool locked);
  virtual void m_Show_Message(const std::string& text);
  virtual void m_Map_Ownership_Changed();
  virtual void m_Show_Turn_Status();
  virtual void m_Refresh_Selection();
  virtual void m_Release_Combat_End();
  virtual void m_Release_Combat_Begin();
  virtual void m_Open_Dialog(const std::string& name);

  // Turn sequence: crashing an air unit (0 no unit, 1 crashed, 2 crashed
  // with its effect shown), the start of a player's turn and one of the ten
  // per-player update steps.
  virtual std::int32_t m_Crash_Unit(std::int32_t unit_id);
  virtual void m_Start_Player_Turn(std::uint8_t player);
  virtual void m_Execute_Player_Update(std::uint8_t player, std::int32_t step);

  // Battle steps of a battle run on another machine.
  virtual void m_Combat_Begin(std::int32_t region, bool auto_resolve, bool show_begin_dialog);
  virtual void m_Combat_Begin_Remote(std::int32_t region, bool auto_resolve, const std::string& map_name,
                                     std::uint8_t attacker, std::uint8_t defender, std::uint8_t prior_owner);
  // Kind, cell, unique id, unit id, owner, unit type, count, picture cell,
  // turn time, cargo id and orientation of a placed starting unit.
  virtual void m_Combat_Add_Unit_Remote(const TMP_Message& message);
  virtual void m_Combat_Wait_Piece_Remote(bool next_piece);
  virtual void m_Combat_End_Piece_Turn_Remote(bool next_piece);
  virtual void m_Combat_Next_Piece_Remote();
  virtual void m_Combat_Attack_Remote(std::int32_t x, std::int32_t y, std::int32_t damage);
  virtual void m_Combat_Move_Remote(std::int32_t x, std::int32_t y);
  virtual void m_Combat_Results_Remote(std::uint8_t new_owner, std::int32_t region, std::uint8_t attacker,
                                       std::uint8_t defender);
};

// The links in force (never null); nullptr restores the defaults.
TMP_Game_Links& MP_Game_Links();
void Set_MP_Game_Links(TMP_Game_Links* links);

// What a lost player asks of the turn sequence and the battle. The game's
// rules install theirs; the defaults start nothing.
class TMP_Lost_Player_Links {
public:
  virtual ~TMP_Lost_Player_Links() = default;
  // Host: the computer plays the rest of the turn of the player, a lost one
  // whose turn it is, once nothing else runs here. True when it started.
  virtual bool m_Play_Lost_Turn(std::uint8_t player);
  // Host: the battle of the region, given to a machine that is gone, is
  // fought here by the computer. True when it started.
  virtual bool m_Fight_Battle_Here(std::int32_t region);
  // Any machine: the player has gone to the computer; a battle of his that
  // runs or is mirrored here is finished here, his pieces played by the
  // computer.
  virtual void m_Battle_Player_Lost(std::uint8_t player);
};
TMP_Lost_Player_Links& MP_Lost_Player_Links();
void Set_MP_Lost_Player_Links(TMP_Lost_Player_Links* links);

// The game's own check of what a joined machine sends, installed by the
// game's rules: why the message from the player is refused (empty when it
// is taken), and the note of every command this machine relays, its own
// included. Without one the host takes what the sender's slot may send.
class TMP_Command_Check {
public:
  virtual ~TMP_Command_Check() = default;
  virtual std::string m_Refusal(std::uint8_t player, const TMP_Message& message) = 0;
  virtual void m_Relayed(const TMP_Message& message) = 0;
};
// nullptr removes it.
void Set_MP_Command_Check(TMP_Command_Check* check);
TMP_Command_Check* MP_Command_Check();

// Hands a command's message on by the kind of game: a host handles it as if
// it came in (no_local: relayed, not queued here), a joined machine sends it
// to the host, other games send nothing.
void MP_Post_Message(const TMP_Message& message, bool no_local);

// --- Relay ---------------------------------------------------------------------

// Attacker and defender of the battle in progress as far as this machine
// knows them.
extern std::uint8_t MP_Combat_Attacker_Plr;
extern std::uint8_t MP_Combat_Defender_Plr;

// Host: the battle fought on other machines whose results have not come
// yet (region 0: none), with its two players. A battle between two humans
// is known from its announcement, a battle the host gave to a human's
// machine from the giving; the results end it.
struct TMP_Battle_Elsewhere {
  std::int32_t region = 0;
  std::uint8_t attacker = 0, defender = 0;
};
extern TMP_Battle_Elsewhere MP_Battle_Elsewhere;

// Message sources of Multiplayer_Process_Message.
enum : std::int32_t { MP_SOURCE_LOCAL = 0, MP_SOURCE_CLIENT = 1, MP_SOURCE_HOST = 2 };

// Owner event handler of the client and the server during play.
void Multiplayer_Event(MP_Event_Code code, std::int32_t id, const std::string& text);
// Decodes and handles one message. At the host a message from a client
// (source 1, its client id) is handled only when that client may send it;
// anything else is dropped and logged. no_local relays without queuing a
// copy here. False when the message was dropped.
bool Multiplayer_Process_Message(std::int32_t source, std::int32_t id, const std::string& text, bool no_local);
// Host, every frame: starts the end of turn that arrived while the previous
// one was still running, once that one is done.
void MP_Host_Deferred_End_Turn();
// Host, every frame its action queue is empty: a battle whose machines are
// all gone is fought here, and the turn of a lost player is played to its
// end by the computer, so that the game goes on.
void MP_Host_Take_Over_Lost_Players();
// Whether the player's slot is still played at a machine of the game (the
// host's, or a joined one still connected).
bool MP_Player_Present(std::uint8_t player);
// Why the host would refuse the decoded message from the client id; empty
// when it is allowed.
std::string MP_Refusal_Reason(std::int32_t client_id, const TMP_Message& message);

void Show_Chat_Line(const std::string& text);
// Host only: the chat to every client, and shown here.
void Send_Chat_To_All(const std::string& sender, const std::string& text);

// --- Senders -------------------------------------------------------------------

// One damage roll of a bombardment as its message carries it.
struct TMP_Bombard_Damage {
  std::int32_t damage = 0;
  std::int32_t attacking_unit_id = 0;
  std::int32_t target_unit_id = 0;
};

bool Send_Action_Move_Unit(std::int32_t src_region, std::int32_t dest_region, std::uint16_t unit_type,
                           std::uint8_t owner, std::uint8_t wait_for_action, bool more_moves, const TLongintList& units,
                           std::int32_t unit_count, bool no_local);
bool Send_Action_Bombard_Unit(std::int32_t src_region, std::int32_t dest_region, std::uint16_t unit_type,
                              std::uint8_t owner, std::uint8_t wait_for_action, const TLongintList& units,
                              std::int32_t unit_count, std::int32_t bombard_value,
                              const std::vector<TMP_Bombard_Damage>& damage, bool no_local);
bool Send_Action_Add_Unit_To_Unit_Cargo(std::int32_t region, std::uint8_t owner, std::int32_t transport,
                                        std::int32_t cargo, bool remove_from_region, bool no_local);
bool Send_Action_Remove_Unit_From_Unit_Cargo(std::int32_t dest_region, std::uint8_t owner, std::int32_t transport,
                                             std::int32_t cargo, bool add_to_region, bool clear_cargo_movement,
                                             bool no_local);
void Send_Action_Set_Unit_Movement(std::uint8_t new_moves, const TLongintList& units, std::int32_t unit_count,
                                   bool no_local);
void Send_Action_End_Turn(std::uint8_t player);
bool Send_Action_Decommission_Units(std::int32_t src_region, std::uint8_t owner, const TLongintList& units,
                                   std::int32_t unit_count, bool no_local);
// The battle steps and results and the host's turn messages are commands
// of the game's rules, posted through their one entry (Game_Command_Post).

// The machine that carries the battle's steps out: the attacker, or the
// defender when the attacker plays here.
std::uint8_t Combat_Get_Execute_Plr();
