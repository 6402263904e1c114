// The device operations of the graphics front, as one list each back end mirrors.
// X(result, Name, (parameters), (arguments)) gives Graphics_D3D9_<Name>,
// Graphics_D3D11_<Name> and, for the table, the dispatcher Graphics_Hardware_<Name>.
#pragma once
#include "media/graphics/hardware_types.h"

// Operations whose dispatcher forwards the same arguments to either back end.
#define HALVORINE_HW_TABLE_OPS(X)                                                                               \
    X(int, GetDXTDecodeFlags,                                                                                   \
      (const GraphTextureFormat* format, int colorKind, int* colorDecode, int alphaKind, int* alphaDecode),     \
      (format, colorKind, colorDecode, alphaKind, alphaDecode))                                                 \
    X(int, BltBmpOrBaseImageToGraph3,                                                                           \
      (const ImageRect* srcRect, int destX, int destY, int graph, const BaseImage* colorImage,                  \
       const BaseImage* alphaImage, int redrawFlag, int useTransColor, int textureOnly),                        \
      (srcRect, destX, destY, graph, colorImage, alphaImage, redrawFlag, useTransColor, textureOnly))           \
    X(int, ClearDrawTarget, (const ImageRect* rect), (rect))                                                    \
    X(int, CreateGraphTexture, (GraphOrigData* orig, int asyncThread), (orig, asyncThread))                     \
    X(int, DrawCircle, (int x, int y, int radius, unsigned int color, int fillFlag),                            \
      (x, y, radius, color, fillFlag))                                                                          \
    X(int, DrawThickCircle, (int x, int y, int radius, unsigned int color, int thickness),                      \
      (x, y, radius, color, thickness))                                                                         \
    X(int, DrawStretchedGraph,                                                                                  \
      (int x1, int y1, int x2, int y2, float xf1, float yf1, float xf2, float yf2, GraphData* image,            \
       GraphData* blendImage, int transFlag, int intFlag),                                                      \
      (x1, y1, x2, y2, xf1, yf1, xf2, yf2, image, blendImage, transFlag, intFlag))                              \
    X(int, DrawFilledBox, (int x1, int y1, int x2, int y2, unsigned int color), (x1, y1, x2, y2, color))        \
    X(int, DrawGraph,                                                                                           \
      (int x, int y, float xf, float yf, GraphData* image, GraphData* blendImage, int transFlag, int intFlag),  \
      (x, y, xf, yf, image, blendImage, transFlag, intFlag))                                                    \
    X(int, DrawBoxOutline, (int x1, int y1, int x2, int y2, unsigned int color), (x1, y1, x2, y2, color))       \
    X(int, DrawLine, (int x1, int y1, int x2, int y2, unsigned int color), (x1, y1, x2, y2, color))             \
    X(int, DrawOval, (int x, int y, int radiusX, int radiusY, unsigned int color, int fillFlag),                \
      (x, y, radiusX, radiusY, color, fillFlag))                                                                \
    X(int, DrawThickOval, (int x, int y, int radiusX, int radiusY, unsigned int color, int thickness),          \
      (x, y, radiusX, radiusY, color, thickness))                                                               \
    X(int, DrawPixel, (int x, int y, unsigned int color), (x, y, color))                                        \
    X(int, DrawPrimitive2D,                                                                                     \
      (const Vertex2D* vertices, int count, int primitiveType, GraphData* image, int keyBits, int flag3D,       \
       int texturePiece),                                                                                       \
      (vertices, count, primitiveType, image, keyBits, flag3D, texturePiece))                                   \
    X(int, DrawUserPolygon2D,                                                                                   \
      (const Vertex2D* vertices, int count, int primitiveType, int textureHandle, int keyBits, int form,        \
       int flag3D, int reverseFlag, int texturePiece, int shadowMapFlag),                                       \
      (vertices, count, primitiveType, textureHandle, keyBits, form, flag3D, reverseFlag, texturePiece,         \
       shadowMapFlag))                                                                                          \
    X(int, DrawRotatedGraph,                                                                                    \
      (int x, int y, float centerX, float centerY, double scale, double angle, GraphData* image,                \
       GraphData* blendImage, int transFlag, int turnFlag),                                                     \
      (x, y, centerX, centerY, scale, angle, image, blendImage, transFlag, turnFlag))                           \
    X(int, DrawGraphQuadList, (const GraphQuadList* request, GraphData* blendImage), (request, blendImage))     \
    X(int, DrawTriangle, (int x1, int y1, int x2, int y2, int x3, int y3, unsigned int color, int fillFlag),    \
      (x1, y1, x2, y2, x3, y3, color, fillFlag))                                                                \
    X(int, FillGraph, (GraphData* graph, int red, int green, int blue, int alpha),                              \
      (graph, red, green, blue, alpha))                                                                         \
    X(int, CopyGraphRectToGraph, (const ImageRect* srcRect, int srcGraph, int destGraph, int destX, int destY), \
      (srcRect, srcGraph, destGraph, destX, destY))                                                             \
    X(unsigned int, GetDrawTargetPixel, (int x, int y), (x, y))                                                 \
    X(int, Buffer_Terminate, (BufferHandleData * buffer), (buffer))                                             \
    X(int, SetupDefaultDeviceState, (), ())                                                                     \
    X(int, SetLightEnableByIndex, (int index, int flag), (index, flag))                                         \
    X(int, SetLightParamByIndex, (int index, const LightParam* param), (index, param))                          \
    X(int, SetUseLighting, (int flag), (flag))                                                                  \
    X(int, LockDrawTargetBuffer,                                                                                \
      (const ImageRect* rect, BaseImage* out, int graph, int readOnly, int surfaceIndex),                       \
      (rect, out, graph, readOnly, surfaceIndex))                                                               \
    X(int, UnlockDrawTargetBuffer, (), ())                                                                      \
    X(int, RefreshDrawTargetAlphaFlag, (), ())                                                                  \
    X(int, ReleaseGraphTexture, (GraphOrigData * orig), (orig))                                                 \
    X(int, SetupSubBackBuffer, (int flag), (flag))                                                              \
    X(int, BindBlendGraph, (GraphData * blendImage, int type, int param1, int param2),                          \
      (blendImage, type, param1, param2))                                                                       \
    X(int, RefreshDiffuseColor, (), ())                                                                         \
    X(int, SetDrawArea, (int x1, int y1, int x2, int y2), (x1, y1, x2, y2))                                     \
    X(int, SetDrawMode, (int mode), (mode))                                                                     \
    X(int, SetDrawTarget,                                                                                       \
      (int handle, int oldSurface, GraphData* newGraph, GraphData* oldGraph, ShadowMapData* newShadowMap,       \
       ShadowMapData* oldShadowMap),                                                                            \
      (handle, oldSurface, newGraph, oldGraph, newShadowMap, oldShadowMap))                                     \
    X(int, SetFogColor, (unsigned int color), (color))                                                          \
    X(int, SetFogEnable, (int flag), (flag))                                                                    \
    X(int, SetFogMode, (int mode), (mode))                                                                      \
    X(int, SetFogStartEnd, (float start, float end), (start, end))                                              \
    X(int, SetRenderTarget, (int slot, int graph, int surfaceIndex), (slot, graph, surfaceIndex))               \
    X(int, SetTransformToView, (const Matrix4x4F* matrix), (matrix))                                            \
    X(int, SetTransformToProjection, (const Matrix4x4F* matrix), (matrix))                                      \
    X(int, SetTransformToWorld, (const Matrix4x4F* matrix), (matrix))                                           \
    X(int, BindDepthBufferForDrawTarget, (), ())                                                                \
    X(int, Shader_Create, (int shader, int vertexFlag, const void* code, int size, int freeCode, int async),     \
      (shader, vertexFlag, code, size, freeCode, async))                                                        \
    X(int, Shader_Terminate, (ShaderHandleData * shader), (shader))                                             \
    X(int, ShadowMap_RefreshPSParam, (), ())                                                                    \
    X(int, ShadowMap_RefreshVSParam, (), ())                                                                    \
    X(int, ShadowMap_ReleaseTexture, (ShadowMapData * shadowMap), (shadowMap))                                  \
    X(int, AfterInitialize, (), ())                                                                             \
    X(int, ReleaseDeviceObjects, (), ())                                                                        \
    X(int, Terminate, (), ())                                                                                   \
    X(int, RefreshDeviceState, (), ())                                                                          \
    X(int, Mask_CreateScreen_KeepOld, (), ())                                                                   \
    X(int, Mask_CreateScreen, (int width, int height), (width, height))                                         \
    X(int, Mask_CreateScreen_CopyOld, (int oldWidth, int oldHeight), (oldWidth, oldHeight))                     \
    X(int, Mask_DrawBegin, (const ImageRect* rect), (rect))                                                     \
    X(int, Mask_DrawEnd, (const ImageRect* rect), (rect))                                                       \
    X(int, Mask_ReleaseScreen, (), ())                                                                          \
    X(int, Mask_SetUseMaskScreen, (), ())

// Operations both back ends have with the same arguments that the front reaches
// without a table dispatcher (API choice, presentation, the filter engine).
#define HALVORINE_HW_BACKEND_OPS(X) \
    X(int, Initialize, (), ())      \
    HALVORINE_HW_BACKEND_OPS_AFTER_START(X)
#define HALVORINE_HW_BACKEND_OPS_AFTER_START(X)                                                                 \
    X(int, GetShaderModelVersion, (), ())                                                                       \
    X(int, RecreateDevice, (int modeFlag, int width, int height, int bits, int refreshRate),                    \
      (modeFlag, width, height, bits, refreshRate))                                                             \
    X(int, FlipScreen, (), ())                                                                                  \
    X(int, DrawDeformedGraph,                                                                                   \
      (float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, GraphData* image,        \
       GraphData* blendImage, int transFlag, int simpleFlag),                                                   \
      (x1, y1, x2, y2, x3, y3, x4, y4, image, blendImage, transFlag, simpleFlag))                               \
    X(int, DrawDeformedGraphInt,                                                                                \
      (int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, GraphData* image, GraphData* blendImage, \
       int transFlag),                                                                                          \
      (x1, y1, x2, y2, x3, y3, x4, y4, image, blendImage, transFlag))                                           \
    X(int, Filter_Mono, (GraphFilterInfo * info, float cb, float cr), (info, cb, cr))                           \
    X(int, Filter_Gauss, (GraphFilterInfo * info, int kernelWidth, float strength, const float* weights),       \
      (info, kernelWidth, strength, weights))                                                                   \
    X(int, Filter_DownScale, (GraphFilterInfo * info, int divisor), (info, divisor))                            \
    X(int, Filter_BrightClip,                                                                                   \
      (GraphFilterInfo * info, int compare, float threshold, int fillFlag, const float* fillColor),             \
      (info, compare, threshold, fillFlag, fillColor))                                                          \
    X(int, Filter_BrightnessScale, (GraphFilterInfo * info, int minimum, int maximum), (info, minimum, maximum)) \
    X(int, Filter_HSB, (GraphFilterInfo * info, int hueMode, float hue, float saturation, float bright),        \
      (info, hueMode, hue, saturation, bright))                                                                 \
    X(int, Filter_Invert, (GraphFilterInfo * info), (info))                                                     \
    X(int, Filter_Level,                                                                                        \
      (GraphFilterInfo * info, float inputMin, float inputMax, float gamma, float outputMin, float outputMax),  \
      (info, inputMin, inputMax, gamma, outputMin, outputMax))                                                  \
    X(int, Filter_TwoColor, (GraphFilterInfo * info, float threshold, const float* below, const float* above),  \
      (info, threshold, below, above))                                                                          \
    X(int, Filter_GradientMap, (GraphFilterInfo * info, int gradientGraph, int reverse),                        \
      (info, gradientGraph, reverse))                                                                           \
    X(int, Filter_PremultipliedAlpha, (GraphFilterInfo * info), (info))                                         \
    X(int, Filter_InterpolatedAlpha, (GraphFilterInfo * info), (info))                                          \
    X(int, Filter_Y2UVToRGB, (GraphFilterInfo * info, int uvGraph), (info, uvGraph))                            \
    X(int, Filter_Bicubic, (GraphFilterInfo * info, int width, int height), (info, width, height))              \
    X(int, Filter_Lanczos3, (GraphFilterInfo * info, int width, int height), (info, width, height))             \
    X(int, Filter_BasicBlend, (GraphFilterInfo * info), (info))                                                 \
    X(int, Filter_RGBAMix, (GraphFilterInfo * info, int red, int green, int blue, int alpha),                   \
      (info, red, green, blue, alpha))                                                                          \
    X(int, FilterPass_SelectSampling, (GraphFilterInfo * info, const GraphFilterParam* param), (info, param))   \
    X(int, FilterPass_Begin, (GraphFilterInfo * info, int* sourceHandle, int* destHandle),                      \
      (info, sourceHandle, destHandle))                                                                         \
    X(int, FilterPass_CopyResult, (GraphFilterInfo * info, int lastDest, int lastResult),                       \
      (info, lastDest, lastResult))

// Direct3D 9 only.
#define HALVORINE_HW_D3D9_OPS(X)                                                                                \
    X(int, SetIndexBufferData, (BufferHandleData * buffer, int start, const void* data, int count),             \
      (buffer, start, data, count))                                                                             \
    X(int, SetVertexBufferData, (BufferHandleData * buffer, int start, const void* data, int count),            \
      (buffer, start, data, count))                                                                             \
    X(int, FlushVertexBatch, (int asyncFlag), (asyncFlag))                                                      \
    X(int, SysMemCache_ReleaseAll, (), ())                                                                      \
    X(int, SysMemTexture_ReleaseUnused, (), ())                                                                 \
    X(int, SysMemSurface_ReleaseUnused, (), ())                                                                 \
    X(int, CheckDepthBufferGraph, (GraphData * graph), (graph))                                                 \
    X(int, CopyMovieSurfaceToGraph, (GraphData * graph, MovieHandleData * movie), (graph, movie))               \
    X(int, RestoreIfDeviceLost, (), ())                                                                         \
    X(int, SetDialogBoxMode, (int flag), (flag))                                                                \
    X(int, SetFrontScreenTimer, (int handle), (handle))                                                         \
    X(int, FilterPass_End, (), ())                                                                              \
    X(int, BrightKeepsBatch, (int white), (white))

// Direct3D 11 only.
#define HALVORINE_HW_D3D11_OPS(X)                                                                               \
    X(int, SetVertexOrIndexBufferData, (BufferHandleData * buffer, int start, const void* data, int count),     \
      (buffer, start, data, count))                                                                             \
    X(int, FlushVertexBatch, (int target, int asyncFlag), (target, asyncFlag))                                  \
    X(int, ShaderConstantBuffer_Terminate, (ShaderConstantBufferData * buffer), (buffer))                       \
    X(int, SetFrontScreenTimer, (int handle), (handle))
