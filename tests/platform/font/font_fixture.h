// Shared pieces of the font stand-in tests: the pinned fontconfig configuration, the
// bitmap strike fixture, FreeType reference faces and GDI helpers.
#pragma once
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

#include "platform/win/gdi_internal.h"

namespace fontfix {

constexpr const char* kIpaGothic = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kDejaVuSerif = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";
constexpr const char* kDejaVuMono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
constexpr const char* kStrikeFamily = "Halvorine Strike";

// The strike's 'A': 8 x 8, top row first, standing on the base line with one row below.
extern const unsigned char kStrikeA[8];
constexpr int kStrikeAdvance = 8;
constexpr int kStrikeAscent = 7;
constexpr int kStrikeDescent = 1;

// A configuration with no font folder at all.
std::string emptyConfigPath();

// A face opened straight from FreeType, for expected values.
struct RefFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    RefFace(const char* file, int ppem);
    ~RefFace();
    RefFace(const RefFace&) = delete;
    RefFace& operator=(const RefFace&) = delete;
};

// ppem from a cell height by the face's Windows ascent and descent.
int cellPpem(const char* file, int height);

// CreateFontW with the arguments the font module passes.
plat::win::HFONT makeFont(int height, const std::u16string& face, int weight = 400, int charSet = 1,
                          bool italic = false);

// The file behind a font object.
std::string fontFile(plat::win::HFONT font);

// A memory device context with the font selected; deletes both when it goes.
struct FontDc {
    plat::win::HDC dc = nullptr;
    plat::win::HFONT font = nullptr;
    plat::win::HGDIOBJ previous = nullptr;
    explicit FontDc(plat::win::HFONT f);
    ~FontDc();
    FontDc(const FontDc&) = delete;
    FontDc& operator=(const FontDc&) = delete;
};

constexpr plat::win::MAT2 kIdentity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};

// One GetGlyphOutlineW result: the metrics and the bytes.
struct Glyph {
    plat::win::DWORD result = 0;
    plat::win::GLYPHMETRICS metrics{};
    std::vector<uint8_t> bits;
};
Glyph outline(plat::win::HDC dc, unsigned code, unsigned format);

// GetCharacterPlacementW's glyph indices for the text; empty when the call fails.
std::vector<plat::win::WCHAR> glyphIndices(plat::win::HDC dc, const char16_t* text, int count);

}  // namespace fontfix
