// Map types: how a new world is generated (its size, how land grows, how
// many land and ocean regions it is cut into, the detail pictures laid over
// it), read from the game type's MapTypes.txt into one process-wide list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DataFile_Base_Loader.h"

class TMap_Type {
public:
  std::uint16_t f_index = 0;  // 1-based position in the list, set when added
  std::string f_name;         // "Map Type Name"
  std::int32_t f_map_width = 0;
  std::int32_t f_map_height = 0;
  std::int32_t f_starting_land = 0;
  std::int32_t f_expand_radius = 0;
  std::int32_t f_land_chance_horizontal = 0;
  std::int32_t f_land_chance_vertical = 0;
  std::int32_t f_glob_land_radius = 0;
  std::int32_t f_base_land_region_amount = 0;
  std::int32_t f_base_ocean_region_amount = 0;
  bool f_use_base_detail_map = false;
  std::vector<std::string> f_base_map_details;

  void m_Add_Detail(const std::string& name) { f_base_map_details.push_back(name); }
};

class TMap_Type_List {
public:
  std::uint16_t m_Count() const { return static_cast<std::uint16_t>(f_items.size()); }
  // The map type at a 1-based index; none for 0 or an index above the count.
  TMap_Type* m_Get_Item(std::uint16_t index) const;
  // Appends the map type, stores its index in it and returns the new count.
  // A list holds at most 65535 map types (ERangeError beyond).
  std::uint16_t m_Add(std::unique_ptr<TMap_Type> item);

private:
  std::vector<std::unique_ptr<TMap_Type>> f_items;
};

class TMap_Type_Data_File_Loader : public TData_File_Loader {
public:
  TMap_Type_Data_File_Loader(const std::string& file_name, TMap_Type_List& list)
      : TData_File_Loader(file_name), f_list(list) {}

protected:
  void m_Load_Record(std::int32_t record_number) override;

private:
  TMap_Type_List& f_list;
};

// The current map types; none before the first load.
extern TMap_Type_List* Map_Type_List;

// Replaces the current list by the map types of the file. True when the file
// loaded without a problem; otherwise the error lines are reported under
// "Map Types Datafile" (to the owner dialog when one is given) and what was
// read stays loaded.
bool Datafile_MapTypes_Load(const std::string& file_name, TList_Dialog_Owner* owner);
// Frees the current list; true when there was one.
bool Datafile_MapTypes_Free();
