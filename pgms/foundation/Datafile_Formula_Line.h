// The formula language of the data files.
//
// A formula text is parsed once into a tree of words (a TFormula_Line owning
// a TFormula_Block of TFormula_Word objects) and then evaluated any number of
// times against named variables and seven context slots. Evaluation reuses
// the scratch values kept in the tree, so that a formula evaluated every
// frame allocates nothing once it has run once.
//
// Once parsed, the tree is also laid out as a flat list of steps, run in
// one loop without virtual calls or recursion. The steps write the very
// scratch values the tree's words write, in the same order, so that both
// ways give the same bits; the tree itself is walked when the evaluation is
// traced.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Vector_Types.h"

// The kinds of value a formula produces.
enum TFormula_Tag : std::uint8_t {
  FORMULA_TAG_NONE = 0,  // an operator word evaluated as a value
  FORMULA_TAG_STRING = 1,
  FORMULA_TAG_SINGLE = 2,
  FORMULA_TAG_LONG = 3,
  FORMULA_TAG_BOOLEAN = 4,
  FORMULA_TAG_VECTOR = 5,
  FORMULA_TAG_COLOR = 6,
  FORMULA_TAG_RECT = 7,
};

// Operator codes; each has a binding rank (1 binds tightest).
enum TFormula_Operator : std::uint16_t {
  FORMULA_OP_NONE = 0,
  FORMULA_OP_ADD = 1,
  FORMULA_OP_SUBTRACT = 2,
  FORMULA_OP_DIVIDE = 3,
  FORMULA_OP_MULTIPLY = 4,
  FORMULA_OP_POWER = 5,
  FORMULA_OP_AND = 6,
  FORMULA_OP_OR = 7,
  FORMULA_OP_XOR = 8,
  FORMULA_OP_NOT = 9,
  FORMULA_OP_EQUAL = 10,
  FORMULA_OP_NOT_EQUAL = 11,
  FORMULA_OP_GREATER = 12,
  FORMULA_OP_GREATER_EQUAL = 13,
  FORMULA_OP_LESS = 14,
  FORMULA_OP_LESS_EQUAL = 15,
};

// Binding rank of an operator code, 0 for an unknown code.
int Formula_Operator_Rank(std::uint16_t code);
// The operator's symbol, "UNKNOWN" for an unknown code.
std::string Formula_Operator_Symbol(std::uint16_t code);

// One typed value. A boolean keeps 1 or 0 in long_value. The colour holds
// the four numbers of MakeColor (red, green, blue, alpha in x, y, z, w), the
// rect the four numbers of MakeRect.
struct TFormula_Value {
  std::uint8_t tag = FORMULA_TAG_LONG;
  float single_value = 0;
  std::string string_value;
  std::int32_t long_value = 0;
  TVector vector;
  TVector4 color;
  TVector4 rect;

  // Each setter gives the value one scalar: it zeroes the other scalar
  // fields and resets vector, colour and rect. The string keeps its storage.
  void m_Set_Long(std::int32_t v);
  void m_Set_Single(float v);
  void m_Set_Boolean(bool v);
  void m_Set_String(const std::string& v);
  // Tag as given, every field zero or empty (vector, colour, rect included).
  void m_Clear(std::uint8_t new_tag) {
    tag = new_tag;
    single_value = 0;
    string_value.clear();
    long_value = 0;
    vector = TVector{};
    color = TVector4{};
    rect = TVector4{};
  }

  // A string as is, a long in decimal, a boolean "true" or "false", any
  // other tag the single as float text.
  std::string m_To_Text() const;
};

// Everything a context slot can refer to (an empire, an effect, the owner
// of a requirement block, ...). Slots do not own what they refer to.
class TFormula_Empire;
class TFormula_Effect;

class TFormula_Object {
public:
  virtual ~TFormula_Object() = default;
  // The object as the empire or the effect the built-in functions read, or
  // none: what a dynamic cast would give, without its cost where formulas
  // run every frame.
  virtual const TFormula_Empire* m_As_Formula_Empire() const { return nullptr; }
  virtual const TFormula_Effect* m_As_Formula_Effect() const { return nullptr; }
};

// Raises ERangeError (kept out of line, so that the small setters below
// stay small).
[[noreturn]] void Formula_Raise_Range_Error();

struct TFormula_Object_Slot {
  TFormula_Object* object = nullptr;
  std::int32_t value = 0;
};

// Seven numbered slots and the requirements slot, handed to the built-in
// functions as the evaluation context.
class TFormula_Object_Pointers {
public:
  void m_Clear() {
    for (auto& s : f_slots) s = TFormula_Object_Slot{};
    f_requirements = TFormula_Object_Slot{};
  }
  // Slot numbers outside 1..7 raise ERangeError.
  void m_Set(std::int32_t slot, TFormula_Object* object, std::int32_t value) {
    if (slot < 1 || slot > 7) Formula_Raise_Range_Error();
    f_slots[slot] = {object, value};
  }
  const TFormula_Object_Slot& m_Get(std::int32_t slot) const {
    if (slot < 1 || slot > 7) Formula_Raise_Range_Error();
    return f_slots[slot];
  }
  void m_Set_Requirements(TFormula_Object* object, std::int32_t value);
  const TFormula_Object_Slot& m_Get_Requirements() const { return f_requirements; }

private:
  TFormula_Object_Slot f_slots[8];
  TFormula_Object_Slot f_requirements;
};

// The values of a parsed formula's variables, one slot per distinct name
// the formula uses (numbered from 1 in the order the names first appear);
// a slot that was not given a value since the last clearing reads as an
// empty single.
class TFormula_Variable_Slots {
public:
  std::int32_t m_Count() const { return static_cast<std::int32_t>(f_values.size()); }
  // Sizes the table to n slots, all unset.
  void m_Resize(std::int32_t n);
  // The slot's value, reset to an empty single and marked set. Slot numbers
  // outside 1..count raise ERangeError.
  TFormula_Value& m_Set(std::int32_t slot) {
    if (slot < 1 || slot > m_Count()) Formula_Raise_Range_Error();
    f_set[static_cast<std::size_t>(slot - 1)] = 1;
    f_any_set = true;
    TFormula_Value& v = f_values[static_cast<std::size_t>(slot - 1)];
    v.m_Clear(FORMULA_TAG_SINGLE);
    return v;
  }
  // The value of a set slot, or none. No range check: the parser hands out
  // only slots of the table.
  const TFormula_Value* m_Get(std::int32_t slot) const {
    return f_set[static_cast<std::size_t>(slot - 1)] ? &f_values[static_cast<std::size_t>(slot - 1)] : nullptr;
  }
  void m_Clear() {
    if (!f_any_set) return;
    for (std::uint8_t& set : f_set) set = 0;
    f_any_set = false;
  }

private:
  std::vector<TFormula_Value> f_values;
  std::vector<std::uint8_t> f_set;
  bool f_any_set = false;
};

// Named values; names are kept lower-cased. Clearing keeps the storage, so
// refilling the list before every evaluation allocates nothing.
class TFormula_Variable_List {
public:
  TFormula_Variable_List();
  void m_Clear() { f_count = 0; }
  std::int32_t m_Count() const { return f_count; }
  std::int32_t m_Capacity() const { return f_capacity; }
  // Appends an entry and gives its value, reset to an empty single.
  TFormula_Value& m_Append(const std::string& name);
  // 1-based.
  const std::string& m_Get_Name(std::int32_t index) const;
  const TFormula_Value& m_Get_Value(std::int32_t index) const;
  // The last entry whose name equals the given (lower-case) name exactly,
  // or none.
  const TFormula_Value* m_Find(const std::string& name) const;

private:
  std::int32_t f_count = 0;
  std::int32_t f_capacity = 10;
  std::vector<std::string> f_names;
  std::vector<TFormula_Value> f_values;
};

class TFormula_Block;

// What a step of a flat formula program does (see TFormula_Step).
enum TFormula_Step_Kind : std::uint8_t {
  FORMULA_STEP_CLEAR = 0,          // out made a long 0, every field zero
  FORMULA_STEP_SINGLE = 1,         // out set to the single constant
  FORMULA_STEP_LONG = 2,           // out set to the long constant `number`
  FORMULA_STEP_BOOLEAN = 3,        // out set to the boolean `number` (1 or 0)
  FORMULA_STEP_STRING = 4,         // out set to the string `text`
  FORMULA_STEP_VARIABLE = 5,       // out set to the variable of slot `number`
  FORMULA_STEP_OPERATOR_WORD = 6,  // an operator word read as a value
  FORMULA_STEP_APPLY = 7,          // operator `code` applied to (out, in[0])
  FORMULA_STEP_CALL = 8,           // function `code` of in[0..3] into out
  FORMULA_STEP_CLEAR_AND_CALL = 9, // out cleared, then function `code`
};

// One step of a flat formula program. The values it reads and writes are
// the scratch values of the tree the program was made from.
struct TFormula_Step {
  std::uint8_t kind = FORMULA_STEP_CLEAR;
  std::uint16_t code = 0;
  std::int32_t number = 0;
  float single = 0;
  TFormula_Value* out = nullptr;
  const TFormula_Value* in[4] = {nullptr, nullptr, nullptr, nullptr};
  const std::string* text = nullptr;
};

// A word of a parsed formula.
class TFormula_Word {
public:
  virtual ~TFormula_Word() = default;
  virtual std::string To_Text() const = 0;
  virtual void Dump(std::vector<std::string>& lines, const std::string& prefix) const = 0;
  virtual void Evaluate(const TFormula_Variable_Slots& variables, const TFormula_Object_Pointers& slots,
                        TFormula_Value& out) const = 0;
  // The operator code of an operator word; 0 for every operand word.
  virtual std::uint16_t m_Operator_Code() const { return FORMULA_OP_NONE; }
  // Levels of blocks and function calls below the word (0 for a plain word).
  virtual std::int32_t m_Depth() const { return 0; }
  // Gives every variable word at or below this word its slot: the position
  // of its name in `names` (1-based), the name appended when it is new.
  virtual void m_Resolve_Variables(std::vector<std::string>& names) { (void)names; }
  // Appends the steps that evaluate the word into `out`, as Evaluate
  // does; true when they set every field of out (so that a clearing just
  // before them changes nothing).
  virtual bool m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const = 0;
};

class TFormula_Word_Operator : public TFormula_Word {
public:
  explicit TFormula_Word_Operator(std::uint16_t code) : f_code(code) {}
  std::string To_Text() const override;
  void Dump(std::vector<std::string>& lines, const std::string& prefix) const override;
  void Evaluate(const TFormula_Variable_Slots&, const TFormula_Object_Pointers&, TFormula_Value& out) const override;
  std::uint16_t m_Operator_Code() const override { return f_code; }

  bool m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const override;
private:
  std::uint16_t f_code;
};

class TFormula_Word_Constant_Single : public TFormula_Word {
public:
  explicit TFormula_Word_Constant_Single(float v) : f_value(v) {}
  std::string To_Text() const override;
  void Dump(std::vector<std::string>& lines, const std::string& prefix) const override;
  void Evaluate(const TFormula_Variable_Slots&, const TFormula_Object_Pointers&, TFormula_Value& out) const override;
  float m_Value() const { return f_value; }

  bool m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const override;
private:
  float f_value;
};

class TFormula_Word_Constant_Long : public TFormula_Word {
public:
  explicit TFormula_Word_Constant_Long(std::int32_t v) : f_value(v) {}
  std::string To_Text() const override;
  void Dump(std::vector<std::string>& lines, const std::string& prefix) const override;
  void Evaluate(const TFormula_Variable_Slots&, const TFormula_Object_Pointers&, TFormula_Value& out) const override;
  std::int32_t m_Value() const { return f_value; }

  bool m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const override;
private:
  std::int32_t f_value;
};

class TFormula_Word_Constant_Boolean : public TFormula_Word {
public:
  explicit TFormula_Word_Constant_Boolean(bool v) : f_value(v) {}
  std::string To_Text() const override;
  void Dump(std::vector<std::string>& lines, const std::string& prefix) const override;
  void Evaluate(const TFormula_Variable_Slots&, const TFormula_Object_Pointers&, TFormula_Value& out) const override;

  bool m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const override;
private:
  bool f_value;
};

class TFormula_Word_Constant_String : public TFormula_Word {
public:
  explicit TFormula_Word_Constant_String(std::string v) : f_value(std::move(v)) {}
  std::string To_Text() const override;
  void Dump(std::vector<std::string>& lines, const std::string& prefix) const override;
  void Evaluate(const TFormula_Variable_Slots&, const TFormula_Object_Pointers&, TFormula_Value& out) const override;

  bool m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const override;
private:
  std::string f_value;
};

// A variable, named lower-cased with its brackets ("[%level%]").
// Evaluated, it reads the slot its name was given when the formula was
// read; the name itself is not looked at again.
class TFormula_Word_Variable : public TFormula_Word {
public:
  explicit TFormula_Word_Variable(std::string name) : f_name(std::move(name)) {}
  std::string To_Text() const override;
  void Dump(std::vector<std::string>& lines, const std::string& prefix) const override;
  void Evaluate(const TFormula_Variable_Slots& variables, const TFormula_Object_Pointers&,
                TFormula_Value& out) const override;
  void m_Resolve_Variables(std::vector<std::string>& names) override;
  std::int32_t m_Slot() const { return f_slot; }

  bool m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const override;
private:
  std::string f_name;
  std::int32_t f_slot = 0;  // 0 until resolved: reads as an empty single
};

// A call of a built-in function; its evaluation lives with the functions.
class TFormula_Word_Function : public TFormula_Word {
public:
  TFormula_Word_Function(std::string name, std::uint16_t id, std::uint16_t param_count);
  ~TFormula_Word_Function() override;
  std::string To_Text() const override;
  void Dump(std::vector<std::string>& lines, const std::string& prefix) const override;
  void Evaluate(const TFormula_Variable_Slots& variables, const TFormula_Object_Pointers& slots,
                TFormula_Value& out) const override;
  // Takes a parsed parameter block.
  void m_Add_Param(std::unique_ptr<TFormula_Block> block);
  std::int32_t m_Param_Count_Given() const { return static_cast<std::int32_t>(f_params.size()); }
  std::uint16_t m_Id() const { return f_id; }
  std::uint16_t m_Param_Count() const { return f_param_count; }
  std::int32_t m_Depth() const override { return f_depth; }
  void m_Resolve_Variables(std::vector<std::string>& names) override;

  bool m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const override;
private:
  std::int32_t f_depth = 1;
  std::string f_name;
  std::uint16_t f_id;
  std::uint16_t f_param_count;
  std::vector<std::unique_ptr<TFormula_Block>> f_params;
  // The evaluated parameters, kept to spare allocations between calls.
  mutable TFormula_Value f_values[4];
};

// A parenthesised group (written or made by the operator grouping).
class TFormula_Word_Block : public TFormula_Word {
public:
  explicit TFormula_Word_Block(std::unique_ptr<TFormula_Block> block);
  ~TFormula_Word_Block() override;
  std::string To_Text() const override;
  void Dump(std::vector<std::string>& lines, const std::string& prefix) const override;
  void Evaluate(const TFormula_Variable_Slots& variables, const TFormula_Object_Pointers& slots,
                TFormula_Value& out) const override;
  const TFormula_Block& m_Block() const { return *f_block; }
  std::int32_t m_Depth() const override { return f_depth; }
  void m_Resolve_Variables(std::vector<std::string>& names) override;

  bool m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const override;
private:
  std::unique_ptr<TFormula_Block> f_block;
  std::int32_t f_depth;
};

// A sequence of words, numbered from 1.
class TFormula_Block {
public:
  std::int32_t m_Count() const { return static_cast<std::int32_t>(f_words.size()); }
  // 1-based; ERangeError outside 1..count.
  const TFormula_Word& m_Get_Word(std::int32_t index) const;
  void m_Append(std::unique_ptr<TFormula_Word> word);
  // The deepest nesting of its words.
  std::int32_t m_Depth() const;
  std::string m_To_Text() const;
  void m_Dump(std::vector<std::string>& lines, const std::string& prefix) const;
  void m_Evaluate(const TFormula_Variable_Slots& variables, const TFormula_Object_Pointers& slots,
                  TFormula_Value& out) const;
  // Groups operators by rank (see the parser); false when a group would
  // nest too deeply (the words are then left as they were).
  bool m_Group_Operators();
  // Gives the variable words their slots and notes each word's operator
  // code once, for the evaluation.
  void m_Resolve_Variables(std::vector<std::string>& names);
  // Appends the steps that evaluate the block into `out` (which they
  // always set whole).
  void m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const;
  // Fold kind and folded values of a block that is a lone constant.
  std::uint8_t m_Fold_Constant(std::int32_t& folded_long, float& folded_single) const;

private:
  std::vector<std::unique_ptr<TFormula_Word>> f_words;
  // Each word's operator code, noted by m_Resolve_Variables (empty before:
  // the words are asked while evaluating).
  std::vector<std::uint16_t> f_codes;
  mutable TFormula_Value f_second;
};

// Applies operator code to (left, right); the result replaces left.
// Integer overflow raises EIntOverflow, a long power that does not fit 32
// bits ERangeError.
void Formula_Apply_Operator(std::uint16_t code, TFormula_Value& left, const TFormula_Value& right);

// Parses a function call's text ("max(1, 2)") and appends the function
// word to block; false with the error text when it does not parse.
bool Formula_Parse_Function_Word(const std::string& text, TFormula_Block& block, std::string& error);

// Fold kinds of a parsed line.
enum TFormula_Fold : std::uint8_t {
  FORMULA_FOLD_GENERAL = 0,
  FORMULA_FOLD_EMPTY_OR_BOOLEAN = 1,
  FORMULA_FOLD_LONG = 2,
  FORMULA_FOLD_SINGLE = 3,
  FORMULA_FOLD_STRING = 4,
};

// One parsed formula with its variables and context slots.
class TFormula_Line {
public:
  TFormula_Line();
  ~TFormula_Line();
  TFormula_Line(const TFormula_Line&) = delete;
  TFormula_Line& operator=(const TFormula_Line&) = delete;

  // Parses the text, replacing what the line held. On failure the error
  // text says why and the partly built tree stays.
  bool m_Parse(const std::string& text, std::string& error);
  void m_Reset();
  std::string m_To_Text() const;
  void m_Dump(std::vector<std::string>& lines) const;

  // Variables by name (any case): listed in m_Variables, and the value
  // goes to the formula's slot of that name, if it uses the name (the last
  // value given to a name wins).
  void m_Add_Variable(const std::string& name, std::int32_t value);
  void m_Add_Vector_Variable(const std::string& name, const TVector& value);
  void m_Clear_Variables() {
    f_variables.m_Clear();
    f_slot_values.m_Clear();
  }
  // Variables by slot, for callers that evaluate a formula often: the
  // formula's slot of a name (any case), 0 when the formula does not use
  // it; the slot is found once, after parsing, and setting it touches no
  // name. Setting slot 0 does nothing; another slot outside the formula's
  // raises ERangeError. Slot values are cleared with the variables.
  std::int32_t m_Variable_Slot(std::string_view name) const;
  void m_Set_Variable(std::int32_t slot, std::int32_t value) {
    if (slot != 0) f_slot_values.m_Set(slot).m_Set_Long(value);
  }
  void m_Set_Vector_Variable(std::int32_t slot, const TVector& value) {
    if (slot == 0) return;
    TFormula_Value& v = f_slot_values.m_Set(slot);
    v.m_Clear(FORMULA_TAG_VECTOR);
    v.vector = value;
  }
  // The distinct variable names the formula uses, lower-cased, slot 1 first.
  const std::vector<std::string>& m_Variable_Names() const { return f_variable_names; }
  void m_Clear_Object_Slots() { f_slots.m_Clear(); }
  // Slot numbers outside 1..7 raise ERangeError.
  void m_Set_Object_Slot(std::int32_t slot, TFormula_Object* object, std::int32_t value) {
    f_slots.m_Set(slot, object, value);
  }
  void m_Set_Requirements(TFormula_Object* requirements, std::int32_t value);

  // The typed evaluations. Each that ends normally clears the variables and
  // the slots; an overflow or range error propagates and leaves them set.
  float m_Evaluate_Single();
  std::int32_t m_Evaluate_Integer();
  TVector m_Evaluate_Vector();
  TVector4 m_Evaluate_Color();
  TVector4 m_Evaluate_Rect();
  bool m_Evaluate_Boolean();
  // The whole value (for tools and tests), with the same clearing.
  const TFormula_Value& m_Evaluate_Value();

  std::uint8_t m_Fold_Kind() const { return f_fold_kind; }
  std::int32_t m_Folded_Long() const { return f_folded_long; }
  float m_Folded_Single() const { return f_folded_single; }
  const TFormula_Block* m_Root() const { return f_root.get(); }
  const TFormula_Variable_List& m_Variables() const { return f_variables; }
  const TFormula_Object_Pointers& m_Slots() const { return f_slots; }
  // The flat steps of the parsed formula (none when it did not parse).
  const std::vector<TFormula_Step>& m_Steps() const { return f_steps; }
  // Whether evaluations walk the tree instead of running the steps (for
  // the tests that hold both ways to the same results); traced evaluations
  // always walk the tree.
  void m_Set_Walk_Tree(bool walk) { f_walk_tree = walk; }

private:
  void m_Evaluate_Root();
  void m_Finish_Evaluation();

  std::unique_ptr<TFormula_Block> f_root;
  TFormula_Variable_List f_variables;
  std::vector<std::string> f_variable_names;
  TFormula_Variable_Slots f_slot_values;
  TFormula_Object_Pointers f_slots;
  std::uint8_t f_fold_kind = FORMULA_FOLD_GENERAL;
  std::int32_t f_folded_long = 0;
  float f_folded_single = 0;
  TFormula_Value f_result;
  std::vector<TFormula_Step> f_steps;
  bool f_walk_tree = false;
};

// Whether the step sets its value whole to a constant.
inline bool Formula_Step_Sets_Constant(const TFormula_Step& step) {
  return step.kind == FORMULA_STEP_SINGLE || step.kind == FORMULA_STEP_LONG || step.kind == FORMULA_STEP_BOOLEAN ||
         step.kind == FORMULA_STEP_STRING;
}

// Runs a flat formula program.
void Formula_Run_Steps(const std::vector<TFormula_Step>& steps, const TFormula_Variable_Slots& variables,
                       const TFormula_Object_Pointers& slots);
