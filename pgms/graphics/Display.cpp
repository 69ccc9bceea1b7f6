#include "Display.h"

#include <cmath>
#include <string>

#include "Debug_Log.h"
#include "Empire.h"
#include "GameSettings.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Texture.h"
#include "Io.h"
#include "MapClass.h"
#include "MapClass_Draw.h"
#include "MapRegion.h"
#include "Path.h"

std::int32_t Display_Buttons_Texture = 0;
std::int32_t Display_Buttons_2_Texture = 0;
std::int32_t Display_Buttons_3_Texture = 0;
std::int32_t Display_Buttons_4_Texture = 0;
std::int32_t Display_Cursors_Texture = 0;
std::int32_t Display_Flags_Texture = 0;
std::int32_t Display_Misc_Texture = 0;
std::int32_t Display_Map_Values_Texture = 0;
std::int32_t Display_Move_Arrow_Texture = 0;
std::int32_t Display_Combat_Flag_Texture = 0;
std::int32_t Display_Overview_Background_Texture = 0;
std::int32_t Display_Overview_Ownership_Texture = 0;

namespace {

constexpr std::uint8_t INTERFACE_GROUP = 2;
constexpr std::uint8_t KEY_BLACK = TEXTURE_COLOR_KEY_BLACK;
constexpr std::uint8_t KEY_NONE = 3;

struct TAtlas {
  std::int32_t* handle;
  std::string (TPath_Settings::*file)() const;
  std::uint8_t start_key;
  std::uint8_t reload_key;
};

const TAtlas ATLASES[] = {
    {&Display_Buttons_Texture, &TPath_Settings::m_Get_Buttons_Bmp, KEY_BLACK, KEY_NONE},
    {&Display_Buttons_2_Texture, &TPath_Settings::m_Get_Buttons_2_Bmp, KEY_BLACK, KEY_NONE},
    {&Display_Buttons_3_Texture, &TPath_Settings::m_Get_Buttons_3_Bmp, KEY_BLACK, KEY_NONE},
    {&Display_Buttons_4_Texture, &TPath_Settings::m_Get_Buttons_4_Bmp, KEY_BLACK, KEY_NONE},
    {&Display_Cursors_Texture, &TPath_Settings::m_Get_Cursors_Bmp, KEY_BLACK, KEY_BLACK},
    {&Display_Flags_Texture, &TPath_Settings::m_Get_Flags_Bmp, KEY_NONE, KEY_NONE},
    {&Display_Misc_Texture, &TPath_Settings::m_Get_Misc_Bmp, KEY_BLACK, KEY_NONE},
    {&Display_Map_Values_Texture, &TPath_Settings::m_Get_Map_Values_Bmp, KEY_NONE, KEY_NONE},
    {&Display_Move_Arrow_Texture, &TPath_Settings::m_Get_MoveArrow_Bmp, KEY_BLACK, KEY_BLACK},
    {&Display_Combat_Flag_Texture, &TPath_Settings::m_Get_CombatFlag_Bmp, KEY_BLACK, KEY_BLACK},
};

// Loads one picture into the interface group; a missing or unreadable
// picture is written to the debug log and gives 0.
std::int32_t Load_Picture(const char* where, const std::string& file, std::uint8_t key) {
  const std::int32_t handle = g_tg_texture_list->m_Load_Texture(file, INTERFACE_GROUP, key);
  const TGTexture* texture = handle > 0 ? g_tg_texture_list->m_Get_Texture(handle) : nullptr;
  if (!texture || !texture->m_Has_Texture()) Debug_Log_Write(std::string(where) + " - picture not loaded: " + file);
  return handle;
}

void Load_Atlases(const char* where, bool reload) {
  if (!g_tg_texture_list || !Path_Settings) {
    Debug_Log_Write(std::string(where) + " - no texture list or paths");
    return;
  }
  for (const TAtlas& atlas : ATLASES)
    *atlas.handle = Load_Picture(where, (Path_Settings->*atlas.file)(), reload ? atlas.reload_key : atlas.start_key);
}

TRect Rect_Of(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  return TRect{x, y, x + width, y + height};
}

// Four lit vertices around P in the plane z = P.z, drawn as two triangles;
// the image's top toward +y.
void Draw_World_Marker(std::int32_t handle, float x, float y, float z, float hx, float hy, float u0, float v0,
                       float u1, float v1) {
  if (!g_tg_texture_list) return;
  const TGTexture* texture = g_tg_texture_list->m_Get_Texture(handle);
  if (!texture || !texture->m_Has_Texture()) return;
  G_Set_ZWriteEnable(true);
  G_Set_Lighting(false);
  G_Set_Ambient(0);
  G_Set_AlphaTestEnable(false);
  G_Set_AlphaBlendEnable(true);
  G_Set_SrcBlend(D3DBLEND_ONE);
  G_Set_DestBlend(D3DBLEND_INVSRCALPHA);
  G_SetSamplerState_MinFilter(D3DTEXF_LINEAR);
  G_SetSamplerState_MagFilter(D3DTEXF_LINEAR);
  G_SetTexture_Obj(0, texture);
  const TColor diffuse = G_Make_Color_RGBA(255, 255, 255, 150);
  const TColor specular = G_Make_Color(255, 255, 255);
  LVertex v[4];
  G_Make_LVertex(v[0], x - hx, y - hy, z, diffuse, specular, u0, v1);
  G_Make_LVertex(v[1], x - hx, y + hy, z, diffuse, specular, u0, v0);
  G_Make_LVertex(v[2], x + hx, y + hy, z, diffuse, specular, u1, v0);
  G_Make_LVertex(v[3], x + hx, y - hy, z, diffuse, specular, u1, v1);
  static const std::uint16_t indices[6] = {3, 1, 0, 3, 2, 1};
  G_DrawIndexedPrimitive_LVertex(D3DPT_TRIANGLELIST, v, 4, indices, 6);
}

// A textured 2D quad from memory: corners at -0.5 pixel, z 0.5, rhw 1,
// texture coordinates from (0, 0) to (u, v).
void Draw_Screen_Quad(const char* where, float left, float top, float width, float height, TColor color, float u,
                      float v) {
  TScreen_Vertex q[4];
  G_Make_Screen_Vertex(q[0], left - 0.5f, top - 0.5f, 0.5f, 1.0f, color, 0, 0);
  G_Make_Screen_Vertex(q[1], left + width - 0.5f, top - 0.5f, 0.5f, 1.0f, color, u, 0);
  G_Make_Screen_Vertex(q[2], left + width - 0.5f, top + height - 0.5f, 0.5f, 1.0f, color, u, v);
  G_Make_Screen_Vertex(q[3], left - 0.5f, top + height - 0.5f, 0.5f, 1.0f, color, 0, v);
  G_SetFVF(FVF_SCREEN_VERTEX);
  if (G_DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q, sizeof(TScreen_Vertex)) != S_OK)
    G_Check_Result(E_FAIL, std::string(where) + " - DrawPrimitiveUP");
}

// The picture texture of a region of the world map (null when none).
const TGTexture* Region_Picture(std::int32_t region) {
  const TGTexture* t = g_tg_texture_list->m_Get_Texture(G_Map->m_Get_Region_Texture(region));
  if (!t || !t->m_Texture() || t->m_Texture_Width() < 1 || t->m_Texture_Height() < 1) return nullptr;
  return t;
}

float Image_U(const TGTexture& t) { return float(t.m_Image_Width()) / float(t.m_Texture_Width()); }
float Image_V(const TGTexture& t) { return float(t.m_Image_Height()) / float(t.m_Texture_Height()); }

TEmpire* Empire_Of(std::int64_t player) { return G_Empire_List ? G_Empire_List->m_Get_Empire(player) : nullptr; }

void Draw_Ownership(std::int32_t player, std::int32_t second_player) {
  g_tg_texture_list->m_Draw_All({0, 0, DISPLAY_OVERVIEW_WIDTH, DISPLAY_OVERVIEW_HEIGHT},
                                Display_Overview_Background_Texture, false);
  const TEmpire* a = Empire_Of(player);
  const TEmpire* b = Empire_Of(second_player);
  if (!G_Map || G_Map->m_Get_Region_Count() < 1 || (!a && !b)) return;
  // A map of no size has no place on the overview.
  if (G_Map->m_Get_Pixel_Width() < 1 || G_Map->m_Get_Pixel_Height() < 1) return;
  const float sx = float(DISPLAY_OVERVIEW_WIDTH) / float(G_Map->m_Get_Pixel_Width());
  const float sy = float(DISPLAY_OVERVIEW_HEIGHT) / float(G_Map->m_Get_Pixel_Height());
  const std::int32_t count = G_Map->m_Get_Region_Count();

  G_Set_Lighting(true);
  G_Set_AlphaBlendEnable(true);
  G_Set_SrcBlend(D3DBLEND_SRCCOLOR);
  G_Set_DestBlend(D3DBLEND_INVSRCCOLOR);
  G_SetSamplerState_MinFilter(D3DTEXF_POINT);
  G_SetSamplerState_MagFilter(D3DTEXF_POINT);
  for (std::int32_t r = 1; r <= count; ++r) {
    const TMap_Region* region = G_Map->m_Get_Region(r);
    if (!region || region->m_Get_Type() != 1 || region->m_Get_Owner() == 0) continue;
    if ((a && !a->m_Is_Region_Known(r)) || (b && !b->m_Is_Region_Known(r))) continue;
    const TEmpire* owner = Empire_Of(region->m_Get_Owner());
    if (!owner || owner->m_Get_Neutral() || G_Empire_List->m_Is_Neutral(region->m_Get_Owner())) continue;
    const TGTexture* picture = Region_Picture(r);
    if (!picture) continue;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    region->m_Get_Bounds(left, top, right, bottom);
    G_Set_Ambient(owner->m_Get_Color());
    G_SetTexture_Obj(0, picture);
    Draw_Screen_Quad("Display_Update_Overview_Map_Ownership", float(left) * sx + 1, float(top) * sy + 1,
                     std::trunc(float(picture->m_Image_Width()) * sx),
                     std::trunc(float(picture->m_Image_Height()) * sy), owner->m_Get_Color(), Image_U(*picture),
                     Image_V(*picture));
  }

  // Unexplored regions lie under the same haze as on the world map: the
  // haze colour blended over the region's shape by its alpha, once per
  // region, at the region's own place and size as the tint above.
  G_Set_Lighting(false);
  G_Set_AlphaBlendEnable(true);
  G_Set_SrcBlend(D3DBLEND_SRCALPHA);
  G_Set_DestBlend(D3DBLEND_INVSRCALPHA);
  G_SetSamplerState_MinFilter(D3DTEXF_POINT);
  G_SetSamplerState_MagFilter(D3DTEXF_POINT);
  G_Set_Ambient(0);
  for (std::int32_t r = 1; r <= count; ++r) {
    const TMap_Region* region = G_Map->m_Get_Region(r);
    if (!region) continue;
    const bool a_knows = a && a->m_Is_Region_Known(r);
    const bool dark = !a_knows || (b && !b->m_Is_Region_Known(r));
    if (!dark) continue;
    const TGTexture* picture = Region_Picture(r);
    if (!picture) continue;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    region->m_Get_Bounds(left, top, right, bottom);
    G_SetTexture_Obj(0, picture);
    Draw_Screen_Quad("Display_Update_Overview_Map_Ownership", float(left) * sx + 1, float(top) * sy + 1,
                     std::trunc(float(picture->m_Image_Width()) * sx),
                     std::trunc(float(picture->m_Image_Height()) * sy), Map_Hidden_Region_Color, Image_U(*picture),
                     Image_V(*picture));
  }
}

}  // namespace

bool Init_Global_Display() {
  Load_Atlases("Init_Global_Display", false);
  return true;
}

bool Reload_Global_Display() {
  if (g_tg_texture_list) Load_Atlases("Reload_Global_Display", true);
  return true;
}

bool Clear_Global_Display() {
  for (const TAtlas& atlas : ATLASES) *atlas.handle = 0;
  Display_Overview_Background_Texture = 0;
  Display_Overview_Ownership_Texture = 0;
  return true;
}

void Display_Load_Overview_Map_Textures() {
  if (!g_tg_texture_list || !Path_Settings) return;
  if (Display_Overview_Background_Texture > 0) g_tg_texture_list->m_Unload_Texture(Display_Overview_Background_Texture);
  if (Display_Overview_Ownership_Texture > 0) g_tg_texture_list->m_Unload_Texture(Display_Overview_Ownership_Texture);
  Display_Overview_Background_Texture =
      Load_Picture("Display_Load_Overview_Map_Textures", Path_Settings->m_Get_OverviewMap_Bmp(), KEY_NONE);
  Display_Overview_Ownership_Texture = g_tg_texture_list->m_Create_Flexible_Texture(
      DISPLAY_OVERVIEW_WIDTH, DISPLAY_OVERVIEW_HEIGHT, INTERFACE_GROUP, KEY_NONE);
}

void Reload_Overview_Map_Textures() {
  if (!g_tg_texture_list || !Path_Settings) return;
  const std::string file = Path_Settings->m_Get_OverviewMap_Bmp();
  // The background's entry survives the reset: let go of it before loading
  // again, or the entry keeps a second holder and the next game's load
  // finds the previous map's picture still listed under the same name.
  if (Display_Overview_Background_Texture > 0) g_tg_texture_list->m_Unload_Texture(Display_Overview_Background_Texture);
  Display_Overview_Background_Texture =
      File_Exists(file) ? Load_Picture("Reload_Overview_Map_Textures", file, KEY_NONE) : 0;
  if (Display_Overview_Ownership_Texture > 0) g_tg_texture_list->m_Unload_Texture(Display_Overview_Ownership_Texture);
  Display_Overview_Ownership_Texture = g_tg_texture_list->m_Create_Flexible_Texture(
      DISPLAY_OVERVIEW_WIDTH, DISPLAY_OVERVIEW_HEIGHT, INTERFACE_GROUP, KEY_NONE);
}

void Display_Draw_Button_Frame(std::int32_t x, std::int32_t y, std::int32_t column, std::int32_t style,
                               bool first_state, bool second_state, bool third_state) {
  if (!g_tg_texture_list) return;
  std::int32_t handle = 0, width = 0, height = 0;
  std::int64_t source_x = 0;
  switch (style) {
    case 1: handle = Display_Buttons_Texture; width = 22; height = 22; source_x = std::int64_t(column) * 22; break;
    case 2: handle = Display_Buttons_Texture; width = 90; height = 22; source_x = 264; break;
    case 3: handle = Display_Buttons_2_Texture; width = 168; height = 40; source_x = std::int64_t(column) * 168; break;
    case 4: handle = Display_Buttons_3_Texture; width = 40; height = 40; source_x = std::int64_t(column) * 40; break;
    case 5: handle = Display_Buttons_3_Texture; width = 20; height = 40; source_x = std::int64_t(column) * 20 + 40; break;
    case 6: handle = Display_Buttons_4_Texture; width = 40; height = 40; source_x = std::int64_t(column) * 40; break;
    default: return;
  }
  const std::int32_t row = third_state ? 3 : second_state ? 2 : first_state ? 1 : 0;
  // A column far outside any atlas draws nothing rather than wrapping around.
  if (source_x < 0 || source_x > 0x100000) return;
  const TRect source = Rect_Of(std::int32_t(source_x), row * height, width, height);
  g_tg_texture_list->m_Draw_Part_Masked(Rect_Of(x, y, width, height), handle, source, true);
}

void Display_Draw_Fixed_Icon(std::int32_t x, std::int32_t y) {
  if (!g_tg_texture_list) return;
  g_tg_texture_list->m_Draw_Part_Masked(Rect_Of(x, y, 40, 40), Display_Cursors_Texture, Rect_Of(160, 0, 40, 40),
                                        true);
}

void Display_Draw_Grid_Icon(std::int32_t x, std::int32_t y, std::int32_t row, std::int32_t column) {
  if (!g_tg_texture_list) return;
  const std::int32_t width = Game_Settings.f_flag_width;
  const std::int32_t height = Game_Settings.f_flag_height;
  // Cells before the first (row or column below 1) are not in the atlas.
  if (row < 1 || column < 1 || width < 1 || height < 1) return;
  const std::int64_t left = std::int64_t(column - 1) * width;
  const std::int64_t top = std::int64_t(row - 1) * height;
  if (left > 0x100000 || top > 0x100000) return;
  g_tg_texture_list->m_Draw_Part(Rect_Of(x, y, width, height), Display_Flags_Texture,
                                 Rect_Of(std::int32_t(left), std::int32_t(top), width, height), false);
}

void Display_Draw_Move_Arrow(float from_x, float from_y, float to_x, float to_y) {
  if (!g_tg_texture_list) return;
  const TGTexture* texture = g_tg_texture_list->m_Get_Texture(Display_Move_Arrow_Texture);
  if (!texture || !texture->m_Has_Texture()) return;
  G_Set_ZWriteEnable(true);
  G_Set_AlphaTestEnable(false);
  G_Set_AlphaBlendEnable(true);
  G_Set_SrcBlend(D3DBLEND_SRCCOLOR);
  G_Set_DestBlend(D3DBLEND_INVSRCCOLOR);
  G_SetSamplerState_MinFilter(D3DTEXF_LINEAR);
  G_SetSamplerState_MagFilter(D3DTEXF_LINEAR);
  G_SetTexture_Obj(0, texture);
  G_Set_Lighting(true);
  G_Set_Ambient(G_Make_Color(0, 255, 0));
  // d x (0, 0, -100) = (-100 dy, 100 dx, 0): the band's half width across d.
  const float dx = to_x - from_x, dy = to_y - from_y;
  float sx = -100.0f * dy, sy = 100.0f * dx;
  const float length = std::sqrt(sx * sx + sy * sy);
  if (length > 0) {
    sx = sx / length * 100.0f;
    sy = sy / length * 100.0f;
  }
  const TColor white = G_Make_Color(255, 255, 255);
  LVertex v[4];
  G_Make_LVertex(v[0], from_x + sx, from_y + sy, 0, white, white, 0, 1);
  G_Make_LVertex(v[1], from_x - sx, from_y - sy, 0, white, white, 1, 1);
  G_Make_LVertex(v[2], to_x - sx, to_y - sy, 0, white, white, 1, 0);
  G_Make_LVertex(v[3], to_x + sx, to_y + sy, 0, white, white, 0, 0);
  static const std::uint16_t indices[6] = {3, 1, 0, 3, 2, 1};
  G_DrawIndexedPrimitive_LVertex(D3DPT_TRIANGLELIST, v, 4, indices, 6);
}

void Display_Draw_Combat_Flag(float x, float y, float z) {
  Draw_World_Marker(Display_Combat_Flag_Texture, x, y, z, 50.0f, 50.0f, 0.0f, 0.0f, 1.0f, 1.0f);
}

void Display_Draw_Misc_Marker(float x, float y, float z) {
  if (!g_tg_texture_list) return;
  const TGTexture* texture = g_tg_texture_list->m_Get_Texture(Display_Misc_Texture);
  if (!texture || texture->m_Texture_Width() < 1 || texture->m_Texture_Height() < 1) return;
  const float tw = float(texture->m_Texture_Width()), th = float(texture->m_Texture_Height());
  Draw_World_Marker(Display_Misc_Texture, x, y, z, 53.5f, 8.25f, 1.0f / tw, 109.0f / th, 213.0f / tw, 140.0f / th);
}

void Display_Update_Overview_Map_Ownership(std::int32_t player, std::int32_t second_player) {
  if (Debug_Sections[DEBUG_ENGINE_STARTUP]) Debug_Log_Write("Display_Update_Overview_Map_Ownership - Start");
  if (g_tg_texture_list && G_Device()) {
    TDevice_Surface kept = 0;
    G_GetRenderTarget(0, kept);
    const TGTexture* target = g_tg_texture_list->m_Get_Texture(Display_Overview_Ownership_Texture);
    if (target && target->m_Has_Texture()) {
      TDevice_Surface surface = 0;
      if (G_GetSurfaceLevel(0, target, surface) == S_OK && G_SetRenderTarget(0, surface) == S_OK) {
        G_Main_Clear(G_Make_Color_RGBA(0, 0, 0, 0));
        Draw_Ownership(player, second_player);
      }
      G_Release_Surface(surface);
    }
    G_SetRenderTarget(0, kept);
    G_Release_Surface(kept);
  }
  if (Debug_Sections[DEBUG_ENGINE_STARTUP]) Debug_Log_Write("Display_Update_Overview_Map_Ownership - End");
}

void Display_Draw_Overview_Map(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                               bool frame_shown, const TRect& frame, std::int32_t first_region,
                               std::int32_t second_region, std::int32_t third_region, std::int32_t player) {
  if (Display_Overview_Background_Texture < 1 || !g_tg_texture_list) return;
  g_tg_texture_list->m_Draw_Part(Rect_Of(x, y, width, height), Display_Overview_Ownership_Texture,
                                 Rect_Of(0, 0, DISPLAY_OVERVIEW_WIDTH, DISPLAY_OVERVIEW_HEIGHT), false);
  const bool map_sized = G_Map && G_Map->m_Get_Pixel_Width() > 0 && G_Map->m_Get_Pixel_Height() > 0;
  if (map_sized) {
    const float fx = float(width) / float(G_Map->m_Get_Pixel_Width());
    const float fy = float(height) / float(G_Map->m_Get_Pixel_Height());

    auto highlight = [&](std::int32_t r, TColor color) {
      const TMap_Region* region = G_Map->m_Get_Region(r);
      const TGTexture* picture = region ? Region_Picture(r) : nullptr;
      if (!picture) return;
      std::int32_t left = 0, top = 0, right = 0, bottom = 0;
      region->m_Get_Bounds(left, top, right, bottom);
      G_Set_Lighting(true);
      G_Set_Ambient(color);
      G_Set_AlphaBlendEnable(true);
      G_Set_SrcBlend(D3DBLEND_ONE);
      G_Set_DestBlend(D3DBLEND_ONE);
      G_SetSamplerState_MinFilter(D3DTEXF_POINT);
      G_SetSamplerState_MagFilter(D3DTEXF_POINT);
      G_SetTexture_Obj(0, picture);
      Draw_Screen_Quad("Display_Draw_Overview_Map", std::trunc(float(x) + float(left) * fx + 1),
                       std::trunc(float(y) + float(top) * fy + 1),
                       std::trunc(float(picture->m_Image_Width()) * fx),
                       std::trunc(float(picture->m_Image_Height()) * fy), color, Image_U(*picture),
                       Image_V(*picture));
    };
    if (first_region > 0) highlight(first_region, G_Make_Color(100, 100, 100));
    if (second_region > 0) highlight(second_region, G_Make_Color(100, 100, 100));
    if (third_region > 0) highlight(third_region, G_Make_Color(100, 100, 50));

    if (const TEmpire* empire = Empire_Of(player)) {
      const float flag_w = 200.0f * fx, flag_h = 200.0f * fy;
      for (std::int32_t i = 1; i <= G_Map->m_Get_Combat_Region_Count(); ++i) {
        const std::int32_t r = G_Map->m_Get_Combat_Region(i);
        const TMap_Region* region = G_Map->m_Get_Region(r);
        if (!region || !empire->m_Is_Region_Known(r)) continue;
        const TRegion_Label_Values& label = region->m_Get_Label_Values();
        const float px = float(x) + float(label.label_x) * fx - flag_w / 4.0f;
        const float py = float(y) + float(label.label_y - 128) * fy;
        const TRect dest{std::int32_t(px), std::int32_t(py), std::int32_t(px + flag_w), std::int32_t(py + flag_h)};
        g_tg_texture_list->m_Draw_All_Blend(dest, Display_Combat_Flag_Texture, true, D3DBLEND_ONE,
                                            D3DBLEND_INVSRCALPHA, G_Make_Color(150, 150, 150));
      }
    }

    const TMap_Region* from = second_region > 0 ? G_Map->m_Get_Region(first_region) : nullptr;
    const TMap_Region* to = second_region > 0 ? G_Map->m_Get_Region(second_region) : nullptr;
    const TGTexture* arrow = g_tg_texture_list->m_Get_Texture(Display_Move_Arrow_Texture);
    if (from && to && arrow && arrow->m_Has_Texture() && arrow->m_Texture_Width() > 0 &&
        arrow->m_Texture_Height() > 0) {
      G_Set_ZWriteEnable(true);
      G_Set_AlphaTestEnable(false);
      G_Set_AlphaBlendEnable(true);
      G_Set_SrcBlend(D3DBLEND_SRCCOLOR);
      G_Set_DestBlend(D3DBLEND_INVSRCCOLOR);
      G_SetSamplerState_MinFilter(D3DTEXF_LINEAR);
      G_SetSamplerState_MagFilter(D3DTEXF_LINEAR);
      G_SetTexture_Obj(0, arrow);
      G_Set_Lighting(true);
      G_Set_Ambient(G_Make_Color(0, 255, 0));
      const float ax = float(from->m_Get_Label_Values().label_x), ay = float(from->m_Get_Label_Values().label_y);
      const float bx = float(to->m_Get_Label_Values().label_x), by = float(to->m_Get_Label_Values().label_y);
      float sx = -100.0f * (by - ay), sy = 100.0f * (bx - ax);
      const float length = std::sqrt(sx * sx + sy * sy);
      if (length > 0) {
        sx = sx / length * 100.0f;
        sy = sy / length * 100.0f;
      }
      // The image's top at the second region, as the arrow in the world.
      const float u = Image_U(*arrow), v = Image_V(*arrow);
      const float corners[4][4] = {{ax + sx, ay + sy, 0, v}, {ax - sx, ay - sy, u, v},
                                   {bx - sx, by - sy, u, 0}, {bx + sx, by + sy, 0, 0}};
      const TColor green = G_Make_Color(0, 255, 0);
      TScreen_Vertex q[4];
      for (int i = 0; i < 4; ++i)
        G_Make_Screen_Vertex(q[i], float(x) + corners[i][0] * fx - 0.5f, float(y) + corners[i][1] * fy - 0.5f, 0.5f,
                             1.0f, green, corners[i][2], corners[i][3]);
      G_SetFVF(FVF_SCREEN_VERTEX);
      G_DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q, sizeof(TScreen_Vertex));
    }
  }

  if (frame_shown) {
    const TColor white = G_Make_Color(255, 255, 255);
    const std::int32_t l = x + frame.Left, t = y + frame.Top, r = x + frame.Right, b = y + frame.Bottom;
    G_Draw_2D_Color_Part(white, TRect{l, t, r, t + 1}, false, false);
    G_Draw_2D_Color_Part(white, TRect{l, b - 1, r, b}, false, false);
    G_Draw_2D_Color_Part(white, TRect{l, t, l + 1, b}, false, false);
    G_Draw_2D_Color_Part(white, TRect{r - 1, t, r, b}, false, false);
  }
}
