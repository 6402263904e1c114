// Graph drawing on Direct3D 11: every draw piece of a graph becomes one textured quad whose
// corners the draw's own mapping (plain, stretched, deformed, rotated) places on screen,
// with the blend graph's matching piece beside it when one is set.
#include <cmath>
#include <cstring>

#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/draw.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hwdraw/graph_mapping.h"
#include "media/graphics/hwdraw/hwdraw.h"
#include "media/graphics/hwdraw/rotation.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

using Mapping = GraphMapping;

// Any other quad is a grid of 8 x 8 vertices on the mapping, so the texture bends with it;
// the texture coordinates keep a thousandth of a texel's step from an inner edge.
int drawGrid(const GraphDrawPiece& p, const Mapping& m, uint32_t color) {
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
            v.z = 0.0f;
            v.rhw = 1.0f;
            std::memcpy(&v.b, &color, 4);
            v.u = u0 + s * (u1 - u0);
            v.v = v0 + t * (v1 - v0);
        }
    return Graphics_D3D11_DrawVertexGrid(grid, kSide, kSide);
}

// How a draw treats its quads: as placed; `Bends`, the deformed draw, whose quads that are
// no parallelogram become a grid; `Folds`, the whole-pixel deformed draw, whose quads keep
// their triangles' winding on screen.
enum class DrawnShape { Flat, Bends, Folds };

// `nudge`: a turned quad whose edges come out axis-aligned on pixel centres moves by half
// a pixel, so nearest sampling does not fall between texels.
int drawPieces(GraphData* image, GraphData* blendImage, int transFlag, int wholePixel, const Mapping& m,
               DrawnShape shape = DrawnShape::Flat, bool nudge = false) {
    const bool bends = shape == DrawnShape::Bends;
    if (image == nullptr || image->orig == nullptr || !D3D11Device_IsValid()) return -1;
    const int key = D3D11_GraphDrawKey(image, transFlag, wholePixel);
    const uint32_t color = D3D11_DrawColor(255, 255, 255);
    for (int i = 0; i < image->pieceCount; ++i) {
        const GraphDrawPiece& p = image->pieces[i];
        const D3D11GraphTexture* t = D3D11_TileTexture(p.tile);
        Graphics_D3D11_DeviceState_SetTexture(t->texture, t->view);
        const GraphDrawPiece* blend = BlendGraphPieceFor(image, blendImage, i);
        if (D3D11_UseBlendPiece(blend) < 0) return -1;
        Graphics_D3D11_DrawPreparation(key);
        D3D11Corner c[4];
        for (int k = 0; k < 4; ++k) {
            m.mapCorner(p, k, &c[k].x, &c[k].y);
            c[k].u = p.corner[k].u;
            c[k].v = p.corner[k].v;
            c[k].bu = c[k].bv = 0.0f;
            if (blend != nullptr)
                BlendGraphVertexCoord(*blend, p.corner[k].x, p.corner[k].y, c[k].x, c[k].y, &c[k].bu, &c[k].bv);
        }
        if (nudge && blend == nullptr) NudgeTurnedQuad(PixelCentres::Half, c);
        if (shape == DrawnShape::Folds) {
            const float turn = (c[2].y - c[0].y) * (c[1].x - c[0].x) - (c[1].y - c[0].y) * (c[2].x - c[0].x);
            if (turn <= 0) std::swap(c[1], c[2]);
        }
        const float xs[4] = {c[0].x, c[1].x, c[2].x, c[3].x}, ys[4] = {c[0].y, c[1].y, c[2].y, c[3].y};
        if (bends && blend == nullptr && !IsParallelogram(xs, ys)) {
            if (drawGrid(p, m, color) < 0) return -1;
        } else if (D3D11_PutTexturedQuad(c, color) < 0) {
            return -1;
        }
    }
    return 0;
}

}  // namespace

int D3D11_GraphDrawKey(const GraphData* image, int transFlag, int wholePixel) {
    const GraphFormatRequest& r = image->orig->request;
    // Alpha-test and colour-key graphs carry their transparency in the texture's alpha too.
    const int alpha = r.alphaChannel || r.alphaTest || r.colorKey ? 0x10000 : 0;
    const int premultiplied = image->orig->premultipliedAlpha ? 0x20000 : 0;
    return (transFlag ? 1 : 0) | (wholePixel ? 2 : 0) | 0x8000 | alpha | premultiplied;
}

int Graphics_D3D11_DrawGraph(int x, int y, float xf, float yf, GraphData* image, GraphData* blendImage, int transFlag,
                             int intFlag) {
    const PlainGraphMapping m(intFlag ? float(x) : xf, intFlag ? float(y) : yf);
    return drawPieces(image, blendImage, transFlag, intFlag, m);
}

int Graphics_D3D11_DrawStretchedGraph(int x1, int y1, int x2, int y2, float xf1, float yf1, float xf2, float yf2,
                                      GraphData* image, GraphData* blendImage, int transFlag, int intFlag) {
    if (image == nullptr) return -1;
    const float l = intFlag ? float(x1) : xf1, t = intFlag ? float(y1) : yf1;
    const float r = intFlag ? float(x2) : xf2, b = intFlag ? float(y2) : yf2;
    const StretchGraphMapping m(l, t, r, b, image->area.widthf, image->area.heightf);
    return drawPieces(image, blendImage, transFlag, intFlag && GraphicsDrawSettings.samplingMode != 1, m);
}

int Graphics_D3D11_DrawDeformedGraph(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                                     GraphData* image, GraphData* blendImage, int transFlag, int simpleFlag) {
    if (image == nullptr) return -1;
    // A blend graph is laid by whole pixels: the corners are truncated toward zero.
    if (blendImage != nullptr)
        return Graphics_D3D11_DrawDeformedGraphInt(int(x1), int(y1), int(x2), int(y2), int(x3), int(y3), int(x4),
                                                   int(y4), image, blendImage, transFlag);
    // Corners top-left, top-right, bottom-left, bottom-right (the dispatcher has put the
    // front's clockwise corners in this order); inner points are placed on the bilinear
    // patch between them.
    struct Patch : Mapping {
        float px[4], py[4], w, h;
        void map(float gx, float gy, float* sx, float* sy) const override {
            const float u = gx / w, v = gy / h;
            *sx = (1 - v) * ((1 - u) * px[0] + u * px[1]) + v * ((1 - u) * px[2] + u * px[3]);
            *sy = (1 - v) * ((1 - u) * py[0] + u * py[1]) + v * ((1 - u) * py[2] + u * py[3]);
        }
    } m;
    const float px[4] = {x1, x2, x3, x4}, py[4] = {y1, y2, y3, y4};
    for (int i = 0; i < 4; ++i) m.px[i] = px[i], m.py[i] = py[i];
    m.w = image->area.widthf;
    m.h = image->area.heightf;
    return drawPieces(image, blendImage, transFlag, simpleFlag, m, DrawnShape::Bends);
}

int Graphics_D3D11_DrawDeformedGraphInt(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4,
                                        GraphData* image, GraphData* blendImage, int transFlag) {
    if (image == nullptr) return -1;
    const int x[4] = {x1, x2, x3, x4}, y[4] = {y1, y2, y3, y4};
    if (IsUprightRect(x, y))
        return Graphics_D3D11_DrawStretchedGraph(x1, y1, x4, y4, float(x1), float(y1), float(x4), float(y4), image,
                                                 blendImage, transFlag, 1);
    if (!D3D11Device_IsValid()) return -1;
    const IntCornerGraphMapping m(x, y, image->area.widthf, image->area.heightf);
    return drawPieces(image, blendImage, transFlag, 1, m, DrawnShape::Folds);
}

// (x, y) is the truncated position and (xf, yf) the exact one. In nearest mode the
// position and centre are chosen so that texels fall on whole pixels for odd and even
// sizes, and a graph at a fractional position snaps to the truncated one with the quad
// nudged.
int Graphics_D3D11_DrawRotatedGraph(int x, int y, float xf, float yf, double scale, double angle, GraphData* image,
                                    GraphData* blendImage, int transFlag, int turnFlag) {
    if (image == nullptr || scale == 0.0 || !D3D11Device_IsValid()) return -1;
    const RotationPlacement at = ChooseRotationPlacement(PixelCentres::Half, x, y, xf, yf, scale, *image);
    const TurnedGraphMapping m(at, scale, angle, turnFlag != 0);
    return drawPieces(image, blendImage, transFlag, 0, m, DrawnShape::Flat, at.nudge && angle != 0.0);
}

int Graphics_D3D11_DrawGraphQuadList(const GraphQuadList* request, GraphData* blendImage) {
    if (request == nullptr || request->quads == nullptr) return -1;
    GraphData* image = GetGraphData(request->graph);
    if (image == nullptr || image->orig == nullptr || image->pieceCount != 1) return -1;
    const GraphDrawPiece& p = image->pieces[0];
    const D3D11GraphTexture* t = D3D11_TileTexture(p.tile);
    Graphics_D3D11_DeviceState_SetTexture(t->texture, t->view);
    const GraphDrawPiece* blend = BlendGraphPieceFor(image, blendImage, 0);
    if (D3D11_UseBlendPiece(blend) < 0) return -1;
    Graphics_D3D11_DrawPreparation(D3D11_GraphDrawKey(image, 1, 0));
    const uint32_t color = D3D11_DrawColor(255, 255, 255);
    for (int i = 0; i < request->count; ++i) {
        QuadCorner q[4];
        PlaceQuadListCorners(request->quads[i], p, blend, 0.0f, q);
        D3D11Corner c[4];
        for (int k = 0; k < 4; ++k) c[k] = {q[k].x, q[k].y, q[k].u, q[k].v, q[k].bu, q[k].bv};
        if (D3D11_PutTexturedQuad(c, color) < 0) return -1;
    }
    return 0;
}

}  // namespace ZaDod
