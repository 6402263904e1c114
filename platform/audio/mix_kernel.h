// The mixer's inner loops: read 8- or 16-bit PCM of one or two channels, resample
// by a 32.32 phase step with linear interpolation, scale by a 2x2 gain matrix and add
// into a stereo float accumulator; and the final float-to-16-bit conversion.
#pragma once
#include <cstdint>

namespace plat::audio {

struct PcmLayout {
  int channels;  // 1 or 2
  int bits;      // 8 (unsigned, midpoint 128) or 16 (signed)
};

// A run of frames to read. `after` is the frame that follows the last one (the start of
// a looping buffer, the next queued buffer), or null to hold the last frame; linear
// interpolation between the last frame and the next reads it.
struct PcmSpan {
  const std::uint8_t* data;
  std::uint32_t frames;
  const std::uint8_t* after;
};

// gain[source channel][output channel]. A mono source uses row 0 only.
struct MixGains {
  float gain[2][2];
};

constexpr std::uint64_t kUnitStep = std::uint64_t{1} << 32;

// Adds up to outFrames stereo frames to out, reading from frame phase >> 32 of the span
// and stepping the phase by step per output frame. Stops early when the phase leaves
// the span; returns the frames written and leaves the phase after the last one read.
using MixFunction = std::uint32_t (*)(const PcmSpan& span, std::uint64_t& phase, std::uint64_t step,
                                      const MixGains& gains, float* out, std::uint32_t outFrames);

// The loop for this layout, step and gain shape; chosen once per run, never per sample.
MixFunction PickMixFunction(PcmLayout layout, std::uint64_t step, const MixGains& gains);

// Rounds to nearest (lrintf) and clamps to 16 bits.
void StoreMixedSamples(const float* mixed, std::int16_t* out, int samples);

}  // namespace plat::audio

namespace plat::audio {

// Hundredths of a decibel as a gain factor, 10^(v / 2000); -10000 and below is silence.
float GainFromHundredthsDb(long hundredths);

}  // namespace plat::audio
