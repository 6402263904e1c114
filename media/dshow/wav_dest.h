// The WAV destination filter of the DirectShow class library: PCM in, a RIFF WAVE byte
// stream out, each sample stamped with its byte position in the file and the header
// written in front of the data through the writer's IStream when streaming stops.
#pragma once
#include "media/dshow/transform.h"

namespace ZaDod {

extern const CLSID CLSID_D_WavDest;

class D_CWavDestOutputPin : public D_CTransformOutputPin {
 public:
  D_CWavDestOutputPin(D_CTransformFilter* filter, HRESULT* result);
  HRESULT EnumMediaTypes(D_IEnumMediaTypes** types) override { return D_CBasePin::EnumMediaTypes(types); }
  // Only MEDIATYPE_Stream / MEDIASUBTYPE_WAVE; anything else S_FALSE.
  HRESULT CheckMediaType(const D_AM_MEDIA_TYPE* type) override;
};

class D_CWavDestFilter : public D_CTransformFilter {
 public:
  // Null (the result left as it was) when there is no memory.
  static D_CWavDestFilter* CreateInstance(D_IUnknown* outer, HRESULT* result);

  HRESULT Transform(D_IMediaSample* in, D_IMediaSample* out) override;
  HRESULT CheckInputType(const D_AM_MEDIA_TYPE* type) override;
  HRESULT CheckTransform(const D_AM_MEDIA_TYPE* in, const D_AM_MEDIA_TYPE* out) override;
  HRESULT DecideBufferSize(D_IMemAllocator* allocator, D_ALLOCATOR_PROPERTIES* properties) override;
  HRESULT GetMediaType(int position, D_AM_MEDIA_TYPE* type) override;
  HRESULT StartStreaming() override;
  HRESULT StopStreaming() override;
  HRESULT CompleteConnect(D_PIN_DIRECTION, D_IPin*) override { return plat::win::S_OK; }
  HRESULT Receive(D_IMediaSample* sample) override;

 private:
  D_CWavDestFilter(D_IUnknown* outer, HRESULT* result);

  std::uint32_t m_cbWavData = 0;
  std::uint32_t m_cbHeader = 0;
};

// The library's class-factory table: the WAV destination is its one entry, kept for
// completeness; nothing reads it.
struct D_CFactoryTemplate {
  const WCHAR* name;
  const CLSID* clsid;
  D_CUnknown* (*create)(D_IUnknown* outer, HRESULT* result);
  void (*init)(BOOL loading, const CLSID* clsid);
  const D_AMOVIESETUP_FILTER* setup;
};

extern const D_CFactoryTemplate g_Templates[];
extern const int g_cTemplates;

}  // namespace ZaDod
