// TEMPORARY: see vm_seam.h. Lines go to standard output only.
#include "runtime/compiler/vm_seam.h"

#include <cstdio>

namespace kv {

SourcePosition gCompilePosition;

namespace {

const char* const kCompileErrors[] = {
    "error", "path not found", "failure at file", "wrong path-name", "too many files",
    "too long path-name", "undeclared variable not allowed", "unresolved symbol",
    "illegal name for parameter", "invalid name for variable",
    "invalid name for catch-block variable", "different types for case-label", "no such label",
    "no such label", "violation in constant definition", "same identifier defined already",
    "wrong usage of 'delete' operator", "no such member in the object constant",
    "directive violation", "too many nestings", "too many arguments",
    "illegal usage of member-access operator", "L-value required", "syntax error",
    "too many symboles", "fail at conversion of a numerical literal",
    "yield operator found in non-generator function",
    "generator function cannot use free-variable", "export an undeclared identifier",
    "unknown character", "unknown token", "unknown state", "unknown token",
    "an unexpected error"};
const char* const kCompileWarnings[] = {"undeclared variable", "bad token detected",
                                        "a directive with no effect",
                                        "processing a obj-file with newer version"};

std::string fourDigits(int32_t n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04d", static_cast<int>(n));
  return buf;
}

std::string position() {
  return "F:" + std::to_string(gCompilePosition.file) + " L:" + std::to_string(gCompilePosition.line);
}

}  // namespace

void writeLogLine(const char* line) {
  std::fputs(line, stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void logSystem(const char* text) { writeLogLine(("System: " + std::string(text)).c_str()); }

void logCompiler(const char* text, int32_t file, int32_t line) {
  std::string s = "Compiler: " + std::string(text) + "  F:" + std::to_string(file) +
                  " L:" + std::to_string(line);
  writeLogLine(s.c_str());
}

void logCompileError(const CompileError& e) {
  std::string text = e.code >= 0 && e.code <= 33 ? kCompileErrors[e.code] : "";
  if (e.code == 7) text += " (" + e.text + ")";
  std::string s = "ERROR: (Ec" + fourDigits(e.code) + ") " + position() + " " + text;
  writeLogLine(s.c_str());
}

void logBadTokenWarning(int32_t line) {
  std::string s = "warning: (Wc0001) F:" + std::to_string(gCompilePosition.file) +
                  " L:" + std::to_string(line) + " bad token detected";
  writeLogLine(s.c_str());
}

void raiseCompileWarning(int32_t code, const char* name) {
  std::string s = "warning: (Wc" + fourDigits(code) + ") " + position() + " " +
                  (code >= 0 && code <= 3 ? kCompileWarnings[code] : "") + " (" +
                  (name ? name : "") + ")";
  writeLogLine(s.c_str());
}

}  // namespace kv
