#include "DC_Base_List.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "Datafile_UserSettings.h"
#include "Errors.h"
#include "GraphicsEngine.h"

namespace {
constexpr std::int32_t WRAPPED_ROW_LINES = 30;         // m_Add_Row
constexpr std::int32_t WRAPPED_ROW_LINES_EXPLICIT = 10;  // m_Add_Row_Wrapped
constexpr std::int32_t THUMB_TRACK_MARGIN = 68;         // up and down buttons and the thumb
constexpr std::int32_t THUMB_TOP = 23;

void Setup_Scroll_Button(TDC_List& list, TDC_Button& b, const std::string& name, std::int32_t image,
                         std::int32_t tag) {
  b.m_Set_Style(1, LIST_SCROLL_WIDTH, LIST_SCROLL_WIDTH, image, tag);
  b.m_Set_Position(name, 0, 0);
  b.m_Set_Visible(true);
  list.Add_Child_Control(&b);
}

char Upper_Ascii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }
}  // namespace

TDC_List::TDC_List()
    : TDisplay_Class(DC_KIND_CONTROL),
      f_background_color(User_Settings.m_Get_List_Background_Color()),
      f_text_color(User_Settings.m_Get_Normal_Text_Color()),
      f_selected_color(User_Settings.m_Get_Selected_Text_Color()),
      f_highlight_color(User_Settings.m_Get_Mouse_Over_Highlight_Color()) {
  f_no_wheel_to_children = true;
  Setup_Scroll_Button(*this, f_button_up, "TDC_List.f_button_up", 3, 1);
  f_button_up.f_auto_repeat = true;
  f_button_up.f_repeat_interval = 0.2f;
  f_button_up.OnClick = [this](const std::string&, TMouse_Button, TShift_State) { m_Scroll_Up(1); };
  Setup_Scroll_Button(*this, f_button_down, "TDC_List.f_button_down", 2, 2);
  f_button_down.f_auto_repeat = true;
  f_button_down.f_repeat_interval = 0.2f;
  f_button_down.OnClick = [this](const std::string&, TMouse_Button, TShift_State) { m_Scroll_Down(1); };
  Setup_Scroll_Button(*this, f_thumb, "TDC_List.f_scrollbar_thumb", 10, 3);
  f_thumb.f_no_pressed_look = true;
  f_thumb.OnClick = [](const std::string&, TMouse_Button, TShift_State) {};
  m_Update_Scroll(true);
}

void TDC_List::m_Set_Name_And_Bounds(const std::string& name, std::int32_t x, std::int32_t y, std::int32_t width,
                                     std::int32_t height) {
  m_Set_Bounds(name, x, y, width, height, false);
}

void TDC_List::m_Set_Shadow_Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  f_has_shadow_color = true;
  f_shadow_color = G_Make_Color(red, green, blue);
}

// --- rows ---------------------------------------------------------------------------

std::int32_t TDC_List::m_Get_Client_Width() {
  if (f_auto_scrollbar && !f_button_up.m_Visible() && !f_button_down.m_Visible() && !f_thumb.m_Visible())
    return f_width;
  return Checked_Sub(f_width, LIST_SCROLL_WIDTH);
}

void TDC_List::m_Append(const std::string& text, const std::string& key, std::int32_t height,
                        std::int32_t line_height) {
  f_row_count = Checked_Add(f_row_count, 1);
  if (f_row_count > f_row_capacity) f_row_capacity = Checked_Add(f_row_count, 50);
  f_texts.push_back(text);
  f_keys.push_back(key);
  f_row_heights.push_back(height);
  f_line_heights.push_back(line_height);
  f_selectable.push_back(1);
}

void TDC_List::m_Add_Row(const std::string& text, const std::string& key, std::int32_t height) {
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(f_font);
  std::int32_t w = 0, one_line = 0;
  font.m_Get_Text_Extents(text, w, one_line);
  std::int32_t row_height;
  if (height > 0) {
    row_height = height;
  } else if (f_fixed_row_height > 0) {
    row_height = f_fixed_row_height;
  } else {
    // Measured within the width the row's text is drawn in: the row's width
    // less the text indent.
    const std::int32_t width =
        Checked_Sub(f_wrap_width > 0 ? f_wrap_width : m_Get_Client_Width(), f_text_indent);
    row_height = font.m_Get_Wrapped_Text_Height(f_x, Checked_Sub(f_y, f_measure_offset), width, one_line, text,
                                                Checked_Mul(one_line, WRAPPED_ROW_LINES));
  }
  const std::int32_t line_height = height > 0 ? height : f_fixed_row_height > 0 ? f_fixed_row_height : one_line;
  m_Append(text, key, row_height, line_height);
  m_Update_Scroll(true);
}

void TDC_List::m_Add_Row_Wrapped(const std::string& text, const std::string& key, std::int32_t wrap_width,
                                 std::int32_t line_height) {
  if (wrap_width <= 0) wrap_width = f_wrap_width > 0 ? f_wrap_width : m_Get_Client_Width();
  std::int32_t row_height;
  if (f_fixed_row_height > 0) {
    row_height = f_fixed_row_height;
  } else {
    TGui_Text_Link& font = Gui_Text_Link();
    font.m_Set_Font(f_font);
    row_height = font.m_Get_Wrapped_Text_Height(f_x, Checked_Sub(f_y, f_measure_offset),
                                                Checked_Sub(wrap_width, f_text_indent), line_height, text,
                                                Checked_Mul(line_height, WRAPPED_ROW_LINES_EXPLICIT));
  }
  m_Append(text, key, row_height, line_height);
  m_Update_Scroll(true);
}

void TDC_List::m_Add_Row_Plain(const std::string& text, const std::string& key, std::int32_t height) {
  m_Add_Row(text, key, height);
  f_selectable[std::size_t(f_row_count)] = 0;
}

void TDC_List::m_Clear() {
  f_texts.clear();
  f_keys.clear();
  f_row_heights.assign(1, 0);
  f_line_heights.assign(1, 0);
  f_selectable.assign(1, 0);
  f_first_row = 1;
  f_row_count = 0;
  f_row_capacity = 0;
  m_Update_Scroll(true);
}

void TDC_List::m_Delete_Row(std::int32_t row) {
  if (row < 1 || row > f_row_count) return;
  f_texts.erase(f_texts.begin() + (row - 1));
  f_keys.erase(f_keys.begin() + (row - 1));
  f_row_heights.erase(f_row_heights.begin() + row);
  f_line_heights.erase(f_line_heights.begin() + row);
  f_selectable.erase(f_selectable.begin() + row);
  --f_row_count;
  m_Update_Scroll(true);
}

std::string TDC_List::m_Get_Selected_Text() const { return m_Get_Row_Text(f_selected_row); }
std::string TDC_List::m_Get_Selected_Key() const { return m_Get_Row_Key(f_selected_row); }

std::string TDC_List::m_Get_Row_Key(std::int32_t row) const {
  return row >= 1 && row <= f_row_count ? f_keys[std::size_t(row - 1)] : std::string();
}
std::string TDC_List::m_Get_Row_Text(std::int32_t row) const {
  return row >= 1 && row <= f_row_count ? f_texts[std::size_t(row - 1)] : std::string();
}
std::int32_t TDC_List::m_Get_Row_Height(std::int32_t row) const {
  return row >= 1 && row <= f_row_count ? f_row_heights[std::size_t(row)] : 0;
}
std::int32_t TDC_List::m_Get_Row_Line_Height(std::int32_t row) const {
  return row >= 1 && row <= f_row_count ? f_line_heights[std::size_t(row)] : 0;
}
bool TDC_List::m_Get_Row_Selectable(std::int32_t row) const {
  return row >= 1 && row <= f_row_count && f_selectable[std::size_t(row)] != 0;
}

void TDC_List::m_Select_Row(std::int32_t row) {
  if (row >= 1 && row <= f_row_count) f_selected_row = row;
}

// --- scrolling ------------------------------------------------------------------------

std::int32_t TDC_List::m_Get_Visible_Rows() const {
  if (f_fixed_visible_rows > 0) return f_fixed_visible_rows;
  std::int32_t n = 0;
  std::int64_t total = 0;
  for (std::int32_t r = f_first_row; r >= 1 && r <= f_row_count; ++r) {
    total += f_row_heights[std::size_t(r)];
    if (total > f_height) break;
    ++n;
  }
  return n;
}

std::int32_t TDC_List::m_Last_First_Row() const {
  return Checked_Add(Checked_Sub(f_row_count, m_Get_Visible_Rows()), 1);
}

void TDC_List::m_Set_First_Row(std::int32_t row) { f_first_row = std::max(row, 1); }

void TDC_List::m_Scroll_To_Row(std::int32_t row) {
  m_Set_First_Row(std::min(row, m_Last_First_Row()));
  m_Update_Scroll(true);
}

void TDC_List::m_Scroll_To_End() {
  m_Set_First_Row(m_Last_First_Row());
  m_Update_Scroll(true);
}

void TDC_List::m_Scroll_Up(std::int32_t n) {
  m_Set_First_Row(Checked_Sub(f_first_row, n));
  m_Update_Scroll(true);
}

void TDC_List::m_Scroll_Down(std::int32_t n) {
  const std::int32_t visible = m_Get_Visible_Rows();
  if (f_row_count < Checked_Add(Checked_Add(visible, f_first_row), n))
    m_Set_First_Row(m_Last_First_Row());
  else
    m_Set_First_Row(Checked_Add(f_first_row, n));
  m_Update_Scroll(true);
}

void TDC_List::m_Set_Auto_Scrollbar(bool flag) {
  f_auto_scrollbar = flag;
  m_Update_Scroll(false);
}

std::int32_t TDC_List::m_Thumb_Y() const {
  const std::int32_t span = Checked_Sub(f_row_count, m_Get_Visible_Rows());
  std::int32_t offset = 0;
  if (span >= 1) {
    const double value = double(f_height - THUMB_TRACK_MARGIN) / span * (f_first_row - 1);
    offset = Checked_Cast<std::int32_t>(static_cast<std::int64_t>(std::trunc(value)));
  }
  return Checked_Add(Checked_Add(f_y, THUMB_TOP), offset);
}

void TDC_List::m_Update_Scroll(bool move_thumb) {
  const std::int32_t span = Checked_Sub(f_row_count, m_Get_Visible_Rows());
  f_button_down.m_Set_Enabled(f_first_row < m_Last_First_Row());
  f_button_up.m_Set_Enabled(f_first_row > 1);
  f_thumb.m_Set_Enabled(span > 0);
  if (move_thumb) f_thumb.m_Set_Position(f_thumb.m_Name(), Checked_Sub(Checked_Add(f_x, f_width), LIST_SCROLL_WIDTH),
                                         m_Thumb_Y());
  if (f_auto_scrollbar) {
    const bool show = f_button_up.m_Enabled() || f_button_down.m_Enabled();
    f_button_up.m_Set_Visible(show);
    f_button_down.m_Set_Visible(show);
    f_thumb.m_Set_Visible(show);
  }
}

void TDC_List::m_On_Reposition() {
  const std::int32_t column = Checked_Sub(Checked_Add(f_x, f_width), LIST_SCROLL_WIDTH);
  f_button_up.m_Set_Position(f_button_up.m_Name(), column, f_y);
  f_button_down.m_Set_Position(f_button_down.m_Name(), column,
                               Checked_Sub(Checked_Add(f_y, f_height), LIST_SCROLL_WIDTH));
  f_thumb.m_Set_Position(f_thumb.m_Name(), column, m_Thumb_Y());
}

// --- geometry of rows -------------------------------------------------------------------

bool TDC_List::m_Get_Row_Rect(std::int32_t row, std::int32_t& top, std::int32_t& line_height,
                              std::int32_t& bottom) const {
  top = 0;
  line_height = 0;
  bottom = 0;
  const std::int32_t list_bottom = Checked_Add(f_y, f_height);
  std::int32_t running = f_y;
  for (std::int32_t r = f_first_row; r >= 1 && r <= f_row_count; ++r) {
    const std::int32_t next = Checked_Add(running, f_row_heights[std::size_t(r)]);
    if (r == row) {
      top = running;
      line_height = f_line_heights[std::size_t(r)];
      bottom = std::min(next, list_bottom);
      return true;
    }
    if (next > list_bottom) break;
    running = next;
  }
  return false;
}

std::int32_t TDC_List::m_Row_At(std::int32_t, std::int32_t y) const {
  for (std::int32_t r = f_first_row; r >= 1 && r <= f_row_count; ++r) {
    std::int32_t top, line_height, bottom;
    if (!m_Get_Row_Rect(r, top, line_height, bottom)) return 0;
    if (y >= top && y <= bottom) return r;
  }
  return 0;
}

bool TDC_List::m_Over_Scroll_Control(std::int32_t x, std::int32_t y) const {
  return f_button_up.m_Hit_Test(x, y) || f_button_down.m_Hit_Test(x, y) || f_thumb.m_Hit_Test(x, y);
}

// --- input ----------------------------------------------------------------------------------

bool TDC_List::m_On_Mouse_Wheel(TShift_State, std::int16_t notches, std::int32_t, std::int32_t) {
  if (notches > 0 && f_button_up.m_Enabled() && f_button_up.m_Visible()) m_Scroll_Up(Gui_Wheel_Scroll_Lines);
  if (notches < 0 && f_button_down.m_Enabled() && f_button_down.m_Visible()) m_Scroll_Down(Gui_Wheel_Scroll_Lines);
  return f_visible && f_row_count > 0;
}

void TDC_List::m_On_Mouse_Down(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y) {
  if (!m_Hit_Test(x, y)) {
    f_pressed_row = 0;
    return;
  }
  f_press_on_list = true;
  if (x >= Checked_Add(f_x, m_Get_Client_Width())) return;
  f_pressed_row = m_Row_At(x, y);
  if (OnMouseDown) {
    const TList_Mouse_Down_Event event = OnMouseDown;
    event(button, shift, x, y);
  }
}

void TDC_List::m_On_Mouse_Up(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y,
                             bool released_elsewhere) {
  f_pressed_row = 0;
  // Only a release that ends a press on the list acts: a release after a
  // press elsewhere (dragging onto the list, choosing from a combo list
  // opened over it) is not a click on it.
  const bool pressed_here = f_press_on_list;
  f_press_on_list = false;
  if (!m_Hit_Test(x, y) || released_elsewhere || !pressed_here) return;
  const std::string name = f_name;
  if (!m_Over_Scroll_Control(x, y)) {
    const bool in_rows = x < Checked_Add(f_x, m_Get_Client_Width());
    if (button == MB_RIGHT) {
      const std::int32_t row = in_rows ? m_Row_At(x, y) : 0;
      if (row > 0) {
        Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_SELECT_ITEM, UI_SOUND_VOLUME);
        std::int32_t top, line_height, bottom;
        m_Get_Row_Rect(row, top, line_height, bottom);
        if (OnOwnerClick) {
          const TList_Owner_Click_Event event = OnOwnerClick;
          event(name, row, m_Get_Row_Text(row), m_Get_Row_Key(row), button, shift, x, y, top, bottom);
        } else if (OnRightClick) {
          const TList_Row_Event event = OnRightClick;
          event(name, row, m_Get_Row_Text(row), m_Get_Row_Key(row));
        }
      }
    } else if (button == MB_LEFT && !in_rows) {
      if (y < f_thumb.m_Y() && f_thumb.m_Enabled() && f_thumb.m_Visible()) {
        m_Set_First_Row(Checked_Sub(f_first_row, m_Get_Visible_Rows()));
        m_Update_Scroll(true);
      } else if (y > Checked_Add(f_thumb.m_Y(), f_thumb.m_Height())) {
        m_Set_First_Row(std::min(Checked_Add(f_first_row, m_Get_Visible_Rows()), m_Last_First_Row()));
        m_Update_Scroll(true);
      }
    } else if (button == MB_LEFT && OnClickAnywhere) {
      const std::int32_t row = m_Row_At(x, y);
      const TList_Row_Event event = OnClickAnywhere;
      event(name, row, m_Get_Row_Text(row), m_Get_Row_Key(row));
    } else if (button == MB_LEFT) {
      const std::int32_t row = m_Row_At(x, y);
      if (m_Get_Row_Selectable(row)) {
        f_selected_row = row;
        Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_SELECT_ITEM, UI_SOUND_VOLUME);
        if (OnOwnerClick) {
          std::int32_t top, line_height, bottom;
          m_Get_Row_Rect(row, top, line_height, bottom);
          const TList_Owner_Click_Event event = OnOwnerClick;
          event(name, row, m_Get_Row_Text(row), m_Get_Row_Key(row), button, shift, x, y, top, bottom);
        } else if (OnSelect) {
          const TList_Row_Event event = OnSelect;
          event(name, row, m_Get_Row_Text(row), m_Get_Row_Key(row));
        }
      }
    }
  }
  if (OnMouseUp) {
    const TList_Mouse_Up_Event event = OnMouseUp;
    event(button, shift, x, y, released_elsewhere);
  }
}

void TDC_List::m_On_Double_Click(std::int32_t x, std::int32_t y) {
  if (!OnDoubleClick || x >= Checked_Add(f_x, m_Get_Client_Width())) return;
  const std::int32_t row = m_Row_At(x, y);
  if (row > 0) {
    const TList_Row_Event event = OnDoubleClick;
    event(f_name, row, m_Get_Row_Text(row), m_Get_Row_Key(row));
  }
}

// --- drawing ----------------------------------------------------------------------------------

void TDC_List::m_Thumb_Drag() {
  if (!(f_thumb.m_Pressed() && f_thumb.m_Enabled() && f_thumb.m_Visible())) return;
  const std::int32_t track = Checked_Sub(f_height, THUMB_TRACK_MARGIN);
  const std::int32_t track_top = Checked_Add(f_y, THUMB_TOP);
  std::int32_t thumb_top = Checked_Sub(G_Mouse_Y, 11);
  thumb_top = std::min(thumb_top, Checked_Sub(Checked_Add(track_top, track), 1));
  thumb_top = std::max(thumb_top, track_top);
  f_thumb.m_Set_Position(f_thumb.m_Name(), f_thumb.m_X(), thumb_top);
  const std::int32_t span = Checked_Sub(f_row_count, m_Get_Visible_Rows());
  std::int32_t first = 1;
  if (span > 0 && track > 0) {
    const double rows = std::nearbyint(double(thumb_top - track_top) / (double(track) / span));
    first = Checked_Add(1, Checked_Cast<std::int32_t>(static_cast<std::int64_t>(rows)));
  }
  first = std::min(first, m_Last_First_Row());
  m_Set_First_Row(first);
  m_Update_Scroll(false);
}

void TDC_List::m_Draw(double) {
  const std::int32_t client_width = m_Get_Client_Width();
  const std::int32_t list_bottom = Checked_Add(f_y, f_height);
  if (!f_no_background)
    G_Draw_2D_Color_Part(f_background_color, TRect{f_x, f_y, Checked_Add(f_x, f_width), list_bottom}, false, false);
  if (f_hovered) m_Thumb_Drag();
  f_highlighted_row = 0;
  f_hovered_row = 0;
  if (m_Hit_Test(G_Mouse_X, G_Mouse_Y) && G_Mouse_X < Checked_Add(f_x, client_width))
    f_hovered_row = m_Row_At(G_Mouse_X, G_Mouse_Y);
  if (f_hovered_row > 0 && m_Get_Row_Selectable(f_hovered_row) && f_enabled && f_hover_highlight) {
    std::int32_t top, line_height, bottom;
    m_Get_Row_Rect(f_hovered_row, top, line_height, bottom);
    G_Draw_2D_Color_Part(f_highlight_color, TRect{f_x, top, Checked_Add(f_x, client_width), bottom}, false, false);
    f_highlighted_row = f_hovered_row;
  }
  const std::int32_t row_width = f_wrap_width > 0 ? f_wrap_width : client_width;
  TGui_Text_Link& font = Gui_Text_Link();
  std::int32_t top = f_y;
  // Only the rows that fit within the list are drawn; a single row taller
  // than the list still shows, clipped at the bottom.
  const std::int32_t last_row =
      std::min(f_row_count, Checked_Add(f_first_row, std::max<std::int32_t>(1, m_Get_Visible_Rows())) - 1);
  for (std::int32_t r = f_first_row; r >= 1 && r <= last_row && top < list_bottom; ++r) {
    const std::int32_t bottom = std::min(Checked_Add(top, f_row_heights[std::size_t(r)]), list_bottom);
    const bool selectable = f_selectable[std::size_t(r)] != 0;
    const bool selected = r == f_selected_row && f_show_selection && selectable;
    const std::string& text = f_texts[std::size_t(r - 1)];
    if (OnOwnerDraw) {
      // A copy: the handler may change the list's handlers.
      const TList_Owner_Draw_Event event = OnOwnerDraw;
      event(f_name, r, f_x, top, row_width, bottom - top, selected, r == f_highlighted_row && selectable, text,
            f_keys[std::size_t(r - 1)]);
    } else {
      font.m_Set_Font(f_font);
      font.m_Set_Color(selected ? f_selected_color : f_text_color);
      const std::int32_t text_x = Checked_Add(f_x, f_text_indent);
      const std::int32_t line_height = f_line_heights[std::size_t(r)];
      const std::int32_t wrap = Checked_Sub(row_width, f_text_indent);
      if (f_has_shadow_color) {
        const TColor colour = font.m_Get_Color();
        font.m_Set_Color(f_shadow_color);
        if (f_word_wrap)
          font.m_Draw_Text_Wrapped(text_x + 1, top + 1, wrap, line_height, text, bottom - top);
        else
          font.m_Draw_Text(text_x + 1, top + 1, text);
        font.m_Set_Color(colour);
      }
      if (f_word_wrap)
        font.m_Draw_Text_Wrapped(text_x, top, wrap, line_height, text, bottom - top);
      else
        font.m_Draw_Text(text_x, top, text);
    }
    top = Checked_Add(top, f_row_heights[std::size_t(r)]);
  }
}

// --- sorting ------------------------------------------------------------------------------------

void TDC_List_Sort_Rows(TDC_List& list) {
  const std::int32_t count = list.f_row_count;
  if (count < 1) return;
  std::vector<std::int32_t> order(static_cast<std::size_t>(count));
  std::iota(order.begin(), order.end(), 1);
  std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
    const std::string& ta = list.f_texts[std::size_t(a - 1)];
    const std::string& tb = list.f_texts[std::size_t(b - 1)];
    return std::lexicographical_compare(ta.begin(), ta.end(), tb.begin(), tb.end(), [](char x, char y) {
      return static_cast<unsigned char>(Upper_Ascii(x)) < static_cast<unsigned char>(Upper_Ascii(y));
    });
  });
  std::vector<std::string> texts, keys;
  std::vector<std::int32_t> heights{0}, line_heights{0};
  std::vector<std::uint8_t> selectable{0};
  for (std::int32_t r : order) {
    texts.push_back(list.f_texts[std::size_t(r - 1)]);
    keys.push_back(list.f_keys[std::size_t(r - 1)]);
    heights.push_back(list.f_row_heights[std::size_t(r)]);
    line_heights.push_back(list.f_line_heights[std::size_t(r)]);
    selectable.push_back(list.f_selectable[std::size_t(r)]);
  }
  list.f_texts = std::move(texts);
  list.f_keys = std::move(keys);
  list.f_row_heights = std::move(heights);
  list.f_line_heights = std::move(line_heights);
  list.f_selectable = std::move(selectable);
}
