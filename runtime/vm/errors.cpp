// The numbered diagnostics of the script system and how they are reported.
#include "runtime/vm/errors.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "runtime/vm/context.h"
#include "runtime/vm/function.h"
#include "runtime/vm/runtime_log.h"

namespace kv {
namespace {

// Texts are kept byte for byte as games and their players have always seen them.
const char* const kSystemErrors[] = {
    "stack overflow",
    "stack (secondary) overflow",
    "scheduler overflow ",
    "too many nestings",
    "too many properties",
    "too many threads",
    "main window was closed",
    "system memory allocation error",
    "internal memory allocation error",
    "memory corruption",
    "too many variables",
    "",
    "'yield' operator has too many pending assignments",
    "'new' operator nested too deeply",
    "#include directive is not available within imported module",
    "'non-return import' invoked in a spawned thread",
    "non-return import limitation",
    "failed to import the module",
    "cannot use 'wait' while importing; aborted",
    "failed to change the screen mode",
    "failed in ZaDodInit()",
    "runtime warning limiter violation",
    "a runtime-specific error",
    "an unexpected error",
};

const char* const kRuntimeWarnings[kRuntimeWarningCount] = {
    "circular link",
    "too many  array-index",
    "invalid array-index",
    "construtor failed",
    "wrong argument",
    "failed to load resources",
    "non-function object was called",
    "method call by non-object",
    "'new' operator called without function object",
    "recursive call of begin_paint()",
    "end_paint() was called without begin_paint()",
    "canvas_to_memory() was called without begin_paint()",
    "negative integer for bracket operator",
    "uncaught exception",
    "an illegal assignment",
    "too many properties",
    "operator ++/-- applied to non-integral value",
    "illegal number for array size",
    "illegal size of ArrayBuffer",
    "access violation by ArrayView",
    "illegal number of arguments with Tuple",
    "cannot load modules recursively",
    "a compound assignment operation on noexistent member",
    "too many suspended threads",
    "illegal operation with SaveFile",
    "limit on implementation",
    "explict iterator required",
    "emergent evac KV1",
};

const char* const kCompileErrors[] = {
    "error",
    "path not found",
    "failure at file",
    "wrong path-name",
    "too many files",
    "too long path-name",
    "undeclared variable not allowed",
    "unresolved symbol",
    "illegal name for parameter",
    "invalid name for variable",
    "invalid name for catch-block variable",
    "different types for case-label",
    "no such label",
    "no such label",
    "violation in constant definition",
    "same identifier defined already",
    "wrong usage of 'delete' operator",
    "no such member in the object constant",
    "directive violation",
    "too many nestings",
    "too many arguments",
    "illegal usage of member-access operator",
    "L-value required",
    "syntax error",
    "too many symboles",
    "fail at conversion of a numerical literal",
    "yield operator found in non-generator function",
    "generator function cannot use free-variable",
    "export an undeclared identifier",
    "unknown character",
    "unknown token",
    "unknown state",
    "unknown token",
    "an unexpected error",
};

const char* const kCompileWarnings[] = {
    "undeclared variable",
    "bad token detected",
    "a directive with no effect",
    "processing a obj-file with newer version",
};

const char* const kObjfileErrors[] = {
    "obj-file cannot open",
    "obj-file corrupted",
    "an imcompatible old obj-file",
    "an imcompatible newer obj-file",
    "system lacks some features; cannot process the obj-file",
};

template <size_t N>
const char* rowOf(const char* const (&table)[N], int32_t code) {
  return code >= 0 && static_cast<size_t>(code) < N ? table[code] : "";
}

struct WarningLimiter {
  int32_t count[kRuntimeWarningCount];
  int32_t limit[kRuntimeWarningCount];
  int32_t fuse[kRuntimeWarningCount];
};
WarningLimiter gLimiter = [] {
  WarningLimiter l{};
  for (int i = 0; i < kRuntimeWarningCount; ++i) l.limit[i] = 4;
  return l;
}();

std::vector<std::string>& pendingSystemWarnings() {
  static std::vector<std::string> pending;
  return pending;
}

char gCompilePosBuf[40];
char gRunPosBuf[40];

const char* positionInto(char* buf, int32_t file, int32_t line) {
  std::snprintf(buf, sizeof gCompilePosBuf, "F:%d L:%d", file, line);
  return buf;
}

// "wrong argument" leaves open whose argument it was. Only natives raise it,
// and while one runs it is the running context's program, so a built-in
// names itself on the next line; the warning's own line stays as it is.
void nameWrongArgumentsFunction(int32_t code) {
  if (code != kWarnWrongArgument || !gCurrentContext) return;
  const Callable* running = gCurrentContext->program;
  if (running && running->native && running->name)
    writeLogLine((std::string("  wrong argument to ") + running->name).c_str());
}

}  // namespace

SourcePosition gCompilePosition;
SourcePosition gRunPosition;

const char* systemErrorText(int32_t code) { return rowOf(kSystemErrors, code); }
const char* runtimeErrorText(int32_t code) { return rowOf(kRuntimeWarnings, code); }
const char* compileWarningText(int32_t code) { return rowOf(kCompileWarnings, code); }
const char* objfileErrorText(int32_t kind) { return rowOf(kObjfileErrors, kind); }

std::string compileErrorText(const CompileError& e) {
  std::string text = rowOf(kCompileErrors, e.code);
  if (e.code == 7) text += " (" + e.text + ")";
  return text;
}

bool raiseRuntimeWarning(int32_t code, const char* detail) {
  if (code < 0 || code >= kRuntimeWarningCount) return false;
  if (gLimiter.count[code] < gLimiter.limit[code]) {
    ++gLimiter.count[code];
    logRuntimeWarning(code, detail);
    nameWrongArgumentsFunction(code);
    return true;
  }
  if (gLimiter.fuse[code]) {
    logRuntimeWarning(code, detail);
    nameWrongArgumentsFunction(code);
    throw RuntimeError(kErrWarningLimiter);
  }
  return false;
}

void raiseCompileWarning(int32_t code, const char* name) { logCompileWarning(code, name ? name : ""); }

void setWarningLimit(int32_t limit, int32_t code) {
  if (code >= kRuntimeWarningCount) return;
  int32_t clamped = limit < 0 ? 0 : (limit > 1024 ? 1024 : limit);
  if (code < 0) {
    for (int32_t& l : gLimiter.limit) l = clamped;
  } else {
    gLimiter.limit[code] = clamped;
  }
}

void setWarningFuse(int32_t flag, int32_t code) {
  if (code >= kRuntimeWarningCount) return;
  if (code < 0) {
    for (int32_t& f : gLimiter.fuse) f = flag;
  } else {
    gLimiter.fuse[code] = flag;
  }
}

void resetWarningLimiter() {
  for (int i = 0; i < kRuntimeWarningCount; ++i) {
    gLimiter.count[i] = 0;
    gLimiter.limit[i] = 4;
    gLimiter.fuse[i] = 0;
  }
}

int32_t warningLimitOf(int32_t code) {
  return code >= 0 && code < kRuntimeWarningCount ? gLimiter.limit[code] : -1;
}

const char* compilePositionText() {
  return positionInto(gCompilePosBuf, gCompilePosition.file, gCompilePosition.line);
}
const char* compilePositionText(int32_t line) {
  return positionInto(gCompilePosBuf, gCompilePosition.file, line);
}
const char* runtimePositionText() { return positionInto(gRunPosBuf, gRunPosition.file, gRunPosition.line); }

void queueSystemWarning(const char* text) { pendingSystemWarnings().emplace_back(text ? text : ""); }

void flushPendingSystemWarnings() {
  std::vector<std::string> pending;
  pending.swap(pendingSystemWarnings());
  for (const std::string& t : pending) logSystemWarning(t.c_str());
}

char* formatFourDigits(char* buf, int32_t n) {
  // Codes are 0..9999; anything else is folded into range rather than
  // writing past the five bytes the callers hold.
  uint32_t v = static_cast<uint32_t>(n) % 10000u;
  buf[0] = static_cast<char>('0' + v / 1000);
  buf[1] = static_cast<char>('0' + v / 100 % 10);
  buf[2] = static_cast<char>('0' + v / 10 % 10);
  buf[3] = static_cast<char>('0' + v % 10);
  buf[4] = '\0';
  return buf;
}

const PathSeparator* findFirstPathSeparator(const char* text) {
  static PathSeparator result;
  size_t n = std::strcspn(text, "/\\");
  result.at = text[n] ? text + n : nullptr;
  result.index = n;
  return &result;
}

}  // namespace kv
