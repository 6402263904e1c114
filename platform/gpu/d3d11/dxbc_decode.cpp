// Decoding of shader-model 4 and 5 programs: one pass over the tokens that checks each
// before reading the next and writes machine instructions, then a pass that pairs the
// flow-control instructions. Integer and float values share the machine's 32-bit lanes;
// instructions with two results go through scratch temporaries after the program's own, so
// a result never overwrites a source the other result still needs.
#include "platform/gpu/d3d11/dxbc_decode.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/gpu/d3d11/dxbc_tokens.h"
#include "platform/gpu/shaders/vm/alu.h"

namespace plat::gpu::dxbc {

namespace {

using vm::Alu;
using vm::File;
using vm::Op;
using vm::Operand;

constexpr int kMaxIndexable = 8;
constexpr int kScratch = 2;
constexpr int kDepthOutput = 8;
constexpr int kMaxNesting = 64;

struct Indexable {
  uint32_t base = 0, count = 0;
  bool declared = false;
};

struct Decoder {
  const std::vector<uint32_t>& w;
  Shader& s;
  vm::Program& p;
  std::string& reason;
  size_t pos = 0, end = 0, instrStart = 0;
  uint32_t opcode = 0;
  bool pixel = false;
  int temps = 0;
  bool tempsDeclared = false;
  Indexable indexable[kMaxIndexable];
  int indexableTotal = 0;
  int icbBase = -1, icbCount = 0;
  int scratch = 0;  // first scratch temporary, set once the declarations are done

  Decoder(const std::vector<uint32_t>& words, Shader& shader, std::string& r)
      : w(words), s(shader), p(shader.program), reason(r) {}

  bool fail(const char* what) {
    char buf[200];
    std::snprintf(buf, sizeof buf, "byte offset %zu, opcode %u: %s", instrStart * 4, unsigned(opcode), what);
    reason = buf;
    return false;
  }

  bool next(uint32_t& t) {
    if (pos >= end) return false;
    t = w[pos++];
    return true;
  }

  int literal(const uint32_t v[4]) {
    if (p.literals.size() / 4 >= size_t(vm::kMaxLiterals)) return -1;
    const int at = int(p.literals.size() / 4);
    for (int c = 0; c < 4; ++c) {
      float f;
      std::memcpy(&f, &v[c], 4);
      p.literals.push_back(f);
    }
    return at;
  }

  // The index of a relative address: a temporary's single component.
  bool relativeIndex(Operand& o) {
    uint32_t t;
    if (!next(t)) return fail("relative index past the instruction");
    if (opExtended(t)) return fail("modifier on a relative index");
    if (operandType(t) != otTemp || operandDims(t) != 1 || operandIndexRep(t, 0) != kIdxImm32 ||
        operandComponents(t) != kComp4 || operandSelection(t) != kSelSelect1)
      return fail("relative index other than one component of a temporary");
    uint32_t r;
    if (!next(r)) return fail("relative index past the instruction");
    if (int(r) >= temps) return fail("relative index through an undeclared temporary");
    o.relFile = File::temp;
    o.relIndex = uint16_t(r);
    o.relComp = uint8_t((t >> 4) & 3);
    return true;
  }

  // One index of an operand: an immediate, a relative address, or both.
  bool index(uint32_t t, int dim, uint32_t& imm, bool& rel, Operand& o) {
    const uint32_t rep = operandIndexRep(t, dim);
    imm = 0;
    rel = false;
    switch (rep) {
      case kIdxImm32:
        if (!next(imm)) return fail("index past the instruction");
        return true;
      case kIdxImm32Relative:
        if (!next(imm)) return fail("index past the instruction");
        rel = true;
        return relativeIndex(o);
      case kIdxRelative:
        rel = true;
        return relativeIndex(o);
      case kIdxImm64:
      case kIdxImm64Relative: return fail("64-bit index");
      default: return fail("unknown index representation");
    }
  }

  // Reads an operand. `dst`: a destination. `cls` decides what a negate means. Resource and
  // sampler operands come back with their file none and their number in `slot`.
  bool operand(bool dst, OpClass cls, Operand& o, uint32_t& type, uint32_t& slot) {
    o = Operand{};
    uint32_t t;
    if (!next(t)) return fail("operand past the instruction");
    type = operandType(t);
    slot = 0;
    if (opExtended(t)) {
      uint32_t e;
      if (!next(e)) return fail("operand past the instruction");
      if (opExtended(e)) return fail("chained extended operand");
      if ((e & 0x3F) != 1) return fail("unknown extended operand");
      const uint32_t mod = (e >> 6) & 0xFF;
      if (mod > kOperandAbsNeg) return fail("unknown operand modifier");
      if (dst && mod) return fail("modifier on a destination");
      if (cls == OpClass::intAlu) {
        if (mod & kOperandAbs) return fail("absolute value of an integer");
        if (mod & kOperandNeg) o.mods |= vm::kIntNegate;
      } else {
        if (mod & kOperandAbs) o.mods |= vm::kAbsolute;
        if (mod & kOperandNeg) o.mods |= vm::kNegate;
      }
    }
    const uint32_t comps = operandComponents(t);
    if (comps > kComp4) return fail("operand with N components");
    // Components.
    if (comps == kComp4) {
      const uint32_t sel = operandSelection(t);
      if (sel == kSelMask) {
        o.mask = uint8_t((t >> 4) & 15);
        if (dst && o.mask == 0) return fail("empty write mask");
      } else if (sel == kSelSwizzle) {
        if (dst) return fail("swizzle on a destination");
        for (int c = 0; c < 4; ++c) o.swizzle[c] = uint8_t((t >> (4 + 2 * c)) & 3);
      } else if (sel == kSelSelect1) {
        if (dst) return fail("single component on a destination");
        for (auto& c : o.swizzle) c = uint8_t((t >> 4) & 3);
      } else {
        return fail("unknown component selection");
      }
    } else if (comps == kComp1) {
      o.mask = 1;
      for (auto& c : o.swizzle) c = 0;
    }
    const uint32_t dims = operandDims(t);
    auto needDims = [&](uint32_t n) { return dims == n ? true : fail("wrong index count for the register"); };
    uint32_t i0 = 0, i1 = 0;
    bool r0 = false, r1 = false;
    switch (type) {
      case otImm32: {
        if (dst) return fail("immediate destination");
        if (dims != 0 || comps == kComp0) return fail("malformed immediate");
        uint32_t v[4];
        const int n = comps == kComp1 ? 1 : 4;
        for (int c = 0; c < n; ++c)
          if (!next(v[c])) return fail("immediate past the instruction");
        if (n == 1) v[1] = v[2] = v[3] = v[0];
        const int at = literal(v);
        if (at < 0) return fail("too many immediate values");
        o.file = File::literal;
        o.index = uint16_t(at);
        if (o.mods & vm::kIntNegate) {  // fold: literals carry no modifiers at run time on the fast path
          for (int c = 0; c < 4; ++c) {
            uint32_t k;
            std::memcpy(&k, &p.literals[size_t(at) * 4 + c], 4);
            k = 0u - k;
            std::memcpy(&p.literals[size_t(at) * 4 + c], &k, 4);
          }
          o.mods &= uint8_t(~vm::kIntNegate);
        }
        return true;
      }
      case otImm64: return fail("double precision immediate");
      case otTemp:
        if (!needDims(1) || !index(t, 0, i0, r0, o)) return false;
        if (r0) return fail("relative index on a temporary");
        if (int(i0) >= temps) return fail("temporary not declared");
        o.file = File::temp;
        o.index = uint16_t(i0);
        return true;
      case otIndexableTemp: {
        if (!needDims(2) || !index(t, 0, i0, r0, o)) return false;
        if (r0 || i0 >= uint32_t(kMaxIndexable) || !indexable[i0].declared) return fail("indexable temporary not declared");
        const Indexable& x = indexable[i0];
        if (!index(t, 1, i1, r1, o)) return false;
        if (!r1 && i1 >= x.count) return fail("indexable temporary element outside its array");
        if (r1 && i1 >= 0x10000) return fail("indexable temporary offset too large");
        o.file = File::temp;
        o.index = uint16_t(x.base + (r1 ? 0 : i1));
        if (r1) {
          o.index = uint16_t(x.base + i1);
          o.rangeLo = uint16_t(x.base);
          o.rangeHi = uint16_t(x.base + x.count - 1);
        }
        return true;
      }
      case otInput:
        if (dst) return fail("input as a destination");
        if (!needDims(1) || !index(t, 0, i0, r0, o)) return false;
        if (r0) return fail("relative index on an input");
        if (i0 >= uint32_t(vm::kMaxInputs)) return fail("input register out of range");
        o.file = File::input;
        o.index = uint16_t(i0);
        return true;
      case otOutput:
        if (!dst) return fail("output as a source");
        if (!needDims(1) || !index(t, 0, i0, r0, o)) return false;
        if (r0) return fail("relative index on an output");
        if (i0 >= (pixel ? 8u : 16u)) return fail("output register out of range");
        o.file = File::output;
        o.index = uint16_t(i0);
        return true;
      case otOutputDepth:
        if (!dst || !pixel) return fail("depth output outside a pixel program's destination");
        if (!needDims(0)) return false;
        o.file = File::output;
        o.index = kDepthOutput;
        o.mask = 1;
        p.writesDepth = true;
        return true;
      case otNull:
        if (!dst) return fail("null as a source");
        o.file = File::none;
        return needDims(0);
      case otConstantBuffer:
        if (dst) return fail("constant buffer as a destination");
        if (!needDims(2) || !index(t, 0, i0, r0, o)) return false;
        if (r0 || i0 >= uint32_t(kBufferSlots) || s.bufferRegs[i0] == 0) return fail("constant buffer not declared");
        if (!index(t, 1, i1, r1, o)) return false;
        if (i1 >= 0x10000) return fail("constant buffer register out of range");
        o.file = File::cbuffer;
        o.buffer = uint8_t(i0);
        o.index = uint16_t(i1);
        return true;
      case otImmConstantBuffer:
        if (dst) return fail("immediate constant buffer as a destination");
        if (icbBase < 0) return fail("immediate constant buffer not declared");
        if (!needDims(1) || !index(t, 0, i0, r0, o)) return false;
        if (!r0 && i0 >= uint32_t(icbCount)) return fail("immediate constant buffer element outside it");
        if (r0 && i0 >= 0x10000) return fail("immediate constant buffer offset too large");
        o.file = File::literal;
        o.index = uint16_t(icbBase + int(i0));
        if (r0) {
          o.rangeLo = uint16_t(icbBase);
          o.rangeHi = uint16_t(icbBase + icbCount - 1);
        }
        return true;
      case otResource:
      case otSampler:
        if (dst) return fail("resource as a destination");
        if (!needDims(1) || !index(t, 0, i0, r0, o)) return false;
        if (r0) return fail("relative index on a resource or sampler");
        if (i0 >= uint32_t(type == otResource ? kResourceSlots : kSamplerSlots)) return fail("slot out of range");
        if (type == otResource ? s.resources[i0] == ResourceKind::none : !s.samplerDeclared[i0])
          return fail(type == otResource ? "resource not declared" : "sampler not declared");
        slot = i0;
        return true;
      case otUav: return fail("unordered-access view");
      case otThreadGroupShared: return fail("thread-group shared memory");
      case otStream: return fail("stream output");
      case otFunctionBody:
      case otFunctionTable:
      case otInterface:
      case otThisPointer: return fail("class linkage");
      default: return fail("register kind outside vertex and pixel programs");
    }
  }

  Operand scratchReg(int k, uint8_t mask = 15) const {
    Operand o;
    o.file = File::temp;
    o.index = uint16_t(scratch + k);
    o.mask = mask;
    return o;
  }

  vm::Instr& emit(Op op, uint8_t nsrc) {
    p.code.emplace_back();
    vm::Instr& in = p.code.back();
    in.op = op;
    in.nsrc = nsrc;
    in.offset = uint32_t(instrStart * 4);
    return in;
  }
  vm::Instr& emitAlu(Alu a, uint8_t nsrc) {
    vm::Instr& in = emit(Op::alu, nsrc);
    in.alu = uint16_t(a);
    return in;
  }
  void emitMove(const Operand& dst, const Operand& src, bool sat = false) {
    vm::Instr& in = emit(Op::mov, 1);
    in.dst = dst;
    in.src[0] = src;
    in.saturate = sat;
  }

  // The machine sampler reading texture `t` through sampler `smp`.
  int pairOf(uint32_t t, uint32_t smp) {
    for (size_t k = 0; k < s.pairs.size(); ++k)
      if (s.pairs[k].texture == t && s.pairs[k].sampler == smp) return int(k);
    if (s.pairs.size() >= size_t(vm::kMaxSamplers)) return -1;
    s.pairs.push_back({uint8_t(t), uint8_t(smp)});
    const int k = int(s.pairs.size() - 1);
    p.samplers[k] = s.resources[t] == ResourceKind::textureCube ? vm::SamplerKind::cube : vm::SamplerKind::tex2d;
    return k;
  }

  bool declaration(uint32_t tok);
  bool instruction(uint32_t tok, const TokenOp& info);
  bool sampleInstruction(uint32_t tok, const TokenOp& info);
  bool pairFlow();
  bool run();
};

bool Decoder::declaration(uint32_t tok) {
  const uint32_t controls = opControls(tok);
  Operand o;
  uint32_t type = 0, slot = 0;
  switch (opcode) {
    case opDclGlobalFlags:
      if (controls & ~0xFu) return fail("unknown global flag");
      return true;
    case opDclTemps: {
      uint32_t n;
      if (!next(n)) return fail("declaration past its length");
      if (tempsDeclared) return fail("second temporaries declaration");
      if (n > uint32_t(vm::kMaxTemps - kScratch)) return fail("more temporaries than the machine has");
      temps = int(n);
      tempsDeclared = true;
      return true;
    }
    case opDclIndexableTemp: {
      uint32_t reg, count, comps;
      if (!next(reg) || !next(count) || !next(comps)) return fail("declaration past its length");
      if (reg >= uint32_t(kMaxIndexable) || indexable[reg].declared) return fail("indexable temporary number");
      if (count == 0 || comps == 0 || comps > 4) return fail("indexable temporary size");
      indexable[reg].count = count;
      indexable[reg].declared = true;
      if (count > uint32_t(vm::kMaxTemps)) return fail("indexable temporaries larger than the machine's registers");
      indexableTotal += int(count);
      return true;
    }
    case opDclConstantBuffer: {
      if (controls > 1) return fail("unknown constant buffer access");
      uint32_t t;
      if (!next(t)) return fail("declaration past its length");
      uint32_t reg, size;
      if (operandType(t) != otConstantBuffer || operandDims(t) != 2 || operandIndexRep(t, 0) != kIdxImm32 ||
          operandIndexRep(t, 1) != kIdxImm32 || opExtended(t) || !next(reg) || !next(size))
        return fail("malformed constant buffer declaration");
      if (reg >= uint32_t(kBufferSlots)) return fail("constant buffer slot above 13");
      if (size == 0 || size > 4096) return fail("constant buffer size");
      s.bufferRegs[reg] = size;
      return true;
    }
    case opDclSampler: {
      if (controls > 1) return fail(controls == 2 ? "mono sampler" : "unknown sampler mode");
      uint32_t t, reg;
      if (!next(t) || operandType(t) != otSampler || operandDims(t) != 1 || operandIndexRep(t, 0) != kIdxImm32 ||
          opExtended(t) || !next(reg))
        return fail("malformed sampler declaration");
      if (reg >= uint32_t(kSamplerSlots)) return fail("sampler slot above 15");
      s.samplerDeclared[reg] = true;
      s.comparison[reg] = controls == 1;
      return true;
    }
    case opDclResource: {
      const uint32_t dim = controls & 0x1F;
      ResourceKind kind = ResourceKind::none;
      if (dim == kDimTexture2d) kind = ResourceKind::texture2d;
      else if (dim == kDimTexture2dArray) kind = ResourceKind::texture2dArray;
      else if (dim == kDimTextureCube) kind = ResourceKind::textureCube;
      else return fail("texture kind this system never makes");
      uint32_t t, reg, ret;
      if (!next(t) || operandType(t) != otResource || operandDims(t) != 1 || operandIndexRep(t, 0) != kIdxImm32 ||
          opExtended(t) || !next(reg) || !next(ret))
        return fail("malformed resource declaration");
      if (reg >= uint32_t(kResourceSlots)) return fail("resource slot above 15");
      for (int c = 0; c < 4; ++c)
        if (((ret >> (4 * c)) & 15) == 7) return fail("double precision resource");
      s.resources[reg] = kind;
      return true;
    }
    case opDclInput:
    case opDclInputSgv:
    case opDclInputSiv:
    case opDclInputPs:
    case opDclInputPsSgv:
    case opDclInputPsSiv: {
      const bool ps = opcode >= opDclInputPs;
      if (ps != pixel) return fail(ps ? "pixel input in a vertex program" : "vertex input in a pixel program");
      uint32_t t, reg;
      if (!next(t) || opExtended(t) || operandType(t) != otInput || operandDims(t) != 1 ||
          operandIndexRep(t, 0) != kIdxImm32 || !next(reg))
        return fail("malformed input declaration");
      if (reg >= uint32_t(vm::kMaxInputs)) return fail("input register out of range");
      uint32_t sv = kSvUndefined;
      if (opcode != opDclInput && opcode != opDclInputPs && !next(sv)) return fail("declaration past its length");
      if (ps) {
        const uint32_t mode = controls & 15;
        if (mode == kInterpConstant) s.interpolation[reg] = Interpolation::constant;
        else if (mode == kInterpLinearNoPerspective || mode == kInterpLinearNoPerspectiveCentroid)
          s.interpolation[reg] = Interpolation::noPerspective;
        else if (mode == kInterpLinear || mode == kInterpLinearCentroid || mode == 0)
          s.interpolation[reg] = Interpolation::linear;
        else return fail("per-sample interpolation");
      }
      if (sv != kSvUndefined && !(pixel && (sv == kSvPosition || sv == kSvIsFrontFace)) &&
          !(!pixel && sv == kSvVertexId))
        return fail("system value outside SV_Position, SV_IsFrontFace and SV_VertexID");
      return true;
    }
    case opDclOutput:
    case opDclOutputSgv:
    case opDclOutputSiv: {
      uint32_t t;
      if (!next(t) || opExtended(t)) return fail("malformed output declaration");
      if (operandType(t) == otOutputDepth) {
        if (!pixel || opcode != opDclOutput || operandDims(t) != 0) return fail("malformed depth output");
        p.writesDepth = true;
        return true;
      }
      uint32_t reg, sv = kSvUndefined;
      if (operandType(t) != otOutput || operandDims(t) != 1 || operandIndexRep(t, 0) != kIdxImm32 || !next(reg))
        return fail("malformed output declaration");
      if (reg >= (pixel ? 8u : 16u)) return fail("output register out of range");
      if (opcode != opDclOutput && !next(sv)) return fail("declaration past its length");
      if (sv != kSvUndefined && !(sv == kSvPosition && !pixel)) return fail("system value output other than SV_Position");
      return true;
    }
    case opDclIndexRange: return fail("indexed input or output ranges");
    case opDclUavTyped:
    case 157:
    case 158: return fail("unordered-access view");
    case 159:
    case 160: return fail("thread-group shared memory");
    case 161:
    case 162: return fail("buffer resource");
    case 143: return fail("stream output");
    case 144:
    case 145:
    case 146: return fail("class linkage");
    default: break;
  }
  (void)o;
  (void)type;
  (void)slot;
  return fail("declaration of a program kind other than vertex and pixel");
}

bool Decoder::sampleInstruction(uint32_t tok, const TokenOp& info) {
  Operand dst, coord, res, smp, extra, extra2;
  uint32_t type, rslot, sslot = kNoSampler;
  if (!operand(true, OpClass::floatAlu, dst, type, rslot)) return false;
  if (opcode == opResinfo) {
    if (!operand(false, OpClass::intAlu, coord, type, rslot)) return false;
  } else if (!operand(false, OpClass::floatAlu, coord, type, rslot)) {
    return false;
  }
  if (!operand(false, OpClass::floatAlu, res, type, rslot)) return false;
  if (type != otResource) return fail("texture operand is not a resource");
  const ResourceKind kind = s.resources[rslot];
  if (opcode != opLd && opcode != opResinfo) {
    if (!operand(false, OpClass::floatAlu, smp, type, sslot)) return false;
    if (type != otSampler) return fail("sampler operand is not a sampler");
    const bool wantsCompare = opcode == opSampleC || opcode == opSampleCLz;
    if (wantsCompare != s.comparison[sslot]) return fail("sampler mode does not suit the read");
    if (wantsCompare && kind == ResourceKind::textureCube) return fail("comparison read of a cube");
  }
  uint32_t other;
  if (info.srcs >= 4 && !operand(false, OpClass::floatAlu, extra, type, other)) return false;
  if (info.srcs >= 5 && !operand(false, OpClass::floatAlu, extra2, type, other)) return false;
  if (pos != end) return fail("operands past the instruction's count");
  if (dst.file == File::none) return true;
  if ((opcode == opSample || opcode == opSampleB || opcode == opSampleC) && !pixel)
    return fail("implicit level of detail in a vertex program");
  (void)tok;
  const int pair = pairOf(rslot, sslot);
  if (pair < 0) return fail("more texture and sampler pairs than the machine has");
  Operand samplerOp;
  samplerOp.file = File::sampler;
  samplerOp.index = uint16_t(pair);
  const bool plainSwizzle = res.swizzle[0] == 0 && res.swizzle[1] == 1 && res.swizzle[2] == 2 && res.swizzle[3] == 3;
  const bool sat = (tok & kSaturateBit) != 0;
  const Operand target = plainSwizzle && !sat ? dst : scratchReg(1);
  switch (opcode) {
    case opSample:
    case opSampleD: {
      vm::Instr& in = emit(Op::tex, opcode == opSampleD ? 4 : 2);
      in.texMode = opcode == opSampleD ? vm::TexMode::grad : vm::TexMode::plain;
      in.dst = target;
      in.src[0] = coord;
      in.src[1] = samplerOp;
      in.src[2] = extra;
      in.src[3] = extra2;
      break;
    }
    case opSampleL:
    case opSampleB: {
      // The level (or bias) travels in the coordinate's w, as the machine reads it.
      emitMove(scratchReg(0), coord);
      emitMove(scratchReg(0, 8), extra);
      vm::Instr& in = emit(Op::tex, 2);
      in.texMode = opcode == opSampleL ? vm::TexMode::lod : vm::TexMode::bias;
      in.dst = target;
      in.src[0] = scratchReg(0);
      in.src[1] = samplerOp;
      break;
    }
    default: {
      vm::Instr& in = emit(Op::texEx, 3);
      vm::TexExtra e = vm::TexExtra::compare;
      if (opcode == opSampleCLz) e = vm::TexExtra::compareLevelZero;
      else if (opcode == opLd) e = kind == ResourceKind::texture2d ? vm::TexExtra::fetch : vm::TexExtra::fetchArray;
      else if (opcode == opResinfo) {
        const uint32_t rt = opControls(tok) & 3;
        if (rt == 3) return fail("unknown size return type");
        e = rt == 0 ? vm::TexExtra::size : rt == 1 ? vm::TexExtra::sizeRcp : vm::TexExtra::sizeUint;
      }
      if (opcode == opLd && kind == ResourceKind::textureCube) return fail("whole-texel read of a cube");
      in.alu = uint16_t(e);
      in.dst = target;
      in.src[0] = coord;
      in.src[1] = samplerOp;
      in.src[2] = extra;
      break;
    }
  }
  if (!(plainSwizzle && !sat)) {
    Operand from = scratchReg(1);
    for (int c = 0; c < 4; ++c) from.swizzle[c] = res.swizzle[c];
    emitMove(dst, from, sat);
  }
  return true;
}

bool Decoder::instruction(uint32_t tok, const TokenOp& info) {
  if (info.cls == OpClass::refused) return fail(info.refusal);
  const bool sat = (tok & kSaturateBit) != 0;
  const bool nz = (tok & kTestNonZeroBit) != 0;
  if (info.cls == OpClass::sample) return sampleInstruction(tok, info);
  if (sat && info.cls != OpClass::floatAlu && info.cls != OpClass::anyAlu) return fail("saturate on an integer result");
  Operand d[2], src[4];
  uint32_t type, slot;
  for (int k = 0; k < info.dsts; ++k)
    if (!operand(true, info.cls, d[k], type, slot)) return false;
  for (int k = 0; k < info.srcs; ++k) {
    // movc and swapc select by the bits of src0; the other sources pass as floats.
    if (!operand(false, info.cls, src[k], type, slot)) return false;
    if (type == otResource || type == otSampler) return fail("resource in arithmetic");
  }
  if (pos != end) return fail("operands past the instruction's count");
  auto one = [&](Op op, const Operand& dst, int n) -> vm::Instr& {
    vm::Instr& in = emit(op, uint8_t(n));
    in.dst = dst;
    for (int k = 0; k < n; ++k) in.src[k] = src[k];
    in.saturate = sat;
    return in;
  };
  auto alu = [&](Alu a, const Operand& dst, int n) -> vm::Instr& {
    vm::Instr& in = one(Op::alu, dst, n);
    in.alu = uint16_t(a);
    return in;
  };
  // Two results: the second first into a scratch register when both are wanted.
  auto twoResults = [&](Alu first, Alu second, int n) {
    const bool both = d[0].file != File::none && d[1].file != File::none;
    if (both) alu(second, scratchReg(0, d[1].mask), n);
    else if (d[1].file != File::none) alu(second, d[1], n);
    if (d[0].file != File::none) alu(first, d[0], n);
    if (both) {
      emitMove(d[1], scratchReg(0));
      p.code.back().saturate = sat;
    }
  };
  if (info.dsts == 1 && d[0].file == File::none) return true;
  switch (opcode) {
    case opAdd: one(Op::add, d[0], 2); break;
    case opMul: one(Op::mul, d[0], 2); break;
    case opMad: one(Op::mad, d[0], 3); break;
    case opMov: one(Op::mov, d[0], 1); break;
    case opFrc: one(Op::frc, d[0], 1); break;
    case opDp3: one(Op::dp3, d[0], 2); break;
    case opDp4: one(Op::dp4, d[0], 2); break;
    case opDerivRtx:
    case opDerivRtxFine:
    case opDerivRty:
    case opDerivRtyFine:
    case opDerivRtxCoarse:
    case opDerivRtyCoarse:
      if (!pixel) return fail("derivative in a vertex program");
      if (opcode == opDerivRtxCoarse) alu(Alu::derivRtxCoarse, d[0], 1);
      else if (opcode == opDerivRtyCoarse) alu(Alu::derivRtyCoarse, d[0], 1);
      else one(opcode == opDerivRtx || opcode == opDerivRtxFine ? Op::dsx : Op::dsy, d[0], 1);
      break;
    case opDiv: alu(Alu::div, d[0], 2); break;
    case opDp2: alu(Alu::dp2, d[0], 2); break;
    case opExp: alu(Alu::exp, d[0], 1); break;
    case opLog: alu(Alu::log, d[0], 1); break;
    case opSqrt: alu(Alu::sqrt, d[0], 1); break;
    case opRsq: alu(Alu::rsq, d[0], 1); break;
    case opRcp: alu(Alu::rcp, d[0], 1); break;
    case opRoundNe: alu(Alu::roundNe, d[0], 1); break;
    case opRoundNi: alu(Alu::roundNi, d[0], 1); break;
    case opRoundPi: alu(Alu::roundPi, d[0], 1); break;
    case opRoundZ: alu(Alu::roundZ, d[0], 1); break;
    case opEq: alu(Alu::eq, d[0], 2); break;
    case opNe: alu(Alu::ne, d[0], 2); break;
    case opLt: alu(Alu::lt, d[0], 2); break;
    case opGe: alu(Alu::ge, d[0], 2); break;
    case opMin: alu(Alu::min, d[0], 2); break;
    case opMax: alu(Alu::max, d[0], 2); break;
    case opFtoi: alu(Alu::ftoi, d[0], 1); break;
    case opFtou: alu(Alu::ftou, d[0], 1); break;
    case opF32tof16: alu(Alu::f32tof16, d[0], 1); break;
    case opF16tof32: alu(Alu::f16tof32, d[0], 1); break;
    case opIadd: alu(Alu::iadd, d[0], 2); break;
    case opImad: alu(Alu::imad, d[0], 3); break;
    case opUmad: alu(Alu::umad, d[0], 3); break;
    case opImax: alu(Alu::imax, d[0], 2); break;
    case opImin: alu(Alu::imin, d[0], 2); break;
    case opUmax: alu(Alu::umax, d[0], 2); break;
    case opUmin: alu(Alu::umin, d[0], 2); break;
    case opIshl: alu(Alu::ishl, d[0], 2); break;
    case opIshr: alu(Alu::ishr, d[0], 2); break;
    case opUshr: alu(Alu::ushr, d[0], 2); break;
    case opAnd: alu(Alu::bitAnd, d[0], 2); break;
    case opOr: alu(Alu::bitOr, d[0], 2); break;
    case opXor: alu(Alu::bitXor, d[0], 2); break;
    case opNot: alu(Alu::bitNot, d[0], 1); break;
    case opIneg: alu(Alu::ineg, d[0], 1); break;
    case opIeq: alu(Alu::ieq, d[0], 2); break;
    case opIne: alu(Alu::ine, d[0], 2); break;
    case opIge: alu(Alu::ige, d[0], 2); break;
    case opIlt: alu(Alu::ilt, d[0], 2); break;
    case opUge: alu(Alu::uge, d[0], 2); break;
    case opUlt: alu(Alu::ult, d[0], 2); break;
    case opItof: alu(Alu::itof, d[0], 1); break;
    case opUtof: alu(Alu::utof, d[0], 1); break;
    case opCountbits: alu(Alu::countbits, d[0], 1); break;
    case opFirstbitHi: alu(Alu::firstbitHi, d[0], 1); break;
    case opFirstbitLo: alu(Alu::firstbitLo, d[0], 1); break;
    case opFirstbitShi: alu(Alu::firstbitShi, d[0], 1); break;
    case opUbfe: alu(Alu::ubfe, d[0], 3); break;
    case opIbfe: alu(Alu::ibfe, d[0], 3); break;
    case opBfi: alu(Alu::bfi, d[0], 4); break;
    case opBfrev: alu(Alu::bfrev, d[0], 1); break;
    case opMovc: alu(Alu::movc, d[0], 3); break;
    case opImul: twoResults(Alu::imulHi, Alu::imulLo, 2); break;
    case opUmul: twoResults(Alu::umulHi, Alu::umulLo, 2); break;
    case opUdiv: twoResults(Alu::udivQ, Alu::udivR, 2); break;
    case opUaddc: twoResults(Alu::uaddc, Alu::uaddcCarry, 2); break;
    case opUsubb: twoResults(Alu::usubb, Alu::usubbBorrow, 2); break;
    case opSincos: twoResults(Alu::sin, Alu::cos, 1); break;
    case opSwapc: {
      // dst0 = src0 ? src2 : src1, dst1 = src0 ? src1 : src2, both from the sources as read.
      std::swap(src[1], src[2]);
      alu(Alu::movc, scratchReg(0), 3);
      std::swap(src[1], src[2]);
      alu(Alu::movc, scratchReg(1), 3);
      if (d[0].file != File::none) emitMove(d[0], scratchReg(0));
      if (d[1].file != File::none) emitMove(d[1], scratchReg(1));
      break;
    }
    // Flow control: partners are found by pairFlow.
    case opIf: one(Op::ifBits, Operand{}, 1).nonZero = nz; break;
    case opElse: emit(Op::elseBranch, 0); break;
    case opEndif: emit(Op::endIf, 0); break;
    case opLoop: emit(Op::loopAny, 0); break;
    case opEndloop: emit(Op::endLoop, 0); break;
    case opBreak: emit(Op::breakAlways, 0); break;
    case opBreakc: one(Op::breakBits, Operand{}, 1).nonZero = nz; break;
    case opContinue: emit(Op::continueAlways, 0); break;
    case opContinuec: one(Op::continueBits, Operand{}, 1).nonZero = nz; break;
    case opSwitch: one(Op::switchBegin, Operand{}, 1); break;
    case opCase:
      if (src[0].file != File::literal) return fail("case value is not an immediate");
      one(Op::caseLabel, Operand{}, 1);
      break;
    case opDefault: emit(Op::defaultLabel, 0); break;
    case opEndswitch: emit(Op::endSwitch, 0); break;
    case opRet: emit(Op::retLanes, 0); break;
    case opRetc: one(Op::retLanes, Operand{}, 1).nonZero = nz; break;
    case opDiscard:
      if (!pixel) return fail("discard in a vertex program");
      one(Op::discardBits, Operand{}, 1).nonZero = nz;
      p.kills = true;
      break;
    case opNop: break;
    default: return fail("instruction outside the accepted set");
  }
  return true;
}

// Pairs each opening instruction with its partners and checks the nesting.
bool Decoder::pairFlow() {
  int32_t stack[kMaxNesting];
  int depth = 0;
  for (int32_t k = 0; k < int32_t(p.code.size()); ++k) {
    vm::Instr& in = p.code[size_t(k)];
    instrStart = in.offset / 4;
    const Op top = depth ? p.code[size_t(stack[depth - 1])].op : Op::nop;
    auto inside = [&](Op want) {
      for (int j = depth - 1; j >= 0; --j)
        if (p.code[size_t(stack[j])].op == want) return true;
      return false;
    };
    auto innermostBreakable = [&]() {
      for (int j = depth - 1; j >= 0; --j) {
        const Op o = p.code[size_t(stack[j])].op;
        if (o == Op::loopAny || o == Op::switchBegin) return true;
      }
      return false;
    };
    switch (in.op) {
      case Op::ifBits:
      case Op::loopAny:
      case Op::switchBegin:
        if (depth >= kMaxNesting) return fail("flow control nested too deep");
        stack[depth++] = k;
        break;
      case Op::elseBranch:
        if (top != Op::ifBits || p.code[size_t(stack[depth - 1])].target >= 0) return fail("else without its if");
        p.code[size_t(stack[depth - 1])].target = k;
        stack[depth - 1] = k;  // the endif closes the else now
        break;
      case Op::endIf:
        if (top != Op::ifBits && top != Op::elseBranch) return fail("endif without its if");
        p.code[size_t(stack[--depth])].target = k;
        break;
      case Op::endLoop:
        if (top != Op::loopAny) return fail("endloop without its loop");
        p.code[size_t(stack[--depth])].target = k;
        break;
      case Op::endSwitch:
        if (top != Op::switchBegin) return fail("endswitch without its switch");
        p.code[size_t(stack[--depth])].target = k;
        break;
      case Op::caseLabel:
      case Op::defaultLabel:
        if (top != Op::switchBegin) return fail("case outside a switch");
        in.target = stack[depth - 1];
        break;
      case Op::breakAlways:
      case Op::breakBits:
        if (!innermostBreakable()) return fail("break outside a loop or switch");
        break;
      case Op::continueAlways:
      case Op::continueBits:
        if (!inside(Op::loopAny)) return fail("continue outside a loop");
        break;
      default: break;
    }
  }
  if (depth != 0) return fail("flow control left open at the end");
  // Two cases with the same value would both claim a lane.
  for (const vm::Instr& a : p.code)
    if (a.op == Op::caseLabel)
      for (const vm::Instr& b : p.code)
        if (&a != &b && b.op == Op::caseLabel && a.target == b.target &&
            std::memcmp(&p.literals[size_t(a.src[0].index) * 4], &p.literals[size_t(b.src[0].index) * 4], 4) == 0) {
          instrStart = b.offset / 4;
          return fail("two cases with the same value");
        }
  return true;
}

// Usage and index of a signature element, for the machine's varyings.
void usageOf(const SignatureElement& e, bool pixelInput, vm::Usage& u, uint8_t& index) {
  std::string n;
  for (char c : e.name) n += char(std::toupper(static_cast<unsigned char>(c)));
  index = uint8_t(e.index > 255 ? 255 : e.index);
  static const struct {
    const char* name;
    vm::Usage usage;
  } kNames[] = {{"POSITION", vm::Usage::position}, {"SV_POSITION", vm::Usage::position},
                {"TEXCOORD", vm::Usage::texcoord}, {"COLOR", vm::Usage::colour},
                {"NORMAL", vm::Usage::normal},     {"TANGENT", vm::Usage::tangent},
                {"BINORMAL", vm::Usage::binormal}, {"BLENDWEIGHT", vm::Usage::blendWeight},
                {"BLENDINDICES", vm::Usage::blendIndices}, {"PSIZE", vm::Usage::pointSize},
                {"FOG", vm::Usage::fog},           {"SV_TARGET", vm::Usage::colour},
                {"SV_DEPTH", vm::Usage::depth},    {"SV_ISFRONTFACE", vm::Usage::face}};
  // Names of the program's own: beyond every varying, so they read zeros unless the faces
  // pair them by name.
  u = vm::Usage::texcoord;
  index = uint8_t(16 + (index & 15));
  for (const auto& k : kNames)
    if (n == k.name) {
      u = k.usage;
      index = uint8_t(e.index > 255 ? 255 : e.index);
    }
  if (pixelInput && n == "SV_POSITION") u = vm::Usage::pixelPos;
}

bool Decoder::run() {
  if (w.size() < 2) return fail("program shorter than its version and length");
  const uint32_t version = w[0];
  const uint32_t kind = version >> 16, major = (version >> 4) & 15, minor = version & 15;
  if (kind == kGeometry) return fail("geometry program");
  if (kind == kHull) return fail("hull program");
  if (kind == kDomain) return fail("domain program");
  if (kind == kCompute) return fail("compute program");
  if (kind != kPixel && kind != kVertex) return fail("unknown program kind");
  if (!((major == 4 && minor <= 1) || (major == 5 && minor == 0))) return fail("model other than 4.0, 4.1 and 5.0");
  if (w[1] != w.size()) return fail("program length differs from its chunk");
  pixel = kind == kPixel;
  p.pixel = pixel;
  p.major = uint8_t(major);
  p.minor = uint8_t(minor);
  pos = 2;
  bool declarations = true;
  while (pos < w.size()) {
    instrStart = pos;
    const uint32_t tok = w[pos];
    opcode = opType(tok);
    if (opcode == opCustomData) {
      if (pos + 1 >= w.size()) return fail("data block past the end");
      const uint32_t len = w[pos + 1];
      if (len < 2) return fail("data block length shorter than its own two words");
      if (len > w.size() - pos) return fail("data block length past the end");
      if ((tok >> 11) == kCustomImmediateConstantBuffer) {
        if (icbBase >= 0) return fail("second immediate constant buffer");
        if ((len - 2) % 4 != 0) return fail("immediate constant buffer not whole vectors");
        icbBase = int(p.literals.size() / 4);
        icbCount = int((len - 2) / 4);
        if (icbCount == 0 || size_t(icbBase + icbCount) > size_t(vm::kMaxLiterals) - 64)
          return fail("immediate constant buffer larger than the machine holds");
        for (int k = 0; k < icbCount; ++k)
          if (literal(&w[pos + 2 + size_t(k) * 4]) < 0) return fail("too many immediate values");
      }
      pos += len;
      continue;
    }
    const uint32_t len = opLength(tok);
    if (len == 0) return fail("instruction length of zero");
    if (len > w.size() - pos) return fail("instruction length past the end");
    end = pos + len;
    ++pos;
    // Extended opcode tokens: zero immediate offsets and resource descriptions pass.
    bool ext = opExtended(tok);
    while (ext) {
      uint32_t e;
      if (!next(e)) return fail("extended opcode past the instruction");
      const uint32_t etype = e & 0x3F;
      if (etype == 1) {
        if ((e >> 9) & 0xFFF) return fail("immediate texel offsets");
      } else if (etype != 2 && etype != 3) {
        return fail("unknown extended opcode");
      }
      ext = opExtended(e);
    }
    const TokenOp* info = opByCode(opcode);
    const bool isDecl = (opcode >= opDclResource && opcode <= opDclGlobalFlags) ||
                        (opcode >= 143 && opcode <= 162) || opcode == opDclUavTyped || opcode == 206;
    if (isDecl) {
      if (!declarations && opcode != opDclIndexRange) return fail("declaration after the first instruction");
      if (!declaration(tok)) return false;
      if (pos != end) return fail("declaration longer than its operands");
    } else {
      if (!info) {
        if (opcode >= 191 && opcode <= 202) return fail("double precision");
        if (opcode >= 163 && opcode <= 190) return fail("unordered-access view or atomic");
        if (opcode >= 113 && opcode <= 116) return fail("hull program phase");
        return fail("instruction outside the accepted set");
      }
      if (declarations) {
        declarations = false;
        // Indexable temporaries and scratch registers follow the program's own temporaries.
        int base = temps;
        for (Indexable& x : indexable)
          if (x.declared) {
            x.base = uint32_t(base);
            base += int(x.count);
          }
        if (base + kScratch > vm::kMaxTemps) return fail("more temporaries than the machine has");
        scratch = base;
        p.temps = base + kScratch;
      }
      if (!instruction(tok, *info)) return false;
    }
    pos = end;
  }
  if (declarations) {
    scratch = temps;
    p.temps = temps + kScratch;
  }
  instrStart = w.size();
  opcode = 0;
  emit(Op::end, 0);
  if (!pairFlow()) return false;
  // Signatures as the machine's usages.
  for (const SignatureElement& e : s.inputs) {
    if (e.reg >= uint32_t(vm::kMaxInputs)) continue;
    vm::Usage u;
    uint8_t index;
    usageOf(e, pixel, u, index);
    p.inputs.push_back({uint16_t(e.reg), u, index});
  }
  // A signature element past the output file names a register no instruction can write.
  for (const SignatureElement& e : s.outputs) {
    if (e.reg != 0xFFFFFFFFu && e.reg >= (pixel ? 8u : 16u)) continue;
    vm::Usage u;
    uint8_t index;
    usageOf(e, false, u, index);
    p.outputs.push_back({uint16_t(e.reg == 0xFFFFFFFFu ? kDepthOutput : e.reg), u, index});
  }
  p.inputCount = int(p.inputs.size());
  p.outputCount = int(p.outputs.size());
  return true;
}

}  // namespace

bool decodeShader(const void* data, size_t size, Shader& out, std::string& reason) {
  out = Shader{};
  Container c;
  if (!parseContainer(data, size, c, reason)) return false;
  out.inputs = std::move(c.inputs);
  out.outputs = std::move(c.outputs);
  Decoder d(c.code, out, reason);
  if (!d.run()) {
    const std::string why = reason;
    out = Shader{};
    reason = why;
    return false;
  }
  return true;
}

}  // namespace plat::gpu::dxbc
