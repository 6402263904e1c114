// The audio renderer in a graph: a harness tone source played through it onto the sound
// stand-in's manual sink, checked from the mixer's capture (exact samples, volume and
// balance, the end reported after the last frame), stop and flush mid-stream in a loop,
// and the renderer as the graph's clock driven by the frames played.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/audio/audio_test.h"
#include "platform/audio/dsound.h"
#include "platform/codec/decoder.h"
#include "platform/dshow/filter_graph.h"
#include "platform/dshow/filter_parts.h"
#include "platform/dshow/system_filters.h"
#include "platform/win/com.h"
#include "platform/win/sync.h"
#include "tests/platform/codec/codec_files.h"
#include "tests/platform/dshow/graph_harness.h"

namespace {

namespace ds = plat::dshow;
namespace pa = plat::audio;
namespace win = plat::win;
using harness::query;
using halvorine_test::codecFolder;
using halvorine_test::haveTool;
using halvorine_test::inFolder;
using win::HANDLE;
using win::HRESULT;
using win::S_FALSE;
using win::S_OK;

const win::CLSID kToneClass = {0x70AE5C01, 0, 0, {2, 2, 2, 2, 2, 2, 2, 2}};
constexpr int kRate = 44100;
constexpr int kPieceFrames = 2205;

// 16-bit stereo, neither channel starting at 0, so the onset in the capture is exact.
std::vector<std::int16_t> tone(int frames) {
  std::vector<std::int16_t> s(static_cast<size_t>(frames) * 2);
  for (int i = 0; i < frames; ++i) {
    const double a = 2.0 * 3.14159265358979 * 523.0 * i / kRate;
    s[2 * i] = static_cast<std::int16_t>(std::lround(12000.0 * std::sin(a + 0.4)));
    s[2 * i + 1] = static_cast<std::int16_t>(std::lround(9000.0 * std::cos(a)));
  }
  return s;
}

// The tone's pin: 44.1-kHz stereo 16-bit PCM.
class ToneOutput final : public harness::MemPushPin {
 public:
  explicit ToneOutput(ds::StandInFilter* filter) : MemPushPin(filter, 3, kPieceFrames * 4) {
    format_ = {pa::WAVE_FORMAT_PCM, 2, kRate, kRate * 4, 4, 16, 0};
  }

 protected:
  HRESULT checkType(const ds::AM_MEDIA_TYPE& type) override {
    return type.majortype == ds::MEDIATYPE_Audio ? S_OK : S_FALSE;
  }
  std::vector<ds::AM_MEDIA_TYPE> offeredTypes() override {
    ds::AM_MEDIA_TYPE type{};
    type.majortype = ds::MEDIATYPE_Audio;
    type.subtype = ds::MEDIASUBTYPE_PCM;
    type.formattype = ds::FORMAT_WaveFormatEx;
    type.bFixedSizeSamples = 1;
    type.lSampleSize = 4;
    type.cbFormat = sizeof(format_);
    type.pbFormat = reinterpret_cast<win::BYTE*>(&format_);
    return {type};
  }

 private:
  pa::WAVEFORMATEX format_;
};

// Pushes the tone through IMemInputPin on its own thread, then end of stream; stops
// pushing when a delivery is refused.
class ToneSource final : public ds::StandInFilter {
 public:
  explicit ToneSource(std::vector<std::int16_t> samples) : StandInFilter(kToneClass), samples_(std::move(samples)) {
    addPin(std::make_unique<ToneOutput>(this));
  }
  ToneOutput* out() { return static_cast<ToneOutput*>(pins_[0].get()); }
  int frames() const { return static_cast<int>(samples_.size() / 2); }

  // Flushes downstream as a seeking source does, then delivers nothing more this run.
  void flush() {
    out()->peer()->BeginFlush();
    stopStreaming();
    out()->peer()->EndFlush();
  }

 protected:
  ~ToneSource() override { stopStreaming(); }
  HRESULT stateChanged(ds::FILTER_STATE from, ds::FILTER_STATE to) override {
    if (from == ds::State_Stopped && to != ds::State_Stopped) {
      if (out()->allocator->Commit() != S_OK) return win::E_FAIL;
      thread_ = std::thread([this] { stream(); });
    }
    if (to == ds::State_Stopped) stopStreaming();
    return S_OK;
  }

 private:
  void stopStreaming() {
    if (out()->allocator != nullptr) out()->allocator->Decommit();
    if (thread_.joinable()) thread_.join();
  }
  void stream() {
    for (int at = 0; at < frames(); at += kPieceFrames) {
      ds::IMediaSample* sample = nullptr;
      if (out()->allocator->GetBuffer(&sample, nullptr, nullptr, 0) != S_OK) return;
      const int n = std::min(kPieceFrames, frames() - at);
      win::BYTE* bytes = nullptr;
      sample->GetPointer(&bytes);
      std::memcpy(bytes, samples_.data() + 2 * at, static_cast<size_t>(n) * 4);
      sample->SetActualDataLength(n * 4);
      ds::REFERENCE_TIME start = at * 10'000'000LL / kRate, stop = (at + n) * 10'000'000LL / kRate;
      sample->SetTime(&start, &stop);
      const HRESULT hr = out()->input->Receive(sample);
      sample->Release();
      if (hr != S_OK) return;
    }
    out()->peer()->EndOfStream();
  }

  const std::vector<std::int16_t> samples_;
  std::thread thread_;
};

double rms(const std::int16_t* s, size_t count, size_t stride) {
  double sum = 0;
  size_t n = 0;
  for (size_t i = 0; i < count; i += stride, ++n) sum += static_cast<double>(s[i]) * s[i];
  return n == 0 ? 0.0 : std::sqrt(sum / static_cast<double>(n));
}

// A graph of the tone source rendered into the audio renderer, on the manual sink.
class AudioRendererTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pa::UseManualAudioSinkForTest(true);
    // A device of the test's own keeps the manual sink for the whole test.
    void* made = nullptr;
    ASSERT_EQ(win::CoCreateInstance(pa::CLSID_DirectSound, nullptr, win::CLSCTX_ALL, pa::IID_IDirectSound, &made), 0);
    device_ = static_cast<pa::IDirectSound*>(made);
    ASSERT_EQ(device_->Initialize(nullptr), 0);
    pa::TakeCapturedAudioForTest();
  }
  void TearDown() override {
    if (graph != nullptr) {
      control->Release();
      events->Release();
      renderer->Release();
      EXPECT_EQ(graph->Release(), 0u);
    }
    if (device_ != nullptr) device_->Release();
    pa::UseManualAudioSinkForTest(false);
    pa::FailNextCreateSoundBuffersForTest(0);
  }

  void build(int frames) {
    samples = tone(frames);
    ds::CreateFilterGraph(&graph);
    auto* source = new ToneSource(samples);
    ASSERT_EQ(graph->AddFilter(source, u"Tone"), S_OK);
    // Render finds the audio renderer through the registry.
    ASSERT_EQ(graph->Render(source->out()), S_OK);
    source->Release();
    ASSERT_EQ(graph->FindFilterByName(u"Audio Renderer", &renderer), S_OK);
    control = query<ds::IMediaControl>(graph, ds::IID_IMediaControl);
    events = query<ds::IMediaEventEx>(graph, ds::IID_IMediaEventEx);
  }

  void counts(ds::LONGLONG* played, ds::LONGLONG* written) {
    ASSERT_TRUE(ds::AudioRendererCountsForTest(renderer, played, written));
  }

  // Waits (without a time limit that matters) until the renderer has taken in what it
  // has room for, then mixes one quantum, so the manual sink never outruns the source.
  void step() {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    ds::LONGLONG before = 0, written = 0;
    for (;;) {
      counts(&before, &written);
      if (written >= std::min<ds::LONGLONG>(totalFrames(), before + lead_) || stopped_) break;
      ASSERT_LT(std::chrono::steady_clock::now(), giveUp) << "the renderer took in nothing";
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    pa::AdvanceAudioForTest(pa::kQuantumFrames);
    ds::LONGLONG after = 0;
    counts(&after, &written);
    // Not playing yet (the sound starts at the run's start time) or no more.
    if (after == before) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ds::LONGLONG totalFrames() const { return total_ != 0 ? total_ : static_cast<ds::LONGLONG>(samples.size() / 2); }

  bool completed() {
    ds::LONG code = 0;
    return events->WaitForCompletion(0, &code) == S_OK && code == ds::EC_COMPLETE;
  }

  // Mixes until `until` says so (at most 30 s of sound); returns what was captured.
  template <class Until>
  std::vector<std::int16_t> playUntil(Until until) {
    std::vector<std::int16_t> captured;
    for (int i = 0; i < 3000 && !until(captured); ++i) {
      step();
      const std::vector<std::int16_t> more = pa::TakeCapturedAudioForTest();
      captured.insert(captured.end(), more.begin(), more.end());
    }
    return captured;
  }

  static size_t onset(const std::vector<std::int16_t>& captured) {
    size_t i = 0;
    while (i < captured.size() && captured[i] == 0) ++i;
    return i - i % 2;
  }

  std::vector<std::int16_t> samples;
  ds::IGraphBuilder* graph = nullptr;
  ds::IBaseFilter* renderer = nullptr;
  ds::IMediaControl* control = nullptr;
  ds::IMediaEventEx* events = nullptr;
  bool stopped_ = false;
  ds::LONGLONG total_ = 0;        // frames the stream holds, when not the tone's
  ds::LONGLONG lead_ = kRate / 4;  // frames to have queued before each quantum

 private:
  pa::IDirectSound* device_ = nullptr;
};

TEST_F(AudioRendererTest, PlaysEveryFrameInOrderAtTheVolumeAndBalanceAndCompletesAfterTheLast) {
  build(kRate * 3 / 2);  // longer than the renderer's one-second ring
  auto* audio = query<ds::IBasicAudio>(graph, ds::IID_IBasicAudio);
  EXPECT_EQ(audio->put_Volume(1), win::E_INVALIDARG);
  EXPECT_EQ(audio->put_Balance(-10001), win::E_INVALIDARG);
  struct Round {
    ds::LONG volume, balance;
    double left, right;  // expected gains
  } rounds[] = {
      {0, 0, 1.0, 1.0},
      {-600, 0, std::pow(10.0, -0.3), std::pow(10.0, -0.3)},
      {0, -10000, 1.0, 0.0},
      {-2000, 2000, 0.1 * 0.1, 0.1},  // a positive balance lowers the left side
  };
  for (int pass = 0; pass < 2; ++pass) {
    for (const Round& r : rounds) {
      SCOPED_TRACE(testing::Message() << "pass " << pass << " volume " << r.volume << " balance " << r.balance);
      ASSERT_EQ(audio->put_Volume(r.volume), S_OK);
      ASSERT_EQ(audio->put_Balance(r.balance), S_OK);
      ds::LONG v = 1, b = 1;
      audio->get_Volume(&v);
      audio->get_Balance(&b);
      EXPECT_EQ(v, r.volume);
      EXPECT_EQ(b, r.balance);
      ASSERT_EQ(control->Run(), S_OK);
      bool early = false, done = false;
      std::vector<std::int16_t> captured = playUntil([&](const std::vector<std::int16_t>& sofar) {
        // Whatever the threads' timing, the mix holds the whole tone once the end is reported.
        if (!done && completed()) {
          done = true;
          early = sofar.size() < onset(sofar) + samples.size();
        }
        ds::LONGLONG played = 0, written = 0;
        counts(&played, &written);
        return played >= totalFrames();
      });
      // The end is reported only once the last frame has gone into the mix, and then soon.
      EXPECT_FALSE(early);
      ds::LONG code = ds::EC_COMPLETE;
      if (!done) ASSERT_EQ(events->WaitForCompletion(20000, &code), S_OK);
      EXPECT_EQ(code, ds::EC_COMPLETE);
      pa::AdvanceAudioForTest(kRate / 10);
      const std::vector<std::int16_t> tail = pa::TakeCapturedAudioForTest();
      captured.insert(captured.end(), tail.begin(), tail.end());
      const size_t from = onset(captured);
      const size_t count = samples.size();
      ASSERT_GE(captured.size(), from + count);
      if (r.volume == 0 && r.balance == 0) {
        EXPECT_TRUE(std::equal(samples.begin(), samples.end(), captured.begin() + static_cast<long>(from)));
      } else if (r.volume == 0) {
        for (size_t i = 0; i < count; i += 2) {
          ASSERT_EQ(captured[from + i], samples[i]) << i;
          ASSERT_EQ(captured[from + i + 1], 0) << i;
        }
      } else {
        const double want[2] = {r.left, r.right};
        for (size_t side = 0; side < 2; ++side) {
          const double ratio = rms(captured.data() + from + side, count, 2) / rms(samples.data() + side, count, 2);
          EXPECT_NEAR(ratio, want[side], 0.01 * want[side] + 1e-4) << "side " << side;
        }
      }
      // Nothing after the tone but silence.
      for (size_t i = from + count; i < captured.size(); ++i) ASSERT_EQ(captured[i], 0) << i;
      ASSERT_EQ(control->Stop(), S_OK);
    }
  }
  audio->Release();
}

TEST_F(AudioRendererTest, StopAndFlushMidStreamSilenceTheOutputAndAFreshRunPlaysFromTheStart) {
  build(kRate * 2);
  ds::IBaseFilter* found = nullptr;
  ASSERT_EQ(graph->FindFilterByName(u"Tone", &found), S_OK);
  auto* source = static_cast<ToneSource*>(found);
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    stopped_ = false;
    ASSERT_EQ(control->Run(), S_OK);
    const ds::LONGLONG cut = totalFrames() / 4 + round * 1000;
    std::vector<std::int16_t> captured = playUntil([&](const std::vector<std::int16_t>&) {
      ds::LONGLONG played = 0, written = 0;
      counts(&played, &written);
      return played >= cut;
    });
    ds::LONGLONG played = 0, written = 0;
    counts(&played, &written);
    const size_t from = onset(captured);
    const size_t heard = captured.size() - from;
    ASSERT_GT(heard, 0u) << played << " " << written << " " << captured.size();
    ASSERT_LE(heard, samples.size());
    EXPECT_TRUE(std::equal(captured.begin() + static_cast<long>(from), captured.end(), samples.begin()));
    stopped_ = true;
    if (round % 2 == 0) {
      ASSERT_EQ(control->Stop(), S_OK);
    } else {
      // A flush drops what is queued.
      source->flush();
    }
    pa::AdvanceAudioForTest(kRate / 10);
    const std::vector<std::int16_t> after = pa::TakeCapturedAudioForTest();
    // Stopping takes effect at once; a flush at the next quantum at the latest.
    const size_t quiet = round % 2 == 0 ? 0 : 2 * pa::kQuantumFrames;
    for (size_t i = quiet; i < after.size(); ++i) ASSERT_EQ(after[i], 0) << i;
    EXPECT_FALSE(completed());
    if (round % 2 == 1) {
      ASSERT_EQ(control->Stop(), S_OK);
    }
  }
  found->Release();
}

TEST_F(AudioRendererTest, IsTheGraphsClockAndItsTimeFollowsTheFramesPlayed) {
  build(kRate * 2);
  ds::IReferenceClock* own = query<ds::IReferenceClock>(renderer, ds::IID_IReferenceClock);
  auto* filter = query<ds::IMediaFilter>(graph, ds::IID_IMediaFilter);
  // Without a sound output the graph still runs, silent; the next run makes the output.
  pa::FailNextCreateSoundBuffersForTest(1);
  EXPECT_EQ(control->Run(), S_OK);
  ds::LONG state = -1;
  control->GetState(0, &state);
  EXPECT_EQ(state, ds::State_Running);
  ASSERT_EQ(control->Stop(), S_OK);
  ASSERT_EQ(control->Run(), S_OK);
  ds::IReferenceClock* clock = nullptr;
  ASSERT_EQ(filter->GetSyncSource(&clock), S_OK);
  EXPECT_EQ(clock, own);
  // Under way: from here on the time moves only as the mixer plays.
  playUntil([&](const std::vector<std::int16_t>&) {
    ds::LONGLONG played = 0, written = 0;
    counts(&played, &written);
    return played > 0;
  });
  HANDLE event = win::CreateEventW(nullptr, 1, 0, nullptr);
  for (int i = 0; i < 5; ++i) {
    ds::REFERENCE_TIME before = 0, after = 0;
    ASSERT_GE(own->GetTime(&before), 0);
    ds::DWORD_PTR cookie = 0;
    win::ResetEvent(event);
    ASSERT_EQ(own->AdviseTime(before, 400'000, event, &cookie), S_OK);  // 40 ms on
    EXPECT_EQ(own->GetTime(&after), S_FALSE);  // the mixer did not play
    EXPECT_EQ(after, before);
    pa::AdvanceAudioForTest(pa::kQuantumFrames * 3);
    ASSERT_EQ(own->GetTime(&after), S_OK);
    EXPECT_EQ(after - before, 300'000);  // 3 quanta of 441 frames at 44100 Hz
    EXPECT_NE(win::WaitForSingleObject(event, 0), 0u);
    pa::AdvanceAudioForTest(pa::kQuantumFrames);
    own->GetTime(&after);
    // The advise thread looks at the clock every few milliseconds.
    EXPECT_EQ(win::WaitForSingleObject(event, 20000), 0u);
    pa::TakeCapturedAudioForTest();
    step();
  }
  win::CloseHandle(event);
  // Paused, the clock carries on from where it stood and never goes back.
  ds::REFERENCE_TIME running = 0, paused = 0;
  own->GetTime(&running);
  ASSERT_EQ(control->Pause(), S_OK);
  own->GetTime(&paused);
  EXPECT_GE(paused, running);
  ASSERT_EQ(control->Stop(), S_OK);
  clock->Release();
  filter->Release();
  own->Release();
}

TEST_F(AudioRendererTest, AnMp3FileRenderedThroughTheDecoderPlaysAtItsLevel) {
  HALVORINE_NEED_FILE("lame", "graph_8k.mp3",
                      "sox -n -r 8000 -c 1 -b 16 g8.wav synth 1.2 sine 300 vol 0.5 && "
                      "lame --quiet -t -m m -b 16 g8.wav graph_8k.mp3");
  const std::vector<std::uint8_t> mp3 = halvorine_test::readBytes("graph_8k.mp3");
  pa::WAVEFORMATEX coded{plat::codec::WAVE_FORMAT_MPEGLAYER3, 1, 8000, 16000, 2, 16, 0};
  auto decoder = plat::codec::makeMpegDecoder(&coded);
  std::vector<std::int16_t> pcm;
  decoder->decode(mp3.data(), mp3.size(), pcm);
  decoder->decode(nullptr, 0, pcm);
  ASSERT_FALSE(pcm.empty());
  total_ = static_cast<ds::LONGLONG>(pcm.size());
  lead_ = 2000;

  std::u16string path = u"C:";
  for (char c : halvorine_test::codecFolder() + "/graph_8k.mp3") path += c == '/' ? u'\\' : static_cast<char16_t>(c);
  ds::CreateFilterGraph(&graph);
  ASSERT_EQ(graph->RenderFile(path.c_str(), nullptr), S_OK);
  ASSERT_EQ(graph->FindFilterByName(u"Audio Renderer", &renderer), S_OK);
  control = query<ds::IMediaControl>(graph, ds::IID_IMediaControl);
  events = query<ds::IMediaEventEx>(graph, ds::IID_IMediaEventEx);
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(control->Run(), S_OK);
    bool done = false;
    std::vector<std::int16_t> captured = playUntil([&](const std::vector<std::int16_t>&) {
      return done = completed();
    });
    ASSERT_TRUE(done);
    pa::AdvanceAudioForTest(kRate / 10);
    const std::vector<std::int16_t> tail = pa::TakeCapturedAudioForTest();
    captured.insert(captured.end(), tail.begin(), tail.end());
    // 8 kHz mono, interpolated to 44.1 kHz on both sides: the level, not the samples.
    const size_t from = onset(captured);
    const size_t frames = static_cast<size_t>(total_) * kRate / 8000;
    ASSERT_GE(captured.size(), from + 2 * frames);
    const double want = rms(pcm.data(), pcm.size(), 1);
    EXPECT_NEAR(rms(captured.data() + from, 2 * frames, 2), want, 0.02 * want);
    EXPECT_NEAR(rms(captured.data() + from + 1, 2 * frames, 2), want, 0.02 * want);
    ASSERT_EQ(control->Stop(), S_OK);
  }
}

}  // namespace
