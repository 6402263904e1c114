// The platform's own filters: the null renderer and the asynchronous file source.
#pragma once
#include <cstddef>

#include "platform/dshow/interfaces.h"

namespace plat::dshow {

HRESULT CreateNullRenderer(IBaseFilter** filter);

// The audio renderer: plays PCM of 1 or 2 channels, 8 or 16 bits, through the sound
// stand-in; offers IReferenceClock and IBasicAudio; registered so that Render ends audio
// branches in it. Its DirectSound device and buffer are made when it first leaves the
// stopped state on a connection; when they cannot be made, that state change fails with
// their error.
extern const CLSID CLSID_AudioRendererStandIn;
HRESULT CreateAudioRenderer(IBaseFilter** filter);
// For tests: the frames played and queued in all since the renderer left the stopped
// state (false for any other filter).
bool AudioRendererCountsForTest(IBaseFilter* filter, LONGLONG* played, LONGLONG* written);

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

// The movie source: input "In" takes MEDIATYPE_Stream / MEDIASUBTYPE_GenericStream from a
// pin offering IAsyncReader and opens avi, mov/mp4, matroska/webm, mpeg, mpegts, asf and
// flv files with a video stream; output "Video" offers YV12, NV12, YUY2, UYVY, RGB32 and
// RGB24 (bottom-up) with a VIDEOINFOHEADER and answers IMediaSeeking; a movie with sound
// also shows output "Audio", offering 16-bit PCM of one or two channels. In the filter
// registry from the start, at MERIT_NORMAL.
extern const CLSID CLSID_MovieSourceStandIn;
extern const GUID MEDIATYPE_Video;
extern const GUID FORMAT_VideoInfo;
HRESULT CreateMovieSource(IBaseFilter** filter);
// For tests: the layouts the video pin offers, bit i for the i-th of the list above (0: all).
void SetMovieSourceLayoutsForTest(int mask);

}  // namespace plat::dshow
