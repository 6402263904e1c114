// Blend modes on Direct3D 9: the draw-state key becomes the framebuffer blend, the alpha
// test, the texture factor and the stage textures, and either a fixed-function stage set
// or one of the built-in pixel shaders.
#include <cstring>

#include "media/graphics/d3d9/d3d9_graph.h"
#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/hwdraw/hwdraw.h"

namespace ZaDod {

int D3D9DrawTargetHasAlpha = 0;

namespace {

using namespace plat::gpu;
using d3d9_cache::c;

constexpr int U = -1;  // unchanged
constexpr int ZERO = D3DBLEND_ZERO, ONE = D3DBLEND_ONE, SC = D3DBLEND_SRCCOLOR, SA = D3DBLEND_SRCALPHA,
              ISA = D3DBLEND_INVSRCALPHA, IDC = D3DBLEND_INVDESTCOLOR, ADD = D3DBLENDOP_ADD,
              RSUB = D3DBLENDOP_REVSUBTRACT;

// The factor as pixel-shader constant c5, blue, green, red, alpha.
float psFactor[4] = {-1, -1, -1, -1};

int maxStages() {
    const int n = int(D3D9DeviceSys.maxTextureBlendStages);
    return n > 0 && n <= kD3D9Stages ? n : 1;
}
bool tempResult() { return D3D9DeviceSys.tssArgTemp != 0; }

void sendFactorConstant(uint32_t factor) {
    const float v[4] = {float(factor & 0xFF) / 255.0f, float((factor >> 8) & 0xFF) / 255.0f,
                        float((factor >> 16) & 0xFF) / 255.0f, float(factor >> 24) / 255.0f};
    if (!c.force && std::memcmp(v, psFactor, sizeof v) == 0) return;
    std::memcpy(psFactor, v, sizeof v);
    D3D9_SetConstant(3, 5, v, 1);
}

void sendValues(const int64_t* v, bool fixed) {
    static const int order[kBvCount] = {kBvAlphaFunc,    kBvAlphaRef,     kBvAlphaTestEnable,  kBvAlphaBlendEnable,
                                        kBvTextureFactor, kBvSrcBlend,     kBvDestBlend,        kBvBlendOp,
                                        kBvSeparateAlphaBlendEnable, kBvSrcBlendAlpha, kBvDestBlendAlpha,
                                        kBvBlendOpAlpha};
    for (int which : order) {
        if (which == kBvTextureFactor) {
            if (v[which] != U) {
                if (fixed) D3D9_SetBlendValue(which, uint32_t(v[which]));
                sendFactorConstant(uint32_t(v[which]));
            }
            continue;
        }
        if (v[which] != U) {
            D3D9_SetBlendValue(which, uint32_t(v[which]));
        } else if (c.force && c.blend[which] > 1) {
            // A forced resend puts the device's factors back from the cache.
            D3D9_SetBlendValue(which, c.blend[which]);
        }
    }
}

void sendStages(const D3D9Stage* stages, int count, bool shaderPath, IDirect3DPixelShader9* shader,
                int texturesOnly) {
    const int limit = maxStages();
    if (!texturesOnly) {
        if (shaderPath) {
            Graphics_D3D9_DeviceState_SetPixelShader(shader, 0);
        } else if (c.pixelShader != nullptr && !c.pixelShaderUser) {
            Graphics_D3D9_DeviceState_SetPixelShader(nullptr, 0);
        }
    }
    int i = 0;
    for (; i < count; ++i) {
        if (i >= 2 && (stages[i - 1].alphaOp == D3DTOP_DISABLE || shaderPath)) break;
        const D3D9Stage& s = stages[i];
        D3D9_SetStageTexture(i, s.texture);
        if (texturesOnly || shaderPath || i >= limit) continue;
        D3D9_SetStageState(i, D3DTSS_TEXCOORDINDEX, s.texCoordIndex);
        if (tempResult()) D3D9_SetStageState(i, D3DTSS_RESULTARG, s.resultTemp);
        D3D9_SetStageState(i, D3DTSS_ALPHAOP, s.alphaOp);
        D3D9_SetStageState(i, D3DTSS_ALPHAARG1, s.alphaArg1);
        D3D9_SetStageState(i, D3DTSS_ALPHAARG2, s.alphaArg2);
        D3D9_SetStageState(i, D3DTSS_COLOROP, s.colorOp);
        D3D9_SetStageState(i, D3DTSS_COLORARG1, s.colorArg1);
        D3D9_SetStageState(i, D3DTSS_COLORARG2, s.colorArg2);
    }
    // The stage after the set ends the cascade.
    if (!texturesOnly && !shaderPath && i < limit && i < kD3D9Stages && i == count) {
        D3D9_SetStageState(i, D3DTSS_COLOROP, D3DTOP_DISABLE);
        D3D9_SetStageState(i, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    }
    for (int s = count; s < kD3D9Stages; ++s) {
        if (c.force) {
            D3D9_SetStageTexture(s, nullptr);
            if (s >= limit || texturesOnly) continue;
            D3D9_SetStageState(s, D3DTSS_TEXCOORDINDEX, 0);
            if (tempResult()) D3D9_SetStageState(s, D3DTSS_RESULTARG, 0);
            D3D9_SetStageState(s, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
            D3D9_SetStageState(s, D3DTSS_COLOROP, D3DTOP_DISABLE);
            for (auto t : {D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2, D3DTSS_COLORARG1, D3DTSS_COLORARG2})
                D3D9_SetStageState(s, t, 0);
        } else if (c.stages[s].texture != nullptr) {
            D3D9_SetStageTexture(s, nullptr);
        }
    }
}

void noteStageCount(int count) {
    if (c.stageCount == count) return;
    c.stageCount = count;
    if (c.force) {
        // Every stage in use gets sampler states.
        Graphics_D3D9_DeviceState_SetTextureFilter(c.textureFilter >= 0 && c.textureFilter <= 2 ? c.textureFilter : 0);
        Graphics_D3D9_DeviceState_SetMaxAnisotropy(c.allAnisotropy > 0 ? c.allAnisotropy : 1, -1);
    }
}

// The batch's skip-draw flag: what is pending was queued under the old value, so it is
// drawn (or dropped) first.
void setSkipDraw(bool skip) {
    if (D3D9Batch.skipDraw == int(skip)) return;
    if (D3D9Batch.pending > 0) Graphics_D3D9_FlushVertexBatch(0);
    D3D9Batch.skipDraw = skip ? 1 : 0;
}

// The white graph's texture, for the untextured pixel kinds that multiply by a texture;
// the scene is open again after the graph is first made.
IDirect3DTexture9* whiteTexture() {
    const GraphData* g = GetGraphData(GetWhiteGraph());
    if (g == nullptr || g->pieceCount < 1 || g->pieces[0].tile == nullptr) return nullptr;
    Graphics_D3D9_BeginScene();
    return D3D9_TileTexture(g->pieces[0].tile)->texture;
}

// Only the textures of the current key, on the stages its form uses.
void rebindTextures() {
    if (c.blendTexture != nullptr) {
        switch (c.blendKind) {
            case 0:
                D3D9_SetStageTexture(0, c.blendTexture);
                D3D9_SetStageTexture(1, c.texture);
                D3D9_SetStageTexture(3, c.texture);
                break;
            case 1:
                D3D9_SetStageTexture(0, c.blendTexture);
                D3D9_SetStageTexture(c.alphaChannel == 1 ? 2 : 1, c.texture);
                break;
            default:
                D3D9_SetStageTexture(0, c.texture);
                D3D9_SetStageTexture(1, c.blendTexture);
                break;
        }
    } else {
        D3D9_SetStageTexture(0, c.texture);
    }
}

}  // namespace

const D3D9BlendRow kD3D9BlendTable[kD3D9BlendRows] = {
    {U, U, 0, ADD, 0, 1},          // 0 none
    {ISA, SA, 0, ADD, 1, 1},       // 1 alpha
    {ONE, SA, 0, ADD, 1, 1},       // 2 add
    {ZERO, IDC, 0, ADD, 1, 1},     // 3 subtract without reverse subtraction
    {SC, ZERO, 0, ADD, 1, 1},      // 4 multiply (texels of alpha 0 are tested away)
    {ONE, SA, 0, ADD, 1, 1},       // 5
    {U, U, 0, ADD, 0, 1},          // 6
    {U, U, 0, ADD, 0, 1},          // 7
    {ONE, ZERO, 0, ADD, 1, 0},     // 8
    {ZERO, IDC, 0, ADD, 1, 0},     // 9 invert
    {ISA, SA, 2, ADD, 1, 1},       // 10
    {SC, ZERO, 1, ADD, 1, 1},      // 11
    {ISA, SA, 3, ADD, 1, 1},       // 12
    {ONE, SA, 3, ADD, 1, 1},       // 13
    {ZERO, ONE, 0, ADD, 1, 0},     // 14 none into a target with alpha
    {ISA, ONE, 0, ADD, 1, 0},      // 15
    {ONE, SA, 0, RSUB, 1, 1},      // 16 subtract
    {ISA, ONE, 4, ADD, 1, 1},      // 17
    {ONE, ONE, 4, ADD, 1, 1},      // 18
    {ONE, ONE, 4, RSUB, 1, 1},     // 19
    {ISA, ONE, 5, ADD, 1, 1},      // 20
    {ISA, ONE, 6, ADD, 1, 1},      // 21
    {ONE, ONE, 6, ADD, 1, 1},      // 22
};

int Graphics_D3D9_ApplyBlendMode(const D3D9UserBlendInfo* info, int texturesOnly, int, int useShader) {
    if (!Direct3DDevice9_IsValid()) return -1;
    int64_t v[kBvCount];
    D3D9Stage stages[kD3D9Stages]{};
    int count = 0;
    bool shaderPath = false;
    IDirect3DPixelShader9* shader = nullptr;

    if (info != nullptr) {
        std::memcpy(v, info->values, sizeof v);
        count = info->stageCount < 0 ? 0 : info->stageCount > kD3D9Stages ? kD3D9Stages : info->stageCount;
        for (int i = 0; i < count; ++i) stages[i] = info->stages[i];
        setSkipDraw(false);
        c.keyChanged = 1;
        c.textureChanged = 1;
        noteStageCount(count);
        sendValues(v, true);
        sendStages(stages, count, false, nullptr, texturesOnly);
        c.shaderMode = 1;
        return 0;
    }

    if (!c.force && !c.keyChanged) {
        if (!c.textureChanged) return -1;
        rebindTextures();
        c.textureChanged = 0;
        c.drawPrepNeeded = 1;
        return 0;
    }
    c.textureChanged = c.keyChanged = 0;
    c.drawPrepNeeded = 1;

    const bool texture = c.texture != nullptr, blend = c.blendTexture != nullptr;
    int r = c.blendMode < 0 || c.blendMode >= kD3D9BlendRows ? 0 : c.blendMode;
    if (r == 0) {
        if (D3D9DrawTargetHasAlpha) r = 14;
        if (texture) {
            if (c.alphaChannel == 1) r = 1;
            if (blend && (c.blendKind == 1 || ((c.premultiplied || c.alphaChannel)))) r = 1;
        }
    }
    if (r == 3 && GraphicsDeviceCapsData.subtractiveBlend) r = 16;
    const D3D9BlendRow& row = kD3D9BlendTable[r];
    // Row 8 keeps the target as it is (source times zero plus target times one): what is
    // queued under it is dropped instead of drawn.
    setSkipDraw(r == 8);
    for (auto& x : v) x = U;
    v[kBvSrcBlend] = row.srcBlend;
    v[kBvDestBlend] = row.destBlend;
    v[kBvBlendOp] = row.blendOp;
    v[kBvAlphaBlendEnable] = row.alphaBlendEnable;
    v[kBvTextureFactor] = 0xFFFFFFFFu;
    v[kBvSeparateAlphaBlendEnable] = 0;
    int testOn = 0, testRef = -1, testFunc = -1;

    const int textureAlpha =
        c.alphaChannel > 0 ? 1 : c.premultiplied ? 2 : (c.zEnable == 1 && !blend) ? 2 : 0;
    shaderPath = ProgrammableShaderFlag && useShader && !blend;
    D3D9_BatchSelectVariant(!texture ? 0 : blend ? 2 : 1);

    if (texture && !blend) {
        if (shaderPath) {
            shader = Graphics_D3D9_TexturedShader(row.pixelKind, c.variant, textureAlpha == 0);
            count = 1;
            stages[0] = D3D9Stage{nullptr, U, U, U, U, U, U, U, U};
        } else {
            const D3D9StageSet& set = D3D9_StageSet(row.pixelKind, 0, c.colorModulate, c.alphaNeeded, textureAlpha);
            count = set.count;
            std::copy(set.stages, set.stages + set.count, stages);
        }
        stages[0].texture = c.texture;
        if (c.premultiplied == 1)
            testOn = 1, testRef = 16, testFunc = D3DCMP_GREATER;
        else if (row.alphaBlendEnable && row.alphaTestAllowed)
            testOn = 1, testRef = 0, testFunc = D3DCMP_GREATER;
    } else if (blend) {
        const int k = c.blendKind < 0 || c.blendKind > 2 ? 0 : c.blendKind;
        const D3D9StageSet& set = D3D9_StageSet(row.pixelKind, k + 1, c.colorModulate, c.alphaNeeded, textureAlpha);
        count = set.count;
        std::copy(set.stages, set.stages + set.count, stages);
        if (k == 0) {
            v[kBvTextureFactor] = uint32_t(c.blendRatio & 0xFF) << 24 | 0xFFFFFFu;
            stages[0].texture = c.blendTexture;
            stages[1].texture = c.texture;
            if (c.premultiplied == 1 || row.alphaBlendEnable || c.alphaChannel == 1)
                testOn = 1, testRef = 0, testFunc = D3DCMP_GREATER;
        } else if (k == 1) {
            stages[0].texture = c.blendTexture;
            stages[c.alphaChannel == 1 ? 2 : 1].texture = c.texture;
            if (c.borderRange > 1) {
                const WipeFactor f = ComputeWipeFactor(c.borderParam, c.borderRange);
                v[kBvAlphaBlendEnable] = 1;
                stages[1].alphaOp = f.scale == 4 ? D3DTOP_MODULATE4X : f.scale == 2 ? D3DTOP_MODULATE2X : D3DTOP_MODULATE;
                stages[0].alphaOp = f.subtract ? D3DTOP_SUBTRACT : D3DTOP_ADD;
                v[kBvTextureFactor] = uint32_t(f.alpha & 0xFF) << 24 | 0xFFFFFFu;
            } else {
                const WipeSetup w = ComputeWipe(c.borderParam, c.borderRange, c.premultiplied, c.alphaChannel);
                testOn = 1, testRef = w.reference, testFunc = D3DCMP_GREATEREQUAL;
                v[kBvAlphaBlendEnable] = 0;
                v[kBvTextureFactor] = 0x00FFFFFFu;
            }
        } else {
            stages[0].texture = c.texture;
            stages[1].texture = c.blendTexture;
            if (row.alphaBlendEnable) testOn = 1, testRef = 0, testFunc = D3DCMP_GREATER;
        }
    } else if (shaderPath) {
        shader = D3D9ShaderSys.untextured[row.pixelKind * 2];
        count = 0;
    } else if (r == 3) {
        count = 1;
        stages[0] = D3D9Stage{nullptr, 0, 0, D3DTA_DIFFUSE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1,
                              D3DTA_DIFFUSE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1};
    } else {
        const D3D9StageSet set = D3D9_UntexturedStageSet(row.pixelKind);
        count = set.count;
        std::copy(set.stages, set.stages + set.count, stages);
        // Kinds 3 and 6 multiply the draw colour by stage 0's texture: the white graph's.
        if (row.pixelKind == 3 || row.pixelKind == 6) stages[0].texture = whiteTexture();
    }

    if (c.alphaTestFunc != -1) testOn = 1, testFunc = c.alphaTestFunc, testRef = c.alphaTestRef;
    v[kBvAlphaTestEnable] = testOn;
    if (testOn) {
        v[kBvAlphaFunc] = testFunc;
        v[kBvAlphaRef] = testRef;
    }
    noteStageCount(count);
    sendValues(v, !shaderPath);
    sendStages(stages, count, shaderPath, shader, texturesOnly);
    c.shaderMode = shaderPath ? 0 : 1;
    return 0;
}

int Graphics_D3D9_DeviceState_SetUserBlendInfo(const D3D9UserBlendInfo* info, int texturesOnly, int resolveHandles) {
    Graphics_D3D9_FlushVertexBatch(0);
    const int r = Graphics_D3D9_ApplyBlendMode(info, texturesOnly, resolveHandles, 0);
    c.keyChanged = 1;
    return r;
}

}  // namespace ZaDod
