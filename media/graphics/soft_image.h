// Soft images: base images that scripts own through handles (type 2 "SoftImage").
#pragma once

#include "media/base/handle.h"
#include "media/graphics/base_image.h"

namespace ZaDod {

constexpr int kMaxSoftImages = 8192;

struct SoftImageRecord {
    HandleEntryHeader header;
    BaseImage image;
};

int InitializeSoftImageManage();
int TerminateSoftImageManage();

int MakeARGB8ColorSoftImage(int width, int height);
int DrawPixelSoftImage(int handle, int x, int y, int red, int green, int blue, int alpha);
int GetPixelSoftImage(int handle, int x, int y, int* red, int* green, int* blue, int* alpha);
int DeleteAllSoftImage();
int TerminateSoftImageHandle(HandleEntryHeader* record);

}  // namespace ZaDod
