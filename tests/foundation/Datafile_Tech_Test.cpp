#include "Datafile_Tech.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Datafile_Formula_Functions.h"
#include "Datafile_Formula_List.h"
#include "Datafile_Test_Support.h"
#include "Test_Support.h"

namespace {
const std::string Head = "Technology\n*BEGIN*\ntitle\nnote\n";

const std::string Rockets =
    "Display Name := Rocketry\n"
    "Internal Name := Ballistic Missiles\n"
    "Description := Rockets.\n"
    "Start Level := 1\n"
    "Maximum Level := 3\n"
    "Number Of Costs := 3\n"
    "Cost 1 Cost := 1,500\nCost 1 Chance := 40\n"
    "Cost 2 Cost := 0\nCost 2 Chance := 60\n"
    "Cost 3 Cost := 900\nCost 3 Chance := 90\n"
    "Number of Requirements := 1\n"
    "Requirement 1 Description := Ground Units level 2\n"
    "Requirement 1 Formula := Get_Nation_Tech_Level(\"Ground Units\") >= 2\n";

TLoaded_List<TTech_Area_List> Load(const std::string& records) {
  return Load_Data_File_Text<TTech_Area_List, TTech_Area_Data_File_Loader>("Technology.txt",
                                                                           Head + records + "*END*\n");
}

}  // namespace

using Datafile_Tech = TFormula_List_Test;

TEST_F(Datafile_Tech, ReadsEveryField) {
  auto r = Load(Rockets + "\n" +
                "Display Name := Ground\nInternal Name := Ground Units\n"
                "Description :=\nStart Level := 0\nMaximum Level := 2\nNumber Of Costs := 0\n"
                "Number of Requirements := 0\n");
  EXPECT_EQ(r.errors, std::vector<std::string>{});
  ASSERT_EQ(r.list->m_Count(), 2);
  const TTech_Area& a = *r.list->m_Get_Item(1);
  EXPECT_EQ(a.f_index, 1);
  EXPECT_EQ(a.m_Get_Name(1), "Rocketry");
  EXPECT_EQ(a.m_Get_Name(2), "Ballistic Missiles");
  EXPECT_EQ(a.m_Get_Name(3), "");
  EXPECT_EQ(a.m_Get_Name(0), "");
  EXPECT_EQ(a.f_description, "Rockets.");
  EXPECT_EQ(a.f_start_level, 1);
  EXPECT_EQ(a.f_maximum_level, 3);
  // The entry with cost 0 is skipped and the entries close up.
  ASSERT_EQ(a.m_Get_Cost_Count(), 2);
  EXPECT_EQ(a.m_Get_Cost(1), 1500);
  EXPECT_EQ(a.m_Get_Chance(1), 40);
  EXPECT_EQ(a.m_Get_Cost(2), 900);
  EXPECT_EQ(a.m_Get_Chance(2), 90);
  EXPECT_EQ(a.m_Get_Cost(0), 0);
  EXPECT_EQ(a.m_Get_Chance(3), 0);
  EXPECT_EQ(a.m_Get_Cost_Text(1), "40% chance for $1500");
  EXPECT_EQ(a.m_Get_Cost_Text(3), "");
  ASSERT_EQ(a.f_requirements.m_Get_Count(), 1);
  EXPECT_EQ(a.f_requirements.m_Get_Description(1), "Ground Units level 2");
  EXPECT_EQ(a.f_requirements.m_Get_Context_Slot(), 1);
  EXPECT_EQ(a.f_requirements.m_Get_Owner(), &a);

  EXPECT_EQ(r.list->m_Get_Item(0), nullptr);
  EXPECT_EQ(r.list->m_Get_Item(3), nullptr);
  EXPECT_EQ(r.list->m_Get_Item(2)->f_index, 2);
  EXPECT_EQ(r.list->m_Find_By_Name(2, "ground units"), 2);
  EXPECT_EQ(r.list->m_Find_By_Name(1, "ROCKETRY"), 1);
  EXPECT_EQ(r.list->m_Find_By_Name(1, "Ground Units"), 0);

  TEmpire_Stand_In empire;
  EXPECT_FALSE(a.f_requirements.m_Check(&empire, 0));
  empire.levels["Ground Units"] = 2;
  EXPECT_TRUE(a.f_requirements.m_Check(&empire, 0));
}

TEST_F(Datafile_Tech, MissingAndBadKeys) {
  struct Row {
    const char* what;
    std::string record;
    std::vector<std::string> errors;
    std::int32_t costs;
  } rows[] = {
      {"only a display name",
       "Display Name := X\n",
       {"Could not find field \"Internal Name\" in record 1.", "Could not find field \"Description\" in record 1.",
        "Could not find field \"Start Level\" in record 1.", "Could not find field \"Maximum Level\" in record 1.",
        "Could not find field \"Number Of Costs\" in record 1.",
        "Could not find field \"Number of Requirements\" in record 1."},
       0},
      {"missing cost keys",
       "Display Name := X\nInternal Name := Air\nDescription :=\nStart Level := a\nMaximum Level := 2\n"
       "Number Of Costs := 2\nCost 1 Cost := 10\nCost 2 Chance := 5\nNumber of Requirements := 0\n",
       {"Could not find field \"Cost 1 Chance\" in record \"Air\".",
        "Could not find field \"Cost 2 Cost\" in record \"Air\"."},
       1},
      {"requirement formula that does not parse",
       "Display Name := X\nInternal Name := Air\nDescription :=\nStart Level := 0\nMaximum Level := 2\n"
       "Number Of Costs := -1\nNumber of Requirements := 1\nRequirement 1 Description := d\n"
       "Requirement 1 Formula := 1 +* 2 )\n",
       {"Could not parse formula \"1 +* 2 )\" for Requirement 1 Formula in record \"Air\".",
        "Did not recognize section \"+*\""},
       0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto r = Load(row.record);
    EXPECT_EQ(r.errors, row.errors);
    ASSERT_EQ(r.list->m_Count(), 1);
    EXPECT_EQ(r.list->m_Get_Item(1)->m_Get_Cost_Count(), row.costs);
    EXPECT_EQ(r.list->m_Get_Item(1)->f_start_level, 0);
  }
}

TEST_F(Datafile_Tech, LoadAndFree) {
  TTemp_Dir dir;
  Write_File(dir.path() / "Technology.txt", Head + Rockets + "\nDisplay Name := Y\n*END*\n");
  TReport_Owner owner;
  EXPECT_FALSE(Datafile_Tech_Load(dir.design() + "Technology.txt", &owner));
  EXPECT_EQ(owner.title, "Technology Datafile");
  EXPECT_EQ(owner.rows.size(), 6u);
  ASSERT_NE(Tech_Area_List, nullptr);
  EXPECT_EQ(Tech_Area_List->m_Count(), 2);

  Write_File(dir.path() / "Technology.txt", Head + Rockets + "*END*\n");
  TReport_Owner quiet;
  EXPECT_TRUE(Datafile_Tech_Load(dir.design() + "Technology.txt", &quiet));
  EXPECT_TRUE(quiet.rows.empty());
  EXPECT_EQ(Tech_Area_List->m_Count(), 1);
  EXPECT_TRUE(Datafile_Tech_Free());
  EXPECT_FALSE(Datafile_Tech_Free());
  EXPECT_EQ(Tech_Area_List, nullptr);
}
