// The front's fog, transform and lighting settings handed to the Direct3D 11 state cache.
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
// Lighting is a shader input: a change only flags the state for the next preparation.
int Graphics_D3D11_SetUseLighting(int flag) {
    if (!D3D11Device_IsValid()) return -1;
    if (D3D11State.lighting != (flag ? 1 : 0)) {
        Graphics_D3D11_FlushVertexBatch(-1, 0);
        D3D11State.lighting = flag ? 1 : 0;
        D3D11State.drawPrepNeeded = 1;
        D3D11Batch.stateChanged = 1;
    }
    return 0;
}

// Lights past the sixth are kept by the front only: the shaders take six.
int Graphics_D3D11_SetLightEnableByIndex(int index, int flag) {
    if (!D3D11Device_IsValid() || index < 0) return -1;
    if (index >= kD3D11Lights) return 0;
    return Graphics_D3D11_DeviceState_SetLightEnable(index, flag);
}

int Graphics_D3D11_SetLightParamByIndex(int index, const LightParam* param) {
    if (!D3D11Device_IsValid() || index < 0 || param == nullptr) return -1;
    if (index >= kD3D11Lights) return 0;
    return Graphics_D3D11_DeviceState_SetLight(index, param);
}

}  // namespace ZaDod
