#include "Datafile_MapTypes.h"

#include "Errors.h"
#include "Io.h"

TMap_Type_List* Map_Type_List = nullptr;

TMap_Type* TMap_Type_List::m_Get_Item(std::uint16_t index) const {
  if (index < 1 || index > f_items.size()) return nullptr;
  return f_items[index - 1u].get();
}

std::uint16_t TMap_Type_List::m_Add(std::unique_ptr<TMap_Type> item) {
  std::uint16_t index = Checked_Cast<std::uint16_t>(f_items.size() + 1);
  item->f_index = index;
  f_items.push_back(std::move(item));
  return index;
}

void TMap_Type_Data_File_Loader::m_Load_Record(std::int32_t) {
  auto map_type = std::make_unique<TMap_Type>();
  std::string v;

  if (m_Get_Field("Map Type Name", v, true)) map_type->f_name = Datafile_Value_To_String(v);
  m_Set_Record_Name(map_type->f_name);

  struct TInt_Field {
    const char* key;
    std::int32_t TMap_Type::*field;
  };
  static const TInt_Field int_fields[] = {
      {"Map Width", &TMap_Type::f_map_width},
      {"Map Height", &TMap_Type::f_map_height},
      {"Starting Land", &TMap_Type::f_starting_land},
      {"Expand Radius", &TMap_Type::f_expand_radius},
      {"Land Chance Horizontal", &TMap_Type::f_land_chance_horizontal},
      {"Land Chance Vertical", &TMap_Type::f_land_chance_vertical},
      {"Glob Land Radius", &TMap_Type::f_glob_land_radius},
      {"Base Land Region Amount", &TMap_Type::f_base_land_region_amount},
      {"Base Ocean Region Amount", &TMap_Type::f_base_ocean_region_amount},
  };
  for (const TInt_Field& f : int_fields) {
    if (m_Get_Field(f.key, v, true)) map_type.get()->*f.field = Datafile_Value_To_Integer(v);
  }

  if (m_Get_Field("Use Base Detail Map", v, true)) map_type->f_use_base_detail_map = Datafile_Value_To_Boolean(v);

  std::int32_t count = 0;
  if (m_Get_Field("Number of Base Map Details", v, true)) {
    count = Datafile_Value_To_Integer(v);
    if (count < 0 || count > 65535) {
      std::int32_t used = count < 0 ? 0 : 65535;
      m_Report_Out_Of_Range(v, "Number of Base Map Details", 0, 65535, used);
      count = used;
    }
  }
  for (std::int32_t i = 1; i <= count; ++i) {
    if (m_Get_Field("Base Map Detail " + Int_To_Text(i), v, true) && !v.empty()) map_type->m_Add_Detail(v);
  }

  f_list.m_Add(std::move(map_type));
}

bool Datafile_MapTypes_Load(const std::string& file_name, TList_Dialog_Owner* owner) {
  Datafile_MapTypes_Free();
  Map_Type_List = new TMap_Type_List();
  TMap_Type_Data_File_Loader loader(file_name, *Map_Type_List);
  loader.m_Load();
  if (loader.m_Get_Errors().empty()) return true;
  Report_Datafile_Error(loader.m_Get_Errors(), "Map Types Datafile", file_name, owner);
  return false;
}

bool Datafile_MapTypes_Free() {
  if (!Map_Type_List) return false;
  delete Map_Type_List;
  Map_Type_List = nullptr;
  return true;
}
