// The layer's base of memory, integer, floating-point and 3-D routines, so that every
// media file calls one set of functions.
#pragma once
#include <cstddef>
#include <cstdint>

namespace ZaDod {

// Memory (sizes in bytes).
void MemoryCopy(void* destination, const void* source, size_t size);  // no overlap
void MemoryMove(void* destination, const void* source, size_t size);  // overlap allowed
void MemorySet(void* destination, int value, size_t size);
void MemorySet32(void* destination, uint32_t value, size_t count);
// 0 when equal (and for size 0), 1 when any byte differs; no ordering.
int MemoryCompare(const void* a, const void* b, size_t size);

// 64 x 64 -> 128-bit product, low half first.
void MultiplyUInt64To128(uint64_t a, uint64_t b, uint64_t* out);
// Low 64 bits of the 128-bit (low half first) dividend's quotient. A zero divisor
// gives all bits set, as the shift-and-subtract division does.
void DivideUInt128ByUInt64(const uint64_t* dividend, uint64_t divisor, uint64_t* quotient);
// The value's quotient by divisor; the value itself is left as it is.
uint64_t DivideUInt64(const uint64_t* value, uint32_t divisor);

float AcosFloat(float x);
double Atan2Double(double y, double x);
float ExpFloat(float x);
double Log10Double(double x);
float PowFloat(float x, float y);
float SqrtFloat(float x);
double SqrtDouble(double x);
void SinCosFloat(float angle, float* sine, float* cosine);
void SinCosDouble(double angle, double* sine, double* cosine);

// Conversions to int truncate toward zero, except RoundDoubleToInt (nearest, ties to
// even). A value that is NaN or outside the int range gives INT_MIN, the "indefinite"
// integer of the hardware these conversions imitate.
int TruncFloatToInt(float value);
int TruncDoubleToInt(double value);
int RoundDoubleToInt(double value);
void ConvertFloat4ToInt4(const float* in, int* out);
void ConvertDouble4ToInt4(const double* in, int* out);

// Units before the terminator; 0 for null.
int WideStringLength(const char16_t* text);

struct Vector3F {
  float x, y, z;
};
struct Vector3D {
  double x, y, z;
};
// Row by row, m[r][c]. Points are row vectors multiplied on the left (v' = v x M), a
// translation sits in row 3, and view and projection matrices are left-handed.
struct Matrix4x4F {
  float m[4][4];
};
struct Matrix4x4D {
  double m[4][4];
};

int CreateIdentityMatrix(Matrix4x4F* out);
int CreateIdentityMatrixD(Matrix4x4D* out);
int ConvertMatrixDToMatrix(Matrix4x4F* out, const Matrix4x4D* in);
int ConvertMatrixToMatrixD(Matrix4x4D* out, const Matrix4x4F* in);
// out = a x b: a applies first. out may be a or b.
int CreateMultiplyMatrix(Matrix4x4F* out, const Matrix4x4F* a, const Matrix4x4F* b);
int CreateMultiplyMatrixD(Matrix4x4D* out, const Matrix4x4D* a, const Matrix4x4D* b);
int CreateTransposeMatrix(Matrix4x4F* out, const Matrix4x4F* in);
// -1 with out unchanged when the determinant lies strictly between -1e-7 and 1e-7.
int CreateInverseMatrixD(Matrix4x4D* out, const Matrix4x4D* in);
int CreateLookAtMatrixD(Matrix4x4D* out, const Vector3D* eye, const Vector3D* target, const Vector3D* up);
// A negative aspect means the default: height / width of the projection screen size
// when both are set, else 0.75.
int CreateOrthoMatrixD(Matrix4x4D* out, double size, double zNear, double zFar, double aspect);
int CreatePerspectiveFovMatrixD(Matrix4x4D* out, double fov, double zNear, double zFar, double aspect);
int CreateViewportMatrixD(Matrix4x4D* out, double centerX, double centerY, double width, double height);
// plane receives a, b, c (the normalised normal) and d = -dot(point, normal).
int CreatePlaneD(double* plane, const Vector3D* point, const Vector3D* normal);
int SetProjectionScreenSize(int width, int height);

// (-1, -1, -1) when the squared length is below 1e-7.
Vector3F NormalizeVector(float x, float y, float z);
// 0 when the squared length is below 1e-7.
float VectorLength(float x, float y, float z);
float VectorDot(const Vector3F* a, const Vector3F* b);
int NormalizeVectorD(Vector3D* out, const Vector3D* in);
int VectorCrossD(Vector3D* out, const Vector3D* a, const Vector3D* b);
int VectorSubD(Vector3D* out, const Vector3D* a, const Vector3D* b);
// (x, y, z, w) x M.
int VectorTransform4D(Vector3D* outXYZ, double* outW, const Vector3D* inXYZ, double inW, const Matrix4x4D* m);
// A point: (x, y, z, 1) x M, w dropped.
int VectorTransform(Vector3F* out, const Vector3F* in, const Matrix4x4F* m);
// A direction: (x, y, z) x the upper 3x3 of M.
int VectorTransformSR(Vector3F* out, const Vector3F* in, const Matrix4x4F* m);

}  // namespace ZaDod
