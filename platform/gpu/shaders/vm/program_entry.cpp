// The vertex and pixel functions that run programs for the core's per-element callers.
#include "platform/gpu/shaders/vm/program_entry.h"

#include <atomic>
#include <cmath>
#include <cstring>

#include "platform/gpu/raster_internal.h"
#include "platform/gpu/shaders/vm/interpreter.h"

namespace plat::gpu::vm {

namespace {

// Extras after the eight texture coordinates: fog first, then the other values.
int extraOf(Usage u, int index) {
  switch (u) {
    case Usage::fog: return index == 0 ? 8 : -1;
    case Usage::normal: return index == 0 ? 9 : -1;
    case Usage::tangent: return index == 0 ? 10 : -1;
    case Usage::binormal: return index == 0 ? 11 : -1;
    case Usage::position: return index >= 1 && index <= 2 ? 11 + index : -1;
    case Usage::colour: return index >= 2 && index <= 3 ? 12 + index : -1;
    default: return -1;
  }
}

bool semanticOf(const Signature& s, Semantic& out) {
  switch (s.usage) {
    case Usage::position: out = Semantic::position; return s.index == 0;
    case Usage::normal: out = Semantic::normal; return true;
    case Usage::colour: out = Semantic::colour; return s.index < 2;
    case Usage::texcoord: out = Semantic::texcoord; return s.index < 8;
    case Usage::tangent: out = Semantic::tangent; return true;
    case Usage::binormal: out = Semantic::binormal; return true;
    default: return false;
  }
}

void bindStage(const StagePlan& plan, const ShaderEnv& env, Bindings& b) {
  const Program& p = *plan.program;
  if (plan.floatSlot >= 0 && plan.floatSlot < kConstantSlots && env.cb[plan.floatSlot]) {
    b.constF = reinterpret_cast<const float*>(env.cb[plan.floatSlot]);
    b.constFCount = int(env.cbSize[plan.floatSlot] / 16);
  }
  if (plan.intSlot >= 0 && plan.intSlot < kConstantSlots && env.cb[plan.intSlot] &&
      env.cbSize[plan.intSlot] >= size_t(kIntBoolBytes)) {
    b.constI = reinterpret_cast<const int32_t*>(env.cb[plan.intSlot]);
    b.constB = b.constI + 16 * 4;
  }
  if (plan.buffers)
    for (int k = 0; k < kConstantSlots && k < Bindings::kBuffers; ++k) {
      b.buffers[k] = reinterpret_cast<const float*>(env.cb[k]);
      b.bufferRegs[k] = env.cb[k] ? int(env.cbSize[k] / 16) : 0;
    }
  for (int s = 0; s < kMaxSamplers; ++s) {
    if (p.samplers[s] == SamplerKind::none || !env.views[s] || !env.samplerDescs[s]) continue;
    const Subresource& sub = env.views[s]->texture().sub(env.views[s]->subresource(0, 0));
    b.samplers[s] = &env.samplers[s];
    b.texSize[s][0] = float(sub.width);
    b.texSize[s][1] = float(sub.height);
  }
}

void programVertex(const VertexIn& in, const ShaderEnv& env, const ShaderEntry& self, VertexOut& out) {
  const StagePlan& plan = *static_cast<const StagePlan*>(self.data);
  const Program& p = *plan.program;
  Bindings b;
  bindStage(plan, env, b);
  Lanes L;
  std::memset(L.in, 0, sizeof L.in);
  std::memset(L.out, 0, sizeof L.out);
  int k = 0;
  for (const Signature& s : p.inputs) {
    Semantic sem;
    if (!semanticOf(s, sem) || s.reg >= kMaxInputs) continue;
    for (int c = 0; c < 4; ++c)
      for (int l = 0; l < kLanes; ++l) L.in[s.reg].v[c][l] = in.in[k][c];
    ++k;
  }
  for (int i = 0; i < self.varyings; ++i) out.v[i] = 0.0f;
  if (!run(p, b, L)) {  // an empty vertex: its primitives fall to the clipper
    out.pos = Float4{0.0f, 0.0f, 0.0f, 0.0f};
    return;
  }
  const int pos = p.outputOf(Usage::position, 0);
  for (int c = 0; c < 4; ++c) out.pos[c] = pos >= 0 && pos < kMaxOutputs ? L.out[pos].v[c][0] : 0.0f;
  if (plan.shiftWidth > 0.0f) {
    out.pos[0] += out.pos[3] / plan.shiftWidth;
    out.pos[1] -= out.pos[3] / plan.shiftHeight;
  }
  for (const Signature& s : p.outputs) {
    const VaryingPlace v = varyingPlace(s.usage, s.index);
    if (s.reg >= kMaxOutputs) continue;
    for (int c = 0; c < v.count; ++c) out.v[v.at + c] = L.out[s.reg].v[c][0];
    if (v.pairAt >= 0) {
      out.v[v.pairAt] = L.out[s.reg].v[0][0];
      out.v[v.pairAt + 1] = L.out[s.reg].v[1][0];
    }
  }
}

// The results of the quads of one row of one primitive. The rasteriser shades a row pixel
// by pixel and the next row after it, so each quad would run once per pixel; kept here, it
// runs once. A quad's lanes depend only on the plan's draw, the facing, the quad's place
// and the planes of the varyings the program reads, so the key holds exactly those: a
// primitive whose key is equal gives equal lanes, whichever primitive it is.
struct QuadRow {
  uint64_t draw = 0;
  int qy = 0;
  bool front = false;
  std::vector<float> planes;
  uint32_t stamp = 1;
  struct Quad {
    uint32_t stamp = 0;
    bool ok = false;
    uint32_t discarded = 0;
    float colour[4][kLanes];
  };
  std::vector<Quad> quads;
  // Beside each quad, for programs with more outputs: the further colours and the depth.
  struct More {
    float colour[kMaxColourOutputs - 1][4][kLanes];
    float depth[kLanes];
  };
  std::vector<More> more;
};

thread_local QuadRow quadRow;

// A lane's further colours and depth, for the span that asked for them.
void giveMore(const StagePlan& plan, const QuadRow::More& m, int lane, PixelOutputs& out) {
  for (int t = 1; t < kMaxColourOutputs; ++t)
    if (plan.colourOut[t] >= 0)
      for (int c = 0; c < 4; ++c) out.colour[t - 1][c] = m.colour[t - 1][c][lane];
  if (plan.depthOut >= 0) out.depth = m.depth[lane];
}

void planeKey(const StagePlan& plan, const Interpolator& I, std::vector<float>& key) {
  key.clear();
  key.push_back(I.x0);
  key.push_back(I.y0);
  key.push_back(I.perspective ? 1.0f : 0.0f);
  key.push_back(I.q0);
  key.push_back(I.qA);
  key.push_back(I.qB);
  key.push_back(float(I.n));
  for (const StagePlan::PixelInput& f : plan.pixelInputs) {
    for (int c = 0; c < f.count; ++c) {
      const int k = f.at + c;
      if (k >= I.n) break;
      key.push_back(I.a0[k]);
      key.push_back(I.aA[k]);
      key.push_back(I.aB[k]);
    }
  }
}

bool programPixel(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  const StagePlan& plan = *static_cast<const StagePlan*>(self.data);
  const Program& p = *plan.program;
  const int px = int(std::floor(in.x)), py = int(std::floor(in.y));
  const int qx = px & ~1, qy = py & ~1;
  const int own = (px - qx) + 2 * (py - qy);
  const Interpolator* I = in.interp;

  QuadRow::Quad* slot = nullptr;
  QuadRow::More* moreSlot = nullptr;
  if (I && qx >= 0 && qx < (1 << 15)) {
    QuadRow& row = quadRow;
    thread_local std::vector<float> key;
    planeKey(plan, *I, key);
    if (row.draw != plan.draw || row.qy != qy || row.front != in.front || row.planes != key) {
      row.draw = plan.draw;
      row.qy = qy;
      row.front = in.front;
      row.planes.swap(key);
      if (++row.stamp == 0) {  // the stamps wrapped: forget every quad
        for (QuadRow::Quad& q : row.quads) q.stamp = 0;
        row.stamp = 1;
      }
    }
    const size_t at = size_t(qx >> 1);
    if (row.quads.size() <= at) row.quads.resize(at + 64);
    slot = &row.quads[at];
    if (in.more) {
      if (row.more.size() < row.quads.size()) row.more.resize(row.quads.size());
      moreSlot = &row.more[at];
    }
    if (slot->stamp == row.stamp) {
      if (!slot->ok || (slot->discarded >> own & 1)) return false;
      for (int c = 0; c < 4; ++c) out[c] = slot->colour[c][own];
      if (moreSlot) giveMore(plan, *moreSlot, own, *in.more);
      return true;
    }
  }

  Bindings b;
  bindStage(plan, env, b);
  b.quad = true;
  Lanes L;
  float f[kLanes], dx[kLanes], dy[kLanes];
  for (int l = 0; l < kLanes; ++l) {
    dx[l] = I ? float(qx + (l & 1)) + 0.5f - I->x0 : 0.0f;
    dy[l] = I ? float(qy + (l >> 1)) + 0.5f - I->y0 : 0.0f;
    f[l] = I ? perspectiveFactor(*I, dx[l], dy[l]) : 1.0f;
  }
  // Every lane from the planes, as the rasteriser computes the pixel's own varyings;
  // without planes (lines and points) every lane is the pixel.
  auto varying = [&](int at, int l) -> float {
    if (!I) return in.v[at];
    return at < I->n ? varyingAt(*I, at, dx[l], dy[l], f[l]) : 0.0f;
  };
  for (const StagePlan::PixelInput& from : plan.pixelInputs) {
    Reg& r = L.in[from.reg];
    if (plan.buffers && (from.usage == Usage::pixelPos || from.usage == Usage::face)) {
      const uint32_t front = in.front ? 0xFFFFFFFFu : 0u;
      for (int l = 0; l < kLanes; ++l) {
        r.v[0][l] = float(qx + (l & 1)) + 0.5f;
        r.v[1][l] = float(qy + (l >> 1)) + 0.5f;
        r.v[2][l] = r.v[3][l] = 0.0f;
        if (from.usage == Usage::face)
          for (auto& c : r.v) std::memcpy(&c[l], &front, 4);
      }
      continue;
    }
    if (from.usage == Usage::pixelPos || from.usage == Usage::face) {
      for (int l = 0; l < kLanes; ++l) {
        r.v[0][l] = from.usage == Usage::face ? (in.front ? 1.0f : -1.0f) : float(qx + (l & 1));
        r.v[1][l] = from.usage == Usage::face ? r.v[0][l] : float(qy + (l >> 1));
        r.v[2][l] = r.v[3][l] = 0.0f;
      }
      continue;
    }
    for (int c = 0; c < 4; ++c)
      for (int l = 0; l < kLanes; ++l)
        r.v[c][l] = c < from.count ? varying(from.at + c, l) : (c == 3 && from.pair ? 1.0f : 0.0f);
  }
  const int colour = plan.colourOut[0];
  if (colour >= 0) std::memset(&L.out[colour], 0, sizeof(Reg));
  // Further outputs the program leaves unwritten on a path read as 0.
  QuadRow::More fresh;
  if (in.more) {
    for (int t = 1; t < kMaxColourOutputs; ++t)
      if (plan.colourOut[t] >= 0) std::memset(&L.out[plan.colourOut[t]], 0, sizeof(Reg));
    if (plan.depthOut >= 0) std::memset(&L.out[plan.depthOut], 0, sizeof(Reg));
  }
  const bool ok = run(p, b, L);
  if (in.more) {
    QuadRow::More& m = moreSlot ? *moreSlot : fresh;
    for (int t = 1; t < kMaxColourOutputs; ++t)
      if (plan.colourOut[t] >= 0) std::memcpy(m.colour[t - 1], L.out[plan.colourOut[t]].v, sizeof m.colour[t - 1]);
    if (plan.depthOut >= 0) std::memcpy(m.depth, L.out[plan.depthOut].v[0], sizeof m.depth);
    giveMore(plan, m, own, *in.more);
  }
  if (slot) {
    slot->stamp = quadRow.stamp;
    slot->ok = ok;
    slot->discarded = L.discarded;
    for (int c = 0; c < 4; ++c)
      for (int l = 0; l < kLanes; ++l) slot->colour[c][l] = colour >= 0 ? L.out[colour].v[c][l] : 0.0f;
  }
  if (!ok || (L.discarded >> own & 1)) return false;
  for (int c = 0; c < 4; ++c) out[c] = colour >= 0 ? L.out[colour].v[c][own] : 0.0f;
  return true;
}

}  // namespace

VaryingPlace varyingPlace(Usage u, int index) {
  VaryingPlace p;
  if (u == Usage::colour && index >= 0 && index < 2) {
    p.at = shader::kColour0 + 4 * index;
    p.count = 4;
  } else if (u == Usage::texcoord && index >= 0 && index < 8) {
    p.at = shader::kExtra + 4 * index;
    p.count = 4;
    p.pairAt = shader::texcoord(index);
  } else if (const int e = extraOf(u, index); e >= 0) {
    p.at = shader::kExtra + 4 * e;
    p.count = u == Usage::fog ? 1 : 4;
  }
  return p;
}

void makeProgramEntry(StagePlan& plan, ShaderEntry& e) {
  static std::atomic<uint64_t> draws{0};
  plan.draw = draws.fetch_add(1, std::memory_order_relaxed) + 1;
  const Program& p = *plan.program;
  e.name = p.pixel ? "program_ps" : "program_vs";
  e.stage = p.pixel ? ShaderStage::pixel : ShaderStage::vertex;
  e.vertex = p.pixel ? nullptr : programVertex;
  e.pixel = p.pixel ? programPixel : nullptr;
  e.data = &plan;
  e.fast = FastPath::none;
  e.fastUnread = 0;
  e.fastSaturates = false;
  e.fastSpecular = false;
  e.fastFogColour = nullptr;
  e.inputs.clear();
  e.varyings = 0;
  e.moreTargets = 0;
  e.writesDepth = false;
  plan.pixelInputs.clear();
  for (int t = 0; t < kMaxColourOutputs; ++t) {
    const int reg = p.pixel ? p.outputOf(Usage::colour, t) : -1;
    plan.colourOut[t] = int16_t(reg >= 0 && reg < kMaxOutputs ? reg : -1);
    if (t > 0 && plan.colourOut[t] >= 0) e.moreTargets |= uint8_t(1u << (t - 1));
  }
  const int depth = p.pixel ? p.outputOf(Usage::depth, 0) : -1;
  plan.depthOut = int16_t(depth >= 0 && depth < kMaxOutputs ? depth : -1);
  e.writesDepth = plan.depthOut >= 0;
  if (p.pixel) {
    for (const Signature& s : p.inputs) {
      if (s.reg >= kMaxInputs) continue;
      const VaryingPlace v = varyingPlace(s.usage, s.index);
      // Behind the fixed stage texture coordinates are pairs.
      const bool pair = v.pairAt >= 0 && !plan.afterProgram;
      const bool special = s.usage == Usage::pixelPos || s.usage == Usage::face;
      plan.pixelInputs.push_back({s.reg, s.usage, pair, int16_t(pair ? v.pairAt : v.at),
                                  int16_t(special ? 0 : pair ? 2 : v.count)});
    }
    return;
  }
  for (const Signature& s : p.inputs) {
    Semantic sem;
    if (semanticOf(s, sem) && s.reg < kMaxInputs) e.inputs.push_back({sem, s.index});
  }
  int n = shader::kTexcoord;  // the colours always travel
  for (const Signature& s : p.outputs) {
    const VaryingPlace v = varyingPlace(s.usage, s.index);
    if (v.count && v.at + v.count > n) n = v.at + v.count;
  }
  e.varyings = n;
}

}  // namespace plat::gpu::vm
