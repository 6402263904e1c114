// Shared by the Direct3D 11 back-end tests: the whole library started headless in a
// window with the media log on (its pieces captured), the software GPU's profile and
// journal reset, and small drawing and read-back helpers over the back end's own entries.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "media/graphics/base_image.h"
#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"
#include "media/graphics/screen.h"
#include "platform/win/win_clock.h"
#include "platform/gpu/journal.h"
#include "platform/gpu/profile.h"
#include "tests/media/system/media_library_fixture.h"

namespace d3d11test {

using namespace ZaDod;
using namespace plat::gpu;
using halvorine_test::LogCapture;
using halvorine_test::logHasInOrder;

struct Rgba {
  int r, g, b, a;
};

class D3D11Test : public halvorine_test::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    unsetenv("HALVORINE_MISSING");
    resetProfile();
    resetJournal();
    // The draw settings outlive a shut-down (a game may start the library again and keep
    // its background colour); each test starts from the settings of a fresh process.
    GraphicsDrawSettings = DrawSettings{};
    // The file is written too, as it is in a game; the capture reads the same pieces.
    SetLogFileOutput(1);
  }
  void TearDown() override {
    LibraryTest::TearDown();
    plat::win::ReleaseClockForTest();  // a test that held the clock must not stop the next one's
    unsetenv("HALVORINE_MISSING");
    resetProfile();
    setTracing(false);
  }

  // Starts the library windowed at the default 640x480.
  static int start() { return startWindowed(); }

  // Starts windowed at 640x480, 32 bits, on the software renderer or on the back end the
  // machine offers first; the API type that came up, or -1.
  static int startOn(bool software) {
    if (software)
      setenv("HALVORINE_MISSING", "d3d11,d3d9", 1);
    else
      unsetenv("HALVORINE_MISSING");
    ChangeWindowMode(1);
    SetScreenMode(640, 480, 32, 0);
    if (InitializeLibrary() != 0) return -1;
    return GraphicsApiType;
  }

  static int liveObjects() {
    int total = 0;
    for (int c : D3D11Sys.counters) total += c;
    return total;
  }

  // Fills the bound target with a colour through a clear.
  static void clearTo(int r, int g, int b) {
    GraphicsDrawSettings.backgroundRed = r;
    GraphicsDrawSettings.backgroundGreen = g;
    GraphicsDrawSettings.backgroundBlue = b;
    Graphics_D3D11_ClearDrawTarget(nullptr);
  }

  // One untextured quad over (x1, y1)-(x2, y2) in blend mode `mode`, queued in the batch.
  static void quad(int mode, Rgba c, int x1 = 0, int y1 = 0, int x2 = 16, int y2 = 16) {
    Graphics_D3D11_DeviceState_SetTexture(nullptr, nullptr);
    Graphics_D3D11_DeviceState_SetBlendModeKey(mode, 0, 0);
    Graphics_D3D11_ApplyBlendMode();
    struct V {
      float x, y, z, rhw;
      uint32_t colour;
    };
    const uint32_t colour = D3D11_VertexColor(c.r, c.g, c.b, c.a);
    const V v[6] = {{float(x1), float(y1), 0, 1, colour}, {float(x2), float(y1), 0, 1, colour},
                    {float(x1), float(y2), 0, 1, colour}, {float(x2), float(y1), 0, 1, colour},
                    {float(x2), float(y2), 0, 1, colour}, {float(x1), float(y2), 0, 1, colour}};
    uint8_t* at = Graphics_D3D11_BatchReserve(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST, 6);
    ASSERT_NE(at, nullptr);
    std::memcpy(at, v, sizeof v);
  }

  // The pixel of the locked draw target.
  static Rgba pixel(int x, int y) {
    BaseImage image{};
    Rgba out{-1, -1, -1, -1};
    if (Graphics_D3D11_LockDrawTargetBuffer(nullptr, &image, -1, 1, 0) != 0) return out;
    const uint8_t* p = static_cast<const uint8_t*>(image.pixels) + size_t(y) * size_t(image.pitch) + size_t(x) * 4;
    out = Rgba{p[0], p[1], p[2], p[3]};
    Graphics_D3D11_UnlockDrawTargetBuffer();
    return out;
  }
};

inline bool operator==(const Rgba& a, const Rgba& b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
inline std::ostream& operator<<(std::ostream& o, const Rgba& c) {
  return o << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

}  // namespace d3d11test
