// Disk files, read directly or through a worker thread with a read-ahead cache.
#include "media/file/win_file.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>

#include "media/base/log.h"
#include "media/base/memory.h"
#include "platform/win/error.h"
#include "platform/win/file.h"
#include "platform/win/win_thread.h"

namespace ZaDod {

namespace pw = plat::win;

namespace {

constexpr pw::DWORD ReadChunk = 0x40000000;  // ReadFile takes 32-bit counts

pw::HANDLE openForRead(const char16_t* path)
{
  return pw::CreateFileW(path, pw::GENERIC_READ, pw::FILE_SHARE_READ, nullptr, pw::OPEN_EXISTING,
                         pw::FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool seekTo(pw::HANDLE file, std::uint64_t position)
{
  pw::LONG high = static_cast<pw::LONG>(position >> 32);
  pw::SetLastError(pw::ERROR_SUCCESS);
  const pw::DWORD low = pw::SetFilePointer(file, static_cast<pw::LONG>(position & 0xFFFFFFFFu), &high, pw::FILE_BEGIN);
  return !(low == pw::INVALID_SET_FILE_POINTER && pw::GetLastError() != pw::ERROR_SUCCESS);
}

// Reads until size bytes, the end of the file or an error; the bytes read.
std::size_t readAll(pw::HANDLE file, void* buffer, std::size_t size)
{
  std::size_t total = 0;
  while (total < size) {
    const pw::DWORD want = size - total > ReadChunk ? ReadChunk : static_cast<pw::DWORD>(size - total);
    pw::DWORD got = 0;
    if (!pw::ReadFile(file, static_cast<std::uint8_t*>(buffer) + total, want, &got, nullptr)) break;
    total += got;
    if (got < want) break;
  }
  return total;
}

bool fileSize(const char16_t* path, pw::HANDLE* keep, std::uint64_t* size)
{
  pw::HANDLE file = openForRead(path);
  if (file == pw::INVALID_HANDLE_VALUE) return false;
  pw::LARGE_INTEGER s{};
  if (!pw::GetFileSizeEx(file, &s)) {
    pw::CloseHandle(file);
    return false;
  }
  *size = static_cast<std::uint64_t>(s.QuadPart);
  if (keep) *keep = file;
  else pw::CloseHandle(file);
  return true;
}

template <class T>
T loadAcquire(T& field) { return std::atomic_ref<T>(field).load(std::memory_order_acquire); }
template <class T>
void storeRelease(T& field, T value) { std::atomic_ref<T>(field).store(value, std::memory_order_release); }

// The worker refills once this much of the ring is free, in reads of at most this.
constexpr std::uint64_t FillThreshold = WinFileCacheBytes / 4;

// Only while running a command: the caller is waiting for done and reads no ring.
void restartCache(WinFileWorker* w, std::uint64_t position)
{
  w->CacheStart = position;
  storeRelease(w->CacheFill, std::uint64_t(0));
  storeRelease(w->CacheTaken, std::uint64_t(0));
  storeRelease(w->CacheEnd, 0);
}

bool canFill(WinFileWorker* w)
{
  if (!w->Cache || !w->FileHandle || loadAcquire(w->CacheEnd)) return false;
  // A caller that went past the ring reads faster than the worker: the worker stops
  // reading ahead until a command restarts the ring.
  const std::uint64_t taken = loadAcquire(w->CacheTaken);
  return taken <= w->CacheFill && WinFileCacheBytes - (w->CacheFill - taken) >= FillThreshold;
}

// Between commands: appends to the ring what follows its bytes, up to its free room
// or the ring's end, and wakes a caller waiting for bytes.
void fillCache(WinFileWorker* w)
{
  const std::uint64_t taken = loadAcquire(w->CacheTaken);
  const std::uint64_t fill = w->CacheFill;
  const std::uint64_t room = WinFileCacheBytes - (fill - taken);
  const std::size_t at = static_cast<std::size_t>(fill % WinFileCacheBytes);
  const std::size_t want =
      static_cast<std::size_t>(std::min<std::uint64_t>({room, WinFileCacheBytes - at, FillThreshold}));
  const std::uint64_t from = w->CacheStart + fill;
  std::size_t got = 0;
  if (w->FilePointer == from || seekTo(w->FileHandle, from)) got = readAll(w->FileHandle, w->Cache + at, want);
  w->FilePointer = from + got;
  if (got < want) storeRelease(w->CacheEnd, 1);
  storeRelease(w->CacheFill, fill + got);
}

// Copies n ring bytes starting at ring count `from` (the ring may wrap).
void copyOut(const WinFileWorker* w, std::uint64_t from, std::uint8_t* destination, std::size_t n)
{
  const std::size_t at = static_cast<std::size_t>(from % WinFileCacheBytes);
  const std::size_t first = std::min(n, WinFileCacheBytes - at);
  std::memcpy(destination, w->Cache + at, first);
  std::memcpy(destination + first, w->Cache, n - first);
}

// A read command (asynchronous reads, and reads that do not continue the ring):
// served from the ring where it continues it, the rest from the file, and the ring
// restarted behind what was read.
void workerRead(WinFileWorker* w)
{
  auto* destination = static_cast<std::uint8_t*>(w->ReadBuffer);
  std::uint64_t position = w->ReadPosition;
  std::size_t left = w->ReadSize;
  std::size_t delivered = 0;
  if (w->Cache && w->CacheStart + w->CacheTaken == position) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, w->CacheFill - w->CacheTaken));
    copyOut(w, w->CacheTaken, destination, n);
    w->CacheTaken += n;
    destination += n;
    position += n;
    left -= n;
    delivered += n;
  }
  if (left) {
    const std::size_t got =
        w->FilePointer == position || seekTo(w->FileHandle, position) ? readAll(w->FileHandle, destination, left) : 0;
    w->FilePointer = position + got;
    delivered += got;
    if (w->Cache) restartCache(w, position + got);
  }
  w->ReadSize = delivered;
}

pw::DWORD workerMain(void* parameter)
{
  auto* w = static_cast<WinFileWorker*>(parameter);
  for (;;) {
    // While the ring has room, fill it between looks at the command event; else sleep
    // until a command comes or the caller makes room.
    const bool filling = canFill(w);
    const pw::HANDLE events[2] = {w->CommandEvent, w->SpaceEvent};
    const pw::DWORD wait = pw::WaitForMultipleObjects(w->Cache ? 2 : 1, events, pw::FALSE, filling ? 0 : pw::INFINITE);
    if (wait == pw::WAIT_TIMEOUT) {
      if (filling) fillCache(w);
      continue;
    }
    if (wait != pw::WAIT_OBJECT_0) continue;
    pw::ResetEvent(w->CommandEvent);
    switch (w->Command) {
    case WinFileCommandOpen:
      w->FileHandle = openForRead(w->Path);
      if (w->FileHandle == pw::INVALID_HANDLE_VALUE) {
        w->FileHandle = nullptr;
        w->OpenFailed = 1;
        w->ThreadEnded = 1;
        pw::SetEvent(w->DoneEvent);
        return 1;
      }
      w->FilePointer = 0;
      if (w->Cache) restartCache(w, 0);
      break;
    case WinFileCommandClose:
      if (w->FileHandle) pw::CloseHandle(w->FileHandle);
      w->FileHandle = nullptr;
      storeRelease(w->CacheEnd, 1);
      break;
    case WinFileCommandRead:
      workerRead(w);
      break;
    case WinFileCommandSeek:
      if (seekTo(w->FileHandle, w->SeekPosition)) w->FilePointer = w->SeekPosition;
      if (w->Cache) restartCache(w, w->SeekPosition);
      break;
    case WinFileCommandEnd:
      if (w->FileHandle) pw::CloseHandle(w->FileHandle);
      w->FileHandle = nullptr;
      w->ThreadEnded = 1;
      pw::SetEvent(w->DoneEvent);
      return 1;
    default:
      break;
    }
    pw::SetEvent(w->DoneEvent);
  }
}

// Waits for the previous command, then hands over the next one.
void sendCommand(WinFileWorker* w, int command)
{
  pw::WaitForSingleObject(w->DoneEvent, pw::INFINITE);
  w->Command = command;
  pw::ResetEvent(w->DoneEvent);
  pw::SetEvent(w->CommandEvent);
}

void waitDone(WinFileWorker* w) { pw::WaitForSingleObject(w->DoneEvent, pw::INFINITE); }

void releaseWorker(WinFileWorker* w)
{
  if (w->ThreadHandle) {
    pw::WaitForSingleObject(w->ThreadHandle, pw::INFINITE);
    pw::CloseHandle(w->ThreadHandle);
    w->ThreadHandle = nullptr;
  }
  MemFree(w->Cache);
  w->Cache = nullptr;
  for (pw::HANDLE* event : {&w->CommandEvent, &w->DoneEvent, &w->SpaceEvent}) {
    if (*event) pw::CloseHandle(*event);
    *event = nullptr;
  }
}

// Reads at `at` through the caller's handle; the file pointer is moved only when it
// is elsewhere.
std::size_t readDirect(WinFileData* file, std::uint64_t at, void* buffer, std::size_t bytes)
{
  if (bytes < WinFileDirectBufferBytes) {
    if (at >= file->BufferStart && bytes <= file->BufferFill && at - file->BufferStart <= file->BufferFill - bytes) {
      std::memcpy(buffer, file->Buffer + (at - file->BufferStart), bytes);
      return bytes;
    }
    if (!file->Buffer)
      file->Buffer = static_cast<std::uint8_t*>(MemAlloc(WinFileDirectBufferBytes, "win_file", __LINE__));
    if (file->Buffer) {
      file->BufferFill = 0;
      if (file->HandlePosition != at && !seekTo(file->Handle, at)) return 0;
      const std::size_t got = readAll(file->Handle, file->Buffer, WinFileDirectBufferBytes);
      file->HandlePosition = at + got;
      file->BufferStart = at;
      file->BufferFill = got;
      const std::size_t n = got < bytes ? got : bytes;
      std::memcpy(buffer, file->Buffer, n);
      return n;
    }
  }
  if (file->HandlePosition != at && !seekTo(file->Handle, at)) return 0;
  const std::size_t got = readAll(file->Handle, buffer, bytes);
  file->HandlePosition = at + got;
  return got;
}

void closeOwnHandle(WinFileData* file)
{
  if (file->Handle) pw::CloseHandle(file->Handle);
  file->Handle = nullptr;
  MemFree(file->Buffer);
  file->Buffer = nullptr;
  file->BufferFill = 0;
}

int openWithWorker(WinFileData* file, const char16_t* path)
{
  WinFileWorker* w = &file->Worker;
  const std::size_t units = std::char_traits<char16_t>::length(path);
  if (units >= WinFilePathUnits || !fileSize(path, nullptr, &file->Size)) {
    LogAddTextUtf16(u"ファイルのオープンに失敗しました\n");
    return -1;
  }
  if (file->UseCacheFlag) {
    // The caller's own handle, for what it reads past the ring.
    file->Handle = openForRead(path);
    file->HandlePosition = 0;
    if (file->Handle == pw::INVALID_HANDLE_VALUE) {
      file->Handle = nullptr;
      LogAddTextUtf16(u"ファイルのオープンに失敗しました\n");
      return -1;
    }
    w->Cache = static_cast<std::uint8_t*>(MemAlloc(WinFileCacheBytes, "win_file", __LINE__));
    if (!w->Cache) {
      closeOwnHandle(file);
      LogAddTextUtf16(u"ファイル読み込みキャッシュ用メモリの確保に失敗しました\n");
      return -1;
    }
    // The worker's handle too is opened here, before the worker starts, so that the
    // open costs no round trip and the worker starts reading ahead at once.
    w->FileHandle = openForRead(path);
    if (w->FileHandle == pw::INVALID_HANDLE_VALUE) {
      w->FileHandle = nullptr;
      releaseWorker(w);
      closeOwnHandle(file);
      LogAddTextUtf16(u"ファイルのオープンに失敗しました\n");
      return -1;
    }
    w->FilePointer = 0;
    restartCache(w, 0);
  }
  w->CommandEvent = pw::CreateEventW(nullptr, pw::TRUE, pw::FALSE, nullptr);
  w->DoneEvent = pw::CreateEventW(nullptr, pw::TRUE, pw::TRUE, nullptr);
  w->SpaceEvent = pw::CreateEventW(nullptr, pw::FALSE, pw::FALSE, nullptr);
  if (w->CommandEvent && w->DoneEvent && w->SpaceEvent)
    w->ThreadHandle = pw::CreateThread(nullptr, 0, workerMain, w, 0, &w->ThreadID);
  if (!w->ThreadHandle) {
    if (w->FileHandle) pw::CloseHandle(w->FileHandle);
    w->FileHandle = nullptr;
    releaseWorker(w);
    closeOwnHandle(file);
    LogAddTextUtf16(u"ファイルアクセス専用スレッドの作成に失敗しました\n");
    return -1;
  }
  pw::SetThreadPriority(w->ThreadHandle, pw::THREAD_PRIORITY_LOWEST);
  std::memcpy(w->Path, path, (units + 1) * sizeof(char16_t));
  if (w->FileHandle) return 0;
  sendCommand(w, WinFileCommandOpen);
  waitDone(w);
  if (w->OpenFailed) {
    releaseWorker(w);
    closeOwnHandle(file);
    LogAddTextUtf16(u"ファイルのオープンに失敗しました\n");
    return -1;
  }
  return 0;
}

}  // namespace

int WinFile_Open(WinFileData* file, const char16_t* path, int useCacheFlag, int)
{
  file->UseCacheFlag = useCacheFlag;
  file->UseThreadFlag = useCacheFlag || file->ASyncReadFlag;
  if (file->UseThreadFlag) return openWithWorker(file, path);
  return fileSize(path, &file->Handle, &file->Size) ? 0 : -1;
}

namespace {

// A read that continues the ring, with no command in flight: the caller copies what
// the ring holds and reads the rest itself through its own handle and small-read
// buffer, as a direct file does, so it never waits for the worker; the worker then
// skips what the caller read and fills on from there.
// Returns false, having read nothing, when the read does not continue the ring.
bool readFromRing(WinFileData* file, std::uint8_t* destination, std::size_t bytes, std::size_t* delivered)
{
  WinFileWorker* w = &file->Worker;
  const std::uint64_t taken = w->CacheTaken;
  if (w->CacheStart + taken != file->Position) return false;
  const std::uint64_t fill = loadAcquire(w->CacheFill);
  std::size_t n = fill > taken ? static_cast<std::size_t>(std::min<std::uint64_t>(bytes, fill - taken)) : 0;
  // A large read that the ring holds only in part goes to the file whole: one read
  // call costs less than a copy and a read call for the rest.
  if (n < bytes && bytes >= WinFileDirectBufferBytes) n = 0;
  copyOut(w, taken, destination, n);
  std::size_t done = n;
  if (done < bytes) {
    done += readDirect(file, file->Position + done, destination + done, bytes - done);
    // The reader outran the worker: read-ahead stops until the ring starts again.
    storeRelease(w->CacheEnd, 1);
  }
  storeRelease(w->CacheTaken, taken + done);
  // The worker sleeps while the ring's room is under the threshold: wake it once it
  // is not, or when the caller has gone past what the ring held.
  const std::uint64_t before = fill > taken ? fill - taken : 0;
  const std::uint64_t after = fill > taken + done ? fill - (taken + done) : 0;
  if (WinFileCacheBytes - before < FillThreshold && WinFileCacheBytes - after >= FillThreshold) pw::SetEvent(w->SpaceEvent);
  *delivered = done;
  return true;
}

}  // namespace

std::size_t WinFile_Read(void* buffer, std::size_t elementSize, std::size_t count, WinFileData* file)
{
  const std::size_t bytes = elementSize * count;
  if (!file->UseThreadFlag) return readDirect(file, file->Position, buffer, bytes);
  WinFileWorker* w = &file->Worker;
  pw::WaitForSingleObject(w->DoneEvent, pw::INFINITE);
  std::size_t delivered;
  if (w->Cache && !file->ASyncReadFlag && readFromRing(file, static_cast<std::uint8_t*>(buffer), bytes, &delivered))
    return delivered;
  file->BufferFill = 0;
  w->ReadBuffer = buffer;
  w->ReadPosition = file->Position;
  w->ReadSize = bytes;
  sendCommand(w, WinFileCommandRead);
  if (file->ASyncReadFlag) return bytes;
  waitDone(w);
  return w->ReadSize;
}

int WinFile_Seek(WinFileData* file, std::uint64_t position)
{
  // Direct files move their pointer at the next read, and only when it is elsewhere.
  if (!file->UseThreadFlag) {
    file->Position = position;
    return 0;
  }
  WinFileWorker* w = &file->Worker;
  pw::WaitForSingleObject(w->DoneEvent, pw::INFINITE);
  file->BufferFill = 0;  // a seek reads the file afresh, as it restarts the ring
  w->SeekPosition = position;
  sendCommand(w, WinFileCommandSeek);
  return 0;
}

int WinFile_IdleCheck(WinFileData* file)
{
  if (!file->UseThreadFlag) return 1;
  return pw::WaitForSingleObject(file->Worker.DoneEvent, 0) == pw::WAIT_OBJECT_0 ? 1 : 0;
}

int WinFile_Close(WinFileData* file)
{
  if (!file->UseThreadFlag) {
    MemFree(file->Buffer);
    file->Buffer = nullptr;
    file->BufferFill = 0;
    return pw::CloseHandle(file->Handle) ? 0 : -1;
  }
  WinFileWorker* w = &file->Worker;
  sendCommand(w, WinFileCommandEnd);
  waitDone(w);
  releaseWorker(w);
  closeOwnHandle(file);
  return 0;
}

int WinFile_SetCurrentDirectory(const char16_t* path) { return pw::SetCurrentDirectoryW(path); }

int WinFile_GetCurrentDirectory(char16_t* buffer, std::size_t bufferBytes)
{
  const std::size_t units = bufferBytes / sizeof(char16_t);
  return static_cast<int>(pw::GetCurrentDirectoryW(units > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<pw::DWORD>(units), buffer));
}

}  // namespace ZaDod
