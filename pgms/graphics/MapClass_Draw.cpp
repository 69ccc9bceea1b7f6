// Drawing of the world map on the main screen: sections, owner tints, fog,
// highlights, value symbols and flags, selection frames, unit stacks and
// combat markers, and the visibility pass that decides what is drawn.
#include "MapClass_Draw.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "Datafile_MainFonts.h"
#include "Display.h"
#include "Empire.h"
#include "GameSettings.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "GraphicsEngine_Texture.h"
#include "Io.h"
#include "MapClass.h"
#include "World_Links.h"
#include "World_Unit_Facts.h"

namespace {

constexpr TColor White = 0xFFFFFFFFu;
// The counts of the stacks show while the camera is nearer than this.
constexpr float Unit_Count_Camera_Limit = -2000.0f;

// Quads of one state, drawn together through the shared buffers (at most
// 100 quads a draw). The caller sets the states and the texture, adds
// quads and flushes before it changes them.
class TQuad_Batch {
 public:
  // A quad from (x, y) to (x + w, y + h) on the plane z = 0 with texture
  // coordinates u0..u1 (left to right) and v0..v1 (top to bottom of the
  // picture, the picture's top at y + h).
  void m_Add(float x, float y, float w, float h, TColor color, float u0, float v0, float u1, float v1) {
    LVertex q[4];
    G_Make_LVertex(q[0], x, y, 0, color, White, u0, v1);
    G_Make_LVertex(q[1], x + w, y, 0, color, White, u1, v1);
    G_Make_LVertex(q[2], x + w, y + h, 0, color, White, u1, v0);
    G_Make_LVertex(q[3], x, y + h, 0, color, White, u0, v0);
    m_Add_Corners(q);
  }
  // Four corners in the order m_Add gives them: (x, y), (x + w, y),
  // (x + w, y + h), (x, y + h); two triangles are drawn from them.
  void m_Add_Corners(const LVertex (&q)[4]) {
    if (f_count == Max_Quads) m_Flush();
    const std::uint16_t base = std::uint16_t(f_count * 4);
    for (int i = 0; i < 4; ++i) f_vertices[f_count * 4 + i] = q[i];
    const std::uint16_t order[6] = {3, 1, 0, 3, 2, 1};
    for (int i = 0; i < 6; ++i) f_indices[f_count * 6 + i] = std::uint16_t(base + order[i]);
    ++f_count;
  }
  void m_Flush() {
    if (f_count == 0) return;
    G_SetFVF(FVF_LVERTEX);
    G_DrawIndexedPrimitive_LVertex(D3DPT_TRIANGLELIST, f_vertices, f_count * 4, f_indices, f_count * 6);
    f_count = 0;
  }
  ~TQuad_Batch() { m_Flush(); }

 private:
  static constexpr int Max_Quads =
      std::int32_t(G_LVERTEX_BUFFER_VERTICES / 4) < std::int32_t(G_INDEX_BUFFER_INDICES / 6)
          ? std::int32_t(G_LVERTEX_BUFFER_VERTICES / 4)
          : std::int32_t(G_INDEX_BUFFER_INDICES / 6);
  LVertex f_vertices[Max_Quads * 4];
  std::uint16_t f_indices[Max_Quads * 6];
  int f_count = 0;
};

const TGTexture* Texture_Of(std::int32_t handle) {
  return g_tg_texture_list && handle > 0 ? g_tg_texture_list->m_Get_Texture(handle) : nullptr;
}

// How far the picture reaches into its texture (textures may be padded).
void Image_Extent(const TGTexture* t, float& u, float& v) {
  u = v = 1.0f;
  if (!t || t->m_Texture_Width() <= 0 || t->m_Texture_Height() <= 0) return;
  u = float(t->m_Image_Width()) / float(t->m_Texture_Width());
  v = float(t->m_Image_Height()) / float(t->m_Texture_Height());
}

void Set_Filter(std::uint32_t filter) {
  G_SetSamplerState_MinFilter(filter);
  G_SetSamplerState_MagFilter(filter);
}

// The states of the pictures drawn over the map: blended with their own
// alpha, written to the depth buffer, smoothed.
void Set_Overlay_States() {
  G_Set_Lighting(false);
  G_Set_ZWriteEnable(true);
  G_Set_AlphaBlendEnable(true);
  G_Set_SrcBlend(D3DBLEND_ONE);
  G_Set_DestBlend(D3DBLEND_INVSRCALPHA);
  Set_Filter(D3DTEXF_LINEAR);
}

// The overlay states with `t` bound, tinted by `color` unless it is 0; `u`
// and `v` are the texture coordinates of the picture's far corner.
void Bind_Tinted_Overlay(const TGTexture* t, TColor color, float& u, float& v) {
  Set_Overlay_States();
  if (color != 0) {
    G_Set_Lighting(true);
    G_Set_Ambient(color);
  }
  Image_Extent(t, u, v);
  G_SetTexture_Obj(0, t);
}

// The owner's empire when it exists and is not neutral.
const TEmpire* Playing_Owner(std::uint8_t owner) {
  const TEmpire* e = owner ? Empire_Get(owner) : nullptr;
  return e && !e->m_Get_Neutral() ? e : nullptr;
}

// Sections of `section` pixels that cover `pixels` (the last one may reach
// past the edge).
std::int32_t Sections_Across(std::int32_t pixels, std::int32_t section) {
  if (pixels <= 0 || section <= 0) return 0;
  return pixels / section + (pixels % section != 0 ? 1 : 0);
}

// The open sea that surrounds the map: what the camera shows past the
// map's edges (the camera may look straight down on any point of the edge).
constexpr TColor Beyond_Map_Color = 0xFF0C1E34u;
// How far past the edges the sea is drawn, in map units: more than the
// farthest camera sees from the edge.
constexpr float Beyond_Map_Margin = 20000.0f;

bool Has_Stack(const TMap_Region_Square& s) { return s.state == SQUARE_STACK && s.shown && s.unit_type != 0; }

}  // namespace

bool TMap_View::m_Get_Section_Visible(std::int64_t i) const {
  return i >= 1 && i < std::int64_t(f_section_visible.size()) && f_section_visible[std::size_t(i)] != 0;
}

void TMap_View::m_Update_Visibility(TMap& map) {
  // Sections only when the map has them; the regions in any case, so that a
  // map whose section pictures are missing still shows its regions.
  const std::int32_t section_width = map.m_Get_Section_Width(), section_height = map.m_Get_Section_Height();
  const std::int32_t section_count = map.m_Get_Section_Count(), pixel_height = map.m_Get_Pixel_Height();
  f_section_visible.assign(std::size_t(std::max(0, section_count)) + 1, 0);
  if (section_width > 0 && section_height > 0 && section_count > 0) {
    const std::int32_t columns = Sections_Across(map.m_Get_Pixel_Width(), section_width);
    const std::int32_t rows = Sections_Across(pixel_height, section_height);
    const float radius = float(std::max(section_width, section_height)) / 2.0f;
    std::int32_t n = 0;
    for (std::int32_t c = 0; c < columns; ++c)
      for (std::int32_t r = 0; r < rows; ++r) {
        if (++n > section_count) break;
        const TVector centre{float(c * section_width) + float(section_width) / 2.0f,
                             float(pixel_height - r * section_height) - float(section_height) / 2.0f, 0.0f};
        f_section_visible[std::size_t(n)] = G_Sphere_Visible(centre, radius) ? 1 : 0;
      }
  }
  const float ph = float(map.m_Get_Pixel_Height());
  for (TMap_Region* region : map.m_Existing_Regions()) {
    std::int32_t left, top, right, bottom;
    region->m_Get_Bounds(left, top, right, bottom);
    const float w = float(right - left), h = float(bottom - top);
    const TVector centre{float(left) + w / 2.0f, ph - h - float(top) + h / 2.0f, 0.0f};
    const bool visible = G_Sphere_Visible(centre, std::max(w, h) / 2.0f);
    region->m_Set_Visible(visible);
    bool fully = false;
    if (visible) {
      fully = true;
      for (float x : {float(left), float(right)})
        for (float y : {ph - float(top), ph - float(bottom)}) fully = fully && G_Sphere_Visible({x, y, 0.0f}, 2.0f);
    }
    region->m_Set_Visible_2(fully);
  }
}

namespace {

// The sea around the map, past its four edges.
void Draw_Beyond_Edges(const TMap& map) {
  if (map.m_Get_Pixel_Width() <= 0 || map.m_Get_Pixel_Height() <= 0) return;
  const float w = float(map.m_Get_Pixel_Width()), h = float(map.m_Get_Pixel_Height()), m = Beyond_Map_Margin;
  G_SetTexture(0, 0);
  TQuad_Batch batch;
  batch.m_Add(-m, h, w + 2 * m, m, Beyond_Map_Color, 0, 0, 0, 0);   // above the top edge
  batch.m_Add(-m, -m, w + 2 * m, m, Beyond_Map_Color, 0, 0, 0, 0);  // below the bottom edge
  batch.m_Add(-m, 0, m, h, Beyond_Map_Color, 0, 0, 0, 0);           // left of the map
  batch.m_Add(w, 0, m, h, Beyond_Map_Color, 0, 0, 0, 0);            // right of the map
}

// One region quad in its own texture at image size (tint, fog, highlight).
void Draw_Region_Quad(const TMap& map, std::int32_t region, TColor color) {
  const TMap_Region* r = map.m_Get_Region(region);
  const TGTexture* t = Texture_Of(map.m_Get_Region_Texture(region));
  // A mask is made a texture here, the first time it is drawn.
  if (!r || !t || !t->m_Texture()) return;
  std::int32_t left, top, right, bottom;
  r->m_Get_Bounds(left, top, right, bottom);
  float u, v;
  Image_Extent(t, u, v);
  const float w = float(t->m_Image_Width()), h = float(t->m_Image_Height());
  G_SetTexture_Obj(0, t);
  TQuad_Batch batch;
  batch.m_Add(float(left), float(map.m_Get_Pixel_Height()) - float(top) - h, w, h, color, 0, 0, u, v);
}

// The count of a stack beside its picture while the camera is near.
void Draw_Unit_Count(std::int32_t count, float x, float y, float width) {
  const float eye_z = Game_Settings.f_camera_eye.z;
  if (eye_z <= Unit_Count_Camera_Limit) return;
  const float s = eye_z / (eye_z > -500.0f ? -1500.0f : -2000.0f) * 20.0f;
  G_Font_Set_Font(2);
  G_Font_Set_Color(White);
  G_Font_Draw_Screen_Text_At_World_Position(Int_To_Text(count), x + width - s, y + s, 0.0f, 1.0f);
}

}  // namespace

void Map_Draw_Region_Tint(const TMap& map, std::int32_t region, TColor color) {
  G_Set_Lighting(true);
  G_Set_AlphaBlendEnable(true);
  G_Set_SrcBlend(D3DBLEND_SRCCOLOR);
  G_Set_DestBlend(D3DBLEND_INVSRCCOLOR);
  G_Set_Ambient((color & 0x00FFFFFFu) | (TColor(99) << 24));
  Draw_Region_Quad(map, region, White);
}

// A region the player has not explored is darkened: nothing of the colour
// is added, the ground under the region's shape keeps a fifth of its light.
void Map_Draw_Hidden_Region(const TMap& map, std::int32_t region) {
  const TColor fog = Map_Unknown_Region_Color;
  G_Set_Ambient(fog);
  G_Set_Lighting(true);
  G_Set_AlphaBlendEnable(true);
  G_Set_SrcBlend(D3DBLEND_ZERO);
  G_Set_DestBlend(D3DBLEND_INVSRCALPHA);
  Set_Filter(D3DTEXF_LINEAR);
  Draw_Region_Quad(map, region, fog);
}

void Map_Draw_Highlighted_Region(const TMap& map, std::int32_t region, bool is_target) {
  G_Set_Lighting(true);
  G_Set_AlphaBlendEnable(true);
  G_Set_SrcBlend(D3DBLEND_ONE);
  G_Set_DestBlend(D3DBLEND_ONE);
  G_Set_Ambient(is_target ? Make_Color(200, 200, 200) : Make_Color(100, 100, 100));
  Draw_Region_Quad(map, region, White);
}

void TMap_View::m_Draw(const TMap& map, std::uint8_t player, bool highlights_off, std::int32_t purchase_target,
                       bool draw_everything) const {
  if (!G_Device()) return;
  G_Set_Lighting(false);
  G_Set_ZWriteEnable(false);
  G_Set_AlphaTestEnable(false);
  G_Set_AlphaBlendEnable(false);
  G_Set_Ambient(0);
  Set_Filter(D3DTEXF_LINEAR);
  G_SetSamplerState_AddressU(D3DTADDRESS_CLAMP);
  G_SetSamplerState_AddressV(D3DTADDRESS_CLAMP);

  Draw_Beyond_Edges(map);
  // Sections, column by column, each from the top of the map downwards. The
  // last column and row reach past the map's edge (their pictures are
  // padded); only the part on the map is drawn.
  const std::int32_t section_width = map.m_Get_Section_Width(), section_height = map.m_Get_Section_Height();
  const std::int32_t pixel_width = map.m_Get_Pixel_Width(), pixel_height = map.m_Get_Pixel_Height();
  if (section_width > 0 && section_height > 0) {
    const std::int32_t columns = Sections_Across(pixel_width, section_width);
    const std::int32_t rows = Sections_Across(pixel_height, section_height);
    std::int32_t n = 0;
    for (std::int32_t c = 0; c < columns; ++c)
      for (std::int32_t r = 0; r < rows; ++r) {
        if (++n > map.m_Get_Section_Count()) break;
        if (!draw_everything && !m_Get_Section_Visible(n)) continue;
        const TGTexture* t = Texture_Of(map.m_Get_Section_Texture(n));
        if (!t || !t->m_Has_Texture()) continue;
        float u, v;
        Image_Extent(t, u, v);
        const std::int32_t w = std::min(section_width, pixel_width - c * section_width);
        const std::int32_t h = std::min(section_height, pixel_height - r * section_height);
        G_SetTexture_Obj(0, t);
        TQuad_Batch batch;
        batch.m_Add(float(c * section_width), float(pixel_height - r * section_height - h), float(w), float(h), White,
                    0, 0, u * float(w) / float(section_width), v * float(h) / float(section_height));
      }
  }

  const TEmpire* viewer = player ? Empire_Get(player) : nullptr;
  if (viewer) {
    for (TMap_Region* region : map.m_Existing_Regions()) {
      if (!draw_everything && !region->m_Get_Visible()) continue;
      const std::int32_t id = region->m_Get_Id();
      if (viewer->m_Is_Region_Known(id)) {
        if (region->m_Get_Type() != REGION_LAND || region->m_Get_Owner() == 0) continue;
        if (const TEmpire* owner = Playing_Owner(region->m_Get_Owner()))
          Map_Draw_Region_Tint(map, id, owner->m_Get_Color());
      } else {
        Map_Draw_Hidden_Region(map, id);
      }
    }
  }
  if (!highlights_off && World_Main_Screen_Link().m_Exists())
    for (std::int32_t id : World_Main_Screen_Link().m_Highlighted_Regions()) {
      const TMap_Region* region = map.m_Get_Region(id);
      if (region && region->m_Get_Visible()) Map_Draw_Highlighted_Region(map, id, id == purchase_target);
    }
  Map_Draw_Region_Symbols(map, player);
  Map_Draw_Selection_Frames(map);
  Map_Draw_Units(map, player);
  Map_Draw_Combat_Markers(map, player);
}

void Map_Draw_Region_Symbols(const TMap& map, std::uint8_t player) {
  const TEmpire* viewer = player ? Empire_Get(player) : nullptr;
  if (!viewer || !G_Device()) return;
  const float ph = float(map.m_Get_Pixel_Height());
  G_Set_Lighting(true);
  G_Set_ZWriteEnable(true);
  G_Set_AlphaBlendEnable(true);
  G_Set_SrcBlend(D3DBLEND_ONE);
  G_Set_DestBlend(D3DBLEND_INVSRCCOLOR);
  Set_Filter(D3DTEXF_LINEAR);
  const std::vector<TMap_Region*> regions = map.m_Existing_Regions();
  // Value symbols: cell n of the 4 x 4 atlas for value n, in the owner's
  // second colour (grey without a playing owner). Neighbouring symbols of
  // one colour share a draw.
  if (const TGTexture* values = Texture_Of(Display_Map_Values_Texture)) {
    G_SetTexture_Obj(0, values);
    TQuad_Batch batch;
    TColor ambient = 0;
    bool first = true;
    for (TMap_Region* region : regions) {
      const std::int32_t square = region->m_Get_Label_Values().lower_marker_square;
      if (!region->m_Get_Visible() || square < 1 || square > region->m_Get_Square_Count()) continue;
      if (!viewer->m_Is_Region_Known(region->m_Get_Id())) continue;
      const TEmpire* owner = Playing_Owner(region->m_Get_Owner());
      const TColor want = owner ? owner->m_Get_Second_Color() : Make_Color(150, 150, 150);
      if (first || want != ambient) {
        batch.m_Flush();
        G_Set_Ambient(want);
        ambient = want;
        first = false;
      }
      TMap_Region_Square s;
      region->m_Get_Square(square, s);
      const std::int32_t n = region->m_Get_Value();
      const float u0 = float(n % 4) * 0.25f, v0 = float((n / 4) % 4) * 0.25f;
      batch.m_Add(float(s.left), ph - float(s.top + 32), 32, 32, White, u0, v0, u0 + 0.25f, v0 + 0.25f);
    }
  }
  // Flags: the cell of the owner's flag and colour in the flags atlas.
  const TGTexture* flags = Texture_Of(Display_Flags_Texture);
  if (!flags || flags->m_Texture_Width() <= 0 || flags->m_Texture_Height() <= 0) return;
  G_Set_Lighting(false);
  G_Set_ZWriteEnable(false);
  G_Set_SrcBlend(D3DBLEND_ONE);
  G_Set_DestBlend(D3DBLEND_INVSRCALPHA);
  G_SetTexture_Obj(0, flags);
  const float fw = float(Game_Settings.f_flag_width), fh = float(Game_Settings.f_flag_height);
  const float cu = fw / float(flags->m_Texture_Width()), cv = fh / float(flags->m_Texture_Height());
  TQuad_Batch batch;
  for (TMap_Region* region : regions) {
    const std::int32_t square = region->m_Get_Label_Values().upper_marker_square;
    if (!region->m_Get_Visible() || region->m_Get_Owner() == 0) continue;
    if (square < 1 || square > region->m_Get_Square_Count()) continue;
    if (!viewer->m_Is_Region_Known(region->m_Get_Id())) continue;
    const TEmpire* owner = Empire_Get(region->m_Get_Owner());
    if (!owner) continue;
    TMap_Region_Square s;
    region->m_Get_Square(square, s);
    const float u0 = float(std::max(1, std::int32_t(owner->m_Get_Flag_Index())) - 1) * cu;
    const float v0 = float(std::max(1, std::int32_t(owner->m_Get_Color_Index())) - 1) * cv;
    batch.m_Add(float(s.left), ph - float(s.top + 32), fw, fh, White, u0, v0, u0 + cu, v0 + cv);
  }
}

void Map_Draw_Selection_Frames(const TMap& map) {
  TWorld_Main_Screen_Link& screen = World_Main_Screen_Link();
  if (!screen.m_Exists()) return;
  const TMap_Region* region = map.m_Get_Region(screen.m_Selected_Region());
  const std::vector<TSelected_Unit>& groups = screen.m_Selected_Groups();
  if (!region || !region->m_Get_Visible() || groups.empty()) return;
  for (const TSelected_Unit& group : groups) {
    const TUnit_Type* type = World_Unit_Type(group.f_unit_type);
    if (!type) continue;
    for (std::int32_t i = 1; i <= region->m_Get_Square_Count(); ++i) {
      TMap_Region_Square s;
      region->m_Get_Square(i, s);
      if (!Has_Stack(s) || s.unit_type != group.f_unit_type) continue;
      const float w = float(s.right - s.left) * float(std::max<std::int32_t>(1, type->f_square_size_width));
      const float h = float(s.bottom - s.top) * float(std::max<std::int32_t>(1, type->f_square_size_height));
      Map_Draw_Selection_Frame(map, 0, w, h, float(map.m_Get_Pixel_Height()) - (float(s.top) + h), float(s.left));
      break;
    }
  }
}

void Map_Draw_Selection_Frame(const TMap& map, TColor color, float width, float height, float y, float x) {
  const TGTexture* t = Texture_Of(map.m_Get_Selection_Box_Texture());
  if (!t || !G_Device()) return;
  float u, v;
  Bind_Tinted_Overlay(t, color, u, v);
  TQuad_Batch batch;
  batch.m_Add(x, y, width, height, White, 0, 0, u, v);
}

void Map_Draw_Units(const TMap& map, std::uint8_t player) {
  const TEmpire* viewer = player ? Empire_Get(player) : nullptr;
  if (!viewer || !G_Device()) return;
  const float ph = float(map.m_Get_Pixel_Height());
  // Every visible stack; stacks on squares never overlap, so they are drawn
  // grouped by picture and tint, each group in as few draws as the buffers
  // allow, and their counts after them.
  struct TStack {
    std::int32_t texture;
    TColor color;
    float x, y, w, h;
    std::int32_t count;
  };
  std::vector<TStack> stacks;
  for (TMap_Region* region : map.m_Existing_Regions()) {
    if (!region->m_Get_Visible() || !viewer->m_Is_Region_Known(region->m_Get_Id())) continue;
    for (std::int32_t i = 1; i <= region->m_Get_Square_Count(); ++i) {
      TMap_Region_Square s;
      region->m_Get_Square(i, s);
      if (!Has_Stack(s)) continue;
      const TUnit_Type* type = World_Unit_Type(s.unit_type);
      if (!type) continue;
      const TEmpire* owner = s.owner ? Empire_Get(s.owner) : nullptr;
      const float w = float(s.right - s.left) * float(std::max<std::int32_t>(1, type->f_square_size_width));
      const float h = float(s.bottom - s.top) * float(std::max<std::int32_t>(1, type->f_square_size_height));
      stacks.push_back({map.m_Get_Unit_Type_Texture(s.unit_type), owner ? owner->m_Get_Second_Color() : 0,
                        float(s.left), ph - (float(s.top) + h), w, h, s.stack_count});
    }
    // Units whose stack found no square of its own (a region crowded by a
    // battle's attackers) are drawn where such a stack goes: on a free
    // block, else over the label square, shared with what is there.
    for (const TMap_Region::TUnplaced_Stack& u : region->m_Unplaced_Stacks()) {
      std::int32_t h = 0, w = 0, y = 0, x = 0;
      if (!World_Unit_Type(u.unit_type) || !region->m_Get_Stack_Position(u.unit_type, u.owner, h, w, y, x)) continue;
      const TEmpire* owner = u.owner ? Empire_Get(u.owner) : nullptr;
      stacks.push_back({map.m_Get_Unit_Type_Texture(u.unit_type), owner ? owner->m_Get_Second_Color() : 0, float(x),
                        float(y), float(w), float(h), u.count});
    }
  }
  std::stable_sort(stacks.begin(), stacks.end(), [](const TStack& a, const TStack& b) {
    return a.texture != b.texture ? a.texture < b.texture : a.color < b.color;
  });
  TQuad_Batch batch;
  for (std::size_t i = 0; i < stacks.size(); ++i) {
    const TStack& s = stacks[i];
    const TGTexture* t = Texture_Of(s.texture);
    if (!t) continue;
    if (i == 0 || s.texture != stacks[i - 1].texture || s.color != stacks[i - 1].color) {
      batch.m_Flush();
      Set_Overlay_States();
      if (s.color != 0) {
        G_Set_Lighting(true);
        G_Set_Ambient(s.color);
      }
      G_SetTexture_Obj(0, t);
    }
    float u, v;
    Image_Extent(t, u, v);
    batch.m_Add(s.x, s.y, s.w, s.h, White, 0, 0, u, v);
  }
  batch.m_Flush();
  for (const TStack& s : stacks) Draw_Unit_Count(s.count, s.x, s.y, s.w);
}

void Map_Draw_Unit_Icon(const TMap& map, std::uint16_t unit_type, std::int32_t count, float heading, TColor color,
                        float height, float width, float y, float x) {
  const TGTexture* t = Texture_Of(map.m_Get_Unit_Type_Texture(unit_type));
  if (!G_Device()) return;
  if (t) {
    float u, v;
    Bind_Tinted_Overlay(t, color, u, v);
    TQuad_Batch batch;
    if (heading == 0.0f) {
      batch.m_Add(x, y, width, height, White, 0, 0, u, v);
    } else {
      // The heading turns the picture clockwise from the map's north about
      // its centre: its top points along `up`, its right side along
      // `right`, both in the map plane (a side axis taken across the x axis
      // would stand upright out of the plane and leave the picture without
      // width).
      const TVector centre{x + width / 2.0f, y + height / 2.0f, 0.0f};
      const TVector up{std::sin(heading), std::cos(heading), 0.0f};
      const TVector right{up.y, -up.x, 0.0f};
      auto corner = [&](float sx, float fy) {
        return TVector{centre.x + sx * right.x * width / 2.0f + fy * up.x * height / 2.0f,
                       centre.y + sx * right.y * width / 2.0f + fy * up.y * height / 2.0f, 0.0f};
      };
      // The same corner order as an unturned quad: bottom left, bottom
      // right, top right, top left of the picture.
      const TVector c[4] = {corner(-1, -1), corner(1, -1), corner(1, 1), corner(-1, 1)};
      LVertex q[4];
      G_Make_LVertex(q[0], c[0].x, c[0].y, 0, White, White, 0, v);
      G_Make_LVertex(q[1], c[1].x, c[1].y, 0, White, White, u, v);
      G_Make_LVertex(q[2], c[2].x, c[2].y, 0, White, White, u, 0);
      G_Make_LVertex(q[3], c[3].x, c[3].y, 0, White, White, 0, 0);
      batch.m_Add_Corners(q);
    }
  }
  Draw_Unit_Count(count, x, y, width);
}

void Map_Draw_Combat_Markers(const TMap& map, std::uint8_t player) {
  const TEmpire* viewer = player ? Empire_Get(player) : nullptr;
  if (!viewer) return;
  for (std::int32_t i = 1; i <= map.m_Get_Combat_Region_Count(); ++i) {
    const std::int32_t region_id = map.m_Get_Combat_Region(i);
    const TMap_Region* region = map.m_Get_Region(region_id);
    if (!region || !region->m_Get_Visible() || !viewer->m_Is_Region_Known(region_id)) continue;
    const TRegion_Label_Values& label = region->m_Get_Label_Values();
    Display_Draw_Combat_Flag(float(label.label_x), float(map.m_Get_Pixel_Height() - label.label_y + 64), 0.0f);
  }
}
