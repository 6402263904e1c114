// Ogg Theora movies: open (index of pages, key frames and the time map), a decode
// thread per movie that keeps a stock of decoded frames ahead of the current one, and
// the current frame as a 32-bit ARGB image or as luma and chroma graphs.
#pragma once
#include <cstdint>

#include "media/file/file_access.h"

namespace ZaDod {

struct BaseImage;
struct TheoraDecoder;

struct TheoraMovieInfo {
  double framesPerSecond;
  int frameCount;  // time frames
  int width, height;  // picture region
};

// Null when the data is not Ogg (no log line), is not Theora, or cannot be set up. The
// stream stays the caller's; the decoder reads through it until closed.
TheoraDecoder* TheoraMovie_Open(const StreamData* stream, int stockCount, int setting, int noGraph, int postFlag);
int TheoraMovie_Close(TheoraDecoder* decoder);

// 1 when an output was refreshed; 0 when nothing was to do, the thread ended or the
// frame cannot be produced.
int TheoraMovie_UpdateImage(TheoraDecoder* decoder, int wantARGB, int wantGraphs, int wantSurface, int postFlag);
BaseImage* TheoraMovie_GetBaseImage(TheoraDecoder* decoder);
int TheoraMovie_GetCurrentFrame(TheoraDecoder* decoder);
int TheoraMovie_GetInfo(TheoraDecoder* decoder, TheoraMovieInfo* info);
int TheoraMovie_GetYGraph(TheoraDecoder* decoder);
int TheoraMovie_GetUVGraph(TheoraDecoder* decoder);
void* TheoraMovie_GetHardwareSurface(TheoraDecoder* decoder);
int TheoraMovie_AdvanceFrames(TheoraDecoder* decoder, int count);
int TheoraMovie_SeekFrame(TheoraDecoder* decoder, int timeFrame);
int TheoraMovie_RequestSurfaceRefresh(TheoraDecoder* decoder);
// Writes the current frame's picture region into a locked surface of pitch bytes a row:
// "YV12" (luma rows, then the V and U planes at half the pitch), "YUY2" (Y0 U Y1 V) or
// "UYVY" (U Y0 V Y1). 0, or -1 for another layout, a movie whose chroma is not one
// sample per 2 x 2 pixels, or a frame that cannot be had. No device supplies such a
// surface yet, so nothing but tests calls it.
constexpr std::uint32_t kFourCCYV12 = 0x32315659, kFourCCYUY2 = 0x32595559, kFourCCUYVY = 0x59565955;
int TheoraMovie_FillSurface(TheoraDecoder* decoder, std::uint32_t fourCC, std::uint8_t* dest, int pitch);
int TheoraMovie_ReleaseSurface(TheoraDecoder* decoder, int postFlag);

}  // namespace ZaDod
