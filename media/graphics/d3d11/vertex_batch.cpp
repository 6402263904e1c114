// The Direct3D 11 vertex batch: vertices of consecutive draws of one kind and topology are
// written straight into the mapped standard vertex buffer and drawn in one call at the
// next flush, which remaps the buffer at once.
#include "media/file/async_load.h"
#include "media/graphics/d3d11/d3d11_shaders_3d.h"
#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/d3d11/d3d11_tiled.h"
#include "media/graphics/hwdraw/hwdraw.h"

namespace ZaDod {

D3D11VertexBatch D3D11Batch{};
// The largest count of each format that fits in 65536 bytes.
const int kD3D11BatchCapacity[kD3D11StdVertexShaders] = {3276, 2340, 1638, 4096, 2730, 1365, 744};

namespace {

using namespace plat::gpu;
using plat::win::S_OK;

int currentFormat() {
    const int slot = D3D11Batch.kind * 3 + D3D11Batch.variant;
    return slot >= 0 && slot < 5 ? slot : 0;
}

int flushOnMain(MainThreadRequest* request) {
    return Graphics_D3D11_FlushVertexBatch(static_cast<int>(static_cast<intptr_t>(request->Param[0])), 0);
}

}  // namespace

uint32_t D3D11_VertexColor(int red, int green, int blue, int alpha) {
    return PackVertexColor(red, green, blue, alpha, GraphicsDeviceCapsData.bgraVertexColor);
}

int Graphics_D3D11_FlushVertexBatch(int kind, int asyncFlag) {
    if (asyncFlag) {
        MainThreadRequest request{};
        request.Function = flushOnMain;
        request.Param[0] = static_cast<uintptr_t>(static_cast<intptr_t>(kind));
        return AddASyncLoadRequestMainThread(&request);
    }
    if (!D3D11Device_IsValid()) return -1;
    D3D11VertexBatch& b = D3D11Batch;
    gpu::ID3D11Buffer* buffer = D3D11BackendSys.standardVertexBuffer;
    if (buffer == nullptr) return -1;
    int result = 0;
    if (b.pending > 0 && !GetEndRequestFlag() && !b.skipDraw) {
        const int format = currentFormat();
        if (b.mapped != nullptr) {
            D3D11DeviceContext_Unmap(buffer, 0);
            b.mapped = b.write = nullptr;
        }
        // The draw's own state goes through the cache; a nested flush finds nothing pending.
        const int pending = b.pending;
        b.pending = 0;
        Graphics_D3D11_DeviceState_SetPrimitiveTopology(b.topology);
        Graphics_D3D11_DeviceState_SetInputLayout(D3D11ShaderSys.layouts[format]);
        if (format == 5) {
            // 3D vertices take the lit, fogged 3D shaders.
            if (!Graphics_D3D11_Shader_Normal3DDraw_Setup()) return -1;
        } else if (D3D11State.vertexShaderUser == 0 || D3D11State.vertexShader == nullptr) {
            Graphics_D3D11_DeviceState_SetVertexShader(D3D11ShaderSys.stdVertex[format], 0);
        }
        Graphics_D3D11_DeviceState_SetVertexBuffer(buffer, kD3D11VertexSizes[format]);
        if (Graphics_D3D11_DeviceState_ApplyStates() < 0) result = -1;
        D3D11_DrawOnTiles([&] { D3D11DeviceContext_Draw(UINT(pending), 0); });
    }
    if (kind >= 0) b.kind = kind;
    b.pending = 0;
    if (b.mapped == nullptr) {
        D3D11_MAPPED_SUBRESOURCE mapped{};
        if (D3D11DeviceContext_Map(buffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped) != S_OK) return -1;
        b.mapped = static_cast<uint8_t*>(mapped.pData);
    }
    b.write = b.mapped;
    return result;
}

uint8_t* Graphics_D3D11_BatchReserve(D3D11_PRIMITIVE_TOPOLOGY topology, int n) {
    D3D11VertexBatch& b = D3D11Batch;
    const int format = currentFormat();
    if (b.kind != 0 || b.topology != topology || b.pending + n >= kD3D11BatchCapacity[format]) {
        Graphics_D3D11_FlushVertexBatch(0, 0);
        b.topology = topology;
    }
    if (b.mapped == nullptr || n >= kD3D11BatchCapacity[currentFormat()]) return nullptr;
    uint8_t* at = b.write;
    b.write += size_t(n) * size_t(kD3D11VertexSizes[currentFormat()]);
    b.pending += n;
    return at;
}

}  // namespace ZaDod
