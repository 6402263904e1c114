// Graph handles: validation, creation of empty graphs, their views and draw pieces,
// and release.
#include <cstring>

#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/file/async_load.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_async.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"
#include "media/graphics/image/loader_io.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/shadow_map.h"

namespace ZaDod {

namespace {

constexpr const char* kSource = "Graph";

int releaseOrig(GraphOrigData* orig) {
    if (orig == nullptr || --orig->refCount > 0) return 0;
    if (orig->request.hardware) {
        Graphics_Hardware_ReleaseGraphTexture(orig);
    } else {
        TerminateMemImg(&orig->image);
    }
    MemFree(orig);
    return 0;
}

uint32_t softTransColor(int colorType, int alphaFlag, uint32_t transColor) {
    const PixelFormatDesc* desc = GetMemImgColorData(colorType, alphaFlag, 0);
    return PackColorDataPixel(desc, (transColor >> 16) & 0xFF, (transColor >> 8) & 0xFF, transColor & 0xFF, 0);
}

// A graph whose pixels alone need more than the largest block memory hands out cannot be
// had on any renderer: refused (with the software renderer's warning) before a handle, an
// image or a tile is made, instead of tile after tile until memory runs out.
bool sizeRefused(int width, int height) {
    if (image::graphSizeFits(width, height)) return false;
    LogAddTextUtf16(u"メモリイメージの作成に失敗しました\n");
    return true;
}

int setupSoftwareOrig(GraphOrigData* orig, int colorKeyFlag) {
    const GraphFormatRequest& request = orig->request;
    if (request.blendImage) {
        if (CreateMemImg(&orig->image, orig->width, orig->height, -1, 0, kMemImgChannel8, 0, 0, 0, nullptr) != 0) {
            LogAddTextUtf16(u"ブレンド画像用メモリイメージの作成に失敗しました\n");
            return -1;
        }
        return 0;
    }
    const bool bits32 = GraphicsSys.colorBits == 32;
    const int colorType = bits32 ? kMemImgX8R8G8B8 : kMemImgR5G6B5;
    const int alpha = request.alphaChannel ? 1 : 0;
    orig->pixelFormatIndex = (bits32 ? kSoftGraphFormat32 : kSoftGraphFormat16) + alpha;
    const uint32_t key = colorKeyFlag ? 0xFFFFu : softTransColor(colorType, alpha, orig->transColor);
    if (CreateMemImg(&orig->image, orig->width, orig->height, -1, key, colorType, colorKeyFlag ? 1 : 0, alpha, 1,
                     nullptr) != 0) {
        LogAddTextUtf16(u"メモリイメージの作成に失敗しました\n");
        return -1;
    }
    // Nothing drawn yet shows nothing: an image with alpha starts transparent black (its
    // memory comes cleared), one without starts in its transparent colour.
    if (!alpha && !colorKeyFlag) FillMemImg(&orig->image, nullptr, key);
    return 0;
}

int keepFilter(HandleEntryHeader* record) { return reinterpret_cast<GraphData*>(record)->keep != 0 ? 1 : 0; }

int restoreFilter(HandleEntryHeader* record) {
    const GraphData* graph = reinterpret_cast<GraphData*>(record);
    return graph->orig != nullptr && graph->restore ? 0 : 1;
}

int setupJob(AsyncLoadJob* job) {
    int offset = 0;
    const auto* param = static_cast<const SetupGraphParam*>(GetASyncLoadParamStruct(job->Data, &offset));
    int value[7];
    for (int& v : value) v = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
    const int result = SetupGraphHandle(param, value[0], value[1], value[2], value[3], value[4], value[5], 0, -1, 1);
    EndGraphJob(value[0], result);
    return 0;
}

}  // namespace

GraphDeviceState GetGraphDeviceState() {
    return GraphDeviceState{GraphicsSys.hardware == 1 ? 1 : 0, GraphicsSys.colorBits == 32 ? 32 : 16};
}

GraphTileCaps GetGraphTileCaps() {
    const GraphicsDeviceCaps& caps = GraphicsDeviceCapsData;
    return GraphTileCaps{caps.maxTextureSize, caps.pow2TexturesOnly, caps.conditionalNonPow2,
                         caps.squareTexturesOnly, GraphicsSys.width};
}

GraphData* GetGraphData(int handle, int allowLoading) {
    if (handle < 0 || ((handle >> HANDLE_TYPE_SHIFT) & (HANDLETYPE_COUNT - 1)) != HANDLETYPE_GRAPH) return nullptr;
    HandleEntryHeader* header = GetHandleInfo(handle);
    if (header == nullptr || (allowLoading != 1 && HandleASyncLoadCount(header) != 0)) return nullptr;
    return reinterpret_cast<GraphData*>(header);
}

// Asked while a worker may still end the load, and delete the handle when it fails:
// the record is looked at under the type's lock.
int CheckGraphHandleReady(int handle) {
    if (handle < 0 || ((handle >> HANDLE_TYPE_SHIFT) & (HANDLETYPE_COUNT - 1)) != HANDLETYPE_GRAPH) return 0;
    return CheckHandleASyncLoad(handle) == 0 ? 1 : 0;
}

int InitGraphHandle(HandleEntryHeader* record) {
    reinterpret_cast<GraphData*>(record)->movieHandle = -1;
    return 0;
}

int SetupGraphHandle(const SetupGraphParam* param, int handle, int width, int height, int alphaFlag,
                     int colorKeyFlag, int paletteBits, int compressedKind, int mipCount, int inTask) {
    GraphData* graph = GetGraphData(handle, 1);
    if (graph == nullptr || width < 1 || height < 1 || sizeRefused(width, height)) return -1;
    const GraphDeviceState device = GetGraphDeviceState();
    GraphFormatRequest request;
    BuildGraphFormatRequest(&request, param, &device, width, height, alphaFlag, colorKeyFlag, paletteBits,
                            compressedKind, mipCount);

    int tileCount = 0;
    size_t bytes = sizeof(GraphOrigData);
    GraphTileCaps caps{};
    if (request.hardware) {
        caps = GetGraphTileCaps();
        tileCount = BuildGraphTiles(&caps, width, height, param->maxTextureSize, nullptr);
        if (tileCount < 1) return -1;
        bytes += static_cast<size_t>(tileCount) * (sizeof(GraphTextureTile) + kGraphTextureRecordSize);
    }
    auto* orig = static_cast<GraphOrigData*>(MemCalloc(bytes, kSource, __LINE__));
    if (orig == nullptr) {
        LogAddTextUtf16(u"グラフィックのオリジナル画像データ保存用メモリの確保に失敗しました\n");
        return -1;
    }
    orig->request = request;
    orig->transColor = static_cast<uint32_t>(param->transColor) & 0xFFFFFF;
    orig->width = width;
    orig->height = height;
    orig->refCount = 1;
    graph->orig = orig;
    graph->keep = static_cast<uint32_t>(param->keep);
    graph->area = GraphArea{0, 0, width, height, 0.0f, 0.0f, float(width), float(height)};
    graph->parentX = graph->parentY = 0;
    graph->parentXf = graph->parentYf = 0.0f;
    graph->sourceX = graph->sourceY = 0;

    int result = 0;
    if (!request.hardware) {
        result = setupSoftwareOrig(orig, colorKeyFlag);
    } else {
        orig->pixelFormatIndex = SelectPixelFormatIndex(&request);
        orig->mipCount = request.mipCount;
        orig->tileCount = tileCount;
        orig->tiles = reinterpret_cast<GraphTextureTile*>(orig + 1);
        BuildGraphTiles(&caps, width, height, param->maxTextureSize, orig->tiles);
        auto* records = reinterpret_cast<unsigned char*>(orig->tiles + tileCount);
        for (int i = 0; i < tileCount; ++i) orig->tiles[i].texture = records + i * kGraphTextureRecordSize;
        if (request.drawable && param->depthBuffer) {
            orig->depthBuffer = 1;
            orig->depthBufferKind = param->depthBufferBits == 24 ? 1 : param->depthBufferBits == 32 ? 2 : 0;
        }
        // Without textures there is nothing to release; the record alone goes.
        if (Graphics_Hardware_CreateGraphTexture(orig, inTask) != 0) {
            MemFree(orig);
            graph->orig = nullptr;
            return -1;
        }
    }
    if (result == 0) result = SetupGraphDrawPieces(handle, 0, 1);
    if (result != 0) {
        graph = GetGraphData(handle, 1);
        if (graph->image.magic == kMemImgMagic) TerminateMemImg(&graph->image);
        if (orig->request.hardware || orig->image.magic == kMemImgMagic) {
            releaseOrig(orig);
        } else {
            MemFree(orig);
        }
        graph->orig = nullptr;
        return -1;
    }
    return 0;
}

int SetupGraphDrawPieces(int handle, int floatFlag, int allowLoading) {
    GraphData* graph = GetGraphData(handle, allowLoading);
    if (graph == nullptr || graph->orig == nullptr) return -1;
    GraphOrigData* orig = graph->orig;
    if (!orig->request.hardware) {
        TerminateMemImg(&graph->image);
        DeriveMemImg(&graph->image, &orig->image, graph->area.x, graph->area.y, graph->area.width,
                     graph->area.height);
        return CheckValidMemImg(&graph->image) ? 0 : -1;
    }
    const int count = BuildGraphDrawPieces(orig->tiles, orig->tileCount, &graph->area, floatFlag, nullptr);
    if (count < 0) return -1;
    if (count > 4) {
        const int size = static_cast<int>(sizeof(GraphData) + (count - 4) * sizeof(GraphDrawPiece));
        if (graph->header.Size < size && ReallocHandle(handle, size) != 0) {
            LogAddTextUtf16(u"画像描画情報格納用メモリの確保に失敗しました\n");
            return -1;
        }
        graph = GetGraphData(handle, allowLoading);
    }
    graph->pieceCount = BuildGraphDrawPieces(orig->tiles, orig->tileCount, &graph->area, floatFlag, graph->pieces);
    return 0;
}

int MakeGraphFromParam(const SetupGraphParam* param, int width, int height, int colorKeyFlag, int paletteBits,
                       int asyncFlag, int inTask) {
    if (width < 1 || height < 1 || sizeRefused(width, height)) return -1;
    const int handle = AddHandle(HANDLETYPE_GRAPH, 0, -1);
    if (handle == -1) return -1;
    const int alphaFlag = param->alphaChannel;
    if (!asyncFlag || inTask) {
        if (SetupGraphHandle(param, handle, width, height, alphaFlag, colorKeyFlag, paletteBits, 0, -1, inTask) != 0) {
            SubHandle(handle);
            return -1;
        }
        return handle;
    }
    const int values[7] = {handle, width, height, alphaFlag, colorKeyFlag, paletteBits, 0};
    const bool queued = QueueHandleASyncJob(handle, setupJob, [&](void* buffer, int* offset) {
        if (AddASyncLoadParamStruct(buffer, offset, param, sizeof(*param)) != 0) return false;
        for (int v : values) {
            if (AddASyncLoadParamInt(buffer, offset, v) != 0) return false;
        }
        return true;
    });
    if (!queued) {
        SubHandle(handle);
        return -1;
    }
    return handle;
}

int TerminateGraphHandle(HandleEntryHeader* record) {
    auto* graph = reinterpret_cast<GraphData*>(record);
    const int handle = record->Handle;
    if (graph->movieHandle != -1) CloseGraphMovie(graph->movieHandle);

    DrawSettings& settings = GraphicsDrawSettings;
    for (int slot = 0; slot < kMaxRenderTargets; ++slot) {
        if (settings.targets[slot].handle != handle) continue;
        if (slot == 0) {
            // Without started graphics there is no screen to switch to; only the slot is reset.
            if (SetDrawTarget(-4) != 0) settings.targets[0] = RenderTargetSlot{-4, 0};
        } else if (GraphicsSys.hardware == 1) {
            settings.targets[slot] = RenderTargetSlot{-1, 0};
        }
    }

    // Shadow-map drawing that would return to this graph returns to the back screen.
    if (ShadowMapData* map = GetShadowMapData(ShadowMapUse.pending); map != nullptr)
        if (map->savedTargets[0].handle == handle) map->savedTargets[0] = RenderTargetSlot{-2, 0};

    TerminateMemImg(&graph->image);
    releaseOrig(graph->orig);
    graph->orig = nullptr;
    for (void*& block : graph->ownedBlock) {
        if (block != nullptr) MemFree(block);
        block = nullptr;
    }
    ReleaseGraphReloadData(graph->reload);
    graph->reload = nullptr;
    if (graph->lostFlag != nullptr) *graph->lostFlag = 1;
    return 0;
}

int IsGraphMultiSample(int handle) {
    const GraphData* graph = GetGraphData(handle, 0);
    return graph != nullptr && graph->orig != nullptr && graph->orig->request.hardware &&
                   graph->orig->request.multiSampleCount != 0
               ? 1
               : 0;
}

int DeleteMarkedGraphs() { return SubAllHandle(HANDLETYPE_GRAPH, restoreFilter); }

int DeleteGraphsOnTerminate() { return SubAllHandle(HANDLETYPE_GRAPH, keepFilter); }

int SetGraphDeleteFlagPointer(int handle, int* flag) {
    if (GetGraphData(handle, 0) == nullptr) return -1;
    SetDeleteHandleFlag(handle, flag);
    if (flag != nullptr) *flag = 0;
    return 0;
}

}  // namespace ZaDod
