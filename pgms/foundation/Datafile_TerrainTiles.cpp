#include "Datafile_TerrainTiles.h"

#include <set>

#include "Errors.h"
#include "Image_Files.h"
#include "Io.h"
#include "Path.h"

TTerrain_Tile_List* Terrain_Tile_List = nullptr;

namespace {
const char* const Terrain_Tile_Type_Names[] = {"",      "Base Land",    "Land",     "Shore Border",
                                               "Base Ocean", "Ocean", "Ocean Border", "Mountains"};

// A 16-bit field: a number outside 0..65535 is reported and clamped.
std::int32_t Read_Word(TData_File_Loader& loader, const std::string& value, const std::string& field) {
  std::int32_t v = Datafile_Value_To_Integer(value);
  if (v < 0 || v > 65535) {
    std::int32_t used = v < 0 ? 0 : 65535;
    loader.m_Report_Out_Of_Range(value, field, 0, 65535, used);
    return used;
  }
  return v;
}
}  // namespace

std::string Terrain_Tile_Type_Name(std::uint16_t type) {
  return type >= 1 && type <= 7 ? Terrain_Tile_Type_Names[type] : std::string();
}

std::uint16_t Terrain_Tile_Type_From_Name(const std::string& name) {
  for (std::uint16_t t = 1; t <= 7; ++t) {
    if (Text_Compare(name, Terrain_Tile_Type_Names[t]) == 0) return t;
  }
  return 0;
}

std::uint16_t TTerrain_Tile::m_Get_Base_Connection(std::int32_t i) const {
  return i >= 1 && i <= 8 ? f_base_connections[static_cast<std::size_t>(i)] : 0;
}

std::uint16_t TTerrain_Tile::m_Get_Specific_Connection(std::int32_t i) const {
  return i >= 1 && i <= 8 ? f_specific_connections[static_cast<std::size_t>(i)] : 0;
}

TTerrain_Tile* TTerrain_Tile_List::m_Get_Item(std::uint16_t index) const {
  if (index < 1 || index > f_items.size()) return nullptr;
  return f_items[index - 1u].get();
}

std::uint16_t TTerrain_Tile_List::m_Add(std::unique_ptr<TTerrain_Tile> item) {
  std::uint16_t index = Checked_Cast<std::uint16_t>(f_items.size() + 1);
  f_total_weight = Checked_Add<std::int32_t>(f_total_weight, item->f_weight);
  item->f_index = index;
  f_items.push_back(std::move(item));
  return index;
}

void TTerrain_Tile_Data_File_Loader::m_Read_Connections(const std::string& text, const std::string& field_name,
                                                        std::array<std::uint16_t, 9>& entries) {
  std::string rest = text;
  std::string reported;  // a bad number repeated over the remaining entries is reported once
  for (std::size_t i = 1; i <= 8; ++i) {
    std::string number;
    std::size_t blank = rest.find(' ');
    if (blank == std::string::npos) {
      number = rest;
    } else {
      number = Text_Trim(rest.substr(0, blank));
      rest = Text_Trim(rest.substr(blank));
    }
    std::int64_t v = 0;
    bool numeric = true;
    try {
      v = Text_To_Int(number);
    } catch (const EConvertError&) {
      numeric = false;
    }
    if (numeric && v >= 0 && v <= 65535) {
      entries[i] = static_cast<std::uint16_t>(v);
      continue;
    }
    // A number the entry cannot hold is stored as 0 and reported; the rest
    // of the file still loads.
    entries[i] = 0;
    if (number == reported) continue;
    reported = number;
    if (numeric) {
      m_Report_Out_Of_Range(number, field_name, 0, 65535, 0);
    } else {
      m_Report_Unknown_Value(number, field_name);
    }
  }
}

void TTerrain_Tile_Data_File_Loader::m_Load_Record(std::int32_t record_number) {
  auto tile = std::make_unique<TTerrain_Tile>();
  tile->f_index = record_number;
  std::string v;

  if (m_Get_Field("Tile Bitmap", v, true)) tile->f_tile_bitmap = v;
  m_Set_Record_Name(tile->f_tile_bitmap);
  if (m_Get_Field("Tile Basic Bitmap", v, true)) tile->f_tile_basic_bitmap = v;
  if (m_Get_Field("Tile Rotate", v, true)) tile->f_rotate = Read_Word(*this, v, "Tile Rotate");
  tile->f_terrain_type = 0;
  if (m_Get_Field("Type", v, true)) tile->f_terrain_type = Terrain_Tile_Type_From_Name(v);
  if (m_Get_Field("Base Connections", v, true)) m_Read_Connections(v, "Base Connections", tile->f_base_connections);
  if (m_Get_Field("Specific Connections", v, true)) {
    m_Read_Connections(v, "Specific Connections", tile->f_specific_connections);
  }
  if (m_Get_Field("Weight", v, true)) tile->f_weight = static_cast<std::uint16_t>(Read_Word(*this, v, "Weight"));

  f_list.m_Add(std::move(tile));
}

void TTerrain_Tile_Data_File_Loader::m_After_Last_Record() {
  bool base_land = false, base_ocean = false;
  for (std::uint16_t i = 1; i <= f_list.m_Count(); ++i) {
    std::uint16_t t = f_list.m_Get_Item(i)->f_terrain_type;
    base_land = base_land || t == TERRAIN_TILE_BASE_LAND;
    base_ocean = base_ocean || t == TERRAIN_TILE_BASE_OCEAN;
  }
  if (!base_land) m_Add_Error("No terrain tile of type \"Base Land\": new worlds cannot be generated.");
  if (!base_ocean) m_Add_Error("No terrain tile of type \"Base Ocean\": new worlds cannot be generated.");
}

std::vector<std::string> Terrain_Tiles_Check_Basic_Bitmaps(
    const TTerrain_Tile_List& list, const std::function<std::string(const std::string&)>& resolve_file) {
  std::vector<std::string> errors;
  std::set<std::string> seen;
  for (std::uint16_t i = 1; i <= list.m_Count(); ++i) {
    const std::string& name = list.m_Get_Item(i)->f_tile_basic_bitmap;
    if (name.empty() || !seen.insert(Text_Lower_Case(name)).second) continue;
    const std::string path = resolve_file(name);
    if (!File_Exists(path)) continue;
    TImage image;
    std::string error;
    if (!Image_Read_File(path, image, &error)) {
      errors.push_back("Basic tile picture \"" + name + "\" cannot be read: " + error);
    } else if (image.width != TERRAIN_TILE_BASIC_SIZE || image.height != TERRAIN_TILE_BASIC_SIZE) {
      errors.push_back("Basic tile picture \"" + name + "\" is " + Int_To_Text(image.width) + " x " +
                       Int_To_Text(image.height) + " pixels; basic tiles are " +
                       Int_To_Text(TERRAIN_TILE_BASIC_SIZE) + " x " + Int_To_Text(TERRAIN_TILE_BASIC_SIZE) + ".");
    }
  }
  return errors;
}

namespace {
bool Load_Tiles(const std::string& file_name, TList_Dialog_Owner* owner, bool check_pictures) {
  Datafile_TerrainTiles_Free();
  Terrain_Tile_List = new TTerrain_Tile_List();
  TTerrain_Tile_Data_File_Loader loader(file_name, *Terrain_Tile_List);
  loader.m_Load();
  std::vector<std::string> errors = loader.m_Get_Errors();
  if (check_pictures && Path_Settings) {
    std::vector<std::string> more = Terrain_Tiles_Check_Basic_Bitmaps(
        *Terrain_Tile_List, [](const std::string& name) { return Path_Settings->m_Get_Basic_Tile_Image_File(name); });
    errors.insert(errors.end(), more.begin(), more.end());
  }
  if (errors.empty()) return true;
  Report_Datafile_Error(errors, "Terrain Tiles Datafile", file_name, owner);
  return false;
}
}  // namespace

bool Datafile_TerrainTiles_Load(const std::string& file_name, TList_Dialog_Owner* owner) {
  return Load_Tiles(file_name, owner, false);
}

bool Datafile_TerrainTiles_Load_Checked(const std::string& file_name, TList_Dialog_Owner* owner) {
  return Load_Tiles(file_name, owner, true);
}

bool Datafile_TerrainTiles_Free() {
  if (!Terrain_Tile_List) return false;
  delete Terrain_Tile_List;
  Terrain_Tile_List = nullptr;
  return true;
}
