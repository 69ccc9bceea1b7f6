#include <gtest/gtest.h>

#include <cmath>

#include "DataFile_Base_Loader.h"
#include "Debug_Log.h"
#include "Global.h"
#include "Shell_Services.h"
#include "Test_Support.h"

namespace {
// Records, per record, its number and the probed fields it holds.
class TProbe_Loader : public TData_File_Loader {
 public:
  TProbe_Loader(const std::string& file, std::vector<std::string> probes)
      : TData_File_Loader(file), f_probes(std::move(probes)) {}
  std::vector<std::string> records;
  std::vector<std::string> events;
  int throw_at = 0;

 protected:
  void m_Before_First_Record() override { events.push_back("before"); }
  void m_After_Last_Record() override { events.push_back("after"); }
  void m_Load_Record(std::int32_t n) override {
    if (n == throw_at) throw std::runtime_error("record routine failed on purpose");
    std::string r = std::to_string(n) + ":";
    for (const std::string& p : f_probes) {
      std::string v;
      if (m_Get_Field(p, v, false)) r += " " + p + "=" + v;
    }
    records.push_back(r);
  }

 private:
  std::vector<std::string> f_probes;
};

const std::string Head = "Title line\r\n*BEGIN*\r\nskipped 1\r\nskipped 2\r\n";

}  // namespace

TEST(DataFile_Parser, Framing) {
  struct Row {
    const char* what;
    std::string text;
    std::vector<std::string> probes;
    std::vector<std::string> records;
    std::vector<std::string> errors;
  } rows[] = {
      {"two records",
       Head + "A := 1\r\nB:=2\r\n\r\nA := 3\r\n*END*\r\nA := 9\r\n",
       {"A", "B"},
       {"1: A=1 B=2", "2: A=3"},
       {}},
      {"lines before *BEGIN* and the two after it",
       "A := 0\n*BEGIN* here\nA := 1\nA := 2\nA := 3\n",
       {"A"},
       {"1: A=3"},
       {}},
      {"*BEGIN* followed by two lines", "x\n*BEGIN*\nA := 1\nA := 2\n", {"A"}, {}, {}},
      {"*BEGIN* as the last line", "*BEGIN*", {"A"}, {}, {}},
      {"no *BEGIN*", "A := 1\nB := 2\n", {"A"}, {}, {"Cannot find *BEGIN*"}},
      {"*END* before *BEGIN*", "*END*\n*BEGIN*\n\n\nA := 1\n", {"A"}, {}, {"Cannot find *BEGIN*"}},
      {"*BEGIN* and *END* on one line", "*BEGIN* *END*\n\n\nA := 1\n", {"A"}, {}, {"Cannot find *BEGIN*"}},
      {"empty file", "", {"A"}, {}, {"Cannot find *BEGIN*"}},
      {"blanks around the parts",
       Head + "  Name   :=   Value  \nOther:=x\n\tTab\t:=\tt\t\n",
       {"Name", "Other", "Tab"},
       {"1: Name=Value Other=x Tab=t"},
       {}},
      {"later := stay in the value", Head + "A := b := c\n", {"A"}, {"1: A=b := c"}, {}},
      {"// fields, comments and separators",
       Head + "// Speed := 3\n// note\nA := 1\n// another note\nB := 2\nnote\nA := 5\n",
       {"// Speed", "A", "B"},
       {"1: // Speed=3 A=1 B=2", "2: A=5"},
       {}},
      {"blank and comment lines between records",
       Head + "A := 1\n\n\n\n// comment\nA := 2\n",
       {"A"},
       {"1: A=1", "2: A=2"},
       {}},
      {"a field without a name ends the record", Head + "A := 1\n := lost\nA := 2\n", {"A"}, {"1: A=1", "2: A=2"}, {}},
      {"a field named // is not a field", Head + "// := x\nA := 1\n", {"//", "A"}, {"1: A=1"}, {}},
      {"the first of two names counts, ignoring case",
       Head + "speed := 1\nSPEED := 2\n",
       {"Speed"},
       {"1: Speed=1"},
       {}},
      {"*END* inside a value ends the data",
       Head + "A := 1\nTitle := *END* of days\nB := 2\n",
       {"A", "Title", "B"},
       {"1: A=1"},
       {}},
      {"no *END*: the last line is data", Head + "A := 1\nB := 2", {"A", "B"}, {"1: A=1 B=2"}, {}},
      {"CR line ends", "x\r*BEGIN*\r1\r2\rA := 1\r\rA := 2\r", {"A"}, {"1: A=1", "2: A=2"}, {}},
      {"LF line ends with a blank last line", Head + "A := 1\n\n", {"A"}, {"1: A=1"}, {}},
      {"code-page lines become UTF-8",
       Head + "A := caf\xE9\nB := caf\xC3\xA9\n",
       {"A", "B"},
       {"1: A=caf\xC3\xA9 B=caf\xC3\xA9"},
       {}},
  };
  TTemp_Dir dir;
  for (const Row& r : rows) {
    Write_File(dir.path() / "Test.txt", r.text);
    TProbe_Loader loader(dir.design() + "Test.txt", r.probes);
    loader.m_Load();
    EXPECT_EQ(loader.records, r.records) << r.what;
    EXPECT_EQ(loader.m_Get_Errors(), r.errors) << r.what;
    EXPECT_EQ(loader.events, (std::vector<std::string>{"before", "after"})) << r.what;
  }
}

TEST(DataFile_Loader, MissingFileGivesOneLineAndNoCalls) {
  TTemp_Dir dir;
  std::string name = dir.design() + "Missing.txt";
  TProbe_Loader loader(name, {});
  loader.m_Load();
  EXPECT_EQ(loader.m_Get_Errors(), (std::vector<std::string>{"Unable to load data file: \"" + name + "\"."}));
  EXPECT_TRUE(loader.events.empty());
  EXPECT_TRUE(loader.records.empty());
}

TEST(DataFile_Loader, ARaisingRecordRoutineAbortsTheFileAndLogsTheCause) {
  TTemp_Dir dir;
  std::string saved_user = User_Folder;
  User_Folder = dir.design();
  std::filesystem::create_directories(dir.path() / "Backup");
  Write_File(dir.path() / "Units.txt", Head + "A := 1\n\nA := 2\n\nA := 3\n");
  std::string name = dir.design() + "Units.txt";
  TProbe_Loader loader(name, {"A"});
  loader.throw_at = 2;
  loader.m_Load();
  EXPECT_EQ(loader.records, (std::vector<std::string>{"1: A=1"}));
  EXPECT_EQ(loader.events, (std::vector<std::string>{"before"}));  // no after-last call
  EXPECT_EQ(loader.m_Get_Errors(), (std::vector<std::string>{"Unable to load data file: \"" + name + "\"."}));
  std::string log = Read_File(dir.path() / "Backup" / "Globarch_Log.txt");
  EXPECT_NE(log.find("record routine failed on purpose"), std::string::npos) << log;
  User_Folder = saved_user;
}

namespace {
// Reads fields the way real loaders do and reports as they do.
class TReport_Loader : public TData_File_Loader {
 public:
  using TData_File_Loader::TData_File_Loader;
  std::vector<std::string> got;

 protected:
  void m_Load_Record(std::int32_t n) override {
    std::string v;
    if (n == 2) m_Set_Record_Name("Tank");
    m_Get_Field("Missing Required", v, true);
    m_Get_Field("Missing Optional", v, false);
    got.push_back(v);
    if (m_Get_Field("KIND", v, true)) m_Report_Unknown_Value(v, "Kind");
    TData_File_Callbacks cb;
    m_Get_Callbacks(cb);
    if (cb.m_Get_Field("formula", v, false)) cb.m_Report_Formula_Error(v, "Formula", "Unknown word \"foo\"");
    cb.m_Add_Error("own line");
    cb.m_Report_Unknown_Value("x", "Y");
  }
};
}  // namespace

TEST(DataFile_Loader, ErrorLines) {
  TTemp_Dir dir;
  Write_File(dir.path() / "T.txt", Head + "Kind := Flying\nFormula := 1 +\n\nName := Tank\nKind := Walking\n");
  TReport_Loader loader(dir.design() + "T.txt");
  loader.m_Load();
  EXPECT_EQ(loader.got, (std::vector<std::string>{"", ""}));
  std::vector<std::string> expect = {
      "Could not find field \"Missing Required\" in record 1.",
      "Unknown value \"Flying\" for Kind in record \"1\".",
      "Could not parse formula \"1 +\" for Formula in record \"1\".",
      "Unknown word \"foo\"",
      "own line",
      "Unknown value \"x\" for Y in record \"1\".",
      "Could not find field \"Missing Required\" in record \"Tank\".",
      "Unknown value \"Walking\" for Kind in record \"Tank\".",
      "own line",
      "Unknown value \"x\" for Y in record \"Tank\".",
  };
  EXPECT_EQ(loader.m_Get_Errors(), expect);
}

TEST(DataFile_Converters, Booleans) {
  struct Row {
    const char* text;
    bool value;
  } rows[] = {{"TRUE", true}, {"true", true}, {"Yes", true},    {"yes", true},   {"Y", false},
              {"1", false},   {"", false},    {"FALSE", false}, {"truey", false}};
  for (const Row& r : rows) EXPECT_EQ(Datafile_Value_To_Boolean(r.text), r.value) << r.text;
}

TEST(DataFile_Converters, Numbers) {
  struct Row {
    const char* text;
    std::int32_t integer;
    std::uint16_t word;
    std::uint8_t byte;
    float single;
  } rows[] = {
      {"0", 0, 0, 0, 0.0f},
      {"255", 255, 255, 255, 255.0f},
      {"256", 256, 256, 0, 256.0f},
      {"-1", -1, 0, 0, -1.0f},
      {"1,000", 1000, 1000, 0, 1000.0f},
      {"65535", 65535, 65535, 0, 65535.0f},
      {"65536", 65536, 0, 0, 65536.0f},
      {"  12", 12, 12, 12, 12.0f},
      {"12 ", 0, 0, 0, 12.0f},
      {"2.5", 0, 0, 0, 2.5f},
      {"-0.125", 0, 0, 0, -0.125f},
      {"1,234.5", 0, 0, 0, 1234.5f},
      {"abc", 0, 0, 0, 0.0f},
      {"", 0, 0, 0, 0.0f},
      {"2147483647", 2147483647, 0, 0, 2147483648.0f},
      {"2147483648", 0, 0, 0, 2147483648.0f},
      {"1e39", 0, 0, 0, 0.0f},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Datafile_Value_To_Integer(r.text), r.integer) << r.text;
    EXPECT_EQ(Datafile_Value_To_Word(r.text), r.word) << r.text;
    EXPECT_EQ(Datafile_Value_To_Byte(r.text), r.byte) << r.text;
    EXPECT_EQ(Datafile_Value_To_Single(r.text), r.single) << r.text;
  }
  EXPECT_EQ(Datafile_Value_To_String("  as is "), "  as is ");
}

TEST(DataFile_Converters, Colors) {
  struct Row {
    const char* text;
    std::uint8_t r, g, b;
  } rows[] = {
      {"255,0,0", 255, 0, 0},
      {"1,2,3", 1, 2, 3},
      {" 10, 20, 30", 10, 20, 30},
      {"0, 128 ,255", 0, 0, 255},
      {"300,2,3", 0, 2, 3},
      {"7", 0, 0, 7},
      {"7,8", 7, 0, 8},
      {"a,b,c", 0, 0, 0},
      {"1,2,3,4", 1, 2, 34},  // blue is "3,4", read without its comma
      {"", 0, 0, 0},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Datafile_Value_To_RGB(r.text), std::uint32_t(r.r) + 256u * r.g + 65536u * r.b) << r.text;
    EXPECT_EQ(Datafile_Value_To_Color(r.text), Make_Color(r.r, r.g, r.b, 255)) << r.text;
  }
  EXPECT_EQ(Datafile_Value_To_Color("255,0,0"), 0xFFFF0000u);
  EXPECT_EQ(Datafile_Value_To_RGB("255,0,0"), 255u);
}

TEST(DataFile_Converters, Vectors) {
  struct Row {
    const char* text;
    float x, y, z;
  } rows[] = {
      {"1, 2, 3", 1, 2, 3},    {"1.5,-2,0.25", 1.5f, -2, 0.25f}, {"1.5, (2, 3), 4", 1.5f, 0, 4},
      {"1, 2", 0, 0, 0},       {"(1, 2, 3)", 0, 0, 0},           {"1, x, 3", 1, 0, 3},
      {"1, 2, 3, 4", 1, 2, 0},  // the rest after the second comma is z
      {"", 0, 0, 0},
  };
  for (const Row& r : rows) {
    TVector v = Datafile_Value_To_Vector(r.text);
    EXPECT_EQ(v.x, r.x) << r.text;
    EXPECT_EQ(v.y, r.y) << r.text;
    EXPECT_EQ(v.z, r.z) << r.text;
  }
}

TEST(DataFile_Report, ToOwnerDialogOrMainWindow) {
  struct TOwner : TList_Dialog_Owner {
    std::vector<std::string> got;
    void m_Show_List(const std::vector<std::string>& rows, const std::string& title,
                     const std::string& subtitle) override {
      got.push_back(title + "|" + subtitle + "|" + std::to_string(rows.size()));
    }
  } owner;
  TShell_Recorder sink;
  std::vector<std::string> errors = {"Cannot find *BEGIN*", "second"};
  Report_Datafile_Error(errors, "Game Settings Data File", "data\\gamesettings.txt", &owner);
  EXPECT_EQ(owner.got, (std::vector<std::string>{"Game Settings Data File|data\\gamesettings.txt|2"}));
  EXPECT_TRUE(sink.shown.empty());
  Report_Datafile_Error(errors, "Help Text Data File", "data\\helptext.txt", nullptr);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].caption, "Help Text Data File");
  EXPECT_EQ(sink.shown[0].text, "data\\helptext.txt");
  EXPECT_EQ(sink.shown[0].rows, errors);

  Show_Data_File_Error({"e1"}, "Bad sounds", "data\\SoundEffects.txt");
  ASSERT_EQ(sink.shown.size(), 2u);
  EXPECT_EQ(sink.shown[1].caption, "Data File Error");
  EXPECT_EQ(sink.shown[1].text, "");
  EXPECT_EQ(sink.shown[1].rows, (std::vector<std::string>{"Bad sounds", "Filename: data\\SoundEffects.txt",
                                                          "-------------------------", "e1"}));
}

TEST(DataFile_Report, BeforeTheMainScreenListsAreLoggedAndHeld) {
  TTemp_Dir dir;
  std::string saved_user = User_Folder;
  User_Folder = dir.design();
  std::filesystem::create_directories(dir.path() / "Backup");
  Take_Held_Reports();
  Debug_Enabled = true;
  Report_Datafile_Error({"Could not find field \"Allow Music\" in record \"User Settings\"."},
                        "User Settings Data File", "userdata\\usersettings.txt", nullptr);
  Debug_Enabled = false;
  std::vector<THeld_Report> held = Take_Held_Reports();
  ASSERT_EQ(held.size(), 1u);
  EXPECT_TRUE(held[0].is_list);
  EXPECT_EQ(held[0].caption, "User Settings Data File");
  std::string log = Read_File(dir.path() / "Backup" / "Globarch_Log.txt");
  EXPECT_NE(log.find(" Datafile Error: userdata\\usersettings.txt\n"), std::string::npos) << log;
  EXPECT_NE(log.find("   Could not find field \"Allow Music\" in record \"User Settings\".\n"), std::string::npos)
      << log;
  User_Folder = saved_user;
}
