// Opening a sized face and its metrics in the GDI conventions: an integer pixel size
// from the asked height and the face's Windows (or horizontal-header) ascent and
// descent, everything else scaled from it.
#include <ft2build.h>
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdlib>

#include "platform/font/face_match.h"

namespace plat::font {
namespace {

constexpr int kDefaultCellHeight = 16;
constexpr int kMaxPpem = 4096;

// round(value * ppem / upem) for values of either sign.
int scaled(long value, int ppem, int upem)
{
    const long long n = static_cast<long long>(value) * ppem * 2;
    const long long d = static_cast<long long>(upem) * 2;
    return int(n >= 0 ? (n + upem) / d : -((-n + upem) / d));
}

int advanceOf(FT_Face ft, uint32_t code, int fallback)
{
    const FT_UInt index = FT_Get_Char_Index(ft, code);
    if (index == 0 || FT_Load_Glyph(ft, index, FT_LOAD_DEFAULT) != 0) return fallback;
    return int((ft->glyph->advance.x + 32) >> 6);
}

bool sizeOutlineFace(Face& face, int height)
{
    FT_Face ft = face.ft;
    const int upem = ft->units_per_EM ? ft->units_per_EM : 1000;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(ft, FT_SFNT_HHEA));
    long hheaAscent = hhea ? hhea->Ascender : ft->ascender;
    long hheaDescent = hhea ? -hhea->Descender : -ft->descender;
    long lineGap = hhea ? hhea->Line_Gap : std::max<long>(0, ft->height - (hheaAscent + hheaDescent));
    long ascent = hheaAscent, descent = hheaDescent;
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        ascent = os2->usWinAscent;
        descent = os2->usWinDescent;
    }
    if (ascent + descent <= 0) return false;

    long long ppem;
    if (height > 0)
        ppem = (2LL * std::min(height, 1 << 20) * upem + (ascent + descent)) / (2LL * (ascent + descent));
    else
        ppem = height < 0 ? -static_cast<long long>(height) : 0;
    if (height == 0)
        ppem = (2LL * kDefaultCellHeight * upem + (ascent + descent)) / (2LL * (ascent + descent));
    const int px = int(std::clamp<long long>(ppem, 1, kMaxPpem));
    if (FT_Set_Pixel_Sizes(ft, 0, FT_UInt(px)) != 0) return false;

    FaceMetrics& m = face.metrics;
    m.ppem = px;
    m.ascent = scaled(ascent, px, upem);
    m.descent = scaled(descent, px, upem);
    m.height = m.ascent + m.descent;
    m.internalLeading = m.height - px;
    const long external = lineGap - ((ascent + descent) - (hheaAscent + hheaDescent));
    m.externalLeading = external > 0 ? scaled(external, px, upem) : 0;
    const long maxAdvance = hhea ? hhea->advance_Width_Max : ft->max_advance_width;
    m.maxCharWidth = scaled(maxAdvance, px, upem) + (face.embolden ? 1 : 0);
    m.aveCharWidth = os2 && os2->version != 0xFFFF && os2->xAvgCharWidth > 0
                         ? scaled(os2->xAvgCharWidth, px, upem)
                         : advanceOf(ft, 'x', m.maxCharWidth);
    if (face.embolden) m.aveCharWidth += 1;
    return true;
}

// A face without outlines offers fixed strikes; take the one nearest the asked cell
// (positive height) or em (negative height).
bool sizeStrikeFace(Face& face, int height)
{
    FT_Face ft = face.ft;
    if (ft->num_fixed_sizes <= 0) return false;
    const long want = height == 0 ? kDefaultCellHeight : std::labs(long(height));
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < ft->num_fixed_sizes; ++i) {
        const FT_Bitmap_Size& s = ft->available_sizes[i];
        const long have = height < 0 ? (s.y_ppem + 32) >> 6 : s.height;
        const long distance = std::labs(have - want);
        if (bestDistance < 0 || distance < bestDistance) best = i, bestDistance = distance;
    }
    if (FT_Select_Size(ft, best) != 0) return false;
    const FT_Size_Metrics& sm = ft->size->metrics;
    FaceMetrics& m = face.metrics;
    m.ppem = std::max(1, int((sm.y_ppem)));
    m.ascent = int((sm.ascender + 32) >> 6);
    m.descent = int((-sm.descender + 32) >> 6);
    m.height = m.ascent + m.descent;
    m.internalLeading = m.height - m.ppem;
    m.externalLeading = 0;
    m.maxCharWidth = int((sm.max_advance + 32) >> 6);
    m.aveCharWidth = advanceOf(ft, 'x', m.maxCharWidth);
    return true;
}

}  // namespace

FaceRef openFace(const FaceRequest& request, int height)
{
    std::lock_guard lock(faceLock());
    ResolvedFace resolved;
    if (!resolveFace(request, &resolved)) return nullptr;
    FT_Face ft = cachedFace(resolved.file, resolved.index);
    if (!ft) return nullptr;
    auto face = std::make_shared<Face>();
    face->file = resolved.file;
    face->index = resolved.index;
    face->ft = ft;
    if (FT_New_Size(ft, &face->size) != 0) {
        face->size = nullptr;
        return nullptr;
    }
    face->activate();
    const bool scalable = FT_IS_SCALABLE(ft);
    const int weight = request.weight > 0 ? request.weight : 400;
    // Bold and italic that the face found lacks are made up from its outlines.
    face->embolden = scalable && weight >= 600 && resolved.weight < 600;
    face->shear = scalable && request.italic && resolved.upright;
    if (!(scalable ? sizeOutlineFace(*face, height) : sizeStrikeFace(*face, height))) {
        FT_Done_Size(face->size);
        face->size = nullptr;
        return nullptr;
    }
    FaceMetrics& m = face->metrics;
    m.scalable = scalable;
    m.weight = face->embolden ? weight : resolved.weight;
    m.italic = request.italic || !resolved.upright;
    m.fixedPitch = FT_IS_FIXED_WIDTH(ft);
    m.coversKana = FT_Get_Char_Index(ft, 0x3042) != 0;
    return face;
}

const FaceMetrics& faceMetrics(const Face& face) { return face.metrics; }
const std::string& faceFile(const Face& face) { return face.file; }
int faceIndex(const Face& face) { return face.index; }

}  // namespace plat::font
