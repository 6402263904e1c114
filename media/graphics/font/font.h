// Font handles: one font at one size and style per handle, its glyph cache (texture
// page with a device, memory image without one), the GDI face that rasterises its
// glyphs, the per-handle settings and the library's default font (handle -2).
#pragma once
#include <cstddef>
#include <cstdint>

#include "media/base/handle.h"
#include "media/graphics/base_image.h"
#include "media/graphics/graph_types.h"
#include "media/graphics/mem_img.h"
#include "platform/win/gdi.h"

namespace ZaDod {

constexpr int kMaxFontHandles = 40;
constexpr int kFontSlotCount = 2024;
constexpr int kFontLargeCodeMax = 1024;
constexpr int kFontCharImageMax = 256;
constexpr int kDefaultFontHandle = -2;

// Font type bits.
constexpr uint32_t kFontTypeEdge = 0x01;
constexpr uint32_t kFontTypeAntialiased = 0x02;
constexpr uint32_t kFontTypeSuper4 = 0x10;
constexpr uint32_t kFontTypeSuper8 = 0x20;

struct FontGlyphIndexEntry;

struct FontGlyphSlot {
    uint32_t code;
    uint8_t inUse;
    uint8_t picture;  // 0 here; 1 in a FontCharImage
    int16_t drawX, drawY;
    int16_t advance;
    uint16_t width, height;
    int32_t index;  // -1 in the end sentinel
    uint32_t column, row;
    FontGlyphIndexEntry* indexEntry;  // null for codes of 0x10000 and more
};

struct FontGlyphIndexEntry {
    uint32_t cached;
    FontGlyphSlot* slot;
};

struct FontCharImage {
    uint32_t code;
    uint8_t one;
    uint8_t picture;
    int16_t drawX, drawY;
    int16_t advance;
    uint16_t width, height;
    int32_t graph;
    uint32_t column, row;  // not used
    uint32_t zero;
};

// The GDI side of a font.
struct FontGdiSource {
    int noOutline;
    plat::win::HBITMAP dib;
    void* dibBits;
    int dibPitch;
    plat::win::HFONT font;
    uint8_t* glyphBuffer;
    size_t glyphBufferSize;
};

// FontCreateParam: 0 don't use a texture cache; 1 16-bit textures for anti-aliased
// fonts; 2 wanted number of cached glyphs (0 automatic); 3 grey flag.
struct FontCreateParam {
    uint32_t word[4];
};

struct FontHandleRecord {
    HandleEntryHeader header;
    FontGdiSource* gdi;
    int* lostFlag;
    uint32_t dataImage;  // glyphs from a font data image instead of GDI

    // Font data image (font_data_image.cpp): one block holds the image copy, its
    // unpacked header, the code index, the large-code list and the unpack buffer.
    uint8_t* imageBlock;
    const uint8_t* imageCopy;  // the image as given
    size_t imageSize;
    const uint8_t* imageHeader;
    const uint8_t* imageGlyphs;  // 32-byte glyph entries
    const uint8_t* imageBits;    // glyph bitmap data
    size_t imageBitsSize;
    uint32_t imageDepth;  // 0 (1 bit), 4 or 8
    const uint8_t** imageIndex;  // 65536 entries: the glyph entry of a code, or null
    const uint8_t** imageLarge;  // entries of codes 0x10000 and above
    uint32_t imageLargeCount;
    uint8_t* imageUnpack;
    size_t imageUnpackSize;

    FontGlyphSlot slots[kFontSlotCount + 1];
    FontGlyphIndexEntry index[0x10000];
    uint32_t largeCount;
    FontGlyphSlot* large[kFontLargeCodeMax];  // oldest first
    uint32_t cursor;
    uint32_t slotCount;

    uint8_t* memCache;
    int memPitch;
    int memBits;  // 1 or 8

    uint32_t charImageCount;
    FontCharImage charImages[kFontCharImageMax];

    char16_t name[128];
    uint16_t thickness;
    uint16_t size;
    uint16_t cellHeight;
    uint16_t leading;
    uint8_t italic;
    uint16_t cellWidth;  // after set-up: the side of the square cell
    uint16_t charSet;
    uint16_t codePage;  // 65535: the system's narrow code page
    uint16_t baseLine;

    int32_t codePageOverride;
    int32_t space;
    uint32_t lineSpaceFlag;
    int32_t lineSpace;
    uint32_t fontType;
    uint32_t edgeSize;

    uint32_t cacheWidth, cacheHeight;
    uint32_t rowsPerColumn;
    uint8_t* work;
    size_t workSize;

    // Texture cache.
    int32_t cacheGraph;
    int32_t edgeGraph;
    int32_t textureLost;  // re-create the texture
    BaseImage cacheImage;
    int32_t textureBits;  // 16 or 32
    int32_t grey;
    int32_t textureWidth, textureHeight;
    float textureWidthInv, textureHeightInv;
    int32_t pending;
    int32_t pendingRect[4];  // left, top, right, bottom
    int32_t useTexture;

    FontGdiSource gdiSource;

    // The creation parameter and the graph-creation settings in force when the handle
    // was made. A font set up on first use (the settings above are final, but the face,
    // its metrics and the glyph cache are made by FinishFontSetup) is made with them, and
    // so is every font made again after a device restore.
    uint8_t setupPending;
    uint8_t setupWasDefaulted;
    uint8_t setupGraphParamKept;  // while (re)making: the cache texture uses setupGraphParam
    FontCreateParam setupParam;
    SetupGraphParam setupGraphParam;
};

// ---- Handles (font_handle.cpp) ----
int CreateFontHandle(const char* name, int size, int thickness, int fontType, int charSet, int edgeSize,
                     int italic, int wantedHandle = -1);
int CreateFontHandleW(const FontCreateParam* param, const char16_t* name, int size, int thickness, int fontType,
                      int charSet, int edgeSize, int italic, int wantedHandle, int async);
// Records the creation parameter in the font and, unless the record already holds the
// graph-creation settings to make it with (setupGraphParamKept), the current ones.
void KeepFontCreation(FontHandleRecord* font, const FontCreateParam* param);
int SetupFontHandle(const FontCreateParam* param, int handle, const char16_t* name, int size, int thickness,
                    int fontType, int charSet, int edgeSize, int italic, int inTask);
// As SetupFontHandle, but the face and its cache are made on the handle's first use
// (FinishFontSetup, which GetFontRecord runs): a font nobody draws with costs neither
// the font configuration nor a cache texture.
int SetupFontHandleOnFirstUse(const FontCreateParam* param, int handle, const char16_t* name, int size,
                              int thickness, int fontType, int charSet, int edgeSize, int italic);
// As CreateFontHandle (at once, never on a loading worker), set up on first use.
int CreateFontHandleOnFirstUse(const char* name, int size, int thickness, int fontType, int charSet, int edgeSize,
                               int italic);
// Makes the face and cache of a font set up on first use; 0 when done or nothing was left.
int FinishFontSetup(FontHandleRecord* font);
int DeleteFontHandle(int handle);
int CheckFontHandleValid(int handle);
// The record of a font handle, its set-up finished (null when that fails: the handle
// is deleted then, as a failed creation would have deleted it).
FontHandleRecord* GetFontRecord(int handle);
// The record without finishing its set-up: for the settings that set-up does not change
// (name of a font without one, size, thickness, type, set, spacing, line spacing).
FontHandleRecord* GetFontSettingsRecord(int handle);
int GetDefaultFontHandle();
// The default font made on first use could not make its face (its handle is gone):
// the default is made again at once, falling back to the built-in font.
void DefaultFontFaceFailed();
int InitFontHandle(HandleEntryHeader* record);
int TerminateFontHandle(HandleEntryHeader* record);

// ---- Per-handle settings (font_settings.cpp) ----
int GetFontSizeToHandle(int handle);
int GetFontSpaceToHandle(int handle);
int GetFontCharCodeFormat(int handle);
int GetFontParamToHandle(char16_t* nameOut, int* sizeOut, int* thicknessOut, int handle, int* fontTypeOut,
                         int* charSetOut, int* edgeSizeOut, int* italicOut);
int SetFontSpaceToHandle(int space, int handle);
int SetFontLineSpaceToHandle(int lineSpace, int handle);
int SetFontCharCodeFormatToHandle(int codePage, int handle);
int SetFontLostFlag(int handle, int* flag);
int RegisterCharImageToHandle(int handle, const char* string, int graph, int drawX, int drawY, int advance);
int RegisterCharImageToHandleW(int handle, const char16_t* string, int graph, int drawX, int drawY, int advance);

// ---- Module and default font (font_default.cpp) ----
int SetFontSpace(int space);
int SetDefaultFontParam(const char16_t* name, int size, int thickness, int fontType, int charSet, int edgeSize,
                        int italic);
void GetDefaultFontCreateParam(FontCreateParam* param);
int InitializeFontManage();
int TerminateFontManage();
int ResetAllFontHandles(int shutdown);
int RefreshAllFontHandles();
int SetupDefaultFont();
// The handle for an entry's argument: -2 runs SetupDefaultFont and gives the default.
int ResolveFontHandle(int handle);

// ---- Glyph cache (font_cache.cpp, font_cache_texture.cpp) ----
int CreateFontToHandle(const FontCreateParam* param, FontHandleRecord* font, int inTask);
int SetupFontCacheTexture(FontHandleRecord* font, int inTask);
int ClearFontCache(FontHandleRecord* font, int inTask);
FontGlyphSlot* CacheOneChar(FontHandleRecord* font, uint32_t code, int* reportFlag);
FontGlyphSlot* CacheStringChars(int count, const uint32_t* codes, FontHandleRecord* font, int updateFlag);
int CacheStringGlyphs(FontHandleRecord* font, const char16_t* text, int length, uint32_t* codesOut,
                      int* countOut);
int UpdateFontCacheRect(FontHandleRecord* font, const int* rect);
int FlushFontCacheTexture(FontHandleRecord* font);
// The slot of a cached code, or null.
FontGlyphSlot* FindCachedGlyph(FontHandleRecord* font, uint32_t code);
// One UTF-16 character: little-endian for 1200, big-endian otherwise; *size 2 or 4.
uint32_t GetCharCodeAndSize(const void* text, int codePage, int* size);

// ---- Glyph rasterising (font_gdi.cpp, font_glyph_write.cpp, font_enum.cpp) ----
int CreateFontGdiObject(FontHandleRecord* font, int setWasDefaulted);
int DeleteFontGdiObject(FontHandleRecord* font);
int TerminateFontGdiObject(FontHandleRecord* font);
int BeginTextCacheDC(FontHandleRecord* font);
int EndTextCacheDC(FontHandleRecord* font);
int RenderGlyphWithGdi(FontHandleRecord* font, FontGlyphSlot* slot, uint32_t code, int updateFlag);
int WriteGlyphToFontCache(FontHandleRecord* font, FontGlyphSlot* slot, uint32_t code, int isSpace, int mode,
                          const void* bits, int width, int height, int pitch, int originX, int originY,
                          int advance, int updateFlag);
// Drops a slot's old character from the index.
void ReleaseFontGlyphSlot(FontHandleRecord* font, FontGlyphSlot* slot);
// Indexes a freshly written slot (large codes join the list, evicting the oldest).
void IndexFontGlyphSlot(FontHandleRecord* font, FontGlyphSlot* slot, uint32_t code);
void BuildFontLevelTables();
int EnumFontNameEx(char16_t* buffer, int capacity, const char16_t* faceName, int charSet);

// ---- Font data images (font_data_image.cpp) ----
int SetupBuiltinFontHandle(const FontCreateParam* param, int handle, const void* image, size_t imageSize,
                           int edgeSize, int inTask);
// A handle from a font data image; the image is copied before the call returns.
int CreateDefaultFontHandle(const FontCreateParam* param, const void* image, size_t imageSize, int edgeSize,
                            int async, int wantedHandle = -1);
// Writes a data-image font's glyph of a code into a slot; -1 when the image has none.
int RenderGlyphFromDataImage(FontHandleRecord* font, FontGlyphSlot* slot, uint32_t code, int updateFlag);
void ReleaseFontDataImage(FontHandleRecord* font);

// ---- Built-in fallback font (font_fallback.cpp) ----
// Makes the default font from the built-in data image and glyph sheet, in place of the
// default font before (which goes); when the built-in font is the default already it is
// kept. -1 when the sheet's memory or the handle can't be had (the default font stays).
int SetupFallbackFont();
// 1 when the fallback's graphs exist.
int FallbackFontReady();
void TerminateFallbackFont();
// Registers the fallback's pictures of codes 0-127 on a font.
void RegisterFallbackPictures(FontHandleRecord* font);

// ---- String drawing and measuring (font_draw.cpp, font_draw_memimg.cpp, font_measure.cpp) ----
int DrawString(int x, int y, const char* string, unsigned int color, unsigned int edgeColor = 0);
int DrawStringToHandle(int x, int y, const char* string, unsigned int color, int handle, unsigned int edgeColor = 0,
                       int vertical = 0);
int DrawStringToHandleW(int x, int y, const char16_t* string, unsigned int color, int handle,
                        unsigned int edgeColor = 0, int vertical = 0);
int DrawStringByTextureCache(int x, int y, float xf, float yf, int integerPosition, const char16_t* string,
                             unsigned int color, FontHandleRecord* font, unsigned int edgeColor, int vertical);
int DrawStringByMemImg(int x, int y, const char16_t* string, unsigned int color, FontHandleRecord* font,
                       unsigned int edgeColor, int vertical);
int GetDrawStringWidthToHandle(const char* string, int length, int handle, int vertical = 0);
int GetDrawStringWidthToHandleW(const char16_t* string, int length, int handle, int vertical = 0);
struct StringSize {
    int width, height;
    // The box the glyphs' cells may cover, from the draw position (left and top are
    // negative where a negative spacing or line spacing moves the pen back, or where the
    // lines of vertical text run left).
    int left, top, right, bottom;
};
// The layout core: measures, or draws each glyph (texture quads, or the memory cache
// into destImage). Returns the final pen x truncated, or -1.
int DrawStringBase(int draw, int xi, int yi, float xf, float yf, int integerPosition, const char16_t* string,
                   unsigned int color, MEMIMG* destImage, const ImageRect* clipRect, int transparent,
                   FontHandleRecord* font, unsigned int edgeColor, int length, int vertical, StringSize* sizeOut);

// The code of U+3000 in the wide code page, taken at start.
extern uint32_t FontWideSpaceCode;

}  // namespace ZaDod
