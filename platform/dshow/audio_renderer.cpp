// TEMPORARY SEAM (replaced by the audio renderer stand-in that plays through the sound
// stand-in's DirectSound face): the audio renderer takes PCM and drops it, so that
// Render can end an audio branch; it neither plays, nor serves as a clock, nor offers
// IBasicAudio.
#include "platform/dshow/system_filters.h"

namespace plat::dshow {

const CLSID CLSID_AudioRendererStandIn = {0x7E1F2B30, 0x4C6A, 0x4D21, {0x9B, 0x5E, 0x31, 0x0A, 0x62, 0x44, 0xC8, 0x17}};

HRESULT CreateAudioRenderer(IBaseFilter** filter) { return CreatePcmDroppingRenderer(CLSID_AudioRendererStandIn, filter); }

}  // namespace plat::dshow
