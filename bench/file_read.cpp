// Sequential read throughput of a 64 MB file through each way the media layer reads
// files, in 4 KB and 64 KB requests, and the compiler scanner's byte loop (end test,
// one-byte read, idle check per byte) from disk and from an archive. The read-ahead
// path also runs alternating with fread in one loop, timed apart by wall clock, with
// the ratio of their throughputs (read-ahead/fread; the goal is at least 0.8).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "media/base/thread.h"
#include "media/file/archive_set.h"
#include "media/file/file_access.h"
#include "media/file/file_handle.h"
#include "media/file/win_file.h"
#include "tools/pack/archive_write.h"

using namespace ZaDod;

namespace {

constexpr std::size_t FileBytes = 64u << 20;
constexpr std::size_t SourceBytes = 1u << 20;

struct Fixture {
  std::string root;
  std::u16string big;                                  // on disk
  std::u16string plainEntry, keyedEntry, packedEntry;  // in archives

  static std::u16string wide(const std::string& s)
  {
    std::u16string out = u"C:";
    for (char c : s) out += c == '/' ? u'\\' : static_cast<char16_t>(c);
    return out;
  }

  static void write(const std::string& path, const std::vector<std::uint8_t>& bytes)
  {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }

  static void pack(const std::string& folder, const std::string& archive, const char* key,
                   halvorine::pack::ArchiveCompression compression)
  {
    halvorine::pack::ArchiveOptions options;
    options.key = key ? halvorine::pack::ArchiveKey::String : halvorine::pack::ArchiveKey::None;
    options.keyString = key ? key : "";
    options.compression = compression;
    std::string error;
    if (!halvorine::pack::writeArchive(folder, archive, options, error)) {
      std::fprintf(stderr, "bench_file_read: %s\n", error.c_str());
      std::exit(1);
    }
  }

  Fixture()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "halvorine-bench-XXXXXX").string();
    root = ::mkdtemp(pattern.data());
    std::mt19937 random(1);
    std::vector<std::uint8_t> noise(FileBytes), text(FileBytes);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<std::uint8_t>("for (i = 0; i < n; ++i) sum += a[i];\n"[i % 37] ^ (random() % 61 == 0));
    write(root + "/disk/big.bin", noise);
    write(root + "/plain/big.bin", noise);
    write(root + "/packed/big.bin", text);
    std::vector<std::uint8_t> src(text.begin(), text.begin() + SourceBytes);
    write(root + "/disk/main.kvj", src);
    write(root + "/plain/main.kvj", src);
    std::filesystem::create_directories(root + "/a");
    pack(root + "/plain", root + "/a/plain.zda", nullptr, halvorine::pack::ArchiveCompression::Never);
    pack(root + "/plain", root + "/a/keyed.zda", "abc", halvorine::pack::ArchiveCompression::Never);
    pack(root + "/packed", root + "/a/packed.zda", "abc", halvorine::pack::ArchiveCompression::Always);
    big = wide(root + "/disk/big.bin");
    plainEntry = wide(root + "/a/plain/big.bin");
    keyedEntry = wide(root + "/a/keyed/big.bin");
    packedEntry = wide(root + "/a/packed/big.bin");
  }
  ~Fixture() { std::filesystem::remove_all(root); }
};

Fixture& fixture()
{
  static Fixture f;
  return f;
}

void sequential(benchmark::State& state, const FileAccessFunctions* set, const std::u16string& path, int cache,
                const char* key)
{
  SetArchiveKeyString(key);
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    const FileStream s = set->Open(path.c_str(), cache, 1, 0);
    if (!s) {
      state.SkipWithError("open failed");
      return;
    }
    while (set->Read(buffer.data(), 1, buffer.size(), s) != 0) benchmark::DoNotOptimize(buffer.data());
    set->Close(s);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileBytes));
}

void BM_Fread(benchmark::State& state)
{
  fixture();
  std::string path = fixture().root + "/disk/big.bin";
  std::vector<char> buffer(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    while (std::fread(buffer.data(), 1, buffer.size(), f) != 0) benchmark::DoNotOptimize(buffer.data());
    std::fclose(f);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileBytes));
}

// Wall time: the read-ahead path works on two threads.
void BM_ReadAheadOverFread(benchmark::State& state)
{
  const std::string path = fixture().root + "/disk/big.bin";
  const FileAccessFunctions* set = GetWinFileFunctions();
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(state.range(0)));
  double plain = 0, ahead = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    while (std::fread(buffer.data(), 1, buffer.size(), f) != 0) benchmark::DoNotOptimize(buffer.data());
    std::fclose(f);
    const auto t1 = std::chrono::steady_clock::now();
    const FileStream s = set->Open(fixture().big.c_str(), 1, 1, 0);
    if (!s) {
      state.SkipWithError("open failed");
      return;
    }
    while (set->Read(buffer.data(), 1, buffer.size(), s) != 0) benchmark::DoNotOptimize(buffer.data());
    set->Close(s);
    const auto t2 = std::chrono::steady_clock::now();
    plain += std::chrono::duration<double>(t1 - t0).count();
    ahead += std::chrono::duration<double>(t2 - t1).count();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileBytes * 2));
  state.counters["readahead/fread"] = ahead > 0 ? plain / ahead : 0.0;
}

void BM_DiskDirect(benchmark::State& s) { sequential(s, GetWinFileFunctions(), fixture().big, 0, nullptr); }
void BM_DiskReadAhead(benchmark::State& s) { sequential(s, GetWinFileFunctions(), fixture().big, 1, nullptr); }
void BM_ArchivePlain(benchmark::State& s) { sequential(s, GetArchiveFileFunctions(), fixture().plainEntry, 0, nullptr); }
void BM_ArchiveKeyed(benchmark::State& s) { sequential(s, GetArchiveFileFunctions(), fixture().keyedEntry, 0, "abc"); }
void BM_ArchiveCompressed(benchmark::State& s)
{
  sequential(s, GetArchiveFileFunctions(), fixture().packedEntry, 0, "abc");
}

// The scanner's loop over a File handle: an end test (two tells, two seeks) and a
// one-byte read (end flag, read, idle check) per byte.
void scan(benchmark::State& state, const std::string& path)
{
  SetArchiveKeyString(nullptr);
  for (auto _ : state) {
    const int handle = OpenFileHandle(path.c_str(), 0);
    if (handle <= 0) {
      state.SkipWithError("open failed");
      return;
    }
    unsigned sum = 0;
    while (IsFileHandleAtEnd(handle) == 0) sum += static_cast<unsigned>(ReadFileHandleChar(handle));
    benchmark::DoNotOptimize(sum);
    SubHandle(handle);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * SourceBytes));
}

void BM_ScanDisk(benchmark::State& s) { scan(s, fixture().root + "/disk/main.kvj"); }
void BM_ScanArchive(benchmark::State& s) { scan(s, fixture().root + "/a/plain/main.kvj"); }

BENCHMARK(BM_Fread)->Arg(4096)->Arg(65536)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DiskDirect)->Arg(4096)->Arg(65536)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DiskReadAhead)->Arg(4096)->Arg(65536)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadAheadOverFread)->Arg(4096)->Arg(65536)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ArchivePlain)->Arg(4096)->Arg(65536)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiveKeyed)->Arg(4096)->Arg(65536)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiveCompressed)->Arg(4096)->Arg(65536)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanDisk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanArchive)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
