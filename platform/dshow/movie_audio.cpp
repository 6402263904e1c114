// The movie source's sound decoding over libavcodec and libswresample, on a container
// of its own so that sound and pictures are read and decoded on their own threads.
#include "platform/dshow/movie_audio.h"

#include "platform/dshow/libav_load.h"

#include "platform/audio/dsound.h"

namespace plat::dshow {

namespace {

using audio::DWORD;
using audio::WORD;

constexpr DWORD kFallbackRate = 48000;
constexpr std::int64_t kFar = std::int64_t(1) << 60;  // no movie time comes near it

class LibavSoundDecoder final : public MovieSoundDecoder {
 public:
  LibavSoundDecoder(MovieByteReader reader, std::int64_t size, std::int64_t origin)
      : in_(std::move(reader), size), origin_(origin > -kFar && origin < kFar ? origin : 0) {}
  ~LibavSoundDecoder() override { lib()->swr_free(&resampler_); }

  bool open() {
    if (!in_.open(AVMEDIA_TYPE_AUDIO)) return false;
    AVStream* stream = in_.format->streams[in_.index];
    AVCodecContext* codec = in_.codec;
    const int rate = codec->sample_rate, channels = codec->ch_layout.nb_channels;
    if (rate <= 0 || channels <= 0) return false;
    inRate_ = rate;
    inChannels_ = channels;
    inFormat_ = codec->sample_fmt;
    timeBase_ = stream->time_base;
    const bool playable = rate >= int(audio::DSBFREQUENCY_MIN) && rate <= int(audio::DSBFREQUENCY_MAX);
    const WORD outChannels = channels == 1 ? 1 : 2;
    format_out_ = audio::WAVEFORMATEX{audio::WAVE_FORMAT_PCM, outChannels, playable ? DWORD(rate) : kFallbackRate, 0,
                                      WORD(outChannels * 2), 16, 0};
    format_out_.nAvgBytesPerSec = format_out_.nSamplesPerSec * format_out_.nBlockAlign;
    AVChannelLayout outLayout;
    lib()->av_channel_layout_default(&outLayout, outChannels);
    const int made = lib()->swr_alloc_set_opts2(&resampler_, &outLayout, AV_SAMPLE_FMT_S16, int(format_out_.nSamplesPerSec),
                                         &codec->ch_layout, codec->sample_fmt, rate, 0, nullptr);
    lib()->av_channel_layout_uninit(&outLayout);
    return made >= 0 && resampler_ != nullptr && lib()->swr_init(resampler_) >= 0;
  }

  const audio::WAVEFORMATEX& format() const override { return format_out_; }

  bool nextPiece(std::vector<std::int16_t>& pcm, std::int64_t* start) override {
    const int channels = format_out_.nChannels;
    const std::int64_t rate = format_out_.nSamplesPerSec;
    for (;;) {
      if (!in_.receive()) return false;
      AVFrame* frame = in_.frame;
      // The resampler is set for the stream's first format: frames in another are dropped.
      if (frame->sample_rate != inRate_ || frame->format != inFormat_ || frame->ch_layout.nb_channels != inChannels_)
        continue;
      // A stamp far outside any movie's length (a corrupt file) counts as none.
      const std::int64_t stamp = frame->best_effort_timestamp;
      const std::int64_t scaled = stamp != AV_NOPTS_VALUE ? lib()->av_rescale_q(stamp, timeBase_, kMovieTimeBase) : kFar;
      std::int64_t at = scaled > -kFar && scaled < kFar ? scaled - origin_ : next_;
      const int room = lib()->swr_get_out_samples(resampler_, frame->nb_samples);
      if (room <= 0) continue;
      pcm.resize(std::size_t(room) * channels);
      std::uint8_t* out[1] = {reinterpret_cast<std::uint8_t*>(pcm.data())};
      const int got = lib()->swr_convert(resampler_, out, room, const_cast<const std::uint8_t**>(frame->extended_data),
                                  frame->nb_samples);
      if (got <= 0) continue;
      pcm.resize(std::size_t(got) * channels);
      const std::int64_t length = got * kMovieUnitsPerSecond / rate;
      next_ = at + length;
      if (at < skipUntil_) {
        // Cut to the first frame at or after the start.
        if (at + length <= skipUntil_) continue;
        const std::int64_t drop = ((skipUntil_ - at) * rate + kMovieUnitsPerSecond - 1) / kMovieUnitsPerSecond;
        if (drop >= got) continue;
        pcm.erase(pcm.begin(), pcm.begin() + static_cast<std::ptrdiff_t>(drop * channels));
        at += drop * kMovieUnitsPerSecond / rate;
      }
      *start = at;
      return true;
    }
  }

  bool seek(std::int64_t position) override {
    if (position < 0) position = 0;
    const std::int64_t target = lib()->av_rescale_q(position + origin_, kMovieTimeBase, timeBase_);
    if (!in_.seek(target)) return false;
    lib()->swr_init(resampler_);  // drops what the resampler holds
    skipUntil_ = position;
    next_ = position;
    return true;
  }

 private:
  MovieStreamDecoder in_;
  const std::int64_t origin_;
  SwrContext* resampler_ = nullptr;
  audio::WAVEFORMATEX format_out_{};
  int inRate_ = 0;
  int inChannels_ = 0;
  int inFormat_ = -1;
  AVRational timeBase_{1, 1};
  std::int64_t next_ = 0;
  std::int64_t skipUntil_ = 0;  // sound before it is cut off: the movie's start, or a seek's target
};

}  // namespace

std::unique_ptr<MovieSoundDecoder> MovieSoundDecoder::Open(MovieByteReader reader, std::int64_t size,
                                                           std::int64_t origin) {
  if (LoadLibav() == nullptr) return nullptr;
  auto decoder = std::make_unique<LibavSoundDecoder>(std::move(reader), size, origin);
  if (!decoder->open()) return nullptr;
  return decoder;
}

}  // namespace plat::dshow
