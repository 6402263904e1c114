// The camera, the transform matrices and the projection the back ends read.
#include <cmath>

#include "media/graphics/hardware.h"
#include "media/graphics/render_settings.h"

namespace ZaDod {
namespace {

// Stores a matrix with its float copy and brings the combined transform up to date.
void storeMatrix(Matrix4x4D* target, Matrix4x4F* targetF, const Matrix4x4D* matrix) {
    FlushDrawBatch();
    *target = *matrix;
    ConvertMatrixDToMatrix(targetF, matrix);
    RefreshCombinedMatrix();
    GraphicsDrawSettings.dirty = 1;
}

// The device takes the viewport folded into the projection.
void sendProjection() {
    if (!GraphicsSys.hardware) return;
    const DrawSettings& s = GraphicsDrawSettings;
    Matrix4x4D folded;
    CreateMultiplyMatrixD(&folded, &s.projection, &s.viewport);
    Matrix4x4F f;
    ConvertMatrixDToMatrix(&f, &folded);
    Graphics_Hardware_SetTransformToProjection(&f);
}

}  // namespace

int SetTransformToWorld(const Matrix4x4D* matrix) {
    DrawSettings& s = GraphicsDrawSettings;
    storeMatrix(&s.world, &s.worldF, matrix);
    if (GraphicsSys.hardware) Graphics_Hardware_SetTransformToWorld(&s.worldF);
    return 0;
}

int SetTransformToWorld(const Matrix4x4F* matrix) {
    Matrix4x4D d;
    ConvertMatrixToMatrixD(&d, matrix);
    return SetTransformToWorld(&d);
}

int SetTransformToView(const Matrix4x4D* matrix) {
    DrawSettings& s = GraphicsDrawSettings;
    storeMatrix(&s.view, &s.viewF, matrix);
    if (GraphicsSys.hardware) Graphics_Hardware_SetTransformToView(&s.viewF);
    return 0;
}

int SetTransformToProjection(const Matrix4x4D* matrix) {
    GraphicsRender.userProjection = *matrix;
    GraphicsDrawSettings.projectionMode = 2;
    return RefreshProjectionMatrix();
}

int SetTransformToViewport(const Matrix4x4D* matrix) {
    DrawSettings& s = GraphicsDrawSettings;
    storeMatrix(&s.viewport, &s.viewportF, matrix);
    sendProjection();
    return 0;
}

int ApplyProjectionMatrix(const Matrix4x4D* matrix) {
    DrawSettings& s = GraphicsDrawSettings;
    storeMatrix(&s.projection, &s.projectionF, matrix);
    sendProjection();
    return 0;
}

int ResendTransforms() {
    // Copies: each setter stores into the settings it is given from.
    const DrawSettings& s = GraphicsDrawSettings;
    const Matrix4x4D world = s.world, view = s.view, projection = s.projection, viewport = s.viewport;
    SetTransformToWorld(&world);
    SetTransformToView(&view);
    ApplyProjectionMatrix(&projection);
    SetTransformToViewport(&viewport);
    return 0;
}

int RefreshProjectionMatrix() {
    const DrawSettings& s = GraphicsDrawSettings;
    const RenderState& r = GraphicsRender;
    const int width = s.targetWidth > 0 ? s.targetWidth : 640;
    const int height = s.targetHeight > 0 ? s.targetHeight : 480;
    const double aspect = static_cast<double>(height) / width * r.aspectScale;
    Matrix4x4D m;
    switch (s.projectionMode) {
        case 0:
            if (CreatePerspectiveFovMatrixD(&m, s.fieldOfView, s.nearZ, s.farZ, aspect) != 0) return -1;
            break;
        case 1:
            if (CreateOrthoMatrixD(&m, r.orthoSize, s.nearZ, s.farZ, aspect) != 0) return -1;
            break;
        default: m = r.userProjection; break;
    }
    return ApplyProjectionMatrix(&m);
}

int SetupCamera_Perspective(double fov) {
    GraphicsDrawSettings.projectionMode = 0;
    GraphicsDrawSettings.fieldOfView = fov;
    return RefreshProjectionMatrix();
}

int SetupCamera_Ortho(double size) {
    GraphicsDrawSettings.projectionMode = 1;
    GraphicsRender.orthoSize = size;
    return RefreshProjectionMatrix();
}

int SetCameraNearFar(double nearZ, double farZ) {
    GraphicsDrawSettings.nearZ = nearZ;
    GraphicsDrawSettings.farZ = farZ;
    return RefreshProjectionMatrix();
}

int SetCameraPositionAndTargetAndUpVec(const Vector3D* eye, const Vector3D* target, const Vector3D* up) {
    DrawSettings& s = GraphicsDrawSettings;
    GraphicsRender.cameraSet = 1;
    s.cameraEye = *eye;
    s.cameraTarget = *target;
    s.cameraUp = *up;
    Matrix4x4D view;
    CreateLookAtMatrixD(&view, eye, target, up);
    SetTransformToView(&view);
    GraphicsRender.cameraView = view;
    UpdateCameraAngles();
    return RefreshProjectionMatrix();
}

int SetCameraPositionAndTargetAndUpVec(const Vector3F* eye, const Vector3F* target, const Vector3F* up) {
    const Vector3D e{eye->x, eye->y, eye->z}, t{target->x, target->y, target->z}, u{up->x, up->y, up->z};
    return SetCameraPositionAndTargetAndUpVec(&e, &t, &u);
}

int SetCameraScreenCenter(double x, double y) {
    DrawSettings& s = GraphicsDrawSettings;
    s.screenCenterX = x;
    s.screenCenterY = y;
    const double scale = GraphicsRender.aspectScale;
    Matrix4x4D viewport;
    CreateViewportMatrixD(&viewport, x, y, s.targetWidth * scale, s.targetHeight * scale);
    return SetTransformToViewport(&viewport);
}

// The view matrix's columns are the camera's right, up and forward axes. Looking
// straight up or down leaves no horizontal heading; the twist then comes from the
// right axis alone.
int UpdateCameraAngles() {
    const Matrix4x4D& v = GraphicsDrawSettings.view;
    RenderState& r = GraphicsRender;
    constexpr double kHalfPi = 1.5707963267948966;
    if (std::fabs(v.m[0][2]) < 1e-8 && std::fabs(v.m[2][2]) < 1e-8) {
        r.cameraHRotate = 0.0;
        r.cameraVRotate = v.m[1][2] >= 0.0 ? -kHalfPi : kHalfPi;
        r.cameraTRotate = std::atan2(v.m[0][1], v.m[2][1]);
        return 0;
    }
    r.cameraHRotate = std::atan2(v.m[0][2], v.m[2][2]);
    // Turn the forward axis back by the heading; what is left is the pitch.
    const double horizontal = std::sqrt(v.m[0][2] * v.m[0][2] + v.m[2][2] * v.m[2][2]);
    r.cameraVRotate = std::atan2(-v.m[1][2], horizontal);
    // An upside-down camera has pitched past the vertical.
    if (v.m[1][1] < 0.0) r.cameraVRotate = (v.m[1][2] >= 0.0 ? -2.0 * kHalfPi : 2.0 * kHalfPi) - r.cameraVRotate;
    r.cameraTRotate = std::atan2(v.m[1][0] * horizontal, std::fabs(v.m[1][1]));
    return 0;
}

int GetCameraAngles(double* hRotate, double* vRotate, double* tRotate) {
    if (hRotate) *hRotate = GraphicsRender.cameraHRotate;
    if (vRotate) *vRotate = GraphicsRender.cameraVRotate;
    if (tRotate) *tRotate = GraphicsRender.cameraTRotate;
    return 0;
}

Vector3D* UnprojectScreenPoint(Vector3D* out, double x, double y, double z) {
    RenderState& r = GraphicsRender;
    if (!r.combinedInverseValid) {
        if (CreateInverseMatrixD(&r.combinedInverse, &r.combined) != 0) {
            *out = Vector3D{0.0, 0.0, 0.0};
            return out;
        }
        r.combinedInverseValid = 1;
    }
    const Vector3D in{x, y, z};
    double w = 1.0;
    VectorTransform4D(out, &w, &in, 1.0, &r.combinedInverse);
    if (w != 0.0) {
        out->x /= w;
        out->y /= w;
        out->z /= w;
    }
    return out;
}

}  // namespace ZaDod
