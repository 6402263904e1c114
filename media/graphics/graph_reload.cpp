// Kept graph sources.
#include "media/graphics/graph_reload.h"

#include <cstring>

#include "media/base/log.h"
#include "media/base/memory.h"

namespace ZaDod {

namespace {

constexpr size_t kAlign = alignof(std::max_align_t);

size_t alignUp(size_t size) { return (size + kAlign - 1) & ~(kAlign - 1); }

size_t textUnits(const char16_t* text) {
    size_t length = 0;
    while (text[length] != 0) ++length;
    return length + 1;
}

GraphReloadData* allocRecord(size_t extra, const char16_t* message) {
    auto* data = static_cast<GraphReloadData*>(MemCalloc(alignUp(sizeof(GraphReloadData)) + extra, __FILE__, __LINE__));
    if (data == nullptr) LogAddTextUtf16(message);
    return data;
}

unsigned char* tail(GraphReloadData* data) {
    return reinterpret_cast<unsigned char*>(data) + alignUp(sizeof(GraphReloadData));
}

// A base image and its pixels copied behind the record at `at`; returns the bytes used.
size_t keepImage(const BaseImage* image, unsigned char* at, BaseImage** out) {
    auto* copy = reinterpret_cast<BaseImage*>(at);
    *copy = *image;
    const size_t pixelBytes = static_cast<size_t>(GetBaseImageDataSize(image));
    copy->pixels = at + alignUp(sizeof(BaseImage));
    std::memcpy(copy->pixels, image->pixels, pixelBytes);
    *out = copy;
    return alignUp(sizeof(BaseImage)) + alignUp(pixelBytes);
}

}  // namespace

int CreateGraphReloadData(const GraphReloadSource* source, GraphReloadData** out) {
    *out = nullptr;
    GraphReloadData* data = nullptr;
    if (source->fileName != nullptr) {
        const size_t bytes = textUnits(source->fileName) * sizeof(char16_t);
        data = allocRecord(bytes, u"転送する画像ファイルのファイル名を保存するメモリ領域の確保に失敗しました\n");
        if (data == nullptr) return -1;
        data->fileName = reinterpret_cast<char16_t*>(tail(data));
        std::memcpy(data->fileName, source->fileName, bytes);
    } else if (source->memImage != nullptr) {
        const size_t alphaSize = source->alphaMemImage != nullptr ? source->alphaMemImageSize : 0;
        data = allocRecord(alignUp(source->memImageSize) + alphaSize,
                           u"転送する画像データを保存するメモリ領域の確保に失敗しました\n");
        if (data == nullptr) return -1;
        data->memImage = tail(data);
        data->memImageSize = source->memImageSize;
        std::memcpy(data->memImage, source->memImage, source->memImageSize);
        if (alphaSize != 0) {
            data->alphaMemImage = tail(data) + alignUp(source->memImageSize);
            data->alphaMemImageSize = alphaSize;
            std::memcpy(data->alphaMemImage, source->alphaMemImage, alphaSize);
        }
    } else if (source->image != nullptr) {
        const int64_t colorBytes = GetBaseImageDataSize(source->image);
        const int64_t alphaBytes = source->alphaImage != nullptr ? GetBaseImageDataSize(source->alphaImage) : 0;
        if (colorBytes < 0 || alphaBytes < 0) return -1;
        const size_t extra = 2 * alignUp(sizeof(BaseImage)) + alignUp(static_cast<size_t>(colorBytes)) +
                             alignUp(static_cast<size_t>(alphaBytes));
        data = allocRecord(extra, u"転送する基本イメージを保存するメモリ領域の確保に失敗しました\n");
        if (data == nullptr) return -1;
        const size_t used = keepImage(source->image, tail(data), &data->image);
        if (source->alphaImage != nullptr) keepImage(source->alphaImage, tail(data) + used, &data->alphaImage);
    } else {
        return 0;
    }
    data->mirror = source->mirror;
    data->convertToARGB8 = source->convertToARGB8;
    data->refCount = 1;
    *out = data;
    return 0;
}

void AddGraphReloadDataRef(GraphReloadData* data) { ++data->refCount; }

void ReleaseGraphReloadData(GraphReloadData* data) {
    if (data != nullptr && --data->refCount == 0) MemFree(data);
}

}  // namespace ZaDod
