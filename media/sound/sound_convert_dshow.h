// The pieces of the converter's filter-graph MP3 path that other code and the tests
// reach: the pin finder and the grabber callback that collects the PCM.
#pragma once
#include "media/dshow/sample_grabber.h"

namespace ZaDod {

// The first pin of `direction` on the filter, with a reference; null when it has none.
D_IPin* GetFilterPinByDirection(D_IBaseFilter* filter, D_PIN_DIRECTION direction);

// Where the callback appends: a MemAlloc'ed block grown by 1 MiB steps. A failed
// growth frees the block and leaves `data` null for the converter to report.
struct Mp3PcmBlock {
  std::uint8_t* data = nullptr;
  std::uint32_t capacity = 0;
  std::uint32_t written = 0;
};

// The grabber callback of the conversion; `user` is the Mp3PcmBlock. Always S_OK.
HRESULT MP3SampleGrabberCallback(D_IMediaSample* sample, D_REFERENCE_TIME* start, D_REFERENCE_TIME* stop,
                                 BOOL typeChanged, void* user);

}  // namespace ZaDod
