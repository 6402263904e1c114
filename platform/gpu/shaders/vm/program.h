// The shader machine's instruction form: what a bytecode decoder produces and the
// interpreter runs. It knows nothing of any bytecode format: registers are files with
// indices, operands carry their swizzle, modifiers and relative index, and flow control is
// structured (each opening instruction knows where its partners lie). Every value is a
// 32-bit lane read as float, integer or bool as the operation needs.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace plat::gpu::vm {

// Register files.
enum class File : uint8_t {
  none,
  temp,
  input,
  constF,   // float constants of the stage (program literals where the program defines them)
  constI,   // integer vectors (loop counts)
  constB,   // bools
  literal,  // the program's own values, resolved at decode
  sampler,
  output,
  addr,     // address register: integer per lane
  loop,     // loop counter: one integer for all lanes
  pred,     // predicate: bool per component and lane
  cbuffer,  // one of the stage's constant buffers (Operand::buffer), four floats per register
};

enum class Op : uint8_t {
  nop,
  mov, add, mul, mad, dp2add, dp3, dp4, rcp, rsq, exp, log, pow, frc, min, max, slt, sge,
  lit, dst, lrp, crs, sgn, abs, nrm, sincos, cmp, mova,
  matrix,   // rows = count of dot products, cols = 3 or 4: one result component per row
  setp,     // compare per component into a predicate
  tex,      // sample: texMode says how the coordinate is read
  texkill,  // discard lanes with any of x, y, z below 0 (after the write mask's swizzle)
  dsx, dsy,
  // flow control
  ifTrue,   // src0 (bool or predicate component) decides per lane
  ifCmp,    // src0 cmp src1
  elseBranch, endIf,
  rep,      // src0.x of an integer constant counts
  endRep,
  loop,     // aL = src1.y, step src1.z, src1.x rounds
  endLoop,
  breakAlways, breakCmp, breakTrue,
  call, callTrue, ret, label,
  end,
  // Forms of programs that keep integers and floats in the same 32-bit lanes.
  alu,          // per-component arithmetic named by Instr::alu (see alu.h)
  texEx,        // texel reads beside tex: compare, fetch, size (Instr::alu names which)
  ifBits,       // src0's 32 bits zero or not (Instr::nonZero) decide per lane
  breakBits, continueAlways, continueBits,
  retLanes,     // the lanes (all live, or those that pass the test of src0) finish
  discardBits,  // lanes that pass the test of src0 are discarded
  loopAny,      // a loop left only by breaks (the budget bounds it); closed by endLoop
  switchBegin,  // src0.x selects; target: endSwitch
  caseLabel,    // src0 is the literal of the case; target: its switchBegin
  defaultLabel, // target: its switchBegin
  endSwitch,
};

enum class Cmp : uint8_t { gt, eq, ge, lt, ne, le };
enum class TexMode : uint8_t { plain, project, bias, lod, grad };
enum class SamplerKind : uint8_t { none, tex2d, cube, volume };

// Source modifiers, applied in this order: absolute value, negation, logical not (bools
// and predicates: true becomes 0, false 1).
inline constexpr uint8_t kAbsolute = 2, kNegate = 1, kNot = 4;
// Two's-complement negation of the lane's 32 bits, for integer operations.
inline constexpr uint8_t kIntNegate = 8;

struct Operand {
  File file = File::none;
  uint8_t mods = 0;          // kAbsolute, kNegate, kNot
  uint8_t swizzle[4] = {0, 1, 2, 3};
  uint8_t mask = 15;         // destinations: write mask
  File relFile = File::none; // addr or loop: index += that register's component relComp
  uint8_t relComp = 0;
  uint16_t index = 0;
  // Programs with integer registers: relFile temp takes the index from temp relIndex's
  // component relComp (an integer), and a relative index outside [rangeLo, rangeHi] reads
  // zero and writes nothing.
  uint16_t relIndex = 0;
  uint16_t rangeLo = 0, rangeHi = 0xFFFF;
  uint8_t buffer = 0;  // cbuffer: which buffer
};

struct Instr {
  Op op = Op::nop;
  uint8_t nsrc = 0;
  bool saturate = false;
  Cmp cmp = Cmp::gt;
  TexMode texMode = TexMode::plain;
  uint8_t rows = 0, cols = 0;        // matrix
  bool predicated = false;
  bool predNot = false;
  uint8_t predSwizzle[4] = {0, 1, 2, 3};
  int32_t target = -1;               // flow: partner instruction (else/endif/end of loop, label)
  uint32_t offset = 0;               // byte offset in the source bytecode, for messages
  uint16_t alu = 0;                  // alu and texEx: which operation
  bool nonZero = false;              // bit tests: true when the 32 bits are not all zero
  Operand dst;
  Operand src[4];
};

// Where a value comes from or goes: a stage's inputs and outputs by usage and index.
enum class Usage : uint8_t {
  position, blendWeight, blendIndices, normal, pointSize, texcoord, tangent, binormal, tessFactor,
  positionT, colour, fog, depth, sample,
  face,      // the facing of the pixel's primitive (+1 / -1)
  pixelPos,  // the pixel's centre
};

struct Signature {
  uint16_t reg;  // input or output register of the program's own numbering
  Usage usage;
  uint8_t index;
};

// Output register numbers the decoders give the outputs that have no declaration.
inline constexpr int kOutPosition = 0;
inline constexpr int kMaxTemps = 32, kMaxInputs = 20, kMaxOutputs = 24, kMaxSamplers = 16;
inline constexpr int kMaxConstF = 256, kMaxConstI = 16, kMaxConstB = 16;
inline constexpr int kMaxLiterals = 256 + 32;
// One invocation executes at most its program's budget, so every frame ends. A program
// whose loops end by breaks alone (DXBC `loop`) gets kInstructionBudget. A model 2/3
// program's loops all have counts of at most 255, so its decoder works out the most one
// invocation can run and makes that the budget, refusing code that could run past
// kBoundedProgramLimit: two loops of 255 nested around 256 instructions (a whole model 2
// vertex program) fit it. No program the decoder accepts then reaches its budget.
inline constexpr uint32_t kInstructionBudget = 65536;
inline constexpr uint32_t kBoundedProgramLimit = 1u << 24;
inline constexpr int kMaxCallDepth = 8;

struct Program {
  bool pixel = false;
  uint8_t major = 0, minor = 0;
  std::vector<Instr> code;      // ends with Op::end
  std::vector<float> literals;  // four per literal
  // Registers the program defines itself: literal index per register, -1 for none.
  int16_t defF[kMaxConstF];
  int16_t defI[kMaxConstI];
  int16_t defB[kMaxConstB];
  std::vector<Signature> inputs, outputs;
  SamplerKind samplers[kMaxSamplers] = {};
  int temps = 0, inputCount = 0, outputCount = 0;
  bool usesLod = false;         // texld family reads neighbouring lanes
  bool writesDepth = false;
  bool kills = false;
  uint32_t budget = kInstructionBudget;  // instructions one invocation may run

  Program() {
    for (auto& d : defF) d = -1;
    for (auto& d : defI) d = -1;
    for (auto& d : defB) d = -1;
  }
  // The output register carrying (usage, index), or -1.
  int outputOf(Usage u, int index) const {
    for (const Signature& s : outputs)
      if (s.usage == u && s.index == index) return s.reg;
    return -1;
  }
};

}  // namespace plat::gpu::vm
