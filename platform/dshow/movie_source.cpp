// The movie source filter, standing in for the platform's splitters and video decoders:
// its input pin takes the file source's generic stream through IAsyncReader, the movie
// decoder opens the accepted containers, and its video pin delivers uncompressed frames
// stamped from the stream's timestamps; it answers seeking for the renderers downstream.
#include <array>
#include <atomic>
#include <cstring>
#include <thread>

#include "platform/dshow/filter_parts.h"
#include "platform/dshow/movie_decode.h"
#include "platform/dshow/system_filters.h"
#include "platform/win/gdi.h"
#include "platform/win/win_window.h"

namespace plat::dshow {

const CLSID CLSID_MovieSourceStandIn = {0x5B2C7E11, 0x41D3, 0x4A8E, {0x9C, 0x3F, 0x48, 0x61, 0x6C, 0x76, 0x6D, 0x6F}};
const GUID MEDIATYPE_Video = {0x73646976, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
const GUID FORMAT_VideoInfo = {0x05589F80, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};

namespace {

using win::E_INVALIDARG;
using win::E_NOTIMPL;
using win::E_POINTER;
using win::S_FALSE;
using win::S_OK;

constexpr DWORD kSeekingCapabilities = 0x3F;  // absolute, forwards, backwards, current, stop, duration
constexpr DWORD kPositioningMask = 3;
constexpr DWORD kAbsolutePositioning = 1;
constexpr DWORD kRelativePositioning = 2;

std::atomic<int> layoutMask{(1 << kMovieLayoutCount) - 1};

struct VideoInfoHeader {
  win::RECT rcSource;
  win::RECT rcTarget;
  DWORD dwBitRate;
  DWORD dwBitErrorRate;
  REFERENCE_TIME AvgTimePerFrame;
  win::BITMAPINFOHEADER bmiHeader;
};

constexpr DWORD fourCC(char a, char b, char c, char d) {
  return DWORD(BYTE(a)) | DWORD(BYTE(b)) << 8 | DWORD(BYTE(c)) << 16 | DWORD(BYTE(d)) << 24;
}

GUID layoutSubtype(MovieLayout layout) {
  static const DWORD codes[kMovieLayoutCount] = {fourCC('Y', 'V', '1', '2'), fourCC('N', 'V', '1', '2'),
                                                 fourCC('Y', 'U', 'Y', '2'), fourCC('U', 'Y', 'V', 'Y'), 0, 0};
  if (layout == MovieLayout::RGB32) return {0xE436EB7E, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
  if (layout == MovieLayout::RGB24) return {0xE436EB7D, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
  return {codes[int(layout)], 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}

class MovieInput final : public StandInPin {
 public:
  explicit MovieInput(StandInFilter* filter) : StandInPin(filter, u"In", PINDIR_INPUT) {}
  ~MovieInput() override { breakConnect(); }
  IAsyncReader* reader = nullptr;
  std::unique_ptr<MovieDecoder> decoder;

 protected:
  HRESULT checkType(const AM_MEDIA_TYPE& type) override {
    return type.majortype == MEDIATYPE_Stream && type.subtype == MEDIASUBTYPE_GenericStream ? S_OK : S_FALSE;
  }
  HRESULT completeConnect(IPin* peer) override {
    void* face = nullptr;
    if (peer->QueryInterface(IID_IAsyncReader, &face) != S_OK || face == nullptr) return win::E_NOINTERFACE;
    reader = static_cast<IAsyncReader*>(face);
    LONGLONG total = 0, available = 0;
    reader->Length(&total, &available);
    IAsyncReader* source = reader;
    decoder = MovieDecoder::Open(
        [source](std::int64_t position, int size, std::uint8_t* buffer) {
          LONGLONG length = 0, ready = 0;
          source->Length(&length, &ready);
          if (position >= length) return 0;
          if (size > length - position) size = static_cast<int>(length - position);
          return source->SyncRead(position, size, buffer) < 0 ? -1 : size;
        },
        total);
    if (decoder == nullptr) {
      breakConnect();
      return VFW_E_TYPE_NOT_ACCEPTED;
    }
    return S_OK;
  }
  void breakConnect() override {
    decoder.reset();
    if (reader != nullptr) reader->Release();
    reader = nullptr;
  }
};

class MovieSourceFilter;

class VideoOutput final : public StandInPin, public IMediaSeeking {
 public:
  VideoOutput(MovieSourceFilter* filter, MovieInput* input);
  ~VideoOutput() override { breakConnect(); }
  IMemInputPin* memInput = nullptr;
  IMemAllocator* allocator = nullptr;
  MovieLayout layout = MovieLayout::RGB32;
  IPin* peer() { return peer_; }

  HRESULT QueryInterface(const IID& iid, void** out) override { return StandInPin::QueryInterface(iid, out); }
  ULONG AddRef() override { return StandInPin::AddRef(); }
  ULONG Release() override { return StandInPin::Release(); }

  HRESULT GetCapabilities(DWORD* capabilities) override {
    if (capabilities == nullptr) return E_POINTER;
    *capabilities = kSeekingCapabilities;
    return S_OK;
  }
  HRESULT CheckCapabilities(DWORD* capabilities) override {
    if (capabilities == nullptr) return E_POINTER;
    const DWORD asked = *capabilities;
    *capabilities &= kSeekingCapabilities;
    return *capabilities == asked ? S_OK : (*capabilities != 0 ? S_FALSE : win::E_FAIL);
  }
  HRESULT IsFormatSupported(const GUID* format) override {
    if (format == nullptr) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
  }
  HRESULT QueryPreferredFormat(GUID* format) override { return GetTimeFormat(format); }
  HRESULT GetTimeFormat(GUID* format) override {
    if (format == nullptr) return E_POINTER;
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
  }
  HRESULT IsUsingTimeFormat(const GUID* format) override { return IsFormatSupported(format); }
  HRESULT SetTimeFormat(const GUID* format) override {
    if (format == nullptr) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : E_INVALIDARG;
  }
  HRESULT GetDuration(LONGLONG* duration) override;
  HRESULT GetStopPosition(LONGLONG* stop) override;
  HRESULT GetCurrentPosition(LONGLONG* current) override;
  HRESULT ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                            const GUID* sourceFormat) override {
    if (target == nullptr) return E_POINTER;
    const bool ours = (targetFormat == nullptr || *targetFormat == TIME_FORMAT_MEDIA_TIME) &&
                      (sourceFormat == nullptr || *sourceFormat == TIME_FORMAT_MEDIA_TIME);
    if (!ours) return E_INVALIDARG;
    *target = source;
    return S_OK;
  }
  HRESULT SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) override;
  HRESULT GetPositions(LONGLONG* current, LONGLONG* stop) override {
    if (current != nullptr) GetCurrentPosition(current);
    if (stop != nullptr) GetStopPosition(stop);
    return S_OK;
  }
  HRESULT GetAvailable(LONGLONG* earliest, LONGLONG* latest) override {
    if (earliest != nullptr) *earliest = 0;
    return latest != nullptr ? GetDuration(latest) : S_OK;
  }
  HRESULT SetRate(double rate) override { return rate == 1.0 ? S_OK : E_NOTIMPL; }
  HRESULT GetRate(double* rate) override {
    if (rate == nullptr) return E_POINTER;
    *rate = 1.0;
    return S_OK;
  }
  HRESULT GetPreroll(LONGLONG* preroll) override {
    if (preroll == nullptr) return E_POINTER;
    *preroll = 0;
    return S_OK;
  }

 protected:
  HRESULT checkType(const AM_MEDIA_TYPE& type) override {
    for (const AM_MEDIA_TYPE& offered : offeredTypes()) {
      if (!(type.majortype == offered.majortype) || !(type.subtype == offered.subtype) ||
          !(type.formattype == FORMAT_VideoInfo) || type.cbFormat < sizeof(VideoInfoHeader) || type.pbFormat == nullptr)
        continue;
      const auto* asked = reinterpret_cast<const VideoInfoHeader*>(type.pbFormat);
      const auto* ours = reinterpret_cast<const VideoInfoHeader*>(offered.pbFormat);
      if (asked->bmiHeader.biWidth == ours->bmiHeader.biWidth && asked->bmiHeader.biHeight == ours->bmiHeader.biHeight)
        return S_OK;
    }
    return S_FALSE;
  }
  std::vector<AM_MEDIA_TYPE> offeredTypes() override {
    std::vector<AM_MEDIA_TYPE> types;
    MovieDecoder* decoder = input_->decoder.get();
    if (decoder == nullptr) return types;
    const int w = decoder->width(), h = decoder->height();
    const int mask = layoutMask.load();
    for (int i = 0; i < kMovieLayoutCount; ++i) {
      const auto layout = static_cast<MovieLayout>(i);
      const bool rgb = layout == MovieLayout::RGB32 || layout == MovieLayout::RGB24;
      if (!(mask & (1 << i)) || (!rgb && (w % 2 != 0 || h % 2 != 0))) continue;
      static const win::WORD bits[kMovieLayoutCount] = {12, 12, 16, 16, 32, 24};
      VideoInfoHeader& info = formats_[i];
      info = VideoInfoHeader{};
      info.rcSource = info.rcTarget = win::RECT{0, 0, w, h};
      info.AvgTimePerFrame = decoder->frameDuration();
      info.bmiHeader.biSize = sizeof(win::BITMAPINFOHEADER);
      info.bmiHeader.biWidth = w;
      info.bmiHeader.biHeight = h;  // positive: RGB rows come last row first
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = bits[i];
      const GUID subtype = layoutSubtype(layout);
      info.bmiHeader.biCompression = rgb ? 0 : subtype.Data1;
      info.bmiHeader.biSizeImage = static_cast<DWORD>(decoder->frameBytes(layout));
      AM_MEDIA_TYPE type{};
      type.majortype = MEDIATYPE_Video;
      type.subtype = subtype;
      type.bFixedSizeSamples = 1;
      type.lSampleSize = info.bmiHeader.biSizeImage;
      type.formattype = FORMAT_VideoInfo;
      type.cbFormat = sizeof(VideoInfoHeader);
      type.pbFormat = reinterpret_cast<BYTE*>(&info);
      types.push_back(type);
    }
    return types;
  }
  HRESULT completeConnect(IPin* peer) override {
    for (int i = 0; i < kMovieLayoutCount; ++i)
      if (type_.subtype == layoutSubtype(static_cast<MovieLayout>(i))) layout = static_cast<MovieLayout>(i);
    const LONG bytes = static_cast<LONG>(input_->decoder->frameBytes(layout));
    return ConnectPushAllocator(peer, 3, bytes, bytes, &memInput, &allocator);
  }
  void breakConnect() override {
    if (memInput != nullptr) memInput->Release();
    if (allocator != nullptr) allocator->Release();
    memInput = nullptr;
    allocator = nullptr;
  }
  HRESULT queryOther(const IID& iid, void** out) override {
    if (iid == IID_IMediaSeeking) {
      AddRef();
      *out = static_cast<IMediaSeeking*>(this);
      return S_OK;
    }
    return StandInPin::queryOther(iid, out);
  }

 private:
  MovieSourceFilter* const source_;
  MovieInput* const input_;
  std::array<VideoInfoHeader, kMovieLayoutCount> formats_{};
};

class MovieSourceFilter final : public StandInFilter {
 public:
  MovieSourceFilter() : StandInFilter(CLSID_MovieSourceStandIn) {
    auto input = std::make_unique<MovieInput>(this);
    auto output = std::make_unique<VideoOutput>(this, input.get());
    addPin(std::move(input));
    addPin(std::move(output));
  }

  MovieDecoder* decoder() { return in()->decoder.get(); }
  LONGLONG duration() {
    MovieDecoder* d = decoder();
    return d != nullptr ? d->duration() : 0;
  }
  // Without the seek lock: a renderer asks it from its end of stream, under its own lock,
  // which a seek takes (by flushing) while holding the seek lock.
  LONGLONG stopPosition() {
    const LONGLONG stop = stop_.load();
    return stop >= 0 ? stop : duration();
  }
  LONGLONG currentPosition() const { return current_.load(); }

  // Moves the start and stop of the stream; a running stream is flushed and starts again
  // at the new position, its time stamps going on from the last one delivered.
  HRESULT setPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) {
    if (decoder() == nullptr) return VFW_E_NOT_CONNECTED;
    std::lock_guard guard(seekLock_);
    const DWORD moveCurrent = currentFlags & kPositioningMask, moveStop = stopFlags & kPositioningMask;
    if ((moveCurrent != 0 && current == nullptr) || (moveStop != 0 && stop == nullptr)) return E_POINTER;
    if (moveStop == kAbsolutePositioning) stop_ = *stop;
    if (moveStop == kRelativePositioning) stop_ = stopPosition() + *stop;
    if (moveCurrent == 0) return S_OK;
    LONGLONG to = moveCurrent == kRelativePositioning ? current_.load() + *current : *current;
    if (to < 0) to = 0;
    const bool streaming = thread_.joinable();
    if (streaming) stopThread(true);
    decoder()->seek(to);
    segmentStart_ = to;
    current_ = to;
    if (streaming) startThread();
    return S_OK;
  }

 protected:
  ~MovieSourceFilter() override {
    std::lock_guard guard(seekLock_);
    stopThread(false);
  }

  HRESULT stateChanged(FILTER_STATE from, FILTER_STATE to) override {
    std::lock_guard guard(seekLock_);
    if (from == State_Stopped && to != State_Stopped) {
      if (in()->decoder == nullptr || out()->memInput == nullptr) return S_OK;
      const HRESULT hr = out()->allocator->Commit();
      if (hr != S_OK) return hr;
      nextStamp_ = 0;
      startThread();
    }
    if (to == State_Stopped && thread_.joinable()) {
      stopThread(false);
      // The next run starts where this one stopped.
      decoder()->seek(current_);
      segmentStart_ = current_;
    }
    return S_OK;
  }

 private:
  MovieInput* in() { return static_cast<MovieInput*>(pins_[0].get()); }
  VideoOutput* out() { return static_cast<VideoOutput*>(pins_[1].get()); }

  void startThread() {
    stopping_ = false;
    out()->allocator->Commit();
    const LONGLONG stop = stopPosition();
    out()->peer()->NewSegment(segmentStart_, stop, 1.0);
    thread_ = std::thread([this, stop] { stream(stop); });
  }

  // Stops the streaming thread; a flush lets the renderer drop what it holds.
  void stopThread(bool flush) {
    stopping_ = true;
    IPin* peer = out()->peer();
    if (flush && peer != nullptr) peer->BeginFlush();
    if (out()->allocator != nullptr) out()->allocator->Decommit();
    if (thread_.joinable()) thread_.join();
    if (flush && peer != nullptr) peer->EndFlush();
  }

  void stream(LONGLONG stop) {
    MovieDecoder* decoder = in()->decoder.get();
    VideoOutput* output = out();
    const LONGLONG frame = decoder->frameDuration();
    const REFERENCE_TIME base = nextStamp_;
    LONGLONG firstStart = -1;
    while (!stopping_) {
      LONGLONG start = 0;
      if (!decoder->nextFrame(&start) || start >= stop) break;
      IMediaSample* sample = nullptr;
      if (output->allocator->GetBuffer(&sample, nullptr, nullptr, 0) != S_OK) return;
      BYTE* bytes = nullptr;
      sample->GetPointer(&bytes);
      const std::size_t size = decoder->frameBytes(output->layout);
      if (bytes == nullptr || static_cast<std::size_t>(sample->GetSize()) < size) {
        sample->Release();
        notify(EC_ERRORABORT, VFW_E_BUFFER_OVERFLOW, 0);
        return;
      }
      decoder->convert(output->layout, bytes);
      sample->SetActualDataLength(static_cast<LONG>(size));
      const bool first = firstStart < 0;
      if (first) firstStart = start;
      REFERENCE_TIME from = base + (start - firstStart);
      REFERENCE_TIME to = from + frame;
      sample->SetTime(&from, &to);
      sample->SetSyncPoint(1);
      sample->SetDiscontinuity(first);
      const HRESULT hr = output->memInput->Receive(sample);
      sample->Release();
      if (hr != S_OK) return;
      nextStamp_ = to;
      current_ = start + frame;
    }
    if (stopping_) return;
    const LONGLONG end = duration();
    current_ = stop < end || end == 0 ? stop : end;
    output->peer()->EndOfStream();
  }

  std::recursive_mutex seekLock_;  // positions, the decoder and the thread between seeks and state changes
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  std::atomic<LONGLONG> current_{0};
  std::atomic<LONGLONG> stop_{-1};  // -1: the duration
  LONGLONG segmentStart_ = 0;
  // The streaming thread's own, kept across seeks so that time stamps go on.
  REFERENCE_TIME nextStamp_ = 0;
};

VideoOutput::VideoOutput(MovieSourceFilter* filter, MovieInput* input)
    : StandInPin(filter, u"Video", PINDIR_OUTPUT), source_(filter), input_(input) {}

HRESULT VideoOutput::GetDuration(LONGLONG* duration) {
  if (duration == nullptr) return E_POINTER;
  if (input_->decoder == nullptr) return VFW_E_NOT_CONNECTED;
  *duration = source_->duration();
  return S_OK;
}
HRESULT VideoOutput::GetStopPosition(LONGLONG* stop) {
  if (stop == nullptr) return E_POINTER;
  if (input_->decoder == nullptr) return VFW_E_NOT_CONNECTED;
  *stop = source_->stopPosition();
  return S_OK;
}
HRESULT VideoOutput::GetCurrentPosition(LONGLONG* current) {
  if (current == nullptr) return E_POINTER;
  if (input_->decoder == nullptr) return VFW_E_NOT_CONNECTED;
  *current = source_->currentPosition();
  return S_OK;
}
HRESULT VideoOutput::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) {
  return source_->setPositions(current, currentFlags, stop, stopFlags);
}

}  // namespace

void SetMovieSourceLayoutsForTest(int mask) { layoutMask = mask != 0 ? mask : (1 << kMovieLayoutCount) - 1; }

HRESULT CreateMovieSource(IBaseFilter** filter) {
  if (filter == nullptr) return E_POINTER;
  *filter = new MovieSourceFilter;
  return S_OK;
}

}  // namespace plat::dshow
