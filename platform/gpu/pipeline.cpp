// draw and drawIndexed: settle everything that does not change per vertex or pixel (the
// output merger's plan, the bound constants and samplers, the clip rectangle, the guard
// band, the specialised span), run the vertex function once per vertex of the draw, then
// assemble and rasterise the primitives.
#include "platform/gpu/pipeline.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <string>
#include <new>
#include <vector>

#include "platform/gpu/journal.h"
#include "platform/gpu/raster_internal.h"

namespace plat::gpu {

namespace {

std::atomic<bool> gFastSpans{true};
constexpr uint32_t kVertexBlock = 64;  // vertices fetched before a vertex run
// Vertices shaded before their primitives are drawn: whole pairs of list triangles, an
// even count for strips.
constexpr uint32_t kDrawChunk = 96;
static_assert(kDrawChunk % 6 == 0);
std::atomic<uint64_t> gFastSpanDraws{0};
std::atomic<uint64_t> gDraws{0};  // names each draw for what its spans keep while it runs

void bindStage(const StageBindings& b, ShaderEnv& env) {
  for (int i = 0; i < kConstantSlots; ++i) {
    env.cb[i] = b.constants[i] ? b.constants[i]->data() : nullptr;
    env.cbSize[i] = b.constants[i] ? b.constants[i]->size() : 0;
  }
  for (int i = 0; i < kResourceSlots; ++i) env.views[i] = b.resources[i].get();
  for (int i = 0; i < kSamplerSlots; ++i) {
    env.samplerDescs[i] = b.samplers[i] ? &b.samplers[i]->desc() : nullptr;
    if (env.samplerDescs[i] && env.views[i]) env.samplers[i].bind(*env.samplerDescs[i], env.views[i]);
  }
}

float depthStep(const View* depth) {
  if (!depth) return 1.0f / 16777215.0f;
  switch (depth->format()) {
    case Format::D16: return 1.0f / 65535.0f;
    case Format::D32F: return 1.0f / 8388608.0f;
    default: return 1.0f / 16777215.0f;
  }
}

// Runs the whole draw for `count` vertices whose buffer index the callback gives.
template <class IndexOf>
Status run(const DrawState& s, uint32_t count, IndexOf indexOf) {
  const ShaderEntry* vs = s.vs.shader;
  const ShaderEntry* ps = s.ps.shader;
  if (!vs || !ps || vs->stage != ShaderStage::vertex || ps->stage != ShaderStage::pixel || !vs->vertex || !ps->pixel)
    return Status::invalidArgument;
  OutputMerger om;
  View* targets[kMaxTargets];
  for (int i = 0; i < kMaxTargets; ++i) targets[i] = s.targets[i].get();
  om.setTargets(targets, kMaxTargets, s.depthView.get());
  om.setBlend(s.blend.get(), s.blendFactor);
  om.setDepthStencil(s.depthStencil.get());
  om.setAlphaTest(s.alphaTest);
  if (const Status st = om.prepare(); st != Status::ok) return st;
  const Viewport& vp = s.viewport;
  if (count == 0 || om.width() == 0 || !(vp.width > 0.0f) || !(vp.height > 0.0f) || !std::isfinite(vp.x) ||
      !std::isfinite(vp.y) || !std::isfinite(vp.width) || !std::isfinite(vp.height))
    return Status::ok;

  static thread_local ShaderEnv vsEnv, psEnv;
  bindStage(s.vs, vsEnv);
  bindStage(s.ps, psEnv);

  DrawContext c;
  c.ps = ps;
  c.env = &psEnv;
  c.om = &om;
  c.varyings = vs->varyings < 0 ? 0 : vs->varyings > shader::kVaryingCount ? shader::kVaryingCount : vs->varyings;
  c.viewport = vp;
  c.rasterizer = s.rasterizer;
  c.gx0 = 2.0f * (-kGuardBand - vp.x) / vp.width - 1.0f;
  c.gx1 = 2.0f * (kGuardBand - vp.x) / vp.width - 1.0f;
  c.gy0 = 1.0f - 2.0f * (kGuardBand - vp.y) / vp.height;
  c.gy1 = 1.0f + 2.0f * (kGuardBand + vp.y) / vp.height;
  // Pixels whose centres lie inside the viewport, the targets and the enabled scissor.
  auto centreFrom = [](float edge) {
    const float e = std::ceil(edge - 0.5f);
    return e < -1.0e9f ? -1000000000 : e > 1.0e9f ? 1000000000 : int(e);
  };
  c.clipX0 = std::max(0, centreFrom(vp.x));
  c.clipY0 = std::max(0, centreFrom(vp.y));
  c.clipX1 = std::min(om.width(), centreFrom(vp.x + vp.width));
  c.clipY1 = std::min(om.height(), centreFrom(vp.y + vp.height));
  if (s.rasterizer.scissorEnable) {
    c.clipX0 = std::max(c.clipX0, s.scissor.left);
    c.clipY0 = std::max(c.clipY0, s.scissor.top);
    c.clipX1 = std::min(c.clipX1, s.scissor.right);
    c.clipY1 = std::min(c.clipY1, s.scissor.bottom);
  }
  if (c.clipX0 >= c.clipX1 || c.clipY0 >= c.clipY1) return Status::ok;
  c.biasUnit = depthStep(s.depthView.get());
  c.cullFront = s.rasterizer.cull == CullMode::front;
  c.cullBack = s.rasterizer.cull == CullMode::back;
  c.samples = om.samples();
  c.positions = samplePositions(c.samples);
  if (c.samples != 1 && !c.positions) return Status::unsupported;
  // The specialised spans write one sample per pixel.
  c.fast = s.rasterizer.fill == FillMode::solid && c.samples == 1 ? chooseFastSpan(s, c) : nullptr;
  if (!c.fast && ps->span && s.rasterizer.fill == FillMode::solid && c.samples == 1 && fastSpans())
    chooseShaderSpan(s, c);
  if (c.fast || c.span) gFastSpanDraws.fetch_add(1, std::memory_order_relaxed);
  c.drawId = gDraws.fetch_add(1, std::memory_order_relaxed) + 1;

  // The vertices go through the vertex function a chunk at a time and the chunk's
  // primitives are drawn before the next: a shaded vertex holds every possible varying, so
  // a whole draw of small shapes (thousands of vertices) shaded first would leave each one
  // in memory by the time its triangle is drawn. Chunks hold whole pairs of list triangles
  // and start strips on an even vertex, so the primitives, their pairing and their order
  // are those of the whole draw.
  static thread_local std::vector<ClipVertex> verts;
  if (count > kMaxDrawVertices) return Status::invalidArgument;
  try {
    if (verts.size() < std::min(count, kDrawChunk)) verts.resize(std::min(count, kDrawChunk));
  } catch (const std::bad_alloc&) {
    return Status::outOfMemory;
  }
  VertexFetcher fetcher;
  fetcher.prepare(s, *vs);
  // Vertices from..from+n-1 of the draw into verts[0..n-1].
  auto shade = [&](uint32_t from, uint32_t n) {
    if (vs->vertexRun) {  // fetched a block at a time, the function called once a block
      static thread_local VertexIn in[kVertexBlock];
      for (uint32_t i = 0; i < n; i += kVertexBlock) {
        const uint32_t m = n - i < kVertexBlock ? n - i : kVertexBlock;
        for (uint32_t k = 0; k < m; ++k) {
          fetcher.fetch(indexOf(from + i + k), in[k]);
          std::memset(verts[i + k].v, 0, sizeof(float) * size_t(c.varyings));
        }
        vs->vertexRun(in, int(m), vsEnv, *vs, &verts[i]);
      }
    } else {
      VertexIn in;
      for (uint32_t i = 0; i < n; ++i) {
        fetcher.fetch(indexOf(from + i), in);
        ClipVertex& out = verts[i];
        std::memset(out.v, 0, sizeof(float) * size_t(c.varyings));
        vs->vertex(in, vsEnv, *vs, out);
      }
    }
  };
  // Strips share their last vertices with the next chunk.
  const uint32_t overlap = s.topology == Topology::lineStrip ? 1 : s.topology == Topology::triangleStrip ? 2 : 0;
  for (uint32_t from = 0; from < count;) {
    const uint32_t n = std::min(count - from, kDrawChunk);
    shade(from, n);
    const ClipVertex* v = verts.data();
    switch (s.topology) {
      case Topology::pointList:
        for (uint32_t i = 0; i < n; ++i) drawPoint(c, v[i]);
        break;
      case Topology::lineList:
        for (uint32_t i = 0; i + 1 < n; i += 2) drawLine(c, v[i], v[i + 1]);
        break;
      case Topology::lineStrip:
        for (uint32_t i = 0; i + 1 < n; ++i) drawLine(c, v[i], v[i + 1]);
        break;
      case Topology::triangleList: {
        uint32_t i = 0;
        if (c.fast) {  // two at a time: a sprite's quad is drawn row by row as one
          for (; i + 5 < n; i += 6) {
            const ClipVertex* const first[3] = {&v[i], &v[i + 1], &v[i + 2]};
            const ClipVertex* const second[3] = {&v[i + 3], &v[i + 4], &v[i + 5]};
            drawTrianglePair(c, first, second);
          }
        }
        for (; i + 2 < n; i += 3) drawTriangle(c, v[i], v[i + 1], v[i + 2]);
        break;
      }
      case Topology::triangleStrip: {
        // Every other triangle swaps its first two vertices so that all keep one winding
        // (chunks start on even vertices, so a chunk's parity is the draw's).
        uint32_t i = 0;
        if (c.fast) {
          for (; i + 3 < n; i += 2) {
            const ClipVertex* const first[3] = {&v[i], &v[i + 1], &v[i + 2]};
            const ClipVertex* const second[3] = {&v[i + 2], &v[i + 1], &v[i + 3]};
            drawTrianglePair(c, first, second);
          }
        }
        for (; i + 2 < n; ++i) {
          if (i & 1) drawTriangle(c, v[i + 1], v[i], v[i + 2]);
          else drawTriangle(c, v[i], v[i + 1], v[i + 2]);
        }
        break;
      }
    }
    if (from + n >= count) break;
    from += n - overlap;
  }
  return Status::ok;
}

}  // namespace

void setFastSpans(bool on) { gFastSpans.store(on, std::memory_order_relaxed); }
bool fastSpans() { return gFastSpans.load(std::memory_order_relaxed); }
uint64_t fastSpanDraws() { return gFastSpanDraws.load(std::memory_order_relaxed); }

Status draw(const DrawState& state, uint32_t count, uint32_t first) {
  if (!journalCall("Draw", [&] { return std::to_string(count) + ", " + std::to_string(first); }))
    return Status::injectedFailure;
  return run(state, count, [first](uint32_t i) { return first + i; });
}

Status drawIndexed(const DrawState& state, uint32_t count, uint32_t first, int32_t baseVertex) {
  if (!journalCall("DrawIndexed", [&] {
        return std::to_string(count) + ", " + std::to_string(first) + ", " + std::to_string(baseVertex);
      }))
    return Status::injectedFailure;
  const uint8_t* data = state.indexBuffer ? state.indexBuffer->data() : nullptr;
  const uint64_t size = state.indexBuffer ? state.indexBuffer->size() : 0;
  const uint64_t width = state.index32 ? 4 : 2;
  const uint64_t start = uint64_t(state.indexOffset) + uint64_t(first) * width;
  return run(state, count, [=](uint32_t i) -> uint32_t {
    const uint64_t at = start + uint64_t(i) * width;
    uint32_t index = 0;
    if (data && at + width <= size) {
      index = data[at] | uint32_t(data[at + 1]) << 8;
      if (width == 4) index |= uint32_t(data[at + 2]) << 16 | uint32_t(data[at + 3]) << 24;
    }
    return index + uint32_t(baseVertex);
  });
}

}  // namespace plat::gpu
