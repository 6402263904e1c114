// Glyph rendering into GDI's bitmap layouts (1-bit, 0-16 and 0-64 levels, rows padded
// to 4 bytes), glyph ink for text painting, and advances; all from FreeType's own
// renderer with the face's default load flags.
#include <ft2build.h>
#include FT_OUTLINE_H

#include <array>
#include <cstring>

#include "platform/font/face_state.h"

namespace plat::font {
namespace {

constexpr uint32_t kLastCodePoint = 0x10FFFF;

// 8-bit coverage to the GDI grey levels: (v * levels + 127) / 255.
template <int Levels>
constexpr std::array<uint8_t, 256> levelTable()
{
    std::array<uint8_t, 256> t{};
    for (int v = 0; v < 256; ++v) t[v] = uint8_t((v * Levels + 127) / 255);
    return t;
}
constexpr auto kGray4 = levelTable<16>();
constexpr auto kGray8 = levelTable<64>();

// Slant of a made-up italic: about 12 degrees, x += 0.2126 y (16.16 fixed point).
constexpr FT_Fixed kShear = 0x0366A;

uint32_t toIndex(Face& face, uint32_t glyph, bool byIndex, bool* ok)
{
    *ok = true;
    if (byIndex) {
        *ok = glyph < uint32_t(face.ft->num_glyphs);
        return glyph;
    }
    if (glyph > kLastCodePoint) {
        *ok = false;
        return 0;
    }
    return FT_Get_Char_Index(face.ft, glyph);
}

// The rendered slot bitmap repacked into out with 4-byte rows. The slot holds either
// FreeType's 1-bit or 8-bit render (or an embedded strike in either form).
bool repack(const FT_Bitmap& bm, GlyphFormat format, std::vector<uint8_t>& out, long* count)
{
    const int width = int(bm.width), rows = int(bm.rows);
    if (bm.pitch < 0 || (bm.pixel_mode != FT_PIXEL_MODE_MONO && bm.pixel_mode != FT_PIXEL_MODE_GRAY)) return false;
    const bool mono = format == GlyphFormat::Mono;
    const size_t pitch = mono ? size_t((width + 31) / 32) * 4 : size_t((width + 3) & ~3);
    out.assign(pitch * rows, 0);
    *count = long(pitch * rows);
    const bool srcMono = bm.pixel_mode == FT_PIXEL_MODE_MONO;
    for (int y = 0; y < rows; ++y) {
        const uint8_t* src = bm.buffer + size_t(y) * bm.pitch;
        uint8_t* dst = out.data() + size_t(y) * pitch;
        if (mono && srcMono) {
            std::memcpy(dst, src, size_t(width + 7) / 8);
        } else if (mono) {
            for (int x = 0; x < width; ++x)
                if (src[x] >= 128) dst[x >> 3] |= uint8_t(0x80 >> (x & 7));
        } else if (srcMono) {
            const uint8_t full = format == GlyphFormat::Gray4 ? 16 : 64;
            for (int x = 0; x < width; ++x) dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? full : 0;
        } else {
            const auto& table = format == GlyphFormat::Gray4 ? kGray4 : kGray8;
            for (int x = 0; x < width; ++x) dst[x] = table[src[x]];
        }
    }
    return true;
}

bool renderSlot(Face& face, FT_Render_Mode mode)
{
    FT_GlyphSlot slot = face.ft->glyph;
    if (slot->format == FT_GLYPH_FORMAT_BITMAP) return true;
    return FT_Render_Glyph(slot, mode) == 0;
}

}  // namespace

bool loadGlyph(Face& face, uint32_t glyphIndex)
{
    face.activate();
    FT_Int32 flags = FT_LOAD_DEFAULT;
    // Made-up bold and italic need the outline even where the face embeds a strike.
    if (face.embolden || face.shear) flags |= FT_LOAD_NO_BITMAP;
    if (FT_Load_Glyph(face.ft, glyphIndex, flags) != 0) return false;
    FT_GlyphSlot slot = face.ft->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (face.shear) {
            FT_Matrix shear{0x10000, kShear, 0, 0x10000};
            FT_Outline_Transform(&slot->outline, &shear);
        }
        if (face.embolden) {
            FT_Outline_EmboldenXY(&slot->outline, 64, 0);
            slot->advance.x += 64;
        }
    }
    return true;
}

uint32_t glyphIndex(Face& face, uint32_t code)
{
    if (code > kLastCodePoint) return 0;
    std::lock_guard lock(faceLock());
    return FT_Get_Char_Index(face.ft, code);
}

long renderGlyph(Face& face, uint32_t glyph, bool byIndex, GlyphFormat format, GlyphBox* box,
                 uint8_t* buffer, size_t size)
{
    std::lock_guard lock(faceLock());
    // Faces without outlines have no glyph outlines to give, as with raster fonts.
    if (!face.metrics.scalable) return -1;
    bool ok = false;
    const uint32_t index = toIndex(face, glyph, byIndex, &ok);
    if (!ok) return -1;
    if (face.lastGlyph != index || face.lastFormat != format) {
        face.lastGlyph = UINT32_MAX;
        if (!loadGlyph(face, index)) return -1;
        const FT_GlyphSlot slot = face.ft->glyph;
        // FreeType's mono renderer gives an empty outline a blank 1 x 1 bitmap; GDI
        // gives no bytes at all.
        const bool blank = slot->format == FT_GLYPH_FORMAT_OUTLINE && slot->outline.n_contours == 0;
        if (!blank && !renderSlot(face, format == GlyphFormat::Mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL))
            return -1;
        GlyphBox b;
        b.originX = blank ? 0 : slot->bitmap_left;
        b.originY = blank ? 0 : slot->bitmap_top;
        b.advance = int((slot->advance.x + 32) >> 6);
        long count = 0;
        if (blank || slot->bitmap.width == 0 || slot->bitmap.rows == 0) {
            b.width = b.height = 1;
            face.lastBits.clear();
        } else {
            if (!repack(slot->bitmap, format, face.lastBits, &count)) return -1;
            b.width = int(slot->bitmap.width);
            b.height = int(slot->bitmap.rows);
        }
        face.lastBox = b;
        face.lastCount = count;
        face.lastGlyph = index;
        face.lastFormat = format;
    }
    if (box) *box = face.lastBox;
    if (buffer && size) {
        if (size < size_t(face.lastCount)) return -1;
        if (face.lastCount) std::memcpy(buffer, face.lastBits.data(), size_t(face.lastCount));
    }
    return face.lastCount;
}

bool forEachInkWith(Face& face, const uint32_t* codes, size_t count, void (*paint)(const GlyphInk&, void*),
                    void* context)
{
    std::lock_guard lock(faceLock());
    face.lastGlyph = UINT32_MAX;  // the slot is reused below
    std::vector<uint8_t> packed;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t index = codes[i] <= kLastCodePoint ? FT_Get_Char_Index(face.ft, codes[i]) : 0;
        if (!loadGlyph(face, index) || !renderSlot(face, FT_RENDER_MODE_MONO)) return false;
        const FT_GlyphSlot slot = face.ft->glyph;
        GlyphInk ink;
        ink.left = slot->bitmap_left;
        ink.top = slot->bitmap_top;
        ink.advance = int((slot->advance.x + 32) >> 6);
        if (slot->bitmap.width && slot->bitmap.rows) {
            long bytes = 0;
            if (!repack(slot->bitmap, GlyphFormat::Mono, packed, &bytes)) return false;
            ink.bits = packed.data();
            ink.width = int(slot->bitmap.width);
            ink.height = int(slot->bitmap.rows);
            ink.pitch = int(bytes / ink.height);
        }
        paint(ink, context);
    }
    return true;
}

long textAdvance(Face& face, const uint32_t* codes, size_t count)
{
    std::lock_guard lock(faceLock());
    face.lastGlyph = UINT32_MAX;
    long total = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t index = codes[i] <= kLastCodePoint ? FT_Get_Char_Index(face.ft, codes[i]) : 0;
        if (loadGlyph(face, index)) total += long((face.ft->glyph->advance.x + 32) >> 6);
    }
    return total;
}

}  // namespace plat::font
