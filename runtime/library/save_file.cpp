// The SaveFile members over one buffered stream. An update stream needs a
// seek between a read and a following write (and the reverse), so the last
// direction is tracked and a zero-length seek made when it changes; every
// accepted write is flushed at once, so an abnormal end loses nothing.
#include "runtime/library/save_file.h"

#include <stdio_ext.h>
#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/library/native_args.h"
#include "runtime/vm/arraybuffer.h"
#include "runtime/vm/context.h"
#include "runtime/vm/runtime_log.h"

namespace kv {
namespace {

constexpr char kSignature[] = "HLVRsave";  // with its NUL: 9 bytes
constexpr uint16_t kFormatVersion = 1;
constexpr uint32_t kFiller = 0xAAAAAAAAu;
constexpr char kSuffix[] = ".sav";

enum class Direction { None, Read, Write };

struct SaveFileState {
  std::FILE* file = nullptr;
  std::string path;      // remembered by the first successful open
  uint16_t opened = 0;   // bit 0: opened in this run; bit 8: that open made the file
  Direction last = Direction::None;
};
SaveFileState gSave;

void putLe(uint8_t* at, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Turns the stream around when the direction changes.
void turnTo(Direction d) {
  if (gSave.last != Direction::None && gSave.last != d) std::fseek(gSave.file, 0, SEEK_CUR);
  gSave.last = d;
}

int64_t position() { return gSave.file ? static_cast<int64_t>(std::ftell(gSave.file)) : -1; }

bool seekTo(int64_t offset, int whence) {
  gSave.last = Direction::None;
  return std::fseek(gSave.file, static_cast<long>(offset), whence) == 0;
}

bool openStream(const char* path, const char* mode) {
  gSave.file = std::fopen(path, mode);
  gSave.last = Direction::None;
  return gSave.file != nullptr;
}

// A write that did not reach the file (a full disk, a quota, an I/O error) is
// logged with the system's reason. The stream's error is cleared and the position
// put back where the write began, so a later write starts from a known place.
bool reachedFile(bool ok, int64_t at, const char* what) {
  if (ok) return true;
  const int error = errno;
  // What the stream still holds unwritten is dropped, or the seek would try it again.
  __fpurge(gSave.file);
  std::clearerr(gSave.file);
  seekTo(at, SEEK_SET);
  logSystemWarning((std::string("SaveFile: ") + what + " of '" + gSave.path + "' failed: " +
                    (error != 0 ? std::strerror(error) : "unknown error"))
                       .c_str());
  return false;
}

// Shorter than a header: left by a crash or a full disk between creating the file
// and writing its header, it holds nothing of the game's.
bool tooShortForHeader(std::FILE* file) {
  struct stat st {};
  return ::fstat(fileno(file), &st) == 0 && st.st_size < kSaveHeaderSize;
}

bool openNamed(const char* name) {
  if (!isValidSaveName(name) || gSave.opened != 0) return false;
  size_t length = std::strlen(name);
  // The full name must fit the name buffer with its NUL.
  if (length + sizeof(kSuffix) > static_cast<size_t>(kSaveNameBuffer)) return false;
  std::string path = std::string(name) + kSuffix;
  struct stat st {};
  bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return false;
  if (!openStream(path.c_str(), exists ? "r+" : "w+")) return false;
  const bool fresh = !exists || tooShortForHeader(gSave.file);
  gSave.opened = fresh ? 0x101 : 0x001;
  gSave.path = path;
  if (!fresh) return checkSaveFileHeader();
  return writeSaveFileHeader();
}

bool reopen() {
  if (gSave.opened == 0) return false;
  if (gSave.file) return true;
  if (!openStream(gSave.path.c_str(), "r+")) return false;
  if (tooShortForHeader(gSave.file)) return writeSaveFileHeader();
  return checkSaveFileHeader();
}

}  // namespace

bool isValidSaveName(const char* name) {
  if (!name || !*name || name[0] == '/' || name[0] == '\\') return false;
  return std::strpbrk(name, ".:") == nullptr;
}

bool writeSaveFileHeader() {
  std::array<uint8_t, kSaveHeaderSize> h{};
  std::memcpy(h.data(), kSignature, sizeof(kSignature));
  putLe(h.data() + 10, kFormatVersion, 2);
  putLe(h.data() + 12, kFiller, 4);
  putLe(h.data() + 16, kSaveHeaderSize, 4);
  seekTo(0, SEEK_SET);
  errno = 0;
  const bool ok = std::fwrite(h.data(), 1, h.size(), gSave.file) == h.size() && std::fflush(gSave.file) == 0;
  if (!reachedFile(ok, 0, "writing the header")) return false;
  seekTo(0, SEEK_CUR);
  return true;
}

bool checkSaveFileHeader() {
  std::array<uint8_t, kSaveHeaderSize> h{};
  seekTo(0, SEEK_SET);
  size_t got = std::fread(h.data(), 1, h.size(), gSave.file);
  gSave.last = Direction::Read;
  if (got < h.size()) return false;
  seekTo(0, SEEK_CUR);
  return std::memcmp(h.data(), kSignature, sizeof(kSignature)) == 0;
}

bool isSeekIntoHeader(int64_t offset, int32_t origin) {
  int64_t base = 0;
  if (origin == SEEK_CUR) {
    base = position();
  } else if (origin == SEEK_END) {
    int64_t here = position();
    seekTo(0, SEEK_END);
    base = position();
    seekTo(here, SEEK_SET);
  }
  return base + offset < kSaveHeaderSize;
}

bool openSaveFile(const char* name) { return name ? openNamed(name) : reopen(); }

void closeSaveFile() {
  if (gSave.file) std::fclose(gSave.file);
  gSave.file = nullptr;
  gSave.last = Direction::None;
}

int32_t readSaveFile(uint8_t* into, int64_t room, int32_t count) {
  if (!gSave.file || count < 1 || !into) return 0;
  size_t n = static_cast<size_t>(room < count ? room : count);
  turnTo(Direction::Read);
  return static_cast<int32_t>(std::fread(into, 1, n, gSave.file));
}

int32_t getcSaveFile() {
  if (!gSave.file) return -1;
  turnTo(Direction::Read);
  int c = std::fgetc(gSave.file);
  return c == EOF ? -1 : c;
}

int32_t writeSaveBlock(const uint8_t* from, int64_t length, int32_t count) {
  if (!gSave.file || count < 1) return 0;
  int64_t at = position();
  if (at < kSaveHeaderSize || !from) return 0;
  int64_t n = length < count ? length : count;
  if (at + n + 1 >= kSaveFileLimit + 1) {
    raiseRuntimeWarning(kWarnSaveFile);
    return 0;
  }
  turnTo(Direction::Write);
  errno = 0;
  const bool ok = std::fwrite(from, 1, static_cast<size_t>(n), gSave.file) == static_cast<size_t>(n) &&
                  std::fflush(gSave.file) == 0;
  return reachedFile(ok, at, "writing") ? 1 : 0;
}

int32_t putcSaveFile(int32_t byte) {
  if (!gSave.file) return -1;
  int64_t at = position();
  if (at < kSaveHeaderSize || at + 1 >= kSaveFileLimit + 1) {
    raiseRuntimeWarning(kWarnSaveFile);
    return -1;
  }
  turnTo(Direction::Write);
  errno = 0;
  int c = std::fputc(byte & 0xFF, gSave.file);
  if (!reachedFile(c != EOF && std::fflush(gSave.file) == 0, at, "writing")) return -1;
  return c;
}

int32_t seekSaveFile(int32_t offset, int32_t origin) {
  if (origin < 0 || origin > 2 || !gSave.file) return -1;
  int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
  if (isSeekIntoHeader(offset, whence)) return -1;
  return seekTo(offset, whence) ? 0 : -1;
}

int32_t tellSaveFile() {
  int64_t at = position();
  return at < 0 || at > INT32_MAX ? -1 : static_cast<int32_t>(at);
}

void resetSaveFileState() {
  closeSaveFile();
  gSave = SaveFileState{};
}

namespace {

KVArrayBuffer* bufferArg(KVContext* ctx) {
  return static_cast<KVArrayBuffer*>(objectArg(ctx, 0, &KVobj::isArrayBuffer));
}

void openNative(KVContext* ctx) { ctx->pushBool(openSaveFile(textArg(ctx, 0))); }

void readNative(KVContext* ctx) {
  KVArrayBuffer* b = bufferArg(ctx);
  ctx->pushInt(b ? readSaveFile(b->data, b->size, intArg(ctx, 1, 0)) : 0);
}

void getcNative(KVContext* ctx) { ctx->pushInt(getcSaveFile()); }

void closeNative(KVContext* ctx) {
  closeSaveFile();
  ctx->pushUndefined();
}

void writeNative(KVContext* ctx) {
  KVArrayBuffer* b = bufferArg(ctx);
  ctx->pushInt(b ? writeSaveBlock(b->data, b->size, intArg(ctx, 1, 0)) : 0);
}

void putcNative(KVContext* ctx) { ctx->pushInt(putcSaveFile(intArg(ctx, 0, 0))); }

void seekNative(KVContext* ctx) { ctx->pushInt(seekSaveFile(intArg(ctx, 0, 0), intArg(ctx, 1, 0))); }

void tellNative(KVContext* ctx) { ctx->pushInt(tellSaveFile()); }

constexpr NativeFunction kNatives[] = {&openNative,  &readNative, &getcNative, &closeNative,
                                       &writeNative, &putcNative, &seekNative, &tellNative};

}  // namespace

NativeFunction saveFileNative(int32_t slot) { return kNatives[slot]; }

}  // namespace kv
