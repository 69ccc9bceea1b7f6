// The battle screen: background, grid, pieces, panel, turn-order strip and
// the expected losses of an attack on the hovered piece. Nothing of an
// auto-resolved battle is drawn.
#include <algorithm>
#include <cmath>

#include "Combat.h"
#include "Combat_Internal.h"
#include "Datafile_MainFonts.h"
#include "Datafile_UserSettings.h"
#include "Display.h"
#include "Empire.h"
#include "Errors.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Texture.h"
#include "Io.h"
#include "MachineOptions.h"
#include "MapClass.h"
#include "MasterActionTimer_Combat.h"
#include "World_Links.h"
#include "World_Unit_Facts.h"

using namespace combat_detail;

namespace {

const TColor Occupied_Colour = G_Make_Color_RGBA(100, 100, 100, 99);
const TColor Current_Colour = G_Make_Color_RGBA(150, 150, 50, 90);
const TColor Attack_Colour = G_Make_Color_RGBA(150, 50, 50, 90);
const TColor Move_Colour = G_Make_Color_RGBA(100, 100, 150, 90);
const TColor Panel_Colour = G_Make_Color_RGBA(100, 100, 100, 50);
const TColor Line_Colour = G_Make_Color(150, 150, 150);
const TColor Inner_Line_Colour = G_Make_Color(50, 50, 50);
// Grid lines go to the device in batches of at most this many vertices.
constexpr std::size_t Line_Batch = 300;

// A textured quad on the battle plane; the texture corners follow the
// facing (0 as drawn, 1 and 2 a quarter turn either way, 3 mirrored).
void Draw_Plane_Quad(const TGTexture* texture, TColor colour, float x, float y, float w, float h, float z,
                     std::uint8_t facing, float tu_max, float tv_max) {
  // Texture corners of the quad's corners (top-left, top-right,
  // bottom-right, bottom-left) for facing 0.
  float corners[4][2] = {{0, tv_max}, {tu_max, tv_max}, {tu_max, 0}, {0, 0}};
  int shift = facing == 1 ? 1 : facing == 2 ? 3 : 0;
  LVertex v[4];
  const float xs[4] = {x, x + w, x + w, x};
  const float ys[4] = {y, y, y + h, y + h};
  for (int i = 0; i < 4; ++i) {
    int k = (i + shift) % 4;
    if (facing == 3) k = (5 - i) % 4;  // left and right swapped
    G_Make_LVertex(v[i], xs[i], ys[i], z, colour, 0xFFFFFFFFu, corners[k][0], corners[k][1]);
  }
  G_SetTexture_Obj(0, texture);
  G_Set_Lighting(false);
  G_Set_AlphaBlendEnable(true);
  G_Set_SrcBlend(D3DBLEND_SRCALPHA);
  G_Set_DestBlend(D3DBLEND_INVSRCALPHA);
  static const std::uint16_t indices[6] = {3, 1, 0, 3, 2, 1};
  G_DrawIndexedPrimitive_LVertex(D3DPT_TRIANGLELIST, v, 4, indices, 6);
}

void Draw_Cell(std::int32_t column, std::int32_t row, TColor colour) {
  G_Draw_Textured_Quad(colour, false, true, float(column - 1) * Combat_Cell_Size, float(row - 1) * Combat_Cell_Size,
                       Combat_Cell_Size, Combat_Cell_Size, 0);
}

void Draw_Grid_Lines() {
  std::vector<LVertex> batch;
  auto flush = [&] {
    if (!batch.empty()) G_DrawPrimitive_LVertex(D3DPT_LINELIST, batch.data(), std::int32_t(batch.size()));
    batch.clear();
  };
  auto line = [&](float x1, float y1, float x2, float y2, TColor colour) {
    LVertex a, b;
    G_Make_LVertex(a, x1, y1, 0, colour, 0xFFFFFFFFu, 0, 0);
    G_Make_LVertex(b, x2, y2, 0, colour, 0xFFFFFFFFu, 0, 0);
    batch.push_back(a);
    batch.push_back(b);
    if (batch.size() + 2 > Line_Batch) flush();
  };
  auto same_piece = [](std::int32_t c1, std::int32_t r1, std::int32_t c2, std::int32_t r2) {
    if (!In_Grid(c1, r1) || !In_Grid(c2, r2)) return false;
    std::int32_t a = Cell(c1, r1).piece_id;
    return a != 0 && a == Cell(c2, r2).piece_id;
  };
  G_SetTexture_Obj(0, nullptr);
  // Vertical lines cell by cell, then horizontal ones.
  for (std::int32_t c = 0; c <= Combat_Columns; ++c)
    for (std::int32_t r = 1; r <= Combat_Rows; ++r)
      line(float(c) * Combat_Cell_Size, float(r - 1) * Combat_Cell_Size, float(c) * Combat_Cell_Size,
           float(r) * Combat_Cell_Size, same_piece(c, r, c + 1, r) ? Inner_Line_Colour : Line_Colour);
  for (std::int32_t r = 0; r <= Combat_Rows; ++r)
    for (std::int32_t c = 1; c <= Combat_Columns; ++c)
      line(float(c - 1) * Combat_Cell_Size, float(r) * Combat_Cell_Size, float(c) * Combat_Cell_Size,
           float(r) * Combat_Cell_Size, same_piece(c, r, c, r + 1) ? Inner_Line_Colour : Line_Colour);
  flush();
}

// The panel's columns: labels at 4 and 250, flags at 60, names at 95 and
// the region's values at 344, each moved right when the labels of the
// current font need more room. Values are cut to the end of their column.
struct TPanel_Columns {
  std::int32_t flag_x = 60, name_x = 95, name_right = 246, value_x = 344, value_right = 436;
};

std::int32_t Text_Width(const std::string& text) {
  std::int32_t w = 0, h = 0;
  G_Font_Get_TextExtents(text, w, h);
  return w;
}

TPanel_Columns Panel_Columns() {
  TPanel_Columns c;
  const std::int32_t labels = std::max(Text_Width("Attacker"), Text_Width("Defender"));
  c.flag_x = std::max(c.flag_x, 4 + labels + 4);
  c.name_x = c.flag_x + 35;
  const std::int32_t region_labels = std::max(Text_Width("Region"), Text_Width("Combat Turn"));
  c.value_x = std::max(c.value_x, 250 + region_labels + 6);
  return c;
}

void Draw_Cut_Text(float x, float y, std::int32_t right, const std::string& text) {
  const std::int32_t width = right - std::int32_t(x);
  if (width <= 0) return;
  G_Font_Draw_Text_Shadowed(x, y, G_Font_Fit_Text(text, width));
}

void Draw_Empire_Line(const TPanel_Columns& columns, std::uint8_t player, float label_y, const char* label) {
  G_Font_Draw_Text_Shadowed(4, label_y, label);
  if (const TEmpire* e = Empire_Get(player)) {
    Display_Draw_Grid_Icon(columns.flag_x, std::int32_t(label_y), e->m_Get_Color_Index(), e->m_Get_Flag_Index());
    G_Font_Set_Font(2);
    G_Font_Set_Color(User_Settings.m_Get_Label_Text_Color());
    Draw_Cut_Text(float(columns.name_x), label_y, columns.name_right, e->m_Get_Nation_Name());
  }
}

std::int32_t Screen_Width() {
  TSurface_Desc desc;
  G_Get_BackBuffer_Desc(desc);
  return desc.Width > 0 ? std::int32_t(desc.Width) : Combat_Links().m_Screen_Width();
}

}  // namespace

void Combat_Draw_Piece(std::uint16_t unit_type, std::uint8_t facing, std::int32_t count, TColor colour,
                       float picture_width, float picture_height, float picture_x, float picture_y) {
  const TGTexture* texture =
      g_tg_texture_list && G_Map ? g_tg_texture_list->m_Get_Texture(G_Map->m_Get_Unit_Type_Texture(unit_type))
                                 : nullptr;
  Draw_Plane_Quad(texture, colour != 0 ? colour : 0xFFFFFFFFu, picture_x, picture_y, picture_width, picture_height,
                  0, facing, 1, 1);
  const float eye_z = Game_Settings.f_camera_eye.z;
  if (eye_z > -2000.0f) {
    float s = eye_z / (eye_z > -500.0f ? -1500.0f : -2000.0f) * 20.0f;
    G_Font_Set_Font(2);
    G_Font_Set_Color(G_Make_Color(255, 255, 255));
    G_Font_Draw_Screen_Text_At_World_Position(Int_To_Text(count), picture_x + s, picture_y + picture_height - s, 0,
                                              1.0f);
  }
}

void Combat_Draw() {
  if (G_Combat.auto_resolve) return;
  // Background.
  if (g_tg_texture_list && G_Combat.background_texture != 0)
    if (const TGTexture* bg = g_tg_texture_list->m_Get_Texture(G_Combat.background_texture)) {
      // The picture is stretched over the whole plane: its texture is
      // rounded up to powers of two, so only the picture's share of the
      // texture is mapped.
      float tu = 1, tv = 1;
      if (bg->m_Texture_Width() > 0 && bg->m_Image_Width() > 0)
        tu = std::min(1.0f, float(bg->m_Image_Width()) / float(bg->m_Texture_Width()));
      if (bg->m_Texture_Height() > 0 && bg->m_Image_Height() > 0)
        tv = std::min(1.0f, float(bg->m_Image_Height()) / float(bg->m_Texture_Height()));
      Draw_Plane_Quad(bg, 0xFFFFFFFFu, 0, 0, Combat_Columns * Combat_Cell_Size, Combat_Rows * Combat_Cell_Size, 0, 0,
                      tu, tv);
    }
  // Cells.
  for (std::int32_t c = 1; c <= Combat_Columns; ++c)
    for (std::int32_t r = 1; r <= Combat_Rows; ++r)
      if (Cell(c, r).unit_type != 0) Draw_Cell(c, r, Occupied_Colour);
  if (G_Combat.current_piece != 0 && In_Grid(G_Combat.current_column, G_Combat.current_row)) {
    const TCombat_Cell& cur = Cell(G_Combat.current_column, G_Combat.current_row);
    for (std::int32_t c = G_Combat.current_column; c < G_Combat.current_column + std::max<int>(1, cur.width); ++c)
      for (std::int32_t r = G_Combat.current_row; r < G_Combat.current_row + std::max<int>(1, cur.height); ++r)
        if (In_Grid(c, r)) Draw_Cell(c, r, Current_Colour);
  }
  for (std::int32_t c = 1; c <= Combat_Columns; ++c)
    for (std::int32_t r = 1; r <= Combat_Rows; ++r) {
      if (Attack_Mark(c, r) == 1 && Cell(c, r).unit_type != 0)
        Draw_Cell(c, r, Attack_Colour);
      else if (Move_Mark(c, r) == 1)
        Draw_Cell(c, r, Move_Colour);
    }
  if (!Machine_Options || Machine_Options->f_show_combat_grid) Draw_Grid_Lines();
  for (std::int32_t c = 1; c <= Combat_Columns; ++c)
    for (std::int32_t r = 1; r <= Combat_Rows; ++r) {
      const TCombat_Cell& cell = Cell(c, r);
      if (cell.anchor == 1 && cell.unit_type != 0)
        Combat_Draw_Piece(cell.unit_type, cell.facing, cell.count, cell.colour, cell.picture_width,
                          cell.picture_height, cell.picture_x, cell.picture_y);
    }

  // Information panel.
  G_Draw_2D_Color_Part(Panel_Colour, TRect{0, 0, 440, 44}, false, true);
  G_Font_Set_Font(2);
  G_Font_Set_Color(User_Settings.m_Get_Label_Text_Color());
  const TPanel_Columns columns = Panel_Columns();
  Draw_Empire_Line(columns, G_Combat.attacker, 2, "Attacker");
  G_Font_Set_Font(2);
  G_Font_Set_Color(User_Settings.m_Get_Label_Text_Color());
  Draw_Empire_Line(columns, G_Combat.defender, 22, "Defender");
  G_Font_Set_Font(2);
  G_Font_Set_Color(User_Settings.m_Get_Label_Text_Color());
  G_Font_Draw_Text_Shadowed(250, 2, "Region");
  G_Font_Draw_Text_Shadowed(250, 22, "Combat Turn");
  if (const TMap_Region* region = G_Map ? G_Map->m_Get_Region(G_Combat.region) : nullptr)
    Draw_Cut_Text(float(columns.value_x), 2, columns.value_right, region->m_Get_Name());
  Draw_Cut_Text(float(columns.value_x), 22, columns.value_right, G_Combat.combat_time_text);
  // Behind the battle buttons.
  G_Draw_2D_Color_Part(Panel_Colour, TRect{442, 0, 442 + 126, 44}, false, true);

  // Turn-order strip.
  const std::int32_t width = Screen_Width();
  G_Draw_2D_Color_Part(Panel_Colour, TRect{std::int32_t(Combat_Turn_Strip_Left), 0, width,
                                           std::int32_t(Combat_Turn_Strip_Height)},
                       false, true);
  for (std::int32_t i = 0; i < G_Combat.turn_order_count; ++i) {
    const TCombat_Turn_Entry& e = G_Combat.turn_order[std::size_t(i)];
    TRect rect{std::int32_t(e.x), std::int32_t(e.y), std::int32_t(e.x + e.width), std::int32_t(e.y + e.height)};
    if (g_tg_texture_list && G_Map)
      if (const TGTexture* icon = g_tg_texture_list->m_Get_Texture(G_Map->m_Get_Unit_Type_Icon(e.unit_type)))
        G_Draw_2D_Surface_All_Blend(icon, rect, true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, e.colour);
    // The piece whose turn it is: its translucent highlight lies over the
    // icon, which is opaque and would hide it underneath.
    if (i == 0) G_Draw_2D_Color_Part(Current_Colour, rect, false, true);
    std::int32_t tw = 0, th = 0;
    G_Font_Set_Font(2);
    G_Font_Get_TextExtents(e.count_text, tw, th);
    G_Font_Draw_Text_Shadowed(float(rect.Right - tw), float(rect.Bottom - th), e.count_text);
  }

  // Expected losses.
  if (G_Combat.hover.preview_shown) {
    float x = 0, y = 0;
    const TCombat_Cell& target = Combat_Get_Cell(G_Combat.hover.preview_target_column, G_Combat.hover.preview_target_row);
    Combat_Get_Cell_Centre(G_Combat.hover.preview_target_column, G_Combat.hover.preview_target_row,
                           std::max<int>(1, target.width), std::max<int>(1, target.height), x, y);
    G_Font_Set_Font(5);
    G_Font_Draw_Centered_Text_At_World_Position(G_Combat.hover.preview_text, x, y - 65.0f, -5.0f);
  }
}

void Combat_Kill_Preview(std::int32_t target_column, std::int32_t target_row) {
  if (G_Combat.current_piece == 0 || !In_Grid(target_column, target_row)) return;
  if (Attack_Mark(target_column, target_row) != 1 || Cell(target_column, target_row).unit_type == 0) return;
  TCombat_Hover& h = G_Combat.hover;
  if (h.preview_shown && h.preview_attacker_column == G_Combat.current_column &&
      h.preview_attacker_row == G_Combat.current_row && h.preview_target_column == target_column &&
      h.preview_target_row == target_row)
    return;
  h.preview_shown = true;
  h.preview_attacker_column = G_Combat.current_column;
  h.preview_attacker_row = G_Combat.current_row;
  h.preview_target_column = target_column;
  h.preview_target_row = target_row;
  h.preview_text = "0 Killed";

  const TCombat_Cell a = Cell(G_Combat.current_column, G_Combat.current_row);
  const TCombat_Cell t = Cell(target_column, target_row);
  const TUnit_Type* ua = World_Unit_Type(a.unit_type);
  const TUnit_Type* ut = World_Unit_Type(t.unit_type);
  if (!ua || !ut || ut->f_movement_type < 1 || ut->f_movement_type > UNIT_MOVEMENT_TYPE_COUNT) return;
  const double p = ua->m_Get_Combat_Damage_Modifier(ut->f_movement_type);
  double low = std::trunc(double(a.count) * double(ua->f_combat_damage_min) * p / 100.0);
  double high = std::trunc(double(a.count) * double(ua->f_combat_damage_max) * p / 100.0);
  if (low > 0) {
    std::int64_t attack = std::int64_t(ua->f_attack_rating) + Combat_Ability4_Total(a.owner);
    std::int64_t defence = std::int64_t(ut->f_defense_rating) + Combat_Ability3_Total(t.owner);
    if (attack < defence) {
      double f = 1.0 + 0.05 * double(defence - attack);
      low = std::trunc(low / f);
      high = std::trunc(high / f);
    } else {
      double f = 1.0 + 0.05 * double(attack - defence);
      low = std::trunc(low * f);
      high = std::trunc(high * f);
    }
  }
  // The kills of the damage rule itself (a unit left at 0 hit points
  // survives; a type without hit points counts as 1).
  auto kills = [&](double damage) {
    std::int32_t count = t.count, hit_points = t.hit_points;
    std::int32_t d = damage > 2147483647.0 ? 2147483647 : std::int32_t(damage);
    return TCombat_Actions::m_Apply_Damage(d, ut->f_hit_points, count, hit_points);
  };
  const std::int32_t kmin = kills(low), kmax = kills(high);
  if (kmax > 0) h.preview_text = Int_To_Text(kmin) + " - " + Int_To_Text(kmax) + " Killed";
}

namespace {
// The anchor cell of the piece that the map unit `unit_id` formed; null
// when no piece on the grid has it.
const TCombat_Cell* Piece_Of_Unit(std::int32_t unit_id) {
  for (std::int32_t r = 1; r <= Combat_Rows; ++r)
    for (std::int32_t c = 1; c <= Combat_Columns; ++c) {
      const TCombat_Cell& cell = Cell(c, r);
      if (cell.unit_id == unit_id && cell.piece_id != 0 && cell.anchor == 1) return &cell;
    }
  return nullptr;
}
}  // namespace

void Combat_Update_Hover(float elapsed) {
  if (!World_Main_Screen_Link().m_Exists() || G_Combat.auto_resolve) return;
  TCombat_Hover& h = G_Combat.hover;
  h.timer += elapsed;
  if (!(h.timer > 0.2f)) return;
  h.timer = 0;
  if (!Combat_Links().m_Screen_Active()) return;
  std::int32_t mx = 0, my = 0;
  Combat_Links().m_Mouse_Position(mx, my);
  if (mx == h.mouse_x && my == h.mouse_y) return;
  h.mouse_x = mx;
  h.mouse_y = my;
  h.preview_shown = false;

  bool hovered = false;
  if (mx >= std::int32_t(Combat_Turn_Strip_Left) && mx <= Screen_Width() && my >= 0 &&
      my <= std::int32_t(Combat_Turn_Strip_Height) && G_Combat.turn_order_count > 0) {
    for (std::int32_t i = 0; i < G_Combat.turn_order_count; ++i) {
      const TCombat_Turn_Entry& e = G_Combat.turn_order[std::size_t(i)];
      if (mx >= e.x && mx < e.x + e.width && my >= e.y && my < e.y + e.height) {
        hovered = true;
        if (e.unit_id != h.shown_unit) {
          h.shown_unit = e.unit_id;
          const TCombat_Cell* piece = Piece_Of_Unit(e.unit_id);
          Combat_Links().m_Set_Info_Box_Unit(e.unit_id, piece ? piece->count : 0, piece ? piece->hit_points : 0);
        }
        break;
      }
    }
  } else {
    float px = 0, py = 0;
    if (Combat_Links().m_Screen_To_Battle_Plane(mx, my, px, py) && px >= 0 && py >= 0) {
      std::int32_t c = std::int32_t(px / Combat_Cell_Size) + 1, r = std::int32_t(py / Combat_Cell_Size) + 1;
      if (In_Grid(c, r) && Cell(c, r).unit_type != 0) {
        const TCombat_Cell& cell = Cell(c, r);
        std::int32_t ac = c - cell.offset_x, ar = r - cell.offset_y;
        const TCombat_Cell& anchor = In_Grid(ac, ar) ? Cell(ac, ar) : cell;
        hovered = true;
        if (anchor.unit_id != h.shown_unit) {
          h.shown_unit = anchor.unit_id;
          Combat_Links().m_Set_Info_Box_Unit(anchor.unit_id, anchor.count, anchor.hit_points);
        }
        Combat_Kill_Preview(ac, ar);
      }
    }
  }
  if (!hovered) {
    Combat_Links().m_Clear_Info_Box();
    h.shown_unit = -1;
  }
}
