// The built-in shader package of the Direct3D 11 back end: unpacked once, its entries
// made into shader objects group by group at start-up.
#include "media/base/decode.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/graphics/d3d11/d3d11_shaders_3d.h"
#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/hardware_types.h"
#include "tools/shaderpack/shader_packages.h"

namespace ZaDod {

D3D11Shaders D3D11ShaderSys{};

namespace {

using namespace plat::gpu;
using plat::win::S_OK;

// The blob is turned into its LZ stream in place on first use and stays so for the run.
bool baseDecoded = false;

template <class Shader, class Create>
bool makeGroup(int first, int count, Shader** out, const char16_t* message, Create create) {
    D3D11Shaders& s = D3D11ShaderSys;
    for (int i = 0; i < count; ++i) {
        const int entry = first + i;
        if (s.size[entry] == 0 || create(s.code[entry], size_t(s.size[entry]), &out[i]) != S_OK) {
            out[i] = nullptr;
            // Without the group's first shader nothing of the group works; a later one
            // that fails leaves the rest of its group empty.
            if (i == 0) {
                LogFormatUtf16(message, 0);
                return false;
            }
            break;
        }
    }
    return true;
}

auto vertexMaker = [](const void* code, size_t size, ID3D11VertexShader** out) {
    return D3D11Device_CreateVertexShader(code, size, out);
};
auto pixelMaker = [](const void* code, size_t size, ID3D11PixelShader** out) {
    return D3D11Device_CreatePixelShader(code, size, out);
};

template <class T, class Release>
void releaseAll(T** shaders, int count, Release release) {
    for (int i = 0; i < count; ++i) D3D11_ReleaseAndClear(shaders[i], [&](T* p) { release(p, 0); });
}

}  // namespace

int Graphics_D3D11_ShaderCode_LoadBasePackage() {
    D3D11Shaders& s = D3D11ShaderSys;
    if (s.base != nullptr) return 1;
    if (!baseDecoded) {
        if (DecodeTextPackedData(D3D11ShaderBasePackage, D3D11ShaderBasePackage) < 0) return 0;
        baseDecoded = true;
    }
    const int size = DecompressLZ(D3D11ShaderBasePackage, nullptr);
    if (size < kD3D11BasePackageEntries * 2) return 0;
    s.base = static_cast<uint8_t*>(MemAlloc(size_t(size), "D3D11Shader", __LINE__));
    if (s.base == nullptr) return 0;
    DecompressLZ(D3D11ShaderBasePackage, s.base);
    size_t at = size_t(kD3D11BasePackageEntries) * 2;
    for (int i = 0; i < kD3D11BasePackageEntries; ++i) {
        const int entrySize = s.base[i * 2] | s.base[i * 2 + 1] << 8;
        // A table that claims more than the block holds is cut where the block ends.
        s.size[i] = at + size_t(entrySize) <= size_t(size) ? entrySize : 0;
        s.code[i] = s.size[i] != 0 ? s.base + at : nullptr;
        at += size_t(s.size[i]);
    }
    return 1;
}

int Graphics_D3D11_ShaderCode_FreePackages() {
    D3D11Shaders& s = D3D11ShaderSys;
    if (s.base != nullptr) MemFree(s.base);
    s.base = nullptr;
    for (int i = 0; i < kD3D11BasePackageEntries; ++i) {
        s.code[i] = nullptr;
        s.size[i] = 0;
    }
    Graphics_D3D11_ShaderCode_Free3DPackage();
    return 1;
}

int Graphics_D3D11_Shader_Initialize() {
    D3D11Shaders& s = D3D11ShaderSys;
    Graphics_D3D11_Shader_ReleaseBuiltins();
    LogAddTextUtf16(u"シェーダーコード関係の初期化.... ");
    ProgrammableShaderFlag = 1;
    s.programmable = 1;
    if (!Graphics_D3D11_ShaderCode_LoadBasePackage()) {
        LogAddTextUtf16(u"シェーダーコードを展開するメモリ領域の確保に失敗しました\n");
        ProgrammableShaderFlag = s.programmable = 0;
        return -1;
    }
    const bool ok =
        makeGroup(0, kD3D11StdVertexShaders, s.stdVertex,
                  u"標準描画用の複雑な処理を行わない頂点シェーダーオブジェクト No.%d の作成に失敗しました", vertexMaker) &&
        makeGroup(7, kD3D11UntexturedShaders, s.untextured,
                  u"固定機能パイプライン互換のピクセルシェーダーオブジェクト( テクスチャなし ) No.%d の作成に失敗しました",
                  pixelMaker) &&
        makeGroup(21, kD3D11TexturedShaders, s.textured,
                  u"固定機能パイプライン互換のピクセルシェーダーオブジェクト( テクスチャあり ) No.%d の作成に失敗しました",
                  pixelMaker) &&
        makeGroup(245, 1, &s.mask, u"マスク処理用のピクセルシェーダーオブジェクト No.%d の作成に失敗しました",
                  pixelMaker) &&
        makeGroup(246, 1, &s.maskReverse,
                  u"反転効果マスク処理用のピクセルシェーダーオブジェクト No.%d の作成に失敗しました", pixelMaker) &&
        makeGroup(247, 4, s.maskChannel, u"マスク処理用のピクセルシェーダーオブジェクト No.%d の作成に失敗しました",
                  pixelMaker) &&
        makeGroup(251, 4, s.maskReverseChannel,
                  u"反転効果マスク処理用のピクセルシェーダーオブジェクト No.%d の作成に失敗しました", pixelMaker) &&
        makeGroup(255, 1, &s.copyVertex, u"単純転送用の頂点シェーダーオブジェクト No.%d の作成に失敗しました",
                  vertexMaker) &&
        makeGroup(256, 1, &s.copy8Vertex,
                  u"テクスチャ座標8個の単純転送用の頂点シェーダーオブジェクト No.%d の作成に失敗しました", vertexMaker) &&
        makeGroup(257, 1, &s.copyPixel, u"単純転送用のピクセルシェーダーオブジェクト No.%d の作成に失敗しました",
                  pixelMaker);
    if (!ok) {
        ProgrammableShaderFlag = s.programmable = 0;
        return -1;
    }
    LogAddTextUtf16(u"成功\n");
    return 0;
}

int Graphics_D3D11_Shader_ReleaseBuiltins() {
    D3D11Shaders& s = D3D11ShaderSys;
    if (!D3D11Device_IsValid()) return -1;
    if (D3D11State.pixelShader != nullptr && !D3D11State.pixelShaderUser) {
        Graphics_D3D11_DeviceState_SetPixelShader(nullptr, 0);
        D3D11State.drawPrepNeeded = 1;
    }
    if (D3D11State.vertexShader != nullptr && !D3D11State.vertexShaderUser)
        Graphics_D3D11_DeviceState_SetVertexShader(nullptr, 0);
    releaseAll(s.stdVertex, kD3D11StdVertexShaders, D3D11VertexShader_Release);
    releaseAll(s.untextured, kD3D11UntexturedShaders, D3D11PixelShader_Release);
    releaseAll(s.textured, kD3D11TexturedShaders, D3D11PixelShader_Release);
    releaseAll(&s.mask, 1, D3D11PixelShader_Release);
    releaseAll(&s.maskReverse, 1, D3D11PixelShader_Release);
    releaseAll(s.maskChannel, 4, D3D11PixelShader_Release);
    releaseAll(s.maskReverseChannel, 4, D3D11PixelShader_Release);
    releaseAll(&s.copyVertex, 1, D3D11VertexShader_Release);
    releaseAll(&s.copy8Vertex, 1, D3D11VertexShader_Release);
    releaseAll(&s.copyPixel, 1, D3D11PixelShader_Release);
    Graphics_D3D11_Shader_Release3D();
    return 0;
}

}  // namespace ZaDod
