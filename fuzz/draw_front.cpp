// Fuzz target: random sequences of drawing-front calls (shapes, graph draws with random
// transforms, part draws, draw areas and targets, the mask with random bytes and sizes)
// on a headless software screen.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "media/base/clock.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/system/winapi.h"

using namespace ZaDod;

namespace {

struct Input {
    const uint8_t* p;
    size_t n;
    bool empty() const { return n == 0; }
    uint8_t byte() {
        if (n == 0) return 0;
        --n;
        return *p++;
    }
    int coord() { return static_cast<int16_t>(byte() | byte() << 8) / 16; }
    float real() { return static_cast<float>(coord()) + byte() / 256.0f; }
};

struct Setup {
    int graphs[3];
    int target;
    Setup() {
        setenv("HALVORINE_HEADLESS", "1", 1);
        setenv("HALVORINE_MISSING", "d3d11,d3d9", 1);
        LoadWinAPI();
        SetupPerformanceCounter();
        GraphicsSys.colorBits = 32;
        SetMainScreenSize(320, 240);
        if (InitializeGraphics() != 0) std::abort();
        graphs[0] = MakeGraph(16, 16);
        graphs[1] = MakeGraph(5, 33);
        graphs[2] = MakeGraph(1, 1);
        target = MakeDrawableGraph(64, 48, 0);
    }
    // Ends graphics at exit, so the leak checker sees only what an input leaked.
    ~Setup() { TerminateGraphics(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Setup setup;
    Input in{data, size};
    SetDrawTarget(-2);
    SetDrawAreaFull();
    SetDrawBlendMode(0, 255);
    DeleteMaskScreen();
    for (int steps = 0; !in.empty() && steps < 64; ++steps) {
        const uint8_t op = in.byte();
        const int graph = setup.graphs[in.byte() % 3];
        const unsigned int color = PackScreenColor(in.byte(), in.byte(), in.byte());
        switch (op % 16) {
            case 0: DrawBox(in.coord(), in.coord(), in.coord(), in.coord(), color, in.byte() & 1); break;
            case 1: DrawLine(in.coord(), in.coord(), in.coord(), in.coord(), color, in.byte() % 12 - 2); break;
            case 2: DrawCircle(in.coord(), in.coord(), in.coord(), color, in.byte() & 1, in.byte() % 9 - 2); break;
            case 3:
                DrawOval(in.coord(), in.coord(), in.coord(), in.coord(), color, in.byte() & 1, in.byte() % 9 - 2);
                break;
            case 4: DrawTriangle(in.coord(), in.coord(), in.coord(), in.coord(), in.coord(), in.coord(), color, 1); break;
            case 5: DrawGraph(in.coord(), in.coord(), graph, in.byte() & 1); break;
            case 6: DrawStretchedGraphF(in.real(), in.real(), in.real(), in.real(), graph, in.byte() & 1); break;
            case 7:
                DrawRotatedGraphF(in.real(), in.real(), in.real(), in.real(), in.byte() / 32.0 - 2.0,
                                  in.byte() / 32.0 - 2.0, in.byte() / 20.0, graph, 1, in.byte() & 1);
                break;
            case 8:
                DrawPartGraph(in.coord(), in.coord(), in.byte() % 20 - 2, in.byte() % 40 - 2, in.byte() % 20 - 2,
                              in.byte() % 40 - 2, graph, 1, in.byte() & 1);
                break;
            case 9: SetDrawArea(in.coord(), in.coord(), in.coord(), in.coord()); break;
            case 10: SetDrawTarget(in.byte() & 1 ? setup.target : -2); break;
            case 11: CreateMaskScreen(1, in.byte() * 3 + 1, in.byte() * 2 + 1); break;
            case 12: SetUseMaskScreenFlag(in.byte() & 1); break;
            case 13: {
                int pitch, width, height;
                uint8_t* mask = GetMaskBufferForTest(&pitch, &width, &height);
                if (mask != nullptr) {
                    const size_t at = (static_cast<size_t>(in.byte()) << 8 | in.byte()) % (size_t(pitch) * height);
                    std::memset(mask + at, in.byte() & 1, std::min<size_t>(in.byte(), size_t(pitch) * height - at));
                }
                break;
            }
            case 14: SetDrawBlendMode(in.byte() % 8, in.byte()); break;
            default: {
                const ImageRect r{in.coord(), in.coord(), in.coord(), in.coord()};
                if (in.byte() & 1) BeginMaskDraw(&r);
                else EndMaskDraw(&r);
                ClearDrawTarget(in.byte() & 1 ? &r : nullptr);
                break;
            }
        }
    }
    return 0;
}
