// Per-handle font settings: size, spacing, line spacing, the code page of 8-bit text,
// the lost flag and character pictures.
#include <cstring>

#include "media/base/charcode.h"
#include "media/base/memory.h"
#include "media/graphics/font/font.h"
#include "media/graphics/font/font_internal.h"
#include "media/graphics/render_settings.h"

namespace ZaDod {

namespace {
FontHandleRecord* fontOf(int handle) { return GetFontRecord(ResolveFontHandle(handle)); }
// Settings that the face's making leaves alone are set without making it.
FontHandleRecord* settingsOf(int handle) { return GetFontSettingsRecord(ResolveFontHandle(handle)); }
// Making the face changes only a defaulted set of a named font (to 0 when no face has
// exactly that name); every other setting is read without making it.
FontHandleRecord* paramsOf(int handle) {
    FontHandleRecord* font = settingsOf(handle);
    if (font != nullptr && font->setupPending && font->name[0] && font->setupWasDefaulted)
        return GetFontRecord(ResolveFontHandle(handle));
    return font;
}
}  // namespace

int GetFontSizeToHandle(int handle) {
    FontHandleRecord* font = settingsOf(handle);
    return font ? font->size : -1;
}

int GetFontSpaceToHandle(int handle) {
    FontHandleRecord* font = settingsOf(handle);
    return font ? font->space : -1;
}

int GetFontCharCodeFormat(int handle) {
    FontHandleRecord* font = settingsOf(handle);
    if (font == nullptr) return -1;
    if (font->codePageOverride >= 0) return font->codePageOverride;
    if (font->codePage < 65535) return font->codePage;
    return GetDefaultNarrowCodePage();
}

int GetFontParamToHandle(char16_t* nameOut, int* sizeOut, int* thicknessOut, int handle, int* fontTypeOut,
                         int* charSetOut, int* edgeSizeOut, int* italicOut) {
    FontHandleRecord* font = paramsOf(handle);
    if (font == nullptr) return -1;
    if (nameOut) std::memcpy(nameOut, font->name, sizeof font->name);
    if (sizeOut) *sizeOut = font->size;
    if (thicknessOut) *thicknessOut = font->thickness;
    if (fontTypeOut) *fontTypeOut = static_cast<int>(font->fontType);
    if (charSetOut) *charSetOut = font->charSet;
    if (edgeSizeOut) *edgeSizeOut = static_cast<int>(font->edgeSize);
    if (italicOut) *italicOut = font->italic;
    return 0;
}

int SetFontSpaceToHandle(int space, int handle) {
    FontHandleRecord* font = settingsOf(handle);
    if (font == nullptr) return -1;
    font->space = space;
    return 0;
}

int SetFontLineSpaceToHandle(int lineSpace, int handle) {
    FontHandleRecord* font = settingsOf(handle);
    if (font == nullptr) return -1;
    font->lineSpace = lineSpace;
    font->lineSpaceFlag = 1;
    return 0;
}

int SetFontCharCodeFormatToHandle(int codePage, int handle) {
    FontHandleRecord* font = settingsOf(handle);
    if (font == nullptr) return -1;
    font->codePageOverride = codePage;
    return 0;
}

int SetFontLostFlag(int handle, int* flag) {
    FontHandleRecord* font = settingsOf(handle);
    if (font == nullptr) return -1;
    font->lostFlag = flag;
    if (flag) *flag = 0;
    return 0;
}

int RegisterCharImageToHandleW(int handle, const char16_t* string, int graph, int drawX, int drawY, int advance) {
    FontHandleRecord* font = fontOf(handle);
    if (font == nullptr || string == nullptr) return -1;
    int bytes = 0;
    const uint32_t code = GetCharCodeAndSize(string, GetDefaultWideCodePage(), &bytes);
    int width = 0, height = 0;
    if (GetGraphSize(graph, &width, &height) != 0) return -1;
    uint32_t i = 0;
    while (i < font->charImageCount && font->charImages[i].code != code) ++i;
    if (i == font->charImageCount) {
        if (font->charImageCount >= kFontCharImageMax) return -1;
        ++font->charImageCount;
    }
    FontCharImage& image = font->charImages[i];
    image = FontCharImage{};
    image.code = code;
    image.one = 1;
    image.picture = 1;
    image.drawX = static_cast<int16_t>(drawX);
    image.drawY = static_cast<int16_t>(drawY);
    image.advance = static_cast<int16_t>(advance);
    image.width = static_cast<uint16_t>(width);
    image.height = static_cast<uint16_t>(height);
    image.graph = graph;
    return 0;
}

int RegisterCharImageToHandle(int handle, const char* string, int graph, int drawX, int drawY, int advance) {
    if (string == nullptr) return -1;
    const int codePage = GetFontCharCodeFormat(handle);
    if (codePage < 0) return -1;
    const size_t length = std::strlen(string);
    char16_t stackBuffer[505];
    char16_t* wide = stackBuffer;
    size_t units = std::size(stackBuffer);
    if (length + 1 > units) {
        units = length + 16;
        wide = static_cast<char16_t*>(MemAlloc(units * 2, "RaVuru", __LINE__));
        if (wide == nullptr) return -1;
    }
    if (ConvertString(string, codePage, wide, units * 2, GetDefaultWideCodePage()) == 0) wide[0] = 0;
    const int result = RegisterCharImageToHandleW(handle, wide, graph, drawX, drawY, advance);
    if (wide != stackBuffer) MemFree(wide);
    return result;
}

}  // namespace ZaDod
