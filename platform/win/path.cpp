// How media-layer paths reach the POSIX file tree.
#include "platform/win/path.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
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

bool equalsIgnoringAsciiCase(const char* a, const std::string& b) {
  std::size_t i = 0;
  for (; a[i] && i < b.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return a[i] == 0 && i == b.size();
}

// The first entry of dir, in byte order of names, that equals name without regard
// to ASCII case.
bool findIgnoringCase(const std::string& dir, const std::string& name, std::string& found) {
  DIR* d = ::opendir(dir.empty() ? "/" : dir.c_str());
  if (!d) return false;
  bool any = false;
  while (dirent* e = ::readdir(d)) {
    if (!equalsIgnoringAsciiCase(e->d_name, name)) continue;
    if (!any || found.compare(e->d_name) > 0) found = e->d_name;
    any = true;
  }
  ::closedir(d);
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
