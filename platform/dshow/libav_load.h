// The movie decoder's functions from libavformat, libavcodec, libswscale, libswresample and libavutil,
// looked up when the first movie is opened rather than linked: with what they pull in
// those are over a hundred shared libraries, whose loading was the largest part of the
// start-up of every program, movie or not.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "platform/dshow/movie_container.h"

namespace plat::dshow {

#define HALVORINE_LIBAV_FUNCTIONS(X)                                                                         \
  X(av_log_set_level) X(av_malloc) X(av_free) X(av_freep) X(av_rescale) X(av_rescale_q) X(av_dict_set)      \
  X(av_dict_free) X(av_frame_alloc) X(av_frame_free) X(av_packet_alloc) X(av_packet_free) X(av_packet_unref) \
  X(avcodec_alloc_context3) X(avcodec_free_context) X(avcodec_parameters_to_context) X(avcodec_open2)        \
  X(avcodec_send_packet) X(avcodec_receive_frame) X(avcodec_flush_buffers) X(avio_alloc_context)             \
  X(avio_context_free) X(avformat_alloc_context) X(avformat_open_input) X(avformat_find_stream_info)         \
  X(avformat_close_input) X(av_find_best_stream) X(av_read_frame) X(av_seek_frame) X(sws_getCachedContext)  \
  X(sws_freeContext) X(sws_scale) X(av_channel_layout_default) X(av_channel_layout_uninit)                  \
  X(swr_alloc_set_opts2) X(swr_convert) X(swr_free) X(swr_get_out_samples) X(swr_init)                     \
  X(avcodec_align_dimensions2) X(avcodec_default_get_buffer2) X(av_buffer_pool_init) X(av_buffer_pool_get)   \
  X(av_buffer_pool_uninit) X(av_buffer_ref) X(av_buffer_unref)

struct Libav {
#define HALVORINE_LIBAV_POINTER(name) decltype(&::name) name;
  HALVORINE_LIBAV_FUNCTIONS(HALVORINE_LIBAV_POINTER)
#undef HALVORINE_LIBAV_POINTER
};

// Opens the libraries once; null (then and every time after) when one of them or one
// of the functions is missing, so that no movie opens.
const Libav* LoadLibav();

// The loaded functions, for code that runs only once LoadLibav has found them.
inline const Libav* lib() { return LoadLibav(); }

// The movie clock's 100-ns units as a time base of the libraries.
constexpr AVRational kMovieTimeBase = {1, int(kMovieUnitsPerSecond)};

}  // namespace plat::dshow
