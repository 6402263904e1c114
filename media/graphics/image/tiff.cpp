// TIFF files through libtiff's RGBA strip reader, over client procedures that read
// the stream; straight alpha stays straight.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/dynload/tiff_api.h"

#include "media/graphics/base_image.h"
#include "media/graphics/image/image_loader.h"
#include "media/graphics/image/loader_io.h"

namespace ZaDod {

using namespace image;

namespace {


struct TiffClient {
    StreamData* stream;
    int64_t end;
};

tmsize_t TiffStreamRead(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* client = static_cast<TiffClient*>(handle);
    const int64_t left = client->end - tell(client->stream);
    if (size > left) size = tmsize_t(left);
    if (size <= 0) return 0;
    return tmsize_t(client->stream->ReadShred.Read(buffer, 1, size_t(size), client->stream->DataPoint));
}

tmsize_t TiffStreamWrite(thandle_t, void*, tmsize_t size) { return size; }

toff_t TiffStreamSeek(thandle_t handle, toff_t offset, int whence)
{
    auto* client = static_cast<TiffClient*>(handle);
    const int origin = whence == SEEK_CUR ? FileSeekCurrent : whence == SEEK_END ? FileSeekEnd : FileSeekSet;
    seek(client->stream, int64_t(offset), origin);
    return toff_t(tell(client->stream));
}

int TiffStreamClose(thandle_t) { return 0; }
toff_t TiffStreamSize(thandle_t handle) { return toff_t(static_cast<TiffClient*>(handle)->end); }
int TiffStreamMap(thandle_t, void**, toff_t*) { return 0; }
void TiffStreamUnmap(thandle_t, void*, toff_t) {}

// Library messages are not printed: a refused file is reported by the result alone.
int tiffQuiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// One strip from the RGBA reader (bottom-up rows of R, G, B, A bytes) into top-down
// blue, green, red, alpha rows.
void storeStrip(const uint32_t* strip, uint8_t* pixels, int64_t width, int64_t first, int64_t rows)
{
    for (int64_t i = 0; i < rows; ++i) {
        const uint8_t* in = reinterpret_cast<const uint8_t*>(strip + i * width);
        uint8_t* out = pixels + (first + rows - 1 - i) * width * 4;
        for (int64_t x = 0; x < width; ++x, in += 4, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = in[3];
        }
    }
}

// The RGBA reader premultiplies colour by an unassociated (straight) alpha, but a
// loaded picture is straight. Labelling that alpha as associated in the directory
// read from the file makes the reader hand the stored values over as they are, with
// nothing lost to rounding. Only the first extra sample decides how the reader
// treats alpha.
void keepStraightAlpha(TIFF* tiff)
{
    uint16_t count = 0;
    const uint16_t* kinds = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds) || count == 0 || kinds == nullptr ||
        kinds[0] != EXTRASAMPLE_UNASSALPHA)
        return;
    std::vector<uint16_t> relabelled(kinds, kinds + count);
    relabelled[0] = EXTRASAMPLE_ASSOCALPHA;
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, count, relabelled.data());
}

}  // namespace

int LoadTiffImage(StreamData* stream, BaseImage* image, int infoOnly)
{
    TiffClient client{stream, 0};
    client.end = tell(stream) + bytesLeft(stream);
    char order[2];
    if (!readExact(stream, order, 2) || !((order[0] == 'I' && order[1] == 'I') || (order[0] == 'M' && order[1] == 'M')))
        return -1;
    seek(stream, -2, FileSeekCurrent);

    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return -1;
    TIFFOpenOptionsSetErrorHandlerExtR(options, tiffQuiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, tiffQuiet, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(kMaxBlockBytes));
    TIFF* tiff = TIFFClientOpenExt("Read", "r", &client, TiffStreamRead, TiffStreamWrite, TiffStreamSeek,
                                   TiffStreamClose, TiffStreamSize, TiffStreamMap, TiffStreamUnmap, options);
    TIFFOpenOptionsFree(options);
    if (!tiff) return -1;

    keepStraightAlpha(tiff);
    uint32_t width = 0, height = 0, rowsPerStrip = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    if (!sizeAllowed(width, height) || int64_t(width) * height * 4 > kMaxBlockBytes || rowsPerStrip == 0) {
        TIFFClose(tiff);
        return -1;
    }
    // The library's default (every row in one strip) is 2^32 - 1; strips must line up
    // with the file's own, so only the top is cut.
    const int64_t strip = std::clamp<int64_t>(rowsPerStrip, 1, height);
    CreateARGB8ColorData(&image->format);
    image->width = int32_t(width);
    image->height = int32_t(height);
    image->pitch = int32_t(int64_t(width) * 4);
    if (infoOnly) {
        TIFFClose(tiff);
        return 0;
    }

    auto* block = static_cast<uint32_t*>(allocBlock(strip * width * 4, kLoaderLogSource, __LINE__));
    auto* pixels = static_cast<uint8_t*>(allocBlock(int64_t(width) * height * 4, kLoaderLogSource, __LINE__));
    bool ok = block && pixels;
    for (int64_t first = 0; ok && first < height; first += strip) {
        // A strip that does not decode ends the load at once, before its rows are converted.
        ok = TIFFReadRGBAStripExt(tiff, uint32_t(first), block, 1) != 0;
        if (ok) storeStrip(block, pixels, width, first, std::min(strip, height - first));
    }
    TIFFClose(tiff);
    MemFree(block);
    return finishLoad(image, pixels, ok);
}

}  // namespace ZaDod
