// The part of the draw state that only the graphics front reads: projection inputs,
// the kept camera, fog range, the blend graph, the words the back ends' preparation
// reads, the default light and material, and the screen-side flags of the flip and the
// target lock. The shared part is DrawSettings (graphics_state.h).
#pragma once
#include "media/base/maths.h"
#include "media/graphics/graphics_state.h"

namespace ZaDod {

struct MaterialParam {
    float diffuse[4], ambient[4], specular[4], emissive[4];
    float power;
};

struct RenderState {
    // Projection: perspective (0), orthographic (1) or the user matrix (2).
    double aspectScale;
    double orthoSize;
    Matrix4x4D userProjection;
    Matrix4x4D cameraView;  // the view the camera setter built
    int cameraSet;
    double cameraHRotate, cameraVRotate, cameraTRotate;

    // view x projection x viewport, and its inverse made on first need.
    Matrix4x4D combined, combinedInverse;
    int combinedInverseValid;

    float fogStart, fogEnd;

    int blendGraph;  // below 1: none
    int blendGraphType, blendGraphParam1, blendGraphParam2;
    // Where the blend graph lies: mode 1 fixes its top-left on the screen at (x, y); any
    // other mode lays it on each drawn graph, moved by (x, y).
    int blendGraphX, blendGraphY, blendGraphPositionMode;

    // Words the back ends' draw preparation reads.
    float drawZ;
    int maxAnisotropy;
    int fillMode;
    int depthCompare2D, depthCompare3D;
    // Per texture stage; 0 stands for clamp until a device set-up replaces it.
    int textureAddressU[16], textureAddressV[16], textureAddressW[16];
    int userShaderHandle;
    int applyTransColorToLoads;
    int useVertexDiffuse, useVertexSpecular;
    int settingsChanged;
    int graphColorBits;
    float materialScale;

    Vector3F defaultLightDirection;
    MaterialParam material;
    int materialDirty;

    // 3D draw settings only C++ callers reach: culling (0 none, 1, 2), specular switched
    // off, the texture-address transform (noted as applied once the back end has it), fog
    // mode (0 none, 1 exp, 2 exp2, 3 linear) and colour (0x00RRGGBB), and the two settings
    // that ask for per-pixel lighting.
    int cullMode;
    int specularOff;
    int textureTransformUse;
    Matrix4x4F textureTransform;
    int textureTransformApplied;
    int fogMode;
    unsigned int fogColor;
    int perPixelLighting[2];

    int keepSettingsOnTargetChange;
    int lockFlag;
    int onScreenLogDrawing;  // re-entrancy guard of the flip
    void (*restoreCallback)();
};
extern RenderState GraphicsRender;

// Flushes the hardware vertex batch before device state changes (nothing in software mode).
void FlushDrawBatch();
// Size of a draw target: the screen for -4, -2, -3 and -5, else the graph's; -1 when unknown.
int GetDrawTargetSize(int handle, int* width, int* height);
// Replaces every per-stage address mode of 0 by clamp (3), as the device set-ups do.
void ClampUnsetTextureAddressModes();
// view x projection x viewport again after one of them changed.
void RefreshCombinedMatrix();

}  // namespace ZaDod
