// Listing installed font faces by name and character set through GDI.
#include <cstring>
#include <string_view>

#include "media/graphics/font/font.h"
#include "media/graphics/font/font_internal.h"

namespace ZaDod {

namespace pw = plat::win;

namespace {

constexpr int kNameUnits = 64;  // one 128-byte entry a face

struct EnumFontState {
    char16_t* buffer;  // null: only count, or only look for the wanted face
    int count;
    int capacity;
    const char16_t* face;
    int found;
};

int EnumFontNameExProc(const pw::LOGFONTW* font, const pw::TEXTMETRICW*, pw::DWORD, pw::LPARAM param) {
    auto* state = reinterpret_cast<EnumFontState*>(param);
    const auto* name = reinterpret_cast<const char16_t*>(font->lfFaceName);
    const std::u16string_view view(name);
    if (state->buffer == nullptr) {
        if (state->face != nullptr && view == std::u16string_view(state->face)) state->found = 1;
        if (!view.empty() && view[0] != u'@') ++state->count;
        return 1;
    }
    if (view.empty() || view[0] == u'@') return 1;
    for (int i = 0; i < state->count; ++i)
        if (std::u16string_view(state->buffer + i * kNameUnits) == view) return 1;
    char16_t* entry = state->buffer + state->count * kNameUnits;
    const size_t units = std::min<size_t>(view.size(), kNameUnits - 1);
    std::memcpy(entry, name, units * sizeof(char16_t));
    entry[units] = 0;
    ++state->count;
    return state->capacity != 0 && state->count >= state->capacity ? 0 : 1;
}

int EnumFontFamilyList(EnumFontState* state, int byName, int charSet) {
    pw::LOGFONTW query{};
    query.lfCharSet = static_cast<pw::BYTE>(charSet < 0 ? 1 : FontCharSetToGdi(charSet));
    if (byName && state->face != nullptr) {
        size_t i = 0;
        for (; i < pw::LF_FACESIZE - 1 && state->face[i]; ++i) query.lfFaceName[i] = state->face[i];
        query.lfFaceName[i] = 0;
    }
    pw::HDC dc = pw::GetDC(nullptr);
    pw::EnumFontFamiliesExW(dc, &query, EnumFontNameExProc, reinterpret_cast<pw::LPARAM>(state), 0);
    if (dc) pw::ReleaseDC(nullptr, dc);
    return 0;
}

}  // namespace

// A null buffer counts the faces without storing them.
int EnumFontNameEx(char16_t* buffer, int capacity, const char16_t* faceName, int charSet) {
    EnumFontState state{buffer, 0, capacity, faceName, 0};
    if (EnumFontFamilyList(&state, 1, charSet) != 0) return -1;
    return state.count;
}

}  // namespace ZaDod
