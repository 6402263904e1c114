// Direct3D 9 device buffers of vertex and index buffer handles: made on the first write with
// the handle's size (when the device allows device buffers), written range by range through
// a lock, released with the handle or the device and refilled from the kept copy after a
// device re-creation.
#include <cstdint>
#include <cstring>

#include "media/base/handle.h"
#include "media/base/log.h"
#include "media/graphics/d3d9/d3d9_upload.h"
#include "media/graphics/hwdraw/hwdraw.h"
#include "media/graphics/shader.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

bool isIndexBuffer(const BufferHandleData* buffer) {
    return ((buffer->header.Handle >> HANDLE_TYPE_SHIFT) & (HANDLETYPE_COUNT - 1)) == HANDLETYPE_INDEX_BUFFER;
}

// Device buffers need vertex processing on the device or vertex shaders 2.0.
bool deviceBuffersAllowed() { return D3D9DeviceSys.hardwareVertexProcessing || D3D9DeviceSys.vertexShader20; }

// The device buffer of the handle's whole size; -1 (logged) when it cannot be made.
int createDeviceBuffer(BufferHandleData* buffer) {
    const bool index = isIndexBuffer(buffer);
    const int64_t bytes = int64_t(buffer->elementSize) * int64_t(buffer->elementCount);
    int result = -1;
    if (bytes > 0 && bytes <= INT32_MAX) {
        if (index) {
            IDirect3DIndexBuffer9* object = nullptr;
            result = Direct3DDevice9_CreateIndexBuffer(UINT(bytes), D3DUSAGE_WRITEONLY,
                                                       buffer->elementSize == 4 ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
                                                       D3DPOOL_DEFAULT, &object);
            buffer->deviceObject = result == 0 ? object : nullptr;
        } else {
            IDirect3DVertexBuffer9* object = nullptr;
            result =
                Direct3DDevice9_CreateVertexBuffer(UINT(bytes), D3DUSAGE_WRITEONLY, 0x2D2, D3DPOOL_DEFAULT, &object);
            buffer->deviceObject = result == 0 ? object : nullptr;
        }
    }
    if (buffer->deviceObject == nullptr) {
        LogAddTextUtf16(index ? u"インデックスバッファの作成に失敗しました\n" : u"頂点バッファの作成に失敗しました\n");
        return -1;
    }
    return 0;
}

template <class B>
int writeRange(B* object, const BufferHandleData* buffer, int start, const void* data, int count, bool index) {
    const UINT size = UINT(buffer->elementSize);
    void* at = nullptr;
    if (Direct3DVertexBuffer9_Lock(object, UINT(start) * size, UINT(count) * size, &at, 0) != D3D_OK || at == nullptr) {
        LogAddTextUtf16(index ? u"インデックスバッファのロックに失敗しました\n"
                              : u"頂点バッファのロックに失敗しました\n");
        return -1;
    }
    std::memcpy(at, data, size_t(count) * size);
    Direct3DVertexBuffer9_Unlock(object);
    return 0;
}

int setData(BufferHandleData* buffer, int start, const void* data, int count) {
    if (buffer == nullptr || data == nullptr || !Direct3DDevice9_IsValid()) return -1;
    const int64_t first = start, n = count;
    if (first < 0 || n < 0 || buffer->elementSize <= 0 || first + n > buffer->elementCount) return -1;
    // Without device buffers the handle's kept copy is the buffer.
    if (!deviceBuffersAllowed()) return 0;
    if (buffer->deviceObject == nullptr && createDeviceBuffer(buffer) < 0) return -1;
    if (n == 0) return 0;
    Graphics_D3D9_FlushVertexBatch(0);
    if (isIndexBuffer(buffer))
        return writeRange(static_cast<IDirect3DIndexBuffer9*>(buffer->deviceObject), buffer, start, data, count, true);
    return writeRange(static_cast<IDirect3DVertexBuffer9*>(buffer->deviceObject), buffer, start, data, count, false);
}

}  // namespace

int Graphics_D3D9_SetVertexBufferData(BufferHandleData* buffer, int start, const void* data, int count) {
    return setData(buffer, start, data, count);
}

int Graphics_D3D9_SetIndexBufferData(BufferHandleData* buffer, int start, const void* data, int count) {
    return setData(buffer, start, data, count);
}

int Graphics_D3D9_Buffer_Terminate(BufferHandleData* buffer) {
    if (buffer == nullptr || buffer->deviceObject == nullptr) return 0;
    auto* object = static_cast<plat::win::IUnknown*>(buffer->deviceObject);
    buffer->deviceObject = nullptr;
    // A buffer still bound would be bound again by the next state resend.
    D3D9DeviceStateCache& c = D3D9State;
    if (static_cast<plat::win::IUnknown*>(c.indexBuffer) == object) Graphics_D3D9_DeviceState_SetIndexBuffer(nullptr);
    if (static_cast<plat::win::IUnknown*>(c.stream) == object) Graphics_D3D9_DeviceState_SetStreamSource(nullptr, 0);
    Direct3D9Object_Release(object);
    return 0;
}

int Graphics_D3D9_RestoreUserBuffers() {
    if (!deviceBuffersAllowed()) return 0;
    for (int type : {int(HANDLETYPE_VERTEX_BUFFER), int(HANDLETYPE_INDEX_BUFFER)})
        ForEachHandleRecord(type, [](HandleEntryHeader* h) {
            auto* buffer = reinterpret_cast<BufferHandleData*>(h);
            if (buffer->deviceObject != nullptr || buffer->elementCount <= 0) return;
            if (createDeviceBuffer(buffer) < 0 || buffer->systemCopy == nullptr) return;
            setData(buffer, 0, buffer->systemCopy, buffer->elementCount);
        });
    return 0;
}

}  // namespace ZaDod
