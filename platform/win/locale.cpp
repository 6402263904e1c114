// The code page of the environment's locale.
#include "platform/win/locale.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace plat::win {

namespace {

struct Codeset {
  const char* name;  // lower case, without '-' and '_'
  unsigned codePage;
};

const Codeset legacyCodesets[] = {
    {"sjis", 932},   {"shiftjis", 932}, {"cp932", 932},        {"windows31j", 932}, {"gbk", 936},        {"cp936", 936},
    {"gb2312", 936}, {"euccn", 936},    {"cp949", 949},        {"uhc", 949},        {"euckr", 949},      {"big5", 950},
    {"cp950", 950},  {"cp1252", 1252},  {"windows1252", 1252}, {"iso88591", 1252},  {"iso885915", 1252},
};

}  // namespace

unsigned GetOEMCP() {
  const char* locale = nullptr;
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) {
      locale = value;
      break;
    }
  }
  if (!locale) return 65001;
  const char* dot = std::strchr(locale, '.');
  if (!dot) return 65001;
  std::string codeset;
  for (const char* p = dot + 1; *p && *p != '@'; ++p) {
    char c = *p;
    if (c == '-' || c == '_') continue;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    codeset += c;
  }
  for (const Codeset& known : legacyCodesets)
    if (codeset == known.name) return known.codePage;
  return 65001;
}

}  // namespace plat::win
