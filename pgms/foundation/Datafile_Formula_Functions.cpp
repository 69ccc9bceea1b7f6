#include "Datafile_Formula_Functions.h"

#include <algorithm>
#include <cmath>

#include "Debug_Log.h"
#include "Errors.h"
#include "Global.h"
#include "Io.h"
#include "Vector_Math.h"

namespace {
struct TFunction_Entry {
  const char* name;
  std::uint16_t param_count;
};

// Indexed by function id - 1.
constexpr TFunction_Entry FUNCTIONS[FORMULA_FN_COUNT] = {
    {"max", 2},
    {"min", 2},
    {"int", 1},
    {"frac", 1},
    {"trunc", 1},
    {"round", 1},
    {"exp", 1},
    {"ln", 1},
    {"pi", 0},
    {"power", 2},
    {"sqr", 1},
    {"sqrt", 1},
    {"iif", 3},
    {"stringcompare", 2},
    {"random", 2},
    {"Get_Particle_Position", 2},
    {"Get_Particle_Velocity", 2},
    {"Negative_Vector", 1},
    {"VectorMulS", 2},
    {"VectorAdd", 2},
    {"VectorSub", 2},
    {"MakeVector", 3},
    {"VectorNormalize", 1},
    {"MakeColor", 4},
    {"MakeRect", 4},
    {"Get_Particle_Number", 0},
    {"Get_Particle_Color", 2},
    {"Get_Particle_Heading_Vector", 2},
    {"Get_Nation_Tech_Level", 1},
};

const TFormula_Particle_Source* particle_source = nullptr;

// A single, a long converted, 0 for any other tag.
float As_Single(const TFormula_Value& v) {
  if (v.tag == FORMULA_TAG_SINGLE) return v.single_value;
  if (v.tag == FORMULA_TAG_LONG) return static_cast<float>(v.long_value);
  return 0.0f;
}

// The long (a boolean's 1 or 0 too) when it is not 0, else the single.
float As_Number(const TFormula_Value& v) {
  return v.long_value != 0 ? static_cast<float>(v.long_value) : v.single_value;
}

bool Both_Long(const TFormula_Value& a, const TFormula_Value& b) {
  return a.tag == FORMULA_TAG_LONG && b.tag == FORMULA_TAG_LONG;
}

// The value of a function that failed: long 0 with zero vector, colour and
// rect. C++ raises nothing for a logarithm of 0 or a square root of -1, so
// the functions check their domains themselves and come here.
void Error_Value(TFormula_Value& out) { out.m_Clear(FORMULA_TAG_LONG); }

// A single result; false (and the error value) when it is not finite.
bool Set_Single(TFormula_Value& out, double v) {
  float f = static_cast<float>(v);
  if (!std::isfinite(f)) {
    Error_Value(out);
    return false;
  }
  out.tag = FORMULA_TAG_SINGLE;
  out.single_value = f;
  return true;
}

void Set_Long(TFormula_Value& out, std::int32_t v) {
  out.tag = FORMULA_TAG_LONG;
  out.long_value = v;
}

// Whole number toward zero; false when it does not fit 32 bits.
bool To_Int32(double x, std::int32_t& out) {
  double t = std::trunc(x);
  if (!(t >= -2147483648.0 && t <= 2147483647.0)) return false;
  out = static_cast<std::int32_t>(t);
  return true;
}

// Nearest whole number, halves to the even one.
double Round_Half_Even(double x) {
  double f = std::floor(x);
  double d = x - f;
  if (d > 0.5) return f + 1;
  if (d < 0.5) return f;
  return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

// The particle keys: the effect's number from slot 4 and two parameters.
// A negative particle number is a range error.
void Particle_Keys(const TFormula_Object_Pointers& slots, const TFormula_Value& p1, const TFormula_Value& p2,
                   std::int32_t& k1, std::int32_t& k2, std::int32_t& k3) {
  k1 = slots.m_Get(FORMULA_SLOT_EFFECT).value;
  k2 = p1.long_value;
  k3 = p2.long_value;
  if (k3 < 0) throw ERangeError();
}

bool Find_Particle(const TFormula_Object_Pointers& slots, const TFormula_Value& p1, const TFormula_Value& p2,
                   TFormula_Particle_State& state) {
  std::int32_t k1, k2, k3;
  Particle_Keys(slots, p1, p2, k1, k2, k3);
  return particle_source && particle_source->m_Find_System(k1, k2, k3, state);
}

void Compute(std::uint16_t id, const TFormula_Object_Pointers& slots, const TFormula_Value& p1,
             const TFormula_Value& p2, const TFormula_Value& p3, const TFormula_Value& p4, TFormula_Value& out) {
  switch (id) {
    case FORMULA_FN_MAX:
      if (Both_Long(p1, p2)) {
        Set_Long(out, p1.long_value > p2.long_value ? p1.long_value : p2.long_value);
      } else {
        float a = As_Single(p1), b = As_Single(p2);
        out.tag = FORMULA_TAG_SINGLE;
        out.single_value = a > b ? a : b;
      }
      return;
    case FORMULA_FN_MIN:
      if (Both_Long(p1, p2)) {
        Set_Long(out, p1.long_value < p2.long_value ? p1.long_value : p2.long_value);
      } else {
        float a = As_Single(p1), b = As_Single(p2);
        out.tag = FORMULA_TAG_SINGLE;
        out.single_value = a < b ? a : b;
      }
      return;
    case FORMULA_FN_INT:
      Set_Single(out, std::trunc(static_cast<double>(As_Single(p1))));
      return;
    case FORMULA_FN_FRAC: {
      double x = As_Single(p1);
      Set_Single(out, x - std::trunc(x));
      return;
    }
    case FORMULA_FN_TRUNC:
    case FORMULA_FN_ROUND: {
      std::int32_t v = 0;
      if (p1.tag == FORMULA_TAG_LONG) {
        v = p1.long_value;
      } else if (p1.tag == FORMULA_TAG_SINGLE) {
        double x = p1.single_value;
        if (!To_Int32(id == FORMULA_FN_ROUND ? Round_Half_Even(x) : x, v)) {
          Error_Value(out);
          return;
        }
      }
      Set_Long(out, v);
      return;
    }
    case FORMULA_FN_EXP:
      Set_Single(out, std::exp(static_cast<double>(As_Single(p1))));
      return;
    case FORMULA_FN_LN: {
      double x = As_Single(p1);
      if (!(x > 0)) {
        Error_Value(out);
        return;
      }
      Set_Single(out, std::log(x));
      return;
    }
    case FORMULA_FN_PI:
      Set_Single(out, 3.1415927f);
      return;
    case FORMULA_FN_POWER:
      Set_Single(out, std::pow(static_cast<double>(As_Single(p1)), static_cast<double>(As_Single(p2))));
      return;
    case FORMULA_FN_SQR: {
      double x = As_Single(p1);
      Set_Single(out, x * x);
      return;
    }
    case FORMULA_FN_SQRT: {
      double x = As_Single(p1);
      if (!(x >= 0)) {
        Error_Value(out);
        return;
      }
      Set_Single(out, std::sqrt(x));
      return;
    }
    case FORMULA_FN_IIF:
      out = p1.long_value == 1 ? p2 : p3;
      return;
    case FORMULA_FN_STRINGCOMPARE:
      out.tag = FORMULA_TAG_BOOLEAN;
      out.long_value = Text_Compare(p1.string_value, p2.string_value) == 0 ? 1 : 0;
      return;
    case FORMULA_FN_RANDOM:
      if (Both_Long(p1, p2)) {
        Set_Long(out, Random_Range_2(p1.long_value, p2.long_value));
      } else {
        Set_Single(out, Random_Single(As_Single(p1), As_Single(p2)));
      }
      return;
    case FORMULA_FN_GET_PARTICLE_POSITION: {
      std::int32_t k1, k2, k3;
      Particle_Keys(slots, p1, p2, k1, k2, k3);
      TVector position;
      if (!particle_source || !particle_source->m_Get_System_Position(k1, k2, k3, position)) position = TVector{};
      out.vector = position;
      return;
    }
    case FORMULA_FN_GET_PARTICLE_VELOCITY: {
      TFormula_Particle_State state;
      out.vector = Find_Particle(slots, p1, p2, state) ? state.velocity : TVector{};
      return;
    }
    case FORMULA_FN_NEGATIVE_VECTOR:
      out.vector = {-p1.vector.x, -p1.vector.y, -p1.vector.z};
      return;
    case FORMULA_FN_VECTORMULS: {
      TVector v;
      G_Vector_Scale(p1.vector, v, As_Number(p2));
      out.vector = v;
      return;
    }
    case FORMULA_FN_VECTORADD: {
      TVector v;
      G_Vector_Add(p1.vector, p2.vector, v);
      out.vector = v;
      return;
    }
    case FORMULA_FN_VECTORSUB: {
      TVector v;
      G_Vector_Subtract(p1.vector, p2.vector, v);
      out.vector = v;
      return;
    }
    case FORMULA_FN_MAKEVECTOR: {
      const TFormula_Object* object = slots.m_Get(FORMULA_SLOT_EFFECT).object;
      const TFormula_Effect* effect = object ? object->m_As_Formula_Effect() : nullptr;
      if (!effect) {
        Error_Value(out);
        return;
      }
      float s = effect->m_Get_Effect_Scale_Size();
      out.vector = {As_Number(p1) * s, As_Number(p2) * s, As_Number(p3) * s};
      return;
    }
    case FORMULA_FN_VECTORNORMALIZE: {
      // The length is taken once: normalizing a vector of that length
      // divides by it.
      TVector v = p1.vector;
      const float length = G_Vector_Length(v);
      if (length > 0) G_Vector_Divide(p1.vector, v, length);
      out.vector = v;
      return;
    }
    case FORMULA_FN_MAKECOLOR:
      out.color = {As_Number(p1), As_Number(p2), As_Number(p3), As_Number(p4)};
      return;
    case FORMULA_FN_MAKERECT:
      out.rect = {As_Number(p1), As_Number(p2), As_Number(p3), As_Number(p4)};
      return;
    case FORMULA_FN_GET_PARTICLE_NUMBER:
      Set_Long(out, slots.m_Get(FORMULA_SLOT_PARTICLE).value);
      return;
    case FORMULA_FN_GET_PARTICLE_COLOR: {
      TFormula_Particle_State state;
      out.color = Find_Particle(slots, p1, p2, state) ? state.color : TVector4{};
      return;
    }
    case FORMULA_FN_GET_PARTICLE_HEADING_VECTOR: {
      TFormula_Particle_State state;
      if (Find_Particle(slots, p1, p2, state)) {
        double h = state.rotation;
        out.vector = {static_cast<float>(std::sin(h)), static_cast<float>(std::cos(h)), 0.0f};
      } else {
        out.vector = TVector{};
      }
      return;
    }
    case FORMULA_FN_GET_NATION_TECH_LEVEL: {
      const TFormula_Object* object = slots.m_Get(FORMULA_SLOT_EMPIRE).object;
      const TFormula_Empire* empire = object ? object->m_As_Formula_Empire() : nullptr;
      Set_Long(out, empire ? empire->m_Get_Tech_Level_By_Area_Name(2, p1.string_value) : 0);
      return;
    }
    default:
      return;
  }
}
}  // namespace

void Formula_Set_Particle_Source(const TFormula_Particle_Source* source) { particle_source = source; }
const TFormula_Particle_Source* Formula_Get_Particle_Source() { return particle_source; }

bool Formula_Function_Lookup(const std::string& name, std::uint16_t& id, std::uint16_t& param_count) {
  for (std::uint16_t i = 0; i < FORMULA_FN_COUNT; ++i) {
    if (Text_Compare(name, FUNCTIONS[i].name) == 0) {
      id = static_cast<std::uint16_t>(i + 1);
      param_count = FUNCTIONS[i].param_count;
      return true;
    }
  }
  id = FORMULA_FN_UNKNOWN;
  param_count = 0;
  return false;
}

std::string Formula_Function_Name(std::uint16_t id) {
  if (id < 1 || id > FORMULA_FN_COUNT) return "";
  return FUNCTIONS[id - 1].name;
}

void Formula_Evaluate_Function(std::uint16_t id, const TFormula_Object_Pointers& slots, const TFormula_Value& p1,
                               const TFormula_Value& p2, const TFormula_Value& p3, const TFormula_Value& p4,
                               TFormula_Value& out) {
  // Vector, colour and rect keep what out held unless the function sets them.
  out.tag = FORMULA_TAG_LONG;
  out.single_value = 0;
  out.string_value.clear();
  out.long_value = 0;
  try {
    Compute(id, slots, p1, p2, p3, p4, out);
  } catch (const std::exception&) {
    Error_Value(out);
  }
}

// The flat programs run here, beside the functions they call most.

namespace {
// As `out = from`, sparing the string's copy when it is empty.
void Copy_Value(TFormula_Value& out, const TFormula_Value& from) {
  out.tag = from.tag;
  out.single_value = from.single_value;
  if (from.string_value.empty())
    out.string_value.clear();
  else
    out.string_value = from.string_value;
  out.long_value = from.long_value;
  out.vector = from.vector;
  out.color = from.color;
  out.rect = from.rect;
}
}  // namespace

void Formula_Run_Steps(const std::vector<TFormula_Step>& steps, const TFormula_Variable_Slots& variables,
                       const TFormula_Object_Pointers& slots) {
  for (const TFormula_Step& step : steps) {
    TFormula_Value& out = *step.out;
    switch (step.kind) {
      case FORMULA_STEP_CLEAR: out.m_Clear(FORMULA_TAG_LONG); break;
      case FORMULA_STEP_SINGLE: out.m_Set_Single(step.single); break;
      case FORMULA_STEP_LONG: out.m_Set_Long(step.number); break;
      case FORMULA_STEP_BOOLEAN: out.m_Set_Boolean(step.number != 0); break;
      case FORMULA_STEP_STRING: out.m_Set_String(*step.text); break;
      case FORMULA_STEP_VARIABLE: {
        const TFormula_Value* v =
            step.number > 0 && step.number <= variables.m_Count() ? variables.m_Get(step.number) : nullptr;
        if (v)
          Copy_Value(out, *v);
        else
          out.m_Clear(FORMULA_TAG_SINGLE);
        break;
      }
      case FORMULA_STEP_OPERATOR_WORD:
        out.tag = FORMULA_TAG_NONE;
        out.single_value = 0;
        out.string_value.clear();
        out.long_value = 0;
        break;
      case FORMULA_STEP_APPLY: Formula_Apply_Operator(step.code, out, *step.in[0]); break;
      case FORMULA_STEP_CLEAR_AND_CALL:
        out.m_Clear(FORMULA_TAG_LONG);
        Formula_Evaluate_Function(step.code, slots, *step.in[0], *step.in[1], *step.in[2], *step.in[3], out);
        break;
      default:
        Formula_Evaluate_Function(step.code, slots, *step.in[0], *step.in[1], *step.in[2], *step.in[3], out);
        break;
    }
  }
}

void TFormula_Word_Function::m_Resolve_Variables(std::vector<std::string>& names) {
  for (const auto& p : f_params) p->m_Resolve_Variables(names);
}

void TFormula_Word_Function::Evaluate(const TFormula_Variable_Slots& variables, const TFormula_Object_Pointers& slots,
                                      TFormula_Value& out) const {
  // A given parameter's value is set whole by its block; the others were
  // made empty singles with the word and are only read.
  const std::size_t n = std::min<std::size_t>(f_params.size(), 4);
  for (std::size_t i = 0; i < n; ++i) f_params[i]->m_Evaluate(variables, slots, f_values[i]);
  if (n > 0 && Debug_Sections[DEBUG_FORMULA_EVALUATION]) {
    std::string line = f_name + "(";
    for (std::size_t i = 0; i < n; ++i) {
      if (i > 0) line += ", ";
      line += f_values[i].m_To_Text();
    }
    Debug_Log_Write(line + ")");
  }
  Formula_Evaluate_Function(f_id, slots, f_values[0], f_values[1], f_values[2], f_values[3], out);
}

bool TFormula_Word_Function::m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const {
  // The parameters into the word's own values, then the call; parameters
  // not given stay the empty singles they were made.
  const std::size_t n = std::min<std::size_t>(f_params.size(), 4);
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t first = steps.size();
    f_params[i]->m_Compile(steps, f_values[i]);
    // A parameter that is a lone constant is written here, once: only its
    // own steps (and the tree's walk of the same block) write the value,
    // and always alike.
    if (steps.size() == first + 1 && Formula_Step_Sets_Constant(steps[first])) {
      Formula_Run_Steps(std::vector<TFormula_Step>(1, steps[first]), TFormula_Variable_Slots(),
                        TFormula_Object_Pointers());
      steps.pop_back();
    }
  }
  TFormula_Step call;
  call.kind = FORMULA_STEP_CALL;
  call.code = f_id;
  call.out = &out;
  for (std::size_t i = 0; i < 4; ++i) call.in[i] = &f_values[i];
  steps.push_back(call);
  // Vector, colour and rect keep what out held unless the function sets them.
  return false;
}
