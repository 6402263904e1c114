// Encodes the test movies and decodes reference pictures with the codec libraries.
#include "tests/media/movie/ogv_writer.h"

#include <ogg/ogg.h>
#include <theora/theoradec.h>
#include <theora/theoraenc.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstring>

namespace halvorine_test {

namespace {

void appendPage(std::vector<std::uint8_t>* out, const ogg_page& page) {
  out->insert(out->end(), page.header, page.header + page.header_len);
  out->insert(out->end(), page.body, page.body + page.body_len);
}

void flushAll(std::vector<std::uint8_t>* out, ogg_stream_state* os) {
  ogg_page page;
  while (ogg_stream_flush(os, &page) > 0) appendPage(out, page);
}

void pageOut(std::vector<std::uint8_t>* out, ogg_stream_state* os) {
  ogg_page page;
  while (ogg_stream_pageout(os, &page) > 0) appendPage(out, page);
}

struct Vorbis {
  vorbis_info vi;
  vorbis_comment vc;
  vorbis_dsp_state vd;
  vorbis_block vb;
  ogg_stream_state os;
  long written = 0;

  void start(std::vector<std::uint8_t>* out) {
    vorbis_info_init(&vi);
    vorbis_encode_init_vbr(&vi, 2, 44100, 0.1f);
    vorbis_comment_init(&vc);
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_init(&os, 2);
    ogg_packet h, c, b;
    vorbis_analysis_headerout(&vd, &vc, &h, &c, &b);
    ogg_stream_packetin(&os, &h);
    flushAll(out, &os);  // the first page of every stream comes before any other page
    ogg_stream_packetin(&os, &c);
    ogg_stream_packetin(&os, &b);
  }
  void samples(long count, bool last) {
    if (count > 0) {
      float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(count));
      for (long i = 0; i < count; ++i) {
        const float v = 0.25f * std::sin(2 * 3.14159265f * 440.0f * float(written + i) / 44100.0f);
        buffer[0][i] = buffer[1][i] = v;
      }
      vorbis_analysis_wrote(&vd, static_cast<int>(count));
      written += count;
    }
    if (last) vorbis_analysis_wrote(&vd, 0);
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet p;
      while (vorbis_bitrate_flushpacket(&vd, &p)) ogg_stream_packetin(&os, &p);
    }
  }
  void end() {
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
  }
};

std::uint8_t pattern(int x, int y, int frame, int plane) {
  switch (plane) {
    case 0: return static_cast<std::uint8_t>(16 + ((x * 3 + y * 2 + frame * 7) % 220));
    case 1: return static_cast<std::uint8_t>(40 + ((x * 5 + frame * 11) % 180));
    default: return static_cast<std::uint8_t>(40 + ((y * 4 + x + frame * 13) % 180));
  }
}

}  // namespace

std::vector<std::uint8_t> MakeOgv(const OgvOptions& o) {
  th_info info;
  th_info_init(&info);
  info.pic_width = o.width;
  info.pic_height = o.height;
  info.pic_x = o.picX;
  info.pic_y = o.picY;
  info.frame_width = (o.width + o.picX + 15) & ~15;
  info.frame_height = (o.height + o.picY + 15) & ~15;
  info.fps_numerator = o.fpsNumerator;
  info.fps_denominator = o.fpsDenominator;
  info.aspect_numerator = info.aspect_denominator = 1;
  info.colorspace = TH_CS_UNSPECIFIED;
  info.pixel_fmt = o.format;
  info.quality = 48;
  info.target_bitrate = 0;
  info.keyframe_granule_shift = 6;
  th_enc_ctx* enc = th_encode_alloc(&info);
  ogg_uint32_t interval = static_cast<ogg_uint32_t>(o.keyEvery);
  th_encode_ctl(enc, TH_ENCCTL_SET_KEYFRAME_FREQUENCY_FORCE, &interval, sizeof(interval));

  std::vector<std::uint8_t> out;
  ogg_stream_state os;
  ogg_stream_init(&os, 1);
  th_comment comment;
  th_comment_init(&comment);
  ogg_packet packet;
  bool first = true;
  Vorbis vorbis;
  while (th_encode_flushheader(enc, &comment, &packet) > 0) {
    ogg_stream_packetin(&os, &packet);
    if (first) {
      flushAll(&out, &os);
      if (o.vorbis) vorbis.start(&out);
      first = false;
    }
  }
  flushAll(&out, &os);
  if (o.vorbis) flushAll(&out, &vorbis.os);

  const int xShift = o.format == TH_PF_444 ? 0 : 1;
  const int yShift = o.format == TH_PF_420 ? 1 : 0;
  const int fw = static_cast<int>(info.frame_width), fh = static_cast<int>(info.frame_height);
  std::vector<std::uint8_t> planes[3];
  th_ycbcr_buffer buffer;
  for (int p = 0; p < 3; ++p) {
    const int w = p ? fw >> xShift : fw, h = p ? fh >> yShift : fh;
    planes[p].resize(static_cast<std::size_t>(w) * h);
    buffer[p] = th_img_plane{w, h, w, planes[p].data()};
  }
  const long samplesPerFrame = 44100L * o.fpsDenominator / o.fpsNumerator;
  for (int f = 0; f < o.frames; ++f) {
    for (int p = 0; p < 3; ++p)
      for (int y = 0; y < buffer[p].height; ++y)
        for (int x = 0; x < buffer[p].width; ++x) planes[p][std::size_t(y) * buffer[p].width + x] = pattern(x, y, f, p);
    th_encode_ycbcr_in(enc, buffer);
    while (th_encode_packetout(enc, f == o.frames - 1, &packet) > 0) {
      if (o.gapAfter >= 0 && packet.granulepos >= 0) {
        const ogg_int64_t frame = th_granule_frame(enc, packet.granulepos);
        if (frame > o.gapAfter) {
          // Stamped later (every frame a key frame, so the stamp is the key frame's number).
          const int shift = info.keyframe_granule_shift;
          const ogg_int64_t key = packet.granulepos >> shift, delta = packet.granulepos & ((1 << shift) - 1);
          packet.granulepos = ((key + o.gapFrames) << shift) | delta;
        }
      }
      ogg_stream_packetin(&os, &packet);
    }
    // With a gap every frame gets its own page, so that each carries its stamp.
    if (o.gapAfter >= 0)
      flushAll(&out, &os);
    else
      pageOut(&out, &os);
    if (o.vorbis) {
      vorbis.samples(samplesPerFrame, f == o.frames - 1);
      pageOut(&out, &vorbis.os);
    }
  }
  flushAll(&out, &os);
  if (o.vorbis) {
    flushAll(&out, &vorbis.os);
    vorbis.end();
  }
  ogg_stream_clear(&os);
  th_comment_clear(&comment);
  th_encode_free(enc);
  th_info_clear(&info);
  return out;
}

bool DecodeReference(const std::vector<std::uint8_t>& file, int frame, RefFrame* out) {
  ogg_sync_state sync;
  ogg_sync_init(&sync);
  char* data = ogg_sync_buffer(&sync, static_cast<long>(file.size()));
  std::memcpy(data, file.data(), file.size());
  ogg_sync_wrote(&sync, static_cast<long>(file.size()));
  th_info_init(&out->info);
  th_comment comment;
  th_comment_init(&comment);
  th_setup_info* setup = nullptr;
  th_dec_ctx* dec = nullptr;
  ogg_stream_state os;
  bool haveStream = false, ok = false;
  int seen = -1;
  ogg_page page;
  while (!ok && ogg_sync_pageout(&sync, &page) == 1) {
    if (!haveStream) {
      if (ogg_page_serialno(&page) != 1) continue;
      ogg_stream_init(&os, 1);
      haveStream = true;
    }
    if (ogg_page_serialno(&page) != 1) continue;
    ogg_stream_pagein(&os, &page);
    ogg_packet packet;
    while (!ok && ogg_stream_packetout(&os, &packet) == 1) {
      if (dec == nullptr) {
        if (th_decode_headerin(&out->info, &comment, &setup, &packet) > 0) continue;
        dec = th_decode_alloc(&out->info, setup);
      }
      th_decode_packetin(dec, &packet, nullptr);
      if (++seen == frame) {
        th_ycbcr_buffer b;
        th_decode_ycbcr_out(dec, b);
        std::vector<std::uint8_t>* dest[3] = {&out->y, &out->cb, &out->cr};
        for (int p = 0; p < 3; ++p) {
          dest[p]->resize(std::size_t(b[p].width) * b[p].height);
          for (int y = 0; y < b[p].height; ++y)
            std::memcpy(dest[p]->data() + std::size_t(y) * b[p].width, b[p].data + std::ptrdiff_t(y) * b[p].stride,
                        b[p].width);
        }
        out->yWidth = b[0].width, out->yHeight = b[0].height;
        out->cWidth = b[1].width, out->cHeight = b[1].height;
        ok = true;
      }
    }
  }
  if (dec) th_decode_free(dec);
  th_setup_free(setup);
  th_comment_clear(&comment);
  if (haveStream) ogg_stream_clear(&os);
  ogg_sync_clear(&sync);
  return ok;
}

std::vector<std::uint8_t> ReferenceARGB(const RefFrame& f, bool useFloat) {
  const int w = static_cast<int>(f.info.pic_width), h = static_cast<int>(f.info.pic_height);
  const int px = static_cast<int>(f.info.pic_x), py = static_cast<int>(f.info.pic_y);
  const int xs = f.yWidth > f.cWidth ? 1 : 0, ys = f.yHeight > f.cHeight ? 1 : 0;
  std::vector<std::uint8_t> out(std::size_t(w) * h * 4);
  auto clampTo = [](long v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int Y = f.y[std::size_t(y + py) * f.yWidth + x + px];
      const std::size_t c = std::size_t((y + py) >> ys) * f.cWidth + ((x + px) >> xs);
      const int U = f.cb[c], V = f.cr[c];
      std::uint8_t* o = &out[(std::size_t(y) * w + x) * 4];
      if (useFloat) {
        const double l = 1.164 * (Y - 16);
        o[0] = clampTo(long(l + 2.018 * (U - 128)));
        o[1] = clampTo(long(l - 0.391 * (U - 128) - 0.813 * (V - 128)));
        o[2] = clampTo(long(l + 1.596 * (V - 128)));
      } else {
        const long l = 19070L * (Y - 16);
        o[0] = clampTo((l + 33062L * (U - 128)) >> 14);
        o[1] = clampTo((l - 6406L * (U - 128) - 13320L * (V - 128)) >> 14);
        o[2] = clampTo((l + 26148L * (V - 128)) >> 14);
      }
      o[3] = 255;
    }
  return out;
}

}  // namespace halvorine_test
