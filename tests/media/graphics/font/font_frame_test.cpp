// End to end through the media layer: a headless game on a 640 x 480 32-bit software
// screen draws a string with the default font and flips; the dumped frame's white
// pixels are exactly the test's layout of the glyphs, inside the measured box. A second
// game shows one on-screen log line at the top-left, white on a black edge.
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <utility>
#include <vector>

#include "font_env.h"
#include "media/base/log_screen.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/graphics.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "media/system/system.h"
#include "media/system/window.h"
#include "platform/win/win_display.h"
#include "tests/media/graphics/frame_dump.h"
#include "tests/media/system/media_library_fixture.h"

using namespace ZaDod;

namespace {

using FontFrame = halvorine_test::LibraryTest;
constexpr int kW = 640, kH = 480;

// Starts a headless 32-bit game in a child, runs draw() before each flip, and reads the
// dumped frame as 0xRRGGBB values.
template <typename Draw>
std::vector<uint32_t> runGame(const std::string& png, Draw draw) {
    const pid_t child = fork();
    if (child == 0) {
        setenv("HALVORINE_MISSING", "d3d11,d3d9", 1);
        // Only the game's flips count toward the limit.
        setenv("HALVORINE_FRAMES", "2", 1);
        setenv("HALVORINE_FRAME_DUMP", png.c_str(), 1);
        plat::win::SetDisplaysForTest({});
        ChangeWindowMode(1);
        SetScreenMode(kW, kH, 32, 0);
        SetWaitVSyncFlag(0);
        if (InitializeLibrary() != 0) _exit(2);
        ProcessWindowMessages();
        SetDrawTarget(-2);
        int flips = 0;
        while (ProcessWindowMessages() == 0 && flips < 100) {
            ClearDrawTarget(nullptr);
            if (!draw()) _exit(4);
            FlipScreen();
            ++flips;
        }
        TerminateLibrary();
        std::exit(flips > 0 ? 0 : 3);
    }
    halvorine_test::expectChildSucceeded(child);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint32_t> frame;
    if (!png_image_begin_read_from_file(&image, png.c_str())) return frame;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return frame;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        frame.push_back(uint32_t{rgb[i]} << 16 | uint32_t{rgb[i + 1]} << 8 | rgb[i + 2]);
    return frame;
}

}  // namespace

TEST_F(FontFrame, DrawnTextShowsTheGlyphLayout) {
    const std::string png = (std::filesystem::current_path() / "text.png").string();
    const std::string layout = (std::filesystem::current_path() / "text.raw").string();
    const std::vector<uint32_t> frame = runGame(png, [&] {
        if (DrawString(10, 10, "Halvorine 123", PackScreenColor(255, 255, 255), PackScreenColor(0, 0, 0)) != 0)
            return false;
        // The child writes the expected frame: the layout's ink inside the measured box.
        FontHandleRecord* font = GetFontRecord(GetDefaultFontHandle());
        if (font == nullptr || font->dataImage) return false;
        const int width = GetDrawStringWidthToHandle("Halvorine 123", -1, -2);
        std::vector<uint32_t> want(static_cast<size_t>(kW) * kH, 0);
        for (auto [x, y] : fonttest::layoutInk(font, u"Halvorine 123", 10, 10)) {
            if (x < 10 || x >= 10 + width || y < 10 - font->leading / 2 || y >= 10 + font->cellHeight) return false;
            want[static_cast<size_t>(y) * kW + x] = 0xFFFFFF;
        }
        FILE* f = std::fopen(layout.c_str(), "wb");
        const bool ok = f && std::fwrite(want.data(), 4, want.size(), f) == want.size();
        if (f) std::fclose(f);
        return ok;
    });
    ASSERT_EQ(frame.size(), static_cast<size_t>(kW) * kH);
    std::vector<uint32_t> want(frame.size());
    FILE* f = std::fopen(layout.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fread(want.data(), 4, want.size(), f), want.size());
    std::fclose(f);
    int differing = 0, white = 0;
    for (size_t i = 0; i < frame.size(); ++i) {
        differing += frame[i] != want[i];
        white += frame[i] == 0xFFFFFF;
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(white, 100);
}

TEST_F(FontFrame, OnScreenLogLineShowsAtTheTopLeft) {
    const std::string png = (std::filesystem::current_path() / "log.png").string();
    const std::vector<uint32_t> frame = runGame(png, [] {
        OnScreenLogState& log = onScreenLog();
        log.drawFlag = 1;
        const char16_t line[] = u"Log line 42";
        std::copy(std::begin(line), std::end(line), log.lines[0]);
        log.lineCount = 1;
        // A grey screen, so that the black edge shows.
        return DrawFilledBox(0, 0, kW, kH, PackScreenColor(128, 128, 128)) == 0;
    });
    ASSERT_EQ(frame.size(), static_cast<size_t>(kW) * kH);
    int white = 0, black = 0, elsewhere = 0, bare = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const uint32_t p = frame[static_cast<size_t>(y) * kW + x];
            if (p == 0x808080) continue;
            if (y >= 24 || x >= 200) {
                ++elsewhere;
                continue;
            }
            white += p == 0xFFFFFF;
            black += p == 0;
            // Every white pixel is bordered: no white pixel touches the grey.
            if (p == 0xFFFFFF)
                for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                    if (x + dx >= 0 && y + dy >= 0 && frame[static_cast<size_t>(y + dy) * kW + x + dx] == 0x808080)
                        ++bare;
        }
    EXPECT_GT(white, 40);
    EXPECT_GT(black, white / 2);
    EXPECT_EQ(bare, 0);
    EXPECT_EQ(elsewhere, 0);
}
