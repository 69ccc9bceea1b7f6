#include "Datafile_Requirements.h"

#include "Debug_Log.h"
#include "Datafile_Formula_Functions.h"
#include "Datafile_Formula_List.h"
#include "Errors.h"
#include "Io.h"

namespace {
// A requirement whose arithmetic overflowed cannot be decided: it is not
// met, the cause is logged and the line is left clean for its next user.
void Requirement_Not_Decided(TFormula_Line& line, const std::exception& e) {
  line.m_Clear_Variables();
  line.m_Clear_Object_Slots();
  if (Debug_Enabled) {
    Debug_Log_Write("TRequirements.m_Check - " + std::string(e.what()) + " in \"" + line.m_To_Text() +
                    "\"; the requirement is not met.");
  }
}
}  // namespace

TRequirements::TRequirements(std::int32_t context_slot, TFormula_Object* owner)
    : f_context_slot(context_slot), f_owner(owner) {}

void TRequirements::m_Add(const std::string& description, std::int32_t formula_index) {
  f_entries.push_back(Requirement_Entry{description, formula_index});
}

std::string TRequirements::m_Get_Description(std::int64_t i) const {
  if (i < 1 || i > m_Get_Count()) return std::string();
  return f_entries[static_cast<std::size_t>(i - 1)].description;
}

std::int32_t TRequirements::m_Get_Formula_Index(std::int64_t i) const {
  if (i < 1 || i > m_Get_Count()) return 0;
  return f_entries[static_cast<std::size_t>(i - 1)].formula_index;
}

void TRequirements::m_Load(const TData_File_Callbacks& callbacks, bool required) {
  f_entries.clear();
  std::string v;
  std::int64_t count = 0;
  if (callbacks.m_Get_Field && callbacks.m_Get_Field("Number of Requirements", v, required)) {
    // A negative count is reported against the field's own range; a large
    // one is bounded by what the record holds.
    if (Datafile_Value_To_Integer(v) < 0)
      count = Datafile_Value_To_Bounded(v, "Number of Requirements", 0, 65535, callbacks);
    else
      count = Datafile_Bounded_List_Count(v, "Number of Requirements", callbacks);
  }
  f_entries.resize(static_cast<std::size_t>(count));
  Formula_List_Create();
  for (std::int64_t i = 1; i <= count; ++i) {
    const std::string key = "Requirement " + Int_To_Text(i);
    std::string description;
    callbacks.m_Get_Field(key + " Description", description, required);
    std::int32_t index = Formula_List->m_Add_Formula_Field(key + " Formula", callbacks, required);
    if (index > 0) f_entries[static_cast<std::size_t>(i - 1)] = Requirement_Entry{description, index};
  }
}

bool TRequirements::m_Check(TFormula_Object* empire, std::int32_t level) const {
  if (!Formula_List) return true;
  for (const Requirement_Entry& entry : f_entries) {
    TFormula_Line* line = Formula_List->m_Get_Item(entry.formula_index);
    if (!line) continue;
    line->m_Clear_Variables();
    line->m_Set_Variable(line->m_Variable_Slot("[%Level%]"), level);
    line->m_Clear_Object_Slots();
    line->m_Set_Object_Slot(FORMULA_SLOT_EMPIRE, empire, 0);
    line->m_Set_Object_Slot(f_context_slot, f_owner, level);
    line->m_Set_Requirements(const_cast<TRequirements*>(this), level);
    bool held = false;
    try {
      held = line->m_Evaluate_Boolean();
    } catch (const EIntOverflow& e) {
      Requirement_Not_Decided(*line, e);
    } catch (const ERangeError& e) {
      Requirement_Not_Decided(*line, e);
    }
    if (!held) return false;
  }
  return true;
}

std::int64_t Datafile_Value_To_Bounded(const std::string& value, const std::string& field_name, std::int64_t low,
                                       std::int64_t high, const TData_File_Callbacks& callbacks) {
  std::int64_t v = Datafile_Value_To_Integer(value);
  if (v >= low && v <= high) return v;
  std::int64_t used = v < low ? low : high;
  if (callbacks.m_Report_Out_Of_Range) callbacks.m_Report_Out_Of_Range(value, field_name, low, high, used);
  return used;
}
