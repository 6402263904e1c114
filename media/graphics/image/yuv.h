// Movie frames in YUV layouts turned into 32-bit ARGB images, or into a Y buffer
// and an interleaved UV buffer for the device-side conversion.
#pragma once

namespace ZaDod {

struct BaseImage;

// Frame of w x h pixels into the image (32-bit ARGB, its own pitch); the area
// converted is limited to the image. 0, or -1 for an image that is not 32-bit.
int ConvertYV12ToARGB8(const void* source, int w, int h, BaseImage* image);
int ConvertNV12ToARGB8(const void* source, int w, int h, BaseImage* image);
int ConvertYUY2ToARGB8(const void* source, int w, int h, BaseImage* image);
int ConvertUYVYToARGB8(const void* source, int w, int h, BaseImage* image);
int ConvertYVYUToARGB8(const void* source, int w, int h, BaseImage* image);
int ConvertNV11ToARGB8(const void* source, int w, int h, BaseImage* image);

// Y buffer: h rows of w bytes. UV buffer of U, V pairs: YV12 and NV12 h / 2 rows
// of w bytes; YUY2, UYVY and YVYU h rows of w bytes; NV11 h rows of w / 2 bytes.
int ConvertYV12ToYUVBuffers(const void* source, int w, int h, void* yBuffer, void* uvBuffer);
int ConvertNV12ToYUVBuffers(const void* source, int w, int h, void* yBuffer, void* uvBuffer);
int ConvertYUY2ToYUVBuffers(const void* source, int w, int h, void* yBuffer, void* uvBuffer);
int ConvertUYVYToYUVBuffers(const void* source, int w, int h, void* yBuffer, void* uvBuffer);
int ConvertYVYUToYUVBuffers(const void* source, int w, int h, void* yBuffer, void* uvBuffer);
int ConvertNV11ToYUVBuffers(const void* source, int w, int h, void* yBuffer, void* uvBuffer);

}  // namespace ZaDod
