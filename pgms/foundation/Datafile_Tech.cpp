#include "Datafile_Tech.h"

#include "Errors.h"
#include "Io.h"

TTech_Area_List* Tech_Area_List = nullptr;

std::string TTech_Area::m_Get_Name(std::int32_t kind) const {
  if (kind == 1) return f_display_name;
  if (kind == 2) return f_internal_name;
  return std::string();
}

std::int32_t TTech_Area::m_Get_Cost(std::int64_t i) const {
  if (i < 1 || i > m_Get_Cost_Count()) return 0;
  return f_costs[static_cast<std::size_t>(i - 1)].cost;
}

std::int32_t TTech_Area::m_Get_Chance(std::int64_t i) const {
  if (i < 1 || i > m_Get_Cost_Count()) return 0;
  return f_costs[static_cast<std::size_t>(i - 1)].chance;
}

std::string TTech_Area::m_Get_Cost_Text(std::int64_t i) const {
  if (i < 1 || i > m_Get_Cost_Count()) return std::string();
  const Tech_Cost_Entry& e = f_costs[static_cast<std::size_t>(i - 1)];
  return Int_To_Text(e.chance) + "% chance for $" + Int_To_Text(e.cost);
}

void TTech_Area::m_Add_Cost(std::int32_t cost, std::int32_t chance) { f_costs.push_back(Tech_Cost_Entry{cost, chance}); }

TTech_Area* TTech_Area_List::m_Get_Item(std::int64_t index) const {
  if (index < 1 || index > m_Count()) return nullptr;
  return f_items[static_cast<std::size_t>(index - 1)].get();
}

std::int32_t TTech_Area_List::m_Add(std::unique_ptr<TTech_Area> area) {
  std::int32_t index = Checked_Cast<std::int32_t>(f_items.size() + 1);
  area->f_index = index;
  f_items.push_back(std::move(area));
  return index;
}

std::int32_t TTech_Area_List::m_Find_By_Name(std::int32_t kind, const std::string& name) const {
  for (std::int32_t i = 1; i <= m_Count(); ++i) {
    if (kind >= 1 && kind <= 2 && Text_Compare(f_items[std::size_t(i - 1)]->m_Get_Name(kind), name) == 0) return i;
  }
  return 0;
}

void TTech_Area_Data_File_Loader::m_Load_Record(std::int32_t) {
  auto area = std::make_unique<TTech_Area>();
  TData_File_Callbacks callbacks;
  m_Get_Callbacks(callbacks);
  std::string v;

  // Until its internal name is read the record is known by its number.
  m_Set_Record_Name("");
  if (m_Get_Field("Display Name", v, true)) area->f_display_name = v;
  if (m_Get_Field("Internal Name", v, true)) area->f_internal_name = v;
  m_Set_Record_Name(area->f_internal_name);
  if (m_Get_Field("Description", v, true)) area->f_description = v;
  if (m_Get_Field("Start Level", v, true)) area->f_start_level = Datafile_Value_To_Integer(v);
  if (m_Get_Field("Maximum Level", v, true)) area->f_maximum_level = Datafile_Value_To_Integer(v);

  // A count beyond what any file holds would only ask for missing keys.
  std::int64_t count = 0;
  if (m_Get_Field("Number Of Costs", v, true)) {
    count = Datafile_Value_To_Integer(v);
    if (count > 65535) count = Datafile_Value_To_Bounded(v, "Number Of Costs", 0, 65535, callbacks);
  }
  for (std::int64_t i = 1; i <= count; ++i) {
    const std::string key = "Cost " + Int_To_Text(i);
    std::int32_t cost = 0, chance = 0;
    if (m_Get_Field(key + " Cost", v, true)) cost = Datafile_Value_To_Integer(v);
    if (m_Get_Field(key + " Chance", v, true)) chance = Datafile_Value_To_Integer(v);
    if (cost > 0) area->m_Add_Cost(cost, chance);
  }

  area->f_requirements.m_Load(callbacks, true);
  f_list.m_Add(std::move(area));
}

bool Datafile_Tech_Load(const std::string& file_name, TList_Dialog_Owner* owner) {
  Datafile_Tech_Free();
  Tech_Area_List = new TTech_Area_List();
  TTech_Area_Data_File_Loader loader(file_name, *Tech_Area_List);
  loader.m_Load();
  if (loader.m_Get_Errors().empty()) return true;
  Report_Datafile_Error(loader.m_Get_Errors(), "Technology Datafile", file_name, owner);
  return false;
}

bool Datafile_Tech_Free() {
  if (!Tech_Area_List) return false;
  delete Tech_Area_List;
  Tech_Area_List = nullptr;
  return true;
}
