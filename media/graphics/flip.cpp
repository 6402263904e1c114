// The frame flip, the device restore, window-to-screen co-ordinates and the lock of a
// draw target's pixels.
#include "media/base/log.h"
#include "media/file/async_load.h"
#include "media/graphics/display.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/graph.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "media/system/onscreen_log.h"
#include "media/system/window_state.h"
#include "platform/win/win_window.h"

namespace ZaDod {
namespace {

// Draws the on-screen log over the whole screen with plain drawing settings, then puts
// the game's settings back.
void drawOnScreenLogPlain() {
    DrawSettings& s = GraphicsDrawSettings;
    const ImageRect area = s.requestedDrawArea;
    const int mode = s.blendMode, param = s.blendParam;
    const int red = s.brightRed, green = s.brightGreen, blue = s.brightBlue;
    SetDrawAreaFull();
    SetDrawBlendMode(0, 0);
    SetDrawBright(255, 255, 255);
    GraphicsRender.onScreenLogDrawing = 1;
    DrawOnScreenLog();
    GraphicsRender.onScreenLogDrawing = 0;
    SetDrawArea(area.left, area.top, area.right, area.bottom);
    SetDrawBlendMode(mode, param);
    SetDrawBright(red, green, blue);
}

void defaultRestore() { ReloadAllGraphs(); }

}  // namespace

int FlipScreen() {
    plat::win::NoteFrameFlip();
    return PresentScreen();
}

int PresentScreen() {
    GraphicsSystemState& g = GraphicsSys;
    // A flip asked for by the log being drawn would present half a frame.
    if (GraphicsRender.onScreenLogDrawing) return 0;
    g.flipping = 1;
    int result = -1;
    if (g.started && !GetEndRequestFlag()) {
        FlushPendingMaskDraw();
        if (GetOnScreenLogFlag()) drawOnScreenLogPlain();
        result = Graphics_Hardware_FlipScreen();
    }
    g.flipping = 0;
    return result;
}

int RefreshScreenFlip() {
    if (GraphicsSys.hardware) Graphics_Hardware_SetupSubBackBuffer(0);
    return PresentScreen();
}

int RestoreGraphicsDevice() {
    Graphics_Hardware_RecreateDevice(0, -1, -1, -1, -1);
    return 0;
}

int RunGraphRestore() {
    const int async = GetUseASyncLoadFlag();
    SetUseASyncLoadFlag(0);
    void (*restore)() = GraphicsRender.restoreCallback ? GraphicsRender.restoreCallback : defaultRestore;
    // The mask follows the (possibly larger) target and masking resumes, and the fonts
    // are made again before the restore function runs: a game's function that draws
    // text into its canvases draws with glyph caches that hold what they claim to.
    RestoreMaskScreen();
    RefreshAllFontHandles();
    restore();
    SetUseASyncLoadFlag(async);
    return 0;
}

int SetGraphRestoreCallback(void (*callback)()) {
    GraphicsRender.restoreCallback = callback ? callback : defaultRestore;
    return 0;
}

int IsGraphRestoreCallbackSet() { return GraphicsRender.restoreCallback != nullptr; }

int ConvClientPosToScreenPos(int x, int y, int* screenX, int* screenY) {
    if (CalcScreenDestRect() != 0) return -1;
    const ImageRect& r = GraphicsSys.destRect;
    // An empty destination has no screen point to map to.
    if (r.right <= r.left || r.bottom <= r.top) return -1;
    x -= Win.Status.ClientRect.left;
    y -= Win.Status.ClientRect.top;
    if (screenX) *screenX = (x - r.left) * GraphicsSys.width / (r.right - r.left);
    if (screenY) *screenY = (y - r.top) * GraphicsSys.height / (r.bottom - r.top);
    return 0;
}

int LockDrawTargetBuffer(const ImageRect* rect, BaseImage* out, int handle, int surfaceIndex, int readOnly) {
    if (GraphicsRender.lockFlag) return -1;
    if (handle == -1) {
        handle = GraphicsDrawSettings.targets[0].handle;
        surfaceIndex = GraphicsDrawSettings.targets[0].surfaceIndex;
    }
    GraphData* record = GetGraphData(handle, 1);
    const bool graph = record != nullptr;
    int width, height;
    if (graph) {
        width = record->area.width;
        height = record->area.height;
    } else if (GetDrawTargetSize(GraphicsDrawSettings.targets[0].handle, &width, &height) != 0) {
        return -1;
    }
    // No rectangle locks the whole target.
    const ImageRect whole{0, 0, width, height};
    if (rect == nullptr) rect = &whole;
    if (rect->left < 0 || rect->left >= rect->right || rect->right > width || rect->top < 0 ||
        rect->top >= rect->bottom || rect->bottom > height)
        return -1;
    if (GraphicsSys.hardware) {
        if (Graphics_Hardware_LockDrawTargetBuffer(rect, out, graph ? handle : -1, readOnly, surfaceIndex) != 0)
            return -1;
    } else {
        const MEMIMG* image = graph ? GetGraphSoftImage(record) : &GraphicsSys.mainScreen;
        if (image == nullptr || !CheckValidMemImg(image)) return -1;
        const MemImgBase* base = image->base;
        out->format = *base->colorData;
        out->pitch = base->pitch;
        out->pixels = image->pixels + static_cast<ptrdiff_t>(rect->top) * base->pitch +
                      static_cast<ptrdiff_t>(rect->left) * MemImgPixelBytes(base);
        out->width = rect->right - rect->left;
        out->height = rect->bottom - rect->top;
        out->mipCount = 0;
        out->imageCount = 0;
    }
    GraphicsRender.lockFlag = 1;
    return 0;
}

int UnlockDrawTargetBuffer() {
    if (!GraphicsRender.lockFlag) return 0;
    if (GraphicsSys.hardware) Graphics_Hardware_UnlockDrawTargetBuffer();
    GraphicsRender.lockFlag = 0;
    return 0;
}

}  // namespace ZaDod
