// Small Ogg Theora files for tests, benchmarks and fuzz seeds, made with the Theora
// (and Vorbis) encoders from a known picture pattern, and libtheora's own decode of
// a file for reference pictures.
#pragma once
#include <theora/codec.h>

#include <cstdint>
#include <vector>

namespace halvorine_test {

struct OgvOptions {
  int width = 160, height = 120;  // picture region
  int picX = 0, picY = 0;         // its place in the coded frame (coded size: picture + offset, rounded up to 16)
  int frames = 50;
  int fpsNumerator = 25, fpsDenominator = 1;
  th_pixel_fmt format = TH_PF_420;
  int keyEvery = 8;        // key frame interval
  bool vorbis = false;     // a 44.1 kHz stereo sound track as long as the picture
  int gapAfter = -1;       // frames after this one are stamped gapFrames later (needs keyEvery 1)
  int gapFrames = 0;
};

std::vector<std::uint8_t> MakeOgv(const OgvOptions& options);

// One decoded frame in coded-frame planes, as libtheora gives it.
struct RefFrame {
  th_info info;
  std::vector<std::uint8_t> y, cb, cr;
  int yWidth, yHeight, cWidth, cHeight;
};
// Decodes data frames 0 .. frame of the file with libtheora directly.
bool DecodeReference(const std::vector<std::uint8_t>& file, int frame, RefFrame* out);
// The picture region of a reference frame as B, G, R, A bytes, through the video-range
// integer formula (the tables' arithmetic) or the floating-point one.
std::vector<std::uint8_t> ReferenceARGB(const RefFrame& frame, bool useFloat);

}  // namespace halvorine_test
