// Requirements: the block of described boolean formulas that a data record
// (a technology area, a unit type) needs to hold before an empire may use
// it. The formulas live in the global formula list; a block keeps their
// indices.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DataFile_Base_Loader.h"
#include "Datafile_Formula_Line.h"

// The context slot that receives a block's owner when it is checked.
constexpr std::int32_t REQUIREMENTS_SLOT_TECH_AREA = 1;
constexpr std::int32_t REQUIREMENTS_SLOT_UNIT_TYPE = 2;

struct Requirement_Entry {
  std::string description;
  std::int32_t formula_index = 0;  // into the global formula list; 0 = none
};

class TRequirements : public TFormula_Object {
public:
  // A block of the owner (not owned) that checks with the owner in the
  // context slot.
  TRequirements(std::int32_t context_slot, TFormula_Object* owner);

  // Reads "Number of Requirements" and the entries of the loader's current
  // record, replacing what the block held. A formula that is missing or
  // does not parse is reported through the callbacks and leaves its entry
  // empty.
  void m_Load(const TData_File_Callbacks& callbacks, bool required);
  void m_Clear() { f_entries.clear(); }
  // Appends an entry (as a loaded file would).
  void m_Add(const std::string& description, std::int32_t formula_index);

  std::int32_t m_Get_Count() const { return static_cast<std::int32_t>(f_entries.size()); }
  // Entry i (1-based); empty or 0 outside 1..count.
  std::string m_Get_Description(std::int64_t i) const;
  std::int32_t m_Get_Formula_Index(std::int64_t i) const;
  std::int32_t m_Get_Context_Slot() const { return f_context_slot; }
  TFormula_Object* m_Get_Owner() const { return f_owner; }

  // True when every requirement holds for the empire (slot 3) at the level
  // ("[%Level%]"). Entries without a formula are skipped; the first entry
  // that does not hold ends the check. A formula whose arithmetic overflows
  // is logged and counts as not met.
  bool m_Check(TFormula_Object* empire, std::int32_t level) const;

private:
  std::vector<Requirement_Entry> f_entries;
  std::int32_t f_context_slot;
  TFormula_Object* f_owner;
};

// A whole number that a field of limited width holds: a number outside
// low..high is reported through the callbacks and clamped; a text that is
// no number gives 0 without a report.
std::int64_t Datafile_Value_To_Bounded(const std::string& value, const std::string& field_name, std::int64_t low,
                                       std::int64_t high, const TData_File_Callbacks& callbacks);
