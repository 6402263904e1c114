// User vertices on Direct3D 11: the caller's 2D vertices (point, line and triangle lists
// and strips, triangle fans) copied into the vertex batch, untextured, with a piece of a
// graph or with a shadow map. The caller's array is never written, and the blend texture
// stays as the front left it.
#include <cstring>
#include <vector>

#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/d3d11/d3d11_shadow_map.h"
#include "media/graphics/draw.h"
#include "media/graphics/hwdraw/hwdraw.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

using V2 = D3D11ColorVertex;

// The vertex colour word from the caller's bytes, in the layouts' order.
uint32_t colorOf(const Vertex2D& v) { return D3D11_VertexColor(v.r, v.g, v.b, v.a); }

// The blend-textured record of the batch (the texture's pair first, the blend graph's second).
struct BlendUserVertex {
    float x, y, z, rhw;
    uint32_t color, specular;
    float u, v, bu, bv;
};

// Vertices per primitive of a list, 0 for a strip.
int listStep(int type) { return type == 1 ? 1 : type == 2 ? 2 : type == 4 ? 3 : 0; }

// Front texture addressing and culling as the draw asks (0x1000, 0x4000); the second
// polygon form keeps only the addressing.
constexpr int kUserVertexKey = 0x5000;
constexpr int kUserFormOneKey = 0x1000;

// What the vertices are textured with: nothing, a graph's piece or a whole texture.
struct UserTexture {
    ID3D11Texture2D* texture;
    ID3D11ShaderResourceView* view;
    const GraphDrawPiece* piece;  // coordinates 0..1 cover this piece; null: the whole texture
    int key;                      // the graph's texture-alpha bits and 0x8000, or 0
};

int drawUser(const Vertex2D* vertices, int count, int primitiveType, const UserTexture& t, int key, int form,
             int reverse) {
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

    Graphics_D3D11_DeviceState_SetTexture(t.texture, t.view);
    Graphics_D3D11_DrawPreparation(key | (t.texture != nullptr ? t.key : 0) |
                                   (form == 1 && t.texture != nullptr ? kUserFormOneKey : kUserVertexKey));
    // Texture coordinates are rewritten in a copy only.
    std::vector<Vertex2D> mapped;
    if (t.texture != nullptr && (t.piece != nullptr || form == 1)) {
        mapped.assign(vertices, vertices + count);
        if (form == 1) CoverPieceBySixes(mapped.data(), count, reverse);
        if (t.piece != nullptr) MapUserVerticesOntoPiece(mapped.data(), count, *t.piece);
        vertices = mapped.data();
    }
    const bool textured = t.texture != nullptr;
    const int step = listStep(primitiveType);
    const int capacity = kD3D11BatchCapacity[D3D11Batch.variant >= 0 && D3D11Batch.variant <= 2 ? D3D11Batch.variant : 0] - 1;
    // Lists go in whole primitives per batch; a strip must fit in one.
    const int chunk = step != 0 ? capacity / step * step : count;
    if (chunk > capacity || chunk <= 0) return -1;
    for (int first = 0; first < count; first += chunk) {
        const int n = count - first < chunk ? count - first : chunk;
        uint8_t* at = Graphics_D3D11_BatchReserve(topology, n);
        if (at == nullptr) return -1;
        for (int i = 0; i < n; ++i) {
            const Vertex2D& v = vertices[first + i];
            if (textured && D3D11Batch.variant == 2) {
                // A blend graph the front left bound takes the texture's own coordinates.
                const BlendUserVertex out{v.x, v.y, v.z, v.rhw, colorOf(v), 0xFFFFFFFFu, v.u, v.v, v.u, v.v};
                std::memcpy(at + size_t(i) * sizeof out, &out, sizeof out);
            } else if (textured) {
                Vertex2D out = v;
                const uint32_t color = colorOf(v);
                std::memcpy(&out.b, &color, 4);
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

// The texture a source names on this device; false when it has none.
bool textureOf(const UserVertexSource& source, UserTexture* out) {
    *out = UserTexture{};
    if (source.map != nullptr) {
        const D3D11ShadowMapTexture* s = D3D11_ShadowMapTexture(source.map);
        if (s == nullptr || s->texture == nullptr) return false;
        *out = UserTexture{s->texture, s->view, nullptr, 0x8000};
    } else if (source.piece != nullptr) {
        const D3D11GraphTexture* t = D3D11_TileTexture(source.piece->tile);
        if (t == nullptr || t->texture == nullptr) return false;
        *out = UserTexture{t->texture, t->view, source.piece, D3D11_GraphDrawKey(source.graph, 0, 0)};
    }
    return true;
}

}  // namespace

int Graphics_D3D11_DrawPrimitive2D(const Vertex2D* vertices, int count, int primitiveType, GraphData* image,
                                   int keyBits, int flag3D, int texturePiece) {
    UserVertexSource source{nullptr, nullptr, nullptr, count};
    UserTexture t;
    if (!FindUserVertexPiece(image, texturePiece, &source) || !textureOf(source, &t)) return -1;
    return drawUser(vertices, count, primitiveType, t, keyBits | (flag3D ? kUserPolygon3DKey : 0), 0, 0);
}

int Graphics_D3D11_DrawUserPolygon2D(const Vertex2D* vertices, int count, int primitiveType, int textureHandle,
                                     int keyBits, int form, int flag3D, int reverseFlag, int texturePiece,
                                     int shadowMapFlag) {
    UserVertexSource source;
    UserTexture t;
    if (!FindUserVertexSource(vertices, count, primitiveType, textureHandle, texturePiece, shadowMapFlag, &source) ||
        !textureOf(source, &t))
        return -1;
    if (source.count == 0) return 0;
    return drawUser(vertices, source.count, primitiveType, t, keyBits | (flag3D ? kUserPolygon3DKey : 0), form,
                    reverseFlag);
}

}  // namespace ZaDod
