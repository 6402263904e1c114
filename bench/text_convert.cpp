// Conversion and formatting throughput of the media layer's text services.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "media/base/charcode.h"
#include "media/base/format.h"

using namespace ZaDod;

namespace {

std::string japaneseUtf8()
{
    std::string s;
    for (int i = 0; i < 200; ++i) s += "\xE3\x81\x82\xE3\x81\x84 text 123 \xE6\xBC\xA2\xE5\xAD\x97 ";
    return s;
}

std::u16string toUtf16(const std::string& utf8)
{
    std::u16string out(utf8.size() + 1, 0);
    ConvertString(utf8.c_str(), 65001, out.data(), out.size() * 2, 1200);
    out.resize(std::char_traits<char16_t>::length(out.c_str()));
    return out;
}

void convert(benchmark::State& state, const void* source, int from, int to, std::size_t bytes)
{
    std::vector<char> out(bytes * 4 + 16);
    for (auto _ : state) benchmark::DoNotOptimize(ConvertString(source, from, out.data(), out.size(), to));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void Utf8ToUtf16(benchmark::State& state)
{
    const std::string text = japaneseUtf8();
    convert(state, text.c_str(), 65001, 1200, text.size());
}

void Utf16ToShiftJis(benchmark::State& state)
{
    const std::u16string text = toUtf16(japaneseUtf8());
    convert(state, text.c_str(), 1200, 932, text.size() * 2);
}

void ShiftJisToGbk(benchmark::State& state)
{
    const std::u16string wide = toUtf16(japaneseUtf8());
    std::string sjis(wide.size() * 2 + 1, '\0');
    ConvertString(wide.c_str(), 1200, sjis.data(), sjis.size(), 932);
    sjis.resize(std::char_traits<char>::length(sjis.c_str()));
    convert(state, sjis.c_str(), 932, 936, sjis.size());
}

void FormatIntegers(benchmark::State& state)
{
    char out[256];
    int i = 0;
    for (auto _ : state) {
        CharCode_SNPrintf(65001, 0, 65001, 1200, out, sizeof out, "%d %5u %08x %-6d|%lld", i, i * 7, i * 13, -i, 1LL << 40);
        benchmark::DoNotOptimize(out);
        ++i;
    }
}

void FormatFloats(benchmark::State& state)
{
    char out[256];
    double v = 0.1;
    for (auto _ : state) {
        CharCode_SNPrintf(65001, 0, 65001, 1200, out, sizeof out, "%f %.3e %g", v, v * 1e10, v / 3);
        benchmark::DoNotOptimize(out);
        v += 1.37;
    }
}

void FormatWideLogLine(benchmark::State& state)
{
    char16_t out[1024];
    for (auto _ : state) {
        CharCode_SNPrintf(1200, 1, 932, 1200, out, 1024, u"%s: %S (%d x %d) %.3f ms", u"Graph", "\x89\xe6\x91\x9c", 640,
                          480, 16.667);
        benchmark::DoNotOptimize(out);
    }
}

}  // namespace

BENCHMARK(Utf8ToUtf16);
BENCHMARK(Utf16ToShiftJis);
BENCHMARK(ShiftJisToGbk);
BENCHMARK(FormatIntegers);
BENCHMARK(FormatFloats);
BENCHMARK(FormatWideLogLine);
BENCHMARK_MAIN();
