// One field list walked in both directions: the writer gives the bytes the
// typed Io_Write_ calls give, the reader takes them back into the same
// members, and values that do not fit the file's form, or counts the file
// cannot hold, are refused.
#include "Io_Fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
enum class TKind : std::uint8_t { none = 0, big = 200 };

struct TSample {
  bool flag = false, second_flag = false;
  TKind kind = TKind::none;
  std::uint16_t type = 0;  // stored as a 32-bit value
  std::int64_t wide = 0;   // stored as a 32-bit value
  float weight = 0;
  std::string name;
  TColor colour = 0;
  std::vector<std::int32_t> ids;
  std::vector<bool> known;
  bool operator==(const TSample&) const = default;
};

template <class F, class S>
void Sample_Fields(F& f, S& s) {
  f.Boolean(s.flag, s.second_flag);  // several fields of one form, in order
  f.Byte(s.kind);
  f.Longint(s.type);
  f.Integer(s.wide);
  f.Single(s.weight);
  f.String(s.name);
  f.Color_RGB_Bytes(s.colour);
  f.Integer_Count(s.ids, 2);
  for (auto& id : s.ids) f.Integer(id);
  f.Word_Count(s.known);
  for (auto&& k : s.known) f.Boolean(k);
}

std::string Written(const TSample& s) {
  TIo_Writer w;
  TIo_Field_Writer f(w);
  Sample_Fields(f, s);
  return w.m_Bytes();
}

TSample Read(const std::string& bytes) {
  TSample s;
  TIo_Reader r = TIo_Reader::From_Bytes(bytes);
  TIo_Field_Reader f(r);
  Sample_Fields(f, s);
  EXPECT_EQ(r.m_Bytes_Left(), 0u);
  return s;
}

TSample Full() {
  TSample s;
  s.flag = true;
  s.kind = TKind::big;
  s.type = 65535;
  s.wide = -2147483647 - 1;
  s.weight = 2.5f;
  s.name = "Nörd";
  s.colour = Make_Color(1, 2, 3);
  s.ids = {7, -8, 9};
  s.known = {true, false, true};
  return s;
}
}  // namespace

TEST(Io_Fields, TheWriterGivesTheBytesOfTheTypedCallsAndTheReaderTakesThemBack) {
  const TSample s = Full();
  TIo_Writer w;
  Io_Write_Boolean(w, true);
  Io_Write_Boolean(w, false);
  Io_Write_Byte(w, 200);
  Io_Write_Longint(w, 65535);
  Io_Write_Integer(w, -2147483647 - 1);
  Io_Write_Single(w, 2.5f);
  Io_Write_String(w, "Nörd");
  for (std::uint8_t b : {1, 2, 3}) Io_Write_Byte(w, b);
  Io_Write_Integer(w, 3);
  for (std::int32_t id : {7, -8, 9}) Io_Write_Integer(w, id);
  Io_Write_Word(w, 3);
  for (bool b : {true, false, true}) Io_Write_Boolean(w, b);
  EXPECT_EQ(Written(s), w.m_Bytes());
  EXPECT_EQ(Read(Written(s)), s);
}

TEST(Io_Fields, ValuesThatDoNotFitTheFileFormAreRefusedBothWays) {
  TSample wide = Full();
  wide.wide = std::int64_t(1) << 40;
  EXPECT_THROW(Written(wide), ERangeError);

  // A 32-bit value read into a 16-bit unit type.
  TIo_Writer w;
  Io_Write_Longint(w, 65536);
  std::uint16_t type = 7;
  TIo_Reader r = TIo_Reader::From_Bytes(w.m_Bytes());
  TIo_Field_Reader f(r);
  EXPECT_THROW(f.Longint(type), ERangeError);
  EXPECT_EQ(type, 7);
}

TEST(Io_Fields, CountsTheFileCannotHoldAreRefusedBeforeAnythingIsSized) {
  for (std::int32_t count : {-1, 3, 1000000000}) {
    SCOPED_TRACE(count);
    TIo_Writer w;
    Io_Write_Integer(w, count);
    Io_Write_Integer(w, 1);  // one entry of the count's
    std::vector<std::int32_t> ids;
    TIo_Reader r = TIo_Reader::From_Bytes(w.m_Bytes());
    TIo_Field_Reader f(r);
    EXPECT_THROW(f.Integer_Count(ids, 2), ERangeError);
    EXPECT_TRUE(ids.empty());
  }
  TIo_Writer w;
  Io_Write_Integer(w, 141);
  std::vector<std::int32_t> rows;
  TIo_Reader r = TIo_Reader::From_Bytes(w.m_Bytes());
  TIo_Field_Reader f(r);
  try {
    f.Integer_Count(rows, 1, 140, "More than 140 battle rows");
    ADD_FAILURE() << "no error";
  } catch (const ERangeError& e) {
    EXPECT_STREQ(e.what(), "More than 140 battle rows");
  }
}
