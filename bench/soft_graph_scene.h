// The software renderer's sprite scene the drawing benchmarks share: a 32-bit screen
// filled with one colour and a 32x32 alpha graph made from given ARGB pixels, set up as
// the draw target and area with full brightness and no blend graph.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

#include "media/graphics/base_image.h"
#include "media/graphics/mem_img.h"
#include "media/graphics/mem_img_draw.h"

namespace softbench {

struct SoftGraphScene {
    ZaDod::MEMIMG screen{}, sprite{};
    SoftGraphScene(int width, int height, int size, const std::vector<uint32_t>& argb) {
        using namespace ZaDod;
        InitMemImgBlendTables();
        CreateMemImg(&screen, width, height, -1, 0, kMemImgX8R8G8B8, 0, 0, 0, nullptr);
        FillMemImg(&screen, nullptr, 0xFF204060u);
        BaseImage base{};
        CreateARGB8ColorBaseImage(size, size, &base);
        for (int y = 0; y < size; ++y)
            std::memcpy(static_cast<uint8_t*>(base.pixels) + y * base.pitch, argb.data() + size_t(y) * size,
                        size_t(size) * 4);
        CreateMemImg(&sprite, size, size, -1, 0, kMemImgX8R8G8B8, 0, 1, 1, nullptr);
        BltBaseImageToMemImg(&base, nullptr, &sprite, 0, 0, size, size, 0, 0, 0);
        ReleaseBaseImage(&base);
        SetMemImgDrawTarget(&screen);
        const ImageRect area{0, 0, width, height};
        SetMemImgDrawArea(&area);
        SetMemImgDrawBright(0x00FFFFFF);
        SetMemImgBlendGraph(nullptr, 0, 0);
    }
    ~SoftGraphScene() {
        ZaDod::SetMemImgDrawTarget(nullptr);
        ZaDod::TerminateMemImg(&sprite);
        ZaDod::TerminateMemImg(&screen);
    }
    SoftGraphScene(const SoftGraphScene&) = delete;
    SoftGraphScene& operator=(const SoftGraphScene&) = delete;
};

}  // namespace softbench
