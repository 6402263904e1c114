// User vertices on Direct3D 9: the caller's 2D vertices (point, line and triangle lists
// and strips, triangle fans) drawn directly, with or without a graph, at the positions
// the caller gave.
#include <cstring>
#include <vector>

#include "media/graphics/d3d9/d3d9_graph.h"
#include "media/graphics/draw.h"

namespace ZaDod {

namespace {
constexpr int kUserVertexKey = 0x5078;
}  // namespace

int Graphics_D3D9_DrawPrimitive2D(const Vertex2D* vertices, int count, int primitiveType, GraphData* image,
                                  int transFlag) {
    using namespace plat::gpu;
    if (vertices == nullptr || count <= 0 || !Direct3DDevice9_IsValid()) return -1;
    if (primitiveType < 1 || primitiveType > 6) return -1;
    const auto type = D3DPRIMITIVETYPE(primitiveType);
    const int primitives = D3D9_PrimitiveCount(type, count);
    if (primitives <= 0) return 0;
    Graphics_D3D9_FlushVertexBatch(0);
    Graphics_D3D9_BeginScene();
    if (D3D9_UseBlendPiece(nullptr) < 0) return -1;
    std::vector<Vertex2D> mapped;
    if (image != nullptr) {
        if (image->orig == nullptr || image->pieceCount != 1) return -1;
        const GraphDrawPiece& piece = image->pieces[0];
        Graphics_D3D9_DeviceState_SetTexture(D3D9_TileTexture(piece.tile)->texture);
        // The caller's vertex colours and alpha always take part (0x20, 0x40), on the fixed
        // stages as in the shaders, with the front's texture addressing and no culling.
        Graphics_D3D9_DrawPreparation(D3D9_GraphDrawKey(image, transFlag, 0) | kUserVertexKey);
        // Graph coordinates 0..1 cover the graph's part of its tile.
        const float tw = float(piece.tile->textureWidth), th = float(piece.tile->textureHeight);
        mapped.assign(vertices, vertices + count);
        for (Vertex2D& v : mapped) {
            v.u = (piece.tileXf + v.u * piece.widthf) / tw;
            v.v = (piece.tileYf + v.v * piece.heightf) / th;
        }
        vertices = mapped.data();
    } else {
        Graphics_D3D9_DeviceState_SetTexture(nullptr);
        Graphics_D3D9_DrawPreparation(kUserVertexKey);
    }
    // The caller's records are the textured 2D layout; untextured draws ignore the pair.
    Graphics_D3D9_DeviceState_SetFVF(kD3D9VertexTypeFVF[2]);
    return Direct3DDevice9_DrawPrimitiveUP(type, UINT(primitives), vertices, sizeof(Vertex2D)) == D3D_OK ? 0 : -1;
}

// The caller's 2D polygon: a triangle list, with the graph of `textureHandle` (below 1:
// none) as its texture.
int Graphics_D3D9_DrawUserPolygon2D(const Vertex2D* vertices, int count, int textureHandle, int transFlag) {
    if (vertices == nullptr || count < 0) return -1;
    if (count < 3) return 0;
    GraphData* image = nullptr;
    if (textureHandle > 0 && (image = GetGraphData(textureHandle)) == nullptr) return -1;
    return Graphics_D3D9_DrawPrimitive2D(vertices, count - count % 3, 4, image, transFlag);
}

}  // namespace ZaDod
