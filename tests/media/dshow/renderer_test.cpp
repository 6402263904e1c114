// The renderer base and the video renderer driven by a push source through the
// platform's graph on a manual clock: state completion, scheduling, refusals, stop and
// flush while a sample waits, end of stream, frame drops, quality and statistics.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "media/dshow/video_renderer.h"
#include "platform/win/win_clock.h"
#include "tests/media/dshow/render_harness.h"

namespace halvorine_test {
namespace {

using plat::win::E_UNEXPECTED;
constexpr D_REFERENCE_TIME kMs = 10000;
constexpr D_REFERENCE_TIME kStartDelay = 10 * kMs;  // the graph starts streams this far ahead

template <class Base>
class Counting : public Base {
 public:
  explicit Counting(int sleepMs = 0)
      : Base(CLSID{0x7070, 0, 0, {0}}, u"counting renderer", nullptr, nullptr), sleepMs_(sleepMs) {}
  HRESULT CheckMediaType(const D_AM_MEDIA_TYPE*) override { return S_OK; }
  HRESULT DoRenderSample(D_IMediaSample*) override {
    if (sleepMs_ > 0) plat::win::Sleep(static_cast<DWORD>(sleepMs_));
    ++rendered;
    return S_OK;
  }
  std::atomic<int> rendered{0};

 private:
  int sleepMs_;
};
using CountingRenderer = Counting<D_CBaseRenderer>;
using CountingVideo = Counting<D_CBaseVideoRenderer>;

const GUID kSubtype = D_FourCCSubtype(0x31313131);
constexpr LONG kFrameBytes = 64;

// Holds the system timer for one test and lets it run again however the test ends.
struct HeldTimer {
  HeldTimer() { plat::win::HoldClockForTest(plat::win::MonotonicNanoseconds()); }
  ~HeldTimer() { plat::win::ReleaseClockForTest(); }
  void step(long long ms) { plat::win::StepClockForTest(ms * 1000000); }
};

// Runs the body with the renderer connected to a push source in a graph, then lets the
// renderer go.
template <class Renderer, class Body>
void inGraph(Renderer* r, Body body) {
  D_AM_MEDIA_TYPE type = videoType(kSubtype, 4, 4);
  {
    GraphRig rig(r, type, kFrameBytes);
    EXPECT_EQ(rig.connected, S_OK);
    BYTE frame[kFrameBytes] = {};
    if (rig.connected == S_OK) body(rig, frame);
  }
  D_FreeMediaType(type);
  r->NonDelegatingRelease();
}

int countOf(const std::vector<LONG>& codes, LONG code) {
  return static_cast<int>(std::count(codes.begin(), codes.end(), code));
}

TEST_F(DShowTest, RendererStateAndPinWithoutConnection) {
  auto* r = made<CountingRenderer>();
  D_FILTER_STATE state = ds::State_Running;
  EXPECT_EQ(r->GetState(0, nullptr), plat::win::E_POINTER);
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(r->Pause(), S_OK);
    EXPECT_EQ(r->GetState(0, &state), S_OK);
    EXPECT_EQ(state, ds::State_Paused);
    EXPECT_EQ(r->Run(0), S_OK);  // outside a graph the completion has nowhere to go
    EXPECT_EQ(r->Stop(), S_OK);
  }
  D_IPin* pin = nullptr;
  ASSERT_EQ(r->FindPin(u"In", &pin), S_OK);
  EXPECT_EQ(pin, static_cast<D_IPin*>(r->GetPin(0)));
  pin->Release();
  EXPECT_EQ(r->FindPin(u"in", &pin), ds::VFW_E_NOT_FOUND);
  EXPECT_EQ(pin, nullptr);
  EXPECT_EQ(r->GetPinCount(), 1);
  EXPECT_EQ(r->GetPin(1), nullptr);
  r->NonDelegatingRelease();
}

TEST_F(DShowTest, PausedRendererCompletesOnFirstSampleAndRefusesASecond) {
  auto* r = made<CountingRenderer>();
  inGraph(r, [&](GraphRig& rig, BYTE* frame) {
    for (int round = 0; round < 3; ++round) {
      rig.control->Pause();
      D_FILTER_STATE state;
      EXPECT_EQ(r->GetState(0, &state), ds::VFW_S_STATE_INTERMEDIATE);
      EXPECT_EQ(state, ds::State_Paused);
      const D_REFERENCE_TIME at = 5 * kMs;  // due 5 ms into the stream
      HRESULT first = E_UNEXPECTED;
      std::thread streaming([&] { first = rig.pin()->push(at, at + 40 * kMs, frame, kFrameBytes); });
      ASSERT_EQ(r->GetState(plat::win::INFINITE, &state), S_OK);
      EXPECT_TRUE(r->HaveCurrentSample());
      // One sample at a time: the second is refused and the graph hears of it once.
      EXPECT_EQ(rig.pin()->push(at, at + 40 * kMs, frame, kFrameBytes), E_UNEXPECTED);
      EXPECT_EQ(rig.pin()->push(at, at + 40 * kMs, frame, kFrameBytes), plat::win::E_FAIL);
      EXPECT_EQ(r->rendered, round);
      rig.control->Run();
      EXPECT_EQ(r->rendered, round);  // the clock has not reached it
      rig.step(20 * kMs);
      streaming.join();
      EXPECT_EQ(first, S_OK);
      EXPECT_EQ(r->rendered, round + 1);
      const std::vector<LONG> codes = rig.drainEvents(0);
      EXPECT_EQ(countOf(codes, ds::EC_ERRORABORT), 1);
      rig.control->Stop();
    }
  });
}

TEST_F(DShowTest, RendererDrawsAtItsTimeAndCompletesThroughTheTimer) {
  auto* r = made<CountingRenderer>();
  inGraph(r, [&](GraphRig& rig, BYTE* frame) {
    for (int round = 0; round < 2; ++round) {
      rig.control->Run();
      HRESULT pushed = E_UNEXPECTED;
      // Due 200 ms into the stream, ending at 300 ms.
      std::thread streaming([&] { pushed = rig.pin()->push(200 * kMs, 300 * kMs, frame, kFrameBytes); });
      ASSERT_TRUE(eventually([&] { return r->HaveCurrentSample(); }));
      rig.step(kStartDelay + 150 * kMs);
      EXPECT_EQ(r->rendered, round);
      EXPECT_TRUE(r->HaveCurrentSample());
      rig.step(60 * kMs);  // past 200 ms
      streaming.join();
      EXPECT_EQ(pushed, S_OK);
      EXPECT_EQ(r->rendered, round + 1);
      // End of stream 90 ms before the sample's end waits for the clock, through the timer.
      EXPECT_EQ(rig.pin()->DeliverEndOfStream(), S_OK);
      EXPECT_EQ(countOf(rig.drainEvents(0), ds::EC_COMPLETE), 0);
      rig.step(100 * kMs);
      const std::vector<LONG> codes = rig.drainEvents(20000);
      EXPECT_EQ(countOf(codes, ds::EC_COMPLETE), 1);
      EXPECT_TRUE(r->IsEndOfStreamDelivered());
      EXPECT_EQ(countOf(rig.drainEvents(30), ds::EC_COMPLETE), 0);
      rig.control->Stop();
    }
  });
}

TEST_F(DShowTest, StopAndFlushReleaseAWaitingReceive) {
  auto* r = made<CountingRenderer>();
  inGraph(r, [&](GraphRig& rig, BYTE* frame) {
    for (int round = 0; round < 30; ++round) {
      rig.control->Run();
      const D_REFERENCE_TIME far = 3600 * 1000 * kMs;
      std::thread streaming([&] { rig.pin()->push(far, far + kMs, frame, kFrameBytes); });
      ASSERT_TRUE(eventually([&] { return r->HaveCurrentSample(); }));
      if (round % 2 == 0) {
        rig.control->Stop();
        streaming.join();
      } else {
        rig.pin()->DeliverBeginFlush();
        streaming.join();
        EXPECT_FALSE(r->HaveCurrentSample());
        rig.pin()->DeliverEndFlush();
        // Waits block again after the flush.
        std::thread again([&] { rig.pin()->push(far, far + kMs, frame, kFrameBytes); });
        ASSERT_TRUE(eventually([&] { return r->HaveCurrentSample(); }));
        rig.control->Stop();
        again.join();
      }
      EXPECT_FALSE(r->HaveCurrentSample());
      EXPECT_EQ(r->rendered, 0);
    }
  });
}

TEST_F(DShowTest, SampleEndingBeforeItStartsIsReportedOnce) {
  auto* r = made<CountingRenderer>();
  inGraph(r, [&](GraphRig& rig, BYTE* frame) {
    rig.control->Run();
    EXPECT_EQ(rig.pin()->push(50 * kMs, 40 * kMs, frame, kFrameBytes), D_VFW_E_START_TIME_AFTER_END);
    EXPECT_LT(rig.pin()->push(60 * kMs, 70 * kMs, frame, kFrameBytes), 0);
    const std::vector<LONG> codes = rig.drainEvents(0);
    EXPECT_EQ(countOf(codes, ds::EC_ERRORABORT), 1);
    EXPECT_EQ(countOf(codes, ds::EC_COMPLETE), 1);
    EXPECT_EQ(r->rendered, 0);
  });
}

TEST_F(DShowTest, VideoRendererFrameRateOverHeldTimer) {
  auto* r = made<CountingVideo>();
  inGraph(r, [&](GraphRig& rig, BYTE* frame) {
    HeldTimer timer;
    rig.control->Run();
    rig.step(kStartDelay + 10000 * kMs);  // every frame below is due
    for (int i = 0; i < 100; ++i) ASSERT_EQ(rig.pin()->push(i * 40 * kMs, (i + 1) * 40 * kMs, frame, kFrameBytes), S_OK);
    timer.step(4000);
    int value = -1;
    EXPECT_EQ(r->get_FramesDrawn(&value), S_OK);
    EXPECT_EQ(value, 100);
    EXPECT_EQ(r->get_FramesDroppedInRenderer(&value), S_OK);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(r->get_AvgFrameRate(&value), S_OK);
    EXPECT_EQ(value, 2500);
    EXPECT_EQ(r->get_AvgSyncOffset(&value), S_OK);
    EXPECT_EQ(value, 1000);  // lateness counts as at most a second
    EXPECT_EQ(r->get_DevSyncOffset(&value), S_OK);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(r->get_Jitter(nullptr), plat::win::E_POINTER);
    rig.control->Stop();
    // Stopped, the rate is over the time streamed.
    timer.step(4000);
    EXPECT_EQ(r->get_AvgFrameRate(&value), S_OK);
    EXPECT_EQ(value, 2500);
  });
}

TEST_F(DShowTest, VideoRendererDropsFramesTooLateAndTellsUpstream) {
  auto* r = made<CountingVideo>(20);  // drawing is slow against 10 ms frames
  inGraph(r, [&](GraphRig& rig, BYTE* frame) {
    rig.control->Run();
    rig.step(kStartDelay);
    constexpr D_REFERENCE_TIME kFrame = 10 * kMs, kLag = 8 * kMs;
    D_REFERENCE_TIME stream = 0;  // where the clock stands in stream time
    auto pushAt = [&](int k, D_REFERENCE_TIME clockStream) {
      rig.step(clockStream - stream);
      stream = clockStream;
      return rig.pin()->push(k * kFrame + kLag, (k + 1) * kFrame + kLag, frame, kFrameBytes);
    };
    for (int k = 0; k < 6; ++k) ASSERT_EQ(pushAt(k, k * kFrame), S_OK);  // on time
    EXPECT_EQ(r->rendered, 6);
    for (int k = 6; k < 9; ++k) ASSERT_EQ(pushAt(k, k * kFrame + 3 * kFrame), S_OK);  // three frames late
    int dropped = -1, drawn = -1;
    r->get_FramesDroppedInRenderer(&dropped);
    r->get_FramesDrawn(&drawn);
    EXPECT_EQ(dropped, 3);
    EXPECT_EQ(drawn, 6);
    EXPECT_EQ(r->rendered, 6);
    EXPECT_EQ(rig.pin()->qualityMessages, 9);
    EXPECT_EQ(rig.pin()->lastType, ds::Flood);
    EXPECT_EQ(rig.pin()->lastProportion, 1000 - 30);
  });
}

TEST_F(DShowTest, VideoRendererThrottleAndHelpers) {
  auto* r = made<CountingVideo>();
  D_Quality q{};
  q.Proportion = 500;
  EXPECT_EQ(r->Notify(nullptr, q), S_OK);
  void* face = nullptr;
  ASSERT_EQ(r->NonDelegatingQueryInterface(D_IID_IQualProp, &face), S_OK);
  static_cast<D_IQualProp*>(face)->Release();
  ASSERT_EQ(r->NonDelegatingQueryInterface(ds::IID_IMediaSeeking, &face), S_OK);
  static_cast<D_IUnknown*>(face)->Release();
  // Leaving its graph, the renderer tells whoever watches it that its output is gone.
  HarnessGraph graph(true);
  ASSERT_EQ(r->JoinFilterGraph(&graph, u"video"), S_OK);
  ASSERT_EQ(r->JoinFilterGraph(nullptr, nullptr), S_OK);
  EXPECT_EQ(graph.events, std::vector<LONG>{D_EC_WINDOW_DESTROYED});
  struct Case {
    int in, root;
  } roots[] = {{0, 0}, {-5, 0}, {1, 1}, {15, 3}, {16, 4}, {1 << 30, 1 << 15}, {0x7FFFFFFF, 46340}};
  for (const Case& c : roots) EXPECT_EQ(D_isqrt(c.in), c.root) << c.in;
  EXPECT_EQ(D_llMulDiv(100, 100000, 4000, 0), 2500);
  EXPECT_EQ(D_llMulDiv(7, 1, 2, 1), 4);
  EXPECT_EQ(D_llMulDiv(0x7FFFFFFFFFFFFFFFLL, 4, 1, 0), 0x7FFFFFFFFFFFFFFFLL);
  r->NonDelegatingRelease();
}

}  // namespace
}  // namespace halvorine_test
