// GDI font entry points: font creation, text metrics, glyph bitmaps, glyph indices and
// the family list, over the font stand-in's faces.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/win/gdi_font_internal.h"
#include "platform/win/path.h"

namespace plat::win {

const char* charsetLanguage(DWORD charSet) {
  switch (charSet) {
    case ANSI_CHARSET: return "en";
    case SHIFTJIS_CHARSET: return "ja";
    case HANGUL_CHARSET: return "ko";
    case GB2312_CHARSET: return "zh-cn";
    case CHINESEBIG5_CHARSET: return "zh-tw";
    default: return "";
  }
}

std::string faceNameUtf8(const WCHAR* name) {
  std::string out;
  if (!name) return out;
  // Names longer than a LOGFONTW holds are cut as GDI cuts them.
  std::u16string cut;
  for (int i = 0; i < LF_FACESIZE - 1 && name[i]; ++i) cut += name[i];
  if (!utf8FromUtf16(cut.c_str(), out)) out.clear();
  return out;
}

std::vector<uint32_t> codePoints(LPCWSTR text, int count) {
  std::vector<uint32_t> codes;
  if (!text || count <= 0) return codes;
  codes.reserve(size_t(count));
  for (int i = 0; i < count; ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    }
    codes.push_back(c);
  }
  return codes;
}

plat::font::Face* selectedFace(HDC dc, MemoryDc** memory) {
  MemoryDc* m = findMemoryDc(dc);
  if (memory) *memory = m;
  return m && m->font ? m->font->face.get() : nullptr;
}

HFONT CreateFontW(int height, int, int, int, int weight, DWORD italic, DWORD, DWORD, DWORD charSet, DWORD, DWORD, DWORD,
                  DWORD pitchAndFamily, LPCWSTR face) {
  plat::font::FaceRequest request;
  request.family = faceNameUtf8(face);
  request.weight = weight > 0 ? weight : FW_NORMAL;
  request.italic = italic != 0;
  request.lang = charsetLanguage(charSet);
  request.preferFixedPitch = (pitchAndFamily & 3) == FIXED_PITCH;
  plat::font::FaceRef sized = plat::font::openFace(request, height);
  if (!sized) return nullptr;
  auto* font = new GdiFont;
  font->face = std::move(sized);
  font->charSet = charSet;
  return registerGdiObject(font);
}

BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* out) {
  MemoryDc* memory = nullptr;
  plat::font::Face* face = selectedFace(dc, &memory);
  if (!face || !out) return FALSE;
  const plat::font::FaceMetrics& m = plat::font::faceMetrics(*face);
  TEXTMETRICW tm{};
  tm.tmHeight = m.height;
  tm.tmAscent = m.ascent;
  tm.tmDescent = m.descent;
  tm.tmInternalLeading = m.internalLeading;
  tm.tmExternalLeading = m.externalLeading;
  tm.tmAveCharWidth = m.aveCharWidth;
  tm.tmMaxCharWidth = m.maxCharWidth;
  tm.tmWeight = m.weight;
  tm.tmItalic = m.italic ? 1 : 0;
  tm.tmPitchAndFamily = BYTE((m.fixedPitch ? 0 : TMPF_FIXED_PITCH) | (m.scalable ? TMPF_VECTOR | TMPF_TRUETYPE : 0));
  const DWORD asked = memory->font->charSet;
  tm.tmCharSet = BYTE(asked == DEFAULT_CHARSET ? (m.coversKana ? SHIFTJIS_CHARSET : ANSI_CHARSET) : asked);
  *out = tm;
  return TRUE;
}

DWORD GetGlyphOutlineW(HDC dc, UINT code, UINT format, GLYPHMETRICS* metrics, DWORD size, void* buffer,
                       const MAT2* matrix) {
  plat::font::Face* face = selectedFace(dc, nullptr);
  if (!face || !matrix) return GDI_ERROR;
  const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  if (std::memcmp(matrix, &identity, sizeof identity) != 0) return GDI_ERROR;
  plat::font::GlyphFormat kind;
  switch (format & ~GGO_GLYPH_INDEX) {
    case GGO_BITMAP: kind = plat::font::GlyphFormat::Mono; break;
    case GGO_GRAY4_BITMAP: kind = plat::font::GlyphFormat::Gray4; break;
    case GGO_GRAY8_BITMAP: kind = plat::font::GlyphFormat::Gray8; break;
    default: return GDI_ERROR;
  }
  plat::font::GlyphBox box;
  const long count = plat::font::renderGlyph(*face, code, (format & GGO_GLYPH_INDEX) != 0, kind, &box,
                                             buffer ? static_cast<uint8_t*>(buffer) : nullptr, buffer ? size : 0);
  if (count < 0) return GDI_ERROR;
  if (metrics) {
    metrics->gmBlackBoxX = UINT(box.width);
    metrics->gmBlackBoxY = UINT(box.height);
    metrics->gmptGlyphOrigin = POINT{box.originX, box.originY};
    metrics->gmCellIncX = short(box.advance);
    metrics->gmCellIncY = 0;
  }
  return DWORD(count);
}

DWORD GetCharacterPlacementW(HDC dc, LPCWSTR text, int count, int, GCP_RESULTSW* results, DWORD flags) {
  MemoryDc* memory = nullptr;
  plat::font::Face* face = selectedFace(dc, &memory);
  if (!face || !text || count <= 0) return 0;
  const std::vector<uint32_t> codes = codePoints(text, count);
  if (results && (flags & GCP_GLYPHSHAPE) && results->lpGlyphs) {
    const size_t n = std::min<size_t>(codes.size(), results->nGlyphs);
    for (size_t i = 0; i < n; ++i) {
      const uint32_t index = plat::font::glyphIndex(*face, codes[i]);
      results->lpGlyphs[i] = WCHAR(index <= 0xFFFF ? index : 0);
    }
    results->nGlyphs = UINT(n);
  }
  const long width = plat::font::textAdvance(*face, codes.data(), codes.size());
  const int height = plat::font::faceMetrics(*face).height;
  return DWORD((width & 0xFFFF) | (DWORD(height & 0xFFFF) << 16));
}

int EnumFontFamiliesExW(HDC, const LOGFONTW* font, FONTENUMPROCW proc, LPARAM lParam, DWORD) {
  if (!font || !proc) return 0;
  const std::string filter = faceNameUtf8(font->lfFaceName);
  const auto names = plat::font::listFamilies(charsetLanguage(font->lfCharSet), filter);
  int result = 1;
  for (const plat::font::FamilyName& name : names) {
    LOGFONTW found{};
    found.lfCharSet = font->lfCharSet == DEFAULT_CHARSET ? ANSI_CHARSET : font->lfCharSet;
    found.lfWeight = FW_NORMAL;
    const std::u16string wide = utf16FromUtf8(name.name);
    const size_t n = std::min<size_t>(wide.size(), LF_FACESIZE - 1);
    std::copy_n(wide.begin(), n, found.lfFaceName);
    TEXTMETRICW metrics{};
    metrics.tmCharSet = found.lfCharSet;
    metrics.tmWeight = FW_NORMAL;
    result = proc(&found, &metrics, name.scalable ? TRUETYPE_FONTTYPE : RASTER_FONTTYPE, lParam);
    if (result == 0) break;
  }
  return result;
}

}  // namespace plat::win
