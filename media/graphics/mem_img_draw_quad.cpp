// Drawing a software image onto a quadrilateral: two triangles, each mapped affinely
// from the image's corners, sampled at the nearest texel under each pixel centre.
#include <algorithm>
#include <cmath>

#include "media/graphics/mem_img_draw.h"
#include "media/graphics/mem_img_pixel.h"

namespace ZaDod {
namespace {

using namespace softpix;

constexpr double kCornerLimit = 16777216.0;  // 2^24

inline int32_t texelIndex(double u, int size) {
    if (!(u >= 0.0)) return 0;  // also NaN
    if (u >= size) return size - 1;
    return static_cast<int32_t>(u);
}

// Texture coordinates u, v as affine functions of the screen position.
struct Affine {
    double ua, ub, uc, va, vb, vc;
};

bool solveAffine(const double p[6], const double t[6], Affine* out) {
    const double x10 = p[2] - p[0], y10 = p[3] - p[1], x20 = p[4] - p[0], y20 = p[5] - p[1];
    const double det = x10 * y20 - x20 * y10;
    if (det == 0.0 || !std::isfinite(det)) return false;
    const double u10 = t[2] - t[0], u20 = t[4] - t[0], v10 = t[3] - t[1], v20 = t[5] - t[1];
    out->ua = (u10 * y20 - u20 * y10) / det;
    out->ub = (u20 * x10 - u10 * x20) / det;
    out->uc = t[0] - out->ua * p[0] - out->ub * p[1];
    out->va = (v10 * y20 - v20 * y10) / det;
    out->vb = (v20 * x10 - v10 * x20) / det;
    out->vc = t[1] - out->va * p[0] - out->vb * p[1];
    return true;
}

void drawTriangle(const DrawSetup& s, const StageSource& source, const double p[6], const double t[6]) {
    Affine m;
    if (!solveAffine(p, t, &m)) return;
    const int w = source.src->width, h = source.src->height;
    const std::ptrdiff_t destPitch = s.target->base->pitch;
    int32_t tx[kStageChunk], ty[kStageChunk];
    RasterTriangle(p, s.clip, [&](int y, int x0, int x1) {
        uint8_t* dest = s.target->pixels + y * destPitch + static_cast<std::ptrdiff_t>(x0) * s.dstBytes;
        const double yc = y + 0.5;
        for (int start = x0; start < x1; start += kStageChunk) {
            const int n = std::min(kStageChunk, x1 - start);
            for (int i = 0; i < n; ++i) {
                const double xc = start + i + 0.5;
                tx[i] = texelIndex(m.ua * xc + m.ub * yc + m.uc, w);
                ty[i] = texelIndex(m.va * xc + m.vb * yc + m.vc, h);
            }
            DrawStaged(s, source, tx, ty, n, dest + static_cast<std::ptrdiff_t>(start - x0) * s.dstBytes);
        }
    });
}

}  // namespace

void DrawQuadMemImg(const MEMIMG* src, const double corners[8], int transFlag) {
    if (!CheckValidMemImg(src) || corners == nullptr) return;
    for (int i = 0; i < 8; ++i)
        if (!std::isfinite(corners[i]) || std::fabs(corners[i]) > kCornerLimit) return;
    const StageSource source = MakeStageSource(src, transFlag);
    DrawSetup s;
    if (!SetupGraphDraw(&s, src, transFlag, source.blendGraph != nullptr)) return;
    const double w = src->width, h = src->height;
    const double* tl = corners;
    const double* tr = corners + 2;
    const double* br = corners + 4;
    const double* bl = corners + 6;
    // Top-left, top-right, bottom-left; then top-right, bottom-right, bottom-left.
    const double first[6] = {tl[0], tl[1], tr[0], tr[1], bl[0], bl[1]};
    const double firstTex[6] = {0, 0, w, 0, 0, h};
    const double second[6] = {tr[0], tr[1], br[0], br[1], bl[0], bl[1]};
    const double secondTex[6] = {w, 0, w, h, 0, h};
    drawTriangle(s, source, first, firstTex);
    drawTriangle(s, source, second, secondTex);
}

}  // namespace ZaDod
