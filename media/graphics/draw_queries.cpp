// Read-only queries on the screen and the draw target, and copies out of it.
#include "media/graphics/graph.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/shadow_map.h"
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
    const GraphData* graph = GetGraphData(handle, 1);
    if (graph == nullptr) {
        const ShadowMapData* map = GetShadowMapData(handle);
        if (map == nullptr) return -1;
        if (width) *width = map->width;
        if (height) *height = map->height;
        return 0;
    }
    if (width) *width = graph->area.width;
    if (height) *height = graph->area.height;
    return 0;
}

unsigned int GetDrawTargetPixel(int x, int y) {
    const DrawSettings& s = GraphicsDrawSettings;
    if (!GraphicsSys.started || x < 0 || y < 0 || x >= s.targetWidth || y >= s.targetHeight) return 0xFFFFFFFFu;
    if (GraphicsSys.hardware) return Graphics_Hardware_GetDrawTargetPixel(x, y);
    // The real target: while masking the software draw target is the mask image.
    const MEMIMG* image = GetRealSoftDrawTarget();
    if (image == nullptr || !CheckValidMemImg(image)) return 0xFFFFFFFFu;
    const uint8_t* p = image->pixels + static_cast<ptrdiff_t>(y) * image->base->pitch;
    return MemImgPixelBytes(image->base) == 2 ? reinterpret_cast<const uint16_t*>(p)[x]
                                              : reinterpret_cast<const uint32_t*>(p)[x];
}

int CopyGraphRectToGraph(int srcHandle, int surface, int x1, int y1, int x2, int y2, int destX, int destY,
                         int destHandle) {
    (void)surface;
    GraphData* dest = GetGraphData(destHandle, 0);
    if (dest == nullptr) return -1;
    int srcWidth, srcHeight;
    GraphData* src = GetGraphData(srcHandle, 1);
    const bool srcGraph = src != nullptr;
    if (srcGraph) {
        if (HandleASyncLoadCount(&src->header) != 0) return -1;
        srcWidth = src->area.width, srcHeight = src->area.height;
    } else if (srcHandle == -4 || srcHandle == -2) {
        GetMainScreenSize(&srcWidth, &srcHeight);
    } else {
        return -1;
    }
    if (x1 < 0 || y1 < 0 || x1 >= x2 || y1 >= y2 || x2 > srcWidth || y2 > srcHeight) return -1;
    if (destX < 0 || destY < 0 || destX + (x2 - x1) > dest->area.width || destY + (y2 - y1) > dest->area.height) return -1;
    const ImageRect rect{x1, y1, x2, y2};
    if (GraphicsSys.hardware) return Graphics_Hardware_CopyGraphRectToGraph(&rect, srcHandle, destHandle, destX, destY);
    const MEMIMG* from = srcGraph ? GetGraphSoftImage(src) : &GraphicsSys.mainScreen;
    MEMIMG* to = GetGraphSoftImage(dest);
    if (from == nullptr || to == nullptr) return -1;
    BltMemImg(to, from, &rect, destX, destY);
    return 0;
}

int CopyDrawTargetRectToGraph(int x1, int y1, int x2, int y2, int handle) {
    const GraphData* graph = GetGraphData(handle, 0);
    if (graph == nullptr) return -1;
    if (graph->area.width != x2 - x1 || graph->area.height != y2 - y1) return -1;
    return CopyGraphRectToGraph(GraphicsDrawSettings.targets[0].handle, GraphicsDrawSettings.targets[0].surfaceIndex,
                                x1, y1, x2, y2, 0, 0, handle);
}

}  // namespace ZaDod
