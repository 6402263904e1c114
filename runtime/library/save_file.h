// Save files: one "<name>.sav" per run in the current folder, a 256-byte
// header then at most 3840 bytes of script data, reached through the
// members of the built-in SaveFile object. The file goes through the C
// library's buffered streams; the state is process-wide and main-thread
// only.
#pragma once

#include <cstdint>

#include "runtime/vm/function.h"

namespace kv {

constexpr int32_t kSaveHeaderSize = 256;
constexpr int32_t kSaveFileLimit = 4096;  // no byte is written at or past it
constexpr int32_t kSaveNameBuffer = 256;  // the full file name and its NUL
constexpr int32_t kWarnSaveFile = 24;

// The operations behind the members, on plain data. A null name opens
// "without a name". Results are those the members answer.
bool openSaveFile(const char* name);
void closeSaveFile();
int32_t readSaveFile(uint8_t* into, int64_t room, int32_t count);
int32_t getcSaveFile();
// 1 when the block was written; 0 otherwise (with warning 24 past the limit).
int32_t writeSaveBlock(const uint8_t* from, int64_t length, int32_t count);
int32_t putcSaveFile(int32_t byte);
int32_t seekSaveFile(int32_t offset, int32_t origin);
int32_t tellSaveFile();

// The rules, for the operations and their tests.
bool isValidSaveName(const char* name);
// False, with the reason logged, when the header did not reach the file.
bool writeSaveFileHeader();
bool checkSaveFileHeader();
bool isSeekIntoHeader(int64_t offset, int32_t origin);

// Closes the file and forgets the run's save file, so that a test or a fuzz
// round starts as a new run would.
void resetSaveFileState();

// The native of SaveFile slot 0..7: open, read, getc, close, write, putc,
// seek, tell.
NativeFunction saveFileNative(int32_t slot);

}  // namespace kv
