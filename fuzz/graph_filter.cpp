// Fuzz target: random filter and blend requests (kinds, arguments, rectangles and
// destination points up to the ends of the int range, blend ratios, graph pairings)
// on small headless software graphs.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "media/base/clock.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/system/winapi.h"

using namespace ZaDod;

namespace {

struct Input {
    const uint8_t* p;
    size_t n;
    uint8_t byte() {
        if (n == 0) return 0;
        --n;
        return *p++;
    }
    int32_t word() { return static_cast<int32_t>(byte() | byte() << 8 | byte() << 16 | static_cast<uint32_t>(byte()) << 24); }
    // Mostly small values, sometimes the ends of the range.
    int coord() {
        switch (byte() & 7) {
            case 0: return INT_MIN;
            case 1: return INT_MAX;
            case 2: return word();
            default: return static_cast<int8_t>(byte());
        }
    }
};

constexpr int kGraphs = 6;

struct Setup {
    int graphs[kGraphs];
    Setup() {
        setenv("HALVORINE_HEADLESS", "1", 1);
        setenv("HALVORINE_MISSING", "d3d11,d3d9", 1);
        LoadWinAPI();
        SetupPerformanceCounter();
        GraphicsSys.colorBits = 32;
        SetMainScreenSize(64, 48);
        if (InitializeGraphics() != 0) std::abort();
        const int sizes[kGraphs][2] = {{16, 16}, {8, 16}, {4, 16}, {16, 8}, {5, 33}, {1, 1}};
        for (int i = 0; i < kGraphs; ++i) graphs[i] = MakeGraph(sizes[i][0], sizes[i][1]);
    }
    ~Setup() { TerminateGraphics(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Setup setup;
    Input in{data, size};
    for (int request = 0; request < 16 && in.n > 0; ++request) {
        const int blendFlag = in.byte() & 1;
        const int source = setup.graphs[in.byte() % kGraphs];
        const int blendGraph = setup.graphs[in.byte() % kGraphs];
        const int dest = setup.graphs[in.byte() % kGraphs];
        const int kind = static_cast<int8_t>(in.byte()) % 20;
        const int ratio = static_cast<int16_t>(in.word());
        int box[8];
        for (int& v : box) v = in.coord();
        int args[5];
        for (int& v : args) {
            const uint8_t pick = in.byte();
            // Graph arguments (gradient and UV graphs) are handles sometimes.
            v = pick < 64 ? setup.graphs[pick % kGraphs] : pick < 128 ? static_cast<int8_t>(in.byte()) * 8 : in.word();
        }
        GraphFilterBlendWithArgs(blendFlag, source, blendGraph, dest, ratio, kind, box[0], box[1], box[2], box[3],
                                 box[4], box[5], in.byte(), box[6], box[7], args, 5);
    }
    return 0;
}
