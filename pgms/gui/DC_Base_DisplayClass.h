// The base of every control drawn inside the game frame, and the tree they
// form.
//
// The main screen is the root; panels, dialogs, buttons, edit boxes, lists
// and combo boxes hang below it. The tree holds plain references: a parent
// lists its children without owning them; whoever created a control frees
// it.
//
// Closing a control: a control is never freed while input, the timer or the
// drawing is running over it. It is marked with Set_Kill_Object (true) and
// its parent's next kill pass (run at the end of every dispatch, timer pass
// and drawing pass) reports its name to the parent's m_On_Child_Killed,
// where its creator frees it, and takes it off the list. An event handler
// (a click, a list choice, a key) must not free its own control or any
// control above it: the dispatch that called the handler goes on using
// them after the handler returns.
//
// Input travels down the tree (m_Mouse_Down, MouseUp, m_Double_Click,
// m_Mouse_Wheel, m_Key_Down): layer 1 before layer 0, later-added children
// before earlier ones, and a modal child blocks its layer-0 siblings. Every
// frame runs TimerFired and m_Render on the root. Coordinates are absolute
// screen pixels. Main thread only; handlers may add controls and mark
// controls killed.
//
// With Debug_Sections[DEBUG_DISPLAY_CLASS] on, the bookkeeping writes its
// lines to the debug log.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Gui_Links.h"

// Control kinds given to the constructor.
constexpr std::int32_t DC_KIND_WINDOW = 1;   // windows, dialogs and panels (added on layer 1)
constexpr std::int32_t DC_KIND_CONTROL = 2;  // buttons, edit boxes, lists and combo boxes

// The hover-help handler: (name, parent name, help ref 1, help ref 2,
// help ref 3, help text, help ref 4, x, y, width, height).
using Display_Help_Handler =
    std::function<void(const std::string& name, const std::string& parent_name, std::int32_t ref1,
                       std::int32_t ref2, std::int32_t ref3, const std::string& text, std::int32_t ref4,
                       std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)>;

struct THelp_Area {
  std::int32_t f_help_ref_1 = 0, f_help_ref_2 = 0, f_help_ref_3 = 0;
  std::string f_text;
  std::int32_t f_help_ref_4 = 0;
  std::int32_t f_x_offset = 0, f_y_offset = 0, f_width = 0, f_height = 0;
};

struct TDrag_Rect {
  std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// The next control id: 1, 2, ...; after 4,000,000,000 it starts again at 1.
std::uint32_t DisplayClass_Next_Id();
// Sets the id counter (the next id is one more).
void DisplayClass_Set_Id_Counter(std::uint32_t value);

class TDisplay_Class {
public:
  explicit TDisplay_Class(std::int32_t kind);
  virtual ~TDisplay_Class();
  TDisplay_Class(const TDisplay_Class&) = delete;
  TDisplay_Class& operator=(const TDisplay_Class&) = delete;

  // --- operations a control overrides ---
  virtual std::int32_t m_Get_Width();
  virtual std::int32_t m_Get_Height();
  virtual bool m_Reload_Images();
  virtual void m_On_Child_Killed(const std::string& child_name);
  virtual bool m_On_Mouse_Wheel(TShift_State shift, std::int16_t notches, std::int32_t x, std::int32_t y);
  virtual void m_On_Mouse_Down(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y);
  virtual void m_On_Mouse_Up(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y,
                             bool released_elsewhere);
  virtual void m_On_Double_Click(std::int32_t x, std::int32_t y);
  virtual bool m_On_Key_Down(std::uint16_t& key, TShift_State shift);
  virtual std::int32_t m_Slot_Query();
  virtual void m_Draw(double elapsed);
  virtual void m_Draw_After_Children(double elapsed);
  virtual void m_On_Reposition();
  virtual void m_On_Timer(float elapsed);
  virtual void m_On_Added();
  virtual void m_On_Enabled_Changed();
  virtual void m_On_Visible_Changed();
  virtual void m_Set_Focus();
  virtual void m_Lose_Focus();
  virtual bool m_Can_Focus();
  // The timer pass: this control's m_On_Timer, then every enabled child's
  // TimerFired; an error ends the pass silently. Then the kill pass.
  virtual void TimerFired(float elapsed);
  virtual void m_Set_Help_Ref(std::int32_t ref1, std::int32_t ref2, std::int32_t ref3, const std::string& text,
                              std::int32_t ref4);

  // --- tree ---
  void Add_Child_Control(TDisplay_Class* child);
  void Remove_Child_Control(TDisplay_Class* child);
  void m_Delete_Child_Control(std::int32_t position);
  void Set_Kill_Object(bool flag);
  // The kill pass.
  void m_Kill_Any_Dead_Controls();
  void m_Set_Parent(TDisplay_Class* parent) { f_parent = parent; }
  // Positions 1..child count; nullptr outside.
  TDisplay_Class* m_Child(std::int32_t position) const;
  std::int32_t m_Child_Count() const { return f_child_count; }
  // The last position holding a child with that id, 0 when none.
  std::int32_t m_Find_Child_Position(std::uint32_t id) const;

  // --- geometry ---
  void m_Set_Bounds(const std::string& name, std::int32_t x, std::int32_t y, std::int32_t width,
                    std::int32_t height, bool modal);
  void m_Set_Position(const std::string& name, std::int32_t x, std::int32_t y, bool modal);
  void m_Set_Position_Centered(const std::string& name, bool modal);
  void Reposition();

  // --- state ---
  void m_Set_Visible(bool flag);
  void m_Set_Enabled(bool flag);
  void m_Set_Layer(std::int32_t layer) { f_layer = layer; }
  bool Reload_All_Images();

  // --- help ---
  void m_Add_Help_Area(std::int32_t ref1, std::int32_t ref2, std::int32_t ref3, const std::string& text,
                       std::int32_t ref4, std::int32_t x_offset, std::int32_t y_offset, std::int32_t width,
                       std::int32_t height);
  void m_Clear_Help_Areas() { f_help_area_count = 0; }
  void m_Set_Help_Handler(const Display_Help_Handler& handler);

  // --- drag area ---
  void m_Set_Drag_Area(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
  void m_Begin_Drag(std::int32_t mouse_x, std::int32_t mouse_y);
  void m_End_Drag();

  // --- focus ---
  void m_Unfocus_Others();
  void m_Unfocus_Children();
  void m_Focus_If_Focusable();
  void m_Focus_Next();

  // --- hits ---
  bool m_Hit_Test(std::int32_t x, std::int32_t y) const;
  bool m_Any_Child_Hit(std::int32_t x, std::int32_t y) const;
  bool m_Subtree_Hit(std::int32_t x, std::int32_t y) const;
  bool m_Point_Covered_After(std::int32_t x, std::int32_t y, std::uint32_t child_id) const;
  // Whether a point lies within the control's rectangle (inclusive), visible or not.
  bool Point_Within_Control(std::int32_t x, std::int32_t y) const;

  // --- dispatch ---
  bool m_Mouse_Down(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y);
  bool MouseUp(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y, bool released_elsewhere);
  bool m_Double_Click(std::int32_t x, std::int32_t y);
  bool m_Mouse_Wheel(TShift_State shift, std::int16_t notches, std::int32_t x, std::int32_t y);
  bool m_Key_Down(std::uint16_t& key, TShift_State shift);
  void m_Render(double elapsed);
  void m_Drag_Move();

  // --- reading ---
  std::uint32_t m_Id() const { return f_id; }
  const std::string& m_Name() const { return f_name; }
  TDisplay_Class* m_Parent() const { return f_parent; }
  std::int32_t m_Kind() const { return f_kind; }
  std::int32_t m_X() const { return f_x; }
  std::int32_t m_Y() const { return f_y; }
  std::int32_t m_Width() const { return f_width; }
  std::int32_t m_Height() const { return f_height; }
  bool m_Hovered() const { return f_hovered; }
  // Where the mouse was when the last drawing pass found it over the
  // control (0, 0 while it is not hovered). The battle's hover tracking
  // reads the main screen's through the world's main-screen link.
  std::int32_t m_Hover_X() const { return f_hover_x; }
  std::int32_t m_Hover_Y() const { return f_hover_y; }
  bool m_Pressed() const { return f_pressed; }
  bool m_Visible() const { return f_visible; }
  bool m_Enabled() const { return f_enabled; }
  bool m_Modal() const { return f_modal; }
  std::int32_t m_Layer() const { return f_layer; }
  bool m_Killed() const { return f_kill; }
  bool m_Has_Modal_Child() const { return f_has_modal_child; }
  std::uint32_t m_Modal_Child_Id() const { return f_modal_child_id; }
  std::int32_t m_Help_Area_Count() const { return f_help_area_count; }
  bool m_Dragging() const { return f_dragging; }
  bool m_Over_Drag_Area() const { return f_over_drag_area; }

protected:
  // Writes "<name><suffix>" to the debug log while the display-class section is on.
  void m_Log(const std::string& text) const;
  // Rescans the modal state here and up to the root.
  void m_Update_Modal_State();
  // Whether the control or any descendant is modal.
  bool m_Subtree_Modal() const;
  // Whether a child may receive input while this control's modal state holds.
  bool m_Eligible(const TDisplay_Class* child) const;
  // Ids of the children hit by a point: layer 1, then layer 0, last added first.
  std::vector<std::uint32_t> m_Collect_Hit_Children(std::int32_t x, std::int32_t y) const;
  // The child with that id, nullptr when it is no longer listed.
  TDisplay_Class* m_Child_By_Id(std::uint32_t id) const;

  std::uint32_t f_id;
  std::string f_name;
  TDisplay_Class* f_parent = nullptr;
  std::int32_t f_kind;
  std::int32_t f_x = 0, f_y = 0;
  std::int32_t f_height = 0, f_width = 0;
  bool f_hovered = false;
  bool f_pressed = false;
  std::int32_t f_hover_x = 0, f_hover_y = 0;
  bool f_no_wheel_to_children = false;
  bool f_visible = false;
  bool f_enabled = true;
  bool f_modal = false;
  std::int32_t f_layer = 0;
  bool f_kill = false;
  bool f_kill_after_timer = false;
  std::int32_t f_help_ref_1 = 0, f_help_ref_2 = 0, f_help_ref_3 = 0;
  std::string f_help_text;
  std::int32_t f_help_ref_4 = 0;
  Display_Help_Handler f_help_handler;
  std::int32_t f_child_count = 0;
  std::vector<TDisplay_Class*> f_children{nullptr};  // entries 1..child count
  bool f_has_modal_child = false;
  std::uint32_t f_modal_child_id = 0;
  std::int32_t f_help_area_count = 0, f_help_area_capacity = 0;
  std::vector<THelp_Area> f_help_areas{THelp_Area()};  // entries 1..count
  bool f_has_drag_area = false;
  TDrag_Rect f_drag_area;
  bool f_dragging = false;
  std::int32_t f_grab_dx = 0, f_grab_dy = 0;
  bool f_over_drag_area = false;
};
