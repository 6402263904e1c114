// The converter's compressed methods as the converter's dispatch calls them: Ogg
// Vorbis and Opus, the platform codecs (compressed WAVE, MP3) and PCM held in memory.
#pragma once
#include "media/sound/sound_handle.h"

namespace ZaDod {

// Little-endian fields of the RIFF headers the methods read.
inline std::uint32_t le32(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

// Each Setup returns 0 when it takes the stream and -1 (having freed what it made)
// when it does not; each Refill returns -1 at the end of the data.
int SetupSoundConvert_OGG(SoundConvert* convert);
int RefillSoundConvert_OGG(SoundConvert* convert);
int SeekSoundConvert_OGG(SoundConvert* convert, std::int32_t sample);
int GetLoopPointsSoundConvert_OGG(SoundConvert* convert, std::int32_t* start, std::int32_t* end);
void CloseSoundConvert_OGG(SoundConvert* convert);

int SetupSoundConvert_OPUS(SoundConvert* convert);
int RefillSoundConvert_OPUS(SoundConvert* convert);
int SeekSoundConvert_OPUS(SoundConvert* convert, std::int32_t sample);
void CloseSoundConvert_OPUS(SoundConvert* convert);

// Methods 3 (codec stand-in) and 4 (PCM in memory).
int SetupSoundConvertPlatform(SoundConvert* convert, int disableFlags);
int FillSoundConvertPlatform(SoundConvert* convert);
int SeekSoundConvertPlatform(SoundConvert* convert, std::int32_t sample);
std::int32_t GetSoundConvertPlatformDestSize(SoundConvert* convert);
void TerminateSoundConvertPlatform(SoundConvert* convert);

// Loads and unloads the codec library's functions; -1 when it or one function is missing.
int LoadSoundConvertCodecs();
void UnloadSoundConvertCodecs();

// The MPEG audio frame header: 0, -1 invalid, -2 no sync.
struct MPEGAudioFrameInfo {
  int Layer;       // 0 Layer I, 1 Layer II, 2 Layer III
  int Version;     // 0 MPEG-1, 1 MPEG-2
  int BitRateIndex;
  int SampleRateIndex;
  int Padding;
  int Channels;
  int SampleRate;  // Hz
  int BitRate;     // kbit/s
  int FrameBytes;
  int SampleNum;   // samples per frame
};
int ParseMPEGAudioFrameHeader(const std::uint8_t* header, MPEGAudioFrameInfo* out);

// Decodes the whole file through a filter graph into PCM held in memory (method 4):
// 0, or -1 when the file is refused (the reason is logged).
int ConvertMP3ToPCMWithDirectShow(SoundConvert* convert);
// Makes `pcm` (MemAlloc'ed, `size` bytes of the output format) the converter's method-4
// data; the converter then owns it. -1 without memory (the block stays the caller's).
int SetSoundConvertMemoryPcm(SoundConvert* convert, std::uint8_t* pcm, std::uint32_t size);

}  // namespace ZaDod
