// The movie renderer filter: which video types it takes, how it lays out and makes its
// frame buffers, and how each sample gets into them on the streaming thread.
#include "media/dshow/movie_render.h"

#include <cstring>
#include <new>

#include "media/base/memory.h"
#include "media/graphics/hardware.h"
#include "media/graphics/image/yuv.h"
#include "media/graphics/pixel_format.h"

namespace ZaDod {

namespace pw = plat::win;
using pw::E_FAIL;
using pw::E_INVALIDARG;
using pw::E_OUTOFMEMORY;
using pw::E_POINTER;
using pw::S_OK;

const CLSID CLSID_D_MovieRender = {0x71771540, 0x2017, 0x11CF, {0xAE, 0x26, 0x00, 0x20, 0xAF, 0xD7, 0x97, 0x67}};

namespace {

constexpr DWORD fourCC(char a, char b, char c, char d) {
  return DWORD(BYTE(a)) | DWORD(BYTE(b)) << 8 | DWORD(BYTE(c)) << 16 | DWORD(BYTE(d)) << 24;
}

// Frames past this size in either direction are refused: the buffer sizes stay far
// from overflow whatever the format block says.
constexpr LONG kMaxSide = 16384;

using Converter = int (*)(const void*, int, int, BaseImage*);
using Splitter = int (*)(const void*, int, int, void*, void*);

struct YUVFormat {
  Converter toXRGB;
  Splitter toPlanes;
};

// Indexed by kind - 2.
constexpr YUVFormat kYUVFormats[] = {
    {ConvertYV12ToARGB8, ConvertYV12ToYUVBuffers}, {ConvertNV12ToARGB8, ConvertNV12ToYUVBuffers},
    {ConvertYUY2ToARGB8, ConvertYUY2ToYUVBuffers}, {ConvertUYVYToARGB8, ConvertUYVYToYUVBuffers},
    {ConvertYVYUToARGB8, ConvertYVYUToYUVBuffers}, {ConvertNV11ToARGB8, ConvertNV11ToYUVBuffers},
};

const D_VIDEOINFOHEADER* videoInfo(const D_AM_MEDIA_TYPE* type) {
  return reinterpret_cast<const D_VIDEOINFOHEADER*>(type->pbFormat);
}

}  // namespace

D_CMovieRender* D_CMovieRender::Create(D_IUnknown* outer, HRESULT* result) {
  HRESULT hr = S_OK;
  auto* renderer = new (std::nothrow) D_CMovieRender(outer, &hr);
  if (renderer == nullptr) hr = E_OUTOFMEMORY;
  else if (hr < 0) {
    delete renderer;
    renderer = nullptr;
  }
  if (result != nullptr) *result = hr;
  return renderer;
}

D_CMovieRender::D_CMovieRender(D_IUnknown* outer, HRESULT* result)
    : D_CBaseVideoRenderer(CLSID_D_MovieRender, nullptr, outer, result) {}

D_CMovieRender::~D_CMovieRender() {
  std::lock_guard hold(m_FrameLock);
  DropHeldSample();
  FreeBuffers(m_Buffers);
  for (Buffers& old : m_Retired) FreeBuffers(old);
  m_Retired.clear();
}

HRESULT D_CMovieRender::CheckMediaType(const D_AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  if (type->formattype != D_FORMAT_VideoInfo) return E_INVALIDARG;
  // A format block too short for its header cannot be read.
  if (type->pbFormat == nullptr || type->cbFormat < sizeof(D_VIDEOINFOHEADER)) return E_INVALIDARG;
  if (type->majortype != D_MEDIATYPE_Video) return E_FAIL;
  static const struct {
    GUID subtype;
    int kind;
  } kinds[] = {
      {D_FourCCSubtype(fourCC('N', 'V', '1', '1')), kMovieNV11},
      {D_FourCCSubtype(fourCC('Y', 'V', 'Y', 'U')), kMovieYVYU},
      {D_FourCCSubtype(fourCC('U', 'Y', 'V', 'Y')), kMovieUYVY},
      {D_FourCCSubtype(fourCC('Y', 'U', 'Y', '2')), kMovieYUY2},
      {D_FourCCSubtype(fourCC('N', 'V', '1', '2')), kMovieNV12},
      {D_FourCCSubtype(fourCC('Y', 'V', '1', '2')), kMovieYV12},
      {D_MEDIASUBTYPE_RGB32, kMovieRGB32},
      {D_MEDIASUBTYPE_RGB24, kMovieRGB24},
  };
  for (const auto& entry : kinds) {
    if (type->subtype != entry.subtype) continue;
    const plat::win::BITMAPINFOHEADER& bmi = videoInfo(type)->bmiHeader;
    if (bmi.biWidth <= 0 || bmi.biWidth > kMaxSide || bmi.biHeight == 0 || bmi.biHeight > kMaxSide ||
        bmi.biHeight < -kMaxSide)
      return E_FAIL;
    m_FormatKind = entry.kind;
    return S_OK;
  }
  return E_FAIL;
}

HRESULT D_CMovieRender::SetMediaType(const D_AM_MEDIA_TYPE* type) {
  // The type passed CheckMediaType, which set the kind and vetted the header.
  const plat::win::BITMAPINFOHEADER& bmi = videoInfo(type)->bmiHeader;
  std::lock_guard hold(m_FrameLock);
  // A kept frame is converted in the layout it came in.
  SettleHeldSample();
  m_Width = bmi.biWidth;
  m_BottomUp = bmi.biHeight >= 0;
  m_Height = bmi.biHeight < 0 ? -bmi.biHeight : bmi.biHeight;
  m_YUVConversion = false;
  m_NoPlanarOutput = false;
  m_LumaWidth = m_LumaHeight = m_LumaPitch = 0;
  m_ChromaWidth = m_ChromaHeight = m_ChromaPitch = 0;
  const int kind = m_FormatKind;
  switch (kind) {
    case kMovieRGB24: m_Pitch = (m_Width * 3 + 3) / 4 * 4; break;
    case kMovieRGB32: m_Pitch = m_Width * 4; break;
    default:
      m_BottomUp = false;
      m_YUVConversion = true;
      m_Pitch = m_Width * 4;
      m_NoPlanarOutput = Graphics_Hardware_GetShaderModelVersion() < 200;
      m_LumaWidth = m_Width;
      m_LumaHeight = m_Height;
      m_LumaPitch = m_Width;
      m_ChromaWidth = m_Width / 2;
      m_ChromaHeight = kind == kMovieYV12 || kind == kMovieNV12 ? m_Height / 2 : m_Height;
      m_ChromaPitch = m_Width & ~1;
      if (kind == kMovieNV11) {
        m_ChromaWidth = m_Width / 4;
        m_ChromaPitch = (m_Width / 2) & ~1;
      }
      break;
  }
  // The main thread may still show the old frame: those buffers go at its next read.
  if (m_Buffers.frame != nullptr || m_Buffers.planar != nullptr) m_Retired.push_back(m_Buffers);
  m_Buffers = Buffers{};
  m_MediaTypeSet = true;
  MakeBuffers();
  m_NewFrame.store(0, std::memory_order_relaxed);
  return S_OK;
}

void D_CMovieRender::MakeBuffers() {
  if (!m_MediaTypeSet) return;
  const bool planar = m_YUVConversion && !m_NoPlanarOutput;
  if (m_Buffers.frame == nullptr) {
    m_Buffers.frame = static_cast<BYTE*>(MemAlloc(size_t(m_Pitch) * size_t(m_Height), __FILE__, __LINE__));
  }
  if (m_YUVConversion && !planar && !m_Buffers.hasColorImage && m_Buffers.frame != nullptr) {
    // The converters write straight into the frame buffer through an XRGB image over it.
    BaseImage& image = m_Buffers.colorImage;
    std::memset(&image, 0, sizeof image);
    CreateXRGB8ColorData(&image.format);
    image.width = m_Width;
    image.height = m_Height;
    image.pitch = m_Pitch;
    image.pixels = m_Buffers.frame;
    m_Buffers.hasColorImage = true;
  }
  if (planar && m_Buffers.planar == nullptr) {
    const size_t bytes = size_t(m_ChromaPitch) * size_t(m_ChromaHeight) + size_t(m_LumaHeight) * size_t(m_LumaPitch);
    m_Buffers.planar = static_cast<BYTE*>(MemAlloc(bytes, __FILE__, __LINE__));
  }
}

void D_CMovieRender::FreeBuffers(Buffers& buffers) {
  if (buffers.frame != nullptr) MemFree(buffers.frame);
  if (buffers.planar != nullptr) MemFree(buffers.planar);
  buffers = Buffers{};
}

size_t D_CMovieRender::NeededSampleBytes() const {
  const size_t w = size_t(m_Width), h = size_t(m_Height);
  switch (m_FormatKind.load()) {
    case kMovieRGB24:
    case kMovieRGB32: return size_t(m_Pitch) * h;
    case kMovieYV12: return w * h + (w * h) / 4 + (w / 2) * (h / 2);
    case kMovieNV12: return w * h + w * (h / 2);
    case kMovieNV11: return w * h + (w / 2) * h;
    default: return w * h * 2;  // the packed 4:2:2 kinds
  }
}

HRESULT D_CMovieRender::DoRenderSample(D_IMediaSample* sample) {
  if (sample == nullptr) return E_POINTER;
  const bool canHold = m_YUVConversion && CanHoldSample();
  std::lock_guard hold(m_FrameLock);
  MakeBuffers();
  BYTE* data = nullptr;
  if (sample->GetPointer(&data) < 0 || data == nullptr) return S_OK;
  // A sample shorter than its format would make the copy read past it: skip it.
  const LONG actual = sample->GetActualDataLength();
  if (actual < 0 || size_t(actual) < NeededSampleBytes()) return S_OK;
  if (m_Buffers.frame == nullptr && m_Buffers.planar == nullptr) return S_OK;
  if (m_YUVConversion) {
    if (m_Buffers.planar == nullptr && !m_Buffers.hasColorImage) return S_OK;
    // The frame before, if nobody read it, is never converted.
    DropHeldSample();
    sample->AddRef();
    m_HeldSample = sample;
    m_HeldData = data;
    m_HeldKind = m_FormatKind;
    if (!canHold) SettleHeldSample();
    m_NewFrame.store(1, std::memory_order_release);
    return S_OK;
  }
  if (m_BottomUp) {
    const size_t pitch = size_t(m_Pitch);
    const BYTE* source = data;
    for (int row = m_Height - 1; row >= 0; --row, source += pitch)
      std::memcpy(m_Buffers.frame + pitch * size_t(row), source, pitch);
  } else {
    std::memcpy(m_Buffers.frame, data, size_t(m_Pitch) * size_t(m_Height));
  }
  m_NewFrame.store(1, std::memory_order_release);
  return S_OK;
}

void D_CMovieRender::SettleHeldSample() {
  if (m_HeldSample == nullptr) return;
  const YUVFormat& format = kYUVFormats[m_HeldKind - kMovieYV12];
  if (m_Buffers.planar != nullptr) {
    BYTE* chroma = m_Buffers.planar + size_t(m_LumaHeight) * size_t(m_LumaPitch);
    format.toPlanes(m_HeldData, m_LumaWidth, m_LumaHeight, m_Buffers.planar, chroma);
  } else if (m_Buffers.hasColorImage) {
    format.toXRGB(m_HeldData, m_Width, m_Height, &m_Buffers.colorImage);
  }
  DropHeldSample();
}

void D_CMovieRender::DropHeldSample() {
  if (m_HeldSample == nullptr) return;
  m_HeldSample->Release();
  m_HeldSample = nullptr;
  m_HeldData = nullptr;
}

bool D_CMovieRender::CanHoldSample() {
  D_IMemAllocator* allocator = m_pInputPin != nullptr ? m_pInputPin->Allocator() : nullptr;
  if (allocator == nullptr) return true;  // samples handed in directly, not streamed
  D_ALLOCATOR_PROPERTIES properties{};
  return allocator->GetProperties(&properties) == S_OK && properties.cBuffers >= 2;
}

HRESULT D_CMovieRender::BreakConnect() {
  {
    std::lock_guard hold(m_FrameLock);
    SettleHeldSample();
  }
  return D_CBaseVideoRenderer::BreakConnect();
}

bool D_CMovieRender::BeginFrameRead(D_MovieFrameView* view) {
  m_FrameLock.lock();
  for (Buffers& old : m_Retired) FreeBuffers(old);
  m_Retired.clear();
  SettleHeldSample();
  view->kind = m_FormatKind;
  view->width = m_Width;
  view->height = m_Height;
  view->pitch = m_Pitch;
  view->bottomUp = m_BottomUp;
  view->yuvConversion = m_YUVConversion;
  view->frame = m_Buffers.frame;
  view->luma = m_Buffers.planar;
  view->chroma = m_Buffers.planar != nullptr ? m_Buffers.planar + size_t(m_LumaHeight) * size_t(m_LumaPitch) : nullptr;
  view->lumaWidth = m_LumaWidth;
  view->lumaHeight = m_LumaHeight;
  view->lumaPitch = m_LumaPitch;
  view->chromaWidth = m_ChromaWidth;
  view->chromaHeight = m_ChromaHeight;
  view->chromaPitch = m_ChromaPitch;
  return m_NewFrame.exchange(0, std::memory_order_acquire) != 0;
}

void D_CMovieRender::EndFrameRead() { m_FrameLock.unlock(); }

}  // namespace ZaDod
