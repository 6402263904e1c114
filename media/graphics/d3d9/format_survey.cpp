// Which D3DFORMAT serves each texture role of the front's pixel formats, the screen's
// format and the three depth formats: one log line per decision.
#include <string>

#include "media/base/log.h"
#include "media/graphics/d3d9/backend.h"
#include "media/graphics/graphics_state.h"

namespace ZaDod {

gpu::D3DFORMAT D3D9TextureFormatTable[kD3D9FormatRows];

namespace {

using namespace plat::gpu;

struct FormatName {
    D3DFORMAT format;
    const char* name;
};
const FormatName kNames[] = {
    {D3DFMT_A8R8G8B8, "D3DFMT_A8R8G8B8"},
    {D3DFMT_X8R8G8B8, "D3DFMT_X8R8G8B8"},
    {D3DFMT_R5G6B5, "D3DFMT_R5G6B5"},
    {D3DFMT_X1R5G5B5, "D3DFMT_X1R5G5B5"},
    {D3DFMT_A1R5G5B5, "D3DFMT_A1R5G5B5"},
    {D3DFMT_A4R4G4B4, "D3DFMT_A4R4G4B4"},
    {D3DFMT_G16R16, "D3DFMT_G16R16"},
    {D3DFMT_A16B16G16R16, "D3DFMT_A16B16G16R16"},
    {D3DFMT_L8, "D3DFMT_L8"},
    {D3DFMT_A8L8, "D3DFMT_A8L8"},
    {D3DFMT_L16, "D3DFMT_L16"},
    {D3DFMT_D16, "D3DFMT_D16"},
    {D3DFMT_D24X8, "D3DFMT_D24X8"},
    {D3DFMT_D32, "D3DFMT_D32"},
    {D3DFMT_R16F, "D3DFMT_R16F"},
    {D3DFMT_G16R16F, "D3DFMT_G16R16F"},
    {D3DFMT_A16B16G16R16F, "D3DFMT_A16B16G16R16F"},
    {D3DFMT_R32F, "D3DFMT_R32F"},
    {D3DFMT_G32R32F, "D3DFMT_G32R32F"},
    {D3DFMT_A32B32G32R32F, "D3DFMT_A32B32G32R32F"},
    {D3DFMT_DXT1, "D3DFMT_DXT1"},
    {D3DFMT_DXT2, "D3DFMT_DXT2"},
    {D3DFMT_DXT3, "D3DFMT_DXT3"},
    {D3DFMT_DXT4, "D3DFMT_DXT4"},
    {D3DFMT_DXT5, "D3DFMT_DXT5"},
};

// A candidate, with the name its row logs it under when that differs from its own.
struct Candidate {
    D3DFORMAT format;
    const char* logName = nullptr;
};

// A surveyed row. `fails`: no candidate makes the whole survey fail. `fallbackRow`: no
// candidate takes that row's format without a "none" line. `dxt`: the found and none
// texts are the word after "は".
struct Row {
    int row;
    Candidate candidates[4];
    const char16_t* found;
    const char16_t* none;
    bool drawable = false;
    bool fails = false;
    int fallbackRow = -1;
    bool dxt = false;
};

constexpr const char* kR5G5B5 = "D3DFMT_R5G5B5";
constexpr const char* kA8B8G8R8 = "D3DFMT_A8B8G8R8";

const Row kRows[] = {
    {6, {{D3DFMT_R5G6B5}, {D3DFMT_X1R5G5B5}}, u"16bit カラーフォーマットは %S です",
     u"使用できる 16bit カラーフォーマットが見つかりませんでした\n", false, true},
    {7, {{D3DFMT_X8R8G8B8}}, u"32bit カラーフォーマットは %S です", nullptr, false, false, 6},
    {8, {{D3DFMT_A4R4G4B4}, {D3DFMT_A8R8G8B8}}, u"アルファ付き 16bit カラーフォーマットは %S です",
     u"使用できるアルファ付き 16bit カラーフォーマットが見つかりませんでした\n", false, true},
    {9, {{D3DFMT_A8R8G8B8}, {D3DFMT_A4R4G4B4}}, u"アルファ付き 32bit カラーフォーマットは %S です",
     u"使用できるアルファ付き 32bit カラーフォーマットが見つかりませんでした\n", false, true},
    {10, {{D3DFMT_A1R5G5B5}, {D3DFMT_A8R8G8B8}, {D3DFMT_A4R4G4B4}},
     u"アルファテスト用 16bit カラーフォーマットは %S です",
     u"使用できるアルファテスト用 16bit カラーフォーマットが見つかりませんでした\n", false, true},
    {11, {{D3DFMT_A8R8G8B8}, {D3DFMT_A1R5G5B5}, {D3DFMT_A4R4G4B4}},
     u"アルファテスト用 32bit カラーフォーマットは %S です",
     u"使用できるアルファテスト用 32bit カラーフォーマットが見つかりませんでした\n", false, true},
    {12, {{D3DFMT_DXT1}}, u"ＤＸＴ１テクスチャフォーマットは%s", nullptr, false, false, 10, true},
    {13, {{D3DFMT_DXT2}}, u"ＤＸＴ２テクスチャフォーマットは%s", nullptr, false, false, 9, true},
    {14, {{D3DFMT_DXT3}}, u"ＤＸＴ３テクスチャフォーマットは%s", nullptr, false, false, 9, true},
    {15, {{D3DFMT_DXT4}}, u"ＤＸＴ４テクスチャフォーマットは%s", nullptr, false, false, 9, true},
    {16, {{D3DFMT_DXT5}}, u"ＤＸＴ５テクスチャフォーマットは%s", nullptr, false, false, 9, true},
    {22, {{D3DFMT_A16B16G16R16}}, u"ABGR 整数 16 ビット型カラーフォーマットは %S です",
     u"使用できるABGR整数16ビット型カラーフォーマットがありませんでした\n"},
    {23, {{D3DFMT_A16B16G16R16F}}, u"ABGR 浮動小数点 16 ビット型カラーフォーマットは %S です",
     u"使用できるABGR浮動小数点16ビット型カラーフォーマットがありませんでした\n"},
    {24, {{D3DFMT_A32B32G32R32F}, {D3DFMT_A16B16G16R16F}}, u"ABGR 浮動小数点 32 ビット型カラーフォーマットは %S です",
     u"使用できるABGR浮動小数点32ビット型カラーフォーマットがありませんでした\n"},
    {25, {{D3DFMT_A8R8G8B8}}, u"１チャンネル整数 8 ビット型カラーフォーマットは %S です",
     u"使用できる１チャンネル整数8ビット型カラーフォーマットがありませんでした\n"},
    {26, {{D3DFMT_G16R16}, {D3DFMT_A16B16G16R16}}, u"１チャンネル整数 16 ビット型カラーフォーマットは %S です",
     u"使用できる１チャンネル整数16ビット型カラーフォーマットがありませんでした\n"},
    {27, {{D3DFMT_R16F}, {D3DFMT_G16R16F}, {D3DFMT_A16B16G16R16F}, {D3DFMT_A32B32G32R32F}},
     u"１チャンネル浮動小数点 16 ビット型カラーフォーマットは %S です",
     u"使用できる１チャンネル浮動小数点16ビット型カラーフォーマットがありませんでした\n"},
    {28, {{D3DFMT_R32F}, {D3DFMT_G32R32F}, {D3DFMT_A32B32G32R32F}, {D3DFMT_A16B16G16R16F}},
     u"１チャンネル浮動小数点 32 ビット型カラーフォーマットは %S です",
     u"使用できる１チャンネル浮動小数点32ビット型カラーフォーマットがありませんでした\n"},
    {29, {{D3DFMT_A8R8G8B8, kA8B8G8R8}}, u"２チャンネル整数 8 ビット型カラーフォーマットは %S です",
     u"使用できる２チャンネル整数8ビット型カラーフォーマットがありませんでした\n"},
    {30, {{D3DFMT_G16R16}, {D3DFMT_A16B16G16R16}}, u"２チャンネル整数 16 ビット型カラーフォーマットは %S です",
     u"使用できる２チャンネル整数16ビット型カラーフォーマットがありませんでした\n"},
    {31, {{D3DFMT_G16R16F}, {D3DFMT_A16B16G16R16F}, {D3DFMT_A32B32G32R32F}},
     u"２チャンネル浮動小数点 16 ビット型カラーフォーマットは %S です",
     u"使用できる２チャンネル浮動小数点16ビット型カラーフォーマットがありませんでした\n"},
    {32, {{D3DFMT_G32R32F}, {D3DFMT_A32B32G32R32F}, {D3DFMT_A16B16G16R16F}},
     u"２チャンネル浮動小数点 32 ビット型カラーフォーマットは %S です",
     u"使用できる２チャンネル浮動小数点32ビット型カラーフォーマットがありませんでした\n"},
    // Row 33's candidates depend on the back buffer; they are filled in before the survey.
    {33, {}, u"描画用 16bit カラーフォーマットは %S です", u"使用できる描画用 16bit カラーフォーマットがありませんでした\n",
     true},
    {34, {{D3DFMT_X8R8G8B8}, {D3DFMT_R5G6B5}, {D3DFMT_X1R5G5B5, kR5G5B5}}, u"描画用 32bit カラーフォーマットは %S です",
     u"使用できる描画用 32bit カラーフォーマットがありませんでした\n", true},
    {35, {{D3DFMT_A8R8G8B8}, {D3DFMT_A4R4G4B4}}, u"描画用アルファ付き 32bit カラーフォーマットは %S です",
     u"使用できる描画用アルファ付き 32bit カラーフォーマットがありませんでした\n", true},
    {36, {{D3DFMT_A16B16G16R16}}, u"描画用 ABGR 整数 16 ビット型カラーフォーマットは %S です",
     u"使用できる描画用ABGR整数16ビット型カラーフォーマットがありませんでした\n", true},
    {37, {{D3DFMT_A16B16G16R16F}}, u"描画用 ABGR 浮動小数点 16 ビット型カラーフォーマットは %S です",
     u"使用できる描画用ABGR浮動小数点16ビット型カラーフォーマットがありませんでした\n", true},
    {38, {{D3DFMT_A32B32G32R32F}, {D3DFMT_A16B16G16R16F}}, u"描画用 ABGR 浮動小数点 32 ビット型カラーフォーマットは %S です",
     u"使用できる描画用ABGR浮動小数点32ビット型カラーフォーマットがありませんでした\n", true},
    {39, {{D3DFMT_L8}, {D3DFMT_A8L8}, {D3DFMT_A8R8G8B8}}, u"描画用１チャンネル整数 8 ビット型カラーフォーマットは %S です",
     u"使用できる描画用１チャンネル整数8ビット型カラーフォーマットがありませんでした\n", true},
    {40, {{D3DFMT_L16}, {D3DFMT_G16R16}, {D3DFMT_A16B16G16R16}},
     u"描画用１チャンネル整数 16 ビット型カラーフォーマットは %S です",
     u"使用できる描画用１チャンネル整数16ビット型カラーフォーマットがありませんでした\n", true},
    {41, {{D3DFMT_R16F}, {D3DFMT_G16R16F}, {D3DFMT_A16B16G16R16F}, {D3DFMT_A32B32G32R32F}},
     u"描画用１チャンネル浮動小数点 16 ビット型カラーフォーマットは %S です",
     u"使用できる描画用１チャンネル浮動小数点16ビット型カラーフォーマットがありませんでした\n", true},
    {42, {{D3DFMT_R32F}, {D3DFMT_G32R32F}, {D3DFMT_A32B32G32R32F}, {D3DFMT_A16B16G16R16F}},
     u"描画用１チャンネル浮動小数点 32 ビット型カラーフォーマットは %S です",
     u"使用できる描画用１チャンネル浮動小数点32ビット型カラーフォーマットがありませんでした\n", true},
    {43, {{D3DFMT_A8L8}, {D3DFMT_A8R8G8B8, kA8B8G8R8}}, u"描画用２チャンネル整数 8 ビット型カラーフォーマットは %S です",
     u"使用できる描画用２チャンネル整数8ビット型カラーフォーマットがありませんでした\n", true},
    {44, {{D3DFMT_G16R16}, {D3DFMT_A16B16G16R16}}, u"描画用２チャンネル整数 16 ビット型カラーフォーマットは %S です",
     u"使用できる描画用２チャンネル整数16ビット型カラーフォーマットがありませんでした\n", true},
    {45, {{D3DFMT_G16R16F}, {D3DFMT_A16B16G16R16F}, {D3DFMT_A32B32G32R32F}},
     u"描画用２チャンネル浮動小数点 16 ビット型カラーフォーマットは %S です",
     u"使用できる描画用２チャンネル浮動小数点16ビット型カラーフォーマットがありませんでした\n", true},
    {46, {{D3DFMT_G32R32F}, {D3DFMT_A32B32G32R32F}, {D3DFMT_A16B16G16R16F}},
     u"描画用２チャンネル浮動小数点 32 ビット型カラーフォーマットは %S です",
     u"使用できる描画用２チャンネル浮動小数点32ビット型カラーフォーマットがありませんでした\n", true},
};

D3DFORMAT backBufferFormat() { return D3D9DeviceSys.backBufferFormat; }

bool usable(D3DFORMAT format, DWORD usage, D3DRESOURCETYPE type) {
    return Direct3D9_CheckDeviceFormat(D3D9DeviceSys.adapter, D3DDEVTYPE_HAL, backBufferFormat(), usage, type,
                                       format) == D3D_OK;
}

bool usableDepth(D3DFORMAT format) {
    return usable(format, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE) &&
           Direct3D9_CheckDepthStencilMatch(D3D9DeviceSys.adapter, D3DDEVTYPE_HAL, backBufferFormat(),
                                            backBufferFormat(), format) == D3D_OK;
}

void surveyDepth() {
    D3DFORMAT* depth = D3D9DeviceSys.depthFormat;
    depth[0] = D3DFMT_D16;
    depth[1] = usableDepth(D3DFMT_D24X8) ? D3DFMT_D24X8 : usableDepth(D3DFMT_D32) ? D3DFMT_D32 : D3DFMT_D16;
    if (usableDepth(D3DFMT_D32))
        depth[2] = D3DFMT_D32;
    else if (usableDepth(D3DFMT_D24X8))
        depth[2] = D3DFMT_D24X8;
    else if (Graphics_D3D9_CheckDepthFormat(D3D9DeviceSys.adapter, D3DDEVTYPE_HAL, backBufferFormat(),
                                            backBufferFormat(), D3DFMT_D16) == 0)
        depth[2] = D3DFMT_D16;
    else
        depth[2] = D3DFMT_UNKNOWN;
    LogFormatUtf16(u"16bit Zバッファフォーマットは %S です", D3D9_FormatName(depth[0]));
    LogFormatUtf16(u"24bit Zバッファフォーマットは %S です", D3D9_FormatName(depth[1]));
    LogFormatUtf16(u"32bit Zバッファフォーマットは %S です", D3D9_FormatName(depth[2]));
}

// One row: 0, or -1 when a basic colour row has no format.
int surveyRow(const Row& r, const Candidate* candidates) {
    D3DFORMAT* table = D3D9TextureFormatTable;
    const DWORD usage = r.drawable ? D3DUSAGE_RENDERTARGET : 0;
    for (int i = 0; i < 4 && candidates[i].format != D3DFMT_UNKNOWN; ++i) {
        const Candidate& c = candidates[i];
        if (!usable(c.format, usage, D3DRTYPE_TEXTURE)) continue;
        table[r.row] = c.format;
        if (r.dxt) {
            const std::u16string found = u"D3DFMT_DXT" + std::u16string(1, char16_t(u'0' + (r.row - 11))) + u" です";
            LogFormatUtf16(r.found, found.c_str());
        } else {
            LogFormatUtf16(r.found, c.logName != nullptr ? c.logName : D3D9_FormatName(c.format));
        }
        return 0;
    }
    if (r.dxt) LogFormatUtf16(r.found, u"使えません");
    if (r.fallbackRow >= 0) {
        table[r.row] = table[r.fallbackRow];
        return 0;
    }
    table[r.row] = D3DFMT_UNKNOWN;
    LogAddTextUtf16(r.none);
    return r.fails ? -1 : 0;
}

}  // namespace

const char* D3D9_FormatName(D3DFORMAT format) {
    for (const FormatName& n : kNames)
        if (n.format == format) return n.name;
    return "D3DFMT_UNKNOWN";
}

int Graphics_D3D9_CheckDepthFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT targetFormat,
                                   D3DFORMAT depthFormat) {
    if (Direct3D9_CheckDeviceFormat(adapter, type, adapterFormat, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                    depthFormat) != D3D_OK)
        return -1;
    return Direct3D9_CheckDepthStencilMatch(adapter, type, adapterFormat, targetFormat, depthFormat) == D3D_OK ? 0
                                                                                                               : -1;
}

int Graphics_D3D9_SurveyFormats() {
    D3D9DeviceState& d = D3D9DeviceSys;
    D3DSURFACE_DESC desc{};
    if (d.backBuffer != nullptr) Direct3DSurface9_GetDesc(d.backBuffer, &desc);
    d.backBufferFormat = desc.Format;
    if (desc.Format != D3DFMT_X8R8G8B8 && desc.Format != D3DFMT_R5G6B5 && desc.Format != D3DFMT_X1R5G5B5)
        LogFormatUtf16(u"バックバッファが対応していないフォーマット %d です", int(desc.Format));
    LogFormatUtf16(u"画面のフォーマットは %S です", D3D9_FormatName(desc.Format));

    surveyDepth();

    D3DFORMAT* table = D3D9TextureFormatTable;
    for (int i = 0; i < kD3D9FormatRows; ++i) table[i] = D3DFMT_UNKNOWN;
    // Every row is surveyed and logged even after a basic row failed, so the log names
    // each missing format; the call fails at the end.
    bool failed = false;
    for (const Row& r : kRows) {
        Candidate candidates[4] = {r.candidates[0], r.candidates[1], r.candidates[2], r.candidates[3]};
        if (r.row == 33) {
            const bool r565 = desc.Format == D3DFMT_R5G6B5;
            candidates[0] = r565 ? Candidate{D3DFMT_R5G6B5} : Candidate{D3DFMT_X1R5G5B5, kR5G5B5};
            candidates[1] = r565 ? Candidate{D3DFMT_X1R5G5B5, kR5G5B5} : Candidate{D3DFMT_R5G6B5};
            candidates[2] = Candidate{D3DFMT_X8R8G8B8};
        }
        if (surveyRow(r, candidates) < 0) failed = true;
    }
    const bool bits16 = GraphicsSys.colorBits == 16;
    table[0] = table[1] = table[bits16 ? 6 : 7];
    table[2] = table[3] = table[bits16 ? 8 : 9];
    table[4] = table[5] = table[bits16 ? 10 : 11];
    table[47] = table[GraphicsSys.colorBits == 32 ? 34 : 33];
    table[48] = table[GraphicsSys.colorBits == 32 ? 11 : 10];
    return failed ? -1 : 0;
}

}  // namespace ZaDod
