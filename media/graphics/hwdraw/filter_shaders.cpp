// The filter shaders' names and handle slots, their loading through a back end's archive,
// the channel-mix shader choice and the work-screen cache, shared by both hardware back ends.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "media/base/handle.h"
#include "media/base/log.h"
#include "media/graphics/graph.h"
#include "media/graphics/hwdraw/filter_steps.h"
#include "media/graphics/shader.h"

namespace ZaDod {

const char* const HwFilterNames[kFNCount] = {
    "Mono.pso", "Gauss_08Pixel_PS.pso", "Gauss_16Pixel_PS.pso", "Gauss_32Pixel_PS.pso", "DownScaleX2.pso",
    "DownScaleX4.pso", "DownScaleX8.pso", "BrightClipLess.pso", "BrightClipFillLess.pso", "BrightClipGreater.pso",
    "BrightClipFillGreater.pso", "BrightnessScale.pso", "Hsb_HSB_BASE.pso", "Hsb_HSB_HLOCK.pso", "Invert.pso",
    "Level.pso", "TwoColor.pso", "GradientMap.pso", "GradientMapRev.pso", "PremultipliedAlpha.pso",
    "InterpolatedAlpha.pso", "Y2uv2ToRgb.pso", "Y2uv1ToRgb.pso", "Y2uv2ToRgb_RRA.pso", "Y2uv1ToRgb_RRA.pso",
    "Bicubic.pso", "Lanczos3.pso", "BasBF_Normal.pso", "", "BasBF_Multiple.pso", "BasBF_Difference.pso",
    "BasBF_Add.pso", "BasBF_Screen.pso", "BasBF_Overlay.pso", "BasBF_Dodge.pso", "BasBF_Burn.pso",
    "BasBF_Darken.pso", "BasBF_Lighten.pso", "BasBF_SoftLight.pso", "BasBF_HardLight.pso", "BasBF_Exclusion.pso",
    "BasBF_Normal_AlphaCh.pso", "BasBF_Add_AlphaCh.pso", "BasBF_Multiple_AOnly.pso",
    "BasBF_PMA_Multiple_AOnly.pso", "RGBAMix_Base.pso", "R", "G", "B", "A", "Hsb_RGB_TO_HSB.pso",
    "Hsb_HSB_TO_RGB.pso"};

namespace {

// Work screens by (colour kind, size exponent, slot); -1 = none. Deleting a work screen's
// graph puts its entry back to -1. One back end runs at a time, so one cache serves both.
int32_t workScreens[2][16][2];
const bool workScreensFilled = [] {
    std::memset(workScreens, 0xFF, sizeof workScreens);
    return true;
}();

void logWithName(const char16_t* format, const char* name) {
    char16_t wide[64] = {};
    for (int i = 0; i < 63 && name[i] != '\0'; ++i) wide[i] = char16_t(static_cast<unsigned char>(name[i]));
    LogFormatUtf16(format, wide);
}

int sizeExponent(int size) {
    int e = 0;
    while ((1 << e) < size && e < 15) ++e;
    return e;
}

// The slot's handle when it still names a shader, after loading it with `load` otherwise.
template <class Load>
int slotShader(int slot, Load&& load) {
    int32_t* table = GraphFilterShaderHandleTable;
    if (GetShaderData(table[slot], 0) != nullptr) return table[slot];
    const int handle = load();
    if (handle >= 0) SetGraphFilterShaderHandle(slot, handle);
    return handle;
}

}  // namespace

int HwFilterShader(const HwFilterDevice& device, int slot, const char* fileName) {
    const int handle = slotShader(slot, [&] { return device.loadShader(fileName); });
    if (handle < 0) logWithName(u"フィルター用シェーダーの作成に失敗しました %s", fileName);
    return handle;
}

// The indexed mix shaders come from the sized table, the named ones from the archive.
int hwMixShader(const HwFilterDevice& device, const HwMixChoice& c) {
    if (c.index >= 0) {
        const int handle = slotShader(c.slot, [&] {
            int size = 0;
            const void* code = device.mixCode(c.index, &size);
            return code != nullptr ? LoadShaderFromMemBase(0, code, size, 0, 0, 0) : -1;
        });
        if (handle < 0) LogAddTextUtf16(u"RGBAMixS フィルター用シェーダーの作成に失敗しました\n");
        return handle;
    }
    const int handle = slotShader(c.slot, [&] { return device.loadShader(c.name); });
    if (handle < 0) logWithName(u"RGBAMixS フィルター用シェーダーの作成に失敗しました %s", c.name);
    return handle;
}

HwMixChoice HwChooseMix(int r, int g, int b, int a) {
    HwMixChoice c{};
    c.index = -1;
    c.selectors[0] = r, c.selectors[1] = g, c.selectors[2] = b, c.selectors[3] = a;
    const bool allSource = r < 4 && g < 4 && b < 4 && a < 4, allBlend = r >= 4 && g >= 4 && b >= 4 && a >= 4;
    if (allSource || allBlend) {
        c.swap = allBlend;
        const int o = allBlend ? 4 : 0;
        c.index = (a - o) + 4 * ((b - o) + 4 * ((g - o) + 4 * (r - o)));
        c.slot = kHwMixIndexedSlot + c.index;
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
        const char* const* letters = HwFilterNames + kFNLetters;
        std::snprintf(c.name, sizeof c.name, "RGBAMix_S%sS%sS%sB%s.pso", letters[r], letters[g], letters[b],
                      letters[a - 4]);
        c.slot = kHwMixNamedSlot + (same ? r * 4 + (a - 4) : 12 + (a - 4));
        return c;
    }
    std::snprintf(c.name, sizeof c.name, "%s", HwFilterNames[kFNRGBAMixBase]);
    c.slot = kHwMixBaseSlot;
    return c;
}

int HwFilter_CreateWorkScreen(int colorKind, int width, int height, int slot) {
    const int e = sizeExponent(std::max(width, height));
    int32_t& entry = workScreens[colorKind ? 1 : 0][e][slot ? 1 : 0];
    if (GetGraphData(entry) != nullptr) return entry;
    SetupGraphParam param{};
    InitSetupGraphParamDrawable(&param, 32, 1);
    const int handle = MakeGraphFromParam(&param, 1 << e, 1 << e, 0, 0, 0, 0);
    if (handle < 0) {
        LogFormatUtf16(u"作業用描画可能テクスチャの作成に失敗しました Size:%dx%d", 1 << e, 1 << e);
        return -1;
    }
    entry = handle;
    SetDeleteHandleFlag(handle, &entry);
    return handle;
}

}  // namespace ZaDod
