// TEMPORARY SEAM (replaced by the DirectShow movies module): movies that are not Ogg
// Theora. No filter graph exists yet, so the open fails and nothing else is reached.
#include "media/movie/movie.h"

namespace ZaDod {

int OpenDirectShowMovie(MovieHandleRecord*, const char16_t*, int, int) { return -1; }
int UpdateDirectShowMovie(MovieHandleRecord*, int) { return 0; }
int PauseDirectShowMovie(MovieHandleRecord*) { return 0; }
int RunDirectShowMovie(MovieHandleRecord*) { return 0; }
int ReleaseDirectShowMovie(MovieHandleRecord*) { return 0; }

}  // namespace ZaDod
