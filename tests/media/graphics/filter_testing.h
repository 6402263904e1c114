// Helpers of the filter and blend tests: software graphics on a 32-bit screen, graphs
// filled from and read back into plain ARGB pixel lists, and random pictures.
#pragma once
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "media/graphics/graph_filter.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/render_settings.h"
#include "tests/media/graphics/graph_testing.h"

namespace filtertest {

using Pixels = std::vector<uint32_t>;  // 0xAARRGGBB, row by row

inline uint32_t argb(int a, int r, int g, int b) {
    return static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 |
           static_cast<uint32_t>(b);
}
inline int chA(uint32_t p) { return p >> 24; }
inline int chR(uint32_t p) { return (p >> 16) & 255; }
inline int chG(uint32_t p) { return (p >> 8) & 255; }
inline int chB(uint32_t p) { return p & 255; }
// Byte c of a pixel in memory order (0 blue, 1 green, 2 red, 3 alpha).
inline int byteOf(uint32_t p, int c) { return (p >> (8 * c)) & 255; }
inline uint32_t withByte(uint32_t p, int c, int v) {
    return (p & ~(0xFFu << (8 * c))) | static_cast<uint32_t>(v & 255) << (8 * c);
}

inline Pixels randomPixels(int count, unsigned seed) {
    std::mt19937 rng(seed);
    Pixels out(count);
    for (uint32_t& p : out) p = rng();
    return out;
}

// A graph of the given size holding the pixels.
inline int makeGraphWith(int width, int height, const Pixels& pixels) {
    const int graph = ZaDod::MakeGraph(width, height);
    if (graph < 0) return -1;
    ZaDod::BaseImage image{};
    ZaDod::CreateARGB8ColorBaseImage(width, height, &image);
    for (int y = 0; y < height; ++y)
        std::memcpy(static_cast<uint8_t*>(image.pixels) + y * image.pitch, pixels.data() + y * width, width * 4);
    const ZaDod::ImageRect rect{0, 0, width, height};
    ZaDod::BltBaseImageToGraph(&rect, 0, 0, graph, &image, nullptr, 0, 0);
    ZaDod::ReleaseBaseImage(&image);
    return graph;
}

inline Pixels readGraph(int graph) {
    ZaDod::BaseImage image{};
    if (ZaDod::GraphFilter_GetGraphImage(graph, &image, nullptr) != 0) return {};
    Pixels out(static_cast<size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y)
        std::memcpy(out.data() + y * image.width, static_cast<uint8_t*>(image.pixels) + y * image.pitch,
                    image.width * 4);
    ZaDod::ReleaseBaseImage(&image);
    return out;
}

// Software graphics on a 32-bit screen: graphs carry an alpha channel.
struct SoftFilter : graphtest::GraphFixture {
    void SetUp() override {
        GraphFixture::SetUp();
        ZaDod::GraphicsSys.colorBits = 32;
        ZaDod::GraphCreateSettingsData.words.alphaChannel = 1;
        ASSERT_EQ(ZaDod::InitializeGraphics(), 0);
        ASSERT_EQ(ZaDod::GraphicsSys.hardware, 0);
    }
};

}  // namespace filtertest
