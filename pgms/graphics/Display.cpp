#include "Display.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "Debug_Log.h"
#include "Empire.h"
#include "GameSettings.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Texture.h"
#include "Io.h"
#include "Large_Memory.h"
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

// A region's mask drawn onto the overview where the ownership pass puts it:
// at the region's place shrunk to the overview's scale, point-sampled.
void Draw_Region_Picture_On_Overview(const TGTexture& picture, std::int32_t left, std::int32_t top, float sx,
                                     float sy, TColor color) {
  G_SetTexture_Obj(0, &picture);
  Draw_Screen_Quad("Display_Update_Overview_Map_Ownership", float(left) * sx + 1, float(top) * sy + 1,
                   std::trunc(float(picture.m_Image_Width()) * sx), std::trunc(float(picture.m_Image_Height()) * sy),
                   color, Image_U(picture), Image_V(picture));
}

// What a region's mask leaves on the overview, kept as a small one-byte
// texture of its own: the overview's pixels under the region, each the
// value the full mask gives there (0 where it gives nothing). Drawn texel
// for pixel, it gives every pixel the ownership pass would have drawn from
// the full mask, and a 0 changes nothing under either of its blends. The
// full masks, many times larger, are then needed for the map only, and
// only for the regions shown there.
struct TOverview_Shape {
  std::int32_t picture_id = 0;  // the mask's texture object it was taken from
  const TRender_Device* device = nullptr;
  std::int32_t map_width = 0, map_height = 0;
  TDevice_Texture texture = 0;  // 0: nothing of the region shows
  std::int32_t x = 0, y = 0, width = 0, height = 0, texture_width = 0, texture_height = 0;
};
// Index = region id.
std::vector<TOverview_Shape> Overview_Shapes;
// The full masks drawn onto the scratch target at once make at most this
// many bytes of device textures (one mask alone may make more).
constexpr std::int64_t Overview_Round_Bytes = std::int64_t(4) << 20;

void Forget_Overview_Shapes() {
  // Textures of a device that is gone went with it.
  TRender_Device* device = G_Device();
  for (const TOverview_Shape& shape : Overview_Shapes)
    if (shape.texture && device && shape.device == device) device->Release_Texture(shape.texture);
  Overview_Shapes.clear();
}

struct TOverview_Rect {
  std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // half-open
  bool Meets(const TOverview_Rect& o) const { return x1 < o.x2 && o.x1 < x2 && y1 < o.y2 && o.y1 < y2; }
};

// The shape of a region when it is kept and still stands for the region's
// mask as it is now; null otherwise.
const TOverview_Shape* Overview_Shape(std::int32_t region, const TGTexture& picture) {
  if (region < 1 || std::size_t(region) >= Overview_Shapes.size()) return nullptr;
  const TOverview_Shape& shape = Overview_Shapes[std::size_t(region)];
  if (shape.picture_id == 0 || shape.picture_id != picture.m_Id() || shape.device != G_Device() ||
      shape.map_width != G_Map->m_Get_Pixel_Width() || shape.map_height != G_Map->m_Get_Pixel_Height())
    return nullptr;
  return &shape;
}

// Takes the shapes of the masks that have none yet: the masks are drawn
// onto a scratch target of the overview's size exactly as the ownership
// pass draws them, as many at once as do not come near each other, and
// each one's pixels are read back. A mask's device texture made for this
// goes again.
void Take_Overview_Shapes(float sx, float sy) {
  TRender_Device* device = G_Device();
  const std::int32_t count = G_Map->m_Get_Region_Count();
  if (!device || count < 1) return;
  // Shapes of regions a map no longer has (a map of fewer regions) go.
  for (std::size_t r = std::size_t(count) + 1; r < Overview_Shapes.size(); ++r)
    if (Overview_Shapes[r].texture && Overview_Shapes[r].device == device)
      device->Release_Texture(Overview_Shapes[r].texture);
  Overview_Shapes.resize(std::size_t(count) + 1);
  std::vector<std::int32_t> pending;
  for (std::int32_t r = 1; r <= count; ++r) {
    const TMap_Region* region = G_Map->m_Get_Region(r);
    const TGTexture* t = g_tg_texture_list->m_Get_Texture(G_Map->m_Get_Region_Texture(r));
    if (!region || !t || !t->m_Mask() || !t->m_Has_Texture() || Overview_Shape(r, *t)) continue;
    pending.push_back(r);
  }
  if (pending.empty()) return;
  const std::int32_t scratch = g_tg_texture_list->m_Create_Flexible_Texture(
      DISPLAY_OVERVIEW_WIDTH, DISPLAY_OVERVIEW_HEIGHT, INTERFACE_GROUP, KEY_NONE);
  const TGTexture* target = g_tg_texture_list->m_Get_Texture(scratch);
  TDevice_Surface kept = 0, surface = 0;
  G_GetRenderTarget(0, kept);
  if (target && target->m_Has_Texture() && G_GetSurfaceLevel(0, target, surface) == S_OK &&
      G_SetRenderTarget(0, surface) == S_OK) {
    G_Set_Lighting(false);
    G_Set_AlphaBlendEnable(false);
    G_SetSamplerState_MinFilter(D3DTEXF_POINT);
    G_SetSamplerState_MagFilter(D3DTEXF_POINT);
    std::vector<TColor> pixels;
    while (!pending.empty()) {
      // One round: masks whose places (with a margin) do not meet, and no
      // more of them than make a few megabytes of device textures at once.
      std::vector<std::pair<std::int32_t, TOverview_Rect>> round;
      std::vector<std::int32_t> later;
      std::int64_t round_bytes = 0;
      for (std::int32_t r : pending) {
        const TGTexture* t = g_tg_texture_list->m_Get_Texture(G_Map->m_Get_Region_Texture(r));
        const std::int64_t bytes = std::int64_t(t->m_Texture_Width()) * t->m_Texture_Height();
        if (!round.empty() && round_bytes + bytes > Overview_Round_Bytes) {
          later.push_back(r);
          continue;
        }
        std::int32_t left = 0, top = 0, right = 0, bottom = 0;
        G_Map->m_Get_Region(r)->m_Get_Bounds(left, top, right, bottom);
        const float x = float(left) * sx + 1, y = float(top) * sy + 1;
        // Places far off the overview (bounds of any size) are cut to a
        // range that converts to whole numbers.
        const auto whole = [](float v) { return std::int32_t(std::clamp(v, -1.0e6f, 1.0e6f)); };
        TOverview_Rect place;
        place.x1 = std::max(0, whole(std::floor(x)) - 2);
        place.y1 = std::max(0, whole(std::floor(y)) - 2);
        place.x2 = std::min(DISPLAY_OVERVIEW_WIDTH, whole(std::ceil(x + std::trunc(float(t->m_Image_Width()) * sx))) + 2);
        place.y2 = std::min(DISPLAY_OVERVIEW_HEIGHT, whole(std::ceil(y + std::trunc(float(t->m_Image_Height()) * sy))) + 2);
        bool apart = true;
        for (const auto& other : round) apart = apart && !place.Meets(other.second);
        if (apart) {
          round.emplace_back(r, place);
          round_bytes += bytes;
        } else {
          later.push_back(r);
        }
      }
      pending = std::move(later);
      G_Main_Clear(G_Make_Color_RGBA(0, 0, 0, 0));
      std::vector<bool> was_uploaded;
      for (const auto& [r, place] : round) {
        const TGTexture* t = g_tg_texture_list->m_Get_Texture(G_Map->m_Get_Region_Texture(r));
        std::int32_t left = 0, top = 0, right = 0, bottom = 0;
        G_Map->m_Get_Region(r)->m_Get_Bounds(left, top, right, bottom);
        was_uploaded.push_back(t->m_Mask_Uploaded());
        // A mask that cannot be made a texture is not drawn (and gets no shape).
        if (t->m_Texture()) Draw_Region_Picture_On_Overview(*t, left, top, sx, sy, G_Make_Color(255, 255, 255));
      }
      std::uint32_t w = 0, h = 0;
      if (device->Read_Surface(surface, w, h, pixels) != S_OK || w != std::uint32_t(DISPLAY_OVERVIEW_WIDTH) ||
          h != std::uint32_t(DISPLAY_OVERVIEW_HEIGHT))
        break;
      for (std::size_t k = 0; k < round.size(); ++k) {
        const auto& [r, place] = round[k];
        TGTexture* t = g_tg_texture_list->m_Get_Texture(G_Map->m_Get_Region_Texture(r));
        if (!t->m_Mask_Uploaded()) continue;  // the mask could not be made a texture
        // The smallest rectangle that holds every pixel the mask gave.
        TOverview_Rect used{place.x2, place.y2, place.x1, place.y1};
        for (std::int32_t y = place.y1; y < place.y2; ++y)
          for (std::int32_t x = place.x1; x < place.x2; ++x)
            if ((pixels[std::size_t(y) * w + std::size_t(x)] & 0xFF0000u) != 0) {
              used.x1 = std::min(used.x1, x);
              used.y1 = std::min(used.y1, y);
              used.x2 = std::max(used.x2, x + 1);
              used.y2 = std::max(used.y2, y + 1);
            }
        TOverview_Shape shape;
        shape.picture_id = t->m_Id();
        shape.device = device;
        shape.map_width = G_Map->m_Get_Pixel_Width();
        shape.map_height = G_Map->m_Get_Pixel_Height();
        if (used.x1 < used.x2 && used.y1 < used.y2) {
          shape.x = used.x1;
          shape.y = used.y1;
          shape.width = used.x2 - used.x1;
          shape.height = used.y2 - used.y1;
          shape.texture_width = Mask_Texture_Side(shape.width);
          shape.texture_height = Mask_Texture_Side(shape.height);
          std::vector<std::uint8_t> values(std::size_t(shape.texture_width) * std::size_t(shape.texture_height), 0);
          for (std::int32_t y = 0; y < shape.height; ++y)
            for (std::int32_t x = 0; x < shape.width; ++x)
              values[std::size_t(y) * std::size_t(shape.texture_width) + std::size_t(x)] = std::uint8_t(
                  pixels[std::size_t(shape.y + y) * w + std::size_t(shape.x + x)] >> 16);
          if (device->Create_Mask_Texture(std::uint32_t(shape.texture_width), std::uint32_t(shape.texture_height),
                                          values.data(), D3DPOOL_MANAGED, shape.texture) != S_OK)
            continue;  // drawn from the full mask, as before
        }
        TOverview_Shape& slot = Overview_Shapes[std::size_t(r)];
        if (slot.texture && slot.device == device) device->Release_Texture(slot.texture);
        slot = shape;
        if (!was_uploaded[k]) t->m_Release_Mask_Texture();
      }
    }
  }
  G_SetRenderTarget(0, kept);
  G_Release_Surface(surface);
  G_Release_Surface(kept);
  g_tg_texture_list->m_Unload_Texture(scratch);
  // The full masks' device textures just let go are mostly blocks of the
  // heap: their memory goes back now.
  Large_Memory_Trim_Heap();
}

// A region onto the overview: from its kept shape, else from its picture.
void Draw_Region_On_Overview(std::int32_t r, const TGTexture& picture, std::int32_t left, std::int32_t top, float sx,
                             float sy, TColor color) {
  const TOverview_Shape* shape = picture.m_Mask() ? Overview_Shape(r, picture) : nullptr;
  if (!shape) {
    Draw_Region_Picture_On_Overview(picture, left, top, sx, sy, color);
    return;
  }
  if (!shape->texture) return;
  G_SetTexture(0, shape->texture);
  Draw_Screen_Quad("Display_Update_Overview_Map_Ownership", float(shape->x), float(shape->y), float(shape->width),
                   float(shape->height), color, float(shape->width) / float(shape->texture_width),
                   float(shape->height) / float(shape->texture_height));
}

// The picture of a region for the overview: its mask texture, also when
// that has no device texture now but its kept shape stands for it.
const TGTexture* Region_Overview_Picture(std::int32_t region) {
  const TGTexture* t = g_tg_texture_list->m_Get_Texture(G_Map->m_Get_Region_Texture(region));
  if (t && t->m_Mask() && Overview_Shape(region, *t)) return t;
  return Region_Picture(region);
}

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
    const TGTexture* picture = Region_Overview_Picture(r);
    if (!picture) continue;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    region->m_Get_Bounds(left, top, right, bottom);
    G_Set_Ambient(owner->m_Get_Color());
    Draw_Region_On_Overview(r, *picture, left, top, sx, sy, owner->m_Get_Color());
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
    const TGTexture* picture = Region_Overview_Picture(r);
    if (!picture) continue;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    region->m_Get_Bounds(left, top, right, bottom);
    Draw_Region_On_Overview(r, *picture, left, top, sx, sy, Map_Hidden_Region_Color);
  }
}

}  // namespace

bool Init_Global_Display() {
  Load_Atlases("Init_Global_Display", false);
  return true;
}

bool Reload_Global_Display() {
  Forget_Overview_Shapes();
  if (g_tg_texture_list) Load_Atlases("Reload_Global_Display", true);
  return true;
}

bool Clear_Global_Display() {
  Forget_Overview_Shapes();
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
    // The regions' shapes for the overview are taken first, on a target of
    // their own.
    if (G_Map && G_Map->m_Get_Pixel_Width() > 0 && G_Map->m_Get_Pixel_Height() > 0)
      Take_Overview_Shapes(float(DISPLAY_OVERVIEW_WIDTH) / float(G_Map->m_Get_Pixel_Width()),
                           float(DISPLAY_OVERVIEW_HEIGHT) / float(G_Map->m_Get_Pixel_Height()));
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
