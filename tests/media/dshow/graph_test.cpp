// The memory reader inside the platform's filter graph: rendered from its pin through a
// registered harness puller to the null renderer, run to completion and torn down, in loops.
#include <gtest/gtest.h>

#include <vector>

#include "media/dshow/async_reader.h"
#include "platform/dshow/filter_graph.h"
#include "platform/dshow/filter_registry.h"
#include "platform/dshow/system_filters.h"
#include "tests/media/dshow/harness.h"
#include "tests/platform/dshow/graph_harness.h"

namespace halvorine_test {
namespace {

plat::win::HRESULT makePuller(ds::IBaseFilter** filter) {
  *filter = new harness::Puller;
  return S_OK;
}

TEST_F(DShowTest, MemoryReaderRunsThroughAGraphToCompletion) {
  // Above the MPEG audio decoder, which takes the same stream type.
  ds::RegisterFilter(harness::kPullerClass, u"Harness puller", ds::MERIT_PREFERRED, &makePuller);
  ds::RegisterFilter(ds::CLSID_NullRenderer, u"Null Renderer", ds::MERIT_UNLIKELY, &ds::CreateNullRenderer);
  std::vector<BYTE> data(300000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<BYTE>(i * 31 + (i >> 10));
  D_AM_MEDIA_TYPE type{};
  type.majortype = ds::MEDIATYPE_Stream;
  type.subtype = ds::MEDIASUBTYPE_MPEG1Audio;
  for (int round = 0; round < 3; ++round) {
    D_CMemStream* stream = D_CMemStream::Create(data.data(), static_cast<DWORD>(data.size()), 0, D_CMemStream::kUnlimited);
    HRESULT hr = S_OK;
    D_CMemReader* reader = D_CMemReader::Create(stream, &type, &hr);
    ASSERT_NE(reader, nullptr);
    reader->NonDelegatingAddRef();
    ds::IGraphBuilder* graph = nullptr;
    ds::CreateFilterGraph(&graph);
    ASSERT_EQ(graph->AddFilter(reader, u"MemFile"), S_OK);
    ASSERT_EQ(graph->Render(reader->GetPin(0)), S_OK);
    ds::IBaseFilter* found = nullptr;
    ASSERT_EQ(graph->FindFilterByName(u"Harness puller", &found), S_OK);
    auto* puller = static_cast<harness::Puller*>(found);

    void* face = nullptr;
    graph->QueryInterface(ds::IID_IMediaFilter, &face);
    auto* filter = static_cast<ds::IMediaFilter*>(face);
    filter->SetSyncSource(nullptr);
    graph->QueryInterface(ds::IID_IMediaControl, &face);
    auto* control = static_cast<ds::IMediaControl*>(face);
    graph->QueryInterface(ds::IID_IMediaEvent, &face);
    auto* events = static_cast<ds::IMediaEvent*>(face);
    for (int run = 0; run < 2; ++run) {
      ASSERT_EQ(control->Run(), S_OK);
      LONG code = 0;
      ASSERT_EQ(events->WaitForCompletion(-1, &code), S_OK);
      EXPECT_EQ(code, ds::EC_COMPLETE);
      EXPECT_EQ(puller->delivered(), data);
      ASSERT_EQ(control->Stop(), S_OK);
    }
    found->Release();
    events->Release();
    control->Release();
    filter->Release();
    EXPECT_EQ(graph->Release(), 0u);
    reader->NonDelegatingRelease();
    delete stream;
  }
  ds::UnregisterFilter(harness::kPullerClass);
  ds::UnregisterFilter(ds::CLSID_NullRenderer);
}

}  // namespace
}  // namespace halvorine_test
