// Movie handles: the handle type, opening a movie (Theora first, DirectShow for the
// rest), its sound track, and the release of everything a movie holds.
#include <cstring>

#include "media/base/log.h"
#include "media/file/file_access.h"
#include "media/graphics/graph.h"
#include "media/movie/movie.h"
#include "media/movie/theora_movie.h"
#include "media/sound/sound_handle.h"

namespace ZaDod {

namespace {

constexpr int kFrameStockCount = 20;

struct MovieModuleState {
  int initialized;
  int loadSettings[3];  // nothing in this system sets them
};
MovieModuleState MovieSys;

int initMovieRecord(HandleEntryHeader* record) {
  auto* movie = reinterpret_cast<MovieHandleRecord*>(record);
  movie->lumaGraph = movie->chromaGraph = -1;
  movie->sound = -1;
  return 0;
}

int terminateMovieRecord(HandleEntryHeader* record) {
  ReleaseMovie(reinterpret_cast<MovieHandleRecord*>(record));
  return 0;
}

void closeStream(MovieHandleRecord* movie) {
  if (movie->stream == nullptr) return;
  if (movie->streamIsMemory)
    MemStreamClose(static_cast<MemStream*>(movie->stream));
  else
    FileAccessClose(reinterpret_cast<FileStream>(movie->stream));
  movie->stream = nullptr;
}

// The sound track as a stream sound of the same data; -1 when the data has no track
// that the sound loader can read.
int loadSoundTrack(const char16_t* path, const void* image, std::uint32_t size, int asyncFlag) {
  LoadSoundSettings s;
  InitLoadSoundSettings(&s);
  s.NotInitSoundFlag = 1;
  s.CreateSoundDataType = path != nullptr ? 3 : 2;
  s.ConvertOption[0] = -3;  // every converter but Ogg Vorbis switched off
  s.ConvertOption[2] = 1;
  if (path != nullptr) return LoadSoundMemWithParams(&s, path, 1, -1, asyncFlag, 0);
  return LoadSoundMemByMemImageWithParams(&s, 1, -1, image, size, 1, -1, 0, asyncFlag);
}

}  // namespace

int InitializeMovie() {
  if (MovieSys.initialized) return -1;
  InitializeHandleManage(HANDLETYPE_MOVIE, sizeof(MovieHandleRecord), kMaxMovieHandles, initMovieRecord,
                         terminateMovieRecord, u"Movie");
  MovieSys.initialized = 1;
  return 0;
}

int TerminateMovie() {
  if (!MovieSys.initialized) return -1;
  TerminateHandleManage(HANDLETYPE_MOVIE);
  MovieSys.initialized = 0;
  return 0;
}

MovieHandleRecord* GetMovieHandleRecord(int handle) {
  if (!MovieSys.initialized || handle < 0) return nullptr;
  if ((handle & HANDLE_TYPE_MASK) != (HANDLETYPE_MOVIE << HANDLE_TYPE_SHIFT)) return nullptr;
  HandleEntryHeader* header = GetHandleInfo(handle);
  if (header == nullptr || HandleASyncLoadCount(header) != 0) return nullptr;
  return reinterpret_cast<MovieHandleRecord*>(header);
}

int CopyMovieLoadSettings(int snapshot[3]) {
  std::memcpy(snapshot, MovieSys.loadSettings, sizeof(MovieSys.loadSettings));
  return 0;
}

int OpenMovie(const int settings[3], const char16_t* path, const void* image, std::uint32_t imageSize, int* width,
              int* height, int spare, int asyncFlag) {
  const int handle = AddHandle(HANDLETYPE_MOVIE, asyncFlag, -1);
  if (handle == -1) return -1;
  auto* movie = reinterpret_cast<MovieHandleRecord*>(GetHandleInfo(handle));
  movie->colorAlphaHalves = settings[0];
  movie->useAlpha = settings[1];
  movie->decoderSetting = settings[2];
  auto finish = [&](int result) {
    if (asyncFlag) DecHandleASyncLoadCount(handle);
    if (result != 0) {
      SubHandle(handle);
      return -1;
    }
    return handle;
  };

  StreamData data{};
  if (path != nullptr) {
    const FileStream file = FileAccessOpen(path, 0, 1, 0);
    movie->stream = reinterpret_cast<void*>(file);
    movie->streamIsMemory = 0;
    data = StreamData{*GetFileStreamFunctions(), movie->stream};
  } else {
    movie->stream = MemStreamOpen(image, imageSize);
    movie->streamIsMemory = 1;
    data = StreamData{*GetMemStreamFunctions(), movie->stream};
  }
  TheoraDecoder* decoder =
      movie->stream != nullptr ? TheoraMovie_Open(&data, kFrameStockCount, movie->decoderSetting, 0, asyncFlag) : nullptr;
  if (decoder == nullptr) {
    closeStream(movie);
    if (path != nullptr && OpenDirectShowMovie(movie, path, spare, asyncFlag) == 0) {
      if (width != nullptr) *width = movie->width;
      if (height != nullptr) *height = movie->height;
      movie->currentImage = &movie->frameImage;
      movie->frameUpdated = 0;
      movie->paused = 1;
      movie->playRequested = 0;
      movie->playType = DX_PLAYTYPE_BACK;
      return finish(0);
    }
    LogAddTextUtf16(path != nullptr ? u"ムービーファイルオープン処理時にエラーが発生しました"
                                    : u"ムービーファイルオープン処理時に失敗しました");
    return finish(-1);
  }
  movie->decoder = decoder;
  TheoraMovieInfo info{};
  TheoraMovie_GetInfo(decoder, &info);
  movie->width = info.width;
  movie->height = info.height;
  if (width != nullptr) *width = info.width;
  if (height != nullptr) *height = info.height;
  movie->framesPerSecond = info.framesPerSecond;
  // Many slow frames can last longer than an int of milliseconds holds.
  const double milliseconds = 1000.0 / info.framesPerSecond * info.frameCount;
  movie->length = milliseconds < 2147483647.0 ? static_cast<int>(milliseconds) : 0x7FFFFFFF;

  movie->sound = loadSoundTrack(path, image, imageSize, asyncFlag);
  movie->soundLength = movie->sound != -1 ? GetSoundMemTotalTime(movie->sound) : 0;
  movie->soundOutlastsPicture = movie->soundLength > movie->length ? 1 : 0;

  movie->playSpeed = 1.0;
  movie->theora = 1;
  movie->currentImage = TheoraMovie_GetBaseImage(decoder);
  movie->frameUpdated = 0;
  movie->paused = 1;
  movie->playRequested = 0;
  movie->playType = DX_PLAYTYPE_BACK;
  return finish(0);
}

int SetMovieFrameCallback(int handle, MovieFrameCallback function, std::uint32_t parameter) {
  MovieHandleRecord* movie = GetMovieHandleRecord(handle);
  if (movie == nullptr) return -1;
  movie->frameCallback = function;
  movie->callbackParameter = parameter;
  return 0;
}

int RequestMovieFrameRefresh(int handle) {
  MovieHandleRecord* movie = GetMovieHandleRecord(handle);
  if (movie == nullptr) return -1;
  if (movie->theora && movie->decoder != nullptr) {
    TheoraMovie_RequestSurfaceRefresh(movie->decoder);
    // The graph's texture comes back empty: the next update carries the current frame
    // into it again, new frame or not.
    movie->callbackRan = 0;
  } else if (movie->renderer != nullptr && movie->callbackRan) {
    // A DirectShow movie whose frame reached the graph hands the renderer's current
    // frame over again at its next update.
    movie->refreshFrame = 1;
  }
  return 0;
}

int ReleaseMovie(MovieHandleRecord* movie) {
  if (movie->lumaGraph != -1) {
    DeleteAnyHandle(movie->lumaGraph);
    movie->lumaGraph = -1;
  }
  if (movie->chromaGraph != -1) {
    DeleteAnyHandle(movie->chromaGraph);
    movie->chromaGraph = -1;
  }
  ReleaseDirectShowMovie(movie);
  if (movie->theora || movie->decoder != nullptr) {
    TheoraMovie_Close(movie->decoder);
    closeStream(movie);
    if (movie->sound != -1) DeleteSoundMem(movie->sound);
    movie->sound = -1;
    movie->decoder = nullptr;
    movie->theora = 0;
  }
  if (movie->frameImage.pixels != nullptr && !movie->pixelsBorrowed) ReleaseBaseImage(&movie->frameImage);
  movie->frameImage.pixels = nullptr;
  return 0;
}

}  // namespace ZaDod
