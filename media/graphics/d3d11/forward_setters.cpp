// The front's fog, transform and lighting settings handed to the Direct3D 11 state cache.
#include <cstring>

#include "media/graphics/d3d11/d3d11_state.h"

namespace ZaDod {

int Graphics_D3D11_SetFogEnable(int flag) { return Graphics_D3D11_DeviceState_SetFogEnable(flag); }
int Graphics_D3D11_SetFogColor(unsigned int color) { return Graphics_D3D11_DeviceState_SetFogColor(color); }
// The front keeps no fog density: the exponential modes use 1.
int Graphics_D3D11_SetFogStartEnd(float start, float end) {
    return Graphics_D3D11_DeviceState_SetFogStartEnd(start, end, 1.0f);
}
int Graphics_D3D11_SetFogMode(int mode) {
    if (!D3D11Device_IsValid()) return -1;
    if (D3D11State.fogMode != mode) {
        Graphics_D3D11_FlushVertexBatch(-1, 0);
        D3D11State.fogMode = mode;
    }
    return 0;
}
int Graphics_D3D11_SetTransformToWorld(const Matrix4x4F* matrix) {
    return matrix != nullptr ? Graphics_D3D11_DeviceState_SetWorldMatrix(matrix) : -1;
}
int Graphics_D3D11_SetTransformToView(const Matrix4x4F* matrix) {
    return matrix != nullptr ? Graphics_D3D11_DeviceState_SetViewMatrix(matrix) : -1;
}
int Graphics_D3D11_SetTransformToProjection(const Matrix4x4F* matrix) {
    return matrix != nullptr ? Graphics_D3D11_DeviceState_SetProjectionMatrix(matrix) : -1;
}
int Graphics_D3D11_SetUseLighting(int flag) {
    if (!D3D11Device_IsValid()) return -1;
    if (D3D11State.lighting != (flag ? 1 : 0)) {
        Graphics_D3D11_FlushVertexBatch(-1, 0);
        D3D11State.lighting = flag ? 1 : 0;
    }
    return 0;
}

// Lights past the sixth are kept by the front only: the shaders take six.
int Graphics_D3D11_SetLightEnableByIndex(int index, int flag) {
    if (!D3D11Device_IsValid() || index < 0) return -1;
    if (index >= kD3D11Lights) return 0;
    D3D11DeviceStateCache& c = D3D11State;
    const int on = flag ? 1 : 0;
    if (c.lightEnabled[index] == on) return 0;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    c.lightEnabled[index] = on;
    c.lightHighest = -1;
    for (int i = 0; i < kD3D11Lights; ++i)
        if (c.lightEnabled[i]) c.lightHighest = i;
    return 0;
}

int Graphics_D3D11_SetLightParamByIndex(int index, const LightParam* param) {
    if (!D3D11Device_IsValid() || index < 0 || param == nullptr) return -1;
    if (index >= kD3D11Lights) return 0;
    LightParam& stored = D3D11State.lights[index];
    if (std::memcmp(&stored, param, sizeof stored) == 0) return 0;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    stored = *param;
    return 0;
}

}  // namespace ZaDod
