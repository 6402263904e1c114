// Interface and format identifiers of the filter-graph interfaces.
#include "platform/dshow/interfaces.h"

namespace plat::dshow {

namespace {
constexpr BYTE kQuartz[8] = {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70};
constexpr GUID quartz(DWORD first) {
  return {first, 0x0AD4, 0x11CE, {kQuartz[0], kQuartz[1], kQuartz[2], kQuartz[3], kQuartz[4], kQuartz[5], kQuartz[6], kQuartz[7]}};
}
constexpr GUID seeking(DWORD first) { return {first, 0xC2C8, 0x11CF, {0x8B, 0x46, 0x00, 0x80, 0x5F, 0x6C, 0xEF, 0x60}}; }
constexpr GUID stream(DWORD first) { return {first, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}}; }
}  // namespace

const IID IID_IPersist = {0x0000010C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IMediaFilter = quartz(0x56A86899);
const IID IID_IBaseFilter = quartz(0x56A86895);
const IID IID_IAMovieSetup = {0xA3D8CEC0, 0x7E5A, 0x11CF, {0xBB, 0xC5, 0x00, 0x80, 0x5F, 0x6C, 0xEF, 0x20}};
const IID IID_IReferenceClock = quartz(0x56A86897);
const IID IID_IPin = quartz(0x56A86891);
const IID IID_IQualityControl = quartz(0x56A868A5);
const IID IID_IEnumPins = quartz(0x56A86892);
const IID IID_IEnumMediaTypes = {0x89C31040, 0x846B, 0x11CE, {0x97, 0xD3, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
const IID IID_IEnumFilters = quartz(0x56A86893);
const IID IID_IMediaSample = quartz(0x56A8689A);
const IID IID_IMediaSample2 = seeking(0x36B73884);
const IID IID_IMemAllocator = quartz(0x56A8689C);
const IID IID_IMemAllocatorCallbackTemp = {0x379A0CF0, 0xC1DE, 0x11D2, {0xAB, 0xF5, 0x00, 0xA0, 0xC9, 0x05, 0xF3, 0x75}};
const IID IID_IMemAllocatorNotifyCallbackTemp = {0x92980B30, 0xC1DE, 0x11D2,
                                                 {0xAB, 0xF5, 0x00, 0xA0, 0xC9, 0x05, 0xF3, 0x75}};
const IID IID_IMemInputPin = quartz(0x56A8689D);
const IID IID_IAsyncReader = quartz(0x56A868AA);
const IID IID_IMediaSeeking = seeking(0x36B73880);
const IID IID_IMediaPosition = quartz(0x56A868B2);
const IID IID_IMediaEventSink = quartz(0x56A868A2);
const IID IID_IFilterGraph = quartz(0x56A8689F);
const IID IID_IGraphBuilder = quartz(0x56A868A9);
const IID IID_IFilterGraph2 = seeking(0x36B73882);
const IID IID_IMediaControl = quartz(0x56A868B1);
const IID IID_IMediaEvent = quartz(0x56A868B6);
const IID IID_IMediaEventEx = quartz(0x56A868C0);
const IID IID_IBasicAudio = quartz(0x56A868B3);
const IID IID_ISeekingPassThru = seeking(0x36B73883);
const GUID MEDIATYPE_Stream = stream(0xE436EB83);
const GUID MEDIASUBTYPE_MPEG1Audio = stream(0xE436EB87);
const GUID MEDIASUBTYPE_GenericStream = {0x6A1E5D20, 0x3C4B, 0x4F0E, {0x9D, 0x21, 0x48, 0x61, 0x6C, 0x76, 0x6F, 0x72}};
const GUID LIBID_QuartzTypeLib = quartz(0x56A868B0);
const GUID TIME_FORMAT_MEDIA_TIME = {0x7B785574, 0x8C82, 0x11CF, {0xBC, 0x0C, 0x00, 0xAA, 0x00, 0xAC, 0x74, 0xF6}};
const GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

}  // namespace plat::dshow
