// Fuzz target: font data images through CreateDefaultFontHandle, then a string of codes
// from the input measured and drawn, flat and vertical, into a small software screen.
// Input: one count byte n (at most 32), n codes of three bytes, the image.
#include <cstdint>
#include <cstdlib>

#include "media/base/clock.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/render_settings.h"
#include "media/system/winapi.h"

using namespace ZaDod;

namespace {

struct Setup {
    Setup() {
        setenv("HALVORINE_HEADLESS", "1", 1);
        setenv("HALVORINE_MISSING", "d3d11,d3d9", 1);
        LoadWinAPI();
        SetupPerformanceCounter();
        GraphicsSys.colorBits = 32;
        SetMainScreenSize(160, 120);
        if (InitializeGraphics() != 0) std::abort();
    }
    // Ends graphics at exit, so the leak checker sees only what an input leaked.
    ~Setup() { TerminateGraphics(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Setup setup;
    if (size < 1) return 0;
    const size_t count = data[0] % 33;
    if (size < 1 + 3 * count) return 0;
    char16_t text[2 * 32 + 1];
    size_t units = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* c = data + 1 + 3 * i;
        const uint32_t code = (c[0] | c[1] << 8 | c[2] << 16) % 0x110000;
        if (code == 0) continue;
        if (code >= 0x10000) {
            text[units++] = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            text[units++] = static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            text[units++] = static_cast<char16_t>(code);
        }
    }
    text[units] = 0;
    const uint8_t* image = data + 1 + 3 * count;
    const size_t imageSize = size - 1 - 3 * count;
    const int handle = CreateDefaultFontHandle(nullptr, image, imageSize, count % 3, 0);
    if (handle == -1) return 0;
    GetDrawStringWidthToHandleW(text, -1, handle, 0);
    DrawStringToHandleW(3, 5, text, PackScreenColor(255, 255, 255), handle, PackScreenColor(0, 0, 0), 0);
    SetDrawBlendMode(1, 100);
    DrawStringToHandleW(150, -4, text, PackScreenColor(10, 200, 30), handle, 0, 1);
    SetDrawBlendMode(0, 255);
    DeleteFontHandle(handle);
    return 0;
}
