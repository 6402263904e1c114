// Shadow maps: the record's defaults and release, the light-space basis, and the
// bracket around drawing into a map (set-up with its orthographic projection, end with
// the saved state restored and the optional blur).
#include "media/graphics/shadow_map.h"

#include <algorithm>
#include <cmath>

#include "media/graphics/graph_filter.h"
#include "media/graphics/hardware.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/render_state.h"

namespace ZaDod {

ShadowMapState ShadowMapUse = {{-1, -1, -1}, 0, -1, -1};

namespace {

Vector3F cross(const Vector3F& a, const Vector3F& b) {
    return Vector3F{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float squared(const Vector3F& v) { return v.x * v.x + v.y * v.y + v.z * v.z; }

Vector3F unit(const Vector3F& v) {
    const float length = std::sqrt(squared(v));
    return Vector3F{v.x / length, v.y / length, v.z / length};
}

// The view of a directional light: the basis vectors as the matrix's columns.
void buildLightView(ShadowMapData* map) {
    Matrix4x4F& v = map->view;
    CreateIdentityMatrix(&v);
    const Vector3F axes[3] = {map->lightRight, map->lightUp, map->lightDirection};
    for (int c = 0; c < 3; ++c) {
        v.m[0][c] = axes[c].x;
        v.m[1][c] = axes[c].y;
        v.m[2][c] = axes[c].z;
    }
}

void toDouble(Matrix4x4D* out, const Matrix4x4F& in) { ConvertMatrixToMatrixD(out, &in); }

void restoreSavedState(ShadowMapData* map, bool restoreTarget) {
    DrawSettings& s = GraphicsDrawSettings;
    for (int i = 1; i < kMaxRenderTargets; ++i) s.targets[i] = map->savedTargets[i];
    if (restoreTarget && s.targets[0].handle != map->savedTargets[0].handle)
        SetDrawTarget(map->savedTargets[0].handle);
    s.cameraEye = map->savedEye;
    s.cameraTarget = map->savedTarget;
    s.cameraUp = map->savedUp;
    SetTransformToView(&map->savedView);
    s.projectionMode = map->savedProjectionMode;
    s.fieldOfView = map->savedFieldOfView;
    s.nearZ = map->savedNearZ;
    s.farZ = map->savedFarZ;
    GraphicsRender.userProjection = map->savedUserProjection;
    SetTransformToViewport(&map->savedViewport);
    ApplyProjectionMatrix(&map->savedProjection);
}

int endDrawing(bool restoreTarget) {
    ShadowMapData* map = GetShadowMapData(ShadowMapUse.pending);
    if (map == nullptr || !map->setupActive) {
        ShadowMapUse.pending = -1;
        return -1;
    }
    const int handle = ShadowMapUse.pending;
    map->setupActive = 0;
    ShadowMapUse.pending = -1;
    restoreSavedState(map, restoreTarget);
    Graphics_Hardware_ShadowMap_RefreshSetting(map);
    // The one place a map is blurred.
    if (map->blur > 0) GraphFilter(handle, kGraphFilterGauss, 8, map->blur);
    return 0;
}

}  // namespace

ShadowMapData* GetShadowMapData(int handle) {
    if (handle < 0 || ((handle >> HANDLE_TYPE_SHIFT) & (HANDLETYPE_COUNT - 1)) != HANDLETYPE_SHADOWMAP)
        return nullptr;
    HandleEntryHeader* header = GetHandleInfo(handle);
    if (header == nullptr || HandleASyncLoadCount(header) != 0) return nullptr;
    return reinterpret_cast<ShadowMapData*>(header);
}

int InitShadowMapHandle(HandleEntryHeader* record) {
    auto* map = reinterpret_cast<ShadowMapData*>(record);
    map->graph = -1;
    map->depthBias = 0.002f;
    map->blur = 0;
    map->secondBias = 0.0007f;
    map->scale[0] = map->scale[1] = 1.0f;
    map->lightDirection = Vector3F{0.0f, 0.0f, 1.0f};
    map->lightRight = Vector3F{1.0f, 0.0f, 0.0f};
    map->lightUp = Vector3F{0.0f, 1.0f, 0.0f};
    buildLightView(map);
    CreateIdentityMatrix(&map->projection);
    map->viewProjection = map->view;
    map->data = map + 1;
    return 0;
}

int TerminateShadowMapHandle(HandleEntryHeader* record) {
    auto* map = reinterpret_cast<ShadowMapData*>(record);
    const int handle = record->Handle;
    bool bound = false;
    for (int& slot : ShadowMapUse.slots)
        if (slot == handle) {
            slot = -1;
            --ShadowMapUse.boundCount;
            bound = true;
        }
    if (bound) {
        Graphics_Hardware_ShadowMap_RefreshSetting(map);
        Graphics_Hardware_ShadowMap_RefreshVSParam();
        Graphics_Hardware_ShadowMap_RefreshPSParam();
    }
    // A map deleted while it is drawn into gives the draw state back without a blur.
    if (ShadowMapUse.pending == handle) {
        ShadowMapUse.pending = -1;
        if (map->setupActive) {
            map->setupActive = 0;
            restoreSavedState(map, true);
        }
    }
    if (GraphicsDrawSettings.targets[0].handle == handle && SetDrawTarget(-4) != 0)
        GraphicsDrawSettings.targets[0] = RenderTargetSlot{-4, 0};
    if (ShadowMapUse.drawing == handle) ShadowMapUse.drawing = -1;
    Graphics_Hardware_ShadowMap_ReleaseTexture(map);
    return 0;
}

int SetShadowMapLightDirection(int handle, float x, float y, float z) {
    ShadowMapData* map = GetShadowMapData(handle);
    if (map == nullptr) return -1;
    const Vector3F d{x, y, z};
    if (squared(d) < 1e-7f) return -1;
    map->lightDirection = unit(d);
    // Right = up × direction; a light along the up axis takes the depth axis instead.
    Vector3F right = cross(Vector3F{0.0f, 1.0f, 0.0f}, map->lightDirection);
    if (squared(right) < 1e-7f) right = cross(Vector3F{0.0f, 0.0f, -1.0f}, map->lightDirection);
    map->lightRight = unit(right);
    map->lightUp = unit(cross(map->lightDirection, map->lightRight));
    buildLightView(map);
    return 0;
}

int SetShadowMapSlot(int slot, int handle) {
    if (slot < 0 || slot >= kShadowMapSlots) return -1;
    ShadowMapData* map = handle == -1 ? nullptr : GetShadowMapData(handle);
    if (handle != -1 && map == nullptr) return -1;
    int& held = ShadowMapUse.slots[slot];
    if (held == handle) return 0;
    // What is queued was meant for the maps as they were.
    Graphics_Hardware_FlushVertexBatch(0);
    ShadowMapUse.boundCount += (handle != -1 ? 1 : 0) - (held != -1 ? 1 : 0);
    held = handle;
    GraphicsRender.settingsChanged = 1;
    Graphics_Hardware_ShadowMap_RefreshSetting(map);
    Graphics_Hardware_ShadowMap_RefreshVSParam();
    Graphics_Hardware_ShadowMap_RefreshPSParam();
    return 0;
}

int ShadowMap_DrawSetup(ShadowMapData* map) {
    if (map == nullptr) return -1;
    const int handle = map->header.Handle;
    DrawSettings& s = GraphicsDrawSettings;
    // Saved for the end of drawing.
    for (int i = 0; i < kMaxRenderTargets; ++i) map->savedTargets[i] = s.targets[i];
    map->savedEye = s.cameraEye;
    map->savedTarget = s.cameraTarget;
    map->savedUp = s.cameraUp;
    map->savedView = s.view;
    map->savedProjection = s.projection;
    map->savedViewport = s.viewport;
    map->savedUserProjection = GraphicsRender.userProjection;
    map->savedProjectionMode = s.projectionMode;
    map->savedFieldOfView = s.fieldOfView;
    map->savedNearZ = s.nearZ;
    map->savedFarZ = s.farZ;

    // The covered area's corners in light space give the orthographic box.
    float lo[3] = {1e8f, 1e8f, 1e8f}, hi[3] = {-1e8f, -1e8f, -1e8f};
    for (int corner = 0; corner < 8; ++corner) {
        const Vector3F p{corner & 1 ? map->areaMax.x : map->areaMin.x, corner & 2 ? map->areaMax.y : map->areaMin.y,
                         corner & 4 ? map->areaMax.z : map->areaMin.z};
        Vector3F q;
        VectorTransform(&q, &p, &map->view);
        const float v[3] = {q.x, q.y, q.z};
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], v[a]);
            hi[a] = std::max(hi[a], v[a]);
        }
    }
    Matrix4x4F& proj = map->projection;
    CreateIdentityMatrix(&proj);
    for (int a = 0; a < 3; ++a) {
        const float extent = hi[a] - lo[a];
        // A flat axis keeps its scale instead of dividing by zero.
        float scale, offset;
        if (extent <= 0.0f) {
            scale = 1.0f;
            offset = -lo[a];
        } else {
            scale = (a < 2 ? 2.0f : 1.0f) / extent;
            offset = a < 2 ? -(lo[a] + hi[a]) / 2.0f : -lo[a];
        }
        proj.m[a][a] = scale;
        proj.m[3][a] = offset * scale;
    }
    CreateMultiplyMatrix(&map->viewProjection, &map->view, &proj);

    map->setupActive = 1;
    ShadowMapUse.drawing = handle;
    if (s.targets[0].handle != handle && SetDrawTarget(handle) != 0) {
        ShadowMapUse.drawing = -1;
        map->setupActive = 0;
        return -1;
    }
    ShadowMapUse.drawing = -1;
    ShadowMapUse.pending = handle;
    Matrix4x4D view, projection, identity;
    toDouble(&view, map->view);
    toDouble(&projection, proj);
    // The projection already ends in the map's clip space: no screen-centre viewport (which
    // the new target brings) may fold into it.
    CreateIdentityMatrixD(&identity);
    SetTransformToViewport(&identity);
    SetTransformToView(&view);
    SetTransformToProjection(&projection);
    Graphics_Hardware_ShadowMap_RefreshVSParam();
    return 0;
}

int ShadowMap_DrawEnd() { return endDrawing(true); }

int ShadowMap_DrawEndForTargetChange() { return endDrawing(false); }

}  // namespace ZaDod
