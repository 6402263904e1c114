// Graphics start-up, shut-down, the API choice and the shared work buffers.
#include "media/base/handle.h"
#include "media/base/memory.h"
#include "media/graphics/font/font.h"
#include "tests/media/graphics/graphics_env.h"

using namespace ZaDod;
using halvorine_test::backendCallNames;

namespace {

using Startup = halvorine_test::GraphicsEnv;

const int kTypes[] = {HANDLETYPE_GRAPH, HANDLETYPE_SHADER, HANDLETYPE_SHADER_CONSTANT_BUFFER,
                      HANDLETYPE_VERTEX_BUFFER, HANDLETYPE_INDEX_BUFFER, HANDLETYPE_SHADOWMAP};

bool anyTypeRegistered() {
    for (int t : kTypes)
        if (HandleManageArray[t].InitializeFlag) return true;
    return false;
}

}  // namespace

TEST_F(Startup, SoftwareModeWithScreensAndTypes) {
    GraphicsDrawSettings.backgroundRed = 255;
    ASSERT_EQ(InitializeGraphics(), 0);
    EXPECT_EQ(GraphicsApiType, kGraphicsApiSoftware);
    EXPECT_EQ(GraphicsSys.hardware, 0);
    EXPECT_NE(GetDirectDrawObject(), nullptr);
    EXPECT_EQ(Graphics_Hardware_IsDisplayObjectReady(), 0);  // no window here
    for (int t : kTypes) EXPECT_TRUE(HandleManageArray[t].InitializeFlag) << t;
    EXPECT_EQ(GraphicsSys.width, 640);
    EXPECT_EQ(GraphicsSys.height, 480);
    EXPECT_EQ(GraphicsSys.requestedWidth, 640);
    EXPECT_EQ(GraphicsSys.requestedHeight, 480);
    EXPECT_EQ(GraphicsSys.colorBits, 16);
    for (const MEMIMG* screen : {&GraphicsSys.mainScreen, &GraphicsSys.auxScreen, &GraphicsSys.stringScreen,
                                 &GraphicsSys.stringAlphaScreen}) {
        ASSERT_EQ(CheckValidMemImg(screen), 1);
        EXPECT_EQ(screen->width, 640);
        EXPECT_EQ(screen->base->colorType, kMemImgR5G6B5);
    }
    const auto* pixels = reinterpret_cast<const uint16_t*>(GraphicsSys.mainScreen.pixels);
    EXPECT_EQ(pixels[0], 0xF800);
    EXPECT_EQ(pixels[639], 0xF800);
    EXPECT_EQ(GetMemImgDrawState().target, &GraphicsSys.mainScreen);
    EXPECT_EQ(GraphicsDrawSettings.targets[0].handle, -4);
    // The vertical blank was measured on the held clock's 60 Hz boundaries.
    EXPECT_GE(GraphicsDisplay.vsyncPeriod, 16666);
    EXPECT_LE(GraphicsDisplay.vsyncPeriod, 16667);

    const int before = MemGetAllocNum();
    EXPECT_EQ(InitializeGraphics(), 0);  // already started: nothing changes
    EXPECT_EQ(MemGetAllocNum(), before);
    EXPECT_EQ(SetUseHardwareFlag(0), -1);

    EXPECT_EQ(TerminateGraphics(), 0);
    EXPECT_FALSE(anyTypeRegistered());
    EXPECT_EQ(CheckValidMemImg(&GraphicsSys.mainScreen), 0);
}

TEST_F(Startup, ShutDownBeforeStartTouchesNothing) {
    EXPECT_EQ(TerminateGraphics(), 0);
    EXPECT_EQ(TerminateFontManage(), -1);  // the font module was never started
    EXPECT_EQ(HandleManageArray[HANDLETYPE_FONT].InitializeFlag, 0);
    EXPECT_TRUE(halvorine_test::backendCalls().empty());
}

TEST_F(Startup, MissingDirectDrawFailsWithoutTypes) {
    setenv("HALVORINE_MISSING", "ddraw", 1);
    EXPECT_EQ(InitializeGraphics(), -1);
    EXPECT_EQ(GraphicsSys.started, 0);
    EXPECT_FALSE(anyTypeRegistered());
    EXPECT_EQ(GetDirectDrawObject(), nullptr);
}

TEST_F(Startup, ApiChoice) {
    halvorine_test::setBackendStart(0, 0);
    ASSERT_EQ(InitializeGraphics(), 0);
    EXPECT_EQ(GraphicsApiType, kGraphicsApiD3D11);
    EXPECT_EQ(GraphicsSys.hardware, 1);
    EXPECT_EQ(backendCallNames().front(), "Graphics_D3D11_Initialize");
    for (const std::string& name : backendCallNames()) EXPECT_NE(name, "Graphics_D3D9_Initialize");
    EXPECT_EQ(CheckValidMemImg(&GraphicsSys.mainScreen), 0);  // no software screens with a device
    TerminateGraphics();

    GraphicsSys.hardware = 0;
    halvorine_test::resetRecordingBackend();
    halvorine_test::setBackendStart(0, -1);
    ASSERT_EQ(InitializeGraphics(), 0);
    EXPECT_EQ(GraphicsApiType, kGraphicsApiD3D9);
    const auto names = backendCallNames();
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names[0], "Graphics_D3D11_Initialize");
    EXPECT_EQ(names[1], "Graphics_D3D9_Initialize");
    EXPECT_EQ(names[2], "Graphics_D3D9_SetupDefaultDeviceState");
    TerminateGraphics();

    GraphicsSys.hardware = 0;
    halvorine_test::resetRecordingBackend();
    ASSERT_EQ(InitializeGraphics(), 0);
    EXPECT_EQ(GraphicsApiType, kGraphicsApiSoftware);
    EXPECT_EQ(backendCallNames(), (std::vector<std::string>{"Graphics_D3D11_Initialize", "Graphics_D3D9_Initialize"}));
    TerminateGraphics();

    halvorine_test::resetRecordingBackend();
    halvorine_test::setBackendStart(0, 0);
    ASSERT_EQ(SetUseHardwareFlag(0), 0);
    ASSERT_EQ(InitializeGraphics(), 0);
    EXPECT_EQ(GraphicsApiType, kGraphicsApiSoftware);
    EXPECT_TRUE(backendCallNames().empty());
}

TEST_F(Startup, AfterStartFailureUndoesEverything) {
    halvorine_test::setBackendStart(-1, 0);
    halvorine_test::setBackendResult("Graphics_D3D11_AfterInitialize", -1);
    EXPECT_EQ(InitializeGraphics(), -1);
    EXPECT_EQ(GraphicsSys.started, 0);
    EXPECT_FALSE(anyTypeRegistered());
    EXPECT_EQ(backendCallNames().back(), "Graphics_D3D11_Terminate");
}

TEST_F(Startup, DrawWorkBuffers) {
    EXPECT_EQ(ReserveDrawWorkBuffer(3, 16), -1);
    ASSERT_EQ(ReserveDrawWorkBuffer(1, 64), 0);
    void* block = GetDrawWorkBuffer(1);
    ASSERT_NE(block, nullptr);
    static_cast<char*>(block)[63] = 42;
    EXPECT_EQ(ReserveDrawWorkBuffer(1, 32), 0);  // not above the recorded size
    EXPECT_EQ(GetDrawWorkBuffer(1), block);
    // A growth that cannot be had keeps the old block and its contents.
    EXPECT_EQ(ReserveDrawWorkBuffer(1, size_t{1} << 50), -1);
    EXPECT_EQ(GetDrawWorkBuffer(1), block);
    EXPECT_EQ(GraphicsSys.workBufferSize[1], 64u);
    EXPECT_EQ(static_cast<char*>(block)[63], 42);
    ASSERT_EQ(ReserveDrawWorkBuffer(1, 4096), 0);
    EXPECT_EQ(static_cast<char*>(GetDrawWorkBuffer(1))[63], 42);
    ReleaseDrawWorkBuffers();
    EXPECT_EQ(GetDrawWorkBuffer(1), nullptr);
}

TEST_F(Startup, ScreenColourPacking) {
    GraphicsSys.colorBits = 16;
    EXPECT_EQ(PackScreenColor(255, 128, 64), 0xFC08u);
    int r, g, b;
    UnpackScreenColor(0xFC08, &r, &g, &b);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 32 * 255 / 63);
    EXPECT_EQ(b, 8 * 255 / 31);
    GraphicsSys.colorBits = 32;
    EXPECT_EQ(PackScreenColor(255, 128, 64), 0xFFFF8040u);
    GraphicsSys.hardware = 1;
    EXPECT_EQ(PackScreenColor(255, 128, 64), 0xFFFF8040u);
    UnpackScreenColor(0xFF102030u, &r, &g, &b);
    EXPECT_EQ(r, 0x10);
    EXPECT_EQ(b, 0x30);
    GraphicsSys.hardware = 0;
}
