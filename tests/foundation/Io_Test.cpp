#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

#include "Errors.h"
#include "Io.h"
#include "Native_Path.h"
#include "Test_Support.h"

TEST(Io, TextBasics) {
  EXPECT_EQ(Text_Pos("lo", "hello lo"), 4);
  EXPECT_EQ(Text_Pos("LO", "hello"), 0);
  EXPECT_EQ(Text_Pos("", "hello"), 0);
  EXPECT_EQ(Text_Trim(" \t\r\n abc \x01"), "abc");
  EXPECT_EQ(Text_Trim("   "), "");
  EXPECT_EQ(Text_Trim(""), "");
  EXPECT_EQ(Text_Compare("Units", "UNITS"), 0);
  EXPECT_LT(Text_Compare("abc", "ABD"), 0);
  EXPECT_GT(Text_Compare("abcd", "ABC"), 0);
  EXPECT_EQ(Text_Copy("abcdef", 2, 3), "bcd");
  EXPECT_EQ(Text_Copy("abcdef", 5, 100), "ef");
  EXPECT_EQ(Text_Copy("abcdef", 7, 1), "");
  EXPECT_EQ(Text_Copy("abcdef", 0, 2), "ab");
  EXPECT_EQ(Text_Copy("abcdef", 2, -1), "");
  EXPECT_EQ(Text_Length("abc"), 3);
  EXPECT_EQ(Text_Lower_Case("AbC-\xC3\x89"), "abc-\xC3\x89");
  EXPECT_EQ(Text_Upper_Case("aBc1"), "ABC1");
  EXPECT_EQ(Text_Pad_Left("ab", 5), "   ab");
  EXPECT_EQ(Text_Pad_Left("abcdef", 3), "abcdef");
  EXPECT_EQ(Text_Pad_Left("ab", 0), "ab");
}

TEST(Io, TextToInt) {
  struct Row {
    const char* text;
    std::int32_t value;
  } good[] = {{"1,234", 1234}, {"-5", -5}, {"+17", 17}, {"0", 0}, {"  42", 42},
              {"2147483647", 2147483647}, {"-2,147,483,648", INT32_MIN}};
  for (const Row& r : good) EXPECT_EQ(Text_To_Int(r.text), r.value) << r.text;
  for (const char* bad : {"12a", "", "-", "1.5", "2147483648", "99999999999999999999", "12 ", "0x10"})
    EXPECT_THROW(Text_To_Int(bad), EConvertError) << bad;
  try {
    Text_To_Int("12a");
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'12a' is not a valid integer value");
  }
}

TEST(Io, TextToFloat) {
  struct Row {
    const char* text;
    double value;
  } good[] = {{"1,234.5", 1234.5}, {"-0.25", -0.25}, {"1e3", 1000}, {"2.5E-2", 0.025}, {".5", 0.5},
              {"5.", 5},           {" 7 ", 7},        {"+1.5e+2", 150}, {"1e-400", 0}};
  for (const Row& r : good) EXPECT_DOUBLE_EQ(Text_To_Float(r.text), r.value) << r.text;
  for (const char* bad : {"", "abc", "1.2.3", "e5", "1e", "inf", "nan", "1e400", "1.5x"})
    EXPECT_THROW(Text_To_Float(bad), EConvertError) << bad;
}

TEST(Io, NumbersIgnoreTheLocale) {
  // A locale with "," as the decimal point must change nothing.
  const char* old = std::setlocale(LC_ALL, nullptr);
  std::string saved = old ? old : "C";
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) std::setlocale(LC_ALL, "C");
  EXPECT_DOUBLE_EQ(Text_To_Float("1.5"), 1.5);
  EXPECT_EQ(Float_To_Text(1.5), "1.5");
  EXPECT_EQ(Float_To_Text_Format(1234.5, 0, 2, 1), "1,234.50");
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(Io, IntToText) {
  EXPECT_EQ(Int_To_Text(-42), "-42");
  EXPECT_EQ(Int_To_Text(0), "0");
  struct Row {
    std::int64_t n;
    int width, digits;
    const char* text;
  } rows[] = {{7, 0, 3, "007"}, {7, 5, 3, "  007"}, {1234, 0, 3, "1234"}, {-7, 0, 3, "-007"},
              {0, 0, 0, "0"},   {5, 3, 0, "  5"}};
  for (const Row& r : rows) EXPECT_EQ(Int_To_Text_Padded(r.n, r.width, r.digits), r.text) << r.n;
}

TEST(Io, FloatToText) {
  struct Row {
    double x;
    const char* text;
  } rows[] = {{0, "0"},         {1.5, "1.5"},       {-2, "-2"},          {1234.5, "1234.5"},
              {0.1, "0.1"},     {1e20, "1E20"},     {1.5e-7, "1.5E-7"},  {0.00001, "0.00001"}, {0.000001, "1E-6"},
              {0.0001, "0.0001"}, {123456789012345.0, "123456789012345"}, {1e15, "1E15"},
              {double(0.1f), "0.100000001490116"}};
  for (const Row& r : rows) EXPECT_EQ(Float_To_Text(r.x), r.text) << r.x;
  EXPECT_EQ(Float_To_Text(INFINITY), "INF");
}

TEST(Io, FloatToTextF) {
  struct Row {
    double x;
    TFloat_Format format;
    int precision, digits;
    const char* text;
  } rows[] = {{1234.5678, ffFixed, 15, 2, "1234.57"},   {1234.5678, ffNumber, 15, 2, "1,234.57"},
              {-1234.5, ffCurrency, 15, 2, "-$1,234.50"}, {1234.5, ffExponent, 4, 2, "1.235E+03"},
              {0.000123, ffExponent, 3, 0, "1.23E-4"},    {1234.5678, ffGeneral, 3, 0, "1.23E3"},
              {12.345, ffGeneral, 4, 0, "12.35"},         {1.23456, ffFixed, 3, 4, "1.2300"},
              {123456.0, ffFixed, 3, 1, "1.23E5"},         {-0.001, ffFixed, 15, 2, "0.00"}};
  for (const Row& r : rows) EXPECT_EQ(Float_To_Text_F(r.x, r.format, r.precision, r.digits), r.text) << r.x;
}

TEST(Io, FloatToTextFormat) {
  struct Row {
    double x;
    int width, decimals, kind;
    const char* text;
  } rows[] = {{1234567.891, 0, 2, 1, "1,234,567.89"}, {1234567.891, 0, 2, 0, "1234567.89"},
              {2.5, 6, 1, 0, "   2.5"},              {0.125, 0, 2, 0, "0.13"},
              {1.235, 0, 2, 0, "1.24"},               {-999.5, 0, 0, 1, "-1,000"},
              {12, 0, 0, 1, "12"},                    {0.5, 0, 0, 0, "1"},
              {999.999, 0, 2, 0, "1000.00"},          {-0.004, 0, 2, 0, "0.00"}};
  for (const Row& r : rows) EXPECT_EQ(Float_To_Text_Format(r.x, r.width, r.decimals, r.kind), r.text) << r.x;
}

TEST(Io, Replace) {
  struct Row {
    const char* text;
    const char* old_text;
    const char* new_text;
    int flags;
    const char* result;
  } rows[] = {{"a-b-c", "-", "+", 0, "a+b-c"},
              {"a-b-c", "-", "+", rfReplaceAll, "a+b+c"},
              {"aXbxc", "x", "_", rfReplaceAll, "aXb_c"},
              {"aXbxc", "x", "_", rfReplaceAll | rfIgnoreCase, "a_b_c"},
              {"aaa", "a", "aa", rfReplaceAll, "aaaaaa"},
              {"abc", "", "z", rfReplaceAll, "abc"},
              {"abc", "d", "z", 0, "abc"}};
  for (const Row& r : rows) EXPECT_EQ(Text_Replace(r.text, r.old_text, r.new_text, r.flags), r.result) << r.text;
  EXPECT_EQ(Text_Replace_All("Hello HELLO", "hello", "bye"), "bye bye");
  EXPECT_EQ(Text_Remove_All("A,b,a;B", "a"), ",b,;B");
  EXPECT_EQ(Text_Remove_All("1,234,567", ","), "1234567");
  EXPECT_EQ(Text_Remove_All("abc", ""), "abc");
}

TEST(Io, WriteLine) {
  TTemp_Dir dir;
  std::string path = (dir.path() / "out.txt").string();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  Text_File_Write_Line(f, "first");
  Text_File_Write_Line(f, "");
  std::fclose(f);
  EXPECT_EQ(Read_File(path), "first\n\n");
  EXPECT_THROW(Text_File_Write_Line(nullptr, "x"), EInOutError);
  std::FILE* ro = std::fopen(path.c_str(), "rb");
  EXPECT_THROW(Text_File_Write_Line(ro, std::string(100000, 'x')), EInOutError);
  std::fclose(ro);
}

TEST(Io, FileRoutinesOnGamePaths) {
  TTemp_Dir dir;
  std::string base = dir.design();
  Write_File(dir.path() / "Data" / "Units.txt", "units");

  EXPECT_TRUE(File_Exists(base + "Data\\Units.txt"));
  EXPECT_TRUE(File_Exists(base + "data\\UNITS.TXT"));  // any case finds the file
  EXPECT_FALSE(File_Exists(base + "data"));
  EXPECT_TRUE(Directory_Exists(base + "DATA"));
  EXPECT_TRUE(Directory_Exists_2(base + "data\\"));
  EXPECT_FALSE(Directory_Exists(base + "data\\Units.txt"));
  EXPECT_FALSE(File_Exists(""));

  // Creating through another case uses the existing folder.
  EXPECT_TRUE(Directory_Create(base + "data"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "data"));
  EXPECT_TRUE(Directory_Create(base + "Saves"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "Saves"));
  EXPECT_FALSE(Directory_Create(base + "a\\b"));
  EXPECT_TRUE(Directory_Create_All(base + "a\\b\\c\\"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "a" / "b" / "c"));

  EXPECT_TRUE(File_Copy(base + "data\\units.txt", base + "saves\\Copy.txt", true));
  EXPECT_EQ(Read_File(dir.path() / "Saves" / "Copy.txt"), "units");
  Write_File(dir.path() / "other.txt", "other");
  EXPECT_FALSE(File_Copy(base + "other.txt", base + "SAVES\\copy.txt", true));
  EXPECT_EQ(Read_File(dir.path() / "Saves" / "Copy.txt"), "units");
  EXPECT_TRUE(File_Copy(base + "other.txt", base + "SAVES\\copy.txt", false));
  EXPECT_EQ(Read_File(dir.path() / "Saves" / "Copy.txt"), "other");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "Saves" / "copy.txt"));
  EXPECT_FALSE(File_Copy(base + "missing.txt", base + "x.txt", false));

  EXPECT_NE(File_Age(base + "other.txt"), -1);
  EXPECT_EQ(File_Age(base + "missing.txt"), -1);
  EXPECT_EQ(File_Age(base + "data"), -1);

  EXPECT_TRUE(File_Delete(base + "OTHER.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "other.txt"));
  EXPECT_FALSE(File_Delete(base + "other.txt"));
  EXPECT_FALSE(File_Delete(base + "data"));
  EXPECT_FALSE(Directory_Remove(base + "data"));  // not empty
  EXPECT_TRUE(Directory_Remove(base + "a\\b\\C"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "a" / "b" / "c"));
}

TEST(Io, FileAgePacksLocalTime) {
  TTemp_Dir dir;
  Write_File(dir.path() / "f.txt", "x");
  std::tm t{};
  t.tm_year = 2021 - 1900;
  t.tm_mon = 5;  // June
  t.tm_mday = 14;
  t.tm_hour = 13;
  t.tm_min = 45;
  t.tm_sec = 31;
  t.tm_isdst = -1;
  std::time_t when = std::mktime(&t);
  std::filesystem::last_write_time(
      dir.path() / "f.txt",
      std::filesystem::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(when)));
  std::int32_t age = File_Age(dir.design() + "f.txt");
  std::int32_t expected = ((2021 - 1980) << 25) | (6 << 21) | (14 << 16) | (13 << 11) | (45 << 5) | 15;
  EXPECT_EQ(age, expected);
}
