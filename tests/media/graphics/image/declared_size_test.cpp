// Small files that declare pictures far larger than their data or than any graph:
// refused from the header, before pixels are allocated or decoded.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "media/graphics/image/image_loader.h"
#include "tests/media/graphics/image/image_testing.h"

#include <jpeglib.h>
#include <zlib.h>

using namespace imagetest;
using ZaDod::BaseImage;

namespace {

// An arithmetic-coded JPEG of a width x height picture of one grey level, written
// by the library, then its frame header patched to declare declaredSide².
Bytes arithmeticJpeg(int components, int width, int height, int declaredSide, bool progressive = false)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    cinfo.write_JFIF_header = FALSE;
    cinfo.arith_code = TRUE;
    if (progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(size_t(width) * components);
    while (cinfo.next_scanline < cinfo.image_height) {
        // A little detail, so a file of the picture's own size is not flat.
        for (size_t x = 0; x < row.size(); ++x) row[x] = JSAMPLE((x * 7 + cinfo.next_scanline * 13) & 255);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes jpeg(out, out + size);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    for (size_t i = 0; declaredSide && i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC9 || jpeg[i + 1] == 0xCA)) {
            jpeg[i + 5] = jpeg[i + 7] = uint8_t(declaredSide >> 8);
            jpeg[i + 6] = jpeg[i + 8] = uint8_t(declaredSide);
            break;
        }
    }
    return jpeg;
}

void putBig32(Bytes& b, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(uint8_t(v >> shift));
}

void pngChunk(Bytes& png, const char* type, const Bytes& data)
{
    putBig32(png, uint32_t(data.size()));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    putBig32(png, uint32_t(crc32(0, png.data() + start, uInt(png.size() - start))));
}

// A whole, valid one-bit grey PNG of side² black pixels: about 130 KB for 32768².
Bytes blackPng(uint32_t side)
{
    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes header;
    putBig32(header, side);
    putBig32(header, side);
    header.insert(header.end(), {1, 0, 0, 0, 0});
    pngChunk(png, "IHDR", header);
    const Bytes row(1 + (side + 7) / 8, 0);
    Bytes data(1 << 16);
    z_stream z{};
    deflateInit(&z, 9);
    Bytes idat;
    for (uint32_t y = 0; y <= side; ++y) {
        z.next_in = const_cast<Bytes::value_type*>(row.data());
        z.avail_in = y < side ? uInt(row.size()) : 0;
        do {
            z.next_out = data.data();
            z.avail_out = uInt(data.size());
            deflate(&z, y < side ? Z_NO_FLUSH : Z_FINISH);
            idat.insert(idat.end(), data.data(), z.next_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    pngChunk(png, "IDAT", idat);
    pngChunk(png, "IEND", {});
    return png;
}

}  // namespace

TEST(DeclaredSize, ArithmeticJpegsMustBringDataForTheirBlocks)
{
    // A few hundred bytes declaring 16384² in colour or 23170² in grey: the library
    // reads zeros past the data and would decode most of a gigabyte.
    for (auto [components, side] : {std::pair{3, 16384}, {1, 23170}}) {
        for (bool progressive : {false, true}) {
            const Bytes tiny = arithmeticJpeg(components, 16, 16, side, progressive);
            ASSERT_LT(tiny.size(), 600u);
            for (int infoOnly : {0, 1}) {
                BaseImage image{};
                EXPECT_EQ(loadWith(ZaDod::LoadJpegImage, tiny, &image, nullptr, infoOnly), -1)
                    << components << " components, " << side << ", progressive " << progressive;
                EXPECT_EQ(image.pixels, nullptr);
            }
        }
    }
    // Within the free area a file cut short still loads, and past it a picture with
    // detail brings far more than the floor.
    Loaded free;
    ASSERT_EQ(loadWith(ZaDod::LoadJpegImage, arithmeticJpeg(3, 16, 16, 4096), &free.image), 0);
    EXPECT_EQ(free.image.width, 4096);
    Loaded large;
    ASSERT_EQ(loadWith(ZaDod::LoadJpegImage, arithmeticJpeg(1, 4104, 4104, 0), &large.image), 0);
    ASSERT_EQ(large.image.height, 4104);
    const auto* last = static_cast<const uint8_t*>(large.image.pixels) + int64_t(4103) * large.image.pitch;
    EXPECT_NEAR(last[4000], (4000 * 7 + 4103 * 13) & 255, 8);
}

TEST(DeclaredSize, PicturesNoGraphCanHoldAreRefusedFromTheHeader)
{
    // 32768² is four gigabytes as graph pixels; 23170² still fits.
    for (uint32_t side : {32768u, 23171u}) {
        const Bytes png = blackPng(side);
        for (int infoOnly : {0, 1}) {
            BaseImage image{};
            EXPECT_EQ(loadWith(ZaDod::LoadPngImage, png, &image, nullptr, infoOnly), -1) << side;
            EXPECT_EQ(image.pixels, nullptr);
        }
    }
    Loaded fits;
    ASSERT_EQ(loadWith(ZaDod::LoadPngImage, blackPng(23170), &fits.image, nullptr, 1), 0);
    EXPECT_EQ(fits.image.width, 23170);
}
