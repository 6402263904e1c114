// The libraries' own decodes of test files, the references compressed sounds are
// checked against.
#pragma once
#include <mpg123.h>
#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/platform/codec/codec_files.h"

namespace halvorine_test {

// libvorbisfile's own decode of a file, 16-bit.
inline std::vector<std::int16_t> vorbisReference(const std::string& name) {
  OggVorbis_File vf;
  std::vector<std::int16_t> out;
  if (ov_fopen((codecFolder() + "/" + name).c_str(), &vf) != 0) return out;
  char buffer[4096];
  int link = 0;
  for (long r; (r = ov_read(&vf, buffer, sizeof(buffer), 0, 2, 1, &link)) != 0;) {
    if (r < 0) continue;
    out.insert(out.end(), reinterpret_cast<std::int16_t*>(buffer), reinterpret_cast<std::int16_t*>(buffer + r));
  }
  ov_clear(&vf);
  return out;
}

// libmpg123's own decode of MP3 bytes with the stand-in's settings.
inline std::vector<std::int16_t> mpg123Reference(const std::vector<std::uint8_t>& bytes, long rate, int channels) {
  mpg123_init();
  mpg123_handle* h = mpg123_new(nullptr, nullptr);
  mpg123_param(h, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0);
  mpg123_param(h, MPG123_ADD_FLAGS, MPG123_IGNORE_INFOFRAME | MPG123_QUIET, 0);
  mpg123_format_none(h);
  mpg123_format(h, rate, channels == 1 ? MPG123_MONO : MPG123_STEREO, MPG123_ENC_SIGNED_16);
  mpg123_open_feed(h);
  mpg123_feed(h, bytes.data(), bytes.size());
  std::vector<std::int16_t> out;
  std::vector<unsigned char> buffer(1 << 16);
  for (;;) {
    std::size_t got = 0;
    const int r = mpg123_read(h, buffer.data(), buffer.size(), &got);
    out.insert(out.end(), reinterpret_cast<std::int16_t*>(buffer.data()),
               reinterpret_cast<std::int16_t*>(buffer.data() + got));
    if (r != MPG123_OK && r != MPG123_NEW_FORMAT) break;
  }
  mpg123_delete(h);
  return out;
}

}  // namespace halvorine_test
