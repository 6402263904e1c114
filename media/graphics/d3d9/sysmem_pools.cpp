// Direct3D 9 system-memory staging pools: surfaces and textures lent to transfers into
// default-pool objects, kept by shape after use and released once unused for two seconds.
#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/base/thread.h"
#include "media/graphics/d3d9/d3d9_upload.h"
#include "media/system/system.h"
#include "media/system/window_state.h"

namespace ZaDod {

D3D9Pool D3D9SurfacePool;
D3D9Pool D3D9TexturePool;

namespace {

using namespace plat::gpu;

struct Shape {
    int cube, width, height, levels;
    D3DFORMAT format;
    bool matches(const D3D9PoolEntry& e) const {
        return e.width == width && e.height == height && e.format == format && e.cube == cube && e.levels == levels;
    }
};

void releaseEntry(D3D9Pool& pool, D3D9PoolEntry& e) {
    if (e.object != nullptr) Direct3D9Object_Release(e.object);
    e = D3D9PoolEntry{};
    --pool.count;
}

int releaseAll(D3D9Pool& pool, int keepLent) {
    for (D3D9PoolEntry& e : pool.entries)
        if (e.used && !(keepLent && e.lent)) releaseEntry(pool, e);
    return 0;
}

void logFailure(bool surface, const Shape& s, HRESULT hr, const D3D9Pool& pool) {
    const int blocks = MemGetAllocNum();
    const int bytes = int(MemGetTotalAllocSize());
    if (surface) {
        LogFormatUtf16(
            u"メモリサーフェスの作成に失敗しました PosNo.1  エラーコード:0x%08x SizeX:%d SizeY:%d Format:%d "
            u"総メモリ確保数:%d 総確保メモリサイズ:%dByte(%dKByte)\n",
            unsigned(hr), s.width, s.height, int(s.format), blocks, bytes, bytes / 1024);
    } else {
        LogFormatUtf16(s.cube ? u"メモリキューブマップテクスチャの作成に失敗しました  エラーコード:0x%08x SizeX:%d "
                                u"SizeY:%d Format:%d 総メモリ確保数:%d 総確保メモリサイズ:%dByte(%dKByte)\n"
                              : u"メモリテクスチャの作成に失敗しました  エラーコード:0x%08x SizeX:%d SizeY:%d "
                                u"Format:%d 総メモリ確保数:%d 総確保メモリサイズ:%dByte(%dKByte)\n",
                       unsigned(hr), s.width, s.height, int(s.format), blocks, bytes, bytes / 1024);
    }
    if (pool.reported) return;
    if (surface) {
        LogFormatUtf16(
            u"メモリサーフェスの作成に失敗しました PosNo.2  エラーコード:0x%08x SizeX:%d SizeY:%d Format:%d "
            u"総メモリ確保数:%d 総確保メモリサイズ:%dByte(%dKByte)\n",
            unsigned(hr), s.width, s.height, int(s.format), blocks, bytes, bytes / 1024);
        LogFormatUtf16(u"非管理テクスチャへのデータ転送用システムメモリ配置サーフェスの数：%d\n", pool.count);
    } else {
        LogFormatUtf16(u"非管理テクスチャへのデータ転送用システムメモリ配置テクスチャの数：%d\n", pool.count);
    }
    for (int i = 0; i < kD3D9PoolEntries; ++i) {
        const D3D9PoolEntry& e = pool.entries[i];
        if (!e.used) continue;
        if (surface)
            LogFormatUtf16(u"No%d. UseFlag:%d UseCount:%d SizeX:%d SizeY:%d Format:%d\n", i, e.lent, int(e.useCount),
                           e.width, e.height, int(e.format));
        else
            LogFormatUtf16(u"No%d. UseFlag:%d UseCount:%d CubeMap:%d SizeX:%d SizeY:%d MipMapCount:%d Format:%d\n", i,
                           e.lent, int(e.useCount), e.cube, e.width, e.height, e.levels, int(e.format));
    }
}

HRESULT createObject(bool surface, const Shape& s, plat::win::IUnknown** out) {
    *out = nullptr;
    HRESULT hr;
    if (surface) {
        IDirect3DSurface9* o = nullptr;
        hr =
            Direct3DDevice9_CreateOffscreenPlainSurface(UINT(s.width), UINT(s.height), s.format, D3DPOOL_SYSTEMMEM, &o);
        *out = o;
    } else if (s.cube) {
        IDirect3DCubeTexture9* o = nullptr;
        hr = Direct3DDevice9_CreateCubeTexture(UINT(s.width), UINT(s.levels), D3DUSAGE_DYNAMIC, s.format,
                                               D3DPOOL_SYSTEMMEM, &o);
        *out = o;
    } else {
        IDirect3DTexture9* o = nullptr;
        hr = Direct3DDevice9_CreateTexture(UINT(s.width), UINT(s.height), UINT(s.levels), D3DUSAGE_DYNAMIC, s.format,
                                           D3DPOOL_SYSTEMMEM, &o);
        *out = o;
    }
    if (hr == D3D_OK && *out == nullptr) hr = E_FAIL;
    return hr;
}

// Main thread: an entry of the shape, lent out; -1 when every one of its 16 is lent or the
// pool is full of lent entries (worth asking again once one comes back); -2 when there is
// no device or the object cannot be made.
int get(D3D9Pool& pool, bool surface, const Shape& s) {
    if (!Direct3DDevice9_IsValid()) return -2;
    int lentOfShape = 0;
    for (int i = 0; i < kD3D9PoolEntries; ++i) {
        D3D9PoolEntry& e = pool.entries[i];
        if (!e.used || !s.matches(e)) continue;
        if (!e.lent) {
            e.lent = 1;
            ++e.useCount;
            return i;
        }
        if (++lentOfShape >= kD3D9PoolDuplicates) return -1;
    }
    int slot = -1;
    if (pool.count >= kD3D9PoolEntries) {
        // Full: the least used entry that is free gives way (the last of equals).
        for (int i = 0; i < kD3D9PoolEntries; ++i) {
            const D3D9PoolEntry& e = pool.entries[i];
            if (!e.lent && (slot < 0 || e.useCount <= pool.entries[slot].useCount)) slot = i;
        }
        if (slot < 0) return -1;
        releaseEntry(pool, pool.entries[slot]);
    } else {
        for (int i = 0; i < kD3D9PoolEntries && slot < 0; ++i)
            if (!pool.entries[i].used) slot = i;
    }
    plat::win::IUnknown* object = nullptr;
    HRESULT hr = createObject(surface, s, &object);
    if (hr != D3D_OK) {
        // Free staging memory may be what is missing: drop what is not lent and try again.
        logFailure(surface, s, hr, pool);
        pool.reported = 1;
        releaseAll(pool, 1);
        hr = createObject(surface, s, &object);
        if (hr != D3D_OK) return -2;
    }
    D3D9PoolEntry& e = pool.entries[slot];
    e = D3D9PoolEntry{1, 1, uint8_t(s.cube), uint8_t(s.levels), uint16_t(s.width), uint16_t(s.height), s.format,
                      1, 0, object};
    ++pool.count;
    return slot;
}

int giveBack(D3D9Pool& pool, int index) {
    if (index < 0 || index >= kD3D9PoolEntries) return -1;
    D3D9PoolEntry& e = pool.entries[index];
    if (!e.used || !e.lent) return -1;
    e.lent = 0;
    e.returnTime = uint32_t(GetMillisecondCount());
    return 0;
}

int releaseUnused(D3D9Pool& pool) {
    if (!IsMainThread()) return -1;
    const uint32_t now = uint32_t(GetMillisecondCount());
    for (D3D9PoolEntry& e : pool.entries)
        if (e.used && !e.lent && now - e.returnTime >= uint32_t(kD3D9PoolKeepMs)) releaseEntry(pool, e);
    return 0;
}

}  // namespace

int Graphics_D3D9_SysMemSurface_Get(int width, int height, D3DFORMAT format, int async) {
    const Shape s{0, width, height, 0, format};
    return int(D3D9_RunPosted(async, [&] { return HRESULT(get(D3D9SurfacePool, true, s)); }));
}

int Graphics_D3D9_SysMemSurface_Release(int index, int async) {
    return int(D3D9_RunPosted(async, [&] { return HRESULT(giveBack(D3D9SurfacePool, index)); }));
}

int Graphics_D3D9_SysMemSurface_ReleaseAll(int keepLent) { return releaseAll(D3D9SurfacePool, keepLent); }
int Graphics_D3D9_SysMemSurface_ReleaseUnused() { return releaseUnused(D3D9SurfacePool); }

int Graphics_D3D9_SysMemTexture_Get(int cube, int width, int height, int levels, D3DFORMAT format, int async) {
    const Shape s{cube ? 1 : 0, width, height, levels, format};
    return int(D3D9_RunPosted(async, [&] { return HRESULT(get(D3D9TexturePool, false, s)); }));
}

int Graphics_D3D9_SysMemTexture_GetForGraph(const GraphOrigData* orig, const GraphTextureTile* tile, int async) {
    return Graphics_D3D9_SysMemTexture_Get(orig->request.cubeMap, tile->textureWidth, tile->textureHeight,
                                           D3D9_GraphLevels(orig), D3D9_GraphFormat(orig), async);
}

int Graphics_D3D9_SysMemTexture_Release(int index, int async) {
    return int(D3D9_RunPosted(async, [&] { return HRESULT(giveBack(D3D9TexturePool, index)); }));
}

int Graphics_D3D9_SysMemTexture_ReleaseAll(int keepLent) { return releaseAll(D3D9TexturePool, keepLent); }
int Graphics_D3D9_SysMemTexture_ReleaseUnused() { return releaseUnused(D3D9TexturePool); }

int Graphics_D3D9_SysMemCache_ReleaseAll() {
    // An open draw-target lock may hold a pool surface: it ends first.
    Graphics_D3D9_UnlockDrawTargetBuffer();
    Graphics_D3D9_SysMemTexture_ReleaseAll(0);
    Graphics_D3D9_SysMemSurface_ReleaseAll(0);
    return 0;
}

// Loading workers wait without the pump, which is the main thread's.
int D3D9_PoolWaitStep() {
    if (IsMainThread() && ProcessWindowMessagesCore() < 0) return -1;
    Thread_Sleep(1);
    return 0;
}

}  // namespace ZaDod
