// What the sound-buffer files share among themselves.
#pragma once
#include "media/sound/buffer.h"

namespace ZaDod {

int CreateXAudio2Buffer(SoundBuffer* buffer, std::uint32_t bytes, const pa::WAVEFORMATEX& format, SoundBuffer* source,
                        int is3D);
void ReleaseXAudio2Objects(SoundBuffer* buffer);
// Widens one written range of a mono buffer into its stereo copy.
void FillStereoCopy(SoundBuffer* buffer, const void* range, pa::DWORD bytes);

// A copy of a buffer starts with the source's volumes, pan and frequency.
void TakeSourceSettings(SoundBuffer* buffer, const SoundBuffer* source);

// DirectSound volume and pan for a one- or two-channel buffer.
struct DirectSoundLevels {
  std::int32_t volume;
  std::int32_t pan;
};
DirectSoundLevels ComputeDirectSoundLevels(const SoundBuffer* buffer);

}  // namespace ZaDod
