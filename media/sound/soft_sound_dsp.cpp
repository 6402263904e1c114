// Resampling (windowed sinc from the shared sine table), time stretching by
// period-synchronous overlap-add, and the pitch and stretch a load can ask for.
#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#include "media/base/memory.h"
#include "media/sound/sound_handle.h"

namespace ZaDod {

namespace {

constexpr std::uint64_t kMaxSoftBytes = 0x80000000ull;

bool sameShape(const SoftSoundHandleRecord* a, const SoftSoundHandleRecord* b) {
  return a->Format.wFormatTag == b->Format.wFormatTag && a->Format.nChannels == b->Format.nChannels &&
         a->Format.nSamplesPerSec == b->Format.nSamplesPerSec && a->Format.wBitsPerSample == b->Format.wBitsPerSample &&
         a->Format.nChannels <= 2 && a->SampleNum > 0 && b->SampleNum > 0 && a->SampleNum != b->SampleNum;
}

// The tap weight at phase x (1/128 sample from the output point), over 2^14.
// Indices are masked to the table: for taps past the centre x is negative, and the
// sine's symmetry gives the right value.
float tapWeight(std::int64_t x) {
  const std::int16_t* table = SoundSys.SinTable;
  const std::int64_t sinc = x == 0 ? 16384 : table[(x * 256) & 0xFFFF] * 16384 / (x * 402);
  const std::int64_t u = x * 65536 / 32896;
  const std::int64_t w = table[(u + 16384) & 0xFFFF] / 2 + 8192;
  return static_cast<float>(w * sinc / 16384) / 16384.0f;
}

template <int Channels>
void resampleFloat(const float* src, std::int64_t n, float* dst, std::int64_t m) {
  // The taps lie within 64 samples either side of the output's position, and the
  // phase takes 128 values a sample, so every weight comes from one table made before
  // the loop.
  const std::int64_t xLow = -64 * 128;
  const std::int64_t xHigh = 65 * 128;
  std::vector<float> weights(static_cast<std::size_t>(xHigh - xLow));
  for (std::int64_t x = xLow; x < xHigh; ++x) weights[static_cast<std::size_t>(x - xLow)] = tapWeight(x);
  const float* wt = weights.data();
  std::int64_t i = 0, r = 0;
  for (std::int64_t j = 0; j < m; ++j) {
    const std::int64_t lo = std::clamp<std::int64_t>((r != 0 ? i + 1 : i) - 64, 0, n - 1);
    const std::int64_t hi = std::clamp<std::int64_t>(i + 64, 0, n - 1);
    // Output j stands for source position j·n/m, the centre of its taps: the first
    // output is the first source sample, and the last is not set past the source's end
    // (where every tap's weight is zero and a looping sound would click each pass).
    // Index of the first tap's weight: its phase less the table's lowest phase.
    std::int64_t x = (i - lo) * 128 + r * 128 / m - xLow;
    r += n;
    const std::int64_t whole = r / m;
    i += whole;
    r -= whole * m;
    float acc[Channels] = {};
    for (std::int64_t k = lo; k <= hi; ++k, x -= 128) {
      const float w = wt[x];
      for (int c = 0; c < Channels; ++c) acc[c] += w * src[k * Channels + c];
    }
    for (int c = 0; c < Channels; ++c) dst[j * Channels + c] = acc[c];
  }
}

int resampleRecords(SoftSoundHandleRecord* a, SoftSoundHandleRecord* b) {
  const auto* src = static_cast<const float*>(a->Wave);
  auto* dst = static_cast<float*>(b->Wave);
  if (a->Format.nChannels == 1) {
    resampleFloat<1>(src, a->SampleNum, dst, b->SampleNum);
  } else {
    resampleFloat<2>(src, a->SampleNum, dst, b->SampleNum);
  }
  return 0;
}

// Sample access for the stretcher: 8-bit, 16-bit and float data, silence past the end.
template <typename T>
struct Samples {
  const T* data;
  std::int64_t frames;
  int channels;
  static constexpr double kSilence = sizeof(T) == 1 ? 128.0 : 0.0;
  double at(std::int64_t frame, int c) const {
    return frame < frames ? static_cast<double>(data[frame * channels + c]) : kSilence;
  }
};

// The correlation term of two samples, with the integer rounding of each width.
inline double product(std::uint8_t a, std::uint8_t b) { return static_cast<double>((a - 128) * (b - 128) / 128); }
inline double product(std::int16_t a, std::int16_t b) { return static_cast<double>(a * b / 32768); }
inline double product(float a, float b) { return static_cast<double>(a) * b; }

template <typename T>
T silenceOf() { return sizeof(T) == 1 ? T(128) : T(0); }

template <typename T>
std::int64_t findPeriod(const T* a, std::int64_t n, int ch, std::int64_t p, std::int64_t w, std::int64_t pmin,
                        std::int64_t pmax) {
  double best = 0.0;
  std::int64_t period = pmin;
  const T silence = silenceOf<T>();
  for (std::int64_t lag = pmin; lag <= pmax; ++lag) {
    double sum = 0.0;
    for (std::int64_t k = 0; k < w; ++k) {
      const std::int64_t x = p + k, y = p + k + lag;
      const T s1 = x < n ? a[x * ch] : silence;
      const T s2 = y < n ? a[y * ch] : silence;
      sum += product(s1, s2);
    }
    if (sum > best) {
      best = sum;
      period = lag;
    }
  }
  return std::max<std::int64_t>(1, period);
}

template <typename T>
void stretch(const T* a, std::int64_t n, T* out, std::int64_t m, int ch, std::uint32_t rate, std::int64_t ratio) {
  const std::int64_t w = static_cast<std::int64_t>(rate * 0.01);
  const std::int64_t pmin = std::max<std::int64_t>(1, static_cast<std::int64_t>(rate * 0.005));
  const std::int64_t pmax = std::max(pmin, static_cast<std::int64_t>(rate * 0.02));
  const T silence = silenceOf<T>();
  auto src = [&](std::int64_t f, int c) -> double { return f < n ? static_cast<double>(a[f * ch + c]) : (double)silence; };
  auto put = [&](std::int64_t f, int c, double v) {
    if (f < m) out[f * ch + c] = static_cast<T>(v);
  };
  std::int64_t p = 0, q = 0;
  while (q < m && p < n) {
    const std::int64_t period = findPeriod(a, n, ch, p, w, pmin, pmax);
    // A step fits while every sample it reads lies in the source; one reaching past
    // the end would fade the sound's last periods into silence.
    const std::int64_t l = ratio > 512 ? (period * (std::int64_t{1} << 18) / (ratio - 512) + 256) / 512
                                       : (period * ratio * 512 / (512 - ratio) + 256) / 512;
    if (p + std::max(2 * period, ratio > 512 ? period + l : l) > n) break;
    if (ratio > 512) {
      for (std::int64_t k = 0; k < period; ++k) {
        for (int c = 0; c < ch; ++c) {
          put(q + k, c, std::is_floating_point_v<T>
                            ? (src(p + k, c) * (period - k) + src(p + period + k, c) * k) / period
                            : static_cast<double>(static_cast<std::int64_t>(src(p + k, c) * (period - k) +
                                                                             src(p + period + k, c) * k) / period));
        }
      }
      for (std::int64_t k = 0; k < l - period; ++k) {
        for (int c = 0; c < ch; ++c) put(q + period + k, c, src(p + 2 * period + k, c));
      }
      p += period + l;
      q += l;
    } else {
      for (std::int64_t k = 0; k < period; ++k) {
        for (int c = 0; c < ch; ++c) put(q + k, c, src(p + k, c));
      }
      for (std::int64_t k = 0; k < period; ++k) {
        for (int c = 0; c < ch; ++c) {
          put(q + period + k, c, std::is_floating_point_v<T>
                                     ? (src(p + period + k, c) * (period - k) + src(p + k, c) * k) / period
                                     : static_cast<double>(static_cast<std::int64_t>(src(p + period + k, c) * (period - k) +
                                                                                      src(p + k, c) * k) / period));
        }
      }
      for (std::int64_t k = 0; k < l - period; ++k) {
        for (int c = 0; c < ch; ++c) put(q + 2 * period + k, c, src(p + period + k, c));
      }
      p += l;
      q += period + l;
    }
  }
  // The rest of the output, shorter than a step, takes the rest of the source spread
  // evenly over it, so the sound ends as its source does.
  const std::int64_t restIn = std::max<std::int64_t>(1, n - p), restOut = m - q;
  p = std::min(p, n - 1);
  for (std::int64_t k = 0; k < restOut; ++k) {
    for (int c = 0; c < ch; ++c) put(q + k, c, src(p + k * restIn / restOut, c));
  }
}

}  // namespace

int ResampleSoftSound(int srcHandle, int dstHandle) {
  SoftSoundHandleRecord* a = GetSoftSoundData(srcHandle);
  SoftSoundHandleRecord* b = GetSoftSoundData(dstHandle);
  if (a == nullptr || b == nullptr || !sameShape(a, b)) return -1;
  if (a->Format.wFormatTag == 3) return resampleRecords(a, b);
  // Integer PCM goes through float copies of both.
  const int ch = a->Format.nChannels;
  const int rate = static_cast<int>(a->Format.nSamplesPerSec);
  const int fa = MakeSoftSound(ch, 32, rate, a->SampleNum, 1);
  const int fb = MakeSoftSound(ch, 32, rate, b->SampleNum, 1);
  int result = -1;
  if (fa != -1 && fb != -1 && ConvertSoftSoundPcmToFloat(srcHandle, fa) == 0) {
    resampleRecords(GetSoftSoundData(fa), GetSoftSoundData(fb));
    result = ConvertSoftSoundFloatToPcm(fb, dstHandle);
  }
  if (fa != -1) DeleteSoftSound(fa);
  if (fb != -1) DeleteSoftSound(fb);
  return result;
}

int TimeStretchSoftSound(int srcHandle, int dstHandle) {
  SoftSoundHandleRecord* a = GetSoftSoundData(srcHandle);
  SoftSoundHandleRecord* b = GetSoftSoundData(dstHandle);
  if (a == nullptr || b == nullptr || !sameShape(a, b)) return -1;
  const std::int64_t n = a->SampleNum, m = b->SampleNum;
  const std::int64_t ratio = static_cast<std::int64_t>(static_cast<double>(n) / static_cast<double>(m) * 512.0);
  // At a ratio of exactly 512 (lengths within 1/512 of each other) a period step would
  // never end: such a small change is made by resampling.
  if (ratio == 512 || ratio <= 0) return ResampleSoftSound(srcHandle, dstHandle);
  const int ch = a->Format.nChannels;
  const std::uint32_t rate = a->Format.nSamplesPerSec;
  switch (a->Format.wBitsPerSample) {
    case 8: stretch(static_cast<const std::uint8_t*>(a->Wave), n, static_cast<std::uint8_t*>(b->Wave), m, ch, rate, ratio); break;
    case 16: stretch(static_cast<const std::int16_t*>(a->Wave), n, static_cast<std::int16_t*>(b->Wave), m, ch, rate, ratio); break;
    case 32: stretch(static_cast<const float*>(a->Wave), n, static_cast<float*>(b->Wave), m, ch, rate, ratio); break;
    default: return -1;
  }
  return 0;
}

int ApplySoundPitchAndStretch(int soundHandle, const LoadSoundSettings* settings, int softHandle, int bufferNum,
                              int asyncFlag) {
  SoftSoundHandleRecord* s = GetSoftSoundData(softHandle);
  if (s == nullptr) return -1;
  const int ch = s->Format.nChannels;
  const int rate = static_cast<int>(s->Format.nSamplesPerSec);
  const std::uint64_t frameBytes = 4ull * static_cast<std::uint32_t>(ch);
  // A length that is no sound at all, or more than a soft sound may hold, is refused.
  auto lengthFor = [&](std::int64_t samples, float factor) -> std::int64_t {
    if (!(factor > 0.0f)) return -1;
    const float v = static_cast<float>(samples) * factor;
    if (!(v >= 1.0f) || static_cast<double>(v) * frameBytes > static_cast<double>(kMaxSoftBytes)) return -1;
    return static_cast<std::int64_t>(v);
  };
  std::vector<int> temporaries;
  auto make = [&](std::int64_t samples) {
    const int h = MakeSoftSound(ch, 32, rate, static_cast<int>(samples), 1);
    if (h != -1) temporaries.push_back(h);
    return h;
  };
  auto finish = [&](int result) {
    for (int h : temporaries) DeleteSoftSound(h);
    return result;
  };
  const int f = make(s->SampleNum);
  if (f == -1) return finish(-1);
  if ((s->Format.wFormatTag == 3 ? CopySoftSoundData(softHandle, f) : ConvertSoftSoundPcmToFloat(softHandle, f)) != 0) {
    return finish(-1);
  }
  if (settings->EnablePitchRate) {
    float pitch = settings->PitchRate;
    if (!(pitch > 0.0f)) return finish(-3);
    while (pitch > 2.0f) {
      const std::int64_t twice = lengthFor(GetSoftSoundSampleCount(f), 2.0f);
      const int t = twice < 0 ? -1 : make(twice);
      if (t == -1) return finish(-2);
      TimeStretchSoftSound(f, t);
      ResampleSoftSound(t, f);
      pitch *= 0.5f;
      DeleteSoftSound(t);
      temporaries.pop_back();
    }
    const std::int64_t len = lengthFor(GetSoftSoundSampleCount(f), pitch);
    const int t2 = len < 0 ? -1 : make(len);
    if (t2 == -1) return finish(-3);
    if (len != GetSoftSoundSampleCount(f)) {
      TimeStretchSoftSound(f, t2);
      ResampleSoftSound(t2, f);
    }
  }
  int result = f;
  if (settings->EnableTimeStretch) {
    const std::int64_t len = lengthFor(GetSoftSoundSampleCount(f), settings->TimeStretchRate);
    const int t3 = len < 0 ? -1 : make(len);
    if (t3 == -1) return finish(-4);
    if (TimeStretchSoftSound(f, t3) != 0) CopySoftSoundData(f, t3);
    result = t3;
  }
  SoftSoundHandleRecord* r = GetSoftSoundData(result);
  if (r == nullptr) return finish(-5);
  void* image = nullptr;
  std::uint32_t size = 0;
  const std::uint64_t bytes = static_cast<std::uint64_t>(r->SampleNum) * r->Format.nBlockAlign;
  if (bytes > 0xFFFFFFF0u ||
      MakeTempWaveImage(&image, &size, &r->Format, sizeof(r->Format), r->Wave, static_cast<std::uint32_t>(bytes)) != 0) {
    return finish(-6);
  }
  LoadSoundSettings plain = *settings;
  plain.EnablePitchRate = 0;
  plain.EnableTimeStretch = 0;
  plain.PitchRate = 1.0f;
  plain.TimeStretchRate = 1.0f;
  const int loaded = LoadSoundMemByMemImageWithParams(&plain, 0, soundHandle, image, size, bufferNum, -1, 0, asyncFlag);
  MemFree(image);
  return finish(loaded != 0 ? -7 : 0);
}

}  // namespace ZaDod
