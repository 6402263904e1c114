// Full paths: drive or UNC prefix from the path or the base, then the components with
// "." and ".." resolved in the text, joined by backslashes.
#include "media/file/file_access.h"

#include <string>

namespace ZaDod {

namespace {

constexpr std::size_t CurrentDirectoryBytes = 3072;

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }
bool isDriveChar(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'); }

// An output buffer that refuses to run past its capacity (one unit is kept for the
// terminator).
struct PathWriter {
  char16_t* out;
  std::size_t capacity;  // units, terminator included
  std::size_t length = 0;
  bool overflow = false;

  void put(char16_t c)
  {
    if (length + 1 >= capacity) {
      overflow = true;
      return;
    }
    out[length++] = c;
  }
  void put(const char16_t* s, std::size_t n)
  {
    for (std::size_t i = 0; i < n; ++i) put(s[i]);
  }
  // ".." : back to the previous backslash, but a drive's colon stays.
  void dropLast()
  {
    std::size_t i = length;
    while (i > 0) {
      const char16_t c = out[i - 1];
      if (c == u':') {
        length = i;
        return;
      }
      if (c == u'\\') {
        length = i - 1;
        return;
      }
      --i;
    }
    length = 0;
  }
};

}  // namespace

int MakeFullPath(const char16_t* path, char16_t* output, std::size_t outputBytes, const char16_t* base)
{
  char16_t current[CurrentDirectoryBytes / sizeof(char16_t)];
  if (!base) {
    current[0] = 0;
    FileAccessGetDir(current, sizeof current);
    base = current;
  }
  PathWriter w{output, outputBytes / sizeof(char16_t)};
  if (w.capacity == 0) return -1;
  if (!path) {
    w.put(base, std::char_traits<char16_t>::length(base));
  } else {
    const char16_t* p = path;
    std::size_t drive = 0;
    while (isDriveChar(p[drive])) ++drive;
    if (isSeparator(p[0]) && isSeparator(p[1])) {
      w.put(u'\\');
      p += 2;
    } else if (drive > 0 && p[drive] == u':') {
      w.put(p, drive + 1);
      p += drive + 1;
      if (isSeparator(*p)) ++p;
    } else if (isSeparator(p[0])) {
      const std::size_t baseLength = std::char_traits<char16_t>::length(base);
      w.put(base, baseLength < 2 ? baseLength : 2);
      ++p;
    } else {
      std::size_t baseLength = std::char_traits<char16_t>::length(base);
      if (baseLength > 0 && isSeparator(base[baseLength - 1])) --baseLength;
      w.put(base, baseLength);
    }
    while (*p && !w.overflow) {
      const char16_t* start = p;
      while (*p && !isSeparator(*p)) ++p;
      const std::size_t n = static_cast<std::size_t>(p - start);
      if (*p) ++p;
      if (n == 0 || (n == 1 && start[0] == u'.')) continue;
      if (n == 2 && start[0] == u'.' && start[1] == u'.') {
        w.dropLast();
        continue;
      }
      if (w.length > 0) w.put(u'\\');
      w.put(start, n);
    }
  }
  if (w.overflow) {
    output[0] = 0;
    return -1;
  }
  output[w.length] = 0;
  return 0;
}

}  // namespace ZaDod
