// The draw state: the setter protocol on the recording back end and in software mode,
// the draw area, draw targets, defaults, queries, snapshots and the camera.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "media/base/handle.h"
#include "media/file/async_load.h"
#include "media/graphics/graph.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/render_state.h"
#include "media/graphics/screen.h"
#include "tests/media/graphics/graphics_env.h"

using namespace ZaDod;
using halvorine_test::backendCallNames;
using halvorine_test::backendCalls;

namespace {

struct RenderSettings : halvorine_test::GraphicsEnv {
    void SetUp() override {
        GraphicsEnv::SetUp();
        ClearEndRequestFlag();  // a library test before may have ended its run
    }

    void TearDown() override {
        SetDrawTargetKeepSettingsFlag(0);
        GraphicsEnv::TearDown();
    }

    // Software graphs nothing can draw onto: a blend image, and one with an alpha channel
    // (only a device draws onto those).
    static int makeBlendImageGraph(int width, int height) {
        SetupGraphParam param;
        InitSetupGraphParam(&param, 0, 0, 0);
        param.blendImage = 1;
        return MakeGraphFromParam(&param, width, height, 0, 8, 0, 0);
    }
    static int makeAlphaDrawableGraph(int width, int height) {
        SetupGraphParam param;
        InitSetupGraphParamDrawable(&param, 0, 1);
        return MakeGraphFromParam(&param, width, height, 0, 8, 0, 0);
    }

    static const MEMIMG* graphImage(int handle) { return GetGraphSoftImage(GetGraphData(handle)); }

    static void startHardware() {
        halvorine_test::setBackendStart(0, -1);
        ASSERT_EQ(InitializeGraphics(), 0);
        backendCalls().clear();
    }
};

TEST_F(RenderSettings, SetterProtocolOnTheDevice) {
    startHardware();
    SetDrawMode(0);
    SetDrawBlendMode(0, 0);
    SetDrawBright(255, 255, 255);
    SetFogEnable(0);
    EXPECT_TRUE(backendCalls().empty());

    SetDrawMode(1);
    SetDrawBlendMode(1, 128);
    SetFogEnable(1);
    SetUseLighting(1);
    const std::vector<std::string> expected{
        "Graphics_D3D9_FlushVertexBatch", "Graphics_D3D9_SetDrawMode",
        "Graphics_D3D9_FlushVertexBatch", "Graphics_D3D9_RefreshDiffuseColor",
        "Graphics_D3D9_FlushVertexBatch", "Graphics_D3D9_SetFogEnable",
        "Graphics_D3D9_FlushVertexBatch", "Graphics_D3D9_SetUseLighting"};
    EXPECT_EQ(backendCallNames(), expected);
    EXPECT_EQ(GraphicsDrawSettings.dirty, 1);
}

// The bright reaches a device only through the colours of vertices written after it, so
// a change keeps the batch on Direct3D 11; Direct3D 9 is asked (with whether the new
// bright is white), since its texture stages may have to change with it. Repeated so
// that a kept batch is still flushed by the next change that needs it.
TEST_F(RenderSettings, BrightChangesFlushTheBatchOnlyWhereADeviceStateFollowsThem) {
    struct Case {
        const char* name;
        int d3d9, d3d11;  // start results: which back end comes up
        int from[3], to[3];
        int keeps;        // Direct3D 9's answer; -1: not asked
        const char* white;  // the argument it is asked with
        bool flush;
    };
    const Case cases[] = {
        {"d3d9 to colour, stages must change", 0, -1, {255, 255, 255}, {10, 20, 30}, 0, "0,", true},
        {"d3d9 to colour, stages modulate", 0, -1, {255, 255, 255}, {0, 0, 0}, 1, "0,", false},
        {"d3d9 to white", 0, -1, {0, 0, 0}, {255, 255, 255}, 1, "1,", false},
        {"d3d9 one channel off white", 0, -1, {255, 255, 255}, {255, 255, 254}, 0, "0,", true},
        {"d3d11 white to colour", -1, 0, {255, 255, 255}, {10, 20, 30}, -1, "", false},
        {"d3d11 colour to white", -1, 0, {10, 20, 30}, {255, 255, 255}, -1, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TerminateGraphics();
        halvorine_test::resetRecordingBackend();
        halvorine_test::setBackendStart(c.d3d9, c.d3d11);
        ASSERT_EQ(InitializeGraphics(), 0);
        ASSERT_EQ(GraphicsApiType, c.d3d9 == 0 ? kGraphicsApiD3D9 : kGraphicsApiD3D11);
        if (c.keeps >= 0) halvorine_test::setBackendResult("Graphics_D3D9_BrightKeepsBatch", c.keeps);
        for (int round = 0; round < 2; ++round) {
            SetDrawBright(c.from[0], c.from[1], c.from[2]);
            backendCalls().clear();
            GraphicsRender.settingsChanged = 0;
            SetDrawBright(c.to[0], c.to[1], c.to[2]);
            const std::vector<std::string> names = backendCallNames();
            std::string asked = "-";
            for (const auto& call : backendCalls())
                if (call.name == "Graphics_D3D9_BrightKeepsBatch") asked = call.args;
            EXPECT_EQ(asked, c.keeps >= 0 ? std::string(c.white) : std::string("-"));
            const bool flushed = std::find_if(names.begin(), names.end(), [](const std::string& n) {
                                     return n.find("FlushVertexBatch") != std::string::npos;
                                 }) != names.end();
            EXPECT_EQ(flushed, c.flush);
            EXPECT_EQ(GraphicsRender.settingsChanged, c.flush ? 1 : 0);
            EXPECT_EQ(GraphicsDrawSettings.brightRed, c.to[0]);
            EXPECT_EQ(GraphicsDrawSettings.brightBlue, c.to[2]);
        }
    }
}

TEST_F(RenderSettings, SoftwareStateFollowsAndValuesAreClamped) {
    ASSERT_EQ(InitializeGraphics(), 0);
    backendCalls().clear();
    SetDrawBlendMode(1, 300);
    EXPECT_EQ(GraphicsDrawSettings.blendParam, 255);
    EXPECT_EQ(GetMemImgDrawState().blendParam, 255);
    SetDrawBlendMode(1, -5);
    EXPECT_EQ(GraphicsDrawSettings.blendParam, 0);
    EXPECT_EQ(GetMemImgDrawState().blendMode, 1);
    SetDrawBright(300, 128, -1);
    EXPECT_EQ(GetMemImgDrawState().bright, 0xFF8000u);
    SetDrawAlphaTest(2, 999);
    EXPECT_EQ(GraphicsDrawSettings.alphaTestRef, 255);
    SetDrawableGraphMultiSample(32, 0);
    EXPECT_EQ(GraphicsDrawSettings.multiSampleCount, 16);
    EXPECT_TRUE(backendCalls().empty());
}

TEST_F(RenderSettings, DrawAreaIsOrderedClampedOrSuppressed) {
    ASSERT_EQ(InitializeGraphics(), 0);
    SetDrawArea(100, 100, 50, 50);
    const ImageRect swapped = GraphicsDrawSettings.drawArea;
    SetDrawArea(50, 50, 100, 100);
    EXPECT_EQ(std::memcmp(&swapped, &GraphicsDrawSettings.drawArea, sizeof swapped), 0);
    EXPECT_EQ(GetMemImgDrawState().drawArea.right, 100);

    SetDrawArea(-20, 10, 9999, 470);
    EXPECT_EQ(GraphicsDrawSettings.drawArea.left, 0);
    EXPECT_EQ(GraphicsDrawSettings.drawArea.right, 640);
    EXPECT_EQ(GraphicsDrawSettings.requestedDrawArea.left, -20);

    SetDrawArea(10, 10, 10, 200);
    EXPECT_EQ(GraphicsDrawSettings.drawingSuppressed, 1);
    SetDrawArea(10, 10, 11, 200);
    EXPECT_EQ(GraphicsDrawSettings.drawingSuppressed, 0);
    // The viewport maps clip space onto the area.
    EXPECT_DOUBLE_EQ(GraphicsDrawSettings.viewportMatrix.m[3][0], 10.5);
    EXPECT_DOUBLE_EQ(GraphicsDrawSettings.viewportMatrix.m[1][1], -95.0);
}

TEST_F(RenderSettings, DefaultsAfterStartUp) {
    ASSERT_EQ(InitializeGraphics(), 0);
    const DrawSettings& s = GraphicsDrawSettings;
    const RenderState& r = GraphicsRender;
    EXPECT_EQ(GetDrawTarget(), -4);
    EXPECT_EQ(s.blendMode, 0);
    EXPECT_EQ(s.brightRed + s.brightGreen + s.brightBlue, 765);
    EXPECT_EQ(r.fogStart, 0.0f);
    EXPECT_EQ(r.fogEnd, 1500.0f);
    EXPECT_EQ(r.drawZ, 0.2f);
    EXPECT_EQ(r.fillMode, 3);
    EXPECT_EQ(r.blendGraph, -1);
    EXPECT_NEAR(r.defaultLightDirection.x, 0.57735, 1e-5);
    EXPECT_NEAR(r.defaultLightDirection.y, -0.57735, 1e-5);
    EXPECT_EQ(r.material.power, 20.0f);
    EXPECT_EQ(s.drawArea.right, 640);
    EXPECT_EQ(s.drawArea.bottom, 480);

    // The draw target's camera replaces the reset's near and far; a reset before any
    // target is set leaves them.
    TerminateGraphics();
    GraphicsSys.started = 0;
    ResetDrawSettings();
    EXPECT_EQ(s.nearZ, 10.0);
    EXPECT_EQ(s.farZ, 10000.0);
    EXPECT_DOUBLE_EQ(s.fieldOfView, 1.0471975803375244);
}

TEST_F(RenderSettings, DefaultCameraOfA640x480Target) {
    ASSERT_EQ(InitializeGraphics(), 0);
    const DrawSettings& s = GraphicsDrawSettings;
    EXPECT_NEAR(-s.cameraEye.z, 415.692, 1e-3);
    EXPECT_NEAR(s.nearZ, 41.569, 1e-3);
    EXPECT_NEAR(s.farZ, 20415.692, 1e-3);
    // A point on z = 0 lands on its own pixel.
    Vector3D p{100.0, 50.0, 0.0}, out;
    double w;
    VectorTransform4D(&out, &w, &p, 1.0, &GraphicsRender.combined);
    EXPECT_NEAR(out.x / w, 100.0, 1e-4);
    EXPECT_NEAR(out.y / w, 430.0, 1e-4);  // y grows upwards in the world
}

TEST_F(RenderSettings, QueriesBeforeStartUp) {
    int w = 0, h = 0, bits = 0;
    GetScreenState(&w, &h, &bits);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_EQ(bits, 16);
    EXPECT_EQ(GetScreenColorBitDepth(), 16);
    SetScreenMode(320, 200, 32, 0);
    EXPECT_EQ(GetGraphSize(-4, &w, &h), 0);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 200);
    EXPECT_EQ(GetGraphSize(12345, &w, &h), -1);
    EXPECT_EQ(GetDrawTargetPixel(-1, 0), 0xFFFFFFFFu);
}

TEST_F(RenderSettings, DrawTargets) {
    SetScreenMode(640, 480, 32, 0);
    EXPECT_EQ(SetDrawTarget(-2), -1);  // not started
    ASSERT_EQ(InitializeGraphics(), 0);
    ASSERT_EQ(SetDrawTarget(-2), 0);
    const int same = MakeDrawableGraph(640, 480, 0);
    const int small = MakeDrawableGraph(100, 50, 0);
    const int fixed = makeBlendImageGraph(100, 50);
    const int alpha = makeAlphaDrawableGraph(100, 50);
    ASSERT_TRUE(same > 0 && small > 0 && fixed > 0 && alpha > 0);

    EXPECT_EQ(SetDrawTarget(fixed), -1);
    EXPECT_EQ(SetDrawTarget(alpha), -1);
    EXPECT_EQ(SetDrawTarget(0x7000), -1);
    EXPECT_EQ(GetDrawTarget(), -2);

    SetDrawArea(10, 20, 30, 40);
    ASSERT_EQ(SetDrawTarget(same), 0);
    EXPECT_EQ(GraphicsDrawSettings.drawArea.right, 30);  // same size: the area stays
    EXPECT_EQ(GetMemImgDrawState().target, graphImage(same));
    ASSERT_EQ(SetDrawTarget(small), 0);
    EXPECT_EQ(GraphicsDrawSettings.drawArea.right, 100);  // another size: the whole target
    EXPECT_EQ(GraphicsDrawSettings.drawArea.bottom, 50);
    EXPECT_NEAR(-GraphicsDrawSettings.cameraEye.z, 25 / 0.57735026, 1e-6);

    // With the keep flag the request and the camera survive the change.
    SetDrawArea(5, 5, 60, 30);
    const Vector3D eye{1, 2, -3}, at{1, 2, 0}, up{0, 1, 0};
    SetCameraPositionAndTargetAndUpVec(&eye, &at, &up);
    SetDrawTargetKeepSettingsFlag(1);
    ASSERT_EQ(SetDrawTarget(-2), 0);
    EXPECT_EQ(GraphicsDrawSettings.drawArea.right, 60);
    EXPECT_EQ(GraphicsDrawSettings.cameraEye.z, -3.0);
    EXPECT_EQ(GetMemImgDrawState().target, &GraphicsSys.mainScreen);

    // -3 and -5 stand for the back screen.
    EXPECT_EQ(SetDrawTarget(-3), 0);
    EXPECT_EQ(GetMemImgDrawState().target, &GraphicsSys.mainScreen);
    EXPECT_EQ(SetRenderTarget(1, same, 0), -1);  // no device
    EXPECT_EQ(SetRenderTarget(9, same, 0), -1);

    // Deleting the graph being drawn onto switches back to the front screen and its whole area.
    SetDrawTargetKeepSettingsFlag(0);
    ASSERT_EQ(SetDrawTarget(small), 0);
    ASSERT_EQ(SubHandle(small), 0);
    EXPECT_EQ(GetDrawTarget(), -4);
    EXPECT_EQ(GetMemImgDrawState().target, &GraphicsSys.mainScreen);
    EXPECT_EQ(GraphicsDrawSettings.drawArea.right, 640);
    EXPECT_EQ(GraphicsDrawSettings.drawArea.bottom, 480);
}

TEST_F(RenderSettings, LeavingTheFrontScreenPresentsIt) {
    startHardware();
    ASSERT_EQ(GetDrawTarget(), -4);
    ASSERT_EQ(SetDrawTarget(-2), 0);
    int presents = 0;
    for (const std::string& name : backendCallNames()) presents += name == "Graphics_D3D9_FlipScreen";
    EXPECT_EQ(presents, 1);
    backendCalls().clear();
    ASSERT_EQ(SetDrawTarget(-2), 0);
    for (const std::string& name : backendCallNames()) EXPECT_NE(name, "Graphics_D3D9_FlipScreen");
}

TEST_F(RenderSettings, PixelsAndCopiesOfTheDrawTarget) {
    SetScreenMode(64, 32, 32, 0);
    ASSERT_EQ(InitializeGraphics(), 0);
    SetDrawTarget(-2);
    const uint32_t red = PackColorDataPixel(GraphicsSys.mainScreen.base->colorData, 255, 0, 0, 0);
    const ImageRect dot{3, 4, 4, 5};
    FillMemImg(&GraphicsSys.mainScreen, &dot, red);
    EXPECT_EQ(GetDrawTargetPixel(3, 4), red);
    EXPECT_EQ(GetDrawTargetPixel(64, 0), 0xFFFFFFFFu);

    const int copy = MakeDrawableGraph(4, 4, 0);
    EXPECT_EQ(CopyDrawTargetRectToGraph(0, 0, 5, 4, copy), -1);  // another size
    ASSERT_EQ(CopyDrawTargetRectToGraph(2, 2, 6, 6, copy), 0);
    ASSERT_EQ(SetDrawTarget(copy), 0);
    EXPECT_EQ(GetDrawTargetPixel(1, 2), red);
    EXPECT_NE(GetDrawTargetPixel(0, 0), red);
}

TEST_F(RenderSettings, SnapshotRoundTrips) {
    ASSERT_EQ(InitializeGraphics(), 0);
    SetDrawTarget(-2);
    DrawSettingState before;
    GetDrawSettingState(&before);
    SetDrawArea(1, 2, 3, 4);
    SetupCamera_Ortho(300.0);
    Matrix4x4D world;
    CreateIdentityMatrixD(&world);
    world.m[3][0] = 7.0;
    SetTransformToWorld(&world);
    SetDrawSettingState(&before);
    DrawSettingState after;
    GetDrawSettingState(&after);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

TEST_F(RenderSettings, UnprojectInvertsTheProjection) {
    ASSERT_EQ(InitializeGraphics(), 0);
    const Vector3D p{123.0, -45.0, 300.0};
    Vector3D screen, back;
    double w;
    VectorTransform4D(&screen, &w, &p, 1.0, &GraphicsRender.combined);
    UnprojectScreenPoint(&back, screen.x / w, screen.y / w, screen.z / w);
    EXPECT_NEAR(back.x, p.x, 1e-6);
    EXPECT_NEAR(back.y, p.y, 1e-6);
    EXPECT_NEAR(back.z, p.z, 1e-6);
}

TEST_F(RenderSettings, CameraAnglesLookingStraightUpAndDown) {
    ASSERT_EQ(InitializeGraphics(), 0);
    const Vector3D eye{0, 0, 0}, upwards{0, 10, 0}, downwards{0, -10, 0}, north{0, 0, 1}, level{1, 0, 1},
        yUp{0, 1, 0};
    double h, v, t;
    SetCameraPositionAndTargetAndUpVec(&eye, &upwards, &north);
    GetCameraAngles(&h, &v, &t);
    EXPECT_EQ(h, 0.0);
    EXPECT_NEAR(v, -M_PI / 2, 1e-12);
    EXPECT_NEAR(t, 0.0, 1e-12);
    SetCameraPositionAndTargetAndUpVec(&eye, &downwards, &north);
    GetCameraAngles(&h, &v, &t);
    EXPECT_NEAR(v, M_PI / 2, 1e-12);
    SetCameraPositionAndTargetAndUpVec(&eye, &level, &yUp);
    GetCameraAngles(&h, &v, &t);
    EXPECT_NEAR(h, M_PI / 4, 1e-12);
    EXPECT_NEAR(v, 0.0, 1e-12);
    EXPECT_NEAR(t, 0.0, 1e-12);
}

TEST_F(RenderSettings, SubtractiveEmulationOrder) {
    startHardware();
    SetDrawBlendMode(2, 77);
    SetDrawBright(10, 20, 30);
    backendCalls().clear();
    const ImageRect rect{1, 2, 3, 4};
    BeginSubtractBlendEmulation(&rect);
    EXPECT_EQ(GraphicsDrawSettings.blendMode, 5);
    EXPECT_EQ(GraphicsDrawSettings.blendParam, 77);
    EXPECT_EQ(GraphicsDrawSettings.brightRed, 10);
    EndSubtractBlendEmulation(&rect);
    EXPECT_EQ(GraphicsDrawSettings.blendMode, 3);
    EXPECT_EQ(GraphicsDrawSettings.blendParam, 77);
    std::vector<std::string> boxes;
    for (const auto& call : backendCalls())
        if (call.name == "Graphics_D3D9_DrawFilledBox") boxes.push_back(call.args);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "1,2,3,4," + std::to_string(0xFFFFFFFFu) + ",");
}

}  // namespace
