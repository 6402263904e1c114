// Mask screen in software mode on 32- and 16-bit screens: which pixels a masked draw
// changes, nested and unmatched brackets, growth, target changes and pixel reads.
#include <gtest/gtest.h>

#include <cstring>

#include "media/graphics/draw.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/mask.h"
#include "media/graphics/mem_img_draw.h"
#include "media/graphics/render_settings.h"
#include "tests/media/graphics/graph_testing.h"

using namespace ZaDod;

namespace {

struct MaskScreen : graphtest::GraphFixture, ::testing::WithParamInterface<int> {
    void SetUp() override {
        GraphFixture::SetUp();
        GraphicsSys.colorBits = GetParam();
        ASSERT_EQ(InitializeGraphics(), 0);
        FillMemImg(&GraphicsSys.mainScreen, nullptr, 0);
    }
    static uint32_t at(const MEMIMG* image, int x, int y) {
        const uint8_t* p = image->pixels + y * image->base->pitch;
        return MemImgPixelBytes(image->base) == 2 ? reinterpret_cast<const uint16_t*>(p)[x]
                                                  : reinterpret_cast<const uint32_t*>(p)[x];
    }
    static uint32_t screen(int x, int y) { return at(&GraphicsSys.mainScreen, x, y); }
    // Mask bytes 1 (drawing refused) on columns from `from` rightwards.
    static void blockFrom(int from) {
        int pitch, width, height;
        uint8_t* mask = GetMaskBufferForTest(&pitch, &width, &height);
        ASSERT_NE(mask, nullptr);
        for (int y = 0; y < height; ++y) std::memset(mask + y * pitch + from, 1, width - from);
    }
};

TEST_P(MaskScreen, OnlyAllowedPixelsChange) {
    EXPECT_EQ(SetUseMaskScreenFlag(1), -1);  // no mask screen yet
    ASSERT_EQ(CreateMaskScreen(1, 640, 480), 0);
    blockFrom(320);
    ASSERT_EQ(SetUseMaskScreenFlag(1), 0);
    const unsigned int red = PackScreenColor(255, 0, 0);
    for (int round = 0; round < 3; ++round) {
        FillMemImg(&GraphicsSys.mainScreen, nullptr, 0);
        EXPECT_EQ(DrawFilledBox(300, 10, 340, 20, red), 0);
        EXPECT_EQ(screen(300, 15), red);
        EXPECT_EQ(screen(319, 15), red);
        EXPECT_EQ(screen(320, 15), 0u);
        EXPECT_EQ(screen(339, 15), 0u);
        // Reads see the real target, not the mask's colour image.
        EXPECT_EQ(GetDrawTargetPixel(310, 15), red);
        // An end without a begin does not stop later brackets.
        EXPECT_EQ(EndMaskDraw(&GraphicsDrawSettings.drawArea), 0);
        EXPECT_EQ(GetMaskNestingForTest(), 0);
    }

    // Nested brackets composite once, at the outermost end.
    FillMemImg(&GraphicsSys.mainScreen, nullptr, 0);
    const ImageRect outer{0, 0, 100, 100};
    BeginMaskDraw(&outer);
    EXPECT_EQ(DrawFilledBox(10, 10, 20, 20, red), 0);
    EXPECT_EQ(screen(15, 15), 0u);
    EndMaskDraw(&outer);
    EXPECT_EQ(screen(15, 15), red);

    // A rectangle outside the draw area composites nothing.
    SetDrawArea(0, 0, 200, 200);
    const ImageRect away{300, 300, 400, 400};
    FillMemImg(&GraphicsSys.mainScreen, nullptr, 0);
    BeginMaskDraw(&away);
    SetMemImgDrawArea(&away);  // let the draw land in the mask image
    DrawFillBoxMemImg(&away, red);
    EndMaskDraw(&away);
    SetDrawArea(0, 0, 640, 480);
    EXPECT_EQ(screen(350, 350), 0u);
    EXPECT_EQ(SetUseMaskScreenFlag(0), 0);
    EXPECT_EQ(DeleteMaskScreen(), 0);
}

TEST_P(MaskScreen, GrowingKeepsOldBytesAndTargetsFollow) {
    ASSERT_EQ(CreateMaskScreen(1, 640, 480), 0);
    int pitch, width, height;
    uint8_t* mask = GetMaskBufferForTest(&pitch, &width, &height);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) mask[y * pitch + x] = static_cast<uint8_t>(1 + (x + y) % 7);
    ASSERT_EQ(CreateMaskScreen(1, 800, 600), 0);
    mask = GetMaskBufferForTest(&pitch, &width, &height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    int wrong = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const int want = x < 640 && y < 480 ? 1 + (x + y) % 7 : 0;
            wrong += mask[y * pitch + x] != want;
        }
    EXPECT_EQ(wrong, 0);
    // A smaller request keeps the larger mask.
    ASSERT_EQ(CreateMaskScreen(1, 100, 100), 0);
    GetMaskBufferForTest(&pitch, &width, &height);
    EXPECT_EQ(width, 800);

    // A same-size graph target keeps masking on; the composite lands in the graph.
    std::memset(mask, 0, static_cast<size_t>(pitch) * height);
    blockFrom(320);
    ASSERT_EQ(SetUseMaskScreenFlag(1), 0);
    const int target = MakeDrawableGraph(640, 480, 0);
    ASSERT_GE(target, 0);
    ASSERT_EQ(SetDrawTarget(target), 0);
    EXPECT_EQ(GetUseMaskScreenFlag(), 1);
    EXPECT_EQ(IsDrawingThroughMask(), 1);
    MEMIMG* image = GetGraphSoftImage(GetGraphData(target));
    FillMemImg(image, nullptr, 0);
    const unsigned int green = PackScreenColor(0, 255, 0);
    EXPECT_EQ(DrawFilledBox(310, 0, 330, 5, green), 0);
    EXPECT_EQ(at(image, 315, 2), green);
    EXPECT_EQ(at(image, 325, 2), 0u);
    EXPECT_EQ(GetDrawTargetPixel(315, 2), green);
    ASSERT_EQ(SetDrawTarget(-2), 0);
    EXPECT_EQ(IsDrawingThroughMask(), 1);
}

INSTANTIATE_TEST_SUITE_P(Depths, MaskScreen, ::testing::Values(32, 16));

}  // namespace
