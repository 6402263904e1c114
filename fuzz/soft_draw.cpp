// Input bytes drive the software renderer: draw areas, blend modes and parameters,
// bright colours, blend graphs, target layouts, and shape and image draws with any
// coordinates, onto small targets inside guard borders that are checked after every
// call.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "media/graphics/base_image.h"
#include "media/graphics/mem_img.h"
#include "media/graphics/mem_img_draw.h"
#include "media/graphics/soft_draw.h"

using namespace ZaDod;

namespace {

constexpr uint32_t kGuard = 0xA5C3E187u;
constexpr int kW = 24, kH = 20;

struct Guarded {
    MEMIMG outer{}, view{};
    int bytes = 0;
    Guarded(int colorType, int alpha) {
        CreateMemImg(&outer, kW + 2, kH + 2, -1, 0, colorType, 0, alpha, 0, nullptr);
        bytes = MemImgPixelBytes(outer.base);
        for (int y = 0; y < kH + 2; ++y)
            for (int x = 0; x < kW + 2; ++x)
                std::memcpy(outer.pixels + y * outer.base->pitch + x * bytes, &kGuard, static_cast<size_t>(bytes));
        DeriveMemImg(&view, &outer, 1, 1, kW, kH);
    }
    bool intact() const {
        for (int y = 0; y < kH + 2; ++y)
            for (int x = 0; x < kW + 2; ++x) {
                if (y > 0 && y <= kH && x > 0 && x <= kW) continue;
                if (std::memcmp(outer.pixels + y * outer.base->pitch + x * bytes, &kGuard, bytes) != 0) return false;
            }
        return true;
    }
};

struct Picture {
    MEMIMG img{};
    Picture(int w, int h, int colorType, int alpha, uint32_t key, uint32_t seed) {
        BaseImage base{};
        CreateARGB8ColorBaseImage(w, h, &base);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                seed = seed * 1103515245u + 12345u;
                const uint32_t alphas[4] = {0, 255, 128, seed >> 24};
                const uint32_t v = alphas[(seed >> 8) & 3] << 24 | ((seed >> 4) & 0xFFFFFF);
                std::memcpy(static_cast<uint8_t*>(base.pixels) + y * base.pitch + x * 4, &v, 4);
            }
        CreateMemImg(&img, w, h, -1, key, colorType, 0, alpha, 1, nullptr);
        BltBaseImageToMemImg(&base, nullptr, &img, 0, 0, w, h, 0, 0, 0);
        ReleaseBaseImage(&base);
    }
};

struct World {
    Guarded targets[4] = {{kMemImgR5G6B5, 0}, {kMemImgX8R8G8B8, 0}, {kMemImgR5G6B5, 1}, {kMemImgX8R8G8B8, 1}};
    Picture pictures[5] = {{9, 7, kMemImgX8R8G8B8, 1, 0, 1}, {70, 3, kMemImgR5G6B5, 1, 0, 2},
                           {5, 5, kMemImgX8R8G8B8, 0, 0xFF00FF00u, 3}, {6, 4, kMemImgR5G6B5, 0, 0x07E0, 4},
                           {8, 8, kMemImgChannel8, 0, 0, 5}};
    World() {
        InitMemImgBlendTables();
        CreateMemImgBlendGraphTable(100, 30);
    }
};

struct Reader {
    const uint8_t* data;
    size_t size, at = 0;
    uint8_t byte() { return at < size ? data[at++] : 0; }
    uint32_t word() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | byte();
        return v;
    }
    // Mostly small coordinates around the targets, sometimes any 32-bit value.
    int coord() {
        const uint8_t b = byte();
        if (b >= 0xF0) return static_cast<int32_t>(word());
        return static_cast<int>(b % 64) - 16;
    }
    double real() {
        const uint8_t b = byte();
        if (b >= 0xF8) {
            uint64_t bits = uint64_t{word()} << 32 | word();
            double d;
            std::memcpy(&d, &bits, 8);
            return d;
        }
        return (static_cast<int>(b) - 40) * 0.37;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World world;
    Reader in{data, size};
    int target = 1;
    SetMemImgDrawTarget(&world.targets[target].view);
    ImageRect area{0, 0, kW, kH};
    SetMemImgDrawArea(&area);
    SetMemImgBlendMode(0, 255);
    SetMemImgDrawBright(0x00FFFFFF);
    SetMemImgBlendGraph(nullptr, 0, 0);
    for (int step = 0; step < 24 && in.at < size; ++step) {
        const int op = in.byte() % 19;
        const uint32_t color = in.word();
        MEMIMG* pic = &world.pictures[in.byte() % 5].img;
        int x1 = in.coord(), y1 = in.coord(), x2 = in.coord(), y2 = in.coord();
        switch (op) {
            case 0: area = ImageRect{x1, y1, x2, y2}; SetMemImgDrawArea(&area); break;
            case 1: SetMemImgBlendMode(static_cast<int>(in.byte()) - 2, in.byte() >= 0xF0 ? x1 : in.byte()); break;
            case 2: SetMemImgDrawBright(color); break;
            case 3: SetMemImgBlendGraph(in.byte() & 1 ? pic : nullptr, in.byte() % 3, x1); break;
            case 4: DrawPixelMemImg(x1, y1, color); break;
            case 5: DrawSpanMemImg(y1, x1, x2, color); break;
            case 6: SoftDrawFilledBox(x1, y1, x2, y2, color); break;
            case 7: SoftDrawLine(x1, y1, x2, y2, color); break;
            case 8: SoftDrawTriangle(x1, y1, x2, y2, in.coord(), in.coord(), color, in.byte() & 1); break;
            case 9: SoftDrawCircle(x1, y1, x2, color, in.byte() & 1); break;
            case 10: SoftDrawOval(x1, y1, x2, y2, color, in.byte() & 1); break;
            case 11: SoftDrawThickCircle(x1, y1, x2, color, y2); break;
            case 12: SoftDrawThickOval(x1, y1, x2, y2, color, in.coord()); break;
            case 13: SoftDrawBoxOutline(x1, y1, x2, y2, color); break;
            case 14: SoftDrawQuadrangle(x1, y1, x2, y2, in.coord(), in.coord(), in.coord(), in.coord(), color,
                                        in.byte() & 1); break;
            case 15: {
                // A view of the picture, or the picture itself.
                MEMIMG view{};
                const int vx = in.byte() % pic->width, vy = in.byte() % pic->height;
                DeriveMemImg(&view, pic, vx, vy, pic->width - vx, pic->height - vy);
                DrawMemImg(in.byte() & 1 ? &view : pic, x1, y1, in.byte() & 1);
                TerminateMemImg(&view);
                break;
            }
            case 16: DrawStretchMemImg(pic, x1, y1, x2, y2, in.byte() & 1); break;
            case 17: {
                double corners[8];
                for (double& c : corners) c = in.real();
                DrawQuadMemImg(pic, corners, in.byte() & 1);
                break;
            }
            case 18: target = in.byte() % 4; SetMemImgDrawTarget(&world.targets[target].view); break;
        }
        for (const Guarded& g : world.targets)
            if (!g.intact()) {
                std::fprintf(stderr, "soft_draw: guard overwritten by op %d\n", op);
                std::abort();
            }
    }
    SetMemImgDrawTarget(nullptr);
    SetMemImgBlendGraph(nullptr, 0, 0);
    return 0;
}
