#include "Debug_Log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>

#include "Datafile_DebugSettings.h"
#include "Global.h"
#include "Shell_Services.h"
#include "Test_Support.h"

namespace {
// The log in a temporary user folder; the debug switches restored after.
class Debug_Log_Test : public ::testing::Test {
 protected:
  void SetUp() override {
    f_saved_user = User_Folder;
    User_Folder = f_user.design();
    std::filesystem::create_directories(f_user.path() / "Backup");
    Free_Debug_Settings();
    std::copy(std::begin(Debug_Sections), std::end(Debug_Sections), f_saved_sections);
    f_saved_enabled = Debug_Enabled;
  }
  void TearDown() override {
    Free_Debug_Settings();
    User_Folder = f_saved_user;
    std::copy(std::begin(f_saved_sections), std::end(f_saved_sections), Debug_Sections);
    Debug_Enabled = f_saved_enabled;
    Set_Shell_Services(nullptr);
  }
  std::filesystem::path Log_Path() const { return f_user.path() / "Backup" / "Globarch_Log.txt"; }
  std::vector<std::string> Log_Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(Read_File(Log_Path()));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // A DebugSettings.txt with the given lines between the framing.
  std::string Settings_File(const std::string& body) {
    std::filesystem::path p = f_user.path() / "userdata" / "DebugSettings.txt";
    Write_File(p, "Test file\n*BEGIN*\nDebug Settings\nA test record.\n" + body + "*END*\n");
    return p.string();
  }
  static std::string All_Keys(bool generate, bool fast, int only_section) {
    static const char* const names[13] = {"Engine Startup", "Sound Base", "Display Class", "Formula Evaluation",
                                          "Map Creation",   "AI",         "Combat",        "Main Drawing Loop",
                                          "Politics",       "Windows",    "Save Load",     "Master Action Timer",
                                          "Multiplayer"};
    std::string s = std::string("Generate Game Debug Log := ") + (generate ? "Yes" : "No") + "\n";
    s += "Generate Engine Debug Log := No\n";
    s += std::string("Use Fast Debug Log := ") + (fast ? "Yes" : "No") + "\n";
    for (int i = 0; i < 13; ++i)
      s += std::string("Debug Section ") + names[i] + " := " + (only_section < 0 || only_section == i ? "Yes" : "No") +
           "\n";
    return s;
  }

  TTemp_Dir f_user;
  std::string f_saved_user;
  bool f_saved_sections[16] = {};
  bool f_saved_enabled = false;
};

std::string Without(std::string text, const std::string& part) { return text.erase(text.find(part), part.size()); }

std::tm Date(int year, int month, int day, int h, int m, int s) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = h;
  t.tm_min = m;
  t.tm_sec = s;
  return t;
}

class TFrame_Shell : public TShell_Services {
 public:
  bool m_Main_Screen_Exists() const override { return true; }
  double m_Latest_Frame_Time() const override { return 12.34567; }
};

bool Digits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether a log line is "yy.mm.dd hh.mm.ss <time> <text>" with the given
// text, and the time whole milliseconds (direct) or seconds with four
// decimals (fast).
bool Is_Line(const std::string& line, bool fast, const std::string& text) {
  const std::string shape = "dd.dd.dd dd.dd.dd ";
  if (line.size() < shape.size()) return false;
  for (std::size_t i = 0; i < shape.size(); ++i)
    if (shape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(line[i])) : line[i] != shape[i]) return false;
  std::size_t blank = line.find(' ', shape.size());
  if (blank == std::string::npos || line.substr(blank + 1) != text) return false;
  std::string time = line.substr(shape.size(), blank - shape.size());
  if (!fast) return Digits(time);
  std::size_t point = time.find('.');
  return point != std::string::npos && Digits(time.substr(0, point)) && time.size() - point == 5 &&
         Digits(time.substr(point + 1));
}
}  // namespace

TEST_F(Debug_Log_Test, LineFormats) {
  struct Row {
    std::string line, expected;
  } rows[] = {
      {Debug_Log_Direct_Line(Date(2026, 3, 3, 14, 5, 9), 123456, "Hello"), "26.03.03 14.05.09 123456 Hello"},
      {Debug_Log_Direct_Line(Date(2000, 12, 31, 0, 0, 0), 0, ""), "00.12.31 00.00.00 0 "},
      {Debug_Log_Direct_Line(Date(2099, 1, 1, 23, 59, 59), 4294967295u, "x"), "99.01.01 23.59.59 4294967295 x"},
      {Debug_Log_Fast_Line(Date(2026, 3, 3, 14, 5, 9), 12.5, "Hello"), "26.03.03 14.05.09 12.5000 Hello"},
      {Debug_Log_Fast_Line(Date(2026, 3, 3, 14, 5, 9), 123456, "Hello"), "26.03.03 14.05.09 123456.0000 Hello"},
      {Debug_Log_Fast_Line(Date(2026, 3, 3, 14, 5, 9), 0.00005, "r"), "26.03.03 14.05.09 0.0001 r"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.line, row.expected);
}

TEST_F(Debug_Log_Test, DirectModeAppendsOneLinePerWrite) {
  Debug_Log_Write("First");
  Debug_Log_Write("Second line");
  auto lines = Log_Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(Is_Line(lines[0], false, "First")) << lines[0];
  EXPECT_TRUE(Is_Line(lines[1], false, "Second line")) << lines[1];
}

TEST_F(Debug_Log_Test, FastModeWritesEveryHundredLines) {
  Settings_File(All_Keys(true, true, -1));
  ASSERT_TRUE(Load_Debug_Settings_File((f_user.path() / "userdata" / "DebugSettings.txt").string(), nullptr));
  ASSERT_TRUE(Debug_Settings->f_use_fast_debug_log);
  for (int i = 1; i <= 99; ++i) Debug_Log_Write("line " + std::to_string(i));
  EXPECT_FALSE(std::filesystem::exists(Log_Path()));
  EXPECT_EQ(Debug_Settings->m_Get_Fast_Log_Count(), 99);
  Debug_Log_Write("line 100");
  EXPECT_EQ(Debug_Settings->m_Get_Fast_Log_Count(), 0);
  auto lines = Log_Lines();
  ASSERT_EQ(lines.size(), 100u);
  for (int i = 0; i < 100; ++i)
    EXPECT_TRUE(Is_Line(lines[std::size_t(i)], true, "line " + std::to_string(i + 1))) << lines[std::size_t(i)];
  // Once the main window exists, the time is that of the latest frame.
  TFrame_Shell shell;
  Set_Shell_Services(&shell);
  for (int i = 1; i <= 5; ++i) Debug_Log_Write("more " + std::to_string(i));
  EXPECT_EQ(Log_Lines().size(), 100u);
  Free_Debug_Settings();
  lines = Log_Lines();
  ASSERT_EQ(lines.size(), 105u);
  EXPECT_TRUE(Is_Line(lines[104], true, "more 5")) << lines[104];
  EXPECT_EQ(lines[104].substr(18), "12.3457 more 5");
  // Without debug settings the log writes directly again.
  Debug_Log_Write("direct");
  EXPECT_EQ(Log_Lines().size(), 106u);
}

TEST_F(Debug_Log_Test, BannerLines) {
  Debug_Log_Write_Banner("/opt/globarch/bin/globarch");
  auto lines = Log_Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(
      Is_Line(lines[0], false, "***************** /opt/globarch/bin/globarch - New Execution *****************"))
      << lines[0];
  EXPECT_TRUE(Is_Line(lines[1], false, "***************** Game Version: 1.09 *****************")) << lines[1];
}

TEST_F(Debug_Log_Test, WriteErrorsAreSwallowed) {
  std::filesystem::remove_all(f_user.path() / "Backup");
  EXPECT_NO_THROW(Debug_Log_Write("lost"));
  EXPECT_NO_THROW({
    Debug_Log_Begin();
    Debug_Log_Write_Raw("lost too");
    Debug_Log_End();
  });
  EXPECT_FALSE(std::filesystem::exists(Log_Path()));
}

TEST_F(Debug_Log_Test, LoadingTheSettingsSetsTheSections) {
  struct Row {
    const char* what;
    std::string body;
    bool result;
    std::vector<std::string> errors;
    bool enabled;
    int section_on;  // the one section on, -1 for none
  } rows[] = {
      {"generate off, every section on", All_Keys(false, false, -1), true, {}, false, -1},
      {"generate on, only combat", All_Keys(true, false, 6), true, {}, true, 6},
      {"generate on, no section", All_Keys(true, false, 99), true, {}, false, -1},
      {"fast switch missing",
       Without(All_Keys(true, false, 10), "Use Fast Debug Log := No\n"),
       false,
       {"Could not find field \"Use Fast Debug Log\" in record \"Debug Settings\"."},
       true,
       10},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::fill(std::begin(Debug_Sections), std::end(Debug_Sections), false);
    Debug_Enabled = false;
    std::vector<std::string> errors;
    EXPECT_EQ(Load_Debug_Settings_File(Settings_File(row.body), &errors), row.result);
    EXPECT_EQ(errors, row.errors);
    EXPECT_EQ(Debug_Enabled, row.enabled);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(Debug_Sections[i], i == row.section_on) << i;
  }
  // With the game log off the switches keep what they held.
  Debug_Sections[3] = true;
  Debug_Enabled = true;
  EXPECT_TRUE(Load_Debug_Settings_File(Settings_File(All_Keys(false, false, 6)), nullptr));
  EXPECT_TRUE(Debug_Sections[3]);
  EXPECT_FALSE(Debug_Sections[6]);
  EXPECT_TRUE(Debug_Enabled);
  // A missing file leaves every switch of the settings off.
  EXPECT_TRUE(Load_Debug_Settings_File((f_user.path() / "none.txt").string(), nullptr));
  ASSERT_NE(Debug_Settings, nullptr);
  EXPECT_FALSE(Debug_Settings->f_generate_game_debug_log);
  EXPECT_FALSE(Debug_Settings->f_use_fast_debug_log);
  // The optional switches are read and kept.
  EXPECT_TRUE(Load_Debug_Settings_File(
      Settings_File(All_Keys(false, false, -1) + "Disable Gamma Control := Yes\nDisable DC Main Draw UI 3D Elements := "
                                                 "Yes\n"),
      nullptr));
  EXPECT_TRUE(Debug_Settings->f_disable_gamma_control);
  EXPECT_TRUE(Debug_Settings->f_disable_dc_main_draw_ui_3d_elements);
  EXPECT_FALSE(Debug_Settings->f_disable_help_text);
}
