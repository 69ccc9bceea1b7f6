// Turning a list with owner-drawn rows into a sortable table.
//
// The screens own a grid of cells addressed by column and row, a row of
// column headers that can be clicked to sort, the sort keys (a history of the
// last five choices followed by the default keys) and the row order (list
// row n shows grid row order[n]). These routines fill cells and headers,
// draw headers and rows, push sort keys and sort the row order. Columns,
// rows, headers and sort-key entries are numbered from 1.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// What a cell draws (None: nothing; the cell still sorts).
enum class TList_Cell_Kind : std::uint8_t { None = 0, Text = 1, Empire_Flag = 2, Unit_Icon = 3 };

struct TList_Window_Cell {
  std::string f_text;
  std::int32_t f_x_offset = 0;
  std::int32_t f_key = 0;  // the empire number (Empire_Flag) or unit-type index (Unit_Icon)
  TList_Cell_Kind f_kind = TList_Cell_Kind::None;
  std::int32_t f_value = 0;  // kept for the screen
  bool f_numeric = false;    // sort by the sort value instead of the text
  float f_sort_value = 0.0f;
};

// Columns 1.., each a list of cells by row 1.. (entry 0 of both unused).
using TList_Window_Grid = std::vector<std::vector<TList_Window_Cell>>;

struct TList_Window_Header {
  std::string f_text;
  std::int32_t f_x_offset = 0;
  bool f_default_ascending = true;
  std::int32_t f_text_width = 0, f_text_height = 0;
  std::int32_t f_sort_column = 0;
  bool f_sortable = false;
};

// Headers 1.. (entry 0 unused).
using TList_Window_Headers = std::vector<TList_Window_Header>;

struct TList_Window_Sort_Key {
  std::int32_t f_column = 0;  // 0 = empty
  bool f_ascending = true;
};

// Exactly five entries, most significant first (index 0 is entry 1).
using TList_Window_Sort_Keys = std::array<TList_Window_Sort_Key, 5>;

// Grid row numbers by list row (entry 0 unused).
using TList_Window_Row_Order = std::vector<std::int32_t>;

void List_Window_Set_Default_Sort_Keys(const TList_Window_Sort_Key* entries, std::int32_t count);
void List_Window_Reset_Sort_Keys();
std::int32_t List_Window_Default_Sort_Key_Count();

// Sets a cell (the grid grows to hold it; row and column from 1, else
// EListError); numeric and the sort value are cleared.
void List_Window_Set_Cell(TList_Window_Grid& grid, std::int32_t row, std::int32_t column, const std::string& text,
                          std::int32_t x_offset, std::int32_t key, TList_Cell_Kind kind, std::int32_t value);
void List_Window_Set_Cell_Sort_Value(TList_Window_Grid& grid, std::int32_t row, std::int32_t column, float value);
// The cell, or nullptr when the grid has none there.
const TList_Window_Cell* List_Window_Get_Cell(const TList_Window_Grid& grid, std::int32_t row, std::int32_t column);

// Stores a header (the list grows to hold it) and measures its text in main font 2.
void List_Window_Set_Header(TList_Window_Headers& headers, std::int32_t index, const std::string& text,
                            std::int32_t x_offset, bool default_ascending, std::int32_t sort_column, bool sortable);
// Draws the headers (when draw is set) as shadowed texts in main font 2 at
// (x + header x, y); with hover enabled, a sortable header under the mouse
// is drawn in the "Selected Text Color" and its index reported.
void List_Window_Draw_Headers(const TList_Window_Headers& headers, std::int32_t count, std::int32_t x, std::int32_t y,
                              bool draw, std::int32_t& hovered_index, bool hover_enabled, std::int32_t mouse_x,
                              std::int32_t mouse_y);
// A click on a sortable header's text pushes its sort column with its
// default direction: true. Otherwise false.
bool List_Window_Header_Click(const TList_Window_Headers& headers, std::int32_t x, std::int32_t y,
                              std::int32_t header_index, TList_Window_Sort_Keys& keys, std::int32_t mouse_x,
                              std::int32_t mouse_y);
void List_Window_Push_Sort_Key(TList_Window_Sort_Keys& keys, std::int32_t column, bool ascending);
void List_Window_Clear_Sort_Keys(TList_Window_Sort_Keys& keys);

// Draws grid row `grid_row` (when within 1..row count) at (x, y): columns
// 1..column count except skip from..skip to; texts shadowed, empire flags
// from the flags atlas, unit-type icons. A text is cut with "…" before the
// next column of its row, and the last one before `right` (a screen x; 0:
// not cut).
void List_Window_Draw_Row(const TList_Window_Grid& grid, std::int32_t column_count, std::int32_t row_count,
                          std::int32_t skip_from, std::int32_t skip_to, bool disabled_look, bool selected_look,
                          std::int32_t x, std::int32_t y, std::int32_t grid_row, std::int32_t right = 0);

// Sorts the row order (positions 1..row count) by the sort keys; nothing
// below two rows.
void List_Window_Sort_Rows(const TList_Window_Grid& grid, TList_Window_Row_Order& order, std::int32_t row_count,
                           const TList_Window_Sort_Keys& keys);
