#include "Multiplayer_Types.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <cstdlib>

#include "Errors.h"

std::string MP_Login_Nation_Name;
std::string MP_Login_Player_Name;
std::string MP_Login_Password;

void MP_Clear_Login_Texts() {
  MP_Login_Nation_Name.clear();
  MP_Login_Player_Name.clear();
  MP_Login_Password.clear();
}

std::string MP_Pad_Left(const std::string& text, std::int32_t width) {
  if (width <= 0 || text.size() >= static_cast<std::size_t>(width)) return text;
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

std::string MP_Encode_Byte(std::int32_t value) {
  return MP_Pad_Left(std::to_string(static_cast<std::uint8_t>(value)), 3);
}

std::string MP_Encode_Word(std::int32_t value) {
  return MP_Pad_Left(std::to_string(static_cast<std::uint16_t>(value)), 5);
}

std::string MP_Encode_Integer(std::int32_t value) { return MP_Pad_Left(std::to_string(value), 11); }

std::string MP_Encode_Single(float value) {
  double d = value;
  char buf[64];
  if (std::isnan(d)) {
    std::snprintf(buf, sizeof buf, "NAN");
  } else if (std::isinf(d)) {
    std::snprintf(buf, sizeof buf, d < 0 ? "-INF" : "INF");
  } else if (std::fabs(d) >= 1e10) {
    // More digits before the point than the precision of 10: exponent form.
    std::snprintf(buf, sizeof buf, "%.9E", d);
  } else {
    // Rounded to 10 significant digits first, then shown with 4 decimals.
    char sig[64];
    std::snprintf(sig, sizeof sig, "%.9e", d);
    double r = 0;
    std::from_chars(sig, sig + std::char_traits<char>::length(sig), r);
    std::snprintf(buf, sizeof buf, "%.4f", r);
    if (std::string(buf) == "-0.0000") std::snprintf(buf, sizeof buf, "0.0000");
  }
  // The field is 15 characters wide: a longer text (a minus sign in front of
  // ten digits) would shift every later field of the message, so such
  // values go out in exponent form with as many digits as fit.
  for (int digits = 9; std::strlen(buf) > 15 && digits >= 0; --digits)
    std::snprintf(buf, sizeof buf, "%.*E", digits, d);
  return MP_Pad_Left(buf, 15);
}

std::string MP_Encode_Boolean(bool flag) { return flag ? "T" : "F"; }

std::string MP_Encode_String(const std::string& text) {
  // A longer text would need a fifth length digit and shift every field
  // behind it, so it is refused rather than sent corrupt.
  if (text.size() > static_cast<std::size_t>(MP_Max_String_Length))
    throw ERangeError("String field longer than 9999 characters");
  return MP_Pad_Left(std::to_string(text.size()), 4) + text;
}

namespace {

std::string Take_Field(std::string& text, std::size_t width) {
  std::string field = text.substr(0, width);
  text.erase(0, std::min(width, text.size()));
  return field;
}

// Decimal whole number with leading blanks and an optional sign; anything
// else, an empty field or a value beyond 32 bits is a conversion error.
std::int32_t To_Integer(const std::string& field) {
  std::size_t i = field.find_first_not_of(' ');
  const char* begin = field.data() + (i == std::string::npos ? field.size() : i);
  const char* end = field.data() + field.size();
  if (begin != end && *begin == '+') ++begin;
  std::int32_t value = 0;
  auto [p, ec] = std::from_chars(begin, end, value);
  if (begin == end || ec != std::errc() || p != end)
    throw EConvertError("'" + field + "' is not a valid integer value");
  return value;
}

}  // namespace

std::uint8_t MP_Decode_Byte(std::string& text) {
  std::int32_t v = To_Integer(Take_Field(text, 3));
  if (v < 0 || v > 255) throw ERangeError();
  return static_cast<std::uint8_t>(v);
}

std::uint16_t MP_Decode_Word(std::string& text) {
  std::int32_t v = To_Integer(Take_Field(text, 5));
  if (v < 0 || v > 65535) throw ERangeError();
  return static_cast<std::uint16_t>(v);
}

std::int32_t MP_Decode_Integer(std::string& text) { return To_Integer(Take_Field(text, 11)); }

float MP_Decode_Single(std::string& text) {
  std::string field = Take_Field(text, 15);
  std::size_t first = field.find_first_not_of(' ');
  std::size_t last = field.find_last_not_of(' ');
  const std::string error = "'" + field + "' is not a valid floating point value";
  if (first == std::string::npos) throw EConvertError(error);
  const char* begin = field.data() + first;
  const char* end = field.data() + last + 1;
  if (*begin == '+') ++begin;
  double d = 0;
  auto [p, ec] = std::from_chars(begin, end, d);
  if (begin == end || ec != std::errc() || p != end) throw EConvertError(error);
  // Beyond the largest single is out of range; a text that rounds to it
  // (the shortest form of the largest single is a shade above it) is not.
  if (std::isfinite(d) && std::isinf(static_cast<float>(d))) throw ERangeError();
  return static_cast<float>(d);
}

bool MP_Decode_Boolean(std::string& text) { return Take_Field(text, 1) == "T"; }

std::string MP_Decode_String(std::string& text) {
  std::int32_t n = To_Integer(Take_Field(text, 4));
  if (n < 0) throw ERangeError();
  // A length running past the end of the message means a cut or forged
  // line: refused instead of taking a shorter text.
  if (static_cast<std::size_t>(n) > text.size())
    throw EConvertError("String field of " + std::to_string(n) + " characters runs past the end of the message");
  return Take_Field(text, static_cast<std::size_t>(n));
}

std::string MP_Binary_Announce_Line(std::int64_t size, const std::string& file_name) {
  return "Binary " + MP_Pad_Left(std::to_string(size), 9) + " " + file_name + "\r\n";
}

void MP_Write_Frame_Header(const THdrRec& header, unsigned char out[8]) {
  auto put = [&](int at, std::int32_t v) {
    std::uint32_t u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<unsigned char>((u >> (8 * i)) & 0xFF);
  };
  put(0, header.kind);
  put(4, header.length);
}

THdrRec MP_Read_Frame_Header(const unsigned char in[8]) {
  auto get = [&](int at) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(in[at + i]) << (8 * i);
    return static_cast<std::int32_t>(u);
  };
  return THdrRec{get(0), get(4)};
}

std::string MP_Socket_Event_Name(std::int32_t code) {
  switch (code) {
    case MP_CLIENT_DEBUG_MSG: return "CLIENT_DEBUG_MSG";
    case MP_CLIENT_MESSAGE: return "CLIENT_MESSAGE";
    case MP_CLIENT_CONNECTED: return "CLIENT_CONENCTED";
    case MP_CLIENT_DISCONNECTED: return "CLIENT_DISCONNECTED";
    case MP_CLIENT_ERROR: return "CLIENT_ERROR";
    case MP_CLIENT_FILE_IN_PROGRESS: return "CLIENT_FILE_IN_PROGRESS";
    case MP_CLIENT_FILE_COMPLETE: return "CLIENT_FILE_COMPLETE";
    case MP_SERVER_DEBUG_MSG: return "SERVER_DEBUG_MSG";
    case MP_SERVER_MESSAGE: return "SERVER_MESSAGE";
    case MP_SERVER_CONNECTED: return "SERVER_CONNECTED";
    case MP_SERVER_DISCONNECTED: return "SERVER_DISCONNECTED";
    case MP_SERVER_ERROR: return "SERVER_ERROR";
    case MP_SERVER_FILE: return "SERVER_FILE";
    case MP_SERVER_CLIENT_CONNECTED: return "SERVER_CLIENT_CONNECTED";
    case MP_SERVER_CLIENT_DISCONNECTED: return "SERVER_CLIENT_DISCONNECTED";
    case MP_SERVER_LISTENING: return "SERVER_LISTENING";
    default: return "";
  }
}
