// The movie source's decoding side over libavformat, libavcodec and libswscale: a custom
// I/O context reads through the source's byte reader, only the accepted containers are
// opened, and frames go through one scaler context per layout.
#include "platform/dshow/movie_decode.h"

#include <cstring>
#include <string_view>

#include "platform/dshow/libav_load.h"

namespace plat::dshow {

namespace {

constexpr int kIoBufferBytes = 32768;
constexpr const char* kContainers = "avi,mov,mp4,m4a,3gp,3g2,mj2,matroska,webm,mpeg,mpegts,asf,flv";
constexpr AVRational kUnits = {1, 10000000};

// Only called once Open has found the libraries.
const Libav* lib() { return LoadLibav(); }

bool acceptedContainer(const char* name) {
  // The demuxer's name list; its first name picks it out.
  const std::string_view first = std::string_view(name).substr(0, std::string_view(name).find(','));
  for (std::string_view listed : {"avi", "mov", "matroska", "mpeg", "mpegts", "asf", "flv"})
    if (first == listed) return true;
  return false;
}

class LibavMovieDecoder final : public MovieDecoder {
 public:
  LibavMovieDecoder(MovieByteReader reader, std::int64_t size) : reader_(std::move(reader)), size_(size) {}
  ~LibavMovieDecoder() override {
    for (SwsContext*& s : scalers_) lib()->sws_freeContext(s);
    lib()->av_frame_free(&frame_);
    lib()->av_packet_free(&packet_);
    lib()->avcodec_free_context(&codec_);
    lib()->avformat_close_input(&format_);
    if (io_ != nullptr) lib()->av_freep(&io_->buffer);
    lib()->avio_context_free(&io_);
  }

  bool open() {
    auto* buffer = static_cast<std::uint8_t*>(lib()->av_malloc(kIoBufferBytes));
    if (buffer == nullptr) return false;
    io_ = lib()->avio_alloc_context(buffer, kIoBufferBytes, 0, this, &readPacket, nullptr, &seekStream);
    if (io_ == nullptr) {
      lib()->av_free(buffer);
      return false;
    }
    format_ = lib()->avformat_alloc_context();
    if (format_ == nullptr) return false;
    format_->pb = io_;
    format_->flags |= AVFMT_FLAG_CUSTOM_IO;
    AVDictionary* options = nullptr;
    lib()->av_dict_set(&options, "format_whitelist", kContainers, 0);
    const int opened = lib()->avformat_open_input(&format_, nullptr, nullptr, &options);
    lib()->av_dict_free(&options);
    if (opened < 0) return false;  // the context is freed by the failed open
    if (!acceptedContainer(format_->iformat->name)) return false;
    if (lib()->avformat_find_stream_info(format_, nullptr) < 0) return false;
    const AVCodec* codec = nullptr;
    stream_ = lib()->av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (stream_ < 0 || codec == nullptr) return false;
    AVStream* stream = format_->streams[stream_];
    codec_ = lib()->avcodec_alloc_context3(codec);
    if (codec_ == nullptr || lib()->avcodec_parameters_to_context(codec_, stream->codecpar) < 0) return false;
    codec_->thread_count = 1;
    if (lib()->avcodec_open2(codec_, codec, nullptr) < 0) return false;
    if (codec_->width <= 0 || codec_->height <= 0 || codec_->width > 16384 || codec_->height > 16384) return false;
    frame_ = lib()->av_frame_alloc();
    packet_ = lib()->av_packet_alloc();
    if (frame_ == nullptr || packet_ == nullptr) return false;
    timeBase_ = stream->time_base;
    startOffset_ = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
      duration_ = lib()->av_rescale_q(stream->duration, timeBase_, kUnits);
    else if (format_->duration > 0)
      duration_ = lib()->av_rescale_q(format_->duration, AV_TIME_BASE_Q, kUnits);
    const AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
    frameDuration_ = rate.num > 0 && rate.den > 0 ? lib()->av_rescale(10000000, rate.den, rate.num) : 400000;
    if (frameDuration_ <= 0) frameDuration_ = 400000;
    return true;
  }

  int width() const override { return codec_->width; }
  int height() const override { return codec_->height; }
  std::int64_t duration() const override { return duration_; }
  std::int64_t frameDuration() const override { return frameDuration_; }

  bool nextFrame(std::int64_t* start) override {
    for (;;) {
      if (!receive()) return false;
      const std::int64_t stamp = frame_->best_effort_timestamp;
      std::int64_t at = stamp != AV_NOPTS_VALUE ? lib()->av_rescale_q(stamp - startOffset_, timeBase_, kUnits) : next_;
      if (at < 0) at = 0;
      next_ = at + frameDuration_;
      if (at + frameDuration_ <= skipUntil_) continue;  // before a seek's target
      skipUntil_ = 0;
      *start = at;
      return true;
    }
  }

  void convert(MovieLayout layout, std::uint8_t* bytes) override {
    const int w = codec_->width, h = codec_->height;
    static constexpr AVPixelFormat kFormats[kMovieLayoutCount] = {AV_PIX_FMT_YUV420P, AV_PIX_FMT_NV12,
                                                                  AV_PIX_FMT_YUYV422, AV_PIX_FMT_UYVY422,
                                                                  AV_PIX_FMT_BGR0,    AV_PIX_FMT_BGR24};
    const int index = static_cast<int>(layout);
    SwsContext*& scaler = scalers_[index];
    scaler = lib()->sws_getCachedContext(scaler, w, h, static_cast<AVPixelFormat>(frame_->format), w, h, kFormats[index],
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
    lib()->sws_scale(scaler, frame_->data, frame_->linesize, 0, h, planes, pitches);
  }

  bool seek(std::int64_t position) override {
    if (position < 0) position = 0;
    const std::int64_t target = lib()->av_rescale_q(position, kUnits, timeBase_) + startOffset_;
    if (lib()->av_seek_frame(format_, stream_, target, AVSEEK_FLAG_BACKWARD) < 0 &&
        lib()->av_seek_frame(format_, -1, 0, AVSEEK_FLAG_BYTE | AVSEEK_FLAG_BACKWARD) < 0)
      return false;
    lib()->avcodec_flush_buffers(codec_);
    draining_ = false;
    skipUntil_ = position;
    next_ = 0;
    return true;
  }

 private:
  // The next decoded frame into frame_; false at the end.
  bool receive() {
    for (;;) {
      const int got = lib()->avcodec_receive_frame(codec_, frame_);
      if (got == 0) return true;
      if (got != AVERROR(EAGAIN) || draining_) return false;
      for (;;) {
        const int read = lib()->av_read_frame(format_, packet_);
        if (read < 0) {
          draining_ = true;
          lib()->avcodec_send_packet(codec_, nullptr);
          break;
        }
        const bool ours = packet_->stream_index == stream_;
        const int sent = ours ? lib()->avcodec_send_packet(codec_, packet_) : 0;
        lib()->av_packet_unref(packet_);
        if (ours && sent != AVERROR_INVALIDDATA) break;  // a corrupt packet is skipped
      }
    }
  }

  static int readPacket(void* opaque, std::uint8_t* buffer, int size) {
    auto* self = static_cast<LibavMovieDecoder*>(opaque);
    if (self->position_ >= self->size_) return AVERROR_EOF;
    const int got = self->reader_(self->position_, size, buffer);
    if (got < 0) return AVERROR(EIO);
    if (got == 0) return AVERROR_EOF;
    self->position_ += got;
    return got;
  }

  static std::int64_t seekStream(void* opaque, std::int64_t offset, int whence) {
    auto* self = static_cast<LibavMovieDecoder*>(opaque);
    if (whence & AVSEEK_SIZE) return self->size_;
    std::int64_t to = offset;
    switch (whence & ~AVSEEK_FORCE) {
      case SEEK_SET: break;
      case SEEK_CUR: to += self->position_; break;
      case SEEK_END: to += self->size_; break;
      default: return -1;
    }
    if (to < 0) return -1;
    self->position_ = to;
    return to;
  }

  MovieByteReader reader_;
  const std::int64_t size_;
  std::int64_t position_ = 0;
  AVIOContext* io_ = nullptr;
  AVFormatContext* format_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  SwsContext* scalers_[kMovieLayoutCount] = {};
  int stream_ = -1;
  AVRational timeBase_{1, 1};
  std::int64_t startOffset_ = 0;
  std::int64_t duration_ = 0;
  std::int64_t frameDuration_ = 400000;
  std::int64_t next_ = 0;
  std::int64_t skipUntil_ = 0;
  bool draining_ = false;
};

}  // namespace

std::unique_ptr<MovieDecoder> MovieDecoder::Open(MovieByteReader reader, std::int64_t size) {
  if (size <= 0) return nullptr;
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
