// Vibration: the per-pass timer of each effect slot, stopping a slot, and pushing each
// slot's wanted state to the motors.
#include "media/base/clock.h"
#include "media/input/input.h"
#include "media/input/input_devices.h"
#include "media/input/input_dinput.h"
#include "media/input/input_state.h"
#include "media/system/window.h"

namespace ZaDod {
namespace {

bool slotUsable(const JoypadRecord& pad, int slot) {
  return pad.XInputIndex >= 0 || (pad.Device && pad.Effect[slot].Effect);
}

void stopSlot(int padIndex, int slot) {
  JoypadEffectSlot& e = Input.Status.Pad[padIndex].Effect[slot];
  if (!slotUsable(Input.Status.Pad[padIndex], slot) || !e.Playing) return;
  e.Playing = 0;
  e.Power = kEffectPowerMax;
  RefreshJoypadEffects();
}

plat::win::WORD motorSpeed(int power) { return static_cast<plat::win::WORD>(power * 65535 / kEffectPowerMax); }

}  // namespace

int ProcessJoypadEffectTimers() {
  if (!Input.Settings.Started) return 0;
  const int now = GetMillisecondCount();
  for (int i = 0; i < Input.Status.PadCount; ++i) {
    for (int slot = 0; slot < 2; ++slot) {
      JoypadEffectSlot& e = Input.Status.Pad[i].Effect[slot];
      if (!slotUsable(Input.Status.Pad[i], slot) || !e.Playing || e.Duration < 0 || now == e.Stamp) continue;
      if (now < e.Stamp) e.Stamp = now;  // the clock wrapped
      e.Elapsed += now - e.Stamp;
      e.Stamp = now;
      // Stopped here directly: this runs inside a pump pass, which must not wait for
      // the window as a caller's stop request does.
      if (e.Elapsed >= e.Duration) stopSlot(i, slot);
    }
  }
  if (Input.Settings.Started) UpdateJoypadEffects();
  return 0;
}

int RefreshJoypadEffects() {
  if (Input.Settings.Started) UpdateJoypadEffects();
  return 0;
}

int StopJoypadVibration(int padNumber, int slot) {
  if (!InputReadyForQuery()) return 0;
  const int n = (padNumber & ~PAD_INPUT_KEY) - 1;
  if (n < 0 || n >= Input.Status.PadCount) return 0;
  if (slot == -1) {
    stopSlot(n, 0);
    stopSlot(n, 1);
  } else if (slot == 0 || slot == 1) {
    stopSlot(n, slot);
  }
  return 0;
}

// Effects reach devices only with DirectInput: XInput pads get both motor speeds in
// one call, DirectInput pads their effects.
int UpdateJoypadEffects() {
  InputStatus& s = Input.Status;
  if (s.Mode != InputDeviceMode::DirectInput8) return 0;
  const bool active = GetWindowActiveFlag() != 0;
  for (int i = 0; i < s.PadCount; ++i) {
    JoypadRecord& pad = s.Pad[i];
    if (pad.XInputIndex < 0) {
      UpdateDirectInputPadEffects(pad, active);
      continue;
    }
    bool changed = false;
    plat::input::XINPUT_VIBRATION speeds{0, 0};
    if (!active) {
      changed = pad.Effect[0].AppliedPower != 0 || pad.Effect[1].AppliedPower != 0;
      for (JoypadEffectSlot& e : pad.Effect) e.AppliedPlaying = e.AppliedPower = 0;
    } else {
      for (int slot = 0; slot < 2; ++slot) {
        JoypadEffectSlot& e = pad.Effect[slot];
        const int wanted = e.Playing ? e.Power : 0;
        (slot == 0 ? speeds.wLeftMotorSpeed : speeds.wRightMotorSpeed) = motorSpeed(wanted);
        changed |= e.AppliedPower != wanted;
        e.AppliedPlaying = e.Playing;
        e.AppliedPower = wanted;
      }
    }
    if (changed && s.XInputSetState) s.XInputSetState(static_cast<plat::win::DWORD>(pad.XInputIndex), &speeds);
  }
  return 0;
}

}  // namespace ZaDod
