// Temporary: plain versions of the functions of file_seam.h over the process's
// current directory.
#include "media/system/file_seam.h"

#include <unistd.h>

#include <string>

namespace ZaDod {

int SetUserFileAccessFunctions(const void*) { return 0; }

int FileAccessGetDir(char16_t* buffer, int bufferSize) {
  char path[4096];
  if (!buffer || bufferSize <= 0 || !getcwd(path, sizeof path)) return -1;
  int n = 0;
  for (const char* p = path; *p && n + 1 < bufferSize; ++p) buffer[n++] = static_cast<unsigned char>(*p);
  buffer[n] = 0;
  return 0;
}

int FileAccessChangeDir(const char16_t* path) {
  std::string narrow;
  for (const char16_t* p = path; p && *p; ++p) narrow += static_cast<char>(*p);
  return chdir(narrow.c_str()) == 0 ? 0 : -1;
}

int InitializeFileHandles() { return 0; }
int TerminateFileHandles() { return 0; }
int InitializeArchiveReader() { return 0; }
int TerminateArchiveReader() { return 0; }

}  // namespace ZaDod
