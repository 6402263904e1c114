// Reads the input as a loop-tag file through the file-access table, and makes a
// loop-tag file name from the input taken as a path.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "fuzz/input_file.h"
#include "media/sound/sound_handle.h"

using namespace ZaDod;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string& path = fuzzinput::scratchPath("halvorine-fuzz-loop-tag-");
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  std::u16string name(u"C:");
  for (char c : path) name += c == '/' ? u'\\' : static_cast<char16_t>(c);
  std::int32_t start = -7, end = -7;
  if (ReadLoopTagFile(name.c_str(), &start, &end) == 0 && (start < 0 || start >= end)) std::abort();

  std::u16string fileName;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const char16_t c = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (c == 0) break;
    fileName += c;
  }
  char16_t out[40];
  MakeLoopTagFileName(fileName.c_str(), out, sizeof(out));
  std::size_t length = 0;
  while (length < 40 && out[length] != 0) ++length;
  if (length >= 40) std::abort();
  return 0;
}
