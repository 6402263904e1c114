// The loader dispatch: each loader in turn over a rewound stream, then the mirror,
// ARGB8 and make-DIB options; and the colour-plus-"_a" alpha pairs.
#include "media/graphics/base_image_load.h"

#include <cstring>
#include <initializer_list>

#include "media/base/charcode.h"
#include "media/base/memory.h"
#include "media/graphics/base_image.h"
#include "media/graphics/image/dxt.h"
#include "media/graphics/image/image_loader.h"
#include "media/graphics/trans_color_seam.h"

namespace ZaDod {

namespace {

// Bytes of the "_a" name buffers.
constexpr size_t kAlphaNameBytes = 3072;

// Plain 32-bit ARGB8 with the transparent colour's pixels cleared, for the convert option.
int convertToPlainARGB8(BaseImage* image, uint32_t transColor)
{
    if (image->format.formatCode != kPixelPlain && ConvertDXTToARGB8(image, 1) != 0) return -1;
    const PixelFormatDesc& f = image->format;
    const bool exact = f.bytesPerPixel == 4 && f.colorBits == 32 && !f.floatFlag && f.unusedMask == 0 &&
                       f.alphaMask == 0xFF000000 && f.redMask == 0xFF0000 && f.greenMask == 0xFF00 &&
                       f.blueMask == 0xFF && f.channelCount == 0;
    if (!exact) {
        BaseImage argb{};
        if (CreateARGB8ColorBaseImage(image->width, image->height, &argb) != 0) return -1;
        BltBaseImage(0, 0, image, &argb);
        ReleaseBaseImage(image);
        *image = argb;
    }
    const uint32_t key = 0xFF000000 | transColor;
    for (int y = 0; y < image->height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(image->pixels) + int64_t(y) * image->pitch);
        for (int x = 0; x < image->width; ++x)
            if (row[x] == key) row[x] = 0;
    }
    return 0;
}

}  // namespace

const BaseImageLoader BaseImageLoaderTable[] = {
    LoadBmpImage, LoadJpegImage, LoadPngImage, LoadTargaImage, LoadDDSImage, LoadTiffImage, LoadRawBGRAImage, nullptr,
};

void SetupImageLoadStream(ImageLoadStream* record, int loaderFlag)
{
    std::memset(record, 0, sizeof *record);
    record->loaderFlag = loaderFlag;
    record->fileFunctions = *GetFileAccessTable();
    record->fileStreamFunctions = *GetFileStreamFunctions();
    record->memStreamFunctions = *GetMemStreamFunctions();
    record->convertToARGB8 = 0;
    record->applyTransColor = 1;
    record->transColor = GetLoaderTransColor();
}

int TryBaseImageLoaders(ImageLoadStream* record, StreamData* stream, BaseImage* image)
{
    auto attempt = [&](BaseImageLoader loader) {
        stream->ReadShred.Seek(stream->DataPoint, 0, FileSeekSet);
        std::memset(image, 0, sizeof *image);
        return loader(stream, image, record->loaderFlag) == 0;
    };
    for (int i = 0; i < record->extraLoaderCount && i < kMaxExtraImageLoaders; ++i)
        if (record->extraLoaders[i] && attempt(record->extraLoaders[i])) return 0;
    for (const BaseImageLoader* loader = BaseImageLoaderTable; *loader; ++loader)
        if (attempt(*loader)) return 0;
    std::memset(image, 0, sizeof *image);
    return -1;
}

int LoadBaseImageFromStream(ImageLoadStream* record, const char16_t* fileName, const void* memImage,
                            size_t memSize, int fromMemory, int makeDIB, int mirror, BaseImage* out,
                            plat::win::BITMAPINFO** dibInfo, void** dibBits)
{
    std::memset(out, 0, sizeof *out);
    StreamData stream{};
    if (fromMemory) {
        if (memSize > UINT32_MAX || !memImage) return -1;
        MemStream* mem = MemStreamOpen(memImage, uint32_t(memSize));
        if (!mem) return -1;
        stream.ReadShred = record->memStreamFunctions;
        stream.DataPoint = mem;
    } else {
        const FileStream file = fileName ? record->fileFunctions.Open(fileName, 0, 1, 0) : 0;
        if (!file) return -1;
        stream.ReadShred = record->fileStreamFunctions;
        stream.DataPoint = reinterpret_cast<void*>(file);
    }
    auto close = [&] { stream.ReadShred.Close(stream.DataPoint); };

    BaseImage image{};
    if (TryBaseImageLoaders(record, &stream, &image) != 0) {
        close();
        return -1;
    }
    const bool pixels = image.pixels != nullptr;
    int result = 0;
    if (mirror == 1 && pixels) {
        if (image.format.formatCode != kPixelPlain) result = ConvertDXTToARGB8(&image, 1);
        if (result == 0) MirrorBaseImage(&image);
    }
    if (result == 0 && record->convertToARGB8 && pixels) {
        const bool alpha = image.format.alphaWidth != 0 || image.format.alphaMask != 0;
        result = !alpha && record->applyTransColor == 1 ? convertToPlainARGB8(&image, record->transColor)
                                                        : ConvertAlphaBaseImageToARGB8(&image);
    }
    if (result == 0 && makeDIB) {
        if (image.format.formatCode != kPixelPlain) result = ConvertDXTToARGB8(&image, 1);
        auto* info = result == 0 ? static_cast<plat::win::BITMAPINFO*>(MemCalloc(kDIBInfoBytes, kBaseImageSource, __LINE__))
                                 : nullptr;
        void* bits = nullptr;
        const int made = info ? ConvertBaseImageToDIB(&image, info, &bits, 0, 0) : -1;
        if (made < 0) {
            MemFree(info);
            result = -1;
        } else {
            if (made == 1) MemFree(image.pixels);
            image.pixels = nullptr;
            *dibInfo = info;
            *dibBits = bits;
        }
    }
    if (result != 0) {
        ReleaseBaseImage(&image);
        close();
        return -1;
    }
    if (!makeDIB) *out = image;
    close();
    return 0;
}

int CreateAlphaImageFileName(const void* name, void* out, size_t outBytes, int codePage)
{
    const int unit = GetCodePageUnitSize(codePage);
    if (unit < 1) return -1;
    const auto* text = static_cast<const uint8_t*>(name);
    // Only a "." after the last path separator starts the extension.
    size_t at = 0, dot = SIZE_MAX;
    for (;;) {
        int bytes = unit;
        const uint32_t code = GetCharCode(text + at, codePage, &bytes);
        if (code == 0) break;
        if (code == '.') dot = at;
        if (code == '/' || code == '\\') dot = SIZE_MAX;
        at += size_t(bytes);
    }
    const size_t end = at, split = dot == SIZE_MAX ? end : dot;
    auto* o = static_cast<uint8_t*>(out);
    if (split > outBytes) return -1;
    std::memcpy(o, text, split);
    size_t written = split;
    for (uint32_t c : {uint32_t('_'), uint32_t('a')}) {
        const int n = PutCharCode(c, codePage, o + written, outBytes - written);
        if (n == 0) return -1;
        written += size_t(n);
    }
    if (written + (end - split) + size_t(unit) > outBytes) return -1;
    std::memcpy(o + written, text + split, end - split);
    std::memset(o + written + (end - split), 0, size_t(unit));
    return 0;
}

int LoadColorAndAlphaBaseImage(ImageLoadStream* record, const char16_t* colorFileName, const void* colorMem,
                               size_t colorSize, int fromMemory, const void* alphaMem, size_t alphaSize,
                               int alphaMode, BaseImage* colorImage, BaseImage* alphaImage, int mirror)
{
    std::memset(alphaImage, 0, sizeof *alphaImage);
    if (LoadBaseImageFromStream(record, colorFileName, colorMem, colorSize, fromMemory, 0, mirror, colorImage,
                                nullptr, nullptr) != 0)
        return -1;
    if (alphaMode == 0) {
        if (fromMemory || !colorFileName) return 1;
        char16_t alphaName[kAlphaNameBytes / sizeof(char16_t)];
        if (CreateAlphaImageFileName(colorFileName, alphaName, sizeof alphaName, CodePageUtf16LE) != 0) return 1;
        return LoadBaseImageFromStream(record, alphaName, nullptr, 0, 0, 0, mirror, alphaImage, nullptr, nullptr) == 0
                   ? 0
                   : 1;
    }
    if (alphaMode == 1)
        return LoadBaseImageFromStream(record, nullptr, alphaMem, alphaSize, 1, 0, mirror, alphaImage, nullptr,
                                       nullptr) == 0
                   ? 0
                   : 1;
    return 1;
}

}  // namespace ZaDod
