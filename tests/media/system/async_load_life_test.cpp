// Graphs, sounds and fonts loaded on the loading workers through their whole life:
// used when done, deleted while loading, many at once, the same file twice, failed
// loads, and the library shut down with loads in flight and started again. What a
// load made is compared with the same load done at once and with its source.
#include <atomic>
#include <cstring>
#include <fstream>
#include <map>
#include <functional>
#include <string>
#include <vector>

#include "media/base/handle.h"
#include "media/file/async_load.h"
#include "media/file/async_load_state.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/graphics.h"
#include "media/graphics/pixel_format.h"
#include "media/sound/sound_handle.h"
#include "media_library_fixture.h"
#include "tests/media/sound/sound_system_fixture.h"
#include "tools/pack/archive_write.h"

namespace {
using namespace halvorine_test;
using namespace ZaDod;

// Waits for the loads with the main thread's pump running, within a generous bound.
template <class Done>
bool pumpUntil(Done done) {
  for (int i = 0; i < 20000; ++i) {
    if (done()) return true;
    ProcessWindowMessages();
    Thread_Sleep(1);
  }
  return done();
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void put(std::vector<std::uint8_t>& v, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) v.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A 24-bit bottom-up BMP of colours whose channels are 0 or 255, which every pixel
// format keeps exactly, in a pattern that follows seed.
struct Picture {
  int width, height, seed;
  std::uint32_t colour(int x, int y) const {
    const std::uint32_t v = (static_cast<std::uint32_t>(seed * 131 + x * 7 + y * 29) * 2654435761u) >> 29;
    return (v & 4 ? 0xFF0000 : 0) | (v & 2 ? 0xFF00 : 0) | (v & 1 ? 0xFF : 0);
  }
  std::vector<std::uint8_t> bytes() const {
    const int pitch = (width * 3 + 3) & ~3;
    std::vector<std::uint8_t> b{'B', 'M'};
    put(b, 54 + pitch * height, 4);
    put(b, 0, 4);
    put(b, 54, 4);
    put(b, 40, 4);
    put(b, width, 4);
    put(b, height, 4);
    put(b, 1, 2);
    put(b, 24, 2);
    for (int i = 0; i < 6; ++i) put(b, 0, 4);
    for (int y = height - 1; y >= 0; --y) {
      for (int x = 0; x < width; ++x) put(b, colour(x, y), 3);
      for (int p = width * 3; p < pitch; ++p) b.push_back(0);
    }
    return b;
  }
};

// Mono 16-bit samples that follow seed.
std::vector<std::int16_t> samplesOf(int seed, int count) {
  std::vector<std::int16_t> s(count);
  for (int i = 0; i < count; ++i) s[i] = static_cast<std::int16_t>((i * (seed + 3) * 37) % 30000 - 15000);
  return s;
}

// The pixels of a ready graph as 0xRRGGBB.
std::vector<std::uint32_t> pixelsOf(int handle) {
  std::vector<std::uint32_t> out;
  const GraphData* graph = GetGraphData(handle, 0);
  if (graph == nullptr) return out;
  const MEMIMG& img = graph->image;
  const PixelFormatDesc* desc = img.base->colorData;
  const int bytes = MemImgPixelBytes(img.base);
  for (int y = 0; y < graph->area.height; ++y) {
    for (int x = 0; x < graph->area.width; ++x) {
      std::uint32_t value = 0;
      std::memcpy(&value, img.pixels + static_cast<size_t>(y) * img.base->pitch + x * bytes, bytes > 4 ? 4 : bytes);
      int r, g, b, a;
      UnpackColorDataPixel(desc, value, &r, &g, &b, &a);
      out.push_back(static_cast<std::uint32_t>(r << 16 | g << 8 | b));
    }
  }
  return out;
}

// The samples of a ready memory sound's first buffer.
std::vector<std::int16_t> samplesIn(int handle) {
  std::vector<std::int16_t> out;
  SoundHandleRecord* r = GetSoundRecord(handle, 0);
  if (r == nullptr || r->StreamFlag) return out;
  SoundBuffer* b = &r->Buffer[0];
  const std::uint32_t bytes = static_cast<std::uint32_t>(b->SampleNum) * b->Format.nBlockAlign;
  void *p1 = nullptr, *p2 = nullptr;
  pa::DWORD n1 = 0, n2 = 0;
  const int locked = SoundBuffer_Lock(b, 0, bytes, &p1, &n1, &p2, &n2);
  if (locked < 0) return out;
  const void* data = locked == 2 ? b->Wave->Data : p1;
  out.resize(bytes / 2);
  std::memcpy(out.data(), data, bytes);
  SoundBuffer_Unlock(b, p1, n1, p2, n2);
  return out;
}

}  // namespace

namespace {

// One kind of resource: how a source of variant v is written and loaded, and what a
// ready handle holds, to be compared with what the source says (empty: compared with
// the same load done at once instead).
struct Kind {
  const char* name;
  int limit;  // loads to have in flight at once, within the type's handle limit
  std::function<std::string(int v)> write;
  std::function<int(const std::string& source)> load;
  std::function<std::vector<std::int64_t>(int handle)> content;
  std::function<std::vector<std::int64_t>(int v)> expected;
  std::function<bool(int handle)> ready;
};

template <class T>
std::vector<std::int64_t> widen(const std::vector<T>& v) {
  return std::vector<std::int64_t>(v.begin(), v.end());
}

Picture pictureOf(int v) { return Picture{3 + v % 5, 2 + v % 3, v * 7}; }

std::vector<std::int64_t> fontContent(int handle) {
  FontHandleRecord* f = GetFontRecord(handle);
  if (f == nullptr) return {};
  std::vector<std::int64_t> out{f->cellWidth, f->cellHeight, f->baseLine, GetFontSizeToHandle(handle),
                                GetDrawStringWidthToHandleW(u"Abcあ", 4, handle)};
  for (char16_t c : std::u16string(u"Ag@あ")) {
    const FontGlyphSlot* slot = CacheOneChar(f, c, nullptr);
    if (slot == nullptr) return {};
    out.insert(out.end(), {slot->width, slot->height, slot->advance, slot->drawX, slot->drawY});
  }
  return out;
}

const Kind kKinds[] = {
    {"graph", 200,
     [](int v) {
       const std::string path = "pic" + std::to_string(v) + ".bmp";
       writeBytes(path, pictureOf(v).bytes());
       return path;
     },
     [](const std::string& path) { return LoadGraph(path.c_str()); }, [](int h) { return widen(pixelsOf(h)); },
     [](int v) {
       const Picture p = pictureOf(v);
       std::vector<std::int64_t> out;
       for (int y = 0; y < p.height; ++y)
         for (int x = 0; x < p.width; ++x) out.push_back(p.colour(x, y));
       return out;
     },
     [](int h) { return CheckGraphHandleReady(h) == 1; }},
    {"sound", 200,
     [](int v) {
       const std::string path = "snd" + std::to_string(v) + ".wav";
       const std::vector<std::int16_t> samples = samplesOf(v, 500 + 37 * v);
       writeBytes(path, makeWave(1, 1, 22050, 16, samples.data(), static_cast<std::uint32_t>(samples.size() * 2)));
       return path;
     },
     [](const std::string& path) { return LoadSoundMem(std::u16string(path.begin(), path.end()).c_str(), 1); },
     [](int h) { return widen(samplesIn(h)); }, [](int v) { return widen(samplesOf(v, 500 + 37 * v)); },
     [](int h) { return CheckHandleASyncLoad(h) == 0; }},
    {"font", 30, [](int v) { return std::to_string(9 + v % 12); },
     [](const std::string& size) { return CreateFontHandle(nullptr, std::stoi(size), -1, 0, -1, -1, 0); },
     fontContent, [](int) { return std::vector<std::int64_t>{}; },
     [](int h) { return CheckHandleASyncLoad(h) == 0; }},
};

class AsyncLife : public LibraryTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    SetUseHardwareFlag(0);
    ASSERT_EQ(startWindowed(), 0);
  }
  void TearDown() override {
    SetUseASyncLoadFlag(0);
    LibraryTest::TearDown();
  }
  const Kind& kind() const { return kKinds[GetParam()]; }
  std::map<int, std::string> sources_;

  // What a load of variant v must hold: the source's content, or the load done at once.
  std::vector<std::int64_t> want(int v) {
    std::vector<std::int64_t> w = kind().expected(v);
    if (!w.empty()) return w;
    const int flag = GetUseASyncLoadFlag();
    SetUseASyncLoadFlag(0);
    const int h = kind().load(source(v));
    w = kind().content(h);
    SubHandle(h);
    SetUseASyncLoadFlag(flag);
    return w;
  }

  // The source of variant v, written once: a load may be reading it.
  std::string source(int v) {
    if (!sources_.count(v)) sources_[v] = kind().write(v);
    return sources_[v];
  }

  int load(int v) {
    const std::string path = source(v);
    SetUseASyncLoadFlag(1);
    const int h = kind().load(path);
    SetUseASyncLoadFlag(0);
    return h;
  }

  bool allReady(const std::vector<int>& handles) {
    return pumpUntil([&] {
      for (int h : handles)
        if (!kind().ready(h)) return false;
      return GetASyncLoadNum() == 0;
    });
  }
};

// Many loads in flight, more than the workers and the ones allowed to run, each
// source twice at once: every handle ends with its own source's content.
TEST_P(AsyncLife, ManyLoadsInFlightEndWithTheirSourcesContent) {
  const int n = kind().limit;
  std::vector<int> handles;
  for (int i = 0; i < n; ++i) {
    handles.push_back(load(i / 2));
    ASSERT_NE(handles.back(), -1) << i;
    // Used while others load: refused until ready, or (fonts) waited for.
    if (i % 10 == 5) {
      const std::vector<std::int64_t> early = kind().content(handles[i - 5]);
      if (!early.empty()) EXPECT_EQ(early, want((i - 5) / 2)) << i;
    }
  }
  ASSERT_TRUE(allReady(handles));
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(kind().content(handles[i]), want(i / 2)) << kind().name << " " << i;
  }
  for (int h : handles) EXPECT_EQ(SubHandle(h), 0);
}

// Holds the one worker allowed to run, so that loads queued behind it have not started.
class Gate {
 public:
  Gate() : allowed_(ASyncLoad.AllowedNum) {
    open_ = 0;
    started_ = 0;
    SetASyncLoadThreadNum(1);
    int size = 0;
    AsyncLoadJob* job = AllocASyncLoadData(size);
    job->ProcessFunction = [](AsyncLoadJob*) {
      started_ = 1;
      while (!open_) Thread_Sleep(1);
      return 0;
    };
    AddASyncLoadData(job);
    EXPECT_TRUE(pumpUntil([] { return started_.load() == 1; }));
  }
  ~Gate() { open(); }
  void open() {
    open_ = 1;
    SetASyncLoadThreadNum(allowed_);
  }

 private:
  static inline std::atomic<int> open_{0}, started_{0};
  int allowed_;
};

int liveHandles(int handle) { return HandleManageArray[(handle >> HANDLE_TYPE_SHIFT) & 31].Num; }

// A loading handle refuses to be used; deleted before its job started, its job is
// withdrawn and the next load takes its slot with its own content. Deleted while the
// job may be running, the job ends without touching the freed handle.
TEST_P(AsyncLife, DeletedWhileLoadingTheSlotGoesToTheNextLoad) {
  {
    Gate gate;
    const int old = load(1);
    ASSERT_NE(old, -1);
    const int live = liveHandles(old);
    EXPECT_FALSE(kind().ready(old));
    EXPECT_EQ(CheckHandleASyncLoad(old), 1);
    EXPECT_EQ(GetGraphData(old, 0), nullptr);
    EXPECT_EQ(GetSoundRecord(old, 0), nullptr);
    EXPECT_EQ(PlaySoundMem(old, DX_PLAYTYPE_BACK), -1);
    EXPECT_EQ(SubHandle(old), 0);
    EXPECT_EQ(GetASyncLoadNum(), 1);  // the gate's own job only
    EXPECT_EQ(liveHandles(old), live - 1);
    const int next = load(2);
    ASSERT_NE(next, -1);
    EXPECT_EQ(next & HANDLE_INDEX_MASK, old & HANDLE_INDEX_MASK);
    EXPECT_NE(next, old);
    gate.open();
    ASSERT_TRUE(allReady({next}));
    EXPECT_EQ(kind().content(next), want(2));
    EXPECT_EQ(GetHandleInfo(old), nullptr);
    EXPECT_EQ(SubHandle(next), 0);
  }
  const int before = liveHandles(kind().load(source(0)));
  for (int round = 0; round < 40; ++round) {
    const int old = load(round % 3);
    for (int i = 0; i < round % 4; ++i) ProcessWindowMessages();
    if (round % 2) Thread_Sleep(round % 5);
    EXPECT_EQ(SubHandle(old), 0);
    const int next = load(3 + round % 3);
    ASSERT_TRUE(allReady({next})) << round;
    EXPECT_EQ(kind().content(next), want(3 + round % 3)) << round;
    EXPECT_EQ(GetHandleInfo(old), nullptr);
    EXPECT_EQ(SubHandle(next), 0);
  }
  EXPECT_EQ(liveHandles(kind().load(source(0))), before + 1);
}

// A load that fails on the worker (no such file, bytes of no known format) leaves an
// invalid handle and a log line that names the file.
TEST_P(AsyncLife, FailedLoadsEndWithTheHandleGoneAndALogLine) {
  if (kind().expected(0).empty()) GTEST_SKIP() << "made from a face name, not a file";
  const std::string bad = kind().write(7).insert(0, "bad");
  writeBytes(bad, std::vector<std::uint8_t>(300, 0x5A));
  for (int round = 0; round < 20; ++round) {
    const std::string source = round % 2 ? bad : "missing" + kind().write(8);
    SCOPED_TRACE(source);
    forgetLog();
    SetUseASyncLoadFlag(1);
    const int h = kind().load(source);
    SetUseASyncLoadFlag(0);
    if (h == -1) continue;  // refused at once is as good
    // The wait ends with the handle gone, never with it ready and empty.
    WaitHandleASyncLoad(h);
    EXPECT_EQ(CheckHandleASyncLoad(h), -1) << round;
    EXPECT_FALSE(kind().ready(h));
    const std::u16string name(source.begin(), source.end());
    EXPECT_TRUE(LogCapture::contains(name)) << std::string(LogCapture::all().begin(), LogCapture::all().end());
  }
}

// The library shut down with loads queued and running, then started again: the shut
// down ends, and loads after the new start end with their content.
TEST_P(AsyncLife, ShutDownWithLoadsInFlightThenStartAgain) {
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    for (int i = 0; i < kind().limit; ++i) ASSERT_NE(load(i % 6), -1);
    EXPECT_EQ(TerminateLibrary(), 0);
    EXPECT_EQ(GetASyncLoadNum(), 0);
    SetUseHardwareFlag(0);
    ASSERT_EQ(startWindowed(), 0);
    std::vector<int> handles;
    for (int i = 0; i < 12; ++i) handles.push_back(load(i % 6));
    ASSERT_TRUE(allReady(handles));
    for (int i = 0; i < 12; ++i) EXPECT_EQ(kind().content(handles[i]), want(i % 6)) << i;
    for (int h : handles) EXPECT_EQ(SubHandle(h), 0);
  }
}

// Loads from inside an archive on many workers at once: each opens its own entry of
// the one archive and gets that entry's content.
TEST_P(AsyncLife, LoadsFromAnArchiveOnManyWorkers) {
  if (kind().expected(0).empty()) GTEST_SKIP() << "made from a face name, not a file";
  std::vector<std::string> names;
  for (int v = 0; v < 6; ++v) {
    names.push_back(source(v));
    std::filesystem::create_directories("src");
    std::filesystem::rename(names.back(), "src/" + names.back());
  }
  std::string error;
  ASSERT_TRUE(halvorine::pack::writeArchive("src", "arc.zda", halvorine::pack::ArchiveOptions{}, error)) << error;
  std::filesystem::remove_all("src");
  std::vector<int> handles;
  for (int i = 0; i < kind().limit / 2; ++i) {
    SetUseASyncLoadFlag(1);
    handles.push_back(kind().load("arc/" + names[i % 6]));
    SetUseASyncLoadFlag(0);
    ASSERT_NE(handles.back(), -1);
  }
  ASSERT_TRUE(allReady(handles));
  for (int i = 0; i < kind().limit / 2; ++i) EXPECT_EQ(kind().content(handles[i]), kind().expected(i % 6)) << i;
}

INSTANTIATE_TEST_SUITE_P(Kinds, AsyncLife, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int>& info) { return std::string(kKinds[info.param].name); });

}  // namespace
