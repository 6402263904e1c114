// Vectors and 4x4 matrices for the graphics back ends.
#include <atomic>
#include <cmath>

#include "media/base/maths.h"

namespace ZaDod {

namespace {

std::atomic<int> projectionWidth{0};
std::atomic<int> projectionHeight{0};

double resolveAspect(double aspect) {
  if (aspect >= 0.0) return aspect;
  int width = projectionWidth.load(std::memory_order_relaxed);
  int height = projectionHeight.load(std::memory_order_relaxed);
  if (width != 0 && height != 0) return static_cast<double>(height) / width;
  return 0.75;
}

template <class M>
void multiply(M* out, const M* a, const M* b) {
  M result;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      result.m[r][c] =
          a->m[r][0] * b->m[0][c] + a->m[r][1] * b->m[1][c] + a->m[r][2] * b->m[2][c] + a->m[r][3] * b->m[3][c];
  *out = result;
}

template <class M>
void identity(M* out) {
  *out = M{};
  for (int i = 0; i < 4; ++i) out->m[i][i] = 1;
}

double dot(const Vector3D& a, const Vector3D& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vector3D cross(const Vector3D& a, const Vector3D& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vector3D normalize(const Vector3D& v) {
  double length = std::sqrt(dot(v, v));
  return {v.x / length, v.y / length, v.z / length};
}

}  // namespace

int CreateIdentityMatrix(Matrix4x4F* out) {
  identity(out);
  return 0;
}

int CreateIdentityMatrixD(Matrix4x4D* out) {
  identity(out);
  return 0;
}

int ConvertMatrixDToMatrix(Matrix4x4F* out, const Matrix4x4D* in) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out->m[r][c] = static_cast<float>(in->m[r][c]);
  return 0;
}

int ConvertMatrixToMatrixD(Matrix4x4D* out, const Matrix4x4F* in) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out->m[r][c] = in->m[r][c];
  return 0;
}

int CreateMultiplyMatrix(Matrix4x4F* out, const Matrix4x4F* a, const Matrix4x4F* b) {
  multiply(out, a, b);
  return 0;
}

int CreateMultiplyMatrixD(Matrix4x4D* out, const Matrix4x4D* a, const Matrix4x4D* b) {
  multiply(out, a, b);
  return 0;
}

int CreateTransposeMatrix(Matrix4x4F* out, const Matrix4x4F* in) {
  Matrix4x4F result;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) result.m[r][c] = in->m[c][r];
  *out = result;
  return 0;
}

int CreateInverseMatrixD(Matrix4x4D* out, const Matrix4x4D* in) {
  const double(&a)[4][4] = in->m;
  // 2x2 minors of the upper and lower row pairs, then the cofactors from them.
  double s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
  double s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
  double s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
  double s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
  double s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
  double s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
  double c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
  double c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
  double c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
  double c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
  double c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
  double c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
  double det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
  if (det > -1e-7 && det < 1e-7) return -1;
  double k = 1.0 / det;
  Matrix4x4D r;
  r.m[0][0] = (a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3) * k;
  r.m[0][1] = (-a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3) * k;
  r.m[0][2] = (a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3) * k;
  r.m[0][3] = (-a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3) * k;
  r.m[1][0] = (-a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1) * k;
  r.m[1][1] = (a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1) * k;
  r.m[1][2] = (-a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1) * k;
  r.m[1][3] = (a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1) * k;
  r.m[2][0] = (a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0) * k;
  r.m[2][1] = (-a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0) * k;
  r.m[2][2] = (a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0) * k;
  r.m[2][3] = (-a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0) * k;
  r.m[3][0] = (-a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0) * k;
  r.m[3][1] = (a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0) * k;
  r.m[3][2] = (-a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0) * k;
  r.m[3][3] = (a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0) * k;
  *out = r;
  return 0;
}

int CreateLookAtMatrixD(Matrix4x4D* out, const Vector3D* eye, const Vector3D* target, const Vector3D* up) {
  Vector3D z{target->x - eye->x, target->y - eye->y, target->z - eye->z};
  Vector3D side = cross(*up, z);
  Vector3D axes[3] = {normalize(side), normalize(cross(z, side)), normalize(z)};
  for (int c = 0; c < 3; ++c) {
    out->m[0][c] = axes[c].x;
    out->m[1][c] = axes[c].y;
    out->m[2][c] = axes[c].z;
    out->m[3][c] = -dot(*eye, axes[c]);
  }
  out->m[0][3] = out->m[1][3] = out->m[2][3] = 0.0;
  out->m[3][3] = 1.0;
  return 0;
}

int CreateOrthoMatrixD(Matrix4x4D* out, double size, double zNear, double zFar, double aspect) {
  if (std::fabs(zNear - zFar) < 0.0001) return -1;
  *out = Matrix4x4D{};
  out->m[0][0] = 2.0 * resolveAspect(aspect) / size;
  out->m[1][1] = 2.0 / size;
  out->m[2][2] = 1.0 / (zFar - zNear);
  out->m[3][2] = zNear / (zNear - zFar);
  out->m[3][3] = 1.0;
  return 0;
}

int CreatePerspectiveFovMatrixD(Matrix4x4D* out, double fov, double zNear, double zFar, double aspect) {
  double sine = std::sin(fov / 2.0);
  if (std::fabs(zFar - zNear) < 0.0001 || std::fabs(sine) < 0.0001) return -1;
  double c = std::cos(fov / 2.0) / sine;
  *out = Matrix4x4D{};
  out->m[0][0] = c * resolveAspect(aspect);
  out->m[1][1] = c;
  out->m[2][2] = zFar / (zFar - zNear);
  out->m[2][3] = 1.0;
  out->m[3][2] = -zNear * zFar / (zFar - zNear);
  return 0;
}

int CreateViewportMatrixD(Matrix4x4D* out, double centerX, double centerY, double width, double height) {
  *out = Matrix4x4D{};
  out->m[0][0] = width / 2.0;
  out->m[1][1] = -height / 2.0;
  out->m[2][2] = 1.0;
  out->m[3][0] = centerX;
  out->m[3][1] = centerY;
  out->m[3][3] = 1.0;
  return 0;
}

int CreatePlaneD(double* plane, const Vector3D* point, const Vector3D* normal) {
  Vector3D n = normalize(*normal);
  plane[0] = n.x;
  plane[1] = n.y;
  plane[2] = n.z;
  plane[3] = -dot(*point, n);
  return 0;
}

int SetProjectionScreenSize(int width, int height) {
  projectionWidth.store(width, std::memory_order_relaxed);
  projectionHeight.store(height, std::memory_order_relaxed);
  return 0;
}

Vector3F NormalizeVector(float x, float y, float z) {
  float squared = x * x + y * y + z * z;
  if (squared < 1e-7f) return {-1.0f, -1.0f, -1.0f};
  float length = std::sqrt(squared);
  return {x / length, y / length, z / length};
}

float VectorLength(float x, float y, float z) {
  float squared = x * x + y * y + z * z;
  return squared < 1e-7f ? 0.0f : std::sqrt(squared);
}

float VectorDot(const Vector3F* a, const Vector3F* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }

int NormalizeVectorD(Vector3D* out, const Vector3D* in) {
  *out = normalize(*in);
  return 0;
}

int VectorCrossD(Vector3D* out, const Vector3D* a, const Vector3D* b) {
  *out = cross(*a, *b);
  return 0;
}

int VectorSubD(Vector3D* out, const Vector3D* a, const Vector3D* b) {
  *out = {a->x - b->x, a->y - b->y, a->z - b->z};
  return 0;
}

int VectorTransform4D(Vector3D* outXYZ, double* outW, const Vector3D* inXYZ, double inW, const Matrix4x4D* m) {
  double v[4] = {inXYZ->x, inXYZ->y, inXYZ->z, inW};
  double r[4];
  for (int c = 0; c < 4; ++c) r[c] = v[0] * m->m[0][c] + v[1] * m->m[1][c] + v[2] * m->m[2][c] + v[3] * m->m[3][c];
  *outXYZ = {r[0], r[1], r[2]};
  *outW = r[3];
  return 0;
}

int VectorTransform(Vector3F* out, const Vector3F* in, const Matrix4x4F* m) {
  Vector3F v = *in;
  out->x = v.x * m->m[0][0] + v.y * m->m[1][0] + v.z * m->m[2][0] + m->m[3][0];
  out->y = v.x * m->m[0][1] + v.y * m->m[1][1] + v.z * m->m[2][1] + m->m[3][1];
  out->z = v.x * m->m[0][2] + v.y * m->m[1][2] + v.z * m->m[2][2] + m->m[3][2];
  return 0;
}

int VectorTransformSR(Vector3F* out, const Vector3F* in, const Matrix4x4F* m) {
  Vector3F v = *in;
  out->x = v.x * m->m[0][0] + v.y * m->m[1][0] + v.z * m->m[2][0];
  out->y = v.x * m->m[0][1] + v.y * m->m[1][1] + v.z * m->m[2][1];
  out->z = v.x * m->m[0][2] + v.y * m->m[1][2] + v.z * m->m[2][2];
  return 0;
}

}  // namespace ZaDod
