#include <gtest/gtest.h>

#include <cmath>

#include "Vector_Math.h"

namespace {
void Expect_Vector(const TVector& v, float x, float y, float z, float tol = 1e-5f) {
  EXPECT_NEAR(v.x, x, tol);
  EXPECT_NEAR(v.y, y, tol);
  EXPECT_NEAR(v.z, z, tol);
}

TMatrix Rows(std::initializer_list<float> values) {
  TMatrix m;
  int i = 0;
  for (float v : values) {
    m.m[i / 4][i % 4] = v;
    ++i;
  }
  return m;
}

void Expect_Matrix(const TMatrix& a, const TMatrix& b, float tol = 1e-5f) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(a.m[i][j], b.m[i][j], tol) << "row " << i + 1 << " column " << j + 1;
}
}  // namespace

TEST(Vector_Math, VectorArithmetic) {
  TVector a{1, 2, 3}, b{4, 6, 3}, out;
  G_Vector_Add(a, b, out);
  Expect_Vector(out, 5, 8, 6);
  G_Vector_Subtract(a, b, out);
  Expect_Vector(out, -3, -4, 0);
  G_Vector_Scale(a, out, 2);
  Expect_Vector(out, 2, 4, 6);
  G_Vector_Divide(b, out, 2);
  Expect_Vector(out, 2, 3, 1.5f);
  EXPECT_FLOAT_EQ(G_Vector_Dot(a, b), 25);
  EXPECT_FLOAT_EQ(G_Vector_Distance(a, b), 5);
  EXPECT_FLOAT_EQ(G_Vector_Length(TVector{3, 4, 0}), 5);
  G_Vector_Cross(TVector{1, 0, 0}, TVector{0, 1, 0}, out);
  Expect_Vector(out, 0, 0, 1);
  // The output may be an input.
  G_Vector_Set(out, 1, 1, 1);
  G_Vector_Cross(out, TVector{1, 2, 3}, out);
  Expect_Vector(out, 1, -2, 1);
}

TEST(Vector_Math, NormalizeKeepsZeroVector) {
  TVector out{9, 9, 9};
  G_Vector_Normalize(TVector{}, out);
  Expect_Vector(out, 0, 0, 0);
  EXPECT_FALSE(std::isnan(out.x));
  G_Vector_Normalize(TVector{0, 3, 4}, out);
  Expect_Vector(out, 0, 0.6f, 0.8f);
}

TEST(Vector_Math, ClampBringsComponentsIntoRange) {
  TVector v{2e30f, -5e30f, 7};
  G_Vector_Clamp(v);
  Expect_Vector(v, 1e30f, -1e30f, 7, 1e24f);
  TVector n{std::nanf(""), 1, -1};
  G_Vector_Clamp(n);
  EXPECT_EQ(n.x, 1e30f);
}

TEST(Vector_Math, TransformUsesRowVectors) {
  TMatrix m = Rows({1, 0, 0, 0,  //
                    0, 2, 0, 0,  //
                    0, 0, 3, 0,  //
                    10, 20, 30, 1});
  TVector out;
  G_Vector_Transform(m, TVector{1, 1, 1}, out);
  Expect_Vector(out, 11, 22, 33);
  TVector4 v4;
  G_Vector4_Set(v4, 1, 1, 1, 0);
  G_Vector4_Transform(m, v4, v4);
  EXPECT_FLOAT_EQ(v4.x, 1);
  EXPECT_FLOAT_EQ(v4.y, 2);
  EXPECT_FLOAT_EQ(v4.z, 3);
  EXPECT_FLOAT_EQ(v4.w, 0);
}

TEST(Vector_Math, Inverse) {
  TMatrix id, out;
  G_Matrix_Identity(id);
  EXPECT_TRUE(G_Matrix_Inverse(id, out));
  Expect_Matrix(out, id);

  TMatrix zero_row = Rows({1, 2, 3, 4, 0, 0, 0, 0, 5, 6, 7, 8, 1, 0, 0, 1});
  EXPECT_FALSE(G_Matrix_Inverse(zero_row, out));

  TMatrix m = Rows({2, 0, 0, 0,  //
                    0, 4, 0, 0,  //
                    0, 1, 1, 0,  //
                    3, 5, 7, 1});
  EXPECT_FLOAT_EQ(G_Matrix_Determinant(m), 8);
  ASSERT_TRUE(G_Matrix_Inverse(m, out));
  TMatrix product;
  G_Matrix_Multiply(m, out, product);
  Expect_Matrix(product, id);
  EXPECT_FLOAT_EQ(G_Det2(1, 2, 3, 4), -2);
  EXPECT_FLOAT_EQ(G_Det3(1, 0, 0, 0, 2, 0, 0, 0, 3), 6);
}

TEST(Vector_Math, LookAtMatrix) {
  // Eye 10 units above the origin looking down with +y as up.
  TMatrix m;
  G_Matrix_Look_At_LH(TVector{0, 0, -10}, TVector{0, 0, 0}, TVector{0, 1, 0}, m);
  Expect_Matrix(m, Rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 10, 1}));

  // Eye on +x looking at the origin: the view's z runs along -x, x along +z.
  G_Matrix_Look_At_LH(TVector{5, 0, 0}, TVector{0, 0, 0}, TVector{0, 1, 0}, m);
  Expect_Matrix(m, Rows({0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 5, 1}));
  TVector p;
  G_Vector_Transform(m, TVector{0, 0, 0}, p);
  Expect_Vector(p, 0, 0, 5);
}

TEST(Vector_Math, PerspectiveMatrix) {
  // Field of view pi/2: y scale 1/tan(pi/4) = 1; aspect 2: x scale 0.5.
  TMatrix m;
  G_Matrix_Perspective_Fov_LH(float(M_PI / 2), 2.0f, 1.0f, 11.0f, m);
  Expect_Matrix(m, Rows({0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.1f, 1, 0, 0, -1.1f, 0}));
  // The near plane maps to depth 0, the far plane to depth 1.
  TVector4 nearp{0, 0, 1, 1}, farp{0, 0, 11, 1};
  G_Vector4_Transform(m, nearp, nearp);
  G_Vector4_Transform(m, farp, farp);
  EXPECT_NEAR(nearp.z / nearp.w, 0, 1e-6);
  EXPECT_NEAR(farp.z / farp.w, 1, 1e-6);
}

TEST(Vector_Math, LinePlaneIntersect) {
  TVector out;
  TVector p0{0, 0, 0}, p1{1, 0, 0}, p2{0, 1, 0};
  EXPECT_TRUE(G_Line_Plane_Intersect(TVector{0, 0, -1}, TVector{0, 0, 1}, p0, p1, p2, out));
  Expect_Vector(out, 0, 0, 0);
  EXPECT_TRUE(G_Line_Plane_Intersect(TVector{3, 4, -2}, TVector{1, 2, 2}, p0, p1, p2, out));
  Expect_Vector(out, 2, 3, 0);
  EXPECT_FALSE(G_Line_Plane_Intersect(TVector{5, 0, 1}, TVector{0, 0, 1}, p0, p1, p2, out));
  Expect_Vector(out, 0, 0, 1);
}

TEST(Vector_Math, BlendModeNames) {
  struct Row {
    int mode;
    const char* name;
  } rows[] = {{0, "Blend_None"},        {1, "Blend_Zero"},         {5, "Blend_SrcAlpha"},
              {6, "Blend_InvSrcAlpha"}, {11, "Blend_SrcAlphaSat"}, {13, "Blend_BothInvSrcAlpha"},
              {14, ""},                 {-1, ""}};
  for (const Row& r : rows) EXPECT_EQ(G_Blend_Mode_Name(r.mode), r.name) << r.mode;
}
