// The layer's printf engine. One engine serves every code page: the format, the
// output and each character or string argument may each be in a different page;
// the output is written in the format's page.
//
// Arguments are read with their C types: int for '*', characters and integers
// without a 64-bit size ('l' is 32 bits); long long for "ll" and "I64"; double for
// the floating conversions; pointers for 's', 'S', 'p' and 'n' ('n' writes nothing).
#pragma once
#include <cstdarg>
#include <cstddef>

namespace ZaDod {

// size is in characters of the format's page (its unit size in bytes each). The
// output always ends with a terminator; when not even that fits nothing is written.
// 0 when done (also when cut), -1 when the format's work buffer cannot be had.
// In a narrow format (wideFormat 0) 'c' and 's' take narrowCodePage and 'C' and 'S'
// wideCodePage; in a wide format the other way round.
int CharCode_VSNPrintf(int formatCodePage, int wideFormat, int narrowCodePage, int wideCodePage, void* destination,
                       std::size_t size, const void* format, va_list args);
int CharCode_VSPrintf(int formatCodePage, int wideFormat, int narrowCodePage, int wideCodePage, void* destination,
                      const void* format, va_list args);
int CharCode_SNPrintf(int formatCodePage, int wideFormat, int narrowCodePage, int wideCodePage, void* destination,
                      std::size_t size, const void* format, ...);
int CharCode_SPrintf(int formatCodePage, int wideFormat, int narrowCodePage, int wideCodePage, void* destination,
                     const void* format, ...);

// In the default narrow (A) or wide (W) code page.
int SNPrintfA(char* destination, std::size_t size, const char* format, ...);
int VSNPrintfA(char* destination, std::size_t size, const char* format, va_list args);
int SNPrintfW(char16_t* destination, std::size_t size, const char16_t* format, ...);
int SPrintfW(char16_t* destination, const char16_t* format, ...);
int VSNPrintfW(char16_t* destination, std::size_t size, const char16_t* format, va_list args);

}  // namespace ZaDod
