// The Direct3D 11 common vertex and index buffers and the direct draws through them
// (outside the vertex batch), with the vertex grid of deformed pieces.
#include <cstring>

#include "media/base/log.h"
#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/d3d11/d3d11_shaders_3d.h"
#include "media/graphics/d3d11/d3d11_tiled.h"
#include "media/graphics/draw.h"
#include "media/graphics/hwdraw/hwdraw.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using plat::win::S_OK;

// Writes `bytes` from `data` into `buffer` at its start, discarding what it held.
int upload(ID3D11Buffer* buffer, const void* data, size_t bytes) {
    D3D11_MAPPED_SUBRESOURCE mapped{};
    if (D3D11DeviceContext_Map(buffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped) != S_OK) return -1;
    std::memcpy(mapped.pData, data, bytes);
    D3D11DeviceContext_Unmap(buffer, 0);
    return 0;
}

// Makes `buffer` anew for `size` bytes with 16384 bytes of headroom (the old one released
// first); a failure is logged with the size and leaves no buffer.
int grow(ID3D11Buffer*& buffer, int& bufferSize, int size, UINT bind, const char16_t* failure) {
    if (buffer != nullptr) D3D11_ReleaseAndClear(buffer, D3D11Buffer_Release);
    bufferSize = 0;
    const int bytes = (size + 16384 + 15) / 16 * 16;
    const D3D11_BUFFER_DESC desc{UINT(bytes), D3D11_USAGE_DYNAMIC, bind, D3D11_CPU_ACCESS_WRITE, 0, 0};
    if (D3D11Device_CreateBuffer(&desc, nullptr, &buffer) != S_OK) {
        LogFormatUtf16(failure, bytes);
        return -1;
    }
    bufferSize = bytes;
    return 0;
}

// The vertices of a direct draw in the common vertex buffer, bound with their format's
// layout (and its standard vertex shader when asked) through the cache.
int bindCommonVertices(int format, D3D11_PRIMITIVE_TOPOLOGY topology, const void* vertices, int count,
                       int shaderFlag) {
    if (!D3D11Device_IsValid() || vertices == nullptr || count <= 0 || format < 0 || format >= kD3D11StdVertexShaders)
        return -1;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    const int stride = kD3D11VertexSizes[format];
    if (Graphics_D3D11_CommonVertexBuffer_Setup(count * stride) < 0) return -1;
    D3D11Backend& b = D3D11BackendSys;
    if (upload(b.commonVertexBuffer, vertices, size_t(count) * size_t(stride)) < 0) return -1;
    Graphics_D3D11_DeviceState_SetPrimitiveTopology(topology);
    Graphics_D3D11_DeviceState_SetInputLayout(D3D11ShaderSys.layouts[format]);
    if (shaderFlag && format == 5) {
        // 3D vertices take the lit, fogged 3D shaders. Their pixel shader replaces the
        // one the draw-state key chose: the next preparation chooses that again.
        if (!Graphics_D3D11_Shader_Normal3DDraw_Setup()) return -1;
        D3D11State.keyChanged = 1;
    } else if (shaderFlag) {
        Graphics_D3D11_DeviceState_SetVertexShader(D3D11ShaderSys.stdVertex[format], 0);
    }
    Graphics_D3D11_DeviceState_SetVertexBuffer(b.commonVertexBuffer, stride);
    return Graphics_D3D11_DeviceState_ApplyStates() < 0 ? -1 : 0;
}

}  // namespace

int Graphics_D3D11_CommonVertexBuffer_Setup(int size) {
    D3D11Backend& b = D3D11BackendSys;
    if (size <= b.commonVertexBufferSize) return 0;
    if (b.commonVertexBuffer != nullptr && D3D11State.vertexBuffer == b.commonVertexBuffer)
        Graphics_D3D11_DeviceState_SetVertexBuffer(nullptr, 0);
    return grow(b.commonVertexBuffer, b.commonVertexBufferSize, size, D3D11_BIND_VERTEX_BUFFER,
                u"汎用描画用の頂点バッファの作成に失敗しました( サイズ %d byte )");
}

int Graphics_D3D11_CommonIndexBuffer_Setup(int size) {
    D3D11Backend& b = D3D11BackendSys;
    if (size <= b.commonIndexBufferSize) return 0;
    if (b.commonIndexBuffer != nullptr && D3D11State.indexBuffer == b.commonIndexBuffer)
        Graphics_D3D11_DeviceState_SetIndexBuffer(nullptr, DXGI_FORMAT_R16_UINT);
    return grow(b.commonIndexBuffer, b.commonIndexBufferSize, size, D3D11_BIND_INDEX_BUFFER,
                u"汎用描画用のインデックスバッファの作成に失敗しました( サイズ %d byte )");
}

int Graphics_D3D11_DrawCommonVertexBuffer(int format, D3D11_PRIMITIVE_TOPOLOGY topology, const void* vertices,
                                          int count, int shaderFlag) {
    if (bindCommonVertices(format, topology, vertices, count, shaderFlag) < 0) return -1;
    D3D11_DrawOnTiles([&] { D3D11DeviceContext_Draw(UINT(count), 0); });
    return 0;
}

int Graphics_D3D11_DrawCommonIndexed(int format, D3D11_PRIMITIVE_TOPOLOGY topology, const void* vertices,
                                     int vertexCount, const void* indices, int indexCount, DXGI_FORMAT indexFormat,
                                     int shaderFlag) {
    const int indexSize = indexFormat == DXGI_FORMAT_R16_UINT ? 2 : indexFormat == DXGI_FORMAT_R32_UINT ? 4 : 0;
    if (indexSize == 0 || indices == nullptr || indexCount <= 0) return -1;
    if (bindCommonVertices(format, topology, vertices, vertexCount, shaderFlag) < 0) return -1;
    D3D11Backend& b = D3D11BackendSys;
    if (Graphics_D3D11_CommonIndexBuffer_Setup(indexCount * indexSize) < 0) return -1;
    if (upload(b.commonIndexBuffer, indices, size_t(indexCount) * size_t(indexSize)) < 0) return -1;
    Graphics_D3D11_DeviceState_SetIndexBuffer(b.commonIndexBuffer, indexFormat);
    D3D11_DrawOnTiles([&] { D3D11DeviceContext_DrawIndexed(UINT(indexCount), 0, 0); });
    return 0;
}

int Graphics_D3D11_DrawVertexGrid(const Vertex2D* vertices, int columns, int rows) {
    if (!D3D11Device_IsValid()) return 0;
    if (vertices == nullptr || columns < 2 || rows < 2 || columns > 65536 / rows) return -1;
    return ForEachVertexGridDraw(columns, rows, 1000, [&](const uint16_t* indices, int count) {
        return Graphics_D3D11_DrawCommonIndexed(1, D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP, vertices, columns * rows,
                                                indices, count, DXGI_FORMAT_R16_UINT, 1) < 0
                   ? -1
                   : 0;
    });
}

}  // namespace ZaDod
