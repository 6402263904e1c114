// The global functions of the library's own.
#include "runtime/library/global_natives.h"

#include <cstring>

#include "media/input/input.h"
#include "media/system/window.h"
#include "runtime/library/command_line.h"
#include "media/graphics/font/font.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "runtime/library/native_args.h"
#include "runtime/library/runtime_state.h"

namespace kv {

RuntimeState gRuntime;
const char* const kDefaultFontName = "MSゴシック";

namespace {
constexpr int32_t kErrScreenMode = 19;
constexpr int32_t kKeyCodes = 256;
}  // namespace

void createDefaultFont() {
  // Made on first use: a run that shows no label never loads a face for it.
  gRuntime.defaultFont = ZaDod::CreateFontHandleOnFirstUse(kDefaultFontName, -1, -1, -1, -1, -1, 0);
}

// The thread runs once every `interval` ticks from now on.
void listenNative(KVContext* ctx) {
  if (!isIntArg(ctx, 0)) {
    raiseRuntimeWarning(kWarnWrongArgument);
  } else {
    int32_t n = ctx->arg(0)->i;
    if (n < 1) {
      raiseRuntimeWarning(kWarnWrongArgument);
      n = 1;
    }
    ctx->interval = n;
    ctx->countdown = n;
  }
  ctx->pushUndefined();
}

void getColorNative(KVContext* ctx) {
  int c = ZaDod::PackScreenColor(truncatingArg(ctx, 0), truncatingArg(ctx, 1), truncatingArg(ctx, 2));
  ctx->pushInt(c & 0xFFFFFF);
}

// A missing argument switches mouse reading off.
void setMouseModeNative(KVContext* ctx) {
  gSettings.mouseReading = flagArg(ctx, 0) ? 1 : 0;
  ctx->pushUndefined();
}

void setBackgroundColorNative(KVContext* ctx) {
  ZaDod::SetBackgroundColor(intArg(ctx, 0, 0), intArg(ctx, 1, 0), intArg(ctx, 2, 0));
  ctx->pushUndefined();
}

// Only before the game loop starts, and only once.
void setGraphModeNative(KVContext* ctx) {
  if (!gRuntime.loopRunning) {
    gRuntime.screenWidth = intArg(ctx, 0, 640);
    gRuntime.screenHeight = intArg(ctx, 1, 480);
    if (ZaDod::SetScreenMode(gRuntime.screenWidth, gRuntime.screenHeight, 32, 60) != 0)
      throw RuntimeError(kErrScreenMode);
    createDefaultFont();
    gRuntime.loopRunning = 1;
  }
  ctx->pushUndefined();
}

// String constants and string objects alike; anything else is ignored.
void setWindowTextNative(KVContext* ctx) {
  if (const char* text = textArg(ctx, 0)) {
    size_t n = strnlen(text, sizeof gRuntime.windowTitle - 1);
    std::memcpy(gRuntime.windowTitle, text, n);
    gRuntime.windowTitle[n] = '\0';
    ZaDod::SetMainWindowText(gRuntime.windowTitle);
  }
  ctx->pushUndefined();
}

void checkHitKeyNative(KVContext* ctx) {
  if (!isIntArg(ctx, 0)) {
    raiseRuntimeWarning(kWarnWrongArgument);
    ctx->pushBool(false);
    return;
  }
  int32_t code = ctx->arg(0)->i;
  ctx->pushBool(code >= 0 && code < kKeyCodes && ZaDod::CheckKeyDown(code) == 1);
}

}  // namespace kv
