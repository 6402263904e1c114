// The movie source's decoding side: a movie container read through a byte-reading
// callback, its first video stream decoded frame by frame and converted into the
// uncompressed layouts the source's video pin offers.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/dshow/movie_container.h"

namespace plat::dshow {

// The layouts of a delivered frame, in the order the video pin offers them.
enum class MovieLayout : int { YV12, NV12, YUY2, UYVY, RGB32, RGB24 };
constexpr int kMovieLayoutCount = 6;

class MovieDecoder {
 public:
  // Null unless the bytes are one of the accepted containers (avi, mov/mp4,
  // matroska/webm, mpeg, mpegts, asf, flv) holding a video stream with a decoder.
  // `inPlace` lets the decoder decode into blocks in the YV12 layout where the
  // picture's size allows it (off: every frame is converted, as a reference to compare).
  static std::unique_ptr<MovieDecoder> Open(MovieByteReader reader, std::int64_t size, bool inPlace = true);
  virtual ~MovieDecoder() = default;

  virtual int width() const = 0;
  virtual int height() const = 0;
  virtual std::int64_t duration() const = 0;       // 100-ns units, 0 when unknown
  virtual std::int64_t frameDuration() const = 0;  // 100-ns units
  // The stream time of the movie's start in 100-ns units: frame starts count from it,
  // and so do the starts of the sound decoded beside it.
  virtual std::int64_t origin() const = 0;
  // Whether the container holds a sound stream at all: without one, no sound decoder
  // need open the file a second time to find that out.
  virtual bool hasSoundStream() const = 0;
  // Decodes the next frame; its start in 100-ns units from the start of the movie.
  // False at the end of the stream or on an error that ends it.
  virtual bool nextFrame(std::int64_t* start) = 0;
  // Writes the last decoded frame in `layout` (RGB rows last row first); `bytes` must
  // hold FrameBytes(layout).
  virtual void convert(MovieLayout layout, std::uint8_t* bytes) = 0;
  // The last decoded frame when the decoder decoded it straight into one block in the
  // YV12 layout (the bytes convert would write): the block's frameBytes(YV12) bytes,
  // kept alive by the pointer whatever the decoder does next. Null otherwise (the frame
  // is converted). The decoder keeps a block it still refers to; a block is used again
  // only once the decoder and every holder of such a pointer are done with it.
  virtual std::shared_ptr<const std::uint8_t> framePictureInPlace() = 0;
  // Goes to the frame at or before `position`; frames before it are decoded and skipped
  // by nextFrame, so the next frame is the one shown at `position`.
  virtual bool seek(std::int64_t position) = 0;

  std::size_t frameBytes(MovieLayout layout) const;
  int pitch(MovieLayout layout) const;  // bytes of the first plane's row
};

}  // namespace plat::dshow
