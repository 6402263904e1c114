// The built-in fallback font: when no face can be made, the default font comes from
// the built-in data-image stub, and its characters 0-127 are pictures cut from the
// built-in glyph sheet, unpacked on first use.
#include <cstring>

#include "media/base/decode.h"
#include "media/base/handle.h"
#include "media/base/memory.h"
#include "media/graphics/font/font.h"
#include "media/graphics/font/font_internal.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/graph_settings.h"

namespace ZaDod {

extern const char FallbackFontSheet[];
extern const unsigned char FallbackFontStub[];
extern const std::size_t FallbackFontStubSize;

namespace {

constexpr int kGlyphs = 128;

struct FallbackState {
    uint8_t* sheet = nullptr;
    size_t sheetSize = 0;
    int graphs[kGlyphs];
    FallbackState() {
        for (int& g : graphs) g = -1;
    }
};
FallbackState Fallback;

// The sheet image: packed text, then LZ.
bool unpackSheet() {
    if (Fallback.sheet != nullptr) return true;
    const int packedSize = DecodeTextPackedData(FallbackFontSheet, nullptr);
    if (packedSize <= 0) return false;
    auto* lz = static_cast<uint8_t*>(MemAlloc(static_cast<size_t>(packedSize), kFontLogSource, __LINE__));
    if (lz == nullptr) return false;
    DecodeTextPackedData(FallbackFontSheet, lz);
    const int size = DecompressLZ(lz, nullptr);
    auto* sheet = size > 0 ? static_cast<uint8_t*>(MemAlloc(static_cast<size_t>(size), kFontLogSource, __LINE__)) : nullptr;
    if (sheet != nullptr) DecompressLZ(lz, sheet);
    MemFree(lz);
    if (sheet == nullptr) return false;
    Fallback.sheet = sheet;
    Fallback.sheetSize = static_cast<size_t>(size);
    return true;
}

bool loadGraphs() {
    if (FallbackFontReady()) return true;
    for (int& g : Fallback.graphs) {
        if (g != -1) SubHandle(g);
        g = -1;
    }
    int r, g, b;
    GetTransColor(&r, &g, &b);
    SetTransColor(255, 0, 255);
    const int result = LoadDivGraphFromSource(nullptr, Fallback.sheet, Fallback.sheetSize, kGlyphs, 16, 8, 8, 16,
                                              Fallback.graphs, 1, 0);
    SetTransColor(r, g, b);
    if (result == -1) {
        for (int& h : Fallback.graphs) h = -1;
        return false;
    }
    for (int& h : Fallback.graphs) SetDeleteHandleFlag(h, &h);
    return true;
}

}  // namespace

int FallbackFontReady() { return Fallback.graphs[0] != -1 && GetGraphData(Fallback.graphs[0]) != nullptr; }

void RegisterFallbackPictures(FontHandleRecord* font) {
    if (font == nullptr) return;
    // Character c is picture c of the sheet, drawn at the pen and advancing 8.
    for (int c = 0; c < kGlyphs; ++c) {
        FontCharImage& p = font->charImages[c];
        std::memset(&p, 0, sizeof p);
        p.code = static_cast<uint32_t>(c);
        p.one = 1;
        p.picture = 1;
        p.advance = 8;
        p.width = 8;
        p.height = 16;
        p.graph = Fallback.graphs[c];
    }
    font->charImageCount = kGlyphs;
}

int SetupFallbackFont() {
    FontModuleState& m = FontModule;
    if (!unpackSheet()) return -1;
    // Already the default: the font is kept, its pictures made again if they went.
    FontHandleRecord* current = m.defaultHandle != -1 ? GetFontSettingsRecord(m.defaultHandle) : nullptr;
    if (current != nullptr && m.defaultIsFallback) {
        if (!loadGraphs()) return -1;
        RegisterFallbackPictures(current);
        return 0;
    }
    const int handle = CreateDefaultFontHandle(nullptr, FallbackFontStub, FallbackFontStubSize, 0, 0);
    if (handle == -1) return -1;  // the default font before stays
    // The default font it replaces goes, with its cache graph.
    if (m.defaultHandle != -1) SubHandle(m.defaultHandle);
    loadGraphs();
    RegisterFallbackPictures(GetFontRecord(handle));
    m.defaultHandle = handle;
    m.defaultIsFallback = 1;
    SetDeleteHandleFlag(handle, &m.defaultHandle);
    return 0;
}

void TerminateFallbackFont() {
    if (Fallback.sheet != nullptr) MemFree(Fallback.sheet);
    Fallback.sheet = nullptr;
    Fallback.sheetSize = 0;
    if (Fallback.graphs[0] != -1)
        for (int& g : Fallback.graphs)
            if (g != -1) SubHandle(g);
    for (int& g : Fallback.graphs) g = -1;
}

}  // namespace ZaDod
