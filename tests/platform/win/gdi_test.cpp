// Tests of platform/win/gdi: GDI device contexts and device-independent bitmaps.
#include "platform/win/gdi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace win = plat::win;

namespace {

// A packed DIB: header, then colour table or masks, built byte by byte.
struct Dib {
    std::vector<uint8_t> info;
    std::vector<uint8_t> bits;

    Dib(uint32_t headerSize, int width, int height, int bitCount, uint32_t compression)
    {
        info.assign(headerSize, 0);
        win::BITMAPINFOHEADER h{};
        h.biSize = headerSize;
        h.biWidth = width;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = uint16_t(bitCount);
        h.biCompression = compression;
        std::memcpy(info.data(), &h, sizeof h);
    }
    // The table's entries; biClrUsed says how many there are.
    void colors(std::initializer_list<uint32_t> rgb)
    {
        const uint32_t used = uint32_t(rgb.size());
        std::memcpy(info.data() + 32, &used, 4);
        for (uint32_t c : rgb) {
            const uint8_t q[4] = {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0};
            info.insert(info.end(), q, q + 4);
        }
    }
    void masks(uint32_t r, uint32_t g, uint32_t b)
    {
        if (info.size() < 52) info.resize(52);
        std::memcpy(info.data() + 40, &r, 4), std::memcpy(info.data() + 44, &g, 4), std::memcpy(info.data() + 48, &b, 4);
    }
    void imageSize(uint32_t n) { std::memcpy(info.data() + 20, &n, 4); }
    const win::BITMAPINFO* bmi() const { return reinterpret_cast<const win::BITMAPINFO*>(info.data()); }
};

// A top-down 24-bit section selected into a memory DC.
struct Canvas {
    win::HDC dc = nullptr;
    win::HBITMAP bitmap = nullptr;
    win::HGDIOBJ old = nullptr;
    uint8_t* bits = nullptr;
    int pitch = 0;

    Canvas(int width, int height, int bitCount = 24, std::vector<uint32_t> palette = {})
    {
        std::vector<uint8_t> info(40 + 4 * palette.size());
        win::BITMAPINFOHEADER h{40, width, -height, 1, uint16_t(bitCount), win::BI_RGB, 0, 0, 0, uint32_t(palette.size()), 0};
        std::memcpy(info.data(), &h, 40);
        for (size_t i = 0; i < palette.size(); ++i) {
            const uint8_t q[4] = {uint8_t(palette[i]), uint8_t(palette[i] >> 8), uint8_t(palette[i] >> 16), 0};
            std::memcpy(info.data() + 40 + 4 * i, q, 4);
        }
        win::HDC screen = win::GetDC(nullptr);
        dc = win::CreateCompatibleDC(screen);
        win::ReleaseDC(nullptr, screen);
        void* b = nullptr;
        bitmap = win::CreateDIBSection(dc, reinterpret_cast<win::BITMAPINFO*>(info.data()), win::DIB_RGB_COLORS, &b,
                                       nullptr, 0);
        bits = static_cast<uint8_t*>(b);
        win::BITMAP bm{};
        win::GetObject(bitmap, sizeof bm, &bm);
        pitch = bm.bmWidthBytes;
        old = win::SelectObject(dc, bitmap);
    }
    ~Canvas()
    {
        win::SelectObject(dc, old);
        win::DeleteObject(bitmap);
        win::DeleteDC(dc);
    }
    uint32_t at(int x, int y) const
    {
        const uint8_t* p = bits + y * pitch + 3 * x;
        return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
    std::vector<uint32_t> row(int y, int width) const
    {
        std::vector<uint32_t> r;
        for (int x = 0; x < width; ++x) r.push_back(at(x, y));
        return r;
    }
    int paint(const Dib& dib, int width, int height)
    {
        return win::SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, dib.bits.data(), dib.bmi(),
                                      win::DIB_RGB_COLORS);
    }
};

using Row = std::vector<uint32_t>;

}  // namespace

TEST(GdiSection, GetObjectGivesPitchRoundedToFourBytes)
{
    for (int bitCount : {1, 4, 8, 16, 24, 32}) {
        std::vector<uint8_t> info(40 + 1024);
        win::BITMAPINFOHEADER h{40, 5, 3, 1, uint16_t(bitCount), win::BI_RGB, 0, 0, 0, 0, 0};
        std::memcpy(info.data(), &h, 40);
        void* bits = nullptr;
        win::HBITMAP bitmap = win::CreateDIBSection(nullptr, reinterpret_cast<win::BITMAPINFO*>(info.data()),
                                                    win::DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(bitmap, nullptr) << bitCount;
        win::BITMAP bm{};
        EXPECT_EQ(win::GetObject(bitmap, sizeof bm, &bm), int(sizeof bm));
        EXPECT_EQ(bm.bmWidth, 5);
        EXPECT_EQ(bm.bmHeight, 3);
        EXPECT_EQ(bm.bmBitsPixel, bitCount);
        EXPECT_EQ(bm.bmWidthBytes, ((5 * bitCount + 31) / 32) * 4);
        EXPECT_EQ(bm.bmBits, bits);
        EXPECT_TRUE(win::DeleteObject(bitmap));
    }
}

TEST(GdiSection, RefusesBadHeadersAndSelectedDeletes)
{
    std::vector<uint8_t> info(40);
    win::BITMAPINFOHEADER h{40, 4, 4, 1, 24, win::BI_RLE8, 0, 0, 0, 0, 0};
    std::memcpy(info.data(), &h, 40);
    auto* bmi = reinterpret_cast<win::BITMAPINFO*>(info.data());
    EXPECT_EQ(win::CreateDIBSection(nullptr, bmi, 0, nullptr, nullptr, 0), nullptr);
    h.biCompression = win::BI_RGB, h.biWidth = 0;
    std::memcpy(info.data(), &h, 40);
    EXPECT_EQ(win::CreateDIBSection(nullptr, bmi, 0, nullptr, nullptr, 0), nullptr);
    h.biWidth = 1 << 20, h.biHeight = 1 << 20;
    std::memcpy(info.data(), &h, 40);
    EXPECT_EQ(win::CreateDIBSection(nullptr, bmi, 0, nullptr, nullptr, 0), nullptr);

    Canvas canvas(2, 2);
    EXPECT_FALSE(win::DeleteObject(canvas.bitmap));  // still selected
    EXPECT_EQ(win::GetObject(canvas.dc, sizeof(win::BITMAP), nullptr), 0);
}

TEST(GdiPaint, EverySourceKindIntoTwentyFourBits)
{
    // Bottom-up 1-bit: row order flips, table entries used.
    {
        Dib dib(40, 3, 2, 1, win::BI_RGB);
        dib.colors({0x000000, 0xFFFFFF});
        dib.bits = {0xA0, 0, 0, 0, 0x40, 0, 0, 0};  // bottom row 101, top row 010
        Canvas c(3, 2);
        EXPECT_EQ(c.paint(dib, 3, 2), 2);
        EXPECT_EQ(c.row(0, 3), (Row{0, 0xFFFFFF, 0}));
        EXPECT_EQ(c.row(1, 3), (Row{0xFFFFFF, 0, 0xFFFFFF}));
    }
    // 4-bit top-down, table given after a V5 header; missing entries give black.
    {
        Dib dib(124, 2, -1, 4, win::BI_RGB);
        dib.colors({0x112233, 0x445566});
        dib.bits = {0x10, 0, 0, 0};
        Canvas c(2, 1);
        EXPECT_EQ(c.paint(dib, 2, 1), 1);
        EXPECT_EQ(c.row(0, 2), (Row{0x445566, 0x112233}));
    }
    // 16-bit X1R5G5B5: five-bit channels widen so full scale stays 255.
    {
        Dib dib(40, 2, -1, 16, win::BI_RGB);
        dib.bits = {0xFF, 0x7F, 0x10, 0x42};  // white, then (16, 16, 16)
        Canvas c(2, 1);
        c.paint(dib, 2, 1);
        EXPECT_EQ(c.row(0, 2), (Row{0xFFFFFF, 0x848484}));
    }
    // 16-bit bit fields 5-6-5 and 32-bit bit fields with unusual masks.
    {
        Dib dib(40, 1, -1, 16, win::BI_BITFIELDS);
        dib.masks(0xF800, 0x07E0, 0x001F);
        dib.bits = {0xE0, 0x07, 0, 0};  // pure green
        Canvas c(1, 1);
        c.paint(dib, 1, 1);
        EXPECT_EQ(c.at(0, 0), 0x00FF00u);
        Dib wide(108, 1, -1, 32, win::BI_BITFIELDS);
        wide.masks(0x3FF00000, 0xFFC00, 0x3FF);
        wide.bits = {0xFF, 0x03, 0x00, 0x00};  // blue at 10-bit full scale
        c.paint(wide, 1, 1);
        EXPECT_EQ(c.at(0, 0), 0x0000FFu);
    }
    // A mask with a gap counts only its lowest run of bits.
    {
        Dib dib(40, 1, -1, 16, win::BI_BITFIELDS);
        dib.masks(0xF00F, 0x0FF0, 0);
        dib.bits = {0xFF, 0xFF, 0, 0};
        Canvas c(1, 1);
        c.paint(dib, 1, 1);
        EXPECT_EQ(c.at(0, 0), 0xFFFF00u);
    }
    // 24 and 32-bit plain.
    {
        Dib dib(40, 1, 2, 24, win::BI_RGB);
        dib.bits = {1, 2, 3, 0, 4, 5, 6, 0};
        Canvas c(1, 2);
        c.paint(dib, 1, 2);
        EXPECT_EQ(c.at(0, 0), 0x060504u);
        EXPECT_EQ(c.at(0, 1), 0x030201u);
        Dib d32(40, 1, -1, 32, win::BI_RGB);
        d32.bits = {7, 8, 9, 0x80};
        c.paint(d32, 1, 1);
        EXPECT_EQ(c.at(0, 0), 0x090807u);
    }
}

TEST(GdiPaint, RunLengthSourcesStayInsideTheirImageSize)
{
    Dib dib(40, 4, 2, 8, win::BI_RLE8);
    dib.colors({0, 0x111111, 0x222222, 0x333333, 0x444444, 0x555555, 0x666666, 0x777777});
    dib.bits = {0x03, 0x05, 0x00, 0x00, 0x00, 0x02, 0x01, 0x00, 0x01, 0x07, 0x00, 0x01};
    dib.imageSize(uint32_t(dib.bits.size()));
    Canvas c(4, 2);
    std::memset(c.bits, 0xEE, size_t(c.pitch) * 2);
    EXPECT_EQ(c.paint(dib, 4, 2), 2);
    // Pixels the stream skipped keep what the section held.
    EXPECT_EQ(c.row(0, 4), (Row{0xEEEEEE, 0x777777, 0xEEEEEE, 0xEEEEEE}));
    EXPECT_EQ(c.row(1, 4), (Row{0x555555, 0x555555, 0x555555, 0xEEEEEE}));

    // A run far past the row and a literal past the data write nothing outside.
    Dib rle4(40, 3, 1, 4, win::BI_RLE4);
    rle4.colors({0, 0x111111, 0x222222});
    rle4.bits = {0xFF, 0x12, 0x00, 0x09, 0x12};
    rle4.imageSize(uint32_t(rle4.bits.size()));
    Canvas c4(3, 1);
    c4.paint(rle4, 3, 1);
    EXPECT_EQ(c4.row(0, 3), (Row{0x111111, 0x222222, 0x111111}));
    // Without an image size nothing may be read.
    rle4.imageSize(0);
    std::memset(c4.bits, 0, 12);
    c4.paint(rle4, 3, 1);
    EXPECT_EQ(c4.row(0, 3), (Row{0, 0, 0}));
}

TEST(GdiPaint, UnsupportedInputPaintsNothing)
{
    Canvas c(2, 2);
    Dib jpegish(40, 2, 2, 24, 4);
    jpegish.bits.assign(16, 0x55);
    EXPECT_EQ(c.paint(jpegish, 2, 2), 0);
    Dib odd(64, 2, 2, 24, win::BI_RGB);
    odd.bits.assign(16, 0x55);
    EXPECT_EQ(c.paint(odd, 2, 2), 0);
    Dib bits2(40, 2, 2, 2, win::BI_RGB);
    bits2.bits.assign(8, 0x55);
    EXPECT_EQ(c.paint(bits2, 2, 2), 0);
    EXPECT_EQ(c.row(0, 2), (Row{0, 0}));
    // A memory DC with only its default bitmap takes nothing either.
    win::HDC dc = win::CreateCompatibleDC(nullptr);
    Dib ok(40, 1, 1, 24, win::BI_RGB);
    ok.bits = {1, 2, 3, 0};
    EXPECT_EQ(win::SetDIBitsToDevice(dc, 0, 0, 1, 1, 0, 0, 0, 1, ok.bits.data(), ok.bmi(), 0), 0);
    win::DeleteDC(dc);
}

TEST(GdiPaint, ReadsOnlyTheNamedScanLines)
{
    // Bits holding only scan lines 1 and 2 of a bottom-up 1 x 4 image.
    Dib dib(40, 1, 4, 24, win::BI_RGB);
    dib.bits = {1, 1, 1, 0, 2, 2, 2, 0};
    Canvas c(1, 4);
    EXPECT_EQ(win::SetDIBitsToDevice(c.dc, 0, 0, 1, 4, 0, 0, 1, 2, dib.bits.data(), dib.bmi(), 0), 2);
    EXPECT_EQ(c.row(0, 1)[0], 0u);
    EXPECT_EQ(c.at(0, 1), 0x020202u);  // scan line 2 is the second row from the top
    EXPECT_EQ(c.at(0, 2), 0x010101u);
    EXPECT_EQ(c.at(0, 3), 0u);
}

TEST(GdiPaint, StretchMirrorsAndScales)
{
    Dib dib(40, 3, -1, 24, win::BI_RGB);
    dib.bits = {1, 0, 0, 2, 0, 0, 3, 0, 0, 0, 0, 0};
    Canvas c(6, 2);
    EXPECT_GT(win::StretchDIBits(c.dc, 2, 0, -3, 1, 0, 0, 3, 1, dib.bits.data(), dib.bmi(), 0, win::SRCCOPY), 0);
    EXPECT_EQ(c.row(0, 3), (Row{3, 2, 1}));
    EXPECT_GT(win::StretchDIBits(c.dc, 0, 0, 6, 2, 0, 0, 3, 1, dib.bits.data(), dib.bmi(), 0, win::SRCCOPY), 0);
    EXPECT_EQ(c.row(1, 6), (Row{1, 1, 2, 2, 3, 3}));
}

TEST(GdiPaint, EightBitSectionsCopyOrMatchIndices)
{
    const std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    Dib dib(40, 4, -1, 8, win::BI_RGB);
    dib.colors({0x000000, 0xFF0000, 0x00FF00, 0x0000FF});
    dib.bits = {3, 2, 1, 0};
    Canvas same(4, 1, 8, palette);
    same.paint(dib, 4, 1);
    EXPECT_EQ(std::vector<uint8_t>(same.bits, same.bits + 4), (std::vector<uint8_t>{3, 2, 1, 0}));

    // A different table: each pixel takes the nearest entry.
    Canvas other(4, 1, 8, {0x0000F0, 0x00F000, 0xF00000, 0x101010});
    other.paint(dib, 4, 1);
    EXPECT_EQ(std::vector<uint8_t>(other.bits, other.bits + 4), (std::vector<uint8_t>{0, 1, 2, 3}));

    // True colour into 8 bits likewise.
    Dib rgb(40, 2, -1, 24, win::BI_RGB);
    rgb.bits = {0, 0, 0xFE, 0xFF, 0, 0, 0, 0};
    Canvas pal(2, 1, 8, palette);
    pal.paint(rgb, 2, 1);
    EXPECT_EQ(pal.bits[0], 1);
    EXPECT_EQ(pal.bits[1], 3);
}
