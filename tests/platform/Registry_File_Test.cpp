#include "Registry_File.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "Errors.h"
#include "Test_Support.h"

namespace {
TRegistry_Value Integer(const std::string& name, std::uint32_t v) {
  TRegistry_Value r;
  r.name = name;
  r.type = TRegistry_Type::Integer;
  r.integer = v;
  return r;
}

TRegistry_Value Text(const std::string& name, const std::string& v) {
  TRegistry_Value r;
  r.name = name;
  r.type = TRegistry_Type::Text;
  r.bytes = v;
  return r;
}

TRegistry_Value Binary(const std::string& name, const std::string& v) {
  TRegistry_Value r = Text(name, v);
  r.type = TRegistry_Type::Binary;
  return r;
}

void Expect_Same(const TRegistry_Value& a, const TRegistry_Value& b) {
  EXPECT_EQ(a.name, b.name);
  EXPECT_EQ(a.type, b.type) << a.name;
  EXPECT_EQ(a.integer, b.integer) << a.name;
  EXPECT_EQ(a.bytes, b.bytes) << a.name;
}
}  // namespace

TEST(Registry_File, RoundTripKeepsEveryTypeAndOrder) {
  TTemp_Dir dir;
  std::string file = (dir.path() / "cfg" / "globarch" / "registry.ini").string();
  const std::vector<TRegistry_Value> values = {
      Integer("Zero", 0),
      Integer("All Bits", 0xFFFFFFFFu),
      Integer("Hundred", 100),
      Text("Empty", ""),
      Text("Escapes", "a \"quoted\" C:\\games\\ line\nnext\r\ttab"),
      Text("Utf8 Z\xC3\xBCrich", "Z\xC3\xBCrich \xE2\x82\xAC"),
      Binary("Real", std::string("\x00\x00\x00\x00\x00\x00\xe0\x3f", 8)),
      Binary("No Bytes", ""),
  };
  TRegistry_File reg;
  for (const auto& v : values) reg.m_Set("Software\\Kestrune\\Globarch", v);
  reg.m_Create_Key("Software\\Empty Key");
  reg.m_Save(file);

  TRegistry_File back;
  back.m_Load(file);
  EXPECT_EQ(back.m_Bad_Lines(), 0);
  auto read = back.m_Values("software\\KESTRUNE\\globarch");
  ASSERT_EQ(read.size(), values.size());
  for (std::size_t i = 0; i < values.size(); ++i) Expect_Same(read[i], values[i]);
  EXPECT_TRUE(back.m_Key_Exists("Software\\Empty Key"));
  EXPECT_TRUE(back.m_Key_Exists("SOFTWARE"));
  EXPECT_FALSE(back.m_Key_Exists("Software\\Other"));
  // No temporary file is left beside it.
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path() / "cfg" / "globarch")) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

TEST(Registry_File, WrittenText) {
  TRegistry_File reg;
  reg.m_Set("Software\\Kestrune\\Globarch", Integer("Sound Volume Level", 100));
  reg.m_Set("Software\\Kestrune\\Globarch", Text("Last Savegame Dir", "C:\\save \"1\""));
  reg.m_Set("Software\\Kestrune\\Globarch", Binary("Brightness Increase", std::string("\x00\x01\xff", 3)));
  // A later write replaces the value in place and keeps the first spelling.
  reg.m_Set("Software\\Kestrune\\Globarch", Integer("SOUND VOLUME LEVEL", 70));
  EXPECT_EQ(reg.m_Format(),
            "; Globarch registry: the game's stored options.\n"
            "\n[Software\\Kestrune\\Globarch]\n"
            "\"Sound Volume Level\"=dword:00000046\n"
            "\"Last Savegame Dir\"=\"C:\\\\save \\\"1\\\"\"\n"
            "\"Brightness Increase\"=hex:00,01,ff\n");
}

TEST(Registry_File, DamagedLinesAreSkippedAndCounted) {
  struct Row {
    const char* text;
    int bad;
    std::vector<std::string> names;  // values that load, in order
  } rows[] = {
      {"[K]\n\"A\"=dword:1\n\"B\"=dword:00000002\r\n", 0, {"A", "B"}},
      {"\"A\"=dword:1\n[K]\n\"B\"=dword:2\n", 1, {"B"}},                      // a value before any key
      {"[K]\n\"A\"=dword:123456789\n\"B\"=dword:2\n", 1, {"B"}},              // nine digits
      {"[K]\n\"A\"=dword:xyz\n\"B\"=dword:\n\"C\"=dword:7\n", 2, {"C"}},      // not hexadecimal, empty
      {"[K]\n\"A\"=\"open\n\"B\"=\"x\\qy\"\n\"C\"=\"ok\"\n", 2, {"C"}},       // unterminated, unknown escape
      {"[K]\n\"A\"=\"x\" tail\n\"B\"=hex:0g\n\"C\"=hex:1,2\n", 3, {}},        // text after a text, bad bytes
      {"[K]\n\"A\"=word:1\nA=dword:1\n\"B\"\n", 3, {}},                       // unknown type, no quotes, no =
      {"[K\n\"A\"=dword:1\n[K]\n\"B\"=dword:2\n", 2, {"B"}},                  // a broken key loses its values
      {"[K]\n\"A\"=\"\xff\xfe\"\n\"B\"=dword:2\n", 1, {"B"}},                 // not UTF-8
      {"\xEF\xBB\xBF; comment\n\n  [K]  \n  \"A\" = dword:1  \n", 0, {"A"}},  // mark, blanks and comments
      {"\x01\x02\x03\x00\x7f garbage", 1, {}},
      {"", 0, {}},
  };
  for (const Row& row : rows) {
    TRegistry_File reg;
    reg.m_Parse(row.text);
    EXPECT_EQ(reg.m_Bad_Lines(), row.bad) << row.text;
    std::vector<std::string> names;
    for (const auto& v : reg.m_Values("K")) names.push_back(v.name);
    EXPECT_EQ(names, row.names) << row.text;
  }
}

TEST(Registry_File, SavingADamagedFileKeepsItAsBad) {
  TTemp_Dir dir;
  std::filesystem::path file = dir.path() / "registry.ini";
  const std::string damaged = "[Software\\Kestrune\\Globarch]\n\"Vsync\"=dword:1\n\"Broken\"=dwo";
  Write_File(file, damaged);
  TRegistry_File reg;
  reg.m_Load(file.string());
  EXPECT_EQ(reg.m_Bad_Lines(), 1);
  ASSERT_NE(reg.m_Find("Software\\Kestrune\\Globarch", "vsync"), nullptr);
  reg.m_Set("Software\\Kestrune\\Globarch", Integer("Windowed", 1));
  reg.m_Save(file.string());
  EXPECT_EQ(Read_File(dir.path() / "registry.ini.bad"), damaged);
  TRegistry_File back;
  back.m_Load(file.string());
  EXPECT_EQ(back.m_Bad_Lines(), 0);
  EXPECT_EQ(back.m_Values("Software\\Kestrune\\Globarch").size(), 2u);
}

TEST(Registry_File, MissingFileIsEmptyAndUnwritableFileFails) {
  TTemp_Dir dir;
  TRegistry_File reg;
  reg.m_Load((dir.path() / "none.ini").string());
  EXPECT_TRUE(reg.m_Values("Software").empty());
  EXPECT_TRUE(reg.m_Key_Exists(""));
  // A plain file where the folder should be.
  Write_File(dir.path() / "blocked", "x");
  reg.m_Set("K", Integer("A", 1));
  EXPECT_THROW(reg.m_Save((dir.path() / "blocked" / "registry.ini").string()), EInOutError);
  // A folder cannot be read as the file.
  std::filesystem::create_directories(dir.path() / "folder.ini");
  EXPECT_THROW(reg.m_Load((dir.path() / "folder.ini").string()), EInOutError);
}

TEST(Registry_File, PathFollowsTheConfigFolder) {
  const char* saved_xdg = std::getenv("XDG_CONFIG_HOME");
  const char* saved_home = std::getenv("HOME");
  std::string xdg = saved_xdg ? saved_xdg : "", home = saved_home ? saved_home : "";
  setenv("HOME", "/home/player", 1);
  setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(Registry_File_Path(), "/cfg/globarch/registry.ini");
  setenv("XDG_CONFIG_HOME", "relative", 1);
  EXPECT_EQ(Registry_File_Path(), "/home/player/.config/globarch/registry.ini");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(Registry_File_Path(), "/home/player/.config/globarch/registry.ini");
  if (saved_xdg) setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
  if (saved_home)
    setenv("HOME", home.c_str(), 1);
  else
    unsetenv("HOME");
}
