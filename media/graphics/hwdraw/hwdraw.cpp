// The draw key's texture-alpha flags, the wipe arithmetic and the deformed-piece geometry,
// for both hardware back ends.
#include "media/graphics/hwdraw/hwdraw.h"

#include <cmath>
#include <cstring>

#include "media/file/async_load.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/render_state.h"
#include "media/graphics/shadow_map.h"
#include "media/movie/movie.h"

namespace ZaDod {

void SettleGraphsBeforeDeviceRelease() {
    ForEachHandleRecord(HANDLETYPE_GRAPH, [](HandleEntryHeader* h) {
        WaitHandleASyncLoad(h->Handle);
        const GraphData* graph = reinterpret_cast<const GraphData*>(h);
        if (graph->movieHandle != -1) RequestMovieFrameRefresh(graph->movieHandle);
    });
}

KeyAlphaFlags DecodeKeyAlphaFlags(int key, int blendMode, int drawMode) {
    KeyAlphaFlags f{0, 0};
    if ((key & 0x8001) != 0x8001 || (key & 0x30000) == 0) return f;
    if (blendMode != 0 && blendMode != 8) {
        f.alphaChannel = 1;
    } else if ((key & 0x2) != 0 || drawMode != 1) {
        f.premultiplied = (key >> 17) & 1;
        f.alphaChannel = (key >> 16) & 1;
    } else {
        // Bilinear sampling of a premultiplied image without its own flag: blend it as alpha.
        f.alphaChannel = 1;
    }
    return f;
}

WipeFactor ComputeWipeFactor(int p, int n) {
    // A narrower border range steepens the ramp: the blend graph's alpha is scaled by 4, 2
    // or 1 and offset so that the parameter sweeps the graph from all shown to none.
    const int factor = n <= 64 ? 1280 : n <= 128 ? 768 : 512;
    WipeFactor f{n <= 64 ? 4 : n <= 128 ? 2 : 1, 0, 0};
    const int k = factor - p * factor / 255;
    if (k >= factor - 256) {
        f.alpha = n <= 64 ? (k - 1024) * 64 / 256 : n <= 128 ? (k - 512) * 128 / 256 : (k - 256) * 255 / 256;
    } else {
        f.alpha = 255 - k * 255 / (factor - 256);
        f.subtract = 1;
    }
    return f;
}

WipeSetup ComputeWipe(int p, int n, int premultiplied, int alphaChannel) {
    WipeSetup w{0, 0, 1.0f, 0.0f};
    if (n <= 1) {
        w.alphaTest = 1;
        w.reference = p == 0 && (premultiplied || alphaChannel) ? 1 : p;
        return w;
    }
    const WipeFactor f = ComputeWipeFactor(p, n);
    w.scale = float(f.scale);
    w.offset = float(f.alpha) / (f.subtract ? -255.0f : 255.0f);
    return w;
}

bool IsParallelogram(const float x[4], const float y[4]) {
    auto near = [](float a, float b) { return std::fabs(a - b) < 1.0f; };
    return near(x[1] - x[0], x[3] - x[2]) && near(y[1] - y[0], y[3] - y[2]) && near(x[2] - x[0], x[3] - x[1]) &&
           near(y[2] - y[0], y[3] - y[1]);
}

void InsetGridTexCoords(float x0, float y0, float x1, float y1, float* u0, float* v0, float* u1, float* v1) {
    const float du = (*u1 - *u0) / (x1 - x0) * 0.001f, dv = (*v1 - *v0) / (y1 - y0) * 0.001f;
    if (*u0 >= 1e-6f) *u0 += du;
    if (*u1 <= 0.99999f) *u1 -= du;
    if (*v0 >= 1e-6f) *v0 += dv;
    if (*v1 <= 0.99999f) *v1 -= dv;
}

}  // namespace ZaDod

namespace ZaDod {

void PadUploadEdge(void* pixels, int pitch, int bytesPerPixel, int w, int h, int padRight, int padBottom) {
    if (w <= 0 || h <= 0 || bytesPerPixel <= 0) return;
    auto* base = static_cast<uint8_t*>(pixels);
    const size_t bpp = size_t(bytesPerPixel);
    if (padRight)
        for (int row = 0; row < h; ++row) {
            uint8_t* line = base + size_t(row) * size_t(pitch);
            std::memcpy(line + size_t(w) * bpp, line + size_t(w - 1) * bpp, bpp);
        }
    if (padBottom)
        std::memcpy(base + size_t(h) * size_t(pitch), base + size_t(h - 1) * size_t(pitch),
                    size_t(w + (padRight ? 1 : 0)) * bpp);
}

const GraphDrawPiece* BlendGraphPieceFor(const GraphData* image, const GraphData* blendImage, int index) {
    if (blendImage == nullptr || blendImage->orig == nullptr || blendImage->pieceCount < 1) return nullptr;
    return &blendImage->pieces[blendImage->pieceCount == image->pieceCount ? index : 0];
}

void BlendGraphVertexCoord(const GraphDrawPiece& blend, float gx, float gy, float sx, float sy, float* u, float* v) {
    const RenderState& r = GraphicsRender;
    const GraphPieceCorner& origin = blend.corner[0];
    const float rw = 1.0f / float(blend.tile->textureWidth), rh = 1.0f / float(blend.tile->textureHeight);
    const float px = float(r.blendGraphX), py = float(r.blendGraphY);
    if (r.blendGraphPositionMode == 1) {
        *u = origin.u + (sx - origin.x - px) * rw;
        *v = origin.v + (sy - origin.y - py) * rh;
    } else {
        *u = origin.u + (gx - origin.x + px) * rw;
        *v = origin.v + (gy - origin.y + py) * rh;
    }
}

void PlaceQuadListCorners(const GraphQuad& q, const GraphDrawPiece& piece, const GraphDrawPiece* blend, float centre,
                          QuadCorner out[4]) {
    const float tw = float(piece.tile->textureWidth), th = float(piece.tile->textureHeight);
    const float u1 = (piece.tileXf + float(q.srcX)) / tw, v1 = (piece.tileYf + float(q.srcY)) / th;
    const float u2 = u1 + float(q.srcWidth) / tw, v2 = v1 + float(q.srcHeight) / th;
    // A quad's corners run clockwise; the drawn order takes the bottom row left to right.
    out[0] = {q.x1, q.y1, u1, v1, 0, 0};
    out[1] = {q.x2, q.y2, u2, v1, 0, 0};
    out[2] = {q.x4, q.y4, u1, v2, 0, 0};
    out[3] = {q.x3, q.y3, u2, v2, 0, 0};
    if (blend == nullptr) return;
    for (int k = 0; k < 4; ++k)
        BlendGraphVertexCoord(*blend, piece.corner[k].x, piece.corner[k].y, out[k].x - centre, out[k].y - centre,
                              &out[k].bu, &out[k].bv);
}

void MapUserVerticesOntoPiece(Vertex2D* vertices, int count, const GraphDrawPiece& piece) {
    const float tw = float(piece.tile->textureWidth), th = float(piece.tile->textureHeight);
    for (int i = 0; i < count; ++i) {
        Vertex2D& v = vertices[i];
        v.u = (piece.tileXf + v.u * piece.widthf) / tw;
        v.v = (piece.tileYf + v.v * piece.heightf) / th;
    }
}

void CoverPieceBySixes(Vertex2D* vertices, int count, int reverse) {
    static const float kU[6] = {0, 1, 0, 1, 0, 1}, kV[6] = {0, 0, 1, 1, 1, 0};
    for (int i = 0; i + 6 <= count; i += 6)
        for (int k = 0; k < 6; ++k) {
            vertices[i + k].u = reverse ? 1.0f - kU[k] : kU[k];
            vertices[i + k].v = kV[k];
        }
}

bool FindUserVertexPiece(GraphData* graph, int piece, UserVertexSource* out) {
    out->graph = graph;
    out->piece = nullptr;
    if (graph == nullptr) return true;
    if (graph->orig == nullptr || piece < 0 || piece >= graph->pieceCount) return false;
    out->piece = &graph->pieces[piece];
    return true;
}

bool FindUserVertexSource(const Vertex2D* vertices, int count, int primitiveType, int handle, int piece,
                          int shadowMapFlag, UserVertexSource* out) {
    *out = UserVertexSource{nullptr, nullptr, nullptr, count};
    if (vertices == nullptr || count < 0) return false;
    if (primitiveType == 4) out->count -= count % 3;
    if (shadowMapFlag) {
        // Drawing on with a map that does not exist would show whatever texture the last
        // draw left bound.
        out->map = GetShadowMapData(handle);
        return out->map != nullptr;
    }
    if (handle <= 0) return true;
    GraphData* graph = GetGraphData(handle);
    return graph != nullptr && FindUserVertexPiece(graph, piece, out);
}

}  // namespace ZaDod
