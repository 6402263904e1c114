// The converter's last resort for MP3 files the codec walk refuses: the whole file is
// decoded by a filter graph (memory reader, the platform's decoder, our sample grabber,
// a null renderer in place of the audio renderer) into PCM kept in memory.
#include "media/sound/sound_convert_dshow.h"

#include <algorithm>
#include <cstring>

#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/dshow/async_reader.h"
#include "media/dshow/async_stream.h"
#include "media/dshow/media_type.h"
#include "media/dshow/sample_grabber.h"
#include "media/sound/sound_convert_methods.h"
#include "media/system/system.h"
#include "media/system/winapi.h"
#include "platform/codec/mpeg_frames.h"

namespace ZaDod {

namespace ds = plat::dshow;
using plat::win::S_OK;

namespace {

// The messages, in code page 932.
// "MP3変換用 D_CMemStream の作成に失敗しました"
constexpr const char* kMemStream = "MP3\x95\xCF\x8A\xB7\x97p D_CMemStream \x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "MP3変換用 D_CMemReader の作成に失敗しました"
constexpr const char* kMemReader = "MP3\x95\xCF\x8A\xB7\x97p D_CMemReader \x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "MP3変換用 NullRender の作成に失敗しました"
constexpr const char* kNullRender = "MP3\x95\xCF\x8A\xB7\x97p NullRender \x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "MP3変換用 IGraphBuilder の作成に失敗しました"
constexpr const char* kGraphBuilder = "MP3\x95\xCF\x8A\xB7\x97p IGraphBuilder \x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "MP3変換用 D_CSampleGrabber の作成に失敗しました"
constexpr const char* kGrabber = "MP3\x95\xCF\x8A\xB7\x97p D_CSampleGrabber \x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "サンプルグラバフィルタのメディアタイプの設定に失敗しました"
constexpr const char* kGrabberType = "\x83T\x83\x93\x83v\x83\x8B\x83O\x83\x89\x83o\x83t\x83" "B\x83\x8B\x83^\x82\xCC\x83\x81\x83" "f\x83" "B\x83" "A\x83^\x83" "C\x83v\x82\xCC\x90\xDD\x92\xE8\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "サンプルグラバフィルタのグラフへの追加に失敗しました"
constexpr const char* kAddGrabber = "\x83T\x83\x93\x83v\x83\x8B\x83O\x83\x89\x83o\x83t\x83" "B\x83\x8B\x83^\x82\xCC\x83O\x83\x89\x83t\x82\xD6\x82\xCC\x92\xC7\x89\xC1\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "メモリファイルフィルタのグラフへの追加に失敗しました"
constexpr const char* kAddReader = "\x83\x81\x83\x82\x83\x8A\x83t\x83@\x83" "C\x83\x8B\x83t\x83" "B\x83\x8B\x83^\x82\xCC\x83O\x83\x89\x83t\x82\xD6\x82\xCC\x92\xC7\x89\xC1\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "グラフの構築に失敗しました"
constexpr const char* kRender = "\x83O\x83\x89\x83t\x82\xCC\x8D\x5C\x92z\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "ヌルレンダラーフィルタのグラフへの追加に失敗しました"
constexpr const char* kAddNull = "\x83k\x83\x8B\x83\x8C\x83\x93\x83_\x83\x89\x81[\x83t\x83" "B\x83\x8B\x83^\x82\xCC\x83O\x83\x89\x83t\x82\xD6\x82\xCC\x92\xC7\x89\xC1\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "既存レンダラーをNullレンダラーと交換する処理が失敗しました"
constexpr const char* kSwap = "\x8A\xF9\x91\xB6\x83\x8C\x83\x93\x83_\x83\x89\x81[\x82\xF0Null\x83\x8C\x83\x93\x83_\x83\x89\x81[\x82\xC6\x8C\xF0\x8A\xB7\x82\xB7\x82\xE9\x8F\x88\x97\x9D\x82\xAA\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "音声が含まれていないか、オーディオフォーマットの取得に失敗しました。"
constexpr const char* kNoAudio = "\x89\xB9\x90\xBA\x82\xAA\x8A\xDC\x82\xDC\x82\xEA\x82\xC4\x82\xA2\x82\xC8\x82\xA2\x82\xA9\x81" "A\x83I\x81[\x83" "f\x83" "B\x83I\x83t\x83H\x81[\x83}\x83" "b\x83g\x82\xCC\x8E\xE6\x93\xBE\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81" "B";
// "サポート外のストリームフォーマットです。"
constexpr const char* kStreamFormat = "\x83T\x83|\x81[\x83g\x8AO\x82\xCC\x83X\x83g\x83\x8A\x81[\x83\x80\x83t\x83H\x81[\x83}\x83" "b\x83g\x82\xC5\x82\xB7\x81" "B";
// "サポート外のオーディオフォーマットです。"
constexpr const char* kAudioFormat = "\x83T\x83|\x81[\x83g\x8AO\x82\xCC\x83I\x81[\x83" "f\x83" "B\x83I\x83t\x83H\x81[\x83}\x83" "b\x83g\x82\xC5\x82\xB7\x81" "B";
// "コールバック関数を設定できません"
constexpr const char* kCallback = "\x83R\x81[\x83\x8B\x83o\x83" "b\x83N\x8A\xD6\x90\x94\x82\xF0\x90\xDD\x92\xE8\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1";
// "PCMデータを格納するメモリ領域の確保に失敗しました"
constexpr const char* kPcmAlloc = "PCM\x83" "f\x81[\x83^\x82\xF0\x8Ai\x94[\x82\xB7\x82\xE9\x83\x81\x83\x82\x83\x8A\x97\xCC\x88\xE6\x82\xCC\x8Am\x95\xDB\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "IMediaFilter の取得に失敗しました"
constexpr const char* kMediaFilter = "IMediaFilter \x82\xCC\x8E\xE6\x93\xBE\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "IMediaControl の取得に失敗しました"
constexpr const char* kMediaControl = "IMediaControl \x82\xCC\x8E\xE6\x93\xBE\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "IMediaEvent の取得に失敗しました"
constexpr const char* kMediaEvent = "IMediaEvent \x82\xCC\x8E\xE6\x93\xBE\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "MP3変換の途中でエラーが発生しました"
constexpr const char* kErrorAbort = "MP3\x95\xCF\x8A\xB7\x82\xCC\x93r\x92\x86\x82\xC5\x83G\x83\x89\x81[\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "PCMデータを格納するメモリ領域の再確保に失敗しました"
constexpr const char* kPcmRealloc = "PCM\x83" "f\x81[\x83^\x82\xF0\x8Ai\x94[\x82\xB7\x82\xE9\x83\x81\x83\x82\x83\x8A\x97\xCC\x88\xE6\x82\xCC\x8D\xC4\x8Am\x95\xDB\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "MP3変換の途中でソフトが終了しました"
constexpr const char* kQuit = "MP3\x95\xCF\x8A\xB7\x82\xCC\x93r\x92\x86\x82\xC5\x83\x5C\x83t\x83g\x82\xAA\x8FI\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD";

// What the conversion made, released together whatever step it stopped at.
struct Conversion {
  std::uint8_t* file = nullptr;
  D_CMemStream* stream = nullptr;
  D_CMemReader* reader = nullptr;
  ds::IBaseFilter* nullRenderer = nullptr;
  ds::IGraphBuilder* graph = nullptr;
  D_CSampleGrabber* grabber = nullptr;
  ds::IMediaFilter* mediaFilter = nullptr;
  ds::IMediaControl* control = nullptr;
  ds::IMediaEvent* events = nullptr;

  ~Conversion() {
    if (control != nullptr) {
      control->Stop();
      control->Release();
    }
    if (events != nullptr) events->Release();
    if (mediaFilter != nullptr) mediaFilter->Release();
    // The graph lets go of its filters when it goes, which breaks their connections.
    if (graph != nullptr) graph->Release();
    if (grabber != nullptr) grabber->Release();
    if (nullRenderer != nullptr) nullRenderer->Release();
    if (reader != nullptr) static_cast<D_IBaseFilter*>(reader)->Release();
    delete stream;  // after the reader, which reads from it
    MemFree(file);
  }
};

template <class T>
T* queryGraph(ds::IGraphBuilder* graph, const IID& iid) {
  void* face = nullptr;
  if (graph->QueryInterface(iid, &face) < 0) return nullptr;
  return static_cast<T*>(face);
}

// Swaps the renderer that Render ended the audio branch in for the null renderer.
bool replaceRenderer(ds::IGraphBuilder* graph, ds::IBaseFilter* nullRenderer) {
  ds::IEnumFilters* filters = nullptr;
  if (graph->EnumFilters(&filters) < 0 || filters == nullptr) return false;
  ds::IPin* upstream = nullptr;
  ds::IBaseFilter* filter = nullptr;
  while (upstream == nullptr && filters->Next(1, &filter, nullptr) == S_OK) {
    D_IPin* input = GetFilterPinByDirection(filter, ds::PINDIR_INPUT);
    D_IPin* output = GetFilterPinByDirection(filter, ds::PINDIR_OUTPUT);
    ds::IPin* peer = nullptr;
    if (input != nullptr && output == nullptr && input->ConnectedTo(&peer) == S_OK && peer != nullptr) {
      peer->Disconnect();
      input->Disconnect();
      upstream = peer;
    }
    if (input != nullptr) input->Release();
    if (output != nullptr) output->Release();
    filter->Release();
  }
  filters->Release();
  if (upstream == nullptr) return false;
  D_IPin* nullInput = GetFilterPinByDirection(nullRenderer, ds::PINDIR_INPUT);
  const HRESULT hr = nullInput != nullptr ? graph->Connect(upstream, nullInput) : plat::win::E_FAIL;
  if (nullInput != nullptr) nullInput->Release();
  upstream->Release();
  return hr >= 0;
}

// The PCM bytes a constant-rate file decodes to, from its first frame (where the filter
// graph's decoder takes it: mpeg_frames.h), a frame or two over, so the block is not
// grown at the end; 0 when the file starts with no frame. A variable-rate file may need
// more, and the block grows then.
std::uint64_t expectedPcmBytes(const std::uint8_t* file, std::size_t size, unsigned blockAlign) {
  const std::int64_t at = plat::codec::mpegStreamStart(file, size, size);
  MPEGAudioFrameInfo frame{};
  if (at < 0 || ParseMPEGAudioFrameHeader(file + at, &frame) != 0 || frame.FrameBytes <= 0) return 0;
  const std::uint64_t frames = (size - static_cast<std::size_t>(at)) / static_cast<std::size_t>(frame.FrameBytes) + 2;
  return frames * static_cast<std::uint64_t>(frame.SampleNum) * blockAlign;
}

int fail(const char* message) {
  LogAddTextCp932(message);
  LogAddTextUtf16(u"\n");
  return -1;
}

}  // namespace

D_IPin* GetFilterPinByDirection(D_IBaseFilter* filter, D_PIN_DIRECTION direction) {
  D_IEnumPins* pins = nullptr;
  if (filter == nullptr || filter->EnumPins(&pins) < 0 || pins == nullptr) return nullptr;
  D_IPin* found = nullptr;
  D_IPin* pin = nullptr;
  while (found == nullptr && pins->Next(1, &pin, nullptr) == S_OK) {
    D_PIN_DIRECTION own;
    if (pin->QueryDirection(&own) >= 0 && own == direction) found = pin;
    else pin->Release();
  }
  pins->Release();
  return found;
}

HRESULT MP3SampleGrabberCallback(D_IMediaSample* sample, D_REFERENCE_TIME*, D_REFERENCE_TIME*, BOOL, void* user) {
  auto* block = static_cast<Mp3PcmBlock*>(user);
  if (block->data == nullptr) return S_OK;
  BYTE* data = nullptr;
  sample->GetPointer(&data);
  const LONG length = sample->GetActualDataLength();
  if (data == nullptr || length <= 0) return S_OK;
  const std::uint64_t need = static_cast<std::uint64_t>(block->written) + static_cast<std::uint64_t>(length);
  if (need > block->capacity) {
    std::uint64_t capacity = block->capacity;
    while (capacity < need) capacity += 0x100000;
    std::uint8_t* grown = capacity <= 0x7FFFFFFF ? static_cast<std::uint8_t*>(
                                                       MemAlloc(static_cast<std::size_t>(capacity), __FILE__, __LINE__))
                                                 : nullptr;
    if (grown == nullptr) {
      // Reported once the graph has finished.
      MemFree(block->data);
      block->data = nullptr;
      return S_OK;
    }
    std::memcpy(grown, block->data, block->written);
    MemFree(block->data);
    block->data = grown;
    block->capacity = static_cast<std::uint32_t>(capacity);
  }
  std::memcpy(block->data + block->written, data, static_cast<std::size_t>(length));
  block->written += static_cast<std::uint32_t>(length);
  return S_OK;
}

int ConvertMP3ToPCMWithDirectShow(SoundConvert* c) {
  Conversion g;
  Mp3PcmBlock pcm;
  // The whole file in memory.
  auto& io = c->Stream.ReadShred;
  io.Seek(c->Stream.DataPoint, 0, 2);
  const std::int64_t size = io.Tell(c->Stream.DataPoint);
  io.Seek(c->Stream.DataPoint, 0, 0);
  if (size <= 0 || size > 0x7FFFFFFF / 10) return -1;
  g.file = static_cast<std::uint8_t*>(MemAlloc(static_cast<std::size_t>(size), __FILE__, __LINE__));
  if (g.file == nullptr) return -1;
  const std::size_t got = io.Read(g.file, 1, static_cast<std::size_t>(size), c->Stream.DataPoint);

  g.stream = D_CMemStream::Create(g.file, static_cast<DWORD>(got), 0, D_CMemStream::kUnlimited);
  if (g.stream == nullptr) return fail(kMemStream);
  D_AM_MEDIA_TYPE type{};
  type.majortype = ds::MEDIATYPE_Stream;
  type.subtype = ds::MEDIASUBTYPE_MPEG1Audio;
  HRESULT hr = S_OK;
  g.reader = D_CMemReader::Create(g.stream, &type, &hr);
  if (g.reader == nullptr) return fail(kMemReader);
  static_cast<D_IBaseFilter*>(g.reader)->AddRef();

  void* made = nullptr;
  auto create = WinAPI.CoCreateInstanceFunc;
  if (create == nullptr ||
      create(ds::CLSID_NullRenderer, nullptr, plat::win::CLSCTX_INPROC_SERVER, ds::IID_IBaseFilter, &made) < 0)
    return fail(kNullRender);
  g.nullRenderer = static_cast<ds::IBaseFilter*>(made);
  made = nullptr;
  if (create(ds::CLSID_FilterGraph, nullptr, plat::win::CLSCTX_INPROC_SERVER, ds::IID_IGraphBuilder, &made) < 0)
    return fail(kGraphBuilder);
  g.graph = static_cast<ds::IGraphBuilder*>(made);

  g.grabber = D_CSampleGrabber::Create(nullptr, &hr);
  if (g.grabber == nullptr) return fail(kGrabber);
  static_cast<D_IBaseFilter*>(g.grabber)->AddRef();
  D_AM_MEDIA_TYPE accept{};
  accept.majortype = ds::MEDIATYPE_Audio;
  accept.subtype = ds::MEDIASUBTYPE_PCM;
  if (g.grabber->SetAcceptedMediaType(&accept) < 0) return fail(kGrabberType);

  if (g.graph->AddFilter(g.grabber, u"SampleGrabber") < 0) return fail(kAddGrabber);
  if (g.graph->AddFilter(g.reader, u"MemFile") < 0) return fail(kAddReader);
  if (g.graph->Render(g.reader->GetPin(0)) < 0) return fail(kRender);
  if (g.graph->AddFilter(g.nullRenderer, u"File Renderer") < 0) return fail(kAddNull);
  if (!replaceRenderer(g.graph, g.nullRenderer)) return fail(kSwap);

  D_AM_MEDIA_TYPE connected{};
  if (g.grabber->GetConnectedMediaType(&connected) < 0) return fail(kNoAudio);
  const bool waveFormat = connected.formattype == ds::FORMAT_WaveFormatEx && connected.pbFormat != nullptr &&
                          connected.cbFormat >= 16;
  pa::WAVEFORMATEX format{};
  if (waveFormat) std::memcpy(&format, connected.pbFormat, std::min<std::size_t>(connected.cbFormat, sizeof(format)));
  D_FreeMediaType(connected);
  if (!waveFormat) return fail(kStreamFormat);
  if (format.wFormatTag != 1 || format.nChannels == 0 || format.nBlockAlign == 0) return fail(kAudioFormat);
  pa::WAVEFORMATEX& out = c->OutFormat;
  out.wFormatTag = format.wFormatTag;
  out.nChannels = format.nChannels;
  out.nSamplesPerSec = format.nSamplesPerSec;
  out.nBlockAlign = format.nBlockAlign;
  out.nAvgBytesPerSec = static_cast<DWORD>(format.nBlockAlign) * format.nSamplesPerSec;
  out.wBitsPerSample = static_cast<std::uint16_t>(format.nBlockAlign * 8 / format.nChannels);
  out.cbSize = 0;

  if (g.grabber->SetCallback(&MP3SampleGrabberCallback, &pcm) < 0) return fail(kCallback);
  const std::uint64_t expected = expectedPcmBytes(g.file, got, out.nBlockAlign);
  // Ten times the file when no frame gives the size, or when the size its first frame
  // gives cannot be had (a variable-rate file whose first frame is its slowest).
  const std::uint32_t fallback = static_cast<std::uint32_t>(got) * 10;
  pcm.capacity = expected > 0 && expected <= 0x7FFFFFFF ? static_cast<std::uint32_t>(expected) : fallback;
  pcm.data = static_cast<std::uint8_t*>(MemAlloc(pcm.capacity, __FILE__, __LINE__));
  if (pcm.data == nullptr && pcm.capacity > fallback) {
    pcm.capacity = fallback;
    pcm.data = static_cast<std::uint8_t*>(MemAlloc(pcm.capacity, __FILE__, __LINE__));
  }
  if (pcm.data == nullptr) return fail(kPcmAlloc);

  g.mediaFilter = queryGraph<ds::IMediaFilter>(g.graph, ds::IID_IMediaFilter);
  if (g.mediaFilter == nullptr) {
    MemFree(pcm.data);
    return fail(kMediaFilter);
  }
  g.mediaFilter->SetSyncSource(nullptr);
  g.control = queryGraph<ds::IMediaControl>(g.graph, ds::IID_IMediaControl);
  if (g.control == nullptr) {
    MemFree(pcm.data);
    return fail(kMediaControl);
  }
  g.events = queryGraph<ds::IMediaEvent>(g.graph, ds::IID_IMediaEvent);
  if (g.events == nullptr) {
    MemFree(pcm.data);
    return fail(kMediaEvent);
  }

  const char* failure = kQuit;
  bool done = false;
  g.control->Run();
  while (!done && ProcessWindowMessages() == 0) {
    LONG code = 0;
    if (g.events->WaitForCompletion(100, &code) != S_OK) continue;
    if (code == ds::EC_ERRORABORT || code == ds::EC_USERABORT) {
      failure = kErrorAbort;
      break;
    }
    if (code == ds::EC_COMPLETE) {
      // A stream that decodes to nothing is no sound.
      if (pcm.data == nullptr) failure = kPcmRealloc;
      else if (pcm.written < out.nBlockAlign) failure = kNoAudio;
      else done = true;
      break;
    }
  }
  // The streaming threads are stopped before the block is looked at or freed.
  g.control->Stop();
  g.grabber->SetCallback(nullptr, nullptr);
  if (!done || SetSoundConvertMemoryPcm(c, pcm.data, pcm.written) != 0) {
    MemFree(pcm.data);
    return done ? -1 : fail(failure);
  }
  return 0;
}

}  // namespace ZaDod
