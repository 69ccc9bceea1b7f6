#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "Errors.h"
#include "Multiplayer_Types.h"

namespace {
// The distance from a single to the next one away from zero.
double Ulp(float v) {
  const float a = std::fabs(v);
  return double(std::nextafter(a, INFINITY)) - double(a);
}
}  // namespace

TEST(Multiplayer_Types, EncodedFields) {
  struct Row { std::string got, want; } rows[] = {
      {MP_Encode_Byte(7), "  7"},
      {MP_Encode_Byte(255), "255"},
      {MP_Encode_Byte(256 + 9), "  9"},
      {MP_Encode_Byte(-1), "255"},
      {MP_Encode_Word(300), "  300"},
      {MP_Encode_Word(65536 + 4), "    4"},
      {MP_Encode_Integer(-5), "         -5"},
      {MP_Encode_Integer(-2147483647 - 1), "-2147483648"},
      {MP_Encode_Single(1.5f), "         1.5000"},
      {MP_Encode_Single(-0.25f), "        -0.2500"},
      {MP_Encode_Single(0.1f), "         0.1000"},
      {MP_Encode_Single(-0.0f), "         0.0000"},
      {MP_Encode_Single(123456.789f), "    123456.7891"},
      {MP_Encode_Boolean(true), "T"},
      {MP_Encode_Boolean(false), "F"},
      {MP_Encode_String("abc"), "   3abc"},
      {MP_Encode_String(""), "   0"},
      {MP_Pad_Left("toolong", 3), "toolong"},
  };
  for (const auto& r : rows) EXPECT_EQ(r.got, r.want);
}

TEST(Multiplayer_Types, DecodeTakesFieldsOffTheFront) {
  std::string text = "  7  300";
  EXPECT_EQ(MP_Decode_Byte(text), 7);
  EXPECT_EQ(MP_Decode_Word(text), 300);
  EXPECT_EQ(text, "");

  std::string msg = MP_Encode_Byte(LAN_MSG_TO_SERVER_CHAT) + MP_Encode_Integer(-2147483647 - 1) +
                    MP_Encode_Single(-3.25f) + MP_Encode_Boolean(true) + MP_Encode_String("hi there") +
                    MP_Encode_String("") + MP_Encode_Word(65535) + "rest";
  EXPECT_EQ(MP_Decode_Byte(msg), 1);
  EXPECT_EQ(MP_Decode_Integer(msg), -2147483647 - 1);
  EXPECT_FLOAT_EQ(MP_Decode_Single(msg), -3.25f);
  EXPECT_TRUE(MP_Decode_Boolean(msg));
  EXPECT_EQ(MP_Decode_String(msg), "hi there");
  EXPECT_EQ(MP_Decode_String(msg), "");
  EXPECT_EQ(MP_Decode_Word(msg), 65535);
  EXPECT_EQ(msg, "rest");
  EXPECT_FALSE(MP_Decode_Boolean(msg));  // "r" is not "T"
}

TEST(Multiplayer_Types, HostileFieldsRaiseConversionOrRangeErrors) {
  enum Kind { Byte, Word, Integer, Single, String };
  struct Row { Kind kind; std::string text; bool range; } rows[] = {
      {Byte, "256", true},          {Byte, " -1", true},       {Byte, "", false},
      {Byte, "1 2", false},         {Byte, "x12", false},      {Byte, " 0x", false},
      {Word, "65536", true},        {Word, "   -1", true},     {Word, "  1e3", false},
      {Integer, " 2147483648", false}, {Integer, "         --1", false},
      {Integer, "", false},         {Integer, "  1 ", false},
      {Single, "", false},          {Single, "      1,5000000", false}, {Single, "abc", false},
      {Single, "         1e300", true},
      {String, "  -1", true},       {String, "  10abc", false}, {String, "9999", false},
      {String, "abcd", false},
  };
  for (const auto& r : rows) {
    std::string text = r.text;
    try {
      switch (r.kind) {
        case Byte: MP_Decode_Byte(text); break;
        case Word: MP_Decode_Word(text); break;
        case Integer: MP_Decode_Integer(text); break;
        case Single: MP_Decode_Single(text); break;
        case String: MP_Decode_String(text); break;
      }
      ADD_FAILURE() << "no error for '" << r.text << "'";
    } catch (const ERangeError&) {
      EXPECT_TRUE(r.range) << "range error for '" << r.text << "'";
    } catch (const EConvertError& e) {
      EXPECT_FALSE(r.range) << "conversion error for '" << r.text << "'";
      EXPECT_NE(std::string(e.what()), "");
    }
  }
}

TEST(Multiplayer_Types, ConversionErrorNamesTheField) {
  std::string text = "abc";
  try {
    MP_Decode_Byte(text);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
}

TEST(Multiplayer_Types, OverlongStringIsRefused) {
  EXPECT_EQ(MP_Encode_String(std::string(9999, 'a')).size(), 4u + 9999u);
  EXPECT_THROW(MP_Encode_String(std::string(10000, 'a')), ERangeError);
}

TEST(Multiplayer_Types, FrameHeaderAndAnnouncement) {
  unsigned char h[8];
  MP_Write_Frame_Header(THdrRec{0, 70000}, h);
  const unsigned char want[8] = {0, 0, 0, 0, 0x70, 0x11, 0x01, 0x00};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(h[i], want[i]) << i;
  THdrRec back = MP_Read_Frame_Header(h);
  EXPECT_EQ(back.kind, 0);
  EXPECT_EQ(back.length, 70000);
  const unsigned char neg[8] = {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(MP_Read_Frame_Header(neg).length, -1);
  EXPECT_EQ(MP_Read_Frame_Header(neg).kind, 1);
  EXPECT_EQ(MP_Binary_Announce_Line(1234, "CurrentMap.map"), "Binary      1234 CurrentMap.map\r\n");
}

TEST(Multiplayer_Types, EventNames) {
  struct Row { int code; const char* name; } rows[] = {
      {1, "CLIENT_DEBUG_MSG"}, {3, "CLIENT_CONENCTED"}, {7, "CLIENT_FILE_COMPLETE"}, {100, "SERVER_DEBUG_MSG"},
      {105, "SERVER_FILE"}, {108, "SERVER_LISTENING"}, {0, ""}, {8, ""}, {109, ""}};
  for (auto r : rows) EXPECT_EQ(MP_Socket_Event_Name(r.code), r.name) << r.code;
}

TEST(Multiplayer_Types, LoginTextsAreEmptied) {
  MP_Login_Nation_Name = "N";
  MP_Login_Player_Name = "P";
  MP_Login_Password = "S";
  MP_Clear_Login_Texts();
  EXPECT_EQ(MP_Login_Nation_Name + MP_Login_Player_Name + MP_Login_Password, "");
}

// Every value of every field type keeps its field's width, so the fields
// after it stay in place, and reads back as sent (a single to the precision
// the field carries).
TEST(Multiplayer_Types, EveryValueFitsItsFieldAndReadsBack) {
  const std::string after = MP_Encode_Integer(-7);
  auto check_tail = [&](std::string& rest) {
    EXPECT_EQ(MP_Decode_Integer(rest), -7);
    EXPECT_TRUE(rest.empty());
  };
  for (std::int32_t v = 0; v <= 255; ++v) {
    std::string msg = MP_Encode_Byte(v) + after;
    ASSERT_EQ(msg.size(), 3u + 11u);
    ASSERT_EQ(MP_Decode_Byte(msg), v);
    check_tail(msg);
  }
  for (std::int32_t v = 0; v <= 65535; v += 1) {
    std::string msg = MP_Encode_Word(v);
    ASSERT_EQ(msg.size(), 5u);
    ASSERT_EQ(MP_Decode_Word(msg), v);
  }
  for (std::int64_t v : {std::int64_t(INT32_MIN), std::int64_t(INT32_MIN) + 1, std::int64_t(-1000000000),
                         std::int64_t(-1), std::int64_t(0), std::int64_t(1), std::int64_t(INT32_MAX)}) {
    std::string msg = MP_Encode_Integer(std::int32_t(v)) + after;
    ASSERT_EQ(msg.size(), 22u);
    ASSERT_EQ(MP_Decode_Integer(msg), v);
    check_tail(msg);
  }
  // Singles: both signs over every binary exponent, with a few mantissas,
  // and the edges of the range.
  std::vector<float> singles = {0.0f, FLT_MIN, -FLT_MIN, FLT_MAX, -FLT_MAX, FLT_TRUE_MIN, -1e9f, -9.999999e9f,
                                -1e10f, 9.999999e9f, 1e10f, -123456789.0f, -0.00005f};
  for (int e = -149; e <= 127; ++e)
    for (float m : {1.0f, 1.3333333f, 1.9999999f})
      for (float sign : {1.0f, -1.0f}) singles.push_back(sign * std::ldexp(m, e));
  for (float v : singles) {
    if (!std::isfinite(v)) continue;
    std::string msg = MP_Encode_Single(v) + after;
    ASSERT_EQ(msg.size(), 15u + 11u) << v << " as '" << MP_Encode_Single(v) << "'";
    const float back = MP_Decode_Single(msg);
    // Four decimals (half a unit of the last, and the single's own error) in
    // the fixed form, at least seven significant digits
    // in the exponent form.
    const double tolerance = std::max(0.00005 + Ulp(v), std::fabs(double(v)) * 1e-7);
    ASSERT_NEAR(back, v, tolerance) << v;
    check_tail(msg);
  }
}
