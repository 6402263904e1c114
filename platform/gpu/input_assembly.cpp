// Vertex fetch: each input of the vertex function is matched once per draw to the layout
// element with the same semantic and index; per vertex only the reads remain. Reads past
// the vertex buffer give zeros, never bytes from elsewhere.
#include "platform/gpu/raster_internal.h"

namespace plat::gpu {

void VertexFetcher::prepare(const DrawState& s, const ShaderEntry& vs) {
  inputs_ = int(vs.inputs.size() < 16 ? vs.inputs.size() : 16);
  for (int i = 0; i < inputs_; ++i) {
    Source src;
    for (size_t e = 0; e < s.layout.size(); ++e) {
      const InputElement& el = s.layout[e];
      if (el.semantic != vs.inputs[size_t(i)].semantic || el.index != vs.inputs[size_t(i)].index) continue;
      const FormatInfo& info = formatInfo(el.format);
      if (!info.loadRow || info.blockDim != 1) break;  // not a vertex format: reads as missing
      src.element = int(e);
      src.format = el.format;
      src.offset = el.offset;
      src.bytes = info.bytes;
      src.load = info.loadRow;
      break;
    }
    sources_[i] = src;
  }
  data_ = s.vertexBuffer ? s.vertexBuffer->data() : nullptr;
  size_ = s.vertexBuffer ? s.vertexBuffer->size() : 0;
  stride_ = s.vertexStride;
  base_ = s.vertexOffset;
}

void VertexFetcher::fetch(uint32_t vertex, VertexIn& out) const {
  const uint64_t start = uint64_t(base_) + uint64_t(vertex) * stride_;
  for (int i = 0; i < inputs_; ++i) {
    const Source& src = sources_[i];
    if (src.element < 0) {
      out.in[i] = Float4{0.0f, 0.0f, 0.0f, 1.0f};
      continue;
    }
    const uint64_t at = start + src.offset;
    if (!data_ || at + src.bytes > size_) {
      out.in[i] = Float4{0.0f, 0.0f, 0.0f, 0.0f};
      continue;
    }
    src.load(data_ + at, &out.in[i], 1);
  }
}

}  // namespace plat::gpu
