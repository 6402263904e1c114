// The sound-format converter: tries each method on a stream in turn and hands out
// 16-bit PCM a piece at a time, moves to sample positions, or converts all at once.
#include <algorithm>
#include <cstring>
#include <cstdlib>

#include "media/base/memory.h"
#include "media/sound/sound_handle.h"

namespace ZaDod {

namespace {
int gConvertInitialized = 0;

void rewind(SoundConvert* c) { c->Stream.ReadShred.Seek(c->Stream.DataPoint, 0, 0); }

// TEMPORARY SEAM (replaced by the compressed-formats module): the Ogg Vorbis, Opus and
// platform (ACM, MP3) methods refuse every stream, so the next one is tried.
int refuseCompressed(SoundConvert*) { return -1; }

int refill(SoundConvert* c) {
  if (c->Method == SOUND_METHODTYPE_NORMAL) return RefillSoundConvert_WAVE(c);
  return -1;
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
  const int compressed[] = {SOUNDCONVERT_NO_OGG, SOUNDCONVERT_NO_OPUS, SOUNDCONVERT_NO_ACM};
  for (int flag : compressed) {
    if (accepted || (disableFlags & flag) != 0) continue;
    accepted = refuseCompressed(c) == 0;
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
  if (c->Method == SOUND_METHODTYPE_NORMAL) CloseSoundConvert_WAVE(c);
  c->InitializeFlag = 0;
  return 0;
}

int GetSoundConvertFormat(SoundConvert* c, pa::WAVEFORMATEX* format) {
  *format = c->OutFormat;
  return 0;
}

std::int32_t GetSoundConvertDestSize(SoundConvert* c) {
  if (c->Method == SOUND_METHODTYPE_NORMAL) return DestSizeSoundConvert_WAVE(c);
  return -1;
}

int GetSoundConvertLoopPoints(SoundConvert* c, std::int32_t* start, std::int32_t* end) {
  *start = -1;
  *end = -1;
  (void)c;  // only the Ogg Vorbis method carries loop points
  return -1;
}

int RunSoundConvert(SoundConvert* c, void* destination, int bytes) {
  if (!c->InitializeFlag) return -1;
  if (c->EndFlag || bytes <= 0) return 0;
  auto* out = static_cast<std::uint8_t*>(destination);
  int copied = 0;
  for (;;) {
    if (c->DestDataValidSize == 0) {
      c->DestDataCompSize = 0;
      if (refill(c) < 0 || c->DestDataValidSize == 0) break;
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
  if (std::llabs(target - c->DestDataCompSizeAll) < 16) return 0;
  if (c->Method != SOUND_METHODTYPE_NORMAL) return -1;
  if (SeekSoundConvert_WAVE(c, static_cast<std::int32_t>(target)) < 0) return -1;
  c->EndFlag = 0;
  return 0;
}

int SetSoundConvertLoopAheadPosition(SoundConvert* c, std::int32_t sample) {
  c->LoopAheadPos = sample * c->OutFormat.nBlockAlign;
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

// TEMPORARY SEAM (replaced by the compressed-formats module): loading the ACM functions.
int InitializeSoundConvert() {
  if (gConvertInitialized) return -1;
  gConvertInitialized = 1;
  return 0;
}

int TerminateSoundConvert() {
  if (!gConvertInitialized) return -1;
  gConvertInitialized = 0;
  return 0;
}

}  // namespace ZaDod
