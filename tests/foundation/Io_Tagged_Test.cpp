#include "Io_Tagged.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "Errors.h"
#include "Shell_Services.h"
#include "Test_Support.h"

namespace {
std::string Bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list) s += char(b);
  return s;
}

template <typename F>
std::string Written(F write) {
  TIo_Writer w;
  write(w);
  return w.m_Bytes();
}

}  // namespace

TEST(Io_Tagged, IntegersTakeTheSmallestTag) {
  struct Row {
    std::int32_t value;
    std::string bytes;
  } rows[] = {
      {0, Bytes({2, 0})},
      {127, Bytes({2, 0x7F})},
      {-128, Bytes({2, 0x80})},
      {128, Bytes({3, 0x80, 0})},
      {-129, Bytes({3, 0x7F, 0xFF})},
      {32767, Bytes({3, 0xFF, 0x7F})},
      {-32768, Bytes({3, 0x00, 0x80})},
      {32768, Bytes({4, 0x00, 0x80, 0, 0})},
      {40000, Bytes({4, 0x40, 0x9C, 0, 0})},
      {-1, Bytes({2, 0xFF})},
      {-32769, Bytes({4, 0xFF, 0x7F, 0xFF, 0xFF})},
      {INT32_MIN, Bytes({4, 0, 0, 0, 0x80})},
      {INT32_MAX, Bytes({4, 0xFF, 0xFF, 0xFF, 0x7F})},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Written([&](TIo_Writer& w) { Io_Write_Integer(w, r.value); }), r.bytes) << r.value;
    EXPECT_EQ(Written([&](TIo_Writer& w) { Io_Write_Longint(w, r.value); }), r.bytes) << r.value;
    TIo_Reader rd = TIo_Reader::From_Bytes(r.bytes);
    EXPECT_EQ(Io_Read_Integer(rd), r.value);
    EXPECT_EQ(rd.m_Bytes_Left(), 0u);
  }
}

TEST(Io_Tagged, BytesAndWordsAreIntegersReadWithRangeChecks) {
  EXPECT_EQ(Written([](TIo_Writer& w) { Io_Write_Byte(w, 200); }), Bytes({3, 0xC8, 0}));
  EXPECT_EQ(Written([](TIo_Writer& w) { Io_Write_Word(w, 65535); }), Bytes({4, 0xFF, 0xFF, 0, 0}));
  TIo_Reader r1 = TIo_Reader::From_Bytes(Bytes({3, 0xC8, 0}));
  EXPECT_EQ(Io_Read_Byte(r1), 200);
  TIo_Reader r2 = TIo_Reader::From_Bytes(Bytes({3, 0x2C, 0x01}));  // 300
  EXPECT_THROW(Io_Read_Byte(r2), ERangeError);
  TIo_Reader r3 = TIo_Reader::From_Bytes(Bytes({2, 0xFF}));  // -1
  EXPECT_THROW(Io_Read_Word(r3), ERangeError);
  TIo_Reader r4 = TIo_Reader::From_Bytes(Bytes({4, 0, 0, 1, 0}));  // 65536
  EXPECT_THROW(Io_Read_Word(r4), ERangeError);
}

TEST(Io_Tagged, Booleans) {
  EXPECT_EQ(Written([](TIo_Writer& w) { Io_Write_Boolean(w, true); }), Bytes({9}));
  EXPECT_EQ(Written([](TIo_Writer& w) { Io_Write_Boolean(w, false); }), Bytes({8}));
  // Any tag but 9 is false, and only the tag is consumed.
  TIo_Reader r = TIo_Reader::From_Bytes(Bytes({2, 9, 9}));
  EXPECT_FALSE(Io_Read_Boolean(r));
  EXPECT_TRUE(Io_Read_Boolean(r));
  EXPECT_TRUE(Io_Read_Boolean(r));
  EXPECT_THROW(Io_Read_Boolean(r), EInOutError);
}

TEST(Io_Tagged, Strings) {
  std::string s300(300, 'x');
  struct Row {
    std::string value, bytes;
  } rows[] = {
      {"", Bytes({6, 0})},
      {"abc", Bytes({6, 3, 0x61, 0x62, 0x63})},
      {std::string(255, 'y'), Bytes({6, 255}) + std::string(255, 'y')},
      {s300, Bytes({12, 0x2C, 0x01, 0, 0}) + s300},
      {"\xC3\xA9", Bytes({20, 2, 0, 0, 0, 0xC3, 0xA9})},  // é
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Written([&](TIo_Writer& w) { Io_Write_String(w, r.value); }), r.bytes);
    TIo_Reader rd = TIo_Reader::From_Bytes(r.bytes);
    EXPECT_EQ(Io_Read_String(rd), r.value);
  }
}

TEST(Io_Tagged, StringsOfOtherWritersAreReadAsUtf8) {
  struct Row {
    std::string bytes, value;
  } rows[] = {
      {Bytes({6, 4, 'c', 'a', 'f', 0xE9}), "caf\xC3\xA9"},
      {Bytes({12, 2, 0, 0, 0, 0x80, 'x'}),
       "\xE2\x82\xAC"
       "x"},
      {Bytes({18, 2, 0, 0, 0, 'a', 0, 0xE9, 0}), "a\xC3\xA9"},
      {Bytes({20, 1, 0, 0, 0, 0xE9}), "\xC3\xA9"},  // not UTF-8 after all: the code page
  };
  for (const Row& r : rows) {
    TIo_Reader rd = TIo_Reader::From_Bytes(r.bytes);
    EXPECT_EQ(Io_Read_String(rd), r.value);
  }
}

TEST(Io_Tagged, RealsAreExtendedPrecision) {
  EXPECT_EQ(Written([](TIo_Writer& w) { Io_Write_Single(w, 1.0f); }),
            Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
  EXPECT_EQ(Written([](TIo_Writer& w) { Io_Write_Single(w, -2.5f); }),
            Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}));
  EXPECT_EQ(Written([](TIo_Writer& w) { Io_Write_Single(w, 0.0f); }), Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  // The smallest single (a subnormal) becomes a normal extended value.
  EXPECT_EQ(Written([](TIo_Writer& w) { Io_Write_Single(w, std::numeric_limits<float>::denorm_min()); }),
            Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x6A, 0x3F}));

  float samples[] = {1.0f,
                     -2.5f,
                     0.1f,
                     3.4028235e38f,
                     1.17549435e-38f,
                     1.4e-45f,
                     -0.0f,
                     123456.789f,
                     1e-40f,
                     7.0e-3f,
                     std::numeric_limits<float>::infinity()};
  for (float f : samples) {
    TIo_Reader r = TIo_Reader::From_Bytes(Written([&](TIo_Writer& w) { Io_Write_Single(w, f); }));
    float back = Io_Read_Single(r);
    EXPECT_EQ(back, f);
    EXPECT_EQ(std::signbit(back), std::signbit(f));
  }
}

TEST(Io_Tagged, ExtendedRoundsToNearestSingle) {
  // On this machine long double is the same x87 format: compare with its
  // hardware conversion for values around the rounding points.
  auto check = [](std::uint64_t significand, int exponent) {
    TExtended_Bytes b;
    for (int i = 0; i < 8; ++i) b[i] = std::uint8_t(significand >> (8 * i));
    b[8] = std::uint8_t(exponent);
    b[9] = std::uint8_t(exponent >> 8);
    float mine = Extended_To_Single(b);
#if defined(__x86_64__) || defined(__i386__)
    long double ld;
    static_assert(sizeof(long double) >= 10);
    std::memcpy(&ld, b.data(), 10);
    float hw = static_cast<float>(ld);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(mine), std::bit_cast<std::uint32_t>(hw))
        << std::hex << significand << " exp " << std::dec << exponent;
#endif
    return mine;
  };
  const std::uint64_t one = 0x8000000000000000ull;
  const std::uint64_t half_ulp = 1ull << 39;                            // half a single's last place
  EXPECT_EQ(check(one + half_ulp, 0x3FFF), 1.0f);                       // tie, rounds to even
  EXPECT_EQ(check(one + half_ulp + 1, 0x3FFF), 1.00000012f);            // just above the tie
  EXPECT_EQ(check(one + 3 * half_ulp, 0x3FFF), 1.00000024f);            // tie, rounds up to even
  EXPECT_EQ(check(0xFFFFFFFFFFFFFFFFull, 0x3FFF), 2.0f);                // carries into the exponent
  EXPECT_TRUE(std::isinf(check(0xFFFFFFFFFFFFFFFFull, 0x3FFF + 127)));  // beyond the largest single
  EXPECT_TRUE(std::isinf(check(one, 0x3FFF + 128)));
  for (int e = 0x3FFF - 152; e <= 0x3FFF - 124; ++e) {  // the subnormal range and its edges
    check(one, e);
    check(one + (one >> 1), e);
    check(0xFFFFFFFFFFFFFFFFull, e);
    check(one | 1, e);
  }
  check(one, 1);     // tiny
  check(0x1234, 0);  // extended subnormal
  EXPECT_TRUE(std::isnan(check(0xC000000000000000ull, 0x7FFF)));
}

TEST(Io_Tagged, RealReadAcceptsIntegersDoublesAnd64BitIntegers) {
  struct Row {
    std::string bytes;
    float value;
  } rows[] = {
      {Bytes({2, 0xFE}), -2.0f},
      {Bytes({3, 0x2C, 0x01}), 300.0f},
      {Bytes({4, 0x40, 0x9C, 0, 0}), 40000.0f},
      {Bytes({21, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F}), 1.5f},
      {Bytes({19, 0, 0xE4, 0x0B, 0x54, 0x02, 0, 0, 0}), 1e10f},
  };
  for (const Row& r : rows) {
    TIo_Reader rd = TIo_Reader::From_Bytes(r.bytes);
    EXPECT_EQ(Io_Read_Single(rd), r.value);
  }
}

TEST(Io_Tagged, WrongTagsAreReadErrors) {
  struct Row {
    const char* what;
    std::string bytes;
    std::function<void(TIo_Reader&)> read;
  } rows[] = {
      {"integer from a string", Bytes({6, 0}), [](TIo_Reader& r) { Io_Read_Integer(r); }},
      {"integer from a real", Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}),
       [](TIo_Reader& r) { Io_Read_Integer(r); }},
      {"real from a boolean", Bytes({9}), [](TIo_Reader& r) { Io_Read_Single(r); }},
      {"string from an integer", Bytes({2, 1}), [](TIo_Reader& r) { Io_Read_String(r); }},
      {"string from tag 0", Bytes({0}), [](TIo_Reader& r) { Io_Read_String(r); }},
  };
  for (const Row& r : rows) {
    TIo_Reader rd = TIo_Reader::From_Bytes(r.bytes);
    EXPECT_THROW(r.read(rd), EInOutError) << r.what;
  }
}

TEST(Io_Tagged, TruncatedAndHostileValuesAreReadErrors) {
  struct Row {
    const char* what;
    std::string bytes;
    std::function<void(TIo_Reader&)> read;
  } rows[] = {
      {"empty", "", [](TIo_Reader& r) { Io_Read_Integer(r); }},
      {"half an integer", Bytes({4, 1, 2}), [](TIo_Reader& r) { Io_Read_Integer(r); }},
      {"half a real", Bytes({5, 0, 0, 0}), [](TIo_Reader& r) { Io_Read_Single(r); }},
      {"short string", Bytes({6, 5, 'a', 'b'}), [](TIo_Reader& r) { Io_Read_String(r); }},
      {"short length", Bytes({12, 5, 0}), [](TIo_Reader& r) { Io_Read_String(r); }},
      {"huge tag 12", Bytes({12, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}), [](TIo_Reader& r) { Io_Read_String(r); }},
      {"huge tag 18", Bytes({18, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 0}), [](TIo_Reader& r) { Io_Read_String(r); }},
      {"huge tag 20", Bytes({20, 0xF0, 0xFF, 0xFF, 0x7F}), [](TIo_Reader& r) { Io_Read_String(r); }},
      {"string list count", Bytes({4, 0xFF, 0xFF, 0, 0, 6, 0}),
       [](TIo_Reader& r) {
         std::vector<std::string> l;
         Io_Read_String_List(r, l);
       }},
      {"integer list count", Bytes({3, 0x10, 0x27, 2, 1}),
       [](TIo_Reader& r) {
         TLongintList l;
         Io_Read_Longint_List(r, l);
       }},
  };
  for (const Row& r : rows) {
    TIo_Reader rd = TIo_Reader::From_Bytes(r.bytes);
    EXPECT_THROW(r.read(rd), EInOutError) << r.what;
  }
}

TEST(Io_Tagged, CompositeValues) {
  std::string bytes = Written([](TIo_Writer& w) {
    Io_Write_Vector(w, TVector{1.0f, -2.5f, 0.0f});
    Io_Write_Color_RGB(w, 10 + 200 * 256 + 30 * 65536);
    Io_Write_Color_RGBA(w, Make_Color(1, 2, 3, 128));
  });
  std::string expect = Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}) +
                       Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}) + Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}) +
                       Bytes({2, 10, 3, 200, 0, 2, 30}) + Bytes({2, 1, 2, 2, 2, 3, 3, 128, 0});
  EXPECT_EQ(bytes, expect);
  TIo_Reader r = TIo_Reader::From_Bytes(bytes);
  TVector v;
  Io_Read_Vector(r, v);
  EXPECT_EQ(v.x, 1.0f);
  EXPECT_EQ(v.y, -2.5f);
  EXPECT_EQ(v.z, 0.0f);
  EXPECT_EQ(Io_Read_Color_RGB(r), 10u + 200 * 256 + 30 * 65536);
  EXPECT_EQ(Io_Read_Color_RGBA(r), Make_Color(1, 2, 3, 128));

  TIo_Writer w;
  EXPECT_THROW(Io_Write_Color_RGB(w, 0x80000000u), ERangeError);
}

TEST(Io_Tagged, Lists) {
  EXPECT_EQ(Written([](TIo_Writer& w) { Io_Write_String_List(w, {}); }), Bytes({2, 0}));
  std::string bytes = Written([](TIo_Writer& w) {
    Io_Write_String_List(w, {"a", "\xC3\xA9"});
    TLongintList l;
    l.m_Add(5);
    l.m_Add(-40000);
    Io_Write_Longint_List(w, l);
  });
  EXPECT_EQ(bytes, Bytes({2, 2, 6, 1, 'a', 20, 2, 0, 0, 0, 0xC3, 0xA9, 2, 2, 2, 5, 4, 0xC0, 0x63, 0xFF, 0xFF}));
  TIo_Reader r = TIo_Reader::From_Bytes(bytes);
  std::vector<std::string> s = {"old"};
  TLongintList l;
  l.m_Add(99);
  EXPECT_TRUE(Io_Read_String_List(r, s));
  EXPECT_TRUE(Io_Read_Longint_List(r, l));
  EXPECT_EQ(s, (std::vector<std::string>{"a", "\xC3\xA9"}));
  ASSERT_EQ(l.m_Count(), 2);
  EXPECT_EQ(l.m_Get(1), 5);
  EXPECT_EQ(l.m_Get(2), -40000);

  TIo_Writer w;
  EXPECT_THROW(Io_Write_String_List(w, std::vector<std::string>(65536)), ERangeError);
}

TEST(Io_Tagged, FilesAreBufferedAndReadBack) {
  TTemp_Dir dir;
  std::string name = dir.design() + "Values.dat";
  // More than one buffer's worth, so that the buffer is written out midway.
  ASSERT_TRUE(Io_Save_To_File(name, [](TIo_Writer& w) {
    for (int i = 0; i < 20000; ++i) Io_Write_Integer(w, i * 7);
    Io_Write_String(w, std::string(70000, 'q'));
  }));
  std::string bytes = Read_File(dir.path() / "Values.dat");
  EXPECT_GT(bytes.size(), Io_Buffer_Size * 2);
  EXPECT_EQ(bytes.substr(0, 5), Bytes({2, 0, 2, 7, 2}));
  ASSERT_TRUE(Io_Load_From_File(name, [](TIo_Reader& r) {
    for (int i = 0; i < 20000; ++i) ASSERT_EQ(Io_Read_Integer(r), i * 7);
    EXPECT_EQ(Io_Read_String(r), std::string(70000, 'q'));
    EXPECT_EQ(r.m_Bytes_Left(), 0u);
  }));
}

TEST(Io_Tagged, ValuesAcrossTheEdgeOfTheFileBufferReadWhole) {
  TTemp_Dir dir;
  std::string name = dir.design() + "Mixed.dat";
  // Integers of one, two and four bytes and booleans in turn, so that every
  // kind of value lies across the edge of a buffer somewhere in the file.
  const std::int32_t values[] = {-5, 300, -2000000000, 77, 32767, 65536};
  const int rounds = int(3 * Io_Buffer_Size / 20);
  ASSERT_TRUE(Io_Save_To_File(name, [&](TIo_Writer& w) {
    for (int i = 0; i < rounds; ++i) {
      for (std::int32_t v : values) Io_Write_Integer(w, v + i % 3);
      Io_Write_Boolean(w, i % 2 == 0);
    }
  }));
  ASSERT_TRUE(Io_Load_From_File(name, [&](TIo_Reader& r) {
    for (int i = 0; i < rounds; ++i) {
      for (std::int32_t v : values) ASSERT_EQ(Io_Read_Integer(r), v + i % 3) << i;
      ASSERT_EQ(Io_Read_Boolean(r), i % 2 == 0) << i;
    }
    EXPECT_EQ(r.m_Bytes_Left(), 0u);
    EXPECT_THROW(Io_Read_Integer(r), EInOutError);
  }));
}

TEST(Io_Tagged, OwnerPatternReportsFailures) {
  TTemp_Dir dir;
  TShell_Recorder sink;
  // An empty name: false and nothing shown.
  EXPECT_FALSE(Io_Save_To_File("", [](TIo_Writer&) {}));
  EXPECT_FALSE(Io_Load_From_File("", [](TIo_Reader&) {}));
  EXPECT_TRUE(sink.messages.empty());

  std::string missing = dir.design() + "Missing.dat";
  EXPECT_FALSE(Io_Load_From_File(missing, [](TIo_Reader&) {}));
  std::string bad_folder = dir.design() + "nofolder\\x.dat";
  EXPECT_FALSE(Io_Save_To_File(bad_folder, [](TIo_Writer&) {}));

  // A truncated file and a hostile length: the values read before stay.
  std::string truncated = dir.design() + "Truncated.dat";
  Write_File(dir.path() / "Truncated.dat", Bytes({2, 7, 4, 1, 2}));
  std::int32_t first = 0;
  EXPECT_FALSE(Io_Load_From_File(truncated, [&](TIo_Reader& r) {
    first = Io_Read_Integer(r);
    Io_Read_Integer(r);
  }));
  EXPECT_EQ(first, 7);
  std::string hostile = dir.design() + "Hostile.dat";
  Write_File(dir.path() / "Hostile.dat", Bytes({12, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b'}));
  EXPECT_FALSE(Io_Load_From_File(hostile, [](TIo_Reader& r) { Io_Read_String(r); }));

  // A failure while writing keeps what was written before it.
  std::string partial = dir.design() + "Partial.dat";
  EXPECT_FALSE(Io_Save_To_File(partial, [](TIo_Writer& w) {
    Io_Write_Integer(w, 1);
    Io_Write_Color_RGB(w, 0xFFFFFFFFu);
  }));
  EXPECT_EQ(Read_File(dir.path() / "Partial.dat"), Bytes({2, 1}));

  EXPECT_EQ(sink.m_Joined(), (std::vector<std::string>{
                                 "Error|Load file error: " + missing,
                                 "Error|Save file error: " + bad_folder,
                                 "Error|Load file error: " + truncated,
                                 "Error|Load file error: " + hostile,
                                 "Error|Save file error: " + partial,
                             }));
}
