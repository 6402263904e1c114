// Graphs made and loaded on the loading workers.
#include "media/base/thread.h"
#include "media/file/async_load.h"
#include "platform/win/win_clock.h"
#include "platform/win/win_thread.h"
#include "tests/media/graphics/graph_testing.h"

using namespace ZaDod;
using namespace graphtest;

namespace {

struct AsyncGraph : GraphFixture {
    void SetUp() override {
        GraphFixture::SetUp();
        plat::win::ReleaseClockForTest();
        ASSERT_EQ(InitializeASyncLoad(plat::win::GetCurrentThreadId()), 0);
        ASSERT_EQ(SetupASyncLoadThread(4), 0);
        ASSERT_EQ(InitializeGraphics(), 0);
    }
    void TearDown() override {
        SetUseASyncLoadFlag(0);
        TerminateGraphics();
        TerminateASyncLoad();
        GraphFixture::TearDown();
    }
};

template <class Done>
bool pumpUntil(Done done) {
    for (int i = 0; i < 20000; ++i) {
        if (done()) return true;
        ProcessASyncLoadRequestMainThread();
        Thread_Sleep(1);
    }
    return done();
}

}  // namespace

TEST_F(AsyncGraph, LoadsReadyLaterWithTheSamePixels) {
    REQUIRE_MAGICK();
    const std::string png = writePicture("async.png");
    const int sync = LoadGraph(png.c_str());
    SetUseASyncLoadFlag(1);
    const int handle = LoadGraph(png.c_str());
    const int made = MakeGraph(5, 5);
    SetUseASyncLoadFlag(0);
    ASSERT_NE(handle, -1);
    ASSERT_NE(made, -1);
    EXPECT_NE(GetGraphData(handle, 1), nullptr);
    ASSERT_TRUE(pumpUntil([&] { return CheckGraphHandleReady(handle) && CheckGraphHandleReady(made); }));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(graphPixel(handle, x, y), graphPixel(sync, x, y));
    EXPECT_EQ(GetGraphData(made)->area.width, 5);
}

TEST_F(AsyncGraph, FailedLoadsAndDeletionsLeaveNothing) {
    REQUIRE_MAGICK();
    const std::string png = writePicture("async2.png");
    SetUseASyncLoadFlag(1);
    const int missing = LoadGraph((scratchDir() + "/gone.png").c_str());
    ASSERT_NE(missing, -1);  // the failure shows only when the job ran
    // The worker deletes the handle when the load fails: asked under the type's lock.
    ASSERT_TRUE(pumpUntil([&] { return CheckHandleASyncLoad(missing) == -1; }));
    EXPECT_EQ(GetGraphData(missing, 1), nullptr);

    int handles[4];
    const std::u16string name = wide(png);
    ASSERT_EQ(LoadDivGraphFromSource(name.c_str(), nullptr, 0, 4, 4, 1, 1, 1, handles, 0, 1), 0);
    const int deleted = LoadGraph(png.c_str());
    SubHandle(deleted);  // waits for or withdraws the job
    EXPECT_EQ(GetGraphData(deleted, 1), nullptr);
    SetUseASyncLoadFlag(0);
    ASSERT_TRUE(pumpUntil([&] { return CheckGraphHandleReady(handles[3]) != 0; }));
    for (int i = 0; i < 4; ++i) {
        const Rgb& c = kPicture[i];
        EXPECT_EQ(graphPixel(handles[i], 0, 0), packedFor(handles[i], c.r, c.g, c.b));
    }
    ASSERT_TRUE(pumpUntil([] { return GetASyncLoadNum() == 0; }));
    EXPECT_EQ(liveGraphs(), 4);
}
