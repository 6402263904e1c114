// Disk files, read directly or through a worker thread with a read-ahead cache.
#include "media/file/win_file.h"

#include <atomic>
#include <cstring>

#include "media/base/log.h"
#include "media/base/memory.h"
#include "platform/win/error.h"
#include "platform/win/file.h"
#include "platform/win/win_thread.h"

namespace ZaDod {

namespace pw = plat::win;

namespace {

constexpr pw::DWORD IdleFillWaitMs = 100;
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

void restartCache(WinFileWorker* w, std::uint64_t position)
{
  w->CachePosition = position;
  w->CacheFill = 0;
  w->CacheOffset = 0;
}

// Idle time: append to the cache what follows its valid bytes. A hit only moves the
// start of the valid bytes; they are moved to the front here, while idle, so that
// byte-sized reads cost a copy of what they take and nothing more.
void fillCache(WinFileWorker* w)
{
  if (!w->FileHandle || w->CacheFill >= WinFileCacheBytes) return;
  if (w->CacheOffset) {
    std::memmove(w->Cache, w->Cache + w->CacheOffset, static_cast<std::size_t>(w->CacheFill));
    w->CacheOffset = 0;
  }
  if (!seekTo(w->FileHandle, w->CachePosition + w->CacheFill)) return;
  // Filled while the owner may look on: the new count is published whole.
  const std::uint64_t filled =
      w->CacheFill + readAll(w->FileHandle, w->Cache + w->CacheFill, WinFileCacheBytes - w->CacheFill);
  std::atomic_ref<std::uint64_t>(w->CacheFill).store(filled, std::memory_order_release);
}

void workerRead(WinFileWorker* w)
{
  auto* destination = static_cast<std::uint8_t*>(w->ReadBuffer);
  std::uint64_t position = w->ReadPosition;
  std::size_t left = w->ReadSize;
  std::size_t delivered = 0;
  if (w->Cache && w->CachePosition == position && w->CacheFill != 0) {
    const std::size_t n = left < w->CacheFill ? left : static_cast<std::size_t>(w->CacheFill);
    std::memcpy(destination, w->Cache + w->CacheOffset, n);
    destination += n;
    position += n;
    left -= n;
    delivered += n;
    w->CachePosition += n;
    w->CacheFill -= n;
    w->CacheOffset = w->CacheFill ? w->CacheOffset + n : 0;
  }
  if (left) {
    const std::size_t got = seekTo(w->FileHandle, position) ? readAll(w->FileHandle, destination, left) : 0;
    delivered += got;
    if (w->Cache) restartCache(w, position + got);
  }
  w->ReadSize = delivered;
}

pw::DWORD workerMain(void* parameter)
{
  auto* w = static_cast<WinFileWorker*>(parameter);
  for (;;) {
    const pw::DWORD wait = pw::WaitForSingleObject(w->CommandEvent, w->Cache ? IdleFillWaitMs : pw::INFINITE);
    if (wait == pw::WAIT_TIMEOUT) {
      fillCache(w);
      continue;
    }
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
      break;
    case WinFileCommandClose:
      if (w->FileHandle) pw::CloseHandle(w->FileHandle);
      w->FileHandle = nullptr;
      break;
    case WinFileCommandRead:
      workerRead(w);
      break;
    case WinFileCommandSeek:
      seekTo(w->FileHandle, w->SeekPosition);
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
  if (w->CommandEvent) pw::CloseHandle(w->CommandEvent);
  if (w->DoneEvent) pw::CloseHandle(w->DoneEvent);
  w->CommandEvent = w->DoneEvent = nullptr;
}

std::size_t length16(const char16_t* s)
{
  std::size_t n = 0;
  while (s[n]) ++n;
  return n;
}

// Reads at file->Position; the file pointer is moved only when it is elsewhere.
std::size_t readDirect(WinFileData* file, void* buffer, std::size_t bytes)
{
  const std::uint64_t at = file->Position;
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

int openWithWorker(WinFileData* file, const char16_t* path)
{
  WinFileWorker* w = &file->Worker;
  const std::size_t units = length16(path);
  if (units >= WinFilePathUnits || !fileSize(path, nullptr, &file->Size)) {
    LogAddTextUtf16(u"ファイルのオープンに失敗しました\n");
    return -1;
  }
  if (file->UseCacheFlag) {
    w->Cache = static_cast<std::uint8_t*>(MemAlloc(WinFileCacheBytes, "win_file", __LINE__));
    if (!w->Cache) {
      LogAddTextUtf16(u"ファイル読み込みキャッシュ用メモリの確保に失敗しました\n");
      return -1;
    }
  }
  w->CommandEvent = pw::CreateEventW(nullptr, pw::TRUE, pw::FALSE, nullptr);
  w->DoneEvent = pw::CreateEventW(nullptr, pw::TRUE, pw::TRUE, nullptr);
  if (w->CommandEvent && w->DoneEvent)
    w->ThreadHandle = pw::CreateThread(nullptr, 0, workerMain, w, 0, &w->ThreadID);
  if (!w->ThreadHandle) {
    releaseWorker(w);
    LogAddTextUtf16(u"ファイルアクセス専用スレッドの作成に失敗しました\n");
    return -1;
  }
  pw::SetThreadPriority(w->ThreadHandle, pw::THREAD_PRIORITY_LOWEST);
  std::memcpy(w->Path, path, (units + 1) * sizeof(char16_t));
  restartCache(w, 0);
  sendCommand(w, WinFileCommandOpen);
  waitDone(w);
  if (w->OpenFailed) {
    releaseWorker(w);
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

std::size_t WinFile_Read(void* buffer, std::size_t elementSize, std::size_t count, WinFileData* file)
{
  const std::size_t bytes = elementSize * count;
  if (!file->UseThreadFlag) return readDirect(file, buffer, bytes);
  WinFileWorker* w = &file->Worker;
  pw::WaitForSingleObject(w->DoneEvent, pw::INFINITE);
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
  return 0;
}

int WinFile_SetCurrentDirectory(const char16_t* path) { return pw::SetCurrentDirectoryW(path); }

int WinFile_GetCurrentDirectory(char16_t* buffer, std::size_t bufferBytes)
{
  const std::size_t units = bufferBytes / sizeof(char16_t);
  return static_cast<int>(pw::GetCurrentDirectoryW(units > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<pw::DWORD>(units), buffer));
}

}  // namespace ZaDod
