// Fixture of the font-module tests: graphics started headless in software mode or on
// the recording back end, the log captured, and the stand-in's own glyphs of a font
// for the expected cell contents.
#pragma once
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "media/graphics/font/font.h"
#include "media/graphics/graphics_state.h"
#include "tests/media/graphics/graphics_env.h"
#include "tests/media/log_capture.h"
#include "tests/platform/font/font_fixture.h"

namespace fonttest {

struct FontEnv : halvorine_test::GraphicsEnv {
    halvorine_test::LogCapture log;
    void startSoftware();
    // A device on the recording back end, an 800 x 600 screen, textures up to 8192.
    void startDevice();
};

// The stand-in's glyph of a code in the font object of a record.
fontfix::Glyph standInGlyph(ZaDod::FontHandleRecord* font, unsigned code, unsigned format);

// Bit x of row y of a GGO_BITMAP glyph.
bool monoBit(const fontfix::Glyph& glyph, int x, int y);
int glyphPitch(const fontfix::Glyph& glyph);

// Memory-cache pixel (x, y) of a slot's cell.
int memCell(ZaDod::FontHandleRecord* font, const ZaDod::FontGlyphSlot* slot, int x, int y);

// Caches one code and returns its slot (fails the test when nothing was cached).
ZaDod::FontGlyphSlot* cache(ZaDod::FontHandleRecord* font, uint32_t code);

// A font record with only its cell, type and edge set, and its cache sized for them
// (wanted cells as FontCreateParam word 2); null when sizing fails.
ZaDod::FontHandleRecord* sizedCache(int cell, uint32_t type, uint32_t edge, uint32_t wanted);

// The ink of a plain (type 0) string at (x, y), laid out from the stand-in's glyph
// bitmaps by the pen rules: advance by the cell increment, each glyph at its origin
// below the ascent, the whole line raised by half the leading.
std::set<std::pair<int, int>> layoutInk(ZaDod::FontHandleRecord* font, const std::u16string& text, int x, int y);

}  // namespace fonttest
