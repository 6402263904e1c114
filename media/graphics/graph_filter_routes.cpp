// The filter engine's device routines: each forwards to the back end of the running
// API; in software mode the filter routines do nothing and the pass routines plan the
// software passes.
#include "media/graphics/d3d11/d3d11.h"
#include "media/graphics/d3d9/d3d9.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/hardware.h"

namespace ZaDod {

#define HALVORINE_FILTER_ROUTE(name, params, args)              \
    int Graphics_Hardware_##name params {                       \
        switch (GraphicsApiType) {                              \
            case kGraphicsApiD3D9: return Graphics_D3D9_##name args;   \
            case kGraphicsApiD3D11: return Graphics_D3D11_##name args; \
            default: return 0;                                  \
        }                                                       \
    }

HALVORINE_FILTER_ROUTE(Filter_Mono, (GraphFilterInfo * info, float cb, float cr), (info, cb, cr))
HALVORINE_FILTER_ROUTE(Filter_Gauss, (GraphFilterInfo * info, int kernelWidth, float strength, const float* weights),
                       (info, kernelWidth, strength, weights))
HALVORINE_FILTER_ROUTE(Filter_DownScale, (GraphFilterInfo * info, int divisor), (info, divisor))
HALVORINE_FILTER_ROUTE(Filter_BrightClip,
                       (GraphFilterInfo * info, int compare, float threshold, int fillFlag, const float* fillColor),
                       (info, compare, threshold, fillFlag, fillColor))
HALVORINE_FILTER_ROUTE(Filter_BrightnessScale, (GraphFilterInfo * info, int minimum, int maximum),
                       (info, minimum, maximum))
HALVORINE_FILTER_ROUTE(Filter_HSB, (GraphFilterInfo * info, int hueMode, float hue, float saturation, float bright),
                       (info, hueMode, hue, saturation, bright))
HALVORINE_FILTER_ROUTE(Filter_Invert, (GraphFilterInfo * info), (info))
HALVORINE_FILTER_ROUTE(Filter_Level,
                       (GraphFilterInfo * info, float inputMin, float inputMax, float gamma, float outputMin,
                        float outputMax),
                       (info, inputMin, inputMax, gamma, outputMin, outputMax))
HALVORINE_FILTER_ROUTE(Filter_TwoColor, (GraphFilterInfo * info, float threshold, const float* below, const float* above),
                       (info, threshold, below, above))
HALVORINE_FILTER_ROUTE(Filter_GradientMap, (GraphFilterInfo * info, int gradientGraph, int reverse),
                       (info, gradientGraph, reverse))
HALVORINE_FILTER_ROUTE(Filter_PremultipliedAlpha, (GraphFilterInfo * info), (info))
HALVORINE_FILTER_ROUTE(Filter_InterpolatedAlpha, (GraphFilterInfo * info), (info))
HALVORINE_FILTER_ROUTE(Filter_Y2UVToRGB, (GraphFilterInfo * info, int uvGraph), (info, uvGraph))
HALVORINE_FILTER_ROUTE(Filter_Bicubic, (GraphFilterInfo * info, int width, int height), (info, width, height))
HALVORINE_FILTER_ROUTE(Filter_Lanczos3, (GraphFilterInfo * info, int width, int height), (info, width, height))
HALVORINE_FILTER_ROUTE(Filter_BasicBlend, (GraphFilterInfo * info), (info))
HALVORINE_FILTER_ROUTE(Filter_RGBAMix, (GraphFilterInfo * info, int red, int green, int blue, int alpha),
                       (info, red, green, blue, alpha))
HALVORINE_FILTER_ROUTE(FilterPass_CopyResult, (GraphFilterInfo * info, int lastDest, int lastResult),
                       (info, lastDest, lastResult))
#undef HALVORINE_FILTER_ROUTE

int Graphics_Hardware_FilterPass_SelectSampling(GraphFilterInfo* info, const GraphFilterParam* param) {
    switch (GraphicsApiType) {
        case kGraphicsApiD3D9: return Graphics_D3D9_FilterPass_SelectSampling(info, param);
        case kGraphicsApiD3D11: return Graphics_D3D11_FilterPass_SelectSampling(info, param);
        default: break;
    }
    // The software Gauss worker blurs both directions in its one pass: the device paths
    // take two passes for the same blur, one a direction, and a second software pass
    // would blur the picture again.
    const bool gauss = !info->blendFlag && info->kind == kGraphFilterGauss;
    info->passCount = 1;
    info->workFlag = gauss || info->x1 != info->destX || info->y1 != info->destY ? 1 : 0;
    return 0;
}

int Graphics_Hardware_FilterPass_Begin(GraphFilterInfo* info, int* sourceHandle, int* destHandle) {
    switch (GraphicsApiType) {
        case kGraphicsApiD3D9: return Graphics_D3D9_FilterPass_Begin(info, sourceHandle, destHandle);
        case kGraphicsApiD3D11: return Graphics_D3D11_FilterPass_Begin(info, sourceHandle, destHandle);
        default: *destHandle = info->destination; return 0;
    }
}

int Graphics_Hardware_FilterPass_End() {
    return GraphicsApiType == kGraphicsApiD3D9 ? Graphics_D3D9_FilterPass_End() : 0;
}

}  // namespace ZaDod
