// Frames per second of a DirectShow movie graph (movie source to the movie renderer's
// packed frame, run without a clock) beside libavcodec's own decode loop on the same
// 640x480 H.264 file, the loop `ffmpeg -f null` runs.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "media/dshow/movie_render.h"
#include "media/system/winapi.h"
#include "platform/dshow/interfaces.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

namespace ds = plat::dshow;
namespace pw = plat::win;

constexpr int kFrames = 50;

// The clip, made once with ffmpeg; empty when that fails.
const std::string& clip() {
  static const std::string path = [] {
    const std::string p = "/tmp/halvorine_bench_movie_dshow.mp4";
    const std::string command = "ffmpeg -v error -y -f lavfi -i testsrc=size=640x480:rate=25:duration=2 "
                                "-c:v libx264 -pix_fmt yuv420p '" + p + "' </dev/null";
    return std::system(command.c_str()) == 0 ? p : std::string();
  }();
  return path;
}

void BM_DShowGraphToPackedFrame(benchmark::State& state) {
  if (clip().empty()) return state.SkipWithError("ffmpeg could not make the clip");
  ZaDod::LoadWinAPI();
  std::u16string path = u"C:";
  for (char c : clip()) path += c == '/' ? u'\\' : static_cast<char16_t>(c);
  for (auto _ : state) {
    void* made = nullptr;
    if (pw::CoCreateInstance(ds::CLSID_FilterGraph, nullptr, pw::CLSCTX_INPROC_SERVER, ds::IID_IGraphBuilder, &made) !=
        pw::S_OK)
      return state.SkipWithError("no filter graph");
    auto* graph = static_cast<ds::IGraphBuilder*>(made);
    pw::HRESULT hr = pw::S_OK;
    ZaDod::D_CMovieRender* renderer = ZaDod::D_CMovieRender::Create(nullptr, &hr);
    renderer->AddRef();
    graph->AddFilter(renderer, u"MovieRenderer");
    renderer->Release();
    if (graph->RenderFile(path.c_str(), nullptr) < 0) {
      graph->Release();
      return state.SkipWithError("the clip did not render");
    }
    void* filter = nullptr;
    graph->QueryInterface(ds::IID_IMediaFilter, &filter);
    static_cast<ds::IMediaFilter*>(filter)->SetSyncSource(nullptr);  // as fast as it decodes
    static_cast<ds::IMediaFilter*>(filter)->Release();
    void* control = nullptr;
    void* events = nullptr;
    graph->QueryInterface(ds::IID_IMediaControl, &control);
    graph->QueryInterface(ds::IID_IMediaEvent, &events);
    static_cast<ds::IMediaControl*>(control)->Run();
    ds::LONG code = 0;
    static_cast<ds::IMediaEvent*>(events)->WaitForCompletion(-1, &code);
    static_cast<ds::IMediaControl*>(control)->Stop();
    static_cast<ds::IMediaEvent*>(events)->Release();
    static_cast<ds::IMediaControl*>(control)->Release();
    graph->Release();
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_DShowGraphToPackedFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// The anchor: demux and decode every frame, nothing else.
void BM_LibavcodecDecodeLoop(benchmark::State& state) {
  if (clip().empty()) return state.SkipWithError("ffmpeg could not make the clip");
  for (auto _ : state) {
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, clip().c_str(), nullptr, nullptr) < 0) return state.SkipWithError("open");
    avformat_find_stream_info(format, nullptr);
    const AVCodec* codec = nullptr;
    const int stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(context, format->streams[stream]->codecpar);
    context->thread_count = 1;
    avcodec_open2(context, codec, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    int frames = 0;
    while (av_read_frame(format, packet) >= 0) {
      if (packet->stream_index == stream && avcodec_send_packet(context, packet) == 0)
        while (avcodec_receive_frame(context, frame) == 0) ++frames;
      av_packet_unref(packet);
    }
    avcodec_send_packet(context, nullptr);
    while (avcodec_receive_frame(context, frame) == 0) ++frames;
    benchmark::DoNotOptimize(frames);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    avformat_close_input(&format);
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_LibavcodecDecodeLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
