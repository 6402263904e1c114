// What the Direct3D 9 filter and mask files share: the device steps the shared filter
// passes and workers draw through, one full-target quad drawn with the back end's state
// saved around it, and the mask screen's textures.
#pragma once
#include "media/graphics/d3d9/d3d9_graph.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/hwdraw/filter_steps.h"

namespace ZaDod {

extern const HwFilterDevice D3D9FilterDevice;
int Graphics_D3D9_Filter_CreateWorkScreen(int colorKind, int width, int height, int slot);
int Graphics_D3D9_Filter_LoadShader(const char* name);

// One quad of pre-transformed vertices (`fvf`, `stride` bytes each, a four-corner strip)
// into `target`, with `first` on stage 0 and `second` on stage 1, through `shader` (null:
// stage 0's texture as it is, or with `stages` the caller's own), blending and depth off
// unless `blend` gives the caller's blend values. The device state is put back afterwards.
struct D3D9PassDraw {
    gpu::IDirect3DSurface9* target;
    gpu::IDirect3DBaseTexture9* first;
    gpu::IDirect3DBaseTexture9* second;
    gpu::IDirect3DPixelShader9* shader;
    int linear;
    const D3D9UserBlendInfo* blend;  // null: plain copy
    uint32_t fvf;
    int stride;
    const void* vertices;
};
int D3D9_DrawPass(const D3D9PassDraw& pass);

// A filter pass's vertex: position, a white diffuse colour and eight coordinate sets (the
// source's first, the second texture's next, or the resamplers' taps).
struct D3D9FilterVertex {
    float x, y, z, rhw;
    uint32_t diffuse;
    float uv[8][2];
};
static_assert(sizeof(D3D9FilterVertex) == 84);
constexpr uint32_t kD3D9FvfFilterQuad = 2116;  // XYZRHW | DIFFUSE | TEX8

// One filter pass: a four-corner strip into `target` through the user shader settings.
// The source graph goes to shader texture 0 and `second` (-1 none) to texture 1; the pixel
// shader is the one selected with SetUsePixelShader. `linear` samples bilinearly.
struct D3D9FilterQuad {
    gpu::IDirect3DSurface9* target;
    int source;
    int second;
    int linear;
    const D3D9FilterVertex* vertices;
};
int Graphics_D3D9_FilterPass_DrawQuad(const D3D9FilterQuad& quad);
// Each pass keeps the user's shader settings around its own (the vertex and pixel shader
// and shader textures 0 and 1): saved before it selects its shader, restored after.
void Graphics_D3D9_FilterPass_SaveUserShaders();
void Graphics_D3D9_FilterPass_RestoreUserShaders();

// A textured rectangle from texel rectangle (x1, y1)-(x2, y2) of a texture of size
// tw x th to pixel rectangle (dx1, dy1)-(dx2, dy2) of `target`, nearest sampling.
int D3D9_CopyTexels(gpu::IDirect3DBaseTexture9* texture, int tw, int th, int x1, int y1, int x2, int y2,
                    gpu::IDirect3DSurface9* target, int dx1, int dy1, int dx2, int dy2,
                    const D3D9UserBlendInfo* blend = nullptr);

// The mask screen and mask image textures (null when absent) and their size.
void D3D9_MaskTextures(gpu::IDirect3DTexture9** screen, gpu::IDirect3DTexture9** image, int* width, int* height);
// While draws go to the mask screen: its surface and the real target it stands in for
// (both null otherwise).
void D3D9_MaskTargets(gpu::IDirect3DSurface9** mask, gpu::IDirect3DSurface9** real);
// Tests: the mask image's format instead of the first usable one (unknown: the survey's).
extern gpu::D3DFORMAT D3D9MaskImageFormatForTest;

}  // namespace ZaDod
