// Directory listing over opendir/readdir/statx.
#include "platform/win/find.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "platform/win/error.h"
#include "platform/win/path.h"

namespace plat::win {

namespace {

struct FindObject : KernelObject {
  ~FindObject() override {
    if (directory) ::closedir(directory);
  }
  DIR* directory = nullptr;
  std::string path;  // POSIX directory
  std::u16string pattern;
};

char16_t upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

void setFileTime(FILETIME* out, const statx_timestamp& t) { *out = fileTimeFromPosix(t.tv_sec, t.tv_nsec); }

// Fills data for the next entry that matches; false at the end of the directory.
bool nextMatch(FindObject* find, WIN32_FIND_DATAW* data) {
  while (dirent* entry = ::readdir(find->directory)) {
    const std::string name = entry->d_name;
    const std::u16string wide = utf16FromUtf8(name);
    std::string back;
    if (!utf8FromUtf16(wide.c_str(), back) || back != name) continue;  // not valid UTF-8
    if (wide.size() >= MAX_PATH) continue;
    if (!matchFindPattern(find->pattern.c_str(), wide.c_str())) continue;
    struct statx st;
    const std::string full = (find->path == "/" ? "" : find->path) + "/" + name;
    if (::statx(AT_FDCWD, full.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &st) != 0) continue;
    std::memset(data, 0, sizeof *data);
    data->dwFileAttributes = S_ISDIR(st.stx_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (!(st.stx_mode & 0222)) data->dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
    setFileTime(&data->ftLastWriteTime, st.stx_mtime);
    setFileTime(&data->ftLastAccessTime, st.stx_atime);
    if (st.stx_mask & STATX_BTIME) setFileTime(&data->ftCreationTime, st.stx_btime);
    else data->ftCreationTime = data->ftLastWriteTime;
    const std::uint64_t size = S_ISDIR(st.stx_mode) ? 0 : st.stx_size;
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size);
    std::memcpy(data->cFileName, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
    return true;
  }
  return false;
}

}  // namespace

bool matchFindPattern(const char16_t* pattern, const char16_t* name) {
  if (pattern[0] == u'*' && pattern[1] == u'.' && pattern[2] == u'*' && pattern[3] == 0) pattern = u"*";
  // Greedy with one back-track point: the last '*' seen.
  const char16_t* star = nullptr;
  const char16_t* resume = nullptr;
  while (*name) {
    if (*pattern == u'*') {
      star = ++pattern;
      resume = name;
    } else if (*pattern && (*pattern == u'?' || upper(*pattern) == upper(*name))) {
      ++pattern;
      ++name;
    } else if (star) {
      pattern = star;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == u'*') ++pattern;
  return *pattern == 0;
}

HANDLE FindFirstFileW(const char16_t* pattern, WIN32_FIND_DATAW* data) {
  std::u16string text = pattern;
  std::size_t cut = text.size();
  while (cut > 0 && !isSeparator(text[cut - 1])) --cut;
  std::u16string directory = text.substr(0, cut);
  const std::u16string last = text.substr(cut);
  if (last.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (directory.empty()) directory = u".";
  auto* find = new FindObject;
  find->pattern = last;
  if (!mapPath(directory.c_str(), find->path, false) ||
      !(find->directory = ::opendir(find->path.empty() ? "/" : find->path.c_str()))) {
    if (find->path.size() && !find->directory) SetLastError(ERROR_PATH_NOT_FOUND);
    delete find;
    return INVALID_HANDLE_VALUE;
  }
  if (find->path.empty()) find->path = "/";
  if (!nextMatch(find, data)) {
    delete find;
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  SetLastError(ERROR_SUCCESS);
  return registerObject(find);
}

BOOL FindNextFileW(HANDLE handle, WIN32_FIND_DATAW* data) {
  FindObject* find = findObjectAs<FindObject>(handle);
  if (!find) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!nextMatch(find, data)) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  return TRUE;
}

BOOL FindClose(HANDLE handle) {
  if (!findObjectAs<FindObject>(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return CloseHandle(handle);
}

}  // namespace plat::win
