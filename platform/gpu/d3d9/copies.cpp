// Direct3D 9 face: copies between surfaces and textures, read-backs and fills, each
// checked against both objects before the core copies a byte.
#include "platform/gpu/d3d9/d3d9_internal.h"

namespace plat::gpu::d3d9 {

namespace {

bool drawable(const Surface& s) { return (s.usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) != 0 || s.pool == D3DPOOL_DEFAULT; }

}  // namespace

HRESULT stretchSurface(IDirect3DSurface9* source, const RECT* srcRect, IDirect3DSurface9* dest, const RECT* dstRect,
                       D3DTEXTUREFILTERTYPE filter) {
  Surface* s = surfaceOf(source);
  Surface* d = surfaceOf(dest);
  if (!s || !d || s == d || filter > D3DTEXF_LINEAR || s->pool != D3DPOOL_DEFAULT || d->pool != D3DPOOL_DEFAULT)
    return D3DERR_INVALIDCALL;
  const Subresource& ss = s->texture->sub(s->sub);
  const Subresource& ds = d->texture->sub(d->sub);
  Box sb, db;
  if (!boxOf(srcRect, ss.width, ss.height, sb) || !boxOf(dstRect, ds.width, ds.height, db)) return D3DERR_INVALIDCALL;
  const bool same = sb.right - sb.left == db.right - db.left && sb.bottom - sb.top == db.bottom - db.top;
  // A multisampled source into a single-sample surface is a resolve: the core's stretch
  // averages the samples of the rectangle first.
  const bool resolve = s->texture->samples() != d->texture->samples();
  if (same && s->texture->format() == d->texture->format() && !resolve)
    return toResult(copyRegion(*d->texture, d->sub, db.left, db.top, *s->texture, s->sub, &sb));
  return toResult(stretchRect(*d->texture, d->sub, &db, *s->texture, s->sub, &sb,
                              filter == D3DTEXF_LINEAR ? StretchFilter::linear : StretchFilter::point));
}

HRESULT updateSurface(IDirect3DSurface9* source, const RECT* srcRect, IDirect3DSurface9* dest,
                      const plat::win::POINT* at) {
  Surface* s = surfaceOf(source);
  Surface* d = surfaceOf(dest);
  if (!s || !d || s->pool != D3DPOOL_SYSTEMMEM || d->pool != D3DPOOL_DEFAULT || s->format != d->format)
    return D3DERR_INVALIDCALL;
  const Subresource& ss = s->texture->sub(s->sub);
  const Subresource& ds = d->texture->sub(d->sub);
  Box sb;
  if (!boxOf(srcRect, ss.width, ss.height, sb)) return D3DERR_INVALIDCALL;
  const int x = at ? int(at->x) : 0, y = at ? int(at->y) : 0;
  if (x < 0 || y < 0 || int64_t(x) + (sb.right - sb.left) > ds.width || int64_t(y) + (sb.bottom - sb.top) > ds.height)
    return D3DERR_INVALIDCALL;
  return toResult(copyRegion(*d->texture, d->sub, x, y, *s->texture, s->sub, &sb));
}

HRESULT updateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* dest) {
  FaceResource* s = faceOf(source);
  FaceResource* d = faceOf(dest);
  if (!s || !d || !s->texture || !d->texture || s->pool != D3DPOOL_SYSTEMMEM || d->pool != D3DPOOL_DEFAULT ||
      s->format != d->format || source->GetType() != dest->GetType())
    return D3DERR_INVALIDCALL;
  Texture& st = *s->texture;
  Texture& dt = *d->texture;
  // The destination's levels are the top of the source's chain: level i of the destination
  // matches level i + skip of the source.
  const int skip = st.levels() - dt.levels();
  if (skip < 0 || levelSize(st.desc().width, skip) != dt.desc().width ||
      levelSize(st.desc().height, skip) != dt.desc().height)
    return D3DERR_INVALIDCALL;
  for (int face = 0; face < dt.desc().slices; ++face)
    for (int level = 0; level < dt.levels(); ++level) {
      const Status r = copyRegion(dt, dt.subresourceIndex(level, face), 0, 0, st, st.subresourceIndex(level + skip, face), nullptr);
      if (r != Status::ok) return toResult(r);
    }
  return D3D_OK;
}

HRESULT renderTargetData(IDirect3DSurface9* target, IDirect3DSurface9* dest) {
  Surface* s = surfaceOf(target);
  Surface* d = surfaceOf(dest);
  if (!s || !d || s->pool != D3DPOOL_DEFAULT || d->pool != D3DPOOL_SYSTEMMEM || s->format != d->format)
    return D3DERR_INVALIDCALL;
  const Subresource& ss = s->texture->sub(s->sub);
  const Subresource& ds = d->texture->sub(d->sub);
  if (ss.width != ds.width || ss.height != ds.height) return D3DERR_INVALIDCALL;
  return toResult(copyRegion(*d->texture, d->sub, 0, 0, *s->texture, s->sub, nullptr));
}

HRESULT colourFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR colour) {
  Surface* s = surfaceOf(surface);
  if (!s || !drawable(*s) || (s->usage & D3DUSAGE_DEPTHSTENCIL) || isBlock(s->texture->format()))
    return D3DERR_INVALIDCALL;
  const Subresource& ss = s->texture->sub(s->sub);
  Box b;
  if (!boxOf(rect, ss.width, ss.height, b)) return D3DERR_INVALIDCALL;
  return toResult(fillRect(*s->texture, s->sub, &b, colourOf(colour)));
}

}  // namespace plat::gpu::d3d9
