// The MPEG audio decoder filter, standing in for the platform's splitter and decoder pair:
// its input pin pulls an MPEG audio stream through IAsyncReader's SyncRead on the
// streaming thread, the codec stand-in's decoder turns it
// into 16-bit PCM at the stream's rate and channels, and its output pin delivers the PCM
// in time-stamped samples from the downstream allocator, then end of stream.
#include <condition_variable>
#include <cstring>

#include "platform/audio/wave_format.h"
#include "platform/codec/decoder.h"
#include "platform/codec/mpeg_frames.h"
#include "platform/dshow/filter_parts.h"
#include "platform/dshow/streaming_thread.h"
#include "platform/dshow/system_filters.h"
#include "platform/win/sync.h"

namespace plat::dshow {

const CLSID CLSID_MpegAudioDecoderStandIn = {0x5B2C7E10, 0x41D3, 0x4A8E, {0x9C, 0x3F, 0x48, 0x61, 0x6C, 0x76, 0x6D, 0x64}};

namespace {

using audio::WAVEFORMATEX;
using win::WORD;
using win::E_FAIL;
using win::E_POINTER;
using win::S_FALSE;
using win::S_OK;

constexpr LONG kProbeBytes = 65536;
constexpr LONG kPullBytes = 65536;
constexpr LONG kFeedBytes = 4096;
constexpr LONG kOutputBytes = 16384;  // one delivered sample, at most

// The rate and channels of the stream's first frame, which sits at the data's start or
// after an ID3v2 tag there and is confirmed by the next one (mpeg_frames.h). Data of
// another kind is not searched for something that looks like a frame: a lone sync
// pattern, or two that confirm each other, are common in Ogg pages and pictures.
// False when the probe starts with no such frame.
bool firstFrameFormat(const BYTE* data, LONG size, LONGLONG total, WAVEFORMATEX* format, LONG* first) {
  static const DWORD rates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
  const std::int64_t at = codec::mpegStreamStart(data, static_cast<std::size_t>(size), static_cast<std::uint64_t>(total));
  if (at < 0) return false;
  const int version = (data[at + 1] >> 3) & 3, rate = (data[at + 2] >> 2) & 3;
  const WORD channels = ((data[at + 3] >> 6) & 3) == 3 ? 1 : 2;
  *format = WAVEFORMATEX{audio::WAVE_FORMAT_PCM, channels, rates[version][rate], 0, static_cast<WORD>(channels * 2),
                         16, 0};
  format->nAvgBytesPerSec = format->nSamplesPerSec * format->nBlockAlign;
  *first = static_cast<LONG>(at);
  return true;
}

class MpegDecoderFilter;

class MpegInput final : public StandInPin {
 public:
  explicit MpegInput(StandInFilter* filter) : StandInPin(filter, u"In", PINDIR_INPUT) {}
  ~MpegInput() override { breakConnect(); }
  IAsyncReader* reader = nullptr;
  WAVEFORMATEX format{};
  LONG firstFrame = 0;  // decoding starts here, past an ID3v2 tag

 protected:
  HRESULT checkType(const AM_MEDIA_TYPE& type) override {
    return type.majortype == MEDIATYPE_Stream && type.subtype == MEDIASUBTYPE_MPEG1Audio ? S_OK : S_FALSE;
  }
  HRESULT completeConnect(IPin* peer) override {
    void* face = nullptr;
    if (peer->QueryInterface(IID_IAsyncReader, &face) != S_OK || face == nullptr) return win::E_NOINTERFACE;
    reader = static_cast<IAsyncReader*>(face);
    // The first frame names the output format; a stream without one is not taken.
    std::vector<BYTE> probe(kProbeBytes);
    LONGLONG total = 0, available = 0;
    reader->Length(&total, &available);
    const LONG size = static_cast<LONG>(total < kProbeBytes ? total : kProbeBytes);
    if (reader->SyncRead(0, size, probe.data()) < 0 ||
        !firstFrameFormat(probe.data(), size, total, &format, &firstFrame)) {
      breakConnect();
      return VFW_E_TYPE_NOT_ACCEPTED;
    }
    return S_OK;
  }
  void breakConnect() override {
    if (reader != nullptr) reader->Release();
    reader = nullptr;
  }
};

class PcmOutput final : public StandInPin {
 public:
  explicit PcmOutput(StandInFilter* filter, MpegInput* input)
      : StandInPin(filter, u"Out", PINDIR_OUTPUT), input_(input) {}
  ~PcmOutput() override { breakConnect(); }
  IMemInputPin* memInput = nullptr;
  IMemAllocator* allocator = nullptr;
  IPin* peer() { return peer_; }

 protected:
  HRESULT checkType(const AM_MEDIA_TYPE& type) override {
    if (input_->reader == nullptr) return VFW_E_NOT_CONNECTED;
    if (!(type.majortype == MEDIATYPE_Audio) || !(type.subtype == MEDIASUBTYPE_PCM) ||
        !(type.formattype == FORMAT_WaveFormatEx) || type.cbFormat < sizeof(WAVEFORMATEX) || type.pbFormat == nullptr)
      return S_FALSE;
    const auto* format = reinterpret_cast<const WAVEFORMATEX*>(type.pbFormat);
    const WAVEFORMATEX& ours = input_->format;
    return format->wFormatTag == ours.wFormatTag && format->nChannels == ours.nChannels &&
                   format->nSamplesPerSec == ours.nSamplesPerSec && format->wBitsPerSample == ours.wBitsPerSample
               ? S_OK
               : S_FALSE;
  }
  std::vector<AM_MEDIA_TYPE> offeredTypes() override {
    if (input_->reader == nullptr) return {};
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Audio;
    type.subtype = MEDIASUBTYPE_PCM;
    type.bFixedSizeSamples = 1;
    type.lSampleSize = input_->format.nBlockAlign;
    type.formattype = FORMAT_WaveFormatEx;
    type.cbFormat = sizeof(WAVEFORMATEX);
    type.pbFormat = reinterpret_cast<BYTE*>(&input_->format);
    return {type};
  }
  HRESULT completeConnect(IPin* peer) override {
    return ConnectPushAllocator(peer, 4, kOutputBytes, input_->format.nBlockAlign, &memInput, &allocator);
  }
  void breakConnect() override {
    if (memInput != nullptr) memInput->Release();
    if (allocator != nullptr) allocator->Release();
    memInput = nullptr;
    allocator = nullptr;
  }

 private:
  MpegInput* const input_;
};

class MpegDecoderFilter final : public StandInFilter {
 public:
  MpegDecoderFilter() : StandInFilter(CLSID_MpegAudioDecoderStandIn) {
    auto input = std::make_unique<MpegInput>(this);
    auto output = std::make_unique<PcmOutput>(this, input.get());
    addPin(std::move(input));
    addPin(std::move(output));
  }

 protected:
  ~MpegDecoderFilter() override { stopStreaming(); }

  HRESULT stateChanged(FILTER_STATE from, FILTER_STATE to) override {
    if (from == State_Stopped && to != State_Stopped) return startStreaming();
    if (to == State_Stopped) stopStreaming();
    return S_OK;
  }

 private:
  MpegInput* in() { return static_cast<MpegInput*>(pins_[0].get()); }
  PcmOutput* out() { return static_cast<PcmOutput*>(pins_[1].get()); }

  HRESULT startStreaming() {
    if (in()->reader == nullptr || out()->memInput == nullptr) return S_OK;
    const HRESULT hr = out()->allocator->Commit();
    if (hr != S_OK) return hr;
    stopping_ = false;
    thread_.start([this] { stream(); });
    return S_OK;
  }

  void stopStreaming() {
    stopping_ = true;
    // Unblocks a read under way and a wait for an output buffer.
    if (in()->reader != nullptr) in()->reader->BeginFlush();
    if (out()->allocator != nullptr) out()->allocator->Decommit();
    if (thread_.joinable()) thread_.join();
    if (in()->reader != nullptr) in()->reader->EndFlush();
  }

  // Delivers whole sample frames of pcm from `from`; keeps the rest for later.
  bool deliver(std::vector<std::int16_t>& pcm, bool last) {
    const WAVEFORMATEX& format = in()->format;
    size_t used = 0;
    while (!stopping_) {
      const size_t left = (pcm.size() - used) * 2;
      if (left == 0 || (!last && left < static_cast<size_t>(kOutputBytes))) break;
      IMediaSample* sample = nullptr;
      if (out()->allocator->GetBuffer(&sample, nullptr, nullptr, 0) != S_OK) return false;
      BYTE* buffer = nullptr;
      sample->GetPointer(&buffer);
      size_t bytes = static_cast<size_t>(sample->GetSize());
      if (bytes > left) bytes = left;
      bytes -= bytes % format.nBlockAlign;
      std::memcpy(buffer, pcm.data() + used, bytes);
      sample->SetActualDataLength(static_cast<LONG>(bytes));
      const LONGLONG frames = static_cast<LONGLONG>(bytes / format.nBlockAlign);
      REFERENCE_TIME start = framesSent_ * 10000000LL / format.nSamplesPerSec;
      REFERENCE_TIME stop = (framesSent_ + frames) * 10000000LL / format.nSamplesPerSec;
      sample->SetTime(&start, &stop);
      sample->SetSyncPoint(1);
      sample->SetDiscontinuity(framesSent_ == 0);
      const HRESULT hr = out()->memInput->Receive(sample);
      sample->Release();
      if (hr != S_OK) return false;
      framesSent_ += frames;
      used += bytes / 2;
      if (bytes == 0) break;
    }
    pcm.erase(pcm.begin(), pcm.begin() + static_cast<std::ptrdiff_t>(used));
    return !stopping_;
  }

  void stream() {
    IAsyncReader* reader = in()->reader;
    const WAVEFORMATEX& format = in()->format;
    WAVEFORMATEX coded = format;
    coded.wFormatTag = codec::WAVE_FORMAT_MPEGLAYER3;
    std::unique_ptr<codec::Decoder> decoder = codec::makeMpegDecoder(&coded);
    if (decoder == nullptr) {
      notify(EC_ERRORABORT, E_FAIL, 0);
      return;
    }
    framesSent_ = 0;
    LONGLONG total = 0, available = 0;
    reader->Length(&total, &available);
    std::vector<std::int16_t> pcm;
    // The stream is read on this thread: a read handed to the reader's worker and waited
    // for costs two thread switches a piece and decodes nothing sooner.
    std::vector<BYTE> piece(kPullBytes);
    for (LONGLONG position = in()->firstFrame; position < total && !stopping_;) {
      const LONG size = static_cast<LONG>(total - position < kPullBytes ? total - position : kPullBytes);
      const HRESULT hr = reader->SyncRead(position, size, piece.data());
      if (hr != S_OK) {
        if (!stopping_) notify(EC_ERRORABORT, hr < 0 ? hr : E_FAIL, 0);
        return;
      }
      // Fed a few frames at a time, the decoded samples stay in the cache until they
      // are delivered.
      for (LONG at = 0; at < size; at += kFeedBytes) {
        decoder->decode(piece.data() + at, static_cast<size_t>(size - at < kFeedBytes ? size - at : kFeedBytes), pcm);
        if (!deliver(pcm, false)) return;
      }
      position += size;
    }
    decoder->decode(nullptr, 0, pcm);
    if (!deliver(pcm, true)) return;
    out()->peer()->EndOfStream();
  }

  std::atomic<bool> stopping_{false};
  LONGLONG framesSent_ = 0;  // the streaming thread's own
  StreamingThread thread_;
};

}  // namespace

HRESULT CreateMpegAudioDecoder(IBaseFilter** filter) {
  if (filter == nullptr) return E_POINTER;
  *filter = new MpegDecoderFilter;
  return S_OK;
}

}  // namespace plat::dshow
