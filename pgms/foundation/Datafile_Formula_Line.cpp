#include "Datafile_Formula_Line.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Datafile_Formula_Functions.h"
#include "Debug_Log.h"
#include "Errors.h"
#include "Io.h"

namespace {
// Deeper nesting than this (written parentheses, function calls and the
// groups the operator pass makes) is refused, so that a hostile formula
// cannot exhaust the stack while it is parsed, evaluated or freed.
constexpr std::int32_t MAX_NESTING = 200;

struct TOperator_Word {
  const char* word;
  std::uint16_t code;
};

constexpr TOperator_Word OPERATOR_WORDS[] = {
    {"+", FORMULA_OP_ADD},          {"-", FORMULA_OP_SUBTRACT},  {"/", FORMULA_OP_DIVIDE},
    {"*", FORMULA_OP_MULTIPLY},     {"^", FORMULA_OP_POWER},     {"and", FORMULA_OP_AND},
    {"or", FORMULA_OP_OR},          {"xor", FORMULA_OP_XOR},     {"not", FORMULA_OP_NOT},
    {"=", FORMULA_OP_EQUAL},        {"==", FORMULA_OP_EQUAL},    {"<>", FORMULA_OP_NOT_EQUAL},
    {">", FORMULA_OP_GREATER},      {">=", FORMULA_OP_GREATER_EQUAL}, {"<", FORMULA_OP_LESS},
    {"<=", FORMULA_OP_LESS_EQUAL},
};

bool Is_Digit(char c) { return c >= '0' && c <= '9'; }

// A single, a long converted, anything else 0.
float As_Single(const TFormula_Value& v) {
  if (v.tag == FORMULA_TAG_SINGLE) return v.single_value;
  if (v.tag == FORMULA_TAG_LONG) return static_cast<float>(v.long_value);
  return 0.0f;
}

// Truncation toward zero into 32 bits; ERangeError when it does not fit.
std::int32_t Trunc_To_Int32(double x) {
  double t = std::trunc(x);
  if (!(t >= -2147483648.0 && t <= 2147483647.0)) throw ERangeError();
  return static_cast<std::int32_t>(t);
}

std::int32_t Long_Power(std::int32_t base, std::int32_t exponent) {
  return Trunc_To_Int32(std::pow(static_cast<double>(base), static_cast<double>(exponent)));
}

bool Compare(std::uint16_t code, const TFormula_Value& l, const TFormula_Value& r) {
  bool a = l.long_value != 0, b = r.long_value != 0;
  switch (code) {
    case FORMULA_OP_AND: return a && b;
    case FORMULA_OP_OR: return a || b;
    case FORMULA_OP_XOR: return a != b;
    case FORMULA_OP_NOT: return !b;
    case FORMULA_OP_EQUAL:
    case FORMULA_OP_NOT_EQUAL:
    case FORMULA_OP_GREATER:
    case FORMULA_OP_GREATER_EQUAL:
    case FORMULA_OP_LESS:
    case FORMULA_OP_LESS_EQUAL: break;
    default: return a;
  }
  // -1, 0 or 1 by order; unordered singles (not a number) answer false to
  // every relation.
  int order;
  if (l.tag == FORMULA_TAG_STRING) {
    int c = l.string_value.compare(r.string_value);
    order = c < 0 ? -1 : (c > 0 ? 1 : 0);
  } else if (l.tag == FORMULA_TAG_SINGLE || l.tag == FORMULA_TAG_LONG) {
    if (l.tag == FORMULA_TAG_LONG && r.tag == FORMULA_TAG_LONG) {
      order = l.long_value < r.long_value ? -1 : (l.long_value > r.long_value ? 1 : 0);
    } else {
      float x = As_Single(l), y = As_Single(r);
      if (std::isnan(x) || std::isnan(y)) return code == FORMULA_OP_NOT_EQUAL;
      order = x < y ? -1 : (x > y ? 1 : 0);
    }
  } else {
    return false;
  }
  switch (code) {
    case FORMULA_OP_EQUAL: return order == 0;
    case FORMULA_OP_NOT_EQUAL: return order != 0;
    case FORMULA_OP_GREATER: return order > 0;
    case FORMULA_OP_GREATER_EQUAL: return order >= 0;
    case FORMULA_OP_LESS: return order < 0;
    default: return order <= 0;
  }
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// ---- Parsing ----------------------------------------------------------

bool Parse_Section(const std::string& raw, TFormula_Block& block, std::string& error, std::int32_t level);

// A token that the parser has isolated: constant, operator or variable.
bool Classify_Token(const std::string& raw_token, TFormula_Block& block, std::string& error) {
  std::string token = Text_Trim(raw_token);
  std::string lower = Text_Lower_Case(token);
  if (lower == "true" || lower == "false") {
    block.m_Append(std::make_unique<TFormula_Word_Constant_Boolean>(lower == "true"));
    return true;
  }
  for (const TOperator_Word& op : OPERATOR_WORDS) {
    if (lower == op.word) {
      block.m_Append(std::make_unique<TFormula_Word_Operator>(op.code));
      return true;
    }
  }
  if (lower.size() >= 2 && lower[0] == '[' && lower[1] == '%') {
    block.m_Append(std::make_unique<TFormula_Word_Variable>(lower));
    return true;
  }
  bool number = !lower.empty() && Is_Digit(lower[0]);
  if (!number && lower.size() >= 2 && lower[0] == '-') {
    if (Is_Digit(lower[1])) {
      number = true;
    } else if (lower.size() >= 3 && lower[1] == '[' && lower[2] == '%') {
      // "-[%x%]" reads "0 - [%x%]".
      block.m_Append(std::make_unique<TFormula_Word_Constant_Long>(0));
      block.m_Append(std::make_unique<TFormula_Word_Operator>(FORMULA_OP_SUBTRACT));
      block.m_Append(std::make_unique<TFormula_Word_Variable>(lower.substr(1)));
      return true;
    }
  }
  if (number) {
    // Text that is not a number (or does not fit) gives 0.
    if (token.find('.') != std::string::npos) {
      float v = 0;
      try {
        double d = Text_To_Float(token);
        if (std::abs(d) <= std::numeric_limits<float>::max()) v = static_cast<float>(d);
      } catch (const EGlobarch_Error&) {
      }
      block.m_Append(std::make_unique<TFormula_Word_Constant_Single>(v));
    } else {
      std::int32_t v = 0;
      try {
        v = Text_To_Int(token);
      } catch (const EGlobarch_Error&) {
      }
      block.m_Append(std::make_unique<TFormula_Word_Constant_Long>(v));
    }
    return true;
  }
  error = "Did not recognize section " + Quoted(token);
  return false;
}

// A function word from its text: a name directly followed by a
// parenthesised parameter list.
bool Parse_Function(const std::string& text, TFormula_Block& block, std::string& error, std::int32_t level) {
  std::size_t open = text.find('(');
  if (open == std::string::npos) {
    error = "Could not find open parenthesis for function " + Quoted(text);
    return false;
  }
  std::string name = Text_Lower_Case(text.substr(0, open));
  std::uint16_t id = 0, param_count = 0;
  if (!Formula_Function_Lookup(name, id, param_count)) {
    error = "Unknown function name " + name + " in function " + Quoted(text);
    return false;
  }
  auto word = std::make_unique<TFormula_Word_Function>(name, id, param_count);
  std::string params = text.size() >= open + 2 ? text.substr(open + 1, text.size() - open - 2) : std::string();

  auto add_param = [&](const std::string& piece) {
    std::string trimmed = Text_Trim(piece);
    if (trimmed.empty()) return true;  // ",," adds no parameter
    auto param = std::make_unique<TFormula_Block>();
    if (!Parse_Section(trimmed, *param, error, level + 1)) return false;
    word->m_Add_Param(std::move(param));
    return true;
  };

  std::int32_t depth = 0;
  std::string piece;
  for (char c : params) {
    if (c == '(') {
      ++depth;
    } else if (c == ')') {
      --depth;
    } else if (c == ',' && depth == 0) {
      if (!add_param(piece)) return false;
      piece.clear();
      continue;
    }
    piece += c;
  }
  if (!add_param(piece)) return false;
  if (depth != 0) {
    error = "Incorrect number of parenthesis for function " + Quoted(text);
    return false;
  }
  if (word->m_Param_Count_Given() != param_count) {
    error = "Incorrect number of parameters for function " + Quoted(text);
    return false;
  }
  block.m_Append(std::move(word));
  return true;
}

// Parses a section (the whole formula, a parenthesised sub-block or one
// function parameter) into block. Words are separated by blanks only.
bool Parse_Section(const std::string& raw, TFormula_Block& block, std::string& error, std::int32_t level) {
  std::string section = Text_Trim(raw);
  if (level > MAX_NESTING) {
    error = "Formula nested too deeply in section " + Quoted(section);
    return false;
  }
  std::int32_t depth = 0;
  bool in_function = false, in_sub_block = false, in_string = false;
  std::string token, function_text, sub_block_text, string_text;
  bool failed = false;

  for (char c : section) {
    if (in_string) {
      if (c == '"') {
        block.m_Append(std::make_unique<TFormula_Word_Constant_String>(string_text));
        string_text.clear();
        in_string = false;
      } else {
        string_text += c;
      }
    } else if (c == '(') {
      if (depth == 0) {
        if (!token.empty()) {
          in_function = true;
          function_text = token + "(";
          token.clear();
        } else {
          in_sub_block = true;
        }
      } else if (in_function) {
        function_text += c;
      } else {
        sub_block_text += c;
      }
      ++depth;
    } else if (c == ')') {
      --depth;
      if (depth < 0) {
        // A closing parenthesis without its opening one.
        error = "Incorrect number of parenthesis in section " + Quoted(section);
        failed = true;
      } else if (depth == 0 && in_function) {
        function_text += c;
        failed = !Parse_Function(function_text, block, error, level);
        token.clear();
        function_text.clear();
        in_function = false;
      } else if (depth == 0) {
        in_sub_block = false;
        auto inner = std::make_unique<TFormula_Block>();
        failed = !Parse_Section(sub_block_text, *inner, error, level + 1);
        block.m_Append(std::make_unique<TFormula_Word_Block>(std::move(inner)));
        sub_block_text.clear();
      } else if (in_function) {
        function_text += c;
      } else {
        sub_block_text += c;
      }
    } else if (in_function) {
      function_text += c;
    } else if (in_sub_block) {
      sub_block_text += c;
    } else if (c == '"') {
      in_string = true;
    } else if (c == ' ') {
      std::string t = Text_Trim(token);
      token.clear();
      if (!t.empty()) failed = !Classify_Token(t, block, error);
    } else {
      token += c;
    }
    if (failed) return false;
  }
  if (!Text_Trim(token).empty() && !Classify_Token(token, block, error)) return false;
  if (!block.m_Group_Operators() || block.m_Depth() > MAX_NESTING) {
    error = "Formula nested too deeply in section " + Quoted(section);
    return false;
  }
  if (depth != 0) {
    error = "Incorrect number of parenthesis in section " + Quoted(section);
    return false;
  }
  if (in_string) {
    // Without its closing quote the text would silently vanish.
    error = "Missing closing quote in section " + Quoted(section);
    return false;
  }
  return true;
}
}  // namespace

bool Formula_Parse_Function_Word(const std::string& text, TFormula_Block& block, std::string& error) {
  error.clear();
  return Parse_Function(text, block, error, 0);
}

// ---- Operators ----------------------------------------------------------

int Formula_Operator_Rank(std::uint16_t code) {
  switch (code) {
    case FORMULA_OP_POWER: return 1;
    case FORMULA_OP_DIVIDE:
    case FORMULA_OP_MULTIPLY: return 2;
    case FORMULA_OP_ADD:
    case FORMULA_OP_SUBTRACT: return 3;
    case FORMULA_OP_EQUAL:
    case FORMULA_OP_NOT_EQUAL:
    case FORMULA_OP_GREATER:
    case FORMULA_OP_GREATER_EQUAL:
    case FORMULA_OP_LESS:
    case FORMULA_OP_LESS_EQUAL: return 4;
    case FORMULA_OP_AND:
    case FORMULA_OP_OR:
    case FORMULA_OP_XOR:
    case FORMULA_OP_NOT: return 5;
    default: return 0;
  }
}

std::string Formula_Operator_Symbol(std::uint16_t code) {
  for (const TOperator_Word& op : OPERATOR_WORDS) {
    if (op.code == code) return op.word;
  }
  return "UNKNOWN";
}

void Formula_Apply_Operator(std::uint16_t code, TFormula_Value& l, const TFormula_Value& r) {
  if (code >= FORMULA_OP_AND && code <= FORMULA_OP_LESS_EQUAL) {
    l.m_Set_Boolean(Compare(code, l, r));
    return;
  }
  if (code < FORMULA_OP_ADD || code > FORMULA_OP_POWER) return;  // a copy of the left side

  if (l.tag == FORMULA_TAG_VECTOR || r.tag == FORMULA_TAG_VECTOR) {
    TVector v;
    if (code == FORMULA_OP_ADD) v = {l.vector.x + r.vector.x, l.vector.y + r.vector.y, l.vector.z + r.vector.z};
    if (code == FORMULA_OP_SUBTRACT) v = {l.vector.x - r.vector.x, l.vector.y - r.vector.y, l.vector.z - r.vector.z};
    l.m_Clear(FORMULA_TAG_VECTOR);
    l.vector = v;
    return;
  }

  if (l.tag == FORMULA_TAG_SINGLE || r.tag == FORMULA_TAG_SINGLE) {
    // A result that is not finite passes through as it is.
    float a = As_Single(l), b = As_Single(r), v = 0;
    switch (code) {
      case FORMULA_OP_ADD: v = a + b; break;
      case FORMULA_OP_SUBTRACT: v = a - b; break;
      case FORMULA_OP_MULTIPLY: v = a * b; break;
      case FORMULA_OP_DIVIDE: v = b == 0.0f ? 0.0f : a / b; break;
      default: v = static_cast<float>(std::pow(static_cast<double>(a), static_cast<double>(b))); break;
    }
    l.m_Set_Single(v);
    return;
  }

  switch (code) {
    case FORMULA_OP_ADD:
      if (l.tag == FORMULA_TAG_STRING) {
        l.string_value += r.string_value;
        l.single_value = 0;
        l.long_value = 0;
        l.vector = TVector{};
        l.color = TVector4{};
        l.rect = TVector4{};
        return;
      }
      if (l.tag == FORMULA_TAG_LONG) {
        l.m_Set_Long(Checked_Add(l.long_value, r.long_value));
        return;
      }
      break;
    case FORMULA_OP_SUBTRACT:
      if (l.tag == FORMULA_TAG_LONG) {
        l.m_Set_Long(Checked_Sub(l.long_value, r.long_value));
        return;
      }
      break;
    case FORMULA_OP_MULTIPLY:
      if (l.tag == FORMULA_TAG_LONG) {
        l.m_Set_Long(Checked_Mul(l.long_value, r.long_value));
        return;
      }
      break;
    case FORMULA_OP_DIVIDE:
      l.m_Set_Single(r.long_value == 0 ? 0.0f
                                       : static_cast<float>(static_cast<double>(l.long_value) /
                                                            static_cast<double>(r.long_value)));
      return;
    default:  // power
      if (l.tag == FORMULA_TAG_LONG) {
        l.m_Set_Long(Long_Power(l.long_value, r.long_value));
        return;
      }
      break;
  }
  // A boolean or string on the left of an operator that does not apply to
  // it keeps its tag with every field zero.
  l.m_Clear(l.tag);
}

// ---- Values, slots, variables -------------------------------------------

void TFormula_Value::m_Set_Long(std::int32_t v) {
  m_Clear(FORMULA_TAG_LONG);
  long_value = v;
}

void TFormula_Value::m_Set_Single(float v) {
  m_Clear(FORMULA_TAG_SINGLE);
  single_value = v;
}

void TFormula_Value::m_Set_Boolean(bool v) {
  m_Clear(FORMULA_TAG_BOOLEAN);
  long_value = v ? 1 : 0;
}

void TFormula_Value::m_Set_String(const std::string& v) {
  m_Clear(FORMULA_TAG_STRING);
  string_value = v;
}

std::string TFormula_Value::m_To_Text() const {
  switch (tag) {
    case FORMULA_TAG_STRING: return string_value;
    case FORMULA_TAG_LONG: return Int_To_Text(long_value);
    case FORMULA_TAG_BOOLEAN: return long_value == 1 ? "true" : "false";
    default: return Float_To_Text(single_value);
  }
}

void Formula_Raise_Range_Error() { throw ERangeError(); }

void TFormula_Object_Pointers::m_Set_Requirements(TFormula_Object* object, std::int32_t value) {
  f_requirements = {object, value};
}

TFormula_Variable_List::TFormula_Variable_List()
    : f_names(static_cast<std::size_t>(f_capacity) + 1), f_values(static_cast<std::size_t>(f_capacity) + 1) {}

TFormula_Value& TFormula_Variable_List::m_Append(const std::string& name) {
  if (f_count + 1 > f_capacity) {
    f_capacity = Checked_Add<std::int32_t>(f_capacity, 10);
    f_names.resize(static_cast<std::size_t>(f_capacity) + 1);
    f_values.resize(static_cast<std::size_t>(f_capacity) + 1);
  }
  ++f_count;
  std::string& stored = f_names[static_cast<std::size_t>(f_count)];
  stored = name;
  for (char& c : stored) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  TFormula_Value& v = f_values[static_cast<std::size_t>(f_count)];
  v.m_Clear(FORMULA_TAG_SINGLE);
  return v;
}

const std::string& TFormula_Variable_List::m_Get_Name(std::int32_t index) const {
  if (index < 1 || index > f_count) throw ERangeError();
  return f_names[static_cast<std::size_t>(index)];
}

const TFormula_Value& TFormula_Variable_List::m_Get_Value(std::int32_t index) const {
  if (index < 1 || index > f_count) throw ERangeError();
  return f_values[static_cast<std::size_t>(index)];
}

void TFormula_Variable_Slots::m_Resize(std::int32_t n) {
  f_values.assign(static_cast<std::size_t>(std::max(n, 0)), TFormula_Value{});
  f_set.assign(static_cast<std::size_t>(std::max(n, 0)), 0);
  f_any_set = false;
}

const TFormula_Value* TFormula_Variable_List::m_Find(const std::string& name) const {
  // From the end: the last match wins.
  for (std::int32_t i = f_count; i >= 1; --i) {
    if (f_names[static_cast<std::size_t>(i)] == name) return &f_values[static_cast<std::size_t>(i)];
  }
  return nullptr;
}

// ---- Words ------------------------------------------------------------------

std::string TFormula_Word_Operator::To_Text() const { return Formula_Operator_Symbol(f_code); }

void TFormula_Word_Operator::Dump(std::vector<std::string>& lines, const std::string& prefix) const {
  lines.push_back(prefix + "Operator - " + To_Text());
}

void TFormula_Word_Operator::Evaluate(const TFormula_Variable_Slots&, const TFormula_Object_Pointers&,
                                      TFormula_Value& out) const {
  out.tag = FORMULA_TAG_NONE;
  out.single_value = 0;
  out.string_value.clear();
  out.long_value = 0;
}

bool TFormula_Word_Operator::m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const {
  TFormula_Step step;
  step.kind = FORMULA_STEP_OPERATOR_WORD;
  step.out = &out;
  steps.push_back(step);
  return false;
}

std::string TFormula_Word_Constant_Single::To_Text() const { return Float_To_Text(f_value); }

void TFormula_Word_Constant_Single::Dump(std::vector<std::string>& lines, const std::string& prefix) const {
  lines.push_back(prefix + "Constant - " + To_Text());
}

void TFormula_Word_Constant_Single::Evaluate(const TFormula_Variable_Slots&, const TFormula_Object_Pointers&,
                                             TFormula_Value& out) const {
  out.m_Set_Single(f_value);
}

bool TFormula_Word_Constant_Single::m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const {
  TFormula_Step step;
  step.kind = FORMULA_STEP_SINGLE;
  step.single = f_value;
  step.out = &out;
  steps.push_back(step);
  return true;
}

std::string TFormula_Word_Constant_Long::To_Text() const { return Int_To_Text(f_value); }

void TFormula_Word_Constant_Long::Dump(std::vector<std::string>& lines, const std::string& prefix) const {
  lines.push_back(prefix + "Constant - " + To_Text());
}

void TFormula_Word_Constant_Long::Evaluate(const TFormula_Variable_Slots&, const TFormula_Object_Pointers&,
                                           TFormula_Value& out) const {
  out.m_Set_Long(f_value);
}

bool TFormula_Word_Constant_Long::m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const {
  TFormula_Step step;
  step.kind = FORMULA_STEP_LONG;
  step.number = f_value;
  step.out = &out;
  steps.push_back(step);
  return true;
}

std::string TFormula_Word_Constant_Boolean::To_Text() const { return f_value ? "TRUE" : "FALSE"; }

void TFormula_Word_Constant_Boolean::Dump(std::vector<std::string>& lines, const std::string& prefix) const {
  lines.push_back(prefix + "Constant - " + To_Text());
}

void TFormula_Word_Constant_Boolean::Evaluate(const TFormula_Variable_Slots&, const TFormula_Object_Pointers&,
                                              TFormula_Value& out) const {
  out.m_Set_Boolean(f_value);
}

bool TFormula_Word_Constant_Boolean::m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const {
  TFormula_Step step;
  step.kind = FORMULA_STEP_BOOLEAN;
  step.number = f_value ? 1 : 0;
  step.out = &out;
  steps.push_back(step);
  return true;
}

std::string TFormula_Word_Constant_String::To_Text() const { return Quoted(f_value); }

void TFormula_Word_Constant_String::Dump(std::vector<std::string>& lines, const std::string& prefix) const {
  lines.push_back(prefix + "String - " + Quoted(f_value));
}

void TFormula_Word_Constant_String::Evaluate(const TFormula_Variable_Slots&, const TFormula_Object_Pointers&,
                                             TFormula_Value& out) const {
  out.m_Set_String(f_value);
}

bool TFormula_Word_Constant_String::m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const {
  TFormula_Step step;
  step.kind = FORMULA_STEP_STRING;
  step.text = &f_value;
  step.out = &out;
  steps.push_back(step);
  return true;
}

std::string TFormula_Word_Variable::To_Text() const { return f_name; }

void TFormula_Word_Variable::Dump(std::vector<std::string>& lines, const std::string& prefix) const {
  lines.push_back(prefix + "Variable - " + f_name);
}

void TFormula_Word_Variable::m_Resolve_Variables(std::vector<std::string>& names) {
  const auto found = std::find(names.begin(), names.end(), f_name);
  if (found == names.end()) {
    names.push_back(f_name);
    f_slot = static_cast<std::int32_t>(names.size());
  } else {
    f_slot = static_cast<std::int32_t>(found - names.begin()) + 1;
  }
}

void TFormula_Word_Variable::Evaluate(const TFormula_Variable_Slots& variables, const TFormula_Object_Pointers&,
                                      TFormula_Value& out) const {
  const TFormula_Value* v = f_slot > 0 && f_slot <= variables.m_Count() ? variables.m_Get(f_slot) : nullptr;
  if (v) {
    out = *v;
  } else {
    out.m_Clear(FORMULA_TAG_SINGLE);
  }
}

bool TFormula_Word_Variable::m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const {
  TFormula_Step step;
  step.kind = FORMULA_STEP_VARIABLE;
  step.number = f_slot;
  step.out = &out;
  steps.push_back(step);
  return true;
}

TFormula_Word_Function::TFormula_Word_Function(std::string name, std::uint16_t id, std::uint16_t param_count)
    : f_name(std::move(name)), f_id(id), f_param_count(param_count) {
  // A parameter that is not given reads as an empty single; nothing else
  // writes these values (see Evaluate).
  for (TFormula_Value& v : f_values) v.m_Clear(FORMULA_TAG_SINGLE);
}

TFormula_Word_Function::~TFormula_Word_Function() = default;

void TFormula_Word_Function::m_Add_Param(std::unique_ptr<TFormula_Block> block) {
  f_depth = std::max(f_depth, 1 + block->m_Depth());
  f_params.push_back(std::move(block));
}

std::string TFormula_Word_Function::To_Text() const {
  std::string t = f_name + "(";
  for (std::size_t i = 0; i < f_params.size(); ++i) {
    if (i > 0) t += ",";
    t += f_params[i]->m_To_Text();
  }
  return t + ")";
}

void TFormula_Word_Function::Dump(std::vector<std::string>& lines, const std::string& prefix) const {
  lines.push_back(prefix + "Function - " + f_name + "(" + Int_To_Text(f_param_count) + ")");
  for (std::size_t i = 0; i < f_params.size(); ++i) {
    lines.push_back(prefix + "  Param [" + Int_To_Text(static_cast<std::int64_t>(i) + 1) + "] - ");
    f_params[i]->m_Dump(lines, prefix + "    ");
  }
}

TFormula_Word_Block::TFormula_Word_Block(std::unique_ptr<TFormula_Block> block)
    : f_block(std::move(block)), f_depth(1 + f_block->m_Depth()) {}

TFormula_Word_Block::~TFormula_Word_Block() = default;

std::string TFormula_Word_Block::To_Text() const { return "( " + f_block->m_To_Text() + " )"; }

void TFormula_Word_Block::Dump(std::vector<std::string>& lines, const std::string& prefix) const {
  f_block->m_Dump(lines, prefix);
}

void TFormula_Word_Block::m_Resolve_Variables(std::vector<std::string>& names) {
  f_block->m_Resolve_Variables(names);
}

void TFormula_Word_Block::Evaluate(const TFormula_Variable_Slots& variables, const TFormula_Object_Pointers& slots,
                                   TFormula_Value& out) const {
  f_block->m_Evaluate(variables, slots, out);
}

bool TFormula_Word_Block::m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const {
  f_block->m_Compile(steps, out);
  return true;
}

// ---- Blocks ---------------------------------------------------------------

const TFormula_Word& TFormula_Block::m_Get_Word(std::int32_t index) const {
  if (index < 1 || index > m_Count()) throw ERangeError();
  return *f_words[static_cast<std::size_t>(index - 1)];
}

void TFormula_Block::m_Append(std::unique_ptr<TFormula_Word> word) {
  f_words.push_back(std::move(word));
  f_codes.clear();
}

std::int32_t TFormula_Block::m_Depth() const {
  std::int32_t d = 0;
  for (const auto& w : f_words) d = std::max(d, w->m_Depth());
  return d;
}

std::string TFormula_Block::m_To_Text() const {
  std::string t;
  for (const auto& w : f_words) t += w->To_Text() + " ";
  return t;
}

void TFormula_Block::m_Dump(std::vector<std::string>& lines, const std::string& prefix) const {
  for (const auto& w : f_words) w->Dump(lines, prefix + "  ");
}

void TFormula_Block::m_Evaluate(const TFormula_Variable_Slots& variables, const TFormula_Object_Pointers& slots,
                                TFormula_Value& out) const {
  out.m_Clear(FORMULA_TAG_LONG);
  std::uint16_t pending = FORMULA_OP_NONE;
  const bool trace = Debug_Sections[DEBUG_FORMULA_EVALUATION];
  const bool noted = f_codes.size() == f_words.size();
  if (noted && !trace) {
    // The usual way: operator codes noted, nothing written to the log.
    const std::size_t n = f_words.size();
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint16_t code = f_codes[i];
      if (code != FORMULA_OP_NONE) {
        pending = code;
      } else if (pending == FORMULA_OP_NONE) {
        f_words[i]->Evaluate(variables, slots, out);
      } else {
        f_words[i]->Evaluate(variables, slots, f_second);
        Formula_Apply_Operator(pending, out, f_second);
      }
    }
    return;
  }
  std::string trace_text;
  for (std::size_t i = 0; i < f_words.size(); ++i) {
    const TFormula_Word* w = f_words[i].get();
    const std::uint16_t code = noted ? f_codes[i] : w->m_Operator_Code();
    if (code != FORMULA_OP_NONE) {
      pending = code;
    } else if (pending == FORMULA_OP_NONE) {
      w->Evaluate(variables, slots, out);
      if (trace) trace_text += " " + out.m_To_Text();
    } else {
      w->Evaluate(variables, slots, f_second);
      Formula_Apply_Operator(pending, out, f_second);
      if (trace) trace_text += Formula_Operator_Symbol(pending) + " " + f_second.m_To_Text() + " = " + out.m_To_Text();
    }
  }
  if (trace) Debug_Log_Write("  " + trace_text);
}

void TFormula_Block::m_Resolve_Variables(std::vector<std::string>& names) {
  f_codes.clear();
  for (const auto& w : f_words) {
    w->m_Resolve_Variables(names);
    f_codes.push_back(w->m_Operator_Code());
  }
}

void TFormula_Block::m_Compile(std::vector<TFormula_Step>& steps, TFormula_Value& out) const {
  // As m_Evaluate: out cleared, then each operand evaluated into out while
  // no operator is pending, else into the second value and applied. The
  // pending operator of each position is known here already.
  const std::size_t clear_at = steps.size();
  TFormula_Step clear;
  clear.kind = FORMULA_STEP_CLEAR;
  clear.out = &out;
  steps.push_back(clear);
  bool first = true, whole = false;
  std::size_t first_end = 0;  // the end of the first word's steps, when it is an operand
  std::uint16_t pending = FORMULA_OP_NONE;
  for (std::size_t i = 0; i < f_words.size(); ++i) {
    const std::uint16_t code = f_codes.size() == f_words.size() ? f_codes[i] : f_words[i]->m_Operator_Code();
    if (code != FORMULA_OP_NONE) {
      pending = code;
      first = false;
    } else if (pending == FORMULA_OP_NONE) {
      const bool sets_whole = f_words[i]->m_Compile(steps, out);
      if (first) {
        whole = sets_whole;
        first_end = steps.size();
      }
      first = false;
    } else {
      f_words[i]->m_Compile(steps, f_second);
      TFormula_Step apply;
      apply.kind = FORMULA_STEP_APPLY;
      apply.code = pending;
      apply.out = &out;
      apply.in[0] = &f_second;
      steps.push_back(apply);
    }
  }
  // The clearing is spared when the first word sets out whole anyway. A
  // first word that is a function call clears out just before the call:
  // its parameters' steps write only values of their own.
  if (whole) {
    steps.erase(steps.begin() + static_cast<std::ptrdiff_t>(clear_at));
  } else if (first_end > clear_at + 1 && steps[first_end - 1].kind == FORMULA_STEP_CALL &&
             steps[first_end - 1].out == &out) {
    steps[first_end - 1].kind = FORMULA_STEP_CLEAR_AND_CALL;
    steps.erase(steps.begin() + static_cast<std::ptrdiff_t>(clear_at));
  }
}

bool TFormula_Block::m_Group_Operators() {
  f_codes.clear();
  std::uint16_t prev_code = FORMULA_OP_NONE;
  std::int32_t prev_pos = 0;
  std::int32_t i = 1;
  while (i <= m_Count()) {
    std::uint16_t c = f_words[static_cast<std::size_t>(i - 1)]->m_Operator_Code();
    if (c != FORMULA_OP_NONE) {
      std::uint16_t p = prev_code;
      std::int32_t q = prev_pos;
      prev_code = c;
      prev_pos = i;
      if (p != FORMULA_OP_NONE) {
        int rc = Formula_Operator_Rank(c), rp = Formula_Operator_Rank(p);
        std::int32_t t = rc < rp ? i : (rc > rp ? q : 0);
        if (t > 0) {
          // The operator at t with its neighbours becomes one block word.
          // A missing neighbour (an operator at either end) is left out.
          std::int32_t first = std::max(t - 1, 1), last = std::min(t + 1, m_Count());
          auto inner = std::make_unique<TFormula_Block>();
          for (std::int32_t k = first; k <= last; ++k) inner->m_Append(std::move(f_words[static_cast<std::size_t>(k - 1)]));
          if (1 + inner->m_Depth() > MAX_NESTING) {
            // Put the words back so that the partly built tree stays whole.
            for (std::int32_t k = first; k <= last; ++k)
              f_words[static_cast<std::size_t>(k - 1)] = std::move(inner->f_words[static_cast<std::size_t>(k - first)]);
            return false;
          }
          f_words.erase(f_words.begin() + first, f_words.begin() + last);
          f_words[static_cast<std::size_t>(first - 1)] = std::make_unique<TFormula_Word_Block>(std::move(inner));
          i = i - 1;
          continue;
        }
      }
    }
    ++i;
  }
  return true;
}

std::uint8_t TFormula_Block::m_Fold_Constant(std::int32_t& folded_long, float& folded_single) const {
  folded_long = 0;
  folded_single = 0;
  if (f_words.empty()) return FORMULA_FOLD_EMPTY_OR_BOOLEAN;
  if (f_words.size() != 1) return FORMULA_FOLD_GENERAL;
  const TFormula_Word* w = f_words[0].get();
  if (dynamic_cast<const TFormula_Word_Constant_Boolean*>(w)) return FORMULA_FOLD_EMPTY_OR_BOOLEAN;
  if (dynamic_cast<const TFormula_Word_Constant_String*>(w)) return FORMULA_FOLD_STRING;
  if (auto l = dynamic_cast<const TFormula_Word_Constant_Long*>(w)) {
    folded_long = l->m_Value();
    return FORMULA_FOLD_LONG;
  }
  if (auto s = dynamic_cast<const TFormula_Word_Constant_Single*>(w)) {
    folded_single = s->m_Value();
    return FORMULA_FOLD_SINGLE;
  }
  return FORMULA_FOLD_GENERAL;
}

// ---- Lines ----------------------------------------------------------------

TFormula_Line::TFormula_Line() = default;
TFormula_Line::~TFormula_Line() = default;

void TFormula_Line::m_Reset() {
  f_fold_kind = FORMULA_FOLD_GENERAL;
  f_folded_long = 0;
  f_folded_single = 0;
  f_variables.m_Clear();
  f_slots.m_Clear();
  f_root.reset();
  f_variable_names.clear();
  f_slot_values.m_Resize(0);
  f_steps.clear();
}

bool TFormula_Line::m_Parse(const std::string& text, std::string& error) {
  m_Reset();
  error.clear();
  f_root = std::make_unique<TFormula_Block>();
  const bool parsed = Parse_Section(text, *f_root, error, 0);
  // The variables get their slots here, once: evaluating then reads slots
  // and never compares a name (a partly built tree keeps working alike).
  f_root->m_Resolve_Variables(f_variable_names);
  f_slot_values.m_Resize(static_cast<std::int32_t>(f_variable_names.size()));
  if (!parsed) return false;
  f_fold_kind = f_root->m_Fold_Constant(f_folded_long, f_folded_single);
  f_root->m_Compile(f_steps, f_result);
  return true;
}

std::string TFormula_Line::m_To_Text() const { return f_root ? f_root->m_To_Text() : std::string(); }

void TFormula_Line::m_Dump(std::vector<std::string>& lines) const {
  if (f_root) f_root->m_Dump(lines, "");
}

std::int32_t TFormula_Line::m_Variable_Slot(std::string_view name) const {
  // Names compare as the list keeps them: A to Z lower-cased.
  for (std::size_t i = 0; i < f_variable_names.size(); ++i) {
    const std::string& known = f_variable_names[i];
    if (known.size() != name.size()) continue;
    bool same = true;
    for (std::size_t k = 0; k < name.size() && same; ++k) {
      char c = name[k];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      same = c == known[k];
    }
    if (same) return static_cast<std::int32_t>(i) + 1;
  }
  return 0;
}

void TFormula_Line::m_Add_Variable(const std::string& name, std::int32_t value) {
  f_variables.m_Append(name).m_Set_Long(value);
  m_Set_Variable(m_Variable_Slot(name), value);
}

void TFormula_Line::m_Add_Vector_Variable(const std::string& name, const TVector& value) {
  TFormula_Value& v = f_variables.m_Append(name);
  v.m_Clear(FORMULA_TAG_VECTOR);
  v.vector = value;
  m_Set_Vector_Variable(m_Variable_Slot(name), value);
}


void TFormula_Line::m_Set_Requirements(TFormula_Object* requirements, std::int32_t value) {
  f_slots.m_Set_Requirements(requirements, value);
}

void TFormula_Line::m_Evaluate_Root() {
  if (Debug_Sections[DEBUG_FORMULA_EVALUATION]) Debug_Log_Write("Evaluating Formula: " + m_To_Text());
  if (!f_steps.empty() && !f_walk_tree && !Debug_Sections[DEBUG_FORMULA_EVALUATION]) {
    Formula_Run_Steps(f_steps, f_slot_values, f_slots);
  } else if (f_root) {
    f_root->m_Evaluate(f_slot_values, f_slots, f_result);
  } else {
    f_result.m_Clear(FORMULA_TAG_LONG);
  }
}

void TFormula_Line::m_Finish_Evaluation() {
  f_variables.m_Clear();
  f_slot_values.m_Clear();
  f_slots.m_Clear();
}

const TFormula_Value& TFormula_Line::m_Evaluate_Value() {
  m_Evaluate_Root();
  if (Debug_Sections[DEBUG_FORMULA_EVALUATION]) Debug_Log_Write("  Result = " + f_result.m_To_Text());
  m_Finish_Evaluation();
  return f_result;
}

float TFormula_Line::m_Evaluate_Single() {
  float r = 0;
  if (f_root && f_fold_kind == FORMULA_FOLD_SINGLE) {
    if (Debug_Sections[DEBUG_FORMULA_EVALUATION]) Debug_Log_Write("Evaluating Formula: " + m_To_Text());
    r = f_folded_single;
  } else if (f_root && f_fold_kind == FORMULA_FOLD_LONG) {
    if (Debug_Sections[DEBUG_FORMULA_EVALUATION]) Debug_Log_Write("Evaluating Formula: " + m_To_Text());
    r = static_cast<float>(f_folded_long);
  } else {
    m_Evaluate_Root();
    r = f_result.tag == FORMULA_TAG_LONG ? static_cast<float>(f_result.long_value) : f_result.single_value;
  }
  if (Debug_Sections[DEBUG_FORMULA_EVALUATION]) Debug_Log_Write("  Result = " + Float_To_Text(r));
  m_Finish_Evaluation();
  return r;
}

std::int32_t TFormula_Line::m_Evaluate_Integer() {
  std::int32_t r = 0;
  if (f_root && f_fold_kind == FORMULA_FOLD_SINGLE) {
    if (Debug_Sections[DEBUG_FORMULA_EVALUATION]) Debug_Log_Write("Evaluating Formula: " + m_To_Text());
    r = Trunc_To_Int32(f_folded_single);
  } else if (f_root && f_fold_kind == FORMULA_FOLD_LONG) {
    if (Debug_Sections[DEBUG_FORMULA_EVALUATION]) Debug_Log_Write("Evaluating Formula: " + m_To_Text());
    r = f_folded_long;
  } else {
    m_Evaluate_Root();
    r = f_result.tag == FORMULA_TAG_SINGLE ? Trunc_To_Int32(f_result.single_value) : f_result.long_value;
  }
  if (Debug_Sections[DEBUG_FORMULA_EVALUATION]) Debug_Log_Write("  Result = " + Int_To_Text(r));
  m_Finish_Evaluation();
  return r;
}

TVector TFormula_Line::m_Evaluate_Vector() {
  m_Evaluate_Root();
  TVector r = f_result.vector;
  if (Debug_Sections[DEBUG_FORMULA_EVALUATION])
    Debug_Log_Write("  Result = " + Float_To_Text(r.x) + ", " + Float_To_Text(r.y) + ", " + Float_To_Text(r.z));
  m_Finish_Evaluation();
  return r;
}

TVector4 TFormula_Line::m_Evaluate_Color() {
  m_Evaluate_Root();
  TVector4 r = f_result.color;
  if (Debug_Sections[DEBUG_FORMULA_EVALUATION])
    Debug_Log_Write("  Result = " + Float_To_Text(r.x) + ", " + Float_To_Text(r.y) + ", " + Float_To_Text(r.z) +
                    ", " + Float_To_Text(r.w));
  m_Finish_Evaluation();
  return r;
}

TVector4 TFormula_Line::m_Evaluate_Rect() {
  m_Evaluate_Root();
  TVector4 r = f_result.rect;
  if (Debug_Sections[DEBUG_FORMULA_EVALUATION])
    Debug_Log_Write("  Result = " + Float_To_Text(r.x) + ", " + Float_To_Text(r.y) + ", " + Float_To_Text(r.z) +
                    ", " + Float_To_Text(r.w));
  m_Finish_Evaluation();
  return r;
}

bool TFormula_Line::m_Evaluate_Boolean() {
  bool r = false;
  if (f_root) {
    m_Evaluate_Root();
    r = f_result.long_value != 0;
  } else if (Debug_Sections[DEBUG_FORMULA_EVALUATION]) {
    Debug_Log_Write("Evaluating Formula: " + m_To_Text());
  }
  if (Debug_Sections[DEBUG_FORMULA_EVALUATION]) Debug_Log_Write(std::string("  Result = ") + (r ? "TRUE" : "FALSE"));
  m_Finish_Evaluation();
  return r;
}
