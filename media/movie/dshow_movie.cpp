// Movies that are not Ogg Theora: a DirectShow filter graph ending in the movie renderer,
// built from the file (or from a temporary copy of a file the platform cannot open by its
// path), its newest frame handed to the movie record, and its loop or end at the stop position.
#include <cstring>
#include <vector>

#include "media/base/log.h"
#include "media/dshow/movie_render.h"
#include "media/file/file_access.h"
#include "media/file/win_file.h"
#include "media/graphics/base_image.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_settings.h"
#include "media/graphics/image/yuv.h"
#include "media/graphics/pixel_format.h"
#include "media/movie/movie.h"
#include "media/sound/sound_handle.h"
#include "media/system/winapi.h"
#include "platform/dshow/interfaces.h"
#include "platform/win/file.h"

namespace ZaDod {

namespace {

namespace ds = plat::dshow;
namespace pw = plat::win;

constexpr std::size_t kPathUnits = 1536;
constexpr std::int64_t kCopyChunk = 1048576;
constexpr std::int64_t kZeroDuration = 166666;

template <class Face>
Face* as(void* p) {
  return static_cast<Face*>(p);
}

template <class Face>
void releaseField(void** field) {
  if (*field != nullptr) as<Face>(*field)->Release();
  *field = nullptr;
}

void releaseInterfaces(MovieHandleRecord* movie) {
  releaseField<ds::IBasicAudio>(&movie->basicAudio);
  releaseField<ds::IMediaSeeking>(&movie->mediaSeeking);
  releaseField<ds::IMediaControl>(&movie->mediaControl);
  releaseField<ds::IGraphBuilder>(&movie->graphBuilder);
  // The graph held the renderer's only other reference.
  movie->renderer = nullptr;
}

D_CMovieRender* rendererOf(MovieHandleRecord* movie) { return static_cast<D_CMovieRender*>(movie->renderer); }

void releaseOwnedFrame(MovieHandleRecord* movie) {
  if (movie->frameImage.pixels != nullptr && !movie->pixelsBorrowed) ReleaseBaseImage(&movie->frameImage);
  movie->frameImage.pixels = nullptr;
}

// The frame image over the renderer's packed buffer, its format by the format kind.
void takeFrame(MovieHandleRecord* movie, const D_MovieFrameView& view) {
  releaseOwnedFrame(movie);
  BaseImage& image = movie->frameImage;
  image.width = view.width;
  image.height = view.height;
  image.pitch = view.pitch;
  image.pixels = const_cast<BYTE*>(view.frame);
  image.mipCount = 0;
  image.imageCount = 0;
  movie->pixelsBorrowed = 1;
  if (view.kind == kMovieRGB24)
    CreateFullColorData(&image.format);
  else if (view.kind == kMovieRGB32 && movie->useAlpha)
    CreateARGB8ColorData(&image.format);
  else
    CreateXRGB8ColorData(&image.format);
  movie->currentImage = &image;
}

// Whether the plane's graph is there at the plane's size.
bool planeGraphFits(int handle, int width, int height) {
  const GraphData* graph = handle != -1 ? GetGraphData(handle) : nullptr;
  return graph != nullptr && graph->area.width == width && graph->area.height == height;
}

bool planeGraphsFit(const MovieHandleRecord* movie, const D_MovieFrameView& view) {
  return planeGraphFits(movie->lumaGraph, view.lumaWidth, view.lumaHeight) &&
         planeGraphFits(movie->chromaGraph, view.chromaWidth, view.chromaHeight);
}

// A graph of one plane: 32 colour bits, no alpha, `channels` channels of 8 bits, from
// the current graph settings. Its delete flag is the record's field, so a graph deleted
// elsewhere is made again and the movie never names a dead handle. One of another size
// (the format changed) is replaced.
void makePlaneGraph(int* field, int width, int height, int channels) {
  if (planeGraphFits(*field, width, height)) return;
  if (*field != -1) DeleteAnyHandle(*field);  // sets the field to -1
  SetupGraphParam param;
  InitSetupGraphParamFromSettings(&param);
  param.colorBits = 32;
  param.alphaChannel = 0;
  param.channelNum = channels;
  param.channelBitDepth = 8;
  const int handle = MakeGraphFromParam(&param, width, height, 0, 0, 0, 0);
  *field = handle;
  if (handle != -1) SetDeleteHandleFlag(handle, field);
}

// A plane of the renderer's as an image of `channels` 8-bit channels over its buffer.
BaseImage planeImage(const std::uint8_t* pixels, int width, int height, int pitch, int channels) {
  BaseImage image{};
  CreateColorData(&image.format, 8 * channels, 0, 0, 0, 0, channels, 8);
  image.width = width;
  image.height = height;
  image.pitch = pitch;
  image.pixels = const_cast<std::uint8_t*>(pixels);
  return image;
}

// The planes go into the luma graph (1 channel) and the chroma graph (2 channels, U
// then V), which a device's Y/UV-to-RGB filter reads; nothing goes when the graphs could
// not be made (no graphics).
void transferPlaneGraphs(MovieHandleRecord* movie, const D_MovieFrameView& view) {
  if (!planeGraphsFit(movie, view)) return;
  const BaseImage luma = planeImage(view.luma, view.lumaWidth, view.lumaHeight, view.lumaPitch, 1);
  const BaseImage chroma = planeImage(view.chroma, view.chromaWidth, view.chromaHeight, view.chromaPitch, 2);
  const ImageRect lumaRect{0, 0, view.lumaWidth, view.lumaHeight};
  const ImageRect chromaRect{0, 0, view.chromaWidth, view.chromaHeight};
  BltBaseImageToGraph(&lumaRect, 0, 0, movie->lumaGraph, &luma, nullptr, 0, 0);
  BltBaseImageToGraph(&chromaRect, 0, 0, movie->chromaGraph, &chroma, nullptr, 0, 0);
}

// A frame the renderer split into a luma and an interleaved chroma plane (YUV at shader
// model 200 or more) is also converted into an image of the record's own: the graph that
// shows a DirectShow movie draws that image, so every back end gets the colours.
void convertPlanes(MovieHandleRecord* movie, const D_MovieFrameView& view) {
  BaseImage& image = movie->frameImage;
  if (image.pixels == nullptr || movie->pixelsBorrowed || image.width != view.lumaWidth ||
      image.height != view.lumaHeight) {
    releaseOwnedFrame(movie);
    image = BaseImage{};
    movie->pixelsBorrowed = 0;
    if (CreateXRGB8ColorBaseImage(view.lumaWidth, view.lumaHeight, &image) != 0) {
      image.pixels = nullptr;
      return;
    }
  }
  const int w = view.lumaWidth, h = view.lumaHeight;
  if (view.chromaHeight * 2 == h) {
    // 4:2:0: the planes lie as NV12 does (luma pitch = width, chroma rows of width bytes).
    ConvertNV12ToARGB8(view.luma, w, h, &image);
  } else {
    // 4:2:2: put back into Y0 U Y1 V pairs for the packed converter.
    std::vector<std::uint8_t> packed(std::size_t(w) * 2 * std::size_t(h));
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* luma = view.luma + std::size_t(y) * view.lumaPitch;
      const std::uint8_t* chroma = view.chroma + std::size_t(y) * view.chromaPitch;
      std::uint8_t* out = packed.data() + std::size_t(y) * w * 2;
      for (int x = 0; x + 1 < w; x += 2) {
        out[2 * x] = luma[x];
        out[2 * x + 1] = chroma[x];
        out[2 * x + 2] = luma[x + 1];
        out[2 * x + 3] = chroma[x + 1];
      }
    }
    ConvertYUY2ToARGB8(packed.data(), w, h, &image);
  }
  movie->currentImage = &image;
}

std::size_t unitLength(const char16_t* s) {
  std::size_t n = 0;
  while (s[n] != 0) ++n;
  return n;
}

// The file's extension with its dot, or an empty string.
std::u16string extensionOf(const char16_t* path) {
  const std::u16string p(path);
  const std::size_t dot = p.rfind(u'.');
  const std::size_t sep = p.find_last_of(u"\\/");
  if (dot == std::u16string::npos || (sep != std::u16string::npos && dot < sep)) return {};
  return p.substr(dot);
}

// Copies the file the file-access table opens at movie->path into a new temporary file
// that keeps the file's extension, and points the record's path at it. A short read or
// write fails the copy and deletes it.
bool copyToTemporary(MovieHandleRecord* movie) {
  const FileStream source = FileAccessOpen(movie->path, 0, 1, 0);
  if (source == 0) return false;
  FileAccessSeek(source, 0, SEEK_END);
  const std::int64_t size = FileAccessTell(source);
  FileAccessSeek(source, 0, SEEK_SET);
  std::vector<std::uint8_t> buffer;
  char16_t reserved[kPathUnits] = {};
  pw::HANDLE file = nullptr;
  std::u16string copyPath;
  bool ok = size >= 0;
  if (ok) {
    buffer.resize(static_cast<std::size_t>(size < kCopyChunk ? size : kCopyChunk));
    // The reserved name is unique; the copy is that name with the extension added.
    pw::HANDLE reservation = CreateTemporaryFile(reserved, sizeof reserved);
    ok = reservation != nullptr && reservation != pw::INVALID_HANDLE_VALUE;
    if (ok) {
      pw::CloseHandle(reservation);
      copyPath = std::u16string(reserved) + extensionOf(movie->path);
      ok = copyPath.size() < kPathUnits;
      if (ok) {
        file = pw::CreateFileW(copyPath.c_str(), pw::GENERIC_WRITE, 0, nullptr, pw::CREATE_NEW, 0, nullptr);
        ok = file != nullptr && file != pw::INVALID_HANDLE_VALUE;
      }
      pw::DeleteFileW(reserved);
    }
  }
  for (std::int64_t left = size; ok && left > 0;) {
    const std::size_t chunk = static_cast<std::size_t>(left < kCopyChunk ? left : kCopyChunk);
    const std::size_t got = FileAccessRead(buffer.data(), chunk, 1, source) == 1 ? chunk : 0;
    pw::DWORD written = 0;
    ok = got == chunk && pw::WriteFile(file, buffer.data(), static_cast<pw::DWORD>(chunk), &written, nullptr) &&
         written == chunk;
    left -= static_cast<std::int64_t>(chunk);
  }
  FileAccessClose(source);
  if (file != nullptr && file != pw::INVALID_HANDLE_VALUE) pw::CloseHandle(file);
  if (!ok) {
    if (!copyPath.empty()) pw::DeleteFileW(copyPath.c_str());
    return false;
  }
  std::memcpy(movie->path, copyPath.c_str(), (copyPath.size() + 1) * sizeof(char16_t));
  movie->temporaryFile = 1;
  return true;
}

void deleteTemporary(MovieHandleRecord* movie) {
  if (!movie->temporaryFile) return;
  pw::DeleteFileW(movie->path);
  movie->temporaryFile = 0;
}

int failOpen(MovieHandleRecord* movie, const char16_t* message) {
  if (message != nullptr) LogAddTextUtf16(message);
  deleteTemporary(movie);
  releaseInterfaces(movie);
  return -1;
}

}  // namespace

int OpenDirectShowMovie(MovieHandleRecord* movie, const char16_t* path, int, int asyncFlag) {
  movie->temporaryFile = 0;
  movie->frameImage.pixels = nullptr;
  movie->callbackRan = 0;
  movie->refreshFrame = 0;
  void* made = nullptr;
  if (CoCreateInstanceASync(ds::CLSID_FilterGraph, nullptr, 3, ds::IID_IGraphBuilder, &made, asyncFlag) != pw::S_OK ||
      made == nullptr)
    return failOpen(movie, u"CoCreateInstance Error : CLSID_FilterGraph\n");
  movie->graphBuilder = made;
  auto* graph = as<ds::IGraphBuilder>(made);

  pw::HRESULT hr = pw::S_OK;
  D_CMovieRender* renderer = D_CMovieRender::Create(nullptr, &hr);
  if (renderer == nullptr) return failOpen(movie, u"Could not add renderer filter to graph!\n");
  renderer->AddRef();
  hr = graph->AddFilter(renderer, u"MovieRenderer");
  renderer->Release();  // the graph holds it now, or it is gone
  if (hr < 0) return failOpen(movie, u"Could not add renderer filter to graph!\n");
  movie->renderer = renderer;

  if (graph->QueryInterface(ds::IID_IBasicAudio, &movie->basicAudio) != pw::S_OK)
    return failOpen(movie, u"QueryInterface Error : IID_IBasicAudio\n");
  if (graph->QueryInterface(ds::IID_IMediaControl, &movie->mediaControl) != pw::S_OK)
    return failOpen(movie, u"QueryInterface Error : IID_IMediaControl\n");
  if (graph->QueryInterface(ds::IID_IMediaSeeking, &movie->mediaSeeking) != pw::S_OK)
    return failOpen(movie, u"QueryInterface Error : IID_IMediaSeeking\n");

  std::size_t n = unitLength(path);
  if (n >= kPathUnits) n = kPathUnits - 1;
  for (std::size_t i = 0; i < n; ++i) movie->path[i] = path[i] == u'/' ? u'\\' : path[i];
  movie->path[n] = 0;
  const std::u16string message = u"Movie File Open Error : " + std::u16string(movie->path) + u"\n";
  hr = graph->RenderFile(movie->path, nullptr);
  if (hr < 0) {
    if (!copyToTemporary(movie)) return failOpen(movie, message.c_str());
    hr = graph->RenderFile(movie->path, nullptr);
    if (hr < 0) return failOpen(movie, message.c_str());
  }
  // A file with no picture (sound only) leaves the renderer without a connection.
  ds::IPin* input = renderer->GetPin(0);
  ds::IPin* peer = nullptr;
  if (input == nullptr || input->ConnectedTo(&peer) != pw::S_OK || peer == nullptr)
    return failOpen(movie, message.c_str());
  peer->Release();

  auto* seeking = as<ds::IMediaSeeking>(movie->mediaSeeking);
  ds::LONGLONG duration = 0, stop = 0;
  seeking->GetDuration(&duration);
  movie->duration = duration == 0 ? kZeroDuration : duration;
  seeking->GetStopPosition(&stop);
  movie->stopPosition = stop;

  D_MovieFrameView view{};
  renderer->BeginFrameRead(&view);
  takeFrame(movie, view);
  renderer->EndFrameRead();
  movie->width = view.width;
  movie->height = view.height;
  return 0;
}

int UpdateDirectShowMovie(MovieHandleRecord* movie, int) {
  D_CMovieRender* renderer = rendererOf(movie);
  if (renderer == nullptr) return 0;
  // A refresh hands the current frame over again, new or not (a paused movie has no
  // new one): the graph that shows it and the plane graphs were made again empty.
  if (renderer->HasNewFrame() || movie->refreshFrame) {
    movie->refreshFrame = 0;
    // The hand-over keeps the buffers the record borrows alive until this read.
    D_MovieFrameView view{};
    bool fresh = renderer->BeginFrameRead(&view);
    const bool planeGraphs = view.luma != nullptr && view.chroma != nullptr && movie->frameCallback != nullptr;
    if (planeGraphs && !planeGraphsFit(movie, view)) {
      // Graphs are made outside the frame lock: a handle is made under the graph type's
      // lock, which a graph's deletion holds while it releases movies and their renderers.
      const D_MovieFrameView sizes = view;
      renderer->EndFrameRead();
      makePlaneGraph(&movie->lumaGraph, sizes.lumaWidth, sizes.lumaHeight, 1);
      makePlaneGraph(&movie->chromaGraph, sizes.chromaWidth, sizes.chromaHeight, 2);
      fresh = renderer->BeginFrameRead(&view) || fresh;
    }
    if (fresh) movie->frameUpdated = 1;
    if (view.luma != nullptr && view.chroma != nullptr) {
      if (planeGraphs) transferPlaneGraphs(movie, view);
      convertPlanes(movie, view);
    } else if (view.frame != nullptr)
      takeFrame(movie, view);
    // The callback copies the borrowed frame while the streaming thread is kept out of it.
    if (movie->frameCallback != nullptr) {
      movie->frameCallback(movie, movie->callbackParameter);
      movie->callbackRan = 1;
    }
    renderer->EndFrameRead();
  }
  if (movie->mediaSeeking != nullptr && movie->mediaControl != nullptr) {
    auto* seeking = as<ds::IMediaSeeking>(movie->mediaSeeking);
    auto* control = as<ds::IMediaControl>(movie->mediaControl);
    ds::LONGLONG now = 0;
    if (seeking->GetCurrentPosition(&now) == pw::S_OK && now >= movie->stopPosition) {
      if (movie->playType & DX_PLAYTYPE_LOOPBIT) {
        ds::LONGLONG start = 0;
        seeking->SetPositions(&start, 1 /* absolute */, nullptr, 0);
        control->Run();
      } else {
        control->Pause();
        movie->playRequested = 0;
        movie->paused = 1;
      }
    }
  }
  return 0;
}

int PauseDirectShowMovie(MovieHandleRecord* movie) {
  if (movie->mediaControl == nullptr) return -1;
  as<ds::IMediaControl>(movie->mediaControl)->Pause();
  return 0;
}

int RunDirectShowMovie(MovieHandleRecord* movie) {
  if (movie->mediaControl != nullptr) as<ds::IMediaControl>(movie->mediaControl)->Run();
  return 0;
}

int ReleaseDirectShowMovie(MovieHandleRecord* movie) {
  // The graph goes before the temporary file it reads, so the file is closed when deleted.
  releaseInterfaces(movie);
  deleteTemporary(movie);
  if (movie->pixelsBorrowed) {
    movie->frameImage.pixels = nullptr;  // the renderer's, gone with the graph
    movie->pixelsBorrowed = 0;
  }
  releaseOwnedFrame(movie);
  return 0;
}

}  // namespace ZaDod
