// The filter-graph manager (COM class CLSID_FilterGraph, missing name "dshow"). Building,
// connection and state changes run on the calling thread; streaming runs on the source
// filters' own threads, which reach the graph only through IMediaEventSink.
#pragma once
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dshow/interfaces.h"
#include "platform/dshow/seeking_forward.h"

namespace plat::dshow {

HRESULT CreateFilterGraph(IGraphBuilder** graph);

class FilterGraph final : public IFilterGraph2,
                          public IMediaControl,
                          public IMediaEventEx,
                          public IMediaEventSink,
                          public IMediaFilter,
                          public SeekingForwarder,
                          public IBasicAudio {
 public:
  FilterGraph();

  HRESULT QueryInterface(const IID& iid, void** out) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // IFilterGraph
  HRESULT AddFilter(IBaseFilter* filter, const WCHAR* name) override;
  HRESULT RemoveFilter(IBaseFilter* filter) override;
  HRESULT EnumFilters(IEnumFilters** filters) override;
  HRESULT FindFilterByName(const WCHAR* name, IBaseFilter** filter) override;
  HRESULT ConnectDirect(IPin* out, IPin* in, const AM_MEDIA_TYPE* type) override;
  HRESULT Reconnect(IPin* pin) override;
  HRESULT Disconnect(IPin* pin) override;
  HRESULT SetDefaultSyncSource() override;
  // IGraphBuilder
  HRESULT Connect(IPin* out, IPin* in) override;
  HRESULT Render(IPin* out) override;
  HRESULT RenderFile(const WCHAR* file, const WCHAR* playList) override;
  HRESULT AddSourceFilter(const WCHAR* file, const WCHAR* name, IBaseFilter** filter) override;
  HRESULT SetLogFile(DWORD_PTR file) override;
  HRESULT Abort() override;
  HRESULT ShouldOperationContinue() override;
  // IFilterGraph2
  HRESULT AddSourceFilterForMoniker(IMoniker* moniker, IBindCtx* context, const WCHAR* name,
                                    IBaseFilter** filter) override;
  HRESULT ReconnectEx(IPin* pin, const AM_MEDIA_TYPE* type) override;
  HRESULT RenderEx(IPin* out, DWORD flags, DWORD* context) override;

  // IDispatch (of the media control, events and audio): not offered.
  HRESULT GetTypeInfoCount(win::UINT* count) override;
  HRESULT GetTypeInfo(win::UINT index, win::LCID locale, win::ITypeInfo** info) override;
  HRESULT GetIDsOfNames(const IID& iid, win::LPOLESTR* names, win::UINT count, win::LCID locale,
                        win::DISPID* ids) override;
  HRESULT Invoke(win::DISPID id, const IID& iid, win::LCID locale, win::WORD flags, win::DISPPARAMS* params,
                 win::VARIANT* result, win::EXCEPINFO* exception, win::UINT* argumentError) override;

  // IMediaControl (Stop and Pause serve IMediaFilter too)
  HRESULT Run() override;
  HRESULT Pause() override;
  HRESULT Stop() override;
  HRESULT GetState(LONG milliseconds, LONG* state) override;
  HRESULT RenderFile(WCHAR* file) override;
  HRESULT AddSourceFilter(WCHAR* file, IDispatch** filter) override;
  HRESULT get_FilterCollection(IDispatch** filters) override;
  HRESULT get_RegFilterCollection(IDispatch** filters) override;
  HRESULT StopWhenReady() override;

  // IMediaEvent, IMediaEventEx
  HRESULT GetEventHandle(LONG_PTR* event) override;
  HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG milliseconds) override;
  HRESULT WaitForCompletion(LONG milliseconds, LONG* code) override;
  HRESULT CancelDefaultHandling(LONG code) override;
  HRESULT RestoreDefaultHandling(LONG code) override;
  HRESULT FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) override;
  HRESULT SetNotifyWindow(LONG_PTR window, LONG message, LONG_PTR instance) override;
  HRESULT SetNotifyFlags(LONG flags) override;
  HRESULT GetNotifyFlags(LONG* flags) override;

  // IMediaEventSink
  HRESULT Notify(LONG code, LONG_PTR param1, LONG_PTR param2) override;

  // IMediaFilter
  HRESULT GetClassID(CLSID* clsid) override;
  HRESULT Run(REFERENCE_TIME start) override;
  HRESULT GetState(DWORD milliseconds, FILTER_STATE* state) override;
  HRESULT SetSyncSource(IReferenceClock* clock) override;
  HRESULT GetSyncSource(IReferenceClock** clock) override;

  // IBasicAudio: forwarded to the first filter that has it
  HRESULT put_Volume(LONG volume) override;
  HRESULT get_Volume(LONG* volume) override;
  HRESULT put_Balance(LONG balance) override;
  HRESULT get_Balance(LONG* balance) override;

 private:
  struct Member {
    IBaseFilter* filter;  // with a reference
    std::u16string name;
  };
  struct Event {
    LONG code;
    LONG_PTR param1;
    LONG_PTR param2;
  };
  // What a build step made, so that a failed branch can be taken back whole.
  struct BuildLog {
    std::vector<IPin*> outputs;          // connected output pins, with a reference
    std::vector<IBaseFilter*> added;     // filters added, with a reference
  };

  ~FilterGraph();

  // Building (graph_build.cpp); all under lock_.
  // Tries attempt on each candidate until one succeeds: the filters in the graph that
  // eligible accepts, then (unless existingOnly) a new filter of each registered class,
  // removed again when its attempt fails.
  bool tryCandidates(const std::function<bool(IBaseFilter*)>& eligible, bool existingOnly, BuildLog& log,
                     const std::function<bool(IBaseFilter*)>& attempt);
  // Connects out to a free input of filter for which onwards then succeeds.
  bool intoFreeInput(IPin* out, IBaseFilter* filter, BuildLog& log, const std::function<bool()>& onwards);
  HRESULT connectVia(IPin* out, IPin* in, int depth, BuildLog& log);
  HRESULT renderPin(IPin* out, int depth, bool existingOnly, BuildLog& log);
  HRESULT renderOutputs(IBaseFilter* filter, int depth, bool existingOnly, BuildLog& log);
  HRESULT connectLogged(IPin* out, IPin* in, const AM_MEDIA_TYPE* type, BuildLog& log);
  HRESULT addLogged(IBaseFilter* filter, const std::u16string& name, BuildLog& log);
  void rollBack(BuildLog& log, size_t outputs, size_t added);
  void commit(BuildLog& log);
  // Keeps a build that succeeded and takes back one that failed; returns the result.
  HRESULT settle(HRESULT result, BuildLog& log);
  std::u16string uniqueName(const WCHAR* name);
  bool contains(IBaseFilter* filter);

  // Control (graph_control.cpp)
  std::vector<IBaseFilter*> downstreamFirst();
  HRESULT changeState(FILTER_STATE to);
  void pushEvent(const Event& event);
  // Seeking goes to the renderers: changes to all of them, queries to the first.
  HRESULT route(bool change, const SeekingCall& call) override;
  template <class Face, class Call>
  HRESULT forwardTo(const IID& iid, bool all, Call call);

  std::atomic<ULONG> refs_{1};
  std::recursive_mutex lock_;  // the graph's shape and state; builds re-enter it
  std::vector<Member> members_;
  FILTER_STATE state_ = State_Stopped;
  IReferenceClock* clock_ = nullptr;
  bool clockChosen_ = false;
  REFERENCE_TIME start_ = 0;          // of the current or last run
  REFERENCE_TIME pausedStream_ = -1;  // stream time at a pause from running; -1 for none
  std::atomic<bool> aborted_{false};  // Abort may come from another thread

  std::mutex eventLock_;  // events and completion counting, reached from streaming threads
  std::condition_variable eventArrived_;
  std::deque<Event> events_;
  HANDLE eventHandle_ = nullptr;  // set while events wait
  std::vector<IBaseFilter*> renderers_;  // counted at Run; no references
  std::vector<IBaseFilter*> completed_;
  LONG notifyFlags_ = 0;
  LONG_PTR notifyWindow_ = 0;
  LONG notifyMessage_ = 0;
  LONG_PTR notifyInstance_ = 0;
};

}  // namespace plat::dshow
