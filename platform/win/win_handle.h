// Kernel objects behind HANDLE values. Every object the stand-ins hand out is
// registered, so CloseHandle and the typed look-ups refuse stale or foreign values
// instead of touching freed memory.
#pragma once
#include "platform/win/types.h"

namespace plat::win {

struct KernelObject {
  virtual ~KernelObject() = default;
};

// Registers a new object and returns its handle.
HANDLE registerObject(KernelObject* object);

// The object behind a handle when it is registered and of type T, else null.
KernelObject* findObject(HANDLE handle);
template <class T>
T* findObjectAs(HANDLE handle) {
  return dynamic_cast<T*>(findObject(handle));
}

BOOL CloseHandle(HANDLE handle);

}  // namespace plat::win
