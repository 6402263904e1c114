#include "platform/input/joystick.h"

#include <SDL.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/input/joystick_test.h"
#include "platform/win/path.h"

namespace plat::input {
namespace {

constexpr int kMaxAxes = 6;
constexpr int kMaxButtons = 32;

std::mutex lock;
bool started = false;
// Sticks we have opened, by SDL instance id; a stick that left is closed on the next call.
std::vector<SDL_Joystick*> opened;
// Virtual sticks the tests attached, in attach order (SDL keeps the same order).
std::vector<SDL_Joystick*> virtuals;

bool startSdl() {
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

void closeDeparted() {
  opened.erase(std::remove_if(opened.begin(), opened.end(),
                              [](SDL_Joystick* j) {
                                if (SDL_JoystickGetAttached(j)) return false;
                                SDL_JoystickClose(j);
                                return true;
                              }),
               opened.end());
}

// The open stick for a joystick id, or null when no stick has that id.
SDL_Joystick* stickFor(UINT id) {
  if (!startSdl()) return nullptr;
  SDL_JoystickUpdate();
  closeDeparted();
  if (static_cast<int>(id) >= SDL_NumJoysticks()) return nullptr;
  SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(static_cast<int>(id));
  for (SDL_Joystick* j : opened)
    if (SDL_JoystickInstanceID(j) == instance) return j;
  SDL_Joystick* j = SDL_JoystickOpen(static_cast<int>(id));
  if (j) opened.push_back(j);
  return j;
}

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
  std::lock_guard<std::mutex> guard(lock);
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
  std::lock_guard<std::mutex> guard(lock);
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

int AttachVirtualJoystick(int axes, int buttons) {
  std::lock_guard<std::mutex> guard(lock);
  if (!startSdl()) return -1;
  int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, 0);
  if (index < 0) return -1;
  SDL_Joystick* j = SDL_JoystickOpen(index);
  if (!j) {
    SDL_JoystickDetachVirtual(index);
    return -1;
  }
  virtuals.push_back(j);
  SDL_JoystickUpdate();
  return index;
}

namespace {
SDL_Joystick* virtualAt(int id) {
  if (id < 0 || id >= SDL_NumJoysticks()) return nullptr;
  SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(id);
  for (SDL_Joystick* j : virtuals)
    if (SDL_JoystickInstanceID(j) == instance) return j;
  return nullptr;
}

void detach(SDL_Joystick* j) {
  SDL_JoystickID instance = SDL_JoystickInstanceID(j);
  for (int i = 0; i < SDL_NumJoysticks(); ++i)
    if (SDL_JoystickGetDeviceInstanceID(i) == instance) SDL_JoystickDetachVirtual(i);
  SDL_JoystickClose(j);
  virtuals.erase(std::find(virtuals.begin(), virtuals.end(), j));
}
}  // namespace

void DetachVirtualJoystick(int id) {
  std::lock_guard<std::mutex> guard(lock);
  if (SDL_Joystick* j = virtualAt(id)) detach(j);
}

void DetachAllVirtualJoysticks() {
  std::lock_guard<std::mutex> guard(lock);
  while (!virtuals.empty()) detach(virtuals.back());
  if (started) {
    SDL_JoystickUpdate();
    closeDeparted();
  }
}

void SetVirtualJoystickAxis(int id, int axis, int value) {
  std::lock_guard<std::mutex> guard(lock);
  if (SDL_Joystick* j = virtualAt(id)) SDL_JoystickSetVirtualAxis(j, axis, static_cast<Sint16>(value));
}

void SetVirtualJoystickButton(int id, int button, bool down) {
  std::lock_guard<std::mutex> guard(lock);
  if (SDL_Joystick* j = virtualAt(id)) SDL_JoystickSetVirtualButton(j, button, down ? 1 : 0);
}

}  // namespace plat::input
