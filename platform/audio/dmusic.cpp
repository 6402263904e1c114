// The DirectMusic classes over the software synthesiser: loader, segments, the
// performance and the port list.
#include "platform/audio/dmusic.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio/midi_synth.h"

namespace plat::audio {

const win::CLSID CLSID_DirectMusicLoader = {
    0xd2ac2892, 0xb39b, 0x11d1, {0x87, 0x04, 0x00, 0x60, 0x08, 0x93, 0xb1, 0xbd}};
const win::CLSID CLSID_DirectMusicPerformance = {
    0xd2ac2881, 0xb39b, 0x11d1, {0x87, 0x04, 0x00, 0x60, 0x08, 0x93, 0xb1, 0xbd}};
const win::CLSID CLSID_DirectMusic = {0x636b9f10, 0x0c7d, 0x11d1, {0x95, 0xb2, 0x00, 0x20, 0xaf, 0xdc, 0x74, 0x21}};
const win::CLSID CLSID_DirectMusicSegment = {
    0xd2ac2882, 0xb39b, 0x11d1, {0x87, 0x04, 0x00, 0x60, 0x08, 0x93, 0xb1, 0xbd}};
const IID IID_IDirectMusicLoader8 = {0x19e7c08c, 0x0a44, 0x4e6a, {0xa1, 0x16, 0x59, 0x5a, 0x7c, 0xd5, 0xde, 0x8c}};
const IID IID_IDirectMusicPerformance8 = {0x679c4137, 0xc62e, 0x4147, {0xb2, 0xb4, 0x9d, 0x56, 0x9a, 0xcb, 0x25, 0x4c}};
const IID IID_IDirectMusic = {0x6536115a, 0x7b2d, 0x11d2, {0xba, 0x18, 0x00, 0x00, 0xf8, 0x75, 0xac, 0x12}};
const IID IID_IDirectMusic8 = {0x2d3629f7, 0x813d, 0x4939, {0x85, 0x08, 0xf0, 0x5c, 0x6b, 0x75, 0xfd, 0x97}};
const IID IID_IDirectMusicSegment8 = {0xc6784488, 0x41a3, 0x418f, {0xaa, 0x15, 0xb3, 0x50, 0x93, 0xba, 0x42, 0xd4}};
const GUID GUID_PerfMasterVolume = {0xd2ac28b1, 0xb39b, 0x11d1, {0x87, 0x04, 0x00, 0x60, 0x08, 0x93, 0xb1, 0xbd}};

namespace {

// Reference counting shared by the four classes.
template <class Interface>
class Counted : public Interface {
 public:
  win::ULONG AddRef() override { return ++refs_; }
  win::ULONG Release() override {
    const win::ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~Counted() = default;
  HRESULT answer(const IID& iid, std::initializer_list<const IID*> known, void** object) {
    if (object == nullptr) return win::E_POINTER;
    *object = nullptr;
    if (!(iid == win::IID_IUnknown) &&
        std::none_of(known.begin(), known.end(), [&](const IID* k) { return iid == *k; }))
      return win::E_NOINTERFACE;
    AddRef();
    *object = static_cast<Interface*>(this);
    return win::S_OK;
  }

 private:
  std::atomic<win::ULONG> refs_{1};
};

class Segment final : public Counted<IDirectMusicSegment8> {
 public:
  explicit Segment(std::vector<std::uint8_t> midi) : midi(std::move(midi)) {}
  HRESULT QueryInterface(const IID& iid, void** object) override {
    return answer(iid, {&IID_IDirectMusicSegment8}, object);
  }
  HRESULT Unload(win::IUnknown*) override { return win::S_OK; }

  const std::vector<std::uint8_t> midi;
};

class Loader final : public Counted<IDirectMusicLoader8> {
 public:
  HRESULT QueryInterface(const IID& iid, void** object) override {
    return answer(iid, {&IID_IDirectMusicLoader8}, object);
  }
  HRESULT GetObject(DMUS_OBJECTDESC* desc, const IID& iid, void** object) override {
    if (desc == nullptr || object == nullptr) return win::E_POINTER;
    *object = nullptr;
    if ((desc->dwValidData & DMUS_OBJ_CLASS) == 0 || !(desc->guidClass == CLSID_DirectMusicSegment) ||
        !(iid == IID_IDirectMusicSegment8)) {
      return win::E_INVALIDARG;
    }
    std::vector<std::uint8_t> midi;
    if ((desc->dwValidData & DMUS_OBJ_MEMORY) != 0) {
      if (desc->pbMemData == nullptr || desc->llMemLength < 0) return win::E_POINTER;
      midi.assign(desc->pbMemData, desc->pbMemData + desc->llMemLength);
    } else if ((desc->dwValidData & DMUS_OBJ_FILENAME) != 0) {
      char16_t name[260];
      std::memcpy(name, desc->wszFileName, sizeof(name));
      name[259] = 0;
      if (!ReadMidiFile(name, &midi)) return DMUS_E_LOADER_FAILEDOPEN;
    } else {
      return win::E_INVALIDARG;
    }
    if (!LooksLikeMidiFile(midi)) return DMUS_E_UNSUPPORTED_STREAM;
    auto* segment = new Segment(std::move(midi));
    std::lock_guard<std::mutex> guard(mutex_);
    cache_.push_back(segment);  // the cache keeps the reference `new` gave
    segment->AddRef();
    *object = static_cast<IDirectMusicSegment8*>(segment);
    return win::S_OK;
  }
  HRESULT ReleaseObjectByUnknown(win::IUnknown* object) override {
    std::lock_guard<std::mutex> guard(mutex_);
    const auto it = std::find_if(cache_.begin(), cache_.end(),
                                 [&](Segment* s) { return static_cast<win::IUnknown*>(s) == object; });
    if (it == cache_.end()) return win::S_FALSE;
    (*it)->Release();
    cache_.erase(it);
    return win::S_OK;
  }

 private:
  ~Loader() override {
    for (Segment* s : cache_) s->Release();
  }
  std::mutex mutex_;
  std::vector<Segment*> cache_;
};

class Performance final : public Counted<IDirectMusicPerformance8> {
 public:
  HRESULT QueryInterface(const IID& iid, void** object) override {
    return answer(iid, {&IID_IDirectMusicPerformance8}, object);
  }
  HRESULT InitAudio(IDirectMusic**, IDirectSound** sound, HWND, DWORD, DWORD, DWORD, DMUS_AUDIOPARAMS*) override {
    std::lock_guard<std::mutex> guard(mutex_);
    if (synth_) return DMUS_E_ALREADY_INITED;
    IDirectSound* device = nullptr;
    if (sound != nullptr && *sound == nullptr) {
      void* made = nullptr;
      if (win::CoCreateInstance(CLSID_DirectSound, nullptr, win::CLSCTX_INPROC_SERVER, IID_IDirectSound, &made) < 0 ||
          made == nullptr) {
        return win::E_FAIL;
      }
      device = static_cast<IDirectSound*>(made);
      if (device->Initialize(nullptr) < 0) {
        device->Release();
        return win::E_FAIL;
      }
    }
    synth_ = MidiSynth::create();
    if (!synth_) {
      if (device != nullptr) device->Release();
      return win::E_FAIL;
    }
    synth_->setVolume(volume_);
    if (device != nullptr) *sound = device;
    return win::S_OK;
  }
  HRESULT SetGlobalParam(const GUID& type, void* data, DWORD size) override {
    if (!(type == GUID_PerfMasterVolume)) return win::E_INVALIDARG;
    if (data == nullptr || size < sizeof(std::int32_t)) return win::E_POINTER;
    std::int32_t volume = 0;
    std::memcpy(&volume, data, sizeof(volume));
    std::lock_guard<std::mutex> guard(mutex_);
    volume_ = volume;
    if (synth_) synth_->setVolume(volume_);
    return win::S_OK;
  }
  HRESULT PlaySegmentEx(win::IUnknown* source, const char16_t*, win::IUnknown*, DWORD, std::int64_t,
                        win::IUnknown** segmentState, win::IUnknown*, win::IUnknown*) override {
    if (segmentState != nullptr) *segmentState = nullptr;
    auto* segment = dynamic_cast<Segment*>(source);
    if (segment == nullptr) return win::E_INVALIDARG;
    std::lock_guard<std::mutex> guard(mutex_);
    if (!synth_) return DMUS_E_NOT_INIT;
    if (!synth_->start(segment->midi, 0, nullptr)) return win::E_FAIL;
    segment->AddRef();
    if (current_ != nullptr) current_->Release();
    current_ = segment;
    return win::S_OK;
  }
  HRESULT IsPlaying(IDirectMusicSegment8* segment, void*) override {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!synth_ || current_ == nullptr) return win::S_FALSE;
    if (segment != nullptr && segment != current_) return win::S_FALSE;
    return synth_->playing() ? win::S_OK : win::S_FALSE;
  }
  HRESULT Stop(IDirectMusicSegment8* segment, void*, std::int64_t, DWORD) override {
    std::lock_guard<std::mutex> guard(mutex_);
    if (current_ == nullptr || (segment != nullptr && segment != current_)) return win::S_OK;
    if (synth_) synth_->stop();
    current_->Release();
    current_ = nullptr;
    return win::S_OK;
  }
  HRESULT CloseDown() override {
    std::unique_ptr<MidiSynth> synth;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      if (current_ != nullptr) current_->Release();
      current_ = nullptr;
      synth = std::move(synth_);
    }
    return win::S_OK;
  }

 private:
  ~Performance() override { CloseDown(); }
  std::mutex mutex_;
  std::unique_ptr<MidiSynth> synth_;
  std::int32_t volume_ = 0;
  Segment* current_ = nullptr;
};

class PortList final : public Counted<IDirectMusic8> {
 public:
  HRESULT QueryInterface(const IID& iid, void** object) override {
    return answer(iid, {&IID_IDirectMusic, &IID_IDirectMusic8}, object);
  }
  // One output port: the synthesiser.
  HRESULT EnumPort(DWORD index, DMUS_PORTCAPS* caps) override {
    if (caps == nullptr) return win::E_POINTER;
    if (caps->dwSize != sizeof(DMUS_PORTCAPS)) return win::E_INVALIDARG;
    if (index > 0) return win::S_FALSE;
    caps->dwClass = DMUS_PC_OUTPUTCLASS;
    const char16_t description[] = u"Software synthesizer";
    std::copy(std::begin(description), std::end(description), caps->wszDescription);
    return win::S_OK;
  }
};

template <class Made>
HRESULT createMusicObject(void* outer, const IID& iid, void** object) {
  if (object == nullptr) return win::E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return win::CLASS_E_NOAGGREGATION;
  // Without the synthesiser the classes are as absent as on a system without them.
  if (MidiSoundFontPath() == nullptr) return win::REGDB_E_CLASSNOTREG;
  auto* made = new Made();
  const HRESULT hr = made->QueryInterface(iid, object);
  made->Release();
  return hr;
}

const bool dmusicRegistered =
    (win::RegisterComClass(CLSID_DirectMusicLoader, "dmusic", &createMusicObject<Loader>),
     win::RegisterComClass(CLSID_DirectMusicPerformance, "dmusic", &createMusicObject<Performance>),
     win::RegisterComClass(CLSID_DirectMusic, "dmusic", &createMusicObject<PortList>), true);

}  // namespace

}  // namespace plat::audio
