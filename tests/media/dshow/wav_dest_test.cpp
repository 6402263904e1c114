// The WAV destination filter: byte-position times on the samples it passes, the RIFF
// header written through the writer's IStream when streaming stops, the types it
// refuses, and the byte count kept right when a delivery fails.
#include <cstring>
#include <vector>

#include "media/dshow/wav_dest.h"
#include "tests/media/dshow/harness.h"

namespace halvorine_test {
namespace {

// A writer pin: takes the WAVE stream, records the times of what it receives, and
// offers IStream (and only that) for the header.
class WriterPin final : public HarnessInputPin, public ds::IStream {
 public:
  using HarnessInputPin::HarnessInputPin;
  HRESULT QueryInterface(const IID& iid, void** out) override { return HarnessInputPin::QueryInterface(iid, out); }
  ULONG AddRef() override { return HarnessInputPin::AddRef(); }
  ULONG Release() override { return HarnessInputPin::Release(); }
  HRESULT NonDelegatingQueryInterface(const IID& iid, void** out) override {
    if (iid == ds::IID_IStream) return GetInterface(static_cast<ds::IStream*>(this), out);
    return HarnessInputPin::NonDelegatingQueryInterface(iid, out);
  }
  HRESULT Receive(D_IMediaSample* sample) override {
    const HRESULT hr = HarnessInputPin::Receive(sample);
    D_REFERENCE_TIME start = 0, stop = 0;
    if (hr == S_OK) {
      sample->GetTime(&start, &stop);
      times.push_back({start, stop});
    }
    return hr;
  }
  HRESULT Read(void*, ULONG, ULONG*) override { return plat::win::E_NOTIMPL; }
  HRESULT Write(const void* buffer, ULONG bytes, ULONG* written) override {
    const auto* b = static_cast<const BYTE*>(buffer);
    file.resize(std::max<size_t>(file.size(), position + bytes));
    std::memcpy(file.data() + position, b, bytes);
    position += bytes;
    if (written != nullptr) *written = bytes;
    return S_OK;
  }
  HRESULT Seek(ds::LONGLONG move, DWORD origin, std::uint64_t* at) override {
    if (origin != ds::STREAM_SEEK_SET) return plat::win::E_NOTIMPL;
    position = static_cast<size_t>(move);
    if (at != nullptr) *at = position;
    return S_OK;
  }
  std::vector<std::pair<D_REFERENCE_TIME, D_REFERENCE_TIME>> times;
  std::vector<BYTE> file;
  size_t position = 0;
};

std::uint32_t le32(const std::vector<BYTE>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TEST_F(DShowTest, WavDestStampsBytePositionsAndWritesTheHeader) {
  HRESULT hr = S_OK;
  D_CWavDestFilter* dest = D_CWavDestFilter::CreateInstance(nullptr, &hr);
  ASSERT_EQ(hr, S_OK);
  dest->NonDelegatingAddRef();
  EXPECT_EQ(g_cTemplates, 1);
  EXPECT_EQ(*g_Templates[0].clsid, CLSID_D_WavDest);

  // The PCM type offered upstream carries a 16-byte format.
  BYTE format[16] = {1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0, 16, 0};
  D_AM_MEDIA_TYPE pcm{};
  pcm.majortype = ds::MEDIATYPE_Audio;
  pcm.subtype = ds::MEDIASUBTYPE_PCM;
  pcm.formattype = ds::FORMAT_WaveFormatEx;
  pcm.cbFormat = sizeof(format);
  pcm.pbFormat = format;
  D_AM_MEDIA_TYPE other = pcm;
  other.formattype = ds::MEDIATYPE_Stream;
  EXPECT_EQ(dest->CheckInputType(&other), S_FALSE);
  EXPECT_EQ(dest->CheckInputType(&pcm), S_OK);
  D_IPin* in = nullptr;
  ASSERT_EQ(dest->FindPin(u"In", &in), S_OK);
  in->Release();

  PinScript upScript, writerScript;
  auto* up = made<HarnessFilter>();
  auto* down = made<HarnessFilter>();
  HarnessOutputPin* source = up->addOutput(&upScript);
  D_CCritSec lock;
  auto* writer = new WriterPin(&writerScript, down, &lock, u"Writer");
  auto* input = static_cast<D_CBaseInputPin*>(dest->GetPin(0));
  ASSERT_EQ(source->Connect(input, &pcm), S_OK);
  D_IMemAllocator* upstream = nullptr;
  ASSERT_EQ(input->GetAllocator(&upstream), S_OK);
  D_ALLOCATOR_PROPERTIES want{2, 512, 1, 0}, got{};
  ASSERT_EQ(upstream->SetProperties(&want, &got), S_OK);
  ASSERT_EQ(input->NotifyAllocator(upstream, plat::win::FALSE), S_OK);
  ASSERT_EQ(dest->GetPin(1)->Connect(writer, nullptr), S_OK);

  struct Case {
    const char* name;
    int failing;  // index of the sample the writer refuses, or -1
    std::vector<std::pair<D_REFERENCE_TIME, D_REFERENCE_TIME>> times;
    std::uint32_t dataSize;
  } cases[] = {{"all delivered", -1, {{44, 144}, {144, 344}, {344, 394}}, 350},
               {"second refused", 1, {{44, 144}, {144, 194}}, 150}};
  const LONG lengths[3] = {100, 200, 50};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    writer->times.clear();
    writer->file.clear();
    ASSERT_EQ(upstream->Commit(), S_OK);
    ASSERT_EQ(down->Run(0), S_OK);
    ASSERT_EQ(dest->Run(0), S_OK);
    for (int i = 0; i < 3; ++i) {
      writerScript.receiveResult = i == k.failing ? plat::win::E_FAIL : S_OK;
      D_IMediaSample* sample = nullptr;
      ASSERT_EQ(upstream->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
      sample->SetActualDataLength(lengths[i]);
      EXPECT_EQ(input->Receive(sample) == S_OK, i != k.failing);
      sample->Release();
    }
    ASSERT_EQ(dest->Stop(), S_OK);
    ASSERT_EQ(down->Stop(), S_OK);
    EXPECT_EQ(writer->times, k.times);
    ASSERT_EQ(writer->file.size(), 44u);
    EXPECT_EQ(std::memcmp(writer->file.data(), "RIFF", 4), 0);
    EXPECT_EQ(le32(writer->file, 4), k.dataSize + 36);
    EXPECT_EQ(std::memcmp(writer->file.data() + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(le32(writer->file, 16), 16u);
    EXPECT_EQ(std::memcmp(writer->file.data() + 20, format, 16), 0);
    EXPECT_EQ(std::memcmp(writer->file.data() + 36, "data", 4), 0);
    EXPECT_EQ(le32(writer->file, 40), k.dataSize);
  }
  upstream->Release();
  dest->GetPin(1)->Disconnect();
  writer->Disconnect();
  input->Disconnect();
  source->Disconnect();
  delete writer;
  up->NonDelegatingRelease();
  down->NonDelegatingRelease();
  dest->NonDelegatingRelease();
}

}  // namespace
}  // namespace halvorine_test
