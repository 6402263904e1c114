// Files over POSIX, reached through the path mapping of path.h.
#include "platform/win/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win/error.h"
#include "platform/win/path.h"

namespace plat::win {

namespace {

struct FileObject : KernelObject {
  explicit FileObject(int descriptor) : fd(descriptor) {}
  ~FileObject() override { ::close(fd); }
  int fd;
};

FileObject* fileOf(HANDLE handle) {
  FileObject* file = findObjectAs<FileObject>(handle);
  if (!file) SetLastError(ERROR_INVALID_HANDLE);
  return file;
}

BOOL failWithErrno() {
  SetLastError(errorFromErrno(errno));
  return FALSE;
}

}  // namespace

HANDLE CreateFileW(const char16_t* name, DWORD access, DWORD, void*, DWORD disposition, DWORD, HANDLE) {
  int flags = O_CLOEXEC;
  const bool read = access & GENERIC_READ, write = access & GENERIC_WRITE;
  flags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  switch (disposition) {
    case OPEN_EXISTING: break;
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_HANDLE_VALUE;
  }
  std::string path;
  if (!mapPath(name, path, disposition != OPEN_EXISTING)) return INVALID_HANDLE_VALUE;
  struct stat st;
  const bool existed = ::stat(path.c_str(), &st) == 0;
  if (existed && S_ISDIR(st.st_mode)) {
    SetLastError(disposition == CREATE_NEW ? ERROR_FILE_EXISTS : ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  const int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) {
    failWithErrno();
    return INVALID_HANDLE_VALUE;
  }
  SetLastError(disposition == OPEN_ALWAYS && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return registerObject(new FileObject(fd));
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD size, DWORD* done, void*) {
  if (done) *done = 0;
  FileObject* file = fileOf(handle);
  if (!file) return FALSE;
  DWORD total = 0;
  while (total < size) {
    const ssize_t n = ::read(file->fd, static_cast<char*>(buffer) + total, size - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failWithErrno();
    if (n == 0) break;
    total += static_cast<DWORD>(n);
  }
  if (done) *done = total;
  return TRUE;
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD size, DWORD* done, void*) {
  if (done) *done = 0;
  FileObject* file = fileOf(handle);
  if (!file) return FALSE;
  DWORD total = 0;
  while (total < size) {
    const ssize_t n = ::write(file->fd, static_cast<const char*>(buffer) + total, size - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (done) *done = total;
      return failWithErrno();
    }
    total += static_cast<DWORD>(n);
  }
  if (done) *done = total;
  return TRUE;
}

DWORD SetFilePointer(HANDLE handle, LONG distance, LONG* distanceHigh, DWORD method) {
  FileObject* file = fileOf(handle);
  if (!file) return INVALID_SET_FILE_POINTER;
  const std::int64_t offset =
      distanceHigh
          ? static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(*distanceHigh)) << 32) |
                                      static_cast<std::uint32_t>(distance))
          : distance;
  const int whence = method == FILE_END ? SEEK_END : method == FILE_CURRENT ? SEEK_CUR : SEEK_SET;
  if (method > FILE_END) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  const off_t now = ::lseek(file->fd, 0, SEEK_CUR);
  const off_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? now : ::lseek(file->fd, 0, SEEK_END);
  if (base + offset < 0) {
    if (whence == SEEK_END) ::lseek(file->fd, now, SEEK_SET);
    SetLastError(ERROR_NEGATIVE_SEEK);
    return INVALID_SET_FILE_POINTER;
  }
  const off_t at = ::lseek(file->fd, base + offset, SEEK_SET);
  if (at < 0) {
    failWithErrno();
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<std::uint64_t>(at) >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(at);
}

BOOL GetFileSizeEx(HANDLE handle, LARGE_INTEGER* size) {
  FileObject* file = fileOf(handle);
  if (!file) return FALSE;
  struct stat st;
  if (::fstat(file->fd, &st) != 0) return failWithErrno();
  size->QuadPart = st.st_size;
  return TRUE;
}

DWORD GetFileSize(HANDLE handle, DWORD* sizeHigh) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(handle, &size)) return INVALID_FILE_SIZE;
  const auto bytes = static_cast<std::uint64_t>(size.QuadPart);
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(bytes >> 32);
  else if (bytes >> 32) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_SIZE;
  }
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(bytes);
}

BOOL DeleteFileW(const char16_t* name) {
  std::string path;
  if (!mapPath(name, path, false)) return FALSE;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (::unlink(path.c_str()) != 0) return failWithErrno();
  return TRUE;
}

BOOL SetCurrentDirectoryW(const char16_t* name) {
  std::string path;
  if (!mapPath(name, path, false)) return FALSE;
  if (::chdir(path.c_str()) != 0) return failWithErrno();
  return TRUE;
}

namespace {

// A POSIX path as the stand-in reports paths: "C:" and '\' separators.
std::u16string driveForm(const std::string& posix) {
  std::u16string text = u"C:" + utf16FromUtf8(posix);
  for (char16_t& c : text)
    if (c == u'/') c = u'\\';
  return text;
}

DWORD putText(const std::u16string& text, DWORD bufferLength, char16_t* buffer) {
  if (text.size() + 1 > bufferLength) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  return static_cast<DWORD>(text.size());
}

}  // namespace

DWORD GetCurrentDirectoryW(DWORD bufferLength, char16_t* buffer) {
  char* cwd = ::getcwd(nullptr, 0);
  if (!cwd) {
    failWithErrno();
    return 0;
  }
  const std::u16string text = driveForm(cwd);
  std::free(cwd);
  return putText(text, bufferLength, buffer);
}

DWORD GetTempPathW(DWORD bufferLength, char16_t* buffer) {
  const char* folder = std::getenv("TMPDIR");
  std::string posix = folder && *folder ? folder : "/tmp";
  if (posix.back() != '/') posix += '/';
  return putText(driveForm(posix), bufferLength, buffer);
}

HANDLE CreateUniqueFileW(const char16_t* directory, const char16_t* prefix, char16_t* path, DWORD pathLength) {
  std::string folder, name;
  if (!mapPath(directory, folder, false) || !utf8FromUtf16(prefix, name)) return INVALID_HANDLE_VALUE;
  std::string pattern = (folder == "/" ? "" : folder) + "/" + name + "XXXXXX";
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) {
    failWithErrno();
    return INVALID_HANDLE_VALUE;
  }
  const std::u16string full = driveForm(pattern);
  if (full.size() + 1 > pathLength) {
    ::close(fd);
    ::unlink(pattern.c_str());
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  putText(full, pathLength, path);
  SetLastError(ERROR_SUCCESS);
  return registerObject(new FileObject(fd));
}

}  // namespace plat::win
