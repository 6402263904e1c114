// Graphs cut from another graph's original image.
#include "media/graphics/graph.h"

namespace ZaDod {

int DeriveGraph(int handle, int floatFlag, int x, float xf, int y, float yf, int width, float widthf, int height,
                float heightf, int sourceHandle, int allowLoading) {
    GraphData* source = GetGraphData(sourceHandle, allowLoading);
    GraphData* graph = GetGraphData(handle, 1);
    if (source == nullptr || graph == nullptr || source->orig == nullptr || graph->orig != nullptr) return -1;
    GraphArea area{x, y, width, height, xf, yf, widthf, heightf};
    GraphArea sourceSize = source->area;
    sourceSize.x = sourceSize.y = 0;
    sourceSize.xf = sourceSize.yf = 0.0f;
    if (ClipDerivedGraphArea(&sourceSize, &area, floatFlag) != 0) return -1;

    graph->orig = source->orig;
    ++graph->orig->refCount;
    if (source->reload != nullptr) AddGraphReloadDataRef(source->reload);
    graph->reload = source->reload;
    graph->parentX = source->parentX + area.x;
    graph->parentY = source->parentY + area.y;
    graph->parentXf = source->parentXf + area.xf;
    graph->parentYf = source->parentYf + area.yf;
    graph->sourceX = source->sourceX + area.x;
    graph->sourceY = source->sourceY + area.y;
    graph->area = GraphArea{source->area.x + area.x,   source->area.y + area.y,   area.width,  area.height,
                            source->area.xf + area.xf, source->area.yf + area.yf, area.widthf, area.heightf};
    graph->keep = source->keep;
    return SetupGraphDrawPieces(handle, floatFlag, 1);
}

int CreateDerivedGraph(int floatFlag, int x, float xf, int y, float yf, int width, float widthf, int height,
                       float heightf, int sourceHandle, int allowLoading) {
    const int handle = AddHandle(HANDLETYPE_GRAPH, 0, -1);
    if (handle == -1) return -1;
    if (DeriveGraph(handle, floatFlag, x, xf, y, yf, width, widthf, height, heightf, sourceHandle, allowLoading) !=
        0) {
        SubHandle(handle);
        return -1;
    }
    return handle;
}

int CreatePartGraph(int sourceHandle, int x, int y, int width, int height) {
    return CreateDerivedGraph(0, x, float(x), y, float(y), width, float(width), height, float(height), sourceHandle,
                              0);
}

}  // namespace ZaDod
