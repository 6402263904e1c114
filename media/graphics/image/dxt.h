// Block-compressed (DXT1 to DXT5) pictures decoded to 32-bit ARGB.
#pragma once

namespace ZaDod {

struct BaseImage;

// Decodes a block-compressed image in place into 32-bit ARGB: level 0 of every
// image (cube face); the result has one mip level. Plain images are left alone
// (0). -1, with the image unchanged, when there are no pixels or no memory.
// With freeOldPixels the block data is freed.
int ConvertDXTToARGB8(BaseImage* image, int freeOldPixels);

// Turns an image with alpha into alpha-premultiplied 32-bit ARGB (decoding or
// converting it first). Images without alpha are left alone.
int ConvertAlphaBaseImageToARGB8(BaseImage* image);

}  // namespace ZaDod
