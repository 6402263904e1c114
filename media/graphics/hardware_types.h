// Records the graphics front shares with the Direct3D back ends. The front only
// passes most of them through by pointer; their layouts live with their owners.
#pragma once
#include <cstdint>

#include "media/base/maths.h"
#include "media/graphics/color_blit.h"

namespace ZaDod {

struct BaseImage;
struct GraphData;
struct GraphOrigData;
struct GraphTextureFormat;
struct GraphQuadList;
struct ShadowMapData;
struct ShaderHandleData;
struct ShaderConstantBufferData;
struct BufferHandleData;
struct GraphFilterInfo;
struct GraphFilterParam;
struct LightParam;
struct MovieHandleData;
struct Vertex2D;  // 28-byte 2D vertex records

// Per-tile device texture records: the graph code reserves room for them behind
// its tile array and never reads their fields.
struct D3D9GraphTexture;
struct D3D11GraphTexture;

// What the device creation of either back end reports about the device; graph
// creation reads it.
struct GraphicsDeviceCaps {
    int subtractiveBlend;
    int squareTexturesOnly;
    int renderTargetCount;  // at most 8
    int conditionalNonPow2;
    int pow2TexturesOnly;
    int maxTextureSize;  // smaller of the two below
    int maxTextureWidth;
    int maxTextureHeight;
    int maxPrimitiveCount;
    int maxVertexIndex;
    int bgraVertexColor;
    int direct3D11;
    int direct3D9;  // set only by the Direct3D 9 device creation
};
extern GraphicsDeviceCaps GraphicsDeviceCapsData;

// GraphicsApiType: 0 software (also while the API is being chosen), 1 Direct3D 9,
// 2 Direct3D 11. Written only by the API choice at start-up.
enum : int { kGraphicsApiSoftware = 0, kGraphicsApiD3D9 = 1, kGraphicsApiD3D11 = 2 };
extern int GraphicsApiType;

// 1 while the running back end draws through programmable shaders, else 0.
extern int ProgrammableShaderFlag;

}  // namespace ZaDod
