// Temporary: the media-log and code-page functions that start-up and the window code
// call beyond what media/base/log.h offers yet, declared with their own signatures
// until the text module is merged; text_seam.cpp gives plain versions.
#pragma once
#include <cstddef>

namespace ZaDod {

int LogAddTextWide(const char16_t* text);
int LogAddTextCurrentCp(const char* text);
int SetLogFileOutput(int flag);
int LogStart();

int SetupCharCodeTables();
void SetupDefaultCharCode();
int GetDefaultNarrowCodePage();
int ConvertString(const void* source, int sourceCodePage, void* destination, std::size_t destinationSize,
                  int destinationCodePage);

}  // namespace ZaDod
