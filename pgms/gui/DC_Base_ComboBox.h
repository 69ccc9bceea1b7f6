// A drop-down choice built from three children: an edit box showing the
// chosen item's text, a drop button at the right and a list that opens below
// the box. While the list is open the combo box is on layer 1, so it takes
// input before its siblings and is drawn over them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "DC_Base_Button.h"
#include "DC_Base_DisplayClass.h"
#include "DC_Base_EditText.h"
#include "DC_Base_List.h"

// (name, x, y, width, height, selected index): draws the closed box.
using TCombobox_Draw_Box_Event = std::function<void(const std::string& name, std::int32_t x, std::int32_t y,
                                                    std::int32_t width, std::int32_t height, std::int32_t selected)>;
// (name, open): the list was opened or closed.
using TCombobox_Drop_Down_Event = std::function<void(const std::string& name, bool open)>;

class TDC_Combobox : public TDisplay_Class {
public:
  TDC_Combobox();

  bool m_Reload_Images() override { return TDisplay_Class::m_Reload_Images(); }
  void m_On_Child_Killed(const std::string&) override {}
  void m_On_Mouse_Down(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y) override;
  void m_On_Mouse_Up(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y,
                     bool released_elsewhere) override;
  bool m_On_Key_Down(std::uint16_t&, TShift_State) override { return false; }
  std::int32_t m_Slot_Query() override { return 0; }
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override;
  void m_Set_Focus() override;
  void m_Lose_Focus() override { f_focused = false; }
  bool m_Can_Focus() override { return false; }
  void m_Set_Help_Ref(std::int32_t ref1, std::int32_t ref2, std::int32_t ref3, const std::string& text,
                      std::int32_t ref4) override;

  void m_Set_Name_And_Bounds(const std::string& name, std::int32_t x, std::int32_t y, std::int32_t width,
                             std::int32_t height);
  void m_Add_Item(const std::string& text, const std::string& key);
  void m_Clear();
  void m_Select_Item(std::int32_t index);
  std::int32_t m_Get_Selected_Index() const { return f_selected_index; }
  std::string m_Get_Selected_Key() const { return f_list.m_Get_Row_Key(f_selected_index); }
  std::int32_t m_Get_Item_Count() const { return f_list.m_Get_Row_Count(); }
  std::string m_Get_Item_Key(std::int32_t index) const { return f_list.m_Get_Row_Key(index); }
  const std::string& m_Get_Text() const { return f_edit_box.m_Text(); }
  void m_Set_Text(const std::string& text) { f_edit_box.m_Set_Text(text); }
  void m_Set_Row_Height(std::int32_t height) { f_row_height = height; }
  void m_Set_Draw_Callback(const TList_Owner_Draw_Event& callback) { f_list.OnOwnerDraw = callback; }
  void m_Hide_Edit() { f_edit_box.m_Set_Visible(false); }
  void m_Set_Shadow_Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
  bool m_Contains_Text(const std::string& text) const;
  bool m_Focused() const { return f_focused; }

  TDC_EditText& m_Edit_Box() { return f_edit_box; }
  TDC_Button& m_Drop_Button() { return f_drop_button; }
  TDC_List& m_List() { return f_list; }
  bool m_List_Open() const { return f_list.m_Visible(); }
  // Closes the open list without a choice (as a click beside it does).
  void m_Close_Drop_Down() { if (m_List_Open()) m_Close_List(); }

  // Set directly by the owner.
  TEdit_Event OnChange;
  TCombobox_Draw_Box_Event OnDrawBox;
  TCombobox_Drop_Down_Event OnDropDown;
  std::int32_t f_list_height = 150;

protected:
  void m_Toggle_Drop_Down();
  void m_On_Choice();
  void m_Close_List();
  void m_Report_Drop_Down(bool open);

  TDC_EditText f_edit_box;
  TDC_Button f_drop_button;
  TDC_List f_list;
  bool f_focused = false;
  std::int32_t f_selected_index = 0;
  std::int32_t f_row_height = 14;
};

// Closes the open list of a combo box among the controls under `parent`
// (the first one found); whether there was one. Esc in a dialog closes such
// a list first and only the next Esc the dialog.
bool Combobox_Close_Open_List(TDisplay_Class& parent);
