// User vertices on Direct3D 9: the caller's 2D vertices (point, line and triangle lists
// and strips, triangle fans) drawn directly, untextured, with a piece of a graph or with
// a shadow map, at the positions the caller gave. The caller's array is never written.
#include <cstring>
#include <vector>

#include "media/graphics/d3d9/d3d9_graph.h"
#include "media/graphics/d3d9/d3d9_upload.h"
#include "media/graphics/draw.h"
#include "media/graphics/hwdraw/hwdraw.h"
#include "media/graphics/shadow_map.h"

namespace ZaDod {

namespace {

using namespace plat::gpu;

// The caller's vertex colours and alpha always take part (0x20, 0x40), with Gouraud
// shading, the front's texture addressing and no culling; the second polygon form keeps
// only the addressing.
constexpr int kUserVertexKey = 0x5078;
constexpr int kUserFormOneKey = 0x1000;

// What the vertices are textured with: nothing, a graph's piece or a whole texture.
struct UserTexture {
    IDirect3DBaseTexture9* texture;
    const GraphDrawPiece* piece;  // coordinates 0..1 cover this piece; null: the whole texture
    int key;                      // the graph's texture-alpha bits and 0x8000, or 0
};

int drawUser(const Vertex2D* vertices, int count, int primitiveType, const UserTexture& t, int key, int form,
             int reverse) {
    if (vertices == nullptr || count <= 0 || !Direct3DDevice9_IsValid()) return -1;
    if (primitiveType < 1 || primitiveType > 6) return -1;
    const auto type = D3DPRIMITIVETYPE(primitiveType);
    const int primitives = D3D9_PrimitiveCount(type, count);
    if (primitives <= 0) return 0;
    Graphics_D3D9_FlushVertexBatch(0);
    Graphics_D3D9_BeginScene();
    if (D3D9_UseBlendPiece(nullptr) < 0) return -1;
    Graphics_D3D9_DeviceState_SetTexture(t.texture);
    Graphics_D3D9_DrawPreparation(key | (t.texture != nullptr ? t.key : 0) |
                                  (form == 1 ? kUserFormOneKey : kUserVertexKey));
    // Texture coordinates are rewritten in a copy only.
    std::vector<Vertex2D> mapped;
    if (t.texture != nullptr && (t.piece != nullptr || form == 1)) {
        mapped.assign(vertices, vertices + count);
        if (form == 1) CoverPieceBySixes(mapped.data(), count, reverse);
        if (t.piece != nullptr) MapUserVerticesOntoPiece(mapped.data(), count, *t.piece);
        vertices = mapped.data();
    }
    // The caller's records are the textured 2D layout; untextured draws ignore the pair.
    Graphics_D3D9_DeviceState_SetFVF(kD3D9VertexTypeFVF[2]);
    return Direct3DDevice9_DrawPrimitiveUP(type, UINT(primitives), vertices, sizeof(Vertex2D)) == D3D_OK ? 0 : -1;
}

// The texture a source names on this device; false when it has none.
bool textureOf(const UserVertexSource& source, UserTexture* out) {
    *out = UserTexture{};
    if (source.map != nullptr) {
        const D3D9ShadowMapTexture* s = D3D9_ShadowMapTexture(source.map);
        if (s == nullptr || s->texture == nullptr) return false;
        *out = UserTexture{s->texture, nullptr, 0x8000};
    } else if (source.piece != nullptr) {
        const D3D9GraphTexture* t = D3D9_TileTexture(source.piece->tile);
        if (t == nullptr || t->texture == nullptr) return false;
        *out = UserTexture{t->texture, source.piece, D3D9_GraphDrawKey(source.graph, 0, 0)};
    }
    return true;
}

}  // namespace

int Graphics_D3D9_DrawPrimitive2D(const Vertex2D* vertices, int count, int primitiveType, GraphData* image,
                                  int keyBits, int flag3D, int texturePiece) {
    UserVertexSource source{nullptr, nullptr, nullptr, count};
    UserTexture t;
    if (!FindUserVertexPiece(image, texturePiece, &source) || !textureOf(source, &t)) return -1;
    return drawUser(vertices, count, primitiveType, t, keyBits | (flag3D ? kUserPolygon3DKey : 0), 0, 0);
}

int Graphics_D3D9_DrawUserPolygon2D(const Vertex2D* vertices, int count, int primitiveType, int textureHandle,
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
