// Theora movies: frames per second of stepping and converting to ARGB through the
// decoder and its thread, beside libtheora's bare decode loop over the same 640x480
// file; and the table YUV-to-ARGB conversion and the per-pixel float conversion (the
// path without tables) beside the memcpy ceiling of writing the same ARGB frame.
#include <benchmark/benchmark.h>
#include <ogg/ogg.h>
#include <theora/theoradec.h>

#include <cstring>
#include <vector>

#include "media/graphics/base_image.h"
#include "media/movie/theora_movie.h"
#include "media/movie/yuv_tables.h"
#include "tests/media/movie/ogv_writer.h"

using namespace ZaDod;

namespace {

const std::vector<std::uint8_t>& movie640() {
  static const std::vector<std::uint8_t> data = [] {
    halvorine_test::OgvOptions o;
    o.width = 640, o.height = 480, o.frames = 60, o.keyEvery = 30;
    return halvorine_test::MakeOgv(o);
  }();
  return data;
}

void BM_DecoderAdvanceAndConvert(benchmark::State& state) {
  SetupYUVToRGBTables();
  const auto& file = movie640();
  MemStream* stream = MemStreamOpen(file.data(), static_cast<std::uint32_t>(file.size()));
  StreamData source{*GetMemStreamFunctions(), stream};
  TheoraDecoder* movie = TheoraMovie_Open(&source, 20, 0, 0, 0);
  if (movie == nullptr) {
    state.SkipWithError("the movie did not open");
    MemStreamClose(stream);
    return;
  }
  for (auto _ : state) {
    TheoraMovie_AdvanceFrames(movie, 1);
    benchmark::DoNotOptimize(TheoraMovie_UpdateImage(movie, 1, 0, 0, 0));
  }
  state.SetItemsProcessed(state.iterations());
  TheoraMovie_Close(movie);
  MemStreamClose(stream);
}
BENCHMARK(BM_DecoderAdvanceAndConvert)->Unit(benchmark::kMillisecond)->UseRealTime();

// libtheora alone: every packet decoded and its planes taken out, rewinding at the end.
void BM_LibtheoraDecodeLoop(benchmark::State& state) {
  const auto& file = movie640();
  std::vector<ogg_packet> packets;
  std::vector<std::vector<unsigned char>> bodies;
  th_info info;
  th_info_init(&info);
  th_comment comment;
  th_comment_init(&comment);
  th_setup_info* setup = nullptr;
  ogg_sync_state sync;
  ogg_sync_init(&sync);
  char* buffer = ogg_sync_buffer(&sync, static_cast<long>(file.size()));
  std::memcpy(buffer, file.data(), file.size());
  ogg_sync_wrote(&sync, static_cast<long>(file.size()));
  ogg_stream_state os;
  ogg_stream_init(&os, 1);
  ogg_page page;
  while (ogg_sync_pageout(&sync, &page) == 1) {
    if (ogg_page_serialno(&page) != 1) continue;
    ogg_stream_pagein(&os, &page);
    ogg_packet p;
    while (ogg_stream_packetout(&os, &p) == 1) {
      if (th_decode_headerin(&info, &comment, &setup, &p) > 0) continue;
      bodies.emplace_back(p.packet, p.packet + p.bytes);
      packets.push_back(p);
    }
  }
  for (std::size_t i = 0; i < packets.size(); ++i) packets[i].packet = bodies[i].data();
  th_dec_ctx* dec = th_decode_alloc(&info, setup);
  std::size_t next = 0;
  for (auto _ : state) {
    if (next == packets.size()) next = 0;
    th_decode_packetin(dec, &packets[next++], nullptr);
    th_ycbcr_buffer out;
    th_decode_ycbcr_out(dec, out);
    benchmark::DoNotOptimize(out[0].data);
  }
  state.SetItemsProcessed(state.iterations());
  th_decode_free(dec);
  th_setup_free(setup);
  th_comment_clear(&comment);
  th_info_clear(&info);
  ogg_stream_clear(&os);
  ogg_sync_clear(&sync);
}
BENCHMARK(BM_LibtheoraDecodeLoop)->Unit(benchmark::kMillisecond);

struct Planes {
  std::vector<std::uint8_t> luma, chroma, out;
  YUVRegion region{};
  Planes() : luma(640 * 480), chroma(320 * 240 * 2), out(640 * 480 * 4) {
    for (std::size_t i = 0; i < luma.size(); ++i) luma[i] = static_cast<std::uint8_t>(16 + i * 7 % 220);
    for (std::size_t i = 0; i < chroma.size(); ++i) chroma[i] = static_cast<std::uint8_t>(40 + i * 13 % 180);
    region = YUVRegion{luma.data(), 640, chroma.data(), 640, 0, 0, 1, 1, 640, 480};
  }
};

template <void (*Convert)(const YUVRegion&, std::uint8_t*, int)>
void BM_Convert(benchmark::State& state) {
  SetupYUVToRGBTables();
  Planes p;
  for (auto _ : state) {
    Convert(p.region, p.out.data(), 640 * 4);
    benchmark::DoNotOptimize(p.out.data());
  }
  state.counters["Mpixel/s"] = benchmark::Counter(640.0 * 480 * state.iterations() / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Convert<ConvertYUVToARGBTable>)->Name("BM_ConvertTable");
BENCHMARK(BM_Convert<ConvertYUVToARGBFloat>)->Name("BM_ConvertFloatLoop");

// The ceiling: the ARGB frame written by a plain copy of a frame of the same size.
void BM_FrameMemcpyCeiling(benchmark::State& state) {
  Planes p;
  const std::vector<std::uint8_t> frame(p.out.size(), 7);
  for (auto _ : state) {
    std::memcpy(p.out.data(), frame.data(), frame.size());
    benchmark::DoNotOptimize(p.out.data());
  }
  state.counters["Mpixel/s"] = benchmark::Counter(640.0 * 480 * state.iterations() / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FrameMemcpyCeiling);

}  // namespace

BENCHMARK_MAIN();
