// The global functions of the library's own.
#include "runtime/library/global_natives.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "media/input/input.h"
#include "media/system/window.h"
#include "runtime/library/command_line.h"
#include "media/graphics/font/font.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "runtime/library/native_args.h"
#include "runtime/library/runtime_state.h"
#include "runtime/vm/runtime_log.h"

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
void noteScriptGraph(int32_t graph) {
  if (graph >= 0 && !gRuntime.loopRunning) gRuntime.earlyGraphs.push_back(graph);
}

namespace {

// Early graphs that still exist, each counted once (duplicates share none, but a
// handle may be noted twice).
std::vector<int32_t> liveEarlyGraphs() {
  std::vector<int32_t> live;
  for (int32_t g : gRuntime.earlyGraphs) {
    int w = 0, h = 0;
    if (ZaDod::GetGraphSize(g, &w, &h) == 0 && std::find(live.begin(), live.end(), g) == live.end())
      live.push_back(g);
  }
  return live;
}

}  // namespace

void setGraphModeNative(KVContext* ctx) {
  if (!gRuntime.loopRunning) {
    gRuntime.screenWidth = intArg(ctx, 0, 640);
    gRuntime.screenHeight = intArg(ctx, 1, 480);
    const std::vector<int32_t> held = liveEarlyGraphs();
    gRuntime.earlyGraphs.clear();
    if (ZaDod::SetScreenMode(gRuntime.screenWidth, gRuntime.screenHeight, 32, 60) != 0)
      throw RuntimeError(kErrScreenMode);
    // The mode change deletes every graph; a picture made before it draws nothing
    // from here on, which a game would not see without a word.
    int dropped = 0;
    for (int32_t g : held) {
      int w = 0, h = 0;
      dropped += ZaDod::GetGraphSize(g, &w, &h) != 0;
    }
    if (dropped > 0)
      logSystemWarning(("set_graph_mode: the new screen mode dropped " + std::to_string(dropped) +
                        (dropped == 1 ? " picture" : " pictures") +
                        " made before it; make pictures, canvases and fonts after set_graph_mode")
                           .c_str());
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
