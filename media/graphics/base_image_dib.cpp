// DIB sections made from DIBs and image files, for the window decorations.
#include <cstring>

#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/graphics/base_image.h"
#include "media/graphics/base_image_load.h"

namespace ZaDod {

namespace win = plat::win;

namespace {

// The section's header: 40 bytes, then masks or the colour table.
struct SectionInfo {
    win::BITMAPINFOHEADER header;
    uint32_t extra[256];
};

// Chooses the section's layout from the image (or, without one, the source).
void describeSection(const win::BITMAPINFO* info, BaseImage* image, SectionInfo* out)
{
    const win::BITMAPINFOHEADER& src = info->bmiHeader;
    win::BITMAPINFOHEADER& h = out->header;
    h.biSize = sizeof h;
    h.biWidth = src.biWidth;
    h.biHeight = src.biHeight;
    h.biPlanes = 1;
    h.biCompression = win::BI_RGB;
    h.biBitCount = 24;
    const auto* table = reinterpret_cast<const uint8_t*>(info) + src.biSize;
    if (!image) {
        if (src.biBitCount == 8) {
            h.biBitCount = 8;
            std::memcpy(out->extra, table, 1024);
        }
        return;
    }
    PixelFormatDesc& f = image->format;
    // The 16-bit display settings that would force 24 bits have no setter here.
    if (f.colorBits == 16) {
        h.biBitCount = 16;
        h.biCompression = win::BI_BITFIELDS;
        out->extra[0] = f.redMask, out->extra[1] = f.greenMask, out->extra[2] = f.blueMask;
    } else if (f.colorBits <= 24 || src.biBitCount == 24) {
        h.biBitCount = f.colorBits == 32 ? 24 : f.colorBits;
        if (h.biBitCount == 8) std::memcpy(out->extra, table, 1024);
    } else {
        h.biBitCount = f.colorBits;
        h.biCompression = win::BI_BITFIELDS;
        out->extra[0] = f.redMask, out->extra[1] = f.greenMask, out->extra[2] = f.blueMask;
    }
    if (h.biBitCount == 24) CreateFullColorData(&f);
}

}  // namespace

win::HBITMAP CreateDIBGraph(const win::BITMAPINFO* info, const void* bits, int mirror, BaseImage* image)
{
    auto* section = static_cast<SectionInfo*>(MemCalloc(sizeof(SectionInfo), kBaseImageSource, __LINE__));
    if (!section) {
        LogAddTextUtf16(u"メモリの確保に失敗しました in CreateDIBGraph \n");
        return nullptr;
    }
    describeSection(info, image, section);
    const int width = info->bmiHeader.biWidth;
    const int height = info->bmiHeader.biHeight < 0 ? -info->bmiHeader.biHeight : info->bmiHeader.biHeight;
    win::HDC screen = win::GetDC(nullptr);
    void* sectionBits = nullptr;
    win::HBITMAP bitmap = win::CreateDIBSection(screen, reinterpret_cast<win::BITMAPINFO*>(section),
                                                win::DIB_RGB_COLORS, &sectionBits, nullptr, 0);
    MemFree(section);
    if (!bitmap) {
        win::ReleaseDC(nullptr, screen);
        LogAddTextUtf16(u"ＤＩＢの作成に失敗しました3\n");
        return nullptr;
    }
    if (!sectionBits) {
        win::DeleteObject(bitmap);
        win::ReleaseDC(nullptr, screen);
        LogAddTextUtf16(u"ＤＩＢの作成に失敗しました2\n");
        return nullptr;
    }
    win::HDC dc = win::CreateCompatibleDC(screen);
    win::ReleaseDC(nullptr, screen);
    win::HGDIOBJ old = win::SelectObject(dc, bitmap);
    if (mirror)
        win::StretchDIBits(dc, width - 1, 0, -width, height, 0, 0, width, height, bits, info, win::DIB_RGB_COLORS,
                           win::SRCCOPY);
    else
        win::SetDIBitsToDevice(dc, 0, 0, win::DWORD(width), win::DWORD(height), 0, 0, 0, win::UINT(height), bits,
                               info, win::DIB_RGB_COLORS);
    win::SelectObject(dc, old);
    win::DeleteDC(dc);
    return bitmap;
}

win::HBITMAP CreateDIBGraphFromFile(const char16_t* fileName, int mirror, BaseImage* image)
{
    ImageLoadStream record;
    SetupImageLoadStream(&record, 0);
    BaseImage loaded{};
    win::BITMAPINFO* info = nullptr;
    void* bits = nullptr;
    if (LoadBaseImageFromStream(&record, fileName, nullptr, 0, 0, 1, 0, &loaded, &info, &bits) != 0) return nullptr;
    win::HBITMAP bitmap = CreateDIBGraph(info, bits, mirror, image);
    MemFree(info);
    MemFree(bits);
    return bitmap;
}

}  // namespace ZaDod
