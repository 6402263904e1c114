// State of the graphics system shared by every graphics module: start-up flags, the
// screen settings, the software screens, the shared work buffers, the presentation
// state and the draw settings the back ends read.
#pragma once
#include <cstddef>
#include <cstdint>

#include "media/base/maths.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/mem_img.h"

namespace ZaDod {

struct DisplayModeInfo {
    int width, height, colorBits, refreshRate;
};

// One render-target slot: graph handle (or -4 front screen, -2 back screen) and its
// surface index.
struct RenderTargetSlot {
    int handle;
    int surfaceIndex;
};

constexpr int kMaxRenderTargets = 8;

// The draw state of the graphics front; the back ends read it.
struct DrawSettings {
    int backgroundRed, backgroundGreen, backgroundBlue, backgroundSet;
    ImageRect requestedDrawArea;
    ImageRect drawArea;
    float drawAreaF[4];
    int drawingSuppressed;
    Matrix4x4D viewportMatrix, viewportMatrixInverse;
    Matrix4x4F viewportMatrixF, viewportMatrixInverseF;
    int blendMode, blendParam;
    uint8_t brightRed, brightGreen, brightBlue;
    int samplingMode;
    int alphaTestMode, alphaTestRef;
    int fogEnable;
    uint32_t transColor;
    int multiSampleCount, multiSampleQuality;
    RenderTargetSlot targets[kMaxRenderTargets];
    int targetWidth, targetHeight;
    int useZBuffer;
    int lightingOff;
    Vector3D cameraEye, cameraTarget, cameraUp;
    double screenCenterX, screenCenterY;
    int projectionMode;  // 0 perspective, 2 user matrix
    double fieldOfView, nearZ, farZ;
    Matrix4x4D world, view, projection, viewport;
    Matrix4x4F worldF, viewF, projectionF, viewportF;
    int dirty;
};
extern DrawSettings GraphicsDrawSettings;

struct GraphicsSystemState {
    int started;
    int hardware;    // 1 while a Direct3D device is in use; set by the back end
    int noHardware;  // 1 forbids Direct3D
    int requestedWidth, requestedHeight;
    int width, height;  // effective size
    int colorBits;      // 0 until start-up sets 16
    int refreshRate;    // 0 = any

    // Software screens (software mode only).
    MEMIMG mainScreen;
    MEMIMG auxScreen;
    MEMIMG stringScreen;
    MEMIMG stringAlphaScreen;

    void* workBuffer[3];
    size_t workBufferSize[3];
    void* vertexScratch;  // shared vertex scratch block of the drawing front
    size_t vertexScratchSize;

    // Screen mode and presentation.
    int modeChanging;
    int flipping;
    int noVSync;
    int emulate320x240;
    int scalingMode;  // 0 desktop mode as is, 2 a listed mode, screen scaled into it
    int scalingModeSetting;
    DisplayModeInfo fullScreenMode;
    ImageRect destRect;
    // The part of the screen the flip shows, when set.
    int userScreenRectSet;
    ImageRect userScreenRect;
    // Multisampling of the screen itself (0 = off); the Direct3D 9 device creation
    // corrects it to what the adapter offers.
    int screenMultiSampleCount, screenMultiSampleQuality;
    // Full screen only: the desktop rectangle of the display the device shows on, as the
    // back end's device creation found it.
    ImageRect fullScreenDesktopRect;
};
extern GraphicsSystemState GraphicsSys;

// Requested size as asked; the effective size replaces 0 by 640 or 480.
void SetMainScreenSize(int width, int height);

// Colour of the screen as a draw colour: 0xFFRRGGBB with a device, else the software
// screen's pixel value.
unsigned int PackScreenColor(int red, int green, int blue);
void UnpackScreenColor(unsigned int color, int* red, int* green, int* blue);

}  // namespace ZaDod
