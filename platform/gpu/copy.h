// The copy routines of the software GPU, one module for every caller: region copies with
// format conversion, stretches, uploads from caller memory, whole-resource copies,
// resolves, fills and clears, and mapping a subresource for the CPU. Every entry checks
// boxes, pitches and subresource numbers and refuses what falls outside a resource.
#pragma once
#include <cstddef>

#include "platform/gpu/resource.h"

namespace plat::gpu {

// A rectangle of texels: left and top included, right and bottom excluded.
struct Box {
  int left, top, right, bottom;
};

enum class StretchFilter : uint8_t { point, linear };
enum class MapMode : uint8_t { read, write, readWrite, writeDiscard, writeNoOverwrite };

struct Mapped {
  uint8_t* data = nullptr;
  size_t rowPitch = 0;    // bytes per row of texels (or of blocks)
  size_t depthPitch = 0;  // bytes of the whole subresource
};

// Copies srcBox (null: the whole subresource) to (dstX, dstY), converting when the formats
// differ. Block-compressed data is copied in whole blocks and can only be decoded, never
// encoded. Multisampled textures copy sample by sample between equal counts; a
// single-sample source fills every sample of a multisampled destination.
Status copyRegion(Texture& dst, int dstSub, int dstX, int dstY, Texture& src, int srcSub, const Box* srcBox);
// Copies every subresource (textures of the same shape) or all bytes (buffers of one size).
Status copyResource(Resource& dst, Resource& src);
// Scales srcRect onto dstRect (null: whole subresources) with point or bilinear filtering.
// A multisampled source is resolved (its samples averaged) before it is scaled; into a
// multisampled destination only unscaled copies go.
Status stretchRect(Texture& dst, int dstSub, const Box* dstRect, Texture& src, int srcSub, const Box* srcRect,
                   StretchFilter filter);
// Writes caller memory (rows rowPitch bytes apart) into box (null: the whole subresource).
// A block-compressed box starts on a block and its far edges round up to whole blocks.
Status updateSubresource(Texture& dst, int sub, const Box* box, const void* data, size_t rowPitch);
// Writes bytes [left, right) of a buffer (null box: all of it).
Status updateBuffer(Buffer& dst, const Box* box, const void* data);
// Averages the samples of each texel of a multisampled source into a single-sample
// destination of the same size (a single-sample source is copied).
Status resolveSubresource(Texture& dst, int dstSub, Texture& src, int srcSub, Format format);
// Fills rect (null: all) with one colour stored in `as` (Unknown: the texture's format).
Status fillRect(Texture& dst, int sub, const Box* rect, const Float4& colour, Format as = Format::Unknown);
Status clearRenderTarget(View& target, const Float4& colour);
Status clearDepthStencil(View& depth, bool clearDepth, float value, bool clearStencil, uint8_t stencil);
// Write-discard and no-overwrite map dynamic resources; read, write and read-write map
// staging resources with the matching CPU access. A subresource maps once at a time.
Status map(Resource& resource, int sub, MapMode mode, Mapped& out);
Status unmap(Resource& resource, int sub);

}  // namespace plat::gpu
