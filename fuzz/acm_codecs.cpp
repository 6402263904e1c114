// The codec stand-in's conversion streams on any format record and data: the input's
// first bytes are the record (its tag picked from the codecs served, its extension as
// given), the rest is converted in pieces of changing size into changing destinations.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/codec/acm.h"

using namespace plat::codec;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 20 || size > (1u << 18)) return 0;
  static const std::uint16_t kTags[] = {WAVE_FORMAT_MULAW, WAVE_FORMAT_ALAW, WAVE_FORMAT_IMA_ADPCM, WAVE_FORMAT_ADPCM,
                                        WAVE_FORMAT_MPEGLAYER3};
  const std::size_t recordBytes = std::min<std::size_t>(size, 18 + (data[1] % 64));
  std::vector<std::uint8_t> record(std::max<std::size_t>(recordBytes, 18));
  std::memcpy(record.data(), data, recordBytes);
  auto* format = reinterpret_cast<WAVEFORMATEX*>(record.data());
  format->wFormatTag = kTags[data[0] % 5];
  format->cbSize = static_cast<std::uint16_t>(std::min<std::size_t>(format->cbSize, record.size() - 18));
  WAVEFORMATEX out{};
  if (acmFormatSuggest(nullptr, format, &out, sizeof(out), ACM_FORMATSUGGESTF_WFORMATTAG) != 0) return 0;
  HACMSTREAM stream = nullptr;
  if (acmStreamOpen(&stream, nullptr, format, &out, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0) return 0;
  const std::uint8_t* src = data + recordBytes;
  const std::size_t srcBytes = size - recordBytes;
  DWORD estimate = 0;
  acmStreamSize(stream, static_cast<DWORD>(srcBytes), &estimate, ACM_STREAMSIZEF_SOURCE);
  std::vector<std::uint8_t> dst(70000);
  std::size_t offset = 0;
  for (int k = 0, piece = 1; k < 400; ++k, piece = piece * 7 % 4099 + 1) {
    ACMSTREAMHEADER h{};
    h.cbStruct = sizeof(h);
    h.pbSrc = const_cast<std::uint8_t*>(src + offset);
    h.cbSrcLength = static_cast<DWORD>(std::min<std::size_t>(piece * 3, srcBytes - offset));
    h.pbDst = dst.data();
    h.cbDstLength = static_cast<DWORD>(piece * 16 % dst.size());
    if (acmStreamPrepareHeader(stream, &h, 0) != 0) std::abort();
    if (acmStreamConvert(stream, &h, k % 3 ? ACM_STREAMCONVERTF_BLOCKALIGN : 0) != 0) std::abort();
    if (h.cbSrcLengthUsed > h.cbSrcLength || h.cbDstLengthUsed > h.cbDstLength || h.cbDstLengthUsed % 2) std::abort();
    acmStreamUnprepareHeader(stream, &h, 0);
    offset += h.cbSrcLengthUsed;
    if (offset >= srcBytes && h.cbDstLengthUsed == 0) break;
  }
  acmStreamClose(stream, 0);
  return 0;
}
