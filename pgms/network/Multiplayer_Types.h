// Fields, message codes and owner event codes of the network game.
//
// Every message is a line of fixed-width decimal fields with no separators;
// the first field is always the message code as a byte. On the wire a
// message travels as "QX", the message and CR LF. Readers take their field
// off the front of a working copy of the message text.
#pragma once

#include <cstdint>
#include <string>

// Text with blanks added on the left until it is at least width long.
std::string MP_Pad_Left(const std::string& text, std::int32_t width);

std::string MP_Encode_Byte(std::int32_t value);      // 3 characters, value taken modulo 256
std::string MP_Encode_Word(std::int32_t value);      // 5 characters, value taken as unsigned 16-bit
std::string MP_Encode_Integer(std::int32_t value);   // 11 characters
std::string MP_Encode_Single(float value);           // 15 characters, 4 decimals, point separator
std::string MP_Encode_Boolean(bool flag);            // "T" or "F"
std::string MP_Encode_String(const std::string& text);  // 4-digit length, then the bytes

// Each reader takes its field off the front of text. A field that is not a
// number raises EConvertError; a byte or word outside its range raises
// ERangeError.
std::uint8_t MP_Decode_Byte(std::string& text);
std::uint16_t MP_Decode_Word(std::string& text);
std::int32_t MP_Decode_Integer(std::string& text);
float MP_Decode_Single(std::string& text);
bool MP_Decode_Boolean(std::string& text);
std::string MP_Decode_String(std::string& text);

// Longest text a string field carries.
constexpr std::int32_t MP_Max_String_Length = 9999;

// Prefix of every message line, and the two control lines.
inline constexpr const char* MP_Message_Prefix = "QX";
inline constexpr const char* MP_File_Received = "[File Received]";
// "Binary " + size blank-padded to 9 + " " + file name, sent before a frame.
std::string MP_Binary_Announce_Line(std::int64_t size, const std::string& file_name);

// Header of a binary frame: kind (always 0) and payload length, both 32-bit
// little-endian.
struct THdrRec {
  std::int32_t kind = 0;
  std::int32_t length = 0;
};
constexpr std::int32_t MP_Frame_Header_Size = 8;
void MP_Write_Frame_Header(const THdrRec& header, unsigned char out[8]);
THdrRec MP_Read_Frame_Header(const unsigned char in[8]);

// Message codes (first field of every message). Even codes go to the host,
// the odd code above from the host to every machine.
enum : std::uint8_t {
  LAN_MSG_TO_SERVER_CHAT = 1,
  LAN_MSG_TO_CLIENT_CHAT = 2,
  LAN_MSG_TO_SERVER_LOGIN = 3,
  LAN_MSG_TO_CLIENT_LOGIN_ACCEPTED = 4,
  LAN_MSG_TO_CLIENT_GAME_INFO = 5,
  LAN_MSG_TO_CLIENT_STATUS_TEXT = 6,
  LAN_MSG_TO_SERVER_PLAYER_READY = 7,
  LAN_MSG_TO_CLIENT_START_GAME = 8,
  LAN_MSG_TO_SERVER_HELLO = 9,
  LAN_MSG_TO_CLIENT_LOGIN_INFO = 10,
  LAN_MSG_TO_CLIENT_LOGIN_BAD_PASSWORD = 11,
  LAN_MSG_TO_CLIENT_LOGIN_NO_SLOTS = 12,

  LAN_MSG_TO_SERVER_ACTION_MOVE_UNIT = 50,
  LAN_MSG_TO_CLIENT_ACTION_MOVE_UNIT = 51,
  LAN_MSG_TO_SERVER_ACTION_BOMBARD_UNIT = 52,
  LAN_MSG_TO_CLIENT_ACTION_BOMBARD_UNIT = 53,
  LAN_MSG_TO_SERVER_ACTION_ADD_UNIT_TO_UNIT_CARGO = 54,
  LAN_MSG_TO_CLIENT_ACTION_ADD_UNIT_TO_UNIT_CARGO = 55,
  LAN_MSG_TO_SERVER_ACTION_REMOVE_UNIT_FROM_UNIT_CARGO = 56,
  LAN_MSG_TO_CLIENT_ACTION_REMOVE_UNIT_FROM_UNIT_CARGO = 57,
  LAN_MSG_TO_SERVER_ACTION_SET_UNIT_MOVEMENT = 58,
  LAN_MSG_TO_CLIENT_ACTION_SET_UNIT_MOVEMENT = 59,
  LAN_MSG_TO_SERVER_ACTION_UPDATE_PURCHASES = 60,
  LAN_MSG_TO_CLIENT_ACTION_UPDATE_PURCHASES = 61,
  LAN_MSG_TO_SERVER_ACTION_END_TURN = 62,
  LAN_MSG_TO_CLIENT_ACTION_PLANE_CRASH = 63,
  LAN_MSG_TO_CLIENT_ACTION_NEW_GAME_DATE = 64,
  LAN_MSG_TO_CLIENT_ACTION_NEW_CURRENT_PLAYER = 65,
  LAN_MSG_TO_CLIENT_ACTION_START_PLAYER_TURN = 66,
  LAN_MSG_TO_CLIENT_ACTION_END_TURN_STATUS = 67,
  LAN_MSG_TO_CLIENT_ACTION_PLAYER_AI_CONTROLLED = 68,
  LAN_MSG_TO_CLIENT_ACTION_DECOMMISSION_UNITS = 69,

  LAN_MSG_TO_SERVER_ACTION_COMBAT_BEGIN = 100,
  LAN_MSG_TO_CLIENT_ACTION_COMBAT_BEGIN = 101,
  LAN_MSG_TO_SERVER_ACTION_COMBAT_ADD_STARTING_UNIT = 102,
  LAN_MSG_TO_CLIENT_ACTION_COMBAT_ADD_STARTING_UNIT = 103,
  LAN_MSG_TO_SERVER_ACTION_COMBAT_WAIT_PIECE_TURN = 104,
  LAN_MSG_TO_CLIENT_ACTION_COMBAT_WAIT_PIECE_TURN = 105,
  LAN_MSG_TO_SERVER_ACTION_COMBAT_NEXT_PIECE = 106,
  LAN_MSG_TO_CLIENT_ACTION_COMBAT_NEXT_PIECE = 107,
  LAN_MSG_TO_SERVER_ACTION_COMBAT_ATTACK = 108,
  LAN_MSG_TO_CLIENT_ACTION_COMBAT_ATTACK = 109,
  LAN_MSG_TO_SERVER_ACTION_COMBAT_MOVE = 110,
  LAN_MSG_TO_CLIENT_ACTION_COMBAT_MOVE = 111,
  LAN_MSG_TO_SERVER_ACTION_COMBAT_END_COMBAT_ADD_LOG = 112,
  LAN_MSG_TO_CLIENT_ACTION_COMBAT_END_COMBAT_ADD_LOG = 113,
  LAN_MSG_TO_SERVER_ACTION_COMBAT_END_DELETE_UNIT = 114,
  LAN_MSG_TO_CLIENT_ACTION_COMBAT_END_DELETE_UNIT = 115,
  LAN_MSG_TO_SERVER_ACTION_COMBAT_END_RESULTS = 116,
  LAN_MSG_TO_CLIENT_ACTION_COMBAT_END_RESULTS = 117,
  LAN_MSG_TO_SERVER_ACTION_COMBAT_END_PIECE_TURN = 118,
  LAN_MSG_TO_CLIENT_ACTION_COMBAT_END_PIECE_TURN = 119,
  LAN_MSG_TO_SERVER_ACTION_COMBAT_END_CLOSED = 120,
  LAN_MSG_TO_CLIENT_ACTION_COMBAT_END_CLOSED = 121,
  LAN_MSG_TO_SERVER_ACTION_COMBAT_BEGIN_DIALOG = 122,
  LAN_MSG_TO_CLIENT_ACTION_COMBAT_BEGIN_DIALOG = 123,
  LAN_MSG_TO_SERVER_ACTION_COMBAT_BEGIN_CLOSED = 124,
  LAN_MSG_TO_CLIENT_ACTION_COMBAT_BEGIN_CLOSED = 125,
  LAN_MSG_TO_CLIENT_ACTION_COMBAT_PLR_START = 126,
  LAN_MSG_TO_SERVER_ACTION_DECOMMISSION_UNITS = 127,
};

// Codes by which the client and the server report to their owner.
using MP_Event_Code = std::uint8_t;
enum : MP_Event_Code {
  MP_CLIENT_DEBUG_MSG = 1,
  MP_CLIENT_MESSAGE = 2,
  MP_CLIENT_CONNECTED = 3,
  MP_CLIENT_DISCONNECTED = 4,
  MP_CLIENT_ERROR = 5,
  MP_CLIENT_FILE_IN_PROGRESS = 6,
  MP_CLIENT_FILE_COMPLETE = 7,
  MP_SERVER_DEBUG_MSG = 100,
  MP_SERVER_MESSAGE = 101,
  MP_SERVER_CONNECTED = 102,
  MP_SERVER_DISCONNECTED = 103,
  MP_SERVER_ERROR = 104,
  MP_SERVER_FILE = 105,
  MP_SERVER_CLIENT_CONNECTED = 106,
  MP_SERVER_CLIENT_DISCONNECTED = 107,
  MP_SERVER_LISTENING = 108,
};

// Name of an owner event code, empty for any other code.
std::string MP_Socket_Event_Name(std::int32_t code);

// The texts last sent in a login message by this machine.
extern std::string MP_Login_Nation_Name;
extern std::string MP_Login_Player_Name;
extern std::string MP_Login_Password;
// Empties the three login texts (at the end of the program).
void MP_Clear_Login_Texts();
