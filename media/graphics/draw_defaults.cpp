// The draw state's defaults, its snapshot, the default light and material, and the
// subtractive-blend emulation.
#include <cmath>

#include "media/graphics/hardware.h"
#include "media/graphics/render_settings.h"

namespace ZaDod {

int ResetDrawSettings() {
    DrawSettings& s = GraphicsDrawSettings;
    RenderState& r = GraphicsRender;
    // The background colour and the restore function outlive a restart: a screen-mode
    // change fills the new screen with the background the game chose.
    const int red = s.backgroundRed, green = s.backgroundGreen, blue = s.backgroundBlue, set = s.backgroundSet;
    const uint8_t oldBright[3] = {s.brightRed, s.brightGreen, s.brightBlue};
    const float oldFog[2] = {r.fogStart, r.fogEnd};
    void (*restore)() = r.restoreCallback;
    const int keep = r.keepSettingsOnTargetChange;
    s = DrawSettings{};
    r = RenderState{};
    s.backgroundRed = red, s.backgroundGreen = green, s.backgroundBlue = blue, s.backgroundSet = set;
    r.restoreCallback = restore;
    r.keepSettingsOnTargetChange = keep;

    for (int i = 0; i < 16; ++i) r.textureAddressU[i] = r.textureAddressV[i] = r.textureAddressW[i] = 3;
    CreateIdentityMatrix(&r.textureTransform);
    r.blendGraph = -1;
    r.settingsChanged = 1;
    r.drawZ = 0.2f;
    r.depthCompare2D = r.depthCompare3D = 4;
    r.maxAnisotropy = 1;
    r.applyTransColorToLoads = 1;
    r.useVertexDiffuse = 1;
    r.useVertexSpecular = 0;
    r.fillMode = 3;
    r.userShaderHandle = -1;
    s.blendMode = 0;
    s.alphaTestMode = -1;
    s.transColor = 0xFF00FF;
    s.lightingOff = 1;

    s.brightRed = s.brightGreen = s.brightBlue = 255;
    if (oldBright[0] != 255 || oldBright[1] != 255 || oldBright[2] != 255 || !GraphicsSys.hardware) {
        if (GraphicsSys.hardware)
            Graphics_Hardware_RefreshDiffuseColor();
        else
            SetMemImgDrawBright(0x00FFFFFF);
    }
    SetMemImgBlendMode(0, 0);

    r.fogStart = 0.0f;
    r.fogEnd = 1500.0f;
    if (GraphicsSys.hardware && (oldFog[0] != 0.0f || oldFog[1] != 1500.0f))
        Graphics_Hardware_SetFogStartEnd(0.0f, 1500.0f);

    r.graphColorBits = 0;
    const int width = GraphicsSys.width ? GraphicsSys.width : 640;
    const int height = GraphicsSys.height ? GraphicsSys.height : 480;
    s.targets[0] = RenderTargetSlot{-2, 0};
    s.requestedDrawArea = ImageRect{0, 0, width, height};
    s.targetWidth = width;
    s.targetHeight = height;
    if (!GraphicsSys.hardware) SetMemImgDrawTarget(GraphicsSys.started ? &GraphicsSys.mainScreen : nullptr);

    CreateIdentityMatrixD(&s.world);
    CreateIdentityMatrixD(&s.view);
    CreateIdentityMatrixD(&s.projection);
    CreateIdentityMatrixD(&s.viewport);
    CreateIdentityMatrixD(&r.userProjection);
    CreateIdentityMatrixD(&r.cameraView);
    ConvertMatrixDToMatrix(&s.worldF, &s.world);
    ConvertMatrixDToMatrix(&s.viewF, &s.view);
    ConvertMatrixDToMatrix(&s.projectionF, &s.projection);
    ConvertMatrixDToMatrix(&s.viewportF, &s.viewport);
    s.nearZ = 10.0;
    s.farZ = 10000.0;
    r.aspectScale = 1.0;
    s.fieldOfView = 1.0471975803375244;
    r.orthoSize = 1.0;
    RefreshProjectionMatrix();

    SetDrawArea(0, 0, width, height);
    if (GraphicsSys.started)
        SetDrawTarget(-4);
    else
        s.targets[0] = RenderTargetSlot{-4, 0};

    SetDefaultLightDirection(1.0f, -1.0f, 1.0f);
    r.material = MaterialParam{{0.8f, 0.8f, 0.8f, 1.0f}, {0, 0, 0, 0}, {0.8f, 0.8f, 0.8f, 0.0f}, {0, 0, 0, 0}, 20.0f};
    r.materialDirty = 1;
    r.materialScale = 1.0f;
    r.settingsChanged = 1;
    return 0;
}

int GetDrawSettingState(DrawSettingState* state) {
    const DrawSettings& s = GraphicsDrawSettings;
    const RenderState& r = GraphicsRender;
    *state = DrawSettingState{};
    state->hardware = GraphicsSys.hardware;
    state->drawMode = s.samplingMode;
    state->waitVSync = GraphicsSys.noVSync ? 0 : 1;
    state->drawTarget = s.targets[0].handle;
    state->view = s.view;
    state->projection = s.projection;
    state->viewport = s.viewport;
    state->world = s.world;
    state->projectionMode = s.projectionMode;
    state->fieldOfView = s.fieldOfView;
    state->orthoSize = r.orthoSize;
    state->userProjection = r.userProjection;
    state->nearZ = s.nearZ;
    state->farZ = s.farZ;
    state->aspectScale = r.aspectScale;
    state->drawArea = s.drawArea;
    return 0;
}

int SetDrawSettingState(const DrawSettingState* state) {
    DrawSettings& s = GraphicsDrawSettings;
    RenderState& r = GraphicsRender;
    SetDrawMode(state->drawMode);
    if (s.targets[0].handle != state->drawTarget) SetDrawTarget(state->drawTarget);
    const ImageRect& a = state->drawArea;
    SetDrawArea(a.left, a.top, a.right, a.bottom);
    SetTransformToWorld(&state->world);
    SetTransformToView(&state->view);
    SetTransformToViewport(&state->viewport);
    s.projectionMode = state->projectionMode;
    s.fieldOfView = state->fieldOfView;
    r.orthoSize = state->orthoSize;
    r.userProjection = state->userProjection;
    s.nearZ = state->nearZ;
    s.farZ = state->farZ;
    r.aspectScale = state->aspectScale;
    return ApplyProjectionMatrix(&state->projection);
}

namespace {

// Inverts the destination under the rectangle: white under blend mode 3 at 255.
void invertRect(const ImageRect* rect) {
    DrawSettings& s = GraphicsDrawSettings;
    const uint8_t bright[3] = {s.brightRed, s.brightGreen, s.brightBlue};
    SetDrawBright(255, 255, 255);
    SetDrawBlendMode(3, 255);
    Graphics_Hardware_DrawFilledBox(rect->left, rect->top, rect->right, rect->bottom,
                                    PackScreenColor(255, 255, 255));
    SetDrawBright(bright[0], bright[1], bright[2]);
}

}  // namespace

int BeginSubtractBlendEmulation(const ImageRect* rect) {
    const int param = GraphicsDrawSettings.blendParam;
    invertRect(rect);
    SetDrawBlendMode(5, param);
    return 0;
}

int EndSubtractBlendEmulation(const ImageRect* rect) {
    const int param = GraphicsDrawSettings.blendParam;
    invertRect(rect);
    SetDrawBlendMode(3, param);
    return 0;
}

}  // namespace ZaDod
