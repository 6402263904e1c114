// The plain setters of the draw state.
#include "media/graphics/render_settings.h"

#include <cstring>

#include "media/graphics/d3d9/d3d9.h"
#include "media/graphics/graph.h"
#include "media/graphics/hardware.h"
#include "media/system/window.h"

namespace ZaDod {
namespace {

int clampByte(int value) { return value < 0 ? 0 : value > 255 ? 255 : value; }

// What every changed setting shares: wait while the window is inactive, flush what the
// device holds, and flag the state for re-sending.
void beginChange() {
    WaitWhileWindowInactive();
    FlushDrawBatch();
    GraphicsDrawSettings.dirty = 1;
    GraphicsRender.settingsChanged = 1;
}

// The hardware back ends take the bright only into the colour of each vertex written
// after the change, so the vertices already batched keep theirs and the batch can go on:
// an edged label alternating edge and body colours stays one draw. Direct3D 9 alone picks
// its texture stages by whether the bright is white; it says when they must change.
bool brightKeepsBatch(int red, int green, int blue) {
    if (!GraphicsSys.hardware) return false;
    if (GraphicsApiType == kGraphicsApiD3D11) return true;
    return GraphicsApiType == kGraphicsApiD3D9 &&
           Graphics_D3D9_BrightKeepsBatch(red == 255 && green == 255 && blue == 255 ? 1 : 0) == 1;
}

}  // namespace

int SetBackgroundColor(int red, int green, int blue) {
    DrawSettings& s = GraphicsDrawSettings;
    s.backgroundRed = red;
    s.backgroundGreen = green;
    s.backgroundBlue = blue;
    s.backgroundSet = 1;
    return 0;
}

int SetDrawBlendMode(int mode, int param) {
    DrawSettings& s = GraphicsDrawSettings;
    param = clampByte(param);
    if (s.blendMode == mode && s.blendParam == param) return 0;
    beginChange();
    s.blendMode = mode;
    s.blendParam = param;
    SetMemImgBlendMode(mode, param);
    if (GraphicsSys.hardware) Graphics_Hardware_RefreshDiffuseColor();
    return 0;
}

int GetDrawBlendMode(int* mode, int* param) {
    if (mode) *mode = GraphicsDrawSettings.blendMode;
    if (param) *param = GraphicsDrawSettings.blendParam;
    return 0;
}

int SetDrawBright(int red, int green, int blue) {
    DrawSettings& s = GraphicsDrawSettings;
    red = clampByte(red), green = clampByte(green), blue = clampByte(blue);
    if (s.brightRed == red && s.brightGreen == green && s.brightBlue == blue) return 0;
    if (brightKeepsBatch(red, green, blue)) {
        WaitWhileWindowInactive();
    } else {
        beginChange();
    }
    s.brightRed = static_cast<uint8_t>(red);
    s.brightGreen = static_cast<uint8_t>(green);
    s.brightBlue = static_cast<uint8_t>(blue);
    if (GraphicsSys.hardware)
        Graphics_Hardware_RefreshDiffuseColor();
    else
        SetMemImgDrawBright(static_cast<uint32_t>(red << 16 | green << 8 | blue));
    return 0;
}

int GetDrawBright(int* red, int* green, int* blue) {
    if (red) *red = GraphicsDrawSettings.brightRed;
    if (green) *green = GraphicsDrawSettings.brightGreen;
    if (blue) *blue = GraphicsDrawSettings.brightBlue;
    return 0;
}

int SetDrawMode(int mode) {
    DrawSettings& s = GraphicsDrawSettings;
    if (s.samplingMode == mode) return 0;
    beginChange();
    s.samplingMode = mode;
    if (GraphicsSys.hardware) Graphics_Hardware_SetDrawMode(mode);
    return 0;
}

int SetDrawAlphaTest(int mode, int param) {
    DrawSettings& s = GraphicsDrawSettings;
    param = clampByte(param);
    if (s.alphaTestMode == mode && s.alphaTestRef == param) return 0;
    beginChange();
    s.alphaTestMode = mode;
    s.alphaTestRef = param;
    if (GraphicsSys.hardware) Graphics_Hardware_RefreshDiffuseColor();
    return 0;
}

int SetFogEnable(int flag) {
    DrawSettings& s = GraphicsDrawSettings;
    if (s.fogEnable == flag) return 0;
    beginChange();
    s.fogEnable = flag;
    if (GraphicsSys.hardware) Graphics_Hardware_SetFogEnable(flag);
    return 0;
}

int SetFogStartEnd(float start, float end) {
    RenderState& r = GraphicsRender;
    if (r.fogStart == start && r.fogEnd == end) return 0;
    beginChange();
    r.fogStart = start;
    r.fogEnd = end;
    if (GraphicsSys.hardware) Graphics_Hardware_SetFogStartEnd(start, end);
    return 0;
}

int SetDrawableGraphMultiSample(int count, int quality) {
    GraphicsDrawSettings.multiSampleCount = count > 16 ? 16 : count;
    GraphicsDrawSettings.multiSampleQuality = quality;
    return 0;
}

int SetUseLighting(int flag) {
    DrawSettings& s = GraphicsDrawSettings;
    const int off = flag ? 0 : 1;
    if (s.lightingOff == off) return 0;
    beginChange();
    s.lightingOff = off;
    if (GraphicsSys.hardware) Graphics_Hardware_SetUseLighting(flag);
    return 0;
}

int SetUseZBuffer3D(int flag) {
    DrawSettings& s = GraphicsDrawSettings;
    if (s.useZBuffer == flag) return 0;
    beginChange();
    s.useZBuffer = flag;
    return 0;
}

// The 3D settings below reach the device through the draw preparation; only fog mode and
// colour have device setters of their own.
int SetCullMode(int mode) {
    if (mode < 0 || mode > 2) return -1;
    RenderState& r = GraphicsRender;
    if (r.cullMode == mode) return 0;
    beginChange();
    r.cullMode = mode;
    return 0;
}

int SetUseSpecular(int flag) {
    RenderState& r = GraphicsRender;
    const int off = flag ? 0 : 1;
    if (r.specularOff == off) return 0;
    beginChange();
    r.specularOff = off;
    return 0;
}

int SetTextureAddressModeUVW(int u, int v, int w, int stage) {
    // Wrap, mirror, clamp, border and mirror-once are the modes both devices know.
    auto known = [](int mode) { return mode >= 1 && mode <= 5; };
    if (stage < -1 || stage >= 16 || !known(u) || !known(v) || !known(w)) return -1;
    RenderState& r = GraphicsRender;
    const int first = stage < 0 ? 0 : stage, last = stage < 0 ? 15 : stage;
    bool same = true;
    for (int i = first; i <= last; ++i)
        same = same && r.textureAddressU[i] == u && r.textureAddressV[i] == v && r.textureAddressW[i] == w;
    if (same) return 0;
    beginChange();
    for (int i = first; i <= last; ++i) {
        r.textureAddressU[i] = u;
        r.textureAddressV[i] = v;
        r.textureAddressW[i] = w;
    }
    return 0;
}

int SetTextureAddressTransformMatrix(int use, const Matrix4x4F* matrix) {
    RenderState& r = GraphicsRender;
    Matrix4x4F m;
    if (matrix != nullptr)
        m = *matrix;
    else
        CreateIdentityMatrix(&m);
    const int on = use ? 1 : 0;
    if (r.textureTransformUse == on && std::memcmp(&r.textureTransform, &m, sizeof m) == 0) return 0;
    beginChange();
    r.textureTransformUse = on;
    r.textureTransform = m;
    r.textureTransformApplied = 0;
    return 0;
}

int SetFogMode(int mode) {
    if (mode < 0 || mode > 3) return -1;
    RenderState& r = GraphicsRender;
    if (r.fogMode == mode) return 0;
    beginChange();
    r.fogMode = mode;
    if (GraphicsSys.hardware) Graphics_Hardware_SetFogMode(mode);
    return 0;
}

int SetFogColor(int red, int green, int blue) {
    RenderState& r = GraphicsRender;
    const unsigned int color = unsigned(clampByte(red)) << 16 | unsigned(clampByte(green)) << 8 | unsigned(clampByte(blue));
    if (r.fogColor == color) return 0;
    beginChange();
    r.fogColor = color;
    if (GraphicsSys.hardware) Graphics_Hardware_SetFogColor(color);
    return 0;
}

int SetUsePerPixelLighting(int which, int flag) {
    if (which < 0 || which > 1) return -1;
    RenderState& r = GraphicsRender;
    const int on = flag ? 1 : 0;
    if (r.perPixelLighting[which] == on) return 0;
    beginChange();
    r.perPixelLighting[which] = on;
    return 0;
}

int BindDepthBufferForDrawTarget() { return Graphics_Hardware_BindDepthBufferForDrawTarget(); }

int SetDrawTargetKeepSettingsFlag(int flag) {
    GraphicsRender.keepSettingsOnTargetChange = flag ? 1 : 0;
    return 0;
}

int SetBlendGraph(int handle, int borderParam, int borderRange) {
    return SetBlendGraphParam(handle, 1, borderParam, borderRange);
}

int SetBlendGraphParam(int handle, int type, int param1, int param2) {
    if (type > 2) return -1;
    const int params[2] = {param1, param2};
    return SetBlendGraphState(handle, type, params);
}

int SetBlendGraphState(int handle, int blendType, const int* params) {
    RenderState& r = GraphicsRender;
    if (handle <= 0) {
        // The device's blend texture goes too, or later draws would still read it.
        if (r.blendGraph > 0 && GraphicsSys.hardware) {
            FlushDrawBatch();
            Graphics_Hardware_BindBlendGraph(nullptr, 0, 0, 0);
        }
        r.blendGraph = -1;
        return 0;
    }
    GraphData* graph = GetGraphData(handle, 0);
    if (graph == nullptr) return -1;
    FlushDrawBatch();
    r.blendGraph = handle;
    r.blendGraphType = blendType;
    r.blendGraphParam1 = clampByte(params[0]);
    r.blendGraphParam2 = blendType == 0 ? 0 : clampByte(params[1]);
    r.settingsChanged = 1;
    if (GraphicsSys.hardware)
        Graphics_Hardware_BindBlendGraph(graph, blendType, r.blendGraphParam1, r.blendGraphParam2);
    else if (blendType == 1)
        CreateMemImgBlendGraphTable(r.blendGraphParam1, r.blendGraphParam2);
    return 0;
}

int SetBlendGraphPosition(int x, int y) {
    beginChange();
    GraphicsRender.blendGraphX = x;
    GraphicsRender.blendGraphY = y;
    return 0;
}

int SetBlendGraphPositionMode(int mode) {
    beginChange();
    GraphicsRender.blendGraphPositionMode = mode;
    return 0;
}

}  // namespace ZaDod
