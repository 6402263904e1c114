// Blend modes on Direct3D 11: the draw-state key becomes a blend-state row, a built-in
// pixel shader, the alpha test and factor colour in the pixel-shader constants, and the
// texture views of slots 0 and 1.
#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/hwdraw/hwdraw.h"

namespace ZaDod {

int D3D11DrawTargetHasAlpha = 0;

namespace {

using namespace plat::gpu;

constexpr D3D11_BLEND ZERO = D3D11_BLEND_ZERO, ONE = D3D11_BLEND_ONE, SC = D3D11_BLEND_SRC_COLOR,
                      SA = D3D11_BLEND_SRC_ALPHA, ISA = D3D11_BLEND_INV_SRC_ALPHA,
                      IDA = D3D11_BLEND_INV_DEST_ALPHA, IDC = D3D11_BLEND_INV_DEST_COLOR;
constexpr D3D11_BLEND_OP ADD = D3D11_BLEND_OP_ADD, RSUB = D3D11_BLEND_OP_REV_SUBTRACT;

constexpr D3D11BlendRow row(int kind, int enable, D3D11_BLEND src, D3D11_BLEND dest, D3D11_BLEND_OP op,
                            D3D11_BLEND srcA, D3D11_BLEND destA, D3D11_BLEND_OP opA, int alphaTest) {
    return D3D11BlendRow{kind, {enable, src, dest, op, srcA, destA, opA, 15}, alphaTest};
}

// True when a pixel of alpha 0 leaves the target as it was under this row: the colour is
// weighted by the source alpha and the target by one (or one minus the source alpha),
// and nothing but the colour is written. The texture's alpha test would only skip such
// pixels, so it is left off and the draw keeps the GPU's unconditional blending spans.
bool zeroAlphaKeepsTarget(const D3D11BlendRow& row, const D3D11_DEPTH_STENCIL_DESC& depth) {
    const D3D11_RENDER_TARGET_BLEND_DESC& d = row.desc;
    const auto keeps = [](D3D11_BLEND dest) { return dest == ONE || dest == ISA; };
    const auto adds = [](D3D11_BLEND_OP op) { return op == ADD || op == RSUB; };
    return row.kind == 0 && d.BlendEnable && d.SrcBlend == SA && keeps(d.DestBlend) && adds(d.BlendOp) &&
           (d.SrcBlendAlpha == SA || d.SrcBlendAlpha == ZERO) && keeps(d.DestBlendAlpha) && adds(d.BlendOpAlpha) &&
           (!depth.DepthEnable || depth.DepthWriteMask == 0) && !depth.StencilEnable;
}

}  // namespace

const D3D11BlendRow kD3D11BlendTable[kD3D11BlendRows] = {
    row(0, 0, ONE, ZERO, ADD, ONE, ZERO, ADD, 1),         // 0 none
    row(0, 1, SA, ISA, ADD, SA, ISA, ADD, 1),             // 1 alpha
    row(0, 1, SA, ONE, ADD, SA, ONE, ADD, 1),             // 2 add
    row(0, 1, IDC, ZERO, ADD, IDA, ZERO, ADD, 1),         // 3 (becomes 16)
    row(0, 1, ZERO, SC, ADD, ZERO, SA, ADD, 1),           // 4 multiply (texels of alpha 0 are tested away)
    row(0, 1, SA, ONE, ADD, SA, ONE, ADD, 1),             // 5
    row(0, 0, ONE, ZERO, ADD, ONE, ZERO, ADD, 1),         // 6
    row(0, 0, ONE, ZERO, ADD, ONE, ZERO, ADD, 1),         // 7
    row(0, 1, ZERO, ONE, ADD, ZERO, ONE, ADD, 0),         // 8
    row(0, 1, IDC, ZERO, ADD, IDA, ZERO, ADD, 0),         // 9 invert
    row(2, 1, SA, ISA, ADD, SA, ISA, ADD, 1),             // 10
    row(1, 1, ZERO, SC, ADD, ZERO, SA, ADD, 1),           // 11
    row(3, 1, SA, ISA, ADD, SA, ISA, ADD, 1),             // 12
    row(3, 1, SA, ONE, ADD, SA, ONE, ADD, 1),             // 13
    row(0, 1, ONE, ZERO, ADD, ONE, ZERO, ADD, 0),         // 14 none into a target with alpha
    row(0, 1, ONE, ISA, ADD, ONE, ISA, ADD, 0),           // 15
    row(0, 1, SA, ONE, RSUB, SA, ONE, RSUB, 1),           // 16 subtract
    row(4, 1, ONE, ISA, ADD, ONE, ISA, ADD, 1),           // 17
    row(4, 1, ONE, ONE, ADD, ONE, ONE, ADD, 1),           // 18
    row(4, 1, ONE, ONE, RSUB, ONE, ONE, RSUB, 1),         // 19
    row(5, 1, ONE, ISA, ADD, ONE, ISA, ADD, 1),           // 20
    row(6, 1, ONE, ISA, ADD, ONE, ISA, ADD, 1),           // 21
    row(6, 1, ONE, ONE, ADD, ONE, ONE, ADD, 1),           // 22
};

int Graphics_D3D11_ApplyBlendMode() {
    if (!D3D11Device_IsValid()) return -1;
    D3D11DeviceStateCache& c = D3D11State;
    D3D11Shaders& sh = D3D11ShaderSys;
    c.keyChanged = c.textureChanged = 0;
    c.drawPrepNeeded = 1;

    int r = c.blendMode < 0 || c.blendMode >= kD3D11BlendRows ? 0 : c.blendMode;
    if (r == 3) r = 16;
    const bool texture = c.texture != nullptr, blend = c.blendTexture != nullptr;
    if (r == 0) {
        if (D3D11DrawTargetHasAlpha) r = 14;
        if (texture) {
            if (blend) {
                if (c.blendKind == 1 || c.premultiplied || c.alphaChannel) r = 1;
            } else if (c.alphaChannel) {
                r = 1;
            }
        }
    }
    const D3D11BlendRow& row = kD3D11BlendTable[r];
    const int kind = row.kind;
    // Alpha test: on with (function, reference), or off.
    int testOn = 0, func = D3D11_COMPARISON_GREATER, ref = 0;
    const bool user = c.alphaTestFunc >= 0;
    float factor[4] = {0, 0, 0, 0};
    bool writeFactor = false;
    ID3D11PixelShader* shader = nullptr;
    const int ignoreAlpha = c.premultiplied || c.alphaChannel || (!blend && c.depthStencilDesc.DepthEnable) ? 0 : 1;
    auto variant = [&](int on, int f) { return on && f != D3D11_COMPARISON_GREATER ? 1 : 0; };

    const int batchVariant = !texture ? 0 : blend ? 2 : 1;
    if (D3D11Batch.variant != batchVariant) {
        // Queued vertices keep the layout they were written in.
        Graphics_D3D11_FlushVertexBatch(-1, 0);
        D3D11Batch.variant = batchVariant;
    }
    if (!texture) {
        if (user) testOn = 1, func = c.alphaTestFunc, ref = c.alphaTestRef;
        shader = sh.untextured[kind * 2 + variant(testOn, func)];
    } else if (!blend) {
        if (user)
            testOn = 1, func = c.alphaTestFunc, ref = c.alphaTestRef;
        else if (c.premultiplied)
            testOn = 1, ref = 16;
        else if (row.desc.BlendEnable && row.alphaTestAllowed && !zeroAlphaKeepsTarget(row, c.depthStencilDesc))
            testOn = 1, ref = 0;
        shader = sh.textured[variant(testOn, func) + 2 * (ignoreAlpha + 2 * (c.variant + 2 * kind))];
        ID3D11ShaderResourceView* views[1] = {c.textureView};
        Graphics_D3D11_DeviceState_SetPSShaderResources(0, 1, views);
    } else {
        const int bk = c.blendKind < 0 || c.blendKind > 2 ? 0 : c.blendKind;
        if (bk == 0) {
            if (user)
                testOn = 1, func = c.alphaTestFunc, ref = c.alphaTestRef;
            else if (c.premultiplied || row.desc.BlendEnable || c.alphaChannel)
                testOn = 1, ref = 0;
            factor[0] = factor[1] = factor[2] = 1.0f;
            factor[3] = float(c.blendRatio) / 255.0f;
            writeFactor = true;
        } else if (bk == 1) {
            const WipeSetup w = ComputeWipe(c.borderParam, c.borderRange, c.premultiplied, c.alphaChannel);
            if (w.alphaTest) {
                // A hard border is a step of the blend value at the reference: a steep ramp
                // gives 0 below it and 1 from it on, and the draw's own alpha (texture and
                // blend parameter) still multiplies in, as on the software renderer.
                factor[2] = 1.0e6f;
                factor[3] = -(float(w.reference) - 0.5f) / 255.0f;
            } else {
                factor[2] = w.scale;
                factor[3] = w.offset;
            }
            if (user)
                testOn = 1, func = c.alphaTestFunc, ref = c.alphaTestRef;
            else if (row.desc.BlendEnable || c.premultiplied || c.alphaChannel)
                testOn = 1, ref = 0;
            writeFactor = true;
            c.border255 = c.borderParam == 255;
        } else {
            if (user)
                testOn = 1, func = c.alphaTestFunc, ref = c.alphaTestRef;
            else if (row.desc.BlendEnable)
                testOn = 1, ref = 0;
        }
        shader = sh.textured[56 * (bk + 1) + variant(testOn, func) + 2 * (ignoreAlpha + 2 * (c.variant + 2 * kind))];
        ID3D11ShaderResourceView* views[2] = {c.textureView, c.blendTextureView};
        Graphics_D3D11_DeviceState_SetPSShaderResources(0, 2, views);
    }

    if (!testOn) {
        if (c.psAlphaRef != -1 || c.force) Graphics_D3D11_DeviceState_SetAlphaTestRef(-1);
        func = D3D11_COMPARISON_GREATER;
    } else if (c.psAlphaRef != ref || c.force) {
        Graphics_D3D11_DeviceState_SetAlphaTestRef(ref);
    }
    if (c.psAlphaFunc != func || c.force) Graphics_D3D11_DeviceState_SetAlphaTestFunc(func);
    if (kind == 1) {
        // Pixel kind 1 blends toward the factor colour, white, whatever else the draw is;
        // a wipe keeps its ramp in the last two words and its shader blends toward white.
        factor[0] = factor[1] = 1.0f;
        if (!(blend && c.blendKind == 1)) factor[2] = 1.0f;
        writeFactor = true;
    }
    if (writeFactor) Graphics_D3D11_DeviceState_SetFactorColor(factor);
    if (c.blendModeIndex != r || c.force) Graphics_D3D11_DeviceState_SetBlendModeIndex(r);
    if (c.pixelShader != shader || c.pixelShaderUser || c.force) Graphics_D3D11_DeviceState_SetPixelShader(shader, 0);
    return 0;
}

}  // namespace ZaDod
