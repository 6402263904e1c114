// Helpers shared by the GDI font and text entry points.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/gdi_internal.h"

namespace plat::win {

// The fontconfig language of a charset; empty for every language.
const char* charsetLanguage(DWORD charSet);

// A face name as UTF-8, cut at LF_FACESIZE - 1 characters; empty for null or a name
// that is not valid UTF-16.
std::string faceNameUtf8(const WCHAR* name);

// UTF-16 text as code points; a surrogate pair is one code, a lone surrogate stays
// itself (and so maps to no glyph).
std::vector<uint32_t> codePoints(LPCWSTR text, int count);

// The face of the font selected into a memory device context; null without one.
plat::font::Face* selectedFace(HDC dc, MemoryDc** memory);

}  // namespace plat::win
