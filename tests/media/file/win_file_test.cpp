// Tests of media/file/win_file: the disk back end.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <set>
#include <thread>

#include "media/base/log.h"
#include "media/base/thread.h"
#include "media/file/win_file.h"
#include "platform/win/file.h"
#include "tests/media/file/file_testing.h"

using namespace ZaDod;
using namespace filetest;

namespace {

std::u16string lastLog;
void captureLog(const char16_t* line) { lastLog += line; }

int countThreads()
{
  int n = 0;
  if (DIR* d = ::opendir("/proc/self/task")) {
    while (dirent* e = ::readdir(d)) n += e->d_name[0] != '.';
    ::closedir(d);
  }
  return n;
}

// A thread whose function has returned may take a moment to leave the task list.
// The count once it has held for 20 ms: a worker an earlier test closed may
// still be ending when the next test takes its baseline.
int settledThreadCount()
{
  int n = countThreads();
  for (int held = 0, i = 0; held < 20 && i < 2000; ++i) {
    Thread_Sleep(1);
    const int now = countThreads();
    held = now == n ? held + 1 : 0;
    n = now;
  }
  return n;
}

int threadCount(int expected = -1)
{
  int n = countThreads();
  for (int i = 0; i < 2000 && expected >= 0 && n != expected; ++i) {
    Thread_Sleep(1);
    n = countThreads();
  }
  return n;
}

struct OpenFile {
  WinFileData file{};
  bool open = false;
  OpenFile(const std::string& path, int cache, int async)
  {
    file.ASyncReadFlag = async;
    open = WinFile_Open(&file, mediaPath(path).c_str(), cache, 1) == 0;
  }
  ~OpenFile()
  {
    if (open) WinFile_Close(&file);
  }
};

void waitIdle(WinFileData* f)
{
  while (!WinFile_IdleCheck(f)) Thread_Sleep(1);
}

void waitForCacheFill(WinFileData* f, std::uint64_t atLeast)
{
  for (int i = 0; i < 5000; ++i) {
    if (std::atomic_ref<std::uint64_t>(f->Worker.CacheFill).load() - std::atomic_ref<std::uint64_t>(f->Worker.CacheTaken).load() >= atLeast) return;
    Thread_Sleep(1);
  }
}

TEST(WinFile, ReadsDirectlyAndThroughAWorker)
{
  TempFolder dir;
  const auto bytes = noise(300000, 1);
  writeFile(dir / "f.bin", bytes);
  for (int cache = 0; cache < 2; ++cache)
    for (int async = 0; async < 2; ++async) {
      OpenFile f(dir / "f.bin", cache, async);
      ASSERT_TRUE(f.open);
      EXPECT_EQ(f.file.Size, bytes.size());
      std::vector<std::uint8_t> out(bytes.size());
      for (std::size_t at = 0; at < bytes.size(); at += 70000) {
        const std::size_t n = std::min<std::size_t>(70000, bytes.size() - at);
        f.file.Position = at;
        const std::size_t got = WinFile_Read(out.data() + at, 1, n, &f.file);
        EXPECT_EQ(got, n);
        waitIdle(&f.file);
      }
      EXPECT_EQ(out, bytes) << "cache " << cache << " async " << async;
    }
}

TEST(WinFile, AsynchronousReadAnswersTheRequestAndDeliversLater)
{
  TempFolder dir;
  writeFile(dir / "three.bin", {7, 8, 9});
  OpenFile f(dir / "three.bin", 0, 1);
  ASSERT_TRUE(f.open);
  std::uint8_t out[100] = {};
  EXPECT_EQ(WinFile_Read(out, 1, sizeof out, &f.file), sizeof out);
  waitIdle(&f.file);
  EXPECT_EQ(f.file.Worker.ReadSize, 3u);
  EXPECT_EQ(out[0], 7);
  EXPECT_EQ(out[2], 9);
}

TEST(WinFile, ReadAheadCacheServesOnlySequentialReads)
{
  TempFolder dir;
  const auto before = noise(200000, 2);
  writeFile(dir / "f.bin", before);
  OpenFile f(dir / "f.bin", 1, 0);
  ASSERT_TRUE(f.open);
  waitForCacheFill(&f.file, WinFileCacheBytes);

  // The file changes under the cache: a read that starts where the cache starts is
  // served from it (old bytes); a read elsewhere goes to the file (new bytes).
  auto after = before;
  for (auto& b : after) b ^= 0xFF;
  writeFile(dir / "f.bin", after);
  std::vector<std::uint8_t> out(1000);
  f.file.Position = 0;
  EXPECT_EQ(WinFile_Read(out.data(), 1, 1000, &f.file), 1000u);
  EXPECT_TRUE(std::equal(out.begin(), out.end(), before.begin()));
  f.file.Position = 1000;
  EXPECT_EQ(WinFile_Read(out.data(), 1, 1000, &f.file), 1000u);
  EXPECT_TRUE(std::equal(out.begin(), out.end(), before.begin() + 1000));

  f.file.Position = 50000;
  EXPECT_EQ(WinFile_Read(out.data(), 1, 1000, &f.file), 1000u);
  EXPECT_TRUE(std::equal(out.begin(), out.end(), after.begin() + 50000));

  // The cache restarted behind that read; once refilled, a change of the file is
  // again not seen by sequential reads, until a seek empties the cache.
  waitForCacheFill(&f.file, 1000);
  writeFile(dir / "f.bin", before);
  f.file.Position = 51000;
  EXPECT_EQ(WinFile_Read(out.data(), 1, 1000, &f.file), 1000u);
  EXPECT_TRUE(std::equal(out.begin(), out.end(), after.begin() + 51000));
  WinFile_Seek(&f.file, 52000);
  f.file.Position = 52000;
  EXPECT_EQ(WinFile_Read(out.data(), 1, 1000, &f.file), 1000u);
  EXPECT_TRUE(std::equal(out.begin(), out.end(), before.begin() + 52000));
}

TEST(WinFile, MissingFileWithWorkerLogsAndLeavesNoThread)
{
  TempFolder dir;
  SetLogTestHook(captureLog);
  lastLog.clear();
  const int threads = settledThreadCount();
  OpenFile f(dir / "missing.bin", 1, 0);
  EXPECT_FALSE(f.open);
  EXPECT_NE(lastLog.find(u"ファイルのオープンに失敗しました"), std::u16string::npos);
  EXPECT_EQ(threadCount(threads), threads);
  SetLogTestHook(nullptr);
}

TEST(WinFile, ClosingWaitsForTheWorker)
{
  TempFolder dir;
  writeFile(dir / "f.bin", noise(1000, 3));
  std::thread([] {}).join();  // a sanitizer may start a thread of its own with the first one
  const int threads = settledThreadCount();
  {
    OpenFile f(dir / "f.bin", 0, 1);
    ASSERT_TRUE(f.open);
    EXPECT_EQ(threadCount(threads + 1), threads + 1);
    EXPECT_EQ(WinFile_Close(&f.file), 0);
    f.open = false;
  }
  EXPECT_EQ(threadCount(threads), threads);
}

TEST(WinFile, ShortReadReportsTheBytesDelivered)
{
  TempFolder dir;
  const auto bytes = noise(200000, 4);
  writeFile(dir / "f.bin", bytes);
  for (int cache = 0; cache < 2; ++cache) {
    writeFile(dir / "f.bin", bytes);
    const FileStream s = WinFileSet_Open(mediaPath(dir / "f.bin").c_str(), cache, 1, 0);
    ASSERT_NE(s, 0u);
    ASSERT_EQ(::truncate((dir / "f.bin").c_str(), 150000), 0);
    WinFileSet_Seek(s, 100000, FileSeekSet);
    std::vector<std::uint8_t> out(100000);
    EXPECT_EQ(WinFileSet_Read(out.data(), 1, out.size(), s), 50000u);
    EXPECT_EQ(WinFileSet_Tell(s), 150000);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 50000, bytes.begin() + 100000));
    EXPECT_EQ(WinFileSet_Close(s), 0);
  }
}

TEST(WinFileSet, StopsAtTheEndInWholeElements)
{
  TempFolder dir;
  writeFile(dir / "three.bin", {1, 2, 3});
  const FileStream s = WinFileSet_Open(mediaPath(dir / "three.bin").c_str(), 0, 1, 0);
  ASSERT_NE(s, 0u);
  std::uint8_t out[8] = {};
  EXPECT_EQ(WinFileSet_Read(out, 4, 1, s), 0u);
  EXPECT_EQ(WinFileSet_Eof(s), -1);
  EXPECT_EQ(WinFileSet_Seek(s, -10, FileSeekEnd), 0);
  EXPECT_EQ(WinFileSet_Tell(s), 0);
  EXPECT_EQ(WinFileSet_Eof(s), 0);
  EXPECT_EQ(WinFileSet_Seek(s, 10, FileSeekCurrent), 0);
  EXPECT_EQ(WinFileSet_Tell(s), 3);
  EXPECT_EQ(WinFileSet_Seek(s, 0, 7), -1);
  WinFileSet_Seek(s, 1, FileSeekSet);
  EXPECT_EQ(WinFileSet_Read(out, 1, 8, s), 2u);
  EXPECT_EQ(out[0], 2);
  EXPECT_EQ(WinFileSet_Close(s), 0);
  EXPECT_EQ(WinFileSet_Open(mediaPath(dir / "none").c_str(), 0, 1, 0), 0u);
}

TEST(TemporaryFile, DistinctFilesFromManyThreads)
{
  TempFolder dir;
  ::setenv("TMPDIR", dir.path().c_str(), 1);
  std::vector<std::u16string> names(16);
  std::vector<std::thread> threads;
  for (int t = 0; t < 16; ++t)
    threads.emplace_back([&names, t] {
      char16_t path[1024];
      const auto file = CreateTemporaryFile(path, sizeof path);
      if (!file) return;
      const char data[] = "wave";
      std::size_t written = 0;
      WriteOnlyFileWrite(file, data, 4, &written);
      WriteOnlyFileSeek(file, 0, 0, 0);
      WriteOnlyFileWrite(file, "W", 1, &written);
      WriteOnlyFileClose(file);
      names[t] = path;
    });
  for (auto& t : threads) t.join();
  std::set<std::u16string> distinct(names.begin(), names.end());
  EXPECT_EQ(distinct.size(), 16u);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().filename().string().rfind("tmp", 0), 0u);
    EXPECT_EQ(std::filesystem::file_size(entry.path()), 4u);
    std::ifstream in(entry.path());
    std::string text;
    in >> text;
    EXPECT_EQ(text, "Wave");
    ++files;
  }
  EXPECT_EQ(files, 16);

  char16_t small[4];
  EXPECT_EQ(CreateTemporaryFile(small, sizeof small), nullptr);
  ::setenv("TMPDIR", (dir / "missing").c_str(), 1);
  EXPECT_EQ(CreateTemporaryFile(nullptr, 0), nullptr);
  ::unsetenv("TMPDIR");
}

}  // namespace

// Read patterns through the set, with and without read-ahead, against the file's own
// bytes: every read's count and bytes, the position and the end flag must match a
// plain model of the file. Two files are read interleaved, each pattern many times.
TEST(WinFileSet, ReadPatternsMatchTheFileWithAndWithoutReadAhead)
{
  struct Step {
    std::int64_t seekTo;  // -1: no seek before the read
    std::size_t read;
  };
  constexpr std::int64_t None = -1;
  struct Pattern {
    const char* name;
    std::vector<Step> steps;
  };
  std::vector<Pattern> patterns = {
      {"sequential 4K", std::vector<Step>(80, Step{None, 4096})},
      {"sequential 64K", std::vector<Step>(6, Step{None, 65536})},
      {"mixed sizes", {{None, 1}, {None, 7}, {None, 4096}, {None, 100000}, {None, 3}, {None, 70000}, {None, 16384},
                       {None, 200000}, {None, 5}}},
      {"seek back", {{None, 10000}, {5000, 20000}, {0, 4096}, {None, 4096}, {250000, 70000}, {1, 1}}},
      {"seek past end", {{400000, 10}, {None, 10}, {299990, 4096}, {None, 1}, {1000, 10}}},
      {"end of a short file", {{None, 100}, {0, 4096}, {None, 4096}, {50, 64}}},
  };
  TempFolder dir;
  const auto big = noise(300000, 5), small = noise(77, 6);
  writeFile(dir / "big.bin", big);
  writeFile(dir / "small.bin", small);
  for (int round = 0; round < 10; ++round)
    for (const Pattern& pattern : patterns)
      for (int cache = 0; cache < 2; ++cache) {
        const std::vector<std::uint8_t>* files[2] = {&big, &small};
        FileStream streams[2];
        std::int64_t model[2] = {0, 0};
        bool eof[2] = {false, false};  // a seek clears the flag, a read from the end sets it
        for (int f = 0; f < 2; ++f) {
          streams[f] = WinFileSet_Open(mediaPath(dir / (f ? "small.bin" : "big.bin")).c_str(), cache, 1, 0);
          ASSERT_NE(streams[f], 0u);
        }
        for (const Step& step : pattern.steps)
          for (int f = 0; f < 2; ++f) {
            const auto& bytes = *files[f];
            const auto size = static_cast<std::int64_t>(bytes.size());
            SCOPED_TRACE(std::string(pattern.name) + (f ? " small" : " big") + (cache ? " read-ahead" : " direct"));
            if (step.seekTo != None) {
              ASSERT_EQ(WinFileSet_Seek(streams[f], step.seekTo, FileSeekSet), 0);
              model[f] = std::min(step.seekTo, size);  // a seek past the end stops at it
            }
            std::vector<std::uint8_t> out(step.read, 0xEE);
            const bool atEnd = model[f] >= size;  // a read from the end sets the end flag
            const std::size_t want =
                static_cast<std::size_t>(std::clamp<std::int64_t>(size - model[f], 0, std::int64_t(step.read)));
            ASSERT_EQ(WinFileSet_Read(out.data(), 1, step.read, streams[f]), want);
            ASSERT_TRUE(std::equal(out.begin(), out.begin() + want, bytes.begin() + std::min(model[f], size)));
            model[f] += static_cast<std::int64_t>(want);
            ASSERT_EQ(WinFileSet_Tell(streams[f]), model[f]);
            ASSERT_EQ(WinFileSet_Eof(streams[f]), atEnd || (step.seekTo == None && eof[f]) ? -1 : 0);
            eof[f] = atEnd || (step.seekTo == None && eof[f]);
          }
        for (FileStream s : streams) EXPECT_EQ(WinFileSet_Close(s), 0);
      }
}
