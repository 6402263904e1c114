// The audio renderer (registered as "Audio Renderer"): plays PCM through the sound
// stand-in's DirectSound face, is a reference clock driven by the frames played, and
// answers IBasicAudio. Seeking asked of it goes upstream. Without a sound output it runs
// silent: samples are taken as the graph's clock reaches them and its own clock keeps
// steady time.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/dshow/filter_parts.h"
#include "platform/dshow/pcm_ring.h"
#include "platform/dshow/reference_clock.h"
#include "platform/dshow/render_input.h"
#include "platform/dshow/seeking_forward.h"
#include "platform/dshow/system_filters.h"

namespace plat::dshow {

const CLSID CLSID_AudioRendererStandIn = {0x7E1F2B30, 0x4C6A, 0x4D21, {0x9B, 0x5E, 0x31, 0x0A, 0x62, 0x44, 0xC8, 0x17}};

namespace {

using win::E_INVALIDARG;
using win::E_NOTIMPL;
using win::E_POINTER;
using win::S_FALSE;
using win::S_OK;

constexpr auto kServicePeriod = std::chrono::milliseconds(5);
constexpr REFERENCE_TIME kUnitsPerSecond = 10'000'000;

REFERENCE_TIME steadyNow() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
             .count() /
         100;
}

// The formats the sound output plays: PCM of 1 or 2 channels, 8 or 16 bits.
bool playable(const AM_MEDIA_TYPE& type, audio::WAVEFORMATEX* format) {
  constexpr ULONG kPlainSize = 16;  // a format block without its cbSize field
  if (!(type.majortype == MEDIATYPE_Audio) || !(type.subtype == MEDIASUBTYPE_PCM) ||
      !(type.formattype == FORMAT_WaveFormatEx) || type.pbFormat == nullptr || type.cbFormat < kPlainSize)
    return false;
  audio::WAVEFORMATEX f{};
  std::memcpy(&f, type.pbFormat, kPlainSize);
  f.cbSize = 0;
  if (f.wFormatTag != audio::WAVE_FORMAT_PCM || (f.nChannels != 1 && f.nChannels != 2) ||
      (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) || f.nBlockAlign != f.nChannels * f.wBitsPerSample / 8 ||
      f.nSamplesPerSec < audio::DSBFREQUENCY_MIN || f.nSamplesPerSec > audio::DSBFREQUENCY_MAX)
    return false;
  f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
  *format = f;
  return true;
}

class AudioRenderer;

class AudioInput final : public RenderInputPin {
 public:
  explicit AudioInput(StandInFilter* filter) : RenderInputPin(filter, u"Audio Input pin (rendered)") {}

  HRESULT Receive(IMediaSample* sample) override;
  // Receive waits while the sound output is full.
  HRESULT ReceiveCanBlock() override { return S_OK; }

  HRESULT EndOfStream() override;
  HRESULT BeginFlush() override;
  HRESULT EndFlush() override;

 protected:
  HRESULT checkType(const AM_MEDIA_TYPE& type) override {
    audio::WAVEFORMATEX format;
    return playable(type, &format) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
  }
  HRESULT completeConnect(IPin*) override;
  void breakConnect() override;

 private:
  AudioRenderer* owner();
};

class AudioRenderer final : public StandInFilter, public SeekingForwarder, public IReferenceClock, public IBasicAudio {
 public:
  AudioRenderer() : StandInFilter(CLSID_AudioRendererStandIn) {
    addPin(std::make_unique<AudioInput>(this));
    anchorSteady_ = steadyNow();
    CreateSourcedClock(
        [this] {
          std::lock_guard guard(play_);
          lookAtCursor();
          return nowLocked();
        },
        &time_);
  }

  HRESULT QueryInterface(const IID& iid, void** out) override { return StandInFilter::QueryInterface(iid, out); }
  ULONG AddRef() override { return StandInFilter::AddRef(); }
  ULONG Release() override { return StandInFilter::Release(); }

  // IReferenceClock: the time runs with the frames played while the sound output plays,
  // and with the steady clock otherwise.
  HRESULT GetTime(REFERENCE_TIME* time) override { return time_->GetTime(time); }
  HRESULT AdviseTime(REFERENCE_TIME base, REFERENCE_TIME stream, HANDLE event, DWORD_PTR* cookie) override {
    return time_->AdviseTime(base, stream, event, cookie);
  }
  HRESULT AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, HANDLE semaphore, DWORD_PTR* cookie) override {
    return time_->AdvisePeriodic(start, period, semaphore, cookie);
  }
  HRESULT Unadvise(DWORD_PTR cookie) override { return time_->Unadvise(cookie); }

  // IBasicAudio (volume in hundredths of a decibel, 0 loudest; balance from -10000 left
  // to 10000 right)
  HRESULT GetTypeInfoCount(win::UINT*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(win::UINT, win::LCID, win::ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(const IID&, win::LPOLESTR*, win::UINT, win::LCID, win::DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(win::DISPID, const IID&, win::LCID, win::WORD, win::DISPPARAMS*, win::VARIANT*, win::EXCEPINFO*,
                 win::UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT put_Volume(LONG volume) override {
    if (volume < audio::DSBVOLUME_MIN || volume > audio::DSBVOLUME_MAX) return E_INVALIDARG;
    std::lock_guard guard(play_);
    return ring_.setVolume(volume);
  }
  HRESULT get_Volume(LONG* volume) override {
    if (volume == nullptr) return E_POINTER;
    std::lock_guard guard(play_);
    *volume = ring_.volume();
    return S_OK;
  }
  HRESULT put_Balance(LONG balance) override {
    if (balance < audio::DSBPAN_LEFT || balance > audio::DSBPAN_RIGHT) return E_INVALIDARG;
    std::lock_guard guard(play_);
    return ring_.setPan(balance);
  }
  HRESULT get_Balance(LONG* balance) override {
    if (balance == nullptr) return E_POINTER;
    std::lock_guard guard(play_);
    *balance = ring_.pan();
    return S_OK;
  }

  // From the input pin: the format to play once the filter leaves the stopped state.
  void connected(const audio::WAVEFORMATEX* format) {
    std::lock_guard guard(play_);
    timeByAudio(false);
    ring_.close();
    connected_ = format != nullptr;
    silent_ = false;
    if (connected_) format_ = *format;
    if (streaming_) startService();
  }
  HRESULT receive(IMediaSample* sample);
  void endOfStream() {
    std::lock_guard guard(play_);
    if (!streaming_ || flushing_ || ended_) return;
    ended_ = true;
    endAt_ = silent_ ? lastStop_ : ring_.written();
    serviceWake_.notify_all();
  }
  void flushing(bool on) {
    std::lock_guard guard(play_);
    flushing_ = on;
    if (on) {
      ring_.clear();
      ended_ = sent_ = false;
      lastStop_ = 0;
      room_.notify_all();
    }
  }

  // For tests: the counts since the stream started.
  void counts(LONGLONG* played, LONGLONG* written) {
    std::lock_guard guard(play_);
    lookAtCursor();
    *played = ring_.played();
    *written = ring_.written();
  }

 protected:
  ~AudioRenderer() override {
    stopService();
    // The clock's thread reads the ring: it goes first.
    time_->Release();
  }
  HRESULT queryOther(const IID& iid, void** out) override {
    if (iid == IID_IMediaSeeking) {
      *out = static_cast<IMediaSeeking*>(this);
    } else if (iid == IID_IReferenceClock) {
      *out = static_cast<IReferenceClock*>(this);
    } else if (iid == IID_IBasicAudio) {
      *out = static_cast<IBasicAudio*>(this);
    } else {
      return StandInFilter::queryOther(iid, out);
    }
    AddRef();
    return S_OK;
  }
  IPin* seekingPin() override { return pins_.front().get(); }
  HRESULT stateChanged(FILTER_STATE from, FILTER_STATE to) override;

 private:
  // All below with play_ held.
  REFERENCE_TIME nowLocked() const {
    if (byAudio_ && ring_.isOpen())
      return anchorTime_ + (ring_.played() - anchorFrames_) * kUnitsPerSecond / ring_.rate();
    return anchorTime_ + (steadyNow() - anchorSteady_);
  }
  // Switches what drives the time, carrying on from where it stands.
  void timeByAudio(bool on) {
    anchorTime_ = nowLocked();
    anchorFrames_ = ring_.played();
    anchorSteady_ = steadyNow();
    byAudio_ = on;
  }
  void lookAtCursor() {
    const LONGLONG before = ring_.played();
    ring_.account();
    if (ring_.played() == before) return;
    room_.notify_all();
    // The end is reported by the service thread as soon as the last frame is seen played.
    if (ended_ && before < endAt_ && ring_.played() >= endAt_) serviceWake_.notify_all();
  }
  void startPlaying() {
    ring_.play();
    timeByAudio(true);
    playing_ = true;
  }
  void stopPlaying() {
    if (!playing_) return;
    ring_.pause();
    timeByAudio(false);
    playing_ = false;
  }
  // The service thread: follows the cursor, starts the sound at the start time and
  // reports the end once the last frame has played.
  void service();
  void startService();  // play_ held
  void stopService();
  // Without play_ held (the own clock takes it): the stream time on the graph's clock,
  // false while not running or without a clock.
  bool streamTime(REFERENCE_TIME* time);
  // Silent: waits until the stream reaches the sample's start.
  HRESULT receiveSilent(IMediaSample* sample, std::unique_lock<std::mutex>& guard);

  std::mutex play_;
  std::condition_variable room_;          // Receive waits here for room
  std::condition_variable serviceWake_;   // the service thread sleeps here
  PcmRing ring_;
  bool connected_ = false;
  bool silent_ = false;        // connected, but the sound output could not be made
  REFERENCE_TIME lastStop_ = 0;  // silent: the stream time at the end of the last sample
  audio::WAVEFORMATEX format_{};
  IReferenceClock* time_ = nullptr;       // the sourced clock behind IReferenceClock
  REFERENCE_TIME anchorTime_ = 0;
  REFERENCE_TIME anchorSteady_ = 0;
  LONGLONG anchorFrames_ = 0;
  bool byAudio_ = false;
  bool streaming_ = false;  // paused or running
  bool running_ = false;
  bool playing_ = false;    // the sound output is playing
  bool flushing_ = false;
  bool ended_ = false;
  bool sent_ = false;
  bool quit_ = false;
  LONGLONG endAt_ = 0;
  REFERENCE_TIME startAt_ = 0;
  bool startByOwnTime_ = false;
  std::thread thread_;
};

AudioRenderer* AudioInput::owner() { return static_cast<AudioRenderer*>(filter_); }

HRESULT AudioInput::completeConnect(IPin*) {
  audio::WAVEFORMATEX format;
  if (!playable(type_, &format)) return VFW_E_TYPE_NOT_ACCEPTED;
  owner()->connected(&format);
  return S_OK;
}

void AudioInput::breakConnect() { owner()->connected(nullptr); }

HRESULT AudioInput::Receive(IMediaSample* sample) { return owner()->receive(sample); }

HRESULT AudioInput::EndOfStream() {
  owner()->endOfStream();
  return S_OK;
}

HRESULT AudioInput::BeginFlush() {
  owner()->flushing(true);
  return S_OK;
}

HRESULT AudioInput::EndFlush() {
  owner()->flushing(false);
  return S_OK;
}

HRESULT AudioRenderer::receive(IMediaSample* sample) {
  if (sample == nullptr) return E_POINTER;
  BYTE* data = nullptr;
  if (sample->GetPointer(&data) != S_OK || data == nullptr) return E_POINTER;
  LONG left = std::max<LONG>(sample->GetActualDataLength(), 0);
  std::unique_lock guard(play_);
  if (silent_) return receiveSilent(sample, guard);
  for (;;) {
    if (!streaming_) return VFW_E_WRONG_STATE;
    if (flushing_ || ended_) return S_FALSE;
    // A piece of a frame at the end is dropped.
    if (!ring_.isOpen() || static_cast<DWORD>(left) < ring_.blockAlign()) return S_OK;
    lookAtCursor();
    const DWORD took = ring_.write(data, static_cast<DWORD>(left));
    data += took;
    left -= static_cast<LONG>(took);
    if (took == 0) room_.wait(guard);
  }
}

HRESULT AudioRenderer::stateChanged(FILTER_STATE from, FILTER_STATE to) {
  bool ownClock = false;
  REFERENCE_TIME start = 0;
  {
    std::lock_guard guard(lock_);
    ownClock = clock_ == static_cast<IReferenceClock*>(this);
    start = start_;
  }
  if (to == State_Stopped) {
    stopService();
    std::lock_guard guard(play_);
    timeByAudio(false);
    ring_.rewind();
    playing_ = false;
    anchorFrames_ = 0;
    return S_OK;
  }
  std::lock_guard guard(play_);
  if (from == State_Stopped) {
    // The sound output is made on the first run of a connection and kept until the
    // connection goes; when it cannot be made the filter runs silent until it is stopped,
    // so the pictures still play, and the next run tries again.
    if (connected_ && !ring_.isOpen()) silent_ = ring_.open(format_) < 0;
    lastStop_ = 0;
    streaming_ = true;
    ended_ = sent_ = quit_ = false;
    startService();
  }
  running_ = to == State_Running;
  if (running_) {
    // On its own clock the sound starts at the stream's start; on another clock (whose
    // times it cannot compare with its own) at once.
    startByOwnTime_ = ownClock;
    startAt_ = start;
  } else {
    stopPlaying();
  }
  serviceWake_.notify_all();
  return S_OK;
}

void AudioRenderer::startService() {
  // A renderer left without a connection (a graph whose sound went elsewhere) has nothing
  // to play: its service thread would only wake every period and wait for a core.
  if (connected_ && !thread_.joinable()) thread_ = std::thread([this] { service(); });
}

void AudioRenderer::stopService() {
  {
    std::lock_guard guard(play_);
    streaming_ = running_ = false;
    quit_ = true;
    serviceWake_.notify_all();
    room_.notify_all();
  }
  if (thread_.joinable()) thread_.join();
}

bool AudioRenderer::streamTime(REFERENCE_TIME* time) {
  IReferenceClock* clock = nullptr;
  REFERENCE_TIME start = 0;
  {
    std::lock_guard guard(lock_);
    if (state_ != State_Running || clock_ == nullptr) return false;
    clock = clock_;
    clock->AddRef();
    start = start_;
  }
  REFERENCE_TIME now = 0;
  const bool known = clock->GetTime(&now) >= 0;
  clock->Release();
  *time = now - start;
  return known;
}

HRESULT AudioRenderer::receiveSilent(IMediaSample* sample, std::unique_lock<std::mutex>& guard) {
  REFERENCE_TIME start = 0, stop = 0;
  const HRESULT timed = sample->GetTime(&start, &stop);
  if (timed < 0) return streaming_ ? S_OK : VFW_E_WRONG_STATE;  // nothing to wait for
  if (timed != S_OK) stop = start;
  for (;;) {
    if (!streaming_) return VFW_E_WRONG_STATE;
    if (flushing_ || ended_) return S_FALSE;
    guard.unlock();
    REFERENCE_TIME now = 0;
    const bool running = streamTime(&now);
    guard.lock();
    if (running && now >= start && streaming_ && !flushing_ && !ended_) {
      lastStop_ = std::max(lastStop_, stop);
      return S_OK;
    }
    room_.wait_for(guard, kServicePeriod);
  }
}

void AudioRenderer::service() {
  std::unique_lock guard(play_);
  while (!quit_) {
    lookAtCursor();
    bool done = ended_ && !silent_ && ring_.played() >= endAt_;
    if (silent_ && ended_ && running_ && !sent_) {
      // Silent, the end is reached when the graph's clock passes the last sample.
      guard.unlock();
      REFERENCE_TIME now = 0;
      const bool running = streamTime(&now);
      guard.lock();
      done = running && !quit_ && ended_ && now >= endAt_;
    }
    if (running_ && !playing_ && !done && !silent_ && (!startByOwnTime_ || nowLocked() >= startAt_)) startPlaying();
    if (running_ && done && !sent_) {
      sent_ = true;
      stopPlaying();
      guard.unlock();
      notify(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)));
      guard.lock();
      continue;
    }
    serviceWake_.wait_for(guard, kServicePeriod);
  }
}

}  // namespace

HRESULT CreateAudioRenderer(IBaseFilter** filter) {
  if (filter == nullptr) return E_POINTER;
  *filter = new AudioRenderer;
  return S_OK;
}

bool AudioRendererCountsForTest(IBaseFilter* filter, LONGLONG* played, LONGLONG* written) {
  auto* renderer = dynamic_cast<AudioRenderer*>(filter);
  if (renderer == nullptr || played == nullptr || written == nullptr) return false;
  renderer->counts(played, written);
  return true;
}

}  // namespace plat::dshow
