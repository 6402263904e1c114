// Shared by the movie-life tests: the library started windowed on each renderer of the
// headless display, the window's activation switched as the system's messages would,
// and a game frame that brings a movie's graph up to date.
#pragma once
#include <cstdlib>

#include "media/graphics/draw.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/screen.h"
#include "media/movie/movie.h"
#include "media/system/window.h"
#include "platform/audio/audio_test.h"
#include "platform/win/win_window.h"
#include "tests/media/system/media_library_fixture.h"

namespace halvorine_test {

struct LifeRenderer {
  const char* missing;  // back ends left out, so the one wanted is chosen
  int api;
};
inline constexpr LifeRenderer kLifeRenderers[] = {
    {"d3d11,d3d9", ZaDod::kGraphicsApiSoftware}, {"d3d11", ZaDod::kGraphicsApiD3D9}, {"", ZaDod::kGraphicsApiD3D11}};

inline void deactivateWindow() { ZaDod::HandleWindowActivation(0, 0, 0, 0); }
inline void activateWindow() { ZaDod::HandleWindowActivation(plat::win::WA_ACTIVE, 0, 0, 0); }

// A game frame: drawing the graph brings the movie up to date and its frame in. An
// inactive window holds draws back, so then only the update runs.
inline void drawMovieGraph(int graph, int movie) {
  if (ZaDod::GetWindowActiveFlag())
    ZaDod::DrawGraph(0, 0, graph, 0);
  else
    ZaDod::UpdateMovie(movie, 0);
}

class MovieLifeTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    api_ = ZaDod::GraphicsApiType;
    plat::audio::UseManualAudioSinkForTest(true);
  }
  // The renderer kind outlives the library's end; the tests beside these in one
  // process expect the one they started with.
  void TearDown() override {
    LibraryTest::TearDown();
    unsetenv("HALVORINE_MISSING");
    ZaDod::GraphicsApiType = api_;
    plat::audio::UseManualAudioSinkForTest(false);
  }
  // Starts the library windowed on one renderer.
  static bool startRenderer(const LifeRenderer& r) {
    setenv("HALVORINE_MISSING", r.missing, 1);
    ZaDod::SetScreenMode(640, 480, 32, 0);
    return startWindowed() == 0 && ZaDod::GraphicsApiType == r.api;
  }

 private:
  int api_ = ZaDod::kGraphicsApiSoftware;
};

}  // namespace halvorine_test
