// The table of open archives, found by the full upper-case name of their file, and
// the settings that apply to archives opened from now on.
#include <cstring>
#include <mutex>
#include <string>

#include "media/base/memory.h"
#include "media/base/thread.h"
#include "media/file/archive_set.h"

namespace ZaDod {

namespace {

struct TableEntry {
  int useCount;
  Archive* archive;  // null: free
  char16_t* name;    // the archive file's full path, upper case
};

TableEntry table[ArchiveTableMax];
int lastIndex = -1;
char16_t lastPrefix[ArchivePathUnits];
std::size_t lastPrefixLength = 0;

char16_t extension[ArchiveExtensionUnits + 1] = u"ZDA";
char keyString[ArchiveKeyBytes + 1];
bool keyPresent = false;

TrackedCriticalSection readerLock;
std::once_flag readerLockMade;

bool equal16(const char16_t* a, const char16_t* b, std::size_t n)
{
  return std::memcmp(a, b, n * sizeof(char16_t)) == 0;
}

// Whether text (terminated) begins with the n units of prefix.
bool startsWith(const char16_t* text, const char16_t* prefix, std::size_t n)
{
  for (std::size_t i = 0; i < n; ++i)
    if (text[i] != prefix[i]) return false;  // also stops at text's terminator
  return true;
}

void closeEntry(TableEntry& e)
{
  ArchiveClose(e.archive);
  MemFree(e.archive);
  MemFree(e.name);
  e = TableEntry{};
}

// Closes archives nobody uses; returns how many.
int closeUnused()
{
  int closed = 0;
  for (int i = 0; i < ArchiveTableMax; ++i)
    if (table[i].archive && table[i].useCount == 0) {
      if (i == lastIndex) lastIndex = -1;
      closeEntry(table[i]);
      ++closed;
    }
  return closed;
}

int freeSlot()
{
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < ArchiveTableMax; ++i)
      if (!table[i].archive) return i;
    if (pass == 0 && closeUnused() == 0) break;
  }
  return -1;
}

// The archive whose file is name, from the table or opened now; -1 when none.
int findOrOpen(const char16_t* name, std::size_t length)
{
  for (int i = 0; i < ArchiveTableMax; ++i)
    if (table[i].archive && std::char_traits<char16_t>::length(table[i].name) == length && equal16(table[i].name, name, length)) {
      ++table[i].useCount;
      return i;
    }
  auto* archive = static_cast<Archive*>(MemAlloc(sizeof(Archive), "archive_table", __LINE__));
  if (!archive) return -1;
  if (ArchiveOpenFromFile(archive, name, keyPresent ? keyString : nullptr) != 0) {
    MemFree(archive);
    return -1;
  }
  const int slot = freeSlot();
  auto* copy = static_cast<char16_t*>(MemAlloc((length + 1) * sizeof(char16_t), "archive_table", __LINE__));
  if (slot < 0 || !copy) {
    MemFree(copy);
    ArchiveClose(archive);
    MemFree(archive);
    return -1;
  }
  std::memcpy(copy, name, (length + 1) * sizeof(char16_t));
  table[slot] = TableEntry{1, archive, copy};
  return slot;
}

}  // namespace

void ArchiveReaderLock()
{
  std::call_once(readerLockMade, [] { CriticalSection_Initialize(&readerLock); });
  CriticalSection_Lock(&readerLock, "archive_table", __LINE__);
}

void ArchiveReaderUnlock() { CriticalSection_Unlock(&readerLock); }

bool ArchiveFullUpperPath(const char16_t* path, char16_t* out, std::size_t outUnits)
{
  if (MakeFullPath(path, out, outUnits * sizeof(char16_t), nullptr) != 0) return false;
  for (char16_t* p = out; *p; ++p)
    if (*p >= u'a' && *p <= u'z') *p = static_cast<char16_t>(*p - 32);
  return true;
}

int ArchiveTableLookup(const char16_t* path, const char16_t** inner)
{
  ArchiveReaderLock();
  int found = -1;
  if (lastIndex >= 0 && table[lastIndex].archive && startsWith(path, lastPrefix, lastPrefixLength) &&
      path[lastPrefixLength] == u'\\') {
    ++table[lastIndex].useCount;
    found = lastIndex;
    *inner = path + lastPrefixLength + 1;
  } else {
    const std::size_t extensionLength = std::char_traits<char16_t>::length(extension);
    char16_t candidate[ArchivePathUnits];
    for (std::size_t i = 1; path[i] && found < 0; ++i) {
      // Each directory of the path, but not a bare drive or UNC prefix.
      if (path[i] != u'\\' || path[i - 1] == u':' || path[i - 1] == u'\\') continue;
      if (i + 1 + extensionLength >= ArchivePathUnits) break;
      std::memcpy(candidate, path, i * sizeof(char16_t));
      candidate[i] = u'.';
      std::memcpy(candidate + i + 1, extension, (extensionLength + 1) * sizeof(char16_t));
      found = findOrOpen(candidate, i + 1 + extensionLength);
      if (found >= 0) {
        std::memcpy(lastPrefix, path, i * sizeof(char16_t));
        lastPrefixLength = i;
        lastIndex = found;
        *inner = path + i + 1;
      }
    }
  }
  ArchiveReaderUnlock();
  return found;
}

Archive* ArchiveTableGet(int index) { return table[index].archive; }

void ArchiveTableRelease(int index)
{
  ArchiveReaderLock();
  if (table[index].useCount > 0) --table[index].useCount;
  ArchiveReaderUnlock();
}

void ArchiveSetExtension(const char16_t* text)
{
  const std::size_t length = text ? std::char_traits<char16_t>::length(text) : 0;
  ArchiveReaderLock();
  if (length >= 1 && length <= ArchiveExtensionUnits) std::memcpy(extension, text, (length + 1) * sizeof(char16_t));
  else std::memcpy(extension, u"ZDA", sizeof u"ZDA");
  lastIndex = -1;  // the remembered archive was found under the old extension
  ArchiveReaderUnlock();
}

void ArchiveSetKeyString(const char* text)
{
  ArchiveReaderLock();
  keyPresent = text != nullptr;
  std::memset(keyString, 0, sizeof keyString);
  if (text) std::strncpy(keyString, text, ArchiveKeyBytes);
  ArchiveReaderUnlock();
}

int InitializeArchiveReader()
{
  ArchiveReaderLock();
  closeUnused();
  ArchiveReaderUnlock();
  return 0;
}

int TerminateArchiveReader()
{
  ArchiveReaderLock();
  closeUnused();
  ArchiveReaderUnlock();
  return 0;
}

}  // namespace ZaDod
