// The camera, picking and view-frustum culling.
//
// The world map lies in the plane z = 0 and is seen through a perspective
// camera. G_Set_Camera keeps the camera in the game settings (a saved game
// restores the view), publishes its unit vectors (the particles face the
// camera with G_Camera_Right; the 3D sound listener takes G_Camera_Back and
// G_Camera_Up) and sets the view transform, which rebuilds the six planes of
// the view frustum. Spheres are tested against those planes; a screen pixel
// is turned into a point of a horizontal plane; a world point is projected
// to the screen. A view-changed flag tells the main screen to refresh what
// it shows for the new view. Main thread only.
#pragma once

#include <array>
#include <cstdint>

#include "Vector_Types.h"

// One plane a x + b y + c z + d = 0 with a unit normal (a, b, c).
struct TG_Plane {
  float a = 0, b = 0, c = 0, d = 0;
};

// The frustum's planes in this order; their normals point into the volume.
enum TG_Frustum_Plane : int { G_PLANE_NEAR, G_PLANE_FAR, G_PLANE_LEFT, G_PLANE_RIGHT, G_PLANE_TOP, G_PLANE_BOTTOM };
constexpr int G_FRUSTUM_PLANES = 6;

// Picking: field of view, near and far distances of the picking ray.
constexpr float G_PICK_FIELD_OF_VIEW = 0.7853982f;
constexpr float G_PICK_NEAR = 1.0f;
constexpr float G_PICK_FAR = 20000.0f;

// The camera's unit vectors: back points from the look-at point to the eye,
// up is the camera's up made orthogonal to back, right = up x back. A vector
// that cannot be normalised (zero length) stays as computed.
extern TVector G_Camera_Back;
extern TVector G_Camera_Up;
extern TVector G_Camera_Right;

// Stores the camera in the game settings, publishes its vectors and sets the
// left-handed look-at view transform (which rebuilds the frustum).
void G_Set_Camera(const TVector& eye, const TVector& look_at, const TVector& up);

// The point of the plane z = plane_height under the screen pixel (x, y),
// with the drawing layer's current view transform and screen size. False for
// a pixel left of or above the screen or beyond its width or height, for a
// screen of no size, and when the ray runs parallel to the plane.
bool G_Screen_To_Map_Point(float screen_x, float screen_y, float& map_x, float& map_y, float plane_height = 0.0f);

// Transforms (x, y, z, 1) by world, view and projection. When the result's
// x and y lie within -w..w it is transformed by the screen matrix and
// (x / w, y / w) of that is the screen position: true. Otherwise false and
// the outputs are untouched.
bool G_Point_In_View(const TMatrix& world, const TMatrix& view, const TMatrix& projection, const TMatrix& screen,
                     float x, float y, float z, float& screen_x, float& screen_y);

// Rebuilds the planes from the framework device's view and projection
// transforms (nothing without a device) and sets the view-changed flag.
// When view x projection has no inverse the planes become zero (everything
// tests as visible). Called by G_SetTransform after each view change.
void G_Culling_Set_View_Frustrum();
// Whether the sphere touches the frustum (the first plane that decides
// ends the test).
bool G_Culling_Sphere_In_Frustum(const TVector& centre, float radius);
bool G_Sphere_Visible(const TVector& centre, float radius);
// The current planes (zero until the first view transform).
const std::array<TG_Plane, G_FRUSTUM_PLANES>& G_Culling_Planes();
// Forgets the planes and clears the flag (the state before any view).
void G_Culling_Reset();

// The view-changed flag: 1 set, 0 clear.
void G_Culling_Request_Refresh();
bool G_Culling_Refresh_Pending();
void G_Culling_Clear_Refresh();
