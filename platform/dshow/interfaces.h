// The filter-graph interfaces, records, identifiers and result codes, declared once for
// the platform's graph and for the media layer's own filters, which hand their objects
// to the graph directly. Slot order and identifiers are the platform's.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/win/com.h"
#include "platform/win/oleaut.h"

namespace plat::dshow {

using win::BOOL;
using win::BYTE;
using win::CLSID;
using win::DWORD;
using win::GUID;
using win::HANDLE;
using win::HRESULT;
using win::IDispatch;
using win::IID;
using win::IUnknown;
using win::LONG;
using win::ULONG;
using win::WCHAR;

using REFERENCE_TIME = std::int64_t;  // 100-ns units
using REFTIME = double;               // seconds
using LONGLONG = std::int64_t;
using LONG_PTR = std::intptr_t;
using DWORD_PTR = std::uintptr_t;

// ---- result codes ----
constexpr HRESULT VFW_E_INVALIDMEDIATYPE = static_cast<HRESULT>(0x80040200u);
constexpr HRESULT VFW_E_ENUM_OUT_OF_SYNC = static_cast<HRESULT>(0x80040203u);
constexpr HRESULT VFW_E_ALREADY_CONNECTED = static_cast<HRESULT>(0x80040204u);
constexpr HRESULT VFW_E_NO_ACCEPTABLE_TYPES = static_cast<HRESULT>(0x80040207u);
constexpr HRESULT VFW_E_INVALID_DIRECTION = static_cast<HRESULT>(0x80040208u);
constexpr HRESULT VFW_E_NOT_CONNECTED = static_cast<HRESULT>(0x80040209u);
constexpr HRESULT VFW_E_NO_ALLOCATOR = static_cast<HRESULT>(0x8004020Au);
constexpr HRESULT VFW_E_RUNTIME_ERROR = static_cast<HRESULT>(0x8004020Bu);
constexpr HRESULT VFW_E_BUFFER_OVERFLOW = static_cast<HRESULT>(0x8004020Du);
constexpr HRESULT VFW_E_BADALIGN = static_cast<HRESULT>(0x8004020Eu);
constexpr HRESULT VFW_E_ALREADY_COMMITTED = static_cast<HRESULT>(0x8004020Fu);
constexpr HRESULT VFW_E_BUFFERS_OUTSTANDING = static_cast<HRESULT>(0x80040210u);
constexpr HRESULT VFW_E_NOT_COMMITTED = static_cast<HRESULT>(0x80040211u);
constexpr HRESULT VFW_E_SIZENOTSET = static_cast<HRESULT>(0x80040212u);
constexpr HRESULT VFW_E_NO_CLOCK = static_cast<HRESULT>(0x80040213u);
constexpr HRESULT VFW_E_NOT_FOUND = static_cast<HRESULT>(0x80040216u);
constexpr HRESULT VFW_E_NOT_IN_GRAPH = static_cast<HRESULT>(0x8004025Fu);
constexpr HRESULT VFW_E_NOT_STOPPED = static_cast<HRESULT>(0x80040224u);
constexpr HRESULT VFW_E_WRONG_STATE = static_cast<HRESULT>(0x80040227u);
constexpr HRESULT VFW_E_TYPE_NOT_ACCEPTED = static_cast<HRESULT>(0x8004022Au);
constexpr HRESULT VFW_E_TIMEOUT = static_cast<HRESULT>(0x8004022Eu);
constexpr HRESULT VFW_E_CANNOT_CONNECT = static_cast<HRESULT>(0x80040217u);
constexpr HRESULT VFW_E_CANNOT_RENDER = static_cast<HRESULT>(0x80040218u);
constexpr HRESULT VFW_E_UNKNOWN_FILE_TYPE = static_cast<HRESULT>(0x80040240u);
constexpr HRESULT VFW_E_FILE_NOT_FOUND = static_cast<HRESULT>(0x80040241u);
constexpr HRESULT VFW_E_SAMPLE_TIME_NOT_SET = static_cast<HRESULT>(0x80040249u);
constexpr HRESULT VFW_E_MEDIA_TIME_NOT_SET = static_cast<HRESULT>(0x80040251u);
constexpr HRESULT OLE_S_FIRST = static_cast<HRESULT>(0x00040000u);
constexpr HRESULT VFW_S_NO_MORE_ITEMS = static_cast<HRESULT>(0x00040103u);
constexpr HRESULT VFW_S_NO_STOP_TIME = static_cast<HRESULT>(0x00040270u);
constexpr HRESULT VFW_S_STATE_INTERMEDIATE = static_cast<HRESULT>(0x00040237u);
constexpr HRESULT VFW_S_PARTIAL_RENDER = static_cast<HRESULT>(0x00040242u);

// ---- graph events ----
constexpr LONG EC_COMPLETE = 0x01;
constexpr LONG EC_USERABORT = 0x02;
constexpr LONG EC_ERRORABORT = 0x03;

// ---- records ----
struct AM_MEDIA_TYPE {
  GUID majortype;
  GUID subtype;
  BOOL bFixedSizeSamples;
  BOOL bTemporalCompression;
  ULONG lSampleSize;
  GUID formattype;
  IUnknown* pUnk;
  ULONG cbFormat;
  BYTE* pbFormat;
};

struct ALLOCATOR_PROPERTIES {
  LONG cBuffers;
  LONG cbBuffer;
  LONG cbAlign;
  LONG cbPrefix;
};

// Field order is the platform's: partial copies cover a leading run of fields.
struct AM_SAMPLE2_PROPERTIES {
  DWORD cbData;
  DWORD dwTypeSpecificFlags;
  DWORD dwSampleFlags;
  LONG lActual;
  REFERENCE_TIME tStart;
  REFERENCE_TIME tStop;
  DWORD dwStreamId;
  AM_MEDIA_TYPE* pMediaType;
  BYTE* pbBuffer;
  LONG cbBuffer;
};

// Sample flags of AM_SAMPLE2_PROPERTIES::dwSampleFlags.
constexpr DWORD AM_SAMPLE_SPLICEPOINT = 0x01;
constexpr DWORD AM_SAMPLE_PREROLL = 0x02;
constexpr DWORD AM_SAMPLE_DATADISCONTINUITY = 0x04;
constexpr DWORD AM_SAMPLE_TYPECHANGED = 0x08;
constexpr DWORD AM_SAMPLE_TIMEVALID = 0x10;
constexpr DWORD AM_SAMPLE_TIMEDISCONTINUITY = 0x40;
constexpr DWORD AM_SAMPLE_STOPVALID = 0x100;
constexpr DWORD AM_SAMPLE_ENDOFSTREAM = 0x200;

// GetBuffer flags.
constexpr DWORD AM_GBF_PREVFRAMESKIPPED = 1;
constexpr DWORD AM_GBF_NOTASYNCPOINT = 2;
constexpr DWORD AM_GBF_NOWAIT = 4;

enum FILTER_STATE : int { State_Stopped = 0, State_Paused = 1, State_Running = 2 };
enum PIN_DIRECTION : int { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };

constexpr int MAX_FILTER_NAME = 128;
constexpr int MAX_PIN_NAME = 128;

struct IFilterGraph;
struct IBaseFilter;

struct FILTER_INFO {
  WCHAR achName[MAX_FILTER_NAME];
  IFilterGraph* pGraph;
};

struct PIN_INFO {
  IBaseFilter* pFilter;
  PIN_DIRECTION dir;
  WCHAR achName[MAX_PIN_NAME];
};

enum QualityMessageType : int { Famine = 0, Flood = 1 };

struct Quality {
  QualityMessageType Type;
  LONG Proportion;
  REFERENCE_TIME Late;
  REFERENCE_TIME TimeStamp;
};

// ---- interfaces ----
#define PLAT_DSHOW_INTERFACE(name) \
 protected:                        \
  ~name() = default;               \
                                   \
 public:

struct IReferenceClock : IUnknown {
  virtual HRESULT GetTime(REFERENCE_TIME* time) = 0;
  virtual HRESULT AdviseTime(REFERENCE_TIME baseTime, REFERENCE_TIME streamTime, HANDLE event, DWORD_PTR* cookie) = 0;
  virtual HRESULT AdvisePeriodic(REFERENCE_TIME startTime, REFERENCE_TIME period, HANDLE semaphore,
                                 DWORD_PTR* cookie) = 0;
  virtual HRESULT Unadvise(DWORD_PTR cookie) = 0;
  PLAT_DSHOW_INTERFACE(IReferenceClock)
};

struct IPersist : IUnknown {
  virtual HRESULT GetClassID(CLSID* clsid) = 0;
  PLAT_DSHOW_INTERFACE(IPersist)
};

struct IMediaFilter : IPersist {
  virtual HRESULT Stop() = 0;
  virtual HRESULT Pause() = 0;
  virtual HRESULT Run(REFERENCE_TIME start) = 0;
  virtual HRESULT GetState(DWORD milliseconds, FILTER_STATE* state) = 0;
  virtual HRESULT SetSyncSource(IReferenceClock* clock) = 0;
  virtual HRESULT GetSyncSource(IReferenceClock** clock) = 0;
  PLAT_DSHOW_INTERFACE(IMediaFilter)
};

struct IPin;
struct IEnumPins;
struct IEnumMediaTypes;

struct IBaseFilter : IMediaFilter {
  virtual HRESULT EnumPins(IEnumPins** pins) = 0;
  virtual HRESULT FindPin(const WCHAR* id, IPin** pin) = 0;
  virtual HRESULT QueryFilterInfo(FILTER_INFO* info) = 0;
  virtual HRESULT JoinFilterGraph(IFilterGraph* graph, const WCHAR* name) = 0;
  virtual HRESULT QueryVendorInfo(WCHAR** vendor) = 0;
  PLAT_DSHOW_INTERFACE(IBaseFilter)
};

struct IAMovieSetup : IUnknown {
  virtual HRESULT Register() = 0;
  virtual HRESULT Unregister() = 0;
  PLAT_DSHOW_INTERFACE(IAMovieSetup)
};

struct IPin : IUnknown {
  virtual HRESULT Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT Disconnect() = 0;
  virtual HRESULT ConnectedTo(IPin** pin) = 0;
  virtual HRESULT ConnectionMediaType(AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT QueryPinInfo(PIN_INFO* info) = 0;
  virtual HRESULT QueryDirection(PIN_DIRECTION* direction) = 0;
  virtual HRESULT QueryId(WCHAR** id) = 0;
  virtual HRESULT QueryAccept(const AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT EnumMediaTypes(IEnumMediaTypes** types) = 0;
  virtual HRESULT QueryInternalConnections(IPin** pins, ULONG* count) = 0;
  virtual HRESULT EndOfStream() = 0;
  virtual HRESULT BeginFlush() = 0;
  virtual HRESULT EndFlush() = 0;
  virtual HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) = 0;
  PLAT_DSHOW_INTERFACE(IPin)
};

struct IQualityControl : IUnknown {
  virtual HRESULT Notify(IBaseFilter* sender, Quality quality) = 0;
  virtual HRESULT SetSink(IQualityControl* sink) = 0;
  PLAT_DSHOW_INTERFACE(IQualityControl)
};

struct IEnumPins : IUnknown {
  virtual HRESULT Next(ULONG count, IPin** pins, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumPins** copy) = 0;
  PLAT_DSHOW_INTERFACE(IEnumPins)
};

struct IEnumMediaTypes : IUnknown {
  virtual HRESULT Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumMediaTypes** copy) = 0;
  PLAT_DSHOW_INTERFACE(IEnumMediaTypes)
};

struct IEnumFilters : IUnknown {
  virtual HRESULT Next(ULONG count, IBaseFilter** filters, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumFilters** copy) = 0;
  PLAT_DSHOW_INTERFACE(IEnumFilters)
};

struct IMediaSample : IUnknown {
  virtual HRESULT GetPointer(BYTE** buffer) = 0;
  virtual LONG GetSize() = 0;
  virtual HRESULT GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) = 0;
  virtual HRESULT SetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) = 0;
  virtual HRESULT IsSyncPoint() = 0;
  virtual HRESULT SetSyncPoint(BOOL sync) = 0;
  virtual HRESULT IsPreroll() = 0;
  virtual HRESULT SetPreroll(BOOL preroll) = 0;
  virtual LONG GetActualDataLength() = 0;
  virtual HRESULT SetActualDataLength(LONG length) = 0;
  virtual HRESULT GetMediaType(AM_MEDIA_TYPE** type) = 0;
  virtual HRESULT SetMediaType(AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT IsDiscontinuity() = 0;
  virtual HRESULT SetDiscontinuity(BOOL discontinuity) = 0;
  virtual HRESULT GetMediaTime(LONGLONG* start, LONGLONG* end) = 0;
  virtual HRESULT SetMediaTime(LONGLONG* start, LONGLONG* end) = 0;
  PLAT_DSHOW_INTERFACE(IMediaSample)
};

struct IMediaSample2 : IMediaSample {
  virtual HRESULT GetProperties(DWORD size, BYTE* properties) = 0;
  virtual HRESULT SetProperties(DWORD size, const BYTE* properties) = 0;
  PLAT_DSHOW_INTERFACE(IMediaSample2)
};

struct IMemAllocator : IUnknown {
  virtual HRESULT SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) = 0;
  virtual HRESULT GetProperties(ALLOCATOR_PROPERTIES* props) = 0;
  virtual HRESULT Commit() = 0;
  virtual HRESULT Decommit() = 0;
  virtual HRESULT GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop, DWORD flags) = 0;
  virtual HRESULT ReleaseBuffer(IMediaSample* sample) = 0;
  PLAT_DSHOW_INTERFACE(IMemAllocator)
};

struct IMemAllocatorNotifyCallbackTemp : IUnknown {
  virtual HRESULT NotifyRelease() = 0;
  PLAT_DSHOW_INTERFACE(IMemAllocatorNotifyCallbackTemp)
};

struct IMemAllocatorCallbackTemp : IMemAllocator {
  virtual HRESULT SetNotify(IMemAllocatorNotifyCallbackTemp* notify) = 0;
  virtual HRESULT GetFreeCount(LONG* free) = 0;
  PLAT_DSHOW_INTERFACE(IMemAllocatorCallbackTemp)
};

struct IMemInputPin : IUnknown {
  virtual HRESULT GetAllocator(IMemAllocator** allocator) = 0;
  virtual HRESULT NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) = 0;
  virtual HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES* props) = 0;
  virtual HRESULT Receive(IMediaSample* sample) = 0;
  virtual HRESULT ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) = 0;
  virtual HRESULT ReceiveCanBlock() = 0;
  PLAT_DSHOW_INTERFACE(IMemInputPin)
};

// Pull-mode reading of a byte stream; times of the samples are byte positions * 10^7.
struct IAsyncReader : IUnknown {
  virtual HRESULT RequestAllocator(IMemAllocator* preferred, ALLOCATOR_PROPERTIES* props, IMemAllocator** actual) = 0;
  virtual HRESULT Request(IMediaSample* sample, DWORD_PTR user) = 0;
  virtual HRESULT WaitForNext(DWORD milliseconds, IMediaSample** sample, DWORD_PTR* user) = 0;
  virtual HRESULT SyncReadAligned(IMediaSample* sample) = 0;
  virtual HRESULT SyncRead(LONGLONG position, LONG length, BYTE* buffer) = 0;
  virtual HRESULT Length(LONGLONG* total, LONGLONG* available) = 0;
  virtual HRESULT BeginFlush() = 0;
  virtual HRESULT EndFlush() = 0;
  PLAT_DSHOW_INTERFACE(IAsyncReader)
};

struct IMediaSeeking : IUnknown {
  virtual HRESULT GetCapabilities(DWORD* capabilities) = 0;
  virtual HRESULT CheckCapabilities(DWORD* capabilities) = 0;
  virtual HRESULT IsFormatSupported(const GUID* format) = 0;
  virtual HRESULT QueryPreferredFormat(GUID* format) = 0;
  virtual HRESULT GetTimeFormat(GUID* format) = 0;
  virtual HRESULT IsUsingTimeFormat(const GUID* format) = 0;
  virtual HRESULT SetTimeFormat(const GUID* format) = 0;
  virtual HRESULT GetDuration(LONGLONG* duration) = 0;
  virtual HRESULT GetStopPosition(LONGLONG* stop) = 0;
  virtual HRESULT GetCurrentPosition(LONGLONG* current) = 0;
  virtual HRESULT ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                    const GUID* sourceFormat) = 0;
  virtual HRESULT SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) = 0;
  virtual HRESULT GetPositions(LONGLONG* current, LONGLONG* stop) = 0;
  virtual HRESULT GetAvailable(LONGLONG* earliest, LONGLONG* latest) = 0;
  virtual HRESULT SetRate(double rate) = 0;
  virtual HRESULT GetRate(double* rate) = 0;
  virtual HRESULT GetPreroll(LONGLONG* preroll) = 0;
  PLAT_DSHOW_INTERFACE(IMediaSeeking)
};

struct IMediaPosition : IDispatch {
  virtual HRESULT get_Duration(REFTIME* length) = 0;
  virtual HRESULT put_CurrentPosition(REFTIME time) = 0;
  virtual HRESULT get_CurrentPosition(REFTIME* time) = 0;
  virtual HRESULT get_StopTime(REFTIME* time) = 0;
  virtual HRESULT put_StopTime(REFTIME time) = 0;
  virtual HRESULT get_PrerollTime(REFTIME* time) = 0;
  virtual HRESULT put_PrerollTime(REFTIME time) = 0;
  virtual HRESULT put_Rate(double rate) = 0;
  virtual HRESULT get_Rate(double* rate) = 0;
  virtual HRESULT CanSeekForward(LONG* can) = 0;
  virtual HRESULT CanSeekBackward(LONG* can) = 0;
  PLAT_DSHOW_INTERFACE(IMediaPosition)
};

struct IMediaEventSink : IUnknown {
  virtual HRESULT Notify(LONG code, LONG_PTR param1, LONG_PTR param2) = 0;
  PLAT_DSHOW_INTERFACE(IMediaEventSink)
};

struct IFilterGraph : IUnknown {
  virtual HRESULT AddFilter(IBaseFilter* filter, const WCHAR* name) = 0;
  virtual HRESULT RemoveFilter(IBaseFilter* filter) = 0;
  virtual HRESULT EnumFilters(IEnumFilters** filters) = 0;
  virtual HRESULT FindFilterByName(const WCHAR* name, IBaseFilter** filter) = 0;
  virtual HRESULT ConnectDirect(IPin* out, IPin* in, const AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT Reconnect(IPin* pin) = 0;
  virtual HRESULT Disconnect(IPin* pin) = 0;
  virtual HRESULT SetDefaultSyncSource() = 0;
  PLAT_DSHOW_INTERFACE(IFilterGraph)
};

struct IGraphBuilder : IFilterGraph {
  virtual HRESULT Connect(IPin* out, IPin* in) = 0;
  virtual HRESULT Render(IPin* out) = 0;
  virtual HRESULT RenderFile(const WCHAR* file, const WCHAR* playList) = 0;
  virtual HRESULT AddSourceFilter(const WCHAR* file, const WCHAR* name, IBaseFilter** filter) = 0;
  virtual HRESULT SetLogFile(DWORD_PTR file) = 0;
  virtual HRESULT Abort() = 0;
  virtual HRESULT ShouldOperationContinue() = 0;
  PLAT_DSHOW_INTERFACE(IGraphBuilder)
};

// Monikers and bind contexts are never made here; the slot only keeps the order.
struct IMoniker;
struct IBindCtx;

struct IFilterGraph2 : IGraphBuilder {
  virtual HRESULT AddSourceFilterForMoniker(IMoniker* moniker, IBindCtx* context, const WCHAR* name,
                                            IBaseFilter** filter) = 0;
  virtual HRESULT ReconnectEx(IPin* pin, const AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT RenderEx(IPin* out, DWORD flags, DWORD* context) = 0;
  PLAT_DSHOW_INTERFACE(IFilterGraph2)
};

struct IMediaControl : IDispatch {
  virtual HRESULT Run() = 0;
  virtual HRESULT Pause() = 0;
  virtual HRESULT Stop() = 0;
  virtual HRESULT GetState(LONG milliseconds, LONG* state) = 0;
  virtual HRESULT RenderFile(WCHAR* file) = 0;
  virtual HRESULT AddSourceFilter(WCHAR* file, IDispatch** filter) = 0;
  virtual HRESULT get_FilterCollection(IDispatch** filters) = 0;
  virtual HRESULT get_RegFilterCollection(IDispatch** filters) = 0;
  virtual HRESULT StopWhenReady() = 0;
  PLAT_DSHOW_INTERFACE(IMediaControl)
};

struct IMediaEvent : IDispatch {
  virtual HRESULT GetEventHandle(LONG_PTR* event) = 0;
  virtual HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG milliseconds) = 0;
  virtual HRESULT WaitForCompletion(LONG milliseconds, LONG* code) = 0;
  virtual HRESULT CancelDefaultHandling(LONG code) = 0;
  virtual HRESULT RestoreDefaultHandling(LONG code) = 0;
  virtual HRESULT FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) = 0;
  PLAT_DSHOW_INTERFACE(IMediaEvent)
};

struct IMediaEventEx : IMediaEvent {
  virtual HRESULT SetNotifyWindow(LONG_PTR window, LONG message, LONG_PTR instance) = 0;
  virtual HRESULT SetNotifyFlags(LONG flags) = 0;
  virtual HRESULT GetNotifyFlags(LONG* flags) = 0;
  PLAT_DSHOW_INTERFACE(IMediaEventEx)
};

struct IBasicAudio : IDispatch {
  virtual HRESULT put_Volume(LONG volume) = 0;
  virtual HRESULT get_Volume(LONG* volume) = 0;
  virtual HRESULT put_Balance(LONG balance) = 0;
  virtual HRESULT get_Balance(LONG* balance) = 0;
  PLAT_DSHOW_INTERFACE(IBasicAudio)
};

// The byte stream a file writer offers; only the calls a filter of ours makes are
// declared, in the platform's slot order up to the last of them.
struct ISequentialStream : IUnknown {
  virtual HRESULT Read(void* buffer, ULONG bytes, ULONG* read) = 0;
  virtual HRESULT Write(const void* buffer, ULONG bytes, ULONG* written) = 0;
  PLAT_DSHOW_INTERFACE(ISequentialStream)
};

constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

struct IStream : ISequentialStream {
  virtual HRESULT Seek(LONGLONG move, DWORD origin, std::uint64_t* position) = 0;
  PLAT_DSHOW_INTERFACE(IStream)
};

struct ISeekingPassThru : IUnknown {
  virtual HRESULT Init(BOOL supportRendering, IPin* pin) = 0;
  PLAT_DSHOW_INTERFACE(ISeekingPassThru)
};

#undef PLAT_DSHOW_INTERFACE

// ---- identifiers ----
extern const IID IID_IPersist;
extern const IID IID_IMediaFilter;
extern const IID IID_IBaseFilter;
extern const IID IID_IAMovieSetup;
extern const IID IID_IReferenceClock;
extern const IID IID_IPin;
extern const IID IID_IQualityControl;
extern const IID IID_IEnumPins;
extern const IID IID_IEnumMediaTypes;
extern const IID IID_IEnumFilters;
extern const IID IID_IMediaSample;
extern const IID IID_IMediaSample2;
extern const IID IID_IMemAllocator;
extern const IID IID_IMemAllocatorCallbackTemp;
extern const IID IID_IMemAllocatorNotifyCallbackTemp;
extern const IID IID_IMemInputPin;
extern const IID IID_IAsyncReader;
extern const IID IID_IMediaSeeking;
extern const IID IID_IMediaPosition;
extern const IID IID_IMediaEventSink;
extern const IID IID_IFilterGraph;
extern const IID IID_IGraphBuilder;
extern const IID IID_IFilterGraph2;
extern const IID IID_IMediaControl;
extern const IID IID_IMediaEvent;
extern const IID IID_IMediaEventEx;
extern const IID IID_IBasicAudio;
extern const IID IID_ISeekingPassThru;
extern const IID IID_IStream;
extern const GUID LIBID_QuartzTypeLib;  // the control type library
extern const GUID TIME_FORMAT_MEDIA_TIME;
extern const GUID GUID_NULL;
extern const CLSID CLSID_MemoryAllocator;
extern const CLSID CLSID_FilterGraph;
extern const CLSID CLSID_SystemClock;
extern const CLSID CLSID_NullRenderer;
extern const CLSID CLSID_SeekingPassThru;
extern const CLSID CLSID_AsyncReader;
extern const GUID MEDIATYPE_Stream;
extern const GUID MEDIASUBTYPE_MPEG1Audio;
extern const GUID MEDIASUBTYPE_WAVE;
extern const GUID MEDIATYPE_Audio;
extern const GUID MEDIASUBTYPE_PCM;
extern const GUID FORMAT_WaveFormatEx;
// What the file source names content it does not recognise; the movie source takes it.
extern const GUID MEDIASUBTYPE_GenericStream;

// The filter mapper: filters registered with the media types their pins take, found by
// those types. Only the parts the media layer's registration calls are declared.
constexpr DWORD REG_PINFLAG_B_OUTPUT = 0x8;
struct REGPINTYPES {
  const CLSID* clsMajorType;
  const CLSID* clsMinorType;
};
struct REGFILTERPINS2 {
  DWORD dwFlags;
  DWORD cInstances;
  DWORD nMediaTypes;
  const REGPINTYPES* lpMediaType;
};
struct REGFILTER2 {
  DWORD dwVersion;  // 2: the pins are REGFILTERPINS2
  DWORD dwMerit;
  ULONG cPins2;
  const REGFILTERPINS2* rgPins2;
};
struct IFilterMapper2 : win::IUnknown {
  virtual HRESULT RegisterFilter(const CLSID& filter, const WCHAR* name, void** moniker, const CLSID* category,
                                 const WCHAR* instance, const REGFILTER2* data) = 0;
  virtual HRESULT UnregisterFilter(const CLSID* category, const WCHAR* instance, const CLSID& filter) = 0;
  // The registered filters with an input pin (or, with wantOutput, an output pin) that
  // takes the type, highest merit first; a null GUID_NULL part matches any. S_FALSE
  // when none does.
  virtual HRESULT EnumMatchingFilters(std::vector<CLSID>* found, DWORD minMerit, BOOL wantOutput, const GUID& major,
                                      const GUID& minor) = 0;

 protected:
  ~IFilterMapper2() = default;
};
extern const CLSID CLSID_FilterMapper2;
extern const IID IID_IFilterMapper2;

}  // namespace plat::dshow
