// Test facility of the DirectInput stand-in: the effects a game controller holds, as
// the stand-in keeps them.
#pragma once
#include <cstdint>
#include <vector>

namespace plat::input {

struct EffectProbe {
  bool sine;  // else a constant force
  bool running;
  bool loaded;
  std::int32_t magnitude;
};

// Makes the system keyboard fail: its creation, or setting its notification event.
enum class KeyboardFailure { None, Create, Event };
void SetKeyboardFailureForTest(KeyboardFailure failure);

// Effects of every device open on the joystick with that id, in creation order.
std::vector<EffectProbe> GetControllerEffectsForTest(int joystickId);

}  // namespace plat::input
