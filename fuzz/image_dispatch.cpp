// The whole dispatch from memory with the make-DIB option: every loader in turn,
// block decoding and the DIB conversion.
#include "fuzz/image_fuzz.h"
#include "media/base/memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ZaDod::ImageLoadStream record;
    ZaDod::SetupImageLoadStream(&record, 0);
    ZaDod::BaseImage image{};
    plat::win::BITMAPINFO* info = nullptr;
    void* bits = nullptr;
    if (ZaDod::LoadBaseImageFromStream(&record, nullptr, data, size, 1, 1, 0, &image, &info, &bits) == 0) {
        ZaDod::MemFree(info);
        ZaDod::MemFree(bits);
    }
    return 0;
}
