// What the Direct3D 11 filter files share: the filter shaders' name table and handle
// slots, their loading, the filter constant buffer and the common pass.
#pragma once
#include "media/graphics/d3d11/d3d11_backend.h"
#include "media/graphics/graph_filter.h"

namespace ZaDod {

// Name-table entries (and handle slots) of the filter and blend shaders.
enum D3D11FilterName : int {
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
    kFNCount = 50,
};
extern const char* const D3D11FilterNames[kFNCount];
// Handle slots: each named shader at its name-table entry (the base mix at 45), then the
// 256 indexed mixes and the 16 named mixes, ending below the gamma-graph slot.
constexpr int kD3D11MixBaseSlot = kFNRGBAMixBase;
constexpr int kD3D11MixIndexedSlot = kFNRGBAMixBase + 1;
constexpr int kD3D11MixNamedSlot = kD3D11MixIndexedSlot + 256;
static_assert(kD3D11MixNamedSlot + 16 <= kGraphFilterGammaGraphSlot);

// The shader handle of a table slot, loaded on first use from the filter archive by
// file name; -1 (logged) when it cannot be made.
int D3D11_FilterShader(int slot, const char* fileName);
// The indexed mix shader of the RGBA-mix table.
int D3D11_FilterMixShader(int index);
// Writes count float4 rows from register 0 of the filter constant buffer.
void D3D11_SetFilterConstants(const float (*rows)[4], int count);
// The common pass: draws the pass's source rectangle through the pixel shader into the
// pass target (info->destination). extraGraph is the second texture when the pass is no
// blend (-1 none); custom replaces the quad's vertices.
int Graphics_D3D11_FilterPass_DrawQuad(int shaderHandle, GraphFilterInfo* info, int linear, int divisor,
                                       int extraGraph, const D3D11StretchVertex8* custom);
// Where the pass draws in its target: the destination position on the last pass, the
// source rectangle's corner on a pass whose result a later pass reads.
void D3D11_FilterPassOrigin(const GraphFilterInfo* info, int* x, int* y);
// The allocated texture size of a graph's first piece.
bool D3D11_GraphTextureSize(int graph, int* width, int* height);
// The source graph the running request named (passes may read a work screen instead).
int D3D11_FilterRunSource();
int D3D11_FilterRunDestination();
// Copies the destination-position rectangle of a graph to where the pass draws in its target.
void D3D11_CopyGraphIntoPassTarget(int graph, const GraphFilterInfo* info);
int Graphics_D3D11_Filter_CreateWorkScreen(int colorKind, int width, int height, int slot);
int Graphics_D3D11_Filter_LoadShader(const char* name);
D3D11ConstantBuffer* Graphics_D3D11_GetFilterConstantBuffer();
// Before the device goes: deletes the filter shaders' handles and releases the device
// objects of every other shader handle.
int Graphics_D3D11_ReleaseShaderHandleObjects();

// The shader choice for selectors (each 0..7); swap tells whether the graphs trade places.
struct D3D11MixChoice {
    int slot;
    int index;  // indexed form, else -1
    char name[40];
    bool swap;
    int selectors[4];
};

D3D11MixChoice D3D11_ChooseMix(int red, int green, int blue, int alpha);

}  // namespace ZaDod
