// The kept source of a graph: what the rebuild after a lost device reloads it from.
// Graphs cut from one image share one record through its reference count.
#pragma once
#include <cstddef>

#include "media/graphics/base_image.h"

namespace ZaDod {

struct GraphReloadData {
    int spare;
    char16_t* fileName;
    BaseImage* image;
    BaseImage* alphaImage;
    void* memImage;
    size_t memImageSize;
    void* alphaMemImage;
    size_t alphaMemImageSize;
    int mirror;
    int convertToARGB8;
    int refCount;
    // The kept data follows in the same allocation.
};

// The source of a load or transfer, as the caller holds it.
struct GraphReloadSource {
    const char16_t* fileName;
    const void* memImage;
    size_t memImageSize;
    const void* alphaMemImage;
    size_t alphaMemImageSize;
    const BaseImage* image;
    const BaseImage* alphaImage;
    int mirror;
    int convertToARGB8;
};

// Copies the first source present (file name, else memory images, else base images
// with their pixels) into a new record with one reference. *out is null when there is
// nothing to keep. -1 when memory runs out (logged).
int CreateGraphReloadData(const GraphReloadSource* source, GraphReloadData** out);
void AddGraphReloadDataRef(GraphReloadData* data);
// Drops one reference; the record goes with the last.
void ReleaseGraphReloadData(GraphReloadData* data);

}  // namespace ZaDod
