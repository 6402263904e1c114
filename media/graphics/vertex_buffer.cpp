// Vertex and index buffer handles: their system-memory copies, the writes that
// update device and copy together, and their release.
#include <cstring>

#include "media/base/memory.h"
#include "media/graphics/hardware.h"
#include "media/graphics/shader.h"

namespace ZaDod {
namespace {

int writeBuffer(int start, const void* data, int count, int handle, int type) {
    BufferHandleData* buffer = GetBufferData(handle, type);
    if (buffer == nullptr || data == nullptr) return -1;
    // The range is checked in 64 bits: a negative count or a sum past the int range
    // must not reach the copy.
    const int64_t first = start, n = count;
    if (first < 0 || n < 0 || first + n > buffer->elementCount) return -1;
    const int result = type == HANDLETYPE_VERTEX_BUFFER ? Graphics_Hardware_SetVertexBufferData(buffer, start, data, count)
                                                        : Graphics_Hardware_SetIndexBufferData(buffer, start, data, count);
    if (result < 0) return -1;
    if (buffer->systemCopy != nullptr && n > 0) {
        const int64_t size = buffer->elementSize;
        std::memcpy(static_cast<uint8_t*>(buffer->systemCopy) + first * size, data, static_cast<size_t>(n * size));
    }
    return 0;
}

}  // namespace

BufferHandleData* GetBufferData(int handle, int type) {
    if (handle < 0 || ((handle >> HANDLE_TYPE_SHIFT) & (HANDLETYPE_COUNT - 1)) != type) return nullptr;
    HandleEntryHeader* header = GetHandleInfo(handle);
    if (header == nullptr || HandleASyncLoadCount(header) != 0) return nullptr;
    return reinterpret_cast<BufferHandleData*>(header);
}

int InitBufferHandle(HandleEntryHeader* record) {
    auto* r = reinterpret_cast<BufferHandleData*>(record);
    r->data = r + 1;
    return 0;
}

int TerminateBufferHandle(HandleEntryHeader* record) {
    auto* buffer = reinterpret_cast<BufferHandleData*>(record);
    Graphics_Hardware_Buffer_Terminate(buffer);
    if (buffer->systemCopy != nullptr && buffer->systemCopy != buffer->data) MemFree(buffer->systemCopy);
    buffer->systemCopy = nullptr;
    return 0;
}

int SetVertexBufferData(int start, const void* data, int count, int handle) {
    return writeBuffer(start, data, count, handle, HANDLETYPE_VERTEX_BUFFER);
}

int SetIndexBufferData(int start, const void* data, int count, int handle) {
    return writeBuffer(start, data, count, handle, HANDLETYPE_INDEX_BUFFER);
}

}  // namespace ZaDod
