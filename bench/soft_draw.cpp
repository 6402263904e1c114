// Software renderer throughput: alpha-blended 32 x 32 sprites on a 640 x 480 32-bit
// screen (beside a plain C++ loop of the same formula and SDL2's software renderer),
// and filled boxes and thick circles (beside a plain fill loop).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "bench/soft_graph_scene.h"
#include "media/graphics/soft_draw.h"

using namespace ZaDod;

namespace {

constexpr int kScreenW = 640, kScreenH = 480, kSprite = 32, kSprites = 1000;

// A round sprite: opaque inside, a soft edge, clear corners.
std::vector<uint32_t> spritePixels() {
    std::vector<uint32_t> p(kSprite * kSprite);
    for (int y = 0; y < kSprite; ++y)
        for (int x = 0; x < kSprite; ++x) {
            const double d = std::hypot(x - 15.5, y - 15.5);
            const int a = d < 12 ? 255 : d < 16 ? static_cast<int>(255 * (16 - d) / 4) : 0;
            p[y * kSprite + x] = static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(x * 8) << 16 |
                                 static_cast<uint32_t>(y * 8) << 8 | 0x40u;
        }
    return p;
}

struct Positions {
    std::vector<std::pair<int, int>> at;
    Positions() {
        std::mt19937 rng(1234);
        for (int i = 0; i < kSprites; ++i)
            at.emplace_back(static_cast<int>(rng() % (kScreenW + kSprite)) - kSprite,
                            static_cast<int>(rng() % (kScreenH + kSprite)) - kSprite);
    }
};
const Positions& positions() {
    static const Positions p;
    return p;
}

struct Scene : softbench::SoftGraphScene {
    Scene() : SoftGraphScene(kScreenW, kScreenH, kSprite, spritePixels()) {}
};

void rates(benchmark::State& state) {
    state.counters["sprites/s"] = benchmark::Counter(double(kSprites), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["frames/s"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}

// args: blend parameter
void SoftDrawSprites(benchmark::State& state) {
    Scene scene;
    SetMemImgBlendMode(1, int(state.range(0)));
    for (auto _ : state) {
        for (auto [x, y] : positions().at) DrawMemImg(&scene.sprite, x, y, 1);
        benchmark::ClobberMemory();
    }
    rates(state);
}

// The same pixels blended by a plain loop: P(s, a) + P(d, 255 - a), a = alpha * param / 255.
void PlainLoopSprites(benchmark::State& state) {
    Scene scene;
    const int param = int(state.range(0));
    const std::vector<uint32_t> src = spritePixels();
    auto* screen = reinterpret_cast<uint32_t*>(scene.screen.pixels);
    const int pitch = scene.screen.base->pitch / 4;
    for (auto _ : state) {
        for (auto [px, py] : positions().at) {
            for (int y = std::max(0, -py); y < kSprite && py + y < kScreenH; ++y) {
                for (int x = std::max(0, -px); x < kSprite && px + x < kScreenW; ++x) {
                    const uint32_t s = src[y * kSprite + x];
                    const int a = int(s >> 24) * param / 255;
                    if (a == 0) continue;
                    uint32_t& d = screen[(py + y) * pitch + px + x];
                    uint32_t out = 0xFF000000u;
                    for (int shift = 0; shift < 24; shift += 8) {
                        const int sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
                        out |= uint32_t(sc * a / 255 + dc * (255 - a) / 255) << shift;
                    }
                    d = out;
                }
            }
        }
        benchmark::ClobberMemory();
    }
    rates(state);
}

void SdlSprites(benchmark::State& state) {
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Renderer* renderer = screen ? SDL_CreateSoftwareRenderer(screen) : nullptr;
    std::vector<uint32_t> px = spritePixels();
    SDL_Surface* sprite = SDL_CreateRGBSurfaceWithFormatFrom(px.data(), kSprite, kSprite, 32, kSprite * 4,
                                                             SDL_PIXELFORMAT_ARGB8888);
    SDL_Texture* texture = renderer && sprite ? SDL_CreateTextureFromSurface(renderer, sprite) : nullptr;
    if (texture == nullptr) {
        state.SkipWithError("SDL's software renderer is not available");
    } else {
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
        SDL_SetTextureAlphaMod(texture, static_cast<Uint8>(state.range(0)));
        SDL_FillRect(screen, nullptr, 0xFF204060u);
        for (auto _ : state) {
            for (auto [x, y] : positions().at) {
                const SDL_Rect dst{x, y, kSprite, kSprite};
                SDL_RenderCopy(renderer, texture, nullptr, &dst);
            }
            SDL_RenderFlush(renderer);
            benchmark::ClobberMemory();
        }
        rates(state);
    }
    if (texture) SDL_DestroyTexture(texture);
    if (sprite) SDL_FreeSurface(sprite);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (screen) SDL_FreeSurface(screen);
}

// args: blend mode, parameter
void SoftFilledBoxes(benchmark::State& state) {
    Scene scene;
    SetMemImgBlendMode(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        for (auto [x, y] : positions().at) {
            const ImageRect box{x, y, x + 64, y + 64};
            DrawFillBoxMemImg(&box, 0xFFC08040u);
        }
        benchmark::ClobberMemory();
    }
    state.counters["boxes/s"] = benchmark::Counter(double(kSprites), benchmark::Counter::kIsIterationInvariantRate);
}

void PlainFillBoxes(benchmark::State& state) {
    Scene scene;
    auto* screen = reinterpret_cast<uint32_t*>(scene.screen.pixels);
    const int pitch = scene.screen.base->pitch / 4;
    for (auto _ : state) {
        for (auto [px, py] : positions().at) {
            const int x0 = std::max(px, 0), x1 = std::min(px + 64, kScreenW);
            for (int y = std::max(py, 0); y < std::min(py + 64, kScreenH); ++y)
                for (int x = x0; x < x1; ++x) screen[y * pitch + x] = 0xFFC08040u;
        }
        benchmark::ClobberMemory();
    }
    state.counters["boxes/s"] = benchmark::Counter(double(kSprites), benchmark::Counter::kIsIterationInvariantRate);
}

// args: blend mode, parameter
void SoftThickCircles(benchmark::State& state) {
    Scene scene;
    SetMemImgBlendMode(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        for (auto [x, y] : positions().at) SoftDrawThickCircle(x + 32, y + 32, 28, 0xFFC08040u, 6);
        benchmark::ClobberMemory();
    }
    state.counters["circles/s"] = benchmark::Counter(double(kSprites), benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(SoftDrawSprites)->Arg(255)->Arg(128)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainLoopSprites)->Arg(255)->Arg(128)->Unit(benchmark::kMillisecond);
BENCHMARK(SdlSprites)->Arg(255)->Arg(128)->Unit(benchmark::kMillisecond);
BENCHMARK(SoftFilledBoxes)->Args({0, 255})->Args({1, 128})->Unit(benchmark::kMillisecond);
BENCHMARK(PlainFillBoxes)->Unit(benchmark::kMillisecond);
BENCHMARK(SoftThickCircles)->Args({0, 255})->Args({1, 128})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
