// The conversion streams of the audio-codec stand-in: format suggestion, stream open
// and close, header preparation, block conversion with a per-stream output queue,
// and size queries.
#include "platform/codec/acm.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/codec/decoder.h"

namespace plat::codec {

struct AcmStream {
  std::unique_ptr<Decoder> decoder;
  std::vector<std::int16_t> queue;  // decoded samples not yet delivered
  std::size_t queueRead = 0;        // samples of queue already delivered
};

namespace {

bool knownTag(std::uint16_t tag) {
  return tag == WAVE_FORMAT_MULAW || tag == WAVE_FORMAT_ALAW || tag == WAVE_FORMAT_IMA_ADPCM ||
         tag == WAVE_FORMAT_ADPCM || tag == WAVE_FORMAT_MPEGLAYER3;
}

std::unique_ptr<Decoder> makeDecoder(const WAVEFORMATEX* f) {
  switch (f->wFormatTag) {
    case WAVE_FORMAT_MULAW:
    case WAVE_FORMAT_ALAW: return makeG711Decoder(f);
    case WAVE_FORMAT_IMA_ADPCM: return makeImaAdpcmDecoder(f);
    case WAVE_FORMAT_ADPCM: return makeMsAdpcmDecoder(f);
    case WAVE_FORMAT_MPEGLAYER3: return makeMpegDecoder(f);
    default: return nullptr;
  }
}

bool prepared(const ACMSTREAMHEADER* h) {
  return h != nullptr && h->cbStruct >= sizeof(ACMSTREAMHEADER) && (h->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED);
}

// Moves queued samples into the destination; returns the bytes written.
DWORD deliver(AcmStream* s, std::uint8_t* dst, DWORD room) {
  const std::size_t held = s->queue.size() - s->queueRead;
  const std::size_t n = std::min<std::size_t>(held, room / 2);
  if (n > 0) std::memcpy(dst, s->queue.data() + s->queueRead, n * 2);
  s->queueRead += n;
  if (s->queueRead == s->queue.size()) {
    s->queue.clear();
    s->queueRead = 0;
  }
  return static_cast<DWORD>(n * 2);
}

}  // namespace

MMRESULT acmFormatSuggest(HACMDRIVER, const WAVEFORMATEX* src, WAVEFORMATEX* dst, DWORD dstBytes, DWORD) {
  if (src == nullptr || dst == nullptr || dstBytes < 16) return MMSYSERR_INVALPARAM;
  if (!knownTag(src->wFormatTag) || src->nChannels == 0 || src->nSamplesPerSec == 0) return ACMERR_NOTPOSSIBLE;
  WAVEFORMATEX out{};
  out.wFormatTag = audio::WAVE_FORMAT_PCM;
  out.nChannels = src->nChannels;
  out.nSamplesPerSec = src->nSamplesPerSec;
  out.wBitsPerSample = 16;
  out.nBlockAlign = static_cast<std::uint16_t>(src->nChannels * 2);
  out.nAvgBytesPerSec = out.nBlockAlign * out.nSamplesPerSec;
  std::memcpy(dst, &out, std::min<std::size_t>(dstBytes, sizeof(out)));
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamOpen(HACMSTREAM* stream, HACMDRIVER, const WAVEFORMATEX* src, const WAVEFORMATEX* dst, void*,
                       std::uintptr_t, std::uintptr_t, DWORD) {
  if (stream == nullptr || src == nullptr || dst == nullptr) return MMSYSERR_INVALPARAM;
  *stream = nullptr;
  if (dst->wFormatTag != audio::WAVE_FORMAT_PCM || dst->wBitsPerSample != 16 || dst->nChannels != src->nChannels ||
      dst->nSamplesPerSec != src->nSamplesPerSec) {
    return ACMERR_NOTPOSSIBLE;
  }
  std::unique_ptr<Decoder> decoder = makeDecoder(src);
  if (!decoder) return ACMERR_NOTPOSSIBLE;
  auto* s = new (std::nothrow) AcmStream;
  if (s == nullptr) return MMSYSERR_NOMEM;
  s->decoder = std::move(decoder);
  *stream = s;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamClose(HACMSTREAM stream, DWORD) {
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  delete stream;
  return MMSYSERR_NOERROR;
}

MMRESULT acmMetrics(void*, unsigned int metric, void* out) {
  if (out == nullptr) return MMSYSERR_INVALPARAM;
  if (metric != ACM_METRIC_MAX_SIZE_FORMAT) return MMSYSERR_INVALPARAM;
  // The largest record we take: MS ADPCM with its seven standard coefficient pairs.
  *static_cast<DWORD*>(out) = 50;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamPrepareHeader(HACMSTREAM stream, ACMSTREAMHEADER* h, DWORD) {
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  if (h == nullptr || h->cbStruct < sizeof(ACMSTREAMHEADER) || (h->pbSrc == nullptr && h->cbSrcLength != 0) ||
      (h->pbDst == nullptr && h->cbDstLength != 0)) {
    return MMSYSERR_INVALPARAM;
  }
  h->fdwStatus |= ACMSTREAMHEADER_STATUSF_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamUnprepareHeader(HACMSTREAM stream, ACMSTREAMHEADER* h, DWORD) {
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  if (!prepared(h)) return ACMERR_UNPREPARED;
  h->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamConvert(HACMSTREAM stream, ACMSTREAMHEADER* h, DWORD flags) {
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  if (!prepared(h)) return ACMERR_UNPREPARED;
  AcmStream* s = stream;
  // Block codecs take whole blocks only, with or without the block-align flag: a
  // piece of a block cannot be decoded, and taking it would lose the block boundary.
  (void)flags;
  const DWORD used = h->cbSrcLength - static_cast<DWORD>(h->cbSrcLength % s->decoder->blockBytes());
  DWORD written = deliver(s, h->pbDst, h->cbDstLength);
  // Everything given is decoded at once; what does not fit waits in the queue, so a
  // call with room left always ends with the source used up.
  if (used > 0) {
    s->decoder->decode(h->pbSrc, used, s->queue);
    written += deliver(s, h->pbDst + written, h->cbDstLength - written);
  }
  h->cbSrcLengthUsed = used;
  h->cbDstLengthUsed = written;
  h->fdwStatus |= ACMSTREAMHEADER_STATUSF_DONE;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamSize(HACMSTREAM stream, DWORD input, DWORD* output, DWORD flags) {
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  if (output == nullptr || (flags & ACM_STREAMSIZEF_DESTINATION) != 0) return MMSYSERR_INVALFLAG;
  const std::uint64_t n = stream->decoder->outputBytes(input);
  if (n > 0xFFFFFFFFu) return ACMERR_NOTPOSSIBLE;
  *output = static_cast<DWORD>(n);
  return n == 0 ? ACMERR_NOTPOSSIBLE : MMSYSERR_NOERROR;
}

}  // namespace plat::codec
