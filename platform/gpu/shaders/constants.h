// Shared numbers of the shader bank: where each varying lives in a vertex's output, and
// where the built-in shaders find their constants in the base constant buffers.
#pragma once

namespace plat::gpu::shader {

// Varyings are one array of floats per vertex: two colours, eight texture-coordinate pairs
// and sixteen free float4 values. A vertex function says how many floats from the front it
// writes; only those are clipped and interpolated.
inline constexpr int kColour0 = 0;
inline constexpr int kColour1 = 4;
inline constexpr int kTexcoord = 8;  // pair k at kTexcoord + 2k
inline constexpr int kExtra = 24;    // float4 k at kExtra + 4k
inline constexpr int kVaryingCount = 88;

inline constexpr int texcoord(int pair) { return kTexcoord + 2 * pair; }

// Constant-buffer slots and byte offsets read by the built-in shaders. Registers are
// 16-byte rows: register i starts at byte 16 i.
inline constexpr int kVsBaseSlot = 0;
inline constexpr int kVsViewportMatrix = 0;  // 4 registers: clip = (row0.p, row1.p, row2.p, row3.p)
inline constexpr int kVsProjection = 64;     // 4 registers
inline constexpr int kVsView = 128;          // 3 registers (affine rows)
inline constexpr int kVsWorld = 176;         // 3 registers (affine rows)

// The 3D shaders: the common buffer (lights, material, fog) at vertex and pixel slot 1,
// the vertex flags in the vertex base buffer, the texture transform in vertex slot 2.
inline constexpr int kCommonSlot = 1;
inline constexpr int kCommonLightStride = 112;  // light i at 112 i, six lights
inline constexpr int kCommonLights = 6;
inline constexpr int kCommonMaterialDiffuse = 672;
inline constexpr int kCommonMaterialSpecular = 688;
inline constexpr int kCommonAmbientEmissive = 704;  // global ambient x material ambient + emissive
inline constexpr int kCommonPower = 720;
inline constexpr int kCommonFog = 736;        // end / (end - start), -1 / (end - start), density, e
inline constexpr int kCommonFogColour = 752;  // r, g, b, 1
inline constexpr int kVsDiffuseSource = 240, kVsSpecularSource = 244, kVsPerVertex = 248, kVsSpecularOn = 252;
inline constexpr int kVsExtraSlot = 2;
// Shadow maps: slot i's light view-projection rows at vertex slot 3, byte 64 i; its depth
// bias, step width and in-use flag at pixel slot 2, byte 16 i.
inline constexpr int kVsShadowSlot = 3;
inline constexpr int kPsShadowSlot = 2;
inline constexpr int kVsTexTransform = 192;  // two registers: u' and v' from (u, v, 1, 0)

inline constexpr int kPsBaseSlot = 0;
inline constexpr int kPsFactorColour = 0;    // float4 red, green, blue, alpha
inline constexpr int kPsAlphaReference = 20; // float: reference / 255; -1 passes every pixel
inline constexpr int kPsAlphaFunction = 32;  // int32 comparison code 1..8 (1 never .. 8 always)

// Comparison codes as they are stored in constant buffers.
inline constexpr int kCmpNever = 1, kCmpLess = 2, kCmpEqual = 3, kCmpLessEqual = 4, kCmpGreater = 5,
                     kCmpNotEqual = 6, kCmpGreaterEqual = 7, kCmpAlways = 8;

}  // namespace plat::gpu::shader

namespace plat::gpu::shader {

// Filter shaders read their constants as float4 registers c0, c1, ... The Direct3D 11
// face binds them as pixel-shader constant buffer 3; the Direct3D 9 face keeps its
// pixel-shader float registers in buffer 1 and never binds 3. The accessor takes 3 when
// it is bound, else 1, so one function serves both faces.
inline constexpr int kFilterSlotD3D11 = 3;
inline constexpr int kFilterSlotD3D9 = 1;

}  // namespace plat::gpu::shader
