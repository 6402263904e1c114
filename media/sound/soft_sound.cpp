// Data soft sounds and players: handles, making and loading, format queries, the
// PCM/float conversions and copying.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/sound/sound_handle.h"

namespace ZaDod {

namespace {

constexpr std::uint64_t kMaxSoftBytes = 0x80000000ull;  // 2 GiB per soft sound

SoftSoundHandleRecord* softRecord(int handle, bool allowLoading) {
  if ((handle & HANDLE_TYPE_MASK) != HANDLETYPE_SOFTSOUND << HANDLE_TYPE_SHIFT) return nullptr;
  HandleEntryHeader* h = GetHandleInfo(handle);
  if (h == nullptr || (!allowLoading && HandleASyncLoadCount(h) != 0)) return nullptr;
  return reinterpret_cast<SoftSoundHandleRecord*>(h);
}

// Two data soft sounds of the same length and channels (1 or 2), for a conversion.
bool pairFor(int src, int dst, SoftSoundHandleRecord** a, SoftSoundHandleRecord** b) {
  *a = GetSoftSoundData(src);
  *b = GetSoftSoundData(dst);
  return *a != nullptr && *b != nullptr && (*a)->SampleNum == (*b)->SampleNum &&
         (*a)->Format.nChannels == (*b)->Format.nChannels && (*a)->Format.nChannels <= 2;
}

std::uint32_t roundUp(std::uint32_t v, std::uint32_t block) { return (v + block - 1) / block * block; }

}  // namespace

SoftSoundHandleRecord* GetSoftSoundData(int handle) {
  SoftSoundHandleRecord* r = softRecord(handle, false);
  return r != nullptr && !r->IsPlayer ? r : nullptr;
}

SoftSoundHandleRecord* GetSoftSoundPlayer(int handle) {
  SoftSoundHandleRecord* r = softRecord(handle, false);
  return r != nullptr && r->IsPlayer ? r : nullptr;
}

int AddSoftSoundData(int handle, int isPlayer, int channels, int bits, int rate, int isFloat, int samples) {
  SoftSoundHandleRecord* r = softRecord(handle, true);
  if (r == nullptr) return -1;
  if (isFloat) bits = 32;
  // Data soft sounds keep what a file decodes to, 24-bit samples too; a player's buffer
  // takes 8, 16 or 32 bits.
  const bool depthTaken = bits == 8 || bits == 16 || bits == 32 || (bits == 24 && !isPlayer);
  if (channels < 1 || channels > 8 || !depthTaken || rate <= 0 || (!isPlayer && samples < 0)) {
    return -1;
  }
  r->IsPlayer = isPlayer;
  pa::WAVEFORMATEX& f = r->Format;
  f = {};
  f.wFormatTag = static_cast<std::uint16_t>(isFloat ? 3 : pa::WAVE_FORMAT_PCM);
  f.nChannels = static_cast<std::uint16_t>(channels);
  f.nSamplesPerSec = static_cast<std::uint32_t>(rate);
  f.wBitsPerSample = static_cast<std::uint16_t>(bits);
  f.nBlockAlign = static_cast<std::uint16_t>(bits / 8 * channels);
  f.nAvgBytesPerSec = f.nBlockAlign * f.nSamplesPerSec;
  if (!isPlayer) {
    const std::uint64_t bytes = static_cast<std::uint64_t>(f.nBlockAlign) * static_cast<std::uint32_t>(samples);
    r->Wave = bytes > kMaxSoftBytes ? nullptr : MemAlloc(std::max<std::uint64_t>(bytes, 1), __FILE__, __LINE__);
    if (r->Wave == nullptr) {
      LogAddTextUtf16(u"ソフトハンドルの波形を格納するメモリ領域の確保に失敗しました in AddSoftSoundData");
      return -1;
    }
    std::memset(r->Wave, 0, static_cast<std::size_t>(bytes));
    r->SampleNum = samples;
    return 0;
  }
  RingBufferInitialize(&r->Queue);
  r->QueuedSamples = 0;
  const std::uint32_t block = f.nBlockAlign;
  r->BufferBytes = roundUp(f.nAvgBytesPerSec, block);
  if (SoundBufferFront_Initialize(&r->Buffer, r->BufferBytes, &f, nullptr, 0) != 0) {
    LogAddTextUtf16(u"ソフトサウンドプレイヤー用サウンドバッファの作成に失敗しました");
    RingBufferTerminate(&r->Queue);
    r->IsPlayer = 0;
    return -1;
  }
  r->WritePosition = 0;
  r->EndOffset = -1;
  r->Ended = 0;
  r->Started = 0;
  r->Lead = roundUp((f.nAvgBytesPerSec * 12 + 255) / 256, block);
  r->LeadLimit = roundUp((f.nAvgBytesPerSec * 51 + 255) / 256, block);
  AddSoftSoundPlayerToList(r);
  return 0;
}

int MakeSoftSoundBase(int handle, int isPlayer, int channels, int bits, int rate, int samples, int isFloat,
                      int formatSourceHandle) {
  if (formatSourceHandle >= 0 && GetSoftSoundFormat(formatSourceHandle, &channels, &bits, &rate, &isFloat) < 0) {
    return -1;
  }
  return AddSoftSoundData(handle, isPlayer, channels, bits, rate, isFloat, samples);
}

// Soft sounds are made on the calling thread: their set-up reads no file.
int MakeSoftSoundHandle(int isPlayer, int channels, int bits, int rate, int samples, int isFloat,
                        int formatSourceHandle, int) {
  if (!SoundSys.InitializeFlag.load()) return -1;
  const int handle = AddHandle(HANDLETYPE_SOFTSOUND, 0, -1);
  if (handle == -1) return -1;
  if (MakeSoftSoundBase(handle, isPlayer, channels, bits, rate, samples, isFloat, formatSourceHandle) < 0) {
    SubHandle(handle);
    return -1;
  }
  return handle;
}

int MakeSoftSound(int channels, int bits, int rate, int samples, int isFloat) {
  return MakeSoftSoundHandle(0, channels, bits, rate, samples, isFloat, -1, 0);
}

int LoadSoftSoundBase(const LoadSoundSettings* settings, int handle, const char16_t* fileName, const void* image,
                      std::uint32_t size) {
  StreamData stream{};
  FileStream file = 0;
  MemStream* mem = nullptr;
  if (fileName != nullptr) {
    file = FileAccessOpen(fileName, 0, 1, 0);
    if (file == 0) return -1;
    stream = StreamData{*GetFileStreamFunctions(), reinterpret_cast<void*>(file)};
  } else {
    mem = MemStreamOpen(image, size);
    if (mem == nullptr) return -1;
    stream = StreamData{*GetMemStreamFunctions(), mem};
  }
  SoundConvert convert;
  void* pcm = nullptr;
  std::uint32_t bytes = 0;
  pa::WAVEFORMATEX format{};
  int result = -1;
  if (SetupSoundConvert(&convert, &stream, settings->ConvertOption[0], 2, settings->ConvertOption[2]) != 0) {
    LogAddTextUtf16(u"ソフトサウンド用の音声ファイルのＰＣＭへの変換に失敗しました");
  } else {
    if (SoundConvertToMemory(&convert, &format, &pcm, &bytes) != 0) {
      LogAddTextUtf16(u"ソフトサウンド用の音声ファイルを格納するメモリ領域の確保に失敗しました");
      pcm = nullptr;
    }
    CloseSoundConvert(&convert);
  }
  if (file != 0) FileAccessClose(file);
  if (mem != nullptr) MemStreamClose(mem);
  if (pcm == nullptr) return -1;
  const int samples = static_cast<int>(bytes / std::max<std::uint16_t>(1, format.nBlockAlign));
  if (AddSoftSoundData(handle, 0, format.nChannels, format.wBitsPerSample, static_cast<int>(format.nSamplesPerSec),
                       format.wFormatTag == 3, samples) == 0) {
    SoftSoundHandleRecord* r = softRecord(handle, true);
    std::memcpy(r->Wave, pcm, static_cast<std::size_t>(samples) * format.nBlockAlign);
    result = 0;
  }
  MemFree(pcm);
  return result;
}

// Loads on the calling thread; the asynchronous flag is accepted and not used.
int LoadSoftSound(const LoadSoundSettings* settings, const char16_t* fileName, const void* image,
                  std::uint32_t size, int) {
  if (!SoundSys.InitializeFlag.load()) return -1;
  char16_t full[1024];
  if (fileName != nullptr && MakeFullPath(fileName, full, sizeof(full), nullptr) != 0) return -1;
  const int handle = AddHandle(HANDLETYPE_SOFTSOUND, 0, -1);
  if (handle == -1) return -1;
  if (LoadSoftSoundBase(settings, handle, fileName != nullptr ? full : nullptr, image, size) != 0) {
    SubHandle(handle);
    return -1;
  }
  return handle;
}

int GetSoftSoundFormat(int handle, int* channels, int* bits, int* rate, int* isFloat) {
  SoftSoundHandleRecord* r = softRecord(handle, false);
  if (r == nullptr) return -1;
  if (channels != nullptr) *channels = r->Format.nChannels;
  if (bits != nullptr) *bits = r->Format.wBitsPerSample;
  if (rate != nullptr) *rate = static_cast<int>(r->Format.nSamplesPerSec);
  if (isFloat != nullptr) *isFloat = r->Format.wFormatTag == 3;
  return 0;
}

int GetSoftSoundSampleCount(int handle) {
  SoftSoundHandleRecord* r = GetSoftSoundData(handle);
  return r == nullptr ? -1 : r->SampleNum;
}

int ConvertSoftSoundPcmToFloat(int src, int dst) {
  SoftSoundHandleRecord *a, *b;
  if (!pairFor(src, dst, &a, &b) || a->Format.wFormatTag != pa::WAVE_FORMAT_PCM || b->Format.wFormatTag != 3) return -1;
  const std::size_t n = static_cast<std::size_t>(a->SampleNum) * a->Format.nChannels;
  float* out = static_cast<float*>(b->Wave);
  if (a->Format.wBitsPerSample == 8) {
    const auto* in = static_cast<const std::uint8_t*>(a->Wave);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<float>(in[i] - 127) * 0.0078125f;
  } else if (a->Format.wBitsPerSample == 16) {
    const auto* in = static_cast<const std::int16_t*>(a->Wave);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<float>(in[i]) * 3.0517578e-5f;
  } else {
    return -1;
  }
  return 0;
}

int ConvertSoftSoundFloatToPcm(int src, int dst) {
  SoftSoundHandleRecord *a, *b;
  if (!pairFor(src, dst, &a, &b) || a->Format.wFormatTag != 3 || b->Format.wFormatTag != pa::WAVE_FORMAT_PCM) return -1;
  const std::size_t n = static_cast<std::size_t>(a->SampleNum) * a->Format.nChannels;
  const float* in = static_cast<const float*>(a->Wave);
  // Clamped in float before the integer conversion, so no value (NaN included, which
  // the comparisons send to the top) leaves the integer range.
  if (b->Format.wBitsPerSample == 8) {
    auto* out = static_cast<std::uint8_t*>(b->Wave);
    for (std::size_t i = 0; i < n; ++i) {
      float v = in[i] * 128.0f + 127.0f;
      v = v < 255.0f ? v : 255.0f;
      v = v > 0.0f ? v : 0.0f;
      out[i] = static_cast<std::uint8_t>(static_cast<int>(v));
    }
  } else if (b->Format.wBitsPerSample == 16) {
    auto* out = static_cast<std::int16_t*>(b->Wave);
    for (std::size_t i = 0; i < n; ++i) {
      float v = in[i] * 32768.0f;
      v = v < 32767.0f ? v : 32767.0f;
      v = v > -32768.0f ? v : -32768.0f;
      out[i] = static_cast<std::int16_t>(static_cast<int>(v));
    }
  } else {
    return -1;
  }
  return 0;
}

int CopySoftSoundData(int src, int dst) {
  SoftSoundHandleRecord *a, *b;
  if (!pairFor(src, dst, &a, &b) || a->Format.wBitsPerSample != b->Format.wBitsPerSample ||
      a->Format.wFormatTag != b->Format.wFormatTag) {
    return -1;
  }
  std::memcpy(b->Wave, a->Wave, static_cast<std::size_t>(a->SampleNum) * a->Format.nBlockAlign);
  return 0;
}

}  // namespace ZaDod
