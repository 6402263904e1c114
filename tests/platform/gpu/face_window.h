// Support shared by the GPU faces' tests, benchmarks and fuzz targets: a headless window of
// a given client size under its own class, and a scoped reference to a COM object.
#pragma once
#include <cstdlib>

#include "platform/win/win_window.h"

namespace facesupport {

// Registers `className`, opens a headless window of w x h, and undoes both when it goes.
class FaceWindow {
 public:
  FaceWindow(const char16_t* className, int w, int h) : class_(className) {
    setenv("HALVORINE_HEADLESS", "1", 1);
    plat::win::WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = plat::win::DefWindowProcW;
    cls.lpszClassName = className;
    plat::win::RegisterClassExW(&cls);
    hwnd = plat::win::CreateWindowExW(0, className, u"Face", 0, 0, 0, w, h, nullptr, nullptr, nullptr, nullptr);
  }
  ~FaceWindow() {
    plat::win::DestroyWindow(hwnd);
    plat::win::UnregisterClassW(class_, nullptr);
  }
  FaceWindow(const FaceWindow&) = delete;
  FaceWindow& operator=(const FaceWindow&) = delete;
  plat::win::HWND hwnd = nullptr;

 private:
  const char16_t* class_;
};

// Releases a COM object when the scope ends.
template <class T>
struct ComRef {
  T* p = nullptr;
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ComRef(ComRef&& o) noexcept : p(o.p) { o.p = nullptr; }
  ~ComRef() { reset(); }
  void reset() {
    if (p) p->Release();
    p = nullptr;
  }
  T** out() { return &p; }
  T* operator->() const { return p; }
  T* get() const { return p; }
};

}  // namespace facesupport
