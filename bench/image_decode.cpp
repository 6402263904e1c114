// Decoding a 1024 x 1024 picture from memory through the loader dispatch, per
// format, beside ImageMagick's decode of the same bytes from a blob. The picture is
// made by ImageMagick's convert with a fixed seed when the program starts.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "media/graphics/base_image.h"
#include "media/graphics/base_image_load.h"
#include "media/graphics/image/dxt.h"

#ifdef HALVORINE_HAVE_MAGICKCORE
#include <magick/MagickCore.h>
#endif

namespace {

using Bytes = std::vector<uint8_t>;

struct Picture {
    const char* name;
    const char* output;  // convert's output, with any format prefix
    const char* extension;
    Bytes bytes;
};

std::vector<Picture> pictures = {
    {"png", "PNG24:", "png", {}}, {"jpeg", "", "jpg", {}}, {"bmp", "BMP3:", "bmp", {}},
    {"tga", "", "tga", {}},      {"dds_dxt1", "-define dds:compression=dxt1 -define dds:mipmaps=0 ", "dds", {}},
};

bool makePictures()
{
    const std::string dir = "/tmp/halvorine-bench-" + std::to_string(getpid());
    const std::string source = dir + "/source.png";
    if (std::system(("mkdir -p " + dir + " && /usr/bin/convert -seed 7 -size 1024x1024 plasma:fractal '" + source +
                     "' 2>/dev/null")
                        .c_str()) != 0)
        return false;
    for (Picture& p : pictures) {
        const std::string options = p.output;
        const bool prefix = !options.empty() && options.back() == ':';
        const std::string file = dir + "/picture." + p.extension;
        const std::string command = "/usr/bin/convert '" + source + "' " + (prefix ? "" : options) + "'" +
                                    (prefix ? options : "") + file + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0) return false;
        std::ifstream in(file, std::ios::binary);
        p.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::system(("rm -rf " + dir).c_str());
    return true;
}

void decodeOurs(benchmark::State& state, const Picture* picture)
{
    ZaDod::ImageLoadStream record;
    ZaDod::SetupImageLoadStream(&record, 0);
    for (auto _ : state) {
        ZaDod::BaseImage image{};
        if (ZaDod::LoadBaseImageFromStream(&record, nullptr, picture->bytes.data(), picture->bytes.size(), 1, 0, 0,
                                           &image, nullptr, nullptr) != 0) {
            state.SkipWithError("not loaded");
            break;
        }
        ZaDod::ConvertDXTToARGB8(&image, 1);
        benchmark::DoNotOptimize(image.pixels);
        ZaDod::ReleaseBaseImage(&image);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 1024 * 1024 * 4);
}

#ifdef HALVORINE_HAVE_MAGICKCORE
void decodeMagick(benchmark::State& state, const Picture* picture)
{
    ImageInfo* info = AcquireImageInfo();
    ExceptionInfo* exception = AcquireExceptionInfo();
    for (auto _ : state) {
        CopyMagickString(info->filename, (std::string("picture.") + picture->extension).c_str(), MaxTextExtent);
        CopyMagickString(info->magick, "", MaxTextExtent);
        Image* image = BlobToImage(info, picture->bytes.data(), picture->bytes.size(), exception);
        if (!image) {
            state.SkipWithError("not decoded");
            break;
        }
        benchmark::DoNotOptimize(image);
        DestroyImage(image);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 1024 * 1024 * 4);
    DestroyExceptionInfo(exception);
    DestroyImageInfo(info);
}
#endif

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!makePictures()) {
        std::fprintf(stderr, "ImageMagick's convert is needed to make the pictures\n");
        return 0;
    }
#ifdef HALVORINE_HAVE_MAGICKCORE
    MagickCoreGenesis(argv[0], MagickFalse);
#endif
    for (const Picture& p : pictures) {
        benchmark::RegisterBenchmark((std::string("Decode/") + p.name).c_str(), decodeOurs, &p)->Unit(benchmark::kMillisecond);
#ifdef HALVORINE_HAVE_MAGICKCORE
        benchmark::RegisterBenchmark((std::string("MagickCore/") + p.name).c_str(), decodeMagick, &p)
            ->Unit(benchmark::kMillisecond);
#endif
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
#ifdef HALVORINE_HAVE_MAGICKCORE
    MagickCoreTerminus();
#endif
    return 0;
}
