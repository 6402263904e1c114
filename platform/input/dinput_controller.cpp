// Game controllers of the DirectInput stand-in: SDL joysticks read into the 80-byte
// joystick state with each axis's range and dead zone applied, and their vibration
// effects (constant force and sine) passed on as SDL rumble.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "platform/input/dinput_internal.h"
#include "platform/input/dinput_test.h"
#include "platform/input/sdl_sticks.h"
#include "platform/win/path.h"

namespace plat::input::dinput {
namespace {

constexpr int kAxes = 8;  // X, Y, Z, Rx, Ry, Rz and two sliders, in state order
constexpr int kButtons = 32;
constexpr int kHats = 4;
constexpr std::uint32_t kStickGuidTag = 0x48564A00;

win::GUID instanceGuid(SDL_JoystickID instance) {
  win::GUID g{kStickGuidTag, 0, 0, {'s', 't', 'i', 'c', 'k', 0, 0, 0}};
  std::memcpy(g.Data4 + 5, &instance, 3);
  g.Data2 = static_cast<win::WORD>(static_cast<std::uint32_t>(instance) >> 24);
  return g;
}

bool instanceOf(const win::GUID& g, SDL_JoystickID* instance) {
  if (g.Data1 != kStickGuidTag || std::memcmp(g.Data4, "stick", 5) != 0) return false;
  std::uint32_t id = 0;
  std::memcpy(&id, g.Data4 + 5, 3);
  *instance = static_cast<SDL_JoystickID>(id | static_cast<std::uint32_t>(g.Data2) << 24);
  return true;
}

// Position v of -32768..32767 into [min, max]: a dead zone (of 10000) around the centre
// reads as the centre, and the rest of each half is stretched over its half-range.
std::int32_t scaleAxis(int v, std::int32_t min, std::int32_t max, DWORD deadZone) {
  const std::int64_t span = std::int64_t(max) - min;
  const std::int64_t centre = min + span / 2;
  const std::int64_t p = 2 * (std::int64_t(v) + 32768) - 65535;  // -65535..65535
  const std::int64_t dz = 65535 * std::int64_t(std::min<DWORD>(deadZone, 10000)) / 10000;
  const std::int64_t mag = p < 0 ? -p : p;
  if (mag <= dz) return static_cast<std::int32_t>(centre);
  const std::int64_t room = 65535 - dz;
  const std::int64_t half = p < 0 ? centre - min : max - centre;
  const std::int64_t q = ((mag - dz) * half * 2 + room) / (2 * room);
  return static_cast<std::int32_t>(p < 0 ? centre - q : centre + q);
}

DWORD hatAngle(Uint8 hat) {
  switch (hat) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return 0xFFFFFFFFu;
  }
}

class Controller;
class Effect;

// Live controllers, for change notices and the test probe.
std::mutex& registryLock() {
  static std::mutex lock;
  return lock;
}
std::vector<Controller*>& registry() {
  static std::vector<Controller*> list;
  return list;
}

void onStickChange(SDL_JoystickID instance);

class Controller final : public Device {
 public:
  // `stick` is a reference of the controller's own, closed with it.
  Controller(SDL_JoystickID instance, SDL_Joystick* stick) : instance_(instance), stick_(stick) {
    for (int a = 0; a < kAxes; ++a) range_[a] = {0, 65535}, deadZone_[a] = 0;
    std::lock_guard<std::mutex> guard(registryLock());
    registry().push_back(this);
    sticks::SetChangeListener(&onStickChange);
  }

  SDL_JoystickID instance() const { return instance_; }

  HRESULT GetDeviceInfo(DIDEVICEINSTANCEW* info) override {
    if (!info || info->dwSize != sizeof(DIDEVICEINSTANCEW)) return win::E_INVALIDARG;
    std::lock_guard<std::mutex> stick(sticks::Lock());
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
      if (SDL_JoystickGetDeviceInstanceID(i) == instance_) return describe(i, info) ? DI_OK : DIERR_INPUTLOST;
    return DIERR_INPUTLOST;
  }

  HRESULT CreateEffect(const win::GUID& kind, const DIEFFECT* params, IDirectInputEffect** out, void* outer) override;

  // Effects: the strongest running effect of each kind drives its motor.
  void effectsChanged();
  std::mutex& lock() { return mutex_; }
  std::vector<Effect*> effects;  // under the device lock
  int rumbleLow = 0, rumbleHigh = 0;
  Uint32 rumbleIssued = 0;

  // Under the device and stick locks.
  void issueRumble(SDL_Joystick* j) {
    SDL_JoystickRumble(j, static_cast<Uint16>(rumbleLow), static_cast<Uint16>(rumbleHigh),
                       rumbleLow || rumbleHigh ? 0xFFFFu : 0);
    rumbleIssued = SDL_GetTicks();
  }

  static bool describe(int index, DIDEVICEINSTANCEW* out) {
    const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(index);
    if (instance < 0) return false;
    *out = DIDEVICEINSTANCEW{};
    out->dwSize = sizeof(DIDEVICEINSTANCEW);
    out->guidInstance = instanceGuid(instance);
    const SDL_JoystickGUID product = SDL_JoystickGetDeviceGUID(index);
    std::memcpy(&out->guidProduct, product.data, sizeof(out->guidProduct));
    out->dwDevType = DI8DEVCLASS_GAMECTRL;
    const std::u16string name = win::utf16FromUtf8(SDL_JoystickNameForIndex(index) ? SDL_JoystickNameForIndex(index) : "");
    for (char16_t* field : {out->tszInstanceName, out->tszProductName}) {
      const size_t n = std::min<size_t>(name.size(), 259);
      name.copy(field, n);
      field[n] = 0;
    }
    return true;
  }

 protected:
  ~Controller() override {
    {
      std::lock_guard<std::mutex> guard(registryLock());
      registry().erase(std::find(registry().begin(), registry().end(), this));
      if (registry().empty()) sticks::SetChangeListener(nullptr);
    }
    std::lock_guard<std::mutex> stick(sticks::Lock());
    SDL_JoystickClose(stick_);
  }

  DWORD stateSize() const override { return sizeof(DIJOYSTATE); }
  bool polled() const override { return true; }

  bool attached() override {
    std::lock_guard<std::mutex> stick(sticks::Lock());
    return SDL_JoystickGetAttached(stick_);
  }

  bool readState(void* data) override {
    std::lock_guard<std::mutex> stick(sticks::Lock());
    SDL_JoystickUpdate();
    SDL_Joystick* j = stick_;
    if (!SDL_JoystickGetAttached(j)) return false;
    // SDL ends a rumble after about a minute; an endless effect is asked for again.
    if ((rumbleLow || rumbleHigh) && SDL_GetTicks() - rumbleIssued > 30000) issueRumble(j);
    DIJOYSTATE s{};
    std::int32_t* axes[kAxes] = {&s.lX, &s.lY, &s.lZ, &s.lRx, &s.lRy, &s.lRz, &s.rglSlider[0], &s.rglSlider[1]};
    const int axisCount = std::min(SDL_JoystickNumAxes(j), kAxes);
    for (int a = 0; a < kAxes; ++a) {
      const int v = a < axisCount ? SDL_JoystickGetAxis(j, a) : 0;
      *axes[a] = a < axisCount ? scaleAxis(v, range_[a].min, range_[a].max, deadZone_[a])
                               : scaleAxis(0, range_[a].min, range_[a].max, 10000);
    }
    const int hats = SDL_JoystickNumHats(j);
    for (int h = 0; h < kHats; ++h) s.rgdwPOV[h] = h < hats ? hatAngle(SDL_JoystickGetHat(j, h)) : 0xFFFFFFFFu;
    const int buttons = std::min(SDL_JoystickNumButtons(j), kButtons);
    for (int b = 0; b < buttons; ++b) s.rgbButtons[b] = SDL_JoystickGetButton(j, b) ? 0x80 : 0;
    std::memcpy(data, &s, sizeof(s));
    return true;
  }

  HRESULT setAxisProperty(DWORD property, const DIPROPHEADER* header) override {
    if (property != DIPROP_RANGE && property != DIPROP_DEADZONE) return DIERR_UNSUPPORTED;
    int first = 0, last = kAxes - 1;
    if (header->dwHow == DIPH_BYOFFSET) {
      if (header->dwObj % 4 != 0 || header->dwObj / 4 >= kAxes) return win::E_INVALIDARG;
      first = last = static_cast<int>(header->dwObj / 4);
    } else if (header->dwHow != DIPH_DEVICE) {
      return win::E_INVALIDARG;
    }
    if (property == DIPROP_RANGE) {
      if (header->dwSize != sizeof(DIPROPRANGE)) return win::E_INVALIDARG;
      const auto* r = reinterpret_cast<const DIPROPRANGE*>(header);
      if (r->lMin >= r->lMax) return win::E_INVALIDARG;
      for (int a = first; a <= last; ++a) range_[a] = {r->lMin, r->lMax};
    } else {
      if (header->dwSize != sizeof(DIPROPDWORD)) return win::E_INVALIDARG;
      const DWORD dz = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
      if (dz > 10000) return win::E_INVALIDARG;
      for (int a = first; a <= last; ++a) deadZone_[a] = dz;
    }
    return DI_OK;
  }

 private:
  struct Range {
    std::int32_t min, max;
  };
  const SDL_JoystickID instance_;
  SDL_Joystick* const stick_;
  Range range_[kAxes];
  DWORD deadZone_[kAxes];
};

class Effect final : public IDirectInputEffect {
 public:
  Effect(Controller* owner, bool sine, std::int32_t magnitude) : owner_(owner), sine_(sine), magnitude_(magnitude) {
    owner_->AddRef();
  }

  DWORD AddRef() override { return ++refs_; }
  DWORD Release() override {
    const DWORD left = --refs_;
    if (left == 0) {
      Unload();
      {
        std::lock_guard<std::mutex> guard(owner_->lock());
        auto& list = owner_->effects;
        list.erase(std::find(list.begin(), list.end(), this));
      }
      owner_->Release();
      delete this;
    }
    return left;
  }

  HRESULT SetParameters(const DIEFFECT* effect, DWORD flags) override {
    if (!effect) return win::E_INVALIDARG;
    std::int32_t magnitude = 0;
    if (flags & DIEP_TYPESPECIFICPARAMS) {
      if (!magnitudeOf(sine_, effect, &magnitude)) return win::E_INVALIDARG;
    }
    std::lock_guard<std::mutex> guard(owner_->lock());
    if (flags & DIEP_TYPESPECIFICPARAMS) magnitude_ = magnitude;
    if (flags & DIEP_START) running_ = loaded_ = true;
    owner_->effectsChanged();
    return DI_OK;
  }

  HRESULT Start(DWORD, DWORD) override { return setRunning(true); }
  HRESULT Stop() override { return setRunning(false); }
  HRESULT Unload() override {
    std::lock_guard<std::mutex> guard(owner_->lock());
    running_ = loaded_ = false;
    owner_->effectsChanged();
    return DI_OK;
  }

  static bool magnitudeOf(bool sine, const DIEFFECT* effect, std::int32_t* magnitude) {
    if (sine) {
      if (effect->cbTypeSpecificParams != sizeof(DIPERIODIC) || !effect->lpvTypeSpecificParams) return false;
      *magnitude = static_cast<std::int32_t>(static_cast<const DIPERIODIC*>(effect->lpvTypeSpecificParams)->dwMagnitude);
    } else {
      if (effect->cbTypeSpecificParams != sizeof(DICONSTANTFORCE) || !effect->lpvTypeSpecificParams) return false;
      *magnitude = static_cast<const DICONSTANTFORCE*>(effect->lpvTypeSpecificParams)->lMagnitude;
    }
    return true;
  }

  bool sine() const { return sine_; }
  bool running() const { return running_; }
  bool loaded() const { return loaded_; }
  std::int32_t magnitude() const { return magnitude_; }

 private:
  ~Effect() = default;

  HRESULT setRunning(bool running) {
    std::lock_guard<std::mutex> guard(owner_->lock());
    running_ = running;
    if (running) loaded_ = true;
    owner_->effectsChanged();
    return DI_OK;
  }

  std::atomic<DWORD> refs_{1};
  Controller* owner_;
  const bool sine_;
  std::int32_t magnitude_;
  bool running_ = false, loaded_ = false;  // under the owner's device lock
};

HRESULT Controller::CreateEffect(const win::GUID& kind, const DIEFFECT* params, IDirectInputEffect** out,
                                 void* outer) {
  if (!out) return win::E_POINTER;
  *out = nullptr;
  if (outer) return win::CLASS_E_NOAGGREGATION;
  const bool sine = kind == GUID_Sine;
  if (!sine && !(kind == GUID_ConstantForce)) return DIERR_UNSUPPORTED;
  std::int32_t magnitude = 0;
  if (!params || !Effect::magnitudeOf(sine, params, &magnitude)) return win::E_INVALIDARG;
  {
    // Only sticks with motors take effects, as only force-feedback devices do.
    std::lock_guard<std::mutex> stick(sticks::Lock());
    SDL_Joystick* j = stick_;
    if (!SDL_JoystickGetAttached(j)) return DIERR_INPUTLOST;
    if (!SDL_JoystickHasRumble(j)) return DIERR_UNSUPPORTED;
  }
  auto* effect = new (std::nothrow) Effect(this, sine, magnitude);
  if (!effect) return win::E_OUTOFMEMORY;
  std::lock_guard<std::mutex> guard(mutex_);
  effects.push_back(effect);
  *out = effect;
  return DI_OK;
}

void Controller::effectsChanged() {
  int low = 0, high = 0;
  for (const Effect* e : effects) {
    if (!e->running()) continue;
    const int strength = static_cast<int>(std::min<std::int64_t>(std::abs(std::int64_t(e->magnitude())), 10000) *
                                          65535 / 10000);
    int& motor = e->sine() ? high : low;
    motor = std::max(motor, strength);
  }
  if (low == rumbleLow && high == rumbleHigh) return;
  rumbleLow = low;
  rumbleHigh = high;
  std::lock_guard<std::mutex> stick(sticks::Lock());
  if (SDL_JoystickGetAttached(stick_)) issueRumble(stick_);
}

void onStickChange(SDL_JoystickID instance) {
  std::vector<Controller*> toSignal;
  {
    std::lock_guard<std::mutex> guard(registryLock());
    for (Controller* c : registry())
      if (c->instance() == instance && c->tryAddRef()) toSignal.push_back(c);
  }
  for (Controller* c : toSignal) {
    c->signal();
    c->Release();
  }
}

}  // namespace

Device* NewController(const win::GUID& guid) {
  SDL_JoystickID instance;
  if (!instanceOf(guid, &instance)) return nullptr;
  SDL_Joystick* own = nullptr;
  {
    std::lock_guard<std::mutex> stick(sticks::Lock());
    if (!sticks::ByInstance(instance)) return nullptr;
    for (int i = 0; i < SDL_NumJoysticks() && !own; ++i)
      if (SDL_JoystickGetDeviceInstanceID(i) == instance) own = SDL_JoystickOpen(i);  // counts one more reference
  }
  if (!own) return nullptr;
  Controller* made = new (std::nothrow) Controller(instance, own);
  if (!made) {
    std::lock_guard<std::mutex> stick(sticks::Lock());
    SDL_JoystickClose(own);
  }
  return made;
}

bool DescribeController(int index, DIDEVICEINSTANCEW* out) {
  std::lock_guard<std::mutex> stick(sticks::Lock());
  if (!sticks::MayHaveSticks() || !sticks::Start()) return false;
  SDL_JoystickUpdate();
  if (index < 0 || index >= SDL_NumJoysticks()) return false;
  return Controller::describe(index, out);
}

}  // namespace plat::input::dinput

namespace plat::input {

std::vector<EffectProbe> GetControllerEffectsForTest(int joystickId) {
  std::vector<EffectProbe> probes;
  SDL_JoystickID instance;
  {
    std::lock_guard<std::mutex> stick(sticks::Lock());
    instance = SDL_JoystickGetDeviceInstanceID(joystickId);
  }
  std::vector<dinput::Controller*> controllers;
  {
    std::lock_guard<std::mutex> guard(dinput::registryLock());
    for (dinput::Controller* c : dinput::registry())
      if (c->instance() == instance && c->tryAddRef()) controllers.push_back(c);
  }
  for (dinput::Controller* c : controllers) {
    {
      std::lock_guard<std::mutex> guard(c->lock());
      for (const dinput::Effect* e : c->effects) probes.push_back({e->sine(), e->running(), e->loaded(), e->magnitude()});
    }
    c->Release();
  }
  return probes;
}

}  // namespace plat::input
