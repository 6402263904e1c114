// The Direct3D 11 filter and blend entries: each runs the shared worker over this back
// end's device steps.
#include "media/graphics/d3d11/d3d11_filter.h"

namespace ZaDod {

int Graphics_D3D11_Filter_Mono(GraphFilterInfo* info, float cb, float cr) {
    return HwFilter_Mono(D3D11FilterDevice, info, cb, cr);
}
int Graphics_D3D11_Filter_Gauss(GraphFilterInfo* info, int kernelWidth, float, const float* weights) {
    return HwFilter_Gauss(D3D11FilterDevice, info, kernelWidth, weights);
}
int Graphics_D3D11_Filter_DownScale(GraphFilterInfo* info, int divisor) {
    return HwFilter_DownScale(D3D11FilterDevice, info, divisor);
}
int Graphics_D3D11_Filter_BrightClip(GraphFilterInfo* info, int compare, float threshold, int fillFlag,
                                     const float* fillColor) {
    return HwFilter_BrightClip(D3D11FilterDevice, info, compare, threshold, fillFlag, fillColor);
}
int Graphics_D3D11_Filter_BrightnessScale(GraphFilterInfo* info, int minimum, int maximum) {
    return HwFilter_BrightnessScale(D3D11FilterDevice, info, minimum, maximum);
}
int Graphics_D3D11_Filter_HSB(GraphFilterInfo* info, int hueMode, float hue, float saturation, float bright) {
    return HwFilter_HSB(D3D11FilterDevice, info, hueMode, hue, saturation, bright);
}
int Graphics_D3D11_Filter_Invert(GraphFilterInfo* info) { return HwFilter_Invert(D3D11FilterDevice, info); }
int Graphics_D3D11_Filter_Level(GraphFilterInfo* info, float inputMin, float inputMax, float, float outputMin,
                                float outputMax) {
    return HwFilter_Level(D3D11FilterDevice, info, inputMin, inputMax, outputMin, outputMax);
}
int Graphics_D3D11_Filter_TwoColor(GraphFilterInfo* info, float threshold, const float* below, const float* above) {
    return HwFilter_TwoColor(D3D11FilterDevice, info, threshold, below, above);
}
int Graphics_D3D11_Filter_GradientMap(GraphFilterInfo* info, int gradientGraph, int reverse) {
    return HwFilter_GradientMap(D3D11FilterDevice, info, gradientGraph, reverse);
}
int Graphics_D3D11_Filter_PremultipliedAlpha(GraphFilterInfo* info) {
    return HwFilter_PremultipliedAlpha(D3D11FilterDevice, info);
}
int Graphics_D3D11_Filter_InterpolatedAlpha(GraphFilterInfo* info) {
    return HwFilter_InterpolatedAlpha(D3D11FilterDevice, info);
}
int Graphics_D3D11_Filter_Y2UVToRGB(GraphFilterInfo* info, int uvGraph) {
    return HwFilter_Y2UVToRGB(D3D11FilterDevice, info, uvGraph);
}
int Graphics_D3D11_Filter_Bicubic(GraphFilterInfo* info, int width, int height) {
    return HwFilter_Bicubic(D3D11FilterDevice, info, width, height);
}
int Graphics_D3D11_Filter_Lanczos3(GraphFilterInfo* info, int width, int height) {
    return HwFilter_Lanczos3(D3D11FilterDevice, info, width, height);
}
int Graphics_D3D11_Filter_BasicBlend(GraphFilterInfo* info) { return HwFilter_BasicBlend(D3D11FilterDevice, info); }
int Graphics_D3D11_Filter_RGBAMix(GraphFilterInfo* info, int red, int green, int blue, int alpha) {
    return HwFilter_RGBAMix(D3D11FilterDevice, info, red, green, blue, alpha);
}

}  // namespace ZaDod
