// Writing the runtime log: standard output and kvlog.txt within its budget.
#include "runtime/vm/runtime_log.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <langinfo.h>
#include <string>

namespace kv {
namespace {

constexpr int32_t kInitialLimit = 1024;

FILE* gLogFile = nullptr;
bool gShut = false;  // the budget was spent; the log never opens again
int32_t gTotal = 0;
int32_t gLimit = kInitialLimit;

// Byte length of the line's first character in the narrow code page. The
// C locale counts as UTF-8, like every UTF-8 locale.
int32_t firstCharLength(const char* line) {
  unsigned char c = static_cast<unsigned char>(line[0]);
  if (c == 0) return 0;
  if (c < 0x80) return 1;
  const char* codeset = nl_langinfo(CODESET);
  bool utf8 = std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "ANSI_X3.4-1968") == 0;
  if (!utf8) {
    std::mbstate_t st{};
    size_t n = std::mbrlen(line, MB_CUR_MAX, &st);
    return n == 0 || n > MB_CUR_MAX ? 1 : static_cast<int32_t>(n);
  }
  if (c >= 0xF0) return 4;
  if (c >= 0xE0) return 3;
  if (c >= 0xC0) return 2;
  return 1;
}

void appendFour(std::string& s, int32_t n) {
  char buf[5];
  s += formatFourDigits(buf, n);
}

}  // namespace

bool openLogFile(const char* name) {
  if (gLogFile || gShut) return false;
  FILE* f = std::fopen(name ? name : "kvlog.txt", "w");
  if (!f) return false;
  gLogFile = f;
  return true;
}

void closeLogFile() {
  if (gLogFile) std::fclose(gLogFile);
  gLogFile = nullptr;
  gShut = false;
  gTotal = 0;
  gLimit = kInitialLimit;
}

void writeLogLine(const char* line) {
  std::fputs(line, stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
  if (!gLogFile) return;
  int32_t total = gTotal + 2 + firstCharLength(line);
  if (total >= gLimit) {
    // The budget is spent: the log stays shut for the rest of the run.
    std::fclose(gLogFile);
    gLogFile = nullptr;
    gShut = true;
    return;
  }
  gTotal = total;
  std::fputs(line, gLogFile);
  std::fputc('\n', gLogFile);
  std::fflush(gLogFile);
}

void doubleLogLimit() { gLimit *= 2; }
int32_t logLimit() { return gLimit; }
int32_t logTotal() { return gTotal; }

void logSystem(const char* text) { writeLogLine((std::string("System: ") + text).c_str()); }
void logObjFile(const char* text) { writeLogLine((std::string("OBJ-file: ") + text).c_str()); }
void logModule(const char* text) { writeLogLine((std::string("Module: ") + text).c_str()); }
void logSystemWarning(const char* text) { writeLogLine((std::string("warning: (System) ") + text).c_str()); }

void logCompiler(const char* text, int32_t file, int32_t line) {
  std::string s = "Compiler: ";
  s += text;
  s += "  F:" + std::to_string(file) + " L:" + std::to_string(line);
  writeLogLine(s.c_str());
}

void logSystemError(int32_t code) {
  std::string s = "ERROR: (Ex";
  appendFour(s, 2000 + code);
  s += ") ";
  s += runtimePositionText();
  s += ' ';
  s += systemErrorText(code);
  writeLogLine(s.c_str());
}

void logCompileError(const CompileError& e) {
  std::string s = "ERROR: (Ec";
  appendFour(s, e.code);
  s += ") " + std::string(compilePositionText()) + ' ' + compileErrorText(e);
  writeLogLine(s.c_str());
  // The line's text is fixed; an unknown key name is named on a line of its own.
  if (e.code == 32 && !e.text.empty()) writeLogLine(("  unknown key name: " + e.text).c_str());
}

void logObjfileError(const ObjfileError& e) {
  std::string s = "ERROR: (Ex";
  appendFour(s, 8000 + e.kind);
  s += ") ";
  s += objfileErrorText(e.kind);
  if (e.detail >= 0) s += "(" + std::to_string(e.detail) + ")";
  writeLogLine(s.c_str());
}

void logCompileWarning(int32_t code, const char* name) {
  std::string s = "warning: (Wc";
  appendFour(s, code);
  s += ") " + std::string(compilePositionText()) + ' ' + compileWarningText(code) + " (" + (name ? name : "") + ")";
  writeLogLine(s.c_str());
}

void logBadTokenWarning(int32_t line) {
  std::string s = "warning: (Wc0001) ";
  s += compilePositionText(line);
  s += " bad token detected";
  writeLogLine(s.c_str());
}

void logRuntimeWarning(int32_t code, const char* extra) {
  std::string s = "warning: (Wr";
  appendFour(s, code);
  s += ") ";
  s += runtimePositionText();
  s += ' ';
  s += runtimeErrorText(code);
  if (extra) {
    s += ": ";
    s += extra;
  }
  writeLogLine(s.c_str());
}

}  // namespace kv
