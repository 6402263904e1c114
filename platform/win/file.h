// Files over POSIX, reached through the path mapping of path.h. Sharing modes,
// security attributes, flags and templates are accepted and ignored.
#pragma once
#include "platform/win/types.h"
#include "platform/win/win_handle.h"

namespace plat::win {

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;

constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

constexpr DWORD FILE_SHARE_READ = 0x01;
constexpr DWORD FILE_SHARE_WRITE = 0x02;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;

constexpr DWORD ERROR_NEGATIVE_SEEK = 131;

HANDLE CreateFileW(const char16_t* name, DWORD access, DWORD share, void* security, DWORD disposition, DWORD flags,
                   HANDLE templateFile);
BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* done, void* overlapped);
BOOL WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* done, void* overlapped);
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method);
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);
// The low 32 bits of the size; the high ones into sizeHigh when given. A size that
// needs sizeHigh when it is null gives INVALID_FILE_SIZE.
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;
DWORD GetFileSize(HANDLE file, DWORD* sizeHigh);
BOOL DeleteFileW(const char16_t* name);

// The working directory is reported as "C:" and its POSIX path with '\' separators.
BOOL SetCurrentDirectoryW(const char16_t* path);
DWORD GetCurrentDirectoryW(DWORD bufferLength, char16_t* buffer);

// The temporary folder: $TMPDIR, else /tmp, as "C:\...\" with a trailing separator.
// The length without terminator, or, when the buffer is too small, the units needed.
DWORD GetTempPathW(DWORD bufferLength, char16_t* buffer);

// Makes a new file named prefix and six unique characters in directory, atomically
// (mkstemp), open for reading and writing; its full path goes into path. The file is
// removed again, and INVALID_HANDLE_VALUE returned, when the path does not fit.
HANDLE CreateUniqueFileW(const char16_t* directory, const char16_t* prefix, char16_t* path, DWORD pathLength);

}  // namespace plat::win
