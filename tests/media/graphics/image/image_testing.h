// Helpers for the loader tests: ImageMagick fixtures made at test time, loading
// from memory, and pictures compared as 32-bit RGBA.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "media/graphics/base_image.h"
#include "media/graphics/base_image_load.h"

namespace imagetest {

using Bytes = std::vector<uint8_t>;

// Stores a 32-bit field at `at` in the machine's (little-endian) order, growing the bytes to hold it.
inline void put32(Bytes& b, size_t at, uint32_t v)
{
    if (b.size() < at + 4) b.resize(at + 4);
    std::memcpy(b.data() + at, &v, 4);
}

// An image released at the end of the scope.
struct Loaded {
    ZaDod::BaseImage image{};
    ~Loaded() { ZaDod::ReleaseBaseImage(&image); }
};

// True when /usr/bin/convert is ImageMagick's.
bool haveMagick();
// A scratch folder for this test process.
std::string scratchDir();
// Runs convert with the arguments; the last one names the output file (in the
// scratch folder), whose bytes are returned. Empty when convert failed.
Bytes magick(const std::string& args, const std::string& output);
// ImageMagick's own reading of a file as 8-bit RGBA.
Bytes magickRgba(const std::string& file, int* width = nullptr, int* height = nullptr);
// The deterministic sources the fixtures are made from: a colour picture, one with
// alpha, and a grey one, written as PAM/PGM into the scratch folder.
std::string colorSource(int width = 13, int height = 7);
std::string alphaSource(int width = 13, int height = 7);
std::string greySource(int width = 13, int height = 7);
std::string paletteSource(int colors, int width = 13, int height = 7);

Bytes readFile(const std::string& path);
void writeFile(const std::string& path, const Bytes& bytes);

// Loads through the dispatcher from memory; -1 when it refused.
int loadMemory(const Bytes& bytes, ZaDod::BaseImage* image, int infoOnly = 0);
// Runs one loader over memory and reports where the stream stopped.
int loadWith(ZaDod::BaseImageLoader loader, const Bytes& bytes, ZaDod::BaseImage* image, int64_t* position = nullptr,
             int infoOnly = 0);
// The image blitted into ARGB8 and returned as R, G, B, A bytes per pixel.
Bytes toRgba(ZaDod::BaseImage* image);
// Largest difference of any channel; a size mismatch gives 256.
int maxDifference(const Bytes& a, const Bytes& b);

}  // namespace imagetest

#define REQUIRE_MAGICK() \
    if (!imagetest::haveMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed"
