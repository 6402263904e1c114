// The libraries of the module registry and the stand-in functions each one serves.
// A stand-in that adds functions lists them in module_exports.cpp.
#pragma once
#include <cstddef>

#include "platform/win/module.h"

namespace plat::win {

struct ModuleExport {
  const char* name;
  FARPROC function;
};

struct ModuleExports {
  const char* baseName;           // lower case, without ".dll"
  const ModuleExport* functions;  // ends with a null name
  // A library no machine here has: it loads only while a test serves one of its
  // functions (OverrideExport).
  bool onlyWhenServed = false;
  const char* standInName = nullptr;  // a further HALVORINE_MISSING name that takes it away
};

const ModuleExports* GetModuleExportTable(size_t* count);

}  // namespace plat::win
