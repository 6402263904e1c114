// Helpers of the graph tests: pictures made with ImageMagick in the test's own folder.
#include "tests/media/graphics/graph_testing.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <fstream>

namespace graphtest {

const Rgb kPicture[8] = {{255, 0, 255}, {255, 0, 0}, {0, 255, 0},   {0, 0, 255},
                         {255, 255, 255}, {0, 0, 0}, {8, 200, 32}, {128, 64, 32}};

bool haveMagick() { return std::system("convert -version 2>/dev/null | grep -q ImageMagick") == 0; }

// Every test runs in a temporary folder of its own, removed when it ends.
std::string scratchDir() { return std::filesystem::current_path().string(); }

namespace {
std::string convert(const std::string& source, const std::string& name, const std::string& extra) {
    const std::string out = scratchDir() + "/" + name;
    const std::string command = "convert " + source + " " + extra + " " + out + " 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return out;
}
}  // namespace

std::string writePicture(const std::string& name, const std::string& extra) {
    const std::string source = scratchDir() + "/source.ppm";
    std::ofstream file(source, std::ios::binary);
    file << "P6\n4 2\n255\n";
    for (const Rgb& c : kPicture) file << char(c.r) << char(c.g) << char(c.b);
    file.close();
    return convert(source, name, extra);
}

std::string writeGrey(const std::string& name, int level) {
    const std::string source = scratchDir() + "/grey.pgm";
    std::ofstream file(source, std::ios::binary);
    file << "P5\n4 2\n255\n";
    for (int i = 0; i < 8; ++i) file << char(level);
    file.close();
    return convert(source, name, "");
}

std::u16string wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

uint32_t graphPixel(int handle, int x, int y) {
    const ZaDod::GraphData* graph = ZaDod::GetGraphData(handle, 0);
    const ZaDod::MEMIMG& img = graph->image;
    const int bytes = ZaDod::MemImgPixelBytes(img.base);
    uint32_t value = 0;
    std::memcpy(&value, img.pixels + static_cast<size_t>(y) * img.base->pitch + x * bytes, bytes > 4 ? 4 : bytes);
    return bytes == 2 ? value & 0xFFFF : value;
}

uint32_t packedFor(int handle, int r, int g, int b) {
    const ZaDod::GraphData* graph = ZaDod::GetGraphData(handle, 0);
    const ZaDod::PixelFormatDesc* desc = graph->image.base->colorData;
    const uint32_t alpha = desc->alphaWidth ? 255 : 0;
    const uint32_t value = ZaDod::PackColorDataPixel(desc, r, g, b, static_cast<int>(alpha));
    return desc->colorBits == 16 ? value & 0xFFFF : value;
}

int liveGraphs() { return ZaDod::HandleManageArray[ZaDod::HANDLETYPE_GRAPH].Num; }

void GraphFixture::SetUp() {
    GraphicsEnv::SetUp();
    ZaDod::GraphCreateSettingsData = {};
    ZaDod::SetTransColor(255, 0, 255);
}

}  // namespace graphtest
