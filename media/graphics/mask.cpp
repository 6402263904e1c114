// Mask screen: the mask buffer and its software colour target, the use flag, and the
// begin/end brackets that copy the real target in and composite the allowed pixels back.
#include "media/graphics/mask.h"

#include <algorithm>
#include <cstring>

#include "media/base/memory.h"
#include "media/graphics/graph.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"
#include "media/graphics/render_state.h"
#include "media/system/fatal.h"

namespace ZaDod {
namespace {

// A "Mask" record: a data block of mask bytes and the fields a mask pattern would use.
// Nothing in the system makes mask patterns; the fields stay 0.
struct MaskHandleData {
    HandleEntryHeader header;
    void* data;
    int width, height;
    int maskGraph;
    int blendType;
    int reverse;
};
constexpr int kMaxMaskHandles = 512;

struct MaskState {
    int started;
    uint8_t* buffer;
    int pitch, width, height;
    int screenExists;
    int useFlag;
    int drawing;  // use flag and a mask screen
    int pending;
    int nesting;
    MEMIMG image;  // software mask colour target
    // How the hardware renderers take the drawn pixels back: through a mask graph's
    // channel (0 none) or through the mask buffer; reversed, where the mask byte is not 0.
    int maskGraph;
    int blendType;
    int reverse;
    // The mask bytes set aside while the device is released, put back when the mask
    // screen is made again: what the game wrote into the mask is not the device's.
    uint8_t* keptBuffer;
    int keptPitch, keptWidth, keptHeight;
};
MaskState M{};

int pitchOf(int width) { return (width + 3) & ~3; }
bool software() { return !GraphicsSys.hardware; }

// The rectangle clipped to the draw area and to the mask's size.
bool clipToMask(const ImageRect* rect, ImageRect* out) {
    *out = *rect;
    ClipRect(out, &GraphicsDrawSettings.drawArea);
    const ImageRect whole{0, 0, M.width, M.height};
    ClipRect(out, &whole);
    return out->right > out->left && out->bottom > out->top;
}

// Copies the pixels of the mask image whose mask byte is 0 (reversed: not 0) into the
// real target.
template <typename Pixel>
void compositeRows(const ImageRect& r, const MEMIMG* from, MEMIMG* to) {
    const bool reversed = M.reverse != 0;
    for (int y = r.top; y < r.bottom; ++y) {
        const uint8_t* mask = M.buffer + static_cast<size_t>(y) * M.pitch;
        const auto* src = reinterpret_cast<const Pixel*>(from->pixels + static_cast<ptrdiff_t>(y) * from->base->pitch);
        auto* dst = reinterpret_cast<Pixel*>(to->pixels + static_cast<ptrdiff_t>(y) * to->base->pitch);
        for (int x = r.left; x < r.right; ++x)
            if ((mask[x] != 0) == reversed) dst[x] = src[x];
    }
}

void composite(const ImageRect* rect) {
    ImageRect r;
    if (!clipToMask(rect, &r)) return;
    if (!software()) {
        Graphics_Hardware_Mask_DrawEnd(&r);
        return;
    }
    if (!M.drawing || !CheckValidMemImg(&M.image)) return;
    MEMIMG* target = GetRealSoftDrawTarget();
    if (!CheckValidMemImg(target)) return;
    const ImageRect whole{0, 0, target->width, target->height};
    ClipRect(&r, &whole);
    if (r.right <= r.left || r.bottom <= r.top) return;
    const int bytes = MemImgPixelBytes(target->base);
    if (bytes != MemImgPixelBytes(M.image.base)) return;
    if (bytes == 2) compositeRows<uint16_t>(r, &M.image, target);
    else if (bytes == 4) compositeRows<uint32_t>(r, &M.image, target);
}

void releaseImage() {
    if (CheckValidMemImg(&M.image)) TerminateMemImg(&M.image);
    M.image = MEMIMG{};
}

void freeKeptBuffer() {
    if (M.keptBuffer != nullptr) MemFree(M.keptBuffer);
    M.keptBuffer = nullptr;
    M.keptPitch = M.keptWidth = M.keptHeight = 0;
}

}  // namespace

int TerminateMaskHandle(HandleEntryHeader* record) {
    auto* r = reinterpret_cast<MaskHandleData*>(record);
    if (r->data != nullptr) MemFree(r->data);
    r->data = nullptr;
    return 0;
}

int InitializeMaskManage() {
    if (M.started) return -1;
    InitializeHandleManage(HANDLETYPE_MASK, sizeof(MaskHandleData), kMaxMaskHandles, nullptr, TerminateMaskHandle,
                           u"Mask");
    M = MaskState{};
    M.started = 1;
    return 0;
}

int TerminateMaskManage() {
    if (!M.started) return -1;
    DeleteMaskScreen();
    SubAllHandle(HANDLETYPE_MASK);
    TerminateHandleManage(HANDLETYPE_MASK);
    M.started = 0;
    return 0;
}

int CreateMaskScreen(int create, int width, int height) {
    if (!create || !M.started || width <= 0 || height <= 0) return create ? -1 : 0;
    uint8_t* oldBuffer = nullptr;
    int oldPitch = 0, oldWidth = 0, oldHeight = 0;
    MEMIMG oldImage{};
    if (M.buffer != nullptr) {
        const int w = std::max(width, M.width), h = std::max(height, M.height);
        if (w == M.width && h == M.height) {
            M.screenExists = 1;
            return 0;
        }
        oldBuffer = M.buffer, oldPitch = M.pitch, oldWidth = M.width, oldHeight = M.height;
        oldImage = M.image;
        M.buffer = nullptr;
        M.image = MEMIMG{};
        if (!software()) Graphics_Hardware_Mask_CreateScreen_KeepOld();
        width = w, height = h;
    }
    const int pitch = pitchOf(width);
    auto* buffer = static_cast<uint8_t*>(MemCalloc(static_cast<size_t>(pitch) * height, __FILE__, __LINE__));
    if (buffer == nullptr) {
        // Put back what was set aside: the old mask keeps working.
        if (oldBuffer != nullptr) {
            M.buffer = oldBuffer, M.pitch = oldPitch, M.width = oldWidth, M.height = oldHeight;
            M.image = oldImage;
        }
        return -1;
    }
    M.buffer = buffer, M.pitch = pitch, M.width = width, M.height = height;
    if (software()) {
        // The mask image takes the screen's own pixel format, so the composite is a copy.
        const MEMIMG& screen = GraphicsSys.mainScreen;
        const int colorType = CheckValidMemImg(&screen) ? screen.base->colorType : -1;
        if (!CheckValidMemImg(&M.image) && MakeMemImg(&M.image, width, height, colorType) != 0)
            FatalErrorExit(u"マスク用 MEMIMG の作成に失敗しました");
    } else if (Graphics_Hardware_Mask_CreateScreen(width, height) < 0) {
        if (oldBuffer != nullptr) MemFree(oldBuffer);
        return -1;
    }
    if (oldBuffer != nullptr) {
        for (int y = 0; y < oldHeight; ++y)
            std::memcpy(M.buffer + static_cast<size_t>(y) * pitch, oldBuffer + static_cast<size_t>(y) * oldPitch,
                        static_cast<size_t>(oldWidth));
        MemFree(oldBuffer);
        if (software()) {
            if (CheckValidMemImg(&oldImage)) {
                BltMemImg(&M.image, &oldImage, nullptr, 0, 0);
                TerminateMemImg(&oldImage);
            }
        } else if (Graphics_Hardware_Mask_CreateScreen_CopyOld(oldWidth, oldHeight) < 0) {
            return -1;
        }
    }
    M.screenExists = 1;
    M.drawing = M.useFlag && M.screenExists;
    if (software()) RefreshSoftDrawTargetForMask();
    return 0;
}

int DeleteMaskScreen() {
    if (!M.started) return -1;
    if (M.useFlag) SetUseMaskScreenFlag(0);
    if (M.buffer != nullptr) MemFree(M.buffer);
    M.buffer = nullptr;
    M.pitch = M.width = M.height = 0;
    freeKeptBuffer();
    releaseImage();
    Graphics_Hardware_Mask_ReleaseScreen();
    M.screenExists = 0;
    M.drawing = 0;
    M.pending = M.nesting = 0;
    if (software()) RefreshSoftDrawTargetForMask();
    return 0;
}

int RestoreMaskScreen() {
    if (!M.started) return -1;
    // At least as large as before the release, so no kept byte is cut off.
    const int width = std::max(GraphicsDrawSettings.targetWidth, M.keptWidth);
    const int height = std::max(GraphicsDrawSettings.targetHeight, M.keptHeight);
    if (CreateMaskScreen(M.screenExists, width, height) != 0) return -1;
    if (M.keptBuffer != nullptr && M.buffer != nullptr) {
        // The new buffer is at least as large: the bytes go back where they were, and
        // each draw uploads its rectangle of them.
        for (int y = 0; y < M.keptHeight; ++y)
            std::memcpy(M.buffer + static_cast<size_t>(y) * M.pitch,
                        M.keptBuffer + static_cast<size_t>(y) * M.keptPitch, static_cast<size_t>(M.keptWidth));
        freeKeptBuffer();
    }
    if (M.useFlag) return SetUseMaskScreenFlag(1);
    return 0;
}

int ReleaseMaskScreenResource() {
    // A second release before the restore (a full-screen deactivation, then the restore's
    // own release) keeps the bytes set aside by the first.
    if (M.buffer != nullptr) {
        freeKeptBuffer();
        M.keptBuffer = M.buffer;
        M.keptPitch = M.pitch, M.keptWidth = M.width, M.keptHeight = M.height;
    }
    M.buffer = nullptr;
    M.pitch = M.width = M.height = 0;
    releaseImage();
    Graphics_Hardware_Mask_ReleaseScreen();
    return 0;
}

int FlushPendingMaskDraw() {
    if (!M.pending) return 0;
    M.pending = 0;
    M.nesting = 0;
    if (M.drawing) composite(&GraphicsDrawSettings.drawArea);
    return 0;
}

int SetUseMaskScreenFlag(int flag) {
    if (!M.started || M.buffer == nullptr) return -1;
    FlushPendingMaskDraw();
    M.useFlag = flag ? 1 : 0;
    M.drawing = M.useFlag && M.screenExists;
    if (software()) RefreshSoftDrawTargetForMask();
    else Graphics_Hardware_Mask_SetUseMaskScreen();
    return 0;
}

int GetUseMaskScreenFlag() { return M.useFlag; }
int IsDrawingThroughMask() { return M.drawing; }
int IsMaskScreenCreated() { return M.screenExists; }

int BeginMaskDraw(const ImageRect* rect) {
    // Inner brackets only count: the outermost pair copies and composites.
    if (++M.nesting != 1) return 0;
    M.pending = 1;
    ImageRect r;
    if (!clipToMask(rect, &r)) return 0;
    if (!software()) return Graphics_Hardware_Mask_DrawBegin(&r), 0;
    if (!M.drawing || !CheckValidMemImg(&M.image)) return 0;
    MEMIMG* target = GetRealSoftDrawTarget();
    if (CheckValidMemImg(target) && MemImgPixelBytes(target->base) == MemImgPixelBytes(M.image.base))
        BltMemImg(&M.image, target, &r, r.left, r.top);
    return 0;
}

int EndMaskDraw(const ImageRect* rect) {
    // An end without a begin does nothing: the count never goes below 0.
    if (M.nesting <= 0) return 0;
    if (--M.nesting != 0) return 0;
    M.pending = 0;
    composite(rect);
    return 0;
}

MEMIMG* GetRealSoftDrawTarget() {
    const int handle = GraphicsDrawSettings.targets[0].handle;
    if (handle >= 0) {
        GraphData* graph = GetGraphData(handle);
        if (graph != nullptr) {
            MEMIMG* image = GetGraphSoftImage(graph);
            if (image != nullptr) return image;
        }
    }
    return &GraphicsSys.mainScreen;
}

void RefreshSoftDrawTargetForMask() {
    if (!GraphicsSys.started) return;
    SetMemImgDrawTarget(M.drawing && CheckValidMemImg(&M.image) ? &M.image : GetRealSoftDrawTarget());
}

uint8_t* GetMaskBufferForTest(int* pitch, int* width, int* height) { return GetMaskBuffer(pitch, width, height); }

uint8_t* GetMaskBuffer(int* pitch, int* width, int* height) {
    if (pitch) *pitch = M.pitch;
    if (width) *width = M.width;
    if (height) *height = M.height;
    return M.buffer;
}
int GetMaskNestingForTest() { return M.nesting; }

int SetMaskGraph(int handle) {
    FlushDrawBatch();
    M.maskGraph = handle > 0 ? handle : 0;
    GraphicsRender.settingsChanged = 1;
    return 0;
}

int SetMaskBlendType(int type) {
    FlushDrawBatch();
    M.blendType = type;
    GraphicsRender.settingsChanged = 1;
    return 0;
}

int SetMaskReverseFlag(int flag) {
    FlushDrawBatch();
    M.reverse = flag ? 1 : 0;
    GraphicsRender.settingsChanged = 1;
    return 0;
}

int GetMaskReverseFlag() { return M.reverse; }

GraphData* TakeMaskGraph(int* blendType) {
    *blendType = M.blendType;
    if (M.maskGraph <= 0) return nullptr;
    GraphData* graph = GetGraphData(M.maskGraph, 0);
    // A graph deleted since it was set is forgotten; the mask buffer decides again.
    if (graph == nullptr || graph->orig == nullptr || graph->pieceCount < 1) M.maskGraph = 0;
    return M.maskGraph > 0 ? graph : nullptr;
}

}  // namespace ZaDod
