// Objects behind the GDI handles of the DIB stand-in.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/win/gdi.h"

namespace plat::win {

struct MemoryDc;

struct GdiObject {
    virtual ~GdiObject() = default;
};

// A section's pixel layout as the painters write it.
struct DibSection : GdiObject {
    int width = 0;
    int height = 0;        // rows, always positive
    bool topDown = false;  // row 0 of the bits is the top row
    int bitCount = 0;
    int pitch = 0;
    uint32_t masks[3] = {};  // red, green, blue for 16 and 32 bits
    int colorCount = 0;
    RGBQUAD colors[256] = {};
    std::vector<uint8_t> bits;
    MemoryDc* selectedInto = nullptr;

    // Start of display row y (0 = top).
    uint8_t* row(int y) { return bits.data() + static_cast<size_t>(topDown ? y : height - 1 - y) * pitch; }
};

struct MemoryDc : GdiObject {
    DibSection* selected = nullptr;  // null: the default 1 x 1 bitmap
};

// Live objects; null when the handle is not one of ours or of another kind.
DibSection* findSection(HGDIOBJ object);
MemoryDc* findMemoryDc(HDC dc);

}  // namespace plat::win
