#include <gtest/gtest.h>

#include "DataFile_Base_Loader.h"
#include "Datafile_Formula_List.h"
#include "Test_Support.h"

namespace {
// Registers the field "Formula" of every record, the way requirement blocks
// do, and keeps the indices.
class TFormula_Field_Loader : public TData_File_Loader {
public:
  TFormula_Field_Loader(const std::string& file, TFormula_List& list) : TData_File_Loader(file), f_list(list) {}
  std::vector<std::int32_t> indices;

protected:
  void m_Load_Record(std::int32_t) override {
    std::string name;
    if (m_Get_Field("Name", name, false)) m_Set_Record_Name(name);
    TData_File_Callbacks callbacks;
    m_Get_Callbacks(callbacks);
    indices.push_back(f_list.m_Add_Formula_Field("Formula", callbacks, true));
  }

private:
  TFormula_List& f_list;
};
}  // namespace

TEST(Formula_List, SharesTextsIgnoringCaseOutsideQuotes) {
  TFormula_List list;
  struct Row {
    const char* text;
    bool ok;
    std::int32_t index;
    std::int32_t count_after;
  } rows[] = {
      {"[%a%] + 1", true, 1, 1},
      {"[%A%] + 1", true, 1, 1},
      {"\"abc\" = [%x%]", true, 2, 2},
      {"\"ABC\" = [%x%]", true, 3, 3},
      {"\"abc\" = [%X%]", true, 2, 3},
      {"\"ABC\" = [%X%]", true, 3, 3},
      {"MAX(1, 2)", true, 4, 4},
      {"max(1, 2)", true, 4, 4},
      // Blanks matter: this is another text.
      {"max(1,2)", true, 5, 5},
  };
  for (const Row& r : rows) {
    std::int32_t index = -1;
    std::string error = "old";
    EXPECT_EQ(list.m_Add("name", r.text, index, error), r.ok) << r.text;
    EXPECT_EQ(index, r.index) << r.text;
    EXPECT_EQ(error, "") << r.text;
    EXPECT_EQ(list.m_Count(), r.count_after) << r.text;
  }
  EXPECT_EQ(list.m_Get_Text(3), "\"ABC\" = [%x%]");
  EXPECT_EQ(Formula_Fold_Text("A \"B c\" D"), "a \"B c\" d");
}

TEST(Formula_List, ABadTextFailsEveryTime) {
  TFormula_List list;
  std::int32_t index = -1;
  std::string error;
  EXPECT_FALSE(list.m_Add("first", "x*3", index, error));
  EXPECT_EQ(index, 0);
  EXPECT_EQ(error, "Did not recognize section \"x*3\"");
  EXPECT_EQ(list.m_Count(), 1);
  EXPECT_FALSE(list.m_Is_Parsed(1));
  // Registering it again (in any case) fails again with the same error.
  error.clear();
  EXPECT_FALSE(list.m_Add("second", "X*3", index, error));
  EXPECT_EQ(index, 0);
  EXPECT_EQ(error, "Did not recognize section \"x*3\"");
  EXPECT_EQ(list.m_Count(), 1);

  // The failed entry still counts for the generated names.
  std::vector<std::string> errors;
  EXPECT_EQ(list.m_Add_System_Formula("Effect 1 Position", "1 + 1", errors), 2);
  EXPECT_EQ(list.m_Get_Name(2), "System_Generated_Formula 2");
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(list.m_Add_System_Formula("Effect 1 Lifetime", "(1", errors), 0);
  EXPECT_EQ(list.m_Add_System_Formula("Effect 2 Lifetime", "(1", errors), 0);
  EXPECT_EQ(list.m_Count(), 3);
  EXPECT_EQ(errors, (std::vector<std::string>{
                        "Incorrect number of parenthesis in section \"(1\" - Effect 1 Lifetime",
                        "Incorrect number of parenthesis in section \"(1\" - Effect 2 Lifetime",
                    }));
}

TEST(Formula_List, NamesReferToEntries) {
  TFormula_List list;
  std::vector<std::string> errors;
  EXPECT_EQ(list.m_Add_System_Formula("a", "2 * 3", errors), 1);
  EXPECT_EQ(list.m_Add_System_Formula("b", "2 +", errors), 2);
  EXPECT_EQ(list.m_Add_System_Formula("c", "-x", errors), 0);
  EXPECT_EQ(list.m_Find_By_Name("System_Generated_Formula 3"), 3);
  EXPECT_EQ(list.m_Find_By_Name("system_generated_formula 3"), 0);
  // A value that is an entry's name refers to it instead of being parsed.
  EXPECT_EQ(list.m_Add_System_Formula("d", "System_Generated_Formula 2", errors), 2);
  // A name of an entry that did not parse is no formula either.
  errors.clear();
  EXPECT_EQ(list.m_Add_System_Formula("e", "System_Generated_Formula 3", errors), 0);
  EXPECT_EQ(errors, (std::vector<std::string>{"Did not recognize section \"-x\" - e"}));
  EXPECT_EQ(list.m_Count(), 3);
  EXPECT_EQ(list.m_Get_Item(0), nullptr);
  EXPECT_EQ(list.m_Get_Item(4), nullptr);
  EXPECT_EQ(list.m_Get_Item(-1), nullptr);
  EXPECT_EQ(list.m_Get_Name(9), "");
  EXPECT_EQ(list.m_Get_Text(0), "");
  ASSERT_NE(list.m_Get_Item(1), nullptr);
  EXPECT_EQ(list.m_Get_Item(1)->m_Evaluate_Integer(), 6);
}

TEST(Formula_List, IndicesStayAndLinesEvaluateWithVariables) {
  TFormula_List list;
  std::vector<std::string> errors;
  std::int32_t first = list.m_Add_System_Formula("req", "[%Level%] >= 2", errors);
  TFormula_Line* line = list.m_Get_Item(first);
  for (int i = 0; i < 300; ++i) list.m_Add_System_Formula("more", std::to_string(i) + " + [%level%]", errors);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(list.m_Count(), 301);
  EXPECT_EQ(list.m_Get_Item(first), line);
  EXPECT_EQ(list.m_Add_System_Formula("again", "[%LEVEL%] >= 2", errors), first);
  struct Row {
    std::int32_t level;
    bool result;
  } rows[] = {{1, false}, {2, true}, {7, true}};
  for (const Row& r : rows) {
    line->m_Clear_Variables();
    line->m_Add_Variable("[%Level%]", r.level);
    EXPECT_EQ(line->m_Evaluate_Boolean(), r.result) << r.level;
  }
  TFormula_Line* last = list.m_Get_Item(301);
  last->m_Add_Variable("[%Level%]", 5);
  EXPECT_EQ(last->m_Evaluate_Integer(), 304);
}

TEST(Formula_List, FieldsOfDataFileRecords) {
  TTemp_Dir dir;
  Write_File(dir.path() / "Req.txt",
             "Requirements\r\n*BEGIN*\r\n\r\n\r\n"
             "Name := Tank\r\nFormula := [%Level%] > 1\r\n\r\n"
             "Name := Jet\r\nFormula := [%LEVEL%] > 1\r\n\r\n"
             "Name := Sub\r\nFormula := System_Generated_Formula 1\r\n\r\n"
             "Name := Ship\r\nFormula := 1 +* (2\r\n\r\n"
             "Name := Boat\r\nFormula := 1 +* (2\r\n\r\n"
             "Name := Plane\r\n\r\n"
             "Name := Radar\r\nFormula := true\r\n");
  TFormula_List list;
  TFormula_Field_Loader loader(dir.design() + "Req.txt", list);
  loader.m_Load();
  EXPECT_EQ(loader.indices, (std::vector<std::int32_t>{1, 1, 1, 0, 0, 0, 3}));
  EXPECT_EQ(loader.m_Get_Errors(), (std::vector<std::string>{
                                       "Could not parse formula \"1 +* (2\" for Formula in record \"Ship\".",
                                       "Did not recognize section \"+*\"",
                                       "Could not parse formula \"1 +* (2\" for Formula in record \"Boat\".",
                                       "Did not recognize section \"+*\"",
                                       "Could not find field \"Formula\" in record \"Plane\".",
                                   }));
  EXPECT_EQ(list.m_Count(), 3);
  EXPECT_EQ(list.m_Get_Name(3), "System_Generated_Formula 3");
}

TEST(Formula_List, GlobalList) {
  EXPECT_EQ(Formula_List, nullptr);
  Formula_List_Create();
  ASSERT_NE(Formula_List, nullptr);
  std::int32_t index = 0;
  std::string error;
  EXPECT_TRUE(Formula_List->m_Add("x", "1", index, error));
  EXPECT_EQ(index, 1);
  Formula_List_Free();
  EXPECT_EQ(Formula_List, nullptr);
}
