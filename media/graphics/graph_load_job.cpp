// Graph load jobs.
#include "media/graphics/graph_load_job.h"

#include "media/file/async_load.h"

namespace ZaDod {

namespace {

bool packBlock(void* buffer, int* offset, const void* data, size_t size) {
    if (AddASyncLoadParamInt(buffer, offset, data != nullptr ? 1 : 0) != 0) return false;
    if (data == nullptr) return true;
    if (size > 0x7FFFFFFF) return false;
    return AddASyncLoadParamStruct(buffer, offset, data, static_cast<int>(size)) == 0;
}

void* unpackBlock(void* buffer, int* offset) {
    if (GetASyncLoadParamInt(buffer, offset) == 0) return nullptr;
    return GetASyncLoadParamStruct(buffer, offset);
}

bool packImage(void* buffer, int* offset, const BaseImage* image) {
    if (!packBlock(buffer, offset, image, sizeof(BaseImage))) return false;
    if (image == nullptr) return true;
    const int64_t bytes = GetBaseImageDataSize(image);
    return bytes >= 0 && packBlock(buffer, offset, image->pixels, static_cast<size_t>(bytes));
}

BaseImage* unpackImage(void* buffer, int* offset) {
    auto* image = static_cast<BaseImage*>(unpackBlock(buffer, offset));
    if (image != nullptr) image->pixels = unpackBlock(buffer, offset);
    return image;
}

}  // namespace

bool PackGraphLoadRequest(void* buffer, int* offset, const GraphLoadRequest* request) {
    const size_t handleBytes = request->handles != nullptr ? sizeof(int) * static_cast<size_t>(request->count) : 0;
    return packBlock(buffer, offset, request, sizeof(*request)) &&
           AddASyncLoadParamInt(buffer, offset, request->fileName != nullptr ? 1 : 0) == 0 &&
           (request->fileName == nullptr || AddASyncLoadParamString(buffer, offset, request->fileName) == 0) &&
           packBlock(buffer, offset, request->memImage, request->memImageSize) &&
           packBlock(buffer, offset, request->alphaMemImage, request->alphaMemImageSize) &&
           packImage(buffer, offset, request->image) && packImage(buffer, offset, request->alphaImage) &&
           packBlock(buffer, offset, request->handles, handleBytes);
}

void UnpackGraphLoadRequest(void* buffer, GraphLoadRequest* request) {
    int offset = 0;
    *request = *static_cast<GraphLoadRequest*>(unpackBlock(buffer, &offset));
    request->fileName = GetASyncLoadParamInt(buffer, &offset) ? GetASyncLoadParamString(buffer, &offset) : nullptr;
    request->memImage = unpackBlock(buffer, &offset);
    request->alphaMemImage = unpackBlock(buffer, &offset);
    request->image = unpackImage(buffer, &offset);
    request->alphaImage = unpackImage(buffer, &offset);
    request->handles = static_cast<int*>(unpackBlock(buffer, &offset));
}

}  // namespace ZaDod
