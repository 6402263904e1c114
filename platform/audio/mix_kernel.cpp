// The mixer's inner loops, one instance per layout, resampling and gain shape.
#include "platform/audio/mix_kernel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plat::audio {

namespace {

template <int Bits>
inline float sampleAt(const std::uint8_t* p, int index) {
  if constexpr (Bits == 16) {
    std::int16_t v;
    std::memcpy(&v, p + index * 2, 2);
    return static_cast<float>(v);
  } else {
    return static_cast<float>((static_cast<int>(p[index]) - 128) * 256);
  }
}

template <int Ch, bool Diag>
inline void addFrame(float* out, float l, float r, float g00, float g01, float g10, float g11) {
  if constexpr (Ch == 1) {
    out[0] += l * g00;
    out[1] += l * g01;
  } else if constexpr (Diag) {
    out[0] += l * g00;
    out[1] += r * g11;
  } else {
    out[0] += l * g00 + r * g10;
    out[1] += l * g01 + r * g11;
  }
}

template <int Ch, int Bits, bool Interp, bool Diag>
std::uint32_t mixKernel(const PcmSpan& span, std::uint64_t& phase, std::uint64_t step, const MixGains& gains,
                        float* out, std::uint32_t outFrames) {
  constexpr int frameBytes = Ch * Bits / 8;
  const std::uint8_t* const data = span.data;
  const std::uint32_t frames = span.frames;
  const float g00 = gains.gain[0][0], g01 = gains.gain[0][1];
  const float g10 = gains.gain[1][0], g11 = gains.gain[1][1];
  std::uint64_t ph = phase;
  if ((ph >> 32) >= frames) return 0;

  if constexpr (!Interp) {
    const std::uint32_t first = static_cast<std::uint32_t>(ph >> 32);
    const std::uint32_t count = std::min(outFrames, frames - first);
    const std::uint8_t* p = data + static_cast<std::size_t>(first) * frameBytes;
    for (std::uint32_t k = 0; k < count; ++k, p += frameBytes, out += 2) {
      const float l = sampleAt<Bits>(p, 0);
      const float r = Ch == 2 ? sampleAt<Bits>(p, 1) : l;
      addFrame<Ch, Diag>(out, l, r, g00, g01, g10, g11);
    }
    phase = ph + (static_cast<std::uint64_t>(count) << 32);
    return count;
  } else {
    constexpr float kFraction = 1.0f / 4294967296.0f;
    std::uint32_t n = 0;
    // Frames whose right-hand neighbour lies inside the span need no check per sample.
    const std::uint64_t safeEnd = static_cast<std::uint64_t>(frames - 1) << 32;
    if (ph < safeEnd) {
      const std::uint64_t safe = (safeEnd - ph + step - 1) / step;
      const std::uint32_t count = static_cast<std::uint32_t>(std::min<std::uint64_t>(safe, outFrames));
      for (; n < count; ++n, out += 2, ph += step) {
        const std::uint8_t* a = data + static_cast<std::size_t>(ph >> 32) * frameBytes;
        const float f = static_cast<float>(static_cast<std::uint32_t>(ph)) * kFraction;
        const float l0 = sampleAt<Bits>(a, 0);
        const float l = l0 + (sampleAt<Bits>(a + frameBytes, 0) - l0) * f;
        float r = l;
        if constexpr (Ch == 2) {
          const float r0 = sampleAt<Bits>(a, 1);
          r = r0 + (sampleAt<Bits>(a + frameBytes, 1) - r0) * f;
        }
        addFrame<Ch, Diag>(out, l, r, g00, g01, g10, g11);
      }
    }
    for (; n < outFrames && (ph >> 32) < frames; ++n, out += 2, ph += step) {
      const std::uint32_t i = static_cast<std::uint32_t>(ph >> 32);
      const std::uint8_t* a = data + static_cast<std::size_t>(i) * frameBytes;
      const std::uint8_t* b = i + 1 < frames ? a + frameBytes : (span.after != nullptr ? span.after : a);
      const float f = static_cast<float>(static_cast<std::uint32_t>(ph)) * kFraction;
      const float l0 = sampleAt<Bits>(a, 0);
      const float l = l0 + (sampleAt<Bits>(b, 0) - l0) * f;
      float r = l;
      if constexpr (Ch == 2) {
        const float r0 = sampleAt<Bits>(a, 1);
        r = r0 + (sampleAt<Bits>(b, 1) - r0) * f;
      }
      addFrame<Ch, Diag>(out, l, r, g00, g01, g10, g11);
    }
    phase = ph;
    return n;
  }
}

template <int Ch, int Bits>
MixFunction pick(bool interp, bool diag) {
  if (interp) return diag ? &mixKernel<Ch, Bits, true, true> : &mixKernel<Ch, Bits, true, false>;
  return diag ? &mixKernel<Ch, Bits, false, true> : &mixKernel<Ch, Bits, false, false>;
}

}  // namespace

MixFunction PickMixFunction(PcmLayout layout, std::uint64_t step, const MixGains& gains) {
  const bool interp = step != kUnitStep;
  const bool diag = gains.gain[0][1] == 0.0f && gains.gain[1][0] == 0.0f;
  if (layout.channels == 1) return layout.bits == 8 ? pick<1, 8>(interp, true) : pick<1, 16>(interp, true);
  return layout.bits == 8 ? pick<2, 8>(interp, diag) : pick<2, 16>(interp, diag);
}

void StoreMixedSamples(const float* mixed, std::int16_t* out, int samples) {
  for (int i = 0; i < samples; ++i) {
    const float v = std::clamp(mixed[i], -32768.0f, 32767.0f);
    out[i] = static_cast<std::int16_t>(std::lrintf(v));
  }
}

}  // namespace plat::audio

namespace plat::audio {

float GainFromHundredthsDb(long hundredths) {
  if (hundredths <= -10000) return 0.0f;
  return static_cast<float>(std::pow(10.0, static_cast<double>(hundredths) / 2000.0));
}

}  // namespace plat::audio
