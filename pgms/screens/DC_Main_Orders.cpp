// The main screen's selection, order buttons, map input, human orders, end
// of turn, combat-region buttons and panel locks.
#include <algorithm>

#include "Combat.h"
#include "DC_Base_ComboBox.h"
#include "DC_Main.h"
#include "DC_Main_Purchases_Items.h"
#include "DC_Main_Transport_Units.h"
#include "Display.h"
#include "Empire.h"
#include "GameSettings.h"
#include "Game_Command_Post.h"
#include "Global.h"
#include "Io.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "GraphicsEngine_Texture.h"
#include "MapClass.h"
#include "MasterActionTimer.h"
#include "Multiplayer_GameActions.h"
#include "Order_Desk.h"
#include "World_Unit_Facts.h"

namespace {

constexpr TColor Panel_Grey = Make_Color(100, 100, 100, 50);
constexpr std::int32_t Max_Region_List = 500;

bool Network_Game() { return Game_Kind_Is_Network(); }

// The first `count` ids of a group.
std::vector<std::int32_t> Chosen_Ids(const TSelected_Unit& g) {
  std::vector<std::int32_t> ids;
  const std::int32_t n = std::min(g.f_order_count, g.f_unit_ids.m_Count());
  for (std::int32_t i = 1; i <= n; ++i) ids.push_back(g.f_unit_ids.m_Get(i));
  return ids;
}

// The column of the nine order buttons beside the unit-group panel.
constexpr std::int32_t Order_Column_Height = 372;

std::int32_t Row_Height(const TUnit_Type* t) {
  return t && t->f_square_size_height >= 2 ? 32 * t->f_square_size_height : 42;
}

const char* const Main_Shortcuts[][2] = {
    {"112", "DC_MAIN_MAIN_BUTTON_1"},   {"113", "DC_MAIN_MAIN_BUTTON_2"},   {"114", "DC_MAIN_MAIN_BUTTON_3"},
    {"115", "DC_MAIN_MAIN_BUTTON_5"},   {"123", "DC_MAIN_MAIN_BUTTON_6"},   {"33", "DC_MAIN_ORDER_BUTTON_1"},
    {"34", "DC_MAIN_ORDER_BUTTON_2"},   {"77", "DC_MAIN_ORDER_BUTTON_3"},   {"65", "DC_MAIN_ORDER_BUTTON_4"},
    {"66", "DC_MAIN_ORDER_BUTTON_5"},   {"84", "DC_MAIN_ORDER_BUTTON_6"},   {"76", "DC_MAIN_ORDER_BUTTON_7"},
    {"68", "DC_MAIN_ORDER_BUTTON_8"},   {"32", "DC_MAIN_ORDER_BUTTON_9"},   {"67", "DC_MAIN_ORDER_BUTTON_10"},
    {"27", "DC_MAIN_ORDER_BUTTON_11"},
};

// The screen point of a point of the map plane, when it is in view.
bool G_Map_Point_To_Screen(float x, float y, float& sx, float& sy) {
  TMatrix world, view, projection;
  TViewport vp;
  if (G_GetTransform(D3DTS_WORLD, world) != S_OK || G_GetTransform(D3DTS_VIEW, view) != S_OK ||
      G_GetTransform(D3DTS_PROJECTION, projection) != S_OK || G_GetViewport(vp) != S_OK)
    return false;
  TMatrix screen;
  screen.m[0][0] = float(vp.Width) / 2.0f;
  screen.m[1][1] = -float(vp.Height) / 2.0f;
  screen.m[2][2] = vp.MaxZ - vp.MinZ;
  screen.m[3][0] = float(vp.X) + float(vp.Width) / 2.0f;
  screen.m[3][1] = float(vp.Y) + float(vp.Height) / 2.0f;
  screen.m[3][2] = vp.MinZ;
  screen.m[3][3] = 1.0f;
  return G_Point_In_View(world, view, projection, screen, x, y, 0.0f, sx, sy);
}

}  // namespace

// --- the rules on their own ----------------------------------------------------------

std::vector<std::string> Main_Group_Caption(std::int32_t chosen, std::int32_t available) {
  if (available >= 10000) return {Int_To_Text(chosen), "of", Int_To_Text(available)};
  if (available >= 1000) return {Int_To_Text(chosen) + "/" + Int_To_Text(available)};
  return {Int_To_Text(chosen) + " of " + Int_To_Text(available)};
}

// An order mode is handed on as the number of the order kind it gives.
static_assert(std::uint8_t(TOrder_Mode::Move) == ORDER_MOVE && std::uint8_t(TOrder_Mode::Attack) == ORDER_ATTACK &&
              std::uint8_t(TOrder_Mode::Bombard) == ORDER_BOMBARD && std::uint8_t(TOrder_Mode::Land) == ORDER_LAND);

std::array<bool, 9> Main_Order_Buttons_Enabled(const std::vector<TSelected_Unit>& groups, bool sea_region,
                                               TOrder_Mode order_mode, bool transport_open) {
  bool some_move = false, some_carrier = false, some_bomber = false, some_chosen = false;
  for (const TSelected_Unit& g : groups) {
    if (g.f_order_count < 1) continue;
    some_chosen = true;
    if (g.f_moves > 0) some_move = true;
    if (const TUnit_Type* t = World_Unit_Type(g.f_unit_type)) {
      if (t->f_transporting_capacity > 0) some_carrier = true;
      if (t->f_ranged_fire_range > 0) some_bomber = true;
    }
  }
  std::array<bool, 9> on{};
  if (transport_open) return on;
  const bool idle = order_mode == TOrder_Mode::None;
  on[0] = idle && some_move;
  on[1] = idle && some_move;
  on[2] = idle && some_chosen && some_bomber;
  on[3] = idle && some_chosen && some_carrier;
  on[4] = idle && some_move && some_carrier && sea_region;
  on[5] = idle && some_chosen;
  on[6] = idle && some_move;
  on[7] = !idle;
  on[8] = true;
  return on;
}

void Main_Intersect_Regions(std::vector<std::int32_t>& regions, const std::vector<std::int32_t>& targets) {
  std::vector<std::int32_t> kept;
  for (std::int32_t r : regions)
    if (std::find(targets.begin(), targets.end(), r) != targets.end()) kept.push_back(r);
  regions = std::move(kept);
}

std::string Main_Shortcut_Button(std::uint16_t key) {
  for (const auto& entry : Main_Shortcuts)
    if (std::to_string(key) == entry[0]) return entry[1];
  return "";
}

// --- selection ---------------------------------------------------------------------

const TSelected_Unit* TDC_Main::m_Get_Selected_Group(std::int32_t i) const {
  if (i < 1 || i > std::int32_t(f_groups.size())) return nullptr;
  return &f_groups[std::size_t(i - 1)];
}

bool TDC_Main::m_Toggle_Unit(std::int32_t unit) {
  if (!G_Map) return true;
  TMap_Unit_Record u;
  G_Map->m_Get_Unit(unit, u);
  if (u.id == 0) return true;
  auto new_group = [&] {
    TSelected_Unit g;
    g.f_unit_id = u.id;
    g.f_unit_type = u.unit_type;
    g.f_owner = u.owner;
    g.f_unit_count = 1;
    g.f_order_count = u.moves > 0 ? 1 : 0;
    g.f_unit_ids.m_Add(u.id);
    g.f_moves = u.moves;
    const TUnit_Type* t = World_Unit_Type(u.unit_type);
    g.f_transport_capacity = t ? t->f_transporting_capacity : 0;
    g.f_cargo_load = G_Map->m_Get_Cargo_Load(u.id);
    f_groups.push_back(g);
  };
  if (f_selected_region == 0) {
    f_selected_region = u.region;
    f_groups.clear();
    new_group();
  } else if (f_selected_region != u.region) {
    return true;
  } else {
    bool done = false;
    for (std::size_t i = 0; i < f_groups.size() && !done; ++i) {
      TSelected_Unit& g = f_groups[i];
      for (std::int32_t k = 1; k <= g.f_unit_ids.m_Count(); ++k) {
        if (g.f_unit_ids.m_Get(k) != unit) continue;
        done = true;
        if (g.f_unit_ids.m_Count() > 1) {
          g.f_unit_ids.m_Delete(k);
          g.f_unit_count -= 1;
          g.f_order_count = std::min(g.f_order_count, g.f_unit_count);
          if (g.f_unit_id == unit) g.f_unit_id = g.f_unit_ids.m_Get(1);
        } else {
          f_groups.erase(f_groups.begin() + std::ptrdiff_t(i));
          if (f_groups.empty()) f_selected_region = 0;
        }
        break;
      }
    }
    if (!done) {
      for (TSelected_Unit& g : f_groups) {
        if (g.f_unit_type != u.unit_type || g.f_owner != u.owner || g.f_moves != u.moves || u.cargo_list != 0)
          continue;
        // A group that holds a transport with cargo takes nobody else either.
        if (g.f_cargo_load > 0) continue;
        g.f_unit_count += 1;
        g.f_order_count += 1;
        g.f_unit_ids.m_Add(u.id);
        if (u.moves == 0) g.f_order_count = 0;
        done = true;
        break;
      }
    }
    if (!done && !f_panel_full) new_group();
  }
  m_Layout_Group_Panel();
  m_Update_Group_Captions();
  m_Set_Help_Areas();
  return true;
}

void TDC_Main::m_Refresh_Selection() {
  const TMap_Region* region = G_Map ? G_Map->m_Get_Region(f_selected_region) : nullptr;
  if (!f_groups.empty() && region) {
    std::vector<std::int32_t> ids;
    for (const TSelected_Unit& g : f_groups)
      for (std::int32_t k = 1; k <= g.f_unit_ids.m_Count(); ++k) ids.push_back(g.f_unit_ids.m_Get(k));
    f_groups.clear();
    for (std::int32_t id : ids)
      if (region->m_Has_Unit_Id(id)) m_Toggle_Unit(id);
    if (f_groups.empty()) f_selected_region = 0;
  }
  m_Layout_Group_Panel();
  m_Update_Group_Captions();
  m_Set_Help_Areas();
}

void TDC_Main::m_Clear_Order() {
  f_selected_region = 0;
  f_groups.clear();
  f_highlighted.clear();
  f_path.clear();
  f_path_target = 0;
  f_order_mode = TOrder_Mode::None;
  f_order_prompt.clear();
  f_order_prompt_width = 0;
  f_landing_pending = false;
  f_landing_region = 0;
  f_landing_owner = 0;
  m_Layout_Group_Panel();
  m_Set_Help_Areas();
}

std::array<std::int32_t, 4> TDC_Main::m_Group_Row_Rect(std::int32_t i) const {
  if (i < 1 || i > std::int32_t(f_group_rows.size())) return {0, 0, 0, 0};
  return f_group_rows[std::size_t(i - 1)];
}

void TDC_Main::m_Get_Group_Arrow_Rects(std::int32_t i, std::array<std::int32_t, 4>& minus,
                                       std::array<std::int32_t, 4>& plus) const {
  const std::array<std::int32_t, 4> row = m_Group_Row_Rect(i);
  const std::int32_t right = f_panel_rect[0] + f_panel_rect[2];
  const std::int32_t top = row[1] + row[3] / 2 - 20;
  minus = {right - 105, top, 20, 40};
  plus = {right - 22, top, 20, 40};
}

void TDC_Main::m_Layout_Group_Panel() {
  f_group_rows.assign(f_groups.size(), {0, 0, 0, 0});
  f_group_arrows.assign(f_groups.size(), 0);
  if (f_groups.empty()) {
    f_panel_rect = {0, 0, 0, 0};
    f_panel_full = false;
    for (std::size_t i = 2; i < 11; ++i) m_Show_Control(*f_order_buttons[i], false);
    return;
  }
  std::int32_t height = 0;
  for (const TSelected_Unit& g : f_groups) height += Row_Height(World_Unit_Type(g.f_unit_type));
  f_panel_full = height > m_Height() - 292;
  // The column of order buttons beside the panel is 372 pixels high and
  // placed as a panel of at least that height would be; the panel itself is
  // only as high as its rows, so that the map below them stays in view and
  // takes its clicks.
  const std::int32_t x = f_x;
  const std::int32_t y = f_y + 44 + (m_Height() - 196) / 2 - std::max(height, Order_Column_Height) / 2;
  f_panel_rect = {x, y, 234, height};
  for (std::size_t i = 2; i < 11; ++i) {
    f_order_buttons[i]->m_Set_Position(f_order_buttons[i]->m_Name(), x + 234 + 2, y + 2 + 41 * std::int32_t(i - 2));
    m_Show_Control(*f_order_buttons[i], true);
  }
  std::int32_t top = y;
  for (std::size_t i = 0; i < f_groups.size(); ++i) {
    const TUnit_Type* t = World_Unit_Type(f_groups[i].f_unit_type);
    if (f_groups[i].f_unit_id == 0 || !t) continue;
    const std::int32_t h = Row_Height(t);
    f_group_rows[i] = {x, top, 234, h};
    top += h;
  }
}

void TDC_Main::m_Update_Group_Captions() {
  std::fill(f_group_arrows.begin(), f_group_arrows.end(), 0);
  TGui_Text_Link& fonts = Gui_Text_Link();
  fonts.m_Set_Font(2);
  for (TSelected_Unit& g : f_groups) {
    const std::vector<std::string> lines = Main_Group_Caption(g.f_order_count, g.f_unit_count);
    for (std::size_t k = 0; k < 3; ++k) {
      g.f_texts[k] = k < lines.size() ? lines[k] : std::string();
      std::int32_t w = 0, h = 0;
      if (!g.f_texts[k].empty()) fonts.m_Get_Text_Extents(g.f_texts[k], w, h);
      g.f_values[k] = w;
    }
  }
  m_Update_Order_Buttons();
}

void TDC_Main::m_Update_Order_Buttons() {
  const TMap_Region* region = G_Map ? G_Map->m_Get_Region(f_selected_region) : nullptr;
  const bool sea = region && region->m_Get_Type() == REGION_OCEAN;
  const std::array<bool, 9> on =
      Main_Order_Buttons_Enabled(f_groups, sea, f_order_mode, m_Get_Dialog("DC Main Transport Units") != nullptr);
  for (std::size_t i = 0; i < 9; ++i) f_order_buttons[i + 2]->m_Set_Enabled(on[i]);
}

void TDC_Main::m_Enter_Order_Mode(TOrder_Mode mode, const std::string& prompt) {
  f_order_mode = mode;
  f_order_prompt = prompt;
  TGui_Text_Link& fonts = Gui_Text_Link();
  fonts.m_Set_Font(3);
  std::int32_t h = 0;
  fonts.m_Get_Text_Extents(prompt, f_order_prompt_width, h);
  m_Build_Highlights();
  m_Update_Order_Buttons();
}

void TDC_Main::m_Order_Button_Click(const std::string& name) {
  if (name == "DC_MAIN_ORDER_BUTTON_1") m_Cycle_Unit_Group(false);
  else if (name == "DC_MAIN_ORDER_BUTTON_2") m_Cycle_Unit_Group(true);
  else if (name == "DC_MAIN_ORDER_BUTTON_3") m_Enter_Order_Mode(TOrder_Mode::Move, "Select Move Destination...");
  else if (name == "DC_MAIN_ORDER_BUTTON_4") m_Enter_Order_Mode(TOrder_Mode::Attack, "Select Attack Destination...");
  else if (name == "DC_MAIN_ORDER_BUTTON_5") m_Enter_Order_Mode(TOrder_Mode::Bombard, "Select Bombard Target...");
  else if (name == "DC_MAIN_ORDER_BUTTON_6") {
    m_Open_Dialog("DC Main Transport Units", 0, std::int32_t(TTransport_Mode::Load));
    m_Update_Order_Buttons();
  } else if (name == "DC_MAIN_ORDER_BUTTON_7") m_Enter_Order_Mode(TOrder_Mode::Land, "Select Landing Location...");
  else if (name == "DC_MAIN_ORDER_BUTTON_8")
    m_Show_Confirmation("Decommission Units", "Are you sure you want to decommission these units?",
                        TMessage_Kind::Decommission_Question);
  else if (name == "DC_MAIN_ORDER_BUTTON_9") m_Execute_Order(ORDER_SKIP, 0, 0, 0);
  else if (name == "DC_MAIN_ORDER_BUTTON_10") {
    f_order_mode = TOrder_Mode::None;
    f_order_prompt.clear();
    f_order_prompt_width = 0;
    f_path.clear();
    f_path_target = 0;
    f_landing_pending = false;
    f_landing_region = 0;
    f_landing_owner = 0;
    m_Build_Highlights();
    m_Update_Order_Buttons();
  } else if (name == "DC_MAIN_ORDER_BUTTON_11") m_Clear_Order();
}

void TDC_Main::m_Build_Highlights() {
  f_highlighted.clear();
  f_path.clear();
  if (!G_Map) return;
  const std::uint8_t player = Game_Settings.f_turn_empire;
  bool first = true;
  for (const TSelected_Unit& g : f_groups) {
    const TUnit_Type* t = World_Unit_Type(g.f_unit_type);
    if (g.f_unit_id == 0 || g.f_owner == 0 || g.f_order_count < 1 || !t) continue;
    std::vector<std::int32_t> targets, steps;
    switch (f_order_mode) {
      case TOrder_Mode::Move:
      case TOrder_Mode::Attack:
        targets = Order_Desk_Reachable_Regions(g.f_unit_id, f_selected_region, std::uint8_t(f_order_mode), player);
        break;
      case TOrder_Mode::Bombard:
        G_Map->m_Get_Reach_By_Terrain(f_selected_region, 1, targets, t->f_ranged_fire_range);
        break;
      case TOrder_Mode::Land:
        G_Map->m_Get_Move_Range(f_selected_region, UNIT_MOVEMENT_LAND, steps, targets, ORDER_LAND, player, 1);
        break;
      default:
        break;
    }
    if (first) {
      f_highlighted = targets;
      first = false;
    } else {
      Main_Intersect_Regions(f_highlighted, targets);
    }
  }
  if (f_highlighted.size() > std::size_t(Max_Region_List)) f_highlighted.resize(std::size_t(Max_Region_List));
}

void TDC_Main::m_Cycle_Unit_Group(bool next) {
  if (!G_Map) return;
  const std::uint8_t player = Game_Settings.f_turn_empire;
  const std::int32_t current_region = f_selected_region;
  const std::uint16_t current_type = f_groups.empty() ? 0 : f_groups.front().f_unit_type;
  std::vector<std::int32_t> regions;
  std::vector<std::uint16_t> types;
  G_Map->m_Get_Player_Units(player, true, regions, types);
  std::vector<std::pair<std::int32_t, std::uint16_t>> pairs;
  for (std::size_t i = 0; i < regions.size() && i < types.size(); ++i) {
    const std::pair<std::int32_t, std::uint16_t> p{regions[i], types[i]};
    if (std::find(pairs.begin(), pairs.end(), p) == pairs.end()) pairs.push_back(p);
  }
  if (pairs.empty()) return;
  std::size_t chosen = next ? 0 : pairs.size() - 1;
  if (current_region != 0 && current_type != 0) {
    const auto it = std::find(pairs.begin(), pairs.end(), std::make_pair(current_region, current_type));
    if (it != pairs.end()) {
      const std::size_t at = std::size_t(it - pairs.begin());
      chosen = next ? (at + 1) % pairs.size() : (at + pairs.size() - 1) % pairs.size();
    }
  }
  m_Clear_Order();
  const TMap_Region* region = G_Map->m_Get_Region(pairs[chosen].first);
  if (!region) return;
  for (std::int32_t id : region->m_List_Units_Of_Type(pairs[chosen].second, player)) m_Toggle_Unit(id);
  const TRegion_Label_Values& label = region->m_Get_Label_Values();
  m_Center_Camera_On({float(label.centre_x), float(G_Map->m_Get_Pixel_Height() - label.centre_y),
                      Game_Settings.f_camera_eye.z});
}

bool TDC_Main::m_Map_Point_On_Screen(float x, float y, float& sx, float& sy) {
  return G_Map_Point_To_Screen(x, y, sx, sy);
}

// --- map input -------------------------------------------------------------------

void TDC_Main::m_On_Mouse_Down(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y) {
  if (f_screen_mode == TScreen_Mode::Battle) {
    (void)button;
    (void)shift;
    Combat_Mouse_Click(x, y);
    return;
  }
  if (f_screen_mode != TScreen_Mode::Map || !m_Local_Players_Turn() || !G_Map) return;
  // 1. the arrows of the unit-group panel
  if (m_Hovered() && !f_panels_locked && !f_groups.empty() &&
      Main_Hit(x, y, f_panel_rect[0], f_panel_rect[1], f_panel_rect[2], f_panel_rect[3])) {
    for (std::int32_t i = 1; i <= std::int32_t(f_groups.size()); ++i) {
      std::array<std::int32_t, 4> minus, plus;
      m_Get_Group_Arrow_Rects(i, minus, plus);
      const TSelected_Unit& g = f_groups[std::size_t(i - 1)];
      const bool ten = (shift & SS_SHIFT) != 0;
      if (Main_Hit(x, y, minus[0], minus[1], minus[2], minus[3]) && g.f_order_count > 0)
        f_group_arrows[std::size_t(i - 1)] = ten ? 3 : 1;
      else if (Main_Hit(x, y, plus[0], plus[1], plus[2], plus[3]) && g.f_order_count < g.f_unit_count)
        f_group_arrows[std::size_t(i - 1)] = ten ? 4 : 2;
    }
    return;
  }
  float px = 0, py = 0;
  const bool on_map = G_Screen_To_Map_Point(float(x), float(y), px, py);
  const std::int32_t region =
      on_map ? G_Map->m_Get_Region_At(std::int32_t(px), std::int32_t(float(G_Map->m_Get_Pixel_Height()) - py)) : 0;
  // 2. the target of an order
  if (f_order_mode != TOrder_Mode::None && !f_panels_locked && on_map) {
    if (region > 0 && m_Execute_Order(std::uint8_t(f_order_mode), region, 0, 0)) return;
  }
  // 3. a stack joins or leaves the selection
  if (!f_panels_locked && on_map && f_order_mode == TOrder_Mode::None) {
    std::int32_t unit_id = 0;
    if (G_Map->m_Get_Unit_At_Point(px, py, unit_id) && unit_id > 0) {
      TMap_Unit_Record u;
      G_Map->m_Get_Unit(unit_id, u);
      const TMap_Region* r = G_Map->m_Get_Region(u.region);
      if (r && !G_Map->m_Is_Combat_Region(u.region) && u.owner == Game_Settings.f_turn_empire) {
        for (std::int32_t id : r->m_List_Units_Of_Type(u.unit_type, u.owner)) m_Toggle_Unit(id);
        return;
      }
    }
  }
  // 4. the region where a purchase goes
  if ((m_Get_Dialog("DC Main Purchases List") || m_Get_Dialog("DC Main Purchases Items")) && on_map) {
    f_purchase_target = 0;
    if (std::find(f_highlighted.begin(), f_highlighted.end(), region) != f_highlighted.end())
      f_purchase_target = region;
  }
}

void TDC_Main::m_On_Mouse_Up(TMouse_Button, TShift_State, std::int32_t, std::int32_t, bool) {
  if (f_screen_mode != TScreen_Mode::Map || !m_Local_Players_Turn()) return;
  bool changed = false;
  for (std::size_t i = 0; i < f_groups.size() && i < f_group_arrows.size(); ++i) {
    TSelected_Unit& g = f_groups[i];
    switch (f_group_arrows[i]) {
      case 1: g.f_order_count = std::max(0, g.f_order_count - 1); break;
      case 2: g.f_order_count = std::min(g.f_unit_count, g.f_order_count + 1); break;
      case 3: g.f_order_count = std::max(0, g.f_order_count - 10); break;
      case 4: g.f_order_count = std::min(g.f_unit_count, g.f_order_count + 10); break;
      default: continue;
    }
    f_group_arrows[i] = 0;
    changed = true;
  }
  if (changed) m_Update_Group_Captions();
}

void TDC_Main::m_On_Double_Click(std::int32_t x, std::int32_t y) {
  // A double click on the purchase target adds the current purchase item.
  if (f_screen_mode != TScreen_Mode::Map || !m_Local_Players_Turn() || f_purchase_target == 0 || !G_Map) return;
  auto* items = dynamic_cast<TDC_Main_Purchases_Items*>(m_Get_Dialog("DC Main Purchases Items"));
  float px = 0, py = 0;
  if (!items || !G_Screen_To_Map_Point(float(x), float(y), px, py)) return;
  if (G_Map->m_Get_Region_At(std::int32_t(px), std::int32_t(float(G_Map->m_Get_Pixel_Height()) - py)) ==
      f_purchase_target)
    items->m_Click_Add();
}

bool TDC_Main::m_On_Key_Down(std::uint16_t& key, TShift_State shift) {
  auto* chat = dynamic_cast<TDC_Main_Chat*>(m_Get_Dialog("DC Main Chat"));
  const bool chat_visible = chat && chat->m_Visible();
  if (key == 13 && Network_Game() && chat && !chat_visible) {
    chat->m_Set_Visible(true);
    chat->m_Focus_Edit();
    return true;
  }
  if (chat_visible && key >= 32 && key <= 125) return false;
  // Esc with a drop-down list open on a panel closes only the list.
  if (key == 27 && Combobox_Close_Open_List(*this)) return true;
  const float step = m_Camera_Step(shift);
  if (step != 0.0f) {
    TVector move;
    bool camera = true;
    switch (key) {
      case 37: move.x = -step; break;
      case 39: move.x = step; break;
      case 38: move.y = step; break;
      case 40: move.y = -step; break;
      case 107: move.z = step; break;
      case 109: move.z = -step; break;
      default: camera = false; break;
    }
    if (camera) {
      const TVector eye = Game_Settings.f_camera_eye, look_at = Game_Settings.f_camera_look_at;
      m_Set_Camera({eye.x + move.x, eye.y + move.y, eye.z + move.z},
                   {look_at.x + move.x, look_at.y + move.y, look_at.z + move.z}, false, Game_Settings.f_camera_up);
      return true;
    }
  }
  if (f_screen_mode == TScreen_Mode::Battle) {
    const char* name = key == 79 ? "Combat Main Button 1" : key == 87 ? "Combat Main Button 2"
                                                          : key == 69 ? "Combat Main Button 3" : nullptr;
    TDC_Button* b = name ? m_Button(name) : nullptr;
    if (b && b->m_Visible() && b->m_Enabled()) {
      m_Combat_Main_Button_Click(name);
      return true;
    }
    return false;
  }
  if (f_screen_mode != TScreen_Mode::Map || !m_Local_Players_Turn()) return false;
  const std::string name = Main_Shortcut_Button(key);
  TDC_Button* b = name.empty() ? nullptr : m_Button(name);
  if (!b || !b->m_Visible() || !b->m_Enabled()) return false;
  if (name.rfind("DC_MAIN_MAIN_BUTTON_", 0) == 0)
    m_Main_Button_Click(name);
  else
    m_Order_Button_Click(name);
  return true;
}

// --- orders ------------------------------------------------------------------------

TDC_Main_Transport_Units* TDC_Main::m_Transport_Panel() const {
  return dynamic_cast<TDC_Main_Transport_Units*>(m_Get_Dialog("DC Main Transport Units"));
}

void TDC_Main::m_Trim_Path(std::uint8_t player) {
  if (G_Map) G_Map->m_Trim_Path(f_path, player);
}

bool TDC_Main::m_Execute_Order(std::uint8_t kind, std::int32_t region, std::int32_t sub_kind, std::int32_t row) {
  if (!G_Map || !Master_Action_Timer) return false;
  switch (kind) {
    case ORDER_MOVE:
    case ORDER_ATTACK: return m_Order_Move(kind, region);
    case ORDER_BOMBARD: return m_Order_Bombard(region);
    case ORDER_LOAD:
    case ORDER_UNLOAD: return m_Order_Cargo(kind, sub_kind, row);
    case ORDER_LAND:
      if (sub_kind == 1) return m_Order_Cargo(kind, sub_kind, row);
      if (std::find(f_highlighted.begin(), f_highlighted.end(), region) == f_highlighted.end()) return false;
      if (const TMap_Region* r = G_Map->m_Get_Region(region)) {
        f_landing_pending = true;
        f_landing_region = region;
        f_landing_owner = r->m_Get_Owner();
        f_order_prompt.clear();
        f_order_prompt_width = 0;
        m_Open_Dialog("DC Main Transport Units", 0, std::int32_t(TTransport_Mode::Land));
        m_Update_Order_Buttons();
        return true;
      }
      return false;
    case ORDER_DECOMMISSION: m_Order_Decommission(); return true;
    case ORDER_SKIP: m_Order_Skip(); return true;
    default: return false;
  }
}

bool TDC_Main::m_Order_Move(std::uint8_t kind, std::int32_t region) {
  (void)kind;
  if (f_path.empty() || !G_Map->m_Get_Region(region) || f_groups.empty()) return false;
  const std::uint8_t player = Game_Settings.f_turn_empire;
  m_Trim_Path(player);
  std::int32_t previous = 0;
  for (const TSelected_Unit& g : f_groups) {
    if (g.f_order_count <= 0 || g.f_moves == 0) continue;
    // Each group's chain waits for the one before it (here; a network game
    // plays the legs in the order the host relays them).
    const TPost_Result posted =
        Game_Command_Post(TCommand_Move{f_selected_region, f_path, g.f_unit_type, g.f_owner, Chosen_Ids(g)},
                          TCommand_Origin::Player, {previous, true});
    if (posted.last_action != 0) previous = posted.last_action;
  }
  m_Clear_Order();
  return true;
}

bool TDC_Main::m_Order_Bombard(std::int32_t region) {
  if (std::find(f_highlighted.begin(), f_highlighted.end(), region) == f_highlighted.end()) return false;
  if (!G_Map->m_Get_Region(region) || f_groups.empty()) return false;
  for (const TSelected_Unit& g : f_groups) {
    const TUnit_Type* t = World_Unit_Type(g.f_unit_type);
    if (g.f_order_count <= 0 || !t || (g.f_moves == 0 && !t->m_Has_Special_Ability(6))) continue;
    const std::vector<std::int32_t> ids = Chosen_Ids(g);
    std::int32_t damage = 0;
    std::vector<TBombard_Damage_Record> records;
    Order_Desk_Calc_Bombard_Damage(ids, region, damage, records);
    Game_Command_Post(TCommand_Bombard{f_selected_region, region, g.f_unit_type, g.f_owner, ids, damage, records});
    m_Clear_Order();
    return true;
  }
  return false;
}

bool TDC_Main::m_Order_Cargo(std::uint8_t kind, std::int32_t sub_kind, std::int32_t row) {
  TDC_Main_Transport_Units* panel = m_Transport_Panel();
  if (!panel) return false;
  const std::uint8_t player = Game_Settings.f_turn_empire;
  bool done = false;
  if (kind == ORDER_LOAD) {
    // The unit goes into the transport chosen in the panel.
    const std::int32_t unit = panel->m_Get_Cargo_Unit(row);
    const std::int32_t source = panel->m_Get_Cargo_Region(row);
    const std::int32_t transport = panel->m_Get_Transport_Unit(panel->m_Selected_Transport());
    if (unit == 0 || transport == 0) return false;
    TMap_Unit_Record tr, u;
    G_Map->m_Get_Unit(transport, tr);
    G_Map->m_Get_Unit(unit, u);
    done = tr.id != 0 && u.id != 0 && tr.owner == player && u.owner == player &&
           Game_Command_Post(TCommand_Load{source, player, transport, unit}).accepted;
  } else {
    const std::int32_t transport = panel->m_Get_Transport_Parent(row);
    const std::int32_t unit = panel->m_Get_Transport_Unit(row);
    const bool landing = kind == ORDER_LAND && sub_kind == 1;
    const std::int32_t region = landing ? f_landing_region : panel->m_Get_Transport_Region(row);
    if (transport == 0 || unit == 0 || region == 0) return false;
    // A unit that cannot stand where the transport is (a land unit at sea)
    // stays on board: the player is told why and what to do instead.
    TMap_Unit_Record cargo;
    G_Map->m_Get_Unit(unit, cargo);
    const TUnit_Type* type = World_Unit_Type(cargo.unit_type);
    const TMap_Region* target = G_Map->m_Get_Region(region);
    if (type && target && !type->m_Can_Move_In_Region_Kind(target->m_Get_Type())) {
      m_Add_Notice(target->m_Get_Type() == 2
                       ? type->f_display_name + " cannot be unloaded at sea: use Land to put it ashore next to the transport."
                       : type->f_display_name + " cannot be unloaded in " + target->m_Get_Name() + ".");
      return false;
    }
    done = Game_Command_Post(TCommand_Unload{region, player, transport, unit, landing}).accepted;
  }
  if (done) panel->m_Refresh();
  return done;
}

void TDC_Main::m_Order_Decommission() {
  if (f_groups.empty()) return;
  std::vector<std::int32_t> ids;
  for (const TSelected_Unit& g : f_groups)
    for (std::int32_t id : Chosen_Ids(g)) ids.push_back(id);
  const std::uint8_t owner = f_groups.front().f_owner;
  if (!ids.empty()) Game_Command_Post(TCommand_Decommission{f_selected_region, owner, ids});
  m_Clear_Order();
}

void TDC_Main::m_Order_Skip() {
  std::vector<std::int32_t> ids;
  for (const TSelected_Unit& g : f_groups)
    for (std::int32_t id : Chosen_Ids(g)) ids.push_back(id);
  if (!ids.empty()) Game_Command_Post(TCommand_Set_Movement{ids});
  // A network game changes the moves when the host relays the command.
  if (Network_Game()) return;
  std::vector<std::int32_t> all;
  for (const TSelected_Unit& g : f_groups)
    for (std::int32_t k = 1; k <= g.f_unit_ids.m_Count(); ++k) all.push_back(g.f_unit_ids.m_Get(k));
  m_Clear_Order();
  for (std::int32_t id : all) m_Toggle_Unit(id);
}

void TDC_Main::m_Update_Path_Preview(float) {
  if (f_order_mode != TOrder_Mode::Move && f_order_mode != TOrder_Mode::Attack && f_order_mode != TOrder_Mode::Land)
    return;
  if (f_landing_pending || !G_Map) return;
  if (f_selected_region == 0) {
    f_path.clear();
    f_path_target = 0;
    return;
  }
  float px = 0, py = 0;
  if (!G_Screen_To_Map_Point(float(G_Mouse_X), float(G_Mouse_Y), px, py)) return;
  const std::int32_t region =
      G_Map->m_Get_Region_At(std::int32_t(px), std::int32_t(float(G_Map->m_Get_Pixel_Height()) - py));
  if (region < 1 || region == f_selected_region || region == f_path_target) return;
  if (std::find(f_highlighted.begin(), f_highlighted.end(), region) == f_highlighted.end()) return;
  f_path_target = region;
  G_Map->m_Find_Path(f_selected_region, region, f_path, Game_Settings.f_turn_empire, std::uint8_t(f_order_mode),
                     f_highlighted,
                     std::int32_t(f_highlighted.size()));
}

std::int32_t TDC_Main::m_Draw_Path() {
  if (f_order_mode != TOrder_Mode::Move && f_order_mode != TOrder_Mode::Attack && f_order_mode != TOrder_Mode::Land)
    return 0;
  if (f_path.empty() || !G_Map) return 0;
  const float h = float(G_Map->m_Get_Pixel_Height());
  std::int32_t from = f_selected_region;
  for (std::int32_t to : f_path) {
    const TMap_Region* a = G_Map->m_Get_Region(from);
    const TMap_Region* b = G_Map->m_Get_Region(to);
    if (a && b) {
      const TRegion_Label_Values& la = a->m_Get_Label_Values();
      const TRegion_Label_Values& lb = b->m_Get_Label_Values();
      Display_Draw_Move_Arrow(float(la.label_x), h - float(la.label_y), float(lb.label_x), h - float(lb.label_y));
    }
    from = to;
  }
  return f_path.back();
}

// --- end of turn and the main buttons ------------------------------------------------

void TDC_Main::m_Main_Button_Click(const std::string& name) {
  if (name == "DC_MAIN_MAIN_BUTTON_1") m_Open_Dialog("Dlg Game Menu", 0, 0);
  else if (name == "DC_MAIN_MAIN_BUTTON_2") m_Open_Dialog("Dlg Purchases", 0, 0);
  else if (name == "DC_MAIN_MAIN_BUTTON_3") m_Open_Dialog("Dlg Statistics", 0, 0);
  else if (name == "DC_MAIN_MAIN_BUTTON_5") m_Open_Dialog("Dlg Log", 0, 0);
  else if (name == "DC_MAIN_MAIN_BUTTON_6" && m_Can_End_Turn()) m_End_Turn();
}

bool TDC_Main::m_Can_End_Turn() {
  if (!G_Map) return true;
  const std::uint8_t player = Game_Settings.f_turn_empire;
  bool can = true;
  if (G_Map->m_Count_Combat_Regions_Of(player) > 0) {
    m_Show_Message("Cannot End Turn", "You cannot end your turn until all combats have been resolved.",
                   TMessage_Kind::Plain);
    can = false;
  }
  if (G_Map->m_Has_Air_Units_Over_Foreign_Regions(player)) {
    m_Show_Confirmation("Crashing Air Units",
                        "Air units not over friendly territory will crash and be destroyed. Are you sure you want "
                        "to end your turn and let these units crash?",
                        TMessage_Kind::End_Turn_Question);
    can = false;
  }
  return can;
}

void TDC_Main::m_End_Turn() {
  m_Clear_Notices();
  // The other players' turns show their own moves: the ended turn's
  // selection and order prompt go.
  m_Clear_Order();
  if (!Network_Game()) m_Enable_Side_Panels();
  if (Master_Action_Timer && G_Map) Game_Command_Post(TCommand_End_Turn{Game_Settings.f_turn_empire});
  if (f_on_end_turn) f_on_end_turn();
}

void TDC_Main::m_Show_Turn_Status() {
  const std::uint8_t n = Game_Settings.f_turn_empire;
  const bool mine = n == m_Local_Player();
  if (mine) {
    m_Set_Status_Text("", false);
  } else {
    const TEmpire* e = G_Empire_List ? G_Empire_List->m_Get_Empire(n) : nullptr;
    m_Set_Status_Text(e && e->m_Get_Neutral() ? std::string("Neutral players taking turn...")
                                              : "Player " + Int_To_Text(n) + " taking turn...",
                      false);
  }
  for (auto& b : f_main_buttons) b->m_Set_Enabled(mine);
  f_order_buttons[0]->m_Set_Enabled(mine);
  f_order_buttons[1]->m_Set_Enabled(mine);
  for (auto& b : f_combat_region_buttons) b->m_Set_Visible(mine);
}

void TDC_Main::m_Set_Help_Areas() {
  // Help for what the screen draws itself (the controls carry their own):
  // the status bar, the unit-group panel, the battle's header. Areas never
  // overlap: the pop-up shows one entry at a time, and two areas under the
  // mouse would take turns and never stay long enough to show.
  constexpr std::int32_t Main_Group = 9, Select_Group = 10, Combat_Group = 19;
  m_Clear_Help_Areas();
  auto area = [this](std::int32_t group, std::int32_t entry, std::int32_t x, std::int32_t y, std::int32_t w,
                     std::int32_t h) {
    // The area takes its right and bottom edges in: a pixel less keeps
    // neighbours apart.
    if (w > 1 && h > 1) m_Add_Help_Area(1, group, entry, "", 0, x - f_x, y - f_y, w - 1, h - 1);
  };
  if (f_screen_mode == TScreen_Mode::Map) {
    area(Main_Group, 1, f_x + 2, f_y + 2, 180, 16);
    area(Main_Group, 2, f_x + 185, f_y + 2, 70, 16);
    area(Main_Group, 3, f_x + 2, f_y + 25, 180, 16);
    area(Main_Group, 4, f_x + 185, f_y + 25, 70, 16);
    if (f_selected_region == 0 || f_groups.empty()) return;
    // Each group's row: the group itself left of its arrows, the arrows and
    // the count between them.
    std::int32_t rows_bottom = f_panel_rect[1];
    for (std::int32_t i = 1; i <= std::int32_t(f_groups.size()); ++i) {
      const std::array<std::int32_t, 4> row = m_Group_Row_Rect(i);
      if (row[3] <= 0) continue;
      std::array<std::int32_t, 4> minus{}, plus{};
      m_Get_Group_Arrow_Rects(i, minus, plus);
      area(Select_Group, 1, row[0], row[1], minus[0] - row[0], row[3]);
      area(Select_Group, 2, minus[0], minus[1], minus[2], minus[3]);
      area(Select_Group, 3, minus[0] + 21, minus[1], 63, minus[3]);
      area(Select_Group, 4, plus[0], plus[1], plus[2], plus[3]);
      rows_bottom = std::max(rows_bottom, row[1] + row[3]);
    }
    // The rest of the panel below the rows.
    const std::int32_t panel_bottom = f_panel_rect[1] + f_panel_rect[3];
    area(Select_Group, 1, f_panel_rect[0], rows_bottom, f_panel_rect[2], panel_bottom - rows_bottom);
  } else if (f_screen_mode == TScreen_Mode::Battle) {
    area(Combat_Group, 1, f_x + 3, f_y + 2, 228, 16);
    area(Combat_Group, 2, f_x + 3, f_y + 22, 228, 16);
    area(Combat_Group, 3, f_x + 250, f_y + 5, 144, 13);
    area(Combat_Group, 4, f_x + 250, f_y + 25, 144, 13);
    area(Combat_Group, 8, f_x + 570, f_y, m_Width() - 570, 64);
  }
}

// --- combat-region buttons --------------------------------------------------------------

TDC_Button* TDC_Main::m_Combat_Region_Button(std::int32_t i) const {
  if (i < 1 || i > std::int32_t(f_combat_region_buttons.size())) return nullptr;
  return f_combat_region_buttons[std::size_t(i - 1)].get();
}

void TDC_Main::m_Update_Combat_Buttons() {
  if (!G_Map) return;
  const std::int32_t count = G_Map->m_Get_Combat_Region_Count();
  if (count != std::int32_t(f_combat_region_buttons.size())) {
    for (auto& b : f_combat_region_buttons) Remove_Child_Control(b.get());
    f_combat_region_buttons.clear();
    f_combat_button_regions.clear();
    const bool busy = Master_Action_Timer && (Master_Action_Timer->m_Has_Action_Type(1) ||
                                              Master_Action_Timer->m_Has_Action_Type(2));
    if (!busy && m_Local_Players_Turn()) {
      for (std::int32_t n = 1; n <= count; ++n) {
        auto b = std::make_unique<TDC_Button>();
        b->m_Set_Style(6, 40, 40, 20, n);
        b->m_Set_Position("Combat Button " + Int_To_Text(n), 0, 0);
        b->m_Set_Help_Ref(1, 9, 14, "", 0);
        b->OnClick = [this](const std::string& name, TMouse_Button, TShift_State) { m_Combat_Button_Click(name); };
        b->m_Set_Visible(false);
        Add_Child_Control(b.get());
        f_combat_region_buttons.push_back(std::move(b));
        f_combat_button_regions.push_back(G_Map->m_Get_Combat_Region(n));
      }
    }
  }
  const bool hide =
      m_Get_Dialog("DC Main Transport Units") || f_selected_region != 0 || f_order_mode != TOrder_Mode::None;
  float mx = 0, my = 0;
  const std::int32_t mouse_region =
      G_Screen_To_Map_Point(float(G_Mouse_X), float(G_Mouse_Y), mx, my)
          ? G_Map->m_Get_Region_At(std::int32_t(mx), std::int32_t(float(G_Map->m_Get_Pixel_Height()) - my))
          : 0;
  const TEmpire* turn = G_Empire_List ? G_Empire_List->m_Get_Empire(Game_Settings.f_turn_empire) : nullptr;
  const bool computer = turn && turn->m_Get_Computer_Controlled();
  TGui_Text_Link& fonts = Gui_Text_Link();
  for (std::size_t i = 0; i < f_combat_region_buttons.size(); ++i) {
    TDC_Button& b = *f_combat_region_buttons[i];
    const std::int32_t region = f_combat_button_regions[i];
    const TMap_Region* r = G_Map->m_Get_Region(region);
    if (hide || !r) {
      b.m_Set_Visible(false);
      continue;
    }
    const TRegion_Label_Values& l = r->m_Get_Label_Values();
    float sx = 0, sy = 0;
    const bool in_view =
        G_Map_Point_To_Screen(float(l.label_x), float(G_Map->m_Get_Pixel_Height() - l.label_y), sx, sy);
    if (!in_view) {
      b.m_Set_Visible(false);
      continue;
    }
    const std::int32_t x = std::int32_t(sx) - 20, y = std::int32_t(sy);
    b.m_Set_Position("Combat Button " + Int_To_Text(std::int32_t(i) + 1), x, y);
    const bool show = r->m_Get_Visible() && mouse_region == region && !computer;
    b.m_Set_Visible(show);
    b.m_Set_Enabled(show);
    if (show) {
      G_Draw_2D_Color_Part(Panel_Grey, {x - 4, y - 4, x - 4 + 220, y - 4 + 48}, false, true);
      fonts.m_Set_Font(3);
      fonts.m_Draw_Text_Shadowed(x + 48, y + 8, "Begin Combat...");
    }
  }
}

void TDC_Main::m_Combat_Button_Click(const std::string& name) {
  // The number is everything after the name's prefix.
  const std::string prefix = "Combat Button ";
  if (name.rfind(prefix, 0) != 0 || !G_Map) return;
  double value = 0;
  const std::string digits = Text_Trim(name.substr(prefix.size()));
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 6) return;
  value = std::stod(digits);
  const std::int32_t n = std::int32_t(value);
  if (n < 1 || n > G_Map->m_Get_Combat_Region_Count()) return;
  if (Master_Action_Timer &&
      (Master_Action_Timer->m_Has_Action_Type(1) || Master_Action_Timer->m_Has_Action_Type(2)))
    return;
  const std::int32_t region = G_Map->m_Get_Combat_Region(n);
  bool show = false;
  if (Game_Kind() == TGame_Kind::Hot_Seat) {
    if (const TMap_Region* r = G_Map->m_Get_Region(region)) {
      std::uint8_t a = 0, b = 0;
      r->m_Get_Unit_Owners(a, b);
      const TEmpire* ea = G_Empire_List ? G_Empire_List->m_Get_Empire(a) : nullptr;
      const TEmpire* eb = G_Empire_List ? G_Empire_List->m_Get_Empire(b) : nullptr;
      show = ea && eb && !ea->m_Get_Computer_Controlled() && !eb->m_Get_Computer_Controlled();
    }
  }
  Combat_Begin(region, false, show);
}

void TDC_Main::m_Combat_Main_Button_Click(const std::string& name) { Combat_Button_Click(name); }

void TDC_Main::m_Enable_Combat_Buttons(bool enabled) {
  f_combat_buttons[1]->m_Set_Enabled(enabled);
  f_combat_buttons[2]->m_Set_Enabled(enabled);
}

// --- locks ------------------------------------------------------------------------------

void TDC_Main::m_Game_Over(std::uint8_t player) {
  f_panels_locked = true;
  for (std::size_t i : {0u, 2u, 3u, 4u}) f_main_buttons[i]->m_Set_Enabled(true);
  f_main_buttons[1]->m_Set_Enabled(false);
  m_Open_Dialog("Dlg Game Over", 0, player);
}

void TDC_Main::m_Enable_Side_Panels() {
  f_panels_locked = false;
  for (auto& b : f_main_buttons) b->m_Set_Enabled(true);
}

void TDC_Main::m_Lock_Panels(bool menu_button_enabled) {
  m_Set_Status_Text("", false);
  f_panels_locked = true;
  for (auto& b : f_main_buttons) b->m_Set_Enabled(false);
  f_order_buttons[0]->m_Set_Enabled(false);
  f_order_buttons[1]->m_Set_Enabled(false);
  for (auto& b : f_combat_region_buttons) b->m_Set_Visible(false);
  if (menu_button_enabled) f_main_buttons[0]->m_Set_Enabled(true);
}

void TDC_Main::m_Unlock_Panels() {
  m_Set_Status_Text("", false);
  f_panels_locked = false;
  for (auto& b : f_main_buttons) b->m_Set_Enabled(true);
  f_order_buttons[0]->m_Set_Enabled(true);
  f_order_buttons[1]->m_Set_Enabled(true);
  for (auto& b : f_combat_region_buttons) b->m_Set_Visible(true);
}

// --- drawing of the selection -------------------------------------------------------------

void TDC_Main::m_Draw_Unit_Icon(std::uint16_t unit_type, TColor colour, std::int32_t x, std::int32_t y,
                                std::int32_t width, std::int32_t height, bool show_capacity, bool show_moves,
                                std::int32_t capacity, std::int32_t cargo_load, std::int32_t moves) {
  if (G_Map && g_tg_texture_list) {
    const std::int32_t texture = G_Map->m_Get_Unit_Type_Texture(unit_type);
    g_tg_texture_list->m_Draw_All_Blend({x, y, x + width, y + height}, texture, true, 5, 6, colour);
  }
  if (show_capacity) {
    std::int32_t sx = x + width - 6, sy = y + height - 6;
    for (std::int32_t i = 0; i < capacity && i < 200; ++i) {
      G_Draw_2D_Color_Part(i < cargo_load ? Make_Color(255, 255, 255) : Make_Color(40, 80, 255),
                           {sx, sy, sx + 4, sy + 4}, false, false);
      sx -= 6;
      if (sx < x) {
        sx = x + width - 6;
        sy -= 6;
      }
    }
  }
  if (show_moves) {
    std::int32_t sx = x + 2;
    for (std::int32_t i = 0; i < moves && sx + 4 <= x + width; ++i, sx += 6)
      G_Draw_2D_Color_Part(Make_Color(40, 220, 40), {sx, y + height - 6, sx + 4, y + height - 2}, false, false);
  }
}

void TDC_Main::m_Draw_Group_Panel() {
  if (f_groups.empty()) return;
  const auto& p = f_panel_rect;
  G_Draw_2D_Color_Part(Panel_Grey, {p[0], p[1], p[0] + p[2], p[1] + p[3]}, false, true);
  G_Draw_2D_Color_Part(Panel_Grey, {p[0] + p[2], p[1], p[0] + p[2] + 44, p[1] + Order_Column_Height}, false, true);
  const TEmpire* turn = G_Empire_List ? G_Empire_List->m_Get_Empire(Game_Settings.f_turn_empire) : nullptr;
  const TColor tint = turn ? turn->m_Get_Color() : Make_Color(255, 255, 255);
  TGui_Text_Link& fonts = Gui_Text_Link();
  for (std::int32_t i = 1; i <= std::int32_t(f_groups.size()); ++i) {
    const TSelected_Unit& g = f_groups[std::size_t(i - 1)];
    const TUnit_Type* t = World_Unit_Type(g.f_unit_type);
    const std::array<std::int32_t, 4> row = m_Group_Row_Rect(i);
    if (!t || row[3] == 0) continue;
    const std::int32_t w = 32 * std::max<std::int32_t>(1, t->f_square_size_width);
    const std::int32_t h = 32 * std::max<std::int32_t>(1, t->f_square_size_height);
    const std::int32_t top = row[3] == 42 ? row[1] + 42 - h : row[1];
    m_Draw_Unit_Icon(g.f_unit_type, tint, row[0], top, w, h, true, true, g.f_transport_capacity, g.f_cargo_load,
                     g.f_moves);
    fonts.m_Set_Font(2);
    fonts.m_Set_Color(Make_Color(255, 255, 255));
    const std::int32_t right = p[0] + p[2] - 54;
    if (g.f_texts[1].empty()) {
      fonts.m_Draw_Text(right - g.f_values[0], row[1] + row[3] / 2 - 6, g.f_texts[0]);
    } else {
      for (int k = 0; k < 3; ++k)
        fonts.m_Draw_Text(right - g.f_values[std::size_t(k)], row[1] + row[3] / 2 - 16 + 10 * k,
                          g.f_texts[std::size_t(k)]);
    }
    std::array<std::int32_t, 4> minus, plus;
    m_Get_Group_Arrow_Rects(i, minus, plus);
    const std::uint8_t armed = i - 1 < std::int32_t(f_group_arrows.size()) ? f_group_arrows[std::size_t(i - 1)] : 0;
    for (int side = 0; side < 2; ++side) {
      const auto& r = side == 0 ? minus : plus;
      const bool over = Main_Hit(G_Mouse_X, G_Mouse_Y, r[0], r[1], r[2], r[3]);
      const bool pressed = side == 0 ? (armed == 1 || armed == 3) : (armed == 2 || armed == 4);
      G_Draw_2D_Color_Part(pressed ? Make_Color(200, 200, 60, 200)
                           : over  ? Make_Color(180, 180, 180, 160)
                                   : Make_Color(120, 120, 120, 120),
                           {r[0], r[1], r[0] + r[2], r[1] + r[3]}, false, true);
      fonts.m_Set_Font(3);
      fonts.m_Draw_Text_Shadowed(r[0] + 5, r[1] + 11, side == 0 ? "-" : "+");
    }
  }
}

void TDC_Main::m_Draw_Map_Overlays() {
  if (f_order_mode != TOrder_Mode::None) {
    TGui_Text_Link& fonts = Gui_Text_Link();
    fonts.m_Set_Font(3);
    fonts.m_Draw_Text_Shadowed(f_x + m_Width() / 2 - f_order_prompt_width / 2, f_y + 50, f_order_prompt);
  }
}
