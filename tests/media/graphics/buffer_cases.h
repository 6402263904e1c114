// Shared by the back-end and renderer tests: vertex and index buffer handles made as the
// front makes them, and the bytes their device buffers hold, read back from either
// hardware back end.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/base/handle.h"
#include "media/base/memory.h"
#include "media/graphics/d3d9/backend.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/shader.h"
#include "platform/gpu/d3d11/face_internal.h"

namespace buffercases {

// A buffer handle as the front makes one: element size and count, a zeroed kept copy.
inline int makeBuffer(int type, int elementSize, int elementCount) {
    const int handle = ZaDod::AddHandle(type, 0, -1);
    auto* buffer = reinterpret_cast<ZaDod::BufferHandleData*>(ZaDod::GetHandleInfo(handle));
    buffer->elementSize = elementSize;
    buffer->elementCount = elementCount;
    buffer->systemCopy = ZaDod::MemCalloc(size_t(elementSize) * size_t(elementCount), __FILE__, __LINE__);
    return handle;
}

// The bytes the device buffer of a handle holds, on the back end in use.
inline std::vector<uint8_t> deviceBytes(int handle, int type) {
    using namespace ZaDod;
    const BufferHandleData* b = GetBufferData(handle, type);
    if (b == nullptr || b->deviceObject == nullptr) return {};
    const size_t size = size_t(b->elementSize) * size_t(b->elementCount);
    if (GraphicsApiType == kGraphicsApiD3D11) {
        auto* core = plat::gpu::d3d11::coreBuffer(static_cast<plat::gpu::ID3D11Buffer*>(b->deviceObject));
        return std::vector<uint8_t>(core->data(), core->data() + std::min(size, size_t(core->size())));
    }
    void* at = nullptr;
    std::vector<uint8_t> out;
    auto read = [&](auto* object) {
        if (Direct3DVertexBuffer9_Lock(object, 0, 0, &at, 0) != plat::gpu::D3D_OK || at == nullptr) return;
        out.assign(static_cast<uint8_t*>(at), static_cast<uint8_t*>(at) + size);
        Direct3DVertexBuffer9_Unlock(object);
    };
    if (type == HANDLETYPE_VERTEX_BUFFER)
        read(static_cast<plat::gpu::IDirect3DVertexBuffer9*>(b->deviceObject));
    else
        read(static_cast<plat::gpu::IDirect3DIndexBuffer9*>(b->deviceObject));
    return out;
}

}  // namespace buffercases
