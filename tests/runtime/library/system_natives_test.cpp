// Tests of runtime/library/system_natives: the natives of the System and Number objects.
#include "media/graphics/display.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/win/win_window.h"
#include "runtime/library/command_line.h"
#include "runtime/library/global_natives.h"
#include "runtime/library/runtime_state.h"
#include "runtime/library/system_natives.h"
#include "tests/runtime/library/library_fixture.h"

namespace kvtest {
namespace {

using SystemNativesTest = LibraryTest;

std::string textOf(const kv::Value& v) { return kv::valueText(v) ? kv::valueText(v) : "(none)"; }

TEST_F(SystemNativesTest, ToHexWritesTwosComplement) {
  EXPECT_EQ(textOf(callNative(&kv::numberToHexNative, {I(255)})), "ff");
  EXPECT_EQ(textOf(callNative(&kv::numberToHexNative, {I(-1)})), "ffffffff");
  EXPECT_EQ(textOf(callNative(&kv::numberToHexNative, {D(3.5)})), "0");
}

TEST_F(SystemNativesTest, IsNaNTestsTheTag) {
  EXPECT_EQ(callNative(&kv::numberIsNaNNative, {kv::Value::makeNaN()}).i, 1);
  EXPECT_EQ(callNative(&kv::numberIsNaNNative, {D(0.0)}).i, 0);
}

TEST_F(SystemNativesTest, GetColorPacksWithoutTheTopByteAndSaturates) {
  ZaDod::SetScreenMode(640, 480, 32, 60);  // a 32-bit screen
  kv::Value red = callNative(&kv::getColorNative, {I(255), I(0), I(0)});
  EXPECT_EQ(red.tag, kv::kInt);
  EXPECT_EQ(red.i, 16711680);
  EXPECT_EQ(callNative(&kv::getColorNative, {D(1e12), D(NAN), D(-0.5)}).i, 0xFF0000 & 0xFFFFFF);
}

TEST_F(SystemNativesTest, CheckHitKeyRefusesCodesOutsideTheKeyTable) {
  EXPECT_EQ(callNative(&kv::checkHitKeyNative, {I(1000)}).i, 0);
  EXPECT_EQ(callNative(&kv::checkHitKeyNative, {I(-1)}).i, 0);
  EXPECT_EQ(callNative(&kv::checkHitKeyNative, {D(1.0)}).tag, kv::kBool);
  EXPECT_NE(logText().find("warning: (Wr0004)"), std::string::npos);
}

TEST_F(SystemNativesTest, WindowTextTakesConstantsAndObjectsAndCutsAt255) {
  callNative(&kv::setWindowTextNative, {kv::Value::makeString("Title")});
  EXPECT_STREQ(kv::gRuntime.windowTitle, "Title");
  std::string longText(300, 'x');
  callNative(&kv::setWindowTextNative, {kv::Value::makeObject(kv::newKVstringFromText(longText.c_str()))});
  EXPECT_EQ(std::string(kv::gRuntime.windowTitle), std::string(255, 'x'));
  callNative(&kv::setWindowTextNative, {kv::Value::makeObject(kv::newKVstring(nullptr))});
  EXPECT_STREQ(kv::gRuntime.windowTitle, "");
}

TEST_F(SystemNativesTest, ListenSetsTheThreadsPace) {
  callNative(&kv::listenNative, {I(3)});
  EXPECT_EQ(ctx_->interval, 3);
  EXPECT_EQ(ctx_->countdown, 3);
  callNative(&kv::listenNative, {I(0)});
  EXPECT_EQ(ctx_->interval, 1);
  callNative(&kv::listenNative, {D(5.0)});
  EXPECT_EQ(ctx_->interval, 1);
}

TEST_F(SystemNativesTest, MouseModeAndLayerVisibilityDefaults) {
  callNative(&kv::setMouseModeNative, {});
  EXPECT_EQ(kv::gSettings.mouseReading, 0);
  callNative(&kv::setMouseModeNative, {kv::Value::makeBool(true)});
  EXPECT_EQ(kv::gSettings.mouseReading, 1);
  callNative(&kv::setDefaultLayerVisiblityNative, {I(0)});
  EXPECT_EQ(kv::gRuntime.defaultLayerVisible, 0);
  callNative(&kv::setDefaultLayerVisiblityNative, {});
  EXPECT_EQ(kv::gRuntime.defaultLayerVisible, 1);
}

TEST_F(SystemNativesTest, DefaultGeneratorCanOnlyBeAGenerator) {
  kv::createDefaultRandomGenerator();
  kv::ObjectRoot before(kv::defaultRandomGenerator());  // a call may move it
  callNative(&kv::setDefaultRandomGeneratorNative, {I(1)});
  EXPECT_EQ(kv::defaultRandomGenerator(), before.get());
  kv::Value got = callNative(&kv::getDefaultRandomGeneratorNative, {});
  EXPECT_EQ(got.obj, before.get());
}

}  // namespace
}  // namespace kvtest
