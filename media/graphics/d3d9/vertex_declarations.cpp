// The vertex declarations of the shader draw paths, one per vertex type, all in stream 0.
#include "media/graphics/d3d9/backend.h"
#include "media/graphics/hardware_types.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

constexpr BYTE F2 = D3DDECLTYPE_FLOAT2, F3 = D3DDECLTYPE_FLOAT3, F4 = D3DDECLTYPE_FLOAT4, C = D3DDECLTYPE_D3DCOLOR;
constexpr BYTE POS = D3DDECLUSAGE_POSITION, NRM = D3DDECLUSAGE_NORMAL, COL = D3DDECLUSAGE_COLOR,
               TEX = D3DDECLUSAGE_TEXCOORD, TAN = D3DDECLUSAGE_TANGENT, BIN = D3DDECLUSAGE_BINORMAL;

constexpr D3DVERTEXELEMENT9 el(WORD offset, BYTE type, BYTE usage, BYTE index = 0) {
    return {0, offset, type, D3DDECLMETHOD_DEFAULT, usage, index};
}
constexpr D3DVERTEXELEMENT9 kEnd = D3DDECL_END();

// The 2D vertex (28 bytes).
constexpr D3DVERTEXELEMENT9 k2D[] = {el(0, F4, POS), el(16, C, COL), el(20, F2, TEX), kEnd};
// The untextured 2D vertex (20 bytes).
constexpr D3DVERTEXELEMENT9 kNoTex2D[] = {el(0, F4, POS), el(16, C, COL), kEnd};
// The blend-textured 2D vertex (40 bytes): the specular word sits between the colour and
// the first coordinate pair.
constexpr D3DVERTEXELEMENT9 kBlend2D[] = {el(0, F4, POS),  el(16, C, COL),      el(20, C, COL, 1),
                                          el(24, F2, TEX), el(32, F2, TEX, 1), kEnd};
// The untextured 3D vertex (16 bytes) and the 3D vertex (24 bytes).
constexpr D3DVERTEXELEMENT9 kNoTex3D[] = {el(0, F3, POS), el(12, C, COL), kEnd};
constexpr D3DVERTEXELEMENT9 k3D[] = {el(0, F3, POS), el(12, C, COL), el(16, F2, TEX), kEnd};
// The lit 3D vertex (48 bytes).
constexpr D3DVERTEXELEMENT9 kLit3D[] = {el(0, F3, POS),    el(12, F3, NRM),    el(24, C, COL),
                                        el(28, C, COL, 1), el(32, F2, TEX),    el(40, F2, TEX, 1), kEnd};
// The 2D vertex with eight coordinate pairs (84 bytes).
constexpr D3DVERTEXELEMENT9 k2D8[] = {el(0, F4, POS),        el(16, C, COL),        el(20, F2, TEX),
                                      el(28, F2, TEX, 1),    el(36, F2, TEX, 2),    el(44, F2, TEX, 3),
                                      el(52, F2, TEX, 4),    el(60, F2, TEX, 5),    el(68, F2, TEX, 6),
                                      el(76, F2, TEX, 7),    kEnd};
// The 3D shader vertex (88 bytes). Its second position (x, y, z, w at 12) is not declared:
// no built-in path reads it.
constexpr D3DVERTEXELEMENT9 kShader3D[] = {el(0, F3, POS),    el(28, F3, NRM),   el(40, F3, TAN),
                                           el(52, F3, BIN),   el(64, C, COL),    el(68, C, COL, 1),
                                           el(72, F2, TEX),   el(80, F2, TEX, 1), kEnd};

// By vertex type: 0..9 the batch's vertex types, 10 and 11 the 3D shader vertex.
const D3DVERTEXELEMENT9* const kDeclarations[kD3D9VertexDeclarations] = {
    k2D, kNoTex2D, k2D, kBlend2D, kBlend2D, kNoTex3D, k3D, kLit3D, kLit3D, k2D8, kShader3D, kShader3D};

}  // namespace

int Graphics_D3D9_CreateVertexDeclarations() {
    if (!ProgrammableShaderFlag || !Direct3DDevice9_IsValid()) return 0;
    for (int i = 0; i < kD3D9VertexDeclarations; ++i) {
        IDirect3DVertexDeclaration9*& slot = D3D9ShaderSys.declarations[i];
        if (slot != nullptr) slot->Release();
        slot = nullptr;
        Direct3DDevice9_CreateVertexDeclaration(kDeclarations[i], &slot);
    }
    return 0;
}

int Graphics_D3D9_ReleaseVertexDeclarations() {
    // The user vertex shader state is reset through the device-state cache once it exists;
    // until then nothing binds a declaration.
    for (auto& slot : D3D9ShaderSys.declarations) {
        if (slot != nullptr) slot->Release();
        slot = nullptr;
    }
    return 0;
}

}  // namespace ZaDod
