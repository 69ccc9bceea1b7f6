#include "Vector_Math.h"

#include <cmath>

void G_Vector_Set(TVector& v, float x, float y, float z) {
  v.x = x;
  v.y = y;
  v.z = z;
}

void G_Vector_Add(const TVector& a, const TVector& b, TVector& out) {
  TVector r{a.x + b.x, a.y + b.y, a.z + b.z};
  out = r;
}

void G_Vector_Subtract(const TVector& a, const TVector& b, TVector& out) {
  TVector r{a.x - b.x, a.y - b.y, a.z - b.z};
  out = r;
}

void G_Vector_Scale(const TVector& v, TVector& out, float s) {
  TVector r{v.x * s, v.y * s, v.z * s};
  out = r;
}

void G_Vector_Divide(const TVector& v, TVector& out, float s) {
  TVector r{v.x / s, v.y / s, v.z / s};
  out = r;
}

float G_Vector_Length(const TVector& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

void G_Vector_Normalize(const TVector& v, TVector& out) {
  float len = G_Vector_Length(v);
  if (len == 0.0f) {
    out = TVector{};
    return;
  }
  G_Vector_Divide(v, out, len);
}

float G_Vector_Dot(const TVector& a, const TVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

void G_Vector_Cross(const TVector& a, const TVector& b, TVector& out) {
  TVector r{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
  out = r;
}

float G_Vector_Distance(const TVector& a, const TVector& b) {
  TVector d;
  G_Vector_Subtract(a, b, d);
  return G_Vector_Length(d);
}

namespace {
float Clamp_Component(float c) {
  if (std::isnan(c)) return 1e30f;
  if (c > 1e30f) return 1e30f;
  if (c < -1e30f) return -1e30f;
  return c;
}
}  // namespace

void G_Vector_Clamp(TVector& v) {
  v.x = Clamp_Component(v.x);
  v.y = Clamp_Component(v.y);
  v.z = Clamp_Component(v.z);
}

void G_Vector4_Set(TVector4& v, float x, float y, float z, float w) {
  v.x = x;
  v.y = y;
  v.z = z;
  v.w = w;
}

void G_Vector_Transform(const TMatrix& m, const TVector& v, TVector& out) {
  const auto& a = m.m;
  TVector r{a[0][0] * v.x + a[1][0] * v.y + a[2][0] * v.z + a[3][0],
            a[0][1] * v.x + a[1][1] * v.y + a[2][1] * v.z + a[3][1],
            a[0][2] * v.x + a[1][2] * v.y + a[2][2] * v.z + a[3][2]};
  out = r;
}

void G_Vector4_Transform(const TMatrix& m, const TVector4& v, TVector4& out) {
  const auto& a = m.m;
  TVector4 r{a[0][0] * v.x + a[1][0] * v.y + a[2][0] * v.z + a[3][0] * v.w,
             a[0][1] * v.x + a[1][1] * v.y + a[2][1] * v.z + a[3][1] * v.w,
             a[0][2] * v.x + a[1][2] * v.y + a[2][2] * v.z + a[3][2] * v.w,
             a[0][3] * v.x + a[1][3] * v.y + a[2][3] * v.z + a[3][3] * v.w};
  out = r;
}

float G_Det2(float a, float b, float c, float d) { return a * d - b * c; }

float G_Det3(float a1, float a2, float a3, float b1, float b2, float b3, float c1, float c2, float c3) {
  return a1 * G_Det2(b2, b3, c2, c3) - b1 * G_Det2(a2, a3, c2, c3) + c1 * G_Det2(a2, a3, b2, b3);
}

namespace {
// The 3 x 3 minor of m without row r and column c.
float Minor(const TMatrix& m, int r, int c) {
  float v[9];
  int k = 0;
  for (int i = 0; i < 4; ++i) {
    if (i == r) continue;
    for (int j = 0; j < 4; ++j) {
      if (j == c) continue;
      v[k++] = m.m[i][j];
    }
  }
  // G_Det3 takes its arguments column by column.
  return G_Det3(v[0], v[3], v[6], v[1], v[4], v[7], v[2], v[5], v[8]);
}

float Cofactor(const TMatrix& m, int r, int c) {
  float minor = Minor(m, r, c);
  return ((r + c) % 2 == 0) ? minor : -minor;
}
}  // namespace

float G_Matrix_Determinant(const TMatrix& m) {
  float d = 0;
  for (int c = 0; c < 4; ++c) d += m.m[0][c] * Cofactor(m, 0, c);
  return d;
}

void G_Matrix_Adjugate(const TMatrix& m, TMatrix& out) {
  TMatrix r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r.m[j][i] = Cofactor(m, i, j);
  out = r;
}

bool G_Matrix_Inverse(const TMatrix& m, TMatrix& out) {
  float det = G_Matrix_Determinant(m);
  TMatrix adj;
  G_Matrix_Adjugate(m, adj);
  if (std::fabs(det) < 1e-8f) {
    out = adj;
    return false;
  }
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) adj.m[i][j] = adj.m[i][j] / det;
  out = adj;
  return true;
}

void G_Matrix_Identity(TMatrix& out) {
  out = TMatrix{};
  for (int i = 0; i < 4; ++i) out.m[i][i] = 1.0f;
}

void G_Matrix_Multiply(const TMatrix& a, const TMatrix& b, TMatrix& out) {
  TMatrix r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      float s = 0;
      for (int k = 0; k < 4; ++k) s += a.m[i][k] * b.m[k][j];
      r.m[i][j] = s;
    }
  out = r;
}

void G_Matrix_Look_At_LH(const TVector& eye, const TVector& at, const TVector& up, TMatrix& out) {
  TVector zaxis, xaxis, yaxis, t;
  G_Vector_Subtract(at, eye, t);
  G_Vector_Normalize(t, zaxis);
  G_Vector_Cross(up, zaxis, t);
  G_Vector_Normalize(t, xaxis);
  G_Vector_Cross(zaxis, xaxis, yaxis);
  TMatrix r;
  r.m[0][0] = xaxis.x;
  r.m[1][0] = xaxis.y;
  r.m[2][0] = xaxis.z;
  r.m[0][1] = yaxis.x;
  r.m[1][1] = yaxis.y;
  r.m[2][1] = yaxis.z;
  r.m[0][2] = zaxis.x;
  r.m[1][2] = zaxis.y;
  r.m[2][2] = zaxis.z;
  r.m[3][0] = -G_Vector_Dot(xaxis, eye);
  r.m[3][1] = -G_Vector_Dot(yaxis, eye);
  r.m[3][2] = -G_Vector_Dot(zaxis, eye);
  r.m[3][3] = 1.0f;
  out = r;
}

void G_Matrix_Perspective_Fov_LH(float fov_y, float aspect, float z_near, float z_far, TMatrix& out) {
  float y_scale = 1.0f / std::tan(fov_y / 2.0f);
  float x_scale = y_scale / aspect;
  TMatrix r;
  r.m[0][0] = x_scale;
  r.m[1][1] = y_scale;
  r.m[2][2] = z_far / (z_far - z_near);
  r.m[2][3] = 1.0f;
  r.m[3][2] = -z_near * z_far / (z_far - z_near);
  out = r;
}

bool G_Line_Plane_Intersect(const TVector& b, const TVector& a, const TVector& p0, const TVector& p1,
                            const TVector& p2, TVector& out) {
  TVector d, e1, e2, n, t;
  G_Vector_Subtract(b, a, d);
  G_Vector_Subtract(p0, p1, e1);
  G_Vector_Subtract(p0, p2, e2);
  G_Vector_Cross(e1, e2, t);
  G_Vector_Normalize(t, n);
  float s = G_Vector_Dot(d, n);
  if (s == 0.0f) {
    out = a;
    return false;
  }
  G_Vector_Subtract(p0, a, t);
  float k = G_Vector_Dot(t, n) / s;
  TVector start = a;
  G_Vector_Scale(d, t, k);
  G_Vector_Add(start, t, out);
  return true;
}

std::string G_Blend_Mode_Name(int mode) {
  static const char* const names[] = {"Blend_None",        "Blend_Zero",          "Blend_One",
                                      "Blend_SrcColor",    "Blend_InvSrcColor",   "Blend_SrcAlpha",
                                      "Blend_InvSrcAlpha", "Blend_DestAlpha",     "Blend_InvDestAlpha",
                                      "Blend_DestColor",   "Blend_InvDestColor",  "Blend_SrcAlphaSat",
                                      "Blend_BothSrcAlpha", "Blend_BothInvSrcAlpha"};
  if (mode < 0 || mode > 13) return "";
  return names[mode];
}
