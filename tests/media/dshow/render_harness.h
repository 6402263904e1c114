// A push source of generated frames, video media types and a graph rig (the platform's
// graph with a manual clock) for the renderer tests.
#pragma once
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "media/dshow/media_type.h"
#include "media/dshow/output_pin.h"
#include "media/dshow/renderer.h"
#include "platform/dshow/filter_graph.h"
#include "platform/dshow/reference_clock.h"
#include "platform/win/win_thread.h"
#include "tests/media/dshow/harness.h"

namespace halvorine_test {

// A video type with a VIDEOINFOHEADER of the given size; the caller frees it.
inline D_AM_MEDIA_TYPE videoType(const GUID& subtype, LONG width, LONG height, const GUID& format = D_FORMAT_VideoInfo,
                                 const GUID& major = D_MEDIATYPE_Video) {
  D_AM_MEDIA_TYPE type{};
  type.majortype = major;
  type.subtype = subtype;
  type.formattype = format;
  type.bFixedSizeSamples = plat::win::TRUE;
  type.cbFormat = sizeof(D_VIDEOINFOHEADER);
  type.pbFormat = static_cast<BYTE*>(D_TaskMemAlloc(sizeof(D_VIDEOINFOHEADER)));
  std::memset(type.pbFormat, 0, sizeof(D_VIDEOINFOHEADER));
  auto* info = reinterpret_cast<D_VIDEOINFOHEADER*>(type.pbFormat);
  info->bmiHeader.biSize = sizeof(info->bmiHeader);
  info->bmiHeader.biWidth = width;
  info->bmiHeader.biHeight = height;
  return type;
}

class PushPin : public D_CBaseOutputPin {
 public:
  PushPin(D_CBaseFilter* filter, D_CCritSec* lock, const D_AM_MEDIA_TYPE& type, LONG bufferSize, LONG buffers)
      : D_CBaseOutputPin(u"push pin", filter, lock, nullptr, u"Out"), bufferSize_(bufferSize), buffers_(buffers) {
    D_CopyMediaType(&type_, &type);
  }
  ~PushPin() override { D_FreeMediaType(type_); }

  HRESULT CheckMediaType(const D_AM_MEDIA_TYPE*) override { return S_OK; }
  HRESULT GetMediaType(int position, D_AM_MEDIA_TYPE* type) override {
    if (position != 0) return ds::VFW_S_NO_MORE_ITEMS;
    return D_CopyMediaType(type, &type_);
  }
  HRESULT DecideBufferSize(D_IMemAllocator* allocator, D_ALLOCATOR_PROPERTIES* props) override {
    props->cBuffers = buffers_;
    props->cbBuffer = bufferSize_;
    if (props->cbAlign == 0) props->cbAlign = 1;
    D_ALLOCATOR_PROPERTIES actual{};
    return allocator->SetProperties(props, &actual);
  }
  HRESULT Notify(D_IBaseFilter*, D_Quality quality) override {
    lastProportion = quality.Proportion;
    lastType = quality.Type;
    ++qualityMessages;
    return S_FALSE;  // the source does not handle quality itself
  }

  // Delivers one frame of `length` bytes (at most the buffer size), each byte from `fill`.
  HRESULT push(D_REFERENCE_TIME start, D_REFERENCE_TIME stop, const BYTE* data, LONG length) {
    D_IMediaSample* sample = nullptr;
    HRESULT hr = GetDeliveryBuffer(&sample, nullptr, nullptr, 0);
    if (hr < 0) return hr;
    BYTE* buffer = nullptr;
    sample->GetPointer(&buffer);
    if (data != nullptr) std::memcpy(buffer, data, static_cast<size_t>(length));
    sample->SetActualDataLength(length);
    sample->SetTime(&start, &stop);
    hr = Deliver(sample);
    sample->Release();
    return hr;
  }

  std::atomic<int> qualityMessages{0};
  std::atomic<LONG> lastProportion{0};
  std::atomic<int> lastType{-1};

 private:
  D_AM_MEDIA_TYPE type_{};
  LONG bufferSize_;
  LONG buffers_;
};

class PushSource : public D_CBaseFilter {
 public:
  PushSource(const D_AM_MEDIA_TYPE& type, LONG bufferSize, LONG buffers = 3)
      : D_CBaseFilter(u"push source", nullptr, &lock_, CLSID{0x5050, 0, 0, {0}}),
        pin_(this, &lock_, type, bufferSize, buffers) {}
  int GetPinCount() override { return 1; }
  D_CBasePin* GetPin(int index) override { return index == 0 ? &pin_ : nullptr; }
  HRESULT FindPin(const WCHAR*, D_IPin** pin) override {
    *pin = nullptr;
    return ds::VFW_E_NOT_FOUND;
  }
  PushPin* pin() { return &pin_; }

 private:
  D_CCritSec lock_;
  PushPin pin_;
};

// A graph holding a source (with `buffers` samples) and a renderer, connected, on a
// manual clock.
struct GraphRig {
  GraphRig(D_CBaseFilter* renderer, const D_AM_MEDIA_TYPE& type, LONG bufferSize, LONG buffers = 3)
      : renderer(renderer) {
    source = made<PushSource>(type, bufferSize, buffers);
    ds::CreateFilterGraph(&graph);
    graph->AddFilter(source, u"source");
    graph->AddFilter(renderer, u"renderer");
    connected = graph->ConnectDirect(source->GetPin(0), renderer->GetPin(0), &type);
    void* face = nullptr;
    graph->QueryInterface(ds::IID_IMediaControl, &face);
    control = static_cast<ds::IMediaControl*>(face);
    graph->QueryInterface(ds::IID_IMediaEvent, &face);
    events = static_cast<ds::IMediaEvent*>(face);
    graph->QueryInterface(ds::IID_IMediaFilter, &face);
    auto* filter = static_cast<ds::IMediaFilter*>(face);
    ds::CreateManualClock(&clock);
    filter->SetSyncSource(clock);
    filter->Release();
  }
  ~GraphRig() {
    control->Stop();
    graph->Disconnect(source->GetPin(0));
    graph->Disconnect(renderer->GetPin(0));
    graph->RemoveFilter(source);
    graph->RemoveFilter(renderer);
    control->Release();
    events->Release();
    graph->Release();
    clock->Release();
    source->NonDelegatingRelease();
  }
  PushPin* pin() { return source->pin(); }
  void step(D_REFERENCE_TIME by) { ds::StepManualClock(clock, by); }
  D_REFERENCE_TIME now() {
    D_REFERENCE_TIME t = 0;
    clock->GetTime(&t);
    return t;
  }
  // The codes of the events queued now, waiting up to `ms` for the first.
  std::vector<LONG> drainEvents(LONG ms) {
    std::vector<LONG> codes;
    LONG code = 0;
    ds::LONG_PTR p1 = 0, p2 = 0;
    while (events->GetEvent(&code, &p1, &p2, codes.empty() ? ms : 0) == S_OK) {
      codes.push_back(code);
      events->FreeEventParams(code, p1, p2);
    }
    return codes;
  }

  D_CBaseFilter* renderer;
  PushSource* source = nullptr;
  ds::IGraphBuilder* graph = nullptr;
  ds::IMediaControl* control = nullptr;
  ds::IMediaEvent* events = nullptr;
  ds::IReferenceClock* clock = nullptr;
  HRESULT connected = plat::win::E_FAIL;
};

// Polls until the condition holds, for at most about 20 s; false when it never did.
template <class Cond>
bool eventually(Cond cond) {
  for (int i = 0; i < 20000; ++i) {
    if (cond()) return true;
    plat::win::Sleep(1);
  }
  return cond();
}

}  // namespace halvorine_test
