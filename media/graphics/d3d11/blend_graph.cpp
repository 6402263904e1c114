// Blend graphs on Direct3D 11: binding the front's blend graph and its parameters, and the
// blend texture of each draw piece of a graph drawn over it.
#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/hwdraw/hwdraw.h"

namespace ZaDod {

int Graphics_D3D11_BindBlendGraph(GraphData* blendImage, int type, int param1, int param2) {
    if (!D3D11Device_IsValid()) return -1;
    if (blendImage == nullptr || blendImage->orig == nullptr || blendImage->pieceCount < 1) {
        // Clearing: draws go back to one texture.
        return D3D11_UseBlendPiece(nullptr);
    }
    if (D3D11_UseBlendPiece(&blendImage->pieces[0]) < 0) return -1;
    return Graphics_D3D11_DeviceState_SetBlendTextureParam(type, param1, param2);
}

int D3D11_UseBlendPiece(const GraphDrawPiece* piece) {
    if (piece == nullptr) {
        if (D3D11State.blendTexture == nullptr) return 0;
        return Graphics_D3D11_DeviceState_SetBlendTexture(nullptr, nullptr, 0, 0);
    }
    const D3D11GraphTexture* t = D3D11_TileTexture(piece->tile);
    if (t == nullptr || t->texture == nullptr) return -1;
    return Graphics_D3D11_DeviceState_SetBlendTexture(t->texture, t->view, piece->tile->textureWidth,
                                                      piece->tile->textureHeight);
}

}  // namespace ZaDod
