// Technology areas: the fields in which an empire researches levels, each
// with a start and a maximum level, the research attempts it can buy (a
// price with a percent chance of success) and the requirements it builds
// on; read from the game type's Technology.txt into one process-wide list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DataFile_Base_Loader.h"
#include "Datafile_Requirements.h"

struct Tech_Cost_Entry {
  std::int32_t cost = 0;    // money
  std::int32_t chance = 0;  // percent
};

class TTech_Area : public TFormula_Object {
public:
  TTech_Area() : f_requirements(REQUIREMENTS_SLOT_TECH_AREA, this) {}
  TTech_Area(const TTech_Area&) = delete;
  TTech_Area& operator=(const TTech_Area&) = delete;

  std::int32_t f_index = 0;  // 1-based position in the list, set when added
  std::string f_display_name;
  std::string f_internal_name;
  std::string f_description;
  std::int32_t f_start_level = 0;
  std::int32_t f_maximum_level = 0;
  std::vector<Tech_Cost_Entry> f_costs;
  TRequirements f_requirements;

  // Kind 1 the display name, 2 the internal name, otherwise empty.
  std::string m_Get_Name(std::int32_t kind) const;
  std::int32_t m_Get_Cost_Count() const { return static_cast<std::int32_t>(f_costs.size()); }
  // Cost entry i (1-based); 0 outside 1..count.
  std::int32_t m_Get_Cost(std::int64_t i) const;
  std::int32_t m_Get_Chance(std::int64_t i) const;
  // "40% chance for $500"; empty outside 1..count.
  std::string m_Get_Cost_Text(std::int64_t i) const;
  void m_Add_Cost(std::int32_t cost, std::int32_t chance);
};

class TTech_Area_List {
public:
  std::int32_t m_Count() const { return static_cast<std::int32_t>(f_items.size()); }
  // The area at a 1-based index; none outside 1..count.
  TTech_Area* m_Get_Item(std::int64_t index) const;
  // Appends the area, stores its index in it and returns the new count.
  std::int32_t m_Add(std::unique_ptr<TTech_Area> area);
  // The index of the first area whose name of the kind (1 display, 2
  // internal) equals the text ignoring case; 0 when none.
  std::int32_t m_Find_By_Name(std::int32_t kind, const std::string& name) const;

private:
  std::vector<std::unique_ptr<TTech_Area>> f_items;
};

class TTech_Area_Data_File_Loader : public TData_File_Loader {
public:
  TTech_Area_Data_File_Loader(const std::string& file_name, TTech_Area_List& list)
      : TData_File_Loader(file_name), f_list(list) {}

protected:
  void m_Load_Record(std::int32_t record_number) override;

private:
  TTech_Area_List& f_list;
};

// The current technology areas; none before the first load.
extern TTech_Area_List* Tech_Area_List;

// Replaces the current list by the areas of the file. True when the file
// loaded without a problem; otherwise the error lines are reported under
// "Technology Datafile" (to the owner dialog when one is given) and what
// was read stays loaded.
bool Datafile_Tech_Load(const std::string& file_name, TList_Dialog_Owner* owner);
// Frees the current list; true when there was one.
bool Datafile_Tech_Free();
