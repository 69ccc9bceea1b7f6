#include "DC_Base_ComboBox.h"

#include "Errors.h"

TDC_Combobox::TDC_Combobox() : TDisplay_Class(DC_KIND_CONTROL) {
  f_edit_box.f_not_focusable = true;
  f_edit_box.m_Set_Position("Combobox Editbox", 0, 0, 0, 0);
  f_edit_box.m_Set_Visible(true);
  f_drop_button.m_Set_Style(1, 22, 22, 2, 1);
  f_drop_button.m_Set_Position("Combobox Button", 0, 0);
  f_drop_button.m_Set_Visible(true);
  f_drop_button.OnClick = [this](const std::string&, TMouse_Button, TShift_State) { m_Toggle_Drop_Down(); };
  f_list.m_Set_Name_And_Bounds("Combobox List", 0, 0, 0, 0);
  f_list.m_Set_Auto_Scrollbar(true);
  f_list.m_Set_Visible(false);
  f_list.OnSelect = [this](const std::string&, std::int32_t, const std::string&, const std::string&) {
    m_On_Choice();
  };
  Add_Child_Control(&f_edit_box);
  Add_Child_Control(&f_drop_button);
  Add_Child_Control(&f_list);
}

void TDC_Combobox::m_Set_Name_And_Bounds(const std::string& name, std::int32_t x, std::int32_t y, std::int32_t width,
                                         std::int32_t height) {
  m_Set_Bounds(name, x, y, width, height, false);
}

void TDC_Combobox::m_On_Reposition() {
  f_edit_box.m_Set_Position("Combobox Editbox - " + f_name, f_x, f_y, Checked_Sub(f_width, 24), f_height);
  f_drop_button.m_Set_Position("Combobox Button - " + f_name, Checked_Sub(Checked_Add(f_x, f_width), 22), f_y);
  f_list.m_Set_Name_And_Bounds("Combobox List - " + f_name, f_x, Checked_Add(f_y, f_height), f_width,
                               f_list_height);
}

void TDC_Combobox::m_Set_Help_Ref(std::int32_t ref1, std::int32_t ref2, std::int32_t ref3, const std::string& text,
                                  std::int32_t ref4) {
  TDisplay_Class::m_Set_Help_Ref(ref1, ref2, ref3, text, ref4);
  f_edit_box.m_Set_Help_Ref(ref1, ref2, ref3, text, ref4);
  f_drop_button.m_Set_Help_Ref(ref1, ref2, ref3, text, ref4);
  f_list.m_Set_Help_Ref(ref1, ref2, ref3, text, ref4);
}

void TDC_Combobox::m_Set_Shadow_Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  f_edit_box.m_Set_Shadow_Color(red, green, blue);
  f_list.m_Set_Shadow_Color(red, green, blue);
}

void TDC_Combobox::m_Add_Item(const std::string& text, const std::string& key) {
  f_list.m_Add_Row(text, key, f_row_height);
}

void TDC_Combobox::m_Clear() {
  f_list.m_Clear();
  f_edit_box.m_Set_Text(std::string());
}

void TDC_Combobox::m_Select_Item(std::int32_t index) {
  f_selected_index = index;
  if (index >= 1 && index <= f_list.m_Get_Row_Count()) {
    f_list.m_Select_Row(index);
    f_edit_box.m_Set_Text(f_list.m_Get_Row_Text(index));
  } else {
    f_edit_box.m_Set_Text(std::string());
  }
}

bool TDC_Combobox::m_Contains_Text(const std::string& text) const {
  for (std::int32_t i = 1; i <= f_list.m_Get_Row_Count(); ++i)
    if (f_list.m_Get_Row_Text(i) == text) return true;
  return false;
}

void TDC_Combobox::m_Report_Drop_Down(bool open) {
  if (OnDropDown) {
    const TCombobox_Drop_Down_Event event = OnDropDown;
    event(f_name, open);
  }
}

void TDC_Combobox::m_Toggle_Drop_Down() {
  f_list.m_Set_Visible(!f_list.m_Visible());
  const bool open = f_list.m_Visible();
  m_Report_Drop_Down(open);
  m_Set_Layer(open ? 1 : 0);
}

void TDC_Combobox::m_Close_List() {
  f_list.m_Set_Visible(false);
  m_Report_Drop_Down(false);
  m_Set_Layer(0);
}

void TDC_Combobox::m_On_Choice() {
  m_Close_List();
  f_selected_index = f_list.m_Get_Selected_Index();
  f_edit_box.m_Set_Text(f_list.m_Get_Row_Text(f_selected_index));
  if (OnChange) {
    const TEdit_Event event = OnChange;
    event(f_name);
  }
}

void TDC_Combobox::m_On_Mouse_Up(TMouse_Button, TShift_State, std::int32_t x, std::int32_t y, bool) {
  if (f_list.m_Visible() && !f_list.m_Hit_Test(x, y) && !f_drop_button.m_Hit_Test(x, y)) m_Close_List();
}

void TDC_Combobox::m_On_Mouse_Down(TMouse_Button, TShift_State, std::int32_t, std::int32_t) { m_Set_Focus(); }

void TDC_Combobox::m_Set_Focus() {
  f_focused = true;
  m_Unfocus_Others();
}

void TDC_Combobox::m_Draw(double) {
  if (OnDrawBox) {
    const TCombobox_Draw_Box_Event event = OnDrawBox;
    event(f_name, f_x, f_y, Checked_Sub(f_width, 22), f_height, f_selected_index);
  }
}

bool Combobox_Close_Open_List(TDisplay_Class& parent) {
  for (std::int32_t i = 1; i <= parent.m_Child_Count(); ++i) {
    TDisplay_Class* child = parent.m_Child(i);
    if (!child) continue;
    if (auto* combo = dynamic_cast<TDC_Combobox*>(child); combo && combo->m_List_Open()) {
      combo->m_Close_Drop_Down();
      return true;
    }
    if (Combobox_Close_Open_List(*child)) return true;
  }
  return false;
}
