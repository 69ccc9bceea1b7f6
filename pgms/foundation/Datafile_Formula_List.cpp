#include "Datafile_Formula_List.h"

#include "DataFile_Base_Loader.h"
#include "Io.h"

const std::string FORMULA_GENERATED_NAME = "System_Generated_Formula ";

TFormula_List* Formula_List = nullptr;

void Formula_List_Create() {
  if (!Formula_List) Formula_List = new TFormula_List();
}

void Formula_List_Free() {
  delete Formula_List;
  Formula_List = nullptr;
}

std::string Formula_Fold_Text(const std::string& text) {
  std::string folded = text;
  bool in_string = false;
  for (char& c : folded) {
    if (c == '"') {
      in_string = !in_string;
    } else if (!in_string && c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return folded;
}

TFormula_List::TFormula_List() = default;
TFormula_List::~TFormula_List() = default;

TFormula_Line* TFormula_List::m_Get_Item(std::int32_t index) const {
  if (index < 1 || index > m_Count()) return nullptr;
  return f_entries[static_cast<std::size_t>(index - 1)].line.get();
}

std::string TFormula_List::m_Get_Text(std::int32_t index) const {
  if (index < 1 || index > m_Count()) return "";
  return f_entries[static_cast<std::size_t>(index - 1)].text;
}

std::string TFormula_List::m_Get_Name(std::int32_t index) const {
  if (index < 1 || index > m_Count()) return "";
  return f_entries[static_cast<std::size_t>(index - 1)].name;
}

bool TFormula_List::m_Is_Parsed(std::int32_t index) const {
  if (index < 1 || index > m_Count()) return false;
  return f_entries[static_cast<std::size_t>(index - 1)].parsed;
}

std::int32_t TFormula_List::m_Find_By_Name(const std::string& name) const {
  auto it = f_by_name.find(name);
  return it == f_by_name.end() ? 0 : it->second;
}

bool TFormula_List::m_Add(const std::string& name, const std::string& text, std::int32_t& index, std::string& error) {
  index = 0;
  error.clear();
  std::string folded = Formula_Fold_Text(text);
  auto found = f_by_text.find(folded);
  if (found != f_by_text.end()) {
    const TEntry& e = f_entries[static_cast<std::size_t>(found->second - 1)];
    if (!e.parsed) {
      // A text that failed once fails every time it is registered.
      error = e.error;
      return false;
    }
    index = found->second;
    return true;
  }
  TEntry e;
  e.line = std::make_unique<TFormula_Line>();
  e.text = text;
  e.name = name;
  e.parsed = e.line->m_Parse(text, e.error);
  f_entries.push_back(std::move(e));
  std::int32_t new_index = m_Count();
  f_by_text.emplace(std::move(folded), new_index);
  f_by_name.emplace(name, new_index);
  const TEntry& added = f_entries.back();
  if (!added.parsed) {
    error = added.error;
    return false;
  }
  index = new_index;
  return true;
}

bool TFormula_List::m_Resolve_Name(const std::string& text, std::int32_t& index, std::string& error) const {
  std::int32_t named = m_Find_By_Name(text);
  if (named == 0) return false;
  const TEntry& e = f_entries[static_cast<std::size_t>(named - 1)];
  // A name that refers to a formula that did not parse is no formula.
  index = e.parsed ? named : 0;
  error = e.parsed ? std::string() : e.error;
  return true;
}

std::int32_t TFormula_List::m_Add_System_Formula(const std::string& label, const std::string& text,
                                                 std::vector<std::string>& errors) {
  std::int32_t index = 0;
  std::string error;
  if (!m_Resolve_Name(text, index, error)) {
    m_Add(FORMULA_GENERATED_NAME + Int_To_Text(m_Count() + 1), text, index, error);
  }
  if (index == 0) errors.push_back(error + " - " + label);
  return index;
}

std::int32_t TFormula_List::m_Add_Formula_Field(const std::string& field_name, const TData_File_Callbacks& callbacks,
                                                bool required) {
  std::string value;
  if (!callbacks.m_Get_Field || !callbacks.m_Get_Field(field_name, value, required)) return 0;
  std::int32_t index = 0;
  std::string error;
  if (!m_Resolve_Name(value, index, error)) {
    m_Add(FORMULA_GENERATED_NAME + Int_To_Text(m_Count() + 1), value, index, error);
  }
  if (index == 0 && callbacks.m_Report_Formula_Error) callbacks.m_Report_Formula_Error(value, field_name, error);
  return index;
}
