// MP3 files the codec walk refuses, decoded through the filter graph into PCM in
// memory: the 8-kHz MPEG-2.5 fallback, agreement with the codec path, and the ways the
// conversion fails (not MP3, the window gone, the graph classes missing).
#include "media/base/memory.h"
#include <unistd.h>

#include <filesystem>

#include "media/base/log.h"
#include "media/dshow/filter.h"
#include "media/dshow/media_sample.h"
#include "media/dshow/media_type.h"
#include "media/dshow/mem_allocator.h"
#include "media/dshow/output_pin.h"
#include "platform/dshow/filter_registry.h"
#include "media/sound/sound_convert_dshow.h"
#include "media/sound/sound_convert_methods.h"
#include "media/system/window_state.h"
#include "tests/media/log_file.h"
#include "tests/media/sound/converter_fixture.h"
#include "tests/media/sound/reference_decode.h"
#include "tests/media/sound/sound_system_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;
using plat::win::FALSE;
using plat::win::S_OK;

constexpr int kCodecOff = SOUNDCONVERT_NO_ACM | SOUNDCONVERT_NO_ACM_MP3;

class DShowMp3Test : public SoundSystemTest {
 protected:
  void SetUp() override {
    SoundSystemTest::SetUp();
    InitializeSoundConvert();
  }
  void TearDown() override {
    Win.Status.WindowClosed = 0;
    TerminateSoundConvert();
    unsetenv("HALVORINE_MISSING");
    SoundSystemTest::TearDown();
  }
};

// Frames of a file, counted header to header (MPEG-2.5 headers included).
int countFrames(const std::vector<std::uint8_t>& mp3) {
  static const int kRates[2][3] = {{11025, 12000, 8000}, {22050, 24000, 16000}};
  static const int kKbps[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
  int frames = 0;
  for (std::size_t p = 0; p + 4 <= mp3.size(); ++frames) {
    const std::uint8_t* b = &mp3[p];
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) return -1;
    const bool mpeg25 = (b[1] & 0x10) == 0;
    const int rate = kRates[mpeg25 ? 0 : 1][(b[2] >> 2) & 3];
    const int bytes = 72000 * kKbps[b[2] >> 4] / rate + ((b[2] >> 1) & 1);
    p += static_cast<std::size_t>(bytes);
  }
  return frames;
}

#define NEED_EIGHT_KHZ()                                                                             \
  HALVORINE_NEED_FILE("lame", "eight.mp3",                                                           \
                      "sox -n -r 8000 -c 1 -b 16 src8.wav synth 1.2 sine 440 sine 300 vol 0.5 && " \
                      "lame --quiet -t -b 16 src8.wav eight.mp3")

TEST_F(DShowMp3Test, EightKilohertzMpeg25LoadsThroughTheGraph) {
  NEED_EIGHT_KHZ();
  const std::vector<std::uint8_t> mp3 = readBytes("eight.mp3");
  const int frames = countFrames(mp3);
  ASSERT_GT(frames, 10);
  const std::vector<std::int16_t> reference = mpg123Reference(mp3, 8000, 1);
  ASSERT_EQ(reference.size(), static_cast<std::size_t>(frames) * 576);
  // The codec walk refuses the file; the graph takes it. Run it several times over so
  // that each graph's threads start and end cleanly.
  Converter refused(mp3, SOUNDCONVERT_NO_DSMP3);
  EXPECT_EQ(refused.result, -1);
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    Converter c(mp3);
    ASSERT_EQ(c.result, 0);
    EXPECT_EQ(c.convert.Method, SOUND_METHODTYPE_MEMORY);
    const pa::WAVEFORMATEX& f = c.convert.OutFormat;
    EXPECT_EQ(f.wFormatTag, 1);
    EXPECT_EQ(f.nChannels, 1);
    EXPECT_EQ(f.nSamplesPerSec, 8000u);
    EXPECT_EQ(f.nBlockAlign, 2);
    EXPECT_EQ(f.wBitsPerSample, 16);
    EXPECT_EQ(f.nAvgBytesPerSec, 16000u);
    EXPECT_EQ(GetSoundConvertDestSize(&c.convert), frames * 576 * 2);
    EXPECT_EQ(c.all(), reference);
  }
  const int h = LoadSoundMemByMemImage(mp3.data(), static_cast<std::uint32_t>(mp3.size()), 1);
  ASSERT_NE(h, -1);
  EXPECT_EQ(GetSoundMemTotalSample(h), frames * 576);
  EXPECT_EQ(GetSoundMemFrequency(h), 8000);
  DeleteSoundMem(h);
}

TEST_F(DShowMp3Test, MpegOneThroughTheGraphMatchesTheCodecPath) {
  HALVORINE_NEED_FILE("lame", "one.mp3",
                      "sox -n -r 44100 -c 2 -b 16 srcm.wav synth 1 sine 440 sine 550 vol 0.6 && "
                      "lame --quiet -t -b 128 srcm.wav one.mp3");
  // A variable rate whose first frames are slow (silence first), and a tag before the
  // first frame: the block's size is guessed from the first frame, so neither may lose
  // or add a sample.
  HALVORINE_NEED_FILE("lame", "vbr.mp3",
                      "sox -n -r 44100 -c 2 -b 16 srcv.wav synth 3 sine 440 sine 550 vol 0.6 pad 1 0 && "
                      "lame --quiet -t -V 6 -B 320 srcv.wav vbr.mp3");
  HALVORINE_NEED_FILE("lame", "tagged.mp3",
                      "sox -n -r 32000 -c 1 -b 16 srct.wav synth 2 sine 330 vol 0.6 && "
                      "lame --quiet -b 48 --add-id3v2 --pad-id3v2 --tt title srct.wav tagged.mp3");
  for (const char* name : {"one.mp3", "vbr.mp3", "tagged.mp3"}) {
    SCOPED_TRACE(name);
    const std::vector<std::uint8_t> mp3 = readBytes(name);
    Converter codec(mp3, SOUNDCONVERT_NO_DSMP3);
    ASSERT_EQ(codec.result, 0);
    Converter graph(mp3, kCodecOff);
    ASSERT_EQ(graph.result, 0);
    EXPECT_EQ(graph.convert.Method, SOUND_METHODTYPE_MEMORY);
    EXPECT_EQ(GetSoundConvertDestSize(&graph.convert), GetSoundConvertDestSize(&codec.convert));
    EXPECT_EQ(graph.all(), codec.all());
  }
}

TEST_F(DShowMp3Test, RefusalsFailCleanly) {
  NEED_EIGHT_KHZ();
  const std::vector<std::uint8_t> mp3 = readBytes("eight.mp3");
  std::vector<std::uint8_t> text(3000, 'x');
  struct Case {
    const char* name;
    const std::vector<std::uint8_t>* file;
    const char* missing;
    bool windowGone;
    const char16_t* logged;
  } cases[] = {{"not MP3", &text, nullptr, false, u"グラフの構築に失敗しました"},
               {"window gone", &mp3, nullptr, true, u"MP3変換の途中でソフトが終了しました"},
               {"graph classes missing", &mp3, "dshow", false, u"MP3変換用 NullRender の作成に失敗しました"}};
  // The log goes to a folder of its own (closed first, in case it is open elsewhere).
  SetLogFileOutput(0);
  const std::filesystem::path home = std::filesystem::current_path();
  char folder[] = "/tmp/halvorine-dshow-log-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  std::filesystem::current_path(folder);
  for (int round = 0; round < 2; ++round) {
    for (const Case& k : cases) {
      SCOPED_TRACE(k.name);
      if (k.missing != nullptr) setenv("HALVORINE_MISSING", k.missing, 1);
      Win.Status.WindowClosed = k.windowGone ? 1 : 0;
      SetLogFileOutput(1);
      {
        Converter c(*k.file, kCodecOff);
        EXPECT_EQ(c.result, -1);
      }
      SetLogFileOutput(0);
      EXPECT_GE(depthOf(logFileLines(), k.logged), 0);
      Win.Status.WindowClosed = 0;
      unsetenv("HALVORINE_MISSING");
    }
  }
  std::filesystem::current_path(home);
  std::filesystem::remove_all(folder);
  // The same file loads again afterwards.
  Converter c(mp3);
  EXPECT_EQ(c.result, 0);
}

// A stand-in decoder for the tests: it takes the stream pin of the memory reader and,
// when run, pushes a known 8-bit mono pattern downstream and ends the stream.
class EightBitDecoder : public D_CBaseFilter {
 public:
  static constexpr int kSamples = 40;
  static constexpr int kBytes = 4096;
  static BYTE pattern(int sample, int b) { return static_cast<BYTE>(sample * 13 + b * 3); }

  EightBitDecoder() : D_CBaseFilter(u"eight-bit decoder", nullptr, &lock_, kClsid), in_(this, &lock_), out_(this, &lock_) {}
  static const CLSID kClsid;

  int GetPinCount() override { return 2; }
  D_CBasePin* GetPin(int index) override { return index == 0 ? static_cast<D_CBasePin*>(&in_) : index == 1 ? &out_ : nullptr; }
  HRESULT FindPin(const WCHAR*, D_IPin** pin) override {
    *pin = nullptr;
    return plat::dshow::VFW_E_NOT_FOUND;
  }
  HRESULT Run(D_REFERENCE_TIME start) override {
    const bool wasRunning = m_State == plat::dshow::State_Running;
    const HRESULT hr = D_CBaseFilter::Run(start);
    if (hr < 0 || wasRunning || !out_.IsConnected()) return hr;
    for (int i = 0; i < kSamples; ++i) {
      D_IMediaSample* sample = nullptr;
      if (out_.GetDeliveryBuffer(&sample, nullptr, nullptr, 0) < 0) break;
      BYTE* data = nullptr;
      sample->GetPointer(&data);
      for (int b = 0; b < kBytes; ++b) data[b] = pattern(i, b);
      sample->SetActualDataLength(kBytes);
      out_.Deliver(sample);
      sample->Release();
    }
    out_.DeliverEndOfStream();
    return hr;
  }

 private:
  struct In : D_CBasePin {
    In(D_CBaseFilter* f, D_CCritSec* l) : D_CBasePin(u"in", f, l, nullptr, u"In", plat::dshow::PINDIR_INPUT) {}
    HRESULT CheckMediaType(const D_AM_MEDIA_TYPE* t) override {
      return t->majortype == plat::dshow::MEDIATYPE_Stream ? S_OK : plat::win::E_FAIL;
    }
    // The reader completes only for a peer that asked for its IAsyncReader.
    HRESULT CompleteConnect(D_IPin* peer) override {
      void* reader = nullptr;
      if (peer->QueryInterface(plat::dshow::IID_IAsyncReader, &reader) < 0) return plat::win::E_NOINTERFACE;
      static_cast<D_IUnknown*>(reader)->Release();
      return S_OK;
    }
    HRESULT BeginFlush() override { return S_OK; }
    HRESULT EndFlush() override { return S_OK; }
  };
  struct Out : D_CBaseOutputPin {
    Out(D_CBaseFilter* f, D_CCritSec* l) : D_CBaseOutputPin(u"out", f, l, nullptr, u"Out") {}
    HRESULT CheckMediaType(const D_AM_MEDIA_TYPE* t) override {
      return t->subtype == plat::dshow::MEDIASUBTYPE_PCM ? S_OK : plat::win::E_FAIL;
    }
    HRESULT GetMediaType(int position, D_AM_MEDIA_TYPE* t) override {
      if (position != 0) return plat::dshow::VFW_S_NO_MORE_ITEMS;
      pa::WAVEFORMATEX f{1, 1, 8000, 8000, 1, 8, 0};
      D_AM_MEDIA_TYPE type{};
      type.majortype = plat::dshow::MEDIATYPE_Audio;
      type.subtype = plat::dshow::MEDIASUBTYPE_PCM;
      type.formattype = plat::dshow::FORMAT_WaveFormatEx;
      type.cbFormat = sizeof(f);
      type.pbFormat = reinterpret_cast<BYTE*>(&f);
      return D_CopyMediaType(t, &type);
    }
    HRESULT DecideBufferSize(D_IMemAllocator* a, D_ALLOCATOR_PROPERTIES* p) override {
      D_ALLOCATOR_PROPERTIES want{2, kBytes, p->cbAlign, 0}, got{};
      return a->SetProperties(&want, &got);
    }
  };
  D_CCritSec lock_;
  In in_;
  Out out_;
};
const CLSID EightBitDecoder::kClsid = {0x5EC0DE08, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};

HRESULT makeEightBitDecoder(plat::dshow::IBaseFilter** filter) {
  auto* made = new EightBitDecoder;
  made->NonDelegatingAddRef();
  *filter = made;
  return S_OK;
}

TEST_F(DShowMp3Test, EightBitDecoderOutputKeepsItsFormatAndGrowsTheBlock) {
  plat::dshow::RegisterFilter(EightBitDecoder::kClsid, u"eight-bit", plat::dshow::MERIT_PREFERRED, &makeEightBitDecoder);
  // A file far smaller than a tenth of what comes out.
  std::vector<std::uint8_t> file(3000, 0x55);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    Converter c(file, kCodecOff);
    ASSERT_EQ(c.result, 0);
    const pa::WAVEFORMATEX& f = c.convert.OutFormat;
    EXPECT_EQ(f.nBlockAlign, 1);
    EXPECT_EQ(f.wBitsPerSample, 8);
    EXPECT_EQ(f.nAvgBytesPerSec, 8000u);
    const int total = EightBitDecoder::kSamples * EightBitDecoder::kBytes;
    ASSERT_EQ(GetSoundConvertDestSize(&c.convert), total);
    const std::vector<std::uint8_t> pcm = c.read(total);
    ASSERT_EQ(pcm.size(), static_cast<std::size_t>(total));
    bool same = true;
    for (int i = 0; i < total && same; ++i)
      same = pcm[i] == EightBitDecoder::pattern(i / EightBitDecoder::kBytes, i % EightBitDecoder::kBytes);
    EXPECT_TRUE(same);
  }
  plat::dshow::UnregisterFilter(EightBitDecoder::kClsid);
}

TEST_F(DShowMp3Test, CallbackGrowsTheBlockByMebibytes) {
  HRESULT hr = S_OK;
  auto* allocator = new D_CMemAllocator(u"test", nullptr, &hr);
  allocator->NonDelegatingAddRef();
  D_ALLOCATOR_PROPERTIES want{1, 600000, 1, 0}, got{};
  ASSERT_EQ(allocator->SetProperties(&want, &got), S_OK);
  ASSERT_EQ(allocator->Commit(), S_OK);
  Mp3PcmBlock block;
  block.capacity = 30000;
  block.data = static_cast<std::uint8_t*>(MemAlloc(block.capacity, __FILE__, __LINE__));
  for (int i = 0; i < 5; ++i) {
    D_IMediaSample* sample = nullptr;
    ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    std::memset(data, 'a' + i, 600000);
    sample->SetActualDataLength(600000);
    EXPECT_EQ(MP3SampleGrabberCallback(sample, nullptr, nullptr, FALSE, &block), S_OK);
    sample->Release();
  }
  EXPECT_EQ(block.written, 3000000u);
  EXPECT_EQ(block.capacity, 30000u + 3u * 0x100000u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(block.data[i * 600000], 'a' + i);
    EXPECT_EQ(block.data[i * 600000 + 599999], 'a' + i);
  }
  MemFree(block.data);
  allocator->Decommit();
  allocator->NonDelegatingRelease();
}

}  // namespace
}  // namespace halvorine_test
