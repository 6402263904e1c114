// Speed of the script front end: tokens scanned per second, and source lines
// scanned and parsed per second (with no code generation).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "runtime/compiler/compile_driver.h"
#include "runtime/compiler/parser.h"
#include "runtime/compiler/source_files.h"
#include "runtime/compiler/source_io.h"
#include "runtime/vm/errors.h"

namespace {

const char* const kBody =
    "function step(n, list) { var i, total = 0; for (i = 0; i < n; i++) { total += list[i] * 2; } return total; }\n"
    "var o = {x: 1, 'y': [1, 2, 3], 4: null};\n"
    "if (o.x > 0 && o.y[1] != 3) { console.log(\"positive\"); } else { wait; }\n"
    "switch (k) { case 1: a = Math.floor(b / 3); case KEY_INPUT_A: c = (int)d; default: e++; }\n"
    "/* a comment that spans\n   two lines */ x = y >> 2 | z; // and a line comment\n";
constexpr int kBodyLines = 6;

// The body's free names, declared once so that the whole source compiles.
const char* const kHeader = "var k, a, b, c, d, e, x, y, z;\n";

std::string makeSource(int copies) {
  std::string s = kHeader;
  for (int i = 0; i < copies; ++i) s += kBody;
  return s;
}

// The log writes to standard output; keep it out of the report.
class QuietStdout {
 public:
  QuietStdout() : saved_(::dup(1)) {
    int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::close(null);
  }
  ~QuietStdout() {
    std::fflush(stdout);
    ::dup2(saved_, 1);
    ::close(saved_);
  }

 private:
  int saved_;
};

void BM_ScanTokens(benchmark::State& state) {
  kv::setMemorySourceFile("main.kvj", makeSource(static_cast<int>(state.range(0))));
  int64_t tokens = 0;
  {
    QuietStdout quiet;
    for (auto _ : state) {
      kv::resetCompilerRunForTests();
      kv::openMainSource("main.kvj", true);
      while (kv::yylex() != 0) ++tokens;
      kv::closeAllSources();
    }
  }
  kv::clearMemorySourceFiles();
  state.counters["tokens/s"] = benchmark::Counter(static_cast<double>(tokens), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScanTokens)->Arg(10)->Arg(200);

void BM_ParseLines(benchmark::State& state) {
  int copies = static_cast<int>(state.range(0));
  kv::setMemorySourceFile("main.kvj", makeSource(copies));
  int64_t lines = 0;
  std::string failure;
  {
    QuietStdout quiet;
    for (auto _ : state) {
      kv::resetCompilerRunForTests();
      try {
        kv::compileSourceFile(nullptr, true);
      } catch (const kv::CompileError& e) {
        failure = "the benchmark source does not compile: error " + std::to_string(e.code) + " " + e.what();
        break;
      }
      lines += int64_t{copies} * kBodyLines;
    }
  }
  kv::clearMemorySourceFiles();
  if (failure.empty() && !kv::parserState().codegenFlag) failure = "the benchmark source does not parse";
  if (!failure.empty()) state.SkipWithError(failure.c_str());
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ParseLines)->Arg(10)->Arg(200);

}  // namespace

BENCHMARK_MAIN();
