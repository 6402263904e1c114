// TEMPORARY SEAM (replaced by the Direct3D 11 filter, mask, vertex-grid, common-buffer,
// user-buffer, shader, shadow-map and 3D-setting modules): the operations not built yet.
// Each answers -1, which the front reports as a failed draw.
#include "media/graphics/d3d11/d3d11.h"

// The stubs keep the real parameter lists, which they do not read.
#pragma GCC diagnostic ignored "-Wunused-parameter"

namespace ZaDod {

int Graphics_D3D11_Buffer_Terminate(BufferHandleData* buffer) { return -1; }
int Graphics_D3D11_SetRenderTarget(int slot, int graph, int surfaceIndex) { return -1; }
int Graphics_D3D11_Shader_Create(int shader, int vertexFlag, const void* code, int size, int freeCode, int async) {
    return -1;
}
int Graphics_D3D11_Shader_Terminate(ShaderHandleData* shader) { return -1; }
int Graphics_D3D11_ShadowMap_RefreshPSParam() { return -1; }
int Graphics_D3D11_ShadowMap_RefreshVSParam() { return -1; }
int Graphics_D3D11_ShadowMap_ReleaseTexture(ShadowMapData* shadowMap) { return -1; }
int Graphics_D3D11_Mask_CreateScreen_KeepOld() { return -1; }
int Graphics_D3D11_Mask_CreateScreen(int width, int height) { return -1; }
int Graphics_D3D11_Mask_CreateScreen_CopyOld(int oldWidth, int oldHeight) { return -1; }
int Graphics_D3D11_Mask_DrawBegin(const ImageRect* rect) { return -1; }
int Graphics_D3D11_Mask_DrawEnd(const ImageRect* rect) { return -1; }
int Graphics_D3D11_Mask_ReleaseScreen() { return -1; }
int Graphics_D3D11_Mask_SetUseMaskScreen() { return -1; }
int Graphics_D3D11_Filter_Mono(GraphFilterInfo* info, float cb, float cr) { return -1; }
int Graphics_D3D11_Filter_Gauss(GraphFilterInfo* info, int kernelWidth, float strength, const float* weights) {
    return -1;
}
int Graphics_D3D11_Filter_DownScale(GraphFilterInfo* info, int divisor) { return -1; }
int Graphics_D3D11_Filter_BrightClip(GraphFilterInfo* info, int compare, float threshold, int fillFlag,
                                     const float* fillColor) {
    return -1;
}
int Graphics_D3D11_Filter_BrightnessScale(GraphFilterInfo* info, int minimum, int maximum) { return -1; }
int Graphics_D3D11_Filter_HSB(GraphFilterInfo* info, int hueMode, float hue, float saturation, float bright) {
    return -1;
}
int Graphics_D3D11_Filter_Invert(GraphFilterInfo* info) { return -1; }
int Graphics_D3D11_Filter_Level(GraphFilterInfo* info, float inputMin, float inputMax, float gamma, float outputMin,
                                float outputMax) {
    return -1;
}
int Graphics_D3D11_Filter_TwoColor(GraphFilterInfo* info, float threshold, const float* below, const float* above) {
    return -1;
}
int Graphics_D3D11_Filter_GradientMap(GraphFilterInfo* info, int gradientGraph, int reverse) { return -1; }
int Graphics_D3D11_Filter_PremultipliedAlpha(GraphFilterInfo* info) { return -1; }
int Graphics_D3D11_Filter_InterpolatedAlpha(GraphFilterInfo* info) { return -1; }
int Graphics_D3D11_Filter_Y2UVToRGB(GraphFilterInfo* info, int uvGraph) { return -1; }
int Graphics_D3D11_Filter_Bicubic(GraphFilterInfo* info, int width, int height) { return -1; }
int Graphics_D3D11_Filter_Lanczos3(GraphFilterInfo* info, int width, int height) { return -1; }
int Graphics_D3D11_Filter_BasicBlend(GraphFilterInfo* info) { return -1; }
int Graphics_D3D11_Filter_RGBAMix(GraphFilterInfo* info, int red, int green, int blue, int alpha) { return -1; }
int Graphics_D3D11_FilterPass_SelectSampling(GraphFilterInfo* info, const GraphFilterParam* param) { return -1; }
int Graphics_D3D11_FilterPass_Begin(GraphFilterInfo* info, int* sourceHandle, int* destHandle) { return -1; }
int Graphics_D3D11_FilterPass_CopyResult(GraphFilterInfo* info, int lastDest, int lastResult) { return -1; }
int Graphics_D3D11_SetVertexOrIndexBufferData(BufferHandleData* buffer, int start, const void* data, int count) {
    return -1;
}

}  // namespace ZaDod
