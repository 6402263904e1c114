// Read-only queries on the screen and the draw target, and copies out of it.
#include "media/graphics/hardware.h"
#include "media/graphics/render_settings.h"
#include "media/system/window.h"

namespace ZaDod {

int IsFullScreenMode() { return GetWindowModeFlag() ? 0 : 1; }

int GetScreenColorBitDepth() { return GraphicsSys.colorBits ? GraphicsSys.colorBits : 16; }

int GetMainScreenSize(int* width, int* height) {
    if (width) *width = GraphicsSys.width ? GraphicsSys.width : 640;
    if (height) *height = GraphicsSys.height ? GraphicsSys.height : 480;
    return 0;
}

int GetScreenState(int* width, int* height, int* colorBitDepth) {
    GetMainScreenSize(width, height);
    if (colorBitDepth) *colorBitDepth = GetScreenColorBitDepth();
    return 0;
}

int GetGraphSize(int handle, int* width, int* height) {
    if (handle == -4 || handle == -2) return GetMainScreenSize(width, height);
    GraphTargetInfo info;
    if (GetGraphTargetInfo(handle, &info) != 0) return -1;
    if (width) *width = info.width;
    if (height) *height = info.height;
    return 0;
}

unsigned int GetDrawTargetPixel(int x, int y) {
    const DrawSettings& s = GraphicsDrawSettings;
    if (!GraphicsSys.started || x < 0 || y < 0 || x >= s.targetWidth || y >= s.targetHeight) return 0xFFFFFFFFu;
    if (GraphicsSys.hardware) return Graphics_Hardware_GetDrawTargetPixel(x, y);
    const MEMIMG* image = GetMemImgDrawState().target;
    if (image == nullptr || !CheckValidMemImg(image)) return 0xFFFFFFFFu;
    const uint8_t* p = image->pixels + static_cast<ptrdiff_t>(y) * image->base->pitch;
    return MemImgPixelBytes(image->base) == 2 ? reinterpret_cast<const uint16_t*>(p)[x]
                                              : reinterpret_cast<const uint32_t*>(p)[x];
}

int CopyGraphRectToGraph(int srcHandle, int surface, int x1, int y1, int x2, int y2, int destX, int destY,
                         int destHandle) {
    (void)surface;
    GraphTargetInfo dest;
    if (GetGraphTargetInfo(destHandle, &dest) != 0 || dest.loading) return -1;
    int srcWidth, srcHeight;
    GraphTargetInfo src{};
    const bool srcGraph = GetGraphTargetInfo(srcHandle, &src) == 0;
    if (srcGraph) {
        if (src.loading) return -1;
        srcWidth = src.width, srcHeight = src.height;
    } else if (srcHandle == -4 || srcHandle == -2) {
        GetMainScreenSize(&srcWidth, &srcHeight);
    } else {
        return -1;
    }
    if (x1 < 0 || y1 < 0 || x1 >= x2 || y1 >= y2 || x2 > srcWidth || y2 > srcHeight) return -1;
    if (destX < 0 || destY < 0 || destX + (x2 - x1) > dest.width || destY + (y2 - y1) > dest.height) return -1;
    const ImageRect rect{x1, y1, x2, y2};
    if (GraphicsSys.hardware) return Graphics_Hardware_CopyGraphRectToGraph(&rect, srcHandle, destHandle, destX, destY);
    const MEMIMG* from = srcGraph ? src.image : &GraphicsSys.mainScreen;
    if (from == nullptr || dest.image == nullptr) return -1;
    BltMemImg(dest.image, from, &rect, destX, destY);
    return 0;
}

int CopyDrawTargetRectToGraph(int x1, int y1, int x2, int y2, int handle) {
    GraphTargetInfo info;
    if (GetGraphTargetInfo(handle, &info) != 0 || info.loading) return -1;
    if (info.width != x2 - x1 || info.height != y2 - y1) return -1;
    return CopyGraphRectToGraph(GraphicsDrawSettings.targets[0].handle, GraphicsDrawSettings.targets[0].surfaceIndex,
                                x1, y1, x2, y2, 0, 0, handle);
}

}  // namespace ZaDod
