// Lights, material and global ambient of the Direct3D 11 state cache, and their place in
// the common constant buffer the 3D shaders read: light i at 112 i (type, 0 while off;
// view-space position
// and direction, range squared, spot terms, colours, attenuations), material at 672, 688,
// 704 and 720.
#include <cstring>

#include "media/graphics/d3d11/d3d11_state.h"
#include "platform/gpu/shaders/fixed_function.h"

namespace ZaDod {

namespace {

using d3d11_cache::c;

float* commonAt(int offset) {
    D3D11ConstantBuffer* b = D3D11BuiltinConstantBuffers[kCBCommon];
    if (b == nullptr) return nullptr;
    b->dirty = 1;
    return reinterpret_cast<float*>(b->copy + offset);
}

void transformPoint(const Matrix4x4F& m, const float in[3], float w, float out[3]) {
    for (int k = 0; k < 3; ++k) out[k] = in[0] * m.m[0][k] + in[1] * m.m[1][k] + in[2] * m.m[2][k] + w * m.m[3][k];
}

}  // namespace

void Graphics_D3D11_DeviceState_WriteLightConstants(int index) {
    if (index < 0 || index >= kD3D11Lights) return;
    float* p = commonAt(112 * index);
    if (p == nullptr) return;
    const LightParam& l = c.lights[index];
    std::memset(p, 0, 112);
    // A light switched off shows type 0, so the shaders pass over it.
    p[0] = c.lightEnabled[index] ? float(l.kind) : 0.0f;
    transformPoint(c.view, l.position, 1.0f, p + 4);
    p[7] = l.range * l.range;
    transformPoint(c.view, l.direction, 0.0f, p + 8);
    p[11] = l.falloff;
    std::memcpy(p + 12, l.diffuse, sizeof(float) * 3);
    float cosHalfPhi, invCone;
    plat::gpu::shader::spotTerms(l.theta, l.phi, cosHalfPhi, invCone);
    p[15] = cosHalfPhi;
    std::memcpy(p + 16, l.specular, sizeof(float) * 3);
    p[19] = invCone;
    for (int k = 0; k < 4; ++k) p[20 + k] = l.ambient[k] * c.material.ambient[k];
    p[24] = l.attenuation0;
    p[25] = l.attenuation1;
    p[26] = l.attenuation2;
}

void Graphics_D3D11_DeviceState_RefreshLights() {
    for (int i = 0; i <= c.lightHighest && i < kD3D11Lights; ++i) {
        if (!c.lightEnabled[i]) continue;
        if (float* p = commonAt(112 * i + 80))
            for (int k = 0; k < 4; ++k) p[k] = c.lights[i].ambient[k] * c.material.ambient[k];
    }
    if (float* p = commonAt(704))
        for (int k = 0; k < 4; ++k) p[k] = c.ambient[k] * c.material.ambient[k] + c.material.emissive[k];
}

int Graphics_D3D11_DeviceState_SetLight(int index, const LightParam* light) {
    if (!D3D11Device_IsValid() || index < 0 || index >= kD3D11Lights || light == nullptr) return -1;
    if (!c.force && std::memcmp(&c.lights[index], light, sizeof *light) == 0) return 0;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    c.lights[index] = *light;
    Graphics_D3D11_DeviceState_WriteLightConstants(index);
    Graphics_D3D11_DeviceState_RefreshLights();
    c.drawPrepNeeded = 1;
    return 0;
}

int Graphics_D3D11_DeviceState_SetLightEnable(int index, int flag) {
    if (!D3D11Device_IsValid() || index < 0 || index >= kD3D11Lights) return -1;
    const int on = flag ? 1 : 0;
    if (!c.force && c.lightEnabled[index] == on) return 0;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    c.lightEnabled[index] = on;
    if (on && index > c.lightHighest) {
        c.lightHighest = index;
    } else if (!on && index == c.lightHighest) {
        int next = index - 1;
        while (next > 0 && !c.lightEnabled[next]) --next;
        c.lightHighest = next < 0 ? -1 : next;
        // Nothing enabled at all leaves no highest light.
        if (c.lightHighest == 0 && !c.lightEnabled[0]) c.lightHighest = -1;
    }
    Graphics_D3D11_DeviceState_WriteLightConstants(index);
    Graphics_D3D11_DeviceState_RefreshLights();
    c.drawPrepNeeded = 1;
    return 0;
}

int Graphics_D3D11_DeviceState_SetMaterial(const MaterialParam* m) {
    static_assert(sizeof(MaterialParam) == 68);
    if (!D3D11Device_IsValid() || m == nullptr) return -1;
    if (!c.force && std::memcmp(&c.material, m, sizeof *m) == 0) return 0;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    c.material = *m;
    if (float* p = commonAt(672)) {
        std::memcpy(p, m->diffuse, sizeof m->diffuse);
        std::memcpy(p + 4, m->specular, sizeof m->specular);
        // A power of 0 would give 0 to the power 0 in the shaders.
        p[12] = m->power > 1e-11f ? m->power : 1e-11f;
    }
    Graphics_D3D11_DeviceState_RefreshLights();
    c.drawPrepNeeded = 1;
    return 0;
}

int Graphics_D3D11_DeviceState_SetAmbientLight(unsigned int color) {
    if (!D3D11Device_IsValid()) return -1;
    const float next[4] = {float((color >> 16) & 0xFF) / 255.0f, float((color >> 8) & 0xFF) / 255.0f,
                           float(color & 0xFF) / 255.0f, float(color >> 24) / 255.0f};
    if (!c.force && std::memcmp(c.ambient, next, sizeof next) == 0) return 0;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    std::memcpy(c.ambient, next, sizeof next);
    Graphics_D3D11_DeviceState_RefreshLights();
    return 0;
}

int Graphics_D3D11_DeviceState_SetSpecularEnable(int flag) {
    if (!D3D11Device_IsValid()) return -1;
    const int on = flag ? 1 : 0;
    if (!c.force && c.specular == on) return 0;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    c.specular = on;
    D3D11ConstantBuffer* b = D3D11BuiltinConstantBuffers[kCBVSBase];
    if (b != nullptr) {
        reinterpret_cast<float*>(b->copy + 252)[0] = on ? 1.0f : 0.0f;
        b->dirty = 1;
    }
    c.drawPrepNeeded = 1;
    return 0;
}

}  // namespace ZaDod
