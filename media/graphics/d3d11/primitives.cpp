// User vertices on Direct3D 11: the caller's 2D vertices (point, line and triangle lists
// and strips, triangle fans) copied into the vertex batch, with or without a graph.
#include <cstring>
#include <vector>

#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/draw.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

using V2 = D3D11ColorVertex;

// The vertex colour word from the caller's bytes, in the layouts' order.
uint32_t colorOf(const Vertex2D& v) { return D3D11_VertexColor(v.r, v.g, v.b, v.a); }

// Vertices per primitive of a list, 0 for a strip.
int listStep(int type) { return type == 1 ? 1 : type == 2 ? 2 : type == 4 ? 3 : 0; }

}  // namespace

int Graphics_D3D11_DrawPrimitive2D(const Vertex2D* vertices, int count, int primitiveType, GraphData* image,
                                   int transFlag) {
    if (vertices == nullptr || count <= 0 || !D3D11Device_IsValid()) return -1;
    // A fan becomes a list of its triangles: the rasteriser takes no fans.
    std::vector<Vertex2D> fan;
    if (primitiveType == 6) {
        if (count < 3) return 0;
        fan.reserve(size_t(count - 2) * 3);
        for (int i = 1; i + 1 < count; ++i) fan.insert(fan.end(), {vertices[0], vertices[i], vertices[i + 1]});
        vertices = fan.data();
        count = int(fan.size());
        primitiveType = 4;
    }
    if (primitiveType < 1 || primitiveType > 5) return -1;
    const auto topology = D3D11_PRIMITIVE_TOPOLOGY(primitiveType);

    const GraphDrawPiece* piece = nullptr;
    if (D3D11_UseBlendPiece(nullptr) < 0) return -1;
    if (image != nullptr) {
        if (image->orig == nullptr || image->pieceCount != 1) return -1;
        piece = &image->pieces[0];
        const D3D11GraphTexture* t = D3D11_TileTexture(piece->tile);
        Graphics_D3D11_DeviceState_SetTexture(t->texture, t->view);
        Graphics_D3D11_DrawPreparation(D3D11_GraphDrawKey(image, transFlag, 0));
    } else if (D3D11_BeginUntextured() < 0) {
        return -1;
    }
    const int step = listStep(primitiveType);
    const int capacity = kD3D11BatchCapacity[piece != nullptr ? 1 : 0] - 1;
    // Lists go in whole primitives per batch; a strip must fit in one.
    const int chunk = step != 0 ? capacity / step * step : count;
    if (chunk > capacity || chunk <= 0) return -1;
    const float tw = piece != nullptr ? float(piece->tile->textureWidth) : 1.0f;
    const float th = piece != nullptr ? float(piece->tile->textureHeight) : 1.0f;
    for (int first = 0; first < count; first += chunk) {
        const int n = count - first < chunk ? count - first : chunk;
        uint8_t* at = Graphics_D3D11_BatchReserve(topology, n);
        if (at == nullptr) return -1;
        for (int i = 0; i < n; ++i) {
            const Vertex2D& v = vertices[first + i];
            if (piece != nullptr) {
                // Graph coordinates 0..1 cover the graph's part of its tile.
                Vertex2D out = v;
                const uint32_t color = colorOf(v);
                std::memcpy(&out.b, &color, 4);
                out.u = (piece->tileXf + v.u * piece->widthf) / tw;
                out.v = (piece->tileYf + v.v * piece->heightf) / th;
                std::memcpy(at + size_t(i) * sizeof out, &out, sizeof out);
            } else {
                const V2 out{v.x, v.y, v.z, v.rhw, colorOf(v)};
                std::memcpy(at + size_t(i) * sizeof out, &out, sizeof out);
            }
        }
        // Strips do not join the next draw's vertices.
        if (step == 0) Graphics_D3D11_FlushVertexBatch(-1, 0);
    }
    return 0;
}

// The caller's 2D polygon: a triangle list, with the graph of `textureHandle` (below 1:
// none) as its texture.
int Graphics_D3D11_DrawUserPolygon2D(const Vertex2D* vertices, int count, int textureHandle, int transFlag) {
    if (vertices == nullptr || count < 0) return -1;
    if (count < 3) return 0;
    GraphData* image = nullptr;
    if (textureHandle > 0 && (image = GetGraphData(textureHandle)) == nullptr) return -1;
    return Graphics_D3D11_DrawPrimitive2D(vertices, count - count % 3, 4, image, transFlag);
}

}  // namespace ZaDod
