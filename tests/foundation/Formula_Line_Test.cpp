#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "Datafile_Formula_Line.h"
#include "Debug_Log.h"
#include "Errors.h"
#include "Formula_Test_Support.h"
#include "Global.h"
#include "Test_Support.h"

namespace {
// Parses text (which must parse) and evaluates it with the variables a, b,
// c, d, x of the row's values.
TFormula_Value Evaluate(const std::string& text, std::initializer_list<std::pair<const char*, int>> vars = {}) {
  TFormula_Line line;
  std::string error;
  EXPECT_TRUE(line.m_Parse(text, error)) << text << ": " << error;
  for (auto& v : vars) line.m_Add_Variable(v.first, v.second);
  return line.m_Evaluate_Value();
}

TFormula_Value Make(char kind) {
  TFormula_Value v;
  switch (kind) {
    case 'S': v.m_Set_String("ab"); break;
    case 'F': v.m_Set_Single(0.5f); break;
    case 'L': v.m_Set_Long(4); break;
    case 'B': v.m_Set_Boolean(true); break;
    default:
      v.m_Clear(FORMULA_TAG_VECTOR);
      v.vector = {1, 2, 3};
      break;
  }
  return v;
}
}  // namespace

TEST(Formula_Line, Literals) {
  struct Row {
    const char* text;
    const char* value;
  } rows[] = {
      {"3", "L:3"},
      {"-2", "L:-2"},
      {"2.5", "F:2.5"},
      {"-2.5", "F:-2.5"},
      {"1,000", "L:1000"},
      {"1,000.5", "F:1000.5"},
      {"TRUE", "B:true"},
      {"false", "B:false"},
      {"\"abc\"", "S:abc"},
      {"\"a b, (c)\"", "S:a b, (c)"},
      {"\"\"", "S:"},
      // A token starting with a digit that is no number gives 0.
      {"2*3", "L:0"},
      {"1.2.3", "F:0"},
      {"99999999999", "L:0"},
      {"2147483647", "L:2147483647"},
      {"-2147483648", "L:-2147483648"},
      {"  7  ", "L:7"},
  };
  for (const Row& r : rows) EXPECT_TRUE(Formula_Value_Is(Evaluate(r.text), r.value)) << r.text;
}

// Every arithmetic operator on every pair of tags. The values are the
// string "ab", the single 0.5, the long 4, the boolean true and the vector
// (1, 2, 3).
TEST(Formula_Line, ArithmeticOnEveryPairOfTags) {
  struct Row {
    char left, right;
    const char* add;
    const char* sub;
    const char* mul;
    const char* div;
    const char* pow;
  } rows[] = {
      {'S', 'S', "S:abab", "S:", "S:", "F:0", "S:"},
      {'S', 'F', "F:0.5", "F:-0.5", "F:0", "F:0", "F:0"},
      {'S', 'L', "S:ab", "S:", "S:", "F:0", "S:"},
      {'S', 'B', "S:ab", "S:", "S:", "F:0", "S:"},
      {'S', 'V', "V:1,2,3", "V:-1,-2,-3", "V:0,0,0", "V:0,0,0", "V:0,0,0"},
      {'F', 'S', "F:0.5", "F:0.5", "F:0", "F:0", "F:1"},
      {'F', 'F', "F:1", "F:0", "F:0.25", "F:1", "F:0.70710677"},
      {'F', 'L', "F:4.5", "F:-3.5", "F:2", "F:0.125", "F:0.0625"},
      {'F', 'B', "F:0.5", "F:0.5", "F:0", "F:0", "F:1"},
      {'F', 'V', "V:1,2,3", "V:-1,-2,-3", "V:0,0,0", "V:0,0,0", "V:0,0,0"},
      {'L', 'S', "L:4", "L:4", "L:0", "F:0", "L:1"},
      {'L', 'F', "F:4.5", "F:3.5", "F:2", "F:8", "F:2"},
      {'L', 'L', "L:8", "L:0", "L:16", "F:1", "L:256"},
      {'L', 'B', "L:5", "L:3", "L:4", "F:4", "L:4"},
      {'L', 'V', "V:1,2,3", "V:-1,-2,-3", "V:0,0,0", "V:0,0,0", "V:0,0,0"},
      {'B', 'S', "B:false", "B:false", "B:false", "F:0", "B:false"},
      {'B', 'F', "F:0.5", "F:-0.5", "F:0", "F:0", "F:0"},
      {'B', 'L', "B:false", "B:false", "B:false", "F:0.25", "B:false"},
      {'B', 'B', "B:false", "B:false", "B:false", "F:1", "B:false"},
      {'B', 'V', "V:1,2,3", "V:-1,-2,-3", "V:0,0,0", "V:0,0,0", "V:0,0,0"},
      {'V', 'S', "V:1,2,3", "V:1,2,3", "V:0,0,0", "V:0,0,0", "V:0,0,0"},
      {'V', 'F', "V:1,2,3", "V:1,2,3", "V:0,0,0", "V:0,0,0", "V:0,0,0"},
      {'V', 'L', "V:1,2,3", "V:1,2,3", "V:0,0,0", "V:0,0,0", "V:0,0,0"},
      {'V', 'B', "V:1,2,3", "V:1,2,3", "V:0,0,0", "V:0,0,0", "V:0,0,0"},
      {'V', 'V', "V:2,4,6", "V:0,0,0", "V:0,0,0", "V:0,0,0", "V:0,0,0"},
  };
  const std::uint16_t codes[] = {FORMULA_OP_ADD, FORMULA_OP_SUBTRACT, FORMULA_OP_MULTIPLY, FORMULA_OP_DIVIDE,
                                 FORMULA_OP_POWER};
  for (const Row& r : rows) {
    const char* expected[] = {r.add, r.sub, r.mul, r.div, r.pow};
    for (int k = 0; k < 5; ++k) {
      TFormula_Value l = Make(r.left);
      Formula_Apply_Operator(codes[k], l, Make(r.right));
      EXPECT_TRUE(Formula_Value_Is(l, expected[k]))
          << r.left << " " << Formula_Operator_Symbol(codes[k]) << " " << r.right;
    }
  }
}

// Every logical and comparison operator on every pair of tags: one letter
// per operator in the order and, or, xor, not, =, <>, >, >=, <, <=.
TEST(Formula_Line, ComparisonsOnEveryPairOfTags) {
  struct Row {
    char left, right;
    const char* results;
  } rows[] = {
      {'S', 'S', "FFFTTFFTFT"}, {'S', 'F', "FFFTFTTTFF"}, {'S', 'L', "FTTFFTTTFF"}, {'S', 'B', "FTTFFTTTFF"},
      {'S', 'V', "FFFTFTTTFF"}, {'F', 'S', "FFFTFTTTFF"}, {'F', 'F', "FFFTTFFTFT"}, {'F', 'L', "FTTFFTFFTT"},
      {'F', 'B', "FTTFFTTTFF"}, {'F', 'V', "FFFTFTTTFF"}, {'L', 'S', "FTTTFTTTFF"}, {'L', 'F', "FTTTFTTTFF"},
      {'L', 'L', "TTFFTFFTFT"}, {'L', 'B', "TTFFFTTTFF"}, {'L', 'V', "FTTTFTTTFF"}, {'B', 'S', "FTTTFFFFFF"},
      {'B', 'F', "FTTTFFFFFF"}, {'B', 'L', "TTFFFFFFFF"}, {'B', 'B', "TTFFFFFFFF"}, {'B', 'V', "FTTTFFFFFF"},
      {'V', 'S', "FFFTFFFFFF"}, {'V', 'F', "FFFTFFFFFF"}, {'V', 'L', "FTTFFFFFFF"}, {'V', 'B', "FTTFFFFFFF"},
      {'V', 'V', "FFFTFFFFFF"},
  };
  for (const Row& r : rows) {
    for (std::uint16_t code = FORMULA_OP_AND; code <= FORMULA_OP_LESS_EQUAL; ++code) {
      TFormula_Value l = Make(r.left);
      Formula_Apply_Operator(code, l, Make(r.right));
      bool want = r.results[code - FORMULA_OP_AND] == 'T';
      EXPECT_TRUE(Formula_Value_Is(l, want ? "B:true" : "B:false"))
          << r.left << " " << Formula_Operator_Symbol(code) << " " << r.right;
    }
  }
}

TEST(Formula_Line, OperatorsInFormulas) {
  struct Row {
    const char* text;
    const char* value;
  } rows[] = {
      {"7 / 2", "F:3.5"},
      {"7 / 0", "F:0"},
      {"7.0 / 0", "F:0"},
      {"2 ^ 10", "L:1024"},
      {"2 ^ -1", "L:0"},
      {"-2 ^ 3", "L:-8"},
      {"0 ^ 0", "L:1"},
      {"1,000 + 1", "L:1001"},
      {"\"abc\" + \"def\"", "S:abcdef"},
      {"\"abc\" = \"ABC\"", "B:false"},
      {"\"abc\" < \"abd\"", "B:true"},
      {"\"ab\" < \"abc\"", "B:true"},
      {"\"b\" > \"abc\"", "B:true"},
      {"true <> false", "B:false"},
      {"true = true", "B:false"},
      {"3 == 3", "B:true"},
      {"3 = 3.0", "B:true"},
      {"2.5 >= 2", "B:true"},
      {"1 <= 0.5", "B:false"},
      {"true and true", "B:true"},
      {"true or false", "B:true"},
      {"true xor true", "B:false"},
      {"1 AND 2", "B:true"},
      {"not true", "B:false"},
      {"not 0", "B:true"},
      {"true and not false", "B:true"},
      // "not" replaces the pending "and": the left side is ignored.
      {"false and not false", "B:true"},
      {"- 5", "L:-5"},
      {"1 2", "L:2"},
      {"2147483647 - 1 + 1", "L:2147483647"},
      {"-2147483647 - 1", "L:-2147483648"},
      // A single that leaves the finite range passes through.
      {"340000000000000000000000000000000000000.0 * 10", "F:inf"},
  };
  for (const Row& r : rows) EXPECT_TRUE(Formula_Value_Is(Evaluate(r.text), r.value)) << r.text;
}

TEST(Formula_Line, IntegerOverflowAndRangeErrorsReachTheCaller) {
  struct Row {
    const char* text;
    bool overflow;  // else a range error
  } rows[] = {
      {"2147483647 + 1", true}, {"-2147483647 - 2", true}, {"65536 * 65536", true},
      {"2 ^ 31", false},        {"0 ^ -1", false},         {"-2 ^ 32", false},
  };
  for (const Row& r : rows) {
    TFormula_Line line;
    std::string error;
    ASSERT_TRUE(line.m_Parse(r.text, error));
    line.m_Add_Variable("[%level%]", 1);
    if (r.overflow) {
      EXPECT_THROW(line.m_Evaluate_Integer(), EIntOverflow) << r.text;
    } else {
      EXPECT_THROW(line.m_Evaluate_Integer(), ERangeError) << r.text;
    }
    // The variables are left set when an error escapes.
    EXPECT_EQ(line.m_Variables().m_Count(), 1) << r.text;
  }
}

// The grouping pass binds greedily, not by the usual precedence.
TEST(Formula_Line, GroupingRules) {
  struct Row {
    const char* text;
    const char* grouped;
    const char* value;
  } rows[] = {
      {"1 + 2 * 3", "1 + ( 2 * 3  ) ", "L:7"},
      {"2 * 3 + 1", "( 2 * 3  ) + 1 ", "L:7"},
      {"1 - 2 - 3", "1 - 2 - 3 ", "L:-4"},
      {"1 + 2 * 3 ^ 4", "1 + ( ( 2 * 3  ) ^ 4  ) ", "L:1297"},
      {"[%a%] * [%b%] + [%c%] < [%d%]", "( [%a%] * [%b%]  ) + ( [%c%] < [%d%]  ) ", "L:7"},
      {"(1 + 2) * 3", "( 1 + 2  ) * 3 ", "L:9"},
      {"2 * (1 + 2)", "2 * ( 1 + 2  ) ", "L:6"},
      {"1 = 1 and 2 = 2", "( 1 = 1  ) and ( 2 = 2  ) ", "B:true"},
      // Greedy: the previous position is not corrected after a grouping.
      {"1 * 2 + 3 * 4 + 5 * 6", "( 1 * 2  ) + ( ( ( 3 * 4  ) + 5  ) * 6  ) ", "L:104"},
      // A leading operator is grouped with its right neighbour only.
      {"- 2 and [%x%]", "( - 2  ) and [%x%] ", "B:true"},
      {"- 2 * 3", "- ( 2 * 3  ) ", "L:-6"},
      // A trailing operator is grouped with its left neighbour only.
      {"1 + 2 *", "1 + ( 2 *  ) ", "L:3"},
      {"-[%x%] + 1", "0 - [%x%] + 1 ", "L:0"},
  };
  for (const Row& r : rows) {
    TFormula_Line line;
    std::string error;
    ASSERT_TRUE(line.m_Parse(r.text, error)) << r.text << ": " << error;
    EXPECT_EQ(line.m_To_Text(), r.grouped) << r.text;
    // a * b + (c < d) with a = 2, b = 3, c = 1, d = 2 gives 6 + true = 7.
    line.m_Add_Variable("[%a%]", 2);
    line.m_Add_Variable("[%b%]", 3);
    line.m_Add_Variable("[%c%]", 1);
    line.m_Add_Variable("[%d%]", 2);
    line.m_Add_Variable("[%x%]", 1);
    EXPECT_TRUE(Formula_Value_Is(line.m_Evaluate_Value(), r.value)) << r.text;
  }
  // With x false the leading group does not decide the result.
  EXPECT_TRUE(Formula_Value_Is(Evaluate("- 2 and [%x%]", {{"[%x%]", 0}}), "B:false"));
}

TEST(Formula_Line, VariablesAndSlots) {
  struct Row {
    const char* text;
    const char* value;
  } rows[] = {
      {"[%Level%] * 2", "L:10"},
      {"[%LEVEL%] + [%other%]", "L:12"},
      {"[%missing%]", "F:0"},
      {"[%missing%] + 1", "F:1"},
      {"-[%level%]", "L:-5"},
      {"[%twice%]", "L:2"},  // the last of two equal names wins
  };
  for (const Row& r : rows) {
    TFormula_Line line;
    std::string error;
    ASSERT_TRUE(line.m_Parse(r.text, error)) << r.text;
    line.m_Add_Variable("[%Level%]", 5);
    line.m_Add_Variable("[%Other%]", 7);
    line.m_Add_Variable("[%twice%]", 1);
    line.m_Add_Variable("[%TWICE%]", 2);
    EXPECT_TRUE(Formula_Value_Is(line.m_Evaluate_Value(), r.value)) << r.text;
  }

  TFormula_Line line;
  std::string error;
  ASSERT_TRUE(line.m_Parse("[%Source%] + [%target%] - [%v%]", error));
  line.m_Add_Vector_Variable("[%SOURCE%]", {1, 2, 3});
  line.m_Add_Vector_Variable("[%Target%]", {10, 20, 30});
  line.m_Add_Vector_Variable("[%v%]", {1, 1, 1});
  TFormula_Object owner;
  line.m_Set_Object_Slot(1, &owner, 4);
  line.m_Set_Object_Slot(7, &owner, 9);
  line.m_Set_Requirements(&owner, 3);
  EXPECT_EQ(line.m_Slots().m_Get(7).value, 9);
  EXPECT_EQ(line.m_Slots().m_Get_Requirements().object, &owner);
  TVector v = line.m_Evaluate_Vector();
  EXPECT_EQ(v.x, 10);
  EXPECT_EQ(v.y, 21);
  EXPECT_EQ(v.z, 32);
  // A typed evaluation clears the variables and the slots.
  EXPECT_EQ(line.m_Variables().m_Count(), 0);
  EXPECT_EQ(line.m_Slots().m_Get(1).object, nullptr);
  EXPECT_EQ(line.m_Slots().m_Get(7).value, 0);
  EXPECT_EQ(line.m_Slots().m_Get_Requirements().object, nullptr);

  EXPECT_THROW(line.m_Set_Object_Slot(0, &owner, 1), ERangeError);
  EXPECT_THROW(line.m_Set_Object_Slot(8, &owner, 1), ERangeError);

  // The variable list grows in steps of 10 and keeps its storage.
  for (int i = 1; i <= 11; ++i) line.m_Add_Variable("[%v" + std::to_string(i) + "%]", i);
  EXPECT_EQ(line.m_Variables().m_Capacity(), 20);
  EXPECT_EQ(line.m_Variables().m_Get_Name(11), "[%v11%]");
  line.m_Clear_Variables();
  EXPECT_EQ(line.m_Variables().m_Count(), 0);
  EXPECT_EQ(line.m_Variables().m_Capacity(), 20);
}

TEST(Formula_Line, TypedEvaluations) {
  struct Row {
    const char* text;
    std::uint8_t fold;
    float single;
    std::int32_t integer;
    bool boolean;
  } rows[] = {
      {"", FORMULA_FOLD_EMPTY_OR_BOOLEAN, 0, 0, false},
      {"true", FORMULA_FOLD_EMPTY_OR_BOOLEAN, 0, 1, true},
      {"3", FORMULA_FOLD_LONG, 3, 3, true},
      {"2.5", FORMULA_FOLD_SINGLE, 2.5f, 2, false},
      {"2.7", FORMULA_FOLD_SINGLE, 2.7f, 2, false},
      {"-2.7", FORMULA_FOLD_SINGLE, -2.7f, -2, false},
      {"\"x\"", FORMULA_FOLD_STRING, 0, 0, false},
      {"1 + 2", FORMULA_FOLD_GENERAL, 3, 3, true},
      {"7 / 2", FORMULA_FOLD_GENERAL, 3.5f, 3, false},
      {"0 - 7 / 2", FORMULA_FOLD_GENERAL, -3.5f, -3, false},
      {"1 < 2", FORMULA_FOLD_GENERAL, 0, 1, true},
      {"(2)", FORMULA_FOLD_GENERAL, 2, 2, true},
  };
  for (const Row& r : rows) {
    TFormula_Line line;
    std::string error;
    ASSERT_TRUE(line.m_Parse(r.text, error)) << r.text;
    EXPECT_EQ(line.m_Fold_Kind(), r.fold) << r.text;
    EXPECT_EQ(line.m_Evaluate_Single(), r.single) << r.text;
    EXPECT_EQ(line.m_Evaluate_Integer(), r.integer) << r.text;
    EXPECT_EQ(line.m_Evaluate_Boolean(), r.boolean) << r.text;
    TVector v = line.m_Evaluate_Vector();
    EXPECT_TRUE(v.x == 0 && v.y == 0 && v.z == 0) << r.text;
  }
  TFormula_Line line;
  std::string error;
  ASSERT_TRUE(line.m_Parse("3", error));
  EXPECT_EQ(line.m_Folded_Long(), 3);
  // Before the first parse there is no block.
  TFormula_Line empty;
  EXPECT_EQ(empty.m_Evaluate_Single(), 0);
  EXPECT_EQ(empty.m_Evaluate_Integer(), 0);
  EXPECT_FALSE(empty.m_Evaluate_Boolean());
  EXPECT_EQ(empty.m_To_Text(), "");
  // A single that does not fit 32 bits cannot become an integer.
  ASSERT_TRUE(line.m_Parse("3000000000.0", error));
  EXPECT_THROW(line.m_Evaluate_Integer(), ERangeError);
  ASSERT_TRUE(line.m_Parse("3000000000.0 * 1", error));
  EXPECT_THROW(line.m_Evaluate_Integer(), ERangeError);
  ASSERT_TRUE(line.m_Parse("340000000000000000000000000000000000000.0 * 10", error));
  EXPECT_THROW(line.m_Evaluate_Integer(), ERangeError);
  EXPECT_TRUE(std::isinf(line.m_Evaluate_Single()));
}

TEST(Formula_Line, ParseErrors) {
  struct Row {
    const char* text;
    const char* error;
  } rows[] = {
      {"max (1, 2)", "Did not recognize section \"max\""},
      {"x*3", "Did not recognize section \"x*3\""},
      {"-x", "Did not recognize section \"-x\""},
      {"-[x", "Did not recognize section \"-[x\""},
      {"pi", "Did not recognize section \"pi\""},
      {"1 + Foo", "Did not recognize section \"Foo\""},
      {"(1 + 2", "Incorrect number of parenthesis in section \"(1 + 2\""},
      {"max((1, 2)", "Incorrect number of parenthesis in section \"max((1, 2)\""},
      {"max(1)", "Incorrect number of parameters for function \"max(1)\""},
      {"pi(1)", "Incorrect number of parameters for function \"pi(1)\""},
      {"max(1, 2, 3)", "Incorrect number of parameters for function \"max(1, 2, 3)\""},
      {"max(1, )", "Incorrect number of parameters for function \"max(1, )\""},
      {"Foo(1)", "Unknown function name foo in function \"Foo(1)\""},
      {"max(1, y)", "Did not recognize section \"y\""},
      {"(1 + z)", "Did not recognize section \"z\""},
      // Faults the parser refuses rather than reading something else.
      {"1 ) + ( 2", "Incorrect number of parenthesis in section \"1 ) + ( 2\""},
      {"\"abc", "Missing closing quote in section \"\"abc\""},
      {"1 + \"abc", "Missing closing quote in section \"1 + \"abc\""},
  };
  for (const Row& r : rows) {
    TFormula_Line line;
    std::string error = "old";
    EXPECT_FALSE(line.m_Parse(r.text, error)) << r.text;
    EXPECT_EQ(error, r.error) << r.text;
  }
  // The function errors the section parser cannot produce.
  struct Fn_Row {
    const char* text;
    const char* error;
  } fn_rows[] = {
      {"max", "Could not find open parenthesis for function \"max\""},
      {"max(1, \"(\")", "Incorrect number of parenthesis for function \"max(1, \"(\")\""},
      {"nope(1)", "Unknown function name nope in function \"nope(1)\""},
  };
  for (const Fn_Row& r : fn_rows) {
    TFormula_Block block;
    std::string error;
    EXPECT_FALSE(Formula_Parse_Function_Word(r.text, block, error)) << r.text;
    EXPECT_EQ(error, r.error) << r.text;
  }
  TFormula_Block block;
  std::string error;
  EXPECT_TRUE(Formula_Parse_Function_Word("max(1,,2)", block, error)) << error;
  EXPECT_EQ(block.m_To_Text(), "max(1 ,2 ) ");
}

// Deep nesting is refused instead of exhausting the stack.
TEST(Formula_Line, DeepNestingIsRefused) {
  std::string deep = std::string(300, '(') + "1" + std::string(300, ')');
  std::string shallow = std::string(50, '(') + "1" + std::string(50, ')');
  std::string chain = "1";
  for (int i = 0; i < 400; ++i) chain += i % 2 ? " * 2" : " ^ 1";
  std::string calls = "1";
  for (int i = 0; i < 300; ++i) calls = "max(" + calls + ", 0)";
  TFormula_Line line;
  std::string error;
  EXPECT_FALSE(line.m_Parse(deep, error));
  EXPECT_EQ(error.rfind("Formula nested too deeply in section \"", 0), 0u) << error;
  EXPECT_FALSE(line.m_Parse(chain, error));
  EXPECT_EQ(error.rfind("Formula nested too deeply in section \"", 0), 0u) << error;
  EXPECT_FALSE(line.m_Parse(calls, error));
  EXPECT_EQ(error.rfind("Formula nested too deeply in section \"", 0), 0u) << error;
  ASSERT_TRUE(line.m_Parse(shallow, error)) << error;
  EXPECT_EQ(line.m_Evaluate_Integer(), 1);
  // Long flat formulas are fine.
  std::string flat = "0";
  for (int i = 0; i < 5000; ++i) flat += " + 1";
  ASSERT_TRUE(line.m_Parse(flat, error)) << error;
  EXPECT_EQ(line.m_Evaluate_Integer(), 5000);
}

TEST(Formula_Line, TextAndDump) {
  TFormula_Line line;
  std::string error;
  ASSERT_TRUE(line.m_Parse("max(1, [%A%]) + (\"s\" * true) - 2.5", error)) << error;
  EXPECT_EQ(line.m_To_Text(), "max(1 ,[%a%] ) + ( \"s\" * TRUE  ) - 2.5 ");
  std::vector<std::string> lines;
  line.m_Dump(lines);
  std::vector<std::string> expected = {
      "  Function - max(2)",
      "    Param [1] - ",
      "        Constant - 1",
      "    Param [2] - ",
      "        Variable - [%a%]",
      "  Operator - +",
      "    String - \"s\"",
      "    Operator - *",
      "    Constant - TRUE",
      "  Operator - -",
      "  Constant - 2.5",
  };
  EXPECT_EQ(lines, expected);
  // Parsing again replaces the tree.
  ASSERT_TRUE(line.m_Parse("1", error));
  EXPECT_EQ(line.m_To_Text(), "1 ");
  EXPECT_EQ(Formula_Operator_Symbol(99), "UNKNOWN");
  EXPECT_EQ(Formula_Operator_Rank(99), 0);
  TFormula_Value v;
  v.m_Set_Single(0.1f);
  EXPECT_EQ(v.m_To_Text(), "0.100000001490116");
  v.m_Set_Boolean(true);
  EXPECT_EQ(v.m_To_Text(), "true");
}

TEST(Formula_Line, DebugTrace) {
  TTemp_Dir dir;
  std::string saved_user = User_Folder;
  User_Folder = dir.design();
  std::filesystem::create_directories(dir.path() / "Backup");
  Debug_Sections[DEBUG_FORMULA_EVALUATION] = true;
  TFormula_Line line;
  std::string error;
  ASSERT_TRUE(line.m_Parse("max(1, 2) + 3", error));
  bool ok = line.m_Evaluate_Boolean();
  ASSERT_TRUE(line.m_Parse("2.5", error));
  float s = line.m_Evaluate_Single();
  Debug_Sections[DEBUG_FORMULA_EVALUATION] = false;
  User_Folder = saved_user;
  EXPECT_TRUE(ok);
  EXPECT_EQ(s, 2.5f);
  std::string log = Read_File(dir.path() / "Backup" / "Globarch_Log.txt");
  const char* wanted[] = {
      "Evaluating Formula: max(1 ,2 ) + 3 \n",
      " max(1, 2)\n",
      "   2+ 3 = 5\n",
      "  Result = TRUE\n",
      "Evaluating Formula: 2.5 \n",
      "  Result = 2.5\n",
  };
  std::size_t at = 0;
  for (const char* w : wanted) {
    std::size_t p = log.find(w, at);
    EXPECT_NE(p, std::string::npos) << "missing: " << w << " in\n" << log;
    if (p != std::string::npos) at = p;
  }
}
