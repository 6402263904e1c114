// Copies, stretches, uploads, fills and maps. Formats are chosen once per call: same-layout
// copies move bytes, others run rows of texels through the formats' row routines.
#include "platform/gpu/copy.h"

#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <functional>
#include <string>
#include <vector>

#include "platform/gpu/journal.h"

namespace plat::gpu {

namespace {

constexpr int kChunk = 64;  // texels converted per step

std::string boxText(const Box* b) {
  if (!b) return "all";
  return std::to_string(b->left) + "," + std::to_string(b->top) + "-" + std::to_string(b->right) + "," +
         std::to_string(b->bottom);
}

bool validSub(const Texture& t, int sub) { return sub >= 0 && sub < t.subresourceCount(); }

// The box inside a subresource (null: all of it); false when any edge lies outside.
bool clipBox(const Subresource& s, const Box* in, Box& out) {
  out = in ? *in : Box{0, 0, s.width, s.height};
  return out.left >= 0 && out.top >= 0 && out.left <= out.right && out.top <= out.bottom && out.right <= s.width &&
         out.bottom <= s.height;
}

// A block-format box: it starts on a block and its far edges round up to whole blocks,
// which may pass the edge of a level smaller than a block but not its last block.
bool blockBox(const Subresource& s, const Box* in, Box& out) {
  out = in ? *in : Box{0, 0, s.width, s.height};
  if (out.left < 0 || out.top < 0 || out.left > out.right || out.top > out.bottom) return false;
  if ((out.left & 3) || (out.top & 3)) return false;
  const int64_t right = (int64_t(out.right) + 3) & ~int64_t(3), bottom = (int64_t(out.bottom) + 3) & ~int64_t(3);
  if (right > ((s.width + 3) & ~3) || bottom > ((s.height + 3) & ~3)) return false;
  out.right = int(right);
  out.bottom = int(bottom);
  return true;
}

// Rows move bottom-up when the destination lies after the source, so that a copy inside one
// subresource reads every row before overwriting it.
void copyBytesRect(uint8_t* dst, size_t dstPitch, const uint8_t* src, size_t srcPitch, size_t bytes, int rows) {
  if (std::less<const uint8_t*>()(src, dst)) {
    for (int r = rows - 1; r >= 0; --r) std::memmove(dst + size_t(r) * dstPitch, src + size_t(r) * srcPitch, bytes);
  } else {
    for (int r = 0; r < rows; ++r) std::memmove(dst + size_t(r) * dstPitch, src + size_t(r) * srcPitch, bytes);
  }
}

// Converts a w x h texel rectangle between formats, a chunk of a row at a time.
void convertRect(Format df, uint8_t* dst, size_t dstPitch, int dx, int dy, Format sf, const uint8_t* src,
                 size_t srcPitch, int sx, int sy, int w, int h) {
  const StoreRowFn store = formatInfo(df).storeRow;
  const size_t dbytes = formatInfo(df).bytes;
  Float4 buf[kChunk];
  for (int y = 0; y < h; ++y) {
    uint8_t* row = dst + size_t(dy + y) * dstPitch + size_t(dx) * dbytes;
    for (int x = 0; x < w; x += kChunk) {
      const int n = w - x < kChunk ? w - x : kChunk;
      loadTexels(sf, src, srcPitch, sx + x, sy + y, n, buf);
      store(buf, row + size_t(x) * dbytes, n);
    }
  }
}

Status copyPlane(Texture& dst, int dstSub, int dstX, int dstY, Texture& src, int srcSub, const Box* srcBox,
                 int dstPlane, int srcPlane) {
  const Subresource& ds = dst.sub(dstSub);
  const Subresource& ss = src.sub(srcSub);
  const Format df = dst.format(), sf = src.format();
  const bool raw = sameFamily(df, sf);
  Box b;
  if (isBlock(sf) && raw) {
    if (!blockBox(ss, srcBox, b) || (dstX & 3) || (dstY & 3) || dstX < 0 || dstY < 0) return Status::invalidArgument;
    if (int64_t(dstX) + (b.right - b.left) > ((ds.width + 3) & ~3) ||
        int64_t(dstY) + (b.bottom - b.top) > ((ds.height + 3) & ~3))
      return Status::invalidArgument;
    if (b.left == b.right || b.top == b.bottom) return Status::ok;
    const size_t bytes = formatInfo(sf).bytes;
    copyBytesRect(dst.plane(dstSub, dstPlane) + size_t(dstY / 4) * ds.pitch + size_t(dstX / 4) * bytes, ds.pitch,
                  src.plane(srcSub, srcPlane) + size_t(b.top / 4) * ss.pitch + size_t(b.left / 4) * bytes, ss.pitch,
                  size_t((b.right - b.left) / 4) * bytes, (b.bottom - b.top) / 4);
    return Status::ok;
  }
  if (isBlock(df)) return Status::unsupported;  // nothing encodes blocks
  if (!clipBox(ss, srcBox, b) || dstX < 0 || dstY < 0 || int64_t(dstX) + (b.right - b.left) > ds.width ||
      int64_t(dstY) + (b.bottom - b.top) > ds.height)
    return Status::invalidArgument;
  const int w = b.right - b.left, h = b.bottom - b.top;
  if (w == 0 || h == 0) return Status::ok;
  if (raw) {
    const size_t bytes = formatInfo(sf).bytes;
    copyBytesRect(dst.plane(dstSub, dstPlane) + size_t(dstY) * ds.pitch + size_t(dstX) * bytes, ds.pitch,
                  src.plane(srcSub, srcPlane) + size_t(b.top) * ss.pitch + size_t(b.left) * bytes, ss.pitch, size_t(w) * bytes, h);
    return Status::ok;
  }
  if (!formatInfo(df).storeRow) return Status::unsupported;
  convertRect(df, dst.plane(dstSub, dstPlane), ds.pitch, dstX, dstY, sf, src.plane(srcSub, srcPlane), ss.pitch, b.left, b.top, w, h);
  return Status::ok;
}

// A copy between textures of one sample count moves each sample plane; a single-sample
// source is copied into every plane of a multisampled destination. A multisampled source
// reaches a single-sample texture only through a resolve.
Status copyRegionImpl(Texture& dst, int dstSub, int dstX, int dstY, Texture& src, int srcSub, const Box* srcBox) {
  if (!validSub(dst, dstSub) || !validSub(src, srcSub)) return Status::invalidArgument;
  if (src.samples() != dst.samples() && src.samples() != 1) return Status::invalidArgument;
  if (&dst == &src && dst.samples() != 1) return Status::invalidArgument;
  for (int p = 0; p < dst.samples(); ++p)
    if (const Status st = copyPlane(dst, dstSub, dstX, dstY, src, srcSub, srcBox, p, src.samples() == 1 ? 0 : p);
        st != Status::ok)
      return st;
  return Status::ok;
}

// The average of the samples of box b of a multisampled subresource, stored in its format
// at `out` (rows `pitch` bytes apart).
void resolveBox(const Texture& src, int sub, const Box& b, uint8_t* out, size_t pitch) {
  const Format f = src.format();
  const Subresource& s = src.sub(sub);
  const StoreRowFn store = formatInfo(f).storeRow;
  const size_t bytes = formatInfo(f).bytes;
  const int n = src.samples();
  const float scale = 1.0f / float(n);
  Float4 sum[kChunk], one[kChunk];
  for (int y = b.top; y < b.bottom; ++y) {
    for (int x = b.left; x < b.right; x += kChunk) {
      const int m = b.right - x < kChunk ? b.right - x : kChunk;
      loadTexels(f, src.plane(sub, 0), s.pitch, x, y, m, sum);
      for (int p = 1; p < n; ++p) {
        loadTexels(f, src.plane(sub, p), s.pitch, x, y, m, one);
        for (int i = 0; i < m; ++i)
          for (int c = 0; c < 4; ++c) sum[i][c] += one[i][c];
      }
      for (int i = 0; i < m; ++i)
        for (int c = 0; c < 4; ++c) sum[i][c] *= scale;
      store(sum, out + size_t(y - b.top) * pitch + size_t(x - b.left) * bytes, m);
    }
  }
}

// Source columns (or rows) and their 1/256 weights for a linear stretch of n source texels
// from `first` onto m destination texels.
void linearTaps(int first, int n, int m, std::vector<int>& i0, std::vector<int>& i1, std::vector<int>& wt) {
  i0.resize(size_t(m));
  i1.resize(size_t(m));
  wt.resize(size_t(m));
  const float scale = float(n) / float(m);
  for (int x = 0; x < m; ++x) {
    const float f = (float(x) + 0.5f) * scale - 0.5f;
    const float fl = std::floor(f);
    int a = int(fl), w = int((f - fl) * 256.0f);
    if (w > 255) w = 255;
    int b = a + 1;
    if (a < 0) a = 0, w = 0;
    if (b > n - 1) b = n - 1;
    if (a > n - 1) a = n - 1;
    i0[size_t(x)] = first + a;
    i1[size_t(x)] = first + b;
    wt[size_t(x)] = w;
  }
}

}  // namespace

Status copyRegion(Texture& dst, int dstSub, int dstX, int dstY, Texture& src, int srcSub, const Box* srcBox) {
  if (!journalCall("CopyRegion", [&] {
        return std::to_string(dstSub) + " at " + std::to_string(dstX) + "," + std::to_string(dstY) + " from " +
               std::to_string(srcSub) + " " + boxText(srcBox);
      }))
    return Status::injectedFailure;
  return copyRegionImpl(dst, dstSub, dstX, dstY, src, srcSub, srcBox);
}

Status copyResource(Resource& dst, Resource& src) {
  if (!journalCall("CopyResource", [] { return std::string(); })) return Status::injectedFailure;
  if (&dst == &src || dst.kind() != src.kind()) return Status::invalidArgument;
  if (dst.kind() == Resource::Kind::buffer) {
    auto& d = static_cast<Buffer&>(dst);
    auto& s = static_cast<Buffer&>(src);
    if (d.size() != s.size()) return Status::invalidArgument;
    std::memcpy(d.data(), s.data(), d.size());
    return Status::ok;
  }
  auto& d = static_cast<Texture&>(dst);
  auto& s = static_cast<Texture&>(src);
  const TextureDesc &dd = d.desc(), &sd = s.desc();
  if (dd.width != sd.width || dd.height != sd.height || dd.levels != sd.levels || dd.slices != sd.slices ||
      dd.samples != sd.samples)
    return Status::invalidArgument;
  if (isBlock(dd.format) && !sameFamily(dd.format, sd.format)) return Status::unsupported;
  if (sameFamily(dd.format, sd.format)) {
    std::memcpy(d.storage(), s.storage(), d.storageSize());
    return Status::ok;
  }
  for (int i = 0; i < d.subresourceCount(); ++i)
    if (const Status st = copyRegionImpl(d, i, 0, 0, s, i, nullptr); st != Status::ok) return st;
  return Status::ok;
}

Status stretchRect(Texture& dst, int dstSub, const Box* dstRect, Texture& src, int srcSub, const Box* srcRect,
                   StretchFilter filter) {
  if (!journalCall("StretchRect", [&] {
        return std::to_string(dstSub) + " " + boxText(dstRect) + " from " + std::to_string(srcSub) + " " +
               boxText(srcRect) + (filter == StretchFilter::point ? " point" : " linear");
      }))
    return Status::injectedFailure;
  if (!validSub(dst, dstSub) || !validSub(src, srcSub)) return Status::invalidArgument;
  if (&dst == &src && dstSub == srcSub) return Status::invalidArgument;
  const Subresource& ds = dst.sub(dstSub);
  const Subresource& ss = src.sub(srcSub);
  Box db, sb;
  if (!clipBox(ds, dstRect, db) || !clipBox(ss, srcRect, sb)) return Status::invalidArgument;
  const Format df = dst.format(), sf = src.format();
  if (isBlock(df)) return Status::unsupported;
  const int dw = db.right - db.left, dh = db.bottom - db.top, sw = sb.right - sb.left, sh = sb.bottom - sb.top;
  if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return Status::ok;
  if (dst.samples() != 1) {
    // Into a multisampled texture only a same-size copy of one sample count or a
    // single-sample source, written to every sample.
    if (dw != sw || dh != sh || (src.samples() != 1 && src.samples() != dst.samples())) return Status::invalidArgument;
    return copyRegionImpl(dst, dstSub, db.left, db.top, src, srcSub, &sb);
  }
  uint8_t* dbase = dst.data(dstSub);
  const uint8_t* sbase = src.data(srcSub);
  size_t spitch = ss.pitch;
  const size_t dbytes = formatInfo(df).bytes;
  const StoreRowFn store = formatInfo(df).storeRow;
  // A multisampled source is resolved first (its box only), then stretched as it is.
  std::vector<uint8_t> resolved;
  if (src.samples() != 1) {
    if (isBlock(sf) || !formatInfo(sf).storeRow) return Status::unsupported;
    spitch = size_t(sw) * formatInfo(sf).bytes;
    resolved.resize(spitch * size_t(sh));
    resolveBox(src, srcSub, sb, resolved.data(), spitch);
    sbase = resolved.data();
    sb = Box{0, 0, sw, sh};
  }

  if (filter == StretchFilter::point) {
    // Destination texel x takes the source texel under its centre.
    std::vector<int> col(static_cast<size_t>(dw));
    for (int x = 0; x < dw; ++x) col[size_t(x)] = sb.left + int((int64_t(2 * x + 1) * sw) / (int64_t(2) * dw));
    const bool raw = sameFamily(df, sf) && !isBlock(sf);
    std::vector<Float4> srcRow(raw ? 0 : size_t(sw)), out(raw ? 0 : size_t(dw));
    int loaded = -1;
    for (int y = 0; y < dh; ++y) {
      const int sy = sb.top + int((int64_t(2 * y + 1) * sh) / (int64_t(2) * dh));
      uint8_t* drow = dbase + size_t(db.top + y) * ds.pitch + size_t(db.left) * dbytes;
      if (raw) {
        const uint8_t* srow = sbase + size_t(sy) * spitch;
        for (int x = 0; x < dw; ++x) std::memcpy(drow + size_t(x) * dbytes, srow + size_t(col[size_t(x)]) * dbytes, dbytes);
        continue;
      }
      if (sy != loaded) {
        loadTexels(sf, sbase, spitch, sb.left, sy, sw, srcRow.data());
        loaded = sy;
      }
      for (int x = 0; x < dw; ++x) out[size_t(x)] = srcRow[size_t(col[size_t(x)] - sb.left)];
      store(out.data(), drow, dw);
    }
    return Status::ok;
  }

  std::vector<int> cx0, cx1, wx, ry0, ry1, wy;
  linearTaps(0, sw, dw, cx0, cx1, wx);
  linearTaps(sb.top, sh, dh, ry0, ry1, wy);
  std::vector<Float4> top(static_cast<size_t>(sw)), bottom(static_cast<size_t>(sw)), out(static_cast<size_t>(dw));
  int topRow = -1, bottomRow = -1;
  for (int y = 0; y < dh; ++y) {
    const int y0 = ry0[size_t(y)], y1 = ry1[size_t(y)];
    if (y0 != topRow) {
      if (y0 == bottomRow) std::swap(top, bottom), std::swap(topRow, bottomRow);
      else loadTexels(sf, sbase, spitch, sb.left, y0, sw, top.data()), topRow = y0;
    }
    if (y1 != bottomRow) loadTexels(sf, sbase, spitch, sb.left, y1, sw, bottom.data()), bottomRow = y1;
    const int v = wy[size_t(y)];
    for (int x = 0; x < dw; ++x) {
      const size_t a = size_t(cx0[size_t(x)]), b = size_t(cx1[size_t(x)]);
      out[size_t(x)] = bilerp(top[a], top[b], bottom[a], bottom[b], wx[size_t(x)], v);
    }
    store(out.data(), dbase + size_t(db.top + y) * ds.pitch + size_t(db.left) * dbytes, dw);
  }
  return Status::ok;
}

Status updateSubresource(Texture& dst, int sub, const Box* box, const void* data, size_t rowPitch) {
  if (!journalCall("UpdateSubresource", [&] {
        return std::to_string(sub) + " " + boxText(box) + " pitch " + std::to_string(rowPitch);
      }))
    return Status::injectedFailure;
  if (!validSub(dst, sub) || data == nullptr || dst.samples() != 1) return Status::invalidArgument;
  const Subresource& s = dst.sub(sub);
  const Format f = dst.format();
  const size_t bytes = formatInfo(f).bytes;
  Box b;
  size_t rowLen, first;
  int rows;
  if (isBlock(f)) {
    if (!blockBox(s, box, b)) return Status::invalidArgument;
    rowLen = size_t((b.right - b.left) / 4) * bytes;
    rows = (b.bottom - b.top) / 4;
    first = size_t(b.top / 4) * s.pitch + size_t(b.left / 4) * bytes;
  } else {
    if (!clipBox(s, box, b)) return Status::invalidArgument;
    rowLen = size_t(b.right - b.left) * bytes;
    rows = b.bottom - b.top;
    first = size_t(b.top) * s.pitch + size_t(b.left) * bytes;
  }
  if (rowLen == 0 || rows == 0) return Status::ok;
  if (rows > 1 && rowPitch < rowLen) return Status::invalidArgument;
  copyBytesRect(dst.data(sub) + first, s.pitch, static_cast<const uint8_t*>(data), rowPitch, rowLen, rows);
  return Status::ok;
}

Status updateBuffer(Buffer& dst, const Box* box, const void* data) {
  if (!journalCall("UpdateBuffer", [&] { return boxText(box); })) return Status::injectedFailure;
  if (data == nullptr) return Status::invalidArgument;
  size_t left = 0, right = dst.size();
  if (box) {
    if (box->left < 0 || box->left > box->right || size_t(box->right) > dst.size() || box->top != 0 ||
        box->bottom != 1)
      return Status::invalidArgument;
    left = size_t(box->left);
    right = size_t(box->right);
  }
  std::memmove(dst.data() + left, data, right - left);
  return Status::ok;
}

Status resolveSubresource(Texture& dst, int dstSub, Texture& src, int srcSub, Format format) {
  if (!journalCall("ResolveSubresource", [&] { return std::to_string(dstSub) + " from " + std::to_string(srcSub); }))
    return Status::injectedFailure;
  if (!validSub(dst, dstSub) || !validSub(src, srcSub)) return Status::invalidArgument;
  if (!sameFamily(format, dst.format()) || !sameFamily(format, src.format())) return Status::invalidArgument;
  if (dst.sub(dstSub).width != src.sub(srcSub).width || dst.sub(dstSub).height != src.sub(srcSub).height ||
      dst.samples() != 1)
    return Status::invalidArgument;
  if (src.samples() == 1) return copyRegionImpl(dst, dstSub, 0, 0, src, srcSub, nullptr);
  if (isBlock(format) || !formatInfo(format).storeRow || !formatInfo(dst.format()).storeRow)
    return Status::unsupported;
  const Subresource& d = dst.sub(dstSub);
  resolveBox(src, srcSub, Box{0, 0, d.width, d.height}, dst.data(dstSub), d.pitch);
  return Status::ok;
}

namespace {

// Repeats one stored texel over a rectangle: the first row texel by texel, then row copies.
void fillStored(uint8_t* base, size_t pitch, size_t bytes, const Box& b, const uint8_t* texel) {
  const int w = b.right - b.left;
  if (bytes == 4) {
    // Every row stored from the word itself: no row is read back to copy it.
    uint32_t word;
    std::memcpy(&word, texel, 4);
    for (int y = b.top; y < b.bottom; ++y) {
      uint8_t* row = base + size_t(y) * pitch + size_t(b.left) * 4;
      int x = 0;
#if defined(__SSE2__)
      const __m128i four = _mm_set1_epi32(int(word));
      for (; x + 4 <= w; x += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(row + size_t(x) * 4), four);
#endif
      for (; x < w; ++x) std::memcpy(row + size_t(x) * 4, &word, 4);
    }
    return;
  }
  uint8_t* first = base + size_t(b.top) * pitch + size_t(b.left) * bytes;
  if (bytes == 1) {
    std::memset(first, texel[0], size_t(w));
  } else {
    for (int x = 0; x < w; ++x) std::memcpy(first + size_t(x) * bytes, texel, bytes);
  }
  for (int y = b.top + 1; y < b.bottom; ++y)
    std::memcpy(base + size_t(y) * pitch + size_t(b.left) * bytes, first, size_t(w) * bytes);
}

Status fillImpl(Texture& dst, int sub, const Box* rect, const Float4& colour, Format as) {
  if (!validSub(dst, sub)) return Status::invalidArgument;
  if (as == Format::Unknown) as = dst.format();
  if (!sameFamily(as, dst.format())) return Status::invalidArgument;
  const FormatInfo& info = formatInfo(as);
  if (!info.storeRow) return Status::unsupported;
  const Subresource& s = dst.sub(sub);
  Box b;
  if (!clipBox(s, rect, b)) return Status::invalidArgument;
  if (b.left == b.right || b.top == b.bottom) return Status::ok;
  uint8_t texel[16];
  info.storeRow(&colour, texel, 1);
  for (int p = 0; p < dst.samples(); ++p) fillStored(dst.plane(sub, p), s.pitch, info.bytes, b, texel);
  return Status::ok;
}

}  // namespace

Status fillRect(Texture& dst, int sub, const Box* rect, const Float4& colour, Format as) {
  if (!journalCall("FillRect", [&] { return std::to_string(sub) + " " + boxText(rect); })) return Status::injectedFailure;
  return fillImpl(dst, sub, rect, colour, as);
}

Status clearRenderTarget(View& target, const Float4& colour) {
  if (!journalCall("ClearRenderTarget", [] { return std::string(); })) return Status::injectedFailure;
  if (target.desc().kind != ViewKind::renderTarget) return Status::invalidArgument;
  for (int slice = 0; slice < target.desc().sliceCount; ++slice)
    if (const Status s = fillImpl(target.texture(), target.subresource(0, slice), nullptr, colour, target.format());
        s != Status::ok)
      return s;
  return Status::ok;
}

Status clearDepthStencil(View& depth, bool clearDepth, float value, bool clearStencil, uint8_t stencil) {
  if (!journalCall("ClearDepthStencil", [&] { return std::to_string(value) + " " + std::to_string(stencil); }))
    return Status::injectedFailure;
  if (depth.desc().kind != ViewKind::depthStencil) return Status::invalidArgument;
  Texture& t = depth.texture();
  const Format f = depth.format();
  // A screen clear comes every frame whether or not anything tested depth since: when no
  // byte of the texture was written since this view's last clear, and that clear filled
  // what this one asks for, the buffer already holds it.
  View::Cleared& last = depth.cleared();
  uint32_t depthBits;
  std::memcpy(&depthBits, &value, 4);
  bool mapped = false;
  for (int sub = 0; sub < t.subresourceCount(); ++sub) mapped = mapped || t.isMapped(sub);
  if (!mapped && last.writes == t.writes() && (!clearDepth || (last.depth && last.depthBits == depthBits)) &&
      (!clearStencil || (last.stencil && last.stencilValue == stencil)))
    return Status::ok;
  const bool untouched = last.writes == t.writes();
  for (int slice = 0; slice < depth.desc().sliceCount; ++slice) {
    const int sub = depth.subresource(0, slice);
    const Subresource& s = t.sub(sub);
    if (f == Format::D24S8) {
      // Depth and stencil share each word: clear only the asked parts.
      const uint32_t keep = (clearDepth ? 0u : 0x00FFFFFFu) | (clearStencil ? 0u : 0xFF000000u);
      const uint32_t set = (clearDepth ? floatToUnorm(value, 24) : 0u) | (clearStencil ? uint32_t(stencil) << 24 : 0u);
      if (keep == 0xFFFFFFFFu) continue;
      uint8_t* base = t.data(sub);
      const Box rows{0, 0, s.width, s.height * t.samples()};  // sample planes follow one another
      if (keep == 0) {
        uint8_t texel[4];
        std::memcpy(texel, &set, 4);
        fillStored(base, s.pitch, 4, rows, texel);
        continue;
      }
      for (int y = 0; y < rows.bottom; ++y) {
        uint8_t* p = base + size_t(y) * s.pitch;
        for (int x = 0; x < s.width; ++x, p += 4) {
          uint32_t v;
          std::memcpy(&v, p, 4);
          v = (v & keep) | set;
          std::memcpy(p, &v, 4);
        }
      }
    } else if (clearDepth) {
      fillImpl(t, sub, nullptr, Float4{value, 0.0f, 0.0f, 1.0f}, f);
    }
  }
  // What this clear filled adds to what the last one left while nothing came between.
  last.depth = clearDepth || (untouched && last.depth);
  last.stencil = clearStencil || (untouched && last.stencil);
  if (clearDepth) last.depthBits = depthBits;
  if (clearStencil) last.stencilValue = stencil;
  last.writes = t.writes();
  return Status::ok;
}

Status map(Resource& resource, int sub, MapMode mode, Mapped& out) {
  if (!journalCall("Map", [&] { return std::to_string(sub) + " mode " + std::to_string(int(mode)); }))
    return Status::injectedFailure;
  if (sub < 0 || sub >= resource.subresourceCount() || resource.isMapped(sub)) return Status::invalidArgument;
  const uint32_t cpu = resource.cpuAccess();
  bool allowed = false;
  switch (mode) {
    case MapMode::read: allowed = resource.usage() == Usage::Staging && (cpu & kCpuRead); break;
    case MapMode::write: allowed = resource.usage() == Usage::Staging && (cpu & kCpuWrite); break;
    case MapMode::readWrite: allowed = resource.usage() == Usage::Staging && cpu == (kCpuRead | kCpuWrite); break;
    case MapMode::writeDiscard:
    case MapMode::writeNoOverwrite: allowed = resource.usage() == Usage::Dynamic && (cpu & kCpuWrite); break;
  }
  if (!allowed) return Status::invalidArgument;
  if (resource.kind() == Resource::Kind::buffer) {
    auto& b = static_cast<Buffer&>(resource);
    out = Mapped{b.data(), b.size(), b.size()};
  } else {
    auto& t = static_cast<Texture&>(resource);
    out = Mapped{t.data(sub), t.sub(sub).pitch, t.sub(sub).size};
  }
  resource.setMapped(sub, true);
  return Status::ok;
}

Status unmap(Resource& resource, int sub) {
  if (!journalCall("Unmap", [&] { return std::to_string(sub); })) return Status::injectedFailure;
  if (!resource.isMapped(sub)) return Status::notMapped;
  resource.setMapped(sub, false);
  return Status::ok;
}

}  // namespace plat::gpu
