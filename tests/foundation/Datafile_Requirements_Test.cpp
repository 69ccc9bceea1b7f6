#include "Datafile_Requirements.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "Datafile_Formula_Functions.h"
#include "Datafile_Formula_List.h"
#include "Datafile_Test_Support.h"
#include "Debug_Log.h"
#include "Global.h"
#include "Test_Support.h"

namespace {
// The fields of one record and the lines reported against it, reached
// through the callbacks as a loader would offer them.
struct TRecord {
  std::map<std::string, std::string> fields;
  std::vector<std::string> errors;

  TData_File_Callbacks Callbacks() {
    TData_File_Callbacks c;
    c.m_Get_Field = [this](const std::string& name, std::string& value, bool required) {
      auto it = fields.find(name);
      if (it != fields.end()) {
        value = it->second;
        return true;
      }
      value.clear();
      if (required) errors.push_back("missing " + name);
      return false;
    };
    c.m_Report_Unknown_Value = [this](const std::string& value, const std::string& field) {
      errors.push_back("unknown " + value + " " + field);
    };
    c.m_Add_Error = [this](const std::string& text) { errors.push_back(text); };
    c.m_Report_Formula_Error = [this](const std::string& formula, const std::string& field, const std::string& detail) {
      errors.push_back("formula " + formula + " " + field + ": " + detail);
    };
    c.m_Report_Out_Of_Range = [this](const std::string& value, const std::string& field, std::int64_t low,
                                     std::int64_t high, std::int64_t used) {
      errors.push_back("range " + value + " " + field + " " + std::to_string(low) + ".." + std::to_string(high) + " " +
                       std::to_string(used));
    };
    return c;
  }
};

// What a block's owner is, for the context slot.
class TOwner : public TFormula_Object {};
}  // namespace

class Datafile_Requirements : public TFormula_List_Test {
 protected:
  void SetUp() override {
    TFormula_List_Test::SetUp();
    Formula_List_Create();
  }
};

TEST_F(Datafile_Requirements, LoadsEntries) {
  struct Row {
    const char* what;
    std::map<std::string, std::string> fields;
    std::vector<std::string> errors;
    std::vector<std::string> descriptions;
    std::vector<bool> has_formula;
  } rows[] = {
      {"no key", {}, {"missing Number of Requirements"}, {}, {}},
      {"two entries",
       {{"Number of Requirements", "2"},
        {"Requirement 1 Description", "One"},
        {"Requirement 1 Formula", "1 = 1"},
        {"Requirement 2 Description", "Two"},
        {"Requirement 2 Formula", "[%Level%] > 1"}},
       {},
       {"One", "Two"},
       {true, true}},
      {"second formula does not parse: its entry stays empty",
       {{"Number of Requirements", "2"},
        {"Requirement 1 Description", "One"},
        {"Requirement 1 Formula", "true"},
        {"Requirement 2 Description", "Two"},
        {"Requirement 2 Formula", "max(1)"}},
       {"formula max(1) Requirement 2 Formula: Incorrect number of parameters for function \"max(1)\""},
       {"One", ""},
       {true, false}},
      {"missing description and formula",
       {{"Number of Requirements", "1"}},
       {"missing Requirement 1 Description", "missing Requirement 1 Formula"},
       {""},
       {false}},
      {"count below 16 bits",
       {{"Number of Requirements", "-1"}},
       {"range -1 Number of Requirements 0..65535 0"},
       {},
       {}},
      {"count that is no number", {{"Number of Requirements", "two"}}, {}, {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TRecord record{row.fields, {}};
    TOwner owner;
    TRequirements block(REQUIREMENTS_SLOT_UNIT_TYPE, &owner);
    block.m_Add("left over", 1);
    block.m_Load(record.Callbacks(), true);
    EXPECT_EQ(record.errors, row.errors);
    ASSERT_EQ(block.m_Get_Count(), std::int32_t(row.descriptions.size()));
    for (std::size_t i = 0; i < row.descriptions.size(); ++i) {
      EXPECT_EQ(block.m_Get_Description(std::int64_t(i + 1)), row.descriptions[i]);
      EXPECT_EQ(block.m_Get_Formula_Index(std::int64_t(i + 1)) > 0, row.has_formula[i]);
    }
    EXPECT_EQ(block.m_Get_Description(0), "");
    EXPECT_EQ(block.m_Get_Formula_Index(std::int64_t(row.descriptions.size() + 1)), 0);
  }
}

TEST_F(Datafile_Requirements, CheckAgainstAnEmpire) {
  TRecord record{{{"Number of Requirements", "3"},
                  {"Requirement 1 Description", "Ground"},
                  {"Requirement 1 Formula", "Get_Nation_Tech_Level(\"Ground Units\") >= 2"},
                  {"Requirement 2 Description", "Broken"},
                  {"Requirement 2 Formula", "(1"},
                  {"Requirement 3 Description", "Level"},
                  {"Requirement 3 Formula", "Get_Nation_Tech_Level(\"Sea Units\") + [%level%] >= 3"}},
                 {}};
  TOwner owner;
  TRequirements block(REQUIREMENTS_SLOT_TECH_AREA, &owner);
  block.m_Load(record.Callbacks(), true);
  ASSERT_EQ(record.errors.size(), 1u);
  ASSERT_EQ(block.m_Get_Count(), 3);

  struct Row {
    std::int32_t ground, sea, level;
    bool met;
    int lookups;  // the first entry that fails ends the check
  } rows[] = {
      {0, 0, 0, false, 1}, {2, 0, 0, false, 2}, {2, 3, 0, true, 2}, {2, 1, 2, true, 2}, {5, 0, 2, false, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.ground << " " << row.sea << " " << row.level);
    TEmpire_Stand_In empire;
    empire.levels = {{"Ground Units", row.ground}, {"Sea Units", row.sea}};
    EXPECT_EQ(block.m_Check(&empire, row.level), row.met);
    EXPECT_EQ(empire.lookups, row.lookups);
  }

  // An empty block holds for anyone.
  TRequirements empty(REQUIREMENTS_SLOT_UNIT_TYPE, &owner);
  EXPECT_TRUE(empty.m_Check(nullptr, 0));
}

TEST_F(Datafile_Requirements, AnOverflowIsNotMet) {
  std::int32_t index = 0;
  std::string error;
  ASSERT_TRUE(Formula_List->m_Add("overflow test", "2147483646 + [%level%] > 0", index, error));
  TOwner owner;
  TRequirements block(REQUIREMENTS_SLOT_UNIT_TYPE, &owner);
  block.m_Add("Huge", index);

  TTemp_Dir dir;
  std::string saved_user = User_Folder;
  User_Folder = dir.design();
  std::filesystem::create_directories(dir.path() / "Backup");
  Debug_Enabled = true;
  EXPECT_TRUE(block.m_Check(nullptr, 1));
  EXPECT_FALSE(block.m_Check(nullptr, 2));  // 2147483646 + 2 does not fit 32 bits
  Debug_Enabled = false;
  User_Folder = saved_user;
  std::string log = Read_File(dir.path() / "Backup" / "Globarch_Log.txt");
  EXPECT_NE(log.find("TRequirements.m_Check - Arithmetic overflow in \""), std::string::npos) << log;
  EXPECT_NE(log.find("the requirement is not met."), std::string::npos) << log;

  // The line is left clean: it evaluates again as before.
  EXPECT_TRUE(block.m_Check(nullptr, 0));
  EXPECT_EQ(Formula_List->m_Get_Item(index)->m_Variables().m_Count(), 0);
}
