// The MPEG audio decoder filter in a graph: files rendered from the file source through
// the decoder to a capturing renderer give the codec stand-in's own decode, byte for
// byte, at the stream's rate and channels; streams without frames are refused.
#include <gtest/gtest.h>

#include <cstring>
#include <mutex>

#include "platform/audio/wave_format.h"
#include "platform/codec/decoder.h"
#include "platform/dshow/filter_graph.h"
#include "platform/dshow/filter_parts.h"
#include "platform/dshow/filter_registry.h"
#include "platform/dshow/system_filters.h"
#include "tests/platform/codec/codec_files.h"

namespace {

namespace ds = plat::dshow;
namespace win = plat::win;
using plat::audio::WAVEFORMATEX;
using halvorine_test::codecFolder;
using halvorine_test::haveTool;
using halvorine_test::inFolder;
using win::S_FALSE;
using win::S_OK;

const win::CLSID kCaptureClass = {0x48A17E60, 0, 0, {2, 2, 2, 2, 2, 2, 2, 2}};

// Takes PCM only, keeps every byte and the format, and completes at end of stream.
class CaptureInput final : public ds::StandInPin, public ds::IMemInputPin {
 public:
  explicit CaptureInput(ds::StandInFilter* filter) : StandInPin(filter, u"In", ds::PINDIR_INPUT) {}
  ~CaptureInput() override {
    if (allocator_ != nullptr) allocator_->Release();
  }
  win::HRESULT QueryInterface(const win::IID& iid, void** out) override { return StandInPin::QueryInterface(iid, out); }
  win::ULONG AddRef() override { return StandInPin::AddRef(); }
  win::ULONG Release() override { return StandInPin::Release(); }
  win::HRESULT GetAllocator(ds::IMemAllocator**) override { return ds::VFW_E_NO_ALLOCATOR; }
  win::HRESULT NotifyAllocator(ds::IMemAllocator* allocator, win::BOOL) override {
    allocator->AddRef();
    if (allocator_ != nullptr) allocator_->Release();
    allocator_ = allocator;
    return S_OK;
  }
  win::HRESULT GetAllocatorRequirements(ds::ALLOCATOR_PROPERTIES*) override { return win::E_NOTIMPL; }
  win::HRESULT Receive(ds::IMediaSample* sample) override {
    win::BYTE* data = nullptr;
    sample->GetPointer(&data);
    ds::REFERENCE_TIME start = 0, stop = 0;
    sample->GetTime(&start, &stop);
    std::lock_guard guard(lock);
    if (start != nextStart) timesInOrder = false;
    nextStart = stop;
    bytes.insert(bytes.end(), data, data + sample->GetActualDataLength());
    return S_OK;
  }
  win::HRESULT ReceiveMultiple(ds::IMediaSample**, win::LONG, win::LONG*) override { return win::E_NOTIMPL; }
  win::HRESULT ReceiveCanBlock() override { return S_FALSE; }
  win::HRESULT EndOfStream() override;

  std::mutex lock;
  std::vector<win::BYTE> bytes;
  ds::REFERENCE_TIME nextStart = 0;
  bool timesInOrder = true;
  WAVEFORMATEX format{};

 protected:
  win::HRESULT checkType(const ds::AM_MEDIA_TYPE& type) override {
    if (!(type.majortype == ds::MEDIATYPE_Audio) || !(type.subtype == ds::MEDIASUBTYPE_PCM) ||
        type.cbFormat < sizeof(WAVEFORMATEX))
      return S_FALSE;
    std::memcpy(&format, type.pbFormat, sizeof format);
    return S_OK;
  }
  win::HRESULT queryOther(const win::IID& iid, void** out) override {
    if (iid == ds::IID_IMemInputPin) {
      AddRef();
      *out = static_cast<ds::IMemInputPin*>(this);
      return S_OK;
    }
    return StandInPin::queryOther(iid, out);
  }

 private:
  ds::IMemAllocator* allocator_ = nullptr;
};

class Capture final : public ds::StandInFilter {
 public:
  Capture() : StandInFilter(kCaptureClass) { addPin(std::make_unique<CaptureInput>(this)); }
  CaptureInput* in() { return static_cast<CaptureInput*>(pins_[0].get()); }
};

win::HRESULT CaptureInput::EndOfStream() {
  return filter_->notify(ds::EC_COMPLETE, S_OK, reinterpret_cast<ds::LONG_PTR>(static_cast<ds::IBaseFilter*>(filter_)));
}

win::HRESULT makeCapture(ds::IBaseFilter** filter) {
  *filter = new Capture;
  return S_OK;
}

// The codec stand-in's decode of a whole file, as the codec path makes it.
std::vector<win::BYTE> codecDecode(const std::vector<std::uint8_t>& mp3, const WAVEFORMATEX& format) {
  WAVEFORMATEX coded = format;
  coded.wFormatTag = plat::codec::WAVE_FORMAT_MPEGLAYER3;
  auto decoder = plat::codec::makeMpegDecoder(&coded);
  std::vector<std::int16_t> pcm;
  decoder->decode(mp3.data(), mp3.size(), pcm);
  decoder->decode(nullptr, 0, pcm);
  std::vector<win::BYTE> bytes(pcm.size() * 2);
  std::memcpy(bytes.data(), pcm.data(), bytes.size());
  return bytes;
}

std::u16string windowsPath(const std::string& posix) {
  std::u16string path = u"C:";
  for (char c : posix) path += c == '/' ? u'\\' : static_cast<char16_t>(c);
  return path;
}

class MpegDecoderTest : public ::testing::Test {
 protected:
  void SetUp() override { ds::RegisterFilter(kCaptureClass, u"Capture", ds::MERIT_NORMAL, &makeCapture); }
  void TearDown() override { ds::UnregisterFilter(kCaptureClass); }
};

TEST_F(MpegDecoderTest, RendersFilesToTheCodecDecodeAtTheirRateAndChannels) {
  HALVORINE_NEED_FILE("lame", "graph_one.mp3",
                      "sox -n -r 44100 -c 2 -b 16 g44.wav synth 1 sine 440 sine 550 vol 0.6 && "
                      "lame --quiet -t -b 128 g44.wav graph_one.mp3");
  HALVORINE_NEED_FILE("lame", "graph_8k.mp3",
                      "sox -n -r 8000 -c 1 -b 16 g8.wav synth 1.2 sine 300 vol 0.5 && "
                      "lame --quiet -t -m m -b 16 g8.wav graph_8k.mp3");
  struct Case {
    const char* file;
    win::DWORD rate;
    win::WORD channels;
  } cases[] = {{"graph_one.mp3", 44100, 2}, {"graph_8k.mp3", 8000, 1}};
  for (int round = 0; round < 2; ++round) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.file);
      const std::vector<std::uint8_t> mp3 = halvorine_test::readBytes(c.file);
      ds::IGraphBuilder* graph = nullptr;
      ds::CreateFilterGraph(&graph);
      const std::u16string path = windowsPath(halvorine_test::codecFolder() + "/" + c.file);
      ASSERT_EQ(graph->RenderFile(path.c_str(), nullptr), S_OK);
      ds::IBaseFilter* found = nullptr;
      ASSERT_EQ(graph->FindFilterByName(u"Capture", &found), S_OK);
      CaptureInput* capture = static_cast<Capture*>(found)->in();
      // Values, not references: the record is packed.
      const unsigned rate = capture->format.nSamplesPerSec, channels = capture->format.nChannels;
      const unsigned align = capture->format.nBlockAlign, bits = capture->format.wBitsPerSample;
      EXPECT_EQ(rate, c.rate);
      EXPECT_EQ(channels, c.channels);
      EXPECT_EQ(align, c.channels * 2u);
      EXPECT_EQ(bits, 16u);
      void* face = nullptr;
      graph->QueryInterface(ds::IID_IMediaControl, &face);
      auto* control = static_cast<ds::IMediaControl*>(face);
      graph->QueryInterface(ds::IID_IMediaEvent, &face);
      auto* events = static_cast<ds::IMediaEvent*>(face);
      ASSERT_EQ(control->Run(), S_OK);
      ds::LONG code = 0;
      ASSERT_EQ(events->WaitForCompletion(-1, &code), S_OK);
      EXPECT_EQ(code, ds::EC_COMPLETE);
      {
        std::lock_guard guard(capture->lock);
        const std::vector<win::BYTE> reference = codecDecode(mp3, capture->format);
        EXPECT_FALSE(reference.empty());
        EXPECT_EQ(capture->bytes, reference);
        EXPECT_TRUE(capture->timesInOrder);
        // Every frame gives its full count of samples.
        EXPECT_EQ(capture->bytes.size() % (c.rate >= 32000 ? 1152 : 576), 0u);
      }
      control->Stop();
      found->Release();
      events->Release();
      control->Release();
      EXPECT_EQ(graph->Release(), 0u);
    }
  }
}

TEST_F(MpegDecoderTest, StreamsWithoutFramesAreRefused) {
  struct Case {
    const char* name;
    std::vector<win::BYTE> bytes;
  } cases[] = {
      {"text", std::vector<win::BYTE>(4000, 'x')},
      {"tag only", {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 4, 1, 2, 3, 4, 'z', 'z'}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string posix = halvorine_test::codecFolder() + "/refused.bin";
    std::ofstream(posix, std::ios::binary).write(reinterpret_cast<const char*>(c.bytes.data()), c.bytes.size());
    ds::IGraphBuilder* graph = nullptr;
    ds::CreateFilterGraph(&graph);
    EXPECT_LT(graph->RenderFile(windowsPath(posix).c_str(), nullptr), 0);
    ds::IEnumFilters* list = nullptr;
    graph->EnumFilters(&list);
    ds::IBaseFilter* f = nullptr;
    ds::ULONG fetched = 0;
    EXPECT_EQ(list->Next(1, &f, &fetched), S_FALSE);
    list->Release();
    EXPECT_EQ(graph->Release(), 0u);
  }
}

}  // namespace
