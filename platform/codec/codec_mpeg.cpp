// MPEG audio frames decoded by libmpg123 in feed mode: output forced to signed 16-bit
// at the format record's rate and channels, no gapless trimming and no info-frame
// handling, so every frame yields its full sample count. A file whose rate changes
// midway is resampled by the library to the first frame's rate. The library's habit
// of holding the first frame back until a second header confirms it is switched off:
// the callers check the frame headers themselves, and a file of one frame must play.
#include <mpg123.h>

#include <cstring>
#include <mutex>

#include "platform/codec/decoder.h"

namespace plat::codec {

namespace {

class MpegDecoder final : public Decoder {
 public:
  MpegDecoder(mpg123_handle* h, int channels, int frameBytes, int frameSamples)
      : h_(h), channels_(channels), frameBytes_(frameBytes), frameSamples_(frameSamples) {}
  ~MpegDecoder() override { mpg123_delete(h_); }
  std::size_t blockBytes() const override { return 1; }
  void decode(const std::uint8_t* src, std::size_t bytes, std::vector<std::int16_t>& out) override {
    if (bytes > 0 && mpg123_feed(h_, src, bytes) != MPG123_OK) return;
    for (;;) {
      off_t number = 0;
      unsigned char* audio = nullptr;
      std::size_t got = 0;
      const int r = mpg123_decode_frame(h_, &number, &audio, &got);
      if (r == MPG123_NEW_FORMAT) continue;
      if (r != MPG123_OK) break;
      const std::size_t base = out.size();
      out.resize(base + got / 2);
      std::memcpy(out.data() + base, audio, got - got % 2);
    }
  }
  std::uint64_t outputBytes(std::uint64_t bytes) const override {
    const std::uint64_t frames = (bytes + static_cast<std::uint64_t>(frameBytes_) - 1) / frameBytes_;
    return frames * static_cast<std::uint64_t>(frameSamples_ * channels_ * 2);
  }

 private:
  mpg123_handle* h_;
  int channels_, frameBytes_, frameSamples_;
};

}  // namespace

std::unique_ptr<Decoder> makeMpegDecoder(const WAVEFORMATEX* f) {
  if (f->nChannels < 1 || f->nChannels > 2 || f->nSamplesPerSec == 0) return nullptr;
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
  int err = 0;
  mpg123_handle* h = mpg123_new(nullptr, &err);
  if (h == nullptr) return nullptr;
  long flags = MPG123_IGNORE_INFOFRAME | MPG123_QUIET | MPG123_NO_READAHEAD |
               (f->nChannels == 1 ? MPG123_MONO_MIX : MPG123_FORCE_STEREO);
  bool ok = mpg123_param(h, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0) == MPG123_OK &&
            mpg123_param(h, MPG123_ADD_FLAGS, flags, 0) == MPG123_OK &&
            mpg123_format_none(h) == MPG123_OK &&
            mpg123_format(h, static_cast<long>(f->nSamplesPerSec), f->nChannels == 1 ? MPG123_MONO : MPG123_STEREO,
                          MPG123_ENC_SIGNED_16) == MPG123_OK &&
            mpg123_open_feed(h) == MPG123_OK;
  if (!ok) {
    mpg123_delete(h);
    return nullptr;
  }
  int frameBytes = 0;
  if (f->cbSize >= 12) frameBytes = reinterpret_cast<const MPEGLAYER3WAVEFORMAT*>(f)->nBlockSize;
  if (frameBytes <= 0) frameBytes = static_cast<int>(f->nAvgBytesPerSec / 38 + 1);
  const int frameSamples = f->nSamplesPerSec >= 32000 ? 1152 : 576;
  return std::make_unique<MpegDecoder>(h, f->nChannels, frameBytes, frameSamples);
}

}  // namespace plat::codec
