// Arbitrary bytes compiled as "main.kvj": the scanner and parser must end every
// input with a program or a clean error, never a crash, a hang or a leak. The
// file is served from memory; every other path (includes) is not found, except
// "main.kvj" itself, so self-inclusion is exercised too.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "runtime/compiler/compile_driver.h"
#include "runtime/compiler/source_io.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/runtime_log.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The log writes every line to standard output; keep the fuzzer's own
  // output readable and fast.
  std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
  (void)quiet;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kv::clearMemorySourceFiles();
  kv::setMemorySourceFile("main.kvj", std::string(reinterpret_cast<const char*>(data), size));
  kv::resetCompilerRunForTests();
  try {
    kv::compileSourceFile(nullptr, true);
  } catch (const kv::CompileError& e) {
    kv::logCompileError(e);
  } catch (const kv::RuntimeError&) {
  }
  if (kv::openSourceHandleCount() != 0) __builtin_trap();
  return 0;
}
