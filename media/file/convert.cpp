// Whole-text conversion for paths and names.
#include "media/file/convert.h"

#include "media/base/charcode.h"

namespace ZaDod {

int ConvertWholeString(const void* source, int sourceCodePage, void* destination, std::size_t destinationSize,
                       int destinationCodePage)
{
  const int needed = ConvertString(source, sourceCodePage, nullptr, 0x7FFFFFFF, destinationCodePage);
  if (needed <= 0 || static_cast<std::size_t>(needed) > destinationSize) return -1;
  if (destination) ConvertString(source, sourceCodePage, destination, destinationSize, destinationCodePage);
  return needed;
}

}  // namespace ZaDod
