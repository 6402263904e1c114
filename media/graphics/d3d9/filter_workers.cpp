// The Direct3D 9 filter and blend entries: each runs the shared worker over this back
// end's device steps.
#include "media/graphics/d3d9/d3d9_filter.h"

namespace ZaDod {

int Graphics_D3D9_Filter_Mono(GraphFilterInfo* info, float cb, float cr) {
    return HwFilter_Mono(D3D9FilterDevice, info, cb, cr);
}
int Graphics_D3D9_Filter_Gauss(GraphFilterInfo* info, int kernelWidth, float, const float* weights) {
    return HwFilter_Gauss(D3D9FilterDevice, info, kernelWidth, weights);
}
int Graphics_D3D9_Filter_DownScale(GraphFilterInfo* info, int divisor) {
    return HwFilter_DownScale(D3D9FilterDevice, info, divisor);
}
int Graphics_D3D9_Filter_BrightClip(GraphFilterInfo* info, int compare, float threshold, int fillFlag,
                                    const float* fillColor) {
    return HwFilter_BrightClip(D3D9FilterDevice, info, compare, threshold, fillFlag, fillColor);
}
int Graphics_D3D9_Filter_BrightnessScale(GraphFilterInfo* info, int minimum, int maximum) {
    return HwFilter_BrightnessScale(D3D9FilterDevice, info, minimum, maximum);
}
int Graphics_D3D9_Filter_HSB(GraphFilterInfo* info, int hueMode, float hue, float saturation, float bright) {
    return HwFilter_HSB(D3D9FilterDevice, info, hueMode, hue, saturation, bright);
}
int Graphics_D3D9_Filter_Invert(GraphFilterInfo* info) { return HwFilter_Invert(D3D9FilterDevice, info); }
int Graphics_D3D9_Filter_Level(GraphFilterInfo* info, float inputMin, float inputMax, float, float outputMin,
                               float outputMax) {
    return HwFilter_Level(D3D9FilterDevice, info, inputMin, inputMax, outputMin, outputMax);
}
int Graphics_D3D9_Filter_TwoColor(GraphFilterInfo* info, float threshold, const float* below, const float* above) {
    return HwFilter_TwoColor(D3D9FilterDevice, info, threshold, below, above);
}
int Graphics_D3D9_Filter_GradientMap(GraphFilterInfo* info, int gradientGraph, int reverse) {
    return HwFilter_GradientMap(D3D9FilterDevice, info, gradientGraph, reverse);
}
int Graphics_D3D9_Filter_PremultipliedAlpha(GraphFilterInfo* info) {
    return HwFilter_PremultipliedAlpha(D3D9FilterDevice, info);
}
int Graphics_D3D9_Filter_InterpolatedAlpha(GraphFilterInfo* info) {
    return HwFilter_InterpolatedAlpha(D3D9FilterDevice, info);
}
int Graphics_D3D9_Filter_Y2UVToRGB(GraphFilterInfo* info, int uvGraph) {
    return HwFilter_Y2UVToRGB(D3D9FilterDevice, info, uvGraph);
}
int Graphics_D3D9_Filter_Bicubic(GraphFilterInfo* info, int width, int height) {
    return HwFilter_Bicubic(D3D9FilterDevice, info, width, height);
}
int Graphics_D3D9_Filter_Lanczos3(GraphFilterInfo* info, int width, int height) {
    return HwFilter_Lanczos3(D3D9FilterDevice, info, width, height);
}
int Graphics_D3D9_Filter_BasicBlend(GraphFilterInfo* info) { return HwFilter_BasicBlend(D3D9FilterDevice, info); }
int Graphics_D3D9_Filter_RGBAMix(GraphFilterInfo* info, int red, int green, int blue, int alpha) {
    return HwFilter_RGBAMix(D3D9FilterDevice, info, red, green, blue, alpha);
}

}  // namespace ZaDod
