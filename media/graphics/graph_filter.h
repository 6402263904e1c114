// Graph filters and blends: the fronts, the engine that checks and clips a request and
// runs its passes, the per-kind workers (device routine or software loop) and the
// work images the software loops read and write.
#pragma once
#include <cstdarg>
#include <cstdint>

#include "media/graphics/base_image.h"
#include "media/graphics/hardware_types.h"

namespace ZaDod {

enum GraphFilterType : int {
    kGraphFilterMono = 0,
    kGraphFilterGauss = 1,
    kGraphFilterDownScale = 2,
    kGraphFilterBrightClip = 3,
    kGraphFilterBrightnessScale = 4,
    kGraphFilterHsb = 5,
    kGraphFilterInvert = 6,
    kGraphFilterLevel = 7,
    kGraphFilterTwoColor = 8,
    kGraphFilterGradientMap = 9,
    kGraphFilterPremultipliedAlpha = 10,
    kGraphFilterInterpolatedAlpha = 11,
    kGraphFilterYuvToRgb = 12,
    kGraphFilterYuvToRgbUV = 13,
    kGraphFilterYuvToRgbRRA = 14,
    kGraphFilterYuvToRgbUVRRA = 15,
    kGraphFilterBicubic = 16,
    kGraphFilterLanczos3 = 17,
    kGraphFilterKindCount = 18,
};

enum GraphBlendType : int {
    kGraphBlendNormal = 0,
    kGraphBlendRGBAMix = 1,
    kGraphBlendMultiple = 2,
    kGraphBlendDifference = 3,
    kGraphBlendAdd = 4,
    kGraphBlendScreen = 5,
    kGraphBlendOverlay = 6,
    kGraphBlendDodge = 7,
    kGraphBlendBurn = 8,
    kGraphBlendDarken = 9,
    kGraphBlendLighten = 10,
    kGraphBlendSoftLight = 11,
    kGraphBlendHardLight = 12,
    kGraphBlendExclusion = 13,
    kGraphBlendNormalAlphaCh = 14,
    kGraphBlendAddAlphaCh = 15,
    kGraphBlendMultipleAOnly = 16,
    kGraphBlendPMAMultipleAOnly = 17,
    kGraphBlendKindCount = 18,
};

// One engine run, handed to every worker and device routine.
struct GraphFilterInfo {
    int32_t blendFlag;  // 0 filter, 1 blend
    int32_t kind;
    int32_t source;       // this pass's source
    int32_t blendGraph;   // -1 for filters
    int32_t destination;  // this pass's receiving graph
    int32_t downScaleFlag;
    float blendRatio;  // 0..1
    int32_t passIndex;
    int32_t x1, y1, x2, y2;  // source rectangle after clipping, x2/y2 exclusive
    int32_t downScaleDivisor;
    int32_t blendX, blendY;
    int32_t blendPosFlag;
    int32_t destX, destY;
    int32_t passCount;
    int32_t workFlag;
    int32_t workWidth, workHeight;
    BaseImage sourceImage, blendImage, destImage;
    // The work images are views of the graphs' own pixels (kGraphFilterOwnPixels...), or
    // images of their own (0).
    int32_t ownPixels;
};

enum : int32_t {
    kGraphFilterOwnPixelsApart = 1,     // the source does not overlap the destination
    kGraphFilterOwnPixelsInPlace = 2,   // the source is the destination, pixel for pixel
};

// A kind's decoded arguments, as the pass set-up and the workers receive them.
struct GraphFilterParam {
    int32_t ints[4];
    float floats[10];
    int32_t graph;  // gradient or UV graph, -1 none
};

// Fronts. Each returns the engine's result: 0, or -1 for a refused request.
int GraphFilter(int graph, int type, ...);
int GraphFilterBlt(int source, int destination, int type, ...);
int GraphFilterRectBlt(int source, int destination, int x1, int y1, int x2, int y2, int destX, int destY,
                       int type, ...);
int GraphFilterBlendBase(int blendFlag, int source, int blendGraph, int destination, int blendRatio, int type,
                         int x1, int y1, int x2, int y2, int blendX, int blendY, int blendPosFlag, int destX,
                         int destY, va_list args);
// The same engine with the arguments already decoded into ints (in the order the
// kind reads them); for callers that have no variable argument list.
int GraphFilterBlendWithArgs(int blendFlag, int source, int blendGraph, int destination, int blendRatio,
                             int type, int x1, int y1, int x2, int y2, int blendX, int blendY, int blendPosFlag,
                             int destX, int destY, const int* args, int argCount);

// The filter-shader handle table: the back ends' filter shaders, the Level gamma-table
// graph and the gamma it holds. Slots of deleted handles read -1.
constexpr int kGraphFilterShaderSlots = 321;
constexpr int kGraphFilterGammaGraphSlot = 319;
constexpr int kGraphFilterGammaKeySlot = 320;
extern int32_t GraphFilterShaderHandleTable[kGraphFilterShaderSlots];
int ResetGraphFilterShaderHandleTable();
// Stores a handle into a slot and registers the slot as the handle's delete flag.
int SetGraphFilterShaderHandle(int slot, int handle);

// Workers.
int GraphFilter_Mono(GraphFilterInfo* info, float cb, float cr);
int GraphFilter_Gauss(GraphFilterInfo* info, int pixelWidth, float strength);
int GraphFilter_DownScale(GraphFilterInfo* info, int divisor);
int GraphFilter_BrightClip(GraphFilterInfo* info, int compare, float threshold, int fillFlag,
                           const float* fillColor);
int GraphFilter_BrightnessScale(GraphFilterInfo* info, int minimum, int maximum);
int GraphFilter_Hsb(GraphFilterInfo* info, int hueMode, float hue, float saturation, float bright);
int GraphFilter_Invert(GraphFilterInfo* info);
int GraphFilter_Level(GraphFilterInfo* info, float inMin, float inMax, float gamma, float outMin, float outMax);
int GraphFilter_TwoColor(GraphFilterInfo* info, float threshold, const float* below, const float* above);
int GraphFilter_GradientMap(GraphFilterInfo* info, int gradientGraph, int reverse);
int GraphFilter_PremultipliedAlpha(GraphFilterInfo* info);
int GraphFilter_InterpolatedAlpha(GraphFilterInfo* info);
int GraphFilter_YuvToRgb(GraphFilterInfo* info, int uvGraph);
int GraphFilter_Bicubic(GraphFilterInfo* info, int width, int height);
int GraphFilter_Lanczos3(GraphFilterInfo* info, int width, int height);
int GraphBlend_Basic(GraphFilterInfo* info);
int GraphBlend_RGBAMix(GraphFilterInfo* info, int red, int green, int blue, int alpha);

// Work images (software path).
int GraphFilter_GetGraphImage(int graph, BaseImage* image, const ImageRect* rect);
int GraphFilter_PrepareSourceImage(GraphFilterInfo* info, int freshDestination, int width, int height,
                                   const ImageRect* rect);
int GraphFilter_WriteResultImage(GraphFilterInfo* info);
// For a worker that writes every destination pixel from the source (and blend) pixel at
// the same place: makes the work images views of the graphs' own pixels when they are
// software graphs already in the work images' layout and the destination overlaps no
// blend pixel and no source pixel other than its own. Returns info->ownPixels (0: use
// GraphFilter_PrepareSourceImage). GraphFilter_WriteResultImage then only marks the
// destination's derived tables for remaking.
int GraphFilter_UseOwnPixels(GraphFilterInfo* info);
// Clears a rectangle of a graph to transparent black.
void GraphFilter_ClearRect(int graph, int x, int y, int width, int height);
// Releases whatever work images the record still holds.
void GraphFilter_ReleaseWorkImages(GraphFilterInfo* info);

// The cached Gaussian weights and Level tables.
struct GraphFilterGaussWeightsData {
    float weights[16];
    float strength;
    int width;
};
extern GraphFilterGaussWeightsData GraphFilterGaussWeights;
// Rebuilds the weights for the kernel width (8, 16 or 32) and strength when the keys differ.
const float* GetGraphFilterGaussWeights(int kernelWidth, float strength);
struct GraphFilterLevelGammaTableData {
    uint8_t table[256];
    float gamma;
};
extern GraphFilterLevelGammaTableData GraphFilterLevelGammaTable;
const uint8_t* GetGraphFilterLevelTable(float gamma);
// The kernel width a requested pixel width uses: 8, 16 or 32.
int GraphFilterGaussKernelWidth(int pixelWidth);

// Platform routines: forwarded to the back end of the running API; without one, the
// filter routines do nothing and the pass routines run one software pass plan.
int Graphics_Hardware_Filter_Mono(GraphFilterInfo* info, float cb, float cr);
int Graphics_Hardware_Filter_Gauss(GraphFilterInfo* info, int kernelWidth, float strength, const float* weights);
int Graphics_Hardware_Filter_DownScale(GraphFilterInfo* info, int divisor);
int Graphics_Hardware_Filter_BrightClip(GraphFilterInfo* info, int compare, float threshold, int fillFlag,
                                        const float* fillColor);
int Graphics_Hardware_Filter_BrightnessScale(GraphFilterInfo* info, int minimum, int maximum);
int Graphics_Hardware_Filter_HSB(GraphFilterInfo* info, int hueMode, float hue, float saturation, float bright);
int Graphics_Hardware_Filter_Invert(GraphFilterInfo* info);
int Graphics_Hardware_Filter_Level(GraphFilterInfo* info, float inputMin, float inputMax, float gamma,
                                   float outputMin, float outputMax);
int Graphics_Hardware_Filter_TwoColor(GraphFilterInfo* info, float threshold, const float* below,
                                      const float* above);
int Graphics_Hardware_Filter_GradientMap(GraphFilterInfo* info, int gradientGraph, int reverse);
int Graphics_Hardware_Filter_PremultipliedAlpha(GraphFilterInfo* info);
int Graphics_Hardware_Filter_InterpolatedAlpha(GraphFilterInfo* info);
int Graphics_Hardware_Filter_Y2UVToRGB(GraphFilterInfo* info, int uvGraph);
int Graphics_Hardware_Filter_Bicubic(GraphFilterInfo* info, int width, int height);
int Graphics_Hardware_Filter_Lanczos3(GraphFilterInfo* info, int width, int height);
int Graphics_Hardware_Filter_BasicBlend(GraphFilterInfo* info);
int Graphics_Hardware_Filter_RGBAMix(GraphFilterInfo* info, int red, int green, int blue, int alpha);
int Graphics_Hardware_FilterPass_SelectSampling(GraphFilterInfo* info, const GraphFilterParam* param);
int Graphics_Hardware_FilterPass_Begin(GraphFilterInfo* info, int* sourceHandle, int* destHandle);
int Graphics_Hardware_FilterPass_End();
int Graphics_Hardware_FilterPass_CopyResult(GraphFilterInfo* info, int lastDest, int lastResult);

}  // namespace ZaDod
