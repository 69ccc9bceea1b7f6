#include "DC_Main_Transport_Units.h"

#include <algorithm>

#include "DC_Main.h"
#include "Datafile_UserSettings.h"
#include "Empire.h"
#include "GameSettings.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Texture.h"
#include "MapClass.h"
#include "Order_Desk.h"
#include "World_Unit_Facts.h"

namespace {

constexpr std::int32_t Max_Source_Regions = 100;

std::int32_t Icon_Width(const TUnit_Type& t) { return 32 * std::max<std::int32_t>(1, t.f_square_size_width); }
std::int32_t Icon_Height(const TUnit_Type& t) { return 32 * std::max<std::int32_t>(1, t.f_square_size_height); }

}  // namespace

TDC_Main_Transport_Units::TDC_Main_Transport_Units(TDC_Main& screen) : TDisplay_Class(1), f_screen(screen) {
  Gui_Sound_Link().m_Play_UI_Sound(15, -2000);
  f_close = std::make_unique<TDC_Button>();
  f_close->m_Set_Style(6, 40, 40, 18, 1);
  f_close->m_Set_Help_Ref(1, 11, 4, "", 0);
  f_close->m_Set_Position("TRANSPORT_CONTROL_BUTTON_CLOSE", 0, 0);
  f_close->OnClick = [this](const std::string& name, TMouse_Button, TShift_State) {
    if (name == "TRANSPORT_CONTROL_BUTTON_CLOSE") Set_Kill_Object(true);
  };
  f_close->m_Set_Visible(true);
  Add_Child_Control(f_close.get());
  for (int side = 0; side < 2; ++side) {
    auto list = std::make_unique<TDC_List>();
    list->f_text_color = Make_Color(0, 0, 0);
    list->f_no_background = true;
    list->f_hover_highlight = false;
    list->f_show_selection = false;
    list->m_Set_Auto_Scrollbar(true);
    list->m_Set_Help_Ref(1, 11, side == 0 ? 1 : 2, "", 0);
    const bool left = side == 0;
    list->OnOwnerClick = [this, left](const std::string&, std::int32_t row, const std::string&, const std::string&,
                                      TMouse_Button button, TShift_State, std::int32_t x, std::int32_t, std::int32_t,
                                      std::int32_t) {
      if (button != MB_LEFT) return;
      TDC_List& l = left ? *f_transport_list : *f_cargo_list;
      if (left)
        m_Click_Transports(row, x - l.m_X());
      else
        m_Click_Cargo(row, x - l.m_X());
    };
    list->OnOwnerDraw = [this, left](const std::string&, std::int32_t row, std::int32_t x, std::int32_t top,
                                     std::int32_t, std::int32_t, bool, bool, const std::string& text,
                                     const std::string&) {
      if (!text.empty()) {
        TGui_Text_Link& fonts = Gui_Text_Link();
        fonts.m_Set_Font(2);
        fonts.m_Set_Color(Make_Color(255, 255, 255));
        fonts.m_Draw_Text_Shadowed(x + 2, top, text);
      }
      m_Draw_Row(left, row, x, top);
    };
    list->m_Set_Visible(true);
    (left ? f_transport_list : f_cargo_list) = std::move(list);
  }
  f_transport_list->m_Set_Name_And_Bounds("TRANSPORT_CONTROL_LIST_TRANSPORTS", 0, 0, 10, 10);
  f_cargo_list->m_Set_Name_And_Bounds("TRANSPORT_CONTROL_LIST_CARGO", 0, 0, 10, 10);
  Add_Child_Control(f_transport_list.get());
  Add_Child_Control(f_cargo_list.get());
  f_empire = G_Empire_List ? G_Empire_List->m_Get_Empire(Game_Settings.f_turn_empire) : nullptr;
}

TDC_Main_Transport_Units::~TDC_Main_Transport_Units() {
  Gui_Sound_Link().m_Play_UI_Sound(16, -2000);
  f_screen.m_Set_Info_Box(false, false, TInfo_Box_Kind::None, 0, 0);
  while (m_Child_Count() > 0) Remove_Child_Control(m_Child(m_Child_Count()));
}

void TDC_Main_Transport_Units::m_On_Reposition() {
  const std::int32_t w = m_Width(), h = m_Height();
  f_close->m_Set_Position("TRANSPORT_CONTROL_BUTTON_CLOSE", f_x + f_split_x - 20, f_y + h - 44);
  f_transport_list->m_Set_Name_And_Bounds("TRANSPORT_CONTROL_LIST_TRANSPORTS", f_x + 4, f_y + 20, f_split_x - 8,
                                          std::max(1, h - 68));
  f_cargo_list->m_Set_Name_And_Bounds("TRANSPORT_CONTROL_LIST_CARGO", f_x + f_split_x + 4, f_y + 20,
                                      std::max(1, w - f_split_x - 8), std::max(1, h - 68));
  m_Refresh();
}

void TDC_Main_Transport_Units::m_Set_Mode(TTransport_Mode mode) {
  f_mode = mode;
  f_cargo_list->m_Set_Help_Ref(1, 11, mode == TTransport_Mode::Land ? 3 : 2, "", 0);
  m_Refresh();
}

std::int32_t TDC_Main_Transport_Units::m_Get_Transport_Parent(std::int32_t i) const {
  return i >= 1 && i <= std::int32_t(f_transports.size()) ? f_transports[std::size_t(i - 1)].parent : 0;
}
std::int32_t TDC_Main_Transport_Units::m_Get_Transport_Unit(std::int32_t i) const {
  return i >= 1 && i <= std::int32_t(f_transports.size()) ? f_transports[std::size_t(i - 1)].unit_id : 0;
}
std::int32_t TDC_Main_Transport_Units::m_Get_Transport_Region(std::int32_t i) const {
  return i >= 1 && i <= std::int32_t(f_transports.size()) ? f_transports[std::size_t(i - 1)].region : 0;
}
std::int32_t TDC_Main_Transport_Units::m_Get_Cargo_Region(std::int32_t i) const {
  return i >= 1 && i <= std::int32_t(f_cargo.size()) ? f_cargo[std::size_t(i - 1)].source_region : 0;
}
std::int32_t TDC_Main_Transport_Units::m_Get_Cargo_Unit(std::int32_t i) const {
  return i >= 1 && i <= std::int32_t(f_cargo.size()) ? f_cargo[std::size_t(i - 1)].unit_id : 0;
}

void TDC_Main_Transport_Units::m_Refresh() {
  const std::int32_t remembered = m_Get_Transport_Unit(f_selected);
  const std::int32_t first_left = f_transport_list->m_First_Row(), first_right = f_cargo_list->m_First_Row();
  f_transport_list->m_Clear();
  f_cargo_list->m_Clear();
  f_transports.clear();
  f_cargo.clear();
  f_selected = 0;
  if (!G_Map) return;
  const std::uint8_t player = Game_Settings.f_turn_empire;
  const std::int32_t left_width = f_transport_list->m_Get_Client_Width();
  const std::int32_t right_width = f_cargo_list->m_Get_Client_Width();

  // The transports of the selection, each with its cargo on the rows below.
  for (std::int32_t n = 1; n <= f_screen.m_Group_Count(); ++n) {
    const TSelected_Unit* g = f_screen.m_Get_Selected_Group(n);
    const TUnit_Type* gt = g ? World_Unit_Type(g->f_unit_type) : nullptr;
    if (!g || g->f_unit_ids.m_Count() < 1 || !gt || gt->f_transporting_capacity < 1) continue;
    if (f_mode != TTransport_Mode::Load && g->f_moves == 0) continue;
    for (std::int32_t k = 1; k <= g->f_unit_ids.m_Count(); ++k) {
      TMap_Unit_Record tr;
      G_Map->m_Get_Unit(g->f_unit_ids.m_Get(k), tr);
      if (tr.id == 0) continue;
      Transport_Panel_Entry e;
      e.unit_id = tr.id;
      e.unit_type = tr.unit_type;
      e.moves = tr.moves;
      e.capacity = gt->f_transporting_capacity;
      e.load = G_Map->m_Get_Cargo_Load(tr.id);
      e.owner = tr.owner;
      e.width = Icon_Width(*gt);
      e.height = Icon_Height(*gt);
      e.row = f_transport_list->m_Get_Row_Count() + 1;
      e.region = f_screen.m_Selected_Region();
      f_transports.push_back(e);
      f_transport_list->m_Add_Row("", "", e.height);
      if (tr.cargo_list == 0) continue;
      std::int32_t x = 20, row_height = 0;
      for (std::int32_t c = 1; c <= G_Map->m_Get_Cargo_Count(tr.cargo_list); ++c) {
        TMap_Unit_Record u;
        G_Map->m_Get_Unit(G_Map->m_Get_Cargo_Unit(tr.cargo_list, c), u);
        const TUnit_Type* ut = World_Unit_Type(u.unit_type);
        if (u.id == 0 || !ut) continue;
        if (x + Icon_Width(*ut) >= left_width && row_height > 0) {
          f_transport_list->m_Add_Row("", "", row_height);
          x = 20;
          row_height = 0;
        }
        Transport_Panel_Entry ce;
        ce.unit_id = u.id;
        ce.unit_type = u.unit_type;
        ce.moves = u.moves;
        ce.parent = tr.id;
        ce.capacity = ut->f_transporting_capacity;
        ce.load = G_Map->m_Get_Cargo_Load(u.id);
        ce.owner = u.owner;
        ce.x = x;
        ce.width = Icon_Width(*ut);
        ce.height = Icon_Height(*ut);
        ce.row = f_transport_list->m_Get_Row_Count() + 1;
        ce.region = f_screen.m_Selected_Region();
        f_transports.push_back(ce);
        row_height = std::max(row_height, ce.height);
        x += ce.width;
      }
      if (x > 20) f_transport_list->m_Add_Row("", "", row_height);
    }
  }

  // The units that may go aboard, or that stand at the landing region.
  const std::int32_t first_source = f_mode == TTransport_Mode::Land ? f_screen.m_Landing_Region()
                                                                  : f_screen.m_Selected_Region();
  std::vector<std::int32_t> sources;
  const TMap_Region* r = G_Map->m_Get_Region(first_source);
  if (r) {
    sources.push_back(first_source);
    auto listed = [this](std::int32_t id) {
      return std::any_of(f_transports.begin(), f_transports.end(),
                         [id](const Transport_Panel_Entry& e) { return e.unit_id == id; });
    };
    auto add_units = [&](const TMap_Region& region, std::int32_t id) {
      for (std::int32_t i = 1; i <= region.m_Get_Unit_Count(); ++i) {
        TMap_Unit_Record u;
        G_Map->m_Get_Unit(region.m_Get_Unit_Id(i), u);
        const TUnit_Type* ut = World_Unit_Type(u.unit_type);
        // Only the player's own units are offered.
        if (u.id == 0 || !ut || listed(u.id) || u.owner != player) continue;
        Cargo_Panel_Entry c;
        c.unit_id = u.id;
        c.unit_type = u.unit_type;
        c.moves = u.moves;
        c.capacity = ut->f_transporting_capacity;
        c.load = G_Map->m_Get_Cargo_Load(u.id);
        c.owner = u.owner;
        c.width = Icon_Width(*ut);
        c.height = Icon_Height(*ut);
        c.source_region = id;
        f_cargo.push_back(c);
      }
    };
    add_units(*r, first_source);
    if (f_mode == TTransport_Mode::Load && r->m_Get_Type() == REGION_OCEAN) {
      for (std::int32_t i = 1; i <= r->m_Get_Connection_Count(); ++i) {
        const std::int32_t id = r->m_Get_Connection(i);
        const TMap_Region* land = G_Map->m_Get_Region(id);
        if (!land || land->m_Get_Type() != REGION_LAND || land->m_Get_Owner() != player ||
            land->m_Get_Unit_Count() == 0 || std::int32_t(sources.size()) >= Max_Source_Regions)
          continue;
        sources.push_back(id);
        add_units(*land, id);
      }
    }
  }
  for (std::int32_t source : sources) {
    f_cargo_list->m_Add_Row(G_Map->m_Get_Region_Name(source), "", 16);
    std::int32_t x = 0, last_height = 0;
    std::uint16_t last_type = 0;
    for (std::int32_t t = 1; t <= World_Unit_Type_Count(); ++t)
      for (Cargo_Panel_Entry& c : f_cargo) {
        if (c.source_region != source || c.unit_type != t) continue;
        if (x > 0 && (x + c.width >= right_width || last_type != c.unit_type)) {
          f_cargo_list->m_Add_Row("", "", last_height);
          x = 0;
        }
        c.x = x;
        c.row = f_cargo_list->m_Get_Row_Count() + 1;
        x += c.width;
        last_height = c.height;
        last_type = c.unit_type;
      }
    if (x > 0) f_cargo_list->m_Add_Row("", "", last_height);
  }

  for (std::size_t i = 0; i < f_transports.size(); ++i)
    if (f_transports[i].parent == 0 && f_transports[i].unit_id == remembered && remembered != 0)
      f_selected = std::int32_t(i) + 1;
  if (f_selected == 0 && !f_transports.empty()) f_selected = 1;
  if (first_left > 0) f_transport_list->m_Scroll_To_Row(first_left);
  if (first_right > 0) f_cargo_list->m_Scroll_To_Row(first_right);
}

std::int32_t TDC_Main_Transport_Units::m_Transport_At(std::int32_t row, std::int32_t x) const {
  for (std::size_t i = 0; i < f_transports.size(); ++i) {
    const Transport_Panel_Entry& e = f_transports[i];
    if (e.row == row && Main_Hit(x, 0, e.x, 0, e.width, 1)) return std::int32_t(i) + 1;
  }
  return 0;
}

std::int32_t TDC_Main_Transport_Units::m_Cargo_At(std::int32_t row, std::int32_t x) const {
  for (std::size_t i = 0; i < f_cargo.size(); ++i) {
    const Cargo_Panel_Entry& e = f_cargo[i];
    if (e.row == row && Main_Hit(x, 0, e.x, 0, e.width, 1)) return std::int32_t(i) + 1;
  }
  return 0;
}

void TDC_Main_Transport_Units::m_Click_Transports(std::int32_t row, std::int32_t x) {
  const std::int32_t i = m_Transport_At(row, x);
  if (i == 0) return;
  if (f_transports[std::size_t(i - 1)].parent == 0) {
    f_selected = i;
  } else if (f_mode == TTransport_Mode::Load) {
    f_screen.m_Execute_Order(ORDER_UNLOAD, 0, 0, i);
  } else {
    f_screen.m_Execute_Order(ORDER_LAND, 0, 1, i);
  }
}

void TDC_Main_Transport_Units::m_Click_Cargo(std::int32_t row, std::int32_t x) {
  if (f_mode != TTransport_Mode::Load) return;
  const std::int32_t i = m_Cargo_At(row, x);
  if (i != 0) f_screen.m_Execute_Order(ORDER_LOAD, 0, 0, i);
}

void TDC_Main_Transport_Units::m_Draw(double) {
  G_Draw_2D_Color_Part(Make_Color(34, 34, 34, 255), {f_x, f_y, f_x + m_Width(), f_y + m_Height()}, false, false);
  TGui_Text_Link& fonts = Gui_Text_Link();
  fonts.m_Set_Font(2);
  fonts.m_Set_Color(Make_Color(255, 255, 255));
  fonts.m_Draw_Text_Shadowed(f_x + 6, f_y + 2, "Transport Units");
  fonts.m_Draw_Text_Shadowed(f_x + f_split_x + 7, f_y + 2,
                             f_mode == TTransport_Mode::Land ? "Units To Land" : "Cargo To Load");
  G_Draw_2D_Color_Part(Make_Color(89, 89, 89, 255),
                       {f_x + f_split_x, f_y + 20, f_x + f_split_x + 1, f_y + 20 + std::max(0, m_Height() - 68)},
                       true, true);
}

void TDC_Main_Transport_Units::m_Draw_Row(bool left, std::int32_t row, std::int32_t x, std::int32_t top) {
  const bool mouse_in = Point_Within_Control(G_Mouse_X, G_Mouse_Y);
  const TColor tint = f_empire ? f_empire->m_Get_Second_Color() : Make_Color(255, 255, 255);
  const TMap_Region* selected_region = G_Map ? G_Map->m_Get_Region(f_screen.m_Selected_Region()) : nullptr;
  const std::int32_t transport = m_Get_Transport_Unit(f_selected);
  auto draw = [&](std::int32_t ex, std::int32_t ey, std::int32_t w, std::int32_t h, std::uint16_t type,
                  std::uint8_t moves, std::int32_t capacity, std::int32_t load, bool is_selected, bool dark_red) {
    const std::int32_t ix = x + ex, iy = top + ey;
    const bool over = mouse_in && Main_Hit(G_Mouse_X, G_Mouse_Y, ix, iy, w, h);
    if (is_selected) {
      if (G_Map && g_tg_texture_list)
        g_tg_texture_list->m_Draw_All_Blend({ix, iy, ix + w, iy + h}, G_Map->m_Get_Selection_Box_Texture(), true, 5,
                                            6, Make_Color(255, 255, 255));
    } else if (over) {
      G_Draw_2D_Color_Part(User_Settings.m_Get_Mouse_Over_Highlight_Color(), {ix, iy, ix + w, iy + h}, false, true);
    } else if (dark_red) {
      G_Draw_2D_Color_Part(Make_Color(100, 0, 0, 255), {ix, iy, ix + w, iy + h}, false, true);
    }
    f_screen.m_Draw_Unit_Icon(type, tint, ix, iy, w, h, capacity > 0, true, capacity, load, moves);
  };
  if (left) {
    for (std::size_t i = 0; i < f_transports.size(); ++i) {
      const Transport_Panel_Entry& e = f_transports[i];
      const TUnit_Type* t = World_Unit_Type(e.unit_type);
      if (e.row != row || !t) continue;
      bool red = false;
      if (e.parent != 0)
        red = f_mode == TTransport_Mode::Load
                  ? (selected_region && !t->m_Can_Move_In_Region_Kind(selected_region->m_Get_Type()))
                  : !t->m_Can_Move_In_Region_Kind(REGION_LAND);
      draw(e.x, e.y, e.width, e.height, e.unit_type, e.moves, e.capacity, e.load, std::int32_t(i) + 1 == f_selected,
           red);
    }
  } else {
    for (const Cargo_Panel_Entry& e : f_cargo) {
      if (e.row != row || !World_Unit_Type(e.unit_type)) continue;
      const bool red = f_mode == TTransport_Mode::Load && transport != 0 && G_Map &&
                       G_Map->m_Get_Unit_Cargo_Size(e.unit_id, transport) == Cargo_Size_Never_Fits;
      draw(e.x, e.y, e.width, e.height, e.unit_type, e.moves, e.capacity, e.load, false, red);
    }
  }
}

void TDC_Main_Transport_Units::m_Draw_After_Children(double) {
  // The unit under the pointer goes into the info box, drawn over the panel.
  for (int side = 0; side < 2; ++side) {
    TDC_List& list = side == 0 ? *f_transport_list : *f_cargo_list;
    if (!list.Point_Within_Control(G_Mouse_X, G_Mouse_Y)) continue;
    const std::int32_t row = list.m_Row_At(G_Mouse_X, G_Mouse_Y);
    if (row < 1) continue;
    std::int32_t top = 0, line = 0, bottom = 0;
    if (!list.m_Get_Row_Rect(row, top, line, bottom)) continue;
    const std::int32_t x = G_Mouse_X - list.m_X();
    std::int32_t unit = 0;
    if (side == 0) {
      const std::int32_t i = m_Transport_At(row, x);
      if (i && G_Mouse_Y - top < f_transports[std::size_t(i - 1)].height) unit = m_Get_Transport_Unit(i);
    } else {
      const std::int32_t i = m_Cargo_At(row, x);
      if (i && G_Mouse_Y - top < f_cargo[std::size_t(i - 1)].height) unit = m_Get_Cargo_Unit(i);
    }
    if (unit == 0) continue;
    if (f_screen.m_Info_Box().kind != TInfo_Box_Kind::Unit || f_screen.m_Info_Box().subject != unit)
      f_screen.m_Set_Info_Box(true, true, TInfo_Box_Kind::Unit, unit, 0);
    f_screen.m_Draw_Info_Box();
    return;
  }
}
