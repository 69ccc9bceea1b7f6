#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "Debug_Log.h"
#include "Errors.h"
#include "Global.h"
#include "Shell_Services.h"
#include "Test_Support.h"

namespace {
constexpr float kPi = std::numbers::pi_v<float>;

// Sets an environment variable for the length of a test.
class TEnv_Var {
public:
  TEnv_Var(const char* name, const std::string& value) : f_name(name) {
    const char* old = std::getenv(name);
    f_had = old != nullptr;
    if (old) f_old = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~TEnv_Var() {
    if (f_had)
      ::setenv(f_name, f_old.c_str(), 1);
    else
      ::unsetenv(f_name);
  }

private:
  const char* f_name;
  bool f_had = false;
  std::string f_old;
};

// Keeps the folders of the process as they were.
class TFolders_Saved {
public:
  ~TFolders_Saved() {
    Program_Folder = f_program;
    User_Folder = f_user;
  }

private:
  std::string f_program = Program_Folder, f_user = User_Folder;
};
}  // namespace

TEST(Global, RandomSequenceForFixedSeed) {
  Random_Set_Seed(12345);
  const std::int32_t expected[] = {3, 2, 1, 4, 4, 3, 3, 1};
  for (std::int32_t e : expected) EXPECT_EQ(Random_Range(1, 6), e);
  EXPECT_EQ(Random_Get_Seed(), 340655249u);

  Random_Set_Seed(12345);
  EXPECT_EQ(Random_Range(-1000, 1000), -229);
  Random_Set_Seed(12345);
  EXPECT_FLOAT_EQ(Random_Single(2, 5), 3.1560516f);
  Random_Set_Seed(12345);
  EXPECT_EQ(Random_Range_2(1, 6), 3);
}

TEST(Global, RandomRangeEdges) {
  Random_Set_Seed(7);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(Random_Range(5, 5), 5);
  EXPECT_NE(Random_Get_Seed(), 7u);  // equal ends still draw

  // An empty range gives low without a draw.
  Random_Set_Seed(99);
  EXPECT_EQ(Random_Range(10, 3), 10);
  EXPECT_EQ(Random_Get_Seed(), 99u);

  bool seen[8] = {};
  for (int i = 0; i < 600; ++i) {
    std::int32_t v = Random_Range(1, 6);
    ASSERT_GE(v, 1);
    ASSERT_LE(v, 6);
    seen[v] = true;
  }
  for (int v = 1; v <= 6; ++v) EXPECT_TRUE(seen[v]) << v;

  std::int32_t wide = Random_Range(INT32_MIN, INT32_MAX);
  (void)wide;
  // The largest seed gives a real draw just below 1; single rounding must not reach high.
  Random_Set_Seed(1298181734u);  // the next seed is 0xFFFFFFFF
  float near_high = Random_Single(0, 1);
  EXPECT_LT(near_high, 1.0f);
}

TEST(Global, Distances) {
  EXPECT_EQ(Distance_Max(0, 0, -3, 2), 3);
  EXPECT_FLOAT_EQ(Distance_Int(0, 0, 3, 4), 5);
  EXPECT_FLOAT_EQ(Distance_Single(1, 1, 4, 5), 5);
  EXPECT_FLOAT_EQ(Max_Single(-1, 2), 2);
  EXPECT_THROW(Distance_Max(INT32_MIN, 0, INT32_MAX, 0), EIntOverflow);
  EXPECT_FLOAT_EQ(Distance_Int(INT32_MIN, 0, INT32_MAX, 0), 4294967295.0f);
}

TEST(Global, Angles) {
  struct Row {
    float x2, y2, angle;
  } rows[] = {{0, 1, 0}, {1, 0, kPi / 2}, {0, -1, kPi}, {-1, 0, 3 * kPi / 2}, {0, 0, kPi / 2},
              {1, 1, kPi / 4}, {-1, -1, 5 * kPi / 4}};
  for (const Row& r : rows) EXPECT_NEAR(Vector_Angle(0, 0, r.x2, r.y2), r.angle, 1e-5) << r.x2 << "," << r.y2;
  EXPECT_NEAR(Angle_Difference(0.1f, 6.2f), -0.1831853f, 1e-5);
  EXPECT_NEAR(Angle_Difference(6.2f, 0.1f), 0.1831853f, 1e-5);
  EXPECT_NEAR(Angle_Difference(1, 2), 1, 1e-6);
  EXPECT_NEAR(Angle_Difference(0, kPi), kPi, 1e-6);
  EXPECT_NEAR(Angle_Difference(kPi, 0), kPi, 1e-6);
}

TEST(Global, MoneyTexts) {
  struct Row {
    std::int32_t amount;
    const char* text;
  } rows[] = {{0, "0M"},          {999, "999M"},         {1000, "1.00B"},        {1234, "1.23B"},
              {1235, "1.24B"},    {999999, "1000.00B"},  {1000000, "1.00T"},      {1500000, "1.50T"},
              {2500000, "2.50T"}, {-2500, "-2,500M"},    {-1, "-1M"},             {INT32_MAX, "2147.48T"},
              {INT32_MIN, "-2,147,483,648M"}};
  for (const Row& r : rows) EXPECT_EQ(Format_Money(r.amount), r.text) << r.amount;

  struct Row_Single {
    float amount;
    const char* text;
  } singles[] = {{12.5f, "12.5M"}, {12, "12M"},          {0, "0M"},           {999.5f, "999.5M"},
                 {1000, "1.00B"},  {1234.5f, "1.23B"},   {1500000, "1.50T"},  {-2500, "-2,500M"},
                 {-12.5f, "-13M"}, {0.25f, "0.3M"}};
  for (const Row_Single& r : singles) EXPECT_EQ(Format_Money_Single(r.amount), r.text) << r.amount;
}

TEST(Global, OtherTexts) {
  struct Row {
    std::int32_t value;
    const char* text;
  } dates[] = {{20150, "2015.0"}, {20151, "2015.1"}, {0, "0.0"}, {-5, "-0.5"}, {7, "0.7"}};
  for (const Row& r : dates) EXPECT_EQ(Tenths_To_Text(r.value), r.text) << r.value;

  const char* names[] = {"", "Move", "Attack", "Bombard", "", "Transport Load", "Transport Unload", "", "Skip",
                         "Amphibious Assault", ""};
  for (int k = 0; k <= 10; ++k) EXPECT_EQ(Action_Type_Name(std::uint8_t(k)), names[k]) << k;

  EXPECT_EQ(Boolean_To_Text(1, true), "TRUE");
  EXPECT_EQ(Boolean_To_Text(2, false), "FALSE");
  EXPECT_EQ(Boolean_To_Text(3, true), "");
  EXPECT_EQ(Text_Byte_Sum(""), 0);
  EXPECT_EQ(Text_Byte_Sum("AB"), 131);
  EXPECT_EQ(Text_Byte_Sum("\xFF\x01"), 256);
}

TEST(Global, InitSetsFoldersAndPreparesUserFolder) {
  TFolders_Saved saved;
  TTemp_Dir home, user;
  Write_File(home.path() / "data" / "Units.txt", "x");
  Write_File(home.path() / "userdata" / "DebugSettings.txt", "defaults");
  Write_File(home.path() / "userdata" / "UserSettings.txt", "user defaults");
  Write_File(user.path() / "u" / "userdata" / "UserSettings.txt", "mine");
  TEnv_Var h("GLOBARCH_HOME", home.path().string());
  TEnv_Var u("GLOBARCH_USER_DIR", (user.path() / "u").string());
  TEnv_Var s("GLOBARCH_SEED", "4242");
  Debug_Sections[3] = true;
  Debug_Enabled = true;

  EXPECT_TRUE(Global_Init());
  EXPECT_EQ(Program_Folder, home.design());
  EXPECT_EQ(User_Folder, user.design() + "u\\");
  EXPECT_EQ(Random_Get_Seed(), 4242u);
  EXPECT_FALSE(Debug_Enabled);
  EXPECT_FALSE(Debug_Sections[3]);
  for (const char* sub : {"userdata", "currentmap", "maps", "savegames", "temp", "Backup"})
    EXPECT_TRUE(std::filesystem::is_directory(user.path() / "u" / sub)) << sub;
  // Missing defaults are copied; the user's own files are kept.
  EXPECT_EQ(Read_File(user.path() / "u" / "userdata" / "DebugSettings.txt"), "defaults");
  EXPECT_EQ(Read_File(user.path() / "u" / "userdata" / "UserSettings.txt"), "mine");
}

TEST(Global, UserFolderFallsBackToXdgAndHome) {
  TFolders_Saved saved;
  TTemp_Dir home, xdg;
  TEnv_Var h("GLOBARCH_HOME", home.path().string());
  TEnv_Var u("GLOBARCH_USER_DIR", "");
  {
    TEnv_Var x("XDG_DATA_HOME", xdg.path().string());
    Global_Init();
    EXPECT_EQ(User_Folder, xdg.design() + "globarch\\");
    EXPECT_TRUE(std::filesystem::is_directory(xdg.path() / "globarch" / "Backup"));
  }
  TEnv_Var x("XDG_DATA_HOME", "");
  TEnv_Var hm("HOME", xdg.path().string());
  Global_Init();
  EXPECT_EQ(User_Folder, xdg.design() + ".local\\share\\globarch\\");
}

TEST(Global, ShowMessageGoesToTheShell) {
  TFolders_Saved saved;
  TTemp_Dir user;
  User_Folder = user.design();
  Take_Held_Reports();
  Show_Message("Error", "Load file error: x.dat");
  auto held = Take_Held_Reports();
  ASSERT_EQ(held.size(), 1u);
  EXPECT_EQ(held[0].caption, "Error");
  EXPECT_EQ(held[0].text, "Load file error: x.dat");
}
