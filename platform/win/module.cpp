// Module registry: the libraries the media layer loads at run time.
#include "platform/win/module.h"

#include <cctype>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win/error.h"
#include "platform/win/missing.h"
#include "platform/win/module_exports.h"

namespace plat::win {

struct Module {
  const ModuleExports* exports;  // null for the program itself
  int references;
};

namespace {

struct Override {
  std::string module;
  std::string name;
  FARPROC function;
};

struct Registry {
  std::mutex mutex;
  std::vector<Module> modules;
  Module program{nullptr, 1};
  std::vector<Override> overrides;

  Registry() {
    size_t count = 0;
    const ModuleExports* table = GetModuleExportTable(&count);
    modules.reserve(count);
    for (size_t i = 0; i < count; ++i) modules.push_back({&table[i], 0});
  }
};

Registry& registry() {
  static Registry instance;
  return instance;
}

// "WinMM.DLL" and "winmm" both name the base "winmm".
std::string baseName(const char16_t* name) {
  std::string base;
  for (const char16_t* p = name; *p != u'\0'; ++p) {
    char16_t c = *p;
    if (c == u'/' || c == u'\\') {
      base.clear();
      continue;
    }
    base.push_back(c < 0x80 ? static_cast<char>(std::tolower(static_cast<int>(c))) : '?');
  }
  if (base.size() > 4 && base.compare(base.size() - 4, 4, ".dll") == 0) base.resize(base.size() - 4);
  return base;
}

Module* findModule(Registry& r, const std::string& base) {
  for (Module& module : r.modules) {
    if (base == module.exports->baseName) return &module;
  }
  return nullptr;
}

bool isLoaded(Registry& r, HMODULE module) {
  if (module == &r.program) return true;
  for (Module& m : r.modules) {
    if (&m == module) return m.references > 0;
  }
  return false;
}

bool served(Registry& r, const std::string& base) {
  for (const Override& o : r.overrides)
    if (o.module == base && o.function != nullptr) return true;
  return false;
}

}  // namespace

namespace {

HMODULE loadLibrary(const char16_t* name) {
  if (name == nullptr) return nullptr;
  std::string base = baseName(name);
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  Module* module = findModule(r, base);
  if (module == nullptr || IsStandInMissing(base.c_str())) return nullptr;
  if (module->exports->standInName != nullptr && IsStandInMissing(module->exports->standInName)) return nullptr;
  if (module->exports->onlyWhenServed && !served(r, base)) return nullptr;
  ++module->references;
  return module;
}

}  // namespace

HMODULE LoadLibraryW(const char16_t* name) {
  HMODULE module = loadLibrary(name);
  if (module == nullptr) SetLastError(ERROR_MOD_NOT_FOUND);
  return module;
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  if (!isLoaded(r, module) || module->exports == nullptr) return nullptr;
  for (const Override& o : r.overrides) {
    if (o.module == module->exports->baseName && o.name == name) return o.function;
  }
  for (const ModuleExport* e = module->exports->functions; e != nullptr && e->name != nullptr; ++e) {
    if (std::strcmp(e->name, name) == 0) return e->function;
  }
  return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
  if (module == nullptr) return FALSE;
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  if (module == &r.program || !isLoaded(r, module)) return FALSE;
  --module->references;
  return TRUE;
}

HMODULE GetModuleHandleW(const char16_t* name) {
  Registry& r = registry();
  if (name == nullptr) return &r.program;
  std::string base = baseName(name);
  std::lock_guard<std::mutex> lock(r.mutex);
  Module* module = findModule(r, base);
  return module != nullptr && module->references > 0 ? module : nullptr;
}

int GetModuleReferenceCount(const char16_t* name) {
  std::string base = baseName(name);
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  Module* module = findModule(r, base);
  return module != nullptr ? module->references : 0;
}

void OverrideExport(const char16_t* module, const char* name, FARPROC function) {
  std::string base = baseName(module);
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  for (Override& o : r.overrides) {
    if (o.module == base && o.name == name) {
      o.function = function;
      return;
    }
  }
  r.overrides.push_back({base, name, function});
}

void ResetExportOverrides() {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.overrides.clear();
}

}  // namespace plat::win
