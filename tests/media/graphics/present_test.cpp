// The software present into the headless window: colours, stretching, full screen
// after a display change, the front-screen refresh timer and the frame dump.

#include "media/graphics/display.h"
#include "media/graphics/graphics.h"
#include "media/graphics/display.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/win/win_window.h"
#include "media/graphics/hardware_types.h"
#include "platform/win/ddraw.h"
#include "platform/win/win_clock.h"
#include "platform/win/win_display.h"
#include "platform/win/window_frame.h"
#include "tests/media/graphics/frame_dump.h"
#include "tests/media/system/media_library_fixture.h"

using namespace ZaDod;
namespace win = plat::win;

namespace {

struct Present : halvorine_test::LibraryTest {
    void SetUp() override {
        LibraryTest::SetUp();
        win::SetDisplaysForTest({});
    }
    void TearDown() override {
        LibraryTest::TearDown();
        GraphicsSys.emulate320x240 = 0;
        GraphicsSys.requestedWidth = GraphicsSys.requestedHeight = 0;
        GraphicsSys.colorBits = 0;
        SetWindowStretchRate(1.0, 1.0);
        win::ReleaseClockForTest();
    }

    static int start(int width, int height, int bits, bool windowed = true) {
        ChangeWindowMode(windowed ? 1 : 0);
        SetScreenMode(width, height, bits, 0);
        SetWaitVSyncFlag(0);
        return InitializeLibrary();
    }

    static void fillScreen(int red, int green, int blue) {
        FillMemImg(&GraphicsSys.mainScreen, nullptr,
                   PackColorDataPixel(GraphicsSys.mainScreen.base->colorData, red, green, blue, 0));
    }

    struct Frame {
        std::vector<uint32_t> pixels;
        int width = 0, height = 0;
        uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    };
    static Frame frame() {
        Frame f;
        EXPECT_TRUE(win::GetWindowFrame(GetMainWindowHandle(), &f.pixels, &f.width, &f.height));
        return f;
    }
};

}  // namespace

TEST_F(Present, ScreenColourReachesTheFrame) {
    ASSERT_EQ(start(640, 480, 32), 0);
    EXPECT_EQ(Graphics_Hardware_IsDisplayObjectReady(), 1);
    fillScreen(10, 20, 30);
    ASSERT_EQ(FlipScreen(), 0);
    Frame f = frame();
    ASSERT_EQ(f.width, 640);
    ASSERT_EQ(f.height, 480);
    EXPECT_EQ(f.at(0, 0), 0x0A141Eu);
    EXPECT_EQ(f.at(639, 479), 0x0A141Eu);
    TerminateLibrary();

    ASSERT_EQ(start(640, 480, 16), 0);
    fillScreen(10, 20, 30);
    const int presents = win::GetPresentCount(GetMainWindowHandle());
    ASSERT_EQ(FlipScreen(), 0);
    EXPECT_EQ(win::GetPresentCount(GetMainWindowHandle()), presents + 1);  // one frame per flip
    EXPECT_EQ(frame().at(320, 240), 0x081418u);  // (8, 20, 24): channels widened by their top bits
}

TEST_F(Present, StretchedPresents) {
    GraphicsSys.emulate320x240 = 1;
    SetWindowStretchRate(2.0, 2.0);  // the window of an emulated screen is 640 x 480
    ASSERT_EQ(start(320, 240, 16), 0);
    fillScreen(255, 255, 255);
    reinterpret_cast<uint16_t*>(GraphicsSys.mainScreen.pixels)[0] = 0;  // one black pixel in the corner
    ASSERT_EQ(FlipScreen(), 0);
    Frame f = frame();
    ASSERT_EQ(f.width, 640);
    ASSERT_EQ(f.height, 480);
    EXPECT_EQ(f.at(0, 0), 0u);
    EXPECT_EQ(f.at(1, 1), 0u);  // the pixel became 2 x 2
    EXPECT_EQ(f.at(2, 0), 0xFFFFFFu);
    EXPECT_EQ(f.at(639, 479), 0xFFFFFFu);
    TerminateLibrary();
    GraphicsSys.emulate320x240 = 0;

    ASSERT_EQ(start(320, 240, 32), 0);
    fillScreen(1, 2, 3);
    ASSERT_EQ(FlipScreen(), 0);
    f = frame();
    EXPECT_EQ(f.width, 640);
    EXPECT_EQ(f.height, 480);
    EXPECT_EQ(f.at(639, 479), 0x010203u);
}

TEST_F(Present, FullScreenPaintsBlackAfterADisplayChange) {
    ASSERT_EQ(start(640, 480, 16, false), 0);
    EXPECT_EQ(GraphicsDisplay.blackFillCount, 9);  // start-up presented the front screen once
    ASSERT_FALSE(win::GetDisplayModeRequests().empty());
    fillScreen(255, 0, 0);
    win::HWND window = GetMainWindowHandle();
    win::HDC dc = win::GetDC(window);
    win::HBRUSH white = win::CreateSolidBrush(0xFFFFFF);
    const win::RECT mark{0, 0, 1, 1};  // outside the screen's place on the display
    for (int i = 0; i < 10; ++i) {
        win::FillRect(dc, &mark, white);
        ASSERT_EQ(FlipScreen(), 0);
        EXPECT_EQ(frame().at(0, 0), i < 9 ? 0u : 0xFFFFFFu) << i;
    }
    win::DeleteObject(white);
    win::ReleaseDC(window, dc);
    Frame f = frame();
    ASSERT_EQ(f.width, 1920);
    ASSERT_EQ(f.height, 1080);
    EXPECT_EQ(GraphicsSys.destRect.left, 240);
    EXPECT_EQ(f.at(239, 500), 0u);
    EXPECT_EQ(f.at(240, 500), 0xFF0000u);
    EXPECT_EQ(f.at(1679, 1079), 0xFF0000u);
}

TEST_F(Present, FrontScreenTimerRepresents) {
    ASSERT_EQ(start(640, 480, 32), 0);
    win::HoldClockForTest(win::MonotonicNanoseconds());
    SetDrawTarget(-4);
    Graphics_Hardware_SetFrontScreenTimer(-4);
    ProcessWindowMessages();
    win::HWND window = GetMainWindowHandle();
    const int before = win::GetPresentCount(window);
    ProcessWindowMessages();
    EXPECT_EQ(win::GetPresentCount(window), before);  // not due yet
    win::StepClockForTest(32'000'000);
    ProcessWindowMessages();
    EXPECT_EQ(win::GetPresentCount(window), before + 1);
    win::StepClockForTest(32'000'000);
    ProcessWindowMessages();
    EXPECT_EQ(win::GetPresentCount(window), before + 2);  // re-armed

    SetDrawTarget(-2);  // presents the front screen once more
    win::StepClockForTest(32'000'000);
    ProcessWindowMessages();
    win::StepClockForTest(64'000'000);
    ProcessWindowMessages();
    EXPECT_EQ(win::GetPresentCount(window), before + 3);  // gone for good

    // In layered-window mode the timer presents nothing and stops, front screen or not.
    SetDrawTarget(-4);
    Graphics_Hardware_SetFrontScreenTimer(-4);
    ASSERT_EQ(SetWindowLayeredMode(1), 0);
    const int layered = win::GetPresentCount(window);
    for (int round = 0; round < 3; ++round) {
        win::StepClockForTest(32'000'000);
        ProcessWindowMessages();
    }
    ASSERT_EQ(SetWindowLayeredMode(0), 0);
    win::StepClockForTest(32'000'000);
    ProcessWindowMessages();
    EXPECT_EQ(win::GetPresentCount(window), layered);
}

// A refresh presents without waiting for the vertical blank, round after round, while a
// flip of the same program still waits; the wait setting is the same after each refresh.
// The only blank on the held clock lies ten seconds ahead, so a wait would step there.
// (Direct3D 9 fixes its interval when the device is made, so only the flip is checked.)
TEST_F(Present, FrontScreenRefreshDoesNotWaitForTheBlank) {
    ChangeWindowMode(1);
    SetScreenMode(640, 480, 32, 0);
    SetWaitVSyncFlag(1);
    ASSERT_EQ(InitializeLibrary(), 0);
    win::HoldClockForTest(win::MonotonicNanoseconds());
    SetDrawTarget(-4);
    Graphics_Hardware_SetFrontScreenTimer(-4);
    ProcessWindowMessages();
    const long long blank = win::MonotonicNanoseconds() + 10'000'000'000LL;
    win::SetVerticalBlankScriptForTest({blank / 1000, blank / 1000 + 16'667});
    win::HWND window = GetMainWindowHandle();
    for (int round = 0; round < 5; ++round) {
        const int presents = win::GetPresentCount(window);
        win::StepClockForTest(32'000'000);
        ProcessWindowMessages();
        ASSERT_EQ(win::GetPresentCount(window), presents + 1) << "round " << round;
        EXPECT_EQ(GetWaitVSyncFlag(), 1);
        if (GraphicsApiType != 1) EXPECT_LT(win::MonotonicNanoseconds(), blank) << "round " << round;
    }
    SetDrawTarget(-2);
    FlipScreen();
    EXPECT_GE(win::MonotonicNanoseconds(), blank);
    win::SetVerticalBlankScriptForTest({});
}

// The frame dump happens at exit, so a child process runs the game loop.
TEST_F(Present, FrameDumpOfAHeadlessRun) {
    const std::string path = (std::filesystem::current_path() / "frame.png").string();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("HALVORINE_FRAMES", "3", 1);
        setenv("HALVORINE_FRAME_DUMP", path.c_str(), 1);
        if (start(640, 480, 32) != 0) _exit(2);
        ProcessWindowMessages();  // the first paint, while the front screen is the target
        SetDrawTarget(-2);
        fillScreen(40, 80, 120);
        int flips = 0;
        while (ProcessWindowMessages() == 0 && flips < 100) FlipScreen(), ++flips;
        TerminateLibrary();
        std::exit(flips == 3 ? 0 : 3);  // start-up's presents do not count
    }
    halvorine_test::expectChildSucceeded(child);
    halvorine_test::expectDumpedFrame(path, 640, 480, 40, 80, 120);
}

// A layered window takes the screen as a picture: with a colour key the key's pixels
// are holes and the rest shows as drawn; with per-pixel alpha the software screen, which
// has no alpha of its own, shows opaque.
TEST_F(Present, LayeredWindowsShowTheScreen) {
    ASSERT_EQ(start(320, 240, 32), 0);
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(SetWindowLayeredMode(mode), 0);
        fillScreen(0, 0, 0);
        const ImageRect box{10, 10, 30, 20};
        FillMemImg(&GraphicsSys.mainScreen, &box,
                   PackColorDataPixel(GraphicsSys.mainScreen.base->colorData, 200, 100, 50, 0));
        const int presents = win::GetPresentCount(GetMainWindowHandle());
        ASSERT_EQ(FlipScreen(), 0);
        EXPECT_EQ(win::GetPresentCount(GetMainWindowHandle()), presents + 1);
        // The layered picture spans the whole window: a caption's rows come first.
        Frame f = frame();
        ASSERT_EQ(f.width, 320);
        ASSERT_GE(f.height, 240);
        const int top = f.height - 240;
        EXPECT_EQ(f.at(15, top + 15), 0xC86432u);
        EXPECT_EQ(f.at(9, top + 15), 0u);
        EXPECT_EQ(f.at(100, top + 100), 0u);
    }
    ASSERT_EQ(SetWindowLayeredMode(0), 0);
}
