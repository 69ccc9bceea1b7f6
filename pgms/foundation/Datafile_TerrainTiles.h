// Terrain tiles: the pieces of picture from which a generated world is
// painted, each with a kind, connection codes for its eight edges and
// corners and a weight for random choice; read from the game type's
// Terrain_Tiles.txt into one process-wide list.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DataFile_Base_Loader.h"

// Terrain_Tile_Type
enum : std::uint16_t {
  TERRAIN_TILE_BASE_LAND = 1,
  TERRAIN_TILE_LAND = 2,
  TERRAIN_TILE_SHORE_BORDER = 3,
  TERRAIN_TILE_BASE_OCEAN = 4,
  TERRAIN_TILE_OCEAN = 5,
  TERRAIN_TILE_OCEAN_BORDER = 6,
  TERRAIN_TILE_MOUNTAINS = 7,
};
// The name of a terrain tile type; empty outside 1..7.
std::string Terrain_Tile_Type_Name(std::uint16_t type);
// The type whose name equals the text ignoring case; 0 for another text.
std::uint16_t Terrain_Tile_Type_From_Name(const std::string& name);

class TTerrain_Tile {
public:
  std::int32_t f_index = 0;  // 1-based position in the list, set when added
  std::string f_tile_bitmap;        // "Tile Bitmap" (images\tiles\)
  std::string f_tile_basic_bitmap;  // "Tile Basic Bitmap" (images\basictiles\)
  std::uint16_t f_terrain_type = 0;
  std::int32_t f_rotate = 0;  // degrees, a 16-bit value
  std::uint16_t f_weight = 0;
  // Connection codes 1..8 (top, top right, right, ... top left) in [1]..[8].
  std::array<std::uint16_t, 9> f_base_connections{};
  std::array<std::uint16_t, 9> f_specific_connections{};

  // Connection entry i (1..8); 0 outside.
  std::uint16_t m_Get_Base_Connection(std::int32_t i) const;
  std::uint16_t m_Get_Specific_Connection(std::int32_t i) const;
};

class TTerrain_Tile_List {
public:
  std::uint16_t m_Count() const { return static_cast<std::uint16_t>(f_items.size()); }
  // The tile at a 1-based index; none for 0 or an index above the count.
  TTerrain_Tile* m_Get_Item(std::uint16_t index) const;
  // Appends the tile, stores its index in it, adds its weight to the total
  // and returns the new count. At most 65535 tiles (ERangeError beyond).
  std::uint16_t m_Add(std::unique_ptr<TTerrain_Tile> item);
  std::int32_t m_Get_Total_Weight() const { return f_total_weight; }

private:
  std::vector<std::unique_ptr<TTerrain_Tile>> f_items;
  std::int32_t f_total_weight = 0;
};

class TTerrain_Tile_Data_File_Loader : public TData_File_Loader {
public:
  TTerrain_Tile_Data_File_Loader(const std::string& file_name, TTerrain_Tile_List& list)
      : TData_File_Loader(file_name), f_list(list) {}

protected:
  void m_Load_Record(std::int32_t record_number) override;
  // A world cannot be generated without a "Base Land" and a "Base Ocean"
  // tile: their absence is reported here rather than when a game starts.
  void m_After_Last_Record() override;

private:
  // Fills entries 1..8 from a text of numbers separated by blanks; the last
  // number given fills the remaining entries.
  void m_Read_Connections(const std::string& text, const std::string& field_name,
                          std::array<std::uint16_t, 9>& entries);

  TTerrain_Tile_List& f_list;
};

// The side of a basic tile picture in pixels: the world's region picture is
// laid out in cells of this size.
constexpr std::int32_t TERRAIN_TILE_BASIC_SIZE = 32;

// Checks the basic tile pictures of the tiles (each distinct name once,
// resolved to a file by the given routine): a picture that is not
// TERRAIN_TILE_BASIC_SIZE pixels square, or that exists but cannot be read,
// gives one error line. Pictures not present are left to the step that
// paints with them.
std::vector<std::string> Terrain_Tiles_Check_Basic_Bitmaps(
    const TTerrain_Tile_List& list, const std::function<std::string(const std::string&)>& resolve_file);

// The current terrain tiles; none before the first load.
extern TTerrain_Tile_List* Terrain_Tile_List;

// Replaces the current list by the tiles of the file. True when the file
// loaded without a problem; otherwise the error lines are reported under
// "Terrain Tiles Datafile" and what was read stays loaded.
bool Datafile_TerrainTiles_Load(const std::string& file_name, TList_Dialog_Owner* owner);
// Loads the tiles as above and then checks their basic tile pictures in the
// game's images\basictiles\ folder; the lines of both go into one report.
bool Datafile_TerrainTiles_Load_Checked(const std::string& file_name, TList_Dialog_Owner* owner);
// Frees the current list; true when there was one.
bool Datafile_TerrainTiles_Free();
