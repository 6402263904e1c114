// The sample grabber: which input types it accepts, delivery-buffer rules, and the
// in-place filter's copy when the two sides use different allocators.
#include <vector>

#include "media/dshow/media_sample.h"
#include "media/dshow/sample_grabber.h"
#include "tests/media/dshow/harness.h"

namespace halvorine_test {
namespace {

D_CSampleGrabber* makeGrabber() {
  HRESULT hr = plat::win::E_FAIL;
  D_CSampleGrabber* grabber = D_CSampleGrabber::Create(nullptr, &hr);
  EXPECT_EQ(hr, S_OK);
  grabber->NonDelegatingAddRef();
  return grabber;
}

TEST_F(DShowTest, GrabberAcceptsWhatItsAcceptedTypeNames) {
  D_CSampleGrabber* grabber = makeGrabber();
  D_AM_MEDIA_TYPE pcm{};
  pcm.majortype = ds::MEDIATYPE_Audio;
  pcm.subtype = ds::MEDIASUBTYPE_PCM;
  pcm.formattype = ds::FORMAT_WaveFormatEx;
  D_AM_MEDIA_TYPE otherAudio = pcm;
  otherAudio.subtype = ds::MEDIASUBTYPE_MPEG1Audio;
  D_AM_MEDIA_TYPE stream{};
  stream.majortype = ds::MEDIATYPE_Stream;
  D_AM_MEDIA_TYPE audioOnly{};
  audioOnly.majortype = ds::MEDIATYPE_Audio;
  D_AM_MEDIA_TYPE pcmOnly = audioOnly;
  pcmOnly.subtype = ds::MEDIASUBTYPE_PCM;
  struct Case {
    const char* name;
    const D_AM_MEDIA_TYPE* accepted;
    const D_AM_MEDIA_TYPE* offered;
    HRESULT result;
  } cases[] = {
      {"empty takes a stream", nullptr, &stream, S_OK},
      {"empty takes audio", nullptr, &pcm, S_OK},
      {"auds takes PCM", &audioOnly, &pcm, S_OK},
      {"auds takes any audio", &audioOnly, &otherAudio, S_OK},
      {"auds refuses a stream", &audioOnly, &stream, ds::VFW_E_INVALIDMEDIATYPE},
      {"PCM refuses MPEG audio", &pcmOnly, &otherAudio, ds::VFW_E_INVALIDMEDIATYPE},
      {"PCM takes any PCM format", &pcmOnly, &pcm, S_OK},
      {"a full type wants its format", &pcm, &audioOnly, ds::VFW_E_INVALIDMEDIATYPE},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    ASSERT_EQ(grabber->SetAcceptedMediaType(k.accepted), S_OK);
    EXPECT_EQ(grabber->CheckInputType(k.offered), k.result);
    // The input pin offers the accepted major type alone.
    D_AM_MEDIA_TYPE offered{};
    ASSERT_EQ(grabber->GetPin(0)->GetMediaType(0, &offered), S_OK);
    EXPECT_EQ(offered.majortype, k.accepted != nullptr ? k.accepted->majortype : GUID{});
    EXPECT_EQ(offered.subtype, GUID{});
    EXPECT_EQ(grabber->GetPin(0)->GetMediaType(1, &offered), ds::VFW_S_NO_MORE_ITEMS);
  }
  EXPECT_EQ(grabber->CheckInputType(nullptr), plat::win::E_POINTER);
  D_AM_MEDIA_TYPE connected{};
  EXPECT_EQ(grabber->GetConnectedMediaType(&connected), ds::VFW_E_NOT_CONNECTED);
  grabber->NonDelegatingRelease();
}

TEST_F(DShowTest, GrabberDeliveryBufferRules) {
  D_CSampleGrabber* grabber = makeGrabber();
  std::vector<BYTE> memory(4096);
  D_ALLOCATOR_PROPERTIES one{1, 1024, 16, 0}, two{2, 1024, 16, 0};
  EXPECT_EQ(grabber->SetDeliveryBuffer(two, memory.data()), plat::win::E_INVALIDARG);
  EXPECT_EQ(grabber->SetDeliveryBuffer(one, nullptr), plat::win::E_POINTER);
  // Set twice: the first private allocator goes.
  for (int round = 0; round < 2; ++round) ASSERT_EQ(grabber->SetDeliveryBuffer(one, memory.data()), S_OK);
  auto* input = static_cast<D_CBaseInputPin*>(grabber->GetPin(0));
  D_ALLOCATOR_PROPERTIES req{};
  ASSERT_EQ(input->GetAllocatorRequirements(&req), S_OK);
  EXPECT_EQ(req.cbBuffer, 1024);
  D_IMemAllocator* allocator = nullptr;
  ASSERT_EQ(input->GetAllocator(&allocator), S_OK);
  // The private allocator keeps to the delivery buffer's shape and lays its sample in it.
  D_ALLOCATOR_PROPERTIES bigger{1, 2048, 16, 0}, misaligned{1, 512, 32, 0}, fits{1, 512, 16, 0}, got{};
  EXPECT_EQ(allocator->SetProperties(&bigger, &got), plat::win::E_FAIL);
  EXPECT_EQ(allocator->SetProperties(&misaligned, &got), ds::VFW_E_BADALIGN);
  ASSERT_EQ(allocator->SetProperties(&fits, &got), S_OK);
  EXPECT_EQ(got.cbBuffer, 1024);
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(allocator->Commit(), S_OK);
    D_IMediaSample* sample = nullptr;
    ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    EXPECT_EQ(data, memory.data());
    sample->Release();
    ASSERT_EQ(allocator->Decommit(), S_OK);
  }
  EXPECT_EQ(input->NotifyAllocator(allocator, plat::win::FALSE), S_OK);
  allocator->Release();

  // With a pin connected the buffer cannot change.
  HarnessGraph graph(true);
  grabber->JoinFilterGraph(&graph, u"grabber");
  PinScript script;
  script.offered = {harnessType(1, 2)};
  auto* up = made<HarnessFilter>();
  HarnessOutputPin* source = up->addOutput(&script);
  ASSERT_EQ(source->Connect(grabber->GetPin(0), &script.offered[0]), S_OK);
  EXPECT_EQ(grabber->SetDeliveryBuffer(one, memory.data()), plat::win::E_INVALIDARG);
  D_AM_MEDIA_TYPE connected{};
  ASSERT_EQ(grabber->GetConnectedMediaType(&connected), S_OK);
  EXPECT_EQ(connected.subtype.Data1, 2u);
  D_FreeMediaType(connected);
  grabber->GetPin(0)->Disconnect();
  source->Disconnect();
  grabber->JoinFilterGraph(nullptr, nullptr);
  up->NonDelegatingRelease();
  grabber->NonDelegatingRelease();
}

struct Seen {
  std::vector<D_IMediaSample*> samples;
  std::vector<std::vector<BYTE>> bytes;
  std::vector<D_REFERENCE_TIME> starts;
  std::vector<BOOL> typeChanged;
};

HRESULT record(D_IMediaSample* sample, D_REFERENCE_TIME* start, D_REFERENCE_TIME*, BOOL changed, void* user) {
  auto* seen = static_cast<Seen*>(user);
  BYTE* data = nullptr;
  sample->GetPointer(&data);
  seen->samples.push_back(sample);
  seen->bytes.emplace_back(data, data + sample->GetActualDataLength());
  seen->starts.push_back(*start);
  seen->typeChanged.push_back(changed);
  return S_OK;
}

TEST_F(DShowTest, InPlaceFilterCopiesEachSampleWhenTheAllocatorsDiffer) {
  D_CSampleGrabber* grabber = makeGrabber();
  HarnessGraph graph(true);
  grabber->JoinFilterGraph(&graph, u"grabber");
  PinScript upScript, downScript;
  upScript.offered = {harnessType(1, 2)};
  auto* up = made<HarnessFilter>();
  auto* down = made<HarnessFilter>();
  HarnessOutputPin* source = up->addOutput(&upScript);
  HarnessInputPin* sink = down->addInput(&downScript, u"In");
  auto* input = static_cast<D_CBaseInputPin*>(grabber->GetPin(0));
  ASSERT_EQ(source->Connect(input, nullptr), S_OK);
  // Upstream's allocator, as its own output pin would set it up.
  D_IMemAllocator* upstream = nullptr;
  ASSERT_EQ(input->GetAllocator(&upstream), S_OK);
  D_ALLOCATOR_PROPERTIES want{2, 256, 1, 0}, got{};
  ASSERT_EQ(upstream->SetProperties(&want, &got), S_OK);
  ASSERT_EQ(input->NotifyAllocator(upstream, plat::win::FALSE), S_OK);
  // Connecting the output asks the graph to reconnect the input with the output's type.
  ASSERT_EQ(grabber->GetPin(1)->Connect(sink, &upScript.offered[0]), S_OK);
  EXPECT_EQ(graph.reconnectExes, 1);
  EXPECT_EQ(graph.reconnected, static_cast<ds::IPin*>(input));

  Seen seen;
  grabber->SetCallback(&record, &seen);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    seen = {};
    ASSERT_EQ(upstream->Commit(), S_OK);  // stopping the grabber decommits it
    ASSERT_EQ(down->Run(0), S_OK);
    ASSERT_EQ(grabber->Run(0), S_OK);
    grabber->GetPin(0)->NewSegment(1000, 5000, 1.0);
    for (int i = 0; i < 5; ++i) {
      D_IMediaSample* sample = nullptr;
      ASSERT_EQ(upstream->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
      BYTE* data = nullptr;
      sample->GetPointer(&data);
      for (int b = 0; b < 100; ++b) data[b] = static_cast<BYTE>(i * 7 + b);
      sample->SetActualDataLength(100);
      D_REFERENCE_TIME start = i * 10, stop = i * 10 + 10;
      sample->SetTime(&start, &stop);
      ASSERT_EQ(input->Receive(sample), S_OK);
      ASSERT_EQ(seen.samples.size(), static_cast<size_t>(i + 1));
      EXPECT_NE(seen.samples.back(), sample);  // a copy reached the callback
      EXPECT_EQ(seen.bytes.back()[99], static_cast<BYTE>(i * 7 + 99));
      EXPECT_EQ(seen.starts.back(), 1000 + i * 10);
      sample->Release();
    }
    EXPECT_EQ(downScript.received, 5 * (round + 1));
    ASSERT_EQ(grabber->Stop(), S_OK);
    ASSERT_EQ(down->Stop(), S_OK);
  }
  EXPECT_TRUE(seen.typeChanged.empty() || !seen.typeChanged.back());
  upstream->Decommit();
  upstream->Release();
  grabber->GetPin(1)->Disconnect();
  sink->Disconnect();
  grabber->GetPin(0)->Disconnect();
  source->Disconnect();
  grabber->JoinFilterGraph(nullptr, nullptr);
  up->NonDelegatingRelease();
  down->NonDelegatingRelease();
  grabber->NonDelegatingRelease();
}

}  // namespace
}  // namespace halvorine_test
