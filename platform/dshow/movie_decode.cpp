// The movie source's picture decoding over libavcodec and libswscale: the first video
// stream of the container decoded frame by frame, and frames put through one scaler
// context per layout.
#include "platform/dshow/movie_decode.h"

#include <cstring>

#include "platform/dshow/libav_load.h"

namespace plat::dshow {

namespace {


// The bytes past a YV12 block that the decoder may read (never write): rows read one
// too far by its motion compensation, and the vector loads' overrun.
constexpr int kBlockTailRows = 2;
constexpr int kBlockTailBytes = 64 + AV_INPUT_BUFFER_PADDING_SIZE;
// The plane starts and rows of a block are aligned to this for the decoder's vector code.
constexpr int kPlaneAlign = 64;

class LibavMovieDecoder final : public MovieDecoder {
 public:
  LibavMovieDecoder(MovieByteReader reader, std::int64_t size) : in_(std::move(reader), size) {}
  ~LibavMovieDecoder() override {
    for (SwsContext*& s : scalers_) lib()->sws_freeContext(s);
    // Blocks still referred to (by the decoder's frames or by delivered pictures) keep
    // the pool until they are given back.
    if (blocks_ != nullptr) lib()->av_buffer_pool_uninit(&blocks_);
  }

  bool open(bool inPlace) {
    if (!in_.open(AVMEDIA_TYPE_VIDEO)) return false;
    AVStream* stream = in_.format->streams[in_.index];
    const int w = in_.codec->width, h = in_.codec->height;
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384) return false;
    if (inPlace) decodeIntoBlocks();
    timeBase_ = stream->time_base;
    startOffset_ = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
      duration_ = lib()->av_rescale_q(stream->duration, timeBase_, kMovieTimeBase);
    else if (in_.format->duration > 0)
      duration_ = lib()->av_rescale_q(in_.format->duration, AV_TIME_BASE_Q, kMovieTimeBase);
    const AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
    frameDuration_ = rate.num > 0 && rate.den > 0 ? lib()->av_rescale(10000000, rate.den, rate.num) : 400000;
    if (frameDuration_ <= 0) frameDuration_ = 400000;
    return duration_ > 0 || measureDuration();
  }

  // A container that states no length (a file written as a stream) is read through once,
  // packets only, to the end of its last picture, and then set back to its start: a
  // length of 0 would put the stop position at the start, so nothing would ever play.
  // False when it cannot go back to the start.
  bool measureDuration() {
    std::int64_t last = AV_NOPTS_VALUE, lastLength = 0;
    while (lib()->av_read_frame(in_.format, in_.packet) >= 0) {
      const AVPacket* p = in_.packet;
      const std::int64_t at = p->pts != AV_NOPTS_VALUE ? p->pts : p->dts;
      if (p->stream_index == in_.index && at != AV_NOPTS_VALUE && (last == AV_NOPTS_VALUE || at >= last)) {
        last = at;
        lastLength = p->duration;
      }
      lib()->av_packet_unref(in_.packet);
    }
    if (!in_.seek(startOffset_)) return false;
    if (last != AV_NOPTS_VALUE && last >= startOffset_) {
      const std::int64_t length = lastLength > 0 ? lib()->av_rescale_q(lastLength, timeBase_, kMovieTimeBase) : frameDuration_;
      duration_ = lib()->av_rescale_q(last - startOffset_, timeBase_, kMovieTimeBase) + length;
    }
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

  std::shared_ptr<const std::uint8_t> framePictureInPlace() override {
    // Whoever allocated it, a frame whose planes lie in its first buffer as YV12 is served.
    AVFrame* f = in_.frame;
    const int w = width(), h = height();
    const std::size_t luma = static_cast<std::size_t>(w) * h;
    if (blocks_ == nullptr || f->format != AV_PIX_FMT_YUV420P || f->width != w || f->height != h ||
        f->buf[0] == nullptr || f->data[0] != f->buf[0]->data || f->buf[0]->size < frameBytes(MovieLayout::YV12) ||
        f->linesize[0] != w || f->linesize[1] != w / 2 || f->linesize[2] != w / 2 || f->data[2] != f->data[0] + luma ||
        f->data[1] != f->data[2] + luma / 4)
      return nullptr;
    AVBufferRef* block = lib()->av_buffer_ref(f->buf[0]);
    if (block == nullptr) return nullptr;
    return std::shared_ptr<const std::uint8_t>(block->data, [block](const std::uint8_t*) mutable {
      lib()->av_buffer_unref(&block);
    });
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
  // Lets the decoder decode 4:2:0 pictures into blocks laid out as YV12 (Y, then V, then
  // U, rows of the picture's width) when that layout meets its needs: a decoder that
  // takes buffers from its caller, a picture whose size needs no padding rows or
  // columns, and rows and plane starts that its vector code may assume aligned.
  void decodeIntoBlocks() {
    AVCodecContext* c = in_.codec;
    if (!(c->codec->capabilities & AV_CODEC_CAP_DR1) || c->pix_fmt != AV_PIX_FMT_YUV420P) return;
    const int w = c->width, h = c->height;
    int alignedW = w, alignedH = h;
    int rowAlign[AV_NUM_DATA_POINTERS] = {};
    lib()->avcodec_align_dimensions2(c, &alignedW, &alignedH, rowAlign);
    // Only the reads past the end of a plane (at most the tail rows) are allowed.
    if (alignedW > w || alignedH > h + kBlockTailRows || w % 2 != 0 || h % 2 != 0) return;
    for (int i = 0; i < 3; ++i)
      if (rowAlign[i] <= 0 || (w / (i == 0 ? 1 : 2)) % rowAlign[i] != 0) return;
    const std::size_t luma = static_cast<std::size_t>(w) * h, chroma = luma / 4;
    if ((w / 2) % kPlaneAlign != 0 || luma % kPlaneAlign != 0 || chroma % kPlaneAlign != 0) return;
    const std::size_t bytes = frameBytes(MovieLayout::YV12) + static_cast<std::size_t>(kBlockTailRows) * w + kBlockTailBytes;
    blocks_ = lib()->av_buffer_pool_init(bytes, nullptr);
    if (blocks_ == nullptr) return;
    c->opaque = this;
    c->get_buffer2 = &LibavMovieDecoder::getBlock;
  }

  static int getBlock(AVCodecContext* c, AVFrame* f, int flags) {
    auto* self = static_cast<LibavMovieDecoder*>(c->opaque);
    if (f->format != AV_PIX_FMT_YUV420P || f->width != c->width || f->height != c->height ||
        c->width != self->width() || c->height != self->height())
      return lib()->avcodec_default_get_buffer2(c, f, flags);
    f->buf[0] = lib()->av_buffer_pool_get(self->blocks_);
    if (f->buf[0] == nullptr) return AVERROR(ENOMEM);
    const int w = c->width, h = c->height;
    std::uint8_t* base = f->buf[0]->data;
    f->data[0] = base;
    f->data[2] = base + static_cast<std::size_t>(w) * h;  // V before U
    f->data[1] = f->data[2] + static_cast<std::size_t>(w / 2) * (h / 2);
    f->linesize[0] = w;
    f->linesize[1] = f->linesize[2] = w / 2;
    f->extended_data = f->data;
    return 0;
  }

  MovieStreamDecoder in_;
  AVBufferPool* blocks_ = nullptr;
  SwsContext* scalers_[kMovieLayoutCount] = {};
  AVRational timeBase_{1, 1};
  std::int64_t startOffset_ = 0;
  std::int64_t duration_ = 0;
  std::int64_t frameDuration_ = 400000;
  std::int64_t next_ = 0;
  std::int64_t skipUntil_ = 0;
};

}  // namespace

std::unique_ptr<MovieDecoder> MovieDecoder::Open(MovieByteReader reader, std::int64_t size, bool inPlace) {
  if (LoadLibav() == nullptr) return nullptr;
  auto decoder = std::make_unique<LibavMovieDecoder>(std::move(reader), size);
  if (!decoder->open(inPlace)) return nullptr;
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
