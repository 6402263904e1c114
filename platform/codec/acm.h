// Audio-codec stand-in: the format suggestion and block conversion streams the sound
// converter drives to turn compressed WAVE data and MP3 frames into 16-bit PCM.
// Served as the "msacm32" library of the module registry (missing name "acm").
#pragma once
#include <cstdint>

#include "platform/audio/wave_format.h"

namespace plat::codec {

using audio::WAVEFORMATEX;
using win::DWORD;
using MMRESULT = unsigned int;

struct AcmStream;
using HACMSTREAM = AcmStream*;
using HACMDRIVER = void*;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT ACMERR_NOTPOSSIBLE = 512;
constexpr MMRESULT ACMERR_UNPREPARED = 514;

constexpr DWORD ACM_FORMATSUGGESTF_WFORMATTAG = 0x00010000;
constexpr DWORD ACM_STREAMOPENF_NONREALTIME = 0x00000004;
constexpr DWORD ACM_STREAMCONVERTF_BLOCKALIGN = 0x00000004;
constexpr DWORD ACM_STREAMCONVERTF_START = 0x00000010;
constexpr DWORD ACM_STREAMCONVERTF_END = 0x00000020;
constexpr DWORD ACM_STREAMSIZEF_SOURCE = 0x00000000;
constexpr DWORD ACM_STREAMSIZEF_DESTINATION = 0x00000001;
constexpr DWORD ACM_METRIC_MAX_SIZE_FORMAT = 50;
constexpr DWORD ACMSTREAMHEADER_STATUSF_DONE = 0x00010000;
constexpr DWORD ACMSTREAMHEADER_STATUSF_PREPARED = 0x00020000;

constexpr std::uint16_t WAVE_FORMAT_ADPCM = 2;
constexpr std::uint16_t WAVE_FORMAT_ALAW = 6;
constexpr std::uint16_t WAVE_FORMAT_MULAW = 7;
constexpr std::uint16_t WAVE_FORMAT_IMA_ADPCM = 0x11;
constexpr std::uint16_t WAVE_FORMAT_MPEGLAYER3 = 0x55;

// The MPEG layer-3 format record: the PCM-style head and 12 extra bytes.
#pragma pack(push, 1)
struct MPEGLAYER3WAVEFORMAT {
  WAVEFORMATEX wfx;
  std::uint16_t wID;
  DWORD fdwFlags;
  std::uint16_t nBlockSize;
  std::uint16_t nFramesPerBlock;
  std::uint16_t nCodecDelay;
};
#pragma pack(pop)
constexpr std::uint16_t MPEGLAYER3_ID_MPEG = 1;
constexpr DWORD MPEGLAYER3_FLAG_PADDING_ISO = 0;

struct ACMSTREAMHEADER {
  DWORD cbStruct;
  DWORD fdwStatus;
  std::uintptr_t dwUser;
  std::uint8_t* pbSrc;
  DWORD cbSrcLength;
  DWORD cbSrcLengthUsed;
  std::uintptr_t dwSrcUser;
  std::uint8_t* pbDst;
  DWORD cbDstLength;
  DWORD cbDstLengthUsed;
  std::uintptr_t dwDstUser;
  DWORD dwReservedDriver[10];
};

// Fills `dst` with 16-bit PCM of the source's rate and channels; ACMERR_NOTPOSSIBLE for
// a format tag no codec here decodes.
MMRESULT acmFormatSuggest(HACMDRIVER driver, const WAVEFORMATEX* src, WAVEFORMATEX* dst, DWORD dstBytes,
                          DWORD flags);
MMRESULT acmStreamOpen(HACMSTREAM* stream, HACMDRIVER driver, const WAVEFORMATEX* src, const WAVEFORMATEX* dst,
                       void* filter, std::uintptr_t callback, std::uintptr_t instance, DWORD flags);
MMRESULT acmStreamClose(HACMSTREAM stream, DWORD flags);
MMRESULT acmMetrics(void* object, unsigned int metric, void* out);
MMRESULT acmStreamPrepareHeader(HACMSTREAM stream, ACMSTREAMHEADER* header, DWORD flags);
// Decodes whole source blocks (with the block-align flag) into the destination. Output
// that does not fit is kept by the stream and delivered first by the next call.
MMRESULT acmStreamConvert(HACMSTREAM stream, ACMSTREAMHEADER* header, DWORD flags);
MMRESULT acmStreamUnprepareHeader(HACMSTREAM stream, ACMSTREAMHEADER* header, DWORD flags);
MMRESULT acmStreamSize(HACMSTREAM stream, DWORD input, DWORD* output, DWORD flags);

}  // namespace plat::codec
