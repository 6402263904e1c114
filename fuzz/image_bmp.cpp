// LoadBmpImage over arbitrary bytes, info-only and full.
#include "fuzz/image_fuzz.h"
#include "media/graphics/image/image_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return imagefuzz::runLoader(ZaDod::LoadBmpImage, data, size);
}
