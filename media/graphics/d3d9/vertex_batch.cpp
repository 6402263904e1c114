// The Direct3D 9 vertex batch: five static buffers, one per vertex format, where
// consecutive draws of one primitive type collect their vertices until one
// DrawPrimitiveUP sends them; the draw-state key setters; and the scene brackets.
#include "media/file/async_load.h"
#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/graphics_state.h"
#include "media/system/window.h"

namespace ZaDod {

D3D9VertexBatch D3D9Batch{};
const int kD3D9BatchCapacity[kD3D9BatchSlots] = {3225, 2340, 1638, 4096, 2730};
const int kD3D9BatchStride[kD3D9BatchSlots] = {20, 28, 40, 16, 24};
const uint32_t kD3D9VertexTypeFVF[10] = {0x144, 0x044, 0x144, 0x2C4, 0x2C4, 0x042, 0x142, 0x2D2, 0x2D2, 0x844};

namespace {

using namespace plat::gpu;
using d3d9_cache::c;

// The slot's vertex type, for its vertex format.
constexpr int kSlotVertexType[kD3D9BatchSlots] = {1, 2, 3, 5, 6};

alignas(16) uint8_t slot0[64500];
alignas(16) uint8_t slot1[65536];
alignas(16) uint8_t slot2[65536];
alignas(16) uint8_t slot34[65536];

int slotOf(const D3D9VertexBatch& b) {
    const int s = b.kind * 3 + b.variant;
    return s >= 0 && s < kD3D9BatchSlots ? s : 0;
}

void pointAtBuffers(D3D9VertexBatch& b) {
    b.buffer[0] = slot0;
    b.buffer[1] = slot1;
    b.buffer[2] = slot2;
    b.buffer[3] = b.buffer[4] = slot34;
}

// The drawing step of the flush, without its tests.
void drawPending(D3D9VertexBatch& b) {
    const int slot = slotOf(b);
    const int n = b.pending;
    b.pending = 0;
    b.write = b.buffer[slot];
    Graphics_D3D9_DeviceState_SetFVF(kD3D9VertexTypeFVF[kSlotVertexType[slot]]);
    Direct3DDevice9_DrawPrimitiveUP(b.primitive, UINT(D3D9_PrimitiveCount(b.primitive, n)), b.buffer[slot],
                                    UINT(kD3D9BatchStride[slot]));
}

int flushOnMain(MainThreadRequest*) { return Graphics_D3D9_FlushVertexBatch(0); }

// Stores `value` in a key field when it differs (or the cache forces): flush first, mark
// the key changed.
template <class T>
void keyField(T& field, T value) {
    if (!c.force && field == value) return;
    D3D9_FlushUnlessForced();
    field = value;
    c.keyChanged = 1;
    c.stateChanged = 1;
}

}  // namespace

int D3D9_PrimitiveCount(D3DPRIMITIVETYPE type, int n) {
    switch (type) {
        case D3DPT_POINTLIST: return n;
        case D3DPT_LINELIST: return n / 2;
        case D3DPT_LINESTRIP: return n - 1;
        case D3DPT_TRIANGLELIST: return n / 3;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN: return n - 2;
        default: return 0;
    }
}

void D3D9_BatchFillConstants() {
    D3D9VertexBatch& b = D3D9Batch;
    pointAtBuffers(b);
    // z 0 and rhw 1 in every 2D vertex; the blend-textured format's specular stays white.
    for (int slot = 0; slot < 3; ++slot) {
        for (int i = 0; i < kD3D9BatchCapacity[slot]; ++i) {
            float* v = reinterpret_cast<float*>(b.buffer[slot] + size_t(i) * size_t(kD3D9BatchStride[slot]));
            v[2] = 0.0f;
            v[3] = 1.0f;
            if (slot == 2) reinterpret_cast<uint32_t*>(v)[5] = 0xFFFFFFFFu;
        }
    }
}

void D3D9_BatchSelectVariant(int variant) {
    D3D9VertexBatch& b = D3D9Batch;
    if (b.variant == variant) return;
    // Queued vertices keep the format they were written in.
    if (b.pending > 0) Graphics_D3D9_FlushVertexBatch(0);
    b.variant = variant;
    if (b.buffer[0] == nullptr) pointAtBuffers(b);
    b.write = b.buffer[slotOf(b)];
}

uint8_t* D3D9_BatchReserve(D3DPRIMITIVETYPE primitive, int n) {
    D3D9VertexBatch& b = D3D9Batch;
    if (b.buffer[0] == nullptr) pointAtBuffers(b);
    const int slot = slotOf(b);
    if (b.kind != 0 || b.primitive != primitive || b.pending + n >= kD3D9BatchCapacity[slot]) {
        if (b.pending > 0) drawPending(b);
        b.kind = 0;
        b.primitive = primitive;
        b.write = b.buffer[slotOf(b)];
    }
    if (n >= kD3D9BatchCapacity[slotOf(b)]) return nullptr;
    uint8_t* at = b.write;
    b.write += size_t(n) * size_t(kD3D9BatchStride[slotOf(b)]);
    b.pending += n;
    return at;
}

int Graphics_D3D9_FlushVertexBatch(int asyncFlag) {
    if (asyncFlag) {
        MainThreadRequest request{};
        request.Function = flushOnMain;
        return AddASyncLoadRequestMainThread(&request);
    }
    if (!Direct3DDevice9_IsValid()) return -1;
    D3D9VertexBatch& b = D3D9Batch;
    if (b.buffer[0] == nullptr) pointAtBuffers(b);
    if (b.pending > 0 && !GetEndRequestFlag()) {
        Graphics_D3D9_BeginScene();
        if (!b.skipDraw) {
            drawPending(b);
            return 0;
        }
    }
    b.pending = 0;
    b.write = b.buffer[slotOf(b)];
    return 0;
}

uint32_t D3D9_ShapeColor(unsigned int color) {
    int red = 0, green = 0, blue = 0;
    UnpackScreenColor(color, &red, &green, &blue);
    const uint32_t d = D3D9Batch.diffuse;
    const uint32_t r = ((d >> 16) & 0xFF) * uint32_t(red) / 255, g = ((d >> 8) & 0xFF) * uint32_t(green) / 255,
                   bl = (d & 0xFF) * uint32_t(blue) / 255;
    return (d & 0xFF000000u) | r << 16 | g << 8 | bl;
}

// ---- scenes

int Graphics_D3D9_BeginScene() {
    if (!Direct3D9_IsValid() || D3D9Batch.inScene) return 0;
    Direct3DDevice9_BeginScene();
    D3D9Batch.inScene = 1;
    D3D9Batch.lastKey = 0;
    return 0;
}

int Graphics_D3D9_EndScene() {
    if (!D3D9Batch.inScene) return 0;
    Direct3DDevice9_EndScene();
    D3D9Batch.inScene = 0;
    return 0;
}

// ---- key setters

int Graphics_D3D9_DeviceState_SetBlendModeKey(int mode, int premultiplied, int alphaChannel) {
    if (!Direct3DDevice9_IsValid()) return -1;
    keyField(c.blendMode, mode);
    keyField(c.premultiplied, premultiplied);
    keyField(c.alphaChannel, alphaChannel);
    return 0;
}

int Graphics_D3D9_DeviceState_SetAlphaTestKey(int func, int ref) {
    if (!Direct3DDevice9_IsValid()) return -1;
    keyField(c.alphaTestFunc, func);
    keyField(c.alphaTestRef, ref);
    return 0;
}

int Graphics_D3D9_DeviceState_SetAlphaKey(int flag) {
    if (!Direct3DDevice9_IsValid()) return -1;
    keyField(c.alphaNeeded, flag);
    return 0;
}

int Graphics_D3D9_DeviceState_SetDiffuseKey(int flag) {
    if (!Direct3DDevice9_IsValid()) return -1;
    keyField(c.colorModulate, flag);
    return 0;
}

int Graphics_D3D9_DeviceState_SetVariantKey(int flag) {
    if (!Direct3DDevice9_IsValid()) return -1;
    keyField(c.variant, flag);
    return 0;
}

int Graphics_D3D9_DeviceState_SetBlendTextureParam(int kind, int param1, int param2) {
    if (!Direct3DDevice9_IsValid()) return -1;
    keyField(c.blendKind, kind);
    if (kind == 0) keyField(c.blendRatio, param1);
    if (kind == 1) {
        keyField(c.borderParam, param1);
        keyField(c.borderRange, param2);
    }
    return 0;
}

int Graphics_D3D9_DeviceState_SetTexture(IDirect3DBaseTexture9* texture) {
    if (!Direct3DDevice9_IsValid()) return -1;
    if (!c.force && c.texture == texture) return 0;
    D3D9_FlushUnlessForced();
    // Binding or dropping a texture changes the key's shape; one texture for another does not.
    if ((c.texture == nullptr) != (texture == nullptr)) c.keyChanged = 1;
    c.texture = texture;
    c.textureChanged = 1;
    c.stateChanged = 1;
    return 0;
}

int Graphics_D3D9_DeviceState_SetBlendTexture(IDirect3DBaseTexture9* texture, int width, int height) {
    if (!Direct3DDevice9_IsValid()) return -1;
    if (!c.force && c.blendTexture == texture) return 0;
    D3D9_FlushUnlessForced();
    if ((c.blendTexture == nullptr) != (texture == nullptr)) c.keyChanged = 1;
    c.blendTexture = texture;
    if (texture != nullptr) {
        c.blendTextureSize[0] = float(width);
        c.blendTextureSize[1] = float(height);
        c.blendTextureSize[2] = width != 0 ? 1.0f / float(width) : 0.0f;
        c.blendTextureSize[3] = height != 0 ? 1.0f / float(height) : 0.0f;
    }
    c.textureChanged = 1;
    c.stateChanged = 1;
    return 0;
}

}  // namespace ZaDod
