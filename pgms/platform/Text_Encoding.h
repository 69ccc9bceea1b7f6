// Conversions between the game's UTF-8 texts and the 8-bit and 16-bit
// encodings that arrive from outside.
//
// Text from outside in 8 bits is Windows-1252. The five byte values that
// code page leaves undefined (81, 8D, 8F, 90, 9D) stand for the control
// characters of the same number, so that every byte survives the round trip.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool Is_Valid_Utf8(std::string_view text);

// Whether every byte is 7-bit ASCII.
bool Is_Ascii(std::string_view text);

// Windows-1252 bytes to UTF-8.
std::string Cp1252_To_Utf8(std::string_view text);

// UTF-8 to Windows-1252; a character the code page lacks becomes "?".
// Bytes that are not valid UTF-8 are taken as Windows-1252 already.
std::string Utf8_To_Cp1252(std::string_view text);

// A text of unknown origin to UTF-8: kept when it is valid UTF-8, otherwise
// read as Windows-1252.
std::string Text_To_Utf8(std::string_view text);

// UTF-16 little-endian code units (2 bytes each) to UTF-8; an unpaired
// surrogate becomes U+FFFD.
std::string Utf16LE_To_Utf8(std::string_view bytes);

// Appends the UTF-8 form of a code point.
void Append_Utf8(std::string& out, std::uint32_t code_point);
