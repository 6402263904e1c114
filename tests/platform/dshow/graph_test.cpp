// The filter-graph manager with real filters: building by RenderFile, Render and Connect,
// running to completion, events, reconnection, clocks, and tearing down, in loops.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/dshow/filter_graph.h"
#include "platform/dshow/filter_registry.h"
#include "platform/dshow/reference_clock.h"
#include "platform/dshow/system_filters.h"
#include "platform/win/com.h"
#include "platform/win/sync.h"
#include "tests/platform/dshow/graph_harness.h"

namespace {

namespace ds = plat::dshow;
namespace win = plat::win;
using harness::Puller;
using harness::query;
using win::E_ABORT;
using win::S_FALSE;
using win::S_OK;

// A file of `size` patterned bytes, named with '\' separators from drive C:.
struct TempFile {
  std::string posix;
  std::u16string path;
  std::vector<win::BYTE> bytes;
  explicit TempFile(size_t size, win::BYTE first = 0x47) {
    char name[] = "/tmp/halvorine_graph_XXXXXX";
    const int fd = mkstemp(name);
    close(fd);
    posix = name;
    bytes.resize(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<win::BYTE>(i * 13 + (i >> 9));
    if (size > 0) bytes[0] = first;
    std::ofstream(posix, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), size);
    path = u"C:";
    for (char c : posix) path += c == '/' ? u'\\' : static_cast<char16_t>(c);
  }
  ~TempFile() { std::remove(posix.c_str()); }
};

ds::HRESULT makePuller(ds::IBaseFilter** filter) {
  *filter = new Puller;
  return S_OK;
}

// The puller a build put in the graph (builds also make pullers they then throw away).
Puller* pullerIn(ds::IGraphBuilder* graph) {
  ds::IBaseFilter* found = nullptr;
  EXPECT_EQ(graph->FindFilterByName(u"Harness puller", &found), S_OK);
  if (found == nullptr) return nullptr;
  found->Release();  // the graph keeps it
  return static_cast<Puller*>(found);
}

ds::IPin* pinOf(ds::IBaseFilter* filter, const char16_t* name) {
  ds::IPin* pin = nullptr;
  EXPECT_EQ(filter->FindPin(name, &pin), S_OK);
  return pin;
}

int filterCount(ds::IGraphBuilder* graph) {
  ds::IEnumFilters* list = nullptr;
  graph->EnumFilters(&list);
  ds::IBaseFilter* f = nullptr;
  ds::ULONG fetched = 0;
  int n = 0;
  while (list->Next(1, &f, &fetched) == S_OK) {
    ++n;
    f->Release();
  }
  list->Release();
  return n;
}

bool connected(ds::IPin* pin) {
  ds::IPin* peer = nullptr;
  if (pin->ConnectedTo(&peer) != S_OK) return false;
  peer->Release();
  return true;
}

class GraphTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ds::RegisterFilter(harness::kPullerClass, u"Harness puller", ds::MERIT_NORMAL, &makePuller);
    ds::RegisterFilter(ds::CLSID_NullRenderer, u"Null Renderer", ds::MERIT_UNLIKELY, &ds::CreateNullRenderer);
  }
  void TearDown() override {
    ds::UnregisterFilter(harness::kPullerClass);
    ds::UnregisterFilter(ds::CLSID_NullRenderer);
  }
};

TEST_F(GraphTest, RenderFileRunsToCompletionWithEveryByteInOrderAndIsReusable) {
  TempFile file(150000);
  for (int graphRound = 0; graphRound < 4; ++graphRound) {
    void* made = nullptr;
    ASSERT_EQ(win::CoCreateInstance(ds::CLSID_FilterGraph, nullptr, win::CLSCTX_INPROC_SERVER, ds::IID_IGraphBuilder,
                                    &made),
              S_OK);
    auto* graph = static_cast<ds::IGraphBuilder*>(made);
    ASSERT_EQ(graph->RenderFile(file.path.c_str(), nullptr), S_OK);
    EXPECT_EQ(filterCount(graph), 3);  // source, puller, null renderer
    Puller* puller = pullerIn(graph);
    auto* control = query<ds::IMediaControl>(graph, ds::IID_IMediaControl);
    auto* events = query<ds::IMediaEvent>(graph, ds::IID_IMediaEvent);
    auto* filter = query<ds::IMediaFilter>(graph, ds::IID_IMediaFilter);
    // Odd rounds run with no clock at all, as fast as the filters go.
    if (graphRound % 2 == 1) {
      ASSERT_EQ(filter->SetSyncSource(nullptr), S_OK);
    }
    for (int run = 0; run < 3; ++run) {
      ASSERT_EQ(control->Run(), S_OK);
      ds::LONG code = 0;
      ASSERT_EQ(events->WaitForCompletion(10000, &code), S_OK);
      EXPECT_EQ(code, ds::EC_COMPLETE);
      EXPECT_EQ(puller->delivered(), file.bytes);
      ds::IReferenceClock* clock = nullptr;
      filter->GetSyncSource(&clock);
      EXPECT_EQ(clock == nullptr, graphRound % 2 == 1);
      if (clock != nullptr) clock->Release();
      ASSERT_EQ(control->Stop(), S_OK);
      ds::IEnumFilters* list = nullptr;
      graph->EnumFilters(&list);
      ds::IBaseFilter* f = nullptr;
      ds::ULONG fetched = 0;
      while (list->Next(1, &f, &fetched) == S_OK) {
        ds::FILTER_STATE state = ds::State_Running;
        f->GetState(0, &state);
        EXPECT_EQ(state, ds::State_Stopped);
        f->Release();
      }
      list->Release();
    }
    filter->Release();
    events->Release();
    control->Release();
    EXPECT_EQ(graph->Release(), 0u);
  }
}

TEST_F(GraphTest, RenderPrefersAFilterInTheGraphAndARefusedBuildLeavesNoHalfConnection) {
  TempFile file(1000);
  ds::IGraphBuilder* graph = nullptr;
  ASSERT_EQ(ds::CreateFilterGraph(&graph), S_OK);
  ds::IBaseFilter* source = nullptr;
  ASSERT_EQ(graph->AddSourceFilter(file.path.c_str(), u"Source", &source), S_OK);
  ds::IBaseFilter* present = nullptr;
  ds::CreateNullRenderer(&present);
  ASSERT_EQ(graph->AddFilter(present, u"Present"), S_OK);
  ds::IPin* out = pinOf(source, u"Output");
  ASSERT_EQ(graph->Render(out), S_OK);
  // The null renderer already there takes the stream; nothing was added.
  EXPECT_EQ(filterCount(graph), 2);
  ds::IPin* presentIn = pinOf(present, u"In");
  EXPECT_TRUE(connected(presentIn));
  EXPECT_EQ(graph->Render(out), ds::VFW_E_ALREADY_CONNECTED);

  // With no renderer anywhere the puller has nowhere to go: every step is taken back.
  ASSERT_EQ(graph->RemoveFilter(present), S_OK);
  EXPECT_FALSE(connected(out));
  ds::UnregisterFilter(ds::CLSID_NullRenderer);
  EXPECT_LT(graph->Render(out), 0);
  EXPECT_FALSE(connected(out));
  EXPECT_EQ(filterCount(graph), 1);
  ds::IGraphBuilder* other = nullptr;
  ds::CreateFilterGraph(&other);
  EXPECT_LT(other->RenderFile(file.path.c_str(), nullptr), 0);
  EXPECT_EQ(filterCount(other), 0);
  EXPECT_EQ(other->RenderFile(u"C:\\no\\such\\file.bin", nullptr), ds::VFW_E_FILE_NOT_FOUND);
  other->Release();

  presentIn->Release();
  out->Release();
  present->Release();
  source->Release();
  EXPECT_EQ(graph->Release(), 0u);
}

TEST_F(GraphTest, ConnectGoesThroughAFilterAndReconnectExTakesTheGivenType) {
  TempFile file(5000);
  ds::IGraphBuilder* graph = nullptr;
  ds::CreateFilterGraph(&graph);
  ds::IBaseFilter* source = nullptr;
  ASSERT_EQ(graph->AddSourceFilter(file.path.c_str(), nullptr, &source), S_OK);
  ds::IBaseFilter* renderer = nullptr;
  ds::CreateNullRenderer(&renderer);
  graph->AddFilter(renderer, u"Renderer");
  ds::IPin* out = pinOf(source, u"Output");
  ds::IPin* in = pinOf(renderer, u"In");
  // Direct: the null renderer takes the stream type itself.
  ASSERT_EQ(graph->Connect(out, in), S_OK);
  ASSERT_EQ(graph->Disconnect(out), S_OK);
  ASSERT_EQ(graph->Disconnect(in), S_OK);

  // Through the registered puller, whose output then goes to the renderer.
  auto* puller = new Puller;
  graph->AddFilter(puller, u"Puller");
  ASSERT_EQ(graph->Connect(out, puller->in()), S_OK);
  ASSERT_EQ(graph->Connect(puller->out(), in), S_OK);
  ds::AM_MEDIA_TYPE type{};
  ASSERT_EQ(in->ConnectionMediaType(&type), S_OK);
  EXPECT_TRUE(type.subtype == harness::kSubA);
  ds::FreeMediaTypeFields(&type);

  auto* graph2 = query<ds::IFilterGraph2>(graph, ds::IID_IFilterGraph2);
  ds::AM_MEDIA_TYPE wanted = harness::harnessType(harness::kSubB);
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(graph2->ReconnectEx(in, &wanted), S_OK);
    ASSERT_EQ(in->ConnectionMediaType(&type), S_OK);
    EXPECT_TRUE(type.subtype == harness::kSubB);
    ds::FreeMediaTypeFields(&type);
  }
  auto* control = query<ds::IMediaControl>(graph, ds::IID_IMediaControl);
  ASSERT_EQ(control->Pause(), S_OK);
  EXPECT_EQ(graph2->ReconnectEx(in, &wanted), ds::VFW_E_NOT_STOPPED);
  ASSERT_EQ(control->Stop(), S_OK);
  control->Release();
  graph2->Release();
  in->Release();
  out->Release();
  puller->Release();
  renderer->Release();
  source->Release();
  EXPECT_EQ(graph->Release(), 0u);
}

TEST_F(GraphTest, CompletionCountsOnlyConnectedRenderersAndAbortsEndTheWait) {
  TempFile file(20000);
  for (int round = 0; round < 3; ++round) {
    ds::IGraphBuilder* graph = nullptr;
    ds::CreateFilterGraph(&graph);
    ASSERT_EQ(graph->RenderFile(file.path.c_str(), nullptr), S_OK);
    Puller* puller = pullerIn(graph);
    ds::IBaseFilter* idle = nullptr;
    ds::CreateNullRenderer(&idle);
    graph->AddFilter(idle, u"Unconnected");
    puller->hold();
    auto* control = query<ds::IMediaControl>(graph, ds::IID_IMediaControl);
    auto* events = query<ds::IMediaEvent>(graph, ds::IID_IMediaEvent);
    auto* sink = query<ds::IMediaEventSink>(graph, ds::IID_IMediaEventSink);
    ASSERT_EQ(control->Run(), S_OK);
    ds::LONG code = -1;
    // The unconnected renderer is not counted; the held graph never ends by itself.
    sink->Notify(ds::EC_COMPLETE, S_OK, reinterpret_cast<ds::LONG_PTR>(idle));
    EXPECT_EQ(events->WaitForCompletion(100, &code), E_ABORT);
    EXPECT_EQ(code, 0);
    if (round == 2) {
      sink->Notify(ds::EC_ERRORABORT, win::E_FAIL, 0);
      ASSERT_EQ(events->WaitForCompletion(-1, &code), S_OK);
      EXPECT_EQ(code, ds::EC_ERRORABORT);
    }
    puller->release();
    ASSERT_EQ(events->WaitForCompletion(-1, &code), S_OK);
    EXPECT_EQ(code, ds::EC_COMPLETE);
    // Other events stay queued for GetEvent.
    sink->Notify(0x55, 1, 2);
    ds::LONG_PTR p1 = 0, p2 = 0;
    ASSERT_EQ(events->GetEvent(&code, &p1, &p2, 0), S_OK);
    EXPECT_EQ(code, 0x55);
    EXPECT_EQ(p1, 1);
    EXPECT_EQ(events->GetEvent(&code, &p1, &p2, 0), E_ABORT);
    // Round 1 leaves the graph running: releasing it stops and takes it apart.
    if (round != 1) {
      EXPECT_EQ(control->Stop(), S_OK);
    }
    sink->Release();
    events->Release();
    control->Release();
    idle->Release();
    EXPECT_EQ(graph->Release(), 0u);
  }
}

TEST(ReferenceClock, ManualAdvisesFireOnlyWhenSteppedPastTheirTime) {
  ds::IReferenceClock* clock = nullptr;
  ASSERT_EQ(ds::CreateManualClock(&clock), S_OK);
  win::HANDLE event = win::CreateEventW(nullptr, 0, 0, nullptr);
  win::HANDLE tick = win::CreateSemaphoreW(nullptr, 0, 100, nullptr);
  ds::DWORD_PTR once = 0, periodic = 0, dropped = 0;
  ASSERT_EQ(clock->AdviseTime(1000, 500, event, &once), S_OK);
  ASSERT_EQ(clock->AdvisePeriodic(200, 300, tick, &periodic), S_OK);
  ASSERT_EQ(clock->AdviseTime(0, 100, event, &dropped), S_OK);
  ASSERT_EQ(clock->Unadvise(dropped), S_OK);
  EXPECT_EQ(clock->Unadvise(dropped), S_FALSE);
  struct Step {
    ds::REFERENCE_TIME by;
    bool eventSet;
    int ticks;
  };
  // Time after each step: 100, 1499, 1500, 2000.
  const Step steps[] = {{100, false, 0}, {1399, false, 5}, {1, true, 0}, {500, false, 2}};
  for (const Step& s : steps) {
    ASSERT_TRUE(ds::StepManualClock(clock, s.by));
    EXPECT_EQ(win::WaitForSingleObject(event, 0) == win::WAIT_OBJECT_0, s.eventSet);
    int ticks = 0;
    while (win::WaitForSingleObject(tick, 0) == win::WAIT_OBJECT_0) ++ticks;
    EXPECT_EQ(ticks, s.ticks);
  }
  ds::REFERENCE_TIME now = 0;
  clock->GetTime(&now);
  EXPECT_EQ(now, 2000);
  EXPECT_EQ(clock->AdviseTime(0, 1, nullptr, &once), win::E_INVALIDARG);
  EXPECT_EQ(clock->AdvisePeriodic(0, 0, tick, &once), win::E_INVALIDARG);
  EXPECT_EQ(clock->Unadvise(periodic), S_OK);
  win::CloseHandle(event);
  win::CloseHandle(tick);
  EXPECT_EQ(clock->Release(), 0u);
}

// A filter without pins that records the start time of each run it is given.
class StartRecorder final : public ds::StandInFilter {
 public:
  StartRecorder() : StandInFilter(harness::kPullerClass) {}
  std::vector<ds::REFERENCE_TIME> starts;

 protected:
  ds::HRESULT stateChanged(ds::FILTER_STATE, ds::FILTER_STATE to) override {
    if (to == ds::State_Running) starts.push_back(start_);
    return S_OK;
  }
};

TEST(ReferenceClock, ResumingFromAPauseLeavesThePausedTimeOutOfTheStreamTime) {
  ds::IGraphBuilder* graph = nullptr;
  ds::CreateFilterGraph(&graph);
  auto* recorder = new StartRecorder;
  ASSERT_EQ(graph->AddFilter(recorder, u"Recorder"), S_OK);
  ds::IReferenceClock* clock = nullptr;
  ds::CreateManualClock(&clock);
  auto* filter = query<ds::IMediaFilter>(graph, ds::IID_IMediaFilter);
  ASSERT_EQ(filter->SetSyncSource(clock), S_OK);
  auto* control = query<ds::IMediaControl>(graph, ds::IID_IMediaControl);
  for (int round = 0; round < 3; ++round) {
    recorder->starts.clear();
    ds::REFERENCE_TIME now = 0;
    clock->GetTime(&now);
    ASSERT_EQ(control->Run(), S_OK);  // stream time 0 at now + 10 ms
    ds::StepManualClock(clock, 3'000'000);
    ASSERT_EQ(control->Pause(), S_OK);  // at stream time 290 ms
    ds::StepManualClock(clock, 50'000'000);
    ASSERT_EQ(control->Run(), S_OK);
    ASSERT_EQ(recorder->starts.size(), 2u);
    EXPECT_EQ(recorder->starts[0], now + 100'000);
    EXPECT_EQ(recorder->starts[1], now + 100'000 + 50'000'000);
    ASSERT_EQ(control->Stop(), S_OK);
    // A run after a stop starts the stream afresh.
    ASSERT_EQ(control->Pause(), S_OK);
    ASSERT_EQ(control->Run(), S_OK);
    clock->GetTime(&now);
    EXPECT_EQ(recorder->starts.back(), now + 100'000);
    ASSERT_EQ(control->Stop(), S_OK);
  }
  recorder->Release();
  control->Release();
  filter->Release();
  EXPECT_EQ(graph->Release(), 0u);
  EXPECT_EQ(clock->Release(), 0u);
}

TEST(ReferenceClock, SystemClockGoesOnAndFiresFromItsThread) {
  for (int round = 0; round < 5; ++round) {
    void* made = nullptr;
    ASSERT_EQ(win::CoCreateInstance(ds::CLSID_SystemClock, nullptr, win::CLSCTX_INPROC_SERVER, ds::IID_IReferenceClock,
                                    &made),
              S_OK);
    auto* clock = static_cast<ds::IReferenceClock*>(made);
    EXPECT_FALSE(ds::StepManualClock(clock, 10));
    ds::REFERENCE_TIME a = 0, b = 0;
    clock->GetTime(&a);
    win::HANDLE event = win::CreateEventW(nullptr, 0, 0, nullptr);
    win::HANDLE tick = win::CreateSemaphoreW(nullptr, 0, 1000, nullptr);
    ds::DWORD_PTR cookie = 0, periodic = 0;
    ASSERT_EQ(clock->AdviseTime(a, 20000, event, &cookie), S_OK);
    ASSERT_EQ(clock->AdvisePeriodic(a, 10000, tick, &periodic), S_OK);
    EXPECT_EQ(win::WaitForSingleObject(event, win::INFINITE), win::WAIT_OBJECT_0);
    EXPECT_EQ(win::WaitForSingleObject(tick, win::INFINITE), win::WAIT_OBJECT_0);
    clock->GetTime(&b);
    EXPECT_GE(b, a + 20000);
    clock->Unadvise(periodic);
    EXPECT_EQ(clock->Release(), 0u);  // joins its thread
    win::CloseHandle(event);
    win::CloseHandle(tick);
  }
}

TEST(FileSource, ProbesTheSubtypeAndReadsThroughItsReader) {
  struct Probe {
    std::vector<win::BYTE> head;
    bool mpeg;
  };
  const Probe probes[] = {
      {{'I', 'D', '3', 4}, true},     {{0xFF, 0xFB, 0x90, 0x64}, true},  {{0xFF, 0xE3, 0x18, 0xC4}, true},
      {{0xFF, 0xEB, 0x90, 0x64}, false},  // reserved version
      {{0xFF, 0xF9, 0x90, 0x64}, false},  // reserved layer
      {{0xFF, 0xFB, 0xF0, 0x64}, false},  // bad bit rate
      {{0xFF, 0xFB, 0x9C, 0x64}, false},  // reserved rate
      {{'O', 'g', 'g', 'S'}, false},      {{'I', 'D'}, false},               {{}, false},
  };
  for (const Probe& p : probes) {
    const ds::GUID subtype = ds::ProbeStreamSubtype(p.head.data(), p.head.size());
    EXPECT_EQ(subtype == ds::MEDIASUBTYPE_MPEG1Audio, p.mpeg);
    EXPECT_EQ(subtype == ds::MEDIASUBTYPE_GenericStream, !p.mpeg);
  }

  TempFile file(3000, 0xFF);
  file.bytes[1] = 0xFB;
  file.bytes[2] = 0x90;
  std::ofstream(file.posix, std::ios::binary).write(reinterpret_cast<const char*>(file.bytes.data()), 3000);
  ds::IBaseFilter* source = nullptr;
  ASSERT_EQ(ds::CreateAsyncFileSource(file.path.c_str(), &source), S_OK);
  ds::IPin* out = pinOf(source, u"Output");
  ds::IEnumMediaTypes* types = nullptr;
  ASSERT_EQ(out->EnumMediaTypes(&types), S_OK);
  ds::AM_MEDIA_TYPE* type = nullptr;
  ds::ULONG fetched = 0;
  ASSERT_EQ(types->Next(1, &type, &fetched), S_OK);
  EXPECT_TRUE(type->majortype == ds::MEDIATYPE_Stream);
  EXPECT_TRUE(type->subtype == ds::MEDIASUBTYPE_MPEG1Audio);
  ds::DeleteMediaTypeCopy(type);
  EXPECT_EQ(types->Next(1, &type, &fetched), win::S_FALSE);
  types->Release();

  auto* reader = query<ds::IAsyncReader>(out, ds::IID_IAsyncReader);
  ds::LONGLONG total = 0, available = 0;
  reader->Length(&total, &available);
  EXPECT_EQ(total, 3000);
  EXPECT_EQ(available, 3000);
  std::vector<win::BYTE> buffer(200);
  EXPECT_EQ(reader->SyncRead(2900, 200, buffer.data()), win::S_FALSE);
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 100, file.bytes.begin() + 2900));
  ASSERT_EQ(reader->SyncRead(0, 200, buffer.data()), S_OK);
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), file.bytes.begin()));

  ds::ALLOCATOR_PROPERTIES want{2, 1000, 0, 0};
  ds::IMemAllocator* allocator = nullptr;
  ASSERT_EQ(reader->RequestAllocator(nullptr, &want, &allocator), S_OK);
  ASSERT_EQ(allocator->Commit(), S_OK);
  ds::IMediaSample* sample = nullptr;
  ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
  // A stop before the start is refused before anything is read.
  ds::REFERENCE_TIME start = 500 * 10000000LL, stop = 400 * 10000000LL;
  sample->SetTime(&start, &stop);
  EXPECT_EQ(reader->Request(sample, 1), win::E_INVALIDARG);
  // A read that the end of the file cuts short completes.
  start = 2500 * 10000000LL;
  stop = 3500 * 10000000LL;
  sample->SetTime(&start, &stop);
  ASSERT_EQ(reader->Request(sample, 7), S_OK);
  ds::IMediaSample* done = nullptr;
  ds::DWORD_PTR user = 0;
  ASSERT_EQ(reader->WaitForNext(0, &done, &user), S_OK);
  EXPECT_EQ(done, sample);
  EXPECT_EQ(user, 7u);
  EXPECT_EQ(done->GetActualDataLength(), 500);  // our own reference came back: kept as `sample`
  EXPECT_EQ(reader->WaitForNext(0, &done, &user), ds::VFW_E_TIMEOUT);
  reader->BeginFlush();
  EXPECT_EQ(reader->Request(sample, 1), ds::VFW_E_WRONG_STATE);
  EXPECT_EQ(reader->WaitForNext(win::INFINITE, &done, &user), ds::VFW_E_WRONG_STATE);
  reader->EndFlush();
  sample->Release();
  allocator->Decommit();
  allocator->Release();
  reader->Release();
  out->Release();
  EXPECT_EQ(source->Release(), 0u);
}

TEST(SeekingPassThru, AggregatesAndReportsAnUnconnectedPin) {
  void* made = nullptr;
  ASSERT_EQ(win::CoCreateInstance(ds::CLSID_SeekingPassThru, nullptr, win::CLSCTX_INPROC_SERVER,
                                  ds::IID_ISeekingPassThru, &made),
            S_OK);
  auto* pass = static_cast<ds::ISeekingPassThru*>(made);
  auto* seeking = query<ds::IMediaSeeking>(pass, ds::IID_IMediaSeeking);
  ds::LONGLONG duration = 0;
  EXPECT_EQ(seeking->GetDuration(&duration), ds::VFW_E_NOT_CONNECTED);
  ds::IBaseFilter* renderer = nullptr;
  ds::CreateNullRenderer(&renderer);
  ds::IPin* in = pinOf(renderer, u"In");
  ASSERT_EQ(pass->Init(win::FALSE, in), S_OK);
  EXPECT_EQ(seeking->GetDuration(&duration), ds::VFW_E_NOT_CONNECTED);
  seeking->Release();
  EXPECT_EQ(pass->Release(), 0u);
  in->Release();
  renderer->Release();
  // An aggregating owner must ask for the inner unknown.
  win::IUnknown* owner = renderer;
  EXPECT_EQ(win::CoCreateInstance(ds::CLSID_SeekingPassThru, owner, win::CLSCTX_INPROC_SERVER, ds::IID_IMediaSeeking,
                                  &made),
            win::E_INVALIDARG);
}

}  // namespace
