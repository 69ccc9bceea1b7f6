// Input dispatch, the drawing traversal and the timer pass over the control
// tree.
#include "DC_Base_DisplayClass.h"
#include "Debug_Log.h"
#include "Errors.h"
#include "GraphicsEngine.h"

bool TDisplay_Class::m_Mouse_Down(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y) {
  bool handled = false;
  if (f_has_modal_child) {
    TDisplay_Class* modal = m_Child_By_Id(f_modal_child_id);
    if (modal) handled = modal->m_Mouse_Down(button, shift, x, y);
  } else {
    for (std::int32_t layer = 1; layer >= 0 && !handled; --layer) {
      bool layer_handled = false;
      for (std::int32_t i = f_child_count; i >= 1; --i) {
        TDisplay_Class* c = m_Child(i);
        if (c && c->f_layer == layer && c->f_enabled && c->f_visible) {
          if (c->m_Mouse_Down(button, shift, x, y)) layer_handled = true;
        }
      }
      if (layer_handled) handled = true;
    }
  }
  const bool handled_below = handled;
  if (!handled && !f_has_modal_child && m_Hit_Test(x, y) && f_enabled && f_visible) {
    f_pressed = true;
    m_On_Mouse_Down(button, shift, x, y);
    handled = true;
  }
  if (f_has_drag_area && !handled_below && m_Hit_Test(x, y)) {
    const std::int32_t dx = Checked_Sub(x, f_x);
    const std::int32_t dy = Checked_Sub(y, f_y);
    if (dx >= f_drag_area.Left && dx <= f_drag_area.Right && dy >= f_drag_area.Top && dy <= f_drag_area.Bottom)
      m_Begin_Drag(x, y);
  }
  m_Kill_Any_Dead_Controls();
  return handled;
}

bool TDisplay_Class::MouseUp(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y,
                             bool released_elsewhere) {
  m_Log(" - MouseUp");
  f_pressed = false;
  const bool here = m_Hit_Test(x, y) && !m_Any_Child_Hit(x, y) && !f_has_modal_child && f_enabled;
  // A release over a shown layer-1 child (an open combo list, a panel)
  // belongs to it: the layer-0 children under it see it as released
  // elsewhere. Decided before any child acts, since acting may close the
  // layer-1 child (choosing an item closes the combo list).
  bool covered_by_layer_1 = false;
  for (std::int32_t i = 1; i <= f_child_count && !covered_by_layer_1; ++i) {
    const TDisplay_Class* c = m_Child(i);
    covered_by_layer_1 = c && c->f_layer == 1 && c->f_enabled && c->f_visible && c->m_Subtree_Hit(x, y);
  }
  m_On_Mouse_Up(button, shift, x, y, released_elsewhere || !here);
  for (std::int32_t i = 1; i <= f_child_count; ++i) {
    TDisplay_Class* c = m_Child(i);
    if (!c || !c->f_enabled) continue;
    const bool blocked = (f_has_modal_child && c->f_layer == 0 && c->f_id != f_modal_child_id) ||
                         (covered_by_layer_1 && c->f_layer == 0);
    c->MouseUp(button, shift, x, y, released_elsewhere || blocked);
  }
  if (f_has_drag_area && f_dragging) m_End_Drag();
  m_Kill_Any_Dead_Controls();
  return false;
}

bool TDisplay_Class::m_Double_Click(std::int32_t x, std::int32_t y) {
  if (!m_Hit_Test(x, y)) return false;
  const std::vector<std::uint32_t> hits = m_Collect_Hit_Children(x, y);
  if (!hits.empty()) {
    for (std::uint32_t id : hits) {
      TDisplay_Class* c = m_Child_By_Id(id);
      if (m_Eligible(c)) c->m_Double_Click(x, y);
    }
  } else if (!f_has_modal_child && f_enabled) {
    m_On_Double_Click(x, y);
  }
  m_Kill_Any_Dead_Controls();
  return true;
}

bool TDisplay_Class::m_Mouse_Wheel(TShift_State shift, std::int16_t notches, std::int32_t x, std::int32_t y) {
  if (!m_Hit_Test(x, y)) return false;
  std::vector<std::uint32_t> hits;
  if (!f_no_wheel_to_children) hits = m_Collect_Hit_Children(x, y);
  if (hits.empty()) {
    if (!f_has_modal_child && f_enabled) m_On_Mouse_Wheel(shift, notches, x, y);
  } else {
    for (std::uint32_t id : hits) {
      TDisplay_Class* c = m_Child_By_Id(id);
      if (m_Eligible(c)) c->m_Mouse_Wheel(shift, notches, x, y);
    }
  }
  return true;
}

bool TDisplay_Class::m_Key_Down(std::uint16_t& key, TShift_State shift) {
  bool handled = false;
  if (!f_has_modal_child && f_enabled) handled = m_On_Key_Down(key, shift);
  if (f_enabled && !handled) {
    for (std::int32_t i = 1; i <= f_child_count; ++i) {
      TDisplay_Class* c = m_Child(i);
      if (m_Eligible(c) && c->m_Key_Down(key, shift)) {
        handled = true;
        break;
      }
    }
  }
  m_Kill_Any_Dead_Controls();
  return handled;
}

void TDisplay_Class::m_Render(double elapsed) {
  if (f_visible) {
    f_hovered = false;
    f_hover_x = 0;
    f_hover_y = 0;
    if (m_Hit_Test(G_Mouse_X, G_Mouse_Y) && !f_has_modal_child &&
        (!f_parent || !f_parent->f_has_modal_child || f_parent->f_modal_child_id == f_id)) {
      f_hovered = true;
      f_hover_x = G_Mouse_X;
      f_hover_y = G_Mouse_Y;
    }
    m_Draw(elapsed);
    if (f_help_handler && f_enabled && ((f_help_ref_3 > 0 && f_help_ref_1 > 0) || f_help_area_count > 0)) {
      const std::string parent_name = f_parent ? f_parent->f_name : std::string();
      if (f_help_ref_3 > 0 && Point_Within_Control(G_Mouse_X, G_Mouse_Y) &&
          !m_Point_Covered_After(G_Mouse_X, G_Mouse_Y, 0))
        f_help_handler(f_name, parent_name, f_help_ref_1, f_help_ref_2, f_help_ref_3, f_help_text, f_help_ref_4,
                       f_x, f_y, f_width, f_height);
      for (std::int32_t i = 1; i <= f_help_area_count && f_help_handler; ++i) {
        const THelp_Area area = f_help_areas[std::size_t(i)];
        const std::int32_t ax = Checked_Add(f_x, area.f_x_offset);
        const std::int32_t ay = Checked_Add(f_y, area.f_y_offset);
        if (G_Mouse_X >= ax && G_Mouse_X <= Checked_Add(ax, area.f_width) && G_Mouse_Y >= ay &&
            G_Mouse_Y <= Checked_Add(ay, area.f_height) && !m_Point_Covered_After(G_Mouse_X, G_Mouse_Y, 0))
          f_help_handler(f_name, parent_name, area.f_help_ref_1, area.f_help_ref_2, area.f_help_ref_3, area.f_text,
                         area.f_help_ref_4, ax, ay, area.f_width, area.f_height);
      }
    }
    for (std::int32_t layer = 0; layer <= 1; ++layer) {
      for (std::int32_t i = 1; i <= f_child_count; ++i) {
        TDisplay_Class* c = m_Child(i);
        if (c && c->f_layer == layer && !c->f_kill && c->f_visible) c->m_Render(elapsed);
      }
    }
    m_Draw_After_Children(elapsed);
  }
  if (f_has_drag_area) m_Drag_Move();
  m_Kill_Any_Dead_Controls();
}

bool TDisplay_Class::Point_Within_Control(std::int32_t x, std::int32_t y) const {
  return x >= f_x && x <= Checked_Add(f_x, f_width) && y >= f_y && y <= Checked_Add(f_y, f_height);
}

void TDisplay_Class::m_Drag_Move() {
  if (f_dragging) {
    std::int32_t new_x = Checked_Sub(G_Mouse_X, f_grab_dx);
    if (new_x < 0) new_x = 0;
    if (Checked_Add(new_x, f_width) > G_Screen_Width) new_x = Checked_Sub(G_Screen_Width, f_width);
    std::int32_t new_y = Checked_Sub(G_Mouse_Y, f_grab_dy);
    if (new_y < 0) new_y = 0;
    if (Checked_Add(new_y, f_height) > G_Screen_Height) new_y = Checked_Sub(G_Screen_Height, f_height);
    m_Set_Bounds(f_name, new_x, new_y, f_width, f_height, f_modal);
    if (G_Mouse_X < 0 || G_Mouse_X > G_Screen_Width || G_Mouse_Y < 0 || G_Mouse_Y > G_Screen_Height) m_End_Drag();
    return;
  }
  const std::int32_t left = Checked_Add(f_x, f_drag_area.Left);
  const std::int32_t top = Checked_Add(f_y, f_drag_area.Top);
  const std::int32_t right = Checked_Add(f_x, f_drag_area.Right);
  const std::int32_t bottom = Checked_Add(f_y, f_drag_area.Bottom);
  if (G_Mouse_X >= left && G_Mouse_X <= right && G_Mouse_Y >= top && G_Mouse_Y <= bottom) {
    G_Mouse_Pointer_Kind = TMouse_Pointer::Move;
    f_over_drag_area = true;
  } else if (G_Mouse_Pointer_Kind == TMouse_Pointer::Move && f_over_drag_area) {
    G_Mouse_Pointer_Kind = TMouse_Pointer::Normal;
    f_over_drag_area = false;
  }
}

void TDisplay_Class::TimerFired(float elapsed) {
  m_Log(" - TimerFired");
  try {
    m_On_Timer(elapsed);
    for (std::int32_t i = 1; i <= f_child_count; ++i) {
      TDisplay_Class* c = m_Child(i);
      if (c && c->f_enabled) c->TimerFired(elapsed);
    }
  } catch (...) {
    // An error in a timer ends this frame's pass; the game goes on.
  }
  m_Kill_Any_Dead_Controls();
  if (f_kill_after_timer) {
    f_kill_after_timer = false;
    Set_Kill_Object(true);
  }
}
