#include "DC_Main_Links.h"

#include "Combat.h"
#include "DC_Main.h"
#include "GameSettings.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "GraphicsEngine_EmitterEvents.h"
#include "MapClass.h"
#include "MapRegion.h"
#include "SoundEngine_Sound_Main.h"

namespace {
TSound_Vector Sound_Point(const TVector& v) { return TSound_Vector{v.x, v.y, v.z}; }
}  // namespace

// --- the turn machinery ------------------------------------------------------------

void TMain_Screen_Turn_Links::m_Centre_Camera(float x, float y) {
  f_screen.m_Center_Camera_On({x, y, Game_Settings.f_camera_eye.z});
}

void TMain_Screen_Turn_Links::m_Set_Screen_Mode(TScreen_Mode mode) {
  if (Is_Screen_Mode(std::int32_t(mode))) f_screen.m_Set_Screen_Mode(mode);
}

void TMain_Screen_Turn_Links::m_Show_Message(const std::string& caption, const std::string& text,
                                             TMessage_Kind kind) {
  f_screen.m_Show_Message(caption, text, kind);
}

void TMain_Screen_Turn_Links::m_Show_Status(const std::string& text) {
  // A status of its own ("Saving Game...") shows even in the local player's
  // turn; the empty text hands the line back to the turn status.
  f_screen.m_Set_Status_Text(text, !text.empty());
  if (text.empty()) f_screen.m_Show_Turn_Status();
}

void TMain_Screen_Turn_Links::m_Show_Turn_Status() { f_screen.m_Show_Turn_Status(); }
void TMain_Screen_Turn_Links::m_Clear_Notices() { f_screen.m_Clear_Notices(); }
void TMain_Screen_Turn_Links::m_Show_Game_Over(std::uint8_t player) { f_screen.m_Game_Over(player); }

bool TMain_Screen_Turn_Links::m_Start_Effect(std::int32_t effect, const TVector& source, const TVector& target,
                                             std::int32_t action_id) {
  // With an action id the effect's end moves that action on.
  return effect != 0 && g_tg_emitter_events &&
         g_tg_emitter_events->m_Start_Effect(effect, source, target, action_id != 0 ? 1 : 0, action_id);
}

std::int32_t TMain_Screen_Turn_Links::m_Start_Sound_3D(const std::string& name, const TVector& position) {
  return name.empty() ? 0 : Sound_Play_3D_Sound(name, 0, Sound_Point(position), TSound_Vector{});
}

void TMain_Screen_Turn_Links::m_Move_Sound_3D(std::int32_t handle, const TVector& position) {
  if (handle != 0) Sound_Update_3D_Sound_Position("", 0, handle, Sound_Point(position), TSound_Vector{});
}

void TMain_Screen_Turn_Links::m_Stop_Sound(std::int32_t handle) {
  if (handle != 0) Sound_Stop_3D_Sound(handle);
}

void TMain_Screen_Turn_Links::m_Play_Interface_Sound(std::int32_t number, std::int32_t volume_offset) {
  Sound_Play_UI_Sound(number, volume_offset);
}

// --- the battle ----------------------------------------------------------------------

void TMain_Screen_Combat_Links::m_Set_Screen_Mode(TScreen_Mode mode) {
  if (Is_Screen_Mode(std::int32_t(mode))) f_screen.m_Set_Screen_Mode(mode);
}

void TMain_Screen_Combat_Links::m_Open_Begin_Dialog() {
  // Without a begin dialog the first turn starts at once.
  if (!f_screen.m_Open_Dialog("Dlg Combat Begin", 0, 0)) Main_Screen_Combat_Begin_Closed();
}

void TMain_Screen_Combat_Links::m_Open_End_Dialog() {
  // Without an end dialog the battle is applied at once.
  if (!f_screen.m_Open_Dialog("Dlg Combat End", 0, 0)) Main_Screen_Combat_End_Closed();
}

void TMain_Screen_Combat_Links::m_Open_Options_Dialog() { f_screen.m_Open_Dialog("Dlg Combat Options", 0, 0); }

void TMain_Screen_Combat_Links::m_Enable_Combat_Buttons(bool enabled) { f_screen.m_Enable_Combat_Buttons(enabled); }

void TMain_Screen_Combat_Links::m_Set_Info_Box_Unit(std::int32_t unit_id, std::int32_t count,
                                                    std::int32_t hit_points) {
  // A piece stands for its units of one type: the box lists that many of
  // them and shows the top unit's hit points as they are now.
  if (unit_id != 0)
    f_screen.m_Set_Info_Box(true, false, TInfo_Box_Kind::Stack, unit_id, 0, true, count, true, hit_points);
  else f_screen.m_Set_Info_Box(false, false, TInfo_Box_Kind::None, 0, 0, true);
}

void TMain_Screen_Combat_Links::m_Clear_Info_Box() {
  f_screen.m_Set_Info_Box(false, false, TInfo_Box_Kind::None, 0, 0);
}

void TMain_Screen_Combat_Links::m_Show_Turn_Status() { f_screen.m_Show_Turn_Status(); }

std::int32_t TMain_Screen_Combat_Links::m_Screen_Width() { return f_screen.m_Width(); }

bool TMain_Screen_Combat_Links::m_Screen_Active() {
  return f_screen.m_Get_Screen_Mode() == TScreen_Mode::Battle && f_screen.m_Visible();
}

void TMain_Screen_Combat_Links::m_Mouse_Position(std::int32_t& x, std::int32_t& y) {
  x = G_Mouse_X;
  y = G_Mouse_Y;
}

bool TMain_Screen_Combat_Links::m_Screen_To_Battle_Plane(std::int32_t x, std::int32_t y, float& plane_x,
                                                         float& plane_y) {
  return G_Screen_To_Map_Point(float(x), float(y), plane_x, plane_y);
}

void Main_Screen_Combat_Begin_Closed() { Combat_Links().m_Next_Piece(); }
void Main_Screen_Combat_End_Closed() { Combat_Links().m_Completed(); }

// --- places of the game on the screen ------------------------------------------------

namespace {
bool Rounded(bool ok, float sx, float sy, std::int32_t& x, std::int32_t& y) {
  if (!ok || !(sx > -1e6f && sx < 1e6f && sy > -1e6f && sy < 1e6f)) return false;
  x = std::int32_t(sx + 0.5f);
  y = std::int32_t(sy + 0.5f);
  return true;
}
}  // namespace

bool TDC_Main::m_Region_Screen_Point(std::int32_t region, std::int32_t& x, std::int32_t& y) const {
  const TMap_Region* r = G_Map ? G_Map->m_Get_Region(region) : nullptr;
  if (!r) return false;
  const TRegion_Label_Values& l = r->m_Get_Label_Values();
  float sx = 0, sy = 0;
  const bool ok = m_Map_Point_On_Screen(float(l.label_x), float(G_Map->m_Get_Pixel_Height() - l.label_y), sx, sy);
  return Rounded(ok, sx, sy, x, y);
}

bool TDC_Main::m_Unit_Screen_Point(std::int32_t unit, std::int32_t& x, std::int32_t& y) const {
  if (!G_Map || !G_Map->m_Valid_Unit_Id(unit)) return false;
  TMap_Unit_Record u;
  G_Map->m_Get_Unit(unit, u);
  const TMap_Region* r = G_Map->m_Get_Region(u.region);
  std::int32_t h = 0, w = 0, top = 0, left = 0;
  if (u.id == 0 || !r || !r->m_Get_Stack_Position(u.unit_type, u.owner, h, w, top, left)) return false;
  float sx = 0, sy = 0;
  const bool ok = m_Map_Point_On_Screen(float(left) + float(w) / 2.0f, float(top) + float(h) / 2.0f, sx, sy);
  return Rounded(ok, sx, sy, x, y);
}

bool TDC_Main::m_Centre_On_Region(std::int32_t region) {
  const TMap_Region* r = G_Map ? G_Map->m_Get_Region(region) : nullptr;
  if (!r) return false;
  const TRegion_Label_Values& l = r->m_Get_Label_Values();
  m_Center_Camera_On({float(l.centre_x), float(G_Map->m_Get_Pixel_Height() - l.centre_y), Game_Settings.f_camera_eye.z});
  return true;
}
