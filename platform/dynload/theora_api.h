// libtheoradec, opened when the first Theora movie is rather than linked: it
// pulls in cairo and with it a dozen X11 and drawing libraries. The movie
// decoder includes this header in place of <theora/theoradec.h>.
#pragma once

#include <theora/theoradec.h>

#include "platform/dynload/lazy_library.h"

namespace plat::theora {

#define HALVORINE_THEORA_FUNCTIONS(X) \
  X(th_comment_clear) X(th_comment_init) X(th_decode_alloc) X(th_decode_ctl) X(th_decode_free) \
  X(th_decode_headerin) X(th_decode_packetin) X(th_decode_ycbcr_out) X(th_granule_frame) \
  X(th_info_clear) X(th_info_init) X(th_packet_iskeyframe) X(th_setup_free)

struct Api {
  HALVORINE_THEORA_FUNCTIONS(HALVORINE_LAZY_POINTER)
};

// Filled on first use (lazy_library.h).
extern constinit LazyTable<Api> gApi;
inline const Api& api() { return gApi.get(); }

}  // namespace plat::theora

#ifndef HALVORINE_THEORA_LOADER
#define th_comment_clear (::plat::theora::api().th_comment_clear)
#define th_comment_init (::plat::theora::api().th_comment_init)
#define th_decode_alloc (::plat::theora::api().th_decode_alloc)
#define th_decode_ctl (::plat::theora::api().th_decode_ctl)
#define th_decode_free (::plat::theora::api().th_decode_free)
#define th_decode_headerin (::plat::theora::api().th_decode_headerin)
#define th_decode_packetin (::plat::theora::api().th_decode_packetin)
#define th_decode_ycbcr_out (::plat::theora::api().th_decode_ycbcr_out)
#define th_granule_frame (::plat::theora::api().th_granule_frame)
#define th_info_clear (::plat::theora::api().th_info_clear)
#define th_info_init (::plat::theora::api().th_info_init)
#define th_packet_iskeyframe (::plat::theora::api().th_packet_iskeyframe)
#define th_setup_free (::plat::theora::api().th_setup_free)
#endif
