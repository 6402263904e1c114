// The movie renderer filter: the last filter of a DirectShow movie graph. It takes
// uncompressed video in eight formats and keeps the newest frame in buffers that the
// main thread reads: packed (YUV converted to 32-bit XRGB) or, for the shader path,
// as a luma plane and an interleaved chroma plane. A YUV frame is converted when it is
// read: until then the renderer keeps the sample it came in, so frames nobody reads
// cost no conversion.
#pragma once
#include <atomic>
#include <mutex>
#include <vector>

#include "media/dshow/video_renderer.h"
#include "media/graphics/base_image.h"

namespace ZaDod {

extern const CLSID CLSID_D_MovieRender;

// Format kinds, in the order the media subtypes are numbered.
enum D_MovieFormatKind : int {
  kMovieRGB24 = 0,
  kMovieRGB32 = 1,
  kMovieYV12 = 2,
  kMovieNV12 = 3,
  kMovieYUY2 = 4,
  kMovieUYVY = 5,
  kMovieYVYU = 6,
  kMovieNV11 = 7,
};

// What the main thread sees of the newest frame. Pointers stay valid until the
// BeginFrameRead after the next format change.
struct D_MovieFrameView {
  int kind;
  int width, height, pitch;
  bool bottomUp;       // the rows came last row first (already turned over in `frame`)
  bool yuvConversion;  // a YUV format
  const BYTE* frame;   // packed: pitch x height bytes; null when the buffer could not be made
  const BYTE* luma;    // planar output, or null
  const BYTE* chroma;
  int lumaWidth, lumaHeight, lumaPitch;
  int chromaWidth, chromaHeight, chromaPitch;
};

class D_CMovieRender : public D_CBaseVideoRenderer {
 public:
  // A new renderer without references; null when it cannot be made (result E_OUTOFMEMORY).
  static D_CMovieRender* Create(D_IUnknown* outer, HRESULT* result);
  ~D_CMovieRender() override;

  HRESULT CheckMediaType(const D_AM_MEDIA_TYPE* type) override;
  HRESULT SetMediaType(const D_AM_MEDIA_TYPE* type) override;
  HRESULT DoRenderSample(D_IMediaSample* sample) override;
  // A kept sample is converted and let go before the pin disconnects, so its allocator
  // gets every buffer back. Across a stop or a flush it stays: it is still the newest
  // frame, and the allocator lets its buffers go once it comes back.
  HRESULT BreakConnect() override;

  // Main thread. Holds the frame lock until EndFrameRead, so the streaming thread does
  // not write the frame being read; frees the buffers a format change replaced (the
  // caller has let go of them by asking again). True when a frame arrived since the
  // last call, which clears the new-frame flag.
  bool BeginFrameRead(D_MovieFrameView* view);
  void EndFrameRead();
  // The new-frame flag, read with acquire: the frame's pixels are visible once it is set.
  bool HasNewFrame() const { return m_NewFrame.load(std::memory_order_acquire) != 0; }
  int FormatKind() const { return m_FormatKind; }

 private:
  D_CMovieRender(D_IUnknown* outer, HRESULT* result);

  // One generation of buffers: replaced whole by a format change.
  struct Buffers {
    BYTE* frame = nullptr;
    BYTE* planar = nullptr;
    BaseImage colorImage{};  // a view onto `frame` for the converters
    bool hasColorImage = false;
  };
  void MakeBuffers();
  void FreeBuffers(Buffers& buffers);
  // Bytes a sample of the current format must hold.
  size_t NeededSampleBytes() const;
  // Converts the kept YUV sample into the buffers and lets it go (frame lock held).
  void SettleHeldSample();
  void DropHeldSample();
  // Whether the connection's allocator has a buffer to spare for the sample kept here:
  // with a single buffer the stream would wait for it forever.
  bool CanHoldSample();

  bool m_MediaTypeSet = false;
  bool m_NoPlanarOutput = false;
  bool m_YUVConversion = false;
  std::atomic<int> m_FormatKind{0};
  std::atomic<int> m_NewFrame{0};
  bool m_BottomUp = false;
  int m_Width = 0, m_Height = 0, m_Pitch = 0;
  int m_LumaWidth = 0, m_LumaHeight = 0, m_LumaPitch = 0;
  int m_ChromaWidth = 0, m_ChromaHeight = 0, m_ChromaPitch = 0;
  Buffers m_Buffers;
  // The newest YUV sample, not yet converted (a reference of ours), and its bytes.
  D_IMediaSample* m_HeldSample = nullptr;
  const BYTE* m_HeldData = nullptr;
  int m_HeldKind = 0;
  std::vector<Buffers> m_Retired;  // replaced while the main thread may still hold them
  std::mutex m_FrameLock;          // the buffers, the layout and the retired list
};

}  // namespace ZaDod
