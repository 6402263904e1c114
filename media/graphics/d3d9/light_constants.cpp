// Direct3D 9 fog, lights, material and view matrix in the state cache, mirrored into the
// shader constants the built-in shaders read, and the light refresh that keeps each light's
// ambient term multiplied by the material.
#include <cmath>
#include <cstring>

#include "media/graphics/d3d9/d3d9_state.h"
#include "platform/gpu/shaders/fixed_function.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using d3d9_cache::c;

bool ok(HRESULT hr) { return hr == D3D_OK; }

void vsFloat(int first, const float* v, int count) { D3D9_SetConstant(0, first, v, count); }
void psFloat(int first, const float* v, int count) { D3D9_SetConstant(3, first, v, count); }
void vsBool(int first, const BOOL* v, int count) { D3D9_SetConstant(2, first, v, count); }

int renderState(D3DRENDERSTATETYPE state, DWORD value) {
    // Fog, light and material changes always draw what was queued under the old values.
    Graphics_D3D9_FlushVertexBatch(0);
    return ok(Direct3DDevice9_SetRenderState(state, value)) ? 0 : -1;
}

void fogConstants() {
    // An empty range keeps a least width: linear fog becomes a step at the start.
    float v[4] = {0.0f, 0.0f, c.fogDensity, 2.7182817f};
    shader::linearFogTerms(c.fogStart, c.fogEnd, v[0], v[1]);
    vsFloat(10, v, 1);
}

// View-space position (with the view's translation) or direction (without it).
void toView(const D3DVECTOR& p, float w, float out[4]) {
    const auto& m = c.view.m;
    for (int j = 0; j < 3; ++j) out[j] = p.x * m[0][j] + p.y * m[1][j] + p.z * m[2][j] + w * m[3][j];
    out[3] = w;
}

void colour(const D3DCOLORVALUE& v, float out[4]) { out[0] = v.r, out[1] = v.g, out[2] = v.b, out[3] = v.a; }

void lightConstants(int i) {
    if (i >= 6) return;
    const D3DLIGHT9& l = c.lights[i];
    float r[7][4];
    toView(l.Position, 1.0f, r[0]);
    toView(l.Direction, 0.0f, r[1]);
    colour(l.Diffuse, r[2]);
    colour(l.Specular, r[3]);
    colour(l.Ambient, r[4]);
    // theta = phi keeps a least cone difference: a hard edge instead of an infinity.
    float cosPhi, invCone;
    shader::spotTerms(l.Theta, l.Phi, cosPhi, invCone);
    const float a[4] = {l.Range * l.Range, l.Falloff, l.Attenuation0, l.Attenuation1};
    const float b[4] = {l.Attenuation2, cosPhi, invCone, 0.0f};
    std::memcpy(r[5], a, sizeof a);
    std::memcpy(r[6], b, sizeof b);
    psFloat(32 + 7 * i, &r[0][0], 7);
    if (i < 4) {
        vsFloat(14 + 7 * i, &r[0][0], 7);
        psFloat(9 + 3 * i, &r[2][0], 3);
        const BOOL kinds[2] = {l.Type == D3DLIGHT_SPOT || l.Type == D3DLIGHT_POINT, l.Type == D3DLIGHT_SPOT};
        vsBool(5 + 3 * i, kinds, 2);
    }
}

}  // namespace

void D3D9_RefreshLightConstants() {
    const D3DMATERIAL9& m = c.material;
    for (int i = 0; i <= c.highestLight && i < kD3D9Lights; ++i) {
        if (!c.lightEnabled[i]) continue;
        const D3DCOLORVALUE& a = c.lights[i].Ambient;
        const float v[4] = {a.r * m.Ambient.r, a.g * m.Ambient.g, a.b * m.Ambient.b, a.a * m.Ambient.a};
        if (i < 4) {
            vsFloat(18 + 7 * i, v, 1);
            psFloat(11 + 3 * i, v, 1);
        }
        if (i < 6) psFloat(36 + 7 * i, v, 1);
    }
    const float g[4] = {c.ambientF[0] * m.Ambient.r + m.Emissive.r, c.ambientF[1] * m.Ambient.g + m.Emissive.g,
                        c.ambientF[2] * m.Ambient.b + m.Emissive.b, c.ambientF[3] * m.Ambient.a + m.Emissive.a};
    vsFloat(1, g, 1);
    psFloat(1, g, 1);
}

int Graphics_D3D9_DeviceState_SetFogEnable(int flag) {
    if (!Direct3DDevice9_IsValid()) return 0;
    if (!c.force && c.fogEnable == flag) return 0;
    if (renderState(D3DRS_FOGENABLE, DWORD(flag)) < 0) return -1;
    c.fogEnable = flag;
    c.drawPrepNeeded = 1;
    const BOOL on = flag ? 1 : 0;
    vsBool(3, &on, 1);
    return 0;
}

int Graphics_D3D9_DeviceState_SetFogMode(int mode) {
    if (!Direct3DDevice9_IsValid()) return 0;
    if (!c.force && c.fogMode == mode) return 0;
    if (renderState(d3d9rs::FOGVERTEXMODE, DWORD(mode)) < 0) return -1;
    c.fogMode = mode;
    c.drawPrepNeeded = 1;
    if (ProgrammableShaderFlag) {
        const BOOL modes[4] = {mode == 3, mode == 1, mode == 2, mode != 0};
        vsBool(0, modes, 4);
    }
    return 0;
}

int Graphics_D3D9_DeviceState_SetFogColor(uint32_t color) {
    if (!Direct3DDevice9_IsValid()) return 0;
    if (!c.force && c.fogColor == color) return 0;
    if (renderState(d3d9rs::FOGCOLOR, color) < 0) return -1;
    c.fogColor = color;
    c.drawPrepNeeded = 1;
    const float v[4] = {float((color >> 16) & 0xFF) / 255.0f, float((color >> 8) & 0xFF) / 255.0f,
                        float(color & 0xFF) / 255.0f, 1.0f};
    psFloat(8, v, 1);
    return 0;
}

int Graphics_D3D9_DeviceState_SetFogStartEnd(float start, float end) {
    if (!Direct3DDevice9_IsValid()) return 0;
    int result = 0;
    DWORD bits;
    if (c.force || c.fogStart != start) {
        std::memcpy(&bits, &start, 4);
        if (renderState(d3d9rs::FOGSTART, bits) < 0)
            result = -1;
        else
            c.fogStart = start;
        fogConstants();
    }
    if (c.force || c.fogEnd != end) {
        std::memcpy(&bits, &end, 4);
        if (renderState(d3d9rs::FOGEND, bits) < 0)
            result = -1;
        else
            c.fogEnd = end;
        fogConstants();
    }
    c.drawPrepNeeded = 1;
    return result;
}

int Graphics_D3D9_DeviceState_SetFogDensity(float density) {
    if (!Direct3DDevice9_IsValid()) return 0;
    DWORD bits;
    std::memcpy(&bits, &density, 4);
    if (renderState(d3d9rs::FOGDENSITY, bits) < 0) return -1;
    c.fogDensity = density;
    fogConstants();
    return 0;
}

int Graphics_D3D9_DeviceState_SetAmbientLight(uint32_t argb) {
    if (!Direct3DDevice9_IsValid()) return 0;
    if (!c.force && c.ambient == argb) return 0;
    if (renderState(D3DRS_AMBIENT, argb) < 0) return -1;
    c.ambient = argb;
    c.ambientF[0] = float((argb >> 16) & 0xFF) / 255.0f;
    c.ambientF[1] = float((argb >> 8) & 0xFF) / 255.0f;
    c.ambientF[2] = float(argb & 0xFF) / 255.0f;
    c.ambientF[3] = float(argb >> 24) / 255.0f;
    D3D9_RefreshLightConstants();
    return 0;
}

int Graphics_D3D9_DeviceState_SetLightEnable(int index, int flag) {
    if (!Direct3DDevice9_IsValid() || index < 0) return 0;
    if (index < kD3D9Lights && !c.force && c.lightEnabled[index] == (flag ? 1 : 0)) return 0;
    Graphics_D3D9_FlushVertexBatch(0);
    if (!ok(Direct3DDevice9_LightEnable(DWORD(index), flag ? 1 : 0))) return -1;
    if (index >= kD3D9Lights) return 0;
    c.lightEnabled[index] = flag ? 1 : 0;
    if (flag && index > c.highestLight) c.highestLight = index;
    if (!flag && index == c.highestLight) {
        int h = index - 1;
        while (h > 0 && !c.lightEnabled[h]) --h;
        c.highestLight = h < 0 ? -1 : h;
    }
    if (ProgrammableShaderFlag && index < 4) {
        const BOOL on = flag ? 1 : 0;
        vsBool(4 + 3 * index, &on, 1);
    }
    c.drawPrepNeeded = 1;
    D3D9_RefreshLightConstants();
    return 0;
}

int Graphics_D3D9_DeviceState_SetLight(int index, const D3DLIGHT9* light) {
    if (!Direct3DDevice9_IsValid() || light == nullptr || index < 0) return 0;
    Graphics_D3D9_FlushVertexBatch(0);
    if (!ok(Direct3DDevice9_SetLight(DWORD(index), light))) return -1;
    if (index >= kD3D9Lights) return 0;
    c.lights[index] = *light;
    lightConstants(index);
    c.drawPrepNeeded = 1;
    D3D9_RefreshLightConstants();
    return 0;
}

int Graphics_D3D9_DeviceState_SetMaterial(const D3DMATERIAL9* material) {
    if (!Direct3DDevice9_IsValid() || material == nullptr) return 0;
    if (!c.force && std::memcmp(&c.material, material, sizeof *material) == 0) return 0;
    Graphics_D3D9_FlushVertexBatch(0);
    if (!ok(Direct3DDevice9_SetMaterial(material))) return -1;
    c.material = *material;
    float v[3][4];
    colour(material->Diffuse, v[0]);
    colour(material->Specular, v[1]);
    v[2][0] = material->Power, v[2][1] = v[2][2] = v[2][3] = 0.0f;
    vsFloat(11, &v[0][0], 3);
    psFloat(2, &v[0][0], 3);
    c.drawPrepNeeded = 1;
    D3D9_RefreshLightConstants();
    return 0;
}

int Graphics_D3D9_DeviceState_SetViewMatrix(const D3DMATRIX* matrix) {
    if (!Direct3DDevice9_IsValid() || matrix == nullptr) return 0;
    Graphics_D3D9_FlushVertexBatch(0);
    if (!ok(Direct3DDevice9_SetTransform(D3DTS_VIEW, matrix))) return -1;
    c.view = *matrix;
    float t[4][4];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) t[i][j] = matrix->m[j][i];
    vsFloat(6, &t[0][0], 4);
    for (int i = 0; i < 6; ++i) lightConstants(i);
    c.drawPrepNeeded = 1;
    return 0;
}

}  // namespace ZaDod
