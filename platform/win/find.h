// Directory listing over opendir/readdir/statx. A pattern is a path whose last
// component may hold '*' (any run) and '?' (any one unit); letters match without
// regard to ASCII case, and "*.*" matches every name as "*" does. Entries come in the
// directory's own order, "." and ".." included where it lists them; names that are
// not valid UTF-8 or longer than 259 units are skipped.
#pragma once
#include "platform/win/filetime.h"
#include "platform/win/types.h"
#include "platform/win/win_handle.h"

namespace plat::win {

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD ERROR_NO_MORE_FILES = 18;
constexpr int MAX_PATH = 260;

struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;  // birth time where the file system keeps it, else last write
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  char16_t cFileName[MAX_PATH];
};

// INVALID_HANDLE_VALUE, with the last error set, when nothing matches.
HANDLE FindFirstFileW(const char16_t* pattern, WIN32_FIND_DATAW* data);
// FALSE with ERROR_NO_MORE_FILES after the last match.
BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data);
BOOL FindClose(HANDLE find);

// Whether name matches pattern as the find functions match.
bool matchFindPattern(const char16_t* pattern, const char16_t* name);

}  // namespace plat::win
