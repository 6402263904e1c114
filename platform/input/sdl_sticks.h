// What the joystick functions and the DirectInput controllers share of SDL: one lock
// for every SDL joystick call, the subsystem's start, and the sticks opened by device
// index. Internal to platform/input.
#pragma once
#include "platform/dynload/sdl_api.h"

#include <mutex>

namespace plat::input::sticks {

// Every SDL joystick call of the stand-in is made under this lock.
std::mutex& Lock();
// Starts SDL's joystick subsystem (without video) on first use; false when it cannot.
bool Start();
// False when no stick can be there (SDL not started and no device node it could read),
// so a scan need not start SDL to find none.
bool MayHaveSticks();
// The open stick at SDL device index `index` (opened on first use, closed once it has
// left), or null. Runs SDL's update first, so states are current.
SDL_Joystick* AtIndex(int index);
// The open stick with that SDL instance id, or null when it left.
SDL_Joystick* ByInstance(SDL_JoystickID instance);
// Called by the virtual-stick test facility when a stick's state was changed, so
// devices that asked to be told of new data are.
using ChangeListener = void (*)(SDL_JoystickID instance);
void SetChangeListener(ChangeListener listener);
void NotifyChange(SDL_JoystickID instance);

}  // namespace plat::input::sticks
