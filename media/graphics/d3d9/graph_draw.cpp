// Graph drawing on Direct3D 9: every draw piece of a graph becomes one textured quad
// whose corners the draw's own mapping (plain, stretched, deformed, rotated) places on
// screen with pixel centres on whole coordinates, with the blend graph's matching piece
// beside it when one is set; deformed pieces that are no parallelogram become a grid.
#include <cmath>
#include <cstring>

#include "media/graphics/d3d9/d3d9_graph.h"
#include "media/graphics/draw.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hwdraw/graph_mapping.h"
#include "media/graphics/hwdraw/hwdraw.h"
#include "media/graphics/hwdraw/rotation.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

// Any other quad is a grid of 8 x 8 vertices on the mapping, so the texture bends with it.
int drawGrid(const GraphDrawPiece& p, const GraphMapping& m, uint32_t color) {
    constexpr int kSide = 8;
    Vertex2D grid[kSide * kSide];
    const GraphPieceCorner& tl = p.corner[0];
    const GraphPieceCorner& br = p.corner[3];
    float u0 = tl.u, v0 = tl.v, u1 = br.u, v1 = br.v;
    InsetGridTexCoords(tl.x, tl.y, br.x, br.y, &u0, &v0, &u1, &v1);
    for (int r = 0; r < kSide; ++r)
        for (int c = 0; c < kSide; ++c) {
            Vertex2D& v = grid[r * kSide + c];
            const float s = float(c) / (kSide - 1), t = float(r) / (kSide - 1);
            m.map(tl.x + s * (br.x - tl.x), tl.y + t * (br.y - tl.y), &v.x, &v.y);
            v.x += kD3D9PixelCentre;
            v.y += kD3D9PixelCentre;
            v.z = 0.0f;
            v.rhw = 1.0f;
            std::memcpy(&v.b, &color, 4);
            v.u = u0 + s * (u1 - u0);
            v.v = v0 + t * (v1 - v0);
        }
    return Graphics_D3D9_DrawVertexGrid(grid, kSide, kSide);
}

// How a draw treats its quads: as placed; `Bends`, the deformed draw, whose quads get the
// thousandth-texel inset when they are parallelograms and the grid otherwise; `Folds`, the
// whole-pixel deformed draw, whose quads keep their triangles' winding on screen.
enum class DrawnShape { Flat, Bends, Folds };

// `offset` is added to every placed corner (the rotated draw places its own centres);
// `nudge` moves a turned quad whose edges come out axis-aligned on whole coordinates by
// half a pixel, so nearest sampling does not fall between texels.
int drawPieces(GraphData* image, GraphData* blendImage, int transFlag, int wholePixel, const GraphMapping& m,
               DrawnShape shape = DrawnShape::Flat, float offset = kD3D9PixelCentre, bool nudge = false) {
    const bool bends = shape == DrawnShape::Bends;
    if (image == nullptr || image->orig == nullptr || !Direct3DDevice9_IsValid()) return -1;
    Graphics_D3D9_BeginScene();
    const int key = D3D9_GraphDrawKey(image, transFlag, wholePixel);
    const uint32_t color = D3D9Batch.diffuse;
    for (int i = 0; i < image->pieceCount; ++i) {
        const GraphDrawPiece& p = image->pieces[i];
        Graphics_D3D9_DeviceState_SetTexture(D3D9_TileTexture(p.tile)->texture);
        const GraphDrawPiece* blend = BlendGraphPieceFor(image, blendImage, i);
        if (D3D9_UseBlendPiece(blend) < 0) return -1;
        D3D9_PrepareIfNeeded(key);
        D3D9Corner c[4];
        for (int k = 0; k < 4; ++k) {
            m.mapCorner(p, k, &c[k].x, &c[k].y);
            c[k].x += offset;
            c[k].y += offset;
            c[k].u = p.corner[k].u;
            c[k].v = p.corner[k].v;
            c[k].bu = c[k].bv = 0.0f;
            // The blend rule reads screen positions whose pixel centres lie on half-integers.
            if (blend != nullptr)
                BlendGraphVertexCoord(*blend, p.corner[k].x, p.corner[k].y, c[k].x - kD3D9PixelCentre,
                                      c[k].y - kD3D9PixelCentre, &c[k].bu, &c[k].bv);
        }
        if (nudge && blend == nullptr) NudgeTurnedQuad(PixelCentres::Whole, c);
        if (bends && blend == nullptr) {
            const float xs[4] = {c[0].x, c[1].x, c[2].x, c[3].x}, ys[4] = {c[0].y, c[1].y, c[2].y, c[3].y};
            if (!IsParallelogram(xs, ys)) {
                if (drawGrid(p, m, color) < 0) return -1;
                continue;
            }
            // One quad maps the piece: its texture coordinates are drawn in by a thousandth
            // of a texel so the edges never sample the neighbouring texels, while nearest
            // sampling inside takes the texels Direct3D 11 and the software renderer take.
            const float du = 0.001f / float(p.tile->textureWidth), dv = 0.001f / float(p.tile->textureHeight);
            c[0].u += du, c[2].u += du, c[1].u -= du, c[3].u -= du;
            c[0].v += dv, c[1].v += dv, c[2].v -= dv, c[3].v -= dv;
            // Mirrored corners turn the quad over: its triangles keep their winding.
            const float a = (c[2].y - c[0].y) * (c[1].x - c[0].x) - (c[1].y - c[0].y) * (c[2].x - c[0].x);
            const float b = (c[2].x - c[3].x) * (c[1].y - c[3].y) - (c[1].x - c[3].x) * (c[2].y - c[3].y);
            if (a <= 0 && b <= 0) std::swap(c[1], c[2]);
        }
        if (shape == DrawnShape::Folds) {
            const float turn = (c[2].y - c[0].y) * (c[1].x - c[0].x) - (c[1].y - c[0].y) * (c[2].x - c[0].x);
            if (turn <= 0) std::swap(c[1], c[2]);
        }
        if (D3D9_PutTexturedQuad(c, color) < 0) return -1;
    }
    return 0;
}

// 1 when the rectangle [x1, x2) x [y1, y2) misses the draw area.
bool outsideArea(int x1, int y1, int x2, int y2) {
    const ImageRect& a = GraphicsDrawSettings.drawArea;
    return x2 <= a.left || y2 <= a.top || x1 >= a.right || y1 >= a.bottom;
}

}  // namespace

int D3D9_GraphDrawKey(const GraphData* image, int transFlag, int wholePixel) {
    const GraphFormatRequest& r = image->orig->request;
    // Alpha-test and colour-key graphs carry their transparency in the texture's alpha
    // too, so the trans flag hides their transparent colour.
    const int alpha = r.alphaChannel || r.alphaTest || r.colorKey ? 0x10000 : 0;
    const int premultiplied = image->orig->premultipliedAlpha ? 0x20000 : 0;
    return (transFlag ? 1 : 0) | (wholePixel ? 2 : 0) | 0x8000 | alpha | premultiplied;
}

int D3D9_UseBlendPiece(const GraphDrawPiece* piece) {
    if (piece == nullptr) {
        if (D3D9State.blendTexture == nullptr) return 0;
        return Graphics_D3D9_DeviceState_SetBlendTexture(nullptr, 0, 0);
    }
    const D3D9GraphTexture* t = D3D9_TileTexture(piece->tile);
    if (t == nullptr || t->texture == nullptr) return -1;
    return Graphics_D3D9_DeviceState_SetBlendTexture(t->texture, piece->tile->textureWidth,
                                                     piece->tile->textureHeight);
}

int Graphics_D3D9_BindBlendGraph(GraphData* blendImage, int type, int param1, int param2) {
    if (!Direct3DDevice9_IsValid()) return -1;
    if (blendImage == nullptr || blendImage->orig == nullptr || blendImage->pieceCount < 1)
        return D3D9_UseBlendPiece(nullptr);
    if (D3D9_UseBlendPiece(&blendImage->pieces[0]) < 0) return -1;
    return Graphics_D3D9_DeviceState_SetBlendTextureParam(type, param1, param2);
}

int Graphics_D3D9_DrawGraph(int x, int y, float xf, float yf, GraphData* image, GraphData* blendImage, int transFlag,
                            int intFlag) {
    if (image == nullptr) return -1;
    if (outsideArea(x, y, x + image->area.width, y + image->area.height)) return Direct3DDevice9_IsValid() ? 0 : -1;
    const PlainGraphMapping m(intFlag ? float(x) : xf, intFlag ? float(y) : yf);
    return drawPieces(image, blendImage, transFlag, intFlag, m);
}

int Graphics_D3D9_DrawStretchedGraph(int x1, int y1, int x2, int y2, float xf1, float yf1, float xf2, float yf2,
                                     GraphData* image, GraphData* blendImage, int transFlag, int intFlag) {
    if (image == nullptr || x1 == x2 || y1 == y2) return -1;
    if (outsideArea(x1 < x2 ? x1 : x2, y1 < y2 ? y1 : y2, x1 < x2 ? x2 : x1, y1 < y2 ? y2 : y1))
        return Direct3DDevice9_IsValid() ? 0 : -1;
    const float l = intFlag ? float(x1) : xf1, t = intFlag ? float(y1) : yf1;
    const float r = intFlag ? float(x2) : xf2, b = intFlag ? float(y2) : yf2;
    const StretchGraphMapping m(l, t, r, b, image->area.widthf, image->area.heightf);
    return drawPieces(image, blendImage, transFlag, intFlag && GraphicsDrawSettings.samplingMode != 1, m);
}

int Graphics_D3D9_DrawDeformedGraph(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                                    GraphData* image, GraphData* blendImage, int transFlag, int simpleFlag) {
    if (image == nullptr) return -1;
    // A blend graph is laid by whole pixels: the corners are truncated toward zero.
    if (blendImage != nullptr)
        return Graphics_D3D9_DrawDeformedGraphInt(int(x1), int(y1), int(x2), int(y2), int(x3), int(y3), int(x4),
                                                  int(y4), image, blendImage, transFlag);
    const float px[4] = {x1, x2, x3, x4}, py[4] = {y1, y2, y3, y4};
    const PatchGraphMapping m(px, py, image->area.widthf, image->area.heightf);
    return drawPieces(image, blendImage, transFlag, simpleFlag, m, DrawnShape::Bends);
}

int Graphics_D3D9_DrawDeformedGraphInt(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4,
                                       GraphData* image, GraphData* blendImage, int transFlag) {
    if (image == nullptr) return -1;
    const int x[4] = {x1, x2, x3, x4}, y[4] = {y1, y2, y3, y4};
    if (IsUprightRect(x, y))
        return Graphics_D3D9_DrawStretchedGraph(x1, y1, x4, y4, float(x1), float(y1), float(x4), float(y4), image,
                                                blendImage, transFlag, 1);
    if (!Direct3DDevice9_IsValid()) return -1;
    Graphics_D3D9_FlushVertexBatch(0);
    const IntCornerGraphMapping m(x, y, image->area.widthf, image->area.heightf);
    return drawPieces(image, blendImage, transFlag, 1, m, DrawnShape::Folds);
}

// The graph turns about its centre and lands on the position. In nearest mode the position
// and centre are chosen so that texels fall on whole pixels for odd and even sizes, and a
// graph at a fractional position snaps to the truncated one with the quad nudged.
int Graphics_D3D9_DrawRotatedGraph(int x, int y, float xf, float yf, double scale, double angle, GraphData* image,
                                   GraphData* blendImage, int transFlag, int turnFlag) {
    if (image == nullptr || scale == 0.0 || !Direct3DDevice9_IsValid()) return -1;
    const RotationPlacement at = ChooseRotationPlacement(PixelCentres::Whole, x, y, xf, yf, scale, *image);
    const TurnedGraphMapping m(at, scale, angle, turnFlag != 0);
    return drawPieces(image, blendImage, transFlag, 0, m, DrawnShape::Flat, 0.0f, at.nudge && angle != 0.0);
}

int Graphics_D3D9_DrawGraphQuadList(const GraphQuadList* request, GraphData* blendImage) {
    if (request == nullptr || request->quads == nullptr || !Direct3DDevice9_IsValid()) return -1;
    GraphData* image = GetGraphData(request->graph);
    if (image == nullptr || image->orig == nullptr || image->pieceCount != 1) return -1;
    const GraphDrawPiece& p = image->pieces[0];
    Graphics_D3D9_BeginScene();
    Graphics_D3D9_DeviceState_SetTexture(D3D9_TileTexture(p.tile)->texture);
    const GraphDrawPiece* blend = BlendGraphPieceFor(image, blendImage, 0);
    if (D3D9_UseBlendPiece(blend) < 0) return -1;
    D3D9_PrepareIfNeeded(D3D9_GraphDrawKey(image, 1, 0));
    const uint32_t color = D3D9Batch.diffuse;
    for (int i = 0; i < request->count; ++i) {
        // Quads come from the string front, which has already moved whole-pixel text
        // onto the pixel centres.
        QuadCorner q[4];
        PlaceQuadListCorners(request->quads[i], p, blend, kD3D9PixelCentre, q);
        D3D9Corner c[4];
        for (int k = 0; k < 4; ++k) c[k] = {q[k].x, q[k].y, q[k].u, q[k].v, q[k].bu, q[k].bv};
        if (D3D9_PutTexturedQuad(c, color) < 0) return -1;
    }
    return 0;
}

}  // namespace ZaDod
