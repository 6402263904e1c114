// The lane arithmetic of alu.h, one loop per operation over components and lanes.
#include "platform/gpu/shaders/vm/alu.h"

#include <cmath>
#include <cstring>

namespace plat::gpu::vm {

namespace {

inline uint32_t bitsOf(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}
inline float floatOf(uint32_t u) {
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

template <class F>
inline void bitwise(Reg& r, const Reg& a, const Reg& x, const Reg& y, F f) {
  for (int c = 0; c < 4; ++c)
    for (int l = 0; l < kLanes; ++l)
      r.v[c][l] = floatOf(f(bitsOf(a.v[c][l]), bitsOf(x.v[c][l]), bitsOf(y.v[c][l])));
}
template <class F>
inline void floats(Reg& r, const Reg& a, const Reg& x, F f) {
  for (int c = 0; c < 4; ++c)
    for (int l = 0; l < kLanes; ++l) r.v[c][l] = f(a.v[c][l], x.v[c][l]);
}
inline uint32_t mask(bool b) { return b ? 0xFFFFFFFFu : 0u; }

int32_t toInt(float f) {
  if (!(f == f)) return 0;
  if (f >= 2147483648.0f) return INT32_MAX;
  if (f <= -2147483648.0f) return INT32_MIN;
  return int32_t(f);
}
uint32_t toUint(float f) {
  if (!(f > 0.0f)) return 0;
  if (f >= 4294967296.0f) return UINT32_MAX;
  return uint32_t(f);
}

uint32_t toHalf(float f) {
  const uint32_t u = bitsOf(f), sign = (u >> 16) & 0x8000u;
  const int32_t e = int32_t((u >> 23) & 0xFF) - 127 + 15;
  uint32_t m = u & 0x7FFFFFu;
  if (((u >> 23) & 0xFF) == 0xFF) return sign | 0x7C00u | (m ? 0x200u : 0u);
  if (e >= 31) return sign | 0x7C00u;
  if (e <= 0) {
    if (e < -10) return sign;
    m |= 0x800000u;
    const int shift = 14 - e;
    uint32_t h = m >> shift;
    const uint32_t rest = m & ((1u << shift) - 1), half = 1u << (shift - 1);
    if (rest > half || (rest == half && (h & 1))) ++h;
    return sign | h;
  }
  uint32_t h = sign | uint32_t(e) << 10 | m >> 13;
  const uint32_t rest = m & 0x1FFFu;
  if (rest > 0x1000u || (rest == 0x1000u && (h & 1))) ++h;
  return h;
}
float fromHalf(uint32_t h) {
  const uint32_t sign = (h & 0x8000u) << 16, e = (h >> 10) & 0x1F, m = h & 0x3FF;
  if (e == 0) return floatOf(sign) + (sign ? -1.0f : 1.0f) * std::ldexp(float(m), -24);
  if (e == 31) return floatOf(sign | 0x7F800000u | m << 13);
  return floatOf(sign | (e + 112) << 23 | m << 13);
}

uint32_t bitField(uint32_t width, uint32_t offset, uint32_t v, bool sign) {
  width &= 31;
  offset &= 31;
  if (width == 0) return 0;
  if (width + offset < 32) {
    const uint32_t up = v << (32 - width - offset);
    return sign ? uint32_t(int32_t(up) >> (32 - width)) : up >> (32 - width);
  }
  return sign ? uint32_t(int32_t(v) >> offset) : v >> offset;
}

}  // namespace

void aluOp(Alu op, Reg& r, const Reg& a, const Reg& x, const Reg& y, const Reg& z, bool quad) {
  switch (op) {
    case Alu::div: floats(r, a, x, [](float p, float q) { return p / q; }); break;
    case Alu::dp2:
      for (int l = 0; l < kLanes; ++l) {
        const float d = a.v[0][l] * x.v[0][l] + a.v[1][l] * x.v[1][l];
        for (auto& c : r.v) c[l] = d;
      }
      break;
    case Alu::exp: floats(r, a, a, [](float p, float) { return std::exp2(p); }); break;
    case Alu::log: floats(r, a, a, [](float p, float) { return std::log2(p); }); break;
    case Alu::sqrt: floats(r, a, a, [](float p, float) { return std::sqrt(p); }); break;
    case Alu::rsq: floats(r, a, a, [](float p, float) { return 1.0f / std::sqrt(p); }); break;
    case Alu::rcp: floats(r, a, a, [](float p, float) { return 1.0f / p; }); break;
    case Alu::sin: floats(r, a, a, [](float p, float) { return std::sin(p); }); break;
    case Alu::cos: floats(r, a, a, [](float p, float) { return std::cos(p); }); break;
    case Alu::roundNe: floats(r, a, a, [](float p, float) { return std::nearbyint(p); }); break;
    case Alu::roundNi: floats(r, a, a, [](float p, float) { return std::floor(p); }); break;
    case Alu::roundPi: floats(r, a, a, [](float p, float) { return std::ceil(p); }); break;
    case Alu::roundZ: floats(r, a, a, [](float p, float) { return std::trunc(p); }); break;
    case Alu::eq: floats(r, a, x, [](float p, float q) { return floatOf(mask(p == q)); }); break;
    case Alu::ne: floats(r, a, x, [](float p, float q) { return floatOf(mask(p != q)); }); break;
    case Alu::lt: floats(r, a, x, [](float p, float q) { return floatOf(mask(p < q)); }); break;
    case Alu::ge: floats(r, a, x, [](float p, float q) { return floatOf(mask(p >= q)); }); break;
    case Alu::min: floats(r, a, x, [](float p, float q) { return std::fmin(p, q); }); break;
    case Alu::max: floats(r, a, x, [](float p, float q) { return std::fmax(p, q); }); break;
    case Alu::ftoi: floats(r, a, a, [](float p, float) { return floatOf(uint32_t(toInt(p))); }); break;
    case Alu::ftou: floats(r, a, a, [](float p, float) { return floatOf(toUint(p)); }); break;
    case Alu::f32tof16: floats(r, a, a, [](float p, float) { return floatOf(toHalf(p)); }); break;
    case Alu::derivRtxCoarse:
    case Alu::derivRtyCoarse:
      for (int c = 0; c < 4; ++c) {
        const float d = !quad ? 0.0f : op == Alu::derivRtxCoarse ? a.v[c][1] - a.v[c][0] : a.v[c][2] - a.v[c][0];
        for (int l = 0; l < kLanes; ++l) r.v[c][l] = d;
      }
      break;
    case Alu::iadd: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return p + q; }); break;
    case Alu::imulLo:
    case Alu::umulLo: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return p * q; }); break;
    case Alu::imulHi:
      bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) {
        return uint32_t(uint64_t(int64_t(int32_t(p)) * int64_t(int32_t(q))) >> 32);
      });
      break;
    case Alu::umulHi:
      bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return uint32_t((uint64_t(p) * q) >> 32); });
      break;
    case Alu::imad:
    case Alu::umad: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t s) { return p * q + s; }); break;
    case Alu::imax:
      bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return int32_t(p) >= int32_t(q) ? p : q; });
      break;
    case Alu::imin:
      bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return int32_t(p) <= int32_t(q) ? p : q; });
      break;
    case Alu::umax: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return p >= q ? p : q; }); break;
    case Alu::umin: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return p <= q ? p : q; }); break;
    case Alu::ishl: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return p << (q & 31); }); break;
    case Alu::ishr:
      bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return uint32_t(int32_t(p) >> (q & 31)); });
      break;
    case Alu::ushr: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return p >> (q & 31); }); break;
    case Alu::bitAnd: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return p & q; }); break;
    case Alu::bitOr: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return p | q; }); break;
    case Alu::bitXor: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return p ^ q; }); break;
    case Alu::bitNot: bitwise(r, a, x, y, [](uint32_t p, uint32_t, uint32_t) { return ~p; }); break;
    case Alu::ineg: bitwise(r, a, x, y, [](uint32_t p, uint32_t, uint32_t) { return 0u - p; }); break;
    case Alu::ieq: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return mask(p == q); }); break;
    case Alu::ine: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return mask(p != q); }); break;
    case Alu::ige:
      bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return mask(int32_t(p) >= int32_t(q)); });
      break;
    case Alu::ilt:
      bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return mask(int32_t(p) < int32_t(q)); });
      break;
    case Alu::uge: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return mask(p >= q); }); break;
    case Alu::ult: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return mask(p < q); }); break;
    case Alu::itof:
      bitwise(r, a, x, y, [](uint32_t p, uint32_t, uint32_t) { return bitsOf(float(int32_t(p))); });
      break;
    case Alu::utof: bitwise(r, a, x, y, [](uint32_t p, uint32_t, uint32_t) { return bitsOf(float(p)); }); break;
    case Alu::udivQ: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return q ? p / q : UINT32_MAX; }); break;
    case Alu::udivR: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return q ? p % q : UINT32_MAX; }); break;
    case Alu::uaddc: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return p + q; }); break;
    case Alu::uaddcCarry:
      bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return uint32_t(p + q < p); });
      break;
    case Alu::usubb: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return p - q; }); break;
    case Alu::usubbBorrow: bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t) { return uint32_t(p < q); }); break;
    case Alu::countbits:
      bitwise(r, a, x, y, [](uint32_t p, uint32_t, uint32_t) { return uint32_t(__builtin_popcount(p)); });
      break;
    case Alu::firstbitHi:
      bitwise(r, a, x, y, [](uint32_t p, uint32_t, uint32_t) { return p ? uint32_t(__builtin_clz(p)) : UINT32_MAX; });
      break;
    case Alu::firstbitLo:
      bitwise(r, a, x, y, [](uint32_t p, uint32_t, uint32_t) { return p ? uint32_t(__builtin_ctz(p)) : UINT32_MAX; });
      break;
    case Alu::firstbitShi:
      bitwise(r, a, x, y, [](uint32_t p, uint32_t, uint32_t) {
        const uint32_t q = int32_t(p) < 0 ? ~p : p;
        return q ? uint32_t(__builtin_clz(q)) : UINT32_MAX;
      });
      break;
    case Alu::ubfe:
    case Alu::ibfe: {
      const bool sign = op == Alu::ibfe;
      for (int c = 0; c < 4; ++c)
        for (int l = 0; l < kLanes; ++l)
          r.v[c][l] = floatOf(bitField(bitsOf(a.v[c][l]), bitsOf(x.v[c][l]), bitsOf(y.v[c][l]), sign));
      break;
    }
    case Alu::bfi:
      for (int c = 0; c < 4; ++c)
        for (int l = 0; l < kLanes; ++l) {
          const uint32_t width = bitsOf(a.v[c][l]) & 31, offset = bitsOf(x.v[c][l]) & 31;
          const uint32_t m = uint32_t(((uint64_t(1) << width) - 1) << offset);
          r.v[c][l] = floatOf(((bitsOf(y.v[c][l]) << offset) & m) | (bitsOf(z.v[c][l]) & ~m));
        }
      break;
    case Alu::bfrev:
      bitwise(r, a, x, y, [](uint32_t p, uint32_t, uint32_t) {
        uint32_t q = 0;
        for (int k = 0; k < 32; ++k) q |= ((p >> k) & 1u) << (31 - k);
        return q;
      });
      break;
    case Alu::f16tof32:
      bitwise(r, a, x, y, [](uint32_t p, uint32_t, uint32_t) { return bitsOf(fromHalf(p & 0xFFFFu)); });
      break;
    case Alu::movc:
      bitwise(r, a, x, y, [](uint32_t p, uint32_t q, uint32_t s) { return p ? q : s; });
      break;
  }
}

}  // namespace plat::gpu::vm
