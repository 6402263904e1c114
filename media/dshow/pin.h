// The pin base of the DirectShow class library: connection, media-type negotiation,
// pin information and quality-sink plumbing.
#pragma once
#include "media/dshow/base_object.h"

namespace ZaDod {

class D_CBaseFilter;

class D_CBasePin : public D_CUnknown, public D_IPin, public D_IQualityControl {
 public:
  D_CBasePin(const char16_t* objectName, D_CBaseFilter* filter, D_CCritSec* lock, HRESULT* result,
             const WCHAR* name, D_PIN_DIRECTION direction);
  ~D_CBasePin() override;

  D_DECLARE_IUNKNOWN
  HRESULT NonDelegatingQueryInterface(const IID& iid, void** out) override;
  // A pin lives as long as its filter: its references go to the filter.
  ULONG NonDelegatingAddRef() override;
  ULONG NonDelegatingRelease() override;

  // IPin
  HRESULT Connect(D_IPin* receivePin, const D_AM_MEDIA_TYPE* type) override;
  HRESULT ReceiveConnection(D_IPin* connector, const D_AM_MEDIA_TYPE* type) override;
  HRESULT Disconnect() override;
  HRESULT ConnectedTo(D_IPin** pin) override;
  HRESULT ConnectionMediaType(D_AM_MEDIA_TYPE* type) override;
  HRESULT QueryPinInfo(D_PIN_INFO* info) override;
  HRESULT QueryDirection(D_PIN_DIRECTION* direction) override;
  HRESULT QueryId(WCHAR** id) override;
  HRESULT QueryAccept(const D_AM_MEDIA_TYPE* type) override;
  HRESULT EnumMediaTypes(D_IEnumMediaTypes** types) override;
  HRESULT QueryInternalConnections(D_IPin** pins, ULONG* count) override;
  HRESULT EndOfStream() override;
  HRESULT NewSegment(D_REFERENCE_TIME start, D_REFERENCE_TIME stop, double rate) override;
  // IQualityControl
  HRESULT Notify(D_IBaseFilter* sender, D_Quality quality) override;
  HRESULT SetSink(D_IQualityControl* sink) override;

  // Negotiation steps a derived pin adjusts.
  virtual HRESULT CheckConnect(D_IPin* pin);
  virtual HRESULT BreakConnect();
  virtual HRESULT CompleteConnect(D_IPin* receivePin);
  virtual HRESULT CheckMediaType(const D_AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT SetMediaType(const D_AM_MEDIA_TYPE* type);
  // The type at `position`: S_OK, VFW_S_NO_MORE_ITEMS past the end; the base offers none.
  virtual HRESULT GetMediaType(int position, D_AM_MEDIA_TYPE* type);
  virtual LONG GetMediaTypeVersion();
  virtual HRESULT Active();
  virtual HRESULT Inactive();
  virtual HRESULT Run(D_REFERENCE_TIME start);

  bool IsConnected() const { return m_Connected != nullptr; }
  D_IPin* GetConnected() const { return m_Connected; }
  bool IsStopped() const;
  D_CBaseFilter* Filter() const { return m_pFilter; }
  const D_AM_MEDIA_TYPE& CurrentMediaType() const { return m_mt; }
  D_REFERENCE_TIME CurrentStartTime() const { return m_tStart; }
  D_REFERENCE_TIME CurrentStopTime() const { return m_tStop; }
  double CurrentRate() const { return m_dRate; }

  // Which types go first in negotiation, and whether the pin may reconnect while running.
  void SetTryMyTypesFirst(bool value) { m_bTryMyTypesFirst = value; }
  void SetReconnectWhenActive(bool value) { m_bCanReconnectWhenActive = value; }

 protected:
  void IncrementTypeVersion() { ++m_TypesVersion; }
  HRESULT DisconnectInternal();
  HRESULT AttemptConnection(D_IPin* receivePin, const D_AM_MEDIA_TYPE* type);
  HRESULT TryMediaTypes(D_IPin* receivePin, const D_AM_MEDIA_TYPE* partial, D_IEnumMediaTypes* types);
  HRESULT AgreeMediaType(D_IPin* receivePin, const D_AM_MEDIA_TYPE* partial);

  WCHAR* m_pName;
  D_IPin* m_Connected = nullptr;
  D_PIN_DIRECTION m_dir;
  D_CCritSec* m_pLock;
  bool m_bRunTimeError = false;
  bool m_bCanReconnectWhenActive = false;
  bool m_bTryMyTypesFirst = false;
  D_CBaseFilter* m_pFilter;
  D_IQualityControl* m_pQSink = nullptr;
  std::atomic<LONG> m_TypesVersion{1};
  D_AM_MEDIA_TYPE m_mt{};
  D_REFERENCE_TIME m_tStart = 0;
  D_REFERENCE_TIME m_tStop = 0x7FFFFFFFFFFFFFFFLL;
  double m_dRate = 1.0;
};

}  // namespace ZaDod
