// The movie source filter, standing in for the platform's splitters and decoders: its
// input pin takes the file source's generic stream through IAsyncReader, the movie
// decoder opens the accepted containers, its video pin delivers uncompressed frames and
// its audio pin (shown when the movie has sound) PCM, each on a thread of its own and
// stamped from the stream's timestamps; both answer seeking for the renderers downstream.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

#include "platform/dshow/filter_parts.h"
#include "platform/dshow/memory_allocator.h"
#include "platform/dshow/movie_audio.h"
#include "platform/dshow/movie_decode.h"
#include "platform/dshow/streaming_thread.h"
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
constexpr LONG kSoundSampleBytes = 16384;  // one delivered sound sample, at most

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

MovieByteReader readerOver(IAsyncReader* source) {
  return [source](std::int64_t position, int size, std::uint8_t* buffer) {
    LONGLONG length = 0, ready = 0;
    source->Length(&length, &ready);
    if (position >= length) return 0;
    if (size > length - position) size = static_cast<int>(length - position);
    return source->SyncRead(position, size, buffer) < 0 ? -1 : size;
  };
}

class MovieInput final : public StandInPin {
 public:
  explicit MovieInput(StandInFilter* filter) : StandInPin(filter, u"In", PINDIR_INPUT) {}
  ~MovieInput() override { breakConnect(); }
  IAsyncReader* reader = nullptr;
  std::unique_ptr<MovieDecoder> decoder;
  std::unique_ptr<MovieSoundDecoder> sound;  // null for a movie without sound

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
    decoder = MovieDecoder::Open(readerOver(reader), total);
    if (decoder == nullptr) {
      breakConnect();
      return VFW_E_TYPE_NOT_ACCEPTED;
    }
    // The sound is read through a container of its own, so each stream has its own thread.
    if (decoder->hasSoundStream()) sound = MovieSoundDecoder::Open(readerOver(reader), total, decoder->origin());
    return S_OK;
  }
  void breakConnect() override {
    decoder.reset();
    sound.reset();
    if (reader != nullptr) reader->Release();
    reader = nullptr;
  }
};

class MovieSourceFilter;

// An output pin of the source: seeking asked of it is answered by the source, and it
// pushes samples through the peer's IMemInputPin.
class SourceOutput : public StandInPin, public IMediaSeeking {
 public:
  SourceOutput(MovieSourceFilter* filter, MovieInput* input, const WCHAR* name);
  ~SourceOutput() override { breakConnect(); }
  IMemInputPin* memInput = nullptr;
  IMemAllocator* allocator = nullptr;
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

  MovieSourceFilter* const source_;
  MovieInput* const input_;
};

class VideoOutput final : public SourceOutput {
 public:
  VideoOutput(MovieSourceFilter* filter, MovieInput* input) : SourceOutput(filter, input, u"Video") {}
  MovieLayout layout = MovieLayout::RGB32;

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

 private:
  std::array<VideoInfoHeader, kMovieLayoutCount> formats_{};
};

// The sound: 16-bit PCM in the sound decoder's format.
class SoundOutput final : public SourceOutput {
 public:
  SoundOutput(MovieSourceFilter* filter, MovieInput* input) : SourceOutput(filter, input, u"Audio") {}
  audio::WAVEFORMATEX format{};  // the connection's

 protected:
  HRESULT checkType(const AM_MEDIA_TYPE& type) override {
    if (input_->sound == nullptr) return VFW_E_NOT_CONNECTED;
    if (!(type.majortype == MEDIATYPE_Audio) || !(type.subtype == MEDIASUBTYPE_PCM) ||
        !(type.formattype == FORMAT_WaveFormatEx) || type.cbFormat < sizeof(audio::WAVEFORMATEX) ||
        type.pbFormat == nullptr)
      return S_FALSE;
    audio::WAVEFORMATEX asked;
    std::memcpy(&asked, type.pbFormat, sizeof asked);
    const audio::WAVEFORMATEX& ours = input_->sound->format();
    return asked.wFormatTag == ours.wFormatTag && asked.nChannels == ours.nChannels &&
                   asked.nSamplesPerSec == ours.nSamplesPerSec && asked.wBitsPerSample == ours.wBitsPerSample
               ? S_OK
               : S_FALSE;
  }
  std::vector<AM_MEDIA_TYPE> offeredTypes() override {
    if (input_->sound == nullptr) return {};
    offered_ = input_->sound->format();
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Audio;
    type.subtype = MEDIASUBTYPE_PCM;
    type.bFixedSizeSamples = 1;
    type.lSampleSize = offered_.nBlockAlign;
    type.formattype = FORMAT_WaveFormatEx;
    type.cbFormat = sizeof(audio::WAVEFORMATEX);
    type.pbFormat = reinterpret_cast<BYTE*>(&offered_);
    return {type};
  }
  HRESULT completeConnect(IPin* peer) override {
    format = input_->sound->format();
    return ConnectPushAllocator(peer, 4, kSoundSampleBytes, format.nBlockAlign, &memInput, &allocator);
  }

 private:
  audio::WAVEFORMATEX offered_{};
};

class MovieSourceFilter final : public StandInFilter {
 public:
  MovieSourceFilter() : StandInFilter(CLSID_MovieSourceStandIn) {
    auto input = std::make_unique<MovieInput>(this);
    auto video = std::make_unique<VideoOutput>(this, input.get());
    auto sound = std::make_unique<SoundOutput>(this, input.get());
    addPin(std::move(input));
    addPin(std::move(video));
    addPin(std::move(sound));
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
  // at the new position, its time stamps going on from the last picture delivered. The
  // graph asks every renderer, so the change comes through both outputs: the picture's
  // moves both streams, and the sound's only when there is no picture connection.
  HRESULT setPositions(SourceOutput* asked, LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) {
    if (decoder() == nullptr) return VFW_E_NOT_CONNECTED;
    if (asked == sound() && video()->connected()) return S_OK;
    std::lock_guard guard(seekLock_);
    const DWORD moveCurrent = currentFlags & kPositioningMask, moveStop = stopFlags & kPositioningMask;
    if ((moveCurrent != 0 && current == nullptr) || (moveStop != 0 && stop == nullptr)) return E_POINTER;
    if (moveStop == kAbsolutePositioning) stop_ = *stop;
    if (moveStop == kRelativePositioning) stop_ = stopPosition() + *stop;
    if (moveCurrent == 0) return S_OK;
    LONGLONG to = moveCurrent == kRelativePositioning ? current_.load() + *current : *current;
    if (to < 0) to = 0;
    const bool streaming = pictureThread_.joinable() || soundThread_.joinable();
    if (streaming) stopThreads(true);
    seekTo(to);
    return streaming ? startThreads() : S_OK;
  }

 protected:
  ~MovieSourceFilter() override {
    std::lock_guard guard(seekLock_);
    stopThreads(false);
  }

  HRESULT stateChanged(FILTER_STATE from, FILTER_STATE to) override {
    std::lock_guard guard(seekLock_);
    if (from == State_Stopped && to != State_Stopped) {
      if (in()->decoder == nullptr) return S_OK;
      nextStamp_ = 0;
      return startThreads();
    }
    if (to == State_Stopped && (pictureThread_.joinable() || soundThread_.joinable())) {
      stopThreads(false);
      // The next run starts where this one stopped.
      seekTo(current_);
    }
    return S_OK;
  }

  // The audio pin is there only for a movie with sound (or while it is still connected).
  bool pinListed(StandInPin* pin) override {
    return pin != pins_[2].get() || in()->sound != nullptr || sound()->connected();
  }

 private:
  MovieInput* in() { return static_cast<MovieInput*>(pins_[0].get()); }
  VideoOutput* video() { return static_cast<VideoOutput*>(pins_[1].get()); }
  SoundOutput* sound() { return static_cast<SoundOutput*>(pins_[2].get()); }
  bool streams(SourceOutput* output) { return output->memInput != nullptr && output->peer() != nullptr; }
  bool soundStreams() { return in()->sound != nullptr && streams(sound()); }

  void seekTo(LONGLONG to) {
    decoder()->seek(to);
    if (in()->sound != nullptr) in()->sound->seek(to);
    segmentStart_ = to;
    current_ = to;
  }

  // Starts a thread for each connected output, both stamping from the same base.
  HRESULT startThreads() {
    stopping_ = false;
    const LONGLONG stop = stopPosition();
    segmentBase_ = nextStamp_;
    for (SourceOutput* output : {static_cast<SourceOutput*>(video()), static_cast<SourceOutput*>(sound())}) {
      if (output == video() ? !streams(output) : !soundStreams()) continue;
      const HRESULT hr = output->allocator->Commit();
      if (hr != S_OK) {
        stopThreads(false);
        return hr;
      }
      output->peer()->NewSegment(segmentStart_, stop, 1.0);
      if (output == video())
        pictureThread_.start([this, stop] { streamPictures(stop); });
      else
        soundThread_.start([this, stop] { streamSound(stop); });
    }
    return S_OK;
  }

  // Stops the streaming threads; a flush lets the renderers drop what they hold.
  void stopThreads(bool flush) {
    stopping_ = true;
    const std::array<SourceOutput*, 2> outputs = {video(), sound()};
    for (SourceOutput* output : outputs) {
      IPin* peer = output->peer();
      if (flush && peer != nullptr) peer->BeginFlush();
      if (output->allocator != nullptr) output->allocator->Decommit();
    }
    if (pictureThread_.joinable()) pictureThread_.join();
    if (soundThread_.joinable()) soundThread_.join();
    for (SourceOutput* output : outputs) {
      IPin* peer = output->peer();
      if (flush && peer != nullptr) peer->EndFlush();
    }
  }

  // The stamp of a stream time in this segment: from the base, counted from the segment's start.
  REFERENCE_TIME stampOf(LONGLONG start) const {
    return segmentBase_ + (start > segmentStart_ ? start - segmentStart_ : 0);
  }

  void streamPictures(LONGLONG stop) {
    MovieDecoder* decoder = in()->decoder.get();
    VideoOutput* output = video();
    const LONGLONG frame = decoder->frameDuration();
    bool first = true;
    while (!stopping_) {
      LONGLONG start = 0;
      if (!decoder->nextFrame(&start) || start >= stop) break;
      const std::size_t size = decoder->frameBytes(output->layout);
      // A YV12 picture the decoder made in place goes downstream as it is, in a sample
      // of its own that keeps the picture's block until the graph lets go of it.
      IMediaSample* sample = nullptr;
      if (output->layout == MovieLayout::YV12)
        sample = NewHeldSample(decoder->framePictureInPlace(), static_cast<LONG>(size));
      if (sample == nullptr) {
        if (output->allocator->GetBuffer(&sample, nullptr, nullptr, 0) != S_OK) return;
        BYTE* bytes = nullptr;
        sample->GetPointer(&bytes);
        if (bytes == nullptr || static_cast<std::size_t>(sample->GetSize()) < size) {
          sample->Release();
          notify(EC_ERRORABORT, VFW_E_BUFFER_OVERFLOW, 0);
          return;
        }
        decoder->convert(output->layout, bytes);
      }
      sample->SetActualDataLength(static_cast<LONG>(size));
      REFERENCE_TIME from = stampOf(start);
      REFERENCE_TIME to = from + frame;
      sample->SetTime(&from, &to);
      sample->SetSyncPoint(1);
      sample->SetDiscontinuity(first);
      first = false;
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

  // The sound in samples of whole frames, stamped on from the first piece's time; the
  // piece that crosses the stop position is cut there.
  void streamSound(LONGLONG stop) {
    MovieSoundDecoder* decoder = in()->sound.get();
    SoundOutput* output = sound();
    const DWORD align = output->format.nBlockAlign, rate = output->format.nSamplesPerSec;
    const std::size_t channels = output->format.nChannels;
    std::vector<std::int16_t> pcm;
    REFERENCE_TIME origin = -1;
    LONGLONG sent = 0;  // frames delivered in this segment
    bool more = true;
    while (more && !stopping_) {
      LONGLONG start = 0;
      if (!decoder->nextPiece(pcm, &start) || start >= stop) break;
      LONGLONG frames = static_cast<LONGLONG>(pcm.size() / channels);
      const LONGLONG left = stop - start;  // > 0
      const LONGLONG room = left > (frames * kMovieUnitsPerSecond) / rate ? frames : left * rate / kMovieUnitsPerSecond;
      if (frames > room) {
        frames = room;
        more = false;
      }
      if (origin < 0) origin = stampOf(start);
      for (LONGLONG done = 0; done < frames && !stopping_;) {
        IMediaSample* sample = nullptr;
        if (output->allocator->GetBuffer(&sample, nullptr, nullptr, 0) != S_OK) return;
        BYTE* bytes = nullptr;
        sample->GetPointer(&bytes);
        const LONGLONG fits = bytes != nullptr ? sample->GetSize() / static_cast<LONG>(align) : 0;
        const LONGLONG count = std::min(fits, frames - done);
        if (count <= 0) {
          sample->Release();
          notify(EC_ERRORABORT, VFW_E_BUFFER_OVERFLOW, 0);
          return;
        }
        std::memcpy(bytes, pcm.data() + done * channels, static_cast<std::size_t>(count) * align);
        sample->SetActualDataLength(static_cast<LONG>(count * align));
        REFERENCE_TIME from = origin + sent * kMovieUnitsPerSecond / rate;
        REFERENCE_TIME to = origin + (sent + count) * kMovieUnitsPerSecond / rate;
        sample->SetTime(&from, &to);
        sample->SetSyncPoint(1);
        sample->SetDiscontinuity(sent == 0);
        const HRESULT hr = output->memInput->Receive(sample);
        sample->Release();
        if (hr != S_OK) return;
        sent += count;
        done += count;
      }
    }
    if (stopping_) return;
    output->peer()->EndOfStream();
  }

  std::recursive_mutex seekLock_;  // positions, the decoders and the threads between seeks and state changes
  StreamingThread pictureThread_;
  StreamingThread soundThread_;
  std::atomic<bool> stopping_{false};
  std::atomic<LONGLONG> current_{0};
  std::atomic<LONGLONG> stop_{-1};  // -1: the duration
  LONGLONG segmentStart_ = 0;
  // Set before the threads start: the stamp of the segment's start, for both streams.
  REFERENCE_TIME segmentBase_ = 0;
  // The picture thread's own, kept across seeks so that time stamps go on.
  REFERENCE_TIME nextStamp_ = 0;
};

SourceOutput::SourceOutput(MovieSourceFilter* filter, MovieInput* input, const WCHAR* name)
    : StandInPin(filter, name, PINDIR_OUTPUT), source_(filter), input_(input) {}

HRESULT SourceOutput::GetDuration(LONGLONG* duration) {
  if (duration == nullptr) return E_POINTER;
  if (input_->decoder == nullptr) return VFW_E_NOT_CONNECTED;
  *duration = source_->duration();
  return S_OK;
}
HRESULT SourceOutput::GetStopPosition(LONGLONG* stop) {
  if (stop == nullptr) return E_POINTER;
  if (input_->decoder == nullptr) return VFW_E_NOT_CONNECTED;
  *stop = source_->stopPosition();
  return S_OK;
}
HRESULT SourceOutput::GetCurrentPosition(LONGLONG* current) {
  if (current == nullptr) return E_POINTER;
  if (input_->decoder == nullptr) return VFW_E_NOT_CONNECTED;
  *current = source_->currentPosition();
  return S_OK;
}
HRESULT SourceOutput::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) {
  return source_->setPositions(this, current, currentFlags, stop, stopFlags);
}

}  // namespace

void SetMovieSourceLayoutsForTest(int mask) { layoutMask = mask != 0 ? mask : (1 << kMovieLayoutCount) - 1; }

HRESULT CreateMovieSource(IBaseFilter** filter) {
  if (filter == nullptr) return E_POINTER;
  *filter = new MovieSourceFilter;
  return S_OK;
}

}  // namespace plat::dshow
