#include "ListWindowFuncs.h"

#include <utility>

#include "Datafile_UserSettings.h"
#include "Datafile_Units.h"
#include "Empire.h"
#include "Errors.h"
#include "GraphicsEngine_Texture.h"
#include "Gui_Links.h"
#include "MapClass.h"

namespace {
constexpr std::int32_t LIST_FONT = 2;
TList_Window_Sort_Key default_keys[5];
std::int32_t default_count = 0;

std::string Upper(const std::string& s) {
  std::string u = s;
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = char(c - 32);
  return u;
}

// Negative when row a comes before row b by the keys, positive after, 0 equal.
int Compare_Rows(const TList_Window_Grid& grid, std::int32_t a, std::int32_t b, const TList_Window_Sort_Keys& keys) {
  for (const TList_Window_Sort_Key& key : keys) {
    if (key.f_column < 1) return 0;
    const TList_Window_Cell* ca = List_Window_Get_Cell(grid, a, key.f_column);
    const TList_Window_Cell* cb = List_Window_Get_Cell(grid, b, key.f_column);
    int order = 0;
    if (ca && ca->f_numeric) {
      const float va = ca->f_sort_value, vb = cb ? cb->f_sort_value : 0.0f;
      order = va < vb ? -1 : vb < va ? 1 : 0;
    } else {
      const std::string ta = Upper(ca ? ca->f_text : std::string());
      const std::string tb = Upper(cb ? cb->f_text : std::string());
      const int c = ta.compare(tb);
      order = c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    if (order != 0) return key.f_ascending ? order : -order;
  }
  return 0;
}

void Quick_Sort(const TList_Window_Grid& grid, TList_Window_Row_Order& order, std::int32_t low, std::int32_t high,
                const TList_Window_Sort_Keys& keys) {
  while (low < high) {
    std::int32_t i = low, j = high;
    const std::int32_t pivot = order[std::size_t((low + high) / 2)];
    do {
      while (Compare_Rows(grid, order[std::size_t(i)], pivot, keys) < 0) ++i;
      while (Compare_Rows(grid, order[std::size_t(j)], pivot, keys) > 0) --j;
      if (i <= j) {
        std::swap(order[std::size_t(i)], order[std::size_t(j)]);
        ++i;
        --j;
      }
    } while (i <= j);
    // The smaller part by recursion, the larger by the loop.
    if (j - low < high - i) {
      if (low < j) Quick_Sort(grid, order, low, j, keys);
      low = i;
    } else {
      if (i < high) Quick_Sort(grid, order, i, high, keys);
      high = j;
    }
  }
}

bool Within_Text(const TList_Window_Header& h, std::int32_t left, std::int32_t top, std::int32_t mx, std::int32_t my) {
  return mx >= left && mx <= Checked_Add(left, h.f_text_width) && my >= top && my <= Checked_Add(top, h.f_text_height);
}
}  // namespace

void List_Window_Set_Default_Sort_Keys(const TList_Window_Sort_Key* entries, std::int32_t count) {
  List_Window_Reset_Sort_Keys();
  if (!entries) return;
  for (std::int32_t i = 0; i < count && i < 5; ++i) default_keys[i] = entries[i];
  default_count = count < 0 ? 0 : count > 5 ? 5 : count;
}

void List_Window_Reset_Sort_Keys() {
  for (auto& k : default_keys) k = TList_Window_Sort_Key();
  default_count = 0;
}

std::int32_t List_Window_Default_Sort_Key_Count() { return default_count; }

void List_Window_Set_Cell(TList_Window_Grid& grid, std::int32_t row, std::int32_t column, const std::string& text,
                          std::int32_t x_offset, std::int32_t key, TList_Cell_Kind kind, std::int32_t value) {
  if (row < 1 || column < 1) throw EListError("Invalid Index");
  if (grid.size() <= std::size_t(column)) grid.resize(std::size_t(column) + 1);
  auto& cells = grid[std::size_t(column)];
  if (cells.size() <= std::size_t(row)) cells.resize(std::size_t(row) + 1);
  TList_Window_Cell& c = cells[std::size_t(row)];
  c.f_text = text;
  c.f_x_offset = x_offset;
  c.f_key = key;
  c.f_kind = kind;
  c.f_value = value;
  c.f_numeric = false;
  c.f_sort_value = 0.0f;
}

void List_Window_Set_Cell_Sort_Value(TList_Window_Grid& grid, std::int32_t row, std::int32_t column, float value) {
  if (row < 1 || column < 1) throw EListError("Invalid Index");
  if (grid.size() <= std::size_t(column)) grid.resize(std::size_t(column) + 1);
  auto& cells = grid[std::size_t(column)];
  if (cells.size() <= std::size_t(row)) cells.resize(std::size_t(row) + 1);
  cells[std::size_t(row)].f_numeric = true;
  cells[std::size_t(row)].f_sort_value = value;
}

const TList_Window_Cell* List_Window_Get_Cell(const TList_Window_Grid& grid, std::int32_t row, std::int32_t column) {
  if (row < 1 || column < 1 || std::size_t(column) >= grid.size()) return nullptr;
  const auto& cells = grid[std::size_t(column)];
  if (std::size_t(row) >= cells.size()) return nullptr;
  return &cells[std::size_t(row)];
}

void List_Window_Set_Header(TList_Window_Headers& headers, std::int32_t index, const std::string& text,
                            std::int32_t x_offset, bool default_ascending, std::int32_t sort_column, bool sortable) {
  if (index < 1) throw EListError("Invalid Index");
  if (headers.size() <= std::size_t(index)) headers.resize(std::size_t(index) + 1);
  TList_Window_Header& h = headers[std::size_t(index)];
  h.f_text = text;
  h.f_x_offset = x_offset;
  h.f_default_ascending = default_ascending;
  h.f_sort_column = sort_column;
  h.f_sortable = sortable;
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(LIST_FONT);
  font.m_Get_Text_Extents(text, h.f_text_width, h.f_text_height);
}

void List_Window_Draw_Headers(const TList_Window_Headers& headers, std::int32_t count, std::int32_t x, std::int32_t y,
                              bool draw, std::int32_t& hovered_index, bool hover_enabled, std::int32_t mouse_x,
                              std::int32_t mouse_y) {
  hovered_index = 0;
  if (!draw) return;
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(LIST_FONT);
  const TColor own = font.m_Get_Color();
  for (std::int32_t i = 1; i <= count && std::size_t(i) < headers.size(); ++i) {
    const TList_Window_Header& h = headers[std::size_t(i)];
    const std::int32_t left = Checked_Add(x, h.f_x_offset);
    if (hover_enabled && h.f_sortable && Within_Text(h, left, y, mouse_x, mouse_y)) {
      font.m_Set_Color(User_Settings.m_Get_Selected_Text_Color());
      font.m_Draw_Text_Shadowed(left, y, h.f_text);
      font.m_Set_Color(own);
      hovered_index = i;
    } else {
      font.m_Draw_Text_Shadowed(left, y, h.f_text);
    }
  }
}

bool List_Window_Header_Click(const TList_Window_Headers& headers, std::int32_t x, std::int32_t y,
                              std::int32_t header_index, TList_Window_Sort_Keys& keys, std::int32_t mouse_x,
                              std::int32_t mouse_y) {
  if (header_index < 1 || std::size_t(header_index) >= headers.size()) return false;
  const TList_Window_Header& h = headers[std::size_t(header_index)];
  if (!h.f_sortable || !Within_Text(h, Checked_Add(x, h.f_x_offset), y, mouse_x, mouse_y)) return false;
  List_Window_Push_Sort_Key(keys, h.f_sort_column, h.f_default_ascending);
  return true;
}

void List_Window_Push_Sort_Key(TList_Window_Sort_Keys& keys, std::int32_t column, bool ascending) {
  for (auto& k : keys)
    if (k.f_column == column) k.f_column = 0;
  for (std::size_t i = 4; i > 0; --i) keys[i] = keys[i - 1];
  keys[0] = TList_Window_Sort_Key{column, ascending};
  if (default_count > 0) {
    std::int32_t b = 0;
    for (std::int32_t i = 1; i <= 5; ++i)
      if (keys[std::size_t(i - 1)].f_column == 0) {
        b = i;
        break;
      }
    if (b == 0 || b > 6 - default_count) b = 6 - default_count;
    for (std::int32_t i = 0; i < default_count; ++i) keys[std::size_t(b - 1 + i)] = default_keys[i];
  }
}

void List_Window_Clear_Sort_Keys(TList_Window_Sort_Keys& keys) {
  for (auto& k : keys) k = TList_Window_Sort_Key{0, true};
}

void List_Window_Draw_Row(const TList_Window_Grid& grid, std::int32_t column_count, std::int32_t row_count,
                          std::int32_t skip_from, std::int32_t skip_to, bool disabled_look, bool selected_look,
                          std::int32_t x, std::int32_t y, std::int32_t grid_row, std::int32_t right) {
  if (grid_row < 1 || grid_row > row_count) return;
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(LIST_FONT);
  if (disabled_look) font.m_Set_Color(User_Settings.m_Get_Disabled_Text_Color());
  if (selected_look) font.m_Set_Color(User_Settings.m_Get_Selected_Text_Color());
  for (std::int32_t column = 1; column <= column_count; ++column) {
    if (column >= skip_from && column <= skip_to) continue;
    const TList_Window_Cell* cell = List_Window_Get_Cell(grid, grid_row, column);
    if (!cell) continue;
    const std::int32_t cx = Checked_Add(x, cell->f_x_offset);
    if (cell->f_kind == TList_Cell_Kind::Text) {
      // A text ends before the next column of the row: a long one is cut
      // with "…" rather than run into its neighbour.
      std::int32_t next = 0;
      for (std::int32_t other = 1; other <= column_count; ++other) {
        const TList_Window_Cell* o = List_Window_Get_Cell(grid, grid_row, other);
        if (o && o->f_x_offset > cell->f_x_offset && (next == 0 || o->f_x_offset < next)) next = o->f_x_offset;
      }
      const std::int32_t room = next > 0 ? next - cell->f_x_offset - 6 : right > 0 ? right - cx : -1;
      font.m_Draw_Text_Shadowed(cx, y, room >= 0 ? font.m_Fit(cell->f_text, room) : cell->f_text);
    } else if (cell->f_kind == TList_Cell_Kind::Empire_Flag && cell->f_key > 0) {
      const TEmpire* empire = G_Empire_List ? G_Empire_List->m_Get_Empire(cell->f_key) : nullptr;
      if (empire) Gui_Display_Link().m_Draw_Grid_Icon(cx, y, empire->m_Get_Color_Index(), empire->m_Get_Flag_Index());
    } else if (cell->f_kind == TList_Cell_Kind::Unit_Icon && cell->f_key > 0) {
      const TUnit_Type* type = Unit_Type_List ? Unit_Type_List->m_Get_Item(cell->f_key) : nullptr;
      if (type && G_Map && g_tg_texture_list) {
        const TRect rect{cx, y, Checked_Add(cx, type->f_square_size_width * 16),
                         Checked_Add(y, type->f_square_size_height * 16)};
        g_tg_texture_list->m_Draw_All(rect, G_Map->m_Get_Unit_Type_Texture(cell->f_key), false);
      }
    }
  }
}

void List_Window_Sort_Rows(const TList_Window_Grid& grid, TList_Window_Row_Order& order, std::int32_t row_count,
                           const TList_Window_Sort_Keys& keys) {
  if (row_count < 2) return;
  if (order.size() <= std::size_t(row_count)) throw EListError("Invalid Index");
  Quick_Sort(grid, order, 1, row_count, keys);
}
