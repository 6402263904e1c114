// Whole-text conversion for paths and names: a text that does not fit its buffer is
// refused rather than cut, since a cut path names another file.
#pragma once
#include <cstddef>

namespace ZaDod {

// The bytes written with the terminator, or -1 when the converted text (terminator
// included) needs more than destinationSize bytes. destination may be null to measure.
int ConvertWholeString(const void* source, int sourceCodePage, void* destination, std::size_t destinationSize,
                       int destinationCodePage);

}  // namespace ZaDod
