// Shared by the device re-creation tests: the ways a game meets a re-created device (a
// lost device, a full-screen window switched away from and back, a change of screen
// mode), frames compared pixel by pixel with the first differences reported, and the
// count of what stays alive (handles of every type and the software GPU's objects).
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "media/base/handle.h"
#include "media/graphics/d3d9/backend.h"
#include "media/graphics/hardware.h"
#include "media/graphics/screen.h"
#include "media/system/window.h"
#include "media/system/window_state.h"
#include "platform/gpu/face_com.h"
#include "platform/win/win_window.h"
#include "tests/media/graphics/renderers/renderer_frames.h"

namespace recreation {

using namespace ZaDod;
using namespace renderertest;

enum Loss { kLostDevice, kFullScreenSwitch, kModeChange, kLosses };
inline const char* const kLossNames[kLosses] = {"lost device", "full-screen switch", "mode change"};

// The device made again the ways a game meets it: lost (Direct3D 9 finds out on the
// window's activation; Direct3D 11 has no lost-device check and is restored through the
// path the full-screen activation takes), the window of a full-screen game switched away
// from and back to (the device objects go on deactivation and come back on activation),
// or a change of screen mode through 800 x 600 and back.
inline void loseDevice(Renderer r, Loss loss) {
    switch (loss) {
        case kLostDevice:
            if (r == kD3D9) {
                plat::gpu::LoseDeviceForTest(D3D9Sys.device);
                HandleWindowActivation(0, 0, 0, 0);
                HandleWindowActivation(1, 0, 0, 0);
            } else {
                ASSERT_EQ(RestoreGraphicsDevice(), 0);
            }
            break;
        case kFullScreenSwitch:
            // Deactivation releases the device objects and minimises the window; the
            // window shown again, its activation restores the device (as it does in full
            // screen; the test's window stays a window).
            Win.Settings.WindowModeFlag = 0;
            HandleWindowActivation(0, 0, 0, 0);
            Win.Settings.WindowModeFlag = 1;
            EXPECT_EQ(GraphicsSys.hardware, 0);
            plat::win::ShowWindow(Win.Status.MainWindow, plat::win::SW_RESTORE);
            ASSERT_EQ(RestoreGraphicsDevice(), 0);
            break;
        default:
            ASSERT_EQ(Graphics_Hardware_RecreateDevice(1, 800, 600, 32, 60), 0);
            ASSERT_EQ(Graphics_Hardware_RecreateDevice(1, kW, kH, 32, 60), 0);
            break;
    }
    ASSERT_EQ(GraphicsSys.hardware, 1);
}

// The pixels that differ, with the first few and the box around them reported.
inline int differing(const Frame& a, const Frame& b, const char* what) {
    int count = 0, left = kW, top = kH, right = -1, bottom = -1;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            if (a.at(x, y) == b.at(x, y)) continue;
            if (count++ < 4)
                ADD_FAILURE() << what << ": at " << x << ", " << y << " " << hex(a.at(x, y)) << " then "
                              << hex(b.at(x, y));
            left = std::min(left, x), top = std::min(top, y), right = std::max(right, x), bottom = std::max(bottom, y);
        }
    if (count > 0)
        ADD_FAILURE() << what << ": " << count << " pixels differ within (" << left << ", " << top << ")-(" << right
                      << ", " << bottom << ")";
    return count;
}

// What stays alive: handles of every type and the software GPU's COM objects.
struct Alive {
    std::array<int, HANDLETYPE_COUNT> handles{};
    long comObjects = 0;
    bool operator==(const Alive&) const = default;
};
inline Alive alive() {
    // Staging objects lent to uploads are kept for two seconds after use: emptied first,
    // the count does not depend on how fast the test runs.
    Graphics_Hardware_SysMemCache_ReleaseAll();
    Alive a;
    for (int t = 0; t < HANDLETYPE_COUNT; ++t)
        a.handles[t] = HandleManageArray[t].InitializeFlag ? HandleManageArray[t].Num : 0;
    a.comObjects = plat::gpu::LiveComObjectsForTest();
    return a;
}
inline std::string describe(const Alive& a) {
    std::string out = "COM objects " + std::to_string(a.comObjects) + ", handles";
    for (int t = 0; t < HANDLETYPE_COUNT; ++t)
        if (a.handles[t] != 0) out += " " + std::to_string(t) + ":" + std::to_string(a.handles[t]);
    return out;
}

}  // namespace recreation
