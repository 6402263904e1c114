// The layer's base of memory, integer, floating-point and 3-D routines.
#include <climits>
#include <cmath>
#include <cstring>

#include "media/base/maths.h"

namespace ZaDod {

void MemoryCopy(void* destination, const void* source, size_t size) {
  if (size) std::memcpy(destination, source, size);
}

void MemoryMove(void* destination, const void* source, size_t size) {
  if (size) std::memmove(destination, source, size);
}

void MemorySet(void* destination, int value, size_t size) {
  if (size) std::memset(destination, value, size);
}

void MemorySet32(void* destination, uint32_t value, size_t count) {
  auto* out = static_cast<unsigned char*>(destination);
  for (size_t i = 0; i < count; ++i) std::memcpy(out + i * 4, &value, 4);  // any alignment
}

int MemoryCompare(const void* a, const void* b, size_t size) { return size && std::memcmp(a, b, size) != 0 ? 1 : 0; }

void MultiplyUInt64To128(uint64_t a, uint64_t b, uint64_t* out) {
  unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
  out[0] = static_cast<uint64_t>(product);
  out[1] = static_cast<uint64_t>(product >> 64);
}

void DivideUInt128ByUInt64(const uint64_t* dividend, uint64_t divisor, uint64_t* quotient) {
  if (divisor == 0) {
    *quotient = ~uint64_t(0);
    return;
  }
  unsigned __int128 value = (static_cast<unsigned __int128>(dividend[1]) << 64) | dividend[0];
  *quotient = static_cast<uint64_t>(value / divisor);
}

uint64_t DivideUInt64(const uint64_t* value, uint32_t divisor) { return divisor ? *value / divisor : ~uint64_t(0); }

float AcosFloat(float x) { return std::acos(x); }
double Atan2Double(double y, double x) { return std::atan2(y, x); }
float ExpFloat(float x) { return std::exp(x); }
double Log10Double(double x) { return std::log10(x); }
float PowFloat(float x, float y) { return std::pow(x, y); }
float SqrtFloat(float x) { return std::sqrt(x); }
double SqrtDouble(double x) { return std::sqrt(x); }

void SinCosFloat(float angle, float* sine, float* cosine) {
  *sine = std::sin(angle);
  *cosine = std::cos(angle);
}

void SinCosDouble(double angle, double* sine, double* cosine) {
  *sine = std::sin(angle);
  *cosine = std::cos(angle);
}

namespace {

// Exactly the doubles whose truncation fits an int: (-2^31 - 1, 2^31).
int toIntOrIndefinite(double truncated) {
  if (!(truncated > -2147483649.0 && truncated < 2147483648.0)) return INT_MIN;
  return static_cast<int>(truncated);
}

}  // namespace

int TruncFloatToInt(float value) { return toIntOrIndefinite(std::trunc(static_cast<double>(value))); }
int TruncDoubleToInt(double value) { return toIntOrIndefinite(std::trunc(value)); }
int RoundDoubleToInt(double value) { return toIntOrIndefinite(std::nearbyint(value)); }

void ConvertFloat4ToInt4(const float* in, int* out) {
  for (int i = 0; i < 4; ++i) out[i] = TruncFloatToInt(in[i]);
}

void ConvertDouble4ToInt4(const double* in, int* out) {
  for (int i = 0; i < 4; ++i) out[i] = TruncDoubleToInt(in[i]);
}

int WideStringLength(const char16_t* text) {
  if (!text) return 0;
  const char16_t* end = text;
  while (*end) ++end;
  return static_cast<int>(end - text);
}

}  // namespace ZaDod
