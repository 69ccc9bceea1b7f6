#include <gtest/gtest.h>

#include "Text_Encoding.h"

TEST(Text_Encoding, Cp1252ToUtf8) {
  struct Row {
    std::string in, out;
  } rows[] = {
      {"abc", "abc"},
      {"\xE9", "\xC3\xA9"},              // é
      {"\x80", "\xE2\x82\xAC"},          // euro sign
      {"\x9F", "\xC5\xB8"},              // Ÿ
      {"\x81", "\xC2\x81"},              // undefined in the code page: kept as the control character
      {"\xFF", "\xC3\xBF"},              // ÿ
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const Row& r : rows) EXPECT_EQ(Cp1252_To_Utf8(r.in), r.out) << r.in;
}

TEST(Text_Encoding, Utf8ToCp1252RoundTripsEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += char(b);
  std::string utf8 = Cp1252_To_Utf8(all);
  EXPECT_TRUE(Is_Valid_Utf8(utf8));
  EXPECT_EQ(Utf8_To_Cp1252(utf8), all);
  EXPECT_EQ(Utf8_To_Cp1252("\xE4\xB8\xAD"), "?");  // a character the code page lacks
}

TEST(Text_Encoding, ValidUtf8) {
  struct Row {
    std::string text;
    bool valid;
  } rows[] = {
      {"", true},
      {"plain", true},
      {"\xC3\xA9", true},
      {"\xF0\x9F\x98\x80", true},
      {"\xE9", false},              // a lone code-page byte
      {"\xC0\xAF", false},          // overlong
      {"\xED\xA0\x80", false},      // surrogate
      {"\xF4\x90\x80\x80", false},  // beyond U+10FFFF
      {"\xE2\x82", false},          // cut short
  };
  for (const Row& r : rows) EXPECT_EQ(Is_Valid_Utf8(r.text), r.valid) << r.text;
  EXPECT_EQ(Text_To_Utf8("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(Text_To_Utf8("caf\xE9"), "caf\xC3\xA9");
}

TEST(Text_Encoding, Utf16ToUtf8) {
  EXPECT_EQ(Utf16LE_To_Utf8(std::string("a\0\xE9\0", 4)), "a\xC3\xA9");
  EXPECT_EQ(Utf16LE_To_Utf8(std::string("\x3D\xD8\x00\xDE", 4)), "\xF0\x9F\x98\x80");  // surrogate pair
  EXPECT_EQ(Utf16LE_To_Utf8(std::string("\x3D\xD8" "a\0", 4)), "\xEF\xBF\xBD" "a");    // unpaired
}
