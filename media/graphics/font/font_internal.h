// What the font module's files share and nothing else uses: the character-set table,
// type normalisation, the level tables of the glyph converter and the module state.
#pragma once
#include <cstdint>

#include "media/graphics/font/font.h"

namespace ZaDod {

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

}  // namespace ZaDod
