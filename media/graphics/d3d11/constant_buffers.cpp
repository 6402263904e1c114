// Constant buffers: a device buffer with a system-memory copy and a dirty flag, kept in
// one list (they may be made for loading workers), and the seven built-in ones.
#include <cstring>

#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/base/thread.h"
#include "media/graphics/d3d11/d3d11_state.h"

namespace ZaDod {

D3D11ConstantBuffer* D3D11BuiltinConstantBuffers[kCBCount];

namespace {

using namespace plat::gpu;
using plat::win::S_OK;

// The filter buffer holds 21 registers: the widest Gauss reads c0..c20.
const int kBuiltinSizes[kCBCount] = {768, 256, 288, 2592, 48, 96, 512};

struct BufferList {
    D3D11ConstantBuffer* head = nullptr;
    int count = 0;
};
BufferList buffers;

// The list's lock, made once on first use by whichever thread comes first.
TrackedCriticalSection* listLock() {
    static TrackedCriticalSection* lock = [] {
        static TrackedCriticalSection made;
        CriticalSection_Initialize(&made);
        return &made;
    }();
    return lock;
}

void unbind(ID3D11Buffer** slots, ID3D11Buffer* buffer, bool vertex) {
    for (int i = 0; i < 14; ++i) {
        if (slots[i] != buffer) continue;
        slots[i] = nullptr;
        ID3D11Buffer* none = nullptr;
        if (vertex)
            D3D11DeviceContext_VSSetConstantBuffers(UINT(i), 1, &none);
        else
            D3D11DeviceContext_PSSetConstantBuffers(UINT(i), 1, &none);
    }
}

}  // namespace

D3D11ConstantBuffer* Graphics_D3D11_ConstantBuffer_Create(int size, int asyncFlag) {
    TrackedCriticalSection* lock = listLock();
    CriticalSection_Lock(lock, __FILE__, __LINE__);
    D3D11ConstantBuffer* record = nullptr;
    if (size <= 0 || size % 16 != 0) {
        LogAddTextUtf16(u"定数バッファのサイズは１６の倍数である必要があります\n");
    } else if ((record = static_cast<D3D11ConstantBuffer*>(
                    MemAlloc(sizeof(D3D11ConstantBuffer) + size_t(size), "D3D11ConstantBuffer", __LINE__))) ==
               nullptr) {
        LogAddTextUtf16(u"定数バッファ情報を格納するメモリ領域の確保に失敗しました\n");
    } else {
        std::memset(record, 0, sizeof(D3D11ConstantBuffer) + size_t(size));
        record->size = size;
        record->copy = reinterpret_cast<uint8_t*>(record + 1);
        const D3D11_BUFFER_DESC desc{UINT(size), D3D11_USAGE_DEFAULT, D3D11_BIND_CONSTANT_BUFFER, 0, 0, 0};
        if (D3D11Device_CreateBuffer(&desc, nullptr, &record->buffer, asyncFlag) != S_OK) {
            LogAddTextUtf16(u"定数バッファ用の ID3D11Buffer の作成に失敗しました\n");
            MemFree(record);
            record = nullptr;
        } else {
            record->next = buffers.head;
            if (buffers.head != nullptr) buffers.head->prev = record;
            buffers.head = record;
            ++buffers.count;
        }
    }
    CriticalSection_Unlock(lock);
    return record;
}

int Graphics_D3D11_ConstantBuffer_Release(D3D11ConstantBuffer* record) {
    if (record == nullptr) return 0;
    TrackedCriticalSection* lock = listLock();
    CriticalSection_Lock(lock, __FILE__, __LINE__);
    if (D3D11Sys.context != nullptr) {
        unbind(D3D11State.vsConstants, record->buffer, true);
        unbind(D3D11State.psConstants, record->buffer, false);
    }
    if (record->buffer != nullptr) D3D11Buffer_Release(record->buffer);
    if (record->prev != nullptr) record->prev->next = record->next;
    if (record->next != nullptr) record->next->prev = record->prev;
    if (buffers.head == record) buffers.head = record->next;
    --buffers.count;
    MemFree(record);
    CriticalSection_Unlock(lock);
    return 0;
}

int Graphics_D3D11_ConstantBuffer_Update(D3D11ConstantBuffer* record) {
    if (record == nullptr || !record->dirty) return 0;
    D3D11DeviceContext_UpdateSubresource(record->buffer, 0, nullptr, record->copy, 0, 0);
    record->dirty = 0;
    return 0;
}

int D3D11_ConstantBufferCount() {
    CriticalSection_Lock(listLock(), __FILE__, __LINE__);
    const int count = buffers.count;
    CriticalSection_Unlock(listLock());
    return count;
}

int Graphics_D3D11_CreateShaderConstantBuffers() {
    LogAddTextUtf16(u"各種シェーダー用定数バッファの作成.... ");
    for (int i = 0; i < kCBCount; ++i) {
        D3D11BuiltinConstantBuffers[i] = Graphics_D3D11_ConstantBuffer_Create(kBuiltinSizes[i], 0);
        if (D3D11BuiltinConstantBuffers[i] == nullptr) {
            LogAddTextUtf16(u"失敗\n");
            Graphics_D3D11_ReleaseShaderConstantBuffers();
            return -1;
        }
    }
    LogAddTextUtf16(u"成功\n");
    return 0;
}

int Graphics_D3D11_ReleaseShaderConstantBuffers() {
    for (auto*& record : D3D11BuiltinConstantBuffers) {
        Graphics_D3D11_ConstantBuffer_Release(record);
        record = nullptr;
    }
    return 0;
}

int Graphics_D3D11_ShaderConstantBuffer_Terminate(ShaderConstantBufferData*) {
    // User constant buffers get their device buffers with the shader-handle operations,
    // which are not on this back end yet: nothing of theirs lives on the device.
    return 0;
}

}  // namespace ZaDod
