// The Direct3D 11 3D shaders: the 3D package, loaded once on first use, and the choice of
// one vertex and one pixel shader for a 3D draw from the state cache (lighting, the
// enabled lights' types, fog mode, blend row, texture, shadow-map target).
#pragma once
#include "media/graphics/d3d11/d3d11_state.h"
#include "platform/gpu/shaders/package3d.h"

namespace ZaDod {

struct D3D11Shaders3D {
    uint8_t* package;  // the expanded package (tracked memory), null until loaded
    int size[plat::gpu::kPackage3DEntries];
    const uint8_t* code[plat::gpu::kPackage3DEntries];
    // Shader objects made on first use, one slot per entry.
    gpu::ID3D11VertexShader* vertex[plat::gpu::kPackage3DEntries];
    gpu::ID3D11PixelShader* pixel[plat::gpu::kPackage3DEntries];
    int loads;  // how often the package was expanded (once per run)
};
extern D3D11Shaders3D D3D11ShaderSys3D;

// 1 once the package is expanded, 0 when it cannot be.
int Graphics_D3D11_ShaderCode_Load3DPackage();
// The package entries a 3D draw would use now: vertex and pixel entry numbers.
struct D3D11Selection3D {
    int vertex, pixel;
};
D3D11Selection3D Graphics_D3D11_Shader_Select3D();
// Selects, makes on first use and binds the pair; 1 usable, 0 failed.
int Graphics_D3D11_Shader_Normal3DDraw_Setup();
// Releases the cached 3D shader objects (the package stays).
void Graphics_D3D11_Shader_Release3D();
// Frees the package (termination).
void Graphics_D3D11_ShaderCode_Free3DPackage();

}  // namespace ZaDod
