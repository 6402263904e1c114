// Module registry: the libraries the media layer loads at run time and the functions
// each one serves. A library named in HALVORINE_MISSING (its base name, e.g. "winmm")
// does not load, so the callers' fallbacks run.
#pragma once
#include "platform/win/types.h"

namespace plat::win {

struct Module;
using HMODULE = Module*;
using FARPROC = void (*)();

// Loads a library by file name ("winmm.dll"; case does not matter, ".dll" may be left out).
// Every successful call counts one reference; null when the library is unknown or missing
// (the last error is then ERROR_MOD_NOT_FOUND).
HMODULE LoadLibraryW(const char16_t* name);
// The exported function, or null when the module does not serve it.
FARPROC GetProcAddress(HMODULE module, const char* name);
// Drops one reference; FALSE for a handle that is not loaded.
BOOL FreeLibrary(HMODULE module);
// Null asks for the program itself; otherwise a library that is loaded already.
HMODULE GetModuleHandleW(const char16_t* name);

// Number of references a library holds now (0 when not loaded); tests watch loading with it.
int GetModuleReferenceCount(const char16_t* name);

// Test facilities, in process: make one export of a library missing (function null) or
// serve another function in its place. ResetExportOverrides undoes every override.
void OverrideExport(const char16_t* module, const char* name, FARPROC function);
void ResetExportOverrides();

}  // namespace plat::win
