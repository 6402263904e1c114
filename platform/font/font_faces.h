// Installed font faces for the GDI stand-in: resolving a request to a face file, sizing
// it with the GDI metric conventions, rendering glyphs into GDI's bitmap layouts and
// listing families. Knows nothing of GDI types; FreeType and fontconfig stay inside.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace plat::font {

struct FaceRequest {
    std::string family;      // UTF-8; empty: any face
    int weight = 400;        // OpenType weight class, 0 taken as 400
    bool italic = false;
    std::string lang;        // fontconfig language tag; empty: any language
    bool preferFixedPitch = false;
};

// Text metrics in pixels, in the GDI conventions.
struct FaceMetrics {
    int ppem = 0;
    int height = 0;  // ascent + descent
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;
    int externalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
    int weight = 400;
    bool italic = false;
    bool fixedPitch = false;
    bool scalable = true;     // false: a bitmap strike without outlines
    bool coversKana = false;  // the face maps U+3042
};

enum class GlyphFormat { Mono, Gray4, Gray8 };

// A rendered glyph's black box and placement, in pixels.
struct GlyphBox {
    int width = 0;
    int height = 0;
    int originX = 0;  // left edge relative to the pen
    int originY = 0;  // top edge above the base line
    int advance = 0;
};

// One face file at one pixel size with its made-up bold and italic; each GDI font object
// owns one. Safe to use from any thread: every call takes the font stand-in's lock.
class Face;
using FaceRef = std::shared_ptr<Face>;

// Resolves the request with fontconfig and sizes the face: a positive height is the
// cell height (ascent + descent), a negative one the em height, 0 a default of 16
// pixels of cell. Null only when no face at all is installed.
FaceRef openFace(const FaceRequest& request, int height);

const FaceMetrics& faceMetrics(const Face& face);
const std::string& faceFile(const Face& face);
int faceIndex(const Face& face);

// The face's glyph index for a Unicode code point; 0 when the face does not cover it
// or the code is no code point.
uint32_t glyphIndex(Face& face, uint32_t code);

// Renders a glyph (a code point, or a glyph index when byIndex) into rows padded to
// 4 bytes, top row first: Mono is 1 bit a pixel, most significant bit first; Gray4
// and Gray8 are a byte a pixel with levels 0-16 and 0-64. Returns the byte count
// (0 for a glyph without ink, whose box is then 1 x 1), writing only when buffer is
// not null and size is not 0; -1 when the glyph can't be rendered (no outlines, no
// such glyph, or a buffer smaller than the count, in which case nothing is written).
long renderGlyph(Face& face, uint32_t glyph, bool byIndex, GlyphFormat format, GlyphBox* box,
                 uint8_t* buffer, size_t size);

// A glyph's ink for text painting: 1 bit a pixel, most significant bit first.
struct GlyphInk {
    const uint8_t* bits = nullptr;
    int pitch = 0;
    int width = 0;
    int height = 0;
    int left = 0;  // from the pen
    int top = 0;   // rows above the base line
    int advance = 0;
};

// Hands each code point's ink to paint, in order, under the face lock; works for
// outline faces and bitmap strikes alike. Codes the face does not cover draw its
// glyph 0. False when a glyph fails to load.
template <class F>
bool forEachInk(Face& face, const uint32_t* codes, size_t count, F&& paint);
bool forEachInkWith(Face& face, const uint32_t* codes, size_t count,
                    void (*paint)(const GlyphInk&, void*), void* context);

// The sum of the advances of the codes.
long textAdvance(Face& face, const uint32_t* codes, size_t count);

struct FamilyName {
    std::string name;  // UTF-8
    bool scalable = true;
};

// Family names that cover lang (every language when empty), each name once, including
// the alias table's names whose faces are installed. A non-empty filter keeps only the
// family of that name (compared without case).
std::vector<FamilyName> listFamilies(const std::string& lang, const std::string& filter);

template <class F>
bool forEachInk(Face& face, const uint32_t* codes, size_t count, F&& paint)
{
    return forEachInkWith(
        face, codes, count, [](const GlyphInk& ink, void* context) { (*static_cast<std::remove_reference_t<F>*>(context))(ink); },
        &paint);
}

}  // namespace plat::font
