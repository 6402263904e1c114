// The 30 reverb presets (I3DL2 environment values) and their conversion into the
// XAudio2 reverb's native parameter blocks, in single precision.
#include <algorithm>
#include <cmath>

#include "media/sound/output.h"

namespace ZaDod {

namespace {

struct I3DL2Reverb {
  float WetDryMix;
  int Room, RoomHF;
  float RoomRolloffFactor, DecayTime, DecayHFRatio;
  int Reflections;
  float ReflectionsDelay;
  int Reverb;
  float ReverbDelay, Diffusion, Density, HFReference;
};

constexpr I3DL2Reverb kPresets[kReverbPresetCount] = {
    {100, -1000, -3300, 0.0f, 1.49f, 0.54f, -2560, 0.162f, -613, 0.088f, 79, 100, 5000},     // forest
    {100, -10000, 0, 0.0f, 1.0f, 0.5f, -10000, 0.02f, -10000, 0.04f, 100, 100, 5000},      // default (none)
    {100, -1000, -100, 0.0f, 1.49f, 0.83f, -2602, 0.007f, 200, 0.011f, 100, 100, 5000},     // generic
    {100, -1000, -6000, 0.0f, 0.17f, 0.10f, -1204, 0.001f, 207, 0.002f, 100, 100, 5000},    // padded cell
    {100, -1000, -454, 0.0f, 0.40f, 0.83f, -1646, 0.002f, 53, 0.003f, 100, 100, 5000},      // room
    {100, -1000, -1200, 0.0f, 1.49f, 0.54f, -370, 0.007f, 1030, 0.011f, 100, 60, 5000},     // bathroom
    {100, -1000, -6000, 0.0f, 0.50f, 0.10f, -1376, 0.003f, -1104, 0.004f, 100, 100, 5000},  // living room
    {100, -1000, -300, 0.0f, 2.31f, 0.64f, -711, 0.012f, 83, 0.017f, 100, 100, 5000},       // stone room
    {100, -1000, -476, 0.0f, 4.32f, 0.59f, -789, 0.020f, -289, 0.030f, 100, 100, 5000},     // auditorium
    {100, -1000, -500, 0.0f, 3.92f, 0.70f, -1230, 0.020f, -2, 0.029f, 100, 100, 5000},      // concert hall
    {100, -1000, 0, 0.0f, 2.91f, 1.30f, -602, 0.015f, -302, 0.022f, 100, 100, 5000},        // cave
    {100, -1000, -698, 0.0f, 7.24f, 0.33f, -1166, 0.020f, 16, 0.030f, 100, 100, 5000},      // arena
    {100, -1000, -1000, 0.0f, 10.05f, 0.23f, -602, 0.020f, 198, 0.030f, 100, 100, 5000},    // hangar
    {100, -1000, -4000, 0.0f, 0.30f, 0.10f, -1831, 0.002f, -1630, 0.030f, 100, 100, 5000},  // carpeted hallway
    {100, -1000, -300, 0.0f, 1.49f, 0.59f, -1219, 0.007f, 441, 0.011f, 100, 100, 5000},     // hallway
    {100, -1000, -237, 0.0f, 2.70f, 0.79f, -1214, 0.013f, 395, 0.020f, 100, 100, 5000},     // stone corridor
    {100, -1000, -270, 0.0f, 1.49f, 0.86f, -1204, 0.007f, -4, 0.011f, 100, 100, 5000},      // alley
    {100, -1000, -800, 0.0f, 1.49f, 0.67f, -2273, 0.007f, -2217, 0.011f, 50, 100, 5000},    // city
    {100, -1000, -2500, 0.0f, 1.49f, 0.21f, -2780, 0.300f, -2014, 0.100f, 27, 100, 5000},   // mountains
    {100, -1000, -1000, 0.0f, 1.49f, 0.83f, -10000, 0.061f, 500, 0.025f, 100, 100, 5000},   // quarry
    {100, -1000, -2000, 0.0f, 1.49f, 0.50f, -2466, 0.179f, -2514, 0.100f, 21, 100, 5000},   // plain
    {100, -1000, 0, 0.0f, 1.65f, 1.50f, -1363, 0.008f, -1153, 0.012f, 100, 100, 5000},      // parking lot
    {100, -1000, -1000, 0.0f, 2.81f, 0.14f, 429, 0.014f, 648, 0.021f, 80, 60, 5000},        // sewer pipe
    {100, -1000, -4000, 0.0f, 1.49f, 0.10f, -449, 0.007f, 1700, 0.011f, 100, 100, 5000},    // underwater
    {100, -1000, -600, 0.0f, 1.10f, 0.83f, -400, 0.005f, 500, 0.010f, 100, 100, 5000},      // small room
    {100, -1000, -600, 0.0f, 1.30f, 0.83f, -1000, 0.010f, -200, 0.020f, 100, 100, 5000},    // medium room
    {100, -1000, -600, 0.0f, 1.50f, 0.83f, -1600, 0.020f, -1000, 0.040f, 100, 100, 5000},   // large room
    {100, -1000, -600, 0.0f, 1.80f, 0.70f, -1300, 0.015f, -800, 0.030f, 100, 100, 5000},    // medium hall
    {100, -1000, -600, 0.0f, 1.80f, 0.70f, -2000, 0.030f, -1400, 0.060f, 100, 100, 5000},   // large hall
    {100, -1000, -200, 0.0f, 1.30f, 0.90f, 0, 0.002f, 0, 0.010f, 100, 75, 5000},            // plate
};

pa::XAUDIO2FX_REVERB_PARAMETERS convert(const I3DL2Reverb& in) {
  pa::XAUDIO2FX_REVERB_PARAMETERS out{};
  out.WetDryMix = in.WetDryMix;
  out.ReflectionsDelay = static_cast<std::uint32_t>(std::clamp(in.ReflectionsDelay * 1000.0f, 1.0f, 299.0f));
  out.ReverbDelay = static_cast<std::uint8_t>(std::min(in.ReverbDelay * 1000.0f, 84.0f));
  out.RearDelay = 5;
  out.PositionLeft = 6;
  out.PositionRight = 6;
  out.PositionMatrixLeft = 27;
  out.PositionMatrixRight = 27;
  out.EarlyDiffusion = static_cast<std::uint8_t>(in.Diffusion * 15.0f / 100.0f);
  out.LateDiffusion = out.EarlyDiffusion;
  const float ratio = in.DecayHFRatio;
  if (ratio >= 1.0f) {
    const int index = static_cast<int>(-4.0f * std::log10(ratio));
    out.LowEQGain = static_cast<std::uint8_t>(std::clamp(8 + index, 0, 8));
    out.HighEQGain = 8;
    out.DecayTime = in.DecayTime * ratio;
  } else {
    const int index = static_cast<int>(4.0f * std::log10(ratio));
    out.LowEQGain = 8;
    out.HighEQGain = static_cast<std::uint8_t>(std::clamp(8 + index, 0, 8));
    out.DecayTime = in.DecayTime;
  }
  out.LowEQCutoff = 4;
  out.HighEQCutoff = 6;
  out.RoomFilterFreq = in.HFReference;
  out.RoomFilterMain = static_cast<float>(in.Room) / 100.0f;
  out.RoomFilterHF = static_cast<float>(in.RoomHF) / 100.0f;
  out.ReflectionsGain = static_cast<float>(in.Reflections) / 100.0f;
  out.ReverbGain = static_cast<float>(in.Reverb) / 100.0f;
  out.Density = in.Density;
  out.RoomSize = 100.0f;
  out.DisableLateField = 0;
  return out;
}

}  // namespace

void ConvertReverbPresets(pa::XAUDIO2FX_REVERB_PARAMETERS* out) {
  for (int i = 0; i < kReverbPresetCount; ++i) out[i] = convert(kPresets[i]);
}

}  // namespace ZaDod
