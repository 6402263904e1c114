// Decoding of shader-model 2 and 3 token streams: one pass over the words that checks each
// token before reading the next, then a pass that pairs the flow-control instructions and
// resolves labels and the program's own constants.
#include "platform/gpu/d3d9/sm3_decode.h"

#include <cstdio>
#include <cstring>

#include "platform/gpu/d3d9/sm3_tokens.h"

namespace plat::gpu::sm3 {

namespace {

using vm::File;
using vm::Op;
using vm::Operand;

constexpr int kMaxNesting = 24;
constexpr int kLabels = 2048;

struct Decoder {
  const uint32_t* w;
  size_t count;
  size_t pos = 0;
  vm::Program& p;
  std::string& reason;
  bool pixel = false;
  int major = 0, minor = 0;
  uint32_t opcode = 0;
  size_t instrStart = 0;
  int32_t labelAt[kLabels];
  std::vector<int> callLabel;  // per instruction: the label a call names, or -1

  Decoder(const uint32_t* words, size_t n, vm::Program& out, std::string& r) : w(words), count(n), p(out), reason(r) {
    for (auto& l : labelAt) l = -1;
  }

  bool fail(const char* what) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "byte offset %zu, opcode %u: %s", instrStart * 4, unsigned(opcode), what);
    reason = buf;
    return false;
  }
  bool model3() const { return major == 3; }

  // The next word of the current instruction, or false past its length or the count.
  bool next(size_t end, uint32_t& t) {
    if (pos >= end || pos >= count) return false;
    t = w[pos++];
    return true;
  }

  // A register's file and index in the machine, from its token type and number.
  bool mapRegister(uint32_t type, uint32_t num, bool dst, File& f, uint32_t& idx) {
    idx = num;
    switch (type) {
      case rTemp: f = File::temp; return num < vm::kMaxTemps;
      case rInput:
        f = File::input;
        return pixel ? (model3() ? num < 10 : num < 2) : num < 16;
      case rConst: f = File::constF; return num < uint32_t(pixel ? 224 : 256);
      case rAddr:  // a0 in vertex programs, t# in pixel programs before model 3
        if (pixel) {
          if (model3() || num >= 8) return false;
          f = File::input;
          idx = 2 + num;
          return true;
        }
        f = File::addr;
        return num == 0;
      case rConstInt: f = File::constI; return num < 16;
      case rConstBool: f = File::constB; return num < 16;
      case rSampler: f = File::sampler; return pixel && num < 16;
      case rLoop: f = File::loop; return num == 0;
      case rPredicate: f = File::pred; return num == 0 && (major == 3 || minor == 1);
      case rMisc:
        if (!pixel || !model3() || num > 1 || dst) return false;
        f = File::input;
        idx = num == 0 ? 18 : 19;
        return true;
      case rLabel: f = File::none; return num < kLabels;
      default: break;
    }
    if (!dst) return false;
    f = File::output;
    if (pixel) {
      if (type == rColorOut && num < 4) return true;
      if (type == rDepthOut && num == 0) {
        idx = 4;
        p.writesDepth = true;
        return true;
      }
      return false;
    }
    if (model3()) return type == rOutput && num < 12;
    if (type == rRastOut && num < 3) return true;  // oPos, oFog, oPts
    if (type == rAttrOut && num < 2) {
      idx = 3 + num;
      return true;
    }
    if (type == rTexCrdOut && num < 8) {
      idx = 5 + num;
      return true;
    }
    return false;
  }

  // The relative-address token that follows a parameter with the relative bit.
  bool relative(size_t end, Operand& o) {
    uint32_t t;
    if (!next(end, t)) return fail("relative address past the instruction");
    if (!(t & kParamBit)) return fail("relative address is not a parameter token");
    const uint32_t type = regType(t);
    if (regNumber(t) != 0 || (type != rAddr && type != rLoop) || (type == rAddr && pixel))
      return fail("relative address through a register other than a0 or aL");
    o.relFile = type == rAddr ? File::addr : File::loop;
    o.relComp = uint8_t((t >> 16) & 3);
    return true;
  }

  bool source(size_t end, Operand& o) {
    uint32_t t;
    if (!next(end, t)) return fail("source parameter past the instruction");
    if (!(t & kParamBit)) return fail("source parameter token expected");
    const uint32_t type = regType(t);
    uint32_t idx;
    if (!mapRegister(type, regNumber(t), false, o.file, idx)) return fail("register index past its file");
    o.index = uint16_t(idx);
    if (type == rLabel) o.index = uint16_t(regNumber(t));
    for (int c = 0; c < 4; ++c) o.swizzle[c] = uint8_t((t >> (16 + 2 * c)) & 3);
    const uint32_t mod = (t >> 24) & 0xF;
    if (mod == kModNeg) o.mods = vm::kNegate;
    else if (mod == kModAbs) o.mods = vm::kAbsolute;
    else if (mod == kModAbsNeg) o.mods = vm::kAbsolute | vm::kNegate;
    else if (mod == 13 && (o.file == File::pred || o.file == File::constB)) o.mods = vm::kNot;
    else if (mod != kModNone) return fail("source modifier not accepted");
    if (t & kRelativeBit) {
      if (o.file != File::constF && !(o.file == File::input && (pixel || model3())) &&
          !(o.file == File::output && model3()))
        return fail("relative addressing of this register");
      if (!relative(end, o)) return false;
    }
    return true;
  }
  bool destination(size_t end, vm::Instr& in) {
    uint32_t t;
    if (!next(end, t)) return fail("destination parameter past the instruction");
    if (!(t & kParamBit)) return fail("destination parameter token expected");
    Operand& o = in.dst;
    uint32_t idx;
    if (!mapRegister(regType(t), regNumber(t), true, o.file, idx)) return fail("register index past its file");
    o.index = uint16_t(idx);
    o.mask = uint8_t((t >> 16) & 15);
    const uint32_t res = (t >> 20) & 15;
    if (res & ~(kResSaturate | kResPartial | kResCentroid)) return fail("result modifier not accepted");
    if ((t >> 24) & 15) return fail("result shift not accepted");
    in.saturate = res & kResSaturate;
    if (o.mask == 0) return fail("empty write mask");
    if (t & kRelativeBit) {
      if (!(o.file == File::output && model3() && !pixel)) return fail("relative addressing of this register");
      if (!relative(end, o)) return false;
    }
    return true;
  }

  bool declaration(size_t end) {
    uint32_t u, d;
    if (!next(end, u)) return fail("declaration past the instruction");
    if (!(u & kParamBit)) return fail("declaration token expected");
    if (!next(end, d) || !(d & kParamBit)) return fail("declared register expected");
    const uint32_t type = regType(d), num = regNumber(d);
    if (type == rSampler) {
      if (!pixel) return fail("texture fetch in a vertex program is not supported");
      if (num >= 16) return fail("register index past its file");
      const uint32_t kind = (u >> 27) & 15;
      if (kind == kSampler2D) p.samplers[num] = vm::SamplerKind::tex2d;
      else if (kind == kSamplerCube) p.samplers[num] = vm::SamplerKind::cube;
      else if (kind == kSamplerVolume) return fail("volume samplers are not supported");
      else return fail("unknown sampler kind");
      return true;
    }
    File f;
    uint32_t idx;
    if (type == rMisc) return pixel && model3() && num <= 1 ? true : fail("register index past its file");
    if (!mapRegister(type, num, type != rInput && !(pixel && type == rTexture), f, idx))
      return fail("register index past its file");
    vm::Usage usage = vm::Usage(u & 31);
    uint8_t index = uint8_t((u >> 16) & 15);
    if ((u & 31) > uSample) return fail("unknown declaration usage");
    if (pixel && !model3()) {  // colours and texture coordinates by register
      usage = type == rTexture ? vm::Usage::texcoord : vm::Usage::colour;
      index = uint8_t(type == rTexture ? num : num);
    }
    if (f == File::input) {
      for (const vm::Signature& s : p.inputs)
        if (s.reg == idx) return fail("input declared twice");
      p.inputs.push_back({uint16_t(idx), usage, index});
    } else if (f == File::output && model3() && !pixel) {
      for (const vm::Signature& s : p.outputs)
        if (s.reg == idx) return fail("output declared twice");
      p.outputs.push_back({uint16_t(idx), usage, index});
    } else {
      return fail("declaration of this register");
    }
    return true;
  }

  bool literal(size_t end, uint32_t op) {
    uint32_t d;
    if (!next(end, d) || !(d & kParamBit)) return fail("defined register expected");
    const uint32_t type = regType(d), num = regNumber(d);
    const uint32_t want = op == oDef ? rConst : op == oDefi ? rConstInt : rConstBool;
    if (type != want || num >= uint32_t(op == oDef ? (pixel ? 224 : 256) : 16)) return fail("register index past its file");
    float v[4] = {0, 0, 0, 0};
    const int words = op == oDefb ? 1 : 4;
    for (int k = 0; k < words; ++k) {
      uint32_t x;
      if (!next(end, x)) return fail("definition past the instruction");
      if (op == oDef) std::memcpy(&v[k], &x, 4);
      else if (op == oDefi) v[k] = float(int32_t(x));
      else v[0] = v[1] = v[2] = v[3] = x ? 1.0f : 0.0f;
    }
    if (p.literals.size() / 4 >= size_t(vm::kMaxLiterals)) return fail("too many definitions");
    const int16_t at = int16_t(p.literals.size() / 4);
    p.literals.insert(p.literals.end(), v, v + 4);
    (op == oDef ? p.defF[num] : op == oDefi ? p.defI[num] : p.defB[num]) = at;
    return true;
  }

  bool instruction(uint32_t t);
  bool pairFlow();
  bool withinBudget();
  bool run();
};

// The most instructions one invocation of a paired program can run, as the machine counts
// them: both sides of every branch, every rep and loop at its largest count (its defined
// count, else 255, the most an integer register holds), and each call running its whole
// routine. Calls nest at most as deep as the machine follows them.
struct WorstCase {
  const vm::Program& p;
  static constexpr uint64_t kOver = uint64_t(vm::kBoundedProgramLimit) + 1;
  std::vector<uint64_t> routine;   // per label index: its cost, 0 while unknown
  std::vector<int> depthOf;        // per label index: the call depth below it, -1 while walking
  bool tooDeep = false;

  explicit WorstCase(const vm::Program& program) : p(program) {}

  static uint64_t add(uint64_t a, uint64_t b) { return a + b > kOver ? kOver : a + b; }

  uint64_t count(const vm::Instr& in) const {
    const vm::Operand& o = in.src[in.op == Op::loop ? 1 : 0];
    if (o.index < vm::kMaxConstI && p.defI[o.index] >= 0) {
      const float n = p.literals[size_t(p.defI[o.index]) * 4];
      return n > 255.0f ? 255 : n > 0.0f ? uint64_t(n) : 0;
    }
    return 255;
  }

  // Instructions [from, to) of one routine; `depth` is how deep its calls nest below it.
  uint64_t span(int from, int to, int& depth) {
    uint64_t total = 0;
    for (int i = from; i < to && total < kOver; ++i) {
      const vm::Instr& in = p.code[size_t(i)];
      if ((in.op == Op::rep || in.op == Op::loop) && in.target > i && in.target < to) {
        const uint64_t body = span(i + 1, in.target, depth);
        const uint64_t n = count(in);
        const uint64_t rounds = body + 1 > kOver / (n ? n : 1) ? kOver : n * (body + 1);
        total = add(total, add(1, rounds));
        i = in.target;
        continue;
      }
      total = add(total, 1);
      if ((in.op == Op::call || in.op == Op::callTrue) && in.target >= 0) {
        int below = 0;
        total = add(total, call(in.target, below));
        if (below + 1 > depth) depth = below + 1;
      }
    }
    return total;
  }

  uint64_t call(int label, int& depth) {
    const size_t at = size_t(label);
    if (depthOf[at] == -1 || tooDeep) return tooDeep = true, kOver;  // reaches itself
    if (routine[at] == 0) {
      depthOf[at] = -1;
      int below = 0;
      int end = label + 1;
      while (end < int(p.code.size()) && p.code[size_t(end)].op != Op::label && p.code[size_t(end)].op != Op::end) ++end;
      routine[at] = add(span(label + 1, end, below), 1);  // and the label or end it runs into
      depthOf[at] = below;
    }
    depth = depthOf[at];
    if (depth + 1 > vm::kMaxCallDepth) tooDeep = true;
    return routine[at];
  }

  uint64_t program() {
    routine.assign(p.code.size(), 0);
    depthOf.assign(p.code.size(), 0);
    int end = 0;
    while (end < int(p.code.size()) && p.code[size_t(end)].op != Op::label && p.code[size_t(end)].op != Op::end) ++end;
    int depth = 0;
    const uint64_t total = add(span(0, end, depth), 1);
    if (depth > vm::kMaxCallDepth) tooDeep = true;
    return total;
  }
};

bool Decoder::withinBudget() {
  WorstCase w(p);
  const uint64_t most = w.program();
  opcode = 0;
  instrStart = 0;
  if (w.tooDeep) return fail("calls nest deeper than 8 or a routine calls itself");
  if (most > vm::kBoundedProgramLimit)
    return fail("one run may take more instructions than the device's limit of 16,777,216");
  p.budget = uint32_t(most);
  return true;
}

bool arithmeticFile(File f) {
  return f == File::temp || f == File::input || f == File::constF || f == File::literal;
}

bool Decoder::instruction(uint32_t t) {
  opcode = opcodeOf(t);
  if (t & kParamBit) return fail("instruction token expected");
  const size_t len = lengthOf(t);
  const size_t end = pos + len;
  if (end > count) return fail("instruction runs past the end");
  if (t & (1u << 30)) return fail("co-issue is not accepted");
  const bool predicated = t & kPredicatedBit;
  if (predicated && major == 2 && minor == 0) return fail("predication needs model 2.x or 3");
  const uint32_t control = controlOf(t);

  if (opcode == oDcl) {
    if (!declaration(end)) return false;
    return pos == end ? true : fail("instruction length does not match its parameters");
  }
  if (opcode == oDef || opcode == oDefi || opcode == oDefb) {
    if (!literal(end, opcode)) return false;
    return pos == end ? true : fail("instruction length does not match its parameters");
  }
  const OpInfo* info = opInfo(opcode);
  if (!info) return fail("unknown opcode");
  if (opcode == oNop) return pos == end ? true : fail("instruction length does not match its parameters");

  vm::Instr in;
  in.offset = uint32_t(instrStart * 4);
  if (info->dst && opcode != oTexkill && !destination(end, in)) return false;
  if (predicated) {
    if (!info->dst) return fail("predication of this instruction");
    Operand pr;
    if (!source(end, pr)) return false;
    if (pr.file != File::pred || (pr.mods & ~vm::kNot)) return fail("predicate register expected");
    in.predicated = true;
    in.predNot = pr.mods & vm::kNot;
    std::memcpy(in.predSwizzle, pr.swizzle, 4);
  }
  if (opcode == oTexkill) {  // reads the register its destination token names
    vm::Instr tmp;
    if (!destination(end, tmp)) return false;
    in.src[0].file = tmp.dst.file;
    in.src[0].index = tmp.dst.index;
    in.dst.mask = tmp.dst.mask;
    in.nsrc = 1;
  }
  while (pos < end && in.nsrc < 4 && opcode != oTexkill)
    if (!source(end, in.src[in.nsrc++])) return false;
  if (pos != end) return fail("instruction length does not match its parameters");
  const int n = in.nsrc;
  const bool wantsN = opcode == oTexkill || n == info->nsrc || (opcode == oSincos && n == (model3() ? 1 : 3)) ||
                      (opcode == oSgn && n == 1);
  if (!wantsN || (opcode == oSincos && n != (model3() ? 1 : 3))) return fail("wrong number of operands");

  auto cmpOf = [&](vm::Cmp& c) {
    if (control < 1 || control > 6) return false;
    c = vm::Cmp(control - 1);
    return true;
  };
  // Which files each operand may name.
  auto checkArith = [&]() {
    for (int k = 0; k < n; ++k)
      if (!arithmeticFile(in.src[k].file) || (in.src[k].mods & vm::kNot)) return fail("register not valid here");
    if (in.dst.file != File::temp && in.dst.file != File::output) return fail("destination not valid here");
    return true;
  };
  auto boolOrPred = [&](const Operand& o) { return o.file == File::constB || o.file == File::pred; };

  switch (opcode) {
    case oMov: in.op = Op::mov; break;
    case oAdd: in.op = Op::add; break;
    case oSub:
      in.op = Op::add;
      in.src[1].mods ^= vm::kNegate;
      break;
    case oMad: in.op = Op::mad; break;
    case oMul: in.op = Op::mul; break;
    case oRcp: in.op = Op::rcp; break;
    case oRsq: in.op = Op::rsq; break;
    case oDp3: in.op = Op::dp3; break;
    case oDp4: in.op = Op::dp4; break;
    case oMin: in.op = Op::min; break;
    case oMax: in.op = Op::max; break;
    case oSlt: in.op = Op::slt; break;
    case oSge: in.op = Op::sge; break;
    case oExp:
    case oExpp: in.op = Op::exp; break;
    case oLog:
    case oLogp: in.op = Op::log; break;
    case oLit: in.op = Op::lit; break;
    case oDst: in.op = Op::dst; break;
    case oLrp: in.op = Op::lrp; break;
    case oFrc: in.op = Op::frc; break;
    case oPow: in.op = Op::pow; break;
    case oCrs: in.op = Op::crs; break;
    case oSgn: in.op = Op::sgn; break;
    case oAbs: in.op = Op::abs; break;
    case oNrm: in.op = Op::nrm; break;
    case oSincos: in.op = Op::sincos; break;
    case oCmp: in.op = Op::cmp; break;
    case oDp2add: in.op = Op::dp2add; break;
    case oM4x4: case oM4x3: case oM3x4: case oM3x3: case oM3x2:
      in.op = Op::matrix;
      in.cols = opcode == oM4x4 || opcode == oM4x3 ? 4 : 3;
      in.rows = opcode == oM4x4 || opcode == oM3x4 ? 4 : opcode == oM3x2 ? 2 : 3;
      break;
    case oMova:
      if (pixel) return fail("mova in a pixel program");
      in.op = Op::mova;
      if (in.dst.file != File::addr || !arithmeticFile(in.src[0].file)) return fail("register not valid here");
      break;
    case oSetp:
      in.op = Op::setp;
      if (!cmpOf(in.cmp)) return fail("unknown comparison");
      if (in.dst.file != File::pred) return fail("setp writes the predicate register");
      break;
    case oDsx:
    case oDsy:
      if (!pixel) return fail("derivatives in a vertex program");
      in.op = opcode == oDsx ? Op::dsx : Op::dsy;
      break;
    case oTex:
    case oTexldl:
    case oTexldd:
      if (!pixel) return fail(opcode == oTexldl ? "texture fetch in a vertex program is not supported" : "texture read in a vertex program");
      in.op = Op::tex;
      if (opcode == oTexldl) in.texMode = vm::TexMode::lod;
      else if (opcode == oTexldd) in.texMode = vm::TexMode::grad;
      else if (control == 1) in.texMode = vm::TexMode::project;
      else if (control == 2) in.texMode = vm::TexMode::bias;
      else if (control != 0) return fail("unknown texture-read variant");
      if (in.src[1].file != File::sampler) return fail("sampler expected");
      if (p.samplers[in.src[1].index] == vm::SamplerKind::none) return fail("sampler not declared");
      if (in.dst.file != File::temp && in.dst.file != File::output) return fail("destination not valid here");
      if (!arithmeticFile(in.src[0].file)) return fail("register not valid here");
      for (int k = 2; k < n; ++k)
        if (!arithmeticFile(in.src[k].file)) return fail("register not valid here");
      p.usesLod = true;
      return p.code.push_back(in), callLabel.push_back(-1), true;
    case oTexkill:
      if (!pixel) return fail("texkill in a vertex program");
      in.op = Op::texkill;
      p.kills = true;
      if (in.src[0].file != File::temp && in.src[0].file != File::input) return fail("register not valid here");
      return p.code.push_back(in), callLabel.push_back(-1), true;
    // Flow control.
    case oIf:
      if (!boolOrPred(in.src[0])) return fail("if takes a bool or the predicate");
      in.op = Op::ifTrue;
      break;
    case oIfc:
    case oBreakc:
      if (!cmpOf(in.cmp)) return fail("unknown comparison");
      if (!arithmeticFile(in.src[0].file) || !arithmeticFile(in.src[1].file)) return fail("register not valid here");
      in.op = opcode == oIfc ? Op::ifCmp : Op::breakCmp;
      break;
    case oElse: in.op = Op::elseBranch; break;
    case oEndif: in.op = Op::endIf; break;
    case oRep:
      if (in.src[0].file != File::constI) return fail("rep takes an integer register");
      in.op = Op::rep;
      break;
    case oEndrep: in.op = Op::endRep; break;
    case oLoop:
      if (in.src[0].file != File::loop || in.src[1].file != File::constI) return fail("loop takes aL and an integer register");
      in.op = Op::loop;
      break;
    case oEndloop: in.op = Op::endLoop; break;
    case oBreak: in.op = Op::breakAlways; break;
    case oBreakp:
      if (in.src[0].file != File::pred) return fail("breakp takes the predicate");
      in.op = Op::breakTrue;
      break;
    case oCall:
    case oCallnz:
      if (in.src[0].file != File::none) return fail("call takes a label");
      if (opcode == oCallnz && !boolOrPred(in.src[1])) return fail("callnz takes a bool or the predicate");
      in.op = opcode == oCall ? Op::call : Op::callTrue;
      p.code.push_back(in);
      callLabel.push_back(in.src[0].index);
      return true;
    case oRet: in.op = Op::ret; break;
    case oLabel:
      if (in.src[0].file != File::none) return fail("label expected");
      if (labelAt[in.src[0].index] >= 0) return fail("label defined twice");
      labelAt[in.src[0].index] = int32_t(p.code.size());
      in.op = Op::label;
      break;
    default: return fail("instruction not accepted in this model");
  }
  if (in.op <= Op::mova && in.op != Op::nop && in.op != Op::mova && !checkArith()) return false;
  p.code.push_back(in);
  callLabel.push_back(-1);
  return true;
}

// Pairs each opening flow instruction with its partners, checks that breaks sit inside
// loops and that no construct spans a label, and resolves calls.
bool Decoder::pairFlow() {
  int32_t stack[kMaxNesting + 1];
  bool hasElse[kMaxNesting + 1];
  int depth = 0, loops = 0;
  for (size_t i = 0; i < p.code.size(); ++i) {
    vm::Instr& in = p.code[i];
    opcode = 0;
    instrStart = in.offset / 4;
    auto isLoop = [](Op o) { return o == Op::rep || o == Op::loop; };
    switch (in.op) {
      case Op::ifTrue:
      case Op::ifCmp:
      case Op::rep:
      case Op::loop:
        if (depth == kMaxNesting) return fail("flow control nested too deep");
        if (isLoop(in.op)) ++loops;
        hasElse[depth] = false;
        stack[depth++] = int32_t(i);
        break;
      case Op::elseBranch: {
        if (depth == 0 || isLoop(p.code[size_t(stack[depth - 1])].op) || hasElse[depth - 1]) return fail("else without if");
        p.code[size_t(stack[depth - 1])].target = int32_t(i);
        hasElse[depth - 1] = true;
        stack[depth - 1] = int32_t(i);
        break;
      }
      case Op::endIf: {
        if (depth == 0) return fail("endif without if");
        vm::Instr& open = p.code[size_t(stack[depth - 1])];
        if (isLoop(open.op)) return fail("endif without if");
        open.target = int32_t(i);
        --depth;
        break;
      }
      case Op::endRep:
      case Op::endLoop: {
        if (depth == 0) return fail("end of loop without loop");
        vm::Instr& open = p.code[size_t(stack[depth - 1])];
        if (open.op != (in.op == Op::endRep ? Op::rep : Op::loop)) return fail("end of loop without loop");
        open.target = int32_t(i);
        --depth;
        --loops;
        break;
      }
      case Op::breakAlways:
      case Op::breakCmp:
      case Op::breakTrue:
        if (loops == 0) return fail("break outside a loop");
        break;
      case Op::label:
      case Op::end:
        if (depth) return fail("flow control left open");
        break;
      default: break;
    }
    if (callLabel[i] >= 0) {
      if (labelAt[callLabel[i]] < 0) return fail("call of an undefined label");
      in.target = labelAt[callLabel[i]];
    }
  }
  return true;
}

bool Decoder::run() {
  if (count == 0) return fail("empty stream");
  const uint32_t v = w[0];
  const uint32_t kind = v & 0xFFFF0000u;
  if (kind != kVertexVersion && kind != kPixelVersion) return fail("not a shader version token");
  pixel = kind == kPixelVersion;
  p.pixel = pixel;
  major = int((v >> 8) & 0xFF);
  minor = int(v & 0xFF);
  if (major < 2) return fail("shader model 1 is not supported");
  if (!((major == 2 && (minor == 0 || minor == 1)) || (major == 3 && minor == 0)))
    return fail("shader version not supported");
  p.major = uint8_t(major);
  p.minor = uint8_t(minor);
  pos = 1;
  for (;;) {
    instrStart = pos;
    opcode = 0;
    if (pos >= count) return fail("no end token within the length");
    const uint32_t t = w[pos++];
    if (t == kEndToken) break;
    if (opcodeOf(t) == kCommentOpcode && !(t & kParamBit)) {
      opcode = kCommentOpcode;
      const size_t n = commentWords(t);
      if (n > count - pos) return fail("comment runs past the end");
      pos += n;
      continue;
    }
    if (!instruction(t)) return false;
    if (p.code.size() > 32768) return fail("program too long");
  }
  vm::Instr e;
  e.op = Op::end;
  e.offset = uint32_t((pos - 1) * 4);
  p.code.push_back(e);
  callLabel.push_back(-1);
  if (!pairFlow() || !withinBudget()) return false;

  // Constants the program defines: direct reads become literals, relative ones look up
  // the definitions at run time.
  for (vm::Instr& in : p.code)
    for (int k = 0; k < in.nsrc; ++k) {
      Operand& o = in.src[k];
      if (o.file == File::constF && o.relFile == File::none && p.defF[o.index] >= 0 && in.op != Op::matrix) {
        o.file = File::literal;
        o.index = uint16_t(p.defF[o.index]);
      }
    }
  // Registers in use, and the outputs models before 3 name by register.
  int temps = 0;
  auto noteOut = [&](const Operand& o) {
    if (o.file == File::temp && o.index + 1 > temps) temps = o.index + 1;
  };
  for (const vm::Instr& in : p.code) {
    noteOut(in.dst);
    for (int k = 0; k < in.nsrc; ++k) noteOut(in.src[k]);
    if (in.dst.file == File::output && !(model3() && !pixel)) {
      vm::Usage u;
      uint8_t index = 0;
      const int r = in.dst.index;
      if (pixel) {
        u = r == 4 ? vm::Usage::depth : vm::Usage::colour;
        index = uint8_t(r == 4 ? 0 : r);
      } else if (r < 3) {
        u = r == 0 ? vm::Usage::position : r == 1 ? vm::Usage::fog : vm::Usage::pointSize;
      } else if (r < 5) {
        u = vm::Usage::colour;
        index = uint8_t(r - 3);
      } else {
        u = vm::Usage::texcoord;
        index = uint8_t(r - 5);
      }
      bool known = false;
      for (const vm::Signature& s : p.outputs) known |= s.reg == r;
      if (!known) p.outputs.push_back({uint16_t(r), u, index});
    }
  }
  // Inputs read without a declaration (t# and v# before model 3 may go undeclared).
  for (const vm::Instr& in : p.code)
    for (int k = 0; k < in.nsrc; ++k)
      if (in.src[k].file == File::input && in.src[k].relFile == File::none) {
        const int r = in.src[k].index;
        bool known = false;
        for (const vm::Signature& s : p.inputs) known |= s.reg == r;
        if (known) continue;
        if (r == 18) p.inputs.push_back({uint16_t(r), vm::Usage::pixelPos, 0});
        else if (r == 19) p.inputs.push_back({uint16_t(r), vm::Usage::face, 0});
        else if (pixel && !model3())
          p.inputs.push_back({uint16_t(r), r < 2 ? vm::Usage::colour : vm::Usage::texcoord, uint8_t(r < 2 ? r : r - 2)});
        else if (!pixel || model3())
          return fail("input register read without a declaration");
      }
  p.temps = temps;
  return true;
}

}  // namespace

bool decode(const uint32_t* words, size_t count, vm::Program& out, std::string& reason, size_t* wordsUsed) {
  out = vm::Program();
  reason.clear();
  if (!words) {
    reason = "no code";
    return false;
  }
  Decoder d(words, count, out, reason);
  if (!d.run()) {
    out = vm::Program();
    return false;
  }
  if (wordsUsed) *wordsUsed = d.pos;
  return true;
}

}  // namespace plat::gpu::sm3
