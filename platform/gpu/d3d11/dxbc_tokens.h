// Token layout of shader-model 4 and 5 programs, shared by the Direct3D 11 face's decoder
// and the project's assembler: opcode numbers with their assembly names, and the fields
// of opcode and operand tokens.
#pragma once
#include <cstdint>
#include <cstring>

namespace plat::gpu::dxbc {

// How the decoder treats an opcode's operands and what the machine does with it.
enum class OpClass : uint8_t {
  floatAlu,  // float arithmetic: negate and absolute value are float modifiers
  intAlu,    // integer arithmetic: negate is a two's-complement negate
  anyAlu,    // moves and selects: values pass unchanged
  flow,
  sample,
  decl,
  refused,   // named so that the assembler can write it; the decoder refuses it
};

struct TokenOp {
  const char* name;
  uint16_t code;
  uint8_t dsts, srcs;
  OpClass cls;
  const char* refusal;  // refused: what kind of feature it is
};

// Opcode numbers the decoder handles by name.
enum : uint16_t {
  opAdd = 0, opAnd = 1, opBreak = 2, opBreakc = 3, opCall = 4, opCallc = 5, opCase = 6, opContinue = 7,
  opContinuec = 8, opCut = 9, opDefault = 10, opDerivRtx = 11, opDerivRty = 12, opDiscard = 13, opDiv = 14,
  opDp2 = 15, opDp3 = 16, opDp4 = 17, opElse = 18, opEmit = 19, opEmitThenCut = 20, opEndif = 21, opEndloop = 22,
  opEndswitch = 23, opEq = 24, opExp = 25, opFrc = 26, opFtoi = 27, opFtou = 28, opGe = 29, opIadd = 30, opIf = 31,
  opIeq = 32, opIge = 33, opIlt = 34, opImad = 35, opImax = 36, opImin = 37, opImul = 38, opIne = 39, opIneg = 40,
  opIshl = 41, opIshr = 42, opItof = 43, opLabel = 44, opLd = 45, opLdMs = 46, opLog = 47, opLoop = 48, opLt = 49,
  opMad = 50, opMin = 51, opMax = 52, opCustomData = 53, opMov = 54, opMovc = 55, opMul = 56, opNe = 57, opNop = 58,
  opNot = 59, opOr = 60, opResinfo = 61, opRet = 62, opRetc = 63, opRoundNe = 64, opRoundNi = 65, opRoundPi = 66,
  opRoundZ = 67, opRsq = 68, opSample = 69, opSampleC = 70, opSampleCLz = 71, opSampleL = 72, opSampleD = 73,
  opSampleB = 74, opSqrt = 75, opSwitch = 76, opSincos = 77, opUdiv = 78, opUlt = 79, opUge = 80, opUmul = 81,
  opUmad = 82, opUmax = 83, opUmin = 84, opUshr = 85, opUtof = 86, opXor = 87,
  opDclResource = 88, opDclConstantBuffer = 89, opDclSampler = 90, opDclIndexRange = 91, opDclInput = 95,
  opDclInputSgv = 96, opDclInputSiv = 97, opDclInputPs = 98, opDclInputPsSgv = 99, opDclInputPsSiv = 100,
  opDclOutput = 101, opDclOutputSgv = 102, opDclOutputSiv = 103, opDclTemps = 104, opDclIndexableTemp = 105,
  opDclGlobalFlags = 106, opLod = 108, opGather4 = 109,
  opDerivRtxCoarse = 122, opDerivRtxFine = 123, opDerivRtyCoarse = 124, opDerivRtyFine = 125, opRcp = 129,
  opF32tof16 = 130, opF16tof32 = 131, opUaddc = 132, opUsubb = 133, opCountbits = 134, opFirstbitHi = 135,
  opFirstbitLo = 136, opFirstbitShi = 137, opUbfe = 138, opIbfe = 139, opBfi = 140, opBfrev = 141, opSwapc = 142,
  opDclUavTyped = 156,
};

// Every opcode the assembler names. Declarations are parsed by hand on both sides.
inline constexpr TokenOp kOps[] = {
    {"add", 0, 1, 2, OpClass::floatAlu, nullptr},        {"and", 1, 1, 2, OpClass::intAlu, nullptr},
    {"break", 2, 0, 0, OpClass::flow, nullptr},          {"breakc", 3, 0, 1, OpClass::flow, nullptr},
    {"call", 4, 0, 1, OpClass::refused, "subroutine"},   {"callc", 5, 0, 2, OpClass::refused, "subroutine"},
    {"case", 6, 0, 1, OpClass::flow, nullptr},           {"continue", 7, 0, 0, OpClass::flow, nullptr},
    {"continuec", 8, 0, 1, OpClass::flow, nullptr},      {"cut", 9, 0, 0, OpClass::refused, "geometry stream"},
    {"default", 10, 0, 0, OpClass::flow, nullptr},       {"deriv_rtx", 11, 1, 1, OpClass::floatAlu, nullptr},
    {"deriv_rty", 12, 1, 1, OpClass::floatAlu, nullptr}, {"discard", 13, 0, 1, OpClass::flow, nullptr},
    {"div", 14, 1, 2, OpClass::floatAlu, nullptr},       {"dp2", 15, 1, 2, OpClass::floatAlu, nullptr},
    {"dp3", 16, 1, 2, OpClass::floatAlu, nullptr},       {"dp4", 17, 1, 2, OpClass::floatAlu, nullptr},
    {"else", 18, 0, 0, OpClass::flow, nullptr},          {"emit", 19, 0, 0, OpClass::refused, "geometry stream"},
    {"emit_then_cut", 20, 0, 0, OpClass::refused, "geometry stream"},
    {"endif", 21, 0, 0, OpClass::flow, nullptr},         {"endloop", 22, 0, 0, OpClass::flow, nullptr},
    {"endswitch", 23, 0, 0, OpClass::flow, nullptr},     {"eq", 24, 1, 2, OpClass::floatAlu, nullptr},
    {"exp", 25, 1, 1, OpClass::floatAlu, nullptr},       {"frc", 26, 1, 1, OpClass::floatAlu, nullptr},
    {"ftoi", 27, 1, 1, OpClass::floatAlu, nullptr},      {"ftou", 28, 1, 1, OpClass::floatAlu, nullptr},
    {"ge", 29, 1, 2, OpClass::floatAlu, nullptr},        {"iadd", 30, 1, 2, OpClass::intAlu, nullptr},
    {"if", 31, 0, 1, OpClass::flow, nullptr},            {"ieq", 32, 1, 2, OpClass::intAlu, nullptr},
    {"ige", 33, 1, 2, OpClass::intAlu, nullptr},         {"ilt", 34, 1, 2, OpClass::intAlu, nullptr},
    {"imad", 35, 1, 3, OpClass::intAlu, nullptr},        {"imax", 36, 1, 2, OpClass::intAlu, nullptr},
    {"imin", 37, 1, 2, OpClass::intAlu, nullptr},        {"imul", 38, 2, 2, OpClass::intAlu, nullptr},
    {"ine", 39, 1, 2, OpClass::intAlu, nullptr},         {"ineg", 40, 1, 1, OpClass::intAlu, nullptr},
    {"ishl", 41, 1, 2, OpClass::intAlu, nullptr},        {"ishr", 42, 1, 2, OpClass::intAlu, nullptr},
    {"itof", 43, 1, 1, OpClass::intAlu, nullptr},        {"label", 44, 0, 1, OpClass::refused, "subroutine"},
    {"ld", 45, 1, 2, OpClass::sample, nullptr},          {"ld_ms", 46, 1, 3, OpClass::refused, "multisampled read"},
    {"log", 47, 1, 1, OpClass::floatAlu, nullptr},       {"loop", 48, 0, 0, OpClass::flow, nullptr},
    {"lt", 49, 1, 2, OpClass::floatAlu, nullptr},        {"mad", 50, 1, 3, OpClass::floatAlu, nullptr},
    {"min", 51, 1, 2, OpClass::floatAlu, nullptr},       {"max", 52, 1, 2, OpClass::floatAlu, nullptr},
    {"mov", 54, 1, 1, OpClass::anyAlu, nullptr},         {"movc", 55, 1, 3, OpClass::anyAlu, nullptr},
    {"mul", 56, 1, 2, OpClass::floatAlu, nullptr},       {"ne", 57, 1, 2, OpClass::floatAlu, nullptr},
    {"nop", 58, 0, 0, OpClass::flow, nullptr},           {"not", 59, 1, 1, OpClass::intAlu, nullptr},
    {"or", 60, 1, 2, OpClass::intAlu, nullptr},          {"resinfo", 61, 1, 2, OpClass::sample, nullptr},
    {"ret", 62, 0, 0, OpClass::flow, nullptr},           {"retc", 63, 0, 1, OpClass::flow, nullptr},
    {"round_ne", 64, 1, 1, OpClass::floatAlu, nullptr},  {"round_ni", 65, 1, 1, OpClass::floatAlu, nullptr},
    {"round_pi", 66, 1, 1, OpClass::floatAlu, nullptr},  {"round_z", 67, 1, 1, OpClass::floatAlu, nullptr},
    {"rsq", 68, 1, 1, OpClass::floatAlu, nullptr},       {"sample", 69, 1, 3, OpClass::sample, nullptr},
    {"sample_c", 70, 1, 4, OpClass::sample, nullptr},    {"sample_c_lz", 71, 1, 4, OpClass::sample, nullptr},
    {"sample_l", 72, 1, 4, OpClass::sample, nullptr},    {"sample_d", 73, 1, 5, OpClass::sample, nullptr},
    {"sample_b", 74, 1, 4, OpClass::sample, nullptr},    {"sqrt", 75, 1, 1, OpClass::floatAlu, nullptr},
    {"switch", 76, 0, 1, OpClass::flow, nullptr},        {"sincos", 77, 2, 1, OpClass::floatAlu, nullptr},
    {"udiv", 78, 2, 2, OpClass::intAlu, nullptr},        {"ult", 79, 1, 2, OpClass::intAlu, nullptr},
    {"uge", 80, 1, 2, OpClass::intAlu, nullptr},         {"umul", 81, 2, 2, OpClass::intAlu, nullptr},
    {"umad", 82, 1, 3, OpClass::intAlu, nullptr},        {"umax", 83, 1, 2, OpClass::intAlu, nullptr},
    {"umin", 84, 1, 2, OpClass::intAlu, nullptr},        {"ushr", 85, 1, 2, OpClass::intAlu, nullptr},
    {"utof", 86, 1, 1, OpClass::intAlu, nullptr},        {"xor", 87, 1, 2, OpClass::intAlu, nullptr},
    {"lod", 108, 1, 3, OpClass::refused, "level-of-detail query"},
    {"gather4", 109, 1, 3, OpClass::refused, "gather"},
    {"sample_pos", 110, 1, 2, OpClass::refused, "multisampled read"},
    {"sample_info", 111, 1, 1, OpClass::refused, "multisampled read"},
    {"emit_stream", 117, 0, 1, OpClass::refused, "geometry stream"},
    {"cut_stream", 118, 0, 1, OpClass::refused, "geometry stream"},
    {"fcall", 120, 0, 1, OpClass::refused, "class linkage"},
    {"bufinfo", 121, 1, 1, OpClass::refused, "buffer resource"},
    {"deriv_rtx_coarse", 122, 1, 1, OpClass::floatAlu, nullptr},
    {"deriv_rtx_fine", 123, 1, 1, OpClass::floatAlu, nullptr},
    {"deriv_rty_coarse", 124, 1, 1, OpClass::floatAlu, nullptr},
    {"deriv_rty_fine", 125, 1, 1, OpClass::floatAlu, nullptr},
    {"gather4_c", 126, 1, 4, OpClass::refused, "gather"},
    {"gather4_po", 127, 1, 4, OpClass::refused, "gather"},
    {"gather4_po_c", 128, 1, 5, OpClass::refused, "gather"},
    {"rcp", 129, 1, 1, OpClass::floatAlu, nullptr},      {"f32tof16", 130, 1, 1, OpClass::floatAlu, nullptr},
    {"f16tof32", 131, 1, 1, OpClass::intAlu, nullptr},   {"uaddc", 132, 2, 2, OpClass::intAlu, nullptr},
    {"usubb", 133, 2, 2, OpClass::intAlu, nullptr},      {"countbits", 134, 1, 1, OpClass::intAlu, nullptr},
    {"firstbit_hi", 135, 1, 1, OpClass::intAlu, nullptr}, {"firstbit_lo", 136, 1, 1, OpClass::intAlu, nullptr},
    {"firstbit_shi", 137, 1, 1, OpClass::intAlu, nullptr}, {"ubfe", 138, 1, 3, OpClass::intAlu, nullptr},
    {"ibfe", 139, 1, 3, OpClass::intAlu, nullptr},       {"bfi", 140, 1, 4, OpClass::intAlu, nullptr},
    {"bfrev", 141, 1, 1, OpClass::intAlu, nullptr},      {"swapc", 142, 2, 3, OpClass::anyAlu, nullptr},
    {"ld_uav_typed", 163, 1, 2, OpClass::refused, "unordered-access view"},
    {"store_uav_typed", 164, 1, 2, OpClass::refused, "unordered-access view"},
    {"ld_raw", 165, 1, 2, OpClass::refused, "buffer resource"},
    {"store_raw", 166, 1, 2, OpClass::refused, "unordered-access view"},
    {"atomic_and", 169, 1, 2, OpClass::refused, "atomic"},
    {"atomic_iadd", 173, 1, 2, OpClass::refused, "atomic"},
    {"imm_atomic_iadd", 180, 2, 2, OpClass::refused, "atomic"},
    {"sync_g", 190, 0, 0, OpClass::refused, "compute synchronisation"},
    {"dadd", 191, 1, 2, OpClass::refused, "double precision"},
    {"dmax", 192, 1, 2, OpClass::refused, "double precision"},
    {"dmin", 193, 1, 2, OpClass::refused, "double precision"},
    {"dmul", 194, 1, 2, OpClass::refused, "double precision"},
    {"deq", 195, 1, 2, OpClass::refused, "double precision"},
    {"dmov", 199, 1, 1, OpClass::refused, "double precision"},
    {"dtof", 201, 1, 1, OpClass::refused, "double precision"},
    {"ftod", 202, 1, 1, OpClass::refused, "double precision"},
    {"eval_centroid", 205, 1, 1, OpClass::refused, "pull-model interpolation"},
};

inline const TokenOp* opByCode(uint32_t code) {
  for (const TokenOp& o : kOps)
    if (o.code == code) return &o;
  return nullptr;
}
inline const TokenOp* opByName(const char* name, size_t len) {
  for (const TokenOp& o : kOps)
    if (std::strlen(o.name) == len && std::memcmp(o.name, name, len) == 0) return &o;
  return nullptr;
}

// Opcode token fields.
inline constexpr uint32_t opType(uint32_t t) { return t & 0x7FF; }
inline constexpr uint32_t opLength(uint32_t t) { return (t >> 24) & 0x7F; }
inline constexpr bool opExtended(uint32_t t) { return (t >> 31) != 0; }
inline constexpr uint32_t kSaturateBit = 1u << 13;
inline constexpr uint32_t kTestNonZeroBit = 1u << 18;
inline constexpr uint32_t opControls(uint32_t t) { return (t >> 11) & 0x1FFF; }

// Program types of the version token.
enum : uint32_t { kPixel = 0, kVertex = 1, kGeometry = 2, kHull = 3, kDomain = 4, kCompute = 5 };

// Operand token fields.
enum : uint32_t {
  otTemp = 0, otInput = 1, otOutput = 2, otIndexableTemp = 3, otImm32 = 4, otImm64 = 5, otSampler = 6,
  otResource = 7, otConstantBuffer = 8, otImmConstantBuffer = 9, otLabel = 10, otPrimitiveId = 11,
  otOutputDepth = 12, otNull = 13, otRasterizer = 14, otOutputCoverage = 15, otStream = 16, otFunctionBody = 17,
  otFunctionTable = 18, otInterface = 19, otThisPointer = 29, otUav = 30, otThreadGroupShared = 31,
  otInputThreadId = 32, otInputCoverage = 35,
};
enum : uint32_t { kComp0 = 0, kComp1 = 1, kComp4 = 2 };
enum : uint32_t { kSelMask = 0, kSelSwizzle = 1, kSelSelect1 = 2 };
enum : uint32_t { kIdxImm32 = 0, kIdxImm64 = 1, kIdxRelative = 2, kIdxImm32Relative = 3, kIdxImm64Relative = 4 };
inline constexpr uint32_t operandComponents(uint32_t t) { return t & 3; }
inline constexpr uint32_t operandSelection(uint32_t t) { return (t >> 2) & 3; }
inline constexpr uint32_t operandType(uint32_t t) { return (t >> 12) & 0xFF; }
inline constexpr uint32_t operandDims(uint32_t t) { return (t >> 20) & 3; }
inline constexpr uint32_t operandIndexRep(uint32_t t, int dim) { return (t >> (22 + 3 * dim)) & 7; }
// Extended operand modifier.
enum : uint32_t { kOperandPlain = 0, kOperandNeg = 1, kOperandAbs = 2, kOperandAbsNeg = 3 };

// Declaration details.
enum : uint32_t {
  kDimBuffer = 1, kDimTexture1d = 2, kDimTexture2d = 3, kDimTexture2dms = 4, kDimTexture3d = 5, kDimTextureCube = 6,
  kDimTexture1dArray = 7, kDimTexture2dArray = 8, kDimTexture2dmsArray = 9, kDimTextureCubeArray = 10,
};
enum : uint32_t {
  kInterpConstant = 1, kInterpLinear = 2, kInterpLinearCentroid = 3, kInterpLinearNoPerspective = 4,
  kInterpLinearNoPerspectiveCentroid = 5, kInterpLinearSample = 6, kInterpLinearNoPerspectiveSample = 7,
};
enum : uint32_t { kCustomImmediateConstantBuffer = 3 };

}  // namespace plat::gpu::dxbc
