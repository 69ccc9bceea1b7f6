// The world map of the running game: its regions, the table of unit
// records, the cargo lists of transporting units and the regions where a
// battle is pending.
//
// Units are records addressed by id (their index in the table); a region
// lists the ids standing in it and a transport's cargo list the ids it
// carries. Ids stay stable for the whole game: a deleted unit leaves a free
// slot that a later unit reuses, highest first.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "MapRegion.h"

struct TMap_Unit_Record {
  std::int32_t id = 0;      // 0 marks a free slot
  std::int32_t region = 0;  // 0 while carried
  std::uint16_t unit_type = 0;
  std::uint8_t owner = 0;
  std::uint8_t moves = 0;
  std::uint16_t cargo_list = 0;  // the list of the units it carries; 0 none
  std::int32_t damage = 0;
  bool operator==(const TMap_Unit_Record&) const = default;
};

constexpr std::int32_t Max_Cargo_Units = 30;

struct TMap_Cargo_List {
  std::uint16_t count = 0;
  std::array<std::int32_t, Max_Cargo_Units + 1> ids{};  // positions 1..30
};

// Answers of TMap.m_Get_Unit_Cargo_Size for a unit that never fits.
constexpr std::int32_t Cargo_Size_Never_Fits = 999999;

// Answers of the map queries for a region that cannot be reached:
// m_Get_Region_Distance, and every other search.
constexpr std::int32_t Region_Distance_Unreachable = 99999999;
constexpr std::int32_t Search_Unreachable = 99999;
// A search lists at most this many regions.
constexpr std::size_t Search_Output_Limit = 500;
// The version the game writes into its map files.
extern const char* const Map_File_Version;

// Compares two version texts number by number ("0.9" < "0.12" < "1.09"):
// negative, 0 or positive. A text that is empty or has a part that is not
// a number raises EConvertError.
int Map_Version_Compare(const std::string& a, const std::string& b);

class TIo_Reader;
class TIo_Writer;
class TMap_Type;
struct TMap_Picture_Work;
struct TImage;
struct TImage_Mask_Bits;
// A region's mask of the world pictures: its place, its rows of bits and
// its click-zone spans (row, first column, last column).
struct TMap_Region_Mask {
  std::int32_t id = 0, x1 = 0, y1 = 0, width = 0, height = 0;
  std::size_t stride = 0;
  std::vector<std::uint8_t> bits;
  std::vector<std::array<std::int32_t, 3>> spans;
};

// One cell of the terrain grid of a world being generated.
struct TTerrain_Cell {
  std::int32_t tile = 0;          // terrain tile index, 0 none
  std::uint8_t cell_class = 0;    // TERRAIN_CLASS_*
  std::int32_t mark = 0;
  bool operator==(const TTerrain_Cell&) const = default;
};
constexpr std::uint8_t TERRAIN_CLASS_UNDECIDED = 0;
constexpr std::uint8_t TERRAIN_CLASS_LAND = 1;
constexpr std::uint8_t TERRAIN_CLASS_WATER = 2;

// Grid size of a world generated without a map type.
constexpr std::int32_t Default_Terrain_Width = 192;
constexpr std::int32_t Default_Terrain_Height = 96;
// Region amounts of a world generated without a map type.
constexpr std::int32_t Default_Land_Region_Amount = 120;
constexpr std::int32_t Default_Ocean_Region_Amount = 80;
// Cells are packed into work lists as y * 10000 + x, so a grid is at most
// 10000 cells wide and high.
constexpr std::int32_t Max_Terrain_Size = 9999;

class TMap {
public:
  TMap();
  ~TMap();
  TMap(const TMap&) = delete;
  TMap& operator=(const TMap&) = delete;

  void m_Clear();
  bool m_Assign(const TMap& other);
  bool m_Reset_Game_State();

  const std::string& m_Get_Version() const { return f_version; }
  void m_Set_Version(const std::string& version) { f_version = version; }
  std::int32_t m_Get_Pixel_Width() const { return f_pixel_width; }
  std::int32_t m_Get_Pixel_Height() const { return f_pixel_height; }
  std::int32_t m_Get_Section_Width() const { return f_section_width; }
  std::int32_t m_Get_Section_Height() const { return f_section_height; }
  void m_Set_Pixel_Size(std::int32_t width, std::int32_t height);
  void m_Set_Section_Size(std::int32_t width, std::int32_t height);
  // The flag that asks for a generated map, the map type name and the
  // stored-map name survive m_Clear.
  bool m_Get_Generated() const { return f_generated; }
  void m_Set_Generated(bool generated) { f_generated = generated; }
  const std::string& m_Get_Map_Type_Name() const { return f_map_type_name; }
  void m_Set_Map_Type_Name(const std::string& name) { f_map_type_name = name; }
  const std::string& m_Get_Stored_Map_Name() const { return f_stored_map_name; }
  void m_Set_Stored_Map_Name(const std::string& name) { f_stored_map_name = name; }

  // Regions.
  std::int32_t m_Get_Region_Count() const { return f_region_count; }
  // Sizes the region array (new slots empty; slots beyond n are freed).
  void m_Set_Region_Count(std::int32_t n);
  // A new empty region in slot id (1..region count), replacing any there.
  TMap_Region& m_New_Region(std::int32_t id);
  // Inline: every search over the connections asks for each region it passes.
  TMap_Region* m_Get_Region(std::int64_t i) const {
    return i < 1 || i > f_region_count ? nullptr : f_regions[std::size_t(i)].get();
  }
  std::string m_Get_Region_Name(std::int64_t i) const;
  std::int32_t m_Get_Region_At(std::int32_t x, std::int32_t y) const;
  bool m_Get_Unit_At_Point(float x, float y, std::int32_t& unit_id) const;
  bool m_Owns_Region_Or_Neighbour(std::int32_t region, std::uint8_t player) const;

  // Texture tables (filled when the textures are loaded).
  void m_Set_Region_Textures(std::vector<std::int32_t> textures) { f_region_textures = std::move(textures); }
  // Unit picture and icon per unit type 1..count.
  void m_Set_Unit_Type_Textures(std::vector<std::array<std::int32_t, 2>> textures) {
    f_unit_type_textures = std::move(textures);
  }
  std::int32_t m_Get_Region_Texture(std::int64_t i) const;
  std::int32_t m_Get_Unit_Type_Texture(std::int64_t t) const;
  std::int32_t m_Get_Unit_Type_Icon(std::int64_t t) const;

  // Units.
  std::int32_t m_Get_Unit_Count() const { return f_unit_count; }
  std::int32_t m_Get_Unit_Capacity() const { return f_unit_capacity; }
  std::int32_t m_Add_Unit(std::int32_t region, std::uint16_t unit_type, std::uint8_t owner, std::uint8_t moves,
                          std::uint16_t cargo_list);
  void m_Get_Unit(std::int64_t id, TMap_Unit_Record& record) const {
    if (m_Valid_Unit_Id(id)) record = f_units[std::size_t(id)];
  }
  bool m_Delete_Unit(std::int64_t id);
  void m_Set_Unit_Moves(std::int64_t id, std::uint8_t moves);
  void m_Dec_Unit_Moves(std::int64_t id);
  void m_Set_Unit_Damage(std::int64_t id, std::int32_t damage);
  std::int32_t m_Get_Unit_Damage(std::int64_t id) const;
  void m_Set_Unit_Region(std::int64_t id, std::int32_t region);
  void m_Set_Unit_Owner(std::int64_t id, std::uint8_t owner);
  void m_Reset_Player_Moves(std::uint8_t player);
  // The player's units standing in a region (those with moves left when
  // asked), in id order: their regions and unit types.
  void m_Get_Player_Units(std::uint8_t player, bool only_with_moves, std::vector<std::int32_t>& regions,
                          std::vector<std::uint16_t>& unit_types) const;
  // Sizes the unit table to n records, all free (for the map file's reader).
  void m_Set_Unit_Table_Size(std::int32_t n);
  // Stores a whole record at id 1..unit count as read from a file.
  void m_Put_Unit(std::int32_t id, const TMap_Unit_Record& record);

  // Per-player summaries.
  std::int32_t m_Count_Player_Units(std::uint8_t player) const;
  bool m_Player_Present(std::uint8_t player) const;
  bool m_Any_Unit_With_Moves(std::uint8_t player) const;
  double m_Sum_Unit_Type_Value(std::uint8_t player) const;
  bool m_Has_Air_Units_Over_Foreign_Regions(std::uint8_t player) const;
  void m_Find_Next_Air_Unit_Over_Foreign_Region(std::uint8_t player, std::int32_t after_id,
                                                 TMap_Unit_Record& record) const;
  std::int32_t m_Count_Combat_Regions_Of(std::uint8_t player) const;
  std::int32_t m_Count_Family_Units_In_Range(std::uint8_t player, std::int32_t region, std::uint16_t family_id,
                                             std::int32_t steps);
  void m_Mark_Known_Regions(std::uint8_t player);

  // Cargo lists.
  std::int32_t m_Get_Cargo_List_Count() const { return std::int32_t(f_cargo_lists.size()); }
  std::int32_t m_Add_To_Cargo_List(std::int64_t list, std::int32_t id);
  bool m_Remove_From_Cargo_List(std::int64_t list, std::int32_t id, bool& empty);
  bool m_Free_Cargo_List(std::int64_t list);
  std::int32_t m_Get_Cargo_Count(std::int64_t list) const;
  std::int32_t m_Get_Cargo_Unit(std::int64_t list, std::int64_t i) const;
  std::int32_t m_Get_Unit_Cargo_Size(std::int64_t unit, std::int64_t transport) const;
  std::int32_t m_Get_Cargo_Load(std::int64_t transport) const;
  bool m_Add_Unit_To_Cargo(std::int64_t transport, std::int64_t unit, bool check_only, bool take_from_region);
  bool m_Remove_Unit_From_Cargo(std::int64_t transport, std::int64_t unit, bool check_only, bool clear_moves,
                                std::int32_t target_region, bool place);
  // The transport whose cargo list holds the unit; 0 when it is not carried.
  std::int32_t m_Get_Carrier(std::int64_t unit) const;
  // Sizes the cargo lists to n empty lists, and stores one list as read from
  // a file (for the map file's reader).
  void m_Set_Cargo_List_Count(std::int32_t n);
  void m_Put_Cargo_List(std::int32_t list, const std::vector<std::int32_t>& ids);

  // Combat regions.
  void m_Add_Combat_Region(std::int32_t region);
  void m_Remove_Combat_Region(std::int32_t region);
  std::int32_t m_Get_Combat_Region(std::int64_t i) const;
  std::int32_t m_Get_Combat_Region_Count() const { return std::int32_t(f_combat_regions.size()); }
  bool m_Is_Combat_Region(std::int32_t region) const;
  // The combat region list as read from a file (entries 0 are free).
  void m_Set_Combat_Regions(std::vector<std::int32_t> regions);

  // World generation: the terrain grid of W + 1 by H + 1 cells and its
  // classification into land and water.
  void m_Select_Map_Type();
  // A copy of the selected map type (none when there is none).
  const TMap_Type* m_Get_Map_Type() const { return f_map_type.get(); }
  void m_Set_Grid_Size();
  void m_Find_Base_Tiles();
  std::int32_t m_Get_Base_Land_Tile() const { return f_base_land_tile; }
  std::int32_t m_Get_Base_Ocean_Tile() const { return f_base_ocean_tile; }
  std::int32_t m_Get_Grid_Width() const { return f_grid_w; }
  std::int32_t m_Get_Grid_Height() const { return f_grid_h; }
  void m_Generate_Terrain(std::int32_t step);
  void m_Generate_Regions(std::int32_t kind);
  void m_Classify_Land_Water();
  // A copy of the cell; all fields 0 outside the grid.
  TTerrain_Cell m_Get_Terrain_Cell(std::int32_t x, std::int32_t y) const;
  // The work grids filled by the classification and the region builder
  // (0 outside the grid).
  std::uint16_t m_Get_Work_Region(std::int32_t x, std::int32_t y) const;
  std::uint16_t m_Get_Work_Kind(std::int32_t x, std::int32_t y) const;
  std::uint16_t m_Get_Work_Tile(std::int32_t x, std::int32_t y) const;
  void m_Clear_Generation_Data();
  // Regions of the work grid: m_Create_Regions grows them, merges the small
  // ones and numbers them densely; the kind table holds 1 land, 2 water or 0
  // per region id.
  void m_Create_Regions();
  bool m_Grow_Regions_Once();
  std::int32_t m_Get_Region_Counter() const { return f_region_counter; }
  std::uint8_t m_Get_Region_Kind_Entry(std::int32_t region) const;
  // Creates the region objects, naming land regions from the game type's
  // region names file (or from the given names).
  void m_Create_Region_Objects();
  void m_Create_Region_Objects(std::vector<std::string> names);

  // World generation: the map pictures, one step each, in this order. They
  // read the tile pictures from images\tiles\ and images\basictiles\ and
  // write the section, mask, overview and land/water pictures into
  // currentmap\ under the user folder. Each returns true.
  bool m_Create_Base_Ocean();
  bool m_Create_Work_Bitmaps();
  bool m_Create_Land_Water();
  bool m_Create_Pixel_Arrays();
  bool m_Create_Step_5();
  bool m_Paint_Cells();
  bool m_Create_Section_Arrays();
  bool m_Create_Step_8();
  bool m_Create_Region_Connections();
  bool m_Create_Region_Squares();
  bool m_Create_Overlay();
  bool m_Paint_Sections();
  bool m_Create_Region_Labels();
  // Also writes the whole painted map as TerrainMap.bmp when asked.
  bool m_Create_Terrain_Map(bool write_whole);
  bool m_Create_Region_Sections();
  bool m_Free_Work_Bitmaps();
  // Textures of the map through the engine's texture list: the sections
  // (group 3), the region masks (group 4), the unit types' pictures and
  // icons and the selection box (group 5). m_Load_Textures loads again, after
  // a device reset, each kind that was loaded. The sections and masks of a
  // world just generated are taken from memory (the pictures the files were
  // written from), not read back from the files; the masks are kept as bits
  // and become textures when first drawn.
  void m_Load_Section_Textures();
  void m_Load_Region_Textures();
  void m_Load_Unit_Textures();
  void m_Load_Textures();
  std::int32_t m_Get_Section_Count() const { return f_section_count; }
  // Handle of section i (1..count); 0 outside.
  std::int32_t m_Get_Section_Texture(std::int64_t i) const;
  bool m_Get_Section_Loaded(std::int64_t i) const;
  void m_Set_Section_Loaded(std::int64_t i, bool loaded);
  std::int32_t m_Get_Selection_Box_Texture() const { return f_selection_box_texture; }

  // The region kept by a terrain cell after the largest-piece step (0 none
  // or outside the grid; 0 before the pixel arrays exist).
  std::int32_t m_Get_Picture_Cell_Region(std::int32_t x, std::int32_t y) const;

  // Hands out the world of a new game: region values, start regions and
  // further starting regions of the nations, their starting values, the
  // neutral empire's share with its forces and the nations' starting
  // forces. Returns true.
  bool m_Distribute_Start();

  // Queries over the connections.
  void m_Ensure_Search_Arrays();
  // The start region and every region within the given number of steps,
  // level by level, at most 500; region kind 0 admits any kind.
  void m_Get_Regions_In_Range(std::int32_t from, std::int32_t steps, std::vector<std::int32_t>& regions,
                              std::uint8_t region_kind);

  // Step distance over the connections; Region_Distance_Unreachable when
  // the target cannot be reached, or when either region is not a region of
  // the map (a carried unit stands in region 0, which is nowhere). With the
  // owner rule on, the walk leaves only regions the player owns and unowned
  // regions free of foreign units; region kind 0 admits any kind.
  std::int32_t m_Get_Region_Distance(std::int32_t from, std::int32_t to, std::uint8_t player, bool owner_rule,
                                     std::uint8_t region_kind);
  // Steps to the nearest region the player owns (0 for an owned start), or
  // Search_Unreachable; movement type 0 admits any region.
  std::int32_t m_Find_Nearest_Owned_Region(std::int32_t from, std::uint8_t player, std::int32_t& region,
                                           std::uint8_t movement_type);
  // The nearest transport of the unit's owner with room for it, and the
  // region it stands in; steps or Search_Unreachable. A carried unit, and a
  // transport that is itself carried, have no region to search from.
  std::int32_t m_Find_Transport(std::int32_t unit, std::int32_t& transport, std::int32_t& region);
  // The regions a unit of the movement type can enter within the maximum
  // steps, each with its step count, in the order found (at most 500).
  // Mode 1: ordinary movement; modes 2 and 9: the move may end where
  // foreign units stand or in a combat region where the player fights.
  void m_Get_Move_Range(std::int32_t from, std::uint8_t movement_type, std::vector<std::int32_t>& steps,
                        std::vector<std::int32_t>& regions, std::int32_t mode, std::uint8_t player,
                        std::int32_t maximum_steps);
  // The regions reached within the maximum levels over land (terrain mode
  // 2), ocean (3) or both (1 and 4); the start is not listed; at most 500.
  void m_Get_Reach_By_Terrain(std::int32_t from, std::int32_t terrain_mode, std::vector<std::int32_t>& regions,
                              std::int32_t maximum_steps);
  // The path from `from` to `to` through the first `allowed_count` allowed
  // regions: path[0] is the first region after the start, the last entry
  // the target; empty when the target is not reached within 101 steps.
  // An allowed count above 500 (or above the list's size) is an ERangeError.
  void m_Find_Path(std::int32_t from, std::int32_t to, std::vector<std::int32_t>& path, std::uint8_t player,
                   std::int32_t mode, const std::vector<std::int32_t>& allowed, std::int32_t allowed_count);

  // Cuts a path after its first stopping region: a region where units of
  // another player stand or a battle is pending stays as the last leg; a
  // leg that is not a region ends the path before it.
  void m_Trim_Path(std::vector<std::int32_t>& path, std::uint8_t player) const;

  // CurrentMap.map. The partial form carries only what changes in play, for
  // a peer that holds the same generated map. Loading reads into a fresh
  // map and takes it only when the whole file was read: a broken file is
  // reported ("Load file error: ") and leaves this map as it was.
  bool m_Save_To_File(const std::string& file_name, bool partial, const std::string& version);
  bool m_Load_From_File(const std::string& file_name, bool partial, const std::string& version);
  // Sets the map's version and writes the chosen form.
  bool Save(TIo_Writer& w, bool partial, const std::string& version);
  // Reads what Save wrote; `version` is the version of the program that
  // wrote the file (files from before 0.12 start without one). Raises on
  // bad data, leaving this map as it was.
  bool m_Load(TIo_Reader& r, bool partial, const std::string& version);
  // Becomes the full map that was read into `loaded` (which is left empty),
  // as a load of the same file would.
  void m_Take_Map(TMap& loaded);

  // Record of a valid id, for the map's own regions: no range check.
  const TMap_Unit_Record& m_Unit_Ref(std::int32_t id) const { return f_units[std::size_t(id)]; }
  bool m_Valid_Unit_Id(std::int64_t id) const { return id >= 1 && id <= f_unit_count; }
  // The ids of the records of an owner, in id order (carried units too).
  const std::vector<std::int32_t>& m_Get_Unit_Ids_Of(std::uint8_t owner) const { return f_owner_units[owner]; }
  // The regions whose object exists, in id order.
  std::vector<TMap_Region*> m_Existing_Regions() const;

private:
  // Marks every region the walk of m_Get_Region_Distance reaches from
  // `from` with its step count + 1 (0: not reached); stops once `to` is
  // marked when `to` is not 0.
  void m_Mark_Distances(std::int32_t from, std::int32_t to, std::uint8_t player, bool owner_rule,
                        std::uint8_t region_kind);
  // Map file: the regions holding what is written, and taking a loaded map.
  bool m_Region_Written(std::int32_t id) const;
  // The file's fields, read or written (see Io_Fields.h).
  template <class F>
  void m_Fields(F& f, bool partial, const std::string& version);
  void m_Load_Into(TIo_Reader& r, bool partial, const std::string& version);
  // Takes the loaded map's contents and its unit indexes, which were built
  // when it was read.
  void m_Take_Loaded(TMap& loaded, bool partial);

  TMap_Unit_Record& m_Unit(std::int64_t id) { return f_units[std::size_t(id)]; }
  void m_Set_Record_Cargo_List(std::int32_t id, std::uint16_t list);
  void m_Set_Record_Owner(std::int32_t id, std::uint8_t owner);
  void m_Free_Slot(std::int32_t id);
  // Enters a used record into the owner indexes, or takes it out.
  void m_Index_Record(std::int32_t id);
  void m_Unindex_Record(std::int32_t id);
  void m_Rebuild_Unit_Indexes();
  void m_Update_Upkeep_Of(std::uint8_t owner);
  // With fog of war, what the turn's empire knows once a unit landed in a
  // region (taking it, when it did, from `lost_owner`).
  void m_Update_Known_After_Landing(std::int32_t unit, std::int32_t region, std::uint8_t lost_owner);

  std::string f_version;
  std::int32_t f_region_count = 0;
  std::vector<std::unique_ptr<TMap_Region>> f_regions;  // index = id, slot 0 unused
  // What m_Mark_Known_Regions saw last for a player: the longest sight range
  // standing in each region and how many of those regions' walks reach
  // each region; good while the map's shape version is `shape`.
  struct TView_Memo {
    std::uint64_t shape = 0;
    std::vector<std::int32_t> sight, cover;  // index = region id
  };
  std::vector<TView_Memo> f_view_memos;  // index = player
  std::int32_t f_pixel_width = 0, f_pixel_height = 0;
  std::int32_t f_section_width = 0, f_section_height = 0;

  std::int32_t f_unit_count = 0, f_unit_capacity = 0;
  std::vector<TMap_Unit_Record> f_units;  // index = id, slot 0 unused
  // Free slots, taken highest first.
  std::vector<std::int32_t> f_free_units;
  // Ids of the units of each owner, in id order. Sorted vectors rather
  // than sets: built in one pass when a map is read, walked often, and
  // mostly grown at the end (a new unit takes the highest id).
  std::array<std::vector<std::int32_t>, 256> f_owner_units;
  // Records of each owner by unit type (type t at t); upkeep sums from these.
  std::array<std::vector<std::int32_t>, 256> f_owner_type_counts;

  std::vector<TMap_Cargo_List> f_cargo_lists;  // list k at index k - 1
  std::set<std::int32_t> f_free_cargo_lists;    // lists with count 0, lowest first
  std::vector<std::int32_t> f_cargo_transport;  // list k: the unit whose record names it
  std::vector<std::int32_t> f_cargo_home;       // unit id: the list that holds it

  std::vector<std::int32_t> f_combat_regions;

  std::vector<std::int32_t> f_region_textures;
  std::vector<std::array<std::int32_t, 2>> f_unit_type_textures;
  std::int32_t f_section_count = 0;
  std::vector<std::int32_t> f_section_textures;  // index = section, slot 0 unused
  std::vector<std::uint8_t> f_section_loaded;
  std::int32_t f_selection_box_texture = 0;
  // The section pictures (index = section) and region masks (index =
  // region id) of the world just generated, until their textures are made;
  // dropped by m_Clear.
  std::vector<std::shared_ptr<const TImage>> f_new_sections;
  std::vector<std::shared_ptr<const TImage_Mask_Bits>> f_new_masks;

  bool f_generated = false;
  std::string f_map_type_name, f_stored_map_name;

  std::vector<std::int32_t> f_search_marks;
  std::vector<std::uint8_t> f_search_flags;

  // World generation.
  struct TGrid_Point {
    std::int32_t x = 0, y = 0;
  };
  bool m_In_Grid(std::int32_t x, std::int32_t y) const { return x >= 0 && y >= 0 && x <= f_grid_w && y <= f_grid_h; }
  std::size_t m_Cell_Index(std::int32_t x, std::int32_t y) const;
  TTerrain_Cell& m_Cell(std::int32_t x, std::int32_t y) { return f_terrain[m_Cell_Index(x, y)]; }
  std::uint16_t m_Tile_Type(std::int32_t tile) const;
  void m_Set_Land(std::int32_t x, std::int32_t y);
  void m_Set_Water(std::int32_t x, std::int32_t y);
  void m_Flip(std::int32_t x, std::int32_t y);
  void m_Frontier_Add(std::int32_t x, std::int32_t y);
  void m_Frontier_Remove(std::int32_t i);
  void m_Terrain_Seed();
  void m_Terrain_Grow();
  void m_Terrain_Thicken();
  void m_Terrain_Smooth();
  void m_Terrain_Trim_Edges();
  void m_Terrain_Trim_Line(bool row, std::int32_t fixed, std::int32_t from, std::int32_t to);
  void m_Terrain_Clean_Straits();
  void m_Terrain_Fit_Tiles();
  void m_Terrain_Mountains();
  std::uint16_t m_New_Work_Region();
  void m_Seed_Regions(std::vector<std::int32_t>& candidates, std::int32_t amount);
  bool m_Open_Neighbour(std::size_t cell, std::int32_t side) const;
  bool m_Grow_Regions_From(std::vector<std::size_t>& active);
  void m_Grow_Regions_Fully(std::vector<std::size_t>& active);
  bool m_Merge_Regions_Round();

  std::shared_ptr<const TMap_Type> f_map_type;
  std::int32_t f_grid_w = 0, f_grid_h = 0;
  std::int32_t f_base_land_tile = 0, f_base_ocean_tile = 0;
  std::vector<TTerrain_Cell> f_terrain;
  std::vector<std::uint16_t> f_work_region, f_work_kind, f_work_tile;
  std::vector<TGrid_Point> f_frontier;
  std::int32_t f_region_counter = 0;
  std::vector<std::uint8_t> f_region_kinds;
  // Pictures of the world being generated (none outside the picture steps).
  std::shared_ptr<TMap_Picture_Work> f_pictures;
  TMap_Picture_Work& m_Pictures();
  std::vector<TMap_Region_Mask> m_Region_Mask_Bounds() const;
  void m_Start_Region_Masks();
  std::vector<TMap_Region_Mask> m_Take_Region_Masks();
};

// The world map of the running game; the main window creates it when it is
// first shown and frees it when it closes (null before and after).
extern TMap* G_Map;
