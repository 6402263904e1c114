// The movie container over libavformat: the custom I/O context reading through the
// source's byte reader, and the list of containers a movie may come in.
#include "platform/dshow/movie_container.h"

#include <cstdio>
#include <string_view>

#include "platform/dshow/libav_load.h"

namespace plat::dshow {

namespace {

constexpr int kIoBufferBytes = 32768;
constexpr const char* kContainers = "avi,mov,mp4,m4a,3gp,3g2,mj2,matroska,webm,mpeg,mpegts,asf,flv";

bool acceptedContainer(const char* name) {
  // The demuxer's name list; its first name picks it out.
  const std::string_view first = std::string_view(name).substr(0, std::string_view(name).find(','));
  for (std::string_view listed : {"avi", "mov", "matroska", "mpeg", "mpegts", "asf", "flv"})
    if (first == listed) return true;
  return false;
}

}  // namespace

MovieContainer::~MovieContainer() {
  lib()->avformat_close_input(&format_);
  if (io_ != nullptr) lib()->av_freep(&io_->buffer);
  lib()->avio_context_free(&io_);
}

bool MovieContainer::open() {
  if (size_ <= 0) return false;
  lib()->av_log_set_level(AV_LOG_QUIET);
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
  return lib()->avformat_find_stream_info(format_, nullptr) >= 0;
}

MovieStreamDecoder::~MovieStreamDecoder() {
  lib()->av_frame_free(&frame);
  lib()->av_packet_free(&packet);
  lib()->avcodec_free_context(&codec);
}

bool MovieStreamDecoder::open(int kind) {
  if (!container.open()) return false;
  format = container.format();
  const AVCodec* decoder = nullptr;
  index = lib()->av_find_best_stream(format, static_cast<AVMediaType>(kind), -1, -1, &decoder, 0);
  if (index < 0 || decoder == nullptr) return false;
  codec = lib()->avcodec_alloc_context3(decoder);
  if (codec == nullptr || lib()->avcodec_parameters_to_context(codec, format->streams[index]->codecpar) < 0) return false;
  codec->thread_count = 1;
  if (lib()->avcodec_open2(codec, decoder, nullptr) < 0) return false;
  frame = lib()->av_frame_alloc();
  packet = lib()->av_packet_alloc();
  return frame != nullptr && packet != nullptr;
}

bool MovieStreamDecoder::receive() {
  for (;;) {
    const int got = lib()->avcodec_receive_frame(codec, frame);
    if (got == 0) return true;
    if (got != AVERROR(EAGAIN) || draining) return false;
    for (;;) {
      const int read = lib()->av_read_frame(format, packet);
      if (read < 0) {
        draining = true;
        lib()->avcodec_send_packet(codec, nullptr);
        break;
      }
      const bool ours = packet->stream_index == index;
      const int sent = ours ? lib()->avcodec_send_packet(codec, packet) : 0;
      lib()->av_packet_unref(packet);
      if (ours && sent != AVERROR_INVALIDDATA) break;  // a corrupt packet is skipped
    }
  }
}

bool MovieStreamDecoder::seek(std::int64_t target) {
  if (lib()->av_seek_frame(format, index, target, AVSEEK_FLAG_BACKWARD) < 0 &&
      lib()->av_seek_frame(format, -1, 0, AVSEEK_FLAG_BYTE | AVSEEK_FLAG_BACKWARD) < 0)
    return false;
  lib()->avcodec_flush_buffers(codec);
  draining = false;
  return true;
}

int MovieContainer::readPacket(void* opaque, std::uint8_t* buffer, int size) {
  auto* self = static_cast<MovieContainer*>(opaque);
  if (self->position_ >= self->size_) return AVERROR_EOF;
  const int got = self->reader_(self->position_, size, buffer);
  if (got < 0) return AVERROR(EIO);
  if (got == 0) return AVERROR_EOF;
  self->position_ += got;
  return got;
}

std::int64_t MovieContainer::seekStream(void* opaque, std::int64_t offset, int whence) {
  auto* self = static_cast<MovieContainer*>(opaque);
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

}  // namespace plat::dshow
