// Movie handles: a movie file or a movie in memory opened as a handle of type Movie,
// its frames carried to the graph that shows it through a per-frame callback, its
// sound track played as a sound handle, and window activation suspending and resuming
// it. Ogg Theora movies are decoded here; other movies go through the DirectShow open.
#pragma once
#include <cstdint>

#include "media/base/handle.h"
#include "media/graphics/base_image.h"

namespace ZaDod {

struct TheoraDecoder;
struct MovieHandleRecord;

using MovieFrameCallback = void (*)(MovieHandleRecord* movie, std::uint32_t parameter);

constexpr int kMaxMovieHandles = 100;

struct MovieHandleRecord {
  HandleEntryHeader header;
  int playType;  // 1 once, bit value 2 loops; 0 is taken as 1 on resume
  int theora;
  TheoraDecoder* decoder;
  std::uint64_t lastTime;  // microsecond counter at the last update
  std::uint64_t elapsed;   // play time reached, microseconds
  int length;              // picture length, milliseconds
  void* stream;
  int streamIsMemory;
  double framesPerSecond;
  int soundOutlastsPicture;
  int sound;
  int soundLength;
  double playSpeed;
  int lastFrameTime;  // milliseconds
  std::int64_t stopPosition;
  int width, height;
  int colorAlphaHalves;
  int useAlpha;
  int decoderSetting;
  int playRequested;
  int paused;
  int callbackRan;
  BaseImage frameImage;  // DirectShow frames
  int pixelsBorrowed;
  int frameUpdated;
  int refreshFrame;  // a DirectShow movie's graph lost its frame: hand the current one over again
  BaseImage* currentImage;
  int lumaGraph, chromaGraph;
  MovieFrameCallback frameCallback;
  std::uint32_t callbackParameter;
  void* graphBuilder;
  void* mediaControl;
  void* mediaSeeking;
  void* basicAudio;
  void* renderer;
  std::int64_t duration;
  int temporaryFile;
  char16_t path[1536];
};

int InitializeMovie();
int TerminateMovie();
MovieHandleRecord* GetMovieHandleRecord(int handle);
// The snapshot holds the colour-and-alpha-halves, use-alpha and decoder settings.
int CopyMovieLoadSettings(int snapshot[3]);
int OpenMovie(const int settings[3], const char16_t* path, const void* image, std::uint32_t imageSize, int* width,
              int* height, int spare, int asyncFlag);
int SetMovieFrameCallback(int handle, MovieFrameCallback function, std::uint32_t parameter);
int UpdateMovie(int handle, int flag);
int SuspendPlayingMovies();
int ResumeSuspendedMovies();
int RequestMovieFrameRefresh(int handle);
int ReleaseMovie(MovieHandleRecord* movie);

// Movies other than Ogg Theora, through a DirectShow graph ending in the movie renderer
// (dshow_movie.cpp).
int OpenDirectShowMovie(MovieHandleRecord* movie, const char16_t* path, int spare, int asyncFlag);
int UpdateDirectShowMovie(MovieHandleRecord* movie, int flag);
int PauseDirectShowMovie(MovieHandleRecord* movie);
int RunDirectShowMovie(MovieHandleRecord* movie);
int ReleaseDirectShowMovie(MovieHandleRecord* movie);

}  // namespace ZaDod
