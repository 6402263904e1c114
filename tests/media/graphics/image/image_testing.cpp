// Helpers of the image-loader tests: source pictures, ImageMagick conversions and dumps.
#include "tests/media/graphics/image/image_testing.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "media/graphics/base_image_load.h"

namespace imagetest {

namespace {

std::string run(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) out.append(chunk, n);
    pclose(pipe);
    return out;
}

// A pattern that varies in every channel, so swapped channels or rows show.
uint8_t level(int x, int y, int channel, int width, int height)
{
    return uint8_t((x * 255 / (width > 1 ? width - 1 : 1) * (channel == 0) + y * 255 / (height > 1 ? height - 1 : 1) * (channel == 1) +
                    ((x * 37 + y * 91) & 255) * (channel == 2) + (255 - x * 9 - y * 5) * (channel == 3)) &
                   255);
}

std::string writePam(const std::string& name, int width, int height, int depth, const char* tuple)
{
    const std::string path = scratchDir() + "/" + name;
    std::string text = "P7\nWIDTH " + std::to_string(width) + "\nHEIGHT " + std::to_string(height) + "\nDEPTH " +
                       std::to_string(depth) + "\nMAXVAL 255\nTUPLTYPE " + tuple + "\nENDHDR\n";
    Bytes bytes(text.begin(), text.end());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < depth; ++c)
                bytes.push_back(depth == 1 ? uint8_t(x * 19 + y * 31) : level(x, y, c, width, height));
    writeFile(path, bytes);
    return path;
}

}  // namespace

bool haveMagick()
{
    static const bool present = run("/usr/bin/convert -version 2>/dev/null").find("ImageMagick") != std::string::npos;
    return present;
}

// Every test runs in a temporary folder of its own, removed when it ends.
std::string scratchDir() { return std::filesystem::current_path().string(); }

Bytes magick(const std::string& args, const std::string& output)
{
    // A format prefix ("BMP3:") goes before the folder.
    const size_t colon = output.find(':');
    const std::string prefix = colon == std::string::npos ? "" : output.substr(0, colon + 1);
    const std::string path = scratchDir() + "/" + output.substr(prefix.size());
    std::remove(path.c_str());
    if (std::system(("/usr/bin/convert " + args + " '" + prefix + path + "' 2>/dev/null").c_str()) != 0) return {};
    return readFile(path);
}

Bytes magickRgba(const std::string& file, int* width, int* height)
{
    if (width || height) {
        const std::string size = run("/usr/bin/identify -format '%w %h' '" + file + "[0]' 2>/dev/null");
        int w = 0, h = 0;
        std::sscanf(size.c_str(), "%d %d", &w, &h);
        if (width) *width = w;
        if (height) *height = h;
    }
    // Orientation is kept as a tag by ImageMagick's readers; the picture as shown is
    // the oriented one.
    const std::string out = run("/usr/bin/convert '" + file + "[0]' -auto-orient -depth 8 rgba:- 2>/dev/null");
    return Bytes(out.begin(), out.end());
}

std::string colorSource(int width, int height)
{
    return writePam("color-" + std::to_string(width) + "x" + std::to_string(height) + ".pam", width, height, 3, "RGB");
}

std::string alphaSource(int width, int height)
{
    return writePam("alpha-" + std::to_string(width) + "x" + std::to_string(height) + ".pam", width, height, 4,
                    "RGB_ALPHA");
}

std::string greySource(int width, int height)
{
    return writePam("grey-" + std::to_string(width) + "x" + std::to_string(height) + ".pam", width, height, 1,
                    "GRAYSCALE");
}

std::string paletteSource(int colors, int width, int height)
{
    const std::string path = scratchDir() + "/palette-" + std::to_string(colors) + ".png";
    magick("'" + colorSource(width, height) + "' -dither None -colors " + std::to_string(colors), path.substr(scratchDir().size() + 1));
    return path;
}

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

int loadMemory(const Bytes& bytes, ZaDod::BaseImage* image, int infoOnly)
{
    ZaDod::ImageLoadStream record;
    ZaDod::SetupImageLoadStream(&record, infoOnly);
    return ZaDod::LoadBaseImageFromStream(&record, nullptr, bytes.data(), bytes.size(), 1, 0, 0, image, nullptr,
                                          nullptr);
}

int loadWith(ZaDod::BaseImageLoader loader, const Bytes& bytes, ZaDod::BaseImage* image, int64_t* position,
             int infoOnly)
{
    ZaDod::MemStream* mem = ZaDod::MemStreamOpen(bytes.data(), uint32_t(bytes.size()));
    ZaDod::StreamData stream{*ZaDod::GetMemStreamFunctions(), mem};
    const int result = loader(&stream, image, infoOnly);
    if (position) *position = ZaDod::MemStreamTell(mem);
    ZaDod::MemStreamClose(mem);
    return result;
}

Bytes toRgba(ZaDod::BaseImage* image)
{
    ZaDod::BaseImage argb{};
    if (ZaDod::CreateARGB8ColorBaseImage(image->width, image->height, &argb) != 0) return {};
    ZaDod::BltBaseImage(0, 0, image, &argb);
    Bytes out;
    for (int y = 0; y < argb.height; ++y) {
        const auto* row = static_cast<const uint8_t*>(argb.pixels) + y * argb.pitch;
        for (int x = 0; x < argb.width; ++x) {
            const uint8_t* p = row + 4 * x;
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
        }
    }
    ZaDod::ReleaseBaseImage(&argb);
    return out;
}

int maxDifference(const Bytes& a, const Bytes& b)
{
    if (a.size() != b.size() || a.empty()) return 256;
    int most = 0;
    for (size_t i = 0; i < a.size(); ++i) most = std::max(most, std::abs(int(a[i]) - int(b[i])));
    return most;
}

}  // namespace imagetest
