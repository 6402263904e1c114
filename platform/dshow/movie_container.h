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

// The best stream of one kind (an AVMediaType) in its own container, with its decoder.
// The members are public for the picture and sound decoders built on it.
struct MovieStreamDecoder {
  MovieStreamDecoder(MovieByteReader reader, std::int64_t size) : container(std::move(reader), size) {}
  MovieStreamDecoder(const MovieStreamDecoder&) = delete;
  MovieStreamDecoder& operator=(const MovieStreamDecoder&) = delete;
  ~MovieStreamDecoder();

  // Opens the container and the decoder of its best stream of `kind`.
  bool open(int kind);
  // The next frame into `frame`, reading packets as needed and skipping corrupt ones; at
  // the end of the container the decoder is drained. False once no frame is left.
  bool receive();
  // Goes to the key frame at or before `target` (stream time base), or to the start of
  // the bytes when the container cannot seek by time; the decoder starts afresh.
  bool seek(std::int64_t target);

  MovieContainer container;
  AVFormatContext* format = nullptr;  // the container's
  AVCodecContext* codec = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  int index = -1;  // the stream's
  bool draining = false;
};

}  // namespace plat::dshow
