// Processor time per frame on each renderer, side by side in one run: the three sample
// games run whole by the halvorine program (headless), and three scenes drawn in this
// process: an empty frame, 1,000 edged characters in 40 labels and 500 moving 64 x 64
// pictures. Each renderer is chosen by naming the stand-ins missing that come before it.
//
// A game's per-frame cost is the difference of two runs, one of kLongFrames and one of
// kShortFrames frames, over the difference in frames, so start-up and shut-down cancel;
// the two lengths alternate, and each figure is the median of kRounds pairs. A scene's
// cost is the processor time of the process (every thread) over kSceneFrames frames
// after a warm-up, the vertical-blank wait off; the renderers take turns each round.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/flip_bench_start.h"
#include "media/graphics/base_image.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/render_settings.h"

namespace {

namespace fs = std::filesystem;
using namespace ZaDod;

constexpr int kRounds = 3;
constexpr int kShortFrames = 30, kLongFrames = 150;
constexpr int kWarmFrames = 20, kSceneFrames = 200;

struct Renderer {
    const char* name;
    int api;
    const char* missing;  // the stand-ins named missing so that this one is chosen
};
const Renderer kRenderers[] = {{"Direct3D 11", kGraphicsApiD3D11, nullptr},
                               {"Direct3D 9", kGraphicsApiD3D9, "d3d11"},
                               {"software", kGraphicsApiSoftware, "d3d11,d3d9"}};
constexpr int kRendererCount = 3;

double median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// ---- the sample games, each a child process

// Processor seconds (user + system) of one headless run of the game in `folder` for
// `frames` frames; negative when it could not be run.
double gameRun(const std::string& program, const fs::path& folder, const Renderer& r, int frames) {
    // The child's environment is made here: between fork and exec the child may only make
    // calls that take no lock another thread of this process could have held.
    std::vector<std::string> vars;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string v = *e;
        if (v.rfind("HALVORINE_HEADLESS=", 0) != 0 && v.rfind("HALVORINE_FRAMES=", 0) != 0 &&
            v.rfind("HALVORINE_MISSING=", 0) != 0)
            vars.push_back(v);
    }
    vars.push_back("HALVORINE_HEADLESS=1");
    vars.push_back("HALVORINE_FRAMES=" + std::to_string(frames));
    if (r.missing != nullptr) vars.push_back(std::string("HALVORINE_MISSING=") + r.missing);
    std::vector<char*> envp;
    for (std::string& v : vars) envp.push_back(v.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    std::fflush(stdout);  // the child must not write this process's buffered lines again
    const pid_t child = fork();
    if (child < 0) return -1.0;
    if (child == 0) {
        const int quiet = open("/dev/null", O_WRONLY);
        if (chdir(folder.c_str()) != 0 || quiet < 0 || dup2(quiet, 1) < 0 || dup2(quiet, 2) < 0) _exit(127);
        execve(program.c_str(), argv, envp.data());
        _exit(127);
    }
    int status = 0;
    rusage use{};
    if (wait4(child, &status, 0, &use) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1.0;
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
    return seconds(use.ru_utime) + seconds(use.ru_stime);
}

// Milliseconds of processor time a frame of the game on the renderer; negative on failure.
double gameFrameCost(const std::string& program, const fs::path& folder, const Renderer& r) {
    std::vector<double> perFrame;
    for (int round = 0; round < kRounds; ++round) {
        // Which length goes first alternates, so a drift in the machine's load hits both.
        const bool longFirst = round % 2 != 0;
        const double first = gameRun(program, folder, r, longFirst ? kLongFrames : kShortFrames);
        const double second = gameRun(program, folder, r, longFirst ? kShortFrames : kLongFrames);
        if (first < 0 || second < 0) return -1.0;
        const double longer = longFirst ? first : second, shorter = longFirst ? second : first;
        perFrame.push_back((longer - shorter) * 1e3 / (kLongFrames - kShortFrames));
    }
    return median(perFrame);
}

// ---- the scenes, in this process

// A w x h graph of random colour and alpha; -1 when it cannot be made.
int randomGraph(std::mt19937& rng, int w, int h) {
    BaseImage image{};
    CreateARGB8ColorBaseImage(w, h, &image);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            SetBaseImagePixel(&image, x, y, int(rng() & 255), int(rng() & 255), int(rng() & 255), int(rng() & 255));
    const int graph = CreateGraphFromBaseImage(&image, nullptr, 1, 0);
    ReleaseBaseImage(&image);
    return graph;
}

struct Scene {
    const char* name;
    // Made again after each start of the library; false when it could not be.
    bool (*setUp)();
    void (*draw)(int frame);
};

bool noSetUp() { return true; }
void drawNothing(int) {}

// 40 labels of 25 edged characters: white bodies, black edges.
int gTextFont = -1;
bool textSetUp() {
    gTextFont = CreateFontHandle("IPAGothic", 16, -1, kFontTypeEdge | kFontTypeAntialiased, -1, -1, 0);
    return gTextFont != -1;
}
void drawText(int frame) {
    static const char* const kLines[4] = {"SCORE 0012345  HI 0098765", "Stage 3: the last corridor",
                                          "Press the button to start", "Lives 3  Bombs 2  Time 88s"};
    const unsigned white = PackScreenColor(255, 255, 255), black = PackScreenColor(0, 0, 0);
    for (int i = 0; i < 40; ++i) {
        const int x = 8 + (i % 2) * 320 + (frame + i) % 8, y = 4 + (i / 2) * 23;
        DrawStringToHandle(x, y, kLines[i % 4], white, gTextFont, black);
    }
}

// 500 pictures of 64 x 64 with alpha, each moving on its own path.
std::vector<int> gPictures;
bool picturesSetUp() {
    std::mt19937 rng(5);
    gPictures.clear();
    for (int i = 0; i < 8; ++i) {
        const int g = randomGraph(rng, 64, 64);
        if (g == -1) return false;
        gPictures.push_back(g);
    }
    return true;
}
void drawPictures(int frame) {
    for (int i = 0; i < 500; ++i) {
        const int x = (i * 37 + frame * (1 + i % 5)) % 704 - 64, y = (i * 53 + frame * (1 + i % 3)) % 544 - 64;
        DrawGraph(x, y, gPictures[size_t(i) % gPictures.size()], 1);
    }
}

const Scene kScenes[] = {{"empty frame", noSetUp, drawNothing},
                         {"1,000 edged characters in 40 labels", textSetUp, drawText},
                         {"500 moving 64x64 pictures", picturesSetUp, drawPictures}};
constexpr int kSceneCount = 3;

// Milliseconds of processor time a frame of the scene, or negative when it did not start.
double sceneFrameCost(const Scene& scene, int frames) {
    ClearDrawTarget(nullptr);
    for (int f = 0; f < kWarmFrames; ++f) {
        ClearDrawTarget(nullptr);
        scene.draw(f);
        FlipScreen();
    }
    const double start = processSeconds();
    for (int f = 0; f < frames; ++f) {
        ClearDrawTarget(nullptr);
        scene.draw(f);
        FlipScreen();
    }
    return (processSeconds() - start) * 1e3 / frames;
}

void printRow(const char* name, const double cost[kRendererCount]) {
    std::printf("  %-38s", name);
    for (int r = 0; r < kRendererCount; ++r) {
        if (cost[r] < 0)
            std::printf(" %12s", "failed");
        else
            std::printf(" %12.3f", cost[r]);
    }
    if (cost[0] >= 0 && cost[2] > 0) std::printf(" %10.2f", cost[0] / cost[2]);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    // Words on the command line (other than options) choose the rows whose names hold one.
    std::vector<std::string> wanted;
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '-') wanted.push_back(argv[i]);
    auto chosen = [&](const std::string& name) {
        if (wanted.empty()) return true;
        for (const std::string& w : wanted)
            if (name.find(w) != std::string::npos) return true;
        return false;
    };
    std::printf("processor time per frame, ms (headless, 640 x 480)\n");
    std::printf("  %-38s %12s %12s %12s %10s\n", "", "Direct3D 11", "Direct3D 9", "software", "D3D11/soft");

    // The scenes: rounds of every renderer in turn. Each turn starts the library on its
    // renderer again (the last one's resources go with it), so the scenes are made anew.
    std::vector<double> sceneCosts[kSceneCount][kRendererCount];
    bool sceneFailed[kSceneCount][kRendererCount] = {};
    for (int round = 0; round < kRounds; ++round)
        for (int r = 0; r < kRendererCount; ++r) {
            if (!startFlipBenchOn(kRenderers[r].api)) {
                for (int s = 0; s < kSceneCount; ++s) sceneFailed[s][r] = true;
                continue;
            }
            for (int s = 0; s < kSceneCount; ++s) {
                if (!chosen(kScenes[s].name)) continue;
                if (!sceneFailed[s][r] && !kScenes[s].setUp()) sceneFailed[s][r] = true;
                if (sceneFailed[s][r]) continue;
                sceneCosts[s][r].push_back(sceneFrameCost(kScenes[s], kSceneFrames));
            }
        }
    for (int s = 0; s < kSceneCount; ++s) {
        if (!chosen(kScenes[s].name)) continue;
        double cost[kRendererCount];
        for (int r = 0; r < kRendererCount; ++r) cost[r] = sceneFailed[s][r] ? -1.0 : median(sceneCosts[s][r]);
        printRow(kScenes[s].name, cost);
    }

    // The library's threads end before the games' processes are started.
    ZaDod::TerminateLibrary();

    // The sample games, copied into a folder of their own (a run writes its log there).
    const fs::path work = fs::temp_directory_path() / ("halvorine-frame-cost-" + std::to_string(getpid()));
    for (const char* game : {"hello", "arcade", "showcase"}) {
        if (!chosen(std::string("examples/") + game)) continue;
        std::error_code error;
        const fs::path folder = work / game;
        fs::create_directories(folder, error);
        fs::copy(fs::path(HALVORINE_SOURCE_DIR) / "examples" / game, folder, fs::copy_options::recursive, error);
        double cost[kRendererCount];
        for (int r = 0; r < kRendererCount; ++r)
            cost[r] = error ? -1.0 : gameFrameCost(HALVORINE_PROGRAM, folder, kRenderers[r]);
        printRow((std::string("examples/") + game).c_str(), cost);
    }
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return 0;
}
