// Temporary: the file-access functions that start-up and shut-down call, until the
// file module is merged; file_seam.cpp gives plain versions.
#pragma once

namespace ZaDod {

int SetUserFileAccessFunctions(const void* functions);
int FileAccessGetDir(char16_t* buffer, int bufferSize);
int FileAccessChangeDir(const char16_t* path);
int InitializeFileHandles();
int TerminateFileHandles();
int InitializeArchiveReader();
int TerminateArchiveReader();

}  // namespace ZaDod
