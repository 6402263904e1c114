// The Direct3D 9 built-in pixel shaders: made from the package archive by file names
// built from templates, or the choice to run without programmable shaders.
#include <cstring>

#include "media/base/charcode.h"
#include "media/base/log.h"
#include "media/graphics/d3d9/backend.h"
#include "media/graphics/hardware_types.h"

namespace ZaDod {

D3D9Shaders D3D9ShaderSys{};

namespace {

using namespace plat::gpu;

enum class Made { Ok, Missing, Failed };

// Creates the shader stored under `name` in the built-in archive, used in place.
Made makeShader(const char* name, IDirect3DPixelShader9** out) {
    *out = nullptr;
    D3D9Packages& p = D3D9PackageSys;
    std::uint64_t offset = 0, size = 0;
    if (ArchiveGetFileLocation(&p.baseArchive, CodePageRawByte, name, &offset, &size) < 0) return Made::Missing;
    const auto* image = static_cast<const uint8_t*>(ArchiveGetImage(&p.baseArchive));
    if (image == nullptr || size < 4) return Made::Missing;
    return Direct3DDevice9_CreatePixelShader(reinterpret_cast<const DWORD*>(image + offset), out) == D3D_OK
               ? Made::Ok
               : Made::Failed;
}

// Writes the digit characters into a copy of the template.
void fill(char (&name)[64], const char* pattern, std::initializer_list<std::pair<int, int>> digits) {
    std::strncpy(name, pattern, sizeof name - 1);
    name[sizeof name - 1] = 0;
    for (auto [at, value] : digits) name[at] = char('0' + value);
}

bool makeBuiltins() {
    D3D9Shaders& s = D3D9ShaderSys;
    char name[64];
    for (int t = 0; t < 7; ++t)
        for (int a = 0; a < 2; ++a) {
            fill(name, "ps_nonetex_type0_ach0.pso", {{15, t}, {20, a}});
            if (makeShader(name, &s.untextured[t * 2 + a]) == Made::Failed) {
                LogAddTextUtf16(u"基本シェーダーオブジェクトの作成に失敗しました\n");
                return false;
            }
        }
    for (int b = 0; b < 4; ++b)
        for (int t = 0; t < 7; ++t)
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < 2; ++i)
                    for (int a = 0; a < 2; ++a) {
                        fill(name, "ps_blend0_type0_igcolor0_igtalpha0_ach0.pso",
                             {{8, b}, {14, t}, {23, c}, {33, i}, {38, a}});
                        if (makeShader(name, &s.textured[(((b * 7 + t) * 2 + c) * 2 + i) * 2 + a]) == Made::Failed) {
                            LogAddTextUtf16(u"基本シェーダーオブジェクトの作成に失敗しました\n");
                            return false;
                        }
                    }
    static const char kChannels[4] = {'a', 'r', 'g', 'b'};
    bool ok = makeShader("ps_mask_blend.pso", &s.mask) != Made::Failed;
    for (int c = 0; ok && c < 4; ++c) {
        std::strcpy(name, "ps_mask_blend_use_grhandle_cha.pso");
        name[29] = kChannels[c];
        ok = makeShader(name, &s.maskChannel[c]) != Made::Failed;
        std::strcpy(name, "ps_mask_blend_use_grhandle_cha_reverse.pso");
        name[29] = kChannels[c];
        ok = ok && makeShader(name, &s.maskChannelReverse[c]) != Made::Failed;
    }
    if (!ok) LogAddTextUtf16(u"マスク処理用シェーダーオブジェクトの作成に失敗しました\n");
    // Without it 3D draws into a shadow map write colours instead of depths.
    if (ok && makeShader("ps_shadowmap_depth.pso", &s.shadowDepth) != Made::Ok) s.shadowDepth = nullptr;
    return ok;
}

void release(IDirect3DPixelShader9*& shader) {
    if (shader != nullptr) shader->Release();
    shader = nullptr;
}

}  // namespace

int Graphics_D3D9_Shader_Initialize() {
    const D3D9DeviceState& d = D3D9DeviceSys;
    Graphics_D3D9_Shader_ReleaseBuiltins();
    ProgrammableShaderFlag = 0;
    bool programmable = false;
    if ((d.vertexShader20 && d.pixelShader20) || (d.vertexShader30 && d.pixelShader30)) {
        ProgrammableShaderFlag = 1;
        if (!Graphics_D3D9_ShaderCode_LoadPackage())
            LogAddTextUtf16(u"シェーダーコードを展開するメモリ領域の確保に失敗しました\n");
        else
            programmable = makeBuiltins();
    }
    if (programmable) {
        LogAddTextUtf16(u"プログラマブルシェーダーを使用します\n");
    } else {
        // What was made before a failure is not used without the rest.
        Graphics_D3D9_Shader_ReleaseBuiltins();
        ProgrammableShaderFlag = 0;
        LogAddTextUtf16(u"プログラマブルシェーダーを使用しません\n");
    }
    D3D9ShaderConstants& m = D3D9ShaderConstantSys;
    if (m.banks[0][0].registerCount == 0) Graphics_D3D9_ShaderConstant_InitializeManager(&m);
    static const float kVertexBase[4] = {0.0f, 1.0f, 0.0f, 0.0f};
    static const float kPixelBase[4] = {0.0f, 0.5f, 1.0f, 2.0f};
    Graphics_D3D9_ShaderConstant_Set(&m, kD3D9VSFloat, 0, 0, kVertexBase, 1, 1);
    Graphics_D3D9_ShaderConstant_Set(&m, kD3D9PSFloat, 0, 0, kPixelBase, 1, 1);
    return 1;
}

int Graphics_D3D9_Shader_ReleaseBuiltins() {
    D3D9Shaders& s = D3D9ShaderSys;
    // Nothing binds a built-in shader until the device-state cache does; its unbind of
    // the current pixel shader comes with it.
    for (auto& shader : s.untextured) release(shader);
    for (auto& shader : s.textured) release(shader);
    release(s.mask);
    for (auto& shader : s.maskChannel) release(shader);
    for (auto& shader : s.maskChannelReverse) release(shader);
    release(s.shadowDepth);
    return 0;
}

IDirect3DPixelShader9* Graphics_D3D9_TexturedShader(int kind, int variant, int alphaFormZero) {
    if (kind < 0 || kind > 6) return nullptr;
    return D3D9ShaderSys.textured[((kind * 2 + (variant ? 1 : 0)) * 2 + (alphaFormZero ? 1 : 0)) * 2];
}

}  // namespace ZaDod
