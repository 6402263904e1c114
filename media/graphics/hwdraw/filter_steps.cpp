// The filter passes both hardware back ends share: which graph each pass reads and
// writes, the final copy, and each worker's constants (float4 rows c0, c1, ...) and
// passes, drawn through the back end's own steps.
#include <algorithm>
#include <cstring>
#include <utility>

#include "media/graphics/graph.h"
#include "media/graphics/hwdraw/filter_steps.h"
#include "media/graphics/shader.h"

namespace ZaDod {

namespace {

using Row = float[4];
constexpr Row kLuma = {0.299f, 0.587f, 0.114f, 0.0f};

// The source and destination the running request named: the pass records carry each
// pass's own.
int runSource = -1, runDestination = -1;
// Set by a pass that could not draw. The front does not hear the workers' results, so the
// later passes and the final copy look here: a work screen nothing was drawn into never
// reaches the destination.
bool runFailed = false;

// Loads the slot's shader, sets the rows and draws one pass; the rows go back after it.
int runShader(const HwFilterDevice& d, int shader, GraphFilterInfo* info, const Row* rows, int count, int linear,
              int divisor = 1, int extraGraph = -1, const HwFilterVertex8* custom = nullptr) {
    // A handle whose device object is gone would draw the quad with whatever shader is
    // bound: the pass fails instead.
    const ShaderHandleData* data = shader < 0 ? nullptr : GetShaderData(shader, 0);
    if (data == nullptr || data->deviceObject == nullptr || runFailed) {
        runFailed = true;
        return -1;
    }
    if (count > 0) d.setRows(rows, count);
    const int result = d.drawQuad(shader, info, linear, divisor, extraGraph, custom);
    if (count > 0 && d.clearRows != nullptr) d.clearRows(count);
    runFailed = runFailed || result < 0;
    return result;
}

int runPass(const HwFilterDevice& d, int name, GraphFilterInfo* info, const Row* rows, int count, int linear,
            int divisor = 1, int extraGraph = -1, const HwFilterVertex8* custom = nullptr) {
    return runShader(d, HwFilterShader(d, name, HwFilterNames[name]), info, rows, count, linear, divisor, extraGraph,
                     custom);
}

// A worker that cannot run fails its request.
int refuse() {
    runFailed = true;
    return -1;
}

void copyRow(Row& row, const float* values) { std::memcpy(row, values, sizeof(Row)); }

// Below the area of the first Gauss pass the target repeats the area's last row down to
// the texture's end, so that the vertical pass reads the edge row there.
void extendLastRow(const HwFilterDevice& d, const GraphFilterInfo* info) {
    int tw, th, x, y;
    if (!d.textureSize(info->destination, &tw, &th)) return;
    HwFilterPassOrigin(info, &x, &y);
    const int w = info->x2 - info->x1, h = info->y2 - info->y1;
    if (y + h >= th) return;
    d.copyRect(info->destination, x, y + h - 1, x + w, y + h, info->destination, x, y + h, x + w, th);
}

}  // namespace

// ---- pass plan

int HwFilterPass_SelectSampling(const HwFilterDevice& d, GraphFilterInfo* info, const GraphFilterParam* param,
                                bool workAlways) {
    const bool gauss = !info->blendFlag && info->kind == kGraphFilterGauss;
    const bool hsbPair = d.hsbPair && !info->blendFlag && info->kind == kGraphFilterHsb && param != nullptr &&
                         param->ints[0] != 1;
    info->passCount = gauss || hsbPair ? 2 : 1;
    info->workFlag = workAlways || gauss || info->destX != info->x1 || info->destY != info->y1 ? 1 : 0;
    runSource = info->source;
    runDestination = info->destination;
    runFailed = false;
    return 0;
}

int HwFilterRunSource() { return runSource; }
int HwFilterRunDestination() { return runDestination; }

void HwFilterPassOrigin(const GraphFilterInfo* info, int* x, int* y) {
    const bool last = info->passIndex >= info->passCount - 1;
    *x = last ? info->destX : info->x1;
    *y = last ? info->destY : info->y1;
}

int HwFilterPass_Begin(const HwFilterDevice& d, GraphFilterInfo* info, int* sourceHandle, int* destHandle) {
    const int source = info->source, destination = info->destination;
    GraphData* graph = GetGraphData(source);
    int width = 0, height = 0;
    if (graph == nullptr || graph->pieceCount < 1 || !d.textureSize(source, &width, &height)) return -1;
    const bool direct = d.drawable(destination) && !(info->workFlag == 1 && source == destination);
    const bool sameParity = info->workFlag == 1 && (info->passIndex & 1) == (info->passCount & 1);
    const int targetSlot = !direct && !sameParity ? 1 : 0;
    // A down-scale in place has its rectangle cleared before it draws: it reads a copy.
    const bool inPlaceDownScale = info->downScaleFlag && source == destination;
    const bool assembleSource =
        info->passIndex == 0 && (graph->pieceCount > 1 || graph->pieces[0].tileX != 0 ||
                                 graph->pieces[0].tileY != 0 || inPlaceDownScale);
    if (assembleSource) {
        width = graph->area.width, height = graph->area.height;
        const int work = HwFilter_CreateWorkScreen(0, width, height, 1 - targetSlot);
        if (work < 0 || d.assemble(source, work) < 0) return -1;
        *sourceHandle = work;
    }
    if (direct && !sameParity) {
        *destHandle = destination;
        return 0;
    }
    // The work screen holds where this pass draws.
    int x, y;
    HwFilterPassOrigin(info, &x, &y);
    const int divisor = std::max(info->downScaleDivisor, 1);
    width = std::max(width, x + (info->x2 - info->x1) / divisor);
    height = std::max(height, y + (info->y2 - info->y1) / divisor);
    const int work = HwFilter_CreateWorkScreen(0, width, height, targetSlot);
    if (work < 0) return -1;
    *destHandle = work;
    return 0;
}

int HwFilterPass_CopyResult(const HwFilterDevice& d, GraphFilterInfo* info, int lastDest, int lastResult) {
    const int destination = runDestination;
    const bool failed = runFailed;
    runSource = runDestination = -1;
    runFailed = false;
    // A pass that could not draw fails the request: its destination keeps its pixels.
    if (failed || lastResult < 0) return -1;
    if (lastDest == destination || destination < 0) return 0;
    const int divisor = std::max(info->downScaleDivisor, 1);
    const ImageRect rect{info->destX, info->destY, info->destX + (info->x2 - info->x1) / divisor,
                         info->destY + (info->y2 - info->y1) / divisor};
    d.copyResult(&rect, lastDest, destination);
    return 0;
}

// ---- workers

int HwFilter_Mono(const HwFilterDevice& d, GraphFilterInfo* info, float cb, float cr) {
    // The green channel takes away both colour differences, as on the software path.
    const Row rows[2] = {{kLuma[0], kLuma[1], kLuma[2], 0.0f},
                         {1.402f * cr, -0.34414f * cb - 0.71414f * cr, 1.772f * cb, 0.0f}};
    return runPass(d, kFNMono, info, rows, 2, 0);
}

int HwFilter_Gauss(const HwFilterDevice& d, GraphFilterInfo* info, int kernelWidth, const float* weights) {
    int tw, th;
    if (weights == nullptr || !d.textureSize(info->source, &tw, &th)) return refuse();
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
    const int result = runPass(d, name, info, rows, 21, 1);
    if (result == 0 && !vertical) extendLastRow(d, info);
    return result;
}

int HwFilter_DownScale(const HwFilterDevice& d, GraphFilterInfo* info, int divisor) {
    int tw, th;
    if (!d.textureSize(info->source, &tw, &th)) return refuse();
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
    return runPass(d, name, info, rows, count, 1, divisor);
}

int HwFilter_BrightClip(const HwFilterDevice& d, GraphFilterInfo* info, int compare, float threshold, int fillFlag,
                        const float* fillColor) {
    // Pixels the clip does not keep are left as the destination has them: a work screen
    // gets the destination's rectangle first.
    if (!fillFlag && info->destination != runDestination) {
        int x, y;
        HwFilterPassOrigin(info, &x, &y);
        const int w = info->x2 - info->x1, h = info->y2 - info->y1;
        d.copyRect(runDestination, info->destX, info->destY, info->destX + w, info->destY + h, info->destination, x,
                   y, x + w, y + h);
    }
    Row rows[3] = {{threshold, threshold, threshold, threshold}, {kLuma[0], kLuma[1], kLuma[2], 0.0f}, {}};
    const bool fill = fillFlag != 0 && fillColor != nullptr;
    if (fill) copyRow(rows[2], fillColor);
    return runPass(d, kFNBrightClip + (fill ? 1 : 0) + (compare == 5 ? 2 : 0), info, rows, fill ? 3 : 2, 0);
}

int HwFilter_BrightnessScale(const HwFilterDevice& d, GraphFilterInfo* info, int minimum, int maximum) {
    if (maximum == minimum) return refuse();
    const Row rows[1] = {{float(minimum) / 255.0f, 255.0f / float(maximum - minimum), 0.0f, 0.0f}};
    return runPass(d, kFNBrightnessScale, info, rows, 1, 0);
}

int HwFilter_HSB(const HwFilterDevice& d, GraphFilterInfo* info, int hueMode, float hue, float saturation,
                 float bright) {
    const Row rows[3] = {{hue, saturation > 0.0f ? saturation * 5.0f : saturation, bright, 0.0f},
                         {0.5f, 0.5f, 0.5f, 0.5f},
                         {1.0f, 1.0f, 1.0f, 1.0f}};
    if (hueMode == 1 || info->passCount < 2) return runPass(d, kFNHsb + (hueMode == 1 ? 1 : 0), info, rows, 3, 0);
    // The pair: the first pass takes the base slot, the second its own.
    const int second = info->passIndex == 1;
    const int shader = HwFilterShader(d, second ? kHwHsbSecondSlot : kFNHsb, HwFilterNames[kFNHsbPair + second]);
    return runShader(d, shader, info, rows, 3, 0);
}

int HwFilter_Invert(const HwFilterDevice& d, GraphFilterInfo* info) {
    return runPass(d, kFNInvert, info, nullptr, 0, 0);
}

int HwFilter_Level(const HwFilterDevice& d, GraphFilterInfo* info, float inputMin, float inputMax, float outputMin,
                   float outputMax) {
    const int gammaGraph = GraphFilterShaderHandleTable[kGraphFilterGammaGraphSlot];
    if (GetGraphData(gammaGraph) == nullptr) return refuse();
    const float span = inputMax - inputMin;
    const Row rows[1] = {{inputMin, span > 0.0f ? 1.0f / span : 0.0f, outputMin, outputMax}};
    return runPass(d, kFNLevel, info, rows, 1, 1, 1, gammaGraph);
}

int HwFilter_TwoColor(const HwFilterDevice& d, GraphFilterInfo* info, float threshold, const float* below,
                      const float* above) {
    if (below == nullptr || above == nullptr) return refuse();
    Row rows[3] = {{kLuma[0], kLuma[1], kLuma[2], threshold / 255.0f}};
    copyRow(rows[1], below);
    copyRow(rows[2], above);
    return runPass(d, kFNTwoColor, info, rows, 3, 0);
}

int HwFilter_GradientMap(const HwFilterDevice& d, GraphFilterInfo* info, int gradientGraph, int reverse) {
    const GraphData* g = GetGraphData(gradientGraph);
    if (g == nullptr) return refuse();
    // The gradient's width rides in c1: the shader picks its column as the software table does.
    const Row rows[2] = {{kLuma[0], kLuma[1], kLuma[2], 0.0f}, {float(g->area.width), 0.0f, 0.0f, 0.0f}};
    return runPass(d, kFNGradientMap + (reverse ? 1 : 0), info, rows, 2, 0, 1, gradientGraph);
}

int HwFilter_PremultipliedAlpha(const HwFilterDevice& d, GraphFilterInfo* info) {
    return runPass(d, kFNPremultipliedAlpha, info, nullptr, 0, 0);
}

int HwFilter_InterpolatedAlpha(const HwFilterDevice& d, GraphFilterInfo* info) {
    return runPass(d, kFNInterpolatedAlpha, info, nullptr, 0, 0);
}

int HwFilter_Y2UVToRGB(const HwFilterDevice& d, GraphFilterInfo* info, int uvGraph) {
    int ytw, yth;
    if (!d.textureSize(info->source, &ytw, &yth)) return refuse();
    const bool halves = info->kind == kGraphFilterYuvToRgbRRA || info->kind == kGraphFilterYuvToRgbUVRRA;
    const bool withUV = uvGraph >= 0;
    // The Y graph may be a work screen now: its ratios are those of the picture it holds.
    const GraphData* picture = GetGraphData(runSource);
    if (picture == nullptr) return refuse();
    const float yu = float(picture->area.width) / float(ytw), yv = float(picture->area.height) / float(yth);
    Row rows[1] = {};
    if (withUV) {
        const GraphData* uv = GetGraphData(uvGraph);
        int utw, uth;
        if (uv == nullptr || !d.textureSize(uvGraph, &utw, &uth)) return refuse();
        const float uu = float(uv->area.width) / float(utw), uvv = float(uv->area.height) / float(uth);
        rows[0][0] = uu / yu, rows[0][1] = uvv / yv, rows[0][2] = yu * 0.5f, rows[0][3] = uu * 0.5f;
    } else if (halves) {
        rows[0][2] = yu * 0.5f;
    }
    return runPass(d, kFNYuv + (halves ? 2 : 0) + (withUV ? 1 : 0), info, rows, 1, 0, 1, uvGraph);
}

namespace {
// The resamplers draw their own quad: destination size, with coordinate set k carrying the
// source coordinate shifted by k - taps / 2 + 0.5 texels on both axes.
int resample(const HwFilterDevice& d, int name, int taps, GraphFilterInfo* info, int width, int height) {
    int tw, th;
    if (width < 1 || height < 1 || !d.textureSize(info->source, &tw, &th)) return refuse();
    int x, y;
    HwFilterPassOrigin(info, &x, &y);
    const float u[2] = {float(info->x1) / float(tw), float(info->x2) / float(tw)};
    const float v[2] = {float(info->y1) / float(th), float(info->y2) / float(th)};
    HwFilterVertex8 quad[4] = {};
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
    return runPass(d, name, info, rows, 2, 0, 1, -1, quad);
}
}  // namespace

int HwFilter_Bicubic(const HwFilterDevice& d, GraphFilterInfo* info, int width, int height) {
    return resample(d, kFNBicubic, 4, info, width, height);
}

int HwFilter_Lanczos3(const HwFilterDevice& d, GraphFilterInfo* info, int width, int height) {
    return resample(d, kFNLanczos3, 6, info, width, height);
}

int HwFilter_BasicBlend(const HwFilterDevice& d, GraphFilterInfo* info) {
    if (info->kind < 0 || info->kind >= kGraphBlendKindCount || info->kind == kGraphBlendRGBAMix) return refuse();
    const float r = info->blendRatio;
    const Row rows[2] = {{r, r, r, r}, {1.0f, 1.0f, 1.0f, 1.0f}};
    return runPass(d, kFNBlend + info->kind, info, rows, 2, 1);
}

int HwFilter_RGBAMix(const HwFilterDevice& d, GraphFilterInfo* info, int red, int green, int blue, int alpha) {
    const int sel[4] = {red, green, blue, alpha};
    for (int s : sel)
        if (s < 0 || s > 7) return refuse();
    const HwMixChoice c = HwChooseMix(red, green, blue, alpha);
    const int shader = hwMixShader(d, c);
    if (shader < 0) return refuse();
    const float ratio = info->blendRatio;
    const Row rows[2] = {{ratio, ratio, ratio, ratio},
                         {float(red) + 0.5f, float(green) + 0.5f, float(blue) + 0.5f, float(alpha) + 0.5f}};
    if (c.swap) std::swap(info->source, info->blendGraph);
    const int result = runShader(d, shader, info, rows, 2, 0);
    if (c.swap) std::swap(info->source, info->blendGraph);
    return result;
}

}  // namespace ZaDod
