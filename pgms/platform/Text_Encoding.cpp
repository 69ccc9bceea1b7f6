#include "Text_Encoding.h"

namespace {
// Code points of the bytes 80..9F in Windows-1252.
constexpr std::uint16_t High_Control_Map[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::uint32_t Cp1252_Code_Point(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F) return High_Control_Map[b - 0x80];
  return b;
}

// The byte of a code point in Windows-1252, or -1 when it has none.
int Cp1252_Byte(std::uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return int(cp);
  for (int i = 0; i < 32; ++i)
    if (High_Control_Map[i] == cp) return 0x80 + i;
  return -1;
}

// Decodes one UTF-8 sequence at text[pos]; returns its length (0 when the
// bytes there are not a well-formed sequence).
std::size_t Decode_Utf8(std::string_view text, std::size_t pos, std::uint32_t& cp) {
  unsigned char b0 = static_cast<unsigned char>(text[pos]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t len;
  std::uint32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
    cp = b0 & 0x1F;
    min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    cp = b0 & 0x0F;
    min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    cp = b0 & 0x07;
    min = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - pos < len) return 0;
  for (std::size_t i = 1; i < len; ++i) {
    unsigned char b = static_cast<unsigned char>(text[pos + i]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}
}  // namespace

void Append_Utf8(std::string& out, std::uint32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

bool Is_Ascii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool Is_Valid_Utf8(std::string_view text) {
  std::size_t pos = 0;
  std::uint32_t cp;
  while (pos < text.size()) {
    std::size_t len = Decode_Utf8(text, pos, cp);
    if (len == 0) return false;
    pos += len;
  }
  return true;
}

std::string Cp1252_To_Utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) Append_Utf8(out, Cp1252_Code_Point(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8_To_Cp1252(std::string_view text) {
  if (!Is_Valid_Utf8(text)) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  std::uint32_t cp = 0;
  while (pos < text.size()) {
    pos += Decode_Utf8(text, pos, cp);
    int b = Cp1252_Byte(cp);
    out += b < 0 ? '?' : char(b);
  }
  return out;
}

std::string Text_To_Utf8(std::string_view text) {
  if (Is_Valid_Utf8(text)) return std::string(text);
  return Cp1252_To_Utf8(text);
}

std::string Utf16LE_To_Utf8(std::string_view bytes) {
  std::string out;
  std::size_t n = bytes.size() / 2;
  out.reserve(n);
  auto unit = [&](std::size_t i) {
    return std::uint32_t(static_cast<unsigned char>(bytes[2 * i])) |
           (std::uint32_t(static_cast<unsigned char>(bytes[2 * i + 1])) << 8);
  };
  for (std::size_t i = 0; i < n; ++i) {
    std::uint32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n) {
      std::uint32_t lo = unit(i + 1);
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        Append_Utf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
        ++i;
        continue;
      }
    }
    Append_Utf8(out, u);  // a lone surrogate turns into U+FFFD there
  }
  return out;
}
