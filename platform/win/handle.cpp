// Kernel objects behind HANDLE values.
#include "platform/win/win_handle.h"

#include <mutex>
#include <unordered_set>

namespace plat::win {

namespace {

std::mutex registryLock;
std::unordered_set<KernelObject*>& registry() {
  static auto* objects = new std::unordered_set<KernelObject*>;  // outlives static destructors
  return *objects;
}

}  // namespace

HANDLE registerObject(KernelObject* object) {
  std::lock_guard guard(registryLock);
  registry().insert(object);
  return object;
}

KernelObject* findObject(HANDLE handle) {
  std::lock_guard guard(registryLock);
  auto it = registry().find(static_cast<KernelObject*>(handle));
  return it == registry().end() ? nullptr : *it;
}

BOOL CloseHandle(HANDLE handle) {
  KernelObject* object = nullptr;
  {
    std::lock_guard guard(registryLock);
    auto it = registry().find(static_cast<KernelObject*>(handle));
    if (it != registry().end()) {
      object = *it;
      registry().erase(it);
    }
  }
  if (!object) return FALSE;
  delete object;
  return TRUE;
}

}  // namespace plat::win
