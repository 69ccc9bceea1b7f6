// The main screen's info box: the texts, lists and unit pictures that
// describe the unit, group, stack, unit type, technology area or region
// under the pointer, built once when the subject changes and drawn every
// frame along the bottom of the screen.
#include <algorithm>

#include "Combat.h"
#include "DC_Main.h"
#include "Datafile_MainFonts.h"
#include "Datafile_Tech.h"
#include "Datafile_UserSettings.h"
#include "Empire.h"
#include "GameSettings.h"
#include "Global.h"
#include "Io.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "GraphicsEngine_Texture.h"
#include "MachineOptions.h"
#include "MapClass.h"
#include "World_Unit_Facts.h"

namespace {

constexpr TColor Row_Grey = Make_Color(100, 100, 100, 50);
constexpr TColor Row_Blue = Make_Color(0, 0, 100, 50);

std::vector<std::string> Wrap(const std::string& text, std::int32_t width, std::size_t max_lines) {
  std::vector<std::string> lines;
  Gui_Text_Link().m_Set_Font(12);
  G_Font_Split_Text_Lines(0, 0, width, 100000, text, 12, lines);
  if (lines.empty() && !text.empty()) lines.push_back(text);
  if (lines.size() > max_lines) lines.resize(max_lines);
  return lines;
}

bool Show_Info_Bar() { return !Machine_Options || Machine_Options->f_show_info_bar; }

}  // namespace

void TDC_Main::m_Set_Info_Box(bool set, bool by_panel, TInfo_Box_Kind kind, std::int32_t subject, std::int32_t group,
                              bool in_battle, std::int32_t unit_count, bool show_hit_points,
                              std::int32_t hit_points) {
  if (!set) {
    f_info_shown = false;
    f_info.active = false;
    f_info.kind = TInfo_Box_Kind::None;
    f_info.subject = 0;
    f_info.region = 0;
    f_info.group = 0;
    f_info_by_panel = false;
    return;
  }
  f_info_by_panel = by_panel;
  f_info_shown = true;
  m_Build_Info_Box(kind, subject, group, in_battle, unit_count, show_hit_points, hit_points);
}

void TDC_Main::m_Build_Info_Box(TInfo_Box_Kind kind, std::int32_t subject, std::int32_t group, bool in_battle,
                                std::int32_t unit_count, bool show_hit_points, std::int32_t hit_points) {
  TInfo_Box box;
  box.active = true;
  box.kind = kind;
  box.group = group;
  if (kind == TInfo_Box_Kind::Region) box.region = subject;
  else box.subject = subject;
  auto& tx = box.texts;
  const std::uint8_t local = m_Local_Player();

  if (kind == TInfo_Box_Kind::Unit || kind == TInfo_Box_Kind::Group || kind == TInfo_Box_Kind::Stack ||
      kind == TInfo_Box_Kind::Unit_Type) {
    std::uint16_t type_no = 0;
    TMap_Unit_Record subject_unit;
    if (kind == TInfo_Box_Kind::Unit_Type) {
      type_no = std::uint16_t(subject);
    } else if (G_Map) {
      G_Map->m_Get_Unit(subject, subject_unit);
      type_no = subject_unit.unit_type;
    }
    const TUnit_Type* t = World_Unit_Type(type_no);
    if (!t) {
      f_info = box;
      return;
    }
    box.icon = G_Map ? G_Map->m_Get_Unit_Type_Texture(type_no) : 0;
    box.title = t->f_display_name;
    const std::vector<std::string> description = Wrap(t->f_description, 354, 2);
    tx[1] = description.size() > 0 ? description[0] : "";
    tx[2] = description.size() > 1 ? description[1] : "";
    tx[3] = t->m_Get_Cost_Text();
    tx[4] = t->m_Get_Supply_Cost_Text();
    tx[5] = t->m_Get_Movement_Text();
    tx[6] = t->m_Get_Sight_Range_Text();
    tx[7] = t->m_Get_Hit_Points_Text();
    if (show_hit_points) tx[7] = Int_To_Text(hit_points) + "/" + tx[7];
    std::int32_t attack = t->f_attack_rating, defence = t->f_defense_rating;
    if (in_battle) {
      attack += Combat_Ability4_Total(subject_unit.owner);
      defence += Combat_Ability3_Total(subject_unit.owner);
    }
    tx[8] = Int_To_Text(attack) + "/" + Int_To_Text(defence);
    box.combat = t->f_takes_part_in_combat ? "1" : "0";
    if (t->f_takes_part_in_combat) {
      tx[9] = t->m_Get_Combat_Movement_Text();
      tx[10] = t->m_Get_Attack_Range_Text();
      tx[11] = t->m_Get_Combat_Damage_Text();
      tx[12] = t->m_Get_Initiative_Text();
      const std::int32_t against[4] = {2, 1, 3, 4};
      for (int i = 0; i < 4; ++i) tx[std::size_t(13 + i)] = Int_To_Text(t->m_Get_Combat_Damage_Modifier(against[i])) + "%";
    }
    if (t->f_ranged_fire_range >= 1) {
      tx[17] = t->m_Get_Ranged_Fire_Text();
      tx[18] = t->m_Get_Ranged_Damage_Text();
    } else {
      tx[17] = "None";
    }
    tx[19] = t->f_maximum_per_region >= 1 ? Int_To_Text(t->f_maximum_per_region) : "";
    tx[20] = t->m_Get_Transport_Capacity_Text();
    tx[21] = t->m_Get_Transported_Fight_Text();
    const std::vector<std::string> carry = Wrap(t->m_Get_Transport_Types_Text(), 192, 4);
    for (std::size_t i = 0; i < carry.size(); ++i) tx[22 + i] = carry[i];
    for (std::int32_t i = 1; i <= t->m_Get_Special_Ability_Count() && box.abilities.size() < INFO_BOX_MAX_LIST; ++i)
      box.abilities.push_back(t->m_Get_Special_Ability_Description(i));

    // The units shown as pictures.
    if (G_Map && kind != TInfo_Box_Kind::Unit_Type) {
      if (kind == TInfo_Box_Kind::Unit) {
        box.unit_ids.push_back(subject);
      } else if (kind == TInfo_Box_Kind::Group) {
        if (const TSelected_Unit* g = m_Get_Selected_Group(group))
          for (std::int32_t k = 1; k <= g->f_unit_ids.m_Count(); ++k) box.unit_ids.push_back(g->f_unit_ids.m_Get(k));
      } else if (const TMap_Region* r = G_Map->m_Get_Region(subject_unit.region)) {
        box.unit_ids = r->m_List_Units_Of_Type(subject_unit.unit_type, subject_unit.owner);
        if (in_battle && unit_count >= 0 && std::size_t(unit_count) < box.unit_ids.size())
          box.unit_ids.resize(std::size_t(unit_count));
      }
      std::int32_t group_no = 0;
      for (std::int32_t id : box.unit_ids) {
        if (box.rows.size() >= INFO_BOX_MAX_ROWS) break;
        TMap_Unit_Record u;
        G_Map->m_Get_Unit(id, u);
        const TUnit_Type* ut = World_Unit_Type(u.unit_type);
        if (u.id == 0 || !ut) continue;
        ++group_no;
        const TEmpire* owner = G_Empire_List ? G_Empire_List->m_Get_Empire(u.owner) : nullptr;
        TInfo_Box_Row row;
        row.unit_id = u.id;
        row.unit_type = u.unit_type;
        row.moves = u.owner == local ? u.moves : 0;
        row.colour = owner ? owner->m_Get_Second_Color() : Make_Color(255, 255, 255);
        row.width = 32 * std::max<std::int32_t>(1, ut->f_square_size_width);
        row.height = 32 * std::max<std::int32_t>(1, ut->f_square_size_height);
        row.background = Row_Grey;
        row.group = group_no;
        row.position = 1;
        row.transport = u.cargo_list != 0;
        box.rows.push_back(row);
        if (u.cargo_list == 0) continue;
        std::int32_t position = 1;
        for (std::int32_t c = 1; c <= G_Map->m_Get_Cargo_Count(u.cargo_list); ++c) {
          if (box.rows.size() >= INFO_BOX_MAX_ROWS) break;
          TMap_Unit_Record cu;
          G_Map->m_Get_Unit(G_Map->m_Get_Cargo_Unit(u.cargo_list, c), cu);
          const TUnit_Type* ct = World_Unit_Type(cu.unit_type);
          if (cu.id == 0 || !ct) continue;
          TInfo_Box_Row cr = row;
          cr.unit_id = cu.id;
          cr.unit_type = cu.unit_type;
          cr.moves = cu.owner == local ? cu.moves : 0;
          cr.width = 32 * std::max<std::int32_t>(1, ct->f_square_size_width);
          cr.height = 32 * std::max<std::int32_t>(1, ct->f_square_size_height);
          cr.background = Row_Blue;
          cr.position = ++position;
          cr.transport = false;
          cr.cargo = true;
          box.rows.push_back(cr);
        }
      }
    }
  } else if (kind == TInfo_Box_Kind::Technology) {
    const TTech_Area* area = Tech_Area_List ? Tech_Area_List->m_Get_Item(subject) : nullptr;
    TEmpire* e = G_Empire_List ? G_Empire_List->m_Get_Empire(Game_Settings.f_turn_empire) : nullptr;
    if (area && e) {
      box.title = area->f_display_name;
      tx[1] = area->f_description;
      tx[2] = Int_To_Text(e->m_Get_Tech_Level(subject));
      tx[3] = Int_To_Text(area->f_maximum_level);
      for (std::int32_t i = 1; i <= area->m_Get_Cost_Count() && box.costs.size() < INFO_BOX_MAX_LIST; ++i)
        box.costs.push_back(area->m_Get_Cost_Text(i));
      if (box.costs.empty()) box.costs.push_back("None");
      for (std::int32_t i = 1;
           i <= area->f_requirements.m_Get_Count() && box.requirements.size() < INFO_BOX_MAX_LIST; ++i)
        box.requirements.push_back(area->f_requirements.m_Get_Description(i));
      if (box.requirements.empty()) box.requirements.push_back("None");
      e->m_Get_Unlocked_Unit_Types(box.benefits, subject);
      if (box.benefits.size() > INFO_BOX_MAX_LIST) box.benefits.resize(INFO_BOX_MAX_LIST);
      if (box.benefits.empty()) box.benefits.push_back("None");
    }
  } else if (kind == TInfo_Box_Kind::Region) {
    const TMap_Region* r = G_Map ? G_Map->m_Get_Region(subject) : nullptr;
    if (r) {
      box.title = r->m_Get_Name();
      tx[1] = r->m_Get_Type() == REGION_LAND ? "Land" : r->m_Get_Type() == REGION_OCEAN ? "Ocean" : "";
      tx[2] = Int_To_Text(r->m_Get_Value());
      const TEmpire* owner = G_Empire_List ? G_Empire_List->m_Get_Empire(r->m_Get_Owner()) : nullptr;
      tx[3] = owner ? owner->m_Get_Nation_Name() : "None";
      std::string connections;
      for (std::int32_t i = 1; i <= r->m_Get_Connection_Count(); ++i) {
        const TMap_Region* c = G_Map->m_Get_Region(r->m_Get_Connection(i));
        if (!c) continue;
        if (!connections.empty()) connections += ", ";
        connections += c->m_Get_Name();
      }
      if (connections.empty()) connections = "None";
      const std::vector<std::string> lines = Wrap(connections, 230, 4);
      for (std::size_t i = 0; i < lines.size(); ++i) tx[4 + i] = lines[i];
      for (std::int32_t i = 1; i <= r->m_Get_Unit_Count() && box.rows.size() < INFO_BOX_MAX_ROWS; ++i) {
        TMap_Unit_Record u;
        G_Map->m_Get_Unit(r->m_Get_Unit_Id(i), u);
        const TUnit_Type* ut = World_Unit_Type(u.unit_type);
        if (u.id == 0 || !ut) continue;
        const TEmpire* uo = G_Empire_List ? G_Empire_List->m_Get_Empire(u.owner) : nullptr;
        TInfo_Box_Row row;
        row.unit_id = u.id;
        row.unit_type = u.unit_type;
        row.colour = uo ? uo->m_Get_Second_Color() : Make_Color(255, 255, 255);
        row.width = 32 * std::max<std::int32_t>(1, ut->f_square_size_width);
        row.height = 32 * std::max<std::int32_t>(1, ut->f_square_size_height);
        row.background = Row_Grey;
        row.group = std::int32_t(box.rows.size()) + 1;
        row.position = 1;
        box.rows.push_back(row);
      }
    }
  }
  f_info = std::move(box);
  m_Layout_Info_Rows();
}

void TDC_Main::m_Layout_Info_Rows() {
  const std::int32_t width = m_Width() > 0 ? m_Width() : m_Get_Width();
  const std::int32_t height = m_Height() > 0 ? m_Height() : m_Get_Height();
  std::int32_t h = 0, lines = 1, sum = 0;
  for (const TInfo_Box_Row& r : f_info.rows) {
    if (r.transport || r.cargo) continue;
    h = std::max(h, r.height);
    if (sum + r.width > width) {
      ++lines;
      sum = 0;
    }
    sum += r.width;
  }
  const std::int32_t y0 = f_y + height - 152 - h * lines;
  std::int32_t x = f_x, y = y0;
  for (TInfo_Box_Row& r : f_info.rows) {
    if (r.transport || r.cargo) continue;
    if (x + r.width > f_x + width) {
      x = f_x;
      y += h;
    }
    r.x = x;
    r.y = y;
    x += r.width;
  }
  std::int32_t transport_y = y0;
  for (std::size_t i = 0; i < f_info.rows.size(); ++i) {
    TInfo_Box_Row& t = f_info.rows[i];
    if (!t.transport) continue;
    transport_y -= 64;
    t.x = f_x;
    t.y = transport_y;
    std::int32_t cx = f_x + t.width;
    for (std::size_t k = i + 1; k < f_info.rows.size() && f_info.rows[k].cargo && f_info.rows[k].group == t.group;
         ++k) {
      f_info.rows[k].x = cx;
      f_info.rows[k].y = transport_y;
      cx += f_info.rows[k].width;
    }
  }
}

void TDC_Main::m_Refresh_Info_Box_Rows() {
  if (!G_Map || f_info.kind == TInfo_Box_Kind::Technology || f_info.kind == TInfo_Box_Kind::Region) return;
  for (TInfo_Box_Row& r : f_info.rows) {
    if (r.unit_id == 0) continue;
    TMap_Unit_Record u;
    G_Map->m_Get_Unit(r.unit_id, u);
    if (u.id != 0) r.moves = u.owner == m_Local_Player() ? u.moves : 0;
  }
}

void TDC_Main::m_Track_Hover(float elapsed) {
  f_hover_time += elapsed;
  if (f_hover_time <= 0.2f) return;
  f_hover_time = 0.0f;
  if (!m_Hovered() || (G_Mouse_X == f_hover_x && G_Mouse_Y == f_hover_y)) return;
  f_hover_x = G_Mouse_X;
  f_hover_y = G_Mouse_Y;
  f_info_shown = false;
  if (!f_groups.empty() && Main_Hit(G_Mouse_X, G_Mouse_Y, f_panel_rect[0], f_panel_rect[1], f_panel_rect[2],
                                    f_panel_rect[3])) {
    for (std::int32_t i = 1; i <= std::int32_t(f_groups.size()); ++i) {
      const auto row = m_Group_Row_Rect(i);
      if (!Main_Hit(G_Mouse_X, G_Mouse_Y, row[0], row[1], row[2], row[3])) continue;
      f_info_shown = true;
      const TSelected_Unit& g = f_groups[std::size_t(i - 1)];
      if (f_info.kind == TInfo_Box_Kind::Group && f_info.group == i && f_info.subject == g.f_unit_id)
        m_Refresh_Info_Box_Rows();
      else
        m_Build_Info_Box(TInfo_Box_Kind::Group, g.f_unit_id, i, false, 0, false, 0);
    }
  }
  if (f_info_shown || !G_Map) return;
  float px = 0, py = 0;
  if (!G_Screen_To_Map_Point(float(G_Mouse_X), float(G_Mouse_Y), px, py)) return;
  std::int32_t unit = 0;
  if (!G_Map->m_Get_Unit_At_Point(px, py, unit) || unit == 0) return;
  TMap_Unit_Record u;
  G_Map->m_Get_Unit(unit, u);
  const TEmpire* local = G_Empire_List ? G_Empire_List->m_Get_Empire(m_Local_Player()) : nullptr;
  if (!local || !local->m_Is_Region_Known(u.region)) return;
  f_info_shown = true;
  if (f_info.kind == TInfo_Box_Kind::Stack && f_info.subject == unit)
    m_Refresh_Info_Box_Rows();
  else
    m_Build_Info_Box(TInfo_Box_Kind::Stack, unit, 0, false, 0, false, 0);
}

void TDC_Main::m_Draw_Info_Box() {
  if (!f_info_shown || !f_info.active || !Show_Info_Bar()) return;
  const std::int32_t L = f_x, B = f_y + m_Height();
  G_Draw_2D_Color_Part(Row_Grey, {L, B - 152, L + m_Width(), B}, false, true);
  TGui_Text_Link& fonts = Gui_Text_Link();
  const TColor label = User_Settings.m_Get_Label_Text_Color(), value = User_Settings.m_Get_Normal_Text_Color();
  // A text given a room (its widest) is cut there with "…", so columns of
  // a wide font never run into each other.
  auto text = [&](std::int32_t font, TColor colour, std::int32_t x, std::int32_t y, const std::string& s,
                  std::int32_t room = 0) {
    if (s.empty()) return;
    fonts.m_Set_Font(font);
    fonts.m_Set_Color(colour);
    fonts.m_Draw_Text_Shadowed(x, y, room > 0 ? fonts.m_Fit(s, room) : s);
  };
  const auto& tx = f_info.texts;
  const TInfo_Box_Kind kind = f_info.kind;
  if (kind == TInfo_Box_Kind::Technology) {
    text(3, value, L + 6, B - 152, f_info.title, m_Width() - 12);
    fonts.m_Set_Font(2);
    fonts.m_Set_Color(value);
    // Two lines of description above the levels, the second cut with "…"
    // when there is more.
    {
      fonts.m_Set_Font(2);
      const std::vector<std::string> lines = Wrap(tx[1], 536, 3);
      if (!lines.empty()) text(2, value, L + 12, B - 134, lines[0], 536);
      if (lines.size() > 1)
        text(2, value, L + 12, B - 122, fonts.m_Fit(lines.size() > 2 ? lines[1] + " " + lines[2] : lines[1], 536),
             536);
    }
    std::int32_t level_w = 0;
    for (const char* l : {"Current Level", "Maximum Level"}) {
      std::int32_t w = 0, h = 0;
      fonts.m_Get_Text_Extents(l, w, h);
      level_w = std::max(level_w, w);
    }
    text(2, label, L + 6, B - 107, "Current Level");
    text(2, label, L + 6, B - 95, "Maximum Level");
    text(2, value, L + 6 + level_w + 8, B - 107, tx[2], 180 - 6 - level_w - 8 - 8);
    text(2, value, L + 6 + level_w + 8, B - 95, tx[3], 180 - 6 - level_w - 8 - 8);
    const std::pair<const char*, const std::vector<std::string>*> lists[3] = {
        {"Costs", &f_info.costs}, {"Requirements", &f_info.requirements}, {"Expected Benefits", &f_info.benefits}};
    for (int k = 0; k < 3; ++k) {
      const std::int32_t hx = L + 180 + 200 * k;
      text(2, label, hx, B - 107, lists[k].first);
      const auto& entries = *lists[k].second;
      for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::int32_t column = k == 2 ? std::int32_t(i / 5) : 0;
        const std::int32_t row = k == 2 ? std::int32_t(i % 5) : std::int32_t(i);
        const std::int32_t ex = hx + 32 + 150 * column, ey = B - 89 + 18 * row;
        if (ey > B - 12) break;
        G_Draw_2D_Color_Part(value, {ex - 20, ey + 4, ex - 16, ey + 8}, false, false);
        // Up to the next list's bullet, or the next column of benefits.
        text(2, value, ex, ey, entries[i], k == 2 ? 150 - 12 : 200 - 32 - 8);
      }
    }
    return;
  }
  if (kind == TInfo_Box_Kind::Region) {
    text(3, value, L + 6, B - 152, f_info.title, m_Width() - 12);
    const char* labels[4] = {"Region Type", "Value", "Owner", "Connections"};
    const std::int32_t room = m_Width() - 100 - 8;
    for (int i = 0; i < 4; ++i) {
      text(2, label, L + 6, B - 107 + 12 * i, labels[i]);
      text(2, value, L + 100, B - 107 + 12 * i, tx[std::size_t(1 + i)], room);
    }
    for (int i = 0; i < 3; ++i) text(2, value, L + 100, B - 59 + 12 * i, tx[std::size_t(5 + i)], room);
  } else if (kind == TInfo_Box_Kind::Unit || kind == TInfo_Box_Kind::Group || kind == TInfo_Box_Kind::Stack ||
             kind == TInfo_Box_Kind::Unit_Type) {
    if (g_tg_texture_list && f_info.icon)
      g_tg_texture_list->m_Draw_All({L + 1, B - 151, L + 191, B - 1}, f_info.icon, true);
    // The columns follow each other at the widths their labels measure in
    // font 2, so that no label is cut and no value runs into the next
    // column; values are cut with "…" to their room.
    fonts.m_Set_Font(2);
    auto widest = [&fonts](std::initializer_list<const char*> labels, std::int32_t font = 2) {
      fonts.m_Set_Font(font);
      std::int32_t most = 0;
      for (const char* l : labels) {
        std::int32_t w = 0, h = 0;
        fonts.m_Get_Text_Extents(l, w, h);
        most = std::max(most, w);
      }
      return most;
    };
    const std::int32_t right = L + m_Width() - 4;
    text(3, value, L + 196, B - 152, f_info.title, 354);
    text(2, value, L + 196, B - 132, tx[1], 354);
    text(2, value, L + 196, B - 120, tx[2], 354);
    // Column A: the unit's own figures.
    const char* first[6] = {"Cost", "Supply", "Movement", "Sight Range", "Hit Points", "Ranged Fire"};
    const std::int32_t a_label = L + 196;
    const std::int32_t a_value =
        a_label + 8 + widest({"Cost", "Supply", "Movement", "Sight Range", "Hit Points", "Ranged Fire", "Range",
                              "Damage Amount"});
    const std::int32_t a_room = 100;
    for (int i = 0; i < 6; ++i) {
      text(2, label, a_label, B - 107 + 12 * i, first[i]);
      text(2, value, a_value, B - 107 + 12 * i,
           i == 5 ? (tx[18].empty() ? tx[17] : std::string("Yes")) : tx[std::size_t(3 + i)], a_room - 8);
    }
    if (!tx[18].empty()) {
      text(2, label, a_label, B - 35, "Range");
      text(2, value, a_value, B - 35, tx[17], a_room - 8);
      text(2, label, a_label, B - 23, "Damage Amount");
      text(2, value, a_value, B - 23, tx[18], a_room - 8);
    }
    // Column B: the unit in battle.
    const std::int32_t b_head = a_value + a_room + 4;
    text(3, value, b_head, B - 109, "Combat");
    const std::int32_t b_label = b_head + 8;
    const std::int32_t b_value =
        b_label + 8 + widest({"Movement", "Attack Range", "Combat Rating", "Initiative", "Damage Amount"});
    const std::int32_t b_room = 64;
    std::int32_t b_end = std::max(b_value + b_room, b_head + 18 + 4 * 45);
    if (f_info.combat == "1") {
      const char* second[6] = {"Movement", "Attack Range", "Combat Rating", "Initiative", "Damage Amount",
                               "Damage Modifiers"};
      const std::string values[5] = {tx[9], tx[10], tx[8], tx[12], tx[11]};
      for (int i = 0; i < 6; ++i) {
        text(2, label, b_label, B - 95 + 12 * i, second[i]);
        if (i < 5) text(2, value, b_value, B - 95 + 12 * i, values[i], b_room - 8);
      }
      const char* heads[4] = {"L", "A", "O", "U"};
      for (int i = 0; i < 4; ++i) {
        text(2, label, b_head + 10 + 45 * i, B - 23, heads[i]);
        text(2, value, b_head + 10 + 45 * i + 11, B - 23, tx[std::size_t(13 + i)], 32);
      }
    } else {
      fonts.m_Set_Font(2);
      std::int32_t w = 0, h = 0;
      fonts.m_Get_Text_Extents("Does not take part in combat.", w, h);
      b_end = std::max(b_end, b_label + w);
      text(2, value, b_label, B - 95, "Does not take part in combat.");
    }
    // Column C: abilities and transport; column D at the right edge.
    // Right of the description's two lines (wrapped at 354 pixels), which
    // share the rows of the abilities.
    const std::int32_t c_head = std::max(b_end + 6, L + 196 + 354 + 8);
    const std::int32_t c_label = c_head + 8;
    const std::int32_t c_value = c_label + 8 + widest({"Capacity", "Launch For Combat", "Can Carry"});
    const std::int32_t c_room = 76;
    const std::int32_t c_end = c_head + widest({"Transporting"}, 3) + 8;
    text(3, value, c_head, B - 152, "Special Abilities");
    for (std::size_t i = 0; i < f_info.abilities.size() && i < 3; ++i)
      text(2, value, c_label, B - 140 + 11 * std::int32_t(i), f_info.abilities[i], right - c_label - 8);
    text(3, value, c_head, B - 109, "Transporting");
    const char* third[3] = {"Capacity", "Launch For Combat", "Can Carry"};
    for (int i = 0; i < 3; ++i) text(2, label, c_label, B - 95 + 12 * i, third[i]);
    text(2, value, c_value, B - 95, tx[20], c_room - 8);
    text(2, value, c_value, B - 83, tx[21], c_room - 8);
    for (int i = 0; i < 4; ++i) text(2, value, c_label + 9, B - 59 + 12 * i, tx[std::size_t(22 + i)], 200 - 8);
    // "Maximum Per Region" on the line of the "Transporting" heading, its
    // value against the right edge.
    fonts.m_Set_Font(2);
    const std::string most = fonts.m_Fit(tx[19].empty() ? std::string("-") : tx[19], 48);
    std::int32_t most_w = 0, most_h = 0;
    fonts.m_Get_Text_Extents(most, most_w, most_h);
    const std::int32_t d_value = right - most_w;
    const std::int32_t d_label = d_value - 8 - widest({"Maximum Per Region"});
    text(2, label, std::max(d_label, c_end + 6), B - 107, "Maximum Per Region");
    text(2, value, d_value, B - 107, most);
  }
  if (kind == TInfo_Box_Kind::Unit || kind == TInfo_Box_Kind::Group || kind == TInfo_Box_Kind::Stack ||
      kind == TInfo_Box_Kind::Region) {
    for (const TInfo_Box_Row& r : f_info.rows) {
      if (!World_Unit_Type(r.unit_type)) continue;
      G_Draw_2D_Color_Part(r.background, {r.x, r.y, r.x + r.width, r.y + r.height}, false, true);
      const TUnit_Type* t = World_Unit_Type(r.unit_type);
      m_Draw_Unit_Icon(r.unit_type, r.colour, r.x, r.y, r.width, r.height, t->f_transporting_capacity > 0, true,
                       t->f_transporting_capacity, G_Map ? G_Map->m_Get_Cargo_Load(r.unit_id) : 0, r.moves);
    }
  }
}
