// Base images to and from device-independent bitmaps.
#include <cstring>

#include "media/base/log.h"
#include "media/graphics/base_image.h"
#include "media/graphics/color_blit.h"
#include "media/graphics/image/dib_convert.h"
#include "media/graphics/image/image_loader.h"
#include "media/graphics/image/loader_io.h"

namespace ZaDod {

namespace win = plat::win;

namespace image {

int convertDibToFullColor(const win::BITMAPINFO* info, const void* bits, int width, int rows, BaseImage* image)
{
    win::BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = -rows;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = win::BI_RGB;

    win::HDC screen = win::GetDC(nullptr);
    win::HDC dc = win::CreateCompatibleDC(screen);
    win::ReleaseDC(nullptr, screen);
    void* sectionBits = nullptr;
    win::HBITMAP section = win::CreateDIBSection(dc, reinterpret_cast<win::BITMAPINFO*>(&header),
                                                 win::DIB_RGB_COLORS, &sectionBits, nullptr, 0);
    if (!section || !sectionBits) {
        LogAddTextUtf16(u"ＤＩＢの作成に失敗しました3\n");
        if (section) win::DeleteObject(section);
        win::DeleteDC(dc);
        return -1;
    }
    win::BITMAP bm{};
    win::GetObject(section, sizeof bm, &bm);
    win::HGDIOBJ old = win::SelectObject(dc, section);
    const int painted = win::SetDIBitsToDevice(dc, 0, 0, win::DWORD(width), win::DWORD(rows), 0, 0, 0,
                                               win::UINT(rows), bits, info, win::DIB_RGB_COLORS);
    win::SelectObject(dc, old);
    win::DeleteDC(dc);

    int result = -1;
    // Nothing painted means a compression or form the painter refused: not a picture.
    if (painted > 0) {
        const int64_t pitch = (int64_t(bm.bmWidthBytes) + 3) / 4 * 4;
        void* block = allocBlock(pitch * rows, kBaseImageSource, __LINE__);
        if (!block) {
            LogAddTextUtf16(u"２４ビットカラー化したグラフィックを格納するメモリ領域の確保に失敗しました\n");
        } else {
            std::memcpy(block, sectionBits, size_t(pitch * rows));
            CreateFullColorData(&image->format);
            image->width = width;
            image->height = rows;
            image->pitch = int32_t(pitch);
            image->pixels = block;
            result = 0;
        }
    }
    win::DeleteObject(section);
    return result;
}

}  // namespace image

int ConvertDIBToBaseImage(const win::BITMAPINFO* info, const void* bits, BaseImage* image, int copyFlag)
{
    std::memset(image, 0, sizeof *image);
    const win::BITMAPINFOHEADER& h = info->bmiHeader;
    const int64_t width = h.biWidth, rows = h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight;
    if (!image::sizeAllowed(width, rows)) return -1;
    const int count = h.biBitCount;
    if (h.biHeight < 0 && (count == 16 || count == 24 || count == 32) &&
        (h.biCompression == win::BI_RGB || h.biCompression == win::BI_BITFIELDS)) {
        if (h.biCompression == win::BI_BITFIELDS) {
            uint32_t m[3];
            std::memcpy(m, reinterpret_cast<const uint8_t*>(info) + 40, sizeof m);
            if (!image::masksUsable(count, m, 3)) return -1;
            CreateColorData(&image->format, count, m[0], m[1], m[2], 0);
            SetColorDataUnusedMask(&image->format);
        } else if (count == 16) {
            CreateColorData(&image->format, 16, 0x7C00, 0x03E0, 0x001F, 0);
        } else if (count == 24) {
            CreateFullColorData(&image->format);
        } else {
            return -1;
        }
        const int64_t pitch = (count / 8 * width + 3) / 4 * 4;
        image->width = int32_t(width);
        image->height = int32_t(rows);
        image->pitch = int32_t(pitch);
        if (copyFlag != 1) {
            image->pixels = const_cast<void*>(bits);
            return copyFlag;
        }
        image->pixels = image::allocBlock(pitch * rows, kBaseImageSource, __LINE__);
        if (!image->pixels) {
            std::memset(image, 0, sizeof *image);
            return -1;
        }
        std::memcpy(image->pixels, bits, size_t(pitch * rows));
        return 1;
    }
    if (image::convertDibToFullColor(info, bits, int(width), int(rows), image) != 0) {
        std::memset(image, 0, sizeof *image);
        return -1;
    }
    return 1;
}

int ConvertBaseImageToDIB(const BaseImage* image, win::BITMAPINFO* infoOut, void** bitsOut, int copyFlag, int force24)
{
    std::memset(infoOut, 0, sizeof(win::BITMAPINFOHEADER) + 4);
    *bitsOut = nullptr;
    const int64_t width = image->width, height = image->height;
    if (!image::sizeAllowed(width, height) || !image->pixels) return -1;
    win::BITMAPINFOHEADER& h = infoOut->bmiHeader;
    h.biSize = sizeof h;
    h.biWidth = int32_t(width);
    h.biHeight = -int32_t(height);
    h.biPlanes = 1;
    h.biCompression = win::BI_RGB;
    const PixelFormatDesc& f = image->format;
    const bool palette = f.colorBits == 8 && f.formatCode == kPixelPlain && !force24;
    h.biBitCount = palette ? 8 : 24;
    const int64_t rowBytes = palette ? width : width * 3;
    const int64_t pitch = (rowBytes + 3) / 4 * 4;
    if (palette) std::memcpy(infoOut->bmiColors, f.palette, sizeof f.palette);
    const bool same = palette || (f.formatCode == kPixelPlain && f.colorBits == 24 && f.bytesPerPixel == 3 &&
                                  f.redMask == 0xFF0000 && f.greenMask == 0xFF00 && f.blueMask == 0xFF);
    if (same && copyFlag != 1 && pitch == image->pitch) {
        *bitsOut = image->pixels;
        return copyFlag;
    }
    auto* block = static_cast<uint8_t*>(image::allocBlock(pitch * height, kBaseImageSource, __LINE__));
    if (!block) return -1;
    if (same) {
        image::copyRows(block, pitch, static_cast<const uint8_t*>(image->pixels), image->pitch, rowBytes, height, false);
    } else {
        PixelFormatDesc full;
        CreateFullColorData(&full);
        const ImageRect rect{0, 0, int32_t(width), int32_t(height)};
        if (GraphColorMatchBlt(block, int(pitch), &full, image->pixels, image->pitch, &f, nullptr, 0, nullptr, 0, 0,
                               &rect, 0, 0, 0, 0, 0, 0, 0, 0) < 0) {
            MemFree(block);
            return -1;
        }
    }
    *bitsOut = block;
    return 1;
}

}  // namespace ZaDod
