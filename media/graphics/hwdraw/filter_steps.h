// The graph-filter work both hardware back ends share: the filter shaders' name table and
// handle slots, their loading by name, the channel-mix shader choice, the work-screen
// cache, the pass plan (which graph each pass reads and writes) and every worker's
// constants and passes, all over a small table of the back end's own device steps.
#pragma once
#include <cstdint>

#include "media/graphics/graph_filter.h"

namespace ZaDod {

// Name-table entries (and, below kFNLetters, handle slots) of the filter and blend shaders.
enum HwFilterName : int {
    kFNMono = 0,
    kFNGauss = 1,          // 8, 16, 32 pixels
    kFNDownScale = 4,      // x2, x4, x8
    kFNBrightClip = 7,     // fill + 2 × greater
    kFNBrightnessScale = 11,
    kFNHsb = 12,           // base, hue lock
    kFNInvert = 14,
    kFNLevel = 15,
    kFNTwoColor = 16,
    kFNGradientMap = 17,   // plain, reversed
    kFNPremultipliedAlpha = 19,
    kFNInterpolatedAlpha = 20,
    kFNYuv = 21,           // four forms
    kFNBicubic = 25,
    kFNLanczos3 = 26,
    kFNBlend = 27,         // + blend kind (kind 1 has no entry)
    kFNRGBAMixBase = 45,
    kFNLetters = 46,       // "R", "G", "B", "A"
    kFNHsbPair = 50,       // the two-pass HSB: to the adjusted colour, then the turn
    kFNCount = 52,
};
extern const char* const HwFilterNames[kFNCount];

// Handle slots: each named shader at its name-table entry (the base mix at 45), then the
// 256 indexed mixes and the 16 named mixes. The two-pass HSB takes the base HSB slot for
// its first pass (a back end runs one form or the other) and the slot after the named
// mixes for its second; all end below the gamma-graph slot.
constexpr int kHwMixBaseSlot = kFNRGBAMixBase;
constexpr int kHwMixIndexedSlot = kFNRGBAMixBase + 1;
constexpr int kHwMixNamedSlot = kHwMixIndexedSlot + 256;
constexpr int kHwHsbSecondSlot = kHwMixNamedSlot + 16;
static_assert(kHwHsbSecondSlot < kGraphFilterGammaGraphSlot);

// A corner of a resampling quad: target position and eight source coordinate pairs.
struct HwFilterVertex8 {
    float x, y;
    float uv[8][2];
};

// The steps a back end gives the shared passes and workers.
struct HwFilterDevice {
    // The shader made from a file of the back end's filter archive; -1 (not logged) when
    // the file or the shader cannot be had.
    int (*loadShader)(const char* fileName);
    // The indexed channel-mix code and its size; null when the table lacks it.
    const void* (*mixCode)(int index, int* size);
    // Writes count float4 rows from register 0 of the filter constants; the clear (may be
    // null) gives them back after the pass.
    void (*setRows)(const float (*rows)[4], int count);
    void (*clearRows)(int count);
    // The common pass: the pass's source rectangle through the pixel shader into the pass
    // target (info->destination) at HwFilterPassOrigin. extraGraph is the second texture
    // when the pass is no blend (-1 none); custom replaces the quad's four corners.
    int (*drawQuad)(int shader, GraphFilterInfo* info, int linear, int divisor, int extraGraph,
                    const HwFilterVertex8* custom);
    // The allocated texture size of a graph's first piece.
    bool (*textureSize)(int graph, int* width, int* height);
    // 1 when the graph's first piece can be drawn into.
    bool (*drawable)(int graph);
    // Draws every piece of a graph into a work screen at its place in the graph.
    int (*assemble)(int graph, int work);
    // Copies a rectangle of one graph's first piece (texel coordinates in the graphs) to
    // a drawable graph; a copy into the rows below stretches its source to fit.
    int (*copyRect)(int fromGraph, int x1, int y1, int x2, int y2, int toGraph, int dx1, int dy1, int dx2, int dy2);
    // Copies the destination's filtered rectangle from a graph to the destination.
    int (*copyResult)(const ImageRect* rect, int fromGraph, int toGraph);
    // 1: HSB mode 0 runs as the two-pass pair.
    int hsbPair;
};

// The handle in a slot, loading the file on first use; failures log "フィルター用シェーダー
// の作成に失敗しました <file>" and give -1.
int HwFilterShader(const HwFilterDevice& device, int slot, const char* fileName);

// The shader choice for four channel selectors (each 0..7); swap tells whether the graphs
// trade places for the pass.
struct HwMixChoice {
    int slot;
    int index;  // indexed form, else -1
    char name[40];
    bool swap;
    int selectors[4];
};
HwMixChoice HwChooseMix(int red, int green, int blue, int alpha);
// The handle of a choice's shader (indexed from the mix table, named from the archive),
// loaded on first use; failures are logged and give -1.
int hwMixShader(const HwFilterDevice& device, const HwMixChoice& choice);

// The work screen cached for (colour kind, size exponent of the larger side, slot): a
// square 32-bit drawable graph with alpha, made on first use; -1 (logged) on failure.
int HwFilter_CreateWorkScreen(int colorKind, int width, int height, int slot);

// The pass plan. SelectSampling records the request's own source and destination and
// sets the pass count and work flag (workAlways: every pass goes through a work screen
// when source and destination are the same graph, as the two-pass forms need).
int HwFilterPass_SelectSampling(const HwFilterDevice& device, GraphFilterInfo* info, const GraphFilterParam* param,
                                bool workAlways);
int HwFilterPass_Begin(const HwFilterDevice& device, GraphFilterInfo* info, int* sourceHandle, int* destHandle);
int HwFilterPass_CopyResult(const HwFilterDevice& device, GraphFilterInfo* info, int lastDest, int lastResult);
// Where a pass draws in its target: the destination position on the last pass, the source
// rectangle's corner on a pass whose result a later pass reads.
void HwFilterPassOrigin(const GraphFilterInfo* info, int* x, int* y);
// The source and destination the running request named (passes may read a work screen).
int HwFilterRunSource();
int HwFilterRunDestination();

// The workers: constants and passes of each filter and blend kind.
int HwFilter_Mono(const HwFilterDevice& d, GraphFilterInfo* info, float cb, float cr);
int HwFilter_Gauss(const HwFilterDevice& d, GraphFilterInfo* info, int kernelWidth, const float* weights);
int HwFilter_DownScale(const HwFilterDevice& d, GraphFilterInfo* info, int divisor);
int HwFilter_BrightClip(const HwFilterDevice& d, GraphFilterInfo* info, int compare, float threshold, int fillFlag,
                        const float* fillColor);
int HwFilter_BrightnessScale(const HwFilterDevice& d, GraphFilterInfo* info, int minimum, int maximum);
int HwFilter_HSB(const HwFilterDevice& d, GraphFilterInfo* info, int hueMode, float hue, float saturation,
                 float bright);
int HwFilter_Invert(const HwFilterDevice& d, GraphFilterInfo* info);
int HwFilter_Level(const HwFilterDevice& d, GraphFilterInfo* info, float inputMin, float inputMax, float outputMin,
                   float outputMax);
int HwFilter_TwoColor(const HwFilterDevice& d, GraphFilterInfo* info, float threshold, const float* below,
                      const float* above);
int HwFilter_GradientMap(const HwFilterDevice& d, GraphFilterInfo* info, int gradientGraph, int reverse);
int HwFilter_PremultipliedAlpha(const HwFilterDevice& d, GraphFilterInfo* info);
int HwFilter_InterpolatedAlpha(const HwFilterDevice& d, GraphFilterInfo* info);
int HwFilter_Y2UVToRGB(const HwFilterDevice& d, GraphFilterInfo* info, int uvGraph);
int HwFilter_Bicubic(const HwFilterDevice& d, GraphFilterInfo* info, int width, int height);
int HwFilter_Lanczos3(const HwFilterDevice& d, GraphFilterInfo* info, int width, int height);
int HwFilter_BasicBlend(const HwFilterDevice& d, GraphFilterInfo* info);
int HwFilter_RGBAMix(const HwFilterDevice& d, GraphFilterInfo* info, int red, int green, int blue, int alpha);

}  // namespace ZaDod

// Defines a back end's filter and blend entries (Graphics_<api>_Filter_Mono and the rest,
// with the operation table's parameters), each running the shared worker over `device`.
#define HALVORINE_HW_FILTER_ENTRIES(api, device)                                                                   \
    int Graphics_##api##_Filter_Mono(GraphFilterInfo* info, float cb, float cr) {                                \
        return HwFilter_Mono(device, info, cb, cr);                                                              \
    }                                                                                                            \
    int Graphics_##api##_Filter_Gauss(GraphFilterInfo* info, int kernelWidth, float, const float* weights) {     \
        return HwFilter_Gauss(device, info, kernelWidth, weights);                                               \
    }                                                                                                            \
    int Graphics_##api##_Filter_DownScale(GraphFilterInfo* info, int divisor) {                                  \
        return HwFilter_DownScale(device, info, divisor);                                                        \
    }                                                                                                            \
    int Graphics_##api##_Filter_BrightClip(GraphFilterInfo* info, int compare, float threshold, int fillFlag,    \
                                           const float* fillColor) {                                             \
        return HwFilter_BrightClip(device, info, compare, threshold, fillFlag, fillColor);                       \
    }                                                                                                            \
    int Graphics_##api##_Filter_BrightnessScale(GraphFilterInfo* info, int minimum, int maximum) {               \
        return HwFilter_BrightnessScale(device, info, minimum, maximum);                                         \
    }                                                                                                            \
    int Graphics_##api##_Filter_HSB(GraphFilterInfo* info, int hueMode, float hue, float saturation,             \
                                    float bright) {                                                              \
        return HwFilter_HSB(device, info, hueMode, hue, saturation, bright);                                     \
    }                                                                                                            \
    int Graphics_##api##_Filter_Invert(GraphFilterInfo* info) { return HwFilter_Invert(device, info); }          \
    int Graphics_##api##_Filter_Level(GraphFilterInfo* info, float inputMin, float inputMax, float,              \
                                      float outputMin, float outputMax) {                                        \
        return HwFilter_Level(device, info, inputMin, inputMax, outputMin, outputMax);                           \
    }                                                                                                            \
    int Graphics_##api##_Filter_TwoColor(GraphFilterInfo* info, float threshold, const float* below,             \
                                         const float* above) {                                                   \
        return HwFilter_TwoColor(device, info, threshold, below, above);                                         \
    }                                                                                                            \
    int Graphics_##api##_Filter_GradientMap(GraphFilterInfo* info, int gradientGraph, int reverse) {             \
        return HwFilter_GradientMap(device, info, gradientGraph, reverse);                                       \
    }                                                                                                            \
    int Graphics_##api##_Filter_PremultipliedAlpha(GraphFilterInfo* info) {                                      \
        return HwFilter_PremultipliedAlpha(device, info);                                                        \
    }                                                                                                            \
    int Graphics_##api##_Filter_InterpolatedAlpha(GraphFilterInfo* info) {                                       \
        return HwFilter_InterpolatedAlpha(device, info);                                                         \
    }                                                                                                            \
    int Graphics_##api##_Filter_Y2UVToRGB(GraphFilterInfo* info, int uvGraph) {                                  \
        return HwFilter_Y2UVToRGB(device, info, uvGraph);                                                        \
    }                                                                                                            \
    int Graphics_##api##_Filter_Bicubic(GraphFilterInfo* info, int width, int height) {                          \
        return HwFilter_Bicubic(device, info, width, height);                                                    \
    }                                                                                                            \
    int Graphics_##api##_Filter_Lanczos3(GraphFilterInfo* info, int width, int height) {                         \
        return HwFilter_Lanczos3(device, info, width, height);                                                   \
    }                                                                                                            \
    int Graphics_##api##_Filter_BasicBlend(GraphFilterInfo* info) { return HwFilter_BasicBlend(device, info); }  \
    int Graphics_##api##_Filter_RGBAMix(GraphFilterInfo* info, int red, int green, int blue, int alpha) {        \
        return HwFilter_RGBAMix(device, info, red, green, blue, alpha);                                          \
    }
