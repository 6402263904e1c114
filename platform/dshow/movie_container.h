// The movie source's demuxing side shared by its picture and sound decoders: a movie
// container opened over a byte-reading callback through a custom I/O context, refused
// unless it is one of the accepted containers.
#pragma once
#include <cstdint>
#include <functional>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVIOContext;
struct AVPacket;

namespace plat::dshow {

// Reads up to `size` bytes at `position`; returns the bytes read, 0 at the end, -1 on error.
using MovieByteReader = std::function<int(std::int64_t position, int size, std::uint8_t* buffer)>;

constexpr std::int64_t kMovieUnitsPerSecond = 10000000;  // 100-ns units

class MovieContainer {
 public:
  MovieContainer(MovieByteReader reader, std::int64_t size) : reader_(std::move(reader)), size_(size) {}
  MovieContainer(const MovieContainer&) = delete;
  MovieContainer& operator=(const MovieContainer&) = delete;
  ~MovieContainer();

  // True when the bytes are one of avi, mov/mp4, matroska/webm, mpeg, mpegts, asf or flv
  // and their streams could be read.
  bool open();
  AVFormatContext* format() const { return format_; }

 private:
  static int readPacket(void* opaque, std::uint8_t* buffer, int size);
  static std::int64_t seekStream(void* opaque, std::int64_t offset, int whence);

  MovieByteReader reader_;
  const std::int64_t size_;
  std::int64_t position_ = 0;
  AVIOContext* io_ = nullptr;
  AVFormatContext* format_ = nullptr;
};

// The next frame of stream `stream` decoded into `frame`, reading packets as needed and
// skipping corrupt ones; at the end of the container the decoder is drained (and
// `*draining` set). False once no frame is left.
bool ReceiveStreamFrame(AVFormatContext* format, AVCodecContext* codec, int stream, AVPacket* packet, AVFrame* frame,
                        bool* draining);

}  // namespace plat::dshow
