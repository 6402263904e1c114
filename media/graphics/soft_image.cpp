// Soft images: base images that scripts own through handles.
#include "media/graphics/soft_image.h"

#include <cstring>

namespace ZaDod {

namespace {

// Accepted while the type is registered, the handle names a live record and no
// asynchronous step is pending on it.
SoftImageRecord* softImage(int handle) {
    HandleEntryHeader* record = GetHandleInfo(handle);
    if (record == nullptr || (handle >> HANDLE_TYPE_SHIFT) != HANDLETYPE_SOFTIMAGE || HandleASyncLoadCount(record) != 0)
        return nullptr;
    return reinterpret_cast<SoftImageRecord*>(record);
}

}  // namespace

int InitializeSoftImageManage() {
    return InitializeHandleManage(HANDLETYPE_SOFTIMAGE, sizeof(SoftImageRecord), kMaxSoftImages, nullptr,
                                  TerminateSoftImageHandle, u"SoftImage");
}

int TerminateSoftImageManage() { return TerminateHandleManage(HANDLETYPE_SOFTIMAGE); }

int MakeARGB8ColorSoftImage(int width, int height) {
    const int handle = AddHandle(HANDLETYPE_SOFTIMAGE, 0, -1);
    if (handle == -1) return -1;
    SoftImageRecord* record = softImage(handle);
    if (record == nullptr || CreateARGB8ColorBaseImage(width, height, &record->image) != 0) {
        SubHandle(handle);
        return -1;
    }
    // Scripts read what they did not write: start from transparent black, not from old memory.
    std::memset(record->image.pixels, 0, static_cast<size_t>(record->image.pitch) * static_cast<size_t>(height));
    return handle;
}

int DrawPixelSoftImage(int handle, int x, int y, int red, int green, int blue, int alpha) {
    SoftImageRecord* record = softImage(handle);
    return record ? SetBaseImagePixel(&record->image, x, y, red, green, blue, alpha) : -1;
}

int GetPixelSoftImage(int handle, int x, int y, int* red, int* green, int* blue, int* alpha) {
    SoftImageRecord* record = softImage(handle);
    return record ? GetBaseImagePixel(&record->image, x, y, red, green, blue, alpha) : -1;
}

int DeleteAllSoftImage() { return SubAllHandle(HANDLETYPE_SOFTIMAGE); }

int TerminateSoftImageHandle(HandleEntryHeader* record) {
    ReleaseBaseImage(&reinterpret_cast<SoftImageRecord*>(record)->image);
    return 0;
}

}  // namespace ZaDod
