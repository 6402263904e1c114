// Graph handles: the drawable pictures behind handles of type Graph. Every graph
// shows a rectangle of an original image held once, in textures with a device or in
// a software image without one, and shared by the graphs cut from it.
#pragma once
#include <cstdint>

#include "media/base/handle.h"
#include "media/graphics/graph_reload.h"
#include "media/graphics/graph_types.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/mem_img.h"

namespace ZaDod {

// Room reserved behind the tile array for each tile's texture record of the back end
// in use; the back ends never need more.
constexpr size_t kGraphTextureRecordSize = 128;

struct GraphOrigData {
    int32_t refCount;
    int32_t pixelFormatIndex;  // software: 49/50 (16-bit), 51/52 (32-bit), the higher with alpha
    GraphFormatRequest request;
    uint8_t premultipliedAlpha;  // nothing here makes premultiplied graphs: always 0
    uint32_t transColor;         // 0xRRGGBB
    int32_t width, height;
    int32_t depthBuffer;
    int32_t depthBufferKind;  // 1: 24-bit, 2: 32-bit, 0: 16-bit
    uint32_t mipCount;        // hardware
    int32_t tileCount;        // hardware
    GraphTextureTile* tiles;  // hardware: in the same allocation, their texture records behind them
    GraphTextureFormat textureFormat;  // hardware: chosen by the back end when it makes the textures
    MEMIMG image;             // software
};

// The pixel-format codes of software graphs.
enum : int {
    kSoftGraphFormat16 = 49,
    kSoftGraphFormat16Alpha = 50,
    kSoftGraphFormat32 = 51,
    kSoftGraphFormat32Alpha = 52,
};

struct GraphData {
    HandleEntryHeader header;
    int* lostFlag;  // receives 1 when the graph is deleted
    int movieHandle;
    GraphReloadData* reload;
    int32_t parentX, parentY;
    float parentXf, parentYf;
    GraphOrigData* orig;
    GraphArea area;  // offset in the original image and size
    void* ownedBlock[2];
    int32_t ownedWord[2];
    uint32_t keep;     // survives graphics shut-down
    int32_t restore;   // deleted, not reloaded, when the device is restored
    // Where the graph's picture lies in its kept source: the rebuild after a lost device
    // reads it from there. A graph cut from another's texture lies where its rectangle
    // does; a piece of a divided load that has a texture of its own, where it was cut.
    int32_t sourceX, sourceY;
    MEMIMG image;      // software: view of the graph's rectangle of the original
    int32_t pieceCount;
    GraphDrawPiece pieces[4];  // hardware; the record grows for more
};

GraphData* GetGraphData(int handle, int allowLoading = 0);
// The software image view of a graph; null when it is held in textures or has no image yet.
inline MEMIMG* GetGraphSoftImage(GraphData* graph) {
    return graph->orig != nullptr && !graph->orig->request.hardware ? &graph->image : nullptr;
}
int CheckGraphHandleReady(int handle);
int InitGraphHandle(HandleEntryHeader* record);
int TerminateGraphHandle(HandleEntryHeader* record);

// Creation of an empty graph.
int MakeGraphFromParam(const SetupGraphParam* param, int width, int height, int colorKeyFlag, int paletteBits,
                       int asyncFlag, int inTask);
int SetupGraphHandle(const SetupGraphParam* param, int handle, int width, int height, int alphaFlag,
                     int colorKeyFlag, int paletteBits, int compressedKind, int mipCount, int inTask);
int SetupGraphDrawPieces(int handle, int floatFlag, int allowLoading);
// What the creation reads of the device and the screen.
GraphDeviceState GetGraphDeviceState();
GraphTileCaps GetGraphTileCaps();

// Graphs cut from another graph's original image.
int DeriveGraph(int handle, int floatFlag, int x, float xf, int y, float yf, int width, float widthf, int height,
                float heightf, int sourceHandle, int allowLoading);
int CreateDerivedGraph(int floatFlag, int x, float xf, int y, float yf, int width, float widthf, int height,
                       float heightf, int sourceHandle, int allowLoading);
int CreatePartGraph(int sourceHandle, int x, int y, int width, int height);

// Transfers a base image (and alpha image) into a graph: srcRect of the image goes to
// (destX, destY) of the graph, or of the whole original image with wholeOrig.
int BltBaseImageToGraph(const ImageRect* srcRect, int destX, int destY, int handle, const BaseImage* image,
                        const BaseImage* alphaImage, int wholeOrig, int allowLoading);
// Images written into software images or textures that keep no blocks hold plain
// pixels: a block-compressed image goes through a decoded copy, which *owned says to
// free. Null when it cannot be decoded (logged); null for null.
const BaseImage* PlainTransferImage(const BaseImage* image, BaseImage* copy, bool* owned);
int FillGraph(int handle, int red, int green, int blue, int alpha);

int IsGraphMultiSample(int handle);
int DeleteMarkedGraphs();
// Graphics shut-down: deletes every graph without the keep flag.
int DeleteGraphsOnTerminate();

int SetGraphDeleteFlagPointer(int handle, int* flag);
int MakeGraph(int width, int height, int notUse3DFlag = 0);
int MakeDrawableGraph(int width, int height, int alphaFlag);

}  // namespace ZaDod
