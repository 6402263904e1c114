// Fonts from in-memory "FNTF" data images: checking an image against its own sizes,
// the one block that holds its copy, unpacked header, code index and unpack buffer,
// handles made from images (at once or on a loading worker, with the image copied
// into the job), and glyphs written from the image's bitmaps.
#include <algorithm>
#include <climits>
#include <cstring>

#include "media/base/decode.h"
#include "media/base/memory.h"
#include "media/file/async_job.h"
#include "media/file/async_load.h"
#include "media/graphics/font/font.h"
#include "media/graphics/font/font_internal.h"
#include "media/system/window.h"

namespace ZaDod {

namespace {

constexpr size_t kHead = 24;          // magic, offsets and counts, before the packed header
constexpr size_t kEntriesAt = 368;    // glyph entries in the unpacked header
constexpr size_t kEntrySize = 32;
constexpr uint64_t kMaxGlyphs = 0x110000;  // one entry per code at most
constexpr uint64_t kMaxUnpack = 1u << 24;  // largest glyph bitmap once unpacked
constexpr int kMaxCell = 512;

uint32_t u32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
uint16_t u16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
int16_t i16(const uint8_t* p) {
    int16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

// One glyph entry as the image stores it.
struct ImageGlyph {
    uint32_t code;
    bool packed;
    int drawX, drawY, advance, width, height;
    uint32_t offset, pitch;
};
ImageGlyph readEntry(const uint8_t* e) {
    return ImageGlyph{u32(e),        e[4] == 1,    i16(e + 6),  i16(e + 8), i16(e + 10),
                      u16(e + 12),   u16(e + 14),  u32(e + 16), u32(e + 20)};
}

uint64_t rowBytes(uint32_t depth, int width) {
    const uint64_t bits = static_cast<uint64_t>(width) * (depth == 0 ? 1 : depth);
    return (bits + 7) / 8;
}

// Every size, count, offset and pitch of the image against the image itself, in 64-bit
// arithmetic. Fills the unpacked-header size.
bool checkImage(const uint8_t* image, size_t imageSize, uint64_t* headerOut) {
    if (image == nullptr || imageSize < kHead + 9 || std::memcmp(image, "FNTF", 4) != 0) return false;
    const uint64_t bitsAt = u32(image + 8), maxUnpack = u32(image + 12);
    const uint64_t glyphs = u32(image + 16), large = u32(image + 20);
    if (bitsAt > imageSize || maxUnpack > kMaxUnpack || glyphs > kMaxGlyphs || large > glyphs) return false;
    const int unpacked = DecompressLZBounded(image + kHead, imageSize - kHead, nullptr, 0);
    if (unpacked < 0 || static_cast<uint64_t>(unpacked) < kEntriesAt - kHead + glyphs * kEntrySize) return false;
    *headerOut = kHead + static_cast<uint64_t>(unpacked);
    return true;
}

bool checkEntries(FontHandleRecord* font, uint32_t glyphs, uint32_t large, uint64_t maxUnpack) {
    uint32_t largeSeen = 0;
    for (uint32_t i = 0; i < glyphs; ++i) {
        const ImageGlyph g = readEntry(font->imageGlyphs + static_cast<size_t>(i) * kEntrySize);
        if (g.width < 0 || g.height < 0 || g.advance < -4096 || g.advance > 4096) return false;
        if (g.code >= 0x10000 && ++largeSeen > large) return false;
        if (g.width == 0 || g.height == 0) continue;
        const uint64_t need = static_cast<uint64_t>(g.pitch) * static_cast<uint64_t>(g.height);
        if (g.pitch < rowBytes(font->imageDepth, g.width)) return false;
        if (g.offset >= font->imageBitsSize) return false;
        if (!g.packed) {
            if (g.offset + need > font->imageBitsSize) return false;
            continue;
        }
        // A packed bitmap's stream must lie inside the data and unpack to the whole glyph.
        const uint64_t room = font->imageBitsSize - g.offset;
        if (room < 9 || need > maxUnpack) return false;
        const uint8_t* stream = font->imageBits + g.offset;
        if (u32(stream + 4) > room || u32(stream) < need || u32(stream) > maxUnpack) return false;
    }
    return true;
}

const uint8_t* findEntry(const FontHandleRecord* font, uint32_t code) {
    if (code < 0x10000) return font->imageIndex[code];
    for (uint32_t i = 0; i < font->imageLargeCount; ++i)
        if (u32(font->imageLarge[i]) == code) return font->imageLarge[i];
    return nullptr;
}

int setupJob(AsyncLoadJob* job) {
    int offset = 0;
    const auto* param = static_cast<const FontCreateParam*>(GetASyncLoadParamStruct(job->Data, &offset));
    const int handle = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
    const void* image = GetASyncLoadParamStruct(job->Data, &offset);
    const auto imageSize = static_cast<size_t>(GetASyncLoadParamInt(job->Data, &offset));
    const int edgeSize = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
    const int result = SetupBuiltinFontHandle(param, handle, image, imageSize, edgeSize, 1);
    EndHandleASyncLoadStep(handle, result != 0 ? 1 : 0);
    return result;
}

}  // namespace

void ReleaseFontDataImage(FontHandleRecord* font) {
    if (font->imageBlock) MemFree(font->imageBlock);
    font->imageBlock = nullptr;
    font->imageHeader = font->imageGlyphs = font->imageBits = font->imageCopy = nullptr;
    font->imageSize = 0;
    font->imageIndex = font->imageLarge = nullptr;
    font->imageUnpack = nullptr;
    font->imageBitsSize = font->imageUnpackSize = 0;
    font->imageLargeCount = 0;
}

int SetupBuiltinFontHandle(const FontCreateParam* param, int handle, const void* imageData, size_t imageSize,
                           int edgeSize, int inTask) {
    HandleEntryHeader* header = GetHandleInfo(handle);
    if (header == nullptr) return -1;
    auto* font = reinterpret_cast<FontHandleRecord*>(header);
    const auto* image = static_cast<const uint8_t*>(imageData);
    auto fail = [&] {
        DeleteFontGdiObject(font);
        ReleaseFontDataImage(font);
        font->dataImage = 0;
        return -1;
    };
    uint64_t headerSize = 0;
    if (!checkImage(image, imageSize, &headerSize)) return fail();
    const uint32_t glyphs = u32(image + 16), large = u32(image + 20);
    const uint64_t maxUnpack = u32(image + 12);

    // One block: image copy, unpacked header, code index, large-code list, unpack buffer.
    const uint64_t indexBytes = 0x10000 * sizeof(const uint8_t*);
    const uint64_t total = imageSize + headerSize + indexBytes + uint64_t{large} * sizeof(const uint8_t*) +
                           maxUnpack + 16;
    ReleaseFontDataImage(font);
    font->imageBlock = static_cast<uint8_t*>(MemCalloc(static_cast<size_t>(total), kFontLogSource, __LINE__));
    if (font->imageBlock == nullptr) return fail();
    uint8_t* at = font->imageBlock;
    font->imageIndex = reinterpret_cast<const uint8_t**>(at);
    at += indexBytes;
    font->imageLarge = reinterpret_cast<const uint8_t**>(at);
    at += uint64_t{large} * sizeof(const uint8_t*);
    uint8_t* copy = at;
    std::memcpy(copy, image, imageSize);
    font->imageCopy = copy;
    font->imageSize = imageSize;
    at += imageSize;
    uint8_t* head = at;
    std::memcpy(head, image, kHead);
    if (DecompressLZBounded(copy + kHead, imageSize - kHead, head + kHead, headerSize - kHead) < 0) return fail();
    at += headerSize;
    font->imageUnpack = at;
    font->imageUnpackSize = static_cast<size_t>(maxUnpack);
    font->imageHeader = head;
    font->imageGlyphs = head + kEntriesAt;
    const uint32_t bitsAt = u32(image + 8);
    font->imageBits = copy + bitsAt;
    font->imageBitsSize = imageSize - bitsAt;

    const uint32_t kind = u32(head + 300);
    if (kind > 2) return fail();
    font->imageDepth = kind == 0 ? 0 : kind == 1 ? 4 : 8;
    if (!checkEntries(font, glyphs, large, maxUnpack)) return fail();
    font->imageLargeCount = 0;
    for (uint32_t i = 0; i < glyphs; ++i) {
        const uint8_t* e = font->imageGlyphs + static_cast<size_t>(i) * kEntrySize;
        const uint32_t code = u32(e);
        if (code < 0x10000)
            font->imageIndex[code] = e;
        else
            font->imageLarge[font->imageLargeCount++] = e;
    }

    // Metrics in the record's own order and widths.
    const uint8_t* m = head + 280;
    const int cellHeight = u16(m + 4), cellWidth = u16(m + 10);
    if (cellHeight < 1 || cellWidth < 1 || cellHeight > kMaxCell || cellWidth > kMaxCell) return fail();
    font->thickness = u16(m);
    font->size = u16(m + 2);
    font->cellHeight = static_cast<uint16_t>(cellHeight);
    font->leading = std::min<uint16_t>(u16(m + 6), static_cast<uint16_t>(cellHeight));
    font->italic = m[8] != 0;
    font->cellWidth = static_cast<uint16_t>(cellWidth);
    font->charSet = std::min<uint16_t>(u16(m + 12), 6);
    font->codePage = u16(m + 14);
    font->baseLine = u16(m + 16);
    size_t n = 0;
    for (; n + 1 < std::size(font->name); ++n) {
        font->name[n] = static_cast<char16_t>(u16(head + kHead + 2 * n));
        if (font->name[n] == 0) break;
    }
    font->name[n] = 0;

    edgeSize = std::max(0, edgeSize);
    const uint32_t edgeBit = edgeSize > 0 ? kFontTypeEdge : 0;
    font->fontType = (kind == 0 ? 0u : kind == 1 ? 18u : 34u) | edgeBit;
    font->edgeSize = static_cast<uint32_t>(edgeSize);
    ResetFontHandleSettings(font, 1);
    if (CreateFontGdiObject(font, 0) != 0) return fail();
    KeepFontCreation(font, param);
    if (CreateFontToHandle(param, font, inTask) != 0) return fail();
    return 0;
}

int CreateDefaultFontHandle(const FontCreateParam* param, const void* image, size_t imageSize, int edgeSize,
                            int async, int wantedHandle) {
    FontCreateParam defaults;
    if (param == nullptr) {
        GetDefaultFontCreateParam(&defaults);
        param = &defaults;
    }
    if (image == nullptr || imageSize > static_cast<size_t>(INT_MAX / 2)) return -1;
    WaitWhileWindowInactive();
    const int handle = AddHandle(HANDLETYPE_FONT, async, wantedHandle);
    if (handle == -1) return -1;
    if (!async) {
        if (SetupBuiltinFontHandle(param, handle, image, imageSize, edgeSize, 0) != 0) {
            SubHandle(handle);
            return -1;
        }
        return handle;
    }
    // The job carries its own copy of the image: the caller may free it at once.
    const bool queued = QueueHandleASyncJob(handle, setupJob, [&](void* buffer, int* offset) {
        return AddASyncLoadParamStruct(buffer, offset, param, sizeof *param) == 0 &&
               AddASyncLoadParamInt(buffer, offset, handle) == 0 &&
               AddASyncLoadParamStruct(buffer, offset, image, static_cast<int>(imageSize)) == 0 &&
               AddASyncLoadParamInt(buffer, offset, static_cast<intptr_t>(imageSize)) == 0 &&
               AddASyncLoadParamInt(buffer, offset, edgeSize) == 0;
    });
    DecHandleASyncLoadCount(handle);
    if (!queued) {
        SubHandle(handle);
        return -1;
    }
    return handle;
}

int RenderGlyphFromDataImage(FontHandleRecord* font, FontGlyphSlot* slot, uint32_t code, int updateFlag) {
    const uint8_t* e = findEntry(font, code);
    if (e == nullptr) return -1;  // missing characters take no slot
    const ImageGlyph g = readEntry(e);
    if (code == 32 || code == FontWideSpaceCode || g.width == 0 || g.height == 0)
        return WriteGlyphToFontCache(font, slot, code, 1, 0, nullptr, 0, 0, 0, 0, 0, g.advance, updateFlag);
    const uint8_t* bits = font->imageBits + g.offset;
    if (g.packed) {
        const size_t need = static_cast<size_t>(g.pitch) * g.height;
        const int got = DecompressLZBounded(bits, font->imageBitsSize - g.offset, font->imageUnpack,
                                            font->imageUnpackSize);
        if (got < 0 || static_cast<size_t>(got) < need) return -1;
        bits = font->imageUnpack;
    }
    const int mode = font->imageDepth == 0 ? 0 : font->imageDepth == 4 ? 4 : 8;
    return WriteGlyphToFontCache(font, slot, code, 0, mode, bits, g.width, g.height, static_cast<int>(g.pitch),
                                 g.drawX, g.drawY, g.advance, updateFlag);
}

}  // namespace ZaDod
