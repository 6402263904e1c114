// Code pages and conversion. Every text handed to the media layer names its
// encoding by a code page; a character code is the page's own value (lead byte
// times 256 plus trail byte for the double-byte pages, the byte for single-byte
// pages, the code point for the Unicode pages). A string ends with one zero unit.
#pragma once
#include <cstddef>
#include <cstdint>

namespace ZaDod {

constexpr int CodePageShiftJis = 932;
constexpr int CodePageGbk = 936;
constexpr int CodePageUhc = 949;
constexpr int CodePageBig5 = 950;
constexpr int CodePageWestern = 1252;
constexpr int CodePageLatin1 = 32764;   // table-driven, the identity of 0x00-0xFF
constexpr int CodePageRawByte = 32765;  // no table: byte value = code
constexpr int CodePageUtf16LE = 1200;
constexpr int CodePageUtf16BE = 1201;
constexpr int CodePageUtf32LE = 32766;
constexpr int CodePageUtf32BE = 32767;
constexpr int CodePageUtf8 = 65001;

// Bytes per unit: 1, 2 or 4; -1 for an unsupported page.
int CharCode_GetUnitSize(int codePage);
int GetCodePageUnitSize(int codePage);

// Bytes of the character at the head of the string, judged by its first unit.
int CharCode_GetCharBytes(const void* string, int codePage);

// The character at the head. A terminator, or a character whose sequence runs
// into a zero unit, reads as code 0 with *bytes = the unit size; an invalid UTF-8
// lead byte also reads as 0. An unsupported page gives 0 and leaves *bytes.
std::uint32_t GetCharCodeBase(const void* string, int codePage, int* bytes);
std::uint32_t GetCharCode(const void* string, int codePage, int* bytes);

// Writes one character (destination may be null) and returns its length; 0 when
// it needs more than room bytes, cannot be encoded, or the page is unsupported.
int PutCharCodeBase(std::uint32_t code, int codePage, void* destination, std::size_t room);
int PutCharCode(std::uint32_t code, int codePage, void* destination, std::size_t room);
int PutCharCodeNoLimit(std::uint32_t code, int codePage, void* destination);

// The address after count characters; null when the string ends first.
const void* CharCode_GetCharPointer(const void* string, int codePage, int count);
int CharCode_GetCharCount(const void* string, int codePage);

// Every character as a 32-bit code, then a 0 code; returns 4 x (characters + 1).
int CharCode_StrToCodeArray(const void* string, int codePage, std::uint32_t* codes);

// One character code in another page; 0 when it has none there.
std::uint32_t ConvertCharCodeBase(std::uint32_t code, int sourceCodePage, int destinationCodePage);
std::uint32_t ConvertCharCode(std::uint32_t code, int sourceCodePage, int destinationCodePage);

// Converts a whole string; returns the bytes written with the terminator (with a
// null destination, the bytes that would be written). Characters without a code in
// the destination page are left out. 0 when not even the terminator fits.
int ConvertString(const void* source, int sourceCodePage, void* destination, std::size_t destinationSize,
                  int destinationCodePage);

// Start-up's step for the conversion tables: nothing is built here; each conversion
// builds the tables it uses on first use (once; thread-safe).
int SetupCharCodeTables();

// Default pages: wide 1200, narrow and the font character set from the locale.
// Runs once; a page set before it is kept.
void SetupDefaultCharCode();
int GetDefaultCharSet();
int GetDefaultNarrowCodePage();
int GetDefaultWideCodePage();
void SetDefaultCharSet(int charSet);
void SetDefaultNarrowCodePage(int codePage);
void SetDefaultWideCodePage(int codePage);

// The process's current directory, in the default wide page. Set: 0 or -1. Get:
// the buffer, holding an empty text when the directory does not fit or is unknown.
int SetCurrentDirectoryCharCode(const void* path);
void* GetCurrentDirectoryCharCode(void* buffer, std::size_t bufferBytes);

}  // namespace ZaDod
