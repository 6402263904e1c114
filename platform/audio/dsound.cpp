// DirectSound face: the device object, primary and secondary buffers over the mixer.
#include "platform/audio/dsound.h"

#include <atomic>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/audio/call_log.h"
#include "platform/audio/mix_kernel.h"
#include "platform/audio/mixer.h"

namespace plat::audio {

const win::CLSID CLSID_DirectSound = {0x47D4D946, 0x62E8, 0x11CF, {0x93, 0xBC, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID IID_IDirectSound = {0x279AFA83, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectSoundBuffer = {0x279AFA85, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

namespace {

constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x2;

std::string hex(DWORD v) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%x", v);
  return text;
}

bool formatUsable(const WAVEFORMATEX* f) {
  return f != nullptr && f->wFormatTag == WAVE_FORMAT_PCM && (f->nChannels == 1 || f->nChannels == 2) &&
         (f->wBitsPerSample == 8 || f->wBitsPerSample == 16) &&
         f->nBlockAlign == f->nChannels * f->wBitsPerSample / 8 && f->nSamplesPerSec >= DSBFREQUENCY_MIN &&
         f->nSamplesPerSec <= DSBFREQUENCY_MAX;
}

class Device;

class Buffer final : public IDirectSoundBuffer, public MixClient {
 public:
  Buffer(Device* device, bool primary, const WAVEFORMATEX& format, DWORD size);
  void addToMixer() { Mixer::instance().addClient(this); }

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) return win::E_POINTER;
    if (!(iid == IID_IDirectSoundBuffer)) return win::E_INVALIDARG;
    AddRef();
    *object = static_cast<IDirectSoundBuffer*>(this);
    return DS_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;

  HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override;
  HRESULT GetFrequency(DWORD* frequency) override {
    if (frequency == nullptr) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    *frequency = frequency_ != 0 ? frequency_ : format_.nSamplesPerSec;
    return DS_OK;
  }
  HRESULT GetStatus(DWORD* status) override {
    if (status == nullptr) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    *status = playing_ ? (DSBSTATUS_PLAYING | (looping_ ? DSBSTATUS_LOOPING : 0)) : 0;
    return DS_OK;
  }
  HRESULT Lock(DWORD offset, DWORD bytes, void** first, DWORD* firstBytes, void** second, DWORD* secondBytes,
               DWORD flags) override;
  HRESULT Play(DWORD, DWORD, DWORD flags) override {
    RecordAudioCall(std::string("Play ") + hex(flags));
    if (primary_) return DS_OK;
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    playing_ = true;
    looping_ = (flags & DSBPLAY_LOOPING) != 0;
    return DS_OK;
  }
  HRESULT SetCurrentPosition(DWORD position) override {
    if (primary_) return DSERR_INVALIDCALL;
    if (position >= size_) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    phase_ = static_cast<std::uint64_t>(position / format_.nBlockAlign) << 32;
    return DS_OK;
  }
  HRESULT SetFormat(const WAVEFORMATEX* format) override {
    if (!primary_) return DSERR_INVALIDCALL;
    if (!formatUsable(format)) return DSERR_BADFORMAT;
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    format_ = *format;
    return DS_OK;
  }
  HRESULT SetVolume(LONG volume) override {
    RecordAudioCall("SetVolume " + std::to_string(volume));
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    volume_ = volume;
    updateMixLocked();
    return DS_OK;
  }
  HRESULT SetPan(LONG pan) override {
    RecordAudioCall("SetPan " + std::to_string(pan));
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    pan_ = pan;
    updateMixLocked();
    return DS_OK;
  }
  HRESULT SetFrequency(DWORD frequency) override {
    RecordAudioCall("SetFrequency " + std::to_string(frequency));
    if (primary_) return DSERR_INVALIDCALL;
    if (frequency != DSBFREQUENCY_ORIGINAL && (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX)) {
      return DSERR_INVALIDPARAM;
    }
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    frequency_ = frequency;
    updateMixLocked();
    return DS_OK;
  }
  HRESULT Stop() override {
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    playing_ = false;
    return DS_OK;
  }
  HRESULT Unlock(void* first, DWORD firstBytes, void* second, DWORD secondBytes) override;

  void render(float* mixed) override;

 private:
  // Gains and step follow volume, pan and frequency; the loop is chosen here, not per quantum.
  void updateMixLocked();
  bool inStaging(const void* p, DWORD bytes) const {
    const auto* b = static_cast<const std::uint8_t*>(p);
    return b >= staging_.data() && bytes <= size_ && b + bytes <= staging_.data() + size_;
  }

  std::atomic<ULONG> refs_{1};
  Device* device_;
  const bool primary_;
  WAVEFORMATEX format_;
  const DWORD size_;
  std::vector<std::uint8_t> data_;
  // Lock hands out this copy and Unlock commits it, so writers never touch what the
  // mixing thread reads.
  std::vector<std::uint8_t> staging_;

  // Guarded by the mixer's lock.
  bool playing_ = false;
  bool looping_ = false;
  std::uint64_t phase_ = 0;
  DWORD frequency_ = 0;
  LONG volume_ = 0;
  LONG pan_ = 0;
  std::uint64_t step_ = kUnitStep;
  MixGains gains_{};
  MixFunction mix_ = nullptr;
};

class Device final : public IDirectSound {
 public:
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) return win::E_POINTER;
    if (!(iid == IID_IDirectSound)) return win::E_INVALIDARG;
    AddRef();
    *object = static_cast<IDirectSound*>(this);
    return DS_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) {
      if (initialized_) Mixer::instance().releaseDevice();
      delete this;
    }
    return left;
  }

  HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer, void* outer) override;
  HRESULT GetCaps(DSCAPS* caps) override {
    if (caps == nullptr || caps->dwSize != sizeof(DSCAPS)) return DSERR_INVALIDPARAM;
    if (!initialized_) return DSERR_UNINITIALIZED;
    caps->dwFlags = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY8BIT | DSCAPS_PRIMARY16BIT |
                    DSCAPS_SECONDARYMONO | DSCAPS_SECONDARYSTEREO | DSCAPS_SECONDARY8BIT | DSCAPS_SECONDARY16BIT;
    caps->dwMinSecondarySampleRate = DSBFREQUENCY_MIN;
    caps->dwMaxSecondarySampleRate = DSBFREQUENCY_MAX;
    caps->dwTotalHwMemBytes = 0;
    caps->dwFreeHwMemBytes = 0;
    return DS_OK;
  }
  HRESULT SetCooperativeLevel(HWND window, DWORD) override {
    if (window == nullptr) return DSERR_INVALIDPARAM;
    return initialized_ ? DS_OK : DSERR_UNINITIALIZED;
  }
  HRESULT Initialize(const GUID*) override {
    if (initialized_) return DSERR_ALREADYINITIALIZED;
    initialized_ = true;
    Mixer::instance().addDevice();
    return DS_OK;
  }

 private:
  std::atomic<ULONG> refs_{1};
  bool initialized_ = false;
};

Buffer::Buffer(Device* device, bool primary, const WAVEFORMATEX& format, DWORD size)
    : device_(device), primary_(primary), format_(format), size_(size) {
  if (!primary_) {
    // Silence to start with: 8-bit data is unsigned around 128.
    data_.assign(size_, format_.wBitsPerSample == 8 ? 0x80 : 0);
    staging_ = data_;
  }
  updateMixLocked();
  device_->AddRef();
}

ULONG Buffer::Release() {
  const ULONG left = --refs_;
  if (left == 0) {
    if (!primary_) Mixer::instance().removeClient(this);
    Device* device = device_;
    delete this;
    device->Release();
  }
  return left;
}

void Buffer::updateMixLocked() {
  const float volume = GainFromHundredthsDb(volume_);
  const float left = pan_ > 0 ? volume * GainFromHundredthsDb(-pan_) : volume;
  const float right = pan_ < 0 ? volume * GainFromHundredthsDb(pan_) : volume;
  gains_ = format_.nChannels == 1 ? MixGains{{{left, right}, {0.0f, 0.0f}}} : MixGains{{{left, 0.0f}, {0.0f, right}}};
  const DWORD rate = frequency_ != 0 ? frequency_ : format_.nSamplesPerSec;
  step_ = (static_cast<std::uint64_t>(rate) << 32) / kOutputRate;
  mix_ = PickMixFunction({format_.nChannels, format_.wBitsPerSample}, step_, gains_);
}

void Buffer::render(float* mixed) {
  if (!playing_) return;
  const std::uint32_t frames = size_ / format_.nBlockAlign;
  const std::uint64_t end = static_cast<std::uint64_t>(frames) << 32;
  const PcmSpan span{data_.data(), frames, looping_ ? data_.data() : nullptr};
  std::uint32_t done = 0;
  while (done < static_cast<std::uint32_t>(kQuantumFrames)) {
    done += mix_(span, phase_, step_, gains_, mixed + 2 * done, kQuantumFrames - done);
    if (phase_ < end) continue;
    if (!looping_) {
      // A buffer played once stops with its cursor at the end.
      playing_ = false;
      phase_ = end;
      return;
    }
    phase_ -= end;
  }
}

HRESULT Buffer::GetCurrentPosition(DWORD* play, DWORD* write) {
  std::lock_guard<std::mutex> guard(Mixer::instance().lock());
  if (primary_) {
    if (play != nullptr) *play = 0;
    if (write != nullptr) *write = 0;
    return DS_OK;
  }
  const std::uint64_t frame = phase_ >> 32;
  const DWORD position = static_cast<DWORD>(frame * format_.nBlockAlign);
  if (play != nullptr) *play = position;
  if (write != nullptr) {
    // Writing is safe from one quantum ahead of the play cursor.
    const std::uint64_t lead = ((step_ * kQuantumFrames) + kUnitStep - 1) >> 32;
    *write = static_cast<DWORD>((position + lead * format_.nBlockAlign) % size_);
  }
  return DS_OK;
}

HRESULT Buffer::Lock(DWORD offset, DWORD bytes, void** first, DWORD* firstBytes, void** second, DWORD* secondBytes,
                     DWORD flags) {
  RecordAudioCall("Lock " + std::to_string(offset) + " " + std::to_string(bytes));
  if (primary_) return DSERR_INVALIDCALL;
  if (first == nullptr || firstBytes == nullptr) return DSERR_INVALIDPARAM;
  if ((flags & DSBLOCK_ENTIREBUFFER) != 0) {
    offset = 0;
    bytes = size_;
  }
  if (offset >= size_ || bytes == 0 || bytes > size_) return DSERR_INVALIDPARAM;
  const DWORD head = std::min(bytes, size_ - offset);
  const DWORD tail = bytes - head;
  if (tail != 0 && (second == nullptr || secondBytes == nullptr)) return DSERR_INVALIDPARAM;
  {
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    std::memcpy(staging_.data() + offset, data_.data() + offset, head);
    if (tail != 0) std::memcpy(staging_.data(), data_.data(), tail);
  }
  *first = staging_.data() + offset;
  *firstBytes = head;
  if (second != nullptr) *second = tail != 0 ? staging_.data() : nullptr;
  if (secondBytes != nullptr) *secondBytes = tail;
  return DS_OK;
}

HRESULT Buffer::Unlock(void* first, DWORD firstBytes, void* second, DWORD secondBytes) {
  if (primary_) return DSERR_INVALIDCALL;
  if ((first != nullptr && !inStaging(first, firstBytes)) || (second != nullptr && !inStaging(second, secondBytes))) {
    return DSERR_INVALIDPARAM;
  }
  std::lock_guard<std::mutex> guard(Mixer::instance().lock());
  for (auto [p, n] : {std::pair{first, firstBytes}, std::pair{second, secondBytes}}) {
    if (p == nullptr || n == 0) continue;
    const size_t at = static_cast<const std::uint8_t*>(p) - staging_.data();
    std::memcpy(data_.data() + at, p, n);
  }
  return DS_OK;
}

HRESULT Device::CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer, void* outer) {
  if (desc != nullptr) {
    std::string entry = "CreateSoundBuffer flags=" + hex(desc->dwFlags) + " bytes=" + std::to_string(desc->dwBufferBytes);
    if (desc->lpwfxFormat != nullptr) {
      entry += " rate=" + std::to_string(desc->lpwfxFormat->nSamplesPerSec) +
               " ch=" + std::to_string(desc->lpwfxFormat->nChannels) +
               " bits=" + std::to_string(desc->lpwfxFormat->wBitsPerSample);
    }
    RecordAudioCall(std::move(entry));
  }
  if (desc == nullptr || buffer == nullptr || desc->dwSize != sizeof(DSBUFFERDESC)) return DSERR_INVALIDPARAM;
  *buffer = nullptr;
  if (outer != nullptr) return win::CLASS_E_NOAGGREGATION;
  if (!initialized_) return DSERR_UNINITIALIZED;
  if (TakeInjectedCreateFailure()) return DSERR_INVALIDCALL;
  if ((desc->dwFlags & DSBCAPS_PRIMARYBUFFER) != 0) {
    if (desc->dwBufferBytes != 0 || desc->lpwfxFormat != nullptr) return DSERR_INVALIDPARAM;
    const WAVEFORMATEX output{WAVE_FORMAT_PCM, kOutputChannels, kOutputRate, kOutputRate * 4, 4, 16, 0};
    *buffer = new Buffer(this, true, output, 0);
    return DS_OK;
  }
  if (!formatUsable(desc->lpwfxFormat)) return DSERR_BADFORMAT;
  if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX ||
      desc->dwBufferBytes < desc->lpwfxFormat->nBlockAlign) {
    return DSERR_INVALIDPARAM;
  }
  try {
    auto* made = new Buffer(this, false, *desc->lpwfxFormat, desc->dwBufferBytes);
    made->addToMixer();
    *buffer = made;
  } catch (const std::bad_alloc&) {
    return win::E_OUTOFMEMORY;
  }
  return DS_OK;
}

HRESULT createDevice(void* outer, const IID& iid, void** object) {
  if (object == nullptr) return win::E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return win::CLASS_E_NOAGGREGATION;
  auto* device = new Device();
  const HRESULT hr = device->QueryInterface(iid, object);
  device->Release();
  return hr;
}

const bool dsoundRegistered = (win::RegisterComClass(CLSID_DirectSound, "dsound", &createDevice), true);

}  // namespace

HRESULT DirectSoundEnumerateW(LPDSENUMCALLBACKW callback, void* context) {
  if (callback == nullptr) return DSERR_INVALIDPARAM;
  callback(nullptr, u"Software mixer", u"", context);
  return DS_OK;
}

}  // namespace plat::audio
