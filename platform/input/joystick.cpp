// Multimedia joystick functions and the shared SDL stick access, over SDL2 joysticks.
#include "platform/input/joystick.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/input/joystick_test.h"
#include "platform/input/sdl_sticks.h"
#include "platform/win/path.h"

namespace plat::input {

namespace sticks {
namespace {

bool started = false;
// Sticks we have opened; a stick that left is closed on the next call.
std::vector<SDL_Joystick*> opened;
std::atomic<ChangeListener> changeListener{nullptr};

void closeDeparted() {
  opened.erase(std::remove_if(opened.begin(), opened.end(),
                              [](SDL_Joystick* j) {
                                if (SDL_JoystickGetAttached(j)) return false;
                                SDL_JoystickClose(j);
                                return true;
                              }),
               opened.end());
}

// True when /dev holds a node through which SDL could find a stick: input event or
// joystick devices, raw HID devices, or USB devices for its own HID drivers.
bool deviceNodesPresent() {
  if (access("/dev/input", F_OK) == 0 || access("/dev/bus/usb", F_OK) == 0) return true;
  DIR* dev = opendir("/dev");
  if (!dev) return true;  // cannot tell: let SDL look
  bool found = false;
  while (dirent* entry = readdir(dev))
    if (std::strncmp(entry->d_name, "hidraw", 6) == 0) {
      found = true;
      break;
    }
  closedir(dev);
  return found;
}

}  // namespace

std::mutex& Lock() {
  static std::mutex lock;
  return lock;
}

bool Start() {
  if (started) return true;
  // The joystick functions answer whatever window has the focus, so SDL must not mute
  // sticks while our window is in the background.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
  // Nobody reads joystick events from SDL's queue; states are polled.
  SDL_JoystickEventState(SDL_IGNORE);
  started = true;
  return true;
}

bool MayHaveSticks() {
  if (started) return true;
  // Starting SDL's joystick subsystem loads SDL and its fifty libraries; with no device
  // node it could read (and no device named to it) it would find no stick, so the
  // answer is known without it. Asked again each time, so a stick plugged in later is
  // found as SDL would find it. Virtual sticks start the subsystem first.
  return std::getenv("SDL_JOYSTICK_DEVICE") || deviceNodesPresent();
}

SDL_Joystick* AtIndex(int index) {
  if (!MayHaveSticks() || !Start()) return nullptr;
  SDL_JoystickUpdate();
  closeDeparted();
  if (index < 0 || index >= SDL_NumJoysticks()) return nullptr;
  SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(index);
  for (SDL_Joystick* j : opened)
    if (SDL_JoystickInstanceID(j) == instance) return j;
  SDL_Joystick* j = SDL_JoystickOpen(index);
  if (j) opened.push_back(j);
  return j;
}

SDL_Joystick* ByInstance(SDL_JoystickID instance) {
  if (!MayHaveSticks() || !Start()) return nullptr;
  SDL_JoystickUpdate();
  closeDeparted();
  for (int i = 0; i < SDL_NumJoysticks(); ++i)
    if (SDL_JoystickGetDeviceInstanceID(i) == instance) return AtIndex(i);
  return nullptr;
}

void SetChangeListener(ChangeListener listener) { changeListener.store(listener); }

void NotifyChange(SDL_JoystickID instance) {
  if (ChangeListener listener = changeListener.load()) listener(instance);
}

}  // namespace sticks

namespace {

constexpr int kMaxAxes = 6;
constexpr int kMaxButtons = 32;

using sticks::Lock;

// Virtual sticks the tests attached, in attach order (SDL keeps the same order), with
// the last rumble each was asked for.
struct VirtualStick {
  SDL_Joystick* stick;
  Uint16 low = 0, high = 0;
};
std::vector<VirtualStick*> virtuals;

SDL_Joystick* stickFor(UINT id) { return sticks::AtIndex(static_cast<int>(id)); }

DWORD axisPosition(SDL_Joystick* j, int axis) {
  if (axis >= SDL_JoystickNumAxes(j)) return 0x7FFF;  // an absent axis rests at the centre
  return static_cast<DWORD>(SDL_JoystickGetAxis(j, axis) + 32768);
}

// Names longer than the field are cut.
void copyName(char16_t* out, size_t size, const char* utf8) {
  const std::u16string name = win::utf16FromUtf8(utf8 ? utf8 : "");
  const size_t n = std::min(name.size(), size - 1);
  name.copy(out, n);
  out[n] = 0;
}

}  // namespace

MMRESULT joyGetDevCapsW(UINT id, JOYCAPSW* caps, UINT size) {
  if (!caps || size < sizeof(JOYCAPSW) || id >= kMaxJoysticks) return JOYERR_PARMS;
  std::lock_guard<std::mutex> guard(Lock());
  SDL_Joystick* j = stickFor(id);
  if (!j) return JOYERR_UNPLUGGED;
  *caps = JOYCAPSW{};
  caps->wMid = SDL_JoystickGetVendor(j);
  caps->wPid = SDL_JoystickGetProduct(j);
  copyName(caps->szPname, 32, SDL_JoystickName(j));
  int axes = std::clamp(SDL_JoystickNumAxes(j), 0, kMaxAxes);
  caps->wXmax = caps->wYmax = caps->wZmax = caps->wRmax = caps->wUmax = caps->wVmax = 0xFFFF;
  caps->wNumButtons = static_cast<UINT>(std::clamp(SDL_JoystickNumButtons(j), 0, kMaxButtons));
  caps->wPeriodMin = 10;
  caps->wPeriodMax = 1000;
  const UINT flags[] = {JOYCAPS_HASZ, JOYCAPS_HASR, JOYCAPS_HASU, JOYCAPS_HASV};
  for (int a = 2; a < axes; ++a) caps->wCaps |= flags[a - 2];
  caps->wMaxAxes = kMaxAxes;
  caps->wNumAxes = static_cast<UINT>(axes);
  caps->wMaxButtons = kMaxButtons;
  return JOYERR_NOERROR;
}

MMRESULT joyGetPosEx(UINT id, JOYINFOEX* info) {
  if (!info || info->dwSize != sizeof(JOYINFOEX) || id >= kMaxJoysticks) return JOYERR_PARMS;
  std::lock_guard<std::mutex> guard(Lock());
  SDL_Joystick* j = stickFor(id);
  if (!j) return JOYERR_UNPLUGGED;
  DWORD want = info->dwFlags;
  DWORD* axes[] = {&info->dwXpos, &info->dwYpos, &info->dwZpos, &info->dwRpos, &info->dwUpos, &info->dwVpos};
  for (int a = 0; a < kMaxAxes; ++a)
    if (want & (JOY_RETURNX << a)) *axes[a] = axisPosition(j, a);
  if (want & JOY_RETURNBUTTONS) {
    int buttons = std::min(SDL_JoystickNumButtons(j), kMaxButtons);
    info->dwButtons = 0;
    info->dwButtonNumber = 0;
    for (int b = 0; b < buttons; ++b) {
      if (!SDL_JoystickGetButton(j, b)) continue;
      info->dwButtons |= 1u << b;
      ++info->dwButtonNumber;
    }
  }
  if (want & JOY_RETURNPOV) info->dwPOV = JOY_POVCENTERED;
  return JOYERR_NOERROR;
}

// Test facility.

namespace {

int rumble(void* userdata, Uint16 low, Uint16 high) {
  auto* v = static_cast<VirtualStick*>(userdata);
  v->low = low;
  v->high = high;
  return 0;
}

VirtualStick* virtualAt(int id) {
  if (id < 0 || id >= SDL_NumJoysticks()) return nullptr;
  SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(id);
  for (VirtualStick* v : virtuals)
    if (SDL_JoystickInstanceID(v->stick) == instance) return v;
  return nullptr;
}

void detach(VirtualStick* v) {
  SDL_JoystickID instance = SDL_JoystickInstanceID(v->stick);
  for (int i = 0; i < SDL_NumJoysticks(); ++i)
    if (SDL_JoystickGetDeviceInstanceID(i) == instance) SDL_JoystickDetachVirtual(i);
  SDL_JoystickClose(v->stick);
  virtuals.erase(std::find(virtuals.begin(), virtuals.end(), v));
  delete v;
}

// Runs after the lock is let go: listeners may take locks of their own.
void changed(SDL_JoystickID instance) {
  if (instance >= 0) sticks::NotifyChange(instance);
}

}  // namespace

int AttachVirtualJoystick(int axes, int buttons) { return AttachVirtualJoystick(VirtualJoystickDesc{axes, buttons}); }

int AttachVirtualJoystick(const VirtualJoystickDesc& desc) {
  std::lock_guard<std::mutex> guard(Lock());
  if (!sticks::Start()) return -1;
  auto* v = new VirtualStick;
  SDL_VirtualJoystickDesc d{};
  d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  d.naxes = static_cast<Uint16>(desc.axes);
  d.nbuttons = static_cast<Uint16>(desc.buttons);
  d.nhats = static_cast<Uint16>(desc.hats);
  d.name = desc.name;
  d.userdata = v;
  if (desc.rumble) d.Rumble = rumble;
  int index = SDL_JoystickAttachVirtualEx(&d);
  if (index < 0) {
    delete v;
    return -1;
  }
  v->stick = SDL_JoystickOpen(index);
  if (!v->stick) {
    SDL_JoystickDetachVirtual(index);
    delete v;
    return -1;
  }
  virtuals.push_back(v);
  SDL_JoystickUpdate();
  return index;
}

void DetachVirtualJoystick(int id) {
  SDL_JoystickID instance = -1;
  {
    std::lock_guard<std::mutex> guard(Lock());
    if (VirtualStick* v = virtualAt(id)) {
      instance = SDL_JoystickInstanceID(v->stick);
      detach(v);
    }
  }
  changed(instance);
}

void DetachAllVirtualJoysticks() {
  std::lock_guard<std::mutex> guard(Lock());
  while (!virtuals.empty()) detach(virtuals.back());
  if (sticks::Start()) sticks::AtIndex(-1);  // closes what left
}

namespace {
template <typename Set>
void setVirtual(int id, Set set) {
  SDL_JoystickID instance = -1;
  {
    std::lock_guard<std::mutex> guard(Lock());
    if (VirtualStick* v = virtualAt(id)) {
      set(v->stick);
      instance = SDL_JoystickInstanceID(v->stick);
    }
  }
  changed(instance);
}
}  // namespace

void SetVirtualJoystickAxis(int id, int axis, int value) {
  setVirtual(id, [&](SDL_Joystick* j) { SDL_JoystickSetVirtualAxis(j, axis, static_cast<Sint16>(value)); });
}

void SetVirtualJoystickButton(int id, int button, bool down) {
  setVirtual(id, [&](SDL_Joystick* j) { SDL_JoystickSetVirtualButton(j, button, down ? 1 : 0); });
}

void SetVirtualJoystickHat(int id, int hat, int sdlHatValue) {
  setVirtual(id, [&](SDL_Joystick* j) { SDL_JoystickSetVirtualHat(j, hat, static_cast<Uint8>(sdlHatValue)); });
}

bool GetVirtualJoystickRumble(int id, int* low, int* high) {
  std::lock_guard<std::mutex> guard(Lock());
  VirtualStick* v = virtualAt(id);
  if (!v) return false;
  // SDL sends rumble on its update: take what is pending first.
  SDL_JoystickUpdate();
  *low = v->low;
  *high = v->high;
  return true;
}

}  // namespace plat::input
