// Direct3D 11 device buffers of vertex and index buffer handles: made on the first write
// with the handle's size, written range by range, released with the handle or the device,
// and made again and refilled from the handle's kept copy when the device comes back.
#include <cstdint>

#include "media/base/handle.h"
#include "media/base/log.h"
#include "media/graphics/d3d11/d3d11_backend.h"
#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/hwdraw/hwdraw.h"
#include "media/graphics/shader.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using plat::win::S_OK;

bool isIndexBuffer(const BufferHandleData* buffer) {
    return ((buffer->header.Handle >> HANDLE_TYPE_SHIFT) & (HANDLETYPE_COUNT - 1)) == HANDLETYPE_INDEX_BUFFER;
}

// The device buffer of the handle's whole size; -1 (logged) when it cannot be made.
int createDeviceBuffer(BufferHandleData* buffer) {
    const bool index = isIndexBuffer(buffer);
    const int64_t bytes = int64_t(buffer->elementSize) * int64_t(buffer->elementCount);
    ID3D11Buffer* object = nullptr;
    if (bytes > 0 && bytes <= INT32_MAX) {
        const D3D11_BUFFER_DESC desc{UINT(bytes), D3D11_USAGE_DEFAULT,
                                     UINT(index ? D3D11_BIND_INDEX_BUFFER : D3D11_BIND_VERTEX_BUFFER), 0, 0, 0};
        if (D3D11Device_CreateBuffer(&desc, nullptr, &object) != S_OK) object = nullptr;
    }
    if (object == nullptr) {
        LogAddTextUtf16(index ? u"インデックスバッファハンドル用のインデックスバッファの作成に失敗しました\n"
                              : u"頂点バッファハンドル用の頂点バッファの作成に失敗しました\n");
        return -1;
    }
    buffer->deviceObject = object;
    return 0;
}

}  // namespace

int Graphics_D3D11_SetVertexOrIndexBufferData(BufferHandleData* buffer, int start, const void* data, int count) {
    if (buffer == nullptr || data == nullptr || !D3D11Device_IsValid()) return -1;
    const int64_t first = start, n = count, size = buffer->elementSize;
    if (first < 0 || n < 0 || size <= 0 || first + n > buffer->elementCount) return -1;
    if (buffer->deviceObject == nullptr && createDeviceBuffer(buffer) < 0) return -1;
    if (n == 0) return 0;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    const D3D11_BOX box{UINT(first * size), 0, 0, UINT((first + n) * size), 1, 1};
    D3D11DeviceContext_UpdateSubresource(static_cast<ID3D11Buffer*>(buffer->deviceObject), 0, &box, data, 0, 0);
    return 0;
}

int Graphics_D3D11_Buffer_Terminate(BufferHandleData* buffer) {
    if (buffer == nullptr || buffer->deviceObject == nullptr) return 0;
    auto* object = static_cast<ID3D11Buffer*>(buffer->deviceObject);
    buffer->deviceObject = nullptr;
    // A buffer still bound would be bound again by the next state re-send.
    D3D11DeviceStateCache& c = D3D11State;
    if (c.vertexBuffer == object) c.vertexBuffer = nullptr;
    if (c.indexBuffer == object) c.indexBuffer = nullptr;
    D3D11Buffer_Release(object);
    return 0;
}

int Graphics_D3D11_ReleaseUserBuffers() {
    for (int type : {int(HANDLETYPE_VERTEX_BUFFER), int(HANDLETYPE_INDEX_BUFFER)})
        ForEachHandleRecord(type, [](HandleEntryHeader* h) {
            WaitHandleASyncLoad(h->Handle);
            Graphics_D3D11_Buffer_Terminate(reinterpret_cast<BufferHandleData*>(h));
        });
    return 0;
}

int Graphics_D3D11_RestoreUserBuffers() {
    for (int type : {int(HANDLETYPE_VERTEX_BUFFER), int(HANDLETYPE_INDEX_BUFFER)})
        ForEachHandleRecord(type, [](HandleEntryHeader* h) {
            auto* buffer = reinterpret_cast<BufferHandleData*>(h);
            if (buffer->deviceObject != nullptr || buffer->elementCount <= 0) return;
            if (createDeviceBuffer(buffer) < 0 || buffer->systemCopy == nullptr) return;
            Graphics_D3D11_SetVertexOrIndexBufferData(buffer, 0, buffer->systemCopy, buffer->elementCount);
        });
    return 0;
}

}  // namespace ZaDod
