// The interpreter's loop: operand reads with swizzle, modifiers and relative indices, the
// arithmetic over all lanes, masked writes, and the flow-control stack of lane masks.
#include "platform/gpu/shaders/vm/interpreter.h"

#include "platform/gpu/shaders/vm/alu.h"

#include <atomic>
#include <cmath>
#include <cstring>

namespace plat::gpu::vm {

namespace {

std::atomic<uint64_t> stops{0};

enum class FrameKind : uint8_t { branch, loop, call, choice };

// Plain data, so the machine's stack costs nothing until used.
struct Frame {
  FrameKind kind;
  uint32_t saved;  // lanes live when the construct began
  uint32_t taken;  // branch: lanes that took the first side
  int32_t start, end;  // loop: first body instruction, closing instruction
  int32_t remaining, step, savedLoop;
  int32_t back;  // call: where to return
  uint32_t cont;    // loop: lanes waiting for the next round
  uint32_t picked;  // choice: lanes some case names (the rest take the default)
  int32_t select[kLanes];  // choice: each lane's selector
};
inline Frame frameOf(FrameKind kind, uint32_t saved, uint32_t taken) {
  Frame f;
  std::memset(&f, 0, sizeof f);
  f.kind = kind;
  f.saved = saved;
  f.taken = taken;
  return f;
}

constexpr int kStackDepth = 256;

struct Machine {
  const Program& p;
  const Bindings& b;
  Lanes& L;
  Reg temps[kMaxTemps];
  Reg addr{};
  Reg pred{};
  int32_t aL = 0;
  uint32_t exec = kAllLanes;
  Frame stack[kStackDepth];
  int depth = 0, calls = 0;

  Machine(const Program& p_, const Bindings& b_, Lanes& l_) : p(p_), b(b_), L(l_) {
    std::memset(temps, 0, sizeof(Reg) * size_t(p.temps > 0 ? p.temps : 0));
  }

  // A uniform register (constants and literals) as four floats; zeros outside its file.
  void uniformValue(File f, int idx, float out[4], int buffer = 0) const {
    out[0] = out[1] = out[2] = out[3] = 0.0f;
    auto fromLiteral = [&](int lit) {
      if (lit >= 0 && size_t(lit) * 4 + 4 <= p.literals.size()) std::memcpy(out, &p.literals[size_t(lit) * 4], 16);
    };
    switch (f) {
      case File::literal: fromLiteral(idx); break;
      case File::constF:
        if (idx < 0 || idx >= kMaxConstF) break;
        if (p.defF[idx] >= 0) fromLiteral(p.defF[idx]);
        else if (b.constF && idx < b.constFCount) std::memcpy(out, b.constF + size_t(idx) * 4, 16);
        break;
      case File::constI:
        if (idx < 0 || idx >= kMaxConstI) break;
        if (p.defI[idx] >= 0) fromLiteral(p.defI[idx]);
        else if (b.constI)
          for (int c = 0; c < 4; ++c) out[c] = float(b.constI[idx * 4 + c]);
        break;
      case File::constB:
        if (idx < 0 || idx >= kMaxConstB) break;
        if (p.defB[idx] >= 0) fromLiteral(p.defB[idx]);
        else if (b.constB) out[0] = out[1] = out[2] = out[3] = b.constB[idx] ? 1.0f : 0.0f;
        break;
      case File::loop: out[0] = out[1] = out[2] = out[3] = float(aL); break;
      case File::cbuffer:
        if (buffer < Bindings::kBuffers && b.buffers[buffer] && idx >= 0 && idx < b.bufferRegs[buffer])
          std::memcpy(out, b.buffers[buffer] + size_t(idx) * 4, 16);
        break;
      default: break;
    }
  }

  // A per-lane register, or null outside its file.
  Reg* laneReg(File f, int idx) {
    switch (f) {
      case File::temp: return idx >= 0 && idx < kMaxTemps ? &temps[idx] : nullptr;
      case File::input: return idx >= 0 && idx < kMaxInputs ? &L.in[idx] : nullptr;
      case File::output: return idx >= 0 && idx < kMaxOutputs ? &L.out[idx] : nullptr;
      case File::addr: return idx == 0 ? &addr : nullptr;
      case File::pred: return idx == 0 ? &pred : nullptr;
      default: return nullptr;
    }
  }
  static bool perLane(File f) {
    return f == File::temp || f == File::input || f == File::output || f == File::addr || f == File::pred;
  }

  int relOffset(const Operand& o, int lane) const {
    if (o.relFile == File::loop) return aL;
    if (o.relFile == File::addr) return int(addr.v[o.relComp & 3][lane]);
    if (o.relFile == File::temp && o.relIndex < kMaxTemps) {
      int32_t k;
      std::memcpy(&k, &temps[o.relIndex].v[o.relComp & 3][lane], 4);
      return k;
    }
    return 0;
  }

  void load(const Operand& o, Reg& r) {
    if (o.relFile == File::none || o.relFile == File::loop) {
      const int idx = int(o.index) + (o.relFile == File::loop ? aL : 0);
      if (perLane(o.file)) {
        const Reg* s = laneReg(o.file, idx);
        for (int c = 0; c < 4; ++c)
          for (int l = 0; l < kLanes; ++l) r.v[c][l] = s ? s->v[o.swizzle[c] & 3][l] : 0.0f;
      } else {
        float u[4];
        uniformValue(o.file, idx, u, o.buffer);
        for (int c = 0; c < 4; ++c)
          for (int l = 0; l < kLanes; ++l) r.v[c][l] = u[o.swizzle[c] & 3];
      }
    } else {
      for (int l = 0; l < kLanes; ++l) {
        const int idx = int(o.index) + relOffset(o, l);
        float u[4];
        if (idx < o.rangeLo || idx > o.rangeHi) {
          u[0] = u[1] = u[2] = u[3] = 0.0f;
        } else if (perLane(o.file)) {
          const Reg* s = laneReg(o.file, idx);
          for (int c = 0; c < 4; ++c) u[c] = s ? s->v[c][l] : 0.0f;
        } else {
          uniformValue(o.file, idx, u, o.buffer);
        }
        for (int c = 0; c < 4; ++c) r.v[c][l] = u[o.swizzle[c] & 3];
      }
    }
    if (o.mods & kAbsolute)
      for (auto& c : r.v)
        for (float& x : c) x = std::fabs(x);
    if (o.mods & kNegate)
      for (auto& c : r.v)
        for (float& x : c) x = -x;
    if (o.mods & kNot)
      for (auto& c : r.v)
        for (float& x : c) x = x == 0.0f ? 1.0f : 0.0f;
    if (o.mods & kIntNegate)
      for (auto& c : r.v)
        for (float& x : c) {
          uint32_t k;
          std::memcpy(&k, &x, 4);
          k = 0u - k;
          std::memcpy(&x, &k, 4);
        }
  }

  // Lanes whose src0.x bits are (nonZero) or are not all zero.
  uint32_t bitLanes(const Reg& r, bool nonZero) const {
    uint32_t m = 0;
    for (int l = 0; l < kLanes; ++l) {
      uint32_t k;
      std::memcpy(&k, &r.v[0][l], 4);
      if ((k != 0) == nonZero) m |= 1u << l;
    }
    return m;
  }

  // Lanes of the predicate component `comp` that hold true.
  uint32_t predLanes(int comp, bool negated) const {
    uint32_t m = 0;
    for (int l = 0; l < kLanes; ++l)
      if ((pred.v[comp & 3][l] != 0.0f) != negated) m |= 1u << l;
    return m;
  }

  // Lanes where src0.x (already swizzled) is true.
  uint32_t truthLanes(const Reg& r) const {
    uint32_t m = 0;
    for (int l = 0; l < kLanes; ++l)
      if (r.v[0][l] != 0.0f) m |= 1u << l;
    return m;
  }

  void store(const Instr& in, Reg& r) {
    const Operand& d = in.dst;
    if (in.saturate)
      for (auto& c : r.v)
        for (float& x : c) x = x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f;  // NaN gives 0
    uint32_t compLanes[4];
    for (int c = 0; c < 4; ++c) {
      compLanes[c] = (d.mask >> c & 1) ? exec : 0;
      if (in.predicated) compLanes[c] &= predLanes(in.predSwizzle[c], in.predNot);
    }
    if (d.relFile == File::none || d.relFile == File::loop) {
      Reg* t = laneReg(d.file, int(d.index) + (d.relFile == File::loop ? aL : 0));
      if (!t) return;
      for (int c = 0; c < 4; ++c) {
        if (compLanes[c] == kAllLanes) {
          std::memcpy(t->v[c], r.v[c], sizeof r.v[c]);
          continue;
        }
        for (int l = 0; l < kLanes; ++l)
          if (compLanes[c] >> l & 1) t->v[c][l] = r.v[c][l];
      }
      return;
    }
    for (int l = 0; l < kLanes; ++l) {
      const int idx = int(d.index) + relOffset(d, l);
      Reg* t = idx < d.rangeLo || idx > d.rangeHi ? nullptr : laneReg(d.file, idx);
      if (!t) continue;
      for (int c = 0; c < 4; ++c)
        if (compLanes[c] >> l & 1) t->v[c][l] = r.v[c][l];
    }
  }

  static bool compare(Cmp c, float a, float x) {
    switch (c) {
      case Cmp::gt: return a > x;
      case Cmp::eq: return a == x;
      case Cmp::ge: return a >= x;
      case Cmp::lt: return a < x;
      case Cmp::ne: return a != x;
      case Cmp::le: return a <= x;
    }
    return false;
  }
  uint32_t compareLanes(Cmp c, const Reg& a, const Reg& x) const {
    uint32_t m = 0;
    for (int l = 0; l < kLanes; ++l)
      if (compare(c, a.v[0][l], x.v[0][l])) m |= 1u << l;
    return m;
  }

  // The frame a break leaves (the innermost loop or switch) or a continue resumes (the
  // innermost loop); -1 for none.
  int exitFrame(bool loopOnly) const {
    for (int k = depth - 1; k >= 0; --k)
      if (stack[k].kind == FrameKind::loop || (!loopOnly && stack[k].kind == FrameKind::choice)) return k;
    return -1;
  }

  // Lanes leaving the innermost loop or switch (break) or the loop's round (continue): they
  // sit out the rest of it, including the branches they are inside, and come back when the
  // construct ends (break) or the next round begins (continue). Then, when nobody is left
  // to run this round, on to the loop's end. False on a break outside any construct.
  bool breakLanes(uint32_t lanes, bool cont, int32_t& pc) {
    const int t = exitFrame(cont);
    if (t < 0) return false;
    lanes &= exec;
    if (lanes) {
      exec &= ~lanes;
      for (int k = depth - 1; k > t; --k) stack[k].saved &= ~lanes;
      if (cont) stack[t].cont |= lanes;
    }
    if (!exec && stack[t].kind == FrameKind::loop) {
      // Lanes waiting on the other side of an enclosing branch still run this round; the
      // outermost construct inside the loop holds all of them.
      const int k = t + 1;
      if (k == depth || stack[k].saved == 0) {
        depth = k;
        pc = stack[t].end;
      }
    }
    return true;
  }

  // Lanes that finish the program: out of every construct for good. False when none is left.
  bool finishLanes(uint32_t lanes) {
    exec &= ~lanes;
    uint32_t live = exec;
    for (int k = 0; k < depth; ++k) {
      stack[k].saved &= ~lanes;
      stack[k].cont &= ~lanes;
      live |= stack[k].saved | stack[k].cont;
    }
    return live != 0;
  }

  // Sample-comparison, texel-fetch and size reads.
  void textureExtra(const Instr& in, const Reg& c, const Reg& extra, Reg& r) const {
    const int s = in.src[1].index;
    const TextureSampler* t = s < kMaxSamplers ? b.samplers[s] : nullptr;
    for (auto& comp : r.v)
      for (float& x : comp) x = 0.0f;
    const auto kind = TexExtra(in.alu);
    if (kind == TexExtra::compare || kind == TexExtra::compareLevelZero) {
      const float lod = kind == TexExtra::compare && b.quad ? lodOf(s, c, nullptr, nullptr, 0, false) : 0.0f;
      for (int l = 0; l < kLanes; ++l) {
        const float v = t ? t->sampleCompare(c.v[0][l], c.v[1][l], lod, extra.v[0][l]) : 0.0f;
        for (auto& comp : r.v) comp[l] = v;
      }
      return;
    }
    auto intOf = [](float f) {
      int32_t k;
      std::memcpy(&k, &f, 4);
      return k;
    };
    auto fromBits = [](uint32_t k) {
      float f;
      std::memcpy(&f, &k, 4);
      return f;
    };
    if (kind == TexExtra::fetch || kind == TexExtra::fetchArray) {
      const int mip = kind == TexExtra::fetch ? 2 : 3;
      for (int l = 0; l < kLanes; ++l) {
        const Float4 v = t ? t->texel(intOf(c.v[0][l]), intOf(c.v[1][l]), intOf(c.v[mip][l])) : Float4{0, 0, 0, 0};
        for (int k = 0; k < 4; ++k) r.v[k][l] = v[k];
      }
      return;
    }
    // Sizes: width, height, 1, level count, at the level src0.x names.
    for (int l = 0; l < kLanes; ++l) {
      int w = 0, h = 0;
      const int levels = t ? t->levels() : 0;
      if (t) t->levelSize(intOf(c.v[0][l]), w, h);
      const float dims[4] = {float(w), float(h), w ? 1.0f : 0.0f, float(levels)};
      for (int k = 0; k < 4; ++k) {
        if (kind == TexExtra::sizeUint) r.v[k][l] = fromBits(uint32_t(dims[k]));
        else if (kind == TexExtra::sizeRcp && k < 2) r.v[k][l] = dims[k] != 0.0f ? 1.0f / dims[k] : 0.0f;
        else r.v[k][l] = dims[k];
      }
    }
  }

  float lodOf(int s, const Reg& c, const Reg* ddx, const Reg* ddy, int lane, bool cube) const {
    float dx[3], dy[3];
    const int n = cube ? 3 : 2;
    for (int k = 0; k < n; ++k) {
      if (ddx) {
        dx[k] = ddx->v[k][lane];
        dy[k] = ddy->v[k][lane];
      } else {  // differences across the quad, as its top-left pixel sees them
        dx[k] = c.v[k][1] - c.v[k][0];
        dy[k] = c.v[k][2] - c.v[k][0];
      }
    }
    float lx, ly, w = b.texSize[s][0], h = b.texSize[s][1];
    if (cube) {
      // The change of the direction against its length, over the face's half edge.
      const float m = std::fmax(std::fabs(c.v[0][lane]), std::fmax(std::fabs(c.v[1][lane]), std::fabs(c.v[2][lane])));
      const float k = m > 0.0f ? 0.5f * w / m : 0.0f;
      lx = (dx[0] * dx[0] + dx[1] * dx[1] + dx[2] * dx[2]) * k * k;
      ly = (dy[0] * dy[0] + dy[1] * dy[1] + dy[2] * dy[2]) * k * k;
    } else {
      lx = dx[0] * dx[0] * w * w + dx[1] * dx[1] * h * h;
      ly = dy[0] * dy[0] * w * w + dy[1] * dy[1] * h * h;
    }
    const float m = lx > ly ? lx : ly;
    return m > 0.0f ? 0.5f * std::log2(m) : -INFINITY;
  }

  void sample(const Instr& in, Reg& r) {
    Reg c;
    load(in.src[0], c);
    const int s = in.src[1].index;
    const TextureSampler* t = s < kMaxSamplers ? b.samplers[s] : nullptr;
    const bool cube = s < kMaxSamplers && p.samplers[s] == SamplerKind::cube;
    if (in.texMode == TexMode::project)
      for (int l = 0; l < kLanes; ++l) {
        const float w = c.v[3][l];
        for (int k = 0; k < 3; ++k) c.v[k][l] /= w;
      }
    Reg gx, gy;
    if (in.texMode == TexMode::grad) {
      load(in.src[2], gx);
      load(in.src[3], gy);
    }
    // A 2D read's level of detail is the quad's, the same on every lane.
    const bool quadLod = b.quad && !cube && in.texMode != TexMode::lod && in.texMode != TexMode::grad;
    const float shared = quadLod ? lodOf(s, c, nullptr, nullptr, 0, false) : 0.0f;
    for (int l = 0; l < kLanes; ++l) {
      float lod = shared;
      if (in.texMode == TexMode::lod) lod = c.v[3][l];
      else if (in.texMode == TexMode::grad) lod = lodOf(s, c, &gx, &gy, l, cube);
      else if (b.quad && cube) lod = lodOf(s, c, nullptr, nullptr, l, cube);
      if (in.texMode == TexMode::bias) lod += c.v[3][l];
      Float4 v{0.0f, 0.0f, 0.0f, 0.0f};
      if (t) v = cube ? t->sampleCube(c.v[0][l], c.v[1][l], c.v[2][l], lod) : t->sample(c.v[0][l], c.v[1][l], lod);
      for (int k = 0; k < 4; ++k) r.v[k][l] = v[k];
    }
  }

  bool push(const Frame& f) {
    if (depth >= kStackDepth) return false;
    stack[depth++] = f;
    return true;
  }

  bool execute();
};

inline float dot(const Reg& a, const Reg& x, int n, int l) {
  float s = a.v[0][l] * x.v[0][l];
  for (int k = 1; k < n; ++k) s += a.v[k][l] * x.v[k][l];
  return s;
}

// Every component of r from f(lane values of component c of a, x, y).
template <class F>
inline void each(Reg& r, const Reg& a, const Reg& x, const Reg& y, F f) {
  for (int c = 0; c < 4; ++c)
    for (int l = 0; l < kLanes; ++l) r.v[c][l] = f(a.v[c][l], x.v[c][l], y.v[c][l]);
}

inline void splat(Reg& r, int l, float v) {
  for (auto& c : r.v) c[l] = v;
}

bool Machine::execute() {
  const Instr* code = p.code.data();
  const int32_t count = int32_t(p.code.size());
  uint32_t budget = p.budget;
  int32_t pc = 0;
  Reg s0, s1, s2, s3, r;
  while (pc >= 0 && pc < count) {
    if (budget-- == 0) return false;
    const Instr& in = code[pc++];
    if (in.nsrc > 0 && in.op != Op::tex) load(in.src[0], s0);
    if (in.nsrc > 1 && in.op != Op::tex && in.op != Op::matrix) load(in.src[1], s1);
    if (in.nsrc > 2 && in.op != Op::tex) load(in.src[2], s2);
    switch (in.op) {
      case Op::nop:
      case Op::label:
        if (in.op == Op::label) goto returning;  // running into a subroutine ends the one before
        break;
      case Op::mov: store(in, s0); break;
      case Op::add: each(r, s0, s1, s2, [](float a, float x, float) { return a + x; }); store(in, r); break;
      case Op::mul: each(r, s0, s1, s2, [](float a, float x, float) { return a * x; }); store(in, r); break;
      case Op::mad: each(r, s0, s1, s2, [](float a, float x, float y) { return a * x + y; }); store(in, r); break;
      case Op::min: each(r, s0, s1, s2, [](float a, float x, float) { return a < x ? a : x; }); store(in, r); break;
      case Op::max: each(r, s0, s1, s2, [](float a, float x, float) { return a >= x ? a : x; }); store(in, r); break;
      case Op::slt: each(r, s0, s1, s2, [](float a, float x, float) { return a < x ? 1.0f : 0.0f; }); store(in, r); break;
      case Op::sge: each(r, s0, s1, s2, [](float a, float x, float) { return a >= x ? 1.0f : 0.0f; }); store(in, r); break;
      case Op::cmp: each(r, s0, s1, s2, [](float a, float x, float y) { return a >= 0.0f ? x : y; }); store(in, r); break;
      case Op::lrp: each(r, s0, s1, s2, [](float a, float x, float y) { return a * (x - y) + y; }); store(in, r); break;
      case Op::abs: each(r, s0, s0, s0, [](float a, float, float) { return std::fabs(a); }); store(in, r); break;
      case Op::frc: each(r, s0, s0, s0, [](float a, float, float) { return a - std::floor(a); }); store(in, r); break;
      case Op::sgn:
        each(r, s0, s0, s0, [](float a, float, float) { return a > 0.0f ? 1.0f : a < 0.0f ? -1.0f : 0.0f; });
        store(in, r);
        break;
      case Op::rcp:
        for (int l = 0; l < kLanes; ++l) splat(r, l, s0.v[0][l] == 1.0f ? 1.0f : 1.0f / s0.v[0][l]);
        store(in, r);
        break;
      case Op::rsq:
        for (int l = 0; l < kLanes; ++l) {
          const float a = std::fabs(s0.v[0][l]);
          splat(r, l, a == 1.0f ? 1.0f : 1.0f / std::sqrt(a));
        }
        store(in, r);
        break;
      case Op::exp:
        for (int l = 0; l < kLanes; ++l) splat(r, l, std::exp2(s0.v[0][l]));
        store(in, r);
        break;
      case Op::log:
        for (int l = 0; l < kLanes; ++l) splat(r, l, std::log2(std::fabs(s0.v[0][l])));
        store(in, r);
        break;
      case Op::pow:
        for (int l = 0; l < kLanes; ++l) splat(r, l, std::pow(std::fabs(s0.v[0][l]), s1.v[0][l]));
        store(in, r);
        break;
      case Op::dp2add:
        for (int l = 0; l < kLanes; ++l) splat(r, l, dot(s0, s1, 2, l) + s2.v[0][l]);
        store(in, r);
        break;
      case Op::dp3:
        for (int l = 0; l < kLanes; ++l) splat(r, l, dot(s0, s1, 3, l));
        store(in, r);
        break;
      case Op::dp4:
        for (int l = 0; l < kLanes; ++l) splat(r, l, dot(s0, s1, 4, l));
        store(in, r);
        break;
      case Op::matrix: {
        r = s0;
        Operand row = in.src[1];
        for (int k = 0; k < in.rows && k < 4; ++k) {
          load(row, s1);
          for (int l = 0; l < kLanes; ++l) r.v[k][l] = dot(s0, s1, in.cols, l);
          ++row.index;
        }
        store(in, r);
        break;
      }
      case Op::nrm:
        for (int l = 0; l < kLanes; ++l) {
          const float d = dot(s0, s0, 3, l);
          const float k = d == 1.0f ? 1.0f : 1.0f / std::sqrt(d);
          for (int c = 0; c < 3; ++c) r.v[c][l] = s0.v[c][l] * k;
          r.v[3][l] = s0.v[3][l] * k;
        }
        store(in, r);
        break;
      case Op::crs:
        for (int l = 0; l < kLanes; ++l) {
          r.v[0][l] = s0.v[1][l] * s1.v[2][l] - s0.v[2][l] * s1.v[1][l];
          r.v[1][l] = s0.v[2][l] * s1.v[0][l] - s0.v[0][l] * s1.v[2][l];
          r.v[2][l] = s0.v[0][l] * s1.v[1][l] - s0.v[1][l] * s1.v[0][l];
          r.v[3][l] = 0.0f;
        }
        store(in, r);
        break;
      case Op::sincos:
        for (int l = 0; l < kLanes; ++l) {
          r.v[0][l] = std::cos(s0.v[0][l]);
          r.v[1][l] = std::sin(s0.v[0][l]);
          r.v[2][l] = r.v[3][l] = 0.0f;
        }
        store(in, r);
        break;
      case Op::lit:
        for (int l = 0; l < kLanes; ++l) {
          const float x = s0.v[0][l], y = s0.v[1][l];
          float w = s0.v[3][l];
          w = w < -127.9961f ? -127.9961f : w > 127.9961f ? 127.9961f : w;
          r.v[0][l] = 1.0f;
          r.v[1][l] = x > 0.0f ? x : 0.0f;
          r.v[2][l] = x > 0.0f && y > 0.0f ? std::pow(y, w) : 0.0f;
          r.v[3][l] = 1.0f;
        }
        store(in, r);
        break;
      case Op::dst:
        for (int l = 0; l < kLanes; ++l) {
          r.v[0][l] = 1.0f;
          r.v[1][l] = s0.v[1][l] * s1.v[1][l];
          r.v[2][l] = s0.v[2][l];
          r.v[3][l] = s1.v[3][l];
        }
        store(in, r);
        break;
      case Op::mova:
        each(r, s0, s0, s0, [](float a, float, float) {
          const float k = std::floor(a + 0.5f);
          return k < -1024.0f ? -1024.0f : k > 1024.0f ? 1024.0f : k;  // NaN stays NaN, read as index 0
        });
        for (auto& c : r.v)
          for (float& x : c)
            if (!(x == x)) x = 0.0f;
        store(in, r);
        break;
      case Op::setp:
        for (int c = 0; c < 4; ++c)
          for (int l = 0; l < kLanes; ++l) r.v[c][l] = compare(in.cmp, s0.v[c][l], s1.v[c][l]) ? 1.0f : 0.0f;
        store(in, r);
        break;
      case Op::tex:
        sample(in, r);
        store(in, r);
        break;
      case Op::texkill:
        for (int l = 0; l < kLanes; ++l)
          if (exec >> l & 1) {
            bool kill = false;
            for (int c = 0; c < 4; ++c)
              if ((in.dst.mask >> c & 1) && s0.v[c][l] < 0.0f) kill = true;
            if (kill) L.discarded |= 1u << l;
          }
        break;
      case Op::dsx:
      case Op::dsy:
        for (int c = 0; c < 4; ++c) {
          const float* v = s0.v[c];
          if (!b.quad) {
            for (int l = 0; l < kLanes; ++l) r.v[c][l] = 0.0f;
          } else if (in.op == Op::dsx) {
            r.v[c][0] = r.v[c][1] = v[1] - v[0];
            r.v[c][2] = r.v[c][3] = v[3] - v[2];
          } else {
            r.v[c][0] = r.v[c][2] = v[2] - v[0];
            r.v[c][1] = r.v[c][3] = v[3] - v[1];
          }
        }
        store(in, r);
        break;

      case Op::ifTrue:
      case Op::ifCmp: {
        uint32_t cond = in.op == Op::ifCmp ? compareLanes(in.cmp, s0, s1) : truthLanes(s0);
        if (!push(frameOf(FrameKind::branch, exec, exec & cond))) return false;
        exec &= cond;
        if (!exec) pc = in.target;  // to the else or the endif
        break;
      }
      case Op::elseBranch: {
        if (depth == 0) return false;
        Frame& f = stack[depth - 1];
        exec = f.saved & ~f.taken;
        if (!exec) pc = in.target;
        break;
      }
      case Op::endIf:
        if (depth == 0) return false;
        exec = stack[--depth].saved;
        break;
      case Op::rep:
      case Op::loop: {
        float iv[4];
        uniformValue(File::constI, in.src[in.op == Op::loop ? 1 : 0].index, iv);
        // Counts hold to 0..255 as the integer registers do; the budget bounds the rest.
        const float n = iv[0] > 255.0f ? 255.0f : iv[0] > 0.0f ? iv[0] : 0.0f;
        Frame f = frameOf(FrameKind::loop, exec, 0);
        f.start = pc;
        f.end = in.target;
        f.remaining = int32_t(n);
        f.savedLoop = aL;
        if (in.op == Op::loop) {
          f.step = int32_t(iv[2] < -128.0f ? -128.0f : iv[2] > 127.0f ? 127.0f : iv[2]);
          aL = int32_t(iv[1] < -128.0f ? -128.0f : iv[1] > 255.0f ? 255.0f : iv[1]);
        }
        if (f.remaining == 0 || !exec) {
          aL = f.savedLoop;
          pc = in.target + 1;
          break;
        }
        if (!push(f)) return false;
        break;
      }
      case Op::endRep:
      case Op::endLoop: {
        if (depth == 0) return false;
        Frame& f = stack[depth - 1];
        aL += f.step;
        exec |= f.cont;
        f.cont = 0;
        if (--f.remaining > 0 && exec) {
          pc = f.start;
        } else {
          exec = f.saved;
          aL = f.savedLoop;
          --depth;
        }
        break;
      }
      case Op::breakAlways:
      case Op::breakCmp:
      case Op::breakTrue: {
        const uint32_t lanes = in.op == Op::breakAlways ? exec
                               : in.op == Op::breakCmp  ? compareLanes(in.cmp, s0, s1)
                                                        : truthLanes(s0);
        if (!breakLanes(lanes, false, pc)) return false;
        break;
      }
      case Op::breakBits:
        if (!breakLanes(bitLanes(s0, in.nonZero), false, pc)) return false;
        break;
      case Op::continueAlways:
      case Op::continueBits:
        if (!breakLanes(in.op == Op::continueAlways ? exec : bitLanes(s0, in.nonZero), true, pc)) return false;
        break;
      case Op::alu:
        if (in.nsrc > 3) load(in.src[3], s3);
        aluOp(Alu(in.alu), r, s0, s1, s2, s3, b.quad);
        store(in, r);
        break;
      case Op::texEx:
        textureExtra(in, s0, s2, r);
        store(in, r);
        break;
      case Op::ifBits: {
        const uint32_t cond = bitLanes(s0, in.nonZero);
        if (!push(frameOf(FrameKind::branch, exec, exec & cond))) return false;
        exec &= cond;
        if (!exec) pc = in.target;
        break;
      }
      case Op::loopAny: {
        Frame f = frameOf(FrameKind::loop, exec, 0);
        f.start = pc;
        f.end = in.target;
        f.remaining = INT32_MAX;  // the budget ends a loop nobody leaves
        f.savedLoop = aL;
        if (!exec) {
          pc = in.target + 1;
          break;
        }
        if (!push(f)) return false;
        break;
      }
      case Op::switchBegin: {
        Frame f = frameOf(FrameKind::choice, exec, 0);
        for (int l = 0; l < kLanes; ++l) std::memcpy(&f.select[l], &s0.v[0][l], 4);
        const int32_t self = pc - 1;
        for (int32_t k = pc; k < in.target && k < count; ++k)
          if (code[k].op == Op::caseLabel && code[k].target == self) {
            float v[4];
            uniformValue(code[k].src[0].file, code[k].src[0].index, v);
            int32_t want;
            std::memcpy(&want, &v[0], 4);
            for (int l = 0; l < kLanes; ++l)
              if (f.select[l] == want) f.picked |= 1u << l;
          }
        if (!push(f)) return false;
        exec = 0;
        break;
      }
      case Op::caseLabel:
      case Op::defaultLabel: {
        if (depth == 0 || stack[depth - 1].kind != FrameKind::choice) return false;
        const Frame& f = stack[depth - 1];
        uint32_t join = f.saved & ~f.picked;
        if (in.op == Op::caseLabel) {
          int32_t want;
          std::memcpy(&want, &s0.v[0][0], 4);
          join = 0;
          for (int l = 0; l < kLanes; ++l)
            if (f.select[l] == want) join |= 1u << l;
          join &= f.saved;
        }
        exec |= join;
        break;
      }
      case Op::endSwitch:
        if (depth == 0 || stack[depth - 1].kind != FrameKind::choice) return false;
        exec = stack[--depth].saved;
        break;
      case Op::retLanes:
        if (!finishLanes(in.nsrc ? exec & bitLanes(s0, in.nonZero) : exec)) return true;
        break;
      case Op::discardBits:
        L.discarded |= exec & bitLanes(s0, in.nonZero);
        break;
      case Op::call:
      case Op::callTrue: {
        const uint32_t lanes = in.op == Op::callTrue ? exec & truthLanes(s1) : exec;
        if (!lanes) break;
        if (++calls > kMaxCallDepth) return false;
        Frame f = frameOf(FrameKind::call, exec, 0);
        f.back = pc;
        if (!push(f)) return false;
        exec = lanes;
        pc = in.target + 1;
        break;
      }
      case Op::ret:
      returning:
        while (depth > 0 && stack[depth - 1].kind != FrameKind::call) --depth;
        if (depth == 0) return true;
        exec = stack[depth - 1].saved;
        pc = stack[depth - 1].back;
        --depth;
        --calls;
        break;
      case Op::end: return true;
    }
  }
  return true;
}

}  // namespace

bool run(const Program& p, const Bindings& b, Lanes& lanes) {
  Machine m(p, b, lanes);
  lanes.discarded = 0;
  lanes.overBudget = !m.execute();
  if (lanes.overBudget) stops.fetch_add(1, std::memory_order_relaxed);
  return !lanes.overBudget;
}

uint64_t budgetStops() { return stops.load(std::memory_order_relaxed); }

}  // namespace plat::gpu::vm
