// End to end through the media layer: a headless game draws shapes, a graph loaded from
// PNG and a masked box through the fronts on a 640 x 480 32-bit software screen and
// flips once; the dumped frame must match, pixel for pixel, the same scene made by
// calling the software fallbacks on an image directly.
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/mask.h"
#include "media/graphics/mem_img_draw.h"
#include "media/graphics/hwdraw/rotation.h"
#include "media/graphics/soft_draw.h"
#include "media/graphics/display.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/win/win_window.h"
#include "media/system/system.h"
#include "media/system/window.h"
#include "platform/win/win_display.h"
#include "tests/media/graphics/frame_dump.h"
#include "tests/media/system/media_library_fixture.h"

using namespace ZaDod;

namespace {

using DrawFrame = halvorine_test::LibraryTest;

constexpr int kW = 640, kH = 480;

struct Scene {
    int graph;
    unsigned int red, green, blue, yellow;
};

// The graph comes from a PNG file, as a game's would.
Scene makeScene() {
    std::vector<png_byte> rgb;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            rgb.insert(rgb.end(), {static_cast<png_byte>(30 * x), static_cast<png_byte>(40 * y),
                                   static_cast<png_byte>(200 - 20 * x)});
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 8;
    image.height = 6;
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, "graph.png", 0, rgb.data(), 0, nullptr)) _exit(5);
    const int graph = LoadGraph("graph.png", 0);
    if (graph < 0) _exit(6);
    return Scene{graph, PackScreenColor(255, 0, 0), PackScreenColor(0, 255, 0),
                 PackScreenColor(0, 0, 255), PackScreenColor(255, 255, 0)};
}

void drawThroughFronts(const Scene& s) {
    ClearDrawTarget(nullptr);
    DrawFilledBox(10, 10, 100, 60, s.red);
    DrawCircle(200, 100, 40, s.green, 0, 5);
    DrawLine(0, 470, 639, 300, s.blue);
    DrawGraph(400, 50, s.graph, 0);
    DrawRotatedGraph(450, 150, 4, 3, 1.0, 1.0, M_PI / 2, s.graph, 0, 0);
    DrawStretchedGraph(500, 200, 540, 260, s.graph, 0);
    CreateMaskScreen(1, kW, kH);
    int pitch, width, height;
    uint8_t* mask = GetMaskBufferForTest(&pitch, &width, &height);
    for (int y = 0; y < height; ++y) std::memset(mask + y * pitch + 320, 1, width - 320);
    SetUseMaskScreenFlag(1);
    DrawFilledBox(300, 400, 340, 440, s.yellow);
    SetUseMaskScreenFlag(0);
}

// The same scene straight through the fallbacks; the mask leaves the box's left part.
std::vector<uint32_t> drawReference(const Scene& s) {
    MEMIMG ref{};
    MakeMemImg(&ref, kW, kH);
    const ImageRect whole{0, 0, kW, kH};
    SetMemImgDrawTarget(&ref);
    SetMemImgDrawArea(&whole);
    FillMemImg(&ref, nullptr, PackScreenColor(0, 0, 0));
    SoftDrawFilledBox(10, 10, 100, 60, s.red);
    SoftDrawThickCircle(200, 100, 40, s.green, 5);
    SoftDrawLine(0, 470, 639, 300, s.blue);
    SoftDrawGraph(400, 50, s.graph, 0);
    SoftDrawRotatedGraph(RotationPlacement{450.0f, 150.0f, 4.0f, 3.0f, true, false}, 1.0, M_PI / 2, s.graph, 0, 0);
    SoftDrawStretchedGraph(500, 200, 540, 260, s.graph, 0);
    SoftDrawFilledBox(300, 400, 320, 440, s.yellow);
    std::vector<uint32_t> out;
    for (int y = 0; y < kH; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(ref.pixels + y * ref.base->pitch);
        out.insert(out.end(), row, row + kW);
    }
    TerminateMemImg(&ref);
    return out;
}

TEST_F(DrawFrame, FrontsDrawWhatTheFallbacksDraw) {
    const auto dir = std::filesystem::current_path();
    const std::string png = (dir / "draw_frame.png").string(), raw = (dir / "draw_frame.raw").string();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("HALVORINE_MISSING", "d3d11,d3d9", 1);
        setenv("HALVORINE_FRAMES", "3", 1);
        setenv("HALVORINE_FRAME_DUMP", png.c_str(), 1);
        plat::win::SetDisplaysForTest({});
        ChangeWindowMode(1);
        SetScreenMode(kW, kH, 32, 0);
        SetWaitVSyncFlag(0);
        if (InitializeLibrary() != 0) _exit(2);
        ProcessWindowMessages();
        SetDrawTarget(-2);
        const Scene scene = makeScene();
        drawThroughFronts(scene);
        const auto reference = drawReference(scene);
        SetMemImgDrawTarget(&GraphicsSys.mainScreen);
        FILE* f = std::fopen(raw.c_str(), "wb");
        if (f == nullptr || std::fwrite(reference.data(), 4, reference.size(), f) != reference.size()) _exit(4);
        std::fclose(f);
        int flips = 0;
        while (ProcessWindowMessages() == 0 && flips < 100) FlipScreen(), ++flips;
        TerminateLibrary();
        std::exit(flips == 3 ? 0 : 3);
    }
    halvorine_test::expectChildSucceeded(child);

    std::vector<uint32_t> reference(static_cast<size_t>(kW) * kH);
    FILE* f = std::fopen(raw.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fread(reference.data(), 4, reference.size(), f), reference.size());
    std::fclose(f);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, png.c_str()));
    ASSERT_EQ(image.width, static_cast<unsigned>(kW));
    ASSERT_EQ(image.height, static_cast<unsigned>(kH));
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    int differing = 0, firstX = -1, firstY = -1;
    for (int i = 0; i < kW * kH; ++i) {
        const uint32_t want = reference[i] & 0xFFFFFF;
        const uint32_t got = uint32_t{rgb[i * 3]} << 16 | uint32_t{rgb[i * 3 + 1]} << 8 | rgb[i * 3 + 2];
        if (got != want && differing++ == 0) firstX = i % kW, firstY = i / kW;
    }
    EXPECT_EQ(differing, 0) << "first at " << firstX << ", " << firstY;
    // The scene is not blank: the box, the ring and the masked box's left part show.
    EXPECT_EQ(reference[20 * kW + 20] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(reference[420 * kW + 310] & 0xFFFFFF, 0xFFFF00u);
    EXPECT_EQ(reference[420 * kW + 330] & 0xFFFFFF, 0u);
}

}  // namespace
