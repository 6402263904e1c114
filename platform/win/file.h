// Files over POSIX, reached through the path mapping of path.h. Sharing modes,
// security attributes, flags and templates are accepted and ignored.
#pragma once
#include "platform/win/handle.h"
#include "platform/win/types.h"

namespace plat::win {

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;

constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;

constexpr DWORD ERROR_NEGATIVE_SEEK = 131;

HANDLE CreateFileW(const char16_t* name, DWORD access, DWORD share, void* security, DWORD disposition,
                   DWORD flags, HANDLE templateFile);
BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* done, void* overlapped);
BOOL WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* done, void* overlapped);
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method);
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);
BOOL DeleteFileW(const char16_t* name);

// The working directory is reported as "C:" and its POSIX path with '\' separators.
BOOL SetCurrentDirectoryW(const char16_t* path);
DWORD GetCurrentDirectoryW(DWORD bufferLength, char16_t* buffer);

}  // namespace plat::win
