// The fixed-function texture-stage sets: 336 entries built once from a few rules (what
// the stages sample, then how the draw colour, alpha and the pixel kind finish the
// colour), and the sets of untextured draws.
#include "media/graphics/d3d9/d3d9_state.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

constexpr int TEX = D3DTA_TEXTURE, DIF = D3DTA_DIFFUSE, CUR = D3DTA_CURRENT, TF = D3DTA_TFACTOR,
              INV = D3DTA_COMPLEMENT, REP = D3DTA_ALPHAREPLICATE;

struct Op {
    int op, arg1, arg2;
};

D3D9Stage stage(int texCoord, Op colour, Op alpha) {
    return D3D9Stage{nullptr, texCoord, 0, alpha.arg1, alpha.arg2, alpha.op, colour.arg1, colour.arg2, colour.op};
}

// Pixel kinds: 0 plain, 1 toward white by alpha, 2 inverted, 3 times 4, 4 times alpha,
// 5 inverted times alpha, 6 times 4 times alpha.
bool inverted(int kind) { return kind == 2 || kind == 5; }
bool timesFour(int kind) { return kind == 3 || kind == 6; }
bool timesAlpha(int kind) { return kind >= 4; }

// The colour of a picture `src` with the draw colour applied.
Op colourOf(int src, int kind, int colour) {
    const int a = inverted(kind) ? src | INV : src;
    if (timesFour(kind)) return {D3DTOP_MODULATE4X, a, DIF};
    return colour ? Op{D3DTOP_MODULATE, a, DIF} : Op{D3DTOP_SELECTARG1, a, DIF};
}

// The stage that finishes the pixel kind after the colour, when the kind needs one.
void finishKind(D3D9StageSet& s, int kind, int alphaRepSource) {
    if (kind == 1) {
        s.stages[s.count++] = stage(1, {D3DTOP_BLENDCURRENTALPHA, CUR, TF}, {D3DTOP_SELECTARG1, CUR, DIF});
    } else if (timesAlpha(kind)) {
        s.stages[s.count++] = stage(1, {D3DTOP_MODULATE, CUR, alphaRepSource | REP}, {D3DTOP_SELECTARG1, CUR, DIF});
    }
}

D3D9StageSet build(int kind, int form, int colour, int alpha, int texAlpha) {
    D3D9StageSet s{};
    // The alpha a texture-alpha form carries into the finish.
    const int repSource = texAlpha ? CUR : DIF;
    switch (form) {
        case 0: {
            // One picture: its first stage already applies the draw colour.
            Op a = texAlpha ? (alpha ? Op{D3DTOP_MODULATE, TEX, DIF} : Op{D3DTOP_SELECTARG1, TEX, DIF})
                            : Op{D3DTOP_SELECTARG2, TEX, DIF};
            if (timesAlpha(kind) && !timesFour(kind) && !colour && !texAlpha) {
                // Times the draw alpha in the same stage.
                s.stages[s.count++] = stage(0, {D3DTOP_MODULATE, inverted(kind) ? TEX | INV : TEX, DIF | REP}, a);
                return s;
            }
            s.stages[s.count++] = stage(0, colourOf(TEX, kind, colour), a);
            finishKind(s, kind, repSource);
            return s;
        }
        case 1:
            // Cross-fade: the blend graph on stage 0, the drawn graph mixed in by the
            // factor's alpha (the blend ratio).
            s.stages[s.count++] = stage(0, {D3DTOP_SELECTARG1, TEX, DIF}, {D3DTOP_SELECTARG1, TEX, DIF});
            s.stages[s.count++] =
                stage(1, {D3DTOP_BLENDFACTORALPHA, CUR, TEX}, {D3DTOP_BLENDFACTORALPHA, CUR, TEX});
            break;
        case 2:
            // Wipe: stage 0 turns the blend graph into alpha with the factor (ADD or
            // SUBTRACT, chosen per draw), the next stage scales it (MODULATE, 2X or 4X, per
            // draw); with texture alpha the drawn graph sits on stage 2 and multiplies it in.
            s.stages[s.count++] = stage(0, {D3DTOP_SELECTARG1, TEX, DIF}, {D3DTOP_ADD, TEX, TF});
            if (texAlpha) {
                s.stages[s.count++] = stage(1, {D3DTOP_SELECTARG1, CUR, DIF}, {D3DTOP_MODULATE, CUR, DIF});
                s.stages[s.count++] = stage(1, {D3DTOP_SELECTARG1, TEX, DIF}, {D3DTOP_MODULATE, CUR, TEX});
            } else {
                s.stages[s.count++] = stage(1, {D3DTOP_SELECTARG1, TEX, DIF}, {D3DTOP_MODULATE, CUR, DIF});
            }
            break;
        default:
            // The blend graph's alpha: the drawn graph on stage 0, times the blend graph's alpha.
            s.stages[s.count++] = stage(1, {D3DTOP_SELECTARG1, TEX, DIF},
                                        texAlpha ? Op{D3DTOP_SELECTARG1, TEX, DIF} : Op{D3DTOP_SELECTARG2, TEX, DIF});
            s.stages[s.count++] = stage(0, {D3DTOP_SELECTARG1, CUR, DIF}, {D3DTOP_MODULATE, CUR, TEX});
            break;
    }
    // The draw colour and alpha after the pictures, when either is used or the kind needs it.
    const Op c = colourOf(CUR, kind, colour);
    const Op a = alpha ? Op{D3DTOP_MODULATE, CUR, DIF} : Op{D3DTOP_SELECTARG1, CUR, DIF};
    if (c.op != D3DTOP_SELECTARG1 || c.arg1 != CUR || a.op != D3DTOP_SELECTARG1)
        s.stages[s.count++] = stage(1, c, a);
    finishKind(s, kind, CUR);
    return s;
}

struct Table {
    D3D9StageSet sets[kD3D9StageSets];
    Table() {
        for (int kind = 0; kind < 7; ++kind)
            for (int form = 0; form < 4; ++form)
                for (int colour = 0; colour < 2; ++colour)
                    for (int alpha = 0; alpha < 2; ++alpha)
                        for (int t = 0; t < 3; ++t)
                            sets[t + 3 * (alpha + 2 * (colour + 2 * (form + 4 * kind)))] =
                                build(kind, form, colour, alpha, t);
    }
};

}  // namespace

const D3D9StageSet& D3D9_StageSet(int kind, int blendForm, int color, int alpha, int textureAlpha) {
    static const Table table;
    const int i = textureAlpha + 3 * (alpha + 2 * (color + 2 * (blendForm + 4 * kind)));
    return table.sets[i >= 0 && i < kD3D9StageSets ? i : 0];
}

D3D9StageSet D3D9_UntexturedStageSet(int kind) {
    D3D9StageSet s{};
    const Op a{D3DTOP_SELECTARG1, DIF, DIF};
    Op c{D3DTOP_SELECTARG1, DIF, DIF};
    switch (kind) {
        case 1: c = {D3DTOP_BLENDDIFFUSEALPHA, DIF, TF}; break;
        case 2: c = {D3DTOP_SELECTARG1, DIF | INV, DIF}; break;
        case 3:
        case 6: c = {D3DTOP_MODULATE4X, DIF, TEX}; break;  // over the white graph's texture
        case 4: c = {D3DTOP_MODULATE, DIF, DIF | REP}; break;
        case 5: c = {D3DTOP_MODULATE, DIF | INV, DIF | REP}; break;
        default: break;
    }
    s.stages[s.count++] = stage(0, c, a);
    if (kind == 6) {
        s.stages[s.count++] = stage(1, {D3DTOP_MODULATE, CUR, DIF | REP}, {D3DTOP_SELECTARG1, CUR, DIF});
        s.stages[s.count++] = stage(2, {D3DTOP_DISABLE, CUR, DIF}, {D3DTOP_DISABLE, CUR, DIF});
    } else {
        s.stages[s.count++] = stage(1, {D3DTOP_DISABLE, CUR, DIF}, {D3DTOP_DISABLE, CUR, DIF});
    }
    return s;
}

}  // namespace ZaDod
