// The converter's platform methods: compressed WAVE and MP3 files decoded through the
// codec library's conversion streams (method 3), with a loop-ahead stream that keeps
// a loop start close at hand, and decoded PCM served from memory (method 4).
#include <algorithm>
#include <cstring>
#include <new>

#include "media/base/memory.h"
#include "media/sound/sound_convert_methods.h"
#include "platform/codec/acm.h"
#include "platform/codec/mpeg_frames.h"
#include "platform/codec/mpeg_rates.h"
#include "platform/win/module.h"

namespace ZaDod {

namespace pc = plat::codec;

namespace {

struct CodecFunctions {
  plat::win::HMODULE Module;
  decltype(&pc::acmFormatSuggest) FormatSuggest;
  decltype(&pc::acmStreamOpen) StreamOpen;
  decltype(&pc::acmStreamClose) StreamClose;
  decltype(&pc::acmMetrics) Metrics;
  decltype(&pc::acmStreamPrepareHeader) PrepareHeader;
  decltype(&pc::acmStreamConvert) Convert;
  decltype(&pc::acmStreamUnprepareHeader) UnprepareHeader;
  decltype(&pc::acmStreamSize) Size;
};
CodecFunctions gAcm{};

constexpr std::uint32_t kBlockSource = 2048;   // compressed bytes per conversion
constexpr std::int32_t kLoopAheadMargin = 10240;

struct PlatformState {
  // The codec functions as they were at open: a converter outlives an unload of the
  // library at shut-down.
  CodecFunctions Acm;
  // Method 3
  pa::WAVEFORMATEX* SrcFormat;  // the file's "fmt " body or the built MPEG record
  pc::HACMSTREAM Main, LoopAhead;
  std::uint8_t* Data;           // the data chunk or the MP3 frames
  std::uint32_t DataSize;
  std::uint32_t MainOffset;
  std::int32_t TotalSample;     // -1 when the codec must be asked
  std::uint32_t LoopAheadOffset;
  std::int32_t LoopAheadCount;  // bytes the loop-ahead stream has produced
  std::uint8_t* Work;
  // Method 4
  std::uint8_t* Pcm;
  std::uint32_t PcmSize;
  std::uint32_t PcmRead;
};

PlatformState* stateOf(SoundConvert* c) { return static_cast<PlatformState*>(c->MethodData); }

// The whole stream in memory (at most 2 GiB), for the MP3 walk and the WAVE chunks.
bool readStream(SoundConvert* c, std::uint8_t** bytes, std::uint32_t* size) {
  auto& io = c->Stream.ReadShred;
  io.Seek(c->Stream.DataPoint, 0, 2);
  const std::int64_t end = io.Tell(c->Stream.DataPoint);
  io.Seek(c->Stream.DataPoint, 0, 0);
  if (end <= 0 || end > 0x7FFFFFFF) return false;
  *bytes = static_cast<std::uint8_t*>(MemAlloc(static_cast<std::size_t>(end), __FILE__, __LINE__));
  if (*bytes == nullptr) return false;
  *size = static_cast<std::uint32_t>(io.Read(*bytes, 1, static_cast<std::size_t>(end), c->Stream.DataPoint));
  return true;
}

void freeState(PlatformState* s) {
  if (s == nullptr) return;
  if (s->Main != nullptr) s->Acm.StreamClose(s->Main, 0);
  if (s->LoopAhead != nullptr) s->Acm.StreamClose(s->LoopAhead, 0);
  MemFree(s->SrcFormat);
  MemFree(s->Data);
  MemFree(s->Work);
  MemFree(s->Pcm);
  delete s;
}

bool openStream(PlatformState* s, const pa::WAVEFORMATEX* out, pc::HACMSTREAM* stream) {
  if (*stream != nullptr) s->Acm.StreamClose(*stream, 0);
  *stream = nullptr;
  return s->Acm.StreamOpen(stream, nullptr, s->SrcFormat, out, nullptr, 0, 0, pc::ACM_STREAMOPENF_NONREALTIME) == 0;
}

// Suggests the output, keeps the data and opens both streams; the output piece (and
// the work buffer) is `num / den` seconds of output. False refuses.
bool finishOpen(SoundConvert* c, PlatformState* s, const std::uint8_t* data, std::uint32_t size, std::uint32_t num,
                std::uint32_t den) {
  pa::WAVEFORMATEX out{};
  out.wFormatTag = pa::WAVE_FORMAT_PCM;
  if (s->Acm.FormatSuggest(nullptr, s->SrcFormat, &out, sizeof(out), pc::ACM_FORMATSUGGESTF_WFORMATTAG) != 0) {
    return false;
  }
  s->Data = static_cast<std::uint8_t*>(MemAlloc(std::max<std::uint32_t>(size, 1), __FILE__, __LINE__));
  if (s->Data == nullptr) return false;
  std::memcpy(s->Data, data, size);
  s->DataSize = size;
  if (!openStream(s, &out, &s->Main) || !openStream(s, &out, &s->LoopAhead)) return false;
  c->OutFormat = out;
  c->DestDataSize = std::max<std::uint32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(out.nAvgBytesPerSec) * num / den),
                                            out.nBlockAlign);
  s->Work = static_cast<std::uint8_t*>(MemAlloc(c->DestDataSize, __FILE__, __LINE__));
  return s->Work != nullptr;
}

// Walks the frames of the data [0, dataEnd): the first at the start or after an ID3v2
// tag there and confirmed by the next (the start rule every MPEG reader shares), then
// each where the one before ended, while the header there parses and agrees with the
// first. The first frame's offset, the end of the last one and the samples they hold;
// false when the data does not start with MPEG audio this reader takes.
bool walkFrames(const std::uint8_t* f, std::uint64_t dataEnd, std::int64_t* first, std::uint64_t* frameEnd,
                std::int64_t* total) {
  *first = pc::mpegStreamStart(f, static_cast<std::size_t>(dataEnd), dataEnd);
  *frameEnd = 0;
  *total = 0;
  if (*first < 0) return false;
  std::uint64_t at = static_cast<std::uint64_t>(*first);
  MPEGAudioFrameInfo info;
  while (at + 4 <= dataEnd && pc::mpegFramesAgree(f + *first, f + at) && ParseMPEGAudioFrameHeader(f + at, &info) == 0 &&
         info.FrameBytes > 0) {
    *total += info.SampleNum;
    if (*total > 0x7FFFFFFF / 4) return false;
    at += static_cast<std::uint64_t>(info.FrameBytes);
  }
  *frameEnd = std::min(at, dataEnd);
  // MPEG-2.5, which this reader does not take, leaves nothing counted.
  return *total > 0;
}

int openAcmWave(SoundConvert* c, PlatformState* s, const std::uint8_t* f, std::uint32_t size) {
  if (size < 20 || std::memcmp(f, "RIFF", 4) != 0 || std::memcmp(f + 8, "WAVE", 4) != 0) return -1;
  std::uint64_t p = 12;
  std::uint32_t chunk = le32(f + 16);
  if (std::memcmp(f + 12, "bext", 4) == 0) {
    p += 8 + static_cast<std::uint64_t>(chunk);
    if (p + 8 > size) return -1;
    chunk = le32(f + p + 4);
  }
  if (std::memcmp(f + p, "fmt ", 4) != 0 || chunk < 16 || p + 8 + chunk > size) return -1;
  // The record the codec reads: at least 18 bytes, its extension no longer than the chunk.
  const std::uint32_t recordBytes = std::max<std::uint32_t>(chunk, sizeof(pa::WAVEFORMATEX));
  s->SrcFormat = static_cast<pa::WAVEFORMATEX*>(MemAlloc(recordBytes, __FILE__, __LINE__));
  if (s->SrcFormat == nullptr) return -1;
  std::memset(s->SrcFormat, 0, recordBytes);
  std::memcpy(s->SrcFormat, f + p + 8, chunk);
  pa::WAVEFORMATEX* src = s->SrcFormat;
  if (chunk < sizeof(pa::WAVEFORMATEX)) src->cbSize = 0;
  src->cbSize = static_cast<std::uint16_t>(std::min<std::uint32_t>(src->cbSize, recordBytes - 18));
  if (src->wFormatTag == pa::WAVE_FORMAT_PCM && chunk == 16 && src->nChannels != 0) {
    src->wBitsPerSample = static_cast<std::uint16_t>(src->nBlockAlign / src->nChannels * 8);
  }
  p += 8 + chunk + (chunk & 1);
  for (;;) {
    if (p + 8 > size) return -1;
    chunk = le32(f + p + 4);
    if (std::memcmp(f + p, "data", 4) == 0) break;
    p += 8 + static_cast<std::uint64_t>(chunk) + (chunk & 1);
  }
  const std::uint64_t start = p + 8;
  const std::uint32_t held = static_cast<std::uint32_t>(std::min<std::uint64_t>(chunk, size - start));
  s->TotalSample = -1;
  std::uint64_t from = start, bytes = held;
  if (src->wFormatTag == pc::WAVE_FORMAT_MPEGLAYER3) {
    // MPEG audio in WAVE: the data holds frames from its start, one after another, and
    // nothing else is decoded (the decoder would take chance sync patterns in other
    // bytes for frames). Encoders put the samples per frame, not the bytes, into the
    // block-size field, so the length is counted from the frames themselves.
    std::int64_t first, total;
    std::uint64_t frameEnd;
    if (!walkFrames(f + start, held, &first, &frameEnd, &total)) return -1;
    s->TotalSample = static_cast<std::int32_t>(total);
    from = start + static_cast<std::uint64_t>(first);
    bytes = frameEnd - static_cast<std::uint64_t>(first);
  }
  if (!finishOpen(c, s, f + from, static_cast<std::uint32_t>(bytes), 1, 1)) return -1;
  c->DataOffset = static_cast<std::int32_t>(from);
  c->DataSize = static_cast<std::int32_t>(bytes);
  return 0;
}

int openAcmMp3(SoundConvert* c, PlatformState* s, const std::uint8_t* f, std::uint32_t size) {
  std::uint64_t dataEnd = size;
  if (size >= 129 && std::memcmp(f + size - 128, "TAG", 3) == 0) dataEnd = size - 128;
  std::int64_t first = -1;
  std::uint64_t frameEnd = 0;
  std::int64_t total = 0;
  if (!walkFrames(f, dataEnd, &first, &frameEnd, &total)) return -1;
  MPEGAudioFrameInfo info;
  ParseMPEGAudioFrameHeader(f + first, &info);
  unsigned int formatMax = 0;
  if (s->Acm.Metrics(nullptr, pc::ACM_METRIC_MAX_SIZE_FORMAT, &formatMax) != 0 || formatMax == 0) formatMax = 32;
  formatMax = std::max<unsigned int>(formatMax, sizeof(pc::MPEGLAYER3WAVEFORMAT));
  s->SrcFormat = static_cast<pa::WAVEFORMATEX*>(MemAlloc(formatMax, __FILE__, __LINE__));
  if (s->SrcFormat == nullptr) return -1;
  std::memset(s->SrcFormat, 0, formatMax);
  auto* mp3 = reinterpret_cast<pc::MPEGLAYER3WAVEFORMAT*>(s->SrcFormat);
  mp3->wfx.wFormatTag = pc::WAVE_FORMAT_MPEGLAYER3;
  mp3->wfx.nChannels = static_cast<std::uint16_t>(info.Channels);
  mp3->wfx.nSamplesPerSec = static_cast<std::uint32_t>(info.SampleRate);
  mp3->wfx.nAvgBytesPerSec = static_cast<std::uint32_t>(info.BitRate * 1000 / 8);
  mp3->wfx.nBlockAlign = 1;
  mp3->wfx.cbSize = 12;
  mp3->wID = pc::MPEGLAYER3_ID_MPEG;
  mp3->fdwFlags = pc::MPEGLAYER3_FLAG_PADDING_ISO;
  mp3->nBlockSize = static_cast<std::uint16_t>(info.FrameBytes);
  mp3->nFramesPerBlock = 1;
  mp3->nCodecDelay = 700;
  s->TotalSample = static_cast<std::int32_t>(total);
  const std::uint32_t bytes = static_cast<std::uint32_t>(frameEnd - static_cast<std::uint64_t>(first));
  if (!finishOpen(c, s, f + first, bytes, 4, 3)) return -1;
  c->DataOffset = static_cast<std::int32_t>(first);
  c->DataSize = static_cast<std::int32_t>(bytes);
  return 0;
}

// One conversion of at most one block; -1 when the header cannot be prepared.
int convertBlock(const CodecFunctions& acm, pc::HACMSTREAM stream, const std::uint8_t* src, std::uint32_t srcBytes, std::uint8_t* dst,
                 std::uint32_t dstBytes, std::uint32_t* used, std::uint32_t* made) {
  pc::ACMSTREAMHEADER h{};
  h.cbStruct = sizeof(h);
  h.pbSrc = const_cast<std::uint8_t*>(src);
  h.cbSrcLength = srcBytes;
  h.pbDst = dst;
  h.cbDstLength = dstBytes;
  if (acm.PrepareHeader(stream, &h, 0) != 0) return -1;
  const bool ok = acm.Convert(stream, &h, pc::ACM_STREAMCONVERTF_BLOCKALIGN) == 0;
  acm.UnprepareHeader(stream, &h, 0);
  *used = ok ? h.cbSrcLengthUsed : 0;
  *made = ok ? h.cbDstLengthUsed : 0;
  return 0;
}

// Source bytes per conversion: whole blocks even when a block is larger than usual.
std::uint32_t sourceBytes(const PlatformState* s) {
  const std::uint32_t align = std::max<std::uint32_t>(1, s->SrcFormat->nBlockAlign);
  return std::max(kBlockSource, align);
}

int fillAcm(SoundConvert* c, PlatformState* s) {
  if (c->LoopAheadPos != s->LoopAheadCount) {
    if (c->LoopAheadPos < s->LoopAheadCount) {
      if (!openStream(s, &c->OutFormat, &s->LoopAhead)) return -1;
      s->LoopAheadOffset = 0;
      s->LoopAheadCount = 0;
    }
    if (s->LoopAheadCount < c->LoopAheadPos - kLoopAheadMargin && s->LoopAheadOffset < s->DataSize) {
      const std::uint32_t src = std::min(sourceBytes(s), s->DataSize - s->LoopAheadOffset);
      const std::uint32_t dst = std::min<std::uint32_t>(c->DestDataSize,
                                                        static_cast<std::uint32_t>(c->LoopAheadPos - s->LoopAheadCount));
      std::uint32_t used, made;
      if (convertBlock(s->Acm, s->LoopAhead, s->Data + s->LoopAheadOffset, src, s->Work, dst, &used, &made) < 0) return -1;
      s->LoopAheadCount += static_cast<std::int32_t>(made);
      s->LoopAheadOffset += used;
    }
  }
  // Keep converting until output appears: the converter takes an empty refill as the end.
  for (;;) {
    std::uint32_t used, made;
    if (s->MainOffset >= s->DataSize) {
      // The codec may still hold output of the last block.
      if (convertBlock(s->Acm, s->Main, s->Data, 0, c->DestData, c->DestDataSize, &used, &made) < 0 || made == 0) return -1;
      c->DestDataValidSize = made;
      return 0;
    }
    const std::uint32_t src = std::min(sourceBytes(s), s->DataSize - s->MainOffset);
    if (convertBlock(s->Acm, s->Main, s->Data + s->MainOffset, src, c->DestData, c->DestDataSize, &used, &made) < 0) {
      return -1;
    }
    // A block the codec cannot take whole (a partial last block) ends the data.
    s->MainOffset = used == 0 ? s->DataSize : s->MainOffset + used;
    c->DestDataValidSize = made;
    if (made > 0) return 0;
  }
}

void skipHeld(SoundConvert* c, std::int32_t bytes) {
  c->DestDataValidSize -= static_cast<std::uint32_t>(bytes);
  c->DestDataCompSize += static_cast<std::uint32_t>(bytes);
  c->DestDataCompSizeAll += bytes;
}

// 0 moved, 1 the data ended first, -1 failed.
int seekAcm(SoundConvert* c, PlatformState* s, std::int32_t t) {
  if (t < c->DestDataCompSizeAll) {
    if (t < s->LoopAheadCount) {
      if (!openStream(s, &c->OutFormat, &s->Main)) return -1;
      s->MainOffset = 0;
      c->DestDataCompSizeAll = 0;
    } else {
      std::swap(s->Main, s->LoopAhead);
      s->MainOffset = s->LoopAheadOffset;
      c->DestDataCompSizeAll = s->LoopAheadCount;
      if (!openStream(s, &c->OutFormat, &s->LoopAhead)) return -1;
      s->LoopAheadOffset = 0;
      s->LoopAheadCount = 0;
    }
    c->DestDataValidSize = 0;
    c->DestDataCompSize = 0;
  }
  for (;;) {
    const std::int32_t d = t - c->DestDataCompSizeAll;
    if (d <= static_cast<std::int32_t>(c->DestDataValidSize)) {
      skipHeld(c, d);
      return 0;
    }
    c->DestDataCompSizeAll += static_cast<std::int32_t>(c->DestDataValidSize);
    c->DestDataValidSize = 0;
    c->DestDataCompSize = 0;
    if (fillAcm(c, s) < 0) {
      c->DestDataValidSize = 0;
      return 1;
    }
  }
}

}  // namespace

int LoadSoundConvertCodecs() {
  if (gAcm.Module != nullptr) return 0;
  CodecFunctions f{};
  f.Module = plat::win::LoadLibraryW(u"msacm32.dll");
  if (f.Module == nullptr) return -1;
  auto get = [&](auto& slot, const char* name) {
    slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(plat::win::GetProcAddress(f.Module, name));
    return slot != nullptr;
  };
  if (!get(f.FormatSuggest, "acmFormatSuggest") || !get(f.StreamOpen, "acmStreamOpen") ||
      !get(f.StreamClose, "acmStreamClose") || !get(f.Metrics, "acmMetrics") ||
      !get(f.PrepareHeader, "acmStreamPrepareHeader") || !get(f.Convert, "acmStreamConvert") ||
      !get(f.UnprepareHeader, "acmStreamUnprepareHeader") || !get(f.Size, "acmStreamSize")) {
    plat::win::FreeLibrary(f.Module);
    return -1;
  }
  gAcm = f;
  return 0;
}

void UnloadSoundConvertCodecs() {
  if (gAcm.Module != nullptr) plat::win::FreeLibrary(gAcm.Module);
  gAcm = CodecFunctions{};
}

int SetupSoundConvertPlatform(SoundConvert* c, int disableFlags) {
  if (gAcm.Module != nullptr && (disableFlags & (SOUNDCONVERT_NO_ACM | SOUNDCONVERT_NO_ACM_MP3)) !=
                                    (SOUNDCONVERT_NO_ACM | SOUNDCONVERT_NO_ACM_MP3)) {
    std::uint8_t* file = nullptr;
    std::uint32_t size = 0;
    if (!readStream(c, &file, &size)) {
      MemFree(file);
      return -1;
    }
    const int tries[2] = {SOUNDCONVERT_NO_ACM, SOUNDCONVERT_NO_ACM_MP3};
    for (int flag : tries) {
      if ((disableFlags & flag) != 0) continue;
      auto* s = new (std::nothrow) PlatformState{};
      if (s == nullptr) break;
      s->Acm = gAcm;
      const int r = flag == SOUNDCONVERT_NO_ACM ? openAcmWave(c, s, file, size) : openAcmMp3(c, s, file, size);
      if (r == 0) {
        MemFree(file);
        c->MethodData = s;
        c->Method = SOUND_METHODTYPE_ACM;
        c->Stream.ReadShred.Seek(c->Stream.DataPoint, c->DataOffset, 0);
        return 0;
      }
      freeState(s);
    }
    MemFree(file);
    c->Stream.ReadShred.Seek(c->Stream.DataPoint, 0, 0);
  }
  if ((disableFlags & SOUNDCONVERT_NO_DSMP3) != 0) return -1;
  return ConvertMP3ToPCMWithDirectShow(c);
}

int FillSoundConvertPlatform(SoundConvert* c) {
  PlatformState* s = stateOf(c);
  if (c->Method == SOUND_METHODTYPE_ACM) return fillAcm(c, s);
  if (s->PcmRead >= s->PcmSize) return -1;
  const std::uint32_t n = std::min(c->DestDataSize, s->PcmSize - s->PcmRead);
  std::memcpy(c->DestData, s->Pcm + s->PcmRead, n);
  s->PcmRead += n;
  c->DestDataValidSize = n;
  return 0;
}

int SeekSoundConvertPlatform(SoundConvert* c, std::int32_t sample) {
  PlatformState* s = stateOf(c);
  const std::int64_t target = static_cast<std::int64_t>(sample) * c->OutFormat.nBlockAlign;
  if (target < 0 || target > 0x7FFFFFFF) return -1;
  if (c->Method == SOUND_METHODTYPE_ACM) return seekAcm(c, s, static_cast<std::int32_t>(target));
  s->PcmRead = static_cast<std::uint32_t>(std::min<std::int64_t>(target, s->PcmSize));
  c->DestDataCompSizeAll = static_cast<std::int32_t>(target);
  c->DestDataValidSize = 0;
  c->DestDataCompSize = 0;
  return 0;
}

std::int32_t GetSoundConvertPlatformDestSize(SoundConvert* c) {
  PlatformState* s = stateOf(c);
  if (c->Method == SOUND_METHODTYPE_MEMORY) return static_cast<std::int32_t>(s->PcmSize);
  if (s->TotalSample >= 0) return static_cast<std::int32_t>(c->OutFormat.nBlockAlign * s->TotalSample);
  pc::DWORD out = 0;
  if (s->Acm.Size(s->Main, s->DataSize, &out, pc::ACM_STREAMSIZEF_SOURCE) != 0 || out > 0x7FFFFFFF) return -1;
  return static_cast<std::int32_t>(out);
}

void TerminateSoundConvertPlatform(SoundConvert* c) {
  freeState(stateOf(c));
  c->MethodData = nullptr;
}

int ParseMPEGAudioFrameHeader(const std::uint8_t* b, MPEGAudioFrameInfo* out) {
  static const int kSampleRates[2][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}};
  if (b[0] != 0xFF || (b[1] & 0xF0) != 0xF0) return -2;
  MPEGAudioFrameInfo i{};
  i.Version = (b[1] & 8) != 0 ? 0 : 1;
  i.Layer = 3 - ((b[1] >> 1) & 3);
  if (i.Layer == 3) return -1;
  i.BitRateIndex = b[2] >> 4;
  if (i.BitRateIndex == 0 || i.BitRateIndex == 15) return -1;
  i.BitRate = pc::kMpegBitRates[i.Version][i.Layer][i.BitRateIndex - 1];
  i.SampleRateIndex = (b[2] >> 2) & 3;
  if (i.SampleRateIndex == 3) return -1;
  i.SampleRate = kSampleRates[i.Version][i.SampleRateIndex];
  i.Padding = (b[2] >> 1) & 1;
  i.Channels = (b[3] & 0xC0) == 0xC0 ? 1 : 2;
  if (i.Layer == 0) {
    i.FrameBytes = (12000 * i.BitRate / i.SampleRate + i.Padding) * 4;
    i.SampleNum = 384;
  } else if (i.Version == 1 && i.Layer == 2) {
    i.FrameBytes = 72000 * i.BitRate / i.SampleRate + i.Padding;
    i.SampleNum = 576;
  } else {
    i.FrameBytes = 144000 * i.BitRate / i.SampleRate + i.Padding;
    i.SampleNum = 1152;
  }
  *out = i;
  return 0;
}

int SetSoundConvertMemoryPcm(SoundConvert* c, std::uint8_t* pcm, std::uint32_t size) {
  auto* s = new (std::nothrow) PlatformState{};
  if (s == nullptr) return -1;
  s->Pcm = pcm;
  s->PcmSize = size;
  c->MethodData = s;
  c->Method = SOUND_METHODTYPE_MEMORY;
  c->DestDataSize = c->OutFormat.nAvgBytesPerSec;
  return 0;
}

}  // namespace ZaDod
