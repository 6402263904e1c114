// The graph's running side: state changes from the renderers upstream, the clock, the
// event queue with completion counting, and seeking and audio handed to the filters.
#include <algorithm>

#include "platform/dshow/filter_graph.h"
#include "platform/dshow/filter_parts.h"
#include "platform/dshow/reference_clock.h"
#include "platform/win/sync.h"
#include "platform/win/win_window.h"

namespace plat::dshow {

const CLSID CLSID_FilterGraph = {0xE436EBB3, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

using win::E_ABORT;
using win::E_NOTIMPL;
using win::E_POINTER;
using win::S_OK;

namespace {

constexpr REFERENCE_TIME kStartDelay = 100000;  // 10 ms: filters get going before the first sample is due

struct PinCounts {
  int inputsConnected = 0;
  int outputs = 0;
  std::vector<IBaseFilter*> downstream;  // filters its outputs feed, with references
};

PinCounts countPins(IBaseFilter* filter) {
  PinCounts counts;
  IEnumPins* list = nullptr;
  if (filter->EnumPins(&list) != S_OK || list == nullptr) return counts;
  IPin* pin = nullptr;
  ULONG fetched = 0;
  while (list->Next(1, &pin, &fetched) == S_OK && fetched == 1) {
    PIN_DIRECTION direction;
    pin->QueryDirection(&direction);
    IPin* peer = nullptr;
    const bool connected = pin->ConnectedTo(&peer) == S_OK && peer != nullptr;
    if (direction == PINDIR_OUTPUT) {
      ++counts.outputs;
      PIN_INFO info{};
      if (connected && peer->QueryPinInfo(&info) == S_OK && info.pFilter != nullptr)
        counts.downstream.push_back(info.pFilter);
    } else if (connected) {
      ++counts.inputsConnected;
    }
    if (peer != nullptr) peer->Release();
    pin->Release();
  }
  list->Release();
  return counts;
}

void releaseFilters(std::vector<IBaseFilter*>& filters) {
  for (IBaseFilter* f : filters) f->Release();
  filters.clear();
}

// A renderer: fed through at least one input and feeding nothing.
bool isRenderer(IBaseFilter* filter) {
  PinCounts counts = countPins(filter);
  releaseFilters(counts.downstream);
  return counts.outputs == 0 && counts.inputsConnected > 0;
}

bool endsWait(LONG code) { return code == EC_COMPLETE || code == EC_ERRORABORT || code == EC_USERABORT; }

}  // namespace

FilterGraph::FilterGraph() { eventHandle_ = win::CreateEventW(nullptr, 1, 0, nullptr); }

FilterGraph::~FilterGraph() {
  if (state_ != State_Stopped) changeState(State_Stopped);
  // Removing disconnects, which breaks the references that connected pins hold on each other.
  while (!members_.empty()) RemoveFilter(members_.back().filter);
  if (clock_ != nullptr) clock_->Release();
  if (eventHandle_ != nullptr) win::CloseHandle(eventHandle_);
}

HRESULT CreateFilterGraph(IGraphBuilder** graph) {
  if (graph == nullptr) return E_POINTER;
  *graph = new FilterGraph;
  return S_OK;
}

namespace {

HRESULT createGraph(void* outer, const IID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return win::CLASS_E_NOAGGREGATION;
  IGraphBuilder* graph = nullptr;
  CreateFilterGraph(&graph);
  const HRESULT hr = graph->QueryInterface(iid, object);
  graph->Release();
  return hr;
}

const bool filterGraphRegistered = (win::RegisterComClass(CLSID_FilterGraph, "dshow", &createGraph), true);

}  // namespace

HRESULT FilterGraph::QueryInterface(const IID& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == win::IID_IUnknown || iid == IID_IFilterGraph || iid == IID_IGraphBuilder || iid == IID_IFilterGraph2)
    *out = static_cast<IFilterGraph2*>(this);
  else if (iid == IID_IMediaControl)
    *out = static_cast<IMediaControl*>(this);
  else if (iid == IID_IMediaEvent || iid == IID_IMediaEventEx)
    *out = static_cast<IMediaEventEx*>(this);
  else if (iid == IID_IMediaEventSink)
    *out = static_cast<IMediaEventSink*>(this);
  else if (iid == IID_IMediaFilter || iid == IID_IPersist)
    *out = static_cast<IMediaFilter*>(this);
  else if (iid == IID_IMediaSeeking)
    *out = static_cast<IMediaSeeking*>(this);
  else if (iid == IID_IBasicAudio)
    *out = static_cast<IBasicAudio*>(this);
  else {
    *out = nullptr;
    return win::E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG FilterGraph::AddRef() { return ++refs_; }

ULONG FilterGraph::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

// ---- dispatch: not offered ----

HRESULT FilterGraph::GetTypeInfoCount(win::UINT*) { return E_NOTIMPL; }
HRESULT FilterGraph::GetTypeInfo(win::UINT, win::LCID, win::ITypeInfo**) { return E_NOTIMPL; }
HRESULT FilterGraph::GetIDsOfNames(const IID&, win::LPOLESTR*, win::UINT, win::LCID, win::DISPID*) {
  return E_NOTIMPL;
}
HRESULT FilterGraph::Invoke(win::DISPID, const IID&, win::LCID, win::WORD, win::DISPPARAMS*, win::VARIANT*,
                            win::EXCEPINFO*, win::UINT*) {
  return E_NOTIMPL;
}
HRESULT FilterGraph::AddSourceFilter(WCHAR*, IDispatch**) { return E_NOTIMPL; }
HRESULT FilterGraph::get_FilterCollection(IDispatch**) { return E_NOTIMPL; }
HRESULT FilterGraph::get_RegFilterCollection(IDispatch**) { return E_NOTIMPL; }
HRESULT FilterGraph::RenderFile(WCHAR* file) { return RenderFile(file, nullptr); }

// ---- state ----

std::vector<IBaseFilter*> FilterGraph::downstreamFirst() {
  std::vector<IBaseFilter*> pending, order;
  std::vector<std::vector<IBaseFilter*>> feeds;
  for (const Member& m : members_) {
    pending.push_back(m.filter);
    feeds.push_back(countPins(m.filter).downstream);
  }
  // A filter goes once every filter it feeds has gone; a loop, if any, goes as it stands.
  std::vector<bool> placed(pending.size(), false);
  for (size_t round = 0; order.size() < pending.size(); ++round) {
    bool progress = false;
    for (size_t i = 0; i < pending.size(); ++i) {
      if (placed[i]) continue;
      const bool ready = std::all_of(feeds[i].begin(), feeds[i].end(), [&](IBaseFilter* f) {
        return std::find(order.begin(), order.end(), f) != order.end() || !contains(f);
      });
      if (ready || round > pending.size()) {
        placed[i] = true;
        order.push_back(pending[i]);
        progress = true;
      }
    }
    if (!progress && round > pending.size()) break;
  }
  for (auto& list : feeds) releaseFilters(list);
  return order;
}

HRESULT FilterGraph::changeState(FILTER_STATE to) {
  std::lock_guard guard(lock_);
  if (to == state_) return S_OK;
  if (state_ == State_Stopped) {
    if (!clockChosen_) SetDefaultSyncSource();
    // A new run: old events go, and the renderers that must complete are counted now.
    std::vector<IBaseFilter*> renderers;
    for (const Member& m : members_)
      if (isRenderer(m.filter)) renderers.push_back(m.filter);
    std::lock_guard events(eventLock_);
    events_.clear();
    win::ResetEvent(eventHandle_);
    renderers_ = std::move(renderers);
    completed_.clear();
  }
  const std::vector<IBaseFilter*> order = downstreamFirst();
  HRESULT result = S_OK;
  if (to == State_Running && state_ == State_Stopped) {
    for (IBaseFilter* f : order) {
      const HRESULT hr = f->Pause();
      if (hr < 0 && result == S_OK) result = hr;
    }
    state_ = State_Paused;
  }
  REFERENCE_TIME start = 0, now = 0;
  if (clock_ != nullptr && (to == State_Running || state_ == State_Running)) clock_->GetTime(&now);
  if (to == State_Running && clock_ != nullptr) {
    // Resuming from a pause carries the stream time on from where it stopped, so the
    // time spent paused does not count.
    start = pausedStream_ >= 0 ? now - pausedStream_ : now + kStartDelay;
  }
  if (to == State_Paused && state_ == State_Running)
    pausedStream_ = clock_ != nullptr ? std::max<REFERENCE_TIME>(now - start_, 0) : -1;
  for (IBaseFilter* f : order) {
    if (result < 0) break;
    const HRESULT hr = to == State_Stopped ? f->Stop() : to == State_Paused ? f->Pause() : f->Run(start);
    if (hr < 0) result = hr;
  }
  if (result < 0 && to != State_Stopped) {
    // A filter that cannot follow leaves the whole graph stopped.
    for (IBaseFilter* f : order) f->Stop();
    state_ = State_Stopped;
    pausedStream_ = -1;
    return result;
  }
  state_ = to;
  if (to == State_Running) {
    start_ = start;
    pausedStream_ = -1;
  }
  if (to == State_Stopped) pausedStream_ = -1;
  return result;
}

HRESULT FilterGraph::Run() { return changeState(State_Running); }
HRESULT FilterGraph::Pause() { return changeState(State_Paused); }
HRESULT FilterGraph::Stop() { return changeState(State_Stopped); }
HRESULT FilterGraph::StopWhenReady() { return Stop(); }
HRESULT FilterGraph::Run(REFERENCE_TIME) { return changeState(State_Running); }

HRESULT FilterGraph::GetState(LONG milliseconds, LONG* state) {
  if (state == nullptr) return E_POINTER;
  FILTER_STATE s;
  const HRESULT hr = GetState(static_cast<DWORD>(milliseconds), &s);
  *state = s;
  return hr;
}

HRESULT FilterGraph::GetState(DWORD milliseconds, FILTER_STATE* state) {
  if (state == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  *state = state_;
  for (const Member& m : members_) {
    FILTER_STATE theirs;
    if (m.filter->GetState(milliseconds, &theirs) == VFW_S_STATE_INTERMEDIATE) return VFW_S_STATE_INTERMEDIATE;
  }
  return S_OK;
}

HRESULT FilterGraph::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = CLSID_FilterGraph;
  return S_OK;
}

HRESULT FilterGraph::SetSyncSource(IReferenceClock* clock) {
  std::lock_guard guard(lock_);
  if (clock != nullptr) clock->AddRef();
  if (clock_ != nullptr) clock_->Release();
  clock_ = clock;
  clockChosen_ = true;
  for (const Member& m : members_) m.filter->SetSyncSource(clock);
  return S_OK;
}

HRESULT FilterGraph::GetSyncSource(IReferenceClock** clock) {
  if (clock == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  *clock = clock_;
  if (clock_ != nullptr) clock_->AddRef();
  return S_OK;
}

HRESULT FilterGraph::SetDefaultSyncSource() {
  std::lock_guard guard(lock_);
  // A filter that keeps time itself (an audio renderer) is the clock; else the system clock.
  IReferenceClock* clock = nullptr;
  for (const Member& m : members_) {
    void* face = nullptr;
    if (m.filter->QueryInterface(IID_IReferenceClock, &face) == S_OK && face != nullptr) {
      clock = static_cast<IReferenceClock*>(face);
      break;
    }
  }
  if (clock == nullptr) CreateSystemClock(&clock);
  const HRESULT hr = SetSyncSource(clock);
  clock->Release();
  return hr;
}

// ---- events ----

void FilterGraph::pushEvent(const Event& event) {
  events_.push_back(event);
  win::SetEvent(eventHandle_);
  eventArrived_.notify_all();
  if (notifyWindow_ != 0 && (notifyFlags_ & 1) == 0)
    win::PostMessageW(reinterpret_cast<win::HWND>(notifyWindow_), static_cast<win::UINT>(notifyMessage_), 0,
                      notifyInstance_);
}

HRESULT FilterGraph::Notify(LONG code, LONG_PTR param1, LONG_PTR param2) {
  std::lock_guard events(eventLock_);
  if (code == EC_COMPLETE) {
    // Only the renderers counted at Run complete the graph, each once; the filter is
    // known by the pointer it sends and never used through it.
    auto* sender = reinterpret_cast<IBaseFilter*>(param2);
    if (std::find(renderers_.begin(), renderers_.end(), sender) == renderers_.end() ||
        std::find(completed_.begin(), completed_.end(), sender) != completed_.end())
      return S_OK;
    completed_.push_back(sender);
    if (completed_.size() == renderers_.size()) pushEvent(Event{EC_COMPLETE, S_OK, 0});
    return S_OK;
  }
  pushEvent(Event{code, param1, param2});
  return S_OK;
}

HRESULT FilterGraph::GetEventHandle(LONG_PTR* event) {
  if (event == nullptr) return E_POINTER;
  *event = reinterpret_cast<LONG_PTR>(eventHandle_);
  return S_OK;
}

HRESULT FilterGraph::GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG milliseconds) {
  if (code == nullptr || param1 == nullptr || param2 == nullptr) return E_POINTER;
  std::unique_lock events(eventLock_);
  win::waitUntilReady(eventArrived_, events, static_cast<DWORD>(milliseconds), [this] { return !events_.empty(); });
  if (events_.empty()) {
    *code = 0;
    *param1 = *param2 = 0;
    return E_ABORT;
  }
  const Event next = events_.front();
  events_.pop_front();
  if (events_.empty()) win::ResetEvent(eventHandle_);
  *code = next.code;
  *param1 = next.param1;
  *param2 = next.param2;
  return S_OK;
}

HRESULT FilterGraph::WaitForCompletion(LONG milliseconds, LONG* code) {
  if (code == nullptr) return E_POINTER;
  *code = 0;
  std::unique_lock events(eventLock_);
  auto ending = [this] { return std::find_if(events_.begin(), events_.end(), [](const Event& e) { return endsWait(e.code); }); };
  win::waitUntilReady(eventArrived_, events, static_cast<DWORD>(milliseconds),
                      [&] { return ending() != events_.end(); });
  auto it = ending();
  if (it == events_.end()) return E_ABORT;
  *code = it->code;
  events_.erase(it);
  if (events_.empty()) win::ResetEvent(eventHandle_);
  return S_OK;
}

HRESULT FilterGraph::CancelDefaultHandling(LONG) { return S_OK; }
HRESULT FilterGraph::RestoreDefaultHandling(LONG) { return S_OK; }
HRESULT FilterGraph::FreeEventParams(LONG, LONG_PTR, LONG_PTR) { return S_OK; }

HRESULT FilterGraph::SetNotifyWindow(LONG_PTR window, LONG message, LONG_PTR instance) {
  std::lock_guard events(eventLock_);
  notifyWindow_ = window;
  notifyMessage_ = message;
  notifyInstance_ = instance;
  return S_OK;
}

HRESULT FilterGraph::SetNotifyFlags(LONG flags) {
  std::lock_guard events(eventLock_);
  notifyFlags_ = flags;
  return S_OK;
}

HRESULT FilterGraph::GetNotifyFlags(LONG* flags) {
  if (flags == nullptr) return E_POINTER;
  std::lock_guard events(eventLock_);
  *flags = notifyFlags_;
  return S_OK;
}

// ---- seeking and audio, handed to the filters ----

template <class Face, class Call>
HRESULT FilterGraph::forwardTo(const IID& iid, bool all, Call call) {
  std::vector<IBaseFilter*> targets;
  {
    std::lock_guard guard(lock_);
    for (const Member& m : members_) {
      // Seeking goes to every renderer; audio to whichever filter has it.
      if (iid == IID_IMediaSeeking && !isRenderer(m.filter)) continue;
      m.filter->AddRef();
      targets.push_back(m.filter);
    }
  }
  HRESULT result = E_NOTIMPL;
  bool answered = false;
  for (IBaseFilter* f : targets) {
    void* face = nullptr;
    if ((answered && !all) || f->QueryInterface(iid, &face) != S_OK || face == nullptr) continue;
    const HRESULT hr = call(static_cast<Face*>(face));
    static_cast<Face*>(face)->Release();
    if (!answered || (hr < 0 && result >= 0)) result = hr;
    answered = true;
  }
  releaseFilters(targets);
  return result;
}

HRESULT FilterGraph::route(bool change, const SeekingCall& call) {
  return forwardTo<IMediaSeeking>(IID_IMediaSeeking, change, call);
}

HRESULT FilterGraph::put_Volume(LONG v) {
  return forwardTo<IBasicAudio>(IID_IBasicAudio, false, [&](IBasicAudio* a) { return a->put_Volume(v); });
}
HRESULT FilterGraph::get_Volume(LONG* v) {
  return forwardTo<IBasicAudio>(IID_IBasicAudio, false, [&](IBasicAudio* a) { return a->get_Volume(v); });
}
HRESULT FilterGraph::put_Balance(LONG b) {
  return forwardTo<IBasicAudio>(IID_IBasicAudio, false, [&](IBasicAudio* a) { return a->put_Balance(b); });
}
HRESULT FilterGraph::get_Balance(LONG* b) {
  return forwardTo<IBasicAudio>(IID_IBasicAudio, false, [&](IBasicAudio* a) { return a->get_Balance(b); });
}

}  // namespace plat::dshow
