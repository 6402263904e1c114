// Kept sources of graphs and the rebuild of every graph from them.
#include <string_view>

#include "media/base/log.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/graph_load_job.h"

namespace ZaDod {

namespace {

// The images of one kept source, loaded once for consecutive graphs that share it.
struct ReloadImages {
    const char16_t* fileName = nullptr;
    const void* memImage = nullptr;
    int mirror = 0;
    int convert = 0;
    bool loaded = false;
    int got = -1;
    BaseImage color{};
    BaseImage alpha{};

    void release() {
        if (loaded) {
            ReleaseBaseImage(&color);
            ReleaseBaseImage(&alpha);
        }
        loaded = false;
        got = -1;
    }
    bool same(const GraphReloadData* data) const {
        if (!loaded || data->mirror != mirror || data->convertToARGB8 != convert) return false;
        if (data->fileName != nullptr)
            return fileName != nullptr && std::u16string_view(fileName) == std::u16string_view(data->fileName);
        return data->memImage != nullptr && data->memImage == memImage;
    }
    int load(const GraphReloadData* data) {
        if (same(data)) return got;
        release();
        got = LoadGraphReloadImages(data, &color, &alpha);
        loaded = true;
        fileName = data->fileName;
        memImage = data->memImage;
        mirror = data->mirror;
        convert = data->convertToARGB8;
        return got;
    }
};

int whiteGraphHandle = -1;

// 8 × 8 white, 32 bits with 8 alpha bits, run-length true colour, top-left first.
const unsigned char kWhiteTga[84] = {
    0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 8, 0, 32, 0x28,
    0x87, 0xFF, 0xFF, 0xFF, 0xFF, 0x87, 0xFF, 0xFF, 0xFF, 0xFF, 0x87, 0xFF, 0xFF, 0xFF, 0xFF,
    0x87, 0xFF, 0xFF, 0xFF, 0xFF, 0x87, 0xFF, 0xFF, 0xFF, 0xFF, 0x87, 0xFF, 0xFF, 0xFF, 0xFF,
    0x87, 0xFF, 0xFF, 0xFF, 0xFF, 0x87, 0xFF, 0xFF, 0xFF, 0xFF,
    0, 0, 0, 0, 0, 0, 0, 0, 'T', 'R', 'U', 'E', 'V', 'I', 'S', 'I', 'O', 'N', '-', 'X', 'F', 'I', 'L', 'E', '.', 0,
};

}  // namespace

int LoadGraphReloadImages(const GraphReloadData* data, BaseImage* color, BaseImage* alpha) {
    GraphLoadRequest request;
    InitGraphLoadRequest(&request);
    request.param.noAlphaFile = 0;
    request.fileName = data->fileName;
    request.memImage = data->memImage;
    request.memImageSize = data->memImageSize;
    request.alphaMemImage = data->alphaMemImage;
    request.alphaMemImageSize = data->alphaMemImageSize;
    request.mirror = data->mirror;
    request.stream.convertToARGB8 = data->convertToARGB8;
    return LoadImagesForGraph(&request, color, alpha);
}

int SetGraphReloadData(int noReloadData, int handle, const GraphReloadSource* source, int sourceHandle,
                       int allowLoading) {
    GraphData* graph = GetGraphData(handle, allowLoading);
    if (graph == nullptr) return -1;
    ReleaseGraphReloadData(graph->reload);
    graph->reload = nullptr;
    if (noReloadData) return 0;
    if (const GraphData* shared = GetGraphData(sourceHandle, 1)) {
        graph->reload = shared->reload;
        if (graph->reload != nullptr) AddGraphReloadDataRef(graph->reload);
        return 0;
    }
    if (source == nullptr) return 0;
    return CreateGraphReloadData(source, &graph->reload);
}

int ReloadAllGraphs() {
    LogAddTextUtf16(u"グラフィックを復帰します\n");
    const HandleTypeManager& manager = HandleManageArray[HANDLETYPE_GRAPH];
    ReloadImages images;
    // Graphs that cover their whole texture go first, then the graphs cut from part of a
    // texture: a part refilled since has a kept copy of its own that its parent's copy
    // does not hold, and it must be written over the parent's, whatever their handles.
    for (int pass = 0; pass < 2; ++pass)
        for (int index = manager.AreaMin; manager.InitializeFlag && index <= manager.AreaMax; ++index) {
            HandleEntryHeader* header = manager.Handle[index];
            if (header == nullptr) continue;
            auto* graph = reinterpret_cast<GraphData*>(header);
            const GraphReloadData* data = graph->reload;
            if (data == nullptr || graph->orig == nullptr) continue;
            const bool whole = graph->area.x == 0 && graph->area.y == 0 && graph->area.width >= graph->orig->width &&
                               graph->area.height >= graph->orig->height;
            if (whole != (pass == 0)) continue;
            const BaseImage* color = data->image;
            const BaseImage* alpha = data->alphaImage;
            if (color == nullptr) {
                const int got = images.load(data);
                if (got < 0) {
                    if (data->fileName != nullptr)
                        LogFormatUtf16(u"Image File Load Error : %s", data->fileName);
                    else
                        LogAddTextUtf16(u"メモリからの画像データのローができませんでした");
                    continue;
                }
                color = &images.color;
                alpha = got == 0 ? &images.alpha : nullptr;
            }
            const ImageRect rect{graph->sourceX, graph->sourceY, graph->sourceX + graph->area.width,
                                 graph->sourceY + graph->area.height};
            BltBaseImageToGraph(&rect, 0, 0, header->Handle, color, alpha, 0, 1);
        }
    images.release();
    LogAddTextUtf16(u"グラフィックの復帰が完了しました\n");
    return 0;
}

int GetWhiteGraph() {
    if (whiteGraphHandle < 1) {
        GraphLoadRequest request;
        InitGraphLoadRequest(&request);
        InitSetupGraphParam(&request.param, 16, 1, 0);
        request.memImage = kWhiteTga;
        request.memImageSize = sizeof(kWhiteTga);
        const int handle = LoadGraphRequest(&request, 0, 0);
        if (handle == -1) return -1;
        SetDeleteHandleFlag(handle, &whiteGraphHandle);
        GetGraphData(handle, 0)->restore = 1;
        whiteGraphHandle = handle;
    }
    return whiteGraphHandle;
}

}  // namespace ZaDod
