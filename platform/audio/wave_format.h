// The PCM format record that sound data, buffers and voices are described with.
#pragma once
#include "platform/win/types.h"

namespace plat::audio {

using win::BYTE;
using win::DWORD;
using win::HRESULT;
using win::WORD;

constexpr WORD WAVE_FORMAT_PCM = 1;

// Kept at its 18 packed bytes: it is compared and copied into WAVE images as is.
#pragma pack(push, 1)
struct WAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);

// What the mixer produces: 44100 Hz, 2 channels, signed 16-bit, mixed in quanta of
// 10 ms. A quantum is also one XAudio2 processing pass and one step of a DirectSound
// play cursor.
constexpr int kOutputRate = 44100;
constexpr int kOutputChannels = 2;
constexpr int kQuantumFrames = 441;

}  // namespace plat::audio
