// TEMPORARY: the few pieces of runtime/vm's errors and log that the front end
// uses, with the names and signatures runtime/vm is getting. Once those land on
// main this header includes runtime/vm/errors.h and runtime/vm/log.h instead and
// vm_seam.cpp goes away.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kv {

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
  std::string text;
};

struct SourcePosition {
  int32_t file = 0;
  int32_t line = 0;
};
extern SourcePosition gCompilePosition;

void raiseCompileWarning(int32_t code, const char* name = nullptr);

void writeLogLine(const char* line);
void logSystem(const char* text);
void logCompiler(const char* text, int32_t file, int32_t line);
void logCompileError(const CompileError& e);
void logBadTokenWarning(int32_t line);

}  // namespace kv
