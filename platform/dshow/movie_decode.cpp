// The movie source's picture decoding over libavcodec and libswscale: the first video
// stream of the container decoded frame by frame, and frames put through one scaler
// context per layout.
#include "platform/dshow/movie_decode.h"

#include <cstring>

#include "platform/dshow/libav_load.h"

namespace plat::dshow {

namespace {


class LibavMovieDecoder final : public MovieDecoder {
 public:
  LibavMovieDecoder(MovieByteReader reader, std::int64_t size) : in_(std::move(reader), size) {}
  ~LibavMovieDecoder() override {
    for (SwsContext*& s : scalers_) lib()->sws_freeContext(s);
  }

  bool open() {
    if (!in_.open(AVMEDIA_TYPE_VIDEO)) return false;
    AVStream* stream = in_.format->streams[in_.index];
    const int w = in_.codec->width, h = in_.codec->height;
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384) return false;
    timeBase_ = stream->time_base;
    startOffset_ = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
      duration_ = lib()->av_rescale_q(stream->duration, timeBase_, kMovieTimeBase);
    else if (in_.format->duration > 0)
      duration_ = lib()->av_rescale_q(in_.format->duration, AV_TIME_BASE_Q, kMovieTimeBase);
    const AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
    frameDuration_ = rate.num > 0 && rate.den > 0 ? lib()->av_rescale(10000000, rate.den, rate.num) : 400000;
    if (frameDuration_ <= 0) frameDuration_ = 400000;
    return true;
  }

  int width() const override { return in_.codec->width; }
  int height() const override { return in_.codec->height; }
  std::int64_t duration() const override { return duration_; }
  std::int64_t frameDuration() const override { return frameDuration_; }
  std::int64_t origin() const override { return lib()->av_rescale_q(startOffset_, timeBase_, kMovieTimeBase); }
  bool hasSoundStream() const override {
    for (unsigned i = 0; i < in_.format->nb_streams; ++i)
      if (in_.format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) return true;
    return false;
  }

  bool nextFrame(std::int64_t* start) override {
    for (;;) {
      if (!in_.receive()) return false;
      const std::int64_t stamp = in_.frame->best_effort_timestamp;
      std::int64_t at = stamp != AV_NOPTS_VALUE ? lib()->av_rescale_q(stamp - startOffset_, timeBase_, kMovieTimeBase) : next_;
      if (at < 0) at = 0;
      next_ = at + frameDuration_;
      if (at + frameDuration_ <= skipUntil_) continue;  // before a seek's target
      skipUntil_ = 0;
      *start = at;
      return true;
    }
  }

  void convert(MovieLayout layout, std::uint8_t* bytes) override {
    const int w = in_.codec->width, h = in_.codec->height;
    static constexpr AVPixelFormat kFormats[kMovieLayoutCount] = {AV_PIX_FMT_YUV420P, AV_PIX_FMT_NV12,
                                                                  AV_PIX_FMT_YUYV422, AV_PIX_FMT_UYVY422,
                                                                  AV_PIX_FMT_BGR0,    AV_PIX_FMT_BGR24};
    const int index = static_cast<int>(layout);
    SwsContext*& scaler = scalers_[index];
    scaler = lib()->sws_getCachedContext(scaler, w, h, static_cast<AVPixelFormat>(in_.frame->format), w, h, kFormats[index],
                                  SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (scaler == nullptr) return;
    std::uint8_t* planes[4] = {};
    int pitches[4] = {};
    const int p = pitch(layout);
    switch (layout) {
      case MovieLayout::YV12:  // Y, then V, then U
        planes[0] = bytes;
        planes[2] = bytes + p * h;
        planes[1] = planes[2] + (w / 2) * (h / 2);
        pitches[0] = p;
        pitches[1] = pitches[2] = w / 2;
        break;
      case MovieLayout::NV12:
        planes[0] = bytes;
        planes[1] = bytes + p * h;
        pitches[0] = pitches[1] = p;
        break;
      case MovieLayout::YUY2:
      case MovieLayout::UYVY:
        planes[0] = bytes;
        pitches[0] = p;
        break;
      case MovieLayout::RGB32:
      case MovieLayout::RGB24:  // bottom-up: the last row first
        planes[0] = bytes + static_cast<std::ptrdiff_t>(p) * (h - 1);
        pitches[0] = -p;
        break;
    }
    lib()->sws_scale(scaler, in_.frame->data, in_.frame->linesize, 0, h, planes, pitches);
  }

  bool seek(std::int64_t position) override {
    if (position < 0) position = 0;
    const std::int64_t target = lib()->av_rescale_q(position, kMovieTimeBase, timeBase_) + startOffset_;
    if (!in_.seek(target)) return false;
    skipUntil_ = position;
    next_ = 0;
    return true;
  }

 private:
  MovieStreamDecoder in_;
  SwsContext* scalers_[kMovieLayoutCount] = {};
  AVRational timeBase_{1, 1};
  std::int64_t startOffset_ = 0;
  std::int64_t duration_ = 0;
  std::int64_t frameDuration_ = 400000;
  std::int64_t next_ = 0;
  std::int64_t skipUntil_ = 0;
};

}  // namespace

std::unique_ptr<MovieDecoder> MovieDecoder::Open(MovieByteReader reader, std::int64_t size) {
  if (LoadLibav() == nullptr) return nullptr;
  auto decoder = std::make_unique<LibavMovieDecoder>(std::move(reader), size);
  if (!decoder->open()) return nullptr;
  return decoder;
}

int MovieDecoder::pitch(MovieLayout layout) const {
  const int w = width();
  switch (layout) {
    case MovieLayout::YUY2:
    case MovieLayout::UYVY: return w * 2;
    case MovieLayout::RGB32: return w * 4;
    case MovieLayout::RGB24: return (w * 3 + 3) & ~3;
    default: return w;
  }
}

std::size_t MovieDecoder::frameBytes(MovieLayout layout) const {
  const std::size_t w = static_cast<std::size_t>(width()), h = static_cast<std::size_t>(height());
  switch (layout) {
    case MovieLayout::YV12: return w * h + 2 * (w / 2) * (h / 2);
    case MovieLayout::NV12: return w * h + w * (h / 2);
    default: return static_cast<std::size_t>(pitch(layout)) * h;
  }
}

}  // namespace plat::dshow
