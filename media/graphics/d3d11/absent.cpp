// TEMPORARY SEAM (replaced by the Direct3D 11 vertex-grid, common-buffer,
// user-buffer, shader, shadow-map and 3D-setting modules): the operations not built yet.
// Each answers -1, which the front reports as a failed draw.
#include "media/graphics/d3d11/d3d11.h"

// The stubs keep the real parameter lists, which they do not read.
#pragma GCC diagnostic ignored "-Wunused-parameter"

namespace ZaDod {

int Graphics_D3D11_Buffer_Terminate(BufferHandleData* buffer) { return -1; }
int Graphics_D3D11_SetRenderTarget(int slot, int graph, int surfaceIndex) { return -1; }
int Graphics_D3D11_ShadowMap_RefreshPSParam() { return -1; }
int Graphics_D3D11_ShadowMap_RefreshVSParam() { return -1; }
int Graphics_D3D11_ShadowMap_ReleaseTexture(ShadowMapData* shadowMap) { return -1; }
int Graphics_D3D11_SetVertexOrIndexBufferData(BufferHandleData* buffer, int start, const void* data, int count) {
    return -1;
}

}  // namespace ZaDod
