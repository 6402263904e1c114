// The Direct3D 11 channel mix: picks the shader for four channel selectors (indexed when
// every channel comes from one graph, named for three equal or R, G, B source channels and
// one blend channel, else the base form reading its selectors from c1), swapping the two
// graphs for the pass when that makes the request fit a packaged form.
#include <cstdio>
#include <utility>

#include "media/base/log.h"
#include "media/graphics/d3d11/d3d11_filter.h"
#include "media/graphics/shader.h"

namespace ZaDod {

D3D11MixChoice D3D11_ChooseMix(int r, int g, int b, int a) {
    D3D11MixChoice c{};
    c.index = -1;
    c.selectors[0] = r, c.selectors[1] = g, c.selectors[2] = b, c.selectors[3] = a;
    const bool allSource = r < 4 && g < 4 && b < 4 && a < 4, allBlend = r >= 4 && g >= 4 && b >= 4 && a >= 4;
    if (allSource || allBlend) {
        c.swap = allBlend;
        const int o = allBlend ? 4 : 0;
        c.index = (a - o) + 4 * ((b - o) + 4 * ((g - o) + 4 * (r - o)));
        c.slot = kD3D11MixIndexedSlot + c.index;
        return c;
    }
    const bool same = r == g && g == b && r != 3 && r != 7;
    const bool rgb = (r == 0 && g == 1 && b == 2) || (r == 4 && g == 5 && b == 6);
    if ((same || rgb) && (r >= 4 ? a < 4 : a >= 4)) {
        // After a swap the original source is the blend graph: its channel a is what the
        // request asked for, named by the blend letter of the adjusted a - 4.
        if (r >= 4) {
            c.swap = true;
            r -= 4, g -= 4, b -= 4, a += 4;
        }
        const char* const* letters = D3D11FilterNames + kFNLetters;
        std::snprintf(c.name, sizeof c.name, "RGBAMix_S%sS%sS%sB%s.pso", letters[r], letters[g], letters[b],
                      letters[a - 4]);
        c.slot = kD3D11MixNamedSlot + (same ? r * 4 + (a - 4) : 12 + (a - 4));
        return c;
    }
    std::snprintf(c.name, sizeof c.name, "%s", D3D11FilterNames[kFNRGBAMixBase]);
    c.slot = kD3D11MixBaseSlot;
    return c;
}

int Graphics_D3D11_Filter_RGBAMix(GraphFilterInfo* info, int red, int green, int blue, int alpha) {
    const int sel[4] = {red, green, blue, alpha};
    for (int s : sel)
        if (s < 0 || s > 7) return -1;
    const D3D11MixChoice c = D3D11_ChooseMix(red, green, blue, alpha);
    int shader;
    if (c.index >= 0) {
        shader = D3D11_FilterMixShader(c.index);
    } else {
        int32_t* table = GraphFilterShaderHandleTable;
        shader = GetShaderData(table[c.slot], 0) != nullptr ? table[c.slot] : Graphics_D3D11_Filter_LoadShader(c.name);
        if (shader < 0) {
            char16_t wide[40] = {};
            for (int i = 0; i < 39 && c.name[i] != '\0'; ++i) wide[i] = char16_t(c.name[i]);
            LogFormatUtf16(u"RGBAMixS フィルター用シェーダーの作成に失敗しました %s", wide);
            return -1;
        }
        if (table[c.slot] != shader) SetGraphFilterShaderHandle(c.slot, shader);
    }
    if (shader < 0) return -1;
    const float ratio = info->blendRatio;
    const float rows[2][4] = {{ratio, ratio, ratio, ratio},
                              {float(red) + 0.5f, float(green) + 0.5f, float(blue) + 0.5f, float(alpha) + 0.5f}};
    D3D11_SetFilterConstants(rows, 2);
    if (c.swap) std::swap(info->source, info->blendGraph);
    const int result = Graphics_D3D11_FilterPass_DrawQuad(shader, info, 0, 1, -1, nullptr);
    if (c.swap) std::swap(info->source, info->blendGraph);
    return result;
}

}  // namespace ZaDod
