// The platform's own filters: the null renderer and the asynchronous file source.
#pragma once
#include <cstddef>

#include "platform/dshow/interfaces.h"

namespace plat::dshow {

HRESULT CreateNullRenderer(IBaseFilter** filter);
// A null renderer under another class id that takes only PCM audio.
HRESULT CreatePcmDroppingRenderer(const CLSID& clsid, IBaseFilter** filter);

// The audio renderer: takes PCM audio; registered so that Render ends audio branches
// in it.
extern const CLSID CLSID_AudioRendererStandIn;
HRESULT CreateAudioRenderer(IBaseFilter** filter);

// The stream subtype a file source names for content starting with these bytes: an ID3
// tag or an MPEG audio frame header gives MEDIASUBTYPE_MPEG1Audio, anything else
// MEDIASUBTYPE_GenericStream.
GUID ProbeStreamSubtype(const BYTE* data, size_t size);

// A file source over the file at path ('\\' and '/' both separate), with one output pin
// "Output" offering MEDIATYPE_Stream and IAsyncReader. Fails with VFW_E_FILE_NOT_FOUND
// when the file cannot be opened.
HRESULT CreateAsyncFileSource(const WCHAR* path, IBaseFilter** filter);

// The MPEG audio decoder filter: input "In" takes MEDIATYPE_Stream /
// MEDIASUBTYPE_MPEG1Audio from a pin offering IAsyncReader, output "Out" gives 16-bit PCM
// (MEDIATYPE_Audio / MEDIASUBTYPE_PCM / FORMAT_WaveFormatEx) at the first frame's rate
// and channels. It is in the filter registry from the start, at MERIT_NORMAL.
extern const CLSID CLSID_MpegAudioDecoderStandIn;
HRESULT CreateMpegAudioDecoder(IBaseFilter** filter);

}  // namespace plat::dshow
