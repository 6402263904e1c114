// String functions by code page. Lengths, counts and positions are in units of the
// page (1, 2 or 4 bytes); sizes are in bytes. Only StrChr and StrUpr work by whole
// characters. For an unsupported page nothing is written, searches give null,
// comparisons and StrLen 0.
#pragma once
#include <cstddef>
#include <cstdint>

namespace ZaDod {

int CharCode_StrLen(int codePage, const void* string);
void CharCode_StrCopy(int codePage, void* destination, const void* source);
void CharCode_StrCopyS(int codePage, void* destination, std::size_t size, const void* source);
void CharCode_StrNCopy(int codePage, void* destination, const void* source, int count);
void CharCode_StrNCopyS(int codePage, void* destination, std::size_t size, const void* source, int count);
void CharCode_StrCat(int codePage, void* destination, const void* source);
void CharCode_StrCatS(int codePage, void* destination, std::size_t size, const void* source);
int CharCode_StrCmp(int codePage, const void* s1, const void* s2);
int CharCode_StrCmpAscii(int codePage, const void* string, const char* ascii);
int CharCode_StrNCmp(int codePage, const void* s1, const void* s2, int count);
const void* CharCode_StrChr(int codePage, const void* string, std::uint32_t code);
const void* CharCode_StrStr(int codePage, const void* string, const void* substring);
void* CharCode_StrUpr(int codePage, void* string);

// Decimal value of the first number in the text: characters up to the first digit
// or '-' are skipped; the digits wrap in 32 bits however many there are.
int CharCode_StrToInt(int codePage, const void* string);

// Text of value in radix 2 to 36 (any other radix counts as 10), lower-case
// letters; the destination must hold it. Returns the destination.
void* CharCode_IntToStr(int codePage, int value, void* destination, int radix);

// The same in the default narrow (A) or wide (W) code page.
void StrCatSA(char* destination, std::size_t size, const char* source);
int StrCmpA(const char* s1, const char* s2);
void StrCopyA(char* destination, const char* source);
void StrCopySA(char* destination, std::size_t size, const char* source);
int StrLenA(const char* string);
void StrCatW(char16_t* destination, const char16_t* source);
void StrCatSW(char16_t* destination, std::size_t size, const char16_t* source);
const char16_t* StrChrW(const char16_t* string, std::uint32_t code);
int StrCmpW(const char16_t* s1, const char16_t* s2);
void StrCopyW(char16_t* destination, const char16_t* source);
void StrCopySW(char16_t* destination, std::size_t size, const char16_t* source);
void StrNCopySW(char16_t* destination, std::size_t size, const char16_t* source, int count);
const char16_t* StrStrW(const char16_t* string, const char16_t* substring);
char16_t* StrUprW(char16_t* string);
char16_t* IntToStrW(int value, char16_t* destination, int radix);

}  // namespace ZaDod
