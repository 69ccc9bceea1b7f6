#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <tuple>

#include "Datafile_Formula_Functions.h"
#include "Datafile_Formula_Line.h"
#include "Formula_Test_Support.h"
#include "Global.h"

namespace {
class TTest_Empire : public TFormula_Empire {
public:
  std::int32_t m_Get_Tech_Level_By_Area_Name(std::uint8_t kind, const std::string& text) const override {
    last_kind = kind;
    return text == "Air Units" ? 4 : 0;
  }
  mutable std::uint8_t last_kind = 0;
};

class TTest_Effect : public TFormula_Effect {
public:
  explicit TTest_Effect(float scale) : f_scale(scale) {}
  float m_Get_Effect_Scale_Size() const override { return f_scale; }

private:
  float f_scale;
};

// Particles by (effect, emitter, particle number).
class TTest_Particles : public TFormula_Particle_Source {
public:
  std::map<std::tuple<int, int, int>, TFormula_Particle_State> particles;
  bool m_Get_System_Position(std::int32_t k1, std::int32_t k2, std::int32_t k3, TVector& position) const override {
    auto it = particles.find({k1, k2, k3});
    if (it == particles.end()) return false;
    position = it->second.position;
    return true;
  }
  bool m_Find_System(std::int32_t k1, std::int32_t k2, std::int32_t k3,
                     TFormula_Particle_State& state) const override {
    auto it = particles.find({k1, k2, k3});
    if (it == particles.end()) return false;
    state = it->second;
    return true;
  }
};

// Context for the rows: what goes into the slots.
enum TContext { NONE, EFFECT, EFFECT2, EMPIRE, WRONG_EMPIRE, PARTICLES };

struct TFixture {
  TTest_Effect effect{1.0f};
  TTest_Effect effect2{2.0f};
  TTest_Empire empire;
  TTest_Particles particles;

  TFixture() {
    TFormula_Particle_State a;
    a.position = {1, 2, 3};
    a.velocity = {4, 5, 6};
    a.color = {1, 0.5f, 0.25f, 1};
    a.rotation = 1.5707964f;  // pi / 2: heading (1, 0, 0)
    particles.particles[{9, 1, 2}] = a;
    TFormula_Particle_State b;
    b.position = {7, 8, 9};
    particles.particles[{9, 1, 0}] = b;
  }

  TFormula_Value Evaluate(const std::string& text, TContext context) {
    TFormula_Line line;
    std::string error;
    EXPECT_TRUE(line.m_Parse(text, error)) << text << ": " << error;
    line.m_Add_Vector_Variable("[%v%]", {1, 2, 3});
    line.m_Add_Vector_Variable("[%w%]", {3, 0, 4});
    switch (context) {
      case EFFECT: line.m_Set_Object_Slot(FORMULA_SLOT_EFFECT, &effect, 9); break;
      case EFFECT2: line.m_Set_Object_Slot(FORMULA_SLOT_EFFECT, &effect2, 9); break;
      case EMPIRE: line.m_Set_Object_Slot(FORMULA_SLOT_EMPIRE, &empire, 0); break;
      case WRONG_EMPIRE: line.m_Set_Object_Slot(FORMULA_SLOT_EMPIRE, &effect, 0); break;
      case PARTICLES:
        line.m_Set_Object_Slot(FORMULA_SLOT_EFFECT, &effect, 9);
        line.m_Set_Object_Slot(FORMULA_SLOT_PARTICLE, nullptr, 7);
        break;
      default: break;
    }
    Formula_Set_Particle_Source(&particles);
    TFormula_Value v = line.m_Evaluate_Value();
    Formula_Set_Particle_Source(nullptr);
    return v;
  }
};
}  // namespace

TEST(Formula_Functions, NamesIdsAndParameterCounts) {
  struct Row {
    const char* name;
    std::uint16_t id, params;
  } rows[] = {
      {"max", 1, 2},
      {"min", 2, 2},
      {"int", 3, 1},
      {"frac", 4, 1},
      {"trunc", 5, 1},
      {"round", 6, 1},
      {"exp", 7, 1},
      {"ln", 8, 1},
      {"pi", 9, 0},
      {"power", 10, 2},
      {"sqr", 11, 1},
      {"sqrt", 12, 1},
      {"iif", 13, 3},
      {"stringcompare", 14, 2},
      {"random", 15, 2},
      {"Get_Particle_Position", 16, 2},
      {"Get_Particle_Velocity", 17, 2},
      {"Negative_Vector", 18, 1},
      {"VectorMulS", 19, 2},
      {"VectorAdd", 20, 2},
      {"VectorSub", 21, 2},
      {"MakeVector", 22, 3},
      {"VectorNormalize", 23, 1},
      {"MakeColor", 24, 4},
      {"MakeRect", 25, 4},
      {"Get_Particle_Number", 26, 0},
      {"Get_Particle_Color", 27, 2},
      {"Get_Particle_Heading_Vector", 28, 2},
      {"Get_Nation_Tech_Level", 29, 1},
  };
  for (const Row& r : rows) {
    std::uint16_t id = 0, params = 99;
    EXPECT_TRUE(Formula_Function_Lookup(r.name, id, params)) << r.name;
    EXPECT_EQ(id, r.id) << r.name;
    EXPECT_EQ(params, r.params) << r.name;
    EXPECT_EQ(Formula_Function_Name(r.id), r.name);
    // Any case of the name calls the function; a wrong count does not parse.
    std::string upper;
    for (char c : std::string(r.name)) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(Formula_Function_Lookup(upper, id, params)) << upper;
    EXPECT_EQ(id, r.id);
    std::string call = upper + "(";
    for (int i = 0; i <= r.params; ++i) call += i ? ", 1" : "1";
    call += ")";
    TFormula_Line line;
    std::string error;
    EXPECT_FALSE(line.m_Parse(call, error)) << call;
    EXPECT_EQ(error, "Incorrect number of parameters for function \"" + call + "\"");
  }
  std::uint16_t id = 5, params = 5;
  EXPECT_FALSE(Formula_Function_Lookup("maximum", id, params));
  EXPECT_EQ(id, 0);
  EXPECT_EQ(Formula_Function_Name(0), "");
  EXPECT_EQ(Formula_Function_Name(30), "");
}

TEST(Formula_Functions, Results) {
  struct Row {
    const char* text;
    TContext context;
    const char* value;
  } rows[] = {
      {"MAX(1, 2)", NONE, "L:2"},
      {"Max(1, 2)", NONE, "L:2"},
      {"max(2, 1)", NONE, "L:2"},
      {"max(1, 2.5)", NONE, "F:2.5"},
      {"max(-1.5, -2)", NONE, "F:-1.5"},
      {"max(true, -3)", NONE, "F:0"},
      {"min(1, 2)", NONE, "L:1"},
      {"min(1, 2.5)", NONE, "F:1"},
      {"min(\"a\", 2)", NONE, "F:0"},
      {"int(2.7)", NONE, "F:2"},
      {"int(-2.7)", NONE, "F:-2"},
      {"int(5)", NONE, "F:5"},
      {"frac(2.75)", NONE, "F:0.75"},
      {"frac(-2.75)", NONE, "F:-0.75"},
      {"frac(3)", NONE, "F:0"},
      {"trunc(-2.7)", NONE, "L:-2"},
      {"trunc(2.7)", NONE, "L:2"},
      {"trunc(7)", NONE, "L:7"},
      {"trunc(\"x\")", NONE, "L:0"},
      {"trunc(true)", NONE, "L:0"},
      {"trunc(3000000000.0)", NONE, "L:0"},
      {"round(2.5)", NONE, "L:2"},
      {"round(3.5)", NONE, "L:4"},
      {"round(-2.5)", NONE, "L:-2"},
      {"round(-3.5)", NONE, "L:-4"},
      {"round(2.6)", NONE, "L:3"},
      {"round(-2.4)", NONE, "L:-2"},
      {"round(9)", NONE, "L:9"},
      {"round(\"x\")", NONE, "L:0"},
      {"round(5000000000.0)", NONE, "L:0"},
      {"exp(0)", NONE, "F:1"},
      {"exp(1)", NONE, "F:2.7182817"},
      {"exp(100)", NONE, "L:0"},
      {"exp(-200)", NONE, "F:0"},
      {"ln(1)", NONE, "F:0"},
      {"ln(4)", NONE, "F:1.3862944"},
      {"ln(0)", NONE, "L:0"},
      {"ln(-1)", NONE, "L:0"},
      {"ln(0) + 1", NONE, "L:1"},
      {"pi()", NONE, "F:3.1415927"},
      {"power(2, 0.5)", NONE, "F:1.4142135"},
      {"power(2, 3)", NONE, "F:8"},
      {"power(0, 0)", NONE, "F:1"},
      {"power(0, -1)", NONE, "L:0"},
      {"power(-8, 0.5)", NONE, "L:0"},
      {"power(10, 39)", NONE, "L:0"},
      {"sqr(3)", NONE, "F:9"},
      {"sqr(-1.5)", NONE, "F:2.25"},
      {"sqr(100000000000000000000.0)", NONE, "L:0"},
      {"sqrt(9)", NONE, "F:3"},
      {"sqrt(0)", NONE, "F:0"},
      {"sqrt(-1)", NONE, "L:0"},
      {"sqrt(-1) + sqrt(4)", NONE, "F:2"},
      {"iif(true, 1, 2)", NONE, "L:1"},
      {"iif(1.0, 1, 2)", NONE, "L:2"},
      {"iif(2, 1, 2)", NONE, "L:2"},
      {"iif(1, \"a\", 2)", NONE, "S:a"},
      {"iif(1 < 2, 2.5, 2)", NONE, "F:2.5"},
      {"iif(false, 1, [%v%])", NONE, "V:1,2,3"},
      {"stringcompare(\"abc\", \"ABC\")", NONE, "B:true"},
      {"stringcompare(\"abc\", \"abd\")", NONE, "B:false"},
      {"stringcompare(\"\", 1)", NONE, "B:true"},
      {"random(5, 5)", NONE, "L:5"},
      {"random(2.5, 2.5)", NONE, "F:2.5"},
      {"random(-7, -7)", NONE, "L:-7"},
      {"Negative_Vector([%v%])", NONE, "v:-1,-2,-3"},
      {"VectorMulS([%v%], 2)", NONE, "v:2,4,6"},
      {"VectorMulS([%v%], 0.5)", NONE, "v:0.5,1,1.5"},
      {"VectorMulS([%v%], true)", NONE, "v:1,2,3"},
      {"VectorMulS([%v%], \"x\")", NONE, "v:0,0,0"},
      {"VectorAdd([%v%], [%w%])", NONE, "v:4,2,7"},
      {"VectorSub([%v%], [%w%])", NONE, "v:-2,2,-1"},
      {"VectorAdd(VectorMulS([%v%], 2), Negative_Vector([%v%]))", NONE, "v:1,2,3"},
      {"VectorNormalize([%w%])", NONE, "v:0.6,0,0.8"},
      {"MakeVector(1, 2, 3)", NONE, "L:0"},
      {"MakeVector(1, 2, 3)", EFFECT, "v:1,2,3"},
      {"MakeVector(1, 0.5, true)", EFFECT2, "v:2,1,2"},
      {"VectorNormalize(MakeVector(0, 0, 0))", EFFECT, "v:0,0,0"},
      {"VectorNormalize(MakeVector(0, 0, 2))", EFFECT, "v:0,0,1"},
      {"MakeColor(1, 0.5, 0, 1)", NONE, "C:1,0.5,0,1"},
      {"MakeColor(255, 128, true, 0.25)", NONE, "C:255,128,1,0.25"},
      {"MakeRect(1, 2, 3.5, 4)", NONE, "R:1,2,3.5,4"},
      {"Get_Particle_Number()", NONE, "L:0"},
      {"Get_Particle_Number()", PARTICLES, "L:7"},
      {"Get_Particle_Number() * 2", PARTICLES, "L:14"},
      {"Get_Particle_Position(1, 2)", PARTICLES, "v:1,2,3"},
      {"Get_Particle_Position(1, 0)", PARTICLES, "v:7,8,9"},
      {"Get_Particle_Position(1, 3)", PARTICLES, "v:0,0,0"},
      {"Get_Particle_Position(1, 2)", NONE, "v:0,0,0"},
      {"Get_Particle_Position(1, -1)", PARTICLES, "L:0"},
      {"Get_Particle_Velocity(1, 2)", PARTICLES, "v:4,5,6"},
      {"Get_Particle_Velocity(2, 2)", PARTICLES, "v:0,0,0"},
      {"Get_Particle_Velocity(1, -2)", PARTICLES, "L:0"},
      {"Get_Particle_Color(1, 2)", PARTICLES, "C:1,0.5,0.25,1"},
      {"Get_Particle_Color(1, 5)", PARTICLES, "C:0,0,0,0"},
      {"Get_Particle_Heading_Vector(1, 0)", PARTICLES, "v:0,1,0"},
      {"Get_Particle_Heading_Vector(1, 4)", PARTICLES, "v:0,0,0"},
      {"Get_Nation_Tech_Level(\"x\")", NONE, "L:0"},
      {"Get_Nation_Tech_Level(\"Air Units\")", NONE, "L:0"},
      {"Get_Nation_Tech_Level(\"Air Units\")", EMPIRE, "L:4"},
      {"Get_Nation_Tech_Level(\"Sea Units\")", EMPIRE, "L:0"},
      {"Get_Nation_Tech_Level(\"Air Units\") >= 3", EMPIRE, "B:true"},
      // An effect in the empire slot is no empire.
      {"Get_Nation_Tech_Level(\"Air Units\")", WRONG_EMPIRE, "L:0"},
  };
  TFixture f;
  for (const Row& r : rows) EXPECT_TRUE(Formula_Value_Is(f.Evaluate(r.text, r.context), r.value)) << r.text;
  EXPECT_EQ(f.empire.last_kind, 2);
  // The heading pi / 2 points along x.
  TFormula_Value h = f.Evaluate("Get_Particle_Heading_Vector(1, 2)", PARTICLES);
  EXPECT_EQ(h.tag, FORMULA_TAG_LONG);
  EXPECT_EQ(h.vector.x, 1.0f);
  EXPECT_NEAR(h.vector.y, 0.0f, 1e-6);
  EXPECT_EQ(h.vector.z, 0.0f);
}

TEST(Formula_Functions, TypedEvaluationsReadTheFields) {
  TFixture f;
  TFormula_Line line;
  std::string error;
  ASSERT_TRUE(line.m_Parse("MakeColor(1, 0.5, 0, 1)", error));
  TVector4 c = line.m_Evaluate_Color();
  EXPECT_EQ(c.x, 1);
  EXPECT_EQ(c.y, 0.5f);
  EXPECT_EQ(c.z, 0);
  EXPECT_EQ(c.w, 1);
  ASSERT_TRUE(line.m_Parse("MakeRect(0, 0, 0.5, 0.25)", error));
  TVector4 r = line.m_Evaluate_Rect();
  EXPECT_EQ(r.z, 0.5f);
  EXPECT_EQ(r.w, 0.25f);
  ASSERT_TRUE(line.m_Parse("MakeVector(1, 2, 3)", error));
  line.m_Set_Object_Slot(FORMULA_SLOT_EFFECT, &f.effect2, 1);
  TVector v = line.m_Evaluate_Vector();
  EXPECT_EQ(v.x, 2);
  EXPECT_EQ(v.z, 6);
  // The slots were cleared: without the effect the call fails to 0.
  v = line.m_Evaluate_Vector();
  EXPECT_EQ(v.x, 0);
}

TEST(Formula_Functions, RandomStaysInRange) {
  Random_Set_Seed(12345);
  TFormula_Line line, single;
  std::string error;
  ASSERT_TRUE(line.m_Parse("random(1, 3)", error));
  ASSERT_TRUE(single.m_Parse("random(1.0, 2)", error));
  bool seen[4] = {};
  for (int i = 0; i < 200; ++i) {
    std::int32_t n = line.m_Evaluate_Integer();
    ASSERT_GE(n, 1);
    ASSERT_LE(n, 3);
    seen[n] = true;
    float s = single.m_Evaluate_Single();
    ASSERT_GE(s, 1.0f);
    ASSERT_LE(s, 2.0f);
  }
  EXPECT_TRUE(seen[1] && seen[2] && seen[3]);
}

// A function that fails gives long 0 and the zero vector, also when the
// value it replaces held a vector.
TEST(Formula_Functions, ErrorValueClearsTheFields) {
  TFormula_Value out;
  out.vector = {1, 2, 3};
  out.color = {1, 1, 1, 1};
  TFormula_Value p1, none;
  p1.m_Set_Single(-1);
  TFormula_Object_Pointers slots;
  Formula_Evaluate_Function(FORMULA_FN_SQRT, slots, p1, none, none, none, out);
  EXPECT_TRUE(Formula_Value_Is(out, "v:0,0,0"));
  EXPECT_EQ(out.color.x, 0);
  // A function that succeeds keeps the fields it does not set.
  out.vector = {1, 2, 3};
  p1.m_Set_Single(4);
  Formula_Evaluate_Function(FORMULA_FN_SQRT, slots, p1, none, none, none, out);
  EXPECT_TRUE(Formula_Value_Is(out, "F:2"));
  EXPECT_EQ(out.vector.y, 2);
}
