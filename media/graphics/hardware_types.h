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

// The texture format a back end chose for a graph, kept with its original image. A
// software image keeps it all zero, and then every block-compressed picture is decoded.
struct GraphTextureFormat {
    int32_t hardware;             // 1 once a back end chose it
    uint32_t apiFormat;           // the D3DFORMAT or DXGI_FORMAT code
    int32_t pixelFormatIndex;     // the front's row it serves
    const PixelFormatDesc* desc;  // the texel layout; null for block formats
};

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

// 1 while a back end's built-in shaders are in use (its shader start-up sets it);
// 0 in software mode. The filter workers take the device routines only when it is 1.
extern int ProgrammableShaderFlag;

// GraphicsApiType: 0 software (also while the API is being chosen), 1 Direct3D 9,
// 2 Direct3D 11. Written only by the API choice at start-up.
enum : int { kGraphicsApiSoftware = 0, kGraphicsApiD3D9 = 1, kGraphicsApiD3D11 = 2 };
extern int GraphicsApiType;

}  // namespace ZaDod
