// Temporary: plain versions of the functions of text_seam.h; the log pieces go to the
// log's test hook through LogAddTextUtf16.
#include "media/system/text_seam.h"

#include <string>

#include "media/base/log.h"

namespace ZaDod {

int LogAddTextWide(const char16_t* text) { return LogAddTextUtf16(text); }

int LogAddTextCurrentCp(const char* text) {
  std::u16string wide;
  for (const char* p = text; p && *p; ++p) wide += static_cast<char16_t>(static_cast<unsigned char>(*p));
  return LogAddTextUtf16(wide.c_str());
}

int SetLogFileOutput(int) { return 0; }
int LogStart() { return 0; }

int SetupCharCodeTables() { return 0; }
void SetupDefaultCharCode() {}
int GetDefaultNarrowCodePage() { return 65001; }

// UTF-8 (every narrow page here) to UTF-16; enough for titles until the text module lands.
int ConvertString(const void* source, int, void* destination, std::size_t destinationSize, int) {
  const unsigned char* s = static_cast<const unsigned char*>(source);
  char16_t* d = static_cast<char16_t*>(destination);
  std::size_t room = destinationSize / 2, n = 0;
  if (room == 0) return 0;
  while (*s) {
    char32_t c = *s++;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    c &= extra == 3 ? 0x07 : extra == 2 ? 0x0F : extra == 1 ? 0x1F : 0x7F;
    for (; extra > 0 && (*s & 0xC0) == 0x80; --extra) c = (c << 6) | (*s++ & 0x3F);
    if (c >= 0x10000) {
      if (n + 2 >= room) break;
      c -= 0x10000;
      d[n++] = static_cast<char16_t>(0xD800 + (c >> 10));
      d[n++] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      if (n + 1 >= room) break;
      d[n++] = static_cast<char16_t>(c);
    }
  }
  d[n] = 0;
  return static_cast<int>((n + 1) * 2);
}

}  // namespace ZaDod
