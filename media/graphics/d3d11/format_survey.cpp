// Which DXGI format serves each texture role of the front's pixel formats, and the depth
// formats: one log line per decision.
#include "media/base/log.h"
#include "media/graphics/d3d11/d3d11_backend.h"
#include "media/graphics/graphics_state.h"

namespace ZaDod {

gpu::DXGI_FORMAT D3D11TextureFormatTable[kD3D11FormatRows];
D3D11Formats D3D11FormatSys;

namespace {

using namespace plat::gpu;
using plat::win::S_OK;

struct FormatName {
    DXGI_FORMAT format;
    const char* name;
};
const FormatName kNames[] = {
    {DXGI_FORMAT_R32G32B32A32_FLOAT, "DXGI_FORMAT_R32G32B32A32_FLOAT"},
    {DXGI_FORMAT_R16G16B16A16_FLOAT, "DXGI_FORMAT_R16G16B16A16_FLOAT"},
    {DXGI_FORMAT_R16G16B16A16_UNORM, "DXGI_FORMAT_R16G16B16A16_UNORM"},
    {DXGI_FORMAT_R32G32_FLOAT, "DXGI_FORMAT_R32G32_FLOAT"},
    {DXGI_FORMAT_R8G8B8A8_UNORM, "DXGI_FORMAT_R8G8B8A8_UNORM"},
    {DXGI_FORMAT_R16G16_FLOAT, "DXGI_FORMAT_R16G16_FLOAT"},
    {DXGI_FORMAT_R16G16_UNORM, "DXGI_FORMAT_R16G16_UNORM"},
    {DXGI_FORMAT_D32_FLOAT, "DXGI_FORMAT_D32_FLOAT"},
    {DXGI_FORMAT_R32_FLOAT, "DXGI_FORMAT_R32_FLOAT"},
    {DXGI_FORMAT_D24_UNORM_S8_UINT, "DXGI_FORMAT_D24_UNORM_S8_UINT"},
    {DXGI_FORMAT_R8G8_UNORM, "DXGI_FORMAT_R8G8_UNORM"},
    {DXGI_FORMAT_R16_FLOAT, "DXGI_FORMAT_R16_FLOAT"},
    {DXGI_FORMAT_D16_UNORM, "DXGI_FORMAT_D16_UNORM"},
    {DXGI_FORMAT_R16_UNORM, "DXGI_FORMAT_R16_UNORM"},
    {DXGI_FORMAT_R8_UNORM, "DXGI_FORMAT_R8_UNORM"},
    {DXGI_FORMAT_BC1_UNORM, "DXGI_FORMAT_BC1_UNORM"},
    {DXGI_FORMAT_BC2_UNORM, "DXGI_FORMAT_BC2_UNORM"},
    {DXGI_FORMAT_BC3_UNORM, "DXGI_FORMAT_BC3_UNORM"},
    {DXGI_FORMAT_B5G6R5_UNORM, "DXGI_FORMAT_B5G6R5_UNORM"},
    {DXGI_FORMAT_B8G8R8X8_UNORM, "DXGI_FORMAT_B8G8R8X8_UNORM"},
};

bool usable(DXGI_FORMAT format, UINT need) {
    UINT support = 0;
    return D3D11Device_CheckFormatSupport(format, &support) == S_OK && (support & need) == need;
}

constexpr UINT kTexture = D3D11_FORMAT_SUPPORT_TEXTURE2D;
constexpr UINT kDrawable = D3D11_FORMAT_SUPPORT_TEXTURE2D | D3D11_FORMAT_SUPPORT_RENDER_TARGET;

// A surveyed row: up to four candidates, the found message (a format with "%S") and the
// none message.
struct Row {
    int row;
    DXGI_FORMAT candidates[4];
    const char16_t* found;
    const char16_t* none;
};

const Row kRows[] = {
    {22, {DXGI_FORMAT_R16G16B16A16_UNORM}, u"ABGR 整数 16 ビット型カラーフォーマットは %S です",
     u"使用できる ABGR 整数 16 ビット型カラーフォーマットがありませんでした\n"},
    {23, {DXGI_FORMAT_R16G16B16A16_FLOAT}, u"ABGR 浮動小数点 16 ビット型カラーフォーマットは %S です",
     u"使用できるABGR 浮動小数点 16 ビット型カラーフォーマットがありませんでした\n"},
    {24, {DXGI_FORMAT_R32G32B32A32_FLOAT, DXGI_FORMAT_R16G16B16A16_FLOAT},
     u"ABGR 浮動小数点 32 ビット型カラーフォーマットは %S です",
     u"使用できるABGR 浮動小数点 32 ビット型カラーフォーマットがありませんでした\n"},
    {25, {DXGI_FORMAT_R8_UNORM, DXGI_FORMAT_R8G8_UNORM, DXGI_FORMAT_R8G8B8A8_UNORM},
     u"１チャンネル整数 8 ビット型カラーフォーマットは %S です",
     u"使用できる１チャンネル整数 8 ビット型カラーフォーマットがありませんでした\n"},
    {26, {DXGI_FORMAT_R16_UNORM, DXGI_FORMAT_R16G16_UNORM, DXGI_FORMAT_R16G16B16A16_UNORM},
     u"１チャンネル整数 16 ビット型カラーフォーマットは %S です",
     u"使用できる１チャンネル整数 16 ビット型カラーフォーマットがありませんでした\n"},
    {27,
     {DXGI_FORMAT_R16_FLOAT, DXGI_FORMAT_R16G16_FLOAT, DXGI_FORMAT_R16G16B16A16_FLOAT, DXGI_FORMAT_R32G32B32A32_FLOAT},
     u"１チャンネル浮動小数点 16 ビット型カラーフォーマットは %S です",
     u"使用できる１チャンネル浮動小数点 16 ビット型カラーフォーマットがありませんでした\n"},
    {28,
     {DXGI_FORMAT_R32_FLOAT, DXGI_FORMAT_R32G32_FLOAT, DXGI_FORMAT_R32G32B32A32_FLOAT, DXGI_FORMAT_R16G16B16A16_FLOAT},
     u"１チャンネル浮動小数点 32 ビット型カラーフォーマットは %S です",
     u"使用できる１チャンネル浮動小数点 32 ビット型カラーフォーマットがありませんでした\n"},
    {29, {DXGI_FORMAT_R8G8_UNORM, DXGI_FORMAT_R8G8B8A8_UNORM}, u"２チャンネル整数 8 ビット型カラーフォーマットは %S です",
     u"使用できる２チャンネル整数 8 ビット型カラーフォーマットがありませんでした\n"},
    {30, {DXGI_FORMAT_R16G16_UNORM, DXGI_FORMAT_R16G16B16A16_UNORM},
     u"２チャンネル整数 16 ビット型カラーフォーマットは %S です",
     u"使用できる２チャンネル整数 16 ビット型カラーフォーマットがありませんでした\n"},
    {31, {DXGI_FORMAT_R16G16_FLOAT, DXGI_FORMAT_R16G16B16A16_FLOAT, DXGI_FORMAT_R32G32B32A32_FLOAT},
     u"２チャンネル浮動小数点 16 ビット型カラーフォーマットは %S です",
     u"使用できる２チャンネル浮動小数点 16 ビット型カラーフォーマットがありませんでした\n"},
    {32, {DXGI_FORMAT_R32G32_FLOAT, DXGI_FORMAT_R32G32B32A32_FLOAT, DXGI_FORMAT_R16G16B16A16_FLOAT},
     u"２チャンネル浮動小数点 32 ビット型カラーフォーマットは %S です",
     u"使用できる２チャンネル浮動小数点 32 ビット型カラーフォーマットがありませんでした\n"},
    {33, {DXGI_FORMAT_B5G6R5_UNORM, DXGI_FORMAT_B8G8R8X8_UNORM, DXGI_FORMAT_R8G8B8A8_UNORM},
     u"描画用 16bit カラーフォーマットは %S です", u"使用できる 16bit 描画可能カラーフォーマットが見つかりませんでした\n"},
    {34, {DXGI_FORMAT_B8G8R8X8_UNORM, DXGI_FORMAT_R8G8B8A8_UNORM}, u"描画用 32bit カラーフォーマットは %S です",
     u"使用できる 32bit 描画可能カラーフォーマットが見つかりませんでした\n"},
    {35, {DXGI_FORMAT_R8G8B8A8_UNORM}, u"描画用アルファ付き 32bit カラーフォーマットは %S です",
     u"使用できるアルファ付き 32bit 描画可能カラーフォーマットが見つかりませんでした\n"},
    {36, {DXGI_FORMAT_R16G16B16A16_UNORM}, u"描画用 ABGR 整数 16 ビット型カラーフォーマットは %S です",
     u"使用できる描画用 ABGR 整数 16 ビット型カラーフォーマットがありませんでした\n"},
    {37, {DXGI_FORMAT_R16G16B16A16_FLOAT}, u"描画用 ABGR 浮動小数点 16 ビット型カラーフォーマットは %S です",
     u"使用できる描画用 ABGR 浮動小数点 16 ビット型カラーフォーマットがありませんでした\n"},
    {38, {DXGI_FORMAT_R32G32B32A32_FLOAT, DXGI_FORMAT_R16G16B16A16_FLOAT},
     u"描画用 ABGR 浮動小数点 32 ビット型カラーフォーマットは %S です",
     u"使用できる描画用 ABGR 浮動小数点 32 ビット型カラーフォーマットがありませんでした\n"},
    {39, {DXGI_FORMAT_R8_UNORM, DXGI_FORMAT_R8G8_UNORM, DXGI_FORMAT_R8G8B8A8_UNORM},
     u"描画用１チャンネル整数 8 ビット型カラーフォーマットは %S です",
     u"使用できる描画用１チャンネル整数 8 ビット型カラーフォーマットがありませんでした\n"},
    {40, {DXGI_FORMAT_R16_UNORM, DXGI_FORMAT_R16G16_UNORM, DXGI_FORMAT_R16G16B16A16_UNORM},
     u"描画用１チャンネル整数 16 ビット型カラーフォーマットは %S です",
     u"使用できる描画用１チャンネル整数 16 ビット型カラーフォーマットがありませんでした\n"},
    {41,
     {DXGI_FORMAT_R16_FLOAT, DXGI_FORMAT_R16G16_FLOAT, DXGI_FORMAT_R16G16B16A16_FLOAT, DXGI_FORMAT_R32G32B32A32_FLOAT},
     u"描画用１チャンネル浮動小数点 16 ビット型カラーフォーマットは %S です",
     u"使用できる描画用１チャンネル浮動小数点 16 ビット型カラーフォーマットがありませんでした\n"},
    {42,
     {DXGI_FORMAT_R32_FLOAT, DXGI_FORMAT_R32G32_FLOAT, DXGI_FORMAT_R32G32B32A32_FLOAT, DXGI_FORMAT_R16G16B16A16_FLOAT},
     u"描画用１チャンネル浮動小数点 32 ビット型カラーフォーマットは %S です",
     u"使用できる描画用１チャンネル浮動小数点 32 ビット型カラーフォーマットがありませんでした\n"},
    {43, {DXGI_FORMAT_R8G8_UNORM, DXGI_FORMAT_R8G8B8A8_UNORM},
     u"描画用２チャンネル整数 8 ビット型カラーフォーマットは %S です",
     u"使用できる描画用２チャンネル整数 8 ビット型カラーフォーマットがありませんでした\n"},
    {44, {DXGI_FORMAT_R16G16_UNORM, DXGI_FORMAT_R16G16B16A16_UNORM},
     u"描画用２チャンネル整数 16 ビット型カラーフォーマットは %S です",
     u"使用できる描画用２チャンネル整数 16 ビット型カラーフォーマットがありませんでした\n"},
    {45, {DXGI_FORMAT_R16G16_FLOAT, DXGI_FORMAT_R16G16B16A16_FLOAT, DXGI_FORMAT_R32G32B32A32_FLOAT},
     u"描画用２チャンネル浮動小数点 16 ビット型カラーフォーマットは %S です",
     u"使用できる描画用２チャンネル浮動小数点 16 ビット型カラーフォーマットがありませんでした\n"},
    {46, {DXGI_FORMAT_R32G32_FLOAT, DXGI_FORMAT_R32G32B32A32_FLOAT, DXGI_FORMAT_R16G16B16A16_FLOAT},
     u"描画用２チャンネル浮動小数点 32 ビット型カラーフォーマットは %S です",
     u"使用できる描画用２チャンネル浮動小数点 32 ビット型カラーフォーマットがありませんでした\n"},
};

// A block-compressed row: its own format when usable, else the fallback row's.
void surveyBlock(int row, DXGI_FORMAT format, int fallbackRow, const char16_t* prefix) {
    const bool ok = usable(format, kTexture);
    D3D11TextureFormatTable[row] = ok ? format : D3D11TextureFormatTable[fallbackRow];
    if (ok)
        LogFormatUtf16(u"%s %S です", prefix, D3D11_FormatName(format));
    else
        LogFormatUtf16(u"%s使えません", prefix);
}

void surveyDepth() {
    D3D11Formats& f = D3D11FormatSys;
    f.depthTexture[0] = f.depthView[0] = DXGI_FORMAT_D16_UNORM;
    LogFormatUtf16(u"16bit Zバッファフォーマットは %S です", D3D11_FormatName(DXGI_FORMAT_D16_UNORM));
    if (usable(DXGI_FORMAT_D24_UNORM_S8_UINT, D3D11_FORMAT_SUPPORT_DEPTH_STENCIL)) {
        f.depthTexture[1] = DXGI_FORMAT_R24G8_TYPELESS;
        f.depthView[1] = DXGI_FORMAT_D24_UNORM_S8_UINT;
    } else {
        f.depthTexture[1] = f.depthTexture[0];
        f.depthView[1] = f.depthView[0];
    }
    LogFormatUtf16(u"24bit Zバッファフォーマットは %S です", D3D11_FormatName(f.depthView[1]));
    if (usable(DXGI_FORMAT_D32_FLOAT, D3D11_FORMAT_SUPPORT_DEPTH_STENCIL)) {
        f.depthTexture[2] = DXGI_FORMAT_R32_TYPELESS;
        f.depthView[2] = DXGI_FORMAT_D32_FLOAT;
    } else {
        f.depthTexture[2] = f.depthTexture[1];
        f.depthView[2] = f.depthView[1];
    }
    LogFormatUtf16(u"32bit Zバッファフォーマットは %S です", D3D11_FormatName(f.depthView[2]));
}

}  // namespace

const char* D3D11_FormatName(DXGI_FORMAT format) {
    for (const FormatName& n : kNames)
        if (n.format == format) return n.name;
    return "DXGI_FORMAT_UNKNOWN";
}

int Graphics_D3D11_SurveyFormats() {
    gpu::DXGI_FORMAT* t = D3D11TextureFormatTable;
    D3D11FormatSys.screen = DXGI_FORMAT_R8G8B8A8_UNORM;
    LogFormatUtf16(u"画面のフォーマットは %S です", D3D11_FormatName(DXGI_FORMAT_R8G8B8A8_UNORM));
    surveyDepth();
    for (int row = 0; row < kD3D11FormatRows; ++row) t[row] = DXGI_FORMAT_UNKNOWN;
    if (!usable(DXGI_FORMAT_R8G8B8A8_UNORM, kTexture)) {
        LogAddTextUtf16(u"使用できるカラーフォーマットが見つかりませんでした\n");
        return -1;
    }
    for (int row = 0; row <= 11; ++row) t[row] = DXGI_FORMAT_R8G8B8A8_UNORM;
    LogFormatUtf16(u"カラーフォーマットは %S です", D3D11_FormatName(DXGI_FORMAT_R8G8B8A8_UNORM));
    surveyBlock(12, DXGI_FORMAT_BC1_UNORM, 10, u"ＤＸＴ１テクスチャフォーマットは");
    t[13] = t[9];
    LogAddTextUtf16(u"ＤＸＴ２テクスチャフォーマットは使えません\n");
    surveyBlock(14, DXGI_FORMAT_BC2_UNORM, 9, u"ＤＸＴ３テクスチャフォーマットは");
    t[15] = t[9];
    LogAddTextUtf16(u"ＤＸＴ４テクスチャフォーマットは使えません\n");
    surveyBlock(16, DXGI_FORMAT_BC3_UNORM, 9, u"ＤＸＴ５テクスチャフォーマットは");
    for (const Row& r : kRows) {
        const UINT need = r.row >= 33 ? kDrawable : kTexture;
        t[r.row] = DXGI_FORMAT_UNKNOWN;
        for (DXGI_FORMAT candidate : r.candidates) {
            if (candidate == DXGI_FORMAT_UNKNOWN) break;
            if (usable(candidate, need)) {
                t[r.row] = candidate;
                break;
            }
        }
        if (t[r.row] != DXGI_FORMAT_UNKNOWN)
            LogFormatUtf16(r.found, D3D11_FormatName(t[r.row]));
        else
            LogAddTextUtf16(r.none);
    }
    t[47] = GraphicsSys.colorBits == 32 ? t[34] : t[33];
    t[48] = DXGI_FORMAT_R8_UNORM;
    return 0;
}

}  // namespace ZaDod
