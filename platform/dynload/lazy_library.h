// Shared libraries opened on first use instead of linked: what a library
// pulls in is loaded and its symbols looked up only by the runs that need it.
// A missing library or function stops the program with a message naming it,
// as a missing library at start did when it was linked.
#pragma once

#include <atomic>
#include <mutex>

namespace plat {

// Opens the library (kept open for the rest of the run).
void* OpenLazyLibrary(const char* soname);
// The function of that name in the opened library.
void* LazyFunction(void* library, const char* name);

// A table of a library's functions, filled the first time any thread asks
// for it.
template <class Api>
class LazyTable {
 public:
  using Fill = void (*)(Api& functions, void* library);
  constexpr LazyTable(const char* soname, Fill fill) : soname_(soname), fill_(fill) {}

  const Api& get() {
    const Api* ready = ready_.load(std::memory_order_acquire);
    return ready ? *ready : load();
  }

 private:
  const Api& load() {
    std::call_once(once_, [this] {
      fill_(table_, OpenLazyLibrary(soname_));
      ready_.store(&table_, std::memory_order_release);
    });
    return table_;
  }

  const char* soname_;
  Fill fill_;
  Api table_{};
  std::once_flag once_;
  std::atomic<const Api*> ready_{nullptr};
};

}  // namespace plat

// One member of a function table per name of an X-macro list, and its look-up.
#define HALVORINE_LAZY_POINTER(name) decltype(&::name) name;
#define HALVORINE_LAZY_FIND(name) \
  functions.name = reinterpret_cast<decltype(functions.name)>(::plat::LazyFunction(library, #name));
