#include "GraphicsEngine_Culling.h"

#include <algorithm>
#include <cmath>

#include "GameSettings.h"
#include "GraphicsEngine.h"
#include "Render_Device.h"
#include "Vector_Math.h"

TVector G_Camera_Back;
TVector G_Camera_Up;
TVector G_Camera_Right;

namespace {

std::array<TG_Plane, G_FRUSTUM_PLANES> f_planes{};
std::int32_t f_view_changed = 0;

void Normalize_If_Long(TVector& v) {
  if (G_Vector_Length(v) > 0.0f) G_Vector_Normalize(v, v);
}

// The plane through three points; its normal (p1 - p0) x (p2 - p0).
TG_Plane Plane_From_Points(const TVector& p0, const TVector& p1, const TVector& p2) {
  TVector e1, e2, n;
  G_Vector_Subtract(p1, p0, e1);
  G_Vector_Subtract(p2, p0, e2);
  G_Vector_Cross(e1, e2, n);
  Normalize_If_Long(n);
  return {n.x, n.y, n.z, -G_Vector_Dot(n, p0)};
}

// The point transformed by m with the division by w (a w of 0 is left
// undivided).
TVector Transform_Projected(const TMatrix& m, float x, float y, float z) {
  TVector4 in{x, y, z, 1.0f}, out;
  G_Vector4_Transform(m, in, out);
  if (out.w != 0.0f) return {out.x / out.w, out.y / out.w, out.z / out.w};
  return {out.x, out.y, out.z};
}

}  // namespace

void G_Set_Camera(const TVector& eye, const TVector& look_at, const TVector& up) {
  Game_Settings.f_camera_eye = eye;
  Game_Settings.f_camera_look_at = look_at;
  Game_Settings.f_camera_up = up;

  TVector back;
  G_Vector_Subtract(eye, look_at, back);
  Normalize_If_Long(back);
  TVector u = up;
  Normalize_If_Long(u);
  TVector along, up_view;
  G_Vector_Scale(back, along, G_Vector_Dot(u, back));
  G_Vector_Subtract(u, along, up_view);
  Normalize_If_Long(up_view);
  TVector right;
  G_Vector_Cross(up_view, back, right);
  G_Camera_Back = back;
  G_Camera_Up = up_view;
  G_Camera_Right = right;

  TMatrix view;
  G_Matrix_Look_At_LH(eye, look_at, up, view);
  G_SetTransform(D3DTS_VIEW, view);
}

bool G_Screen_To_Map_Point(float screen_x, float screen_y, float& map_x, float& map_y, float plane_height) {
  const float w = float(G_Screen_Width);
  const float h = float(G_Screen_Height);
  // A screen of no size has no pixels (and would divide by zero below).
  if (G_Screen_Width <= 0 || G_Screen_Height <= 0) return false;
  if (screen_x < 0 || screen_y < 0 || screen_x > w || screen_y > h) return false;

  const float t = std::tan(G_PICK_FIELD_OF_VIEW / 2.0f);
  const float dx = t * (screen_x / (w / 2.0f) - 1.0f) / (h / w);
  const float dy = t * (1.0f - screen_y / (h / 2.0f));

  TVector near_point{dx * G_PICK_NEAR, dy * G_PICK_NEAR, G_PICK_NEAR};
  TVector far_point{dx * G_PICK_FAR, dy * G_PICK_FAR, G_PICK_FAR};
  TMatrix view, inverse;
  if (G_GetTransform(D3DTS_VIEW, view) == S_OK && G_Matrix_Inverse(view, inverse)) {
    G_Vector_Transform(inverse, near_point, near_point);
    G_Vector_Transform(inverse, far_point, far_point);
  } else {
    near_point = {0.0f, 0.0f, G_PICK_NEAR};
    far_point = {0.0f, 0.0f, G_PICK_FAR};
  }
  G_Vector_Clamp(near_point);
  G_Vector_Clamp(far_point);

  const TVector p0{10000.0f, 10000.0f, plane_height};
  const TVector p1{-10000.0f, 10000.0f, plane_height};
  const TVector p2{-10000.0f, -10000.0f, plane_height};
  TVector hit;
  if (!G_Line_Plane_Intersect(far_point, near_point, p0, p1, p2, hit)) return false;
  map_x = hit.x;
  map_y = hit.y;
  return true;
}

bool G_Point_In_View(const TMatrix& world, const TMatrix& view, const TMatrix& projection, const TMatrix& screen,
                     float x, float y, float z, float& screen_x, float& screen_y) {
  TVector4 p{x, y, z, 1.0f};
  G_Vector4_Transform(world, p, p);
  G_Vector4_Transform(view, p, p);
  G_Vector4_Transform(projection, p, p);
  if (p.x < -p.w || p.x > p.w || p.y < -p.w || p.y > p.w) return false;
  G_Vector4_Transform(screen, p, p);
  screen_x = p.x / p.w;
  screen_y = p.y / p.w;
  return true;
}

void G_Culling_Set_View_Frustrum() {
  TRender_Device* device = Render_Device_Current();
  if (!device) return;
  TMatrix projection, view;
  HRESULT r = device->GetTransform(D3DTS_PROJECTION, projection);
  if (r != S_OK) G_Check_Result(r, "G_Culling_Set_View_Frustrum - GetTransform 1");
  r = device->GetTransform(D3DTS_VIEW, view);
  if (r != S_OK) G_Check_Result(r, "G_Culling_Set_View_Frustrum - GetTransform 2");

  TMatrix view_projection, m;
  G_Matrix_Multiply(view, projection, view_projection);
  if (!G_Matrix_Inverse(view_projection, m)) {
    // No volume to bound: every sphere is reported visible.
    f_planes = {};
  } else {
    TVector c[8];
    for (int i = 0; i < 8; ++i)
      c[i] = Transform_Projected(m, (i & 1) ? 1.0f : -1.0f, (i & 2) ? 1.0f : -1.0f, (i & 4) ? 1.0f : 0.0f);
    f_planes[G_PLANE_NEAR] = Plane_From_Points(c[0], c[1], c[2]);
    f_planes[G_PLANE_FAR] = Plane_From_Points(c[6], c[7], c[5]);
    f_planes[G_PLANE_LEFT] = Plane_From_Points(c[2], c[6], c[4]);
    f_planes[G_PLANE_RIGHT] = Plane_From_Points(c[7], c[3], c[5]);
    f_planes[G_PLANE_TOP] = Plane_From_Points(c[2], c[3], c[6]);
    f_planes[G_PLANE_BOTTOM] = Plane_From_Points(c[1], c[0], c[4]);
  }
  f_view_changed = 1;
}

bool G_Culling_Sphere_In_Frustum(const TVector& centre, float radius) {
  for (const TG_Plane& p : f_planes) {
    const float d = p.a * centre.x + p.b * centre.y + p.c * centre.z + p.d;
    if (d < -radius) return false;
    if (std::fabs(d) < radius) return true;
  }
  return true;
}

bool G_Sphere_Visible(const TVector& centre, float radius) { return G_Culling_Sphere_In_Frustum(centre, radius); }

const std::array<TG_Plane, G_FRUSTUM_PLANES>& G_Culling_Planes() { return f_planes; }

void G_Culling_Reset() {
  f_planes = {};
  f_view_changed = 0;
}

void G_Culling_Request_Refresh() { f_view_changed = 1; }
bool G_Culling_Refresh_Pending() { return f_view_changed == 1; }
void G_Culling_Clear_Refresh() { f_view_changed = 0; }
