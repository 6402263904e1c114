// The font stand-in's shared state: one lock over the FreeType library, the fontconfig
// configuration (the system's plus the alias table) and the cache of opened face files.
#pragma once
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H
#include <fontconfig/fontconfig.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/font/font_faces.h"

namespace plat::font {

// Everything below is used with faceLock() held.
std::mutex& faceLock();

// The library; null when FreeType can't start.
FT_Library freeTypeLibrary();

// The configuration, loaded on first use; null when fontconfig can't start.
FcConfig* fontConfig();

// An opened face file, shared by every size made from it; lives until the process ends.
// Null when the file can't be opened.
FT_Face cachedFace(const std::string& file, int index);

// The alias table: names games ask for, each with the installed families to try.
struct FaceAlias {
    const char* name;
    std::vector<const char*> families;
};
const std::vector<FaceAlias>& faceAliases();
// The table as fontconfig rules.
std::string aliasRules();

class Face {
public:
    Face() = default;
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;
    ~Face();

    std::string file;
    int index = 0;
    FT_Face ft = nullptr;    // the cached face
    FT_Size size = nullptr;  // this face's own size object
    FaceMetrics metrics;
    bool embolden = false;
    bool shear = false;

    // The last glyph rendered, so that a size query followed by the render loads once.
    uint32_t lastGlyph = UINT32_MAX;
    GlyphFormat lastFormat = GlyphFormat::Mono;
    GlyphBox lastBox;
    std::vector<uint8_t> lastBits;
    long lastCount = -1;

    // Makes this face's size current on the shared FT_Face.
    void activate() { FT_Activate_Size(size); }
};

// Loads a glyph into the face's slot with the face's synthesis applied (outline faces:
// emboldening and shearing before rendering). False when it can't be loaded.
bool loadGlyph(Face& face, uint32_t glyphIndex);

}  // namespace plat::font
