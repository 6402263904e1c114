// The platform's memory allocator as a COM class, and the automation library's loaders.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/dshow/memory_allocator.h"
#include "platform/win/module.h"
#include "platform/win/oleaut.h"

namespace {

namespace ds = plat::dshow;
namespace win = plat::win;

TEST(DshowMemoryAllocator, IsMadeThroughComUnlessMissing) {
  unsetenv("HALVORINE_MISSING");
  void* object = nullptr;
  ASSERT_EQ(win::CoCreateInstance(ds::CLSID_MemoryAllocator, nullptr, win::CLSCTX_INPROC_SERVER, ds::IID_IMemAllocator,
                                  &object),
            win::S_OK);
  EXPECT_EQ(ds::LiveMemoryAllocatorCount(), 1);
  auto* allocator = static_cast<ds::IMemAllocator*>(object);
  void* other = nullptr;
  EXPECT_EQ(allocator->QueryInterface(ds::IID_IPin, &other), win::E_NOINTERFACE);
  ds::ALLOCATOR_PROPERTIES props{2, 10, 3, 0}, actual{};
  EXPECT_EQ(allocator->SetProperties(&props, &actual), ds::VFW_E_BADALIGN);
  props.cbAlign = 8;
  ASSERT_EQ(allocator->SetProperties(&props, &actual), win::S_OK);
  EXPECT_EQ(actual.cbBuffer, 16);
  EXPECT_EQ(allocator->Release(), 0u);
  EXPECT_EQ(ds::LiveMemoryAllocatorCount(), 0);

  int outer = 0;
  EXPECT_EQ(win::CoCreateInstance(ds::CLSID_MemoryAllocator, &outer, win::CLSCTX_INPROC_SERVER, ds::IID_IMemAllocator,
                                  &object),
            win::CLASS_E_NOAGGREGATION);
  setenv("HALVORINE_MISSING", "dshow", 1);
  EXPECT_EQ(win::CoCreateInstance(ds::CLSID_MemoryAllocator, nullptr, win::CLSCTX_INPROC_SERVER, ds::IID_IMemAllocator,
                                  &object),
            win::REGDB_E_CLASSNOTREG);
  unsetenv("HALVORINE_MISSING");
}

TEST(DshowAutomationLibrary, LoadersReportNoTypeLibrary) {
  win::HMODULE module = win::LoadLibraryW(u"OleAut32.dll");
  ASSERT_NE(module, nullptr);
  auto loadReg = reinterpret_cast<decltype(&win::LoadRegTypeLib)>(win::GetProcAddress(module, "LoadRegTypeLib"));
  auto loadFile = reinterpret_cast<decltype(&win::LoadTypeLib)>(win::GetProcAddress(module, "LoadTypeLib"));
  ASSERT_NE(loadReg, nullptr);
  ASSERT_NE(loadFile, nullptr);
  win::ITypeLib* library = reinterpret_cast<win::ITypeLib*>(1);
  EXPECT_EQ(loadReg(ds::LIBID_QuartzTypeLib, 1, 0, 0, &library), win::TYPE_E_LIBNOTREGISTERED);
  EXPECT_EQ(library, nullptr);
  EXPECT_EQ(loadFile(u"control.tlb", &library), win::TYPE_E_CANTLOADLIBRARY);
  win::FreeLibrary(module);
}

}  // namespace
