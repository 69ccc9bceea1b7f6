#include "DC_Base_DisplayClass.h"

#include "Debug_Log.h"
#include "Errors.h"
#include "GraphicsEngine.h"

namespace {
std::uint32_t id_counter = 0;

// Whether a point lies within a rectangle, both bounds inclusive.
bool Point_Within(std::int32_t px, std::int32_t py, std::int32_t x, std::int32_t y, std::int32_t width,
                  std::int32_t height) {
  return px >= x && px <= Checked_Add(x, width) && py >= y && py <= Checked_Add(y, height);
}
}  // namespace

std::uint32_t DisplayClass_Next_Id() {
  if (id_counter > 3999999999u) id_counter = 0;
  ++id_counter;
  return id_counter;
}

void DisplayClass_Set_Id_Counter(std::uint32_t value) { id_counter = value; }

// --- life -----------------------------------------------------------------------

TDisplay_Class::TDisplay_Class(std::int32_t kind) : f_id(0), f_kind(kind) {
  m_Log(" - Create");
  f_id = DisplayClass_Next_Id();
}

TDisplay_Class::~TDisplay_Class() {
  m_Log(" - Destroy");
  // The children are not freed here; they only stop naming this control as
  // their parent, so that a child freed later does not reach back to it.
  while (f_child_count > 0) {
    TDisplay_Class* child = f_children[1];
    m_Delete_Child_Control(1);
    if (child && child->f_parent == this) child->f_parent = nullptr;
  }
  if (f_parent) {
    if (Debug_Sections[DEBUG_DISPLAY_CLASS])
      Debug_Log_Write("f_parent(" + f_parent->f_name + ").Remove_Child_Control( " + f_name + ")");
    f_parent->Remove_Child_Control(this);
    f_parent = nullptr;
  }
  f_help_area_count = 0;
}

void TDisplay_Class::m_Log(const std::string& text) const {
  if (Debug_Sections[DEBUG_DISPLAY_CLASS]) Debug_Log_Write(f_name + text);
}

// --- base behaviour -------------------------------------------------------------

std::int32_t TDisplay_Class::m_Get_Width() { return 0; }
std::int32_t TDisplay_Class::m_Get_Height() { return 0; }
bool TDisplay_Class::m_Reload_Images() { return true; }
void TDisplay_Class::m_On_Child_Killed(const std::string&) {}
bool TDisplay_Class::m_On_Mouse_Wheel(TShift_State, std::int16_t, std::int32_t, std::int32_t) { return false; }
void TDisplay_Class::m_On_Mouse_Down(TMouse_Button, TShift_State, std::int32_t, std::int32_t) {}
void TDisplay_Class::m_On_Mouse_Up(TMouse_Button, TShift_State, std::int32_t, std::int32_t, bool) {}
void TDisplay_Class::m_On_Double_Click(std::int32_t, std::int32_t) {}
bool TDisplay_Class::m_On_Key_Down(std::uint16_t&, TShift_State) { return false; }
std::int32_t TDisplay_Class::m_Slot_Query() { return 0; }
void TDisplay_Class::m_Draw(double) {}
void TDisplay_Class::m_Draw_After_Children(double) {}
void TDisplay_Class::m_On_Reposition() {}
void TDisplay_Class::m_On_Timer(float) {}
void TDisplay_Class::m_On_Added() {}
void TDisplay_Class::m_On_Enabled_Changed() {}
void TDisplay_Class::m_On_Visible_Changed() {}
void TDisplay_Class::m_Set_Focus() {}
void TDisplay_Class::m_Lose_Focus() {}
bool TDisplay_Class::m_Can_Focus() { return false; }

void TDisplay_Class::m_Set_Help_Ref(std::int32_t ref1, std::int32_t ref2, std::int32_t ref3,
                                    const std::string& text, std::int32_t ref4) {
  f_help_ref_1 = ref1;
  f_help_ref_2 = ref2;
  f_help_ref_3 = ref3;
  f_help_text = text;
  f_help_ref_4 = ref4;
}

// --- tree -------------------------------------------------------------------------

TDisplay_Class* TDisplay_Class::m_Child(std::int32_t position) const {
  if (position < 1 || position > f_child_count) return nullptr;
  return f_children[std::size_t(position)];
}

std::int32_t TDisplay_Class::m_Find_Child_Position(std::uint32_t id) const {
  for (std::int32_t i = f_child_count; i >= 1; --i) {
    const TDisplay_Class* c = f_children[std::size_t(i)];
    if (c && c->f_id == id) return i;
  }
  return 0;
}

TDisplay_Class* TDisplay_Class::m_Child_By_Id(std::uint32_t id) const { return m_Child(m_Find_Child_Position(id)); }

void TDisplay_Class::Add_Child_Control(TDisplay_Class* child) {
  if (!child) return;
  m_Log(" - Add_Child_Control(" + child->f_name + ")");
  if (child->f_kind == DC_KIND_WINDOW) child->f_layer = 1;
  f_child_count = Checked_Add(f_child_count, 1);
  f_children.push_back(child);
  child->m_Set_Parent(this);
  m_Update_Modal_State();
  if (child->f_modal) m_Unfocus_Children();
  child->m_On_Added();
  if (f_help_handler) child->m_Set_Help_Handler(f_help_handler);
}

void TDisplay_Class::Remove_Child_Control(TDisplay_Class* child) {
  if (!child) return;
  m_Log(" - Remove_Child_Control(" + child->f_name + ")");
  const std::int32_t position = m_Find_Child_Position(child->f_id);
  if (position > 0) m_Delete_Child_Control(position);
}

void TDisplay_Class::m_Delete_Child_Control(std::int32_t position) {
  m_Log(" - m_Delete_Child_Control(" + std::to_string(position) + ")");
  if (position < 1 || position > f_child_count) return;
  TDisplay_Class* child = f_children[std::size_t(position)];
  f_children.erase(f_children.begin() + position);
  --f_child_count;
  // A child off the list no longer names this control as its parent.
  if (child && child->f_parent == this) child->f_parent = nullptr;
  m_Update_Modal_State();
}

void TDisplay_Class::Set_Kill_Object(bool flag) {
  m_Log(" - Set_Kill_Object");
  f_kill = flag;
}

void TDisplay_Class::m_Kill_Any_Dead_Controls() {
  m_Log(" - m_Kill_Any_Dead_Controls");
  std::int32_t position = 1;
  while (position <= f_child_count) {
    TDisplay_Class* child = f_children[std::size_t(position)];
    if (child && child->f_kill) {
      const std::uint32_t id = child->f_id;
      // A copy: the handler frees the child and its name with it.
      const std::string name = child->f_name;
      m_On_Child_Killed(name);
      // A freed child has left the list and the next one moved up into
      // its place: look at the same position again.
      TDisplay_Class* now = m_Child(position);
      if (now == child && now->f_id == id) ++position;
    } else {
      ++position;
    }
  }
  position = 1;
  while (position <= f_child_count) {
    TDisplay_Class* child = f_children[std::size_t(position)];
    if (child && child->f_kill)
      m_Delete_Child_Control(position);
    else
      ++position;
  }
}

bool TDisplay_Class::m_Subtree_Modal() const {
  if (f_modal) return true;
  for (std::int32_t i = 1; i <= f_child_count; ++i) {
    const TDisplay_Class* c = f_children[std::size_t(i)];
    if (c && c->m_Subtree_Modal()) return true;
  }
  return false;
}

void TDisplay_Class::m_Update_Modal_State() {
  for (TDisplay_Class* control = this; control; control = control->f_parent) {
    control->f_has_modal_child = false;
    control->f_modal_child_id = 0;
    for (std::int32_t layer = 1; layer >= 0 && !control->f_has_modal_child; --layer) {
      for (std::int32_t i = control->f_child_count; i >= 1; --i) {
        const TDisplay_Class* c = control->f_children[std::size_t(i)];
        if (c && c->f_layer == layer && c->m_Subtree_Modal()) {
          control->f_has_modal_child = true;
          control->f_modal_child_id = c->f_id;
          break;
        }
      }
    }
  }
}

// --- geometry ---------------------------------------------------------------------

void TDisplay_Class::m_Set_Bounds(const std::string& name, std::int32_t x, std::int32_t y, std::int32_t width,
                                  std::int32_t height, bool modal) {
  f_name = name;
  f_x = x;
  f_y = y;
  f_width = width;
  f_height = height;
  f_modal = modal;
  Reposition();
}

void TDisplay_Class::m_Set_Position(const std::string& name, std::int32_t x, std::int32_t y, bool modal) {
  m_Set_Bounds(name, x, y, m_Get_Width(), m_Get_Height(), modal);
}

void TDisplay_Class::m_Set_Position_Centered(const std::string& name, bool modal) {
  const std::int32_t width = m_Get_Width();
  const std::int32_t height = m_Get_Height();
  const std::int32_t x = Checked_Sub(G_Screen_Width, width) / 2;
  const std::int32_t y = Checked_Sub(G_Screen_Height, height) / 2;
  m_Set_Bounds(name, x, y, width, height, modal);
}

void TDisplay_Class::Reposition() {
  m_Log(" - Reposition");
  m_On_Reposition();
  for (std::int32_t i = 1; i <= f_child_count; ++i) {
    TDisplay_Class* c = f_children[std::size_t(i)];
    if (c) c->Reposition();
  }
  m_Kill_Any_Dead_Controls();
}

// --- state ------------------------------------------------------------------------

void TDisplay_Class::m_Set_Visible(bool flag) {
  f_visible = flag;
  m_On_Visible_Changed();
}

void TDisplay_Class::m_Set_Enabled(bool flag) {
  f_enabled = flag;
  for (std::int32_t i = 1; i <= f_child_count; ++i) {
    TDisplay_Class* c = f_children[std::size_t(i)];
    if (c) c->m_Set_Enabled(flag);
  }
  m_On_Enabled_Changed();
}

bool TDisplay_Class::Reload_All_Images() {
  bool result = m_Reload_Images();
  for (std::int32_t i = 1; result && i <= f_child_count; ++i) {
    TDisplay_Class* c = f_children[std::size_t(i)];
    if (c) result = c->Reload_All_Images();
  }
  m_Kill_Any_Dead_Controls();
  return result;
}

// --- help -------------------------------------------------------------------------

void TDisplay_Class::m_Add_Help_Area(std::int32_t ref1, std::int32_t ref2, std::int32_t ref3,
                                     const std::string& text, std::int32_t ref4, std::int32_t x_offset,
                                     std::int32_t y_offset, std::int32_t width, std::int32_t height) {
  const std::int32_t count = Checked_Add(f_help_area_count, 1);
  if (count > f_help_area_capacity) {
    f_help_area_capacity = Checked_Add(count, 10);
    f_help_areas.resize(std::size_t(f_help_area_capacity) + 1);
  }
  f_help_area_count = count;
  f_help_areas[std::size_t(count)] = THelp_Area{ref1, ref2, ref3, text, ref4, x_offset, y_offset, width, height};
}

void TDisplay_Class::m_Set_Help_Handler(const Display_Help_Handler& handler) {
  f_help_handler = handler;
  for (std::int32_t i = 1; i <= f_child_count; ++i) {
    TDisplay_Class* c = f_children[std::size_t(i)];
    if (c) c->m_Set_Help_Handler(handler);
  }
}

// --- drag area --------------------------------------------------------------------

void TDisplay_Class::m_Set_Drag_Area(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  f_has_drag_area = true;
  f_drag_area = TDrag_Rect{x, y, Checked_Add(x, width), Checked_Add(y, height)};
  f_dragging = false;
  f_grab_dx = 0;
  f_grab_dy = 0;
  f_over_drag_area = false;
}

void TDisplay_Class::m_Begin_Drag(std::int32_t mouse_x, std::int32_t mouse_y) {
  f_dragging = true;
  f_grab_dx = Checked_Sub(mouse_x, f_x);
  f_grab_dy = Checked_Sub(mouse_y, f_y);
}

void TDisplay_Class::m_End_Drag() {
  f_dragging = false;
  f_grab_dx = 0;
  f_grab_dy = 0;
}

// --- focus ------------------------------------------------------------------------

void TDisplay_Class::m_Unfocus_Others() {
  if (!f_parent) return;
  for (std::int32_t i = 1; i <= f_parent->f_child_count; ++i) {
    TDisplay_Class* c = f_parent->f_children[std::size_t(i)];
    if (c && c != this && !c->f_kill && c->m_Can_Focus()) c->m_Lose_Focus();
  }
}

void TDisplay_Class::m_Unfocus_Children() {
  for (std::int32_t i = 1; i <= f_child_count; ++i) {
    TDisplay_Class* c = f_children[std::size_t(i)];
    if (c && c->m_Can_Focus()) c->m_Lose_Focus();
  }
}

void TDisplay_Class::m_Focus_If_Focusable() {
  if (m_Can_Focus()) m_Set_Focus();
}

void TDisplay_Class::m_Focus_Next() {
  if (!f_parent) return;
  const std::int32_t count = f_parent->f_child_count;
  const std::int32_t own = f_parent->m_Find_Child_Position(f_id);
  if (count < 1) return;
  std::int32_t position = own;
  for (std::int32_t step = 0; step < 3 * count; ++step) {
    position = position >= count ? 1 : position + 1;
    TDisplay_Class* c = f_parent->m_Child(position);
    if (c && c != this && !c->f_kill && c->m_Can_Focus() && c->f_enabled) {
      c->m_Set_Focus();
      return;
    }
  }
}

// --- hits -------------------------------------------------------------------------

bool TDisplay_Class::m_Hit_Test(std::int32_t x, std::int32_t y) const {
  return f_visible && Point_Within(x, y, f_x, f_y, f_width, f_height);
}

bool TDisplay_Class::m_Any_Child_Hit(std::int32_t x, std::int32_t y) const {
  return !m_Collect_Hit_Children(x, y).empty();
}

bool TDisplay_Class::m_Subtree_Hit(std::int32_t x, std::int32_t y) const {
  if (m_Hit_Test(x, y)) return true;
  for (std::int32_t i = 1; i <= f_child_count; ++i) {
    const TDisplay_Class* c = f_children[std::size_t(i)];
    if (c && c->m_Subtree_Hit(x, y)) return true;
  }
  return false;
}

bool TDisplay_Class::m_Point_Covered_After(std::int32_t x, std::int32_t y, std::uint32_t child_id) const {
  const std::int32_t start = child_id == 0 ? 1 : m_Find_Child_Position(child_id) + 1;
  if (child_id == 0 || start > 1) {
    for (std::int32_t i = start; i <= f_child_count; ++i) {
      const TDisplay_Class* c = f_children[std::size_t(i)];
      if (c && c->m_Subtree_Hit(x, y)) return true;
    }
  }
  return f_parent && f_parent->m_Point_Covered_After(x, y, f_id);
}

std::vector<std::uint32_t> TDisplay_Class::m_Collect_Hit_Children(std::int32_t x, std::int32_t y) const {
  std::vector<std::uint32_t> hits;
  for (std::int32_t layer = 1; layer >= 0; --layer) {
    for (std::int32_t i = f_child_count; i >= 1; --i) {
      const TDisplay_Class* c = f_children[std::size_t(i)];
      if (c && c->f_layer == layer && c->m_Hit_Test(x, y)) hits.push_back(c->f_id);
    }
  }
  return hits;
}

bool TDisplay_Class::m_Eligible(const TDisplay_Class* child) const {
  if (!child || !child->f_enabled) return false;
  return !f_has_modal_child || child->f_layer == 1 || child->f_id == f_modal_child_id;
}
