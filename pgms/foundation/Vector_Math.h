// Arithmetic on vectors and 4 x 4 matrices, line and plane intersection and
// the names of blend modes.
//
// Results are single precision. An output may be the same object as an
// input. Matrices are row-major with points as row vectors multiplied on the
// left: (x, y, z, 1) x M.
#pragma once

#include <string>

#include "Vector_Types.h"

void G_Vector_Set(TVector& v, float x, float y, float z);
void G_Vector_Add(const TVector& a, const TVector& b, TVector& out);
void G_Vector_Subtract(const TVector& a, const TVector& b, TVector& out);
void G_Vector_Scale(const TVector& v, TVector& out, float s);
void G_Vector_Divide(const TVector& v, TVector& out, float s);
float G_Vector_Length(const TVector& v);
// v divided by its length; the zero vector stays the zero vector.
void G_Vector_Normalize(const TVector& v, TVector& out);
float G_Vector_Dot(const TVector& a, const TVector& b);
void G_Vector_Cross(const TVector& a, const TVector& b, TVector& out);
float G_Vector_Distance(const TVector& a, const TVector& b);
// Each component brought into -1e30..1e30; a component that is not a number
// becomes 1e30.
void G_Vector_Clamp(TVector& v);
void G_Vector4_Set(TVector4& v, float x, float y, float z, float w);
// The point v (w = 1) transformed by m; the w of the result is dropped.
void G_Vector_Transform(const TMatrix& m, const TVector& v, TVector& out);
void G_Vector4_Transform(const TMatrix& m, const TVector4& v, TVector4& out);

float G_Det2(float a, float b, float c, float d);
float G_Det3(float a1, float a2, float a3, float b1, float b2, float b3, float c1, float c2, float c3);
float G_Matrix_Determinant(const TMatrix& m);
// The transposed matrix of cofactors.
void G_Matrix_Adjugate(const TMatrix& m, TMatrix& out);
// out = adjugate / determinant; false (out undefined) when
// |determinant| < 1e-8.
bool G_Matrix_Inverse(const TMatrix& m, TMatrix& out);

// The matrix helpers the drawing layer needs of its 3D interface.
void G_Matrix_Identity(TMatrix& out);
// out = a x b (a applied first).
void G_Matrix_Multiply(const TMatrix& a, const TMatrix& b, TMatrix& out);
// Left-handed view matrix looking from eye to at with the given up vector.
void G_Matrix_Look_At_LH(const TVector& eye, const TVector& at, const TVector& up, TMatrix& out);
// Left-handed perspective projection: vertical field of view in radians,
// aspect = width / height, depth mapped to 0..1 between near and far.
void G_Matrix_Perspective_Fov_LH(float fov_y, float aspect, float z_near, float z_far, TMatrix& out);

// Intersection of the line through a and b with the plane through p0, p1
// and p2. False (out = a) when the line is parallel to the plane.
bool G_Line_Plane_Intersect(const TVector& b, const TVector& a, const TVector& p0, const TVector& p1,
                            const TVector& p2, TVector& out);

// "Blend_None" .. "Blend_BothInvSrcAlpha" for 0..13, else empty.
std::string G_Blend_Mode_Name(int mode);
