// The interpreter's loop: operand reads with swizzle, modifiers and relative indices, the
// arithmetic over all lanes, masked writes, and the flow-control stack of lane masks.
#include "platform/gpu/shaders/vm/interpreter.h"

#include <atomic>
#include <cmath>
#include <cstring>

namespace plat::gpu::vm {

namespace {

std::atomic<uint64_t> stops{0};

enum class FrameKind : uint8_t { branch, loop, call };

// Plain data, so the machine's stack costs nothing until used.
struct Frame {
  FrameKind kind;
  uint32_t saved;  // lanes live when the construct began
  uint32_t taken;  // branch: lanes that took the first side
  int32_t start, end;  // loop: first body instruction, closing instruction
  int32_t remaining, step, savedLoop;
  int32_t back;  // call: where to return
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
  void uniformValue(File f, int idx, float out[4]) const {
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
        uniformValue(o.file, idx, u);
        for (int c = 0; c < 4; ++c)
          for (int l = 0; l < kLanes; ++l) r.v[c][l] = u[o.swizzle[c] & 3];
      }
    } else {
      for (int l = 0; l < kLanes; ++l) {
        const int idx = int(o.index) + relOffset(o, l);
        float u[4];
        if (perLane(o.file)) {
          const Reg* s = laneReg(o.file, idx);
          for (int c = 0; c < 4; ++c) u[c] = s ? s->v[c][l] : 0.0f;
        } else {
          uniformValue(o.file, idx, u);
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
      Reg* t = laneReg(d.file, int(d.index) + relOffset(d, l));
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

  // Lanes leaving the innermost loop: they sit out the rest of it, including the branches
  // they are inside, and come back when the loop ends.
  void breakLanes(uint32_t lanes) {
    lanes &= exec;
    if (!lanes) return;
    exec &= ~lanes;
    for (int k = depth - 1; k >= 0 && stack[k].kind != FrameKind::loop; --k) stack[k].saved &= ~lanes;
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
  uint32_t budget = kInstructionBudget;
  int32_t pc = 0;
  Reg s0, s1, s2, r;
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
        breakLanes(lanes);
        if (!exec) {
          // Lanes waiting on the other side of an enclosing branch still run this round;
          // the outermost branch inside the loop holds all of them.
          int k = depth;
          while (k > 0 && stack[k - 1].kind != FrameKind::loop) --k;
          if (k == 0) return false;
          if (k == depth || stack[k].saved == 0) {  // nobody left in this round: to the loop's end
            depth = k;
            pc = stack[k - 1].end;
          }
        }
        break;
      }
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
