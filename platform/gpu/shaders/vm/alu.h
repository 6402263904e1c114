// Per-component operations of programs that keep integers and floats in the same 32-bit
// lanes: integer, unsigned and bitwise arithmetic, conversions, comparisons giving all-ones
// masks, and the float forms that work per component rather than on one scalar. Each
// reads the lanes' bits as the operation needs; shifts and bit fields use the low five
// bits of their counts, division by zero gives all ones.
#pragma once
#include <cstdint>

#include "platform/gpu/shaders/vm/interpreter.h"

namespace plat::gpu::vm {

enum class Alu : uint16_t {
  // float
  div, dp2, exp, log, sqrt, rsq, rcp, sin, cos, roundNe, roundNi, roundPi, roundZ, eq, ne, lt, ge, min, max,
  ftoi, ftou, f32tof16, derivRtxCoarse, derivRtyCoarse,
  // integer and unsigned
  iadd, imulLo, imulHi, umulLo, umulHi, imad, umad, imax, imin, umax, umin, ishl, ishr, ushr, bitAnd, bitOr, bitXor,
  bitNot, ineg, ieq, ine, ige, ilt, uge, ult, itof, utof, udivQ, udivR, uaddc, uaddcCarry, usubb, usubbBorrow,
  countbits, firstbitHi, firstbitLo, firstbitShi, ubfe, ibfe, bfi, bfrev, f16tof32,
  // typeless
  movc,
};

// What a texEx instruction reads: comparison samples (at the quad's level of detail or at
// level 0, reference in src2.x), texels by whole coordinates (level in .z, or .w for
// arrays) and sizes (as floats, reciprocal floats or unsigned integers).
enum class TexExtra : uint16_t { compare, compareLevelZero, fetch, fetchArray, size, sizeRcp, sizeUint };

// r = op(a, x, y, z) on every component and lane; `quad`: the lanes are a 2x2 quad.
void aluOp(Alu op, Reg& r, const Reg& a, const Reg& x, const Reg& y, const Reg& z, bool quad);

}  // namespace plat::gpu::vm
