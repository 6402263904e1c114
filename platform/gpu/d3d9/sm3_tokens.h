// The token format of shader-model 2 and 3 programs, shared by the face's decoder and the
// project's assembler and lister: version, instruction and parameter token fields, register
// types, declaration usages, and the table of instructions with their operand counts.
#pragma once
#include <cstdint>
#include <string_view>

namespace plat::gpu::sm3 {

inline constexpr uint32_t kVertexVersion = 0xFFFE0000u, kPixelVersion = 0xFFFF0000u;
inline constexpr uint32_t kEndToken = 0x0000FFFFu;
inline constexpr uint32_t kCommentOpcode = 0xFFFE, kPhaseOpcode = 0xFFFD;
inline constexpr uint32_t kPredicatedBit = 1u << 28;
inline constexpr uint32_t kParamBit = 1u << 31;
inline constexpr uint32_t kRelativeBit = 1u << 13;

inline uint32_t opcodeOf(uint32_t t) { return t & 0xFFFF; }
inline uint32_t controlOf(uint32_t t) { return (t >> 16) & 0xFF; }
inline uint32_t lengthOf(uint32_t t) { return (t >> 24) & 0xF; }
inline uint32_t commentWords(uint32_t t) { return (t >> 16) & 0x7FFF; }

inline uint32_t regType(uint32_t p) { return ((p >> 28) & 7) | ((p >> 8) & 0x18); }
inline uint32_t regNumber(uint32_t p) { return p & 0x7FF; }
inline uint32_t typeBits(uint32_t type) { return ((type & 7) << 28) | ((type & 0x18) << 8); }

enum RegType : uint32_t {
  rTemp = 0, rInput = 1, rConst = 2, rAddr = 3, rTexture = 3, rRastOut = 4, rAttrOut = 5, rTexCrdOut = 6,
  rOutput = 6, rConstInt = 7, rColorOut = 8, rDepthOut = 9, rSampler = 10, rConst2 = 11, rConst3 = 12,
  rConst4 = 13, rConstBool = 14, rLoop = 15, rTempFloat16 = 16, rMisc = 17, rLabel = 18, rPredicate = 19,
};

// Source modifiers (bits 24-27 of a source token) the models 2 and 3 keep.
inline constexpr uint32_t kModNone = 0, kModNeg = 1, kModAbs = 11, kModAbsNeg = 12;
// Result modifiers (bits 20-23 of a destination token).
inline constexpr uint32_t kResSaturate = 1, kResPartial = 2, kResCentroid = 4;

enum Opcode : uint32_t {
  oNop = 0, oMov, oAdd, oSub, oMad, oMul, oRcp, oRsq, oDp3, oDp4, oMin, oMax, oSlt, oSge, oExp, oLog, oLit, oDst,
  oLrp, oFrc, oM4x4, oM4x3, oM3x4, oM3x3, oM3x2, oCall, oCallnz, oLoop, oRet, oEndloop, oLabel, oDcl, oPow, oCrs,
  oSgn, oAbs, oNrm, oSincos, oRep, oEndrep, oIf, oIfc, oElse, oEndif, oBreak, oBreakc, oMova, oDefb, oDefi,
  oTexcoord = 64, oTexkill = 65, oTex = 66, oExpp = 78, oLogp = 79, oDef = 81, oCmp = 88, oDp2add = 90, oDsx = 91,
  oDsy = 92, oTexldd = 93, oSetp = 94, oTexldl = 95, oBreakp = 96,
};

// Declaration usages (bits 0-4 of a dcl's first token, index in bits 16-19).
enum DeclUsage : uint32_t {
  uPosition = 0, uBlendWeight, uBlendIndices, uNormal, uPSize, uTexcoord, uTangent, uBinormal, uTessFactor,
  uPositionT, uColor, uFog, uDepth, uSample,
};
inline constexpr std::string_view kUsageNames[] = {"position", "blendweight", "blendindices", "normal",
                                                    "psize",    "texcoord",    "tangent",      "binormal",
                                                    "tessfactor", "positiont", "color",        "fog",
                                                    "depth",    "sample"};
// Sampler kinds of a dcl (bits 27-30).
inline constexpr uint32_t kSampler2D = 2, kSamplerCube = 3, kSamplerVolume = 4;

// Comparison codes of ifc, breakc and setp (instruction control bits).
inline constexpr std::string_view kCompareNames[] = {"", "gt", "eq", "ge", "lt", "ne", "le"};

// An instruction of the models: whether it writes a destination and how many sources it
// reads. sincos reads three sources before model 3 and one from it.
struct OpInfo {
  uint32_t opcode;
  std::string_view name;
  bool dst;
  uint8_t nsrc;
};

inline constexpr OpInfo kOps[] = {
    {oNop, "nop", false, 0},      {oMov, "mov", true, 1},         {oAdd, "add", true, 2},
    {oSub, "sub", true, 2},       {oMad, "mad", true, 3},         {oMul, "mul", true, 2},
    {oRcp, "rcp", true, 1},       {oRsq, "rsq", true, 1},         {oDp3, "dp3", true, 2},
    {oDp4, "dp4", true, 2},       {oMin, "min", true, 2},         {oMax, "max", true, 2},
    {oSlt, "slt", true, 2},       {oSge, "sge", true, 2},         {oExp, "exp", true, 1},
    {oLog, "log", true, 1},       {oLit, "lit", true, 1},         {oDst, "dst", true, 2},
    {oLrp, "lrp", true, 3},       {oFrc, "frc", true, 1},         {oM4x4, "m4x4", true, 2},
    {oM4x3, "m4x3", true, 2},     {oM3x4, "m3x4", true, 2},       {oM3x3, "m3x3", true, 2},
    {oM3x2, "m3x2", true, 2},     {oCall, "call", false, 1},      {oCallnz, "callnz", false, 2},
    {oLoop, "loop", false, 2},    {oRet, "ret", false, 0},        {oEndloop, "endloop", false, 0},
    {oLabel, "label", false, 1},  {oPow, "pow", true, 2},         {oCrs, "crs", true, 2},
    {oSgn, "sgn", true, 3},       {oAbs, "abs", true, 1},         {oNrm, "nrm", true, 1},
    {oSincos, "sincos", true, 3}, {oRep, "rep", false, 1},        {oEndrep, "endrep", false, 0},
    {oIf, "if", false, 1},        {oIfc, "if", false, 2},         {oElse, "else", false, 0},
    {oEndif, "endif", false, 0},  {oBreak, "break", false, 0},    {oBreakc, "break", false, 2},
    {oMova, "mova", true, 1},     {oTexkill, "texkill", true, 0}, {oTex, "texld", true, 2},
    {oExpp, "expp", true, 1},     {oLogp, "logp", true, 1},       {oCmp, "cmp", true, 3},
    {oDp2add, "dp2add", true, 3}, {oDsx, "dsx", true, 1},         {oDsy, "dsy", true, 1},
    {oTexldd, "texldd", true, 4}, {oSetp, "setp", true, 2},       {oTexldl, "texldl", true, 2},
    {oBreakp, "breakp", false, 1},
};

inline const OpInfo* opInfo(uint32_t opcode) {
  for (const OpInfo& o : kOps)
    if (o.opcode == opcode) return &o;
  return nullptr;
}

}  // namespace plat::gpu::sm3
