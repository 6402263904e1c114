// PNG files through libpng. Rows are decoded straight into the pixel block; library
// errors come back to the recovery point, where only plain C data is live.
#include <csetjmp>
#include <cstring>

#include <png.h>

#include "media/graphics/base_image.h"
#include "media/graphics/image/image_loader.h"
#include "media/graphics/image/loader_io.h"

namespace ZaDod {

using namespace image;

namespace {


struct PngReadRecord {
    StreamData* stream;
    int64_t end;  // the stream's end position
};

void PngStreamRead(png_structp png, png_bytep buffer, size_t length)
{
    auto* record = static_cast<PngReadRecord*>(png_get_io_ptr(png));
    if (record->end - tell(record->stream) < int64_t(length) || !readExact(record->stream, buffer, length))
        png_error(png, "Read Error");
}

void PngSetStreamReadFunction(png_structp png, PngReadRecord* record, StreamData* stream)
{
    record->stream = stream;
    record->end = tell(stream) + bytesLeft(stream);
    png_set_read_fn(png, record, PngStreamRead);
}

[[noreturn]] void pngErrorExit(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void pngQuietWarning(png_structp, png_const_charp) {}

// Palette entries in the image's order, the transparency chunk as their alpha.
void copyPalette(png_structp png, png_infop info, PixelFormatDesc& f)
{
    CreatePal8ColorData(&f);
    png_colorp palette = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &palette, &count) && palette) {
        if (count > 256) count = 256;
        for (int i = 0; i < count; ++i) f.palette[i] = PaletteEntry{palette[i].blue, palette[i].green, palette[i].red, 0};
    }
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    if (png_get_valid(png, info, PNG_INFO_tRNS) && png_get_tRNS(png, info, &alpha, &alphaCount, nullptr) && alpha) {
        for (int i = 0; i < 256; ++i) f.palette[i].reserved = i < alphaCount ? alpha[i] : 255;
        f.alphaMask = 0xFF000000;
        f.alphaLoc = 24;
        f.alphaWidth = 8;
    }
}

}  // namespace

int LoadPngImage(StreamData* stream, BaseImage* image, int infoOnly)
{
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    uint8_t head[8];
    const bool read = readExact(stream, head, 8);
    seek(stream, 0, FileSeekSet);
    if (!read || std::memcmp(head, signature, 8) != 0) return -1;

    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngErrorExit, pngQuietWarning);
    if (!png) return -1;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return -1;
    }
    PngReadRecord record;
    uint8_t* volatile pixels = nullptr;
    png_bytep* volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        MemFree(rows);
        MemFree(pixels);
        std::memset(image, 0, sizeof *image);
        return -1;
    }
    png_set_user_limits(png, uint32_t(kMaxSide), uint32_t(kMaxSide));
    PngSetStreamReadFunction(png, &record, stream);
    png_set_sig_bytes(png, 0);
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colorType, nullptr, nullptr, nullptr);
    if (!sizeAllowed(width, height)) longjmp(png_jmpbuf(png), 1);

    png_set_strip_16(png);
    png_set_packing(png);
    png_set_packswap(png);
    const bool greyAlpha = colorType == PNG_COLOR_TYPE_GRAY_ALPHA ||
                           (colorType == PNG_COLOR_TYPE_GRAY && png_get_valid(png, info, PNG_INFO_tRNS));
    if (colorType == PNG_COLOR_TYPE_GRAY) png_set_expand(png);
    // A transparent colour of a true-colour image becomes alpha 0 on exactly the
    // pixels of that colour (compared before 16-bit samples are cut to 8).
    if (colorType == PNG_COLOR_TYPE_RGB && png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    // Grey with alpha (or with a transparent grey level) becomes 32-bit ARGB: the
    // library repeats the grey level into red, green and blue.
    if (greyAlpha) png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const int64_t rowBytes = int64_t(png_get_rowbytes(png, info));
    const int channels = png_get_channels(png, info);

    PixelFormatDesc& f = image->format;
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        copyPalette(png, info, f);
    } else if (colorType == PNG_COLOR_TYPE_GRAY && !greyAlpha) {
        CreateGrayPal8ColorData(&f);
    } else if (channels == 4) {
        CreateARGB8ColorData(&f);
    } else if (channels == 3) {
        CreateFullColorData(&f);
    } else {
        longjmp(png_jmpbuf(png), 1);
    }
    image->width = int32_t(width);
    image->height = int32_t(height);
    image->pitch = int32_t(rowBytes);
    if (!infoOnly) {
        pixels = static_cast<uint8_t*>(allocBlock(rowBytes * height, kLoaderLogSource, __LINE__));
        rows = static_cast<png_bytep*>(allocBlock(int64_t(sizeof(png_bytep)) * height, kLoaderLogSource, __LINE__));
        if (!pixels || !rows) longjmp(png_jmpbuf(png), 1);
        for (png_uint_32 y = 0; y < height; ++y) rows[y] = pixels + int64_t(y) * rowBytes;
        png_read_image(png, rows);
        png_read_end(png, nullptr);
        MemFree(rows);
        image->pixels = pixels;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return 0;
}

}  // namespace ZaDod
