// The Direct3D 9 resource wrappers: surface, texture, cube-texture and buffer locks and
// the plain release of any object; the posting ones run a loading worker's call on the
// main thread.
#include "media/graphics/d3d9/backend.h"

namespace ZaDod {

using namespace plat::gpu;
namespace win = plat::win;

HRESULT Direct3DSurface9_LockRect(IDirect3DSurface9* surface, D3DLOCKED_RECT* locked, const win::RECT* rect,
                                  DWORD flags, int ASyncThread) {
    return D3D9_RunPosted(ASyncThread, [&] { return surface->LockRect(locked, rect, flags); });
}

HRESULT Direct3DSurface9_UnlockRect(IDirect3DSurface9* surface, int ASyncThread) {
    return D3D9_RunPosted(ASyncThread, [&] { return surface->UnlockRect(); });
}

HRESULT Direct3DSurface9_GetDesc(IDirect3DSurface9* surface, D3DSURFACE_DESC* desc) {
    return surface->GetDesc(desc);
}

HRESULT Direct3DTexture9_GetSurfaceLevel(IDirect3DTexture9* texture, UINT level, IDirect3DSurface9** out,
                                         int ASyncThread) {
    return D3D9_RunPosted(ASyncThread, [&] { return texture->GetSurfaceLevel(level, out); });
}

HRESULT Direct3DTexture9_LockRect(IDirect3DTexture9* texture, UINT level, D3DLOCKED_RECT* locked,
                                  const win::RECT* rect, DWORD flags, int ASyncThread) {
    return D3D9_RunPosted(ASyncThread, [&] { return texture->LockRect(level, locked, rect, flags); });
}

HRESULT Direct3DTexture9_UnlockRect(IDirect3DTexture9* texture, UINT level, int ASyncThread) {
    return D3D9_RunPosted(ASyncThread, [&] { return texture->UnlockRect(level); });
}

HRESULT Direct3DCubeTexture9_GetCubeMapSurface(IDirect3DCubeTexture9* texture, D3DCUBEMAP_FACES face, UINT level,
                                               IDirect3DSurface9** out, int ASyncThread) {
    return D3D9_RunPosted(ASyncThread, [&] { return texture->GetCubeMapSurface(face, level, out); });
}

HRESULT Direct3DCubeTexture9_LockRect(IDirect3DCubeTexture9* texture, D3DCUBEMAP_FACES face, UINT level,
                                      D3DLOCKED_RECT* locked, const win::RECT* rect, DWORD flags, int ASyncThread) {
    return D3D9_RunPosted(ASyncThread, [&] { return texture->LockRect(face, level, locked, rect, flags); });
}

HRESULT Direct3DCubeTexture9_UnlockRect(IDirect3DCubeTexture9* texture, D3DCUBEMAP_FACES face, UINT level,
                                        int ASyncThread) {
    return D3D9_RunPosted(ASyncThread, [&] { return texture->UnlockRect(face, level); });
}

HRESULT Direct3DVertexBuffer9_Lock(IDirect3DVertexBuffer9* buffer, UINT offset, UINT size, void** data,
                                   DWORD flags) {
    return buffer->Lock(offset, size, data, flags);
}
HRESULT Direct3DVertexBuffer9_Unlock(IDirect3DVertexBuffer9* buffer) { return buffer->Unlock(); }

HRESULT Direct3DVertexBuffer9_Lock(IDirect3DIndexBuffer9* buffer, UINT offset, UINT size, void** data,
                                   DWORD flags) {
    return buffer->Lock(offset, size, data, flags);
}
HRESULT Direct3DVertexBuffer9_Unlock(IDirect3DIndexBuffer9* buffer) { return buffer->Unlock(); }

int Direct3D9Object_Release(win::IUnknown* object, int ASyncThread) {
    if (object == nullptr) return 0;
    return static_cast<int>(D3D9_RunPosted(ASyncThread, [&] { return HRESULT(object->Release()); }));
}

}  // namespace ZaDod
