// The draw area and the draw target.
#include <utility>

#include "media/graphics/graph.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "media/graphics/shadow_map.h"

namespace ZaDod {
namespace {

// The camera every new target starts with: a 60-degree perspective whose eye sees
// the target's pixels one to one on the plane z = 0.
void setDefaultCamera(int width, int height) {
    DrawSettings& s = GraphicsDrawSettings;
    GraphicsRender.aspectScale = 1.0;
    Matrix4x4D identity;
    CreateIdentityMatrixD(&identity);
    SetTransformToWorld(&identity);
    SetCameraScreenCenter(width * 0.5, height * 0.5);
    const double d = (height / 2) / 0.57735026;
    const Vector3D eye{width * 0.5, height * 0.5, -d};
    const Vector3D target{width * 0.5, height * 0.5, 1.0 - d};
    const Vector3D up{0.0, 1.0, 0.0};
    s.projectionMode = 0;
    s.fieldOfView = 1.0471975803375244;
    s.nearZ = d * 0.1;
    s.farZ = d + 20000.0;
    SetCameraPositionAndTargetAndUpVec(&eye, &target, &up);
}

}  // namespace

int SetDrawArea(int x1, int y1, int x2, int y2) {
    DrawSettings& s = GraphicsDrawSettings;
    // A masked draw still open composites over the area it was drawn in.
    FlushPendingMaskDraw();
    s.requestedDrawArea = ImageRect{x1, y1, x2, y2};
    int width, height;
    if (GetDrawTargetSize(s.targets[0].handle, &width, &height) != 0) return -1;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    auto clamp = [](int v, int hi) { return v < 0 ? 0 : v > hi ? hi : v; };
    const ImageRect area{clamp(x1, width), clamp(y1, height), clamp(x2, width), clamp(y2, height)};
    FlushDrawBatch();
    s.drawArea = area;
    s.drawAreaF[0] = static_cast<float>(area.left);
    s.drawAreaF[1] = static_cast<float>(area.top);
    s.drawAreaF[2] = static_cast<float>(area.right);
    s.drawAreaF[3] = static_cast<float>(area.bottom);
    SetMemImgDrawArea(&s.drawArea);
    s.dirty = 1;
    if (area.left == area.right || area.top == area.bottom) {
        s.drawingSuppressed = 1;
        return 0;
    }
    s.drawingSuppressed = 0;
    const int w = area.right - area.left, h = area.bottom - area.top;
    CreateViewportMatrixD(&s.viewportMatrix, w * 0.5 + area.left, h * 0.5 + area.top, w, h);
    CreateInverseMatrixD(&s.viewportMatrixInverse, &s.viewportMatrix);
    ConvertMatrixDToMatrix(&s.viewportMatrixF, &s.viewportMatrix);
    ConvertMatrixDToMatrix(&s.viewportMatrixInverseF, &s.viewportMatrixInverse);
    if (GraphicsSys.hardware) Graphics_Hardware_SetDrawArea(area.left, area.top, area.right, area.bottom);
    return 0;
}

int SetDrawAreaFull() {
    int width, height;
    if (GetDrawTargetSize(GraphicsDrawSettings.targets[0].handle, &width, &height) != 0) return -1;
    return SetDrawArea(0, 0, width, height);
}

int RebindDrawTargets() {
    const DrawSettings& s = GraphicsDrawSettings;
    const RenderTargetSlot& t = s.targets[0];
    int result = t.surfaceIndex != 0 ? Graphics_Hardware_SetRenderTarget(0, t.handle, t.surfaceIndex)
                                     : Graphics_Hardware_SetDrawTarget(t.handle, 0, GetGraphData(t.handle, 0),
                                                                       nullptr, GetShadowMapData(t.handle), nullptr);
    // A target whose objects could not be made again leaves the screen bound, never the
    // old device's surface.
    if (result != 0) Graphics_Hardware_SetDrawTarget(-2, 0, nullptr, nullptr, nullptr, nullptr);
    for (int slot = 1; slot < kMaxRenderTargets; ++slot)
        if (s.targets[slot].handle > 0)
            Graphics_Hardware_SetRenderTarget(slot, s.targets[slot].handle, s.targets[slot].surfaceIndex);
    return result;
}

int GetDrawArea(plat::win::RECT* area) {
    const ImageRect& r = GraphicsDrawSettings.drawArea;
    *area = plat::win::RECT{r.left, r.top, r.right, r.bottom};
    return 0;
}

int GetDrawTarget() { return GraphicsDrawSettings.targets[0].handle; }

int SetDrawTarget(int handle) {
    DrawSettings& s = GraphicsDrawSettings;
    if (!GraphicsSys.started) return -1;
    const bool screen = handle == -4 || handle == -2 || handle == -3 || handle == -5;
    // While a draw set-up makes a shadow map the target, only that map is taken.
    const bool shadowDrawing = ShadowMapUse.drawing >= 0;
    ShadowMapData* newMap = nullptr;
    MEMIMG* image = nullptr;
    if (shadowDrawing) {
        newMap = GetShadowMapData(handle);
        if (newMap == nullptr) return -1;
    } else if (!screen) {
        GraphData* graph = GetGraphData(handle, 0);
        if (graph == nullptr || graph->orig == nullptr || !graph->orig->request.drawable) return -1;
        image = GetGraphSoftImage(graph);
        // The software renderer draws onto images without an alpha channel only.
        if (!GraphicsSys.hardware && (image == nullptr || image->base->useAlpha)) return -1;
    }
    if (s.targets[0].handle == -4) {
        if (GraphicsSys.hardware) Graphics_Hardware_SetupSubBackBuffer(1);
        PresentScreen();
    }

    if (ShadowMapUse.pending >= 0) ShadowMap_DrawEndForTargetChange();

    // Masking is off during the change; the mask follows the new target's size.
    const int masking = GetUseMaskScreenFlag();
    if (masking) SetUseMaskScreenFlag(0);

    const RenderTargetSlot old = s.targets[0];
    const int oldWidth = s.targetWidth, oldHeight = s.targetHeight;
    int width, height;
    GetDrawTargetSize(handle, &width, &height);
    s.targets[0] = RenderTargetSlot{handle, 0};
    s.targetWidth = width;
    s.targetHeight = height;
    Graphics_Hardware_RefreshDrawTargetAlphaFlag();

    if (GraphicsSys.hardware) {
        const int result = Graphics_Hardware_SetDrawTarget(handle, old.surfaceIndex, GetGraphData(handle, 0),
                                                           GetGraphData(old.handle, 1), newMap,
                                                           GetShadowMapData(old.handle));
        if (result != 0 && newMap != nullptr) {
            // The map's objects could not be made: the old target is bound again and the
            // caller learns that no shadow is drawn.
            s.targets[0] = old;
            s.targetWidth = oldWidth;
            s.targetHeight = oldHeight;
            Graphics_Hardware_RefreshDrawTargetAlphaFlag();
            Graphics_Hardware_SetDrawTarget(old.handle, 0, GetGraphData(old.handle, 0), nullptr,
                                            GetShadowMapData(old.handle), newMap);
            if (masking) SetUseMaskScreenFlag(1);
            return -1;
        }
    } else {
        SetMemImgDrawTarget(screen ? &GraphicsSys.mainScreen : image);
    }

    if (shadowDrawing && GraphicsRender.keepSettingsOnTargetChange) {
        // The whole map is drawn; the stored request waits for the next target.
        const ImageRect kept = s.requestedDrawArea;
        SetDrawArea(0, 0, width, height);
        s.requestedDrawArea = kept;
    } else if (!GraphicsRender.keepSettingsOnTargetChange) {
        if (!shadowDrawing && oldWidth == width && oldHeight == height) {
            const ImageRect a = s.drawArea;
            SetDrawArea(a.left, a.top, a.right, a.bottom);
        } else {
            SetDrawArea(0, 0, width, height);
        }
        setDefaultCamera(width, height);
    } else {
        const ImageRect r = s.requestedDrawArea;
        SetDrawArea(r.left, r.top, r.right, r.bottom);
    }
    if (!shadowDrawing) CreateMaskScreen(IsMaskScreenCreated(), width, height);
    if (masking) SetUseMaskScreenFlag(1);
    if (shadowDrawing) {
        ShadowMapUse.drawing = -1;
        ShadowMapUse.pending = handle;
    }
    Graphics_Hardware_SetFrontScreenTimer(handle);
    return 0;
}

int SetRenderTarget(int slot, int handle, int surfaceIndex) {
    if (slot < 0 || slot >= kMaxRenderTargets) return -1;
    if (slot == 0 && surfaceIndex == 0) return SetDrawTarget(handle);
    if (!GraphicsSys.hardware || Graphics_Hardware_SetRenderTarget(slot, handle, surfaceIndex) != 0) return -1;
    GraphicsDrawSettings.targets[slot] = RenderTargetSlot{handle, surfaceIndex};
    Graphics_Hardware_RefreshDrawTargetAlphaFlag();
    return 0;
}

}  // namespace ZaDod
