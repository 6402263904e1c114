// The MPEG audio bit rates in kbit/s by version (MPEG-1; MPEG-2 and 2.5), layer
// (I, II, III) and bit-rate index 1-14, shared by every reader of frame headers.
#pragma once

namespace plat::codec {

inline constexpr short kMpegBitRates[2][3][14] = {
    {{32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
     {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
     {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
    {{32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
     {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
     {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};

}  // namespace plat::codec
