// Shared by the renderer tests: the library started headless at 640 x 480 in 32 bits on
// one renderer (software, Direct3D 9 or Direct3D 11), the draw target read back through
// the renderer's own read-back, pictures made from a function of their texels, and
// colour arithmetic for comparing frames.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "media/graphics/base_image.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "tests/media/system/media_library_fixture.h"

namespace renderertest {

using namespace ZaDod;

inline constexpr int kW = 640, kH = 480;
enum Renderer { kSoftware, kD3D9, kD3D11, kRenderers };
inline const char* const kNames[kRenderers] = {"software", "Direct3D 9", "Direct3D 11"};

struct Frame {
    std::vector<unsigned> pixels;  // 0xRRGGBB
    unsigned at(int x, int y) const { return pixels[size_t(y) * kW + size_t(x)]; }
};

inline int channel(unsigned c, int shift) { return int(c >> shift & 0xFF); }
inline int distance(unsigned a, unsigned b) {
    int worst = 0;
    for (int shift : {0, 8, 16}) worst = std::max(worst, std::abs(channel(a, shift) - channel(b, shift)));
    return worst;
}
inline std::string hex(unsigned c) {
    std::ostringstream o;
    o << "(" << channel(c, 16) << ", " << channel(c, 8) << ", " << channel(c, 0) << ")";
    return o.str();
}
inline unsigned rgb(int r, int g, int b) { return unsigned(r) << 16 | unsigned(g) << 8 | unsigned(b); }
inline unsigned colour(int r, int g, int b) { return PackScreenColor(r, g, b); }

// The draw target as it stands (a canvas when one is the target), read through the
// renderer's own read-back.
inline Frame capture() {
    Frame f;
    f.pixels.assign(size_t(kW) * kH, 0);
    if (GraphicsSys.hardware) {
        BaseImage image{};
        const ImageRect whole{0, 0, kW, kH};
        if (LockDrawTargetBuffer(&whole, &image, -1, 0, 1) != 0) {
            ADD_FAILURE() << "the draw target cannot be read";
            return f;
        }
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                int r = 0, g = 0, b = 0, a = 0;
                GetBaseImagePixel(&image, x, y, &r, &g, &b, &a);
                f.pixels[size_t(y) * kW + x] = rgb(r, g, b);
            }
        UnlockDrawTargetBuffer();
        return f;
    }
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) f.pixels[size_t(y) * kW + x] = GetDrawTargetPixel(x, y) & 0xFFFFFF;
    return f;
}

// A graph of w x h texels from a function of (x, y) giving 0xAARRGGBB; with `alpha`
// false the image has no alpha channel (the colour key decides transparency).
inline int makePicture(int w, int h, bool alpha, const std::function<unsigned(int, int)>& texel) {
    BaseImage image{};
    if ((alpha ? CreateARGB8ColorBaseImage(w, h, &image) : CreateXRGB8ColorBaseImage(w, h, &image)) != 0) return -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned t = texel(x, y);
            SetBaseImagePixel(&image, x, y, channel(t, 16), channel(t, 8), channel(t, 0), alpha ? channel(t, 24) : 255);
        }
    const int handle = CreateGraphFromBaseImage(&image, nullptr, 1, 0);
    ReleaseBaseImage(&image);
    return handle;
}

class RendererTest : public halvorine_test::LibraryTest {
  protected:
    void TearDown() override {
        LibraryTest::TearDown();
        unsetenv("HALVORINE_MISSING");
    }

    // Starts the library on one renderer, 640 x 480 x 32, cleared black.
    static bool start(Renderer r) {
        if (r == kSoftware)
            setenv("HALVORINE_MISSING", "d3d11,d3d9", 1);
        else if (r == kD3D9)
            setenv("HALVORINE_MISSING", "d3d11", 1);
        else
            unsetenv("HALVORINE_MISSING");
        GraphicsDrawSettings = DrawSettings{};
        SetScreenMode(kW, kH, 32, 0);
        if (startWindowed() != 0) return false;
        const int expected[kRenderers] = {kGraphicsApiSoftware, kGraphicsApiD3D9, kGraphicsApiD3D11};
        if (GraphicsApiType != expected[r]) return false;
        SetDrawMode(0);
        SetBackgroundColor(0, 0, 0);
        ClearDrawTarget(nullptr);
        return true;
    }

    // Every pixel of the hardware frames within `allowance`(x, y) of the software frame:
    // a pixel one renderer inks and another leaves is as far apart as the full colour step.
    static void expectWithin(const char* scene, const std::vector<Frame>& frames,
                             const std::function<int(int, int)>& allowance) {
        ASSERT_EQ(frames.size(), size_t(kRenderers)) << scene;
        for (int r = kD3D9; r < kRenderers; ++r) {
            int above = 0;
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x) {
                    const unsigned s = frames[kSoftware].at(x, y), h = frames[r].at(x, y);
                    if (distance(s, h) <= allowance(x, y)) continue;
                    if (above++ < 8)
                        ADD_FAILURE() << scene << ": at " << x << ", " << y << " software " << hex(s) << ", "
                                      << kNames[r] << " " << hex(h);
                }
            EXPECT_EQ(above, 0) << scene << ": pixels of " << kNames[r] << " further than allowed from software";
        }
    }

    // The scene on each renderer in turn.
    static std::vector<Frame> drawEverywhere(const std::function<void()>& draw) {
        std::vector<Frame> frames;
        for (int r = 0; r < kRenderers; ++r) {
            if (!start(Renderer(r))) {
                ADD_FAILURE() << kNames[r] << " did not start";
                return {};
            }
            draw();
            frames.push_back(capture());
            TerminateLibrary();
        }
        return frames;
    }
};

}  // namespace renderertest
