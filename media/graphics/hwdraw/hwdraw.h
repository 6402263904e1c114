// What the Direct3D 9 and Direct3D 11 back ends share without any device call: the draw
// key's texture-alpha flags, the wipe arithmetic of blend-graph kind 1, the vertex colour
// word, the walk over a handle type, and the geometry of deformed pieces, vertex grids and
// blend-graph coordinates.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/base/handle.h"

namespace ZaDod {

struct GraphData;
struct GraphDrawPiece;
struct GraphQuad;
struct Vertex2D;
struct ShadowMapData;

// The premultiplied and alpha-channel flags a draw key gives for a blend mode and the
// front's draw mode (0 nearest, 1 bilinear, 2 anisotropic).
struct KeyAlphaFlags {
    int premultiplied;
    int alphaChannel;
};
KeyAlphaFlags DecodeKeyAlphaFlags(int key, int blendMode, int drawMode);

// Wipe by a blend graph with border parameter p (0..255) and border range n.
struct WipeSetup {
    int alphaTest;  // 1: alpha test on with `reference` and greater-or-equal (n <= 1)
    int reference;
    float scale;    // the blend texture's alpha is scaled by this and offset (n > 1)
    float offset;
};
WipeSetup ComputeWipe(int borderParam, int borderRange, int premultiplied, int alphaChannel);
// The same ramp for a border range above 1 as the fixed stages take it: the factor's alpha
// byte is added to (or, with `subtract`, taken from) the blend graph's alpha, and the sum
// is multiplied by `scale` (1, 2 or 4).
struct WipeFactor {
    int scale;
    int alpha;
    int subtract;
};
WipeFactor ComputeWipeFactor(int borderParam, int borderRange);

// The 32-bit vertex colour: bytes blue, green, red, alpha in memory when `bgra` is set
// (as the vertex records declare them), else red and blue trade places.
inline uint32_t PackVertexColor(int red, int green, int blue, int alpha, int bgra) {
    const uint32_t a = uint32_t(alpha & 0xFF) << 24, g = uint32_t(green & 0xFF) << 8;
    return bgra ? a | uint32_t(red & 0xFF) << 16 | g | uint32_t(blue & 0xFF)
                : a | uint32_t(blue & 0xFF) << 16 | g | uint32_t(red & 0xFF);
}

// Every used handle record of `type`, lowest index first: the release walk and the
// restore after a device re-creation.
template <class Fn>
void ForEachHandleRecord(int type, Fn fn) {
    const HandleTypeManager& manager = HandleManageArray[type];
    for (int index = manager.AreaMin; manager.InitializeFlag && index <= manager.AreaMax; ++index) {
        HandleEntryHeader* header = manager.Handle[index];
        if (header != nullptr) fn(header);
    }
}

// Before a device release, for every graph: its pending load ends first (it may still be
// making its textures), and a graph that shows a movie asks for its frame again, since
// its textures come back empty.
void SettleGraphsBeforeDeviceRelease();

// Corners top-left, top-right, bottom-left, bottom-right: true when opposite edges differ
// by less than a pixel in x and y, so one quad maps the piece exactly.
bool IsParallelogram(const float x[4], const float y[4]);

// The texture coordinates of a grid over a piece whose top-left and bottom-right corners
// lie at graph positions (x0, y0), (x1, y1) with coordinates (u0, v0), (u1, v1): each
// inner edge is drawn in by a thousandth of a texel's step, so neighbouring pieces do not
// bleed into each other. Writes u0, u1, v0, v1 back.
void InsetGridTexCoords(float x0, float y0, float x1, float y1, float* u0, float* v0, float* u1, float* v1);

// The index strips of a vertex grid of columns x rows vertices (row by row): each row pair
// zig-zags between row r + 1 and row r, strips joined by two repeated indices, and each
// draw holds at most `limit` indices. A row pair too long for one draw is cut into strips
// that repeat the column where the last one ended, so any width draws. `draw` is called
// with each draw's indices; the first non-zero result stops the walk and is returned.
template <class Draw>
int ForEachVertexGridDraw(int columns, int rows, int limit, Draw&& draw) {
    std::vector<uint16_t> indices;
    indices.reserve(std::size_t(limit) + 2);
    const int perStrip = (limit - 2) / 2;  // columns a strip takes beside its join
    for (int r = 0; r + 1 < rows; ++r) {
        for (int first = 0; first + 1 < columns; first += perStrip - 1) {
            const int last = first + perStrip - 1 < columns - 1 ? first + perStrip - 1 : columns - 1;
            const std::size_t need = std::size_t(last - first + 1) * 2 + (indices.empty() ? 0 : 2);
            if (indices.size() + need > std::size_t(limit)) {
                if (const int result = draw(indices.data(), int(indices.size()))) return result;
                indices.clear();
            }
            const uint16_t start = uint16_t((r + 1) * columns + first);
            if (!indices.empty()) {
                indices.push_back(indices.back());
                indices.push_back(start);
            }
            for (int c = first; c <= last; ++c) {
                indices.push_back(uint16_t((r + 1) * columns + c));
                indices.push_back(uint16_t(r * columns + c));
            }
        }
    }
    return indices.size() >= 3 ? draw(indices.data(), int(indices.size())) : 0;
}

// The blend graph's piece under piece `index` of the drawn graph (null without a blend
// graph): the same index when both are cut into as many pieces, else its first piece.
const GraphDrawPiece* BlendGraphPieceFor(const GraphData* image, const GraphData* blendImage, int index);

// The blend texture coordinates of a drawn vertex: (gx, gy) is its point in the drawn graph
// (pixels from the graph's top-left) and (sx, sy) where the draw puts it on the screen
// before any pixel-centre move. `blend` is the blend graph's piece under the drawn piece.
// With the front's position mode 1 the blend graph lies fixed on the screen with its
// top-left at the blend position; in any other mode it lies on the drawn graph, moved by
// the blend position, so the graph's pixel (gx, gy) reads blend pixel (gx + x, gy + y).
void BlendGraphVertexCoord(const GraphDrawPiece& blend, float gx, float gy, float sx, float sy, float* u, float* v);

// One corner of a textured quad: screen position, texture coordinates in the drawn tile
// and in the blend tile.
struct QuadCorner {
    float x, y, u, v;
    float bu, bv;
};
// The corners (top-left, top-right, bottom-left, bottom-right) of one quad of a quad list
// cut from the drawn graph's one piece `piece`. `blend` is the blend graph's piece, or
// null. `centre` is the back end's pixel-centre offset, which the string front has
// already put into the quad's positions and which the blend placement takes back off. In
// position mode 1 the blend graph lies fixed on the screen under the quad; in any other
// mode every quad is one whole graph on the blend graph, so it takes the blend coordinates
// of the piece's own corners (each glyph of a string shows the whole blend graph).
void PlaceQuadListCorners(const GraphQuad& q, const GraphDrawPiece& piece, const GraphDrawPiece* blend, float centre,
                          QuadCorner out[4]);

}  // namespace ZaDod

namespace ZaDod {

// Repeats the last column (padRight) and the last row (padBottom) of a w x h block of
// pixels of any size once beyond it, so bilinear sampling at a tile's used edge reads
// the edge instead of whatever the texture held there.
void PadUploadEdge(void* pixels, int pitch, int bytesPerPixel, int w, int h, int padRight, int padBottom);

// User vertices give texture coordinates 0..1 across the texture piece they are drawn
// with; these become coordinates in the piece's tile.
void MapUserVerticesOntoPiece(Vertex2D* vertices, int count, const GraphDrawPiece& piece);
// The second form of a user polygon: each group of six vertices becomes two triangles
// that cover the whole texture piece, in the order of a drawn quad (top-left, top-right,
// bottom-left, bottom-right, bottom-left, top-right); `reverse` exchanges left and right.
void CoverPieceBySixes(Vertex2D* vertices, int count, int reverse);
// A 3D user-vertex draw adds its depth and fog bits to the key.
constexpr int kUserPolygon3DKey = 0x880;
// What user vertices are textured with, found before any device work: a shadow map
// (when the flag is set), a piece of a graph (handle of 1 or more), or nothing; and the
// vertex count, cut to whole triangles for a triangle list. False for a refused draw: no
// vertices, a map or graph that does not exist, or a piece the graph does not have.
struct UserVertexSource {
    const ShadowMapData* map;
    GraphData* graph;
    const GraphDrawPiece* piece;
    int count;
};
bool FindUserVertexSource(const Vertex2D* vertices, int count, int primitiveType, int handle, int piece,
                          int shadowMapFlag, UserVertexSource* out);
// The same for a graph the front has already looked up (null: untextured).
bool FindUserVertexPiece(GraphData* graph, int piece, UserVertexSource* out);

}  // namespace ZaDod
