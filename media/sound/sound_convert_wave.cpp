// The converter's WAVE method: RIFF chunks, integer PCM as it is and 32-bit float
// turned into 16-bit PCM. Sizes in the file are never trusted beyond the stream.
#include <algorithm>
#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "media/base/memory.h"
#include "media/sound/sound_convert_methods.h"

namespace ZaDod {

namespace {

// Float WAVE data is read and converted in stretches of this many bytes (whole frames).
constexpr std::size_t kFloatStretchBytes = 32 * 1024;

std::int64_t tell(SoundConvert* c) { return c->Stream.ReadShred.Tell(c->Stream.DataPoint); }
bool readAll(SoundConvert* c, void* out, std::size_t n) {
  return c->Stream.ReadShred.Read(out, 1, n, c->Stream.DataPoint) == n;
}

// 32-bit floats (at any byte address) to 16-bit samples (at any byte address: a caller's
// own buffer may start on an odd one). Branch-free clamp; NaN (which
// fails the first comparison) turns into 32767. The vector form gives the same samples: minps
// and maxps return their second operand when the comparison fails, as the scalar
// ternaries do, and the clamped values truncate and pack without saturating.
void convertFloats(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128 scale = _mm_set1_ps(32768.0f), top = _mm_set1_ps(32767.0f), bottom = _mm_set1_ps(-32768.0f);
  auto four = [&](const std::uint8_t* p) {
    const __m128 v = _mm_mul_ps(_mm_loadu_ps(reinterpret_cast<const float*>(p)), scale);
    return _mm_cvttps_epi32(_mm_max_ps(_mm_min_ps(v, top), bottom));
  };
  for (; i + 8 <= count; i += 8)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i), _mm_packs_epi32(four(in + 4 * i), four(in + 4 * i + 16)));
#endif
  for (; i < count; ++i) {
    float v;
    std::memcpy(&v, in + 4 * i, 4);
    v *= 32768.0f;
    v = v < 32767.0f ? v : 32767.0f;
    v = v > -32768.0f ? v : -32768.0f;
    const auto sample = static_cast<std::int16_t>(v);
    std::memcpy(out + 2 * i, &sample, 2);
  }
}

// Moves to the body of the chunk named id; false at the end of the stream.
bool findChunk(SoundConvert* c, const char* id, std::int64_t end, std::uint32_t* size) {
  for (;;) {
    std::uint8_t header[8];
    if (!readAll(c, header, 8)) return false;
    *size = le32(header + 4);
    if (std::memcmp(header, id, 4) == 0) return true;
    const std::int64_t next = tell(c) + *size + (*size & 1);
    if (next >= end) return false;
    c->Stream.ReadShred.Seek(c->Stream.DataPoint, next, 0);
  }
}
}  // namespace

int SetupSoundConvert_WAVE(SoundConvert* c) {
  auto& io = c->Stream.ReadShred;
  io.Seek(c->Stream.DataPoint, 0, 2);
  const std::int64_t end = tell(c);
  io.Seek(c->Stream.DataPoint, 0, 0);
  std::uint8_t head[12];
  if (!readAll(c, head, 12) || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0) return -1;
  std::uint32_t fmtSize = 0;
  if (!findChunk(c, "fmt ", end, &fmtSize) || fmtSize < 16 || fmtSize > end - tell(c)) return -1;
  std::uint8_t fmt[18] = {};
  c->HeaderPos = static_cast<std::int32_t>(tell(c));
  c->HeaderSize = static_cast<std::int32_t>(fmtSize);
  if (!readAll(c, fmt, std::min<std::uint32_t>(fmtSize, 18))) return -1;
  io.Seek(c->Stream.DataPoint, c->HeaderPos + static_cast<std::int64_t>(fmtSize) + (fmtSize & 1), 0);

  pa::WAVEFORMATEX src{};
  src.wFormatTag = le16(fmt);
  src.nChannels = le16(fmt + 2);
  src.nSamplesPerSec = le32(fmt + 4);
  src.nAvgBytesPerSec = le32(fmt + 8);
  src.nBlockAlign = le16(fmt + 12);
  src.wBitsPerSample = le16(fmt + 14);
  src.cbSize = fmtSize >= 18 ? le16(fmt + 16) : 0;
  if (src.nChannels == 0 || src.nSamplesPerSec == 0 || src.nBlockAlign == 0) return -1;
  if (src.wFormatTag == pa::WAVE_FORMAT_PCM && fmtSize == 16) {
    src.wBitsPerSample = static_cast<std::uint16_t>(src.nBlockAlign / src.nChannels * 8);
    src.cbSize = 0;
  }
  if (src.wBitsPerSample == 0 || src.nBlockAlign != std::uint32_t{src.nChannels} * src.wBitsPerSample / 8)
    return -1;

  pa::WAVEFORMATEX out{};
  // Integer PCM of 8, 16, 24 or 32 bits: the output keeps the file's sample layout. Soft
  // sounds keep any of them; sound buffers take 8 and 16 bits and refuse the rest where
  // they are made.
  if (src.wFormatTag == pa::WAVE_FORMAT_PCM && src.wBitsPerSample != 8 && src.wBitsPerSample != 16 &&
      src.wBitsPerSample != 24 && src.wBitsPerSample != 32)
    return -1;
  if (src.wFormatTag == pa::WAVE_FORMAT_PCM) {
    out = src;
    out.cbSize = 0;
    // Writers get this field wrong (0, a bit rate, a copy of the rate); the stream ring and its
    // refill are sized from it, so it is derived from what the samples really take.
    out.nAvgBytesPerSec = std::uint32_t{src.nBlockAlign} * src.nSamplesPerSec;
  } else if (src.wFormatTag == 3 && src.wBitsPerSample == 32) {
    out.wFormatTag = pa::WAVE_FORMAT_PCM;
    out.nChannels = src.nChannels;
    out.nSamplesPerSec = src.nSamplesPerSec;
    out.wBitsPerSample = 16;
    out.nBlockAlign = static_cast<std::uint16_t>(src.nChannels * 2);
    out.nAvgBytesPerSec = out.nBlockAlign * src.nSamplesPerSec;
  } else {
    return -1;
  }

  std::uint32_t dataSize = 0;
  if (!findChunk(c, "data", end, &dataSize)) return -1;
  const std::int64_t start = tell(c);
  // Files written to a pipe carry a placeholder size: hold only what the stream has.
  std::int64_t held = std::min<std::int64_t>(dataSize, end - start);
  held = std::min<std::int64_t>(held, 0x7FFFFFFF);
  held -= held % src.nBlockAlign;
  c->DataOffset = static_cast<std::int32_t>(start);
  c->DataSize = static_cast<std::int32_t>(held);
  c->SrcFormat = src;
  c->OutFormat = out;
  c->Method = SOUND_METHODTYPE_NORMAL;

  // One second of data per piece, never more than the data itself (held is whole frames).
  const std::uint64_t second = static_cast<std::uint64_t>(src.nBlockAlign) * src.nSamplesPerSec;
  const std::uint64_t srcPiece =
      held == 0 ? 16 : std::max<std::uint64_t>(src.nBlockAlign, std::min<std::uint64_t>(second, held));
  if (src.wFormatTag == 3) {
    c->FloatBufferSize = static_cast<std::uint32_t>(srcPiece);
    c->FloatBuffer = MemAlloc(c->FloatBufferSize, __FILE__, __LINE__);
    if (c->FloatBuffer == nullptr) return -1;
    c->DestDataSize = static_cast<std::uint32_t>(srcPiece / 2);
  } else {
    c->DestDataSize = static_cast<std::uint32_t>(srcPiece);
  }
  return 0;
}

int RefillSoundConvert_WAVE(SoundConvert* c) {
  const std::int64_t p = tell(c) - c->DataOffset;
  if (p < 0 || p >= c->DataSize) return -1;
  const std::int64_t left = c->DataSize - p;
  if (c->SrcFormat.wFormatTag == pa::WAVE_FORMAT_PCM) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(c->DestDataSize, left));
    const std::size_t got = c->Stream.ReadShred.Read(c->DestData, 1, want, c->Stream.DataPoint);
    c->DestDataValidSize = static_cast<std::uint32_t>(got);
    return got == 0 ? -1 : 0;
  }
  const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(c->FloatBufferSize, left));
  const std::size_t align = c->SrcFormat.nBlockAlign;
  std::uint8_t* out = c->DestData;
  std::size_t frames = 0;
  if (c->Stream.ReadShred.Read == GetMemStreamFunctions()->Read) {
    // Bytes in memory are converted where they lie; the stream only moves past them.
    MemStream* m = static_cast<MemStream*>(c->Stream.DataPoint);
    const std::size_t got = std::min<std::size_t>(want, m->DataSize - m->DataPoint);
    frames = got / align;
    convertFloats(m->DataBuffer + m->DataPoint, out, frames * c->SrcFormat.nChannels);
    m->DataPoint += static_cast<std::uint32_t>(got);
    // A read that found nothing left says so, as the stream's own read would.
    m->EOFFlag = got == 0 ? 1 : 0;
  } else {
    // The piece is read and converted a cache-sized stretch of whole frames at a time
    // through the start of the float buffer: the floats are still in cache when
    // converted, and the rest of a large buffer is never touched (nor faulted in).
    const std::size_t stretch = std::max<std::size_t>(align, kFloatStretchBytes / align * align);
    const auto* in = static_cast<const std::uint8_t*>(c->FloatBuffer);
    for (std::size_t done = 0; done < want;) {
      const std::size_t ask = std::min(stretch, want - done);
      const std::size_t got = c->Stream.ReadShred.Read(c->FloatBuffer, 1, ask, c->Stream.DataPoint);
      const std::size_t count = got / align * c->SrcFormat.nChannels;
      convertFloats(in, out, count);
      out += 2 * count;
      frames += got / align;
      done += got;
      if (got < ask) break;
    }
  }
  c->DestDataValidSize = static_cast<std::uint32_t>(frames * c->OutFormat.nBlockAlign);
  return c->DestDataValidSize == 0 ? -1 : 0;
}

int SeekSoundConvert_WAVE(SoundConvert* c, std::int32_t target) {
  std::int64_t source = target;
  if (c->SrcFormat.wFormatTag != pa::WAVE_FORMAT_PCM) source = static_cast<std::int64_t>(target) * 2;
  source = std::clamp<std::int64_t>(source, 0, c->DataSize);
  c->Stream.ReadShred.Seek(c->Stream.DataPoint, c->DataOffset + source, 0);
  c->DestDataCompSizeAll = target;
  c->DestDataValidSize = 0;
  c->DestDataCompSize = 0;
  return 0;
}

std::int32_t DestSizeSoundConvert_WAVE(SoundConvert* c) {
  if (c->SrcFormat.wFormatTag == pa::WAVE_FORMAT_PCM) return c->DataSize;
  if (c->SrcFormat.wFormatTag == 3) return c->DataSize / 2;
  return -1;
}

void CloseSoundConvert_WAVE(SoundConvert* c) {
  MemFree(c->FloatBuffer);
  c->FloatBuffer = nullptr;
}

}  // namespace ZaDod
