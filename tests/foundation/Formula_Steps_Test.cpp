// The flat steps of a parsed formula against its tree: over a table of
// formulas and variable values, both ways give the same bits in every field
// of the value, evaluation after evaluation (the scratch values they leave
// behind included), and fail with the same error.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <typeinfo>

#include "Datafile_Formula_Functions.h"
#include "Datafile_Formula_Line.h"
#include "Errors.h"
#include "Global.h"

namespace {
class TStand_In_Empire : public TFormula_Empire {
public:
  std::int32_t m_Get_Tech_Level_By_Area_Name(std::uint8_t, const std::string& text) const override {
    return text == "Air Units" ? 4 : 1;
  }
};

class TStand_In_Effect : public TFormula_Effect {
public:
  float m_Get_Effect_Scale_Size() const override { return 1.25f; }
};

// Every particle exists; what it holds follows from its keys.
class TStand_In_Particles : public TFormula_Particle_Source {
public:
  bool m_Get_System_Position(std::int32_t k1, std::int32_t k2, std::int32_t k3, TVector& position) const override {
    position = {float(k1), float(k2) * 0.5f, float(k3) / 3.0f};
    return k3 != 5;
  }
  bool m_Find_System(std::int32_t k1, std::int32_t k2, std::int32_t k3, TFormula_Particle_State& state) const override {
    state.position = {float(k1), float(k2), float(k3)};
    state.velocity = {float(k3) * 0.1f, -1.0f, float(k2)};
    state.color = {0.1f * float(k3), 0.5f, 1.0f / 3.0f, 1};
    state.rotation = float(k3) * 0.7f;
    return k3 != 5;
  }
};

std::string Float_Bits(float f) {
  std::uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  char text[16];
  std::snprintf(text, sizeof text, "%08x", bits);
  return text;
}

// Every field of the value, floats by their bits.
std::string Bits(const TFormula_Value& v) {
  std::string t = "tag " + std::to_string(v.tag) + " single " + Float_Bits(v.single_value) + " long " +
                  std::to_string(v.long_value) + " string \"" + v.string_value + "\" vector";
  for (float f : {v.vector.x, v.vector.y, v.vector.z}) t += " " + Float_Bits(f);
  t += " colour";
  for (float f : {v.color.x, v.color.y, v.color.z, v.color.w}) t += " " + Float_Bits(f);
  t += " rect";
  for (float f : {v.rect.x, v.rect.y, v.rect.z, v.rect.w}) t += " " + Float_Bits(f);
  return t;
}

TStand_In_Empire empire;
TStand_In_Effect effect;
TStand_In_Particles particles;

// One evaluation as the game prepares it, with x as the level, the
// particle number and the effect number; the bits of the result or the
// name of the error that escaped.
std::string Evaluate(TFormula_Line& line, std::int32_t x, std::uint32_t seed) {
  line.m_Clear_Variables();
  line.m_Set_Variable(line.m_Variable_Slot("[%x%]"), x);
  line.m_Add_Variable("[%Level%]", x / 2);
  line.m_Set_Vector_Variable(line.m_Variable_Slot("[%v%]"), {1.5f, -2, float(x)});
  line.m_Add_Vector_Variable("[%W%]", {3, 0, 4});
  line.m_Clear_Object_Slots();
  line.m_Set_Object_Slot(FORMULA_SLOT_EMPIRE, &empire, 0);
  line.m_Set_Object_Slot(FORMULA_SLOT_EFFECT, x % 3 == 0 ? nullptr : &effect, x & 7);
  line.m_Set_Object_Slot(FORMULA_SLOT_PARTICLE, nullptr, x & 15);
  Random_Set_Seed(seed);
  try {
    return Bits(line.m_Evaluate_Value());
  } catch (const std::exception& e) {
    return std::string("error ") + typeid(e).name();
  }
}
}  // namespace

TEST(Formula_Steps, GiveTheTreesBits) {
  const char* formulas[] = {
      "",
      "7",
      "(((2.5)))",
      "1 + 2 * 3 ^ 4",
      "1 * 2 + 3 * 4 + 5 * 6",
      "[%x%] * [%level%] + 1 < [%x%]",
      "- 2 and [%x%]",
      "false and not [%x%]",
      "1 2",
      "- 5",
      "1 + 2 *",
      "-[%x%] + 1",
      "[%x%] / 7 + 0.5",
      "[%x%] ^ 2",
      "2147483647 + [%x%]",
      "[%x%] * 65536 * 65536",
      "\"ab\" + \"cd\" = \"abcd\"",
      "\"ab\" * 2",
      "stringcompare(\"Air\", \"AIR\") xor [%x%] > 3",
      "[%missing%] + 1.5",
      "[%v%] + [%w%] - [%v%]",
      "true + [%v%]",
      // The second value of a block keeps the vector of the word before.
      "[%v%] + max(1, 2)",
      "[%v%] + VectorAdd([%w%], [%v%]) + min(1, 2.5)",
      "VectorAdd([%v%], MakeVector(random(-10, 10), random(-10.0, 10.0), 0))",
      "VectorMulS(VectorNormalize(VectorSub([%w%], [%v%])), 0.25 + frac(Get_Particle_Number() / 7))",
      "Negative_Vector(VectorNormalize(MakeVector(0, 0, 0)))",
      "MakeColor(1, 0.5 + 0.5 * frac(Get_Particle_Number() / 10), 0.2, iif(Get_Particle_Number() > 8, 0.5, 1))",
      "MakeRect([%x%], 2.5, -3, 4) + 1",
      "iif([%x%] > 1, [%v%], MakeColor(1, [%x%], 0.5, 2))",
      "1500 + 500 * sqrt(Get_Particle_Number()) + random(0, 250)",
      "Get_Nation_Tech_Level(\"Air Units\") >= 2 and [%Level%] > 1",
      "Get_Particle_Position(1, [%x%]) + Get_Particle_Velocity(2, [%x%] - 3)",
      "Get_Particle_Color(1, Get_Particle_Number())",
      "Get_Particle_Heading_Vector(1, [%x%])",
      "sqrt([%x%] - 3) + ln([%x%]) + exp([%x%] * 10)",
      "round([%x%] / 2) + trunc(-2.5) + int(3.7) + power(2, [%x%]) * sqr(1.5) - pi()",
      "round(2147483648.0) + trunc([%x%] * 1000000000.0)",
  };
  const std::int32_t xs[] = {0, 1, 2, 5, 9, 13, -7, 2147483647};
  Formula_Set_Particle_Source(&particles);
  for (const char* text : formulas) {
    TFormula_Line steps, tree;
    std::string error;
    ASSERT_TRUE(steps.m_Parse(text, error)) << text << ": " << error;
    ASSERT_TRUE(tree.m_Parse(text, error)) << text << ": " << error;
    ASSERT_FALSE(steps.m_Steps().empty()) << text;
    tree.m_Set_Walk_Tree(true);
    // The same lines throughout: what one evaluation leaves in the scratch
    // values meets the next.
    for (int round = 0; round < 2; ++round) {
      for (std::int32_t x : xs) {
        const std::uint32_t seed = std::uint32_t(x) * 7u + std::uint32_t(round);
        EXPECT_EQ(Evaluate(steps, x, seed), Evaluate(tree, x, seed)) << text << " with x = " << x;
      }
    }
  }
  Formula_Set_Particle_Source(nullptr);
}

// A formula that did not parse has no steps; its partial tree is walked.
TEST(Formula_Steps, NoneForAFormulaThatDidNotParse) {
  TFormula_Line line;
  std::string error;
  EXPECT_FALSE(line.m_Parse("1 + unknown(2)", error));
  EXPECT_TRUE(line.m_Steps().empty());
  TFormula_Value one;
  one.m_Set_Long(1);
  EXPECT_EQ(Bits(line.m_Evaluate_Value()), Bits(one));
}
