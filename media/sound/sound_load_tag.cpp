// Loop-tag files: "x_loop.txt" beside a sound "x.ext" names its loop start and its
// end or length in samples ("LOOPSTART=1000" and "LOOPEND=" or "LOOPLENGTH=").
#include <cstring>

#include "media/base/charcode.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/sound/sound_handle.h"

namespace ZaDod {

namespace {
constexpr int kTagChars = 240;

bool startsWith(const char16_t* at, const char16_t* word) {
  for (; *word != 0; ++at, ++word) {
    if (*at != *word) return false;
  }
  return true;
}

// Reads "= digits" after pos; false when there is no "=", no digit, or the value
// passes 2^31-1. The text may end right after the digits.
bool readValue(const char16_t* text, int* pos, std::int32_t* value) {
  int i = *pos;
  while (text[i] != 0 && text[i] != u'=') ++i;
  if (text[i] == 0) return false;
  while (text[i] != 0 && (text[i] < u'0' || text[i] > u'9')) ++i;
  if (text[i] == 0) return false;
  std::int64_t v = 0;
  for (; text[i] >= u'0' && text[i] <= u'9'; ++i) {
    v = v * 10 + (text[i] - u'0');
    if (v > 0x7FFFFFFF) return false;
  }
  *value = static_cast<std::int32_t>(v);
  *pos = i;
  return true;
}
}  // namespace

int MakeLoopTagFileName(const char16_t* fileName, char16_t* out, std::size_t outBytes) {
  const std::size_t room = outBytes / sizeof(char16_t);
  if (room == 0) return -1;
  std::size_t length = 0, dot = static_cast<std::size_t>(-1);
  for (; fileName[length] != 0; ++length) {
    if (fileName[length] == u'/' || fileName[length] == u'\\') dot = static_cast<std::size_t>(-1);
    if (fileName[length] == u'.') dot = length;
  }
  const std::size_t stem = dot == static_cast<std::size_t>(-1) ? length : dot;
  static constexpr char16_t kSuffix[] = u"_loop.txt";
  std::size_t n = 0;
  for (std::size_t i = 0; i < stem && n + 1 < room; ++i) out[n++] = fileName[i];
  for (std::size_t i = 0; kSuffix[i] != 0 && n + 1 < room; ++i) out[n++] = kSuffix[i];
  out[n] = 0;
  return 0;
}

int ReadLoopTagFile(const char16_t* fileName, std::int32_t* start, std::int32_t* end) {
  void* image = nullptr;
  std::uint32_t size = 0;
  if (LoadWholeFile(fileName, &image, &size, 0) != 0) return -1;
  if (size < 3) {
    MemFree(image);
    return -1;
  }
  const auto* bytes = static_cast<const std::uint8_t*>(image);
  int codePage = CodePageShiftJis;
  std::uint32_t skip = 0;
  if (bytes[0] == 0xFF && bytes[1] == 0xFE) {
    codePage = CodePageUtf16LE, skip = 2;
  } else if (bytes[0] == 0xFE && bytes[1] == 0xFF) {
    codePage = CodePageUtf16BE, skip = 2;
  } else if (bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    codePage = CodePageUtf8, skip = 3;
  }
  // A terminated copy: the converter reads up to a terminator of the source page.
  auto* source = static_cast<std::uint8_t*>(MemCalloc(size - skip + 4, __FILE__, __LINE__));
  if (source == nullptr) {
    MemFree(image);
    return -1;
  }
  std::memcpy(source, bytes + skip, size - skip);
  MemFree(image);
  char16_t text[kTagChars + 1] = {};
  ConvertString(source, codePage, text, kTagChars * sizeof(char16_t), CodePageUtf16LE);
  MemFree(source);
  text[kTagChars] = 0;

  int i = 0;
  while (text[i] != 0 && text[i] != u'L') ++i;
  if (text[i] == 0 || !startsWith(text + i, u"LOOPSTART")) return -1;
  i += 9;
  std::int32_t loopStart = 0, value = 0;
  if (!readValue(text, &i, &loopStart)) return -1;
  while (text[i] != 0 && text[i] != u'L') ++i;
  if (text[i] == 0) return -1;
  std::int64_t loopEnd;
  if (startsWith(text + i, u"LOOPEND")) {
    i += 7;
    if (!readValue(text, &i, &value)) return -1;
    loopEnd = value;
  } else if (startsWith(text + i, u"LOOPLENGTH")) {
    i += 10;
    if (!readValue(text, &i, &value)) return -1;
    loopEnd = static_cast<std::int64_t>(loopStart) + value;
    if (loopEnd > 0x7FFFFFFF) return -1;
  } else {
    return -1;
  }
  if (loopStart >= loopEnd) return -1;
  *start = loopStart;
  *end = static_cast<std::int32_t>(loopEnd);
  return 0;
}

int MakeTempWaveImage(void** image, std::uint32_t* size, const void* format, int formatSize, const void* data,
                      std::uint32_t dataSize) {
  const std::uint64_t total = static_cast<std::uint64_t>(dataSize) + 28 + static_cast<std::uint32_t>(formatSize);
  auto* p = total > 0xFFFFFFFFu ? nullptr : static_cast<std::uint8_t*>(MemAlloc(total, __FILE__, __LINE__));
  if (p == nullptr) {
    LogAddTextUtf16(u"仮WAVEファイルイメージ用のメモリ確保に失敗しました\n");
    return -1;
  }
  auto put32 = [](std::uint8_t* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  std::memcpy(p, "RIFF", 4);
  put32(p + 4, static_cast<std::uint32_t>(total - 8));
  std::memcpy(p + 8, "WAVEfmt ", 8);
  put32(p + 16, static_cast<std::uint32_t>(formatSize));
  std::memcpy(p + 20, format, static_cast<std::size_t>(formatSize));
  std::memcpy(p + 20 + formatSize, "data", 4);
  put32(p + 24 + formatSize, dataSize);
  if (dataSize != 0) std::memcpy(p + 28 + formatSize, data, dataSize);
  *image = p;
  *size = static_cast<std::uint32_t>(total);
  return 0;
}

}  // namespace ZaDod
