// Helpers of the software drawing tests: small 16- and 32-bit targets with a one-pixel
// guard border, the software draw state set for them, and pictures as software images.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "media/graphics/base_image.h"
#include "media/graphics/graphics.h"
#include "media/graphics/mem_img.h"

namespace softtest {

constexpr uint32_t kGuard = 0x5A3C961Eu;

// A w x h software image inside a guard border; drawing goes to the inner view.
struct Target {
    ZaDod::MEMIMG outer{}, view{};
    int width, height, bytes;

    Target(int w, int h, int colorType, int alpha = 0) : width(w), height(h) {
        ZaDod::CreateMemImg(&outer, w + 2, h + 2, -1, 0, colorType, 0, alpha, 0, nullptr);
        bytes = ZaDod::MemImgPixelBytes(outer.base);
        for (int y = 0; y < h + 2; ++y)
            for (int x = 0; x < w + 2; ++x) raw(x, y) = kGuard;
        ZaDod::DeriveMemImg(&view, &outer, 1, 1, w, h);
        fill(0);
    }
    ~Target() {
        ZaDod::TerminateMemImg(&view);
        ZaDod::TerminateMemImg(&outer);
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    uint8_t* address(int x, int y) const { return outer.pixels + y * outer.base->pitch + x * bytes; }
    struct Ref {
        uint8_t* p;
        int bytes;
        operator uint32_t() const {
            uint32_t v = 0;
            std::memcpy(&v, p, static_cast<size_t>(bytes));
            return v;
        }
        Ref& operator=(uint32_t v) {
            std::memcpy(p, &v, static_cast<size_t>(bytes));
            return *this;
        }
    };
    Ref raw(int x, int y) const { return Ref{address(x, y), bytes}; }
    // A pixel of the drawing area, x and y from -1 (the guard) to the size.
    Ref at(int x, int y) const { return raw(x + 1, y + 1); }
    void fill(uint32_t v) const {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) at(x, y) = v;
    }
    bool guardIntact() const {
        const uint32_t guard = bytes == 2 ? (kGuard & 0xFFFF) : kGuard;
        for (int x = -1; x <= width; ++x)
            if (at(x, -1) != guard || at(x, height) != guard) return false;
        for (int y = 0; y < height; ++y)
            if (at(-1, y) != guard || at(width, y) != guard) return false;
        return true;
    }
    // Pixels that differ from `background`.
    int count(uint32_t background) const {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) n += at(x, y) != background;
        return n;
    }
    // Makes this the software draw target, with the whole image (or `area`) as draw area.
    void use() { use(ZaDod::ImageRect{0, 0, width, height}); }
    void use(const ZaDod::ImageRect& area) {
        ZaDod::SetMemImgDrawTarget(&view);
        ZaDod::SetMemImgDrawArea(&area);
    }
};

// A software image of the given colour type loaded from A8R8G8B8 pixels (with a
// valid run table when it has one).
struct Picture {
    ZaDod::MEMIMG img{};
    Picture(int w, int h, int colorType, int alpha, const std::vector<uint32_t>& argb, uint32_t transColor = 0,
            bool runTable = true) {
        ZaDod::BaseImage base{};
        ZaDod::CreateARGB8ColorBaseImage(w, h, &base);
        for (int y = 0; y < h; ++y)
            std::memcpy(static_cast<uint8_t*>(base.pixels) + y * base.pitch, argb.data() + y * w,
                        static_cast<size_t>(w) * 4);
        ZaDod::CreateMemImg(&img, w, h, -1, transColor, colorType, 0, alpha, runTable ? 1 : 0, nullptr);
        ZaDod::BltBaseImageToMemImg(&base, nullptr, &img, 0, 0, w, h, 0, 0, 0);
        ZaDod::ReleaseBaseImage(&base);
    }
    ~Picture() { ZaDod::TerminateMemImg(&img); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
};

// Resets the software draw state between cases.
struct DrawStateFixture : ::testing::Test {
    void SetUp() override {
        ZaDod::InitMemImgBlendTables();
        reset();
    }
    void TearDown() override {
        reset();
        ZaDod::SetMemImgDrawTarget(nullptr);
        ZaDod::ReleaseDrawWorkBuffers();
    }
    static void reset() {
        ZaDod::SetMemImgBlendMode(0, 0);
        ZaDod::SetMemImgDrawBright(0x00FFFFFF);
        ZaDod::SetMemImgBlendGraph(nullptr, 0, 0);
    }
};

inline uint32_t rgb(int r, int g, int b) {
    return 0xFF000000u | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
}

}  // namespace softtest
