// Force-feedback effects of DirectInput pads: the two endless effects each pad gets
// (slot 0 a constant force, slot 1 a sine), and pushing each slot's wanted power to its
// effect.
#include "media/base/log.h"
#include "media/input/input_dinput.h"
#include "media/input/input_state.h"

namespace ZaDod {
namespace {

namespace di = plat::input;

// Both effects act on the X and Y axes with no trigger, endlessly, at full gain.
struct EffectParams {
  plat::win::DWORD axes[2] = {di::DIJOFS_X, di::DIJOFS_Y};
  std::int32_t direction[2] = {0, 0};
  di::DIENVELOPE envelope{sizeof(di::DIENVELOPE), 0, 500000, 0, 1000000};
  di::DICONSTANTFORCE constant{10000};
  di::DIPERIODIC periodic{10000, 0, 0, 1500000};
  di::DIEFFECT effect{};

  explicit EffectParams(bool sine) {
    effect.dwSize = sizeof(di::DIEFFECT);
    effect.dwFlags = (sine ? di::DIEFF_POLAR : di::DIEFF_CARTESIAN) | di::DIEFF_OBJECTOFFSETS;
    effect.dwDuration = di::INFINITE_DURATION;
    effect.dwGain = 10000;
    effect.dwTriggerButton = di::DIEB_NOTRIGGER;
    effect.cAxes = 2;
    effect.rgdwAxes = axes;
    effect.rglDirection = direction;
    effect.lpEnvelope = sine ? &envelope : nullptr;
    effect.cbTypeSpecificParams = sine ? sizeof(periodic) : sizeof(constant);
    effect.lpvTypeSpecificParams = sine ? static_cast<void*>(&periodic) : static_cast<void*>(&constant);
  }

  // The same effect at another magnitude.
  const di::DIEFFECT* at(int magnitude) {
    constant.lMagnitude = magnitude;
    periodic.dwMagnitude = static_cast<plat::win::DWORD>(magnitude);
    return &effect;
  }
};

plat::win::HRESULT setMagnitude(int slot, di::IDirectInputEffect* e, int magnitude, plat::win::DWORD extra) {
  EffectParams params(slot == 1);
  return e->SetParameters(params.at(magnitude), di::DIEP_TYPESPECIFICPARAMS | extra);
}

}  // namespace

void CreateJoypadEffects(JoypadRecord& pad) {
  EffectParams sine(true), constant(false);
  if (pad.Device->CreateEffect(di::GUID_Sine, &sine.effect, &pad.Effect[1].Effect, nullptr) < 0)
    pad.Effect[1].Effect = nullptr;
  if (pad.Device->CreateEffect(di::GUID_ConstantForce, &constant.effect, &pad.Effect[0].Effect, nullptr) < 0) {
    pad.Effect[0].Effect = nullptr;
    LogAddTextUtf16(u"周期的エフェクトの作成に失敗しました。\n");
  }
}

void ReleaseJoypadEffects(JoypadRecord& pad) {
  for (JoypadEffectSlot& slot : pad.Effect) {
    if (!slot.Effect) continue;
    slot.Effect->Stop();
    slot.Effect->Unload();
    slot.Effect->Release();
    slot.Effect = nullptr;
  }
}

void UpdateDirectInputPadEffects(JoypadRecord& pad, bool active) {
  if (!pad.Device) return;
  for (int slot = 0; slot < 2; ++slot) {
    JoypadEffectSlot& e = pad.Effect[slot];
    if (!e.Effect) continue;
    if (!active) {
      if (!e.AppliedPlaying && !e.AppliedPower) continue;
      if (e.AppliedPlaying) e.Effect->Stop();
      if (e.AppliedPower) setMagnitude(slot, e.Effect, 0, 0);
      e.AppliedPlaying = e.AppliedPower = 0;
      continue;
    }
    const int wanted = e.Playing ? e.Power : 0;
    if (e.AppliedPower == wanted && e.AppliedPlaying == (wanted > 0 ? 1 : 0)) continue;
    if (wanted > 0) {
      if (e.AppliedPlaying) {
        if (e.AppliedPower != wanted) setMagnitude(slot, e.Effect, wanted, di::DIEP_START);
      } else {
        if (e.AppliedPower != wanted) setMagnitude(slot, e.Effect, wanted, 0);
        e.Effect->Start(di::INFINITE_DURATION, 0);
      }
    } else {
      if (e.AppliedPlaying) e.Effect->Stop();
      if (e.AppliedPower != wanted) setMagnitude(slot, e.Effect, 0, 0);
    }
    e.AppliedPower = wanted;
    e.AppliedPlaying = e.Playing;
  }
}

}  // namespace ZaDod
