#include "GameStringRegistry.h"

#include <gtest/gtest.h>

#include <functional>

#include "Errors.h"
#include "Test_Support.h"

namespace {
class Game_String_Registry_Test : public ::testing::Test {
 protected:
  std::string File() const { return (f_dir.path() / "registry.ini").string(); }
  // Opens Software\Kestrune\Globarch.
  static bool Open(TGameString_Registry& r, bool create) {
    return r.m_Open_Key("Software", create) && r.m_Open_Key("Kestrune", create) && r.m_Open_Key("Globarch", create);
  }
  TTemp_Dir f_dir;
};
}  // namespace

TEST_F(Game_String_Registry_Test, ValuesRoundTripThroughTheFile) {
  {
    TGameString_Registry r(File());
    EXPECT_FALSE(r.m_Open_Key("Software", false));
    ASSERT_TRUE(Open(r, true));
    r.m_Write_Integer("Resolution Width", -5);
    r.m_Write_String("Adapter Text", "Mesa \xE2\x80\x93 llvmpipe");
    r.m_Write_Float("Brightness Increase", 0.1);
    r.m_Write_Bool("Vsync", true);
    r.m_Write_Bool("Antialiasing", false);
    r.m_Write_Unsigned("Adapter Ordinal", 4000000000);
    // Read back before the file is written.
    EXPECT_EQ(r.m_Read_Integer("resolution width"), -5);
    r.m_Close_Key();
  }
  TGameString_Registry r(File());
  ASSERT_TRUE(Open(r, false));
  EXPECT_TRUE(r.m_Value_Exists("VSYNC"));
  EXPECT_FALSE(r.m_Value_Exists("Windowed"));
  EXPECT_EQ(r.m_Read_Integer("Resolution Width"), -5);
  EXPECT_EQ(r.m_Read_String("Adapter Text"), "Mesa \xE2\x80\x93 llvmpipe");
  EXPECT_EQ(r.m_Read_Float("Brightness Increase"), 0.1);
  EXPECT_TRUE(r.m_Read_Bool("Vsync"));
  EXPECT_FALSE(r.m_Read_Bool("Antialiasing"));
  EXPECT_EQ(static_cast<std::uint32_t>(r.m_Read_Raw_Integer("Adapter Ordinal")), 4000000000u);
  // The path can be opened in one step too, and keys match in any case.
  TGameString_Registry r2(File());
  EXPECT_TRUE(r2.m_Open_Key("software\\kestrune\\GLOBARCH", false));
  EXPECT_EQ(r2.m_Read_Integer("Resolution Width"), -5);
}

TEST_F(Game_String_Registry_Test, WrongTypeAndMissingValuesAreRegistryErrors) {
  {
    TGameString_Registry r(File());
    ASSERT_TRUE(Open(r, true));
    r.m_Write_Integer("Int", 5);
    r.m_Write_String("Text", "5");
    r.m_Write_Float("Real", 5.0);
    r.m_Close_Key();
  }
  // A 4-byte binary value, as another program might leave it.
  std::string text = Read_File(File());
  Write_File(File(), text + "\"Four\"=hex:05,00,00,00\n");

  TGameString_Registry r(File());
  ASSERT_TRUE(Open(r, false));
  using Read = std::function<void()>;
  struct Row {
    const char* what;
    Read read;
    const char* message;
  } rows[] = {
      {"string of an integer", [&] { r.m_Read_String("Int"); }, "Invalid data type for 'Int'"},
      {"integer of a text", [&] { r.m_Read_Integer("Text"); }, "Invalid data type for 'Text'"},
      {"boolean of a text", [&] { r.m_Read_Bool("Text"); }, "Invalid data type for 'Text'"},
      {"integer of a real", [&] { r.m_Read_Integer("Real"); }, "Invalid data type for 'Real'"},
      {"real of an integer", [&] { r.m_Read_Float("Int"); }, "Invalid data type for 'Int'"},
      {"real of 4 bytes", [&] { r.m_Read_Float("Four"); }, "Invalid data type for 'Four'"},
      {"missing string", [&] { r.m_Read_String("None"); }, "Registry value 'None' does not exist"},
      {"missing integer", [&] { r.m_Read_Integer("None"); }, "Registry value 'None' does not exist"},
      {"missing real", [&] { r.m_Read_Float("None"); }, "Registry value 'None' does not exist"},
      {"missing boolean", [&] { r.m_Read_Bool("None"); }, "Registry value 'None' does not exist"},
  };
  for (const Row& row : rows) {
    try {
      row.read();
      ADD_FAILURE() << row.what << ": no error";
    } catch (const ERegistry_Error& e) {
      EXPECT_STREQ(e.what(), row.message) << row.what;
    }
  }
  // The raw read never fails.
  EXPECT_EQ(r.m_Read_Raw_Integer("Int"), 5);
  EXPECT_EQ(r.m_Read_Raw_Integer("Four"), 5);
  EXPECT_EQ(r.m_Read_Raw_Integer("Text"), 0);
  EXPECT_EQ(r.m_Read_Raw_Integer("None"), 0);
  // An unsigned value must fit 0..2^32-1.
  EXPECT_THROW(r.m_Write_Unsigned("Adapter Ordinal", -1), ERangeError);
  EXPECT_THROW(r.m_Write_Unsigned("Adapter Ordinal", 0x100000000LL), ERangeError);
  EXPECT_FALSE(r.m_Value_Exists("Adapter Ordinal"));
}

TEST_F(Game_String_Registry_Test, DamagedFileLoadsWhatItCan) {
  Write_File(File(),
             "[Software\\Kestrune\\Globarch]\n\"Vsync\"=dword:00000001\n\"Windowed\"=dword:zz\n"
             "\x89PNG\x1a binary junk \xff\xff\n\"Play Music\"=dword:0");
  TGameString_Registry r(File());
  ASSERT_TRUE(Open(r, false));
  EXPECT_TRUE(r.m_Read_Bool("Vsync"));
  EXPECT_FALSE(r.m_Value_Exists("Windowed"));
  EXPECT_FALSE(r.m_Read_Bool("Play Music"));
}

TEST_F(Game_String_Registry_Test, WritesOfTwoRegistriesAreBothKept) {
  TGameString_Registry a(File()), b(File());
  ASSERT_TRUE(Open(a, true));
  ASSERT_TRUE(Open(b, true));
  a.m_Write_Integer("A", 1);
  b.m_Write_Integer("B", 2);
  a.m_Close_Key();
  b.m_Close_Key();
  TGameString_Registry r(File());
  ASSERT_TRUE(Open(r, false));
  EXPECT_EQ(r.m_Read_Integer("A"), 1);
  EXPECT_EQ(r.m_Read_Integer("B"), 2);
}

TEST_F(Game_String_Registry_Test, CreatedKeyWithoutValuesIsStored) {
  {
    TGameString_Registry r(File());
    ASSERT_TRUE(Open(r, true));
  }  // committed by the destructor
  TGameString_Registry r(File());
  EXPECT_TRUE(Open(r, false));
  EXPECT_FALSE(r.m_Open_Key("Missing", false));
}
