// The default narrow and wide code pages, the font character set, and the
// functions that run in them.
#include <atomic>
#include <mutex>
#include <vector>

#include "media/base/charcode.h"
#include "media/base/charcode_string.h"
#include "platform/win/file.h"
#include "platform/win/locale.h"

namespace ZaDod {

namespace {

std::atomic<int> defaultCharSet{0};
std::atomic<int> defaultNarrowCodePage{0};
std::atomic<int> defaultWideCodePage{0};
std::once_flag defaultsSet;

struct LocalePage {
  unsigned oemCodePage;
  int narrowCodePage;
  int charSet;
};

const LocalePage localePages[] = {
    {932, CodePageShiftJis, 1}, {949, CodePageUhc, 2},      {950, CodePageBig5, 3},   {936, CodePageGbk, 4},
    {1252, CodePageWestern, 5}, {32764, CodePageLatin1, 6}, {65001, CodePageUtf8, 1},
};

void setDefaults() {
  int narrow = CodePageShiftJis, charSet = 1;
  const unsigned oem = plat::win::GetOEMCP();
  for (const LocalePage& page : localePages)
    if (page.oemCodePage == oem) narrow = page.narrowCodePage, charSet = page.charSet;
  int unset = 0;
  defaultWideCodePage.compare_exchange_strong(unset, CodePageUtf16LE);
  unset = 0;
  defaultNarrowCodePage.compare_exchange_strong(unset, narrow);
  unset = 0;
  defaultCharSet.compare_exchange_strong(unset, charSet);
}

int narrowPage() {
  if (!defaultNarrowCodePage.load(std::memory_order_acquire)) SetupDefaultCharCode();
  return defaultNarrowCodePage.load(std::memory_order_acquire);
}

int widePage() {
  if (!defaultWideCodePage.load(std::memory_order_acquire)) SetupDefaultCharCode();
  return defaultWideCodePage.load(std::memory_order_acquire);
}

}  // namespace

void SetupDefaultCharCode() { std::call_once(defaultsSet, setDefaults); }

int GetDefaultCharSet() {
  if (!defaultCharSet.load(std::memory_order_acquire)) SetupDefaultCharCode();
  return defaultCharSet.load(std::memory_order_acquire);
}

int GetDefaultNarrowCodePage() { return narrowPage(); }
int GetDefaultWideCodePage() { return widePage(); }
void SetDefaultCharSet(int charSet) { defaultCharSet.store(charSet, std::memory_order_release); }
void SetDefaultNarrowCodePage(int codePage) { defaultNarrowCodePage.store(codePage, std::memory_order_release); }
void SetDefaultWideCodePage(int codePage) { defaultWideCodePage.store(codePage, std::memory_order_release); }

int SetCurrentDirectoryCharCode(const void* path) {
  if (!path) return -1;
  // Sized to the path, so that a long path is never cut into another one.
  const int page = widePage();
  const int needed = ConvertString(path, page, nullptr, 0x7FFFFFFF, CodePageUtf16LE);
  if (needed <= 0) return -1;
  std::vector<char16_t> wide(static_cast<std::size_t>(needed) / 2 + 1);
  ConvertString(path, page, wide.data(), wide.size() * 2, CodePageUtf16LE);
  return plat::win::SetCurrentDirectoryW(wide.data()) ? 0 : -1;
}

void* GetCurrentDirectoryCharCode(void* buffer, std::size_t bufferBytes) {
  const int page = widePage();
  const int unit = CharCode_GetUnitSize(page);
  if (!buffer || unit < 0 || bufferBytes < std::size_t(unit)) return buffer;
  PutCharCodeBase(0, page, buffer, bufferBytes);
  const plat::win::DWORD needed = plat::win::GetCurrentDirectoryW(0, nullptr);
  if (!needed) return buffer;
  std::vector<char16_t> wide(needed);
  if (plat::win::GetCurrentDirectoryW(needed, wide.data()) + 1 != needed) return buffer;
  // Only a whole path is returned: a cut one would name another directory.
  if (ConvertString(wide.data(), CodePageUtf16LE, nullptr, 0x7FFFFFFF, page) > static_cast<long long>(bufferBytes))
    return buffer;
  ConvertString(wide.data(), CodePageUtf16LE, buffer, bufferBytes, page);
  return buffer;
}

void StrCatSA(char* destination, std::size_t size, const char* source) {
  CharCode_StrCatS(narrowPage(), destination, size, source);
}
int StrCmpA(const char* s1, const char* s2) { return CharCode_StrCmp(narrowPage(), s1, s2); }
void StrCopyA(char* destination, const char* source) { CharCode_StrCopy(narrowPage(), destination, source); }
void StrCopySA(char* destination, std::size_t size, const char* source) {
  CharCode_StrCopyS(narrowPage(), destination, size, source);
}
int StrLenA(const char* string) { return CharCode_StrLen(narrowPage(), string); }
void StrCatW(char16_t* destination, const char16_t* source) { CharCode_StrCat(widePage(), destination, source); }
void StrCatSW(char16_t* destination, std::size_t size, const char16_t* source) {
  CharCode_StrCatS(widePage(), destination, size, source);
}
const char16_t* StrChrW(const char16_t* string, std::uint32_t code) {
  return static_cast<const char16_t*>(CharCode_StrChr(widePage(), string, code));
}
int StrCmpW(const char16_t* s1, const char16_t* s2) { return CharCode_StrCmp(widePage(), s1, s2); }
void StrCopyW(char16_t* destination, const char16_t* source) { CharCode_StrCopy(widePage(), destination, source); }
void StrCopySW(char16_t* destination, std::size_t size, const char16_t* source) {
  CharCode_StrCopyS(widePage(), destination, size, source);
}
void StrNCopySW(char16_t* destination, std::size_t size, const char16_t* source, int count) {
  CharCode_StrNCopyS(widePage(), destination, size, source, count);
}
const char16_t* StrStrW(const char16_t* string, const char16_t* substring) {
  return static_cast<const char16_t*>(CharCode_StrStr(widePage(), string, substring));
}
char16_t* StrUprW(char16_t* string) { return static_cast<char16_t*>(CharCode_StrUpr(widePage(), string)); }
char16_t* IntToStrW(int value, char16_t* destination, int radix) {
  return static_cast<char16_t*>(CharCode_IntToStr(widePage(), value, destination, radix));
}

}  // namespace ZaDod
