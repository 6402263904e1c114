// Numbered diagnostics of the script system: the four message tables, the
// exceptions that carry their codes, the runtime-warning limiter, source
// positions and the queue of system warnings met before the log opens.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kv {

// System error codes that other parts of the VM raise by name.
enum SystemErrorCode : int32_t {
  kErrStackOverflow = 0,
  kErrSecondaryOverflow = 1,
  kErrTooManyProperties = 4,
  kErrTooManyThreads = 5,
  kErrInternalAlloc = 8,
  kErrYieldValues = 11,
  kErrYieldRefs = 12,
  kErrNewNesting = 13,
  kErrWarningLimiter = 21,
  kErrRuntimeSpecific = 22,
  kErrUnexpected = 23,
};

// Runtime warning codes raised by the VM itself.
enum RuntimeWarningCode : int32_t {
  kWarnWrongArgument = 4,
  kWarnUncaughtException = 13,
  kWarnTooManyProperties = 15,
  kWarnEmergentEvac = 27,
};

constexpr int kRuntimeWarningCount = 28;

// A fatal runtime error. Deliberately not a std::exception: the start-up
// catches it apart from the standard exceptions.
struct RuntimeError {
  explicit RuntimeError(int32_t c) : code(c), text("no message") {}
  int32_t code;
  const char* text;
};

class CompileError : public std::exception {
 public:
  explicit CompileError(int32_t c) : code(c) {}
  CompileError(int32_t c, const char* t) : code(c), text(t ? t : "") {}
  const char* what() const noexcept override { return text.c_str(); }
  int32_t code;
  std::string text;  // the detail that code 7 shows
};

class KVUnexpected : public std::exception {
 public:
  explicit KVUnexpected(const char* t) : text(t ? t : "") {}
  const char* what() const noexcept override { return text.c_str(); }
  std::string text;
};

// The object-file exception of both the writer and the reader.
struct ObjfileError {
  int32_t kind;    // 0 cannot open, 1 corrupted, 2 older, 3 newer, 4 missing feature
  int32_t detail;  // which check failed for kind 1, else -1
};

const char* systemErrorText(int32_t code);
const char* runtimeErrorText(int32_t code);
const char* compileWarningText(int32_t code);
const char* objfileErrorText(int32_t kind);
std::string compileErrorText(const CompileError& e);

// Runtime warning through the per-code limiter; may raise RuntimeError 21.
// Answers whether the warning's line was written (the limiter may hold it back).
bool raiseRuntimeWarning(int32_t code, const char* detail = nullptr);
// Compile warning, written at once; a null name counts as empty.
void raiseCompileWarning(int32_t code, const char* name = nullptr);

void setWarningLimit(int32_t limit, int32_t code);
void setWarningFuse(int32_t flag, int32_t code);
void resetWarningLimiter();
int32_t warningLimitOf(int32_t code);

// The scanner writes the compile position, the interpreter the run position.
struct SourcePosition {
  int32_t file = 0;
  int32_t line = 0;
};
extern SourcePosition gCompilePosition;
extern SourcePosition gRunPosition;

// Each returns "F:<file> L:<line>" in a static buffer that the next call of
// the same function replaces.
const char* compilePositionText();
const char* compilePositionText(int32_t line);
const char* runtimePositionText();

void queueSystemWarning(const char* text);
void flushPendingSystemWarnings();

// n (0..9999) as exactly four digits and a terminating zero; buf holds 5 bytes.
char* formatFourDigits(char* buf, int32_t n);

struct PathSeparator {
  const char* at;  // first '/' or '\\', or null
  size_t index;    // its index, or the text's length when there is none
};
const PathSeparator* findFirstPathSeparator(const char* text);

}  // namespace kv
