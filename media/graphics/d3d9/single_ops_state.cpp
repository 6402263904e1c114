// Direct3D 9 state operations behind the front's dispatchers: the clear, the draw area and
// transforms, fog and light forwarders, lighting, the diffuse colour, the target's alpha
// flag, vertex formats by type and the front-screen timer.
#include <cstring>

#include "media/graphics/d3d9/d3d9_filter.h"
#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/graph.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/light.h"
#include "media/graphics/render_state.h"
#include "media/graphics/shadow_map.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using d3d9_cache::c;

D3DMATRIX toD3D(const Matrix4x4F& m) {
    D3DMATRIX out;
    std::memcpy(&out, &m, sizeof out);
    return out;
}

// Transform `state` and, transposed, vertex-shader constants from `first` (usage set 0).
int transformAndConstants(D3DTRANSFORMSTATETYPE state, const Matrix4x4F& m, int first) {
    Graphics_D3D9_FlushVertexBatch(0);
    const D3DMATRIX d = toD3D(m);
    if (Direct3DDevice9_SetTransform(state, &d) != D3D_OK) return -1;
    float t[4][4];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) t[i][j] = m.m[j][i];
    D3D9_SetConstant(kD3D9VSFloat, first, t, 4);
    return 0;
}

Matrix4x4F product(const Matrix4x4F& a, const Matrix4x4F& b) {
    Matrix4x4F r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
    return r;
}

// Drawing into a shadow map, the projection takes back the half pixel this interface puts
// between pixel centres and whole coordinates: each texel then holds the depth at its
// centre, as the lit draws read it and as the Direct3D 11 back end's maps hold it.
Matrix4x4F atTexelCentres(const Matrix4x4F& m) {
    const ShadowMapData* map = GetShadowMapData(GraphicsDrawSettings.targets[0].handle);
    if (map == nullptr || map->width <= 0 || map->height <= 0) return m;
    Matrix4x4F shift{};
    for (int i = 0; i < 4; ++i) shift.m[i][i] = 1.0f;
    shift.m[3][0] = -1.0f / float(map->width);
    shift.m[3][1] = 1.0f / float(map->height);
    return product(m, shift);
}

}  // namespace

gpu::IDirect3DSurface9* D3D9_ScreenSurface() {
    return D3D9BackendSys.subSurface != nullptr ? D3D9BackendSys.subSurface : D3D9DeviceSys.backBuffer;
}

int Graphics_D3D9_ClearDrawTarget(const ImageRect* rect) {
    if (!Direct3DDevice9_IsValid()) return 0;
    Graphics_D3D9_FlushVertexBatch(0);
    Graphics_D3D9_EndScene();
    // A clear is not masked: while draws go to the mask screen, the real target is bound
    // for the clear and the mask screen again after it.
    IDirect3DSurface9 *mask = nullptr, *real = nullptr;
    D3D9_MaskTargets(&mask, &real);
    if (real != nullptr) Graphics_D3D9_DeviceState_SetRenderTarget(real, 0);
    IDirect3DSurface9* target = c.targets[0] != nullptr ? c.targets[0] : D3D9_ScreenSurface();
    if (target == nullptr) return 0;
    D3DSURFACE_DESC desc{};
    Direct3DSurface9_GetDesc(target, &desc);
    const D3DVIEWPORT9 whole{0, 0, desc.Width, desc.Height, 0.0f, 1.0f};
    Graphics_D3D9_DeviceState_SetViewport(&whole);
    const DrawSettings& s = GraphicsDrawSettings;
    const D3DCOLOR colour = D3DCOLOR(s.backgroundRed & 0xFF) << 16 | D3DCOLOR(s.backgroundGreen & 0xFF) << 8 |
                            D3DCOLOR(s.backgroundBlue & 0xFF);
    D3DRECT r{};
    if (rect != nullptr) r = D3DRECT{rect->left, rect->top, rect->right, rect->bottom};
    Direct3DDevice9_Clear(rect != nullptr ? 1 : 0, rect != nullptr ? &r : nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
    if (D3D9BackendSys.depthSurface != nullptr)
        Direct3DDevice9_Clear(rect != nullptr ? 1 : 0, rect != nullptr ? &r : nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    if (mask != nullptr) Graphics_D3D9_DeviceState_SetRenderTarget(mask, 0);
    const ImageRect& a = s.drawArea;
    if (a.right > a.left && a.bottom > a.top) Graphics_D3D9_DeviceState_SetViewportRect(a.left, a.top, a.right, a.bottom);
    return 0;
}

int Graphics_D3D9_SetDrawArea(int x1, int y1, int x2, int y2) {
    if (!Direct3DDevice9_IsValid() || x2 <= x1 || y2 <= y1) return -1;
    Graphics_D3D9_DeviceState_SetViewportRect(x1, y1, x2, y2);
    const plat::win::RECT scissor{x1, y1, x2, y2};
    Graphics_D3D9_DeviceState_SetScissorRect(&scissor);
    const DrawSettings& s = GraphicsDrawSettings;
    return transformAndConstants(D3DTS_PROJECTION, atTexelCentres(product(s.projectionF, s.viewportF)), 2);
}

int Graphics_D3D9_SetTransformToProjection(const Matrix4x4F* matrix) {
    if (!Direct3DDevice9_IsValid() || matrix == nullptr) return -1;
    return transformAndConstants(D3DTS_PROJECTION, atTexelCentres(*matrix), 2);
}

int Graphics_D3D9_SetTransformToView(const Matrix4x4F* matrix) {
    if (matrix == nullptr) return -1;
    const D3DMATRIX d = toD3D(*matrix);
    return Graphics_D3D9_DeviceState_SetViewMatrix(&d);
}

int Graphics_D3D9_SetTransformToWorld(const Matrix4x4F* matrix) {
    if (!Direct3DDevice9_IsValid() || matrix == nullptr) return -1;
    return transformAndConstants(D3DTS_WORLD, *matrix, 94);
}

int Graphics_D3D9_SetFogEnable(int flag) { return Graphics_D3D9_DeviceState_SetFogEnable(flag); }
int Graphics_D3D9_SetFogMode(int mode) { return Graphics_D3D9_DeviceState_SetFogMode(mode); }
int Graphics_D3D9_SetFogColor(unsigned int color) { return Graphics_D3D9_DeviceState_SetFogColor(color & 0xFFFFFF); }
int Graphics_D3D9_SetFogStartEnd(float start, float end) {
    return Graphics_D3D9_DeviceState_SetFogStartEnd(start, end);
}
int Graphics_D3D9_SetLightEnableByIndex(int index, int flag) {
    return Graphics_D3D9_DeviceState_SetLightEnable(index, flag);
}
int Graphics_D3D9_SetLightParamByIndex(int index, const LightParam* p) {
    if (p == nullptr) return -1;
    D3DLIGHT9 l{};
    l.Type = D3DLIGHTTYPE(p->kind);
    l.Diffuse = D3DCOLORVALUE{p->diffuse[0], p->diffuse[1], p->diffuse[2], p->diffuse[3]};
    l.Specular = D3DCOLORVALUE{p->specular[0], p->specular[1], p->specular[2], p->specular[3]};
    l.Ambient = D3DCOLORVALUE{p->ambient[0], p->ambient[1], p->ambient[2], p->ambient[3]};
    l.Position = D3DVECTOR{p->position[0], p->position[1], p->position[2]};
    l.Direction = D3DVECTOR{p->direction[0], p->direction[1], p->direction[2]};
    l.Range = p->range, l.Falloff = p->falloff, l.Attenuation0 = p->attenuation0;
    l.Attenuation1 = p->attenuation1, l.Attenuation2 = p->attenuation2, l.Theta = p->theta, l.Phi = p->phi;
    return Graphics_D3D9_DeviceState_SetLight(index, &l);
}
int Graphics_D3D9_SetDrawMode(int mode) { return Graphics_D3D9_DeviceState_SetTextureFilter(mode); }

int Graphics_D3D9_SetUseLighting(int flag) {
    if (!Direct3DDevice9_IsValid()) return 0;
    if (!c.force && c.lighting == flag) return 0;
    Graphics_D3D9_FlushVertexBatch(0);
    if (Direct3DDevice9_SetRenderState(D3DRS_LIGHTING, DWORD(flag)) != D3D_OK) return -1;
    c.lighting = flag;
    c.drawPrepNeeded = 1;
    c.stateChanged = 1;
    return 0;
}

int Graphics_D3D9_RefreshDiffuseColor() {
    const DrawSettings& s = GraphicsDrawSettings;
    const uint32_t alpha = s.blendMode != 0 ? uint32_t(s.blendParam & 0xFF) : 255u;
    D3D9Batch.diffuse = alpha << 24 | uint32_t(s.brightRed) << 16 | uint32_t(s.brightGreen) << 8 | s.brightBlue;
    return 0;
}

// Textured draws modulate by the vertex colour only while the stages say so, which they
// do for a bright off white: a new bright keeps the batch when the stages already
// modulate (white times a texel is the texel) or when it is white.
int Graphics_D3D9_BrightKeepsBatch(int white) { return white || c.colorModulate ? 1 : 0; }

int Graphics_D3D9_RefreshDrawTargetAlphaFlag() {
    const DrawSettings& s = GraphicsDrawSettings;
    bool further = false;
    for (int i = 1; i < kMaxRenderTargets; ++i) further = further || s.targets[i].handle > 0;
    int alpha = 0;
    const int handle = s.targets[0].handle;
    if (!further && handle != -2 && handle != -3 && handle != -4 && handle != -5) {
        const GraphData* graph = GetGraphData(handle, 1);
        alpha = graph != nullptr && graph->orig != nullptr && graph->orig->request.alphaChannel ? 1 : 0;
    }
    if (alpha != D3D9DrawTargetHasAlpha) {
        Graphics_D3D9_FlushVertexBatch(0);
        D3D9DrawTargetHasAlpha = alpha;
        c.keyChanged = 1;
        c.stateChanged = 1;
    }
    return 0;
}

int Graphics_D3D9_SetupVertexTypeFVF(int type) {
    if (type < 0 || type > 7) return -1;
    static const uint32_t fvf[8] = {0x144, 0x44, 0x144, 0x2C4, 0x2C4, 0x42, 0x142, 0x2D2};
    return Graphics_D3D9_DeviceState_SetFVF(fvf[type]);
}

int Graphics_D3D9_SetFrontScreenTimer(int handle) { return D3D9_StartFrontScreenTimer(handle == -4 ? 1 : 0); }

}  // namespace ZaDod
