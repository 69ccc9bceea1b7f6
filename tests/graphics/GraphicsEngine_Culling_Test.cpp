#include <gtest/gtest.h>

#include <cmath>

#include "Engine_Fixture.h"
#include "GameSettings.h"
#include "GraphicsEngine_Culling.h"
#include "Vector_Math.h"

namespace {

constexpr float kPi = 3.14159265f;

class G_Culling : public TEngine_Fixture {
protected:
  void SetUp() override {
    TEngine_Fixture::SetUp();
    G_Culling_Reset();
    TMatrix projection;
    G_Matrix_Perspective_Fov_LH(kPi / 4, 64.0f / 48.0f, 1.0f, 20000.0f, projection);
    G_SetTransform(D3DTS_PROJECTION, projection);
  }
  void TearDown() override {
    G_Culling_Reset();
    TEngine_Fixture::TearDown();
  }

  static float Distance(int plane, const TVector& p) {
    const TG_Plane& q = G_Culling_Planes()[std::size_t(plane)];
    return q.a * p.x + q.b * p.y + q.c * p.z + q.d;
  }
};

TEST_F(G_Culling, CameraIsStoredPublishedAndSetAsTheView) {
  G_Set_Camera({0, 0, -1000}, {0, 0, 0}, {0, 2, 0.5f});
  EXPECT_EQ(Game_Settings.f_camera_eye.z, -1000);
  EXPECT_EQ(Game_Settings.f_camera_look_at.z, 0);
  EXPECT_EQ(Game_Settings.f_camera_up.y, 2);
  EXPECT_EQ(Game_Settings.f_camera_up.z, 0.5f);
  // back points to the eye; up loses its part along back; right = up x back.
  EXPECT_FLOAT_EQ(G_Camera_Back.z, -1);
  EXPECT_FLOAT_EQ(G_Camera_Up.x, 0);
  EXPECT_FLOAT_EQ(G_Camera_Up.y, 1);
  EXPECT_NEAR(G_Camera_Up.z, 0, 1e-6);
  EXPECT_FLOAT_EQ(G_Camera_Right.x, -1);
  EXPECT_NEAR(G_Camera_Right.y, 0, 1e-6);
  TMatrix view;
  ASSERT_EQ(f_device->GetTransform(D3DTS_VIEW, view), S_OK);
  TVector p;
  G_Vector_Transform(view, {0, 0, 0}, p);
  EXPECT_FLOAT_EQ(p.z, 1000);  // the look-at point lies 1000 ahead
  EXPECT_TRUE(G_Culling_Refresh_Pending());
}

TEST_F(G_Culling, UpAlongTheViewDirectionLeavesZeroVectors) {
  G_Set_Camera({0, 0, -1000}, {0, 0, 0}, {0, 0, 3});
  EXPECT_FLOAT_EQ(G_Camera_Back.z, -1);
  for (const TVector& v : {G_Camera_Up, G_Camera_Right}) {
    EXPECT_EQ(v.x, 0);
    EXPECT_EQ(v.y, 0);
    EXPECT_EQ(v.z, 0);
  }
}

TEST_F(G_Culling, PickingHitsTheMapPlane) {
  // A tilted camera: the screen centre picks the point looked at.
  G_Set_Camera({100, -500, -1000}, {100, 200, 0}, {0, 0, -1});
  float x = 0, y = 0;
  ASSERT_TRUE(G_Screen_To_Map_Point(32, 24, x, y));
  EXPECT_NEAR(x, 100, 0.5);
  EXPECT_NEAR(y, 200, 0.5);

  // Straight down: corners are picked, one pixel beyond is not.
  G_Set_Camera({0, 0, -1000}, {0, 0, 0}, {0, 1, 0});
  ASSERT_TRUE(G_Screen_To_Map_Point(64, 48, x, y));
  const float t = std::tan(kPi / 8) * 1000;
  EXPECT_NEAR(x, t * 64 / 48, 0.5);
  EXPECT_NEAR(y, -t, 0.5);
  ASSERT_TRUE(G_Screen_To_Map_Point(0, 0, x, y));
  EXPECT_NEAR(x, -t * 64 / 48, 0.5);
  EXPECT_NEAR(y, t, 0.5);
  struct {
    float x, y;
  } outside[] = {{65, 0}, {-1, 10}, {10, -1}, {10, 49}};
  for (const auto& p : outside) EXPECT_FALSE(G_Screen_To_Map_Point(p.x, p.y, x, y)) << p.x << "," << p.y;
  // A plane height other than 0.
  ASSERT_TRUE(G_Screen_To_Map_Point(32, 24, x, y, -500));
  EXPECT_NEAR(x, 0, 0.01);

  // Looking along the map plane: the ray never meets it.
  G_Set_Camera({0, 0, -1000}, {0, 1000, -1000}, {0, 0, -1});
  EXPECT_FALSE(G_Screen_To_Map_Point(32, 24, x, y));
}

TEST_F(G_Culling, PickingWithoutAViewOrScreenSize) {
  G_Shutdown_GraphicsEngine();  // no view transform can be read: the ray runs along z
  float x = 5, y = 5;
  ASSERT_TRUE(G_Screen_To_Map_Point(10, 10, x, y));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  const std::int32_t w = G_Screen_Width;
  G_Screen_Width = 0;
  EXPECT_FALSE(G_Screen_To_Map_Point(0, 0, x, y));
  G_Screen_Width = w;
}

TEST_F(G_Culling, FrustumPlanesFaceInwardAndDecideInOrder) {
  // A far distance of 3000 keeps the far plane within a unit in singles.
  TMatrix projection;
  G_Matrix_Perspective_Fov_LH(kPi / 4, 64.0f / 48.0f, 1.0f, 3000.0f, projection);
  G_SetTransform(D3DTS_PROJECTION, projection);
  G_Set_Camera({0, 0, -1000}, {0, 0, 0}, {0, 1, 0});
  for (int i = 0; i < G_FRUSTUM_PLANES; ++i) EXPECT_GT(Distance(i, {0, 0, 0}), 0) << i;
  EXPECT_NEAR(Distance(G_PLANE_NEAR, {0, 0, -999}), 0, 0.01);
  EXPECT_NEAR(Distance(G_PLANE_FAR, {0, 0, 2000}), 0, 1);

  // 30 units outside the left plane but within 10 of the near plane: the
  // near plane is tested first and reports the sphere visible.
  const TVector near_left{-0.552f * 6 - 40, 0, -994};
  ASSERT_LT(Distance(G_PLANE_LEFT, near_left), -30);
  ASSERT_LT(std::fabs(Distance(G_PLANE_NEAR, near_left)), 10);
  EXPECT_TRUE(G_Sphere_Visible(near_left, 10));
  // The same far from the near plane is outside.
  const TVector far_left{-0.552f * 500 - 60, 0, -500};
  ASSERT_LT(Distance(G_PLANE_LEFT, far_left), -30);
  EXPECT_FALSE(G_Sphere_Visible(far_left, 10));

  struct {
    TVector centre;
    float radius;
    bool visible;
  } spheres[] = {
      {{0, 0, 0}, 10, true},        // in the middle
      {{0, 0, 2020}, 10, false},   // 20 behind the far plane
      {{0, 0, 2005}, 10, true},    // crossing the far plane
      {{0, 0, -1020}, 10, false},   // behind the eye
      {{0, 5000, 0}, 10, false},    // above the top
      {{0, -5000, 0}, 10, false},   // below the bottom
      {{5000, 0, 0}, 10, false},    // right of the view
  };
  for (const auto& s : spheres)
    EXPECT_EQ(G_Culling_Sphere_In_Frustum(s.centre, s.radius), s.visible)
        << s.centre.x << "," << s.centre.y << "," << s.centre.z;
}

TEST_F(G_Culling, PlanesBeforeAnyViewAndWithoutAnInverse) {
  // Zero planes: the first plane decides with |0| < radius.
  EXPECT_TRUE(G_Sphere_Visible({1e6f, 1e6f, 1e6f}, 1));
  EXPECT_FALSE(G_Culling_Refresh_Pending());
  G_Set_Camera({0, 0, -1000}, {0, 0, 0}, {0, 1, 0});
  EXPECT_FALSE(G_Sphere_Visible({1e6f, 0, 0}, 1));
  // A projection that flattens everything has no inverse: all visible.
  G_SetTransform(D3DTS_PROJECTION, TMatrix{});
  G_Set_Camera({0, 0, -1000}, {0, 0, 0}, {0, 1, 0});
  EXPECT_TRUE(G_Sphere_Visible({1e6f, 0, 0}, 1));
  for (const TG_Plane& p : G_Culling_Planes()) EXPECT_EQ(p.a * p.a + p.b * p.b + p.c * p.c + p.d * p.d, 0);
}

TEST_F(G_Culling, ViewChangedFlag) {
  EXPECT_FALSE(G_Culling_Refresh_Pending());
  G_Culling_Request_Refresh();
  EXPECT_TRUE(G_Culling_Refresh_Pending());
  G_Culling_Clear_Refresh();
  EXPECT_FALSE(G_Culling_Refresh_Pending());
  TMatrix identity;
  G_Matrix_Identity(identity);
  G_SetTransform(D3DTS_WORLD, identity);
  EXPECT_FALSE(G_Culling_Refresh_Pending());  // only the view transform rebuilds
  G_SetTransform(D3DTS_VIEW, identity);
  EXPECT_TRUE(G_Culling_Refresh_Pending());
}

TEST_F(G_Culling, PointInViewGoesToTheScreen) {
  G_Set_Camera({0, 0, -1000}, {0, 0, 0}, {0, 1, 0});
  TMatrix world, view, projection, screen;
  G_Matrix_Identity(world);
  f_device->GetTransform(D3DTS_VIEW, view);
  f_device->GetTransform(D3DTS_PROJECTION, projection);
  G_Matrix_Identity(screen);
  screen.m[0][0] = 32;
  screen.m[1][1] = -24;
  screen.m[3][0] = 32;
  screen.m[3][1] = 24;
  float sx = -7, sy = -7;
  ASSERT_TRUE(G_Point_In_View(world, view, projection, screen, 0, 0, 0, sx, sy));
  EXPECT_FLOAT_EQ(sx, 32);
  EXPECT_FLOAT_EQ(sy, 24);
  const float t = std::tan(kPi / 8) * 1000;
  ASSERT_TRUE(G_Point_In_View(world, view, projection, screen, t * 64 / 48 / 2, t / 2, 0, sx, sy));
  EXPECT_NEAR(sx, 48, 1e-3);
  EXPECT_NEAR(sy, 12, 1e-3);
  sx = sy = -7;
  EXPECT_FALSE(G_Point_In_View(world, view, projection, screen, t * 2, 0, 0, sx, sy));
  EXPECT_FALSE(G_Point_In_View(world, view, projection, screen, 0, -t * 2, 0, sx, sy));
  EXPECT_EQ(sx, -7);
  EXPECT_EQ(sy, -7);
  // The world matrix moves the point first.
  world.m[3][0] = -t * 64 / 48 / 2;
  ASSERT_TRUE(G_Point_In_View(world, view, projection, screen, t * 64 / 48 / 2, 0, 0, sx, sy));
  EXPECT_NEAR(sx, 32, 1e-3);
}

}  // namespace
