// A save file of arbitrary bytes and a script of operations on it: every
// input ends without a crash, the file never grows past max(its first size,
// 4096) bytes, its 256-byte header never changes once it exists (a shorter
// file is given a fresh one by the open), and every write or putc that was
// accepted happened at position 256 or more.
//
// Input: 2 bytes little-endian file size n (n = 65535: no file), n bytes of
// file content, then operations of one code byte and their argument bytes:
//   0 open "f"   1 open without a name   2 read <count>   3 getc
//   4 write <length> <count lo> <count hi>   5 putc <byte>
//   6 seek <offset lo> <offset hi> <origin>  7 tell   8 close
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/library/save_file.h"

namespace {

constexpr uint16_t kNoFile = 0xFFFF;
const char kFile[] = "f.sav";

std::string gFolder;

std::vector<uint8_t> fileBytes() {
  std::vector<uint8_t> out;
  if (std::FILE* f = std::fopen(kFile, "rb")) {
    int c;
    while ((c = std::fgetc(f)) != EOF) out.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
  }
  return out;
}

struct Reader {
  const uint8_t* data;
  size_t size, at = 0;
  bool more() const { return at < size; }
  uint8_t byte() { return at < size ? data[at++] : 0; }
  uint16_t word() {
    uint16_t lo = byte();
    return static_cast<uint16_t>(lo | (byte() << 8));
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
  (void)quiet;
  const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  gFolder = std::string(base) + "/kv-fuzz-save-" + std::to_string(getpid());
  mkdir(gFolder.c_str(), 0700);
  if (chdir(gFolder.c_str()) != 0) std::abort();
  std::atexit([] {
    std::remove(kFile);
    rmdir(gFolder.c_str());
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  kv::resetSaveFileState();
  std::remove(kFile);
  uint16_t n = in.word();
  std::vector<uint8_t> first;
  if (n != kNoFile) {
    for (uint16_t i = 0; i < n && in.more(); ++i) first.push_back(in.byte());
    std::FILE* f = std::fopen(kFile, "wb");
    if (!f) std::abort();
    if (!first.empty()) std::fwrite(first.data(), 1, first.size(), f);
    std::fclose(f);
  }
  const size_t limit = std::max<size_t>(first.size(), kv::kSaveFileLimit);
  // A file shorter than a header is no save file yet: the open writes a fresh header
  // over it, and from then on that header is what must never change.
  size_t kept = first.size() < static_cast<size_t>(kv::kSaveHeaderSize) ? 0 : kv::kSaveHeaderSize;
  uint8_t buffer[300] = {};
  for (int ops = 0; in.more() && ops < 256; ++ops) {
    int32_t before = kv::tellSaveFile();
    bool accepted = false;
    switch (in.byte() % 9) {
      case 0: kv::openSaveFile("f"); break;
      case 1: kv::openSaveFile(nullptr); break;
      case 2: {
        uint8_t count = in.byte();
        kv::readSaveFile(buffer, sizeof(buffer), count);
        break;
      }
      case 3: kv::getcSaveFile(); break;
      case 4: {
        uint8_t length = in.byte();
        int16_t count = static_cast<int16_t>(in.word());
        buffer[0] = static_cast<uint8_t>(ops);
        accepted = kv::writeSaveBlock(buffer, length, count) == 1;
        break;
      }
      case 5: accepted = kv::putcSaveFile(in.byte()) >= 0; break;
      case 6: {
        int16_t offset = static_cast<int16_t>(in.word());
        int32_t origin = static_cast<int8_t>(in.byte()) % 5;
        kv::seekSaveFile(offset, origin);
        break;
      }
      case 7: kv::tellSaveFile(); break;
      default: kv::closeSaveFile(); break;
    }
    if (accepted && before < kv::kSaveHeaderSize) std::abort();
    std::vector<uint8_t> now = fileBytes();
    if (now.size() > limit) std::abort();
    // A file the open made (or made again) keeps the header it was given.
    if (kept == 0 && now.size() >= static_cast<size_t>(kv::kSaveHeaderSize)) {
      if (now.size() != static_cast<size_t>(kv::kSaveHeaderSize)) std::abort();
      first = now;
      kept = now.size();
    }
    for (size_t i = 0; i < kept; ++i)
      if (i >= now.size() || now[i] != first[i]) std::abort();
  }
  kv::resetSaveFileState();
  return 0;
}
