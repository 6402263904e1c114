// Display table, full-screen display mode, destination rectangle, display-mode change
// and the vertical-blank measurement.
#include "tests/media/graphics/graphics_env.h"
#include "tests/media/log_capture.h"

using namespace ZaDod;
namespace win = plat::win;

namespace {

using Displays = halvorine_test::GraphicsEnv;

win::DisplayDesc display(int width, int height, int bits, std::vector<win::DisplayMode> modes) {
    win::DisplayDesc d;
    d.desktop = win::RECT{0, 0, width, height};
    d.current = win::DisplayMode{width, height, bits, 60};
    d.modes = std::move(modes);
    return d;
}

void useScreen(int width, int height, int bits) {
    SetMainScreenSize(width, height);
    GraphicsSys.colorBits = bits;
    GraphicsSys.refreshRate = 0;
}

}  // namespace

TEST_F(Displays, TableDropsModesBelowSixteenBits) {
    win::SetDisplaysForTest({display(1280, 1024, 32, {{640, 480, 8, 60}, {800, 600, 16, 60}, {1280, 1024, 32, 75}}),
                             display(800, 600, 16, {})});
    ASSERT_EQ(SetupDisplayInfo(), 0);
    ASSERT_EQ(GraphicsDisplay.displayCount, 2);
    const DisplayInfo& first = GraphicsDisplay.displays[0];
    EXPECT_EQ(first.width, 1280);
    EXPECT_EQ(first.colorBits, 32);
    EXPECT_EQ(first.refreshRate, 60);
    ASSERT_EQ(first.modeCount, 2);
    EXPECT_EQ(first.modes[0].width, 800);
    EXPECT_EQ(first.modes[1].refreshRate, 75);
    EXPECT_EQ(GraphicsDisplay.displays[1].modeCount, 0);
    EXPECT_EQ(GraphicsDisplay.displays[1].desktop.right, 800);
    ReleaseDisplayInfo();
}

// Every display of the table answers with its own rectangle and work area; the table
// is built on first need, and a display without a separate work area gives its whole
// rectangle.
TEST_F(Displays, AreasOfEveryDisplayIndex) {
    std::vector<win::DisplayDesc> list = {display(1920, 1080, 32, {}), display(1280, 1024, 32, {}),
                                          display(800, 600, 16, {})};
    list[0].work = win::RECT{0, 0, 1920, 1040};
    list[1].desktop = win::RECT{1920, -200, 3200, 824};
    list[1].work = win::RECT{1980, -200, 3200, 824};
    list[2].desktop = win::RECT{-800, 0, 0, 600};
    win::SetDisplaysForTest(list);
    ReleaseDisplayInfo();
    struct Case {
        int index;
        int result;
        std::vector<int> area, work;
    };
    const Case cases[] = {
        {0, 0, {0, 0, 1920, 1080}, {0, 0, 1920, 1040}},
        {1, 0, {1920, -200, 3200, 824}, {1980, -200, 3200, 824}},
        {2, 0, {-800, 0, 0, 600}, {-800, 0, 0, 600}},
        {3, -1, {7, 7, 7, 7}, {7, 7, 7, 7}},
        {-1, -1, {7, 7, 7, 7}, {7, 7, 7, 7}},
    };
    auto rect = [](const win::RECT& r) { return std::vector<int>{r.left, r.top, r.right, r.bottom}; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        win::RECT area{7, 7, 7, 7}, work{7, 7, 7, 7};
        EXPECT_EQ(GetDisplayArea(c.index, &area), c.result);
        EXPECT_EQ(GetDisplayWorkArea(c.index, &work), c.result);
        EXPECT_EQ(rect(area), c.area);
        EXPECT_EQ(rect(work), c.work);
    }
    EXPECT_EQ(GraphicsDisplay.displayCount, 3);
    EXPECT_EQ(GetDisplayArea(0, nullptr), -1);
    ReleaseDisplayInfo();
    win::SetDisplaysForTest({});
}

TEST_F(Displays, DestinationRectangle) {
    useScreen(640, 480, 16);
    GraphicsSys.scalingMode = 0;
    win::SetDisplaysForTest({display(1280, 1024, 32, {})});
    SetupDisplayInfo();
    auto rect = [] {
        EXPECT_EQ(CalcScreenDestRect(), 0);
        const ImageRect& r = GraphicsSys.destRect;
        return std::vector<int>{r.left, r.top, r.right, r.bottom};
    };
    EXPECT_EQ(rect(), (std::vector<int>{0, 32, 1280, 992}));
    win::SetDisplaysForTest({display(1920, 1080, 32, {})});
    SetupDisplayInfo();
    EXPECT_EQ(rect(), (std::vector<int>{240, 0, 1680, 1080}));
    ReleaseDisplayInfo();
}

TEST_F(Displays, FullScreenModeChoice) {
    useScreen(640, 480, 16);
    GraphicsSys.scalingMode = 2;
    win::SetDisplaysForTest({display(1920, 1080, 32, {{1920, 1080, 32, 60}, {1600, 1200, 16, 60}})});
    SetupDisplayInfo();
    SetupFullScreenDisplayMode();
    EXPECT_EQ(GraphicsSys.fullScreenMode.width, 1920);
    EXPECT_EQ(GraphicsSys.fullScreenMode.colorBits, 32);

    win::SetDisplaysForTest({display(1920, 1080, 32, {{1920, 1080, 32, 60}, {1920, 1080, 16, 60}})});
    SetupDisplayInfo();
    SetupFullScreenDisplayMode();
    EXPECT_EQ(GraphicsSys.fullScreenMode.width, 1920);
    EXPECT_EQ(GraphicsSys.fullScreenMode.colorBits, 16);

    win::SetDisplaysForTest({display(1024, 768, 32, {})});
    SetupDisplayInfo();
    SetupFullScreenDisplayMode();
    EXPECT_EQ(GraphicsSys.fullScreenMode.width, -1);

    GraphicsSys.scalingMode = 0;  // the desktop mode as is when the screen fits
    SetupFullScreenDisplayMode();
    EXPECT_EQ(GraphicsSys.fullScreenMode.width, 1024);
    EXPECT_EQ(GraphicsSys.fullScreenMode.colorBits, 32);
    ReleaseDisplayInfo();
}

TEST_F(Displays, ResolutionChangeRetriesWithoutRefreshRate) {
    halvorine_test::LogCapture log;
    useScreen(640, 480, 16);
    GraphicsSys.scalingMode = 2;
    GraphicsSys.refreshRate = 75;
    win::SetDisplaysForTest({display(1920, 1080, 32, {{1920, 1080, 16, 60}})});
    SetupDisplayInfo();
    ASSERT_EQ(ChangeScreenResolution(), 0);
    auto requests = win::GetDisplayModeRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].mode.refresh, 75);
    EXPECT_EQ(requests[0].flags, win::CDS_FULLSCREEN);
    EXPECT_FALSE(requests[0].accepted);
    EXPECT_EQ(requests[1].mode.refresh, 0);
    EXPECT_EQ(requests[1].flags, 0u);
    EXPECT_TRUE(requests[1].accepted);
    EXPECT_EQ(GraphicsSys.refreshRate, 0);
    EXPECT_EQ(GraphicsDisplay.blackFillCount, 10);
    EXPECT_TRUE(log.contains(u"成功しました\n"));

    win::RefuseDisplayModeForTest({1920, 1080, 16, 0});
    GraphicsDisplay.blackFillCount = 0;
    EXPECT_EQ(ChangeScreenResolution(), -1);
    EXPECT_TRUE(log.contains(u"画面モードの変更に失敗しました\n"));
    EXPECT_EQ(GraphicsDisplay.blackFillCount, 0);
    ReleaseDisplayInfo();
}

TEST_F(Displays, VerticalBlankPeriod) {
    ASSERT_EQ(InitializeDirectDraw(), 0);
    // Steady 20 ms blanks after two uneven ones: measured once ten intervals agree.
    const long long start = GetMicrosecondCount();
    std::vector<long long> blanks;
    long long t = start + 7000;
    for (int i = 0; i < 3; ++i) blanks.push_back(t += 9000 + 4000 * i);
    for (int i = 0; i < 20; ++i) blanks.push_back(t += 20000 + (i % 2) * 500);
    win::SetVerticalBlankScriptForTest(blanks);
    MeasureVSyncPeriod();
    EXPECT_GE(GraphicsDisplay.vsyncPeriod, 20000);
    EXPECT_LE(GraphicsDisplay.vsyncPeriod, 20500);

    // Intervals that jump by 2 ms every time never agree.
    blanks.clear();
    t = GetMicrosecondCount() + 10000;
    for (int i = 0; i < 80; ++i) blanks.push_back(t += 10000 + (i % 2) * 2000);
    win::SetVerticalBlankScriptForTest(blanks);
    MeasureVSyncPeriod();
    EXPECT_EQ(GraphicsDisplay.vsyncPeriod, -1);
    TerminateDirectDraw();
}
