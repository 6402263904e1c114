// The draw pipeline of the software GPU: the normalised draw state both faces fill in, and
// draw / drawIndexed, which fetch vertices through the input layout, run the vertex
// function, clip, rasterise and shade, and merge the pixels into the bound targets.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/gpu/output_merger.h"
#include "platform/gpu/shaders/bank.h"

namespace plat::gpu {

enum class Topology : uint8_t { pointList, lineList, lineStrip, triangleList, triangleStrip };
enum class FillMode : uint8_t { solid, wireframe };
enum class CullMode : uint8_t { none, front, back };

struct RasterizerDesc {
  FillMode fill = FillMode::solid;
  CullMode cull = CullMode::back;
  bool frontCounterClockwise = false;
  bool depthClip = true;
  int depthBias = 0;           // in units of the depth buffer's smallest step
  float depthBiasClamp = 0.0f; // 0: no clamp
  float slopeScaledDepthBias = 0.0f;
  bool scissorEnable = false;
};

struct Viewport {
  float x = 0.0f, y = 0.0f, width = 0.0f, height = 0.0f;
  float minDepth = 0.0f, maxDepth = 1.0f;
};

struct ScissorRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct InputElement {
  Semantic semantic;
  int index;
  Format format;
  uint32_t offset;
};

struct StageBindings {
  const ShaderEntry* shader = nullptr;
  Ref<Buffer> constants[kConstantSlots];
  Ref<View> resources[kResourceSlots];
  Ref<SamplerState> samplers[kSamplerSlots];
};

struct DrawState {
  std::vector<InputElement> layout;  // one vertex buffer slot
  Ref<Buffer> vertexBuffer;
  uint32_t vertexStride = 0, vertexOffset = 0;
  Ref<Buffer> indexBuffer;
  bool index32 = false;
  uint32_t indexOffset = 0;
  Topology topology = Topology::triangleList;
  Viewport viewport;
  ScissorRect scissor;  // kept always, applied only when the rasterizer enables it
  RasterizerDesc rasterizer;
  Ref<DepthStencilState> depthStencil;  // null: the output merger's default
  Ref<BlendState> blend;                // null: no blending
  Float4 blendFactor{1.0f, 1.0f, 1.0f, 1.0f};
  AlphaTest alphaTest;  // the output merger's alpha-test hook
  Ref<View> targets[kMaxTargets];
  Ref<View> depthView;
  StageBindings vs, ps;
};

// The most vertices one draw call takes (each passes through the vertex function first).
inline constexpr uint32_t kMaxDrawVertices = 1u << 24;

// Draws `count` vertices from `first`. Refuses a draw without both shaders, with targets
// the output merger does not accept or with more than kMaxDrawVertices vertices; draws
// nothing for a viewport without area.
Status draw(const DrawState& state, uint32_t count, uint32_t first);
// Indices from `first` in the index buffer, each plus baseVertex. An index past the index
// buffer reads 0; a vertex read past the vertex buffer fetches zeros.
Status drawIndexed(const DrawState& state, uint32_t count, uint32_t first, int32_t baseVertex);

// On by default; tests and benchmarks switch the specialised spans and the shaders' span
// forms off to compare them with the general path.
void setFastSpans(bool on);
bool fastSpans();
// Draws so far, on any thread, that took a specialised span or a shader's span form: tests
// check which states do.
uint64_t fastSpanDraws();

}  // namespace plat::gpu
