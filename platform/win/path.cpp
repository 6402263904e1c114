// How media-layer paths reach the POSIX file tree.
#include "platform/win/path.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/win/error.h"

namespace plat::win {

bool utf8FromUtf16(const char16_t* text, std::string& out) {
  out.clear();
  for (const char16_t* p = text; *p; ++p) {
    std::uint32_t c = *p;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (p[1] < 0xDC00 || p[1] > 0xDFFF) return false;
      c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
      ++p;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return true;
}

std::u16string utf16FromUtf8(const std::string& text) {
  static const std::uint32_t least[] = {0, 0x80, 0x800, 0x10000};
  std::u16string out;
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const std::uint32_t c = s[i];
    const int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    bool good = extra >= 0 && i + extra < n;
    std::uint32_t code = good ? (c & (0x7F >> extra)) : 0;
    for (int k = 1; good && k <= extra; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) good = false;
      else code = (code << 6) | (s[i + k] & 0x3F);
    }
    if (!good || code < least[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      out += static_cast<char16_t>(0xD800 | ((code - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 | (code & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
    i += extra + 1;
  }
  return out;
}

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.empty() ? "/" : path.c_str(), &st) == 0;
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

std::string lowerAscii(const std::string& name) {
  std::string out = name;
  for (char& c : out) c = lowerAscii(c);
  return out;
}

// A directory's names by their ASCII-lower-case form, each with its first spelling in
// byte order, as last read. Looking a name up without regard to case reads the whole
// directory, and the archive look-ups try a name beside every folder of a path, mostly
// in vain, so the same large folders would be read again and again.
struct Listing {
  dev_t device = 0;
  ino_t inode = 0;
  timespec modified{}, changed{};
  std::unordered_map<std::string, std::string> names;
};

std::mutex listingsMutex;
std::unordered_map<std::string, Listing>& listings() {
  static auto* cache = new std::unordered_map<std::string, Listing>();
  return *cache;
}
constexpr std::size_t kListingsKept = 64;

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// A listing may be kept once the directory's last change lies clearly before the read:
// a later change then gets a later change time, even from the file system's coarse
// clock, and the next look-up sees it.
bool settledBefore(const timespec& changed, const timespec& readAt) {
  constexpr long long kMarginNs = 100'000'000;
  const long long changedNs = static_cast<long long>(changed.tv_sec) * 1'000'000'000 + changed.tv_nsec;
  const long long readNs = static_cast<long long>(readAt.tv_sec) * 1'000'000'000 + readAt.tv_nsec;
  return changedNs + kMarginNs < readNs;
}

// The first entry of dir, in byte order of names, that equals name without regard
// to ASCII case.
bool findIgnoringCase(const std::string& dir, const std::string& name, std::string& found) {
  const std::string path = dir.empty() ? "/" : dir;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  const std::string key = lowerAscii(name);
  {
    std::lock_guard<std::mutex> hold(listingsMutex);
    auto it = listings().find(path);
    if (it != listings().end()) {
      const Listing& l = it->second;
      if (l.device == st.st_dev && l.inode == st.st_ino && sameTime(l.modified, st.st_mtim) &&
          sameTime(l.changed, st.st_ctim)) {
        auto hit = l.names.find(key);
        if (hit == l.names.end()) return false;
        found = hit->second;
        return true;
      }
      listings().erase(it);
    }
  }
  timespec readAt{};
  ::clock_gettime(CLOCK_REALTIME, &readAt);
  DIR* d = ::opendir(path.c_str());
  if (!d) return false;
  Listing listing;
  listing.device = st.st_dev;
  listing.inode = st.st_ino;
  listing.modified = st.st_mtim;
  listing.changed = st.st_ctim;
  while (dirent* e = ::readdir(d)) {
    auto [at, added] = listing.names.try_emplace(lowerAscii(std::string(e->d_name)), e->d_name);
    if (!added && at->second.compare(e->d_name) > 0) at->second = e->d_name;
  }
  ::closedir(d);
  auto hit = listing.names.find(key);
  const bool any = hit != listing.names.end();
  if (any) found = hit->second;
  if (settledBefore(st.st_ctim, readAt) && settledBefore(st.st_mtim, readAt)) {
    std::lock_guard<std::mutex> hold(listingsMutex);
    if (listings().size() >= kListingsKept) listings().clear();
    listings()[path] = std::move(listing);
  }
  return any;
}

void pushComponent(std::vector<std::string>& parts, const std::string& part) {
  if (part.empty() || part == ".") return;
  if (part == "..") {
    if (!parts.empty()) parts.pop_back();
    return;
  }
  parts.push_back(part);
}

void splitInto(std::vector<std::string>& parts, const std::string& text, std::size_t from) {
  std::string part;
  for (std::size_t i = from; i < text.size(); ++i) {
    if (isSeparator(text[i])) {
      pushComponent(parts, part);
      part.clear();
    } else {
      part += text[i];
    }
  }
  pushComponent(parts, part);
}

}  // namespace

bool mapPath(const char16_t* path, std::string& posixPath, bool lastMayBeMissing) {
  std::string text;
  if (!path || !utf8FromUtf16(path, text)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  std::vector<std::string> parts;
  std::size_t from = 0;
  bool rooted = false;
  if (text.size() >= 2 && text[1] == ':') {
    if (text[0] != 'C' && text[0] != 'c') {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return false;
    }
    from = 2;
    rooted = text.size() == 2 || isSeparator(text[2]);
  } else if (!text.empty() && isSeparator(text[0])) {
    if (text.size() >= 2 && isSeparator(text[1])) {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return false;
    }
    rooted = true;
  }
  if (!rooted) {
    char* cwd = ::getcwd(nullptr, 0);
    if (!cwd) {
      SetLastError(errorFromErrno(errno));
      return false;
    }
    splitInto(parts, cwd, 0);
    std::free(cwd);
  }
  splitInto(parts, text, from);

  std::string exact;
  for (const std::string& part : parts) exact += "/" + part;
  if (exists(exact)) {
    posixPath = exact.empty() ? "/" : exact;
    return true;
  }
  std::string current;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    std::string candidate = current + "/" + parts[k];
    std::string found;
    if (exists(candidate)) {
      current = candidate;
    } else if (findIgnoringCase(current, parts[k], found)) {
      current += "/" + found;
    } else if (k + 1 == parts.size() && lastMayBeMissing) {
      current = candidate;
    } else {
      SetLastError(k + 1 == parts.size() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
      return false;
    }
  }
  posixPath = current.empty() ? "/" : current;
  return true;
}

}  // namespace plat::win
