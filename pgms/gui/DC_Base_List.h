// A vertical list of rows drawn in the game frame.
//
// Each row has a display text, a key text, a height, a line height and a
// selectable flag; rows may be word-wrapped or drawn by the owner. A 22-pixel
// scroll column on the right holds an up button, a down button and a
// draggable thumb; the list scrolls by the buttons (auto-repeating), by
// clicks above or below the thumb, by dragging the thumb and by the mouse
// wheel, highlights the row under the mouse and keeps a 1-based selected row
// (0 = none). Rows are numbered from 1.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DC_Base_Button.h"
#include "DC_Base_DisplayClass.h"

// The width of the scroll column.
constexpr std::int32_t LIST_SCROLL_WIDTH = 22;

// (name, row, text, key).
using TList_Row_Event =
    std::function<void(const std::string& name, std::int32_t row, const std::string& text, const std::string& key)>;
// (name, row, text, key, button, shift state, x, y, row top, row bottom).
using TList_Owner_Click_Event =
    std::function<void(const std::string& name, std::int32_t row, const std::string& text, const std::string& key,
                       TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y, std::int32_t top,
                       std::int32_t bottom)>;
// (name, row, x, top, width, height, selected, highlighted, text, key).
using TList_Owner_Draw_Event =
    std::function<void(const std::string& name, std::int32_t row, std::int32_t x, std::int32_t top, std::int32_t width,
                       std::int32_t height, bool selected, bool highlighted, const std::string& text,
                       const std::string& key)>;
// (button, shift state, x, y).
using TList_Mouse_Down_Event =
    std::function<void(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y)>;
// (button, shift state, x, y, released elsewhere).
using TList_Mouse_Up_Event =
    std::function<void(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y, bool elsewhere)>;

class TDC_List : public TDisplay_Class {
public:
  TDC_List();

  bool m_Reload_Images() override { return TDisplay_Class::m_Reload_Images(); }
  void m_On_Child_Killed(const std::string&) override {}
  bool m_On_Mouse_Wheel(TShift_State shift, std::int16_t notches, std::int32_t x, std::int32_t y) override;
  void m_On_Mouse_Down(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y) override;
  void m_On_Mouse_Up(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y,
                     bool released_elsewhere) override;
  void m_On_Double_Click(std::int32_t x, std::int32_t y) override;
  bool m_On_Key_Down(std::uint16_t&, TShift_State) override { return false; }
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override;
  void m_On_Enabled_Changed() override { m_Update_Scroll(true); }

  virtual void m_Clear();
  virtual std::int32_t m_Get_Client_Width();
  virtual void m_Add_Row(const std::string& text, const std::string& key, std::int32_t height);
  virtual void m_Add_Row_Wrapped(const std::string& text, const std::string& key, std::int32_t wrap_width,
                                 std::int32_t line_height);
  virtual void m_Add_Row_Plain(const std::string& text, const std::string& key, std::int32_t height);

  void m_Set_Name_And_Bounds(const std::string& name, std::int32_t x, std::int32_t y, std::int32_t width,
                             std::int32_t height);
  void m_Set_Shadow_Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
  void m_Delete_Row(std::int32_t row);
  std::int32_t m_Get_Row_Count() const { return f_row_count; }
  std::int32_t m_Get_Selected_Index() const { return f_selected_row; }
  std::string m_Get_Selected_Text() const;
  std::string m_Get_Selected_Key() const;
  std::string m_Get_Row_Key(std::int32_t row) const;
  std::string m_Get_Row_Text(std::int32_t row) const;
  std::int32_t m_Get_Row_Height(std::int32_t row) const;
  std::int32_t m_Get_Row_Line_Height(std::int32_t row) const;
  bool m_Get_Row_Selectable(std::int32_t row) const;
  void m_Select_Row(std::int32_t row);
  void m_Clear_Selection() { f_selected_row = 0; }
  void m_Scroll_To_Row(std::int32_t row);
  void m_Scroll_To_End();
  void m_Scroll_Up(std::int32_t n);
  void m_Scroll_Down(std::int32_t n);
  void m_Set_Auto_Scrollbar(bool flag);
  std::int32_t m_Get_Visible_Rows() const;
  // The rectangle of a row on the screen: false when the row is not shown.
  bool m_Get_Row_Rect(std::int32_t row, std::int32_t& top, std::int32_t& line_height, std::int32_t& bottom) const;
  std::int32_t m_Row_At(std::int32_t x, std::int32_t y) const;
  void m_Update_Scroll(bool move_thumb);
  std::int32_t m_First_Row() const { return f_first_row; }
  std::int32_t m_Hovered_Row() const { return f_hovered_row; }
  std::int32_t m_Highlighted_Row() const { return f_highlighted_row; }
  TDC_Button& m_Button_Up() { return f_button_up; }
  TDC_Button& m_Button_Down() { return f_button_down; }
  TDC_Button& m_Thumb() { return f_thumb; }

  // Set directly by the owner.
  std::int32_t f_font = 2;
  TColor f_background_color, f_text_color, f_selected_color, f_highlight_color;
  std::int32_t f_wrap_width = 0;
  std::int32_t f_fixed_row_height = 0;
  std::int32_t f_fixed_visible_rows = 0;
  TList_Row_Event OnSelect;
  TList_Owner_Click_Event OnOwnerClick;
  TList_Row_Event OnDoubleClick;
  TList_Row_Event OnRightClick;
  TList_Row_Event OnClickAnywhere;
  TList_Owner_Draw_Event OnOwnerDraw;
  TList_Mouse_Down_Event OnMouseDown;
  TList_Mouse_Up_Event OnMouseUp;
  bool f_word_wrap = false;
  bool f_show_selection = true;
  bool f_hover_highlight = true;
  bool f_no_background = false;
  std::int32_t f_measure_offset = 0;
  std::int32_t f_text_indent = 4;

  friend void TDC_List_Sort_Rows(TDC_List& list);

protected:
  // The first row, kept at least 1.
  void m_Set_First_Row(std::int32_t row);
  // count - visible rows + 1, the last first row that scrolling reaches.
  std::int32_t m_Last_First_Row() const;
  std::int32_t m_Thumb_Y() const;
  void m_Append(const std::string& text, const std::string& key, std::int32_t height, std::int32_t line_height);
  void m_Thumb_Drag();
  bool m_Over_Scroll_Control(std::int32_t x, std::int32_t y) const;

  bool f_has_shadow_color = false;
  TColor f_shadow_color = 0;
  std::int32_t f_hovered_row = 0;
  std::int32_t f_pressed_row = 0;
  bool f_press_on_list = false;  // the last press landed on the list itself
  std::int32_t f_highlighted_row = 0;
  std::int32_t f_selected_row = 0;
  std::int32_t f_first_row = 1;
  std::vector<std::string> f_texts, f_keys;  // 0-based
  std::int32_t f_row_count = 0, f_row_capacity = 0;
  std::vector<std::int32_t> f_row_heights{0}, f_line_heights{0};  // 1..count
  std::vector<std::uint8_t> f_selectable{0};                      // 1..count
  bool f_auto_scrollbar = false;
  TDC_Button f_button_up, f_button_down, f_thumb;
};

// Puts the rows in ascending order of display text (ASCII letters compared
// without case); each row's key, heights and selectable flag move with it.
// The selection and the first row stay.
void TDC_List_Sort_Rows(TDC_List& list);
