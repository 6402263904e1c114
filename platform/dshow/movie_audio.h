// The movie source's sound decoding: the movie's first sound stream decoded and turned
// into 16-bit PCM of one or two channels, in pieces stamped from the stream's timestamps.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio/wave_format.h"
#include "platform/dshow/movie_container.h"

namespace plat::dshow {

class MovieSoundDecoder {
 public:
  // Null unless the bytes are an accepted container holding a sound stream with a
  // decoder. Starts count from `origin` (the picture stream's start, 100-ns units).
  static std::unique_ptr<MovieSoundDecoder> Open(MovieByteReader reader, std::int64_t size, std::int64_t origin);
  virtual ~MovieSoundDecoder() = default;

  // 16-bit PCM at the stream's rate (48000 when the sound output cannot play it), mono
  // streams in one channel, all others mixed down to two.
  virtual const audio::WAVEFORMATEX& format() const = 0;
  // Decodes the next piece into `pcm` (interleaved frames, replacing what it held);
  // `start` is its first frame's time in 100-ns units. Sound before the start of the
  // movie or of a seek's target is cut off. False at the end of the stream.
  virtual bool nextPiece(std::vector<std::int16_t>& pcm, std::int64_t* start) = 0;
  // Goes to `position`: the next piece starts there, or at the first sound after it.
  virtual bool seek(std::int64_t position) = 0;
};

}  // namespace plat::dshow
