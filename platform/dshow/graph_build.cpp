// The graph's building side: membership, direct and intelligent connection, rendering
// of pins and files, and reconnection. Every build step that fails is taken back whole,
// so a refused Connect, Render or RenderFile leaves no half connection.
#include <algorithm>

#include "platform/dshow/filter_graph.h"
#include "platform/dshow/filter_parts.h"
#include "platform/dshow/filter_registry.h"
#include "platform/dshow/system_filters.h"

namespace plat::dshow {

using win::E_INVALIDARG;
using win::E_NOTIMPL;
using win::E_POINTER;
using win::S_FALSE;
using win::S_OK;

namespace {

constexpr int kMaxDepth = 5;  // filters put between two pins, at most

// The filter's pins of one direction, each with a reference.
std::vector<IPin*> pinsOf(IBaseFilter* filter, PIN_DIRECTION direction) {
  std::vector<IPin*> pins;
  IEnumPins* list = nullptr;
  if (filter->EnumPins(&list) != S_OK || list == nullptr) return pins;
  IPin* pin = nullptr;
  ULONG fetched = 0;
  while (list->Next(1, &pin, &fetched) == S_OK && fetched == 1) {
    PIN_DIRECTION d;
    if (pin->QueryDirection(&d) == S_OK && d == direction)
      pins.push_back(pin);
    else
      pin->Release();
  }
  list->Release();
  return pins;
}

void releaseAll(std::vector<IPin*>& pins) {
  for (IPin* pin : pins) pin->Release();
  pins.clear();
}

bool isConnected(IPin* pin) {
  IPin* peer = nullptr;
  if (pin->ConnectedTo(&peer) != S_OK || peer == nullptr) return false;
  peer->Release();
  return true;
}

// The filter a pin belongs to, with a reference; null when it does not say.
IBaseFilter* ownerOf(IPin* pin) {
  PIN_INFO info{};
  if (pin->QueryPinInfo(&info) != S_OK) return nullptr;
  return info.pFilter;
}

// Whether `filter` is `from` itself or reached from it by going upstream.
bool isUpstream(IBaseFilter* filter, IBaseFilter* from, int depth = 0) {
  if (filter == from) return true;
  if (from == nullptr || depth > 64) return false;
  std::vector<IPin*> inputs = pinsOf(from, PINDIR_INPUT);
  bool found = false;
  for (IPin* in : inputs) {
    IPin* peer = nullptr;
    if (found || in->ConnectedTo(&peer) != S_OK || peer == nullptr) continue;
    IBaseFilter* owner = ownerOf(peer);
    peer->Release();
    if (owner != nullptr) {
      found = isUpstream(filter, owner, depth + 1);
      owner->Release();
    }
  }
  releaseAll(inputs);
  return found;
}

}  // namespace

bool FilterGraph::contains(IBaseFilter* filter) {
  for (const Member& m : members_)
    if (m.filter == filter) return true;
  return false;
}

std::u16string FilterGraph::uniqueName(const WCHAR* name) {
  std::u16string base = name != nullptr ? name : u"";
  auto taken = [&](const std::u16string& n) {
    return std::any_of(members_.begin(), members_.end(), [&](const Member& m) { return m.name == n; });
  };
  if (!taken(base)) return base;
  for (int i = 1;; ++i) {
    std::u16string candidate = base + u" ";
    for (char c : std::to_string(i)) candidate += static_cast<char16_t>(c);
    if (!taken(candidate)) return candidate;
  }
}

HRESULT FilterGraph::AddFilter(IBaseFilter* filter, const WCHAR* name) {
  if (filter == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  if (contains(filter)) return E_INVALIDARG;
  const std::u16string unique = uniqueName(name);
  const HRESULT hr = filter->JoinFilterGraph(this, unique.c_str());
  if (hr < 0) return hr;
  filter->AddRef();
  members_.push_back(Member{filter, unique});
  if (clockChosen_) filter->SetSyncSource(clock_);
  return S_OK;
}

HRESULT FilterGraph::RemoveFilter(IBaseFilter* filter) {
  if (filter == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  auto it = std::find_if(members_.begin(), members_.end(), [&](const Member& m) { return m.filter == filter; });
  if (it == members_.end()) return VFW_E_NOT_FOUND;
  if (state_ != State_Stopped) filter->Stop();
  for (PIN_DIRECTION direction : {PINDIR_INPUT, PINDIR_OUTPUT}) {
    std::vector<IPin*> pins = pinsOf(filter, direction);
    for (IPin* pin : pins) {
      IPin* peer = nullptr;
      if (pin->ConnectedTo(&peer) == S_OK && peer != nullptr) {
        peer->Disconnect();
        peer->Release();
      }
      pin->Disconnect();
    }
    releaseAll(pins);
  }
  filter->SetSyncSource(nullptr);
  filter->JoinFilterGraph(nullptr, nullptr);
  members_.erase(it);
  {
    std::lock_guard events(eventLock_);
    std::erase(renderers_, filter);
    std::erase(completed_, filter);
  }
  filter->Release();
  return S_OK;
}

HRESULT FilterGraph::EnumFilters(IEnumFilters** filters) {
  if (filters == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  std::vector<IBaseFilter*> list;
  for (const Member& m : members_) list.push_back(m.filter);
  *filters = new FilterEnum(std::move(list));
  return S_OK;
}

HRESULT FilterGraph::FindFilterByName(const WCHAR* name, IBaseFilter** filter) {
  if (name == nullptr || filter == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  *filter = nullptr;
  for (const Member& m : members_) {
    if (m.name == name) {
      *filter = m.filter;
      m.filter->AddRef();
      return S_OK;
    }
  }
  return VFW_E_NOT_FOUND;
}

HRESULT FilterGraph::ConnectDirect(IPin* out, IPin* in, const AM_MEDIA_TYPE* type) {
  if (out == nullptr || in == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  return out->Connect(in, type);
}

HRESULT FilterGraph::Reconnect(IPin* pin) { return ReconnectEx(pin, nullptr); }

HRESULT FilterGraph::ReconnectEx(IPin* pin, const AM_MEDIA_TYPE* type) {
  if (pin == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  IPin* peer = nullptr;
  if (pin->ConnectedTo(&peer) != S_OK || peer == nullptr) return VFW_E_NOT_CONNECTED;
  PIN_DIRECTION direction;
  pin->QueryDirection(&direction);
  IPin* out = direction == PINDIR_OUTPUT ? pin : peer;
  IPin* in = direction == PINDIR_OUTPUT ? peer : pin;
  out->Disconnect();
  in->Disconnect();
  const HRESULT hr = out->Connect(in, type);
  peer->Release();
  return hr;
}

HRESULT FilterGraph::Disconnect(IPin* pin) {
  if (pin == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  return pin->Disconnect();
}

HRESULT FilterGraph::connectLogged(IPin* out, IPin* in, const AM_MEDIA_TYPE* type, BuildLog& log) {
  const HRESULT hr = out->Connect(in, type);
  if (hr != S_OK) return hr < 0 ? hr : VFW_E_CANNOT_CONNECT;
  out->AddRef();
  log.outputs.push_back(out);
  return S_OK;
}

HRESULT FilterGraph::addLogged(IBaseFilter* filter, const std::u16string& name, BuildLog& log) {
  const HRESULT hr = AddFilter(filter, name.c_str());
  if (hr < 0) return hr;
  filter->AddRef();
  log.added.push_back(filter);
  return S_OK;
}

void FilterGraph::rollBack(BuildLog& log, size_t outputs, size_t added) {
  while (log.outputs.size() > outputs) {
    IPin* out = log.outputs.back();
    log.outputs.pop_back();
    IPin* peer = nullptr;
    if (out->ConnectedTo(&peer) == S_OK && peer != nullptr) {
      peer->Disconnect();
      peer->Release();
    }
    out->Disconnect();
    out->Release();
  }
  while (log.added.size() > added) {
    IBaseFilter* filter = log.added.back();
    log.added.pop_back();
    RemoveFilter(filter);
    filter->Release();
  }
}

HRESULT FilterGraph::settle(HRESULT result, BuildLog& log) {
  if (result == S_OK)
    commit(log);
  else
    rollBack(log, 0, 0);
  aborted_ = false;
  return result;
}

void FilterGraph::commit(BuildLog& log) {
  for (IPin* out : log.outputs) out->Release();
  for (IBaseFilter* filter : log.added) filter->Release();
  log.outputs.clear();
  log.added.clear();
}

bool FilterGraph::tryCandidates(const std::function<bool(IBaseFilter*)>& eligible, bool existingOnly, BuildLog& log,
                                const std::function<bool(IBaseFilter*)>& attempt) {
  std::vector<IBaseFilter*> present;
  for (const Member& m : members_)
    if (eligible(m.filter)) present.push_back(m.filter);
  // A failed attempt may have removed filters it added, never one of these.
  for (IBaseFilter* filter : present)
    if (contains(filter) && attempt(filter)) return true;
  if (existingOnly) return false;
  for (const RegisteredFilter& entry : RegisteredFilters()) {
    if (aborted_) break;
    IBaseFilter* filter = nullptr;
    // A filter registered through the mapper is made by its class id.
    const HRESULT made = entry.create != nullptr
                             ? entry.create(&filter)
                             : win::CoCreateInstance(entry.clsid, nullptr, win::CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                                     reinterpret_cast<void**>(&filter));
    if (made != S_OK || filter == nullptr) continue;
    const size_t mark = log.outputs.size(), added = log.added.size();
    bool done = false;
    if (addLogged(filter, entry.name, log) == S_OK) {
      done = attempt(filter);
      if (!done) rollBack(log, mark, added);
    }
    filter->Release();
    if (done) return true;
  }
  return false;
}

bool FilterGraph::intoFreeInput(IPin* out, IBaseFilter* filter, BuildLog& log,
                                const std::function<bool()>& onwards) {
  std::vector<IPin*> inputs = pinsOf(filter, PINDIR_INPUT);
  bool done = false;
  for (IPin* p : inputs) {
    if (done || isConnected(p)) continue;
    const size_t mark = log.outputs.size(), added = log.added.size();
    if (connectLogged(out, p, nullptr, log) != S_OK) continue;
    done = onwards();
    if (!done) rollBack(log, mark, added);
  }
  releaseAll(inputs);
  return done;
}

HRESULT FilterGraph::connectVia(IPin* out, IPin* in, int depth, BuildLog& log) {
  if (connectLogged(out, in, nullptr, log) == S_OK) return S_OK;
  if (depth >= kMaxDepth || aborted_) return VFW_E_CANNOT_CONNECT;
  IBaseFilter* from = ownerOf(out);
  IBaseFilter* to = ownerOf(in);
  // Through one filter: out to a free input of it, then on from one of its free outputs.
  const bool done = tryCandidates(
      [&](IBaseFilter* f) { return f != to && !isUpstream(f, from); }, false, log, [&](IBaseFilter* filter) {
        return intoFreeInput(out, filter, log, [&] {
          std::vector<IPin*> outputs = pinsOf(filter, PINDIR_OUTPUT);
          bool on = false;
          for (IPin* q : outputs)
            if (!on && !isConnected(q)) on = connectVia(q, in, depth + 1, log) == S_OK;
          releaseAll(outputs);
          return on;
        });
      });
  if (from != nullptr) from->Release();
  if (to != nullptr) to->Release();
  return done ? S_OK : VFW_E_CANNOT_CONNECT;
}

HRESULT FilterGraph::renderOutputs(IBaseFilter* filter, int depth, bool existingOnly, BuildLog& log) {
  std::vector<IPin*> outputs = pinsOf(filter, PINDIR_OUTPUT);
  HRESULT hr = S_OK;
  for (IPin* q : outputs)
    if (hr == S_OK && !isConnected(q)) hr = renderPin(q, depth, existingOnly, log);
  releaseAll(outputs);
  return hr;
}

HRESULT FilterGraph::renderPin(IPin* out, int depth, bool existingOnly, BuildLog& log) {
  if (depth > kMaxDepth || aborted_) return VFW_E_CANNOT_RENDER;
  IBaseFilter* from = ownerOf(out);
  // Into a free input of one filter, and on until every branch after it ends.
  const bool done = tryCandidates(
      [&](IBaseFilter* f) { return !isUpstream(f, from); }, existingOnly, log, [&](IBaseFilter* filter) {
        return intoFreeInput(out, filter, log,
                             [&] { return renderOutputs(filter, depth + 1, existingOnly, log) == S_OK; });
      });
  if (from != nullptr) from->Release();
  return done ? S_OK : VFW_E_CANNOT_RENDER;
}

HRESULT FilterGraph::Connect(IPin* out, IPin* in) {
  if (out == nullptr || in == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  BuildLog log;
  return settle(connectVia(out, in, 0, log), log);
}

HRESULT FilterGraph::RenderEx(IPin* out, DWORD flags, DWORD*) {
  if (out == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  PIN_DIRECTION direction;
  if (out->QueryDirection(&direction) != S_OK || direction != PINDIR_OUTPUT) return VFW_E_INVALID_DIRECTION;
  if (isConnected(out)) return VFW_E_ALREADY_CONNECTED;
  BuildLog log;
  // Flag 1: end only in renderers already in the graph.
  return settle(renderPin(out, 0, (flags & 1) != 0, log), log);
}

HRESULT FilterGraph::Render(IPin* out) { return RenderEx(out, 0, nullptr); }

HRESULT FilterGraph::AddSourceFilter(const WCHAR* file, const WCHAR* name, IBaseFilter** filter) {
  if (file == nullptr || filter == nullptr) return E_POINTER;
  *filter = nullptr;
  IBaseFilter* source = nullptr;
  HRESULT hr = CreateAsyncFileSource(file, &source);
  if (hr != S_OK) return hr;
  hr = AddFilter(source, name != nullptr ? name : file);
  if (hr < 0) {
    source->Release();
    return hr;
  }
  *filter = source;
  return S_OK;
}

HRESULT FilterGraph::RenderFile(const WCHAR* file, const WCHAR*) {
  if (file == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  IBaseFilter* source = nullptr;
  HRESULT hr = AddSourceFilter(file, file, &source);
  if (hr != S_OK) return hr;
  BuildLog log;
  std::vector<IPin*> outputs = pinsOf(source, PINDIR_OUTPUT);
  int rendered = 0, refused = 0;
  HRESULT failure = VFW_E_CANNOT_RENDER;
  for (IPin* out : outputs) {
    if (isConnected(out)) continue;
    const HRESULT one = renderPin(out, 0, false, log);
    if (one == S_OK) {
      ++rendered;
    } else {
      ++refused;
      failure = one;
    }
  }
  releaseAll(outputs);
  aborted_ = false;
  if (rendered == 0) {
    rollBack(log, 0, 0);
    RemoveFilter(source);
    source->Release();
    return failure;
  }
  commit(log);
  source->Release();
  return refused == 0 ? S_OK : VFW_S_PARTIAL_RENDER;
}

HRESULT FilterGraph::SetLogFile(DWORD_PTR) { return S_OK; }

HRESULT FilterGraph::Abort() {
  aborted_ = true;
  return S_OK;
}

HRESULT FilterGraph::ShouldOperationContinue() { return aborted_ ? S_FALSE : S_OK; }

HRESULT FilterGraph::AddSourceFilterForMoniker(IMoniker*, IBindCtx*, const WCHAR*, IBaseFilter**) {
  return E_NOTIMPL;
}

}  // namespace plat::dshow
