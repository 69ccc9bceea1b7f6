// The one process-wide list of parsed formulas.
//
// Data records keep only the 1-based index of their formula here. Texts
// that are the same (letters compared ignoring case outside quoted strings)
// share one entry; entries are never removed, so indices stay valid for the
// life of the program.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Datafile_Formula_Line.h"

struct TData_File_Callbacks;

class TFormula_List {
public:
  TFormula_List();
  ~TFormula_List();
  TFormula_List(const TFormula_List&) = delete;
  TFormula_List& operator=(const TFormula_List&) = delete;

  std::int32_t m_Count() const { return static_cast<std::int32_t>(f_entries.size()); }
  // The line at a 1-based index; none outside 1..count.
  TFormula_Line* m_Get_Item(std::int32_t index) const;
  // Text and name of an entry; empty outside 1..count.
  std::string m_Get_Text(std::int32_t index) const;
  std::string m_Get_Name(std::int32_t index) const;
  // Whether the entry's text parsed (false outside 1..count).
  bool m_Is_Parsed(std::int32_t index) const;
  // The first entry with exactly this name (case-sensitive); 0 when none.
  std::int32_t m_Find_By_Name(const std::string& name) const;

  // Registers a formula text under a name. A text already present gives its
  // entry: its index when it parsed, otherwise the failure and the parser's
  // error again. A new text is appended and parsed; when it does not parse
  // it still takes an entry, and the result is false with the error text.
  bool m_Add(const std::string& name, const std::string& text, std::int32_t& index, std::string& error);

  // Registers the formula under a field of the loader's current record: a
  // value that is the exact name of an entry refers to that entry; any
  // other value is added under the name "System_Generated_Formula
  // <count + 1>". Returns the index, or 0 when the field is missing (the
  // loader reports it when required) or the formula does not parse
  // (reported through the loader's formula error).
  std::int32_t m_Add_Formula_Field(const std::string& field_name, const TData_File_Callbacks& callbacks,
                                   bool required);

  // Registers a formula given directly: a text that is the exact name of an
  // entry refers to that entry; otherwise the text is added under the name
  // "System_Generated_Formula <count + 1>". Returns the index, or 0 after
  // appending "<error> - <label>" to errors.
  std::int32_t m_Add_System_Formula(const std::string& label, const std::string& text,
                                    std::vector<std::string>& errors);

private:
  struct TEntry {
    std::unique_ptr<TFormula_Line> line;
    std::string text;
    std::string name;
    bool parsed = false;
    std::string error;
  };
  // Resolves a text that names an entry: true when it does, with the
  // entry's outcome in index and error.
  bool m_Resolve_Name(const std::string& text, std::int32_t& index, std::string& error) const;

  std::vector<TEntry> f_entries;
  // Folded text (letters lower-cased outside quotes) and name to the first
  // index that holds it.
  std::unordered_map<std::string, std::int32_t> f_by_text;
  std::unordered_map<std::string, std::int32_t> f_by_name;
};

// The text with the letters A..Z lower-cased outside double-quoted strings:
// two formula texts are the same formula when these are equal.
std::string Formula_Fold_Text(const std::string& text);

// Prefix of the names the system gives its entries.
extern const std::string FORMULA_GENERATED_NAME;

// The global list; created at start-up and freed at the end.
extern TFormula_List* Formula_List;
void Formula_List_Create();
void Formula_List_Free();
