// XAudio2 face: one engine for both versions, with source, submix and mastering voices
// rendered by the mixer, callbacks delivered on the mixing thread without any lock held.
#include "platform/audio/xaudio2.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "platform/audio/mix_kernel.h"
#include "platform/audio/mixer.h"

namespace plat::audio {

const win::CLSID CLSID_XAudio2_7 = {0x5a508685, 0xa254, 0x4fba, {0x9b, 0x82, 0x9a, 0x24, 0xb0, 0x03, 0x06, 0xaf}};
const win::CLSID CLSID_XAudio2_7_Debug = {0xdb05ea35, 0x0329, 0x4d4b, {0xa5, 0x3a, 0x6d, 0xea, 0xd0, 0x3d, 0x38, 0x52}};
const win::IID IID_IXAudio2_7 = {0x8bcf1f58, 0x9fe7, 0x4583, {0x8a, 0xc6, 0xe2, 0xad, 0xc4, 0x65, 0xc8, 0xbb}};
const win::CLSID CLSID_AudioReverb_2_7 = {0x6a93130e, 0xcb4e, 0x4ce1, {0xa9, 0xcf, 0xe7, 0x58, 0x80, 0x0b, 0xb1, 0x79}};

namespace {

using win::ULONG;

// An effect object (reverb or volume meter): it keeps the parameters it is given and
// adds nothing to the sound.
class Effect final : public win::IUnknown {
 public:
  HRESULT QueryInterface(const win::IID&, void** object) override {
    if (object == nullptr) return win::E_POINTER;
    AddRef();
    *object = static_cast<win::IUnknown*>(this);
    return 0;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  bool setParameters(const void* data, UINT32 size) {
    if (data == nullptr || size > sizeof(parameters_)) return false;
    std::memcpy(parameters_, data, size);
    return true;
  }

 private:
  std::atomic<ULONG> refs_{1};
  BYTE parameters_[64] = {};
};

class Engine;

// What every voice kind keeps. Guarded by the mixer's lock.
class VoiceCore {
 public:
  enum Kind { kSource, kSubmix, kMaster };
  struct Send {
    VoiceCore* target;
    float matrix[2][2];  // [source channel][destination channel]
    XAUDIO2_FILTER_PARAMETERS filter;
  };
  struct EffectSlot {
    Effect* effect;
    bool enabled;
  };

  VoiceCore(Engine* engine, Kind kind, int channels) : engine_(engine), kind_(kind), channels_(channels) {}
  virtual ~VoiceCore() {
    for (EffectSlot& e : effects_) e.effect->Release();
  }

  Engine* engine_;
  const Kind kind_;
  const int channels_;
  float volume_ = 1.0f;
  float channelVolumes_[2] = {1.0f, 1.0f};
  Send sends_[2] = {};
  int sendCount_ = 0;
  std::vector<EffectSlot> effects_;
  float bus_[kQuantumFrames * 2] = {};  // submix voices: what was sent to them this pass
  int pins_ = 0;
  bool destroyed_ = false;

  // The send a call names: its destination, or the only send for null.
  Send* findSend(IXAudio2Voice* destination);
  HRESULT setSends(const XAUDIO2_VOICE_SENDS* sends, VoiceCore* master);
  HRESULT setEffects(const XAUDIO2_EFFECT_CHAIN* chain);
};

// A matrix that passes audio through: mono spreads to both sides, stereo to mono halves.
void passThroughMatrix(int from, int to, float (&m)[2][2]) {
  m[0][0] = 1.0f;
  m[0][1] = to == 2 && from == 1 ? 1.0f : 0.0f;
  m[1][0] = to == 1 ? 0.5f : 0.0f;
  m[1][1] = to == 1 ? 0.0f : 1.0f;
  if (to == 1) m[0][0] = from == 1 ? 1.0f : 0.5f;
}

template <typename Interface>
class VoiceImpl : public Interface, public VoiceCore {
 public:
  VoiceImpl(Engine* engine, Kind kind, int channels) : VoiceCore(engine, kind, channels) {}

  HRESULT EnableEffect(UINT32 index, UINT32) override { return setEnabled(index, true); }
  HRESULT DisableEffect(UINT32 index, UINT32) override { return setEnabled(index, false); }
  HRESULT SetEffectParameters(UINT32 index, const void* parameters, UINT32 size, UINT32) override {
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    if (index >= effects_.size()) return win::E_INVALIDARG;
    return effects_[index].effect->setParameters(parameters, size) ? 0 : win::E_INVALIDARG;
  }
  HRESULT SetOutputFilterParameters(IXAudio2Voice* destination, const XAUDIO2_FILTER_PARAMETERS* parameters,
                                    UINT32) override {
    if (parameters == nullptr) return win::E_INVALIDARG;
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    Send* send = findSend(destination);
    if (send == nullptr) return win::E_INVALIDARG;
    send->filter = *parameters;
    return 0;
  }
  HRESULT SetVolume(float volume, UINT32) override {
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    volume_ = volume;
    return 0;
  }
  HRESULT SetChannelVolumes(UINT32 channels, const float* volumes, UINT32) override {
    if (volumes == nullptr || static_cast<int>(channels) != channels_) return win::E_INVALIDARG;
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    for (int c = 0; c < channels_; ++c) channelVolumes_[c] = volumes[c];
    return 0;
  }
  HRESULT SetOutputMatrix(IXAudio2Voice* destination, UINT32 sourceChannels, UINT32 destinationChannels,
                          const float* levels, UINT32) override {
    if (levels == nullptr || static_cast<int>(sourceChannels) != channels_) return win::E_INVALIDARG;
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    Send* send = findSend(destination);
    if (send == nullptr || static_cast<int>(destinationChannels) != send->target->channels_) return win::E_INVALIDARG;
    for (UINT32 d = 0; d < destinationChannels; ++d) {
      for (UINT32 s = 0; s < sourceChannels; ++s) send->matrix[s][d] = levels[d * sourceChannels + s];
    }
    return 0;
  }

 private:
  HRESULT setEnabled(UINT32 index, bool on) {
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    if (index >= effects_.size()) return win::E_INVALIDARG;
    effects_[index].enabled = on;
    return 0;
  }
};

VoiceCore::Send* VoiceCore::findSend(IXAudio2Voice* destination) {
  if (destination == nullptr) return sendCount_ > 0 ? &sends_[0] : nullptr;
  auto* target = dynamic_cast<VoiceCore*>(destination);
  for (int i = 0; i < sendCount_; ++i) {
    if (sends_[i].target == target) return &sends_[i];
  }
  return nullptr;
}

HRESULT VoiceCore::setSends(const XAUDIO2_VOICE_SENDS* sends, VoiceCore* master) {
  sendCount_ = 0;
  if (sends == nullptr) {
    if (master == nullptr) return XAUDIO2_E_INVALID_CALL;
    sends_[0] = {master, {}, {LowPassFilter, 1.0f, 1.0f}};
    passThroughMatrix(channels_, master->channels_, sends_[0].matrix);
    sendCount_ = 1;
    return 0;
  }
  if (sends->SendCount > 2 || (sends->SendCount > 0 && sends->pSends == nullptr)) return win::E_INVALIDARG;
  for (UINT32 i = 0; i < sends->SendCount; ++i) {
    auto* target = dynamic_cast<VoiceCore*>(sends->pSends[i].pOutputVoice);
    if (target == nullptr || target->kind_ == kSource || target->engine_ != engine_) return win::E_INVALIDARG;
    sends_[i] = {target, {}, {LowPassFilter, 1.0f, 1.0f}};
    passThroughMatrix(channels_, target->channels_, sends_[i].matrix);
  }
  sendCount_ = static_cast<int>(sends->SendCount);
  return 0;
}

HRESULT VoiceCore::setEffects(const XAUDIO2_EFFECT_CHAIN* chain) {
  if (chain == nullptr) return 0;
  if (chain->EffectCount > 0 && chain->pEffectDescriptors == nullptr) return win::E_INVALIDARG;
  for (UINT32 i = 0; i < chain->EffectCount; ++i) {
    auto* effect = dynamic_cast<Effect*>(chain->pEffectDescriptors[i].pEffect);
    if (effect == nullptr) return win::E_INVALIDARG;
  }
  for (UINT32 i = 0; i < chain->EffectCount; ++i) {
    auto* effect = dynamic_cast<Effect*>(chain->pEffectDescriptors[i].pEffect);
    effect->AddRef();
    effects_.push_back({effect, chain->pEffectDescriptors[i].InitialState != 0});
  }
  return 0;
}

class SourceVoice;
class SubmixVoice;
class MasterVoice;

class Engine final : public IXAudio2, public IXAudio2_7, public MixClient {
 public:
  explicit Engine(int version) : version_(version) {}

  HRESULT QueryInterface(const win::IID& iid, void** object) override {
    if (object == nullptr) return win::E_POINTER;
    if (version_ == 7 && iid == IID_IXAudio2_7) {
      AddRef();
      *object = static_cast<IXAudio2_7*>(this);
      return 0;
    }
    return win::E_INVALIDARG;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;

  HRESULT GetDeviceCount(UINT32* count) override {
    if (count == nullptr) return win::E_INVALIDARG;
    *count = 1;
    return 0;
  }
  HRESULT GetDeviceDetails(UINT32 index, XAUDIO2_DEVICE_DETAILS* details) override;
  HRESULT Initialize(UINT32, UINT32) override {
    if (started_) return XAUDIO2_E_INVALID_CALL;
    start();
    return 0;
  }
  HRESULT CreateSourceVoice(IXAudio2SourceVoice** voice, const WAVEFORMATEX* format, UINT32 flags, float maxRatio,
                            IXAudio2VoiceCallback* callback, const XAUDIO2_VOICE_SENDS* sends,
                            const XAUDIO2_EFFECT_CHAIN* effects) override;
  HRESULT CreateSubmixVoice(IXAudio2SubmixVoice** voice, UINT32 channels, UINT32 rate, UINT32 flags, UINT32 stage,
                            const XAUDIO2_VOICE_SENDS* sends, const XAUDIO2_EFFECT_CHAIN* effects) override;
  HRESULT CreateMasteringVoice(IXAudio2MasteringVoice** voice, UINT32 channels, UINT32 rate, UINT32 flags,
                               const char16_t*, const XAUDIO2_EFFECT_CHAIN* effects, int) override {
    return createMaster(voice, channels, rate, flags, effects);
  }
  HRESULT CreateMasteringVoice(IXAudio2MasteringVoice** voice, UINT32 channels, UINT32 rate, UINT32 flags,
                               UINT32 deviceIndex, const XAUDIO2_EFFECT_CHAIN* effects) override {
    if (deviceIndex != 0) return win::E_INVALIDARG;
    return createMaster(voice, channels, rate, flags, effects);
  }

  void start() {
    started_ = true;
    Mixer::instance().addDevice();
    Mixer::instance().addClient(this);
  }

  void passStart() override;
  void render(float* mixed) override;
  void passEnd() override;

  // Under the mixer's lock.
  void addVoice(VoiceCore* voice);
  void removeVoice(VoiceCore* voice);
  VoiceCore* master_ = nullptr;

 private:
  HRESULT createMaster(IXAudio2MasteringVoice** voice, UINT32 channels, UINT32 rate, UINT32 flags,
                       const XAUDIO2_EFFECT_CHAIN* effects);

  std::atomic<ULONG> refs_{1};
  const int version_;
  bool started_ = false;
  std::vector<SourceVoice*> sources_;
  std::vector<SubmixVoice*> submixes_;
  std::vector<SourceVoice*> passSources_;  // capacity kept at least that of sources_
  float scratch_[kQuantumFrames * 2] = {};
};

class MasterVoice final : public VoiceImpl<IXAudio2MasteringVoice> {
 public:
  MasterVoice(Engine* engine) : VoiceImpl(engine, kMaster, kOutputChannels) {}
  HRESULT GetChannelMask(DWORD* mask) override {
    if (mask == nullptr) return win::E_INVALIDARG;
    *mask = SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT;
    return 0;
  }
  void DestroyVoice() override {
    {
      std::lock_guard<std::mutex> guard(Mixer::instance().lock());
      if (engine_->master_ == this) engine_->master_ = nullptr;
    }
    delete this;
  }
};

class SubmixVoice final : public VoiceImpl<IXAudio2SubmixVoice> {
 public:
  SubmixVoice(Engine* engine, int channels) : VoiceImpl(engine, kSubmix, channels) {}
  void DestroyVoice() override;
};

class SourceVoice final : public VoiceImpl<IXAudio2SourceVoice> {
 public:
  SourceVoice(Engine* engine, const WAVEFORMATEX& format, float maxRatio, IXAudio2VoiceCallback* callback)
      : VoiceImpl(engine, kSource, format.nChannels), format_(format), maxRatio_(maxRatio), callback_(callback) {
    updateStep();
  }

  HRESULT Start(UINT32, UINT32) override {
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    running_ = true;
    return 0;
  }
  HRESULT Stop(UINT32, UINT32) override {
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    running_ = false;
    return 0;
  }
  HRESULT SubmitSourceBuffer(const XAUDIO2_BUFFER* buffer, const void*) override {
    if (buffer == nullptr || (buffer->AudioBytes != 0 && buffer->pAudioData == nullptr)) return win::E_INVALIDARG;
    if (buffer->AudioBytes % format_.nBlockAlign != 0) return win::E_INVALIDARG;
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    if (queued_ + ended_ >= kMaxQueued) return XAUDIO2_E_INVALID_CALL;
    queue_[(head_ + queued_) % kMaxQueued] = *buffer;
    ++queued_;
    return 0;
  }
  HRESULT FlushSourceBuffers() override {
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    while (queued_ > 0) finishFront();
    phase_ = 0;
    return 0;
  }
  void GetState(XAUDIO2_VOICE_STATE* state, UINT32) override {
    if (state == nullptr) return;
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    state->pCurrentBufferContext = queued_ > 0 ? queue_[head_].pContext : nullptr;
    state->BuffersQueued = queued_;
    state->SamplesPlayed = played_;
  }
  HRESULT SetFrequencyRatio(float ratio, UINT32) override {
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    ratio_ = std::clamp(ratio, XAUDIO2_MIN_FREQ_RATIO, maxRatio_);
    updateStep();
    return 0;
  }
  void GetFrequencyRatio(float* ratio) override {
    if (ratio == nullptr) return;
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    *ratio = ratio_;
  }
  void DestroyVoice() override;

  // Under the lock, before the callbacks: the bytes still needed to fill this pass.
  void preparePass() {
    request_ = 0;
    calling_ = running_ && callback_ != nullptr;
    if (!calling_) return;
    std::uint64_t need = (phase_ + step_ * kQuantumFrames + kUnitStep - 1) >> 32;
    if (step_ != kUnitStep) ++need;  // the interpolation reads one frame ahead
    std::uint64_t have = 0;
    for (UINT32 i = 0; i < queued_; ++i) have += queue_[(head_ + i) % kMaxQueued].AudioBytes / format_.nBlockAlign;
    request_ = need > have ? static_cast<UINT32>((need - have) * format_.nBlockAlign) : 0;
  }
  // Mixing thread only; a voice destroyed by an earlier callback of this pass is skipped.
  void callPassStart() {
    if (calling_ && !destroyed_) callback_->OnVoiceProcessingPassStart(request_);
  }
  // Renders this pass into scratch and adds it to every destination.
  void render(float* scratch, float* mixed);
  // Under the lock: takes the ends to report into the delivery list.
  void collectEnds() {
    delivering_ = ended_;
    for (UINT32 i = 0; i < ended_; ++i) deliver_[i] = endedContexts_[i];
    ended_ = 0;
  }
  void deliverEnds() {
    if (callback_ == nullptr || destroyed_) return;
    for (UINT32 i = 0; i < delivering_; ++i) callback_->OnBufferEnd(deliver_[i]);
  }

 private:
  static constexpr UINT32 kMaxQueued = XAUDIO2_MAX_QUEUED_BUFFERS;

  void updateStep() {
    const double rate = static_cast<double>(format_.nSamplesPerSec) * ratio_;
    step_ = static_cast<std::uint64_t>(rate / kOutputRate * 4294967296.0 + 0.5);
    if (step_ == 0) step_ = 1;
  }
  void finishFront() {
    endedContexts_[ended_++] = queue_[head_].pContext;
    head_ = (head_ + 1) % kMaxQueued;
    --queued_;
  }

  const WAVEFORMATEX format_;
  const float maxRatio_;
  IXAudio2VoiceCallback* const callback_;
  bool running_ = false;
  float ratio_ = 1.0f;
  std::uint64_t step_ = kUnitStep;
  std::uint64_t phase_ = 0;
  std::uint64_t played_ = 0;
  XAUDIO2_BUFFER queue_[kMaxQueued] = {};
  UINT32 head_ = 0;
  UINT32 queued_ = 0;
  // Buffers finished or flushed, reported at the end of the next pass. Submissions wait
  // for room, so queued and ended together never pass the queue's size.
  void* endedContexts_[kMaxQueued] = {};
  UINT32 ended_ = 0;
  void* deliver_[kMaxQueued] = {};  // mixing thread only
  UINT32 delivering_ = 0;
  UINT32 request_ = 0;
  bool calling_ = false;
};

void SourceVoice::render(float* scratch, float* mixed) {
  if (!running_) return;
  const PcmLayout layout{format_.nChannels, format_.wBitsPerSample};
  const MixGains unit = layout.channels == 1 ? MixGains{{{1.0f, 0.0f}, {0.0f, 0.0f}}}
                                             : MixGains{{{1.0f, 0.0f}, {0.0f, 1.0f}}};
  const MixFunction mix = PickMixFunction(layout, step_, unit);
  std::fill(scratch, scratch + kQuantumFrames * 2, 0.0f);
  std::uint32_t done = 0;
  while (done < static_cast<std::uint32_t>(kQuantumFrames) && queued_ > 0) {
    const XAUDIO2_BUFFER& b = queue_[head_];
    const std::uint32_t frames = b.AudioBytes / format_.nBlockAlign;
    const std::uint64_t end = static_cast<std::uint64_t>(frames) << 32;
    if (phase_ < end) {
      const BYTE* after = queued_ > 1 ? queue_[(head_ + 1) % kMaxQueued].pAudioData : nullptr;
      const std::uint32_t n = mix({b.pAudioData, frames, after}, phase_, step_, unit, scratch + 2 * done,
                                  kQuantumFrames - done);
      done += n;
      played_ += n;
    }
    if (phase_ >= end) {
      phase_ -= end;
      finishFront();
    }
  }
  if (queued_ == 0) phase_ &= 0xFFFFFFFFu;  // a starved voice starts its next buffer at frame 0

  for (int i = 0; i < sendCount_; ++i) {
    const Send& s = sends_[i];
    float* out = s.target->kind_ == kMaster ? mixed : s.target->bus_;
    const float outer = volume_ * (s.target->kind_ == kMaster ? s.target->volume_ : 1.0f);
    float g[2][2];
    for (int c = 0; c < 2; ++c) {
      for (int d = 0; d < 2; ++d) {
        g[c][d] = c < channels_ && d < s.target->channels_ ? s.matrix[c][d] * channelVolumes_[c] * outer : 0.0f;
      }
    }
    if (channels_ == 1) {
      for (std::uint32_t k = 0; k < done; ++k) {
        const float v = scratch[2 * k];
        out[2 * k] += v * g[0][0];
        out[2 * k + 1] += v * g[0][1];
      }
    } else {
      for (std::uint32_t k = 0; k < done; ++k) {
        const float l = scratch[2 * k], r = scratch[2 * k + 1];
        out[2 * k] += l * g[0][0] + r * g[1][0];
        out[2 * k + 1] += l * g[0][1] + r * g[1][1];
      }
    }
  }
}

void Engine::addVoice(VoiceCore* voice) {
  if (voice->kind_ == VoiceCore::kSource) {
    sources_.push_back(static_cast<SourceVoice*>(voice));
    if (passSources_.capacity() < sources_.size()) passSources_.reserve(sources_.size() * 2);
  } else if (voice->kind_ == VoiceCore::kSubmix) {
    submixes_.push_back(static_cast<SubmixVoice*>(voice));
  }
}

void Engine::removeVoice(VoiceCore* voice) {
  sources_.erase(std::remove(sources_.begin(), sources_.end(), voice), sources_.end());
  submixes_.erase(std::remove(submixes_.begin(), submixes_.end(), voice), submixes_.end());
}

void Engine::passStart() {
  {
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    passSources_.assign(sources_.begin(), sources_.end());
    for (SourceVoice* v : passSources_) {
      ++v->pins_;
      v->preparePass();
    }
  }
  for (SourceVoice* v : passSources_) v->callPassStart();
}

void Engine::render(float* mixed) {
  for (SubmixVoice* s : submixes_) std::fill(std::begin(s->bus_), std::end(s->bus_), 0.0f);
  if (master_ == nullptr) return;
  for (SourceVoice* v : sources_) v->render(scratch_, mixed);
  for (SubmixVoice* s : submixes_) {
    if (!s->effects_.empty()) continue;  // the reverb takes the sound and adds nothing back
    for (int i = 0; i < s->sendCount_; ++i) {
      const VoiceCore::Send& send = s->sends_[i];
      if (send.target->kind_ != VoiceCore::kMaster) continue;
      const float g = s->volume_ * send.target->volume_;
      for (int k = 0; k < kQuantumFrames; ++k) {
        const float l = s->bus_[2 * k], r = s->channels_ == 2 ? s->bus_[2 * k + 1] : l;
        mixed[2 * k] += (l * send.matrix[0][0] + (s->channels_ == 2 ? r * send.matrix[1][0] : 0.0f)) * g;
        mixed[2 * k + 1] += (l * send.matrix[0][1] + (s->channels_ == 2 ? r * send.matrix[1][1] : 0.0f)) * g;
      }
    }
  }
}

void Engine::passEnd() {
  {
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    for (SourceVoice* v : passSources_) v->collectEnds();
  }
  for (SourceVoice* v : passSources_) v->deliverEnds();
  // Voices destroyed from inside callbacks go once the pass lets them go; the list keeps
  // only those.
  {
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    for (SourceVoice*& v : passSources_) {
      if (--v->pins_ != 0 || !v->destroyed_) v = nullptr;
    }
  }
  Mixer::instance().notifyUnpinned();
  for (SourceVoice* v : passSources_) delete v;
  passSources_.clear();
}

void SourceVoice::DestroyVoice() {
  Mixer& mixer = Mixer::instance();
  std::unique_lock<std::mutex> held(mixer.lock());
  engine_->removeVoice(this);
  if (mixer.onMixThread() && pins_ > 0) {
    destroyed_ = true;  // the pass that holds it deletes it
    return;
  }
  mixer.waitUnpinned(held, pins_);
  held.unlock();
  delete this;
}

void SubmixVoice::DestroyVoice() {
  {
    std::lock_guard<std::mutex> guard(Mixer::instance().lock());
    engine_->removeVoice(this);
  }
  delete this;
}

ULONG Engine::Release() {
  const ULONG left = --refs_;
  if (left == 0) {
    if (started_) {
      Mixer::instance().removeClient(this);
      Mixer::instance().releaseDevice();
    }
    delete this;
  }
  return left;
}

HRESULT Engine::GetDeviceDetails(UINT32 index, XAUDIO2_DEVICE_DETAILS* details) {
  if (details == nullptr || index != 0) return win::E_INVALIDARG;
  std::memset(details, 0, sizeof(*details));
  const char16_t name[] = u"Software mixer";
  std::copy(std::begin(name), std::end(name), details->DisplayName);
  details->OutputFormat = {WAVE_FORMAT_PCM, kOutputChannels, kOutputRate, kOutputRate * 4, 4, 16, 0};
  details->dwChannelMask = SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT;
  return 0;
}

HRESULT Engine::createMaster(IXAudio2MasteringVoice** voice, UINT32 channels, UINT32, UINT32,
                             const XAUDIO2_EFFECT_CHAIN* effects) {
  if (voice == nullptr) return win::E_INVALIDARG;
  *voice = nullptr;
  if (!started_) return XAUDIO2_E_INVALID_CALL;
  if (channels != XAUDIO2_DEFAULT_CHANNELS && channels != kOutputChannels) return win::E_INVALIDARG;
  std::lock_guard<std::mutex> guard(Mixer::instance().lock());
  if (master_ != nullptr) return XAUDIO2_E_INVALID_CALL;
  auto* made = new MasterVoice(this);
  if (made->setEffects(effects) != 0) {
    delete made;
    return win::E_INVALIDARG;
  }
  master_ = made;
  *voice = made;
  return 0;
}

HRESULT Engine::CreateSourceVoice(IXAudio2SourceVoice** voice, const WAVEFORMATEX* format, UINT32, float maxRatio,
                                  IXAudio2VoiceCallback* callback, const XAUDIO2_VOICE_SENDS* sends,
                                  const XAUDIO2_EFFECT_CHAIN* effects) {
  if (voice == nullptr || format == nullptr) return win::E_INVALIDARG;
  *voice = nullptr;
  if (format->wFormatTag != WAVE_FORMAT_PCM || format->nChannels < 1 || format->nChannels > 2 ||
      (format->wBitsPerSample != 8 && format->wBitsPerSample != 16) ||
      format->nBlockAlign != format->nChannels * format->wBitsPerSample / 8 || format->nSamplesPerSec < 1000 ||
      format->nSamplesPerSec > 200000) {
    return win::E_INVALIDARG;
  }
  maxRatio = std::clamp(maxRatio, XAUDIO2_MIN_FREQ_RATIO, XAUDIO2_MAX_FREQ_RATIO);
  std::lock_guard<std::mutex> guard(Mixer::instance().lock());
  if (master_ == nullptr) return XAUDIO2_E_INVALID_CALL;
  auto* made = new SourceVoice(this, *format, maxRatio, callback);
  HRESULT hr = made->setSends(sends, master_);
  if (hr == 0) hr = made->setEffects(effects);
  if (hr != 0) {
    delete made;
    return hr;
  }
  addVoice(made);
  *voice = made;
  return 0;
}

HRESULT Engine::CreateSubmixVoice(IXAudio2SubmixVoice** voice, UINT32 channels, UINT32, UINT32, UINT32,
                                  const XAUDIO2_VOICE_SENDS* sends, const XAUDIO2_EFFECT_CHAIN* effects) {
  if (voice == nullptr || channels < 1 || channels > 2) return win::E_INVALIDARG;
  *voice = nullptr;
  std::lock_guard<std::mutex> guard(Mixer::instance().lock());
  if (master_ == nullptr) return XAUDIO2_E_INVALID_CALL;
  auto* made = new SubmixVoice(this, static_cast<int>(channels));
  HRESULT hr = made->setSends(sends, master_);
  if (hr == 0) hr = made->setEffects(effects);
  if (hr != 0) {
    delete made;
    return hr;
  }
  addVoice(made);
  *voice = made;
  return 0;
}

HRESULT createEngine27(void* outer, const win::IID& iid, void** object) {
  if (object == nullptr) return win::E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return win::CLASS_E_NOAGGREGATION;
  auto* engine = new Engine(7);
  const HRESULT hr = engine->QueryInterface(iid, object);
  static_cast<IXAudio2_7*>(engine)->Release();
  return hr;
}

HRESULT createReverb27(void* outer, const win::IID&, void** object) {
  if (object == nullptr) return win::E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return win::CLASS_E_NOAGGREGATION;
  *object = static_cast<win::IUnknown*>(new Effect());
  return 0;
}

const bool xaudio2Registered = (win::RegisterComClass(CLSID_XAudio2_7, "xaudio2", &createEngine27),
                         win::RegisterComClass(CLSID_AudioReverb_2_7, "xaudio2", &createReverb27), true);

}  // namespace

HRESULT XAudio2Create(IXAudio2** engine, UINT32, UINT32) {
  if (engine == nullptr) return win::E_INVALIDARG;
  auto* made = new Engine(8);
  made->start();
  *engine = made;
  return 0;
}

HRESULT CreateAudioVolumeMeter(win::IUnknown** effect) {
  if (effect == nullptr) return win::E_INVALIDARG;
  *effect = new Effect();
  return 0;
}

HRESULT CreateAudioReverb(win::IUnknown** effect) {
  if (effect == nullptr) return win::E_INVALIDARG;
  *effect = new Effect();
  return 0;
}

}  // namespace plat::audio
