// Direct3D 11 filter and blend workers: each loads its shader, writes its constants into
// the filter buffer (float4 rows c0, c1, ...) and runs one common pass.
#include <cmath>
#include <cstring>

#include "media/graphics/d3d11/d3d11_filter.h"
#include "media/graphics/d3d11/d3d11_graph.h"

namespace ZaDod {
namespace {

using Row = float[4];
constexpr Row kLuma = {0.299f, 0.587f, 0.114f, 0.0f};

// Loads the name's shader, sets the rows and draws one pass.
int runPass(int name, GraphFilterInfo* info, const Row* rows, int count, int linear, int divisor = 1,
            int extraGraph = -1, const D3D11StretchVertex8* custom = nullptr) {
    const int shader = D3D11_FilterShader(name, D3D11FilterNames[name]);
    if (shader < 0) return -1;
    if (count > 0) D3D11_SetFilterConstants(rows, count);
    return Graphics_D3D11_FilterPass_DrawQuad(shader, info, linear, divisor, extraGraph, custom);
}

void copyRow(Row& row, const float* values) { std::memcpy(row, values, sizeof(Row)); }

// Below the area of the first Gauss pass the target repeats the area's last row down to
// the texture's end, so that the vertical pass reads the edge row there.
void extendLastRow(const GraphFilterInfo* info) {
    GraphData* g = GetGraphData(info->destination);
    if (g == nullptr || g->pieceCount < 1) return;
    const D3D11GraphTexture* t = D3D11_TileTexture(g->pieces[0].tile);
    int x, y;
    D3D11_FilterPassOrigin(info, &x, &y);
    const int w = info->x2 - info->x1, h = info->y2 - info->y1;
    const int th = g->pieces[0].tile->textureHeight;
    if (y + h >= th || t->targetView == nullptr) return;
    const plat::win::RECT src{x, y + h - 1, x + w, y + h}, dst{x, y + h, x + w, th};
    Graphics_D3D11_StretchRect(t->texture, t->view, &src, t->texture, t->targetView, &dst);
}

}  // namespace

int Graphics_D3D11_Filter_Mono(GraphFilterInfo* info, float cb, float cr) {
    // The green channel takes away both colour differences, as on the software path.
    const Row rows[2] = {{kLuma[0], kLuma[1], kLuma[2], 0.0f},
                         {1.402f * cr, -0.34414f * cb - 0.71414f * cr, 1.772f * cb, 0.0f}};
    return runPass(kFNMono, info, rows, 2, 0);
}

int Graphics_D3D11_Filter_Gauss(GraphFilterInfo* info, int kernelWidth, float, const float* weights) {
    int tw, th;
    if (weights == nullptr || !D3D11_GraphTextureSize(info->source, &tw, &th)) return -1;
    Row rows[21] = {};
    rows[0][0] = float(tw), rows[0][1] = float(th);
    for (int i = 0; i < 4; ++i) copyRow(rows[1 + i], weights + 4 * i);
    const bool vertical = info->passIndex == 1;
    for (int k = 1; k < 16; ++k) {
        const float offset = 2.0f * float(k) - 0.5f;
        rows[5 + k][0] = vertical ? 0.0f : offset / float(tw);
        rows[5 + k][1] = vertical ? offset / float(th) : 0.0f;
    }
    const int name = kFNGauss + (kernelWidth <= 8 ? 0 : kernelWidth <= 16 ? 1 : 2);
    const int result = runPass(name, info, rows, 21, 1);
    if (result == 0 && !vertical) extendLastRow(info);
    return result;
}

int Graphics_D3D11_Filter_DownScale(GraphFilterInfo* info, int divisor) {
    int tw, th;
    if (!D3D11_GraphTextureSize(info->source, &tw, &th)) return -1;
    Row rows[16] = {};
    int count = 1, name = kFNDownScale;
    if (divisor == 4) {
        count = 4, name += 1;
        const float o[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
        for (int i = 0; i < 4; ++i) rows[i][0] = o[i][0] / float(tw), rows[i][1] = o[i][1] / float(th);
    } else if (divisor == 8) {
        count = 16, name += 2;
        for (int i = 0; i < 16; ++i) {
            rows[i][0] = float(-3 + 2 * (i % 4)) / float(tw);
            rows[i][1] = float(-3 + 2 * (i / 4)) / float(th);
        }
    }
    return runPass(name, info, rows, count, 1, divisor);
}

int Graphics_D3D11_Filter_BrightClip(GraphFilterInfo* info, int compare, float threshold, int fillFlag,
                                     const float* fillColor) {
    // Pixels the clip does not keep are left as the destination has them: a work screen
    // gets the destination's rectangle first.
    if (!fillFlag && info->destination != D3D11_FilterRunDestination())
        D3D11_CopyGraphIntoPassTarget(D3D11_FilterRunDestination(), info);
    Row rows[3] = {{threshold, threshold, threshold, threshold}, {kLuma[0], kLuma[1], kLuma[2], 0.0f}, {}};
    const bool fill = fillFlag != 0 && fillColor != nullptr;
    if (fill) copyRow(rows[2], fillColor);
    return runPass(kFNBrightClip + (fill ? 1 : 0) + (compare == 5 ? 2 : 0), info, rows, fill ? 3 : 2, 0);
}

int Graphics_D3D11_Filter_BrightnessScale(GraphFilterInfo* info, int minimum, int maximum) {
    if (maximum == minimum) return -1;
    const Row rows[1] = {{float(minimum) / 255.0f, 255.0f / float(maximum - minimum), 0.0f, 0.0f}};
    return runPass(kFNBrightnessScale, info, rows, 1, 0);
}

int Graphics_D3D11_Filter_HSB(GraphFilterInfo* info, int hueMode, float hue, float saturation, float bright) {
    const Row rows[3] = {{hue, saturation > 0.0f ? saturation * 5.0f : saturation, bright, 0.0f},
                         {0.5f, 0.5f, 0.5f, 0.5f},
                         {1.0f, 1.0f, 1.0f, 1.0f}};
    return runPass(kFNHsb + (hueMode == 1 ? 1 : 0), info, rows, 3, 0);
}

int Graphics_D3D11_Filter_Invert(GraphFilterInfo* info) { return runPass(kFNInvert, info, nullptr, 0, 0); }

int Graphics_D3D11_Filter_Level(GraphFilterInfo* info, float inputMin, float inputMax, float, float outputMin,
                                float outputMax) {
    const int gammaGraph = GraphFilterShaderHandleTable[kGraphFilterGammaGraphSlot];
    if (GetGraphData(gammaGraph) == nullptr) return -1;
    const float span = inputMax - inputMin;
    const Row rows[1] = {{inputMin, span > 0.0f ? 1.0f / span : 0.0f, outputMin, outputMax}};
    return runPass(kFNLevel, info, rows, 1, 1, 1, gammaGraph);
}

int Graphics_D3D11_Filter_TwoColor(GraphFilterInfo* info, float threshold, const float* below, const float* above) {
    if (below == nullptr || above == nullptr) return -1;
    Row rows[3] = {{kLuma[0], kLuma[1], kLuma[2], threshold / 255.0f}};
    copyRow(rows[1], below);
    copyRow(rows[2], above);
    return runPass(kFNTwoColor, info, rows, 3, 0);
}

int Graphics_D3D11_Filter_GradientMap(GraphFilterInfo* info, int gradientGraph, int reverse) {
    const GraphData* g = GetGraphData(gradientGraph);
    if (g == nullptr) return -1;
    // The gradient's width rides in c1: the shader picks its column as the software table does.
    const Row rows[2] = {{kLuma[0], kLuma[1], kLuma[2], 0.0f}, {float(g->area.width), 0.0f, 0.0f, 0.0f}};
    return runPass(kFNGradientMap + (reverse ? 1 : 0), info, rows, 2, 0, 1, gradientGraph);
}

int Graphics_D3D11_Filter_PremultipliedAlpha(GraphFilterInfo* info) {
    return runPass(kFNPremultipliedAlpha, info, nullptr, 0, 0);
}

int Graphics_D3D11_Filter_InterpolatedAlpha(GraphFilterInfo* info) {
    return runPass(kFNInterpolatedAlpha, info, nullptr, 0, 0);
}

int Graphics_D3D11_Filter_Y2UVToRGB(GraphFilterInfo* info, int uvGraph) {
    int ytw, yth;
    if (!D3D11_GraphTextureSize(info->source, &ytw, &yth)) return -1;
    const bool halves = info->kind == kGraphFilterYuvToRgbRRA || info->kind == kGraphFilterYuvToRgbUVRRA;
    const bool withUV = uvGraph >= 0;
    // The Y graph may be a work screen now: its ratios are those of the picture it holds.
    const GraphData* picture = GetGraphData(D3D11_FilterRunSource());
    if (picture == nullptr) return -1;
    const float yu = float(picture->area.width) / float(ytw), yv = float(picture->area.height) / float(yth);
    Row rows[1] = {};
    if (withUV) {
        const GraphData* uv = GetGraphData(uvGraph);
        int utw, uth;
        if (uv == nullptr || !D3D11_GraphTextureSize(uvGraph, &utw, &uth)) return -1;
        const float uu = float(uv->area.width) / float(utw), uvv = float(uv->area.height) / float(uth);
        rows[0][0] = uu / yu, rows[0][1] = uvv / yv, rows[0][2] = yu * 0.5f, rows[0][3] = uu * 0.5f;
    } else if (halves) {
        rows[0][2] = yu * 0.5f;
    }
    return runPass(kFNYuv + (halves ? 2 : 0) + (withUV ? 1 : 0), info, rows, 1, 0, 1, uvGraph);
}

namespace {
// The resamplers draw their own quad: destination size, with coordinate set k carrying the
// source coordinate shifted by k - taps / 2 + 0.5 texels on both axes.
int resample(int name, int taps, GraphFilterInfo* info, int width, int height) {
    int tw, th;
    if (width < 1 || height < 1 || !D3D11_GraphTextureSize(info->source, &tw, &th)) return -1;
    int x, y;
    D3D11_FilterPassOrigin(info, &x, &y);
    const float u[2] = {float(info->x1) / float(tw), float(info->x2) / float(tw)};
    const float v[2] = {float(info->y1) / float(th), float(info->y2) / float(th)};
    D3D11StretchVertex8 quad[4] = {};
    for (int i = 0; i < 4; ++i) {
        const int cx = i & 1, cy = i >> 1;
        quad[i].x = float(x + cx * width);
        quad[i].y = float(y + cy * height);
        for (int k = 0; k < 8; ++k) {
            const float shift = k < taps ? float(k - taps / 2) + 0.5f : 0.0f;
            quad[i].uv[k][0] = u[cx] + shift / float(tw);
            quad[i].uv[k][1] = v[cy] + shift / float(th);
        }
    }
    const Row rows[2] = {{float(tw), float(th), 0.0f, 0.0f}, {2.0f / float(tw), 0.0f, 0.0f, 0.0f}};
    return runPass(name, info, rows, 2, 0, 1, -1, quad);
}
}  // namespace

int Graphics_D3D11_Filter_Bicubic(GraphFilterInfo* info, int width, int height) {
    return resample(kFNBicubic, 4, info, width, height);
}

int Graphics_D3D11_Filter_Lanczos3(GraphFilterInfo* info, int width, int height) {
    return resample(kFNLanczos3, 6, info, width, height);
}

int Graphics_D3D11_Filter_BasicBlend(GraphFilterInfo* info) {
    if (info->kind < 0 || info->kind >= kGraphBlendKindCount || info->kind == kGraphBlendRGBAMix) return -1;
    const float r = info->blendRatio;
    const Row rows[2] = {{r, r, r, r}, {1.0f, 1.0f, 1.0f, 1.0f}};
    return runPass(kFNBlend + info->kind, info, rows, 2, 1);
}

}  // namespace ZaDod
