// The draw state of the graphics front: setters, defaults, queries, snapshots, the
// camera and the transform matrices. Every setter returns at once when the value is
// unchanged; otherwise it flushes the vertex batch where the device holds the state,
// stores the value, flags the state for re-sending and tells the back end or the
// software renderer.
#pragma once
#include "media/base/maths.h"
#include "media/graphics/render_state.h"
#include "platform/win/win_window.h"

namespace ZaDod {

int SetBackgroundColor(int red, int green, int blue);
int SetDrawArea(int x1, int y1, int x2, int y2);
int SetDrawAreaFull();
// A re-created device has only its screen bound: the back ends bind every target slot the
// front holds (graph, surface index, shadow map) again.
int RebindDrawTargets();
int GetDrawArea(plat::win::RECT* area);
int SetDrawBlendMode(int mode, int param);
int GetDrawBlendMode(int* mode, int* param);
int SetDrawBright(int red, int green, int blue);
int GetDrawBright(int* red, int* green, int* blue);
int SetDrawMode(int mode);
int SetDrawAlphaTest(int mode, int param);
int SetFogEnable(int flag);
int SetFogStartEnd(float start, float end);
int SetDrawableGraphMultiSample(int count, int quality);
int SetDrawTarget(int handle);
int GetDrawTarget();
int SetRenderTarget(int slot, int handle, int surfaceIndex);
int SetBlendGraph(int handle, int borderParam, int borderRange);
int SetBlendGraphParam(int handle, int type, int param1, int param2);
int SetBlendGraphState(int handle, int blendType, const int* params);
// The blend graph's position and its mode (1: fixed on the screen at the position; any
// other: on the drawn graph, moved by the position). Used by the hardware renderers.
int SetBlendGraphPosition(int x, int y);
int SetBlendGraphPositionMode(int mode);
int SetUseLighting(int flag);
int SetUseZBuffer3D(int flag);
// 3D draw settings (C++ only): cull mode 0 none, 1, 2; specular on or off; per-stage
// texture address modes (stage -1: all 16); the texture-address transform (null matrix:
// identity); fog mode 0..3 and colour; per-pixel lighting, `which` 0 or 1.
int SetCullMode(int mode);
int SetUseSpecular(int flag);
int SetTextureAddressModeUVW(int u, int v, int w, int stage);
int SetTextureAddressTransformMatrix(int use, const Matrix4x4F* matrix);
int SetFogMode(int mode);
int SetFogColor(int red, int green, int blue);
int SetUsePerPixelLighting(int which, int flag);
int BindDepthBufferForDrawTarget();
// When set, a change of draw target keeps the draw area request and the camera.
int SetDrawTargetKeepSettingsFlag(int flag);

// Camera and matrices.
int SetCameraPositionAndTargetAndUpVec(const Vector3D* eye, const Vector3D* target, const Vector3D* up);
int SetCameraPositionAndTargetAndUpVec(const Vector3F* eye, const Vector3F* target, const Vector3F* up);
int SetCameraScreenCenter(double x, double y);
int SetTransformToWorld(const Matrix4x4D* matrix);
int SetTransformToWorld(const Matrix4x4F* matrix);
int SetTransformToView(const Matrix4x4D* matrix);
int SetTransformToProjection(const Matrix4x4D* matrix);
int SetTransformToViewport(const Matrix4x4D* matrix);
int SetupCamera_Perspective(double fov);
int SetupCamera_Ortho(double size);
int SetCameraNearFar(double nearZ, double farZ);
int RefreshProjectionMatrix();
int ApplyProjectionMatrix(const Matrix4x4D* matrix);
// Sends the world, view, projection and viewport matrices to the device again, the
// viewport folded into the projection as every change sends it; for a device made again.
int ResendTransforms();
int UpdateCameraAngles();
int GetCameraAngles(double* hRotate, double* vRotate, double* tRotate);
Vector3D* UnprojectScreenPoint(Vector3D* out, double x, double y, double z);

// Defaults, lights and material.
int ResetDrawSettings();
int SetDefaultLightDirection(float x, float y, float z);

// Snapshot of the draw settings.
struct DrawSettingState {
    int hardware;
    int spare;
    int drawMode;
    int waitVSync;
    int drawTarget;
    Matrix4x4D view, projection, viewport, world;
    int projectionMode;
    double fieldOfView;
    double orthoSize;
    Matrix4x4D userProjection;
    double nearZ, farZ;
    double aspectScale;
    ImageRect drawArea;
};
int GetDrawSettingState(DrawSettingState* state);
int SetDrawSettingState(const DrawSettingState* state);

// Subtraction on devices without a subtracting blend: invert, add, invert.
int BeginSubtractBlendEmulation(const ImageRect* rect);
int EndSubtractBlendEmulation(const ImageRect* rect);

// Queries.
int IsFullScreenMode();
int GetScreenColorBitDepth();
int GetMainScreenSize(int* width, int* height);
int GetScreenState(int* width, int* height, int* colorBitDepth);
int GetGraphSize(int handle, int* width, int* height);
unsigned int GetDrawTargetPixel(int x, int y);  // 0xFFFFFFFF outside the target
int CopyDrawTargetRectToGraph(int x1, int y1, int x2, int y2, int handle);
int CopyGraphRectToGraph(int srcHandle, int surface, int x1, int y1, int x2, int y2, int destX, int destY,
                         int destHandle);

}  // namespace ZaDod
