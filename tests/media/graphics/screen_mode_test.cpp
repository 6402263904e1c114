// The screen mode before and after start-up, the run-time change and its fallback
// ladder in full screen, the flip, the target lock and window co-ordinates.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "media/base/handle.h"
#include "media/base/log_screen.h"
#include "media/file/async_load.h"
#include "media/graphics/display.h"
#include "media/graphics/graphics.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "media/system/fatal.h"
#include "media/system/onscreen_log.h"
#include "platform/win/win_clock.h"
#include "platform/win/win_display.h"
#include "platform/win/window_frame.h"
#include "tests/media/graphics/frame_dump.h"
#include "tests/media/system/media_library_fixture.h"

using namespace ZaDod;
namespace win = plat::win;

namespace {

struct ScreenMode : halvorine_test::LibraryTest {
    void SetUp() override {
        LibraryTest::SetUp();
        win::SetDisplaysForTest({});
        ReleaseDisplayInfo();
    }
    void TearDown() override {
        LibraryTest::TearDown();
        GraphicsSys.emulate320x240 = 0;
        SetMainScreenSize(0, 0);
        GraphicsSys.colorBits = 0;
        GraphicsSys.refreshRate = 0;
        SetGraphRestoreCallback(nullptr);
        win::SetDisplaysForTest({});
        ReleaseDisplayInfo();
        win::ReleaseClockForTest();
    }

    static int start(int width, int height, int bits, bool windowed = true) {
        ChangeWindowMode(windowed ? 1 : 0);
        SetScreenMode(width, height, bits, 0);
        SetWaitVSyncFlag(0);
        return InitializeLibrary();
    }

    // Full screen on one 1920 x 1080 display listing both depths; requests whose
    // started screen the rule names are refused.
    static void display(std::function<bool(int width, int height, int bits)> refuse) {
        win::SetDisplaysForTest({win::DisplayDesc{win::RECT{0, 0, 1920, 1080},
                                                  {1920, 1080, 32, 60},
                                                  {{1920, 1080, 16, 60}, {1920, 1080, 32, 60}}}});
        ReleaseDisplayInfo();
        win::SetDisplayModeRuleForTest([refuse](const win::DisplayMode& m) {
            return refuse(GraphicsSys.width, GraphicsSys.height, m.bits);
        });
    }

    static bool screenIs(int width, int height, int bits) {
        int w, h, b;
        GetScreenState(&w, &h, &b);
        return w == width && h == height && b == bits;
    }
};

TEST_F(ScreenMode, SettingsBeforeStartUp) {
    EXPECT_EQ(SetScreenMode(0, 0, 0, 0), -1);
    EXPECT_EQ(SetScreenMode(640, 480, 24, 0), -1);
    EXPECT_TRUE(screenIs(640, 480, 16));
    EXPECT_EQ(SetScreenMode(800, 600, 0, 75), 0);
    EXPECT_TRUE(screenIs(800, 600, 16));
    EXPECT_EQ(GetScreenRefreshRate(), 75);
    EXPECT_EQ(SetWaitVSyncFlag(0), 0);
    EXPECT_EQ(GetWaitVSyncFlag(), 0);
    EXPECT_EQ(FlipScreen(), -1);
}

TEST_F(ScreenMode, UnchangedModeDoesNothing) {
    ASSERT_EQ(start(640, 480, 32), 0);
    EXPECT_EQ(SetWaitVSyncFlag(1), -1);  // started
    forgetLog();
    EXPECT_EQ(ChangeScreenMode(-1, -1, -1, 0, -1), 0);
    EXPECT_EQ(ChangeScreenMode(640, 480, 32, 0, 0), 0);
    EXPECT_EQ(halvorine_test::LogCapture::all(), u"");
}

TEST_F(ScreenMode, RunTimeChangeRestartsGraphics) {
    ASSERT_EQ(start(640, 480, 16), 0);
    const int graph = AddHandle(HANDLETYPE_GRAPH, 0, -1);
    ASSERT_NE(GetHandleInfo(graph), nullptr);
    forgetLog();
    EXPECT_EQ(SetScreenMode(800, 600, 16, 0), 0);
    EXPECT_TRUE(halvorine_test::logHasInOrder({u"画面モード変更処理を開始します", u"画面モード変更処理は正常に終了しました"}));
    EXPECT_EQ(GetHandleInfo(graph), nullptr);
    EXPECT_TRUE(screenIs(800, 600, 16));
    SetDrawTarget(-2);
    ASSERT_EQ(FlipScreen(), 0);
    std::vector<uint32_t> pixels;
    int w = 0, h = 0;
    ASSERT_TRUE(win::GetWindowFrame(GetMainWindowHandle(), &pixels, &w, &h));
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    // The same mode again keeps it; a window change of depth only reports -1 when kept.
    EXPECT_EQ(SetScreenMode(800, 600, 16, 0), 0);
}

TEST_F(ScreenMode, RefusedNewModeBringsBackTheOld) {
    display([](int w, int, int) { return w == 800; });
    ASSERT_EQ(start(640, 480, 32, false), 0);
    EXPECT_EQ(SetScreenMode(800, 600, 32, 0), -1);
    EXPECT_TRUE(screenIs(640, 480, 32));
}

TEST_F(ScreenMode, NewAndOldRefusedEndAt640x480x16) {
    display([](int w, int, int) { return w == 800 || w == 1024; });
    win::SetDisplayModeRuleForTest(nullptr);
    ASSERT_EQ(start(800, 600, 32, false), 0);
    display([](int w, int, int) { return w == 800 || w == 1024; });
    EXPECT_EQ(SetScreenMode(1024, 768, 32, 0), -2);
    EXPECT_TRUE(screenIs(640, 480, 16));
}

TEST_F(ScreenMode, SixteenBitsRefusedTooEndsAt32Bits) {
    ASSERT_EQ(start(800, 600, 32, false), 0);
    display([](int w, int, int bits) { return w == 800 || w == 1024 || bits == 16; });
    EXPECT_EQ(SetScreenMode(1024, 768, 32, 0), -2);
    EXPECT_TRUE(screenIs(640, 480, 32));
}

// The child starts its own library: a forked copy of the parent's would wait at shut-down
// for threads it does not have. Its log lines go to a file the parent reads.
TEST_F(ScreenMode, NothingStartsEndsTheProgram) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(60);
        if (start(640, 480, 32, false) != 0) _exit(2);
        SetLogTestHook([](const char16_t* line) {
            std::string out;
            for (const char16_t* c = line; *c; ++c) {
                const unsigned u = *c;
                if (u < 0x80) {
                    out += static_cast<char>(u);
                } else if (u < 0x800) {
                    out += static_cast<char>(0xC0 | (u >> 6));
                    out += static_cast<char>(0x80 | (u & 63));
                } else {
                    out += static_cast<char>(0xE0 | (u >> 12));
                    out += static_cast<char>(0x80 | ((u >> 6) & 63));
                    out += static_cast<char>(0x80 | (u & 63));
                }
            }
            if (FILE* f = fopen("child.log", "a")) fputs(out.c_str(), f), fclose(f);
        });
        SetFatalErrorHook([](const char* text) {
            if (FILE* f = fopen("child.hook", "w")) fputs(text, f), fclose(f);
        });
        display([](int, int, int) { return true; });
        SetScreenMode(800, 600, 32, 0);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::ifstream in("child.log");
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(log.find("予期せぬ画面モード変更不能現象が起きました2"), std::string::npos);
    // The program's own log hears of it too.
    std::ifstream hook("child.hook");
    const std::string hooked((std::istreambuf_iterator<char>(hook)), std::istreambuf_iterator<char>());
    EXPECT_EQ(hooked, "予期せぬ画面モード変更不能現象が起きました2");
}

// Screens that cannot be made, and screens above 16384 on a side, fail the start of
// the new mode instead of ending the program; the ladder brings the old mode back.
// A size above the limit is refused before anything is allocated for it, so it fails
// even where memory would be plenty. Each case runs in a child whose address space
// leaves far less than the 1 GiB a 16384 x 16384 screen needs.
TEST_F(ScreenMode, UnmakeableScreensFallBackToTheOldMode) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer reserves more address space than the limit leaves";
#else
    struct Case {
        int width, height;
        const char16_t* logged;
        const char16_t* notLogged;
    };
    const Case cases[] = {
        {16384, 16384, u"仮画面用の MEMIMG の作成に失敗しました", u"大きすぎます"},
        {16385, 64, u"画面サイズ 16385 x 64 は大きすぎます", u"MEMIMG の作成に失敗しました"},
        {64, 30000, u"画面サイズ 64 x 30000 は大きすぎます", u"MEMIMG の作成に失敗しました"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            alarm(60);
            if (start(640, 480, 32) != 0) _exit(2);
            long long size = 0;
            std::ifstream status("/proc/self/status");
            for (std::string line; std::getline(status, line);)
                if (line.rfind("VmSize:", 0) == 0) size = std::stoll(line.substr(7)) * 1024;
            const rlimit limit{rlim_t(size + (512ll << 20)), rlim_t(size + (512ll << 20))};
            if (size == 0 || setrlimit(RLIMIT_AS, &limit) != 0) _exit(3);
            forgetLog();
            if (SetScreenMode(c.width, c.height, 32, 0) != -1) _exit(4);
            if (!screenIs(640, 480, 32)) _exit(5);
            if (!halvorine_test::logHasInOrder({u"画面モード変更処理を開始します", c.logged,
                                                u"画面モード変更処理は正常に終了しました"}))
                _exit(6);
            if (halvorine_test::LogCapture::contains(c.notLogged)) _exit(7);
            SetDrawTarget(-2);
            if (FlipScreen() != 0) _exit(8);
            TerminateLibrary();
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
#endif
}

TEST_F(ScreenMode, FlipEndsOnRequestAndDrawsTheLogPlainly) {
    ASSERT_EQ(start(320, 240, 32), 0);
    SetDrawTarget(-2);
    const int before = win::GetPresentCount(GetMainWindowHandle());
    EXPECT_EQ(FlipScreen(), 0);
    EXPECT_EQ(win::GetPresentCount(GetMainWindowHandle()), before + 1);

    SetDrawArea(1, 2, 3, 4);
    SetDrawBlendMode(1, 9);
    SetDrawBright(1, 2, 3);
    onScreenLog().drawFlag = 1;
    EXPECT_EQ(FlipScreen(), 0);
    onScreenLog().drawFlag = 0;
    EXPECT_EQ(GraphicsDrawSettings.drawArea.right, 3);
    EXPECT_EQ(GraphicsDrawSettings.blendParam, 9);
    EXPECT_EQ(GraphicsDrawSettings.brightBlue, 3);

    // A flip asked for while the log is drawn presents nothing.
    GraphicsRender.onScreenLogDrawing = 1;
    const int now = win::GetPresentCount(GetMainWindowHandle());
    EXPECT_EQ(FlipScreen(), 0);
    EXPECT_EQ(win::GetPresentCount(GetMainWindowHandle()), now);
    GraphicsRender.onScreenLogDrawing = 0;

    SetEndRequestFlag();
    EXPECT_EQ(FlipScreen(), -1);
    ClearEndRequestFlag();
}

TEST_F(ScreenMode, LockGivesAViewOfTheTarget) {
    ASSERT_EQ(start(64, 32, 32), 0);
    SetDrawTarget(-2);
    EXPECT_EQ(UnlockDrawTargetBuffer(), 0);  // no lock: nothing
    BaseImage image{};
    const ImageRect bad[] = {{-1, 0, 4, 4}, {4, 0, 4, 4}, {0, 0, 65, 4}, {0, 3, 4, 2}};
    for (const ImageRect& r : bad) EXPECT_EQ(LockDrawTargetBuffer(&r, &image), -1);
    const ImageRect rect{2, 3, 10, 7};
    ASSERT_EQ(LockDrawTargetBuffer(&rect, &image), 0);
    EXPECT_EQ(image.width, 8);
    EXPECT_EQ(image.height, 4);
    EXPECT_EQ(image.format.colorBits, GraphicsSys.mainScreen.base->colorData->colorBits);
    EXPECT_EQ(image.pitch, GraphicsSys.mainScreen.base->pitch);
    EXPECT_EQ(image.pixels, GraphicsSys.mainScreen.pixels + 3 * image.pitch + 2 * 4);
    EXPECT_EQ(UnlockDrawTargetBuffer(), 0);
}

TEST_F(ScreenMode, ClientPointsMapThroughTheDestination) {
    win::SetDisplaysForTest({win::DisplayDesc{win::RECT{0, 0, 1280, 1024}, {1280, 1024, 32, 60}, {{1280, 1024, 32, 60}}}});
    ReleaseDisplayInfo();
    ASSERT_EQ(start(640, 480, 32, false), 0);
    int x = -7, y = -7;
    ASSERT_EQ(ConvClientPosToScreenPos(640, 32 + 480, &x, &y), 0);
    EXPECT_EQ(GraphicsSys.destRect.top, 32);
    EXPECT_EQ(x, 320);
    EXPECT_EQ(y, 240);
    EXPECT_EQ(ConvClientPosToScreenPos(0, 32, nullptr, &y), 0);
    EXPECT_EQ(y, 0);

    // A display too small to hold a row of the screen leaves nothing to map onto.
    win::SetDisplaysForTest({win::DisplayDesc{win::RECT{0, 0, 1, 1}, {1, 1, 32, 60}, {{1, 1, 32, 60}}}});
    ReleaseDisplayInfo();
    EXPECT_EQ(ConvClientPosToScreenPos(0, 0, &x, &y), -1);
}

TEST_F(ScreenMode, RestoreRunsTheCallbackWithoutAsyncLoading) {
    static int seenAsync = -1;
    SetUseASyncLoadFlag(1);
    SetGraphRestoreCallback([] { seenAsync = GetUseASyncLoadFlag(); });
    EXPECT_EQ(RunGraphRestore(), 0);
    EXPECT_EQ(seenAsync, 0);
    EXPECT_EQ(GetUseASyncLoadFlag(), 1);
    SetGraphRestoreCallback(nullptr);
    EXPECT_EQ(IsGraphRestoreCallbackSet(), 1);
    EXPECT_EQ(RunGraphRestore(), 0);
    EXPECT_EQ(GetUseASyncLoadFlag(), 1);
    SetUseASyncLoadFlag(0);
}

// The restarted screen starts in the background colour the game chose.
TEST_F(ScreenMode, FrameAfterAChangeShowsTheBackground) {
    const std::string path = (std::filesystem::current_path() / "frame.png").string();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("HALVORINE_FRAME_DUMP", path.c_str(), 1);
        if (start(640, 480, 16) != 0) _exit(2);
        SetBackgroundColor(10, 20, 30);
        if (SetScreenMode(400, 300, 32, 0) != 0) _exit(3);
        SetDrawTarget(-2);
        FlipScreen();
        TerminateLibrary();
        std::exit(0);
    }
    halvorine_test::expectChildSucceeded(child);
    halvorine_test::expectDumpedFrame(path, 400, 300, 10, 20, 30);
}

}  // namespace
