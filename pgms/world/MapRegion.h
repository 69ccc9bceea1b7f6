// One land or ocean region of the world map: identity, owner, value,
// connections, shape (rectangles, squares with their grid, click zones) and
// the units standing in it, laid out as stacks on the squares.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Vector_Types.h"

class TMap;
class TIo_Reader;
class TIo_Writer;

// Region kinds.
constexpr std::uint8_t REGION_LAND = 1;
constexpr std::uint8_t REGION_OCEAN = 2;

// Side of the squares that world generation cuts a region into; the basic
// terrain tiles have the same size so that grid and rectangles agree.
constexpr std::int32_t Region_Square_Pixels = 32;
// Squares are split at most this many times.
constexpr std::uint8_t Max_Region_Subdivisions = 20;

// Square states.
constexpr std::uint8_t SQUARE_FREE = 0;
constexpr std::uint8_t SQUARE_LABEL = 1;
constexpr std::uint8_t SQUARE_LOWER_MARKER = 2;
constexpr std::uint8_t SQUARE_STACK = 3;
constexpr std::uint8_t SQUARE_UPPER_MARKER = 4;

struct TMap_Region_Square {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  std::uint8_t state = SQUARE_FREE;
  std::uint16_t unit_type = 0;
  std::uint8_t owner = 0;
  bool shown = false;
  std::int32_t stack_count = 0;
};

struct TRegion_Rect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const TRegion_Rect&) const = default;
};

struct TClick_Zone_Span {
  std::uint16_t x1 = 0, x2 = 0;
};

// The nine values that place the label and the marker squares.
struct TRegion_Label_Values {
  std::int32_t label_square = 0, label_column = 0, label_row = 0;
  std::int32_t lower_marker_square = 0, upper_marker_square = 0;
  std::int32_t label_x = 0, label_y = 0;
  std::int32_t centre_x = 0, centre_y = 0;
  bool operator==(const TRegion_Label_Values&) const = default;
};

// Counts every change that may alter which regions exist or how they are
// connected (regions made, copied or loaded, connections added): what is
// worked out from the connections is good while the count stays the same.
std::uint64_t Map_Shape_Version();
void Map_Shape_Changed();

class TMap_Region {
public:
  // A region belongs to one map, whose unit records it reads.
  explicit TMap_Region(TMap& map);
  TMap_Region(const TMap_Region&) = delete;
  TMap_Region& operator=(const TMap_Region&) = delete;

  TMap& m_Map() const { return *f_map; }

  // Identity and plain fields.
  void m_Clear();
  void m_Init(std::int32_t id, TColor color);
  void m_Set_Type(std::uint8_t kind) {
    if (kind != f_kind) Map_Shape_Changed();
    f_kind = kind;
  }
  void m_Set_Name(const std::string& name) { f_name = name; }
  void m_Set_Second_Text(const std::string& text) { f_label_text = text; }
  void m_Set_Value(std::int32_t value) { f_value = value; }
  void m_Set_Bounds(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
  void m_Get_Bounds(std::int32_t& left, std::int32_t& top, std::int32_t& right, std::int32_t& bottom) const;
  void m_Assign(const TMap_Region& other);
  void m_Reset();

  std::int32_t m_Get_Id() const { return f_id; }
  std::uint8_t m_Get_Type() const { return f_kind; }
  const std::string& m_Get_Name() const { return f_name; }
  const std::string& m_Label_Text() const { return f_label_text; }
  TColor m_Get_Color() const { return f_color; }
  std::uint8_t m_Get_Owner() const { return f_owner; }
  std::int32_t m_Get_Value() const { return f_value; }
  std::uint8_t m_Get_Subdivisions() const { return f_subdivisions; }
  bool m_Get_Rebuilt() const { return f_rebuilt; }
  bool m_Get_Visible() const { return f_visible; }
  void m_Set_Visible(bool visible) { f_visible = visible; }
  bool m_Get_Visible_2() const { return f_visible_2; }
  void m_Set_Visible_2(bool visible) { f_visible_2 = visible; }

  // Owner change: the units standing here change sides with the region.
  void m_Set_Owner(std::uint8_t new_owner);

  // Connections.
  void m_Add_Connection(std::int32_t id);
  // Inline: the walks over the connections ask for every one.
  std::int32_t m_Get_Connection(std::int64_t i) const {
    return i < 1 || i > std::int64_t(f_connections.size()) ? 0 : f_connections[std::size_t(i - 1)];
  }
  std::int32_t m_Get_Connection_Count() const { return std::int32_t(f_connections.size()); }
  bool m_Is_Connected_To(std::int32_t id) const;

  // Units standing in the region. m_Add_Unit lists a unit only when its
  // stack finds room on the squares; m_Admit_Unit lists it whatever the
  // squares (a unit that stands here must be fought, captured and counted
  // here) and tells whether its stack got a square: a unit without one is
  // given one as soon as a square comes free.
  bool m_Add_Unit(std::int32_t id);
  bool m_Admit_Unit(std::int32_t id);
  // Whether a listed unit's stack has no square.
  bool m_Has_Unplaced_Units() const;
  // The stacks of listed units that have no square, in list order, each
  // with the number of its units; none when every unit is known to have
  // its square (checked without walking the list).
  struct TUnplaced_Stack {
    std::uint16_t unit_type = 0;
    std::uint8_t owner = 0;
    std::int32_t count = 0;
  };
  std::vector<TUnplaced_Stack> m_Unplaced_Stacks() const;
  void m_Insert_Unit_Id(std::int32_t id);
  bool m_Remove_Unit(std::int32_t id);
  void m_Clear_Units();
  std::int32_t m_Get_Unit_Id(std::int64_t i) const;
  std::int32_t m_Get_Unit_Count() const { return std::int32_t(f_units.size()); }
  bool m_Has_Unit_Id(std::int32_t id) const;
  std::vector<std::int32_t> m_List_Units_Of_Type(std::uint16_t unit_type, std::uint8_t owner) const;

  // Rectangles and click zones.
  bool m_Point_In_Click_Zones(std::int32_t x, std::int32_t y) const;
  void m_Add_Rect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
  bool m_Has_Rect(const TRegion_Rect& rect) const;
  std::int32_t m_Get_Rect_Count() const { return std::int32_t(f_rects.size()); }
  void m_Add_Click_Zone_Span(std::int32_t row, std::uint16_t x1, std::uint16_t x2);
  std::uint16_t m_Get_Click_Zone_Row_Count() const { return f_click_row_count; }
  std::uint16_t m_Get_Click_Zone_Span_Capacity() const { return f_click_span_capacity; }
  // The spans of row 1..row count (empty outside).
  std::span<const TClick_Zone_Span> m_Get_Click_Zone_Row(std::int64_t row) const;

  // Unit questions.
  std::uint8_t m_Get_Foreign_Unit_Owner() const;
  void m_Get_Unit_Owners(std::uint8_t& first, std::uint8_t& second) const;
  bool m_Has_Opposing_Combat_Units() const;
  bool m_Has_Combat_Units() const;
  // Whether a combat unit of an owner other than the given one stands here.
  bool m_Has_Foreign_Combat_Units(std::uint8_t owner) const;
  bool m_Has_Unit_Family(std::uint8_t owner, std::uint16_t family_id, bool also_neighbours) const;
  std::int32_t m_Count_Units_Of_Family(std::uint8_t owner, std::uint16_t family_id) const;
  std::int32_t m_Count_Units_Of_Type(std::uint8_t owner, std::uint16_t unit_type) const;
  // counts[1..5] by movement type (counts[0] unused).
  void m_Count_Units_By_Movement_Type(std::int32_t (&counts)[6]) const;
  std::int32_t m_Get_Territory_Money_Modifier() const;
  std::int32_t m_Get_Unit_Cost_Modifier(std::uint8_t owner) const;
  std::int32_t m_Get_Near_Unit_Cost_Modifier(std::uint8_t owner) const;

  // Squares and stacks.
  bool m_Place_Unit_In_Square(std::int32_t id);
  std::int32_t m_Find_Free_Block(std::int32_t w, std::int32_t h) const;
  void m_Occupy_Block(std::int32_t first_square, std::int32_t w, std::int32_t count, std::uint8_t owner,
                      std::uint16_t unit_type, std::int32_t h);
  // Splits every square in four; false (nothing changed) when a square
  // would become smaller than one pixel or the squares were split 20 times.
  bool m_Subdivide_Squares();
  std::int32_t m_Get_Square_Count() const { return std::int32_t(f_squares.size()); }
  void m_Get_Square(std::int64_t i, TMap_Region_Square& square) const;
  std::int32_t m_Get_Grid_Columns() const { return f_grid_columns; }
  std::int32_t m_Get_Grid_Rows() const { return f_grid_rows; }
  // Square index in a grid cell; 0 for an empty cell or one outside the grid.
  std::int32_t m_Get_Grid_Cell(std::int32_t column, std::int32_t row) const;
  const TRegion_Label_Values& m_Get_Label_Values() const { return f_label; }
  std::int32_t m_Label_Square() const { return f_label.label_square; }

  // Stack geometry (map pixels; y from the bottom of the map).
  bool m_Get_Stack_Draw_Rect(std::uint16_t unit_type, std::uint8_t owner, TColor& color, std::int32_t& height,
                             std::int32_t& width, std::int32_t& y, std::int32_t& x) const;
  bool m_Get_Stack_Position(std::uint16_t unit_type, std::uint8_t owner, std::int32_t& height,
                            std::int32_t& width, std::int32_t& y, std::int32_t& x) const;
  bool m_Get_Stack_Unit_At(std::int32_t pixel_height, std::int32_t& unit_id, bool& in_square, float x,
                           float y) const;

  // Building the squares (world generation).
  void m_Build_Square_Grid();
  bool m_Reserve_Label_Squares(std::int32_t text_width, std::int32_t text_height, std::int32_t& x,
                               std::int32_t& y, std::int32_t picture_width, std::int32_t picture_height);
  bool m_Pick_Lower_Marker_Square();
  bool m_Pick_Upper_Marker_Square();

  // The region's record in CurrentMap.map, full or partial form (the
  // partial form carries only what changes in play). Loading the full form
  // clears the region first; the partial form overwrites what it carries.
  void Save(TIo_Writer& w, bool partial) const;
  void m_Load(TIo_Reader& r, bool partial);

private:
  friend class TMap;
  // The record's fields, read or written (see Io_Fields.h); `log` notes
  // the bytes of each part while writing.
  template <class F, class Self, class Log>
  static void m_Fields(F& f, Self& self, bool partial, Log& log);
  TMap_Region(TMap_Region&&) = default;
  TMap_Region& operator=(TMap_Region&&) = default;

  TMap_Region_Square& m_Square(std::int32_t i) { return f_squares[std::size_t(i - 1)]; }
  const TMap_Region_Square& m_Square(std::int32_t i) const { return f_squares[std::size_t(i - 1)]; }
  void m_Set_Grid_Cell(std::int32_t column, std::int32_t row, std::int32_t square);
  // The square of a grid cell; 0 also for a cell naming no square.
  std::int32_t m_Grid_Square(std::int32_t column, std::int32_t row) const;
  bool m_Block_Free(std::int32_t column, std::int32_t row, std::int32_t w, std::int32_t h) const;
  void m_Release_Stack(std::uint16_t unit_type, std::uint8_t owner);
  void m_Clear_Stack_Squares();
  void m_Relayout_Stacks();
  bool m_Pick_Marker_Square(bool lower);
  bool m_Has_Shown_Stack(std::uint16_t unit_type, std::uint8_t owner) const;
  // Gives the listed units without a stack square one where there is room.
  void m_Place_Unplaced_Units();
  // Sets a shown stack's count to the units of its type and owner listed.
  void m_Recount_Stack(std::uint16_t unit_type, std::uint8_t owner);

  TMap* f_map;
  std::int32_t f_id = 0;
  std::uint8_t f_kind = 0;
  std::string f_name;
  std::string f_label_text;
  TColor f_color = 0;
  std::uint8_t f_owner = 0;
  std::int32_t f_value = 0;
  std::uint8_t f_subdivisions = 0;
  std::vector<std::int32_t> f_connections;
  std::vector<TRegion_Rect> f_rects;
  bool f_rebuilt = false;
  std::vector<TMap_Region_Square> f_squares;
  std::int32_t f_grid_columns = 0, f_grid_rows = 0;
  // Column by column: cell (c, r) at c * rows + r.
  std::vector<std::int32_t> f_grid;
  TRegion_Label_Values f_label;
  std::int32_t f_bounds_left = 0, f_bounds_top = 0, f_bounds_right = 0, f_bounds_bottom = 0;
  std::uint16_t f_click_row_count = 0, f_click_span_capacity = 0;
  // The spans of all rows in one block, row after row; row r (from 1)
  // ends where f_click_row_ends[r - 1] says and starts where the row
  // before ends. One block instead of a list per row spares a region of
  // the map as many allocations as it has rows, when it is read or freed.
  std::vector<TClick_Zone_Span> f_click_spans;
  std::vector<std::uint32_t> f_click_row_ends;
  std::vector<std::int32_t> f_units;
  // Some listed unit may have no stack square (see m_Admit_Unit).
  bool f_unplaced = false;
  bool f_visible = false, f_visible_2 = false;
};
