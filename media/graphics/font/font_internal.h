// What the font module's files share and nothing else uses: the character-set table,
// type normalisation, the level tables of the glyph converter and the module state.
#pragma once
#include <cstdint>

#include "media/graphics/font/font.h"

namespace ZaDod {

// The name the font files log under.
inline constexpr const char* kFontLogSource = "RaVuru";

uint16_t FontCharSetToGdi(int charSet);
// Negative types give 0; an edge of 2 or more sets the edge bit.
uint32_t NormaliseFontType(int fontType, int edgeSize);

// Level tables, built when the module starts.
struct FontLevelTables {
    uint8_t bitCount[256];
    uint8_t to16[256];   // 16 v / 255
    uint8_t to64[256];   // 64 v / 255
    uint8_t level4[16];  // 4-bit data levels: 0, else j + 1
    uint8_t level4To64[16];
};
extern FontLevelTables FontLevels;

// A new font's per-handle settings: no spacing, no fixed line spacing, no code-page
// override, no lost flag; dataImage says where its glyphs come from.
inline void ResetFontHandleSettings(FontHandleRecord* font, uint32_t dataImage) {
    font->space = 0;
    font->lineSpaceFlag = 0;
    font->lineSpace = 0;
    font->codePageOverride = -1;
    font->lostFlag = nullptr;
    font->dataImage = dataImage;
}

// The font of a text entry's handle (-2: the default font); logs and gives null for an
// unknown handle.
FontHandleRecord* FontOfTextEntry(int handle);

// Scale of a font type's rendering: 1, 4 (4 x 4 super-sampled) or 8.
inline int FontTypeScale(uint32_t type) {
    return (type & kFontTypeSuper8) ? 8 : (type & kFontTypeSuper4) ? 4 : 1;
}

struct FontModuleState {
    int started;
    int defaultHandle;
    int defaultIsFallback;
    // Configured default-font parameters and their set-before-start flags.
    char16_t name[256];
    int size, thickness, fontType, charSet, edgeSize, italic, space, lineSpaceFlag, lineSpace;
    int nameSet, sizeSet, thicknessSet, fontTypeSet, charSetSet, edgeSizeSet, italicSet, spaceSet;
};
extern FontModuleState FontModule;

// The graph settings the cache texture is made with: those kept with the font, else the
// current ones.
SetupGraphParam FontCacheGraphParam(const FontHandleRecord* font);

// ---- String drawing internals ----

// What one cache byte (1-bit ink as 0/1, plain edged 0/1/2, levels as edge << 4 | body)
// does to a destination pixel: alpha 0 leaves it, 255 writes `pixel`, anything else
// blends colour (r, g, b) by alpha, or, in a destination with alpha, writes `pixel`.
struct GlyphPaint {
    uint8_t alpha, r, g, b;
    uint32_t pixel;
};

// The memory-cache glyph writer of one call: the colours turned into paints and the
// loop chosen for the cache format and destination layout once, before any glyph.
struct MemGlyphWriter {
    MEMIMG* dest;
    ImageRect clip;  // inside the destination
    int mono;        // 1-bit cache
    GlyphPaint paint[256];
    // The glyph of a cell at (left, top) of the destination; vertical turns it a
    // quarter turn clockwise (the cell's w x h covers h x w pixels).
    void (*blit)(const MemGlyphWriter& writer, const uint8_t* cell, int pitch, int w, int h, int left, int top,
                 int vertical);
};
// False when the destination's layout has no writer (8-bit screens draw nothing).
bool PrepareMemGlyphWriter(MemGlyphWriter* writer, const FontHandleRecord* font, MEMIMG* dest, const ImageRect& clip,
                           unsigned int color, unsigned int edgeColor);
// A character picture on the software path: its graph stretched (turned for vertical
// text) over the rectangle, trans on, tinted by the text colour.
void DrawMemCharImage(const FontCharImage& picture, const MemGlyphWriter& writer, int left, int top, int vertical,
                      unsigned int color);

// Texture path: one quad of the cache graph (twice for edged fonts: edge half first).
void DrawTextureGlyph(FontHandleRecord* font, const FontGlyphSlot& slot, float left, float top, int vertical,
                      unsigned int color, unsigned int edgeColor);
void DrawTextureCharImage(const FontCharImage& picture, float left, float top, int vertical, unsigned int color);

// The box a string drawn at (x, y) may touch, clipped to the draw area: it reaches m
// beyond the cells the pens cover on every side, for the leading shift moves the pen up
// (or left, for vertical text) and accents and edges may reach past the cells.
ImageRect FontStringBox(const FontHandleRecord* font, const char16_t* string, int x, int y, int vertical);

// 8-bit red, green and blue of a draw colour (0xRRGGBB with a device, else a screen pixel).
void UnpackDrawColor(unsigned int color, int* red, int* green, int* blue);
// An 8-bit string in a font's code page as a wide string; the stack buffer holds up to
// 504 characters, longer texts use tracked memory (freed by the holder).
struct WideText {
    char16_t stack[512];
    char16_t* text = nullptr;
    ~WideText();
    bool convert(const char* string, int codePage);
};

}  // namespace ZaDod
