// Raw device input as the window system sees it, before any message is made: key
// scan codes, pointer motion, wheel steps and buttons. The DirectInput-style devices of
// the input stand-in observe it; the window's messages are unaffected.
#pragma once

namespace plat::win {

struct RawInputEvent {
  enum class Kind { Key, Motion, Button, Wheel };
  Kind kind = Kind::Key;
  int code = 0;        // Key: set-1 scan code, 0x80 added for extended keys; Button: 0 left, 1 right, 2 middle
  bool down = false;   // Key, Button
  int dx = 0, dy = 0;  // Motion: pointer movement in pixels
  int wheel = 0;       // Wheel: 120 per step, positive away from the user
};

using RawInputObserver = void (*)(const RawInputEvent& event);

// One observer at a time; null removes it. It is called on the thread that delivers
// the event, with no lock of the window stand-in held.
void SetRawInputObserver(RawInputObserver observer);

}  // namespace plat::win
