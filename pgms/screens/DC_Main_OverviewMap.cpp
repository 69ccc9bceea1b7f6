#include "DC_Main_OverviewMap.h"

#include <algorithm>

#include "DC_Main.h"
#include "Display.h"
#include "GameSettings.h"
#include "GraphicsEngine_Culling.h"
#include "GraphicsEngine_Texture.h"
#include "MapClass.h"
#include "World_Unit_Facts.h"

TDC_Main_Overview_Map::TDC_Main_Overview_Map(TDC_Main& screen) : TDisplay_Class(0), f_screen(screen) {
  m_Set_Help_Ref(1, 9, 12, "", 0);
}

void TDC_Main_Overview_Map::m_Rebuild() {
  Display_Load_Overview_Map_Textures();
  f_stale = true;
}

void TDC_Main_Overview_Map::m_Update_View_Rect() {
  if (!G_Map || G_Map->m_Get_Pixel_Width() <= 0 || G_Map->m_Get_Pixel_Height() <= 0) return;
  const float mw = float(G_Map->m_Get_Pixel_Width()), mh = float(G_Map->m_Get_Pixel_Height());
  float x, y;
  if (G_Screen_To_Map_Point(0, 0, x, y)) {
    f_view.Left = std::int32_t(x / mw * OVERVIEW_IMAGE_WIDTH);
    f_view.Top = std::int32_t(OVERVIEW_IMAGE_HEIGHT - y / mh * OVERVIEW_IMAGE_HEIGHT);
  }
  if (G_Screen_To_Map_Point(float(G_Screen_Width), float(G_Screen_Height), x, y)) {
    f_view.Right = std::int32_t(x / mw * OVERVIEW_IMAGE_WIDTH);
    f_view.Bottom = std::int32_t(OVERVIEW_IMAGE_HEIGHT - y / mh * OVERVIEW_IMAGE_HEIGHT);
  }
  f_view.Left = std::clamp(f_view.Left, 0, OVERVIEW_IMAGE_WIDTH);
  f_view.Right = std::clamp(f_view.Right, 0, OVERVIEW_IMAGE_WIDTH);
  f_view.Top = std::clamp(f_view.Top, 0, OVERVIEW_IMAGE_HEIGHT);
  f_view.Bottom = std::clamp(f_view.Bottom, 0, OVERVIEW_IMAGE_HEIGHT);
}

bool TDC_Main_Overview_Map::m_Map_Point_At(std::int32_t x, std::int32_t y, float& map_x, float& map_y) const {
  const std::int32_t right = f_x + OVERVIEW_PANEL_WIDTH, bottom = f_y + OVERVIEW_PANEL_HEIGHT;
  if (x < right - 257 || x > right - 1 || y < bottom - 129 || y > bottom - 1) return false;
  if (!G_Map || G_Map->m_Get_Pixel_Width() <= 0 || G_Map->m_Get_Pixel_Height() <= 0) return false;
  const float mw = float(G_Map->m_Get_Pixel_Width()), mh = float(G_Map->m_Get_Pixel_Height());
  const float image_left = float(f_x + 1), image_top = float(f_y + 1);
  map_x = (float(x) - image_left) / OVERVIEW_IMAGE_WIDTH * mw;
  map_y = mh - (float(y) - image_top) / OVERVIEW_IMAGE_HEIGHT * mh;
  return true;
}

void TDC_Main_Overview_Map::m_On_Mouse_Down(TMouse_Button, TShift_State, std::int32_t x, std::int32_t y) {
  float map_x, map_y;
  if (!m_Map_Point_At(x, y, map_x, map_y)) return;
  TVector eye = Game_Settings.f_camera_eye, look_at = Game_Settings.f_camera_look_at;
  eye.x = look_at.x = map_x;
  eye.y = look_at.y = map_y;
  f_screen.m_Set_Camera(eye, look_at, false, Game_Settings.f_camera_up);
}

void TDC_Main_Overview_Map::m_Draw(double) {
  const std::uint8_t player = TDC_Main::m_Local_Player();
  if (f_stale && G_Map && G_Map->m_Get_Region_Count() >= 1) {
    Display_Update_Overview_Map_Ownership(player, 0);
    f_stale = false;
  }
  G_Draw_2D_Color_Part(Make_Color(89, 89, 89), {f_x, f_y, f_x + OVERVIEW_PANEL_WIDTH, f_y + OVERVIEW_PANEL_HEIGHT},
                       false, false);
  Display_Draw_Overview_Map(f_x + 1, f_y + 1, OVERVIEW_IMAGE_WIDTH, OVERVIEW_IMAGE_HEIGHT, true, f_view, 0, 0, 0,
                            player);
  if (!TDC_Main::m_Local_Players_Turn()) return;
  m_Draw_Highlights();
  m_Draw_Selected_Stacks();
}

void TDC_Main_Overview_Map::m_Draw_Highlights() {
  if (!G_Map || !g_tg_texture_list || !G_Device()) return;
  const std::int32_t mw = G_Map->m_Get_Pixel_Width(), mh = G_Map->m_Get_Pixel_Height();
  if (mw <= 0 || mh <= 0) return;
  G_Set_Lighting(false);
  G_Set_AlphaBlendEnable(true);
  G_Set_SrcBlend(D3DBLEND_SRCCOLOR);
  G_Set_DestBlend(D3DBLEND_INVSRCCOLOR);
  G_SetSamplerState_MinFilter(D3DTEXF_POINT);
  G_SetSamplerState_MagFilter(D3DTEXF_POINT);
  const TColor grey = Make_Color(150, 150, 150);
  for (std::int32_t id : f_screen.m_Highlighted_Regions()) {
    const TMap_Region* region = G_Map->m_Get_Region(id);
    const TGTexture* t = region ? g_tg_texture_list->m_Get_Texture(G_Map->m_Get_Region_Texture(id)) : nullptr;
    if (!t || !t->m_Texture() || t->m_Texture_Width() <= 0 || t->m_Texture_Height() <= 0) continue;
    std::int32_t left, top, right, bottom;
    region->m_Get_Bounds(left, top, right, bottom);
    const float x = float(f_x + 1 + std::int64_t(left) * OVERVIEW_IMAGE_WIDTH / mw) - 0.5f;
    const float y = float(f_y + 1 + std::int64_t(top) * OVERVIEW_IMAGE_HEIGHT / mh) - 0.5f;
    const float w = float(std::int64_t(t->m_Image_Width()) * OVERVIEW_IMAGE_WIDTH / mw);
    const float h = float(std::int64_t(t->m_Image_Height()) * OVERVIEW_IMAGE_HEIGHT / mh);
    const float u = float(t->m_Image_Width()) / float(t->m_Texture_Width());
    const float v = float(t->m_Image_Height()) / float(t->m_Texture_Height());
    TScreen_Vertex q[4];
    G_Make_Screen_Vertex(q[0], x, y, 0.5f, 1.0f, grey, 0, 0);
    G_Make_Screen_Vertex(q[1], x + w, y, 0.5f, 1.0f, grey, u, 0);
    G_Make_Screen_Vertex(q[2], x + w, y + h, 0.5f, 1.0f, grey, u, v);
    G_Make_Screen_Vertex(q[3], x, y + h, 0.5f, 1.0f, grey, 0, v);
    G_SetTexture_Obj(0, t);
    G_SetFVF(FVF_SCREEN_VERTEX);
    G_DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q, DEVICE_VERTEX_STRIDE);
  }
}

void TDC_Main_Overview_Map::m_Draw_Selected_Stacks() {
  if (!G_Map) return;
  const std::int32_t mw = G_Map->m_Get_Pixel_Width(), mh = G_Map->m_Get_Pixel_Height();
  const TMap_Region* region = G_Map->m_Get_Region(f_screen.m_Selected_Region());
  if (!region || mw <= 0 || mh <= 0) return;
  for (const TSelected_Unit& group : f_screen.m_Selected_Groups()) {
    const TUnit_Type* type = World_Unit_Type(group.f_unit_type);
    if (!type) continue;
    for (std::int32_t i = 1; i <= region->m_Get_Square_Count(); ++i) {
      TMap_Region_Square s;
      region->m_Get_Square(i, s);
      if (s.state != SQUARE_STACK || !s.shown || s.unit_type != group.f_unit_type) continue;
      const std::int64_t fw = std::int64_t(s.right - s.left) * std::max<std::int32_t>(1, type->f_square_size_width);
      const std::int64_t fh = std::int64_t(s.bottom - s.top) * std::max<std::int32_t>(1, type->f_square_size_height);
      const std::int32_t x = f_x + std::int32_t(std::int64_t(s.left) * OVERVIEW_IMAGE_WIDTH / mw);
      const std::int32_t y = f_y + std::int32_t((s.top + fh) * OVERVIEW_IMAGE_HEIGHT / mh);
      const std::int32_t w = std::max<std::int32_t>(1, std::int32_t(fw * OVERVIEW_IMAGE_WIDTH / mw));
      const std::int32_t h = std::max<std::int32_t>(1, std::int32_t(fh * OVERVIEW_IMAGE_HEIGHT / mh));
      G_Draw_2D_Color_Part(Make_Color(255, 255, 255), {x, y, x + w, y + h}, false, false);
      break;
    }
  }
}
