// The built-in functions of the formula language.
//
// The functions that read an empire, an effect or the particles reach them
// through the small interfaces below, which the world model and the graphics
// engine implement. The formula language therefore works (and is tested)
// without either.
#pragma once

#include <cstdint>
#include <string>

#include "Datafile_Formula_Line.h"
#include "Vector_Types.h"

// Function ids (0 means unknown).
enum TFormula_Function_Id : std::uint16_t {
  FORMULA_FN_UNKNOWN = 0,
  FORMULA_FN_MAX = 1,
  FORMULA_FN_MIN = 2,
  FORMULA_FN_INT = 3,
  FORMULA_FN_FRAC = 4,
  FORMULA_FN_TRUNC = 5,
  FORMULA_FN_ROUND = 6,
  FORMULA_FN_EXP = 7,
  FORMULA_FN_LN = 8,
  FORMULA_FN_PI = 9,
  FORMULA_FN_POWER = 10,
  FORMULA_FN_SQR = 11,
  FORMULA_FN_SQRT = 12,
  FORMULA_FN_IIF = 13,
  FORMULA_FN_STRINGCOMPARE = 14,
  FORMULA_FN_RANDOM = 15,
  FORMULA_FN_GET_PARTICLE_POSITION = 16,
  FORMULA_FN_GET_PARTICLE_VELOCITY = 17,
  FORMULA_FN_NEGATIVE_VECTOR = 18,
  FORMULA_FN_VECTORMULS = 19,
  FORMULA_FN_VECTORADD = 20,
  FORMULA_FN_VECTORSUB = 21,
  FORMULA_FN_MAKEVECTOR = 22,
  FORMULA_FN_VECTORNORMALIZE = 23,
  FORMULA_FN_MAKECOLOR = 24,
  FORMULA_FN_MAKERECT = 25,
  FORMULA_FN_GET_PARTICLE_NUMBER = 26,
  FORMULA_FN_GET_PARTICLE_COLOR = 27,
  FORMULA_FN_GET_PARTICLE_HEADING_VECTOR = 28,
  FORMULA_FN_GET_NATION_TECH_LEVEL = 29,
  FORMULA_FN_COUNT = 29,
};

// Context slot numbers the functions read.
constexpr std::int32_t FORMULA_SLOT_EMPIRE = 3;
constexpr std::int32_t FORMULA_SLOT_EFFECT = 4;
constexpr std::int32_t FORMULA_SLOT_PARTICLE = 6;

// What "Get_Nation_Tech_Level" reads of the empire in slot 3.
class TFormula_Empire : public TFormula_Object {
public:
  const TFormula_Empire* m_As_Formula_Empire() const final { return this; }
  // The level in the first technology area whose name (kind 1 display
  // name, 2 internal name) equals the text ignoring case; 0 when none.
  virtual std::int32_t m_Get_Tech_Level_By_Area_Name(std::uint8_t kind, const std::string& text) const = 0;
};

// What "MakeVector" reads of the effect in slot 4.
class TFormula_Effect : public TFormula_Object {
public:
  const TFormula_Effect* m_As_Formula_Effect() const final { return this; }
  virtual float m_Get_Effect_Scale_Size() const = 0;
};

// What the particle functions read of one particle.
struct TFormula_Particle_State {
  TVector position;
  TVector velocity;
  TVector4 color;        // red, green, blue, alpha
  float rotation = 0;    // heading in radians
};

// The particle table, looked up by (effect number, emitter number,
// particle number); the first particle in table order with the keys counts.
class TFormula_Particle_Source {
public:
  virtual ~TFormula_Particle_Source() = default;
  virtual bool m_Get_System_Position(std::int32_t key1, std::int32_t key2, std::int32_t key3,
                                     TVector& position) const = 0;
  virtual bool m_Find_System(std::int32_t key1, std::int32_t key2, std::int32_t key3,
                             TFormula_Particle_State& state) const = 0;
};

// The particle table the functions read (none until the graphics engine
// installs its particle list; none gives "no particle").
void Formula_Set_Particle_Source(const TFormula_Particle_Source* source);
const TFormula_Particle_Source* Formula_Get_Particle_Source();

// Name to id and parameter count, ignoring the case of ASCII letters;
// false (id 0) for an unknown name.
bool Formula_Function_Lookup(const std::string& name, std::uint16_t& id, std::uint16_t& param_count);
// The name as the table writes it ("" for an unknown id).
std::string Formula_Function_Name(std::uint16_t id);

// Computes function id of p1..p4 into out. Any error inside a function
// gives the error value (long 0, zero vector) and is not raised.
void Formula_Evaluate_Function(std::uint16_t id, const TFormula_Object_Pointers& slots, const TFormula_Value& p1,
                               const TFormula_Value& p2, const TFormula_Value& p3, const TFormula_Value& p4,
                               TFormula_Value& out);
