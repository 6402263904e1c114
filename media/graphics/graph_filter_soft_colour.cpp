// Software colour filters: hue/saturation/brightness, brightness scale, level
// correction with its cached gamma tables, and the gradient map.
#include <cmath>
#include <cstring>

#include "media/graphics/graph.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/graph_filter_loops.h"
#include "media/graphics/hardware_types.h"

namespace ZaDod {

using filterloop::luminance;
using filterloop::mapPixels;
using filterloop::rowOf;

GraphFilterLevelGammaTableData GraphFilterLevelGammaTable = {{}, -10000000.0f};

namespace {
// The gamma curve: entry i = min(pow(i / 255, 1 / gamma) · 255, 255), truncated.
void fillGammaTable(float gamma, uint8_t* table) {
    for (int i = 0; i < 256; ++i) {
        const float v = std::pow(static_cast<float>(i) / 255.0f, 1.0f / gamma) * 255.0f;
        table[i] = v > 255.0f ? 255 : static_cast<uint8_t>(v);
    }
}

float keyOf(int32_t bits) {
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}
int32_t bitsOf(float f) {
    int32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

// The shader path's copy of the table: a 256 × 1 graph kept in the filter-shader table.
void refreshGammaGraph(float gamma) {
    int32_t* table = GraphFilterShaderHandleTable;
    if (GetGraphData(table[kGraphFilterGammaGraphSlot]) == nullptr) {
        const int graph = MakeGraph(256, 1);
        if (graph < 0) return;
        SetGraphFilterShaderHandle(kGraphFilterGammaGraphSlot, graph);
        table[kGraphFilterGammaKeySlot] = bitsOf(-10000000.0f);
    }
    if (std::fabs(keyOf(table[kGraphFilterGammaKeySlot]) - gamma) <= 0.0001f) return;
    BaseImage image{};
    if (CreateARGB8ColorBaseImage(256, 1, &image) != 0) return;
    uint8_t curve[256];
    fillGammaTable(gamma, curve);
    auto* p = static_cast<uint8_t*>(image.pixels);
    for (int i = 0; i < 256; ++i) std::memset(p + i * 4, curve[i], 4);
    const ImageRect rect{0, 0, 256, 1};
    BltBaseImageToGraph(&rect, 0, 0, table[kGraphFilterGammaGraphSlot], &image, nullptr, 0, 0);
    ReleaseBaseImage(&image);
    table[kGraphFilterGammaKeySlot] = bitsOf(gamma);
}
}  // namespace

const uint8_t* GetGraphFilterLevelTable(float gamma) {
    GraphFilterLevelGammaTableData& t = GraphFilterLevelGammaTable;
    if (std::fabs(t.gamma - gamma) > 0.0001f) {
        fillGammaTable(gamma, t.table);
        t.gamma = gamma;
    }
    return t.table;
}

int GraphFilter_BrightnessScale(GraphFilterInfo* info, int minimum, int maximum) {
    const int mn = std::clamp(minimum, 0, 254);
    int mx = std::clamp(maximum, 1, 255);
    if (mn == mx) mx = mn + 1;
    if (ProgrammableShaderFlag == 1) {
        Graphics_Hardware_Filter_BrightnessScale(info, mn, mx);
        return 0;
    }
    const int scale = 1044480 / (mx - mn);
    return mapPixels(info, [mn, scale](const uint8_t* s, uint8_t* d) {
        const int b = s[0], g = s[1], r = s[2];
        const int hi = std::max({r, g, b}), lo = std::min({r, g, b});
        const int delta = hi - lo, light = (hi + lo) >> 1;
        int sat = 0, pr = 255, pg = 0, pb = 0;
        if (delta != 0) {
            sat = delta * 256 / (light > 128 ? 512 - hi - lo : hi + lo);
            const int kr = (hi - r) * 256 / delta, kg = (hi - g) * 256 / delta, kb = (hi - b) * 256 / delta;
            if (r == hi) {
                pr = 255;
                if (kb > kg) pb = 0, pg = kb - kg;
                else pb = kg - kb, pg = 0;
            } else if (g != hi) {
                pb = 255;
                if (kg > kr) pr = kg - kr, pg = 0;
                else pr = 0, pg = kr - kg;
            } else {
                pg = 255;
                if (kr > kb) pb = kr - kb, pr = 0;
                else pb = 0, pr = kb - kr;
            }
        }
        int lightNew = ((light - mn) * scale) >> 12;
        const int pure[3] = {pb, pg, pr};
        for (int c = 0; c < 3; ++c) {
            const int p = pure[c];
            const int cv = p + (((128 - p) * (256 - sat)) >> 8);
            int out;
            if (lightNew <= 0) out = 0;
            else if (lightNew <= 128) out = (2 * lightNew * cv) >> 8;
            else out = cv + (((255 - cv) * (std::min(lightNew, 255) - 128) * 2) >> 8);
            d[c] = static_cast<uint8_t>(out);
        }
        d[3] = s[3];
    });
}

int GraphFilter_Hsb(GraphFilterInfo* info, int hueMode, float hue, float saturation, float bright) {
    float h = hue / 360.0f;
    h = hueMode == 0 ? std::clamp(h, -0.5f, 0.5f) : std::clamp(h, 0.0f, 1.0f);
    h *= 6.0f;
    const float sat = std::clamp(saturation / 100.0f, -1.0f, 1.0f);
    const float bri = bright / 100.0f;
    if (ProgrammableShaderFlag == 1) {
        Graphics_Hardware_Filter_HSB(info, hueMode, h, sat, bri);
        return 0;
    }
    const int hueK = static_cast<int>(h * 256.0f);
    const int satK = static_cast<int>((sat > 0 ? sat * 5.0f : sat) * 256.0f);
    // Past full white or full black the channels would leave the byte range: brightness
    // beyond ±1 saturates.
    const int briK = static_cast<int>(std::clamp(bri, -1.0f, 1.0f) * 256.0f);
    const int fixedHue = hueK >= 1536 ? hueK - 1536 : hueK;
    auto run = [&](auto setHue) {
        return mapPixels(info, [=](const uint8_t* s, uint8_t* d) {
            int c[3];
            for (int i = 0; i < 3; ++i)
                c[i] = briK > 0 ? s[i] + (((255 - s[i]) * briK) >> 8) : (s[i] * (briK + 256)) >> 8;
            const int b = c[0], g = c[1], r = c[2];
            const int hi = std::max({r, g, b}), lo = std::min({r, g, b});
            const int light = (hi + lo) >> 1;
            int satV = 0, hueV = 0;
            if (hi != lo) {
                const int delta = hi - lo;
                satV = (delta << 8) / (light > 128 ? 512 - lo - hi : hi + lo);
                const int kb = ((hi - b) << 8) / delta, kg = ((hi - g) << 8) / delta, kr = ((hi - r) << 8) / delta;
                hueV = r == hi ? kb - kg : g == hi ? kr - kb + 512 : kg - kr + 1024;
                if (hueV < 0) hueV += 1536;
            }
            if constexpr (decltype(setHue)::value) {
                hueV = fixedHue;
            } else {
                hueV += hueK;
                if (hueV < 0) hueV += 1536;
                else if (hueV >= 1536) hueV -= 1536;
            }
            const int satNew = std::min(((satK + 256) * satV) >> 8, 256);
            const int f = hueV & 255;
            int pr, pg, pb;
            if (hueV < 256) pr = 255, pg = f, pb = 0;
            else if (hueV < 512) pr = 255 - f, pg = 255, pb = 0;
            else if (hueV < 768) pr = 0, pg = 255, pb = f;
            else if (hueV < 1024) pr = 0, pg = 255 - f, pb = 255;
            else if (hueV < 1280) pr = f, pg = 0, pb = 255;
            else pr = 255, pg = 0, pb = 255 - f;
            const int pure[3] = {pb, pg, pr};
            for (int i = 0; i < 3; ++i) {
                const int p = pure[i];
                const int cv = p + (((256 - satNew) * (128 - p)) >> 8);
                const int out = light <= 128 ? (2 * light * cv) >> 8 : cv + (((255 - cv) * (light - 128) * 2) >> 8);
                d[i] = static_cast<uint8_t>(out);
            }
            d[3] = s[3];
        });
    };
    return hueMode == 1 ? run(std::true_type{}) : run(std::false_type{});
}

int GraphFilter_Level(GraphFilterInfo* info, float inMin, float inMax, float gamma, float outMin, float outMax) {
    float iMinF = std::clamp(inMin / 255.0f, 0.0f, 1.0f), iMaxF = std::clamp(inMax / 255.0f, 0.0f, 1.0f);
    float oMinF = std::clamp(outMin / 255.0f, 0.0f, 1.0f), oMaxF = std::clamp(outMax / 255.0f, 0.0f, 1.0f);
    if (gamma < 0.001f) gamma = 0.001f;
    if (iMinF > iMaxF) iMinF = iMaxF;
    if (oMinF > oMaxF) oMinF = oMaxF;
    if (ProgrammableShaderFlag == 1) {
        refreshGammaGraph(gamma);
        Graphics_Hardware_Filter_Level(info, iMinF, iMaxF, gamma, oMinF, oMaxF);
        return 0;
    }
    const uint8_t* table = GetGraphFilterLevelTable(gamma);
    const int iMin = static_cast<int>(iMinF * 255.0f), range = static_cast<int>(iMaxF * 255.0f) - iMin;
    const int oMin = static_cast<int>(oMinF * 255.0f), oRange = static_cast<int>(oMaxF * 255.0f) - oMin;
    // Every channel value maps through one 256-entry result table built here.
    uint8_t lut[256];
    for (int c = 0; c < 256; ++c) {
        int t;
        if (range == 0) {
            // An empty input range is a step at the minimum.
            t = c < iMin ? table[0] : table[255];
        } else {
            const int k = ((c - iMin) << 8) / range;
            t = k < 0 ? table[0] : k > 255 ? table[255] : table[k];
        }
        lut[c] = static_cast<uint8_t>((t * oRange + (oMin << 8)) >> 8);
    }
    return mapPixels(info, [&lut](const uint8_t* s, uint8_t* d) {
        d[0] = lut[s[0]];
        d[1] = lut[s[1]];
        d[2] = lut[s[2]];
        d[3] = s[3];
    });
}

int GraphFilter_GradientMap(GraphFilterInfo* info, int gradientGraph, int reverse) {
    if (ProgrammableShaderFlag == 1) {
        Graphics_Hardware_Filter_GradientMap(info, gradientGraph, reverse);
        return 0;
    }
    BaseImage gradient{};
    if (GraphFilter_GetGraphImage(gradientGraph, &gradient, nullptr) != 0) return -1;
    uint32_t table[256];
    const auto* first = static_cast<const uint32_t*>(gradient.pixels);
    for (int i = 0; i < 256; ++i) table[reverse ? 255 - i : i] = first[(i * gradient.width) >> 8];
    ReleaseBaseImage(&gradient);
    return mapPixels(info, [&table](const uint8_t* s, uint8_t* d) {
        std::memcpy(d, &table[luminance(s) >> 12], 4);
    });
}

}  // namespace ZaDod
