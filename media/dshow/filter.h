// The filter base of the DirectShow class library: state machine, clock, pins through
// the derived class, graph membership and filter information.
#pragma once
#include "media/dshow/base_object.h"

namespace ZaDod {

class D_CBasePin;

// Registration data of a filter: its class, name and merit, and for each pin the media
// types it takes, so that the filter mapper can find the filter by them.
struct D_AMOVIESETUP_MEDIATYPE {
  const CLSID* clsMajorType;
  const CLSID* clsMinorType;
};
struct D_AMOVIESETUP_PIN {
  const WCHAR* name;
  BOOL rendered, output, zero, many;
  const CLSID* connectsToFilter;
  const WCHAR* connectsToPin;
  unsigned types;
  const D_AMOVIESETUP_MEDIATYPE* mediaType;
};
struct D_AMOVIESETUP_FILTER {
  const CLSID* clsid;
  const WCHAR* name;
  DWORD merit;
  unsigned pins;
  const D_AMOVIESETUP_PIN* pinData;
};

class D_CBaseFilter : public D_CUnknown, public D_IBaseFilter, public D_IAMovieSetup {
 public:
  // The lock belongs to the derived class and must outlive the filter.
  D_CBaseFilter(const char16_t* name, D_IUnknown* outer, D_CCritSec* lock, const CLSID& clsid);
  D_CBaseFilter(D_IUnknown* outer, D_CCritSec* lock, const CLSID& clsid, HRESULT* result, const char16_t* name);
  ~D_CBaseFilter() override;

  D_DECLARE_IUNKNOWN
  HRESULT NonDelegatingQueryInterface(const IID& iid, void** out) override;

  // IPersist
  HRESULT GetClassID(CLSID* clsid) override;
  // IMediaFilter
  HRESULT GetState(DWORD milliseconds, D_FILTER_STATE* state) override;
  HRESULT SetSyncSource(D_IReferenceClock* clock) override;
  HRESULT GetSyncSource(D_IReferenceClock** clock) override;
  HRESULT Stop() override;
  HRESULT Pause() override;
  HRESULT Run(D_REFERENCE_TIME start) override;
  // IBaseFilter
  HRESULT EnumPins(D_IEnumPins** pins) override;
  HRESULT QueryFilterInfo(D_FILTER_INFO* info) override;
  HRESULT JoinFilterGraph(D_IFilterGraph* graph, const WCHAR* name) override;
  HRESULT QueryVendorInfo(WCHAR** vendor) override;
  // IAMovieSetup
  HRESULT Register() override;
  HRESULT Unregister() override;

  virtual HRESULT StreamTime(D_REFERENCE_TIME* time);
  virtual LONG GetPinVersion();
  virtual int GetPinCount() = 0;
  virtual D_CBasePin* GetPin(int index) = 0;
  // Registration data (a D_AMOVIESETUP_FILTER); none of our filters has any.
  virtual const void* GetSetupData() { return nullptr; }

  // Asks the graph to reconnect a pin, with the type when the graph can take one.
  HRESULT ReconnectPin(D_IPin* pin, const D_AM_MEDIA_TYPE* type);

  bool IsStopped() const { return m_State == plat::dshow::State_Stopped; }
  bool IsActive() const { return m_State != plat::dshow::State_Stopped; }
  D_IFilterGraph* GetFilterGraph() const { return m_pGraph; }
  D_IMediaEventSink* GetEventSink() const { return m_pSink; }
  // Passes an event to the graph's sink; E_NOTIMPL outside a graph.
  HRESULT NotifyEvent(LONG code, plat::dshow::LONG_PTR param1, plat::dshow::LONG_PTR param2);

 protected:
  // A new pin set makes open pin enumerators fall out of step.
  void IncrementPinVersion() { ++m_PinVersion; }

  // Read without the lock by streaming threads (IsStopped), so atomic.
  std::atomic<D_FILTER_STATE> m_State{plat::dshow::State_Stopped};
  D_IReferenceClock* m_pClock = nullptr;
  D_REFERENCE_TIME m_tStart = 0;
  CLSID m_clsid;
  D_CCritSec* m_pLock;
  WCHAR* m_pName = nullptr;
  D_IFilterGraph* m_pGraph = nullptr;   // no reference: the graph owns us
  D_IMediaEventSink* m_pSink = nullptr; // no reference, as the graph
  std::atomic<LONG> m_PinVersion{1};
};

}  // namespace ZaDod
