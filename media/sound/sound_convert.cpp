// The sound-format converter: tries each method on a stream in turn and hands out
// 16-bit PCM a piece at a time, moves to sample positions, or converts all at once.
#include <algorithm>
#include <cstring>
#include <cstdlib>

#include "media/base/memory.h"
#include "media/sound/sound_convert_methods.h"

namespace ZaDod {

namespace {
int gConvertInitialized = 0;

void rewind(SoundConvert* c) { c->Stream.ReadShred.Seek(c->Stream.DataPoint, 0, 0); }

int refill(SoundConvert* c) {
  switch (c->Method) {
    case SOUND_METHODTYPE_NORMAL: return RefillSoundConvert_WAVE(c);
    case SOUND_METHODTYPE_OGG: return RefillSoundConvert_OGG(c);
    case SOUND_METHODTYPE_OPUS: return RefillSoundConvert_OPUS(c);
    case SOUND_METHODTYPE_ACM:
    case SOUND_METHODTYPE_MEMORY: return FillSoundConvertPlatform(c);
    default: return -1;
  }
}

int setupCompressed(SoundConvert* c, int flag, int disableFlags) {
  if (flag == SOUNDCONVERT_NO_OGG) return SetupSoundConvert_OGG(c);
  if (flag == SOUNDCONVERT_NO_OPUS) return SetupSoundConvert_OPUS(c);
  return SetupSoundConvertPlatform(c, disableFlags);
}
}  // namespace

int SetupSoundConvert(SoundConvert* c, const StreamData* stream, int disableFlags, int bytesPerSample,
                      int oggVorbisBuild) {
  std::memset(c, 0, sizeof(*c));
  c->BytesPerSample = bytesPerSample;
  c->OggVorbisBuild = oggVorbisBuild;
  c->Stream = *stream;
  rewind(c);
  bool accepted = false;
  if ((disableFlags & SOUNDCONVERT_NO_WAVE) == 0) {
    accepted = SetupSoundConvert_WAVE(c) == 0;
    if (!accepted) rewind(c);
  }
  // The platform step has its own flags (compressed WAVE, MP3, DirectShow) and is
  // always tried; it refuses by itself when everything in it is switched off.
  const int compressed[] = {SOUNDCONVERT_NO_OGG, SOUNDCONVERT_NO_OPUS, 0};
  for (int flag : compressed) {
    if (accepted || (disableFlags & flag) != 0) continue;
    accepted = setupCompressed(c, flag, disableFlags) == 0;
    if (!accepted) rewind(c);
  }
  if (!accepted) return -1;
  c->EndFlag = 0;
  c->DestData = static_cast<std::uint8_t*>(MemAlloc(c->DestDataSize, __FILE__, __LINE__));
  if (c->DestData == nullptr) {
    c->InitializeFlag = 1;
    CloseSoundConvert(c);
    return -1;
  }
  c->DestDataValidSize = 0;
  c->DestDataCompSize = 0;
  c->DestDataCompSizeAll = 0;
  c->InitializeFlag = 1;
  return 0;
}

int CloseSoundConvert(SoundConvert* c) {
  if (!c->InitializeFlag) return -1;
  MemFree(c->DestData);
  c->DestData = nullptr;
  switch (c->Method) {
    case SOUND_METHODTYPE_NORMAL: CloseSoundConvert_WAVE(c); break;
    case SOUND_METHODTYPE_OGG: CloseSoundConvert_OGG(c); break;
    case SOUND_METHODTYPE_OPUS: CloseSoundConvert_OPUS(c); break;
    default: TerminateSoundConvertPlatform(c); break;
  }
  c->InitializeFlag = 0;
  return 0;
}

int GetSoundConvertFormat(SoundConvert* c, pa::WAVEFORMATEX* format) {
  *format = c->OutFormat;
  return 0;
}

std::int32_t GetSoundConvertDestSize(SoundConvert* c) {
  switch (c->Method) {
    case SOUND_METHODTYPE_NORMAL: return DestSizeSoundConvert_WAVE(c);
    case SOUND_METHODTYPE_OGG:
    case SOUND_METHODTYPE_OPUS: return c->DataSize;
    default: return GetSoundConvertPlatformDestSize(c);
  }
}

int GetSoundConvertLoopPoints(SoundConvert* c, std::int32_t* start, std::int32_t* end) {
  *start = -1;
  *end = -1;
  // Only the Ogg Vorbis method carries loop points.
  if (c->Method != SOUND_METHODTYPE_OGG) return -1;
  return GetLoopPointsSoundConvert_OGG(c, start, end);
}

int RunSoundConvert(SoundConvert* c, void* destination, int bytes) {
  if (!c->InitializeFlag) return -1;
  if (c->EndFlag || bytes <= 0) return 0;
  auto* out = static_cast<std::uint8_t*>(destination);
  int copied = 0;
  for (;;) {
    if (c->DestDataValidSize == 0) {
      c->DestDataCompSize = 0;
      // A WAVE piece that the request takes whole is converted straight into the
      // caller's buffer, sparing a copy of every byte; the piece is then consumed.
      const bool direct =
          c->Method == SOUND_METHODTYPE_NORMAL && static_cast<std::uint32_t>(bytes - copied) >= c->DestDataSize;
      std::uint8_t* const own = c->DestData;
      if (direct) c->DestData = out + copied;
      const int r = refill(c);
      c->DestData = own;
      if (r < 0 || c->DestDataValidSize == 0) break;
      if (direct) {
        const std::uint32_t n = c->DestDataValidSize;
        c->DestDataValidSize = 0;
        c->DestDataCompSize = 0;  // the piece went to the caller: nothing held to seek back into
        c->DestDataCompSizeAll += static_cast<std::int32_t>(n);
        copied += static_cast<int>(n);
        if (copied == bytes) return copied;
        continue;
      }
    }
    const std::uint32_t n = std::min<std::uint32_t>(static_cast<std::uint32_t>(bytes - copied), c->DestDataValidSize);
    std::memcpy(out + copied, c->DestData + c->DestDataCompSize, n);
    c->DestDataValidSize -= n;
    c->DestDataCompSize += n;
    c->DestDataCompSizeAll += static_cast<std::int32_t>(n);
    copied += static_cast<int>(n);
    if (copied == bytes) return copied;
  }
  c->EndFlag = 1;
  return copied;
}

int SetSoundConvertPosition(SoundConvert* c, std::int32_t sample) {
  if (!c->InitializeFlag) return -1;
  const std::int64_t target = static_cast<std::int64_t>(sample) * c->OutFormat.nBlockAlign;
  if (target == c->DestDataCompSizeAll) return 0;
  // A target inside the decoded piece still held is reached by moving the read offset:
  // a loop of a few samples comes back here on every pass and must not decode again.
  const std::int64_t heldFrom = c->DestDataCompSizeAll - c->DestDataCompSize;
  const std::int64_t heldTo = c->DestDataCompSizeAll + c->DestDataValidSize;
  if (target >= heldFrom && target < heldTo) {
    const std::int64_t offset = target - heldFrom;
    c->DestDataValidSize = static_cast<std::uint32_t>(heldTo - target);
    c->DestDataCompSize = static_cast<std::uint32_t>(offset);
    c->DestDataCompSizeAll = static_cast<std::int32_t>(target);
    c->EndFlag = 0;
    return 0;
  }
  int r;
  switch (c->Method) {
    case SOUND_METHODTYPE_NORMAL: r = SeekSoundConvert_WAVE(c, static_cast<std::int32_t>(target)); break;
    case SOUND_METHODTYPE_OGG: r = SeekSoundConvert_OGG(c, sample); break;
    case SOUND_METHODTYPE_OPUS: r = SeekSoundConvert_OPUS(c, sample); break;
    default: r = SeekSoundConvertPlatform(c, sample); break;
  }
  if (r < 0) return -1;
  c->EndFlag = r == 1;  // the platform method moved past the end of its data
  return 0;
}

int SetSoundConvertLoopAheadPosition(SoundConvert* c, std::int32_t sample) {
  const std::int64_t bytes = static_cast<std::int64_t>(sample) * c->OutFormat.nBlockAlign;
  c->LoopAheadPos = static_cast<std::int32_t>(std::clamp<std::int64_t>(bytes, 0, 0x7FFFFFFF));
  return 0;
}

int SoundConvertToMemory(SoundConvert* c, pa::WAVEFORMATEX* format, void** data, std::uint32_t* size) {
  const std::int32_t total = GetSoundConvertDestSize(c);
  if (total < 0) return -1;
  void* buffer = MemAlloc(static_cast<std::size_t>(total) + 1, __FILE__, __LINE__);
  if (buffer == nullptr) return -1;
  SetSoundConvertPosition(c, 0);
  std::uint32_t got;
  if (c->Method == SOUND_METHODTYPE_NORMAL && c->SrcFormat.wFormatTag == pa::WAVE_FORMAT_PCM) {
    c->Stream.ReadShred.Seek(c->Stream.DataPoint, c->DataOffset, 0);
    got = static_cast<std::uint32_t>(c->Stream.ReadShred.Read(buffer, 1, static_cast<std::size_t>(total),
                                                              c->Stream.DataPoint));
    got -= got % std::max<std::uint32_t>(1, c->OutFormat.nBlockAlign);
  } else {
    const int n = RunSoundConvert(c, buffer, total);
    got = n < 0 ? 0 : static_cast<std::uint32_t>(n);
  }
  *format = c->OutFormat;
  *data = buffer;
  *size = got;
  return 0;
}

// Loads the codec library once; without it the platform methods refuse every file and
// start-up goes on (its result is not checked).
int InitializeSoundConvert() {
  if (gConvertInitialized) return -1;
  gConvertInitialized = 1;
  return LoadSoundConvertCodecs();
}

int TerminateSoundConvert() {
  if (!gConvertInitialized) return -1;
  UnloadSoundConvertCodecs();
  gConvertInitialized = 0;
  return 0;
}

}  // namespace ZaDod
