// How media-layer paths reach the POSIX file tree: drive C: is the root, '\' and '/'
// both separate components, and a component that does not exist as written is
// looked up again without regard to ASCII letter case.
#pragma once
#include <string>

namespace plat::win {

// Maps a UTF-16 path to an existing POSIX path (UTF-8). With lastMayBeMissing the
// final component need not exist; it then keeps the name as given, in the directory
// resolved the usual way. False, with the last error set, when nothing matches.
bool mapPath(const char16_t* path, std::string& posixPath, bool lastMayBeMissing);

// UTF-16 to UTF-8; false for an unpaired surrogate.
bool utf8FromUtf16(const char16_t* text, std::string& out);

// UTF-8 to UTF-16; each byte that is not part of a valid sequence becomes U+FFFD.
std::u16string utf16FromUtf8(const std::string& text);

}  // namespace plat::win
