// Names between UTF-8 and an archive's code page, through the C library's iconv.
#include "tools/pack/archive_codepage.h"

#include <iconv.h>

#include "media/file/archive_format.h"

namespace halvorine::pack {

namespace {

const char* iconvName(int codePage)
{
  switch (codePage) {
  case 932: return "CP932";
  case 936: return "CP936";
  case 949: return "CP949";
  case 950: return "CP950";
  case 1200: return "UTF-16LE";
  case 1201: return "UTF-16BE";
  case 1252: return "CP1252";
  case 32764: return "ISO-8859-1";
  case 32766: return "UTF-32LE";
  case 32767: return "UTF-32BE";
  case 65001: return "UTF-8";
  default: return nullptr;
  }
}

bool convert(const char* to, const char* from, const std::uint8_t* text, std::size_t size, std::vector<std::uint8_t>& out)
{
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.assign(size * 4 + 16, 0);
  char* in = const_cast<char*>(reinterpret_cast<const char*>(text));
  char* at = reinterpret_cast<char*>(out.data());
  std::size_t inLeft = size, outLeft = out.size();
  const bool good = iconv(cd, &in, &inLeft, &at, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0;
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return good;
}

}  // namespace

bool convertName(const std::string& utf8, int codePage, std::vector<std::uint8_t>& out)
{
  const char* name = iconvName(codePage);
  return name && convert(name, "UTF-8", reinterpret_cast<const std::uint8_t*>(utf8.data()), utf8.size(), out);
}

bool nameToUtf8(const std::uint8_t* text, std::size_t maxBytes, int codePage, std::string& out)
{
  const char* name = iconvName(codePage);
  if (!name) return false;
  const int unit = ZaDod::ArchiveUnitBytes(codePage);
  std::size_t length = 0;
  while (length + unit <= maxBytes) {
    bool zero = true;
    for (int k = 0; k < unit; ++k) zero = zero && text[length + k] == 0;
    if (zero) break;
    length += unit;
  }
  std::vector<std::uint8_t> converted;
  if (!convert("UTF-8", name, text, length, converted)) return false;
  out.assign(converted.begin(), converted.end());
  return true;
}

}  // namespace halvorine::pack
