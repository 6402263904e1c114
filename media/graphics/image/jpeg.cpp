// JPEG files through libjpeg: a stream source manager and an error exit that jumps
// back to the loader. Between the recovery point and the library calls only plain C
// data is live, so the long jump skips no destructor.
#include <csetjmp>
#include <cstdio>
#include <cstring>

// The project's headers come first: libjpeg defines TRUE and FALSE as macros.
#include "media/graphics/base_image.h"
#include "media/graphics/image/image_loader.h"
#include "media/graphics/image/loader_io.h"

#include <jpeglib.h>
#include <jerror.h>

namespace ZaDod {

using namespace image;

namespace {

constexpr size_t kInputBytes = 4096;
// Progressive files may name any number of scans, each a pass over the picture; a
// few hundred is far beyond what encoders write.
constexpr int kMaxScans = 500;

struct JpegSource {
    jpeg_source_mgr manager;
    JOCTET* buffer;
    bool startOfFile;
    StreamData* stream;
    int64_t end;  // the stream's end position
};

struct JpegError {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

void JpegStreamInitSource(j_decompress_ptr cinfo) { reinterpret_cast<JpegSource*>(cinfo->src)->startOfFile = true; }

boolean JpegStreamFillInputBuffer(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<JpegSource*>(cinfo->src);
    const int64_t left = src->end - tell(src->stream);
    size_t n = left <= 0 ? 0 : left < int64_t(kInputBytes) ? size_t(left) : kInputBytes;
    if (n) n = src->stream->ReadShred.Read(src->buffer, 1, n, src->stream->DataPoint);
    if (n == 0) {
        if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // A stream that ends early is finished with an end-of-image marker, so what was
        // decoded so far still loads.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        n = 2;
    }
    src->manager.next_input_byte = src->buffer;
    src->manager.bytes_in_buffer = n;
    src->startOfFile = false;
    return TRUE;
}

void JpegStreamSkipInputData(j_decompress_ptr cinfo, long count)
{
    if (count < 1) return;
    jpeg_source_mgr* src = cinfo->src;
    while (count > long(src->bytes_in_buffer)) {
        count -= long(src->bytes_in_buffer);
        JpegStreamFillInputBuffer(cinfo);
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= size_t(count);
}

void JpegStreamTermSource(j_decompress_ptr) {}

void JpegStreamSourceSetup(j_decompress_ptr cinfo, StreamData* stream)
{
    if (!cinfo->src) {
        auto* src = static_cast<JpegSource*>(
            (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(JpegSource)));
        src->buffer = static_cast<JOCTET*>(
            (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kInputBytes));
        cinfo->src = &src->manager;
    }
    auto* src = reinterpret_cast<JpegSource*>(cinfo->src);
    src->manager.init_source = JpegStreamInitSource;
    src->manager.fill_input_buffer = JpegStreamFillInputBuffer;
    src->manager.skip_input_data = JpegStreamSkipInputData;
    src->manager.resync_to_restart = jpeg_resync_to_restart;
    src->manager.term_source = JpegStreamTermSource;
    src->stream = stream;
    src->end = tell(stream) + bytesLeft(stream);
    src->manager.bytes_in_buffer = 0;
    src->manager.next_input_byte = nullptr;
}

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo)
{
    (*cinfo->err->output_message)(cinfo);
    longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

void JpegLimitScans(j_common_ptr cinfo)
{
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) ERREXIT(cinfo, JERR_NOTIMPL);
}

// Every block of every component carries at least one Huffman code of one bit or
// more, so data of fewer bits than the picture has blocks is cut short. The library
// would decode such a file as grey past its data, which for a large picture means
// decoding a gigabyte from a few hundred bytes; past the free area it is refused.
// Arithmetic coding has no true floor: the coder's most skewed state spends about
// 1/10000 of a bit on a block that repeats its neighbour, so a flat picture of any
// size fits in a few hundred bytes, and so does a file cut short, since the decoder
// reads zeros past the data. Pictures with detail spend bytes on every block; past
// the free area an arithmetic-coded file must bring at least one byte for every 64
// blocks, which only a picture that is flat almost everywhere stays under.
constexpr int64_t kArithmeticBlocksPerByte = 64;

bool codedDataCoversPicture(j_decompress_ptr cinfo)
{
    if (int64_t(cinfo->image_width) * cinfo->image_height <= kFreePictureArea) return true;
    int64_t blocks = 0;
    for (int i = 0; i < cinfo->num_components; ++i)
        blocks += int64_t(cinfo->comp_info[i].width_in_blocks) * cinfo->comp_info[i].height_in_blocks;
    const auto* src = reinterpret_cast<const JpegSource*>(cinfo->src);
    const int64_t bytes = src->end - tell(src->stream) + int64_t(src->manager.bytes_in_buffer);
    return cinfo->arith_code ? bytes * kArithmeticBlocksPerByte >= blocks : bytes * 8 >= blocks;
}

// Library messages are not printed: a refused file is reported by the result alone.
void JpegQuietMessage(j_common_ptr) {}

// CMYK as the library delivers it (inverted, as written by common tools) to BGR.
void cmykRowToBgr(const JSAMPLE* in, uint8_t* out, JDIMENSION width)
{
    for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
        const unsigned k = in[3];
        out[0] = uint8_t(in[2] * k / 255);
        out[1] = uint8_t(in[1] * k / 255);
        out[2] = uint8_t(in[0] * k / 255);
    }
}

}  // namespace

int LoadJpegImage(StreamData* stream, BaseImage* image, int infoOnly)
{
    uint8_t first = 0;
    const bool read = readExact(stream, &first, 1);
    seek(stream, 0, FileSeekSet);
    if (!read || first != 0xFF) return -1;

    jpeg_decompress_struct cinfo;
    JpegError error;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegErrorExit;
    error.manager.output_message = JpegQuietMessage;
    uint8_t* volatile pixels = nullptr;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&cinfo);
        MemFree(pixels);
        std::memset(image, 0, sizeof *image);
        return -1;
    }
    jpeg_progress_mgr progress{};
    progress.progress_monitor = JpegLimitScans;
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    JpegStreamSourceSetup(&cinfo, stream);
    jpeg_read_header(&cinfo, TRUE);
    const int components = cinfo.num_components;
    if (!codedDataCoversPicture(&cinfo)) {
        jpeg_destroy_decompress(&cinfo);
        return -1;
    }
    // The pixel block, and for progressive files the library's coefficients of the
    // whole picture, stay within the block limit.
    const int64_t samples = int64_t(cinfo.image_width) * cinfo.image_height * components;
    if (!sizeAllowed(cinfo.image_width, cinfo.image_height) || (components != 1 && components != 3 && components != 4) ||
        samples > kMaxBlockBytes || (cinfo.progressive_mode && samples * 2 > kMaxBlockBytes)) {
        jpeg_destroy_decompress(&cinfo);
        return -1;
    }
    PixelFormatDesc& f = image->format;
    if (components == 1)
        CreateGrayPal8ColorData(&f);
    else
        CreateFullColorData(&f);
    if (infoOnly) {
        image->width = int32_t(cinfo.image_width);
        image->height = int32_t(cinfo.image_height);
        jpeg_destroy_decompress(&cinfo);
        return 0;
    }

    // Colour comes out in blue, green, red order straight from the library.
    if (components == 3) cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    const int64_t width = cinfo.output_width, height = cinfo.output_height;
    const int outComponents = cinfo.output_components;
    const int64_t pitch = width * (outComponents == 4 ? 3 : outComponents);
    if (sizeAllowed(width, height) && (outComponents == 1) == (components == 1))
        pixels = static_cast<uint8_t*>(allocBlock(pitch * height, kLoaderLogSource, __LINE__));
    if (!pixels) {
        jpeg_destroy_decompress(&cinfo);
        std::memset(image, 0, sizeof *image);
        return -1;
    }
    JSAMPARRAY sample = outComponents == 4 ? (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                                       JPOOL_IMAGE, JDIMENSION(width * 4), 1)
                                           : nullptr;
    while (cinfo.output_scanline < cinfo.output_height) {
        uint8_t* row = pixels + int64_t(cinfo.output_scanline) * pitch;
        if (sample) {
            jpeg_read_scanlines(&cinfo, sample, 1);
            cmykRowToBgr(sample[0], row, JDIMENSION(width));
        } else {
            JSAMPROW target = row;
            jpeg_read_scanlines(&cinfo, &target, 1);
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    image->width = int32_t(width);
    image->height = int32_t(height);
    image->pitch = int32_t(pitch);
    image->pixels = pixels;
    return 0;
}

}  // namespace ZaDod
