// Helpers of the graph tests: pictures written as files through ImageMagick, the
// graphics system started in software mode with the log captured, and pixels read
// back from a graph's software image.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "media/graphics/graph.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/graph_settings.h"
#include "tests/media/graphics/graphics_env.h"
#include "tests/media/log_capture.h"

namespace graphtest {

struct Rgb {
    int r, g, b;
};

// The 4 × 2 test picture; its first pixel is magenta.
extern const Rgb kPicture[8];

bool haveMagick();
std::string scratchDir();
// Writes the test picture as `name` (extension chooses the format; extra goes in
// front of the output name, e.g. "-define dds:compression=none"). Returns the path.
std::string writePicture(const std::string& name, const std::string& extra = "");
// Writes a grey picture of the same size with every pixel `level`.
std::string writeGrey(const std::string& name, int level);
std::u16string wide(const std::string& text);

// The pixel (x, y) of a software graph as stored, and a colour packed the same way.
uint32_t graphPixel(int handle, int x, int y);
uint32_t packedFor(int handle, int r, int g, int b);

int liveGraphs();

struct GraphFixture : halvorine_test::GraphicsEnv {
    halvorine_test::LogCapture log;
    void SetUp() override;
};

}  // namespace graphtest

#define REQUIRE_MAGICK() \
    if (!graphtest::haveMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed"
