// One loader over the fuzzer's bytes as a memory stream; whatever it loads is
// touched end to end (so a block shorter than its stated size shows) and released.
#pragma once
#include <cstddef>
#include <cstdint>

#include "media/file/file_access.h"
#include "media/graphics/base_image.h"
#include "media/graphics/base_image_load.h"

namespace imagefuzz {

inline int runLoader(ZaDod::BaseImageLoader loader, const uint8_t* data, size_t size)
{
    ZaDod::MemStream* mem = ZaDod::MemStreamOpen(data, uint32_t(size));
    if (!mem) return 0;
    ZaDod::StreamData stream{*ZaDod::GetMemStreamFunctions(), mem};
    for (int infoOnly = 1; infoOnly >= 0; --infoOnly) {
        ZaDod::MemStreamSeek(mem, 0, ZaDod::FileSeekSet);
        ZaDod::BaseImage image{};
        if (loader(&stream, &image, infoOnly) == 0 && image.pixels) {
            const int64_t bytes = ZaDod::GetBaseImageDataSize(&image);
            volatile uint8_t sum = 0;
            const auto* p = static_cast<const uint8_t*>(image.pixels);
            for (int64_t i = 0; i < bytes; i += 61) sum = uint8_t(sum + p[i]);
            if (bytes > 0) sum = uint8_t(sum + p[bytes - 1]);
        }
        ZaDod::ReleaseBaseImage(&image);
    }
    ZaDod::MemStreamClose(mem);
    return 0;
}

}  // namespace imagefuzz
